// Colour lookups and ditherers on plain pixel buffers.
#include <gtest/gtest.h>

#include <vector>

#include "gif/GIFColorLookup.h"

namespace {

struct Rgb {
  Byte r, g, b;
};

HPALETTE MakePalette(const std::vector<Rgb>& colors) {
  std::vector<Byte> mem(sizeof(LOGPALETTE) + colors.size() * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(colors.size());
  for (size_t i = 0; i < colors.size(); ++i) lp->palPalEntry[i] = {colors[i].r, colors[i].g, colors[i].b, 0};
  return ::CreatePalette(lp);
}

struct PaletteHolder {
  explicit PaletteHolder(const std::vector<Rgb>& c) : h(MakePalette(c)) {}
  ~PaletteHolder() { ::DeleteObject(h); }
  HPALETTE h;
};

// Runs a ditherer over a picture of width x height (rows of Rgb, top first)
// the way the reduction does; returns the indices and checks that each out
// colour is what the lookup reports for that index.
std::vector<Byte> Dither(TDitherEngine& d, const std::vector<Rgb>& pixels, Integer width, Integer height,
                         std::vector<Rgb>* outColors = nullptr) {
  std::vector<Byte> idx(pixels.size());
  if (outColors) outColors->assign(pixels.size(), Rgb{});
  for (Integer y = 0; y < height; ++y) {
    while (d.Column() >= 0 && d.Column() < width) {
      size_t at = static_cast<size_t>(y) * width + d.Column();
      Rgb o{};
      idx[at] = d.QuantizePixel(pixels[at].r, pixels[at].g, pixels[at].b, o.r, o.g, o.b);
      if (outColors) (*outColors)[at] = o;
    }
    d.AdvanceRow();
  }
  return idx;
}

// A lookup that maps every colour to itself, except one "seed" colour that it
// maps to black; it records the values it was fed in walking order.
class SeedLookup : public TColorLookup {
 public:
  explicit SeedLookup(Byte seed) : TColorLookup(256), seed_(seed) {}
  Byte NearestIndex(Byte r, Byte g, Byte b, Byte& orr, Byte& og, Byte& ob) override {
    fed.push_back({r, g, b});
    if (r == seed_) {
      orr = og = ob = 0;
      return 0;
    }
    orr = r;
    og = g;
    ob = b;
    return r;
  }
  std::vector<Rgb> fed;

 private:
  Byte seed_;
};

}  // namespace

TEST(ColorLookup, FixedLookupsMapByTheirRules) {
  struct Case {
    const char* name;
    TColorLookup* lookup;
    Rgb in;
    Byte index;
    Rgb out;
  };
  TNetscapeColorLookup net;
  TGrayScaleLookup gray;
  TMonochromeLookup mono;
  const Case cases[] = {
      {"cube: 48 is already level 1", &net, {47, 48, 255}, 11, {0, 51, 255}},
      {"cube: black", &net, {0, 0, 0}, 0, {0, 0, 0}},
      {"cube: white", &net, {255, 255, 255}, 215, {255, 255, 255}},
      {"cube: 252 rounds up", &net, {252, 100, 23}, 5 * 36 + 2 * 6 + 0, {255, 102, 0}},
      {"grey: white", &gray, {255, 255, 255}, 255, {255, 255, 255}},
      {"grey: red", &gray, {255, 0, 0}, 76, {76, 76, 76}},
      {"mono: s = 32768 is white", &mono, {128, 128, 128}, 1, {255, 255, 255}},
      {"mono: s = 32512 is black", &mono, {127, 127, 127}, 0, {0, 0, 0}},
      {"mono: pure green is white", &mono, {0, 255, 0}, 1, {255, 255, 255}},
  };
  for (const Case& c : cases) {
    Rgb o{1, 2, 3};
    EXPECT_EQ(c.lookup->NearestIndex(c.in.r, c.in.g, c.in.b, o.r, o.g, o.b), c.index) << c.name;
    EXPECT_EQ(o.r, c.out.r) << c.name;
    EXPECT_EQ(o.g, c.out.g) << c.name;
    EXPECT_EQ(o.b, c.out.b) << c.name;
  }
  EXPECT_EQ(net.Colors(), 216);
  EXPECT_EQ(gray.Colors(), 256);
  EXPECT_EQ(mono.Colors(), 2);
}

TEST(ColorLookup, FastLookupCachesPerCellAndPrefersLowIndex) {
  // Entries 3 and 7 are the same colour: the first one owns the cell.
  PaletteHolder pal({{0, 0, 0}, {255, 255, 255}, {200, 0, 0}, {10, 10, 10}, {0, 200, 0},
                     {0, 0, 200}, {90, 90, 90}, {10, 10, 10}});
  TFastColorLookup fast(pal.h);
  EXPECT_EQ(fast.Colors(), 8);
  EXPECT_EQ(fast.CachedCell(TFastColorLookup::CellKey(10, 10, 10)), 3);
  Rgb o{};
  EXPECT_EQ(fast.NearestIndex(10, 10, 10, o.r, o.g, o.b), 3);

  // A miss searches by the sum of channel differences and fills the cell.
  Integer key = TFastColorLookup::CellKey(190, 20, 8);
  EXPECT_EQ(fast.CachedCell(key), -1);
  EXPECT_EQ(fast.NearestIndex(190, 20, 8, o.r, o.g, o.b), 2);
  EXPECT_EQ(o.r, 200);
  EXPECT_EQ(o.g, 0);
  EXPECT_EQ(fast.CachedCell(key), 2);
  // (191, 23, 15) lies in the same cell and gets the cached answer.
  EXPECT_EQ(fast.NearestIndex(191, 23, 15, o.r, o.g, o.b), 2);

  // An entry found in a colour's own cell answers for the whole cell, even
  // where another entry is nearer: (104, 0, 0) shares the cell of (110, 0, 0).
  PaletteHolder cells({{100, 0, 0}, {110, 0, 0}});
  TFastColorLookup fastNear(cells.h);
  EXPECT_EQ(fastNear.NearestIndex(104, 0, 0, o.r, o.g, o.b), 1);
  EXPECT_EQ(fastNear.NearestIndex(103, 0, 0, o.r, o.g, o.b), 0);

  // Equal distances: the lowest index wins.
  PaletteHolder tie({{40, 0, 0}, {0, 40, 0}});
  TFastColorLookup fastTie(tie.h);
  EXPECT_EQ(fastTie.NearestIndex(20, 20, 0, o.r, o.g, o.b), 0);
}

TEST(ColorLookup, FastLookupWithoutPaletteHasNoEntries) {
  TFastColorLookup none(nullptr);
  EXPECT_EQ(none.Colors(), 0);
  Rgb o{9, 9, 9};
  EXPECT_EQ(none.NearestIndex(100, 100, 100, o.r, o.g, o.b), 0);
}

TEST(Dither, EveryKindWalksTheRowsInSerpentineOrder) {
  TMonochromeLookup mono;
  for (Integer kind = 0; kind <= 6; ++kind) {
    auto d = CreateDitherer(kind, 4, &mono);
    ASSERT_TRUE(d) << kind;
    std::vector<Integer> visited;
    for (Integer row = 0; row < 3; ++row) {
      EXPECT_EQ(d->Direction(), row % 2 == 0 ? 1 : -1);
      while (d->Column() >= 0 && d->Column() < 4) {
        visited.push_back(d->Column());
        Byte r, g, b;
        d->QuantizePixel(100, 100, 100, r, g, b);
      }
      d->AdvanceRow();
    }
    EXPECT_EQ(visited, (std::vector<Integer>{0, 1, 2, 3, 3, 2, 1, 0, 0, 1, 2, 3})) << kind;
  }
  EXPECT_FALSE(CreateDitherer(7, 4, &mono));
  EXPECT_FALSE(CreateDitherer(-1, 4, &mono));
}

// One pixel with an error of 100 in an otherwise exact picture: where the
// error lands shows each kernel's weights, divisor and direction.
TEST(Dither, KernelsSpreadOnePixelsErrorAheadAndBelow) {
  struct Case {
    Integer kind;
    Integer div;
    std::vector<Integer> row0;  // weights at +1, +2 ahead of the seed
    std::vector<Integer> row1;  // weights at offsets -3..+3 (LTR seed) in the next row
    std::vector<Integer> row2;
    std::vector<Integer> row3;
  };
  const Case cases[] = {
      {2, 42, {8, 4}, {0, 2, 4, 8, 4, 2, 0}, {0, 1, 2, 4, 2, 1, 0}, {0, 0, 0, 0, 0, 0, 0}},
      {3, 32, {5, 3}, {0, 2, 4, 5, 4, 2, 0}, {0, 0, 2, 3, 2, 0, 0}, {0, 0, 0, 0, 0, 0, 0}},
      {4, 48, {7, 5}, {0, 3, 5, 7, 5, 3, 0}, {0, 1, 3, 5, 3, 1, 0}, {0, 0, 0, 0, 0, 0, 0}},
      {5, 200, {0, 32}, {12, 0, 26, 0, 30, 0, 16}, {0, 12, 0, 26, 0, 12, 0}, {5, 0, 12, 0, 12, 0, 5}},
      {6, 32, {8, 4}, {0, 2, 4, 8, 4, 2, 0}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}},
  };
  const Integer W = 11, H = 4, seedX = 5;
  for (const Case& c : cases) {
    SeedLookup lookup(100);
    auto d = CreateDitherer(c.kind, W, &lookup);
    std::vector<Rgb> pic(W * H, Rgb{0, 0, 0});
    pic[seedX] = {100, 100, 100};
    std::vector<Rgb> out;
    Dither(*d, pic, W, H, &out);
    // The lookup's out colour is its input, so `out` holds what was fed.
    auto fedAt = [&](Integer x, Integer y) { return Integer(out[y * W + x].g); };
    auto expectFed = [&](Integer weight) { return (weight * 100 + c.div / 2) / c.div; };
    EXPECT_EQ(fedAt(seedX - 1, 0), 0) << c.kind;
    EXPECT_EQ(fedAt(seedX + 1, 0), expectFed(c.row0[0])) << c.kind;
    EXPECT_EQ(fedAt(seedX + 2, 0), expectFed(c.row0[1])) << c.kind;
    const std::vector<Integer>* rows[] = {&c.row1, &c.row2, &c.row3};
    for (Integer y = 1; y < H; ++y)
      for (Integer off = -3; off <= 3; ++off)
        EXPECT_EQ(fedAt(seedX + off, y), expectFed((*rows[y - 1])[off + 3])) << c.kind << " row " << y << " off " << off;
  }
}

