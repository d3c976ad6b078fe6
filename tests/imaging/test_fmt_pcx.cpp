// PCX reader and writer: runs across scan lines, the plane layouts, the line
// coder, the VGA palette, and headers that do not fit their data.
#include <gtest/gtest.h>

#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/pcxfilter.h"

using fmtt::Pixel;
using fmtt::Put16;

namespace {


std::vector<Byte> MakePcx(int W, int H, int Bits, int Planes, int BytesPerLine, bool Rle, const std::vector<Byte>& Data) {
  std::vector<Byte> f(128);
  f[0] = 10;
  f[1] = 5;
  f[2] = Rle ? 1 : 0;
  f[3] = Byte(Bits);
  Put16(f, 8, uint32_t(W - 1));
  Put16(f, 10, uint32_t(H - 1));
  Put16(f, 12, 300);
  Put16(f, 14, 200);
  for (int k = 0; k < 16; ++k) f[16 + 3 * k] = Byte(k * 16);  // red of entry k
  f[65] = Byte(Planes);
  Put16(f, 66, uint32_t(BytesPerLine));
  f.insert(f.end(), Data.begin(), Data.end());
  return f;
}

struct PcxLoaded {
  std::unique_ptr<TIEBitmap> Bitmap = fmtt::NewBuffer();
  TIOParamsVals Params;
  fmtt::TProgressBox Progress;
};

void LoadPcx(PcxLoaded& L, const std::vector<Byte>& F, bool HeaderOnly = false) {
  auto s = fmtt::StreamOf(F);
  ReadPcxStream(s.get(), L.Bitmap.get(), L.Params, L.Progress.Record, HeaderOnly, Int64(F.size()));
}

std::vector<Byte> SavePcx(TIEBitmap& B, TIOParamsVals& P, fmtt::TProgressBox* Pr = nullptr) {
  TMemoryStream s;
  fmtt::TProgressBox own;
  WritePcxStream(&s, &B, P, (Pr ? Pr : &own)->Record);
  return fmtt::BytesOf(s);
}

}  // namespace

TEST(FmtPcxLines, RunsContinueIntoTheNextLine) {
  // A run of 10 starting 4 bytes before the end of an 8-byte line.
  const Byte data[] = {1, 2, 3, 4, 0xCA, 9, 5, 6};
  TPcxLineDecoder dec(data, sizeof(data), true);
  Byte a[8], b[8];
  dec.DecodeLine(a, 8);
  dec.DecodeLine(b, 8);
  EXPECT_EQ(std::vector<Byte>(a, a + 8), (std::vector<Byte>{1, 2, 3, 4, 9, 9, 9, 9}));
  EXPECT_EQ(std::vector<Byte>(b, b + 8), (std::vector<Byte>{9, 9, 9, 9, 9, 9, 5, 6}));
  // Past the data the line is 0; a count byte at the very end repeats 0.
  const Byte cut[] = {7, 0xC3};
  TPcxLineDecoder d2(cut, sizeof(cut), true);
  Byte c[4];
  d2.DecodeLine(c, 4);
  EXPECT_EQ(std::vector<Byte>(c, c + 4), (std::vector<Byte>{7, 0, 0, 0}));
}

TEST(FmtPcxLines, Encode) {
  struct Case {
    const char* What;
    std::vector<Byte> Values;
    std::vector<Byte> Want;
  } cases[] = {
      {"100 equal bytes", std::vector<Byte>(100, 7), {0xFF, 7, 0xC0 + 37, 7}},
      {"a single high byte", {0xC5}, {0xC1, 0xC5, 0}},
      {"three different bytes", {1, 2, 3}, {1, 2, 3, 0}},
      {"pairs", {4, 4, 5, 5}, {0xC2, 4, 0xC2, 5}},
  };
  for (const Case& c : cases) {
    std::vector<Byte> out(c.Values.size() * 2 + 2);
    out.resize(size_t(EncodePcxLine(out.data(), c.Values.data(), Integer(c.Values.size()), 1, 0)));
    EXPECT_EQ(out, c.Want) << c.What;
  }
  // Stride and offset pick one channel of 3-byte pixels.
  const Byte bgr[] = {1, 2, 3, 1, 2, 3, 9, 9, 9};
  Byte out[8];
  ASSERT_EQ(EncodePcxLine(out, bgr, 3, 3, 2), 4);
  EXPECT_EQ(std::vector<Byte>(out, out + 4), (std::vector<Byte>{0xC2, 3, 9, 0}));
}

