// Finding (and copying) the run of bytes below 0x80 at the front of a byte range: the fast path
// that lets ASCII text through UTF-8 and the 8-bit encodings at memory speed. Reads and writes
// stay inside the given ranges. x86-64 uses SSE2 always and AVX2 when the processor has it.
#include <cstdint>
#include <cstring>

#include "text/encoding_internal.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CORVANE_TEXT_X86 1
#endif

namespace corvane {
namespace {

constexpr std::uint64_t high_bits = 0x8080808080808080ull;

// Word-wise finish (and the whole job on other processors).
std::size_t scalar_prefix(const unsigned char *s, std::size_t i, std::size_t length) noexcept {
  for (; i + 8 <= length; i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, s + i, sizeof word);
    if ((word & high_bits) != 0) break;
  }
  while (i < length && s[i] < 0x80) ++i;
  return i;
}

std::size_t scalar_copy(unsigned char *dest, const unsigned char *s, std::size_t i,
                        std::size_t length) noexcept {
  for (; i + 8 <= length; i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, s + i, sizeof word);
    if ((word & high_bits) != 0) break;
    std::memcpy(dest + i, &word, sizeof word);
  }
  for (; i < length && s[i] < 0x80; ++i) dest[i] = s[i];
  return i;
}

#if defined(CORVANE_TEXT_X86)

std::size_t sse2_prefix(const unsigned char *s, std::size_t length) noexcept {
  std::size_t i = 0;
  for (; i + 64 <= length; i += 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 32));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 48));
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) != 0) break;
  }
  for (; i + 16 <= length; i += 16) {
    if (_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i))) != 0) break;
  }
  return scalar_prefix(s, i, length);
}

std::size_t sse2_copy(unsigned char *dest, const unsigned char *s, std::size_t length) noexcept {
  std::size_t i = 0;
  for (; i + 16 <= length; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
    if (_mm_movemask_epi8(a) != 0) break;
    _mm_storeu_si128(reinterpret_cast<__m128i *>(dest + i), a);
  }
  return scalar_copy(dest, s, i, length);
}

[[gnu::target("avx2")]] std::size_t avx2_prefix(const unsigned char *s,
                                                std::size_t length) noexcept {
  std::size_t i = 0;
  for (; i + 128 <= length; i += 128) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + i + 32));
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + i + 64));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + i + 96));
    const __m256i any = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
    if (_mm256_movemask_epi8(any) != 0) break;
  }
  for (; i + 32 <= length; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + i));
    if (_mm256_movemask_epi8(a) != 0) break;
  }
  return scalar_prefix(s, i, length);
}

[[gnu::target("avx2")]] std::size_t avx2_copy(unsigned char *dest, const unsigned char *s,
                                              std::size_t length) noexcept {
  std::size_t i = 0;
  for (; i + 64 <= length; i += 64) {
    // Both halves are loaded before either is stored, so a destination just below the source
    // still copies correctly.
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + i + 32));
    if (_mm256_movemask_epi8(_mm256_or_si256(a, b)) != 0) break;
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(dest + i), a);
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(dest + i + 32), b);
  }
  for (; i + 32 <= length; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + i));
    if (_mm256_movemask_epi8(a) != 0) break;
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(dest + i), a);
  }
  return scalar_copy(dest, s, i, length);
}

bool has_avx2() noexcept {
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return available;
}

std::size_t prefix(const unsigned char *s, std::size_t length) noexcept {
  return has_avx2() ? avx2_prefix(s, length) : sse2_prefix(s, length);
}

std::size_t copy(unsigned char *dest, const unsigned char *s, std::size_t length) noexcept {
  return has_avx2() ? avx2_copy(dest, s, length) : sse2_copy(dest, s, length);
}

#else

std::size_t prefix(const unsigned char *s, std::size_t length) noexcept {
  return scalar_prefix(s, 0, length);
}

std::size_t copy(unsigned char *dest, const unsigned char *s, std::size_t length) noexcept {
  return scalar_copy(dest, s, 0, length);
}

#endif

}  // namespace

std::size_t ascii_prefix_length(const char *s, std::size_t length) noexcept {
  return prefix(reinterpret_cast<const unsigned char *>(s), length);
}

std::size_t copy_ascii_prefix(char *dest, const char *s, std::size_t length) noexcept {
  return copy(reinterpret_cast<unsigned char *>(dest), reinterpret_cast<const unsigned char *>(s),
              length);
}

}  // namespace corvane
