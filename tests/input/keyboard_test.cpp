// Installing and removing the keyboard, key state and the low-level callback, the LEDs, the
// repeat settings, the input hooks and the three-finger combination.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "core/exit_functions.h"
#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "input/keyboard_internal.h"
#include "support/manual_timer.h"
#include "support/test_keyboard.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

std::vector<int> lowlevel;
void record_lowlevel(int scancode) { lowlevel.push_back(scancode); }

bool exit_registered(void (*function)(), const char *description) {
  for (auto *node = corvane::exit_func_head(); node != nullptr; node = node->next) {
    if (node->function == function) return std::strcmp(node->description, description) == 0;
  }
  return false;
}

void set_shifts(int flags) { std::atomic_ref<int>(key_shifts).store(flags); }

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lowlevel.clear();
    reset_test_keyboard();
    ASSERT_EQ(start_with_test_keyboard(), 0);
  }
  void TearDown() override {
    keyboard_lowlevel_callback = nullptr;
    shutdown_corvane();
  }
};

TEST_F(KeyboardTest, InstallChoosesNamesAndRegistersTheDriver) {
  ASSERT_EQ(install_keyboard(), 0);
  EXPECT_EQ(keyboard_driver, &the_test_keyboard().driver);
  EXPECT_STREQ(keyboard_driver->name, "Test keyboard");
  EXPECT_EQ(keyboard_installed, -1);
  EXPECT_EQ(keyboard_polled, 0);
  EXPECT_TRUE(exit_registered(remove_keyboard, "remove_keyboard"));
  // The LEDs are set to key_shifts at once.
  EXPECT_EQ(the_test_keyboard().leds, std::vector<int>{0});
  // A driver that wants emulated repeat brings up the timer system.
  EXPECT_EQ(current_timer_driver, &the_manual_timer().driver);

  EXPECT_EQ(install_keyboard(), 0);
  EXPECT_EQ(the_test_keyboard().init_calls, 1);
}

TEST_F(KeyboardTest, DriversAreTriedInOrderWhateverTheirAutodetectFlag) {
  keyboard_driver_rec failing = the_test_keyboard().driver;
  failing.id = CORVANE_ID('F', 'A', 'I', 'L');
  failing.init = [] { return -1; };
  driver_list_entry list[] = {
      {failing.id, &failing, 0},
      {the_test_keyboard().driver.id, &the_test_keyboard().driver, 0},
      {0, nullptr, 0},
  };
  the_test_system().keyboard_drivers = list;
  ASSERT_EQ(install_keyboard(), 0);
  EXPECT_EQ(keyboard_driver, &the_test_keyboard().driver);
}

TEST_F(KeyboardTest, NoDriverStartingFails) {
  the_test_keyboard().init_result = -1;
  EXPECT_EQ(install_keyboard(), -1);
  EXPECT_EQ(keyboard_driver, nullptr);
  EXPECT_EQ(keyboard_installed, 0);
  EXPECT_FALSE(exit_registered(remove_keyboard, "remove_keyboard"));
  the_test_system().keyboard_drivers = empty_driver_list;
  EXPECT_EQ(install_keyboard(), -1);
}

TEST_F(KeyboardTest, DriverWithoutRepeatLeavesTheTimerAlone) {
  the_test_keyboard().driver.emulate_repeat = 0;
  ASSERT_EQ(install_keyboard(), 0);
  EXPECT_EQ(current_timer_driver, nullptr);
}

TEST_F(KeyboardTest, PressesAndReleasesChangeKeyStateAndTellTheCallback) {
  ASSERT_EQ(install_keyboard(), 0);
  keyboard_lowlevel_callback = record_lowlevel;
  handle_key_press('a', KEY_A);
  handle_key_press(-1, KEY_LSHIFT);
  EXPECT_EQ(key_state[KEY_A], -1);
  EXPECT_EQ(key_state[KEY_LSHIFT], -1);
  handle_key_release(KEY_A);
  EXPECT_EQ(key_state[KEY_A], 0);
  EXPECT_EQ(lowlevel, (std::vector<int>{KEY_A, KEY_LSHIFT, KEY_A + 0x80}));
}

