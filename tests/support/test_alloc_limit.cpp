// The allocation guard that the tests of untrusted input run under.
#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/alloc_limit.h"

namespace {

// Keeps the compiler from folding a new/delete pair away.
std::atomic<void*> g_sink{nullptr};

void* Take(size_t n) {
  void* p = ::operator new(n);
  g_sink.store(p);
  return p;
}

bool TryTake(size_t n) {
  try {
    ::operator delete(Take(n));
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

TEST(AllocLimitGuard, RequestsAgainstTheLimits) {
  // Each step allocates Bytes (kept until the case ends) or, with Bytes == 0,
  // frees the block kept by step FreeStep.
  struct Step {
    size_t bytes;
    bool granted;
    int freeStep = -1;
  };
  struct Case {
    const char* name;
    size_t single, total;
    std::vector<Step> steps;
    size_t refusals;
  };
  const Case cases[] = {
      {"at and beyond the single limit", 1000, SIZE_MAX, {{1000, true}, {1001, false}, {10, true}}, 1},
      {"a huge request", 1 << 20, SIZE_MAX, {{SIZE_MAX / 2, false}, {SIZE_MAX, false}}, 2},
      {"the total fills up", 5000, 10000, {{3000, true}, {3000, true}, {3000, true}, {3000, false}}, 1},
      {"freeing gives the total back", 5000, 10000,
       {{3000, true}, {3000, true}, {3000, true}, {3000, false}, {0, true, 1}, {3000, true}}, 1},
      {"a single request beyond the total", SIZE_MAX, 4000, {{4001, false}, {1000, true}}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<void*> kept(c.steps.size(), nullptr);
    size_t refusals = 0, largest = 0;
    {
      AllocLimit guard(c.single, c.total);
      for (size_t i = 0; i < c.steps.size(); ++i) {
        const Step& s = c.steps[i];
        if (s.bytes == 0) {
          ::operator delete(kept[s.freeStep]);
          kept[s.freeStep] = nullptr;
          continue;
        }
        largest = std::max(largest, s.bytes);
        try {
          kept[i] = Take(s.bytes);
          EXPECT_TRUE(s.granted) << "step " << i;
        } catch (const std::bad_alloc&) {
          EXPECT_FALSE(s.granted) << "step " << i;
        }
      }
      refusals = guard.Refusals();
      EXPECT_EQ(guard.LargestRequest(), largest);
    }
    EXPECT_EQ(refusals, c.refusals);
    for (void* p : kept) ::operator delete(p);
  }
}

TEST(AllocLimitGuard, PeakIsTheHighestNetGrowth) {
  AllocLimit guard(SIZE_MAX);
  void* a = Take(30000);
  void* b = Take(20000);
  ::operator delete(a);
  ::operator delete(b);
  ::operator delete(Take(10000));
  EXPECT_GE(guard.PeakTotal(), 50000u);
  EXPECT_LT(guard.PeakTotal(), 52000u);
  EXPECT_EQ(guard.LargestRequest(), 30000u);
  EXPECT_EQ(guard.Refusals(), 0u);
}

TEST(AllocLimitGuard, ScopeNestingAndThreads) {
  EXPECT_TRUE(TryTake(64 << 20)) << "no guard, no limit";
  {
    AllocLimit outer(100000);
    {
      AllocLimit inner(1000);
      EXPECT_FALSE(TryTake(5000));
      EXPECT_EQ(inner.Refusals(), 1u);
    }
    EXPECT_TRUE(TryTake(5000)) << "the outer limit is back";
    EXPECT_FALSE(TryTake(200000));
    EXPECT_EQ(outer.Refusals(), 1u);

    // Containers see the refusal as std::bad_alloc; another thread is bound too.
    std::vector<char> v;
    EXPECT_THROW(v.reserve(200000), std::bad_alloc);
    bool threadRefused = false;
    std::thread([&] { threadRefused = !TryTake(200000); }).join();
    EXPECT_TRUE(threadRefused);
    EXPECT_EQ(outer.Refusals(), 3u);
  }
  EXPECT_TRUE(TryTake(64 << 20)) << "the guard is gone";
}

}  // namespace
