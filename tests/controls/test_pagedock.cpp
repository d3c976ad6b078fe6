// The page control as a dock site on a shown form: a sheet per docked
// control, its tab following the control's caption and visibility, the sheet
// freed when the control leaves, the site query, and the mouse: dragging a
// docked control's tab away, double-clicking it, dragging a control onto the
// page control.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/RzTabs.h"
#include "platform/DockTree.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "tests/controls/shots.h"
#include "tests/controls/test_tabs_input.h"
#include "tests/support/ui.h"

namespace {

using rzinput::Centre;

// A panel whose docking fails half-way.
class TStubbornPanel : public TPanel {
 public:
  T_CLASSNAME(TStubbornPanel)
  using TPanel::TPanel;

 protected:
  void DoDock(TWinControl*, TRect&) override { throw Exception("cannot dock"); }
};

struct PageDockTest : ::testing::Test {
  std::unique_ptr<TForm> form{testui::NewForm(640, 420, 40, 40)};
  TRzPageControl* pc = nullptr;
  TRzTabSheet* home = nullptr;
  std::vector<TForm*> forms;  // docked forms, freed before the main form

  void SetUp() override {
    testshots::ShowActive(form.get());
    pc = NewPageControl(10, 10, 300, 220);
    home = new TRzTabSheet(form.get());
    home->SetCaption("Home");
    home->SetPageControl(pc);
    pc->SetActivePage(home);
    testshots::PaintNow(pc);
  }
  void TearDown() override {
    for (TForm* f : forms) delete f;
    form.reset();
    Application->ProcessMessages();  // floating hosts release themselves
  }
  TRzPageControl* NewPageControl(Integer L, Integer T, Integer W, Integer H) {
    auto* p = new TRzPageControl(form.get());
    p->SetParent(form.get());
    p->SetBounds(L, T, W, H);
    p->Font()->SetName("Tahoma");
    p->Font()->SetHeight(-11);
    p->SetDockSite(true);
    return p;
  }
  TPanel* NewPanel(const char* Name, Integer L, Integer T) {
    auto* p = new TPanel(form.get());
    p->SetName(Name);
    p->SetParent(form.get());
    p->SetBounds(L, T, 120, 80);
    p->SetDragKind(dkDock);
    return p;
  }
  static std::string TabCaptions(TRzPageControl* P) {
    std::string s;
    for (Integer i = 0; i < P->Tabs()->Count(); ++i) s += (i ? "," : "") + P->Tabs()->Items(i)->Caption;
    return s;
  }
  // Sheets owned by the page control (the ones docking made).
  static Integer OwnedSheets(TRzPageControl* P) {
    Integer n = 0;
    for (Integer i = 0; i < P->ComponentCount(); ++i) n += dynamic_cast<TRzTabSheet*>(P->Components(i)) != nullptr;
    return n;
  }
  TPoint TabCentre(TRzPageControl* P, Integer I) { return Centre(P->TabRectToClient(P->TabRect(I))); }
};

TEST_F(PageDockTest, ManualDockMakesASheetPerControlThatFollowsItAndGoesWithIt) {
  TPanel* tool = NewPanel("tool", 400, 20);
  TPanel* hidden = NewPanel("hidden", 400, 120);
  hidden->Hide();
  TForm* notes = CreateForm<TForm>(nullptr);
  forms.push_back(notes);
  notes->SetBounds(300, 300, 160, 120);
  notes->SetCaption("Notes");
  notes->Show();

  struct Step {
    const char* what;
    std::function<void()> act;
    std::string tabs;
    std::function<TRzTabSheet*()> active;
    Integer owned;
  } steps[] = {
      {"a panel gets a sheet of its own, shown at once", [&] { ASSERT_TRUE(tool->ManualDock(pc)); }, "Home,",
       [&] { return pc->PageOfDockClient(tool); }, 1},
      {"a form's sheet takes the form's caption", [&] { ASSERT_TRUE(notes->ManualDock(pc)); }, "Home,,Notes",
       [&] { return pc->PageOfDockClient(notes); }, 2},
      {"a hidden control's sheet has no tab and is not shown", [&] { ASSERT_TRUE(hidden->ManualDock(pc)); },
       "Home,,Notes", [&] { return pc->PageOfDockClient(notes); }, 3},
      {"the caption up to its first line break", [&] { tool->SetCaption("Tools\r\nand more"); },
       "Home,Tools,Notes", [&] { return pc->PageOfDockClient(notes); }, 3},
      {"a form's caption too", [&] { notes->SetCaption("Notes 2\nsecond"); }, "Home,Tools,Notes 2",
       [&] { return pc->PageOfDockClient(notes); }, 3},
      {"showing the control shows its tab and page", [&] { hidden->Show(); }, "Home,Tools,Notes 2,",
       [&] { return pc->PageOfDockClient(hidden); }, 3},
      {"hiding a control hides its tab", [&] { tool->Hide(); }, "Home,Notes 2,",
       [&] { return pc->PageOfDockClient(hidden); }, 3},
      {"floating the active page's control frees the sheet and shows the next page",
       [&] {
         tool->Show();
         pc->SetActivePage(pc->PageOfDockClient(tool));
         ASSERT_TRUE(tool->ManualFloat(Rect(420, 300, 540, 380)));
       },
       "Home,Notes 2,", [&] { return pc->PageOfDockClient(notes); }, 2},
      {"a form floats as itself and its sheet goes",
       [&] { ASSERT_TRUE(notes->ManualDock(nullptr)); }, "Home,", [&] { return pc->PageOfDockClient(hidden); }, 1},
  };
  for (const Step& s : steps) {
    s.act();
    testshots::PaintNow(pc);
    EXPECT_EQ(TabCaptions(pc), s.tabs) << s.what;
    EXPECT_EQ(pc->ActivePage(), s.active()) << s.what;
    EXPECT_EQ(OwnedSheets(pc), s.owned) << s.what;
    EXPECT_EQ(pc->PageCount(), s.owned + 1) << s.what;
  }
  // Docked: on its own sheet, filling it; undocked: sized again by itself.
  TRzTabSheet* page = pc->PageOfDockClient(hidden);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->Owner(), pc);
  EXPECT_EQ(hidden->Parent(), page);
  EXPECT_EQ(hidden->Align(), alClient);
  EXPECT_EQ(hidden->BoundsRect(), page->ClientRect());
  EXPECT_EQ(hidden->HostDockSite(), pc);
  EXPECT_TRUE(tool->Floating());
  EXPECT_NE(dynamic_cast<TCustomDockForm*>(tool->HostDockSite()), nullptr);
  EXPECT_EQ(pc->PageOfDockClient(tool), nullptr);
  EXPECT_EQ(notes->Parent(), nullptr);
  EXPECT_TRUE(notes->Floating());
  EXPECT_FALSE(GetWindowLongW(notes->Handle(), GWL_STYLE) & WS_CHILD);
  EXPECT_EQ(notes->Align(), alNone);
  EXPECT_EQ(notes->Width(), 160);
}

