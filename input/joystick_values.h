// The formulas that turn a device's raw value into the state table's positions and direction
// flags: stick axes, sliders, hats and buttons, shared by every joystick driver.
#ifndef CORVANE_INPUT_JOYSTICK_VALUES_H
#define CORVANE_INPUT_JOYSTICK_VALUES_H

#include <cstdint>

#include "corvane/joystick.h"

namespace corvane {

// Hat positions: 0 up, then clockwise to 7 up-left; 15 centred.
inline constexpr int HAT_CENTRED = 15;

// A stick axis reading value within [min, max]: pos = ((value - min) * 256) / (max - min + 1)
// - 128, so -128 at min and 127 at max for a range of 256 values or more; d1 is -1 while pos is
// negative, d2 -1 while it is positive. A value outside the range counts as the nearer end.
void apply_axis_value(joystick_axis_info &axis, int64_t value, int64_t min, int64_t max) noexcept;

// A slider: pos = ((value - min) * 255) / (max - min + 1), 0 to 254; d1 and d2 untouched.
void apply_slider_value(joystick_axis_info &axis, int64_t value, int64_t min, int64_t max) noexcept;

// A hat on the first two axes of a stick: position 0 to 7 or HAT_CENTRED sets x and y to -128, 0
// or 128, with d1 = 1 on the negative side and d2 = 1 on the positive side; any other position
// leaves the hat as it was.
void apply_hat_position(joystick_stick_info &stick, int64_t position) noexcept;

// A button: b = value (1 for a value beyond the int range).
inline void apply_button_value(joystick_button_info &button, int64_t value) noexcept {
  button.b = value >= INT32_MIN && value <= INT32_MAX ? static_cast<int>(value) : 1;
}

// Every position, direction and button of a joystick back to rest (0), as when its device is
// unplugged; counts, names and flags stay.
void release_joystick_inputs(joystick_info &joystick) noexcept;

}  // namespace corvane

#endif  // CORVANE_INPUT_JOYSTICK_VALUES_H
