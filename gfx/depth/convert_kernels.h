// The row loops of the depth-converting blit between 15, 16, 24 and 32 bits without dithering.
//
// The general converter widens each component to 8 bits (get_red_depth and friends) and packs it
// for the destination (make_color_depth). For one component that is a fixed bit move, worked out
// once per call: an 8-bit component keeps its top bits, so its destination bits are a shifted
// field of the source pixel; a 5- or 6-bit component is widened as floor(v * 255 / 31) (or / 63),
// which equals (v * 1053) >> 7 (or (v * 4145) >> 10) for every v of its range, and a shifted
// field of that product gives the destination bits. Each loop computes exactly what the general
// converter stores, with whole rows of plain integer operations that the compiler vectorises.
#ifndef CORVANE_GFX_DEPTH_CONVERT_KERNELS_H
#define CORVANE_GFX_DEPTH_CONVERT_KERNELS_H

#include <cstddef>
#include <cstdint>

namespace corvane::depth {

// How one component moves from a source pixel c to its destination bits:
//   8-bit source components:     ((c >> right) << left) & mask
//   5- and 6-bit components:     (((c & field) * factor) >> right) & mask
// A component with nothing to move has mask 0.
struct component_move {
  uint32_t field;   // the component's bits in the source pixel (5- and 6-bit components)
  uint32_t factor;  // the widening factor, already shifted left by any left move
  uint32_t right;
  uint32_t left;
  uint32_t mask;  // the component's bits in the destination value
};

// Everything a row loop needs for one call.
struct conversion_moves {
  component_move red;
  component_move green;
  component_move blue;
  uint32_t source_mask;  // with keep-trans: this source pixel ...
  uint32_t dest_mask;    // ... becomes this, and a converted value equal to it ...
  uint32_t replacement;  // ... becomes this
};

// A row loop: converts count pixels from source to dest.
using convert_span = void (*)(unsigned char *dest, const unsigned char *source, size_t count,
                              const conversion_moves &moves) noexcept;

// The loops for each depth pair, in three forms: "right" for calls whose 8-bit components all
// move right (or stay), "any" for every move, "keep" for every move with the keep-trans rule.
// Sources of 15 and 16 bits widen by multiplication, which takes any move: they have no "right"
// form.
#define CORVANE_CONVERT_SPAN(FROM, TO, FORM)                                                       \
  void convert_span_##FROM##_##TO##_##FORM(unsigned char *dest, const unsigned char *source,      \
                                           size_t count, const conversion_moves &moves) noexcept;
#define CORVANE_CONVERT_SPANS_OF_PAIR(FROM, TO) \
  CORVANE_CONVERT_SPAN(FROM, TO, any)           \
  CORVANE_CONVERT_SPAN(FROM, TO, keep)
#define CORVANE_CONVERT_SPANS_OF_WIDE_PAIR(FROM, TO) \
  CORVANE_CONVERT_SPANS_OF_PAIR(FROM, TO)            \
  CORVANE_CONVERT_SPAN(FROM, TO, right)

CORVANE_CONVERT_SPANS_OF_WIDE_PAIR(32, 24)
CORVANE_CONVERT_SPANS_OF_WIDE_PAIR(32, 16)
CORVANE_CONVERT_SPANS_OF_WIDE_PAIR(32, 15)
CORVANE_CONVERT_SPANS_OF_WIDE_PAIR(24, 32)
CORVANE_CONVERT_SPANS_OF_WIDE_PAIR(24, 16)
CORVANE_CONVERT_SPANS_OF_WIDE_PAIR(24, 15)
CORVANE_CONVERT_SPANS_OF_PAIR(16, 32)
CORVANE_CONVERT_SPANS_OF_PAIR(16, 24)
CORVANE_CONVERT_SPANS_OF_PAIR(16, 15)
CORVANE_CONVERT_SPANS_OF_PAIR(15, 32)
CORVANE_CONVERT_SPANS_OF_PAIR(15, 24)
CORVANE_CONVERT_SPANS_OF_PAIR(15, 16)

#undef CORVANE_CONVERT_SPANS_OF_WIDE_PAIR
#undef CORVANE_CONVERT_SPANS_OF_PAIR
#undef CORVANE_CONVERT_SPAN

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_CONVERT_KERNELS_H
