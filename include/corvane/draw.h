/** @file
 * Corvane: drawing -- the drawing mode (how put_pixel, draw_vline and draw_hline combine their
 * colour with the bitmap; process-wide, one set for all bitmaps), the drawing entry points for
 * pixels, lines, shapes and sprites, and the shape walkers. */
#ifndef CORVANE_DRAW_H
#define CORVANE_DRAW_H

#include "corvane/base.h"
#include "corvane/bitmap.h"

CORVANE_EXTERN_C_BEGIN

struct run_sprite;

/* Drawing modes; any other value makes the pixel and line routines write nothing. */
#define MODE_SOLID 0          /**< the pixel becomes the colour */
#define MODE_XOR 1            /**< the pixel is xor'd with the colour */
#define MODE_PATTERN_COPY 2   /**< the pixel becomes the pattern's pixel; the colour is ignored */
#define MODE_PATTERN_SOLID 3  /**< the mask colour where the pattern is masked, else the colour */
#define MODE_PATTERN_MASKED 4 /**< the colour where the pattern is not masked, else unchanged */
#define MODE_TRANSLUCENT 5    /**< shade_table (8 bits) or the depth's blender hook */

/** The current mode (MODE_SOLID at start). */
extern CORVANE_API int draw_mode;

/** The pattern of the pattern modes (same depth as the target), or null; pattern pixel (0, 0)
 * lies at the anchor. */
extern CORVANE_API struct bitmap *draw_pattern;
/** The column of the target where pattern column 0 lies. */
extern CORVANE_API int pattern_x_anchor;
/** The row of the target where pattern row 0 lies. */
extern CORVANE_API int pattern_y_anchor;

/** The largest power of two not above the pattern's width, minus one; 0 without a pattern. */
extern CORVANE_API uint32_t pattern_x_mask;
/** The largest power of two not above the pattern's height, minus one; 0 without a pattern. */
extern CORVANE_API uint32_t pattern_y_mask;

/** Sets the drawing mode, its pattern and anchors, and tells the graphics driver. A pattern whose
 * size is not a power of two repeats only its top-left power-of-two part. In the pattern modes
 * nothing is drawn without a pattern, or with one whose pixel size differs from the target's. */
CORVANE_API void set_draw_mode(int mode, struct bitmap *pattern, int x_anchor,
                               int y_anchor) CORVANE_NOEXCEPT;

/* ---- Drawing entry points ---------------------------------------------------------------------
 * Thin calls through the bitmap's drawing table (the slot of the same name). A null bitmap, a
 * bitmap without a table or an empty slot draws nothing. Coordinates are signed 32-bit pixel
 * positions; colours are pixel values packed for the bitmap's depth (make_color); rectangles given
 * by two corners take them in either order and include both. Everything is clipped to the clip
 * rectangle when clipping is on, and never drawn outside the bitmap when it is off.
 */

/** The pixel at (x, y), or -1 outside the bitmap (the clip rectangle does not matter). */
CORVANE_API int get_pixel(struct bitmap *bmp, int x, int y) CORVANE_NOEXCEPT;
/** Sets the pixel at (x, y) in the drawing mode. */
CORVANE_API void put_pixel(struct bitmap *bmp, int x, int y, int color) CORVANE_NOEXCEPT;
/** A vertical line at column x from row y1 to row y2, both included, in the drawing mode. */
CORVANE_API void draw_vline(struct bitmap *bmp, int x, int y1, int y2, int color) CORVANE_NOEXCEPT;
/** A horizontal line on row y from column x1 to column x2, both included, in the drawing mode. */
CORVANE_API void draw_hline(struct bitmap *bmp, int x1, int y, int x2, int color) CORVANE_NOEXCEPT;
/** Fills the clip rectangle (whether or not clipping is on), ignoring the drawing mode. */
CORVANE_API void clear_to_color(struct bitmap *bmp, int color) CORVANE_NOEXCEPT;

/** A line from (x1, y1) to (x2, y2), both ends included, by Bresenham's rule from the first
 * point. */
CORVANE_API void draw_line(struct bitmap *bmp, int x1, int y1, int x2, int y2,
                           int color) CORVANE_NOEXCEPT;
/** A line cut to the clip rectangle first and then walked: faster for long lines mostly outside,
 * though its pixels may differ slightly from draw_line's where it was cut. */
CORVANE_API void draw_fast_line(struct bitmap *bmp, int x1, int y1, int x2, int y2,
                                int color) CORVANE_NOEXCEPT;
