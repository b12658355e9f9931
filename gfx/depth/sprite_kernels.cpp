// The vectorised row loops of translucent and alpha sprites, bitmap and run-length. The 32-bit
// loops are written over 64-byte vectors of 16 pixels (their work is arithmetic, so AVX-512 pays
// where the processor has it); the 15- and 16-bit loops, and those of 32-bit alpha sprites onto
// narrower targets, are plain loops that the compiler vectorises. Each has a copy per instruction
// set, chosen at run time (the 32-bit ones through run_widest, since their code differs with the
// register width); the helpers that walk the rows, and the lambdas they are given, are always
// inlined, so that they are compiled inside each copy rather than once for the base set and
// called. The run-length loops come as one call per run and, for sprites landing whole on a
// bitmap, one call for all the runs.
#include "gfx/depth/sprite_kernels.h"

#include <cstring>
#include <type_traits>

#include "gfx/blenders.h"
#include "gfx/depth/avx2_clones.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {

namespace {

// 16 pixels of 32 bits: one AVX-512 register, two AVX2 ones, four of the base set; 8 and 4 pixels
// for the ends of short runs. The helpers take and give them by reference: a vector this wide
// passed by value would be passed differently by each copy of the loops.
using lanes32 = uint32_t __attribute__((vector_size(64)));
using lanes8 = uint32_t __attribute__((vector_size(32)));
using lanes4 = uint32_t __attribute__((vector_size(16)));

// mix24_weighted lane by lane into out; weight holds each lane's weight 0-256.
template <class V>
[[gnu::always_inline]] inline void mix24_lanes(const V &c, const V &y, const V &weight,
                                               V &out) noexcept {
  const V rb = (y + ((weight * ((c & 0xFF00FFu) - (y & 0xFF00FFu))) >> 8)) & 0xFF00FFu;
  const V g = ((y & 0xFF00u) + ((weight * ((c & 0xFF00u) - (y & 0xFF00u))) >> 8)) & 0xFF00u;
  out = rb | g;
}

// The alpha blender's weight from a source pixel's alpha byte a: a + 1, or 0 where a is 0.
// TopByte: the alpha byte is the top one, so no mask is needed after the shift.
template <bool TopByte, class V>
[[gnu::always_inline]] inline void alpha_weight_lanes(const V &s, uint32_t shift,
                                                      V &weight) noexcept {
  const V a = TopByte ? s >> 24 : (s >> shift) & 255u;
  weight = a - reinterpret_cast<V>(a != 0u);  // the comparison gives -1 where true
}

template <bool TopByte>
inline uint32_t alpha_weight(uint32_t s, uint32_t shift) noexcept {
  const uint32_t a = TopByte ? s >> 24 : (s >> shift) & 255u;
  return a != 0 ? a + 1 : 0;
}

// Clang checks an asm operand's size against the instruction set of the function the statement is
// written in, which for these templates is the base set whatever copy they are inlined into.
#if defined(__clang__)
constexpr size_t asm_vector_limit = 16;
#else
constexpr size_t asm_vector_limit = 64;
#endif

// Keeps a vector just read in registers, so that the compiler does not fold the read into each
// instruction that uses it (see opaque_zero). RegisterBytes is the width of the widest register of
// the copy being compiled: a vector that fits one is held by an empty asm statement, which costs
// nothing; a wider one, split over several registers, is or-ed with the opaque zero.
template <int RegisterBytes, class V>
[[gnu::always_inline]] inline void keep_in_registers(V &v) noexcept {
  if constexpr (sizeof(V) <= RegisterBytes && sizeof(V) <= asm_vector_limit) {
    asm("" : "+v"(v));
  } else {
    v |= opaque_zero();
  }
}

// One block of V's lane count of 32-bit pixels, blended from the destination as it is now; the
// result is left in out for the caller to store. Masked: source pixels equal to mask keep the
// destination's value.
template <bool Masked, int RegisterBytes, class V, class LaneWeight>
[[gnu::always_inline]] inline void blend_lanes32(const unsigned char *dest,
                                                 const unsigned char *source, uint32_t mask,
                                                 LaneWeight lane_weight, V &out) noexcept {
  V s;
  V d;
  V weight;
  std::memcpy(&s, source, sizeof s);
  std::memcpy(&d, dest, sizeof d);
  keep_in_registers<RegisterBytes>(s);
  keep_in_registers<RegisterBytes>(d);
  lane_weight(s, weight);
  mix24_lanes(s, d, weight, out);
  if (Masked) out = s == mask ? d : out;
}

// Two blocks of V's lane count covering count pixels (between one and two blocks) from both ends:
// both are computed before either is stored, so the pixels where they overlap get the value
// blended once.
template <bool Masked, int RegisterBytes, class V, class LaneWeight>
[[gnu::always_inline]] inline void blend_two_blocks32(unsigned char *dest,
                                                      const unsigned char *source, size_t count,
                                                      uint32_t mask,
                                                      LaneWeight lane_weight) noexcept {
  constexpr size_t lanes = sizeof(V) / 4;
  V head;
  V tail;
  blend_lanes32<Masked, RegisterBytes>(dest, source, mask, lane_weight, head);
  blend_lanes32<Masked, RegisterBytes>(dest + 4 * (count - lanes), source + 4 * (count - lanes),
                                       mask, lane_weight, tail);
  std::memcpy(dest, &head, sizeof head);
  std::memcpy(dest + 4 * (count - lanes), &tail, sizeof tail);
}

// The loops over 32-bit pixels. Weight (source lanes) gives each lane's weight; Masked: source
// pixels equal to mask leave the destination alone. Run-length sprites hold no transparent pixels
// in their literal runs, so their loops blend every pixel.
//
// Runs are often a few dozen pixels, not a multiple of 16: rather than finish them one pixel at a
// time, the last 16 pixels are one block that may overlap the one before it. That block is blended
// from the destination as it was before any store and stored last, so the overlapped pixels end
// with the value blended once. Runs under 16 pixels are two overlapping blocks of 8 or 4.
template <bool Masked, int RegisterBytes, class LaneWeight, class PixelWeight>
[[gnu::always_inline]] inline void blend_span32(unsigned char *dest, const unsigned char *source,
                                                size_t count, uint32_t mask, LaneWeight lane_weight,
                                                PixelWeight pixel_weight) noexcept {
  constexpr size_t block = sizeof(lanes32) / 4;
  if (count >= block) {
    const size_t last = count - block;
    lanes32 tail;
    blend_lanes32<Masked, RegisterBytes>(dest + 4 * last, source + 4 * last, mask, lane_weight,
                                         tail);
    for (size_t i = 0; i < last; i += block) {
      lanes32 m;
      blend_lanes32<Masked, RegisterBytes>(dest + 4 * i, source + 4 * i, mask, lane_weight, m);
      std::memcpy(dest + 4 * i, &m, sizeof m);
    }
    std::memcpy(dest + 4 * last, &tail, sizeof tail);
  } else if (count >= 8) {
    blend_two_blocks32<Masked, RegisterBytes, lanes8>(dest, source, count, mask, lane_weight);
  } else if (count >= 4) {
    blend_two_blocks32<Masked, RegisterBytes, lanes4>(dest, source, count, mask, lane_weight);
  } else {
    for (size_t i = 0; i < count; ++i) {
      uint32_t s;
      uint32_t d;
      std::memcpy(&s, source + 4 * i, 4);
      std::memcpy(&d, dest + 4 * i, 4);
      const uint32_t m = mix24_weighted(s, d, pixel_weight(s));
      d = (!Masked || s != mask) ? m : d;
      std::memcpy(dest + 4 * i, &d, 4);
    }
  }
}

// The mix at one weight for every pixel. weights holds it in every lane, made once per call by
// the caller: broadcasting it here, per row, costs the compiler a lane-by-lane build.
template <bool Masked, int RegisterBytes>
[[gnu::always_inline]] inline void mix_span32(unsigned char *dest, const unsigned char *source,
                                              size_t count, const lanes32 &weights,
                                              uint32_t mask) noexcept {
  const uint32_t weight = weights[0];
  blend_span32<Masked, RegisterBytes>(
      dest, source, count, mask,
      [&weights](const auto &, auto &w)
          __attribute__((always_inline)) { std::memcpy(&w, &weights, sizeof w); },
      [weight](uint32_t) { return weight; });
}

// TopByte: alpha is the top byte (shift 24), as in the usual layout: one shift gives the weight.
// The callers choose it once per sprite with with_alpha_layout rather than once per row or run.
template <bool Masked, int RegisterBytes, bool TopByte>
[[gnu::always_inline]] inline void alpha_span32(unsigned char *dest, const unsigned char *source,
                                                size_t count, uint32_t shift,
                                                uint32_t mask) noexcept {
  blend_span32<Masked, RegisterBytes>(
      dest, source, count, mask,
      [shift](const auto &s, auto &w)
          __attribute__((always_inline)) { alpha_weight_lanes<TopByte>(s, shift, w); },
      [shift](uint32_t s)
          __attribute__((always_inline)) { return alpha_weight<TopByte>(s, shift); });
}

// Calls body (top, shift) with shift the alpha byte's position taken from alpha_shift, and top a
// std::bool_constant telling whether that is the top byte.
template <class Body>
[[gnu::always_inline]] inline void with_alpha_layout(uint32_t alpha_shift, Body body) noexcept {
  const uint32_t shift = alpha_shift & 31u;
  if (shift == 24) {
    body(std::true_type{}, shift);
  } else {
    body(std::false_type{}, shift);
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

// The alpha hooks onto narrower targets, one per depth and component order: target is the
// target's storage, repack turns the source colour into the target's layout and mix gives the
// blended pixel from (colour, target pixel, alpha byte).
template <class Target, uint32_t (*Repack)(uint32_t), uint32_t (*Mix)(uint32_t, uint32_t, uint32_t)>
struct narrow_alpha {
  using target = Target;
  static uint32_t repack(uint32_t x) noexcept { return Repack(x); }
  static uint32_t mix(uint32_t c, uint32_t y, uint32_t a) noexcept { return Mix(c, y, a); }
};
using alpha15_same = narrow_alpha<pixel_word16, repack15_same, mix15>;
using alpha15_swapped = narrow_alpha<pixel_word16, repack15_swapped, mix15>;
using alpha16_same = narrow_alpha<pixel_word16, repack16_same, mix16>;
using alpha16_swapped = narrow_alpha<pixel_word16, repack16_swapped, mix16>;
using alpha24_same = narrow_alpha<pixel_bytes24, repack24_same, mix24>;
using alpha24_swapped = narrow_alpha<pixel_bytes24, repack24_swapped, mix24>;

// A 32-bit source with alpha over a narrower target, pixel by pixel with the alpha hook's
// arithmetic inlined; Masked: source pixels equal to mask leave the target alone.
template <class Op, bool Masked>
[[gnu::always_inline]] inline void alpha_span_narrow(unsigned char *dest,
                                                     const unsigned char *source, size_t count,
                                                     uint32_t alpha_shift, uint32_t mask) noexcept {
  using target = typename Op::target;
  const uint32_t shift = alpha_shift & 31u;
  for (size_t i = 0; i < count; ++i) {
    uint32_t s;
    std::memcpy(&s, source + 4 * i, 4);
    unsigned char *d = dest + target::bytes * i;
    const uint32_t y = target::load(d);
    const uint32_t m = Op::mix(Op::repack(s), y, (s >> shift) & 255u);
    target::store(d, !Masked || s != mask ? m : y);
  }
}

// Runs span (dest, source, count) over every row of a block. One call per sprite rather than one
// per row: the rows of a small sprite are short, and the per-call work of a row loop would
// otherwise cost as much as the blending. (Asking for the lines of the rows ahead with software
// prefetch was measured and did not pay.)
template <class Span>
[[gnu::always_inline]] inline void for_block(const blend_block &block, Span span) noexcept {
  // Copies, so that the stores to the rows cannot be taken to change them.
  const blend_block b = block;
  for (size_t r = 0; r < b.rows; ++r) {
    span(b.dest_lines[r] + b.dest_offset, b.source_lines[r] + b.source_offset, b.count);
  }
}

// The narrow alpha span over every row of a block, and over every literal run of a run-length
// sprite: its units are 32-bit source pixels, its target pixels 2 or 3 bytes.
template <class Op>
[[gnu::always_inline]] inline void alpha_rows_narrow(const blend_block &block, uint32_t alpha_shift,
                                                     uint32_t mask) noexcept {
  for_block(
      block, [ alpha_shift, mask ](unsigned char *dest, const unsigned char *source, size_t count)
                 __attribute__((always_inline)) {
                   alpha_span_narrow<Op, true>(dest, source, count, alpha_shift, mask);
                 });
}

template <class Op>
[[gnu::always_inline]] inline void alpha_runs_narrow(const rle_rows &rows,
                                                     uint32_t alpha_shift) noexcept {
  for_rle_runs<uint32_t, Op::target::bytes>(
      rows, [alpha_shift](unsigned char *dest, const unsigned char *source, size_t count)
                __attribute__((always_inline)) {
                  alpha_span_narrow<Op, false>(dest, source, count, alpha_shift, 0);
                });
}

// The 32-bit loops, one class each for run_widest: over a block of rows of a bitmap sprite, over
// one literal run, and over all the runs of a run-length sprite.
struct mix_rows32 {
  template <int RegisterBytes>
  [[gnu::always_inline]] static void run(const blend_block &block, uint32_t weight,
                                         uint32_t mask) noexcept {
    const lanes32 weights = lanes32{} + weight;
    for_block(block, [&weights, mask](unsigned char *dest, const unsigned char *source,
                                      size_t count) __attribute__((always_inline)) {
      mix_span32<true, RegisterBytes>(dest, source, count, weights, mask);
    });
  }
};

struct alpha_rows32 {
  template <int RegisterBytes>
  [[gnu::always_inline]] static void run(const blend_block &block, uint32_t alpha_shift,
                                         uint32_t mask) noexcept {
    with_alpha_layout(alpha_shift, [&](auto top, uint32_t shift) __attribute__((always_inline)) {
      for_block(block, [shift, mask](unsigned char *dest, const unsigned char *source,
                                     size_t count) __attribute__((always_inline)) {
        alpha_span32<true, RegisterBytes, decltype(top)::value>(dest, source, count, shift, mask);
      });
    });
  }
};

struct mix_run32 {
  template <int RegisterBytes>
  [[gnu::always_inline]] static void run(unsigned char *dest, const unsigned char *source,
                                         size_t count, uint32_t weight, uint32_t mask) noexcept {
    const lanes32 weights = lanes32{} + weight;
    mix_span32<false, RegisterBytes>(dest, source, count, weights, mask);
  }
};

struct alpha_run32 {
  template <int RegisterBytes>
  [[gnu::always_inline]] static void run(unsigned char *dest, const unsigned char *source,
                                         size_t count, uint32_t alpha_shift,
                                         uint32_t mask) noexcept {
    with_alpha_layout(alpha_shift, [&](auto top, uint32_t shift) __attribute__((always_inline)) {
      alpha_span32<false, RegisterBytes, decltype(top)::value>(dest, source, count, shift, mask);
    });
  }
};

struct mix_runs32 {
  template <int RegisterBytes>
  [[gnu::always_inline]] static void run(const rle_rows &rows, uint32_t weight) noexcept {
    const lanes32 weights = lanes32{} + weight;
    for_rle_runs<uint32_t>(rows, [&weights](unsigned char *dest, const unsigned char *source,
                                            size_t count) __attribute__((always_inline)) {
      mix_span32<false, RegisterBytes>(dest, source, count, weights, 0);
    });
  }
};

struct alpha_runs32 {
  template <int RegisterBytes>
  [[gnu::always_inline]] static void run(const rle_rows &rows, uint32_t alpha_shift) noexcept {
    with_alpha_layout(alpha_shift, [&](auto top, uint32_t shift) __attribute__((always_inline)) {
      for_rle_runs<uint32_t>(rows, [shift](unsigned char *dest, const unsigned char *source,
                                           size_t count) __attribute__((always_inline)) {
        alpha_span32<false, RegisterBytes, decltype(top)::value>(dest, source, count, shift, 0);
      });
    });
  }
};

}  // namespace

void mix_sprite_rows32(const blend_block &block, uint32_t weight, uint32_t mask) noexcept {
  run_widest<mix_rows32>(block, weight, mask);
}

CORVANE_AVX2_CLONES void mix_sprite_rows15(const blend_block &block, uint32_t k,
                                           uint32_t mask) noexcept {
  for_block(
      block, [ k, mask ](unsigned char *dest, const unsigned char *source, size_t count)
                 __attribute__((always_inline)) {
                   mix_span_packed16<true, spread15, low15, high15>(dest, source, count, k, mask);
                 });
}

CORVANE_AVX2_CLONES void mix_sprite_rows16(const blend_block &block, uint32_t k,
                                           uint32_t mask) noexcept {
  for_block(
      block, [ k, mask ](unsigned char *dest, const unsigned char *source, size_t count)
                 __attribute__((always_inline)) {
                   mix_span_packed16<true, spread16, low16, high16>(dest, source, count, k, mask);
                 });
}

void alpha_sprite_rows32(const blend_block &block, uint32_t alpha_shift, uint32_t mask) noexcept {
  run_widest<alpha_rows32>(block, alpha_shift, mask);
}

// The alpha sprites onto 15-, 16- and 24-bit targets, in both component orders: over a block of
// rows of a bitmap sprite, over one literal run, and over all the runs of a run-length sprite.
// The argument is the suffix shared by the function names and the hook's description above.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define CORVANE_NARROW_ALPHA_LOOPS(NAME)                                                           \
  CORVANE_AVX2_CLONES void alpha_sprite_rows##NAME(const blend_block &block, uint32_t alpha_shift, \
                                                   uint32_t mask) noexcept {                       \
    alpha_rows_narrow<alpha##NAME>(block, alpha_shift, mask);                                      \
  }                                                                                                \
  CORVANE_AVX2_CLONES void alpha_run_span##NAME(unsigned char *dest, const unsigned char *source,  \
                                                size_t count, uint32_t alpha_shift,                \
                                                uint32_t mask) noexcept {                          \
    alpha_span_narrow<alpha##NAME, false>(dest, source, count, alpha_shift, mask);                 \
  }                                                                                                \
  CORVANE_AVX2_CLONES void alpha_rle_rows##NAME(const rle_rows &rows,                              \
                                                uint32_t alpha_shift) noexcept {                   \
    alpha_runs_narrow<alpha##NAME>(rows, alpha_shift);                                             \
  }