TEST(Dither, FloydSteinbergCarriesSevenSixteenthsInTheWalkingDirection) {
  const Integer W = 6, H = 2;
  for (Integer seedRow = 0; seedRow < H; ++seedRow) {
    SeedLookup lookup(100);
    TFloydSteinbergDitherer d(W, &lookup);
    std::vector<Rgb> pic(W * H, Rgb{0, 0, 0});
    pic[seedRow * W + 3] = {100, 100, 100};
    std::vector<Rgb> out;
    Dither(d, pic, W, H, &out);
    Integer ahead = seedRow == 0 ? 4 : 2;  // row 1 walks right to left
    Integer behind = seedRow == 0 ? 2 : 4;
    EXPECT_EQ(out[seedRow * W + ahead].r, (7 * 100 + 8) / 16) << seedRow;
    EXPECT_EQ(out[seedRow * W + behind].r, 0) << seedRow;
  }
}

TEST(Dither, FloydSteinbergOverAnExactPaletteIsThePlainLookup) {
  // Every picture colour is in the palette and each entry has its own cell.
  std::vector<Rgb> entries;
  for (Integer i = 0; i < 64; ++i)
    entries.push_back({Byte(i * 4), Byte(255 - i * 4), Byte((i * 37) & 0xF8)});
  PaletteHolder pal(entries);
  const Integer W = 13, H = 9;
  std::vector<Rgb> pic;
  for (Integer i = 0; i < W * H; ++i) pic.push_back(entries[(i * 7) % 64]);
  TFastColorLookup a(pal.h), b(pal.h);
  TFloydSteinbergDitherer fs(W, &a);
  TDitherEngine plain(W, &b);
  auto dithered = Dither(fs, pic, W, H);
  auto nearest = Dither(plain, pic, W, H);
  EXPECT_EQ(dithered, nearest);
  for (Integer i = 0; i < W * H; ++i) ASSERT_EQ(dithered[i], (i * 7) % 64);
}

