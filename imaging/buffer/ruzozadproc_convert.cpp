// Colour-depth conversion helpers: remapping to a quantised palette and greying.
#include <vector>

#include "imaging/buffer/ruzozadproc.h"

void RemapToQuantizedPalette(TIEBitmap* Bitmap, Integer Colors, TIEColorTriple* Palette,
                             const TIEProgressEvent& OnProgress, TObject* Sender) {
  if (Bitmap == nullptr || Bitmap->PixelKind() != ipkRGB24 || Colors < 1) return;
  std::vector<TIEColorTriple> own;
  if (Palette == nullptr) {
    own.resize(static_cast<size_t>(Colors));
    Palette = own.data();
  }
  TIEQuantizer quantizer(Bitmap, Palette, Colors, -1, 0);
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  // Neighbouring pixels often share a colour: remember the last lookup.
  Cardinal lastColor = 0xFFFFFFFFu;
  TIEColorTriple lastEntry;
  for (Integer y = 0; y < h; ++y) {
    Byte* p = static_cast<Byte*>(Bitmap->GetRowPointer(y));
    for (Integer x = 0; x < w; ++x, p += 3) {
      const Cardinal c = p[0] | (p[1] << 8) | (p[2] << 16);
      if (c != lastColor) {
        const Integer index = quantizer.ColorIndex(p[0], p[1], p[2]);
        lastEntry = (index >= 0 && index < Colors) ? Palette[index] : TIEColorTriple{p[0], p[1], p[2]};
        lastColor = c;
      }
      p[0] = lastEntry.Blue;
      p[1] = lastEntry.Green;
      p[2] = lastEntry.Red;
    }
    if (OnProgress) OnProgress(Sender, static_cast<Integer>(Trunc((y + 1) * 100.0 / (h + 0.5))));
  }
}

void GrayscaleRegion(TIEBitmap* Bitmap, Integer X1, Integer Y1, Integer X2, Integer Y2,
                     const TIEProgressEvent& OnProgress, TObject* Sender) {
  if (Bitmap == nullptr || Bitmap->PixelKind() != ipkRGB24) return;
  X2 = IntMin(X2, Bitmap->Width());
  Y2 = IntMin(Y2, Bitmap->Height());
  X1 = IntMax(X1, 0);
  Y1 = IntMax(Y1, 0);
  const Integer rows = Y2 - Y1;
  for (Integer y = Y1; y < Y2; ++y) {
    Byte* p = static_cast<Byte*>(Bitmap->GetRowPointer(y)) + 3 * X1;
    for (Integer x = X1; x < X2; ++x, p += 3) {
      const Byte l = static_cast<Byte>((21 * p[2] + 71 * p[1] + 8 * p[0]) / 100);
      p[0] = p[1] = p[2] = l;
    }
    if (OnProgress) OnProgress(Sender, static_cast<Integer>(Trunc((y - Y1 + 1) * 100.0 / (rows + 0.5))));
  }
}
