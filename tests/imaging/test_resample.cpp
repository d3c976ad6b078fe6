// Resampling: kernels, fast linear, area interpolation and the 1-bit companions.
#include <gtest/gtest.h>

#include "imaging/buffer/ruzozadproc.h"
#include "proc_fixtures.h"

using namespace procfix;

namespace {

std::unique_ptr<TIEBitmap> Resampled(TIEBitmap* Src, Integer W, Integer H, TResampleFilter F) {
  auto dst = MakeRGB(W, H, [](Integer, Integer) { return Rgb(1, 2, 3); });
  ResampleImage(Src, dst.get(), F);
  return dst;
}

const TResampleFilter AllFilters[] = {rfTriangle, rfHermite,    rfBell,     rfBSpline,  rfLanczos3, rfMitchell,
                                      rfNearest,  rfLinear,     rfFastLinear, rfBilinear, rfBicubic};

}  // namespace

TEST(Resample, UniformPicturesStayUniformWithEveryFilter) {
  auto src = MakeRGB(9, 7, [](Integer, Integer) { return Rgb(200, 100, 50); });
  const Integer sizes[][2] = {{20, 15}, {4, 3}, {9, 14}, {3, 7}};
  for (TResampleFilter f : AllFilters)
    for (const auto& s : sizes) {
      auto dst = Resampled(src.get(), s[0], s[1], f);
      for (const TIEColorTriple& p : Pixels(dst.get()))
        ASSERT_EQ(p, Rgb(200, 100, 50)) << int(f) << " " << s[0] << "x" << s[1];
    }
}

TEST(Resample, FastLinearToTheSameSizeCopies) {
  auto src = Busy(13, 11);
  auto dst = Resampled(src.get(), 13, 11, rfFastLinear);
  EXPECT_EQ(Pixels(dst.get()), Pixels(src.get()));
}

TEST(Resample, KernelFiltersIgnoreASinglePixelSource) {
  auto src = MakeRGB(1, 1, [](Integer, Integer) { return Rgb(9, 9, 9); });
  auto dst = Resampled(src.get(), 4, 4, rfTriangle);
  EXPECT_EQ(At(dst.get(), 2, 2), Rgb(1, 2, 3));
}

TEST(Resample, TriangleEnlargementKeepsTheCorners) {
  const TIEColorTriple c[2][2] = {{Rgb(0, 0, 0), Rgb(255, 0, 0)}, {Rgb(0, 255, 0), Rgb(0, 0, 255)}};
  auto src = MakeRGB(2, 2, [&](Integer x, Integer y) { return c[y][x]; });
  auto dst = Resampled(src.get(), 3, 3, rfTriangle);
  EXPECT_EQ(At(dst.get(), 0, 0), c[0][0]);
  EXPECT_EQ(At(dst.get(), 2, 0), c[0][1]);
  EXPECT_EQ(At(dst.get(), 0, 2), c[1][0]);
  EXPECT_EQ(At(dst.get(), 2, 2), c[1][1]);
  EXPECT_EQ(At(dst.get(), 1, 0), Rgb(127, 0, 0));  // halfway, integer weights 128/256
}

TEST(Resample, LanczosMirrorsRowsOfATwoPixelTallPicture) {
  // Each column is uniform: mirrored and clamped row indices stay inside it.
  auto src = MakeRGB(3, 2, [](Integer x, Integer) { return Grey(static_cast<Byte>(40 + 80 * x)); });
  auto dst = Resampled(src.get(), 3, 5, rfLanczos3);
  for (Integer y = 0; y < 5; ++y) {
    EXPECT_EQ(At(dst.get(), 0, y), Grey(40)) << y;
    EXPECT_EQ(At(dst.get(), 1, y), Grey(120)) << y;
    EXPECT_EQ(At(dst.get(), 2, y), Grey(200)) << y;
  }
}

TEST(Resample, FastLinearShrinkAveragesBoxesIncludingTheirLastPixel) {
  const Byte row[4] = {0, 100, 200, 250};
  auto src = MakeRGB(4, 1, [&](Integer x, Integer) { return Grey(row[x]); });
  auto dst = Resampled(src.get(), 2, 1, rfFastLinear);
  EXPECT_EQ(At(dst.get(), 0, 0), Grey(100));  // pixels 0..2
  EXPECT_EQ(At(dst.get(), 1, 0), Grey(200));  // pixel 2 alone (last column)
}

