// BMP reader and writer: header kinds, palettes, bit fields, both run-length
// codings, round trips, and files that lie about their sizes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/bmpfilt.h"

using fmtt::Pixel;
using fmtt::Put16;
using fmtt::Put32;

namespace {


// A BMP with an info header of HeaderSize bytes, Palette (BGR) as 4-byte
// entries, optional bit-field masks after them, then Pixels.
std::vector<Byte> MakeBmp(int32_t W, int32_t H, int Bits, int Compression, const std::vector<uint32_t>& Palette,
                          const std::vector<Byte>& Pixels, uint32_t HeaderSize = 40,
                          const std::vector<uint32_t>& Masks = {}) {
  std::vector<Byte> f(14 + HeaderSize + 4 * Palette.size() + 4 * Masks.size());
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 14, HeaderSize);
  Put32(f, 18, uint32_t(W));
  Put32(f, 22, uint32_t(H));
  Put16(f, 26, 1);
  Put16(f, 28, uint32_t(Bits));
  Put32(f, 30, uint32_t(Compression));
  Put32(f, 34, uint32_t(Pixels.size()));
  Put32(f, 38, 2835);
  Put32(f, 42, 2835);
  Put32(f, 46, uint32_t(Palette.size()));
  size_t at = 14 + HeaderSize;
  for (uint32_t c : Palette) {
    Put32(f, at, c);
    at += 4;
  }
  for (uint32_t m : Masks) {
    Put32(f, at, m);
    at += 4;
  }
  Put32(f, 10, uint32_t(f.size()));
  f.insert(f.end(), Pixels.begin(), Pixels.end());
  Put32(f, 2, uint32_t(f.size()));
  return f;
}

struct BmpLoaded {
  std::unique_ptr<TIEBitmap> Bitmap = fmtt::NewBuffer();
  TIOParamsVals Params;
  fmtt::TProgressBox Progress;
};

void LoadBmp(BmpLoaded& L, const std::vector<Byte>& File, Int64 Total = 0, bool HeaderOnly = false) {
  auto s = fmtt::StreamOf(File);
  ReadBmpStream(s.get(), L.Bitmap.get(), L.Params, L.Progress.Record, HeaderOnly, Total);
}

std::vector<Byte> SaveBmp(TIEBitmap& B, TIOParamsVals& P) {
  TMemoryStream s;
  fmtt::TProgressBox pr;
  WriteBmpStream(&s, &B, P, pr.Record);
  EXPECT_FALSE(pr.Abort);
  return fmtt::BytesOf(s);
}

}  // namespace

// ---------------------------------------------------------------------------
// Reading.

TEST(FmtBmpRead, OneBitTablesDecideWhetherBitsAreInverted) {
  struct Case {
    std::vector<uint32_t> Table;
    bool Inverted;
  } cases[] = {{{0xFFFFFF, 0x000000}, true}, {{0x000000, 0xFFFFFF}, false}, {{0xFF0000, 0x0000FF}, false}};
  for (const Case& c : cases) {
    // Bottom row 1010..., top row 0101...
    BmpLoaded l;
    LoadBmp(l, MakeBmp(4, 2, 1, 0, c.Table, {0xA0, 0, 0, 0, 0x50, 0, 0, 0}));
    ASSERT_FALSE(l.Progress.Abort);
    ASSERT_EQ(l.Bitmap->PixelKind(), ipkBW1);
    const uint32_t set = c.Inverted ? 0 : 0xFFFFFF, clear = c.Inverted ? 0xFFFFFF : 0;
    EXPECT_EQ(Pixel(*l.Bitmap, 0, 1), set);
    EXPECT_EQ(Pixel(*l.Bitmap, 1, 1), clear);
    EXPECT_EQ(Pixel(*l.Bitmap, 0, 0), clear);
    EXPECT_EQ(Pixel(*l.Bitmap, 1, 0), set);
    ASSERT_EQ(l.Params.PaletteCount, 2);
    EXPECT_EQ(l.Params.Palette[0].Red, Byte(c.Table[0] >> 16));
    EXPECT_EQ(l.Params.BitsPerSample, 1);
    EXPECT_EQ(l.Params.SamplesPerPixel, 1);
  }
}

