// Dock sites placed on a form: read from a form resource with a bar docked in
// them and the manager's popup-menu links to controls, written back the same;
// bars dragged into and out of them with the mouse; turning a site turns its bars.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "bars/dxBar.h"
#include "platform/ExtCtrls.h"
#include "platform/FormReader.h"
#include "tests/bars/bar_input.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace {

class TfrmDockSiteTest : public TForm {
 public:
  T_CLASSNAME(TfrmDockSiteTest)
  explicit TfrmDockSiteTest(TComponent* AOwner) : TForm(AOwner) {}
  std::vector<std::string> log;
  void ListPopupAction(TdxBarPopupMenuLink* Link, Integer& X, Integer& Y, bool ByMouse, bool& Allow) {
    log.push_back(std::string("action:") + Link->Control()->Name() + (ByMouse ? ":mouse" : ":key") + ":" +
                  std::to_string(X) + "," + std::to_string(Y));
    Allow = false;  // the link answers; no menu loop in this test
  }
};

const bool dockSiteClassesRegistered = [] {
  RegisterClassInfo<TfrmDockSiteTest, TForm>("TfrmDockSiteTest");
  RegisterHandlers<TfrmDockSiteTest>({{"ListPopupAction", &TfrmDockSiteTest::ListPopupAction}});
  return true;
}();

