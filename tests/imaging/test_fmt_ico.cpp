// Icon and cursor readers: directory tests, image choice, sizes, AND masks
// and background colours.
#include <gtest/gtest.h>

#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/bmpfilt.h"

using fmtt::Pixel;
using fmtt::Put16;
using fmtt::Put32;

namespace {


struct IconSpec {
  Word Type = 1;
  Byte EntryW = 4, EntryH = 2, EntryColors = 0;
  Word Planes = 1, EntryBits = 0;  // cursor: hot spot
  int32_t HeaderW = 4, HeaderH = 4;
  Word Bits = 4;
  std::vector<uint32_t> Palette;  // 0xRRGGBB
  std::vector<Byte> Xor, And;     // rows bottom up, padded to 4 bytes
};

std::vector<Byte> MakeIcon(const IconSpec& s) {
  std::vector<Byte> f(6 + 16 + 40);
  Put16(f, 2, s.Type);
  Put16(f, 4, 1);
  f[6] = s.EntryW;
  f[7] = s.EntryH;
  f[8] = s.EntryColors;
  Put16(f, 10, s.Planes);
  Put16(f, 12, s.EntryBits);
  Put32(f, 18, 22);
  Put32(f, 22, 40);
  Put32(f, 26, uint32_t(s.HeaderW));
  Put32(f, 30, uint32_t(s.HeaderH));
  Put16(f, 34, 1);
  Put16(f, 36, s.Bits);
  for (uint32_t c : s.Palette) {
    f.push_back(Byte(c));
    f.push_back(Byte(c >> 8));
    f.push_back(Byte(c >> 16));
    f.push_back(0);
  }
  f.insert(f.end(), s.Xor.begin(), s.Xor.end());
  f.insert(f.end(), s.And.begin(), s.And.end());
  Put32(f, 14, uint32_t(f.size() - 22));
  return f;
}

std::vector<uint32_t> Sixteen() {
  std::vector<uint32_t> p;
  for (uint32_t i = 0; i < 16; ++i) p.push_back(i * 0x101010);
  return p;
}

struct IcoLoaded {
  std::unique_ptr<TIEBitmap> Bitmap = fmtt::NewBuffer();
  TIOParamsVals Params;
  fmtt::TProgressBox Progress;
  std::unique_ptr<TIEMask> Alpha;
};

void LoadIco(IcoLoaded& L, const std::vector<Byte>& F, bool Cursor = false, bool HeaderOnly = false) {
  auto s = fmtt::StreamOf(F);
  if (Cursor)
    ReadCurStream(s.get(), L.Bitmap.get(), L.Params, L.Progress.Record, HeaderOnly, HeaderOnly, L.Alpha);
  else
    ReadIcoStream(s.get(), L.Bitmap.get(), L.Params, L.Progress.Record, HeaderOnly, HeaderOnly, L.Alpha);
}

// 4 x 2, 4 bits: bottom row indices 1 2 3 4, top row 5 6 7 8; AND bit set at
// the bottom row's first pixel and the top row's last.
IconSpec SixteenColorIcon() {
  IconSpec s;
  s.Palette = Sixteen();
  s.Xor = {0x12, 0x34, 0, 0, 0x56, 0x78, 0, 0};
  s.And = {0x80, 0, 0, 0, 0x10, 0, 0, 0};
  return s;
}

}  // namespace

TEST(FmtIcoRead, SixteenColoursWithBackgroundAndMask) {
  IcoLoaded l;
  l.Params.IcoBackground = TIEColorTriple{0, 0, 255};
  LoadIco(l, MakeIcon(SixteenColorIcon()));
  ASSERT_FALSE(l.Progress.Abort) << IELastFilterError();
  ASSERT_EQ(l.Bitmap->PixelKind(), ipkRGB24);
  EXPECT_EQ(Pixel(*l.Bitmap, 0, 1), 0xFF0000u);  // transparent: background
  EXPECT_EQ(Pixel(*l.Bitmap, 1, 1), 0x202020u);
  EXPECT_EQ(Pixel(*l.Bitmap, 0, 0), 0x505050u);
  EXPECT_EQ(Pixel(*l.Bitmap, 3, 0), 0xFF0000u);
  ASSERT_TRUE(l.Alpha);
  for (Integer y = 0; y < 2; ++y)
    for (Integer x = 0; x < 4; ++x)
      EXPECT_EQ(l.Alpha->GetPixelValue(x, y), (x == 0 && y == 1) || (x == 3 && y == 0) ? 0 : 255) << x << y;
  EXPECT_EQ(l.Params.BitsPerSample, 4);
  EXPECT_EQ(l.Params.SamplesPerPixel, 1);
  EXPECT_EQ(l.Params.PaletteCount, 16);
}

