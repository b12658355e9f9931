// The driver lists each family falls back on when the system driver offers no list of its own:
// only drivers that need nothing of the host belong here, one line each before the terminator.
#include "corvane/gfx.h"
#include "corvane/keyboard.h"
#include "corvane/mouse.h"
#include "corvane/timer.h"

extern "C" {

driver_list_entry default_gfx_driver_list[] = {
    {0, nullptr, 0},
};

driver_list_entry default_keyboard_driver_list[] = {
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
