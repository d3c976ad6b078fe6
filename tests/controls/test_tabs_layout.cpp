// Tab control model and layout: tab rectangles in the window for every side,
// direction and shape; sizes from captions; rows and the selected row moving
// next to the card; the scrolled strip with its scroller and close button;
// hit testing at tab edges; the card and page rectangles; the region cache.
#include <gtest/gtest.h>

#include <memory>

#include "controls/RzTabs.h"
#include "platform/Forms.h"
#include "tests/support/ui.h"

namespace {

std::string Show(const TRect& R) {
  return "(" + std::to_string(R.Left) + "," + std::to_string(R.Top) + "," + std::to_string(R.Right) + "," +
         std::to_string(R.Bottom) + ")";
}

struct TabsLayoutTest : ::testing::Test {
  std::unique_ptr<TForm> form{testui::NewForm(400, 300)};
  TRzCustomTabControl* tabs = nullptr;
  void SetUp() override {
    tabs = new TRzCustomTabControl(form.get());
    tabs->SetParent(form.get());
    tabs->SetBounds(0, 0, 300, 100);
  }
  // N tabs of a fixed size: Length along the strip, 20 across it.
  void AddFixed(Integer N, Integer Length = 60) {
    bool side = tabs->TabOrientation() == toLeft || tabs->TabOrientation() == toRight;
    tabs->SetTabWidth(side ? 20 : Length);
    tabs->SetTabHeight(side ? Length : 20);
    for (Integer i = 0; i < N; ++i) tabs->AddTab("Tab " + std::to_string(i));
  }
  TRect ClientTab(Integer I) { return tabs->TabRectToClient(tabs->TabRect(I)); }
};

// Three 60 x 20 tabs on a 300 x 200 control (strip 297 long on top, where
// the shadow takes 2 pixels).
struct TPlacementCase {
  TRzTabOrientation Side;
  TRzTabSequence Sequence;
  TRzTabStyle Style;
  TRect Tab0, Tab1;
};

TEST_F(TabsLayoutTest, TabRectanglesPerSideDirectionAndShape) {
  const TPlacementCase cases[] = {
      // single slant: tabs overlap by half their thickness (10)
      {toTop, tsStandard, tsSingleSlant, Rect(0, 0, 60, 20), Rect(51, 0, 111, 20)},
      {toBottom, tsStandard, tsSingleSlant, Rect(0, 179, 60, 199), Rect(51, 179, 111, 199)},
      {toLeft, tsStandard, tsSingleSlant, Rect(0, 139, 20, 199), Rect(0, 88, 20, 148)},
      {toRight, tsStandard, tsSingleSlant, Rect(279, 0, 299, 60), Rect(279, 51, 299, 111)},
      // reverse: the first tab sits at the far end of the strip
      {toTop, tsReverse, tsSingleSlant, Rect(237, 0, 297, 20), Rect(186, 0, 246, 20)},
      {toBottom, tsReverse, tsSingleSlant, Rect(239, 179, 299, 199), Rect(188, 179, 248, 199)},
      {toLeft, tsReverse, tsSingleSlant, Rect(0, 0, 20, 60), Rect(0, 51, 20, 111)},
      {toRight, tsReverse, tsSingleSlant, Rect(279, 139, 299, 199), Rect(279, 88, 299, 148)},
      // double slant overlaps by the full thickness
      {toTop, tsStandard, tsDoubleSlant, Rect(0, 0, 60, 20), Rect(41, 0, 101, 20)},
      // cut corners stand one pixel apart
      {toTop, tsStandard, tsCutCorner, Rect(0, 0, 60, 20), Rect(62, 0, 122, 20)},
      {toBottom, tsReverse, tsCutCorner, Rect(239, 179, 299, 199), Rect(177, 179, 237, 199)},
      // round corners: 3 more pixels of strip, 2 of view margin
      {toTop, tsStandard, tsRoundCorners, Rect(2, 3, 62, 23), Rect(64, 3, 124, 23)},
      {toRight, tsStandard, tsRoundCorners, Rect(276, 2, 296, 62), Rect(276, 64, 296, 124)},
  };
  for (const TPlacementCase& c : cases) {
    SetUp();
    tabs->SetBounds(0, 0, 300, 200);
    tabs->SetTabOrientation(c.Side);
    tabs->SetTabSequence(c.Sequence);
    tabs->SetTabStyle(c.Style);
    AddFixed(3);
    tabs->UpdateLayout();
    SCOPED_TRACE(std::to_string(c.Side) + "/" + std::to_string(c.Sequence) + "/" + std::to_string(c.Style));
    EXPECT_EQ(tabs->FixedDimension(), 20);
    EXPECT_EQ(Show(ClientTab(0)), Show(c.Tab0));
    EXPECT_EQ(Show(ClientTab(1)), Show(c.Tab1));
    EXPECT_FALSE(tabs->ScrollerNeeded());
  }
}

TEST_F(TabsLayoutTest, RoundSelectedTabGrowsAtBothEndsAndOutward) {
  tabs->SetTabStyle(tsRoundCorners);
  AddFixed(3);
  tabs->SetTabIndex(1);
  tabs->UpdateLayout();
  EXPECT_EQ(Show(ClientTab(1)), Show(Rect(62, 1, 126, 23)));
  EXPECT_EQ(Show(ClientTab(0)), Show(Rect(2, 3, 62, 23)));
}

// The tab's size grows with its caption by the shape's fixed additions.
TEST_F(TabsLayoutTest, TabSizeFromCaptionPerShape) {
  struct TCase {
    TRzTabStyle Style;
    TOrientation Text;
    // width = caption width + Extra(thickness), thickness = content height + Across
    Integer Across;
    std::function<Integer(Integer)> Extra;
  } cases[] = {
      {tsSingleSlant, orHorizontal, 6, [](Integer T) { return 6 + 2 * (T / 2); }},
      {tsDoubleSlant, orHorizontal, 6, [](Integer T) { return 2 * (T - 6) + 10; }},
      {tsCutCorner, orHorizontal, 7, [](Integer) { return 2 * 6 + 8; }},
      {tsRoundCorners, orHorizontal, 6, [](Integer) { return 16; }},
  };
  for (const auto& c : cases) {
    SetUp();
    tabs->Font()->SetName("Tahoma");
    tabs->Font()->SetHeight(-11);
    tabs->SetTabStyle(c.Style);
    tabs->SetTextOrientation(c.Text);
    tabs->AddTab("Wide caption here");
    tabs->AddTab("&Short");
    tabs->UpdateLayout();
    SCOPED_TRACE(std::to_string(c.Style));
    TBitmap b;
    b.SetSize(1, 1);
    b.Canvas()->Font()->Assign(tabs->Font());
    Integer wide = b.Canvas()->TextWidth("Wide caption here"), narrow = b.Canvas()->TextWidth("Short");
    Integer textH = b.Canvas()->TextHeight("Short");
    Integer t = tabs->FixedDimension();
    EXPECT_EQ(t, std::max<Integer>(textH, 11) + c.Across);
    TRect r0 = tabs->Tabs()->Items(0)->TabRect, r1 = tabs->Tabs()->Items(1)->TabRect;
    // ImageMargin (2) counts even without an image
    EXPECT_EQ(r0.Right - r0.Left, 2 + wide + c.Extra(t));
    // the accelerator mark takes no room
    EXPECT_EQ(r1.Right - r1.Left, 2 + narrow + c.Extra(t));
  }
}

TEST_F(TabsLayoutTest, MultiLineRowsAndSelectedRowMovesNextToTheCard) {
  tabs->SetMultiLine(true);
  AddFixed(10);
  tabs->UpdateLayout();
  ASSERT_EQ(tabs->RowCount(), 2);
  EXPECT_EQ(tabs->StripThickness(), 35);  // 20 + (20 - RowOverlap 5)
  for (Integer i = 0; i < 10; ++i) EXPECT_EQ(tabs->Tabs()->Items(i)->Row, i < 5 ? 0 : 1) << i;
  // back row: one row indent along, one row (less the overlap) outward
  EXPECT_EQ(Show(ClientTab(0)), Show(Rect(0, 15, 60, 35)));
  EXPECT_EQ(Show(ClientTab(5)), Show(Rect(5, 0, 65, 20)));
  EXPECT_EQ(Show(tabs->CardRect(0)), Show(Rect(0, 35, 294, 99)));
  EXPECT_EQ(Show(tabs->CardRect(1)), Show(Rect(5, 20, 299, 84)));

  TRect before7 = tabs->Tabs()->Items(7)->TabRect;
  tabs->SetTabIndex(7);
  tabs->UpdateLayout();
  EXPECT_EQ(tabs->Tabs()->Items(7)->Row, 0);
  EXPECT_EQ(tabs->Tabs()->Items(0)->Row, 1);
  EXPECT_EQ(tabs->Tabs()->Items(7)->TabRect.Left, before7.Left);  // x is kept
  EXPECT_EQ(Show(ClientTab(7)), Show(Rect(102, 15, 162, 35)));
  EXPECT_EQ(Show(ClientTab(0)), Show(Rect(5, 0, 65, 20)));
}

TEST_F(TabsLayoutTest, MultiLineLongTabTakesARowAloneClippedToTheStrip) {
  tabs->SetMultiLine(true);
  tabs->SetTabHeight(20);
  tabs->AddTab("a");
  tabs->AddTab("b");
  tabs->AddTab("c");
  tabs->SetTabWidth(60);
  tabs->UpdateLayout();
  ASSERT_EQ(tabs->RowCount(), 1);
  // A tab as long as the strip: its own row, clipped to the room there is.
  tabs->SetTabWidth(400);
  tabs->UpdateLayout();
  EXPECT_EQ(tabs->RowCount(), 3);
  Integer D = 297 - 2 * 5;
  for (Integer i = 0; i < 3; ++i) {
    TRect r = tabs->Tabs()->Items(i)->TabRect;
    EXPECT_EQ(tabs->Tabs()->Items(i)->Row, i);
    EXPECT_EQ(r.Left, 0);
    EXPECT_EQ(r.Right, D) << i;
  }
}

TEST_F(TabsLayoutTest, AlignTabsStretchesEachRowToTheStrip) {
  tabs->SetMultiLine(true);
  tabs->SetAlignTabs(true);
  tabs->SetTabHeight(20);
  for (Integer i = 0; i < 7; ++i) tabs->AddTab(i < 3 ? "A much longer caption of a tab" : "x");
  tabs->UpdateLayout();
  ASSERT_GE(tabs->RowCount(), 2);
  Integer L = 297 - (tabs->RowCount() - 1) * 5;
  for (Integer row = 0; row < tabs->RowCount(); ++row) {
    Integer first = -1, last = -1;
    for (Integer i = 0; i < 7; ++i) {
      if (tabs->Tabs()->Items(i)->Row != row) continue;
      if (first < 0) first = i;
      last = i;
    }
    ASSERT_GE(first, 0);
    EXPECT_EQ(tabs->Tabs()->Items(last)->TabRect.Right - tabs->Tabs()->Items(first)->TabRect.Left, L) << row;
  }
}

TEST_F(TabsLayoutTest, ScrolledStripShowsOnlyWholeTabsBeforeScrollerAndCloseButton) {
  AddFixed(10);
  tabs->UpdateLayout();
  ASSERT_TRUE(tabs->ScrollerNeeded());
  TRect sc = tabs->ScrollerRect();
  Integer s = tabs->ScrollButtonSize();
  EXPECT_EQ(sc.Right - sc.Left, 2 * s - 1);
  EXPECT_EQ(sc.Right, 297 - 2 + 1);  // at the strip's end, inside the shadow
  Integer lastShown = -1;
  for (Integer i = 0; i < 10; ++i)
    if (tabs->IsTabShown(i)) lastShown = i;
  ASSERT_GE(lastShown, 2);
  EXPECT_LE(ClientTab(lastShown).Right, sc.Left);
  EXPECT_FALSE(tabs->IsTabShown(lastShown + 1));

  // Scrolled on: the first shown tab starts the strip, earlier ones are hidden.
  tabs->SetFirstShownTab(3);
  EXPECT_EQ(ClientTab(3).Left, 0);
  EXPECT_FALSE(tabs->IsTabShown(2));
  EXPECT_TRUE(tabs->IsTabShown(3));

  // The close button takes the strip's end; the scroller moves before it.
  tabs->SetShowCloseButton(true);
  tabs->UpdateLayout();
  TRect cb = tabs->CloseButtonRect(), sc2 = tabs->ScrollerRect();
  EXPECT_EQ(cb.Right - cb.Left, s);
  EXPECT_EQ(cb.Left, 297 - s - 1);
  EXPECT_EQ(sc2.Right, cb.Left - 2);
  for (Integer i = 0; i < 10; ++i) {
    if (tabs->IsTabShown(i)) {
      EXPECT_LE(ClientTab(i).Right, sc2.Left) << i;
    }
  }

  // Reverse: scroller and close button go to the far (left) end.
  tabs->SetTabSequence(tsReverse);
  tabs->UpdateLayout();
  EXPECT_EQ(tabs->CloseButtonRect().Left, 0);
  EXPECT_EQ(tabs->ScrollerRect().Left, s + 2);
}

TEST_F(TabsLayoutTest, ScrollerWaitsOutsideWhenNotNeeded) {
  AddFixed(2);
  tabs->UpdateLayout();
  EXPECT_FALSE(tabs->ScrollerNeeded());
  TRect sc = tabs->ScrollerRect();
  EXPECT_LT(sc.Right, 0);
  EXPECT_LT(sc.Bottom, 0);
  EXPECT_EQ(tabs->CloseButtonSize(), 0);
}

TEST_F(TabsLayoutTest, HitTestingAtTabEdges) {
  AddFixed(3);  // single slant: tab 0 (0,0)-(60,20) with its slant from (40,0) to (60,20)
  struct TCase {
    Integer Selected, X, Y, Expect;
  } cases[] = {
      {-1, 1, 10, 0},   // left edge of the first tab
      {-1, 0, 0, -1},   // the cut top-left corner
      {-1, 55, 18, 0},  // where two tabs overlap the earlier one lies on top
      {1, 55, 18, 1},   // ...unless the later one is selected
      {-1, 59, 18, 1},  // past the first tab's slant
      {-1, 50, 2, -1},  // between two slants at the top
      {-1, 162, 10, -1},
      {-1, 30, 25, -1},  // in the card
  };
  for (const TCase& c : cases) {
    tabs->SetTabIndex(c.Selected);
    EXPECT_EQ(tabs->TabAtPos(c.X, c.Y), c.Expect) << c.X << "," << c.Y << " selected " << c.Selected;
  }
}

TEST_F(TabsLayoutTest, HitTestingOnTheCloseButtonFindsNoTab) {
  AddFixed(10);
  tabs->SetShowCloseButton(true);
  tabs->UpdateLayout();
  TRect cb = tabs->CloseButtonRect();
  ASSERT_GT(cb.Right, cb.Left);
  Integer cx = (cb.Left + cb.Right) / 2, cy = (cb.Top + cb.Bottom) / 2;
  EXPECT_EQ(tabs->TabAtPos(cx, cy), -1);
  EXPECT_EQ(tabs->TabAtPos(cb.Left, cb.Top), -1);
}

TEST_F(TabsLayoutTest, CardAndPageRectangles) {
  // No tabs: the card is the client area, the page is inside the frame and shadow.
  tabs->UpdateLayout();
  EXPECT_EQ(Show(tabs->CardRect(0)), Show(Rect(0, 0, 299, 99)));
  EXPECT_EQ(Show(tabs->PageRect()), Show(Rect(1, 1, 297, 97)));
  EXPECT_EQ(tabs->CloseButtonSize(), 0);

  AddFixed(2);
  tabs->UpdateLayout();
  EXPECT_EQ(Show(tabs->CardRect(0)), Show(Rect(0, 20, 299, 99)));
  EXPECT_EQ(Show(tabs->PageRect()), Show(Rect(1, 21, 297, 97)));
  tabs->SetShowFullFrame(false);  // also takes the shadow away
  EXPECT_FALSE(tabs->ShowShadow());
  EXPECT_EQ(Show(tabs->PageRect()), Show(Rect(0, 21, 300, 100)));
  tabs->SetShowShadow(true);
  EXPECT_TRUE(tabs->ShowFullFrame());
  tabs->SetShowCardFrame(false);
  EXPECT_EQ(Show(tabs->PageRect()), Show(Rect(0, 20, 300, 100)));

  tabs->SetShowCardFrame(true);
  tabs->SetTabOrientation(toLeft);
  AddFixed(0);
  tabs->UpdateLayout();
  EXPECT_EQ(Show(tabs->CardRect(0)), Show(Rect(20, 0, 299, 99)));
  EXPECT_EQ(Show(tabs->PageRect()), Show(Rect(21, 1, 299, 99)));

  // Children are aligned in the page rectangle.
  auto* child = new TCustomControl(form.get());
  child->SetParent(tabs);
  child->SetAlign(alClient);
  tabs->UpdateLayout();
  EXPECT_EQ(child->Left(), 21);
  EXPECT_EQ(child->Top(), 1);
}

TEST_F(TabsLayoutTest, SelectionSkipsHiddenAndDisabledTabsAtLayout) {
  AddFixed(4);
  tabs->SetTabIndex(1);
  tabs->Tabs()->Items(1)->Visible = false;
  tabs->Tabs()->Items(2)->Enabled = false;
  tabs->RequestLayout();
  tabs->UpdateLayout();
  EXPECT_EQ(tabs->TabIndex(), 3);
  // nothing selectable after it: back to the nearest one before
  tabs->Tabs()->Items(3)->Visible = false;
  tabs->RequestLayout();
  tabs->UpdateLayout();
  EXPECT_EQ(tabs->TabIndex(), 0);
  // a refusing OnChanging is asked for new targets; the current tab is taken as is
  Integer asked = 0;
  tabs->OnChanging = [&](TObject*, Integer, bool& Allow) {
    ++asked;
    Allow = false;
  };
  tabs->RequestLayout();
  tabs->UpdateLayout();
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_EQ(asked, 0);
  // A disabled tab is refused without asking; an enabled one is asked.
  tabs->SetTabIndex(2);
  EXPECT_EQ(asked, 0);
  tabs->Tabs()->Items(2)->Enabled = true;
  tabs->SetTabIndex(2);
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_EQ(asked, 1);
}

TEST_F(TabsLayoutTest, WritersIgnoreNegativeAndUnchangedValues) {
  tabs->UpdateLayout();
  tabs->SetMargin(-3);
  EXPECT_EQ(tabs->Margin(), 0);
  EXPECT_FALSE(tabs->LayoutDirty());
  tabs->SetRowIndent(5);
  EXPECT_FALSE(tabs->LayoutDirty());
  tabs->SetRowIndent(7);
  EXPECT_TRUE(tabs->LayoutDirty());
  tabs->UpdateLayout();
  tabs->SetCutCornerSize(9);  // only lays out for cut corners
  EXPECT_FALSE(tabs->LayoutDirty());
  tabs->SetAlignTabs(true);  // only lays out when multi-line
  EXPECT_FALSE(tabs->LayoutDirty());
  tabs->SetRegionCacheCapacity(0);
  tabs->SetRegionCacheCapacity(-2);
  EXPECT_EQ(tabs->RegionCacheCapacity(), 1);
  tabs->SetRegionCacheCapacity(-1);
  EXPECT_EQ(tabs->RegionCacheCapacity(), -1);
}

TEST(TabsRegionCache, KeepsMostRecentWithinCapacity) {
  TRzTabRegionCache cache(2);
  auto rgn = [] { return ::CreateRectRgn(0, 0, 4, 4); };
  TRect a = Rect(0, 0, 10, 10), b = Rect(1, 1, 10, 10), c = Rect(2, 2, 10, 10);
  HRGN ra = rgn(), rb = rgn();
  cache.StoreRegion(a, ra);
  cache.StoreRegion(b, rb);
  EXPECT_EQ(cache.LookupRegion(a), ra);
  cache.StoreRegion(a, ra);  // to the front again, nothing added
  EXPECT_EQ(cache.Count(), 2);
  cache.StoreRegion(c, rgn());  // drops the least recent: b
  EXPECT_EQ(cache.LookupRegion(b), nullptr);
  EXPECT_EQ(cache.LookupRegion(a), ra);
  EXPECT_NE(cache.LookupRegion(c), nullptr);
  // only exact rectangles match
  EXPECT_EQ(cache.LookupRegion(Rect(0, 0, 10, 11)), nullptr);

  for (Integer bad : {0, -2}) {
    try {
      cache.ChangeCapacity(bad);
      ADD_FAILURE() << bad;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "Capacity must be -1 (to cache all regions) or > 0");
    }
  }
  cache.ChangeCapacity(1);
  EXPECT_EQ(cache.Count(), 1);
  EXPECT_EQ(cache.LookupRegion(a), nullptr);  // freed from the end
  EXPECT_NE(cache.LookupRegion(c), nullptr);
  cache.ChangeCapacity(-1);
  for (Integer i = 0; i < 5; ++i) cache.StoreRegion(Rect(i, 5, 20, 20), rgn());
  EXPECT_EQ(cache.Count(), 6);
  cache.ClearRegions();
  EXPECT_EQ(cache.Count(), 0);
}

