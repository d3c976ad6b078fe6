// Colour arithmetic, frame and border painters, arrows and font helpers of
// the styled controls, checked on the values and pixels they produce.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "controls/RzCommon.h"
#include "tests/controls/rz_pixels.h"

using rzpix::NewBitmap;
using rzpix::PxRgb;
using rzpix::Rgb;

namespace {

struct THsl {
  Byte H, S, L;
};

THsl Hsl(TColor C) {
  THsl r{};
  ColorToHslBytes(C, r.H, r.S, r.L);
  return r;
}

constexpr TColor kBack = 0x030201;  // a colour no painter uses

}  // namespace

// ---------------------------------------------------------------------------
TEST(RzCommonColor, HslBytesOfKnownColours) {
  struct Case {
    TColor Color;
    Byte H, S, L;
  } cases[] = {
      {clRed, 0, 240, 120},          {clWhite, 0, 0, 240},       {clBlack, 0, 0, 0},
      {RGB(255, 128, 0) /*orange*/, 20, 240, 120}, {RGB(0, 128, 255), 140, 240, 120},
      {RGB(128, 128, 128), 0, 0, 120}, {RGB(0, 0, 128), 160, 240, 60},
  };
  for (const Case& c : cases) {
    THsl h = Hsl(c.Color);
    EXPECT_EQ(h.H, c.H) << std::hex << c.Color;
    EXPECT_EQ(h.S, c.S) << std::hex << c.Color;
    EXPECT_EQ(h.L, c.L) << std::hex << c.Color;
  }
  // A system colour is resolved before it is split up.
  THsl face = Hsl(clBtnFace), rgb = Hsl(static_cast<TColor>(::GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(face.H, rgb.H);
  EXPECT_EQ(face.S, rgb.S);
  EXPECT_EQ(face.L, rgb.L);
  EXPECT_EQ(HueOfColor(RGB(0, 0, 128)), 160);
}

TEST(RzCommonColor, ColourFromHslBytes) {
  struct Case {
    Byte H, S, L;
    TColor Expected;
  } cases[] = {
      {0, 240, 120, RGB(255, 0, 0)},
      {80, 240, 120, RGB(0, 255, 2)},    // hue read on 239 steps: green is a little off
      {160, 240, 120, RGB(4, 0, 255)},   // and so is blue
      {240, 240, 120, RGB(255, 6, 0)},   // sextant 6 wraps to red
      {0, 0, 0, RGB(0, 0, 0)},
      {0, 0, 240, RGB(255, 255, 255)},
      {0, 240, 255, RGB(255, 255, 255)}, // lightness above the scale clamps every channel
      {0, 240, 60, RGB(128, 0, 0)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ColorFromHslBytes(c.H, c.S, c.L), c.Expected) << int(c.H) << "," << int(c.S) << "," << int(c.L);
}

TEST(RzCommonColor, DarkenLightenAdjustAndMix) {
  EXPECT_EQ(ColorDarkenedBy(clBlack, 50), RGB(0, 0, 0));
  // Lightness 200 + 100 caps at 255, above the 240 scale: white.
  TColor pale = ColorFromHslBytes(0, 240, 200);
  ASSERT_EQ(Hsl(pale).L, 200);
  EXPECT_EQ(ColorLightenedBy(pale, 100), RGB(255, 255, 255));
  EXPECT_EQ(ColorDarkenedBy(clRed, 60), RGB(128, 0, 0));
  EXPECT_EQ(ColorLightenedBy(RGB(128, 0, 0), 60), RGB(255, 0, 0));
  // Adjusting by 0 hands the value back as it is, even a system colour.
  EXPECT_EQ(ColorAdjustedBy(clBtnFace, 0), clBtnFace);
  EXPECT_EQ(ColorAdjustedBy(clRed, -60), ColorDarkenedBy(clRed, 60));
  EXPECT_EQ(ColorAdjustedBy(RGB(128, 0, 0), 60), ColorLightenedBy(RGB(128, 0, 0), 60));

  struct Mix {
    TColor A, B;
    Byte W;
    TColor Expected;
  } mixes[] = {
      {clRed, clBlue, 255, RGB(255, 0, 0)},  {clRed, clBlue, 0, RGB(0, 0, 255)},
      {clWhite, clBlack, 51, RGB(51, 51, 51)}, {RGB(200, 100, 0), RGB(0, 100, 200), 128, RGB(100, 100, 100)},
  };
  for (const Mix& m : mixes) EXPECT_EQ(MixColors(m.A, m.B, m.W), m.Expected) << int(m.W);
}

TEST(RzCommonColor, HardToTell) {
  struct Case {
    TColor A, B;
    bool Hard;
  } cases[] = {
      {clWhite, RGB(250, 250, 250), true},  // same hue, close lightness
      {clWhite, clBlack, false},            // lightness apart
      {clRed, clLime, false},               // hue apart
      {RGB(255, 0, 0), RGB(255, 60, 0), true},
      {RGB(0, 0, 255), RGB(0, 0, 160), true},
      {RGB(0, 0, 255), RGB(0, 0, 120), false},  // lightness 64 apart
  };
  for (const Case& c : cases) EXPECT_EQ(ColorsHardToTell(c.A, c.B), c.Hard) << std::hex << c.A << " " << c.B;
}

TEST(RzCommonColor, CentredRectangleTruncatesTowardZero) {
  EXPECT_EQ(RectCenteredIn(Rect(0, 0, 10, 10), 3, 3), Rect(3, 3, 6, 6));
  EXPECT_EQ(RectCenteredIn(Rect(0, 0, 10, 10), 4, 2), Rect(3, 4, 7, 6));
  // (-5 + 0 - 2) / 2 = -3.5 goes to -3, not -4.
  EXPECT_EQ(RectCenteredIn(Rect(-5, 0, 0, 10), 2, 2), Rect(-3, 4, -1, 6));
}

// ---------------------------------------------------------------------------
TEST(RzCommonFrame, SideLinesOnChosenSidesOnly) {
  auto b = NewBitmap(10, 8, kBack);
  TRect in = PaintSideLines(b->Canvas(), Rect(0, 0, 10, 8), clRed, TSides{sdLeft, sdBottom}, clBlue);
  EXPECT_EQ(in, Rect(1, 0, 10, 7));
  for (Integer y = 0; y < 7; ++y) EXPECT_EQ(PxRgb(b.get(), 0, y), Rgb(clRed)) << y;
  for (Integer x = 0; x < 10; ++x) EXPECT_EQ(PxRgb(b.get(), x, 7), Rgb(clBlue)) << x;
  EXPECT_EQ(PxRgb(b.get(), 5, 0), kBack);  // no top line
  EXPECT_EQ(PxRgb(b.get(), 9, 3), kBack);  // no right line

  // clNone leaves the lines out but the rectangle still shrinks.
  auto c = NewBitmap(10, 8, kBack);
  EXPECT_EQ(PaintSideLines(c->Canvas(), Rect(0, 0, 10, 8), clNone, sdAllSides, clNone), Rect(1, 1, 9, 7));
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 10; ++x) ASSERT_EQ(PxRgb(c.get(), x, y), kBack) << x << "," << y;

  auto d = NewBitmap(12, 12, kBack);
  EXPECT_EQ(PaintBevelRings(d->Canvas(), Rect(0, 0, 12, 12), clRed, sdAllSides, 3, clBlue), Rect(3, 3, 9, 9));
  for (Integer i = 0; i < 3; ++i) {
    EXPECT_EQ(PxRgb(d.get(), i, 6), Rgb(clRed));
    EXPECT_EQ(PxRgb(d.get(), 11 - i, 6), Rgb(clBlue));
  }
  EXPECT_EQ(PxRgb(d.get(), 3, 6), kBack);
}

namespace {

// The colour of the left/top and of the right/bottom line of the outer and
// inner rings of a frame, read at the middle of each side.
struct TRingColors {
  TColor OuterUL, OuterLR, InnerUL, InnerLR;
};

void ExpectRings(TBitmap* B, const TRect& R, const TRingColors& E, Integer Rings, const std::string& What) {
  Integer mx = (R.Left + R.Right) / 2, my = (R.Top + R.Bottom) / 2;
  EXPECT_EQ(PxRgb(B, R.Left, my), Rgb(E.OuterUL)) << What << " outer left";
  EXPECT_EQ(PxRgb(B, mx, R.Top), Rgb(E.OuterUL)) << What << " outer top";
  EXPECT_EQ(PxRgb(B, R.Right - 1, my), Rgb(E.OuterLR)) << What << " outer right";
  EXPECT_EQ(PxRgb(B, mx, R.Bottom - 1), Rgb(E.OuterLR)) << What << " outer bottom";
  if (Rings < 2) {
    EXPECT_EQ(PxRgb(B, R.Left + 1, my), kBack) << What << " nothing inside";
    return;
  }
  EXPECT_EQ(PxRgb(B, R.Left + 1, my), Rgb(E.InnerUL)) << What << " inner left";
  EXPECT_EQ(PxRgb(B, mx, R.Top + 1), Rgb(E.InnerUL)) << What << " inner top";
  EXPECT_EQ(PxRgb(B, R.Right - 2, my), Rgb(E.InnerLR)) << What << " inner right";
  EXPECT_EQ(PxRgb(B, mx, R.Bottom - 2), Rgb(E.InnerLR)) << What << " inner bottom";
  EXPECT_EQ(PxRgb(B, R.Left + 2, my), kBack) << What << " nothing inside";
}

}  // namespace

TEST(RzCommonFrame, StyledFramesInSystemColours) {
  struct Case {
    TFrameStyle Style;
    Integer Rings;
    TRingColors Colors;
  } cases[] = {
      {fsFlat, 1, {cl3DDkShadow, cl3DDkShadow, 0, 0}},
      {fsGroove, 2, {clBtnShadow, clBtnHighlight, clBtnHighlight, clBtnShadow}},
      {fsBump, 2, {clBtnHighlight, clBtnShadow, clBtnShadow, clBtnHighlight}},
      {fsLowered, 2, {clBtnShadow, clBtnHighlight, cl3DDkShadow, cl3DLight}},
      {fsRaised, 2, {cl3DLight, cl3DDkShadow, clBtnHighlight, clBtnShadow}},
      {fsButtonDown, 2, {clBtnText, clBtnText, clBtnShadow, clBtnShadow}},
      {fsButtonUp, 2, {clBtnHighlight, cl3DDkShadow, cl3DLight, clBtnShadow}},
      {fsStatus, 1, {clBtnShadow, clBtnHighlight, 0, 0}},
      {fsPopup, 1, {clBtnHighlight, clBtnShadow, 0, 0}},
      {fsFlatBold, 2, {clBtnShadow, clBtnShadow, clBtnShadow, clBtnShadow}},
  };
  const TRect r = Rect(0, 0, 20, 16);
  for (const Case& c : cases) {
    auto b = NewBitmap(20, 16, kBack);
    TRect in = PaintStyledFrame(b->Canvas(), r, c.Style);
    std::string what = "style " + std::to_string(c.Style);
    EXPECT_EQ(in, Rect(c.Rings, c.Rings, 20 - c.Rings, 16 - c.Rings)) << what;
    ExpectRings(b.get(), r, c.Colors, c.Rings, what);
  }
  auto none = NewBitmap(20, 16, kBack);
  EXPECT_EQ(PaintStyledFrame(none->Canvas(), r, fsNone), r);
  EXPECT_EQ(PxRgb(none.get(), 0, 8), kBack);
}

TEST(RzCommonFrame, TintedFramesInShadesOfTheFace) {
  const TColor face = RGB(90, 140, 200);
  TColor d50 = ColorDarkenedBy(face, 50), d100 = ColorDarkenedBy(face, 100);
  TColor l50 = ColorLightenedBy(face, 50), l100 = ColorLightenedBy(face, 100), l40 = ColorLightenedBy(face, 40);
  struct Case {
    TFrameStyle Style;
    Integer Rings;
    TRingColors Colors;
  } cases[] = {
      {fsFlat, 1, {d50, d50, 0, 0}},
      {fsGroove, 2, {d50, l100, l100, d50}},
      {fsBump, 2, {l100, d50, d50, l100}},
      {fsLowered, 2, {d50, l100, d100, l50}},
      {fsRaised, 2, {l50, d100, l100, d50}},
      {fsButtonUp, 2, {l100, d100, l40, d50}},
      {fsButtonDown, 2, {d100, d100, d50, d50}},
      {fsStatus, 1, {d50, l100, 0, 0}},
      {fsPopup, 1, {l100, d50, 0, 0}},
      {fsFlatBold, 2, {d50, d50, d50, d50}},
  };
  const TRect r = Rect(0, 0, 20, 16);
  for (const Case& c : cases) {
    auto b = NewBitmap(20, 16, kBack);
    TRect in = PaintTintedStyledFrame(b->Canvas(), r, face, sdAllSides, c.Style);
    std::string what = "tinted style " + std::to_string(c.Style);
    EXPECT_EQ(in, Rect(c.Rings, c.Rings, 20 - c.Rings, 16 - c.Rings)) << what;
    ExpectRings(b.get(), r, c.Colors, c.Rings, what);
  }
}

TEST(RzCommonFrame, EtchedFrameOnSomeSidesFixesItsCorners) {
  // No sides: nothing drawn, bounds returned.
  auto none = NewBitmap(10, 10, kBack);
  EXPECT_EQ(PaintStyledFrame(none->Canvas(), Rect(0, 0, 10, 10), fsGroove, TSides{}), Rect(0, 0, 10, 10));
  for (Integer y = 0; y < 10; ++y)
    for (Integer x = 0; x < 10; ++x) ASSERT_EQ(PxRgb(none.get(), x, y), kBack);

  // Left and top only: the open ends of the lines get the upper-left colour.
  auto b = NewBitmap(10, 10, kBack);
  EXPECT_EQ(PaintStyledFrame(b->Canvas(), Rect(0, 0, 10, 10), fsGroove, TSides{sdLeft, sdTop}), Rect(2, 2, 10, 10));
  EXPECT_EQ(PxRgb(b.get(), 9, 0), Rgb(clBtnShadow));
  EXPECT_EQ(PxRgb(b.get(), 0, 9), Rgb(clBtnShadow));
  EXPECT_EQ(PxRgb(b.get(), 1, 5), Rgb(clBtnHighlight));
  EXPECT_EQ(PxRgb(b.get(), 5, 1), Rgb(clBtnHighlight));
  EXPECT_EQ(PxRgb(b.get(), 9, 5), kBack);
  EXPECT_EQ(PxRgb(b.get(), 5, 9), kBack);
}

TEST(RzCommonFrame, RoundedFlatAndDottedFocusFrames) {
  auto b = NewBitmap(10, 10, kBack);
  EXPECT_EQ(PaintRoundedFlatFrame(b->Canvas(), Rect(0, 0, 10, 10), clRed, sdAllSides), Rect(2, 2, 8, 8));
  struct P {
    Integer X, Y;
    bool Painted;
  } pts[] = {{0, 0, false}, {0, 1, false}, {1, 0, false}, {1, 1, true}, {0, 2, true}, {2, 0, true},
             {8, 1, true},  {9, 1, false}, {9, 2, true},  {8, 8, true}, {9, 9, false}, {1, 8, true},
             {0, 7, true},  {0, 8, false}, {7, 9, true},  {8, 9, false}, {5, 5, false}};
  for (const P& p : pts)
    EXPECT_EQ(PxRgb(b.get(), p.X, p.Y) == Rgb(clRed), p.Painted) << p.X << "," << p.Y;

  auto f = NewBitmap(10, 10, clWhite);
  EXPECT_EQ(PaintDottedFocusFrame(f->Canvas(), Rect(0, 0, 10, 10)), Rect(1, 1, 9, 9));
  EXPECT_EQ(PxRgb(f.get(), 0, 0), 0xFFFFFF);
  EXPECT_EQ(PxRgb(f.get(), 9, 0), 0);
  for (Integer x = 1; x < 9; ++x) {
    TColor want = (x % 2 == 1) ? 0 : 0xFFFFFF;
    EXPECT_EQ(PxRgb(f.get(), x, 0), want) << "top " << x;
    EXPECT_EQ(PxRgb(f.get(), x, 9), want) << "bottom " << x;
    EXPECT_EQ(PxRgb(f.get(), 0, x), want) << "left " << x;
    EXPECT_EQ(PxRgb(f.get(), 9, x), want) << "right " << x;
  }
}

TEST(RzCommonFrame, LayeredBordersStackOuterBandAndInner) {
  const TColor flat = RGB(100, 100, 160), border = RGB(0, 200, 0), shadow = RGB(90, 0, 0),
               highlight = RGB(250, 200, 0);
  auto b = NewBitmap(30, 30, kBack);
  // Outer fsStatus with 3 bevel lines, a band of 2, inner fsFlat in the adjusted flat colour.
  TRect in = PaintLayeredBorders(b->Canvas(), Rect(0, 0, 30, 30), fsStatus, false, clWhite, clWhite, -30, flat,
                                 shadow, highlight, border, 3, sdAllSides, 2, fsFlat);
  EXPECT_EQ(in, Rect(6, 6, 24, 24));
  for (Integer i = 0; i < 3; ++i) {
    EXPECT_EQ(PxRgb(b.get(), i, 15), shadow) << i;
    EXPECT_EQ(PxRgb(b.get(), 29 - i, 15), highlight) << i;
  }
  EXPECT_EQ(PxRgb(b.get(), 3, 15), border);
  EXPECT_EQ(PxRgb(b.get(), 4, 15), border);
  EXPECT_EQ(PxRgb(b.get(), 5, 15), Rgb(ColorDarkenedBy(flat, 30)));
  EXPECT_EQ(PxRgb(b.get(), 6, 15), kBack);

  // Only the left side chosen: the others stay as they were.
  auto l = NewBitmap(30, 30, kBack);
  EXPECT_EQ(PaintLayeredBorders(l->Canvas(), Rect(0, 0, 30, 30), fsPopup, false, clWhite, clWhite, 0, flat, shadow,
                                highlight, border, 2, TSides{sdLeft}, 1, fsNone),
            Rect(3, 0, 30, 30));
  EXPECT_EQ(PxRgb(l.get(), 0, 15), highlight);
  EXPECT_EQ(PxRgb(l.get(), 2, 15), border);
  EXPECT_EQ(PxRgb(l.get(), 15, 0), kBack);
  EXPECT_EQ(PxRgb(l.get(), 29, 15), kBack);

  // Rounded outer frame on an opaque control: parent colour ring, then the
  // control colour where no band follows, corners cut.
  auto r = NewBitmap(20, 20, kBack);
  EXPECT_EQ(PaintLayeredBorders(r->Canvas(), Rect(0, 0, 20, 20), fsFlatRounded, false, clYellow, clAqua, 0, flat,
                                shadow, highlight, border, 1, sdAllSides, 0, fsNone),
            Rect(2, 2, 18, 18));
  EXPECT_EQ(PxRgb(r.get(), 0, 0), Rgb(clYellow));
  EXPECT_EQ(PxRgb(r.get(), 0, 10), flat);
  EXPECT_EQ(PxRgb(r.get(), 1, 1), flat);
  EXPECT_EQ(PxRgb(r.get(), 1, 10), Rgb(clAqua));
}

TEST(RzCommonFrame, ControlFrameUsesSystemColoursOnlyOnWindowColour) {
  auto sys = NewBitmap(20, 20, kBack);
  PaintControlFrame(sys->Canvas(), 20, 20, sdAllSides, clRed, clWindow, fsLowered);
  EXPECT_EQ(PxRgb(sys.get(), 0, 10), Rgb(clBtnShadow));
  EXPECT_EQ(PxRgb(sys.get(), 1, 10), Rgb(cl3DDkShadow));
  EXPECT_EQ(PxRgb(sys.get(), 19, 10), Rgb(clBtnHighlight));

  const TColor face = RGB(200, 220, 240);
  auto tint = NewBitmap(20, 20, kBack);
  PaintControlFrame(tint->Canvas(), 20, 20, sdAllSides, clRed, face, fsLowered);
  EXPECT_EQ(PxRgb(tint.get(), 0, 10), Rgb(ColorDarkenedBy(face, 50)));
  EXPECT_EQ(PxRgb(tint.get(), 1, 10), Rgb(ColorDarkenedBy(face, 100)));

  // Flat: one line in the frame colour on the chosen sides; the two-pixel
  // band is cleared to the control colour first.
  auto flat = NewBitmap(20, 20, kBack);
  PaintControlFrame(flat->Canvas(), 20, 20, TSides{sdBottom}, clRed, face, fsFlat);
  EXPECT_EQ(PxRgb(flat.get(), 10, 19), Rgb(clRed));
  EXPECT_EQ(PxRgb(flat.get(), 10, 18), Rgb(face));
  EXPECT_EQ(PxRgb(flat.get(), 0, 10), Rgb(face));
  EXPECT_EQ(PxRgb(flat.get(), 1, 10), Rgb(face));
  EXPECT_EQ(PxRgb(flat.get(), 2, 10), kBack);
}

// ---------------------------------------------------------------------------
namespace {

struct TInk {
  Integer Count = 0, MinX = 1000, MinY = 1000, MaxX = -1, MaxY = -1;
  TColor Color = 0;
};

TInk InkOf(TBitmap* B, TColor Background) {
  TInk ink;
  for (Integer y = 0; y < B->Height(); ++y)
    for (Integer x = 0; x < B->Width(); ++x) {
      TColor c = PxRgb(B, x, y);
      if (c == Background) continue;
      ++ink.Count;
      ink.Color = c;
      ink.MinX = std::min(ink.MinX, x), ink.MaxX = std::max(ink.MaxX, x);
      ink.MinY = std::min(ink.MinY, y), ink.MaxY = std::max(ink.MaxY, y);
    }
  return ink;
}

}  // namespace

TEST(RzCommonArrow, DropArrowPlacedColouredAndCanvasRestored) {
  auto b = NewBitmap(16, 16, clWhite);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clLime);
  c->Pen()->SetStyle(psDot);
  PaintDropArrow(c, Rect(0, 0, 16, 16), 0, false, true);
  // Triangle (8, 9), (5, 5), (12, 5): centre x 8, y 7 (even height) + 2.
  TInk ink = InkOf(b.get(), 0xFFFFFF);
  EXPECT_EQ(ink.Color, 0);
  EXPECT_GE(ink.MinX, 5);
  EXPECT_LE(ink.MaxX, 12);
  EXPECT_GE(ink.MinY, 5);
  EXPECT_LE(ink.MaxY, 9);
  EXPECT_EQ(PxRgb(b.get(), 8, 6), 0);
  EXPECT_EQ(c->Brush()->Color(), clLime);
  EXPECT_EQ(c->Pen()->Style(), psSolid);

  // Down moves the arrow one pixel right and down; disabled paints it in the shadow colour.
  auto d = NewBitmap(16, 16, clWhite);
  PaintDropArrow(d->Canvas(), Rect(0, 0, 16, 16), 0, true, true);
  TInk down = InkOf(d.get(), 0xFFFFFF);
  EXPECT_EQ(down.Count, ink.Count);
  EXPECT_EQ(down.MinX, ink.MinX + 1);
  EXPECT_EQ(down.MinY, ink.MinY + 1);
  auto g = NewBitmap(16, 16, clWhite);
  PaintDropArrow(g->Canvas(), Rect(0, 0, 16, 16), 0, false, false);
  EXPECT_EQ(InkOf(g.get(), 0xFFFFFF).Color, Rgb(clBtnShadow));
}

TEST(RzCommonArrow, DirectionArrowsPointTheWayAsked) {
  struct Case {
    TArrowDirection Dir;
    Integer Look;
  } cases[] = {{adUp, 0}, {adDown, 0}, {adLeft, 0}, {adRight, 0}, {adUp, 1}, {adDown, 1}, {adLeft, 1}, {adRight, 1}};
  for (const Case& k : cases) {
    auto b = NewBitmap(21, 21, clWhite);
    PaintDirectionArrow(b->Canvas(), Rect(0, 0, 21, 21), k.Look, k.Dir, false, false);
    TInk ink = InkOf(b.get(), 0xFFFFFF);
    ASSERT_GT(ink.Count, 3) << k.Dir << "/" << k.Look;
    // Count the ink on each side of the arrow's middle: the point is the thin side.
    Integer mx = (ink.MinX + ink.MaxX) / 2, my = (ink.MinY + ink.MaxY) / 2;
    Integer left = 0, right = 0, top = 0, bottom = 0;
    for (Integer y = ink.MinY; y <= ink.MaxY; ++y)
      for (Integer x = ink.MinX; x <= ink.MaxX; ++x)
        if (PxRgb(b.get(), x, y) != 0xFFFFFF) {
          if (x < mx) ++left;
          if (x > mx) ++right;
          if (y < my) ++top;
          if (y > my) ++bottom;
        }
    std::string what = "dir " + std::to_string(k.Dir) + " look " + std::to_string(k.Look);
    switch (k.Dir) {
      case adUp: EXPECT_LT(top, bottom) << what; break;
      case adDown: EXPECT_GT(top, bottom) << what; break;
      case adLeft: EXPECT_LT(left, right) << what; break;
      case adRight: EXPECT_GT(left, right) << what; break;
    }
  }
}

TEST(RzCommonArrow, ThemedArrowTakesAColourThatShowsOnTheWindow) {
  auto b = NewBitmap(17, 21, clWhite);
  PaintDropArrow(b->Canvas(), Rect(0, 0, 17, 21), 1, false, true);
  TInk ink = InkOf(b.get(), 0xFFFFFF);
  ASSERT_GT(ink.Count, 10);
  EXPECT_FALSE(ColorsHardToTell(ink.Color, clWindow)) << std::hex << ink.Color;
  // Six points: a chevron whose notch leaves the middle column open below the tip.
  EXPECT_LE(ink.MaxY - ink.MinY, 8);
}

// ---------------------------------------------------------------------------
TEST(RzCommonFont, AngledFontAndMetrics) {
  TFont f;
  f.SetName("Tahoma");
  f.SetHeight(-13);
  f.SetStyle(TFontStyles{fsBold, fsItalic});
  HFONT h = CreateAngledFont(&f, 90);
  ASSERT_NE(h, nullptr);
  LOGFONTW lf{};
  ASSERT_EQ(::GetObjectW(h, sizeof lf, &lf), static_cast<int>(sizeof lf));
  ::DeleteObject(h);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(lf.lfOrientation, 0);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfItalic, 1);
  EXPECT_EQ(lf.lfUnderline, 0);
  EXPECT_EQ(lf.lfHeight, -13);
  EXPECT_EQ(std::wstring(lf.lfFaceName), L"Tahoma");

  EXPECT_TRUE(FontIsTrueType(&f));
  TFont raster;
  raster.SetName("MS Sans Serif");
  EXPECT_FALSE(FontIsTrueType(&raster));

  TEXTMETRICW tm{};
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, f.Handle());
  ::GetTextMetricsW(dc, &tm);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  EXPECT_EQ(FontLineHeight(&f), tm.tmHeight + 2);
}

