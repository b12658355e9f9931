// The timer drivers used when the system driver offers no list of its own.
#include "corvane/timer.h"

extern "C" {

driver_list_entry default_timer_driver_list[] = {
    {TIMER_PTHREADS, &timer_pthreads, -1},
    {0, nullptr, 0},
};

}  // extern "C"
