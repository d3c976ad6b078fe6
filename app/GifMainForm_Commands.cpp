// The file and frame commands of the main window: new, open, save, save as,
// insert frames from files, remove, move up and down, select all.
#include <algorithm>
#include <memory>

#include "app/FrameSizeForm.h"
#include "app/GifMainForm.h"
#include "app/HourglassCursor.h"
#include "app/GifRoutines.h"
#include "bars/dxBar.h"
#include "controls/RzListVw.h"
#include "controls/RzRadChk.h"
#include "controls/RzSpnEdt.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/SysUtils.h"

namespace {

// The insert dialog's filter: what the open dialog of the form offers.
constexpr const char* kInsertFilter =
    "All (*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|"
    "GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|"
    "Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|";

// The count of frame 0's loop extension, or -1 when it has none.
Integer LoopCountOnFirstFrame(TGIFImage* Document) {
  return HasLoopExtension(Document) ? GetLoopCount(Document) : -1;
}

// The reader's warnings that say the file ended before its pictures did.
bool IsTruncationWarning(const std::string& Message) {
  return Message == "Premature end of data" || Message == "Decoder bit buffer under-run";
}

// A document read on its own takes the place of the current one, with the
// window's handlers and the document's transparency setting.
void AdoptDocument(std::unique_ptr<TGIFImage>& Document, std::unique_ptr<TGIFImage> Incoming) {
  Incoming->OnGIFWarning = Document->OnGIFWarning;
  Incoming->OnAnimationStart = Document->OnAnimationStart;
  Incoming->OnFrameShow = Document->OnFrameShow;
  Incoming->OnFrameShown = Document->OnFrameShown;
  Incoming->OnAnimationLoop = Document->OnAnimationLoop;
  Incoming->OnAnimationEnd = Document->OnAnimationEnd;
  Incoming->OnChange = Document->OnChange;
  Incoming->OnProgress = Document->OnProgress;
  Incoming->SetTransparent(Document->Transparent());
  Document->StopPainting();
  Document = std::move(Incoming);
}

}  // namespace

// --- New and reset ----------------------------------------------------------------

bool TfrmGifMain::NewAnimation() {
  if (!QuerySaveChanges()) return false;
  ResetDocument();
  RunAnimationWizard();
  return true;
}

void TfrmGifMain::ResetDocument() {
  SetCaption(Application->Title() + " - [UNTITLED]");
  fileName.clear();
  modified = false;
  document->Assign(nullptr);
  imgPreview->Picture()->SetGraphic(nullptr);
  ImageGIF->Picture()->SetGraphic(nullptr);
  ClearFrameList(lvFiles);
  chkAnimationTrans->SetChecked(false);
}

// --- Open ------------------------------------------------------------------------

bool TfrmGifMain::OpenAnimation() {
  if (!QuerySaveChanges()) return false;
  dlgOpen2->SetOptions(TOpenOptions{ofHideReadOnly, ofPathMustExist, ofFileMustExist, ofEnableSizing});
  dlgOpen2->SetInitialDir(lastFolder);
  dlgOpen2->SetFilter(GraphicFilter(TGIFImage::StaticGraphicClass()));
  if (!dlgOpen2->Execute()) return false;
  lastFolder = ExtractFilePath(dlgOpen2->FileName());
  const bool loaded = LoadAnimationFile(dlgOpen2->FileName());
  // The edits the load runs on the new document mark it modified; a failed
  // load keeps the current document, and with it its unsaved state.
  if (loaded) modified = false;
  return loaded;
}

bool TfrmGifMain::LoadAnimationFile(const std::string& Path) {
  if (!FileExists(Path)) {
    MessageBox(Handle(), "The following file could not be found:\r\n\r\n" + Path, "File Not Found",
               MB_OK | MB_ICONERROR);
    return false;
  }
  StopPlayback(true);
  // The file is read into a new document, which replaces the current one only
  // when it was read whole: a refused or cut-off file leaves the user's
  // document, its list and its unsaved changes as they were.
  auto incoming = std::make_unique<TGIFImage>();
  std::string damage;
  incoming->OnGIFWarning = [&damage](TObject*, Integer, const std::string& Message) {
    if (damage.empty() && IsTruncationWarning(Message)) damage = Message;
  };
  if (!LoadGifFile(incoming.get(), Path)) {
    ShowMessage("Error Loading Image:\n\n" + Path);
    return false;
  }
  if (!damage.empty()) {
    MessageDlg("Error Loading Image:\n\n" + Path + "\n\nThe file is incomplete: " + damage + ".", mtWarning,
               TMsgDlgButtons{mbOK}, 0);
    return false;
  }
  AdoptDocument(document, std::move(incoming));
  documentOpen = true;
  fileName = Path;
  modified = false;
  UpdateCaption();
  const Integer loops = GetLoopCount(document.get());
  if (loops != 0) {
    optLoopSpecified->SetChecked(true);
    spinPlayTimes->SetValue(loops);
  } else {
    optLoopForever->SetChecked(true);
  }
  RebuildFrameList();
  if (lvFiles->Items()->Count() > 0) lvFiles->SetSelected(lvFiles->Items()->Item(0));
  if (document->AnyFrameTransparent()) {
    if (chkAnimationTrans->Checked())
      chkAnimationTransClick(chkAnimationTrans);
    else
      chkAnimationTrans->SetChecked(true);
  }
  return true;
}

