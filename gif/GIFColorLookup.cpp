// Colour lookups: palette index for one colour.
#include "gif/GIFColorLookup.h"

#include <cstdlib>

TFastColorLookup::TFastColorLookup(HPALETTE Palette) : TColorLookup(0), cache_(32768, SmallInt(-1)) {
  std::memset(entries_, 0, sizeof(entries_));
  if (Palette != nullptr) {
    UINT got = ::GetPaletteEntries(Palette, 0, 256, entries_);
    colors_ = static_cast<Integer>(got > 256 ? 256 : got);
  }
  // The first entry of a cell wins, so duplicates keep the lowest index.
  for (Integer i = 0; i < colors_; ++i) {
    Integer key = CellKey(entries_[i].peRed, entries_[i].peGreen, entries_[i].peBlue);
    if (cache_[key] < 0) cache_[key] = static_cast<SmallInt>(i);
  }
}

Byte TFastColorLookup::NearestIndex(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen,
                                    Byte& OutBlue) {
  Integer key = CellKey(Red, Green, Blue);
  Integer index = cache_[key];
  if (index < 0) {
    Integer best = 0x30000;
    index = 0;
    for (Integer i = 0; i < colors_; ++i) {
      Integer d = std::abs(entries_[i].peRed - Red) + std::abs(entries_[i].peGreen - Green) +
                  std::abs(entries_[i].peBlue - Blue);
      if (d < best) {
        best = d;
        index = i;
        if (d == 0) break;
      }
    }
    cache_[key] = static_cast<SmallInt>(index);
  }
  OutRed = entries_[index].peRed;
  OutGreen = entries_[index].peGreen;
  OutBlue = entries_[index].peBlue;
  return static_cast<Byte>(index);
}

Byte TNetscapeColorLookup::NearestIndex(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen,
                                        Byte& OutBlue) {
  Integer r = (Red + 3) / 51;
  Integer g = (Green + 3) / 51;
  Integer b = (Blue + 3) / 51;
  OutRed = static_cast<Byte>(r * 51);
  OutGreen = static_cast<Byte>(g * 51);
  OutBlue = static_cast<Byte>(b * 51);
  return static_cast<Byte>(r * 36 + g * 6 + b);
}

Byte TGrayScaleLookup::NearestIndex(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen,
                                    Byte& OutBlue) {
  Byte grey = static_cast<Byte>((77 * Red + 150 * Green + 29 * Blue) >> 8);
  OutRed = OutGreen = OutBlue = grey;
  return grey;
}

Byte TMonochromeLookup::NearestIndex(Byte Red, Byte Green, Byte Blue, Byte& OutRed, Byte& OutGreen,
                                     Byte& OutBlue) {
  if (77 * Red + 150 * Green + 29 * Blue > 32512) {
    OutRed = OutGreen = OutBlue = 255;
    return 1;
  }
  OutRed = OutGreen = OutBlue = 0;
  return 0;
}
