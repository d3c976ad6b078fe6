// A form resource with a manager, two toolbars, four categories and twenty
// buttons: read, shown, painted in every style, clicked with real input and
// written back; the click road from a mouse press to the command handler.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "bars/dxBar.h"
#include "platform/FormReader.h"
#include "tests/support/png_writer.h"
#include "tests/bars/menu_model.h"
#include "tests/support/ui.h"

namespace {

class TfrmBarsTest : public TForm {
 public:
  T_CLASSNAME(TfrmBarsTest)
  explicit TfrmBarsTest(TComponent* AOwner) : TForm(AOwner) {}
  std::vector<std::string> log;
  bool throwOnClick = false;
  TdxBarItemLink* clickLink = nullptr;
  bool menusOpenAtClick = false, pressedAtClick = false, downAtClick = false;
  void MenuClick(TObject* Sender) {
    log.push_back("click:" + static_cast<TComponent*>(Sender)->Name());
    clickLink = static_cast<TdxBarItem*>(Sender)->ClickItemLink();
    menusOpenAtClick = ActiveBarControl() != nullptr;
    pressedAtClick = clickLink && clickLink->Control() && clickLink->Control()->Pressed;
    downAtClick = static_cast<TdxBarButton*>(Sender)->Down();
    if (throwOnClick) throw Exception("command failed");
  }
  void BarManager1ClickItem(TObject*, TdxBarItem* Item) { log.push_back("item:" + Item->Name()); }
};

const bool registered = [] {
  RegisterClassInfo<TfrmBarsTest, TForm>("TfrmBarsTest");
  RegisterHandlers<TfrmBarsTest>(
      {{"MenuClick", &TfrmBarsTest::MenuClick}, {"BarManager1ClickItem", &TfrmBarsTest::BarManager1ClickItem}});
  return true;
}();

std::string FixtureText() {
  std::ifstream in(std::string(TEST_DATA_DIR).substr(2) + "/bars/bars_form.dfm", std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct TLoadedForm {
  std::unique_ptr<TfrmBarsTest> form;
  TdxBarManager* manager = nullptr;
  explicit TLoadedForm(bool Show = true) {
    form = std::make_unique<TfrmBarsTest>(nullptr);
    try {
      ReadComponentFromText(FixtureText(), form.get());
    } catch (const Exception& e) {
      ADD_FAILURE() << e.Message();
    }
    manager = FindBarManagerOfForm(form.get());
    if (Show) ShowForm();
  }
  void ShowForm() {
    form->Show();
    SetForegroundWindow(form->Handle());
    Application->ProcessMessages();
  }
  TdxBarItem* Item(const char* Name) { return dynamic_cast<TdxBarItem*>(form->FindComponent(Name)); }
  TdxBar* Bar(const char* Caption) { return manager->BarByCaption(Caption); }
  TdxBarItemLink* LinkOf(const char* Bar_, const char* ItemName) {
    TdxBarItemLinks* links = Bar(Bar_)->ItemLinks();
    for (Integer i = 0; i < links->Count(); ++i)
      if (links->Items(i)->Item() == Item(ItemName)) return links->Items(i);
    return nullptr;
  }
  TPoint ScreenCenter(const char* Bar_, const char* ItemName) {
    TdxBarItemLink* l = LinkOf(Bar_, ItemName);
    TRect r = l->ItemRect;
    return Bar(Bar_)->Control()->ClientToScreen(Point((r.Left + r.Right) / 2 - 2, (r.Top + r.Bottom) / 2));
  }
};

void ClickScreenAt(TPoint P) {
  SetCursorPos(P.X, P.Y);
  Application->ProcessMessages();
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &in[0], sizeof(INPUT));
  testui::PumpUntil([] { return false; }, 60);
  SendInput(1, &in[1], sizeof(INPUT));
  testui::PumpUntil([] { return false; }, 100);
}

// Moves the mouse as a person does (an absolute move through the input queue)
// and lets the windows react; the cursor must land on the pixel asked for.
void MoveMouseExactlyTo(TPoint P) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  Integer sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  in.mi.dx = static_cast<LONG>((static_cast<int64_t>(P.X) * 65536 + sw - 1) / sw);
  in.mi.dy = static_cast<LONG>((static_cast<int64_t>(P.Y) * 65536 + sh - 1) / sh);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(INPUT));
  testui::PumpUntil([] { return false; }, 60);
  POINT c;
  GetCursorPos(&c);
  EXPECT_EQ(c.x, P.X);
  EXPECT_EQ(c.y, P.Y);
}

