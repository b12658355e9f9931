// Internal interface of the PNG code: saving a rectangle of a bitmap, used by display drivers
// that write what is visible of their screen.
#ifndef CORVANE_GFX_PNG_INTERNAL_H
#define CORVANE_GFX_PNG_INTERNAL_H

#include "corvane/bitmap.h"
#include "corvane/color.h"

namespace corvane {

// Writes the rectangle of width x height pixels at (x, y) of bmp to a PNG file, as
// save_bitmap_png does for a whole bitmap. The rectangle must lie inside the bitmap. Returns 0, or
// -1 with error_text set.
int save_bitmap_region_png(const char *filename, bitmap *bmp, int x, int y, int width, int height,
                           const rgb_entry *pal) noexcept;

}  // namespace corvane

#endif  // CORVANE_GFX_PNG_INTERNAL_H
