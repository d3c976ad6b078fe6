// The frame list and the frame and animation property edits of the main window.
#include <algorithm>
#include <cstdint>

#include "app/AppStringUtils.h"
#include "app/GifMainForm.h"
#include "app/HourglassCursor.h"
#include "app/GifRoutines.h"
#include "app/Palette.h"
#include "bars/dxBar.h"
#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzListVw.h"
#include "controls/RzRadChk.h"
#include "controls/RzSpnEdt.h"
#include "controls/RzTabs.h"
#include "platform/ComCtrls.h"
#include "platform/ExtCtrls.h"
#include "platform/StdCtrls.h"
#include "platform/SysUtils.h"

namespace {

// Sets a guard flag of the window for the duration of one write of its own.
class TGuardScope {
 public:
  explicit TGuardScope(bool& Flag) : flag_(Flag) { flag_ = true; }
  ~TGuardScope() { flag_ = false; }
  TGuardScope(const TGuardScope&) = delete;
  TGuardScope& operator=(const TGuardScope&) = delete;

 private:
  bool& flag_;
};

// The delay field holds 16 bits; seconds are taken as hundredths, truncated.
// The tiny allowance keeps a typed 0.29 from becoming 28 hundredths through
// the binary form of the decimal.
Integer DelayFromSeconds(Extended Seconds) {
  const Extended hundredths = Seconds * 100 + 1e-9L;
  if (hundredths <= 0) return 0;
  if (hundredths >= 65535) return 65535;
  return static_cast<Integer>(hundredths);
}

}  // namespace

// --- The list's items -------------------------------------------------------

// The own-colour flag is kept in the item's data pointer itself, so there is
// nothing to allocate or release with the item.
Byte TfrmGifMain::ItemOwnColor(TListItem* Item) {
  return Item && reinterpret_cast<std::uintptr_t>(Item->Data()) != 0 ? 1 : 0;
}

void TfrmGifMain::SetItemOwnColor(TListItem* Item, Byte Value) {
  if (Item) Item->SetData(reinterpret_cast<void*>(static_cast<std::uintptr_t>(Value ? 1 : 0)));
}

std::string TfrmGifMain::FrameCaption(const std::string& OldCaption, Integer FrameNumber) {
  std::string caption = "Frame " + IntToStr(FrameNumber);
  const Integer at = PosFrom(OldCaption, " - ", 1);
  if (at > 0) caption += " - " + RightChars(OldCaption, static_cast<Integer>(OldCaption.size()) - at - 2);
  return caption;
}

std::string TfrmGifMain::FrameSizeText(Integer Index) {
  // A frame renders at its own width and height, so the size is read from the
  // frame instead of rendering every frame of a large document. A frame that
  // cannot be rendered shows no size: one without pixels, or one without a
  // colour table to render with (its palette raises, as its rendering would).
  try {
    TGIFSubImage* frame = document->Frames()->FrameAt(Index);
    if (frame->IsEmpty()) return "Unknown";
    frame->PaletteHandle();
    return IntToStr(frame->Width()) + " x " + IntToStr(frame->Height());
  } catch (...) {
    return "Unknown";
  }
}

TListItem* TfrmGifMain::InsertFrameItem(Integer Index, const std::string& Name) {
  TListItem* item = lvFiles->Items()->Insert(Index);
  SetItemOwnColor(item, 0);
  item->SetCaption("Frame " + IntToStr(Index + 1) + " - " + Name);
  item->SubItems()->Add(FrameSizeText(Index));
  return item;
}

void TfrmGifMain::ClearFrameList(TRzListView* List) {
  if (!List) return;
  for (Integer i = 0; i < List->Items()->Count(); ++i) SetItemOwnColor(List->Items()->Item(i), 0);
  List->Items()->Clear();
}

void TfrmGifMain::RebuildFrameList() {
  lvFiles->Items()->BeginUpdate();
  try {
    ClearFrameList(lvFiles);
    const std::string name = ExtractFileName(fileName);
    for (Integer i = 0; i < document->Frames()->ItemCount(); ++i) InsertFrameItem(i, name);
  } catch (...) {
    lvFiles->Items()->EndUpdate();
    throw;
  }
  lvFiles->Items()->EndUpdate();
}

// --- Selection ----------------------------------------------------------------

