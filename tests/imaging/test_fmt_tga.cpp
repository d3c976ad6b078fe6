// Targa reader and writer: row order and mirroring, alpha, colour maps and
// grey, 16-bit pixels, the extension area and footer, run-length packets.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/ietgafil.h"
#include "platform/SysUtils.h"

using fmtt::Pixel;
using fmtt::Put16;

namespace {


std::vector<Byte> MakeTga(Byte Type, Byte Depth, Byte Descriptor, int W, int H, const std::vector<Byte>& Pixels,
                          const std::vector<Byte>& Map = {}, int MapFirst = 0, int MapLength = 0) {
  std::vector<Byte> f(18);
  f[1] = Map.empty() ? 0 : 1;
  f[2] = Type;
  Put16(f, 3, uint32_t(MapFirst));
  Put16(f, 5, uint32_t(MapLength));
  f[7] = Map.empty() ? 0 : 24;
  Put16(f, 12, uint32_t(W));
  Put16(f, 14, uint32_t(H));
  f[16] = Depth;
  f[17] = Descriptor;
  f.insert(f.end(), Map.begin(), Map.end());
  f.insert(f.end(), Pixels.begin(), Pixels.end());
  return f;
}

// Appends an extension area (Edit fills it) and a 2.0 footer.
std::vector<Byte> WithFooter(std::vector<Byte> F, const std::function<void(std::vector<Byte>&)>& Edit, bool NoArea = false) {
  std::vector<Byte> e(495);
  Put16(e, 0, 495);
  if (Edit) Edit(e);
  const uint32_t offset = NoArea ? 0 : uint32_t(F.size());
  if (!NoArea) F.insert(F.end(), e.begin(), e.end());
  std::vector<Byte> footer(26);
  for (int k = 0; k < 4; ++k) footer[k] = Byte(offset >> (8 * k));
  std::memcpy(footer.data() + 8, "TRUEVISION-XFILE.", 18);
  F.insert(F.end(), footer.begin(), footer.end());
  return F;
}

struct TgaLoaded {
  std::unique_ptr<TIEBitmap> Bitmap = fmtt::NewBuffer();
  TIOParamsVals Params;
  fmtt::TProgressBox Progress;
  std::unique_ptr<TIEMask> Alpha;
};

void LoadTga(TgaLoaded& L, const std::vector<Byte>& F, bool HeaderOnly = false) {
  auto s = fmtt::StreamOf(F);
  ReadTgaStream(s.get(), L.Bitmap.get(), L.Params, L.Progress.Record, HeaderOnly, HeaderOnly, L.Alpha);
}

std::vector<Byte> SaveTga(TIEBitmap& B, TIOParamsVals& P, TIEMask* Alpha = nullptr) {
  TMemoryStream s;
  fmtt::TProgressBox pr;
  WriteTgaStream(&s, &B, P, pr.Record, Alpha);
  EXPECT_FALSE(pr.Abort);
  return fmtt::BytesOf(s);
}

// 2 x 2, 24 bits: file pixels A B / C D.
const std::vector<Byte> kFour = {1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0};

}  // namespace

TEST(FmtTgaRead, RowOrderAndMirroring) {
  struct Case {
    Byte Descriptor;
    uint32_t TopLeft, TopRight, BottomLeft;
  } cases[] = {{0x20, 1, 2, 3}, {0x00, 3, 4, 1}, {0x10, 4, 3, 2}, {0x30, 2, 1, 4}};
  for (const Case& c : cases) {
    for (Byte type : {Byte(2), Byte(10)}) {
      std::vector<Byte> px = kFour;
      if (type == 10) px = {0x01, 1, 0, 0, 2, 0, 0, 0x01, 3, 0, 0, 4, 0, 0};
      TgaLoaded l;
      LoadTga(l, MakeTga(type, 24, c.Descriptor, 2, 2, px));
      ASSERT_FALSE(l.Progress.Abort);
      EXPECT_EQ(Pixel(*l.Bitmap, 0, 0), c.TopLeft) << int(c.Descriptor) << " " << int(type);
      EXPECT_EQ(Pixel(*l.Bitmap, 1, 0), c.TopRight) << int(c.Descriptor);
      EXPECT_EQ(Pixel(*l.Bitmap, 0, 1), c.BottomLeft) << int(c.Descriptor);
    }
  }
}

