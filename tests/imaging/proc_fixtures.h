// Small pictures for the processing tests.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "imaging/buffer/hyieutils.h"

namespace procfix {

// A 24-bit picture in memory filled by Pixel(x, y).
inline std::unique_ptr<TIEBitmap> MakeRGB(Integer W, Integer H,
                                          const std::function<TIEColorTriple(Integer, Integer)>& Pixel) {
  auto b = std::make_unique<TIEBitmap>();
  b->SetLocation(islMemory);
  b->AllocateImage(W, H, ipkRGB24);
  for (Integer y = 0; y < H; ++y) {
    auto* row = static_cast<TIEColorTriple*>(b->GetRowPointer(y));
    for (Integer x = 0; x < W; ++x) row[x] = Pixel(x, y);
  }
  return b;
}

inline std::unique_ptr<TIEBitmap> MakeKind(Integer W, Integer H, TIEPixelKind Kind) {
  auto b = std::make_unique<TIEBitmap>();
  b->SetLocation(islMemory);
  b->AllocateImage(W, H, Kind);
  for (Integer y = 0; y < H; ++y) std::memset(b->GetRowPointer(y), 0, static_cast<size_t>(b->RowLength()));
  return b;
}

inline TIEColorTriple Grey(Byte v) { return TIEColorTriple{v, v, v}; }
inline TIEColorTriple Rgb(Byte r, Byte g, Byte b) { return TIEColorTriple{b, g, r}; }

inline TIEColorTriple At(TIEBitmap* B, Integer X, Integer Y) {
  return static_cast<TIEColorTriple*>(B->GetRowPointer(Y))[X];
}

inline bool BitAt(TIEBitmap* B, Integer X, Integer Y) { return TestBit(B->GetRowPointer(Y), X); }

// Every pixel of a 24-bit picture, row by row.
inline std::vector<TIEColorTriple> Pixels(TIEBitmap* B) {
  std::vector<TIEColorTriple> out;
  for (Integer y = 0; y < B->Height(); ++y)
    for (Integer x = 0; x < B->Width(); ++x) out.push_back(At(B, x, y));
  return out;
}

// Gradient + noise + shapes: a picture with many colours.
inline std::unique_ptr<TIEBitmap> Busy(Integer W, Integer H, uint32_t Seed = 1) {
  uint32_t s = Seed;
  return MakeRGB(W, H, [&](Integer x, Integer y) {
    s = s * 1664525u + 1013904223u;
    const Integer noise = static_cast<Integer>((s >> 24) % 24) - 12;
    Integer r = x * 255 / IntMax(W - 1, 1), g = y * 255 / IntMax(H - 1, 1), b = (x + y) * 127 / IntMax(W + H, 1);
    const Integer cx = x - W / 2, cy = y - H / 2;
    if (cx * cx + cy * cy < (W * W) / 16) {
      r = 230;
      g = 40;
      b = 60;
    }
    return Rgb(static_cast<Byte>(ClampToByte(r + noise)), static_cast<Byte>(ClampToByte(g + noise)),
               static_cast<Byte>(ClampToByte(b + noise)));
  });
}

}  // namespace procfix
