// Colour maps: the global map of a document and the local map of a frame.
#include <algorithm>
#include <cstring>

#include "gif/GIFImage.h"

TGIFColorMap::~TGIFColorMap() = default;

void TGIFColorMap::SplitColor(TColor Color, TGIFColor& Entry) {
  const Cardinal c = Cardinal(Color);
  Entry.Red = Byte(c);
  Entry.Green = Byte(c >> 8);
  Entry.Blue = Byte(c >> 16);
}

TColor TGIFColorMap::JoinColor(const TGIFColor& Entry) {
  return TColor(Cardinal(Entry.Red) | (Cardinal(Entry.Green) << 8) | (Cardinal(Entry.Blue) << 16));
}

void TGIFColorMap::Clear() {
  entries_.clear();
  entries_.shrink_to_fit();
  count_ = 0;
  sorted_ = false;
}

void TGIFColorMap::EnsureCapacity(Integer Count) {
  if (Count < Capacity()) return;
  Integer cap = Count <= 16 ? 16 : std::min(256, (Count + 31) / 32 * 32);
  if (cap > Capacity()) entries_.resize(cap, TGIFColor{0, 0, 0});
}

Integer TGIFColorMap::FindColor(TColor Color) const {
  TGIFColor c;
  SplitColor(Color, c);
  auto same = [&](Integer i) {
    const TGIFColor& e = entries_[i];
    return e.Red == c.Red && e.Green == c.Green && e.Blue == c.Blue;
  };
  if (sorted_) {
    for (Integer i = 0; i < count_; ++i)
      if (same(i)) return i;
  } else {
    for (Integer i = count_ - 1; i >= 0; --i)
      if (same(i)) return i;
  }
  return -1;
}

Integer TGIFColorMap::AppendColor(TColor Color) {
  if (count_ >= 256) RaiseGIFError("Color table overflow");
  EnsureCapacity(count_ + 1);
  SplitColor(Color, entries_[count_]);
  const Integer index = count_++;
  sorted_ = false;
  NotifyChanged();
  return index;
}

Integer TGIFColorMap::AddUniqueColor(TColor Color) {
  const Integer i = FindColor(Color);
  return i >= 0 ? i : AppendColor(Color);
}

void TGIFColorMap::RemoveEntry(Integer Index) {
  if (Index < 0 || Index >= count_) RaiseGIFError("Invalid color index");
  std::memmove(&entries_[Index], &entries_[Index] + 1, size_t(count_ - Index - 1) * sizeof(TGIFColor));
  --count_;
  sorted_ = false;
  NotifyChanged();
}

TColor TGIFColorMap::ColorAt(Integer Index) {
  if (Index < 0 || Index >= count_) {
    ReportWarning("Invalid color index");
    if (count_ == 0) RaiseGIFError("Color table is empty");
    Index = 0;
  }
  return JoinColor(entries_[Index]);
}

void TGIFColorMap::ReplaceColor(Integer Index, TColor Color) {
  if (Index < 0 || Index >= count_) RaiseGIFError("Invalid color index");
  SplitColor(Color, entries_[Index]);
  NotifyChanged();
}

void TGIFColorMap::ReadEntries(TStream* Stream, Integer Count) {
  Clear();
  if (Count <= 0) return;
  Count = std::min(Count, 256);
  std::vector<TGIFColor> read(Count);
  ReadExact(Stream, read.data(), Count * 3);
  EnsureCapacity(Count);
  std::copy(read.begin(), read.end(), entries_.begin());
  count_ = Count;
  NotifyChanged();
}

void TGIFColorMap::WriteEntries(TStream* Stream, Integer MinBits) const {
  if (count_ == 0) return;
  const Integer total = 1 << std::max(BitsForColorCount(count_), std::min(MinBits, 8));
  std::vector<TGIFColor> out(total, TGIFColor{0, 0, 0});
  std::copy(entries_.begin(), entries_.begin() + count_, out.begin());
  Stream->WriteBuffer(out.data(), total * 3);
}

