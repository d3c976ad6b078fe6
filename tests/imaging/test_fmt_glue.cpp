// Per-format glue of the I/O component: JPEG IPTC across a load and a save,
// the resolution adjustment, metafile import through the platform's GDI, and
// the parameter-only reads.
#include <gtest/gtest.h>

#include <cstring>

#include "fmt_test_util.h"
#include "imaging/formats/formatregistry.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/views/ieview.h"
#include "test_fmt_entry_samples.h"

namespace {

struct TSignals {
  int Finished = 0;
  void Hook(TRuzozAdIO& IO) {
    IO.OnFinishWork = [this](TObject*) { ++Finished; };
  }
};

class TGlueView : public TIEView {
 public:
  TGlueView() : TIEView(nullptr) {}
  TIEBitmap* CurrentIEBitmap() override { return Picture; }
  TIEBitmap* Picture = nullptr;
};

std::unique_ptr<TIEBitmap> Sentinel() {
  return fmtt::MakeRGB(7, 2, [](Integer x, Integer y) { return uint32_t(0xA0B0C0 + x + 16 * y); });
}

bool IsSentinel(TIEBitmap& B) {
  auto s = Sentinel();
  return fmtt::DifferentPixels(B, *s) == 0;
}

// The APP13 (IPTC) markers of a JPEG byte stream, each as its payload.
std::vector<std::vector<Byte>> App13Markers(const std::vector<Byte>& Jpeg) {
  std::vector<std::vector<Byte>> out;
  size_t i = 2;
  while (i + 4 <= Jpeg.size() && Jpeg[i] == 0xFF) {
    const Byte code = Jpeg[i + 1];
    if (code == 0xDA) break;  // the scan: no more markers of interest
    const size_t len = size_t(Jpeg[i + 2]) << 8 | Jpeg[i + 3];
    if (code == 0xED) out.emplace_back(Jpeg.begin() + long(i + 4), Jpeg.begin() + long(i + 2 + len));
    i += 2 + len;
  }
  return out;
}

std::vector<Byte> SaveJpeg(TRuzozAdIO& IO) {
  TMemoryStream s;
  IO.JpegToStream(&s);
  return fmtt::BytesOf(s);
}

}  // namespace

TEST(FmtGlueJpeg, IptcKeptChangedAndWrittenEmpty) {
  auto pic = fmtsample::Picture();
  TRuzozAdIO io(nullptr);
  io.AttachIEBitmap(pic.get());
  io.Params().IptcInfo.AddDataset(2, 120, "a caption", 9);
  io.Params().IptcInfo.AddDataset(2, 25, "key", 3);
  const auto first = SaveJpeg(io);
  ASSERT_EQ(App13Markers(first).size(), 1u);

  // Loading parses the marker into the datasets; saving without a change
  // writes the marker back as read.
  TRuzozAdIO back(nullptr);
  auto out = fmtt::NewBuffer();
  back.AttachIEBitmap(out.get());
  auto s = fmtt::StreamOf(first);
  back.JpegFromStream(s.get());
  ASSERT_FALSE(back.Aborting);
  ASSERT_EQ(back.Params().IptcInfo.Count(), 2);
  EXPECT_EQ(back.Params().IptcInfo.DatasetNumber(0), 120);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.Params().IptcInfo.DatasetData(0)), 9), "a caption");
  EXPECT_FALSE(back.Params().IptcInfo.UserChanged());
  const auto again = SaveJpeg(back);
  EXPECT_EQ(App13Markers(again), App13Markers(first));

  // A changed dataset list replaces the kept marker (still one).
  back.Params().IptcInfo.AddDataset(2, 5, "title", 5);
  const auto changed = SaveJpeg(back);
  ASSERT_EQ(App13Markers(changed).size(), 1u);
  EXPECT_NE(App13Markers(changed), App13Markers(first));
  TRuzozAdIO third(nullptr);
  auto out3 = fmtt::NewBuffer();
  third.AttachIEBitmap(out3.get());
  auto s3 = fmtt::StreamOf(changed);
  third.JpegFromStream(s3.get());
  EXPECT_EQ(third.Params().IptcInfo.Count(), 3);

  // A PNG load empties the list, which counts as a change: the JPEG saved
  // afterwards carries the wrapped block of no dataset.
  TRuzozAdIO viaPng(nullptr);
  auto out4 = fmtt::NewBuffer();
  viaPng.AttachIEBitmap(out4.get());
  auto png = fmtt::StreamOf(fmtsample::BytesOfType(ioPNG));
  viaPng.PngFromStream(png.get());
  const auto fromPng = App13Markers(SaveJpeg(viaPng));
  ASSERT_EQ(fromPng.size(), 1u);
  TIEIPTCInfoList empty;
  EXPECT_EQ(fromPng[0], empty.WriteDatasets(true));

  // A parameter-only read takes the datasets as well.
  TRuzozAdIO params(nullptr);
  params.ReadParamsOfFile(fmtsample::WriteFile("iptc.jpg", first));
  EXPECT_EQ(params.Params().FileType, ioJPEG);
  EXPECT_EQ(params.Params().IptcInfo.Count(), 2);
}

