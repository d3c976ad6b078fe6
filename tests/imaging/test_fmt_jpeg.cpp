// The JPEG filter: colour spaces, scaling, density, markers, damaged and
// hostile data, progress and the codec's message texts.
#include <gtest/gtest.h>

#include "fmt_util.h"
#include "imaging/formats/jpegfilt.h"

using namespace fmtfix;

namespace {

std::vector<Byte> EncodeJpeg(TIEBitmap& pic, const std::function<void(TIOParamsVals&)>& setup = nullptr) {
  TIOParamsVals params;
  params.DpiX = params.DpiY = 96;
  if (setup) setup(params);
  TMemoryStream s;
  Progress pr;
  WriteJpegStream(&s, &pic, params, pr.rec);
  EXPECT_FALSE(pr.abort);
  return StreamBytes(s);
}

struct Decoded {
  std::unique_ptr<TIEBitmap> bmp = std::make_unique<TIEBitmap>();
  TIOParamsVals params;
  bool aborted = false;
};

void DecodeInto(Decoded& d, const std::vector<Byte>& bytes, bool paramsOnly = false) {
  TMemoryStream s;
  LoadBytes(s, bytes);
  Progress pr;
  ReadJpegStream(&s, nullptr, d.bmp.get(), false, paramsOnly, pr.rec, d.params);
  d.aborted = pr.abort;
}

// Offset of the first marker of that code after SOI, or -1.
long FindMarker(const std::vector<Byte>& j, Byte code) {
  size_t i = 2;
  while (i + 4 <= j.size() && j[i] == 0xFF) {
    if (j[i + 1] == code) return long(i);
    if (j[i + 1] == 0xDA) break;
    i += 2 + ((j[i + 2] << 8) | j[i + 3]);
  }
  return -1;
}

std::vector<Byte> Segment(Byte code, const std::string& payload) {
  std::vector<Byte> v(payload.size() + 4);
  v[0] = 0xFF;
  v[1] = code;
  v[2] = Byte((payload.size() + 2) >> 8);
  v[3] = Byte(payload.size() + 2);
  std::memcpy(v.data() + 4, payload.data(), payload.size());
  return v;
}

}  // namespace

TEST(FmtJpeg, ColourSpacesRoundTrip) {
  struct Case {
    Byte space;
    Integer samples;
    int tolerance;
  };
  const Case cases[] = {{2, 3, 12}, {0, 3, 12}, {1, 1, 255}, {3, 4, 16}, {4, 4, 16}};
  auto pic = Gradient(64, 48);
  // Red on the left, blue on the right: shows whether red and blue ever trade places.
  auto split = MakeRGB(32, 16, [](Integer x, Integer) { return x < 16 ? 0xFF0000u : 0x0000FFu; });
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.space));
    const auto bytes = EncodeJpeg(*pic, [&](TIOParamsVals& p) {
      p.JpegColorSpace = c.space;
      p.JpegQuality = 95;
    });
    Decoded d;
    DecodeInto(d, bytes);
    ASSERT_FALSE(d.aborted) << IELastFilterError();
    EXPECT_EQ(d.params.JpegColorSpace, c.space);
    EXPECT_EQ(d.params.SamplesPerPixel, c.samples);
    EXPECT_EQ(d.params.BitsPerSample, 8);
    ASSERT_EQ(d.bmp->PixelKind(), ipkRGB24);
    ASSERT_EQ(d.bmp->Width(), 64);
    EXPECT_LE(MaxChannelDiff(*pic, *d.bmp), c.tolerance);
    Decoded sd;
    DecodeInto(sd, EncodeJpeg(*split, [&](TIOParamsVals& p) {
                 p.JpegColorSpace = c.space;
                 p.JpegQuality = 95;
               }));
    const uint32_t red = PixelOrBit(*sd.bmp, 4, 8), blue = PixelOrBit(*sd.bmp, 28, 8);
    if (c.space == 1) {
      // Grey: equal channels, the luminance of red and of blue.
      EXPECT_EQ(red & 255, (red >> 8) & 255);
      EXPECT_EQ(red & 255, (red >> 16) & 255);
      EXPECT_NEAR(int(red & 255), 76, 3);
      EXPECT_NEAR(int(blue & 255), 29, 3);
    } else {
      EXPECT_GE(int(red >> 16), 240);
      EXPECT_LE(int(red & 255), 15);
      EXPECT_GE(int(blue & 255), 240);
      EXPECT_LE(int(blue >> 16), 15);
    }
  }
}