std::string DockSiteFixtureText() {
  std::ifstream in(std::string(TEST_DATA_DIR).substr(2) + "/bars/dock_site_form.dfm", std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TRect ScreenRect(TWinControl* W) {
  RECT r;
  GetWindowRect(W->Handle(), &r);
  return Rect(r.left, r.top, r.right, r.bottom);
}

// The form as its windows paint themselves (the screen of a headless run
// holds no pixels): the form, the panel and site areas, then every bar window.
void SaveFormShot(TForm* F, TdxBarManager* M, const std::string& Name) {
  TRect fr = ScreenRect(F);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(fr.Width(), fr.Height());
  HDC dc = bmp.Canvas()->Handle();
  RECT all{0, 0, fr.Width(), fr.Height()};
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  for (Integer i = 0; i < F->ComponentCount(); ++i) {
    auto* c = dynamic_cast<TWinControl*>(F->Components(i));
    if (!c || !c->HandleAllocated() || !IsWindowVisible(c->Handle())) continue;
    TRect r = ScreenRect(c);
    RECT rr{r.Left - fr.Left, r.Top - fr.Top, r.Right - fr.Left, r.Bottom - fr.Top};
    bool site = dynamic_cast<TdxDockControl*>(c) != nullptr;
    FillRect(dc, &rr, GetSysColorBrush(site ? COLOR_APPWORKSPACE : COLOR_WINDOW));
    if (!site) FrameRect(dc, &rr, GetSysColorBrush(COLOR_BTNSHADOW));
  }
  for (Integer i = 0; i < M->Bars()->Count(); ++i) {
    TdxBarControl* w = M->Bars()->Items(i)->Control();
    if (!w || !w->HandleAllocated() || !IsWindowVisible(w->Handle())) continue;
    TRect r = ScreenRect(w);
    OffsetViewportOrgEx(dc, r.Left - fr.Left, r.Top - fr.Top, nullptr);
    w->PaintWindowTo(dc);
    OffsetViewportOrgEx(dc, fr.Left - r.Left, fr.Top - r.Top, nullptr);
  }
  SaveBitmapAsPng(&bmp, Name);
}

// A shown form with a manager, a panel in its middle holding a placed site
// along its top, and a floating bar of three buttons.
struct TSiteModel {
  std::unique_ptr<TForm> form;
  TdxBarManager* manager = nullptr;
  TPanel* panel = nullptr;
  TdxBarDockControl* site = nullptr;
  TdxBar* bar = nullptr;

  TSiteModel() {
    form.reset(testui::NewForm(460, 320, 40, 40));
    manager = new TdxBarManager(form.get());
    panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(120, 100, 300, 180);
    site = new TdxBarDockControl(form.get());
    site->SetParent(panel);
    site->SetBarManager(manager);
    bar = manager->Bars()->Add();
    bar->SetCaption("Moving");
    bar->SetName("Moving");
    for (int i = 0; i < 3; ++i) {
      auto* b = new TdxBarButton(form.get());
      b->SetName("btn" + std::to_string(i));
      b->SetCaption("B" + std::to_string(i));
      bar->ItemLinks()->Add()->SetItem(b);
    }
    bar->SetFloatLeft(form->Left() + 20);
    bar->SetFloatTop(form->Top() + 20);
    bar->SetDockingStyle(dsNone);
    barinput::Activate(form.get());
    bar->SetVisible(true);
    barinput::Settle(80);
  }
  // A point on the floating bar's caption.
  TPoint Caption() {
    TRect r = ScreenRect(bar->Control());
    return Point(r.Left + 30, r.Top + manager->FloatFrameHeight() + SmallCaptionHeight() / 2);
  }
};

}  // namespace

TEST(BarDockSiteForm, ReadWithItsBarAndPopupLinksAndWrittenBackUnchanged) {
  auto form = std::make_unique<TfrmDockSiteTest>(nullptr);
  try {
    ReadComponentFromText(DockSiteFixtureText(), form.get());
  } catch (const Exception& e) {
    FAIL() << e.Message();
  }
  std::string written = WriteComponentToText(form.get());
  std::ofstream("dock_site_form_written.dfm", std::ios::binary) << written;
  EXPECT_EQ(written, DockSiteFixtureText());

  auto* site = dynamic_cast<TdxBarDockControl*>(form->FindComponent("BarDockControl1"));
  auto* manager = dynamic_cast<TdxBarManager*>(form->FindComponent("BarManager1"));
  auto* panel = dynamic_cast<TPanel*>(form->FindComponent("pnlList"));
  ASSERT_TRUE(site && manager && panel);
  EXPECT_EQ(site->BarManager(), manager);
  EXPECT_EQ(site->DockingStyle(), dsLeft);
  EXPECT_FALSE(site->BuiltIn());
  ASSERT_EQ(manager->PopupMenuLinks()->Count(), 1);
  TdxBarPopupMenuLink* link = manager->PopupMenuLinks()->Items(0);
  EXPECT_EQ(link->Control(), panel);
  EXPECT_EQ(link->PopupMenu(), form->FindComponent("pmList"));
  EXPECT_TRUE(static_cast<bool>(link->OnAction));

  form->Show();
  SetForegroundWindow(form->Handle());
  barinput::Settle(80);
  TdxBar* bar = manager->BarByCaption("Side");
  ASSERT_NE(bar, nullptr);
  TdxBarControl* w = bar->Control();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(bar->DockControl(), site);
  EXPECT_EQ(bar->DockingStyle(), dsLeft);
  EXPECT_EQ(w->DockSite(), site);
  EXPECT_EQ(w->Parent(), site);
  EXPECT_EQ(site->RowCount(), 1);
  EXPECT_GT(w->Height(), w->Width()) << "a column along the left edge";
  EXPECT_EQ(site->Width(), w->Width()) << "the site is as thick as its row";
  EXPECT_EQ(manager->Bars()->DockControl(dsLeft)->RowCount(), 0) << "not in the form's own left site";
  SaveFormShot(form.get(), manager, "bars_dock_site_form.png");

  // The link read from the form answers a right click on its control.
  TPoint p = panel->ClientToScreen(Point(40, 30));
  barinput::Click(p, true);
  ASSERT_EQ(form->log.size(), 1u);
  EXPECT_EQ(form->log[0], "action:pnlList:mouse:40,30");

  // Freeing the site hides the bar docked in it; the manager forgets it.
  Integer sites = manager->DockControlCount();
  delete site;
  EXPECT_EQ(manager->DockControlCount(), sites - 1);
  EXPECT_FALSE(bar->Visible());
  EXPECT_EQ(bar->DockControl(), nullptr);
  EXPECT_EQ(bar->Control(), nullptr);
  form.reset();
  Application->ProcessMessages();
}

TEST(BarDockSiteDrag, AFloatingBarDropsIntoThePlacedSiteOnlyWhileItAllowsDocking) {
  TSiteModel m;
  ASSERT_NE(m.bar->Control(), nullptr);
  EXPECT_EQ(m.site->Height(), 0) << "an empty site takes no room at run time";
  Integer siteWidth = m.site->Width();
  TPoint target = m.panel->ClientToScreen(Point(60, 4));

  m.site->SetAllowDocking(false);
  ASSERT_TRUE(barinput::Drag(m.Caption(), {}, target));
  EXPECT_EQ(m.bar->DockingStyle(), dsNone) << "a site that refuses leaves the bar floating";
  EXPECT_EQ(m.site->RowCount(), 0);

  m.site->SetAllowDocking(true);
  TRect fr = ScreenRect(m.form.get());
  ASSERT_TRUE(barinput::Drag(m.Caption(), {Point(fr.Left + 60, fr.Top + 60)}, target));
  TdxBarControl* w = m.bar->Control();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->DockSite(), m.site);
  EXPECT_EQ(m.bar->DockControl(), m.site);
  EXPECT_EQ(m.bar->DockingStyle(), dsTop);
  EXPECT_EQ(m.site->RowCount(), 1);
  EXPECT_GT(w->Width(), w->Height());
  EXPECT_EQ(m.site->Height(), w->Height());
  EXPECT_EQ(m.site->Width(), siteWidth) << "aligned in the panel, the site keeps its width";
  SaveFormShot(m.form.get(), m.manager, "bars_dock_site_docked.png");
  // Hidden and shown again it comes back into the same site.
  m.bar->SetVisible(false);
  EXPECT_EQ(m.site->Height(), 0);
  m.bar->SetVisible(true);
  barinput::Settle();
  ASSERT_NE(m.bar->Control(), nullptr);
  EXPECT_EQ(m.bar->Control()->DockSite(), m.site);

  // Dragged off by its grip it floats again and the site is empty.
  TRect wr = ScreenRect(m.bar->Control());
  ASSERT_TRUE(barinput::Drag(Point(wr.Left + 4, (wr.Top + wr.Bottom) / 2), {}, Point(fr.Left + 200, fr.Top + 50)));
  EXPECT_EQ(m.bar->DockingStyle(), dsNone);
  EXPECT_EQ(m.bar->DockControl(), nullptr);
  EXPECT_EQ(m.site->RowCount(), 0);
  EXPECT_EQ(m.site->Height(), 0);
  SaveFormShot(m.form.get(), m.manager, "bars_dock_site_undocked.png");
}

TEST(BarDockSiteAlign, TurningTheSiteTurnsItsBars) {
  TSiteModel m;
  m.bar->SetDockControl(m.site);
  barinput::Settle();
  struct Case {
    TdxBarDockAlign align;
    TdxBarDockingStyle style;
    bool vertical;
  } cases[] = {{dalLeft, dsLeft, true}, {dalBottom, dsBottom, false}, {dalRight, dsRight, true},
               {dalTop, dsTop, false}};
  for (const Case& c : cases) {
    m.site->SetDockAlign(c.align);
    barinput::Settle();
    TdxBarControl* w = m.bar->Control();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(m.site->DockingStyle(), c.style) << c.align;
    EXPECT_EQ(m.bar->DockingStyle(), c.style) << c.align;
    EXPECT_EQ(w->DockingStyleOfWindow(), c.style) << c.align;
    EXPECT_EQ(w->Height() > w->Width(), c.vertical) << c.align;
    EXPECT_EQ(c.vertical ? m.site->Width() : m.site->Height(), c.vertical ? w->Width() : w->Height()) << c.align;
  }
}
