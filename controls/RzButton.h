// Custom-drawn buttons of the styled control library:
//  - TRzCustomButton: the base of every button-like control (caption painter
//    with vertical alignment and 3-D text, pressed-look tracking, hot
//    tracking, theme awareness);
//  - TRzButton: the push button with its three looks (themed, classic,
//    hot-track), default/cancel roles, modal result and grouped down states;
//  - TRzBitBtn: a push button with a glyph from a bitmap or an image list,
//    and the standard kinds;
//  - TRzControlButton: the small windowless button spin buttons are made of
//    (glyph, spin arrow or drop-down arrow, optional auto-repeat).
#pragma once

#include <memory>

#include "controls/RzCommon.h"
#include "platform/Buttons.h"
#include "platform/ComCtrls.h"
#include "platform/Controls.h"
#include "platform/Timer.h"
#include "platform/TypInfo.h"

enum TRzHotTrackColorType { htctComplement, htctActual };

// Sent to the siblings of a group button (WParam GroupIndex, LParam the sender).
constexpr UINT GroupButtonMessage = 0x2421;

class TRzCustomButton : public TCustomControl {
 public:
  T_CLASSNAME(TRzCustomButton)
  explicit TRzCustomButton(TComponent* AOwner);

  TAlignmentVertical AlignmentVertical() const { return alignmentVertical_; }
  virtual void SetAlignmentVertical(TAlignmentVertical Value);
  bool HotTrack() const { return hotTrack_; }
  virtual void SetHotTrack(bool Value);
  TColor HotTrackColor() const { return hotTrackColor_; }
  void SetHotTrackColor(TColor Value) { hotTrackColor_ = Value; }
  TRzHotTrackColorType HotTrackColorType() const { return hotTrackColorType_; }
  void SetHotTrackColorType(TRzHotTrackColorType Value) { hotTrackColorType_ = Value; }
  TColor HighlightColor() const { return highlightColor_; }
  virtual void SetHighlightColor(TColor Value);
  bool LightTextStyle() const { return lightTextStyle_; }
  virtual void SetLightTextStyle(bool Value);
  TTextStyle TextStyle() const { return textStyle_; }
  virtual void SetTextStyle(TTextStyle Value);
  TColor TextHighlightColor() const { return textHighlightColor_; }
  virtual void SetTextHighlightColor(TColor Value);
  TColor TextShadowColor() const { return textShadowColor_; }
  virtual void SetTextShadowColor(TColor Value);
  Integer TextShadowDepth() const { return textShadowDepth_; }
  virtual void SetTextShadowDepth(Integer Value);
  bool ThemeAware() const { return themeAware_; }
  virtual void SetThemeAware(bool Value);
  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool Value);

  // State a person sees: the pointer is over the control; the face shows pressed.
  bool MouseOver() const { return mouseOver_; }
  bool PressedLook() const { return pressedLook_; }

  // The caption painter every descendant uses (Flags: DT_ flags of the layout).
  virtual void DrawCaption(TCanvas* ACanvas, TRect Rect, UINT Flags);

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  virtual void UpdateDisplay() {}
  virtual void RefreshFocusLook() { Repaint(); }
  virtual void GetHotTrackRect(TRect& Rect) { Rect = ClientRect(); }
  // What a completed press (mouse or key) does.
  virtual void CycleState() = 0;
  virtual void DoMouseEnter();
  virtual void DoMouseLeave();
  // Themed means ThemeAware and visual styles in force.
  bool Themed() const;

  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

  TAlignmentVertical alignmentVertical_ = avCenter;
  TColor hotTrackColor_ = clHighlight;
  TRzHotTrackColorType hotTrackColorType_ = htctComplement;
  TColor highlightColor_ = clHighlight;
  bool lightTextStyle_ = false;
  TTextStyle textStyle_ = tsNormal;
  TColor textHighlightColor_ = clBtnHighlight;
  TColor textShadowColor_ = clBtnShadow;
  Integer textShadowDepth_ = 2;
  bool dragging_ = false;
  bool hotTrack_ = false;
  bool mouseOver_ = false;
  bool pressedLook_ = false;
  bool transparent_ = false;
  bool themeAware_ = true;
};

