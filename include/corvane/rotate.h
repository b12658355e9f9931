/** @file
 * Corvane: rotated, scaled and flipped sprites.
 *
 * Angles are binary angles in 16.16 fixed point with 256 units to the full turn: 0x1000000 is
 * 360 degrees and 0x400000 is 90 degrees; only the low 24 bits count (read as a signed 24-bit
 * value), so any angle is accepted. A positive angle turns clockwise on screen (y grows
 * downwards). The floating-point forms (suffix _f) take degrees, clockwise as well. Scales are
 * size factors: 1.0 (0x10000) keeps the size, 0 draws nothing, a negative scale turns the sprite
 * by half a turn as well.
 *
 * A rotated sprite covers the target pixels whose centres lie inside the turned rectangle (a
 * centre on its top or left outline is outside, one on its bottom or right outline inside), and
 * each such pixel takes the sprite pixel under its centre. At angle 0 and scale 1 a sprite covers
 * exactly what draw_sprite covers; turns by 90, 180 and 270 degrees at scale 1 are exact
 * transposes and flips. Pixels of the sprite's mask colour are transparent. Drawing is cut to the
 * clip rectangle (to the bitmap when clipping is off), and reports nothing: a null bitmap or
 * sprite, a sprite wider or taller than 32767 pixels or with no pixels, or a position that the
 * floating-point form cannot hold in 16.16 fixed point (beyond +-32767) or that is not a finite
 * number draws nothing. Sprite and target may have different depths: the sprite's pixels are then
 * converted through their red, green and blue components. */
#ifndef CORVANE_ROTATE_H
#define CORVANE_ROTATE_H

#include "corvane/base.h"
#include "corvane/bitmap.h"

CORVANE_EXTERN_C_BEGIN

/* Flip flags of rotate_sprite_flipped and pivot_sprite_flipped, applied before turning. */
#define SPRITE_FLIP_H 1 /**< mirrored left to right */
#define SPRITE_FLIP_V 2 /**< upside down */

/* ---- Turning about the centre ------------------------------------------------------------------
 * The sprite, drawn unturned with its top-left corner at (x, y), turns about its centre. */

/** Turns the sprite about its centre by angle. */
CORVANE_API void rotate_sprite(struct bitmap *bmp, struct bitmap *sprite, int x, int y,
                               fixed angle) CORVANE_NOEXCEPT;
/** Also scaled about the centre by scale. */
CORVANE_API void rotate_sprite_scaled(struct bitmap *bmp, struct bitmap *sprite, int x, int y,
                                      fixed angle, fixed scale) CORVANE_NOEXCEPT;
/** Also flipped (SPRITE_FLIP_H, SPRITE_FLIP_V or both; other bits are ignored). */
CORVANE_API void rotate_sprite_flipped(struct bitmap *bmp, struct bitmap *sprite, int x, int y,
                                       fixed angle, fixed scale, int flip) CORVANE_NOEXCEPT;

/** rotate_sprite with a position in pixels and an angle in degrees. */
CORVANE_API void rotate_sprite_f(struct bitmap *bmp, struct bitmap *sprite, float x, float y,
                                 float degrees) CORVANE_NOEXCEPT;
/** rotate_sprite_scaled with a position in pixels and an angle in degrees. */
CORVANE_API void rotate_sprite_scaled_f(struct bitmap *bmp, struct bitmap *sprite, float x,
                                        float y, float degrees, float scale) CORVANE_NOEXCEPT;
/** rotate_sprite_flipped with a position in pixels and an angle in degrees. */
CORVANE_API void rotate_sprite_flipped_f(struct bitmap *bmp, struct bitmap *sprite, float x,
                                         float y, float degrees, float scale,
                                         int flip) CORVANE_NOEXCEPT;

/* ---- Turning about a pivot ---------------------------------------------------------------------
 * The point (cx, cy) of the sprite (pixels from its top-left corner; it may lie outside the
 * sprite) lands on (x, y) of the bitmap, and the sprite turns about it. */

