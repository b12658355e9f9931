// Internal interface of mode selection: the driver list in use, starting a driver, and the search
// for a driver named in the configuration.
#ifndef CORVANE_GFX_GFX_MODE_INTERNAL_H
#define CORVANE_GFX_GFX_MODE_INTERNAL_H

#include "corvane/gfx.h"

namespace corvane {

// Which drivers a request accepts: any, full-screen only, or windowed only.
enum gfx_driver_class : int {
  GFX_CLASS_ANY = GFX_AUTODETECT,
  GFX_CLASS_FULLSCREEN = GFX_AUTODETECT_FULLSCREEN,
  GFX_CLASS_WINDOWED = GFX_AUTODETECT_WINDOWED,
};

// The size a mode request asks for.
struct gfx_mode_request {
  int width;
  int height;
  int virtual_width;
  int virtual_height;
};

// The system driver's graphics driver list, or default_gfx_driver_list.
const driver_list_entry *gfx_driver_list() noexcept;

// True when the driver may serve a request of the class.
bool driver_fits_class(const gfx_driver *driver, int driver_class) noexcept;

// Names the driver, makes it current and calls its init at the current colour depth; the result
// becomes screen_bitmap. Returns the screen bitmap or null.
bitmap *start_gfx_driver(gfx_driver *driver, const gfx_mode_request &request) noexcept;

// Tries the drivers configured under a base name ("gfx_card", "gfx_cardw") in section
// "graphics". Returns true when any key named a driver of the list that fits the class, whether
// or not it started; screen_bitmap tells whether one did.
bool start_configured_driver(const driver_list_entry *list, const char *base_name, int driver_class,
                             const gfx_mode_request &request) noexcept;

// Walks the list and starts the autodetectable drivers that fit the class until one gives a
// screen bitmap.
void autodetect_gfx_driver(const driver_list_entry *list, int driver_class,
                           const gfx_mode_request &request) noexcept;

// True for the colour depths that have drawing tables: 8, 15, 16, 24 and 32.
bool is_known_depth(int depth) noexcept;

}  // namespace corvane

#endif  // CORVANE_GFX_GFX_MODE_INTERNAL_H
