// The "GIF Optimization Wizard": three steps (palette choices, frame
// choices, results with the sizes before and after and a download-time
// estimate). The optimisations run on a working copy of the main window's
// document; only Finish puts that copy in place of the document.
#pragma once

#include <memory>

#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzRadChk.h"
#include "gif/GIFImage.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

class TfrmGifMain;

class TfrmGifOptimize : public TForm {
 public:
  T_CLASSNAME(TfrmGifOptimize)
  // AOwner is the main window whose document the wizard works on.
  explicit TfrmGifOptimize(TComponent* AOwner);
  ~TfrmGifOptimize() override;

  // Components (from resources/TfrmGifOptimize.dfm).
  TPanel* pnlOpt1 = nullptr;
  TLabel* lblPalettes = nullptr;
  TRzCheckBox* chkOptAll = nullptr;
  TRzCheckBox* chkRemoveLocal = nullptr;
  TRzCheckBox* chkPaletteSort = nullptr;
  TPanel* pnlOpt2 = nullptr;
  TLabel* lblFrames = nullptr;
  TRzCheckBox* chkTrim = nullptr;
  TRzCheckBox* chkDupPixels = nullptr;
  TRzCheckBox* chkNonVisible = nullptr;
  TPanel* pnlOpt3 = nullptr;
  TLabel* lblResults = nullptr;
  TLabel* lblCurrSizeCaption = nullptr;
  TLabel* lblCurrSize = nullptr;
  TLabel* lblOptimizedSizeCaption = nullptr;
  TLabel* lblOptimizedSize = nullptr;
  TLabel* lblTotalCaption = nullptr;
  TLabel* lblTotal = nullptr;
  TLabel* lblWow = nullptr;
  TLabel* lblDLTimeCaption = nullptr;
  TLabel* lblDLTime = nullptr;
  TRzComboBox* cbBps = nullptr;
  TLabel* lblModem = nullptr;
  TRzButton* btnBack = nullptr;
  TRzButton* btnNext = nullptr;
  TRzButton* btnCancel = nullptr;

  // Own state.
  Integer Step = 1;
  std::unique_ptr<TGIFImage> WorkingCopy;
  double CurrentSize = 0;  // bytes

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void btnBackClick(TObject* Sender);
  void btnNextClick(TObject* Sender);
  void btnCancelClick(TObject* Sender);
  void cbBpsChange(TObject* Sender);
  void ShowStep();
  void RunOptimization();
  static void ResetPanel(TPanel* Panel);

 private:
  TfrmGifMain* Main() const;
  // The working copy holds the result of the last successful optimisation.
  bool copyReady_ = false;
};

// The line speeds of the estimate's list, bits per second, in the list's order.
inline constexpr float GifOptimizeLineSpeeds[] = {28800.0f, 56600.0f, 128000.2f, 1000000.2f};
