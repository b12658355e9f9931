// CORVANE_AVX2_CLONES marks a hot loop to be compiled twice, once for AVX2 and once for the base
// instruction set, with the copy chosen when the program is loaded. CORVANE_WIDE_CLONES adds a
// third copy for x86-64-v4 (AVX-512): for loops written over 64-byte vectors whose work is
// arithmetic rather than memory traffic, where 16 lanes per instruction pay.
//
// The choice is made by a resolver that the dynamic loader calls before any constructor runs.
// Under ThreadSanitizer the resolver is instrumented and would call into a runtime that does not
// exist yet, so such builds keep only the base copy (as they do of the kernels of run_widest
// below, although those choose at their first call).
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
#define CORVANE_RUN_TIME_CLONES 1
#define CORVANE_AVX2_CLONES [[gnu::target_clones("avx2", "default")]]
#define CORVANE_WIDE_CLONES [[gnu::target_clones("arch=x86-64-v4", "avx2", "default")]]
#endif

#include <algorithm>
#include <atomic>
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

// Kernels that want different code per instruction set, not only a different compilation: such a
// kernel is a class with a template `run<RegisterBytes>`, the width of the widest vector register
// its copy may use (64 for x86-64-v4, 32 for AVX2, 16 for the base set). run_widest calls the copy
// for the processor, found once; builds without run-time clones have only the base copy.
#if !defined(CORVANE_RUN_TIME_CLONES)
inline int processor_register_bytes() noexcept { return 16; }
#else
inline int processor_register_bytes() noexcept {
  static const int bytes = [] {
    __builtin_cpu_init();
#if defined(__clang__)
    // Clang names the features one by one: those of x86-64-v4 beyond AVX2 that code may use.
    const bool wide = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                      __builtin_cpu_supports("avx512cd") && __builtin_cpu_supports("avx512dq") &&
                      __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("bmi2") &&
                      __builtin_cpu_supports("fma");
#else
    const bool wide = __builtin_cpu_supports("x86-64-v4");
#endif
    if (wide) return 64;
    return __builtin_cpu_supports("avx2") ? 32 : 16;
  }();
  return bytes;
}
#endif

// A narrower limit than the processor's, so that the tests can check each copy it can run.
inline std::atomic<int> register_bytes_limit{64};

inline int widest_register_bytes() noexcept {
  return std::min(processor_register_bytes(), register_bytes_limit.load(std::memory_order_relaxed));
}

#if !defined(CORVANE_RUN_TIME_CLONES)
template <class Kernel, class... Args>
[[gnu::always_inline]] inline void run_widest(Args &&...args) noexcept {
  Kernel::template run<16>(static_cast<Args &&>(args)...);
}
#else
template <class Kernel, class... Args>
[[gnu::noinline, gnu::target("arch=x86-64-v4")]] void run_with_wide_registers(
    Args &&...args) noexcept {
  Kernel::template run<64>(static_cast<Args &&>(args)...);
}
template <class Kernel, class... Args>
[[gnu::noinline, gnu::target("avx2")]] void run_with_avx2_registers(Args &&...args) noexcept {
  Kernel::template run<32>(static_cast<Args &&>(args)...);
}
template <class Kernel, class... Args>
[[gnu::noinline]] void run_with_base_registers(Args &&...args) noexcept {
  Kernel::template run<16>(static_cast<Args &&>(args)...);
}

template <class Kernel, class... Args>
[[gnu::always_inline]] inline void run_widest(Args &&...args) noexcept {
  switch (widest_register_bytes()) {
    case 64: run_with_wide_registers<Kernel>(static_cast<Args &&>(args)...); return;
    case 32: run_with_avx2_registers<Kernel>(static_cast<Args &&>(args)...); return;
    default: run_with_base_registers<Kernel>(static_cast<Args &&>(args)...); return;
  }
}
#endif

}  // namespace corvane::depth

#endif
