// Playing the thumbnails as an animation: the timer follows each frame's
// delay (10 ms at least), the frames come in order and start again, and
// stopping gives back the grid and the selection.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/views/ruzozadmview.h"
#include "tests/imaging/mview_util.h"

using mview::TViewForm;

namespace {

// Three frames with delays 0, 50 and 200 ms.
struct TPlayer : TViewForm {
  std::vector<Integer> shown;
  TPlayer() : TViewForm(200, 150) {
    Fill(3);
    const Integer delays[3] = {0, 50, 200};
    for (Integer i = 0; i < 3; ++i) view->StoreFrameDelay(i, delays[i]);
    view->OnImageDraw = [this](TObject*, Integer idx, Integer, Integer, TCanvas*) { shown.push_back(idx); };
  }
  // One tick of the playback timer, as the window gets it.
  void Tick() { ::SendMessageW(view->Handle(), WM_TIMER, 1, 0); }
};

}  // namespace

TEST(MViewPlay, FramesFollowTheirDelaysAndLoop) {
  TPlayer p;
  p.view->SelectEntry(1);
  p.view->SetPlaying(true);
  EXPECT_EQ(p.view->DisplayMode(), mdSingle);
  EXPECT_EQ(p.view->SelectedEntry(), -1);
  struct Step {
    Integer shownFrame, interval;
  };
  const Step steps[] = {{0, 10}, {1, 50}, {2, 200}, {0, 10}, {1, 50}};
  for (size_t k = 0; k < std::size(steps); ++k) {
    if (k > 0) p.Tick();
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown.back(), steps[k].shownFrame) << "step " << k;
    EXPECT_EQ(p.view->PlaybackInterval(), steps[k].interval) << "step " << k;
  }
  // While playing, the mode written is kept for later and selections are ignored.
  p.view->SetDisplayMode(mdGrid);
  EXPECT_EQ(p.view->DisplayMode(), mdSingle);
  p.view->SelectEntry(2);
  EXPECT_EQ(p.view->SelectedEntry(), -1);
  p.view->SetPlaying(false);
  EXPECT_EQ(p.view->DisplayMode(), mdGrid);
  EXPECT_EQ(p.view->SelectedEntry(), 1);
  EXPECT_EQ(p.view->PlaybackInterval(), 0);
}

TEST(MViewPlay, WithoutLoopItStopsAfterTheLastFrame) {
  TPlayer p;
  p.view->LoopPlayback = false;
  p.view->SelectEntry(2);
  p.view->SetPlaying(true);
  p.Tick();
  p.Tick();
  EXPECT_FALSE(p.view->Playing());
  EXPECT_EQ(p.shown, (std::vector<Integer>{0, 1, 2}));
  EXPECT_EQ(p.view->DisplayMode(), mdGrid);
  EXPECT_EQ(p.view->SelectedEntry(), 2);
  EXPECT_EQ(p.view->PlaybackInterval(), 0);
}

TEST(MViewPlay, RealTimerRunsTheFrames) {
  TPlayer p;
  for (Integer i = 0; i < 3; ++i) p.view->StoreFrameDelay(i, 20);
  const DWORD start = ::GetTickCount();
  p.view->SetPlaying(true);
  ASSERT_TRUE(testui::PumpUntil([&] { return p.shown.size() >= 7; }, 3000));
  // Seven frames at 20 ms each take at least 6 intervals.
  EXPECT_GE(::GetTickCount() - start, 100u);
  const std::vector<Integer> first(p.shown.begin(), p.shown.begin() + 7);
  EXPECT_EQ(first, (std::vector<Integer>{0, 1, 2, 0, 1, 2, 0}));
  p.view->SetPlaying(false);
}

TEST(MViewPlay, EmptyListAndInsertingStopPlayback) {
  TViewForm f(200, 150);
  f.view->SetPlaying(true);
  EXPECT_TRUE(f.view->Playing());
  EXPECT_EQ(f.view->PlaybackInterval(), 0);  // nothing to show: no timer
  f.view->InsertEntry(0);
  EXPECT_FALSE(f.view->Playing());
  EXPECT_EQ(f.view->DisplayMode(), mdGrid);
}
