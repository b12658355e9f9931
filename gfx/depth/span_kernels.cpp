// The vectorisable inner loops of fills, masked copies and palette expansion.
#include "gfx/depth/span_kernels.h"

#include <cstring>

#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {

void fill_span8(unsigned char *dest, uint32_t color, size_t count) noexcept {
  std::memset(dest, static_cast<unsigned char>(color), count);
}

[[gnu::target_clones("avx2", "default")]] void fill_span16(unsigned char *dest, uint32_t color,
                                                           size_t count) noexcept {
  const auto word = static_cast<uint16_t>(color);
  if ((word & 0xFF) == (word >> 8)) {
    std::memset(dest, word & 0xFF, count * 2);
    return;
  }
  for (size_t i = 0; i < count; ++i) std::memcpy(dest + 2 * i, &word, 2);
}

void fill_span24(unsigned char *dest, uint32_t color, size_t count) noexcept {
  const auto b0 = static_cast<unsigned char>(color >> 16);
  const auto b1 = static_cast<unsigned char>(color >> 8);
  const auto b2 = static_cast<unsigned char>(color);
  if (b0 == b1 && b1 == b2) {
    std::memset(dest, b0, count * 3);
    return;
  }
  // Sixteen pixels make 48 bytes, three whole 16-byte blocks.
  unsigned char block[48];
  for (int i = 0; i < 16; ++i) {
    block[3 * i] = b0;
    block[3 * i + 1] = b1;
    block[3 * i + 2] = b2;
  }
  size_t i = 0;
  for (; i + 16 <= count; i += 16) std::memcpy(dest + 3 * i, block, sizeof block);
  std::memcpy(dest + 3 * i, block, 3 * (count - i));
}

[[gnu::target_clones("avx2", "default")]] void fill_span32(unsigned char *dest, uint32_t color,
                                                           size_t count) noexcept {
  const auto b = static_cast<unsigned char>(color);
  if (color == b * 0x01010101u) {
    std::memset(dest, b, count * 4);
    return;
  }
  for (size_t i = 0; i < count; ++i) std::memcpy(dest + 4 * i, &color, 4);
}

[[gnu::target_clones("avx2", "default")]] void masked_span8(unsigned char *dest,
                                                            const unsigned char *source,
                                                            size_t count) noexcept {
  for (size_t i = 0; i < count; ++i) {
    const unsigned char s = source[i];
    dest[i] = (s != 0) ? s : dest[i];
  }
}

[[gnu::target_clones("avx2", "default")]] void masked_span16(unsigned char *dest,
                                                             const unsigned char *source,
                                                             size_t count, uint32_t mask) noexcept {
  const auto m = static_cast<uint16_t>(mask);
  for (size_t i = 0; i < count; ++i) {
    uint16_t s;
    uint16_t d;
    std::memcpy(&s, source + 2 * i, 2);
    std::memcpy(&d, dest + 2 * i, 2);
    d = (s != m) ? s : d;
    std::memcpy(dest + 2 * i, &d, 2);
  }
}

void masked_span24(unsigned char *dest, const unsigned char *source, size_t count) noexcept {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t s = pixel24::load(source + 3 * i);
    if (s != MASK_COLOR_24) pixel24::store(dest + 3 * i, s);
  }
}

[[gnu::target_clones("avx2", "default")]] void masked_span32(unsigned char *dest,
                                                             const unsigned char *source,
                                                             size_t count, uint32_t mask) noexcept {
  for (size_t i = 0; i < count; ++i) {
    uint32_t s;
    uint32_t d;
    std::memcpy(&s, source + 4 * i, 4);
    std::memcpy(&d, dest + 4 * i, 4);
    d = (s != mask) ? s : d;
    std::memcpy(dest + 4 * i, &d, 4);
  }
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
  for (size_t i = 0; i < count; ++i) pixel32::store(dest + 4 * i, table[source[i]]);
}

}  // namespace corvane::depth
