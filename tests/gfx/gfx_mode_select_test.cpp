// Opening and closing graphics modes on the fake drivers: which driver a request starts, what
// failures report, the state a new mode sets up, the teardown of the previous mode, the safe
// mode, text mode and the exit function.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "support/test_gfx_driver.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

// Calls of the system driver's optional operations that mode changes use.
struct system_calls {
  int save_console = 0;
  int restore_console = 0;
  std::vector<std::pair<int, int>> locks;
  std::vector<std::string> messages;
  int safe_driver = 0;
  gfx_mode_entry safe_mode{};
};
system_calls sys_calls;

void count_save_console() { ++sys_calls.save_console; }
void count_restore_console() { ++sys_calls.restore_console; }
void record_lock(int lock, int foreground) { sys_calls.locks.emplace_back(lock, foreground); }
void record_message(const char *text) { sys_calls.messages.emplace_back(text); }
void answer_safe_mode(int *driver, gfx_mode_entry *mode) {
  *driver = sys_calls.safe_driver;
  *mode = sys_calls.safe_mode;
}

class GfxModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sys_calls = system_calls{};
    reset_test_system();
    reset_test_gfx_drivers();
    ASSERT_EQ(start_with_test_system(), 0);
    system_driver &d = the_test_system().driver;
    d.save_console = count_save_console;
    d.restore_console = count_restore_console;
    d.lock_display_switch = record_lock;
    d.show_message_op = record_message;
  }
  void TearDown() override { shutdown_corvane(); }

  static test_gfx_driver &fake(int i) { return test_gfx(i); }
};

TEST_F(GfxModeTest, AnEmptyDriverListFailsWithTheGenericReason) {
  EXPECT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), -1);
  EXPECT_STREQ(error_text, "Unable to find a suitable graphics driver");
  EXPECT_EQ(current_gfx_driver, nullptr);
  EXPECT_EQ(screen_bitmap, nullptr);
}

TEST_F(GfxModeTest, AutodetectStartsTheFirstDriverThatOpens) {
  fake(0).fail_init = true;
  use_test_gfx_drivers({&fake(0), &fake(1), &fake(2)});
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  EXPECT_EQ(current_gfx_driver, &fake(1).driver);
  EXPECT_EQ(screen_bitmap, fake(1).screen);
  EXPECT_EQ(fake(0).calls.init, 1);
  EXPECT_EQ(fake(1).calls.init, 1);
  EXPECT_EQ(fake(2).calls.init, 0);
  EXPECT_STREQ(current_gfx_driver->name, "Test graphics 1");
  EXPECT_STREQ(current_gfx_driver->description, "Test graphics 1");
  EXPECT_STREQ(error_text, "");
}

TEST_F(GfxModeTest, InitReceivesTheRequestAndTheCurrentDepth) {
  use_test_gfx_drivers({&fake(0)});
  set_color_depth(16);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 640, 400), 0);
  EXPECT_EQ(fake(0).calls.init_width, 320);
  EXPECT_EQ(fake(0).calls.init_height, 200);
  EXPECT_EQ(fake(0).calls.init_virtual_width, 640);
  EXPECT_EQ(fake(0).calls.init_virtual_height, 400);
  EXPECT_EQ(fake(0).calls.init_depth, 16);
  EXPECT_EQ(bitmap_color_depth(screen_bitmap), 16);
}

TEST_F(GfxModeTest, DriversWithoutTheAutodetectFlagAreOnlyStartedByTheirId) {
  use_test_gfx_driver_list({{&fake(0), false}, {&fake(1), true}});
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  EXPECT_EQ(current_gfx_driver, &fake(1).driver);
  EXPECT_EQ(fake(0).calls.init, 0);

  ASSERT_EQ(select_gfx_mode(fake(0).driver.id, 320, 200, 0, 0), 0);
  EXPECT_EQ(current_gfx_driver, &fake(0).driver);
}

TEST_F(GfxModeTest, AnUnknownIdFailsWithoutStartingAnything) {
  use_test_gfx_drivers({&fake(0)});
  EXPECT_EQ(select_gfx_mode(CORVANE_ID('N', 'O', 'P', 'E'), 320, 200, 0, 0), -1);
  EXPECT_EQ(fake(0).calls.init, 0);
  EXPECT_STREQ(error_text, "Unable to find a suitable graphics driver");
}

