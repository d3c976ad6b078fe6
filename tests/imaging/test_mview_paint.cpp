// What the thumbnail view paints: pictures centred in their cells, captions,
// frames, the selection looks and the wallpaper styles, checked by pixels of
// the painted bitmap (saved as PNGs in the build folder).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "imaging/views/ruzozadmview.h"
#include "tests/bars/bar_input.h"
#include "tests/imaging/mview_util.h"
#include "tests/support/png_writer.h"

namespace {

using mview::Solid;
using mview::TViewForm;

constexpr TColor kBack = 0x00402010;        // view background
constexpr TColor kCells = 0x0080C0C0;       // thumbnails background
constexpr TColor kTileA = 0x0000A000, kTileB = 0x00A0A000;

// A 16 x 16 tile: left half A, right half B.
std::unique_ptr<TPicture> Tile() {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(16, 16);
  b.Canvas()->Brush()->SetColor(kTileA);
  b.Canvas()->FillRect(TRect{0, 0, 8, 16});
  b.Canvas()->Brush()->SetColor(kTileB);
  b.Canvas()->FillRect(TRect{8, 0, 16, 16});
  auto p = std::make_unique<TPicture>();
  p->Assign(&b);
  return p;
}

// Four 40 x 20 pictures in 60 x 60 cells, 3 to a row, flat look.
struct TPainted : TViewForm {
  TBitmap shot;
  TPainted() : TViewForm(250, 160) {
    view->SetScrollBars(ssNone);
    view->SetThumbWidth(60);
    view->SetThumbHeight(60);
    view->SetGridWidth(3);
    view->SetStyle(iemsFlat);
    view->AlwaysScale = false;
    view->SetBackground(kBack);
    view->SetThumbnailsBackground(kCells);
    view->SuspendRefresh();
    const Byte colours[4][3] = {{255, 0, 0}, {0, 0, 255}, {0, 160, 0}, {200, 200, 0}};
    for (Integer i = 0; i < 4; ++i) {
      view->InsertEntry(i);
      auto b = Solid(40, 20, colours[i][0], colours[i][1], colours[i][2]);
      view->StoreEntryBitmap(i, b.get());
    }
    view->ResumeRefresh();
    shot.SetPixelFormat(pf24bit);
    shot.SetSize(250, 160);
  }
  TBitmap* Paint(const std::string& Png) {
    shot.Canvas()->Brush()->SetColor(clBlack);
    shot.Canvas()->FillRect(TRect{0, 0, 250, 160});
    view->PaintCells(shot.Canvas());
    EXPECT_TRUE(SaveBitmapAsPng(&shot, Png));
    return &shot;
  }
  TColor At(Integer X, Integer Y) { return shot.Canvas()->Pixels(X, Y); }
};

// Cell k's left and top (borders of 4).
Integer CellX(Integer K) { return 4 + (K % 3) * 64; }
Integer CellY(Integer K) { return 4 + (K / 3) * 64; }

}  // namespace

TEST(MViewPaint, PicturesSitCentredOnTheCellBackground) {
  TPainted p;
  p.Paint("mview_cells.png");
  const TColor want[4] = {clRed, 0xFF0000, 0x00A000, 0x00C8C8};
  for (Integer k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const Integer x = CellX(k), y = CellY(k);
    // 40 x 20 centred in 60 x 60: from (10, 20) to (49, 39).
    EXPECT_EQ(p.At(x + 10, y + 20), want[k]);
    EXPECT_EQ(p.At(x + 49, y + 39), want[k]);
    EXPECT_EQ(p.At(x + 9, y + 30), kCells);
    EXPECT_EQ(p.At(x + 30, y + 40), kCells);
    EXPECT_EQ(p.At(x + 59, y + 59), kCells);
  }
  // Between and around the cells: the view's background.
  EXPECT_EQ(p.At(1, 1), kBack);
  EXPECT_EQ(p.At(CellX(1) - 2, 30), kBack);
  EXPECT_EQ(p.At(200, 120), kBack);
  // A second paint comes from the display cache and looks the same.
  TBitmap first;
  first.Assign(&p.shot);
  p.Paint("mview_cells_again.png");
  for (Integer y = 0; y < 160; y += 3)
    for (Integer x = 0; x < 250; x += 3) ASSERT_EQ(p.At(x, y), first.Canvas()->Pixels(x, y)) << x << "," << y;
}

