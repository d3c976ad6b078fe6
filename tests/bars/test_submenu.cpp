// The drop-down menu window on a shown form: rows laid out and painted in
// each style (selected row, separators, check marks, disabled rows, the
// cascade arrow, the side bar), placement at every edge of the work area,
// menus taller than the screen, and closing.
#include <gtest/gtest.h>

#include "tests/bars/menu_model.h"

using namespace menutest;

namespace {

// File menu: New, Open (Ctrl+O), | Save (disabled), Recent > (three files), | Wrap (checked), Exit.
struct TFileMenu : TMenuModel {
  TdxBarSubItem* file;
  TdxBarSubItem* recent;
  TdxBarButton *newB, *open, *save, *wrap, *exit;
  explicit TFileMenu(TdxBarManagerStyle Style = bmsStandard) : TMenuModel(Style) {
    file = Sub("subFile", "&File");
    recent = Sub("subRecent", "&Recent");
    newB = Button("btnNew", "&New");
    open = Button("btnOpen", "&Open...");
    open->SetShortCut(TextToShortCut("Ctrl+O"));
    save = Button("btnSave", "&Save");
    save->SetEnabled(false);
    wrap = Button("btnWrap", "&Wrap");
    wrap->SetButtonStyle(bsChecked);
    wrap->SetDown(true);
    exit = Button("btnExit", "E&xit");
    Add(file->ItemLinks(), newB);
    Add(file->ItemLinks(), open);
    Add(file->ItemLinks(), save, true);
    Add(file->ItemLinks(), recent);
    Add(file->ItemLinks(), wrap, true);
    Add(file->ItemLinks(), exit);
    for (const char* n : {"one", "two", "three"}) Add(recent->ItemLinks(), Button(std::string("f_") + n, std::string(n) + ".gif"));
    OnBar(file);
    ShowBar();
  }
  TdxBarItemLink* Link(TdxBarItem* I) {
    for (Integer i = 0; i < file->ItemLinks()->Count(); ++i)
      if (file->ItemLinks()->Items(i)->Item() == I) return file->ItemLinks()->Items(i);
    return nullptr;
  }
};

}  // namespace

// Per style: the rows' rectangles, the window's size from its rows, and a
// picture of the menu with the disabled Save row selected by the keyboard and
// then the Open row hot under the pointer.
TEST(SubMenuPaint, RowsSeparatorsChecksDisabledAndArrowInEveryStyle) {
  const TdxBarManagerStyle styles[] = {bmsStandard, bmsEnhanced, bmsFlat};
  const char* names[] = {"standard", "enhanced", "flat"};
  for (int s = 0; s < 3; ++s) {
    SCOPED_TRACE(names[s]);
    TFileMenu m(styles[s]);
    bool flat = styles[s] == bmsFlat;
    TdxBarSubMenuControl* menu = m.OpenAt(m.file, 200, 120);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(IsWindowVisible(menu->Handle()));
    EXPECT_EQ(ActiveBarControl(), menu);
    EXPECT_EQ(LastMenuSound(), "MenuPopup");
    const auto& shown = m.file->ItemLinks()->ShownLinks();
    ASSERT_EQ(shown.size(), 6u);
    Integer rowH = menu->TextRowHeight();
    Integer gs = flat ? 5 : 10;
    EXPECT_EQ(menu->BeginGroupSize(), gs);
    // Rows one under the other, from x = 2 (flat: 1) across the client width;
    // a begin-group row leaves its separator band above it.
    Integer y = flat ? 1 : 2;
    for (size_t i = 0; i < shown.size(); ++i) {
      SCOPED_TRACE(i);
      TRect r = shown[i]->ItemRect;
      if (i == 2 || i == 4) y += gs;
      EXPECT_EQ(r.Top, y);
      EXPECT_EQ(r.Height(), rowH + (flat ? 2 : 0));
      EXPECT_EQ(r.Left, flat ? 1 : 2);
      EXPECT_EQ(r.Right, menu->ClientWidth() - (flat ? 1 : 2));
      y = r.Bottom;
    }
    // The window: the rows plus its frame (1 pixel around, the flat shadow 2 more).
    TRect wr = WindowRectOf(menu);
    EXPECT_EQ(wr.Left, 200);
    EXPECT_EQ(wr.Top, 120);
    EXPECT_EQ(wr.Height(), y + (flat ? 5 : 4));
    EXPECT_EQ(menu->ClientWidth(), wr.Width() - 2 - (flat ? 2 : 0));

    // Keyboard: Down, Down, Down reaches the disabled Save row (it is selectable, drawn selected).
    for (int k = 0; k < 3; ++k) Key(menu, VK_DOWN);
    EXPECT_EQ(menu->SelectedControl(), m.Link(m.save)->Control());
    auto shot = Snapshot(menu);
    SaveBitmapAsPng(shot.get(), std::string("submenu_rows_") + names[s] + ".png");
    COLORREF hot = BrushColor(menu->HotBrush());
    TRect save = m.Link(m.save)->ItemRect;
    Integer midY = (save.Top + save.Bottom) / 2;
    // The selected row's text part is on the hot brush...
    EXPECT_EQ(Px(shot.get(), save.Right - 4, midY), hot);
    // ...and the rows around it are not.
    TRect exitR = m.Link(m.exit)->ItemRect;
    COLORREF rowBg = flat ? Sys(COLOR_WINDOW) : Sys(COLOR_BTNFACE);
    EXPECT_EQ(Px(shot.get(), exitR.Right - 4, (exitR.Top + exitR.Bottom) / 2), rowBg);
    // The separator above Save: an etched line (shadow over highlight), flat a single shadow line.
    TRect sep = m.Link(m.save)->Control()->GroupSeparatorRect;
    ASSERT_EQ(sep.Height(), gs);
    Integer sx = sep.Left + sep.Width() / 2;
    if (flat) {
      EXPECT_EQ(Px(shot.get(), sx, (sep.Top + sep.Bottom) / 2), Sys(COLOR_BTNSHADOW));
      EXPECT_EQ(CountColor(shot.get(), Rect(sx, sep.Top, sx + 1, sep.Bottom), Sys(COLOR_BTNSHADOW)), 1);
    } else {
      EXPECT_EQ(Px(shot.get(), sx, sep.Top + 4), Sys(COLOR_BTNSHADOW));
      EXPECT_EQ(Px(shot.get(), sx, sep.Top + 5), Sys(COLOR_BTNHIGHLIGHT));
      EXPECT_EQ(Px(shot.get(), sx, sep.Top + 2), Sys(COLOR_BTNFACE));
    }
    // Disabled text: no button-text pixels in the Save caption, grey or shadow ones instead.
    TRect textR = Rect(save.Left + rowH + 4, save.Top + 2, save.Left + rowH + 30, save.Bottom - 2);
    EXPECT_EQ(CountColor(shot.get(), textR, Sys(COLOR_BTNTEXT)), 0);
    EXPECT_GT(CountColor(shot.get(), textR, Sys(flat ? COLOR_GRAYTEXT : COLOR_GRAYTEXT)) +
                  CountColor(shot.get(), textR, Sys(COLOR_BTNSHADOW)),
              5);
    // The checked Wrap row: a check mark in its glyph cell.
    TRect wrapR = m.Link(m.wrap)->ItemRect;
    TRect cell = Rect(wrapR.Left + 2, wrapR.Top + 2, wrapR.Left + wrapR.Height() - 2, wrapR.Bottom - 2);
    EXPECT_GT(CountColor(shot.get(), cell, flat ? RGB(0, 0, 0) : RGB(0, 0, 0)), 6);
    // The cascade row: a right-pointing arrow near its right edge (button text), none on Exit.
    TRect recR = m.Link(m.recent)->ItemRect;
    TRect arrowArea = Rect(recR.Right - rowH, recR.Top, recR.Right, recR.Bottom);
    EXPECT_GT(CountColor(shot.get(), arrowArea, Sys(COLOR_BTNTEXT)), 5);
    TRect noArrow = Rect(exitR.Right - rowH, exitR.Top, exitR.Right, exitR.Bottom);
    EXPECT_EQ(CountColor(shot.get(), noArrow, Sys(COLOR_BTNTEXT)), 0);
    // The pointer on Open selects it; Save goes back to the plain look.
    MoveMouseTo(RowCenter(menu, m.Link(m.open)));
    EXPECT_EQ(menu->SelectedControl(), m.Link(m.open)->Control());
    auto hotShot = Snapshot(menu);
    SaveBitmapAsPng(hotShot.get(), std::string("submenu_hot_") + names[s] + ".png");
    TRect openR = m.Link(m.open)->ItemRect;
    EXPECT_EQ(Px(hotShot.get(), openR.Right - 4, (openR.Top + openR.Bottom) / 2), hot);
    EXPECT_EQ(Px(hotShot.get(), save.Right - 4, midY), rowBg);
    // Closing: the window goes, the collection forgets it, menu mode ends.
    menu->CloseMenu();
    Application->ProcessMessages();
    EXPECT_EQ(m.file->MenuWindow(), nullptr);
    EXPECT_FALSE(IsLiveBarControl(menu));
    EXPECT_EQ(ActiveBarControl(), nullptr);
  }
}

