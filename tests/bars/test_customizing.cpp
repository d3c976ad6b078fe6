// Run-time customizing of the bars on a shown form read from its form
// resource: the mode itself, links dragged onto, between and off bars with
// the mouse, the group separator moved by a sideways drag, and the designed
// layout read again from the resource to reset a bar or the usage data.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bars/dxBar.h"
#include "platform/Dialogs.h"
#include "platform/FormReader.h"
#include "tests/bars/bar_input.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace {

class TfrmCustomizeBars : public TForm {
 public:
  T_CLASSNAME(TfrmCustomizeBars)
  using TForm::TForm;
  Integer itemClicks = 0, alphaClicks = 0;
  void BarManager1ClickItem(TObject*, TdxBarItem*) { ++itemClicks; }
  void btnAClick(TObject*) { ++alphaClicks; }
};

const bool customizeClassesRegistered = [] {
  RegisterClassInfo<TfrmCustomizeBars, TForm>("TfrmCustomizeBars");
  RegisterHandlers<TfrmCustomizeBars>({{"BarManager1ClickItem", &TfrmCustomizeBars::BarManager1ClickItem},
                                        {"btnAClick", &TfrmCustomizeBars::btnAClick}});
  return true;
}();

// The links of a collection as "Alpha Beta |Gamma" (| = begins a group).
std::string CustLinks(TdxBarItemLinks* L) {
  std::string s;
  for (Integer i = 0; i < L->Count(); ++i) {
    TdxBarItemLink* k = L->Items(i);
    if (!s.empty()) s += ' ';
    if (k->BeginGroup()) s += '|';
    s += k->Item() ? k->Item()->Caption() : std::string("?");
    if (!k->Visible()) s += "(hidden)";
  }
  return s;
}

// Answers every message box with a fixed button and records the texts.
struct TCustBoxAnswer {
  TMessageBoxFunc saved = MessageBoxFunc;
  std::vector<std::string> texts;
  explicit TCustBoxAnswer(int Answer) {
    MessageBoxFunc = [this, Answer](HWND, const std::string& Text, const std::string&, UINT) {
      texts.push_back(Text);
      return Answer;
    };
  }
  ~TCustBoxAnswer() { MessageBoxFunc = saved; }
};

struct TCustomizeForm {
  std::unique_ptr<TfrmCustomizeBars> form;
  TdxBarManager* manager = nullptr;

  TCustomizeForm() {
    form = std::make_unique<TfrmCustomizeBars>(nullptr);
    form->AfterConstruction();
    manager = FindBarManagerOfForm(form.get());
    barinput::Activate(form.get());
  }
  bool endCustomizing = true;  // the form is freed in customizing mode when false
  ~TCustomizeForm() {
    if (endCustomizing && manager && manager->IsCustomizing()) manager->SetCustomizing(false);
    form.reset();
    Application->ProcessMessages();
  }
  TdxBar* Bar(const char* Caption) { return manager->BarByCaption(Caption); }
  TdxBarItem* Item(const char* Name) { return manager->ItemByName(Name); }
  TdxBarItemLinks* Links(const char* Bar) { return manager->BarByCaption(Bar)->ItemLinks(); }
  // The screen point at (FX, FY) fractions of a link's view.
  TPoint At(TdxBarItemLink* L, double FX = 0.5, double FY = 0.5) {
    TCustomdxBarControl* w = L->Links()->BarControl();
    TRect r = L->ItemRect;
    return w->ClientToScreen(Point(r.Left + static_cast<Integer>(r.Width() * FX),
                                   r.Top + static_cast<Integer>(r.Height() * FY)));
  }
  TPoint Empty() { return form->ClientToScreen(Point(300, 200)); }
};

// --- The designed layout ---------------------------------------------------------------------------

TEST(DesignedLayout, ReloadedManagerMatchesTheResourceWithoutHandlers) {
  TCustomizeForm f;
  f.manager->SetStoreInRegistry(true);
  std::unique_ptr<TCustomForm> designed(f.manager->ReloadDesignedLayout());
  ASSERT_NE(designed, nullptr);
  TdxBarManager* m = FindBarManagerOfForm(designed.get());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Name(), "BarManager1");
  EXPECT_FALSE(m->OnClickItem);
  EXPECT_FALSE(m->ItemByName("btnA")->OnClick);
  EXPECT_FALSE(m->StoreInRegistry());
  EXPECT_FALSE(m->StoreInIniFile());
  EXPECT_EQ(designed->ClientWidth(), 440);
  EXPECT_EQ(designed->ClientHeight(), 260);
  ASSERT_EQ(m->Bars()->Count(), 4);
  EXPECT_EQ(CustLinks(m->BarByCaption("Tools")->ItemLinks()), "Alpha Beta |Gamma Delta");
  EXPECT_EQ(CustLinks(static_cast<TCustomdxBarSubItem*>(m->ItemByName("subMore"))->ItemLinks()), "Epsilon Zeta");
  // Bar settings that merely begin with "On" are kept.
  EXPECT_TRUE(m->BarByCaption("Tools")->OneOnRow());
  EXPECT_TRUE(m->BarByCaption("Secret")->Hidden());
  // The live form keeps its handlers.
  EXPECT_TRUE(f.manager->OnClickItem);
}

TEST(DesignedLayout, FormWithoutResourceHasNone) {
  auto plain = std::make_unique<TForm>(nullptr);
  auto* m = new TdxBarManager(plain.get());
  EXPECT_EQ(m->ReloadDesignedLayout(), nullptr);
  TdxBar* b = m->Bars()->Add();
  b->SetCaption("Lone");
  b->ItemLinks()->Add()->SetItem(new TdxBarButton(plain.get()));
  TCustBoxAnswer ok(IDOK);
  b->ResetWithConfirm();
  EXPECT_EQ(b->ItemLinks()->Count(), 1);
}