TEST(MViewPaint, WallpaperStyles) {
  struct Case {
    const char* png;
    TIEWallPaperStyle style;
    Integer x, y;
    TColor expect;
  };
  const Case cases[] = {
      {"mview_wall_tile.png", iewoTile, 1, 1, kTileA},
      {"mview_wall_tile.png", iewoTile, 218, 150, kTileB},  // 218 mod 16 = 10: the right half of a tile
      {"mview_wall_normal.png", iewoNormal, 1, 1, kTileA},
      {"mview_wall_normal.png", iewoNormal, 200, 150, kBack},  // outside the picture: the background
      {"mview_wall_stretch.png", iewoStretch, 1, 1, kTileA},
      {"mview_wall_stretch.png", iewoStretch, 240, 150, kTileB},  // right half stretched over the view
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.png);
    TPainted p;
    auto tile = Tile();
    p.view->SetWallPaper(tile.get());
    p.view->SetWallPaperStyle(c.style);
    p.Paint(c.png);
    EXPECT_EQ(p.At(c.x, c.y), c.expect);
    // The cells stay on top of any wallpaper.
    EXPECT_EQ(p.At(CellX(0) + 20, CellY(0) + 30), clRed);
    EXPECT_EQ(p.At(CellX(0) + 2, CellY(0) + 2), kCells);
  }
}

TEST(MViewPaint, SelectionFramesCountTheFocus) {
  for (bool focused : {true, false}) {
    SCOPED_TRACE(focused ? "focused" : "not focused");
    TPainted p;
    p.view->SetSelectionWidth(3);
    p.view->SetSelectionColor(clRed);
    p.view->SelectEntry(1);
    barinput::Activate(p.form.get());
    if (focused)
      p.view->SetFocus();
    else
      ::SetFocus(nullptr);
    barinput::Settle();
    p.Paint(focused ? "mview_frame_focus.png" : "mview_frame_nofocus.png");
    const Integer x = CellX(1), y = CellY(1) + 30;
    EXPECT_EQ(p.At(x - 1, y), clRed);
    EXPECT_EQ(p.At(x - 2, y), focused ? clRed : kBack);
    EXPECT_EQ(p.At(x - 3, y), focused ? clRed : kBack);
    EXPECT_EQ(p.At(x + 60 + 0, y), clRed);  // the right edge, outside the cell
    EXPECT_EQ(p.At(x - 4, y), kBack);
    // Unselected cells get no frame.
    EXPECT_EQ(p.At(CellX(0) - 1, y), kBack);
  }
}

TEST(MViewPaint, HighlightLookFramesAndCaptions) {
  TPainted p;
  p.view->SetSelectionStyle(iessACD);
  p.view->SetStyle(iemsACD);
  p.view->SetBottomGap(4);
  TIEMText* bottom = p.view->EntryText(0, 2);
  ASSERT_NE(bottom, nullptr);
  bottom->Caption = "Wq";
  bottom->Background = clYellow;
  bottom->Font()->SetColor(clBlack);
  TIEMText* info = p.view->EntryText(2, 1);
  info->Caption = "i";
  info->Background = clLime;
  p.view->SelectEntry(1);
  p.Paint("mview_captions.png");

  // The selected cell is filled with the highlight around its picture.
  const TColor highlight = ColorToRGB(clHighlight);
  EXPECT_EQ(p.At(CellX(1) + 2, CellY(1) + 2), highlight);
  // Flat frames of the ACD look: white left of the picture, grey right of it.
  // Entry 3 (no caption, no gap used): picture at (10, 20) in its cell.
  const Integer th = 60 - 4;  // a bottom gap shortens the picture's room
  const Integer iy = CellY(3) + (th - 20) / 2;
  EXPECT_EQ(p.At(CellX(3) + 9, iy + 5), clWhite);
  EXPECT_EQ(p.At(CellX(3) + 50, iy + 5), 0x808080);
  // The bottom caption of entry 0 sits on its yellow background above the gap.
  Integer yellow = 0, dark = 0;
  for (Integer y = CellY(0) + 30; y < CellY(0) + 56; ++y)
    for (Integer x = CellX(0); x < CellX(0) + 60; ++x) {
      const TColor c = p.At(x, y);
      if (c == clYellow) ++yellow;
      if (c == clBlack) ++dark;
    }
  EXPECT_GT(yellow, 20);
  EXPECT_GT(dark, 5);
  // The info caption's strip is at the very bottom of entry 2's cell.
  EXPECT_EQ(p.At(CellX(2) + 3, CellY(2) + 57), clLime);
}

TEST(MViewPaint, OnlyVisibleCellsAreDrawnAndReported) {
  TPainted p;
  std::vector<Integer> drawn, progress;
  p.view->OnImageDraw = [&](TObject*, Integer idx, Integer, Integer, TCanvas*) { drawn.push_back(idx); };
  p.view->OnDrawProgress = [&](TObject*, Integer per, Integer) { progress.push_back(per); };
  p.view->SetGridWidth(1);  // four rows of 64: 260 high in a view of 160
  p.view->SetScrollY(100);   // row 0 (4..63) is out, row 1 (68..127) crosses the top
  EXPECT_EQ(p.view->ScrollY(), 100);
  p.Paint("mview_scrolled.png");
  EXPECT_EQ(drawn, (std::vector<Integer>{1, 2, 3}));
  EXPECT_EQ(progress, (std::vector<Integer>{0, 25, 50, 75, 100}));
}
