// The display-switch policy and the two groups of switch callbacks that platform drivers run when
// the program loses or regains the display.
#include <atomic>

#include "corvane/system.h"
#include "corvane/timer.h"

namespace {

using switch_callback = void (*)();

std::atomic<int> switch_mode{SWITCH_PAUSE};

// The callbacks are set on the program's thread and run on whichever thread the platform reports
// the switch on.
std::atomic<switch_callback> callbacks[2][SWITCH_CALLBACK_SLOTS];

void clear_callbacks() noexcept {
  for (auto &group : callbacks) {
    for (auto &slot : group) slot.store(nullptr, std::memory_order_release);
  }
}

void run_group(int group) noexcept {
  for (auto &slot : callbacks[group]) {
    if (switch_callback callback = slot.load(std::memory_order_acquire)) callback();
  }
}

bool valid_group(int group) noexcept { return group == SWITCH_IN || group == SWITCH_OUT; }

}  // namespace

extern "C" {

int set_switch_policy(int mode) noexcept {
  system_driver *sys = current_system_driver;
  if (sys == nullptr) return -1;
  if (sys->set_switch_mode == nullptr) return mode == SWITCH_NONE ? 0 : -1;
  const int result = sys->set_switch_mode(mode);
  if (result != 0) return result;
  clear_callbacks();
  switch_mode.store(mode, std::memory_order_relaxed);
  return 0;
}

int get_switch_policy(void) noexcept { return switch_mode.load(std::memory_order_relaxed); }

int add_switch_callback(int group, void (*callback)(void)) noexcept {
  if (!valid_group(group) || callback == nullptr) return -1;
  for (auto &slot : callbacks[group]) {
    if (slot.load(std::memory_order_acquire) == callback) return 0;
  }
  for (auto &slot : callbacks[group]) {
    switch_callback expected = nullptr;
    if (slot.compare_exchange_strong(expected, callback, std::memory_order_acq_rel)) return 0;
  }
  return -1;
}

void remove_switch_callback(int group, void (*callback)(void)) noexcept {
  if (!valid_group(group) || callback == nullptr) return;
  for (auto &slot : callbacks[group]) {
    switch_callback expected = callback;
    slot.compare_exchange_strong(expected, nullptr, std::memory_order_acq_rel);
  }
}

void run_switch_in_callbacks(void) noexcept { run_group(SWITCH_IN); }

void run_switch_out_callbacks(void) noexcept { run_group(SWITCH_OUT); }

}  // extern "C"
