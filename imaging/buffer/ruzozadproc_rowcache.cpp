#include "imaging/buffer/ruzozadproc_rowcache.h"

#include <cstring>

namespace ieproc {

// Only a mapped file's row addresses die at the next request (the buffer's
// TIEMemoryMapped object exists at every place, so its presence says nothing).
bool StableRows(TIEBitmap* Bitmap) { return Bitmap->Location() != islMappedFile; }

TRowCache::TRowCache(TIEBitmap* Bitmap, Integer Slots)
    : bitmap_(Bitmap),
      direct_(StableRows(Bitmap)),
      length_(static_cast<size_t>(Bitmap->RowLength())),
      slots_(static_cast<size_t>(Slots < 1 ? 1 : Slots)) {}

const Byte* TRowCache::Get(Integer Row) {
  if (direct_) return static_cast<const Byte*>(bitmap_->GetRowPointer(Row));
  Slot* victim = &slots_[0];
  for (Slot& s : slots_) {
    if (s.Row == Row) {
      s.Used = ++clock_;
      return s.Data.data();
    }
    if (s.Used < victim->Used) victim = &s;
  }
  victim->Data.resize(length_);
  std::memcpy(victim->Data.data(), bitmap_->GetRowPointer(Row), length_);
  victim->Row = Row;
  victim->Used = ++clock_;
  return victim->Data.data();
}

TScratchPlane::TScratchPlane(Integer Width, Integer Height, Integer Channels, Integer CacheSlots)
    : width_(Width), height_(Height), channels_(Channels) {
  stride_ = static_cast<size_t>(Width) * Channels;
  const uint64_t bytes = uint64_t(stride_) * static_cast<uint64_t>(Height);
  // Small planes stay in memory; big ones follow the buffer's storage rules.
  if (bytes <= (uint64_t(64) << 20)) {
    memory_.assign(bytes, 0);
  } else {
    bitmap_ = std::make_unique<TIEBitmap>();
    bitmap_->AllocateImage(Width, Height, Channels == 1 ? ipkGray8 : ipkRGB24);
    cache_ = std::make_unique<TRowCache>(bitmap_.get(), CacheSlots);
  }
}

Byte* TScratchPlane::RowForWrite(Integer Row) {
  if (bitmap_) return static_cast<Byte*>(bitmap_->GetRowPointer(Row));
  return memory_.data() + stride_ * static_cast<size_t>(Row);
}

const Byte* TScratchPlane::RowForRead(Integer Row) {
  if (bitmap_) return cache_->Get(Row);
  return memory_.data() + stride_ * static_cast<size_t>(Row);
}

}  // namespace ieproc
