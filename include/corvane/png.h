/** @file
 * Corvane: PNG files -- saving any bitmap to a PNG file and loading a PNG file into a new bitmap.
 *
 * File names are in the current text encoding. Failures leave a reason in error_text and an
 * error number (ENOENT, ENOMEM, EINVAL, EFBIG or the system's own). */
#ifndef CORVANE_PNG_H
#define CORVANE_PNG_H

#include "corvane/base.h"
#include "corvane/bitmap.h"
#include "corvane/color.h"

CORVANE_EXTERN_C_BEGIN

/** Writes a bitmap of any depth to a PNG file. An 8-bit bitmap is written as a paletted image
 * whose 256 colours come from pal, or from current_palette when pal is null; other depths are
 * written as 8-bit RGB, and a 32-bit bitmap with any nonzero alpha byte as 8-bit RGBA, so that
 * loading the file at the bitmap's depth gives back the same pixels. Returns 0, or -1 with
 * error_text set; a file that could not be written completely is removed. */
CORVANE_API int save_bitmap_png(const char *filename, struct bitmap *bmp,
                                const rgb_entry *pal) CORVANE_NOEXCEPT;

/** Reads a PNG file into a new memory bitmap of the current colour depth (get_color_depth).
 *
 * Every colour type and bit depth is read as the values the file stores: 16-bit channels become
 * 8 bits by round(v * 255 / 65535), grey of 1, 2 or 4 bits is scaled to 8 bits and copied to red,
 * green and blue, palettes are looked up, and a tRNS chunk gives alpha. No gamma or colour-space
 * transform is made: gAMA, cHRM, sRGB and iCCP chunks are read past and ignored, since almost
 * every file stores the values meant for display and converting them (as a decoder treating the
 * data as linear light does) brightens or shifts the picture. A program that wants a transform
 * applies it to the loaded pixels.
 *
 * At depth 8 a paletted image keeps its indices and its palette is stored into pal (entries
 * beyond the file's palette are black); any other image is matched to current_palette (through
 * rgb_index_table when there is one, as make_color8 does), which is then stored into pal. At 32
 * bits an image with an alpha channel or a tRNS chunk keeps its alpha in the alpha bits; an opaque
 * image gets alpha 0 there, as make_color32 gives. Interlaced images load like the others.
 * pal may be null.
 *
 * Before anything is allocated, the size the header claims is checked: against the limits (see
 * set_png_limits), against what a bitmap can hold, and against what a file of this size can hold
 * compressed; rows are then decoded one at a time (an interlaced image needs one buffer of its
 * size). Only regular files are read, and opening never waits (a FIFO is refused with EINVAL).
 *
 * Returns the bitmap, or null with error_text and the error number set: "Cannot open the PNG
 * file" (the system's error number), "Not a PNG file" (EINVAL), "Corrupt PNG file" (EINVAL, also
 * for a truncated file), "PNG image too large" (EFBIG), "Not enough memory" (ENOMEM) or
 * "Unsupported color depth" (EINVAL). */
CORVANE_API struct bitmap *load_bitmap_png(const char *filename, rgb_entry *pal) CORVANE_NOEXCEPT;

/* The largest PNG image load_bitmap_png accepts, by default: 32768 pixels wide or high and
 * 2^26 pixels (an 8192 x 8192 picture) in all. */
/** The widest PNG image load_bitmap_png accepts by default, in pixels. */
#define PNG_DEFAULT_MAX_WIDTH 32768
/** The highest PNG image load_bitmap_png accepts by default, in pixels. */
#define PNG_DEFAULT_MAX_HEIGHT 32768
/** The most pixels in all of a PNG image load_bitmap_png accepts by default (8192 x 8192). */
#define PNG_DEFAULT_MAX_PIXELS 67108864LL

/** Sets the size limits of load_bitmap_png. A value of 0 or less takes the limit from the
 * configuration ("max_width", "max_height" and "max_pixels" in section "[png]") or, when that
 * is not set, the default above. Larger images are refused with "PNG image too large" (EFBIG). */
CORVANE_API void set_png_limits(int max_width, int max_height,
                                long long max_pixels) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_PNG_H */
