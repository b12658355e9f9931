// The vectorised row loops of translucent and alpha sprites, bitmap and run-length. The 32-bit
// loops are written over 64-byte vectors of 16 pixels (their work is arithmetic, so AVX-512 pays
// where the processor has it); the 15- and 16-bit loops, and those of 32-bit alpha sprites onto
// narrower targets, are plain loops that the compiler vectorises. Each has a copy per instruction
// set, chosen at run time; the helpers that walk the rows are always inlined, so that they are
// compiled inside each copy rather than once for the base set and called. The run-length loops
// come as one call per run and, for sprites landing whole on a bitmap, one call for all the runs.
#include "gfx/depth/sprite_kernels.h"

#include <cstring>

#include "gfx/blenders.h"
#include "gfx/depth/avx2_clones.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {

namespace {

// 16 pixels of 32 bits: one AVX-512 register, two AVX2 ones, four of the base set. The helpers
// take and give them by reference: a vector this wide passed by value would be passed differently
// by each copy of the loops.
using lanes32 = uint32_t __attribute__((vector_size(64)));

// mix24_weighted lane by lane into out; weight holds each lane's weight 0-256.
inline void mix24_lanes(const lanes32 &c, const lanes32 &y, const lanes32 &weight,
                        lanes32 &out) noexcept {
  const lanes32 rb = (y + ((weight * ((c & 0xFF00FFu) - (y & 0xFF00FFu))) >> 8)) & 0xFF00FFu;
  const lanes32 g = ((y & 0xFF00u) + ((weight * ((c & 0xFF00u) - (y & 0xFF00u))) >> 8)) & 0xFF00u;
  out = rb | g;
}

// The alpha blender's weight from a source pixel's alpha byte a: a + 1, or 0 where a is 0.
// TopByte: the alpha byte is the top one, so no mask is needed after the shift.
template <bool TopByte>
inline void alpha_weight_lanes(const lanes32 &s, uint32_t shift, lanes32 &weight) noexcept {
  const lanes32 a = TopByte ? s >> 24 : (s >> shift) & 255u;
  weight = a - reinterpret_cast<lanes32>(a != 0u);  // the comparison gives -1 where true
}

template <bool TopByte>
inline uint32_t alpha_weight(uint32_t s, uint32_t shift) noexcept {
  const uint32_t a = TopByte ? s >> 24 : (s >> shift) & 255u;
  return a != 0 ? a + 1 : 0;
}

// The loops over 32-bit pixels: 16 at a time, the rest one by one with the same arithmetic.
// Weight (source lanes) gives each lane's weight; Masked: source pixels equal to mask leave the
// destination alone. Run-length sprites hold no transparent pixels in their literal runs, so their
// loops blend every pixel.
template <bool Masked, class LaneWeight, class PixelWeight>
inline void blend_span32(unsigned char *dest, const unsigned char *source, size_t count,
                         uint32_t mask, LaneWeight lane_weight, PixelWeight pixel_weight) noexcept {
  constexpr size_t block = sizeof(lanes32) / 4;
  size_t i = 0;
  for (; i + block <= count; i += block) {
    lanes32 s;
    lanes32 d;
    lanes32 weight;
    lanes32 m;
    std::memcpy(&s, source + 4 * i, sizeof s);
    std::memcpy(&d, dest + 4 * i, sizeof d);
    lane_weight(s, weight);
    mix24_lanes(s, d, weight, m);
    if (Masked) m = s == mask ? d : m;
    std::memcpy(dest + 4 * i, &m, sizeof m);
  }
  for (; i < count; ++i) {
    uint32_t s;
    uint32_t d;
    std::memcpy(&s, source + 4 * i, 4);
    std::memcpy(&d, dest + 4 * i, 4);
    const uint32_t m = mix24_weighted(s, d, pixel_weight(s));
    d = (!Masked || s != mask) ? m : d;
    std::memcpy(dest + 4 * i, &d, 4);
  }
}

template <bool Masked>
inline void mix_span32(unsigned char *dest, const unsigned char *source, size_t count,
                       uint32_t weight, uint32_t mask) noexcept {
  const lanes32 weights = lanes32{} + weight;
  blend_span32<Masked>(
      dest, source, count, mask, [&weights](const lanes32 &, lanes32 &w) { w = weights; },
      [weight](uint32_t) { return weight; });
}

template <bool Masked>
inline void alpha_span32(unsigned char *dest, const unsigned char *source, size_t count,
                         uint32_t alpha_shift, uint32_t mask) noexcept {
  const uint32_t shift = alpha_shift & 31u;
  // The usual layout keeps alpha in the top byte: one shift gives the weight.
  if (shift == 24) {
    blend_span32<Masked>(
        dest, source, count, mask,
        [](const lanes32 &s, lanes32 &w) { alpha_weight_lanes<true>(s, 24, w); },
        [](uint32_t s) { return alpha_weight<true>(s, 24); });
  } else {
    blend_span32<Masked>(
        dest, source, count, mask,
        [shift](const lanes32 &s, lanes32 &w) { alpha_weight_lanes<false>(s, shift, w); },
        [shift](uint32_t s) { return alpha_weight<false>(s, shift); });
  }
}

template <bool Masked, uint32_t Spread, uint32_t Low, uint32_t High>
inline void mix_span_packed16(unsigned char *dest, const unsigned char *source, size_t count,
                              uint32_t k, uint32_t mask) noexcept {
  const auto m16 = static_cast<uint16_t>(mask);
  for (size_t i = 0; i < count; ++i) {
    uint16_t s;
    uint16_t d;
    std::memcpy(&s, source + 2 * i, 2);
    std::memcpy(&d, dest + 2 * i, 2);
    const auto m = static_cast<uint16_t>(mix_packed16_weighted<Spread, Low, High>(s, d, k));
    d = (!Masked || s != m16) ? m : d;
    std::memcpy(dest + 2 * i, &d, 2);
  }
}

constexpr uint32_t spread15 = 0x3E07C1Fu, low15 = 0x7C1Fu, high15 = 0x3E0u;
constexpr uint32_t spread16 = 0x7E0F81Fu, low16 = 0xF81Fu, high16 = 0x7E0u;

// A 32-bit source with alpha over a narrower target, pixel by pixel with the alpha hook's
// arithmetic inlined: Target is the target's storage, Repack turns the source colour into the
// target's layout and Mix gives the blended pixel from (colour, target pixel, alpha byte).
template <class Target, class Repack, class Mix>
[[gnu::always_inline]] inline void alpha_span_narrow(unsigned char *dest,
                                                     const unsigned char *source, size_t count,
                                                     uint32_t alpha_shift, uint32_t mask,
                                                     Repack repack, Mix mix) noexcept {
  const uint32_t shift = alpha_shift & 31u;
  for (size_t i = 0; i < count; ++i) {
    uint32_t s;
    std::memcpy(&s, source + 4 * i, 4);
    unsigned char *d = dest + Target::bytes * i;
    const uint32_t y = Target::load(d);
    const uint32_t m = mix(repack(s), y, (s >> shift) & 255u);
    Target::store(d, s != mask ? m : y);
  }
}

// The fixed component orders of the alpha hooks: the source's top component (bits 16-23) lands in
// the target's top field (same) or bottom field (swapped); green stays in the middle.
constexpr uint32_t repack15_same(uint32_t x) noexcept {
  return ((x >> 9) & 0x7C00u) | ((x >> 6) & 0x3E0u) | ((x >> 3) & 0x1Fu);
}
constexpr uint32_t repack15_swapped(uint32_t x) noexcept {
  return ((x >> 19) & 0x1Fu) | ((x >> 6) & 0x3E0u) | ((x << 7) & 0x7C00u);
}
constexpr uint32_t repack16_same(uint32_t x) noexcept {
  return ((x >> 8) & 0xF800u) | ((x >> 5) & 0x7E0u) | ((x >> 3) & 0x1Fu);
}
constexpr uint32_t repack16_swapped(uint32_t x) noexcept {
  return ((x >> 19) & 0x1Fu) | ((x >> 5) & 0x7E0u) | ((x << 8) & 0xF800u);
}
constexpr uint32_t repack24_same(uint32_t x) noexcept { return x; }
constexpr uint32_t repack24_swapped(uint32_t x) noexcept {
  return (x & 0xFF00FF00u) | ((x >> 16) & 0xFFu) | ((x & 0xFFu) << 16);
}

// Runs span (dest, source, count) over every row of a block. One call per sprite rather than one
// per row: the rows of a small sprite are short, and the per-call work of a row loop would
// otherwise cost as much as the blending.
template <class Span>
[[gnu::always_inline]] inline void for_block(const blend_block &block, Span span) noexcept {
  // Copies, so that the stores to the rows cannot be taken to change them.
  const blend_block b = block;
  for (size_t r = 0; r < b.rows; ++r) {
    span(b.dest_lines[r] + b.dest_offset, b.source_lines[r] + b.source_offset, b.count);
  }
}

// The narrow alpha span over every row of a block.
template <class Target, class Repack, class Mix>
[[gnu::always_inline]] inline void alpha_rows_narrow(const blend_block &block, uint32_t alpha_shift,
                                                     uint32_t mask, Repack repack,
                                                     Mix mix) noexcept {
  for_block(block, [alpha_shift, mask, repack, mix](unsigned char *dest,
                                                    const unsigned char *source, size_t count) {
    alpha_span_narrow<Target>(dest, source, count, alpha_shift, mask, repack, mix);
  });
}

}  // namespace

