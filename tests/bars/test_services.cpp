// Framework services: accelerator stripping, arrow sizes, width clamps,
// colour shading, registries and the mouse-leave fallback.
#include <gtest/gtest.h>

#include "bars/dxBar.h"
#include "tests/support/ui.h"

TEST(BarServicesText, StripAcceleratorsRemovesMarksButKeepsLiteralAndFinalAmpersand) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"Save &As...", "Save As..."}, {"A&&B", "A&B"}, {"Tail&", "Tail&"}, {"&&&x", "&x"},
               {"", ""}, {"&", "&"}, {"No marks", "No marks"}};
  for (const Case& c : cases) EXPECT_EQ(StripAccelerators(c.in), c.out) << c.in;
}

TEST(BarServicesSizes, ArrowSizesAndItemWidthClamps) {
  struct Arrow {
    TRect r;
    bool down;
    Integer n;
  } arrows[] = {{Rect(0, 0, 20, 15), false, 5}, {Rect(0, 0, 20, 16), false, 4}, {Rect(0, 0, 20, 14), false, 3},
                {Rect(0, 0, 20, 12), false, 3}, {Rect(0, 0, 20, 4), false, 3},  {Rect(0, 0, 17, 30), true, 5},
                {Rect(0, 0, 18, 30), true, 4}};
  for (const Arrow& a : arrows)
    EXPECT_EQ(ArrowSize(a.r, a.down), a.n) << a.r.Width() << "x" << a.r.Height() << (a.down ? " down" : " right");
  struct Width {
    Integer in, out;
  } widths[] = {{5, 20}, {1000, 600}, {20, 20}, {600, 600}, {150, 150}, {-3, 20}};
  for (const Width& w : widths) {
    Integer v = w.in;
    ClampItemWidth(v);
    EXPECT_EQ(v, w.out) << w.in;
  }
}

TEST(BarServicesColours, ShadingAddsPerComponentWithinRange) {
  struct Case {
    TColor base;
    Integer r, g, b;
    COLORREF out;
  } cases[] = {{static_cast<TColor>(RGB(192, 192, 192)), -79, -62, -18, RGB(113, 130, 174)},
               {static_cast<TColor>(RGB(0, 0, 0)), -79, -62, -18, RGB(0, 0, 0)},
               {static_cast<TColor>(RGB(250, 10, 128)), 10, -20, 0, RGB(255, 0, 128)},
               {clWhite, 0, 0, 0, RGB(255, 255, 255)}};
  for (const Case& c : cases)
    EXPECT_EQ(static_cast<COLORREF>(ShadeColor(c.base, c.r, c.g, c.b)), c.out) << std::hex << c.base;
  EXPECT_EQ(static_cast<COLORREF>(ShadeSysColor(COLOR_BTNFACE, 0, 0, 0)), GetSysColor(COLOR_BTNFACE));
}

// A right arrow in a 20 x 15 cell: n = 5, its left edge 9 pixels high at x 7
// from y 3, its apex at (11, 7); button text when enabled, shadow when not.
TEST(BarServicesDrawing, ArrowIsATriangleCentredInItsCell) {
  struct Case {
    bool enabled;
    COLORREF colour;
  } cases[] = {{true, GetSysColor(COLOR_BTNTEXT)}, {false, GetSysColor(COLOR_BTNSHADOW)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.enabled ? "enabled" : "disabled");
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(20, 15);
    HDC dc = bmp.Canvas()->Handle();
    RECT all = {0, 0, 20, 15};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawArrow(dc, Rect(0, 0, 20, 15), false, true, false, c.enabled);
    auto px = [&](int x, int y) { return GetPixel(dc, x, y) & 0xFFFFFF; };
    for (auto [x, y] : {std::pair{7, 3}, {7, 11}, {11, 7}, {9, 7}}) EXPECT_EQ(px(x, y), c.colour) << x << "," << y;
    for (auto [x, y] : {std::pair{7, 2}, {7, 12}, {12, 7}, {6, 7}, {10, 4}}) EXPECT_EQ(px(x, y), 0xFFFFFFu) << x << "," << y;
  }
}
