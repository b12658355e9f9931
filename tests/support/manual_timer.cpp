// The threadless timer driver of the tests.
#include "support/manual_timer.h"

#include <chrono>

#include "support/test_system.h"

namespace corvane::testing {
namespace {

manual_timer the_timer;
driver_list_entry the_list[2] = {};

int manual_init() {
  ++the_timer.init_calls;
  return the_timer.init_result;
}
void manual_exit() { ++the_timer.exit_calls; }

}  // namespace

manual_timer &the_manual_timer() { return the_timer; }

void reset_manual_timer() {
  the_timer = manual_timer{};
  timer_driver &d = the_timer.driver;
  d.id = CORVANE_ID('M', 'A', 'N', 'U');
  d.name = empty_string;
  d.description = empty_string;
  d.ascii_label = "Manual timer";
  d.init = manual_init;
  d.exit = manual_exit;
}

driver_list_entry *manual_timer_list() {
  if (the_timer.driver.init == nullptr) reset_manual_timer();
  the_list[0] = driver_list_entry{the_timer.driver.id, &the_timer.driver, -1};
  the_list[1] = driver_list_entry{0, nullptr, 0};
  return the_list;
}

int start_with_manual_timer() {
  reset_test_system();
  if (the_timer.driver.init == nullptr) reset_manual_timer();
  const int result = start_with_test_system();
  give_test_system_mutexes();
  the_test_system().timer_drivers = manual_timer_list();
  return result;
}

void advance_ticks(int ticks) { timer_dispatch(ticks); }

void advance_ms(int ms) { timer_dispatch(ms * TICKS_PER_MS); }

background_ticker::background_ticker(int ticks_per_beat)
    : thread_([this, ticks_per_beat] {
        while (running_.load()) {
          std::this_thread::sleep_for(std::chrono::milliseconds(3));
          timer_dispatch(ticks_per_beat);
          ++beats_;
        }
      }) {}

background_ticker::~background_ticker() {
  running_.store(false);
  thread_.join();
}

}  // namespace corvane::testing
