// The mouse driver of the tests.
#include "support/test_mouse.h"

#include <atomic>

#include "support/manual_timer.h"
#include "support/test_system.h"

namespace corvane::testing {
namespace {

test_mouse the_mouse;
driver_list_entry the_list[2] = {};

int raw(int &value) { return std::atomic_ref<int>(value).load(); }

int mouse_init() {
  ++the_mouse.init_calls;
  return the_mouse.init_result;
}
void mouse_exit() { ++the_mouse.exit_calls; }
void mouse_poll() { ++the_mouse.poll_calls; }
void mouse_timer_poll() { ++the_mouse.timer_poll_calls; }
void mouse_position(int x, int y) {
  the_mouse.positions.emplace_back(x, y);
  handle_mouse_input(x, y, raw(raw_mouse_z), raw(raw_mouse_b));
}
void mouse_set_speed(int x, int y) { the_mouse.speeds.emplace_back(x, y); }
void mouse_get_mickeys(int *dx, int *dy) {
  *dx = the_mouse.mickey_x;
  *dy = the_mouse.mickey_y;
  the_mouse.mickey_x = the_mouse.mickey_y = 0;
}
void mouse_enable_hardware_cursor(int mode) { the_mouse.hardware_cursor_modes.push_back(mode); }
int mouse_select_system_cursor(int cursor) {
  the_mouse.system_cursors_asked.push_back(cursor);
  return cursor == the_mouse.accepted_system_cursor ? cursor : 0;
}

}  // namespace

test_mouse &the_test_mouse() { return the_mouse; }

void reset_test_mouse() {
  the_mouse = test_mouse{};
  mouse_driver &d = the_mouse.driver;
  d.id = CORVANE_ID('T', 'M', 'O', 'U');
  d.name = empty_string;
  d.description = empty_string;
  d.ascii_label = "Test mouse";
  d.init = mouse_init;
  d.exit = mouse_exit;
  d.position = mouse_position;
  d.set_speed = mouse_set_speed;
  d.get_mickeys = mouse_get_mickeys;
  d.enable_hardware_cursor = mouse_enable_hardware_cursor;
  d.select_system_cursor = mouse_select_system_cursor;
}

void give_test_mouse_poll() { the_mouse.driver.poll = mouse_poll; }
void give_test_mouse_timer_poll() { the_mouse.driver.timer_poll = mouse_timer_poll; }

driver_list_entry *test_mouse_list() {
  if (the_mouse.driver.init == nullptr) reset_test_mouse();
  the_list[0] = driver_list_entry{the_mouse.driver.id, &the_mouse.driver, -1};
  the_list[1] = driver_list_entry{0, nullptr, 0};
  return the_list;
}

int start_with_test_mouse() {
  const int result = start_with_manual_timer();
  the_test_system().mouse_drivers = test_mouse_list();
  return result;
}

void move_test_mouse(int x, int y) { handle_mouse_input(x, y, raw(raw_mouse_z), raw(raw_mouse_b)); }

void press_test_mouse(int buttons) {
  handle_mouse_input(raw(raw_mouse_x), raw(raw_mouse_y), raw(raw_mouse_z), buttons);
}

}  // namespace corvane::testing
