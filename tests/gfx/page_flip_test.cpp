// Waiting for the retrace, page flipping, requested flips and bitmap locks, through the fake
// graphics drivers and through the headless driver.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "platform/null/headless_gfx_driver.h"
#include "support/manual_timer.h"
#include "support/test_gfx_driver.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;
using position = std::pair<int, int>;
using order = std::vector<std::string>;

class PageFlipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_gfx_drivers();
    ASSERT_EQ(start_with_manual_timer(), 0);
    use_test_gfx_drivers({&test_gfx(0)});
  }
  void TearDown() override { shutdown_corvane(); }

  static test_gfx_driver &fake() { return test_gfx(0); }

  // A 320x200 mode on a 320x400 screen, carved into two pages.
  void open_two_pages() {
    ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 320, 400), 0);
    page[0] = create_video_bitmap(320, 200);
    page[1] = create_video_bitmap(320, 200);
    ASSERT_NE(page[0], nullptr);
    ASSERT_NE(page[1], nullptr);
    fake().calls = test_gfx_calls{};
  }
  bitmap *page[2] = {};
};

TEST_F(PageFlipTest, ShowUsesTheDriversFlipAndReportsItsFailure) {
  fake().give_show_video_bitmap();
  fake().give_scroll();
  open_two_pages();
  EXPECT_EQ(show_video_bitmap(page[1]), 0);
  fake().flip_result = 1;
  EXPECT_EQ(show_video_bitmap(page[0]), -1);
  EXPECT_EQ(fake().calls.shown_bitmaps, (std::vector<bitmap *>{page[1], page[0]}));
  EXPECT_EQ(fake().calls.scroll, 0) << "the driver's own flip is not mixed with scrolling";
}

TEST_F(PageFlipTest, APageOnTheScreenIsShownByScrollingAfterTheRetrace) {
  fake().give_scroll();
  fake().give_wait_retrace();
  open_two_pages();
  EXPECT_EQ(show_video_bitmap(page[1]), 0);
  EXPECT_EQ(show_video_bitmap(screen_bitmap), 0);
  EXPECT_EQ(fake().calls.scrolls, (std::vector<position>{{0, 200}, {0, 0}}));
  EXPECT_EQ(fake().calls.order, (order{"wait_retrace", "scroll", "wait_retrace", "scroll"}));

  // A sub-bitmap of a page lies on the screen too; the visible area cannot be scrolled past the
  // bottom of the screen, which the result reports.
  bitmap *part = create_subbitmap(page[1], 0, 100, 320, 100);
  ASSERT_NE(part, nullptr);
  fake().calls = test_gfx_calls{};
  wait_for_retrace = 0;  // "disable_vsync"
  EXPECT_EQ(show_video_bitmap(part), -1);
  EXPECT_EQ(fake().calls.order, order{"scroll"});
  EXPECT_EQ(fake().calls.scrolls, (std::vector<position>{{0, 200}}));
  destroy_bitmap(part);
}

TEST_F(PageFlipTest, WhatCannotBeShownIsRefused) {
  EXPECT_EQ(show_video_bitmap(nullptr), -1);
  EXPECT_STREQ(error_text, "No graphics mode is open");

  open_two_pages();  // a driver that can neither flip nor scroll
  EXPECT_EQ(show_video_bitmap(page[1]), -1);
  EXPECT_STREQ(error_text, "The graphics driver cannot show this video bitmap");

  fake().give_scroll();
  bitmap *memory = create_bitmap(320, 200);
  ASSERT_NE(memory, nullptr);
  for (bitmap *bmp : {memory, static_cast<bitmap *>(nullptr)}) {
    set_error_number(0);
    EXPECT_EQ(show_video_bitmap(bmp), -1);
    EXPECT_EQ(request_video_bitmap(bmp), -1);
    EXPECT_EQ(get_error_number(), EINVAL);
    EXPECT_STREQ(error_text, "Not a video bitmap");
  }
  destroy_bitmap(memory);

  save_switch_bitmaps(SWITCH_PAUSE);
  EXPECT_EQ(show_video_bitmap(page[1]), -1);
  EXPECT_EQ(request_video_bitmap(page[1]), -1);
  restore_switch_bitmaps();
  EXPECT_EQ(fake().calls.scroll, 0);
}

TEST_F(PageFlipTest, RequestsUseTheDriversRequestThenItsRequestedScroll) {
  fake().give_request_video_bitmap();
  fake().give_request_scroll();
  fake().give_scroll();
  open_two_pages();
  EXPECT_EQ(request_video_bitmap(page[1]), 0);
  EXPECT_EQ(fake().calls.requested_bitmaps, std::vector<bitmap *>{page[1]});

  fake().driver.request_video_bitmap = nullptr;
  EXPECT_EQ(request_video_bitmap(page[1]), 0);
  EXPECT_EQ(fake().calls.requested_scrolls, (std::vector<position>{{0, 200}}));

  // Neither: the page is shown at once, and the caller learns that it was no request.
  fake().driver.request_scroll = nullptr;
  EXPECT_EQ(request_video_bitmap(page[0]), -1);
  EXPECT_EQ(fake().calls.scrolls, (std::vector<position>{{0, 0}}));
  EXPECT_EQ(fake().calls.order, (order{"request", "request_scroll", "scroll"}));
}