TEST(FmtGlueAdjustDpi, ResamplesToEqualResolutions) {
  struct TCase {
    Integer W, H, DpiX, DpiY;
    Integer WantW, WantH, WantDpiX, WantDpiY;
  } cases[] = {
      {400, 300, 100, 200, 400, 150, 100, 100},  // wider than high: the height follows
      {300, 400, 100, 200, 600, 400, 200, 200},  // otherwise the width follows
      {40, 40, 300, 100, 13, 40, 100, 100},
      {400, 300, 100, 100, 400, 300, 100, 100},  // equal: nothing
      {400, 300, 0, 200, 400, 300, 0, 200},      // unknown axis: nothing
      {400, 300, 100, -5, 400, 300, 100, -5},
      {2, 1, 1, 1000, 2, 1, 1, 1000},            // a side of no pixel: nothing
  };
  for (bool filtered : {false, true}) {
    for (const TCase& c : cases) {
      SCOPED_TRACE(testing::Message() << c.W << "x" << c.H << " at " << c.DpiX << "/" << c.DpiY
                                      << (filtered ? " filtered" : ""));
      auto pic = fmtt::MakeRGB(c.W, c.H, [](Integer x, Integer y) { return uint32_t((x & 1) ? 0xFF0000 : (y << 8)); });
      pic->GetAlphaChannel()->FillWith(128);
      TRuzozAdIO io(nullptr);
      io.AttachIEBitmap(pic.get());
      io.FilteredAdjustDPI = filtered;
      io.Params().Width = c.W, io.Params().Height = c.H;
      io.Params().DpiX = c.DpiX, io.Params().DpiY = c.DpiY;
      io.AdjustDpi();
      EXPECT_EQ(pic->Width(), c.WantW);
      EXPECT_EQ(pic->Height(), c.WantH);
      EXPECT_EQ(io.Params().Width, c.WantW);
      EXPECT_EQ(io.Params().Height, c.WantH);
      EXPECT_EQ(io.Params().DpiX, c.WantDpiX);
      EXPECT_EQ(io.Params().DpiY, c.WantDpiY);
      ASSERT_TRUE(pic->HasAlphaChannel());
      EXPECT_EQ(pic->GetAlphaChannel()->Width(), c.WantW);
      EXPECT_EQ(pic->GetAlphaChannel()->Height(), c.WantH);
      EXPECT_EQ(static_cast<Byte*>(pic->GetAlphaChannel()->GetRowPointer(c.WantH - 1))[c.WantW - 1], 128);
    }
  }
}

TEST(FmtGlueAdjustDpi, AfterALoadAndNotAfterAFailedOne) {
  // A JPEG at 100 x 200 dots per inch (JFIF density in inches).
  auto pic = fmtt::MakeRGB(40, 30, [](Integer x, Integer y) { return uint32_t(x * 5 + (y << 10)); });
  TRuzozAdIO writer(nullptr);
  writer.AttachIEBitmap(pic.get());
  writer.Params().DpiX = 100, writer.Params().DpiY = 200;
  const auto jpeg = SaveJpeg(writer);

  TIEBitmap shown;
  TGlueView view;
  view.Picture = &shown;
  TRuzozAdIO io(nullptr);
  io.SetAttachedRuzozAd(&view);
  io.AutoAdjustDPI = true;
  auto s = fmtt::StreamOf(jpeg);
  io.JpegFromStream(s.get());
  ASSERT_FALSE(io.Aborting);
  EXPECT_EQ(shown.Width(), 40);
  EXPECT_EQ(shown.Height(), 15);
  // The view gets the adjusted resolution.
  EXPECT_EQ(view.ResolutionX(), 100);
  EXPECT_EQ(view.ResolutionY(), 100);

  // A load that fails does not resample the picture by what the parameters
  // held before.
  TRuzozAdIO failing(nullptr);
  auto buffer = Sentinel();
  failing.AttachIEBitmap(buffer.get());
  failing.AutoAdjustDPI = true;
  failing.Params().Width = 7, failing.Params().Height = 2;
  failing.Params().DpiX = 300, failing.Params().DpiY = 100;
  auto noise = fmtt::StreamOf(std::vector<Byte>(300, 0x42));
  for (auto load : {&TRuzozAdIO::PngFromStream, &TRuzozAdIO::BmpFromStream, &TRuzozAdIO::JpegFromStream}) {
    noise->SetPosition(0);
    (failing.*load)(noise.get());
    EXPECT_TRUE(failing.Aborting);
    EXPECT_TRUE(IsSentinel(*buffer));
  }
}