namespace {
// A menu of Count plain rows.
TdxBarSubItem* LongMenu(TMenuModel& M, const std::string& Name, int Count) {
  TdxBarSubItem* s = M.Sub(Name);
  for (int i = 0; i < Count; ++i)
    M.Add(s->ItemLinks(), M.Button(Name + "_" + std::to_string(i), "Row " + std::to_string(i)));
  return s;
}
// Opens the menu of Sub at (X, Y) beside a row of width ExW or below an item of height ExH.
TdxBarSubMenuControl* OpenAnchored(TdxBarSubItem* Sub, Integer X, Integer Y, Integer ExW, Integer ExH) {
  auto* w = static_cast<TdxBarSubMenuControl*>(Sub->ItemLinks()->CreateBarWindow());
  w->ExclusionWidth = ExW;
  w->ExclusionHeight = ExH;
  w->ShowAt(X, Y);
  Application->ProcessMessages();
  return Sub->MenuWindow();
}
}  // namespace

// The menu stays on the monitor's work area wherever it is asked to open:
// at a point it moves in (or opens above the point), beside a row it opens on
// the other side when there is more room there, below a toolbar item it opens
// above the item or is shortened.
TEST(SubMenuPlacement, EveryEdgeKeepsTheMenuOnTheWorkArea) {
  TMenuModel m;
  TdxBarSubItem* small = LongMenu(m, "small", 4);
  TRect wa = GetWorkAreaAt(POINT{200, 200});
  TdxBarSubMenuControl* probe = m.OpenAt(small, wa.Left + 10, wa.Top + 10);
  ASSERT_NE(probe, nullptr);
  Integer w = probe->Width(), h = probe->Height();
  Integer rowH = probe->TextRowHeight();
  probe->CloseMenu();
  TdxBarSubItem* tall = LongMenu(m, "tall", static_cast<int>(wa.Height() / rowH) + 8);
  struct Case {
    const char* name;
    TdxBarSubItem* sub;
    Integer x, y, exW, exH;
    Integer left, top;  // expected (-1: not checked)
    bool flippedLeft, flippedUp;
    Integer height;  // expected window height (-1: the menu's own)
  } cases[] = {
      {"point inside", small, wa.Left + 100, wa.Top + 100, 0, 0, wa.Left + 100, wa.Top + 100, false, false, -1},
      {"point at the right edge moves left", small, wa.Right - 10, wa.Top + 100, 0, 0, wa.Right - w, wa.Top + 100,
       false, false, -1},
      {"point left of the work area", small, wa.Left - 50, wa.Top + 100, 0, 0, wa.Left, wa.Top + 100, false, false,
       -1},
      {"point at the bottom opens above it", small, wa.Left + 100, wa.Bottom - 5, 0, 0, wa.Left + 100,
       wa.Bottom - 5 - h, false, true, -1},
      {"point above the work area", small, wa.Left + 100, wa.Top - 40, 0, 0, wa.Left + 100, wa.Top, false, false, -1},
      {"beside a row near the right edge flips left", small, wa.Right - 20, wa.Top + 100, 120, 0,
       wa.Right - 20 - 120 - w, wa.Top + 100, true, false, -1},
      {"beside a row near the left edge stays right", small, wa.Left + 130, wa.Top + 100, 120, 0, wa.Left + 130,
       wa.Top + 100, false, false, -1},
      {"beside a row near the bottom moves up", small, wa.Left + 100, wa.Bottom - 10, 120, 0, wa.Left + 100,
       wa.Bottom - h, false, false, -1},
      {"below an item near the bottom opens above it", small, wa.Left + 100, wa.Bottom - 10, 0, 22, wa.Left + 100,
       wa.Bottom - 10 - 22 - h, false, true, -1},
      {"below an item near the top is shortened", tall, wa.Left + 100, wa.Top + 60, 0, 22, wa.Left + 100,
       wa.Top + 60, false, false, wa.Bottom - (wa.Top + 60)},
      {"taller than the screen at a point", tall, wa.Left + 100, wa.Top + 60, 0, 0, wa.Left + 100, wa.Top, false,
       false, wa.Height()},
      {"taller than the screen, flipped above an item low down", tall, wa.Left + 100, wa.Bottom - 10, 0, 22,
       wa.Left + 100, wa.Top, false, true, wa.Bottom - 10 - 22 - wa.Top},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TdxBarSubMenuControl* menu = OpenAnchored(c.sub, c.x, c.y, c.exW, c.exH);
    ASSERT_NE(menu, nullptr);
    TRect r = WindowRectOf(menu);
    EXPECT_GE(r.Left, wa.Left);
    EXPECT_GE(r.Top, wa.Top);
    EXPECT_LE(r.Right, wa.Right);
    EXPECT_LE(r.Bottom, wa.Bottom);
    if (c.left >= 0) {
      EXPECT_EQ(r.Left, c.left);
    }
    if (c.top >= 0) {
      EXPECT_EQ(r.Top, c.top);
    }
    EXPECT_EQ(menu->FlippedLeft(), c.flippedLeft);
    EXPECT_EQ(menu->FlippedUp(), c.flippedUp);
    if (c.height >= 0) {
      EXPECT_EQ(r.Height(), c.height);
    }
    menu->CloseMenu();
    Application->ProcessMessages();
  }
}