// A user's changes, undone by a reset of the bar: with UseFullReset the whole
// bar (its caption too) comes back, else only its links; the sub items the
// bar shows are reset with it.
TEST(DesignedLayout, ResetRestoresTheDesignedLinks) {
  struct TCase {
    bool Full;
    int Answer;
    const char* Links;
    const char* Caption;
  } cases[] = {
      {false, IDCANCEL, "Delta Alpha |Zeta(hidden)", "Gadgets"},
      {false, IDOK, "Alpha Beta |Gamma Delta", "Gadgets"},
      {true, IDOK, "Alpha Beta |Gamma Delta", "Tools"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Full ? "full " : "links ") + (c.Answer == IDOK ? "ok" : "cancel"));
    TCustomizeForm f;
    f.manager->SetUseFullReset(c.Full);
    TdxBar* tools = f.Bar("Tools");
    TdxBarItemLinks* links = tools->ItemLinks();
    links->Items(3)->SetIndex(0);
    delete links->Items(2);  // Beta
    delete links->Items(2);  // Gamma
    TdxBarItemLink* added = links->Add();
    added->SetItem(f.Item("btnF"));
    added->SetBeginGroup(true);
    added->SetVisible(false);
    tools->SetCaption("Gadgets");
    auto* sub = static_cast<TCustomdxBarSubItem*>(f.Item("subMore"));
    delete sub->ItemLinks()->Items(0);
    ASSERT_EQ(CustLinks(links), "Delta Alpha |Zeta(hidden)");
    std::vector<std::string> events;
    f.manager->OnBarBeforeReset = [&](TObject*, TdxBar* B) { events.push_back("before " + B->Name()); };
    f.manager->OnBarAfterReset = [&](TObject*, TdxBar* B) { events.push_back("after " + B->Name()); };
    TCustBoxAnswer answer(c.Answer);
    tools->ResetWithConfirm();
    ASSERT_EQ(answer.texts.size(), 1u);
    EXPECT_EQ(answer.texts[0], "Are you sure you want to reset the changes made to the 'Gadgets' toolbar?");
    EXPECT_EQ(CustLinks(links), c.Links);
    EXPECT_EQ(tools->Caption(), c.Caption);
    EXPECT_EQ(events, c.Answer == IDOK ? (std::vector<std::string>{"before Tools", "after Tools"})
                                       : std::vector<std::string>{});
    if (c.Answer == IDOK) {
      EXPECT_TRUE(tools->Visible());
      ASSERT_TRUE(tools->Control());
      // Every designed link has its view again.
      for (TdxBarItemLink* l : links->VisibleLinks()) EXPECT_TRUE(l->Control());
    }
    // Tools does not show the sub item; the main menu does.
    EXPECT_EQ(CustLinks(sub->ItemLinks()), "Zeta");
    f.Bar("Menu")->Reset();
    EXPECT_EQ(CustLinks(sub->ItemLinks()), "Epsilon Zeta");
  }
}

TEST(DesignedLayout, UsageDataResetOnlyAfterYes) {
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "yes" : "no");
    TCustomizeForm f;
    TdxBarItemLinks* links = f.Links("Tools");
    links->Items(1)->SetMostRecentlyUsed(false);
    auto* sub = static_cast<TCustomdxBarSubItem*>(f.Item("subMore"));
    sub->ItemLinks()->Items(0)->SetMostRecentlyUsed(false);
    TCustBoxAnswer box(answer);
    f.manager->ConfirmResetUsageData();
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(links->Items(1)->MostRecentlyUsed(), answer == IDYES);
    EXPECT_EQ(sub->ItemLinks()->Items(0)->MostRecentlyUsed(), answer == IDYES);
  }
}

// --- Customizing mode ----------------------------------------------------------------------------------

TEST(CustomizingMode, ShowsEveryLinkAndStopsCommands) {
  TCustomizeForm f;
  std::vector<std::string> events;
  f.manager->OnShowCustomizingForm = [&](TObject*) { events.push_back("show"); };
  f.manager->OnHideCustomizingForm = [&](TObject*) { events.push_back("hide"); };
  TdxBarItemLinks* tools = f.Links("Tools");
  tools->Items(3)->SetVisible(false);
  EXPECT_EQ(tools->VisibleLinks().size(), 3u);
  f.manager->SetCustomizing(true);
  EXPECT_TRUE(f.manager->IsCustomizing());
  EXPECT_EQ(tools->VisibleLinks().size(), 4u);
  EXPECT_TRUE(tools->Items(3)->Control());
  barinput::Click(f.At(tools->Items(0)));
  EXPECT_EQ(f.form->alphaClicks, 0);
  EXPECT_EQ(f.form->itemClicks, 0);
  // The press selected the view for customizing.
  EXPECT_EQ(f.manager->SelectedItemControl(), tools->Items(0)->Control());
  f.manager->SetCustomizing(false);
  EXPECT_EQ(tools->VisibleLinks().size(), 3u);
  EXPECT_FALSE(tools->Items(3)->Control());
  EXPECT_EQ(events, (std::vector<std::string>{"show", "hide"}));
  barinput::Click(f.At(tools->Items(0)));
  EXPECT_EQ(f.form->alphaClicks, 1);
}

