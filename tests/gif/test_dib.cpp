// DIB row access: the reader over a bitmap and the writer's own packed DIB.
#include <gtest/gtest.h>

#include <vector>

#include "gif/GIFDIB.h"
#include "gif/GIFImage.h"
#include "tests/gif/gif_test_util.h"

using giftest::MessageOf;

namespace {

HPALETTE SixteenColors() {
  std::vector<Byte> mem(sizeof(LOGPALETTE) + 16 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 16;
  for (Integer i = 0; i < 16; ++i) lp->palPalEntry[i] = {Byte(i * 16), Byte(255 - i), Byte(i * 3), PC_NOCOLLAPSE};
  return ::CreatePalette(lp);
}

}  // namespace

TEST(DIBWriter, RefusesFormatsSizesAndRowsItCannotHold) {
  TBitmap bmp;
  EXPECT_EQ(MessageOf<GIFException>([&] { TDIBWriter w(&bmp, pf16bit, 4, 4, nullptr); }), "Unsupported PixelFormat");
  EXPECT_EQ(MessageOf<GIFException>([&] { TDIBWriter w(&bmp, pf32bit, 4, 4, nullptr); }), "Unsupported PixelFormat");
  EXPECT_EQ(MessageOf<GIFException>([&] { TDIBWriter w(&bmp, pf8bit, 0, 4, nullptr); }), "Invalid image dimensions");
  EXPECT_EQ(MessageOf<GIFException>([&] { TDIBWriter w(&bmp, pf24bit, 4, 0, nullptr); }), "Invalid image dimensions");
  EXPECT_EQ(MessageOf<GIFException>([&] { TDIBWriter w(&bmp, pf24bit, -3, 4, nullptr); }), "Invalid image dimensions");

  TDIBWriter w(&bmp, pf8bit, 5, 3, nullptr);
  EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { w.RowAddress(-1); }), "Scan line index out of range");
  EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { w.RowAddress(3); }), "Scan line index out of range");
  EXPECT_NE(w.RowAddress(2), nullptr);
}

TEST(DIBWriter, SizesBeyondABitmapFileFailWithAClearError) {
  TBitmap bmp;
  TDIBWriter w(&bmp, pf24bit, 0x7FFFFFFF / 3, 4, nullptr);
  EXPECT_EQ(MessageOf<EOutOfMemory>([&] { w.RowAddress(0); }), "Failed to allocate memory for GIF DIB");
  EXPECT_EQ(w.Header(), nullptr);
}

TEST(DIBWriter, EightBitHeaderCarriesThePaletteAsQuads) {
  HPALETTE pal = SixteenColors();
  TBitmap bmp;
  TDIBWriter w(&bmp, pf8bit, 7, 2, pal);
  w.RowAddress(0);
  const BITMAPINFOHEADER* h = w.Header();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->biSize, 40u);
  EXPECT_EQ(h->biWidth, 7);
  EXPECT_EQ(h->biHeight, 2);
  EXPECT_EQ(h->biBitCount, 8);
  EXPECT_EQ(h->biClrUsed, 256u);
  EXPECT_EQ(h->biClrImportant, 16u);
  const RGBQUAD* t = w.ColorTable();
  for (Integer i = 0; i < 16; ++i) {
    EXPECT_EQ(t[i].rgbRed, i * 16);
    EXPECT_EQ(t[i].rgbGreen, 255 - i);
    EXPECT_EQ(t[i].rgbBlue, i * 3);
    EXPECT_EQ(t[i].rgbReserved, 0);
  }
  for (Integer i = 16; i < 256; ++i) EXPECT_EQ(t[i].rgbRed | t[i].rgbGreen | t[i].rgbBlue, 0);
  ::DeleteObject(pal);

  TDIBWriter none(&bmp, pf8bit, 7, 2, nullptr);
  none.RowAddress(0);
  EXPECT_EQ(none.Header()->biClrImportant, 0u);
  TDIBWriter rgb(&bmp, pf24bit, 7, 2, nullptr);
  rgb.RowAddress(0);
  EXPECT_EQ(rgb.Header()->biClrUsed, 0u);
  EXPECT_EQ(rgb.Header()->biBitCount, 24);
}

