// The vectorisable inner loops of fills, masked copies and palette expansion.
#include "gfx/depth/span_kernels.h"

#include <cstring>

#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {

namespace {

// Stores a block of whole pixels over and over, then as much of it as is left. A block of
// several vector widths gives several stores per loop turn.
template <size_t Block>
inline void fill_repeating(unsigned char *dest, size_t bytes, const unsigned char (&block)[Block]) {
  size_t i = 0;
  for (; i + Block <= bytes; i += Block) std::memcpy(dest + i, block, Block);
  std::memcpy(dest + i, block, bytes - i);
}

}  // namespace

[[gnu::target_clones("avx2", "default")]] void fill_span16(unsigned char *dest, uint32_t color,
                                                           size_t count) noexcept {
  const auto word = static_cast<uint16_t>(color);
  if ((word & 0xFF) == (word >> 8)) {
    std::memset(dest, word & 0xFF, count * 2);
    return;
  }
  alignas(32) unsigned char block[128];
  for (size_t i = 0; i < sizeof block; i += 2) std::memcpy(block + i, &word, 2);
  fill_repeating(dest, count * 2, block);
}

[[gnu::target_clones("avx2", "default")]] void fill_span24(unsigned char *dest, uint32_t color,
                                                           size_t count) noexcept {
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

[[gnu::target_clones("avx2", "default")]] void fill_span32(unsigned char *dest, uint32_t color,
                                                           size_t count) noexcept {
  const auto b = static_cast<unsigned char>(color);
  if (color == b * 0x01010101u) {
    std::memset(dest, b, count * 4);
    return;
  }
  alignas(32) unsigned char block[128];
  for (size_t i = 0; i < sizeof block; i += 4) std::memcpy(block + i, &color, 4);
  fill_repeating(dest, count * 4, block);
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
