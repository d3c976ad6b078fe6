// Gradients, glyphs without their transparent colour and the parent's
// background under a control, checked pixel by pixel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "controls/RzGrafx.h"
#include "platform/Forms.h"
#include "tests/controls/rz_pixels.h"
#include "tests/support/ui.h"

using rzpix::NewBitmap;
using rzpix::PxRgb;
using rzpix::Rgb;

namespace {

constexpr TColor kGrafxBack = 0x030201;

std::unique_ptr<TBitmap> Ramp(Integer W, Integer H, Integer Kind, Byte P, TColor C1, TColor C2) {
  auto b = NewBitmap(W + 4, H + 4, kGrafxBack);
  PaintColorRamp(b->Canvas(), Rect(2, 2, 2 + W, 2 + H), Kind, P, C1, C2);
  return b;
}

// Distance between two colours, the largest channel difference.
Integer Far(TColor A, TColor B) {
  return std::max({std::abs(GetRValue(A) - GetRValue(B)), std::abs(GetGValue(A) - GetGValue(B)),
                   std::abs(GetBValue(A) - GetBValue(B))});
}

}  // namespace

TEST(RzGrafxRamp, VerticalRampFromBottomToTop) {
  // 20 rows red to blue: each row one step of 255/20 per channel.
  auto b = Ramp(30, 20, 2, 1, clRed, clBlue);
  EXPECT_EQ(PxRgb(b.get(), 2, 21), RGB(255, 0, 0));  // bottom row: colour 1
  EXPECT_EQ(PxRgb(b.get(), 2, 2), RGB(12, 0, 242));  // top row: one step short of colour 2
  for (Integer y = 2; y < 22; ++y)
    for (Integer x = 3; x < 32; ++x) ASSERT_EQ(PxRgb(b.get(), x, y), PxRgb(b.get(), 2, y)) << x << "," << y;
  // Nothing outside the rectangle.
  EXPECT_EQ(PxRgb(b.get(), 1, 10), kGrafxBack);
  EXPECT_EQ(PxRgb(b.get(), 32, 10), kGrafxBack);
  EXPECT_EQ(PxRgb(b.get(), 10, 22), kGrafxBack);
  // Colours move monotonically from red to blue.
  for (Integer y = 2; y < 21; ++y) EXPECT_GE(GetBValue(PxRgb(b.get(), 2, y)), GetBValue(PxRgb(b.get(), 2, y + 1)));

  // Equal colours: one flat fill.
  auto flat = Ramp(30, 20, 2, 1, clTeal, clTeal);
  for (Integer y = 2; y < 22; ++y) EXPECT_EQ(PxRgb(flat.get(), 10, y), Rgb(clTeal)) << y;
}

TEST(RzGrafxRamp, HorizontalAndCentreOutRamps) {
  auto h = Ramp(40, 12, 5, 1, clRed, clBlue);
  EXPECT_EQ(PxRgb(h.get(), 41, 5), RGB(255, 0, 0));  // right edge: colour 1
  EXPECT_LE(Far(PxRgb(h.get(), 2, 5), RGB(0, 0, 255)), 255 / 40 + 1);
  for (Integer y = 2; y < 14; ++y)
    for (Integer x = 2; x < 42; ++x) ASSERT_EQ(PxRgb(h.get(), x, y), PxRgb(h.get(), x, 2)) << x << "," << y;

  // Vertical centre-out on 21 rows: colour 1 in the middle row, colour 2 at the bottom edge.
  auto c = Ramp(10, 21, 3, 1, clWhite, clBlack);
  EXPECT_EQ(PxRgb(c.get(), 5, 2 + 10), RGB(255, 255, 255));
  EXPECT_EQ(PxRgb(c.get(), 5, 2 + 20), RGB(0, 0, 0));
  EXPECT_LE(Far(PxRgb(c.get(), 5, 2), RGB(0, 0, 0)), 30);
  for (Integer d = 1; d <= 9; ++d)
    EXPECT_LE(Far(PxRgb(c.get(), 5, 12 - d), PxRgb(c.get(), 5, 12 + d)), 30) << d;

  auto hc = Ramp(31, 10, 6, 1, clWhite, clBlack);
  EXPECT_EQ(PxRgb(hc.get(), 2 + 15, 5), RGB(255, 255, 255));
  EXPECT_EQ(PxRgb(hc.get(), 2 + 30, 5), RGB(0, 0, 0));
}

