// Colour reduction: octree quantiser, fixed palettes, ReduceToPalette.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "gif/GIFReduce.h"

namespace {

struct Rgb {
  Byte r, g, b;
  bool operator==(const Rgb&) const = default;
  bool operator<(const Rgb& o) const { return std::tie(r, g, b) < std::tie(o.r, o.g, o.b); }
};

std::vector<Rgb> Quantize(const std::vector<Rgb>& pixels, Integer maxColors, Integer* leaves = nullptr) {
  TColorQuantizer q(maxColors, 8);
  for (const Rgb& p : pixels) {
    const Byte bgr[3] = {p.b, p.g, p.r};
    q.FeedPixels(bgr, 1);
  }
  RGBQUAD table[256] = {};
  Integer n = q.WriteColorTable(table);
  if (leaves) *leaves = q.LeafCount();
  std::vector<Rgb> out;
  for (Integer i = 0; i < n; ++i) out.push_back({table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue});
  return out;
}

std::vector<PALETTEENTRY> EntriesOf(HPALETTE p) {
  std::vector<PALETTEENTRY> e(256);
  UINT n = ::GetPaletteEntries(p, 0, 256, e.data());
  e.resize(n);
  return e;
}

std::unique_ptr<TBitmap> Bitmap24(Integer w, Integer h, const std::vector<Rgb>& pixels) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  for (Integer y = 0; y < h; ++y) {
    auto* row = static_cast<Byte*>(b->ScanLine(y));
    for (Integer x = 0; x < w; ++x) {
      const Rgb& p = pixels[y * w + x];
      row[3 * x] = p.b;
      row[3 * x + 1] = p.g;
      row[3 * x + 2] = p.r;
    }
  }
  return b;
}

std::vector<Byte> Indices(TBitmap* b) {
  std::vector<Byte> out;
  for (Integer y = 0; y < b->Height(); ++y) {
    auto* row = static_cast<Byte*>(b->ScanLine(y));
    out.insert(out.end(), row, row + b->Width());
  }
  return out;
}

std::vector<Rgb> ColorTable(TBitmap* b) {
  RGBQUAD q[256];
  UINT n = ::GetDIBColorTable(b->Canvas()->Handle(), 0, 256, q);
  std::vector<Rgb> out;
  for (UINT i = 0; i < n; ++i) out.push_back({q[i].rgbRed, q[i].rgbGreen, q[i].rgbBlue});
  return out;
}

// A picture with every pixel different enough to need many colours.
std::vector<Rgb> ManyColors(Integer count) {
  std::vector<Rgb> v;
  for (Integer i = 0; i < count; ++i) v.push_back({Byte(i * 7), Byte(i * 13 + 5), Byte(255 - i * 3)});
  return v;
}

}  // namespace

TEST(Octree, FewColoursComeOutExactlyInOctreePathOrder) {
  // Paths start with (red bit, green bit, blue bit) of the top bit: 0, 1, 2, 4, 7.
  const std::vector<Rgb> pixels = {{255, 0, 0}, {128, 128, 128}, {0, 0, 255}, {10, 10, 10}, {0, 255, 0},
                                   {255, 0, 0}, {10, 10, 10}};
  EXPECT_EQ(Quantize(pixels, 256),
            (std::vector<Rgb>{{10, 10, 10}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {128, 128, 128}}));
}

TEST(Octree, FoldsTheNewestNodeOfTheDeepestLevelWithChildren) {
  struct Case {
    const char* name;
    std::vector<Rgb> pixels;
    Integer max;
    std::vector<Rgb> table;
  };
  const Case cases[] = {
      // The two darks part at the sixth bit: their common node is the deepest
      // with two children and merges into their average.
      {"deepest", {{0, 0, 0}, {4, 4, 4}, {255, 255, 255}}, 2, {{2, 2, 2}, {255, 255, 255}}},
      // Two pairs part at the same level: the pair added last is merged.
      {"newest", {{0, 0, 0}, {2, 2, 2}, {128, 128, 128}, {130, 130, 130}}, 3,
       {{0, 0, 0}, {2, 2, 2}, {129, 129, 129}}},
      // Averages weigh by pixel count and truncate.
      {"weighted", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {8, 8, 8}, {255, 255, 255}}, 2, {{2, 2, 2}, {255, 255, 255}}},
      {"one colour", {{10, 20, 30}, {200, 100, 50}}, 1, {{105, 60, 40}}},
  };
  for (const Case& c : cases) {
    Integer leaves = 0;
    EXPECT_EQ(Quantize(c.pixels, c.max, &leaves), c.table) << c.name;
    EXPECT_EQ(leaves, Integer(c.table.size())) << c.name;
  }
}

