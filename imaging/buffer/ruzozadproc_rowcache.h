// Internal helpers of the processing routines: row access that honours the
// mapped-file rule (a row address of a buffer held in a mapped file is valid
// only until the next request on that buffer) and scratch planes.
#pragma once

#include <vector>

#include "imaging/buffer/hyieutils.h"

namespace ieproc {

// Rows of a buffer kept readable together: stable buffers hand out their own
// row addresses; a mapped buffer's rows are copied into a few slots.
class TRowCache {
 public:
  TRowCache(TIEBitmap* Bitmap, Integer Slots);
  const Byte* Get(Integer Row);

 private:
  struct Slot {
    Integer Row = -1;
    uint64_t Used = 0;
    std::vector<Byte> Data;
  };
  TIEBitmap* bitmap_;
  bool direct_;
  size_t length_;
  uint64_t clock_ = 0;
  std::vector<Slot> slots_;
};

// True when row addresses of the buffer stay valid across requests.
bool StableRows(TIEBitmap* Bitmap);

// A Width x Height plane of Channels bytes per pixel: in memory when small,
// else an image buffer that may live in a mapped file.
class TScratchPlane {
 public:
  TScratchPlane(Integer Width, Integer Height, Integer Channels, Integer CacheSlots);
  Byte* RowForWrite(Integer Row);
  const Byte* RowForRead(Integer Row);
  Integer Width() const { return width_; }
  Integer Height() const { return height_; }

 private:
  Integer width_, height_, channels_;
  size_t stride_;
  std::vector<Byte> memory_;
  std::unique_ptr<TIEBitmap> bitmap_;
  std::unique_ptr<TRowCache> cache_;
};

}  // namespace ieproc
