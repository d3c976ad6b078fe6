// The tab control driven by real input on a shown form: hit testing at the
// tab edges and on the close button, clicks and keys with OnChanging able to
// refuse, hot tracking with its timer and tab hints, the scroll arrows, the
// close button, and dragging a tab with its arrow marker.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "controls/RzTabs.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "tests/controls/shots.h"
#include "tests/controls/test_tabs_input.h"
#include "tests/controls/theme_look.h"
#include "tests/support/ui.h"

namespace {

using Log = std::vector<std::string>;
using rzinput::Centre;

struct TabsInputTest : ::testing::Test {
  std::unique_ptr<TForm> form{testui::NewForm(420, 240, 40, 40)};
  TRzCustomTabControl* tabs = nullptr;
  Log log;
  std::set<Integer> refuse;  // tabs OnChanging refuses

  void SetUp() override {
    testshots::ShowActive(form.get());
    tabs = new TRzCustomTabControl(form.get());
    tabs->SetParent(form.get());
    tabs->SetBounds(10, 10, 380, 200);
    tabs->Font()->SetName("Tahoma");
    tabs->Font()->SetHeight(-11);
    tabs->OnChanging = [this](TObject*, Integer i, bool& allow) {
      log.push_back("changing " + std::to_string(i));
      if (refuse.count(i)) allow = false;
    };
    tabs->OnChange = [this](TObject*) { log.push_back("change " + std::to_string(tabs->TabIndex())); };
    tabs->OnTabClick = [this](TObject*) { log.push_back("click " + std::to_string(tabs->TabIndex())); };
  }
  void AddTabs(std::initializer_list<const char*> Captions, Integer Selected) {
    for (const char* c : Captions) tabs->AddTab(c);
    tabs->SetTabIndex(Selected);
    testshots::PaintNow(tabs);
    log.clear();
  }
  TRect Client(Integer I) { return tabs->TabRectToClient(tabs->TabRect(I)); }
};

// ---------------------------------------------------------------------------
// Hit testing.
TEST_F(TabsInputTest, HitTestingFollowsTheOutlinesAndTheDrawingOrder) {
  AddTabs({"One", "Two", "Three"}, 1);
  tabs->SetShowCloseButton(true);
  testshots::PaintNow(tabs);
  TRect t0 = Client(0), t1 = Client(1), t2 = Client(2);
  TRect close = tabs->CloseButtonRect();
  ASSERT_GT(close.Right, close.Left);
  // Single-slant tabs overlap: the right slant of one tab covers the left
  // part of the next one.
  ASSERT_LT(t1.Left, t0.Right);
  struct Case {
    const char* what;
    TPoint at;
    Integer selected, expected;
  } cases[] = {
      {"middle of the first tab", Centre(t0), 1, 0},
      {"middle of the last tab", Centre(t2), 1, 2},
      {"left edge of the first tab", Point(t0.Left, t0.Bottom - 2), 1, 0},
      {"cut top-left corner of the first tab", Point(t0.Left, t0.Top), 1, -1},
      {"bevelled corner's inside", Point(t0.Left + 2, t0.Top + 1), 1, 0},
      {"overlap of tabs 0 and 1, tab 1 selected: the selected tab lies on top", Point(t1.Left + 1, t1.Bottom - 2), 1,
       1},
      {"same point with tab 2 selected: the earlier tab lies on top", Point(t1.Left + 1, t1.Bottom - 2), 2, 0},
      {"the outline's right end is not part of the tab", Point(t2.Right, t2.Bottom), 1, -1},
      {"above the slant of the last tab", Point(t2.Right - 1, t2.Top + 1), 1, -1},
      {"card under the tabs", Point(Centre(t1).X, t1.Bottom + 4), 1, -1},
      {"empty strip after the tabs", Point(t2.Right + 20, Centre(t2).Y), 1, -1},
      {"close button", Centre(close), 1, -1},
  };
  for (const Case& c : cases) {
    tabs->SetTabIndex(c.selected);
    EXPECT_EQ(tabs->TabAtPos(c.at.X, c.at.Y), c.expected) << c.what << " at " << c.at.X << "," << c.at.Y;
  }
}

TEST_F(TabsInputTest, HitTestingMapsEverySide) {
  AddTabs({"One", "Two", "Three"}, 0);
  for (TRzTabOrientation side : {toTop, toLeft, toBottom, toRight})
    for (TRzTabSequence seq : {tsStandard, tsReverse}) {
      tabs->SetTabOrientation(side);
      tabs->SetTabSequence(seq);
      tabs->UpdateLayout();
      for (Integer i = 0; i < 3; ++i) {
        TPoint c = Centre(Client(i));
        EXPECT_EQ(tabs->TabAtPos(c.X, c.Y), i) << "side " << side << " sequence " << seq << " tab " << i;
      }
    }
}

// ---------------------------------------------------------------------------
// Mouse and keys.
TEST_F(TabsInputTest, ClicksSelectTabsAndOnChangingCanRefuse) {
  AddTabs({"One", "Two", "Three", "Four"}, 0);
  tabs->Tabs()->Items(3)->Enabled = false;
  refuse = {2};
  struct Step {
    const char* what;
    Integer tab;
    Integer index;
    Log events;
  } steps[] = {
      {"another tab", 1, 1, {"changing 1", "change 1", "click 1"}},
      {"a refused tab", 2, 1, {"changing 2"}},
      {"a disabled tab", 3, 1, {}},
      {"the selected tab focuses and clicks again", 1, 1, {"click 1"}},
      {"back to the first", 0, 0, {"changing 0", "change 0", "click 0"}},
  };
  for (const Step& s : steps) {
    log.clear();
    TPoint c = Centre(Client(s.tab));
    rzinput::ClickAt(tabs, c.X, c.Y);
    EXPECT_EQ(tabs->TabIndex(), s.index) << s.what;
    EXPECT_EQ(log, s.events) << s.what;
  }
  EXPECT_TRUE(tabs->Focused()) << "clicking the selected tab focuses the control";
}

TEST_F(TabsInputTest, ArrowsHomeAndEndSkipWhatCannotBeSelected) {
  AddTabs({"One", "Two", "Three", "Four", "Five"}, 0);
  tabs->Tabs()->Items(4)->Enabled = false;
  tabs->Tabs()->Items(2)->Visible = false;
  refuse = {1};
  tabs->SetFocus();
  rzinput::Settle();
  ASSERT_TRUE(tabs->Focused());
  struct Step {
    const char* what;
    WORD key;
    TRzTabSequence seq;
    Integer index;
    Log events;
  } steps[] = {
      {"Right passes the refused and the hidden tab", VK_RIGHT, tsStandard, 3,
       {"changing 1", "changing 3", "change 3", "click 3"}},
      {"Right from the last selectable wraps past the disabled tab", VK_RIGHT, tsStandard, 0,
       {"changing 0", "change 0", "click 0"}},
      {"Left wraps backward to the last selectable", VK_LEFT, tsStandard, 3, {"changing 3", "change 3", "click 3"}},
      {"Home asks from the first tab on", VK_HOME, tsStandard, 0, {"changing 0", "change 0", "click 0"}},
      {"End skips the disabled last tab", VK_END, tsStandard, 3, {"changing 3", "change 3", "click 3"}},
      {"Down steps forward like Right", VK_DOWN, tsStandard, 0, {"changing 0", "change 0", "click 0"}},
      {"Left steps forward in a reversed strip", VK_LEFT, tsReverse, 3,
       {"changing 1", "changing 3", "change 3", "click 3"}},
      {"Up steps backward in a standard strip", VK_UP, tsStandard, 0,
       {"changing 1", "changing 0", "change 0", "click 0"}},
      {"other keys do nothing", 'A', tsStandard, 0, {}},
  };
  for (const Step& s : steps) {
    tabs->SetTabSequence(s.seq);
    log.clear();
    rzinput::Chord({s.key});
    EXPECT_EQ(tabs->TabIndex(), s.index) << s.what;
    EXPECT_EQ(log, s.events) << s.what;
  }
  // Everything refused: no step, and no endless search either.
  refuse = {0, 1, 3};
  tabs->SetTabIndex(-1);
  log.clear();
  rzinput::Chord({VK_RIGHT});
  EXPECT_EQ(tabs->TabIndex(), -1);
  EXPECT_EQ(log, (Log{"changing 0", "changing 1", "changing 3"}));
}

TEST_F(TabsInputTest, IndexOutOfRangeDeselectsSilentlyAndAcceleratorsSelect) {
  AddTabs({"&One", "T&wo", "Three"}, 0);
  for (Integer bad : {-1, 3, 7}) {
    tabs->SetTabIndex(0);
    log.clear();
    tabs->SetTabIndex(bad);
    EXPECT_EQ(tabs->TabIndex(), -1) << bad;
    EXPECT_TRUE(log.empty()) << bad;
  }
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  edit->SetBounds(10, 215, 100, 20);
  edit->SetFocus();
  rzinput::Settle();
  log.clear();
  rzinput::Chord({VK_MENU, 'W'});
  EXPECT_EQ(tabs->TabIndex(), 1);
  EXPECT_TRUE(tabs->Focused());
  EXPECT_EQ(log, (Log{"changing 1", "change 1", "click 1"}));
}

// ---------------------------------------------------------------------------
// Hot tracking and hints.
TEST_F(TabsInputTest, HotTabFollowsThePointerAndTheTimerClearsIt) {
  AddTabs({"One", "Two", "Three"}, 0);
  tabs->SetHotTrackColor(static_cast<TColor>(0x00C0FF));
  tabs->SetHotTrackColorType(htctActual);
  tabs->SetTabHints(true);
  tabs->SetHint("control hint");
  tabs->Tabs()->Items(1)->Hint = "second tab";
  auto plain = testshots::Shot(tabs);

  TPoint c = Centre(Client(1));
  rzinput::MoveTo(tabs, c.X, c.Y);
  EXPECT_EQ(tabs->HotTab(), 1);
  EXPECT_TRUE(tabs->HotTimerRunning());
  EXPECT_EQ(tabs->Hint(), "second tab");
  auto hot = testshots::Shot(tabs);
  // The hot bar: the hot colour appears on tab 1 only.
  auto count = [&](TBitmap* B, const TRect& R) {
    Integer n = 0;
    for (Integer y = R.Top; y <= R.Bottom; ++y)
      for (Integer x = R.Left; x <= R.Right; ++x)
        if ((testshots::Px(B, x, y) & 0xFFFFFF) == 0x00C0FF) ++n;
    return n;
  };
  EXPECT_EQ(count(plain.get(), Client(1)), 0);
  EXPECT_GT(count(hot.get(), Client(1)), 5);
  EXPECT_EQ(count(hot.get(), Client(2)), 0);

  // Over the empty part of the strip: no hot tab, and no hint there.
  TRect t2 = Client(2);
  rzinput::MoveTo(tabs, t2.Right + 30, Centre(t2).Y);
  EXPECT_EQ(tabs->HotTab(), -1);
  EXPECT_EQ(tabs->Hint(), "");

  // Back on a tab, then off the control altogether: no mouse move reaches
  // the control, the 60 ms timer sees the pointer gone.
  rzinput::MoveTo(tabs, c.X, c.Y);
  ASSERT_EQ(tabs->HotTab(), 1);
  rzinput::MoveTo(form.get(), 400, 230);
  EXPECT_TRUE(testui::PumpUntil([&] { return tabs->HotTab() == -1; }, 300));
  EXPECT_FALSE(tabs->HotTimerRunning());
  EXPECT_EQ(tabs->Hint(), "control hint") << "the control's own hint comes back";
  auto after = testshots::Shot(tabs);
  EXPECT_EQ(count(after.get(), Client(1)), 0);
}

// ---------------------------------------------------------------------------
// Scrolling.
TEST_F(TabsInputTest, ScrollArrowsMoveTheViewOneTabAtATime) {
  tabs->SetWidth(200);
  AddTabs({"Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot"}, 0);
  ASSERT_TRUE(tabs->ScrollerNeeded());
  TRzTabScroller* sc = tabs->Scroller();
  ASSERT_NE(sc, nullptr);
  ASSERT_TRUE(sc->Visible());
  TRect want = tabs->ScrollerRect();
  EXPECT_EQ(sc->Left(), want.Left);
  EXPECT_EQ(sc->Top(), want.Top);
  EXPECT_EQ(sc->Width(), want.Right - want.Left);
  EXPECT_GE(sc->Left() + sc->Width(), tabs->Width() - 10) << "at the end of the strip";
  Integer w = sc->Width(), h = sc->Height();
  auto right = [&] { rzinput::ClickAt(sc, w * 3 / 4, h / 2); };
  auto left = [&] { rzinput::ClickAt(sc, w / 4, h / 2); };

  left();
  EXPECT_EQ(tabs->FirstShownTab(), 0) << "nothing before the first tab";
  Integer steps = 0;
  while (!tabs->IsTabShown(5) && steps < 10) {
    Integer before = tabs->FirstShownTab();
    right();
    EXPECT_EQ(tabs->FirstShownTab(), before + 1);
    ++steps;
  }
  EXPECT_TRUE(tabs->IsTabShown(5));
  EXPECT_GE(steps, 1);
  Integer end = tabs->FirstShownTab();
  right();
  EXPECT_EQ(tabs->FirstShownTab(), end) << "the last tab is in view";
  left();
  EXPECT_EQ(tabs->FirstShownTab(), end - 1);
  EXPECT_EQ(tabs->TabIndex(), 0) << "scrolling selects nothing";
  // A press that leaves its half before the release scrolls nothing.
  rzinput::MoveTo(sc, w / 4, h / 2);
  rzinput::LeftDown();
  EXPECT_TRUE(sc->Tracking());
  rzinput::MoveTo(sc, w * 3 / 4, h / 2);
  EXPECT_FALSE(sc->Inside());
  rzinput::LeftUp();
  EXPECT_EQ(tabs->FirstShownTab(), end - 1);

  // Selecting a tab out of view brings it in.
  tabs->SetFocus();
  rzinput::Settle();
  rzinput::Chord({VK_END});
  EXPECT_EQ(tabs->TabIndex(), 5);
  EXPECT_TRUE(tabs->IsTabShown(5));
  rzinput::Chord({VK_HOME});
  EXPECT_EQ(tabs->TabIndex(), 0);
  EXPECT_EQ(tabs->FirstShownTab(), 0);

  // A wide control needs no arrows: they move out of sight.
  tabs->SetWidth(400);
  testshots::PaintNow(tabs);
  EXPECT_FALSE(tabs->ScrollerNeeded());
  EXPECT_LT(sc->Left() + sc->Width(), 0);
}

// ---------------------------------------------------------------------------
// Close button.
TEST_F(TabsInputTest, CloseButtonAsksOnCloseOnlyForACompletedClick) {
  AddTabs({"One", "Two"}, 0);
  tabs->SetShowCloseButton(true);
  testshots::PaintNow(tabs);
  TRzTabCloseButton* cb = tabs->CloseButton();
  ASSERT_NE(cb, nullptr);
  ASSERT_TRUE(cb->Visible());
  Integer asked = 0;
  bool allow = false;
  tabs->OnClose = [&](TObject*, bool& a) {
    ++asked;
    a = allow;
  };
  TPoint c = Point(cb->Width() / 2, cb->Height() / 2);

  auto up = testshots::Shot(cb);
  rzinput::MoveTo(cb, c.X, c.Y);
  rzinput::LeftDown();
  auto down = testshots::Shot(cb);
  bool differs = false;
  for (Integer y = 0; y < cb->Height() && !differs; ++y)
    for (Integer x = 0; x < cb->Width() && !differs; ++x)
      differs = testshots::Px(up.get(), x, y) != testshots::Px(down.get(), x, y);
  EXPECT_TRUE(differs) << "the button shows its pressed face";
  rzinput::MoveTo(tabs, 100, 150);  // off the button: the release closes nothing
  rzinput::LeftUp();
  EXPECT_EQ(asked, 0);

  rzinput::ClickAt(cb, c.X, c.Y);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(tabs->Tabs()->Count(), 2) << "the plain tab control has nothing to close";

  tabs->SetTabIndex(-1);
  rzinput::ClickAt(cb, c.X, c.Y);
  EXPECT_EQ(asked, 1) << "nothing selected, nothing to close";
}

// ---------------------------------------------------------------------------
// The look of the scroll arrows and the close button.
class TabsInputButtonsLook : public ThemeLookTest {};

TEST_P(TabsInputButtonsLook, ArrowsGreyOutAtTheEndsAndCloseGreysOutWithoutSelection) {
  std::unique_ptr<TForm> form{testui::NewForm(260, 120, 40, 40)};
  testshots::ShowActive(form.get());
  auto* tabs = new TRzCustomTabControl(form.get());
  tabs->SetParent(form.get());
  tabs->SetBounds(10, 10, 220, 90);
  tabs->Font()->SetName("Tahoma");
  tabs->Font()->SetHeight(-11);
  for (const char* c : {"Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot"}) tabs->AddTab(c);
  tabs->SetTabIndex(0);
  tabs->SetShowCloseButton(true);
  testshots::PaintNow(tabs);
  TRzTabScroller* sc = tabs->Scroller();
  TRzTabCloseButton* cb = tabs->CloseButton();
  ASSERT_TRUE(sc && cb);
  Integer w = sc->Width(), h = sc->Height();
  // Ink of a half: pixels darker than the disabled grey.
  auto ink = [](TBitmap* B, Integer X0, Integer X1, Integer H) {
    Integer n = 0;
    for (Integer y = 2; y < H - 2; ++y)
      for (Integer x = X0; x < X1; ++x) {
        TColor c = testshots::Px(B, x, y);
        if ((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF) < 3 * 0x50) ++n;
      }
    return n;
  };
  testshots::TSheet sheet;
  auto start = testshots::Shot(sc);
  sheet.Add("first tab in view", testshots::Shot(tabs).get());
  Integer leftAtStart = ink(start.get(), 2, w / 2 - 1, h), rightAtStart = ink(start.get(), w / 2 + 2, w - 2, h);
  if (!Themed()) {
    EXPECT_EQ(leftAtStart, 0) << "nothing before the first tab: the left arrow is grey";
    EXPECT_GT(rightAtStart, 0);
  }
  while (!tabs->IsTabShown(5)) tabs->ScrollUpRight();
  auto end = testshots::Shot(sc);
  sheet.Add("last tab in view", testshots::Shot(tabs).get());
  Integer leftAtEnd = ink(end.get(), 2, w / 2 - 1, h), rightAtEnd = ink(end.get(), w / 2 + 2, w - 2, h);
  if (!Themed()) {
    EXPECT_GT(leftAtEnd, 0);
    EXPECT_EQ(rightAtEnd, 0) << "nothing after the last tab: the right arrow is grey";
  } else {
    EXPECT_NE(leftAtStart, leftAtEnd) << "each half greys out at its end";
  }
  auto closeOn = testshots::Shot(cb);
  tabs->SetTabIndex(-1);
  auto closeOff = testshots::Shot(cb);
  sheet.Add("nothing selected", testshots::Shot(tabs).get());
  // Wine's light style draws its small close button alike in every state;
  // the classic button greys out.
  if (!Themed()) {
    EXPECT_GT(ink(closeOn.get(), 2, cb->Width() - 2, cb->Height()),
              ink(closeOff.get(), 2, cb->Width() - 2, cb->Height()))
        << "the close button greys out without a selected tab";
  }
  sheet.NewRow();
  for (auto* b : {start.get(), end.get(), closeOn.get(), closeOff.get()}) sheet.Add("", b);
  EXPECT_TRUE(sheet.Save(std::string("tabs_buttons_") + LookName(GetParam()) + ".png"));
}

INSTANTIATE_LOOKS(TabsInputButtonsLook);

}  // namespace
