// CIELab conversions, geometry tests and the painting helpers.
#include <gtest/gtest.h>

#include "imaging/buffer/iecolors.h"
#include "platform/Graphics.h"

TEST(CIELab, BlackAndWhite) {
  Byte L;
  ShortInt a, b;
  RGBToCIELab(0x000000, L, a, b);
  EXPECT_EQ(L, 0);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
  RGBToCIELab(0xFFFFFF, L, a, b);
  EXPECT_EQ(L, 242);
  // Channels are clamped into the signed byte range.
  RGBToCIELab(0x00FF00, L, a, b);
  EXPECT_EQ(a, -128);
  RGBToCIELab(0xFF00FF, L, a, b);
  EXPECT_EQ(a, 127);
}

TEST(CIELab, BackToRGB) {
  TIEColorTriple t;
  CIELabToRGB(0x000000, t);
  EXPECT_LE(t.Red, 4);
  EXPECT_LE(t.Green, 4);
  EXPECT_LE(t.Blue, 4);
  CIELabToRGB(0x0000FF, t);  // L 100, a and b near 0
  EXPECT_GE(t.Red, 250);
  EXPECT_EQ(t.Green, 255);
  EXPECT_EQ(t.Blue, 255);
  // A byte of -128 in a is read as +128: redder than +127, not greener.
  TIEColorTriple plus127, minus128;
  CIELabToRGB(0x007F80, plus127);
  CIELabToRGB(0x008080, minus128);
  EXPECT_GE(minus128.Red, plus127.Red);
  EXPECT_LE(minus128.Green, plus127.Green);
}

TEST(Geometry, SnapTo45Degrees) {
  struct Case {
    Integer x, y, ex, ey;
  };
  const Case cases[] = {{100, 10, 100, 0}, {10, 100, 0, 100}, {40, 30, 40, 40}, {-40, -30, -30, -30},
                        {-40, 30, -40, 40}, {40, -30, 40, -40}, {0, 0, 0, 0}};
  for (const Case& c : cases) {
    Integer x = c.x, y = c.y;
    SnapTo45Degrees(0, 0, x, y);
    EXPECT_EQ(x, c.ex) << c.x << "," << c.y;
    EXPECT_EQ(y, c.ey) << c.x << "," << c.y;
  }
}

TEST(Geometry, RectanglesAndPoints) {
  EXPECT_EQ(RectangleRelation(0, 0, 10, 10, 2, 2, 5, 5), 2);
  EXPECT_EQ(RectangleRelation(0, 0, 10, 10, 5, 5, 20, 20), 1);
  EXPECT_EQ(RectangleRelation(0, 0, 10, 10, 20, 20, 30, 30), 0);
  EXPECT_EQ(RectanglesIntersect(0, 0, 10, 10, 10, 10, 20, 20), 1);
  EXPECT_EQ(RectanglesIntersect(0, 0, 10, 10, 11, 0, 20, 20), 0);
  EXPECT_EQ(RectanglesIntersect(10, 10, 0, 0, 5, 5, 6, 6), 1);  // corners in any order
  EXPECT_TRUE(PointInRect(10, 0, 0, 0, 10, 10));
  EXPECT_FALSE(PointInRect(11, 0, 0, 0, 10, 10));
}

TEST(Geometry, Distances) {
  EXPECT_DOUBLE_EQ(DistancePointToLine(5, 7, 0, 0, 10, 0), 7.0);
  EXPECT_DOUBLE_EQ(DistancePointToSegment(5, 7, 0, 0, 10, 0), 7.0);
  EXPECT_DOUBLE_EQ(DistancePointToSegment(13, 4, 0, 0, 10, 0), 5.0);  // past the end
  EXPECT_DOUBLE_EQ(DistancePointToSegment(-3, -4, 0, 0, 10, 0), 5.0);
  EXPECT_DOUBLE_EQ(DistancePointToSegment(3, 4, 0, 0, 0, 0), 5.0);
  EXPECT_DOUBLE_EQ(DistancePointToSegment(100000, 0, 0, 0, 10, 0), 1000000.0);
  // Large coordinates do not wrap.
  EXPECT_NEAR(DistancePointToLine(0, 100000, -100000, 0, 100000, 0), 100000.0, 1e-6);
}

TEST(Painting, TwoToneFrameAndShadowStrip) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(40, 40);
  TCanvas* c = bmp.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, 40, 40));
  PaintTwoToneFrame(c, 2, 2, 20, 20, 0x0000FF, 0x00FF00);
  EXPECT_EQ(c->Pixels(2, 10), 0x0000FF);
  EXPECT_EQ(c->Pixels(10, 2), 0x0000FF);
  EXPECT_EQ(c->Pixels(10, 20), 0x00FF00);
  EXPECT_EQ(c->Pixels(20, 10), 0x00FF00);

  PaintShadowStripVertical(c, 30, 0, 35, 30, 2);
  EXPECT_EQ(c->Pixels(30, 10), 0x5D5D5D);  // 93: darkest next to the picture
  EXPECT_EQ(c->Pixels(30, 5), clWhite);    // starts n pixels down
  EXPECT_NE(c->Pixels(35, 10), clWhite);
  EXPECT_EQ(c->Pixels(36, 10), clWhite);
}