TEST_F(PageDockTest, SiteQueryRedockingAndAFailedDock) {
  TPanel* tool = NewPanel("tool", 400, 20);
  TPanel* other = NewPanel("other", 400, 120);
  ASSERT_TRUE(tool->ManualDock(pc));
  RECT wr;
  GetWindowRect(pc->Handle(), &wr);
  TRect window = Rect(wr.left, wr.top, wr.right, wr.bottom);

  // A control docked here cannot dock here again; others can, near the window.
  struct Query {
    TControl* client;
    bool canDock;
  } queries[] = {{tool, false}, {other, true}};
  for (const Query& q : queries) {
    TRect influence;
    bool canDock = true;
    pc->GetSiteInfo(q.client, influence, Point(0, 0), canDock);
    EXPECT_EQ(canDock, q.canDock) << q.client->Name();
    EXPECT_EQ(influence, Rect(window.Left - 10, window.Top - 10, window.Right + 10, window.Bottom + 10));
  }
  // Over the control a drop offers its whole window.
  TDragDockObject obj(other);
  obj.SetDockRect(Rect(0, 0, 5, 5));
  bool accept = true;
  pc->DockOver(&obj, 20, 30, dsDragMove, accept);
  EXPECT_TRUE(accept);
  EXPECT_EQ(obj.DockRect(), window);

  // Docked again by hand it stays on its sheet, which stays.
  TRzTabSheet* page = pc->PageOfDockClient(tool);
  pc->SetActivePage(home);
  ASSERT_TRUE(tool->ManualDock(pc));
  EXPECT_EQ(pc->PageOfDockClient(tool), page);
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->ActivePage(), page);
  EXPECT_EQ(tool->Align(), alClient);
  // ...and leaving later still frees only that sheet.
  ASSERT_TRUE(other->ManualDock(pc));
  ASSERT_TRUE(tool->ManualFloat(Rect(420, 300, 540, 380)));
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_NE(pc->PageOfDockClient(other), nullptr);

  // A dock that fails half-way leaves no sheet behind and passes the error on.
  auto* stubborn = new TStubbornPanel(form.get());
  stubborn->SetParent(form.get());
  stubborn->SetBounds(400, 220, 60, 40);
  Integer owned = OwnedSheets(pc);
  EXPECT_THROW(stubborn->ManualDock(pc), Exception);
  EXPECT_EQ(OwnedSheets(pc), owned);
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(TabCaptions(pc), "Home,");
}

