// TIFF reader: directory chain, tags and their defaults, EXIF sub-directory,
// IPTC, resolution, orientation, alpha and the parameters-only road, on files
// built in the test in both byte orders.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/tiffilt.h"
#include "tiff_read_util.h"

namespace {

using tifft::Builder;
using tifft::Dir;

struct TiffRead {
  std::unique_ptr<TIEBitmap> Bitmap = fmtt::NewBuffer();
  std::unique_ptr<TIEMask> Alpha;
  TIOParamsVals Params;
  Integer Count = -1;
  bool Abort = false;
  std::string Error;

  void Run(const std::vector<Byte>& File, bool IgnoreAlpha = false, bool ParamsOnly = false) {
    auto s = fmtt::StreamOf(File);
    fmtt::TProgressBox p;
    IEClearFilterError();
    ReadTiffStream(Bitmap.get(), s.get(), Count, IgnoreAlpha, false, Alpha, ParamsOnly, p.Record, Params);
    Abort = p.Abort;
    Error = IELastFilterError();
  }
};

// A grey 8-bit image of W x H whose pixel (x, y) is 10 * y + x.
Dir GreyDir(uint32_t W = 4, uint32_t H = 3) {
  Dir d;
  d.Image(W, H, 1, 8, 1);
  std::vector<uint8_t> px;
  for (uint32_t y = 0; y < H; ++y)
    for (uint32_t x = 0; x < W; ++x) px.push_back(uint8_t(10 * y + x));
  d.Chunks.push_back(px);
  return d;
}

uint32_t Grey(uint32_t V) { return V * 0x010101u; }

class TiffReadByteOrder : public ::testing::TestWithParam<bool> {};

TEST_P(TiffReadByteOrder, AbsentTagsTakeTheirDefaults) {
  Builder b(GetParam());
  Dir d;
  d.Short(256, {9}).Short(257, {2});
  d.Chunks.push_back(std::vector<uint8_t>(4, 0xF0));
  b.Dirs.push_back(d);
  TiffRead r;
  r.Params.TiffPhotometric = 99;
  r.Run(b.Build());
  ASSERT_FALSE(r.Abort) << r.Error;
  const TIOParamsVals& p = r.Params;
  EXPECT_EQ(p.BitsPerSample, 1);
  EXPECT_EQ(p.SamplesPerPixel, 1);
  EXPECT_EQ(p.TiffCompression, 0);
  EXPECT_EQ(p.TiffPhotometric, 0) << "1-bit, one sample, photometric 2 by default: taken as 0";
  EXPECT_EQ(p.TiffPlanarConfig, 1);
  EXPECT_EQ(p.TiffOrientation, 1);
  EXPECT_EQ(p.ExifResolutionUnit, 2);
  EXPECT_EQ(p.DpiX, IEDefaultDpiX);
  EXPECT_EQ(p.DpiY, IEDefaultDpiY);
  EXPECT_EQ(p.TiffPageNumber, 0);
  EXPECT_EQ(p.TiffPageCount, 0);
  EXPECT_EQ(p.TiffXPosition, 0);
  EXPECT_TRUE(p.TiffDocumentName.empty());
  EXPECT_EQ(p.PaletteCount, 0);
  EXPECT_EQ(p.ExifWhitePoint[0], 0);
  // Photometric 0 uncompressed: 0 bits are white; one strip of the whole image.
  ASSERT_EQ(r.Bitmap->PixelKind(), ipkBW1);
  EXPECT_EQ(fmtt::Pixel(*r.Bitmap, 0, 0), 0u);
  EXPECT_EQ(fmtt::Pixel(*r.Bitmap, 4, 1), 0xFFFFFFu);
}

// Every tag the reader takes, set to a value, and where it shows.
TEST_P(TiffReadByteOrder, EveryTagReachesItsParameter) {
  Builder b(GetParam());
  Dir d = GreyDir();
  d.Text(269, "doc").Text(270, "desc").Text(271, "Make1").Text(272, "Model1").Text(285, "page");
  d.Short(274, {1}).Rational(282, {300, 1}).Rational(283, {150, 2}).Short(284, {1});
  d.Rational(286, {7, 2}).Rational(287, {10, 1}).Short(296, {2}).Short(297, {2, 5});
  d.Text(305, "soft").Text(306, "2024:01:02 03:04:05").Rational(318, {1, 2, 3, 4});
  d.Rational(319, {1, 1, 2, 1, 3, 1, 4, 1, 5, 1, 6, 1}).Rational(529, {299, 1000, 587, 1000, 114, 1000});
  d.Short(531, {2}).Rational(532, {0, 1, 255, 1, 128, 1, 255, 1, 128, 1, 255, 1}).Text(33432, "(c) me");
  d.Long(292, {0}).Short(266, {1}).Short(317, {1});
  b.Dirs.push_back(d);
  TiffRead r;
  r.Run(b.Build());
  ASSERT_FALSE(r.Abort) << r.Error;
  const TIOParamsVals& p = r.Params;
  struct Check {
    const char* What;
    std::function<bool()> Ok;
  };
  const std::vector<Check> checks = {
      {"width", [&] { return p.Width == 4; }},
      {"height", [&] { return p.Height == 3; }},
      {"bits", [&] { return p.BitsPerSample == 8; }},
      {"document name", [&] { return p.TiffDocumentName == "doc"; }},
      {"description", [&] { return p.TiffImageDescription == "desc"; }},
      {"make", [&] { return p.ExifMake == "Make1"; }},
      {"model", [&] { return p.ExifModel == "Model1"; }},
      {"page name", [&] { return p.TiffPageName == "page"; }},
      {"dpi x", [&] { return p.DpiX == 300; }},
      {"dpi y", [&] { return p.DpiY == 75; }},
      {"exif x resolution", [&] { return p.ExifXResolution == 300.0; }},
      {"x position", [&] { return p.TiffXPosition == 3; }},
      {"y position", [&] { return p.TiffYPosition == 10; }},
      {"page number", [&] { return p.TiffPageNumber == 2 && p.TiffPageCount == 5; }},
      {"software", [&] { return p.ExifSoftware == "soft"; }},
      {"date", [&] { return p.ExifDateTime == "2024:01:02 03:04:05"; }},
      {"white point", [&] { return p.ExifWhitePoint[0] == 0.5 && p.ExifWhitePoint[1] == 0.75; }},
      {"chromaticities", [&] { return p.ExifPrimaryChromaticities[5] == 6.0; }},
      {"ycbcr coefficients", [&] { return p.ExifYCbCrCoefficients[1] == 0.587; }},
      {"ycbcr positioning", [&] { return p.ExifYCbCrPositioning == 2; }},
      {"reference black white", [&] { return p.ExifReferenceBlackWhite[4] == 128.0; }},
      {"copyright", [&] { return p.ExifCopyright == "(c) me"; }},
      {"image count", [&] { return p.TiffImageCount == 1; }},
      {"pixels", [&] { return fmtt::Pixel(*r.Bitmap, 3, 2) == Grey(23); }},
  };
  for (const Check& c : checks) EXPECT_TRUE(c.Ok()) << c.What;
}

TEST_P(TiffReadByteOrder, CompressionAndPhotometricMapToParameterCodes) {
  struct Case {
    uint32_t Compression, T4Options, Photometric;
    Byte WantCompression, WantPhotometric;
  };
  const Case cases[] = {
      {1, 0, 1, 0, 1},     {2, 0, 0, 1, 0},     {3, 0, 0, 2, 0},  {3, 1, 0, 3, 0},     {4, 0, 1, 4, 1},
      {5, 0, 2, 5, 2},     {6, 0, 6, 6, 6},     {7, 0, 6, 7, 6},  {32773, 0, 3, 8, 3}, {8, 0, 5, 9, 5},
      {1, 0, 8, 0, 7},     {1, 0, 4, 0, 4},     {1, 0, 9, 0, 77},
  };
  for (const Case& c : cases) {
    Builder b(GetParam());
    Dir d = GreyDir();
    d.Short(259, {c.Compression}).Short(262, {c.Photometric}).Long(292, {c.T4Options});
    b.Dirs.push_back(d);
    TiffRead r;
    r.Params.TiffPhotometric = 77;
    r.Run(b.Build(), false, true);
    EXPECT_EQ(r.Params.TiffCompression, c.WantCompression) << c.Compression << "/" << c.T4Options;
    EXPECT_EQ(r.Params.TiffPhotometric, c.WantPhotometric) << c.Photometric;
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, TiffReadByteOrder, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& I) { return I.param ? "II" : "MM"; });

// Three pages of different sizes, chained.
Builder ThreePages() {
  Builder b;
  for (uint32_t k = 0; k < 3; ++k) b.Dirs.push_back(GreyDir(2 + k, 2));
  return b;
}

TEST(TiffReadChain, EveryPageReadsAndCountsTheChain) {
  Builder b = ThreePages();
  const auto file = b.Build();
  for (Integer page = 0; page < 3; ++page) {
    TiffRead r;
    r.Params.TiffPageIndex = page;
    r.Run(file);
    EXPECT_FALSE(r.Abort);
    EXPECT_EQ(r.Count, 3);
    EXPECT_EQ(r.Params.TiffImageCount, 3);
    EXPECT_EQ(r.Bitmap->Width(), 2 + page);
  }
  // Past the chain: the count only, no failure, target and parameters untouched.
  TiffRead r;
  r.Params.TiffPageIndex = 3;
  r.Params.Width = 1234;
  r.Run(file);
  EXPECT_FALSE(r.Abort);
  EXPECT_EQ(r.Count, 3);
  EXPECT_EQ(r.Bitmap->Width(), 0);
  EXPECT_EQ(r.Params.Width, 1234);
}

TEST(TiffReadChain, LoopsAndBadLinksEndAtTheLastGoodPage) {
  struct Case {
    const char* What;
    size_t From;
    std::function<uint32_t(const Builder&, size_t)> To;
    Integer Count;
  };
  const Case cases[] = {
      {"link to itself", 2, [](const Builder& b, size_t) { return b.DirOffsets[2]; }, 3},
      {"last links to the first", 2, [](const Builder& b, size_t) { return b.DirOffsets[0]; }, 3},
      {"second links back to the first", 1, [](const Builder& b, size_t) { return b.DirOffsets[0]; }, 2},
      {"link past the end", 1, [](const Builder&, size_t n) { return uint32_t(n + 100); }, 2},
      {"link far outside", 0, [](const Builder&, size_t) { return 0xFFFFFFF0u; }, 1},
      {"link into the last bytes", 1, [](const Builder&, size_t n) { return uint32_t(n - 1); }, 2},
  };
  for (const Case& c : cases) {
    Builder b = ThreePages();
    const size_t size = b.Build().size();
    b.NextOverride[c.From] = c.To(b, size);
    const auto file = b.Build();
    for (Integer page : {0, c.Count - 1, c.Count}) {
      TiffRead r;
      r.Params.TiffPageIndex = page;
      r.Run(file);
      EXPECT_EQ(r.Count, c.Count) << c.What;
      EXPECT_FALSE(r.Abort) << c.What;
      EXPECT_EQ(r.Bitmap->Width(), page < c.Count ? 2 + page : 0) << c.What << " page " << page;
    }
  }
}

TEST(TiffReadChain, FirstDirectoryMissingOrOutsideAndBadHeaders) {
  auto file = ThreePages().Build();
  {
    auto f = file;
    f[4] = f[5] = f[6] = f[7] = 0;  // first offset 0: quietly nothing
    TiffRead r;
    r.Run(f);
    EXPECT_FALSE(r.Abort);
    EXPECT_EQ(r.Count, 0);
  }
  {
    auto f = file;
    f[4] = 0xF0, f[5] = 0xFF, f[6] = 0xFF, f[7] = 0x7F;
    TiffRead r;
    r.Run(f);
    EXPECT_TRUE(r.Abort);
    EXPECT_EQ(r.Count, 0);
    EXPECT_NE(r.Error.find("outside"), std::string::npos) << r.Error;
  }
  for (const char* head : {"IM", "XX", "MI"}) {
    auto f = file;
    f[0] = Byte(head[0]), f[1] = Byte(head[1]);
    TiffRead r;
    r.Run(f);
    EXPECT_TRUE(r.Abort) << head;
    EXPECT_EQ(r.Error, "Not a TIFF file");
  }
  TiffRead r;
  r.Run(std::vector<Byte>(file.begin(), file.begin() + 5));
  EXPECT_TRUE(r.Abort);
}

TEST(TiffReadChain, TagValuesOutsideTheFileReadAsAbsentAndStripTablesAreRefused) {
  {  // a text whose offset points past the end: empty, the image still reads
    Builder b;
    b.Dirs.push_back(GreyDir().Text(270, "a long description"));
    auto f = b.Build();
    // Find the 270 entry and move its offset far away.
    const size_t at = b.DirOffsets[0] + 2;
    for (size_t e = at; e + 12 <= f.size(); e += 12)
      if (fmtt::Le16At(f, e) == 270) f[e + 8] = 0xFF, f[e + 9] = 0xFF, f[e + 10] = 0xFF, f[e + 11] = 0x0F;
    TiffRead r;
    r.Run(f);
    EXPECT_FALSE(r.Abort) << r.Error;
    EXPECT_TRUE(r.Params.TiffImageDescription.empty());
    EXPECT_EQ(fmtt::Pixel(*r.Bitmap, 1, 1), Grey(11));
  }
  {  // a strip offset table whose count runs past the end of the file
    Builder b;
    Dir d = GreyDir();
    b.Dirs.push_back(d);
    auto f = b.Build();
    const size_t at = b.DirOffsets[0] + 2;
    for (size_t e = at; e + 12 <= f.size(); e += 12)
      if (fmtt::Le16At(f, e) == 273) f[e + 4] = 0, f[e + 5] = 0, f[e + 6] = 0, f[e + 7] = 0x10;
    TiffRead r;
    r.Run(f);
    EXPECT_TRUE(r.Abort);
    EXPECT_NE(r.Error.find("outside the file"), std::string::npos) << r.Error;
  }
  {  // a strip starting outside the file or longer than it: what is there decodes
    Builder b;
    Dir d = GreyDir(4, 4);
    d.Short(278, {2});
    d.Chunks = {{0, 1, 2, 3, 10, 11, 12, 13}, {20, 21, 22, 23, 30, 31, 32, 33}};
    b.Dirs.push_back(d);
    auto f = b.Build();
    const size_t at = b.DirOffsets[0] + 2;
    for (size_t e = at; e + 12 <= f.size(); e += 12)
      if (fmtt::Le16At(f, e) == 279) {
        const uint32_t counts = fmtt::Le32At(f, e + 8);
        f[counts] = 0xFF, f[counts + 1] = 0xFF, f[counts + 2] = 0xFF, f[counts + 3] = 0x7F;  // strip 0 huge
      }
    TiffRead r;
    r.Run(f);
    EXPECT_FALSE(r.Abort) << r.Error;
    EXPECT_EQ(fmtt::Pixel(*r.Bitmap, 3, 1), Grey(13));
    EXPECT_EQ(fmtt::Pixel(*r.Bitmap, 3, 3), Grey(33));
  }
}

TEST(TiffReadMeta, ExifSubDirectoryAndIptc) {
  for (bool le : {true, false}) {
    Builder b(le);
    Dir exif;
    exif.Rational(33434, {1, 250}).Rational(33437, {28, 10}).Short(34850, {2}).Short(34855, {100, 200});
    exif.Raw(36864, tifft::UNDEFINED, {'0', '2', '2', '1'}).Text(36867, "2020:05:06 07:08:09");
    exif.Text(36868, "2020:05:06 07:08:10").Rational(37122, {4, 1}).Set(37377, 10, {7, 1});
    exif.Rational(37378, {5, 1}).Set(37379, 10, {uint32_t(-3), 2}).Set(37380, 10, {uint32_t(-1), 3});
    exif.Rational(37381, {3, 1}).Rational(37382, {15, 10}).Short(37383, {5}).Short(37384, {4}).Short(37385, {1});
    exif.Rational(37386, {50, 1}).Text(37520, "12").Text(37521, "34").Text(37522, "56");
    const std::string uc = std::string("ASCII\0\0\0", 8) + "hello";
    exif.Raw(37510, tifft::UNDEFINED, std::vector<uint8_t>(uc.begin(), uc.end()));
    exif.Raw(40960, tifft::UNDEFINED, {'0', '1', '0', '0'}).Short(40961, {1}).Long(40962, {640});
    exif.Short(40963, {480}).Text(40964, "snd.wav").Rational(41486, {1000, 1}).Rational(41487, {2000, 1});
    exif.Short(41488, {3}).Rational(41493, {9, 1}).Short(41495, {2});
    exif.Raw(41728, tifft::UNDEFINED, {3}).Raw(41729, tifft::UNDEFINED, {1});
    Dir d = GreyDir();
    d.SubDirs.push_back({34665, exif});
    // IPTC: one record 2 dataset 5 (object name) "Hi", stored as UNDEFINED bytes.
    d.Raw(33723, tifft::UNDEFINED, {0x1C, 2, 5, 0, 2, 'H', 'i'});
    b.Dirs.push_back(d);
    TiffRead r;
    r.Run(b.Build());
    ASSERT_FALSE(r.Abort) << r.Error;
    const TIOParamsVals& p = r.Params;
    EXPECT_DOUBLE_EQ(p.ExifExposureTime, 0.004);
    EXPECT_DOUBLE_EQ(p.ExifFNumber, 2.8);
    EXPECT_EQ(p.ExifExposureProgram, 2);
    EXPECT_EQ(p.ExifIsoSpeedRatings[0], 100);
    EXPECT_EQ(p.ExifIsoSpeedRatings[1], 200);
    EXPECT_EQ(p.ExifVersion, "0221");
    EXPECT_EQ(p.ExifDateTimeOriginal, "2020:05:06 07:08:09");
    EXPECT_EQ(p.ExifDateTimeDigitized, "2020:05:06 07:08:10");
    EXPECT_DOUBLE_EQ(p.ExifCompressedBitsPerPixel, 4);
    EXPECT_DOUBLE_EQ(p.ExifShutterSpeedValue, 7);
    EXPECT_DOUBLE_EQ(p.ExifApertureValue, 5);
    EXPECT_DOUBLE_EQ(p.ExifBrightnessValue, -1.5);
    EXPECT_NEAR(p.ExifExposureBiasValue, -1.0 / 3, 1e-12);
    EXPECT_DOUBLE_EQ(p.ExifMaxApertureValue, 3);
    EXPECT_DOUBLE_EQ(p.ExifSubjectDistance, 1.5);
    EXPECT_EQ(p.ExifMeteringMode, 5);
    EXPECT_EQ(p.ExifLightSource, 4);
    EXPECT_EQ(p.ExifFlash, 1);
    EXPECT_DOUBLE_EQ(p.ExifFocalLength, 50);
    EXPECT_EQ(p.ExifSubsecTime, "12");
    EXPECT_EQ(p.ExifSubsecTimeOriginal, "34");
    EXPECT_EQ(p.ExifSubsecTimeDigitized, "56");
    EXPECT_EQ(p.ExifUserCommentCode, std::string("ASCII\0\0\0", 8));
    EXPECT_EQ(p.ExifUserComment, "hello");
    EXPECT_EQ(p.ExifFlashPixVersion, "0100");
    EXPECT_EQ(p.ExifColorSpace, 1);
    EXPECT_EQ(p.ExifPixelXDimension, 640);
    EXPECT_EQ(p.ExifPixelYDimension, 480);
    EXPECT_EQ(p.ExifRelatedSoundFile, "snd.wav");
    EXPECT_DOUBLE_EQ(p.ExifFocalPlaneXResolution, 1000);
    EXPECT_DOUBLE_EQ(p.ExifFocalPlaneYResolution, 2000);
    EXPECT_EQ(p.ExifFocalPlaneResolutionUnit, 3);
    EXPECT_DOUBLE_EQ(p.ExifExposureIndex, 9);
    EXPECT_EQ(p.ExifSensingMethod, 2);
    EXPECT_EQ(p.ExifFileSource, 3);
    EXPECT_EQ(p.ExifSceneType, 1);
    ASSERT_EQ(p.IptcInfo.Count(), 1);
    EXPECT_EQ(p.IptcInfo.DatasetNumber(0), 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p.IptcInfo.DatasetData(0)), 2), "Hi");
    EXPECT_EQ(fmtt::Pixel(*r.Bitmap, 2, 2), Grey(22));
  }
  // Without the IPTC tag the list is emptied.
  Builder b;
  b.Dirs.push_back(GreyDir());
  TiffRead r;
  r.Params.IptcInfo.ParseDatasets("\x1C\x02\x05\x00\x01X", 6);
  ASSERT_EQ(r.Params.IptcInfo.Count(), 1);
  r.Run(b.Build());
  EXPECT_EQ(r.Params.IptcInfo.Count(), 0);
}

