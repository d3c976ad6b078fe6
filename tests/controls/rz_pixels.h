// Pixel helpers for the styled-control tests: 24-bit bitmaps filled with a
// known colour, pixel reads as plain RGB, and sheets of labelled cells saved
// as PNG in the build folder for a person to look at.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "tests/support/png_writer.h"

namespace rzpix {

inline std::unique_ptr<TBitmap> NewBitmap(Integer W, Integer H, TColor Fill) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(W, H);
  b->Canvas()->Brush()->SetColor(Fill);
  b->Canvas()->Brush()->SetStyle(bsSolid);
  b->Canvas()->FillRect(Rect(0, 0, W, H));
  return b;
}

// The control painted over 0x030201 (a colour no painter uses).
inline std::unique_ptr<TBitmap> Snapshot(TWinControl* C) {
  auto b = NewBitmap(C->Width(), C->Height(), 0x030201);
  C->PaintTo(b->Canvas()->Handle(), 0, 0);
  return b;
}

inline TColor PxRgb(TBitmap* B, Integer X, Integer Y) { return B->Canvas()->Pixels(X, Y) & 0xFFFFFF; }
inline TColor Rgb(TColor C) { return ColorToRGB(C) & 0xFFFFFF; }

// Cells of W x H laid out in rows of PerRow, with a caption strip above each.
class TSheet {
 public:
  TSheet(Integer CellW, Integer CellH, Integer PerRow, Integer Count)
      : w_(CellW), h_(CellH + 14), perRow_(PerRow) {
    Integer rows = (Count + PerRow - 1) / PerRow;
    bmp_ = NewBitmap(PerRow * (w_ + 6) + 6, rows * (h_ + 6) + 6, clWhite);
    bmp_->Canvas()->Font()->SetName("Tahoma");
    bmp_->Canvas()->Font()->SetHeight(-11);
  }
  // Top-left corner of the picture area of cell I, after writing its caption.
  TPoint Cell(Integer I, const std::string& Caption) {
    Integer x = 6 + (I % perRow_) * (w_ + 6), y = 6 + (I / perRow_) * (h_ + 6);
    bmp_->Canvas()->Brush()->SetStyle(bsClear);
    bmp_->Canvas()->TextOut(x, y, Caption);
    bmp_->Canvas()->Brush()->SetStyle(bsSolid);
    return Point(x, y + 14);
  }
  void Put(Integer I, const std::string& Caption, TBitmap* Picture) {
    TPoint p = Cell(I, Caption);
    bmp_->Canvas()->Draw(p.X, p.Y, Picture);
  }
  TBitmap* Bitmap() { return bmp_.get(); }
  bool Save(const std::string& Name) { return SaveBitmapAsPng(bmp_.get(), Name); }

 private:
  Integer w_, h_, perRow_;
  std::unique_ptr<TBitmap> bmp_;
};

}  // namespace rzpix