TEST(FmtBmpRead, SixteenBitMasks) {
  // 0x7FFF without masks is 5-5-5 white; a 5-6-5 mask set reaches green 252.
  BmpLoaded a;
  LoadBmp(a, MakeBmp(2, 1, 16, 0, {}, {0xFF, 0x7F, 0x1F, 0x00}));
  ASSERT_FALSE(a.Progress.Abort);
  EXPECT_EQ(Pixel(*a.Bitmap, 0, 0), 0xF8F8F8u);
  EXPECT_EQ(Pixel(*a.Bitmap, 1, 0), 0x0000F8u);
  EXPECT_EQ(a.Params.BitsPerSample, 5);
  EXPECT_EQ(a.Params.SamplesPerPixel, 3);

  BmpLoaded b;
  LoadBmp(b, MakeBmp(2, 1, 16, 3, {}, {0xE0, 0x07, 0x00, 0xF8}, 40, {0xF800, 0x07E0, 0x001F}));
  ASSERT_FALSE(b.Progress.Abort);
  EXPECT_EQ(Pixel(*b.Bitmap, 0, 0), 0x00FC00u);
  EXPECT_EQ(Pixel(*b.Bitmap, 1, 0), 0xF80000u);
}

TEST(FmtBmpRead, HeaderSizesAndVersions) {
  // 64-byte header: the table follows byte 64; 108-byte header: skipped after 64.
  for (uint32_t size : {40u, 64u, 108u, 124u}) {
    BmpLoaded l;
    LoadBmp(l, MakeBmp(2, 1, 8, 0, {0x112233, 0x445566}, {1, 0, 0, 0}, size));
    ASSERT_FALSE(l.Progress.Abort) << size;
    EXPECT_EQ(Pixel(*l.Bitmap, 0, 0), 0x445566u) << size;
    EXPECT_EQ(Pixel(*l.Bitmap, 1, 0), 0x112233u) << size;
    EXPECT_EQ(l.Params.BmpVersion, size == 40 ? 1 : size == 64 ? 3 : 0) << size;
    EXPECT_EQ(l.Params.DpiX, 72) << size;
  }
  // Core header: 3-byte table entries of 2^bits entries, the screen resolution.
  std::vector<Byte> core(14 + 12 + 6);
  core[0] = 'B';
  core[1] = 'M';
  Put32(core, 14, 12);
  Put16(core, 18, 3);
  Put16(core, 20, 1);
  Put16(core, 22, 1);
  Put16(core, 24, 1);
  core[26] = 0x10;  // entry 0: blue 0x10
  core[31] = 0xC0;  // entry 1: red 0xC0
  Put32(core, 10, uint32_t(core.size()));
  core.insert(core.end(), {0x40, 0, 0, 0});  // 0 1 0
  IEDefaultDpiX = 96;
  BmpLoaded l;
  LoadBmp(l, core);
  IEDefaultDpiX = 0;
  ASSERT_FALSE(l.Progress.Abort);
  EXPECT_EQ(l.Params.BmpVersion, 2);
  EXPECT_EQ(l.Params.DpiX, 96);
  EXPECT_EQ(Pixel(*l.Bitmap, 0, 0), 0u);
  EXPECT_EQ(Pixel(*l.Bitmap, 1, 0), 0xFFFFFFu);
  ASSERT_EQ(l.Params.PaletteCount, 2);
  EXPECT_EQ(l.Params.Palette[1].Red, 0xC0);
}