TEST(FmtTgaRead, AlphaBitsDecideTheMask) {
  const std::vector<Byte> raw = {1, 2, 3, 40, 5, 6, 7, 80};
  const std::vector<Byte> rle = {0x81, 1, 2, 3, 40};
  struct Case {
    Byte Type, Descriptor;
    std::vector<Byte> Pixels;
    bool Mask;
    Byte Alpha1;
    uint32_t Color1;
  } cases[] = {
      {2, 0x28, raw, true, 80, 0x070605}, {2, 0x20, raw, false, 0, 0x070605},
      {10, 0x28, rle, true, 40, 0x030201}, {10, 0x20, rle, false, 0, 0x030201},
  };
  for (const Case& c : cases) {
    TgaLoaded l;
    LoadTga(l, MakeTga(c.Type, 32, c.Descriptor, 2, 1, c.Pixels));
    ASSERT_FALSE(l.Progress.Abort);
    EXPECT_EQ(Pixel(*l.Bitmap, 1, 0), c.Color1);
    EXPECT_EQ(bool(l.Alpha), c.Mask) << int(c.Type) << " " << int(c.Descriptor);
    if (c.Mask) {
      EXPECT_EQ(l.Alpha->GetPixelValue(1, 0), c.Alpha1);
    }
    EXPECT_EQ(l.Params.SamplesPerPixel, 4);
  }
}

TEST(FmtTgaRead, ColourMapsGreyAndSixteenBits) {
  // No map at 8 bits: grey. A map from entry 16 keeps the colour cube below it.
  TgaLoaded g;
  LoadTga(g, MakeTga(3, 8, 0x20, 2, 1, {0, 200}));
  ASSERT_FALSE(g.Progress.Abort);
  EXPECT_EQ(Pixel(*g.Bitmap, 1, 0), 0xC8C8C8u);
  EXPECT_TRUE(g.Params.TgaGrayscale);

  TgaLoaded m;
  LoadTga(m, MakeTga(1, 8, 0x20, 3, 1, {0, 16, 17}, {0x30, 0x20, 0x10, 0x60, 0x50, 0x40}, 16, 2));
  ASSERT_FALSE(m.Progress.Abort);
  EXPECT_EQ(Pixel(*m.Bitmap, 0, 0), 0x1C1C3Cu);  // cube entry 0
  EXPECT_EQ(Pixel(*m.Bitmap, 1, 0), 0x102030u);
  EXPECT_EQ(Pixel(*m.Bitmap, 2, 0), 0x405060u);
  EXPECT_FALSE(m.Params.TgaGrayscale);
  EXPECT_EQ(m.Params.PaletteCount, 2);

  TgaLoaded s;
  LoadTga(s, MakeTga(2, 16, 0x20, 2, 1, {0xFF, 0x7F, 0x1F, 0x00}));
  ASSERT_FALSE(s.Progress.Abort);
  EXPECT_EQ(Pixel(*s.Bitmap, 0, 0), 0xF8F8F8u);
  EXPECT_EQ(Pixel(*s.Bitmap, 1, 0), 0x0000F8u);
  EXPECT_EQ(s.Params.BitsPerSample, 5);
}