TEST_F(PageDockTest, DraggingADockedControlsTabTakesItOutOrToAnotherPageControl) {
  TRzPageControl* pc2 = NewPageControl(330, 10, 280, 220);
  TPanel* tool = NewPanel("tool", 400, 300);
  TPanel* box = NewPanel("box", 200, 300);
  ASSERT_TRUE(tool->ManualDock(pc));
  tool->SetCaption("Tools");
  ASSERT_TRUE(box->ManualDock(pc));
  box->SetCaption("Box");
  pc->SetActivePage(home);
  testshots::PaintNow(form.get());
  ASSERT_EQ(TabCaptions(pc), "Home,Tools,Box");

  // The press selects the tab and grabs its control; dropped on the other
  // page control the control moves to a new sheet there.
  TPoint from = TabCentre(pc, 1);
  rzinput::MoveTo(pc, from.X, from.Y);
  rzinput::LeftDown();
  EXPECT_EQ(pc->ActivePage(), pc->PageOfDockClient(tool));
  EXPECT_TRUE(tool->Dragging());
  rzinput::MoveTo(pc, from.X + 30, from.Y + 40);
  rzinput::MoveTo(pc2, 140, 120);
  rzinput::LeftUp();
  EXPECT_FALSE(tool->Dragging());
  EXPECT_EQ(tool->HostDockSite(), pc2);
  EXPECT_EQ(TabCaptions(pc), "Home,Box");
  EXPECT_EQ(pc->ActivePage(), pc->PageOfDockClient(box)) << "the page after the one that went";
  EXPECT_EQ(OwnedSheets(pc), 1);
  EXPECT_EQ(TabCaptions(pc2), "");  // the sheet follows later caption changes only
  EXPECT_EQ(pc2->ActivePage(), pc2->PageOfDockClient(tool));
  EXPECT_TRUE(IsWindowVisible(tool->Handle()));

  // Released over its own page control (which will not take it back) or
  // anywhere else, the control floats where it was dropped.
  testshots::PaintNow(form.get());
  from = TabCentre(pc, 1);
  rzinput::MoveTo(pc, from.X, from.Y);
  rzinput::LeftDown();
  rzinput::MoveTo(pc, from.X + 20, from.Y + 60);
  rzinput::MoveTo(pc, from.X + 40, from.Y + 120);
  rzinput::LeftUp();
  EXPECT_TRUE(box->Floating());
  EXPECT_EQ(TabCaptions(pc), "Home");
  EXPECT_EQ(pc->ActivePage(), home);
  EXPECT_EQ(OwnedSheets(pc), 0);
  // Grabbed on its tab, above itself, it floats with its top edge at the pointer.
  TPoint p = pc->ClientToScreen(Point(from.X + 40, from.Y + 120));
  RECT hr;
  GetWindowRect(static_cast<TWinControl*>(box->HostDockSite())->Handle(), &hr);
  EXPECT_TRUE(hr.left <= p.X && p.X < hr.right) << hr.left << ".." << hr.right << " " << p.X;
  EXPECT_TRUE(hr.top >= p.Y - 2 && hr.top <= p.Y + 30) << hr.top << " " << p.Y;

  // A plain sheet's tab drags nothing.
  from = TabCentre(pc, 0);
  rzinput::MoveTo(pc, from.X, from.Y);
  rzinput::LeftDown();
  EXPECT_FALSE(tool->Dragging() || box->Dragging());
  rzinput::LeftUp();
}

TEST_F(PageDockTest, DoubleClickingADockedControlsTabFloatsIt) {
  TPanel* tool = NewPanel("tool", 400, 20);
  ASSERT_TRUE(tool->ManualDock(pc));
  tool->SetCaption("Tools");
  testshots::PaintNow(pc);
  struct Case {
    Integer tab;
    bool floats;
    std::string tabs;
  } cases[] = {{0, false, "Home,Tools"}, {1, true, "Home"}};
  for (const Case& c : cases) {
    TPoint at = TabCentre(pc, c.tab);
    rzinput::ClickAt(pc, at.X, at.Y);
    rzinput::ClickAt(pc, at.X, at.Y);
    EXPECT_EQ(tool->Floating(), c.floats) << "tab " << c.tab;
    EXPECT_EQ(TabCaptions(pc), c.tabs) << "tab " << c.tab;
    EXPECT_FALSE(tool->Dragging());
  }
  EXPECT_EQ(pc->ActivePage(), home);
  EXPECT_TRUE(IsWindowVisible(static_cast<TWinControl*>(tool->HostDockSite())->Handle()));
}

TEST_F(PageDockTest, AControlDraggedOntoThePageControlDocksOnANewSheet) {
  TPanel* tool = NewPanel("tool", 420, 40);
  tool->SetDragMode(dmAutomatic);
  tool->SetColor(static_cast<TColor>(0x3080C0));
  testshots::PaintNow(form.get());
  rzinput::MoveTo(tool, 60, 40);
  rzinput::LeftDown();
  rzinput::MoveTo(tool, 20, 40);
  rzinput::MoveTo(pc, 150, 120);
  rzinput::LeftUp();
  EXPECT_EQ(tool->HostDockSite(), pc);
  TRzTabSheet* page = pc->PageOfDockClient(tool);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(pc->ActivePage(), page);
  EXPECT_EQ(tool->BoundsRect(), page->ClientRect());
  // The sheet follows the caption from now on.
  tool->SetCaption("Tools");
  EXPECT_EQ(TabCaptions(pc), "Home,Tools");
  auto shot = testshots::Shot(pc);
  TPoint c = Centre(pc->PageRect());
  EXPECT_EQ(testshots::Px(shot.get(), c.X, c.Y + 30) & 0xFFFFFF, 0x3080C0)
      << "the docked control fills the page on screen";
}

}  // namespace
