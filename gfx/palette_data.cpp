// The library's constant palettes: the desktop palette and the all-black palette.
#include "corvane/color.h"

extern "C" {

// The first 16 entries are the desktop colours; start-up repeats them over the rest.
palette desktop_palette = {
    {63, 63, 63, 0}, {63, 0, 0, 0},   {0, 63, 0, 0},   {63, 63, 0, 0},  {0, 0, 63, 0},
    {63, 0, 63, 0},  {0, 63, 63, 0},  {16, 16, 16, 0}, {31, 31, 31, 0}, {63, 31, 31, 0},
    {31, 63, 31, 0}, {63, 63, 31, 0}, {31, 31, 63, 0}, {63, 31, 63, 0}, {31, 63, 63, 0},
};

palette black_palette = {};

}  // extern "C"
