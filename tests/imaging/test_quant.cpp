// The palette builder: which way it takes, exact colours in first-seen order,
// box splitting and NeuQuant.
#include <gtest/gtest.h>

#include "imaging/buffer/neurquant.h"
#include "imaging/buffer/ruzozadproc.h"
#include "proc_fixtures.h"

using namespace procfix;

namespace {

const TIEColorTriple Marker{1, 2, 3};

std::vector<TIEColorTriple> MarkedPalette(size_t n = 1024) { return std::vector<TIEColorTriple>(n, Marker); }

}  // namespace

TEST(Quantizer, GreyPictureAskedFor256GetsTheRampElseItsOwnGreys) {
  auto pic = MakeRGB(20, 5, [](Integer x, Integer) { return Grey(static_cast<Byte>(x * 10)); });
  auto pal = MarkedPalette();
  TIEQuantizer ramp(pic.get(), pal.data(), 256);
  EXPECT_TRUE(ramp.AllGray());
  for (int i = 0; i < 256; ++i) ASSERT_EQ(pal[i], Grey(static_cast<Byte>(i))) << i;
  EXPECT_EQ(ramp.ColorIndex(Grey(190)), 190);

  auto pal2 = MarkedPalette();
  TIEQuantizer exact(pic.get(), pal2.data(), 255);
  EXPECT_FALSE(exact.AllGray());
  EXPECT_TRUE(exact.HasExactColors());
  EXPECT_EQ(pal2[0], Grey(0));
  EXPECT_EQ(pal2[19], Grey(190));
  EXPECT_EQ(pal2[20], Marker);
  EXPECT_EQ(exact.ColorIndex(Grey(190)), 19);
}

TEST(Quantizer, FewColoursAreKeptInFirstSeenOrder) {
  const TIEColorTriple a = Rgb(200, 10, 10), b = Rgb(10, 200, 10), c = Rgb(10, 10, 200);
  // Row 0: c a c; row 1: b a c.
  const TIEColorTriple layout[2][3] = {{c, a, c}, {b, a, c}};
  auto pic = MakeRGB(3, 2, [&](Integer x, Integer y) { return layout[y][x]; });
  auto pal = MarkedPalette();
  TIEQuantizer q(pic.get(), pal.data(), 16);
  ASSERT_TRUE(q.HasExactColors());
  EXPECT_EQ(pal[0], c);
  EXPECT_EQ(pal[1], a);
  EXPECT_EQ(pal[2], b);
  EXPECT_EQ(pal[3], Marker);
  for (Integer y = 0; y < 2; ++y)
    for (Integer x = 0; x < 3; ++x) EXPECT_EQ(pal[q.ColorIndex(layout[y][x])], layout[y][x]);
  // A colour the picture lacks still names a real entry (the nearest).
  EXPECT_EQ(q.ColorIndex(Rgb(190, 20, 20)), 1);
}

TEST(Quantizer, SingleColourGivesOneEntryAndLeavesTheRest) {
  auto pic = MakeRGB(7, 7, [](Integer, Integer) { return Rgb(12, 34, 56); });
  auto pal = MarkedPalette();
  TIEQuantizer q(pic.get(), pal.data(), 256);
  EXPECT_EQ(pal[0], Rgb(12, 34, 56));
  EXPECT_EQ(pal[1], Marker);
  EXPECT_EQ(q.ColorIndex(Rgb(12, 34, 56)), 0);
}

TEST(Quantizer, MethodFollowsTheColourCount) {
  auto pic = Busy(64, 48);
  struct Case {
    Integer colors, method, expected;
  };
  const Case cases[] = {{16, 0, 1}, {64, 0, 1}, {127, 0, 1}, {128, 0, 0}, {256, 0, 0}, {256, 1, 1}};
  for (const Case& c : cases) {
    auto pal = MarkedPalette();
    TIEQuantizer q(pic.get(), pal.data(), c.colors, -1, c.method);
    EXPECT_FALSE(q.HasExactColors()) << c.colors;
    EXPECT_EQ(q.Method(), c.expected) << c.colors;
    for (Integer y = 0; y < pic->Height(); y += 7)
      for (Integer x = 0; x < pic->Width(); x += 5) {
        const Integer i = q.ColorIndex(At(pic.get(), x, y));
        ASSERT_GE(i, 0);
        ASSERT_LT(i, c.colors);
      }
  }
}

