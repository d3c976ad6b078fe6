// Selection by colour: range, seed fill into a mask and outline tracing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/buffer/ruzozadproc.h"
#include "proc_fixtures.h"

using namespace procfix;

namespace {

std::unique_ptr<TIEMask> MaskFor(TIEBitmap* B) {
  auto m = std::make_unique<TIEMask>();
  m->AllocateMask(B->Width(), B->Height(), 1);
  return m;
}

Integer SetCount(TIEMask* M) {
  Integer n = 0;
  for (Integer y = 0; y < M->Height(); ++y)
    for (Integer x = 0; x < M->Width(); ++x) n += M->IsPixelSet(x, y) ? 1 : 0;
  return n;
}

struct Box {
  Integer minX = 1 << 30, minY = 1 << 30, maxX = -(1 << 30), maxY = -(1 << 30);
};
Box BoxOf(const TPoint* P, Integer N) {
  Box b;
  for (Integer i = 0; i < N; ++i) {
    b.minX = IntMin(b.minX, P[i].X);
    b.maxX = IntMax(b.maxX, P[i].X);
    b.minY = IntMin(b.minY, P[i].Y);
    b.maxY = IntMax(b.maxY, P[i].Y);
  }
  return b;
}

// A mask as rows of '#' and '.'.
std::vector<std::string> Rows(TIEMask* M) {
  std::vector<std::string> rows;
  for (Integer y = 0; y < M->Height(); ++y) {
    std::string r;
    for (Integer x = 0; x < M->Width(); ++x) r += M->IsPixelSet(x, y) ? '#' : '.';
    rows.push_back(r);
  }
  return rows;
}

// What an outline encloses: its polygon filled (even-odd, half-open) into a
// mask of the picture's size.
std::vector<std::string> Enclosed(const TPoint* P, Integer N, Integer W, Integer H) {
  TIEMask m;
  m.AllocateMask(W, H, 1);
  m.FillPolygon(1, P, N);
  return Rows(&m);
}

const TIEColorTriple A = Rgb(200, 30, 30), B = Rgb(20, 20, 20);

// Two 2 x 2 squares of A meeting only at a corner, on B.
std::unique_ptr<TIEBitmap> Diagonal() {
  return MakeRGB(4, 4, [](Integer x, Integer y) { return ((x < 2) == (y < 2)) ? A : B; });
}

}  // namespace

TEST(SelectByColour, UniformPictureFillsWhollyAndOutlinesItsBorder) {
  auto pic = MakeRGB(7, 5, [](Integer, Integer) { return A; });
  auto mask = MaskFor(pic.get());
  FloodFillMaskByColor(pic.get(), 3, 2, mask.get(), 0, false);
  EXPECT_EQ(SetCount(mask.get()), 35);
  EXPECT_EQ(mask->Left(), 0);
  EXPECT_EQ(mask->Right(), 6);

  Integer count = 0;
  auto pts = TraceColorRegionOutline(pic.get(), 3, 2, count, 0, false);
  ASSERT_NE(pts, nullptr);
  ASSERT_GE(count, 4);
  const Box b = BoxOf(pts.get(), count);
  EXPECT_EQ(b.minX, 0);
  EXPECT_EQ(b.minY, 0);
  EXPECT_EQ(b.maxX, 7);
  EXPECT_EQ(b.maxY, 5);
  EXPECT_EQ(Enclosed(pts.get(), count, 7, 5), std::vector<std::string>(5, "#######"));
}

TEST(SelectByColour, SeedOutsideOrWrongKindChangesNothing) {
  auto pic = MakeRGB(4, 4, [](Integer, Integer) { return A; });
  auto grey = MakeKind(4, 4, ipkGray8);
  const struct {
    TIEBitmap* bitmap;
    Integer x, y;
  } cases[] = {{pic.get(), -1, 0}, {pic.get(), 4, 0}, {pic.get(), 0, 4}, {grey.get(), 1, 1}};
  for (const auto& c : cases) {
    auto mask = MaskFor(c.bitmap);
    FloodFillMaskByColor(c.bitmap, c.x, c.y, mask.get(), 10, true);
    SelectColorRangeMask(c.bitmap, c.x, c.y, mask.get(), 10);
    EXPECT_TRUE(mask->IsEmpty());
    Integer count = 99;
    EXPECT_EQ(TraceColorRegionOutline(c.bitmap, c.x, c.y, count, 10, false), nullptr);
    EXPECT_EQ(count, 0);
  }
}

TEST(SelectByColour, FillIsFourConnectedWhileTheRangeTakesEveryMatch) {
  auto pic = Diagonal();
  auto fill = MaskFor(pic.get());
  FloodFillMaskByColor(pic.get(), 0, 0, fill.get(), 0, false);
  EXPECT_EQ(SetCount(fill.get()), 4);
  EXPECT_FALSE(fill->IsPixelSet(2, 2));
  auto range = MaskFor(pic.get());
  SelectColorRangeMask(pic.get(), 0, 0, range.get(), 0);
  EXPECT_EQ(SetCount(range.get()), 8);
}

