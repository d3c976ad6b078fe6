// EXIF block reader: the APP1 "Exif" block's TIFF structure into the EXIF
// fields of the parameters and their thumbnail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/ieexif.h"
#include "imaging/formats/jpegfilt.h"
#include "tiff_read_util.h"

namespace {

using tifft::Builder;
using tifft::Dir;

std::vector<uint8_t> Block(const std::vector<uint8_t>& Tiff, const char* Head = "Exif\0\0") {
  std::vector<uint8_t> b(Head, Head + 6);
  b.insert(b.end(), Tiff.begin(), Tiff.end());
  return b;
}

// First directory: camera tags and the EXIF sub-directory; second: a 4 x 2
// uncompressed RGB thumbnail, or one in JPEG when Jpeg is given.
std::vector<uint8_t> ExifTiff(bool Le, const std::vector<uint8_t>& Jpeg = {}) {
  Builder b(Le);
  Dir main;
  main.Text(270, "A view").Text(271, "Cam").Text(272, "Cam 1").Short(274, {6}).Rational(282, {72, 1});
  main.Rational(283, {72, 1}).Short(296, {2}).Text(305, "fw 1.0").Text(306, "2021:02:03 04:05:06");
  main.Short(531, {1}).Text(33432, "me");
  Dir exif;
  exif.Rational(33434, {1, 60}).Rational(33437, {4, 1}).Short(34855, {400});
  exif.Raw(36864, tifft::UNDEFINED, {'0', '2', '3', '0'}).Short(37385, {16}).Long(40962, {4000});
  main.SubDirs.push_back({34665, exif});
  b.Dirs.push_back(main);
  Dir thumb;
  if (Jpeg.empty()) {
    thumb.Image(4, 2, 3, 8, 2);
    thumb.Chunks.push_back({255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  } else {
    thumb.Short(259, {6}).Raw(999, tifft::UNDEFINED, Jpeg);
  }
  b.Dirs.push_back(thumb);
  auto file = b.Build();
  if (!Jpeg.empty()) {
    // Point the thumbnail's interchange-format tags at the JPEG bytes (the
    // directory layout does not move: the new values fit their entries).
    size_t at = 0;
    for (size_t i = 8; i + 2 < file.size(); ++i)
      if (file[i] == 0xFF && file[i + 1] == 0xD8 && file[i + 2] == 0xFF) {
        at = i;
        break;
      }
    b.Dirs[1].Long(513, {uint32_t(at)}).Long(514, {uint32_t(Jpeg.size())});
    file = b.Build();
  }
  return file;
}

bool Read(const std::vector<uint8_t>& Data, TIOParamsVals& P) { return ReadExifBlock(Data.data(), Integer(Data.size()), P); }

TEST(ExifBlock, OnlyBlocksStartingWithExifAndAZeroAreRead) {
  const auto tiff = ExifTiff(true);
  struct Case {
    std::vector<uint8_t> Data;
    bool Result;
  };
  const Case cases[] = {
      {Block(tiff, "Exif\x01\0"), false}, {Block(tiff, "EXIF\0\0"), false}, {Block(tiff, "Exi\0\0\0"), false},
      {{'E', 'x', 'i', 'f'}, false},      {Block(tiff), true},
  };
  for (const Case& c : cases) {
    TIOParamsVals p;
    p.ExifMake = "untouched";
    EXPECT_EQ(Read(c.Data, p), c.Result);
    EXPECT_EQ(p.ExifPresent, c.Result);
    EXPECT_EQ(p.ExifMake, c.Result ? "Cam" : "untouched");
  }
}

TEST(ExifBlock, FieldsAndThumbnailInBothByteOrders) {
  for (bool le : {true, false}) {
    TIOParamsVals p;
    p.Width = 640;  // the image's own fields are not the EXIF structure's
    p.TiffImageDescription = "mine";
    ASSERT_TRUE(Read(Block(ExifTiff(le)), p));
    EXPECT_TRUE(p.ExifPresent);
    EXPECT_EQ(p.ExifImageDescription, "A view");
    EXPECT_EQ(p.ExifMake, "Cam");
    EXPECT_EQ(p.ExifModel, "Cam 1");
    EXPECT_EQ(p.ExifOrientation, 6);
    EXPECT_DOUBLE_EQ(p.ExifXResolution, 72);
    EXPECT_EQ(p.ExifResolutionUnit, 2);
    EXPECT_EQ(p.ExifSoftware, "fw 1.0");
    EXPECT_EQ(p.ExifDateTime, "2021:02:03 04:05:06");
    EXPECT_EQ(p.ExifYCbCrPositioning, 1);
    EXPECT_EQ(p.ExifCopyright, "me");
    EXPECT_NEAR(p.ExifExposureTime, 1.0 / 60, 1e-12);
    EXPECT_DOUBLE_EQ(p.ExifFNumber, 4);
    EXPECT_EQ(p.ExifIsoSpeedRatings[0], 400);
    EXPECT_EQ(p.ExifVersion, "0230");
    EXPECT_EQ(p.ExifFlash, 16);
    EXPECT_EQ(p.ExifPixelXDimension, 4000);
    EXPECT_EQ(p.Width, 640);
    EXPECT_EQ(p.TiffImageDescription, "mine");
    ASSERT_NE(p.ExifThumbnail, nullptr);
    ASSERT_EQ(p.ExifThumbnail->Width(), 4);
    ASSERT_EQ(p.ExifThumbnail->Height(), 2);
    EXPECT_EQ(fmtt::Pixel(*p.ExifThumbnail, 0, 0), 0xFF0000u);
    EXPECT_EQ(fmtt::Pixel(*p.ExifThumbnail, 2, 0), 0x0000FFu);
    EXPECT_EQ(fmtt::Pixel(*p.ExifThumbnail, 3, 1), 0x0A0B0Cu);
  }
}

TEST(ExifBlock, JpegThumbnail) {
  auto pic = fmtt::MakeRGB(16, 8, [](Integer, Integer) { return 0x20C020u; });
  TMemoryStream m;
  TIOParamsVals wp;
  fmtt::TProgressBox pr;
  WriteJpegStream(&m, pic.get(), wp, pr.Record);
  TIOParamsVals p;
  ASSERT_TRUE(Read(Block(ExifTiff(true, fmtt::BytesOf(m))), p));
  EXPECT_EQ(p.ExifMake, "Cam");
  ASSERT_NE(p.ExifThumbnail, nullptr);
  ASSERT_EQ(p.ExifThumbnail->Width(), 16);
  const uint32_t c = fmtt::Pixel(*p.ExifThumbnail, 8, 4);
  EXPECT_NEAR(int((c >> 8) & 255), 0xC0, 6);
  EXPECT_NEAR(int(c >> 16), 0x20, 6);
}

TEST(ExifBlock, DamagedStructuresStillReportTrue) {
  const auto tiff = ExifTiff(false);
  for (size_t keep : {size_t(0), size_t(4), size_t(9), tiff.size() / 2, tiff.size() - 5}) {
    TIOParamsVals p;
    const auto b = Block(std::vector<uint8_t>(tiff.begin(), tiff.begin() + long(keep)));
    EXPECT_TRUE(Read(b, p)) << keep;
    EXPECT_TRUE(p.ExifPresent) << keep;
    ASSERT_NE(p.ExifThumbnail, nullptr);
  }
}

}  // namespace