namespace {

// An enhanced metafile of Width x Height pixels of the screen: a red block in
// its middle half, nothing drawn elsewhere.
std::string MakeEmf(const std::string& Name, Integer Width, Integer Height) {
  const std::string path = fmtsample::TempPath(Name);
  HDC screen = ::GetDC(nullptr);
  const int dpiX = ::GetDeviceCaps(screen, LOGPIXELSX), dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
  const RECT frame = {0, 0, ::MulDiv(Width, 2540, dpiX), ::MulDiv(Height, 2540, dpiY)};
  HDC dc = ::CreateEnhMetaFileA(screen, path.c_str(), &frame, nullptr);
  ::ReleaseDC(nullptr, screen);
  HBRUSH red = ::CreateSolidBrush(RGB(255, 0, 0));
  const RECT block = {Width / 4, Height / 4, Width * 3 / 4, Height * 3 / 4};
  ::FillRect(dc, &block, red);
  ::DeleteObject(red);
  ::DeleteEnhMetaFile(::CloseEnhMetaFile(dc));
  return path;
}

// The same drawing as a placeable WMF, written by the platform's metafile class.
std::string MakeWmf(const std::string& Name, Integer Width, Integer Height) {
  TMetafile mf;
  mf.LoadFromFile(MakeEmf(Name + ".emf", Width, Height));
  mf.SetEnhanced(false);
  const std::string path = fmtsample::TempPath(Name);
  mf.SaveToFile(path);
  return path;
}

Integer FileWidth(const std::string& Path) {
  TMetafile mf;
  mf.LoadFromFile(Path);
  return mf.Width();
}

Integer FileHeight(const std::string& Path) {
  TMetafile mf;
  mf.LoadFromFile(Path);
  return mf.Height();
}

}  // namespace

TEST(FmtGlueMetafile, DrawnAtTheAskedSizeOverTheBackground) {
  const std::string emf = MakeEmf("pic.emf", 120, 80);
  const std::string wmf = MakeWmf("pic.wmf", 120, 80);
  for (const std::string& path : {emf, wmf}) {
    const bool enhanced = path == emf;
    SCOPED_TRACE(enhanced ? "EMF" : "WMF");
    const Integer fw = FileWidth(path), fh = FileHeight(path);
    ASSERT_NEAR(fw, 120, 2);
    ASSERT_NEAR(fh, 80, 2);
    struct TCase {
      Integer Width, Height, WantW, WantH;
    } cases[] = {
        {-1, -1, fw, fh}, {60, -1, 60, fh * 60 / fw}, {-1, 40, fw * 40 / fh, 40}, {50, 50, 50, 50},
    };
    for (const TCase& c : cases) {
      SCOPED_TRACE(testing::Message() << c.Width << "," << c.Height);
      TRuzozAdIO io(nullptr);
      auto buffer = fmtt::NewBuffer();
      io.AttachIEBitmap(buffer.get());
      io.SetBackground(0x00FF00);  // TColor: green
      TSignals sig;
      sig.Hook(io);
      io.MetafileFromFile(path, c.Width, c.Height);
      EXPECT_FALSE(io.Aborting);
      EXPECT_EQ(sig.Finished, 1);
      EXPECT_EQ(io.Params().FileType, enhanced ? ioEMF : ioWMF);
      EXPECT_EQ(io.Params().FileName, path);
      ASSERT_EQ(buffer->Width(), c.WantW);
      ASSERT_EQ(buffer->Height(), c.WantH);
      EXPECT_EQ(io.Params().Width, c.WantW);
      EXPECT_EQ(io.Params().DpiX, IEDefaultDpiX);
      EXPECT_EQ(fmtt::Pixel(*buffer, c.WantW / 2, c.WantH / 2), 0xFF0000u);
      EXPECT_EQ(fmtt::Pixel(*buffer, 1, 1), 0x00FF00u);
      EXPECT_EQ(fmtt::Pixel(*buffer, c.WantW - 1, c.WantH - 1), 0x00FF00u);
    }
  }
  // By extension and by type.
  for (const std::string& path : {emf, wmf}) {
    TRuzozAdIO io(nullptr);
    auto buffer = fmtt::NewBuffer();
    io.AttachIEBitmap(buffer.get());
    io.LoadFileByExtension(path);
    EXPECT_EQ(io.Params().FileType, path == emf ? ioEMF : ioWMF);
    EXPECT_EQ(buffer->Width(), FileWidth(path));
    io.LoadFileOfType(path, ioWMF);
    EXPECT_EQ(io.Params().FileType, path == emf ? ioEMF : ioWMF);
  }
}

