// The window display driver 'QZWN' on the stand-in: its failures in the order of its steps, its
// description in matching and in emulation, dirty rows copied (converted in emulation) and
// cleared by the event loop's window update, wait_retrace released by an update, the palette of an
// 8-bit screen, the close button, the hardware cursor, and the safe mode reaching the window.
#include <gtest/gtest.h>
#include <standin/cocoa.h>
#include <standin/display.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/gfx.h"
#include "corvane/mouse.h"
#include "corvane/system.h"
#include "platform/macosx/macosx_cocoa.h"
#include "platform/macosx/quartz_display.h"
#include "quartz_test_support.h"

namespace {

using namespace corvane::macosx;
using macosx_testing::call_log;
using macosx_testing::display_left_alone;

class QuartzWindowTest : public macosx_testing::QuartzTest {
 protected:
  static int open_window(int depth, int width = 320, int height = 200) {
    set_color_depth(depth);
    return select_gfx_mode(GFX_QUARTZ_WINDOW, width, height, 0, 0);
  }

  // A pixel of the window's port, as stored.
  static uint32_t port_pixel(int x, int y) {
    int width = 0;
    int height = 0;
    int depth = 0;
    long row_bytes = 0;
    const auto *pixels =
        static_cast<const unsigned char *>(standin_window_pixels(&width, &height, &depth, &row_bytes));
    if (pixels == nullptr) return 0xDEADBEEF;
    if (depth == 16) {
      uint16_t value = 0;
      std::memcpy(&value, pixels + y * row_bytes + x * 2, 2);
      return value;
    }
    uint32_t value = 0;
    std::memcpy(&value, pixels + y * row_bytes + x * 4, 4);
    return value;
  }

