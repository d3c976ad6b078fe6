// Playback in the main window and the floating preview window, as a person
// sees them: the frames come in order with their delays and disposal (on a
// painter clock the test steps frame by frame), Ctrl+X pauses back to the
// still picture, Goto First Frame selects frame 1, a finite loop stops by
// itself, and the floating window follows every command and comes back new
// after it was closed.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

#include "app/GifPreviewForm.h"
#include "app/GifRoutines.h"
#include "controls/RzPanel.h"
#include "controls/RzTabs.h"
#include "gif/GIFPainter.h"
#include "platform/ExtCtrls.h"
#include "tests/app/mainwin_driver.h"

namespace {

using barinput::Chord;
using mainwin::TMainWindowTest;

// The painters' clock held by the test: a painter that waits for its next
// frame stops there until the test lets it go; the time then moves on by
// exactly the wait asked for.
class TSteppedClock {
 public:
  TSteppedClock() {
    TGIFPainterClock c = SystemPainterClock();
    c.Now = [this] { return now_.load(); };
    c.WaitWake = [this](HANDLE Wake, DWORD Ms) {
      {
        std::lock_guard<std::mutex> lock(m_);
        asked_ = Ms;
        waiting_ = true;
        release_ = false;
      }
      for (;;) {
        if (::WaitForSingleObject(Wake, 2) == WAIT_OBJECT_0) {
          std::lock_guard<std::mutex> lock(m_);
          waiting_ = false;
          return true;
        }
        std::lock_guard<std::mutex> lock(m_);
        if (release_) {
          waiting_ = false;
          now_ += Ms;
          return false;
        }
      }
    };
    GIFPainterClock = c;
  }
  ~TSteppedClock() { GIFPainterClock = SystemPainterClock(); }

  // Runs the message loop until a painter waits; the milliseconds it asked for.
  bool NextWait(DWORD& Ms) {
    bool ok = testui::PumpUntil([this] {
      std::lock_guard<std::mutex> lock(m_);
      return waiting_ && !release_;
    }, 3000);
    std::lock_guard<std::mutex> lock(m_);
    Ms = asked_;
    return ok;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(m_);
    release_ = true;
  }

 private:
  std::atomic<DWORD> now_{1000};
  std::mutex m_;
  DWORD asked_ = 0;
  bool waiting_ = false, release_ = false;
};

// The colour at a point of the animation as it shows in the preview page.
TColor ShownAt(TImage* Image, Integer X, Integer Y) {
  TRect r = Image->DestRect();
  HWND wnd = Image->Parent()->Handle();
  HDC dc = ::GetDC(wnd);
  COLORREF c = ::GetPixel(dc, Image->Left() + r.Left + X, Image->Top() + r.Top + Y);
  ::ReleaseDC(wnd, dc);
  return static_cast<TColor>(c);
}

class PlaybackWindow : public TMainWindowTest {
 protected:
  // Three frames on a 40 x 30 screen: a red backdrop that stays, a blue
  // square at the top left that is restored to the background, a green one
  // at (20, 10); delays 5, 7 and 9 hundredths; looping Loops times (0: forever).
  void OpenThreeFrames(Integer Loops) {
    OpenDocument(3, 40, 30, {clRed, clBlue, clLime}, {TRect{0, 0, 40, 30}, TRect{0, 0, 10, 10}, TRect{20, 10, 30, 20}});
    TGIFImage* doc = win->document.get();
    const Integer delays[] = {5, 7, 9}, disposals[] = {1, 2, 1};
    for (Integer i = 0; i < 3; ++i) {
      EnsureGraphicControl(doc->Frames()->FrameAt(i), delays[i]);
      SetFrameDisposal(doc->Frames()->FrameAt(i), disposals[i]);
    }
    SetLoopCount(doc, Loops);
  }

  // Made by the tests that step the painters; it goes after the window
  // (TearDown), so no painter is left waiting on a clock that has gone.
  std::optional<TSteppedClock> steppedClock;
};
class Playback : public PlaybackWindow {};
class PreviewWindow : public PlaybackWindow {};

TEST_F(Playback, FramesComeInOrderWithTheirDelaysAndDisposal) {
  TSteppedClock& clock = steppedClock.emplace();
  TfrmGifMain* f = win;
  OpenThreeFrames(0);
  SaveShot("mainform_document.png");
  Chord({VK_CONTROL}, 'P');
  ASSERT_TRUE(f->playing);
  EXPECT_TRUE(f->ImageGIF->Visible());
  EXPECT_FALSE(f->imgPreview->Visible());
  auto* copy = dynamic_cast<TGIFImage*>(f->ImageGIF->Picture()->Graphic());
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, f->document.get());
  EXPECT_EQ(copy->PaintFlags(), 0x060F);

