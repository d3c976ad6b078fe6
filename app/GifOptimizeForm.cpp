// The optimisation wizard and the main window's entry to it.
#include "app/GifOptimizeForm.h"

#include <cmath>
#include <memory>

#include "app/GifMainForm.h"
#include "app/GifRoutines.h"
#include "app/HourglassCursor.h"
#include "controls/RzListVw.h"
#include "platform/ComCtrls.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

namespace {

void RegisterGifOptimizeClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzRadChkClasses();
  RegisterRzButtonClasses();
  RegisterRzComboBoxClasses();
  using F = TfrmGifOptimize;
  RegisterClassInfo<F, TForm>("TfrmGifOptimize");
  RegisterHandlers<F>({
      {"FormCreate", &F::FormCreate},
      {"FormShow", &F::FormShow},
      {"btnBackClick", &F::btnBackClick},
      {"btnNextClick", &F::btnNextClick},
      {"btnCancelClick", &F::btnCancelClick},
      {"cbBpsChange", &F::cbBpsChange},
  });
  RegisterFields<F>({
      {"pnlOpt1", &F::pnlOpt1},
      {"lblPalettes", &F::lblPalettes},
      {"chkOptAll", &F::chkOptAll},
      {"chkRemoveLocal", &F::chkRemoveLocal},
      {"chkPaletteSort", &F::chkPaletteSort},
      {"pnlOpt2", &F::pnlOpt2},
      {"lblFrames", &F::lblFrames},
      {"chkTrim", &F::chkTrim},
      {"chkDupPixels", &F::chkDupPixels},
      {"chkNonVisible", &F::chkNonVisible},
      {"pnlOpt3", &F::pnlOpt3},
      {"lblResults", &F::lblResults},
      {"lblCurrSizeCaption", &F::lblCurrSizeCaption},
      {"lblCurrSize", &F::lblCurrSize},
      {"lblOptimizedSizeCaption", &F::lblOptimizedSizeCaption},
      {"lblOptimizedSize", &F::lblOptimizedSize},
      {"lblTotalCaption", &F::lblTotalCaption},
      {"lblTotal", &F::lblTotal},
      {"lblWow", &F::lblWow},
      {"lblDLTimeCaption", &F::lblDLTimeCaption},
      {"lblDLTime", &F::lblDLTime},
      {"cbBps", &F::cbBps},
      {"lblModem", &F::lblModem},
      {"btnBack", &F::btnBack},
      {"btnNext", &F::btnNext},
      {"btnCancel", &F::btnCancel},
  });
}

}  // namespace

TfrmGifOptimize::TfrmGifOptimize(TComponent* AOwner) : TForm(AOwner) { RegisterGifOptimizeClasses(); }

TfrmGifOptimize::~TfrmGifOptimize() = default;

TfrmGifMain* TfrmGifOptimize::Main() const { return dynamic_cast<TfrmGifMain*>(Owner()); }

void TfrmGifOptimize::ResetPanel(TPanel* Panel) {
  Panel->SetBevelInner(bvNone);
  Panel->SetBevelOuter(bvNone);
  Panel->SetLeft(0);
  Panel->SetTop(0);
}

void TfrmGifOptimize::FormCreate(TObject*) {
  ResetPanel(pnlOpt1);
  ResetPanel(pnlOpt2);
  ResetPanel(pnlOpt3);
  Step = 1;
  ShowStep();
}

void TfrmGifOptimize::FormShow(TObject*) {
  TGIFImage* document = Main() ? Main()->document.get() : nullptr;
  CurrentSize = document ? static_cast<double>(EncodedSize(document)) : 0.0;
  lblCurrSize->SetCaption(Format("%.n bytes", CurrentSize));
  WorkingCopy = std::make_unique<TGIFImage>();
  copyReady_ = false;
  if (document && !document->IsEmpty()) {
    chkOptAll->SetEnabled(document->GlobalColorMap()->Count() > 0);
    bool local = false;
    for (Integer i = 0; i < document->Frames()->ItemCount() && !local; ++i)
      local = document->Frames()->FrameAt(i)->ColorMap()->Count() > 0;
    chkRemoveLocal->SetEnabled(local);
  }
  cbBps->SetItemIndex(1);
}

void TfrmGifOptimize::btnBackClick(TObject*) {
  --Step;
  ShowStep();
}

void TfrmGifOptimize::btnNextClick(TObject*) {
  ++Step;
  ShowStep();
}

void TfrmGifOptimize::btnCancelClick(TObject*) { SetModalResult(mrCancel); }