/** A filled rectangle between two corners. */
CORVANE_API void fill_rect(struct bitmap *bmp, int x1, int y1, int x2, int y2,
                           int color) CORVANE_NOEXCEPT;
/** A rectangle outline between two corners. */
CORVANE_API void draw_rect(struct bitmap *bmp, int x1, int y1, int x2, int y2,
                           int color) CORVANE_NOEXCEPT;
/** A filled triangle of three corners. */
CORVANE_API void draw_triangle(struct bitmap *bmp, int x1, int y1, int x2, int y2, int x3, int y3,
                               int color) CORVANE_NOEXCEPT;
/** A filled polygon of vertex_count (x, y) pairs in points (the last vertex joins the first); rows
 * are filled between pairs of edges, so self-crossing shapes fill by the even-odd rule. Fewer than
 * two vertices or two non-horizontal edges, a null points array, or a vertex count whose edge
 * table would pass 2 GiB draw nothing; so does a shortage of memory for the edge table (leaving
 * ENOMEM when it strikes while filling). */
CORVANE_API void draw_polygon(struct bitmap *bmp, int vertex_count, const int *points,
                              int color) CORVANE_NOEXCEPT;
/** A circle outline about its centre; a radius below 0 draws nothing. */
CORVANE_API void draw_circle(struct bitmap *bmp, int x, int y, int radius,
                             int color) CORVANE_NOEXCEPT;
/** A filled circle about its centre; a radius below 0 draws nothing. */
CORVANE_API void fill_circle(struct bitmap *bmp, int x, int y, int radius,
                             int color) CORVANE_NOEXCEPT;
/** An ellipse outline about its centre with radii rx and ry (below 1 counted as 1). When memory
 * for its points is short it stops and leaves ENOMEM. */
CORVANE_API void draw_ellipse(struct bitmap *bmp, int x, int y, int rx, int ry,
                              int color) CORVANE_NOEXCEPT;
/** A filled ellipse about its centre with radii rx and ry (below 1 counted as 1). When memory for
 * its spans is short it stops and leaves ENOMEM. */
CORVANE_API void fill_ellipse(struct bitmap *bmp, int x, int y, int rx, int ry,
                              int color) CORVANE_NOEXCEPT;
/** An arc of a circle, counter-clockwise on screen from start_angle to end_angle. Angles are 16.16
 * fixed point with 256 units to the full turn (0x1000000 is 360 degrees), 0 pointing right. */
CORVANE_API void draw_arc(struct bitmap *bmp, int x, int y, fixed start_angle, fixed end_angle,
                          int radius, int color) CORVANE_NOEXCEPT;
/** A cubic Bezier curve through four control points (x0, y0, ..., x3, y3), drawn as up to 63 line
 * segments; in MODE_XOR and MODE_TRANSLUCENT every joint is drawn once. */
CORVANE_API void draw_spline(struct bitmap *bmp, const int points[8], int color) CORVANE_NOEXCEPT;
/** Fills the 4-connected region of the colour at (x, y) with color, within the clip rectangle. A
 * seed outside it draws nothing; when memory for the work is short nothing is drawn and ENOMEM is
 * left. */
CORVANE_API void flood_fill(struct bitmap *bmp, int x, int y, int color) CORVANE_NOEXCEPT;

/* ---- Shape walkers ----------------------------------------------------------------------------
 * Each computes the points of a shape and calls proc (bmp, x, y, d) for every point, in order;
 * nothing is clipped, and proc may do anything with the points. Points whose coordinates do not
 * fit in an int are left out. A null proc is ignored.
 */

/** A point callback: bmp, x, y and the value d given to the walker. */
typedef void (*point_proc)(struct bitmap *bmp, int x, int y, int d);

/** Bresenham's line from (x1, y1) to (x2, y2), both ends included; a one-point line calls proc
 * once. */
CORVANE_API void walk_line(struct bitmap *bmp, int x1, int y1, int x2, int y2, int d,
                           point_proc proc) CORVANE_NOEXCEPT;
/** The midpoint circle; every point once, radius 0 the centre once, a negative radius nothing. */
CORVANE_API void walk_circle(struct bitmap *bmp, int x, int y, int radius, int d,
                             point_proc proc) CORVANE_NOEXCEPT;
/** An ellipse with radii rx and ry (below 1 counted as 1). */
CORVANE_API void walk_ellipse(struct bitmap *bmp, int x, int y, int rx, int ry, int d,
                              point_proc proc) CORVANE_NOEXCEPT;
