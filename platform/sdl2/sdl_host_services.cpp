// What the SDL2 display layer tells the Linux system driver: the desktop's depth and size, the
// safe mode, message boxes on the display the program uses, window titles, and the signal path.
#include <SDL.h>

#include "corvane/gfx.h"
#include "platform/linux/unix_host.h"
#include "platform/sdl2/sdl_display.h"
#include "platform/sdl2/sdl_drivers.h"
#include "platform/sdl2/sdl_host.h"

namespace corvane::sdl {
namespace {

int desktop_depth() {
  desktop_info desktop;
  return query_desktop(&desktop) ? desktop.depth : -1;
}

int desktop_size(int *width, int *height) {
  desktop_info desktop;
  if (!query_desktop(&desktop)) return -1;
  *width = desktop.width;
  *height = desktop.height;
  return 0;
}

// A small 8-bit window, when a display can be reached at all.
bool safe_mode(int *driver_id, gfx_mode_entry *mode) {
  if (!acquire_video()) return false;
  release_video();
  if (driver_id != nullptr) *driver_id = GFX_SDL_WINDOW;
  if (mode != nullptr) *mode = gfx_mode_entry{.width = 320, .height = 200, .bpp = 8};
  return true;
}

struct message {
  const char *title;
  const char *text;
};

// Only a program that already shows itself on a real display gets a box: a program run from a
// script or without a window keeps its messages on standard error alone, and is never held up by
// a box nobody sees.
void message_box(const char *utf8_title, const char *utf8_text) {
  if (!video_is_visible()) return;
  message box{utf8_title, utf8_text};
  auto show = [&box] {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, box.title, box.text, display_window());
  };
  run_on_host(show);
}

void title_changed() {
  if (!video_running()) return;
  auto retitle = [] { retitle_window(); };
  run_on_host(retitle);
}

void begin_signal() { begin_signal_shutdown(); }

void finish_signal() { stop_after_signal(); }

}  // namespace

const unix_host::display_services host_services = {
    .desktop_depth = desktop_depth,
    .desktop_size = desktop_size,
    .safe_mode = safe_mode,
    .message_box = message_box,
    .title_changed = title_changed,
    .begin_signal_shutdown = begin_signal,
    .finish_signal_shutdown = finish_signal,
};

}  // namespace corvane::sdl
