// Image buffer copies, resizing, canvas resizing, blits, fills, single pixels
// and the exchange with masks, at every storage place.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "platform/Graphics.h"
#include "tests/imaging/iebuffer_util.h"

using namespace iebuf;

namespace {
const TIEPixelKind kKinds[] = {ipkBW1, ipkPal8, ipkGray8, ipkGray16, ipkRGB24};
const char* KindName(TIEPixelKind k) {
  static const char* names[] = {"None", "BW1", "Pal8", "Gray8", "Gray16", "RGB24"};
  return names[k];
}
// Kinds a platform bitmap keeps as they are.
bool Holds(TIEStorageLocation p, TIEPixelKind k) { return p != islVCLBitmap || k != ipkGray16; }
}  // namespace

class IECopyPlaces : public ::testing::TestWithParam<TIEStorageLocation> {
 protected:
  void SetUp() override { small_ = std::make_unique<DefaultThreshold>(GetParam() == islMappedFile ? 1 : 0); }
  void TearDown() override { small_.reset(); }
  std::unique_ptr<DefaultThreshold> small_;
};

TEST_P(IECopyPlaces, CopyFromObjectTakesPixelsPaletteAndAlpha) {
  const TIEStorageLocation p = GetParam();
  for (TIEStorageLocation srcPlace : {islMemory, islMappedFile, islVCLBitmap}) {
    for (TIEPixelKind k : kKinds) {
      if (!Holds(p, k) || !Holds(srcPlace, k)) continue;
      SCOPED_TRACE(std::string(PlaceName(srcPlace)) + " " + KindName(k));
      TIEBitmap src, dst;
      MakePicture(src, srcPlace, 23, 7, k, 9);
      src.SetBilevelMethod(0);
      TIEBitmap* a = src.GetAlphaChannel();
      Set(*a, 3, 4, 17);
      a->SetAlphaFull(false);
      Place(dst, p);
      dst.CopyFromObject(&src);
      EXPECT_EQ(dst.PixelKind(), k);
      EXPECT_EQ(dst.Width(), 23);
      EXPECT_EQ(Pixels(dst), Pixels(src));
      EXPECT_EQ(dst.BilevelMethod(), 0);
      ASSERT_TRUE(dst.HasAlphaChannel());
      EXPECT_EQ(Get(*dst.GetAlphaChannel(), 3, 4), 17u);
      EXPECT_EQ(Get(*dst.GetAlphaChannel(), 4, 4), 255u);
      if (k == ipkPal8) {
        EXPECT_EQ(dst.PaletteEntry(200), src.PaletteEntry(200));
      }

      TIEBitmap plain;
      Place(plain, p);
      plain.CopyPixelsFrom(&src);
      EXPECT_EQ(Pixels(plain), Pixels(src));
      EXPECT_FALSE(plain.HasAlphaChannel());
      EXPECT_EQ(plain.BilevelMethod(), 1);
      EXPECT_FALSE(plain.AlphaFull());
    }
  }
}

TEST_P(IECopyPlaces, CopyWithoutAlphaLeavesNoAlpha) {
  TIEBitmap src, dst;
  MakePicture(src, islMemory, 5, 5, ipkRGB24);
  MakePicture(dst, GetParam(), 3, 3, ipkRGB24);
  dst.GetAlphaChannel();
  dst.CopyFromObject(&src);
  EXPECT_FALSE(dst.HasAlphaChannel());
}

TEST_P(IECopyPlaces, ResizeWidthKeepsTheLeftColumns) {
  for (TIEPixelKind k : kKinds) {
    if (!Holds(GetParam(), k)) continue;
    SCOPED_TRACE(KindName(k));
    TIEBitmap b;
    MakePicture(b, GetParam(), 10, 10, k, 4);
    const auto before = Pixels(b);
    const TIEColorTriple pal7 = b.PaletteEntry(7);
    b.GetAlphaChannel();
    Set(*b.GetAlphaChannel(), 2, 2, 9);
    b.ResizeWidth(5);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.RowLength(), static_cast<Integer>(AlignedRowLength(5, IEPixelKindBits[k])));
    for (Integer y = 0; y < 10; ++y)
      for (Integer x = 0; x < 5; ++x) ASSERT_EQ(Get(b, x, y), before[y * 10 + x]) << x << "," << y;
    ASSERT_TRUE(b.HasAlphaChannel());
    EXPECT_EQ(b.GetAlphaChannel()->Width(), 5);
    EXPECT_EQ(Get(*b.GetAlphaChannel(), 2, 2), 9u);
    b.ResizeWidth(10);
    for (Integer y = 0; y < 10; ++y)
      for (Integer x = 0; x < 5; ++x) ASSERT_EQ(Get(b, x, y), before[y * 10 + x]);
    b.ResizeHeight(3);
    EXPECT_EQ(b.Height(), 3);
    for (Integer y = 0; y < 3; ++y)
      for (Integer x = 0; x < 5; ++x) ASSERT_EQ(Get(b, x, y), before[y * 10 + x]);
    EXPECT_EQ(b.GetAlphaChannel()->Height(), 3);
    if (k == ipkPal8) {
      EXPECT_EQ(b.PaletteEntry(7), pal7);
    }
  }
}

