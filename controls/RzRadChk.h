// Check boxes and radio buttons drawn with a state glyph beside the caption.
// The glyph comes from a user strip of cells, the visual style, colour-mapped
// bitmap resources of the program (hot-track look) or the classic frame
// control; checking a radio button unchecks the other radio buttons of its parent.
#pragma once

#include <memory>

#include "controls/RzButton.h"
#include "controls/RzCommon.h"
#include "platform/ActnList.h"
#include "platform/StdCtrls.h"

class TRzCustomGlyphButton : public TRzCustomButton, public IRzFrameClient {
 public:
  T_CLASSNAME(TRzCustomGlyphButton)
  explicit TRzCustomGlyphButton(TComponent* AOwner);
  ~TRzCustomGlyphButton() override;

  // taRightJustify: glyph at the left, caption to its right; taLeftJustify: glyph at the right edge.
  TAlignment Alignment() const { return alignment_; }
  virtual void SetAlignment(TAlignment Value);
  virtual bool Checked() const { return false; }
  virtual void SetChecked(bool /*Value*/) {}
  TBitmap* CustomGlyphs() const { return customGlyphs_.get(); }
  virtual void SetCustomGlyphs(TBitmap* Value);
  bool UseCustomGlyphs() const { return useCustomGlyphs_; }
  virtual void SetUseCustomGlyphs(bool Value);
  TColor FrameColor() const { return frameColor_; }
  virtual void SetFrameColor(TColor Value);
  TColor DisabledColor() const { return disabledColor_; }
  virtual void SetDisabledColor(TColor Value);
  TColor TransparentColor() const { return transparentColor_; }
  virtual void SetTransparentColor(TColor Value);
  TColor WinMaskColor() const { return winMaskColor_; }
  virtual void SetWinMaskColor(TColor Value);
  TRzFrameController* FrameController() const { return frameController_; }
  virtual void SetFrameController(TRzFrameController* Value);
  bool TabOnEnter() const { return tabOnEnter_; }
  void SetTabOnEnter(bool Value) { tabOnEnter_ = Value; }
  void SetTransparent(bool Value) override;
  Integer GlyphWidth() const { return glyphWidth_; }
  Integer GlyphHeight() const { return glyphHeight_; }
  // Where the glyph sits in the control.
  TRect GlyphRect();
  TAlignment GetControlsAlignment() override;

  void ApplyFrameLook() override;
  // The colour itself, or its RGB value plus 1 when it would be taken for a mask colour.
  virtual TColor NudgeColor(TColor Color);
  virtual void BuildGlyph(TBitmap* Bitmap) = 0;
  virtual void DrawGlyph(TCanvas* ACanvas);
  virtual void CutCell(Integer Index, TBitmap* Bitmap, Integer Height, Integer Width, TBitmap* Strip);

 protected:
  void Paint() override;
  void UpdateDisplay() override;
  void RefreshFocusLook() override { UpdateDisplay(); }
  void GetHotTrackRect(TRect& Rect) override { Rect = GlyphRect(); }
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  std::unique_ptr<TControlActionLink> CreateActionLink() override;
  void DefineProperties(TFiler* Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void KeyPress(char& Key) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMParentColorChanged(TMessage& Message) override;
  // The glyph of one of the program's bitmap resources with the hot-track colours mapped in.
  bool BuildHotTrackGlyph(TBitmap* Bitmap, const char* ResName, bool Radio);
  void CustomGlyphsChanged(TObject* Sender);

  TAlignment alignment_ = taRightJustify;
  TColor frameColor_ = clBtnShadow;
  Integer numGlyphs_ = 2;
  std::unique_ptr<TBitmap> customGlyphs_;
  bool useCustomGlyphs_ = false;
  TColor transparentColor_ = clOlive;
  TColor winMaskColor_ = clLime;
  TColor disabledColor_ = clBtnFace;
  Integer glyphWidth_ = 13;
  Integer glyphHeight_ = 13;
  bool tabOnEnter_ = false;
  TRzFrameController* frameController_ = nullptr;
  std::unique_ptr<TBitmap> background_;
  bool backgroundDirty_ = true;
};

// The action link of a glyph button: Checked follows the action while equal.
class TRzCheckedActionLink : public TWinControlActionLink {
 public:
  T_CLASSNAME(TRzCheckedActionLink)
  explicit TRzCheckedActionLink(TRzCustomGlyphButton* Client)
      : TWinControlActionLink(Client), glyphClient_(Client) {}
  bool IsCheckedLinked() const override;

 protected:
  void SetChecked(bool Value) override;

 private:
  TRzCustomGlyphButton* glyphClient_;
};

class TRzRadioButton : public TRzCustomGlyphButton {
 public:
  T_CLASSNAME(TRzRadioButton)
  explicit TRzRadioButton(TComponent* AOwner);
  bool Checked() const override { return checked_; }
  void SetChecked(bool Value) override;
  void BuildGlyph(TBitmap* Bitmap) override;

 protected:
  void CycleState() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void WMSetFocus(TMessage& Message) override;
  void WMLButtonDblClk(TMessage& Message) override;
  void CMDialogChar(TMessage& Message) override;
  void CMDialogKey(TMessage& Message) override;

 private:
  bool usingMouse_ = false;
  bool checked_ = false;
};

class TRzCustomCheckBox : public TRzCustomGlyphButton {
 public:
  T_CLASSNAME(TRzCustomCheckBox)
  explicit TRzCustomCheckBox(TComponent* AOwner);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
  TCheckBoxState State() const { return state_; }
  virtual void SetState(TCheckBoxState Value);
  bool Checked() const override { return state_ == cbChecked; }
  void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
  void BuildGlyph(TBitmap* Bitmap) override;

 protected:
  void CycleState() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoExit() override;
  void CMDialogChar(TMessage& Message) override;

 private:
  bool allowGrayed_ = false;
  TCheckBoxState state_ = cbUnchecked;
  bool keyToggle_ = false;
};

class TRzCheckBox : public TRzCustomCheckBox {
 public:
  T_CLASSNAME(TRzCheckBox)
  explicit TRzCheckBox(TComponent* AOwner) : TRzCustomCheckBox(AOwner) {}
};

// Enters the check box and radio button classes in the class registry (idempotent).
void RegisterRzRadChkClasses();
