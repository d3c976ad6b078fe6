// Toolbar item layout: single rows that cut off, aligned items, wrapping rows
// centred across, and row breaks that keep begin-group sections together.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bars/dxBar.h"

namespace {
struct Spec {
  Integer w, h;
  bool group = false;
  TdxBarItemAlign align = iaLeft;
  Integer minLen = 0;
};

std::vector<TdxBarLayoutItem> MakeItems(const std::vector<Spec>& Specs) {
  std::vector<TdxBarLayoutItem> items;
  for (const Spec& s : Specs) {
    TdxBarLayoutItem i;
    i.Width = s.w;
    i.Height = s.h;
    i.BeginGroup = s.group;
    i.Align = s.align;
    i.MinLen = s.minLen;
    items.push_back(i);
  }
  return items;
}

std::string Str(const TRect& R) {
  return std::to_string(R.Left) + "," + std::to_string(R.Top) + "," + std::to_string(R.Right) + "," +
         std::to_string(R.Bottom);
}
const TRect kNone{};
}  // namespace

TEST(ToolbarLayoutSingleRow, ItemsAreCutAtTheRowEndAndAlignedItemsTakeTheRest) {
  struct Case {
    const char* name;
    bool vertical;
    Integer maxLen, rowThick;
    std::vector<Spec> items;
    std::vector<TRect> rects;
    bool truncated;
    Integer lastShown;
  } cases[] = {
      {"fits", false, 100, 26, {{23, 22}, {23, 22}}, {Rect(0, 2, 23, 24), Rect(23, 2, 46, 24)}, false, 1},
      {"cut after two", false, 60, 26, {{23, 22}, {23, 22}, {23, 22}},
       {Rect(0, 2, 23, 24), Rect(23, 2, 46, 24), kNone}, false, 1},
      {"first always placed", false, 10, 26, {{23, 22}, {23, 22}}, {Rect(0, 2, 23, 24), kNone}, false, 0},
      {"group separator", false, 100, 22, {{23, 22}, {23, 22, true}}, {Rect(0, 0, 23, 22), Rect(29, 0, 52, 22)},
       false, 1},
      {"separator pushes past end", false, 50, 22, {{23, 22}, {23, 22, true}}, {Rect(0, 0, 23, 22), kNone}, false,
       0},
      {"right aligned cuts the rest", false, 100, 22, {{23, 22}, {23, 22, false, iaRight}, {23, 22}},
       {Rect(0, 0, 23, 22), Rect(77, 0, 100, 22), kNone}, true, 1},
      {"right aligned last", false, 100, 22, {{23, 22}, {23, 22, false, iaRight}},
       {Rect(0, 0, 23, 22), Rect(77, 0, 100, 22)}, false, 1},
      {"centred", false, 100, 22, {{23, 22}, {23, 22, false, iaCenter}},
       {Rect(0, 0, 23, 22), Rect(50, 0, 73, 22)}, false, 1},
      {"client stretches", false, 100, 22, {{23, 22}, {40, 22, false, iaClient, 30}},
       {Rect(0, 0, 23, 22), Rect(23, 0, 100, 22)}, false, 1},
      {"client keeps its minimum", false, 40, 22, {{23, 22}, {16, 22, false, iaClient, 30}},
       {Rect(0, 0, 23, 22), Rect(23, 0, 53, 22)}, false, 1},
      {"vertical", true, 50, 26, {{22, 23}, {22, 23}, {22, 23}}, {Rect(2, 0, 24, 23), Rect(2, 23, 24, 46), kNone},
       false, 1},
      {"vertical bottom aligned", true, 80, 22, {{22, 23}, {22, 23, false, iaRight}},
       {Rect(0, 0, 22, 23), Rect(0, 57, 22, 80)}, false, 1},
  };
  for (const Case& c : cases) {
    auto items = MakeItems(c.items);
    TdxBarLayoutParams p;
    p.Vertical = c.vertical;
    p.MaxLen = c.maxLen;
    p.RowThickness = c.rowThick;
    EXPECT_EQ(dxBarArrangeItems(items, p), c.truncated) << c.name;
    for (size_t i = 0; i < items.size(); ++i) {
      EXPECT_EQ(Str(items[i].Rect), Str(c.rects[i])) << c.name << " item " << i;
      EXPECT_EQ(items[i].Placed, c.rects[i].Width() > 0) << c.name << " item " << i;
      EXPECT_EQ(items[i].LastShown, static_cast<Integer>(i) == c.lastShown) << c.name << " item " << i;
    }
  }
}