TEST(Resample, AreaInterpolationHalvingGivesTheTruncatedBlockMean) {
  auto src = Busy(8, 6, 11);
  for (TResampleFilter f : {rfBilinear, rfBicubic}) {
    auto dst = Resampled(src.get(), 4, 3, f);
    for (Integer y = 0; y < 3; ++y)
      for (Integer x = 0; x < 4; ++x) {
        const TIEColorTriple a = At(src.get(), 2 * x, 2 * y), b = At(src.get(), 2 * x + 1, 2 * y),
                             c = At(src.get(), 2 * x, 2 * y + 1), d = At(src.get(), 2 * x + 1, 2 * y + 1);
        const TIEColorTriple mean{static_cast<Byte>((a.Blue + b.Blue + c.Blue + d.Blue) / 4),
                                  static_cast<Byte>((a.Green + b.Green + c.Green + d.Green) / 4),
                                  static_cast<Byte>((a.Red + b.Red + c.Red + d.Red) / 4)};
        EXPECT_EQ(At(dst.get(), x, y), mean) << int(f) << " " << x << "," << y;
      }
  }
}

TEST(Resample, ProgressEndsNearAHundredAndOtherKindsAreLeftAlone) {
  auto src = Busy(30, 20);
  std::vector<Integer> seen;
  auto dst = MakeRGB(45, 10, [](Integer, Integer) { return Grey(0); });
  ResampleImage(src.get(), dst.get(), rfMitchell, [&](TObject*, Integer p) { seen.push_back(p); });
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_GE(seen.back(), 98);
  EXPECT_LE(seen.back(), 100);

  auto grey = MakeKind(4, 4, ipkGray8);
  auto untouched = MakeRGB(2, 2, [](Integer, Integer) { return Grey(77); });
  ResampleImage(grey.get(), untouched.get(), rfTriangle);
  EXPECT_EQ(At(untouched.get(), 1, 1), Grey(77));
}

TEST(Resample, BilevelSourcesBecomeGrey) {
  // 8 x 2, left half set (white).
  auto src = MakeKind(8, 2, ipkBW1);
  for (Integer y = 0; y < 2; ++y)
    for (Integer x = 0; x < 4; ++x) PutBit(src->GetRowPointer(y), x, 1);
  auto dst = MakeRGB(4, 1, [](Integer, Integer) { return Grey(1); });
  ResampleBilevel(src.get(), dst.get(), rfFastLinear);  // shrink both ways: box average
  EXPECT_EQ(At(dst.get(), 0, 0), Grey(255));
  EXPECT_EQ(At(dst.get(), 3, 0), Grey(0));

  auto same = MakeRGB(8, 2, [](Integer, Integer) { return Grey(1); });
  ResampleBilevel(src.get(), same.get(), rfBilinear);
  for (Integer x = 0; x < 8; ++x) EXPECT_EQ(At(same.get(), x, 1), Grey(x < 4 ? 255 : 0)) << x;
}

TEST(Resample, StretchDIBToBufferAveragesBitsBottomUp) {
  // 4 x 2 DIB, bottom-up: memory row 0 is picture row 1. Picture row 0 = 1111, row 1 = 0000.
  Byte bits[8] = {0x00, 0, 0, 0, 0xF0, 0, 0, 0};
  auto block = StretchDIBToBuffer(bits, 4, 2, 2, 2, 0, 0, 3, 1);
  ASSERT_NE(block, nullptr);
  const size_t stride = AlignedRowLength(2, 24);
  EXPECT_EQ(block[stride * 1], 255);  // top row sits last in memory
  EXPECT_EQ(block[0], 127);  // bottom row covers both source rows
  EXPECT_EQ(StretchDIBToBuffer(bits, 4, 2, 0, 2, 0, 0, 3, 1), nullptr);
}

TEST(Resample, MappedBuffersGiveTheSamePixelsAsMemoryOnes) {
  auto src = Busy(40, 30, 5);
  auto mapped = std::make_unique<TIEBitmap>();
  mapped->SetFileThreshold(1);
  mapped->SetLocation(islMappedFile);
  mapped->CopyFromObject(src.get());
  ASSERT_NE(mapped->MappedFile(), nullptr);
  for (TResampleFilter f : {rfLanczos3, rfFastLinear, rfBicubic}) {
    auto a = Resampled(src.get(), 23, 61, f);
    auto b = std::make_unique<TIEBitmap>();
    b->SetFileThreshold(1);
    b->AllocateImage(23, 61, ipkRGB24);
    ResampleImage(mapped.get(), b.get(), f);
    EXPECT_EQ(Pixels(a.get()), Pixels(b.get())) << int(f);
  }
}

TEST(Resample, MasksResampleTheirBytes) {
  TIEMask src, dst, same;
  src.AllocateMask(4, 4, 8);
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 4; ++x) src.RowAddress(y)[x] = static_cast<Byte>(x < 2 ? 200 : 0);
  dst.AllocateMask(8, 2, 8);
  ResampleMask(&src, &dst, rfTriangle);
  EXPECT_EQ(dst.RowAddress(1)[0], 200);
  EXPECT_EQ(dst.RowAddress(0)[7], 0);
  same.AllocateMask(4, 4, 8);
  ResampleMask(&src, &same, rfFastLinear);
  for (Integer x = 0; x < 4; ++x) EXPECT_EQ(same.RowAddress(3)[x], src.RowAddress(3)[x]) << x;
}
