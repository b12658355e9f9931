// Finding the run of bytes below 0x80 at the front of a byte range: the fast path that lets
// ASCII text through UTF-8 and the 8-bit encodings at memory speed. Reads stay inside the range.
#include <cstdint>
#include <cstring>

#include "text/encoding_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvane {
namespace {

constexpr std::uint64_t high_bits = 0x8080808080808080ull;

std::size_t scalar_ascii_prefix(const unsigned char *s, std::size_t start,
                                std::size_t length) noexcept {
  std::size_t i = start;
  for (; i + 8 <= length; i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, s + i, sizeof word);
    if ((word & high_bits) != 0) break;
  }
  while (i < length && s[i] < 0x80) ++i;
  return i;
}

#if defined(__SSE2__)
// Sixteen bytes a step, four steps a round; movemask gathers the high bits directly.
std::size_t vector_ascii_prefix(const unsigned char *s, std::size_t length) noexcept {
  std::size_t i = 0;
  for (; i + 64 <= length; i += 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 32));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 48));
    const __m128i any = _mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d));
    if (_mm_movemask_epi8(any) != 0) break;
  }
  for (; i + 16 <= length; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
    if (_mm_movemask_epi8(a) != 0) break;
  }
  return i;
}
#else
std::size_t vector_ascii_prefix(const unsigned char * /*s*/, std::size_t /*length*/) noexcept {
  return 0;
}
#endif

}  // namespace

std::size_t ascii_prefix_length(const char *s, std::size_t length) noexcept {
  const auto *bytes = reinterpret_cast<const unsigned char *>(s);
  return scalar_ascii_prefix(bytes, vector_ascii_prefix(bytes, length), length);
}

}  // namespace corvane