TEST(FmtGlueMetafile, LimitZeroSizeAndBadFile) {
  // Larger than 2800 pixels: the longer side becomes 2800, the proportions stay.
  const std::string big = MakeEmf("big.emf", 6000, 3000);
  TRuzozAdIO io(nullptr);
  auto buffer = Sentinel();
  io.AttachIEBitmap(buffer.get());
  io.MetafileFromFile(big, -1, -1);
  EXPECT_EQ(buffer->Width(), 2800);
  EXPECT_NEAR(buffer->Height(), 1400, 1);

  // A zero side loads nothing and reports nothing.
  auto kept = Sentinel();
  io.AttachIEBitmap(kept.get());
  TSignals sig;
  sig.Hook(io);
  io.Aborting = true;
  io.MetafileFromFile(big, 0, -1);
  EXPECT_FALSE(io.Aborting);
  EXPECT_EQ(sig.Finished, 1);
  EXPECT_TRUE(IsSentinel(*kept));

  // A file that is no metafile: the platform's exception, after the end signal.
  const std::string bad = fmtsample::WriteFile("bad.emf", std::vector<Byte>(200, 7));
  EXPECT_THROW(io.MetafileFromFile(bad, -1, -1), Exception);
  EXPECT_EQ(sig.Finished, 2);
  EXPECT_TRUE(IsSentinel(*kept));
}

namespace {

constexpr Integer kParamsType = 1003;
int paramsOnlyCalls = 0;

void ParamsRead(TStream*, TIEBitmap*, TIOParamsVals& Params, bool ParamsOnly, TIEProgressRecord&) {
  if (ParamsOnly) ++paramsOnlyCalls;
  Params.Width = 77;
}

}  // namespace

TEST(FmtGlueParams, ParameterOnlyReadsOfEveryFormat) {
  for (const auto& sample : fmtsample::Samples()) {
    SCOPED_TRACE(sample.Extension);
    const auto bytes = fmtsample::Bytes(sample);
    const std::string path = fmtsample::WriteFile(std::string("params") + sample.Extension, bytes);
    const Integer want = sample.Corpus ? 23 : 16;
    for (int fromStream = 0; fromStream < 2; ++fromStream) {
      TRuzozAdIO io(nullptr);
      auto buffer = Sentinel();
      io.AttachIEBitmap(buffer.get());
      TSignals sig;
      sig.Hook(io);
      auto s = fmtt::StreamOf(bytes);
      if (fromStream)
        io.ReadParamsOfStream(s.get());
      else
        io.ReadParamsOfFile(path);
      EXPECT_FALSE(io.Aborting) << IELastFilterError();
      EXPECT_EQ(io.Params().FileType, sample.Type);
      EXPECT_EQ(io.Params().Width, want);
      EXPECT_EQ(io.Params().FileName, fromStream ? "" : path);
      EXPECT_EQ(sig.Finished, 1);
      EXPECT_TRUE(IsSentinel(*buffer));
    }
  }
}

