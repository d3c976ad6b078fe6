// Resampling: kernels, fast linear, area interpolation and the 1-bit companions.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "imaging/buffer/ruzozadproc.h"
#include "imaging/buffer/ruzozadproc_rowcache.h"
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
  // Columns whose two rows differ: every output row mixes the rows by the
  // kernel weights at mirrored indices (-1 -> 1, 2 -> 1, 3 -> 0, -2 -> 1 ...),
  // so reading a clamped or unmirrored row shows in the values.
  const Byte column[3][2] = {{40, 200}, {120, 10}, {250, 90}};
  auto src = MakeRGB(3, 2, [&](Integer x, Integer y) { return Grey(column[x][y]); });
  auto dst = Resampled(src.get(), 3, 5, rfLanczos3);
  auto expected = [](double center, const Byte* rows) {
    int64_t sum = 0, wsum = 0;
    for (int64_t j = static_cast<int64_t>(std::floor(center - 3)); j <= static_cast<int64_t>(std::ceil(center + 3)); ++j) {
      const double d = center - static_cast<double>(j);
      auto sinc = [](double v) { return v == 0 ? 1.0 : std::sin(3.14159265358979323846 * v) / (3.14159265358979323846 * v); };
      const double k = std::fabs(d) < 3 ? sinc(d) * sinc(d / 3) : 0;
      const int64_t w = static_cast<int64_t>(std::nearbyint(k * 256));
      if (w == 0) continue;
      int64_t m = j < 0 ? -j : j;
      if (m >= 2) m = 3 - m;
      m = std::clamp<int64_t>(m, 0, 1);
      sum += w * rows[m];
      wsum += w;
    }
    return static_cast<Byte>(std::clamp<int64_t>(sum / wsum, 0, 255));
  };
  std::set<Byte> distinct;
  for (Integer x = 0; x < 3; ++x)
    for (Integer y = 0; y < 5; ++y) {
      const Byte want = expected(y / 4.0, column[x]);  // scale (5 - 1) / (2 - 1)
      EXPECT_EQ(At(dst.get(), x, y), Grey(want)) << x << "," << y;
      distinct.insert(want);
    }
  EXPECT_GT(distinct.size(), 8u);  // the rows really mix
}

TEST(Resample, FastLinearShrinkAveragesEachBoxUpToTheLastPixel) {
  // Each destination pixel averages the source pixels under its footprint;
  // the last source column and row count like the others.
  struct Case {
    std::vector<Byte> row;
    Integer to;
    std::vector<Byte> want;
  };
  const Case cases[] = {
      {{0, 100, 200, 250}, 2, {50, 225}},
      {{0, 90, 30, 60, 250}, 2, {40, 113}},  // 5 -> 2: pixel 2 lies under both
      {{10, 20, 30, 40, 50, 255}, 3, {15, 35, 152}},
      {{7, 9, 240}, 1, {85}},
  };
  for (const Case& c : cases) {
    const Integer n = static_cast<Integer>(c.row.size());
    auto across = MakeRGB(n, 1, [&](Integer x, Integer) { return Grey(c.row[x]); });
    auto down = MakeRGB(1, n, [&](Integer, Integer y) { return Grey(c.row[y]); });
    auto a = Resampled(across.get(), c.to, 1, rfFastLinear);
    auto d = Resampled(down.get(), 1, c.to, rfFastLinear);
    for (Integer i = 0; i < c.to; ++i) {
      EXPECT_EQ(At(a.get(), i, 0), Grey(c.want[i])) << n << "->" << c.to << " column " << i;
      EXPECT_EQ(At(d.get(), 0, i), Grey(c.want[i])) << n << "->" << c.to << " row " << i;
    }
  }
}

