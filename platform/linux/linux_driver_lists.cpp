// The drivers of the Linux host, in autodetection order, and the display layer the system driver
// asks about the desktop. Drivers that are built only when their library is found (SDL2) are
// named here and nowhere else.
#include "corvane/gfx.h"
#include "corvane/keyboard.h"
#include "platform/linux/terminal_keyboard.h"
#include "platform/linux/unix_host.h"
#include "platform/null/headless_gfx_driver.h"

#if defined(CORVANE_HAVE_SDL2)
#include "platform/linux/sdl_drivers.h"
#endif

namespace corvane::unix_host {

// A window first, since it leaves the desktop usable; then the whole screen; then, with no
// display at all, the headless driver.
driver_list_entry gfx_driver_list[] = {
#if defined(CORVANE_HAVE_SDL2)
    {sdl::window_driver_id, &sdl::window_driver, -1},
    {sdl::fullscreen_driver_id, &sdl::fullscreen_driver, -1},
#endif
    {CORVANE_ID('H', 'D', 'L', 'S'), &headless_gfx_driver, -1},
    {0, nullptr, 0},
};

// Keys come from the display's events when there is a display, else from the terminal.
driver_list_entry keyboard_driver_list[] = {
#if defined(CORVANE_HAVE_SDL2)
    {sdl::keyboard_driver_id, &sdl::keyboard_driver, -1},
#endif
    {CORVANE_ID('T', 'E', 'R', 'M'), &terminal_keyboard_driver, -1},
    {0, nullptr, 0},
};

#if defined(CORVANE_HAVE_SDL2)
const display_services *const host_display_services = &sdl::host_services;
#else
const display_services *const host_display_services = nullptr;
#endif

// The safe mode is a small 8-bit window when a display can be reached, and otherwise the
// headless driver, which needs nothing.
void get_safe_mode(int *driver_id, gfx_mode_entry *mode) noexcept {
  const display_services *services = host_display_services;
  if (services != nullptr && services->safe_mode != nullptr &&
      services->safe_mode(driver_id, mode)) {
    return;
  }
  if (driver_id != nullptr) *driver_id = CORVANE_ID('H', 'D', 'L', 'S');
  if (mode != nullptr) *mode = gfx_mode_entry{.width = 320, .height = 200, .bpp = 8};
}

}  // namespace corvane::unix_host