using menutest::Px;
using menutest::Snapshot;
using menutest::Sys;

}  // namespace

TEST(BarFormRoundTrip, FormIsReadShownAndWrittenBackUnchanged) {
  TLoadedForm f(false);
  ASSERT_NE(f.manager, nullptr);
  std::string written = WriteComponentToText(f.form.get());
  std::ofstream("bars_form_written.dfm", std::ios::binary) << written;
  EXPECT_EQ(written, FixtureText());
  f.ShowForm();
  EXPECT_EQ(f.manager->ItemCount(), 20);
  EXPECT_EQ(f.manager->Bars()->Count(), 2);
  EXPECT_EQ(f.manager->Categories()->Count(), 4);
  EXPECT_EQ(f.manager->ReadCount(), 1);
  // Both toolbars are docked at the top in their rows, with one view per shown link.
  TdxBarControl* tb = f.Bar("Toolbar")->Control();
  TdxBarControl* cmd = f.Bar("Commands")->Control();
  ASSERT_NE(tb, nullptr);
  ASSERT_NE(cmd, nullptr);
  EXPECT_LT(tb->Top(), cmd->Top());
  EXPECT_EQ(f.Bar("Toolbar")->ItemLinks()->ShownLinks().size(), 16u);  // btnHidden is ivNever
  for (TdxBarItemLink* l : f.Bar("Toolbar")->ItemLinks()->ShownLinks()) EXPECT_NE(l->Control(), nullptr);
  // Check groups and shortcuts came through.
  EXPECT_TRUE(static_cast<TdxBarButton*>(f.Item("btnAlignLeft"))->Down());
  EXPECT_EQ(f.Item("btnOpen")->ShortCut(), TextToShortCut("Ctrl+O"));
  EXPECT_EQ(static_cast<TdxBarButton*>(f.Item("btnZoom"))->DropDownMenu(), f.form->FindComponent("pmZoom"));
  // Shown and painted, the form still writes the same text but for its visibility.
  f.form->Repaint();
  std::string after = WriteComponentToText(f.form.get());
  after.erase(after.find("  Visible = True\n"), 17);
  EXPECT_EQ(after, FixtureText());
  // An item of no category (the framework's own kind) is never written, neither
  // under the manager nor as a child of the form.
  auto* internal = new TdxBarButton(f.form.get());
  internal->SetName("btnInternal");
  ASSERT_EQ(internal->Category(), -1);
  EXPECT_TRUE(internal->HasParent());
  EXPECT_EQ(internal->BarManager(), f.manager);
  after = WriteComponentToText(f.form.get());
  EXPECT_EQ(after.find("btnInternal"), std::string::npos);
}

