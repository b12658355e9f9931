// Polled mode: a driver without a poll operation switches to staging keys on the first
// poll_keyboard, and the program sees them only when it polls again.
#include <gtest/gtest.h>

#include <vector>

#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "input/keyboard_internal.h"
#include "support/test_keyboard.h"

namespace {

using namespace corvane::testing;

std::vector<int> lowlevel;
void record_lowlevel(int scancode) { lowlevel.push_back(scancode); }

class PolledModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lowlevel.clear();
    reset_test_keyboard();
    the_test_keyboard().driver.emulate_repeat = 0;
    ASSERT_EQ(start_with_test_keyboard(), 0);
    ASSERT_EQ(install_keyboard(), 0);
    keyboard_lowlevel_callback = record_lowlevel;
  }
  void TearDown() override {
    keyboard_lowlevel_callback = nullptr;
    shutdown_corvane();
  }
};

TEST_F(PolledModeTest, FirstPollOnlySwitchesThenKeysWaitForTheNextPoll) {
  handle_key_press('a', KEY_A);  // direct mode: seen at once
  EXPECT_EQ(key_state[KEY_A], -1);
  ASSERT_EQ(poll_keyboard(), 0);
  EXPECT_EQ(keyboard_polled, -1);
  lowlevel.clear();

  handle_key_press('b', KEY_B);
  handle_key_release(KEY_A);
  EXPECT_EQ(key_state[KEY_B], 0);
  EXPECT_EQ(key_state[KEY_A], -1);
  EXPECT_TRUE(lowlevel.empty());

  ASSERT_EQ(poll_keyboard(), 0);
  EXPECT_EQ(key_state[KEY_B], -1);
  EXPECT_EQ(key_state[KEY_A], 0);
  EXPECT_EQ(lowlevel, (std::vector<int>{KEY_A + 0x80, KEY_B}));
}

TEST_F(PolledModeTest, StagedKeysReachTheBufferWhenPolled) {
  poll_keyboard();
  handle_key_press('x', KEY_X);
  handle_key_press('y', KEY_Y);
  EXPECT_TRUE(corvane::key_ring_empty(corvane::key_buffer));
  // key_waiting polls first, so the keys are found.
  EXPECT_EQ(key_waiting(), -1);
  EXPECT_EQ(read_key(), (KEY_X << 8) | 'x');
  EXPECT_EQ(read_key(), (KEY_Y << 8) | 'y');
  EXPECT_EQ(key_waiting(), 0);
}

TEST_F(PolledModeTest, ClearForgetsStagedKeysToo) {
  poll_keyboard();
  handle_key_press('x', KEY_X);
  clear_key_buffer();
  EXPECT_EQ(key_waiting(), 0);
}

TEST_F(PolledModeTest, LedsAreShownAtThePoll) {
  poll_keyboard();
  the_test_keyboard().leds.clear();
  std::atomic_ref<int>(key_shifts).store(KEY_FLAG_NUM_LOCK);
  handle_key_press(-1, KEY_NUMLOCK);
  EXPECT_TRUE(the_test_keyboard().leds.empty());
  poll_keyboard();
  EXPECT_EQ(the_test_keyboard().leds, std::vector<int>{KEY_FLAG_NUM_LOCK});
}

TEST_F(PolledModeTest, RemovalReturnsToDirectMode) {
  poll_keyboard();
  remove_keyboard();
  EXPECT_EQ(keyboard_polled, 0);
  ASSERT_EQ(install_keyboard(), 0);
  handle_key_press('a', KEY_A);
  EXPECT_EQ(key_state[KEY_A], -1);
}

TEST(PolledDriver, DriverWithPollIsAskedAndKeysGoStraightIn) {
  reset_test_keyboard();
  give_test_keyboard_poll();
  ASSERT_EQ(start_with_test_keyboard(), 0);
  ASSERT_EQ(install_keyboard(), 0);
  EXPECT_EQ(keyboard_polled, -1);
  EXPECT_EQ(poll_keyboard(), 0);
  EXPECT_EQ(the_test_keyboard().poll_calls, 1);
  handle_key_press('k', KEY_K);
  EXPECT_EQ(key_state[KEY_K], -1);
  // key_waiting polls the driver too.
  EXPECT_EQ(key_waiting(), -1);
  EXPECT_EQ(the_test_keyboard().poll_calls, 2);
  EXPECT_EQ(read_key(), (KEY_K << 8) | 'k');
  shutdown_corvane();
}

}  // namespace
