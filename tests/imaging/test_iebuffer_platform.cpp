// Exchange with platform bitmaps (attach, import, export, palettes), DIB
// sections and scratch bitmaps.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "platform/Graphics.h"
#include "tests/imaging/iebuffer_util.h"

using namespace iebuf;

namespace {
void SetBitmapPalette(TBitmap& b, const std::vector<PALETTEENTRY>& e) { b.SetPalette(CreatePaletteFromEntries(e)); }

std::unique_ptr<TBitmap> MakeBitmap(TPixelFormat f, Integer w, Integer h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(f);
  b->SetSize(w, h);
  for (Integer y = 0; y < h; ++y) std::memset(b->ScanLine(y), 0, AlignedRowLengthOfFormat(w, f == pf15bit ? pf16bit : f));
  return b;
}
}  // namespace

class IEImport : public ::testing::TestWithParam<TIEStorageLocation> {};

TEST_P(IEImport, EveryPixelFormat) {
  DefaultThreshold small(GetParam() == islMappedFile ? 1 : 0);
  // 16 bits: 0xFFFF gives (248, 252, 248); 0x8000 gives red 128.
  {
    auto bmp = MakeBitmap(pf16bit, 3, 1);
    Byte* r = static_cast<Byte*>(bmp->ScanLine(0));
    r[0] = 0xFF, r[1] = 0xFF, r[2] = 0x00, r[3] = 0x80, r[4] = 0x1F, r[5] = 0x00;
    TIEBitmap b;
    Place(b, GetParam());
    b.ImportFromTBitmap(bmp.get());
    if (GetParam() != islVCLBitmap) {
      EXPECT_EQ(b.PixelKind(), ipkRGB24);
      EXPECT_EQ(Row(b, 0), (std::vector<uint32_t>{0xF8FCF8, 0x800000, 0x0000F8}));
    } else {
      // On a platform bitmap the picture is widened to 24 bits by the platform.
      EXPECT_EQ(b.PixelKind(), ipkRGB24);
      EXPECT_EQ(b.VclBitmap()->PixelFormat(), pf24bit);
      EXPECT_NE(b.VclBitmap(), bmp.get());
    }
  }
  if (GetParam() == islVCLBitmap) return;
  {
    auto bmp = MakeBitmap(pf15bit, 2, 1);
    Byte* r = static_cast<Byte*>(bmp->ScanLine(0));
    r[0] = 0xFF, r[1] = 0x7F, r[2] = 0x00, r[3] = 0x40;  // white; red 128
    TIEBitmap b;
    Place(b, GetParam());
    b.ImportFromTBitmap(bmp.get());
    EXPECT_EQ(Row(b, 0), (std::vector<uint32_t>{0xF8F8F8, 0x800000}));
  }
  {
    auto bmp = MakeBitmap(pf4bit, 3, 1);
    std::vector<PALETTEENTRY> pal(16);
    for (int i = 0; i < 16; ++i) pal[i] = PALETTEENTRY{Byte(i * 16), Byte(i), Byte(255 - i), 0};
    SetBitmapPalette(*bmp, pal);
    Byte* r = static_cast<Byte*>(bmp->ScanLine(0));
    r[0] = 0x12, r[1] = 0x30;
    TIEBitmap b;
    Place(b, GetParam());
    b.ImportFromTBitmap(bmp.get());
    EXPECT_EQ(b.PixelKind(), ipkPal8);
    const Byte* row = static_cast<const Byte*>(b.GetRowPointer(0));
    EXPECT_EQ(std::vector<Byte>(row, row + 3), (std::vector<Byte>{1, 2, 3}));
    EXPECT_EQ(b.PaletteEntry(3), MakeColorTriple(48, 3, 252));
  }
  {
    auto bmp = MakeBitmap(pf32bit, 2, 2);
    Byte* r = static_cast<Byte*>(bmp->ScanLine(1));
    r[4] = 1, r[5] = 2, r[6] = 3, r[7] = 99;
    TIEBitmap b;
    Place(b, GetParam());
    b.ImportFromTBitmap(bmp.get());
    EXPECT_EQ(Get(b, 1, 1), 0x030201u);
  }
  {
    auto bmp = MakeBitmap(pf8bit, 5, 2);
    std::vector<PALETTEENTRY> pal(256, PALETTEENTRY{0, 0, 0, 0});
    pal[200] = PALETTEENTRY{10, 20, 30, 0};
    SetBitmapPalette(*bmp, pal);
    static_cast<Byte*>(bmp->ScanLine(1))[4] = 200;
    TIEBitmap b;
    Place(b, GetParam());
    b.ImportFromTBitmap(bmp.get());
    EXPECT_EQ(b.PixelKind(), ipkPal8);
    EXPECT_EQ(Get(b, 4, 1), 0x0A141Eu);
  }
  {
    // A two-colour bitmap that is not black and white becomes a palette picture.
    auto bmp = MakeBitmap(pf1bit, 10, 1);
    SetBitmapPalette(*bmp, {{255, 0, 0, 0}, {0, 0, 255, 0}});
    static_cast<Byte*>(bmp->ScanLine(0))[1] = 0x40;  // pixel 9
    TIEBitmap b;
    Place(b, GetParam());
    b.ImportFromTBitmap(bmp.get());
    EXPECT_EQ(b.PixelKind(), ipkPal8);
    EXPECT_EQ(Get(b, 9, 0), 0x0000FFu);
    EXPECT_EQ(Get(b, 8, 0), 0xFF0000u);
    SetBitmapPalette(*bmp, {{0, 0, 0, 0}, {255, 255, 255, 0}});
    b.ImportFromTBitmap(bmp.get());
    EXPECT_EQ(b.PixelKind(), ipkBW1);
    EXPECT_EQ(Get(b, 9, 0), 1u);
  }
}

