// A malloc that counts: the program that includes this header (in one file only) replaces malloc
// and its kin with versions that count the calls made on a thread while that thread watches, and,
// while watch_audio_threads is set, those of SDL's audio threads (named "SDLAudio..."). The C
// library's allocator does the work underneath, so sanitized builds (whose runtimes own malloc)
// get no replacement and COUNTING_ALLOCATOR is 0 there.
#ifndef CORVANE_TESTS_SUPPORT_COUNTING_ALLOCATOR_H
#define CORVANE_TESTS_SUPPORT_COUNTING_ALLOCATOR_H

#include <malloc.h>
#include <sys/prctl.h>

#include <atomic>
#include <cstddef>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define COUNTING_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define COUNTING_ALLOCATOR 0
#else
#define COUNTING_ALLOCATOR 1
#endif
#else
#define COUNTING_ALLOCATOR 1
#endif

namespace counting_allocator {

inline std::atomic<long> counted{0};
inline thread_local bool watch_this_thread = false;
inline std::atomic<bool> watch_audio_threads{false};

inline void count() noexcept {
  if (watch_this_thread) {
    counted.fetch_add(1, std::memory_order_relaxed);
  } else if (watch_audio_threads.load(std::memory_order_relaxed)) {
    char name[16] = {};
    prctl(PR_GET_NAME, name, 0, 0, 0);
    if (std::strncmp(name, "SDLAudio", 8) == 0) counted.fetch_add(1, std::memory_order_relaxed);
  }
}

}  // namespace counting_allocator

#if COUNTING_ALLOCATOR
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void *__libc_memalign(size_t alignment, size_t size);

void *malloc(size_t size) noexcept {
  counting_allocator::count();
  return __libc_malloc(size);
}
void *calloc(size_t count, size_t size) noexcept {
  counting_allocator::count();
  return __libc_calloc(count, size);
}
void *realloc(void *block, size_t size) noexcept {
  counting_allocator::count();
  return __libc_realloc(block, size);
}
void *aligned_alloc(size_t alignment, size_t size) noexcept {
  counting_allocator::count();
  return __libc_memalign(alignment, size);
}
void *memalign(size_t alignment, size_t size) noexcept {
  counting_allocator::count();
  return __libc_memalign(alignment, size);
}
int posix_memalign(void **block, size_t alignment, size_t size) noexcept {
  counting_allocator::count();
  if (alignment % sizeof(void *) != 0 || (alignment & (alignment - 1)) != 0) return 22;  // EINVAL
  *block = __libc_memalign(alignment, size);
  return *block != nullptr || size == 0 ? 0 : 12;  // ENOMEM
}
}  // extern "C"
#endif

#endif  // CORVANE_TESTS_SUPPORT_COUNTING_ALLOCATOR_H
