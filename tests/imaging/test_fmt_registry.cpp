// The format table: the built-in entries, extension lookups, registering a
// further format, and recognising every format by its content.
#include <gtest/gtest.h>

#include <cstring>

#include "fmt_test_util.h"
#include "imaging/formats/formatregistry.h"
#include "test_fmt_entry_samples.h"

using fmtsample::Bytes;
using fmtsample::Samples;

namespace {

Integer Detect(const std::vector<Byte>& B) {
  auto s = fmtt::StreamOf(B);
  return DetectStreamType(s.get());
}

std::vector<Byte> Text(const char* T, size_t N = 0) {
  std::vector<Byte> b(T, T + (N ? N : std::strlen(T)));
  return b;
}

std::vector<Byte> Head(std::vector<Byte> B, size_t N) {
  B.resize(std::min(N, B.size()));
  return B;
}

std::vector<Byte> Cat(std::vector<Byte> A, const std::vector<Byte>& B) {
  A.insert(A.end(), B.begin(), B.end());
  return A;
}

}  // namespace

TEST(FmtRegistryTable, BuiltInEntriesInOrder) {
  struct TRow {
    Integer Type;
    const char* Name;
    const char* Extensions;
    bool Writable;
  };
  const TRow rows[] = {
      {1, "TIFF Bitmap", "TIF;TIFF;FAX;G3N;G3F", true},
      {2, "CompuServe Bitmap", "GIF", true},
      {3, "JPEG Bitmap", "JPG;JPEG;JPE", true},
      {4, "PaintBrush", "PCX", true},
      {5, "Windows Bitmap", "BMP;DIB;RLE", true},
      {6, "Windows Icon", "ICO", false},
      {7, "Windows Cursor", "CUR", false},
      {8, "Portable Network Graphics", "PNG", true},
      {9, "Windows Metafile", "WMF", false},
      {10, "Enhanced Windows Metafile", "EMF", false},
      {11, "Targa Bitmap", "TGA;TARGA;VDA;ICB;VST;PIX", true},
      {12, "Portable Pixmap, GreyMap, BitMap", "PXM;PPM;PGM;PBM", true},
      {13, "JPEG2000", "JP2", true},
      {14, "JPEG2000 Code Stream", "J2K;JPC;J2C", true},
  };
  ASSERT_GE(FormatRegistryCount(), 14);
  for (Integer i = 0; i < 14; ++i) {
    const TRow& row = rows[i];
    SCOPED_TRACE(row.Name);
    const TIEFormatRegistration* r = FormatRegistryAt(i);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->FormatType, row.Type);
    EXPECT_EQ(r->DisplayName, row.Name);
    EXPECT_EQ(r->ExtensionList, row.Extensions);
    EXPECT_EQ(FindFormatByType(row.Type), r);
    EXPECT_EQ(r->ReadHook, &PlaceholderReadHook);
    EXPECT_EQ(r->ProbeHook, &PlaceholderProbeHook);
    EXPECT_EQ(r->WriteHook, row.Writable ? &PlaceholderWriteHook : nullptr);
    // Every listed extension leads back to this entry, in any case.
    const Integer count = CountFormatExtensions(row.Type);
    EXPECT_EQ(count, Integer(std::count(row.Extensions, row.Extensions + std::strlen(row.Extensions), ';') + 1));
    for (Integer n = 0; n < count; ++n) {
      std::string ext = GetFormatExtension(row.Type, n);
      EXPECT_EQ(FindFormatByExtension(ext), r) << ext;
      for (char& c : ext) c = char(std::tolower(c));
      EXPECT_EQ(FindFormatByExtension(ext), r) << ext;
    }
  }
  EXPECT_EQ(FindFormatByType(0), nullptr);
  EXPECT_EQ(FindFormatByType(15), nullptr);
}

TEST(FmtRegistryTable, ExtensionPiecesAndLookups) {
  EXPECT_EQ(GetFormatExtension(11, 0), "TGA");
  EXPECT_EQ(GetFormatExtension(11, 5), "PIX");
  EXPECT_EQ(GetFormatExtension(11, 6), "");
  EXPECT_EQ(CountFormatExtensions(11), 6);
  EXPECT_EQ(GetFormatExtension(99, 0), "");
  EXPECT_EQ(CountFormatExtensions(99), 0);
  struct TCase {
    const char* Extension;
    Integer Type;  // 0: not found
  } cases[] = {{"Tif", 1}, {"tiff", 1}, {"G3F", 1}, {"jpe", 3}, {"RLE", 5}, {"pix", 11},
               {".tif", 0}, {"win", 0}, {"", 0},   {"jpeg.bak", 0}, {"tif;gif", 0}};
  for (const TCase& c : cases) {
    const TIEFormatRegistration* r = FindFormatByExtension(c.Extension);
    EXPECT_EQ(r ? r->FormatType : 0, c.Type) << c.Extension;
  }
}

