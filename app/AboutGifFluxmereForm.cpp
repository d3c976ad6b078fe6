#include "app/AboutGifFluxmereForm.h"

#include <memory>

#include "controls/RzButton.h"
#include "controls/RzLabel.h"
#include "platform/TypInfo.h"

namespace {
void RegisterAboutBoxClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzLabelClasses();
  RegisterRzButtonClasses();
  using F = TfrmAboutGifFluxmere;
  RegisterHandlers<F>({{"FormCreate", &F::FormCreate}, {"btnOkClick", &F::btnOkClick}});
  RegisterFields<F>({{"lblTitle", &F::lblTitle},
                     {"lblDescription", &F::lblDescription},
                     {"lblMakerSite", &F::lblMakerSite},
                     {"lblCredit", &F::lblCredit},
                     {"lblCreditSite", &F::lblCreditSite},
                     {"lblAddress", &F::lblAddress},
                     {"btnOk", &F::btnOk}});
}
}  // namespace

TfrmAboutGifFluxmere::TfrmAboutGifFluxmere(TComponent* AOwner) : TForm(AOwner) { RegisterAboutBoxClasses(); }

void TfrmAboutGifFluxmere::FormCreate(TObject*) {
  SetCaption("About Larkspire GIF Fluxmere");
  lblTitle->SetCaption("Larkspire GIF Fluxmere 7.0");
  lblDescription->SetCaption("An editor for animated GIF images: frames, delays, palettes and transparency.");
}

void TfrmAboutGifFluxmere::btnOkClick(TObject*) { SetModalResult(1); }

void ShowAboutBox() {
  std::unique_ptr<TfrmAboutGifFluxmere> box(new TfrmAboutGifFluxmere(Application));
  box->AfterConstruction();
  box->ShowModal();
}
