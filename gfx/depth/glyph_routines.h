// The glyph routines of every depth's drawing table: a monochrome glyph record (one bit per
// pixel) and an 8-bit glyph bitmap, each drawn in one colour over an optional background.
#ifndef CORVANE_GFX_DEPTH_GLYPH_ROUTINES_H
#define CORVANE_GFX_DEPTH_GLYPH_ROUTINES_H

#include "corvane/bitmap.h"
#include "corvane/font.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {

// Writes color where the glyph has a set bit and background (unless negative) where it has a
// clear one, with the glyph's top-left corner at (x, y); clipped to the clip rectangle, or to the
// bitmap when clipping is off.
template <class Pixel>
void draw_glyph(bitmap *bmp, const mono_glyph *glyph, int x, int y, int color,
                int background) noexcept;

// Writes color where the 8-bit source has a nonzero pixel and background (unless negative) where
// it has 0. A source of another depth draws nothing.
template <class Pixel>
void draw_glyph_mono(bitmap *bmp, bitmap *source, int x, int y, int color, int background) noexcept;

// The routines depend on the pixel size only (Storage is a storage type, so 15 and 16 bits share
// them) and are compiled once, in glyph_routines.cpp.
#define CORVANE_GLYPH_ROUTINES(PREFIX, Storage)                                               \
  PREFIX void draw_glyph<Storage>(bitmap *, const mono_glyph *, int, int, int, int) noexcept; \
  PREFIX void draw_glyph_mono<Storage>(bitmap *, bitmap *, int, int, int, int) noexcept;

CORVANE_GLYPH_ROUTINES(extern template, pixel_byte)
CORVANE_GLYPH_ROUTINES(extern template, pixel_word16)
CORVANE_GLYPH_ROUTINES(extern template, pixel_bytes24)
CORVANE_GLYPH_ROUTINES(extern template, pixel_word32)

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_GLYPH_ROUTINES_H
