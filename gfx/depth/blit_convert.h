// The depth-converting blit that sits in slot 38 of every depth's drawing table, and the error
// diffusion it uses for 8-bit destinations.
#ifndef CORVANE_GFX_DEPTH_BLIT_CONVERT_H
#define CORVANE_GFX_DEPTH_BLIT_CONVERT_H

#include "corvane/bitmap.h"

namespace corvane::depth {

// Copies a rectangle between bitmaps of any two depths; the rectangle is already clipped.
void blit_convert(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x, int dest_y,
                  int width, int height) noexcept;

// Conversion into an 8-bit destination with error diffusion, through the source's get_pixel and
// the destination's put_pixel.
void error_diffusion_blit(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x,
                          int dest_y, int width, int height) noexcept;

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_BLIT_CONVERT_H