TEST(CustomizingMode, DialogCallsAndOneDialogAtATime) {
  TCustomizeForm f;
  auto dialog = std::make_unique<TForm>(nullptr);
  dialog->SetBounds(500, 60, 120, 80);
  dialog->Show();
  std::vector<std::string> calls;
  auto& c = dxBarCustomizingDialogCalls();
  TCustomForm* open = nullptr;
  c.Show = [&](TdxBarManager* M, bool Show) {
    calls.push_back(std::string(Show ? "show " : "hide ") + M->Name());
    open = Show ? dialog.get() : nullptr;
  };
  c.Current = [&] { return open; };
  f.manager->SetCustomizing(true);
  // Another manager may not customize while the dialog is open.
  auto other = std::make_unique<TForm>(nullptr);
  auto* m2 = new TdxBarManager(other.get());
  m2->SetName("Second");
  m2->SetCustomizing(true);
  EXPECT_FALSE(m2->IsCustomizing());
  // The drag captures the dialog while customizing.
  EXPECT_EQ(f.manager->DragCaptureWindow(), dialog->Handle());
  f.manager->SetCustomizing(false);
  EXPECT_EQ(calls, (std::vector<std::string>{"show BarManager1", "hide BarManager1"}));
  EXPECT_EQ(f.manager->DragCaptureWindow(), f.form->Handle());
  c = TdxBarCustomizingDialogCalls();
}

// --- Dragging links with the mouse ------------------------------------------------------------------------

// Moves of a placed link with the mouse: along its bar, onto another bar and
// off every bar (a Ctrl drag copies instead).
TEST(CustomizingDrag, PlacedLinksMoveCopyAndLeave) {
  struct TCase {
    const char* Name;
    int From;          // link of Tools
    const char* Onto;  // bar, or "" for off the bars
    int OntoLink;
    double FX;
    bool Ctrl;
    const char* Tools;
    const char* Extra;
  } cases[] = {
      {"to the end", 0, "Tools", 3, 0.8, false, "Beta |Gamma Delta Alpha", "Epsilon Zeta"},
      {"before the group", 3, "Tools", 2, 0.2, false, "Alpha Beta |Delta Gamma", "Epsilon Zeta"},
      {"other bar", 1, "Extra", 0, 0.8, false, "Alpha |Gamma Delta", "Epsilon Beta Zeta"},
      {"copy", 1, "Extra", 1, 0.8, true, "Alpha Beta |Gamma Delta", "Epsilon Zeta Beta"},
      {"off", 2, "", 0, 0, false, "Alpha Beta |Delta", "Epsilon Zeta"},
      {"off with ctrl", 2, "", 0, 0, true, "Alpha Beta |Gamma Delta", "Epsilon Zeta"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TCustomizeForm f;
    f.manager->SetCustomizing(true);
    TdxBarItemLinks* tools = f.Links("Tools");
    TPoint from = f.At(tools->Items(c.From));
    TPoint to = *c.Onto ? f.At(f.Links(c.Onto)->Items(c.OntoLink), c.FX) : f.Empty();
    if (c.Ctrl) barinput::Key(VK_CONTROL, false);
    barinput::Drag(from, {Point(from.X, from.Y + 3)}, to);
    if (c.Ctrl) barinput::Key(VK_CONTROL, true);
    barinput::Settle();
    EXPECT_FALSE(f.manager->DragInProgress());
    EXPECT_EQ(CustLinks(tools), c.Tools);
    EXPECT_EQ(CustLinks(f.Links("Extra")), c.Extra);
  }
}

// A link dragged a few pixels sideways on its own place gets or loses its
// group separator; three pixels are not enough.
TEST(CustomizingDrag, SidewaysDragTogglesTheGroupSeparator) {
  struct TCase {
    int Link;
    int Dx;
    const char* Tools;
  } cases[] = {
      {1, 4, "Alpha |Beta |Gamma Delta"},
      {2, -4, "Alpha Beta Gamma Delta"},
      {1, 3, "Alpha Beta |Gamma Delta"},
      {2, 4, "Alpha Beta |Gamma Delta"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Link) + " by " + std::to_string(c.Dx));
    TCustomizeForm f;
    f.manager->SetCustomizing(true);
    TdxBarItemLinks* tools = f.Links("Tools");
    TPoint from = f.At(tools->Items(c.Link));
    barinput::Drag(from, {}, Point(from.X + c.Dx, from.Y));
    EXPECT_EQ(CustLinks(tools), c.Tools);
  }
}