TEST(Quantizer, BoxSplittingStopsWhenNothingCanBeSplit) {
  // 20 distinct colours, all inside the 5-bit cell (8, 16, 1).
  auto pic = MakeRGB(20, 1, [](Integer x, Integer) {
    return Rgb(static_cast<Byte>(64 + x % 8), static_cast<Byte>(128 + x / 8), static_cast<Byte>(8 + x % 3));
  });
  auto pal = MarkedPalette();
  TIEQuantizer q(pic.get(), pal.data(), 16);
  ASSERT_EQ(q.Method(), 1);
  EXPECT_EQ(pal[0], Rgb(64, 128, 8));
  EXPECT_EQ(pal[1], Marker);
  EXPECT_EQ(q.ColorIndex(Rgb(0, 255, 0)), 0);
}

TEST(Quantizer, BoxSplittingSeparatesClustersAndMapsOutsidersToZero) {
  // Two clusters of 10 colours each; 4 colours wanted.
  auto pic = MakeRGB(20, 4, [](Integer x, Integer) {
    return x < 10 ? Grey(static_cast<Byte>(x)) : Grey(static_cast<Byte>(240 + x - 10));
  });
  auto pal = MarkedPalette();
  TIEQuantizer q(pic.get(), pal.data(), 4);
  ASSERT_EQ(q.Method(), 1);
  const TIEColorTriple dark = pal[q.ColorIndex(Grey(3))], light = pal[q.ColorIndex(Grey(245))];
  EXPECT_LT(dark.Red, 16);
  EXPECT_GT(light.Red, 232);
  EXPECT_EQ(q.ColorIndex(Rgb(0, 255, 0)), 0);
}

TEST(Quantizer, NeuQuantSamplingFactor) {
  struct Case {
    Integer quality;
    int64_t pixels;
    Integer factor;
  };
  const Case cases[] = {{-1, 1999, 1}, {-1, 2000, 2},   {-1, 150000, 15}, {-1, 10000000, 30},
                        {100, 5000, 1}, {0, 5000, 30}, {50, 5000, 15}};
  for (const Case& c : cases) EXPECT_EQ(NeuQuantSampleFactor(c.quality, c.pixels), c.factor) << c.pixels;
}

TEST(Quantizer, NeuQuantPaletteRepresentsThePictureAndLooksUpItsOwnEntries) {
  auto pic = Busy(120, 90, 7);
  auto pal = MarkedPalette();
  TIEQuantizer q(pic.get(), pal.data(), 256);
  ASSERT_EQ(q.Method(), 0);
  EXPECT_NE(pal[255], Marker);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(pal[q.ColorIndex(pal[i])], pal[i]) << i;
  double se = 0;
  for (Integer y = 0; y < pic->Height(); ++y)
    for (Integer x = 0; x < pic->Width(); ++x) {
      const TIEColorTriple p = At(pic.get(), x, y), m = pal[q.ColorIndex(p)];
      se += (p.Red - m.Red) * (p.Red - m.Red) + (p.Green - m.Green) * (p.Green - m.Green) +
            (p.Blue - m.Blue) * (p.Blue - m.Blue);
    }
  EXPECT_LT(se / (3.0 * pic->Width() * pic->Height()), 40.0);
}

TEST(Quantizer, RemapLeavesAtMostTheWantedColours) {
  for (Integer colors : {3, 16, 100, 256}) {
    auto pic = Busy(80, 60, 3);
    std::vector<TIEColorTriple> pal(colors);
    RemapToQuantizedPalette(pic.get(), colors, pal.data());
    for (const TIEColorTriple& p : Pixels(pic.get()))
      ASSERT_NE(std::find(pal.begin(), pal.end(), p), pal.end()) << colors;
  }
}
