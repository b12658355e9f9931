// The driver side of the keyboard: presses and releases reported by a platform driver (on its own
// thread) or by the repeat timer (on the timer thread). In direct mode they change key_state and
// the key buffer at once; in polled mode they are staged until the program calls poll_keyboard.
#include <atomic>

#include "corvane/keyboard.h"
#include "input/keyboard_internal.h"

namespace corvane {
namespace {

bool valid_index(int index) noexcept { return index > 0 && index < KEY_MAX; }

// Direct mode when the driver polls itself or the program never asked for polling.
bool use_polled_path(const keyboard_driver_rec *driver) noexcept {
  if (driver != nullptr && driver->poll != nullptr) return false;
  return keyboard_is_polled();
}

}  // namespace

void insert_typed_key(key_ring &ring, int code, int index) noexcept {
  if (!key_ring_insert(ring, code, index)) return;
  // After the insertion, so that the woken reader finds the key.
  keyboard_driver_rec *driver = installed_keyboard_driver();
  if (driver != nullptr && driver->stop_waiting_for_input != nullptr &&
      waiting_for_input.load(std::memory_order_seq_cst)) {
    driver->stop_waiting_for_input();
  }
}

}  // namespace corvane

extern "C" {

void handle_key_press(int character, int index) noexcept {
  using namespace corvane;
  keyboard_driver_rec *driver = installed_keyboard_driver();
  const bool polled = use_polled_path(driver);
  signed char *state = polled ? raw_key_state : key_state;
  const bool valid = valid_index(index);

  if (valid) {
    // Without repeat a held key that the platform reports again does not type again.
    if (key_repeat_delay.load(std::memory_order_relaxed) == 0 && load_key(state, index) != 0) {
      return;
    }
    store_key(state, index, -1);
    if (!polled) tell_lowlevel_callback(index);
  }
  if (character >= 0) {
    insert_typed_key(polled ? pending_key_buffer : key_buffer, character, valid ? index : 0);
  }
  if (!polled) update_key_leds();
  start_key_repeat(character, index);
}

void handle_key_release(int index) noexcept {
  using namespace corvane;
  stop_key_repeat(index);
  if (!valid_index(index)) return;
  if (use_polled_path(installed_keyboard_driver())) {
    store_key(raw_key_state, index, 0);
    return;
  }
  store_key(key_state, index, 0);
  tell_lowlevel_callback(index + 0x80);
  update_key_leds();
}

}  // extern "C"
