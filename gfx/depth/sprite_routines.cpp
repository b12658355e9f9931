// The sprite routines compiled for every depth.
#include "gfx/depth/sprite_routines.h"

namespace corvane::depth {

CORVANE_SPRITE_ROUTINES(template, pixel8)
CORVANE_SPRITE_ROUTINES(template, pixel15)
CORVANE_SPRITE_ROUTINES(template, pixel16)
CORVANE_SPRITE_ROUTINES(template, pixel24)
CORVANE_SPRITE_ROUTINES(template, pixel32)
CORVANE_ALPHA_SPRITE_ROUTINES(template, pixel15)
CORVANE_ALPHA_SPRITE_ROUTINES(template, pixel16)
CORVANE_ALPHA_SPRITE_ROUTINES(template, pixel24)
CORVANE_ALPHA_SPRITE_ROUTINES(template, pixel32)
CORVANE_STORAGE_SPRITE_ROUTINES(template, pixel_byte)
CORVANE_STORAGE_SPRITE_ROUTINES(template, pixel_word16)
CORVANE_STORAGE_SPRITE_ROUTINES(template, pixel_bytes24)
CORVANE_STORAGE_SPRITE_ROUTINES(template, pixel_word32)
CORVANE_PALETTE_SPRITE_ROUTINES(template, pixel_word16)
CORVANE_PALETTE_SPRITE_ROUTINES(template, pixel_bytes24)
CORVANE_PALETTE_SPRITE_ROUTINES(template, pixel_word32)

}  // namespace corvane::depth
