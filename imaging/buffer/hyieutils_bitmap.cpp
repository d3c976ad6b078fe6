// The image buffer: storage places, row access, the alpha channel and moves
// between places.
#include <algorithm>
#include <cstdlib>

#include "imaging/buffer/hyieutils.h"
#include "imaging/buffer/zezivori.h"
#include "platform/Graphics.h"

TIEBitmap::TIEBitmap() : mapped_(std::make_unique<TIEMemoryMapped>()), fileThreshold_(IEDefaultFileThreshold()) {}

TIEBitmap::~TIEBitmap() { FreeImage(); }

std::unique_ptr<TIEBitmap> TIEBitmap::CreateAlphaChannel(Integer Width, Integer Height, TIEStorageLocation Place,
                                                         uint64_t Threshold) {
  auto a = std::make_unique<TIEBitmap>();
  a->isAlpha_ = true;
  a->borrowed_ = false;
  if (Threshold != 0) a->fileThreshold_ = Threshold;
  a->location_ = Place == islVCLBitmap ? islMemory : Place;
  a->AllocateImage(Width, Height, ipkGray8);
  a->FillWith(255);
  return a;
}

void TIEBitmap::ReleaseRowView() {
  if (rowView_) {
    mapped_->UnmapView(rowView_);
    rowView_ = nullptr;
    viewStart_ = 0;
    viewLength_ = 0;
  }
}

void TIEBitmap::FreeImage() {
  alpha_.reset();
  palette_.reset();
  ReleaseRowView();
  mapped_->Close();
  std::free(memory_);
  memory_ = nullptr;
  if (!borrowed_) delete vclBitmap_;
  vclBitmap_ = nullptr;
  rowPointers_.clear();
  width_ = height_ = rowLength_ = bitsPerPixel_ = paletteCount_ = 0;
  alphaFull_ = false;
  borrowed_ = false;
}

void TIEBitmap::AllocateImage(Integer Width, Integer Height, TIEPixelKind Kind) {
  if (borrowed_ && vclBitmap_ && location_ == islVCLBitmap) {
    // The borrowed bitmap is reshaped in place, so a reader filling a buffer
    // attached to a view's bitmap fills that bitmap directly.
    alpha_.reset();
    palette_.reset();
    paletteCount_ = 0;
  } else {
    FreeImage();
  }
  width_ = Width;
  height_ = Height;
  kind_ = Kind;
  AllocateStorage();
}

void TIEBitmap::AllocateStorage() {
  if (width_ <= 0 || height_ <= 0 || kind_ == ipkNone) return;
  if (kind_ == ipkPal8) {
    palette_ = std::make_unique<TIEColorTriple[]>(256);
    paletteCount_ = 256;
  }
  bitsPerPixel_ = IEPixelKindBits[kind_];
  rowLength_ = static_cast<Integer>(AlignedRowLength(width_, bitsPerPixel_));
  // 64-bit size and threshold: pictures beyond 4 GB and machines with more
  // memory than 32 bits can describe are compared correctly.
  const uint64_t size = static_cast<uint64_t>(static_cast<uint32_t>(rowLength_)) * static_cast<uint32_t>(height_);
  if (location_ == islMappedFile && size < fileThreshold_) location_ = islMemory;
  if (location_ == islMemory && size > fileThreshold_) location_ = islMappedFile;
  if (location_ == islMappedFile) {
    if (!mapped_->CreateMappedTempFile(std::string(), size)) location_ = islMemory;
  }
  if (location_ == islMemory) {
    if (size > SIZE_MAX || (memory_ = static_cast<Byte*>(std::malloc(static_cast<size_t>(size)))) == nullptr) {
      FreeImage();
      throw EOutOfMemory("Out of memory");
    }
  }
  if (location_ == islVCLBitmap) AllocateVclStorage();
  alphaFull_ = false;
}

void* TIEBitmap::GetRowPointer(Integer Row) {
  switch (location_) {
    case islMemory:
      return memory_ + static_cast<size_t>(rowLength_) * static_cast<size_t>(height_ - 1 - Row);
    case islMappedFile: {
      // One view at a time: an earlier row address may die here.
      const uint64_t rl = static_cast<uint32_t>(rowLength_);
      const uint64_t offset = static_cast<uint64_t>(static_cast<uint32_t>(Row)) * rl;
      const bool strict = IEStrictRowViews();
      if (!strict && rowView_ && offset >= viewStart_ && offset + rl <= viewStart_ + viewLength_)
        return static_cast<Byte*>(rowView_) + (offset - viewStart_);
      uint64_t base = offset & ~0xFFFFull;
      uint64_t length = offset - base + rl;
      void* view = nullptr;
      if (!strict) {
        // One view over the whole file (over 8 GB of it, reaching as far back
        // as forward, for larger files): rows are then reached without any
        // mapping call. Under Wine, passes over a 1.2 GB buffer took several
        // times longer with views of 1 to 64 MB than with one view.
        const uint64_t total = rl * static_cast<uint32_t>(height_);
        constexpr uint64_t kWindow = sizeof(void*) >= 8 ? (uint64_t(8) << 30) : (uint64_t(64) << 20);
        uint64_t wideBase = 0;
        if (total > kWindow) wideBase = (offset > kWindow / 2 ? offset - kWindow / 2 : 0) & ~0xFFFFull;
        const uint64_t wideLength = std::max<uint64_t>(std::min(kWindow, total - wideBase), offset - wideBase + rl);
        // The new view is mapped before the old one goes, so its address differs.
        view = mapped_->MapView(wideBase, static_cast<size_t>(wideLength));
        if (view) {
          base = wideBase;
          length = wideLength;
        }
      }
      if (!view) view = mapped_->MapView(base, static_cast<size_t>(length));
      const uint64_t inView = offset - base;
      ReleaseRowView();
      if (!view) return nullptr;
      rowView_ = view;
      viewStart_ = base;
      viewLength_ = static_cast<size_t>(length);
      return static_cast<Byte*>(view) + inView;
    }
    case islVCLBitmap:
      return rowPointers_[Row];
  }
  return nullptr;
}

