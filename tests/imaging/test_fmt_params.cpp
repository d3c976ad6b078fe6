// JPEG marker list, IPTC datasets and the format-parameters object.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "imaging/formats/iefilters.h"
#include "imaging/formats/ioparams.h"
#include "platform/SysUtils.h"

namespace {

std::vector<Byte> Bytes(std::initializer_list<int> v) {
  std::vector<Byte> out;
  for (int b : v) out.push_back(static_cast<Byte>(b));
  return out;
}

std::string DataOf(const TIEIPTCInfoList& l, Integer i) {
  return std::string(reinterpret_cast<const char*>(l.DatasetData(i)), static_cast<size_t>(l.DatasetLength(i)));
}

}  // namespace

TEST(FmtMarkerList, AddReplaceFindAndCopy) {
  TIEMarkerList list;
  const char exif[] = "Exif\0\0abc";
  list.AddMarker(0xE1, exif, 9);
  list.AddMarker(0xFE, "hello", 5);
  list.AddMarker(0xE1, "second", 6);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.IndexOfType(0xE1), 0);
  EXPECT_EQ(list.IndexOfType(0xFE), 1);
  EXPECT_EQ(list.IndexOfType(0xE2), -1);
  EXPECT_EQ(std::memcmp(list.MarkerData(0), exif, 9), 0);

  list.ReplaceMarker(1, 0xED, "xy", 2);
  EXPECT_EQ(list.MarkerType(1), 0xED);
  EXPECT_EQ(list.MarkerLength(1), 2);

  TIEMarkerList copy;
  copy.AddMarker(0xE5, "old", 3);
  copy.AssignFrom(&list);
  ASSERT_EQ(copy.Count(), 3);
  EXPECT_EQ(copy.MarkerType(2), 0xE1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(copy.MarkerData(2)), 6), "second");
  copy.AssignFrom(nullptr);
  EXPECT_EQ(copy.Count(), 3);
  list.ClearMarkers();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(copy.MarkerLength(0), 9);  // independent copy
}

TEST(FmtMarkerList, LengthIsTakenModulo65536) {
  std::vector<Byte> big(70000, 0x5A);
  TIEMarkerList list;
  list.AddMarker(0xE2, big.data(), 70000);
  EXPECT_EQ(list.MarkerLength(0), 4464);
  EXPECT_THROW(list.ReplaceMarker(3, 0xE2, big.data(), 1), EListError);
}

TEST(FmtIptc, ParseCases) {
  struct Case {
    const char* name;
    std::vector<Byte> data;
    std::vector<std::pair<int, std::string>> expect;  // dataset number, data
  };
  const std::vector<Case> cases = {
      {"one dataset", Bytes({0x1C, 2, 5, 0, 3, 'a', 'b', 'c'}), {{5, "abc"}}},
      {"leading bytes skipped", Bytes({9, 9, 0x1C, 2, 5, 0, 1, 'z'}), {{5, "z"}}},
      {"two datasets", Bytes({0x1C, 2, 5, 0, 1, 'a', 0x1C, 2, 120, 0, 2, 'h', 'i'}), {{5, "a"}, {120, "hi"}}},
      {"data past the end keeps the earlier", Bytes({0x1C, 2, 5, 0, 1, 'a', 0x1C, 2, 6, 0, 9, 'x'}), {{5, "a"}}},
      {"header cut short", Bytes({0x1C, 2, 5, 0, 1}), {}},
      {"no tag marker after a dataset stops", Bytes({0x1C, 2, 5, 0, 1, 'a', 7, 0x1C, 2, 6, 0, 1, 'b'}), {{5, "a"}}},
      {"extended length whose bytes are missing", Bytes({0x1C, 2, 5, 0x80, 4, 0, 0}), {}},
      {"extended length beyond the data", Bytes({0x1C, 2, 5, 0x80, 4, 0x7F, 0xFF, 0xFF, 0xFF, 1}), {}},
      {"negative extended length taken as absolute", Bytes({0x1C, 2, 7, 0x80, 4, 0xFF, 0xFF, 0xFF, 0xFE, 'o', 'k'}),
       {{7, "ok"}}},
      {"empty", {}, {}},
  };
  for (const Case& c : cases) {
    TIEIPTCInfoList list;
    list.AddDataset(1, 1, "stale", 5);
    list.ParseDatasets(c.data.data(), static_cast<Integer>(c.data.size()));
    SCOPED_TRACE(c.name);
    ASSERT_EQ(list.Count(), static_cast<Integer>(c.expect.size()));
    for (size_t i = 0; i < c.expect.size(); ++i) {
      EXPECT_EQ(list.RecordNumber(static_cast<Integer>(i)), 2);
      EXPECT_EQ(list.DatasetNumber(static_cast<Integer>(i)), c.expect[i].first);
      EXPECT_EQ(DataOf(list, static_cast<Integer>(i)), c.expect[i].second);
    }
    EXPECT_FALSE(list.UserChanged());
  }
}