TEST(TiffReadMeta, Resolution) {
  IEDefaultDpiX = 96;
  IEDefaultDpiY = 97;
  struct Case {
    std::vector<uint32_t> X, Y;
    int Unit;  // 0: tag absent
    Integer DpiX, DpiY;
  };
  const Case cases[] = {
      {{300, 1}, {300, 1}, 2, 300, 300}, {{118, 1}, {118, 1}, 3, 299, 299}, {{}, {}, 0, 96, 97},
      {{72, 1}, {0, 0}, 0, 72, 97},      {{1, 3}, {5, 2}, 1, 96, 2},
  };
  for (const Case& c : cases) {
    Builder b;
    Dir d = GreyDir();
    if (!c.X.empty()) d.Rational(282, c.X).Rational(283, c.Y);
    if (c.Unit) d.Short(296, {uint32_t(c.Unit)});
    b.Dirs.push_back(d);
    TiffRead r;
    r.Run(b.Build(), false, true);
    EXPECT_EQ(r.Params.DpiX, c.DpiX);
    EXPECT_EQ(r.Params.DpiY, c.DpiY);
  }
  IEDefaultDpiX = IEDefaultDpiY = 0;
}

TEST(TiffReadMeta, OrientationTurnsThePictureWhenAsked) {
  // A 3 x 2 picture; stored pixel (x, y) lands on the shown pixel Map(x, y).
  struct Case {
    uint32_t O;
    Integer W, H;
    std::function<std::pair<Integer, Integer>(Integer, Integer)> Map;
  };
  const Case cases[] = {
      {1, 3, 2, [](Integer x, Integer y) { return std::make_pair(x, y); }},
      {2, 3, 2, [](Integer x, Integer y) { return std::make_pair(2 - x, y); }},
      {3, 3, 2, [](Integer x, Integer y) { return std::make_pair(2 - x, 1 - y); }},
      {4, 3, 2, [](Integer x, Integer y) { return std::make_pair(x, 1 - y); }},
      {5, 2, 3, [](Integer x, Integer y) { return std::make_pair(y, x); }},
      {6, 2, 3, [](Integer x, Integer y) { return std::make_pair(1 - y, x); }},
      {7, 2, 3, [](Integer x, Integer y) { return std::make_pair(1 - y, 2 - x); }},
      {8, 2, 3, [](Integer x, Integer y) { return std::make_pair(y, 2 - x); }},
  };
  for (const Case& c : cases) {
    Builder b;
    b.Dirs.push_back(GreyDir(3, 2).Short(274, {c.O}));
    const auto file = b.Build();
    TiffRead r;
    r.Params.TiffApplyOrientation = true;
    r.Run(file);
    ASSERT_FALSE(r.Abort);
    EXPECT_EQ(r.Params.TiffOrientation, Integer(c.O));
    ASSERT_EQ(r.Bitmap->Width(), c.W) << c.O;
    ASSERT_EQ(r.Bitmap->Height(), c.H) << c.O;
    for (Integer y = 0; y < 2; ++y)
      for (Integer x = 0; x < 3; ++x) {
        const auto [sx, sy] = c.Map(x, y);
        EXPECT_EQ(fmtt::Pixel(*r.Bitmap, sx, sy), Grey(uint32_t(10 * y + x))) << c.O << " at " << x << "," << y;
      }
    TiffRead plain;
    plain.Run(file);
    EXPECT_EQ(plain.Bitmap->Width(), 3) << "without the flag the picture stays as stored";
  }
}

