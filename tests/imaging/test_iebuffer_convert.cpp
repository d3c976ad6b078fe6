// Conversion of image buffers between every pair of pixel kinds, at every
// storage place.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "platform/Graphics.h"
#include "tests/imaging/iebuffer_util.h"

using namespace iebuf;

namespace {
const char* KindName(TIEPixelKind k) {
  static const char* names[] = {"None", "BW1", "Pal8", "Gray8", "Gray16", "RGB24"};
  return names[k];
}

// The palette of the ipkPal8 sources: black, red, white, (10, 20, 30).
void SourcePalette(TIEBitmap& b) {
  b.SetPaletteEntry(0, MakeColorTriple(0, 0, 0));
  b.SetPaletteEntry(1, MakeColorTriple(255, 0, 0));
  b.SetPaletteEntry(2, MakeColorTriple(255, 255, 255));
  b.SetPaletteEntry(3, MakeColorTriple(10, 20, 30));
  b.SetPaletteEntry(4, MakeColorTriple(128, 128, 128));
  b.SyncVCLPalette();
}

struct ConvertCase {
  TIEPixelKind from;
  std::vector<uint32_t> source;  // ipkPal8: indexes into SourcePalette
  TIEPixelKind to;
  std::vector<uint32_t> expected;  // ipkPal8: colours 0xRRGGBB
};

// One row of four pixels. Colours are 0xRRGGBB.
const ConvertCase kCases[] = {
    {ipkBW1, {0, 1, 1, 0}, ipkPal8, {0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000}},
    {ipkBW1, {0, 1, 1, 0}, ipkGray8, {0, 255, 255, 0}},
    {ipkBW1, {0, 1, 1, 0}, ipkGray16, {0, 65535, 65535, 0}},
    {ipkBW1, {0, 1, 1, 0}, ipkRGB24, {0, 0xFFFFFF, 0xFFFFFF, 0}},
    {ipkPal8, {0, 1, 2, 3}, ipkGray8, {0, 53, 255, 18}},
    {ipkPal8, {0, 1, 2, 3}, ipkGray16, {0, 13839, 65280, 4769}},
    {ipkPal8, {0, 1, 2, 3}, ipkRGB24, {0x000000, 0xFF0000, 0xFFFFFF, 0x0A141E}},
    {ipkGray8, {0, 1, 128, 255}, ipkPal8, {0x000000, 0x010101, 0x808080, 0xFFFFFF}},
    {ipkGray8, {0, 1, 128, 255}, ipkGray16, {0, 256, 32768, 65280}},
    {ipkGray8, {0, 1, 128, 255}, ipkRGB24, {0x000000, 0x010101, 0x808080, 0xFFFFFF}},
    {ipkGray16, {0, 0x12FF, 0x8000, 0xFFFF}, ipkGray8, {0, 0x12, 0x80, 0xFF}},
    {ipkGray16, {0, 0x12FF, 0x8000, 0xFFFF}, ipkPal8, {0x000000, 0x121212, 0x808080, 0xFFFFFF}},
    {ipkGray16, {0, 0x12FF, 0x8000, 0xFFFF}, ipkRGB24, {0x000000, 0x121212, 0x808080, 0xFFFFFF}},
    {ipkRGB24, {0x000000, 0xFF0000, 0xFFFFFF, 0x0A141E}, ipkGray8, {0, 53, 255, 18}},
    {ipkRGB24, {0x000000, 0xFF0000, 0xFFFFFF, 0x0A141E}, ipkGray16, {0, 13839, 65280, 4769}},
    {ipkRGB24, {0x000000, 0xFF0000, 0xFFFFFF, 0x0A141E}, ipkPal8, {0x000000, 0xFF0000, 0xFFFFFF, 0x0A141E}},
    // To one bit by the default method: threshold at the average luminance.
    {ipkPal8, {0, 2, 0, 2}, ipkBW1, {0, 1, 0, 1}},
    {ipkGray8, {0, 255, 0, 255}, ipkBW1, {0, 1, 0, 1}},
    {ipkGray16, {0, 65535, 0, 65535}, ipkBW1, {0, 1, 0, 1}},
    {ipkRGB24, {0, 0xFFFFFF, 0, 0xFFFFFF}, ipkBW1, {0, 1, 0, 1}},
};

void MakeSource(TIEBitmap& b, TIEStorageLocation p, const ConvertCase& c) {
  Place(b, p);
  b.AllocateImage(4, 1, c.from);
  if (c.from == ipkPal8) SourcePalette(b);
  for (Integer x = 0; x < 4; ++x) Set(b, x, 0, c.source[x]);
}
}  // namespace

