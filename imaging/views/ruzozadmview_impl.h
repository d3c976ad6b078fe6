// What the thumbnail view's sources share and nobody else needs: the image
// record, a scoped hold of the library lock and the starter thread.
#pragma once

#include <memory>
#include <string>

#include "imaging/views/ruzozadmview.h"
#include "platform/Classes.h"

struct TRuzozAdMView::Entry {
  TIEVirtualImage* image = nullptr;    // in the image cache, nil until stored
  TIEVirtualImage* display = nullptr;  // scaled to the cell, in the display cache
  Integer cellX = 0, cellY = 0;
  Integer row = 0, col = 0;
  TColor background = clBtnFace;
  std::string fileName;
  Integer imageID = -1;
  Integer delay = 0;
  std::unique_ptr<TIEMText> texts[3];
};

class TRuzozAdMView::LibraryLockGuard {
 public:
  LibraryLockGuard() { ImageLibraryLock().Enter(); }
  ~LibraryLockGuard() { ImageLibraryLock().Leave(); }
  LibraryLockGuard(const LibraryLockGuard&) = delete;
  LibraryLockGuard& operator=(const LibraryLockGuard&) = delete;
};

// Hands queued entries to new loaders while the pool has room, then waits
// until something adds work, a loader ends or the view stops it.
class TIEStarter : public TThread {
 public:
  T_CLASSNAME(TIEStarter)
  explicit TIEStarter(TRuzozAdMView* View) : TThread(true), view_(View) {}
  TRuzozAdMView* View() const { return view_; }

 protected:
  void Execute() override;

 private:
  TRuzozAdMView* view_;
};
