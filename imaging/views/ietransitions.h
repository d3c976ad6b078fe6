// The transition engine of the image views: over a given time it composes,
// tick by tick, frames that mix an old picture (source) and a new one (target)
// and copies them onto its view's canvas.
#pragma once

#include <memory>
#include <vector>

#include "platform/Graphics.h"
#include "platform/System.h"

class TIEView;
class TTimer;

enum TIETransitionType : Byte {
  iettNone,
  iettCrossDissolve,
  iettFadeOut,
  iettFadeIn,
  iettFadeOutIn,
  iettLeftRight1,
  iettLeftRight2,
  iettRightLeft1,
  iettRightLeft2,
  iettUpDown1,
  iettUpDown2,
  iettDownUp1,
  iettDownUp2,
  iettFromUpLeft,
  iettFromUpRight,
  iettFromBottomLeft,
  iettFromBottomRight,
  iettMoveLeftRight1,
  iettMoveLeftRight2,
  iettMoveRightLeft1,
  iettMoveRightLeft2,
  iettMoveUpDown1,
  iettMoveUpDown2,
  iettMoveDownUp1,
  iettMoveDownUp2,
  iettRandomPoints,
  iettRandomBoxes,
  iettCenter1,
  iettCenter2,
  iettCenterZoom1,
  iettCenterZoom2
};
constexpr int IETransitionTypeCount = 31;

// Milliseconds since some fixed moment; replaceable so that timing can be driven.
using TIETickSource = DWORD (*)();

class TIETransitionEffects : public TObject {
 public:
  T_CLASSNAME(TIETransitionEffects)
  // Progress runs from 0 to this value (the end of the transition).
  static constexpr Integer FullProgress = 1024;

  explicit TIETransitionEffects(TIEView* View);
  ~TIETransitionEffects() override;

  // Starts a transition on the view from Source to Target (drawn at the top
  // left of pictures of the view's client size; uncovered parts get the view's
  // background). The view's refresh stays suspended until the transition ends.
  // iettNone, or a view without a client area, starts nothing.
  void Start(TBitmap* Source, TBitmap* Target, TIETransitionType Type, Integer Duration);
  // Ends a running transition; nothing when idle or when the type is iettNone.
  void Stop();
  // The timer's handler: draws the frame of the current progress, then measures
  // the progress for the next one. The tick that reaches the duration draws the
  // last frame (progress FullProgress) and stops.
  void Step();

  bool Running() const { return running_; }
  TIETransitionType TransitionType() const { return type_; }
  Integer Duration() const { return duration_; }
  Integer Progress() const { return progress_; }
  // The frame last composed (24-bit, the view's client size while running).
  TBitmap* Frame() const { return work_.get(); }
  // Calls the view's Update when the transition ends.
  bool UpdateOnStop = false;
  TIETickSource TickSource;

 private:
  void Compose(Integer P);
  void Blend(const std::vector<Byte*>& A, const std::vector<Byte*>& B, const Byte* ConstA, const Byte* ConstB,
             Integer P);
  void Reveal(Integer X, Integer Y, Integer W, Integer H);
  void RedLine(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void CopyRows(const std::vector<Byte*>& From, Integer FromRow, Integer ToRow, Integer Count);
  void Present();
  static void Prepare(TBitmap* Bitmap, std::vector<Byte*>& Rows, Integer W, Integer H);

  std::unique_ptr<TBitmap> source_, target_, work_;
  std::vector<Byte*> sourceRows_, targetRows_, workRows_;
  Integer width_ = 1;
  Integer height_ = 1;
  bool running_ = false;
  TIEView* view_;
  std::unique_ptr<TTimer> timer_;
  Integer progress_ = 0;
  Integer pointsDone_ = 0;
  TIETransitionType type_ = iettNone;
  Integer duration_ = 1000;
  DWORD startTick_ = 0;
};
