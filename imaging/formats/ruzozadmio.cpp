// The multi-image I/O component: parameter entries kept in step with the
// attached multi-image view, accepted pages, and the resolution equalizer.
#include "imaging/formats/ruzozadmio.h"

#include <algorithm>
#include <cmath>

#include "imaging/buffer/ruzozadproc.h"
#include "imaging/views/ieview.h"
#include "platform/SysUtils.h"

TRuzozAdMIO::TRuzozAdMIO(TComponent* AOwner) : TComponent(AOwner) {
  scannerParams_ = std::make_unique<TIETWainParams>(this);
  previewFont_ = std::make_unique<TFont>();
}

TRuzozAdMIO::~TRuzozAdMIO() { Detach(); }

// Stops listening to the view (which may still hold our record).
void TRuzozAdMIO::Detach() {
  if (view_ != nullptr && listener_ != IENoListener) view_->RemoveChangeListener(listener_);
  listener_ = IENoListener;
  view_ = nullptr;
  list_ = nullptr;
}

void TRuzozAdMIO::SetAttachedMView(TIEView* View) {
  IIEMultiView* list = nullptr;
  if (View != nullptr) {
    list = dynamic_cast<IIEMultiView*>(View);
    if (list == nullptr) throw EInvalidCast("Invalid class typecast");
  }
  Detach();
  view_ = View;
  list_ = list;
  if (View == nullptr) return;
  View->FreeNotification(this);
  listener_ = View->AddChangeListener(TIEViewChangeEvent(this, &TRuzozAdMIO::ViewChanged));
  // One entry per image of this view, whatever an earlier view had.
  const Integer count = std::max<Integer>(0, list_->EntryCount());
  if (ParamsCount() > count) params_.resize(static_cast<size_t>(count));
  while (ParamsCount() < count) InsertParams(ParamsCount());
}

void TRuzozAdMIO::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove || view_ == nullptr || AComponent != view_) return;
  // Normally the view's destroying call came first and we are detached; a view
  // removed otherwise still holds our listener record.
  Detach();
}

void TRuzozAdMIO::ViewChanged(TIEView* /*Sender*/, bool Destroying) {
  if (Destroying) {
    // The view frees the listener records itself.
    listener_ = IENoListener;
    view_ = nullptr;
    list_ = nullptr;
    return;
  }
  if (list_ == nullptr) return;
  const Integer kind = list_->TakeLastChange();
  const Integer index = list_->LastChangeIndex();
  if (kind == IIEMultiView::lcInserted)
    InsertParams(index);
  else if (kind == IIEMultiView::lcDeleted)
    DeleteParams(index);
}

TIOParamsVals* TRuzozAdMIO::ParamsOf(Integer Index) const {
  if (Index < 0 || Index >= ParamsCount()) return nullptr;
  return params_[static_cast<size_t>(Index)].get();
}

void TRuzozAdMIO::Renumber() {
  for (size_t i = 0; i < params_.size(); ++i) {
    params_[i]->TiffPageIndex = static_cast<Integer>(i);
    params_[i]->GifImageIndex = static_cast<Integer>(i);
  }
}

void TRuzozAdMIO::InsertParams(Integer Index) {
  auto entry = std::make_unique<TIOParamsVals>(nullptr);
  if (!params_.empty()) {
    const size_t from = (Index >= 0 && Index < ParamsCount()) ? static_cast<size_t>(Index) : params_.size() - 1;
    entry->CopyFrom(params_[from].get());
  }
  if (Index >= 0 && Index < ParamsCount())
    params_.insert(params_.begin() + Index, std::move(entry));
  else
    params_.push_back(std::move(entry));
  Renumber();
}

void TRuzozAdMIO::DeleteParams(Integer Index) {
  if (Index < 0 || Index >= ParamsCount()) return;
  params_.erase(params_.begin() + Index);
  Renumber();
}

void TRuzozAdMIO::AcceptAcquiredBitmap(TIEBitmap* Bitmap, TIOParamsVals*& Params) {
  Params = nullptr;
  if (OnAcquireBitmap) {
    bool handled = false;
    OnAcquireBitmap(this, Bitmap, handled);
    if (handled) return;
  }
  if (list_ == nullptr) return;
  const Integer index = accepted_;
  list_->InsertEntry(index);
  // The view appends when the index is past its end.
  const Integer at = std::min(index, list_->EntryCount() - 1);
  Params = ParamsOf(at);
  std::unique_ptr<TIEBitmap> equalized;
  TIEBitmap* page = Bitmap;
  if (AutoAdjustDPI && Params != nullptr) {
    page = EqualizeDpi(Bitmap, *Params, FilteredAdjustDPI);
    if (page != Bitmap) equalized.reset(page);
  }
  list_->StoreEntryBitmap(at, page);
  list_->StoreFrameDelay(at, 100);
  ++accepted_;
}

TIEBitmap* EqualizeDpi(TIEBitmap* Bitmap, TIOParamsVals& Params, bool Filtered) {
  const Integer x = Params.DpiX, y = Params.DpiY;
  if (Bitmap == nullptr || x == y || x <= 0 || y <= 0) return Bitmap;
  Integer w = Bitmap->Width(), h = Bitmap->Height();
  if (w <= 0 || h <= 0 || Bitmap->PixelKind() == ipkNone) return Bitmap;
  if (h < w) {
    // A one-pixel side must not shrink to nothing.
    h = std::max<Integer>(1, static_cast<Integer>(std::trunc(double(h) / y * x)));
    Params.Height = h;
    Params.DpiY = x;
  } else {
    w = std::max<Integer>(1, static_cast<Integer>(std::trunc(double(w) / x * y)));
    Params.Width = w;
    Params.DpiX = y;
  }
  auto result = std::make_unique<TIEBitmap>();
  if (Filtered) {
    if (Bitmap->PixelKind() != ipkRGB24) Bitmap->ConvertToKind(ipkRGB24);
    result->AllocateImage(w, h, ipkRGB24);
    ResampleImage(Bitmap, result.get(), rfFastLinear);
  } else {
    result->AllocateImage(w, h, Bitmap->PixelKind());
    // The stretched indexes mean nothing without the source's colours.
    for (Integer i = 0; i < std::min(Bitmap->PaletteCount(), result->PaletteCount()); ++i)
      result->SetPaletteEntry(i, Bitmap->PaletteEntry(i));
    StretchNearest(Bitmap, result.get());
  }
  return result.release();
}