/** An arc as draw_arc draws it; radius 0 gives the centre once, a negative radius nothing. */
CORVANE_API void walk_arc(struct bitmap *bmp, int x, int y, fixed start_angle, fixed end_angle,
                          int radius, int d, point_proc proc) CORVANE_NOEXCEPT;

/* ---- Sprites ----------------------------------------------------------------------------------
 * A sprite is a bitmap drawn with its top-left corner at (x, y); pixels of the sprite's mask
 * colour (0 at 8 bits, MASK_COLOR_15 ... MASK_COLOR_32 above) are transparent. Sprites are cut to
 * the clip rectangle, or to the bitmap with clipping off. A sprite of a depth the routine does not
 * take draws nothing.
 */

/** The sprite as it is; an 8-bit sprite on a deeper bitmap goes through draw_sprite_8bit. Otherwise
 * the sprite must have the bitmap's pixel size. */
CORVANE_API void draw_sprite(struct bitmap *bmp, struct bitmap *sprite, int x,
                             int y) CORVANE_NOEXCEPT;
/** An 8-bit sprite through palette_color (the table of the current colour depth); 0 is
 * transparent. */
CORVANE_API void draw_sprite_8bit(struct bitmap *bmp, struct bitmap *sprite, int x,
                                  int y) CORVANE_NOEXCEPT;
/** The sprite upside down. */
CORVANE_API void draw_sprite_vflip(struct bitmap *bmp, struct bitmap *sprite, int x,
                                   int y) CORVANE_NOEXCEPT;
/** The sprite mirrored left to right. */
CORVANE_API void draw_sprite_hflip(struct bitmap *bmp, struct bitmap *sprite, int x,
                                   int y) CORVANE_NOEXCEPT;
/** The sprite upside down and mirrored left to right. */
CORVANE_API void draw_sprite_vhflip(struct bitmap *bmp, struct bitmap *sprite, int x,
                                    int y) CORVANE_NOEXCEPT;
/** Each pixel through the blender of the bitmap's depth with blend_weight (8 bits: shade_table
 * [sprite][bitmap], every pixel). Deeper bitmaps also take 8-bit sprites, whose bytes go to the
 * blender unchanged. */
CORVANE_API void draw_sprite_trans(struct bitmap *bmp, struct bitmap *sprite, int x,
                                   int y) CORVANE_NOEXCEPT;
/** A 32-bit sprite with alpha over a 15-, 16-, 24- or 32-bit bitmap (select_alpha_blend). */
CORVANE_API void draw_sprite_alpha(struct bitmap *bmp, struct bitmap *sprite, int x,
                                   int y) CORVANE_NOEXCEPT;
/** Each pixel blended toward the blend colour by level 0-255 (8 bits: shade_table[level][pixel]). */
CORVANE_API void draw_sprite_lit(struct bitmap *bmp, struct bitmap *sprite, int x, int y,
                                 int level) CORVANE_NOEXCEPT;
/** Lit with levels c1 (top left), c2 (top right), c3 (bottom right), c4 (bottom left), 0-255,
 * interpolated over the sprite. */
CORVANE_API void draw_sprite_gouraud(struct bitmap *bmp, struct bitmap *sprite, int x, int y,
                                     int c1, int c2, int c3, int c4) CORVANE_NOEXCEPT;

/** A run-length sprite (create_run_sprite) as it is, as draw_sprite. A sprite whose pixel size
 * differs from the bitmap's draws nothing. */
CORVANE_API void draw_rle(struct bitmap *bmp, const struct run_sprite *sprite, int x,
                          int y) CORVANE_NOEXCEPT;
/** A run-length sprite through the blender, as draw_sprite_trans. */
CORVANE_API void draw_rle_trans(struct bitmap *bmp, const struct run_sprite *sprite, int x,
                                int y) CORVANE_NOEXCEPT;
/** A 32-bit run-length sprite with alpha, as draw_sprite_alpha. */
CORVANE_API void draw_rle_alpha(struct bitmap *bmp, const struct run_sprite *sprite, int x,
                                int y) CORVANE_NOEXCEPT;
/** A run-length sprite lit toward the blend colour by level 0-255, as draw_sprite_lit. */
CORVANE_API void draw_rle_lit(struct bitmap *bmp, const struct run_sprite *sprite, int x, int y,
                              int level) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_DRAW_H */
