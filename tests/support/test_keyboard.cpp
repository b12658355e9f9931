// The keyboard driver of the tests.
#include "support/test_keyboard.h"

#include "support/manual_timer.h"
#include "support/test_system.h"

namespace corvane::testing {
namespace {

test_keyboard the_keyboard;
driver_list_entry the_list[2] = {};

int keyboard_init() {
  ++the_keyboard.init_calls;
  return the_keyboard.init_result;
}
void keyboard_exit() { ++the_keyboard.exit_calls; }
void keyboard_set_leds(int flags) { the_keyboard.leds.push_back(flags); }
void keyboard_set_rate(int delay, int rate) { the_keyboard.rates.emplace_back(delay, rate); }
void keyboard_poll() { ++the_keyboard.poll_calls; }

}  // namespace

test_keyboard &the_test_keyboard() { return the_keyboard; }

void reset_test_keyboard() {
  the_keyboard = test_keyboard{};
  keyboard_driver_rec &d = the_keyboard.driver;
  d.id = CORVANE_ID('T', 'K', 'B', 'D');
  d.name = empty_string;
  d.description = empty_string;
  d.ascii_label = "Test keyboard";
  d.emulate_repeat = -1;
  d.init = keyboard_init;
  d.exit = keyboard_exit;
  d.set_leds = keyboard_set_leds;
  d.set_rate = keyboard_set_rate;
}

void give_test_keyboard_poll() { the_keyboard.driver.poll = keyboard_poll; }

driver_list_entry *test_keyboard_list() {
  if (the_keyboard.driver.init == nullptr) reset_test_keyboard();
  the_list[0] = driver_list_entry{the_keyboard.driver.id, &the_keyboard.driver, -1};
  the_list[1] = driver_list_entry{0, nullptr, 0};
  return the_list;
}

int start_with_test_keyboard() {
  const int result = start_with_manual_timer();
  the_test_system().keyboard_drivers = test_keyboard_list();
  return result;
}

}  // namespace corvane::testing