TEST(FmtBmpRead, TopDownRowsAndIndicesPastTheTable) {
  // Negative height: first row is the top; index 7 is past a 2-entry table.
  BmpLoaded l;
  LoadBmp(l, MakeBmp(2, -2, 8, 0, {0xFF0000, 0x00FF00}, {0, 1, 0, 0, 7, 0, 0, 0}));
  ASSERT_FALSE(l.Progress.Abort);
  ASSERT_EQ(l.Bitmap->Height(), 2);
  EXPECT_EQ(Pixel(*l.Bitmap, 0, 0), 0xFF0000u);
  EXPECT_EQ(Pixel(*l.Bitmap, 1, 0), 0x00FF00u);
  EXPECT_EQ(Pixel(*l.Bitmap, 0, 1), 0u);
}

TEST(FmtBmpRle, DecodeRunsAbsoluteRunsAndDeltas) {
  TIEColorTriple pal[256] = {};
  for (int i = 0; i < 256; ++i) pal[i] = TIEColorTriple{Byte(i), 0, 0};
  auto bitmap = fmtt::NewBuffer();
  bitmap->AllocateImage(10, 2, ipkRGB24);
  bitmap->FillWith(0xEE);
  const uint32_t untouched = Pixel(*bitmap, 9, 1);
  fmtt::TProgressBox pr;
  // Bottom row: 5 5 5 1 2 3, end of line; upper row: two pixels, delta (2, 0), one pixel.
  const Byte data[] = {3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 2, 9, 0, 2, 2, 0, 1, 4, 0, 1};
  DecodeBmpRle8(bitmap.get(), data, sizeof(data), pr.Record, pal);
  const uint32_t bottom[] = {5, 5, 5, 1, 2, 3};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(Pixel(*bitmap, x, 1), bottom[x]) << x;
  EXPECT_EQ(Pixel(*bitmap, 6, 1), untouched);
  EXPECT_EQ(Pixel(*bitmap, 0, 0), 9u);
  EXPECT_EQ(Pixel(*bitmap, 1, 0), 9u);
  EXPECT_EQ(Pixel(*bitmap, 2, 0), untouched);
  EXPECT_EQ(Pixel(*bitmap, 4, 0), 4u);

  // RLE4: a run alternates the nibbles; an absolute run of 3 takes 2 bytes and a pad.
  auto b4 = fmtt::NewBuffer();
  b4->AllocateImage(8, 1, ipkRGB24);
  const Byte data4[] = {4, 0x12, 0, 3, 0x34, 0x50, 0, 1};
  DecodeBmpRle4(b4.get(), data4, sizeof(data4), pr.Record, pal);
  const uint32_t want4[] = {1, 2, 1, 2, 3, 4, 5};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(Pixel(*b4, x, 0), want4[x]) << x;
}

TEST(FmtBmpRle, HostileCodesStayInsideThePicture) {
  TIEColorTriple pal[256] = {};
  pal[7] = TIEColorTriple{7, 7, 7};
  fmtt::TProgressBox pr;
  struct Case {
    const char* What;
    std::vector<Byte> Data;
  } cases[] = {
      {"run past the row's end", {255, 7, 255, 7, 0, 0, 255, 7}},
      {"absolute run past the row's end", {0, 200, 7, 7, 7}},
      {"delta past the top", {0, 2, 0, 50, 3, 7}},
      {"delta far to the right", {0, 2, 250, 0, 3, 7}},
      {"end of line past the top", {0, 0, 0, 0, 0, 0, 3, 7}},
      {"data ending inside a code", {0, 5, 7}},
      {"data ending inside a delta", {0, 2, 1}},
  };
  for (const Case& c : cases) {
    auto b = fmtt::NewBuffer();
    b->AllocateImage(3, 2, ipkRGB24);
    DecodeBmpRle8(b.get(), c.Data.data(), Integer(c.Data.size()), pr.Record, pal);
    DecodeBmpRle4(b.get(), c.Data.data(), Integer(c.Data.size()), pr.Record, pal);
    SUCCEED() << c.What;
  }
  // The clipped run still fills its row.
  auto b = fmtt::NewBuffer();
  b->AllocateImage(3, 2, ipkRGB24);
  const Byte data[] = {255, 7};
  DecodeBmpRle8(b.get(), data, 2, pr.Record, pal);
  EXPECT_EQ(Pixel(*b, 2, 1), 0x070707u);
}