TEST_F(GfxModeTest, ADriversOwnReasonWinsOverTheGenericOne) {
  fake(0).fail_init = true;
  fake(0).failure_text = "Mode not supported";
  use_test_gfx_drivers({&fake(0)});
  EXPECT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), -1);
  EXPECT_STREQ(error_text, "Mode not supported");
  EXPECT_EQ(current_gfx_driver, nullptr);
}

TEST_F(GfxModeTest, AnOldErrorTextDoesNotHideTheGenericReason) {
  set_error_text("Something earlier");
  EXPECT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), -1);
  EXPECT_STREQ(error_text, "Unable to find a suitable graphics driver");
}

TEST_F(GfxModeTest, FullScreenAndWindowedRequestsOnlyStartDriversOfTheirKind) {
  fake(0).driver.windowed = 1;
  use_test_gfx_drivers({&fake(0), &fake(1)});

  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT_FULLSCREEN, 320, 200, 0, 0), 0);
  EXPECT_EQ(current_gfx_driver, &fake(1).driver);
  EXPECT_EQ(fake(0).calls.init, 0);

  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT_WINDOWED, 320, 200, 0, 0), 0);
  EXPECT_EQ(current_gfx_driver, &fake(0).driver);

  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  EXPECT_EQ(current_gfx_driver, &fake(0).driver) << "any kind: the list order decides";
}

TEST_F(GfxModeTest, AWindowedRequestNeverStartsAFullScreenDriver) {
  use_test_gfx_drivers({&fake(0), &fake(1)});
  EXPECT_EQ(select_gfx_mode(GFX_AUTODETECT_WINDOWED, 320, 200, 0, 0), -1);
  EXPECT_EQ(fake(0).calls.init + fake(1).calls.init, 0);
}

TEST_F(GfxModeTest, ANewModeIsClearedAndSetsUpPaletteAndColours) {
  use_test_gfx_drivers({&fake(0)});
  for (int i = 0; i < 256; ++i) palette_color_tables[0][i] = 7;
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 16, 8, 0, 0), 0);
  for (unsigned char byte : fake(0).surface) ASSERT_EQ(byte, 0) << "the screen is cleared to 0";
  for (int i = 0; i < 256; ++i) ASSERT_EQ(palette_color_tables[0][i], static_cast<uint32_t>(i));
  EXPECT_EQ(std::memcmp(current_palette, desktop_palette, sizeof(palette)), 0);
  EXPECT_EQ(fake(0).calls.write_palette, 1) << "an 8-bit screen receives the palette";
  EXPECT_EQ(dialog_fg_color, 255);
  EXPECT_EQ(dialog_mid_color, 8);
  EXPECT_EQ(dialog_bg_color, 0);
  EXPECT_EQ(fake(0).calls.drawing_mode_changed, 1);
}

TEST_F(GfxModeTest, DialogColoursArePackedForTrueColourModes) {
  use_test_gfx_drivers({&fake(0)});
  set_color_depth(16);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 16, 8, 0, 0), 0);
  EXPECT_EQ(dialog_fg_color, 0);
  EXPECT_EQ(dialog_mid_color, make_color_depth(16, 128, 128, 128));
  EXPECT_EQ(dialog_bg_color, 0xFFFF);
  EXPECT_EQ(fake(0).calls.write_palette, 0) << "only 8-bit screens receive palettes";
}

TEST_F(GfxModeTest, CapabilitiesNeedALargerScreenAndTheDriversOperations) {
  use_test_gfx_drivers({&fake(0)});
  fake(0).give_scroll();
  fake(0).give_request_scroll();
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  EXPECT_EQ(gfx_capabilities, 0) << "nothing to scroll over";

  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 320, 400), 0);
  EXPECT_EQ(gfx_capabilities, GFX_CAN_SCROLL | GFX_CAN_TRIPLE_BUFFER);

  fake(0).driver.request_scroll = nullptr;
  fake(0).give_request_video_bitmap();
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 640, 200), 0);
  EXPECT_EQ(gfx_capabilities, GFX_CAN_SCROLL | GFX_CAN_TRIPLE_BUFFER);

  fake(0).driver.scroll = nullptr;
  fake(0).driver.request_video_bitmap = nullptr;
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 640, 200), 0);
  EXPECT_EQ(gfx_capabilities, 0);
}

