// The driver lists each family falls back on when the system driver offers no list of its own:
// only drivers that need nothing of the host belong here, one line each before the terminator.
#include "corvane/gfx.h"
#include "corvane/joystick.h"
#include "corvane/keyboard.h"
#include "corvane/mouse.h"
#include "corvane/sound.h"
#include "corvane/timer.h"
#include "platform/null/file_digi_driver.h"
#include "platform/null/offline_digi_driver.h"

extern "C" {

driver_list_entry default_gfx_driver_list[] = {
    {0, nullptr, 0},
};

driver_list_entry default_keyboard_driver_list[] = {
    {0, nullptr, 0},
};

// Sound that needs no device, by id only: with nothing to autodetect, autodetection gives the
// no-sound drivers (which are in no list).
driver_list_entry default_digi_driver_list[] = {
    {corvane::offline_digi_driver_id, &corvane::offline_digi_driver, 0},
    {corvane::file_digi_driver_id, &corvane::file_digi_driver, 0},
    {0, nullptr, 0},
};

driver_list_entry default_midi_driver_list[] = {
    {0, nullptr, 0},
};

driver_list_entry default_joystick_driver_list[] = {
    {JOYSTICK_NONE, &joystick_none, -1},
    {0, nullptr, 0},
};

driver_list_entry default_mouse_driver_list[] = {
    {0, nullptr, 0},
};

driver_list_entry default_timer_driver_list[] = {
    {TIMER_PTHREADS, &timer_pthreads, -1},
    {0, nullptr, 0},
};

}  // extern "C"
