// The "Palettes" dialog: the palette defaults for new frames and imported
// pictures, kept in the editor's settings ("PaletteType", "MaxColorCount",
// "DitherMethod", "MaxImportCount", "PaletteDefaults").
#pragma once

#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzRadChk.h"
#include "controls/RzTabs.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

class TfrmPalettePrompt : public TForm {
 public:
  T_CLASSNAME(TfrmPalettePrompt)
  explicit TfrmPalettePrompt(TComponent* AOwner);

  // Components (from resources/TfrmPalettePrompt.dfm).
  TRzPageControl* pgcPalettes = nullptr;
  TRzTabSheet* tabAnimation = nullptr;
  TRzTabSheet* tabImport = nullptr;
  TLabel* lblMaxColorsAnimation = nullptr;
  TRzComboBox* cboMaxColorsAnimation = nullptr;
  TRzRadioButton* optAnimationSelf = nullptr;
  TRzRadioButton* optAnimationNS = nullptr;
  TRzRadioButton* optAnimationLocal = nullptr;
  TLabel* lblMaxColorsDither = nullptr;
  TRzComboBox* cboMaxColorsDither = nullptr;
  TLabel* lblDitherMethod = nullptr;
  TRzRadioButton* optDitherNearest = nullptr;
  TRzRadioButton* optDitherFloyd = nullptr;
  TRzCheckBox* chkDefault = nullptr;
  TRzButton* btnOk = nullptr;
  TRzButton* btnCancel = nullptr;

  // The values as the controls hold them: palette type (0 self-adapting
  // global, 1 web-safe cube, 2 local per frame), dither method (0 nearest,
  // 1 Floyd-Steinberg), maximum colours, maximum import colours.
  Integer PaletteType = 2;
  Integer DitherMethod = 0;
  Integer MaxColors = 256;
  Integer MaxImportColors = 256;

  void FormCreate(TObject* Sender);
  void btnOkClick(TObject* Sender);
  void btnCancelClick(TObject* Sender);
};

// "Palette Defaults...": shows the dialog modally and releases it.
void ShowPaletteDefaults();
