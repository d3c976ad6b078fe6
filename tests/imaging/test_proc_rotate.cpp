// Flips, quarter turns, rotation by any angle and the nearest stretch.
#include <gtest/gtest.h>

#include <set>

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
  // A mapped buffer is flipped in bands of about 1 MB through its file while its
  // view stays mapped: the view must show the flipped rows, over band
  // boundaries and with an odd middle row that stays.
  struct Case {
    const char* what;
    Integer w, h;
    TIEPixelKind kind;
  };
  const Case cases[] = {{"small", 37, 23, ipkRGB24},
                        {"wide: rows in three bands, halves in two, odd height", 20000, 301, ipkRGB24},
                        {"bilevel", 77, 31, ipkBW1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<TIEBitmap> mem;
    if (c.kind == ipkRGB24) {
      mem = Busy(c.w, c.h);
    } else {
      mem = MakeKind(c.w, c.h, ipkBW1);
      for (Integer y = 0; y < c.h; ++y)
        for (Integer x = 0; x < c.w; ++x) PutBit(mem->GetRowPointer(y), x, (x * 7 + y * y) % 5 == 0 ? 1 : 0);
    }
    auto mapped = std::make_unique<TIEBitmap>();
    mapped->SetFileThreshold(1);
    mapped->CopyFromObject(mem.get());
    ASSERT_EQ(mapped->Location(), islMappedFile);
    ASSERT_TRUE(mapped->MappedFile()->IsOpen());
    // Whole rows compared: one row request each (the tests map every request anew).
    const size_t used = c.kind == ipkRGB24 ? size_t(3) * c.w : size_t(c.w / 8);
    for (Integer d : {0, 1, 0}) {
      FlipImage(mem.get(), d);
      FlipImage(mapped.get(), d);
      Integer differ = 0;
      for (Integer y = 0; y < c.h; ++y) {
        const Byte* a = static_cast<const Byte*>(mem->GetRowPointer(y));
        const Byte* b = static_cast<const Byte*>(mapped->GetRowPointer(y));
        differ += std::memcmp(a, b, used) != 0;
        for (Integer x = Integer(used) * 8; c.kind == ipkBW1 && x < c.w; ++x) differ += TestBit(a, x) != TestBit(b, x);
      }
      EXPECT_EQ(differ, 0) << d;
    }
  }
}

namespace {

// Pixel k = y * W + x of every kind, recognisable after a turn: its value and
// its alpha both name k (alpha 10 + k, so never 255).
uint32_t ValueOf(TIEPixelKind Kind, Integer K) {
  switch (Kind) {
    case ipkBW1: return K % 2;
    case ipkGray8:
    case ipkPal8: return static_cast<uint32_t>(3 + 7 * K);
    case ipkGray16: return static_cast<uint32_t>(0x0101 * (3 + K) + 0x50);  // low byte varies too
    default: return static_cast<uint32_t>(0x010203 * (3 + K));
  }
}

uint32_t Read(TIEBitmap* B, Integer X, Integer Y) {
  const Byte* row = static_cast<const Byte*>(B->GetRowPointer(Y));
  switch (B->PixelKind()) {
    case ipkBW1: return TestBit(row, X) ? 1 : 0;
    case ipkGray8: return row[X];
    case ipkPal8: return TripleToCardinal(B->PaletteEntry(row[X]));
    case ipkGray16: return row[2 * X] | (row[2 * X + 1] << 8);
    default: return row[3 * X] | (row[3 * X + 1] << 8) | (row[3 * X + 2] << 16);
  }
}

std::unique_ptr<TIEBitmap> Labelled(TIEPixelKind Kind, Integer W, Integer H) {
  auto b = MakeKind(W, H, Kind);
  if (Kind == ipkPal8)
    for (Integer i = 0; i < 256; ++i) b->SetPaletteEntry(i, MakeColorTriple(Byte(i), Byte(i / 2), Byte(255 - i)));
  TIEBitmap* a = b->GetAlphaChannel();
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) {
      const Integer k = y * W + x;
      const uint32_t v = ValueOf(Kind, k);
      Byte* row = static_cast<Byte*>(b->GetRowPointer(y));
      switch (Kind) {
        case ipkBW1: PutBit(row, x, static_cast<Integer>(v)); break;
        case ipkGray8:
        case ipkPal8: row[x] = static_cast<Byte>(v); break;
        case ipkGray16:
          row[2 * x] = static_cast<Byte>(v);
          row[2 * x + 1] = static_cast<Byte>(v >> 8);
          break;
        default:
          row[3 * x] = static_cast<Byte>(v);
          row[3 * x + 1] = static_cast<Byte>(v >> 8);
          row[3 * x + 2] = static_cast<Byte>(v >> 16);
          break;
      }
      static_cast<Byte*>(a->GetRowPointer(y))[x] = static_cast<Byte>(10 + k);
    }
  a->SetAlphaFull(false);
  return b;
}

