// The vectorisable inner loops of fills, masked copies and palette expansion.
#include "gfx/depth/span_kernels.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "gfx/depth/avx2_clones.h"
#include "gfx/depth/pixel_traits.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace corvane::depth {

namespace {

// Stores a block of whole pixels over and over, then as much of it as is left.
template <size_t Block>
inline void fill_repeating(unsigned char *dest, size_t bytes, const unsigned char (&block)[Block]) {
  size_t i = 0;
  for (; i + Block <= bytes; i += Block) std::memcpy(dest + i, block, Block);
  std::memcpy(dest + i, block, bytes - i);
}

}  // namespace

#if defined(__x86_64__)

const bool wide_fill_stores = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") != 0;
}();

[[gnu::target("avx512f")]] void fill_words_wide(unsigned char *dest, size_t bytes,
                                                uint32_t word) noexcept {
  if (bytes <= 128) {
    fill_words(dest, bytes, word);
    return;
  }
  const __m512i ends = _mm512_set1_epi32(static_cast<int>(word));
  unsigned char *const end = dest + bytes;
  _mm512_storeu_si512(dest, ends);
  _mm512_storeu_si512(end - 64, ends);
  const size_t head = (64 - (reinterpret_cast<uintptr_t>(dest) & 63u)) & 63u;
  // From dest + head on, the pattern starts head bytes into the word (x86 is little-endian).
  const __m512i middle =
      _mm512_set1_epi32(static_cast<int>(std::rotr(word, static_cast<int>(8 * (head & 3u)))));
  unsigned char *p = dest + head;
  unsigned char *const last = end - 64;
  for (; p + 256 <= last; p += 256) {
    _mm512_storeu_si512(p, middle);
    _mm512_storeu_si512(p + 64, middle);
    _mm512_storeu_si512(p + 128, middle);
    _mm512_storeu_si512(p + 192, middle);
  }
  for (; p < last; p += 64) _mm512_storeu_si512(p, middle);
}

#else

const bool wide_fill_stores = false;

void fill_words_wide(unsigned char *dest, size_t bytes, uint32_t word) noexcept {
  fill_words(dest, bytes, word);
}

#endif

CORVANE_AVX2_CLONES void fill_span16(unsigned char *dest, uint32_t color, size_t count) noexcept {
  const uint32_t word = color & 0xFFFFu;
  fill_row_words(dest, count * 2, word | (word << 16));
}

CORVANE_AVX2_CLONES void fill_span24(unsigned char *dest, uint32_t color, size_t count) noexcept {
  const auto b0 = static_cast<unsigned char>(color >> 16);
  const auto b1 = static_cast<unsigned char>(color >> 8);
  const auto b2 = static_cast<unsigned char>(color);
  if (b0 == b1 && b1 == b2) {
    std::memset(dest, b0, count * 3);
    return;
  }
  // 32 pixels make 96 bytes, three whole 32-byte blocks.
  alignas(32) unsigned char block[96];
  for (size_t i = 0; i < sizeof block; i += 3) {
    block[i] = b0;
    block[i + 1] = b1;
    block[i + 2] = b2;
  }
  fill_repeating(dest, count * 3, block);
}

CORVANE_AVX2_CLONES void fill_span32(unsigned char *dest, uint32_t color, size_t count) noexcept {
  fill_row_words(dest, count * 4, color);
}