TEST(BarFormClickRoad, MouseClickFiresClickItemThenOnClickOnce) {
  TLoadedForm f;
  ClickScreenAt(f.ScreenCenter("Toolbar", "btnSave"));
  ASSERT_TRUE(testui::PumpUntil([&] { return f.form->log.size() >= 2; }, 1000));
  testui::PumpUntil([] { return false; }, 50);
  EXPECT_EQ(f.form->log, (std::vector<std::string>{"item:btnSave", "click:btnSave"}));
  // The button is drawn pressed while its command runs, and only then.
  EXPECT_TRUE(f.form->pressedAtClick);
  EXPECT_FALSE(f.LinkOf("Toolbar", "btnSave")->Control()->Pressed);
  f.Item("btnSave")->SetUnclickAfterDoing(false);
  f.form->log.clear();
  ClickScreenAt(f.ScreenCenter("Toolbar", "btnSave"));
  testui::PumpUntil([&] { return f.form->log.size() >= 2; }, 1000);
  EXPECT_EQ(f.form->log.size(), 2u);
  EXPECT_FALSE(f.form->pressedAtClick);
  // A checked button toggles before its command runs, both ways.
  for (bool down : {true, false}) {
    f.form->log.clear();
    ClickScreenAt(f.ScreenCenter("Toolbar", "btnItalic"));
    testui::PumpUntil([&] { return f.form->log.size() >= 2; }, 1000);
    EXPECT_EQ(f.form->log, (std::vector<std::string>{"item:btnItalic", "click:btnItalic"}));
    EXPECT_EQ(f.form->downAtClick, down);
    EXPECT_EQ(static_cast<TdxBarButton*>(f.Item("btnItalic"))->Down(), down);
  }
  f.form->log.clear();
  // A press in a check group moves the group's down button.
  ClickScreenAt(f.ScreenCenter("Toolbar", "btnAlignRight"));
  testui::PumpUntil([&] { return f.form->log.size() >= 2; }, 1000);
  EXPECT_EQ(f.form->log, (std::vector<std::string>{"item:btnAlignRight", "click:btnAlignRight"}));
  EXPECT_TRUE(static_cast<TdxBarButton*>(f.Item("btnAlignRight"))->Down());
  EXPECT_FALSE(static_cast<TdxBarButton*>(f.Item("btnAlignLeft"))->Down());
}

TEST(BarFormClickRoad, DisabledAndHiddenItemsFireNothing) {
  TLoadedForm f;
  ClickScreenAt(f.ScreenCenter("Toolbar", "btnDelete"));
  testui::PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(f.form->log.empty());
  // A hidden item has no view; the place it had goes to its neighbour.
  TdxBarItemLink* hidden = f.LinkOf("Toolbar", "btnHidden");
  EXPECT_EQ(hidden->Control(), nullptr);
  EXPECT_EQ(hidden->ShownIndex(), -1);
  // Hiding a shown item at run time removes its view; the click lands elsewhere.
  TPoint p = f.ScreenCenter("Toolbar", "btnStop");
  f.Item("btnStop")->SetVisible(ivNever);
  Application->ProcessMessages();
  EXPECT_EQ(f.LinkOf("Toolbar", "btnStop")->Control(), nullptr);
  ClickScreenAt(p);
  testui::PumpUntil([] { return false; }, 200);
  for (const std::string& e : f.form->log) EXPECT_EQ(e.find("btnStop"), std::string::npos) << e;
}

TEST(BarFormClickRoad, HandlerExceptionReachesApplicationAndBarStaysUsable) {
  TLoadedForm f;
  std::vector<std::string> reported;
  TObject* sender = nullptr;
  auto saved = Application->OnException;
  Application->OnException = [&](TObject* S, const Exception& E) {
    sender = S;
    reported.push_back(E.Message());
  };
  f.form->throwOnClick = true;
  ClickScreenAt(f.ScreenCenter("Toolbar", "btnNew"));
  testui::PumpUntil([&] { return !reported.empty(); }, 1000);
  EXPECT_EQ(reported, std::vector<std::string>{"command failed"});
  EXPECT_EQ(sender, f.Item("btnNew"));
  EXPECT_EQ(f.Item("btnNew")->ClickItemLink(), nullptr);
  f.form->throwOnClick = false;
  f.form->log.clear();
  ClickScreenAt(f.ScreenCenter("Toolbar", "btnCopy"));
  testui::PumpUntil([&] { return f.form->log.size() >= 2; }, 1000);
  EXPECT_EQ(f.form->log, (std::vector<std::string>{"item:btnCopy", "click:btnCopy"}));
  Application->OnException = saved;
}

