/* Corvane: the drawing mode -- how put_pixel, draw_vline and draw_hline combine their colour with
 * the bitmap. The state is process-wide, one set for all bitmaps. */
#ifndef CORVANE_DRAW_H
#define CORVANE_DRAW_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

struct bitmap;

/* Drawing modes; any other value makes the pixel and line routines write nothing. */
#define MODE_SOLID 0          /* the pixel becomes the colour */
#define MODE_XOR 1            /* the pixel is xor'd with the colour */
#define MODE_PATTERN_COPY 2   /* the pixel becomes the pattern's pixel; the colour is ignored */
#define MODE_PATTERN_SOLID 3  /* the mask colour where the pattern is masked, else the colour */
#define MODE_PATTERN_MASKED 4 /* the colour where the pattern is not masked, else unchanged */
#define MODE_TRANSLUCENT 5    /* shade_table (8 bits) or the depth's blender hook */

/* The current mode (MODE_SOLID at start). */
extern CORVANE_API int draw_mode;

/* The pattern of the pattern modes (same depth as the target), or null; pattern pixel (0, 0)
 * lies at the anchor. */
extern CORVANE_API struct bitmap *draw_pattern;
extern CORVANE_API int pattern_x_anchor;
extern CORVANE_API int pattern_y_anchor;

/* The largest power of two not above the pattern's width (height), minus one; 0 without one. */
extern CORVANE_API uint32_t pattern_x_mask;
extern CORVANE_API uint32_t pattern_y_mask;

/* Sets the drawing mode, its pattern and anchors, and tells the graphics driver. A pattern whose
 * size is not a power of two repeats only its top-left power-of-two part. In the pattern modes
 * nothing is drawn without a pattern, or with one whose pixel size differs from the target's. */
CORVANE_API void set_draw_mode(int mode, struct bitmap *pattern, int x_anchor,
                               int y_anchor) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_DRAW_H */
