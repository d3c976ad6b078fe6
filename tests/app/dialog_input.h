// Helpers for the editor's dialog tests: a script of real input steps run
// from a short timer while a modal dialog's loop pumps, clicks on controls,
// the settings key cleaned, and pictures of a shown window.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/GifRoutines.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Registry.h"
#include "platform/Timer.h"
#include "tests/bars/bar_input.h"
#include "tests/controls/shots.h"

namespace dlgtest {

// A left click (SendInput) at a client point of C, handled before it returns.
inline void ClickAt(TControl* C, Integer X, Integer Y) { barinput::Click(C->ClientToScreen(Point(X, Y))); }
inline void ClickCentre(TControl* C) { ClickAt(C, C->Width() / 2, C->Height() / 2); }

// Types Text key by key (digits and letters).
inline void TypeText(const std::string& Text) {
  for (char ch : Text) barinput::Tap(static_cast<Word>(ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch));
}

// Runs Steps one by one from a 60 ms timer (each after the input of the one
// before was handled), while Run (a modal dialog, say) pumps messages. A step
// that throws ends the script; the error is kept for the test.
class TInputScript {
 public:
  explicit TInputScript(std::vector<std::function<void()>> Steps) : steps_(std::move(Steps)), timer_(nullptr) {
    timer_.SetInterval(60);
    timer_.OnTimer = [this](TObject*) {
      if (busy_ || next_ >= steps_.size()) return;
      busy_ = true;
      try {
        steps_[next_++]();
      } catch (const std::exception& e) {
        error_ = e.what();
        next_ = steps_.size();
      }
      busy_ = false;
    };
    timer_.SetEnabled(true);
  }
  ~TInputScript() { timer_.SetEnabled(false); }
  bool Finished() const { return next_ >= steps_.size(); }
  const std::string& Error() const { return error_; }

 private:
  std::vector<std::function<void()>> steps_;
  TTimer timer_;
  size_t next_ = 0;
  bool busy_ = false;
  std::string error_;
};

// The form of class T that is showing now (the modal dialog), or nullptr.
template <class T>
T* ShowingForm() {
  for (Integer i = 0; i < Screen->FormCount(); ++i)
    if (auto* f = dynamic_cast<T*>(Screen->Forms(i)); f && f->Visible()) return f;
  return nullptr;
}

// The settings key, removed before and after each test that uses it.
inline void DeleteSettingsKey() {
  TRegistry r;
  r.SetRootKey(HKEY_CURRENT_USER);
  r.DeleteKey(std::string("\\") + GifSettingsKey);
}
inline bool SettingsKeyExists() {
  TRegistry r;
  r.SetRootKey(HKEY_CURRENT_USER);
  return r.KeyExists(std::string("\\") + GifSettingsKey);
}
inline void PutSetting(const std::string& Name, const std::string& Value) {
  TRegistry r;
  r.SetRootKey(HKEY_CURRENT_USER);
  if (r.OpenKey(GifSettingsKey, true)) r.WriteString(Name, Value);
}
// The stored string, or "<none>" when the value is missing.
inline std::string GetSetting(const std::string& Name) {
  TRegistry r;
  r.SetRootKey(HKEY_CURRENT_USER);
  if (!r.OpenKeyReadOnly(GifSettingsKey) || !r.ValueExists(Name)) return "<none>";
  return r.ReadString(Name);
}

// What a shown form looks like, frame and caption included.
inline std::unique_ptr<TBitmap> FormShot(TForm* F) {
  testshots::PaintNow(F);
  RECT wr;
  ::GetWindowRect(F->Handle(), &wr);
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(wr.right - wr.left, wr.bottom - wr.top);
  HDC dc = ::GetWindowDC(F->Handle());
  ::BitBlt(b->Canvas()->Handle(), 0, 0, b->Width(), b->Height(), dc, 0, 0, SRCCOPY);
  ::ReleaseDC(F->Handle(), dc);
  return b;
}

}  // namespace dlgtest
