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