TEST(RzGrafxRamp, BandParameterSetsTheSmallestBand) {
  struct Case {
    Byte P;
    Integer MinBand;
  } cases[] = {{1, 1}, {4, 4}, {8, 8}, {64, 4}, {200, 2}};
  for (const Case& k : cases) {
    auto b = Ramp(8, 40, 2, k.P, clBlack, clWhite);
    // Runs of equal colour from the bottom up; all but the last (top) are long enough.
    std::vector<Integer> runs;
    TColor cur = PxRgb(b.get(), 4, 41);
    Integer len = 0;
    for (Integer y = 41; y >= 2; --y) {
      TColor c = PxRgb(b.get(), 4, y);
      if (c == cur) {
        ++len;
      } else {
        runs.push_back(len);
        cur = c;
        len = 1;
      }
    }
    runs.push_back(len);
    ASSERT_GT(runs.size(), 1u) << int(k.P);
    for (size_t i = 0; i + 1 < runs.size(); ++i) EXPECT_GE(runs[i], k.MinBand) << "P " << int(k.P) << " run " << i;
  }
}

TEST(RzGrafxRamp, DiagonalAndNestedKindsFillEverything) {
  struct Case {
    Integer Kind;
  } cases[] = {{0}, {1}, {4}, {7}, {8}, {9}};
  std::vector<std::unique_ptr<TBitmap>> pics;
  for (const Case& k : cases) {
    auto b = Ramp(31, 21, k.Kind, 1, clRed, clBlue);
    for (Integer y = 2; y < 23; ++y)
      for (Integer x = 2; x < 33; ++x) {
        TColor c = PxRgb(b.get(), x, y);
        ASSERT_NE(c, kGrafxBack) << "kind " << k.Kind << " at " << x << "," << y;
        ASSERT_EQ(GetGValue(c), 0) << "kind " << k.Kind << " at " << x << "," << y;  // only mixtures of the two colours
      }
    EXPECT_EQ(PxRgb(b.get(), 1, 10), kGrafxBack);
    EXPECT_EQ(PxRgb(b.get(), 33, 10), kGrafxBack);
    pics.push_back(std::move(b));
  }
  // Diagonal: colour 1 at the top-left corner, colour 2 at the bottom-right; mirrored for kind 1.
  EXPECT_LE(Far(PxRgb(pics[0].get(), 2, 2), RGB(255, 0, 0)), 20);
  EXPECT_LE(Far(PxRgb(pics[0].get(), 32, 22), RGB(0, 0, 255)), 20);
  EXPECT_LE(Far(PxRgb(pics[1].get(), 32, 2), RGB(0, 0, 255)), 20);
  EXPECT_LE(Far(PxRgb(pics[1].get(), 2, 22), RGB(255, 0, 0)), 20);
  // Nested rectangles: colour 1 in the centre, colour 2 at the corners, symmetric both ways.
  for (size_t i = 2; i < pics.size(); ++i) {
    TBitmap* b = pics[i].get();
    EXPECT_LE(Far(PxRgb(b, 2 + 15, 2 + 10), RGB(255, 0, 0)), 30) << i;
    EXPECT_LE(Far(PxRgb(b, 2, 2), RGB(0, 0, 255)), 30) << i;
    for (Integer y = 0; y < 21; ++y)
      for (Integer x = 0; x < 31; ++x) {
        ASSERT_EQ(PxRgb(b, 2 + x, 2 + y), PxRgb(b, 2 + 30 - x, 2 + y)) << "kind " << cases[i].Kind << " " << x << "," << y;
        ASSERT_EQ(PxRgb(b, 2 + x, 2 + y), PxRgb(b, 2 + x, 2 + 20 - y)) << "kind " << cases[i].Kind << " " << x << "," << y;
      }
  }
  rzpix::TSheet sheet(40, 30, 5, 10);
  for (Integer k = 0; k < 10; ++k) {
    auto b = NewBitmap(40, 30, clWhite);
    PaintColorRamp(b->Canvas(), Rect(0, 0, 40, 30), k, 1, clNavy, clYellow);
    sheet.Put(k, "kind " + std::to_string(k), b.get());
  }
  EXPECT_TRUE(sheet.Save("rzgrafx_ramps.png"));
}

