// AVI import: the command, the import into a new document with the progress
// window, and the progress of the import's image in the status bar.
#include <memory>

#include "app/AVI.h"
#include "app/AppFileUtils.h"
#include "app/GifMainForm.h"
#include "app/GifRoutines.h"
#include "app/Progress.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/SysUtils.h"

namespace {

// Files of this size or more are refused.
constexpr Int64 kAviImportLimit = 500000;

}  // namespace

void TfrmGifMain::ImportAviCommand() {
  dlgOpenAVI->SetFilter("AVI Animations (*.avi)|*.avi");
  if (dlgOpenAVI->Execute()) ImportAviFile(dlgOpenAVI->FileName());
}

bool TfrmGifMain::ImportAviFile(const std::string& Path) {
  StopPlayback(true);
  if (FileSizeOf(Path) >= kAviImportLimit) {
    MessageDlg("AVI File Import is limited to files that are less than 500KB.", mtInformation, TMsgDlgButtons{mbOK},
               0);
    return false;
  }
  const std::string preparing = Format("Preparing %s for AVI to GIF import...", ExtractFileName(Path));
  SetStatusText(preparing, 2);
  Screen->SetCursor(crAppStart);

  std::unique_ptr<TfrmProgress> progress(CreateForm<TfrmProgress>(Application));
  progress->prgBar->SetPosition(0);
  progress->prgBar->SetMin(0);
  progress->lblFileName->SetCaption(preparing);
  progress->Show();
  progress->Repaint();
  SetEnabled(false);

  bool cancelled = false;
  {
    auto image = std::make_unique<TGIFImage>();
    image->OnProgress = TProgressEvent(this, &TfrmGifMain::ShowImageProgress);
    try {
      ImportAviToGif(image.get(), Path, progress.get());
      Application->ProcessMessages();
      cancelled = progress->ModalResult() == mrCancel;
      if (!cancelled) {
        if (image->IsEmpty()) {
          MessageDlg(Format("Error importing %s to GIF.", Path), mtError, TMsgDlgButtons{mbOK}, 0);
        } else {
          // The file stays in the temporary folder: the frame captions name it.
          const std::string temp = MakeTempFileName(TempFolder(), "~GF");
          SetStatusText("Reading and updating GIF animation window, one moment please...", 2);
          if (SaveGifFile(image.get(), temp, false, false) && LoadAnimationFile(temp)) {
            fileName.clear();
            UpdateCaption();
            modified = true;
          }
        }
      }
    } catch (...) {
      image.reset();
      SetEnabled(true);
      progress.reset();
      Screen->SetCursor(crDefault);
      SetStatusText("", 2);
      throw;
    }
  }
  SetEnabled(true);
  progress.reset();
  Screen->SetCursor(crDefault);
  SetStatusText("", 2);
  if (cancelled)
    MessageDlg("AVI import was cancelled by the user.", mtInformation, TMsgDlgButtons{mbOK}, 0);
  else
    SetStatusText("", 1);
  return true;
}

void TfrmGifMain::ShowImageProgress(TObject*, TProgressStage Stage, Byte PercentDone, bool, const TRect&,
                                    const std::string&) {
  switch (Stage) {
    case psStarting: {
      // Over the status bar's second panel.
      prgBar->SetParent(StatusBar);
      const Integer left = StatusBar->Panels()->Items(0)->Width() + 2;
      prgBar->SetBounds(left, 2, StatusBar->Panels()->Items(1)->Width() - 4, StatusBar->ClientHeight() - 4);
      prgBar->SetPosition(0);
      prgBar->Show();
      prgBar->Repaint();
      break;
    }
    case psRunning:
      prgBar->SetPosition(PercentDone);
      prgBar->Repaint();
      StatusBar->Repaint();
      break;
    case psEnding:
      prgBar->SetPosition(0);
      prgBar->Hide();
      break;
  }
}