TEST(FmtIcoRead, TwoColourIconsAgainstTheBackground) {
  // Bottom row XOR 0101, AND 0011: pixel 2 transparent, pixel 3 inverted.
  IconSpec s;
  s.EntryH = 1;
  s.HeaderH = 2;
  s.Bits = 1;
  s.Palette = {0x000000, 0xFFFFFF};
  s.Xor = {0x50, 0, 0, 0};
  s.And = {0x30, 0, 0, 0};
  struct Case {
    TIEColorTriple Background;
    uint32_t Want[4];
  } cases[] = {{{255, 255, 255}, {0, 0xFFFFFF, 0xFFFFFF, 0}}, {{0, 0, 255}, {0, 0xFFFFFF, 0, 0xFFFFFF}}};
  for (const Case& c : cases) {
    IcoLoaded l;
    l.Params.IcoBackground = c.Background;
    LoadIco(l, MakeIcon(s));
    ASSERT_FALSE(l.Progress.Abort);
    ASSERT_EQ(l.Bitmap->PixelKind(), ipkBW1);
    for (Integer x = 0; x < 4; ++x) EXPECT_EQ(Pixel(*l.Bitmap, x, 0), c.Want[x]) << x;
    EXPECT_EQ(l.Alpha->GetPixelValue(2, 0), 0);
    EXPECT_EQ(l.Alpha->GetPixelValue(3, 0), 0);
    EXPECT_EQ(l.Alpha->GetPixelValue(1, 0), 255);
  }
}

TEST(FmtIcoRead, SizeFromEntryOrHeader) {
  struct Case {
    const char* What;
    Byte EntryW, EntryH;
    int32_t HeaderW, HeaderH;
    Integer WantW, WantH;
  } cases[] = {
      {"entry size", 4, 2, 4, 4, 4, 2},
      {"entry width 0", 0, 2, 4, 4, 4, 2},
      {"entry height 0", 4, 0, 4, 4, 4, 2},
      {"header wins when the widths differ", 16, 16, 32, 64, 32, 32},
  };
  for (const Case& c : cases) {
    IconSpec s;
    s.EntryW = c.EntryW;
    s.EntryH = c.EntryH;
    s.HeaderW = c.HeaderW;
    s.HeaderH = c.HeaderH;
    s.Bits = 8;
    s.Palette.assign(256, 0x336699);
    s.Xor.assign(size_t(AlignedRowLength(c.WantW, 8) * c.WantH), 1);
    s.And.assign(size_t(AlignedRowLength(c.WantW, 1) * c.WantH), 0);
    IcoLoaded l;
    LoadIco(l, MakeIcon(s));
    ASSERT_FALSE(l.Progress.Abort) << c.What << IELastFilterError();
    EXPECT_EQ(l.Bitmap->Width(), c.WantW) << c.What;
    EXPECT_EQ(l.Bitmap->Height(), c.WantH) << c.What;
    EXPECT_EQ(Pixel(*l.Bitmap, c.WantW - 1, c.WantH - 1), 0x336699u) << c.What;
  }
}

TEST(FmtIcoRead, TrueColourIcons) {
  // 24 bits: no mask bits are read; 32 bits: the alpha byte becomes the mask.
  IconSpec s;
  s.EntryH = 1;
  s.HeaderH = 2;
  s.Bits = 24;
  s.Xor = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  s.And = {0xF0, 0, 0, 0};
  IcoLoaded a;
  LoadIco(a, MakeIcon(s));
  ASSERT_FALSE(a.Progress.Abort);
  EXPECT_EQ(Pixel(*a.Bitmap, 1, 0), 0x060504u);
  EXPECT_EQ(a.Alpha->GetPixelValue(0, 0), 255);
  EXPECT_EQ(a.Params.BitsPerSample, 8);
  EXPECT_EQ(a.Params.SamplesPerPixel, 3);

  s.Bits = 32;
  s.EntryW = 2;
  s.HeaderW = 2;
  s.Xor = {10, 20, 30, 255, 10, 20, 30, 0};
  IcoLoaded b;
  LoadIco(b, MakeIcon(s));
  ASSERT_FALSE(b.Progress.Abort);
  EXPECT_EQ(Pixel(*b.Bitmap, 0, 0), 0x1E140Au);
  EXPECT_EQ(Pixel(*b.Bitmap, 1, 0), 0xFFFFFFu);  // fully transparent: the background
  EXPECT_EQ(b.Alpha->GetPixelValue(0, 0), 255);
  EXPECT_EQ(b.Alpha->GetPixelValue(1, 0), 0);
}

