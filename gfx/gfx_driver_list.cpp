// The graphics drivers used when the system driver offers no list of its own. Platform display
// drivers that are built on every host of a platform get one line each here, before the
// terminator.
#include "corvane/gfx.h"

extern "C" {

driver_list_entry default_gfx_driver_list[] = {
    {0, nullptr, 0},
};

}  // extern "C"