TEST(FmtGlueParams, FailuresGiveTypeZeroWithoutRaising) {
  const auto png = fmtsample::BytesOfType(ioPNG);
  const std::string pngAsJpg = fmtsample::WriteFile("pngas.jpg", png);
  const std::string pngFile = fmtsample::WriteFile("plain.png", png);
  auto noise = fmtt::StreamOf(std::vector<Byte>(64, 0x11));
  struct TCase {
    const char* Name;
    std::function<void(TRuzozAdIO&)> Run;
  } cases[] = {
      {"PNG named .jpg", [&](TRuzozAdIO& io) { io.ReadParamsOfFile(pngAsJpg); }},
      {"missing file", [&](TRuzozAdIO& io) { io.ReadParamsOfFile(fmtsample::TempPath("none.png")); }},
      {"missing file of a type", [&](TRuzozAdIO& io) { io.ReadParamsOfFileType(fmtsample::TempPath("n.png"), 8); }},
      {"PNG read as BMP", [&](TRuzozAdIO& io) { io.ReadParamsOfFileType(pngFile, ioBMP); }},
      {"metafile type without a reader", [&](TRuzozAdIO& io) { io.ReadParamsOfFileType(pngFile, ioWMF); }},
      {"unknown type", [&](TRuzozAdIO& io) { io.ReadParamsOfFileType(pngFile, 4242); }},
      {"noise", [&](TRuzozAdIO& io) { io.ReadParamsOfStream(noise.get()); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    noise->SetPosition(0);
    TRuzozAdIO io(nullptr);
    auto buffer = Sentinel();
    io.AttachIEBitmap(buffer.get());
    TSignals sig;
    sig.Hook(io);
    EXPECT_NO_THROW(c.Run(io));
    EXPECT_EQ(io.Params().FileType, 0);
    EXPECT_EQ(sig.Finished, 1);
    EXPECT_TRUE(IsSentinel(*buffer));
  }

  // A registered format's reader is asked for the parameters only.
  static const bool registered = [] {
    TIEFormatRegistration r;
    r.FormatType = kParamsType;
    r.DisplayName = "Parameters";
    r.ExtensionList = "QQP";
    r.ReadHook = ParamsRead;
    RegisterFileFormat(r);
    return true;
  }();
  (void)registered;
  TRuzozAdIO io(nullptr);
  paramsOnlyCalls = 0;
  io.ReadParamsOfFileType(pngFile, kParamsType);
  EXPECT_EQ(paramsOnlyCalls, 1);
  EXPECT_EQ(io.Params().FileType, kParamsType);
  EXPECT_EQ(io.Params().Width, 77);
}

namespace {

// A little-endian EXIF block: "Exif", two zero bytes, and a TIFF structure
// whose first directory holds the resolution tags.
std::vector<Byte> ExifBlock(Cardinal XRes, Cardinal YRes, Word Unit) {
  std::vector<Byte> b = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0};
  auto put16 = [&b](Cardinal v) { b.push_back(Byte(v)), b.push_back(Byte(v >> 8)); };
  auto put32 = [&](Cardinal v) { put16(v & 0xFFFF), put16(v >> 16); };
  const Cardinal dataAt = 8 + 2 + 3 * 12 + 4;  // offsets count from the TIFF header
  put16(3);
  put16(282), put16(5), put32(1), put32(dataAt);
  put16(283), put16(5), put32(1), put32(dataAt + 8);
  put16(296), put16(3), put32(1), put32(Unit);
  put32(0);
  put32(XRes), put32(1), put32(YRes), put32(1);
  return b;
}

}  // namespace

TEST(FmtGlueJpeg, ResolutionFromExifWhenJfifGivesOnlyAnAspect) {
  struct TCase {
    const char* Name;
    bool AspectOnly;  // JFIF density unit 0, 1:1
    Integer JfifDpi;
    bool WithExif;
    Cardinal ExifRes;
    Word ExifUnit;
    Integer Want;
  } cases[] = {
      {"300 per centimetre", true, 1, true, 300, 3, 762},
      {"72 per inch", true, 1, true, 72, 2, 72},
      {"JFIF in inches wins", false, 96, true, 300, 3, 96},
      {"no EXIF block", true, 1, false, 0, 0, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto pic = fmtsample::Picture();
    TRuzozAdIO writer(nullptr);
    writer.AttachIEBitmap(pic.get());
    writer.Params().DpiX = writer.Params().DpiY = c.JfifDpi;
    if (c.WithExif) {
      const auto block = ExifBlock(c.ExifRes, c.ExifRes, c.ExifUnit);
      writer.Params().JpegMarkers.AddMarker(0xE1, block.data(), Integer(block.size()));
    }
    auto jpeg = SaveJpeg(writer);
    // The JFIF header (APP0 right after the start of image): units at 13.
    ASSERT_EQ(jpeg[3], 0xE0);
    if (c.AspectOnly) jpeg[13] = 0;
    for (int viaParams = 0; viaParams < 2; ++viaParams) {
      TRuzozAdIO io(nullptr);
      auto out = fmtt::NewBuffer();
      io.AttachIEBitmap(out.get());
      if (viaParams) {
        io.ReadParamsOfFile(fmtsample::WriteFile("exif.jpg", jpeg));
      } else {
        auto s = fmtt::StreamOf(jpeg);
        io.JpegFromStream(s.get());
      }
      EXPECT_FALSE(io.Aborting);
      EXPECT_EQ(io.Params().ExifPresent, c.WithExif);
      EXPECT_EQ(io.Params().DpiX, c.Want);
      EXPECT_EQ(io.Params().DpiY, c.Want);
    }
  }
}
