// Waiting for the display's vertical retrace: the graphics driver's own wait where it has one, the
// timer's simulated retrace otherwise (or while the display is switched away).
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "corvane/gfx.h"
#include "corvane/system.h"
#include "corvane/timer.h"

namespace {

// How many simulated retrace periods to wait for the counter to move before deciding that no
// timer is counting (a timer driver without a heartbeat of its own).
constexpr int simulated_periods_to_wait = 4;
constexpr auto poll_interval = std::chrono::milliseconds(1);

// Sleeps until the timer's retrace counter moves on. False when it stays still for several
// periods.
bool wait_for_simulated_retrace() noexcept {
  int speed = std::atomic_ref<int>(vsync_speed).load(std::memory_order_relaxed);
  if (speed <= 0) speed = DEFAULT_VSYNC_SPEED;
  const auto period = std::chrono::microseconds(int64_t{speed} * 1000000 / TIMER_TICKS_PER_SECOND);
  const auto give_up = std::chrono::steady_clock::now() + simulated_periods_to_wait * period;
  const int start = get_retrace_count();
  while (get_retrace_count() == start) {
    if (std::chrono::steady_clock::now() >= give_up) return false;
    std::this_thread::sleep_for(poll_interval);
  }
  return true;
}

}  // namespace

extern "C" {

int wait_for_vsync(void) noexcept {
  gfx_driver *driver = current_gfx_driver;
  if (driver == nullptr || screen_bitmap == nullptr) {
    set_error_text("No graphics mode is open");
    return -1;
  }
  if (wait_for_retrace == 0) return 0;
  if (driver->wait_retrace != nullptr && !display_switched_away()) {
    driver->wait_retrace();
    return 0;
  }
  if (current_timer_driver == nullptr) {
    set_error_text("The display cannot wait for the retrace and no timer counts it");
    return -1;
  }
  if (!wait_for_simulated_retrace()) {
    set_error_text("The timer does not count the retrace");
    return -1;
  }
  return 0;
}

}  // extern "C"
