// The pseudo-random generator of the run-time library.
#include "platform/System.h"

uint32_t RandSeed = 0;

namespace {
uint32_t NextSeed() {
  RandSeed = RandSeed * 0x08088405u + 1u;
  return RandSeed;
}
}  // namespace

Integer Random(Integer Range) {
  uint32_t seed = NextSeed();
  if (Range <= 0) return 0;
  // The high half of seed * Range: uniform in 0 .. Range - 1.
  return static_cast<Integer>((static_cast<uint64_t>(seed) * static_cast<uint64_t>(Range)) >> 32);
}

Extended Random() { return static_cast<Extended>(NextSeed()) / 4294967296.0L; }

void Randomize() {
  LARGE_INTEGER counter;
  if (QueryPerformanceCounter(&counter))
    RandSeed = static_cast<uint32_t>(counter.QuadPart ^ (counter.QuadPart >> 32));
  else
    RandSeed = GetTickCount();
}
