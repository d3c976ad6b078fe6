// Flips, quarter turns, rotation by any angle and the nearest stretch.
#include <gtest/gtest.h>

#include "imaging/buffer/ruzozadproc.h"
#include "proc_fixtures.h"

using namespace procfix;

namespace {

std::unique_ptr<TIEBitmap> Numbered(Integer W, Integer H) {
  return MakeRGB(W, H, [](Integer x, Integer y) { return Rgb(static_cast<Byte>(x), static_cast<Byte>(y), 7); });
}

const TIEColorTriple Back{0, 0, 255};  // red background

}  // namespace

TEST(Rotate, QuarterTurnsMoveEveryPixel) {
  auto src = Numbered(5, 3);
  TIEBitmap cw, ccw;
  Rotate90Clockwise(src.get(), &cw);
  Rotate90CounterClockwise(src.get(), &ccw);
  ASSERT_EQ(cw.Width(), 3);
  ASSERT_EQ(cw.Height(), 5);
  ASSERT_EQ(ccw.Width(), 3);
  for (Integer y = 0; y < 5; ++y)
    for (Integer x = 0; x < 3; ++x) {
      EXPECT_EQ(At(&cw, x, y), At(src.get(), y, 3 - 1 - x));
      EXPECT_EQ(At(&ccw, x, y), At(src.get(), 5 - 1 - y, x));
    }
}

TEST(Rotate, RightAnglesAndWholeTurnsAddNoBackground) {
  struct Case {
    double angle;
    int turn;  // 0 none, 1 counter-clockwise, -1 clockwise
  };
  const Case cases[] = {{90, 1}, {-90, -1}, {450, 1}, {360, 0}, {-360, 0}, {0.0004, 0}, {720.0002, 0}};
  for (const Case& c : cases) {
    auto pic = Numbered(6, 4);
    auto src = Numbered(6, 4);
    RotateImage(pic.get(), false, c.angle, Back);
    TIEBitmap expected;
    if (c.turn == 1) Rotate90CounterClockwise(src.get(), &expected);
    if (c.turn == -1) Rotate90Clockwise(src.get(), &expected);
    TIEBitmap* want = c.turn == 0 ? src.get() : &expected;
    ASSERT_EQ(pic->Width(), want->Width()) << c.angle;
    ASSERT_EQ(pic->Height(), want->Height()) << c.angle;
    EXPECT_EQ(Pixels(pic.get()), Pixels(want)) << c.angle;
  }
}

TEST(Rotate, SmallAnglesShearAndLargerOnesTurnFirst) {
  // 46 degrees: one quarter turn, then -44 by shears.
  auto a = Busy(30, 20);
  RotateImage(a.get(), true, 46, Back);
  auto b = Busy(30, 20);
  TIEBitmap turned;
  Rotate90CounterClockwise(b.get(), &turned);
  RotateImage(&turned, true, -44, Back);
  EXPECT_EQ(a->Width(), turned.Width());
  EXPECT_EQ(a->Height(), turned.Height());
  EXPECT_EQ(Pixels(a.get()), Pixels(&turned));

  // 45 degrees grows the picture, keeps the centre and fills the corners.
  auto c = MakeRGB(21, 21, [](Integer, Integer) { return Grey(200); });
  RotateImage(c.get(), false, 45, Back);
  EXPECT_GT(c->Width(), 28);
  EXPECT_GT(c->Height(), 28);
  EXPECT_EQ(At(c.get(), 0, 0), Back);
  EXPECT_EQ(At(c.get(), c->Width() - 1, c->Height() - 1), Back);
  EXPECT_EQ(At(c.get(), c->Width() / 2, c->Height() / 2), Grey(200));
}

