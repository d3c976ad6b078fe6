// Painting an image buffer zoomed onto a 24-bit platform bitmap.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/buffer/zezivori.h"
#include "platform/Graphics.h"
#include "tests/imaging/iebuffer_util.h"

using namespace iebuf;

namespace {
// A 24-bit destination filled with one colour (0xRRGGBB).
std::unique_ptr<TBitmap> Canvas(Integer w, Integer h, uint32_t rgb) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  for (Integer y = 0; y < h; ++y) {
    Byte* r = static_cast<Byte*>(b->ScanLine(y));
    for (Integer x = 0; x < w; ++x) Encode(ipkRGB24, r, x, rgb);
  }
  return b;
}

uint32_t At(TBitmap& b, Integer x, Integer y) {
  const Byte* r = static_cast<const Byte*>(b.ScanLine(y));
  return (uint32_t(r[3 * x + 2]) << 16) | (uint32_t(r[3 * x + 1]) << 8) | r[3 * x];
}

void Render(TIEBitmap& src, TBitmap& dst, Integer dx, Integer dy, Integer dw, Integer dh, Integer sx, Integer sy,
            Integer sw, Integer sh, bool alpha = false, bool repeat = false, Integer opacity = 255,
            TResampleFilter f = rfNone, const TRect* clip = nullptr) {
  src.RenderZoomed(&dst, nullptr, nullptr, nullptr, clip, dx, dy, dw, dh, sx, sy, sw, sh, alpha, repeat, opacity, f);
}
}  // namespace

class IERender : public ::testing::TestWithParam<TIEStorageLocation> {
 protected:
  void SetUp() override { small_ = std::make_unique<DefaultThreshold>(GetParam() == islMappedFile ? 1 : 0); }
  void TearDown() override { small_.reset(); }
  std::unique_ptr<DefaultThreshold> small_;
};

TEST_P(IERender, OneToOneCopiesTheSourceBytes) {
  TIEBitmap src;
  MakePicture(src, GetParam(), 10, 8, ipkRGB24, 3);
  auto dst = Canvas(12, 12, 0x123456);
  Render(src, *dst, 2, 3, 6, 4, 1, 2, 6, 4);
  for (Integer y = 0; y < 12; ++y)
    for (Integer x = 0; x < 12; ++x) {
      const bool inside = x >= 2 && x < 8 && y >= 3 && y < 7;
      ASSERT_EQ(At(*dst, x, y), inside ? Get(src, x - 2 + 1, y - 3 + 2) : 0x123456u) << x << "," << y;
    }
}

TEST_P(IERender, NearestPixelEnlargement) {
  TIEBitmap src;
  Place(src, GetParam());
  src.AllocateImage(2, 2, ipkRGB24);
  Set(src, 0, 0, 0x110000);
  Set(src, 1, 0, 0x002200);
  Set(src, 0, 1, 0x000033);
  Set(src, 1, 1, 0x444444);
  auto dst = Canvas(4, 4, 0);
  Render(src, *dst, 0, 0, 4, 4, 0, 0, 2, 2);
  const uint32_t expected[4][4] = {{0x110000, 0x110000, 0x002200, 0x002200},
                                   {0x110000, 0x110000, 0x002200, 0x002200},
                                   {0x000033, 0x000033, 0x444444, 0x444444},
                                   {0x000033, 0x000033, 0x444444, 0x444444}};
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 4; ++x) EXPECT_EQ(At(*dst, x, y), expected[y][x]) << x << "," << y;
}

