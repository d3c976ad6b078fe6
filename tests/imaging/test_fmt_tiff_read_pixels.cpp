// TIFF pixel decoding: every pixel kind the reader converts, under every
// compression it decodes here (none, PackBits, LZW through a hook written in
// this test, with and without the predictor), in strips, tiles and planes,
// in both byte orders, compared pixel by pixel with the expected colours.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/buffer/iecolors.h"
#include "imaging/formats/jpegfilt.h"
#include "imaging/formats/tiffilt.h"
#include "tiff_read_util.h"

namespace {

using tifft::Builder;
using tifft::Dir;

constexpr uint32_t W = 37, H = 21;

uint32_t SampleValue(uint32_t X, uint32_t Y, uint32_t C, uint32_t Bits) {
  const uint32_t v = X * 37u + Y * 71u + C * 101u + X * Y * 13u;
  if (Bits == 16) return (v * 2654435761u) >> 16;
  return v & ((1u << Bits) - 1);
}

TIEColorTriple PaletteEntry(uint32_t I) { return TIEColorTriple{Byte(I * 29), Byte(I * 101), Byte(I * 53)}; }

struct Kind {
  const char* Name;
  uint32_t Spp, Bits, Photometric;
  uint32_t ExtraSamples;  // 0: no tag
  // Expected colour (0xRRGGBB) from the pixel's samples.
  std::function<uint32_t(const std::vector<uint32_t>&)> Color;
  bool LzwOnlyWithoutPredictor = false;
  bool NoCompression = false;  // decoded only uncompressed
};

uint32_t Rgb(uint32_t R, uint32_t G, uint32_t B) { return (R << 16) | (G << 8) | B; }
uint32_t GreyOf(uint32_t V) { return Rgb(V, V, V); }
uint32_t FromTriple(const TIEColorTriple& T) { return Rgb(T.Red, T.Green, T.Blue); }

const std::vector<Kind>& Kinds() {
  static const std::vector<Kind> k = {
      {"bilevel_min_is_black", 1, 1, 1, 0, [](auto& s) { return s[0] ? 0xFFFFFFu : 0u; }},
      {"bilevel_min_is_white", 1, 1, 0, 0, [](auto& s) { return s[0] ? 0u : 0xFFFFFFu; }},
      {"grey4", 1, 4, 1, 0, [](auto& s) { return GreyOf(s[0] * 17); }},
      {"grey4_inverted", 1, 4, 0, 0, [](auto& s) { return GreyOf(255 - s[0] * 17); }},
      {"grey8", 1, 8, 1, 0, [](auto& s) { return GreyOf(s[0]); }},
      {"grey8_inverted", 1, 8, 0, 0, [](auto& s) { return GreyOf(255 - s[0]); }},
      {"grey16", 1, 16, 1, 0, [](auto& s) { return GreyOf(s[0] >> 8); }, false, true},
      {"grey16_inverted", 1, 16, 0, 0, [](auto& s) { return GreyOf((65535 - s[0]) >> 8); }, false, true},
      {"palette1", 1, 1, 3, 0, [](auto& s) { return FromTriple(PaletteEntry(s[0])); }},
      {"palette2", 1, 2, 3, 0, [](auto& s) { return FromTriple(PaletteEntry(s[0])); }},
      {"palette3", 1, 3, 3, 0, [](auto& s) { return FromTriple(PaletteEntry(s[0])); }},
      {"palette4", 1, 4, 3, 0, [](auto& s) { return FromTriple(PaletteEntry(s[0])); }},
      {"palette7", 1, 7, 3, 0, [](auto& s) { return FromTriple(PaletteEntry(s[0])); }},
      {"palette8", 1, 8, 3, 0, [](auto& s) { return FromTriple(PaletteEntry(s[0])); }},
      {"palette8_alpha", 2, 8, 3, 2, [](auto& s) { return FromTriple(PaletteEntry(s[0])); }, true},
      {"rgb8", 3, 8, 2, 0, [](auto& s) { return Rgb(s[0], s[1], s[2]); }},
      {"rgba8", 4, 8, 2, 2, [](auto& s) { return Rgb(s[0], s[1], s[2]); }},
      {"rgb16", 3, 16, 2, 0, [](auto& s) { return Rgb(s[0] >> 8, s[1] >> 8, s[2] >> 8); }},
      {"rgba16", 4, 16, 2, 2, [](auto& s) { return Rgb(s[0] >> 8, s[1] >> 8, s[2] >> 8); }, true},
      {"rgb555", 1, 16, 2, 0,
       [](auto& s) { return Rgb(((s[0] >> 10) & 31) * 8, ((s[0] >> 5) & 31) * 8, (s[0] & 31) * 8); }, true},
      {"cmyk8", 4, 8, 5, 0,
       [](auto& s) {
         const uint32_t k = 255 - s[3];
         return Rgb((255 - s[0]) * k / 255, (255 - s[1]) * k / 255, (255 - s[2]) * k / 255);
       }},
      {"cielab8", 3, 8, 8, 0,
       [](auto& s) {
         TIEColorTriple t;
         CIELabToRGB(s[0] | (s[1] << 8) | (s[2] << 16), t);
         return FromTriple(t);
       }},
  };
  return k;
}

enum class Comp { None, PackBits, Lzw, LzwPredictor };
enum class Layout { OneStrip, Strips, Tiles, Planes };

const char* CompName(Comp C) {
  switch (C) {
    case Comp::None: return "none";
    case Comp::PackBits: return "packbits";
    case Comp::Lzw: return "lzw";
    default: return "lzw_predictor";
  }
}
const char* LayoutName(Layout L) {
  switch (L) {
    case Layout::OneStrip: return "one_strip";
    case Layout::Strips: return "strips";
    case Layout::Tiles: return "tiles";
    default: return "planes";
  }
}

// Packs Count samples of one row (MSB first below 8 bits, file byte order at 16).
void PackSamples(std::vector<uint8_t>& Out, const std::vector<uint32_t>& S, uint32_t Bits, bool Le) {
  if (Bits == 8) {
    for (uint32_t v : S) Out.push_back(uint8_t(v));
  } else if (Bits == 16) {
    for (uint32_t v : S) {
      Out.push_back(uint8_t(Le ? v : v >> 8));
      Out.push_back(uint8_t(Le ? v >> 8 : v));
    }
  } else {
    uint32_t acc = 0, n = 0;
    for (uint32_t v : S) {
      acc = (acc << Bits) | v;
      n += Bits;
      while (n >= 8) {
        Out.push_back(uint8_t(acc >> (n - 8)));
        n -= 8;
        acc &= (1u << n) - 1;
      }
    }
    if (n) Out.push_back(uint8_t(acc << (8 - n)));
  }
}

// Horizontal differencing of one packed row (8 or 16 bits).
void Difference(std::vector<uint8_t>& Row, uint32_t Spp, uint32_t Bits, bool Le) {
  if (Bits == 8) {
    for (size_t i = Row.size(); i-- > Spp;) Row[i] = uint8_t(Row[i] - Row[i - Spp]);
  } else {
    const size_t n = Row.size() / 2;
    auto get = [&](size_t i) { return Le ? Row[2 * i] | (Row[2 * i + 1] << 8) : (Row[2 * i] << 8) | Row[2 * i + 1]; };
    std::vector<uint32_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint32_t(get(i));
    for (size_t i = n; i-- > Spp;) {
      const uint32_t d = (v[i] - v[i - Spp]) & 0xFFFF;
      Row[2 * i] = uint8_t(Le ? d : d >> 8);
      Row[2 * i + 1] = uint8_t(Le ? d >> 8 : d);
    }
  }
}

struct Case {
  size_t KindIndex;
  Comp C;
  Layout L;
  bool Le;
};

std::string CaseName(const Case& C) {
  return std::string(Kinds()[C.KindIndex].Name) + "_" + CompName(C.C) + "_" + LayoutName(C.L) + (C.Le ? "_II" : "_MM");
}

// Samples of the chunk covering rows [Y0, Y0 + Rows) and columns [X0, X0 + Cols);
// outside the image they are 0. Plane < 0: all samples of a pixel.
std::vector<uint8_t> Chunk(const Kind& K, const Case& C, uint32_t X0, uint32_t Cols, uint32_t Y0, uint32_t Rows,
                           int Plane) {
  std::vector<uint8_t> raw;
  for (uint32_t y = Y0; y < Y0 + Rows; ++y) {
    std::vector<uint32_t> s;
    for (uint32_t x = X0; x < X0 + Cols; ++x)
      for (uint32_t c = 0; c < K.Spp; ++c)
        if (Plane < 0 || int(c) == Plane) s.push_back(x < W && y < H ? SampleValue(x, y, c, K.Bits) : 0);
    std::vector<uint8_t> row;
    PackSamples(row, s, K.Bits, C.Le);
    if (C.C == Comp::LzwPredictor) Difference(row, Plane < 0 ? K.Spp : 1, K.Bits, C.Le);
    if (C.C == Comp::PackBits) row = tifft::PackBits(row);
    raw.insert(raw.end(), row.begin(), row.end());
  }
  if (C.C == Comp::Lzw || C.C == Comp::LzwPredictor) return tifft::LzwEncode(raw);
  return raw;
}

std::vector<uint8_t> MakeFile(const Case& C) {
  const Kind& K = Kinds()[C.KindIndex];
  Builder b(C.Le);
  Dir d;
  const uint32_t comp = C.C == Comp::None ? 1 : C.C == Comp::PackBits ? 32773 : 5;
  d.Image(W, H, K.Spp, K.Bits, K.Photometric, comp);
  if (K.ExtraSamples) d.Short(338, {K.ExtraSamples});
  if (C.C == Comp::LzwPredictor) d.Short(317, {2});
  if (K.Photometric == 3) {
    const uint32_t n = 1u << K.Bits;
    std::vector<uint32_t> map(3 * n);
    for (uint32_t i = 0; i < n; ++i) {
      const TIEColorTriple t = PaletteEntry(i);
      map[i] = t.Red * 257u;
      map[n + i] = t.Green * 257u;
      map[2 * n + i] = t.Blue * 257u;
    }
    d.Short(320, map);
  }
  switch (C.L) {
    case Layout::OneStrip:
      d.Chunks.push_back(Chunk(K, C, 0, W, 0, H, -1));
      break;
    case Layout::Strips:
      d.Short(278, {3});
      for (uint32_t y = 0; y < H; y += 3) d.Chunks.push_back(Chunk(K, C, 0, W, y, std::min(3u, H - y), -1));
      break;
    case Layout::Tiles:
      d.Tiles = true;
      d.Short(322, {16}).Short(323, {16});
      for (uint32_t y = 0; y < H; y += 16)
        for (uint32_t x = 0; x < W; x += 16) d.Chunks.push_back(Chunk(K, C, x, 16, y, 16, -1));
      break;
    case Layout::Planes:
      d.Short(284, {2}).Short(278, {1});
      for (uint32_t p = 0; p < 3; ++p)
        for (uint32_t y = 0; y < H; ++y) d.Chunks.push_back(Chunk(K, C, 0, W, y, 1, int(p)));
      break;
  }
  b.Dirs.push_back(d);
  return b.Build();
}

std::vector<Case> AllCases() {
  std::vector<Case> out;
  for (size_t k = 0; k < Kinds().size(); ++k) {
    const Kind& K = Kinds()[k];
    for (Comp c : {Comp::None, Comp::PackBits, Comp::Lzw, Comp::LzwPredictor}) {
      if (K.NoCompression && c != Comp::None) continue;
      if (c == Comp::LzwPredictor && (K.LzwOnlyWithoutPredictor || K.Bits < 8 || (K.Bits == 16 && K.Spp != 3)))
        continue;
      for (Layout l : {Layout::OneStrip, Layout::Strips, Layout::Tiles, Layout::Planes}) {
        if (l == Layout::Planes && !(K.Spp == 3 && K.Bits == 8 && K.Photometric == 2)) continue;
        for (bool le : {true, false}) {
          if (!le && K.Bits != 16 && l != Layout::Strips) continue;  // byte order matters to 16-bit samples
          out.push_back(Case{k, c, l, le});
        }
      }
    }
  }
  return out;
}

class TiffReadPixels : public ::testing::TestWithParam<Case> {};

// Reads the one-directory file of D into Bitmap; true when the reader set
// the abort flag.
bool ReadDir(TIEBitmap* Bitmap, const Dir& D) {
  Builder b;
  b.Dirs.push_back(D);
  auto s = fmtt::StreamOf(b.Build());
  std::unique_ptr<TIEMask> a;
  TIOParamsVals params;
  fmtt::TProgressBox p;
  Integer n = 0;
  ReadTiffStream(Bitmap, s.get(), n, false, false, a, false, p.Record, params);
  return p.Abort;
}

TEST_P(TiffReadPixels, DecodesToTheExpectedColours) {
  const Case& c = GetParam();
  const Kind& K = Kinds()[c.KindIndex];
  auto s = fmtt::StreamOf(MakeFile(c));
  auto bmp = fmtt::NewBuffer();
  std::unique_ptr<TIEMask> alpha;
  TIOParamsVals params;
  params.TiffLzwDecoder = tifft::LzwDecodeRow;
  fmtt::TProgressBox p;
  p.Track();
  Integer count = 0;
  IEClearFilterError();
  ReadTiffStream(bmp.get(), s.get(), count, false, false, alpha, false, p.Record, params);
  ASSERT_FALSE(p.Abort) << IELastFilterError();
  ASSERT_EQ(bmp->Width(), Integer(W));
  ASSERT_EQ(bmp->Height(), Integer(H));
  EXPECT_EQ(bmp->PixelKind(), K.Spp == 1 && K.Bits == 1 && K.Photometric != 3 ? ipkBW1 : ipkRGB24);
  Integer wrong = 0;
  std::string first;
  for (uint32_t y = 0; y < H; ++y)
    for (uint32_t x = 0; x < W; ++x) {
      std::vector<uint32_t> smp;
      for (uint32_t ch = 0; ch < K.Spp; ++ch) smp.push_back(SampleValue(x, y, ch, K.Bits));
      const uint32_t want = K.Color(smp), got = fmtt::Pixel(*bmp, Integer(x), Integer(y));
      if (want != got && wrong++ == 0)
        first = "at " + std::to_string(x) + "," + std::to_string(y) + " want " + std::to_string(want) + " got " +
                std::to_string(got);
      if (K.ExtraSamples && K.Bits == 8 && alpha && alpha->GetPixelValue(Integer(x), Integer(y)) !=
                                                        Integer(SampleValue(x, y, K.Spp - 1, 8)) &&
          wrong++ == 0)
        first = "alpha at " + std::to_string(x) + "," + std::to_string(y);
    }
  EXPECT_EQ(wrong, 0) << first;
  if (K.ExtraSamples && K.Bits == 8) {
    EXPECT_NE(alpha, nullptr);
  }
  // Progress rises and ends at 100.
  ASSERT_FALSE(p.Reports.empty());
  for (size_t i = 1; i < p.Reports.size(); ++i) EXPECT_GE(p.Reports[i], p.Reports[i - 1]);
  EXPECT_LE(p.Reports.back(), 100);
  EXPECT_GE(p.Reports.back(), 99);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TiffReadPixels, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<Case>& I) { return CaseName(I.param); });