void TGIFColorMap::LoadFromPaletteHandle(HPALETTE Palette) {
  Clear();
  PALETTEENTRY pe[256];
  const UINT n = Palette ? ::GetPaletteEntries(Palette, 0, 256, pe) : 0;
  if (n == 0) return;
  EnsureCapacity(Integer(n));
  for (UINT i = 0; i < n; ++i) entries_[i] = TGIFColor{pe[i].peRed, pe[i].peGreen, pe[i].peBlue};
  count_ = Integer(n);
  NotifyChanged();
}

void TGIFColorMap::LoadFromEntries(const TGIFColor* Entries, Integer Count) {
  Clear();
  Count = std::clamp(Count, 0, 256);
  if (Count == 0) return;
  EnsureCapacity(Count);
  std::copy(Entries, Entries + Count, entries_.begin());
  count_ = Count;
  NotifyChanged();
}

void TGIFColorMap::LoadFromRGBQuads(const RGBQUAD* Quads, Integer Count) {
  Clear();
  Count = std::clamp(Count, 0, 256);
  if (Count == 0) return;
  EnsureCapacity(Count);
  for (Integer i = 0; i < Count; ++i) entries_[i] = TGIFColor{Quads[i].rgbRed, Quads[i].rgbGreen, Quads[i].rgbBlue};
  count_ = Count;
  NotifyChanged();
}

void TGIFColorMap::LoadFromDIBColors(HDC DC) {
  Clear();
  RGBQUAD quads[256];
  const UINT n = ::GetDIBColorTable(DC, 0, 256, quads);
  LoadFromRGBQuads(quads, Integer(n));
  NotifyChanged();
}

HPALETTE TGIFColorMap::CreatePaletteHandle() const {
  if (count_ == 0) return nullptr;
  std::vector<Byte> mem(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * 256);
  auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = Word(count_);
  for (Integer i = 0; i < count_; ++i)
    lp->palPalEntry[i] = PALETTEENTRY{entries_[i].Red, entries_[i].Green, entries_[i].Blue, PC_NOCOLLAPSE};
  return CheckGDIHandle(::CreatePalette(lp));
}

void TGIFColorMap::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TGIFColorMap*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  Clear();
  entries_.assign(src->Capacity(), TGIFColor{0, 0, 0});
  std::copy(src->entries_.begin(), src->entries_.begin() + src->count_, entries_.begin());
  count_ = src->count_;
  sorted_ = src->sorted_;
  NotifyChanged();
}

void TGIFColorMap::CountFramePixels(TGIFSubImage* Frame, TGIFUsageTable& Usage) {
  const Byte* p = Frame->Data();
  if (!p) return;
  const Int64 n = Int64(Frame->Width()) * Frame->Height();
  const Int64 size = std::min<Int64>(n, Frame->DataSize());
  for (Int64 i = 0; i < size; ++i) ++Usage[p[i]].Count;
}

void TGIFColorMap::RemapFramePixels(TGIFSubImage* Frame, const TGIFIndexMap& Map) {
  Byte* p = Frame->Data();
  if (p) {
    const Int64 n = std::min<Int64>(Int64(Frame->Width()) * Frame->Height(), Frame->DataSize());
    for (Int64 i = 0; i < n; ++i) p[i] = Map[p[i]];
  }
  if (Frame->Transparent() && Frame->GraphicControl()) {
    auto* gce = Frame->GraphicControl();
    gce->SetTransparentIndex(Map[gce->TransparentIndex()]);
  }
}

bool TGIFColorMap::CompactEntries() {
  if (count_ <= 1) return false;
  sorted_ = true;
  TGIFUsageTable usage;
  CountUsage(usage);
  // Quicksort by falling use count, as the pairs come.
  struct Sorter {
    TGIFUsageTable& u;
    void Sort(Integer low, Integer high) {
      for (;;) {
        Integer i = low, j = high;
        const Integer pivot = u[(low + high) / 2].Count;
        do {
          while (u[i].Count > pivot) ++i;
          while (u[j].Count < pivot) --j;
          if (i <= j) {
            std::swap(u[i], u[j]);
            ++i;
            --j;
          }
        } while (i <= j);
        if (low < j) Sort(low, j);
        if (i < high)
          low = i;
        else
          break;
      }
    }
  };
  Sorter{usage}.Sort(0, count_ - 1);
  bool inOrder = true;
  for (Integer k = 0; k < count_; ++k)
    if (usage[k].Index != k) {
      inOrder = false;
      break;
    }
  if (inOrder) return true;
  TGIFIndexMap map;
  for (Integer i = 0; i < 256; ++i) map[i] = Byte(i);
  for (Integer k = 0; k < count_; ++k) map[usage[k].Index] = Byte(k);
  ApplyIndexMap(map);
  std::vector<TGIFColor> reordered(entries_.begin(), entries_.end());
  for (Integer i = 0; i < count_; ++i) reordered[map[i]] = entries_[i];
  std::copy(reordered.begin(), reordered.begin() + count_, entries_.begin());
  for (Integer k = 0; k < count_; ++k)
    if (usage[k].Count == 0) {
      count_ = k;
      break;
    }
  NotifyChanged();
  return true;
}

