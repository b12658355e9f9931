// A timer driver without a thread, for tests that advance time by calling timer_dispatch
// themselves, so that every timing check is exact.
#ifndef CORVANE_TESTS_SUPPORT_MANUAL_TIMER_H
#define CORVANE_TESTS_SUPPORT_MANUAL_TIMER_H

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

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_MANUAL_TIMER_H