TEST(FmtJpeg, CmykWhiteStaysWhiteAndPixelConversions) {
  auto white = MakeRGB(16, 8, [](Integer, Integer) { return 0xFFFFFFu; });
  const auto bytes = EncodeJpeg(*white, [](TIOParamsVals& p) { p.JpegColorSpace = 3; });
  Decoded d;
  DecodeInto(d, bytes);
  ASSERT_FALSE(d.aborted);
  EXPECT_EQ(PixelOrBit(*d.bmp, 3, 3), 0xFFFFFFu);

  const Byte bgr[6] = {0, 0, 0, 10, 20, 40};
  Byte cmyk[8];
  BgrToCmyk(bgr, cmyk, 2);
  EXPECT_EQ(std::vector<Byte>(cmyk, cmyk + 4), (std::vector<Byte>{0, 0, 0, 1}));
  EXPECT_EQ(std::vector<Byte>(cmyk + 4, cmyk + 8), (std::vector<Byte>{255, 127, 63, 40}));
  Byte back[6];
  CmykToBgr(cmyk, back, 2);
  EXPECT_EQ(back[3], 9);   // 63 * 40 / 255
  EXPECT_EQ(back[5], 40);  // 255 * 40 / 255
}

TEST(FmtJpeg, JunkBeforeStartAndNonJpeg) {
  auto pic = Gradient(8, 8);
  const auto jpeg = EncodeJpeg(*pic);
  for (size_t junk : {size_t(0), size_t(99), size_t(100)}) {
    std::vector<Byte> bytes(junk, 0x11);
    bytes.insert(bytes.end(), jpeg.begin(), jpeg.end());
    Decoded d;
    DecodeInto(d, bytes);
    EXPECT_EQ(d.aborted, junk == 100) << junk;
  }
  TMemoryStream s;
  LoadBytes(s, std::vector<Byte>(50, 0xFF));
  s.SetPosition(10);
  EXPECT_EQ(FindJpegStart(&s), -1);
  EXPECT_EQ(s.Position(), 10);
}

TEST(FmtJpeg, DensityFromJfif) {
  auto pic = Gradient(8, 8);
  auto jpeg = EncodeJpeg(*pic, [](TIOParamsVals& p) {
    p.DpiX = 300;
    p.DpiY = 150;
  });
  ASSERT_EQ(FindMarker(jpeg, 0xE0), 2);
  struct Case {
    Byte unit;
    Word x, y;
    Integer dpiX, dpiY;
  };
  const Case cases[] = {{1, 300, 150, 300, 150}, {2, 72, 72, 182, 182}, {0, 1, 1, 1, 1}, {3, 5, 5, 7, 7}};
  for (const Case& c : cases) {
    std::vector<Byte> j = jpeg;
    j[13] = c.unit;
    j[14] = Byte(c.x >> 8);
    j[15] = Byte(c.x);
    j[16] = Byte(c.y >> 8);
    j[17] = Byte(c.y);
    Decoded d;
    d.params.DpiX = d.params.DpiY = 7;  // an unknown unit leaves these
    DecodeInto(d, j);
    EXPECT_EQ(d.params.DpiX, c.dpiX) << int(c.unit);
    EXPECT_EQ(d.params.DpiY, c.dpiY) << int(c.unit);
  }
}

TEST(FmtJpeg, ScalingModes) {
  auto pic = Gradient(1000, 800);
  const auto jpeg = EncodeJpeg(*pic, [](TIOParamsVals& p) { p.JpegQuality = 50; });
  struct Case {
    Byte mode;
    Integer wantW, wantH;
    Integer denom, w, h;
  };
  const Case cases[] = {
      {0, 100, 100, 8, 125, 100}, {0, 200, 200, 4, 250, 200}, {0, 0, 0, 1, 1000, 800},
      {0, 999, 801, 1, 1000, 800}, {2, 0, 0, 2, 500, 400},     {4, 0, 0, 8, 125, 100},
  };
  for (const Case& c : cases) {
    Decoded d;
    d.params.JpegScaleMode = c.mode;
    d.params.Width = c.wantW;
    d.params.Height = c.wantH;
    DecodeInto(d, jpeg);
    ASSERT_FALSE(d.aborted);
    EXPECT_EQ(d.params.JpegScaleUsed, c.denom);
    EXPECT_EQ(d.params.Width, c.w);
    EXPECT_EQ(d.bmp->Width(), c.w);
    EXPECT_EQ(d.bmp->Height(), c.h);
    EXPECT_EQ(d.params.JpegOriginalWidth, 1000);
    EXPECT_EQ(d.params.JpegOriginalHeight, 800);
  }
}