/** Turns the sprite about its point (cx, cy), put on (x, y), by angle. */
CORVANE_API void pivot_sprite(struct bitmap *bmp, struct bitmap *sprite, int x, int y, int cx,
                              int cy, fixed angle) CORVANE_NOEXCEPT;
/** Also scaled about the pivot by scale. */
CORVANE_API void pivot_sprite_scaled(struct bitmap *bmp, struct bitmap *sprite, int x, int y,
                                     int cx, int cy, fixed angle, fixed scale) CORVANE_NOEXCEPT;
/** Also flipped (SPRITE_FLIP_H, SPRITE_FLIP_V or both; other bits are ignored). */
CORVANE_API void pivot_sprite_flipped(struct bitmap *bmp, struct bitmap *sprite, int x, int y,
                                      int cx, int cy, fixed angle, fixed scale,
                                      int flip) CORVANE_NOEXCEPT;

/** pivot_sprite with positions in pixels and an angle in degrees. */
CORVANE_API void pivot_sprite_f(struct bitmap *bmp, struct bitmap *sprite, float x, float y,
                                float cx, float cy, float degrees) CORVANE_NOEXCEPT;
/** pivot_sprite_scaled with positions in pixels and an angle in degrees. */
CORVANE_API void pivot_sprite_scaled_f(struct bitmap *bmp, struct bitmap *sprite, float x, float y,
                                       float cx, float cy, float degrees,
                                       float scale) CORVANE_NOEXCEPT;
/** pivot_sprite_flipped with positions in pixels and an angle in degrees. */
CORVANE_API void pivot_sprite_flipped_f(struct bitmap *bmp, struct bitmap *sprite, float x,
                                        float y, float cx, float cy, float degrees, float scale,
                                        int flip) CORVANE_NOEXCEPT;

/* ---- The building blocks -----------------------------------------------------------------------
 */

/** Slot 41 of the bitmap's drawing table: the sprite's point (cx, cy) lands on (x, y), all 16.16;
 * the sprite is scaled by scale, turned by angle and, when v_flip is nonzero, flipped upside down
 * first. */
CORVANE_API void draw_sprite_rotated(struct bitmap *bmp, struct bitmap *sprite, fixed x, fixed y,
                                     fixed cx, fixed cy, fixed angle, fixed scale,
                                     int v_flip) CORVANE_NOEXCEPT;

/** Where the corners of a sprite of w x h (both times 65536) land when its point (cx, cy) is put
 * on (x, y), scaled by scale_x and scale_y, flipped (h_flip, v_flip nonzero) and turned by angle:
 * xs[0], ys[0] receive the sprite's top-left corner, then top-right, bottom-right and bottom-left
 * (the flips exchange them). Products that overflow saturate (fixed_mul, error number ERANGE);
 * corners beyond the 16.16 range are cut to it. Null arrays are ignored. */
CORVANE_API void rotation_corners(fixed w, fixed h, fixed x, fixed y, fixed cx, fixed cy,
                                  fixed angle, fixed scale_x, fixed scale_y, int h_flip,
                                  int v_flip, fixed xs[4], fixed ys[4]) CORVANE_NOEXCEPT;

/** Draws the sprite mapped onto the parallelogram whose corners xs, ys (16.16) receive the
 * sprite's top-left, top-right, bottom-right and bottom-left corners; the fourth corner follows
 * from the other three. A sprite of the bitmap's depth on a memory bitmap is drawn directly; any
 * other pair goes through get_pixel and put_pixel (with the drawing mode set to MODE_SOLID for the
 * call), converting between depths when they differ. A parallelogram of no area draws nothing. */
CORVANE_API void draw_rotated_quad(struct bitmap *bmp, struct bitmap *sprite, const fixed xs[4],
                                   const fixed ys[4]) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_ROTATE_H */
