// The spin edit: a numeric framed edit with a pair of spin buttons inside its
// right edge. Its value lives only in the text: reading Value parses the
// text, writing it clamps into the range and writes fixed-point text with
// Decimals digits. Steps come from the buttons (with auto-repeat), the Up,
// Down, Page Up and Page Down keys and the wheel; OnChanging may veto one.
#pragma once

#include "controls/RzButton.h"
#include "controls/RzEdit.h"

enum TSpinDirection { sdUpDown, sdLeftRight };
enum TOrientation { orHorizontal, orVertical };
enum TSpinButtonType { sbUp, sbDown };

using TSpinChangingEvent = TEvent<TObject*, bool&>;
using TSpinButtonEvent = TEvent<TObject*, TSpinButtonType>;

// The button pair: two control buttons, stacked or side by side.
class TRzSpinButtons : public TWinControl {
 public:
  T_CLASSNAME(TRzSpinButtons)
  explicit TRzSpinButtons(TComponent* AOwner);

  TSpinDirection Direction() const { return direction_; }
  virtual void SetDirection(TSpinDirection Value);
  TOrientation Orientation() const { return orientation_; }
  virtual void SetOrientation(TOrientation Value);
  bool Flat() const { return flat_; }
  virtual void SetFlat(bool Value);
  bool Enabled() const { return TWinControl::Enabled(); }
  void SetEnabled(bool Value) override;
  TColor Color() const { return TWinControl::Color(); }
  virtual void SetColor(TColor Value);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* Value);
  TBitmap* GlyphUpRight() const { return upRight_->Glyph(); }
  virtual void SetGlyphUpRight(TBitmap* Value);
  TBitmap* GlyphDownLeft() const { return downLeft_->Glyph(); }
  virtual void SetGlyphDownLeft(TBitmap* Value);
  TNumGlyphs NumGlyphsUpRight() const { return upRight_->NumGlyphs(); }
  void SetNumGlyphsUpRight(TNumGlyphs Value) { upRight_->SetNumGlyphs(Value); }
  TNumGlyphs NumGlyphsDownLeft() const { return downLeft_->NumGlyphs(); }
  void SetNumGlyphsDownLeft(TNumGlyphs Value) { downLeft_->SetNumGlyphs(Value); }
  bool CustomGlyphUpRight() const { return customUpRight_; }
  bool CustomGlyphDownLeft() const { return customDownLeft_; }
  TRzControlButton* UpRightButton() const { return upRight_; }
  TRzControlButton* DownLeftButton() const { return downLeft_; }

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  TNotifyEvent OnUpRightClick;
  TNotifyEvent OnDownLeftClick;

 protected:
  virtual TRzControlButton* CreateSpinButton();
  virtual void ButtonClick(TObject* Sender);
  virtual void ButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void GlyphChanged(TObject* Sender);
  virtual void AdjustButtonBounds(Integer W, Integer H);
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void Dispatch(TMessage& Message) override;

 private:
  // The arrow a button shows without a glyph.
  TRzControlButtonStyle ArrowOf(TRzControlButton* Button) const;
  void ShowGlyphOrArrow(TRzControlButton* Button);

  TSpinDirection direction_ = sdUpDown;
  TOrientation orientation_ = orVertical;
  TRzControlButton* upRight_ = nullptr;
  TRzControlButton* downLeft_ = nullptr;
  TWinControl* focusControl_ = nullptr;
  bool flat_ = false;
  bool customUpRight_ = false;
  bool customDownLeft_ = false;
};

class TRzSpinEdit : public TRzCustomEdit {
 public:
  T_CLASSNAME(TRzSpinEdit)
  explicit TRzSpinEdit(TComponent* AOwner);