TEST(FmtBmpRle, EncodeRows) {
  struct Case {
    const char* What;
    bool Nibbles;
    std::vector<Byte> Row;
    std::vector<Byte> Want;
  } cases[] = {
      {"300 equal pixels", false, std::vector<Byte>(300, 9), {255, 9, 45, 9, 0, 0}},
      {"5 different pixels", false, {1, 2, 3, 4, 5}, {0, 5, 1, 2, 3, 4, 5, 0, 0, 0}},
      {"1 pixel", false, {7}, {1, 7, 0, 0}},
      {"2 different pixels", false, {7, 8}, {1, 7, 1, 8, 0, 0}},
      {"literals then a run", false, {1, 2, 3, 3, 3}, {1, 1, 1, 2, 3, 3, 0, 0}},
      {"RLE4: 3 different", true, {0xA, 0xB, 0xC}, {0, 3, 0xAB, 0xC0, 0, 0}},
      {"RLE4: 5 different", true, {1, 2, 3, 4, 5}, {0, 5, 0x12, 0x34, 0x50, 0, 0, 0}},
      {"RLE4: a run has the index in both nibbles", true, {6, 6, 6, 6}, {4, 0x66, 0, 0}},
      {"RLE4: 2 different", true, {6, 7}, {2, 0x67, 0, 0}},
  };
  for (const Case& c : cases) {
    std::vector<Byte> out(c.Row.size() * 10 + 8);
    const Integer n = c.Nibbles ? EncodeBmpRle4Row(c.Row.data(), Integer(c.Row.size()), out.data())
                                : EncodeBmpRle8Row(c.Row.data(), Integer(c.Row.size()), out.data());
    out.resize(size_t(n));
    EXPECT_EQ(out, c.Want) << c.What;
  }
  // 600 different pixels: absolute runs of at most 255.
  std::vector<Byte> row(600);
  for (int i = 0; i < 600; ++i) row[i] = Byte(i % 2 ? i : 255 - (i % 200));
  std::vector<Byte> out(row.size() * 10);
  const Integer n = EncodeBmpRle8Row(row.data(), 600, out.data());
  TIEColorTriple pal[256];
  for (int i = 0; i < 256; ++i) pal[i] = TIEColorTriple{Byte(i), 0, 0};
  auto b = fmtt::NewBuffer();
  b->AllocateImage(600, 1, ipkRGB24);
  fmtt::TProgressBox pr;
  DecodeBmpRle8(b.get(), out.data(), n, pr.Record, pal);
  for (int x = 0; x < 600; ++x) ASSERT_EQ(Pixel(*b, x, 0), row[x]) << x;
}

// ---------------------------------------------------------------------------
// Writing.

TEST(FmtBmpWrite, HeaderFields) {
  auto img = fmtt::MakeRGB(5, 3, [](Integer x, Integer y) { return x == y ? 0xFF0000u : 0x0000FFu; });
  struct Case {
    const char* What;
    Integer Bits, Samples;
    Byte Version, Compression;
    uint32_t HeaderSize, WantBits, WantCompression, WantImportant;
    bool EndCode;
  } cases[] = {
      {"4 bits, run-length", 4, 1, 1, 1, 40, 4, 2, 16, true},
      {"8 bits, run-length", 8, 1, 1, 1, 40, 8, 1, 256, true},
      {"8 bits, 64-byte header", 8, 1, 3, 1, 64, 8, 1, 256, true},
      {"24 bits ignore run-length", 8, 3, 1, 1, 40, 24, 0, 16777216, false},
      {"1 bit", 1, 1, 0, 0, 40, 1, 0, 2, false},
  };
  for (const Case& c : cases) {
    TIOParamsVals p;
    p.BitsPerSample = c.Bits;
    p.SamplesPerPixel = c.Samples;
    p.BmpVersion = c.Version;
    p.BmpCompression = c.Compression;
    p.DpiX = 300;
    p.DpiY = 150;
    const std::vector<Byte> f = SaveBmp(*img, p);
    ASSERT_GT(f.size(), 60u) << c.What;
    EXPECT_EQ(fmtt::Le32At(f, 2), f.size()) << c.What;
    EXPECT_EQ(fmtt::Le32At(f, 14), c.HeaderSize) << c.What;
    EXPECT_EQ(f[28], c.WantBits) << c.What;
    EXPECT_EQ(fmtt::Le32At(f, 30), c.WantCompression) << c.What;
    EXPECT_EQ(fmtt::Le32At(f, 34), f.size() - fmtt::Le32At(f, 10)) << c.What;
    EXPECT_EQ(fmtt::Le32At(f, 38), 11811u) << c.What;
    EXPECT_EQ(fmtt::Le32At(f, 42), 5906u) << c.What;
    EXPECT_EQ(fmtt::Le32At(f, 50), c.WantImportant) << c.What;
    const bool endCode = f[f.size() - 2] == 0 && f[f.size() - 1] == 1;
    EXPECT_EQ(endCode, c.EndCode) << c.What;
  }
}

