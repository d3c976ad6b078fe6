// TfrmGifPreview: the floating, modeless "Preview" window that shows a copy of
// the animation being edited. At most one exists; frmGifPreview names it and
// is cleared when it closes.
#pragma once

#include "platform/Forms.h"

class TImage;

class TfrmGifPreview : public TForm {
 public:
  T_CLASSNAME(TfrmGifPreview)
  explicit TfrmGifPreview(TComponent* AOwner);
  ~TfrmGifPreview() override;

  TImage* imgPreview = nullptr;

  // Clears the picture, frees the form on closing and forgets it.
  void FormClose(TObject* Sender, TCloseAction& Action);
};

// The preview window while it exists, else nullptr.
extern TfrmGifPreview* frmGifPreview;

void RegisterGifPreviewFormClasses();