TEST_P(IERender, OpacityAndAlphaBlend) {
  TIEBitmap src;
  Place(src, GetParam());
  src.AllocateImage(4, 2, ipkRGB24);
  src.FillWith(0xFFFFFF);
  auto dst = Canvas(4, 2, 0);
  Render(src, *dst, 0, 0, 4, 2, 0, 0, 4, 2, false, false, 128);
  EXPECT_EQ(At(*dst, 3, 1), 0x7F7F7Fu);

  // Alpha by pixel, limited by the opacity.
  TIEBitmap* a = src.GetAlphaChannel();
  Set(*a, 1, 0, 0);
  Set(*a, 2, 0, 64);
  a->SetAlphaFull(false);
  dst = Canvas(4, 2, 0);
  Render(src, *dst, 0, 0, 4, 2, 0, 0, 4, 2, true, false, 255);
  EXPECT_EQ(At(*dst, 0, 0), 0xFEFEFEu);  // 255 blends to 254
  EXPECT_EQ(At(*dst, 1, 0), 0u);
  EXPECT_EQ(At(*dst, 2, 0), 0x3F3F3Fu);
  dst = Canvas(4, 2, 0);
  Render(src, *dst, 0, 0, 4, 2, 0, 0, 4, 2, true, false, 32);
  EXPECT_EQ(At(*dst, 2, 0), 0x1F1F1Fu);
  // Without use-alpha the channel is ignored.
  dst = Canvas(4, 2, 0);
  Render(src, *dst, 0, 0, 4, 2, 0, 0, 4, 2, false, false, 255);
  EXPECT_EQ(At(*dst, 1, 0), 0xFFFFFFu);
  // A full alpha channel is ignored even with use-alpha.
  a->SetAlphaFull(true);
  dst = Canvas(4, 2, 0);
  Render(src, *dst, 0, 0, 4, 2, 0, 0, 4, 2, true, false, 255);
  EXPECT_EQ(At(*dst, 1, 0), 0xFFFFFFu);
}

TEST_P(IERender, BilevelPaintsBlackAndWhite) {
  TIEBitmap src;
  Place(src, GetParam());
  src.AllocateImage(3, 1, ipkBW1);
  src.FillWith(0);
  Set(src, 1, 0, 1);
  auto dst = Canvas(6, 2, 0x808080);
  Render(src, *dst, 0, 0, 6, 2, 0, 0, 3, 1);
  EXPECT_EQ(At(*dst, 0, 1), 0u);
  EXPECT_EQ(At(*dst, 2, 0), 0xFFFFFFu);
  EXPECT_EQ(At(*dst, 3, 1), 0xFFFFFFu);
  EXPECT_EQ(At(*dst, 5, 0), 0u);
  dst = Canvas(3, 1, 0);
  Render(src, *dst, 0, 0, 3, 1, 0, 0, 3, 1, false, false, 128);
  EXPECT_EQ(At(*dst, 1, 0), 0x7F7F7Fu);
  EXPECT_EQ(At(*dst, 0, 0), 0u);
}

TEST_P(IERender, RepeatedRowsAreCopiedWhole) {
  TIEBitmap src;
  MakePicture(src, GetParam(), 3, 2, ipkRGB24, 5);
  auto dst = Canvas(5, 4, 0);
  // Columns 3 and 4 lie outside the painted area; a distinct value per row there.
  for (Integer y = 0; y < 4; ++y) Encode(ipkRGB24, static_cast<Byte*>(dst->ScanLine(y)), 4, 0x100 * (y + 1));
  Render(src, *dst, 0, 0, 3, 4, 0, 0, 3, 2, false, true);
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 3; ++x) EXPECT_EQ(At(*dst, x, y), Get(src, x, y / 2));
  EXPECT_EQ(At(*dst, 4, 0), 0x100u);
  EXPECT_EQ(At(*dst, 4, 1), 0x100u);  // copied from the row above
  EXPECT_EQ(At(*dst, 4, 2), 0x300u);
  EXPECT_EQ(At(*dst, 4, 3), 0x300u);
}

TEST_P(IERender, ClipAndKindLimits) {
  TIEBitmap src;
  MakePicture(src, GetParam(), 4, 4, ipkRGB24);
  auto dst = Canvas(8, 8, 0x010203);
  const TRect away{20, 20, 30, 30};
  Render(src, *dst, 0, 0, 8, 8, 0, 0, 4, 4, false, false, 255, rfNone, &away);
  const TRect part{2, 3, 4, 3};  // inclusive: columns 2..4 of row 3
  Render(src, *dst, 0, 0, 8, 8, 0, 0, 4, 4, false, false, 255, rfNone, &part);
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x) {
      const bool painted = y == 3 && x >= 2 && x <= 4;
      ASSERT_EQ(At(*dst, x, y), painted ? Get(src, x / 2, y / 2) : 0x010203u) << x << "," << y;
    }
  // A destination placed partly outside the bitmap paints only what is inside.
  Render(src, *dst, -2, -2, 4, 4, 0, 0, 4, 4);
  EXPECT_EQ(At(*dst, 0, 0), Get(src, 2, 2));
  EXPECT_EQ(At(*dst, 2, 0), 0x010203u);
  TIEBitmap grey;
  MakePicture(grey, GetParam(), 4, 4, ipkGray8);
  auto d2 = Canvas(4, 4, 0x010203);
  Render(grey, *d2, 0, 0, 4, 4, 0, 0, 4, 4);
  Render(grey, *d2, 0, 0, 4, 4, 0, 0, 2, 2, false, false, 255, rfTriangle);
  EXPECT_EQ(At(*d2, 1, 1), 0x010203u);
  Render(src, *d2, 0, 0, 0, 4, 0, 0, 4, 4);
  EXPECT_EQ(At(*d2, 0, 0), 0x010203u);
}