// One real file of every format, alone, after other data, and cut short.
TEST(FmtRegistryDetect, EveryFormatByContent) {
  for (const auto& sample : Samples()) {
    SCOPED_TRACE(sample.Extension);
    const std::vector<Byte> file = Bytes(sample);
    ASSERT_GT(file.size(), 20u);
    EXPECT_EQ(Detect(file), sample.Type);

    // Inside a larger stream: found at the position, which is given back.
    auto s = fmtt::StreamOf(Cat(Cat(Text("junk!!!"), file), Text("trailing")));
    s->SetPosition(7);
    EXPECT_EQ(DetectStreamType(s.get()), sample.Type);
    EXPECT_EQ(s->Position(), 7);

    // A cut file still names its format (a truncated download); PCX needs
    // its 128-byte header.
    EXPECT_EQ(Detect(Head(file, std::min<size_t>(file.size() - 1, 130))), sample.Type);
  }
}

TEST(FmtRegistryDetect, ShortAmbiguousAndUnknownHeads) {
  std::vector<Byte> jfif12 = Text("JFIF\0\0\0\0\x10\0\0\0", 12);
  std::vector<Byte> pcx128(129, 0);
  pcx128[0] = 0x0A, pcx128[1] = 5;
  std::vector<Byte> notPcx = pcx128;
  notPcx[1] = 6;
  std::vector<Byte> random(300);
  for (size_t i = 0; i < random.size(); ++i) random[i] = Byte((i * 7919 + 13) >> 3);
  struct TCase {
    const char* Name;
    std::vector<Byte> Data;
    Integer Type;
  } cases[] = {
      {"empty", {}, 0},
      {"framed JPEG header, 12 bytes", jfif12, 0},
      {"framed JPEG header, 13 bytes", Cat(jfif12, Text("x")), 3},
      {"GIF signature, 13 bytes", Text("GIF89a\1\0\1\0\0\0\0", 13), 0},
      {"GIF signature, 14 bytes", Text("GIF89a\1\0\1\0\0\0\0\0", 14), 2},
      {"framed PCX", Text("PCX2\0\0\0\0\x20\0\0\0abc", 15), 4},
      {"old PCX frame, 4 bytes", Text("PCX\0", 4), 0},
      {"old PCX frame and data", Text("PCX\0\x0A", 5), 4},
      {"PCX header", pcx128, 4},
      {"PCX header of an unknown version", notPcx, 0},
      {"PCX header cut to 128 bytes", Head(pcx128, 128), 0},
      {"BM, 14 bytes", Text("BMxxxxxxxxxxxx", 14), 0},
      {"BM, 15 bytes", Text("BMxxxxxxxxxxxxx", 15), 5},
      {"framed TIFF", Text("TIFF\0\0\0\0\x08\0\0\0II*\0", 16), 1},
      {"II, 8 bytes", Text("II*\0\x08\0\0\0", 8), 0},
      {"II, 9 bytes", Text("II*\0\x08\0\0\0\0", 9), 1},
      {"MM, 9 bytes", Text("MM\0*\0\0\0\x08\0", 9), 1},
      {"JPEG start after junk", Cat(Text("0123456789"), Text("\xFF\xD8\xFF\xE0", 4)), 3},
      {"text", Text("Hello, this is not a picture at all; just some words in a row."), 0},
      {"noise", random, 0},
      {"PNM without a size", Text("P6\n# only a comment\n"), 0},
  };
  for (const TCase& c : cases) EXPECT_EQ(Detect(c.Data), c.Type) << c.Name;
}

// The size limits are held against the whole stream, not the part after the
// position; a test whose bytes are not all there fails alone and the later
// tests still run.
TEST(FmtRegistryDetect, ThresholdsUseTheWholeStream) {
  auto s = fmtt::StreamOf(Cat(Text("0123456789"), Text("II*\0\x08\0\0\0", 8)));
  s->SetPosition(10);
  EXPECT_EQ(DetectStreamType(s.get()), 1);
  EXPECT_EQ(s->Position(), 10);

  // A 9-byte PNM at the end of a long stream: the 12-, 13- and 14-byte heads
  // cannot be read there, and the PNM test after them still finds it.
  auto t = fmtt::StreamOf(Cat(std::vector<Byte>(200, 0x55), Text("P5\n1 1\n25", 9)));
  t->SetPosition(200);
  EXPECT_EQ(DetectStreamType(t.get()), 12);
  EXPECT_EQ(t->Position(), 200);
}

// A stream that fails every read: detection gives 0 and raises nothing.
TEST(FmtRegistryDetect, FailingStreamGivesZero) {
  class TBroken : public TStream {
   public:
    Integer Read(void*, Integer) override { throw EReadError("broken"); }
    Integer Write(const void*, Integer) override { return 0; }
    Int64 Seek(Int64, TSeekOrigin) override { return 0; }
    Int64 Size() override { return 1000; }
  } broken;
  EXPECT_EQ(DetectStreamType(&broken), 0);
  EXPECT_EQ(DetectStreamType(nullptr), 0);
}