  struct TSeen {
    std::string Caption;
    DWORD Wait;
    TColor TopLeft, Middle, Green;
  };
  std::vector<TSeen> seen;
  for (int i = 0; i < 4; ++i) {
    DWORD ms = 0;
    ASSERT_TRUE(clock.NextWait(ms)) << "frame " << i;
    barinput::Settle(30);
    seen.push_back({f->tsPreview->Caption(), ms, ShownAt(f->ImageGIF, 5, 5), ShownAt(f->ImageGIF, 35, 25),
                    ShownAt(f->ImageGIF, 25, 15)});
    if (i == 1) SaveShot("mainform_playing.png");
    clock.Release();
  }
  const Integer ms = GIFDefaults.MillisecondsPerDelay;
  const std::vector<std::pair<std::string, DWORD>> want = {{"Playing Frame 1 of 3", 5 * ms},
                                                           {"Playing Frame 2 of 3", 7 * ms},
                                                           {"Playing Frame 3 of 3", 9 * ms},
                                                           {"Playing Frame 1 of 3", 5 * ms}};
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].Caption, want[i].first);
    EXPECT_EQ(seen[i].Wait, want[i].second);
  }
  // Frame 1 is the red backdrop; frame 2 puts blue on it; frame 3 comes
  // after frame 2 was restored to the background, so the blue has gone.
  EXPECT_EQ(seen[0].TopLeft, clRed);
  EXPECT_EQ(seen[0].Middle, clRed);
  EXPECT_EQ(seen[1].TopLeft, clBlue);
  EXPECT_EQ(seen[1].Middle, clRed);
  EXPECT_NE(seen[2].TopLeft, clBlue);
  EXPECT_EQ(seen[2].Green, clLime);
  EXPECT_EQ(seen[2].Middle, clRed);

  // Ctrl+X pauses: the still picture of the selected frame comes back.
  Chord({VK_CONTROL}, 'X');
  EXPECT_FALSE(f->playing);
  EXPECT_FALSE(f->ImageGIF->Visible());
  EXPECT_TRUE(f->imgPreview->Visible());
  EXPECT_EQ(f->ImageGIF->Picture()->Graphic(), nullptr) << "the playback copy is freed";
  EXPECT_EQ(f->tsPreview->Caption(), "Preview - Frame 1");
  EXPECT_TRUE(f->miPlay->Enabled());
}

TEST_F(Playback, AFiniteLoopStopsByItselfAndTheTabShowsTheSelectedFrame) {
  TfrmGifMain* f = win;
  OpenThreeFrames(2);
  Select({1});
  Chord({VK_CONTROL}, 'P');
  ASSERT_TRUE(f->playing);
  EXPECT_TRUE(testui::PumpUntil([&] { return f->tsPreview->Caption().rfind("Playing Frame", 0) == 0; }, 3000));
  // Two passes of 21 hundredths.
  ASSERT_TRUE(testui::PumpUntil([&] { return !f->playing; }, 5000));
  barinput::Settle();
  EXPECT_FALSE(f->ImageGIF->Visible());
  EXPECT_TRUE(f->imgPreview->Visible());
  EXPECT_EQ(f->tsPreview->Caption(), "Preview - Frame 2");
  EXPECT_TRUE(f->miPlay->Enabled());
  EXPECT_FALSE(f->miPause->Enabled());
  // It plays again from the start.
  Chord({VK_CONTROL}, 'P');
  EXPECT_TRUE(f->playing);
  Chord({VK_CONTROL}, 'X');
}

TEST_F(Playback, GotoFirstFrameStopsAndSelectsFrameOne) {
  TfrmGifMain* f = win;
  OpenThreeFrames(0);
  Select({2});
  Chord({VK_CONTROL}, 'P');
  ASSERT_TRUE(f->playing);
  // View > Goto First Frame.
  barinput::Click(mainwin::EntryCenter(mainwin::BarNamed(f, "Main")->Control(), f->mnuView));
  ASSERT_NE(f->mnuView->MenuWindow(), nullptr);
  barinput::Click(mainwin::EntryCenter(f->mnuView->MenuWindow(), f->miRewind));
  EXPECT_FALSE(f->playing);
  ASSERT_NE(f->lvFiles->Selected(), nullptr);
  EXPECT_EQ(f->lvFiles->Selected()->Index(), 0);
  EXPECT_EQ(f->lvFiles->SelCount(), 1);
  EXPECT_TRUE(f->imgPreview->Visible());
}

