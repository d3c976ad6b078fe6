// Selection masks: pixels, fills, the half-open polygon fill, moving the
// selection, masked copies and drawing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "platform/Graphics.h"
#include "tests/imaging/iebuffer_util.h"

using namespace iebuf;

namespace {
struct Box {
  Integer l, t, r, b;
  bool operator==(const Box&) const = default;
};
Box BoxOf(const TIEMask& m) { return Box{m.Left(), m.Top(), m.Right(), m.Bottom()}; }
std::ostream& operator<<(std::ostream& o, const Box& b) {
  return o << "(" << b.l << "," << b.t << "," << b.r << "," << b.b << ")";
}

// The set pixels as rows of '#' and '.'.
std::vector<std::string> Picture(const TIEMask& m) {
  std::vector<std::string> rows;
  for (Integer y = 0; y < m.Height(); ++y) {
    std::string r;
    for (Integer x = 0; x < m.Width(); ++x) r += m.IsPixelSet(x, y) ? '#' : '.';
    rows.push_back(r);
  }
  return rows;
}

std::vector<TPoint> Pts(std::initializer_list<std::pair<int, int>> l) {
  std::vector<TPoint> v;
  for (auto [x, y] : l) v.push_back(TPoint{x, y});
  return v;
}
}  // namespace

TEST(IEMaskPixels, BoxGrowsOnlyWithSetPixels) {
  for (Integer bits : {1, 8}) {
    TIEMask m;
    m.AllocateMask(20, 10, bits);
    EXPECT_TRUE(m.IsEmpty());
    m.SetPixelValue(3, 4, 1);
    EXPECT_EQ(BoxOf(m), (Box{3, 4, 3, 4}));
    m.SetPixelValue(7, 2, 1);
    EXPECT_EQ(BoxOf(m), (Box{3, 2, 7, 4}));
    m.SetPixelValue(5, 3, 0);  // clearing inside does not shrink
    m.SetPixelValue(3, 4, 0);
    EXPECT_EQ(BoxOf(m), (Box{3, 2, 7, 4}));
    EXPECT_FALSE(m.IsPixelSet(3, 4));
    m.SetPixelValue(-1, 0, 1);  // outside: ignored
    m.SetPixelValue(20, 0, 1);
    EXPECT_EQ(BoxOf(m), (Box{3, 2, 7, 4}));
    EXPECT_EQ(m.GetPixelValue(-1, 0), 0);
    EXPECT_EQ(m.GetPixelValue(7, 2) != 0, true);
    m.ClearMask();
    EXPECT_TRUE(m.IsEmpty());
    EXPECT_FALSE(m.IsPixelSet(7, 2));
  }
  TIEMask m8;
  m8.AllocateMask(4, 4, 8);
  m8.SetPixelValue(1, 1, 0x1C8);  // the low byte is stored
  EXPECT_EQ(m8.GetPixelValue(1, 1), 0xC8);
  TIEMask m1;
  m1.AllocateMask(16, 1, 1);
  m1.SetPixelValue(9, 0, 1);
  EXPECT_EQ(m1.GetPixelValue(9, 0), 0x40);  // the bit's place value in its byte
}

TEST(IEMaskPixels, FullFlag) {
  TIEMask m;
  m.AllocateMask(4, 4, 1);
  EXPECT_FALSE(m.Full());
  m.ClearMask();
  EXPECT_FALSE(m.Full());
  m.FillMask(255);
  EXPECT_TRUE(m.Full());
  m.SetPixelValue(0, 0, 1);
  EXPECT_TRUE(m.Full());
  m.SetPixelValue(0, 0, 0);
  EXPECT_FALSE(m.Full());
  TIEMask m8;
  m8.AllocateMask(4, 4, 8);
  m8.FillMask(255);
  EXPECT_TRUE(m8.Full());
  m8.SetPixelValue(0, 0, 254);
  EXPECT_FALSE(m8.Full());
  m8.FillMask(255);
  m8.FillRow(10, 0, 1, 2);
  EXPECT_FALSE(m8.Full());
  TIEMask copy;
  copy.CopyMaskFrom(&m8);
  EXPECT_EQ(copy.GetPixelValue(1, 2), 10);
  EXPECT_EQ(copy.GetPixelValue(3, 3), 255);
  EXPECT_EQ(copy.Full(), m8.Full());
}

