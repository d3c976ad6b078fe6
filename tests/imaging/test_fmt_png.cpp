// The PNG filter: every colour type and depth, transparency, background,
// interlacing, resolution, the writer's header choices and its failures.
#include <gtest/gtest.h>
#include <png.h>

#include "fmt_util.h"
#include "imaging/formats/pngfilt.h"

using namespace fmtfix;

namespace {

// A reference PNG written with libpng's own API from raw samples (rows packed
// as the format stores them, big-endian for 16 bits).
struct RefPng {
  int type = PNG_COLOR_TYPE_RGB, depth = 8, w = 1, h = 1;
  bool interlace = false;
  std::vector<std::vector<Byte>> rows;
  std::vector<png_color> palette;
  std::vector<Byte> trnsAlpha;      // palette transparency
  png_color_16 trnsColor{};         // grey or RGB transparent colour
  bool hasTrnsColor = false;
  int physX = 0, physY = 0, physUnit = -1;
  png_color_16 bkgd{};
  bool hasBkgd = false;
};

void AppendData(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<Byte>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void NoFlush(png_structp) {}

std::vector<Byte> Write(const RefPng& r) {
  std::vector<Byte> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendData, NoFlush);
  png_set_IHDR(png, info, png_uint_32(r.w), png_uint_32(r.h), r.depth, r.type,
               r.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, 0, 0);
  if (!r.palette.empty()) png_set_PLTE(png, info, r.palette.data(), int(r.palette.size()));
  if (!r.trnsAlpha.empty()) png_set_tRNS(png, info, r.trnsAlpha.data(), int(r.trnsAlpha.size()), nullptr);
  if (r.hasTrnsColor) png_set_tRNS(png, info, nullptr, 0, &r.trnsColor);
  if (r.physUnit >= 0) png_set_pHYs(png, info, png_uint_32(r.physX), png_uint_32(r.physY), r.physUnit);
  if (r.hasBkgd) png_set_bKGD(png, info, &r.bkgd);
  png_write_info(png, info);
  const int passes = png_set_interlace_handling(png);
  for (int p = 0; p < passes; ++p)
    for (const auto& row : r.rows) png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

struct Read {
  TIEBitmap bmp;
  TIOParamsVals params;
  std::unique_ptr<TIEMask> mask;
  bool aborted = false;
};

void ReadInto(Read& r, const std::vector<Byte>& bytes, bool composite = false, bool headerOnly = false) {
  TMemoryStream s;
  LoadBytes(s, bytes);
  Progress pr;
  ReadPngStream(&s, &r.bmp, r.params, composite, r.mask, headerOnly, pr.rec);
  r.aborted = pr.abort;
}

std::vector<Byte> WriteOurs(TIEBitmap& bmp, TIOParamsVals& params, TIEMask* mask = nullptr, bool* aborted = nullptr) {
  TMemoryStream s;
  Progress pr;
  WritePngStream(&s, &bmp, params, mask, pr.rec);
  if (aborted) *aborted = pr.abort;
  return StreamBytes(s);
}

// Packs sample values of `bits` bits each into a row.
std::vector<Byte> Pack(const std::vector<int>& samples, int bits) {
  std::vector<Byte> row((samples.size() * size_t(bits) + 7) / 8, 0);
  for (size_t i = 0; i < samples.size(); ++i) {
    if (bits == 16) {
      row[2 * i] = Byte(samples[i] >> 8);
      row[2 * i + 1] = Byte(samples[i]);
    } else if (bits == 8) {
      row[i] = Byte(samples[i]);
    } else {
      const size_t bit = i * size_t(bits);
      row[bit / 8] |= Byte(samples[i] << (8 - bits - int(bit % 8)));
    }
  }
  return row;
}

}  // namespace

TEST(FmtPng, EveryColourTypeAndDepth) {
  struct Case {
    int type, depth;
    std::vector<int> samples;  // one row of 3 pixels, samples in file order
    TIEPixelKind kind;
    std::vector<uint32_t> pixels;  // expected 0xRRGGBB, or bits for 1-bit
    std::vector<int> alpha;        // expected mask values (empty: full)
    Integer spp;
  };
  const std::vector<png_color> pal = {{10, 20, 30}, {200, 100, 50}, {0, 255, 0}, {1, 2, 3}};
  const std::vector<Case> cases = {
      {PNG_COLOR_TYPE_GRAY, 1, {1, 0, 1}, ipkBW1, {1, 0, 1}, {}, 1},
      {PNG_COLOR_TYPE_GRAY, 2, {0, 1, 3}, ipkRGB24, {0x000000, 0x555555, 0xFFFFFF}, {}, 1},
      {PNG_COLOR_TYPE_GRAY, 4, {15, 8, 1}, ipkRGB24, {0xFFFFFF, 0x888888, 0x111111}, {}, 1},
      {PNG_COLOR_TYPE_GRAY, 8, {7, 128, 255}, ipkRGB24, {0x070707, 0x808080, 0xFFFFFF}, {}, 1},
      {PNG_COLOR_TYPE_GRAY, 16, {0x1234, 0xABCD, 0x00FF}, ipkRGB24, {0x121212, 0xABABAB, 0x000000}, {}, 1},
      {PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 40, 50, 60, 255, 0, 128}, ipkRGB24, {0x010203, 0x28323C, 0xFF0080}, {}, 3},
      {PNG_COLOR_TYPE_RGB, 16, {0x0100, 0x0200, 0x0300, 0xFFFF, 0, 0x80FF, 0, 0, 0}, ipkRGB24,
       {0x010203, 0xFF0080, 0x000000}, {}, 3},
      {PNG_COLOR_TYPE_PALETTE, 1, {1, 0, 1}, ipkBW1, {1, 0, 1}, {}, 1},
      {PNG_COLOR_TYPE_PALETTE, 2, {3, 1, 0}, ipkRGB24, {0x010203, 0xC86432, 0x0A141E}, {}, 1},
      {PNG_COLOR_TYPE_PALETTE, 4, {2, 0, 1}, ipkRGB24, {0x00FF00, 0x0A141E, 0xC86432}, {}, 1},
      {PNG_COLOR_TYPE_PALETTE, 8, {1, 1, 3}, ipkRGB24, {0xC86432, 0xC86432, 0x010203}, {}, 1},
      {PNG_COLOR_TYPE_GRAY_ALPHA, 8, {10, 255, 20, 0, 30, 128}, ipkRGB24, {0x0A0A0A, 0x141414, 0x1E1E1E},
       {255, 0, 128}, 2},
      {PNG_COLOR_TYPE_GRAY_ALPHA, 16, {0x0A00, 0xFFFF, 0x1400, 0x0000, 0x1E00, 0x80FF}, ipkRGB24,
       {0x0A0A0A, 0x141414, 0x1E1E1E}, {255, 0, 128}, 2},
      {PNG_COLOR_TYPE_RGB_ALPHA, 8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, ipkRGB24,
       {0x010203, 0x050607, 0x090A0B}, {4, 8, 12}, 4},
      {PNG_COLOR_TYPE_RGB_ALPHA, 16, {0x0100, 0x0200, 0x0300, 0x0400, 0x0500, 0x0600, 0x0700, 0x0800, 0x0900,
                                      0x0A00, 0x0B00, 0x0C00},
       ipkRGB24, {0x010203, 0x050607, 0x090A0B}, {4, 8, 12}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.depth));
    RefPng ref;
    ref.type = c.type;
    ref.depth = c.depth;
    ref.w = 3;
    ref.h = 2;
    ref.rows = {Pack(c.samples, c.depth), Pack(c.samples, c.depth)};
    if (c.type == PNG_COLOR_TYPE_PALETTE) ref.palette.assign(pal.begin(), pal.begin() + (c.depth == 1 ? 2 : 4));
    Read r;
    ReadInto(r, Write(ref));
    ASSERT_FALSE(r.aborted) << IELastFilterError();
    ASSERT_EQ(r.bmp.PixelKind(), c.kind);
    EXPECT_EQ(r.params.BitsPerSample, c.depth);
    EXPECT_EQ(r.params.SamplesPerPixel, c.spp);
    for (Integer y = 0; y < 2; ++y)
      for (Integer x = 0; x < 3; ++x) {
        EXPECT_EQ(PixelOrBit(r.bmp, x, y), c.pixels[size_t(x)]) << x << "," << y;
        ASSERT_NE(r.mask, nullptr);
        EXPECT_EQ(r.mask->GetPixelValue(x, y), c.alpha.empty() ? 255 : c.alpha[size_t(x)]);
      }
    EXPECT_EQ(r.mask->Full(), c.alpha.empty());
    if (c.type == PNG_COLOR_TYPE_PALETTE) {
      ASSERT_EQ(r.params.PaletteCount, c.depth == 1 ? 2 : 4);
      EXPECT_EQ(r.params.Palette[1], MakeColorTriple(200, 100, 50));
    } else {
      EXPECT_EQ(r.params.PaletteCount, 0);
    }
  }
}