TEST(FmtBmpWrite, CoreHeaderHasThreeByteTableAndNoRunLength) {
  auto img = fmtt::MakeRGB(3, 2, [](Integer x, Integer) { return x ? 0x102030u : 0x405060u; });
  TIOParamsVals p;
  p.BitsPerSample = 8;
  p.SamplesPerPixel = 1;
  p.BmpVersion = 2;
  p.BmpCompression = 1;
  const std::vector<Byte> f = SaveBmp(*img, p);
  EXPECT_EQ(fmtt::Le32At(f, 14), 12u);
  EXPECT_EQ(f[24], 8);
  EXPECT_EQ(fmtt::Le32At(f, 10), 14u + 12u + 256u * 3u);
  EXPECT_EQ(f.size(), 14u + 12u + 256u * 3u + 2u * 4u);
  BmpLoaded l;
  LoadBmp(l, f);
  ASSERT_FALSE(l.Progress.Abort);
  EXPECT_EQ(fmtt::DifferentPixels(*img, *l.Bitmap), 0);
}

TEST(FmtBmpWrite, RoundTripsEveryKind) {
  // Pictures with few enough colours for each depth come back unchanged.
  auto colors16 = fmtt::MakeRGB(37, 11, [](Integer x, Integer y) { return uint32_t(((x / 3 + y) % 16) * 0x0F0D0B); });
  auto colors200 = fmtt::MakeRGB(33, 17, [](Integer x, Integer y) {
    const uint32_t i = uint32_t((x * 7 + y * 13) % 200);
    return (i << 16) | ((255 - i) << 8) | (i * 3 % 256);
  });
  auto full = fmtt::MakeRGB(31, 9, [](Integer x, Integer y) { return uint32_t(x * 8) << 16 | uint32_t(y * 28) << 8 | 77; });
  auto bw = fmtt::MakeBW(21, 5, [](Integer x, Integer y) { return (x * y) % 3 == 0; });
  auto twoColors = fmtt::MakeRGB(9, 4, [](Integer x, Integer y) { return (x + y) % 2 ? 0x203040u : 0xC0B0A0u; });
  struct Case {
    const char* What;
    TIEBitmap* Image;
    Integer Bits, Samples;
    Byte Version, Compression;
  } cases[] = {
      {"1 bit", bw.get(), 1, 1, 1, 0},
      {"1 bit, core header", bw.get(), 1, 1, 2, 0},
      {"4 bits", colors16.get(), 4, 1, 1, 0},
      {"4 bits, RLE4", colors16.get(), 4, 1, 1, 1},
      {"4 bits, 64-byte header, RLE4", colors16.get(), 4, 1, 3, 1},
      {"8 bits", colors200.get(), 8, 1, 1, 0},
      {"8 bits, RLE8", colors200.get(), 8, 1, 1, 1},
      {"8 bits, core header", colors200.get(), 8, 1, 2, 1},
      {"24 bits", full.get(), 8, 3, 1, 0},
      {"24 bits, core header", full.get(), 8, 3, 2, 0},
      {"24 bits from a 1-bit picture", bw.get(), 8, 3, 1, 0},
  };
  for (const Case& c : cases) {
    TIOParamsVals p;
    p.BitsPerSample = c.Bits;
    p.SamplesPerPixel = c.Samples;
    p.BmpVersion = c.Version;
    p.BmpCompression = c.Compression;
    BmpLoaded l;
    LoadBmp(l, SaveBmp(*c.Image, p));
    ASSERT_FALSE(l.Progress.Abort) << c.What << ": " << IELastFilterError();
    EXPECT_EQ(fmtt::DifferentPixels(*c.Image, *l.Bitmap), 0) << c.What;
  }
  // Two colours at 1 bit: the darker is bit 0, and both colours are in the table.
  TIOParamsVals p;
  p.BitsPerSample = 1;
  BmpLoaded l;
  LoadBmp(l, SaveBmp(*twoColors, p));
  ASSERT_EQ(l.Params.PaletteCount, 2);
  EXPECT_EQ(l.Params.Palette[0], (TIEColorTriple{0x40, 0x30, 0x20}));
  EXPECT_EQ(l.Params.Palette[1], (TIEColorTriple{0xA0, 0xB0, 0xC0}));
  for (Integer y = 0; y < 4; ++y)
    for (Integer x = 0; x < 9; ++x) EXPECT_EQ(Pixel(*l.Bitmap, x, y) != 0, (x + y) % 2 == 0) << x << "," << y;
}