  static std::string flushed_rows() {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    standin_last_flush_bounds(&left, &top, &right, &bottom);
    return std::to_string(top) + "-" + std::to_string(bottom);
  }
};

TEST_F(QuartzWindowTest, EachStepThatFailsLeavesNothingBehind) {
  const long objects = standin_live_objects();
  EXPECT_NE(open_window(12), 0);
  EXPECT_STREQ(error_text, "Unsupported color depth");
  set_color_depth(32);
  EXPECT_NE(select_gfx_mode(GFX_QUARTZ_WINDOW, 320, 200, 320, 201), 0);
  EXPECT_STREQ(error_text, "Resolution not supported");
  EXPECT_NE(select_gfx_mode(GFX_QUARTZ_WINDOW, -320, 200, 0, 0), 0);
  EXPECT_STREQ(error_text, "Resolution not supported");
  EXPECT_EQ(call_log().find("NSWindow"), std::string::npos);

  standin_fail_next_alloc("CorvaneView");
  EXPECT_NE(open_window(32), 0);
  EXPECT_STREQ(error_text, "Not enough memory");
  EXPECT_NE(call_log().find("NSWindow close"), std::string::npos);

  standin_fail_display_step(STANDIN_FAIL_REGION);
  EXPECT_NE(open_window(32), 0);
  EXPECT_STREQ(error_text, "Not enough memory");

  EXPECT_TRUE(display_left_alone());
  EXPECT_EQ(installed_window_hooks(), nullptr);
  EXPECT_EQ(standin_live_objects(), objects);
}

TEST_F(QuartzWindowTest, TheWindowIsMadeAsAskedAndTakenDownWhole) {
  // A first window and event loop pass make the system's shared objects (the process
  // information, the distant past).
  ASSERT_EQ(open_window(32), 0) << error_text;
  event_loop_pass();
  ASSERT_EQ(select_gfx_mode(TEXT_MODE, 0, 0, 0, 0), 0);
  const long objects = standin_live_objects();
  standin_clear_call_log();
  current_cursor = blank_cursor;
  ASSERT_EQ(open_window(32), 0) << error_text;
  // The view shows the current cursor over the whole mode, from the moment the mouse enters.
  EXPECT_EQ(standin_cursor_rects(), 1);
  EXPECT_EQ(standin_cursor_set_on_mouse_entered(), 1);
  EXPECT_NE(call_log().find("NSWindow initWithContentRect: 320x200 styleMask: 7 backing: 2 defer: 0"),
            std::string::npos);
  char title[64];
  standin_window_title(title, sizeof title);
  EXPECT_STREQ(title, "Greeter");
  EXPECT_EQ(standin_open_windows(), 1);
  EXPECT_EQ(standin_tracking_rects(), 1);
  EXPECT_EQ(display_state.load(), DISPLAY_WINDOW);
  EXPECT_NE(display_mutex.load(), nullptr);
  EXPECT_EQ(current_gfx_driver->windowed, -1);
  EXPECT_EQ(current_refresh_rate, 60);
  // The title follows the program.
  current_system_driver->set_window_title("Caf\xC3\xA9");
  standin_window_title(title, sizeof title);
  EXPECT_STREQ(title, "Caf\xC3\xA9");

  ASSERT_EQ(select_gfx_mode(TEXT_MODE, 0, 0, 0, 0), 0);
  event_loop_pass();
  EXPECT_TRUE(display_left_alone());
  EXPECT_EQ(standin_live_objects(), objects);
}

TEST_F(QuartzWindowTest, DescriptionSaysWhetherTheDesktopMatches) {
  ASSERT_EQ(open_window(32), 0) << error_text;
  EXPECT_STREQ(current_gfx_driver->description, "Cocoa window using QuickDraw view, 32 bpp in matching");
  ASSERT_EQ(open_window(24), 0) << error_text;
  EXPECT_STREQ(current_gfx_driver->description,
               "Cocoa window using QuickDraw view, 24 bpp in fast emulation");
  // A desktop of 16 bits has the 15-bit layout.
  standin_set_display_mode(1024, 768, 16, 75);
  ASSERT_EQ(open_window(15), 0) << error_text;
  EXPECT_STREQ(current_gfx_driver->description, "Cocoa window using QuickDraw view, 15 bpp in matching");
  ASSERT_EQ(open_window(16), 0) << error_text;
  EXPECT_STREQ(current_gfx_driver->description,
               "Cocoa window using QuickDraw view, 16 bpp in fast emulation");
}

TEST_F(QuartzWindowTest, AnUpdateCopiesTheDirtyRowsAndClearsThem) {
  ASSERT_EQ(open_window(32), 0) << error_text;
  event_loop_pass();
  EXPECT_EQ(flushed_rows(), "0-200");
  put_pixel(screen_bitmap, 5, 50, 0x123456);
  put_pixel(screen_bitmap, 6, 52, 0x654321);
  EXPECT_EQ(port_pixel(5, 50), 0U);
  event_loop_pass();
  EXPECT_EQ(port_pixel(5, 50), 0x123456U);
  EXPECT_EQ(port_pixel(6, 52), 0x654321U);
  EXPECT_EQ(flushed_rows(), "50-53");
  // Nothing drawn since: nothing copied.
  event_loop_pass();
  EXPECT_EQ(flushed_rows(), "0-0");
  // A sub-bitmap's rows are the screen's rows below its top.
  bitmap *part = create_subbitmap(screen_bitmap, 10, 100, 20, 20);
  ASSERT_NE(part, nullptr);
  put_pixel(part, 0, 3, 0xABCDEF);
  destroy_bitmap(part);
  event_loop_pass();
  EXPECT_EQ(flushed_rows(), "103-104");
  EXPECT_EQ(port_pixel(10, 103), 0xABCDEFU);
}

TEST_F(QuartzWindowTest, EmulationConvertsEveryDepthToTheDesktops) {
  // A plain reference: each component widened to 8 bits by the library's scales.
  ASSERT_EQ(open_window(16), 0) << error_text;
  const int colour16 = make_color(200, 100, 50);
  put_pixel(screen_bitmap, 0, 0, colour16);
  event_loop_pass();
  const uint32_t expected16 = (static_cast<uint32_t>(SCALE_5_TO_8[(colour16 >> 11) & 31]) << 16) |
                              (static_cast<uint32_t>(SCALE_6_TO_8[(colour16 >> 5) & 63]) << 8) |
                              static_cast<uint32_t>(SCALE_5_TO_8[colour16 & 31]);
  EXPECT_EQ(port_pixel(0, 0), expected16);

  ASSERT_EQ(open_window(24), 0) << error_text;
  put_pixel(screen_bitmap, 319, 199, make_color(1, 2, 3));
  event_loop_pass();
  EXPECT_EQ(port_pixel(319, 199), 0x010203U);

  // On a 16-bit desktop a 32-bit screen loses the low bits of each component.
  standin_set_display_mode(1024, 768, 16, 60);
  ASSERT_EQ(open_window(32), 0) << error_text;
  put_pixel(screen_bitmap, 1, 1, make_color(0xFF, 0x80, 0x0F));
  event_loop_pass();
  EXPECT_EQ(port_pixel(1, 1), (31U << 10) | (16U << 5) | 1U);
}

TEST_F(QuartzWindowTest, AnEightBitScreenIsShownThroughItsPalette) {
  ASSERT_EQ(open_window(8), 0) << error_text;
  EXPECT_STREQ(current_gfx_driver->description,
               "Cocoa window using QuickDraw view, 8 bpp in fast emulation");
  put_pixel(screen_bitmap, 2, 2, 9);
  event_loop_pass();
  rgb_entry colours[PALETTE_SIZE] = {};
  colours[9] = rgb_entry{63, 0, 32, 0};
  apply_palette(colours);
  // A new palette redraws the whole window.
  event_loop_pass();
  EXPECT_EQ(flushed_rows(), "0-200");
  EXPECT_EQ(port_pixel(2, 2), (255U << 16) | static_cast<uint32_t>(SCALE_6_TO_8[32]));
}

TEST_F(QuartzWindowTest, WaitRetraceReturnsAfterTheNextUpdate) {
  ASSERT_EQ(open_window(32), 0) << error_text;
  std::atomic<bool> returned{false};
  std::thread waiter([&] {
    current_gfx_driver->wait_retrace();
    returned = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(returned.load());
  // The event loop updates the window until the waiter has seen one.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!returned && std::chrono::steady_clock::now() < until) {
    event_loop_pass();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  waiter.join();
  EXPECT_TRUE(returned.load());
}

TEST_F(QuartzWindowTest, DrawingAndTheUpdateNeverOverlap) {
  ASSERT_EQ(open_window(32), 0) << error_text;
  // While the program holds the screen, the update waits for it.
  acquire_bitmap(screen_bitmap);
  std::atomic<bool> updated{false};
  std::thread main_thread([&] {
    event_loop_pass();
    updated = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(updated.load());
  release_bitmap(screen_bitmap);
  main_thread.join();
  EXPECT_TRUE(updated.load());
  // A single drawing call leaves the screen free.
  put_pixel(screen_bitmap, 0, 0, 1);
  std::thread after([] { event_loop_pass(); });
  after.join();
  EXPECT_EQ(port_pixel(0, 0), 1U);
}

int close_requests = 0;
void count_close_request() { ++close_requests; }

TEST_F(QuartzWindowTest, TheCloseButtonAsksTheProgramAndTheWindowStays) {
  ASSERT_EQ(open_window(32), 0) << error_text;
  close_requests = 0;
  EXPECT_EQ(standin_click_window_close(), 0);
  EXPECT_EQ(standin_open_windows(), 1);
  ASSERT_EQ(current_system_driver->set_close_callback(count_close_request), 0);
  EXPECT_EQ(standin_click_window_close(), 0);
  EXPECT_EQ(close_requests, 1);
  current_system_driver->set_close_callback(nullptr);
  // Back from the Dock, the window is drawn whole again.
  event_loop_pass();
  standin_set_window_miniaturized(1);
  event_loop_pass();
  EXPECT_EQ(flushed_rows(), "0-0");
  standin_set_window_miniaturized(0);
  event_loop_pass();
  EXPECT_EQ(flushed_rows(), "0-200");
}

TEST_F(QuartzWindowTest, TheCursorIsMadeFromASpriteAndSetOnTheMainThread) {
  ASSERT_EQ(open_window(32), 0) << error_text;
  bitmap *sprite = create_bitmap(16, 8);
  ASSERT_NE(sprite, nullptr);
  clear_to_color(sprite, make_color(255, 0, 255));
  put_pixel(sprite, 1, 1, make_color(10, 20, 30));
  standin_clear_call_log();
  ASSERT_EQ(current_gfx_driver->set_cursor_image(sprite, 1, 1), 0);
  EXPECT_NE(call_log().find("NSBitmapImageRep 16x8 8/4 alpha 1 planar 0 NSDeviceRGBColorSpace 64 32"),
            std::string::npos)
      << call_log();
  EXPECT_EQ(current_gfx_driver->show_cursor(sprite, 0, 0), -1);
  EXPECT_EQ(current_gfx_driver->show_cursor(screen_bitmap, 0, 0), 0);
  NSCursor *sprite_cursor = current_cursor;
  ASSERT_NE(sprite_cursor, nil);
  // Set by the main thread, not by the caller.
  EXPECT_EQ(call_log().find("NSCursor set"), std::string::npos);
  event_loop_pass();
  EXPECT_NE(call_log().find("NSCursor set"), std::string::npos);
  current_gfx_driver->hide_cursor();
  EXPECT_EQ(current_cursor, blank_cursor);
  destroy_bitmap(sprite);
}

// AppKit keeps the cursor on show for as long as it likes: replacing the library's cursor must
// not free the pixels that cursor is drawn from.
TEST_F(QuartzWindowTest, ACursorAppKitStillHoldsKeepsItsPixelsWhenReplaced) {
  ASSERT_EQ(open_window(32), 0) << error_text;
  bitmap *sprite = create_bitmap(4, 2);
  ASSERT_NE(sprite, nullptr);
  clear_to_color(sprite, make_color(255, 0, 255));
  put_pixel(sprite, 1, 1, make_color(10, 20, 30));
  ASSERT_EQ(current_gfx_driver->set_cursor_image(sprite, 0, 0), 0);
  ASSERT_EQ(current_gfx_driver->show_cursor(screen_bitmap, 0, 0), 0);
  NSCursor *held = [current_cursor retain];
  clear_to_color(sprite, make_color(1, 2, 3));
  ASSERT_EQ(current_gfx_driver->set_cursor_image(sprite, 0, 0), 0);
  const unsigned char *pixels = standin_cursor_pixels(held);
  ASSERT_NE(pixels, nullptr);
  const unsigned char expected[8] = {0, 0, 0, 0, 10, 20, 30, 255};  // (0, 1) is the mask colour
  EXPECT_EQ(std::memcmp(pixels + 4 * 4, expected, 8), 0);
  [held release];
  destroy_bitmap(sprite);
}

TEST_F(QuartzWindowTest, TheSafeModeIsTheEightBitWindow) {
  // No full-screen mode of 320 x 200: autodetection and the safe mode both end in the window.
  set_color_depth(8);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0) << error_text;
  EXPECT_EQ(current_gfx_driver, &quartz_window_driver);
  ASSERT_EQ(select_gfx_mode(GFX_SAFE, 320, 200, 0, 0), 0) << error_text;
  EXPECT_EQ(current_gfx_driver, &quartz_window_driver);
  EXPECT_EQ(bitmap_color_depth(screen_bitmap), 8);
}

// The window hands the pointer to the mouse driver while it is up: a move lands on the screen pixel
// under it (the window counts from its bottom edge), and once the window is closed moves change
// nothing.
TEST_F(QuartzWindowTest, ThePointerReachesTheMouseWhileTheWindowIsUp) {
  ASSERT_EQ(open_window(32), 0) << error_text;
  ASSERT_GE(install_mouse(), 1);
  const auto move_to = [](int x, int y) {
    standin_post_mouse(NSMouseMoved, x + 0.5, 200 - 1 - y + 0.5, 1, 0, 0, 0, 0);
    event_loop_pass();
  };
  move_to(10, 10);  // the event after the centring warp is skipped
  move_to(37, 150);
  EXPECT_EQ(std::atomic_ref<int>(mouse_x).load(), 37);
  EXPECT_EQ(std::atomic_ref<int>(mouse_y).load(), 150);
  ASSERT_EQ(select_gfx_mode(TEXT_MODE, 0, 0, 0, 0), 0);
  move_to(80, 20);
  EXPECT_EQ(std::atomic_ref<int>(mouse_x).load(), 37);
  remove_mouse();
}

// Placing the pointer at a screen position warps the system pointer to that pixel of the window's
// content area, wherever the window lies on the desktop and after it is dragged elsewhere.
TEST_F(QuartzWindowTest, PositioningThePointerWarpsToTheWindowsPlaceOnTheDesktop) {
  ASSERT_EQ(open_window(32), 0) << error_text;
  ASSERT_GE(install_mouse(), 1);
  const double desktop_height = static_cast<double>(CGDisplayPixelsHigh(CGMainDisplayID()));
  const auto expect_warp_to = [desktop_height](int x, int y) {
    double left = 0, bottom = 0, width = 0, height = 0;
    ASSERT_EQ(standin_window_content_rect(&left, &bottom, &width, &height), 1);
    position_mouse(x, y);
    double warp_x = 0, warp_y = 0;
    int count = 0;
    standin_last_warp(&warp_x, &warp_y, &count);
    // Global coordinates count from the desktop's top edge; the window from its bottom-left.
    EXPECT_EQ(warp_x, left + x);
    EXPECT_EQ(warp_y, desktop_height - (bottom + height) + y);
  };
  double left = 0, bottom = 0, width = 0, height = 0;
  ASSERT_EQ(standin_window_content_rect(&left, &bottom, &width, &height), 1);
  ASSERT_GT(left, 0);  // centred, so away from the desktop's corner
  expect_warp_to(10, 20);
  standin_move_window(100, 50);
  expect_warp_to(10, 20);
  remove_mouse();
}

}  // namespace