TEST(Octree, NeverHoldsMoreLeavesThanTheMaximum) {
  TColorQuantizer q(16, 8);
  for (const Rgb& p : ManyColors(300)) {
    const Byte bgr[3] = {p.b, p.g, p.r};
    q.FeedPixels(bgr, 1);
    ASSERT_LE(q.LeafCount(), 16);
  }
  RGBQUAD table[256] = {};
  EXPECT_EQ(q.WriteColorTable(table), q.LeafCount());
  // Out-of-range settings are kept within what a palette can hold.
  EXPECT_EQ(TColorQuantizer(0, 8).MaxColors(), 1);
  EXPECT_EQ(TColorQuantizer(1000, 8).MaxColors(), 256);
  EXPECT_EQ(TColorQuantizer(16, 12).ColorBits(), 8);
}

TEST(Palettes, FixedPalettesHaveTheirEntries) {
  HPALETTE ramp = MakeGrayRampPalette(), bw = MakeBlackWhitePalette(), four = MakeFourGrayPalette();
  HPALETTE half = MakeScreenHalftonePalette(), cube = MakeNetscapePalette();
  auto r = EntriesOf(ramp), b = EntriesOf(bw), f = EntriesOf(four), c = EntriesOf(cube);
  ASSERT_EQ(r.size(), 256u);
  for (Integer i = 0; i < 256; ++i) {
    EXPECT_EQ(r[i].peRed, i);
    EXPECT_EQ(r[i].peBlue, i);
    EXPECT_EQ(r[i].peFlags, PC_NOCOLLAPSE);
  }
  ASSERT_EQ(b.size(), 2u);
  EXPECT_EQ(b[0].peRed + b[0].peGreen + b[0].peBlue, 0);
  EXPECT_EQ(b[1].peRed & b[1].peGreen & b[1].peBlue, 255);
  ASSERT_EQ(f.size(), 4u);
  EXPECT_EQ((std::vector<Integer>{f[0].peGreen, f[1].peGreen, f[2].peGreen, f[3].peGreen}),
            (std::vector<Integer>{0, 128, 192, 255}));
  EXPECT_EQ(f[2].peFlags, PC_NOCOLLAPSE);
  ASSERT_EQ(c.size(), 216u);
  EXPECT_EQ(c[2 * 36 + 3 * 6 + 4].peRed, 102);
  EXPECT_EQ(c[2 * 36 + 3 * 6 + 4].peGreen, 153);
  EXPECT_EQ(c[2 * 36 + 3 * 6 + 4].peBlue, 204);
  EXPECT_GT(EntriesOf(half).size(), 20u);
  for (HPALETTE p : {ramp, bw, four, half, cube}) ::DeleteObject(p);
}

TEST(Palettes, OctreePaletteWithSystemColoursFramesTheOctreeEntries) {
  auto bmp = Bitmap24(3, 1, {{1, 2, 3}, {1, 2, 3}, {250, 100, 7}});
  HPALETTE p = BuildOctreePaletteFromBitmap(bmp.get(), 256, 8, true);
  auto e = EntriesOf(p);
  PALETTEENTRY stock[20];
  ::GetPaletteEntries(static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE)), 0, 20, stock);
  ASSERT_EQ(e.size(), 256u);
  for (Integer i = 0; i < 10; ++i) {
    EXPECT_EQ(e[i].peRed, stock[i].peRed);
    EXPECT_EQ(e[i].peBlue, stock[i].peBlue);
    EXPECT_EQ(e[246 + i].peGreen, stock[10 + i].peGreen);
  }
  EXPECT_EQ((Rgb{e[10].peRed, e[10].peGreen, e[10].peBlue}), (Rgb{1, 2, 3}));
  EXPECT_EQ((Rgb{e[11].peRed, e[11].peGreen, e[11].peBlue}), (Rgb{250, 100, 7}));
  EXPECT_EQ((Rgb{e[12].peRed, e[12].peGreen, e[12].peBlue}), (Rgb{0, 0, 0}));
  ::DeleteObject(p);
}