TEST(FmtPng, TransparencyChunks) {
  struct Case {
    const char* name;
    RefPng ref;
    std::vector<int> alpha;  // empty: full
  };
  RefPng pal;
  pal.type = PNG_COLOR_TYPE_PALETTE;
  pal.w = 3;
  pal.palette = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
  pal.trnsAlpha = {0, 100};
  pal.rows = {Pack({0, 1, 2}, 8)};
  RefPng rgb;
  rgb.w = 2;
  rgb.rows = {Pack({9, 9, 9, 1, 1, 1}, 8)};
  rgb.trnsColor.red = rgb.trnsColor.green = rgb.trnsColor.blue = 9;
  rgb.hasTrnsColor = true;
  RefPng grey4;
  grey4.type = PNG_COLOR_TYPE_GRAY;
  grey4.depth = 4;
  grey4.w = 2;
  grey4.rows = {Pack({5, 6}, 4)};
  grey4.trnsColor.gray = 5;
  grey4.hasTrnsColor = true;
  RefPng grey8 = grey4;
  grey8.depth = 8;
  grey8.rows = {Pack({5, 6}, 8)};
  const Case cases[] = {{"palette", pal, {0, 100, 255}},
                        {"rgb", rgb, {}},
                        {"grey 4-bit (expanded)", grey4, {0, 255}},
                        {"grey 8-bit", grey8, {}}};
  for (const Case& c : cases) {
    Read r;
    ReadInto(r, Write(c.ref));
    ASSERT_FALSE(r.aborted) << c.name;
    for (Integer x = 0; x < c.ref.w; ++x)
      EXPECT_EQ(r.mask->GetPixelValue(x, 0), c.alpha.empty() ? 255 : c.alpha[size_t(x)]) << c.name << x;
    EXPECT_EQ(r.mask->Full(), c.alpha.empty()) << c.name;
  }
}