// NOLINTEND(bugprone-macro-parentheses)
CORVANE_NARROW_ALPHA_LOOPS(15_same)
CORVANE_NARROW_ALPHA_LOOPS(15_swapped)
CORVANE_NARROW_ALPHA_LOOPS(16_same)
CORVANE_NARROW_ALPHA_LOOPS(16_swapped)
CORVANE_NARROW_ALPHA_LOOPS(24_same)
CORVANE_NARROW_ALPHA_LOOPS(24_swapped)
#undef CORVANE_NARROW_ALPHA_LOOPS

void mix_run_span32(unsigned char *dest, const unsigned char *source, size_t count, uint32_t weight,
                    uint32_t mask) noexcept {
  run_widest<mix_run32>(dest, source, count, weight, mask);
}

CORVANE_AVX2_CLONES void mix_run_span15(unsigned char *dest, const unsigned char *source,
                                        size_t count, uint32_t k, uint32_t mask) noexcept {
  mix_span_packed16<false, spread15, low15, high15>(dest, source, count, k, mask);
}

CORVANE_AVX2_CLONES void mix_run_span16(unsigned char *dest, const unsigned char *source,
                                        size_t count, uint32_t k, uint32_t mask) noexcept {
  mix_span_packed16<false, spread16, low16, high16>(dest, source, count, k, mask);
}