CORVANE_WIDE_CLONES void mix_sprite_rows32(const blend_block &block, uint32_t weight,
                                           uint32_t mask) noexcept {
  for_block(block, [weight, mask](unsigned char *dest, const unsigned char *source, size_t count) {
    mix_span32<true>(dest, source, count, weight, mask);
  });
}

CORVANE_AVX2_CLONES void mix_sprite_rows15(const blend_block &block, uint32_t k,
                                           uint32_t mask) noexcept {
  for_block(block, [k, mask](unsigned char *dest, const unsigned char *source, size_t count) {
    mix_span_packed16<true, spread15, low15, high15>(dest, source, count, k, mask);
  });
}

CORVANE_AVX2_CLONES void mix_sprite_rows16(const blend_block &block, uint32_t k,
                                           uint32_t mask) noexcept {
  for_block(block, [k, mask](unsigned char *dest, const unsigned char *source, size_t count) {
    mix_span_packed16<true, spread16, low16, high16>(dest, source, count, k, mask);
  });
}

CORVANE_WIDE_CLONES void alpha_sprite_rows32(const blend_block &block, uint32_t alpha_shift,
                                             uint32_t mask) noexcept {
  for_block(block,
            [alpha_shift, mask](unsigned char *dest, const unsigned char *source, size_t count) {
              alpha_span32<true>(dest, source, count, alpha_shift, mask);
            });
}

