// The menu opening animation: its frames (sizes, anchor edge, the part of
// the finished picture each one shows), the full picture at its end, a key
// that stops it, and closing or freeing a menu while it animates: the worker
// stops first, paints nothing afterwards and no thread is left behind, also
// when menus open and close in a tight loop.
#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

#include "tests/bars/menu_model.h"

using namespace menutest;

namespace {

// Frames as the worker reports them; a few of them captured from the window.
struct TRecorder {
  std::mutex lock;
  std::vector<TdxBarAnimationFrame> frames;
  std::vector<std::pair<Integer, HBITMAP>> pictures;  // frame index -> captured client part
  std::vector<Integer> capture;                       // frame indexes to capture
  std::atomic<int> calls{0};
  std::atomic<int> afterClose{0};
  std::atomic<bool> closed{false};
  int sleepMs = 0;
  std::function<void(Integer)> onFrame;  // runs on the worker thread

  TRecorder() {
    SetMenuAnimationFrameHook([this](const TdxBarAnimationFrame& F, HDC DC) { Frame(F, DC); });
  }
  ~TRecorder() {
    SetMenuAnimationFrameHook(nullptr);
    Reset();
  }
  void Reset() {
    std::lock_guard<std::mutex> g(lock);
    frames.clear();
    for (auto& p : pictures) DeleteObject(p.second);
    pictures.clear();
    calls = 0;
    afterClose = 0;
    closed = false;
  }
  void Frame(const TdxBarAnimationFrame& F, HDC DC) {
    ++calls;
    if (closed) ++afterClose;
    {
      std::lock_guard<std::mutex> g(lock);
      frames.push_back(F);
      if (std::find(capture.begin(), capture.end(), F.Index) != capture.end()) {
        Integer w = F.ClientPart.Width(), h = F.ClientPart.Height();
        HDC mem = CreateCompatibleDC(DC);
        HBITMAP bmp = CreateCompatibleBitmap(DC, w, h);
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, DC, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
        pictures.emplace_back(F.Index, bmp);
      }
    }
    if (onFrame) onFrame(F.Index);
    if (sleepMs) Sleep(static_cast<DWORD>(sleepMs));
  }
};

// Pixels of a captured frame that differ from the same part of the full picture.
Integer DiffersFromPicture(HBITMAP Captured, const TRect& Part, TBitmap* Full) {
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, Captured);
  Integer n = 0;
  for (Integer y = 0; y < Part.Height(); ++y)
    for (Integer x = 0; x < Part.Width(); ++x)
      if ((GetPixel(mem, x, y) & 0xFFFFFF) != Px(Full, Part.Left + x, Part.Top + y)) ++n;
  SelectObject(mem, old);
  DeleteDC(mem);
  return n;
}

Integer ProcessThreads() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 te{};
  te.dwSize = sizeof(te);
  Integer n = 0;
  DWORD me = GetCurrentProcessId();
  for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
    if (te.th32OwnerProcessID == me) ++n;
  CloseHandle(snap);
  return n;
}

// A menu of Count rows with a separator and a checked row (some picture to compare).
TdxBarSubItem* Menu(TMenuModel& M, const std::string& Name, int Count) {
  TdxBarSubItem* s = M.Sub(Name);
  for (int i = 0; i < Count; ++i) {
    TdxBarButton* b = M.Button(Name + "_" + std::to_string(i), "Entry number " + std::to_string(i));
    if (i == 1) {
      b->SetButtonStyle(bsChecked);
      b->SetDown(true);
    }
    M.Add(s->ItemLinks(), b, i == 3);
  }
  return s;
}

bool WaitAnimationEnd(TdxBarSubMenuControl* M) {
  return testui::PumpUntil([&] { return !M->Animating() && MenuAnimationThreadsRunning() == 0; }, 5000);
}

}  // namespace