// The drop-down button: its arrow part opens the menu under the button without
// running the command; keys posted to the open menu move its selection; a click
// on a menu row runs that row's command with the menus closed first.
TEST(BarFormDropDown, ArrowOpensTheMenuKeysMoveInItAndARowClickRunsItsCommand) {
  TLoadedForm f;
  auto* pm = static_cast<TdxBarPopupMenu*>(f.form->FindComponent("pmZoom"));
  auto* zoom = static_cast<TdxBarButtonControl*>(f.LinkOf("Toolbar", "btnZoom")->Control());
  TdxBarControl* tb = f.Bar("Toolbar")->Control();
  TRect r = f.LinkOf("Toolbar", "btnZoom")->ItemRect;
  TPoint arrow = tb->ClientToScreen(Point(r.Right - f.manager->DropDownArrowWidth() / 2 - 1, (r.Top + r.Bottom) / 2));
  ClickScreenAt(arrow);
  TdxBarSubMenuControl* menu = pm->Window();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(IsWindowVisible(menu->Handle()));
  EXPECT_TRUE(zoom->DropDownOpen);
  EXPECT_TRUE(f.form->log.empty());  // the arrow runs no command
  RECT wr;
  GetWindowRect(menu->Handle(), &wr);
  TPoint below = tb->ClientToScreen(Point(r.Left, r.Bottom));
  EXPECT_EQ(wr.left, below.X);
  EXPECT_EQ(wr.top, below.Y);

  // Keys: Down and Up walk the rows (wrapping), Home and End jump, a letter
  // that is no row's accelerator changes nothing. (A unique accelerator runs
  // its row: at the end.)
  auto selected = [&] { return menu->SelectedControl() ? menu->SelectedControl()->Item()->Name() : std::string(); };
  struct Step {
    Word key;
    const char* selected;
  } steps[] = {{VK_DOWN, "btnPlay"}, {VK_DOWN, "btnStop"}, {VK_DOWN, "btnPlay"}, {VK_UP, "btnStop"},
               {VK_HOME, "btnPlay"}, {VK_END, "btnStop"},  {'Q', "btnStop"}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.key);
    PostMessageW(menu->Handle(), WM_KEYDOWN, s.key, 1);
    Application->ProcessMessages();
    ASSERT_EQ(pm->Window(), menu);
    EXPECT_EQ(selected(), s.selected);
  }

  // A click on the Stop row.
  TRect stop = pm->ItemLinks()->Items(1)->ItemRect;
  Integer uses = pm->ItemLinks()->Items(1)->UseCount;
  f.form->log.clear();
  ClickScreenAt(menu->ClientToScreen(Point((stop.Left + stop.Right) / 2, (stop.Top + stop.Bottom) / 2)));
  testui::PumpUntil([&] { return f.form->log.size() >= 2; }, 1000);
  EXPECT_EQ(f.form->log, (std::vector<std::string>{"item:btnStop", "click:btnStop"}));
  EXPECT_EQ(f.form->clickLink, pm->ItemLinks()->Items(1));
  EXPECT_FALSE(f.form->menusOpenAtClick);
  EXPECT_EQ(f.Item("btnStop")->ClickItemLink(), nullptr);
  EXPECT_EQ(pm->ItemLinks()->Items(1)->UseCount, uses + 1);
  EXPECT_EQ(LastMenuSound(), "MenuCommand");

  // Closing the menu tells the button; then its main part runs its command.
  // (Closing menus when a row's click ends the chain is the menu window's own
  // road, not built here.)
  pm->Close();
  EXPECT_FALSE(zoom->DropDownOpen);
  f.form->log.clear();
  ClickScreenAt(tb->ClientToScreen(Point(r.Left + 4, (r.Top + r.Bottom) / 2)));
  testui::PumpUntil([&] { return f.form->log.size() >= 2; }, 1000);
  EXPECT_EQ(f.form->log, (std::vector<std::string>{"item:btnZoom", "click:btnZoom"}));
  EXPECT_EQ(pm->Window(), nullptr);

  // A unique accelerator letter runs its row (the menus close first).
  ClickScreenAt(arrow);
  ASSERT_NE(pm->Window(), nullptr);
  f.form->log.clear();
  PostMessageW(pm->Window()->Handle(), WM_KEYDOWN, 'P', 1);
  Application->ProcessMessages();
  EXPECT_EQ(f.form->log, (std::vector<std::string>{"item:btnPlay", "click:btnPlay"}));
  EXPECT_EQ(pm->Window(), nullptr);
  f.form->log.clear();

  // Left in the drop-down goes back to the toolbar: the menu closes.
  ClickScreenAt(arrow);
  ASSERT_NE(pm->Window(), nullptr);
  PostMessageW(pm->Window()->Handle(), WM_KEYDOWN, VK_LEFT, 1);
  Application->ProcessMessages();
  EXPECT_EQ(pm->Window(), nullptr);
  EXPECT_FALSE(zoom->DropDownOpen);

  // With the drop-down disabled the arrow opens nothing.
  static_cast<TdxBarButton*>(f.Item("btnZoom"))->SetDropDownEnabled(false);
  f.form->log.clear();
  ClickScreenAt(arrow);
  EXPECT_EQ(pm->Window(), nullptr);
}