TEST(FmtRegistryDetect, FileTypeHeldAgainstTheExtension) {
  const auto png = fmtsample::BytesOfType(ioPNG);
  const auto tga = fmtsample::BytesOfType(ioTGA);
  const auto ico = fmtsample::BytesOfType(ioICO);
  const auto cur = fmtsample::BytesOfType(ioCUR);
  struct TCase {
    const char* Name;
    const std::vector<Byte>* Data;
    bool Check;
    Integer Type;
  } cases[] = {
      {"x.png", &png, true, 8},   {"x.PNG", &png, true, 8},   {"x.jpg", &png, true, 0},
      {"x.jpg", &png, false, 8},  {"x.win", &tga, true, 0},   {"x.win", &tga, false, 11},
      {"x.pix", &tga, true, 11},  {"x.cur", &ico, true, 7},   {"x.ico", &cur, true, 6},
      {"x.bmp", &ico, true, 5},   {"x.xyz", &png, true, 0},   {"noextension", &png, true, 0},
      {"noextension", &png, false, 8},
  };
  for (const TCase& c : cases) {
    const std::string path = fmtsample::WriteFile(c.Name, *c.Data);
    EXPECT_EQ(DetectFileType(path, c.Check), c.Type) << c.Name << " check " << c.Check;
  }
  EXPECT_EQ(DetectFileType(fmtsample::TempPath("missing.png"), false), 0);
  EXPECT_EQ(DetectFileType("", true), 0);
}

namespace {

// A format of the test's own: "QQIMG", width and height bytes, then one grey
// byte per pixel.
constexpr Integer kQqType = 1000;
int qqReads = 0;

void QqRead(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, bool ParamsOnly, TIEProgressRecord& Progress) {
  ++qqReads;
  Byte head[7];
  if (Stream->Read(head, 7) != 7 || std::memcmp(head, "QQIMG", 5) != 0) {
    *Progress.Abort = true;
    return;
  }
  Params.Width = head[5];
  Params.Height = head[6];
  if (ParamsOnly) return;
  Bitmap->AllocateImage(head[5], head[6], ipkRGB24);
  for (Integer y = 0; y < head[6]; ++y) {
    Byte* row = static_cast<Byte*>(Bitmap->GetRowPointer(y));
    for (Integer x = 0; x < head[5]; ++x) {
      Byte g = 0;
      Stream->Read(&g, 1);
      row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = g;
    }
  }
}

bool QqProbe(TStream* Stream) {
  Byte head[5];
  return Stream->Read(head, 5) == 5 && std::memcmp(head, "QQIMG", 5) == 0;
}

void RegisterQq() {
  static const bool once = [] {
    TIEFormatRegistration r;
    r.FormatType = kQqType;
    r.DisplayName = std::string(100, 'Q');
    r.ExtensionList = "QQA;qq2";
    r.ReadHook = QqRead;
    r.ProbeHook = QqProbe;
    RegisterFileFormat(r);
    // A later record with an extension already taken stays hidden behind it.
    TIEFormatRegistration dup;
    dup.FormatType = kQqType + 1;
    dup.DisplayName = "Another GIF";
    dup.ExtensionList = "GIF;QQ3";
    RegisterFileFormat(dup);
    return true;
  }();
  (void)once;
}

}  // namespace

TEST(FmtRegistryRegister, FurtherFormatByExtensionAndContent) {
  const Integer before = FormatRegistryCount();
  RegisterQq();
  const TIEFormatRegistration* r = FindFormatByType(kQqType);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->DisplayName, std::string(80, 'Q'));
  EXPECT_GE(FormatRegistryCount(), 16);
  EXPECT_LE(FormatRegistryCount(), before + 2);
  EXPECT_EQ(FindFormatByExtension("qqa"), r);
  EXPECT_EQ(FindFormatByExtension("QQ2"), r);
  EXPECT_EQ(FindFormatByExtension("gif")->FormatType, 2);
  EXPECT_EQ(FindFormatByExtension("qq3")->FormatType, kQqType + 1);

  const std::vector<Byte> qq = Text("QQIMG\2\1\x10\x20", 9);
  auto s = fmtt::StreamOf(Cat(Text("ab"), qq));
  s->SetPosition(2);
  EXPECT_EQ(DetectStreamType(s.get()), kQqType);
  EXPECT_EQ(s->Position(), 2);
  // The built-ins are still recognised with the further probe in place.
  for (const auto& sample : Samples()) EXPECT_EQ(Detect(Bytes(sample)), sample.Type) << sample.Extension;

  EXPECT_EQ(DetectFileType(fmtsample::WriteFile("pic.qqa", qq), true), kQqType);
  EXPECT_EQ(DetectFileType(fmtsample::WriteFile("pic.png", qq), true), 0);
}
