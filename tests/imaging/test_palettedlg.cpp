// The palette picker form: layout, hovering and choosing a cell.
#include <gtest/gtest.h>

#include "imaging/buffer/iepalettedlg.h"
#include "platform/StdCtrls.h"

TEST(PaletteDialog, LayoutAndDefaults) {
  TRuzozAdPaletteDialog dlg(nullptr);
  EXPECT_EQ(dlg.Width(), 539);
  EXPECT_EQ(dlg.Height(), 199);
  EXPECT_EQ(dlg.Caption(), "");
  EXPECT_EQ(dlg.Position(), poScreenCenter);
  EXPECT_EQ(dlg.BorderIcons(), TBorderIcons{biSystemMenu});
  EXPECT_EQ(dlg.HoveredIndex(), -1);
  ASSERT_NE(dlg.CancelButton(), nullptr);
  EXPECT_EQ(dlg.CancelButton()->Caption(), "&Cancel");
  EXPECT_EQ(dlg.CancelButton()->Left(), 8);
  EXPECT_EQ(dlg.CancelButton()->Top(), 144);
  EXPECT_TRUE(dlg.CancelButton()->Cancel());
  EXPECT_EQ(dlg.CancelButton()->ModalResult(), mrCancel);
}

TEST(PaletteDialog, HoverAndClickChooseACell) {
  TRuzozAdPaletteDialog dlg(nullptr);
  TIEColorTriple pal[40];
  for (int i = 0; i < 40; ++i) pal[i] = TIEColorTriple{static_cast<Byte>(i), 0, static_cast<Byte>(200 - i)};
  dlg.SetPalette(pal, 16);
  // A click before any hover chooses nothing.
  dlg.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 5));
  dlg.Perform(WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
  EXPECT_EQ(dlg.ModalResult(), mrNone);

  dlg.Perform(WM_MOUSEMOVE, 0, MAKELPARAM(20, 5));
  EXPECT_EQ(dlg.HoveredIndex(), 1);
  dlg.Perform(WM_MOUSEMOVE, 0, MAKELPARAM(300, 5));  // cell 18: past the 16 entries
  EXPECT_EQ(dlg.HoveredIndex(), 1);
  dlg.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 5));
  dlg.Perform(WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
  EXPECT_EQ(dlg.ModalResult(), mrOk);
  EXPECT_EQ(dlg.ChosenColor(), TripleToColor(pal[1]));

  dlg.SetPalette(pal, 40);
  dlg.Perform(WM_MOUSEMOVE, 0, MAKELPARAM(40, 20));  // row 1, column 2
  EXPECT_EQ(dlg.HoveredIndex(), 34);
}
