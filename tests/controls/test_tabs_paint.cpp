// Tab control painting on a shown form, classic and with the light visual
// style: one sheet per strip side with the four shapes (saved in the build
// folder), and in every picture the selected tab joining the card, the
// highlight bar at the selected tab's outer edge, the unselected tabs' ramp
// from the card side outward, and a closed card line when nothing is selected.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "controls/RzTabs.h"
#include "platform/Forms.h"
#include "tests/controls/shots.h"
#include "tests/controls/theme_look.h"
#include "tests/support/ui.h"

namespace {

constexpr TColor kBar = static_cast<TColor>(0xE0A010);
constexpr TColor kShadow = static_cast<TColor>(0x505050);
constexpr TColor kLight = static_cast<TColor>(0xFFFFFF);
constexpr TColor kFace = static_cast<TColor>(0xC8D8E8);
constexpr TColor kFlat = static_cast<TColor>(0x203080);

Integer Luma(TColor C) { return (C & 0xFF) + ((C >> 8) & 0xFF) + ((C >> 16) & 0xFF); }

const char* SideName(TRzTabOrientation O) {
  static const char* names[] = {"top", "left", "bottom", "right"};
  return names[O];
}
const char* StyleName(TRzTabStyle S) {
  static const char* names[] = {"single slant", "double slant", "cut corner", "round corners"};
  return names[S];
}

class TabsPaintTest : public ThemeLookTest {
 protected:
  std::unique_ptr<TForm> form{testui::NewForm(340, 340)};
  TRzCustomTabControl* NewTabs(TRzTabOrientation Side, TRzTabStyle Style, Integer Selected) {
    auto* t = new TRzCustomTabControl(form.get());
    t->SetParent(form.get());
    // Side strips get the length three double-slant tabs need without scrolling.
    bool side = Side == toLeft || Side == toRight;
    t->SetBounds(10, 10, side ? 220 : 300, side ? 300 : 180);
    t->Font()->SetName("Tahoma");
    t->Font()->SetHeight(-11);
    t->SetColor(kFace);
    t->SetFlatColor(kFlat);
    t->TabColors()->SetHighlightBar(kBar);
    t->TabColors()->SetShadow(kShadow);
    t->TabColors()->SetUnselected(kLight);
    t->SetTabOrientation(Side);
    t->SetTabStyle(Style);
    for (const char* c : {"First", "&Second", "Third"}) t->AddTab(c);
    t->SetTabIndex(Selected);
    return t;
  }
  // Pixel of a strip point of the control in its picture.
  TColor At(TRzCustomTabControl* T, TBitmap* B, Integer X, Integer Y) {
    TPoint p = T->TabToClient(Point(X, Y));
    return testshots::Px(B, p.X, p.Y) & 0xFFFFFF;
  }
  // Middle of tab I's outer edge (the slants and cut corners left out), in strip coordinates.
  Integer OuterMiddle(TRzCustomTabControl* T, Integer I) {
    Integer top = T->TabRect(I).Top, lo = 1 << 20, hi = -(1 << 20);
    for (const TPoint& p : T->TabShapePoints(I)) {
      if (p.Y != top) continue;
      lo = std::min(lo, p.X);
      hi = std::max(hi, p.X);
    }
    return (lo + hi) / 2;
  }
};

TEST_P(TabsPaintTest, SheetsPerSideWithSelectedTabJoinedBarAndRamp) {
  testshots::ShowActive(form.get());
  for (TRzTabOrientation side : {toTop, toLeft, toBottom, toRight}) {
    testshots::TSheet sheet;
    for (TRzTabStyle style : {tsSingleSlant, tsDoubleSlant, tsCutCorner, tsRoundCorners}) {
      SCOPED_TRACE(std::string(SideName(side)) + ", " + StyleName(style));
      TRzCustomTabControl* t = NewTabs(side, style, 1);
      auto shot = testshots::Shot(t);
      sheet.Add(StyleName(style), shot.get());
      TBitmap* b = shot.get();

      TRect sel = t->TabRect(1);  // strip coordinates, Bottom on the card side
      Integer mid = (sel.Left + sel.Right) / 2;
      // The selected tab joins the card: no card line under it, the card's
      // face runs on into the tab.
      EXPECT_EQ(At(t, b, mid, sel.Bottom), kFace);
      EXPECT_EQ(At(t, b, sel.Left + 3, sel.Bottom - 2), kFace);
      // ...while the card line runs on beside the tabs.
      TRect last = t->TabRect(2);
      EXPECT_EQ(At(t, b, last.Right + 12, last.Bottom), kFlat);
      // The highlight bar at the selected tab's outer edge.
      ASSERT_TRUE(t->IsTabShown(2));
      EXPECT_EQ(At(t, b, OuterMiddle(t, 1), sel.Top + 2), kBar);
      // An unselected tab: darker next to the card than at its outer edge.
      TRect first = t->TabRect(0);
      Integer m0 = OuterMiddle(t, 0);
      EXPECT_LT(Luma(At(t, b, m0, first.Bottom - 2)), Luma(At(t, b, m0, first.Top + 2)));
      EXPECT_NE(At(t, b, m0, first.Top + 2), kBar);
      delete t;
    }
    ASSERT_TRUE(sheet.Save(std::string("tabs_") + SideName(side) + "_" + LookName(GetParam()) + ".png"));
  }
}

TEST_P(TabsPaintTest, CardLineClosedWithoutSelection) {
  testshots::ShowActive(form.get());
  TRzCustomTabControl* t = NewTabs(toTop, tsSingleSlant, -1);
  auto shot = testshots::Shot(t);
  TRect r = t->TabRect(1);
  EXPECT_EQ(At(t, shot.get(), (r.Left + r.Right) / 2, r.Bottom), kFlat);
  // no tab carries a bar
  for (Integer i = 0; i < 3; ++i) {
    TRect q = t->TabRect(i);
    EXPECT_NE(At(t, shot.get(), OuterMiddle(t, i), q.Top + 2), kBar) << i;
  }
}

TEST_P(TabsPaintTest, ShadowBlendsOverTheParentAlongRightAndBottom) {
  form->SetColor(static_cast<TColor>(0x80C080));
  testshots::ShowActive(form.get());
  TRzCustomTabControl* t = NewTabs(toTop, tsSingleSlant, 0);
  auto shot = testshots::Shot(t);
  TBitmap* b = shot.get();
  Integer w = t->Width(), h = t->Height();
  // Card edge 2 pixels in, then a darker line (weight 30) and a lighter one
  // (weight 15) over the parent's colour.
  EXPECT_EQ(testshots::Px(b, w - 3, h / 2) & 0xFFFFFF, kFlat);
  TColor dark = MixColors(clBlack, static_cast<TColor>(0x80C080), 30) & 0xFFFFFF;
  TColor light = MixColors(clBlack, static_cast<TColor>(0x80C080), 15) & 0xFFFFFF;
  EXPECT_EQ(testshots::Px(b, w - 2, h / 2) & 0xFFFFFF, dark);
  EXPECT_EQ(testshots::Px(b, w - 1, h / 2) & 0xFFFFFF, light);
  EXPECT_EQ(testshots::Px(b, w / 2, h - 2) & 0xFFFFFF, dark);
  EXPECT_EQ(testshots::Px(b, w / 2, h - 1) & 0xFFFFFF, light);
}

INSTANTIATE_LOOKS(TabsPaintTest);

}  // namespace
