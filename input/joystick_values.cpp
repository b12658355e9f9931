// The formulas from a device's raw values to positions and direction flags (stick axes, sliders,
// hats, release).
#include "input/joystick_values.h"

namespace corvane {
namespace {

// The distance of value from min, with value held inside [min, max]. A range whose max lies below
// its min is read as the single value min.
int64_t offset_in_range(int64_t value, int64_t min, int64_t max) noexcept {
  if (max < min) max = min;
  if (value < min) value = min;
  if (value > max) value = max;
  return value - min;
}

int64_t range_size(int64_t min, int64_t max) noexcept { return max < min ? 1 : max - min + 1; }

struct hat_axis {
  int pos, d1, d2;
};

struct hat_direction {
  hat_axis x, y;
};

constexpr hat_axis hat_negative{-128, 1, 0};
constexpr hat_axis hat_middle{0, 0, 0};
constexpr hat_axis hat_positive{128, 0, 1};

// Positions 0 (up) to 7 (up-left), clockwise.
constexpr hat_direction hat_directions[8] = {
    {hat_middle, hat_negative},   {hat_positive, hat_negative}, {hat_positive, hat_middle},
    {hat_positive, hat_positive}, {hat_middle, hat_positive},   {hat_negative, hat_positive},
    {hat_negative, hat_middle},   {hat_negative, hat_negative},
};

void set_hat_axis(joystick_axis_info &axis, const hat_axis &value) noexcept {
  axis.pos = value.pos;
  axis.d1 = value.d1;
  axis.d2 = value.d2;
}

}  // namespace

void apply_axis_value(joystick_axis_info &axis, int64_t value, int64_t min, int64_t max) noexcept {
  // 64-bit arithmetic: a 32-bit element's range times 256 does not fit in 32 bits.
  const int64_t pos = offset_in_range(value, min, max) * 256 / range_size(min, max) - 128;
  axis.pos = static_cast<int>(pos);
  axis.d1 = pos < 0 ? -1 : 0;
  axis.d2 = pos > 0 ? -1 : 0;
}

void apply_slider_value(joystick_axis_info &axis, int64_t value, int64_t min,
                        int64_t max) noexcept {
  axis.pos = static_cast<int>(offset_in_range(value, min, max) * 255 / range_size(min, max));
}

void apply_hat_position(joystick_stick_info &stick, int64_t position) noexcept {
  if (position >= 0 && position < 8) {
    set_hat_axis(stick.axes[0], hat_directions[position].x);
    set_hat_axis(stick.axes[1], hat_directions[position].y);
  } else if (position == HAT_CENTRED) {
    set_hat_axis(stick.axes[0], hat_middle);
    set_hat_axis(stick.axes[1], hat_middle);
  }
}

void release_joystick_inputs(joystick_info &joystick) noexcept {
  for (joystick_stick_info &stick : joystick.sticks) {
    for (joystick_axis_info &axis : stick.axes) axis.pos = axis.d1 = axis.d2 = 0;
  }
  for (joystick_button_info &button : joystick.buttons) button.b = 0;
}

}  // namespace corvane