// --- Save -----------------------------------------------------------------------

bool TfrmGifMain::SaveAnimation() {
  if (playing) StopPlayback(true);
  if (!fileName.empty()) return WriteAnimation();
  return SaveAnimationAs();
}

bool TfrmGifMain::SaveAnimationAs() {
  if (playing) StopPlayback(true);
  dlgSave->SetFilter("Gif Files (*.gif)|*.gif");
  if (!dlgSave->Execute()) return false;
  const std::string previous = fileName;
  fileName = dlgSave->FileName();
  if (WriteAnimation()) return true;
  // Nothing was written: the document keeps the name it had.
  fileName = previous;
  return false;
}

bool TfrmGifMain::WriteAnimation() {
  // The loop count the window shows goes back onto frame 0 should the tidying
  // find it on another frame.
  const Integer loops = optLoopForever->Checked() ? 0 : spinPlayTimes->RoundedValue();
  PrepareGifForOutput(document.get(), false, loops);
  // The new file is written beside the old one and replaces it only when it
  // is complete; a failure has been reported and leaves the old file.
  if (!SaveGifFile(document.get(), fileName, true, true)) return false;
  modified = false;
  UpdateCaption();
  lvFiles->ClearSelection();
  if (lvFiles->Items()->Count() > 0) lvFiles->Items()->Item(0)->SetSelected(true);
  return true;
}

// --- Insert ---------------------------------------------------------------------

Integer TfrmGifMain::InsertPosition() {
  TListItem* item = lvFiles->Selected();
  return item ? item->Index() + 1 : 0;
}

Integer TfrmGifMain::CheckFrameSize(TBitmap* Bitmap) {
  if (lvFiles->Items()->Count() == 0) return 0;
  // A difference of one pixel is taken without a question.
  if (Bitmap->Width() <= document->Width() + 1 && Bitmap->Height() <= document->Height() + 1) return 0;
  bool trim = false;
  const Integer choice = ResolveFrameSizeChoice(trim, false);
  if (choice == 1) ReconcileFrameSize(document.get(), Bitmap, trim ? 1 : 0);
  return choice;
}

Integer TfrmGifMain::AddBitmapFrame(TBitmap* Bitmap, Integer Position) {
  if (document->Frames()->ItemCount() > 0 && CheckFrameSize(Bitmap) == 2) return -1;
  return AddBitmapAsFrame(document.get(), Bitmap, Position);
}

void TfrmGifMain::InsertFrames() {
  dlgOpen2->SetOptions(
      TOpenOptions{ofHideReadOnly, ofAllowMultiSelect, ofPathMustExist, ofFileMustExist, ofEnableSizing});
  dlgOpen2->SetInitialDir(lastFolder);
  dlgOpen2->SetFilter(kInsertFilter);
  TListItem* selected = lvFiles->Selected();
  Integer previous = selected ? selected->Index() : 0;
  if (!dlgOpen2->Execute()) return;
  lastFolder = ExtractFilePath(dlgOpen2->FileName());
  StopPlayback(true);
  {
    THourglassCursor hourglass;
    auto work = std::make_unique<TBitmap>();
    TStrings* files = dlgOpen2->Files();
    for (Integer f = 0; f < files->Count(); ++f) {
      const std::string path = files->Strings(f);
      const Integer type = FileTypeFromExtension(path);
      if (type == gftGif && MergeSeveralFrameGif(path)) continue;
      if (LoadImageAsBitmap(path, work.get(), type, false) != 0) continue;
      const Integer index = AddBitmapFrame(work.get(), InsertPosition());
      if (index < 0) continue;
      EnsureGraphicControl(document->Frames()->FrameAt(index), 100);
      modified = true;
      TListItem* item = InsertFrameItem(index, ExtractFileName(path));
      for (Integer i = index + 1; i < lvFiles->Items()->Count(); ++i) {
        TListItem* later = lvFiles->Items()->Item(i);
        later->SetCaption(FrameCaption(later->Caption(), i + 1));
      }
      if (previous >= 0 && previous < lvFiles->Items()->Count())
        lvFiles->Items()->Item(previous)->SetSelected(false);
      item->SetSelected(true);
      previous = index;
    }
  }
  documentOpen = lvFiles->Items()->Count() > 0;
  // A size reconciliation may have changed earlier frames.
  for (Integer i = 0; i < lvFiles->Items()->Count(); ++i) {
    TStrings* sub = lvFiles->Items()->Item(i)->SubItems();
    const std::string size = FrameSizeText(i);
    if (sub->Count() > 0)
      sub->SetStrings(0, size);
    else
      sub->Add(size);
  }
}