void TfrmGifOptimize::ShowStep() {
  switch (Step) {
    case 1:
      pnlOpt1->SetVisible(true);
      pnlOpt2->SetVisible(false);
      btnBack->SetEnabled(false);
      break;
    case 2:
      pnlOpt2->SetVisible(true);
      pnlOpt3->SetVisible(false);
      btnNext->SetCaption("Next");
      btnBack->SetEnabled(true);
      break;
    case 3:
      // A failed run leaves the wizard on the frame choices, so that Finish
      // can never put a half-optimised copy in place of the document.
      try {
        RunOptimization();
      } catch (...) {
        Step = 2;
        throw;
      }
      pnlOpt3->SetVisible(true);
      pnlOpt2->SetVisible(false);
      btnNext->SetCaption("Finish");
      break;
    default: {
      TfrmGifMain* main = Main();
      if (main && copyReady_) {
        // Playback shows a copy of the old document: it stops first.
        main->StopPlayback(true);
        main->document->Assign(WorkingCopy.get());
        main->modified = true;
        main->OptimizedDocumentTaken();
      }
      SetModalResult(mrOk);
      break;
    }
  }
}

void TfrmGifOptimize::RunOptimization() {
  TGIFImage* document = Main() ? Main()->document.get() : nullptr;
  copyReady_ = false;
  if (!document || document->IsEmpty()) return;
  THourglassCursor hourglass;
  WorkingCopy = std::make_unique<TGIFImage>();
  WorkingCopy->SetColorDepthLimit(document->ColorDepthLimit());
  WorkingCopy->SetDitherKind(document->DitherKind());
  WorkingCopy->Assign(document);

  TGIFOptimizeFlags flags = 0;
  if (chkNonVisible->Checked()) flags |= ofStripInvisible;
  if (chkPaletteSort->Checked()) flags |= ofCompactColorMaps;
  if (chkTrim->Checked()) flags |= ofTrimFrames;
  if (chkDupPixels->Checked()) flags |= ofMergeDuplicates;
  if (flags != 0) WorkingCopy->OptimizeFrames(flags, rdNone, 8, dkNearest);

  if (chkOptAll->Checked()) {
    WorkingCopy->GlobalColorMap()->Compact();
    for (Integer i = 0; i < WorkingCopy->Frames()->ItemCount(); ++i) {
      TGIFSubImage* frame = WorkingCopy->Frames()->FrameAt(i);
      if (!frame->IsEmpty() && frame->ColorMap()->Count() > 0) frame->ColorMap()->Compact();
    }
  }
  if (chkRemoveLocal->Checked() && chkRemoveLocal->Enabled()) WorkingCopy->MergeColorMaps();

  const double optimized = static_cast<double>(EncodedSize(WorkingCopy.get()));
  lblOptimizedSize->SetCaption(Format("%.n bytes", optimized));
  if (optimized >= CurrentSize)
    lblTotal->SetCaption("None");
  else
    lblTotal->SetCaption(Format("%.n bytes (%4.1f%s)", CurrentSize - optimized,
                                std::fabs(optimized / CurrentSize * 100 - 100), "%"));
  copyReady_ = true;
  cbBpsChange(cbBps);
}

void TfrmGifOptimize::cbBpsChange(TObject*) {
  Integer index = cbBps->ItemIndex();
  if (index < 0 || index >= static_cast<Integer>(std::size(GifOptimizeLineSpeeds))) index = 0;
  const double seconds = std::fabs(CurrentSize * 8 / GifOptimizeLineSpeeds[index]);
  lblDLTime->SetCaption(Format("%4.5f secs with a", seconds));
}

void TfrmGifMain::ShowOptimizeWizard() {
  std::unique_ptr<TfrmGifOptimize> dialog(CreateForm<TfrmGifOptimize>(this));
  dialog->ShowModal();
}

void TfrmGifMain::OptimizedDocumentTaken() {
  // Trimming changes frame sizes and may drop frames that show nothing: the
  // list must not keep items for frames that are gone.
  const Integer frames = document->Frames()->ItemCount();
  if (lvFiles->Items()->Count() != frames) {
    RebuildFrameList();
    if (frames > 0) lvFiles->Items()->Item(0)->SetSelected(true);
    return;
  }
  for (Integer i = 0; i < frames; ++i) {
    TStrings* columns = lvFiles->Items()->Item(i)->SubItems();
    if (columns->Count() > 0) columns->SetStrings(0, FrameSizeText(i));
  }
  if (TListItem* selected = lvFiles->Selected()) lvFilesSelectItem(lvFiles, selected, true);
}
