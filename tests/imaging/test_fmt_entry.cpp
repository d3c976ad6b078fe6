// Load and save entry points of the I/O component: every built-in format by
// extension, type number and content, for files and streams; the 12-byte
// stream frame; registered formats; failures reported and leaving the
// picture alone; the editor's road from a picture file to 256 colours.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "fmt_test_util.h"
#include "imaging/buffer/ruzozadproc_component.h"
#include "imaging/formats/formatregistry.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/views/ieview.h"
#include "test_fmt_entry_samples.h"

using fmtsample::Bytes;
using fmtsample::Samples;
using fmtsample::TSample;

namespace {

struct TSignals {
  std::vector<Integer> Progress;
  int Finished = 0;
  void Hook(TRuzozAdIO& IO) {
    IO.OnProgress = [this](TObject*, Integer Per) { Progress.push_back(Per); };
    IO.OnFinishWork = [this](TObject*) { ++Finished; };
  }
};

// A view showing an image buffer and recording the resolution it is given.
class TEntryView : public TIEView {
 public:
  TEntryView() : TIEView(nullptr) {}
  TIEBitmap* CurrentIEBitmap() override { return Picture; }
  void StoreResolution(Integer X, Integer Y) override {
    ++Resolutions;
    TIEView::StoreResolution(X, Y);
  }
  TIEBitmap* Picture = nullptr;
  int Resolutions = 0;
};

// What a sample must decode to: the corpus' reference pixels, or the picture
// our writers were given (JPEG within its loss).
struct TExpected {
  Integer Width = 0, Height = 0;
  std::vector<uint32_t> Rgb;     // 0xRRGGBB per pixel, rows from the top
  std::vector<bool> Opaque;
  int Tolerance = 0;
};

TExpected ExpectedOf(const TSample& S) {
  TExpected e;
  if (S.Corpus) {
    const auto ref = fmtt::ReadAll(fmtt::CorpusPath(std::string(S.Corpus) + ".rgba"));
    e.Width = 23, e.Height = 13;
    for (size_t i = 0; i + 3 < ref.size(); i += 4) {
      e.Rgb.push_back((uint32_t(ref[i]) << 16) | (uint32_t(ref[i + 1]) << 8) | ref[i + 2]);
      e.Opaque.push_back(ref[i + 3] == 255);
    }
    return e;
  }
  auto pic = fmtsample::Picture();
  e.Width = pic->Width(), e.Height = pic->Height();
  for (Integer y = 0; y < e.Height; ++y)
    for (Integer x = 0; x < e.Width; ++x) {
      e.Rgb.push_back(fmtt::Pixel(*pic, x, y));
      e.Opaque.push_back(true);
    }
  e.Tolerance = S.Type == ioJPEG ? 24 : 0;
  return e;
}

::testing::AssertionResult Shows(TIEBitmap& B, const TExpected& E) {
  if (B.Width() != E.Width || B.Height() != E.Height)
    return ::testing::AssertionFailure() << "size " << B.Width() << "x" << B.Height();
  for (Integer y = 0; y < E.Height; ++y)
    for (Integer x = 0; x < E.Width; ++x) {
      const size_t i = size_t(y * E.Width + x);
      if (!E.Opaque[i]) continue;
      const uint32_t got = fmtt::Pixel(B, x, y), want = E.Rgb[i];
      for (int c = 0; c < 24; c += 8)
        if (std::abs(int((got >> c) & 255) - int((want >> c) & 255)) > E.Tolerance)
          return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << std::hex << got
                                               << " not " << want;
    }
  return ::testing::AssertionSuccess();
}

// A buffer holding a sentinel picture, to see that a failed load leaves it.
std::unique_ptr<TIEBitmap> Sentinel() {
  return fmtt::MakeRGB(7, 2, [](Integer x, Integer y) { return uint32_t(0xA0B0C0 + x + 16 * y); });
}

bool IsSentinel(TIEBitmap& B) {
  auto s = Sentinel();
  return fmtt::DifferentPixels(B, *s) == 0;
}

bool FileThere(const std::string& Path) { return ::GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

// Every loadable built-in format reaches its loader by every road, and every
// road gives the same picture, type, name and end signal.
TEST(FmtEntryLoad, EveryFormatByExtensionTypeAndContent) {
  for (const TSample& sample : Samples()) {
    SCOPED_TRACE(sample.Extension);
    const std::vector<Byte> file = Bytes(sample);
    const TExpected expected = ExpectedOf(sample);
    const std::string path = fmtsample::WriteFile(std::string("load") + sample.Extension, file);
    std::string upper = std::string("LOAD") + sample.Extension;
    for (char& c : upper) c = char(std::toupper(c));
    const std::string upperPath = fmtsample::WriteFile(upper, file);

    struct TRoad {
      const char* Name;
      bool FromFile;
      std::function<void(TRuzozAdIO&)> Run;
    };
    // The stream starts after a few other bytes: the loaders read from its position.
    auto stream = fmtt::StreamOf(fmtt::ReadAll(path));
    std::vector<Byte> padded = {'x', 'y', 'z'};
    padded.insert(padded.end(), file.begin(), file.end());
    auto paddedStream = fmtt::StreamOf(padded);
    const TRoad roads[] = {
        {"by extension", true, [&](TRuzozAdIO& io) { io.LoadFileByExtension(path); }},
        {"by capital extension", true, [&](TRuzozAdIO& io) { io.LoadFileByExtension(upperPath); }},
        {"file by type", true, [&](TRuzozAdIO& io) { io.LoadFileOfType(path, sample.Type); }},
        {"stream by type", false,
         [&](TRuzozAdIO& io) {
           stream->SetPosition(0);
           io.LoadStreamOfType(stream.get(), sample.Type);
         }},
        {"stream by content", false,
         [&](TRuzozAdIO& io) {
           paddedStream->SetPosition(3);
           io.LoadStreamDetected(paddedStream.get());
         }},
    };
    for (const TRoad& road : roads) {
      SCOPED_TRACE(road.Name);
      TRuzozAdIO io(nullptr);
      auto buffer = Sentinel();
      io.AttachIEBitmap(buffer.get());
      TSignals sig;
      sig.Hook(io);
      road.Run(io);
      EXPECT_FALSE(io.Aborting) << IELastFilterError();
      EXPECT_EQ(io.Params().FileType, sample.Type);
      EXPECT_EQ(io.Params().FileName.empty(), !road.FromFile);
      EXPECT_EQ(sig.Finished, 1);
      ASSERT_FALSE(sig.Progress.empty());
      EXPECT_EQ(sig.Progress.back(), 100);
      EXPECT_TRUE(Shows(*buffer, expected));
    }
  }
}

// Each writable format saved by extension and by type number comes back, by
// content, as the picture saved.
TEST(FmtEntrySave, EveryWritableFormatByExtensionAndType) {
  struct TCase {
    Integer Type;
    const char* Extension;
    int Tolerance;
  } cases[] = {{ioTIFF, ".fax", 0}, {ioGIF, ".gif", 0},  {ioJPEG, ".jpeg", 24}, {ioPCX, ".pcx", 0}, {ioBMP, ".dib", 0},
               {ioPNG, ".png", 0},  {ioTGA, ".targa", 0},  {ioPXM, ".ppm", 0}, {ioJP2, ".jp2", 0},
               {ioJ2K, ".j2c", 0}};
  TSample pictureOnly{0, "", nullptr};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Extension);
    TExpected expected = ExpectedOf(pictureOnly);
    expected.Tolerance = c.Tolerance;
    for (int byType = 0; byType < 2; ++byType) {
      TRuzozAdIO io(nullptr);
      auto pic = fmtsample::Picture();
      io.AttachIEBitmap(pic.get());
      io.Params().JpegQuality = 95;
      TSignals sig;
      sig.Hook(io);
      TMemoryStream saved;
      if (byType) {
        io.SaveStreamOfType(&saved, c.Type);
      } else {
        const std::string path = fmtsample::TempPath(std::string("save") + c.Extension);
        io.SaveFileByExtension(path);
        saved.LoadFromFile(path);
      }
      EXPECT_FALSE(io.Aborting);
      EXPECT_EQ(sig.Finished, 1);
      saved.SetPosition(0);
      EXPECT_EQ(DetectStreamType(&saved), c.Type);

      TRuzozAdIO back(nullptr);
      auto out = fmtt::NewBuffer();
      back.AttachIEBitmap(out.get());
      back.LoadStreamDetected(&saved);
      EXPECT_FALSE(back.Aborting);
      EXPECT_EQ(back.Params().FileType, c.Type);
      EXPECT_TRUE(Shows(*out, expected)) << (byType ? "by type" : "by extension");
    }
  }
}