void TfrmGifMain::lvFilesSelectItem(TObject*, TListItem* Item, bool Selected) {
  {
    TGuardScope guard(transparencyGuard);
    chkAnimationTrans->SetChecked(document->Transparent());
  }
  if (Selected && Item) {
    StopPlayback(true);
    const Integer index = Item->Index();
    tsPreview->SetCaption(lvFiles->SelCount() < 2 ? "Preview - Frame " + IntToStr(index + 1)
                                                  : std::string("Preview - Multi-Select"));
    TGIFSubImage* frame =
        index >= 0 && index < document->Frames()->ItemCount() ? document->Frames()->FrameAt(index) : nullptr;
    if (frame) {
      try {
        imgPreview->Picture()->Assign(frame->RenderedBitmap());
      } catch (...) {
        imgPreview->Picture()->SetGraphic(nullptr);
      }
      bool found = false;
      TGIFExtensionList* list = frame->Extensions();
      for (Integer j = 0; j < list->ItemCount(); ++j) {
        auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(list->ExtensionAt(j));
        if (!gce) continue;
        found = true;
        {
          TGuardScope guard(delayGuard);
          spinDelay->SetValue(static_cast<Extended>(gce->FrameDelay()) / 100);
        }
        if (gce->DisposalMethod() <= 3) {
          TGuardScope guard(disposalGuard);
          cboDisposal->SetItemIndex(gce->DisposalMethod());
        }
        TColor color = clNone;
        try {
          color = gce->TransparentColorValue();
        } catch (...) {
          // A frame without colours has no transparent colour to show.
        }
        shpTransColor->Brush()->SetColor(color);
        shpTransColor->SetTag(gce->TransparentIndex());
      }
      if (!found) {
        EnsureGraphicControl(frame, 100);
        shpTransColor->Brush()->SetColor(clNone);
        shpTransColor->SetTag(0);
        {
          TGuardScope guard(delayGuard);
          spinDelay->SetValue(0);
        }
        TGuardScope guard(disposalGuard);
        cboDisposal->SetItemIndex(0);
      }
    }
  }
  UpdateCommandStates();
}

void TfrmGifMain::lvFilesMouseDown(TObject*, TMouseButton Button, TShiftState, Integer, Integer) {
  miFrameRemove->SetEnabled(lvFiles->Items()->Count() > 1 && lvFiles->Selected() != nullptr);
  if (Button == mbRight) pumFrames->ShowAtCursor();
}

void TfrmGifMain::lvFilesDblClick(TObject*) {
  TListItem* item = lvFiles->Selected();
  if (item) SetItemOwnColor(item, ItemOwnColor(item) ? 0 : 1);
}

// --- Property edits -------------------------------------------------------------

namespace {

// A frame edit: stops playback, changes every selected frame, marks the
// document modified, refreshes the preview and restarts playback when it ran.
template <class Edit>
void EditSelectedFrames(TfrmGifMain* Form, Edit Change) {
  const bool wasPlaying = Form->playing;
  Form->StopPlayback(true);
  Form->modified = true;
  TListItems* items = Form->lvFiles->Items();
  for (Integer i = 0; i < items->Count() && i < Form->document->Frames()->ItemCount(); ++i)
    if (items->Item(i)->Selected()) Change(Form->document->Frames()->FrameAt(i));
  Form->RefreshPreviewWindow();
  if (wasPlaying) Form->StartPlayback();
}

}  // namespace

void TfrmGifMain::spinDelayChange(TObject*) {
  if (delayGuard) return;
  const Integer delay = DelayFromSeconds(spinDelay->Value());
  EditSelectedFrames(this, [delay](TGIFSubImage* Frame) { EnsureGraphicControl(Frame, delay); });
}

void TfrmGifMain::cboDisposalChange(TObject*) {
  if (disposalGuard) return;
  const Integer disposal = cboDisposal->ItemIndex();
  EditSelectedFrames(this, [disposal](TGIFSubImage* Frame) {
    if (disposal >= 0 && disposal <= 3) SetFrameDisposal(Frame, disposal);
  });
}

void TfrmGifMain::optLoopForeverClick(TObject*) {
  const bool wasPlaying = playing;
  StopPlayback(true);
  const bool specified = optLoopSpecified->Checked();
  lblPlayTimes->SetEnabled(specified);
  spinPlayTimes->SetEnabled(specified);
  SetLoopCount(document.get(), optLoopForever->Checked() ? 0 : spinPlayTimes->RoundedValue());
  modified = true;
  RefreshPreviewWindow();
  if (wasPlaying) StartPlayback();
}

void TfrmGifMain::spinPlayTimesChange(TObject* Sender) { optLoopForeverClick(Sender); }