void alpha_run_span32(unsigned char *dest, const unsigned char *source, size_t count,
                      uint32_t alpha_shift, uint32_t mask) noexcept {
  run_widest<alpha_run32>(dest, source, count, alpha_shift, mask);
}

void mix_rle_rows32(const rle_rows &rows, uint32_t weight) noexcept {
  run_widest<mix_runs32>(rows, weight);
}

CORVANE_AVX2_CLONES void mix_rle_rows15(const rle_rows &rows, uint32_t k) noexcept {
  for_rle_runs<uint16_t>(
      rows, [k](unsigned char *dest, const unsigned char *source, size_t count)
                __attribute__((always_inline)) {
                  mix_span_packed16<false, spread15, low15, high15>(dest, source, count, k, 0);
                });
}

CORVANE_AVX2_CLONES void mix_rle_rows16(const rle_rows &rows, uint32_t k) noexcept {
  for_rle_runs<uint16_t>(
      rows, [k](unsigned char *dest, const unsigned char *source, size_t count)
                __attribute__((always_inline)) {
                  mix_span_packed16<false, spread16, low16, high16>(dest, source, count, k, 0);
                });
}

void alpha_rle_rows32(const rle_rows &rows, uint32_t alpha_shift) noexcept {
  run_widest<alpha_runs32>(rows, alpha_shift);
}

}  // namespace corvane::depth
