// The display-switch policy, the switch callbacks and the registry of bitmaps to save.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "support/test_system.h"
#include "timer/switch_bitmap_tree.h"

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

std::vector<std::pair<int, int>> lock_calls;
void record_lock(int lock, int foreground) { lock_calls.emplace_back(lock, foreground); }

class DisplaySwitchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    events.clear();
    lock_calls.clear();
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

// The registry is a tree of plain records; it never looks inside an unswitched bitmap.
std::vector<const bitmap *> children_of(const corvane::switch_bitmap_node *node) {
  std::vector<const bitmap *> result;
  for (auto *child = node->children; child != nullptr; child = child->next) {
    result.push_back(child->bmp);
  }
  return result;
}

std::vector<const bitmap *> top_level() {
  std::vector<const bitmap *> result;
  for (auto *node = corvane::switch_bitmaps; node != nullptr; node = node->next) {
    result.push_back(node->bmp);
  }
  return result;
}

TEST_F(DisplaySwitchTest, RegistryBuildsATreeUnderTheSystemLock) {
  the_test_system().driver.lock_display_switch = record_lock;
  bitmap screen{}, other{}, sub1{}, sub2{}, subsub{};
  register_switch_bitmap(&screen, nullptr);
  EXPECT_EQ(lock_calls, (std::vector<std::pair<int, int>>{{-1, 0}, {0, 0}}));
  register_switch_bitmap(&other, nullptr);
  register_switch_bitmap(&sub1, &screen);
  register_switch_bitmap(&sub2, &screen);
  register_switch_bitmap(&subsub, &sub1);

  // New nodes go to the front.
  EXPECT_EQ(top_level(), (std::vector<const bitmap *>{&other, &screen}));
  const corvane::switch_bitmap_node *screen_node = corvane::switch_bitmaps->next;
  EXPECT_EQ(children_of(screen_node), (std::vector<const bitmap *>{&sub2, &sub1}));
  EXPECT_EQ(children_of(screen_node->children->next), std::vector<const bitmap *>{&subsub});

  unregister_switch_bitmap(&sub2);
  EXPECT_EQ(children_of(screen_node), std::vector<const bitmap *>{&sub1});
  // Unregistering a parent takes its registered sub-bitmaps with it.
  unregister_switch_bitmap(&screen);
  EXPECT_EQ(top_level(), std::vector<const bitmap *>{&other});
  register_switch_bitmap(&subsub, &sub1);  // sub1 went with the screen
  EXPECT_EQ(top_level(), std::vector<const bitmap *>{&other});
  EXPECT_EQ(corvane::switch_bitmaps->children, nullptr);
  unregister_switch_bitmap(&other);
  EXPECT_EQ(corvane::switch_bitmaps, nullptr);
  EXPECT_EQ(lock_calls.size(), 2u * 9u);
}

TEST_F(DisplaySwitchTest, UnknownParentAndRepeatedRegistrationAddNothing) {
  bitmap screen{}, stranger{}, sub{};
  register_switch_bitmap(&sub, &stranger);
  EXPECT_EQ(corvane::switch_bitmaps, nullptr);
  register_switch_bitmap(&screen, nullptr);
  register_switch_bitmap(&screen, nullptr);
  EXPECT_EQ(top_level().size(), 1u);
  register_switch_bitmap(&sub, &screen);
  register_switch_bitmap(&sub, &screen);
  EXPECT_EQ(children_of(corvane::switch_bitmaps).size(), 1u);
  unregister_switch_bitmap(&stranger);  // not registered: ignored
  register_switch_bitmap(nullptr, nullptr);
  unregister_switch_bitmap(nullptr);
  EXPECT_EQ(top_level().size(), 1u);
  unregister_switch_bitmap(&screen);
}

TEST_F(DisplaySwitchTest, DisplayIsNotSwitchedAwayAtStart) {
  EXPECT_EQ(display_switched_away(), 0);
}

}  // namespace
