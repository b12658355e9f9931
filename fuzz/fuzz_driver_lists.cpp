// The driver lists of the fuzz targets' library: only the timer thread (which the MIDI player and
// the timer module reach), and no devices, so that the targets link without the graphics, input
// and sound output drivers.
#include "corvane/gfx.h"
#include "corvane/joystick.h"
#include "corvane/keyboard.h"
#include "corvane/mouse.h"
#include "corvane/sound.h"
#include "corvane/timer.h"

extern "C" {

driver_list_entry default_gfx_driver_list[] = {{0, nullptr, 0}};
driver_list_entry default_keyboard_driver_list[] = {{0, nullptr, 0}};
driver_list_entry default_digi_driver_list[] = {{0, nullptr, 0}};
driver_list_entry default_midi_driver_list[] = {{0, nullptr, 0}};
driver_list_entry default_joystick_driver_list[] = {{0, nullptr, 0}};
driver_list_entry default_mouse_driver_list[] = {{0, nullptr, 0}};
driver_list_entry default_timer_driver_list[] = {
    {TIMER_PTHREADS, &timer_pthreads, -1},
    {0, nullptr, 0},
};

}  // extern "C"
