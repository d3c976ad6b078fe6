// The animation painter: timing on a fake clock, loops, stopping, events,
// failures, and composition against ImageMagick's coalesced frames.
#include <chrono>
#include <fstream>

#include "platform/Forms.h"
#include "tests/gif/anim_test_util.h"

using namespace giftest;
using namespace animtest;

namespace {


std::unique_ptr<TGIFImage> Anim(const std::vector<int>& delays, int size = 4) {
  std::vector<FrameSpec> frames;
  for (int d : delays) frames.push_back(FrameSpec{0, 0, size, size, {}, d});
  return MakeImage(size, size, kColors, frames);
}

// Plays on a bitmap with a painter that is not threaded; returns the time
// slept before each frame was shown.
std::vector<DWORD> PlayNotThreaded(TGIFImage& img, TGIFPaintFlags flags, FakeClock& clock,
                                   std::vector<int>* shownFrames = nullptr) {
  TBitmap target;
  target.SetSize(img.LogicalWidth(), img.LogicalHeight());
  std::vector<DWORD> slept;
  img.OnFrameShow = [&](TObject* sender) {
    slept.push_back(clock.TakeSlept());
    if (shownFrames) shownFrames->push_back(static_cast<TGIFPainter*>(sender)->ActiveFrame());
  };
  TGIFPainter* ref = nullptr;
  EXPECT_EQ(img.CreatePainter(&ref, target.Canvas(), flags, Rect(0, 0, target.Width(), target.Height())), nullptr);
  EXPECT_EQ(ref, nullptr);
  return slept;
}

// Pumps the main thread's synchronized calls until Done or a time limit.
template <class F>
bool PumpUntil(F&& Done, int limitMs = 5000) {
  const auto start = std::chrono::steady_clock::now();
  while (!Done()) {
    CheckSynchronize(5);
    if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(limitMs)) return false;
  }
  return true;
}

}  // namespace

