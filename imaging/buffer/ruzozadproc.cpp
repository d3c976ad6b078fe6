// The processing component: attachment, undo and redo, work region and the
// colour-depth operations.
#include "imaging/buffer/ruzozadproc_component.h"

#include <string>

#include "platform/ExtCtrls.h"

TBitmap* ImageControlBitmap(TImage* Image) { return Image != nullptr ? Image->Picture()->Bitmap() : nullptr; }

TComponent* ImageControlComponent(TImage* Image) { return Image; }

TRuzozAdProc::TRuzozAdProc(TComponent* AOwner) : TComponent(AOwner) {
  own_ = std::make_unique<TIEBitmap>();
  working_ = own_.get();
  previewFont_ = std::make_unique<TFont>();
}

TRuzozAdProc::~TRuzozAdProc() {
  DetachListener();
  ClearUndoSnapshots();
  ClearRedoSnapshots();
}

void TRuzozAdProc::DetachListener() {
  if (view_ != nullptr && listener_ != IENoListener) view_->RemoveChangeListener(listener_);
  listener_ = IENoListener;
}

// Drops the picture: our own buffer lets go of its pixels (and of a platform
// bitmap it wraps, which may be about to be freed); a view's buffer is left
// alone and replaced by an empty one of ours.
void TRuzozAdProc::ReleasePicture() {
  attachedBitmap_ = nullptr;
  if (OwnsWorkingBitmap())
    working_->FreeImage();
  else
    UseOwnBitmap();
}

// A fresh picture of our own (never the view's: detaching must not touch it).
void TRuzozAdProc::UseOwnBitmap() {
  if (!OwnsWorkingBitmap()) own_ = std::make_unique<TIEBitmap>();
  working_ = own_.get();
}

void TRuzozAdProc::SetOwnBitmapWrapping(TBitmap* Bitmap) {
  UseOwnBitmap();
  if (Bitmap != nullptr)
    working_->AttachTBitmap(Bitmap, true);
  else
    working_->FreeImage();
}

void TRuzozAdProc::SetAttachedRuzozAd(TIEView* View) {
  DetachListener();
  if (View == nullptr) {
    view_ = nullptr;
    ReleasePicture();
    return;
  }
  view_ = View;
  own_.reset();
  working_ = nullptr;
  attachedBitmap_ = View->CurrentBitmap();
  working_ = View->CurrentIEBitmap();
  if (working_ != nullptr)
    attachedBitmap_ = nullptr;
  else
    SetOwnBitmapWrapping(attachedBitmap_);
  View->FreeNotification(this);
  image_ = nullptr;
  listener_ = View->AddChangeListener(TIEViewChangeEvent(this, &TRuzozAdProc::ViewChanged));
}

void TRuzozAdProc::SetAttachedTImage(TImage* Image) {
  DetachListener();
  image_ = Image;
  if (Image == nullptr) {
    ReleasePicture();
    return;
  }
  attachedBitmap_ = ImageControlBitmap(Image);
  SetOwnBitmapWrapping(attachedBitmap_);
  if (TComponent* c = ImageControlComponent(Image)) c->FreeNotification(this);
  view_ = nullptr;
}

void TRuzozAdProc::AttachBitmap(TBitmap* Bitmap) {
  // Nil while a view or an image control is attached changes nothing: taking
  // the listener off a view we stay attached to would leave us holding its
  // buffer after it replaced it.
  if (Bitmap == nullptr && (view_ != nullptr || image_ != nullptr)) return;
  DetachListener();
  attachedBitmap_ = Bitmap;
  SetOwnBitmapWrapping(Bitmap);
  if (Bitmap != nullptr) {
    view_ = nullptr;
    image_ = nullptr;
  }
}

void TRuzozAdProc::ViewChanged(TIEView* /*Sender*/, bool Destroying) {
  if (Destroying) {
    // The view is going: forget it and whatever of it we held.
    listener_ = IENoListener;
    view_ = nullptr;
    ReleasePicture();
    return;
  }
  if (view_ == nullptr) return;
  attachedBitmap_ = view_->CurrentBitmap();
  if (OwnsWorkingBitmap()) {
    SetOwnBitmapWrapping(attachedBitmap_);
  } else {
    working_ = view_->CurrentIEBitmap();
    if (working_ != nullptr)
      attachedBitmap_ = nullptr;
    else
      SetOwnBitmapWrapping(attachedBitmap_);
  }
}