TEST_F(KeyboardTest, WithoutRepeatAHeldKeyReportedAgainDoesNotType) {
  ASSERT_EQ(install_keyboard(), 0);
  set_key_repeat(0, 0);
  handle_key_press('a', KEY_A);
  handle_key_press('a', KEY_A);  // the platform repeats the held key
  handle_key_press('a', KEY_A);
  handle_key_release(KEY_A);
  handle_key_press('a', KEY_A);
  int typed = 0;
  while (key_waiting() != 0) {
    EXPECT_EQ(read_key(), (KEY_A << 8) | 'a');
    ++typed;
  }
  EXPECT_EQ(typed, 2);
}

TEST_F(KeyboardTest, WithRepeatAHeldKeyReportedAgainTypesAgain) {
  ASSERT_EQ(install_keyboard(), 0);
  handle_key_press('a', KEY_A);
  handle_key_press('a', KEY_A);
  int typed = 0;
  while (key_waiting() != 0) {
    read_key();
    ++typed;
  }
  EXPECT_EQ(typed, 2);
}

TEST_F(KeyboardTest, LedsFollowOnlyChangesOfTheLockFlags) {
  ASSERT_EQ(install_keyboard(), 0);
  auto &leds = the_test_keyboard().leds;
  leds.clear();
  set_shifts(KEY_FLAG_SHIFT);
  handle_key_press(-1, KEY_LSHIFT);
  EXPECT_TRUE(leds.empty());  // shift is no lock flag
  set_shifts(KEY_FLAG_SHIFT | KEY_FLAG_CAPS_LOCK);
  handle_key_press(-1, KEY_CAPSLOCK);
  EXPECT_EQ(leds, std::vector<int>{KEY_FLAG_SHIFT | KEY_FLAG_CAPS_LOCK});
  handle_key_release(KEY_CAPSLOCK);  // unchanged flags: nothing
  EXPECT_EQ(leds.size(), 1u);
  set_shifts(KEY_FLAG_CAPS_LOCK);
  handle_key_release(KEY_LSHIFT);
  EXPECT_EQ(leds.size(), 1u);
}

TEST_F(KeyboardTest, SetKeyLedsTakesTheLedsAwayFromKeyShiftsAndGivesThemBack) {
  ASSERT_EQ(install_keyboard(), 0);
  auto &leds = the_test_keyboard().leds;
  leds.clear();
  set_key_leds(KEY_FLAG_NUM_LOCK);
  EXPECT_EQ(leds, std::vector<int>{KEY_FLAG_NUM_LOCK});
  set_shifts(KEY_FLAG_CAPS_LOCK);
  handle_key_press(-1, KEY_CAPSLOCK);
  EXPECT_EQ(leds.size(), 1u);  // the program owns the LEDs now
  set_key_leds(-1);
  EXPECT_EQ(leds, (std::vector<int>{KEY_FLAG_NUM_LOCK, KEY_FLAG_CAPS_LOCK}));
  set_shifts(0);
  handle_key_release(KEY_CAPSLOCK);
  EXPECT_EQ(leds.back(), 0);
}

TEST_F(KeyboardTest, SetKeyRepeatTellsTheDriverUnlessRepeatIsOff) {
  ASSERT_EQ(install_keyboard(), 0);
  set_key_repeat(0, 10);
  EXPECT_TRUE(the_test_keyboard().rates.empty());
  set_key_repeat(500, 50);
  EXPECT_EQ(the_test_keyboard().rates, (std::vector<std::pair<int, int>>{{500, 50}}));
  EXPECT_EQ(corvane::key_repeat_delay.load(), 500);
  EXPECT_EQ(corvane::key_repeat_rate.load(), 50);
  set_key_repeat(-5, -1);
  EXPECT_EQ(corvane::key_repeat_delay.load(), 0);
  EXPECT_EQ(corvane::key_repeat_rate.load(), 0);
}

