// Helpers of the image-buffer tests: buffers at a chosen storage place, and
// reading and writing pixels by kind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/buffer/hyieutils.h"

namespace iebuf {

inline const char* PlaceName(TIEStorageLocation p) {
  switch (p) {
    case islMemory: return "Memory";
    case islMappedFile: return "Mapped";
    default: return "Bitmap";
  }
}

// While alive, every new buffer (temporaries inside the library included)
// takes this threshold: 1 sends everything to a mapped file.
class DefaultThreshold {
 public:
  explicit DefaultThreshold(uint64_t t) { SetIEDefaultFileThreshold(t); }
  ~DefaultThreshold() { SetIEDefaultFileThreshold(0); }
};

// Every test runs with strict row views: keeping an earlier row address of a
// mapped buffer crashes at once instead of reading another row.
inline const bool kStrictRowViews = (SetIEStrictRowViews(true), true);

// Requests the place for the next allocation, with a threshold that keeps it there.
inline void Place(TIEBitmap& b, TIEStorageLocation p) {
  (void)kStrictRowViews;
  b.SetLocation(p);
  b.SetFileThreshold(p == islMappedFile ? 0 : UINT64_MAX);
}

// Pixel values by kind: the bit, the palette colour as 0xRRGGBB, the grey
// level, the 16-bit grey level, or the colour as 0xRRGGBB.
inline uint32_t Decode(const TIEBitmap& b, const Byte* row, Integer x) {
  switch (b.PixelKind()) {
    case ipkBW1: return TestBit(row, x) ? 1 : 0;
    case ipkPal8: {
      const TIEColorTriple t = b.PaletteEntry(row[x]);
      return (uint32_t(t.Red) << 16) | (uint32_t(t.Green) << 8) | t.Blue;
    }
    case ipkGray8: return row[x];
    case ipkGray16: return row[2 * x] | (row[2 * x + 1] << 8);
    case ipkRGB24: return (uint32_t(row[3 * x + 2]) << 16) | (uint32_t(row[3 * x + 1]) << 8) | row[3 * x];
    default: return 0;
  }
}

inline uint32_t Get(TIEBitmap& b, Integer x, Integer y) {
  return Decode(b, static_cast<const Byte*>(b.GetRowPointer(y)), x);
}

inline void Encode(TIEPixelKind k, Byte* row, Integer x, uint32_t v) {
  switch (k) {
    case ipkBW1: PutBit(row, x, v); break;
    case ipkPal8:
    case ipkGray8: row[x] = Byte(v); break;
    case ipkGray16:
      row[2 * x] = Byte(v);
      row[2 * x + 1] = Byte(v >> 8);
      break;
    case ipkRGB24:
      row[3 * x] = Byte(v);
      row[3 * x + 1] = Byte(v >> 8);
      row[3 * x + 2] = Byte(v >> 16);
      break;
    default: break;
  }
}

// For ipkPal8 the value is the index.
inline void Set(TIEBitmap& b, Integer x, Integer y, uint32_t v) {
  Encode(b.PixelKind(), static_cast<Byte*>(b.GetRowPointer(y)), x, v);
}

// One row's values from a single row address.
inline std::vector<uint32_t> Row(TIEBitmap& b, Integer y) {
  const Byte* row = static_cast<const Byte*>(b.GetRowPointer(y));
  std::vector<uint32_t> r;
  for (Integer x = 0; x < b.Width(); ++x) r.push_back(Decode(b, row, x));
  return r;
}

// All pixel values, row by row (one row address at a time).
inline std::vector<uint32_t> Pixels(TIEBitmap& b) {
  std::vector<uint32_t> all;
  for (Integer y = 0; y < b.Height(); ++y) {
    const auto r = Row(b, y);
    all.insert(all.end(), r.begin(), r.end());
  }
  return all;
}

// A deterministic picture: value from position and seed, within the kind's range.
inline void FillPattern(TIEBitmap& b, uint32_t Seed = 1) {
  for (Integer y = 0; y < b.Height(); ++y) {
    Byte* row = static_cast<Byte*>(b.GetRowPointer(y));
    for (Integer x = 0; x < b.Width(); ++x) {
      const uint32_t v = (uint32_t(x) * 2654435761u) ^ (uint32_t(y) * 40503u) ^ (Seed * 97u);
      switch (b.PixelKind()) {
        case ipkBW1: Encode(ipkBW1, row, x, (v >> 7) & 1); break;
        case ipkPal8:
        case ipkGray8: Encode(b.PixelKind(), row, x, (v >> 3) & 0xFF); break;
        case ipkGray16: Encode(ipkGray16, row, x, (v >> 5) & 0xFFFF); break;
        default: Encode(b.PixelKind(), row, x, (v >> 2) & 0xFFFFFF); break;
      }
    }
  }
  if (b.PixelKind() == ipkPal8)
    for (Integer i = 0; i < 256; ++i) b.SetPaletteEntry(i, MakeColorTriple(Byte(i), Byte(255 - i), Byte(i * 7)));
  b.SyncVCLPalette();
}

// A buffer at a place, allocated and filled with the pattern.
inline void MakePicture(TIEBitmap& b, TIEStorageLocation p, Integer w, Integer h, TIEPixelKind k, uint32_t Seed = 1) {
  Place(b, p);
  b.AllocateImage(w, h, k);
  FillPattern(b, Seed);
}

}  // namespace iebuf
