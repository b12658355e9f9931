// Internal interface of the colour code: the best-fit weight tables of the nearest-colour search,
// the slot of each depth in the palette tables, and the replacement colour of converting blits.
#ifndef CORVANE_GFX_COLOR_INTERNAL_H
#define CORVANE_GFX_COLOR_INTERNAL_H

#include <array>
#include <cstdint>

#include "corvane/color.h"

namespace corvane {

// Weighted squared distances of 6-bit components, indexed by (difference and 127): entry d and
// entry 128 - d hold d * d * weight for d = 1..63; entries 0 and 64 are 0.
struct best_fit_weights {
  std::array<int32_t, 128> red;
  std::array<int32_t, 128> green;
  std::array<int32_t, 128> blue;
};

constexpr std::array<int32_t, 128> make_weight_table(int32_t weight) {
  std::array<int32_t, 128> table{};
  for (int d = 1; d < 64; ++d) {
    table[static_cast<size_t>(d)] = d * d * weight;
    table[static_cast<size_t>(128 - d)] = d * d * weight;
  }
  return table;
}

// Green 59 squared, red 30 squared, blue 11 squared: the eye's sensitivity to each component.
inline constexpr best_fit_weights best_fit_weight_tables{
    make_weight_table(900), make_weight_table(3481), make_weight_table(121)};

// Weighted distance between a palette entry and a 6-bit colour.
inline int32_t color_distance(const rgb_entry &entry, int r, int g, int b) noexcept {
  const auto &w = best_fit_weight_tables;
  return w.green[static_cast<size_t>((entry.g - g) & 127)] +
         w.red[static_cast<size_t>((entry.r - r) & 127)] +
         w.blue[static_cast<size_t>((entry.b - b) & 127)];
}

// Slot of a depth in palette_color_tables (0 for 8 bits ... 4 for 32), or -1.
constexpr int palette_table_slot(int depth) noexcept {
  switch (depth) {
    case 8:
      return 0;
    case 15:
      return 1;
    case 16:
      return 2;
    case 24:
      return 3;
    case 32:
      return 4;
    default:
      return -1;
  }
}

// The colour a converting blit writes for a non-mask pixel whose converted value would be the
// destination's mask colour: the first (255, g, 255), g = 1, 2, ..., that is not the mask colour,
// or at 8 bits the palette entry closest to (63, 1, 63).
uint32_t blit_replacement_color(int depth) noexcept;

// The palette_color entries that select_palette replaced, for unselect_palette.
extern uint32_t saved_palette_color[PALETTE_SIZE];

}  // namespace corvane

#endif  // CORVANE_GFX_COLOR_INTERNAL_H