void TIEBitmap::MoveContentTo(TIEBitmap* Dest) {
  if (Dest == this) return;
  Dest->FreeImage();
  Dest->width_ = width_;
  Dest->height_ = height_;
  Dest->bitsPerPixel_ = bitsPerPixel_;
  Dest->rowView_ = rowView_;
  Dest->viewStart_ = viewStart_;
  Dest->viewLength_ = viewLength_;
  Dest->rowLength_ = rowLength_;
  Dest->kind_ = kind_;
  Dest->palette_ = std::move(palette_);
  Dest->paletteCount_ = paletteCount_;
  Dest->alpha_ = std::move(alpha_);
  Dest->isAlpha_ = isAlpha_;
  Dest->memory_ = memory_;
  Dest->vclBitmap_ = vclBitmap_;
  Dest->location_ = location_;
  Dest->alphaFull_ = alphaFull_;
  Dest->borrowed_ = borrowed_;
  Dest->rowPointers_ = std::move(rowPointers_);
  Dest->mapped_ = std::move(mapped_);
  Dest->bilevelMethod_ = bilevelMethod_;

  mapped_ = std::make_unique<TIEMemoryMapped>();
  width_ = height_ = bitsPerPixel_ = rowLength_ = paletteCount_ = 0;
  rowView_ = nullptr;
  viewStart_ = 0;
  viewLength_ = 0;
  kind_ = ipkNone;
  isAlpha_ = false;
  memory_ = nullptr;
  vclBitmap_ = nullptr;
  rowPointers_.clear();
  alphaFull_ = false;
  borrowed_ = false;
}

namespace {
// Copies one row between kinds of equal layout, or takes the high byte of
// 16-bit grey values when the destination holds them as 8-bit grey.
void CopyRowAdapting(Byte* dst, const Byte* src, TIEPixelKind dstKind, TIEPixelKind srcKind, Integer width,
                     size_t bytes) {
  if (srcKind == ipkGray16 && dstKind == ipkGray8) {
    for (Integer x = 0; x < width; ++x) dst[x] = src[2 * x + 1];
  } else {
    std::memcpy(dst, src, bytes);
  }
}
}  // namespace

void TIEBitmap::MoveToLocation(TIEStorageLocation Place) {
  if (Place == location_) return;
  TIEBitmap tmp;
  MoveContentTo(&tmp);
  location_ = Place;
  AllocateImage(tmp.width_, tmp.height_, tmp.kind_);
  if (kind_ != ipkNone && width_ > 0 && height_ > 0) {
    const size_t bytes = static_cast<size_t>(std::min(rowLength_, tmp.rowLength_));
    for (Integer r = 0; r < height_; ++r) {
      const Byte* src = static_cast<const Byte*>(tmp.GetRowPointer(r));
      CopyRowAdapting(static_cast<Byte*>(GetRowPointer(r)), src, kind_, tmp.kind_, width_, bytes);
    }
    for (Integer i = 0; i < std::min(paletteCount_, tmp.paletteCount_); ++i) palette_[i] = tmp.palette_[i];
    SyncVCLPalette();
  }
}

TCanvas* TIEBitmap::CanvasForDrawing() {
  if (location_ != islVCLBitmap) MoveToLocation(islVCLBitmap);
  return vclBitmap_ ? vclBitmap_->Canvas() : nullptr;
}

TIEBitmap* TIEBitmap::GetAlphaChannel() {
  if (isAlpha_) return nullptr;
  if (!alpha_) alpha_ = CreateAlphaChannel(width_, height_, location_, fileThreshold_);
  return alpha_.get();
}

void TIEBitmap::FreeAlphaChannel() {
  if (isAlpha_) return;
  alpha_.reset();
}

TIEColorTriple TIEBitmap::PaletteEntry(Integer Index, TIEColorTriple Default) const {
  if (Index < 0 || Index >= paletteCount_) return Default;
  return palette_[Index];
}

void InvertBitmapBits(TIEBitmap* Bitmap) {
  for (Integer r = 0; r < Bitmap->Height(); ++r) {
    Byte* row = static_cast<Byte*>(Bitmap->GetRowPointer(r));
    for (Integer i = 0; i < Bitmap->RowLength(); ++i) row[i] = static_cast<Byte>(~row[i]);
  }
}
