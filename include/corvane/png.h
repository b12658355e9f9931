/* Corvane: PNG files -- saving any bitmap to a PNG file and loading a PNG file into a new bitmap.
 *
 * File names are in the current text encoding. Failures leave a reason in error_text and an
 * error number (ENOENT, ENOMEM, EINVAL, EFBIG or the system's own). */
#ifndef CORVANE_PNG_H
#define CORVANE_PNG_H

#include "corvane/base.h"
#include "corvane/bitmap.h"
#include "corvane/color.h"

CORVANE_EXTERN_C_BEGIN

/* Writes a bitmap of any depth to a PNG file. An 8-bit bitmap is written as a paletted image
 * whose 256 colours come from pal, or from current_palette when pal is null; other depths are
 * written as 8-bit RGB (alpha is not kept). Returns 0, or -1 with error_text set; a file that
 * could not be written completely is removed. */
CORVANE_API int save_bitmap_png(const char *filename, struct bitmap *bmp,
                                const rgb_entry *pal) CORVANE_NOEXCEPT;

/* Reads a PNG file into a new memory bitmap of the current colour depth (get_color_depth).
 * At depth 8 a paletted image keeps its indices and its palette is stored into pal; any other
 * image is matched to current_palette, which is then stored into pal. At 32 bits an image with
 * an alpha channel keeps it in the alpha bits. pal may be null. Returns the bitmap, or null with
 * error_text set (a missing file, not a PNG file, a corrupt or truncated one, an image too large
 * for its file or for a bitmap, or memory exhausted). */
CORVANE_API struct bitmap *load_bitmap_png(const char *filename, rgb_entry *pal) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_PNG_H */