// ---------------------------------------------------------------------------
TEST(RzGrafxGlyph, TransparentColourLeavesTheCanvasShowing) {
  // An 8 x 8 glyph: fuchsia background, red cross, one blue pixel.
  auto glyph = NewBitmap(8, 8, clFuchsia);
  for (Integer i = 0; i < 8; ++i) {
    glyph->Canvas()->SetPixels(i, i, clRed);
    glyph->Canvas()->SetPixels(7 - i, i, clRed);
  }
  glyph->Canvas()->SetPixels(3, 0, clBlue);
  struct Case {
    TColor Transparent;
    bool FuchsiaShows, RedShows;
  } cases[] = {
      {clFuchsia, false, true},
      {clRed, true, false},
      {clLime, true, true},  // not in the glyph: the whole cell is copied
  };
  for (const Case& c : cases) {
    auto canvas = NewBitmap(8, 8, clGreen);
    DrawBitmapSkippingColor(canvas->Canvas(), glyph.get(), Rect(0, 0, 8, 8), Rect(0, 0, 8, 8), c.Transparent);
    for (Integer y = 0; y < 8; ++y)
      for (Integer x = 0; x < 8; ++x) {
        TColor src = PxRgb(glyph.get(), x, y), got = PxRgb(canvas.get(), x, y);
        bool shows = src == Rgb(clBlue) || (src == Rgb(clRed) ? c.RedShows : c.FuchsiaShows);
        ASSERT_EQ(got, shows ? src : Rgb(clGreen)) << std::hex << c.Transparent << " at " << x << "," << y;
      }
  }
  // A system colour as the transparent colour is resolved first.
  auto face = NewBitmap(4, 4, clBtnFace);
  face->Canvas()->SetPixels(1, 1, clRed);
  auto canvas = NewBitmap(4, 4, clWhite);
  DrawBitmapSkippingColor(canvas->Canvas(), face.get(), Rect(0, 0, 4, 4), Rect(0, 0, 4, 4), clBtnFace);
  EXPECT_EQ(PxRgb(canvas.get(), 0, 0), 0xFFFFFF);
  EXPECT_EQ(PxRgb(canvas.get(), 1, 1), Rgb(clRed));
}

// ---------------------------------------------------------------------------
namespace {

// A parent that paints a pattern telling every pixel's position.
class TPatternPanel : public TCustomControl {
 public:
  explicit TPatternPanel(TComponent* AOwner) : TCustomControl(AOwner) {}
  Integer paints = 0;

 protected:
  void Paint() override {
    ++paints;
    for (Integer y = 0; y < Height(); ++y)
      for (Integer x = 0; x < Width(); ++x) Canvas()->SetPixels(x, y, RGB(x, y, 77));
  }
};

// A windowless child that copies its parent's background and marks its middle.
class TSeeThrough : public TGraphicControl {
 public:
  explicit TSeeThrough(TComponent* AOwner) : TGraphicControl(AOwner) {}

 protected:
  void Paint() override {
    CopyParentBackground(this, Canvas()->Handle(), false);
    Canvas()->SetPixels(Width() / 2, Height() / 2, clWhite);
  }
};

// A plain windowed parent (neither a custom control nor a form).
class TPlainParent : public TWinControl {
 public:
  explicit TPlainParent(TComponent* AOwner) : TWinControl(AOwner) {}
};

}  // namespace

