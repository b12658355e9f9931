// The display driver tests' shared fixture and checks.
#include "quartz_test_support.h"

#include <standin/cocoa.h>
#include <standin/display.h>

#include "corvane/color.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "platform/macosx/macosx_cocoa.h"

namespace macosx_testing {

using namespace corvane::macosx;

std::string current_display_mode() {
  NSAutoreleasePool *pool = [[NSAutoreleasePool alloc] init];
  NSDictionary *mode = dictionary_of(CGDisplayCurrentMode(CGMainDisplayID()));
  const std::string text = std::to_string([[mode objectForKey:@"Width"] intValue]) + "x" +
                           std::to_string([[mode objectForKey:@"Height"] intValue]) + "x" +
                           std::to_string([[mode objectForKey:@"BitsPerPixel"] intValue]);
  [pool release];
  return text;
}

std::string call_log() {
  std::string log(1 << 16, '\0');
  log.resize(standin_call_log(log.data(), log.size()));
  return log;
}

::testing::AssertionResult display_left_alone() {
  std::string wrong;
  if (standin_display_captured() != 0) wrong += " captured";
  if (standin_menu_bar_visible() == 0) wrong += " menu-bar-hidden";
  if (standin_cursor_hide_count() != 0) wrong += " cursor-hidden";
  if (standin_display_colorsync_loaded() == 0) wrong += " colors-changed";
  if (standin_fade_reservations() != 0) wrong += " fade-reserved";
  if (standin_live_ports() != 0) wrong += " ports=" + std::to_string(standin_live_ports());
  if (standin_live_regions() != 0) wrong += " regions=" + std::to_string(standin_live_regions());
  if (standin_live_palettes() != 0) wrong += " palettes";
  if (standin_locked_ports() != 0) wrong += " locked";
  if (standin_open_windows() != 0) wrong += " windows";
  if (standin_tracking_rects() != 0) wrong += " tracking";
  if (display_state.load() != DISPLAY_NONE) wrong += " display-up";
  if (display_mutex.load() != nullptr) wrong += " display-mutex";
  if (hardware_palette.load() != nullptr) wrong += " hardware-palette";
  if (wrong.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "left behind:" << wrong;
}

void QuartzTest::SetUp() {
  standin_cocoa_reset();
  standin_display_reset();
  standin_set_process_name("Greeter");
  [NSApplication sharedApplication];
  if (event_mutex.load() == nullptr) event_mutex = mutex_create();
  ASSERT_EQ(startup_corvane(SYSTEM_MACOSX, nullptr, nullptr), 0);
  set_color_depth(8);
}

void QuartzTest::TearDown() {
  shutdown_corvane();
  standin_run_main_thread_calls();
}

}  // namespace macosx_testing
