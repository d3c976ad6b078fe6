// The JPEG-2000 filter: JP2 and code streams, grey, RGB and YCbCr pictures,
// precision scaling, the writer's options and refused data.
#include <gtest/gtest.h>

#include "fmt_util.h"
#include "imaging/formats/iej2000.h"

using namespace fmtfix;

namespace {

std::vector<Byte> Encode(TIEBitmap& pic, Integer format, const std::function<void(TIOParamsVals&)>& setup = nullptr,
                         TIOParamsVals* out = nullptr) {
  TIOParamsVals params;
  if (setup) setup(params);
  TMemoryStream s;
  Progress pr;
  Jpeg2000SaveToStream(&s, &pic, params, format, pr.rec);
  EXPECT_FALSE(pr.abort) << IELastFilterError();
  if (out) out->CopyFrom(&params);
  return StreamBytes(s);
}

struct J2kLoaded {
  TIEBitmap bmp;
  TIOParamsVals params;
  bool aborted = false;
};

void LoadJ2k(J2kLoaded& l, const std::vector<Byte>& bytes, bool paramsOnly = false) {
  TMemoryStream s;
  LoadBytes(s, bytes);
  Progress pr;
  Jpeg2000LoadFromStream(&s, &l.bmp, l.params, paramsOnly, pr.rec);
  l.aborted = pr.abort;
}

size_t Find(const std::vector<Byte>& b, const std::string& what) {
  const std::vector<Byte> w(what.begin(), what.end());
  auto it = std::search(b.begin(), b.end(), w.begin(), w.end());
  return it == b.end() ? std::string::npos : size_t(it - b.begin());
}

}  // namespace

TEST(FmtJ2k, Jp2AndItsCodestreamGiveOnePicture) {
  auto pic = Gradient(37, 21);
  const auto jp2 = Encode(*pic, 0);
  const auto j2k = Encode(*pic, 1);
  TMemoryStream s;
  LoadBytes(s, jp2);
  EXPECT_TRUE(Jpeg2000HasSignatureBox(&s));
  EXPECT_FALSE(Jpeg2000HasCodestreamStart(&s));
  EXPECT_EQ(s.Position(), 0);
  // The code stream inside the JP2 file (the jp2c box's content).
  const size_t box = Find(jp2, "jp2c");
  ASSERT_NE(box, std::string::npos);
  const std::vector<Byte> inner(jp2.begin() + long(box) + 4, jp2.end());
  LoadBytes(s, inner);
  EXPECT_TRUE(Jpeg2000HasCodestreamStart(&s));
  for (const auto* bytes : {&jp2, &j2k, &inner}) {
    J2kLoaded l;
    LoadJ2k(l, *bytes);
    ASSERT_FALSE(l.aborted) << IELastFilterError();
    EXPECT_EQ(l.params.SamplesPerPixel, 3);
    EXPECT_EQ(l.params.BitsPerSample, 8);
    EXPECT_EQ(MaxChannelDiff(*pic, l.bmp), 0);
  }
  LoadBytes(s, std::vector<Byte>{0xFF, 0x4F, 0xFF, 0x52, 0, 0});
  EXPECT_FALSE(Jpeg2000HasCodestreamStart(&s));
  J2kLoaded notOne;
  LoadJ2k(notOne, std::vector<Byte>{0xFF, 0x4F, 0xFF, 0x52, 0, 0});
  EXPECT_TRUE(notOne.aborted);
}

TEST(FmtJ2k, GreyPrecisionAndBilevel) {
  auto pic = MakeRGB(8, 2, [](Integer x, Integer) { return x == 0 ? 0xFFFFFFu : (x == 1 ? 0u : 0x808080u); });
  const auto twelve = Encode(*pic, 1, [](TIOParamsVals& p) {
    p.J2kColorSpace = 0;
    p.BitsPerSample = 12;
  });
  J2kLoaded l;
  LoadJ2k(l, twelve);
  ASSERT_FALSE(l.aborted);
  EXPECT_EQ(l.params.BitsPerSample, 12);
  EXPECT_EQ(l.params.SamplesPerPixel, 1);
  EXPECT_EQ(PixelOrBit(l.bmp, 0, 0), 0xFFFFFFu);  // 4095 -> 255
  EXPECT_EQ(PixelOrBit(l.bmp, 1, 0), 0u);
  EXPECT_EQ(PixelOrBit(l.bmp, 2, 1), 0x7F7F7Fu);  // 128 -> 2055 -> 127, truncated both ways

  TIEBitmap bw;
  bw.SetLocation(islMemory);
  bw.AllocateImage(10, 3, ipkBW1);
  bw.FillWith(0);
  PutBit(bw.GetRowPointer(1), 7, 1);
  TIOParamsVals used;
  const auto one = Encode(bw, 0, nullptr, &used);
  EXPECT_EQ(used.BitsPerSample, 1);
  EXPECT_EQ(used.J2kColorSpace, 0);
  J2kLoaded lb;
  LoadJ2k(lb, one);
  ASSERT_EQ(lb.bmp.PixelKind(), ipkBW1);
  EXPECT_EQ(PixelOrBit(lb.bmp, 7, 1), 1u);
  EXPECT_EQ(PixelOrBit(lb.bmp, 6, 1), 0u);
}