TEST(FmtPng, InterlacedRgbaMatchesItsTwin) {
  RefPng ref;
  ref.type = PNG_COLOR_TYPE_RGB_ALPHA;
  ref.w = 13;
  ref.h = 11;
  for (int y = 0; y < ref.h; ++y) {
    std::vector<int> s;
    for (int x = 0; x < ref.w; ++x) s.insert(s.end(), {x * 19, y * 23, (x * y) & 255, (x + y * 13) & 255});
    ref.rows.push_back(Pack(s, 8));
  }
  Read plain, inter;
  ReadInto(plain, Write(ref));
  ref.interlace = true;
  ReadInto(inter, Write(ref));
  ASSERT_FALSE(inter.aborted);
  EXPECT_TRUE(inter.params.PngInterlaced);
  EXPECT_FALSE(plain.params.PngInterlaced);
  for (Integer y = 0; y < ref.h; ++y)
    for (Integer x = 0; x < ref.w; ++x) {
      ASSERT_EQ(PixelOrBit(inter.bmp, x, y), PixelOrBit(plain.bmp, x, y)) << x << "," << y;
      ASSERT_EQ(inter.mask->GetPixelValue(x, y), (x + y * 13) & 255);
    }
}

TEST(FmtPng, ResolutionAndBackground) {
  IEDefaultDpiX = 96;
  IEDefaultDpiY = 97;
  struct Case {
    int x, y, unit;
    Integer dpiX, dpiY;
  };
  const Case cases[] = {{2835, 5906, PNG_RESOLUTION_METER, 72, 150}, {0, 0, -1, 96, 97}, {3, 3, 0, 96, 97}};
  for (const Case& c : cases) {
    RefPng ref;
    ref.rows = {Pack({1, 2, 3}, 8)};
    ref.physX = c.x;
    ref.physY = c.y;
    ref.physUnit = c.unit;
    Read r;
    ReadInto(r, Write(ref));
    EXPECT_EQ(r.params.DpiX, c.dpiX);
    EXPECT_EQ(r.params.DpiY, c.dpiY);
  }
  // Header-only reads take the background from bKGD and allocate nothing.
  RefPng deep;
  deep.depth = 16;
  deep.rows = {Pack({1, 2, 3}, 16)};
  deep.bkgd.red = 0x1200;
  deep.bkgd.green = 0x3400;
  deep.bkgd.blue = 0x5600;
  deep.hasBkgd = true;
  Read r;
  ReadInto(r, Write(deep), true, true);
  EXPECT_EQ(r.params.PngBackground, MakeColorTriple(0x12, 0x34, 0x56));
  EXPECT_EQ(r.bmp.Width(), 0);
  EXPECT_EQ(r.mask, nullptr);
  // An 8-bit file's bKGD holds the components themselves.
  RefPng eight;
  eight.rows = {Pack({1, 2, 3}, 8)};
  eight.bkgd.red = 0x12;
  eight.bkgd.green = 0x34;
  eight.bkgd.blue = 0x56;
  eight.hasBkgd = true;
  Read r8;
  ReadInto(r8, Write(eight), true, true);
  EXPECT_EQ(r8.params.PngBackground, MakeColorTriple(0x12, 0x34, 0x56));
  IEDefaultDpiX = IEDefaultDpiY = 0;
}

