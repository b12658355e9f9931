// The Linux host without a display layer (built when SDL2 is not found): no drivers of its own to
// put before the host's, and no services, so the system driver answers desktop questions with
// "unknown" and shows messages on standard error alone.
#include "platform/linux/display_layer.h"

namespace corvane::display_layer {

const driver_list_entry gfx_drivers[] = {{0, nullptr, 0}};
const driver_list_entry digi_drivers[] = {{0, nullptr, 0}};
const driver_list_entry midi_drivers[] = {{0, nullptr, 0}};
const driver_list_entry keyboard_drivers[] = {{0, nullptr, 0}};
const driver_list_entry mouse_drivers[] = {{0, nullptr, 0}};
const driver_list_entry joystick_drivers[] = {{0, nullptr, 0}};

const unix_host::display_services *const services = nullptr;

}  // namespace corvane::display_layer
