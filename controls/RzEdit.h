// The framed single-line edit of the styled control library: a flat or
// styled frame drawn in the window's non-client border with hot tracking,
// colours for the normal, focused and disabled states, a look a frame
// controller can push, Enter-as-Tab, left or right alignment and an optional
// drop-down button in the non-client area.
#pragma once

#include "controls/RzCommon.h"
#include "platform/Buttons.h"
#include "platform/StdCtrls.h"

class TRzFrameController;

using TValidateErrorEvent = TEvent<TObject*, std::string&>;

class TRzCustomEdit : public TCustomMaskEdit,
                      public TRzFrameSettings,
                      public TRzFrameControllerLink<TRzCustomEdit> {
 public:
  T_CLASSNAME(TRzCustomEdit)
  explicit TRzCustomEdit(TComponent* AOwner);
  ~TRzCustomEdit() override;

  // Only taLeftJustify and taRightJustify.
  TAlignment Alignment() const { return alignment_; }
  virtual void SetAlignment(TAlignment Value);
  bool TabOnEnter() const { return tabOnEnter_; }
  void SetTabOnEnter(bool Value) { tabOnEnter_ = Value; }
  // A colour set from outside becomes the normal (unfocused, enabled) colour.
  TColor Color() const { return TCustomMaskEdit::Color(); }
  virtual void SetColor(TColor Value);
  TColor DisabledColor() const { return disabledColor_; }
  virtual void SetDisabledColor(TColor Value);
  TColor FocusColor() const { return focusColor_; }
  virtual void SetFocusColor(TColor Value);
  // Frame settings: TRzFrameSettings and TRzFrameControllerLink.
  virtual void SetFrameHotTrack(bool Value);
  virtual void SetFrameVisible(bool Value);
  virtual void SetFramingPreference(TFramingPreference Value);
  bool FlatButtons() const { return flatButtons_; }
  virtual void SetFlatButtons(bool Value);
  TColor FlatButtonColor() const { return flatButtonColor_; }
  void SetFlatButtonColor(TColor Value) { flatButtonColor_ = Value; }
  // The colour shown while enabled and unfocused.
  TColor NormalColor() const { return normalColor_; }
  // The focus (Which 0) and mouse-over (Which 1) state the frame follows.
  bool InControl() const { return inControl_; }
  bool OverControl() const { return overControl_; }
  TButtonState ButtonState() const { return buttonState_; }
  bool DropButtonVisible() const { return dropButtonVisible_; }
  // The embedded drop button is shown (recreates the window).
  virtual void SetDropButtonVisible(bool Value);
  bool DroppedDown() const { return droppedDown_; }
  // Visual styles are on and the control prefers their border.
  virtual bool UsesStyledFrame();
  TAlignment GetControlsAlignment() override { return alignment_; }
  // Values of older form files: "FrameFlat" sets FrameHotTrack and, when
  // True, the styles fsStatus and fsLowered.
  void ReadFrameFlat(bool Value);

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TValidateErrorEvent OnValidateError;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  virtual void UpdateColors();
  virtual void UpdateFrameState(Integer Which, bool Value);
  virtual void RedrawFrame();
  void FrameSettingChanged(TRzFrameSetting) override { RedrawFrame(); }
  virtual void GetFrameClientRect(TRect& Rect) { Rect = ClientRect(); }
  virtual void GetFrameText(std::string& Text) { Text = this->Text(); }
  virtual void DrawDropButton(const TRect& Rect);
  virtual void SetButtonState(TButtonState State);
  // The frame (and embedded button) painted into the window's device context.
  virtual void PaintNonClient(HDC DC);
  void RepaintNonClient();
  void DropDown();
  void CloseUp();

  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CMEnter(TMessage& Message) override;
  void CMExit(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMParentColorChanged(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void KeyPress(char& Key) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void ValidateError() override;

  TAlignment alignment_ = taLeftJustify;
  bool tabOnEnter_ = false;
  bool updatingColor_ = false;
  TColor disabledColor_ = clBtnFace;
  TColor focusColor_ = clWindow;
  TColor normalColor_ = clWindow;
  bool dropButtonVisible_ = false;
  bool mouseOverButton_ = false;
  bool flatButtons_ = false;
  TColor flatButtonColor_ = clBtnFace;
  bool droppedDown_ = false;
  TButtonState buttonState_ = bsUp;
  bool inControl_ = false;
  bool overControl_ = false;

 private:
  TCanvas* ncCanvas_ = nullptr;  // the window's canvas while the non-client area paints
  void WMNCPaint(TMessage& Message);
  void WMNCCalcSize(TMessage& Message);
  void WMNCHitTest(TMessage& Message);
  bool ButtonMouseMessage(TMessage& Message);
};

void RegisterRzEditClasses();
