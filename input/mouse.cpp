// Installing and removing the mouse, polling, moving the pointer and keeping it in its range, the
// speed and movement counters, and the hook record through which mode changes and display
// switches hide the pointer and give it its defaults again.
#include <algorithm>
#include <atomic>

#include "core/exit_functions.h"
#include "core/internal.h"
#include "core/module_hooks.h"
#include "corvane/bitmap.h"
#include "corvane/config.h"
#include "corvane/gfx.h"
#include "corvane/mouse.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "input/mouse_internal.h"

namespace corvane {
namespace {

constexpr int LITERAL_SIZE = 64;
// The range and position of a mouse installed without a graphics mode.
constexpr int NO_SCREEN_WIDTH = 320;
constexpr int NO_SCREEN_HEIGHT = 200;

// Program thread only.
mouse_range range;

void set_driver(mouse_driver *driver) noexcept {
  std::atomic_ref<mouse_driver *>(current_mouse_driver).store(driver, std::memory_order_release);
}

const driver_list_entry *mouse_driver_list() noexcept {
  const system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->list_mouse_drivers != nullptr) return sys->list_mouse_drivers();
  return default_mouse_driver_list;
}

// Section "mouse" of the configuration, with the key converted from a library literal.
struct mouse_key {
  char section_buffer[LITERAL_SIZE];
  char key_buffer[LITERAL_SIZE];
  const char *section;
  const char *key;
  explicit mouse_key(const char *ascii_key) noexcept
      : section(literal("mouse", section_buffer, LITERAL_SIZE)),
        key(literal(ascii_key, key_buffer, LITERAL_SIZE)) {}
};

// Names the driver, makes it current and starts it; the number of buttons, or below 0.
int try_driver(mouse_driver *driver) noexcept {
  set_driver(driver);
  driver->name = driver->description = translate_text(driver->ascii_label);
  return driver->init != nullptr ? driver->init() : 0;
}

// The chosen driver's number of buttons, or -1 with the driver list exhausted.
int start_a_driver() noexcept {
  const driver_list_entry *list = mouse_driver_list();
  if (load_int(mouse_type) == -1) {
    const mouse_key key("mouse");
    store_int(mouse_type, config_get_id(key.section, key.key, -1));
  }
  if (const int wanted = load_int(mouse_type); wanted != -1) {
    if (auto *driver = static_cast<mouse_driver *>(find_driver_in_list(list, wanted))) {
      return try_driver(driver);
    }
  }
  for (; list != nullptr && list->driver != nullptr; ++list) {
    auto *driver = static_cast<mouse_driver *>(list->driver);
    const int buttons = try_driver(driver);
    if (buttons >= 0) {
      store_int(mouse_type, list->id);
      return buttons;
    }
  }
  return -1;
}

bool starts_with_yes(const char *value) noexcept {
  return value != nullptr && (value[0] == 'y' || value[0] == 'Y' || value[0] == '1');
}

int clamp_into(int value, int low, int high) noexcept { return std::clamp(value, low, high); }

// The default sprite, the whole screen as the range, speed 2 and the pointer in the middle.
void set_pointer_defaults() noexcept {
  const bitmap *screen = screen_bitmap;
  const int width = screen != nullptr ? screen->width : NO_SCREEN_WIDTH;
  const int height = screen != nullptr ? screen->height : NO_SCREEN_HEIGHT;
  set_mouse_sprite(nullptr);
  set_mouse_range(0, 0, std::max(width - 1, 0), std::max(height - 1, 0));
  set_mouse_speed(2, 2);
  position_mouse(width / 2, height / 2);
}

bitmap *pointer_shown_on() { return pointer().shown_on; }
void show_pointer_on(bitmap *bmp) { show_mouse(bmp); }
void mode_opened() { set_pointer_defaults(); }

const mouse_pointer_hooks pointer_hooks_record{
    .shown_on = pointer_shown_on,
    .show_on = show_pointer_on,
    .mode_opened = mode_opened,
};

}  // namespace

mouse_range current_mouse_range() noexcept { return range; }

}  // namespace corvane