// ---------------------------------------------------------------------------
// A sheet of every frame style, system and tinted, for a person to look at.
TEST(RzCommonSheet, FrameStylesSheet) {
  rzpix::TSheet sheet(60, 30, 11, 33);
  const TColor tint = RGB(120, 170, 220);
  for (Integer s = fsNone; s <= fsFlatBold; ++s) {
    auto b = NewBitmap(60, 30, clBtnFace);
    PaintStyledFrame(b->Canvas(), Rect(0, 0, 60, 30), static_cast<TFrameStyle>(s));
    sheet.Put(s, std::to_string(s), b.get());
    auto t = NewBitmap(60, 30, tint);
    PaintTintedStyledFrame(t->Canvas(), Rect(0, 0, 60, 30), tint, sdAllSides, static_cast<TFrameStyle>(s));
    sheet.Put(11 + s, "t" + std::to_string(s), t.get());
    auto l = NewBitmap(60, 30, clBtnFace);
    PaintLayeredBorders(l->Canvas(), Rect(0, 0, 60, 30), static_cast<TFrameStyleEx>(s + 1), false, clBtnFace,
                        clBtnFace, 0, clBtnShadow, clBtnShadow, clBtnHighlight, clBtnFace, 1,
                        TSides{sdLeft, sdTop, sdBottom}, 1, fsNone);
    sheet.Put(22 + s, "L" + std::to_string(s + 1), l.get());
  }
  EXPECT_TRUE(sheet.Save("rzcommon_frames.png"));
}