// Per style: a screenshot of the toolbar and of a menu window, and a few
// painting rules checked at their pixels.
TEST(BarFormPainting, EveryStyleDrawsHotCheckedDisabledAndSeparator) {
  TLoadedForm f;
  const TdxBarManagerStyle styles[] = {bmsStandard, bmsEnhanced, bmsFlat};
  const char* names[] = {"standard", "enhanced", "flat"};
  for (int s = 0; s < 3; ++s) {
    SCOPED_TRACE(names[s]);
    f.manager->SetStyle(styles[s]);
    TdxBarControl* tb = f.Bar("Toolbar")->Control();
    TdxBarItemControl* hot = f.LinkOf("Toolbar", "btnCopy")->Control();
    // The mouse comes from below the toolbar onto Copy.
    TPoint over = f.ScreenCenter("Toolbar", "btnCopy");
    MoveMouseExactlyTo(Point(over.X, over.Y + 120));
    MoveMouseExactlyTo(over);
    ASSERT_EQ(tb->SelectedControl(), hot);
    auto shot = Snapshot(tb);
    SaveBitmapAsPng(shot.get(), "bars_toolbar_" + std::string(names[s]) + ".png");
    bool flat = styles[s] == bmsFlat;

    // Hot-tracked button: a raised frame (flat: a highlight frame).
    TRect r = f.LinkOf("Toolbar", "btnCopy")->ItemRect;
    if (flat) {
      EXPECT_EQ(Px(shot.get(), r.Left, r.Top + 5), Sys(COLOR_HIGHLIGHT));
    } else {
      EXPECT_EQ(Px(shot.get(), r.Left, r.Top + 5), Sys(COLOR_BTNHIGHLIGHT));
      EXPECT_EQ(Px(shot.get(), r.Right - 1, r.Top + 5), Sys(COLOR_BTNSHADOW));
    }
    // Checked (down) button that is not hot: sunken, on the checked brush.
    TRect c = f.LinkOf("Toolbar", "btnBold")->ItemRect;
    if (flat) {
      EXPECT_EQ(Px(shot.get(), c.Left, c.Top + 5), Sys(COLOR_HIGHLIGHT));
      EXPECT_EQ(Px(shot.get(), c.Left + 2, c.Top + 2), static_cast<COLORREF>(NearestColor(ShadeSysColor(COLOR_BTNFACE, 0, 0, 16))));
    } else {
      EXPECT_EQ(Px(shot.get(), c.Left, c.Top + 5), Sys(COLOR_BTNSHADOW));
      COLORREF a = Px(shot.get(), c.Left + 2, c.Top + 2), b = Px(shot.get(), c.Left + 3, c.Top + 2);
      EXPECT_NE(a, b);  // the checker pattern
      EXPECT_TRUE((a == Sys(COLOR_BTNFACE) && b == Sys(COLOR_BTNHIGHLIGHT)) ||
                  (b == Sys(COLOR_BTNFACE) && a == Sys(COLOR_BTNHIGHLIGHT)));
    }
    // Disabled glyph (two black bars): shadow-coloured bars, embossed with a
    // highlight outline one pixel right and down except in flat style.
    TRect d = f.LinkOf("Toolbar", "btnDelete")->ItemRect;
    Integer gx = d.Left + (f.manager->DefaultItemWidth() - 16) / 2, gy = d.Top + (d.Height() - 16) / 2;
    EXPECT_EQ(Px(shot.get(), gx + 4, gy + 6), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(Px(shot.get(), gx + 6, gy + 6), flat ? Px(shot.get(), gx + 8, gy + 6) : Sys(COLOR_BTNHIGHLIGHT));
    // Group separator before Cut: an etched line in the gap.
    TdxBarItemControl* cut = f.LinkOf("Toolbar", "btnCut")->Control();
    TRect sep = cut->GroupSeparatorRect;
    ASSERT_GT(sep.Width(), 0);
    Integer mid = (sep.Left + sep.Right) / 2 - 1;
    EXPECT_EQ(Px(shot.get(), mid, (sep.Top + sep.Bottom) / 2), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(Px(shot.get(), mid + 1, (sep.Top + sep.Bottom) / 2), Sys(COLOR_BTNHIGHLIGHT));
    MoveMouseExactlyTo(Point(over.X, over.Y + 120));
    testui::PumpUntil([&] { return tb->SelectedControl() == nullptr; }, 500);
    EXPECT_EQ(tb->SelectedControl(), nullptr);

    // The drop-down menu of Zoom as a menu window.
    auto* pm = static_cast<TdxBarPopupMenu*>(f.form->FindComponent("pmZoom"));
    pm->ShowAt(100, 150);
    TdxBarSubMenuControl* menu = pm->Window();
    ASSERT_NE(menu, nullptr);
    TRect stopRow = pm->ItemLinks()->Items(1)->ItemRect;
    MoveMouseExactlyTo(menu->ClientToScreen(Point((stopRow.Left + stopRow.Right) / 2, (stopRow.Top + stopRow.Bottom) / 2)));
    ASSERT_EQ(menu->SelectedControl(), pm->ItemLinks()->Items(1)->Control());
    auto mshot = Snapshot(menu);
    SaveBitmapAsPng(mshot.get(), "bars_menu_" + std::string(names[s]) + ".png");
    TRect row = pm->ItemLinks()->Items(1)->ItemRect;
    // The selected row's text area is on the hot brush.
    LOGBRUSH lb{};
    GetObjectW(menu->HotBrush(), sizeof(lb), &lb);
    EXPECT_EQ(Px(mshot.get(), row.Right - 3, (row.Top + row.Bottom) / 2), lb.lbColor & 0xFFFFFF);
    if (flat) {
      int w = 0;
      RECT wr;
      GetWindowRect(menu->Handle(), &wr);
      w = wr.right - wr.left;
      EXPECT_EQ(w, menu->ClientWidth() + 4);  // the frame's two columns and the drop shadow's two
    }
    pm->Close();
  }
}

// The form frees its child controls (the dock sites, with the toolbar windows
// in them) before its components (items, popup menu, manager), and any of them
// can also be freed on its own first. Whatever the order, every window goes
// exactly once and nothing keeps a pointer to what went.
TEST(BarFormTeardown, EveryFreeingOrderLeavesNoWindowsManagersOrHooks) {
  struct Case {
    const char* name;
    bool show;
    std::function<void(TLoadedForm&)> before;  // runs before the form is freed
  } cases[] = {
      {"form freed while its bars are shown", true, nullptr},
      {"form never shown", false, nullptr},
      {"drop-down menu open", true,
       [](TLoadedForm& f) { static_cast<TdxBarPopupMenu*>(f.form->FindComponent("pmZoom"))->ShowAt(100, 150); }},
      {"drop-down opened from its button", true,
       [](TLoadedForm& f) {
         static_cast<TdxBarButtonControl*>(f.LinkOf("Toolbar", "btnZoom")->Control())->DropDown(false);
         ASSERT_NE(static_cast<TdxBarPopupMenu*>(f.form->FindComponent("pmZoom"))->Window(), nullptr);
       }},
      {"the button's bar hidden while its drop-down is open", true,
       [](TLoadedForm& f) {
         static_cast<TdxBarButtonControl*>(f.LinkOf("Toolbar", "btnZoom")->Control())->DropDown(false);
         f.Bar("Toolbar")->SetVisible(false);
         EXPECT_EQ(static_cast<TdxBarPopupMenu*>(f.form->FindComponent("pmZoom"))->Window(), nullptr);
       }},
      {"bars hidden first", true,
       [](TLoadedForm& f) {
         f.Bar("Toolbar")->SetVisible(false);
         f.Bar("Commands")->SetVisible(false);
       }},
      {"popup menu freed first", true,
       [](TLoadedForm& f) {
         delete f.form->FindComponent("pmZoom");
         EXPECT_EQ(static_cast<TdxBarButton*>(f.Item("btnZoom"))->DropDownMenu(), nullptr);
       }},
      {"an item freed first", true,
       [](TLoadedForm& f) {
         delete f.Item("btnCopy");
         EXPECT_EQ(f.Bar("Toolbar")->ItemLinks()->Count(), 16);
         EXPECT_EQ(f.manager->ItemCount(), 19);
       }},
      {"manager freed first", true,
       [](TLoadedForm& f) {
         Integer before = f.form->ComponentCount();
         delete f.manager;
         f.manager = nullptr;
         // Its dock sites, bar windows, items and bound popup menu went with it.
         EXPECT_EQ(f.form->ControlCount(), 0);
         EXPECT_EQ(f.form->ComponentCount(), before - 22);
         EXPECT_EQ(TdxBarManager::ManagerCount(), 0);
         EXPECT_FALSE(dxBarHooksInstalled());
         Application->ProcessMessages();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<TCustomdxBarControl*> windows;
    {
      TLoadedForm f(c.show);
      ASSERT_NE(f.manager, nullptr);
      EXPECT_TRUE(dxBarHooksInstalled());
      for (const char* b : {"Toolbar", "Commands"})
        if (f.Bar(b)->Control()) windows.push_back(f.Bar(b)->Control());
      if (c.show) {
        EXPECT_EQ(windows.size(), 2u);
      }
      if (c.before) c.before(f);
      if (auto* pm = static_cast<TdxBarPopupMenu*>(f.form->FindComponent("pmZoom")))
        if (pm->Window()) windows.push_back(pm->Window());
    }
    for (TCustomdxBarControl* w : windows) EXPECT_FALSE(IsLiveBarControl(w));
    EXPECT_EQ(TdxBarManager::ManagerCount(), 0);
    EXPECT_FALSE(dxBarHooksInstalled());
    Application->ProcessMessages();
  }
}

// The mouse leaving a toolbar clears its hot item: through TrackMouseEvent, and
// through the 50 ms poll used where USER32 lacks it.
TEST(BarFormMouseLeave, LeavingTheToolbarClearsItsHotItemEitherWay) {
  for (bool polling : {false, true}) {
    SCOPED_TRACE(polling ? "polling" : "TrackMouseEvent");
    SetMouseLeaveFallback(polling);
    TLoadedForm f;
    TdxBarControl* tb = f.Bar("Toolbar")->Control();
    TPoint over = f.ScreenCenter("Toolbar", "btnCopy");
    MoveMouseExactlyTo(Point(over.X, over.Y + 120));
    MoveMouseExactlyTo(over);
    ASSERT_EQ(tb->SelectedControl(), f.LinkOf("Toolbar", "btnCopy")->Control());
    EXPECT_TRUE(IsMouseLeaveTracked(tb->Handle()));
    DWORD start = GetTickCount();
    MoveMouseExactlyTo(Point(over.X, over.Y + 120));
    EXPECT_TRUE(testui::PumpUntil([&] { return tb->SelectedControl() == nullptr; }, 1000));
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_FALSE(IsMouseLeaveTracked(tb->Handle()));
  }
  SetMouseLeaveFallback(false);
}

// A toolbar in menu mode takes keys posted to it: arrows, Home and End move
// the selection (wrapping, past the hidden item); a disabled item reached
// by the keyboard is drawn selected, under the mouse it is not; F10 ends menu
// mode only when the manager uses it, Alt always does.
TEST(BarFormKeys, ToolbarInMenuModeRoutesKeysToTheSelection) {
  TLoadedForm f;
  TdxBarControl* tb = f.Bar("Toolbar")->Control();
  auto selected = [&] { return tb->SelectedControl() ? tb->SelectedControl()->Item()->Name() : std::string(); };
  auto post = [&](Word Key) {
    PostMessageW(tb->Handle(), WM_KEYDOWN, Key, 1);
    Application->ProcessMessages();
  };
  tb->SetActive(true);
  ASSERT_EQ(ActiveBarControl(), tb);
  struct Step {
    Word key;
    const char* selected;
  } steps[] = {{VK_RIGHT, "btnNew"}, {VK_LEFT, "btnStop"}, {VK_RIGHT, "btnNew"}, {VK_END, "btnStop"},
               {VK_HOME, "btnNew"},  {VK_RIGHT, "btnOpen"}, {VK_RIGHT, "btnSave"},
               {VK_RIGHT, "btnCut"}, {VK_RIGHT, "btnCopy"}, {VK_RIGHT, "btnPaste"}, {VK_RIGHT, "btnDelete"}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.key);
    post(s.key);
    EXPECT_EQ(selected(), s.selected);
  }
  TdxBarItemControl* del = f.LinkOf("Toolbar", "btnDelete")->Control();
  EXPECT_TRUE(del->IsDrawnSelected());
  MoveMouseExactlyTo(f.ScreenCenter("Toolbar", "btnCopy"));
  EXPECT_EQ(selected(), "btnCopy");
  MoveMouseExactlyTo(f.ScreenCenter("Toolbar", "btnDelete"));
  EXPECT_EQ(tb->SelectedControl(), del);
  EXPECT_FALSE(del->IsDrawnSelected());

  f.manager->SetUseF10ForMenu(false);
  post(VK_F10);
  EXPECT_EQ(ActiveBarControl(), tb);
  f.manager->SetUseF10ForMenu(true);
  post(VK_F10);
  EXPECT_EQ(ActiveBarControl(), nullptr);
  EXPECT_FALSE(tb->Active());
  tb->SetActive(true);
  post(VK_MENU);
  EXPECT_EQ(ActiveBarControl(), nullptr);
  // Out of menu mode the keys move nothing.
  post(VK_RIGHT);
  EXPECT_EQ(tb->SelectedControl(), nullptr);
  EXPECT_TRUE(f.form->log.empty());
}
