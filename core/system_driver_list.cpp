// The system drivers start-up chooses from, in order of preference. Platform drivers that are
// built only on some hosts add their line here and nowhere else.
#include "corvane/system.h"

extern "C" {

driver_list_entry system_driver_list[] = {
    {SYSTEM_NONE, &system_none, 0},
    {0, nullptr, 0},
};

}  // extern "C"