// A command dragged in (as the customizing dialog's command list does) lands
// where it is dropped: before or after a button by its half, after the group
// separator on the first half of a button that begins a group, before it on
// the separator's first half.
TEST(CustomizingDrag, CommandDropPlaces) {
  struct TCase {
    const char* Name;
    int OntoLink;
    double FX;
    bool Separator;
    const char* Tools;
  } cases[] = {
      {"first half", 1, 0.2, false, "Alpha Zeta Beta |Gamma Delta"},
      {"second half", 1, 0.8, false, "Alpha Beta Zeta |Gamma Delta"},
      {"group start first half", 2, 0.2, false, "Alpha Beta |Zeta Gamma Delta"},
      {"separator first half", 2, 0, true, "Alpha Beta Zeta |Gamma Delta"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TCustomizeForm f;
    f.manager->SetCustomizing(true);
    TdxBarItemLinks* tools = f.Links("Tools");
    TdxBarItemLink* onto = tools->Items(c.OntoLink);
    TPoint to = f.At(onto, c.FX);
    if (c.Separator) {
      // The first half of the band before the view.
      TRect s = onto->Control()->GroupSeparatorRect;
      ASSERT_GT(s.Width(), 1);
      to = tools->BarControl()->ClientToScreen(Point(s.Left, (s.Top + s.Bottom) / 2));
    }
    TPoint from = f.Empty();
    bool started = false;
    testui::TOneShot start(100, [&] {
      started = true;
      f.manager->DragItem(f.Item("btnF"), nullptr);
    });
    start.timer->SetEnabled(true);
    barinput::Drag(from, {Point(from.X - 40, from.Y - 40)}, to);
    testui::PumpUntil([&] { return !f.manager->DragInProgress(); }, 2000);
    EXPECT_TRUE(started);
    EXPECT_EQ(CustLinks(tools), c.Tools);
    // The new link's view is the customizing selection.
    TdxBarItemControl* sel = f.manager->SelectedItemControl();
    ASSERT_TRUE(sel);
    EXPECT_EQ(sel->Item(), f.Item("btnF"));
  }
}

// The insertion mark is drawn inverted where the drop would go (here the end
// of a view whose next link begins a group) and leaves nothing behind.
TEST(CustomizingDrag, InsertMarkIsInvertedAndErased) {
  TCustomizeForm f;
  f.manager->SetCustomizing(true);
  TdxBarItemLinks* tools = f.Links("Tools");
  TdxBarItemLink* beta = tools->Items(1);
  HWND w = tools->BarControl()->Handle();
  TRect r = beta->ItemRect;
  // A pixel of the I-beam's stem, which runs 4 pixels inside the view's right edge.
  Integer px = r.Right - 4, py = (r.Top + r.Bottom) / 2;
  auto pixel = [&] {
    HDC dc = GetDC(w);
    COLORREF c = GetPixel(dc, px, py);
    ReleaseDC(w, dc);
    return c;
  };
  COLORREF before = pixel();
  std::vector<COLORREF> during;
  TPoint from = f.At(tools->Items(3));
  barinput::Drag(from, {Point(from.X, from.Y + 4)}, f.At(beta, 0.75), [&] {
    if (f.manager->DragInProgress()) during.push_back(pixel());
  });
  ASSERT_GE(during.size(), 2u);
  // The last moves were over the second half of Beta.
  EXPECT_EQ(during.back(), before ^ 0xFFFFFFu);
  EXPECT_EQ(CustLinks(tools), "Alpha Beta Delta |Gamma");
  // Whatever is on the bar now is what a repaint draws.
  TRect now = tools->Items(2)->ItemRect;
  px = now.Right - 4;
  COLORREF shown = pixel();
  InvalidateRect(w, nullptr, TRUE);
  UpdateWindow(w);
  EXPECT_EQ(pixel(), shown);
}

TEST(CustomizingDrag, EscapeCancelsAndOffBarsDropOfACommandAddsNothing) {
  TCustomizeForm f;
  f.manager->SetCustomizing(true);
  TdxBarItemLinks* tools = f.Links("Tools");
  // Esc during a link drag leaves everything in place.
  TPoint from = f.At(tools->Items(0));
  TPoint to = f.At(f.Links("Extra")->Items(1));
  testui::TOneShot esc(400, [] { barinput::Key(VK_ESCAPE, false); barinput::Key(VK_ESCAPE, true); });
  esc.timer->SetEnabled(true);
  barinput::Drag(from, {Point(from.X, from.Y + 6), Point(to.X, to.Y + 6)}, to);
  barinput::Settle();
  EXPECT_EQ(CustLinks(tools), "Alpha Beta |Gamma Delta");
  EXPECT_EQ(CustLinks(f.Links("Extra")), "Epsilon Zeta");
  // A command released off the bars adds no link anywhere.
  testui::TOneShot start(100, [&] { f.manager->DragItem(f.Item("btnA"), nullptr); });
  start.timer->SetEnabled(true);
  barinput::Drag(f.Empty(), {}, Point(f.Empty().X - 60, f.Empty().Y));
  testui::PumpUntil([&] { return !f.manager->DragInProgress(); }, 2000);
  EXPECT_EQ(CustLinks(tools), "Alpha Beta |Gamma Delta");
  EXPECT_EQ(f.Item("btnA")->LinkCount(), 1);
}

// A link dragged out of an open menu and off the bars leaves the menu.
TEST(CustomizingDrag, OutOfAMenu) {
  TCustomizeForm f;
  f.manager->SetCustomizing(true);
  auto* sub = static_cast<TCustomdxBarSubItem*>(f.Item("subMore"));
  barinput::Click(f.At(f.Links("Menu")->Items(0)));
  ASSERT_TRUE(testui::PumpUntil([&] { return sub->MenuWindow() != nullptr; }, 1000));
  TPoint from = f.At(sub->ItemLinks()->Items(0));
  barinput::Drag(from, {Point(from.X + 5, from.Y)}, f.Empty());
  EXPECT_EQ(CustLinks(sub->ItemLinks()), "Zeta");
  EXPECT_EQ(f.Item("btnE")->LinkCount(), 1);  // Extra keeps its own
}

// A double click on a dock site starts customizing when the manager allows it.
TEST(CustomizingMode, DoubleClickOnADockSiteStartsIt) {
  for (bool can : {false, true}) {
    SCOPED_TRACE(can ? "can customize" : "cannot");
    TCustomizeForm f;
    f.manager->SetCanCustomize(can);
    TdxDockControl* site = f.manager->Bars()->DockControl(dsTop);
    TdxBarControl* tools = f.Bar("Tools")->Control();
    TPoint p = site->ClientToScreen(Point(site->ClientWidth() - 6, tools->Top() + tools->Height() / 2));
    barinput::MoveTo(p);
    barinput::Settle(30);
    for (int i = 0; i < 2; ++i) {
      barinput::Button(MOUSEEVENTF_LEFTDOWN);
      barinput::Button(MOUSEEVENTF_LEFTUP);
    }
    barinput::Settle(100);
    EXPECT_EQ(f.manager->IsCustomizing(), can);
  }
}

// A command dragged over a sub item on the main menu opens its menu, and the
// drop lands among the menu's rows.
TEST(CustomizingDrag, IntoAnOpenedMenu) {
  TCustomizeForm f;
  f.manager->SetCustomizing(true);
  auto* sub = static_cast<TCustomdxBarSubItem*>(f.Item("subMore"));
  TPoint from = f.At(f.Links("Tools")->Items(0));
  TPoint more = f.At(f.Links("Menu")->Items(0));
  // Steps from a timer, so they go on inside the drag's loop; the last target
  // is only known once the menu is open.
  int step = 0;
  TPoint at = from;
  TTimer timer(nullptr);
  timer.SetInterval(40);
  timer.OnTimer = [&](TObject*) {
    switch (step) {
      case 0: barinput::MoveTo(from); break;
      case 1: barinput::Button(MOUSEEVENTF_LEFTDOWN); break;
      case 2: at = Point(from.X, from.Y + 5); barinput::MoveTo(at); break;
      case 3: barinput::MoveTo(Point((at.X + more.X) / 2, (at.Y + more.Y) / 2)); break;
      case 4: barinput::MoveTo(more); break;
      case 5:
        if (!sub->MenuWindow()) return;  // wait for the menu
        at = f.At(sub->ItemLinks()->Items(0), 0.5, 0.75);
        barinput::MoveTo(Point(at.X, at.Y - 1));
        break;
      case 6: barinput::MoveTo(at); break;
      case 7: barinput::Button(MOUSEEVENTF_LEFTUP); break;
      default: return;
    }
    ++step;
  };
  timer.SetEnabled(true);
  EXPECT_TRUE(testui::PumpUntil([&] { return step >= 8 && !f.manager->DragInProgress(); }, 6000));
  timer.SetEnabled(false);
  barinput::Settle();
  EXPECT_EQ(CustLinks(sub->ItemLinks()), "Epsilon Alpha Zeta");
  EXPECT_EQ(CustLinks(f.Links("Tools")), "Beta |Gamma Delta");
}

// --- The toolbar list and the customizing popup ------------------------------------------------------------

// The captions of a window's shown links, with * for a checked entry and ~
// for a disabled one.
std::string MenuText(TCustomdxBarControl* W) {
  std::string s;
  if (!W || !W->ItemLinks()) return "(none)";
  for (TdxBarItemLink* l : W->ItemLinks()->ShownLinks()) {
    if (!s.empty()) s += ' ';
    if (l->BeginGroup()) s += '|';
    std::string caption = l->Control() ? l->Control()->GetCaption() : l->Item()->Caption();
    s += caption;
    if (auto* b = dynamic_cast<TdxBarButton*>(l->Item()); b && b->ButtonStyle() == bsChecked && b->Down()) s += '*';
    if (!l->Item()->Enabled()) s += '~';
  }
  return s;
}

TdxBarItemLink* LinkCaptioned(TCustomdxBarControl* W, const std::string& Caption) {
  for (TdxBarItemLink* l : W->ItemLinks()->ShownLinks())
    if (l->Control() && l->Control()->GetCaption() == Caption) return l;
  return nullptr;
}

// A picture of a form with its bar windows and some pop-up windows over it,
// each copied from its own window DC, in the build folder.
void SaveScreenPng(TCustomizeForm& F, std::initializer_list<TWinControl*> Popups, const std::string& Name) {
  std::vector<HWND> windows{F.form->Handle()};
  for (Integer i = 0; i < F.manager->Bars()->Count(); ++i)
    if (TdxBarControl* w = F.manager->Bars()->Items(i)->Control(); w && w->HandleAllocated() && IsWindowVisible(w->Handle()))
      windows.push_back(w->Handle());
  for (TWinControl* w : Popups) windows.push_back(w->Handle());
  RECT a;
  GetWindowRect(windows[0], &a);
  for (HWND h : windows) {
    RECT r;
    GetWindowRect(h, &r);
    UnionRect(&a, &a, &r);
  }
  barinput::Settle(60);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetWidth(a.right - a.left);
  bmp.SetHeight(a.bottom - a.top);
  HDC dc = bmp.Canvas()->Handle();
  RECT all{0, 0, a.right - a.left, a.bottom - a.top};
  FillRect(dc, &all, GetSysColorBrush(COLOR_APPWORKSPACE));
  for (HWND h : windows) {
    RECT r;
    GetWindowRect(h, &r);
    HDC src = GetWindowDC(h);
    BitBlt(dc, r.left - a.left, r.top - a.top, r.right - r.left, r.bottom - r.top, src, 0, 0, SRCCOPY);
    ReleaseDC(h, src);
  }
  EXPECT_TRUE(SaveBitmapAsPng(&bmp, Name));
}

// A right click on the empty part of a dock site lists the closable bars
// that are not hidden (never the main menu), checked when shown; a click on
// an entry shows or hides its bar.
TEST(ToolbarList, RightClickOnADockSiteListsTheBars) {
  struct TCase {
    bool CanCustomize;
    bool Closable;
    const char* Menu;
  } cases[] = {
      {true, true, "Tools* Extra |&Customize..."},
      {false, true, "Tools* Extra"},
      {true, false, "|&Customize..."},
      {false, false, "(none)"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Menu);
    TCustomizeForm f;
    f.manager->SetCanCustomize(c.CanCustomize);
    for (const char* b : {"Tools", "Extra"}) f.Bar(b)->SetAllowClose(c.Closable);
    f.Bar("Extra")->SetVisible(false);
    TdxDockControl* site = f.manager->Bars()->DockControl(dsTop);
    TdxBarControl* tools = f.Bar("Tools")->Control();
    TPoint p = site->ClientToScreen(Point(site->ClientWidth() - 6, tools->Top() + tools->Height() / 2));
    barinput::Click(p, true);
    auto* popup = dynamic_cast<TdxBarToolbarsPopup*>(ActiveBarControl());
    EXPECT_EQ(MenuText(popup), c.Menu);
    if (!popup || !c.Closable) continue;
    barinput::Click(f.At(LinkCaptioned(popup, "Extra")));
    EXPECT_TRUE(f.Bar("Extra")->Visible());
    EXPECT_EQ(ActiveBarControl(), nullptr);
    // The list of a toolbar's right click; its customize entry starts customizing.
    if (!c.CanCustomize) continue;
    barinput::Click(f.At(f.Links("Tools")->Items(0)), true);
    popup = dynamic_cast<TdxBarToolbarsPopup*>(ActiveBarControl());
    ASSERT_TRUE(popup);
    EXPECT_EQ(MenuText(popup), "Tools* Extra* |&Customize...");
    barinput::Click(f.At(LinkCaptioned(popup, "&Customize...")));
    EXPECT_TRUE(f.manager->IsCustomizing());
  }
}

// The customizing popup of a link, opened by a right click while customizing:
// its entries follow the link, and each changes just that link.
TEST(CustomizingPopup, EntriesFollowTheLinkAndChangeIt) {
  TCustomizeForm f;
  f.manager->SetCustomizing(true);
  TdxBarItemLinks* tools = f.Links("Tools");
  auto open = [&](Integer Index) {
    barinput::Click(f.At(tools->Items(Index)), true);
    TdxBarCustomizingPopup* p = TdxBarCustomizingPopup::Current();
    EXPECT_TRUE(p);
    if (p) {
      EXPECT_EQ(TdxBarCustomizingPopup::CurrentLink(), tools->Items(Index));
    }
    return p;
  };
  auto click = [&](TdxBarCustomizingPopup* P, const char* Caption) {
    TdxBarItemLink* l = LinkCaptioned(P, Caption);
    ASSERT_TRUE(l) << Caption;
    barinput::Click(f.At(l));
  };
  // The first link cannot begin a group.
  TdxBarCustomizingPopup* p = open(0);
  ASSERT_TRUE(p);
  EXPECT_EQ(MenuText(p), "&Reset &Delete |&Name: |Defa&ult style* &Text Only (Always) Text &Only (in Menus) Image &and Text "
                         "|Begin a &Group~");
  SaveScreenPng(f, {p}, "bars_customizing_popup.png");
  click(p, "Image &and Text");
  EXPECT_EQ(tools->Items(0)->UserPaintStyle(), psCaptionGlyph);
  EXPECT_TRUE(tools->Items(0)->UserDefine().Contains(udPaintStyle));
  // The popup shows the link's own state the next time.
  p = open(0);
  ASSERT_TRUE(p);
  EXPECT_EQ(MenuText(p), "&Reset &Delete |&Name: |Defa&ult style &Text Only (Always) Text &Only (in Menus) Image &and Text* "
                         "|Begin a &Group~");
  click(p, "&Reset");
  EXPECT_TRUE(tools->Items(0)->UserDefine().Empty());
  // Group start of a later link, then its deletion.
  p = open(2);
  ASSERT_TRUE(p);
  EXPECT_EQ(MenuText(p), "&Reset &Delete |&Name: |Defa&ult style* &Text Only (Always) Text &Only (in Menus) Image &and Text "
                         "|Begin a &Group*");
  click(p, "Begin a &Group");
  EXPECT_EQ(CustLinks(tools), "Alpha Beta Gamma Delta");
  p = open(1);
  ASSERT_TRUE(p);
  click(p, "&Delete");
  EXPECT_EQ(CustLinks(tools), "Alpha Gamma Delta");
  EXPECT_EQ(TdxBarCustomizingPopup::CurrentLink(), nullptr);
  // An edit item's link has no paint styles to choose.
  auto* edit = new TdxBarEdit(f.form.get());
  edit->SetCaption("Find");
  edit->SetCategory(0);
  f.Links("Extra")->Add()->SetItem(edit);
  barinput::Click(f.At(f.Links("Extra")->Items(2)), true);
  p = TdxBarCustomizingPopup::Current();
  ASSERT_TRUE(p);
  EXPECT_EQ(MenuText(p), "&Reset &Delete |&Name: |Defa&ult style*~ &Text Only (Always)~ Text &Only (in Menus)~ "
                         "Image &and Text~ |Begin a &Group");
  p->CloseMenu();
  barinput::Settle();
  // Leaving customizing mode frees an open popup.
  p = open(1);
  ASSERT_TRUE(p);
  f.manager->SetCustomizing(false);
  barinput::Settle();
  EXPECT_EQ(TdxBarCustomizingPopup::Current(), nullptr);
  EXPECT_FALSE(IsLiveBarControl(p));
}

// The name entry edits the link's caption in place: Enter stores a new name as
// the link's user caption; a blank name is refused with a message and closes
// the popup.
TEST(CustomizingPopup, NameEntryRenamesTheLinkAndRefusesABlankName) {
  struct TCase {
    const char* Typed;
    const char* Caption;
    size_t Messages;
  } cases[] = {{"renamed", "renamed", 0}, {"", "Beta", 1}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Typed);
    TCustomizeForm f;
    f.manager->SetCustomizing(true);
    TdxBarItemLink* beta = f.Links("Tools")->Items(1);
    barinput::Click(f.At(beta), true);
    TdxBarCustomizingPopup* p = TdxBarCustomizingPopup::Current();
    ASSERT_TRUE(p);
    auto* name = dynamic_cast<TdxBarEdit*>(p->Entry(2));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->Text(), "Beta");
    TCustBoxAnswer box(IDOK);
    barinput::Click(f.At(LinkCaptioned(p, "&Name:"), 0.8));
    barinput::Tap(VK_END);
    barinput::Chord({VK_SHIFT}, VK_HOME);
    barinput::Tap(VK_DELETE);
    for (const char* k = c.Typed; *k; ++k) barinput::Tap(static_cast<Word>(std::toupper(static_cast<unsigned char>(*k))));
    barinput::Tap(VK_RETURN);
    barinput::Settle(100);
    EXPECT_EQ(beta->EffectiveCaption(), c.Caption);
    EXPECT_EQ(beta->UserDefine().Contains(udCaption), c.Messages == 0);
    ASSERT_EQ(box.texts.size(), c.Messages);
    if (c.Messages) {
      EXPECT_EQ(box.texts[0], "A command name cannot be blank. Please enter a name.");
      EXPECT_EQ(TdxBarCustomizingPopup::Current(), nullptr);
    }
  }
}

