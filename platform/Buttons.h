// Speed buttons, bitmap buttons, and the button kinds, layouts and glyph
// counts they share.
#pragma once

#include <memory>

#include "platform/Controls.h"
#include "platform/StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
using TNumGlyphs = Integer;  // 1 to 4

// Writes the disabled look of a W x H glyph cell at (SrcX, 0) of Src to Dst at
// (DstX, DstY): pixels that are not Transparent become shadow, with a
// highlight one pixel down and right; the rest becomes Back.
void EmbossCell(TBitmap* Src, Integer SrcX, Integer W, Integer H, TColor Transparent, TCanvas* Dst, Integer DstX,
                Integer DstY, TColor Back);

// A windowless button with a glyph. Buttons of one parent with the same
// non-zero GroupIndex work as a group: pressing one releases the others;
// AllowAllUp lets the pressed one come up again.
class TSpeedButton : public TGraphicControl {
 public:
  T_CLASSNAME(TSpeedButton)
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* Value);
  TNumGlyphs NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(TNumGlyphs Value);
  Integer GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer Value);
  bool Down() const { return down_; }
  void SetDown(bool Value);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool Value);
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout Value);
  Integer Margin() const { return margin_; }
  void SetMargin(Integer Value);
  Integer Spacing() const { return spacing_; }
  void SetSpacing(Integer Value);
  TButtonState State() const { return state_; }
  void Click() override;

 protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

 private:
  void GlyphChanged(TObject* Sender);
  // Releases the other buttons of the group when this one is down.
  void UpdateExclusive();
  std::unique_ptr<TBitmap> glyph_;
  TNumGlyphs numGlyphs_ = 1;
  Integer groupIndex_ = 0;
  bool down_ = false, allowAllUp_ = false, flat_ = false, dragging_ = false, mouseInControl_ = false;
  TButtonLayout layout_ = blGlyphLeft;
  Integer margin_ = -1, spacing_ = 4;
  TButtonState state_ = bsUp;
};

// A push button with a glyph beside its caption, drawn by the class itself
// (owner-draw). The glyph strip holds NumGlyphs cells: up, disabled, down,
// exclusive; its bottom-left pixel is the transparent colour. A Kind other
// than bkCustom presets Default, Cancel, ModalResult, Caption and a stock
// glyph; Kind reads back bkCustom once any of these no longer matches.
class TBitBtn : public TButton {
 public:
  T_CLASSNAME(TBitBtn)
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* Value);
  TBitBtnKind Kind() const;
  void SetKind(TBitBtnKind Value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout Value);
  // Pixels between the edge and the glyph; -1 centres glyph and caption.
  Integer Margin() const { return margin_; }
  void SetMargin(Integer Value);
  // Pixels between glyph and caption; -1 spreads them evenly.
  Integer Spacing() const { return spacing_; }
  void SetSpacing(Integer Value);
  TNumGlyphs NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(TNumGlyphs Value);
  // bkClose closes the parent form; bkHelp shows the help topic of the
  // nearest control that has one; otherwise as TButton.
  void Click() override;

  // The preset of a kind (bkCustom: none).
  static std::string KindCaption(TBitBtnKind Kind);
  static TModalResult KindModalResult(TBitBtnKind Kind);
  // The stock glyph of a kind (two cells: up, disabled), built once; nullptr for bkCustom.
  static TBitmap* KindGlyph(TBitBtnKind Kind);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void SetButtonStyle(bool ADefault) override;
  virtual void CNDrawItem(TMessage& Message);
  // Paints the whole button into DC (client rectangle R) in the given state.
  virtual void DrawButton(HDC DC, const TRect& R, bool IsDown, bool HasFocus);

 private:
  void GlyphChanged(TObject* Sender);
  std::unique_ptr<TBitmap> glyph_;
  mutable TBitBtnKind kind_ = bkCustom;
  TButtonLayout layout_ = blGlyphLeft;
  Integer margin_ = -1, spacing_ = 4;
  TNumGlyphs numGlyphs_ = 1;
  bool modifiedGlyph_ = false;
  bool settingKind_ = false;
};
