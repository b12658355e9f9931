// Emulated key repeat, checked by driving the dispatcher by hand one millisecond at a time.
#include <gtest/gtest.h>

#include <vector>

#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "input/keyboard_internal.h"
#include "support/manual_timer.h"
#include "support/test_keyboard.h"
#include "timer/timer_internal.h"

namespace {

using namespace corvane::testing;

// Advances time one millisecond at a time and returns the millisecond (counted from the call) at
// which each key arrived in the buffer, reading them as they come.
std::vector<int> arrivals_over(int ms, std::vector<int> *characters = nullptr) {
  std::vector<int> times;
  for (int t = 1; t <= ms; ++t) {
    advance_ms(1);
    while (key_waiting() != 0) {
      const int key = read_key();
      if (characters != nullptr) characters->push_back(key);
      times.push_back(t);
    }
  }
  return times;
}

int typed_now() {
  int count = 0;
  while (key_waiting() != 0) {
    read_key();
    ++count;
  }
  return count;
}

class KeyRepeatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_keyboard();
    ASSERT_EQ(start_with_test_keyboard(), 0);
    ASSERT_EQ(install_keyboard(), 0);
    ASSERT_EQ(current_timer_driver, &the_manual_timer().driver);
  }
  void TearDown() override { shutdown_corvane(); }
};

TEST_F(KeyRepeatTest, HeldKeyTypesAfter250MsThenEvery33Ms) {
  handle_key_press('a', KEY_A);
  EXPECT_EQ(read_key(), (KEY_A << 8) | 'a');
  std::vector<int> characters;
  const std::vector<int> times = arrivals_over(250 + 33 * 4, &characters);
  EXPECT_EQ(times, (std::vector<int>{250, 283, 316, 349, 382}));
  for (int key : characters) EXPECT_EQ(key, (KEY_A << 8) | 'a');
  EXPECT_EQ(key_state[KEY_A], -1);

  handle_key_release(KEY_A);
  EXPECT_TRUE(arrivals_over(500).empty());
  EXPECT_EQ(key_state[KEY_A], 0);
}

TEST_F(KeyRepeatTest, ScheduleHoldsWhenTheTimerWakesLate) {
  handle_key_press('a', KEY_A);
  typed_now();
  // One dispatch covering 250 + 3 * 33 ms types all four repeats in a burst.
  advance_ms(250 + 33 * 3);
  EXPECT_EQ(typed_now(), 4);
  // And the next repeat is still on the 33 ms grid.
  EXPECT_EQ(arrivals_over(33), std::vector<int>{33});
}

TEST_F(KeyRepeatTest, AnotherKeyTakesOverTheRepeat) {
  handle_key_press('a', KEY_A);
  advance_ms(100);
  handle_key_press('b', KEY_B);
  typed_now();
  std::vector<int> characters;
  const std::vector<int> times = arrivals_over(250, &characters);
  EXPECT_EQ(times, std::vector<int>{250});
  EXPECT_EQ(characters, std::vector<int>{(KEY_B << 8) | 'b'});
  // Releasing the key that no longer repeats changes nothing.
  handle_key_release(KEY_A);
  EXPECT_EQ(arrivals_over(33).size(), 1u);
  handle_key_release(KEY_B);
  EXPECT_TRUE(arrivals_over(100).empty());
}

TEST_F(KeyRepeatTest, PauseModifiersAndDisabledRepeatDoNotRepeat) {
  handle_key_press(0, KEY_PAUSE);
  handle_key_press(-1, KEY_LSHIFT);
  typed_now();
  EXPECT_TRUE(arrivals_over(400).empty());

  set_key_repeat(0, 33);
  handle_key_press('c', KEY_C);
  typed_now();
  EXPECT_TRUE(arrivals_over(400).empty());
}

TEST_F(KeyRepeatTest, ChangedRatesApplyToTheNextPress) {
  set_key_repeat(100, 10);
  handle_key_press('d', KEY_D);
  typed_now();
  EXPECT_EQ(arrivals_over(130), (std::vector<int>{100, 110, 120, 130}));
}

TEST_F(KeyRepeatTest, RemovingTheKeyboardStopsTheRepeat) {
  handle_key_press('e', KEY_E);
  remove_keyboard();
  advance_ms(1000);
  EXPECT_EQ(key_waiting(), 0);
  for (const auto &slot : corvane::timer_slots) EXPECT_EQ(slot.proc, nullptr);
}

TEST(KeyRepeatWithoutEmulation, DriverThatRepeatsItselfGetsNoTimer) {
  reset_test_keyboard();
  the_test_keyboard().driver.emulate_repeat = 0;
  ASSERT_EQ(start_with_test_keyboard(), 0);
  ASSERT_EQ(install_keyboard(), 0);
  ASSERT_EQ(install_timer_system(), 0);
  handle_key_press('a', KEY_A);
  EXPECT_EQ(read_key(), (KEY_A << 8) | 'a');
  for (int t = 0; t < 400; ++t) advance_ms(1);
  EXPECT_EQ(key_waiting(), 0);
  shutdown_corvane();
}

}  // namespace
