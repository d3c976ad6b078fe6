#include "imaging/formats/iemarkers.h"

#include <cstring>
#include <iterator>

Integer TIEMarkerList::IndexOfType(Byte Type) const {
  for (Integer i = 0; i < Count(); ++i)
    if (types_[i] == Type) return i;
  return -1;
}

static std::vector<Byte> CopyBytes(const void* Data, Integer Length) {
  const size_t n = static_cast<size_t>(static_cast<Cardinal>(Length) & 0xFFFFu);
  std::vector<Byte> v(n);
  if (n != 0 && Data != nullptr) std::memcpy(v.data(), Data, n);
  return v;
}

void TIEMarkerList::AddMarker(Byte Type, const void* Data, Integer Length) {
  data_.push_back(CopyBytes(Data, Length));
  types_.push_back(Type);
}

void TIEMarkerList::ReplaceMarker(Integer Index, Byte Type, const void* Data, Integer Length) {
  if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  data_[Index] = CopyBytes(Data, Length);
  types_[Index] = Type;
}

void TIEMarkerList::ClearMarkers() {
  data_.clear();
  types_.clear();
}

void TIEMarkerList::AssignFrom(const TIEMarkerList* List) {
  if (List == nullptr || List == this) return;
  data_ = List->data_;
  types_ = List->types_;
}

Integer TIEIPTCInfoList::AddDataset(Integer Record, Integer Dataset, const void* Data, Integer Length) {
  Item it{Record, Dataset, {}};
  if (Length > 0) {
    it.Data.resize(static_cast<size_t>(Length));
    if (Data != nullptr) std::memcpy(it.Data.data(), Data, static_cast<size_t>(Length));
  }
  items_.push_back(std::move(it));
  userChanged_ = true;
  return Count() - 1;
}

void TIEIPTCInfoList::ClearDatasets() {
  items_.clear();
  userChanged_ = true;
}

void TIEIPTCInfoList::AssignFrom(const TIEIPTCInfoList* List) {
  if (List == nullptr || List == this) return;
  items_ = List->items_;
  userChanged_ = true;
}

void TIEIPTCInfoList::ParseDatasets(const void* Data, Integer Length) {
  ClearDatasets();
  const Byte* p = static_cast<const Byte*>(Data);
  const int64_t len = (p == nullptr || Length < 0) ? 0 : Length;
  int64_t i = 0;
  while (i < len && p[i] != 0x1C) ++i;
  while (i < len && p[i] == 0x1C) {
    if (i + 5 >= len) break;
    const Integer record = p[i + 1];
    const Integer dataset = p[i + 2];
    int64_t start, size;
    if (p[i + 3] & 0x80) {
      // Extended length: four bytes at i+5..i+8, which must be there.
      if (i + 9 > len) break;
      const int32_t v = static_cast<int32_t>((Cardinal(p[i + 5]) << 24) | (Cardinal(p[i + 6]) << 16) |
                                             (Cardinal(p[i + 7]) << 8) | Cardinal(p[i + 8]));
      start = i + 9;
      size = v < 0 ? -static_cast<int64_t>(v) : v;
    } else {
      start = i + 5;
      size = (Integer(p[i + 3]) << 8) | p[i + 4];
    }
    const int64_t next = start + size;
    if (next > len) break;
    AddDataset(record, dataset, p + start, static_cast<Integer>(size));
    i = next;
  }
  userChanged_ = false;
}

std::vector<Byte> TIEIPTCInfoList::WriteDatasets(bool PhotoshopWrap) const {
  // "Photoshop 3.0" with its 0 byte, "8BIM", resource 0x0404, an empty name, the size (filled below).
  static const Byte wrapHead[26] = {'P', 'h', 'o', 't', 'o', 's', 'h', 'o', 'p', ' ', '3', '.', '0', 0,
                                    '8', 'B', 'I', 'M', 0x04, 0x04, 0x00, 0x00, 0, 0, 0, 0};
  static const Byte version[7] = {0x1C, 0x02, 0x00, 0x00, 0x02, 0x00, 0x02};
  std::vector<Byte> out;
  if (PhotoshopWrap)
    out.assign(std::begin(wrapHead), std::end(wrapHead));
  else
    out.assign(std::begin(version), std::end(version));
  Cardinal total = 0;
  for (const Item& it : items_) {
    if (it.Record == 2 && it.Dataset == 0) continue;
    const Cardinal n = static_cast<Cardinal>(it.Data.size());
    out.push_back(0x1C);
    out.push_back(static_cast<Byte>(it.Record));
    out.push_back(static_cast<Byte>(it.Dataset));
    if (n < 32768) {
      out.push_back(static_cast<Byte>(n >> 8));
      out.push_back(static_cast<Byte>(n));
      total += n + 5;
    } else {
      const Byte ext[] = {0x80, 0x04, Byte(n >> 24), Byte(n >> 16), Byte(n >> 8), Byte(n)};
      out.insert(out.end(), ext, ext + sizeof(ext));
      total += n + 9;
    }
    out.insert(out.end(), it.Data.begin(), it.Data.end());
  }
  if (out.size() & 1) out.push_back(0);
  if (PhotoshopWrap) {
    out[22] = Byte(total >> 24);
    out[23] = Byte(total >> 16);
    out[24] = Byte(total >> 8);
    out[25] = Byte(total);
  }
  return out;
}
