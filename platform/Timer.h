// TTimer: fires OnTimer every Interval milliseconds on the thread that
// created it, through a hidden window and a window timer.
#pragma once

#include "platform/Classes.h"
#include "platform/System.h"

class TTimer : public TComponent {
 public:
  T_CLASSNAME(TTimer)
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  Cardinal Interval() const { return interval_; }
  void SetInterval(Cardinal Value);
  TNotifyEvent OnTimer;

 protected:
  // Fires OnTimer; an exception goes to the application's handler.
  virtual void Timer();

 private:
  static LRESULT CALLBACK WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void UpdateTimer();
  HWND window_ = nullptr;
  bool enabled_ = true;
  Cardinal interval_ = 1000;
};