TEST_P(IEImport, ExportThenImportGivesThePicture) {
  DefaultThreshold small(GetParam() == islMappedFile ? 1 : 0);
  for (TIEPixelKind k : {ipkBW1, ipkPal8, ipkGray8, ipkRGB24}) {
    TIEBitmap src;
    MakePicture(src, GetParam(), 19, 6, k, 11);
    TBitmap bmp;
    src.ExportToTBitmap(&bmp);
    EXPECT_EQ(bmp.Width(), 19);
    EXPECT_EQ(bmp.PixelFormat(), k == ipkBW1 ? pf1bit : (k == ipkRGB24 ? pf24bit : pf8bit));
    TIEBitmap back;
    Place(back, islMemory);
    back.ImportFromTBitmap(&bmp);
    // Grey comes back as a palette picture of a grey ramp: the same levels.
    auto expected = Pixels(src);
    if (k == ipkGray8)
      for (auto& v : expected) v = v * 0x010101;
    EXPECT_EQ(Pixels(back), expected) << int(k);
  }
}

INSTANTIATE_TEST_SUITE_P(Places, IEImport, ::testing::Values(islMemory, islMappedFile, islVCLBitmap),
                         [](const auto& info) { return std::string(PlaceName(info.param)); });

TEST(IEExport, KindsGiveTheirFormats) {
  TIEBitmap g16;
  Place(g16, islMemory);
  g16.AllocateImage(2, 1, ipkGray16);
  Set(g16, 0, 0, 0x12FF);
  TBitmap bmp;
  g16.ExportToTBitmap(&bmp);
  EXPECT_EQ(bmp.PixelFormat(), pf8bit);
  EXPECT_EQ(static_cast<Byte*>(bmp.ScanLine(0))[0], 0x12);
  PALETTEENTRY e[256];
  ASSERT_EQ(::GetPaletteEntries(bmp.Palette(), 0, 256, e), 256u);
  EXPECT_EQ(e[0x12].peRed, 0x12);
  EXPECT_EQ(e[0x12].peBlue, 0x12);

  TIEBitmap bw;
  Place(bw, islMemory);
  bw.AllocateImage(9, 2, ipkBW1);
  bw.FillWith(0);
  bw.ExportToTBitmap(&bmp);
  EXPECT_EQ(bmp.PixelFormat(), pf1bit);
  EXPECT_TRUE(bmp.Monochrome());
  ASSERT_EQ(::GetPaletteEntries(bmp.Palette(), 0, 2, e), 2u);
  EXPECT_EQ(e[0].peRed, 0);
  EXPECT_EQ(e[1].peGreen, 255);
  EXPECT_EQ(bmp.Canvas()->Pixels(3, 1), clBlack);
}