TEST_F(GfxModeTest, ChangingModesClosesThePreviousOneCompletely) {
  use_test_gfx_drivers({&fake(0), &fake(1)});
  fake(0).give_scroll();
  ASSERT_EQ(select_gfx_mode(fake(0).driver.id, 64, 32, 64, 128), 0);
  bitmap *first_screen = screen_bitmap;
  bitmap *video = create_video_bitmap(16, 16);
  ASSERT_NE(video, nullptr);
  ASSERT_NE(video_bitmap_list, nullptr);
  ASSERT_EQ(select_gfx_mode(fake(1).driver.id, 64, 32, 0, 0), 0);

  EXPECT_EQ(fake(0).calls.exit, 1);
  EXPECT_EQ(fake(0).calls.exit_screen, first_screen);
  ASSERT_FALSE(fake(0).calls.scrolls.empty());
  EXPECT_EQ(fake(0).calls.scrolls.back(), std::make_pair(0, 0)) << "the display is reset to 0,0";
  EXPECT_EQ(video_bitmap_list, nullptr) << "video bitmaps belong to the mode";
  EXPECT_EQ(current_gfx_driver, &fake(1).driver);
}

TEST_F(GfxModeTest, AFailedRequestLeavesTextMode) {
  use_test_gfx_drivers({&fake(0), &fake(1)});
  ASSERT_EQ(select_gfx_mode(fake(0).driver.id, 64, 32, 0, 0), 0);
  fake(1).fail_init = true;
  EXPECT_EQ(select_gfx_mode(fake(1).driver.id, 64, 32, 0, 0), -1);
  EXPECT_EQ(fake(0).calls.exit, 1) << "the old mode is closed before the new one is tried";
  EXPECT_EQ(current_gfx_driver, nullptr);
  EXPECT_EQ(screen_bitmap, nullptr);
  EXPECT_EQ(gfx_capabilities, 0);
}

TEST_F(GfxModeTest, TextModeClosesTheModeAndRestoresTheConsole) {
  use_test_gfx_drivers({&fake(0)});
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 64, 32, 0, 0), 0);
  ASSERT_NE(line_bank_table, nullptr);
  EXPECT_EQ(sys_calls.save_console, 1);
  EXPECT_EQ(select_gfx_mode(TEXT_MODE, 0, 0, 0, 0), 0);
  EXPECT_EQ(fake(0).calls.exit, 1);
  EXPECT_EQ(screen_bitmap, nullptr);
  EXPECT_EQ(line_bank_table, nullptr);
  EXPECT_EQ(sys_calls.restore_console, 1);
  EXPECT_EQ(sys_calls.save_console, 1) << "the console is saved on first use only";
}

TEST_F(GfxModeTest, EveryModeChangeHoldsTheDisplaySwitchLock) {
  use_test_gfx_drivers({&fake(0)});
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 64, 32, 0, 0), 0);
  EXPECT_EQ(select_gfx_mode(CORVANE_ID('N', 'O', 'P', 'E'), 64, 32, 0, 0), -1);
  EXPECT_EQ(select_gfx_mode(TEXT_MODE, 0, 0, 0, 0), 0);
  // Each mode change takes the lock in the foreground (-1, -1) and gives it back; the bitmap
  // registry takes it again inside, nested.
  int depth = 0;
  int mode_changes = 0;
  for (const auto &[lock, foreground] : sys_calls.locks) {
    if (lock != 0) {
      if (foreground != 0) {
        EXPECT_EQ(depth, 0) << "mode changes do not nest";
        ++mode_changes;
      }
      ++depth;
    } else {
      EXPECT_EQ(foreground, 0);
      --depth;
      EXPECT_GE(depth, 0);
    }
  }
  EXPECT_EQ(depth, 0);
  EXPECT_EQ(mode_changes, 3);
}

TEST_F(GfxModeTest, ShutdownIsRegisteredOnceAndReturnsToTextMode) {
  use_test_gfx_drivers({&fake(0)});
  EXPECT_EQ(gfx_first_use, -1);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 64, 32, 0, 0), 0);
  EXPECT_EQ(gfx_first_use, 0);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 64, 32, 0, 0), 0);
  EXPECT_EQ(gfx_mode_count, 2);

  shutdown_corvane();
  EXPECT_EQ(screen_bitmap, nullptr);
  EXPECT_EQ(fake(0).calls.exit, 2);
  EXPECT_EQ(gfx_first_use, -1);
  EXPECT_EQ(sys_calls.restore_console, 2) << "once by text mode, once by the exit function";
}

