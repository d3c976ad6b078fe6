#include "app/FrameSizeForm.h"

#include <memory>

#include "app/GifRoutines.h"
#include "platform/TypInfo.h"

namespace {

void RegisterFrameSizeFormClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzRadChkClasses();
  RegisterRzButtonClasses();
  using F = TfrmFrameSize;
  RegisterClassInfo<F, TForm>("TfrmFrameSize");
  RegisterFields<F>({
      {"Label1", &F::Label1},
      {"optTrim", &F::optTrim},
      {"optChange", &F::optChange},
      {"chkDefault", &F::chkDefault},
      {"btnOk", &F::btnOk},
      {"btnCancel", &F::btnCancel},
  });
}

}  // namespace

TfrmFrameSize::TfrmFrameSize(TComponent* AOwner) : TForm(AOwner) { RegisterFrameSizeFormClasses(); }

Integer ResolveFrameSizeChoice(bool& Trim, bool Forced) {
  Trim = false;
  // Both read as false when the key cannot be opened.
  const bool useDefault = ReadSettingFlag("ClipDefault", false);
  const bool stored = ReadSettingFlag("ClipFrame", false);
  if (useDefault && !Forced) {
    Trim = stored;
    return mrOk;
  }
  TModalResult result;
  bool makeDefault;
  {
    std::unique_ptr<TfrmFrameSize> dialog(CreateForm<TfrmFrameSize>(Application));
    dialog->optTrim->SetChecked(stored);
    dialog->chkDefault->SetChecked(useDefault);
    result = dialog->ShowModal();
    if (result == mrOk) Trim = dialog->optTrim->Checked();
    makeDefault = dialog->chkDefault->Checked();
  }
  WriteSettingFlag("ClipDefault", makeDefault);
  WriteSettingFlag("ClipFrame", Trim);
  return result == mrOk ? mrOk : mrCancel;
}

void ShowFrameSizeDefaults() {
  bool trim;
  ResolveFrameSizeChoice(trim, true);
}
