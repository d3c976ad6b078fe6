// Drawing a 1-bit selection mask: inverted fill, marching-ants outline and
// dots over the unselected area.
#include <algorithm>

#include "imaging/buffer/hyieutils.h"
#include "platform/Graphics.h"

void TIEMask::EnsureDisplayBuffer(Integer DispW, Integer DispH) {
  if (DispW == dispWidth_ && DispH == dispHeight_ && !display_.empty()) return;
  dispWidth_ = std::max(DispW, 0);
  dispHeight_ = std::max(DispH, 0);
  const size_t rowLen = AlignedRowLength(dispWidth_, 1);
  display_.assign(rowLen * static_cast<size_t>(dispHeight_) + 1, 0);
  dispRows_.resize(static_cast<size_t>(dispHeight_));
  for (Integer i = 0; i < dispHeight_; ++i) dispRows_[i] = display_.data() + rowLen * (dispHeight_ - 1 - i);
}

void TIEMask::PaintInverted(TCanvas* Canvas, Integer SrcX, Integer SrcY, Integer SrcW, Integer SrcH, Integer DstX,
                            Integer DstY, Integer DispW, Integer DispH) {
  if (!Canvas || IsEmpty() || bits_ != 1 || !data_) return;
  drawInfo_.Header.biWidth = width_;
  drawInfo_.Header.biHeight = height_;
  drawInfo_.Header.biSizeImage = static_cast<DWORD>(rowLength_) * static_cast<DWORD>(height_);
  // The data is bottom-up, so the source rectangle is measured from the bottom.
  ::StretchDIBits(Canvas->Handle(), DstX, DstY, DispW, DispH, SrcX, height_ - SrcH - SrcY, SrcW, SrcH, data_,
                  reinterpret_cast<BITMAPINFO*>(&drawInfo_), DIB_RGB_COLORS, SRCINVERT);
}

void TIEMask::BuildScaledMask(Integer SrcX, Integer SrcY, Integer SrcW, Integer SrcH, Integer DispW, Integer DispH) {
  EnsureDisplayBuffer(DispW, DispH);
  std::fill(display_.begin(), display_.end(), 0);
  if (DispW <= 0 || DispH <= 0 || SrcW <= 0 || SrcH <= 0 || IsEmpty() || bits_ != 1) return;
  const int64_t ystep = Trunc(static_cast<Extended>(SrcH) / DispH * 16384);
  const int64_t xstep = Trunc(static_cast<Extended>(SrcW) / DispW * 16384);
  const Integer r0 = std::max<Integer>(static_cast<Integer>(Trunc(static_cast<Extended>(top_ - SrcY) * DispH / SrcH)), 0);
  const Integer r1 =
      std::min<Integer>(static_cast<Integer>(Trunc(static_cast<Extended>(bottom_ - SrcY + 1) * DispH / SrcH)), DispH - 1);
  const Integer c0 = std::max<Integer>(static_cast<Integer>(Trunc(static_cast<Extended>(left_ - SrcX) * DispW / SrcW)), 0);
  const Integer c1 =
      std::min<Integer>(static_cast<Integer>(Trunc(static_cast<Extended>(right_ - SrcX + 1) * DispW / SrcW)), DispW - 1);
  for (Integer r = r0; r <= r1; ++r) {
    const Integer my = static_cast<Integer>(SrcY + ((ystep * r) >> 14));
    if (my < 0 || my >= height_) continue;
    const Byte* m = RowAddress(my);
    Byte* d = dispRows_[r];
    for (Integer c = c0; c <= c1; ++c) {
      const Integer mx = static_cast<Integer>(SrcX + ((xstep * c) >> 14));
      if (mx >= 0 && mx < width_ && (m[mx >> 3] & IEBitMask[mx & 7])) d[c >> 3] |= IEBitMask[c & 7];
    }
  }
}

