// A keyboard driver of the tests' own: it records what the library asks of it, and tests feed it
// keys through handle_key_press and handle_key_release as a platform driver would.
#ifndef CORVANE_TESTS_SUPPORT_TEST_KEYBOARD_H
#define CORVANE_TESTS_SUPPORT_TEST_KEYBOARD_H

#include <utility>
#include <vector>

#include "corvane/keyboard.h"

namespace corvane::testing {

struct test_keyboard {
  keyboard_driver_rec driver{};
  int init_calls = 0;
  int exit_calls = 0;
  int init_result = 0;
  std::vector<int> leds;                   // every set_leds call
  std::vector<std::pair<int, int>> rates;  // every set_rate call
  int poll_calls = 0;
};

// The one test keyboard of the process, 'TKBD'. reset_test_keyboard() gives it fresh counters,
// emulate_repeat set, set_leds and set_rate, and no poll operation.
test_keyboard &the_test_keyboard();
void reset_test_keyboard();

// Gives the test keyboard a poll operation (counted in poll_calls).
void give_test_keyboard_poll();

// A driver list holding only the test keyboard.
driver_list_entry *test_keyboard_list();

// Starts the library with the test system (with mutexes), the manual timer as its timer driver
// and the test keyboard as its keyboard driver. The test keyboard keeps whatever a test set.
int start_with_test_keyboard();

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_TEST_KEYBOARD_H
