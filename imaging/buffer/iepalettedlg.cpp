#include "imaging/buffer/iepalettedlg.h"

#include "platform/StdCtrls.h"

TRuzozAdPaletteDialog::TRuzozAdPaletteDialog(TComponent* AOwner) : TForm(AOwner) {
  SetBorderIcons(TBorderIcons{biSystemMenu});
  SetBorderStyle(bsDialog);
  SetCaption("");
  SetBounds(Left(), Top(), 539, 199);
  SetPosition(poScreenCenter);
  cancel_ = new TButton(this);
  cancel_->SetParent(this);
  cancel_->SetCaption("&Cancel");
  cancel_->SetCancel(true);
  cancel_->SetModalResult(mrCancel);
  cancel_->SetBounds(8, 144, 75, 25);
}

TRuzozAdPaletteDialog::~TRuzozAdPaletteDialog() = default;

void TRuzozAdPaletteDialog::SetPalette(const TIEColorTriple* Entries, Integer Count) {
  palette_.assign(Entries, Entries + (Count > 0 ? Count : 0));
  hovered_ = -1;
  if (HandleAllocated()) Invalidate();
}

bool TRuzozAdPaletteDialog::ShowPaletteModal() { return ShowModal() == mrOk; }

void TRuzozAdPaletteDialog::PaintCells() {
  TCanvas* c = Canvas();
  for (Integer i = 0; i < static_cast<Integer>(palette_.size()); ++i) {
    const Integer col = i % 32, row = i / 32;
    c->Pen()->SetColor(i == hovered_ ? clBlack : clWhite);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(TripleToColor(palette_[i]));
    c->Rectangle(16 * col + 1, 16 * row + 1, 16 * col + 16, 16 * row + 16);
  }
}

void TRuzozAdPaletteDialog::Paint() {
  TForm::Paint();
  PaintCells();
}

void TRuzozAdPaletteDialog::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TForm::MouseMove(Shift, X, Y);
  // Divisions round toward zero, as the cell layout expects.
  const Integer index = ((Y - 1) / 16) * 32 + (X - 1) / 16;
  if (index >= 0 && index < static_cast<Integer>(palette_.size()) && index != hovered_) {
    hovered_ = index;
    if (HandleAllocated()) PaintCells();
  }
}

void TRuzozAdPaletteDialog::Click() {
  TForm::Click();
  // Before any cell is hovered a click chooses nothing and the dialog stays.
  if (hovered_ < 0 || hovered_ >= static_cast<Integer>(palette_.size())) return;
  chosen_ = TripleToColor(palette_[hovered_]);
  SetModalResult(mrOk);
}
