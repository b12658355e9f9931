// The display-switch policy and the switch callbacks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corvane/system.h"
#include "corvane/timer.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

std::vector<std::string> events;
void in_a() { events.emplace_back("in a"); }
void in_b() { events.emplace_back("in b"); }
void out_a() { events.emplace_back("out a"); }

int accepted_mode = -1;
int accept_mode(int mode) {
  accepted_mode = mode;
  return 0;
}
int refuse_mode(int) { return 7; }

class DisplaySwitchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    events.clear();
    reset_test_system();
    ASSERT_EQ(start_with_test_system(), 0);
  }
  void TearDown() override { shutdown_corvane(); }
};

TEST_F(DisplaySwitchTest, PolicyWithoutSwitchModeSupportAcceptsOnlyNone) {
  EXPECT_EQ(get_switch_policy(), SWITCH_PAUSE);
  EXPECT_EQ(set_switch_policy(SWITCH_NONE), 0);
  EXPECT_EQ(set_switch_policy(SWITCH_BACKGROUND), -1);
  EXPECT_EQ(get_switch_policy(), SWITCH_PAUSE);
}

TEST_F(DisplaySwitchTest, AcceptedPolicyIsStoredAndForgetsTheCallbacks) {
  the_test_system().driver.set_switch_mode = accept_mode;
  ASSERT_EQ(add_switch_callback(SWITCH_IN, in_a), 0);
  ASSERT_EQ(set_switch_policy(SWITCH_BACKGROUND), 0);
  EXPECT_EQ(accepted_mode, SWITCH_BACKGROUND);
  EXPECT_EQ(get_switch_policy(), SWITCH_BACKGROUND);
  run_switch_in_callbacks();
  EXPECT_TRUE(events.empty());
}

TEST_F(DisplaySwitchTest, RefusedPolicyChangesNothing) {
  the_test_system().driver.set_switch_mode = refuse_mode;
  ASSERT_EQ(add_switch_callback(SWITCH_IN, in_a), 0);
  EXPECT_EQ(set_switch_policy(SWITCH_AMNESIA), 7);
  EXPECT_EQ(get_switch_policy(), SWITCH_PAUSE);
  run_switch_in_callbacks();
  EXPECT_EQ(events, std::vector<std::string>{"in a"});
}

TEST(DisplaySwitchPolicy, WithoutSystemDriverIsRefused) {
  EXPECT_EQ(set_switch_policy(SWITCH_NONE), -1);
}

TEST_F(DisplaySwitchTest, CallbacksRunInSlotOrderPerGroup) {
  ASSERT_EQ(add_switch_callback(SWITCH_IN, in_b), 0);
  ASSERT_EQ(add_switch_callback(SWITCH_IN, in_a), 0);
  ASSERT_EQ(add_switch_callback(SWITCH_OUT, out_a), 0);
  ASSERT_EQ(add_switch_callback(SWITCH_IN, in_b), 0);  // already there: no second slot
  run_switch_in_callbacks();
  EXPECT_EQ(events, (std::vector<std::string>{"in b", "in a"}));
  events.clear();
  run_switch_out_callbacks();
  EXPECT_EQ(events, std::vector<std::string>{"out a"});

  remove_switch_callback(SWITCH_IN, in_b);
  remove_switch_callback(SWITCH_OUT, in_a);  // not in that group
  events.clear();
  run_switch_in_callbacks();
  run_switch_out_callbacks();
  EXPECT_EQ(events, (std::vector<std::string>{"in a", "out a"}));
}

template <int N>
void numbered_callback() {
  events.emplace_back(std::to_string(N));
}

TEST_F(DisplaySwitchTest, GroupHoldsEightCallbacksAndRefusesBadRequests) {
  void (*const callbacks[])() = {numbered_callback<1>, numbered_callback<2>, numbered_callback<3>,
                                 numbered_callback<4>, numbered_callback<5>, numbered_callback<6>,
                                 numbered_callback<7>, numbered_callback<8>};
  for (auto callback : callbacks) ASSERT_EQ(add_switch_callback(SWITCH_OUT, callback), 0);
  EXPECT_EQ(add_switch_callback(SWITCH_OUT, numbered_callback<9>), -1);
  EXPECT_EQ(add_switch_callback(SWITCH_IN, numbered_callback<9>), 0);
  EXPECT_EQ(add_switch_callback(5, in_a), -1);
  EXPECT_EQ(add_switch_callback(SWITCH_IN, nullptr), -1);
  run_switch_out_callbacks();
  EXPECT_EQ(events, (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8"}));
}

}  // namespace