TEST(SelectByColour, ToleranceIsTheLargestChannelDifference) {
  auto pic = MakeRGB(3, 1, [](Integer x, Integer) {
    const TIEColorTriple c[3] = {Rgb(100, 100, 100), Rgb(110, 95, 100), Rgb(111, 100, 100)};
    return c[x];
  });
  auto mask = MaskFor(pic.get());
  FloodFillMaskByColor(pic.get(), 0, 0, mask.get(), 10, false);
  EXPECT_TRUE(mask->IsPixelSet(1, 0));
  EXPECT_FALSE(mask->IsPixelSet(2, 0));
}

TEST(SelectByColour, ExpandedSinglePixelBecomesABlockClippedAtTheEdge) {
  auto pic = MakeRGB(5, 5, [](Integer x, Integer y) { return (x == 2 && y == 2) || (x == 0 && y == 4) ? A : B; });
  auto mid = MaskFor(pic.get());
  FloodFillMaskByColor(pic.get(), 2, 2, mid.get(), 0, true);
  EXPECT_EQ(SetCount(mid.get()), 9);
  EXPECT_TRUE(mid->IsPixelSet(1, 1));
  EXPECT_TRUE(mid->IsPixelSet(3, 3));
  auto corner = MaskFor(pic.get());
  FloodFillMaskByColor(pic.get(), 0, 4, corner.get(), 0, true);
  EXPECT_EQ(SetCount(corner.get()), 4);
}

TEST(SelectByColour, SinglePixelOutlineClosesAroundIt) {
  auto pic = MakeRGB(6, 6, [](Integer x, Integer y) { return x == 3 && y == 2 ? A : B; });
  Integer count = 0;
  auto pts = TraceColorRegionOutline(pic.get(), 3, 2, count, 0, false);
  ASSERT_NE(pts, nullptr);
  ASSERT_GE(count, 4);
  const Box b = BoxOf(pts.get(), count);
  EXPECT_EQ(b.minX, 3);
  EXPECT_EQ(b.maxX, 4);
  EXPECT_EQ(b.minY, 2);
  EXPECT_EQ(b.maxY, 3);
  EXPECT_EQ(Enclosed(pts.get(), count, 6, 6),
            (std::vector<std::string>{"......", "......", "...#..", "......", "......", "......"}));
}

TEST(SelectByColour, OutlineEnclosesExactlyTheFilledRegion) {
  // Regions with concave corners, notches and one-pixel arms: the polygon,
  // filled again, gives back the pixels the seed fill selects.
  const std::vector<std::string> shapes[] = {
      {"........", ".####...", ".####...", ".##.....", ".##.....", "........"},  // L
      {"........", "...#....", ".#####..", "...#....", "...#....", "........"},  // cross
      {"........", ".######.", ".#....#.", ".#.##.#.", ".#.#..#.", "...#....", "........"},  // spiral arm
      {"##......", "#.......", "######..", ".....#..", ".....###"},  // touching the edges
  };
  for (const auto& shape : shapes)
    for (bool expand : {false, true}) {
      const Integer W = static_cast<Integer>(shape[0].size()), H = static_cast<Integer>(shape.size());
      auto pic = MakeRGB(W, H, [&](Integer x, Integer y) { return shape[y][x] == '#' ? A : B; });
      Integer sx = 0, sy = 0;
      while (shape[sy][sx] != '#')
        if (++sx == W) sx = 0, ++sy;
      auto fill = MaskFor(pic.get()), plain = MaskFor(pic.get());
      FloodFillMaskByColor(pic.get(), sx, sy, fill.get(), 0, expand);
      FloodFillMaskByColor(pic.get(), sx, sy, plain.get(), 0, false);
      // The outline of an expanded region stays inside the filled pixels' box.
      auto want = Rows(fill.get());
      for (Integer y = 0; y < H; ++y)
        for (Integer x = 0; x < W; ++x)
          if (x < plain->Left() || x > plain->Right() || y < plain->Top() || y > plain->Bottom()) want[y][x] = '.';
      Integer count = 0;
      auto pts = TraceColorRegionOutline(pic.get(), sx, sy, count, 0, expand);
      ASSERT_NE(pts, nullptr);
      EXPECT_EQ(Enclosed(pts.get(), count, W, H), want) << shape[1] << " expand " << expand;
    }
}

TEST(SelectByColour, MaskOnlyGrows) {
  auto pic = Diagonal();
  auto mask = MaskFor(pic.get());
  mask->SetPixelValue(3, 0, 1);
  FloodFillMaskByColor(pic.get(), 2, 2, mask.get(), 0, false);
  EXPECT_TRUE(mask->IsPixelSet(3, 0));
  EXPECT_EQ(SetCount(mask.get()), 5);
}