// A menu taller than the screen shows a down band in place of its last
// fitting row; the keyboard scrolls it to keep the selection in view; resting
// the pointer on a band scrolls a row per 80 ms and leaving the band stops it.
TEST(SubMenuScroll, TallMenuScrollsByKeysAndByTheBands) {
  TMenuModel m;
  TRect wa = GetWorkAreaAt(POINT{200, 200});
  TdxBarSubItem* probeSub = LongMenu(m, "probe", 1);
  TdxBarSubMenuControl* probe = m.OpenAt(probeSub, 100, 100);
  Integer rowH = probe->TextRowHeight();
  probe->CloseMenu();
  int count = static_cast<int>(wa.Height() / rowH) + 12;
  TdxBarSubItem* tall = LongMenu(m, "tall", count);
  // A separator on the row that will come right after the up band.
  tall->ItemLinks()->Items(6)->SetBeginGroup(true);
  TdxBarSubMenuControl* menu = m.OpenAt(tall, wa.Left + 100, wa.Top + 40);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->Height(), wa.Height());
  ASSERT_TRUE(menu->MoreBelow());
  EXPECT_EQ(menu->TopIndex(), 0);
  const auto& shown = tall->ItemLinks()->ShownLinks();
  Integer fit = menu->FittingRows();
  EXPECT_LT(fit, count);
  TRect down = menu->DownBandRect();
  EXPECT_EQ(down.Top, shown[static_cast<size_t>(fit - 1)]->ItemRect.Top);
  // No row answers under the band.
  EXPECT_EQ(menu->ItemControlAtPoint(Point(down.Left + 10, down.Top + 2)), nullptr);
  auto shot = Snapshot(menu);
  SaveBitmapAsPng(shot.get(), "submenu_scroll_top.png");
  // The band shows the down arrow (button text) and no row text.
  EXPECT_GT(CountColor(shot.get(), down, Sys(COLOR_BTNTEXT)), 3);
  Integer cx = menu->ClientWidth() / 2;
  EXPECT_EQ(CountColor(shot.get(), Rect(down.Left, down.Top, cx - rowH, down.Bottom), Sys(COLOR_BTNTEXT)), 0);

  // End selects the last row: the menu scrolls so that it is the last one shown.
  Key(menu, VK_END);
  TdxBarItemControl* last = shown.back()->Control();
  EXPECT_EQ(menu->SelectedControl(), last);
  EXPECT_GT(menu->TopIndex(), 0);
  EXPECT_FALSE(menu->MoreBelow());
  EXPECT_GT(shown.back()->ItemRect.Height(), 0);
  TRect up = menu->UpBandRect();
  EXPECT_GT(up.Height(), 0);
  auto endShot = Snapshot(menu);
  SaveBitmapAsPng(endShot.get(), "submenu_scroll_end.png");
  EXPECT_GT(CountColor(endShot.get(), up, Sys(COLOR_BTNTEXT)), 3);
  // Up walks back; at the top row shown it scrolls one row.
  Integer top = menu->TopIndex();
  for (Integer i = static_cast<Integer>(shown.size()) - 1; i > top + 1; --i) Key(menu, VK_UP);
  EXPECT_EQ(menu->TopIndex(), top);
  Key(menu, VK_UP);
  EXPECT_EQ(menu->TopIndex(), top - 1);
  EXPECT_EQ(menu->SelectedControl(), shown[static_cast<size_t>(top)]->Control());
  // Home goes back to the first row and the top.
  Key(menu, VK_HOME);
  EXPECT_EQ(menu->TopIndex(), 0);
  EXPECT_TRUE(menu->MoreBelow());

  // The pointer on the down band scrolls by itself, one row per 80 ms.
  down = menu->DownBandRect();
  TPoint onDown = menu->ClientToScreen(Point(down.Left + 20, (down.Top + down.Bottom) / 2));
  MoveMouseTo(Point(onDown.X, onDown.Y - rowH * 3));
  MoveMouseTo(onDown, 0);
  DWORD t0 = GetTickCount();
  testui::PumpUntil([&] { return menu->TopIndex() >= 4; }, 2000);
  DWORD took = GetTickCount() - t0;
  EXPECT_GE(menu->TopIndex(), 4);
  EXPECT_GE(took, 4u * 80u - 60u);
  EXPECT_EQ(menu->SelectedControl(), nullptr);
  // Leaving the band stops it; the row under the pointer is hot again.
  TRect mid = shown[static_cast<size_t>(menu->TopIndex() + 3)]->ItemRect;
  MoveMouseTo(menu->ClientToScreen(Point(mid.Left + 20, (mid.Top + mid.Bottom) / 2)));
  Integer stopped = menu->TopIndex();
  testui::PumpUntil([] { return false; }, 300);
  EXPECT_EQ(menu->TopIndex(), stopped);
  EXPECT_NE(menu->SelectedControl(), nullptr);
  // Scrolled, the row after the up band shows no separator.
  menu->SetTopIndex(5);
  Snapshot(menu);
  EXPECT_EQ(shown[6]->Control()->GroupSeparatorRect.Height(), 0);
  EXPECT_EQ(shown[6]->ItemRect.Top, menu->UpBandRect().Bottom);
  // The up band scrolls back the same way.
  up = menu->UpBandRect();
  MoveMouseTo(menu->ClientToScreen(Point(up.Left + 20, (up.Top + up.Bottom) / 2)));
  EXPECT_TRUE(testui::PumpUntil([&] { return menu->TopIndex() == 0; }, 2000));
  menu->CloseMenu();
}

