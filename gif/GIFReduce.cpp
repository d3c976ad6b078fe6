// Colour reduction: fixed palettes, octree quantiser, ReduceToPalette.
#include "gif/GIFReduce.h"

#include <algorithm>
#include <vector>

namespace {

HPALETTE PaletteOf(const PALETTEENTRY* Entries, Integer Count) {
  std::vector<Byte> mem(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * (Count > 0 ? Count : 1));
  auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = WORD(Count);
  std::copy(Entries, Entries + Count, lp->palPalEntry);
  return CheckGDIHandle(::CreatePalette(lp));
}

HPALETTE GrayPalette(std::initializer_list<Byte> Levels) {
  std::vector<PALETTEENTRY> e;
  for (Byte l : Levels) e.push_back({l, l, l, PC_NOCOLLAPSE});
  return PaletteOf(e.data(), Integer(e.size()));
}

// The 20 entries of the stock default palette.
Integer StockSystemColors(PALETTEENTRY* Entries) {
  return Integer(::GetPaletteEntries(static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE)), 0, 20, Entries));
}

// Owns a palette handle for the length of a reduction.
struct PaletteGuard {
  HPALETTE Handle = nullptr;
  ~PaletteGuard() {
    if (Handle) ::DeleteObject(Handle);
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// Octree quantiser.
TColorQuantizer::TColorQuantizer(Integer MaxColors, Integer ColorBits)
    : maxColors_(std::clamp(MaxColors, 1, 256)), colorBits_(std::clamp(ColorBits, 1, 8)) {}

TColorQuantizer::~TColorQuantizer() = default;

void TColorQuantizer::InsertColor(Byte Red, Byte Green, Byte Blue) {
  std::unique_ptr<TOctreeNode>* slot = &root_;
  for (Integer level = 0;; ++level) {
    if (!*slot) {
      *slot = std::make_unique<TOctreeNode>();
      TOctreeNode* made = slot->get();
      if (level == colorBits_) {
        made->Leaf = true;
        ++leafCount_;
      } else {
        made->NextReducible = reducible_[level];
        reducible_[level] = made;
      }
    }
    TOctreeNode* node = slot->get();
    if (node->Leaf) {
      ++node->PixelCount;
      node->RedSum += Red;
      node->GreenSum += Green;
      node->BlueSum += Blue;
      return;
    }
    const Integer m = 0x80 >> level, s = 7 - level;
    const Integer child = (((Red & m) >> s) << 2) | (((Green & m) >> s) << 1) | ((Blue & m) >> s);
    slot = &node->Children[child];
  }
}

void TColorQuantizer::FoldDeepestNode() {
  Integer level = colorBits_ - 1;
  while (level > 0 && !reducible_[level]) --level;
  TOctreeNode* node = reducible_[level];
  if (!node) return;
  reducible_[level] = node->NextReducible;
  node->NextReducible = nullptr;
  Integer children = 0;
  for (auto& child : node->Children) {
    if (!child) continue;
    node->PixelCount += child->PixelCount;
    node->RedSum += child->RedSum;
    node->GreenSum += child->GreenSum;
    node->BlueSum += child->BlueSum;
    child.reset();
    ++children;
  }
  node->Leaf = true;
  leafCount_ -= children - 1;
}

void TColorQuantizer::FeedPixels(const Byte* BGR, Integer Count) {
  for (Integer i = 0; i < Count; ++i, BGR += 3) {
    InsertColor(BGR[2], BGR[1], BGR[0]);
    while (leafCount_ > maxColors_) FoldDeepestNode();
  }
}

void TColorQuantizer::FeedBitmap(TDIBReader* Reader) {
  TBitmap* bmp = Reader->Bitmap();
  const Integer w = bmp->Width(), h = bmp->Height();
  for (Integer y = 0; y < h; ++y) FeedPixels(static_cast<const Byte*>(Reader->RowAddress(y)), w);
}

Integer TColorQuantizer::WriteColorTable(RGBQUAD* Table) {
  Integer written = 0;
  // Depth first, children in order 0..7; the tree is at most 9 levels deep.
  auto walk = [&](auto& self, const TOctreeNode* node) -> void {
    if (!node || written >= 256) return;
    if (node->Leaf) {
      RGBQUAD& q = Table[written++];
      if (node->PixelCount > 0) {
        q.rgbRed = Byte(node->RedSum / node->PixelCount);
        q.rgbGreen = Byte(node->GreenSum / node->PixelCount);
        q.rgbBlue = Byte(node->BlueSum / node->PixelCount);
      } else {
        q.rgbRed = q.rgbGreen = q.rgbBlue = 0;
      }
      q.rgbReserved = 0;
      return;
    }
    for (const auto& child : node->Children) self(self, child.get());
  };
  walk(walk, root_.get());
  return written;
}

// ---------------------------------------------------------------------------
// Palettes.
HPALETTE MakeGrayRampPalette() {
  PALETTEENTRY e[256];
  for (Integer i = 0; i < 256; ++i) e[i] = {Byte(i), Byte(i), Byte(i), PC_NOCOLLAPSE};
  return PaletteOf(e, 256);
}

HPALETTE MakeBlackWhitePalette() { return GrayPalette({0, 255}); }

HPALETTE MakeFourGrayPalette() { return GrayPalette({0, 128, 192, 255}); }

HPALETTE MakeScreenHalftonePalette() {
  HDC dc = ::GetDC(nullptr);
  HPALETTE p = ::CreateHalftonePalette(dc);
  ::ReleaseDC(nullptr, dc);
  return CheckGDIHandle(p);
}

HPALETTE BuildOctreePalette(TDIBReader* Reader, Integer Colors, Integer ColorBits, bool SystemColors) {
  RGBQUAD quads[256] = {};
  PALETTEENTRY entries[256] = {};
  if (!SystemColors) {
    TColorQuantizer q(Colors, ColorBits);
    q.FeedBitmap(Reader);
    q.WriteColorTable(quads);
    const Integer n = q.MaxColors();
    for (Integer i = 0; i < n; ++i) entries[i] = {quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue, 0};
    return PaletteOf(entries, n);
  }
  PALETTEENTRY stock[20] = {};
  StockSystemColors(stock);
  for (Integer i = 0; i < 10; ++i) {
    entries[i] = stock[i];
    entries[246 + i] = stock[10 + i];
  }
  TColorQuantizer q(236, ColorBits);
  q.FeedBitmap(Reader);
  q.WriteColorTable(quads);
  for (Integer i = 0; i < 236; ++i) entries[10 + i] = {quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue, 0};
  return PaletteOf(entries, 256);
}

HPALETTE BuildOctreePaletteFromBitmap(TBitmap* Bitmap, Integer Colors, Integer ColorBits, bool SystemColors) {
  TDIBReader reader(Bitmap, pf24bit);
  return BuildOctreePalette(&reader, Colors, ColorBits, SystemColors);
}

// ---------------------------------------------------------------------------
std::unique_ptr<TBitmap> ReduceToPalette(TBitmap* Bitmap, TGIFColorReduction Method, TGIFDitherKind DitherKind,
                                         Integer ColorDepthLimit, HPALETTE CustomPalette) {
  auto result = std::make_unique<TBitmap>();
  if (Method == rdNone) {
    result->Assign(Bitmap);
    result->SetPixelFormat(pf24bit);
    return result;
  }
  const Integer width = Bitmap->Width(), height = Bitmap->Height();
  // Large pictures: keep the empty result small until the writer fills it.
  if (Int64(width) * height > 500000) result->SetPixelFormat(pf1bit);

  TDIBReader reader(Bitmap, pf24bit);
  PaletteGuard palette;
  switch (Method) {
    case rdWindows20: palette.Handle = CopyPalette(static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE))); break;
    case rdWindows256: palette.Handle = MakeScreenHalftonePalette(); break;
    case rdWindowsGray: palette.Handle = MakeFourGrayPalette(); break;
    case rdMonochrome: palette.Handle = MakeBlackWhitePalette(); break;
    case rdGrayScale: palette.Handle = MakeGrayRampPalette(); break;
    case rdNetscape: palette.Handle = MakeNetscapePalette(); break;
    case rdQuantize:
      palette.Handle = BuildOctreePalette(&reader, 1 << std::clamp(ColorDepthLimit, 0, 8), 8, false);
      break;
    case rdQuantizeWindows: palette.Handle = BuildOctreePaletteFromBitmap(Bitmap, 256, 8, true); break;
    case rdCustom: palette.Handle = CustomPalette ? CopyPalette(CustomPalette) : nullptr; break;
    default: return result;
  }