void TRuzozAdProc::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (view_ != nullptr && AComponent == view_) {
    // The view may live on (it was only taken from its owner): it must not keep
    // calling us. A view being destroyed has already told us and is gone from view_.
    DetachListener();
    view_ = nullptr;
    ReleasePicture();
  }
  if (image_ != nullptr && AComponent == ImageControlComponent(image_)) {
    image_ = nullptr;
    ReleasePicture();
  }
}

TColor TRuzozAdProc::Background() const { return view_ != nullptr ? view_->Background() : background_; }

void TRuzozAdProc::SetBackground(TColor Value) {
  if (view_ != nullptr)
    view_->SetBackground(Value);
  else
    background_ = Value;
}

void TRuzozAdProc::SetPreviewFont(TFont* Value) {
  if (Value != nullptr) previewFont_->Assign(Value);
}

void TRuzozAdProc::Prologue() {
  // The bitmap's owner may have resized or replaced its pixels since the last call.
  if (attachedBitmap_ != nullptr && working_ != nullptr) working_->AttachTBitmap(attachedBitmap_, false);
}

bool TRuzozAdProc::PushSnapshot(std::vector<Entry>& List, Integer Kind) {
  Entry entry;
  if (Kind == 1) {
    Prologue();
    if (working_ == nullptr || working_->Width() <= 0 || working_->Height() <= 0) return false;
    entry.Bitmap = std::make_unique<TIEBitmap>();
    entry.Bitmap->SetLocation(undoLocation_);
    entry.Bitmap->CopyFromObject(working_);
  } else if (Kind == 2) {
    auto* selection = dynamic_cast<IIESelectionView*>(view_);
    if (selection == nullptr) return false;
    entry.State = std::make_unique<TMemoryStream>();
    selection->WriteSelectionState(entry.State.get());
  } else {
    return false;
  }
  while (static_cast<Integer>(List.size()) >= undoLimit_ && !List.empty()) List.erase(List.begin());
  List.push_back(std::move(entry));
  ++pushed_;
  return true;
}

void TRuzozAdProc::PushUndoSnapshot(Integer Kind) { PushSnapshot(undo_, Kind); }

void TRuzozAdProc::PushRedoSnapshot(Integer Kind) { PushSnapshot(redo_, Kind); }

void TRuzozAdProc::PushUndoWithCaption(const std::string& Caption, Integer Kind) {
  Prologue();
  if (working_ == nullptr || working_->Width() <= 0 || working_->Height() <= 0) return;
  const uint64_t before = pushed_;
  PushUndoSnapshot(Kind);
  // Caption the entry only when one was pushed.
  if (pushed_ != before && !undo_.empty()) undo_.back().Caption = Caption;
}

void TRuzozAdProc::RestoreAt(std::vector<Entry>& List, Integer N) {
  if (working_ == nullptr) return;
  Prologue();
  if (List.empty() || N < 0 || N >= static_cast<Integer>(List.size())) return;
  Entry& entry = List[List.size() - 1 - static_cast<size_t>(N)];
  if (entry.Bitmap) {
    working_->CopyFromObject(entry.Bitmap.get());
    NotifyImageChanged();
  } else if (entry.State) {
    entry.State->SetPosition(0);
    if (auto* selection = dynamic_cast<IIESelectionView*>(view_)) selection->ReadSelectionState(entry.State.get());
  }
}

void TRuzozAdProc::RestoreUndoAt(Integer N) { RestoreAt(undo_, N); }
void TRuzozAdProc::RestoreLastUndo() { RestoreUndoAt(0); }
void TRuzozAdProc::RestoreRedoAt(Integer N) { RestoreAt(redo_, N); }
void TRuzozAdProc::RestoreLastRedo() { RestoreRedoAt(0); }

void TRuzozAdProc::DropLastRedo() {
  if (!redo_.empty()) redo_.pop_back();
}

void TRuzozAdProc::ClearUndoSnapshots() {
  while (!undo_.empty()) undo_.erase(undo_.begin());
}

void TRuzozAdProc::ClearRedoSnapshots() {
  while (!redo_.empty()) redo_.erase(redo_.begin());
}