TEST(FmtJ2k, ColourSpacesOfJp2Files) {
  auto mid = MakeRGB(4, 4, [](Integer x, Integer) { return x < 2 ? 0x808080u : 0xC880C8u; });
  auto jp2 = Encode(*mid, 0);
  const size_t colr = Find(jp2, "colr");
  ASSERT_NE(colr, std::string::npos);
  const size_t enumcs = colr + 4 + 3 + 3;  // method, precedence, approximation, then the low byte
  ASSERT_EQ(jp2[enumcs], 16);              // sRGB
  struct Case {
    Byte enumcs;
    bool ok;
    uint32_t left, right;
  };
  const TJ2kYCbCrTables& t = J2kYCbCrTables();
  EXPECT_EQ(t.CrToR[128], 0);
  EXPECT_EQ(t.CbToG[128], 0);
  const uint32_t r = uint32_t(ClampToByte(200 + t.CrToR[200]));
  const uint32_t g = uint32_t(ClampToByte(200 + t.CbToG[128] + t.CrToG[200]));
  const uint32_t b = uint32_t(ClampToByte(200 + t.CbToB[128]));
  const Case cases[] = {{16, true, 0x808080, 0xC880C8}, {18, true, 0x808080, r << 16 | g << 8 | b}, {12, false, 0, 0}};
  for (const Case& c : cases) {
    jp2[enumcs] = c.enumcs;
    J2kLoaded l;
    LoadJ2k(l, jp2);
    EXPECT_EQ(l.aborted, !c.ok) << int(c.enumcs);
    if (!c.ok) {
      EXPECT_EQ(l.bmp.Width(), 0);
      continue;
    }
    EXPECT_EQ(PixelOrBit(l.bmp, 0, 0), c.left) << int(c.enumcs);
    EXPECT_EQ(PixelOrBit(l.bmp, 3, 3), c.right) << int(c.enumcs);
  }
}

TEST(FmtJ2k, WriterOptions) {
  TIOParamsVals p;
  p.J2kRate = 1.0;
  p.J2kProgression = 1;
  EXPECT_EQ(Jpeg2000OptionText(p), "rate=1 prg=rlcp");
  p.J2kRate = 0.25;
  p.J2kProgression = 0;
  EXPECT_EQ(Jpeg2000OptionText(p), "rate=0.25 prg=lrcp");
  p.J2kProgression = 7;
  EXPECT_EQ(Jpeg2000OptionText(p), "rate=0.25");

  auto pic = MakeRGB(64, 64, [](Integer x, Integer y) { return uint32_t(x * 7919 + y * 104729) * 2654435761u >> 8; });
  const auto lossless = Encode(*pic, 1);
  const auto tenth = Encode(*pic, 1, [](TIOParamsVals& q) { q.J2kRate = 0.1; });
  EXPECT_LT(tenth.size() * 3, lossless.size());
  for (Byte order : {Byte(0), Byte(1)}) {
    const auto cs = Encode(*pic, 1, [order](TIOParamsVals& q) { q.J2kProgression = order; });
    const size_t cod = Find(cs, std::string("\xFF\x52", 2));
    ASSERT_NE(cod, std::string::npos);
    EXPECT_EQ(cs[cod + 5], order);
  }
  // A colour space with no components to write is refused, not handed to the codec.
  TMemoryStream s;
  Progress pr;
  TIOParamsVals bad;
  bad.J2kColorSpace = 3;
  Jpeg2000SaveToStream(&s, pic.get(), bad, 0, pr.rec);
  EXPECT_TRUE(pr.abort);
  EXPECT_EQ(s.Size(), 0);
}

TEST(FmtJ2k, ParamsOnlyAndRefusedData) {
  IEDefaultDpiX = 120;
  IEDefaultDpiY = 121;
  auto pic = Gradient(30, 20);
  const auto j2k = Encode(*pic, 1);
  J2kLoaded header;
  LoadJ2k(header, j2k, true);
  EXPECT_FALSE(header.aborted);
  EXPECT_EQ(header.params.Width, 30);
  EXPECT_EQ(header.params.Height, 20);
  EXPECT_EQ(header.params.DpiX, 120);
  EXPECT_EQ(header.params.DpiY, 121);
  EXPECT_EQ(header.bmp.Width(), 0);
  IEDefaultDpiX = IEDefaultDpiY = 0;

  const size_t siz = Find(j2k, std::string("\xFF\x51", 2));
  ASSERT_NE(siz, std::string::npos);
  struct Case {
    const char* name;
    std::function<void(std::vector<Byte>&)> damage;
  };
  const Case cases[] = {
      {"huge size", [siz](std::vector<Byte>& b) { for (int i = 6; i < 14; ++i) b[siz + i] = 0x7F; }},
      {"one tile per pixel, data for one tile",
       [siz](std::vector<Byte>& b) {
         for (int i = 22; i < 30; ++i) b[siz + i] = 0;
         b[siz + 25] = b[siz + 29] = 1;
       }},
      {"truncated", [](std::vector<Byte>& b) { b.resize(b.size() / 3); }},
      {"no components", [siz](std::vector<Byte>& b) { b[siz + 38] = 0; b[siz + 39] = 0; }},
      {"junk", [](std::vector<Byte>& b) { std::fill(b.begin() + 10, b.end(), 0x33); }},
      {"not JPEG 2000", [](std::vector<Byte>& b) { b[0] = 0; }},
  };
  for (const Case& c : cases) {
    std::vector<Byte> b = j2k;
    c.damage(b);
    J2kLoaded l;
    l.bmp.SetLocation(islMemory);
    l.bmp.AllocateImage(2, 2, ipkRGB24);
    LoadJ2k(l, b);
    EXPECT_TRUE(l.aborted) << c.name;
    EXPECT_EQ(l.bmp.Width(), 2) << c.name;
  }
}