// The alpha sprites onto 15-, 16- and 24-bit targets, in both component orders.
CORVANE_AVX2_CLONES void alpha_sprite_rows15_same(const blend_block &block, uint32_t alpha_shift,
                                                  uint32_t mask) noexcept {
  alpha_rows_narrow<pixel_word16>(
      block, alpha_shift, mask, [](uint32_t x) { return repack15_same(x); },
      [](uint32_t c, uint32_t y, uint32_t a) { return mix15(c, y, a); });
}
CORVANE_AVX2_CLONES void alpha_sprite_rows15_swapped(const blend_block &block, uint32_t alpha_shift,
                                                     uint32_t mask) noexcept {
  alpha_rows_narrow<pixel_word16>(
      block, alpha_shift, mask, [](uint32_t x) { return repack15_swapped(x); },
      [](uint32_t c, uint32_t y, uint32_t a) { return mix15(c, y, a); });
}
CORVANE_AVX2_CLONES void alpha_sprite_rows16_same(const blend_block &block, uint32_t alpha_shift,
                                                  uint32_t mask) noexcept {
  alpha_rows_narrow<pixel_word16>(
      block, alpha_shift, mask, [](uint32_t x) { return repack16_same(x); },
      [](uint32_t c, uint32_t y, uint32_t a) { return mix16(c, y, a); });
}
CORVANE_AVX2_CLONES void alpha_sprite_rows16_swapped(const blend_block &block, uint32_t alpha_shift,
                                                     uint32_t mask) noexcept {
  alpha_rows_narrow<pixel_word16>(
      block, alpha_shift, mask, [](uint32_t x) { return repack16_swapped(x); },
      [](uint32_t c, uint32_t y, uint32_t a) { return mix16(c, y, a); });
}
CORVANE_AVX2_CLONES void alpha_sprite_rows24_same(const blend_block &block, uint32_t alpha_shift,
                                                  uint32_t mask) noexcept {
  alpha_rows_narrow<pixel_bytes24>(
      block, alpha_shift, mask, [](uint32_t x) { return repack24_same(x); },
      [](uint32_t c, uint32_t y, uint32_t a) { return mix24(c, y, a); });
}
CORVANE_AVX2_CLONES void alpha_sprite_rows24_swapped(const blend_block &block, uint32_t alpha_shift,
                                                     uint32_t mask) noexcept {
  alpha_rows_narrow<pixel_bytes24>(
      block, alpha_shift, mask, [](uint32_t x) { return repack24_swapped(x); },
      [](uint32_t c, uint32_t y, uint32_t a) { return mix24(c, y, a); });
}