class IEConvertPairs : public ::testing::TestWithParam<TIEStorageLocation> {};

TEST_P(IEConvertPairs, EveryPairOfKinds) {
  const TIEStorageLocation p = GetParam();
  DefaultThreshold small(p == islMappedFile ? 1 : 0);
  for (const ConvertCase& c : kCases) {
    // The platform bitmap has no 16-bit grey: such pictures live there as 8-bit grey.
    if (p == islVCLBitmap && (c.from == ipkGray16 || c.to == ipkGray16)) continue;
    SCOPED_TRACE(std::string(KindName(c.from)) + " to " + KindName(c.to));
    TIEBitmap b;
    MakeSource(b, p, c);
    b.GetAlphaChannel();
    b.ConvertToKind(c.to);
    EXPECT_EQ(b.PixelKind(), c.to);
    EXPECT_EQ(b.Width(), 4);
    EXPECT_EQ(b.Height(), 1);
    EXPECT_EQ(b.Location(), p);
    EXPECT_EQ(b.BitsPerPixel(), IEPixelKindBits[c.to]);
    EXPECT_EQ(b.RowLength(), static_cast<Integer>(AlignedRowLength(4, IEPixelKindBits[c.to])));
    EXPECT_EQ(b.PaletteCount(), c.to == ipkPal8 ? 256 : 0);
    EXPECT_EQ(Row(b, 0), c.expected);
    if (p != islVCLBitmap) {
      EXPECT_FALSE(b.HasAlphaChannel());
    }
    if (p == islVCLBitmap) {
      ASSERT_NE(b.VclBitmap(), nullptr);
      EXPECT_EQ(b.VclBitmap()->PixelFormat(),
                c.to == ipkBW1 ? pf1bit : (c.to == ipkRGB24 ? pf24bit : pf8bit));
      EXPECT_EQ(b.GetRowPointer(0), b.VclBitmap()->ScanLine(0));
    }
  }
}

TEST_P(IEConvertPairs, OrderedDitherGivesHalfOfEveryTile) {
  const TIEStorageLocation p = GetParam();
  DefaultThreshold small(p == islMappedFile ? 1 : 0);
  // Mid grey (level 128) in every kind that can hold it.
  struct Source {
    TIEPixelKind kind;
    uint32_t value;
  } sources[] = {{ipkGray8, 128}, {ipkGray16, 32768}, {ipkRGB24, 0x808080}, {ipkPal8, 4}};
  for (const auto& s : sources) {
    if (p == islVCLBitmap && s.kind == ipkGray16) continue;
    SCOPED_TRACE(KindName(s.kind));
    TIEBitmap b;
    Place(b, p);
    b.AllocateImage(16, 16, s.kind);
    if (s.kind == ipkPal8) SourcePalette(b);
    for (Integer y = 0; y < 16; ++y)
      for (Integer x = 0; x < 16; ++x) Set(b, x, y, s.value);
    b.SetBilevelMethod(0);
    b.ConvertToKind(ipkBW1);
    ASSERT_EQ(b.PixelKind(), ipkBW1);
    Integer white = 0;
    for (Integer y = 0; y < 16; ++y)
      for (Integer x = 0; x < 16; ++x) {
        const bool expected = IEDitherMatrix[x % 8][y % 8] < 32;
        EXPECT_EQ(Get(b, x, y), expected ? 1u : 0u) << x << "," << y;
        white += expected;
      }
    EXPECT_EQ(white, 128);
  }
}

