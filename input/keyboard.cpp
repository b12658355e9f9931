// Installing and removing the keyboard, polled mode, the LEDs, the repeat settings and the input
// hooks of a program without a keyboard driver.
#include <atomic>

#include "core/exit_functions.h"
#include "corvane/config.h"
#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "input/keyboard_internal.h"

namespace corvane {

std::atomic<int> key_repeat_delay{250};
std::atomic<int> key_repeat_rate{33};
std::atomic<bool> repeat_rate_changed{false};
std::atomic<int> key_led_flag{-1};
std::atomic<int> shown_leds{-1};
std::atomic<bool> waiting_for_input{false};
int (*keypressed_hook)() = nullptr;
int (*readkey_hook)() = nullptr;

keyboard_driver_rec *installed_keyboard_driver() noexcept {
  return std::atomic_ref<keyboard_driver_rec *>(keyboard_driver).load(std::memory_order_acquire);
}

bool keyboard_is_polled() noexcept {
  return std::atomic_ref<int>(keyboard_polled).load(std::memory_order_acquire) != 0;
}

void set_keyboard_polled(bool polled) noexcept {
  std::atomic_ref<int>(keyboard_polled).store(polled ? -1 : 0, std::memory_order_release);
}

void tell_lowlevel_callback(int scancode) noexcept {
  auto callback =
      std::atomic_ref<void (*)(int)>(keyboard_lowlevel_callback).load(std::memory_order_acquire);
  if (callback != nullptr) callback(scancode);
}

void update_key_leds() noexcept {
  const int shifts = std::atomic_ref<int>(key_shifts).load(std::memory_order_relaxed);
  const int last = shown_leds.load(std::memory_order_relaxed);
  if (shifts == last) return;
  keyboard_driver_rec *driver = installed_keyboard_driver();
  if (driver != nullptr && driver->set_leds != nullptr &&
      key_led_flag.load(std::memory_order_relaxed) != 0 && ((shifts ^ last) & KEY_FLAG_LEDS) != 0) {
    driver->set_leds(shifts);
  }
  shown_leds.store(shifts, std::memory_order_relaxed);
}

namespace {

void set_driver(keyboard_driver_rec *driver) noexcept {
  std::atomic_ref<keyboard_driver_rec *>(keyboard_driver).store(driver, std::memory_order_release);
}

const driver_list_entry *keyboard_driver_list() noexcept {
  system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->list_keyboard_drivers != nullptr) {
    return sys->list_keyboard_drivers();
  }
  return default_keyboard_driver_list;
}

}  // namespace
}  // namespace corvane

