// The full-screen display driver 'QZFL' on the stand-in: its failures in the order of its steps,
// each giving the display back as it was; the open mode with its description and hardware cursor;
// the palette reaching the display through the event loop; video and system bitmaps as
// off-screen worlds; and the mode list, empty or not.
#include <gtest/gtest.h>
#include <standin/cocoa.h>
#include <standin/display.h>

#include <cstring>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "platform/macosx/macosx_cocoa.h"
#include "platform/macosx/quartz_display.h"
#include "quartz_test_support.h"

namespace {

using namespace corvane::macosx;
using macosx_testing::call_log;
using macosx_testing::current_display_mode;
using macosx_testing::display_left_alone;

class QuartzFullscreenTest : public macosx_testing::QuartzTest {
 protected:
  void TearDown() override {
    set_requested_refresh_rate(0);
    QuartzTest::TearDown();
  }
  // Opens the full-screen mode at a depth and says why it failed.
  static std::string fails_with(int depth, int width, int height, int virtual_width = 0,
                                int virtual_height = 0) {
    set_color_depth(depth);
    if (select_gfx_mode(GFX_QUARTZ_FULLSCREEN, width, height, virtual_width, virtual_height) == 0) {
      return "(opened)";
    }
    return error_text;
  }
};

TEST_F(QuartzFullscreenTest, EachStepThatFailsGivesTheDisplayBackAsItWas) {
  EXPECT_EQ(fails_with(16, 640, 480), "Unsupported color depth");
  EXPECT_EQ(fails_with(24, 640, 480), "Unsupported color depth");
  EXPECT_EQ(fails_with(8, 640, 480, 641, 0), "Resolution not supported");
  // No display mode is 320 x 200, the size 0 x 0 stands for.
  EXPECT_EQ(fails_with(8, 0, 0), "Resolution not supported");
  EXPECT_TRUE(display_left_alone());
  EXPECT_EQ(call_log().find("CGDisplayCapture"), std::string::npos);

  standin_fail_display_step(STANDIN_FAIL_CAPTURE);
  EXPECT_EQ(fails_with(8, 640, 480), "Cannot capture main display");
  EXPECT_TRUE(display_left_alone());
  EXPECT_EQ(current_display_mode(), "1024x768x32");

  standin_fail_display_step(STANDIN_FAIL_SWITCH);
  EXPECT_EQ(fails_with(32, 800, 600), "Cannot switch main display mode");
  EXPECT_TRUE(display_left_alone());
  EXPECT_EQ(current_display_mode(), "1024x768x32");

  // The port is made after the switch and the palette: both are undone.
  standin_fail_display_step(STANDIN_FAIL_DISPLAY_PORT);
  EXPECT_EQ(fails_with(8, 640, 480), "Cannot create DirectDisplay port");
  EXPECT_TRUE(display_left_alone());
  EXPECT_EQ(current_display_mode(), "1024x768x32");
  EXPECT_EQ(current_gfx_driver, nullptr);
}

TEST_F(QuartzFullscreenTest, ARequestedRefreshRateIsAskedForFirst) {
  const int modes[] = {640, 480, 8, 60, 640, 480, 8, 75};
  standin_set_available_modes(modes, 2);
  set_requested_refresh_rate(75);
  set_color_depth(8);
  ASSERT_EQ(select_gfx_mode(GFX_QUARTZ_FULLSCREEN, 640, 480, 0, 0), 0) << error_text;
  EXPECT_EQ(current_refresh_rate, 75);
  // A rate the display lacks falls back to any rate of the size.
  set_requested_refresh_rate(85);
  ASSERT_EQ(select_gfx_mode(GFX_QUARTZ_FULLSCREEN, 640, 480, 0, 0), 0) << error_text;
  const std::string log = call_log();
  EXPECT_NE(log.find("CGDisplayBestModeForParametersAndRefreshRate 8 640x480 85\n"
                     "CGDisplayBestModeForParameters 8 640x480"),
            std::string::npos)
      << log;
}

TEST_F(QuartzFullscreenTest, AnOpenModeOwnsTheDisplayUntilItCloses) {
  set_color_depth(15);
  ASSERT_EQ(select_gfx_mode(GFX_QUARTZ_FULLSCREEN, 800, 600, 0, 0), 0) << error_text;
  EXPECT_STREQ(quartz_fullscreen_driver.description, "CoreGraphics DirectDisplay access, 15 bpp");
  EXPECT_EQ(current_display_mode(), "800x600x16");
  EXPECT_EQ(display_state.load(), DISPLAY_FULLSCREEN);
  EXPECT_EQ(standin_display_captured(), 1);
  EXPECT_EQ(standin_menu_bar_visible(), 0);
  EXPECT_EQ(standin_cursor_hide_count(), 1);
  EXPECT_EQ(quartz_fullscreen_driver.video_memory, 2 * 800 * 600);
  EXPECT_NE(quartz_fullscreen_driver.set_cursor_image, nullptr);
  // The screen is the frame buffer, in the Mac's 1-5-5-5 layout.
  long row_bytes = 0;
  int depth = 0;
  const auto *frame = static_cast<const unsigned char *>(standin_display_pixels(&row_bytes, &depth));
  ASSERT_EQ(screen_bitmap->lines[0], frame);
  put_pixel(screen_bitmap, 3, 2, make_color(255, 0, 0));
  uint16_t pixel = 0;
  std::memcpy(&pixel, frame + 2 * row_bytes + 3 * 2, 2);
  EXPECT_EQ(pixel, 0x7C00);
  // Overlapping copies within the display go through QuickDraw.
  blit(screen_bitmap, screen_bitmap, 1, 2, 0, 2, 8, 1);
  EXPECT_NE(call_log().find("CopyBits 8x1"), std::string::npos);
  std::memcpy(&pixel, frame + 2 * row_bytes + 2 * 2, 2);
  EXPECT_EQ(pixel, 0x7C00);

  ASSERT_EQ(select_gfx_mode(TEXT_MODE, 0, 0, 0, 0), 0);
  EXPECT_TRUE(display_left_alone());
  EXPECT_EQ(current_display_mode(), "1024x768x32");

  // At 8 bits the library draws the pointer itself.
  set_color_depth(8);
  ASSERT_EQ(select_gfx_mode(GFX_QUARTZ_FULLSCREEN, 640, 480, 0, 0), 0) << error_text;
  EXPECT_EQ(quartz_fullscreen_driver.set_cursor_image, nullptr);
  EXPECT_EQ(quartz_fullscreen_driver.show_cursor, nullptr);
}

TEST_F(QuartzFullscreenTest, ThePaletteReachesTheDisplayThroughTheEventLoop) {
  set_color_depth(8);
  ASSERT_EQ(select_gfx_mode(GFX_QUARTZ_FULLSCREEN, 640, 480, 0, 0), 0) << error_text;
  CGDirectPaletteRef hardware = hardware_palette.load();
  ASSERT_NE(hardware, nullptr);
  palette_dirty = false;
  standin_clear_call_log();
  rgb_entry colours[PALETTE_SIZE] = {};
  colours[7] = rgb_entry{63, 21, 0, 0};
  apply_palette(colours);
  EXPECT_TRUE(palette_dirty.load());
  EXPECT_EQ(call_log().find("CGDisplaySetPalette"), std::string::npos);
  event_loop_pass();
  EXPECT_FALSE(palette_dirty.load());
  char expected[64];
  std::snprintf(expected, sizeof expected, "CGDisplaySetPalette %p", static_cast<void *>(hardware));
  EXPECT_NE(call_log().find(expected), std::string::npos) << call_log();
  float rgb[3] = {};
  ASSERT_EQ(standin_palette_color(hardware, 7, rgb), 1);
  EXPECT_FLOAT_EQ(rgb[0], 1.0F);
  EXPECT_FLOAT_EQ(rgb[1], 21.0F / 63.0F);
  EXPECT_FLOAT_EQ(rgb[2], 0.0F);
}

TEST_F(QuartzFullscreenTest, VideoAndSystemBitmapsAreOffScreenWorlds) {
  set_color_depth(32);
  ASSERT_EQ(select_gfx_mode(GFX_QUARTZ_FULLSCREEN, 640, 480, 0, 0), 0) << error_text;
  standin_clear_call_log();
  bitmap *page = create_video_bitmap(64, 32);
  bitmap *system = create_system_bitmap(16, 16);
  ASSERT_NE(page, nullptr);
  ASSERT_NE(system, nullptr);
  const std::string log = call_log();
  EXPECT_NE(log.find("NewGWorld 32 flags 32"), std::string::npos) << log;
  EXPECT_NE(log.find("NewGWorld 32 flags 64"), std::string::npos) << log;
  EXPECT_EQ(standin_live_ports(), 3);
  EXPECT_NE(page->flags & BITMAP_FLAG_VIDEO, 0U);
  EXPECT_NE(system->flags & BITMAP_FLAG_SYSTEM, 0U);

  // Showing the page copies it to the display.
  clear_to_color(page, make_color(0, 0, 255));
  ASSERT_EQ(show_video_bitmap(page), 0);
  EXPECT_EQ(get_pixel(screen_bitmap, 63, 31), make_color(0, 0, 255));
  EXPECT_NE(get_pixel(screen_bitmap, 64, 31), make_color(0, 0, 255));

  destroy_bitmap(page);
  destroy_bitmap(system);
  EXPECT_EQ(standin_live_ports(), 1);
  EXPECT_EQ(standin_locked_ports(), 0);
  standin_fail_display_step(STANDIN_FAIL_GWORLD);
  EXPECT_EQ(create_video_bitmap(8, 8), nullptr);
  EXPECT_EQ(standin_live_ports(), 1);
}

TEST_F(QuartzFullscreenTest, TheModeListIsTheDisplaysModesEvenWhenItHasNone) {
  const int modes[] = {800, 600, 32, 60, 640, 480, 8, 60, 640, 480, 16, 75};
  standin_set_available_modes(modes, 3);
  gfx_mode_list *list = get_mode_list(GFX_QUARTZ_FULLSCREEN);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count, 3);
  EXPECT_EQ(list->modes[0].bpp, 8);
  EXPECT_EQ(list->modes[1].bpp, 16);
  EXPECT_EQ(list->modes[2].width, 800);
  free_mode_list(list);

  standin_set_available_modes(nullptr, 0);
  list = get_mode_list(GFX_QUARTZ_FULLSCREEN);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count, 0);
  free_mode_list(list);
  set_color_depth(8);
  EXPECT_NE(select_gfx_mode(GFX_QUARTZ_FULLSCREEN, 640, 480, 0, 0), 0);
  EXPECT_STREQ(error_text, "Resolution not supported");
  EXPECT_TRUE(display_left_alone());
}

}  // namespace
