// Scrolling, requested scrolls and triple buffering through the current driver, and the sorted
// mode lists of drivers.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "corvane/gfx.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "support/test_gfx_driver.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;
using position = std::pair<int, int>;

class ScrollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_system();
    reset_test_gfx_drivers();
    ASSERT_EQ(start_with_test_system(), 0);
    use_test_gfx_drivers({&test_gfx(0)});
  }
  void TearDown() override { shutdown_corvane(); }

  static test_gfx_driver &fake() { return test_gfx(0); }

  // A 320x200 mode on a 640x400 screen bitmap.
  static void open_large_screen() {
    ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 640, 400), 0);
    fake().calls.scrolls.clear();
  }
};

TEST_F(ScrollTest, PositionsInsideTheScreenAreShownAsGiven) {
  fake().give_scroll();
  open_large_screen();
  EXPECT_EQ(scroll_screen(0, 0), 0);
  EXPECT_EQ(scroll_screen(320, 200), 0);
  EXPECT_EQ(scroll_screen(17, 3), 0);
  EXPECT_EQ(fake().calls.scrolls, (std::vector<position>{{0, 0}, {320, 200}, {17, 3}}));
}

TEST_F(ScrollTest, PositionsOutsideAreClampedAndReported) {
  fake().give_scroll();
  open_large_screen();
  EXPECT_EQ(scroll_screen(321, 10), -1);
  EXPECT_EQ(scroll_screen(-1, 10), -1);
  EXPECT_EQ(scroll_screen(10, 201), -1);
  EXPECT_EQ(scroll_screen(10, -5), -1);
  EXPECT_EQ(fake().calls.scrolls, (std::vector<position>{{320, 10}, {0, 10}, {10, 200}, {10, 0}}))
      << "the clamped position is still shown";
}

TEST_F(ScrollTest, ASplitScreenHeightReplacesTheVisibleHeight) {
  fake().give_scroll();
  open_large_screen();
  screen_split_height = 100;
  EXPECT_EQ(scroll_screen(0, 300), 0);
  EXPECT_EQ(scroll_screen(0, 301), -1);
  EXPECT_EQ(fake().calls.scrolls.back(), position(0, 300));
  screen_split_height = 0;
  EXPECT_EQ(scroll_screen(0, 300), -1) << "0 means no split: the driver's height counts";

  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 640, 400), 0);
  EXPECT_EQ(screen_split_height, 0) << "a mode change ends the split";
}

TEST_F(ScrollTest, TheDriversFailureIsPassedOn) {
  fake().give_scroll();
  open_large_screen();
  fake().scroll_result = 1;
  EXPECT_EQ(scroll_screen(10, 10), -1);
}

TEST_F(ScrollTest, ScrollingNeedsTheOperationAModeAndTheDisplay) {
  EXPECT_EQ(scroll_screen(0, 0), -1) << "no mode";
  EXPECT_EQ(request_scroll(0, 0), -1);
  open_large_screen();
  EXPECT_EQ(scroll_screen(0, 0), -1) << "no scroll operation";

  fake().give_scroll();
  save_switch_bitmaps(SWITCH_PAUSE);
  EXPECT_EQ(scroll_screen(0, 0), -1) << "switched away";
  restore_switch_bitmaps();
  EXPECT_EQ(scroll_screen(0, 0), 0);
}

TEST_F(ScrollTest, RequestedScrollsAreClampedLikeScrolls) {
  fake().give_scroll();
  fake().give_request_scroll();
  open_large_screen();
  EXPECT_EQ(request_scroll(5, 6), 0);
  EXPECT_EQ(request_scroll(1000, 6), -1);
  EXPECT_EQ(fake().calls.requested_scrolls, (std::vector<position>{{5, 6}, {320, 6}}));
  EXPECT_TRUE(fake().calls.scrolls.empty());
}

TEST_F(ScrollTest, WithoutRequestedScrollsTheScreenScrollsAtOnceAndReportsIt) {
  fake().give_scroll();
  open_large_screen();
  EXPECT_EQ(request_scroll(5, 6), -1);
  EXPECT_EQ(fake().calls.scrolls, (std::vector<position>{{5, 6}}));
}