void TIEMask::PaintOutline(TCanvas* Canvas, Integer SrcX, Integer SrcY, Integer SrcW, Integer SrcH, Integer DstX,
                           Integer DstY, Integer DispW, Integer DispH, Integer Color1, Integer Color2, Integer Phase) {
  if (!Canvas || IsEmpty() || bits_ != 1 || DispW <= 0 || DispH <= 0 || SrcW <= 0 || SrcH <= 0) return;
  BuildScaledMask(SrcX, SrcY, SrcW, SrcH, DispW, DispH);
  const int64_t ystep = Trunc(static_cast<Extended>(SrcH) / DispH * 16384);
  const int64_t xstep = Trunc(static_cast<Extended>(SrcW) / DispW * 16384);
  if (xstep <= 0 || ystep <= 0) return;
  const Integer r0 = static_cast<Integer>(std::max<int64_t>((static_cast<int64_t>(top_ - SrcY) * 16384) / ystep, 0));
  const Integer r1 =
      static_cast<Integer>(std::min<int64_t>((static_cast<int64_t>(bottom_ - SrcY + 1) * 16384) / ystep + 1, DispH - 1));
  const Integer c0 = static_cast<Integer>(std::max<int64_t>((static_cast<int64_t>(left_ - SrcX) * 16384) / xstep, 0));
  const Integer c1 =
      static_cast<Integer>(std::min<int64_t>((static_cast<int64_t>(right_ - SrcX + 1) * 16384) / xstep + 1, DispW - 1));
  auto set = [&](Integer c, Integer r) {
    r = ClampInt(r, 0, DispH - 1);
    c = ClampInt(c, 0, DispW - 1);
    return (dispRows_[r][c >> 3] & IEBitMask[c & 7]) != 0;
  };
  const HDC dc = Canvas->Handle();
  const TIEColorTriple t1 = ColorToTriple(Color1), t2 = ColorToTriple(Color2);
  const COLORREF rgb1 = RGB(t1.Red, t1.Green, t1.Blue), rgb2 = RGB(t2.Red, t2.Green, t2.Blue);
  for (Integer r = r0; r <= r1; ++r) {
    for (Integer c = c0; c <= c1; ++c) {
      if (!set(c, r)) continue;
      bool draw;
      if (c == 0)
        draw = left_ >= SrcX;
      else if (c == c1)
        draw = SrcX + ((xstep * c) >> 14) >= right_;
      else if (r == 0)
        draw = top_ >= SrcY;
      else if (r == r1)
        draw = SrcY + (ystep * r) / 16384 >= bottom_;
      else
        draw = !set(c - 1, r - 1) || !set(c, r - 1) || !set(c + 1, r - 1) || !set(c - 1, r) || !set(c + 1, r) ||
               !set(c - 1, r + 1) || !set(c, r + 1) || !set(c + 1, r + 1);
      if (!draw) continue;
      const Integer sx = DstX + c, sy = DstY + r;
      ::SetPixel(dc, sx, sy, ((sx + sy + Phase) & 4) == 0 ? rgb1 : rgb2);
    }
  }
}

void TIEMask::PaintOuterDots(TBitmap* Bitmap, Integer SrcX, Integer SrcY, Integer SrcW, Integer SrcH, Integer DstX,
                             Integer DstY, Integer DispW, Integer DispH) {
  if (!Bitmap || IsEmpty() || bits_ != 1 || DispW <= 0 || DispH <= 0 || SrcW <= 0 || SrcH <= 0) return;
  if (Bitmap->PixelFormat() != pf24bit) return;
  BuildScaledMask(SrcX, SrcY, SrcW, SrcH, DispW, DispH);
  const int64_t ystep = Trunc(static_cast<Extended>(SrcH) / DispH * 16384);
  const int64_t xstep = Trunc(static_cast<Extended>(SrcW) / DispW * 16384);
  const Integer bw = Bitmap->Width(), bh = Bitmap->Height();
  for (Integer r = 0; r < DispH; r += 2) {
    const int64_t my = SrcY + ((ystep * r) >> 14);
    const Integer by = DstY + r;
    if (my < 0 || my >= height_ || by < 0 || by >= bh) continue;
    Byte* row = static_cast<Byte*>(Bitmap->ScanLine(by));
    const Byte* d = dispRows_[r];
    for (Integer c = 0; c < DispW; c += 2) {
      const int64_t mx = SrcX + ((xstep * c) >> 14);
      const Integer bx = DstX + c;
      if (mx < 0 || mx >= width_ || bx < 0 || bx >= bw) continue;
      if (d[c >> 3] & IEBitMask[c & 7]) continue;
      row[3 * bx] = row[3 * bx + 1] = row[3 * bx + 2] = 255;
    }
  }
}