TEST(FmtTgaRead, ExtensionArea) {
  const std::vector<Byte> base = MakeTga(2, 24, 0x20, 2, 2, kFour);
  TgaLoaded none;
  LoadTga(none, WithFooter(base, nullptr, true));
  EXPECT_EQ(none.Params.TgaAuthor, "");
  EXPECT_EQ(none.Params.TgaTimeStamp, Date());
  EXPECT_DOUBLE_EQ(none.Params.TgaGamma, 2.2);
  EXPECT_DOUBLE_EQ(none.Params.TgaAspectRatio, 1.0);

  auto dated = [](Word Month) {
    return [Month](std::vector<Byte>& e) {
      std::memcpy(e.data() + 2, "Ann", 3);
      std::memcpy(e.data() + 379, "job", 3);
      const Word v[6] = {Month, 31, 1999, 23, 59, 59};
      for (int k = 0; k < 6; ++k) Put16(e, 367 + 2 * k, v[k]);
      e[471] = 1;
      e[472] = 2;
      e[473] = 3;
      Put16(e, 474, 3);
      Put16(e, 476, 2);
      Put16(e, 478, 18);
      Put16(e, 480, 10);
    };
  };
  TgaLoaded l;
  LoadTga(l, WithFooter(base, dated(12)));
  ASSERT_FALSE(l.Progress.Abort);
  EXPECT_EQ(l.Params.TgaAuthor, "Ann");
  EXPECT_EQ(l.Params.TgaJobName, "job");
  EXPECT_NEAR(l.Params.TgaTimeStamp, EncodeDate(1999, 12, 31) + (23 * 3600 + 59 * 60 + 59) / 86400.0, 1e-6);
  EXPECT_EQ(l.Params.TgaKeyColor, (TIEColorTriple{3, 2, 1}));
  EXPECT_DOUBLE_EQ(l.Params.TgaAspectRatio, 1.5);
  EXPECT_DOUBLE_EQ(l.Params.TgaGamma, 1.8);
  TgaLoaded bad;
  LoadTga(bad, WithFooter(base, dated(13)));
  EXPECT_EQ(bad.Params.TgaTimeStamp, Date());
}

TEST(FmtTgaRead, RefusesBadHeadersAndData) {
  struct Case {
    const char* What;
    std::vector<Byte> File;
  } cases[] = {
      {"image type 5", MakeTga(5, 24, 0x20, 2, 2, kFour)},
      {"depth 12", MakeTga(2, 12, 0x20, 2, 2, kFour)},
      {"map type 2", [] { auto f = MakeTga(2, 24, 0x20, 2, 2, kFour); f[1] = 2; return f; }()},
      {"colour-mapped 24 bits", MakeTga(1, 24, 0x20, 2, 2, kFour)},
      {"run-length 1 bit", MakeTga(11, 1, 0x20, 8, 1, {0x80, 0xFF})},
      {"size far beyond the data", MakeTga(2, 24, 0x20, 65535, 65535, kFour)},
      {"colour map past the end", [] { auto f = MakeTga(1, 8, 0x20, 2, 2, {0, 1, 1, 0}); f[1] = 1; Put16(f, 5, 60000); f[7] = 24; return f; }()},
      {"cut inside the header", std::vector<Byte>(10, 2)},
  };
  for (const Case& c : cases) {
    TgaLoaded l;
    l.Bitmap->AllocateImage(1, 1, ipkRGB24);
    LoadTga(l, c.File);
    EXPECT_TRUE(l.Progress.Abort) << c.What;
    EXPECT_FALSE(IELastFilterError().empty()) << c.What;
    EXPECT_EQ(l.Bitmap->Width(), 1) << c.What;
  }
  auto s = fmtt::StreamOf(MakeTga(2, 24, 0x20, 2, 2, kFour));
  EXPECT_TRUE(IsTgaStream(s.get()));
  EXPECT_EQ(s->Position(), 0);
  auto t = fmtt::StreamOf(MakeTga(4, 24, 0x20, 2, 2, kFour));
  EXPECT_FALSE(IsTgaStream(t.get()));
}

