// The bookkeeping every HID joystick driver keeps over the devices it has open, whatever it reads
// them through: each device holds its joystick parts, the names of its maker and product, and the
// run of joystick numbers it was given (first_joystick, joystick_total). Once the devices are
// open, lay_out_joysticks puts their joysticks into the state table and takes the first values;
// the name look-ups find the device behind a joystick number.
#ifndef CORVANE_INPUT_HID_JOYSTICK_DEVICES_H
#define CORVANE_INPUT_HID_JOYSTICK_DEVICES_H

#include <memory>
#include <string>
#include <vector>

#include "corvane/joystick.h"
#include "input/hid_elements.h"
#include "input/joystick_internal.h"

namespace corvane::hid {

// Resets the whole state table, registers every device's parts in it and polls once (poll is the
// driver's own). Answers 0 when joystick_count has at least one joystick, else -1 (the driver then
// closes its devices).
template <class Device>
int lay_out_joysticks(std::vector<std::unique_ptr<Device>> &devices, int (*poll)()) {
  for (joystick_info &joystick : joysticks) reset_joystick(joystick);
  for (auto &d : devices) register_parts(d->parts, joysticks);
  (void)poll();
  return joystick_count > 0 ? 0 : -1;
}

// The device whose run of joystick numbers holds n, or null.
template <class Device>
const Device *device_of_joystick(const std::vector<std::unique_ptr<Device>> &devices,
                                 int n) noexcept {
  for (const auto &d : devices) {
    if (n >= d->first_joystick && n < d->first_joystick + d->joystick_total) return d.get();
  }
  return nullptr;
}

// The maker's (product's) name of the device behind joystick n; empty when there is none.
template <class Device>
std::string manufacturer_of_joystick(const std::vector<std::unique_ptr<Device>> &devices, int n) {
  const Device *d = device_of_joystick(devices, n);
  return d != nullptr ? d->manufacturer : std::string();
}

template <class Device>
std::string product_of_joystick(const std::vector<std::unique_ptr<Device>> &devices, int n) {
  const Device *d = device_of_joystick(devices, n);
  return d != nullptr ? d->product : std::string();
}

}  // namespace corvane::hid

#endif  // CORVANE_INPUT_HID_JOYSTICK_DEVICES_H