TEST(FmtPng, WriterRoundTripsAndHeaderChoices) {
  auto pic = MakeRGB(21, 9, [](Integer x, Integer y) { return uint32_t(x * 12) << 16 | uint32_t(y * 28) << 8 | 77u; });
  struct Case {
    const char* name;
    Integer spp, bps;
    bool interlaced;
    Byte filter;
    int colorType, depth;
  };
  const Case cases[] = {
      {"rgb", 3, 8, false, 0, PNG_COLOR_TYPE_RGB, 8},
      {"rgb interlaced, sub", 3, 8, true, 1, PNG_COLOR_TYPE_RGB, 8},
      {"rgb paeth", 3, 8, false, 2, PNG_COLOR_TYPE_RGB, 8},
      {"rgb codec's filter", 3, 8, false, 3, PNG_COLOR_TYPE_RGB, 8},
  };
  for (const Case& c : cases) {
    TIOParamsVals params;
    params.SamplesPerPixel = c.spp;
    params.BitsPerSample = c.bps;
    params.PngInterlaced = c.interlaced;
    params.PngFilter = c.filter;
    params.PngBackground = MakeColorTriple(0x12, 0x34, 0x56);
    params.DpiX = 300;
    params.DpiY = 72;
    const auto bytes = WriteOurs(*pic, params);
    Read r;
    ReadInto(r, bytes);
    ASSERT_FALSE(r.aborted) << c.name;
    EXPECT_EQ(MaxChannelDiff(*pic, r.bmp), 0) << c.name;
    EXPECT_EQ(r.params.PngInterlaced, c.interlaced);
    EXPECT_EQ(r.params.DpiX, 300);
    EXPECT_EQ(r.params.DpiY, 72);
    Read h;
    ReadInto(h, bytes, true, true);
    EXPECT_EQ(h.params.PngBackground, MakeColorTriple(0x12, 0x34, 0x56)) << c.name;
  }

  // Alpha: a mask that is not full makes RGBA; a full one plain RGB.
  TIEMask mask;
  mask.AllocateMask(21, 9, 8);
  mask.FillMask(255);
  mask.SetPixelValue(3, 4, 17);
  mask.SetFull(false);
  TIOParamsVals params;
  Read r;
  ReadInto(r, WriteOurs(*pic, params, &mask));
  EXPECT_EQ(r.params.SamplesPerPixel, 4);
  EXPECT_EQ(r.mask->GetPixelValue(3, 4), 17);
  EXPECT_EQ(MaxChannelDiff(*pic, r.bmp), 0);
  mask.FillMask(255);
  mask.SetFull(true);
  Read full;
  ReadInto(full, WriteOurs(*pic, params, &mask));
  EXPECT_EQ(full.params.SamplesPerPixel, 3);
}