TEST_F(GfxModeTest, ShutdownUnregistersItself) {
  use_test_gfx_drivers({&fake(0)});
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 64, 32, 0, 0), 0);
  shutdown_gfx();
  EXPECT_EQ(screen_bitmap, nullptr);
  const int restores = sys_calls.restore_console;
  shutdown_corvane();
  EXPECT_EQ(sys_calls.restore_console, restores) << "no second run from the exit-function list";
}

// ---- The mode-change listener --------------------------------------------------------------

std::vector<std::string> listener_events;
bitmap *closing_argument = reinterpret_cast<bitmap *>(1);
void on_opened() { listener_events.push_back(screen_bitmap != nullptr ? "opened" : "opened?"); }
void on_closing(bitmap *bmp) {
  closing_argument = bmp;
  listener_events.push_back(screen_bitmap != nullptr ? "closing" : "closing?");
}

TEST_F(GfxModeTest, TheListenerHearsEveryOpenAndClose) {
  listener_events.clear();
  gfx_mode_listener listener{on_opened, on_closing, nullptr};
  mode_change_listener = &listener;
  use_test_gfx_drivers({&fake(0)});
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 64, 32, 0, 0), 0);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 64, 32, 0, 0), 0);
  ASSERT_EQ(select_gfx_mode(TEXT_MODE, 0, 0, 0, 0), 0);
  mode_change_listener = nullptr;
  EXPECT_EQ(listener_events, (std::vector<std::string>{"opened", "closing", "opened", "closing"}));
  EXPECT_EQ(closing_argument, nullptr);
}

// ---- The safe mode --------------------------------------------------------------------------

TEST_F(GfxModeTest, SafeModeWithoutAPlatformAnswerAutodetects) {
  use_test_gfx_drivers({&fake(0)});
  int active_during_init = 0;
  static int *seen = nullptr;
  seen = &active_during_init;
  fake(0).driver.init = [](int w, int h, int vw, int vh, int depth) -> bitmap * {
    *seen = safe_mode_active;
    return test_gfx(0).init(w, h, vw, vh, depth);
  };
  ASSERT_EQ(select_gfx_mode(GFX_SAFE, 320, 200, 640, 480), 0);
  EXPECT_EQ(active_during_init, 1);
  EXPECT_EQ(safe_mode_active, 0);
  EXPECT_EQ(fake(0).calls.init_virtual_width, 0) << "the safe mode asks for no virtual screen";
}

TEST_F(GfxModeTest, SafeModeAsksThePlatformAndTriesItsOwnSizeSecond) {
  fake(1).fail_init = true;
  use_test_gfx_drivers({&fake(0), &fake(1)});
  the_test_system().driver.get_safe_mode = answer_safe_mode;
  sys_calls.safe_driver = fake(1).driver.id;
  sys_calls.safe_mode = gfx_mode_entry{320, 200, 16};
  set_error_text("before");

  // The platform's driver fails at both sizes: the safe mode fails without autodetecting.
  EXPECT_EQ(select_gfx_mode(GFX_SAFE, 640, 480, 0, 0), -1);
  EXPECT_EQ(fake(1).calls.init, 2);
  EXPECT_EQ(fake(1).calls.init_width, 320) << "the second try uses the platform's size";
  EXPECT_EQ(fake(1).calls.init_depth, 16);
  EXPECT_EQ(current_color_depth, 16);
  EXPECT_EQ(fake(0).calls.init, 0);
  ASSERT_EQ(sys_calls.messages.size(), 1u);
  EXPECT_EQ(sys_calls.messages[0], "Fatal error: unable to set GFX_SAFE\n");
  EXPECT_EQ(screen_bitmap, nullptr);
}

