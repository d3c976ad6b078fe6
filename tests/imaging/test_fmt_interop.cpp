// Every writer's kinds, written to files for independent readers
// (fmt_interop_check.sh runs ImageMagick and netpbm over them): each file is
// read back here first, and beside it NAME.rgba holds the picture written.
// Files go to FMT_INTEROP_DIR, else to fmt_interop in the working folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/bmpfilt.h"
#include "imaging/formats/giffilter.h"
#include "imaging/formats/iepnm.h"
#include "imaging/formats/ietgafil.h"
#include "imaging/formats/pcxfilter.h"
#include "platform/SysUtils.h"

namespace {

std::string OutDir() {
  const char* v = std::getenv("FMT_INTEROP_DIR");
  std::string d = v && *v ? v : "fmt_interop";
  ForceDirectories(d);
  return d + "/";
}

void WriteFile(const std::string& Path, const std::vector<Byte>& Bytes) {
  FILE* f = std::fopen(Path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << Path;
  std::fwrite(Bytes.data(), 1, Bytes.size(), f);
  std::fclose(f);
}

std::vector<Byte> Rgba(TIEBitmap& B, TIEMask* Alpha) {
  std::vector<Byte> out;
  for (Integer y = 0; y < B.Height(); ++y)
    for (Integer x = 0; x < B.Width(); ++x) {
      const uint32_t c = fmtt::Pixel(B, x, y);
      out.insert(out.end(), {Byte(c >> 16), Byte(c >> 8), Byte(c), Byte(Alpha ? Alpha->GetPixelValue(x, y) : 255)});
    }
  return out;
}

enum Kind { kBmp, kPnm, kPcx, kTga, kGif };

struct InteropCase {
  const char* Name;
  Kind Format;
  int Picture;  // 0: 200 colours, 1: 16 colours, 2: 1 bit, 3: true colour, 4: greys
  std::function<void(TIOParamsVals&)> Set;
};

std::unique_ptr<TIEBitmap> Picture(int Which) {
  switch (Which) {
    case 0: return fmtt::MakeRGB(29, 13, [](Integer x, Integer y) { return uint32_t((x * 7 + y * 3) % 200) * 0x010305 ^ 0x204000; });
    case 1: return fmtt::MakeRGB(29, 13, [](Integer x, Integer y) { return uint32_t(((x / 2 + y) % 16) * 0x100F0E); });
    case 2: return fmtt::MakeBW(29, 13, [](Integer x, Integer y) { return (x * x + y) % 5 < 2; });
    case 3: return fmtt::MakeRGB(29, 13, [](Integer x, Integer y) { return uint32_t(x * 8) << 16 | uint32_t(y * 19) << 8 | uint32_t((x * y) % 256); });
    default: return fmtt::MakeRGB(29, 13, [](Integer x, Integer y) { return uint32_t(x * 8 + y) * 0x010101; });
  }
}

const InteropCase kCases[] = {
    {"bmp1.bmp", kBmp, 2, [](TIOParamsVals& p) { p.BitsPerSample = 1; }},
    {"bmp4.bmp", kBmp, 1, [](TIOParamsVals& p) { p.BitsPerSample = 4; p.SamplesPerPixel = 1; }},
    {"bmp4_rle.bmp", kBmp, 1, [](TIOParamsVals& p) { p.BitsPerSample = 4; p.SamplesPerPixel = 1; p.BmpCompression = 1; }},
    {"bmp8.bmp", kBmp, 0, [](TIOParamsVals& p) { p.SamplesPerPixel = 1; }},
    {"bmp8_rle.bmp", kBmp, 0, [](TIOParamsVals& p) { p.SamplesPerPixel = 1; p.BmpCompression = 1; }},
    {"bmp8_core.bmp", kBmp, 0, [](TIOParamsVals& p) { p.SamplesPerPixel = 1; p.BmpVersion = 2; }},
    {"bmp8_64.bmp", kBmp, 0, [](TIOParamsVals& p) { p.SamplesPerPixel = 1; p.BmpVersion = 3; p.BmpCompression = 1; }},
    {"bmp24.bmp", kBmp, 3, [](TIOParamsVals&) {}},
    {"bmp24_core.bmp", kBmp, 3, [](TIOParamsVals& p) { p.BmpVersion = 2; }},
    {"p4.pbm", kPnm, 2, [](TIOParamsVals& p) { p.BitsPerSample = 1; p.SamplesPerPixel = 1; }},
    {"p5.pgm", kPnm, 4, [](TIOParamsVals& p) { p.SamplesPerPixel = 1; p.PnmComments.Add("written"); }},
    {"p6.ppm", kPnm, 3, [](TIOParamsVals&) {}},
    {"pcx1.pcx", kPcx, 2, [](TIOParamsVals& p) { p.BitsPerSample = 1; }},
    {"pcx4.pcx", kPcx, 1, [](TIOParamsVals& p) { p.BitsPerSample = 4; p.SamplesPerPixel = 1; }},
    {"pcx8.pcx", kPcx, 0, [](TIOParamsVals& p) { p.SamplesPerPixel = 1; }},
    {"pcx8_raw.pcx", kPcx, 0, [](TIOParamsVals& p) { p.SamplesPerPixel = 1; p.PcxCompression = 0; }},
    {"pcx24.pcx", kPcx, 3, [](TIOParamsVals&) {}},
    {"pcx24_raw.pcx", kPcx, 3, [](TIOParamsVals& p) { p.PcxCompression = 0; }},
    {"tga1.tga", kTga, 2, [](TIOParamsVals& p) { p.BitsPerSample = 1; p.SamplesPerPixel = 1; }},
    {"tga4.tga", kTga, 1, [](TIOParamsVals& p) { p.BitsPerSample = 4; p.SamplesPerPixel = 1; }},
    {"tga8.tga", kTga, 0, [](TIOParamsVals& p) { p.SamplesPerPixel = 1; }},
    {"tga8_raw.tga", kTga, 0, [](TIOParamsVals& p) { p.SamplesPerPixel = 1; p.TgaCompression = false; }},
    {"tga8_grey.tga", kTga, 4, [](TIOParamsVals& p) { p.SamplesPerPixel = 1; p.TgaGrayscale = true; }},
    {"tga24.tga", kTga, 3, [](TIOParamsVals&) {}},
    {"tga24_raw.tga", kTga, 3, [](TIOParamsVals& p) { p.TgaCompression = false; }},
    {"tga32.tga", kTga, 3, [](TIOParamsVals&) {}},
    {"gif1.gif", kGif, 2, [](TIOParamsVals& p) { p.BitsPerSample = 1; }},
    {"gif4_interlaced.gif", kGif, 1, [](TIOParamsVals& p) { p.BitsPerSample = 4; p.GifInterlaced = true; }},
    {"gif8.gif", kGif, 0, [](TIOParamsVals&) {}},
};

class FmtInterop : public ::testing::TestWithParam<InteropCase> {};

TEST_P(FmtInterop, WrittenFileReadsBack) {
  const InteropCase& c = GetParam();
  auto picture = Picture(c.Picture);
  std::unique_ptr<TIEMask> mask;
  if (std::string(c.Name) == "tga32.tga") {
    mask = std::make_unique<TIEMask>();
    mask->AllocateMask(29, 13, 8);
    for (Integer y = 0; y < 13; ++y)
      for (Integer x = 0; x < 29; ++x) mask->SetPixelValue(x, y, (x * 9) % 256);
    mask->SetFull(false);
  }
  TIOParamsVals p;
  c.Set(p);
  TMemoryStream s;
  fmtt::TProgressBox pr;
  switch (c.Format) {
    case kBmp: WriteBmpStream(&s, picture.get(), p, pr.Record); break;
    case kPnm: WritePnmStream(&s, picture.get(), p, pr.Record); break;
    case kPcx: WritePcxStream(&s, picture.get(), p, pr.Record); break;
    case kTga: WriteTgaStream(&s, picture.get(), p, pr.Record, mask.get()); break;
    case kGif: WriteGifStream(&s, picture.get(), p, pr.Record); break;
  }
  ASSERT_FALSE(pr.Abort) << c.Name;
  const std::vector<Byte> bytes = fmtt::BytesOf(s);

  auto back = fmtt::NewBuffer();
  TIOParamsVals q;
  fmtt::TProgressBox rp;
  std::unique_ptr<TIEMask> alpha;
  auto in = fmtt::StreamOf(bytes);
  switch (c.Format) {
    case kBmp: ReadBmpStream(in.get(), back.get(), q, rp.Record, false, 0); break;
    case kPnm: ReadPnmStream(in.get(), back.get(), q, rp.Record, false); break;
    case kPcx: ReadPcxStream(in.get(), back.get(), q, rp.Record, false, 0); break;
    case kTga: ReadTgaStream(in.get(), back.get(), q, rp.Record, false, false, alpha); break;
    case kGif: ReadGifStream(in.get(), back.get(), q, rp.Record, false, true, alpha); break;
  }
  ASSERT_FALSE(rp.Abort) << c.Name << ": " << IELastFilterError();
  EXPECT_EQ(fmtt::DifferentPixels(*picture, *back), 0) << c.Name;
  if (mask) {
    ASSERT_TRUE(alpha);
    EXPECT_EQ(Rgba(*back, alpha.get()), Rgba(*picture, mask.get()));
  }

  const std::string dir = OutDir();
  WriteFile(dir + c.Name, bytes);
  WriteFile(dir + c.Name + ".rgba", Rgba(*picture, mask.get()));
}

INSTANTIATE_TEST_SUITE_P(Writers, FmtInterop, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<InteropCase>& I) {
                           std::string n = I.param.Name;
                           for (char& ch : n)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

}  // namespace