TEST_F(PageFlipTest, PollScrollTellsWhatTheDriverSays) {
  EXPECT_EQ(poll_scroll(), 0) << "no mode";
  open_two_pages();
  EXPECT_EQ(poll_scroll(), 0) << "a driver that cannot tell";
  fake().give_poll_scroll();
  fake().poll_result = 1;
  EXPECT_EQ(poll_scroll(), -1);
  fake().poll_result = 0;
  EXPECT_EQ(poll_scroll(), 0);
  EXPECT_EQ(fake().calls.poll_scroll, 2);
}

TEST_F(PageFlipTest, VsyncWaitsThroughTheDriverUnlessTurnedOff) {
  EXPECT_EQ(wait_for_vsync(), -1);
  EXPECT_STREQ(error_text, "No graphics mode is open");
  fake().give_wait_retrace();
  open_two_pages();
  EXPECT_EQ(wait_for_vsync(), 0);
  EXPECT_EQ(fake().calls.wait_retrace, 1);
  wait_for_retrace = 0;
  EXPECT_EQ(wait_for_vsync(), 0);
  EXPECT_EQ(fake().calls.wait_retrace, 1);
}

TEST_F(PageFlipTest, VsyncWithoutTheDriversWaitFollowsTheSimulatedRetrace) {
  open_two_pages();
  EXPECT_EQ(wait_for_vsync(), -1) << "no timer counts the retrace";
  EXPECT_STREQ(error_text, "The display cannot wait for the retrace and no timer counts it");

  ASSERT_EQ(install_timer_system(), 0);
  EXPECT_EQ(wait_for_vsync(), -1) << "the manual timer has no heartbeat of its own";
  EXPECT_STREQ(error_text, "The timer does not count the retrace");
  {
    const background_ticker ticker(DEFAULT_VSYNC_SPEED);
    const int before = get_retrace_count();
    EXPECT_EQ(wait_for_vsync(), 0);
    EXPECT_GT(get_retrace_count(), before) << "returned before a retrace was counted";
  }
  // While the display is switched away the driver is not asked even when it can wait.
  fake().give_wait_retrace();
  save_switch_bitmaps(SWITCH_BACKGROUND);
  {
    const background_ticker ticker(DEFAULT_VSYNC_SPEED);
    EXPECT_EQ(wait_for_vsync(), 0);
  }
  restore_switch_bitmaps();
  EXPECT_EQ(fake().calls.wait_retrace, 0);
}

TEST_F(PageFlipTest, LocksReachTheScreensAcquireAndReleaseAndNest) {
  fake().counted_screen_locks = true;
  open_two_pages();
  acquire_bitmap(screen_bitmap);
  fill_rect(screen_bitmap, 0, 0, 9, 9, 1);  // locks again inside
  EXPECT_EQ(fake().held_acquires, 1);
  release_bitmap(screen_bitmap);
  EXPECT_EQ(fake().held_acquires, 0);
  EXPECT_EQ(fake().calls.deepest_acquire, 2);

  bitmap *memory = create_bitmap(4, 4);
  ASSERT_NE(memory, nullptr);
  const int acquires = fake().calls.acquire;
  acquire_bitmap(memory);
  release_bitmap(memory);
  acquire_bitmap(nullptr);
  release_bitmap(nullptr);
  EXPECT_EQ(fake().calls.acquire, acquires);
  destroy_bitmap(memory);
}

// The headless driver has no page flip of its own: its pages are shown by scrolling a virtual
// screen, after its own 60 Hz retrace.
TEST(HeadlessPageFlipTest, PagesOfAVirtualScreenAreShownAndRequestsFallBack) {
  driver_list_entry headless_only[] = {
      {CORVANE_ID('H', 'D', 'L', 'S'), &corvane::headless_gfx_driver, -1},
      {0, nullptr, 0},
  };
  ASSERT_EQ(start_with_test_system(), 0);
  the_test_system().gfx_drivers = headless_only;
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 320, 400), 0) << error_text;
  bitmap *back = create_video_bitmap(320, 200);
  bitmap *front = create_video_bitmap(320, 200);
  ASSERT_NE(back, nullptr);
  ASSERT_NE(front, nullptr);
  EXPECT_EQ(wait_for_vsync(), 0);
  EXPECT_EQ(show_video_bitmap(front), 0);
  EXPECT_EQ(show_video_bitmap(back), 0);
  EXPECT_EQ(request_video_bitmap(front), -1) << "shown at once: the driver cannot request";
  EXPECT_EQ(poll_scroll(), 0);
  shutdown_corvane();
}

}  // namespace