TEST(IEMaskPixels, FillRowClampsAndCounts) {
  TIEMask m;
  m.AllocateMask(10, 3, 1);
  EXPECT_EQ(m.FillRow(0, -5, 3, 1), 4);  // 1-bit rows are set whatever the value
  EXPECT_EQ(m.FillRow(1, 8, 50, 7), 2);  // y clamped to the last row
  EXPECT_EQ(m.FillRow(1, 12, 15, 0), 0);  // wholly outside: nothing
  EXPECT_EQ(Picture(m), (std::vector<std::string>{"..........", "####......", "........##"}));
  EXPECT_TRUE(m.IsEmpty());  // FillRow leaves the box alone
}

TEST(IEMaskPolygon, HalfOpenFill) {
  struct Case {
    const char* name;
    std::vector<TPoint> points;
    Box box;
    std::vector<std::string> picture;
  } cases[] = {
      {"square", Pts({{1, 1}, {5, 1}, {5, 4}, {1, 4}}), {1, 1, 4, 3},
       {"........", ".####...", ".####...", ".####...", "........", "........"}},
      {"triangle", Pts({{0, 0}, {6, 0}, {0, 6}}), {0, 0, 5, 5},
       {"######..", "#####...", "####....", "###.....", "##......", "#......."}},
      {"one row", Pts({{1, 2}, {6, 2}, {3, 2}}), {2147483647, 2147483647, 0, 0},
       {"........", "........", "........", "........", "........", "........"}},
      {"outside", Pts({{-20, -20}, {-10, -20}, {-10, -10}}), {2147483647, 2147483647, 0, 0},
       {"........", "........", "........", "........", "........", "........"}},
      // Reaching above and left of the mask: only the rows inside are filled, the border row is not smeared.
      {"clipped", Pts({{-3, -3}, {3, -3}, {3, 2}, {-3, 2}}), {0, 0, 2, 1},
       {"###.....", "###.....", "........", "........", "........", "........"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TIEMask m;
    m.AllocateMask(8, 6, 1);
    m.FillPolygon(1, c.points.data(), static_cast<Integer>(c.points.size()));
    EXPECT_EQ(BoxOf(m), c.box);
    EXPECT_EQ(Picture(m), c.picture);
  }
}

TEST(IEMaskPolygon, SquareOfTheReference) {
  TIEMask m;
  m.AllocateMask(32, 32, 1);
  const auto sq = Pts({{10, 10}, {20, 10}, {20, 20}, {10, 20}});
  m.FillPolygon(1, sq.data(), 4);
  EXPECT_EQ(BoxOf(m), (Box{10, 10, 19, 19}));
  for (Integer y = 0; y < 32; ++y)
    for (Integer x = 0; x < 32; ++x)
      ASSERT_EQ(m.IsPixelSet(x, y), x >= 10 && x <= 19 && y >= 10 && y <= 19) << x << "," << y;
  // An 8-bit mask takes the value.
  TIEMask m8;
  m8.AllocateMask(32, 32, 8);
  m8.FillPolygon(77, sq.data(), 4);
  EXPECT_EQ(m8.GetPixelValue(15, 15), 77);
  EXPECT_EQ(m8.GetPixelValue(20, 15), 0);
}

TEST(IEMaskPolygon, SeveralPolygonsAndEmptyRuns) {
  TIEMask m;
  m.AllocateMask(10, 4, 1);
  const auto pts = Pts({{0xFFFFF, 0}, {0, 0}, {2, 0}, {2, 2}, {0, 2}, {0xFFFFF, 0}, {0xFFFFF, 0},
                        {5, 1}, {8, 1}, {8, 3}, {5, 3}});
  m.FillPolygons(1, pts.data(), static_cast<Integer>(pts.size()));
  EXPECT_EQ(Picture(m), (std::vector<std::string>{"##........", "##...###..", ".....###..", ".........."}));
  EXPECT_EQ(BoxOf(m), (Box{0, 0, 7, 2}));
}

TEST(IEMaskMove, ShiftLimitedOrCut) {
  for (Integer bits : {1, 8}) {
    SCOPED_TRACE(bits);
    TIEMask m;
    m.AllocateMask(10, 5, bits);
    for (Integer x = 2; x <= 4; ++x) m.SetPixelValue(x, 1, 1);
    m.SetPixelValue(3, 2, 1);
    Integer dx = 10, dy = 1;
    m.MoveContent(dx, dy, false);
    EXPECT_EQ(dx, 5);  // limited so the box ends at the last column
    EXPECT_EQ(dy, 1);
    EXPECT_EQ(BoxOf(m), (Box{7, 2, 9, 3}));
    EXPECT_EQ(Picture(m), (std::vector<std::string>{"..........", "..........", ".......###", "........#.",
                                                   ".........."}));
    // Cutting: the part pushed past the edge is dropped, nothing stays behind.
    dx = 2;
    dy = 0;
    m.MoveContent(dx, dy, true);
    EXPECT_EQ(dx, 2);
    EXPECT_EQ(BoxOf(m), (Box{9, 2, 9, 3}));
    EXPECT_EQ(Picture(m), (std::vector<std::string>{"..........", "..........", ".........#", "..........",
                                                   ".........."}));
    dx = 0;
    dy = 0;
    m.MoveContent(dx, dy, true);
    EXPECT_EQ(BoxOf(m), (Box{9, 2, 9, 3}));
  }
}

TEST(IEMaskMove, CutMovePastTheEdgeLeavesAnEmptyMask) {
  struct Case {
    Integer dx, dy;
  };
  // Box (2, 1)-(4, 2) of a 10 x 5 mask pushed wholly off each side.
  const Case cases[] = {{8, 0}, {-5, 0}, {0, 4}, {0, -3}, {30, -30}, {-100, 2}};
  for (Integer bits : {1, 8})
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << bits << " bits, by " << c.dx << "," << c.dy);
      TIEMask m;
      m.AllocateMask(10, 5, bits);
      for (Integer x = 2; x <= 4; ++x) m.SetPixelValue(x, 1, bits == 1 ? 1 : 255);
      m.SetPixelValue(3, 2, bits == 1 ? 1 : 255);
      Integer dx = c.dx, dy = c.dy;
      m.MoveContent(dx, dy, true);
      EXPECT_TRUE(m.IsEmpty()) << BoxOf(m);
      EXPECT_EQ(Picture(m), (std::vector<std::string>(5, "..........")));
      // The mask works as a new one afterwards.
      m.SetPixelValue(6, 3, 1);
      EXPECT_EQ(BoxOf(m), (Box{6, 3, 6, 3}));
    }
}

