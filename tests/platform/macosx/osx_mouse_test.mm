// The 'OSXM' mouse driver fed through the host's event loop: the HID scan for the most buttons and
// its description, the single-button flag and the buttons Control and Option make, positions held
// in the range, the event skipped after a warp, movement counters read and reset, the wheel, the
// system cursors, events that arrive before the mouse is installed, and the event loop delivering
// pointer and key events on its own thread while the program reads the values.
#include <gtest/gtest.h>
#include <standin/appkit.h>
#include <standin/cocoa.h>
#include <standin/hid.h>

#include <atomic>
#include <string>
#include <thread>

#include "corvane/config.h"
#include "corvane/keyboard.h"
#include "corvane/mouse.h"
#include "corvane/system.h"
#include "platform/macosx/macosx_cocoa.h"
#include "platform/macosx/osx_mouse.h"

namespace {

using namespace corvane::macosx;

// Window coordinates count from the bottom edge of a screen this high.
constexpr int HEIGHT = 200;

void put(CFMutableDictionaryRef d, const char *key, CFTypeRef value) {
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFDictionarySetValue(d, k, value);
  CFRelease(value);
  CFRelease(k);
}

void put_number(CFMutableDictionaryRef d, const char *key, int64_t value) {
  put(d, key, CFNumberCreate(nullptr, kCFNumberSInt64Type, &value));
}

CFMutableDictionaryRef element(int type, int page, int usage) {
  CFMutableDictionaryRef e = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  put_number(e, "Type", type);
  put_number(e, "UsagePage", page);
  put_number(e, "Usage", usage);
  return e;
}

// A HID mouse whose pointer collection holds this many buttons and an X axis.
void add_mouse(const char *maker, const std::string &product, int buttons) {
  CFMutableArrayRef inside = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  for (int b = 1; b <= buttons; ++b) {
    CFMutableDictionaryRef button = element(2, 9, b);
    CFArrayAppendValue(inside, button);
    CFRelease(button);
  }
  CFMutableDictionaryRef x = element(1, 1, 0x30);
  CFArrayAppendValue(inside, x);
  CFRelease(x);
  CFMutableDictionaryRef collection = element(513, 1, 2);
  put(collection, "Elements", inside);
  CFMutableArrayRef top = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(top, collection);
  CFRelease(collection);

  CFMutableDictionaryRef device = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  put_number(device, "PrimaryUsagePage", 1);
  put_number(device, "PrimaryUsage", 2);
  put(device, "Manufacturer", CFStringCreateWithCString(nullptr, maker, kCFStringEncodingUTF8));
  put(device, "Product", CFStringCreateWithCString(nullptr, product.c_str(), kCFStringEncodingUTF8));
  put(device, "Elements", top);
  standin::hid_add_device(device, nullptr);
  CFRelease(device);
}

class OsxMouseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin_cocoa_reset();
    standin::hid_reset();
    standin_set_appkit_version(949.0);
    [NSApplication sharedApplication];
    ASSERT_EQ(startup_corvane(SYSTEM_MACOSX, nullptr, nullptr), 0);
    event_mutex.store(mutex_create());
    window_takes_pointer.store(true);
    pointer_area_left.store(100);
    pointer_area_top.store(40);
    pointer_area_height.store(HEIGHT);
  }
  void TearDown() override {
    shutdown_corvane();
    window_takes_pointer.store(false);
    mutex_destroy(event_mutex.exchange(nullptr));
    standin::hid_reset();
  }

  // A move to pixel (x, y) of the screen bitmap, by (dx, dy).
  static void move(int x, int y, int dx = 0, int dy = 0, int buttons_type = NSMouseMoved) {
    standin_post_mouse(buttons_type, x + 0.5, HEIGHT - 1 - y + 0.5, dx, dy, 0, 0, 0);
    event_loop_pass();
  }
  // Installs the mouse and lets the event the centring warp causes go by.
  static int install() {
    const int buttons = install_mouse();
    move(160, 100);
    return buttons;
  }
  static void click(unsigned long type, unsigned long modifiers = 0, long number = 0) {
    standin_post_mouse(type, 0, HEIGHT - 1, 0, 0, 0, number, modifiers);
    event_loop_pass();
  }
};

