// The row loops of the depth-converting blit: plain loops over 32-bit values that the compiler
// vectorises, with an AVX2 clone chosen at run time.
#include "gfx/depth/convert_kernels.h"

#include "gfx/depth/avx2_clones.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {
namespace {

// One component's destination bits (see component_move). Bits is the component's width in the
// source.
template <int Bits, bool RightOnly>
inline uint32_t move_component(uint32_t c, uint32_t field, uint32_t factor, uint32_t right,
                               uint32_t left, uint32_t mask) noexcept {
  if constexpr (Bits == 8) {
    if constexpr (RightOnly) {
      return (c >> right) & mask;
    } else {
      return ((c >> right) << left) & mask;
    }
  } else {
    return (((c & field) * factor) >> right) & mask;
  }
}

template <class Src, class Dst, bool RightOnly, bool KeepTrans>
inline void convert_row(unsigned char *dest, const unsigned char *source, size_t count,
                        const conversion_moves &moves) noexcept {
  using layout = typename Src::layout;
  // Locals, so that the loop keeps every value in a register.
  const component_move r = moves.red;
  const component_move g = moves.green;
  const component_move b = moves.blue;
  const uint32_t source_mask = moves.source_mask;
  const uint32_t dest_mask = moves.dest_mask;
  const uint32_t replacement = moves.replacement;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t c = Src::load(source + i * Src::bytes);
    uint32_t value =
        move_component<layout::red_bits, RightOnly>(c, r.field, r.factor, r.right, r.left,
                                                    r.mask) |
        move_component<layout::green_bits, RightOnly>(c, g.field, g.factor, g.right, g.left,
                                                      g.mask) |
        move_component<layout::blue_bits, RightOnly>(c, b.field, b.factor, b.right, b.left,
                                                     b.mask);
    if constexpr (KeepTrans) {
      value = (value == dest_mask) ? replacement : value;
      value = (c == source_mask) ? dest_mask : value;
    }
    Dst::store(dest + i * Dst::bytes, value);
  }
}

}  // namespace

#define CORVANE_DEFINE_CONVERT_SPAN(FROM, TO, FORM, RIGHT_ONLY, KEEP_TRANS)                     \
  CORVANE_AVX2_CLONES void convert_span_##FROM##_##TO##_##FORM(                                 \
      unsigned char *dest, const unsigned char *source, size_t count,                           \
      const conversion_moves &moves) noexcept {                                                 \
    convert_row<pixel##FROM, pixel##TO, RIGHT_ONLY, KEEP_TRANS>(dest, source, count, moves);   \
  }
#define CORVANE_DEFINE_CONVERT_SPANS_OF_PAIR(FROM, TO)   \
  CORVANE_DEFINE_CONVERT_SPAN(FROM, TO, any, false, false) \
  CORVANE_DEFINE_CONVERT_SPAN(FROM, TO, keep, false, true)
#define CORVANE_DEFINE_CONVERT_SPANS_OF_WIDE_PAIR(FROM, TO) \
  CORVANE_DEFINE_CONVERT_SPANS_OF_PAIR(FROM, TO)            \
  CORVANE_DEFINE_CONVERT_SPAN(FROM, TO, right, true, false)

CORVANE_DEFINE_CONVERT_SPANS_OF_WIDE_PAIR(32, 24)
CORVANE_DEFINE_CONVERT_SPANS_OF_WIDE_PAIR(32, 16)
CORVANE_DEFINE_CONVERT_SPANS_OF_WIDE_PAIR(32, 15)
CORVANE_DEFINE_CONVERT_SPANS_OF_WIDE_PAIR(24, 32)
CORVANE_DEFINE_CONVERT_SPANS_OF_WIDE_PAIR(24, 16)
CORVANE_DEFINE_CONVERT_SPANS_OF_WIDE_PAIR(24, 15)
CORVANE_DEFINE_CONVERT_SPANS_OF_PAIR(16, 32)
CORVANE_DEFINE_CONVERT_SPANS_OF_PAIR(16, 24)
CORVANE_DEFINE_CONVERT_SPANS_OF_PAIR(16, 15)
CORVANE_DEFINE_CONVERT_SPANS_OF_PAIR(15, 32)
CORVANE_DEFINE_CONVERT_SPANS_OF_PAIR(15, 24)
CORVANE_DEFINE_CONVERT_SPANS_OF_PAIR(15, 16)

}  // namespace corvane::depth