// Global ------------------------------------------------------------------

TGIFGlobalColorMap::~TGIFGlobalColorMap() {
  Clear();
  // The document may be half torn down; only notify while it is whole.
  if (header_ && header_->Image() && header_->Image()->Header() == header_) NotifyChanged();
}

void TGIFGlobalColorMap::ReportWarning(const std::string& Message) {
  if (header_ && header_->Image()) header_->Image()->ReportWarning(this, 1, Message);
}

void TGIFGlobalColorMap::CountUsage(TGIFUsageTable& Usage) {
  for (Integer k = 0; k < 256; ++k) Usage[k] = TGIFUsage{0, k};
  TGIFImage* image = header_ ? header_->Image() : nullptr;
  if (!image) return;
  for (Integer i = 0; i < image->Frames()->ItemCount(); ++i) {
    TGIFSubImage* f = image->Frames()->FrameAt(i);
    if (f->EffectiveColorMap() == this) CountFramePixels(f, Usage);
  }
}

void TGIFGlobalColorMap::ApplyIndexMap(const TGIFIndexMap& Map) {
  TGIFImage* image = header_ ? header_->Image() : nullptr;
  if (!image) return;
  for (Integer i = 0; i < image->Frames()->ItemCount(); ++i) {
    TGIFSubImage* f = image->Frames()->FrameAt(i);
    if (f->EffectiveColorMap() == this) RemapFramePixels(f, Map);
  }
}

bool TGIFGlobalColorMap::Compact() {
  TGIFImage* image = header_ ? header_->Image() : nullptr;
  if (!image || image->Frames()->ItemCount() == 0) return false;
  return CompactEntries();
}

void TGIFGlobalColorMap::NotifyChanged() {
  if (header_ && header_->Image()) header_->Image()->SetPaletteHandle(nullptr);
}

// Local -------------------------------------------------------------------

TGIFLocalColorMap::~TGIFLocalColorMap() {
  Clear();
  if (frame_ && frame_->ColorMap() == this) NotifyChanged();
}

void TGIFLocalColorMap::ReportWarning(const std::string& Message) {
  if (frame_ && frame_->Image()) frame_->Image()->ReportWarning(this, 1, Message);
}

void TGIFLocalColorMap::CountUsage(TGIFUsageTable& Usage) {
  for (Integer k = 0; k < 256; ++k) Usage[k] = TGIFUsage{0, k};
  if (frame_) CountFramePixels(frame_, Usage);
}

void TGIFLocalColorMap::ApplyIndexMap(const TGIFIndexMap& Map) {
  if (frame_) RemapFramePixels(frame_, Map);
}

bool TGIFLocalColorMap::Compact() { return CompactEntries(); }

void TGIFLocalColorMap::NotifyChanged() {
  if (frame_) frame_->SetPaletteHandle(nullptr);
}

// The 216-colour palette ---------------------------------------------------

HPALETTE MakeNetscapePalette() {
  std::vector<Byte> mem(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * 216);
  auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 216;
  for (Integer r = 0; r < 6; ++r)
    for (Integer g = 0; g < 6; ++g)
      for (Integer b = 0; b < 6; ++b)
        lp->palPalEntry[r * 36 + g * 6 + b] = PALETTEENTRY{Byte(r * 51), Byte(g * 51), Byte(b * 51), 0};
  return CheckGDIHandle(::CreatePalette(lp));
}