TEST_P(IECopyPlaces, ResizeCanvasPlacesThePicture) {
  struct Case {
    Integer w, h, W, H, hp, vp, fill;
    std::vector<std::string> expected;  // one string per row: '0' fill, else the source column as a letter
  } cases[] = {
      {4, 4, 8, 8, 1, 1, 0, {"00000000", "00000000", "00abcd00", "00abcd00", "00abcd00", "00abcd00", "00000000",
                            "00000000"}},
      {8, 4, 4, 8, 1, 1, 0, {"0000", "0000", "cdef", "cdef", "cdef", "cdef", "0000", "0000"}},
      {4, 2, 6, 3, 2, 2, 0, {"000000", "00abcd", "00abcd"}},
      {4, 2, 6, 3, 0, 0, 0, {"abcd00", "abcd00", "000000"}},
      {6, 3, 3, 2, 2, 2, 0, {"def", "def"}},
      {4, 2, 6, 3, 7, 7, 0, {"abcd00", "abcd00", "000000"}},  // unknown placement: top-left
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + "->" + std::to_string(c.W) + "x" +
                 std::to_string(c.H) + " " + std::to_string(c.hp));
    TIEBitmap b;
    Place(b, GetParam());
    b.AllocateImage(c.w, c.h, ipkGray8);
    for (Integer y = 0; y < c.h; ++y)
      for (Integer x = 0; x < c.w; ++x) Set(b, x, y, 'a' + x);
    b.GetAlphaChannel();
    b.ResizeCanvas(c.W, c.H, c.fill, 0, c.hp, c.vp);
    ASSERT_EQ(b.Width(), c.W);
    ASSERT_EQ(b.Height(), c.H);
    for (Integer y = 0; y < c.H; ++y) {
      std::string row;
      for (Integer x = 0; x < c.W; ++x) {
        const uint32_t v = Get(b, x, y);
        row += v == 0 ? '0' : static_cast<char>(v);
      }
      EXPECT_EQ(row, c.expected[y]) << "row " << y;
      // The alpha channel moves along: opaque where the picture is, 0 elsewhere.
      for (Integer x = 0; x < c.W; ++x)
        EXPECT_EQ(Get(*b.GetAlphaChannel(), x, y), c.expected[y][x] == '0' ? 0u : 255u) << x << "," << y;
    }
  }
}

TEST_P(IECopyPlaces, BlitClipsToBothBuffers) {
  struct Case {
    Integer srcX, srcY, dstX, dstY, w, h;
  } cases[] = {{0, 0, 0, 0, 5, 5}, {2, 1, -3, 0, 6, 3}, {0, 0, 4, 4, 10, 10}, {0, 0, 8, 0, 4, 2},
               {9, 0, 0, 0, 3, 3}, {0, 0, 0, -1, 3, 3}};
  for (TIEPixelKind k : kKinds) {
    if (!Holds(GetParam(), k)) continue;
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(KindName(k)) + " " + std::to_string(c.dstX) + "," + std::to_string(c.srcX));
      TIEBitmap src, dst;
      MakePicture(src, GetParam(), 10, 6, k, 2);
      MakePicture(dst, GetParam(), 7, 6, k, 8);
      const auto s = Pixels(src);
      auto expected = Pixels(dst);
      // Reference: every destination pixel that the clipped rectangle covers.
      for (Integer y = 0; y < c.h; ++y)
        for (Integer x = 0; x < c.w; ++x) {
          const Integer sx = c.srcX + x, sy = c.srcY + y, dx = c.dstX + x, dy = c.dstY + y;
          if (sx < 0 || sy < 0 || sx >= 10 || sy >= 6 || dx < 0 || dy < 0 || dx >= 7 || dy >= 6) continue;
          expected[dy * 7 + dx] = s[sy * 10 + sx];
        }
      src.BlitTo(&dst, c.srcX, c.srcY, c.dstX, c.dstY, c.w, c.h);
      // Pixels of palette pictures compare by colour; both use the same pattern palette.
      EXPECT_EQ(Pixels(dst), expected);
    }
  }
}