// Failures: the flag is set, the end signalled as the roads promise, and the
// picture stays as it was.
TEST(FmtEntryErrors, RefusedAndUnknownLeaveThePicture) {
  const auto png = fmtsample::BytesOfType(ioPNG);
  std::vector<Byte> cutPng(png.begin(), png.begin() + png.size() / 2);
  const std::string pngAsJpg = fmtsample::WriteFile("png.jpg", png);
  const std::string pngAsBmp = fmtsample::WriteFile("png.bmp", png);
  const std::string pngAsPix = fmtsample::WriteFile("png.pix", png);
  const std::string pngAsBak = fmtsample::WriteFile("png.jpeg.bak", png);
  const std::string noise = fmtsample::WriteFile("noise.xyz", std::vector<Byte>(500, 0x37));
  auto noiseStream = fmtt::StreamOf(std::vector<Byte>(500, 0x37));
  auto pngStream = fmtt::StreamOf(png);
  struct TCase {
    const char* Name;
    std::function<void(TRuzozAdIO&)> Run;
    int Finished;  // end signals expected
  } cases[] = {
      {"empty name", [](TRuzozAdIO& io) { io.LoadFileByExtension(""); }, 1},
      {"unknown extension", [&](TRuzozAdIO& io) { io.LoadFileByExtension(noise); }, 1},
      {"extension after another", [&](TRuzozAdIO& io) { io.LoadFileByExtension(pngAsBak); }, 1},
      {"registered extension without a reader", [&](TRuzozAdIO& io) { io.LoadFileByExtension(pngAsPix); }, 1},
      {"PNG named .jpg", [&](TRuzozAdIO& io) { io.LoadFileByExtension(pngAsJpg); }, 1},
      {"PNG named .bmp", [&](TRuzozAdIO& io) { io.LoadFileByExtension(pngAsBmp); }, 1},
      {"unknown type number", [&](TRuzozAdIO& io) { io.LoadFileOfType(pngAsJpg, 99); }, 1},
      {"content of no format", [&](TRuzozAdIO& io) { io.LoadStreamDetected(noiseStream.get()); }, 1},
      {"metafile type from a stream", [&](TRuzozAdIO& io) { io.LoadStreamOfType(pngStream.get(), ioWMF); }, 1},
      {"stream of type 0", [&](TRuzozAdIO& io) { io.LoadStreamOfType(pngStream.get(), 0); }, 1},
      {"PNG read as GIF", [&](TRuzozAdIO& io) { io.LoadStreamOfType(pngStream.get(), ioGIF); }, 1},
      {"PNG cut in half",
       [&](TRuzozAdIO& io) {
         auto s = fmtt::StreamOf(cutPng);
         io.LoadStreamDetected(s.get());
       },
       1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    pngStream->SetPosition(0);
    noiseStream->SetPosition(0);
    TRuzozAdIO io(nullptr);
    auto buffer = Sentinel();
    io.AttachIEBitmap(buffer.get());
    TSignals sig;
    sig.Hook(io);
    c.Run(io);
    EXPECT_TRUE(io.Aborting);
    EXPECT_EQ(sig.Finished, c.Finished);
    if (std::string(c.Name) != "PNG cut in half") {
      EXPECT_TRUE(IsSentinel(*buffer));
    }
  }
}

TEST(FmtEntryErrors, SavesWithoutAWriterCreateNothing) {
  auto noStream = fmtt::StreamOf({});
  for (const char* name : {"x.ico", "x.cur", "x.wmf", "x.emf", "x.pix", "x.xyz", "x"}) {
    SCOPED_TRACE(name);
    TRuzozAdIO io(nullptr);
    auto pic = fmtsample::Picture();
    io.AttachIEBitmap(pic.get());
    TSignals sig;
    sig.Hook(io);
    const std::string path = fmtsample::TempPath(name);
    io.SaveFileByExtension(path);
    EXPECT_TRUE(io.Aborting);
    EXPECT_EQ(sig.Finished, 0);
    EXPECT_FALSE(FileThere(path));
  }
  for (Integer type : {0, 6, 7, 9, 10, 99}) {
    TRuzozAdIO io(nullptr);
    auto pic = fmtsample::Picture();
    io.AttachIEBitmap(pic.get());
    TSignals sig;
    sig.Hook(io);
    io.SaveStreamOfType(noStream.get(), type);
    EXPECT_TRUE(io.Aborting) << type;
    EXPECT_EQ(sig.Finished, 0) << type;
    EXPECT_EQ(noStream->Size(), 0) << type;
  }
  // An empty name does nothing at all.
  TRuzozAdIO io(nullptr);
  io.Aborting = false;
  io.SaveFileByExtension("");
  EXPECT_FALSE(io.Aborting);
}

TEST(FmtEntryErrors, MissingFilesRaiseAfterTheEndSignal) {
  const std::string missing = fmtsample::TempPath("missing.png");
  struct TCase {
    const char* Name;
    std::function<void(TRuzozAdIO&)> Run;
    bool AbortingAfter;
  } cases[] = {
      {"PNG", [&](TRuzozAdIO& io) { io.PngFromFile(missing); }, true},
      {"BMP by extension", [&](TRuzozAdIO& io) { io.LoadFileByExtension(fmtsample::TempPath("missing.bmp")); }, true},
      {"by type", [&](TRuzozAdIO& io) { io.LoadFileOfType(missing, ioTGA); }, true},
      // The GIF and PCX filters open their files themselves.
      {"GIF", [&](TRuzozAdIO& io) { io.GifFromFile(missing); }, false},
      {"PCX", [&](TRuzozAdIO& io) { io.PcxFromFile(missing); }, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TRuzozAdIO io(nullptr);
    auto buffer = Sentinel();
    io.AttachIEBitmap(buffer.get());
    TSignals sig;
    sig.Hook(io);
    EXPECT_THROW(c.Run(io), Exception);
    EXPECT_EQ(io.Aborting, c.AbortingAfter);
    EXPECT_EQ(sig.Finished, 1);
    EXPECT_TRUE(IsSentinel(*buffer));
  }
}

namespace {

std::vector<Byte> Text(const char* T) { return std::vector<Byte>(T, T + std::strlen(T)); }

std::vector<Byte> Cat(std::vector<Byte> A, const std::vector<Byte>& B) {
  A.insert(A.end(), B.begin(), B.end());
  return A;
}

std::vector<Byte> Slice(TMemoryStream& S, Int64 From, Int64 Count) {
  const Byte* p = static_cast<const Byte*>(S.Memory()) + From;
  return std::vector<Byte>(p, p + Count);
}

void ExpectFrame(TMemoryStream& S, Int64 At, const char* Tag, Int64 PayloadEnd) {
  const auto head = Slice(S, At, 12);
  EXPECT_EQ(std::string(head.begin(), head.begin() + 4), Tag);
  EXPECT_EQ(fmtt::Le32At(head, 4), 0u);
  EXPECT_EQ(Int64(fmtt::Le32At(head, 8)), PayloadEnd - At - 12);
}

}  // namespace

TEST(FmtEntryStreamHeader, FramedImagesFollowEachOther) {
  auto pic = fmtsample::Picture();
  TRuzozAdIO io(nullptr);
  io.AttachIEBitmap(pic.get());
  io.StreamHeaders = true;
  io.Params().JpegQuality = 95;
  TMemoryStream s;
  s.WriteBuffer("lead", 4);  // frames are written at the stream's position
  io.TiffToStream(&s);
  const Int64 jpegAt = s.Position();
  io.JpegToStream(&s);
  const Int64 pcxAt = s.Position();
  io.PcxToStream(&s);
  const Int64 jpeg2At = s.Position();
  io.JpegToStream(&s);
  const Int64 end = s.Position();
  ExpectFrame(s, 4, "TIFF", jpegAt);
  ExpectFrame(s, jpegAt, "JFIF", pcxAt);
  ExpectFrame(s, pcxAt, "PCX2", jpeg2At);
  ExpectFrame(s, jpeg2At, "JFIF", end);
  for (auto [at, type] :
       {std::pair<Int64, Integer>{4, ioTIFF}, {jpegAt, ioJPEG}, {pcxAt, ioPCX}, {jpeg2At, ioJPEG}}) {
    s.SetPosition(at);
    EXPECT_EQ(DetectStreamType(&s), type);
  }

  TExpected exact = ExpectedOf(TSample{0, "", nullptr}), lossy = exact;
  lossy.Tolerance = 24;
  // Read back in order, each load leaving the stream at the next frame; the
  // JPEG loader finds its frame also with StreamHeaders off.
  for (bool headers : {true, false}) {
    SCOPED_TRACE(headers ? "StreamHeaders on" : "StreamHeaders off");
    TRuzozAdIO back(nullptr);
    auto out = fmtt::NewBuffer();
    back.AttachIEBitmap(out.get());
    back.StreamHeaders = headers;
    if (headers) {
      s.SetPosition(4);
      EXPECT_EQ(back.TiffFromStream(&s), 1);
      EXPECT_FALSE(back.Aborting) << IELastFilterError();
      EXPECT_TRUE(Shows(*out, exact));
      EXPECT_EQ(s.Position(), jpegAt);
    }
    s.SetPosition(jpegAt);
    back.JpegFromStream(&s);
    EXPECT_FALSE(back.Aborting);
    EXPECT_TRUE(Shows(*out, lossy));
    EXPECT_EQ(s.Position(), pcxAt);
    if (headers) {
      back.PcxFromStream(&s);
      EXPECT_FALSE(back.Aborting);
      EXPECT_TRUE(Shows(*out, exact));
      EXPECT_EQ(s.Position(), jpeg2At);
    } else {
      s.SetPosition(jpeg2At);
    }
    back.LoadStreamDetected(&s);
    EXPECT_FALSE(back.Aborting);
    EXPECT_EQ(back.Params().FileType, ioJPEG);
    EXPECT_EQ(s.Position(), end);
  }

  // A plain JPEG stream loads whatever StreamHeaders says.
  const auto plain = fmtsample::BytesOfType(ioJPEG);
  for (bool headers : {true, false}) {
    TRuzozAdIO back(nullptr);
    auto out = fmtt::NewBuffer();
    back.AttachIEBitmap(out.get());
    back.StreamHeaders = headers;
    auto ps = fmtt::StreamOf(plain);
    back.JpegFromStream(ps.get());
    EXPECT_FALSE(back.Aborting);
    EXPECT_TRUE(Shows(*out, lossy));
  }
}

TEST(FmtEntryStreamHeader, PcxFramesOldNewAndWrong) {
  const auto pcx = fmtsample::BytesOfType(ioPCX);
  const TExpected expected = ExpectedOf(Samples()[3]);
  ASSERT_EQ(Samples()[3].Type, ioPCX);

  // The older frame: "PCX", one more byte, then the image.
  std::vector<Byte> old = {'P', 'C', 'X', '1'};
  old.insert(old.end(), pcx.begin(), pcx.end());
  {
    TRuzozAdIO io(nullptr);
    auto out = fmtt::NewBuffer();
    io.AttachIEBitmap(out.get());
    io.StreamHeaders = true;
    auto s = fmtt::StreamOf(old);
    io.PcxFromStream(s.get());
    EXPECT_FALSE(io.Aborting);
    EXPECT_TRUE(Shows(*out, expected));
  }
  // A JPEG frame where a PCX frame should be: refused after the 12 bytes,
  // the picture untouched, the end signalled.
  {
    auto pic = fmtsample::Picture();
    TRuzozAdIO writer(nullptr);
    writer.AttachIEBitmap(pic.get());
    writer.StreamHeaders = true;
    TMemoryStream s;
    writer.JpegToStream(&s);
    TRuzozAdIO io(nullptr);
    auto buffer = Sentinel();
    io.AttachIEBitmap(buffer.get());
    io.StreamHeaders = true;
    TSignals sig;
    sig.Hook(io);
    s.SetPosition(0);
    io.PcxFromStream(&s);
    EXPECT_TRUE(io.Aborting);
    EXPECT_EQ(s.Position(), 12);
    EXPECT_TRUE(IsSentinel(*buffer));
    EXPECT_EQ(sig.Finished, 1);
    // Too short for a frame at all.
    auto tiny = fmtt::StreamOf({'P', 'C', 'X'});
    io.Aborting = false;
    io.PcxFromStream(tiny.get());
    EXPECT_TRUE(io.Aborting);
    EXPECT_TRUE(IsSentinel(*buffer));
  }
  // A PCX save stopped by its progress handler keeps the placeholder: no
  // frame claims the partial data.
  {
    auto pic = fmtt::MakeRGB(40, 30, [](Integer x, Integer y) { return uint32_t(x * 6 + y * 0x600); });
    TRuzozAdIO io(nullptr);
    io.AttachIEBitmap(pic.get());
    io.StreamHeaders = true;
    io.OnProgress = [&io](TObject*, Integer per) {
      if (per < 100) io.Aborting = true;
    };
    TMemoryStream s;
    io.PcxToStream(&s);
    EXPECT_TRUE(io.Aborting);
    ASSERT_GE(s.Size(), 12);
    const auto head = Slice(s, 0, 12);
    EXPECT_NE(std::string(head.begin(), head.begin() + 4), "PCX2");
  }
}

namespace {

// A registered format of the test: "QQIMG", width and height bytes, one grey
// byte per pixel.
constexpr Integer kQqbType = 1001;
constexpr Integer kThrowType = 1002;
bool qqbParamsOnly = false;

void QqbRead(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly, TIEProgressRecord& Progress) {
  qqbParamsOnly = ParamsOnly;
  Byte head[7];
  if (Stream->Read(head, 7) != 7 || std::memcmp(head, "QQIMG", 5) != 0) {
    *Progress.Abort = true;
    return;
  }
  Params.Width = head[5];
  Params.Height = head[6];
  Params.DpiX = 50;
  Params.DpiY = 100;
  if (ParamsOnly) return;
  Bitmap->AllocateImage(head[5], head[6], ipkRGB24);
  for (Integer y = 0; y < head[6]; ++y) {
    Byte* row = static_cast<Byte*>(Bitmap->GetRowPointer(y));
    for (Integer x = 0; x < head[5]; ++x) {
      Byte g = 0;
      if (Stream->Read(&g, 1) != 1) *Progress.Abort = true;
      row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = g;
    }
  }
}

void QqbWrite(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals&, TIEProgressRecord&) {
  const Byte head[7] = {'Q', 'Q', 'I', 'M', 'G', Byte(Bitmap->Width()), Byte(Bitmap->Height())};
  Stream->WriteBuffer(head, 7);
  for (Integer y = 0; y < Bitmap->Height(); ++y)
    for (Integer x = 0; x < Bitmap->Width(); ++x) {
      const Byte g = Byte(fmtt::Pixel(*Bitmap, x, y) >> 8);
      Stream->WriteBuffer(&g, 1);
    }
}

bool QqbProbe(TStream* Stream) {
  Byte head[5];
  return Stream->Read(head, 5) == 5 && std::memcmp(head, "QQIMG", 5) == 0;
}

void ThrowingRead(TStream*, TIEBitmap*, TIOParamsVals&, bool, TIEProgressRecord&) { throw EReadError("bad block"); }

void RegisterTestFormats() {
  static const bool once = [] {
    TIEFormatRegistration r;
    r.FormatType = kQqbType;
    r.DisplayName = "Test grey";
    r.ExtensionList = "QQB";
    r.ReadHook = QqbRead;
    r.WriteHook = QqbWrite;
    r.ProbeHook = QqbProbe;
    RegisterFileFormat(r);
    TIEFormatRegistration t;
    t.FormatType = kThrowType;
    t.DisplayName = "Throws";
    t.ExtensionList = "QQT";
    t.ReadHook = ThrowingRead;
    RegisterFileFormat(t);
    return true;
  }();
  (void)once;
}

}  // namespace

TEST(FmtEntryRegistry, FurtherFormatThroughEveryRoad) {
  RegisterTestFormats();
  auto grey = fmtt::MakeRGB(6, 4, [](Integer x, Integer y) { return uint32_t(0x010101 * (x * 30 + y * 7)); });
  TExpected expected;
  expected.Width = 6, expected.Height = 4;
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 6; ++x) expected.Rgb.push_back(fmtt::Pixel(*grey, x, y)), expected.Opaque.push_back(true);

  TRuzozAdIO saver(nullptr);
  saver.AttachIEBitmap(grey.get());
  TSignals sig;
  sig.Hook(saver);
  const std::string path = fmtsample::TempPath("pic.qqb");
  saver.SaveFileByExtension(path);
  EXPECT_FALSE(saver.Aborting);
  EXPECT_EQ(saver.Params().FileType, kQqbType);
  TMemoryStream byType;
  saver.SaveStreamOfType(&byType, kQqbType);
  EXPECT_FALSE(saver.Aborting);
  EXPECT_EQ(sig.Finished, 2);
  EXPECT_EQ(fmtt::ReadAll(path), fmtt::BytesOf(byType));
  EXPECT_EQ(DetectFileType(path, true), kQqbType);

  struct TRoad {
    const char* Name;
    std::function<void(TRuzozAdIO&)> Run;
  } roads[] = {
      {"by extension", [&](TRuzozAdIO& io) { io.LoadFileByExtension(path); }},
      {"file by type", [&](TRuzozAdIO& io) { io.LoadFileOfType(path, kQqbType); }},
      {"stream by type",
       [&](TRuzozAdIO& io) {
         byType.SetPosition(0);
         io.LoadStreamOfType(&byType, kQqbType);
       }},
      {"stream by content",
       [&](TRuzozAdIO& io) {
         byType.SetPosition(0);
         io.LoadStreamDetected(&byType);
       }},
  };
  for (const TRoad& road : roads) {
    SCOPED_TRACE(road.Name);
    TRuzozAdIO io(nullptr);
    auto out = Sentinel();
    io.AttachIEBitmap(out.get());
    TSignals s;
    s.Hook(io);
    road.Run(io);
    EXPECT_FALSE(io.Aborting);
    EXPECT_FALSE(qqbParamsOnly);
    EXPECT_EQ(io.Params().FileType, kQqbType);
    EXPECT_EQ(s.Finished, 1);
    EXPECT_TRUE(Shows(*out, expected));
    // With AutoAdjustDPI the registry road resamples as well (50 x 100 dpi).
    io.AutoAdjustDPI = true;
    road.Run(io);
    EXPECT_EQ(out->Width(), 6);
    EXPECT_EQ(out->Height(), 2);
  }

  // A hook that raises: the road by extension reports it as a failure, the
  // road by type lets the exception through; both signal the end.
  const std::string bad = fmtsample::WriteFile("bad.qqt", {'x'});
  TRuzozAdIO io(nullptr);
  auto out = Sentinel();
  io.AttachIEBitmap(out.get());
  TSignals s;
  s.Hook(io);
  EXPECT_NO_THROW(io.LoadFileByExtension(bad));
  EXPECT_TRUE(io.Aborting);
  EXPECT_THROW(io.LoadFileOfType(bad, kThrowType), EReadError);
  EXPECT_EQ(s.Finished, 2);
  EXPECT_TRUE(IsSentinel(*out));
}

// The editor's road: a picture file loaded by its extension into the hidden
// view's buffer, then reduced to at most 256 colours.
TEST(FmtEntryEditorRoad, PictureFilesReducedTo256Colours) {
  auto original = fmtt::MakeRGB(64, 48, [](Integer x, Integer y) {
    return uint32_t(((x * 4) << 16) | ((y * 5) << 8) | ((x + y) * 2));
  });
  ASSERT_GT(fmtt::ColorCount(*original), 256);
  // The reduction of the picture itself: what a lossless file must give.
  auto direct = fmtt::MakeRGB(64, 48, [&](Integer x, Integer y) { return fmtt::Pixel(*original, x, y); });
  {
    TEntryView view;
    view.Picture = direct.get();
    TRuzozAdProc proc(nullptr);
    proc.SetAttachedRuzozAd(&view);
    proc.ConvertTo(256, false);
  }
  for (const char* ext : {".jpg", ".png", ".bmp", ".tif", ".gif"}) {
    SCOPED_TRACE(ext);
    const std::string path = fmtsample::TempPath(std::string("road") + ext);
    {
      TRuzozAdIO writer(nullptr);
      auto copy = fmtt::MakeRGB(64, 48, [&](Integer x, Integer y) { return fmtt::Pixel(*original, x, y); });
      writer.AttachIEBitmap(copy.get());
      writer.Params().JpegQuality = 95;
      writer.SaveFileByExtension(path);
      ASSERT_FALSE(writer.Aborting);
    }
    TIEBitmap picture;
    TEntryView view;
    view.Picture = &picture;
    TRuzozAdIO io(nullptr);
    io.SetAttachedRuzozAd(&view);
    TRuzozAdProc proc(nullptr);
    proc.SetAttachedRuzozAd(&view);
    io.LoadFileByExtension(path);
    ASSERT_FALSE(io.Aborting) << IELastFilterError();
    EXPECT_EQ(view.Resolutions, 1);
    proc.ConvertTo(256, false);
    ASSERT_EQ(picture.Width(), 64);
    ASSERT_EQ(picture.Height(), 48);
    EXPECT_LE(fmtt::ColorCount(picture), 256);
    double error = 0;
    for (Integer y = 0; y < 48; ++y)
      for (Integer x = 0; x < 64; ++x) {
        const uint32_t a = fmtt::Pixel(picture, x, y), b = fmtt::Pixel(*original, x, y);
        for (int c = 0; c < 24; c += 8) error += std::abs(int((a >> c) & 255) - int((b >> c) & 255));
      }
    EXPECT_LT(error / (64 * 48 * 3), 6.0);
    if (std::string(ext) == ".png" || std::string(ext) == ".bmp" || std::string(ext) == ".tif") {
      EXPECT_EQ(fmtt::DifferentPixels(picture, *direct), 0);
    }
  }
}

// Which loads hand the resolution to an attached view, and the background a
// GIF load leaves.
TEST(FmtEntryLoad, ViewResolutionAndBackgroundByEntryPoint) {
  struct TCase {
    Integer Type;
    bool File;
    void (TRuzozAdIO::*FromFile)(const std::string&);
    void (TRuzozAdIO::*FromStream)(TStream*);
    bool ViewGetsResolution;
  } cases[] = {
      {ioJPEG, true, &TRuzozAdIO::JpegFromFile, nullptr, true},
      {ioJPEG, false, nullptr, &TRuzozAdIO::JpegFromStream, true},
      {ioPCX, true, &TRuzozAdIO::PcxFromFile, nullptr, true},
      {ioPCX, false, nullptr, &TRuzozAdIO::PcxFromStream, true},
      {ioBMP, true, &TRuzozAdIO::BmpFromFile, nullptr, true},
      {ioBMP, false, nullptr, &TRuzozAdIO::BmpFromStream, false},
      {ioICO, true, &TRuzozAdIO::IcoFromFile, nullptr, true},
      {ioICO, false, nullptr, &TRuzozAdIO::IcoFromStream, false},
      {ioCUR, true, &TRuzozAdIO::CurFromFile, nullptr, true},
      {ioCUR, false, nullptr, &TRuzozAdIO::CurFromStream, false},
      {ioPNG, true, &TRuzozAdIO::PngFromFile, nullptr, true},
      {ioPNG, false, nullptr, &TRuzozAdIO::PngFromStream, true},
      {ioTGA, true, &TRuzozAdIO::TgaFromFile, nullptr, true},
      {ioTGA, false, nullptr, &TRuzozAdIO::TgaFromStream, false},
      {ioPXM, true, &TRuzozAdIO::PxmFromFile, nullptr, false},
      {ioPXM, false, nullptr, &TRuzozAdIO::PxmFromStream, false},
      {ioJP2, true, &TRuzozAdIO::Jp2FromFile, nullptr, true},
      {ioJ2K, false, nullptr, &TRuzozAdIO::J2kFromStream, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.Type << (c.File ? " file" : " stream"));
    const auto bytes = fmtsample::BytesOfType(c.Type);
    TIEBitmap shown;
    TEntryView view;
    view.Picture = &shown;
    TRuzozAdIO io(nullptr);
    io.SetAttachedRuzozAd(&view);
    if (c.File) {
      (io.*c.FromFile)(fmtsample::WriteFile("view.bin", bytes));
    } else {
      auto s = fmtt::StreamOf(bytes);
      (io.*c.FromStream)(s.get());
    }
    EXPECT_FALSE(io.Aborting);
    EXPECT_EQ(io.Params().FileType, c.Type);
    EXPECT_EQ(view.Resolutions, c.ViewGetsResolution ? 1 : 0);
  }
  // GIF: the file load gives the view the resolution, the stream load does
  // not; both set the background, the transparent colour where there is one.
  const auto gif = fmtt::ReadAll(fmtt::CorpusPath("gif4_transparent.gif"));
  for (bool file : {true, false}) {
    TRuzozAdIO io(nullptr);
    auto out = fmtt::NewBuffer();
    io.AttachIEBitmap(out.get());
    Integer count = 0;
    if (file) {
      count = io.GifFromFile(fmtsample::WriteFile("t.gif", gif));
    } else {
      auto s = fmtt::StreamOf(gif);
      count = io.GifFromStream(s.get());
    }
    EXPECT_EQ(count, 1);
    ASSERT_TRUE(io.Params().GifHasTransparency);
    EXPECT_EQ(io.Background(), TripleToColor(io.Params().GifTransparentColor));

    TIEBitmap shown;
    TEntryView view;
    view.Picture = &shown;
    TRuzozAdIO viewed(nullptr);
    viewed.SetAttachedRuzozAd(&view);
    if (file) {
      viewed.GifFromFile(fmtsample::WriteFile("t.gif", gif));
    } else {
      auto s = fmtt::StreamOf(gif);
      viewed.GifFromStream(s.get());
    }
    EXPECT_EQ(view.Resolutions, file ? 1 : 0);
  }
  // ".win" is a Targa extension of the loads (not of the registry).
  TRuzozAdIO io(nullptr);
  auto out = fmtt::NewBuffer();
  io.AttachIEBitmap(out.get());
  io.LoadFileByExtension(fmtsample::WriteFile("x.win", fmtsample::BytesOfType(ioTGA)));
  EXPECT_FALSE(io.Aborting);
  EXPECT_EQ(io.Params().FileType, ioTGA);
  EXPECT_EQ(out->Width(), 23);
}

// A framed TIFF counts its offsets from the stream's start; a plain one from
// where it begins. Both load, each leaving the stream after itself.
TEST(FmtEntryStreamHeader, TiffFramedAndPlain) {
  const TExpected expected = ExpectedOf(TSample{0, "", nullptr});
  const auto framedTiff = fmtsample::Tiff(12);
  std::vector<Byte> framed = {'T', 'I', 'F', 'F', 0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) framed.push_back(Byte(framedTiff.size() >> (8 * i)));
  framed.insert(framed.end(), framedTiff.begin(), framedTiff.end());
  const auto jpeg = fmtsample::BytesOfType(ioJPEG);
  auto s = fmtt::StreamOf(Cat(framed, jpeg));
  EXPECT_EQ(DetectStreamType(s.get()), ioTIFF);

  TRuzozAdIO io(nullptr);
  auto out = fmtt::NewBuffer();
  io.AttachIEBitmap(out.get());
  io.StreamHeaders = true;
  EXPECT_EQ(io.TiffFromStream(s.get()), 1);
  EXPECT_FALSE(io.Aborting) << IELastFilterError();
  EXPECT_TRUE(Shows(*out, expected));
  EXPECT_EQ(s->Position(), Int64(framed.size()));
  io.JpegFromStream(s.get());
  EXPECT_FALSE(io.Aborting);
  EXPECT_EQ(io.Params().FileType, ioJPEG);

  // Plain, after other bytes, StreamHeaders off: offsets from its own start.
  auto plain = fmtt::StreamOf(Cat(Text("junk"), fmtsample::Tiff()));
  plain->SetPosition(4);
  TRuzozAdIO io2(nullptr);
  auto out2 = fmtt::NewBuffer();
  io2.AttachIEBitmap(out2.get());
  EXPECT_EQ(io2.TiffFromStream(plain.get()), 1);
  EXPECT_FALSE(io2.Aborting);
  EXPECT_TRUE(Shows(*out2, expected));

  // With StreamHeaders on, an unframed TIFF is refused after 12 bytes.
  plain->SetPosition(4);
  auto kept = Sentinel();
  io2.AttachIEBitmap(kept.get());
  io2.StreamHeaders = true;
  EXPECT_EQ(io2.TiffFromStream(plain.get()), 0);
  EXPECT_TRUE(io2.Aborting);
  EXPECT_EQ(plain->Position(), 16);
  EXPECT_TRUE(IsSentinel(*kept));

  // Written plain after other bytes and read back there, by the TIFF entry
  // point and by content: the same file wherever it starts (at position 0
  // the file a file save makes).
  auto pic = fmtsample::Picture();
  TRuzozAdIO writer(nullptr);
  writer.AttachIEBitmap(pic.get());
  const std::string filePath = fmtsample::TempPath("plain.tif");
  writer.TiffToFile(filePath);
  const std::vector<Byte> file = fmtt::ReadAll(filePath);
  for (size_t lead : {size_t(0), size_t(5), size_t(12)}) {
    SCOPED_TRACE("after " + std::to_string(lead) + " bytes");
    TMemoryStream ms;
    ms.WriteBuffer("leading bytes", Integer(lead));
    writer.TiffToStream(&ms);
    EXPECT_FALSE(writer.Aborting);
    const std::vector<Byte> all = fmtt::BytesOf(ms);
    EXPECT_TRUE(std::vector<Byte>(all.begin() + long(lead), all.end()) == file) << "not the file a file save makes";
    for (bool detected : {false, true}) {
      TRuzozAdIO reader(nullptr);
      auto back = Sentinel();
      reader.AttachIEBitmap(back.get());
      ms.SetPosition(Int64(lead));
      if (detected)
        reader.LoadStreamDetected(&ms);
      else
        reader.TiffFromStream(&ms);
      EXPECT_FALSE(reader.Aborting) << IELastFilterError();
      EXPECT_TRUE(Shows(*back, expected)) << (detected ? "by content" : "TiffFromStream");
    }
  }

  // A page past the file's last one loads nothing, and says so.
  TRuzozAdIO io3(nullptr);
  auto kept3 = Sentinel();
  io3.AttachIEBitmap(kept3.get());
  io3.Params().TiffPageIndex = 1;
  const std::string path = fmtsample::WriteFile("one.tif", fmtsample::Tiff());
  io3.LoadFileByExtension(path);
  EXPECT_TRUE(io3.Aborting);
  EXPECT_TRUE(IsSentinel(*kept3));
}
