// Colour reduction of true-colour bitmaps to 8-bit bitmaps over a palette:
// the fixed palettes, the octree quantiser and ReduceToPalette, which walks
// the pixels through a colour lookup and a ditherer.
#pragma once

#include <memory>

#include "gif/GIFColorLookup.h"
#include "gif/GIFDIB.h"
#include "gif/GIFImage.h"

// One octree cell: a leaf holds the colour sums of its pixels.
class TOctreeNode : public TObject {
 public:
  T_CLASSNAME(TOctreeNode)
  bool Leaf = false;
  // 64-bit so that a single colour over a very large picture cannot overflow.
  Int64 PixelCount = 0;
  Int64 RedSum = 0;
  Int64 GreenSum = 0;
  Int64 BlueSum = 0;
  TOctreeNode* NextReducible = nullptr;  // next node of the same level, not owned
  std::unique_ptr<TOctreeNode> Children[8];
};

class TColorQuantizer : public TObject {
 public:
  T_CLASSNAME(TColorQuantizer)
  // MaxColors is kept within 1..256 and ColorBits (the leaf level) within 1..8.
  TColorQuantizer(Integer MaxColors, Integer ColorBits);
  ~TColorQuantizer() override;

  void InsertColor(Byte Red, Byte Green, Byte Blue);
  // Count pixels stored blue, green, red; folds after each insertion that
  // takes the leaf count above the maximum.
  void FeedPixels(const Byte* BGR, Integer Count);
  // Every row of a 24-bit reader, top to bottom.
  void FeedBitmap(TDIBReader* Reader);
  // Merges the node added last to the deepest level that has reducible nodes.
  void FoldDeepestNode();
  // Writes one quad (blue, green, red, 0) per leaf, depth first, children in
  // order; returns the number written (at most 256). The rest is untouched.
  Integer WriteColorTable(RGBQUAD* Table);

  Integer LeafCount() const { return leafCount_; }
  Integer MaxColors() const { return maxColors_; }
  Integer ColorBits() const { return colorBits_; }

 private:
  std::unique_ptr<TOctreeNode> root_;
  Integer leafCount_ = 0;
  TOctreeNode* reducible_[8] = {};
  Integer maxColors_;
  Integer colorBits_;
};

// Palettes; the caller owns the handles.
HPALETTE MakeGrayRampPalette();
HPALETTE MakeBlackWhitePalette();
HPALETTE MakeFourGrayPalette();
HPALETTE MakeScreenHalftonePalette();
// Without system colours: Colors octree entries. With them: the first and last
// ten entries of the stock default palette around 236 octree entries.
HPALETTE BuildOctreePalette(TDIBReader* Reader, Integer Colors, Integer ColorBits, bool SystemColors);
// Converts the bitmap to 24 bits per pixel and builds its octree palette.
HPALETTE BuildOctreePaletteFromBitmap(TBitmap* Bitmap, Integer Colors, Integer ColorBits, bool SystemColors);

// A new bitmap with the bitmap's pixels over the palette of Method: 8 bits per
// pixel, or a 24-bit copy for rdNone. Every method but rdNone converts the
// caller's bitmap to 24 bits per pixel. An unknown method or dither kind, or
// rdCustom without a palette, gives an empty bitmap.
std::unique_ptr<TBitmap> ReduceToPalette(TBitmap* Bitmap, TGIFColorReduction Method, TGIFDitherKind DitherKind,
                                         Integer ColorDepthLimit, HPALETTE CustomPalette);