TEST(FmtIptc, WriteLayoutsAndRoundTrip) {
  // Only the record version: the 7-byte version dataset and a pad byte.
  TIEIPTCInfoList versionOnly;
  versionOnly.AddDataset(2, 0, "\0\2", 2);
  EXPECT_EQ(versionOnly.WriteDatasets(false), Bytes({0x1C, 2, 0, 0, 2, 0, 2, 0}));

  // Wrapped, one 3-byte dataset: 26 + 8 bytes, size field 8.
  TIEIPTCInfoList one;
  one.AddDataset(2, 5, "abc", 3);
  const std::vector<Byte> wrapped = one.WriteDatasets(true);
  ASSERT_EQ(wrapped.size(), 34u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(wrapped.data())), "Photoshop 3.0");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(wrapped.data()) + 14, 4), "8BIM");
  EXPECT_EQ(wrapped[18], 0x04);
  EXPECT_EQ(wrapped[19], 0x04);
  EXPECT_EQ(std::vector<Byte>(wrapped.begin() + 22, wrapped.begin() + 26), Bytes({0, 0, 0, 8}));
  EXPECT_EQ(std::vector<Byte>(wrapped.begin() + 26, wrapped.end()), Bytes({0x1C, 2, 5, 0, 3, 'a', 'b', 'c'}));

  // A 40,000-byte dataset takes the extended length and comes back whole.
  std::vector<Byte> big(40000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<Byte>(i * 7);
  TIEIPTCInfoList list;
  list.AddDataset(2, 120, big.data(), 40000);
  list.AddDataset(2, 25, "key", 3);
  EXPECT_TRUE(list.UserChanged());
  const std::vector<Byte> block = list.WriteDatasets(false);
  EXPECT_EQ(block[7 + 3], 0x80);
  EXPECT_EQ(block[7 + 4], 0x04);
  EXPECT_EQ(block.size() % 2, 0u);
  TIEIPTCInfoList back;
  back.ParseDatasets(block.data(), static_cast<Integer>(block.size()));
  ASSERT_EQ(back.Count(), 3);  // the version dataset, then ours
  EXPECT_EQ(back.DatasetNumber(0), 0);
  EXPECT_EQ(back.DatasetLength(1), 40000);
  EXPECT_EQ(std::memcmp(back.DatasetData(1), big.data(), 40000), 0);
  EXPECT_EQ(DataOf(back, 2), "key");

  TIEIPTCInfoList copy;
  copy.AssignFrom(&back);
  EXPECT_EQ(copy.Count(), 3);
  EXPECT_TRUE(copy.UserChanged());
}