TEST_P(IERender, FilteredScalingOfAUniformPicture) {
  TIEBitmap src;
  Place(src, GetParam());
  src.AllocateImage(6, 6, ipkRGB24);
  src.FillWith(0x336699);
  TIEBitmap* a = src.GetAlphaChannel();
  a->FillWith(128);
  auto dst = Canvas(12, 12, 0);
  Render(src, *dst, 0, 0, 12, 12, 0, 0, 6, 6, true, false, 255, rfTriangle);
  // Every pixel is the colour (TColor 0x336699: red 0x99) blended at alpha 128 over black.
  for (Integer y = 0; y < 12; ++y)
    for (Integer x = 0; x < 12; ++x) ASSERT_EQ(At(*dst, x, y), 0x4C3319u) << x << "," << y;
  // A one-bit picture shrunk with a filter gives grey levels.
  TIEBitmap bw;
  Place(bw, GetParam());
  bw.AllocateImage(8, 8, ipkBW1);
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x) Set(bw, x, y, (x + y) & 1);
  auto d2 = Canvas(4, 4, 0);
  Render(bw, *d2, 0, 0, 4, 4, 0, 0, 8, 8, false, false, 255, rfTriangle);
  const uint32_t v = At(*d2, 1, 1);
  EXPECT_EQ(v & 0xFF, (v >> 8) & 0xFF);
  EXPECT_GT(v & 0xFF, 60u);
  EXPECT_LT(v & 0xFF, 200u);
}

INSTANTIATE_TEST_SUITE_P(Places, IERender, ::testing::Values(islMemory, islMappedFile, islVCLBitmap),
                         [](const auto& info) { return std::string(PlaceName(info.param)); });

TEST(IERenderMaps, CallerMapsAndRowsAreUsed) {
  TIEBitmap src;
  MakePicture(src, islMemory, 4, 1, ipkRGB24);
  auto dst = Canvas(4, 1, 0);
  const Integer cols[4] = {3, 2, 1, 0};  // mirrored
  const Integer rows[1] = {0};
  std::vector<Byte*> table{static_cast<Byte*>(dst->ScanLine(0))};
  src.RenderZoomed(dst.get(), table.data(), cols, rows, nullptr, 0, 0, 4, 1, 0, 0, 4, 1, false, false, 200, rfNone);
  // With opacity below 255 the maps are used; the mirror shows.
  const uint32_t s0 = Get(src, 0, 0), s3 = Get(src, 3, 0);
  auto blend = [](uint32_t s) {
    uint32_t r = 0;
    for (int k = 0; k < 3; ++k) r |= ((((s >> (8 * k)) & 0xFF) * 200) >> 8) << (8 * k);
    return r;
  };
  EXPECT_EQ(At(*dst, 0, 0), blend(s3));
  EXPECT_EQ(At(*dst, 3, 0), blend(s0));
}

TEST(IEDrawDib, OpenDrawClose) {
  HANDLE h = DrawDibOpenHandle();
  ASSERT_NE(h, nullptr);
  auto dst = Canvas(4, 4, 0);
  struct {
    BITMAPINFOHEADER h;
  } info{};
  info.h.biSize = sizeof(BITMAPINFOHEADER);
  info.h.biWidth = 2;
  info.h.biHeight = 2;
  info.h.biPlanes = 1;
  info.h.biBitCount = 24;
  Byte bits[16] = {};
  for (int i = 0; i < 6; ++i) bits[i] = 255;
  for (int i = 8; i < 14; ++i) bits[i] = 255;
  DrawDibDrawRect(h, dst->Canvas()->Handle(), 0, 0, 2, 2, &info.h, bits, 0, 0, 2, 2, 0);
  DrawDibRealizePalette(h, dst->Canvas()->Handle(), false);
  ::GdiFlush();
  EXPECT_EQ(At(*dst, 1, 1), 0xFFFFFFu);
  EXPECT_TRUE(DrawDibCloseHandle(h));
}
