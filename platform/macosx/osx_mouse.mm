// The Mac OS X mouse driver 'OSXM': the host's event loop hands it the window's pointer events,
// which become the raw position (held in the driver's range), the wheel, the buttons and the
// movement counters. Moving the pointer warps the system's pointer and skips the event the warp
// causes. A mouse with one button gets the others from a click with Control (right) or Option
// (middle) held.
#include "platform/macosx/osx_mouse.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

#include "input/mouse_internal.h"
#include "platform/macosx/macosx_cocoa.h"

namespace corvane::macosx {
namespace {

// The range and the warp skip: the program's thread (position, set_range) and the main thread
// (events) both use them.
struct pointer_input {
  std::mutex lock;
  int x1 = 0, y1 = 0, x2 = 319, y2 = 199;  // inclusive
  bool skip_next = false;
};
pointer_input input;

// Between init and exit.
std::atomic<bool> enabled{false};
// Movement since the last get_mickeys, and the wheel's position.
std::atomic<int> mickey_x{0};
std::atomic<int> mickey_y{0};
std::atomic<int> wheel{0};
// The buttons the events hold down, and the button a left press stands for (another one with a
// single-button mouse), so that its release lets go of the same button.
std::atomic<int> event_buttons{0};
std::atomic<int> left_press_button{MOUSE_BUTTON_LEFT};

// The driver's description before init named the device, and the device's description.
const char *label_description = nullptr;
std::string device_description;

bool installed() noexcept { return installed_mouse_driver() == &osx_mouse_driver; }

// A coordinate of an event as a whole pixel, held to a range an int keeps.
int whole(double value) noexcept {
  if (!(value > -1e9)) return value < 0 ? -1000000000 : 0;  // also NaN
  return static_cast<int>(std::floor(std::min(value, 1e9)));
}

// Which button a left press stands for: with a single-button mouse, Control makes it the right
// button and Option the middle one.
int left_press_bit(NSUInteger modifiers) noexcept {
  if (single_button_mouse.load() == 0) return MOUSE_BUTTON_LEFT;
  if ((modifiers & NSControlKeyMask) != 0) return MOUSE_BUTTON_RIGHT;
  if ((modifiers & NSAlternateKeyMask) != 0) return MOUSE_BUTTON_MIDDLE;
  return MOUSE_BUTTON_LEFT;
}

// The buttons after the event: a press sets its bit, a release clears it.
int buttons_after(NSEvent *event) noexcept {
  int buttons = event_buttons.load();
  switch ([event type]) {
    case NSLeftMouseDown:
      left_press_button.store(left_press_bit([event modifierFlags]));
      buttons |= left_press_button.load();
      break;
    case NSLeftMouseUp:
      buttons &= ~left_press_button.load();
      break;
    case NSRightMouseDown:
      buttons |= MOUSE_BUTTON_RIGHT;
      break;
    case NSRightMouseUp:
      buttons &= ~MOUSE_BUTTON_RIGHT;
      break;
    case NSOtherMouseDown:
      if ([event buttonNumber] == 2) buttons |= MOUSE_BUTTON_MIDDLE;
      break;
    case NSOtherMouseUp:
      if ([event buttonNumber] == 2) buttons &= ~MOUSE_BUTTON_MIDDLE;
      break;
    default:
      break;
  }
  event_buttons.store(buttons);
  return buttons;
}

// The event loop's share: every pointer event, its position turned into screen bitmap pixels
// (the window counts from its bottom edge, the bitmap from its top).
bool handle_pointer_event(NSEvent *event) {
  const NSPoint location = [event locationInWindow];
  const int height = pointer_area_height.load();
  const int x = whole(location.x);
  const int y = height > 0 ? height - 1 - whole(location.y) : whole(location.y);
  const bool wheel_event = [event type] == NSScrollWheel;
  const int dx = wheel_event ? 0 : whole(std::round([event deltaX]));
  const int dy = wheel_event ? 0 : whole(std::round([event deltaY]));
  const int dz = wheel_event ? whole(std::round([event deltaY])) : 0;
  osx_mouse_input(x, y, dx, dy, dz, buttons_after(event));
  return true;
}

constexpr NSUInteger pointer_event_types =
    NSEventMaskFromType(NSLeftMouseDown) | NSEventMaskFromType(NSLeftMouseUp) |
    NSEventMaskFromType(NSRightMouseDown) | NSEventMaskFromType(NSRightMouseUp) |
    NSEventMaskFromType(NSMouseMoved) | NSEventMaskFromType(NSLeftMouseDragged) |
    NSEventMaskFromType(NSRightMouseDragged) | NSEventMaskFromType(NSOtherMouseDown) |
    NSEventMaskFromType(NSOtherMouseUp) | NSEventMaskFromType(NSOtherMouseDragged) |
    NSEventMaskFromType(NSScrollWheel);

int osx_mouse_init() {
  // Events reach the driver from here on; they count once it is enabled below.
  if (!add_event_handler(pointer_event_types, handle_pointer_event)) return -1;
  int buttons = 1;
  if (NSAppKitVersionNumber > APPKIT_WITH_HID_SCAN) {
    pointing_device device = find_pointing_device();
    // A Mac always has its pointer, whatever the registry shows: without a device found it
    // counts as the single button every Mac pointer has.
    if (device.buttons > 0) {
      buttons = device.buttons;
      device_description = std::move(device.description);
      label_description = osx_mouse_driver.description;
      osx_mouse_driver.description = device_description.c_str();
    }
  }
  {
    const std::lock_guard<std::mutex> hold(input.lock);
    input.x1 = input.y1 = 0;
    input.x2 = 319;
    input.y2 = 199;
    input.skip_next = false;
  }
  mickey_x.store(0);
  mickey_y.store(0);
  wheel.store(0);
  event_buttons.store(0);
  left_press_button.store(MOUSE_BUTTON_LEFT);
  lock_event_mutex();
  single_button_mouse.store(buttons == 1 ? -1 : 0);
  unlock_event_mutex();
  enabled.store(true);
  return buttons;
}

void osx_mouse_exit() {
  enabled.store(false);
  remove_event_handler(handle_pointer_event);
  if (label_description != nullptr) {
    osx_mouse_driver.description = label_description;
    label_description = nullptr;
  }
  lock_event_mutex();
  // The system's own cursors are not the driver's to release; it only stops naming them.
  if (current_cursor == [NSCursor arrowCursor] || current_cursor == [NSCursor IBeamCursor]) {
    current_cursor = nil;
  }
  single_button_mouse.store(0);
  unlock_event_mutex();
}

void osx_mouse_position(int x, int y) {
  {
    const std::lock_guard<std::mutex> hold(input.lock);
    input.skip_next = true;
  }
  CGWarpMouseCursorPosition(CGPointMake(static_cast<CGFloat>(pointer_area_left.load()) + x,
                                        static_cast<CGFloat>(pointer_area_top.load()) + y));
  set_raw_position(x, y);
}

void osx_mouse_set_range(int x1, int y1, int x2, int y2) {
  int x = 0;
  int y = 0;
  {
    const std::lock_guard<std::mutex> hold(input.lock);
    input.x1 = x1;
    input.y1 = y1;
    input.x2 = x2;
    input.y2 = y2;
    x = std::clamp(load_int(raw_mouse_x), x1, std::max(x1, x2));
    y = std::clamp(load_int(raw_mouse_y), y1, std::max(y1, y2));
  }
  osx_mouse_position(x, y);
}

void osx_mouse_get_mickeys(int *dx, int *dy) {
  lock_event_mutex();
  const int x = mickey_x.exchange(0);
  const int y = mickey_y.exchange(0);
  unlock_event_mutex();
  if (dx != nullptr) *dx = x;
  if (dy != nullptr) *dy = y;
}

void osx_mouse_enable_hardware_cursor(int mode) { (void)mode; }

int osx_mouse_select_system_cursor(int cursor) {
  NSCursor *chosen = nil;
  if (cursor == MOUSE_CURSOR_ARROW) {
    chosen = [NSCursor arrowCursor];
  } else if (cursor == MOUSE_CURSOR_EDIT) {
    chosen = [NSCursor IBeamCursor];
  } else {
    return 0;
  }
  lock_event_mutex();
  current_cursor = chosen;
  [chosen set];
  unlock_event_mutex();
  return cursor;
}

}  // namespace

void osx_mouse_input(int x, int y, int dx, int dy, int dz, int buttons) noexcept {
  if (!enabled.load()) {
    mickey_x.store(0);
    mickey_y.store(0);
    return;
  }
  if (!installed() || !window_takes_pointer.load()) return;
  if (cursor_changed.exchange(false) && current_cursor != nil) [current_cursor set];
  int held_x = 0;
  int held_y = 0;
  {
    const std::lock_guard<std::mutex> hold(input.lock);
    if (input.skip_next) {
      input.skip_next = false;
      return;
    }
    held_x = std::clamp(x, input.x1, std::max(input.x1, input.x2));
    held_y = std::clamp(y, input.y1, std::max(input.y1, input.y2));
  }
  mickey_x.fetch_add(dx);
  mickey_y.fetch_add(dy);
  // Stores the raw values and updates the program's unless the mouse is polled.
  handle_mouse_input(held_x, held_y, wheel.fetch_add(dz) + dz, buttons);
}

mouse_driver osx_mouse_driver = {
    .id = MOUSE_MACOSX,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "MacOS X mouse",
    .init = osx_mouse_init,
    .exit = osx_mouse_exit,
    .poll = nullptr,
    .timer_poll = nullptr,
    .position = osx_mouse_position,
    .set_range = osx_mouse_set_range,
    .set_speed = nullptr,
    .get_mickeys = osx_mouse_get_mickeys,
    .analyse_data = nullptr,
    .enable_hardware_cursor = osx_mouse_enable_hardware_cursor,
    .select_system_cursor = osx_mouse_select_system_cursor,
};

}  // namespace corvane::macosx