TEST(RzGrafxBackground, ControlShowsWhatTheParentPaintsUnderIt) {
  std::unique_ptr<TForm> form(testui::NewForm(200, 150));
  auto* panel = new TPatternPanel(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(5, 5, 100, 80);
  auto* child = new TPatternPanel(form.get());
  child->SetParent(panel);
  child->SetBounds(10, 20, 30, 30);
  form->Show();

  auto b = NewBitmap(30, 30, kGrafxBack);
  CopyParentBackground(child, b->Canvas()->Handle(), false);
  EXPECT_EQ(PxRgb(b.get(), 0, 0), RGB(10, 20, 77));
  EXPECT_EQ(PxRgb(b.get(), 29, 29), RGB(39, 49, 77));
  EXPECT_EQ(PxRgb(b.get(), 7, 3), RGB(17, 23, 77));

  // Beyond the parent's client area nothing is painted.
  child->SetBounds(80, 60, 30, 30);
  auto c = NewBitmap(30, 30, kGrafxBack);
  CopyParentBackground(child, c->Canvas()->Handle(), false);
  EXPECT_EQ(PxRgb(c.get(), 0, 0), RGB(80, 60, 77));
  EXPECT_EQ(PxRgb(c.get(), 19, 19), RGB(99, 79, 77));
  EXPECT_EQ(PxRgb(c.get(), 20, 5), kGrafxBack);
  EXPECT_EQ(PxRgb(c.get(), 5, 20), kGrafxBack);

  // The device context comes back as it was.
  POINT org;
  ::GetViewportOrgEx(c->Canvas()->Handle(), &org);
  EXPECT_EQ(org.x, 0);
  EXPECT_EQ(org.y, 0);

  // A control without a parent: nothing happens.
  TPatternPanel orphan(nullptr);
  auto d = NewBitmap(5, 5, kGrafxBack);
  CopyParentBackground(&orphan, d->Canvas()->Handle(), true);
  EXPECT_EQ(PxRgb(d.get(), 2, 2), kGrafxBack);
}

TEST(RzGrafxBackground, WindowlessChildCopyingInsideItsParentsPaintEnds) {
  std::unique_ptr<TForm> form(testui::NewForm(200, 150));
  auto* panel = new TPatternPanel(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(0, 0, 120, 100);
  auto* see = new TSeeThrough(form.get());
  see->SetParent(panel);
  see->SetBounds(30, 40, 21, 21);
  form->Show();

  auto b = NewBitmap(120, 100, kGrafxBack);
  panel->PaintTo(b->Canvas()->Handle(), 0, 0);
  EXPECT_EQ(PxRgb(b.get(), 30, 40), RGB(30, 40, 77));
  EXPECT_EQ(PxRgb(b.get(), 40, 50), RGB(255, 255, 255));
  EXPECT_EQ(PxRgb(b.get(), 50, 60), RGB(50, 60, 77));
}

TEST(RzGrafxBackground, InvalidatesOnlyParentsThatDoNotPaintThemselves) {
  std::unique_ptr<TForm> form(testui::NewForm(200, 150));
  auto* plain = new TPlainParent(form.get());
  plain->SetParent(form.get());
  plain->SetBounds(0, 0, 100, 100);
  auto* onPlain = new TPatternPanel(form.get());
  onPlain->SetParent(plain);
  onPlain->SetBounds(5, 5, 20, 20);
  auto* custom = new TPatternPanel(form.get());
  custom->SetParent(form.get());
  custom->SetBounds(100, 0, 100, 100);
  auto* onCustom = new TPatternPanel(form.get());
  onCustom->SetParent(custom);
  onCustom->SetBounds(5, 5, 20, 20);
  form->Show();
  testui::PumpUntil([] { return false; }, 50);

  auto b = NewBitmap(20, 20, kGrafxBack);
  ::ValidateRect(plain->Handle(), nullptr);
  ::ValidateRect(custom->Handle(), nullptr);
  CopyParentBackground(onPlain, b->Canvas()->Handle(), true);
  CopyParentBackground(onCustom, b->Canvas()->Handle(), true);
  RECT r;
  EXPECT_TRUE(::GetUpdateRect(plain->Handle(), &r, FALSE));
  EXPECT_FALSE(::GetUpdateRect(custom->Handle(), &r, FALSE));
}
