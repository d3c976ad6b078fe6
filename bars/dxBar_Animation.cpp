// Menu opening animation: the finished menu is painted once into an
// off-screen picture; a short-lived worker thread then grows the window
// frame by frame and copies the matching part of the picture into it.
//
// The worker touches only its own copy of the geometry, the picture and the
// window handle, never the menu object. The menu's thread stops it (and
// waits for its end, handling what it sends meanwhile) before it closes,
// recreates or frees the window, and before it handles input; the final
// repaint and the clean-up happen on the menu's thread.
#include <atomic>
#include <cstdlib>
#include <mutex>

#include "bars/dxBar.h"

namespace {
constexpr UINT WM_DXBAR_ANIMATIONDONE = WM_USER + 0x61;

struct TAnimation {
  TdxBarSubMenuControl* menu = nullptr;  // written by the menu's thread only
  HWND wnd = nullptr;
  TdxBarMenuAnimations kind = maUnfold;
  bool growLeft = false, growUp = false;
  Integer finalLeft = 0, finalTop = 0, clientWidth = 0, clientHeight = 0, frameWidth = 0, frameHeight = 0;
  Integer offset = 0, extent = 0, step = 8;
  HBITMAP picture = nullptr;
  HDC pictureDC = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  HPALETTE palette = nullptr;
  HANDLE thread = nullptr;
  std::atomic<bool> stop{false};
  std::atomic<bool> skipFinal{false};
};

TAnimation& A() {
  static TAnimation a;
  return a;
}

std::atomic<int> threadsStarted{0}, threadsRunning{0};
std::mutex hookLock;
TdxBarAnimationFrameHook frameHook;

TPoint FrameSize(TdxBarMenuAnimations Kind, Integer W, Integer H, Integer I) {
  if (Kind == maSlide) return Point(W, I * 17);
  Integer offset = H - W, step = 8;
  if (offset < 0) return Point(I * step - offset, I * step);
  return Point(I * step, offset + I * step);
}

Integer FrameCount(TdxBarMenuAnimations Kind, Integer W, Integer H) {
  if (Kind == maSlide) return H / 17;
  Integer offset = H - W;
  Integer extent = offset <= 0 ? H : W;
  return extent / 8;
}

void DrawFrame(TAnimation& a, Integer I) {
  TPoint sz = FrameSize(a.kind, a.clientWidth, a.clientHeight, I);
  Integer w = sz.X, h = sz.Y;
  Integer x = a.growLeft ? a.finalLeft + a.clientWidth - w : a.finalLeft;
  Integer y = a.growUp ? a.finalTop + a.clientHeight - h : a.finalTop;
  SetWindowPos(a.wnd, nullptr, x, y, w + a.frameWidth, h + a.frameHeight,
               SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
  HDC dc = GetDC(a.wnd);
  if (!dc) return;
  HPALETTE oldPal = a.palette ? SelectPalette(dc, a.palette, FALSE) : nullptr;
  // The part of the picture this frame shows: the menu slides into view from
  // its fixed edge.
  Integer sx = a.growLeft && !a.growUp ? a.clientWidth - w : 0;
  Integer sy = a.growUp ? 0 : a.clientHeight - h;
  BitBlt(dc, 0, 0, w, h, a.pictureDC, sx, sy, SRCCOPY);
  TdxBarAnimationFrameHook hook;
  {
    std::lock_guard<std::mutex> g(hookLock);
    hook = frameHook;
  }
  if (hook) {
    TdxBarAnimationFrame f;
    f.Index = I;
    f.WindowRect = Bounds(x, y, w + a.frameWidth, h + a.frameHeight);
    f.ClientPart = Bounds(sx, sy, w, h);
    hook(f, dc);
  }
  if (oldPal) SelectPalette(dc, oldPal, FALSE);
  ReleaseDC(a.wnd, dc);
}

DWORD WINAPI AnimationThreadProc(LPVOID) {
  TAnimation& a = A();
  Integer n = a.extent / a.step;
  for (Integer i = 1; i <= n && !a.stop.load(); ++i) {
    DWORD t = GetTickCount();
    DrawFrame(a, i);
    Sleep(1);
    // Every frame lasts at least one tick of the system timer.
    while (GetTickCount() == t && !a.stop.load()) Sleep(0);
  }
  if (!a.skipFinal.load()) {
    SetWindowPos(a.wnd, nullptr, a.finalLeft, a.finalTop, a.clientWidth + a.frameWidth,
                 a.clientHeight + a.frameHeight, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
    PostMessageW(a.wnd, WM_DXBAR_ANIMATIONDONE, 0, 0);
  }
  --threadsRunning;
  return 0;
}

// Runs on the menu's thread once the worker has ended: the clean-up, and the
// final picture unless the menu is going.
void FinishAnimation(TdxBarSubMenuControl* Menu) {
  TAnimation& a = A();
  if (a.thread) CloseHandle(a.thread);
  a.thread = nullptr;
  if (a.pictureDC) {
    SelectObject(a.pictureDC, a.oldBitmap);
    DeleteDC(a.pictureDC);
  }
  if (a.picture) DeleteObject(a.picture);
  a.picture = nullptr;
  a.pictureDC = nullptr;
  a.palette = nullptr;
  a.menu = nullptr;
  a.wnd = nullptr;
  a.stop = false;
  a.skipFinal = false;
  Menu->Animate = false;
  if (!Menu->ClosingMenu() && Menu->HandleAllocated() && !Menu->BeingFreed) {
    InvalidateRect(Menu->Handle(), nullptr, FALSE);
    PumpPaintMessages();
  }
}
}  // namespace

TdxBarSubMenuControl* AnimatingMenu() { return A().menu; }

Integer MenuAnimationFrameCount(TdxBarMenuAnimations Kind, Integer W, Integer H) { return FrameCount(Kind, W, H); }
TPoint MenuAnimationFrameSize(TdxBarMenuAnimations Kind, Integer W, Integer H, Integer I) {
  return FrameSize(Kind, W, H, I);
}

void SetMenuAnimationFrameHook(TdxBarAnimationFrameHook Hook) {
  std::lock_guard<std::mutex> g(hookLock);
  frameHook = std::move(Hook);
}

Integer MenuAnimationThreadsStarted() { return threadsStarted.load(); }
Integer MenuAnimationThreadsRunning() { return threadsRunning.load(); }

void PrepareMenuAnimation(TdxBarSubMenuControl* Menu, bool FlippedLeft, bool FlippedUp) {
  // One animation at a time: a running one ends first.
  if (TdxBarSubMenuControl* other = AnimatingMenu()) other->WaitForAnimation();
  TAnimation& a = A();
  HWND h = Menu->Handle();
  RECT wr, cr;
  GetWindowRect(h, &wr);
  GetClientRect(h, &cr);
  a.wnd = h;
  a.finalLeft = wr.left;
  a.finalTop = wr.top;
  a.clientWidth = cr.right;
  a.clientHeight = cr.bottom;
  a.frameWidth = (wr.right - wr.left) - cr.right;
  a.frameHeight = (wr.bottom - wr.top) - cr.bottom;
  a.growLeft = FlippedLeft;
  a.growUp = FlippedUp;
  a.kind = Menu->AnimationKind();
  if (a.kind == maRandom) a.kind = std::rand() % 100 >= 50 ? maSlide : maUnfold;
  if (a.kind == maSlide) {
    a.offset = 0;
    a.extent = a.clientHeight;
    a.step = 17;
  } else {
    a.kind = maUnfold;
    a.offset = a.clientHeight - a.clientWidth;
    a.extent = a.offset <= 0 ? a.clientHeight : a.clientWidth;
    a.step = 8;
  }
  HDC screen = GetDC(h);
  a.picture = CreateCompatibleBitmap(screen, std::max<Integer>(a.clientWidth, 1), std::max<Integer>(a.clientHeight, 1));
  a.pictureDC = CreateCompatibleDC(screen);
  ReleaseDC(h, screen);
  a.oldBitmap = SelectObject(a.pictureDC, a.picture);
  Menu->Animate = false;
  try {
    Menu->PaintClientTo(a.pictureDC);
  } catch (...) {
    // A picture that failed to paint still animates what it has.
  }
  Menu->Animate = true;
  a.palette = nullptr;
  a.stop = false;
  a.skipFinal = false;
  a.menu = Menu;
  ++threadsStarted;
  ++threadsRunning;
  a.thread = CreateThread(nullptr, 0, AnimationThreadProc, nullptr, 0, nullptr);
  if (!a.thread) {
    --threadsRunning;
    FinishAnimation(Menu);
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
}

bool TdxBarSubMenuControl::Animating() const { return A().menu == this; }

void TdxBarSubMenuControl::WaitForAnimation() {
  TAnimation& a = A();
  if (a.menu != this) return;
  a.skipFinal = closing_ || BeingFreed;
  a.stop = true;
  // The worker's window calls come to this thread as sent messages: they are
  // handled while waiting, so neither thread blocks the other. Posted
  // messages stay queued for later.
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &a.thread, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) break;
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  FinishAnimation(this);
}