// --- Quick customizing -------------------------------------------------------------------------------------

// A toolbar too short for its links: its mark opens the quick window with
// exactly the links that got no place, and the add-or-remove menu hides and
// shows links of the toolbar while it stays open.
TEST(QuickCustomizing, MarkListsCutLinksAndTheMenuTogglesThem) {
  TCustomizeForm f;
  f.form->SetLeft(300);
  f.form->SetClientWidth(70);
  barinput::Settle();
  TdxBarControl* tools = f.Bar("Tools")->Control();
  ASSERT_TRUE(tools->HasMark());
  std::string cut;
  for (TdxBarItemLink* l : f.Links("Tools")->VisibleLinks())
    if (l->ItemRect.Width() <= 0 || l->ShownIndex() < 0)
      cut += (cut.empty() ? "" : " ") + std::string(l->BeginGroup() ? "|" : "") + l->Item()->Caption();
  ASSERT_FALSE(cut.empty());
  TRect m = tools->MarkRect();
  TPoint mark = tools->ClientToScreen(Point((m.Left + m.Right) / 2, (m.Top + m.Bottom) / 2));
  barinput::Click(mark);
  TdxBarQuickControl* q = TdxBarQuickControl::Current();
  ASSERT_TRUE(q);
  EXPECT_EQ(tools->QuickCustomizingWindow, q);
  EXPECT_EQ(MenuText(q), cut + " |&Add or Remove Buttons");
  // The window lies below the mark, right-aligned with it.
  RECT wr;
  GetWindowRect(q->Handle(), &wr);
  TPoint markBottomRight = tools->ClientToScreen(Point(m.Right, m.Bottom));
  EXPECT_EQ(wr.top, markBottomRight.Y);
  EXPECT_EQ(wr.right, markBottomRight.X);

  barinput::Click(f.At(LinkCaptioned(q, "&Add or Remove Buttons")));
  auto* menu = dynamic_cast<TdxBarSubMenuControl*>(ActiveBarControl());
  ASSERT_TRUE(menu);
  EXPECT_EQ(MenuText(menu), "Alpha Beta Gamma Delta |&Reset Toolbar &Customize...");
  SaveScreenPng(f, {q, menu}, "bars_quick_customizing.png");
  TdxBarItemLink* alpha = f.Links("Tools")->Items(0);
  barinput::Click(f.At(LinkCaptioned(menu, "Alpha")));
  EXPECT_FALSE(alpha->Visible());
  EXPECT_TRUE(IsLiveBarControl(menu));
  barinput::Click(f.At(LinkCaptioned(menu, "Alpha")));
  EXPECT_TRUE(alpha->Visible());
  // A click on the mark closes the window (with its menu) and opens no new one.
  barinput::Click(mark);
  barinput::Settle(100);
  EXPECT_EQ(TdxBarQuickControl::Current(), nullptr);
  EXPECT_FALSE(IsLiveBarControl(menu));
  EXPECT_EQ(tools->QuickCustomizingWindow, nullptr);
  EXPECT_EQ(tools->MarkState(), 0);
}

