#include "app/Progress.h"

#include "platform/TypInfo.h"

namespace {

void RegisterProgressFormClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  using F = TfrmProgress;
  RegisterClassInfo<F, TForm>("TfrmProgress");
  RegisterFields<F>({
      {"lblFileName", &F::lblFileName},
      {"prgBar", &F::prgBar},
      {"btnCancel", &F::btnCancel},
      {"lblProgress", &F::lblProgress},
  });
}

}  // namespace

TfrmProgress::TfrmProgress(TComponent* AOwner) : TForm(AOwner) { RegisterProgressFormClasses(); }

void TfrmProgress::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_DLGFRAME);
}

void TfrmProgress::CreateWnd() {
  const Integer width = ClientWidth(), height = ClientHeight();
  TForm::CreateWnd();
  SetClientSize(width, height);
}