// The keyboard in a chain opened from a toolbar entry: Enter on the entry
// opens File with its first row selected, arrows move, Right opens the
// cascade (first row selected), Esc and Left go back one level each, Enter
// on a row runs it once with every menu closed first.
TEST(SubMenuKeys, ArrowsEnterEscapeAndLeftRightThroughACascade) {
  TFileMenu m;
  TdxBarControl* tb = m.bar->Control();
  ASSERT_NE(tb, nullptr);
  auto* fileView = static_cast<TdxBarSubItemControl*>(m.bar->ItemLinks()->Items(0)->Control());
  // Menu mode on the bar (the toolbar's own road), then the keyboard opens File.
  tb->SetActive(true);
  tb->SelectItem(fileView);
  tb->KeyboardDropDown = true;
  m.Clear();
  fileView->PrepareClick(false);
  TdxBarSubMenuControl* file = m.file->MenuWindow();
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(m.log, (std::vector<std::string>{"popup:subFile", "item:subFile", "click:subFile"}));
  // Below its entry, with the entry's height as the exclusion.
  TRect entry = m.bar->ItemLinks()->Items(0)->ItemRect;
  EXPECT_EQ(file->Left(), tb->ClientToScreen(Point(entry.Left, entry.Bottom)).X);
  EXPECT_EQ(file->Top(), tb->ClientToScreen(Point(entry.Left, entry.Bottom)).Y);
  EXPECT_EQ(file->ParentBarWindow(), tb);
  EXPECT_EQ(tb->ChildWindow(), file);
  auto sel = [&](TCustomdxBarControl* W) {
    return W && W->SelectedControl() ? W->SelectedControl()->Item()->Name() : std::string("-");
  };
  EXPECT_EQ(sel(file), "btnNew");
  Key(file, VK_DOWN);
  Key(file, VK_DOWN);
  Key(file, VK_DOWN);
  EXPECT_EQ(sel(file), "subRecent");
  m.Clear();
  Key(file, VK_RIGHT);
  TdxBarSubMenuControl* recent = m.recent->MenuWindow();
  ASSERT_NE(recent, nullptr);
  EXPECT_EQ(sel(recent), "f_one");
  EXPECT_EQ(recent->ParentBarWindow(), file);
  EXPECT_EQ(m.log, (std::vector<std::string>{"popup:subRecent", "item:subRecent", "click:subRecent"}));
  // Beside the row: its left edge at the row's right edge.
  TRect recR = m.Link(m.recent)->ItemRect;
  EXPECT_EQ(recent->Left(), file->ClientToScreen(Point(recR.Right, 0)).X);
  // Esc closes one level; File keeps its row selected.
  m.Clear();
  Key(recent, VK_ESCAPE);
  EXPECT_EQ(m.recent->MenuWindow(), nullptr);
  EXPECT_EQ(m.file->MenuWindow(), file);
  EXPECT_EQ(sel(file), "subRecent");
  EXPECT_EQ(m.log, (std::vector<std::string>{"closeup:subRecent"}));
  EXPECT_EQ(ActiveBarControl(), file);
  // Right again, then Left: back one level as well.
  Key(file, VK_RIGHT);
  recent = m.recent->MenuWindow();
  ASSERT_NE(recent, nullptr);
  Key(recent, VK_LEFT);
  EXPECT_EQ(m.recent->MenuWindow(), nullptr);
  EXPECT_EQ(sel(file), "subRecent");
  // Enter opens the cascade too; Down, Enter runs "two" once, everything closes first.
  Key(file, VK_RETURN);
  recent = m.recent->MenuWindow();
  ASSERT_NE(recent, nullptr);
  Key(recent, VK_DOWN);
  EXPECT_EQ(sel(recent), "f_two");
  m.Clear();
  bool menusOpenAtClick = true;
  static_cast<TdxBarItem*>(m.form->FindComponent("f_two"))->OnClick = [&](TObject* S) {
    m.log.push_back("click:" + static_cast<TComponent*>(S)->Name());
    menusOpenAtClick = m.file->MenuWindow() != nullptr || m.recent->MenuWindow() != nullptr;
  };
  Key(recent, VK_RETURN);
  testui::PumpUntil([] { return false; }, 50);
  std::vector<std::string> ran;
  for (const std::string& e : m.log)
    if (e.rfind("item:", 0) == 0 || e.rfind("click:", 0) == 0) ran.push_back(e);
  EXPECT_EQ(ran, (std::vector<std::string>{"item:f_two", "click:f_two"}));
  EXPECT_FALSE(menusOpenAtClick);
  EXPECT_EQ(m.recent->MenuWindow(), nullptr);
  EXPECT_EQ(m.file->MenuWindow(), nullptr);
  EXPECT_EQ(ActiveBarControl(), nullptr);
  EXPECT_FALSE(IsLiveBarControl(recent));
  EXPECT_FALSE(IsLiveBarControl(file));

  // Esc in File (opened from the bar) closes File and leaves the bar its entry.
  tb->SetActive(true);
  tb->SelectItem(fileView);
  tb->KeyboardDropDown = true;
  fileView->PrepareClick(false);
  file = m.file->MenuWindow();
  ASSERT_NE(file, nullptr);
  Key(file, VK_ESCAPE);
  EXPECT_EQ(m.file->MenuWindow(), nullptr);
  EXPECT_EQ(tb->SelectedControl(), fileView);
  // Esc in a root menu (a popup) closes it.
  file = m.OpenAt(m.file, 150, 150);
  ASSERT_NE(file, nullptr);
  Key(file, VK_ESCAPE);
  EXPECT_EQ(m.file->MenuWindow(), nullptr);
  tb->SetActive(false);
}

