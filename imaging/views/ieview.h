// The base control of the image library's views: change listeners through
// which the I/O and processing components follow the shown picture, the
// virtual operations they call, and the shown picture's resolution.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Controls.h"

class TIEBitmap;
class TIEMask;
class TMemoryStream;
class TIEView;
class TIETransitionEffects;

// A listener: (sender view, destroying). Bound to its listening object.
using TIEViewChangeEvent = TEvent<TIEView*, bool>;
// The address of the listener's record; -1 is "none".
using TIEListenerHandle = intptr_t;
constexpr TIEListenerHandle IENoListener = -1;

class TIEView : public TCustomControl {
 public:
  T_CLASSNAME(TIEView)
  explicit TIEView(TComponent* AOwner);
  ~TIEView() override;

  TIEListenerHandle AddChangeListener(const TIEViewChangeEvent& Listener);
  // Ignores negative handles and handles not in the list.
  void RemoveChangeListener(TIEListenerHandle Handle);
  // Calls the listeners registered when the call starts, in registration order.
  void NotifyChangeListeners();
  Integer ChangeListenerCount() const { return static_cast<Integer>(listeners_.size()); }

  TColor Background() const { return background_; }
  virtual void SetBackground(TColor Value);
  virtual TBitmap* CurrentBitmap() { return nullptr; }
  virtual TIEBitmap* CurrentIEBitmap() { return nullptr; }
  virtual TIEBitmap* AlphaBitmap();
  virtual bool AlphaBitmapPresent();
  virtual void FlattenAlpha(bool Value);
  virtual void SuspendRefresh();
  virtual Integer ResumeRefresh();
  virtual Integer ResumeRefreshQuiet();
  virtual void StoreResolutionX(Integer Value);
  virtual void StoreResolutionY(Integer Value);
  virtual void StoreResolution(Integer X, Integer Y);
  virtual void NotifyImageChanged() {}

  // The view's transition engine (created with the view, stopped by a resize).
  TIETransitionEffects* Transition() const { return transition_.get(); }

  Integer ResolutionX() const { return dpiX_; }
  Integer ResolutionY() const { return dpiY_; }

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  // Ctl3D and ParentCtl3D are the platform's: a Ctl3D change gives the
  // window its new border.

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void WMSize(TMessage& Message) override;

 private:
  struct Listener {
    TIEViewChangeEvent Callback;
  };
  TBorderStyle borderStyle_ = bsSingle;
  std::vector<std::unique_ptr<Listener>> listeners_;
  TColor background_ = clBtnFace;
  Integer dpiX_ = 0;
  Integer dpiY_ = 0;
  std::unique_ptr<TIETransitionEffects> transition_;
};

// What the processing component needs of a view that has a selection (the
// single-image view implements it next to TIEView).
class IIESelectionView {
 public:
  virtual ~IIESelectionView() = default;
  virtual void WriteSelectionState(TMemoryStream* Stream) = 0;
  virtual bool ReadSelectionState(TMemoryStream* Stream) = 0;
  virtual TIEMask* SelectionMask() = 0;
  virtual bool SelectionActive() = 0;
  virtual TPoint* SelectionPoints() = 0;
  virtual Integer SelectionPointCount() = 0;
};
