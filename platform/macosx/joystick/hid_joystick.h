// The Mac OS X joystick driver 'HIDJ': USB HID joysticks and game pads found in IOKit's registry,
// laid out by the HID element rules from the registry's element lists, and read through each
// device's HID device interface when polled. A Mac build's joystick list names it before the
// no-joystick driver.
#ifndef CORVANE_PLATFORM_MACOSX_JOYSTICK_HID_JOYSTICK_H
#define CORVANE_PLATFORM_MACOSX_JOYSTICK_HID_JOYSTICK_H

#include <string>

#include "corvane/joystick.h"

namespace corvane::macosx {

inline constexpr int JOYSTICK_HID = CORVANE_ID('H', 'I', 'D', 'J');

extern joystick_driver_rec hid_joystick_driver;

// The manufacturer's and product's names (current encoding) of the device behind joystick n while
// the driver is open; empty when unknown or when n is not one of its joysticks.
std::string joystick_manufacturer(int n);
std::string joystick_product(int n);

}  // namespace corvane::macosx

#endif  // CORVANE_PLATFORM_MACOSX_JOYSTICK_HID_JOYSTICK_H