TEST(TiffReadRows, TwoBitPaletteFivePixelsWideTakesTwoBytesARow) {
  Dir d;
  d.Image(5, 3, 1, 2, 3);
  std::vector<uint32_t> map(12, 0);
  for (uint32_t i = 0; i < 4; ++i) map[i] = i * 0x5555;  // red ramp
  d.Short(320, map);
  // Rows: 0 1 2 3 0 | 3 2 1 0 3 | 1 1 1 1 2
  d.Chunks.push_back({0x1B, 0x00, 0xE4, 0xC0, 0x55, 0x80});
  auto bmp = fmtt::NewBuffer();
  ASSERT_FALSE(ReadDir(bmp.get(), d));
  const uint32_t want[3][5] = {{0, 1, 2, 3, 0}, {3, 2, 1, 0, 3}, {1, 1, 1, 1, 2}};
  for (Integer y = 0; y < 3; ++y)
    for (Integer x = 0; x < 5; ++x) EXPECT_EQ(fmtt::Pixel(*bmp, x, y), (want[y][x] * 0x55u) << 16) << x << "," << y;
}

// Runs of damaged data: rows decode from what is there and never read or
// write outside their buffers.
TEST(TiffReadRows, DamagedStripsStopAtTheirRow) {
  struct Variant {
    const char* What;
    uint32_t Compression;
    std::vector<uint8_t> Data;
    uint32_t Row0Pixel3;  // expected grey of pixel (3, 0)
  };
  const Variant cases[] = {
      // A repeat packet of 100 bytes for a row of 4: the rest of the packet is dropped.
      {"packbits packet past the row", 32773, {uint8_t(-99), 9, 3, 1, 2, 3, 4}, 9},
      {"packbits literal cut by the end", 32773, {10, 1, 2}, 0},
      {"packbits repeat without its byte", 32773, {uint8_t(-3)}, 0},
      {"uncompressed strip short", 1, {5, 6}, 0},
  };
  for (const Variant& v : cases) {
    Dir d;
    d.Image(4, 3, 1, 8, 1, v.Compression);
    d.Chunks.push_back(v.Data);
    auto bmp = fmtt::NewBuffer();
    EXPECT_FALSE(ReadDir(bmp.get(), d)) << v.What;
    ASSERT_EQ(bmp->Width(), 4) << v.What;
    EXPECT_EQ(fmtt::Pixel(*bmp, 3, 0), v.Row0Pixel3 * 0x010101u) << v.What;
  }
  {  // packbits: the second row picks up after the dropped bytes
    Dir d;
    d.Image(4, 2, 1, 8, 1, 32773);
    d.Chunks.push_back({uint8_t(-3), 7, 3, 1, 2, 3, 4});
    auto bmp = fmtt::NewBuffer();
    ReadDir(bmp.get(), d);
    EXPECT_EQ(fmtt::Pixel(*bmp, 0, 0), 0x070707u);
    EXPECT_EQ(fmtt::Pixel(*bmp, 3, 1), 0x040404u);
  }
}

