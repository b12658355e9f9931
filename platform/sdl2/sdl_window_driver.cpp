// The SDL2 window driver 'SDLW': the screen in a resizable window on the desktop, at any depth,
// scaled by whole multiples (starting at the largest that fits comfortably, or the "window_scale"
// key of section "graphics") and centred between black bars when the window's shape differs.
#include "corvane/config.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "platform/sdl2/sdl_cursor.h"
#include "platform/sdl2/sdl_display.h"
#include "platform/sdl2/sdl_drivers.h"

namespace corvane::sdl {
namespace {

char window_description[256];

bitmap *window_init(int width, int height, int virtual_width, int virtual_height, int depth) {
  bitmap *screen = open_display(&window_driver, display_request{.width = width,
                                                                .height = height,
                                                                .virtual_width = virtual_width,
                                                                .virtual_height = virtual_height,
                                                                .depth = depth,
                                                                .fullscreen = false});
  if (screen == nullptr) return nullptr;
  format_text_bounded(window_description, sizeof window_description,
                      translate_text("SDL2 window on %s, %d bpp"), video_driver_name(), depth);
  window_driver.description = window_description;
  return screen;
}

void window_exit(bitmap * /*screen*/) { close_display(); }

void window_wait_retrace() { wait_for_presentation(); }

void window_write_palette(const rgb_entry *pal, int from, int to, int retrace) {
  load_palette(pal, from, to, retrace);
}

}  // namespace

gfx_driver window_driver = {
    .id = GFX_SDL_WINDOW,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "SDL2 window",
    .init = window_init,
    .exit = window_exit,
    .wait_retrace = window_wait_retrace,
    .write_palette = window_write_palette,
    .set_cursor_image = set_cursor_image,
    .show_cursor = show_cursor,
    .hide_cursor = hide_cursor,
    .move_cursor = move_cursor,
    .linear = -1,
    .windowed = -1,
};

}  // namespace corvane::sdl
