// The HID joystick driver of the Linux host: joysticks and game pads read through the kernel's
// hidraw nodes, laid out by the HID element rules from their report descriptors.
#ifndef CORVANE_PLATFORM_LINUX_HIDRAW_JOYSTICK_H
#define CORVANE_PLATFORM_LINUX_HIDRAW_JOYSTICK_H

#include <string>

#include "corvane/joystick.h"

namespace corvane::hidraw {

inline constexpr int JOYSTICK_HIDRAW = CORVANE_ID('H', 'I', 'D', 'R');

// 'HIDR': every hidraw device whose report descriptor has a joystick or game-pad collection.
extern joystick_driver_rec hidraw_joystick_driver;

// The manufacturer's and product's names (current encoding) of the device behind joystick n
// while the driver is open; empty when unknown or when n is not one of its joysticks.
std::string joystick_manufacturer(int n);
std::string joystick_product(int n);

}  // namespace corvane::hidraw

#endif  // CORVANE_PLATFORM_LINUX_HIDRAW_JOYSTICK_H