// A load into a buffer that held a picture of the same size and kind: what
// the data never reaches (rows after a short strip, strips or tiles missing
// from the table) shows what empty data shows, not the earlier picture.
TEST(TiffReadRows, PartsTheDataNeverReachesHoldNoEarlierPixels) {
  struct Variant {
    const char* What;
    Dir D;
    Integer X0, Y0;   // the part never reached: from (X0, Y0) to the end
    uint32_t Empty;   // what it shows
  };
  std::vector<Variant> cases;
  {
    Dir d;
    d.Image(4, 3, 1, 8, 1).Chunks.push_back({5, 6, 7, 8, 9});
    cases.push_back({"uncompressed strip cut in row 1", d, 0, 2, 0});
  }
  {
    Dir d;
    d.Image(4, 4, 1, 8, 1).Short(278, {2}).Chunks.push_back(std::vector<uint8_t>(8, 200));
    cases.push_back({"second strip missing from the table", d, 0, 2, 0});
  }
  {
    Dir d;
    d.Image(20, 4, 1, 8, 1).Short(322, {16}).Short(323, {16});
    d.Tiles = true;
    d.Chunks.push_back(std::vector<uint8_t>(256, 200));
    cases.push_back({"second tile missing from the table", d, 16, 0, 0});
  }
  {
    Dir d;  // one row of V0, then the data ends
    d.Image(16, 4, 1, 1, 0, 4).Chunks.push_back({0x80});
    cases.push_back({"Group 4 white-is-zero cut after row 0", d, 0, 1, 0xFFFFFF});
  }
  {
    Dir d;
    d.Image(16, 3, 1, 1, 1).Chunks.push_back({0xFF, 0xFF});
    cases.push_back({"bilevel black-is-zero cut after row 0", d, 0, 1, 0});
  }
  for (const Variant& v : cases) {
    SCOPED_TRACE(v.What);
    const Integer w = Integer(v.D.Fields.at(256).Values[0]), h = Integer(v.D.Fields.at(257).Values[0]);
    const bool bilevel = v.D.Fields.at(258).Values[0] == 1;
    auto bmp = fmtt::NewBuffer();
    bmp->AllocateImage(w, h, bilevel ? ipkBW1 : ipkRGB24);
    bmp->FillWith(bilevel ? (v.Empty ? 0 : 1) : 0x5A5A5A);  // the earlier picture
    EXPECT_FALSE(ReadDir(bmp.get(), v.D));
    ASSERT_EQ(bmp->Width(), w);
    ASSERT_EQ(bmp->Height(), h);
    Integer stale = 0;
    for (Integer y = v.Y0; y < h; ++y)
      for (Integer x = v.X0; x < w; ++x) stale += fmtt::Pixel(*bmp, x, y) != v.Empty;
    EXPECT_EQ(stale, 0);
  }
}

