// Page flipping and triple buffering: showing a video bitmap at once (after the retrace) or on
// request, and asking whether a requested flip or scroll is still pending. The graphics driver's
// own operations are used where it has them; a video bitmap that lies on the screen bitmap (one
// carved from a larger virtual screen) is otherwise shown by scrolling to it.
#include <cerrno>
#include <cstdint>

#include "corvane/bitmap.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "corvane/timer.h"

namespace {

bool mode_is_open() noexcept { return current_gfx_driver != nullptr && screen_bitmap != nullptr; }

// Checks what every flip needs: an open mode on a display the program holds, and a video bitmap.
bool can_flip_to(const bitmap *bmp) noexcept {
  if (!mode_is_open()) {
    set_error_text("No graphics mode is open");
    return false;
  }
  if (bmp == nullptr || (bmp->flags & BITMAP_FLAG_VIDEO) == 0) {
    set_error_number(EINVAL);
    set_error_text("Not a video bitmap");
    return false;
  }
  // Not an error of the program: while away, nothing can be shown.
  return !display_switched_away();
}

// True when bmp is the screen bitmap or a sub-bitmap of it (the video bitmaps carved from the
// screen surface are), with its position on the screen.
bool position_on_screen(const bitmap *bmp, int *x, int *y) noexcept {
  const bitmap *screen = screen_bitmap;
  const uint32_t family = screen->flags & BITMAP_FAMILY_MASK;
  const bool on_screen = bmp == screen || ((bmp->flags & BITMAP_FLAG_SUB) != 0 && family != 0 &&
                                           (bmp->flags & BITMAP_FAMILY_MASK) == family);
  if (!on_screen) return false;
  *x = bmp->x_offset - screen->x_offset;
  *y = bmp->y_offset - screen->y_offset;
  return true;
}

}  // namespace

extern "C" {

int show_video_bitmap(bitmap *bmp) noexcept {
  if (!can_flip_to(bmp)) return -1;
  gfx_driver *driver = current_gfx_driver;
  if (driver->show_video_bitmap != nullptr) return driver->show_video_bitmap(bmp) == 0 ? 0 : -1;
  int x = 0;
  int y = 0;
  if (driver->scroll == nullptr || !position_on_screen(bmp, &x, &y)) {
    set_error_text("The graphics driver cannot show this video bitmap");
    return -1;
  }
  // A flip that waits for the retrace never shows half of one page and half of the other.
  if (wait_for_retrace != 0) wait_for_vsync();
  return scroll_screen(x, y);
}

int request_video_bitmap(bitmap *bmp) noexcept {
  if (!can_flip_to(bmp)) return -1;
  gfx_driver *driver = current_gfx_driver;
  if (driver->request_video_bitmap != nullptr) {
    return driver->request_video_bitmap(bmp) == 0 ? 0 : -1;
  }
  int x = 0;
  int y = 0;
  if (driver->request_scroll != nullptr && position_on_screen(bmp, &x, &y)) {
    return request_scroll(x, y);
  }
  // The flip cannot be requested: it is done at once, and the caller learns it was not a request.
  show_video_bitmap(bmp);
  return -1;
}

int poll_scroll(void) noexcept {
  if (!mode_is_open() || display_switched_away()) return 0;
  const gfx_driver *driver = current_gfx_driver;
  if (driver->poll_scroll == nullptr) return 0;
  return driver->poll_scroll() != 0 ? -1 : 0;
}

}  // extern "C"