// The pointer: resting on a cascading row opens its menu after the hover
// delay, moving on within it cancels the opening, leaving an open cascade's
// row closes it after the delay; a click opens at once; the pointer inside
// the cascade keeps its row selected; a click on a row runs it once.
TEST(SubMenuHover, CascadesOpenAndCloseAfterTheDelay) {
  TFileMenu m;
  TdxBarSubMenuControl* file = m.OpenAt(m.file, 150, 150);
  ASSERT_NE(file, nullptr);
  TPoint recentRow = RowCenter(file, m.Link(m.recent));
  TPoint exitRow = RowCenter(file, m.Link(m.exit));
  TPoint newRow = RowCenter(file, m.Link(m.newB));
  MoveMouseTo(newRow);
  // Hover: nothing at once, the menu after about 400 ms.
  MoveMouseTo(recentRow, 0);
  DWORD t0 = GetTickCount();
  testui::PumpUntil([] { return false; }, 150);
  EXPECT_EQ(m.recent->MenuWindow(), nullptr);
  EXPECT_EQ(PendingSubItem(), m.Link(m.recent)->Control());
  ASSERT_TRUE(testui::PumpUntil([&] { return m.recent->MenuWindow() != nullptr; }, 1500));
  DWORD took = GetTickCount() - t0;
  EXPECT_GE(took, SubItemHoverDelay - 60);
  EXPECT_LE(took, SubItemHoverDelay + 400);
  EXPECT_EQ(PendingSubItem(), nullptr);
  TdxBarSubMenuControl* recent = m.recent->MenuWindow();
  // Inside the cascade the row stays selected in File.
  MoveMouseTo(RowCenter(recent, m.recent->ItemLinks()->Items(1)));
  EXPECT_EQ(file->SelectedControl(), m.Link(m.recent)->Control());
  EXPECT_EQ(recent->SelectedControl(), m.recent->ItemLinks()->Items(1)->Control());
  // Leaving the row for Exit: still open at once, closed after the delay.
  MoveMouseTo(exitRow, 0);
  testui::PumpUntil([] { return false; }, 100);
  EXPECT_NE(m.recent->MenuWindow(), nullptr);
  EXPECT_TRUE(testui::PumpUntil([&] { return m.recent->MenuWindow() == nullptr; }, 1500));
  EXPECT_EQ(file->SelectedControl(), m.Link(m.exit)->Control());
  // Moving on within the delay cancels the opening.
  MoveMouseTo(recentRow, 0);
  testui::PumpUntil([] { return false; }, 120);
  MoveMouseTo(exitRow, 0);
  testui::PumpUntil([] { return false; }, SubItemHoverDelay + 250);
  EXPECT_EQ(m.recent->MenuWindow(), nullptr);
  // From one open cascade to another: the first closes when the second opens.
  TdxBarSubItem* more = m.Sub("subMore", "&More");
  m.Add(more->ItemLinks(), m.Button("btnMore1", "More one"));
  m.Add(m.file->ItemLinks(), more);
  Application->ProcessMessages();
  TPoint moreRow = RowCenter(file, m.file->ItemLinks()->Items(m.file->ItemLinks()->Count() - 1));
  MoveMouseTo(recentRow, 0);
  ASSERT_TRUE(testui::PumpUntil([&] { return m.recent->MenuWindow() != nullptr; }, 1500));
  MoveMouseTo(moreRow, 0);
  ASSERT_TRUE(testui::PumpUntil([&] { return more->MenuWindow() != nullptr; }, 1500));
  EXPECT_EQ(m.recent->MenuWindow(), nullptr);
  EXPECT_EQ(file->ChildWindow(), more->MenuWindow());
  EXPECT_FALSE(m.Link(m.recent)->Control()->Active);
  MoveMouseTo(exitRow, 0);
  ASSERT_TRUE(testui::PumpUntil([&] { return more->MenuWindow() == nullptr; }, 1500));
  // A click opens at once.
  m.Clear();
  ClickAt(recentRow);
  EXPECT_NE(m.recent->MenuWindow(), nullptr);
  EXPECT_EQ(m.log, (std::vector<std::string>{"popup:subRecent", "item:subRecent", "click:subRecent"}));
  // A click on a row of the cascade runs it once and closes the chain.
  m.Clear();
  ClickAt(RowCenter(m.recent->MenuWindow(), m.recent->ItemLinks()->Items(2)));
  testui::PumpUntil([] { return false; }, 50);
  std::vector<std::string> ran;
  for (const std::string& e : m.log)
    if (e.rfind("item:", 0) == 0 || e.rfind("click:", 0) == 0) ran.push_back(e);
  EXPECT_EQ(ran, (std::vector<std::string>{"item:f_three", "click:f_three"}));
  EXPECT_EQ(m.recent->MenuWindow(), nullptr);
  EXPECT_EQ(m.file->MenuWindow(), nullptr);
  EXPECT_EQ(ActiveBarControl(), nullptr);
  // A click on a disabled row runs nothing and leaves the menu open.
  file = m.OpenAt(m.file, 150, 150);
  m.Clear();
  ClickAt(RowCenter(file, m.Link(m.save)));
  EXPECT_TRUE(m.log.empty());
  EXPECT_EQ(m.file->MenuWindow(), file);
  file->CloseMenu();
}

namespace {
// File menu of TFileMenu in enhanced style showing recent items first: Save,
// Wrap and Exit are not recently used.
struct TRecentMenu : TFileMenu {
  TRecentMenu() : TFileMenu(bmsEnhanced) {
    for (TdxBarItem* i : {static_cast<TdxBarItem*>(save), static_cast<TdxBarItem*>(wrap), static_cast<TdxBarItem*>(exit)})
      Link(i)->SetMostRecentlyUsed(false);
  }
  std::string Shown() {
    std::string s;
    for (TdxBarItemLink* l : file->ItemLinks()->ShownLinks()) s += (s.empty() ? "" : " ") + l->Item()->Name();
    return s;
  }
};
void CtrlDown(TCustomdxBarControl* W) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = VK_CONTROL;
  SendInput(1, &in, sizeof(INPUT));
  testui::PumpUntil([] { return GetKeyState(VK_CONTROL) < 0; }, 300);
  Key(W, VK_DOWN);
  in.ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof(INPUT));
  testui::PumpUntil([] { return GetKeyState(VK_CONTROL) >= 0; }, 300);
}
}  // namespace