TEST(IEAttach, WorksOnTheBitmapInPlace) {
  auto bmp = MakeBitmap(pf24bit, 6, 4);
  TIEBitmap b;
  b.AttachTBitmap(bmp.get(), true);
  EXPECT_EQ(b.Location(), islVCLBitmap);
  EXPECT_TRUE(b.Borrowed());
  EXPECT_EQ(b.PixelKind(), ipkRGB24);
  EXPECT_EQ(b.GetRowPointer(2), bmp->ScanLine(2));
  Set(b, 5, 3, 0x00FF00);
  EXPECT_EQ(bmp->Canvas()->Pixels(5, 3), clLime);
  // The owner resizes its bitmap; attaching again picks up the new size.
  bmp->SetSize(9, 7);
  b.AttachTBitmap(bmp.get(), false);
  EXPECT_EQ(b.Width(), 9);
  EXPECT_EQ(b.Height(), 7);
  EXPECT_EQ(b.RowLength(), 28);
  EXPECT_EQ(b.GetRowPointer(6), bmp->ScanLine(6));
  // A reader filling the attached buffer reshapes the owner's bitmap.
  b.AllocateImage(3, 2, ipkBW1);
  EXPECT_EQ(b.VclBitmap(), bmp.get());
  EXPECT_EQ(bmp->PixelFormat(), pf1bit);
  EXPECT_EQ(bmp->Width(), 3);
  b.FreeImage();
  EXPECT_EQ(b.VclBitmap(), nullptr);
  EXPECT_EQ(bmp->Width(), 3);  // never freed by the buffer
  auto mono = MakeBitmap(pf1bit, 12, 2);
  b.AttachTBitmap(mono.get(), true);
  EXPECT_EQ(b.PixelKind(), ipkBW1);
  EXPECT_EQ(b.RowLength(), 4);
  b.AttachTBitmap(nullptr, true);
  EXPECT_EQ(b.Width(), 0);
}