// Opens the quick window of a bar by a click on its mark.
TdxBarQuickControl* OpenQuick(TdxBarControl* W) {
  TRect m = W->MarkRect();
  barinput::Click(W->ClientToScreen(Point((m.Left + m.Right) / 2, (m.Top + m.Bottom) / 2)));
  return TdxBarQuickControl::Current();
}

// Near the bottom of the work area the window opens above the mark; for a bar
// docked at the right edge of the screen it opens left of the mark.
TEST(QuickCustomizing, PlacementNearTheWorkAreaEdges) {
  TRect wa = GetWorkAreaAt(POINT{100, 100});
  struct TCase {
    TdxBarDockingStyle Side;
    const char* Expect;
  } cases[] = {{dsBottom, "above"}, {dsRight, "left"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Expect);
    TCustomizeForm f;
    f.Bar("Tools")->SetDockingStyle(c.Side);
    if (c.Side == dsBottom)
      f.form->SetTop(wa.Bottom - f.form->Height());
    else
      f.form->SetLeft(wa.Right - f.form->Width());
    barinput::Settle();
    TdxBarControl* tools = f.Bar("Tools")->Control();
    TdxBarQuickControl* q = OpenQuick(tools);
    ASSERT_TRUE(q);
    TRect m = tools->MarkRect();
    TPoint topLeft = tools->ClientToScreen(Point(m.Left, m.Top));
    RECT wr;
    GetWindowRect(q->Handle(), &wr);
    if (c.Side == dsBottom) {
      EXPECT_EQ(wr.bottom, topLeft.Y);
    } else {
      EXPECT_EQ(wr.right, topLeft.X);
      EXPECT_GE(wr.top, wa.Top);
    }
    EXPECT_LE(wr.bottom, wa.Bottom);
    EXPECT_LE(wr.right, wa.Right);
  }
}