TEST(TabsModel, AssignCopiesSettingsButNotPlace) {
  TRzTabData a;
  a.Caption = "One";
  a.Color = clRed;
  a.DisabledIndex = 3;
  a.Enabled = false;
  a.Hint = "h";
  a.ImageIndex = 2;
  a.Visible = false;
  a.TabRect = Rect(1, 2, 3, 4);
  a.Row = 2;
  TRzTabData b;
  b.Assign(&a);
  EXPECT_EQ(b.Caption, "One");
  EXPECT_EQ(b.Color, clRed);
  EXPECT_EQ(b.DisabledIndex, 3);
  EXPECT_FALSE(b.Enabled);
  EXPECT_EQ(b.Hint, "h");
  EXPECT_EQ(b.ImageIndex, 2);
  EXPECT_FALSE(b.Visible);
  EXPECT_EQ(b.Row, 0);
  EXPECT_EQ(b.TabRect.Right, 0);

  auto copyOf = [](TRzTabData* From) {
    auto* t = new TRzTabData;
    t->Assign(From);
    return t;
  };
  TRzTabDataList list, copy;
  list.Add(copyOf(&a));
  list.Add(new TRzTabData);
  copy.Add(new TRzTabData);
  copy.Assign(&list);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_NE(copy.Items(0), list.Items(0));  // fresh records
  EXPECT_EQ(copy.Items(0)->Caption, "One");
  copy.SetItems(1, copyOf(&a));
  EXPECT_EQ(copy.Items(1)->Caption, "One");
}

}  // namespace