TEST(IEMaskMove, AMovedFullMaskIsNoLongerFull) {
  TIEMask m;
  m.AllocateMask(4, 3, 8);
  m.FillMask(255);
  m.SetBox(0, 0, 3, 2);
  ASSERT_TRUE(m.Full());
  Integer dx = 1, dy = 0;
  m.MoveContent(dx, dy, true);
  EXPECT_FALSE(m.Full());
  EXPECT_EQ(m.GetPixelValue(0, 1), 0);
  EXPECT_EQ(m.GetPixelValue(1, 1), 255);
}

TEST(IEMaskCopy, MaskedPixelsByKind) {
  for (TIEStorageLocation p : {islMemory, islMappedFile}) {
    SCOPED_TRACE(PlaceName(p));
    TIEBitmap dst, src;
    Place(dst, p);
    Place(src, p);
    dst.AllocateImage(6, 4, ipkRGB24);
    src.AllocateImage(6, 4, ipkRGB24);
    dst.FillWith(0);
    src.FillWith(0xFFFFFF);
    TIEMask m;
    m.AllocateMask(6, 4, 8);
    m.SetPixelValue(1, 1, 128);
    m.SetPixelValue(2, 2, 255);
    m.CopyMaskedPixels(&dst, &src, false, false);
    EXPECT_EQ(Get(dst, 1, 1), 0x7F7F7Fu);
    EXPECT_EQ(Get(dst, 2, 2), 0xFEFEFEu);
    EXPECT_EQ(Get(dst, 2, 1), 0u);

    // 1-bit mask over a cropped source picture of the box only.
    TIEMask m1;
    m1.AllocateMask(6, 4, 1);
    m1.SetPixelValue(3, 2, 1);
    m1.SetPixelValue(4, 3, 1);
    TIEBitmap crop;
    Place(crop, p);
    crop.AllocateImage(2, 2, ipkRGB24);
    Set(crop, 0, 0, 0x112233);
    Set(crop, 1, 1, 0x445566);
    Set(crop, 1, 0, 0x999999);
    dst.FillWith(0);
    m1.CopyMaskedPixels(&dst, &crop, false, true);
    EXPECT_EQ(Get(dst, 3, 2), 0x112233u);
    EXPECT_EQ(Get(dst, 4, 3), 0x445566u);
    EXPECT_EQ(Get(dst, 4, 2), 0u);

    TIEBitmap bw, bwsrc;
    Place(bw, p);
    Place(bwsrc, p);
    bw.AllocateImage(6, 4, ipkBW1);
    bwsrc.AllocateImage(6, 4, ipkBW1);
    bw.FillWith(0);
    bwsrc.FillWith(1);
    m.CopyMaskedPixels(&bw, &bwsrc, false, false);
    EXPECT_EQ(Get(bw, 1, 1), 1u);
    EXPECT_EQ(Get(bw, 0, 1), 0u);
    // Kinds that differ: nothing.
    TIEBitmap g;
    Place(g, p);
    g.AllocateImage(6, 4, ipkGray8);
    g.FillWith(0);
    m.CopyMaskedPixels(&g, &src, false, false);
    EXPECT_EQ(Get(g, 1, 1), 0u);
  }
}

