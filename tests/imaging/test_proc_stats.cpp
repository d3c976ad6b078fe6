// Statistics, bilevel and two-colour conversions, row-depth conversion.
#include <gtest/gtest.h>

#include "imaging/buffer/ruzozadproc.h"
#include "platform/Graphics.h"
#include "proc_fixtures.h"

using namespace procfix;

TEST(Statistics, AverageColourByKind) {
  Integer r, g, b;
  TIEBitmap empty;
  AverageColor(&empty, r, g, b);
  EXPECT_EQ(r, 128);
  EXPECT_EQ(g, 128);
  EXPECT_EQ(b, 128);

  auto deep = MakeKind(3, 2, ipkGray16);
  for (Integer y = 0; y < 2; ++y)
    for (Integer x = 0; x < 3; ++x) reinterpret_cast<Word*>(deep->GetRowPointer(y))[x] = 40000;
  AverageColor(deep.get(), r, g, b);
  EXPECT_EQ(r, 156);
  EXPECT_EQ(b, 156);

  // Per row: sum div width, then the rows' total div height.
  auto pic = MakeRGB(3, 2, [](Integer x, Integer y) { return Rgb(static_cast<Byte>(y == 0 ? x : 10), 0, 255); });
  AverageColor(pic.get(), r, g, b);
  EXPECT_EQ(r, (1 + 10) / 2);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 255);

  auto bits = MakeKind(4, 1, ipkBW1);
  PutBit(bits->GetRowPointer(0), 0, 1);
  AverageColor(bits.get(), r, g, b);
  EXPECT_EQ(r, 63);
}

TEST(Statistics, HistogramGreyTestAndNearestEntry) {
  auto bits = MakeKind(8, 1, ipkBW1);
  for (Integer x : {1, 4, 6}) PutBit(bits->GetRowPointer(0), x, 1);
  Cardinal bins[256];
  Histogram256(bits.get(), bins);
  EXPECT_EQ(bins[255], 3u);
  EXPECT_EQ(bins[0], 5u);

  auto pic = MakeRGB(2, 1, [](Integer x, Integer) { return x == 0 ? Rgb(100, 200, 50) : Grey(7); });
  Histogram256(pic.get(), bins);
  EXPECT_EQ(bins[(21 * 100 + 71 * 200 + 8 * 50) / 100], 1u);
  EXPECT_EQ(bins[7], 1u);
  EXPECT_FALSE(IsGrayRGB(pic.get()));
  auto grey = MakeRGB(3, 3, [](Integer x, Integer y) { return Grey(static_cast<Byte>(x * y)); });
  EXPECT_TRUE(IsGrayRGB(grey.get()));
  EXPECT_FALSE(IsGrayRGB(MakeKind(2, 2, ipkGray8).get()));

  const TIEColorTriple pal[3] = {Rgb(0, 0, 0), Rgb(10, 0, 0), Rgb(0, 10, 0)};
  EXPECT_EQ(NearestPaletteIndex(pal, 3, Rgb(5, 5, 0)), 0);  // three at distance 10: the first
  EXPECT_EQ(NearestPaletteIndex(pal, 3, Rgb(6, 5, 0)), 1);
  EXPECT_EQ(NearestPaletteIndex(pal, 0, Rgb(6, 5, 0)), 0);
}

TEST(Bilevel, OrderedDitherOfMidGreyLightsHalfOfEveryBlock) {
  auto pic = MakeRGB(16, 8, [](Integer, Integer) { return Grey(128); });
  std::vector<Integer> progress;
  TIEProgressRecord rec;
  rec.Callback = [&](TObject*, Integer p) { progress.push_back(p); };
  OrderedDitherToBilevel(pic.get(), rec);
  ASSERT_EQ(pic->PixelKind(), ipkBW1);
  for (Integer bx = 0; bx < 2; ++bx) {
    Integer white = 0;
    for (Integer y = 0; y < 8; ++y)
      for (Integer x = 0; x < 8; ++x) white += BitAt(pic.get(), 8 * bx + x, y) ? 1 : 0;
    EXPECT_EQ(white, 32);
  }
  ASSERT_EQ(progress.size(), 8u);
  EXPECT_EQ(progress.back(), static_cast<Integer>(8 * 100 / 8.5));
}

TEST(Bilevel, ThresholdVariants) {
  TIEProgressRecord rec;
  auto flat = MakeRGB(5, 3, [](Integer, Integer) { return Rgb(90, 20, 200); });
  AverageThresholdToBilevel(flat.get(), -1, rec);
  ASSERT_EQ(flat->PixelKind(), ipkBW1);
  for (Integer y = 0; y < 3; ++y)
    for (Integer x = 0; x < 5; ++x) EXPECT_TRUE(BitAt(flat.get(), x, y));

  // Two spread grey populations: the entropy threshold is the first level past the dark one.
  auto two = MakeRGB(10, 10, [](Integer x, Integer) { return Grey(static_cast<Byte>(x < 5 ? 40 + x : 200 + x)); });
  auto out = MakeKind(10, 10, ipkBW1);
  ThresholdToBilevel(two.get(), out.get(), -2, rec);
  for (Integer x = 0; x < 10; ++x) EXPECT_EQ(BitAt(out.get(), x, 3), x >= 5) << x;

  // A fixed threshold compares luminance with "at least".
  auto grey = MakeKind(3, 1, ipkGray8);
  Byte* g = static_cast<Byte*>(grey->GetRowPointer(0));
  g[0] = 99;
  g[1] = 100;
  g[2] = 101;
  auto gout = MakeKind(3, 1, ipkBW1);
  ThresholdToBilevel(grey.get(), gout.get(), 100, rec);
  EXPECT_FALSE(BitAt(gout.get(), 0, 0));
  EXPECT_TRUE(BitAt(gout.get(), 1, 0));
  EXPECT_TRUE(BitAt(gout.get(), 2, 0));
}