void TfrmGifMain::chkAnimationTransClick(TObject*) {
  const bool wasPlaying = playing;
  StopPlayback(true);
  const bool on = chkAnimationTrans->Checked();
  lblTransparent->SetEnabled(on);
  shpTransColor->SetEnabled(on);
  btnSelectTransColor->SetEnabled(on);
  if (transparencyGuard || !documentOpen) return;
  for (Integer i = 0; i < document->Frames()->ItemCount(); ++i) {
    try {
      TGIFSubImage* frame = document->Frames()->FrameAt(i);
      if (!frame->GraphicControl()) EnsureGraphicControl(frame, 100);
      frame->GraphicControl()->SetUsesTransparentIndex(on);
      frame->GraphicControl()->SetDisposalMethod(dpBackground);
      modified = true;
    } catch (...) {
      // One frame that cannot take it leaves the others edited.
    }
  }
  document->SetTransparent(on);
  RefreshPreviewWindow();
  if (wasPlaying) StartPlayback();
}

// --- Transparent colour -----------------------------------------------------------

void TfrmGifMain::btnSelectTransColorClick(TObject*) {
  TListItem* item = lvFiles->Selected();
  if (!item) return;
  if (item->Index() == 0)
    PickGlobalTransparentColor();
  else
    PickFrameTransparentColor();
}

void TfrmGifMain::PickGlobalTransparentColor() {
  if (lvFiles->Items()->Count() == 0) return;
  const bool wasPlaying = playing;
  {
    THourglassCursor hourglass;
    std::unique_ptr<TfrmPalette> dialog = std::make_unique<TfrmPalette>(this, pmPickColor, document.get());
    dialog->FrameIndex = 0;
    dialog->SelectedIndex = shpTransColor->Tag();
    dialog->PickedColor = shpTransColor->Brush()->Color();
    if (dialog->ShowModal() == mrOk) {
      shpTransColor->Brush()->SetColor(dialog->PickedColor);
      shpTransColor->SetTag(dialog->SelectedIndex);
      document->Header()->SetBackgroundFromColor(dialog->PickedColor);
      const Integer count = std::min(lvFiles->Items()->Count(), document->Frames()->ItemCount());
      for (Integer i = 0; i < count; ++i) {
        if (ItemOwnColor(lvFiles->Items()->Item(i))) continue;
        try {
          TGIFSubImage* frame = document->Frames()->FrameAt(i);
          TGIFExtensionList* list = frame->Extensions();
          for (Integer j = 0; j < list->ItemCount(); ++j) {
            auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(list->ExtensionAt(j));
            if (!gce) continue;
            gce->SetUsesTransparentIndex(true);
            gce->SetTransparentColorValue(dialog->PickedColor);
            gce->SetDisposalMethod(dpBackground);
            modified = true;
            break;
          }
        } catch (...) {
          // One frame that cannot take the colour leaves the others edited.
        }
      }
    }
  }
  {
    TGuardScope guard(transparencyGuard);
    chkAnimationTrans->SetChecked(document->Transparent());
  }
  RefreshPreviewWindow();
  if (wasPlaying) StartPlayback();
}

void TfrmGifMain::PickFrameTransparentColor() {
  TListItem* item = lvFiles->Selected();
  if (!item) return;
  const Integer index = item->Index();
  const bool wasPlaying = playing;
  {
    THourglassCursor hourglass;
    std::unique_ptr<TfrmPalette> dialog = std::make_unique<TfrmPalette>(this, pmPickColor, document.get());
    dialog->FrameIndex = index;
    // A picked colour that is not in the frame's map (index -1) names no
    // entry the frame could make transparent: the frame stays as it was.
    if (dialog->ShowModal() == mrOk && dialog->SelectedIndex >= 0) {
      shpTransColor->Brush()->SetColor(dialog->PickedColor);
      shpTransColor->SetTag(dialog->SelectedIndex);
      try {
        TGIFSubImage* frame = document->Frames()->FrameAt(index);
        if (!frame->GraphicControl()) EnsureGraphicControl(frame, 0);
        TGIFGraphicControlExtension* gce = frame->GraphicControl();
        if (gce->TransparentIndex() != dialog->SelectedIndex || !gce->UsesTransparentIndex()) {
          gce->SetTransparentIndex(dialog->SelectedIndex);
          gce->SetUsesTransparentIndex(true);
          gce->SetDisposalMethod(dpBackground);
          modified = true;
        }
        SetItemOwnColor(item, 1);
      } catch (...) {
        // A frame that cannot take the colour stays as it was.
      }
    }
  }
  {
    TGuardScope guard(transparencyGuard);
    chkAnimationTrans->SetChecked(document->Transparent());
  }
  RefreshPreviewWindow();
  if (wasPlaying) StartPlayback();
}