CORVANE_WIDE_CLONES void mix_run_span32(unsigned char *dest, const unsigned char *source,
                                        size_t count, uint32_t weight, uint32_t mask) noexcept {
  mix_span32<false>(dest, source, count, weight, mask);
}

CORVANE_AVX2_CLONES void mix_run_span15(unsigned char *dest, const unsigned char *source,
                                        size_t count, uint32_t k, uint32_t mask) noexcept {
  mix_span_packed16<false, spread15, low15, high15>(dest, source, count, k, mask);
}

CORVANE_AVX2_CLONES void mix_run_span16(unsigned char *dest, const unsigned char *source,
                                        size_t count, uint32_t k, uint32_t mask) noexcept {
  mix_span_packed16<false, spread16, low16, high16>(dest, source, count, k, mask);
}

CORVANE_WIDE_CLONES void alpha_run_span32(unsigned char *dest, const unsigned char *source,
                                          size_t count, uint32_t alpha_shift,
                                          uint32_t mask) noexcept {
  alpha_span32<false>(dest, source, count, alpha_shift, mask);
}

CORVANE_WIDE_CLONES void mix_rle_rows32(const rle_rows &rows, uint32_t weight) noexcept {
  for_rle_runs<uint32_t>(rows,
                         [weight](unsigned char *dest, const unsigned char *source, size_t count) {
                           mix_span32<false>(dest, source, count, weight, 0);
                         });
}

CORVANE_AVX2_CLONES void mix_rle_rows15(const rle_rows &rows, uint32_t k) noexcept {
  for_rle_runs<uint16_t>(rows, [k](unsigned char *dest, const unsigned char *source, size_t count) {
    mix_span_packed16<false, spread15, low15, high15>(dest, source, count, k, 0);
  });
}

CORVANE_AVX2_CLONES void mix_rle_rows16(const rle_rows &rows, uint32_t k) noexcept {
  for_rle_runs<uint16_t>(rows, [k](unsigned char *dest, const unsigned char *source, size_t count) {
    mix_span_packed16<false, spread16, low16, high16>(dest, source, count, k, 0);
  });
}

CORVANE_WIDE_CLONES void alpha_rle_rows32(const rle_rows &rows, uint32_t alpha_shift) noexcept {
  for_rle_runs<uint32_t>(
      rows, [alpha_shift](unsigned char *dest, const unsigned char *source, size_t count) {
        alpha_span32<false>(dest, source, count, alpha_shift, 0);
      });
}

}  // namespace corvane::depth
