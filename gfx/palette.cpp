// The palette state of the library: the current and saved palettes, the per-depth tables of
// palette index to pixel value (rebuilt lazily), and applying, reading and selecting palettes.
#include <algorithm>
#include <cstring>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "gfx/color_internal.h"

extern "C" {

palette current_palette = {};
palette saved_palette = {};
uint32_t palette_color_tables[5][PALETTE_SIZE] = {};
uint32_t *palette_color = palette_color_tables[0];
uint32_t palette_tables_stale = 0xFFFFFFFFu;
unsigned char *rgb_index_table = nullptr;
const uint32_t *(*palette_expansion_hook)(int depth) = palette_table_for_depth;

}  // extern "C"

namespace corvane {

uint32_t saved_palette_color[PALETTE_SIZE] = {};

namespace {

uint32_t stale_bit(int depth) noexcept {
  return (depth >= 1 && depth <= 32) ? (1u << (depth - 1)) : 0u;
}

// Every table but the current depth's must be rebuilt before its next use.
void mark_other_tables_stale() noexcept { palette_tables_stale = ~stale_bit(current_color_depth); }

uint32_t packed_entry(int depth, const rgb_entry &entry) noexcept {
  return static_cast<uint32_t>(make_color_depth(
      depth, SCALE_6_TO_8[entry.r & 63], SCALE_6_TO_8[entry.g & 63], SCALE_6_TO_8[entry.b & 63]));
}

}  // namespace
}  // namespace corvane

extern "C" {

const uint32_t *palette_table_for_depth(int depth) noexcept {
  const int slot = corvane::palette_table_slot(depth);
  if (slot <= 0) return nullptr;
  const uint32_t bit = corvane::stale_bit(depth);
  if ((palette_tables_stale & bit) != 0) {
    uint32_t *table = palette_color_tables[slot];
    for (int i = 0; i < PALETTE_SIZE; ++i)
      table[i] = corvane::packed_entry(depth, current_palette[i]);
    palette_tables_stale &= ~bit;
  }
  return palette_color_tables[slot];
}

void apply_palette_range(const rgb_entry *pal, int from, int to, int vsync) noexcept {
  if (pal == nullptr) return;
  from = std::max(from, 0);
  to = std::min(to, PALETTE_SIZE - 1);
  if (from > to) return;

  for (int i = from; i <= to; ++i) current_palette[i] = pal[i];

  const int depth = current_color_depth;
  if (depth != 8 && palette_color != nullptr) {
    // A table that was stale holds nothing valid outside the range either: bring all of it up to
    // date, since it is marked fresh below.
    const bool whole = (palette_tables_stale & corvane::stale_bit(depth)) != 0;
    const int first = whole ? 0 : from;
    const int last = whole ? PALETTE_SIZE - 1 : to;
    for (int i = first; i <= last; ++i) {
      palette_color[i] = corvane::packed_entry(depth, current_palette[i]);
    }
  }
  corvane::mark_other_tables_stale();

  if (current_gfx_driver != nullptr) {
    if (screen_bitmap != nullptr && bitmap_color_depth(screen_bitmap) == 8 &&
        !display_switched_away() && current_gfx_driver->write_palette != nullptr) {
      current_gfx_driver->write_palette(pal, from, to, vsync);
    }
  } else if (current_system_driver != nullptr &&
             current_system_driver->write_palette_range != nullptr) {
    current_system_driver->write_palette_range(pal, from, to, vsync);
  }
}

void apply_palette(const rgb_entry *pal) noexcept { apply_palette_range(pal, 0, 255, -1); }

void read_palette_range(rgb_entry *pal, int from, int to) noexcept {
  if (pal == nullptr) return;
  if (current_system_driver != nullptr && current_system_driver->read_hardware_colors != nullptr) {
    current_system_driver->read_hardware_colors();
  }
  from = std::max(from, 0);
  to = std::min(to, PALETTE_SIZE - 1);
  for (int i = from; i <= to; ++i) pal[i] = current_palette[i];
}

void read_palette(rgb_entry *pal) noexcept { read_palette_range(pal, 0, 255); }

void select_palette(const rgb_entry *pal) noexcept {
  if (pal == nullptr) return;
  std::memcpy(saved_palette, current_palette, sizeof(palette));
  std::memmove(current_palette, pal, sizeof(palette));
  const int depth = current_color_depth;
  if (depth != 8 && palette_color != nullptr) {
    std::memcpy(corvane::saved_palette_color, palette_color, sizeof corvane::saved_palette_color);
    for (int i = 0; i < PALETTE_SIZE; ++i) {
      palette_color[i] = corvane::packed_entry(depth, current_palette[i]);
    }
  }
  corvane::mark_other_tables_stale();
}

void unselect_palette(void) noexcept {
  std::memcpy(current_palette, saved_palette, sizeof(palette));
  if (current_color_depth != 8 && palette_color != nullptr) {
    std::memcpy(palette_color, corvane::saved_palette_color, sizeof corvane::saved_palette_color);
  }
  corvane::mark_other_tables_stale();
}

}  // extern "C"