TEST_P(IECopyPlaces, BlitBetweenKindsDoesNothing) {
  TIEBitmap a, b;
  MakePicture(a, GetParam(), 4, 4, ipkRGB24);
  MakePicture(b, GetParam(), 4, 4, ipkGray8);
  const auto before = Pixels(b);
  a.BlitTo(&b, 0, 0, 0, 0, 4, 4);
  EXPECT_EQ(Pixels(b), before);
}

TEST_P(IECopyPlaces, MoveBlockMovesAndFills) {
  for (TIEPixelKind k : {ipkBW1, ipkGray8, ipkRGB24}) {
    SCOPED_TRACE(KindName(k));
    TIEBitmap b;
    MakePicture(b, GetParam(), 12, 9, k, 6);
    const auto before = Pixels(b);
    b.MoveBlock(1, 2, 4, 5, 6, 3, 0);
    for (Integer y = 0; y < 9; ++y)
      for (Integer x = 0; x < 12; ++x) {
        uint32_t e = before[y * 12 + x];
        if (x >= 1 && x <= 4 && y >= 2 && y <= 5) e = 0;
        if (x >= 6 && x <= 9 && y >= 3 && y <= 6) e = before[(y - 1) * 12 + (x - 5)];
        ASSERT_EQ(Get(b, x, y), e) << x << "," << y;
      }
  }
}

TEST_P(IECopyPlaces, FillsByKind) {
  struct Case {
    TIEPixelKind k;
    Integer value;
    uint32_t pixel;
    bool full;
  } cases[] = {{ipkBW1, 1, 1, true},          {ipkBW1, 0, 0, false},        {ipkGray8, 255, 255, true},
               {ipkGray8, 254, 254, false},   {ipkPal8, 255, 0, true},      {ipkGray16, 65535, 65535, true},
               {ipkGray16, 0x1234, 0x1234, false}, {ipkRGB24, 0xFFFFFF, 0xFFFFFF, true},
               {ipkRGB24, 0x0000FF, 0xFF0000, false}};
  for (const auto& c : cases) {
    if (!Holds(GetParam(), c.k)) continue;
    SCOPED_TRACE(std::string(KindName(c.k)) + " " + std::to_string(c.value));
    TIEBitmap b;
    MakePicture(b, GetParam(), 11, 3, c.k);
    if (c.k == ipkPal8) {
      b.SetPaletteEntry(255, MakeColorTriple(0, 0, 0));
      b.SetPaletteEntry(0, MakeColorTriple(0, 0, 0));
    }
    b.FillWith(c.value);
    EXPECT_EQ(b.AlphaFull(), c.full);
    for (uint32_t v : Pixels(b)) ASSERT_EQ(v, c.pixel);
    b.FillRect(2, 1, 4, 2, 0);
    EXPECT_EQ(b.AlphaFull(), c.full);  // FillRect leaves the flag
    for (Integer y = 0; y < 3; ++y)
      for (Integer x = 0; x < 11; ++x)
        ASSERT_EQ(Get(b, x, y), (x >= 2 && x <= 4 && y >= 1) ? 0u : c.pixel);
  }
  // A system colour is resolved before filling.
  TIEBitmap rgb;
  MakePicture(rgb, GetParam(), 2, 2, ipkRGB24);
  rgb.FillWith(clBtnFace);
  const DWORD face = ::GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(Get(rgb, 1, 1), (uint32_t(GetRValue(face)) << 16) | (GetGValue(face) << 8) | GetBValue(face));
}

