#include "imaging/buffer/zezivori.h"

TIELibraryLock& ImageLibraryLock() {
  // Constructed on first use, so that units initialised earlier can enter it too.
  static TIELibraryLock lock;
  return lock;
}

std::string IEWordTable[IEWordTableLanguages][IEWordTableWords];

namespace {
// Creates the lock at start-up, before any thread of the library runs.
[[maybe_unused]] const bool lockCreated = (ImageLibraryLock(), true);
}  // namespace
