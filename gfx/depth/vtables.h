// The built-in drawing tables of the five depths and the routines that all of them share.
#ifndef CORVANE_GFX_DEPTH_VTABLES_H
#define CORVANE_GFX_DEPTH_VTABLES_H

#include "corvane/bitmap.h"

namespace corvane::depth {

extern draw_vtable vtable_8;
extern draw_vtable vtable_15;
extern draw_vtable vtable_16;
extern draw_vtable vtable_24;
extern draw_vtable vtable_32;

// Copies a rectangle between bitmaps of any two depths (slot 38 of every table); the rectangle is
// already clipped.
void blit_convert(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x, int dest_y,
                  int width, int height) noexcept;

// Conversion into an 8-bit destination with error diffusion, through the source's get_pixel and
// the destination's put_pixel.
void error_diffusion_blit(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x,
                          int dest_y, int width, int height) noexcept;

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_VTABLES_H
