// The main window: create, show and close, the command dispatcher and its
// enabling rules, the caption and the status bar.
#include "app/GifMainForm.h"

#include "bars/dxBar.h"
#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzCommon.h"
#include "controls/RzListVw.h"
#include "controls/RzPanel.h"
#include "controls/RzRadChk.h"
#include "controls/RzSpnEdt.h"
#include "controls/RzTabs.h"
#include "imaging/views/ruzozad.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/StdCtrls.h"
#include "platform/TypInfo.h"

TfrmGifMain::TfrmGifMain(TComponent* AOwner) : TForm(AOwner) { RegisterGifMainFormClasses(); }

TfrmGifMain::~TfrmGifMain() = default;

void TfrmGifMain::FormCreate(TObject*) {}
void TfrmGifMain::FormShow(TObject*) {}
void TfrmGifMain::FormCloseQuery(TObject*, bool&) {}
void TfrmGifMain::FormClose(TObject*, TCloseAction&) {}
void TfrmGifMain::FormDestroy(TObject*) {}
void TfrmGifMain::MenuItemClick(TObject*) {}
void TfrmGifMain::ExecuteCommand(Integer) {}
void TfrmGifMain::UpdateCommandStates() {}
void TfrmGifMain::UpdateCaption() {}
void TfrmGifMain::SetStatusText(const std::string&, Integer) {}
void TfrmGifMain::AssignShortcuts() {}
bool TfrmGifMain::QuerySaveChanges() { return true; }
TdxBarButton* TfrmGifMain::CommandItem(Integer) const { return nullptr; }

void RegisterGifMainFormClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  using F = TfrmGifMain;
  RegisterClassInfo<F, TForm>("TfrmGifMain");
  RegisterHandlers<F>({
      {"FormCreate", &F::FormCreate},
      {"FormShow", &F::FormShow},
      {"FormCloseQuery", &F::FormCloseQuery},
      {"FormClose", &F::FormClose},
      {"FormDestroy", &F::FormDestroy},
      {"MenuItemClick", &F::MenuItemClick},
      {"lvFilesSelectItem", &F::lvFilesSelectItem},
      {"lvFilesMouseDown", &F::lvFilesMouseDown},
      {"lvFilesDblClick", &F::lvFilesDblClick},
      {"spinDelayChange", &F::spinDelayChange},
      {"cboDisposalChange", &F::cboDisposalChange},
      {"optLoopForeverClick", &F::optLoopForeverClick},
      {"spinPlayTimesChange", &F::spinPlayTimesChange},
      {"chkAnimationTransClick", &F::chkAnimationTransClick},
      {"btnSelectTransColorClick", &F::btnSelectTransColorClick},
      {"ImageGIFProgress", &F::ImageGIFProgress},
  });
  RegisterFields<F>({
      {"lvFiles", &F::lvFiles},
      {"pnlProperties", &F::pnlProperties},
      {"RzGroupBox2", &F::RzGroupBox2},
      {"lblDelay1", &F::lblDelay1},
      {"spinDelay", &F::spinDelay},
      {"lblDelay2", &F::lblDelay2},
      {"lblDisposal", &F::lblDisposal},
      {"cboDisposal", &F::cboDisposal},
      {"RzGroupBox1", &F::RzGroupBox1},
      {"optLoopForever", &F::optLoopForever},
      {"optLoopSpecified", &F::optLoopSpecified},
      {"spinPlayTimes", &F::spinPlayTimes},
      {"lblPlayTimes", &F::lblPlayTimes},
      {"chkAnimationTrans", &F::chkAnimationTrans},
      {"lblTransparent", &F::lblTransparent},
      {"shpTransColor", &F::shpTransColor},
      {"btnSelectTransColor", &F::btnSelectTransColor},
      {"pcPreview", &F::pcPreview},
      {"tsPreview", &F::tsPreview},
      {"RzPanel1", &F::RzPanel1},
      {"imgPreview", &F::imgPreview},
      {"ImageGIF", &F::ImageGIF},
      {"StatusBar", &F::StatusBar},
      {"prgBar", &F::prgBar},
      {"RuzozAd1", &F::RuzozAd1},
      {"dlgOpen2", &F::dlgOpen2},
      {"dlgSave", &F::dlgSave},
      {"dlgOpenAVI", &F::dlgOpenAVI},
      {"dxBarManager1", &F::dxBarManager1},
      {"pumFrames", &F::pumFrames},
      {"RzFrameController1", &F::RzFrameController1},
      {"miNew", &F::miNew},
      {"miOpen", &F::miOpen},
      {"miExit", &F::miExit},
      {"miSave", &F::miSave},
      {"miSaveAs", &F::miSaveAs},
      {"miSaveAsFlash", &F::miSaveAsFlash},
      {"miImportAVI", &F::miImportAVI},
      {"miExportImages", &F::miExportImages},
      {"miFrameInsert", &F::miFrameInsert},
      {"miFrameRemove", &F::miFrameRemove},
      {"miSelectAll", &F::miSelectAll},
      {"miFrameUp", &F::miFrameUp},
      {"miFrameDown", &F::miFrameDown},
      {"miViewPreviewWindow", &F::miViewPreviewWindow},
      {"miPlay", &F::miPlay},
      {"miPause", &F::miPause},
      {"miRewind", &F::miRewind},
      {"miPalDefaults", &F::miPalDefaults},
      {"miFrameSizeDialog", &F::miFrameSizeDialog},
      {"miHTMLCode", &F::miHTMLCode},
      {"miOptimize", &F::miOptimize},
      {"miHelpContents", &F::miHelpContents},
      {"miAbout", &F::miAbout},
      {"mnuFile", &F::mnuFile},
      {"mnuEdit", &F::mnuEdit},
      {"mnuView", &F::mnuView},
      {"mnuTools", &F::mnuTools},
      {"mnuHelp", &F::mnuHelp},
      {"miSaveDropDown", &F::miSaveDropDown},
  });
}
