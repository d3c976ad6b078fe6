// The small progress window of a long import: no title bar, a stage text, a
// bar and a Cancel button. Cancel only sets the window's modal result to
// mrCancel; the running operation looks at it between its steps.
#pragma once

#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

class TfrmProgress : public TForm {
 public:
  T_CLASSNAME(TfrmProgress)
  explicit TfrmProgress(TComponent* AOwner);

  // Components (from resources/TfrmProgress.dfm).
  TLabel* lblFileName = nullptr;
  TProgressBar* prgBar = nullptr;
  TButton* btnCancel = nullptr;
  TLabel* lblProgress = nullptr;

 protected:
  // A dialog border without the dialog frame: the window has no caption.
  void CreateParams(TCreateParams& Params) override;
  // The client keeps its designed size once the window exists: without the
  // frame the caption's height would go to it.
  void CreateWnd() override;
};
