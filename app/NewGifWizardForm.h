// TfrmNewGifWizard: the "Animation Wizard" New runs. Three pages (loop and
// frame delay, the picture files in order, finish) behind Back/Next/Cancel;
// the main window builds the animation from what it holds when it ends with
// OK (TfrmGifMain::RunAnimationWizard).
#pragma once

#include "app/ListBoxHrz.h"
#include "controls/RzButton.h"
#include "controls/RzRadChk.h"
#include "controls/RzSpnEdt.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

class TfrmNewGifWizard : public TForm {
 public:
  T_CLASSNAME(TfrmNewGifWizard)
  explicit TfrmNewGifWizard(TComponent* AOwner);

  // Components (from resources/TfrmNewGifWizard.dfm).
  TPanel* pnlLoop = nullptr;
  TLabel* lblLoopHeading = nullptr;
  TLabel* lblLoopQuestion = nullptr;
  TRzRadioButton* optLoopInfinite = nullptr;
  TRzRadioButton* optLoopPlay = nullptr;
  TRzSpinEdit* spinLoop = nullptr;
  TLabel* lblLoopTimes = nullptr;
  TLabel* lblDelayQuestion = nullptr;
  TRzSpinEdit* spinDelay = nullptr;
  TLabel* lblDelaySeconds = nullptr;
  TPanel* pnlImages = nullptr;
  TLabel* lblImagesHeading = nullptr;
  TLabel* lblImagesPrompt = nullptr;
  TListBoxHrz* lbImages = nullptr;
  TRzBitBtn* btnMoveUp = nullptr;
  TRzBitBtn* btnMoveDown = nullptr;
  TRzButton* btnImageAdd = nullptr;
  TRzButton* btnImageRemove = nullptr;
  TPanel* pnlFinish = nullptr;
  TLabel* lblFinishHeading = nullptr;
  TLabel* lblFinishText = nullptr;
  TRzButton* btnBack = nullptr;
  TRzButton* btnNext = nullptr;
  TRzButton* btnCancel = nullptr;
  TOpenDialog* dlgOpen2 = nullptr;

  // The current page: 0 loop, 1 images, 2 finish.
  Integer page = 0;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void ShowPage();
  void btnBackClick(TObject* Sender);
  void btnNextClick(TObject* Sender);
  void btnCancelClick(TObject* Sender);
  void optLoopInfiniteClick(TObject* Sender);
  void btnImageAddClick(TObject* Sender);
  void btnImageRemoveClick(TObject* Sender);
  void lbImagesClick(TObject* Sender);
  void btnMoveUpClick(TObject* Sender);
  void btnMoveDownClick(TObject* Sender);

 private:
  // The page panels in page order.
  TPanel* PagePanel(Integer Index) const;
  // A page panel without bevels at (0, 0), hidden.
  static void ResetPanel(TPanel* Panel);
  // The selected file changes places with its neighbour Step away (-1 up,
  // +1 down), when there is one.
  void MoveSelectedImage(Integer Step);
};
