#include "app/PalettePromptForm.h"

#include <memory>

#include "app/GifRoutines.h"
#include "platform/Registry.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

namespace {

void RegisterPalettePromptClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzRadChkClasses();
  RegisterRzButtonClasses();
  RegisterRzComboBoxClasses();
  RegisterRzTabsClasses();
  using F = TfrmPalettePrompt;
  RegisterClassInfo<F, TForm>("TfrmPalettePrompt");
  RegisterHandlers<F>({
      {"FormCreate", &F::FormCreate},
      {"btnOkClick", &F::btnOkClick},
      {"btnCancelClick", &F::btnCancelClick},
  });
  RegisterFields<F>({
      {"pgcPalettes", &F::pgcPalettes},
      {"tabAnimation", &F::tabAnimation},
      {"tabImport", &F::tabImport},
      {"lblMaxColorsAnimation", &F::lblMaxColorsAnimation},
      {"cboMaxColorsAnimation", &F::cboMaxColorsAnimation},
      {"optAnimationSelf", &F::optAnimationSelf},
      {"optAnimationNS", &F::optAnimationNS},
      {"optAnimationLocal", &F::optAnimationLocal},
      {"lblMaxColorsDither", &F::lblMaxColorsDither},
      {"cboMaxColorsDither", &F::cboMaxColorsDither},
      {"lblDitherMethod", &F::lblDitherMethod},
      {"optDitherNearest", &F::optDitherNearest},
      {"optDitherFloyd", &F::optDitherFloyd},
      {"chkDefault", &F::chkDefault},
      {"btnOk", &F::btnOk},
      {"btnCancel", &F::btnCancel},
  });
}

// The colour counts of the drop-down lists, in the lists' order.
constexpr Integer kPromptColorCounts[] = {256, 128, 64, 32, 16, 8};

// Selects Count in Combo; a count the list does not hold leaves it.
void SelectPromptColorCount(TRzComboBox* Combo, Integer Count) {
  for (Integer i = 0; i < static_cast<Integer>(std::size(kPromptColorCounts)); ++i)
    if (kPromptColorCounts[i] == Count) Combo->SetItemIndex(i);
}

}  // namespace

TfrmPalettePrompt::TfrmPalettePrompt(TComponent* AOwner) : TForm(AOwner) { RegisterPalettePromptClasses(); }

void TfrmPalettePrompt::FormCreate(TObject*) {
  {
    // Made when missing; when it cannot be had the controls keep the form's values.
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.OpenKey(GifSettingsKey, true)) return;
  }
  TRzRadioButton* paletteTypes[] = {optAnimationSelf, optAnimationNS, optAnimationLocal};
  const Integer type = ReadSettingInt("PaletteType", 2);
  if (type >= 0 && type <= 2) {
    PaletteType = type;
    paletteTypes[type]->SetChecked(true);
  }
  MaxColors = ReadSettingInt("MaxColorCount", 256);
  SelectPromptColorCount(cboMaxColorsAnimation, MaxColors);
  DitherMethod = ReadSettingInt("DitherMethod", 0);
  if (DitherMethod == 0) optDitherNearest->SetChecked(true);
  if (DitherMethod == 1) optDitherFloyd->SetChecked(true);
  MaxImportColors = ReadSettingInt("MaxImportCount", 256);
  SelectPromptColorCount(cboMaxColorsDither, MaxImportColors);
  chkDefault->SetChecked(ReadSettingFlag("PaletteDefaults", false));
}

void TfrmPalettePrompt::btnOkClick(TObject*) {
  if (optAnimationSelf->Checked()) PaletteType = 0;
  if (optAnimationNS->Checked()) PaletteType = 1;
  if (optAnimationLocal->Checked()) PaletteType = 2;
  MaxColors = StrToIntDef(cboMaxColorsAnimation->Text(), MaxColors);
  DitherMethod = optDitherNearest->Checked() ? 0 : 1;
  MaxImportColors = StrToIntDef(cboMaxColorsDither->Text(), MaxImportColors);
  WriteSettingInt("PaletteType", PaletteType);
  WriteSettingInt("MaxColorCount", MaxColors);
  WriteSettingInt("DitherMethod", DitherMethod);
  WriteSettingInt("MaxImportCount", MaxImportColors);
  WriteSettingFlag("PaletteDefaults", chkDefault->Checked());
  SetModalResult(mrOk);
}

void TfrmPalettePrompt::btnCancelClick(TObject*) { SetModalResult(mrCancel); }

void ShowPaletteDefaults() {
  std::unique_ptr<TfrmPalettePrompt> dialog(CreateForm<TfrmPalettePrompt>(Application));
  dialog->ShowModal();
}
