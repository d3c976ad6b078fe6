// Picture metadata carried between a reader and a writer: the JPEG markers a
// file brought along (written back on save) and the IPTC datasets with their
// byte-stream reader and writer.
#pragma once

#include <vector>

#include "platform/System.h"

// Marker codes: APP0..APP15 are 0xE0..0xEF, a comment is 0xFE.
class TIEMarkerList : public TObject {
 public:
  T_CLASSNAME(TIEMarkerList)
  TIEMarkerList() = default;
  ~TIEMarkerList() override { ClearMarkers(); }

  Integer Count() const { return static_cast<Integer>(types_.size()); }
  // Bytes of marker i without its code and length fields.
  const Byte* MarkerData(Integer Index) const { return data_[Index].data(); }
  Byte MarkerType(Integer Index) const { return types_[Index]; }
  Integer MarkerLength(Integer Index) const { return static_cast<Integer>(data_[Index].size()); }
  // First index of that type, or -1.
  Integer IndexOfType(Byte Type) const;

  // Appends a copy of Length bytes; a marker holds at most 65,535 bytes, so the
  // length is taken modulo 65,536.
  void AddMarker(Byte Type, const void* Data, Integer Length);
  void ReplaceMarker(Integer Index, Byte Type, const void* Data, Integer Length);
  void ClearMarkers();
  // Nil is ignored; otherwise this list becomes a copy of the other.
  void AssignFrom(const TIEMarkerList* List);

 private:
  std::vector<std::vector<Byte>> data_;
  std::vector<Byte> types_;
};

// IPTC datasets (record, dataset number, data), in file order.
class TIEIPTCInfoList : public TObject {
 public:
  T_CLASSNAME(TIEIPTCInfoList)
  TIEIPTCInfoList() = default;
  ~TIEIPTCInfoList() override = default;

  Integer Count() const { return static_cast<Integer>(items_.size()); }
  Integer RecordNumber(Integer Index) const { return items_[Index].Record; }
  Integer DatasetNumber(Integer Index) const { return items_[Index].Dataset; }
  const Byte* DatasetData(Integer Index) const { return items_[Index].Data.data(); }
  Integer DatasetLength(Integer Index) const { return static_cast<Integer>(items_[Index].Data.size()); }
  // Set by every change made through the list, cleared by ParseDatasets.
  bool UserChanged() const { return userChanged_; }

  Integer AddDataset(Integer Record, Integer Dataset, const void* Data, Integer Length);
  void ClearDatasets();
  void AssignFrom(const TIEIPTCInfoList* List);

  // Replaces the content with the datasets found in the block; stops quietly at
  // the first inconsistency and keeps what came before it.
  void ParseDatasets(const void* Data, Integer Length);
  // The byte block of every dataset (the record-version dataset 2:0 is written
  // only as the fixed 7-byte lead-in without the wrapping), padded to an even
  // size; PhotoshopWrap puts the 26-byte image-resource header in front.
  std::vector<Byte> WriteDatasets(bool PhotoshopWrap) const;

 private:
  struct Item {
    Integer Record;
    Integer Dataset;
    std::vector<Byte> Data;
  };
  std::vector<Item> items_;
  bool userChanged_ = false;
};
