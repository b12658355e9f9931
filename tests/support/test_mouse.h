// A mouse driver of the tests' own: it records what the library asks of it, reports positions it
// is told to move to as a platform driver would, and tests feed it input through
// handle_mouse_input.
#ifndef CORVANE_TESTS_SUPPORT_TEST_MOUSE_H
#define CORVANE_TESTS_SUPPORT_TEST_MOUSE_H

#include <utility>
#include <vector>

#include "corvane/mouse.h"

namespace corvane::testing {

struct test_mouse {
  mouse_driver driver{};
  int init_result = 3;  // what init returns: the number of buttons, or below 0 to fail
  int init_calls = 0;
  int exit_calls = 0;
  int poll_calls = 0;
  int timer_poll_calls = 0;
  int accepted_system_cursor = 0;  // the one cursor select_system_cursor takes, 0 for none
  int mickey_x = 0;                // handed out (and reset) by get_mickeys
  int mickey_y = 0;
  std::vector<std::pair<int, int>> positions;  // every position call
  std::vector<std::pair<int, int>> speeds;     // every set_speed call
  std::vector<int> hardware_cursor_modes;      // every enable_hardware_cursor call
  std::vector<int> system_cursors_asked;       // every select_system_cursor call
};

// The one test mouse of the process, 'TMOU'. reset_test_mouse() gives it fresh counters and init,
// exit, position (which reports the new position with the raw wheel and buttons), set_speed,
// get_mickeys, enable_hardware_cursor and select_system_cursor; no poll, timer_poll or set_range.
test_mouse &the_test_mouse();
void reset_test_mouse();

// Gives the test mouse a poll / timer_poll operation (counted).
void give_test_mouse_poll();
void give_test_mouse_timer_poll();

// A driver list holding only the test mouse.
driver_list_entry *test_mouse_list();

// Starts the library with the test system (with mutexes), the manual timer as its timer driver
// and the test mouse as its mouse driver. The test mouse keeps whatever a test set.
int start_with_test_mouse();

// Reports a position with the current raw wheel and buttons, and buttons at the current raw
// position and wheel.
void move_test_mouse(int x, int y);
void press_test_mouse(int buttons);

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_TEST_MOUSE_H