TEST(FmtParams, NewObjectDefaults) {
  TIOParamsVals p;
  EXPECT_EQ(p.Width, 0);
  EXPECT_EQ(p.Height, 0);
  EXPECT_EQ(p.DpiX, 0);
  EXPECT_EQ(p.DpiY, 0);
  EXPECT_EQ(p.BitsPerSample, 8);
  EXPECT_EQ(p.SamplesPerPixel, 3);
  EXPECT_EQ(p.JpegQuality, 80);
  EXPECT_EQ(p.JpegColorSpace, 2);
  EXPECT_EQ(p.JpegScaleMode, 1);
  EXPECT_EQ(p.GifVersion, "GIF89a");
  EXPECT_DOUBLE_EQ(p.TgaGamma, 2.2);
  EXPECT_DOUBLE_EQ(p.TgaTimeStamp, Date());
  EXPECT_TRUE(p.TgaCompression);
  EXPECT_EQ(p.IcoBackground, MakeColorTriple(255, 255, 255));
  EXPECT_EQ(p.PngCompression, 5);
  EXPECT_EQ(p.J2kColorSpace, 1);
  EXPECT_DOUBLE_EQ(p.J2kRate, 1.0);
  EXPECT_EQ(p.TiffPhotometric, 2);
  EXPECT_EQ(p.TiffOrientation, 1);
  EXPECT_EQ(p.PcxVersion, 5);
  EXPECT_EQ(p.Palette, nullptr);
}

TEST(FmtParams, ResetAndClearPerImage) {
  TIOParamsVals p;
  p.CurHotSpotX = 5;
  p.CurHotSpotY = 7;
  p.JpegQuality = 33;
  p.DpiX = 300;
  p.JpegWarningCount = 4;
  const TIEColorTriple pal[2] = {MakeColorTriple(1, 2, 3), MakeColorTriple(4, 5, 6)};
  p.SetPalette(pal, 2);
  p.JpegMarkers.AddMarker(0xE1, "x", 1);
  p.IptcInfo.AddDataset(2, 5, "t", 1);
  p.GifComments.Add("c");
  p.PnmComments.Add("c");
  p.TiffPageName = "page";
  p.TgaAuthor = "me";
  p.ExifPresent = true;
  p.ExifOrientation = 6;
  p.ExifMake = "Cam";
  p.ExifThumbnail = std::make_unique<TIEBitmap>();

  p.ClearPerImage();
  EXPECT_EQ(p.JpegQuality, 33);
  EXPECT_EQ(p.DpiX, 300);
  ASSERT_NE(p.Palette, nullptr);
  EXPECT_EQ(p.PaletteCount, 2);
  EXPECT_EQ(p.JpegMarkers.Count(), 0);
  EXPECT_EQ(p.IptcInfo.Count(), 0);
  EXPECT_EQ(p.GifComments.Count(), 0);
  EXPECT_EQ(p.PnmComments.Count(), 0);
  EXPECT_TRUE(p.TiffPageName.empty());
  EXPECT_TRUE(p.TgaAuthor.empty());
  EXPECT_FALSE(p.ExifPresent);
  EXPECT_EQ(p.ExifOrientation, 0);
  EXPECT_TRUE(p.ExifMake.empty());
  EXPECT_EQ(p.ExifThumbnail, nullptr);

  p.ResetDefaults();
  EXPECT_EQ(p.CurHotSpotX, 0);
  EXPECT_EQ(p.CurHotSpotY, 0);
  EXPECT_EQ(p.JpegQuality, 80);
  EXPECT_EQ(p.Palette, nullptr);
  EXPECT_EQ(p.PaletteCount, 0);
  EXPECT_EQ(p.DpiX, 300);           // without an owner the resolution stays
  EXPECT_EQ(p.JpegWarningCount, 4);  // not a reset field
}