TEST(Resample, FastLinearLeavesAnAxisOfUnchangedSizeAlone) {
  // Only one axis changes: along the other every source line comes through as it was.
  auto src = Busy(9, 7, 3);
  const Integer sizes[][2] = {{9, 3}, {9, 14}, {4, 7}, {20, 7}};
  for (const auto& s : sizes) {
    auto dst = Resampled(src.get(), s[0], s[1], rfFastLinear);
    if (s[0] == 9) {
      // Rows change; each column is the column's own resampling.
      for (Integer x = 0; x < 9; ++x) {
        auto column = MakeRGB(1, 7, [&](Integer, Integer y) { return At(src.get(), x, y); });
        auto alone = Resampled(column.get(), 1, s[1], rfFastLinear);
        for (Integer y = 0; y < s[1]; ++y) ASSERT_EQ(At(dst.get(), x, y), At(alone.get(), 0, y)) << s[1] << " " << x << "," << y;
      }
    } else {
      for (Integer y = 0; y < 7; ++y) {
        auto line = MakeRGB(9, 1, [&](Integer x, Integer) { return At(src.get(), x, y); });
        auto alone = Resampled(line.get(), s[0], 1, rfFastLinear);
        for (Integer x = 0; x < s[0]; ++x) ASSERT_EQ(At(dst.get(), x, y), At(alone.get(), x, 0)) << s[0] << " " << x << "," << y;
      }
    }
  }
  // A whole axis kept: a 2x taller picture repeats or blends rows but never mixes columns.
  auto bars = MakeRGB(6, 2, [](Integer x, Integer) { return Grey(x % 2 ? 255 : 0); });
  auto tall = Resampled(bars.get(), 6, 4, rfFastLinear);
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 6; ++x) EXPECT_EQ(At(tall.get(), x, y), Grey(x % 2 ? 255 : 0)) << x << "," << y;
  TIEMask m, m2;
  m.AllocateMask(6, 2, 8);
  for (Integer y = 0; y < 2; ++y)
    for (Integer x = 0; x < 6; ++x) m.RowAddress(y)[x] = static_cast<Byte>(x % 2 ? 255 : 0);
  m2.AllocateMask(6, 5, 8);
  ResampleMask(&m, &m2, rfFastLinear);
  for (Integer y = 0; y < 5; ++y)
    for (Integer x = 0; x < 6; ++x) EXPECT_EQ(m2.RowAddress(y)[x], x % 2 ? 255 : 0) << x << "," << y;
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
  // Every row request maps a new view: a kept row address of a mapped buffer fails.
  SetIEStrictRowViews(true);
  auto src = Busy(40, 30, 5);
  auto mapped = std::make_unique<TIEBitmap>();
  mapped->SetFileThreshold(1);
  mapped->SetLocation(islMappedFile);
  mapped->CopyFromObject(src.get());
  ASSERT_EQ(mapped->Location(), islMappedFile);
  ASSERT_TRUE(mapped->MappedFile()->IsOpen());
  for (TResampleFilter f : {rfLanczos3, rfFastLinear, rfBicubic}) {
    auto a = Resampled(src.get(), 23, 61, f);
    auto b = std::make_unique<TIEBitmap>();
    b->SetFileThreshold(1);
    b->AllocateImage(23, 61, ipkRGB24);
    ASSERT_EQ(b->Location(), islMappedFile);
    ResampleImage(mapped.get(), b.get(), f);
    EXPECT_EQ(Pixels(a.get()), Pixels(b.get())) << int(f);
  }
  SetIEStrictRowViews(false);
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

TEST(ResampleRowCache, StableRowsAreHandedOutDirectlyMappedOnesCopied) {
  SetIEStrictRowViews(true);
  auto mem = Busy(5, 4, 2);
  TIEBitmap onBitmap;
  onBitmap.SetLocation(islVCLBitmap);
  onBitmap.CopyFromObject(mem.get());
  TIEBitmap mapped;
  mapped.SetFileThreshold(1);
  mapped.CopyFromObject(mem.get());
  ASSERT_EQ(mapped.Location(), islMappedFile);
  ASSERT_EQ(onBitmap.Location(), islVCLBitmap);
  for (TIEBitmap* b : {mem.get(), &onBitmap}) {
    EXPECT_TRUE(ieproc::StableRows(b));
    ieproc::TRowCache cache(b, 2);
    for (Integer y = 0; y < 4; ++y) EXPECT_EQ(cache.Get(y), b->GetRowPointer(y)) << y;
  }
  EXPECT_FALSE(ieproc::StableRows(&mapped));
  ieproc::TRowCache cache(&mapped, 2);
  const Byte* r1 = cache.Get(1);
  const Byte* r3 = cache.Get(3);
  // Both rows stay readable together although the buffer maps one row at a time.
  EXPECT_EQ(std::memcmp(r1, mem->GetRowPointer(1), 15), 0);
  EXPECT_EQ(std::memcmp(r3, mem->GetRowPointer(3), 15), 0);
  SetIEStrictRowViews(false);
}