namespace {

// Copies the source units that differ from mask over the destination's, the others left as they
// are; a plain loop the compiler vectorises. Step is 1, or -1 for a source read backwards (with a
// lane reversal) from the unit that lands on dest.
template <class Unit, int Step>
[[gnu::always_inline]] inline void masked_units(unsigned char *dest, const unsigned char *source,
                                                size_t count, Unit mask) noexcept {
  const auto zero = static_cast<Unit>(opaque_zero());
  for (size_t i = 0; i < count; ++i) {
    Unit s;
    Unit d;
    const size_t at = sizeof(Unit) * i;
    std::memcpy(&s, Step > 0 ? source + at : source - at, sizeof s);
    s = static_cast<Unit>(s | zero);
    std::memcpy(&d, dest + sizeof(Unit) * i, sizeof d);
    d = (s != mask) ? s : d;
    std::memcpy(dest + sizeof(Unit) * i, &d, sizeof d);
  }
}

// 24-bit pixels one by one, stored only where they differ from the mask colour.
template <int Step>
inline void masked_pixels24(unsigned char *dest, const unsigned char *source,
                            size_t count) noexcept {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t s = pixel24::load(Step > 0 ? source + 3 * i : source - 3 * i);
    if (s != MASK_COLOR_24) pixel24::store(dest + 3 * i, s);
  }
}

}  // namespace

CORVANE_AVX2_CLONES void masked_span8(unsigned char *dest, const unsigned char *source,
                                      size_t count) noexcept {
  masked_units<uint8_t, 1>(dest, source, count, 0);
}

CORVANE_AVX2_CLONES void masked_span16(unsigned char *dest, const unsigned char *source,
                                       size_t count, uint32_t mask) noexcept {
  masked_units<uint16_t, 1>(dest, source, count, static_cast<uint16_t>(mask));
}

void masked_span24(unsigned char *dest, const unsigned char *source, size_t count) noexcept {
  masked_pixels24<1>(dest, source, count);
}

CORVANE_AVX2_CLONES void masked_span32(unsigned char *dest, const unsigned char *source,
                                       size_t count, uint32_t mask) noexcept {
  masked_units<uint32_t, 1>(dest, source, count, mask);
}

CORVANE_AVX2_CLONES void masked_span_reversed8(unsigned char *dest,
                                               const unsigned char *source_last,
                                               size_t count) noexcept {
  masked_units<uint8_t, -1>(dest, source_last, count, 0);
}

CORVANE_AVX2_CLONES void masked_span_reversed16(unsigned char *dest,
                                                const unsigned char *source_last, size_t count,
                                                uint32_t mask) noexcept {
  masked_units<uint16_t, -1>(dest, source_last, count, static_cast<uint16_t>(mask));
}

void masked_span_reversed24(unsigned char *dest, const unsigned char *source_last,
                            size_t count) noexcept {
  masked_pixels24<-1>(dest, source_last, count);
}

CORVANE_AVX2_CLONES void masked_span_reversed32(unsigned char *dest,
                                                const unsigned char *source_last, size_t count,
                                                uint32_t mask) noexcept {
  masked_units<uint32_t, -1>(dest, source_last, count, mask);
}

void expand_span16(unsigned char *dest, const unsigned char *source, size_t count,
                   const uint32_t *table) noexcept {
  for (size_t i = 0; i < count; ++i) pixel_word16::store(dest + 2 * i, table[source[i]]);
}

void expand_span24(unsigned char *dest, const unsigned char *source, size_t count,
                   const uint32_t *table) noexcept {
  for (size_t i = 0; i < count; ++i) pixel24::store(dest + 3 * i, table[source[i]]);
}

void expand_span32(unsigned char *dest, const unsigned char *source, size_t count,
                   const uint32_t *table) noexcept {
  // Eight indices per 64-bit load, two looked-up pixels per 64-bit store.
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t indices;
    std::memcpy(&indices, source + i, 8);
    for (int k = 0; k < 4; ++k) {
      const uint64_t first = table[(indices >> (16 * k)) & 255];
      const uint64_t second = table[(indices >> (16 * k + 8)) & 255];
      const uint64_t pair = (std::endian::native == std::endian::little) ? first | (second << 32)
                                                                         : (first << 32) | second;
      std::memcpy(dest + 4 * i + 8 * static_cast<size_t>(k), &pair, 8);
    }
  }
  for (; i < count; ++i) pixel32::store(dest + 4 * i, table[source[i]]);
}
}  // namespace corvane::depth
