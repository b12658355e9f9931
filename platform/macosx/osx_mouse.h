// The Mac OS X mouse driver 'OSXM': pointer events of the host's event loop become the mouse's raw
// values and movement counters; the button count and the driver's description come from the HID
// pointing device with the most buttons.
#ifndef CORVANE_PLATFORM_MACOSX_OSX_MOUSE_H
#define CORVANE_PLATFORM_MACOSX_OSX_MOUSE_H

#include <string>

#include "corvane/mouse.h"

namespace corvane::macosx {

// The driver's id, 'OSXM'.
inline constexpr int MOUSE_MACOSX = CORVANE_ID('O', 'S', 'X', 'M');

// The driver record.
extern mouse_driver osx_mouse_driver;

// The AppKit release from which the pointing devices are looked for in IOKit's registry.
inline constexpr double APPKIT_WITH_HID_SCAN = 620.0;

// The HID pointing device (usage page 1, usage 2) reporting the most buttons: its button count
// (0 when there is none) and its description, the manufacturer's name, a space and the product's
// name (each cut to 255 bytes, current encoding). The first such device wins a tie.
struct pointing_device {
  int buttons = 0;
  std::string description;
};
pointing_device find_pointing_device();

// A pointer event as the host's event handling hands it over: the position in screen bitmap
// pixels, the movement and the wheel's movement since the last event, and the button bits.
// Called on the main thread under the event mutex.
void osx_mouse_input(int x, int y, int dx, int dy, int dz, int buttons) noexcept;

}  // namespace corvane::macosx

#endif  // CORVANE_PLATFORM_MACOSX_OSX_MOUSE_H