TEST_P(IECopyPlaces, PixelAsTripleByKind) {
  TIEBitmap b;
  for (TIEPixelKind k : kKinds) {
    if (!Holds(GetParam(), k)) continue;
    Place(b, GetParam());
    b.AllocateImage(3, 1, k);
    if (k == ipkPal8) b.SetPaletteEntry(5, MakeColorTriple(1, 2, 3));
    const uint32_t v[] = {0, 1, 0, 5, 200, 0x12FF, 0x010203};
    switch (k) {
      case ipkBW1: Set(b, 1, 0, 1); EXPECT_EQ(b.PixelAsTriple(1, 0), MakeColorTriple(255, 255, 255)); break;
      case ipkPal8: Set(b, 1, 0, v[3]); EXPECT_EQ(b.PixelAsTriple(1, 0), MakeColorTriple(1, 2, 3)); break;
      case ipkGray8: Set(b, 1, 0, v[4]); EXPECT_EQ(b.PixelAsTriple(1, 0), MakeColorTriple(200, 200, 200)); break;
      case ipkGray16: Set(b, 1, 0, v[5]); EXPECT_EQ(b.PixelAsTriple(1, 0), MakeColorTriple(0x12, 0x12, 0x12)); break;
      default: Set(b, 1, 0, v[6]); EXPECT_EQ(b.PixelAsTriple(1, 0), MakeColorTriple(1, 2, 3)); break;
    }
  }
  const TIEColorTriple keep = MakeColorTriple(9, 9, 9);
  EXPECT_EQ(b.PaletteEntry(300, keep), keep);
}

TEST_P(IECopyPlaces, MaskExchange) {
  TIEMask m;
  m.AllocateMask(13, 5, 8);
  m.SetPixelValue(3, 2, 200);
  m.FillMask(255);
  m.SetPixelValue(4, 1, 7);
  TIEBitmap b;
  Place(b, GetParam());
  b.CopyFromMask(&m);
  EXPECT_EQ(b.PixelKind(), ipkGray8);
  EXPECT_EQ(Get(b, 4, 1), 7u);
  EXPECT_EQ(Get(b, 0, 0), 255u);
  EXPECT_FALSE(b.AlphaFull());
  TIEMask back;
  b.CopyToMask(&back);
  EXPECT_EQ(back.BitsPerPixel(), 8);
  EXPECT_EQ(back.GetPixelValue(4, 1), 7);
  EXPECT_TRUE(back.IsEmpty());

  TIEMask one;
  one.AllocateMask(10, 4, 1);
  one.SetPixelValue(9, 3, 1);
  b.CopyFromMask(&one);
  EXPECT_EQ(b.PixelKind(), ipkBW1);
  EXPECT_EQ(Get(b, 9, 3), 1u);
  EXPECT_EQ(Get(b, 8, 3), 0u);
  b.CopyToMask(&back);
  EXPECT_EQ(back.BitsPerPixel(), 1);
  EXPECT_TRUE(back.IsPixelSet(9, 3));

  b.AllocateImage(3, 3, ipkGray8);
  b.CopyFromMask(nullptr);
  EXPECT_TRUE(b.AlphaFull());
  EXPECT_EQ(Get(b, 2, 2), 255u);
  TIEMask none;
  TIEBitmap rgb;
  MakePicture(rgb, GetParam(), 2, 2, ipkRGB24);
  rgb.CopyToMask(&none);
  EXPECT_EQ(none.Width(), 0);
}

INSTANTIATE_TEST_SUITE_P(Places, IECopyPlaces, ::testing::Values(islMemory, islMappedFile, islVCLBitmap),
                         [](const auto& info) { return std::string(PlaceName(info.param)); });

TEST(IECopy, AlphaFillFlag) {
  auto a = TIEBitmap::CreateAlphaChannel(4, 4, islVCLBitmap);
  EXPECT_EQ(a->Location(), islMemory);
  EXPECT_TRUE(a->AlphaFull());
  a->FillWith(254);
  EXPECT_FALSE(a->AlphaFull());
  a->FillWith(255);
  EXPECT_TRUE(a->AlphaFull());
}

TEST(IECopy, CopyIntoPlatformBitmapFromGray16KeepsHighBytes) {
  TIEBitmap src, dst;
  Place(src, islMemory);
  src.AllocateImage(3, 2, ipkGray16);
  Set(src, 0, 0, 0x12FF);
  Set(src, 2, 1, 0xAB00);
  dst.SetLocation(islVCLBitmap);
  dst.CopyFromObject(&src);
  EXPECT_EQ(dst.PixelKind(), ipkGray8);
  EXPECT_EQ(Get(dst, 0, 0), 0x12u);
  EXPECT_EQ(Get(dst, 2, 1), 0xABu);
}