TEST(FmtPcxRead, ParametersAndResolution) {
  // Vertical resolution 0: the screen resolution in both directions.
  std::vector<Byte> f = MakePcx(2, 1, 8, 3, 2, false, {1, 2, 3, 4, 5, 6});
  Put16(f, 14, 0);
  IEDefaultDpiX = 96;
  IEDefaultDpiY = 97;
  PcxLoaded l;
  LoadPcx(l, f);
  IEDefaultDpiX = IEDefaultDpiY = 0;
  ASSERT_FALSE(l.Progress.Abort);
  EXPECT_EQ(l.Params.DpiX, 96);
  EXPECT_EQ(l.Params.DpiY, 97);
  EXPECT_EQ(Pixel(*l.Bitmap, 0, 0), 0x010305u);
  EXPECT_EQ(Pixel(*l.Bitmap, 1, 0), 0x020406u);
  EXPECT_EQ(l.Params.PcxVersion, 5);
  EXPECT_EQ(l.Params.PcxCompression, 0);

  // 1 bit in 4 planes: 16 colours, reported as 4 bits in one sample.
  PcxLoaded p;
  LoadPcx(p, fmtt::ReadAll(fmtt::CorpusPath("pcx4_planes.pcx")), true);
  EXPECT_EQ(p.Params.BitsPerSample, 4);
  EXPECT_EQ(p.Params.SamplesPerPixel, 1);
  EXPECT_EQ(p.Params.PaletteCount, 16);

  // 2 bits in one plane: the 4 palette entries, but no pixels it could decode.
  PcxLoaded t;
  LoadPcx(t, MakePcx(4, 1, 2, 1, 2, false, {0x1B, 0}));
  EXPECT_EQ(t.Params.PaletteCount, 4);
  EXPECT_EQ(t.Params.Palette[3].Red, 48);
  EXPECT_TRUE(t.Progress.Abort);
}

TEST(FmtPcxRead, OddWidthFourBitRowsAndProgress) {
  PcxLoaded l;
  l.Progress.Track();
  LoadPcx(l, MakePcx(3, 2, 4, 1, 2, false, {0x12, 0x3F, 0x45, 0x6F}));
  ASSERT_FALSE(l.Progress.Abort);
  EXPECT_EQ(Pixel(*l.Bitmap, 2, 0), 0x300000u);
  EXPECT_EQ(Pixel(*l.Bitmap, 2, 1), 0x600000u);
  EXPECT_EQ(l.Progress.Reports, (std::vector<Integer>{0, 50}));
}

TEST(FmtPcxRead, RefusesHeadersThatDoNotFit) {
  struct Case {
    const char* What;
    std::vector<Byte> File;
  } cases[] = {
      {"wrong maker", [] { auto f = MakePcx(2, 1, 8, 3, 2, false, {1, 2, 3, 4, 5, 6}); f[0] = 11; return f; }()},
      {"9 bits", MakePcx(2, 1, 9, 1, 2, false, {1, 2})},
      {"encoding 2", [] { auto f = MakePcx(2, 1, 8, 3, 2, false, {1, 2, 3, 4, 5, 6}); f[2] = 2; return f; }()},
      {"line shorter than the width", MakePcx(20, 1, 8, 3, 2, false, std::vector<Byte>(6, 1))},
      {"no palette at the end", MakePcx(2, 1, 8, 1, 2, false, {1, 2})},
      {"huge picture", MakePcx(65000, 65000, 8, 3, 65000, true, std::vector<Byte>(64, 0xFF))},
      {"xmax below xmin", [] { auto f = MakePcx(2, 1, 8, 3, 2, false, {1, 2, 3, 4, 5, 6}); Put16(f, 4, 9); return f; }()},
      {"cut inside the header", std::vector<Byte>(60, 10)},
  };
  for (const Case& c : cases) {
    PcxLoaded l;
    l.Bitmap->AllocateImage(2, 2, ipkRGB24);
    LoadPcx(l, c.File);
    EXPECT_TRUE(l.Progress.Abort) << c.What;
    EXPECT_FALSE(IELastFilterError().empty()) << c.What;
    EXPECT_EQ(l.Bitmap->Width(), 2) << c.What;
  }
}

