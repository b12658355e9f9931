// The library's pseudo-random generator, a 32-bit linear congruential generator.
#include <atomic>
#include <cstdint>

#include "corvane/system.h"

namespace {

std::atomic<uint32_t> random_seed{0};

}  // namespace

extern "C" {

int corvane_random(void) noexcept {
  uint32_t seed = random_seed.load(std::memory_order_relaxed);
  uint32_t next = 0;
  do {
    next = seed * 1103515245u + 1103527590u;
  } while (!random_seed.compare_exchange_weak(seed, next, std::memory_order_relaxed));
  return static_cast<int>(next >> 16);
}

void corvane_random_seed(unsigned int seed) noexcept {
  random_seed.store(seed, std::memory_order_relaxed);
}

}  // extern "C"