TEST_F(OsxMouseTest, TheDeviceWithTheMostButtonsCountsAndNamesTheDriver) {
  add_mouse("Maker", "Two", 2);
  add_mouse("Other", "Five", 5);
  add_mouse("Third", "Also five", 5);  // a tie keeps the first
  add_mouse("Long", std::string(300, 'p'), 3);
  ASSERT_EQ(install(), 5);
  EXPECT_STREQ(current_mouse_driver->name, "MacOS X mouse");
  EXPECT_STREQ(current_mouse_driver->description, "Other Five");
  EXPECT_EQ(single_button_mouse.load(), 0);
  remove_mouse();
  EXPECT_STREQ(osx_mouse_driver.description, "MacOS X mouse");
  EXPECT_EQ(standin::hid_objects_held(), 0);

  // Each name is held to 255 bytes.
  standin::hid_reset();
  add_mouse("Long", std::string(300, 'p'), 3);
  EXPECT_EQ(find_pointing_device().description, "Long " + std::string(255, 'p'));
}

TEST_F(OsxMouseTest, OneButtonMakesTheOthersWithControlAndOption) {
  standin_set_appkit_version(620.0);  // not above 620: no scan, one button
  add_mouse("Maker", "Five", 5);
  ASSERT_EQ(install(), 1);
  EXPECT_EQ(single_button_mouse.load(), -1);
  click(NSLeftMouseDown, NSControlKeyMask);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_RIGHT);
  click(NSLeftMouseUp);  // lets go of the button the press made
  EXPECT_EQ(mouse_b, 0);
  click(NSLeftMouseDown, NSAlternateKeyMask);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_MIDDLE);
  click(NSLeftMouseUp);
  click(NSLeftMouseDown);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_LEFT);
  click(NSLeftMouseUp);
  remove_mouse();
  EXPECT_EQ(single_button_mouse.load(), 0);

  // With more buttons a modifier changes nothing.
  standin_set_appkit_version(949.0);
  ASSERT_EQ(install(), 5);
  click(NSLeftMouseDown, NSControlKeyMask);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_LEFT);
  click(NSRightMouseDown);
  click(NSOtherMouseDown, 0, 2);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_LEFT | MOUSE_BUTTON_RIGHT | MOUSE_BUTTON_MIDDLE);
}

TEST_F(OsxMouseTest, ConfiguredButtonsAndThreeButtonEmulation) {
  add_mouse("Maker", "Two", 2);
  const char config[] = "[mouse]\nnum_buttons = 1\nemulate_three = yes\n";
  use_config_data(config, static_cast<int>(sizeof config - 1));
  ASSERT_EQ(install(), 1);
  click(NSLeftMouseDown);
  click(NSRightMouseDown);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_MIDDLE);
  click(NSRightMouseUp);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_LEFT);
}

