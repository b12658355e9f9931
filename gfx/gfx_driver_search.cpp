// Finding a graphics driver for a mode request: the driver list in use, the drivers named in the
// configuration (by mode, by depth, plain, then numbered), and autodetection.
#include "core/internal.h"
#include "corvane/color.h"
#include "corvane/config.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "gfx/gfx_mode_internal.h"

namespace corvane {
namespace {

// Configuration keys are formatted into a buffer of this size.
constexpr int KEY_NAME_SIZE = 512;
// Numbered keys run from base1 up to this.
constexpr int LAST_NUMBERED_KEY = 254;
constexpr int LITERAL_SIZE = 64;

enum class configured_result { missing, not_usable, failed, started };

// Reads one key and starts the driver it names when that driver is in the list and fits.
configured_result try_configured_key(const driver_list_entry *list, const char *section,
                                     const char *key, int driver_class,
                                     const gfx_mode_request &request) noexcept {
  const int id = config_get_id(section, key, 0);
  if (id == 0) return configured_result::missing;
  auto *driver = static_cast<gfx_driver *>(find_driver_in_list(list, id));
  if (driver == nullptr || !driver_fits_class(driver, driver_class))
    return configured_result::not_usable;
  return start_gfx_driver(driver, request) != nullptr ? configured_result::started
                                                      : configured_result::failed;
}

}  // namespace

const driver_list_entry *gfx_driver_list() noexcept {
  const system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->list_gfx_drivers != nullptr) {
    const driver_list_entry *list = sys->list_gfx_drivers();
    return list != nullptr ? list : empty_driver_list;
  }
  return default_gfx_driver_list;
}

bool driver_fits_class(const gfx_driver *driver, int driver_class) noexcept {
  switch (driver_class) {
    case GFX_CLASS_FULLSCREEN:
      return driver->windowed == 0;
    case GFX_CLASS_WINDOWED:
      return driver->windowed != 0;
    default:
      return true;
  }
}

bitmap *start_gfx_driver(gfx_driver *driver, const gfx_mode_request &request) noexcept {
  const char *label =
      driver->ascii_label != nullptr ? translate_text(driver->ascii_label) : nullptr;
  driver->name = driver->description = label != nullptr ? label : empty_string;
  current_gfx_driver = driver;
  bitmap *screen = nullptr;
  if (driver->init != nullptr) {
    screen = driver->init(request.width, request.height, request.virtual_width,
                          request.virtual_height, current_color_depth);
  }
  screen_bitmap = screen;
  return screen;
}

bool start_configured_driver(const driver_list_entry *list, const char *base_name, int driver_class,
                             const gfx_mode_request &request) noexcept {
  char section_buffer[LITERAL_SIZE];
  char base_buffer[LITERAL_SIZE];
  char format_buffer[LITERAL_SIZE];
  const char *section = literal("graphics", section_buffer, LITERAL_SIZE);
  const char *base = literal(base_name, base_buffer, LITERAL_SIZE);
  char key[KEY_NAME_SIZE];
  bool found = false;

  const auto attempt = [&](const char *name) {
    const configured_result result = try_configured_key(list, section, name, driver_class, request);
    if (result == configured_result::failed) found = true;
    return result;
  };

  format_text_bounded(key, KEY_NAME_SIZE, literal("%s_%dx%dx%d", format_buffer, LITERAL_SIZE), base,
                      request.width, request.height, current_color_depth);
  if (attempt(key) == configured_result::started) return true;
  format_text_bounded(key, KEY_NAME_SIZE, literal("%s_%dbpp", format_buffer, LITERAL_SIZE), base,
                      current_color_depth);
  if (attempt(key) == configured_result::started) return true;
  if (attempt(base) == configured_result::started) return true;

  const char *numbered = literal("%s%d", format_buffer, LITERAL_SIZE);
  for (int n = 1; n <= LAST_NUMBERED_KEY; ++n) {
    format_text_bounded(key, KEY_NAME_SIZE, numbered, base, n);
    const configured_result result = attempt(key);
    if (result == configured_result::started) return true;
    // A gap at 1 is allowed (a list may start at 2); any later gap ends the list.
    if (result == configured_result::missing && n >= 2) break;
  }
  return found;
}

void autodetect_gfx_driver(const driver_list_entry *list, int driver_class,
                           const gfx_mode_request &request) noexcept {
  for (const driver_list_entry *entry = list; entry->driver != nullptr; ++entry) {
    if (entry->autodetect == 0) continue;
    auto *driver = static_cast<gfx_driver *>(entry->driver);
    if (!driver_fits_class(driver, driver_class)) continue;
    if (start_gfx_driver(driver, request) != nullptr) return;
  }
}

}  // namespace corvane
