// The 16 handler slots: adding a handler (or changing its rate) and removing it, either through
// the driver's own bookkeeping or in the library's slot table.
#include <cerrno>
#include <climits>
#include <cstdint>

#include "corvane/system.h"
#include "corvane/timer.h"
#include "timer/timer_internal.h"

namespace corvane {

timer_slot timer_slots[TIMER_SLOT_COUNT] = {};

void clear_timer_slots() noexcept {
  for (timer_slot &slot : timer_slots) slot = timer_slot{};
}

namespace {

bool slot_is_free(const timer_slot &slot) noexcept {
  return slot.proc == nullptr && slot.param_proc == nullptr;
}

// The slot that holds the handler, or null. A null handler never matches: free slots hold nulls.
timer_slot *find_slot(void (*proc)(), void (*param_proc)(void *), void *param) noexcept {
  for (timer_slot &slot : timer_slots) {
    if (proc != nullptr && slot.proc == proc) return &slot;
    if (param_proc != nullptr && slot.param_proc == param_proc && slot.param == param) {
      return &slot;
    }
  }
  return nullptr;
}

timer_slot *first_free_slot() noexcept {
  for (timer_slot &slot : timer_slots) {
    if (slot_is_free(slot)) return &slot;
  }
  return nullptr;
}

int clamp_to_int(int64_t value) noexcept {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int add_timer_slot(void (*proc)(), void (*param_proc)(void *), void *param, int speed) noexcept {
  if (proc == nullptr && param_proc == nullptr) {
    set_error_number(EINVAL);
    return -1;
  }
  if (install_timer_system() != 0) return -1;
  timer_driver *driver = installed_timer_driver();
  if (driver != nullptr) {
    if (param_proc != nullptr && driver->install_param_int != nullptr) {
      return driver->install_param_int(param_proc, param, speed);
    }
    if (proc != nullptr && driver->install_int != nullptr) {
      return driver->install_int(proc, speed);
    }
  }

  // The search happens under the lock as well: a handler on the timer thread may be changing the
  // table at the same moment.
  timer_mutex_guard lock;
  timer_slot *slot = find_slot(proc, param_proc, param);
  if (slot == nullptr) {
    slot = first_free_slot();
    if (slot == nullptr) return -1;
    slot->counter = speed;
    slot->proc = proc;
    slot->param_proc = param_proc;
    slot->param = param;
    // Added from a handler: the pass running now is for time before this handler existed, so its
    // first call comes one full period from now.
    slot->added_in_pass = in_timer_dispatch();
  } else {
    // A change of rate: the time already waited counts toward the new period.
    slot->counter = clamp_to_int(int64_t{slot->counter} - slot->speed + speed);
  }
  slot->speed = speed;
  return 0;
}

void remove_timer_slot(void (*proc)(), void (*param_proc)(void *), void *param) noexcept {
  if (proc == nullptr && param_proc == nullptr) return;
  timer_driver *driver = installed_timer_driver();
  if (driver != nullptr) {
    if (param_proc != nullptr && driver->remove_param_int != nullptr) {
      driver->remove_param_int(param_proc, param);
      return;
    }
    if (proc != nullptr && driver->remove_int != nullptr) {
      driver->remove_int(proc);
      return;
    }
  }
  timer_mutex_guard lock;
  if (timer_slot *slot = find_slot(proc, param_proc, param)) *slot = timer_slot{};
}

}  // namespace
}  // namespace corvane

extern "C" {

int add_timer_handler(void (*proc)(void), int speed) noexcept {
  return corvane::add_timer_slot(proc, nullptr, nullptr, speed);
}

int add_timer_handler_ms(void (*proc)(void), int ms) noexcept {
  if (ms > INT_MAX / TICKS_PER_MS || ms < INT_MIN / TICKS_PER_MS) {
    set_error_number(EINVAL);
    return -1;
  }
  return corvane::add_timer_slot(proc, nullptr, nullptr, ms * TICKS_PER_MS);
}

int add_param_timer_handler(void (*proc)(void *), void *param, int speed) noexcept {
  return corvane::add_timer_slot(nullptr, proc, param, speed);
}

void remove_timer_handler(void (*proc)(void)) noexcept {
  corvane::remove_timer_slot(proc, nullptr, nullptr);
}

void remove_param_timer_handler(void (*proc)(void *), void *param) noexcept {
  corvane::remove_timer_slot(nullptr, proc, param);
}

}  // extern "C"