// The add-or-remove menu offers the reset only for a bar that can be reset
// and the customize entry only when the manager allows customizing.
TEST(QuickCustomizing, MenuTailFollowsResetAndCustomizePermissions) {
  struct TCase {
    bool CanCustomize, AllowReset;
    const char* Tail;
  } cases[] = {
      {true, true, "|&Reset Toolbar &Customize..."},
      {true, false, "|&Customize..."},
      {false, true, "|&Reset Toolbar"},
      {false, false, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Tail);
    TCustomizeForm f;
    f.manager->SetCanCustomize(c.CanCustomize);
    f.Bar("Extra")->SetAllowReset(c.AllowReset);
    TdxBarQuickControl* q = OpenQuick(f.Bar("Extra")->Control());
    ASSERT_TRUE(q);
    barinput::Click(f.At(LinkCaptioned(q, "&Add or Remove Buttons")));
    auto* menu = dynamic_cast<TdxBarSubMenuControl*>(ActiveBarControl());
    ASSERT_TRUE(menu);
    EXPECT_EQ(MenuText(menu), std::string("Epsilon Zeta") + (*c.Tail ? " " : "") + c.Tail);
    if (!c.AllowReset) continue;
    // The reset asks first; Cancel keeps the links.
    f.Links("Extra")->Items(0)->SetVisible(false);
    TCustBoxAnswer cancel(IDCANCEL);
    barinput::Click(f.At(LinkCaptioned(menu, "&Reset Toolbar")));
    EXPECT_EQ(cancel.texts.size(), 1u);
    EXPECT_EQ(CustLinks(f.Links("Extra")), "Epsilon(hidden) Zeta");
  }
}

