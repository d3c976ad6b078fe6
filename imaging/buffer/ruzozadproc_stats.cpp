// Picture statistics shared by the conversions, the quantisers and the writers.
#include <cstdlib>

#include "imaging/buffer/ruzozadproc.h"

namespace {

inline Word Gray16At(const Byte* Row, Integer X) {
  Word v;
  std::memcpy(&v, Row + 2 * X, 2);
  return v;
}

}  // namespace

void AverageColor(TIEBitmap* Bitmap, Integer& Red, Integer& Green, Integer& Blue) {
  Red = Green = Blue = 128;
  if (Bitmap == nullptr) return;
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  if (w <= 0 || h <= 0) return;  // nothing to average: mid grey
  int64_t tr = 0, tg = 0, tb = 0;
  const TIEPixelKind kind = Bitmap->PixelKind();
  for (Integer y = 0; y < h; ++y) {
    const Byte* row = static_cast<const Byte*>(Bitmap->GetRowPointer(y));
    int64_t sr = 0, sg = 0, sb = 0;
    switch (kind) {
      case ipkBW1:
        for (Integer x = 0; x < w; ++x)
          if (TestBit(row, x)) sr += 255;
        sg = sb = sr;
        break;
      case ipkPal8:
        for (Integer x = 0; x < w; ++x) {
          const TIEColorTriple c = Bitmap->PaletteEntry(row[x]);
          sr += c.Red;
          sg += c.Green;
          sb += c.Blue;
        }
        break;
      case ipkGray8:
        for (Integer x = 0; x < w; ++x) sr += row[x];
        sg = sb = sr;
        break;
      case ipkGray16:
        for (Integer x = 0; x < w; ++x) sr += Gray16At(row, x) >> 8;
        sg = sb = sr;
        break;
      case ipkRGB24:
        for (Integer x = 0; x < w; ++x, row += 3) {
          sb += row[0];
          sg += row[1];
          sr += row[2];
        }
        break;
      default:
        break;
    }
    tr += sr / w;
    tg += sg / w;
    tb += sb / w;
  }
  Red = static_cast<Integer>(tr / h);
  Green = static_cast<Integer>(tg / h);
  Blue = static_cast<Integer>(tb / h);
}

void Histogram256(TIEBitmap* Bitmap, Cardinal* Bins) {
  for (int i = 0; i < 256; ++i) Bins[i] = 0;
  if (Bitmap == nullptr) return;
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  const TIEPixelKind kind = Bitmap->PixelKind();
  if (kind == ipkNone) return;
  for (Integer y = 0; y < h; ++y) {
    const Byte* row = static_cast<const Byte*>(Bitmap->GetRowPointer(y));
    switch (kind) {
      case ipkBW1:
        for (Integer x = 0; x < w; ++x) ++Bins[TestBit(row, x) ? 255 : 0];
        break;
      case ipkPal8:
        for (Integer x = 0; x < w; ++x) ++Bins[TripleLuminance(Bitmap->PaletteEntry(row[x]))];
        break;
      case ipkGray8:
        for (Integer x = 0; x < w; ++x) ++Bins[row[x]];
        break;
      case ipkGray16:
        for (Integer x = 0; x < w; ++x) ++Bins[Gray16At(row, x) >> 8];
        break;
      case ipkRGB24:
        for (Integer x = 0; x < w; ++x, row += 3) ++Bins[(21 * row[2] + 71 * row[1] + 8 * row[0]) / 100];
        break;
      default:
        break;
    }
  }
}

bool IsGrayRGB(TIEBitmap* Bitmap) {
  if (Bitmap == nullptr || Bitmap->PixelKind() != ipkRGB24) return false;
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  for (Integer y = 0; y < h; ++y) {
    const Byte* p = static_cast<const Byte*>(Bitmap->GetRowPointer(y));
    for (Integer x = 0; x < w; ++x, p += 3)
      if (p[0] != p[1] || p[1] != p[2]) return false;
  }
  return true;
}

Integer NearestPaletteIndex(const TIEColorTriple* Palette, Integer Count, const TIEColorTriple& Color) {
  Integer best = 0, bestDist = 1000;
  for (Integer i = 0; i < Count; ++i) {
    const Integer d = std::abs(Palette[i].Red - Color.Red) + std::abs(Palette[i].Green - Color.Green) +
                      std::abs(Palette[i].Blue - Color.Blue);
    if (d < bestDist) {
      bestDist = d;
      best = i;
    }
  }
  return best;
}
