/** @file
 * Corvane: the blender state -- the per-depth hooks that combine an incoming colour with the one
 * already in a bitmap, the blend colours and weight, and the 8-bit shade table. Translucent
 * drawing (MODE_TRANSLUCENT) and translucent, lit and alpha sprites read them. */
#ifndef CORVANE_BLEND_H
#define CORVANE_BLEND_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

struct bitmap;
struct rgb_entry;

/** A blender: x is the incoming colour, y the colour already in the bitmap, n a weight 0-255;
 * returns the pixel value to store. */
typedef uint32_t (*blender_func)(uint32_t x, uint32_t y, uint32_t n);

/** Combines two 15-bit colours (translucent drawing, translucent and lit sprites). Empty until a
 * blend mode is set; drawing that needs an empty hook draws nothing. */
extern CORVANE_API blender_func blend_hook15;
/** Combines two 16-bit colours; empty until a blend mode is set, as blend_hook15. */
extern CORVANE_API blender_func blend_hook16;
/** Combines two 24-bit colours; empty until a blend mode is set, as blend_hook15. */
extern CORVANE_API blender_func blend_hook24;
/** Combines two 32-bit colours; empty until a blend mode is set, as blend_hook15. */
extern CORVANE_API blender_func blend_hook32;

/** Combines a 32-bit colour with alpha with a 15-bit one (alpha sprites onto 15 bits). */
extern CORVANE_API blender_func alpha_hook15;
/** Combines a 32-bit colour with alpha with a 16-bit one (alpha sprites onto 16 bits). */
extern CORVANE_API blender_func alpha_hook16;
/** Combines a 32-bit colour with alpha with a 24-bit one (alpha sprites onto 24 bits). */
extern CORVANE_API blender_func alpha_hook24;

/** The blend colour packed as a 15-bit pixel (lit sprites). */
extern CORVANE_API uint32_t blend_color15;
/** The blend colour packed as a 16-bit pixel (lit sprites). */
extern CORVANE_API uint32_t blend_color16;
/** The blend colour packed as a 24-bit pixel (lit sprites). */
extern CORVANE_API uint32_t blend_color24;
/** The blend colour packed as a 32-bit pixel (lit sprites). */
extern CORVANE_API uint32_t blend_color32;

/** The weight n that translucent drawing and translucent and alpha sprites pass to the blenders. */
extern CORVANE_API int blend_weight;

/** 8-bit translucency or lighting table of 65536 bytes, indexed [first * 256 + second]; null when
 * there is none (8-bit translucent drawing then draws nothing). */
extern CORVANE_API unsigned char *shade_table;

/* ---- Setting the blend mode ------------------------------------------------------------------ */

/** Stores b15, b16 and b24 as blend_hook15, blend_hook16 and blend_hook24 (b24 also as
 * blend_hook32), sets the three alpha hooks to blender_zero, packs the blend colour (r, g, b, each
 * 0-255) for every depth and stores a in blend_weight. */
CORVANE_API void set_blend_hooks(blender_func b15, blender_func b16, blender_func b24, int r, int g,
                                 int b, int a) CORVANE_NOEXCEPT;

/** Like set_blend_hooks, but stores all seven hooks as given. */
CORVANE_API void set_blend_hooks_ex(blender_func b15, blender_func b16, blender_func b24,
                                    blender_func b32, blender_func b15x, blender_func b16x,
                                    blender_func b24x, int r, int g, int b, int a) CORVANE_NOEXCEPT;

/* The built-in blend modes 1 to 13. Each tells the current graphics driver (blender_changed, with
 * its mode number) and then installs its blenders with set_blend_hooks; (r, g, b) becomes the
 * blend colour of lit sprites and a the blend weight. In the rules below x is the incoming colour,
 * y the one in the bitmap and n the weight, per component; "mixed" means that the result c is then
 * blended over y by n/255. The HSV modes move the named fields of x toward those of y by n/255. */

/** Selects blend mode 1 (mix): c = x, mixed. */
CORVANE_API void select_mix_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;
/** Selects blend mode 2 (add): y + x * n / 256, clamped to 255; not mixed. */
CORVANE_API void select_add_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;
/** Selects blend mode 3 (subtract): c = max(x - y, 0), mixed. */
CORVANE_API void select_subtract_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;
/** Selects blend mode 4 (hue and saturation): hue and saturation move; value of x. */
CORVANE_API void select_hue_sat_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;
/** Selects blend mode 5 (difference): c = |y - x|, mixed. */
CORVANE_API void select_difference_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;
/** Selects blend mode 6 (dissolve): x when n is 255 or above a random byte (blender_random),
 * else y. */
CORVANE_API void select_dissolve_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;
/** Selects blend mode 7 (dodge): c = x + y * n / 256, not clamped (a sum above 255 spills into
 * the next field), mixed. */
CORVANE_API void select_dodge_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;
/** Selects blend mode 8 (hue): hue moves; saturation and value of x. */
CORVANE_API void select_hue_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;
/** Selects blend mode 9 (invert): c = 255 - x, mixed. */
CORVANE_API void select_invert_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;
/** Selects blend mode 10 (value): value moves; hue and saturation of x. */
CORVANE_API void select_value_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;
/** Selects blend mode 11 (multiply): c = x * y / 256, mixed. */
CORVANE_API void select_multiply_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;
/** Selects blend mode 12 (saturation): saturation moves; hue and value of x. */
CORVANE_API void select_saturation_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;
/** Selects blend mode 13 (screen): c = 255 - (255 - x) * (255 - y) / 256, mixed. */
CORVANE_API void select_screen_blend(int r, int g, int b, int a) CORVANE_NOEXCEPT;

