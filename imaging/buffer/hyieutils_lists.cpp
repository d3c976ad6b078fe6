// Lists of fixed-size items, the byte buffer, the key set, the null stream
// and the checked stream write.
#include <cstdlib>

#include "imaging/buffer/hyieutils.h"

namespace {
Byte* AllocBytes(size_t n) {
  if (n == 0) return nullptr;
  Byte* p = static_cast<Byte*>(std::malloc(n));
  if (!p) throw EOutOfMemory("Out of memory");
  return p;
}
}  // namespace

// ---------------------------------------------------------------------------
// TIEList

TIEList::TIEList() { TIEList::ClearItems(); }

TIEList::~TIEList() { std::free(data_); }

void TIEList::ClearItems() {
  count_ = 0;
  std::free(data_);
  data_ = nullptr;
  changed_ = false;
}

void TIEList::SetItemCount(Integer N) {
  if (N < 0) N = 0;
  Byte* block = AllocBytes(static_cast<size_t>(N) * itemSize_);
  const Integer keep = count_ < N ? count_ : N;
  if (keep > 0) std::memcpy(block, data_, static_cast<size_t>(keep) * itemSize_);
  std::free(data_);
  data_ = block;
  count_ = N;
  changed_ = true;
}

void TIEList::DeleteItem(Integer Index) {
  if (Index < 0 || Index >= count_) return;
  Byte* block = AllocBytes(static_cast<size_t>(count_ - 1) * itemSize_);
  const size_t size = itemSize_;
  if (Index > 0) std::memcpy(block, data_, Index * size);
  if (Index < count_ - 1) std::memcpy(block + Index * size, data_ + (Index + 1) * size, (count_ - 1 - Index) * size);
  std::free(data_);
  data_ = block;
  --count_;
  changed_ = true;
}

Integer TIEList::AppendItem(const void* Item) {
  SetItemCount(count_ + 1);
  std::memcpy(ItemAddress(count_ - 1), Item, static_cast<size_t>(itemSize_));
  changed_ = true;
  return count_ - 1;
}

void TIEList::CopyItemsFrom(TIEList* List) {
  if (!List || List == this) return;
  Byte* block = AllocBytes(static_cast<size_t>(List->count_) * List->itemSize_);
  if (block) std::memcpy(block, List->data_, static_cast<size_t>(List->count_) * List->itemSize_);
  std::free(data_);
  data_ = block;
  count_ = List->count_;
  itemSize_ = List->itemSize_;
  changed_ = List->changed_;
}

TIEDoubleList::TIEDoubleList() { TIEDoubleList::ClearItems(); }

void TIEDoubleList::ClearItems() {
  TIEList::ClearItems();
  itemSize_ = 8;
  for (double& d : Extra) d = 0;
}

void TIEDoubleList::CopyItemsFrom(TIEList* List) {
  if (!List) return;
  auto* other = dynamic_cast<TIEDoubleList*>(List);
  if (!other) throw EInvalidCast("Invalid class typecast");
  TIEList::CopyItemsFrom(List);
  for (int i = 0; i < 4; ++i) Extra[i] = other->Extra[i];
}

TIEIntegerList::TIEIntegerList() { TIEIntegerList::ClearItems(); }

void TIEIntegerList::ClearItems() {
  TIEList::ClearItems();
  for (Integer& v : Extra) v = 0;
  itemSize_ = 4;
}

void TIEIntegerList::CopyItemsFrom(TIEList* List) {
  if (!List) return;
  auto* other = dynamic_cast<TIEIntegerList*>(List);
  if (!other) throw EInvalidCast("Invalid class typecast");
  TIEList::CopyItemsFrom(List);
  for (int i = 0; i < 4; ++i) Extra[i] = other->Extra[i];
}

TIERecordList::TIERecordList(Integer ItemSize) { itemSize_ = ItemSize; }

// ---------------------------------------------------------------------------
// TIEByteArray

TIEByteArray::TIEByteArray() : capacity_(8192), data_(AllocBytes(8192)) {}

TIEByteArray::~TIEByteArray() { std::free(data_); }

void TIEByteArray::AppendByte(Byte B) {
  const Integer newSize = size_ + 1;
  if (newSize > capacity_) {
    const Integer newCapacity = newSize + growth_;
    Byte* block = AllocBytes(static_cast<size_t>(newCapacity));
    std::memcpy(block, data_, static_cast<size_t>(size_));
    std::free(data_);
    data_ = block;
    capacity_ = newCapacity;
  }
  data_[size_] = B;
  size_ = newSize;
}

// ---------------------------------------------------------------------------
// THash1

THash1::THash1(Integer N) : bits_(N % 32) {
  if (bits_ < 0) bits_ += 32;
  buckets_ = 1u << bits_;
  slots_.assign(buckets_, 0);
  states_.assign(buckets_, 0);
}

THash1::~THash1() {
  for (Cardinal b = 0; b < buckets_; ++b) {
    if (states_[b] != 2) continue;
    Node* n = reinterpret_cast<Node*>(slots_[b]);
    while (n) {
      Node* next = n->Next;
      delete n;
      n = next;
    }
  }
}

bool THash1::InsertKey(Cardinal Key) {
  const Cardinal b = Key & (buckets_ - 1);
  switch (states_[b]) {
    case 0:
      slots_[b] = Key;
      states_[b] = 1;
      break;
    case 1: {
      const Cardinal old = static_cast<Cardinal>(slots_[b]);
      if (old == Key) return false;
      Node* second = new Node{Key, nullptr};
      Node* first = new Node{old, second};
      slots_[b] = reinterpret_cast<uintptr_t>(first);
      states_[b] = 2;
      break;
    }
    default: {
      Node* n = reinterpret_cast<Node*>(slots_[b]);
      while (true) {
        if (n->Key == Key) return false;
        if (!n->Next) break;
        n = n->Next;
      }
      n->Next = new Node{Key, nullptr};
      break;
    }
  }
  ++keyCount_;
  return true;
}

// ---------------------------------------------------------------------------
// TNulStream

Integer TNulStream::Read(void*, Integer Count) {
  position_ += Count;
  if (position_ >= size_) size_ = position_;
  return Count;
}

Integer TNulStream::Write(const void*, Integer Count) {
  position_ += Count;
  if (position_ >= size_) size_ = position_;
  return Count;
}

Int64 TNulStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning:
      position_ = static_cast<Integer>(Offset);
      if (position_ >= size_) size_ = position_;
      break;
    case soCurrent:
      position_ += static_cast<Integer>(Offset);
      if (position_ >= size_) size_ = position_;
      break;
    case soEnd:
      position_ = size_ - static_cast<Integer>(Offset);
      break;
  }
  return position_;
}

void StreamWriteChecked(TStream* Stream, bool& Aborting, const void* Buffer, Integer Count) {
  if (Stream->Write(Buffer, Count) < Count) Aborting = true;
}
