// The new-animation wizard and the main window's run of it.
#include "app/NewGifWizardForm.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/AppFileUtils.h"
#include "app/GifMainForm.h"
#include "app/GifRoutines.h"
#include "app/HourglassCursor.h"
#include "controls/RzListVw.h"
#include "platform/ComCtrls.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

namespace {

constexpr Integer kNewWizPageCount = 3;

void RegisterNewGifWizardClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzRadChkClasses();
  RegisterRzButtonClasses();
  RegisterRzSpinEditClasses();
  RegisterListBoxHrzClasses();
  using F = TfrmNewGifWizard;
  RegisterClassInfo<F, TForm>("TfrmNewGifWizard");
  RegisterHandlers<F>({
      {"FormCreate", &F::FormCreate},
      {"FormShow", &F::FormShow},
      {"btnBackClick", &F::btnBackClick},
      {"btnNextClick", &F::btnNextClick},
      {"btnCancelClick", &F::btnCancelClick},
      {"optLoopInfiniteClick", &F::optLoopInfiniteClick},
      {"btnImageAddClick", &F::btnImageAddClick},
      {"btnImageRemoveClick", &F::btnImageRemoveClick},
      {"lbImagesClick", &F::lbImagesClick},
      {"btnMoveUpClick", &F::btnMoveUpClick},
      {"btnMoveDownClick", &F::btnMoveDownClick},
  });
  RegisterFields<F>({
      {"pnlLoop", &F::pnlLoop},
      {"lblLoopHeading", &F::lblLoopHeading},
      {"lblLoopQuestion", &F::lblLoopQuestion},
      {"optLoopInfinite", &F::optLoopInfinite},
      {"optLoopPlay", &F::optLoopPlay},
      {"spinLoop", &F::spinLoop},
      {"lblLoopTimes", &F::lblLoopTimes},
      {"lblDelayQuestion", &F::lblDelayQuestion},
      {"spinDelay", &F::spinDelay},
      {"lblDelaySeconds", &F::lblDelaySeconds},
      {"pnlImages", &F::pnlImages},
      {"lblImagesHeading", &F::lblImagesHeading},
      {"lblImagesPrompt", &F::lblImagesPrompt},
      {"lbImages", &F::lbImages},
      {"btnMoveUp", &F::btnMoveUp},
      {"btnMoveDown", &F::btnMoveDown},
      {"btnImageAdd", &F::btnImageAdd},
      {"btnImageRemove", &F::btnImageRemove},
      {"pnlFinish", &F::pnlFinish},
      {"lblFinishHeading", &F::lblFinishHeading},
      {"lblFinishText", &F::lblFinishText},
      {"btnBack", &F::btnBack},
      {"btnNext", &F::btnNext},
      {"btnCancel", &F::btnCancel},
      {"dlgOpen2", &F::dlgOpen2},
  });
}

// The wizard's seconds as a frame delay: hundredths, truncated, held to the
// 16-bit field. The box shows two decimals, and the small allowance keeps a
// shown 0.29 from becoming 28 through the binary form of the decimal.
Integer NewWizDelayHundredths(Extended Seconds) {
  const Extended hundredths = std::floor(Seconds * 100 + 1e-6L);
  return static_cast<Integer>(std::clamp<Extended>(hundredths, 0, 65535));
}

}  // namespace

TfrmNewGifWizard::TfrmNewGifWizard(TComponent* AOwner) : TForm(AOwner) { RegisterNewGifWizardClasses(); }

// --- Pages ------------------------------------------------------------------

TPanel* TfrmNewGifWizard::PagePanel(Integer Index) const {
  switch (Index) {
    case 0: return pnlLoop;
    case 1: return pnlImages;
    case 2: return pnlFinish;
    default: return nullptr;
  }
}

void TfrmNewGifWizard::ResetPanel(TPanel* Panel) {
  Panel->SetBevelInner(bvNone);
  Panel->SetBevelOuter(bvNone);
  Panel->SetLeft(0);
  Panel->SetTop(0);
  Panel->SetVisible(false);
}

void TfrmNewGifWizard::FormCreate(TObject*) {
  for (Integer i = 0; i < kNewWizPageCount; ++i) ResetPanel(PagePanel(i));
  page = 0;
  ShowPage();
}

void TfrmNewGifWizard::FormShow(TObject*) {
  SetWidth(369);
  SetHeight(310);
}

void TfrmNewGifWizard::ShowPage() {
  for (Integer i = 0; i < kNewWizPageCount; ++i) PagePanel(i)->SetVisible(i == page);
  switch (page) {
    case 0:
      btnBack->SetEnabled(false);
      btnNext->SetEnabled(true);
      break;
    case 1:
      btnBack->SetEnabled(true);
      btnNext->SetEnabled(lbImages->Items()->Count() > 0);
      btnNext->SetCaption("Next");
      break;
    default:
      btnBack->SetEnabled(true);
      btnNext->SetEnabled(true);
      btnNext->SetCaption("Finish");
      break;
  }
}

void TfrmNewGifWizard::btnBackClick(TObject*) {
  if (page <= 0) return;
  --page;
  ShowPage();
}