  // The text as a number (not clamped); see the class comment. An empty text
  // is BlankValue with AllowBlank, else Min, which then shows. A text that is
  // no number reads as Min; outside an edit in progress it is replaced by Min
  // at once, so the value never differs from what shows once typing is over.
  Extended Value();
  virtual void SetValue(Extended Value);
  // Value rounded to the nearest integer, halves to even.
  Integer RoundedValue();
  void SetRoundedValue(Integer Value);
  Extended Min() const { return min_; }
  virtual void SetMin(Extended Value);
  Extended Max() const { return max_; }
  virtual void SetMax(Extended Value);
  Extended Increment() const { return increment_; }
  void SetIncrement(Extended Value) { increment_ = Value; }
  Extended PageSize() const { return pageSize_; }
  void SetPageSize(Extended Value) { pageSize_ = Value; }
  Byte Decimals() const { return decimals_; }
  virtual void SetDecimals(Byte Value);
  bool IntegersOnly() const { return integersOnly_; }
  virtual void SetIntegersOnly(bool Value);
  bool CheckRange() const { return checkRange_; }
  virtual void SetCheckRange(bool Value);
  bool AllowKeyEdit() const { return allowKeyEdit_; }
  void SetAllowKeyEdit(bool Value) { allowKeyEdit_ = Value; }
  bool AllowBlank() const { return allowBlank_; }
  void SetAllowBlank(bool Value) { allowBlank_ = Value; }
  Extended BlankValue() const { return blankValue_; }
  void SetBlankValue(Extended Value) { blankValue_ = Value; }
  Integer ButtonWidth() const { return buttonWidth_; }
  virtual void SetButtonWidth(Integer Value);
  TSpinDirection Direction() const { return buttons_->Direction(); }
  virtual void SetDirection(TSpinDirection Value);
  TOrientation Orientation() const { return buttons_->Orientation(); }
  virtual void SetOrientation(TOrientation Value);
  TBitmap* ButtonUpGlyph() const { return buttons_->GlyphUpRight(); }
  void SetButtonUpGlyph(TBitmap* Value) { buttons_->SetGlyphUpRight(Value); }
  TBitmap* ButtonDownGlyph() const { return buttons_->GlyphDownLeft(); }
  void SetButtonDownGlyph(TBitmap* Value) { buttons_->SetGlyphDownLeft(Value); }
  TNumGlyphs ButtonUpNumGlyphs() const { return buttons_->NumGlyphsUpRight(); }
  void SetButtonUpNumGlyphs(TNumGlyphs Value) { buttons_->SetNumGlyphsUpRight(Value); }
  TNumGlyphs ButtonDownNumGlyphs() const { return buttons_->NumGlyphsDownLeft(); }
  void SetButtonDownNumGlyphs(TNumGlyphs Value) { buttons_->SetNumGlyphsDownLeft(Value); }
  void SetFlatButtons(bool Value) override;
  void SetFrameStyle(TFrameStyle Value) override;

  TRzSpinButtons* SpinButtons() const { return buttons_; }
  // 0: the up/right button, 1: the down/left one.
  TRzControlButton* GetSpinButton(TSpinButtonType Button) const;
  // The clamp the value writer applies.
  Extended ClampToRange(Extended X) const;

  virtual void StepUp() { IncreaseBy(increment_); }
  virtual void StepDown() { DecreaseBy(increment_); }
  virtual void IncreaseBy(Extended X);
  virtual void DecreaseBy(Extended X);

  TSpinChangingEvent OnChanging;
  TSpinButtonEvent OnButtonClick;

 protected:
  virtual void PlaceSpinButtons();
  virtual void UpdateMargins();
  virtual bool KeyAllowed(char Key);
  void GetFrameClientRect(TRect& Rect) override;
  void UpdateFrameState(Integer Which, bool Value) override;
  void CreateWnd() override;
  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void CMEnter(TMessage& Message) override;
  void CMExit(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void WMSize(TMessage& Message) override;

 private:
  void UpClick(TObject*) { StepUp(); }
  void DownClick(TObject*) { StepDown(); }
  // Whether Text could be what a person is still typing toward a number.
  bool IsNumberInProgress(const std::string& Text) const;
  void Step(Extended Delta, TSpinButtonType Button);

  TRzSpinButtons* buttons_ = nullptr;
  bool allowKeyEdit_ = false;
  bool allowBlank_ = false;
  Extended blankValue_ = 0;
  Integer buttonWidth_ = 17;
  bool checkRange_ = false;
  Byte decimals_ = 0;
  Extended increment_ = 1.0;
  bool integersOnly_ = true;
  Extended min_ = 0.0;
  Extended max_ = 100.0;
  Extended pageSize_ = 10.0;
};

void RegisterRzSpinEditClasses();