bool TRuzozAdProc::GetWorkRegion(Integer& X1, Integer& Y1, Integer& X2, Integer& Y2, TPoint*& Points,
                                 Integer& PointCount, TIEMask*& Mask) {
  Prologue();
  Mask = nullptr;
  Points = nullptr;
  PointCount = 0;
  X1 = Y1 = 0;
  X2 = working_ != nullptr ? working_->Width() : 0;
  Y2 = working_ != nullptr ? working_->Height() : 0;
  auto* selection = dynamic_cast<IIESelectionView*>(view_);
  if (selection == nullptr) return false;
  Mask = selection->SelectionMask();
  if (!selection->SelectionActive()) return false;
  if (Mask != nullptr && !Mask->IsEmpty()) {
    X1 = Mask->Left();
    Y1 = Mask->Top();
    X2 = Mask->Right() + 1;
    Y2 = Mask->Bottom() + 1;
  }
  Points = selection->SelectionPoints();
  PointCount = selection->SelectionPointCount();
  return true;
}

void TRuzozAdProc::NotifyImageChanged() {
  // A bitmap of a depth the buffer cannot hold in place is worked on as a copy
  // (see TIEBitmap::AttachTBitmap): the changed picture goes back to it now.
  if (attachedBitmap_ != nullptr && working_ != nullptr && working_->VclBitmap() != attachedBitmap_ &&
      working_->Width() > 0 && working_->Height() > 0)
    working_->ExportToTBitmap(attachedBitmap_);
  if (view_ != nullptr) {
    view_->Update();
    view_->NotifyImageChanged();
  } else if (attachedBitmap_ != nullptr) {
    attachedBitmap_->SetModified(true);
  }
}

void TRuzozAdProc::ReduceColors(Integer Colors, TIEColorTriple* Palette, bool Threshold) {
  if (Colors < 3) {
    if (Palette != nullptr) {
      Palette[0] = TIEColorTriple{0, 0, 0};
      Palette[1] = TIEColorTriple{255, 255, 255};
    }
    TIEProgressRecord progress;
    progress.Callback = OnProgress;
    progress.Sender = this;
    if (Threshold)
      AverageThresholdToBilevel(working_, -1, progress);
    else
      OrderedDitherToBilevel(working_, progress);
  } else if (Colors <= 1024) {
    RemapToQuantizedPalette(working_, Colors, Palette, OnProgress, this);
  }
}

void TRuzozAdProc::ConvertTo(Integer Colors, bool Threshold) {
  if (working_ == nullptr) return;
  Prologue();
  if (working_->PixelKind() != ipkRGB24) return;
  if (autoUndo_) PushUndoWithCaption("ConvertTo " + std::to_string(Colors), 1);
  ReduceColors(Colors, nullptr, Threshold);
  NotifyImageChanged();
}

void TRuzozAdProc::ConvertToPalette(Integer Colors, TIEColorTriple* Palette, bool Threshold) {
  if (working_ == nullptr || Colors == 0) return;
  Prologue();
  if (working_->PixelKind() != ipkRGB24) return;
  if (autoUndo_) PushUndoWithCaption("ConvertToPalette", 1);
  ReduceColors(Colors, Palette, Threshold);
  NotifyImageChanged();
}

void TRuzozAdProc::ConvertToGray() {
  if (working_ == nullptr) return;
  Prologue();
  if (working_->PixelKind() != ipkRGB24) return;
  if (autoUndo_) PushUndoWithCaption("ConvertToGray", 1);
  Integer x1, y1, x2, y2, count;
  TPoint* points;
  TIEMask* mask;
  GetWorkRegion(x1, y1, x2, y2, points, count, mask);
  if (mask == nullptr || mask->IsEmpty()) {
    GrayscaleRegion(working_, x1, y1, x2, y2, OnProgress, this);
  } else {
    const Integer w = mask->Right() - mask->Left() + 1, h = mask->Bottom() - mask->Top() + 1;
    TIEBitmap scratch;
    scratch.AllocateImage(w, h, working_->PixelKind());
    working_->BlitTo(&scratch, mask->Left(), mask->Top(), 0, 0, w, h);
    GrayscaleRegion(&scratch, 0, 0, w, h, OnProgress, this);
    mask->CopyMaskedPixels(working_, &scratch, false, true);
  }
  NotifyImageChanged();
}