TEST(FmtJpeg, MarkersAndIptcSurviveLoadAndSave) {
  auto pic = Gradient(24, 16);
  const auto plain = EncodeJpeg(*pic);
  TIEIPTCInfoList iptc;
  iptc.AddDataset(2, 5, "Title", 5);
  iptc.AddDataset(2, 120, "Caption text", 12);
  const std::vector<Byte> iptcBlock = iptc.WriteDatasets(true);
  std::string exif("Exif\0\0MM\0\x2A\0\0\0\x08\0\0", 16);
  // SOI, JFIF, EXIF APP1, IPTC APP13, COM, then the rest of the file.
  const long app0 = FindMarker(plain, 0xE0);
  const size_t afterApp0 = size_t(app0) + 2 + ((plain[app0 + 2] << 8) | plain[app0 + 3]);
  std::vector<Byte> file(plain.begin(), plain.begin() + long(afterApp0));
  for (const auto& seg : {Segment(0xE1, exif), Segment(0xED, std::string(iptcBlock.begin(), iptcBlock.end())),
                          Segment(0xFE, "a comment")})
    file.insert(file.end(), seg.begin(), seg.end());
  file.insert(file.end(), plain.begin() + long(afterApp0), plain.end());

  Decoded d;
  DecodeInto(d, file);
  ASSERT_FALSE(d.aborted);
  const TIEMarkerList& m = d.params.JpegMarkers;
  ASSERT_EQ(m.Count(), 3);  // the JFIF header is not kept
  EXPECT_EQ(m.MarkerType(0), 0xE1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.MarkerData(0)), size_t(m.MarkerLength(0))), exif);
  EXPECT_EQ(m.MarkerType(1), 0xED);
  EXPECT_EQ(m.MarkerType(2), 0xFE);

  // Saved again with the same parameters: one JFIF header, then the markers as they were.
  TMemoryStream out;
  Progress pr;
  WriteJpegStream(&out, d.bmp.get(), d.params, pr.rec);
  const auto saved = StreamBytes(out);
  EXPECT_EQ(FindMarker(saved, 0xE0), 2);
  std::vector<Byte> wanted;
  for (const auto& seg : {Segment(0xE1, exif), Segment(0xED, std::string(iptcBlock.begin(), iptcBlock.end())),
                          Segment(0xFE, "a comment")})
    wanted.insert(wanted.end(), seg.begin(), seg.end());
  const long e1 = FindMarker(saved, 0xE1);
  ASSERT_GT(e1, 0);
  EXPECT_TRUE(std::equal(wanted.begin(), wanted.end(), saved.begin() + e1));
  Decoded again;
  DecodeInto(again, saved);
  ASSERT_EQ(again.params.JpegMarkers.Count(), 3);
  TIEIPTCInfoList back;
  back.ParseDatasets(again.params.JpegMarkers.MarkerData(1) + 26, again.params.JpegMarkers.MarkerLength(1) - 26);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.DatasetData(1)), 12), "Caption text");
}

TEST(FmtJpeg, TruncatedFileDecodesToFullHeightWithWarnings) {
  auto pic = Gradient(64, 64);
  auto jpeg = EncodeJpeg(*pic);
  jpeg.resize(jpeg.size() * 2 / 3);
  Decoded d;
  DecodeInto(d, jpeg);
  EXPECT_FALSE(d.aborted);
  EXPECT_EQ(d.bmp->Height(), 64);
  EXPECT_GT(d.params.JpegWarningCount, 0);
  EXPECT_NE(d.params.JpegWarningCode, 0);

  // The next read starts counting from zero.
  Decoded clean;
  clean.params.JpegWarningCount = 5;
  DecodeInto(clean, EncodeJpeg(*pic));
  EXPECT_EQ(clean.params.JpegWarningCount, 0);
}

TEST(FmtJpeg, HostileHeadersAreRefusedAndLeaveTheBuffer) {
  auto pic = Gradient(16, 16);
  const auto jpeg = EncodeJpeg(*pic);
  const long sof = FindMarker(jpeg, 0xC0);
  ASSERT_GT(sof, 0);
  struct Case {
    const char* name;
    std::function<void(std::vector<Byte>&)> damage;
  };
  const Case cases[] = {
      {"huge size", [&](std::vector<Byte>& j) { j[sof + 5] = j[sof + 6] = j[sof + 7] = j[sof + 8] = 0xFF; }},
      {"zero width", [&](std::vector<Byte>& j) { j[sof + 7] = j[sof + 8] = 0; }},
      {"six components", [&](std::vector<Byte>& j) { j[sof + 9] = 6; }},
      {"cut inside the header", [&](std::vector<Byte>& j) { j.resize(size_t(sof) + 6); }},
      {"only the start marker", [&](std::vector<Byte>& j) { j.resize(3); }},
  };
  for (const Case& c : cases) {
    std::vector<Byte> j = jpeg;
    c.damage(j);
    Decoded d;
    d.bmp->SetLocation(islMemory);
    d.bmp->AllocateImage(3, 2, ipkRGB24);
    DecodeInto(d, j);
    EXPECT_TRUE(d.aborted) << c.name;
    EXPECT_FALSE(IELastFilterError().empty()) << c.name;
    EXPECT_EQ(d.bmp->Width(), 3) << c.name;
  }
}