  std::unique_ptr<TColorLookup> lookup;
  switch (Method) {
    case rdMonochrome: lookup = std::make_unique<TMonochromeLookup>(); break;
    case rdGrayScale: lookup = std::make_unique<TGrayScaleLookup>(); break;
    case rdNetscape: lookup = std::make_unique<TNetscapeColorLookup>(); break;
    default: lookup = std::make_unique<TFastColorLookup>(palette.Handle); break;
  }
  if (lookup->Colors() == 0) return result;

  std::unique_ptr<TDitherEngine> ditherer = CreateDitherer(DitherKind, width, lookup.get());
  if (!ditherer) return result;

  TDIBWriter writer(result.get(), pf8bit, width, height, palette.Handle);
  for (Integer y = 0; y < height; ++y) {
    const Byte* src = static_cast<const Byte*>(reader.RowAddress(y));
    Byte* dst = static_cast<Byte*>(writer.RowAddress(y));
    for (Integer x = ditherer->Column(); x >= 0 && x < width; x = ditherer->Column()) {
      Byte r, g, b;
      dst[x] = ditherer->QuantizePixel(src[3 * x + 2], src[3 * x + 1], src[3 * x], r, g, b);
    }
    ditherer->AdvanceRow();
  }
  writer.StoreIntoBitmap();
  return result;
}
