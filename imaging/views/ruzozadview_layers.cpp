// Layers of the single-image view, the legacy platform bitmap switch and
// alpha flattening.
#include <algorithm>

#include "imaging/views/ruzozadview.h"

TIELayer::TIELayer(TIEBitmap* Source, bool Wrap) {
  if (Wrap) {
    Bitmap = Source;
    return;
  }
  auto b = std::make_unique<TIEBitmap>();
  if (Source->Location() == islVCLBitmap && Source->VclBitmap()) {
    PlatformBitmap = std::make_unique<TBitmap>();
    PlatformBitmap->SetPixelFormat(Source->VclBitmap()->PixelFormat());
    PlatformBitmap->SetSize(1, 1);
    PlatformBitmap->SetSize(Source->Width(), Source->Height());
    b->AttachTBitmap(PlatformBitmap.get(), false);
  } else {
    b->SetLocation(Source->Location());
    b->AllocateImage(Source->Width(), Source->Height(), Source->PixelKind());
  }
  Bitmap = b.release();
}

TIELayer::~TIELayer() {
  // The buffer goes before the platform bitmap it may wrap.
  if (OwnsBitmap) delete Bitmap;
  Bitmap = nullptr;
}

void TRuzozAdView::SyncLayers() {
  if (!current_) return;
  // Pick up changes made to the legacy bitmap from outside (its size, say).
  // A buffer that still wraps it at its size is left alone: a reader that
  // filled it with 8-bit rows keeps them (attaching again would copy them to 24 bits).
  if (legacyBitmap_ && legacy_) {
    const bool wrapped = current_->VclBitmap() == legacy_ && current_->Borrowed() &&
                         current_->Width() == legacy_->Width() && current_->Height() == legacy_->Height();
    if (!wrapped) current_->AttachTBitmap(legacy_, false);
  }
  if (layerIndex_ >= 0 && layerIndex_ < LayerCount()) layers_[static_cast<size_t>(layerIndex_)]->Bitmap = current_;
  Integer w = layers_.empty() ? 0 : layers_[0]->Bitmap->Width();
  Integer h = layers_.empty() ? 0 : layers_[0]->Bitmap->Height();
  for (size_t i = 1; i < layers_.size(); ++i) {
    w = std::max(w, layers_[i]->Bitmap->Width());
    h = std::max(h, layers_[i]->Bitmap->Height());
  }
  imageWidth_ = w;
  imageHeight_ = h;
  if (layers_.size() < 2) return;
  for (const auto& layer : layers_) {
    TIEBitmap* b = layer->Bitmap;
    if (b->Width() != w || b->Height() != h) {
      if (!b->HasAlphaChannel()) b->GetAlphaChannel()->FillWith(255);
      b->ResizeCanvas(w, h, Background(), 0, 0, 0);
      b->GetAlphaChannel()->SetAlphaFull(false);  // the new area is transparent
    }
    if (b->HasAlphaChannel()) {
      TIEBitmap* a = b->GetAlphaChannel();
      if (a->Width() != w || a->Height() != h) {
        a->ResizeCanvas(w, h, 0, 0, 0, 0);
        a->SetAlphaFull(false);
      }
    }
  }
}

void TRuzozAdView::SelectLayer(Integer Index) {
  if (Index < 0 || Index >= LayerCount()) return;
  layers_[static_cast<size_t>(layerIndex_)]->Bitmap = current_;
  layerIndex_ = Index;
  TIELayer* layer = layers_[static_cast<size_t>(Index)].get();
  current_ = layer->Bitmap;
  if (Index == 0 && ownLegacy_ && current_->VclBitmap() == ownLegacy_.get())
    legacy_ = ownLegacy_.get();
  else
    legacy_ = current_->Location() == islVCLBitmap ? current_->VclBitmap() : nullptr;
  NotifyChangeListeners();
  Update();
}

void TRuzozAdView::SetLegacyBitmap(bool Value) {
  if (Value == legacyBitmap_) return;
  if (!Value) {
    // The pixels move to storage of the buffer's own; the platform bitmap goes.
    current_->MoveToLocation(islMappedFile);
    if (ownLegacy_ && legacy_ == ownLegacy_.get()) ownLegacy_.reset();
    legacy_ = nullptr;
  } else {
    // Platform bitmaps of the view are 1- or 24-bit.
    if (current_->PixelKind() != ipkBW1 && current_->PixelKind() != ipkRGB24 && current_->PixelKind() != ipkNone)
      current_->ConvertToKind(ipkRGB24);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    if (current_->Width() > 0 && current_->Height() > 0) current_->ExportToTBitmap(bitmap.get());
    current_->AttachTBitmap(bitmap.get(), true);
    ownLegacy_ = std::move(bitmap);
    legacy_ = ownLegacy_.get();
  }
  legacyBitmap_ = Value;
  NotifyChangeListeners();
  Update();
}

void TRuzozAdView::FlattenAlpha(bool Value) {
  if (Value && current_->PixelKind() == ipkRGB24 && current_->HasAlphaChannel()) {
    const TIEColorTriple bg = ColorToTriple(Background());
    TIEBitmap* alpha = current_->GetAlphaChannel();
    std::vector<Byte> alphaRow(static_cast<size_t>(alpha->RowLength()));
    for (Integer y = 0; y < current_->Height(); ++y) {
      // The alpha row first: a mapped buffer hands out one row at a time.
      std::copy_n(static_cast<const Byte*>(alpha->GetRowPointer(y)), alphaRow.size(), alphaRow.begin());
      Byte* p = static_cast<Byte*>(current_->GetRowPointer(y));
      for (Integer x = 0; x < current_->Width(); ++x, p += 3) {
        const int64_t a = static_cast<int64_t>(alphaRow[static_cast<size_t>(x)]) * 1024;
        p[0] = static_cast<Byte>(bg.Blue + (((p[0] - bg.Blue) * a) >> 18));
        p[1] = static_cast<Byte>(bg.Green + (((p[1] - bg.Green) * a) >> 18));
        p[2] = static_cast<Byte>(bg.Red + (((p[2] - bg.Red) * a) >> 18));
      }
    }
  }
  current_->FreeAlphaChannel();
}

// Minimal selection hooks until the selection model fills them.
void TRuzozAdView::ClearSelection() {
  if (!selectionExists_) return;
  selectionExists_ = false;
  if (selMask_) selMask_->ClearMask();
  reRender_ = true;
  Paint();
}

void TRuzozAdView::DrawSelections(TObject*, bool FromTimer) {
  if (FromTimer) TickDelayCounters();
}