TEST(FmtTgaWrite, RunLengthPackets) {
  struct Case {
    const char* What;
    std::vector<Byte> Row;
    std::vector<Byte> Want;
  } cases[] = {
      {"two different then a run", {1, 2, 3, 3, 3}, {0x01, 1, 2, 0x82, 3}},
      {"single pixel", {7}, {0x00, 7}},
      {"raw run ends with the row", {1, 2, 3}, {0x02, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    std::vector<Byte> out(c.Row.size() * 2 + 2);
    out.resize(size_t(EncodeTgaRleRow(c.Row.data(), Integer(c.Row.size()), 1, out.data())));
    EXPECT_EQ(out, c.Want) << c.What;
  }
  // 300 equal pixels: runs of 128, 128 and 44; 300 different: raw packets of at most 128.
  std::vector<Byte> same(900, 5), out(2000);
  out.resize(size_t(EncodeTgaRleRow(same.data(), 300, 3, out.data())));
  EXPECT_EQ(out, (std::vector<Byte>{0xFF, 5, 5, 5, 0xFF, 5, 5, 5, 0x80 + 43, 5, 5, 5}));
  std::vector<Byte> diff(300), o2(1000);
  for (int i = 0; i < 300; ++i) diff[i] = Byte(i % 2 ? i : 255 - i % 100);
  const Integer n = EncodeTgaRleRow(diff.data(), 300, 1, o2.data());
  Integer covered = 0;
  for (Integer i = 0; i < n;) {
    const Integer count = (o2[i] & 0x7F) + 1;
    EXPECT_LE(count, 128);
    i += 1 + ((o2[i] & 0x80) ? 1 : count);
    covered += count;
  }
  EXPECT_EQ(covered, 300);
}

TEST(FmtTgaWrite, HeaderFieldsAndExtensionArea) {
  auto img = fmtt::MakeRGB(3, 2, [](Integer x, Integer) { return x * 0x404040u; });
  TIOParamsVals p;
  p.TgaKeyColor = TIEColorTriple{3, 2, 1};
  p.TgaAuthor = "someone";
  p.TgaTimeStamp = EncodeDate(2001, 2, 3) + (4 * 3600 + 5 * 60 + 6) / 86400.0;
  std::vector<Byte> f = SaveTga(*img, p);
  ASSERT_GT(f.size(), 18u + 495 + 26);
  EXPECT_EQ(f[0], 1);       // empty ID: one 0 byte
  EXPECT_EQ(f[18], 0);
  EXPECT_EQ(f[2], 10);      // RGB, run-length
  EXPECT_EQ(f[17], 0x20);
  const size_t e = fmtt::Le32At(f, f.size() - 26);
  ASSERT_EQ(e + 495 + 26, f.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[f.size() - 18])), "TRUEVISION-XFILE.");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[e + 2])), "someone");
  EXPECT_EQ(std::vector<Byte>(f.begin() + long(e) + 470, f.begin() + long(e) + 474), (std::vector<Byte>{0, 1, 2, 3}));
  EXPECT_EQ(fmtt::Le16At(f, e + 474), 10000u);
  EXPECT_EQ(fmtt::Le16At(f, e + 476), 10000u);
  EXPECT_EQ(fmtt::Le16At(f, e + 478), 22000u);
  EXPECT_EQ(fmtt::Le16At(f, e + 480), 10000u);
  EXPECT_EQ(fmtt::Le16At(f, e + 367), 2u);
  EXPECT_EQ(fmtt::Le16At(f, e + 371), 2001u);
  EXPECT_EQ(fmtt::Le16At(f, e + 377), 6u);
  TgaLoaded l;
  LoadTga(l, f);
  EXPECT_EQ(l.Params.TgaAuthor, "someone");
  EXPECT_NEAR(l.Params.TgaTimeStamp, p.TgaTimeStamp, 1e-6);

  // Grey at 8 bits: map type 0 but a map length of 256 of 24 bits.
  p.SamplesPerPixel = 1;
  p.BitsPerSample = 8;
  p.TgaGrayscale = true;
  p.TgaCompression = false;
  f = SaveTga(*img, p);
  EXPECT_EQ(f[1], 0);
  EXPECT_EQ(f[2], 3);
  EXPECT_EQ(fmtt::Le16At(f, 5), 256u);
  EXPECT_EQ(f[7], 24);

  // 1 and 4 bits are never run-length coded, and say so afterwards.
  for (Integer bits : {1, 4}) {
    p.TgaGrayscale = false;
    p.TgaCompression = true;
    p.BitsPerSample = bits;
    f = SaveTga(*img, p);
    EXPECT_FALSE(p.TgaCompression) << bits;
    EXPECT_EQ(f[2], bits == 1 ? 3 : 1) << bits;
    EXPECT_EQ(f[16], bits) << bits;
  }
  // Other pixel kinds write nothing.
  auto grey = fmtt::NewBuffer();
  grey->AllocateImage(2, 2, ipkGray8);
  EXPECT_TRUE(SaveTga(*grey, p).empty());
}

