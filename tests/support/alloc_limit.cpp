// Replaced global operator new/delete for AllocLimit (see alloc_limit.h).
#include "tests/support/alloc_limit.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

// The replacements pair malloc with free; GCC cannot see that through inlining.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

struct AllocLimit::State {
  size_t maxSingle;
  size_t maxTotal;
  State* outer;
  std::atomic<size_t> largest{0};
  std::atomic<size_t> refusals{0};
  // Net growth since the guard began; signed, since blocks allocated before
  // the guard may be freed under it.
  std::atomic<long long> current{0};
  std::atomic<long long> peak{0};
};

namespace {

std::atomic<AllocLimit::State*> g_active{nullptr};

void RaiseTo(std::atomic<size_t>& v, size_t n) {
  size_t seen = v.load(std::memory_order_relaxed);
  while (n > seen && !v.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
  }
}

void RaiseTo(std::atomic<long long>& v, long long n) {
  long long seen = v.load(std::memory_order_relaxed);
  while (n > seen && !v.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
  }
}

void* Allocate(size_t n) {
  AllocLimit::State* s = g_active.load(std::memory_order_acquire);
  if (!s) {
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
  }
  RaiseTo(s->largest, n);
  const long long before = s->current.load(std::memory_order_relaxed);
  const bool overTotal = n > s->maxTotal || (before > 0 && static_cast<size_t>(before) > s->maxTotal - n);
  if (n > s->maxSingle || overTotal) {
    s->refusals.fetch_add(1, std::memory_order_relaxed);
    throw std::bad_alloc();
  }
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  // The block's real size, so that freeing it takes back what was counted.
  const long long size = static_cast<long long>(_msize(p));
  RaiseTo(s->peak, s->current.fetch_add(size, std::memory_order_relaxed) + size);
  return p;
}

void Release(void* p) {
  if (!p) return;
  if (AllocLimit::State* s = g_active.load(std::memory_order_acquire)) {
    s->current.fetch_sub(static_cast<long long>(_msize(p)), std::memory_order_relaxed);
  }
  std::free(p);
}

}  // namespace

AllocLimit::AllocLimit(size_t MaxSingleBytes, size_t MaxTotalBytes) : state_(new State) {
  state_->maxSingle = MaxSingleBytes;
  state_->maxTotal = MaxTotalBytes;
  state_->outer = g_active.load();
  g_active.store(state_, std::memory_order_release);
}

AllocLimit::~AllocLimit() {
  g_active.store(state_->outer, std::memory_order_release);
  delete state_;
}

size_t AllocLimit::LargestRequest() const { return state_->largest.load(); }

size_t AllocLimit::PeakTotal() const {
  const long long p = state_->peak.load();
  return p > 0 ? static_cast<size_t>(p) : 0;
}

size_t AllocLimit::Refusals() const { return state_->refusals.load(); }

void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
