// The nearest-colour search: the palette entry closest to a 6-bit colour by a weighted distance
// in which green counts most and blue least.
#include "corvane/color.h"
#include "gfx/color_internal.h"

extern "C" {

int nearest_palette_index(const rgb_entry *pal, int r, int g, int b) noexcept {
  if (pal == nullptr) return 0;
  const auto &w = corvane::best_fit_weight_tables;
  // Index 0 is the 8-bit mask colour: it is a candidate only for exactly the mask colour.
  const int first = (r == 63 && g == 0 && b == 63) ? 0 : 1;
  int32_t best = 0x7FFFFFFF;
  int result = 0;
  for (int i = first; i < PALETTE_SIZE; ++i) {
    const rgb_entry &entry = pal[i];
    // The partial sums only grow, so a candidate is dropped as soon as one is not below best.
    int32_t d = w.green[static_cast<size_t>((entry.g - g) & 127)];
    if (d >= best) continue;
    d += w.red[static_cast<size_t>((entry.r - r) & 127)];
    if (d >= best) continue;
    d += w.blue[static_cast<size_t>((entry.b - b) & 127)];
    if (d >= best) continue;
    best = d;
    result = i;
    if (d == 0) return i;
  }
  return result;
}

}  // extern "C"