TEST(FmtTgaWrite, RoundTrips) {
  auto full = fmtt::MakeRGB(19, 7, [](Integer x, Integer y) { return uint32_t(x * 13) << 16 | uint32_t(y * 30) << 8 | 0x51; });
  auto flat = fmtt::MakeRGB(300, 2, [](Integer x, Integer y) { return x < 200 + y ? 0x112233u : 0x445566u; });
  auto colors200 = fmtt::MakeRGB(23, 9, [](Integer x, Integer y) { return uint32_t((x * 3 + y * 17) % 200) * 0x010101 ^ 0x400000; });
  auto colors16 = fmtt::MakeRGB(9, 5, [](Integer x, Integer y) { return uint32_t((x + y) % 16) * 0x0F0F0F; });
  auto greys = fmtt::MakeRGB(10, 3, [](Integer x, Integer y) { return uint32_t(x * 25 + y) * 0x010101; });
  auto bw = fmtt::MakeBW(11, 3, [](Integer x, Integer y) { return (x + y) % 4 == 0; });
  struct Case {
    const char* What;
    TIEBitmap* Image;
    Integer Bits, Samples;
    bool Rle, Grey;
  } cases[] = {
      {"24 raw", full.get(), 8, 3, false, false},      {"24 run-length", full.get(), 8, 3, true, false},
      {"24 long runs", flat.get(), 8, 3, true, false}, {"8 mapped raw", colors200.get(), 8, 1, false, false},
      {"8 mapped run-length", colors200.get(), 8, 1, true, false}, {"8 grey", greys.get(), 8, 1, true, true},
      {"4 mapped", colors16.get(), 4, 1, false, false}, {"1 bit", bw.get(), 1, 1, false, false},
  };
  for (const Case& c : cases) {
    TIOParamsVals p;
    p.BitsPerSample = c.Bits;
    p.SamplesPerPixel = c.Samples;
    p.TgaCompression = c.Rle;
    p.TgaGrayscale = c.Grey;
    p.TgaImageId = "id text";
    TgaLoaded l;
    LoadTga(l, SaveTga(*c.Image, p));
    ASSERT_FALSE(l.Progress.Abort) << c.What << ": " << IELastFilterError();
    EXPECT_EQ(fmtt::DifferentPixels(*c.Image, *l.Bitmap), 0) << c.What;
    EXPECT_EQ(l.Params.TgaImageId, "id text") << c.What;
  }
  // 32 bits with a mask.
  TIEMask mask;
  mask.AllocateMask(19, 7, 8);
  for (Integer y = 0; y < 7; ++y)
    for (Integer x = 0; x < 19; ++x) mask.SetPixelValue(x, y, (x * 13 + y) % 256);
  mask.SetFull(false);
  TIOParamsVals p;
  TgaLoaded l;
  LoadTga(l, SaveTga(*full, p, &mask));
  ASSERT_TRUE(l.Alpha);
  EXPECT_EQ(fmtt::DifferentPixels(*full, *l.Bitmap), 0);
  for (Integer y = 0; y < 7; ++y)
    for (Integer x = 0; x < 19; ++x) ASSERT_EQ(l.Alpha->GetPixelValue(x, y), (x * 13 + y) % 256) << x << "," << y;
}