// A flat grey reduced to black and white: every diffusing kind keeps the
// share of white close to the grey level; the plain lookup cannot.
TEST(Dither, DiffusionKeepsTheMeanOfFlatGreys) {
  const Integer W = 40, H = 40;
  TMonochromeLookup mono;
  for (Integer grey : {40, 96, 128, 200}) {
    std::vector<Rgb> pic(W * H, Rgb{Byte(grey), Byte(grey), Byte(grey)});
    for (Integer kind = 0; kind <= 6; ++kind) {
      auto d = CreateDitherer(kind, W, &mono);
      auto idx = Dither(*d, pic, W, H);
      double white = 0;
      for (Byte i : idx) white += i;
      white /= W * H;
      if (kind == 0)
        EXPECT_TRUE(white == 0.0 || white == 1.0) << grey;
      else
        EXPECT_NEAR(white, grey / 255.0, 0.03) << "kind " << kind << " grey " << grey;
    }
  }
}

// A colour gradient through a 16-entry palette: indices stay in the palette
// and the out colour is always that entry.
TEST(Dither, OnlyPaletteColoursComeOut) {
  std::vector<Rgb> entries;
  for (Integer i = 0; i < 16; ++i)
    entries.push_back({Byte((i & 1) * 255), Byte(((i >> 1) & 1) * 160 + (i >> 3) * 60), Byte(((i >> 2) & 1) * 255)});
  PaletteHolder pal(entries);
  const Integer W = 37, H = 23;
  std::vector<Rgb> pic;
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) pic.push_back({Byte(x * 255 / (W - 1)), Byte(y * 255 / (H - 1)), Byte((x + y) * 4)});
  for (Integer kind = 0; kind <= 6; ++kind) {
    TFastColorLookup lookup(pal.h);
    auto d = CreateDitherer(kind, W, &lookup);
    std::vector<Rgb> out;
    auto idx = Dither(*d, pic, W, H, &out);
    for (size_t i = 0; i < idx.size(); ++i) {
      ASSERT_LT(idx[i], 16) << kind;
      ASSERT_EQ(out[i].r, entries[idx[i]].r) << kind;
      ASSERT_EQ(out[i].g, entries[idx[i]].g) << kind;
      ASSERT_EQ(out[i].b, entries[idx[i]].b) << kind;
    }
  }
}

TEST(Dither, NarrowAndEmptyRowsStayInsideTheBuffers) {
  TMonochromeLookup mono;
  for (Integer width : {0, 1, 2}) {
    for (Integer kind = 0; kind <= 6; ++kind) {
      auto d = CreateDitherer(kind, width, &mono);
      std::vector<Rgb> pic(width * 50, Rgb{250, 5, 128});
      auto idx = Dither(*d, pic, width, 50);
      EXPECT_EQ(idx.size(), size_t(width * 50));
      for (Byte i : idx) EXPECT_LE(i, 1);
    }
  }
}