TEST(FmtJpeg, QualityIsClampedAndOptionsChangeTheOutput) {
  auto pic = Gradient(32, 32);
  auto withQ = [&](Integer q) { return EncodeJpeg(*pic, [q](TIOParamsVals& p) { p.JpegQuality = q; }); };
  EXPECT_EQ(withQ(0), withQ(1));
  EXPECT_EQ(withQ(150), withQ(100));
  EXPECT_NE(withQ(10), withQ(90));
  const auto progressive = EncodeJpeg(*pic, [](TIOParamsVals& p) { p.JpegProgressive = true; });
  Decoded d;
  DecodeInto(d, progressive);
  EXPECT_TRUE(d.params.JpegProgressive);
  EXPECT_LE(MaxChannelDiff(*pic, *d.bmp), 12);
  EXPECT_LT(EncodeJpeg(*pic, [](TIOParamsVals& p) { p.JpegOptimalHuffman = true; }).size(), withQ(80).size());
}

TEST(FmtJpeg, ParamsOnlyLeavesTheBitmap) {
  auto pic = Gradient(40, 30);
  const auto jpeg = EncodeJpeg(*pic, [](TIOParamsVals& p) {
    p.JpegMarkers.AddMarker(0xFE, "note", 4);
    p.JpegColorSpace = 1;
  });
  Decoded d;
  DecodeInto(d, jpeg, true);
  EXPECT_FALSE(d.aborted);
  EXPECT_EQ(d.params.Width, 40);
  EXPECT_EQ(d.params.Height, 30);
  EXPECT_EQ(d.params.JpegColorSpace, 1);
  EXPECT_EQ(d.params.JpegMarkers.Count(), 1);
  EXPECT_EQ(d.bmp->Width(), 0);
}

TEST(FmtJpeg, ProgressAbortAndShortWrites) {
  auto pic = Gradient(16, 40);
  const auto jpeg = EncodeJpeg(*pic);
  {
    // Aborting from the first progress call stops after one row.
    Progress pr;
    pr.rec.Callback = [&](TObject*, Integer per) {
      pr.percents.push_back(per);
      pr.abort = true;
    };
    TMemoryStream s;
    LoadBytes(s, jpeg);
    TIEBitmap bmp;
    TIOParamsVals params;
    ReadJpegStream(&s, nullptr, &bmp, false, false, pr.rec, params);
    EXPECT_TRUE(pr.abort);
    EXPECT_EQ(pr.percents, std::vector<Integer>{2});
  }
  {
    Progress pr(true);
    TLimitedStream s(300);
    TIOParamsVals params;
    WriteJpegStream(&s, pic.get(), params, pr.rec);
    EXPECT_TRUE(pr.abort);
    EXPECT_EQ(s.Size(), 300);
  }
  {
    // A 1-bit source is written as a 24-bit picture.
    TIEBitmap bw;
    bw.SetLocation(islMemory);
    bw.AllocateImage(16, 8, ipkBW1);
    bw.FillWith(0);
    PutBit(bw.GetRowPointer(0), 0, 1);
    Progress pr;
    TIOParamsVals params;
    TMemoryStream s;
    WriteJpegStream(&s, &bw, params, pr.rec);
    Decoded d;
    DecodeInto(d, StreamBytes(s));
    EXPECT_EQ(PixelOrBit(*d.bmp, 8, 4) & 255, 0u);
    EXPECT_EQ(bw.PixelKind(), ipkBW1);
  }
}

TEST(FmtJpeg, MessageTexts) {
  EXPECT_EQ(JpegMessageText(53), "Not a JPEG file: starts with ?");
  EXPECT_EQ(JpegMessageText(117), "Corrupt JPEG data: premature end of data segment");
  EXPECT_EQ(JpegMessageText(73), "");
  EXPECT_EQ(JpegMessageText(74), "");
  EXPECT_EQ(JpegMessageText(124), "Corrupted");
  EXPECT_EQ(JpegMessageText(-1), "Corrupted");
}
