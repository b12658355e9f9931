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

#endif