TEST(FmtPng, WriterPaletteAndBilevel) {
  // Three colours to a palette file: entry 0 is the background, pixels keep their colours.
  auto pic = MakeRGB(6, 4, [](Integer x, Integer) { return x < 2 ? 0xFF0000u : (x < 4 ? 0x00FF00u : 0x0000FFu); });
  TIOParamsVals params;
  params.SamplesPerPixel = 1;
  params.BitsPerSample = 8;
  params.PngBackground = MakeColorTriple(9, 8, 7);
  TIEMask mask;
  mask.AllocateMask(6, 4, 8);
  mask.FillMask(255);
  mask.SetPixelValue(5, 3, 200);
  mask.SetFull(false);
  Read r;
  ReadInto(r, WriteOurs(*pic, params, &mask));
  ASSERT_FALSE(r.aborted);
  EXPECT_EQ(r.params.SamplesPerPixel, 1);
  ASSERT_EQ(r.params.PaletteCount, 256);
  EXPECT_EQ(r.params.Palette[0], MakeColorTriple(9, 8, 7));
  EXPECT_EQ(PixelOrBit(r.bmp, 0, 0), 0xFF0000u);
  EXPECT_EQ(PixelOrBit(r.bmp, 3, 1), 0x00FF00u);
  EXPECT_EQ(PixelOrBit(r.bmp, 4, 2), 0x0000FFu);
  EXPECT_EQ(r.mask->GetPixelValue(4, 3), 255);
  EXPECT_EQ(r.mask->GetPixelValue(5, 3), 0);  // partly transparent becomes the transparent entry
  EXPECT_EQ(PixelOrBit(r.bmp, 5, 3), 0x090807u);

  // BitsPerSample 4: 16 colours plus the background entry.
  params.BitsPerSample = 4;
  Read r4;
  ReadInto(r4, WriteOurs(*pic, params));
  EXPECT_EQ(r4.params.PaletteCount, 17);

  // Two colours at 1 bit: grey, the darker one black.
  auto two = MakeRGB(9, 3, [](Integer x, Integer) { return x % 3 == 0 ? 0x202020u : 0xE0E0E0u; });
  TIOParamsVals bw;
  bw.SamplesPerPixel = 1;
  bw.BitsPerSample = 1;
  Read rb;
  ReadInto(rb, WriteOurs(*two, bw));
  ASSERT_EQ(rb.bmp.PixelKind(), ipkBW1);
  EXPECT_EQ(rb.params.BitsPerSample, 1);
  EXPECT_EQ(PixelOrBit(rb.bmp, 0, 0), 0u);
  EXPECT_EQ(PixelOrBit(rb.bmp, 1, 0), 1u);
  // A 1-bit buffer is written as 1-bit grey even when SamplesPerPixel says 3.
  TIOParamsVals odd;
  odd.BitsPerSample = 1;
  odd.SamplesPerPixel = 3;
  Read ro;
  ReadInto(ro, WriteOurs(rb.bmp, odd));
  ASSERT_FALSE(ro.aborted);
  EXPECT_EQ(ro.bmp.PixelKind(), ipkBW1);
  EXPECT_EQ(PixelOrBit(ro.bmp, 1, 0), 1u);
}

TEST(FmtPng, WriterFailures) {
  auto pic = Gradient(40, 40);
  TIOParamsVals params;
  params.PngCompression = 0;
  EXPECT_GT(WriteOurs(*pic, params).size(), size_t(40 * 40 * 3));
  params.PngCompression = 10;
  try {
    WriteOurs(*pic, params);
    FAIL() << "no exception";
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Error on creating PNG");
  }
  params.PngCompression = 5;
  TLimitedStream s(100);
  Progress pr;
  EXPECT_NO_THROW(WritePngStream(&s, pic.get(), params, nullptr, pr.rec));
  EXPECT_TRUE(pr.abort);
}

TEST(FmtPng, SignatureAndBadData) {
  auto pic = Gradient(30, 20);
  TIOParamsVals params;
  const auto good = WriteOurs(*pic, params);
  TMemoryStream s;
  LoadBytes(s, good);
  s.SetPosition(0);
  EXPECT_TRUE(IsPngStream(&s));
  EXPECT_EQ(s.Position(), 0);
  LoadBytes(s, std::vector<Byte>{0x89, 'P', 'N', 'G', 0, 0, 0, 0});
  EXPECT_TRUE(IsPngStream(&s));
  LoadBytes(s, std::vector<Byte>{0x89, 'P', 'N', 'X', 0, 0, 0, 0});
  EXPECT_FALSE(IsPngStream(&s));

  struct Case {
    const char* name;
    std::function<void(std::vector<Byte>&)> damage;
    bool allocated;  // the picture was allocated before the fault
  };
  const Case cases[] = {
      {"huge width", [](std::vector<Byte>& b) { b[16] = 0x00; b[17] = 0x0F; b[18] = 0x42; b[19] = 0x3F; }, false},
      {"bad header crc", [](std::vector<Byte>& b) { b[29] ^= 1; }, false},
      {"truncated data", [](std::vector<Byte>& b) { b.resize(b.size() / 2); }, true},
      {"garbage after header", [](std::vector<Byte>& b) { std::fill(b.begin() + 41, b.end(), 0x5A); }, false},
      {"empty", [](std::vector<Byte>& b) { b.clear(); }, false},
  };
  for (const Case& c : cases) {
    std::vector<Byte> b = good;
    c.damage(b);
    Read r;
    r.bmp.SetLocation(islMemory);
    r.bmp.AllocateImage(2, 2, ipkRGB24);
    ReadInto(r, b);
    EXPECT_TRUE(r.aborted) << c.name;
    EXPECT_EQ(r.bmp.Width(), c.allocated ? 30 : 2) << c.name;
  }
}
