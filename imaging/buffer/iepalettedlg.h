// A small modal form that shows a palette as 16-pixel cells, 32 to a row,
// and returns the colour of the cell clicked.
#pragma once

#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "platform/Forms.h"

class TButton;

class TRuzozAdPaletteDialog : public TForm {
 public:
  T_CLASSNAME(TRuzozAdPaletteDialog)
  explicit TRuzozAdPaletteDialog(TComponent* AOwner);
  ~TRuzozAdPaletteDialog() override;

  void SetPalette(const TIEColorTriple* Entries, Integer Count);
  // True when a cell was clicked (the form closed with OK).
  bool ShowPaletteModal();
  TColor ChosenColor() const { return chosen_; }
  Integer HoveredIndex() const { return hovered_; }
  TButton* CancelButton() const { return cancel_; }

 protected:
  void Paint() override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void Click() override;

 private:
  void PaintCells();
  TButton* cancel_ = nullptr;  // owned by the form
  std::vector<TIEColorTriple> palette_;
  Integer hovered_ = -1;
  TColor chosen_ = clNone;
};