TEST(TiffReadMeta, RowsPerStripAllOnesIsOneStripAndBigEndianPageNumber) {
  Builder b(false);
  b.Dirs.push_back(GreyDir(4, 5).Long(278, {0xFFFFFFFFu}).Short(297, {2, 5}));
  TiffRead r;
  r.Run(b.Build());
  ASSERT_FALSE(r.Abort) << r.Error;
  EXPECT_EQ(fmtt::Pixel(*r.Bitmap, 3, 4), Grey(43));
  EXPECT_EQ(r.Params.TiffPageNumber, 2);
  EXPECT_EQ(r.Params.TiffPageCount, 5);
}

Dir RgbaDir() {
  Dir d;
  d.Image(2, 2, 4, 8, 2).Short(338, {2});
  d.Chunks.push_back({255, 0, 0, 10, 0, 255, 0, 20, 0, 0, 255, 30, 1, 2, 3, 40});
  return d;
}

TEST(TiffReadMeta, AlphaMaskAndParamsOnly) {
  Builder b;
  b.Dirs.push_back(RgbaDir());
  const auto file = b.Build();
  {
    TiffRead r;
    r.Run(file, true);
    EXPECT_EQ(r.Alpha, nullptr);
    EXPECT_EQ(fmtt::Pixel(*r.Bitmap, 1, 1), 0x010203u);
  }
  {
    TiffRead r;
    r.Run(file);
    ASSERT_NE(r.Alpha, nullptr);
    EXPECT_EQ(r.Alpha->BitsPerPixel(), 8);
    EXPECT_FALSE(r.Alpha->Full());
    EXPECT_EQ(r.Alpha->GetPixelValue(0, 0), 10);
    EXPECT_EQ(r.Alpha->GetPixelValue(1, 0), 20);
    EXPECT_EQ(r.Alpha->GetPixelValue(0, 1), 30);
    EXPECT_EQ(r.Alpha->GetPixelValue(1, 1), 40);
    EXPECT_EQ(fmtt::Pixel(*r.Bitmap, 0, 0), 0xFF0000u);
  }
  {  // an image without alpha fills a given mask with 255
    Builder g;
    g.Dirs.push_back(GreyDir());
    TiffRead r;
    r.Alpha = std::make_unique<TIEMask>();
    r.Run(g.Build());
    ASSERT_EQ(r.Alpha->Width(), 4);
    EXPECT_EQ(r.Alpha->GetPixelValue(3, 2), 255);
    EXPECT_TRUE(r.Alpha->Full());
  }
  {  // palette with an alpha sample: the sample as it stands, as for RGBA
    Builder g;
    Dir d;
    d.Image(2, 1, 2, 8, 3).Short(338, {2});
    std::vector<uint32_t> map(3 * 256, 0);
    map[1] = 0xFFFF;             // red of entry 1
    map[256 + 2] = 0x8000;       // green of entry 2
    d.Short(320, map);
    d.Chunks.push_back({1, 255, 2, 0});
    g.Dirs.push_back(d);
    TiffRead r;
    r.Run(g.Build());
    ASSERT_FALSE(r.Abort) << r.Error;
    EXPECT_EQ(fmtt::Pixel(*r.Bitmap, 0, 0), 0xFF0000u);
    EXPECT_EQ(fmtt::Pixel(*r.Bitmap, 1, 0), 0x008000u);
    EXPECT_EQ(r.Params.PaletteCount, 256);
    ASSERT_NE(r.Alpha, nullptr);
    EXPECT_EQ(r.Alpha->GetPixelValue(0, 0), 255);
    EXPECT_EQ(r.Alpha->GetPixelValue(1, 0), 0);
  }
  {  // parameters only: target and mask untouched, parameters filled
    TiffRead r;
    r.Bitmap->AllocateImage(7, 7, ipkBW1);
    r.Run(file, false, true);
    EXPECT_FALSE(r.Abort);
    EXPECT_EQ(r.Alpha, nullptr);
    EXPECT_EQ(r.Bitmap->Width(), 7);
    EXPECT_EQ(r.Params.Width, 2);
    EXPECT_EQ(r.Params.SamplesPerPixel, 4);
  }
}

