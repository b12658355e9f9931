// Asking the timer driver to simulate the vertical retrace in step with the display.
#include "corvane/timer.h"
#include "timer/timer_internal.h"

extern "C" {

int retrace_simulation_possible(int argument) noexcept {
  timer_driver *driver = corvane::installed_timer_driver();
  if (driver == nullptr || driver->can_simulate_retrace == nullptr) return 0;
  return driver->can_simulate_retrace(argument);
}

int simulate_retrace_mode(int argument) noexcept {
  const int possible = retrace_simulation_possible(argument);
  if (possible != 0) {
    timer_driver *driver = corvane::installed_timer_driver();
    if (driver != nullptr && driver->simulate_retrace != nullptr)
      driver->simulate_retrace(argument);
  }
  return possible;
}

}  // extern "C"