// The hook: a failing row ends the image with the rows before it kept, the
// hook is closed after every strip, and it is never handed more than the strip.
struct HookSpy {
  static inline Integer Calls = 0, Closes = 0, FailAt = -1;
  static inline Integer MaxSize = 0;
  static Byte* Decode(const Byte* Strip, Integer Size, Integer RowLength, void*& State) {
    if (!Strip) {
      ++Closes;
      return tifft::LzwDecodeRow(Strip, Size, RowLength, State);
    }
    MaxSize = std::max(MaxSize, Size);
    if (Calls++ == FailAt) return nullptr;
    return tifft::LzwDecodeRow(Strip, Size, RowLength, State);
  }
};

TEST(TiffReadRows, LzwHookRoad) {
  Builder b;
  Dir d = [] {
    Dir g;
    g.Image(W, H, 1, 8, 1, 5).Short(278, {4});
    for (uint32_t y = 0; y < H; y += 4) {
      std::vector<uint8_t> raw;
      for (uint32_t r = y; r < std::min(H, y + 4); ++r)
        for (uint32_t x = 0; x < W; ++x) raw.push_back(uint8_t(x + r));
      g.Chunks.push_back(tifft::LzwEncode(raw));
    }
    return g;
  }();
  b.Dirs.push_back(d);
  const auto file = b.Build();
  for (Integer failAt : {-1, 9}) {
    HookSpy::Calls = HookSpy::Closes = HookSpy::MaxSize = 0;
    HookSpy::FailAt = failAt;
    auto s = fmtt::StreamOf(file);
    auto bmp = fmtt::NewBuffer();
    std::unique_ptr<TIEMask> a;
    TIOParamsVals params;
    params.TiffLzwDecoder = HookSpy::Decode;
    fmtt::TProgressBox p;
    Integer n = 0;
    IEClearFilterError();
    ReadTiffStream(bmp.get(), s.get(), n, false, false, a, false, p.Record, params);
    EXPECT_EQ(HookSpy::Closes, failAt < 0 ? 6 : 3) << "one close per strip opened";
    EXPECT_LT(HookSpy::MaxSize, 200);
    EXPECT_EQ(fmtt::Pixel(*bmp, 5, 8), 13 * 0x010101u);
    if (failAt < 0) {
      EXPECT_FALSE(p.Abort);
      EXPECT_EQ(fmtt::Pixel(*bmp, 36, 20), 56 * 0x010101u);
    } else {
      EXPECT_TRUE(p.Abort);
      EXPECT_NE(IELastFilterError().find("LZW"), std::string::npos);
    }
  }
  // The library default is used when the parameters hold none.
  DefaultTiffLzwDecoder = tifft::LzwDecodeRow;
  auto s = fmtt::StreamOf(file);
  auto bmp = fmtt::NewBuffer();
  std::unique_ptr<TIEMask> a;
  TIOParamsVals params;
  params.TiffLzwDecoder = nullptr;
  fmtt::TProgressBox p;
  Integer n = 0;
  ReadTiffStream(bmp.get(), s.get(), n, false, false, a, false, p.Record, params);
  DefaultTiffLzwDecoder = nullptr;
  EXPECT_FALSE(p.Abort);
  EXPECT_EQ(fmtt::Pixel(*bmp, 36, 20), 56 * 0x010101u);
}