TEST(IEAttach, BitmapsOfOtherDepthsAreLeftAsTheyWere) {
  // 4, 8, 16 and 32 bits: the buffer reads the picture, the caller's bitmap
  // keeps its format and its bytes.
  for (TPixelFormat f : {pf4bit, pf8bit, pf16bit, pf32bit}) {
    SCOPED_TRACE(static_cast<int>(f));
    auto bmp = MakeBitmap(f, 6, 3);
    if (f == pf4bit || f == pf8bit) {
      std::vector<PALETTEENTRY> pal(f == pf4bit ? 16 : 256);
      for (size_t i = 0; i < pal.size(); ++i) pal[i] = PALETTEENTRY{Byte(i * 15), Byte(255 - i * 9), Byte(i * 5), 0};
      bmp->SetPalette(CreatePaletteFromEntries(pal));
    }
    const size_t rl = AlignedRowLengthOfFormat(6, f);
    for (Integer y = 0; y < 3; ++y) {
      Byte* row = static_cast<Byte*>(bmp->ScanLine(y));
      for (size_t i = 0; i < rl; ++i) row[i] = static_cast<Byte>(i * 37 + y * 11 + 5);
    }
    std::vector<std::vector<Byte>> before;
    for (Integer y = 0; y < 3; ++y) {
      const Byte* row = static_cast<const Byte*>(bmp->ScanLine(y));
      before.emplace_back(row, row + rl);
    }
    for (bool releaseFirst : {true, false}) {
      TIEBitmap b;
      b.AttachTBitmap(bmp.get(), releaseFirst);
      EXPECT_EQ(bmp->PixelFormat(), f);
      for (Integer y = 0; y < 3; ++y)
        EXPECT_EQ(std::memcmp(bmp->ScanLine(y), before[y].data(), rl), 0) << "row " << y;
      ASSERT_EQ(b.PixelKind(), ipkRGB24);
      ASSERT_EQ(b.Width(), 6);
      ASSERT_EQ(b.Height(), 3);
      EXPECT_NE(b.VclBitmap(), bmp.get());
      for (Integer y = 0; y < 3; ++y)
        for (Integer x = 0; x < 6; ++x) {
          const TColor c = bmp->Canvas()->Pixels(x, y);
          const uint32_t want = (uint32_t(c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
          ASSERT_EQ(Get(b, x, y), want) << x << "," << y;
        }
      // Changing the buffer changes only its copy.
      Set(b, 0, 0, 0x123456);
      EXPECT_EQ(std::memcmp(bmp->ScanLine(0), before[0].data(), rl), 0);
    }
  }
}

TEST(IEAttach, PaletteFollowsToThePlatformBitmap) {
  TIEBitmap b;
  b.SetLocation(islVCLBitmap);
  b.AllocateImage(4, 4, ipkPal8);
  b.SetPaletteEntry(7, MakeColorTriple(1, 2, 3));
  b.SyncVCLPalette();
  PALETTEENTRY e[8];
  ASSERT_EQ(::GetPaletteEntries(b.VclBitmap()->Palette(), 0, 8, e), 8u);
  EXPECT_EQ(e[7].peRed, 1);
  EXPECT_EQ(e[7].peGreen, 2);
  EXPECT_EQ(e[7].peBlue, 3);
  Set(b, 0, 0, 7);
  EXPECT_EQ(b.VclBitmap()->Canvas()->Pixels(0, 0), TColor(0x030201));
}

TEST(IEDib, SectionAndCopies) {
  TIEDibbitmap d;
  d.AllocateImage(5, 3, ipkGray8);  // not a DIB kind: nothing
  EXPECT_EQ(d.GetWidth(), 0);
  EXPECT_EQ(d.Bits(), nullptr);
  d.AllocateDIB(5, 3, 24);
  ASSERT_NE(d.Bits(), nullptr);
  ASSERT_NE(d.DC(), nullptr);
  EXPECT_EQ(d.GetPixelKind(), ipkRGB24);
  EXPECT_EQ(d.GetRowLength(), 16);
  // Drawing into its device context lands in the rows (bottom-up).
  ::SetPixel(d.DC(), 4, 0, RGB(10, 20, 30));
  ::GdiFlush();
  const Byte* top = static_cast<const Byte*>(d.GetRowPointer(0));
  EXPECT_EQ(top[12], 30);
  EXPECT_EQ(top[14], 10);
  EXPECT_EQ(static_cast<const Byte*>(d.GetRowPointer(2)), d.Bits());
  for (TIEStorageLocation p : {islMemory, islMappedFile, islVCLBitmap}) {
    TIEBitmap b;
    Place(b, p);
    b.CopyFromDibbitmap(&d);
    EXPECT_EQ(b.PixelKind(), ipkRGB24);
    EXPECT_EQ(Get(b, 4, 0), 0x0A141Eu) << PlaceName(p);
  }
  TIEDibbitmap copy;
  copy.CopyFromObject(&d);
  EXPECT_EQ(static_cast<const Byte*>(copy.GetRowPointer(0))[12], 30);
  TIEDibbitmap bw;
  bw.AllocateImage(10, 2, ipkBW1);
  EXPECT_EQ(bw.GetPixelKind(), ipkBW1);
  EXPECT_EQ(bw.GetRowLength(), 4);
  d.FreeDIB();
  EXPECT_EQ(d.GetWidth(), 0);
  EXPECT_EQ(d.GetPixelKind(), ipkNone);
}

TEST(IEWorkBitmap, AllocatesOnlyOnChange) {
  TIEWorkBitmap w(7, 3, 24);
  EXPECT_EQ(w.RowLength(), 24);
  Byte* r0 = w.WorkRowAddress(0);
  EXPECT_EQ(r0 - w.WorkRowAddress(2), 48);
  w.AllocateWorkBitmap(7, 3, 24);
  EXPECT_EQ(w.WorkRowAddress(0), r0);
  w.AllocateWorkBitmap(8, 3, 8);
  EXPECT_EQ(w.RowLength(), 8);
  w.FreeWorkBitmap();
  EXPECT_EQ(w.Width(), 0);
  TIEWorkBitmap empty(0, 5, 24);
  EXPECT_EQ(empty.Width(), 0);
}

TEST(IEPlatformHelpers, CopyAndCloneKeepPixels) {
  auto src = MakeBitmap(pf15bit, 5, 3);
  static_cast<Byte*>(src->ScanLine(2))[9] = 0x55;
  std::unique_ptr<TBitmap> c(CloneTBitmap(src.get()));
  EXPECT_EQ(c->PixelFormat(), pf15bit);
  EXPECT_EQ(c->Width(), 5);
  EXPECT_EQ(static_cast<Byte*>(c->ScanLine(2))[9], 0x55);
  TIEBitmap bw;
  Place(bw, islMappedFile);
  bw.AllocateImage(10, 2, ipkBW1);
  bw.FillWith(0);
  InvertBitmapBits(&bw);
  EXPECT_EQ(static_cast<Byte*>(bw.GetRowPointer(1))[3], 0xFF);  // padding included
}