TEST_F(ScrollTest, TripleBufferingIsEnabledWhenTheDriverCanRequest) {
  fake().give_enable_triple_buffer();
  fake().triple_buffer_gives_request_scroll = true;
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  EXPECT_EQ(gfx_capabilities & GFX_CAN_TRIPLE_BUFFER, 0);
  EXPECT_EQ(enable_triple_buffer(), 0);
  EXPECT_NE(gfx_capabilities & GFX_CAN_TRIPLE_BUFFER, 0);
  EXPECT_EQ(enable_triple_buffer(), 0);
  EXPECT_EQ(fake().calls.enable_triple_buffer, 1) << "already on: the driver is not asked again";
}

TEST_F(ScrollTest, TripleBufferingFailsWhenTheDriverCannotRequest) {
  fake().give_enable_triple_buffer();
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  EXPECT_EQ(enable_triple_buffer(), -1);
  EXPECT_EQ(fake().calls.enable_triple_buffer, 1);
  EXPECT_EQ(gfx_capabilities & GFX_CAN_TRIPLE_BUFFER, 0);

  fake().driver.enable_triple_buffer = nullptr;
  EXPECT_EQ(enable_triple_buffer(), -1);
}

TEST_F(ScrollTest, TripleBufferingIsNotAskedForWhileSwitchedAway) {
  fake().give_enable_triple_buffer();
  fake().triple_buffer_gives_request_scroll = true;
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  save_switch_bitmaps(SWITCH_PAUSE);
  EXPECT_EQ(enable_triple_buffer(), -1);
  restore_switch_bitmaps();
  EXPECT_EQ(fake().calls.enable_triple_buffer, 0);
}

TEST_F(ScrollTest, TripleBufferingWithoutAModeFails) { EXPECT_EQ(enable_triple_buffer(), -1); }

// ---- Mode lists -----------------------------------------------------------------------------

TEST_F(ScrollTest, ModeListsAreSortedByWidthHeightAndDepth) {
  fake().give_list_modes();
  fake().modes = {{640, 480, 32}, {320, 200, 16}, {640, 400, 8}, {320, 200, 8},
                  {1024, 768, 8}, {640, 480, 8},  {320, 240, 8}};
  gfx_mode_list *list = get_mode_list(fake().driver.id);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count, 7);
  const std::vector<std::tuple<int, int, int>> expected = {
      {320, 200, 8}, {320, 200, 16}, {320, 240, 8}, {640, 400, 8},
      {640, 480, 8}, {640, 480, 32}, {1024, 768, 8}};
  for (int i = 0; i < list->count; ++i) {
    EXPECT_EQ(std::make_tuple(list->modes[i].width, list->modes[i].height, list->modes[i].bpp),
              expected[static_cast<size_t>(i)])
        << "entry " << i;
  }
  free_mode_list(list);
}

TEST_F(ScrollTest, ModeListsAreNullWhenTheDriverCannotTell) {
  EXPECT_EQ(get_mode_list(fake().driver.id), nullptr) << "no list_modes";
  EXPECT_EQ(get_mode_list(CORVANE_ID('N', 'O', 'P', 'E')), nullptr) << "not in the list";
  EXPECT_EQ(get_mode_list(GFX_AUTODETECT), nullptr);
  fake().give_list_modes();
  fake().list_modes_fails = true;
  EXPECT_EQ(get_mode_list(fake().driver.id), nullptr);
  free_mode_list(nullptr);
}

TEST_F(ScrollTest, AnEmptyModeListIsAList) {
  fake().give_list_modes();
  gfx_mode_list *list = get_mode_list(fake().driver.id);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count, 0);
  free_mode_list(list);
}

TEST_F(ScrollTest, WithoutASystemListTheBuiltInListIsUsed) {
  the_test_system().driver.list_gfx_drivers = nullptr;
  EXPECT_EQ(get_mode_list(fake().driver.id), nullptr);
  EXPECT_EQ(select_gfx_mode(fake().driver.id, 320, 200, 0, 0), -1);
  EXPECT_EQ(fake().calls.init, 0);
}

}  // namespace