TEST(FmtParams, CopyFromIsDeepAndSkipsOwnerAndWarnings) {
  auto src = std::make_unique<TIOParamsVals>();
  TIEColorTriple pal[16];
  for (int i = 0; i < 16; ++i) pal[i] = MakeColorTriple(static_cast<Byte>(i), static_cast<Byte>(2 * i), 9);
  src->SetPalette(pal, 16);
  src->JpegQuality = 55;
  src->JpegWarningCount = 3;
  src->JpegWarningCode = 117;
  src->GifVersion = "GIF87a";
  src->PngBackground = MakeColorTriple(0x12, 0x34, 0x56);
  src->TgaTimeStamp = 1234.0;
  src->ExifPresent = true;
  src->ExifOrientation = 8;
  src->ExifIsoSpeedRatings[1] = 400;
  src->ExifReferenceBlackWhite[5] = 255.0;
  src->ExifUserComment = "note";
  src->JpegMarkers.AddMarker(0xFE, "comment", 7);
  src->IptcInfo.AddDataset(2, 5, "title", 5);
  src->GifComments.Add("g");
  src->ExifThumbnail = std::make_unique<TIEBitmap>();
  src->ExifThumbnail->SetLocation(islMemory);
  src->ExifThumbnail->AllocateImage(4, 3, ipkRGB24);

  TIOParamsVals dst;
  dst.JpegWarningCount = 9;
  dst.CopyFrom(src.get());
  src.reset();  // the copy owns its own palette, lists and thumbnail
  ASSERT_NE(dst.Palette, nullptr);
  EXPECT_EQ(dst.PaletteCount, 16);
  EXPECT_EQ(dst.Palette[15], MakeColorTriple(15, 30, 9));
  EXPECT_EQ(dst.JpegQuality, 55);
  EXPECT_EQ(dst.JpegWarningCount, 9);
  EXPECT_EQ(dst.JpegWarningCode, 0);
  EXPECT_EQ(dst.GifVersion, "GIF87a");
  EXPECT_EQ(dst.PngBackground, MakeColorTriple(0x12, 0x34, 0x56));
  EXPECT_DOUBLE_EQ(dst.TgaTimeStamp, 1234.0);
  EXPECT_EQ(dst.ExifOrientation, 8);
  EXPECT_EQ(dst.ExifIsoSpeedRatings[1], 400);
  EXPECT_DOUBLE_EQ(dst.ExifReferenceBlackWhite[5], 255.0);
  EXPECT_EQ(dst.ExifUserComment, "note");
  EXPECT_EQ(dst.JpegMarkers.Count(), 1);
  EXPECT_EQ(dst.IptcInfo.Count(), 1);
  EXPECT_EQ(dst.GifComments.Count(), 1);
  ASSERT_NE(dst.ExifThumbnail, nullptr);
  EXPECT_EQ(dst.ExifThumbnail->Width(), 4);

  // A source without a thumbnail leaves ours; one without a palette block
  // still passes its count.
  TIOParamsVals plain;
  plain.PaletteCount = 5;
  dst.CopyFrom(&plain);
  ASSERT_NE(dst.ExifThumbnail, nullptr);
  EXPECT_EQ(dst.Palette, nullptr);
  EXPECT_EQ(dst.PaletteCount, 5);
}

TEST(FmtFilterHelpers, BoundedInputAndSizeChecks) {
  TMemoryStream s;
  const Byte data[] = {1, 2, 3, 4, 5, 6};
  s.Write(data, 6);
  s.SetPosition(1);
  TIEInput in(&s);
  EXPECT_EQ(in.Remaining(), 5);
  Word w = 0;
  ASSERT_TRUE(in.U16BE(w));
  EXPECT_EQ(w, 0x0203);
  Cardinal c = 0;
  EXPECT_FALSE(in.U32LE(c) && in.U8(*reinterpret_cast<Byte*>(&c)));
  EXPECT_FALSE(in.Skip(100));
  EXPECT_FALSE(in.Seek(7));

  struct Case {
    Int64 w, h;
    Integer bits;
    Int64 input, ratio;
    bool ok;
  };
  const Case cases[] = {
      {0, 10, 24, 1000, 1, false},          {10, -1, 24, 1000, 1, false},
      {2000000, 1, 1, 1 << 30, 0, false},   {100, 100, 24, 0, 1, true},  // within the small allowance
      {4000, 4000, 24, 1000, 1024, false},  {4000, 4000, 24, 100000, 1024, true},
      {65535, 65535, 24, 300, 0, true},
  };
  for (const Case& k : cases)
    EXPECT_EQ(IEImageSizeAllowed(k.w, k.h, k.bits, k.input, k.ratio), k.ok) << k.w << "x" << k.h;

  bool abort = false;
  TIEProgressRecord progress;
  progress.Abort = &abort;
  IEFilterFail(progress, "Bad header");
  EXPECT_TRUE(abort);
  EXPECT_EQ(IELastFilterError(), "Bad header");
  IEClearFilterError();
  EXPECT_EQ(IELastFilterError(), "");
}
