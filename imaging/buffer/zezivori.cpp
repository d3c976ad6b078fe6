#include "imaging/buffer/zezivori.h"

TIELibraryLock& ImageLibraryLock() {
  // Constructed on first use, so that units initialised earlier can enter it too.
  static TIELibraryLock lock;
  return lock;
}

std::string IEWordTable[IEWordTableLanguages][IEWordTableWords];

namespace {
// The user-interface words, filled at start-up right after the table is
// constructed (in the same unit, so in this order whatever the link order).
[[maybe_unused]] const bool wordTableFilled = (FillWordTable(), true);
}  // namespace

namespace {
// Creates the lock at start-up, before any thread of the library runs.
[[maybe_unused]] const bool lockCreated = (ImageLibraryLock(), true);
}  // namespace