extern "C" {

keyboard_driver_rec *keyboard_driver = nullptr;
signed char key_state[KEY_STATE_SIZE] = {};
int key_shifts = 0;
int keyboard_installed = 0;
int keyboard_polled = 0;
int three_finger_flag = -1;
void (*keyboard_lowlevel_callback)(int) = nullptr;

int install_keyboard(void) noexcept {
  using namespace corvane;
  if (installed_keyboard_driver() != nullptr) return 0;
  reset_keyboard_buffers();

  keyboard_driver_rec *chosen = nullptr;
  for (const driver_list_entry *entry = keyboard_driver_list();
       entry != nullptr && entry->driver != nullptr; ++entry) {
    auto *driver = static_cast<keyboard_driver_rec *>(entry->driver);
    set_driver(driver);
    driver->name = driver->description = translate_text(driver->ascii_label);
    if (driver->init == nullptr || driver->init() == 0) {
      chosen = driver;
      break;
    }
  }
  if (chosen == nullptr) {
    set_driver(nullptr);
    set_error_text_if_empty("No keyboard driver could be started");
    return -1;
  }

  set_keyboard_polled(chosen->poll != nullptr);
  set_key_leds(-1);
  // The timer comes up before the keyboard registers its removal, so that at shutdown (newest
  // first) the keyboard stops sending keys before the timer it repeats them with goes away.
  if (chosen->emulate_repeat != 0) (void)install_timer_system();
  corvane::register_library_exit_func(remove_keyboard, "remove_keyboard");
  std::atomic_ref<int>(keyboard_installed).store(-1, std::memory_order_relaxed);
  return 0;
}

void remove_keyboard(void) noexcept {
  using namespace corvane;
  keyboard_driver_rec *driver = installed_keyboard_driver();
  if (driver == nullptr) {
    unregister_exit_func(remove_keyboard);
    return;
  }
  set_key_leds(-1);
  if (repeat_rate_changed.load(std::memory_order_relaxed)) {
    set_key_repeat(250, 33);
    repeat_rate_changed.store(false, std::memory_order_relaxed);
  }
  // The repeat timer goes first: it types through the driver that is about to go away.
  cancel_key_repeat();
  if (driver->exit != nullptr) driver->exit();
  set_driver(nullptr);
  std::atomic_ref<int>(keyboard_installed).store(0, std::memory_order_relaxed);
  set_keyboard_polled(false);
  reset_keyboard_buffers();
  std::atomic_ref<int>(key_shifts).store(0, std::memory_order_relaxed);
  shown_leds.store(-1, std::memory_order_relaxed);
  unregister_exit_func(remove_keyboard);
}

int poll_keyboard(void) noexcept {
  using namespace corvane;
  keyboard_driver_rec *driver = installed_keyboard_driver();
  if (driver == nullptr) return -1;
  if (driver->poll != nullptr) {
    driver->poll();
    return 0;
  }
  if (!keyboard_is_polled()) {
    for (int i = 0; i < KEY_STATE_SIZE; ++i) store_key(raw_key_state, i, load_key(key_state, i));
    set_keyboard_polled(true);
    return 0;
  }
  for (int i = 1; i < KEY_MAX; ++i) {
    const signed char raw = load_key(raw_key_state, i);
    if (raw == load_key(key_state, i)) continue;
    store_key(key_state, i, raw);
    tell_lowlevel_callback(raw != 0 ? i : i + 0x80);
  }
  int code = 0;
  int index = 0;
  while (key_ring_take(pending_key_buffer, &code, &index))
    insert_typed_key(key_buffer, code, index);
  update_key_leds();
  return 0;
}

void set_key_leds(int flags) noexcept {
  using namespace corvane;
  int shown = flags;
  if (flags < 0) {
    key_led_flag.store(-1, std::memory_order_relaxed);
    shown = std::atomic_ref<int>(key_shifts).load(std::memory_order_relaxed);
  } else {
    key_led_flag.store(0, std::memory_order_relaxed);
  }
  keyboard_driver_rec *driver = installed_keyboard_driver();
  if (driver != nullptr && driver->set_leds != nullptr) driver->set_leds(shown);
  shown_leds.store(shown, std::memory_order_relaxed);
}

void set_key_repeat(int delay, int rate) noexcept {
  using namespace corvane;
  if (delay < 0) delay = 0;
  if (rate < 0) rate = 0;
  key_repeat_delay.store(delay, std::memory_order_relaxed);
  key_repeat_rate.store(rate, std::memory_order_relaxed);
  if (delay == 0) return;
  keyboard_driver_rec *driver = installed_keyboard_driver();
  if (driver != nullptr && driver->set_rate != nullptr) driver->set_rate(delay, rate);
  repeat_rate_changed.store(true, std::memory_order_relaxed);
}

void install_keyboard_hooks(int (*keypressed)(void), int (*readkey)(void)) noexcept {
  using namespace corvane;
  reset_keyboard_buffers();
  keypressed_hook = keypressed;
  readkey_hook = readkey;
}

int three_finger_combination(int index) noexcept {
  if (index != KEY_END) return 0;
  if (std::atomic_ref<int>(three_finger_flag).load(std::memory_order_relaxed) == 0) return 0;
  const int shifts = std::atomic_ref<int>(key_shifts).load(std::memory_order_relaxed);
  return (shifts & (KEY_FLAG_CONTROL | KEY_FLAG_ALT)) != 0 ? -1 : 0;
}

}  // extern "C"