// Menus that show recently used items first: the expand mark (a double
// chevron in a band at the bottom), and the roads to the full menu — Ctrl+Down,
// Down on the last shown row (the selection lands on the first row that
// appeared below it), two clicks on the mark, the timer — with the rarely used
// rows on their lighter background; expanded stays expanded until menu mode
// starts afresh.
TEST(SubMenuExpand, RecentItemsFirstThenTheFullMenu) {
  struct Case {
    const char* name;
    std::function<void(TRecentMenu&, TdxBarSubMenuControl*)> expand;
    const char* selected;  // after the expansion
  } cases[] = {
      {"Ctrl+Down", [](TRecentMenu&, TdxBarSubMenuControl* M) { CtrlDown(M); }, "-"},
      {"Down on the last shown row",
       [](TRecentMenu&, TdxBarSubMenuControl* M) {
         Key(M, VK_END);
         Key(M, VK_DOWN);
       },
       "btnWrap"},
      {"the pointer on the mark and a click",
       [](TRecentMenu&, TdxBarSubMenuControl* M) {
         TRect mark = M->MarkRect();
         TPoint p = M->ClientToScreen(Point((mark.Left + mark.Right) / 2, (mark.Top + mark.Bottom) / 2));
         MoveMouseTo(p);
         EXPECT_EQ(M->MarkState(), 1);  // hot under the pointer
         ClickAt(p);
       },
       "-"},
      {"two clicks on the mark away from the pointer",
       [](TRecentMenu&, TdxBarSubMenuControl* M) {
         TRect mark = M->MarkRect();
         LPARAM at = MAKELPARAM((mark.Left + mark.Right) / 2, (mark.Top + mark.Bottom) / 2);
         Key(M, VK_HOME);
         PostMessageW(M->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
         PostMessageW(M->Handle(), WM_LBUTTONUP, 0, at);
         Application->ProcessMessages();
         EXPECT_EQ(M->MarkState(), 1);  // the first makes it hot and clears the selection
         EXPECT_EQ(M->SelectedControl(), nullptr);
         EXPECT_TRUE(M->HasMark());
         PostMessageW(M->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
         PostMessageW(M->Handle(), WM_LBUTTONUP, 0, at);
         Application->ProcessMessages();
       },
       "-"},
      {"the pointer resting on the mark for a second",
       [](TRecentMenu&, TdxBarSubMenuControl* M) {
         TRect mark = M->MarkRect();
         MoveMouseTo(M->ClientToScreen(Point((mark.Left + mark.Right) / 2, (mark.Top + mark.Bottom) / 2)), 0);
         DWORD t0 = GetTickCount();
         EXPECT_TRUE(testui::PumpUntil([&] { return MenusExpanded(); }, 2500));
         EXPECT_GE(GetTickCount() - t0, 900u);
       },
       "-"},
      {"the full-menu timer",
       [](TRecentMenu&, TdxBarSubMenuControl* M) {
         PostMessageW(M->Handle(), WM_TIMER, 3, 0);
         Application->ProcessMessages();
       },
       "-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TRecentMenu m;
    TdxBarSubMenuControl* menu = m.OpenAt(m.file, 150, 150);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(m.Shown(), "btnNew btnOpen subRecent");
    ASSERT_TRUE(menu->HasMark());
    EXPECT_FALSE(MenusExpanded());
    // The band of one row height under the rows, the chevron in its mark.
    Integer lastBottom = m.Link(m.recent)->ItemRect.Bottom;
    EXPECT_EQ(menu->ClientHeight(), lastBottom + menu->TextRowHeight() + 2);
    auto shot = Snapshot(menu);
    if (c.name[0] == 'C') SaveBitmapAsPng(shot.get(), "submenu_recent_collapsed.png");
    TRect mark = menu->MarkRect();
    EXPECT_GT(CountColor(shot.get(), mark, Sys(COLOR_BTNTEXT)), 4);
    EXPECT_EQ(menu->ItemControlAtPoint(Point(mark.Left + 3, mark.Top + 2)), nullptr);
    c.expand(m, menu);
    ASSERT_EQ(m.file->MenuWindow(), menu);  // the same window, recreated
    EXPECT_TRUE(MenusExpanded());
    EXPECT_EQ(m.Shown(), "btnNew btnOpen btnSave subRecent btnWrap btnExit");
    EXPECT_FALSE(menu->HasMark());
    testui::PumpUntil([&] { return !menu->Animating(); }, 2000);
    std::string sel = menu->SelectedControl() ? menu->SelectedControl()->Item()->Name() : "-";
    EXPECT_EQ(sel, c.selected);
    // Rarely used rows on the lighter background, with a shadow line where the group changes.
    EXPECT_TRUE(m.Link(m.save)->Control()->RarelyUsed);
    EXPECT_FALSE(m.Link(m.open)->Control()->RarelyUsed);
    EXPECT_TRUE(m.Link(m.save)->Control()->GroupEdge);
    auto full = Snapshot(menu);
    if (c.name[0] == 'C') SaveBitmapAsPng(full.get(), "submenu_recent_expanded.png");
    COLORREF face = Sys(COLOR_BTNFACE);
    COLORREF rare = RGB(std::min(GetRValue(face) + 20, 255), std::min(GetGValue(face) + 20, 255),
                        std::min(GetBValue(face) + 20, 255));
    TRect exitR = m.Link(m.exit)->ItemRect;
    if (sel != "btnExit") {
      EXPECT_EQ(Px(full.get(), exitR.Right - 4, (exitR.Top + exitR.Bottom) / 2), rare);
    }
    TRect openR = m.Link(m.open)->ItemRect;
    if (sel != "btnOpen") {
      EXPECT_EQ(Px(full.get(), openR.Right - 4, (openR.Top + openR.Bottom) / 2), face);
    }
    // Another menu opened in the same menu mode opens full too.
    menu->SetActive(true);
    TdxBarSubMenuControl* recent = nullptr;
    m.Link(m.recent)->Control()->PerformClick(false);
    recent = m.recent->MenuWindow();
    ASSERT_NE(recent, nullptr);
    EXPECT_TRUE(MenusExpanded());
    menu->CloseMenu();
    Application->ProcessMessages();
    EXPECT_EQ(ActiveBarControl(), nullptr);
    // Menu mode afresh: collapsed again.
    menu = m.OpenAt(m.file, 150, 150);
    EXPECT_FALSE(MenusExpanded());
    EXPECT_EQ(m.Shown(), "btnNew btnOpen subRecent");
    menu->CloseMenu();
  }
}

// Without ShowFullMenusAfterDelay no timer expands the menu; in standard style
// there is no recent-items menu at all.
TEST(SubMenuExpand, NoTimerWithoutTheDelayAndNoMarkInStandardStyle) {
  {
    // With the delay, moving the selection's timer (4 s, injected here) only makes the mark hot.
    TRecentMenu m;
    TdxBarSubMenuControl* menu = m.OpenAt(m.file, 150, 150);
    Key(menu, VK_DOWN);
    PostMessageW(menu->Handle(), WM_TIMER, 2, 0);
    Application->ProcessMessages();
    EXPECT_EQ(menu->MarkState(), 1);
    EXPECT_TRUE(menu->HasMark());
    EXPECT_FALSE(MenusExpanded());
    menu->CloseMenu();
  }
  {
    TRecentMenu m;
    m.manager->SetShowFullMenusAfterDelay(false);
    TdxBarSubMenuControl* menu = m.OpenAt(m.file, 150, 150);
    ASSERT_TRUE(menu->HasMark());
    // Pointing at the mark only makes it hot; resting there expands nothing.
    TRect mark = menu->MarkRect();
    MoveMouseTo(menu->ClientToScreen(Point((mark.Left + mark.Right) / 2, (mark.Top + mark.Bottom) / 2)));
    EXPECT_EQ(menu->MarkState(), 1);
    testui::PumpUntil([] { return false; }, 1300);
    EXPECT_TRUE(menu->HasMark());
    EXPECT_FALSE(MenusExpanded());
    menu->CloseMenu();
  }
  {
    TFileMenu m(bmsStandard);
    for (TdxBarItem* i : {static_cast<TdxBarItem*>(m.save), static_cast<TdxBarItem*>(m.exit)})
      m.Link(i)->SetMostRecentlyUsed(false);
    TdxBarSubMenuControl* menu = m.OpenAt(m.file, 150, 150);
    EXPECT_FALSE(menu->HasMark());
    EXPECT_EQ(m.file->ItemLinks()->ShownLinks().size(), 6u);
    menu->CloseMenu();
  }
}

// A sub item with BarSize 20 leaves a side bar of 20 pixels at the left of
// its menu that the sub item's OnPaintBar paints; the rows start after it.
TEST(SubMenuPaint, SideBarIsPaintedByTheOwner) {
  TFileMenu m;
  m.file->SetBarSize(20);
  TRect painted;
  int calls = 0;
  m.file->OnPaintBar = [&](TObject* Sender, TCanvas* Canvas, const TRect& R) {
    EXPECT_EQ(Sender, m.file);
    ++calls;
    painted = R;
    Canvas->Brush()->SetColor(clNavy);
    Canvas->FillRect(R);
  };
  TdxBarSubMenuControl* menu = m.OpenAt(m.file, 150, 150);
  ASSERT_NE(menu, nullptr);
  auto shot = Snapshot(menu);
  SaveBitmapAsPng(shot.get(), "submenu_sidebar.png");
  EXPECT_GT(calls, 0);
  EXPECT_EQ(painted.Width(), 20);
  EXPECT_EQ(painted.Left, 2);
  for (TdxBarItemLink* l : m.file->ItemLinks()->ShownLinks()) EXPECT_EQ(l->ItemRect.Left, 22);
  EXPECT_EQ(Px(shot.get(), 10, menu->ClientHeight() / 2), static_cast<COLORREF>(ColorToRGB(clNavy)) & 0xFFFFFF);
  EXPECT_NE(Px(shot.get(), 30, menu->ClientHeight() / 2), static_cast<COLORREF>(ColorToRGB(clNavy)) & 0xFFFFFF);
  menu->CloseMenu();
}

namespace {
std::unique_ptr<TBitmap> GrabWindow(TWinControl* W) {
  RECT r;
  GetWindowRect(W->Handle(), &r);
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(r.right - r.left, r.bottom - r.top);
  HDC dc = GetWindowDC(W->Handle());
  BitBlt(bmp->Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, dc, 0, 0, SRCCOPY);
  ReleaseDC(W->Handle(), dc);
  return bmp;
}
void MouseButton(bool Down) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = Down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof(INPUT));
}
void MoveInput(TPoint P) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  Integer sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  in.mi.dx = static_cast<LONG>((static_cast<int64_t>(P.X) * 65536 + sw - 1) / sw);
  in.mi.dy = static_cast<LONG>((static_cast<int64_t>(P.Y) * 65536 + sh - 1) / sh);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(INPUT));
}
}  // namespace

