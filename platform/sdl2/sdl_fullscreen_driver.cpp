// The SDL2 full-screen driver 'SDLF': the screen scaled by whole multiples to the desktop's own
// mode (which is not changed, so leaving it is instant and safe), centred between black bars.
// Its mode list is the display's real modes.
#include <SDL.h>

#include <cstdlib>

#include "corvane/config.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "platform/sdl2/sdl_display.h"
#include "platform/sdl2/sdl_drivers.h"
#include "platform/sdl2/sdl_host.h"

namespace corvane::sdl {
namespace {

char fullscreen_description[256];

bitmap *fullscreen_init(int width, int height, int virtual_width, int virtual_height, int depth) {
  bitmap *screen =
      open_display(&fullscreen_driver, display_request{.width = width,
                                                       .height = height,
                                                       .virtual_width = virtual_width,
                                                       .virtual_height = virtual_height,
                                                       .depth = depth,
                                                       .fullscreen = true});
  if (screen == nullptr) return nullptr;
  format_text_bounded(fullscreen_description, sizeof fullscreen_description,
                      translate_text("SDL2 full screen on %s, %d bpp"), video_driver_name(), depth);
  fullscreen_driver.description = fullscreen_description;
  return screen;
}

void fullscreen_exit(bitmap * /*screen*/) { close_display(); }

void fullscreen_wait_retrace() { wait_for_presentation(); }

void fullscreen_write_palette(const rgb_entry *pal, int from, int to, int retrace) {
  load_palette(pal, from, to, retrace);
}

// The library's depth of an SDL pixel format: four bytes are 32 bits, whatever their padding.
int depth_of_format(Uint32 format) noexcept {
  if (SDL_BYTESPERPIXEL(format) == 4) return 32;
  return static_cast<int>(SDL_BITSPERPIXEL(format));
}

// Host thread: the display's modes, each size and depth once (SDL lists every refresh rate).
void read_modes(gfx_mode_list *list) noexcept {
  const int available = SDL_GetNumDisplayModes(0);
  if (available <= 0) return;
  list->modes = static_cast<gfx_mode_entry *>(
      std::malloc(sizeof(gfx_mode_entry) * static_cast<size_t>(available)));
  if (list->modes == nullptr) return;
  list->count = 0;
  for (int i = 0; i < available; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
    const gfx_mode_entry entry{
        .width = mode.w, .height = mode.h, .bpp = depth_of_format(mode.format)};
    bool known = false;
    for (int j = 0; j < list->count && !known; ++j) {
      const gfx_mode_entry &seen = list->modes[j];
      known = seen.width == entry.width && seen.height == entry.height && seen.bpp == entry.bpp;
    }
    if (!known) list->modes[list->count++] = entry;
  }
}

gfx_mode_list *fullscreen_list_modes() {
  if (!acquire_video()) return nullptr;
  auto *list = static_cast<gfx_mode_list *>(std::calloc(1, sizeof(gfx_mode_list)));
  if (list != nullptr) {
    auto read = [list] { read_modes(list); };
    if (!run_on_host(read) || list->count == 0) {
      std::free(list->modes);
      std::free(list);
      list = nullptr;
    }
  }
  release_video();
  return list;
}

}  // namespace

gfx_driver fullscreen_driver = {
    .id = GFX_SDL_FULLSCREEN,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "SDL2 full screen",
    .init = fullscreen_init,
    .exit = fullscreen_exit,
    .wait_retrace = fullscreen_wait_retrace,
    .write_palette = fullscreen_write_palette,
    .list_modes = fullscreen_list_modes,
    .linear = -1,
    .windowed = 0,
};

}  // namespace corvane::sdl