// Which palette each method yields, on one small picture.
TEST(Reduce, EachMethodYieldsItsPalette) {
  const std::vector<Rgb> pixels = {{255, 0, 0}, {0, 0, 255}, {128, 128, 128}, {127, 127, 127},
                                   {0, 255, 0}, {10, 10, 10}, {47, 48, 255},  {255, 255, 255}};
  auto check = [&](TGIFColorReduction method, auto&& verify) {
    auto src = Bitmap24(4, 2, pixels);
    auto out = ReduceToPalette(src.get(), method, dkNearest, 8, nullptr);
    ASSERT_EQ(out->PixelFormat(), pf8bit) << int(method);
    ASSERT_EQ(out->Width(), 4);
    ASSERT_EQ(out->Height(), 2);
    verify(Indices(out.get()), ColorTable(out.get()));
  };
  check(rdMonochrome, [&](const std::vector<Byte>& idx, const std::vector<Rgb>& table) {
    EXPECT_EQ(idx, (std::vector<Byte>{0, 0, 1, 0, 1, 0, 0, 1}));
    EXPECT_EQ(table[0], (Rgb{0, 0, 0}));
    EXPECT_EQ(table[1], (Rgb{255, 255, 255}));
  });
  check(rdGrayScale, [&](const std::vector<Byte>& idx, const std::vector<Rgb>& table) {
    EXPECT_EQ(idx, (std::vector<Byte>{76, 28, 128, 127, 149, 10, 71, 255}));
    EXPECT_EQ(table[76], (Rgb{76, 76, 76}));
  });
  check(rdNetscape, [&](const std::vector<Byte>& idx, const std::vector<Rgb>& table) {
    EXPECT_EQ(idx, (std::vector<Byte>{180, 5, 86, 86, 30, 0, 11, 215}));
    EXPECT_EQ(table[11], (Rgb{0, 51, 255}));
    EXPECT_EQ(table.size(), 256u);  // 216 entries, the rest black
    EXPECT_EQ(table[250], (Rgb{0, 0, 0}));
  });
  check(rdWindowsGray, [&](const std::vector<Byte>& idx, const std::vector<Rgb>& table) {
    EXPECT_EQ(table[1], (Rgb{128, 128, 128}));
    EXPECT_EQ(table[2], (Rgb{192, 192, 192}));
    EXPECT_EQ(idx[2], 1);  // (128, 128, 128)
    EXPECT_EQ(idx[7], 3);  // white
  });
  check(rdWindows20, [&](const std::vector<Byte>& idx, const std::vector<Rgb>& table) {
    PALETTEENTRY stock[20];
    ::GetPaletteEntries(static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE)), 0, 20, stock);
    for (Integer i = 0; i < 20; ++i) EXPECT_EQ(table[i], (Rgb{stock[i].peRed, stock[i].peGreen, stock[i].peBlue}));
    EXPECT_EQ(table[idx[0]], (Rgb{255, 0, 0}));
    EXPECT_EQ(table[idx[7]], (Rgb{255, 255, 255}));
  });
  check(rdWindows256, [&](const std::vector<Byte>& idx, const std::vector<Rgb>& table) {
    HPALETTE half = MakeScreenHalftonePalette();
    auto e = EntriesOf(half);
    ::DeleteObject(half);
    for (size_t i = 0; i < e.size(); ++i) EXPECT_EQ(table[i], (Rgb{e[i].peRed, e[i].peGreen, e[i].peBlue}));
    EXPECT_EQ(table[idx[7]], (Rgb{255, 255, 255}));
  });
  check(rdQuantize, [&](const std::vector<Byte>& idx, const std::vector<Rgb>& table) {
    // Eight colours fit: every pixel keeps its exact colour.
    for (size_t i = 0; i < pixels.size(); ++i) EXPECT_EQ(table[idx[i]], pixels[i]) << i;
    std::set<Rgb> first(table.begin(), table.begin() + 8);
    EXPECT_EQ(first, std::set<Rgb>(pixels.begin(), pixels.end()));
  });
  check(rdQuantizeWindows, [&](const std::vector<Byte>& idx, const std::vector<Rgb>& table) {
    for (size_t i = 0; i < pixels.size(); ++i) EXPECT_EQ(table[idx[i]], pixels[i]) << i;
    EXPECT_EQ(table.size(), 256u);
  });
}

TEST(Reduce, FiveColoursGiveAFullPaletteStartingWithThem) {
  const std::vector<Rgb> five = {{255, 0, 0}, {128, 128, 128}, {0, 0, 255}, {10, 10, 10}, {0, 255, 0}};
  auto src = Bitmap24(5, 1, five);
  auto out = ReduceToPalette(src.get(), rdQuantize, dkFloydSteinberg, 8, nullptr);
  auto table = ColorTable(out.get());
  ASSERT_EQ(table.size(), 256u);
  EXPECT_EQ(std::vector<Rgb>(table.begin(), table.begin() + 5),
            (std::vector<Rgb>{{10, 10, 10}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {128, 128, 128}}));
  EXPECT_EQ(Indices(out.get()), (std::vector<Byte>{3, 4, 1, 0, 2}));
}

