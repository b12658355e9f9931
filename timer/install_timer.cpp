// Installing and removing the timer system: choosing the timer driver, creating the timer mutex
// and registering the exit function. Removal may come from a handler on the timer thread.
#include <atomic>
#include <mutex>

#include "core/exit_functions.h"
#include "core/module_hooks.h"
#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "timer/timer_internal.h"

namespace corvane {

std::atomic<int> timer_installed{0};

namespace {

// While a display switch-in draws the saved bitmaps back, the timer system counts as not
// installed; afterwards it is what it was. Switch-ins do not nest.
int installed_before_switch_in = 0;

void note_switch_in(bool starting) noexcept {
  if (starting) {
    installed_before_switch_in = timer_installed.exchange(0, std::memory_order_acq_rel);
  } else {
    timer_installed.store(installed_before_switch_in, std::memory_order_release);
  }
}

struct switch_in_registration {
  switch_in_registration() noexcept { switch_in_hook.store(note_switch_in); }
} registration;

}  // namespace

timer_driver *installed_timer_driver() noexcept {
  return std::atomic_ref<timer_driver *>(current_timer_driver).load(std::memory_order_acquire);
}

namespace {

// Serialises install and remove: the first timer handler may be added from the keyboard's event
// thread while the program installs the timer system itself.
std::mutex install_mutex;

void set_current(timer_driver *driver) noexcept {
  std::atomic_ref<timer_driver *>(current_timer_driver).store(driver, std::memory_order_release);
}

const driver_list_entry *timer_driver_list() noexcept {
  system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->list_timer_drivers != nullptr) return sys->list_timer_drivers();
  return default_timer_driver_list;
}

}  // namespace
}  // namespace corvane

extern "C" {

timer_driver *current_timer_driver = nullptr;

int install_timer_system(void) noexcept {
  using namespace corvane;
  if (installed_timer_driver() != nullptr) return 0;
  std::lock_guard<std::mutex> serialise(install_mutex);
  if (installed_timer_driver() != nullptr) return 0;

  clear_timer_slots();
  reset_timer_dispatch();
  const driver_list_entry *list = timer_driver_list();
  if (!create_timer_mutex()) {
    set_error_text_if_empty("Unable to create the timer mutex");
    return -1;
  }

  for (const driver_list_entry *entry = list; entry != nullptr && entry->driver != nullptr;
       ++entry) {
    auto *driver = static_cast<timer_driver *>(entry->driver);
    set_current(driver);
    driver->name = driver->description = translate_text(driver->ascii_label);
    if (driver->init == nullptr || driver->init() == 0) {
      corvane::register_library_exit_func(remove_timer, "remove_timer");
      timer_installed.store(-1, std::memory_order_relaxed);
      return 0;
    }
  }

  set_current(nullptr);
  destroy_timer_mutex();
  set_error_text_if_empty("No timer driver could be started");
  return -1;
}

void remove_timer(void) noexcept {
  using namespace corvane;
  if (in_timer_dispatch()) {
    // From a handler (shutdown_corvane called there, say): joining the timer thread would wait
    // for itself. Everything else happens now; the driver lets its own thread end once the
    // handler returns, and the dispatch destroys the mutex it still holds. Another thread that is
    // removing the timer system at this moment waits for this one, so this one gives way.
    std::unique_lock<std::mutex> serialise(install_mutex, std::try_to_lock);
    if (!serialise.owns_lock()) return;
    timer_driver *driver = installed_timer_driver();
    if (driver == nullptr) return;
    if (driver->exit != nullptr) driver->exit();
    set_current(nullptr);
    clear_timer_slots();  // the dispatch holds the timer mutex
    abandon_timer_dispatch(detach_timer_mutex());
    unregister_exit_func(remove_timer);
    timer_installed.store(0, std::memory_order_relaxed);
    return;
  }
  std::lock_guard<std::mutex> serialise(install_mutex);
  timer_driver *driver = installed_timer_driver();
  if (driver == nullptr) return;

  if (driver->exit != nullptr) driver->exit();
  set_current(nullptr);
  {
    timer_mutex_guard lock;
    clear_timer_slots();
  }
  destroy_timer_mutex();
  unregister_exit_func(remove_timer);
  timer_installed.store(0, std::memory_order_relaxed);
}

}  // extern "C"