TEST(FmtIcoRead, ImageChoiceBitmapFilesAndBitCounts) {
  // An index outside the directory reads nothing and reports nothing.
  IcoLoaded out;
  out.Params.IcoImageIndex = 1;
  LoadIco(out, MakeIcon(SixteenColorIcon()));
  EXPECT_FALSE(out.Progress.Abort);
  EXPECT_EQ(out.Bitmap->Width(), 0);
  EXPECT_EQ(out.Params.Width, 0);

  // No bit count in the header, the entry or the colour count.
  IconSpec none = SixteenColorIcon();
  none.Bits = 0;
  IcoLoaded n;
  LoadIco(n, MakeIcon(none));
  EXPECT_TRUE(n.Progress.Abort);

  // The colour count gives the bits when the header and entry have none.
  IconSpec counted = SixteenColorIcon();
  counted.Bits = 0;
  counted.EntryColors = 16;
  IcoLoaded c;
  LoadIco(c, MakeIcon(counted));
  EXPECT_FALSE(c.Progress.Abort);
  EXPECT_EQ(c.Params.BitsPerSample, 4);

  // A .ico that is a BMP.
  const std::vector<Byte> bmp = fmtt::ReadAll(fmtt::CorpusPath("bmp24.bmp"));
  IcoLoaded b;
  LoadIco(b, bmp);
  EXPECT_FALSE(b.Progress.Abort);
  EXPECT_EQ(b.Bitmap->Width(), 23);
}

TEST(FmtCurRead, HotSpotColoursAndDirectoryTests) {
  IconSpec s = SixteenColorIcon();
  s.Type = 2;
  s.Planes = 5;
  s.EntryBits = 7;
  IcoLoaded l;
  l.Params.CurBackground = TIEColorTriple{0, 255, 0};
  LoadIco(l, MakeIcon(s), true);
  ASSERT_FALSE(l.Progress.Abort);
  EXPECT_EQ(l.Params.CurHotSpotX, 5);
  EXPECT_EQ(l.Params.CurHotSpotY, 7);
  EXPECT_EQ(Pixel(*l.Bitmap, 0, 1), 0x00FF00u);
  EXPECT_EQ(Pixel(*l.Bitmap, 1, 1), 0x202020u);

  const std::vector<Byte> ico = fmtt::ReadAll(fmtt::CorpusPath("ico4.ico"));
  const std::vector<Byte> cur = fmtt::ReadAll(fmtt::CorpusPath("cur4.cur"));
  auto si = fmtt::StreamOf(ico);
  auto sc = fmtt::StreamOf(cur);
  EXPECT_TRUE(IsIcoStream(si.get()));
  EXPECT_FALSE(IsCurStream(si.get()));
  EXPECT_TRUE(IsCurStream(sc.get()));
  EXPECT_FALSE(IsIcoStream(sc.get()));
  EXPECT_EQ(si->Position(), 0);
  // Entries that break the rules: reserved byte, data size 0, offset inside the directory.
  for (size_t at : {9u, 14u, 18u}) {
    std::vector<Byte> bad = ico;
    if (at == 9) bad[9] = 1;
    if (at == 14) Put32(bad, 14, 0);
    if (at == 18) Put32(bad, 18, 10);
    auto s2 = fmtt::StreamOf(bad);
    EXPECT_FALSE(IsIcoStream(s2.get())) << at;
  }
}

TEST(FmtIcoRead, RefusesHostileEntries) {
  const std::vector<Byte> good = MakeIcon(SixteenColorIcon());
  struct Case {
    const char* What;
    std::function<void(std::vector<Byte>&)> Edit;
  } cases[] = {
      {"offset past the end", [](std::vector<Byte>& f) { Put32(f, 18, 0x7FFFFFF0); }},
      {"directory cut short", [](std::vector<Byte>& f) { f.resize(12); }},
      {"huge header width with entry width 0",
       [](std::vector<Byte>& f) { f[6] = 0; Put32(f, 26, 0x7FFFFFF); }},
      {"huge size from the header", [](std::vector<Byte>& f) { f[6] = 0; f[7] = 0; Put32(f, 26, 60000); Put32(f, 30, 120000); }},
      {"16 bits", [](std::vector<Byte>& f) { Put16(f, 36, 16); }},
  };
  for (const Case& c : cases) {
    std::vector<Byte> f = good;
    c.Edit(f);
    IcoLoaded l;
    l.Bitmap->AllocateImage(3, 3, ipkRGB24);
    LoadIco(l, f);
    EXPECT_TRUE(l.Progress.Abort) << c.What;
    EXPECT_FALSE(IELastFilterError().empty()) << c.What;
    EXPECT_EQ(l.Bitmap->Width(), 3) << c.What;
  }
}
