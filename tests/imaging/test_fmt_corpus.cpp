// Files written by independent tools (tests/data/formats, see make_corpus.sh)
// decode to the pixels ImageMagick reads from them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "fmt_test_util.h"
#include "iebuffer_util.h"
#include "imaging/formats/bmpfilt.h"
#include "imaging/formats/giffilter.h"
#include "imaging/formats/iepnm.h"
#include "imaging/formats/ietgafil.h"
#include "imaging/formats/pcxfilter.h"

namespace {

struct CorpusCase {
  const char* File;
  // Low bits ImageMagick fills in that the reader leaves 0 (5- and 6-bit
  // channels are widened by a shift here): red, green, blue.
  int Shift[3];
};

const CorpusCase kCorpus[] = {
    {"bmp1.bmp", {0, 0, 0}},         {"bmp1_os2.bmp", {0, 0, 0}},       {"bmp4.bmp", {0, 0, 0}},
    {"bmp8.bmp", {0, 0, 0}},         {"bmp8_rle.bmp", {0, 0, 0}},       {"bmp8_os2.bmp", {0, 0, 0}},
    {"bmp16_555.bmp", {3, 3, 3}},    {"bmp16_565.bmp", {3, 2, 3}},      {"bmp24.bmp", {0, 0, 0}},
    {"bmp24_os2.bmp", {0, 0, 0}},    {"bmp24_v5.bmp", {0, 0, 0}},       {"bmp32.bmp", {0, 0, 0}},
    {"ico1.ico", {0, 0, 0}},         {"ico4.ico", {0, 0, 0}},           {"ico8.ico", {0, 0, 0}},
    {"ico32.ico", {0, 0, 0}},        {"cur4.cur", {0, 0, 0}},           {"p1.pbm", {0, 0, 0}},
    {"p4.pbm", {0, 0, 0}},           {"p2.pgm", {0, 0, 0}},             {"p5.pgm", {0, 0, 0}},
    {"p5_max100.pgm", {0, 0, 0}},    {"p3.ppm", {0, 0, 0}},             {"p6_16bit.ppm", {0, 0, 0}},
    {"p6_comments.ppm", {0, 0, 0}},  {"pcx1.pcx", {0, 0, 0}},           {"pcx4_planes.pcx", {0, 0, 0}},
    {"pcx4_packed.pcx", {0, 0, 0}},  {"pcx8.pcx", {0, 0, 0}},           {"pcx8_im.pcx", {0, 0, 0}},
    {"pcx24.pcx", {0, 0, 0}},        {"pcx24_im.pcx", {0, 0, 0}},       {"tga24.tga", {0, 0, 0}},
    {"tga24_rle.tga", {0, 0, 0}},    {"tga24_netpbm_rle.tga", {0, 0, 0}}, {"tga32.tga", {0, 0, 0}},
    {"tga32_rle.tga", {0, 0, 0}},    {"tga8_cmap.tga", {0, 0, 0}},      {"tga8_cmap_rle.tga", {0, 0, 0}},
    {"tga8_grey.tga", {0, 0, 0}},    {"tga8_grey_rle.tga", {0, 0, 0}},  {"gif1.gif", {0, 0, 0}},
    {"gif8.gif", {0, 0, 0}},         {"gif4_interlaced.gif", {0, 0, 0}}, {"gif4_transparent.gif", {0, 0, 0}},
};

std::string Extension(const std::string& F) { return F.substr(F.rfind('.') + 1); }

// Reads with the filter of the file's extension.
void ReadByExtension(const std::string& File, TStream* S, TIEBitmap* B, TIOParamsVals& P, TIEProgressRecord& Pr,
                     std::unique_ptr<TIEMask>& Alpha) {
  const std::string ext = Extension(File);
  if (ext == "bmp") ReadBmpStream(S, B, P, Pr, false, 0);
  else if (ext == "ico") ReadIcoStream(S, B, P, Pr, false, false, Alpha);
  else if (ext == "cur") ReadCurStream(S, B, P, Pr, false, false, Alpha);
  else if (ext == "pbm" || ext == "pgm" || ext == "ppm") ReadPnmStream(S, B, P, Pr, false);
  else if (ext == "pcx") ReadPcxStream(S, B, P, Pr, false, 0);
  else if (ext == "tga") ReadTgaStream(S, B, P, Pr, false, false, Alpha);
  else if (ext == "gif") ReadGifStream(S, B, P, Pr, false, false, Alpha);
}

class FmtCorpus : public ::testing::TestWithParam<std::tuple<CorpusCase, TIEStorageLocation>> {};

TEST_P(FmtCorpus, DecodesAsImageMagickDoes) {
  const CorpusCase& c = std::get<0>(GetParam());
  const std::vector<Byte> file = fmtt::ReadAll(fmtt::CorpusPath(c.File));
  const std::vector<Byte> ref = fmtt::ReadAll(fmtt::CorpusPath(std::string(c.File) + ".rgba"));
  ASSERT_FALSE(file.empty()) << c.File;
  ASSERT_EQ(ref.size(), size_t(23 * 13 * 4)) << c.File;

  TIEBitmap bitmap;
  iebuf::Place(bitmap, std::get<1>(GetParam()));
  TIOParamsVals params;
  fmtt::TProgressBox progress;
  std::unique_ptr<TIEMask> alpha;
  auto stream = fmtt::StreamOf(file);
  ReadByExtension(c.File, stream.get(), &bitmap, params, progress.Record, alpha);
  ASSERT_FALSE(progress.Abort) << c.File << ": " << IELastFilterError();
  ASSERT_EQ(bitmap.Width(), 23);
  ASSERT_EQ(bitmap.Height(), 13);
  EXPECT_EQ(params.Width, 23);
  EXPECT_EQ(params.Height, 13);

  bool refHasAlpha = false;
  for (size_t i = 3; i < ref.size(); i += 4) refHasAlpha |= ref[i] != 255;
  if (refHasAlpha) {
    ASSERT_TRUE(alpha) << c.File << ": the file's transparency was not returned";
  }

  Integer wrongColor = 0, wrongAlpha = 0;
  std::string first;
  for (Integer y = 0; y < 13; ++y)
    for (Integer x = 0; x < 23; ++x) {
      const Byte* r = ref.data() + 4 * (y * 23 + x);
      if (alpha && refHasAlpha && alpha->GetPixelValue(x, y) != r[3]) ++wrongAlpha;
      if (r[3] != 255) continue;  // colour under transparency is the reader's background
      const uint32_t got = fmtt::Pixel(bitmap, x, y);
      for (int k = 0; k < 3; ++k) {
        const Byte want = Byte((r[k] >> c.Shift[k]) << c.Shift[k]);
        if (Byte(got >> (16 - 8 * k)) != want) {
          if (wrongColor++ == 0) {
            char text[96];
            std::snprintf(text, sizeof(text), "first at (%d, %d): %06X, want %02X%02X%02X", int(x), int(y),
                          unsigned(got), r[0], r[1], r[2]);
            first = text;
          }
          break;
        }
      }
    }
  EXPECT_EQ(wrongColor, 0) << c.File << ", " << first;
  EXPECT_EQ(wrongAlpha, 0) << c.File;
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<CorpusCase, TIEStorageLocation>>& I) {
  std::string n = std::get<0>(I.param).File;
  for (char& ch : n)
    if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return n + "_" + iebuf::PlaceName(std::get<1>(I.param));
}

INSTANTIATE_TEST_SUITE_P(Files, FmtCorpus,
                         ::testing::Combine(::testing::ValuesIn(kCorpus), ::testing::Values(islMemory, islMappedFile)),
                         CaseName);

}  // namespace