// JPEG strips: one JPEG per strip, written by our JPEG writer.
std::vector<uint8_t> JpegOf(TIEBitmap* B, Byte ColorSpace) {
  TMemoryStream m;
  TIOParamsVals p;
  p.JpegQuality = 100;
  p.JpegColorSpace = ColorSpace;
  fmtt::TProgressBox pr;
  WriteJpegStream(&m, B, p, pr.Record);
  std::vector<uint8_t> j = fmtt::BytesOf(m);
  if (ColorSpace != 0) return j;
  // As TIFF writers store RGB: no APP markers saying what the components are,
  // and component ids 1, 2, 3 (a decoder takes them for YCbCr unless told).
  std::vector<uint8_t> o(j.begin(), j.begin() + 2);
  size_t i = 2;
  while (i + 4 <= j.size()) {
    const uint8_t m = j[i + 1];
    const size_t len = size_t(j[i + 2] << 8 | j[i + 3]);
    std::vector<uint8_t> seg(j.begin() + long(i), j.begin() + long(std::min(j.size(), i + 2 + len)));
    if (m == 0xC0 || m == 0xC1)
      for (int c = 0; c < seg[9]; ++c) seg[10 + 3 * c] = uint8_t(c + 1);
    if (m == 0xDA) {
      for (int c = 0; c < seg[4]; ++c) seg[5 + 2 * c] = uint8_t(c + 1);
      o.insert(o.end(), seg.begin(), seg.end());
      o.insert(o.end(), j.begin() + long(i + 2 + len), j.end());
      break;
    }
    if (!(m >= 0xE0 && m <= 0xEF)) o.insert(o.end(), seg.begin(), seg.end());
    i += 2 + len;
  }
  return o;
}