TEST_P(IEConvertPairs, LargerPicturesKeepEveryRow) {
  // Round trips that lose nothing, on pictures of several rows with padding.
  const TIEStorageLocation p = GetParam();
  DefaultThreshold small(p == islMappedFile ? 1 : 0);
  struct Trip {
    TIEPixelKind from, via;
  } trips[] = {{ipkGray8, ipkRGB24}, {ipkGray8, ipkGray16}, {ipkBW1, ipkGray8}, {ipkBW1, ipkRGB24},
               {ipkGray8, ipkPal8},  {ipkBW1, ipkPal8},    {ipkPal8, ipkRGB24}};
  for (const auto& t : trips) {
    if (p == islVCLBitmap && t.via == ipkGray16) continue;
    SCOPED_TRACE(std::string(KindName(t.from)) + " via " + KindName(t.via));
    TIEBitmap b;
    MakePicture(b, p, 29, 13, t.from, 3);
    if (t.from == ipkPal8) {
      // At most 256 colours, so the way back through the quantiser is exact.
      for (Integer y = 0; y < 13; ++y)
        for (Integer x = 0; x < 29; ++x) Set(b, x, y, (x * 5 + y) % 40);
    }
    const auto before = Pixels(b);
    b.ConvertToKind(t.via);
    b.ConvertToKind(t.from == ipkPal8 ? ipkPal8 : t.from);
    if (t.from == ipkPal8) {
      EXPECT_EQ(Pixels(b), before);  // colours compared, not indexes
    } else {
      EXPECT_EQ(b.PixelKind(), t.from);
      EXPECT_EQ(Pixels(b), before);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Places, IEConvertPairs, ::testing::Values(islMemory, islMappedFile, islVCLBitmap),
                         [](const auto& info) { return std::string(PlaceName(info.param)); });

TEST(IEConvert, ToTheCurrentKindDoesNothing) {
  TIEBitmap b;
  MakePicture(b, islMemory, 5, 5, ipkRGB24);
  b.GetAlphaChannel();
  void* row = b.GetRowPointer(0);
  b.ConvertToKind(ipkRGB24);
  EXPECT_EQ(b.GetRowPointer(0), row);
  EXPECT_TRUE(b.HasAlphaChannel());
}

TEST(IEConvert, BilevelToPaletteHasBlackAndWhiteFirst) {
  TIEBitmap b;
  MakePicture(b, islMemory, 9, 3, ipkBW1);
  b.ConvertToKind(ipkPal8);
  EXPECT_EQ(b.PaletteEntry(0), MakeColorTriple(0, 0, 0));
  EXPECT_EQ(b.PaletteEntry(1), MakeColorTriple(255, 255, 255));
  for (Integer y = 0; y < 3; ++y)
    for (Integer x = 0; x < 9; ++x) EXPECT_LE(static_cast<Byte*>(b.GetRowPointer(y))[x], 1);
}

TEST(IEConvert, FromNoneAllocatesTheTarget) {
  TIEBitmap b;
  b.AllocateImage(6, 2, ipkNone);
  b.ConvertToKind(ipkRGB24);
  EXPECT_EQ(b.PixelKind(), ipkRGB24);
  EXPECT_EQ(b.RowLength(), 20);
  EXPECT_NE(b.GetRowPointer(1), nullptr);
}

TEST(IEConvert, BorrowedBitmapIsConvertedInPlace) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(8, 2);
  for (Integer y = 0; y < 2; ++y) std::memset(bmp.ScanLine(y), y == 0 ? 255 : 0, 24);
  TIEBitmap b;
  b.AttachTBitmap(&bmp, true);
  b.ConvertToKind(ipkBW1);
  EXPECT_EQ(b.VclBitmap(), &bmp);
  EXPECT_TRUE(b.Borrowed());
  EXPECT_EQ(bmp.PixelFormat(), pf1bit);
  EXPECT_EQ(static_cast<Byte*>(bmp.ScanLine(0))[0], 0xFF);
  EXPECT_EQ(static_cast<Byte*>(bmp.ScanLine(1))[0], 0x00);
  b.ConvertToKind(ipkRGB24);
  EXPECT_EQ(bmp.PixelFormat(), pf24bit);
  EXPECT_EQ(Row(b, 0), std::vector<uint32_t>(8, 0xFFFFFF));
  EXPECT_EQ(Row(b, 1), std::vector<uint32_t>(8, 0));
}
