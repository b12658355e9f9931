// The table that maps a colour depth to its drawing table.
#include "corvane/bitmap.h"
#include "gfx/depth/vtables.h"

extern "C" {

const vtable_by_depth_entry vtable_by_depth[] = {
    {8, &corvane::depth::vtable_8},   {15, &corvane::depth::vtable_15},
    {16, &corvane::depth::vtable_16}, {24, &corvane::depth::vtable_24},
    {32, &corvane::depth::vtable_32}, {0, nullptr},
};

}  // extern "C"