uint32_t Expected(TIEBitmap* Source, TIEPixelKind Kind, Integer K) {
  const Integer x = K % Source->Width(), y = K / Source->Width();
  return Kind == ipkPal8 ? TripleToCardinal(Source->PaletteEntry(static_cast<Byte*>(Source->GetRowPointer(y))[x]))
                         : ValueOf(Kind, K);
}

}  // namespace

TEST(Rotate, EveryKindKeepsItsValuesAndItsAlphaChannel) {
  const TIEPixelKind kinds[] = {ipkRGB24, ipkGray8, ipkGray16, ipkPal8, ipkBW1};
  const double angles[] = {90, -90, 30, -20, 200};
  for (TIEPixelKind kind : kinds)
    for (double angle : angles) {
      SCOPED_TRACE(::testing::Message() << "kind " << int(kind) << ", angle " << angle);
      const Integer W = 7, H = 4;
      auto source = Labelled(kind, W, H);
      auto pic = Labelled(kind, W, H);
      RotateImage(pic.get(), false, angle, Back);
      ASSERT_EQ(pic->PixelKind(), kind);
      ASSERT_TRUE(pic->HasAlphaChannel());
      TIEBitmap* alpha = pic->GetAlphaChannel();
      ASSERT_EQ(alpha->Width(), pic->Width());
      ASSERT_EQ(alpha->Height(), pic->Height());
      EXPECT_FALSE(alpha->AlphaFull());
      if (angle == 90 || angle == -90) {
        ASSERT_EQ(pic->Width(), H);
        ASSERT_EQ(pic->Height(), W);
      }
      // Every covered pixel carries the value of the source pixel its alpha names.
      Integer covered = 0;
      for (Integer y = 0; y < pic->Height(); ++y)
        for (Integer x = 0; x < pic->Width(); ++x) {
          const Integer a = static_cast<Byte*>(alpha->GetRowPointer(y))[x];
          if (a == 255) continue;  // uncovered: background, opaque
          ASSERT_GE(a, 10);
          ASSERT_LT(a, 10 + W * H);
          ++covered;
          ASSERT_EQ(Read(pic.get(), x, y), Expected(source.get(), kind, a - 10)) << x << "," << y;
        }
      EXPECT_GE(covered, W * H * 3 / 4);
      if (angle == 90 || angle == -90) {
        EXPECT_EQ(covered, W * H);
      }
    }
}

TEST(Rotate, AntialiasedGreyOf16BitsBlendsWholeValues) {
  // Two 16-bit values that share their high byte: blending them must give
  // values between them, not their shared high byte times 256.
  auto pic = MakeKind(12, 12, ipkGray16);
  for (Integer y = 0; y < 12; ++y)
    for (Integer x = 0; x < 12; ++x) {
      Byte* row = static_cast<Byte*>(pic->GetRowPointer(y));
      const uint16_t v = (x + y) % 2 ? 0x40F0 : 0x4010;
      row[2 * x] = static_cast<Byte>(v);
      row[2 * x + 1] = static_cast<Byte>(v >> 8);
    }
  RotateImage(pic.get(), true, 10, Grey(0x40));
  ASSERT_EQ(pic->PixelKind(), ipkGray16);
  const Integer cx = pic->Width() / 2, cy = pic->Height() / 2;
  std::set<uint32_t> values;
  uint32_t sum = 0;
  for (Integer y = cy - 2; y <= cy + 2; ++y)
    for (Integer x = cx - 2; x <= cx + 2; ++x) {
      const uint32_t v = Read(pic.get(), x, y);
      values.insert(v);
      sum += v;
    }
  // Blends of the two values (the shear weights may overshoot a little) average to their middle.
  EXPECT_GE(values.size(), 3u);
  EXPECT_NEAR(sum / 25.0, 0x4080, 0x30);
}

TEST(Flip, TopToBottomOverSeveralBandsOfRows) {
  // Rows of 300 KB: the flip works through bands of a few dozen rows, the
  // last band shorter, an odd middle row staying where it is.
  // A buffer in a mapped file is flipped band by band (the memory one row by row).
  for (Integer h : {61, 4})
    for (bool strict : {false, true}) {
    SetIEStrictRowViews(strict);
    auto mem = MakeRGB(100000, h, [](Integer x, Integer y) { return Rgb(static_cast<Byte>(x), static_cast<Byte>(y), 7); });
    auto pic = std::make_unique<TIEBitmap>();
    pic->SetFileThreshold(1);
    pic->CopyFromObject(mem.get());
    ASSERT_EQ(pic->Location(), islMappedFile);
    FlipImage(pic.get(), 1);
    for (Integer y = 0; y < h; ++y) {
      ASSERT_EQ(At(pic.get(), 0, y), Rgb(0, static_cast<Byte>(h - 1 - y), 7)) << h << " row " << y;
      ASSERT_EQ(At(pic.get(), 99999, y), Rgb(static_cast<Byte>(99999), static_cast<Byte>(h - 1 - y), 7)) << h << " row " << y;
    }
    SetIEStrictRowViews(false);
  }
}
