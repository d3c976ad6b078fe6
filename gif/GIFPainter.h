// The animation painter: plays a TGIFImage on a canvas with the frames'
// delays, disposal methods and loop count, on a thread of its own (drawing
// through the main thread) or inside the call that starts it.
#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <memory>

#include "gif/GIFImage.h"

// The painters' time source and waits. Tests put a fake clock here.
struct TGIFPainterClock {
  std::function<DWORD()> Now;            // milliseconds
  std::function<void(DWORD)> Sleep;      // waits of painters that are not threaded; Sleep(0) yields
  // Threaded waits on the wake event; true when the event, not the time-out, ended the wait.
  std::function<bool(HANDLE, DWORD)> WaitWake;
};
extern TGIFPainterClock GIFPainterClock;
// The real clock (what GIFPainterClock holds at start-up).
TGIFPainterClock SystemPainterClock();

class TGIFPainter : public TThread {
 public:
  T_CLASSNAME(TGIFPainter)
  // Created suspended; stores itself into *Reference.
  TGIFPainter(TGIFPainter** Reference, TGIFPaintFlags Flags, const TRect& R, TCanvas* Canvas, TGIFImage* Image);
  ~TGIFPainter() override;

  void StartPainting();
  void StopPainter();
  // Runs the body on the calling thread (a painter that is not threaded).
  void RunHere();
  std::exception_ptr KeptException() const { return kept_; }

  Integer ActiveFrame() const { return activeFrame_; }
  void SetActiveFrame(Integer Value) { activeFrame_ = Value; }
  TGIFImage* Image() const { return image_; }
  TCanvas* Canvas() const { return canvas_; }
  const TRect& TargetRect() const { return rect_; }
  TGIFPaintFlags PaintFlags() const { return flags_; }
  Integer Speed() const { return speed_; }
  bool Started() const { return started_; }
  // True while a call of the painter runs on the main thread.
  bool InSynchronizedCall() const { return inSync_; }
  TBitmap* BackupBuffer() const { return backup_.get(); }

  void ReleaseResources();
  // The document goes away first: the painter forgets it and the reference.
  void Detach() {
    image_ = nullptr;
    reference_ = nullptr;
  }

  TNotifyEvent OnAnimationStart;
  TNotifyEvent OnFrameShow;
  TNotifyEvent OnFrameShown;
  TNotifyEvent OnAnimationLoop;
  TNotifyEvent OnAnimationEnd;

 protected:
  void Execute() override;

 private:
  void Body();
  void WaitForFrame(Integer& W, DWORD& T, Integer& D, TGIFSubImage* Frame);
  void PumpMessages();
  void PaintPlain();
  void PaintComposed();
  void RestoreFrameArea();
  void FireEvent(const TNotifyEvent& Handler);
  void RunSynchronized(const std::function<void()>& Method);
  bool Threaded() const { return (flags_ & pfThreaded) != 0; }

  TGIFImage* image_;  // set to nil on the main thread only while the body waits there
  TCanvas* canvas_;
  TRect rect_;
  TGIFPaintFlags flags_;
  Integer speed_;
  std::atomic<Integer> activeFrame_{-1};
  Byte disposal_ = 1;
  Byte previousDisposal_ = 1;
  std::unique_ptr<TBitmap> backup_;
  std::unique_ptr<TBitmap> frameBuffer_;
  std::unique_ptr<TBitmap> background_;
  TColor backgroundColor_ = 0;
  HDC validationDC_ = nullptr;
  std::atomic<bool> started_{false};
  TGIFPainter** reference_;
  HANDLE wake_ = nullptr;
  std::exception_ptr kept_;
  TNotifyEvent current_;
  std::atomic<bool> inSync_{false};
  bool released_ = false;
};