TEST(Bilevel, TwoColourPictures) {
  const TIEColorTriple light = Rgb(250, 240, 0), dark = Rgb(0, 0, 90);
  struct Case {
    const char* name;
    std::function<TIEColorTriple(Integer, Integer)> pixel;
    bool twoColours;
  };
  const Case cases[] = {
      {"darker seen second", [&](Integer x, Integer) { return x % 2 ? dark : light; }, true},
      {"darker seen first", [&](Integer x, Integer) { return x % 2 ? light : dark; }, true},
      {"one colour", [&](Integer, Integer) { return light; }, false},
      {"third colour late in a row", [&](Integer x, Integer y) { return y == 2 && x == 5 ? Rgb(1, 2, 3) : (x % 2 ? dark : light); }, false},
  };
  for (const Case& c : cases) {
    auto pic = MakeRGB(6, 4, c.pixel);
    TIEColorTriple first, second;
    auto bits = ReduceToTwoColors(pic.get(), first, second);
    ASSERT_EQ(bits != nullptr, c.twoColours) << c.name;
    if (!bits) continue;
    EXPECT_EQ(first, dark) << c.name;
    EXPECT_EQ(second, light) << c.name;
    for (Integer y = 0; y < 4; ++y)
      for (Integer x = 0; x < 6; ++x) EXPECT_EQ(BitAt(bits.get(), x, y), At(pic.get(), x, y) == light) << c.name;
  }
}

TEST(Bilevel, PlatformBitmapExpansionUsesTheNextByteForTheRest) {
  TBitmap src, dst;
  src.SetPixelFormat(pf1bit);
  src.SetSize(9, 1);
  Byte* row = static_cast<Byte*>(src.ScanLine(0));
  row[0] = 0x81;
  row[1] = 0x80;
  TIEProgressRecord rec;
  BilevelTBitmapToRGB(&src, &dst, rec);
  ASSERT_EQ(dst.PixelFormat(), pf24bit);
  ASSERT_EQ(dst.Width(), 9);
  const Byte* out = static_cast<const Byte*>(dst.ScanLine(0));
  const Byte expected[9] = {255, 0, 0, 0, 0, 0, 0, 255, 255};
  for (int x = 0; x < 9; ++x) EXPECT_EQ(out[3 * x + 1], expected[x]) << x;
}

TEST(RowDepth, ConversionTable) {
  const TIEColorTriple pal[16] = {Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(1, 2, 3), Rgb(4, 5, 6)};
  struct Case {
    Integer from, to, n;
    std::vector<Byte> src, expected;
    Integer bytes;
  };
  const std::vector<Case> cases = {
      {1, 1, 9, {0xA5, 0x80}, {0xA5, 0x80}, 2},
      {1, 4, 3, {0xA0}, {0x10, 0x10}, 2},
      {1, 8, 3, {0xA0}, {1, 0, 1}, 3},
      {1, 24, 2, {0x80}, {255, 255, 255, 0, 0, 0}, 6},
      {4, 4, 3, {0x12, 0x30}, {0x12, 0x30}, 2},
      {4, 8, 3, {0x12, 0x30}, {1, 2, 3}, 3},
      {4, 24, 1, {0x20}, {3, 2, 1}, 3},
      {8, 1, 10, {1, 0, 0, 1, 0, 0, 0, 1, 1, 0}, {0x91, 0x80}, 2},
      {8, 8, 2, {7, 9}, {7, 9}, 2},
      {8, 24, 1, {3}, {6, 5, 4}, 3},
      {24, 24, 1, {1, 2, 3}, {1, 2, 3}, 3},
      {32, 24, 2, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 5, 6, 7}, 6},
      {16, 24, 2, {1, 2, 3, 4}, {0, 0, 0, 0, 0, 0}, 0},
  };
  for (const Case& c : cases) {
    std::vector<Byte> dst(c.expected.size(), 0);
    const Integer written = ConvertRowDepth(c.src.data(), dst.data(), c.from, c.to, c.n, pal, nullptr);
    EXPECT_EQ(written, c.bytes) << c.from << "->" << c.to;
    EXPECT_EQ(dst, c.expected) << c.from << "->" << c.to;
  }

  auto pic = MakeRGB(3, 1, [](Integer x, Integer) { return x == 1 ? Rgb(255, 255, 255) : Rgb(0, 0, 0); });
  TIEColorTriple qpal[16];
  TIEQuantizer q(pic.get(), qpal, 16);
  const Byte row[9] = {0, 0, 0, 255, 255, 255, 0, 0, 0};
  Byte out4[2] = {0, 0}, out8[3] = {};
  EXPECT_EQ(ConvertRowDepth(row, out4, 24, 4, 3, nullptr, &q), 2);
  EXPECT_EQ(out4[0], 0x01);
  EXPECT_EQ(out4[1], 0x00);
  EXPECT_EQ(ConvertRowDepth(row, out8, 24, 8, 3, nullptr, &q), 3);
  EXPECT_EQ(out8[1], 1);
}
