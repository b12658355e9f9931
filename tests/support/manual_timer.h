// A timer driver without a thread, for tests that advance time by calling timer_dispatch
// themselves, so that every timing check is exact.
#ifndef CORVANE_TESTS_SUPPORT_MANUAL_TIMER_H
#define CORVANE_TESTS_SUPPORT_MANUAL_TIMER_H

#include <atomic>
#include <thread>

#include "corvane/timer.h"

namespace corvane::testing {

struct manual_timer {
  timer_driver driver{};
  int init_calls = 0;
  int exit_calls = 0;
  int init_result = 0;  // what init returns
};

// The one manual timer of the process, 'MANU'; reset_manual_timer() gives fresh counters.
manual_timer &the_manual_timer();
void reset_manual_timer();

// A driver list holding only the manual timer.
driver_list_entry *manual_timer_list();

// Starts the library with a fresh test system, gives it mutexes and makes the manual timer its
// only timer driver (the manual timer keeps whatever operations a test gave it). Returns
// start-up's result.
int start_with_manual_timer();

// Hands elapsed time to the dispatcher in one call.
void advance_ticks(int ticks);
void advance_ms(int ms);

// A heartbeat for the manual timer on a thread of its own, for tests of calls that wait for the
// timer: every few milliseconds it hands the given ticks to the dispatcher, until it is
// destroyed. beats() tells how many times it has done so.
class background_ticker {
 public:
  explicit background_ticker(int ticks_per_beat);
  ~background_ticker();
  background_ticker(const background_ticker &) = delete;
  background_ticker &operator=(const background_ticker &) = delete;

  int beats() const { return beats_.load(); }

 private:
  std::atomic<bool> running_{true};
  std::atomic<int> beats_{0};
  std::thread thread_;
};

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_MANUAL_TIMER_H