// A detachable menu has a drag bar; dragged by it out of its 15-pixel zone
// the menu closes and its detaching bar floats under the cursor and follows
// it; released, the bar stays; dragged back into the zone the menu reopens
// and the bar hides again; Esc cancels.
TEST(SubMenuDetach, DraggingTheDragBarTearsTheMenuOffIntoItsBar) {
  enum Road { Drop, BackInside, Escape };
  for (Road road : {Drop, BackInside, Escape}) {
    SCOPED_TRACE(road);
    TMenuModel m;
    TdxBar* tear = m.manager->Bars()->Add();
    tear->SetCaption("Tools");
    tear->SetName("Tools");
    TdxBarSubItem* tools = m.Sub("subTools", "&Tools");
    for (const char* n : {"btnPen", "btnFill"}) {
      TdxBarButton* b = m.Button(n);
      m.Add(tools->ItemLinks(), b);
      m.Add(tear->ItemLinks(), b);
    }
    tools->SetDetachable(true);
    tools->SetDetachingBar(tear->Index());
    int detaching = 0;
    tools->OnDetaching = [&](TObject*) { ++detaching; };
    m.OnBar(tools);
    m.ShowBar();
    TdxBarControl* tb = m.bar->Control();
    tb->SetActive(true);
    tb->KeyboardDropDown = true;
    TRect e = m.bar->ItemLinks()->Items(0)->ItemRect;
    MoveMouseTo(tb->ClientToScreen(Point((e.Left + e.Right) / 2, (e.Top + e.Bottom) / 2)));
    TdxBarSubMenuControl* menu = tools->MenuWindow();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(menu->HasDragBar());
    TRect wr = WindowRectOf(menu);
    TRect d = menu->DragBarRect();
    // The drag bar lies above the first row, in the frame.
    EXPECT_EQ(menu->ClientToScreen(Point(0, 0)).Y, wr.Top + 1 + 10);
    TPoint onBar = Point(wr.Left + d.Left + 12, wr.Top + d.Top + 3);
    MoveMouseTo(onBar);
    EXPECT_TRUE(menu->DragBarHot());
    auto shot = GrabWindow(menu);
    if (road == Drop) SaveBitmapAsPng(shot.get(), "submenu_dragbar.png");
    EXPECT_EQ(Px(shot.get(), d.Left + 20, d.Top + 3), Sys(COLOR_ACTIVECAPTION));
    TPoint out = Point(onBar.X + 120, onBar.Y + 140);
    TPoint further = Point(out.X + 40, out.Y + 25);
    std::vector<std::unique_ptr<testui::TOneShot>> steps;
    bool reopened = false, hiddenWhileOpen = false;
    steps.push_back(std::make_unique<testui::TOneShot>(60, [&] {
      if (road == Escape) {
        INPUT k = {};
        k.type = INPUT_KEYBOARD;
        k.ki.wVk = VK_ESCAPE;
        SendInput(1, &k, sizeof(INPUT));
        k.ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(1, &k, sizeof(INPUT));
      } else {
        MoveInput(out);
      }
    }));
    steps.push_back(std::make_unique<testui::TOneShot>(160, [&] {
      if (road == Drop) MoveInput(further);
      if (road == BackInside) MoveInput(onBar);
    }));
    steps.push_back(std::make_unique<testui::TOneShot>(260, [&] {
      reopened = tools->MenuWindow() != nullptr;
      hiddenWhileOpen = !tear->Visible();
      MouseButton(false);
    }));
    for (auto& s : steps) s->timer->SetEnabled(true);
    MouseButton(true);
    testui::PumpUntil([] { return false; }, 450);
    EXPECT_EQ(detaching, 1);
    if (road == Drop) {
      EXPECT_EQ(tools->MenuWindow(), nullptr);
      EXPECT_FALSE(IsLiveBarControl(menu));
      ASSERT_TRUE(tear->Visible());
      EXPECT_EQ(tear->DockingStyle(), dsNone);
      TdxBarControl* w = tear->Control();
      ASSERT_NE(w, nullptr);
      TRect br = WindowRectOf(w);
      EXPECT_EQ(br.Left, further.X - br.Width() / 2);
      EXPECT_EQ(br.Top, further.Y - SmallCaptionHeight() / 2);
      EXPECT_EQ(ActiveBarControl(), nullptr);
    } else {
      EXPECT_TRUE(reopened || road == Escape);
      EXPECT_TRUE(hiddenWhileOpen);
      EXPECT_NE(tools->MenuWindow(), nullptr);
      EXPECT_FALSE(tear->Visible());
    }
    MouseButton(false);
    if (tools->MenuWindow()) tools->MenuWindow()->CloseMenu();
    tb->SetActive(false);
  }
}

