// A critical section object, for code that locks around shared state and
// names the lock as the class library does.
#pragma once

#include "platform/System.h"
#include "platform/Win.h"

class TCriticalSection : public TObject {
 public:
  T_CLASSNAME(TCriticalSection)
  TCriticalSection() { ::InitializeCriticalSection(&cs_); }
  ~TCriticalSection() override { ::DeleteCriticalSection(&cs_); }
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;

  void Enter() { ::EnterCriticalSection(&cs_); }
  void Leave() { ::LeaveCriticalSection(&cs_); }
  void Acquire() { Enter(); }
  void Release() { Leave(); }
  bool TryEnter() { return ::TryEnterCriticalSection(&cs_) != 0; }

 private:
  CRITICAL_SECTION cs_;
};