TEST(PainterTiming, DelaysAreClampedAndScaled) {
  struct Case {
    const char* name;
    int delay;
    int speed;
    DWORD expected;  // milliseconds waited after the first frame
  } cases[] = {
      {"no delay waits 10 units", 0, 100, 120},   {"delay 1 is raised to 3", 1, 100, 36},
      {"delay 2 is raised to 3", 2, 100, 36},     {"delay 7", 7, 100, 84},
      {"delay 5000 is lowered to 1000", 5000, 100, 12000},
      {"speed 200 halves", 10, 200, 60},          {"speed 50 doubles", 10, 50, 240},
      {"speed 0 waits the longest delay", 10, 0, 12000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeClock clock;
    auto img = Anim({c.delay, c.delay});
    img->SetAnimationSpeed(c.speed);
    auto slept = PlayNotThreaded(*img, pfAnimate, clock);
    ASSERT_EQ(slept.size(), 2u);
    // The first frame waits one unit (scaled by the speed) before it is shown.
    EXPECT_EQ(slept[0], c.speed > 0 ? DWORD(::MulDiv(12, 100, c.speed)) : 12000u);
    EXPECT_EQ(slept[1], c.expected);
  }
  // A frame without a graphic control extension waits 10 units.
  FakeClock clock;
  auto img = Anim({-1, -1});
  auto slept = PlayNotThreaded(*img, pfAnimate, clock);
  ASSERT_EQ(slept.size(), 2u);
  EXPECT_EQ(slept[1], 120u);
}

TEST(PainterTiming, OverrunOfTheLastWaitIsHalvedOffTheNext) {
  FakeClock clock;
  auto img = Anim({10, 10, 10});
  // Painting a frame takes 40 ms of the clock.
  img->OnFrameShown = [&](TObject*) { clock.now += 40; };
  auto slept = PlayNotThreaded(*img, pfAnimate, clock);
  ASSERT_EQ(slept.size(), 3u);
  EXPECT_EQ(slept[1], 100u);  // 120 - 40 / 2
  EXPECT_EQ(slept[2], 100u);
}

TEST(PainterTiming, ThreadedWaitsKeepLongDelaysAndSpeedZeroHoldsTheFrame) {
  FakeClock clock;
  auto img = Anim({5000, 5000, 5000});
  TBitmap target;
  target.SetSize(4, 4);
  TGIFPainter* ref = nullptr;
  ASSERT_NE(img->CreatePainter(&ref, target.Canvas(), pfThreaded | pfAnimate, Rect(0, 0, 4, 4)), nullptr);
  ref->StartPainting();
  ASSERT_TRUE(PumpUntil([&] { return ref == nullptr; }));
  // The first frame is shown at once; later ones wait the full 5000 units.
  EXPECT_EQ(clock.waits, (std::vector<DWORD>{60000, 60000}));

  // Speed 0: the painter holds the second frame until it is stopped, and the
  // stop ends the endless wait at once.
  FakeClock clock0;
  img->SetAnimationSpeed(0);
  bool ended = false;
  int shown = 0;
  img->OnFrameShow = [&](TObject*) { ++shown; };
  img->OnAnimationEnd = [&](TObject*) { ended = true; };
  ASSERT_NE(img->CreatePainter(&ref, target.Canvas(), pfThreaded | pfAnimate, Rect(0, 0, 4, 4)), nullptr);
  ref->StartPainting();
  ASSERT_TRUE(PumpUntil([&] { return shown == 1 && clock0.waits.size() == 1; }));
  EXPECT_EQ(clock0.waits[0], INFINITE);
  const auto start = std::chrono::steady_clock::now();
  img->StopAllPainters();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_TRUE(img->Painters()->LockList()->Count() == 0);
  img->Painters()->UnlockList();
  EXPECT_EQ(ref, nullptr);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(ended);  // a stopped painter fires no further events

  // A negative speed shows the frames without waiting.
  FakeClock clockNeg;
  img->SetAnimationSpeed(-1);
  img->OnFrameShow = {};
  img->OnAnimationEnd = {};
  ASSERT_NE(img->CreatePainter(&ref, target.Canvas(), pfThreaded | pfAnimate, Rect(0, 0, 4, 4)), nullptr);
  ref->StartPainting();
  ASSERT_TRUE(PumpUntil([&] { return ref == nullptr; }));
  EXPECT_TRUE(clockNeg.waits.empty());
}

TEST(PainterLoops, PassesFollowTheLoopExtension) {
  struct Case {
    const char* name;
    int loopFrame;  // -1: none
    int loops;
    TGIFPaintFlags flags;
    std::vector<int> shown;
    int loopEvents;
  } cases[] = {
      {"no loop extension plays once", -1, 0, pfAnimate | pfRepeat, {0, 1, 2}, 0},
      {"loop count 3 plays three passes", 0, 3, pfAnimate | pfRepeat, {0, 1, 2, 0, 1, 2, 0, 1, 2}, 2},
      {"loop count 0 plays once when not threaded", 0, 0, pfAnimate | pfRepeat, {0, 1, 2}, 0},
      {"without pfRepeat one pass", 0, 3, pfAnimate, {0, 1, 2}, 0},
      {"without pfAnimate only frame 0", 0, 3, pfRepeat, {0}, 0},
      {"a loop on frame 2 restarts there", 2, 2, pfAnimate | pfRepeat, {0, 1, 2, 3, 2, 3}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeClock clock;
    auto img = Anim({1, 1, 1, 1});
    if (c.loopFrame < 0 || c.loopFrame == 0) img->Frames()->RemoveAndFree(img->Frames()->FrameAt(3));
    if (c.loopFrame >= 0) AddLoop(*img, c.loopFrame, c.loops);
    int loopEvents = 0;
    img->OnAnimationLoop = [&](TObject*) { ++loopEvents; };
    std::vector<int> shown;
    PlayNotThreaded(*img, c.flags, clock, &shown);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(loopEvents, c.loopEvents);
  }
}

TEST(PainterEvents, OrderAndFrameShownRedirect) {
  FakeClock clock;
  auto img = Anim({1, 1, 1});
  std::vector<std::string> log;
  bool redirected = false;
  img->OnAnimationStart = [&](TObject*) { log.push_back("start"); };
  img->OnAnimationLoop = [&](TObject*) { log.push_back("loop"); };
  img->OnAnimationEnd = [&](TObject* s) {
    log.push_back("end " + std::to_string(static_cast<TGIFPainter*>(s)->ActiveFrame()));
  };
  img->OnFrameShown = [&](TObject* s) {
    auto* p = static_cast<TGIFPainter*>(s);
    log.push_back("shown " + std::to_string(p->ActiveFrame()));
    if (p->ActiveFrame() == 1 && !redirected) {
      redirected = true;
      p->SetActiveFrame(0);  // back to frame 0 within the same pass
    }
  };
  PlayNotThreaded(*img, pfAnimate, clock);
  EXPECT_EQ(log, (std::vector<std::string>{"start", "shown 0", "shown 1", "shown 0", "shown 1", "shown 2", "end -1"}));
}

TEST(PainterStop, EndHandlerThatStopsPlaybackDoesNotDeadlock) {
  FakeClock clock;
  auto img = Anim({1, 1});
  img->SetPaintFlags(pfThreaded | pfAnimate | pfPaintDirect);
  int ends = 0;
  img->OnAnimationEnd = [&](TObject*) {
    ++ends;
    img->StopPainting();
  };
  TBitmap target;
  target.SetSize(4, 4);
  img->PaintOnCanvas(target.Canvas(), Rect(0, 0, 4, 4));
  ASSERT_NE(img->ActivePainter(), nullptr);
  ASSERT_TRUE(PumpUntil([&] { return img->ActivePainter() == nullptr; }));
  EXPECT_EQ(ends, 1);
  // The same from a frame handler in the middle of playback.
  img->OnAnimationEnd = {};
  int shown = 0;
  img->OnFrameShown = [&](TObject*) {
    ++shown;
    img->StopAllPainters();
  };
  img->PaintOnCanvas(target.Canvas(), Rect(0, 0, 4, 4));
  ASSERT_TRUE(PumpUntil([&] { return img->ActivePainter() == nullptr; }));
  EXPECT_EQ(shown, 1);
}

TEST(PainterStop, DocumentDestroyedByItsOwnEventHandler) {
  FakeClock clock;
  auto img = Anim({1, 1, 1});
  img->SetPaintFlags(pfThreaded | pfAnimate | pfPaintDirect);
  int shown = 0;
  img->OnFrameShown = [&](TObject*) {
    ++shown;
    img.reset();  // the painter waits for this very call; it must not touch the document again
  };
  TBitmap target;
  target.SetSize(4, 4);
  img->PaintOnCanvas(target.Canvas(), Rect(0, 0, 4, 4));
  ASSERT_TRUE(PumpUntil([&] { return img == nullptr; }));
  for (int i = 0; i < 20; ++i) CheckSynchronize(5);  // the painter's own release
  EXPECT_EQ(shown, 1);
}

TEST(PainterPaint, ThroughTheCompositeBitmap) {
  FakeClock clock;
  auto img = MakeImage(2, 1, {0x000000, 0x0000FF, 0x00FF00}, {{0, 0, 2, 1, {1, 2}, 100}, {0, 0, 2, 1, {2, 1}, 100}});
  img->SetPaintFlags(pfThreaded | pfAnimate);
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(2, 1);
  img->PaintOnCanvas(target.Canvas(), Rect(0, 0, 2, 1));
  // The call returns once the painter has drawn frame 0 into the composite.
  TGIFPainter* const first = img->ActivePainter();
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(PixelsOf(target), (std::vector<TColor>{0x0000FF, 0x00FF00}));
  // Painting again on the same canvas and rectangle draws the composite only:
  // the running painter stays, and the canvas shows a frame again.
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(Rect(0, 0, 2, 1));
  img->PaintOnCanvas(target.Canvas(), Rect(0, 0, 2, 1));
  EXPECT_EQ(img->ActivePainter(), first);
  const std::vector<TColor> shown = PixelsOf(target);
  EXPECT_TRUE(shown == (std::vector<TColor>{0x0000FF, 0x00FF00}) || shown == (std::vector<TColor>{0x00FF00, 0x0000FF}))
      << std::hex << shown[0] << " " << shown[1];
  img->StopPainting();
  EXPECT_EQ(img->ActivePainter(), nullptr);
  EXPECT_EQ(img->Composite(), nullptr);
  // A single frame is drawn directly.
  auto one = MakeImage(2, 1, {0x000000, 0x0000FF, 0x00FF00}, {{0, 0, 2, 1, {2, 2}, 100}});
  one->SetPaintFlags(pfThreaded | pfAnimate);
  one->PaintOnCanvas(target.Canvas(), Rect(0, 0, 2, 1));
  EXPECT_EQ(one->ActivePainter(), nullptr);
  EXPECT_EQ(PixelsOf(target), (std::vector<TColor>{0x00FF00, 0x00FF00}));
}

TEST(PainterStop, StopDuringALongWaitOfAThreadedPainterReturnsAtOnce) {
  // The real clock: a 10-second delay that the stop must cut short.
  auto img = Anim({1000, 1000});
  img->SetPaintFlags(pfThreaded | pfAnimate | pfPaintDirect | pfRepeat);
  int shown = 0;
  img->OnFrameShown = [&](TObject*) { ++shown; };
  TBitmap target;
  target.SetSize(4, 4);
  img->PaintOnCanvas(target.Canvas(), Rect(0, 0, 4, 4));
  ASSERT_TRUE(PumpUntil([&] { return shown == 1; }));
  const auto start = std::chrono::steady_clock::now();
  img->StopPainting();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_EQ(img->ActivePainter(), nullptr);
  EXPECT_EQ(shown, 1);
}

TEST(PainterFailure, ExceptionOfAPainterThatIsNotThreadedReachesTheCaller) {
  FakeClock clock;
  auto img = Anim({1, 1, 1});
  img->SetPaintFlags(pfAnimate);
  int shows = 0;
  img->OnFrameShow = [&](TObject*) {
    if (++shows == 2) throw EConvertError("boom");
  };
  TBitmap target;
  target.SetSize(4, 4);
  try {
    img->PaintOnCanvas(target.Canvas(), Rect(0, 0, 4, 4));
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "boom");
  }
  EXPECT_EQ(shows, 2);  // the painter ended at the failure
  EXPECT_EQ(img->ActivePainter(), nullptr);
  EXPECT_FALSE(img->Painting);
}

TEST(PainterFailure, ExceptionOfAThreadedPainterIsReportedOnTheMainThread) {
  FakeClock clock;
  auto img = Anim({1, 1, 1});
  img->SetPaintFlags(pfThreaded | pfAnimate | pfPaintDirect);
  img->OnFrameShow = [](TObject*) { throw EConvertError("boom on the painter"); };
  std::vector<std::string> reported;
  DWORD reportThread = 0;
  ASSERT_NE(Application, nullptr);
  Application->OnException = [&](TObject*, const Exception& e) {
    reported.push_back(e.Message());
    reportThread = ::GetCurrentThreadId();
  };
  TBitmap target;
  target.SetSize(4, 4);
  img->PaintOnCanvas(target.Canvas(), Rect(0, 0, 4, 4));
  ASSERT_TRUE(PumpUntil([&] { return img->ActivePainter() == nullptr && !reported.empty(); }));
  Application->OnException = {};
  EXPECT_EQ(reported, (std::vector<std::string>{"boom on the painter"}));
  EXPECT_EQ(reportThread, ::GetCurrentThreadId());
}

TEST(PainterCreate, EmptyImagesRectanglesAndSingleFrames) {
  auto img = Anim({1, 1});
  TBitmap target;
  target.SetSize(4, 4);
  TGIFPainter* ref = reinterpret_cast<TGIFPainter*>(1);
  EXPECT_EQ(img->CreatePainter(&ref, target.Canvas(), pfThreaded | pfAnimate, Rect(2, 0, 2, 4)), nullptr);
  EXPECT_EQ(ref, nullptr);
  TGIFImage empty;
  ref = reinterpret_cast<TGIFPainter*>(1);
  EXPECT_EQ(empty.CreatePainter(&ref, target.Canvas(), pfThreaded | pfAnimate, Rect(0, 0, 4, 4)), nullptr);
  EXPECT_EQ(ref, nullptr);
  // A single frame never gets a threaded painter: it has run when the call returns.
  auto one = Anim({1});
  int shown = 0;
  one->OnFrameShown = [&](TObject*) { ++shown; };
  FakeClock clock;
  EXPECT_EQ(one->CreatePainter(&ref, target.Canvas(), pfThreaded | pfAnimate, Rect(0, 0, 4, 4)), nullptr);
  EXPECT_EQ(shown, 1);
}

// ---------------------------------------------------------------------------
// Composition: the canvas after each frame equals ImageMagick's coalesced
// frame wherever that is opaque. ImageMagick shows the logical screen's
// background colour where no frame has drawn yet; the painter shows the canvas
// it was created on, so the canvas starts in that colour. Where ImageMagick is
// transparent (restored or never drawn) the painter shows that canvas colour.

TEST(PainterComposition, MatchesImageMagickCoalescedFrames) {
  for (const char* name : {"anim_disposals", "anim_local_maps", "anim_transparent", "coalesce/mixed_previous"}) {
    SCOPED_TRACE(name);
    TGIFImage img;
    img.LoadFromFile(DataPath(std::string(name) + ".gif"));
    std::string base = name;
    base = base.substr(base.find('/') == std::string::npos ? 0 : base.find('/') + 1);
    const Bytes ref = ReadFileBytes(DataPath("coalesce/" + base + ".rgba"));
    const TColor fill = img.GlobalColorMap()->Count() > 0 ? img.BackgroundColor() : 0xFF00FF;
    const int w = img.LogicalWidth(), h = img.LogicalHeight();
    const size_t frameBytes = size_t(w) * h * 4;
    ASSERT_EQ(ref.size(), frameBytes * img.Frames()->ItemCount());
    auto frames = ComposeFrames(img, fill);
    ASSERT_EQ(frames.size(), size_t(img.Frames()->ItemCount()));
    int mismatches = 0, transparentChecked = 0;
    for (size_t f = 0; f < frames.size(); ++f)
      for (int i = 0; i < w * h; ++i) {
        const Byte* p = &ref[f * frameBytes + size_t(i) * 4];
        const TColor expected = p[3] == 255 ? TColor(p[0] | (p[1] << 8) | (p[2] << 16)) : fill;
        if (p[3] != 255) ++transparentChecked;
        if (frames[f][size_t(i)] != expected && ++mismatches < 5)
          ADD_FAILURE() << "frame " << f << " pixel " << i % w << "," << i / w << ": " << std::hex
                        << frames[f][size_t(i)] << " != " << expected;
      }
    EXPECT_EQ(mismatches, 0);
    if (base == "anim_disposals") {
      EXPECT_GT(transparentChecked, 0);
    }
  }
}
