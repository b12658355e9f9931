// The system drivers of a host that has no system driver of its own: 'NONE' alone, which
// autodetection never picks, so that start-up succeeds only when the program asks for it. CMake
// builds this list only when it chooses no host folder; a host folder defines its own.
#include "corvane/system.h"

extern "C" {

driver_list_entry system_driver_list[] = {
    {SYSTEM_NONE, &system_none, 0},
    {0, nullptr, 0},
};

}  // extern "C"
