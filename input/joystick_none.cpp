// The no-joystick driver (id 0): it opens and polls without ever having a joystick, so that a
// program always finds a driver to talk to.
#include "corvane/joystick.h"

namespace corvane {
namespace {

int open_nothing() { return 0; }
void close_nothing() {}
int poll_nothing() { return 0; }

}  // namespace
}  // namespace corvane

extern "C" {

joystick_driver_rec joystick_none = {
    .id = JOYSTICK_NONE,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "No joystick",
    .open = corvane::open_nothing,
    .close = corvane::close_nothing,
    .poll = corvane::poll_nothing,
    .save_data = nullptr,
    .load_data = nullptr,
    .calibrate_name = nullptr,
    .calibrate = nullptr,
    .rumble = nullptr,
};

}  // extern "C"
