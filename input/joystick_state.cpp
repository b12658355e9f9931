// The joystick state table: the 8 records, resetting them, and their calibration flags.
#include "corvane/config.h"
#include "corvane/joystick.h"
#include "input/joystick_internal.h"

extern "C" {

joystick_info joysticks[JOYSTICK_COUNT_MAX] = {};
int joystick_count = 0;

}  // extern "C"

namespace corvane {

const char *unused_joystick_name() noexcept { return translate_text("unused"); }

void reset_joystick(joystick_info &joystick) noexcept {
  const char *unused = unused_joystick_name();
  joystick = joystick_info{};
  for (joystick_stick_info &stick : joystick.sticks) {
    stick.name = unused;
    for (joystick_axis_info &axis : stick.axes) axis.name = unused;
  }
  for (joystick_button_info &button : joystick.buttons) button.name = unused;
}

void reset_joystick_state() noexcept {
  for (joystick_info &joystick : joysticks) reset_joystick(joystick);
  joystick_count = 0;
}

void update_calibration_flags(joystick_info &joystick) noexcept {
  constexpr int needs_calibration = JOYSTICK_FLAG_CALIB_DIGITAL | JOYSTICK_FLAG_CALIB_ANALOGUE;
  bool any = false;
  const int sticks =
      joystick.stick_count < JOYSTICK_STICK_MAX ? joystick.stick_count : JOYSTICK_STICK_MAX;
  for (int s = 0; s < sticks; ++s) {
    joystick_stick_info &stick = joystick.sticks[s];
    if ((stick.flags & needs_calibration) != 0) {
      stick.flags |= JOYSTICK_FLAG_CALIBRATE;
      any = true;
    } else {
      stick.flags &= ~JOYSTICK_FLAG_CALIBRATE;
    }
  }
  if (any) {
    joystick.flags |= JOYSTICK_FLAG_CALIBRATE;
  } else {
    joystick.flags &= ~JOYSTICK_FLAG_CALIBRATE;
  }
}

}  // namespace corvane
