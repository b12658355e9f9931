// The process-wide drawing mode: the mode, its pattern and anchors, and the pattern masks.
#include "corvane/bitmap.h"
#include "corvane/draw.h"
#include "corvane/gfx.h"

namespace {

// The largest power of two not above size, minus one; 0 for sizes below 1.
uint32_t pattern_mask(int size) noexcept {
  if (size < 1) return 0;
  uint32_t power = 1;
  while (power <= static_cast<uint32_t>(size) / 2) power <<= 1;
  return power - 1;
}

}  // namespace

extern "C" {

int draw_mode = MODE_SOLID;
bitmap *draw_pattern = nullptr;
int pattern_x_anchor = 0;
int pattern_y_anchor = 0;
uint32_t pattern_x_mask = 0;
uint32_t pattern_y_mask = 0;

void set_draw_mode(int mode, bitmap *pattern, int x_anchor, int y_anchor) noexcept {
  draw_mode = mode;
  draw_pattern = pattern;
  pattern_x_anchor = x_anchor;
  pattern_y_anchor = y_anchor;
  if (pattern != nullptr) {
    pattern_x_mask = pattern_mask(pattern->width);
    pattern_y_mask = pattern_mask(pattern->height);
  } else {
    pattern_x_mask = 0;
    pattern_y_mask = 0;
  }
  if (current_gfx_driver != nullptr && current_gfx_driver->drawing_mode_changed != nullptr &&
      !display_switched_away()) {
    current_gfx_driver->drawing_mode_changed(mode, pattern, x_anchor, y_anchor);
  }
}

}  // extern "C"
