// Installing and removing the joystick layer: choosing a driver by id or by autodetection,
// polling, calibration and rumble.
#include "core/exit_functions.h"
#include "corvane/joystick.h"
#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "input/joystick_internal.h"

extern "C" {

joystick_driver_rec *current_joystick_driver = nullptr;
int joystick_driver_id = 0;
int joystick_installed = 0;

}  // extern "C"

namespace corvane {

bool joystick_loading = false;

namespace {

bool chosen_by_id = false;

const driver_list_entry *joystick_driver_list() noexcept {
  system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->list_joystick_drivers != nullptr) return sys->list_joystick_drivers();
  return default_joystick_driver_list;
}

// Makes a driver current under an id, with its translated names, and opens it.
bool open_driver(joystick_driver_rec *driver, int id) noexcept {
  current_joystick_driver = driver;
  driver->name = driver->description = translate_text(driver->ascii_label);
  joystick_driver_id = id;
  return driver->open == nullptr || driver->open() == 0;
}

void forget_driver() noexcept {
  current_joystick_driver = nullptr;
  joystick_driver_id = 0;
}

bool valid_joystick(int n) noexcept {
  return n >= 0 && n < joystick_count && n < JOYSTICK_COUNT_MAX;
}

int clamp_strength(int value) noexcept { return value < 0 ? 0 : value > 255 ? 255 : value; }

}  // namespace

bool joystick_chosen_by_id() noexcept { return chosen_by_id; }

}  // namespace corvane

extern "C" {

int install_joystick(int id) noexcept {
  using namespace corvane;
  if (joystick_installed != 0) return 0;
  reset_joystick_state();
  error_text[0] = 0;

  const driver_list_entry *list = joystick_driver_list();
  bool opened = false;
  if (auto *listed = static_cast<joystick_driver_rec *>(find_driver_in_list(list, id));
      listed != nullptr) {
    chosen_by_id = true;
    opened = open_driver(listed, id);
    chosen_by_id = false;
    if (!opened) {
      if (error_text[0] == 0) {
        format_text_bounded(error_text, ERROR_TEXT_SIZE, translate_text("%s not found"),
                            listed->name);
      }
      forget_driver();
      reset_joystick_state();
      return -1;
    }
  } else {
    if (!joystick_loading && load_joystick_data(nullptr) != -1) return 0;
    for (const driver_list_entry *entry = list; entry != nullptr && entry->driver != nullptr;
         ++entry) {
      if (entry->autodetect == 0) continue;
      if (open_driver(static_cast<joystick_driver_rec *>(entry->driver), entry->id)) {
        opened = true;
        break;
      }
      // What a driver that did not open left in the table is not a joystick.
      reset_joystick_state();
    }
    if (!opened) forget_driver();
  }

  if (!opened) {
    reset_joystick_state();
    set_error_text("No joysticks found");
    return -1;
  }
  for (int n = 0; n < joystick_count && n < JOYSTICK_COUNT_MAX; ++n) {
    update_calibration_flags(joysticks[n]);
  }
  (void)poll_joystick();
  corvane::register_library_exit_func(remove_joystick, "remove_joystick");
  joystick_installed = -1;
  return 0;
}

void remove_joystick(void) noexcept {
  using namespace corvane;
  if (joystick_installed == 0) return;
  if (current_joystick_driver != nullptr && current_joystick_driver->close != nullptr) {
    current_joystick_driver->close();
  }
  forget_driver();
  reset_joystick_state();
  unregister_exit_func(remove_joystick);
  joystick_installed = 0;
}

int reinstall_joystick(void) noexcept {
  const int id = joystick_driver_id;
  if (joystick_installed != 0) remove_joystick();
  return install_joystick(id);
}

int poll_joystick(void) noexcept {
  joystick_driver_rec *driver = current_joystick_driver;
  if (driver == nullptr || driver->poll == nullptr) return -1;
  return driver->poll();
}

int calibrate_joystick(int n) noexcept {
  using namespace corvane;
  joystick_driver_rec *driver = current_joystick_driver;
  if (driver == nullptr || driver->calibrate == nullptr || !valid_joystick(n)) return -1;
  if ((joysticks[n].flags & JOYSTICK_FLAG_CALIBRATE) == 0) return -1;
  const int answer = driver->calibrate(n);
  if (answer == 0) update_calibration_flags(joysticks[n]);
  return answer;
}

const char *calibrate_joystick_name(int n) noexcept {
  using namespace corvane;
  joystick_driver_rec *driver = current_joystick_driver;
  if (driver == nullptr || driver->calibrate_name == nullptr || !valid_joystick(n)) return nullptr;
  return driver->calibrate_name(n);
}

int start_joystick_rumble(int n, int strong, int weak, int duration_ms) noexcept {
  using namespace corvane;
  joystick_driver_rec *driver = current_joystick_driver;
  if (driver == nullptr || !valid_joystick(n)) {
    set_error_text("No such joystick");
    return -1;
  }
  if (driver->rumble == nullptr ||
      driver->rumble(n, clamp_strength(strong), clamp_strength(weak), duration_ms) != 0) {
    set_error_text("This joystick cannot rumble");
    return -1;
  }
  return 0;
}

int stop_joystick_rumble(int n) noexcept { return start_joystick_rumble(n, 0, 0, 0); }

}  // extern "C"
