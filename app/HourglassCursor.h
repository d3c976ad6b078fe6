// The hourglass cursor for the length of a scope: the default cursor comes
// back at its end, also when an error passes.
#pragma once

#include "platform/Controls.h"
#include "platform/Forms.h"

class THourglassCursor {
 public:
  THourglassCursor() { Screen->SetCursor(crHourGlass); }
  ~THourglassCursor() { Screen->SetCursor(crDefault); }
  THourglassCursor(const THourglassCursor&) = delete;
  THourglassCursor& operator=(const THourglassCursor&) = delete;
};
