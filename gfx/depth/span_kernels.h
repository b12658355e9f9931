// The inner loops of the per-depth routines over one run of pixels: fills, masked copies and
// palette expansion. They are plain loops that the compiler vectorises; each computes exactly
// what the per-pixel rule says.
#ifndef CORVANE_GFX_DEPTH_SPAN_KERNELS_H
#define CORVANE_GFX_DEPTH_SPAN_KERNELS_H

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace corvane::depth {

// A 32-byte vector of one repeated 4-byte word: one store with AVX2, two with SSE2.
using fill_block = uint32_t __attribute__((vector_size(32)));

// Stores value at dest and again ending at dest + bytes (sizeof value <= bytes <= 2 sizeof value):
// two overlapping stores cover any length in that range without a loop.
template <class Value>
inline void store_twice(unsigned char *dest, size_t bytes, const Value &value) noexcept {
  std::memcpy(dest, &value, sizeof value);
  std::memcpy(dest + bytes - sizeof value, &value, sizeof value);
}

// Stores the pattern of a 4-byte word over bytes bytes, the word's period (1, 2 or 4 bytes: a
// pixel) dividing both 4 and bytes. Inline, so that a caller compiled for an instruction set (one
// of its clones) fills short rows with no further call.
//
// Up to 64 bytes: two overlapping stores of the largest size that fits, no loop. Longer: one
// 32-byte store at each end, and between them 32-byte stores from the first 32-byte boundary on,
// so that none spans two cache lines, four to a loop turn. A store that starts a whole number of
// periods after dest takes the word as it is; the aligned ones take it rotated by their offset.
inline void fill_words(unsigned char *dest, size_t bytes, uint32_t word) noexcept {
  const fill_block ends = {word, word, word, word, word, word, word, word};
  if (bytes <= 64) {
    // The shorter stores take the first bytes of the block.
    if (bytes >= 32) {
      store_twice(dest, bytes, ends);
    } else if (bytes >= 16) {
      std::memcpy(dest, &ends, 16);
      std::memcpy(dest + bytes - 16, &ends, 16);
    } else if (bytes >= 8) {
      store_twice(dest, bytes, uint64_t{word} | (uint64_t{word} << 32));
    } else if (bytes >= 4) {
      store_twice(dest, bytes, word);
    } else if (bytes >= 2) {
      store_twice(dest, bytes, static_cast<uint16_t>(word));
    } else if (bytes == 1) {
      *dest = static_cast<unsigned char>(word);
    }
    return;
  }
  unsigned char *const end = dest + bytes;
  std::memcpy(dest, &ends, sizeof ends);
  std::memcpy(end - sizeof ends, &ends, sizeof ends);
  const size_t head = (sizeof ends - (reinterpret_cast<uintptr_t>(dest) & 31u)) & 31u;
  // From dest + head on, the pattern starts head bytes into the word.
  const int turn = static_cast<int>(8 * (head & 3u));
  const uint32_t w = std::endian::native == std::endian::little ? std::rotr(word, turn)
                                                                : std::rotl(word, turn);
  const fill_block middle = {w, w, w, w, w, w, w, w};
  unsigned char *p = dest + head;
  // The blocks from the first boundary up to the last 32 bytes, which are stored already.
  unsigned char *const last = end - sizeof middle;
  for (; p + 4 * sizeof middle <= last; p += 4 * sizeof middle) {
    std::memcpy(p, &middle, sizeof middle);
    std::memcpy(p + 32, &middle, sizeof middle);
    std::memcpy(p + 64, &middle, sizeof middle);
    std::memcpy(p + 96, &middle, sizeof middle);
  }
  for (; p < last; p += sizeof middle) std::memcpy(p, &middle, sizeof middle);
}

// True where the processor stores 64 bytes in one instruction (AVX-512), decided once when the
// library is loaded. Rows held in the second-level cache are filled at the rate of store
// instructions, so the fills of longer rows take fill_words_wide there.
extern const bool wide_fill_stores;

// fill_words in 64-byte stores, each from a 64-byte boundary on but the two at the ends. Only
// where wide_fill_stores is true (elsewhere it is fill_words).
void fill_words_wide(unsigned char *dest, size_t bytes, uint32_t word) noexcept;

// fill_words inline for short rows, fill_words_wide out of line for longer ones where it pays.
inline void fill_row_words(unsigned char *dest, size_t bytes, uint32_t word) noexcept {
  if (bytes > 128 && wide_fill_stores) {
    fill_words_wide(dest, bytes, word);
  } else {
    fill_words(dest, bytes, word);
  }
}

// Stores count pixels of one value (8 bits use memset).
void fill_span16(unsigned char *dest, uint32_t color, size_t count) noexcept;
void fill_span24(unsigned char *dest, uint32_t color, size_t count) noexcept;
void fill_span32(unsigned char *dest, uint32_t color, size_t count) noexcept;

// Copies the source pixels that differ from mask; the others keep the destination's value.
void masked_span8(unsigned char *dest, const unsigned char *source, size_t count) noexcept;
void masked_span16(unsigned char *dest, const unsigned char *source, size_t count,
                   uint32_t mask) noexcept;
void masked_span24(unsigned char *dest, const unsigned char *source, size_t count) noexcept;
void masked_span32(unsigned char *dest, const unsigned char *source, size_t count,
                   uint32_t mask) noexcept;

// The same with the source read backwards, for sprites flipped across: source_last is the pixel
// that lands on dest, and the source pixels before it land on the pixels after dest.
void masked_span_reversed8(unsigned char *dest, const unsigned char *source_last,
                           size_t count) noexcept;
void masked_span_reversed16(unsigned char *dest, const unsigned char *source_last, size_t count,
                            uint32_t mask) noexcept;
void masked_span_reversed24(unsigned char *dest, const unsigned char *source_last,
                            size_t count) noexcept;
void masked_span_reversed32(unsigned char *dest, const unsigned char *source_last, size_t count,
                            uint32_t mask) noexcept;

// Replaces each 8-bit source pixel by its table entry, stored at 16, 24 or 32 bits.
void expand_span16(unsigned char *dest, const unsigned char *source, size_t count,
                   const uint32_t *table) noexcept;
void expand_span24(unsigned char *dest, const unsigned char *source, size_t count,
                   const uint32_t *table) noexcept;
void expand_span32(unsigned char *dest, const unsigned char *source, size_t count,
                   const uint32_t *table) noexcept;

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_SPAN_KERNELS_H