TEST_F(GfxModeTest, SafeModeSucceedsAtThePlatformsSize) {
  use_test_gfx_drivers({&fake(0)});
  // The fake refuses the caller's size and accepts the platform's.
  fake(0).driver.init = [](int w, int h, int vw, int vh, int depth) -> bitmap * {
    if (w != 320) return test_gfx(0).init(0, 0, 0, 0, depth);
    return test_gfx(0).init(w, h, vw, vh, depth);
  };
  the_test_system().driver.get_safe_mode = answer_safe_mode;
  sys_calls.safe_driver = fake(0).driver.id;
  sys_calls.safe_mode = gfx_mode_entry{320, 200, 8};
  ASSERT_EQ(select_gfx_mode(GFX_SAFE, 800, 600, 0, 0), 0);
  EXPECT_EQ(fake(0).calls.init, 2);
  EXPECT_EQ(screen_bitmap->width, 320);
  EXPECT_TRUE(sys_calls.messages.empty());
}

TEST_F(GfxModeTest, SafeModeLeavesTheDepthAloneWhenThePlatformGivesNone) {
  fake(0).fail_init = true;
  use_test_gfx_drivers({&fake(0)});
  the_test_system().driver.get_safe_mode = answer_safe_mode;
  sys_calls.safe_driver = fake(0).driver.id;
  sys_calls.safe_mode = gfx_mode_entry{320, 200, 0};
  set_color_depth(24);
  EXPECT_EQ(select_gfx_mode(GFX_SAFE, 320, 200, 0, 0), -1);
  EXPECT_EQ(current_color_depth, 24);
}

TEST_F(GfxModeTest, AFailedSafeModeKeepsTheReasonForTheProgram) {
  EXPECT_EQ(select_gfx_mode(GFX_SAFE, 320, 200, 0, 0), -1);
  EXPECT_STREQ(error_text, "Unable to find a suitable graphics driver");
  ASSERT_EQ(sys_calls.messages.size(), 1u);
  EXPECT_EQ(gfx_mode_count, 1);
}

// ---- Refresh rate ---------------------------------------------------------------------------

TEST_F(GfxModeTest, RefreshRatesOutsideFortyToTwoHundredAreUnknown) {
  set_refresh_rate_info(60);
  EXPECT_EQ(current_refresh_rate, 60);
  EXPECT_EQ(vsync_speed, 19886);
  set_refresh_rate_info(200);
  EXPECT_EQ(current_refresh_rate, 200);
  EXPECT_EQ(vsync_speed, 5965);
  set_refresh_rate_info(40);
  EXPECT_EQ(current_refresh_rate, 40);
  set_refresh_rate_info(39);
  EXPECT_EQ(current_refresh_rate, 0);
  EXPECT_EQ(vsync_speed, DEFAULT_VSYNC_SPEED);
  set_refresh_rate_info(201);
  EXPECT_EQ(current_refresh_rate, 0);
  set_refresh_rate_info(-70);
  EXPECT_EQ(current_refresh_rate, 0);
}

TEST_F(GfxModeTest, ARateReportedByTheDriverLastsUntilTheNextModeChange) {
  use_test_gfx_drivers({&fake(0)});
  fake(0).driver.init = [](int w, int h, int vw, int vh, int depth) -> bitmap * {
    set_refresh_rate_info(75);
    return test_gfx(0).init(w, h, vw, vh, depth);
  };
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 64, 32, 0, 0), 0);
  EXPECT_EQ(current_refresh_rate, 75);
  EXPECT_EQ(vsync_speed, TIMER_TICKS_PER_SECOND / 75);
  ASSERT_EQ(select_gfx_mode(TEXT_MODE, 0, 0, 0, 0), 0);
  EXPECT_EQ(current_refresh_rate, 0);
  EXPECT_EQ(vsync_speed, DEFAULT_VSYNC_SPEED);
}

TEST_F(GfxModeTest, TheScreenIsRegisteredForDisplaySwitches) {
  use_test_gfx_drivers({&fake(0)});
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 8, 4, 0, 0), 0);
  screen_bitmap->lines[1][2] = 42;
  save_switch_bitmaps(SWITCH_PAUSE);
  EXPECT_NE(screen_bitmap->lines[1], fake(0).surface.data() + 8) << "drawing goes to a copy";
  EXPECT_EQ(screen_bitmap->lines[1][2], 42);
  restore_switch_bitmaps();
  EXPECT_EQ(screen_bitmap->lines[1], fake(0).surface.data() + 8);
}

}  // namespace
