// A bound on heap allocation for tests of untrusted input. The program's
// global operator new/delete are replaced (tests/support/alloc_limit.cpp);
// they behave as usual until an AllocLimit guard is alive. Under a guard a
// request larger than the single limit, or one that would take the bytes
// allocated since the guard began (less those freed since) past the total
// limit, throws std::bad_alloc and is counted as a refusal.
//
// The guard is process-wide: allocations of every thread count. Guards nest;
// the innermost one applies and the outer one resumes when it ends.
#pragma once

#include <cstddef>
#include <cstdint>

class AllocLimit {
 public:
  explicit AllocLimit(size_t MaxSingleBytes, size_t MaxTotalBytes = SIZE_MAX);
  ~AllocLimit();
  AllocLimit(const AllocLimit&) = delete;
  AllocLimit& operator=(const AllocLimit&) = delete;

  // The largest single request seen, refused ones included.
  size_t LargestRequest() const;
  // The highest net growth of the heap (allocated minus freed) seen.
  size_t PeakTotal() const;
  // How many requests were refused.
  size_t Refusals() const;

  struct State;

 private:
  State* state_;
};