TEST_F(PreviewWindow, FollowsEveryCommandAndComesBackNewAfterClosing) {
  TfrmGifMain* f = win;
  OpenDocument(3, 160, 120);
  ASSERT_EQ(frmGifPreview, nullptr);
  f->ExecuteCommand(cmdTogglePreview);
  TfrmGifPreview* first = frmGifPreview;
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->Visible());
  EXPECT_EQ(first->Caption(), "Preview");
  auto shownCopy = [] { return dynamic_cast<TGIFImage*>(frmGifPreview->imgPreview->Picture()->Graphic()); };
  ASSERT_NE(shownCopy(), nullptr);
  EXPECT_NE(shownCopy(), f->document.get());
  EXPECT_EQ(shownCopy()->Frames()->ItemCount(), 3);
  EXPECT_EQ(shownCopy()->PaintFlags(), f->document->PaintFlags()) << "it keeps the document's flags";
  barinput::Settle(100);
  EXPECT_EQ(first->imgPreview->Width(), 160);
  EXPECT_EQ(first->ClientWidth(), 160) << "the window fits the picture";
  EXPECT_EQ(first->ClientHeight(), 120);

  // A changed document shows there after the next command.
  TBitmap extra;
  extra.SetPixelFormat(pf24bit);
  extra.SetSize(160, 120);
  f->document->AddFrame(&extra);
  barinput::Activate(f);  // the new window took the focus
  Chord({VK_CONTROL}, 'A');
  EXPECT_EQ(shownCopy()->Frames()->ItemCount(), 4);

  // Toggling hides it and shows it again, the same window.
  f->ExecuteCommand(cmdTogglePreview);
  EXPECT_EQ(frmGifPreview, first);
  EXPECT_FALSE(first->Visible());
  f->ExecuteCommand(cmdTogglePreview);
  EXPECT_EQ(frmGifPreview, first);
  EXPECT_TRUE(first->Visible());
  ASSERT_NE(shownCopy(), nullptr);

  // Closed by the user it is gone; the toggle makes a new one.
  PostMessageW(first->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(testui::PumpUntil([] { return frmGifPreview == nullptr; }, 2000));
  barinput::Activate(f);
  Chord({VK_CONTROL}, 'A');  // a command with no window to follow
  f->ExecuteCommand(cmdTogglePreview);
  ASSERT_NE(frmGifPreview, nullptr);
  EXPECT_TRUE(frmGifPreview->Visible());
  EXPECT_EQ(shownCopy()->Frames()->ItemCount(), 4);

  // Closing the main window while it plays stops playback and takes the
  // floating window along.
  barinput::Activate(f);
  Chord({VK_CONTROL}, 'P');
  ASSERT_TRUE(f->playing);
  PostMessageW(f->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  barinput::Settle(80);
  EXPECT_FALSE(f->playing);
  EXPECT_EQ(f->ImageGIF->Picture()->Graphic(), nullptr);
  EXPECT_EQ(frmGifPreview, nullptr);
  EXPECT_EQ(f->imgPreview->Picture()->Graphic(), nullptr);
}

// The picture an icon draws, 32 x 32 on white.
std::vector<COLORREF> IconPixels(HICON Icon) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(32, 32);
  b.Canvas()->Brush()->SetColor(clWhite);
  b.Canvas()->FillRect(TRect{0, 0, 32, 32});
  ::DrawIconEx(b.Canvas()->Handle(), 0, 0, Icon, 32, 32, 0, nullptr, DI_NORMAL);
  std::vector<COLORREF> out;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) out.push_back(::GetPixel(b.Canvas()->Handle(), x, y));
  return out;
}

TEST_F(PreviewWindow, ShowsTheProgramsIcon) {
  OpenDocument(2);
  GiveProgramIcon(win);  // as the program does for its main window
  win->ExecuteCommand(cmdTogglePreview);
  ASSERT_NE(frmGifPreview, nullptr);
  barinput::Settle();
  auto shown = reinterpret_cast<HICON>(::SendMessageW(frmGifPreview->Handle(), WM_GETICON, ICON_BIG, 0));
  ASSERT_NE(shown, nullptr) << "no icon of its own: the caption shows the system's default";
  HICON program = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, 32, 32, 0));
  ASSERT_NE(program, nullptr);
  const std::vector<COLORREF> expected = IconPixels(program);
  EXPECT_EQ(IconPixels(shown), expected);
  EXPECT_NE(IconPixels(::LoadIconW(nullptr, IDI_APPLICATION)), expected) << "the comparison tells icons apart";
  auto mainShown = reinterpret_cast<HICON>(::SendMessageW(win->Handle(), WM_GETICON, ICON_BIG, 0));
  ASSERT_NE(mainShown, nullptr);
  EXPECT_EQ(IconPixels(mainShown), expected);
  ::DestroyIcon(program);
  frmGifPreview->Close();
  testui::PumpUntil([] { return frmGifPreview == nullptr; }, 2000);
}

// A window freed while both copies play (no close first) stops their
// painters: nothing calls into it afterwards.
TEST_F(PreviewWindow, AWindowFreedWhilePlayingLeavesNoPainterBehind) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    if (!win) OpenWindow();
    OpenThreeFrames(0);
    win->ExecuteCommand(cmdTogglePreview);
    barinput::Activate(win);
    Chord({VK_CONTROL}, 'P');
    ASSERT_TRUE(win->playing);
    auto* playbackCopy = dynamic_cast<TGIFImage*>(win->ImageGIF->Picture()->Graphic());
    ASSERT_NE(playbackCopy, nullptr);
    ASSERT_TRUE(testui::PumpUntil([&] { return playbackCopy->ActivePainter() != nullptr; }, 2000));
    barinput::Settle(60);
    CloseWindow();
    EXPECT_EQ(frmGifPreview, nullptr);
    // Frames keep coming only if a painter survived; they would reach a freed window.
    barinput::Settle(200);
  }
}

}  // namespace