// An open menu follows its links: a longer caption widens it, a hidden item's
// row goes and the menu gets shorter, a new link adds a row; its bar hidden
// under it closes it.
TEST(SubMenuLayout, OpenMenuFollowsItsLinksAndClosesWithItsBar) {
  TFileMenu m;
  TdxBarSubMenuControl* menu = m.OpenAt(m.file, 150, 150);
  ASSERT_NE(menu, nullptr);
  Integer w0 = menu->Width(), h0 = menu->Height();
  m.exit->SetCaption("E&xit the program and everything else");
  Application->ProcessMessages();
  ASSERT_EQ(m.file->MenuWindow(), menu);
  EXPECT_GT(menu->Width(), w0 + 50);
  EXPECT_EQ(WindowRectOf(menu).Left, 150);
  m.newB->SetVisible(ivNever);
  Application->ProcessMessages();
  EXPECT_EQ(menu->Height(), h0 - menu->TextRowHeight());
  EXPECT_EQ(m.file->ItemLinks()->ShownLinks().front()->Item(), m.open);
  EXPECT_EQ(m.Link(m.open)->ItemRect.Top, 2);
  m.Add(m.file->ItemLinks(), m.Button("btnAbout", "&About"));
  Application->ProcessMessages();
  EXPECT_EQ(menu->Height(), h0);
  EXPECT_NE(m.file->ItemLinks()->ShownLinks().back()->Control(), nullptr);
  auto shot = Snapshot(menu);
  TRect about = m.file->ItemLinks()->ShownLinks().back()->ItemRect;
  EXPECT_GT(CountColor(shot.get(), about, Sys(COLOR_BTNTEXT)), 10);
  menu->CloseMenu();

  // Opened from the bar, then the bar hidden: the entry's view goes and takes the menu along.
  TdxBarControl* tb = m.bar->Control();
  auto* fileView = static_cast<TdxBarSubItemControl*>(m.bar->ItemLinks()->Items(0)->Control());
  tb->SetActive(true);
  tb->SelectItem(fileView);
  tb->KeyboardDropDown = true;
  if (!m.file->MenuWindow()) fileView->PrepareClick(false);
  menu = m.file->MenuWindow();
  ASSERT_NE(menu, nullptr);
  m.bar->SetVisible(false);
  Application->ProcessMessages();
  EXPECT_EQ(m.file->MenuWindow(), nullptr);
  EXPECT_FALSE(IsLiveBarControl(menu));
  EXPECT_EQ(ActiveBarControl(), nullptr);
  EXPECT_EQ(PendingSubItem(), nullptr);
}

namespace {
void TypeKey(Word K) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = K;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
  testui::PumpUntil([] { return false; }, 40);
}
}  // namespace

// Typed keys (through the input queue and the framework's keyboard hook) reach
// the open menu: Down twice, Right into the cascade, Esc back, Down, Enter
// runs Wrap once with the menus closed.
TEST(SubMenuKeys, TypedKeysDriveTheOpenMenu) {
  TFileMenu m;
  SetForegroundWindow(m.form->Handle());
  m.form->SetFocus();
  Application->ProcessMessages();
  TdxBarSubMenuControl* file = m.OpenAt(m.file, 150, 150);
  ASSERT_NE(file, nullptr);
  auto sel = [&](TCustomdxBarControl* W) {
    return W && W->SelectedControl() ? W->SelectedControl()->Item()->Name() : std::string("-");
  };
  TypeKey(VK_DOWN);
  EXPECT_EQ(sel(file), "btnNew");
  TypeKey(VK_DOWN);
  TypeKey(VK_DOWN);
  TypeKey(VK_DOWN);
  EXPECT_EQ(sel(file), "subRecent");
  TypeKey(VK_RIGHT);
  ASSERT_NE(m.recent->MenuWindow(), nullptr);
  EXPECT_EQ(sel(m.recent->MenuWindow()), "f_one");
  TypeKey(VK_ESCAPE);
  EXPECT_EQ(m.recent->MenuWindow(), nullptr);
  EXPECT_EQ(m.file->MenuWindow(), file);
  TypeKey(VK_DOWN);
  EXPECT_EQ(sel(file), "btnWrap");
  m.Clear();
  TypeKey(VK_RETURN);
  EXPECT_EQ(m.log, (std::vector<std::string>{"item:btnWrap", "click:btnWrap"}));
  EXPECT_EQ(m.file->MenuWindow(), nullptr);
  EXPECT_FALSE(m.wrap->Down());
}