TEST_F(KeyboardTest, RemoveRestoresTheDefaultsAndForgetsEverything) {
  ASSERT_EQ(install_keyboard(), 0);
  set_key_repeat(500, 50);
  set_shifts(KEY_FLAG_CAPS_LOCK);
  handle_key_press('a', KEY_A);
  remove_keyboard();
  EXPECT_EQ(the_test_keyboard().exit_calls, 1);
  EXPECT_EQ(the_test_keyboard().rates.back(), std::make_pair(250, 33));
  EXPECT_EQ(corvane::key_repeat_delay.load(), 250);
  EXPECT_EQ(keyboard_driver, nullptr);
  EXPECT_EQ(keyboard_installed, 0);
  EXPECT_EQ(key_shifts, 0);
  EXPECT_EQ(key_state[KEY_A], 0);
  EXPECT_EQ(key_waiting(), 0);
  EXPECT_EQ(corvane::repeat_scancode.load(), -1);
  EXPECT_FALSE(exit_registered(remove_keyboard, "remove_keyboard"));
  // Installing again starts from scratch.
  ASSERT_EQ(install_keyboard(), 0);
  EXPECT_EQ(the_test_keyboard().init_calls, 2);
}

TEST_F(KeyboardTest, RemoveWithoutRateChangeLeavesTheDriverRateAlone) {
  ASSERT_EQ(install_keyboard(), 0);
  remove_keyboard();
  EXPECT_TRUE(the_test_keyboard().rates.empty());
}

TEST_F(KeyboardTest, ShutdownRemovesTheKeyboardBeforeTheTimerItBroughtUp) {
  ASSERT_EQ(install_keyboard(), 0);
  const corvane::exit_func_node *head = corvane::exit_func_head();
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->function, remove_keyboard);
  ASSERT_NE(head->next, nullptr);
  EXPECT_EQ(head->next->function, remove_timer);
  shutdown_corvane();
  EXPECT_EQ(the_test_keyboard().exit_calls, 1);
  EXPECT_EQ(the_manual_timer().exit_calls, 1);
  EXPECT_EQ(keyboard_driver, nullptr);
}

TEST_F(KeyboardTest, ThreeFingerCombinationNeedsEndWithControlOrAlt) {
  EXPECT_EQ(three_finger_combination(KEY_END), 0);
  set_shifts(KEY_FLAG_CONTROL);
  EXPECT_NE(three_finger_combination(KEY_END), 0);
  EXPECT_EQ(three_finger_combination(KEY_DEL), 0);
  set_shifts(KEY_FLAG_ALT | KEY_FLAG_SHIFT);
  EXPECT_NE(three_finger_combination(KEY_END), 0);
  set_shifts(KEY_FLAG_SHIFT | KEY_FLAG_COMMAND);
  EXPECT_EQ(three_finger_combination(KEY_END), 0);
  set_shifts(KEY_FLAG_CONTROL);
  three_finger_flag = 0;
  EXPECT_EQ(three_finger_combination(KEY_END), 0);
  three_finger_flag = -1;
}

// Hooks stand in for a keyboard when no driver is installed.
std::vector<int> hook_keys;
int hook_keypressed() { return hook_keys.empty() ? 0 : -1; }
int hook_readkey() {
  const int key = hook_keys.front();
  hook_keys.erase(hook_keys.begin());
  return key;
}

TEST_F(KeyboardTest, HooksFeedReadingWithoutADriver) {
  hook_keys = {(KEY_H << 8) | 'h', (KEY_I << 8) | 'i', (KEY_J << 8) | 'j'};
  install_keyboard_hooks(hook_keypressed, hook_readkey);
  EXPECT_EQ(key_waiting(), -1);
  int index = 0;
  EXPECT_EQ(read_key_unicode(&index), 'h');
  EXPECT_EQ(index, KEY_H);
  // A simulated key in the buffer comes before the hook.
  simulate_key_press((KEY_Z << 8) | 'z');
  EXPECT_EQ(read_key(), (KEY_Z << 8) | 'z');
  EXPECT_EQ(read_key(), (KEY_I << 8) | 'i');
  // Clearing drains the hook as well.
  clear_key_buffer();
  EXPECT_TRUE(hook_keys.empty());
  EXPECT_EQ(key_waiting(), 0);
  install_keyboard_hooks(nullptr, nullptr);
}

}  // namespace