TEST(FmtPcxWrite, LayoutsAndRoundTrips) {
  auto colors16 = fmtt::MakeRGB(7, 3, [](Integer x, Integer y) { return uint32_t(((x + 2 * y) % 16) * 0x110F0D); });
  auto colors200 = fmtt::MakeRGB(11, 5, [](Integer x, Integer y) { return uint32_t((x * 5 + y * 11) % 200) * 0x010203; });
  auto full = fmtt::MakeRGB(9, 4, [](Integer x, Integer y) { return uint32_t(x * 28) << 16 | uint32_t(y * 60) << 8 | 0xC3; });
  auto bw = fmtt::MakeBW(13, 3, [](Integer x, Integer y) { return (x ^ y) & 1; });
  struct Case {
    const char* What;
    TIEBitmap* Image;
    Integer Bits, Samples;
    bool Rle;
    Byte WantBits, WantPlanes;
    Integer WantBytesPerLine;
  } cases[] = {
      {"1 bit raw", bw.get(), 1, 1, false, 1, 1, 2},  {"1 bit coded", bw.get(), 1, 1, true, 1, 1, 2},
      {"4 bits raw", colors16.get(), 4, 1, false, 4, 1, 4}, {"4 bits coded", colors16.get(), 4, 1, true, 4, 1, 4},
      {"8 bits raw", colors200.get(), 8, 1, false, 8, 1, 12}, {"8 bits coded", colors200.get(), 8, 1, true, 8, 1, 12},
      {"24 bits raw", full.get(), 8, 3, false, 8, 3, 10},  {"24 bits coded", full.get(), 8, 3, true, 8, 3, 10},
  };
  for (const Case& c : cases) {
    TIOParamsVals p;
    p.BitsPerSample = c.Bits;
    p.SamplesPerPixel = c.Samples;
    p.PcxCompression = c.Rle ? 1 : 0;
    p.PcxVersion = 3;
    p.DpiX = 150;
    const std::vector<Byte> f = SavePcx(*c.Image, p);
    ASSERT_GE(f.size(), 128u) << c.What;
    EXPECT_EQ(f[1], 3) << c.What;
    EXPECT_EQ(f[2], c.Rle ? 1 : 0) << c.What;
    EXPECT_EQ(f[3], c.WantBits) << c.What;
    EXPECT_EQ(f[65], c.WantPlanes) << c.What;
    EXPECT_EQ(fmtt::Le16At(f, 66), uint32_t(c.WantBytesPerLine)) << c.What;
    EXPECT_EQ(fmtt::Le16At(f, 12), 150u) << c.What;
    if (!c.Rle) {
      const size_t pixels = size_t(c.WantBytesPerLine) * c.WantPlanes * c.Image->Height();
      EXPECT_EQ(f.size(), 128 + pixels + (c.WantBits == 8 && c.WantPlanes == 1 ? 769 : 0)) << c.What;
    }
    if (c.WantBits == 8 && c.WantPlanes == 1) {
      EXPECT_EQ(f[f.size() - 769], 0x0C) << c.What;
    }
    PcxLoaded l;
    LoadPcx(l, f);
    ASSERT_FALSE(l.Progress.Abort) << c.What << ": " << IELastFilterError();
    EXPECT_EQ(fmtt::DifferentPixels(*c.Image, *l.Bitmap), 0) << c.What;
  }
}

TEST(FmtPcxWrite, AbortedEightBitWriteHasNoPalette) {
  auto img = fmtt::MakeRGB(4, 4, [](Integer x, Integer) { return uint32_t(x) * 0x404040; });
  TIOParamsVals p;
  p.BitsPerSample = 8;
  p.SamplesPerPixel = 1;
  p.PcxCompression = 0;
  fmtt::TProgressBox pr;
  pr.Record.Callback = [&](TObject*, Integer percent) {
    if (percent >= 50) pr.Abort = true;
  };
  const std::vector<Byte> f = SavePcx(*img, p, &pr);
  EXPECT_TRUE(pr.Abort);
  EXPECT_EQ(f.size(), 128u + 2 * 4);
}
