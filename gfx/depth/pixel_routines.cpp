// The pixel, line, clear and blit routines compiled for every depth.
#include "gfx/depth/pixel_routines.h"

namespace corvane::depth {

CORVANE_PIXEL_ROUTINES(template, pixel8)
CORVANE_PIXEL_ROUTINES(template, pixel15)
CORVANE_PIXEL_ROUTINES(template, pixel16)
CORVANE_PIXEL_ROUTINES(template, pixel24)
CORVANE_PIXEL_ROUTINES(template, pixel32)
CORVANE_STORAGE_ROUTINES(template, pixel_byte)
CORVANE_STORAGE_ROUTINES(template, pixel_word16)
CORVANE_STORAGE_ROUTINES(template, pixel_bytes24)
CORVANE_STORAGE_ROUTINES(template, pixel_word32)

}  // namespace corvane::depth