TEST(TiffReadJpeg, StripsAndTilesOfJpegData) {
  auto color = [](Integer x, Integer y) { return uint32_t(((x / 16) % 2) ? 0xE01010 : 0x1010E0) + uint32_t(y / 16) * 0x000800; };
  struct Variant {
    const char* What;
    uint32_t Photometric;
    Byte JpegSpace;  // 0 RGB, 2 YCbCr
    bool Tiles;
  };
  const Variant cases[] = {{"rgb strips", 2, 0, false}, {"ycbcr strips", 6, 2, false}, {"ycbcr tiles", 6, 2, true}};
  for (const Variant& v : cases) {
    Builder b;
    Dir d;
    d.Image(40, 128, 3, 8, v.Photometric, 7).Rational(282, {200, 1}).Rational(283, {100, 1});
    if (v.Tiles) {
      d.Tiles = true;
      d.Short(322, {32}).Short(323, {32});
      for (Integer ty = 0; ty < 128; ty += 32)
        for (Integer tx = 0; tx < 40; tx += 32) {
          auto t = fmtt::MakeRGB(32, 32, [&](Integer x, Integer y) { return color(tx + x, ty + y); });
          d.Chunks.push_back(JpegOf(t.get(), v.JpegSpace));
        }
    } else {
      d.Short(278, {16});
      for (Integer s = 0; s < 8; ++s) {
        auto t = fmtt::MakeRGB(40, 16, [&](Integer x, Integer y) { return color(x, 16 * s + y); });
        d.Chunks.push_back(JpegOf(t.get(), v.JpegSpace));
      }
    }
    b.Dirs.push_back(d);
    auto s = fmtt::StreamOf(b.Build());
    auto bmp = fmtt::NewBuffer();
    std::unique_ptr<TIEMask> a;
    TIOParamsVals params;
    fmtt::TProgressBox p;
    p.Track();
    Integer n = 0;
    ReadTiffStream(bmp.get(), s.get(), n, false, false, a, false, p.Record, params);
    ASSERT_FALSE(p.Abort) << v.What << ": " << IELastFilterError();
    EXPECT_EQ(params.Height, 128) << v.What;
    EXPECT_EQ(params.Width, 40) << v.What;
    EXPECT_EQ(params.DpiX, 200) << v.What;
    EXPECT_EQ(params.DpiY, 100) << v.What;
    EXPECT_EQ(params.TiffCompression, 7) << v.What;
    ASSERT_EQ(bmp->Width(), 40);
    ASSERT_EQ(bmp->Height(), 128);
    Integer off = 0;
    // Away from the colour edges, which chroma subsampling blurs.
    for (Integer y = 4; y < 128; y += (y % 16 == 11) ? 9 : 1)
      for (Integer x = 4; x < 40; x += (x % 16 == 11) ? 9 : 1) {
        const uint32_t want = color(x, y), got = fmtt::Pixel(*bmp, x, y);
        for (int sh : {0, 8, 16}) off = std::max(off, std::abs(int((want >> sh) & 255) - int((got >> sh) & 255)));
      }
    EXPECT_LE(off, 40) << v.What << ": red and blue in place, every strip at full size";
    EXPECT_EQ(p.Reports.empty() ? -1 : p.Reports.back(), 100) << v.What;
  }
}