TEST_F(OsxMouseTest, InputIsHeldInTheRangeAndCountsMovementAndTheWheel) {
  ASSERT_GE(install(), 0);
  set_mouse_range(10, 10, 20, 20);
  move(15, 15);  // the event the range's warp causes
  move(100, 5, 7, -3);
  EXPECT_EQ(mouse_x, 20);
  EXPECT_EQ(mouse_y, 10);
  move(12, 13, 2, 1);
  EXPECT_EQ(mouse_pos, (12 << 16) | 13);
  standin_post_mouse(NSScrollWheel, 12.5, HEIGHT - 13 - 0.5, 0, 2, 0, 0, 0);
  standin_post_mouse(NSScrollWheel, 12.5, HEIGHT - 13 - 0.5, 0, -5, 0, 0, 0);
  event_loop_pass();
  EXPECT_EQ(mouse_z, -3);

  int dx = 0;
  int dy = 0;
  get_mouse_mickeys(&dx, &dy);
  EXPECT_EQ(dx, 9);  // the wheel moves nothing
  EXPECT_EQ(dy, -2);
  get_mouse_mickeys(&dx, &dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
}

TEST_F(OsxMouseTest, PositionWarpsThePointerAndSkipsTheNextEvent) {
  ASSERT_GE(install(), 0);
  position_mouse(50, 60);
  double x = 0;
  double y = 0;
  int count = 0;
  standin_last_warp(&x, &y, &count);
  EXPECT_EQ(x, 150.0);  // the screen's top-left pixel is at (100, 40) on the display
  EXPECT_EQ(y, 100.0);
  EXPECT_EQ(mouse_x, 50);
  EXPECT_EQ(mouse_y, 60);
  move(3, 4, 1, 1);
  EXPECT_EQ(mouse_x, 50);  // skipped
  move(3, 4, 1, 1);
  EXPECT_EQ(mouse_x, 3);
  EXPECT_EQ(mouse_y, 4);
  int dx = 0;
  get_mouse_mickeys(&dx, nullptr);
  EXPECT_EQ(dx, 1);
}

TEST_F(OsxMouseTest, EventsWithoutAnInstalledMouseOrTheWindowChangeNothing) {
  move(30, 40, 5, 5, NSLeftMouseDragged);
  EXPECT_EQ(raw_mouse_x, 0);
  EXPECT_EQ(mouse_x, 0);
  EXPECT_EQ(standin_pending_events(), 0);  // taken by no one, passed on

  ASSERT_GE(install(), 0);
  const int x = mouse_x;
  window_takes_pointer.store(false);
  move(30, 40, 5, 5);
  EXPECT_EQ(mouse_x, x);
  int dx = -1;
  get_mouse_mickeys(&dx, nullptr);
  EXPECT_EQ(dx, 0);
}

TEST_F(OsxMouseTest, TheArrowAndTheTextCursorAreTheSystemsOwn) {
  ASSERT_GE(install(), 0);
  EXPECT_EQ(osx_mouse_driver.select_system_cursor(MOUSE_CURSOR_ARROW), MOUSE_CURSOR_ARROW);
  EXPECT_EQ(current_cursor, [NSCursor arrowCursor]);
  EXPECT_EQ(osx_mouse_driver.select_system_cursor(MOUSE_CURSOR_EDIT), MOUSE_CURSOR_EDIT);
  EXPECT_EQ(current_cursor, [NSCursor IBeamCursor]);
  EXPECT_EQ(osx_mouse_driver.select_system_cursor(MOUSE_CURSOR_BUSY), 0);
  EXPECT_EQ(current_cursor, [NSCursor IBeamCursor]);

  // A cursor the display chose anew is set again at the next pointer event, once.
  cursor_changed.store(true);
  standin_clear_call_log();
  move(20, 20);
  move(21, 20);
  char log[256];
  standin_call_log(log, sizeof log);
  EXPECT_EQ(std::string(log), "NSCursor set\n");
  EXPECT_FALSE(cursor_changed.load());
  remove_mouse();
  EXPECT_EQ(current_cursor, nil);
}

// The event loop on a thread of its own delivers pointer and key events while the program reads
// the values, the movement counters and the keys.
TEST_F(OsxMouseTest, TheEventLoopFeedsTheProgramFromItsOwnThread) {
  ASSERT_EQ(install_keyboard(), 0);
  ASSERT_GE(install(), 0);
  constexpr int MOVES = 200;
  std::atomic<bool> done{false};
  std::thread loop([&] {
    while (!done.load()) event_loop_pass();
  });
  int total_dx = 0;
  int keys = 0;
  const auto take = [&] {
    int dx = 0;
    get_mouse_mickeys(&dx, nullptr);
    total_dx += dx;
    while (key_waiting() != 0) {
      (void)read_key();
      ++keys;
    }
  };
  for (int i = 0; i < MOVES; ++i) {
    standin_post_mouse(NSMouseMoved, i % 300, 100, 1, 0, 0, 0, 0);
    if (i % 20 == 0) {
      standin_post_key(1, 0x00, "a", 0);
      standin_post_key(0, 0x00, "a", 0);
    }
    take();
    EXPECT_LE(std::atomic_ref<int>(mouse_x).load(), 319);
  }
  while (standin_pending_events() > 0) std::this_thread::yield();
  done.store(true);
  loop.join();
  event_loop_pass();
  take();
  EXPECT_EQ(total_dx, MOVES);
  EXPECT_EQ(keys, MOVES / 20);
}

}  // namespace
