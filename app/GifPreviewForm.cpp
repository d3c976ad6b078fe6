#include "app/GifPreviewForm.h"

#include "platform/ExtCtrls.h"
#include "platform/TypInfo.h"

TfrmGifPreview* frmGifPreview = nullptr;

TfrmGifPreview::TfrmGifPreview(TComponent* AOwner) : TForm(AOwner) { RegisterGifPreviewFormClasses(); }

TfrmGifPreview::~TfrmGifPreview() {
  // Freed without closing (its owner went first): forget it all the same.
  if (frmGifPreview == this) frmGifPreview = nullptr;
}

void TfrmGifPreview::FormClose(TObject*, TCloseAction& Action) {
  if (imgPreview) imgPreview->Picture()->Assign(nullptr);
  Action = caFree;
  if (frmGifPreview == this) frmGifPreview = nullptr;
}

void RegisterGifPreviewFormClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  using F = TfrmGifPreview;
  RegisterClassInfo<F, TForm>("TfrmGifPreview");
  RegisterHandlers<F>({{"FormClose", &F::FormClose}});
  RegisterFields<F>({{"imgPreview", &F::imgPreview}});
}