TEST(TiffReadJpeg, OldStyleJpegReadsTheInterchangeStream) {
  auto pic = fmtt::MakeRGB(24, 16, [](Integer x, Integer) { return x < 12 ? 0xF00000u : 0x0000F0u; });
  const auto jpeg = JpegOf(pic.get(), 2);
  Builder b;
  Dir d;
  d.Image(24, 16, 3, 8, 6, 6);
  d.Raw(999, tifft::UNDEFINED, jpeg);  // the bytes somewhere in the file
  b.Dirs.push_back(d);
  auto file = b.Build();
  // Point JPEGInterchangeFormat at the JPEG bytes.
  size_t at = 0;
  for (size_t i = 0; i + 3 < file.size(); ++i)
    if (file[i] == 0xFF && file[i + 1] == 0xD8 && file[i + 2] == 0xFF) {
      at = i;
      break;
    }
  ASSERT_GT(at, 0u);
  Builder b2;
  Dir d2 = d;
  d2.Long(513, {uint32_t(at)}).Long(514, {uint32_t(jpeg.size())});
  b2.Dirs.push_back(d2);
  file = b2.Build();  // same layout: the blob comes before the new LONGs' directory
  ASSERT_EQ(file[at], 0xFF);
  ASSERT_EQ(file[at + 1], 0xD8);
  auto s = fmtt::StreamOf(file);
  auto bmp = fmtt::NewBuffer();
  std::unique_ptr<TIEMask> a;
  TIOParamsVals params;
  fmtt::TProgressBox p;
  Integer n = 0;
  ReadTiffStream(bmp.get(), s.get(), n, false, false, a, false, p.Record, params);
  ASSERT_FALSE(p.Abort) << IELastFilterError();
  ASSERT_EQ(bmp->Width(), 24);
  const uint32_t left = fmtt::Pixel(*bmp, 2, 8), right = fmtt::Pixel(*bmp, 21, 8);
  EXPECT_GT(left >> 16, 200u);
  EXPECT_GT(right & 255, 200u);
  EXPECT_EQ(params.Width, 24);
}

}  // namespace
