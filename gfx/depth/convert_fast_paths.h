// The fast paths of the depth-converting blit, as rows of one table keyed by source depth,
// destination depth and the form of the call (see convert_kernels.h). A row's loop stores exactly
// what the general converter would for every pixel. blit_convert works out the component moves
// and looks its row up once per call; calls that dither, that convert into or out of 8 bits, or
// whose component shifts lie outside 0-31 have no row and take the general converter.
#ifndef CORVANE_GFX_DEPTH_CONVERT_FAST_PATHS_H
#define CORVANE_GFX_DEPTH_CONVERT_FAST_PATHS_H

#include <cstdint>

#include "gfx/depth/convert_kernels.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {

enum class conversion_form {
  right,  // no keep-trans, every 8-bit source component moves right or stays
  any,    // no keep-trans
  keep,   // keep-trans
};

struct convert_fast_path {
  int source_depth;
  int dest_depth;
  conversion_form form;
  convert_span span;
};

#define CORVANE_CONVERT_ROW(FROM, TO, FORM) \
  {FROM, TO, conversion_form::FORM, convert_span_##FROM##_##TO##_##FORM}
#define CORVANE_CONVERT_ROWS_OF_PAIR(FROM, TO) \
  CORVANE_CONVERT_ROW(FROM, TO, any), CORVANE_CONVERT_ROW(FROM, TO, keep)
#define CORVANE_CONVERT_ROWS_OF_WIDE_PAIR(FROM, TO) \
  CORVANE_CONVERT_ROWS_OF_PAIR(FROM, TO), CORVANE_CONVERT_ROW(FROM, TO, right)

inline constexpr convert_fast_path convert_fast_paths[] = {
    CORVANE_CONVERT_ROWS_OF_WIDE_PAIR(32, 24), CORVANE_CONVERT_ROWS_OF_WIDE_PAIR(32, 16),
    CORVANE_CONVERT_ROWS_OF_WIDE_PAIR(32, 15), CORVANE_CONVERT_ROWS_OF_WIDE_PAIR(24, 32),
    CORVANE_CONVERT_ROWS_OF_WIDE_PAIR(24, 16), CORVANE_CONVERT_ROWS_OF_WIDE_PAIR(24, 15),
    CORVANE_CONVERT_ROWS_OF_PAIR(16, 32),      CORVANE_CONVERT_ROWS_OF_PAIR(16, 24),
    CORVANE_CONVERT_ROWS_OF_PAIR(16, 15),      CORVANE_CONVERT_ROWS_OF_PAIR(15, 32),
    CORVANE_CONVERT_ROWS_OF_PAIR(15, 24),      CORVANE_CONVERT_ROWS_OF_PAIR(15, 16),
};

#undef CORVANE_CONVERT_ROWS_OF_WIDE_PAIR
#undef CORVANE_CONVERT_ROWS_OF_PAIR
#undef CORVANE_CONVERT_ROW

inline const convert_fast_path *find_convert_fast_path(int source_depth, int dest_depth,
                                                       conversion_form form) noexcept {
  for (const convert_fast_path &row : convert_fast_paths) {
    if (row.source_depth == source_depth && row.dest_depth == dest_depth && row.form == form) {
      return &row;
    }
  }
  return nullptr;
}

// The move of one component of SourceBits bits at source_shift into DestBits bits at dest_shift
// (both shifts 0-31). The general converter widens the component to 8 bits and keeps the top
// DestBits of those, so the destination bits are bits (shift + 8 - DestBits) and up of the source
// pixel (8-bit components) or of the widening product (5- and 6-bit components); nothing moves
// when those bits lie above bit 31.
template <int SourceBits, int DestBits>
constexpr component_move make_component_move(int source_shift, int dest_shift) noexcept {
  component_move move{};
  int right = source_shift + (8 - DestBits);
  uint32_t factor = 1;
  if constexpr (SourceBits != 8) {
    // floor(v * 255 / 31) = (v * 1053) >> 7 for v of 0-31, floor(v * 255 / 63) = (v * 4145) >> 10
    // for v of 0-63. The product of a 16-bit pixel's field with either stays below 2^32.
    static_assert(SourceBits == 5 || SourceBits == 6);
    factor = SourceBits == 5 ? 1053u : 4145u;
    right += SourceBits == 5 ? 7 : 10;
  }
  if (right > 31) return move;
  const int net = right - dest_shift;
  if constexpr (SourceBits == 8) {
    move.right = static_cast<uint32_t>(net > 0 ? net : 0);
    move.left = static_cast<uint32_t>(net < 0 ? -net : 0);
  } else {
    // A left move multiplies the product by 2^left: the same low 32 bits.
    move.field = ((1u << SourceBits) - 1) << source_shift;
    move.factor = net < 0 ? factor << -net : factor;
    move.right = static_cast<uint32_t>(net > 0 ? net : 0);
  }
  move.mask = ((1u << DestBits) - 1) << dest_shift;
  return move;
}

inline bool shifts_in_range(int red, int green, int blue) noexcept {
  return red >= 0 && red <= 31 && green >= 0 && green <= 31 && blue >= 0 && blue <= 31;
}

// The moves from Src to Dst under the current component shifts and the row that applies them, or
// null when the call has no fast path.
template <class Src, class Dst>
const convert_fast_path *prepare_conversion(bool keep_trans, uint32_t replacement,
                                            conversion_moves &moves) noexcept {
  const auto from = Src::current_layout();
  const auto to = Dst::current_layout();
  if (!shifts_in_range(from.red_shift, from.green_shift, from.blue_shift) ||
      !shifts_in_range(to.red_shift, to.green_shift, to.blue_shift)) {
    return nullptr;
  }
  using source_layout = typename Src::layout;
  using dest_layout = typename Dst::layout;
  moves.red = make_component_move<source_layout::red_bits, dest_layout::red_bits>(from.red_shift,
                                                                                  to.red_shift);
  moves.green = make_component_move<source_layout::green_bits, dest_layout::green_bits>(
      from.green_shift, to.green_shift);
  moves.blue = make_component_move<source_layout::blue_bits, dest_layout::blue_bits>(
      from.blue_shift, to.blue_shift);
  moves.source_mask = Src::mask;
  moves.dest_mask = Dst::mask;
  moves.replacement = replacement;
  if (keep_trans) return find_convert_fast_path(Src::depth, Dst::depth, conversion_form::keep);
  if (moves.red.left == 0 && moves.green.left == 0 && moves.blue.left == 0) {
    if (const convert_fast_path *row =
            find_convert_fast_path(Src::depth, Dst::depth, conversion_form::right)) {
      return row;
    }
  }
  return find_convert_fast_path(Src::depth, Dst::depth, conversion_form::any);
}

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_CONVERT_FAST_PATHS_H
