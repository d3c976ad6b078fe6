// Small helpers shared by the tests of windows and forms: a form to put
// controls on, a timer that acts once (inside a modal loop, say), a key press
// through the message queue and a message pump with a timeout.
#pragma once

#include <functional>
#include <memory>

#include "platform/Forms.h"
#include "platform/Timer.h"

namespace testui {

// A form of W x H at (Left, Top), borderless by default so that its client
// area is its whole size. The caller owns it.
inline TForm* NewForm(Integer W = 300, Integer H = 200, Integer Left = 10, Integer Top = 10,
                      TFormBorderStyle Border = bsNone) {
  TForm* f = CreateForm<TForm>(nullptr);
  f->SetBorderStyle(Border);
  f->SetBounds(Left, Top, W, H);
  return f;
}

// Fires Action once, Ms milliseconds after construction, from the message loop.
struct TOneShot {
  std::unique_ptr<TTimer> timer;
  TOneShot(Cardinal Ms, std::function<void()> Action) : timer(std::make_unique<TTimer>(nullptr)) {
    timer->SetInterval(Ms);
    TTimer* t = timer.get();
    timer->OnTimer = [t, Action](TObject*) {
      t->SetEnabled(false);
      Action();
    };
  }
};

// A key's press and release posted to Wnd, then handled by the message loop.
inline void PressKey(HWND Wnd, Word Key) {
  PostMessageW(Wnd, WM_KEYDOWN, Key, 1);
  PostMessageW(Wnd, WM_KEYUP, Key, static_cast<LPARAM>(0xC0000001u));
  Application->ProcessMessages();
}

// Runs the message loop until Done or the timeout (milliseconds); true when done.
inline bool PumpUntil(const std::function<bool()>& Done, int TimeoutMs = 2000) {
  DWORD start = GetTickCount();
  while (!Done()) {
    Application->ProcessMessages();
    if (GetTickCount() - start > static_cast<DWORD>(TimeoutMs)) return false;
    Sleep(1);
  }
  return true;
}

}  // namespace testui