TEST(DIBWriter, RowsAreKeptBottomUpWithAlignedStride) {
  TBitmap bmp;
  TDIBWriter w(&bmp, pf24bit, 5, 4, nullptr);  // 15 bytes -> stride 16
  auto* r0 = static_cast<Byte*>(w.RowAddress(0));
  auto* r3 = static_cast<Byte*>(w.RowAddress(3));
  EXPECT_EQ(r0 - r3, 3 * 16);
  EXPECT_EQ(static_cast<Byte*>(w.RowAddress(2)) - r3, 16);
  EXPECT_EQ(TDIBWriter::RowStride(5, 8), 8);
  EXPECT_EQ(TDIBWriter::RowStride(4, 8), 4);
  EXPECT_EQ(TDIBWriter::RowStride(1, 24), 4);
}

TEST(DIBWriter, StoresItsRowsAndColourTableIntoTheBitmap) {
  HPALETTE pal = SixteenColors();
  TBitmap bmp;
  {
    TDIBWriter w(&bmp, pf8bit, 3, 2, pal);
    auto* top = static_cast<Byte*>(w.RowAddress(0));
    auto* bottom = static_cast<Byte*>(w.RowAddress(1));
    top[0] = 1, top[1] = 2, top[2] = 3;
    bottom[0] = 15, bottom[1] = 14, bottom[2] = 13;
    w.StoreIntoBitmap();
  }
  ::DeleteObject(pal);
  ASSERT_EQ(bmp.Width(), 3);
  ASSERT_EQ(bmp.Height(), 2);
  EXPECT_EQ(bmp.PixelFormat(), pf8bit);
  auto* row0 = static_cast<Byte*>(bmp.ScanLine(0));
  auto* row1 = static_cast<Byte*>(bmp.ScanLine(1));
  EXPECT_EQ((std::vector<Byte>(row0, row0 + 3)), (std::vector<Byte>{1, 2, 3}));
  EXPECT_EQ((std::vector<Byte>(row1, row1 + 3)), (std::vector<Byte>{15, 14, 13}));
  RGBQUAD q[256];
  ASSERT_GE(::GetDIBColorTable(bmp.Canvas()->Handle(), 0, 256, q), 16u);
  EXPECT_EQ(q[15].rgbRed, 240);
  EXPECT_EQ(q[15].rgbGreen, 240);

  // Without an explicit store the destructor stores.
  TBitmap rgb;
  {
    TDIBWriter w(&rgb, pf24bit, 2, 1, nullptr);
    auto* p = static_cast<Byte*>(w.RowAddress(0));
    p[0] = 10, p[1] = 20, p[2] = 30, p[3] = 40, p[4] = 50, p[5] = 60;
  }
  ASSERT_EQ(rgb.PixelFormat(), pf24bit);
  auto* p = static_cast<Byte*>(rgb.ScanLine(0));
  EXPECT_EQ((std::vector<Byte>(p, p + 6)), (std::vector<Byte>{10, 20, 30, 40, 50, 60}));
}

TEST(DIBReader, ConvertsTheBitmapAndReadsItsRows) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf32bit);
  bmp.SetSize(2, 2);
  bmp.Canvas()->SetPixels(1, 0, TColor(0x302010));  // red 0x10, green 0x20, blue 0x30
  TDIBReader reader(&bmp, pf24bit);
  EXPECT_EQ(bmp.PixelFormat(), pf24bit);
  auto* row = static_cast<Byte*>(reader.RowAddress(0));
  EXPECT_EQ(row[3], 0x30);
  EXPECT_EQ(row[4], 0x20);
  EXPECT_EQ(row[5], 0x10);
  EXPECT_THROW(reader.RowAddress(2), EInvalidGraphicOperation);
}
