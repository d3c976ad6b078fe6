// Speed buttons and the button kinds, layouts and glyph counts that glyph
// buttons share.
#pragma once

#include <memory>

#include "platform/Controls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
using TNumGlyphs = Integer;  // 1 to 4

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
