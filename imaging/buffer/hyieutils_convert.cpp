// Conversion of an image buffer between pixel kinds, in place.
#include <algorithm>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/buffer/neurquant.h"
#include "imaging/buffer/ruzozadproc.h"
#include "platform/Graphics.h"

namespace {
inline Integer L8(const TIEColorTriple& t) { return (21 * t.Red + 71 * t.Green + 8 * t.Blue) / 100; }
inline Integer L16(const TIEColorTriple& t) { return (212 * t.Red + 713 * t.Green + 75 * t.Blue) * 256 / 1000; }

inline void PutWord(Byte* p, Integer x, Integer v) {
  p[2 * x] = static_cast<Byte>(v & 0xFF);
  p[2 * x + 1] = static_cast<Byte>((v >> 8) & 0xFF);
}
inline Integer GetWord(const Byte* p, Integer x) { return p[2 * x] | (p[2 * x + 1] << 8); }
inline void PutTriple(Byte* p, Integer x, const TIEColorTriple& t) { std::memcpy(p + 3 * x, &t, 3); }
inline TIEColorTriple GetTriple(const Byte* p, Integer x) { return TIEColorTriple{p[3 * x], p[3 * x + 1], p[3 * x + 2]}; }
inline TIEColorTriple Grey(Integer g) { return TIEColorTriple{Byte(g), Byte(g), Byte(g)}; }

// The colour of pixel x of a row of the given kind.
TIEColorTriple ColorAt(const Byte* row, Integer x, TIEPixelKind kind, const TIEColorTriple* palette) {
  switch (kind) {
    case ipkBW1: return TestBit(row, x) ? Grey(255) : Grey(0);
    case ipkPal8: return palette ? palette[row[x]] : TIEColorTriple();
    case ipkGray8: return Grey(row[x]);
    case ipkGray16: return Grey(row[2 * x + 1]);
    case ipkRGB24: return GetTriple(row, x);
    default: return TIEColorTriple();
  }
}

// The value compared with the dither matrix (0..63) of pixel x.
Integer DitherLevel(const Byte* row, Integer x, TIEPixelKind kind, const TIEColorTriple* palette) {
  switch (kind) {
    case ipkGray8: return row[x] / 4;
    case ipkGray16: return GetWord(row, x) / 1024;
    default: return L8(ColorAt(row, x, kind, palette)) / 4;
  }
}
}  // namespace

void TIEBitmap::ConvertToKind(TIEPixelKind Kind) {
  if (Kind == kind_) return;
  ConvertPixels(Kind);
}

void TIEBitmap::ConvertPixels(TIEPixelKind Kind) {
  if (location_ == islVCLBitmap) {
    // The platform bitmap (possibly a view's) stays the storage: the picture
    // is converted in memory and written back into it in the new format.
    if (kind_ == Kind) return;
    TIEBitmap work;
    work.SetLocation(islMemory);
    work.fileThreshold_ = fileThreshold_;
    work.bilevelMethod_ = bilevelMethod_;
    work.CopyPixelsFrom(this);
    work.ConvertPixels(Kind == ipkGray16 ? ipkGray8 : Kind);
    const bool hadAlphaFull = alphaFull_;
    std::unique_ptr<TIEBitmap> keepAlpha = std::move(alpha_);
    CopyPixelsFrom(&work);
    alpha_ = std::move(keepAlpha);
    alphaFull_ = hadAlphaFull;
    return;
  }

  TIEBitmap tmp;
  MoveContentTo(&tmp);
  width_ = tmp.width_;
  height_ = tmp.height_;
  kind_ = Kind;
  AllocateStorage();
  if (tmp.kind_ == ipkNone || width_ <= 0 || height_ <= 0 || kind_ == ipkNone) return;

  const TIEPixelKind from = tmp.kind_;
  const TIEColorTriple* pal = tmp.palette_.get();
  const Integer w = width_;

  if (from == kind_) {
    const size_t bytes = static_cast<size_t>(std::min(rowLength_, tmp.rowLength_));
    for (Integer r = 0; r < height_; ++r) {
      const Byte* s = static_cast<const Byte*>(tmp.GetRowPointer(r));
      std::memcpy(GetRowPointer(r), s, bytes);
    }
    for (Integer i = 0; i < std::min(paletteCount_, tmp.paletteCount_); ++i) palette_[i] = tmp.palette_[i];
    SyncVCLPalette();
    return;
  }

  if (kind_ == ipkBW1 && bilevelMethod_ != 0) {
    TIEProgressRecord progress;
    ThresholdToBilevel(&tmp, this, -1, progress);
    SyncVCLPalette();
    return;
  }

  std::unique_ptr<TIEQuantizer> quantizer;
  if (kind_ == ipkPal8) {
    if (from == ipkBW1) {
      palette_[0] = Grey(0);
      palette_[1] = Grey(255);
    } else if (from == ipkGray8 || from == ipkGray16) {
      for (Integer i = 0; i < 256; ++i) palette_[i] = Grey(i);
    } else if (from == ipkRGB24) {
      quantizer = std::make_unique<TIEQuantizer>(&tmp, palette_.get(), 256, -1, 0);
    }
  }

  // Each buffer hands out one row at a time; the source row is read into a
  // scratch row so that both may live in mapped files.
  std::vector<Byte> src(static_cast<size_t>(tmp.rowLength_));
  for (Integer y = 0; y < height_; ++y) {
    std::memcpy(src.data(), tmp.GetRowPointer(y), src.size());
    const Byte* s = src.data();
    Byte* d = static_cast<Byte*>(GetRowPointer(y));
    switch (kind_) {
      case ipkBW1:  // ordered dither
        std::memset(d, 0, static_cast<size_t>(rowLength_));
        for (Integer x = 0; x < w; ++x)
          if (DitherLevel(s, x, from, pal) > IEDitherMatrix[x & 7][y & 7]) d[x >> 3] |= IEBitMask[x & 7];
        break;
      case ipkPal8:
        if (from == ipkBW1)
          for (Integer x = 0; x < w; ++x) d[x] = TestBit(s, x) ? 1 : 0;
        else if (from == ipkGray8)
          std::memcpy(d, s, static_cast<size_t>(w));
        else if (from == ipkGray16)
          for (Integer x = 0; x < w; ++x) d[x] = s[2 * x + 1];
        else if (from == ipkRGB24)
          for (Integer x = 0; x < w; ++x) d[x] = static_cast<Byte>(quantizer->ColorIndex(GetTriple(s, x)));
        break;
      case ipkGray8:
        for (Integer x = 0; x < w; ++x) {
          switch (from) {
            case ipkGray16: d[x] = s[2 * x + 1]; break;
            case ipkBW1: d[x] = TestBit(s, x) ? 255 : 0; break;
            default: d[x] = static_cast<Byte>(L8(ColorAt(s, x, from, pal))); break;
          }
        }
        break;
      case ipkGray16:
        for (Integer x = 0; x < w; ++x) {
          switch (from) {
            case ipkBW1: PutWord(d, x, TestBit(s, x) ? 65535 : 0); break;
            case ipkGray8: PutWord(d, x, s[x] * 256); break;
            default: PutWord(d, x, L16(ColorAt(s, x, from, pal))); break;
          }
        }
        break;
      case ipkRGB24:
        for (Integer x = 0; x < w; ++x) PutTriple(d, x, ColorAt(s, x, from, pal));
        break;
      default:
        break;
    }
  }
  SyncVCLPalette();
}
