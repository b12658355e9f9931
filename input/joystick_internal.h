// Internal interface of the joystick layer: the state-table helpers the layer and its drivers
// share, and what the layer tells a driver about how it was chosen.
#ifndef CORVANE_INPUT_JOYSTICK_INTERNAL_H
#define CORVANE_INPUT_JOYSTICK_INTERNAL_H

#include "corvane/joystick.h"

namespace corvane {

// Set while load_joystick_data runs, so that the install it makes does not look for saved data
// again.
extern bool joystick_loading;

// Resets one record: counts, values and flags 0, every name the translated "unused".
void reset_joystick(joystick_info &joystick) noexcept;

// Resets all 8 records and joystick_count.
void reset_joystick_state() noexcept;

// Sets JOYSTICK_FLAG_CALIBRATE on each stick below stick_count whose flags ask for calibration
// (and clears it on the others), and on the joystick when any stick has it.
void update_calibration_flags(joystick_info &joystick) noexcept;

// True while the driver being opened was asked for by its id rather than found by autodetection.
// A driver that can wait for devices to be plugged in opens without any when asked for by id.
bool joystick_chosen_by_id() noexcept;

// The translated "unused".
const char *unused_joystick_name() noexcept;

}  // namespace corvane

#endif  // CORVANE_INPUT_JOYSTICK_INTERNAL_H