// The push button.
class TRzButton : public TRzCustomButton {
 public:
  T_CLASSNAME(TRzButton)
  explicit TRzButton(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  virtual void SetAlignment(TAlignment Value);
  bool Default() const { return default_; }
  virtual void SetDefault(bool Value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool Value) { cancel_ = Value; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult Value) { modalResult_ = Value; }
  bool AllowAllUp() const { return allowAllUp_; }
  virtual void SetAllowAllUp(bool Value);
  bool Down() const { return down_; }
  virtual void SetDown(bool Value);
  Integer GroupIndex() const { return groupIndex_; }
  virtual void SetGroupIndex(Integer Value);
  bool ShowDownPattern() const { return showDownPattern_; }
  virtual void SetShowDownPattern(bool Value);
  bool ShowFocusRect() const { return showFocusRect_; }
  virtual void SetShowFocusRect(bool Value);
  bool DropDownOnEnter() const { return dropDownOnEnter_; }
  void SetDropDownOnEnter(bool Value) { dropDownOnEnter_ = Value; }
  bool KeyClickPending() const { return keyClickPending_; }
  // 0 up, 3 down in its group (2 and 3 paint pressed).
  Byte DownState() const { return downState_; }
  // The button shows the default look and answers Enter.
  bool Active() const { return active_; }
  // True while a click fired by Enter runs with DropDownOnEnter off.
  bool EnterClick() const { return enterClick_; }
  void SetHotTrack(bool Value) override;

  void Click() override;

 protected:
  virtual void GetCaptionRect(TRect& Rect);
  virtual void DrawButtonContent();
  virtual void MakeDownPattern(TBitmap* Bitmap);
  void UpdateDisplay() override { Invalidate(); }
  void CycleState() override;
  void Paint() override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void CMDialogKey(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;
  void CMFocusChanged(TMessage& Message) override;
  // Pressed: the pressed-look flag, or a group button whose DownState is 2 or 3.
  bool ShowsPressed() const { return pressedLook_ || downState_ == 2 || downState_ == 3; }

  TAlignment alignment_ = taCenter;
  bool clicking_ = false;

 private:
  void NotifyGroup();
  void GroupButtonNotice(TMessage& Message);
  void RenderButton();

  bool default_ = false;
  bool cancel_ = false;
  bool active_ = false;
  TModalResult modalResult_ = mrNone;
  bool keyClickPending_ = false;
  bool allowAllUp_ = false;
  bool down_ = false;
  Integer groupIndex_ = 0;
  bool showDownPattern_ = true;
  bool showFocusRect_ = true;
  bool dropDownOnEnter_ = true;
  Byte downState_ = 0;
  bool enterClick_ = false;
};

// A push button with a glyph beside, above or below its caption.
class TRzBitBtn : public TRzButton {
 public:
  T_CLASSNAME(TRzBitBtn)
  explicit TRzBitBtn(TComponent* AOwner);
  ~TRzBitBtn() override;

  TBitmap* Glyph() const { return glyph_.get(); }
  virtual void SetGlyph(TBitmap* Value);
  // Reads back bkCustom once Default, Cancel, ModalResult or the glyph no
  // longer match the kind's presets.
  virtual TBitBtnKind Kind();
  virtual void SetKind(TBitBtnKind Value);
  TButtonLayout Layout() const { return layout_; }
  virtual void SetLayout(TButtonLayout Value);
  // Distance of the glyph from the edge; -1 centres glyph and caption.
  Integer Margin() const { return margin_; }
  virtual void SetMargin(Integer Value);
  TNumGlyphs NumGlyphs() const { return numGlyphs_; }
  virtual void SetNumGlyphs(TNumGlyphs Value);
  Integer Spacing() const { return spacing_; }
  virtual void SetSpacing(Integer Value);
  Integer ImageIndex() const { return imageIndex_; }
  virtual void SetImageIndex(Integer Value);
  Integer DisabledIndex() const { return disabledIndex_; }
  virtual void SetDisabledIndex(Integer Value);
  TCustomImageList* Images() const { return images_; }
  virtual void SetImages(TCustomImageList* Value);

  // The preset caption of a kind (empty for bkCustom).
  static std::string KindCaption(TBitBtnKind Kind);
  static TModalResult KindModalResult(TBitBtnKind Kind);
  // The kind's glyph, loaded from the program's bitmap resources once and
  // shared; nullptr for bkCustom or when the program has no such resource.
  static TBitmap* KindGlyph(TBitBtnKind Kind);

  // The size of the glyph shown: the image list's images, else one glyph cell.
  virtual TPoint GetGlyphSize();
  HPALETTE GetPalette() override;

 protected:
  void GetCaptionRect(TRect& Rect) override;
  void DrawButtonContent() override;
  virtual void GetGlyphRect(TRect& Rect);
  virtual void DrawImageListGlyph(const TRect& Rect);
  virtual void DrawGlyphBitmap(const TRect& Rect);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  void ChangeScale(Integer M, Integer D) override;

 private:
  void GlyphChanged(TObject* Sender);
  void ImageListChange(TObject* Sender);
  // Caption height in the caption rectangle's width, and the centring offset.
  void CentredMetrics(const TRect& R, Integer& TextHeight, Integer& Offset);

  std::unique_ptr<TBitmap> glyph_;
  TBitBtnKind kind_ = bkCustom;
  TButtonLayout layout_ = blGlyphLeft;
  Integer margin_ = 2;
  TNumGlyphs numGlyphs_ = 1;
  Integer spacing_ = 4;
  bool glyphModified_ = false;
  Integer imageIndex_ = -1;
  Integer disabledIndex_ = -1;
  TCustomImageList* images_ = nullptr;
  std::unique_ptr<TChangeLink> imageChangeLink_;
};

enum TRzControlButtonStyle { cbsNone, cbsLeft, cbsUp, cbsRight, cbsDown, cbsDropDown };

// A small windowless button; with RepeatClicks it clicks on while held.
class TRzControlButton : public TGraphicControl {
 public:
  T_CLASSNAME(TRzControlButton)
  explicit TRzControlButton(TComponent* AOwner);
  ~TRzControlButton() override;

  bool Flat() const { return flat_; }
  virtual void SetFlat(bool Value);
  TBitmap* Glyph() const { return glyph_.get(); }
  virtual void SetGlyph(TBitmap* Value);
  TNumGlyphs NumGlyphs() const { return numGlyphs_; }
  virtual void SetNumGlyphs(TNumGlyphs Value);
  bool RepeatClicks() const { return repeatClicks_; }
  void SetRepeatClicks(bool Value) { repeatClicks_ = Value; }
  Word InitialDelay() const { return initialDelay_; }
  void SetInitialDelay(Word Value) { initialDelay_ = Value; }
  Word Delay() const { return delay_; }
  void SetDelay(Word Value) { delay_ = Value; }
  TRzControlButtonStyle Style() const { return style_; }
  virtual void SetStyle(TRzControlButtonStyle Value);
  bool IsDown() const { return down_; }
  bool MouseOver() const { return mouseOver_; }
  // The repeat timer (nullptr until the first press with RepeatClicks).
  TTimer* RepeatTimer() const { return timer_.get(); }
  // Called when the glyph bitmap changes (also by a spin-buttons owner).
  TNotifyEvent OnGlyphChange;

  void Click() override { TGraphicControl::Click(); }
  HPALETTE GetPalette() override;
  virtual TPoint GetGlyphSize();

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  void Paint() override;
  virtual void DrawGlyphFace(TRect& R);
  virtual void DrawArrowFace(TRect& R);
  virtual void DrawDropDownFace(TRect& R);
  virtual void DrawGlyphBitmap(const TRect& Rect);
  virtual void DoMouseEnter();
  virtual void DoMouseLeave();
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  void GlyphChanged(TObject* Sender);
  void TimerExpired(TObject* Sender);
  // Hot: down, or the pointer over an enabled button.
  bool Hot() const { return down_ || (mouseOver_ && Enabled()); }

  bool down_ = false;
  bool dragging_ = false;
  bool flat_ = false;
  bool mouseOver_ = false;
  std::unique_ptr<TBitmap> glyph_;
  TNumGlyphs numGlyphs_ = 1;
  bool repeatClicks_ = false;
  std::unique_ptr<TTimer> timer_;
  Word initialDelay_ = 400;
  Word delay_ = 100;
  TRzControlButtonStyle style_ = cbsNone;
};

// Draws one cell of a glyph strip into Rect on Canvas (the disabled cell, 1,
// when disabled and the strip has two or more; a single cell embossed in grey
// when disabled), leaving out the strip's bottom-left colour.
void DrawButtonGlyph(TCanvas* Canvas, TBitmap* Glyph, TNumGlyphs NumGlyphs, bool Enabled, TColor Color,
                     const TRect& Rect);

// The caption-style and hot-track properties every button-like control
// publishes with these defaults (the push button, check box, radio button).
template <class C>
void AddRzButtonLookProps(TClassBuilder<C>& b) {
  b.Enum("AlignmentVertical", &C::AlignmentVertical, &C::SetAlignmentVertical, avCenter)
      .Color("HighlightColor", &C::HighlightColor, &C::SetHighlightColor, clHighlight)
      .Bool("HotTrack", &C::HotTrack, &C::SetHotTrack, false)
      .Color("HotTrackColor", &C::HotTrackColor, &C::SetHotTrackColor, clHighlight)
      .Enum("HotTrackColorType", &C::HotTrackColorType, &C::SetHotTrackColorType, htctComplement)
      .Bool("LightTextStyle", &C::LightTextStyle, &C::SetLightTextStyle, false)
      .Color("TextHighlightColor", &C::TextHighlightColor, &C::SetTextHighlightColor, clBtnHighlight)
      .Color("TextShadowColor", &C::TextShadowColor, &C::SetTextShadowColor, clBtnShadow)
      .Int("TextShadowDepth", &C::TextShadowDepth, &C::SetTextShadowDepth, 2)
      .Enum("TextStyle", &C::TextStyle, &C::SetTextStyle, tsNormal)
      .Bool("ThemeAware", &C::ThemeAware, &C::SetThemeAware, true)
      .Event("OnMouseEnter", &C::OnMouseEnter)
      .Event("OnMouseLeave", &C::OnMouseLeave);
}

// Enters the buttons' published properties (idempotent).
void RegisterRzButtonClasses();