TEST(Rotate, CounterClockwiseSenseOfSmallAngles) {
  // A dot right of the centre moves up when turned by +30 degrees.
  auto pic = MakeRGB(41, 41, [](Integer x, Integer y) { return (x >= 34 && x <= 36 && y >= 19 && y <= 21) ? Grey(255) : Grey(0); });
  RotateImage(pic.get(), false, 30, Grey(0));
  Integer sumY = 0, n = 0, sumX = 0;
  for (Integer y = 0; y < pic->Height(); ++y)
    for (Integer x = 0; x < pic->Width(); ++x)
      if (At(pic.get(), x, y).Red == 255) {
        sumY += y;
        sumX += x;
        ++n;
      }
  ASSERT_GT(n, 0);
  EXPECT_LT(double(sumY) / n, pic->Height() / 2.0 - 3);
  EXPECT_GT(double(sumX) / n, pic->Width() / 2.0 + 3);
}

TEST(Rotate, BilevelExactRightAngleTransposesOtherAnglesCutTheirSine) {
  auto pic = MakeKind(20, 10, ipkBW1);
  PutBit(pic->GetRowPointer(2), 5, 1);
  TIEProgressRecord progress;
  RotateBilevel(pic.get(), false, 90, progress);
  ASSERT_EQ(pic->Width(), 10);
  ASSERT_EQ(pic->Height(), 20);
  // (x, y) = source (W - 1 - y, x): source (5, 2) lands at (2, 14).
  for (Integer y = 0; y < 20; ++y)
    for (Integer x = 0; x < 10; ++x) EXPECT_EQ(BitAt(pic.get(), x, y), x == 2 && y == 14) << x << "," << y;

  auto odd = MakeKind(20, 10, ipkBW1);
  RotateBilevel(odd.get(), true, 90.0001, progress);
  EXPECT_EQ(odd->Width(), 9);
  EXPECT_EQ(odd->Height(), 19);
}

TEST(Flip, BilevelAndColourRowsMirror) {
  auto bits = MakeKind(10, 2, ipkBW1);
  PutBit(bits->GetRowPointer(0), 9, 1);
  PutBit(bits->GetRowPointer(1), 0, 1);
  FlipImage(bits.get(), 0);
  EXPECT_TRUE(BitAt(bits.get(), 0, 0));
  EXPECT_FALSE(BitAt(bits.get(), 9, 0));
  EXPECT_TRUE(BitAt(bits.get(), 9, 1));
  FlipImage(bits.get(), 1);
  EXPECT_TRUE(BitAt(bits.get(), 9, 0));
  EXPECT_TRUE(BitAt(bits.get(), 0, 1));

  auto pic = Numbered(4, 3);
  FlipImage(pic.get(), 0);
  EXPECT_EQ(At(pic.get(), 0, 2), Rgb(3, 2, 7));
  FlipImage(pic.get(), 1);
  EXPECT_EQ(At(pic.get(), 0, 0), Rgb(3, 2, 7));

  auto grey = MakeKind(3, 1, ipkGray8);
  static_cast<Byte*>(grey->GetRowPointer(0))[0] = 9;
  FlipImage(grey.get(), 0);  // other kinds are left alone
  EXPECT_EQ(static_cast<Byte*>(grey->GetRowPointer(0))[0], 9);
}

TEST(Stretch, NearestReadsTruncatedSourcePositions) {
  auto src = Numbered(3, 3);
  auto dst = MakeRGB(2, 5, [](Integer, Integer) { return Grey(0); });
  StretchNearest(src.get(), dst.get());
  EXPECT_EQ(At(dst.get(), 0, 0), At(src.get(), 0, 0));
  EXPECT_EQ(At(dst.get(), 1, 0), At(src.get(), 1, 0));
  // rows: trunc(0.6 * j) = 0 0 1 1 2
  EXPECT_EQ(At(dst.get(), 1, 2), At(src.get(), 1, 1));
  EXPECT_EQ(At(dst.get(), 1, 4), At(src.get(), 1, 2));
}

TEST(Flip, MappedBufferMirrorsLikeAMemoryOne) {
  auto mem = Busy(37, 23);
  auto mapped = std::make_unique<TIEBitmap>();
  mapped->SetFileThreshold(1);
  mapped->CopyFromObject(mem.get());
  ASSERT_NE(mapped->MappedFile(), nullptr);
  for (Integer d : {0, 1}) {
    FlipImage(mem.get(), d);
    FlipImage(mapped.get(), d);
    EXPECT_EQ(Pixels(mem.get()), Pixels(mapped.get())) << d;
  }
}
