// Emulated key repeat: a timer handler that types the held key again, first after the repeat
// delay and then at the repeat rate, until the key is released or another key takes over. The
// repeat state changes under the timer mutex, so the handler never sees it half-changed.
#include <atomic>

#include "corvane/keyboard.h"
#include "corvane/timer.h"
#include "input/keyboard_internal.h"
#include "timer/timer_internal.h"

namespace corvane {

std::atomic<int> repeat_key{-1};
std::atomic<int> repeat_scancode{-1};

namespace {

void repeat_timer() {
  const int scancode = repeat_scancode.load(std::memory_order_relaxed);
  if (scancode < 0) return;
  handle_key_press(repeat_key.load(std::memory_order_relaxed), scancode);
  // The rate-change rule of the timer keeps the time already waited, so the repeats stay on a
  // fixed schedule.
  add_timer_handler_ms(repeat_timer, key_repeat_rate.load(std::memory_order_relaxed));
}

}  // namespace

void start_key_repeat(int code, int index) noexcept {
  keyboard_driver_rec *driver = installed_keyboard_driver();
  if (driver == nullptr || driver->emulate_repeat == 0) return;
  const int delay = key_repeat_delay.load(std::memory_order_relaxed);
  if (delay == 0 || code < 0 || index <= 0 || index >= KEY_MAX || index == KEY_PAUSE) return;

  timer_mutex_guard lock;
  if (repeat_key.load(std::memory_order_relaxed) == code &&
      repeat_scancode.load(std::memory_order_relaxed) == index) {
    return;
  }
  repeat_key.store(code, std::memory_order_relaxed);
  repeat_scancode.store(index, std::memory_order_relaxed);
  remove_timer_handler(repeat_timer);
  add_timer_handler_ms(repeat_timer, delay);
}

void stop_key_repeat(int index) noexcept {
  if (index < 0 || repeat_scancode.load(std::memory_order_relaxed) != index) return;
  timer_mutex_guard lock;
  if (repeat_scancode.load(std::memory_order_relaxed) != index) return;
  remove_timer_handler(repeat_timer);
  repeat_key.store(-1, std::memory_order_relaxed);
  repeat_scancode.store(-1, std::memory_order_relaxed);
}

void cancel_key_repeat() noexcept {
  timer_mutex_guard lock;
  if (repeat_scancode.load(std::memory_order_relaxed) < 0) return;
  remove_timer_handler(repeat_timer);
  repeat_key.store(-1, std::memory_order_relaxed);
  repeat_scancode.store(-1, std::memory_order_relaxed);
}

}  // namespace corvane