TEST(IEMaskDraw, InvertedFillAndOutline) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(20, 20);
  bmp.Canvas()->Brush()->SetColor(clBlack);
  bmp.Canvas()->FillRect(TRect{0, 0, 20, 20});
  TIEMask m;
  m.AllocateMask(10, 10, 1);
  const auto sq = Pts({{2, 2}, {8, 2}, {8, 8}, {2, 8}});
  m.FillPolygon(1, sq.data(), 4);
  // 1:1 at (0, 0): set pixels invert the picture.
  m.PaintInverted(bmp.Canvas(), 0, 0, 10, 10, 0, 0, 10, 10);
  ::GdiFlush();
  TIEBitmap view;
  view.AttachTBitmap(&bmp, false);
  EXPECT_EQ(Get(view, 2, 2), 0xFFFFFFu);
  EXPECT_EQ(Get(view, 7, 7), 0xFFFFFFu);
  EXPECT_EQ(Get(view, 8, 8), 0u);
  EXPECT_EQ(Get(view, 1, 5), 0u);

  // Outline at 2x zoom: the border of the 12 x 12 display square is drawn, its inside is not.
  bmp.Canvas()->FillRect(TRect{0, 0, 20, 20});
  m.PaintOutline(bmp.Canvas(), 0, 0, 10, 10, 0, 0, 20, 20, clWhite, clWhite, 0);
  ::GdiFlush();
  view.AttachTBitmap(&bmp, false);
  EXPECT_EQ(Get(view, 4, 4), 0xFFFFFFu);
  EXPECT_EQ(Get(view, 15, 10), 0xFFFFFFu);
  EXPECT_EQ(Get(view, 10, 4), 0xFFFFFFu);
  EXPECT_EQ(Get(view, 10, 10), 0u);
  EXPECT_EQ(Get(view, 3, 3), 0u);
  const Byte* buffer = m.DisplayBuffer();
  m.PaintOutline(bmp.Canvas(), 0, 0, 10, 10, 0, 0, 20, 20, clRed, clBlue, 3);
  EXPECT_EQ(m.DisplayBuffer(), buffer);  // same display size: the buffer is reused
  ::GdiFlush();
  view.AttachTBitmap(&bmp, false);
  // The dash colour follows bit 2 of x + y + phase.
  EXPECT_EQ(Get(view, 4, 4), ((4 + 4 + 3) & 4) == 0 ? 0xFF0000u : 0x0000FFu);
  EXPECT_EQ(Get(view, 4, 5), ((4 + 5 + 3) & 4) == 0 ? 0xFF0000u : 0x0000FFu);
}

TEST(IEMaskDraw, OuterDotsOnUnselectedPixels) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(8, 8);
  for (Integer y = 0; y < 8; ++y) std::memset(bmp.ScanLine(y), 0, 24);
  TIEMask m;
  m.AllocateMask(8, 8, 1);
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 4; ++x) m.SetPixelValue(x, y, 1);
  m.PaintOuterDots(&bmp, 0, 0, 8, 8, 0, 0, 8, 8);
  TIEBitmap view;
  view.AttachTBitmap(&bmp, false);
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x) {
      const bool white = (x % 2 == 0) && (y % 2 == 0) && !(x < 4 && y < 4);
      ASSERT_EQ(Get(view, x, y), white ? 0xFFFFFFu : 0u) << x << "," << y;
    }
}