TEST(FmtBmpWrite, FailedStreamLeavesHeadersIncomplete) {
  // A stream that takes only 100 bytes: the abort flag is set and the file
  // header keeps size and offset 0.
  class TShortStream : public TMemoryStream {
   public:
    Integer Write(const void* Buffer, Integer Count) override {
      const Integer room = std::max<Integer>(0, 100 - Integer(Position()));
      return TMemoryStream::Write(Buffer, std::min(Count, room));
    }
  } s;
  auto img = fmtt::MakeRGB(20, 20, [](Integer, Integer) { return 0x123456u; });
  TIOParamsVals p;
  fmtt::TProgressBox pr;
  pr.Track();
  WriteBmpStream(&s, img.get(), p, pr.Record);
  EXPECT_TRUE(pr.Abort);
  const std::vector<Byte> f = fmtt::BytesOf(s);
  ASSERT_GE(f.size(), 14u);
  EXPECT_EQ(fmtt::Le32At(f, 2), 0u);
  EXPECT_EQ(fmtt::Le32At(f, 10), 0u);
  EXPECT_LT(pr.Reports.size(), 20u);
}

// ---------------------------------------------------------------------------
// Files that are not what they claim.

TEST(FmtBmpRead, RefusesHostileHeadersBeforeAllocating) {
  const std::vector<Byte> good = MakeBmp(4, 4, 24, 0, {}, std::vector<Byte>(48, 0x55));
  struct Case {
    const char* What;
    std::function<void(std::vector<Byte>&)> Edit;
    const char* Error;
  } cases[] = {
      {"not BM", [](std::vector<Byte>& f) { f[0] = 'X'; }, "Not a BMP file"},
      {"cut inside the file header", [](std::vector<Byte>& f) { f.resize(10); }, "Not a BMP file"},
      {"header size past the file", [](std::vector<Byte>& f) { Put32(f, 14, 0x7FFFFFF0); }, "Invalid BMP header size"},
      {"header size too small", [](std::vector<Byte>& f) { Put32(f, 14, 8); }, "Invalid BMP header size"},
      {"pixel offset past the end", [](std::vector<Byte>& f) { Put32(f, 10, 0x10000000); }, "BMP pixel data offset"},
      {"huge width", [](std::vector<Byte>& f) { Put32(f, 18, 0x7FFFFFFF); }, "BMP image size does not fit"},
      {"huge width and height", [](std::vector<Byte>& f) { Put32(f, 18, 60000); Put32(f, 22, 60000); },
       "BMP image size does not fit"},
      {"zero width", [](std::vector<Byte>& f) { Put32(f, 18, 0); }, "BMP image size does not fit"},
      {"unknown bit count", [](std::vector<Byte>& f) { Put16(f, 28, 7); }, "Unsupported BMP bit count"},
      {"RLE8 on 4 bits", [](std::vector<Byte>& f) { Put32(f, 30, 1); Put16(f, 28, 4); }, "Unsupported BMP"},
      {"top-down RLE", [](std::vector<Byte>& f) { Put16(f, 28, 8); Put32(f, 30, 1); Put32(f, 22, uint32_t(-4)); },
       "Unsupported BMP"},
  };
  for (const Case& c : cases) {
    std::vector<Byte> f = good;
    c.Edit(f);
    BmpLoaded l;
    l.Bitmap->AllocateImage(2, 2, ipkRGB24);
    LoadBmp(l, f);
    EXPECT_TRUE(l.Progress.Abort) << c.What;
    EXPECT_NE(IELastFilterError().find(c.Error), std::string::npos) << c.What << ": " << IELastFilterError();
    EXPECT_EQ(l.Bitmap->Width(), 2) << c.What << ": the buffer was touched";
  }
}

