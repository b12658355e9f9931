// Scrolling the visible area over a larger screen bitmap, requested scrolls and triple
// buffering: thin wrappers around the current driver's operations.
#include <algorithm>

#include "corvane/bitmap.h"
#include "corvane/gfx.h"

namespace {

// Clamps a scroll position so that the visible area stays on the screen bitmap; false when a
// coordinate had to move.
bool clamp_scroll_position(int &x, int &y) noexcept {
  const gfx_driver *driver = current_gfx_driver;
  const bitmap *screen = screen_bitmap;
  const int visible_height = screen_split_height >= 1 ? screen_split_height : driver->height;
  const int max_x = std::max(screen->width - driver->width, 0);
  const int max_y = std::max(screen->height - visible_height, 0);
  const int clamped_x = std::clamp(x, 0, max_x);
  const int clamped_y = std::clamp(y, 0, max_y);
  const bool unchanged = clamped_x == x && clamped_y == y;
  x = clamped_x;
  y = clamped_y;
  return unchanged;
}

bool mode_is_open() noexcept {
  return current_gfx_driver != nullptr && screen_bitmap != nullptr && !display_switched_away();
}

}  // namespace

extern "C" {

int scroll_screen(int x, int y) noexcept {
  if (!mode_is_open() || current_gfx_driver->scroll == nullptr) return -1;
  const bool unchanged = clamp_scroll_position(x, y);
  const int result = current_gfx_driver->scroll(x, y);
  return (result == 0 && unchanged) ? 0 : -1;
}

int request_scroll(int x, int y) noexcept {
  if (!mode_is_open()) return -1;
  if (current_gfx_driver->request_scroll == nullptr) {
    scroll_screen(x, y);
    return -1;
  }
  const bool unchanged = clamp_scroll_position(x, y);
  const int result = current_gfx_driver->request_scroll(x, y);
  return (result == 0 && unchanged) ? 0 : -1;
}

int enable_triple_buffer(void) noexcept {
  if ((gfx_capabilities & GFX_CAN_TRIPLE_BUFFER) != 0) return 0;
  gfx_driver *driver = current_gfx_driver;
  if (driver == nullptr || driver->enable_triple_buffer == nullptr || display_switched_away())
    return -1;
  driver->enable_triple_buffer();
  if (driver->request_scroll != nullptr || driver->request_video_bitmap != nullptr) {
    gfx_capabilities |= GFX_CAN_TRIPLE_BUFFER;
    return 0;
  }
  return -1;
}

}  // extern "C"