TEST(TiffReadMeta, FailuresAreReportedWithAReason) {
  struct Case {
    const char* What;
    std::function<void(Dir&)> Change;
    const char* Reason;
  };
  const Case cases[] = {
      {"unequal sample sizes", [](Dir& d) { d.Image(2, 2, 3, 8, 2).Short(258, {8, 8, 16}); }, "different sizes"},
      {"no width", [](Dir& d) { d.Short(256, {0}); }, "width"},
      {"LZW without a decoder", [](Dir& d) { d.Short(259, {5}); }, "LZW"},
      {"uncompressed YCbCr", [](Dir& d) { d.Image(2, 2, 3, 8, 6); }, "Unsupported"},
      {"2-bit grey", [](Dir& d) { d.Image(2, 2, 1, 2, 1); }, "Unsupported"},
      {"unknown compression", [](Dir& d) { d.Short(259, {34676}); }, "Unsupported"},
      {"old JPEG without its data", [](Dir& d) { d.Short(259, {6}); }, "Unsupported"},
      {"palette without colour map", [](Dir& d) { d.Image(4, 3, 1, 8, 3); }, "colour map"},
      {"huge picture from few bytes", [](Dir& d) { d.Long(256, {60000}).Long(257, {60000}); }, "fit"},
      {"huge tiles", [](Dir& d) { d.Long(322, {1u << 20}).Long(323, {1u << 20}); }, "tile"},
      {"predictor without LZW", [](Dir& d) { d.Short(317, {2}); }, "Unsupported"},
  };
  for (const Case& c : cases) {
    Builder b;
    Dir d = GreyDir();
    c.Change(d);
    b.Dirs.push_back(d);
    TiffRead r;
    r.Params.TiffLzwDecoder = nullptr;
    r.Run(b.Build());
    EXPECT_TRUE(r.Abort) << c.What;
    EXPECT_NE(r.Error.find(c.Reason), std::string::npos) << c.What << ": " << r.Error;
  }
}

}  // namespace
