// Selecting thumbnails the way a person does: clicks with Shift and Ctrl,
// dragging across cells, and the navigation keys, all through SendInput on a
// shown form.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "imaging/views/ruzozadmview.h"
#include "tests/bars/bar_input.h"
#include "tests/imaging/mview_util.h"

namespace {

using mview::TViewForm;

// 12 entries in a grid of 4 columns on a focused, active form.
struct TGrid : TViewForm {
  explicit TGrid(bool Multi, bool Region) : TViewForm(430, 330) {
    view->SetScrollBars(ssNone);
    view->SetGridWidth(4);
    view->SetEnableMultiSelect(Multi);
    if (Region) view->SetMultiSelectionOptions(TIEMultiSelectionOptions{iemoRegion});
    Fill(12);
    barinput::Activate(form.get());
    view->SetFocus();
    barinput::Settle();
  }
  TPoint CellCentre(Integer I) {
    const TPoint o = view->EntryCellOrigin(I);
    POINT p{o.X - view->ScrollX() + 50, o.Y - view->ScrollY() + 50};
    ::ClientToScreen(view->Handle(), &p);
    return TPoint{p.x, p.y};
  }
  std::vector<Integer> Multi() {
    std::vector<Integer> m;
    for (Integer k = 0; k < view->MultiSelectedCount(); ++k) m.push_back(view->MultiSelectedEntry(k));
    std::sort(m.begin(), m.end());
    return m;
  }
};

enum TMod { mNone, mShift, mCtrl };

void ClickWith(TGrid& G, Integer Entry, TMod Mod) {
  const Word key = Mod == mShift ? VK_SHIFT : VK_CONTROL;
  if (Mod != mNone) {
    barinput::Key(key, false);
    barinput::Settle(15);
  }
  barinput::Click(G.CellCentre(Entry));
  if (Mod != mNone) {
    barinput::Key(key, true);
    barinput::Settle(15);
  }
}

}  // namespace

TEST(MViewSelect, ClicksWithShiftAndCtrl) {
  struct Click {
    Integer entry;
    TMod mod;
  };
  struct Case {
    const char* what;
    bool multi, region;
    std::vector<Click> clicks;
    Integer selected;
    std::vector<Integer> multiList;
  };
  const Case cases[] = {
      {"single: shift only moves", false, false, {{1, mNone}, {6, mShift}}, 6, {}},
      {"range by index", true, false, {{1, mNone}, {6, mShift}}, 6, {1, 2, 3, 4, 5, 6}},
      {"range backwards", true, false, {{9, mNone}, {6, mShift}}, 6, {6, 7, 8, 9}},
      // Row 0 column 1 to row 2 column 3: the 3 x 3 block between them.
      {"region", true, true, {{1, mNone}, {11, mShift}}, 11, {1, 2, 3, 5, 6, 7, 9, 10, 11}},
      {"ctrl adds", true, false, {{1, mNone}, {3, mCtrl}, {5, mCtrl}}, 5, {1, 3, 5}},
      // Ctrl on a selected entry takes it out and leaves no current one.
      {"ctrl removes", true, false, {{1, mNone}, {3, mCtrl}, {5, mCtrl}, {3, mCtrl}}, -1, {1, 5}},
      {"plain click starts again", true, false, {{2, mNone}, {4, mCtrl}, {7, mNone}}, 7, {7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TGrid g(c.multi, c.region);
    std::vector<Integer> events;
    g.view->OnImageSelect = [&](TObject*, Integer idx) { events.push_back(idx); };
    for (const Click& k : c.clicks) ClickWith(g, k.entry, k.mod);
    EXPECT_EQ(g.view->SelectedEntry(), c.selected);
    EXPECT_EQ(g.Multi(), c.multiList);
    // Every click on a cell reports the selection.
    ASSERT_EQ(events.size(), c.clicks.size());
    EXPECT_EQ(events.back(), c.selected);
  }
}

TEST(MViewSelect, DraggingSelectsFromTheDownCell) {
  TGrid g(true, false);
  barinput::MoveTo(g.CellCentre(2));
  barinput::Settle(30);
  barinput::Button(MOUSEEVENTF_LEFTDOWN);
  barinput::Settle(30);
  barinput::MoveTo(g.CellCentre(9));
  barinput::Settle(30);
  barinput::MoveTo(g.CellCentre(5));
  barinput::Settle(30);
  barinput::Button(MOUSEEVENTF_LEFTUP);
  barinput::Settle(60);
  // From 2 back to 5: the run 2..5, whatever the mouse crossed before.
  EXPECT_EQ(g.Multi(), (std::vector<Integer>{2, 3, 4, 5}));
  EXPECT_EQ(g.view->SelectedEntry(), 5);
}

TEST(MViewSelect, NavigationKeys) {
  // 12 entries, 4 columns, client 330 high: a page is 4 x 3 entries.
  const std::vector<std::pair<Word, Integer>> steps = {
      {VK_RIGHT, 0},  // nothing selected: the first
      {VK_LEFT, 0},   // at the first: stays
      {VK_RIGHT, 1},  {VK_DOWN, 5},  {VK_DOWN, 9},  {VK_DOWN, 11},  // down stops at the last
      {VK_UP, 7},     {VK_LEFT, 6},  {VK_HOME, 0},  {VK_END, 11},
      {VK_UP, 7},     {VK_UP, 3},    {VK_UP, 0},
      {VK_NEXT, 0},   // a page further is outside the list: unchanged
      {VK_F5, 0},     // other keys do nothing
  };
  TGrid g(false, false);
  for (size_t k = 0; k < steps.size(); ++k) {
    barinput::Tap(steps[k].first);
    EXPECT_EQ(g.view->SelectedEntry(), steps[k].second) << "step " << k;
  }
}

TEST(MViewSelect, KeysScrollTheSelectionIntoView) {
  TViewForm f(220, 130);
  f.view->SetScrollBars(ssNone);
  f.view->SetGridWidth(2);
  f.Fill(20);
  barinput::Activate(f.form.get());
  f.view->SetFocus();
  barinput::Settle();
  // A page is 2 x 1 entries here.
  const std::vector<std::pair<Word, Integer>> steps = {
      {VK_END, 19}, {VK_HOME, 0}, {VK_NEXT, 2}, {VK_NEXT, 4}, {VK_DOWN, 6}, {VK_PRIOR, 4}, {VK_UP, 2}, {VK_RIGHT, 3}};
  for (const auto& [key, expect] : steps) {
    barinput::Tap(key);
    EXPECT_EQ(f.view->SelectedEntry(), expect);
    EXPECT_EQ(f.view->EntryVisibility(expect), 2) << "entry " << expect << " not inside";
  }
  EXPECT_EQ(f.view->ScrollY(), f.view->EntryCellOrigin(2).Y - 4);
}

TEST(MViewSelect, ShiftKeysExtendAMultiSelection) {
  TGrid g(true, false);
  barinput::Tap(VK_RIGHT);
  barinput::Chord({VK_SHIFT}, VK_RIGHT);
  barinput::Chord({VK_SHIFT}, VK_DOWN);
  EXPECT_EQ(g.Multi(), (std::vector<Integer>{0, 1, 5}));
  EXPECT_EQ(g.view->SelectedEntry(), 5);
  barinput::Tap(VK_RIGHT);
  EXPECT_EQ(g.Multi(), (std::vector<Integer>{6}));
}
