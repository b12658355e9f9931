// The 'NONE' system driver: starts anywhere and offers no devices, so that every install
// operation fails for want of a driver.
#include "corvane/system.h"

namespace {

int none_init() { return 0; }
void none_exit() {}
driver_list_entry *none_empty_list() { return empty_driver_list; }

}  // namespace

extern "C" {

system_driver system_none = {
    .id = SYSTEM_NONE,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "Agnostic",
    .init = none_init,
    .exit = none_exit,
    .list_gfx_drivers = none_empty_list,
    .list_digi_drivers = none_empty_list,
    .list_midi_drivers = none_empty_list,
    .list_keyboard_drivers = none_empty_list,
    .list_mouse_drivers = none_empty_list,
    .list_joystick_drivers = none_empty_list,
    .list_timer_drivers = none_empty_list,
};

}  // extern "C"
