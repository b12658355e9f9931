// The registry of bitmaps saved across a display switch: a tree of registered bitmaps and their
// sub-bitmaps, changed only under the system driver's display-switch lock.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/system.h"
#include "gfx/switch_bitmap_tree.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

std::vector<std::pair<int, int>> lock_calls;
void record_lock(int lock, int foreground) { lock_calls.emplace_back(lock, foreground); }

class SwitchBitmapsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lock_calls.clear();
    reset_test_system();
    ASSERT_EQ(start_with_test_system(), 0);
  }
  void TearDown() override { shutdown_corvane(); }
};

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

TEST_F(SwitchBitmapsTest, RegistryBuildsATreeUnderTheSystemLock) {
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

TEST_F(SwitchBitmapsTest, UnknownParentAndRepeatedRegistrationAddNothing) {
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

TEST_F(SwitchBitmapsTest, DisplayIsNotSwitchedAwayAtStart) {
  EXPECT_EQ(display_switched_away(), 0);
}

}  // namespace
