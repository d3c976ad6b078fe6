#include "platform/Timer.h"

#include "platform/Forms.h"

namespace {
const wchar_t* TimerWindowClass() {
  static const wchar_t* name = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TTimerWindow";
    RegisterClassW(&wc);
    return L"TTimerWindow";
  }();
  return name;
}
}  // namespace

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  window_ = CreateWindowExW(0, TimerWindowClass(), L"", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (!window_) throw EOutOfResources();
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TTimer::WndProc));
  UpdateTimer();
}

TTimer::~TTimer() {
  enabled_ = false;
  if (window_) {
    KillTimer(window_, 1);
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

LRESULT CALLBACK TTimer::WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_TIMER) {
    auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    if (timer) {
      try {
        timer->Timer();
      } catch (...) {
        if (Application) Application->HandleException(timer);
      }
    }
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

void TTimer::UpdateTimer() {
  KillTimer(window_, 1);
  if (interval_ != 0 && enabled_)
    if (!SetTimer(window_, 1, interval_, nullptr)) throw EOutOfResources("Not enough timers available");
}

void TTimer::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
  if (Value == interval_) return;
  interval_ = Value;
  UpdateTimer();
}

void TTimer::Timer() {
  if (enabled_) OnTimer(this);
}
