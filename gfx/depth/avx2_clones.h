// CORVANE_AVX2_CLONES marks a hot loop to be compiled twice, once for AVX2 and once for the base
// instruction set, with the copy chosen when the program is loaded. CORVANE_WIDE_CLONES adds a
// third copy for x86-64-v4 (AVX-512): for loops written over 64-byte vectors whose work is
// arithmetic rather than memory traffic, where 16 lanes per instruction pay.
//
// The choice is made by a resolver that the dynamic loader calls before any constructor runs.
// Under ThreadSanitizer the resolver is instrumented and would call into a runtime that does not
// exist yet, so such builds keep only the base copy.
#ifndef CORVANE_GFX_DEPTH_AVX2_CLONES_H
#define CORVANE_GFX_DEPTH_AVX2_CLONES_H

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define CORVANE_NO_RUN_TIME_CLONES 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define CORVANE_NO_RUN_TIME_CLONES 1
#endif

#if defined(CORVANE_NO_RUN_TIME_CLONES) || !(defined(__x86_64__) || defined(__i386__))
#define CORVANE_AVX2_CLONES
#define CORVANE_WIDE_CLONES
#else
#define CORVANE_AVX2_CLONES [[gnu::target_clones("avx2", "default")]]
#define CORVANE_WIDE_CLONES [[gnu::target_clones("arch=x86-64-v4", "avx2", "default")]]
#endif

#include <cstdint>

namespace corvane::depth {

// A zero the compiler cannot see through. A loop that uses a pixel it has just read more than once
// (to compare it with the mask colour and then to store it, or to take its fields apart) would
// otherwise have the read folded into each instruction that uses it, reading the same memory two
// to five times; or-ing this zero into the value as it is read keeps it in one register. It costs
// one instruction per vector, and pays most where the rows do not start on a cache line, since
// every such read then touches two lines.
[[gnu::always_inline]] inline uint32_t opaque_zero() noexcept {
  uint32_t zero = 0;
  asm("" : "+r"(zero));
  return zero;
}

}  // namespace corvane::depth

#endif
