// The headless driver through mode selection: which requests choose it, what the mode reports,
// and the screenshot written when the mode closes or the library shuts down.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "corvane/color.h"
#include "corvane/gfx.h"
#include "corvane/png.h"
#include "corvane/system.h"
#include "platform/null/headless_gfx_driver.h"
#include "support/bitmap_compare.h"
#include "support/env_guard.h"
#include "support/test_system.h"

namespace {

using corvane::headless_gfx_driver;
using corvane::testing::bitmap_ptr;
using corvane::testing::file_exists_on_disk;
using corvane::testing::raw_pixel;
using corvane::testing::scoped_work_dir;

driver_list_entry headless_only[] = {
    {corvane::GFX_HEADLESS, &headless_gfx_driver, -1},
    {0, nullptr, 0},
};

class HeadlessModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
    corvane::testing::the_test_system().gfx_drivers = headless_only;
  }
  void TearDown() override {
    shutdown_corvane();
    set_color_depth(8);
  }
  corvane::testing::env_guard screenshot_{"CORVANE_SCREENSHOT", nullptr};
  scoped_work_dir dir_;
};

TEST_F(HeadlessModeTest, PlainAutodetectionChoosesIt) {
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0) << error_text;
  EXPECT_EQ(current_gfx_driver, &headless_gfx_driver);
  EXPECT_STREQ(current_gfx_driver->name, "Headless");
  ASSERT_NE(screen_bitmap, nullptr);
  EXPECT_EQ(screen_bitmap->width, 320);
  EXPECT_EQ(bitmap_color_depth(screen_bitmap), 8);
  EXPECT_EQ(current_refresh_rate, corvane::HEADLESS_REFRESH_RATE);
  ASSERT_EQ(select_gfx_mode(TEXT_MODE, 0, 0, 0, 0), 0);
  EXPECT_EQ(current_gfx_driver, nullptr);
  EXPECT_EQ(headless_gfx_driver.width, 0);
}

TEST_F(HeadlessModeTest, WindowedRequestsFallBackToItAndFullScreenOnesNever) {
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT_WINDOWED, 640, 480, 0, 0), 0) << error_text;
  EXPECT_EQ(current_gfx_driver, &headless_gfx_driver);
  EXPECT_EQ(select_gfx_mode(GFX_AUTODETECT_FULLSCREEN, 640, 480, 0, 0), -1);
  EXPECT_EQ(current_gfx_driver, nullptr);
  EXPECT_STREQ(error_text, "Unable to find a suitable graphics driver");
}

TEST_F(HeadlessModeTest, ChosenByIdAtEveryDepthAndUnsupportedDepthsAreRefused) {
  for (const int depth : {8, 15, 16, 24, 32}) {
    set_color_depth(depth);
    ASSERT_EQ(select_gfx_mode(corvane::GFX_HEADLESS, 320, 240, 0, 0), 0) << depth;
    EXPECT_EQ(bitmap_color_depth(screen_bitmap), depth);
    // A new mode starts black.
    EXPECT_EQ(raw_pixel(screen_bitmap, 319, 239), 0u);
  }
  set_color_depth(12);
  EXPECT_EQ(select_gfx_mode(corvane::GFX_HEADLESS, 320, 240, 0, 0), -1);
  EXPECT_STREQ(error_text, "Unsupported color depth");
}

TEST_F(HeadlessModeTest, VirtualScreenCanScroll) {
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 640, 400), 0);
  EXPECT_EQ(screen_bitmap->width, 640);
  EXPECT_EQ(scroll_screen(100, 50), 0);
  EXPECT_EQ(scroll_screen(400, 0), -1);  // clamped to 320
}

TEST_F(HeadlessModeTest, ShutdownWritesTheScreenshot) {
  screenshot_.set(dir_.file("at_exit.png").c_str());
  set_color_depth(16);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 40, 30, 0, 0), 0);
  screen_bitmap->vtable->clear_to_color(screen_bitmap, make_color(0, 255, 0));
  shutdown_corvane();
  ASSERT_TRUE(file_exists_on_disk(dir_.file("at_exit.png")));
  bitmap_ptr shot(load_bitmap_png(dir_.file("at_exit.png").c_str(), nullptr));
  ASSERT_NE(shot, nullptr) << error_text;
  EXPECT_EQ(shot->width, 40);
  EXPECT_EQ(raw_pixel(shot.get(), 39, 29), static_cast<uint32_t>(make_color_depth(16, 0, 255, 0)));
}

TEST_F(HeadlessModeTest, EightBitScreenshotUsesTheAppliedPalette) {
  screenshot_.set(dir_.file("desk.png").c_str());
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  apply_palette(desktop_palette);
  screen_bitmap->vtable->clear_to_color(screen_bitmap, make_color(255, 255, 255));
  ASSERT_EQ(select_gfx_mode(TEXT_MODE, 0, 0, 0, 0), 0);
  set_color_depth(24);
  bitmap_ptr shot(load_bitmap_png(dir_.file("desk.png").c_str(), nullptr));
  ASSERT_NE(shot, nullptr) << error_text;
  EXPECT_EQ(raw_pixel(shot.get(), 0, 0), 0xFFFFFFu);
}

}  // namespace