TEST(ToolbarLayoutWrapping, RowsStackAcrossAreCentredAndSeparatorsBetweenRowsAddThickness) {
  struct Case {
    const char* name;
    bool vertical;
    Integer maxLen, crossExtent;
    std::vector<Spec> items;
    std::vector<bool> breaks;
    std::vector<TRect> rects;
    std::vector<Integer> rowThick;
  } cases[] = {
      {"overflow wraps", false, 50, 0, {{23, 22}, {23, 22}, {23, 22}}, {false, false, false},
       {Rect(0, 0, 23, 22), Rect(23, 0, 46, 22), Rect(0, 22, 23, 44)}, {22, 22, 22}},
      {"row break and centring", false, 200, 0, {{23, 22}, {40, 30}, {23, 22}}, {false, false, true},
       {Rect(0, 4, 23, 26), Rect(23, 0, 63, 30), Rect(0, 30, 23, 52)}, {30, 30, 22}},
      {"group at row start", false, 200, 0, {{23, 22}, {23, 22, true}}, {false, true},
       {Rect(0, 0, 23, 22), Rect(0, 28, 23, 50)}, {22, 22}},
      {"vertical rows run leftwards", true, 50, 60, {{22, 23}, {22, 23}, {30, 23}}, {false, false, false},
       {Rect(38, 0, 60, 23), Rect(38, 23, 60, 46), Rect(8, 0, 38, 23)}, {22, 22, 30}},
      {"vertical centring moves left", true, 200, 60, {{22, 23}, {30, 23}}, {false, false},
       {Rect(34, 0, 56, 23), Rect(30, 23, 60, 46)}, {30, 30}},
  };
  for (const Case& c : cases) {
    auto items = MakeItems(c.items);
    for (size_t i = 0; i < items.size(); ++i) items[i].RowBreak = c.breaks[i];
    TdxBarLayoutParams p;
    p.Vertical = c.vertical;
    p.Wraps = true;
    p.MaxLen = c.maxLen;
    p.CrossExtent = c.crossExtent;
    EXPECT_FALSE(dxBarArrangeItems(items, p)) << c.name;
    for (size_t i = 0; i < items.size(); ++i) {
      EXPECT_EQ(Str(items[i].Rect), Str(c.rects[i])) << c.name << " item " << i;
      EXPECT_EQ(items[i].RowThickness, c.rowThick[i]) << c.name << " item " << i;
    }
  }
  // A separator inside a row spans the row; one that starts a row is not drawn.
  auto items = MakeItems({{23, 22}, {23, 30, true}, {23, 22, true}});
  items[2].RowBreak = true;
  TdxBarLayoutParams p;
  p.Wraps = true;
  p.MaxLen = 200;
  dxBarArrangeItems(items, p);
  EXPECT_EQ(Str(items[1].SeparatorRect), Str(Rect(23, 0, 29, 30)));
  EXPECT_EQ(items[2].SeparatorRect.Width(), 0);
  EXPECT_EQ(items[2].Rect.Top, 36);
}

TEST(ToolbarLayoutRowBreaks, SectionsMoveWholeAndAfterASplitSectionTheNextStartsARow) {
  struct Case {
    const char* name;
    std::vector<Spec> items;
    Integer limit, along0, across0;
    std::vector<bool> breaks;
    Integer along, across;
  } cases[] = {
      {"plain wrap", {{20, 22}, {20, 22}, {20, 22}, {20, 22}, {20, 22}}, 50, 0, 0,
       {false, false, true, false, true}, 40, 66},
      {"all fit", {{20, 22}, {20, 22}}, 100, 0, 0, {false, false}, 40, 22},
      {"section moves whole", {{20, 22}, {20, 22}, {20, 22, true}, {20, 22}}, 70, 0, 0,
       {false, false, true, false}, 40, 50},
      {"split section then next starts a row", {{20, 22}, {20, 22}, {20, 22}, {20, 22}, {20, 22, true}}, 70, 0, 0,
       {false, false, false, true, true}, 60, 72},
      {"limit raised to the least length", {{20, 22}, {20, 22}, {20, 22}}, 30, 45, 0, {false, false, true}, 45,
       44},
      {"thick rows add up", {{20, 22}, {20, 30}, {20, 26}}, 45, 0, 0, {false, false, true}, 40, 56},
      {"single item", {{20, 22}}, 5, 0, 0, {false}, 20, 22},
  };
  for (const Case& c : cases) {
    auto items = MakeItems(c.items);
    Integer along = c.along0, across = c.across0;
    dxBarCalcRowBreaks(items, false, c.limit, 6, along, across);
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].RowBreak, c.breaks[i]) << c.name << " item " << i;
    EXPECT_EQ(along, c.along) << c.name;
    EXPECT_EQ(across, c.across) << c.name;
  }
  // Vertical bars measure heights along the row; the breaks then lay out.
  auto items = MakeItems({{22, 20}, {22, 20}, {22, 20, true}, {22, 20}});
  Integer along = 0, across = 0;
  dxBarCalcRowBreaks(items, true, 70, 6, along, across);
  EXPECT_TRUE(items[2].RowBreak);
  EXPECT_EQ(along, 40);
  EXPECT_EQ(across, 50);
  TdxBarLayoutParams p;
  p.Vertical = true;
  p.Wraps = true;
  p.MaxLen = 70;
  p.CrossExtent = across;
  dxBarArrangeItems(items, p);
  EXPECT_EQ(Str(items[2].Rect), Str(Rect(0, 0, 22, 20)));
  EXPECT_EQ(Str(items[0].Rect), Str(Rect(28, 0, 50, 20)));
}

TEST(ToolbarLayoutRowBreaks, CaptionButtonsCloseTheLastRowOrTakeARowOfTheirOwn) {
  struct Case {
    const char* name;
    Integer count, limit, areaLen, areaThick;
    Integer along, across;
  } cases[] = {
      {"fit after the items", 2, 100, 50, 18, 90, 22},
      {"too long for the row", 2, 80, 50, 18, 40, 40},
      {"end the last of three rows", 5, 50, 30, 18, 50, 66},
      {"a full last row pushes them down", 4, 50, 30, 18, 40, 62},
      {"no area", 2, 80, 0, 0, 40, 22},
  };
  for (const Case& c : cases) {
    auto items = MakeItems(std::vector<Spec>(static_cast<size_t>(c.count), Spec{20, 22}));
    Integer along = 0, across = 0;
    dxBarCalcRowBreaks(items, false, c.limit, 6, along, across, c.areaLen, c.areaThick);
    EXPECT_EQ(along, c.along) << c.name;
    EXPECT_EQ(across, c.across) << c.name;
  }
}
