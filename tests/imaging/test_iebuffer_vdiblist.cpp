// The virtual DIB list: images in blocks of one growing mapped file.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "platform/Graphics.h"
#include "tests/imaging/iebuffer_util.h"

using namespace iebuf;

TEST(IEVirtualDIBList, BlocksAndHeaders) {
  TIEVirtualDIBList list;
  EXPECT_TRUE(list.MappedFile()->IsOpen());
  EXPECT_EQ(list.FileSize(), 65536u);
  TIEVirtualImage* a = list.AddBlank(10, 10, 24);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->DataSize, 48u + 32u * 10u);
  EXPECT_EQ(a->BlockSize, 65536u);
  EXPECT_EQ(a->Offset, 0u);
  EXPECT_EQ(a->SourceWidth, 10);
  BITMAPINFOHEADER* h = list.ImageHeader(a);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->biSize, 40u);
  EXPECT_EQ(h->biWidth, 10);
  EXPECT_EQ(h->biHeight, 10);
  EXPECT_EQ(h->biPlanes, 1);
  EXPECT_EQ(h->biBitCount, 24);
  const Byte* colours = reinterpret_cast<const Byte*>(h) + 40;
  EXPECT_EQ(std::vector<Byte>(colours, colours + 8), (std::vector<Byte>{0, 0, 0, 0, 255, 255, 255, 0}));
  EXPECT_EQ(list.ImageBits(a), reinterpret_cast<Byte*>(h) + 48);
  TIEVirtualImage* b = list.AddBlank(300, 300, 24);  // 270,048 bytes: five granules
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Offset, 65536u);
  EXPECT_EQ(b->BlockSize, 5u * 65536u);
  EXPECT_GE(list.FileSize(), 6u * 65536u);
  list.SetSourceWidth(b, 1234);
  EXPECT_EQ(b->SourceWidth, 1234);
  EXPECT_EQ(list.ImageWidth(b), 300);
}

TEST(IEVirtualDIBList, PicturesSurviveStorage) {
  TIEVirtualDIBList list;
  std::vector<std::unique_ptr<TIEBitmap>> pics;
  std::vector<TIEVirtualImage*> ims;
  const TIEPixelKind kinds[] = {ipkRGB24, ipkBW1, ipkGray8};
  for (int i = 0; i < 15; ++i) {
    auto p = std::make_unique<TIEBitmap>();
    MakePicture(*p, i % 2 ? islMappedFile : islMemory, 7 + i, 5 + i % 3, kinds[i % 3], i);
    ims.push_back(list.AddImage(p.get()));
    ASSERT_NE(ims.back(), nullptr);
    if (p->PixelKind() == ipkGray8) p->ConvertToKind(ipkRGB24);  // stored as 24 bits
    pics.push_back(std::move(p));
  }
  EXPECT_LE(list.MappedViewCount(), 10);
  for (int i = 14; i >= 0; --i) {
    SCOPED_TRACE(i);
    TBitmap* bmp = list.CheckOutBitmap(ims[i]);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->PixelFormat(), pics[i]->PixelKind() == ipkBW1 ? pf1bit : pf24bit);
    TIEBitmap view;
    view.AttachTBitmap(bmp, true);
    EXPECT_EQ(Pixels(view), Pixels(*pics[i]));
    EXPECT_EQ(list.ImageBitCount(ims[i]), pics[i]->BitsPerPixel());
    list.ReleaseBitmap(bmp, false);
  }
  EXPECT_LE(list.MappedViewCount(), 10);
}

TEST(IEVirtualDIBList, LeastRecentlyUsedViewGoesFirst) {
  TIEVirtualDIBList list;
  // A large image grows the step; once it is gone the file has room for eleven
  // small images, so no growth (which unmaps every view) happens below.
  list.DeleteImage(list.AddBlank(1000, 250, 24));
  EXPECT_EQ(list.FileSize(), 12u * 65536u);
  std::vector<TIEVirtualImage*> ims;
  for (int i = 0; i < 10; ++i) ims.push_back(list.AddBlank(4, 4, 24));
  EXPECT_EQ(list.MappedViewCount(), 10);
  list.ImageWidth(ims[0]);  // image 0 becomes the most recently used
  TIEVirtualImage* eleventh = list.AddBlank(4, 4, 24);
  ASSERT_NE(eleventh, nullptr);
  EXPECT_EQ(list.MappedViewCount(), 10);
  EXPECT_NE(ims[0]->View, nullptr);
  EXPECT_EQ(ims[1]->View, nullptr);
  EXPECT_NE(ims[2]->View, nullptr);
  // Unmapped images are mapped again on demand.
  EXPECT_EQ(list.ImageHeight(ims[1]), 4);
  EXPECT_NE(ims[1]->View, nullptr);
  list.SetMaxMappedViews(3);
  list.ImageWidth(ims[5]);
  EXPECT_LE(list.MappedViewCount(), 3);
}