TEST(Reduce, DepthLimitBoundsTheOctreePalette) {
  auto many = ManyColors(300);
  auto src = Bitmap24(30, 10, many);
  auto out = ReduceToPalette(src.get(), rdQuantize, dkNearest, 4, nullptr);
  auto idx = Indices(out.get());
  EXPECT_LT(*std::max_element(idx.begin(), idx.end()), 16);
  // Settings beyond a byte's depth give the 256-colour palette.
  auto src2 = Bitmap24(30, 10, many);
  auto out2 = ReduceToPalette(src2.get(), rdQuantize, dkNearest, 40, nullptr);
  auto idx2 = Indices(out2.get());
  EXPECT_GT(std::set<Byte>(idx2.begin(), idx2.end()).size(), 100u);
}

TEST(Reduce, NoneCopiesAndOthersConvertTheSource) {
  auto src = Bitmap24(3, 2, ManyColors(6));
  src->SetPixelFormat(pf32bit);
  auto copy = ReduceToPalette(src.get(), rdNone, dkNearest, 8, nullptr);
  EXPECT_EQ(copy->PixelFormat(), pf24bit);
  EXPECT_EQ(src->PixelFormat(), pf32bit);
  auto* row = static_cast<Byte*>(copy->ScanLine(1));
  EXPECT_EQ(row[2], Byte(3 * 7));  // red of pixel 3
  auto reduced = ReduceToPalette(src.get(), rdNetscape, dkNearest, 8, nullptr);
  EXPECT_EQ(src->PixelFormat(), pf24bit);
}

TEST(Reduce, CustomPaletteIsCopiedAndMissingOneGivesNoContent) {
  std::vector<Byte> mem(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 2;
  lp->palPalEntry[0] = {200, 0, 0, 0};
  lp->palPalEntry[1] = {0, 0, 200, 0};
  HPALETTE custom = ::CreatePalette(lp);
  auto src = Bitmap24(2, 1, {{250, 10, 10}, {10, 10, 250}});
  auto out = ReduceToPalette(src.get(), rdCustom, dkNearest, 8, custom);
  EXPECT_EQ(Indices(out.get()), (std::vector<Byte>{0, 1}));
  EXPECT_EQ(ColorTable(out.get())[1], (Rgb{0, 0, 200}));
  EXPECT_EQ(EntriesOf(custom).size(), 2u);  // still the caller's
  ::DeleteObject(custom);

  auto none = ReduceToPalette(src.get(), rdCustom, dkNearest, 8, nullptr);
  EXPECT_TRUE(none->Empty());
  auto badMethod = ReduceToPalette(src.get(), TGIFColorReduction(10), dkNearest, 8, nullptr);
  EXPECT_TRUE(badMethod->Empty());
  auto badKind = ReduceToPalette(src.get(), rdNetscape, TGIFDitherKind(7), 8, nullptr);
  EXPECT_TRUE(badKind->Empty());
}

TEST(Reduce, EveryDitherKindGivesPaletteIndicesOnAGradient) {
  const Integer W = 64, H = 16;
  std::vector<Rgb> grad;
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) grad.push_back({Byte(x * 4), Byte(y * 16), Byte(255 - x * 4)});
  for (Integer kind = 0; kind <= 6; ++kind) {
    auto src = Bitmap24(W, H, grad);
    auto out = ReduceToPalette(src.get(), rdQuantize, TGIFDitherKind(kind), 4, nullptr);
    auto idx = Indices(out.get());
    ASSERT_EQ(idx.size(), size_t(W * H));
    EXPECT_LT(*std::max_element(idx.begin(), idx.end()), 16) << kind;
    // Diffusion uses more than one entry along a smooth row.
    std::set<Byte> used(idx.begin(), idx.end());
    EXPECT_GT(used.size(), 4u) << kind;
  }
}

TEST(Reduce, LargeAndEmptyPictures) {
  // Above 500000 pixels the path is the same.
  TBitmap big;
  big.SetPixelFormat(pf24bit);
  big.SetSize(1000, 501);
  auto out = ReduceToPalette(&big, rdMonochrome, dkFloydSteinberg, 8, nullptr);
  EXPECT_EQ(out->Width(), 1000);
  EXPECT_EQ(out->PixelFormat(), pf8bit);
  // An empty picture has no rows to write.
  TBitmap empty;
  EXPECT_THROW(ReduceToPalette(&empty, rdNetscape, dkNearest, 8, nullptr), GIFException);
}