void TfrmGifMain::MergeGifFrames(const std::string& Path) {
  const std::string name = ExtractFileName(Path);
  // Frames already in the document (an open one, or pictures of this same
  // insert) stay: the file's frames are added after them.
  if (documentOpen || document->Frames()->ItemCount() > 0) {
    scratchImage->SetPaintFlags(0);
    scratchImage->LoadFromFile(Path);
    for (Integer i = 0; i < scratchImage->Frames()->ItemCount(); ++i) {
      TBitmap* picture = scratchImage->Frames()->FrameAt(i)->RenderedBitmap();
      const Integer index = AddBitmapAsFrame(document.get(), picture, document->Frames()->ItemCount());
      InsertFrameItem(index, name);
      for (Integer j = index + 1; j < lvFiles->Items()->Count(); ++j) {
        TListItem* later = lvFiles->Items()->Item(j);
        later->SetCaption(FrameCaption(later->Caption(), j + 1));
      }
    }
    return;
  }
  document->LoadFromFile(Path);
  documentOpen = true;
  ClearFrameList(lvFiles);
  for (Integer i = 0; i < document->Frames()->ItemCount(); ++i) InsertFrameItem(i, name);
}

bool TfrmGifMain::MergeSeveralFrameGif(const std::string& Path) {
  // A GIF the reader refuses goes on to the caller's picture load, which
  // reports it and skips the file, so the files after it still come in.
  bool several = false;
  try {
    scratchImage->SetPaintFlags(0);
    scratchImage->LoadFromFile(Path);
    several = HasSeveralFrames(scratchImage.get());
  } catch (...) {
    several = false;
  }
  if (!several) return false;
  MergeGifFrames(Path);
  modified = true;
  return true;
}

// --- Remove, move, select all -------------------------------------------------------

void TfrmGifMain::RemoveSelectedFrames() {
  TListItem* first = lvFiles->Selected();
  if (!first) return;
  const Integer count = lvFiles->Items()->Count();
  if (count == 1 || lvFiles->SelCount() >= count) {
    MessageBox(Handle(), "The image must have at least one frame.", "Can't Delete Frame", MB_OK | MB_ICONWARNING);
  } else {
    StopPlayback(true);
    const Integer target = std::max<Integer>(first->Index() - 1, 0);
    // The loop count lives on frame 0: it stays with the animation when
    // frame 0 goes.
    const Integer loops = LoopCountOnFirstFrame(document.get());
    for (Integer i = count - 1; i >= 0; --i) {
      TListItem* item = lvFiles->Items()->Item(i);
      if (!item->Selected()) continue;
      if (i < document->Frames()->ItemCount())
        document->Frames()->RemoveAndFree(document->Frames()->FrameAt(i));
      SetItemOwnColor(item, 0);
      lvFiles->Items()->Delete(i);
    }
    if (loops >= 0 && !HasLoopExtension(document.get())) AddLoopExtension(document.get(), 0, loops);
    for (Integer i = 0; i < lvFiles->Items()->Count(); ++i) {
      TListItem* item = lvFiles->Items()->Item(i);
      item->SetCaption(FrameCaption(item->Caption(), i + 1));
    }
    if (target < lvFiles->Items()->Count()) lvFiles->Items()->Item(target)->SetSelected(true);
    modified = true;
  }
  UpdateCommandStates();
}

void TfrmGifMain::MoveSelectedFrame(Integer Direction) {
  TListItem* selected = lvFiles->Selected();
  if (!selected || lvFiles->SelCount() != 1) return;
  const Integer i = selected->Index();
  const Integer j = Direction == 0 ? i - 1 : i + 1;
  if (j < 0 || j >= lvFiles->Items()->Count()) return;
  StopPlayback(true);
  MoveFrame(i, j, document.get());
  TListItem* a = lvFiles->Items()->Item(i);
  TListItem* b = lvFiles->Items()->Item(j);
  const std::string captionA = a->Caption();
  a->SetCaption(FrameCaption(b->Caption(), i + 1));
  b->SetCaption(FrameCaption(captionA, j + 1));
  const Byte flagA = ItemOwnColor(a);
  SetItemOwnColor(a, ItemOwnColor(b));
  SetItemOwnColor(b, flagA);
  const std::string sizeA = a->SubItems()->Count() > 0 ? a->SubItems()->Strings(0) : std::string();
  const std::string sizeB = b->SubItems()->Count() > 0 ? b->SubItems()->Strings(0) : std::string();
  if (a->SubItems()->Count() > 0) a->SubItems()->SetStrings(0, sizeB);
  if (b->SubItems()->Count() > 0) b->SubItems()->SetStrings(0, sizeA);
  a->SetSelected(false);
  b->SetSelected(true);
  modified = true;
}

void TfrmGifMain::SelectAllFrames() { lvFiles->SelectAll(); }