void TfrmNewGifWizard::btnNextClick(TObject*) {
  if (page >= kNewWizPageCount - 1) {
    SetModalResult(mrOk);
    return;
  }
  ++page;
  ShowPage();
}

void TfrmNewGifWizard::btnCancelClick(TObject*) { SetModalResult(mrCancel); }

// --- Loop page -------------------------------------------------------------------

void TfrmNewGifWizard::optLoopInfiniteClick(TObject*) { spinLoop->SetEnabled(optLoopPlay->Checked()); }

// --- Images page --------------------------------------------------------------------

void TfrmNewGifWizard::btnImageAddClick(TObject*) {
  dlgOpen2->SetInitialDir(AppFolder() + "images\\");
  if (dlgOpen2->Execute()) {
    TStrings* files = dlgOpen2->Files();
    for (Integer i = 0; i < files->Count(); ++i) lbImages->Items()->Add(files->Strings(i));
    if (lbImages->ItemIndex() < 0 && lbImages->Items()->Count() > 0) lbImages->SetItemIndex(0);
  }
  btnNext->SetEnabled(lbImages->Items()->Count() > 0);
  lbImagesClick(lbImages);
}

void TfrmNewGifWizard::btnImageRemoveClick(TObject*) {
  const Integer i = lbImages->ItemIndex();
  if (i >= 0 && i < lbImages->Items()->Count()) {
    lbImages->Items()->Delete(i);
    if (i != 0)
      lbImages->SetItemIndex(i - 1);
    else if (lbImages->Items()->Count() > 0)
      lbImages->SetItemIndex(0);
  }
  btnNext->SetEnabled(lbImages->Items()->Count() > 0);
  // The buttons follow the new list at once: left as they were, Move Down
  // stayed enabled on the last remaining entry, and Remove on an empty list.
  lbImagesClick(lbImages);
}

void TfrmNewGifWizard::lbImagesClick(TObject*) {
  const Integer count = lbImages->Items()->Count();
  const Integer selected = lbImages->ItemIndex();
  const bool any = selected >= 0 && selected < count;
  btnMoveDown->SetEnabled(count >= 2 && any && selected != count - 1);
  btnMoveUp->SetEnabled(count >= 2 && any && selected != 0);
  btnImageRemove->SetEnabled(any);
}

void TfrmNewGifWizard::MoveSelectedImage(Integer Step) {
  const Integer i = lbImages->ItemIndex();
  const Integer j = i + Step;
  const Integer count = lbImages->Items()->Count();
  if (i < 0 || i >= count || j < 0 || j >= count) return;
  TStrings* items = lbImages->Items();
  const std::string moving = items->Strings(i);
  items->Delete(i);
  items->Insert(j, moving);
  lbImages->SetItemIndex(j);
  lbImagesClick(lbImages);
}

void TfrmNewGifWizard::btnMoveUpClick(TObject*) { MoveSelectedImage(-1); }
void TfrmNewGifWizard::btnMoveDownClick(TObject*) { MoveSelectedImage(1); }

// --- The main window's run ------------------------------------------------------------

void TfrmGifMain::RunAnimationWizard() {
  std::unique_ptr<TfrmNewGifWizard> wizard(CreateForm<TfrmNewGifWizard>(Application));
  if (wizard->ShowModal() == mrOk) {
    {
      THourglassCursor hourglass;
      auto work = std::make_unique<TBitmap>();
      TStrings* files = wizard->lbImages->Items();
      for (Integer f = 0; f < files->Count(); ++f) {
        const std::string path = files->Strings(f);
        const Integer type = FileTypeFromExtension(path);
        if (type == gftGif && MergeSeveralFrameGif(path)) continue;
        if (LoadImageAsBitmap(path, work.get(), type, false) != 0) continue;
        const Integer index = AddBitmapFrame(work.get(), document->Frames()->ItemCount());
        if (index < 0) continue;
        modified = true;
        InsertFrameItem(index, ExtractFileName(path));
      }
    }
    // The loop edit runs on each write that changes a control; when neither
    // changed (the window showed this choice already), it runs once here, so
    // the new document carries the count the window shows.
    const bool forever = wizard->optLoopInfinite->Checked();
    const Integer loops = wizard->spinLoop->RoundedValue();
    const bool wasForever = optLoopForever->Checked();
    const Extended wasTimes = spinPlayTimes->Value();
    if (forever) {
      optLoopForever->SetChecked(true);
    } else {
      optLoopSpecified->SetChecked(true);
      spinPlayTimes->SetValue(loops);
    }
    if (wasForever == optLoopForever->Checked() && wasTimes == spinPlayTimes->Value())
      optLoopForeverClick(optLoopForever);
    const Integer delay = NewWizDelayHundredths(wizard->spinDelay->Value());
    for (Integer i = 0; i < document->Frames()->ItemCount(); ++i)
      EnsureGraphicControl(document->Frames()->FrameAt(i), delay);
    documentOpen = lvFiles->Items()->Count() > 0;
    if (documentOpen) chkAnimationTrans->SetChecked(true);
  }
  if (lvFiles->Items()->Count() > 0) lvFiles->SetSelected(lvFiles->Items()->Item(0));
  wizard.reset();
  chkAnimationTrans->SetChecked(true);
}