extern "C" {

mouse_driver *current_mouse_driver = nullptr;
int mouse_type = -1;

int install_mouse(void) noexcept {
  using namespace corvane;
  if (installed_mouse_driver() != nullptr) return 0;
  clear_mouse_values();
  if (!make_builtin_pointers()) {
    set_error_text("Not enough memory");
    return -1;
  }
  // A stale reason from an earlier failure must not be mistaken for the driver's own.
  error_text[0] = 0;
  int buttons = start_a_driver();
  if (buttons < 0) {
    set_driver(nullptr);
    set_error_text_if_empty("No mouse driver could be started");
    free_builtin_pointers();
    return -1;
  }
  mouse_driver *driver = installed_mouse_driver();

  const mouse_key buttons_key("num_buttons");
  const int configured_buttons = config_get_int(buttons_key.section, buttons_key.key, -1);
  if (configured_buttons >= 0) buttons = configured_buttons;
  const mouse_key emulate_key("emulate_three");
  store_int(emulate_three,
            starts_with_yes(config_get_string(emulate_key.section, emulate_key.key, nullptr))
                ? -1
                : 0);
  store_int(mouse_polled, driver->poll != nullptr ? -1 : 0);

  if (driver->enable_hardware_cursor != nullptr) driver->enable_hardware_cursor(0);
  range = mouse_range{};
  set_pointer_defaults();
  // The timer the pointer is drawn with comes up before the mouse registers its removal, so that
  // at shutdown (newest first) the mouse is taken down while its timer still runs.
  (void)install_timer_system();
  corvane::register_library_exit_func(remove_mouse, "remove_mouse");
  mouse_pointer_hook.store(&pointer_hooks_record, std::memory_order_release);
  if (driver->timer_poll != nullptr) install_pointer_handler();
  return buttons;
}

void remove_mouse(void) noexcept {
  using namespace corvane;
  mouse_driver *driver = installed_mouse_driver();
  if (driver == nullptr) {
    unregister_exit_func(remove_mouse);
    return;
  }
  mouse_pointer_hook.store(nullptr, std::memory_order_release);
  hide_pointer_for_removal();
  if (driver->exit != nullptr) driver->exit();
  set_driver(nullptr);
  gfx_capabilities &= ~(GFX_HW_CURSOR | GFX_SYSTEM_CURSOR);
  clear_mouse_values();
  store_int(mouse_polled, 0);
  store_int(mouse_type, -1);
  store_int(emulate_three, 0);
  reset_pointer();
  free_builtin_pointers();
  reset_scare_stack();
  range = mouse_range{};
  unregister_exit_func(remove_mouse);
}

int poll_mouse(void) noexcept {
  using namespace corvane;
  mouse_driver *driver = installed_mouse_driver();
  if (driver == nullptr) return -1;
  if (driver->poll != nullptr) driver->poll();
  update_mouse_values();
  return 0;
}

void position_mouse(int x, int y) noexcept {
  using namespace corvane;
  mouse_driver *driver = installed_mouse_driver();
  if (driver == nullptr) return;
  x = clamp_into(x, range.x1, range.x2);
  y = clamp_into(y, range.y1, range.y2);
  const pointer_pause pause;
  if (driver->position != nullptr) {
    driver->position(x, y);
  } else {
    set_raw_position(x, y);
  }
  update_mouse_values();
  redraw_software_pointer();
}

void set_mouse_range(int x1, int y1, int x2, int y2) noexcept {
  using namespace corvane;
  mouse_driver *driver = installed_mouse_driver();
  if (driver == nullptr) return;
  range = mouse_range{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
  const pointer_pause pause;
  if (driver->set_range != nullptr) {
    driver->set_range(range.x1, range.y1, range.x2, range.y2);
  } else {
    std::lock_guard<std::recursive_mutex> lock(value_lock());
    set_raw_position(clamp_into(load_int(raw_mouse_x), range.x1, range.x2),
                     clamp_into(load_int(raw_mouse_y), range.y1, range.y2));
  }
  update_mouse_values();
  redraw_software_pointer();
}

void set_mouse_speed(int x_speed, int y_speed) noexcept {
  using namespace corvane;
  mouse_driver *driver = installed_mouse_driver();
  if (driver != nullptr && driver->set_speed != nullptr) driver->set_speed(x_speed, y_speed);
}

void get_mouse_mickeys(int *dx, int *dy) noexcept {
  using namespace corvane;
  int x = 0;
  int y = 0;
  mouse_driver *driver = installed_mouse_driver();
  if (driver != nullptr && driver->get_mickeys != nullptr) driver->get_mickeys(&x, &y);
  if (dx != nullptr) *dx = x;
  if (dy != nullptr) *dy = y;
}

}  // extern "C"