// Frame sizes: unfold grows both sides by 8 per frame and reaches the full
// size with both at once; slide grows the height by 17 at full width; an
// extent below one step draws no frame.
TEST(MenuAnimationFrames, CountsAndSizesFollowTheSteps) {
  struct Case {
    TdxBarMenuAnimations kind;
    Integer w, h, frames;
    TPoint first, last;
  } cases[] = {
      {maUnfold, 150, 310, 18, {8, 168}, {144, 304}},
      {maUnfold, 300, 100, 12, {208, 8}, {296, 96}},
      {maUnfold, 120, 120, 15, {8, 8}, {120, 120}},
      {maSlide, 180, 200, 11, {180, 17}, {180, 187}},
      {maSlide, 90, 34, 2, {90, 17}, {90, 34}},
      {maUnfold, 7, 7, 0, {}, {}},
      {maSlide, 50, 16, 0, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " " + std::to_string(c.w) + "x" + std::to_string(c.h));
    EXPECT_EQ(MenuAnimationFrameCount(c.kind, c.w, c.h), c.frames);
    if (c.frames == 0) continue;
    EXPECT_EQ(MenuAnimationFrameSize(c.kind, c.w, c.h, 1), c.first);
    EXPECT_EQ(MenuAnimationFrameSize(c.kind, c.w, c.h, c.frames), c.last);
    for (Integer i = 1; i <= c.frames; ++i) {
      TPoint s = MenuAnimationFrameSize(c.kind, c.w, c.h, i);
      EXPECT_LE(s.X, c.w);
      EXPECT_LE(s.Y, c.h);
    }
  }
}

// Each animation, opened by the mouse on a shown form: the worker draws the
// frames the steps give, each showing the matching part of the finished
// menu (the last rows first for a menu opening downward), and the window ends
// at its place and size showing the whole menu; random picks both kinds.
TEST(MenuAnimationRun, EachKindRunsToTheFullMenuPicture) {
  TMenuModel m(bmsEnhanced);
  m.manager->SetMenusShowRecentItemsFirst(false);
  TdxBarSubItem* sub = Menu(m, "anim", 7);
  TRecorder rec;
  struct Case {
    const char* name;
    TdxBarMenuAnimations kind;
  } cases[] = {{"unfold", maUnfold}, {"slide", maSlide}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m.manager->SetMenuAnimations(c.kind);
    rec.Reset();
    rec.capture = {1, 2, 5};
    Integer started = MenuAnimationThreadsStarted();
    TdxBarSubMenuControl* menu = m.OpenAt(sub, 180, 140, true);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(WaitAnimationEnd(menu));
    EXPECT_EQ(MenuAnimationThreadsStarted(), started + 1);
    EXPECT_FALSE(menu->Animate);
    Integer cw = menu->ClientWidth(), ch = menu->ClientHeight();
    Integer n = MenuAnimationFrameCount(c.kind, cw, ch);
    ASSERT_GT(n, 5);
    TRect final = WindowRectOf(menu);
    EXPECT_EQ(final.Left, 180);
    EXPECT_EQ(final.Top, 140);
    Integer fw = final.Width() - cw, fh = final.Height() - ch;
    auto full = Snapshot(menu);
    SaveBitmapAsPng(full.get(), std::string("menu_anim_full_") + c.name + ".png");
    {
      std::lock_guard<std::mutex> g(rec.lock);
      ASSERT_EQ(static_cast<Integer>(rec.frames.size()), n);
      for (Integer i = 0; i < n; ++i) {
        SCOPED_TRACE(i + 1);
        const TdxBarAnimationFrame& f = rec.frames[static_cast<size_t>(i)];
        TPoint s = MenuAnimationFrameSize(c.kind, cw, ch, i + 1);
        EXPECT_EQ(f.Index, i + 1);
        // Anchored at the top-left corner, growing right and down.
        EXPECT_EQ(f.WindowRect, Bounds(final.Left, final.Top, s.X + fw, s.Y + fh));
        // The bottom-left part of the picture: the last rows come first.
        EXPECT_EQ(f.ClientPart, Bounds(0, ch - s.Y, s.X, s.Y));
      }
      ASSERT_EQ(rec.pictures.size(), 3u);
      for (auto& p : rec.pictures) {
        SCOPED_TRACE(p.first);
        EXPECT_EQ(DiffersFromPicture(p.second, rec.frames[static_cast<size_t>(p.first - 1)].ClientPart, full.get()), 0);
      }
    }
    // The window shows the whole menu now.
    auto shown = Grab(menu);
    SaveBitmapAsPng(shown.get(), std::string("menu_anim_end_") + c.name + ".png");
    EXPECT_EQ(DifferentPixels(shown.get(), full.get()), 0);
    menu->CloseMenu();
    Application->ProcessMessages();
  }
  // Random: a slide frame keeps the full width, an unfold frame does not.
  m.manager->SetMenuAnimations(maRandom);
  rec.capture.clear();
  int slides = 0, unfolds = 0;
  for (int i = 0; i < 16 && (slides == 0 || unfolds == 0); ++i) {
    rec.Reset();
    TdxBarSubMenuControl* menu = m.OpenAt(sub, 180, 140, true);
    ASSERT_TRUE(WaitAnimationEnd(menu));
    std::lock_guard<std::mutex> g(rec.lock);
    ASSERT_FALSE(rec.frames.empty());
    (rec.frames[0].ClientPart.Width() == menu->ClientWidth() ? slides : unfolds)++;
    menu->CloseMenu();
  }
  EXPECT_GT(slides, 0);
  EXPECT_GT(unfolds, 0);
  // Opened by the keyboard (Animate not asked for) or with maNone: no frames, shown at once.
  for (bool keyboard : {true, false}) {
    m.manager->SetMenuAnimations(keyboard ? maUnfold : maNone);
    rec.Reset();
    TdxBarSubMenuControl* menu = m.OpenAt(sub, 180, 140, !keyboard);
    EXPECT_FALSE(menu->Animating());
    EXPECT_TRUE(IsWindowVisible(menu->Handle()));
    EXPECT_EQ(rec.calls.load(), 0);
    menu->CloseMenu();
  }
}

