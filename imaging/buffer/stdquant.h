// Box-splitting colour quantiser over a 5-bit-per-channel histogram.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/System.h"

// Read access to the rows of a 24-bit picture (bytes blue, green, red). A row
// address is used only until the next request, so sources whose rows live in
// a mapped file are served correctly.
struct TIERGBRowSource {
  Integer Width = 0;
  Integer Height = 0;
  bool IsRGB24 = false;  // False: the picture has another pixel kind.
  std::function<const Byte*(Integer Row)> Row;
};

class TIEBitmap;
class TBitmap;
// Row sources over an image buffer and over a 24-bit platform bitmap.
TIERGBRowSource RowSourceOf(TIEBitmap* Bitmap);

struct TIEColorBox {
  double Variance = 0;    // weighted variance
  double Mean[3] = {};    // red, green, blue in 5-bit units
  uint32_t Count = 0;     // pixels in the box
  uint32_t Proj[3][32] = {};  // per channel: pixels of the box at each level
  int32_t Lower[3] = {};  // inclusive
  int32_t Upper[3] = {};  // exclusive
};

class TIEBoxQuantizer {
 public:
  static constexpr int MaxBoxes = 256;
  std::vector<uint32_t> Histogram;  // 32768 cells: red5 * 1024 + green5 * 32 + blue5
  TIEColorBox Boxes[MaxBoxes];
  std::vector<Byte> InverseMap;  // 32768 cells -> palette index
  uint32_t PixelTotal = 0;
  Integer Wanted = 0;
  Integer BoxesMade = 0;
  uint16_t Width = 0;
  uint16_t Height = 0;

  static int Cell(Byte r, Byte g, Byte b) { return (r >> 3) * 1024 + (g >> 3) * 32 + (b >> 3); }
  void ComputeStats(TIEColorBox& Box) const;
  bool SplitAlong(const TIEColorBox& Box, int Channel, TIEColorBox& First, TIEColorBox& Second) const;
  bool SplitBox(const TIEColorBox& Box, TIEColorBox& First, TIEColorBox& Second) const;
};

// Builds the box quantiser for the picture and writes its palette entries
// (blue, green, red triples) into Palette; entries past the boxes made are left.
std::unique_ptr<TIEBoxQuantizer> BoxQuantizerCreate(const TIERGBRowSource& Source, Byte* Palette,
                                                    Integer Colors);
Integer BoxQuantizerIndex(const TIEBoxQuantizer& State, Byte Blue, Byte Green, Byte Red);
