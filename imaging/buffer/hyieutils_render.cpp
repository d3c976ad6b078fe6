// Rendering an image buffer zoomed onto a 24-bit platform bitmap, and the
// wrappers of the Video for Windows drawing library.
#include <algorithm>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/buffer/ruzozadproc.h"
#include "imaging/buffer/zezivori.h"
#include "platform/Graphics.h"

#include <vfw.h>

void TIEBitmap::RenderZoomed(TBitmap* Dest, Byte** DestRows, const Integer* ColumnMap, const Integer* RowMap,
                             const TRect* Clip, Integer DstX, Integer DstY, Integer DstW, Integer DstH, Integer SrcX,
                             Integer SrcY, Integer SrcW, Integer SrcH, bool UseAlpha, bool RepeatRows,
                             Integer Opacity, TResampleFilter Filter) {
  if (!Dest || Dest->PixelFormat() != pf24bit) return;
  if (kind_ != ipkBW1 && kind_ != ipkRGB24) return;  // other kinds are not painted
  if (DstW <= 0 || DstH <= 0 || SrcW <= 0 || SrcH <= 0 || width_ <= 0 || height_ <= 0) return;
  const bool useAlphaChannel = UseAlpha && HasAlphaChannel();

  // Pre-scaling with a filter: resample the visible source rectangle to the
  // destination size, then paint that 1:1.
  if (Filter != rfNone && (SrcW != DstW || SrcH != DstH)) {
    TIEBitmap scaled;
    scaled.SetLocation(islMemory);
    scaled.AllocateImage(DstW, DstH, ipkRGB24);
    if (kind_ == ipkBW1 && !useAlphaChannel && SrcW >= DstW) {
      ShrinkBilevelToRGB(this, SrcX, SrcY, SrcX + SrcW - 1, SrcY + SrcH - 1, &scaled);
    } else {
      TIEBitmap part;
      part.SetLocation(islMemory);
      part.AllocateImage(SrcW, SrcH, kind_);
      BlitTo(&part, SrcX, SrcY, 0, 0, SrcW, SrcH);
      if (useAlphaChannel) {
        TIEBitmap* pa = part.GetAlphaChannel();
        alpha_->BlitTo(pa, SrcX, SrcY, 0, 0, SrcW, SrcH);
        pa->SetAlphaFull(alpha_->AlphaFull());
      }
      if (kind_ == ipkBW1)
        ResampleBilevel(&part, &scaled, Filter);
      else
        ResampleImage(&part, &scaled, Filter);
      if (useAlphaChannel) {
        TIEBitmap* sa = scaled.GetAlphaChannel();
        ResampleAlphaChannel(part.GetAlphaChannel(), sa, Filter);
        sa->SetAlphaFull(part.GetAlphaChannel()->AlphaFull());
      }
    }
    scaled.RenderZoomed(Dest, DestRows, nullptr, nullptr, Clip, DstX, DstY, DstW, DstH, 0, 0, DstW, DstH, UseAlpha,
                        RepeatRows, Opacity, rfNone);
    return;
  }

  try {
    const Integer bmpW = Dest->Width(), bmpH = Dest->Height();
    std::vector<Byte*> ownRows;
    if (!DestRows) {
      ownRows.resize(static_cast<size_t>(std::max(bmpH, 0)));
      for (Integer r = 0; r < bmpH; ++r) ownRows[r] = static_cast<Byte*>(Dest->ScanLine(r));
      DestRows = ownRows.data();
    }
    const Integer clipL = Clip ? Clip->Left : -2147483646, clipT = Clip ? Clip->Top : -2147483646;
    const Integer clipR = Clip ? Clip->Right : 2147483646, clipB = Clip ? Clip->Bottom : 2147483646;
    const int64_t xstep = Trunc(static_cast<Extended>(SrcW) / DstW * 16384);
    const int64_t ystep = Trunc(static_cast<Extended>(SrcH) / DstH * 16384);
    const Integer lastRow = std::min(DstY + DstH - 1, bmpH - 1);
    const Integer lastCol = std::min(DstX + DstW - 1, bmpW - 1);
    // Never paint outside the bitmap, whatever the clip says.
    const Integer row0 = std::max({clipT, DstY, 0}), row1 = std::min(clipB, lastRow);
    const Integer col0 = std::max({clipL, DstX, 0}), col1 = std::min(clipR, lastCol);
    if (row0 > row1 || col0 > col1) return;
    const Integer ncols = col1 - col0 + 1;

    const bool blend = useAlphaChannel && !alpha_->AlphaFull();
    const bool opaque = Opacity >= 255;
    std::vector<Byte> constRow;
    if (!opaque) constRow.assign(static_cast<size_t>(width_), static_cast<Byte>(std::max(Opacity, 0)));

    const bool oneToOne = xstep == 16384 && ystep == 16384 && kind_ == ipkRGB24 && opaque && !blend;
    std::vector<Integer> cmap, rmap;
    if (!oneToOne) {
      cmap.resize(static_cast<size_t>(ncols));
      for (Integer c = col0; c <= col1; ++c) {
        const int64_t v = ColumnMap ? ColumnMap[c - DstX] : SrcX + (((c - DstX) * xstep) >> 14);
        cmap[c - col0] = static_cast<Integer>(std::clamp<int64_t>(v, 0, width_ - 1));
      }
      rmap.resize(static_cast<size_t>(row1 - row0 + 1));
      for (Integer r = row0; r <= row1; ++r) {
        const int64_t v = RowMap ? RowMap[r - DstY] : SrcY + (((r - DstY) * ystep) >> 14);
        rmap[r - row0] = static_cast<Integer>(std::clamp<int64_t>(v, 0, height_ - 1));
      }
    }

    const size_t destRowBytes = AlignedRowLength(bmpW, 24);
    std::vector<Byte> alphaRow;
    Integer prevSource = -1;
    for (Integer r = row0; r <= row1; ++r) {
      Byte* d = DestRows[r] + static_cast<size_t>(col0) * 3;
      if (oneToOne) {
        const Integer ys = r - DstY + SrcY;
        if (ys < 0 || ys >= height_) continue;
        const Integer xs = col0 - DstX + SrcX;
        const Integer n = std::min(ncols, width_ - xs);
        if (xs < 0 || n <= 0) continue;
        const Byte* s = static_cast<const Byte*>(GetRowPointer(ys)) + static_cast<size_t>(xs) * 3;
        std::memcpy(d, s, static_cast<size_t>(n) * 3);
        continue;
      }
      const Integer ys = rmap[r - row0];
      if (RepeatRows && r > row0 && ys == prevSource) {
        std::memcpy(DestRows[r], DestRows[r - 1], destRowBytes);
        continue;
      }
      prevSource = ys;
      const Byte* a = nullptr;
      if (blend) {
        // The alpha row is read first: both buffers may hand out only one mapped row at a time.
        alphaRow.resize(static_cast<size_t>(alpha_->RowLength()));
        std::memcpy(alphaRow.data(), alpha_->GetRowPointer(ys), alphaRow.size());
        a = alphaRow.data();
      } else if (!opaque) {
        a = constRow.data();
      }
      const Byte* s = static_cast<const Byte*>(GetRowPointer(ys));
      if (kind_ == ipkBW1) {
        for (Integer i = 0; i < ncols; ++i, d += 3) {
          const Integer xs = cmap[i];
          const Integer t = TestBit(s, xs) ? 255 : 0;
          if (a) {
            const Integer av = std::min(std::max(Opacity, 0), static_cast<Integer>(a[xs]));
            for (int k = 0; k < 3; ++k) d[k] = static_cast<Byte>(d[k] + (((t - d[k]) * av) >> 8));
          } else {
            d[0] = d[1] = d[2] = static_cast<Byte>(t);
          }
        }
      } else {
        for (Integer i = 0; i < ncols; ++i, d += 3) {
          const Integer xs = cmap[i];
          const Byte* p = s + static_cast<size_t>(xs) * 3;
          if (a) {
            const Integer av = std::min(std::max(Opacity, 0), static_cast<Integer>(a[xs]));
            for (int k = 0; k < 3; ++k) d[k] = static_cast<Byte>(d[k] + (((p[k] - d[k]) * av) >> 8));
          } else {
            d[0] = p[0];
            d[1] = p[1];
            d[2] = p[2];
          }
        }
      }
    }
  } catch (...) {
    // Painting never reports: the destination keeps what was painted so far.
  }
}

// ---------------------------------------------------------------------------
// DrawDib wrappers.

HANDLE DrawDibOpenHandle() { return ::DrawDibOpen(); }

bool DrawDibCloseHandle(HANDLE Hdd) { return ::DrawDibClose(static_cast<HDRAWDIB>(Hdd)) != FALSE; }

bool DrawDibDrawRect(HANDLE Hdd, HDC Dc, Integer XDst, Integer YDst, Integer DxDst, Integer DyDst,
                     BITMAPINFOHEADER* Header, void* Bits, Integer XSrc, Integer YSrc, Integer DxSrc, Integer DySrc,
                     UINT Flags) {
  return ::DrawDibDraw(static_cast<HDRAWDIB>(Hdd), Dc, XDst, YDst, DxDst, DyDst, Header, Bits, XSrc, YSrc, DxSrc,
                       DySrc, Flags) != FALSE;
}

UINT DrawDibRealizePalette(HANDLE Hdd, HDC Dc, bool Background) {
  return ::DrawDibRealize(static_cast<HDRAWDIB>(Hdd), Dc, Background ? TRUE : FALSE);
}