TEST(FmtBmpRead, ShortDataAndStreamLoads) {
  // Rows missing at the end keep what the buffer held; a stream load of an
  // RLE file with file size 0 and data size 0 decodes nothing.
  std::vector<Byte> f = MakeBmp(2, 3, 24, 0, {}, std::vector<Byte>(24, 0x11));
  f.resize(f.size() - 8);
  BmpLoaded l;
  LoadBmp(l, f);
  EXPECT_FALSE(l.Progress.Abort);
  EXPECT_EQ(Pixel(*l.Bitmap, 0, 2), 0x111111u);

  std::vector<Byte> rle = MakeBmp(2, 2, 8, 1, {0x00FF00}, {2, 0, 0, 0, 2, 0, 0, 1});
  Put32(rle, 2, 0);
  Put32(rle, 34, 0);
  BmpLoaded r;
  r.Bitmap->SetLocation(islMemory);
  LoadBmp(r, rle, 0);
  EXPECT_FALSE(r.Progress.Abort);
  EXPECT_EQ(r.Params.BmpCompression, 1);
  BmpLoaded whole;
  LoadBmp(whole, rle, Int64(rle.size()));
  EXPECT_EQ(Pixel(*whole.Bitmap, 0, 0), 0x00FF00u);
}

TEST(FmtBmpRead, HeaderOnlyAndProgress) {
  const std::vector<Byte> f = MakeBmp(3, 4, 8, 0, {0x123456}, std::vector<Byte>(16, 0));
  BmpLoaded h;
  LoadBmp(h, f, 0, true);
  EXPECT_FALSE(h.Progress.Abort);
  EXPECT_EQ(h.Params.Width, 3);
  EXPECT_EQ(h.Params.Height, 4);
  EXPECT_EQ(h.Params.PaletteCount, 1);
  EXPECT_EQ(h.Bitmap->Width(), 0);

  BmpLoaded l;
  l.Progress.Track();
  LoadBmp(l, f);
  EXPECT_EQ(l.Progress.Reports, (std::vector<Integer>{0, 25, 50, 75}));

  // An abort raised by the handler stops at the next row.
  BmpLoaded a;
  a.Bitmap->AllocateImage(1, 1, ipkRGB24);
  a.Progress.Record.Callback = [&](TObject*, Integer p) {
    if (p >= 25) a.Progress.Abort = true;
  };
  LoadBmp(a, MakeBmp(1, 4, 24, 0, {}, std::vector<Byte>(16, 0x77)));
  EXPECT_EQ(Pixel(*a.Bitmap, 0, 3), 0x777777u);
  EXPECT_NE(Pixel(*a.Bitmap, 0, 1), 0x777777u);
}