// Hovering a button of another toolbar closes the quick window shortly after.
TEST(QuickCustomizing, SelectionInAnotherBarClosesItSoon) {
  TCustomizeForm f;
  TdxBarQuickControl* q = OpenQuick(f.Bar("Extra")->Control());
  ASSERT_TRUE(q);
  TdxBarControl* extra = f.Bar("Extra")->Control();
  barinput::MoveTo(f.At(f.Links("Tools")->Items(1)));
  barinput::Settle(60);
  EXPECT_TRUE(TdxBarQuickControl::Current()) << "still open within the delay";
  EXPECT_TRUE(testui::PumpUntil([] { return TdxBarQuickControl::Current() == nullptr; }, 1000));
  EXPECT_EQ(extra->MarkState(), 0);
}

TEST(QuickCustomizing, CustomizeEntryClosesTheWindowAndStartsCustomizing) {
  TCustomizeForm f;
  TdxBarControl* extra = f.Bar("Extra")->Control();
  TdxBarQuickControl* q = OpenQuick(extra);
  ASSERT_TRUE(q);
  barinput::Click(f.At(LinkCaptioned(q, "&Add or Remove Buttons")));
  auto* menu = dynamic_cast<TdxBarSubMenuControl*>(ActiveBarControl());
  ASSERT_TRUE(menu);
  barinput::Click(f.At(LinkCaptioned(menu, "&Customize...")));
  EXPECT_TRUE(f.manager->IsCustomizing());
  EXPECT_EQ(TdxBarQuickControl::Current(), nullptr);
  EXPECT_EQ(extra->MarkState(), 0);
  // The quick window's own bar went with it.
  EXPECT_EQ(f.manager->Bars()->Count(), 4);
}

// Freeing the form (or just its manager) in the middle of customizing or quick
// customizing leaves no bar window, manager or hook behind.
TEST(CustomizingTeardown, FreeingInTheMiddleLeavesNothing) {
  struct TCase {
    const char* Name;
    bool ManagerFirst;
    std::function<void(TCustomizeForm&, std::vector<TCustomdxBarControl*>&)> Before;
  } cases[] = {
      {"quick window with its menu open", false,
       [](TCustomizeForm& F, std::vector<TCustomdxBarControl*>& W) {
         TdxBarQuickControl* q = OpenQuick(F.Bar("Extra")->Control());
         ASSERT_TRUE(q);
         barinput::Click(F.At(LinkCaptioned(q, "&Add or Remove Buttons")));
         W.push_back(q);
         W.push_back(ActiveBarControl());
       }},
      {"quick window, manager first", true,
       [](TCustomizeForm& F, std::vector<TCustomdxBarControl*>& W) { W.push_back(OpenQuick(F.Bar("Tools")->Control())); }},
      {"customizing popup open", false,
       [](TCustomizeForm& F, std::vector<TCustomdxBarControl*>& W) {
         F.endCustomizing = false;
         F.manager->SetCustomizing(true);
         barinput::Click(F.At(F.Links("Tools")->Items(1)), true);
         W.push_back(TdxBarCustomizingPopup::Current());
       }},
      {"customizing, manager first", true,
       [](TCustomizeForm& F, std::vector<TCustomdxBarControl*>& W) {
         F.manager->SetCustomizing(true);
         barinput::Click(F.At(F.Links("Tools")->Items(1)), true);
         W.push_back(TdxBarCustomizingPopup::Current());
       }},
      {"toolbar list open", false,
       [](TCustomizeForm& F, std::vector<TCustomdxBarControl*>& W) {
         barinput::Click(F.At(F.Links("Tools")->Items(0)), true);
         W.push_back(ActiveBarControl());
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<TCustomdxBarControl*> windows;
    {
      TCustomizeForm f;
      c.Before(f, windows);
      for (TCustomdxBarControl* w : windows) EXPECT_TRUE(w && IsLiveBarControl(w));
      if (c.ManagerFirst) {
        delete f.manager;
        f.manager = nullptr;
        EXPECT_EQ(TdxBarManager::ManagerCount(), 0);
      }
    }
    for (TCustomdxBarControl* w : windows) EXPECT_FALSE(IsLiveBarControl(w));
    EXPECT_EQ(TdxBarQuickControl::Current(), nullptr);
    EXPECT_EQ(TdxBarCustomizingPopup::Current(), nullptr);
    EXPECT_EQ(TdxBarManager::ManagerCount(), 0);
    EXPECT_FALSE(dxBarHooksInstalled());
    Application->ProcessMessages();
  }
}

}  // namespace