/** Mode 14: alpha sprites. A 32-bit source's alpha byte weighs it over the destination (n is
 * ignored); blend_hook32 and the three alpha hooks are set for the current component layouts,
 * the other hooks to blender_zero. */
CORVANE_API void select_alpha_blend(void) CORVANE_NOEXCEPT;

/** blend_hook32 becomes blend_write_alpha and every other hook blender_zero: translucent drawing
 * onto a 32-bit bitmap then writes the colour into the alpha byte. The driver is not told. */
CORVANE_API void select_write_alpha_blend(void) CORVANE_NOEXCEPT;

/* ---- Fixed blenders --------------------------------------------------------------------- */

/** Returns 0 whatever its arguments. */
CORVANE_API uint32_t blender_zero(uint32_t x, uint32_t y, uint32_t n) CORVANE_NOEXCEPT;

/** Returns (y and 0xFFFFFF) or (x shifted left 24): x becomes the alpha byte of y. */
CORVANE_API uint32_t blend_write_alpha(uint32_t x, uint32_t y, uint32_t n) CORVANE_NOEXCEPT;

/** The generator of the dissolve mode: seed = seed * 0x41C64E6D + 0x41C67EA6 (mod 2^32), seed 0 at
 * start; returns seed shifted right 16 (0-65535). */
CORVANE_API uint32_t blender_random(void) CORVANE_NOEXCEPT;

/* ---- Run-length sprites ----------------------------------------------------------------- */

/** A run-length encoded sprite. The run data starts 16 bytes after the start of the record (right
 * behind these four fields), in units of the depth: bytes at 8 bits, 16-bit words at 15 and 16
 * bits, 32-bit words at 24 and 32 bits (a 24-bit pixel in the low 24 bits), native byte order.
 * Each row, from the top, is a sequence of runs ending with an end-of-row unit equal to the depth's
 * mask colour (compared unsigned). A run starts with a count read as a signed unit: n > 0 is
 * followed by n literal pixels, -n stands for n transparent pixels.
 *
 * The drawing routines check color_depth against the target and never read beyond size bytes of
 * data, so that a record that does not match its data draws nothing wrong. */
typedef struct run_sprite {
  int width;       /**< width in pixels */
  int height;      /**< height in pixels */
  int color_depth; /**< 8, 15, 16, 24 or 32 */
  int size;        /**< bytes of run data behind the record */
} run_sprite;

/** Encodes a bitmap of any depth as a run_sprite: pixels equal to the depth's mask colour become
 * transparent runs. Free it with destroy_run_sprite.
 * @return The sprite, or null with error_text and the error number set: EINVAL ("No bitmap to
 *   encode", "Unsupported colour depth") for a null bitmap or a depth without a run format, ENOMEM
 *   ("Sprite too large", "Not enough memory") for data above 2 GiB or when memory is short. */
CORVANE_API run_sprite *create_run_sprite(struct bitmap *bmp) CORVANE_NOEXCEPT;

/** Frees a run_sprite; null is ignored. */
CORVANE_API void destroy_run_sprite(run_sprite *sprite) CORVANE_NOEXCEPT;

/** The first byte of a run_sprite's data, or null for a null sprite. */
CORVANE_API const unsigned char *run_sprite_data(const run_sprite *sprite) CORVANE_NOEXCEPT;

/* ---- 8-bit shade tables -----------------------------------------------------------------------
 * Each fills a caller-supplied 65536-byte table for a palette; entry [x][y] is at x * 256 + y.
 * A colour is matched through rgb_index_table when there is one, else by nearest_palette_index on
 * the palette. The optional callback is told the progress after each row. Null tables or palettes
 * are ignored. Point shade_table at a table to use it.
 */

/** Translucency: row 0 is the identity; entry [x][y] is pal[x] weighted by r, g, b (0-255 per
 * component, clamped) over pal[y]. The callback receives x - 1 after row x. */
CORVANE_API void build_trans_table(unsigned char *table, const struct rgb_entry *pal, int r, int g,
                                   int b, void (*callback)(int step)) CORVANE_NOEXCEPT;

/** Lighting toward the colour (r, g, b), 0-63 each (clamped): level 0 is the colour itself, level
 * 255 (the last row) leaves every colour unchanged. The callback receives x after row x. */
CORVANE_API void build_light_table(unsigned char *table, const struct rgb_entry *pal, int r, int g,
                                   int b, void (*callback)(int step)) CORVANE_NOEXCEPT;

/** Any blend: blend (pal, x, y, out) writes the 6-bit colour of entry [x][y] into out. The callback
 * receives x after row x. */
CORVANE_API void build_color_table(unsigned char *table, const struct rgb_entry *pal,
                                   void (*blend)(const struct rgb_entry *pal, int x, int y,
                                                 struct rgb_entry *out),
                                   void (*callback)(int step)) CORVANE_NOEXCEPT;

/** The current 24-bit blender: entry [x][y] is blend_hook24 of pal[x] and pal[y] (expanded to 24
 * bits) with blend_weight. Does nothing while blend_hook24 is empty. The callback receives x after
 * row x. */
CORVANE_API void build_blender_table(unsigned char *table, const struct rgb_entry *pal,
                                     void (*callback)(int step)) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_BLEND_H */