TEST(IEVirtualDIBList, FreedBlocksAreReused) {
  TIEVirtualDIBList list;
  TIEVirtualImage* a = list.AddBlank(100, 100, 24);  // 1 granule
  TIEVirtualImage* b = list.AddBlank(200, 200, 24);  // 2 granules
  TIEVirtualImage* c = list.AddBlank(10, 10, 24);
  ASSERT_TRUE(a && b && c);
  const uint64_t bOffset = b->Offset, end = list.EndOffset();
  list.DeleteImage(b);
  TIEVirtualImage* smaller = list.AddBlank(50, 50, 24);
  EXPECT_EQ(smaller->Offset, bOffset);  // first fit
  EXPECT_EQ(list.EndOffset(), end);
  list.DeleteImage(smaller);
  TIEVirtualImage* larger = list.AddBlank(300, 300, 24);
  EXPECT_EQ(larger->Offset, end);  // appended
  list.DeleteImage(a);
  list.DeleteImage(c);
  list.DeleteImage(larger);
  EXPECT_EQ(list.ImageCount(), 0);
  EXPECT_EQ(list.EndOffset(), 0u);
  LARGE_INTEGER size{};
  HANDLE f = ::CreateFileW(Utf8ToWide(list.MappedFile()->FileName()).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
  if (f != INVALID_HANDLE_VALUE) {
    ::GetFileSizeEx(f, &size);
    ::CloseHandle(f);
    EXPECT_EQ(static_cast<uint64_t>(size.QuadPart), list.FileSize());
  }
  TIEVirtualImage* next = list.AddBlank(3, 3, 1);
  EXPECT_EQ(next->Offset, 0u);
}

TEST(IEVirtualDIBList, CheckOutIsCountedAndWritesBack) {
  TIEVirtualDIBList list;
  TIEBitmap pic;
  MakePicture(pic, islMemory, 6, 4, ipkRGB24);
  TIEVirtualImage* im = list.AddImage(&pic);
  TBitmap* b1 = list.CheckOutBitmap(im);
  TBitmap* b2 = list.CheckOutBitmap(im);
  EXPECT_EQ(b1, b2);
  EXPECT_TRUE(im->CheckedOut);
  // While checked out, the queries describe the bitmap.
  b1->SetSize(8, 4);
  EXPECT_EQ(list.ImageWidth(im), 8);
  EXPECT_EQ(list.ImageHeader(im)->biWidth, 8);
  EXPECT_EQ(list.ImageBits(im), b1->ScanLine(3));
  b1->SetSize(6, 4);
  Encode(ipkRGB24, static_cast<Byte*>(b1->ScanLine(2)), 5, 0xABCDEF);
  list.ReleaseBitmap(b1, true);
  EXPECT_TRUE(im->CheckedOut);
  list.ReleaseBitmapOf(im, false);
  EXPECT_FALSE(im->CheckedOut);
  list.ReleaseBitmap(b1, false);  // no longer known: ignored
  TBitmap* again = list.CheckOutBitmap(im);
  TIEBitmap view;
  view.AttachTBitmap(again, true);
  EXPECT_EQ(Get(view, 5, 2), 0xABCDEFu);
  EXPECT_EQ(Get(view, 0, 0), Get(pic, 0, 0));
  list.ReleaseBitmap(again, false);
}

TEST(IEVirtualDIBList, WritingAnotherSizeMovesTheImage) {
  TIEVirtualDIBList list;
  TIEVirtualImage* a = list.AddBlank(5, 5, 24);
  TIEVirtualImage* b = list.AddBlank(5, 5, 24);
  list.SetSourceWidth(a, 77);
  const uint64_t old = a->Offset;
  TBitmap bmp;
  bmp.SetPixelFormat(pf1bit);
  bmp.SetSize(40, 30);
  std::memset(bmp.ScanLine(29), 0x5A, 8);
  list.WriteFromBitmap(a, &bmp);
  EXPECT_NE(a->Offset, old);
  EXPECT_GT(a->Offset, b->Offset);
  EXPECT_EQ(list.ImageWidth(a), 40);
  EXPECT_EQ(list.ImageBitCount(a), 1);
  EXPECT_EQ(a->SourceWidth, 77);
  TBitmap back;
  list.ReadIntoBitmap(a, &back);
  EXPECT_EQ(back.PixelFormat(), pf1bit);
  EXPECT_EQ(back.Height(), 30);
  EXPECT_EQ(static_cast<Byte*>(back.ScanLine(29))[3], 0x5A);
}

TEST(IEVirtualDIBList, ClearListAndStartAgain) {
  TIEVirtualDIBList list;
  TIEVirtualImage* a = list.AddBlank(5, 5, 24);
  list.CheckOutBitmap(a);
  const std::string name = list.MappedFile()->FileName();
  list.ClearList();
  EXPECT_EQ(list.ImageCount(), 0);
  EXPECT_FALSE(list.MappedFile()->IsOpen());
  EXPECT_EQ(::GetFileAttributesW(Utf8ToWide(name).c_str()), INVALID_FILE_ATTRIBUTES);
  TIEVirtualImage* b = list.AddBlank(5, 5, 24);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(list.ImageWidth(b), 5);
}

TEST(IEVirtualDIBList, BlocksKeepTheirDepthAndPalette) {
  // Bitmaps of every depth written into blocks come back with the same
  // format, rows and (for palette depths) colours.
  struct Case {
    TPixelFormat format;
    Integer bits;
  };
  const Case cases[] = {{pf4bit, 4}, {pf8bit, 8}, {pf16bit, 16}, {pf24bit, 24}, {pf32bit, 32}};
  TIEVirtualDIBList list;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    const Integer w = 7, h = 5;
    TBitmap bmp;
    bmp.SetPixelFormat(c.format);
    bmp.SetSize(w, h);
    if (c.bits <= 8) {
      std::vector<PALETTEENTRY> pal(size_t(1) << c.bits);
      for (size_t i = 0; i < pal.size(); ++i) pal[i] = PALETTEENTRY{Byte(i * 3), Byte(200 - i), Byte(i * 7 + 1), 0};
      bmp.SetPalette(CreatePaletteFromEntries(pal));
    }
    const size_t rl = AlignedRowLength(w, c.bits);
    for (Integer y = 0; y < h; ++y) {
      Byte* row = static_cast<Byte*>(bmp.ScanLine(y));
      for (size_t i = 0; i < rl; ++i) row[i] = static_cast<Byte>(i * 31 + y * 17 + c.bits);
    }
    TIEVirtualImage* im = list.AddBlank(3, 3, 24);
    ASSERT_NE(im, nullptr);
    list.WriteFromBitmap(im, &bmp);
    EXPECT_EQ(list.ImageBitCount(im), c.bits);
    TBitmap back;
    list.ReadIntoBitmap(im, &back);
    ASSERT_EQ(back.PixelFormat(), c.format);
    ASSERT_EQ(back.Width(), w);
    ASSERT_EQ(back.Height(), h);
    for (Integer y = 0; y < h; ++y)
      EXPECT_EQ(std::memcmp(back.ScanLine(y), bmp.ScanLine(y), rl), 0) << "row " << y;
    if (c.bits <= 8) {
      std::vector<PALETTEENTRY> want(size_t(1) << c.bits), got(want.size());
      ::GetPaletteEntries(bmp.Palette(), 0, static_cast<UINT>(want.size()), want.data());
      ASSERT_EQ(::GetPaletteEntries(back.Palette(), 0, static_cast<UINT>(got.size()), got.data()), got.size());
      for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].peRed, want[i].peRed) << i;
        EXPECT_EQ(got[i].peGreen, want[i].peGreen) << i;
        EXPECT_EQ(got[i].peBlue, want[i].peBlue) << i;
      }
      // The block is a whole DIB: header, colour table, then the rows.
      EXPECT_EQ(static_cast<Byte*>(list.ImageBits(im)), reinterpret_cast<Byte*>(list.ImageHeader(im)) + 40 + 4 * want.size());
    }
    // Checked out, the image is a bitmap of its own depth too.
    TBitmap* out = list.CheckOutBitmap(im);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->PixelFormat(), c.format);
    EXPECT_EQ(std::memcmp(out->ScanLine(2), bmp.ScanLine(2), rl), 0);
    list.ReleaseBitmap(out, false);
  }
  // A blank 8-bit block starts with a grey ramp.
  TIEVirtualImage* blank = list.AddBlank(4, 4, 8);
  TBitmap grey;
  list.ReadIntoBitmap(blank, &grey);
  PALETTEENTRY e[256];
  ASSERT_EQ(::GetPaletteEntries(grey.Palette(), 0, 256, e), 256u);
  EXPECT_EQ(e[0].peRed, 0);
  EXPECT_EQ(e[128].peGreen, 128);
  EXPECT_EQ(e[255].peBlue, 255);
}