// A menu flipped above a toolbar item near the screen bottom grows upward
// anchored at its bottom edge and shows its first rows first; one flipped to
// the left of its parent row grows leftward anchored at its right edge.
TEST(MenuAnimationRun, FlippedMenusGrowFromTheirFixedEdge) {
  TMenuModel m(bmsStandard);
  m.manager->SetMenuAnimations(maUnfold);
  TdxBarSubItem* sub = Menu(m, "flip", 6);
  TRecorder rec;
  TRect wa = GetWorkAreaAt(POINT{200, 200});
  struct Case {
    const char* name;
    Integer x, y, exW, exH;
    bool up, left;
  } cases[] = {{"above an item", wa.Left + 200, wa.Bottom - 8, 0, 22, true, false},
               {"left of a row", wa.Right - 10, wa.Top + 100, 150, 0, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rec.Reset();
    rec.capture = {3};
    auto* menu = static_cast<TdxBarSubMenuControl*>(sub->ItemLinks()->CreateBarWindow());
    menu->ExclusionWidth = c.exW;
    menu->ExclusionHeight = c.exH;
    menu->Animate = true;
    menu->ShowAt(c.x, c.y);
    ASSERT_TRUE(WaitAnimationEnd(menu));
    EXPECT_EQ(menu->FlippedUp(), c.up);
    EXPECT_EQ(menu->FlippedLeft(), c.left);
    TRect final = WindowRectOf(menu);
    auto full = Snapshot(menu);
    std::lock_guard<std::mutex> g(rec.lock);
    ASSERT_GT(rec.frames.size(), 3u);
    for (const TdxBarAnimationFrame& f : rec.frames) {
      if (c.up) {
        EXPECT_EQ(f.WindowRect.Bottom, final.Bottom);
        EXPECT_EQ(f.ClientPart.Top, 0);  // the first rows first
      } else {
        EXPECT_EQ(f.WindowRect.Top, final.Top);
      }
      if (c.left) {
        EXPECT_EQ(f.WindowRect.Right, final.Right);
        EXPECT_EQ(f.ClientPart.Right, menu->ClientWidth());
      } else {
        EXPECT_EQ(f.WindowRect.Left, final.Left);
        EXPECT_EQ(f.ClientPart.Left, 0);
      }
    }
    ASSERT_EQ(rec.pictures.size(), 1u);
    EXPECT_EQ(DiffersFromPicture(rec.pictures[0].second, rec.frames[2].ClientPart, full.get()), 0);
    menu->CloseMenu();
  }
}

// A key pressed while the menu animates stops the worker: the menu jumps to
// its final size and place, and the key is handled as usual.
TEST(MenuAnimationRun, AKeyStopsTheAnimationAndIsHandled) {
  TMenuModel m(bmsStandard);
  m.manager->SetMenuAnimations(maSlide);
  TdxBarSubItem* sub = Menu(m, "key", 9);
  TRecorder rec;
  rec.sleepMs = 15;
  HWND target = nullptr;
  rec.onFrame = [&](Integer I) {
    if (I == 2) PostMessageW(target, WM_KEYDOWN, VK_DOWN, 1);
  };
  auto* menu = static_cast<TdxBarSubMenuControl*>(sub->ItemLinks()->CreateBarWindow());
  menu->Animate = true;
  menu->HandleNeeded();
  target = menu->Handle();
  menu->ShowSubMenuWindow();
  ASSERT_TRUE(WaitAnimationEnd(menu));
  Application->ProcessMessages();
  Integer n = MenuAnimationFrameCount(maSlide, menu->ClientWidth(), menu->ClientHeight());
  EXPECT_LT(rec.calls.load(), n);
  EXPECT_GE(rec.calls.load(), 2);
  TRect wr = WindowRectOf(menu);
  EXPECT_EQ(wr.Height(), menu->Height());
  EXPECT_EQ(menu->ClientHeight(), wr.Height() - 2);
  EXPECT_EQ(menu->SelectedControl(), sub->ItemLinks()->Items(0)->Control());
  auto full = Snapshot(menu);
  auto shown = Grab(menu);
  EXPECT_EQ(DifferentPixels(shown.get(), full.get()), 0);
  menu->CloseMenu();
}

// Closing or freeing a menu while it animates stops the worker first: when
// the call returns the worker has ended, and it draws no frame afterwards.
// Every road: CloseMenu, the collection freeing its window, Esc, the chain
// closing from a cascade's row click, the owner form freed.
TEST(MenuAnimationStop, ClosingOrFreeingWhileAnimatingStopsTheWorkerFirst) {
  TRecorder rec;
  rec.sleepMs = 10;
  struct Case {
    const char* name;
    std::function<void(TMenuModel&, TdxBarSubItem*, TdxBarSubMenuControl*)> close;
  } cases[] = {
      {"CloseMenu", [](TMenuModel&, TdxBarSubItem*, TdxBarSubMenuControl* M) { M->CloseMenu(); }},
      {"the links free the window", [](TMenuModel&, TdxBarSubItem* S, TdxBarSubMenuControl*) { S->ItemLinks()->FreeBarWindow(); }},
      {"the sub item freed", [](TMenuModel&, TdxBarSubItem* S, TdxBarSubMenuControl*) { delete S; }},
      {"Esc", [](TMenuModel&, TdxBarSubItem*, TdxBarSubMenuControl* M) {
         SendMessageW(M->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
       }},
      {"the manager freed", [](TMenuModel& Mo, TdxBarSubItem*, TdxBarSubMenuControl*) { delete Mo.manager; }},
      {"the form freed", [](TMenuModel& Mo, TdxBarSubItem*, TdxBarSubMenuControl*) { Mo.form.reset(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Integer threadsBefore = ProcessThreads();
    {
      TMenuModel m(bmsFlat);
      m.manager->SetMenuAnimations(maUnfold);
      TdxBarSubItem* sub = Menu(m, "stop", 12);
      rec.Reset();
      TdxBarSubMenuControl* menu = m.OpenAt(sub, 150, 120, true);
      ASSERT_NE(menu, nullptr);
      HWND h = menu->Handle();
      ASSERT_TRUE(menu->Animating());
      testui::PumpUntil([&] { return rec.calls.load() >= 2; }, 2000);
      ASSERT_GE(rec.calls.load(), 2);
      c.close(m, sub, menu);
      rec.closed = true;
      EXPECT_EQ(MenuAnimationThreadsRunning(), 0);
      EXPECT_EQ(AnimatingMenu(), nullptr);
      EXPECT_FALSE(IsWindow(h));
      EXPECT_FALSE(IsLiveBarControl(menu));
      testui::PumpUntil([] { return false; }, 100);
      EXPECT_EQ(rec.afterClose.load(), 0);
      EXPECT_LT(rec.calls.load(), MenuAnimationFrameCount(maUnfold, 400, 400));
    }
    Application->ProcessMessages();
    EXPECT_LE(ProcessThreads(), threadsBefore);
  }
}

// Menus opened and closed in a tight loop with the animation on, closed every
// way while they animate or right after: no crash, no thread left, no frame
// drawn after a close. (BARS_ANIM_SOAK_SECONDS makes it longer by hand.)
TEST(MenuAnimationStop, TightOpenCloseLoopLeavesNoThreadAndNoStrayFrame) {
  double seconds = 3;
  if (const char* e = std::getenv("BARS_ANIM_SOAK_SECONDS")) seconds = std::atof(e);
  TMenuModel m(bmsEnhanced);
  m.manager->SetMenusShowRecentItemsFirst(false);
  TdxBarSubItem* top = Menu(m, "loop", 10);
  TdxBarSubItem* cascade = Menu(m, "inner", 5);
  m.Add(top->ItemLinks(), cascade, true);
  TRecorder rec;
  Integer threadsBefore = ProcessThreads();
  Integer started = MenuAnimationThreadsStarted();
  DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  int rounds = 0;
  std::srand(7);
  const TdxBarMenuAnimations kinds[] = {maUnfold, maSlide, maRandom};
  // At least the time asked for and at least 21 rounds, however busy the machine.
  while (GetTickCount() < end || rounds <= 20) {
    m.manager->SetMenuAnimations(kinds[rounds % 3]);
    rec.closed = false;
    TdxBarSubMenuControl* menu = m.OpenAt(top, 100 + rounds % 50, 100 + rounds % 30, true);
    ASSERT_NE(menu, nullptr);
    int wait = std::rand() % 12;
    testui::PumpUntil([] { return false; }, wait);
    if (rounds % 5 == 3 && IsLiveBarControl(menu)) {
      // A cascade opened by a click on its row, then the chain closed from it.
      TdxBarItemControl* row = top->ItemLinks()->Items(10)->Control();
      if (auto* sub = dynamic_cast<TdxBarSubItemControl*>(row)) {
        sub->OpenedByMouse = true;
        sub->PerformClick(true);
      }
      if (TdxBarSubMenuControl* inner = cascade->MenuWindow()) inner->CloseChain();
    }
    switch (rounds % 4) {
      case 0: if (IsLiveBarControl(menu)) menu->CloseMenu(); break;
      case 1: top->ItemLinks()->FreeBarWindow(); break;
      case 2: if (IsLiveBarControl(menu)) SendMessageW(menu->Handle(), WM_KEYDOWN, VK_ESCAPE, 1); break;
      default: if (IsLiveBarControl(menu)) menu->CloseChain(); break;
    }
    rec.closed = true;
    ASSERT_EQ(MenuAnimationThreadsRunning(), 0) << "round " << rounds;
    ASSERT_EQ(top->MenuWindow(), nullptr);
    ASSERT_EQ(cascade->MenuWindow(), nullptr);
    ++rounds;
  }
  testui::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(rec.afterClose.load(), 0);
  EXPECT_GT(rounds, 20);
  EXPECT_GE(MenuAnimationThreadsStarted() - started, rounds);
  EXPECT_EQ(MenuAnimationThreadsRunning(), 0);
  EXPECT_LE(ProcessThreads(), threadsBefore);
  std::printf("[ soak ] %d rounds in %.0f s, %d worker threads\n", rounds, seconds,
              static_cast<int>(MenuAnimationThreadsStarted() - started));
}
