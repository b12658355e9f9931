/** @file
 * Corvane: colours and palettes -- packing red, green and blue for each colour depth and back,
 * the palette state of 8-bit modes, the nearest-colour search, the per-depth palette tables, the
 * ordered-dither packers and the RGB/HSV conversions. */
#ifndef CORVANE_COLOR_H
#define CORVANE_COLOR_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/** A palette entry: red, green and blue of 0 to 63 each, and a filler byte. */
typedef struct rgb_entry {
  unsigned char r;      /**< red, 0 to 63 */
  unsigned char g;      /**< green, 0 to 63 */
  unsigned char b;      /**< blue, 0 to 63 */
  unsigned char filler; /**< unused, kept for the record's size */
} rgb_entry;

/** Entries in a palette. */
#define PALETTE_SIZE 256
/** A whole palette: 256 entries, index 0 first. */
typedef rgb_entry palette[PALETTE_SIZE];

/** The transparent (mask) colour of 8-bit bitmaps: palette index 0. */
#define MASK_COLOR_8 0
/** The transparent colour of 15-bit bitmaps: bright pink (31, 0, 31). */
#define MASK_COLOR_15 0x7C1F
/** The transparent colour of 16-bit bitmaps: bright pink (31, 0, 31). */
#define MASK_COLOR_16 0xF81F
/** The transparent colour of 24-bit bitmaps: bright pink (255, 0, 255). */
#define MASK_COLOR_24 0xFF00FF
/** The transparent colour of 32-bit bitmaps: bright pink (255, 0, 255), alpha byte 0. */
#define MASK_COLOR_32 0xFF00FF

/* ---- Palettes and colour state --------------------------------------------------------------- */

/** The desktop palette: 16 desktop colours, repeated over all 256 entries at start-up. */
extern CORVANE_API palette desktop_palette;
/** A palette of 256 black entries (for fading); start-up makes it black again. */
extern CORVANE_API palette black_palette;

/** The palette last applied or selected (used by 8-bit packing and unpacking). */
extern CORVANE_API palette current_palette;
/** The palette that select_palette replaced; unselect_palette brings it back. */
extern CORVANE_API palette saved_palette;

/** Depth used by make_color, get_red and friends, and by create_bitmap. Starts at 8. */
extern CORVANE_API int current_color_depth;

/** Palette index to pixel value, one table per depth 8, 15, 16, 24 and 32 (in that order). */
extern CORVANE_API uint32_t palette_color_tables[5][PALETTE_SIZE];
/** The table of palette_color_tables for the current colour depth. */
extern CORVANE_API uint32_t *palette_color;

/** Bit (depth - 1) set: the table of that depth must be rebuilt before use. */
extern CORVANE_API uint32_t palette_tables_stale;

/** Optional 32768-byte table of 5-bit colours to palette indices (index r5 * 1024 + g5 * 32 + b5),
 * used by make_color8 instead of the nearest-colour search. Null when there is none. */
extern CORVANE_API unsigned char *rgb_index_table;

/* Flags of depth-converting blits. The low 24 bits (all set by default) name the depth pairs a
 * loader may convert. */
#define CONV_DITHER_8 0x01000000u     /**< error diffusion into 8 bits */
#define CONV_DITHER_15_16 0x02000000u /**< ordered dither into 15 and 16 bits */
#define CONV_KEEP_TRANS 0x04000000u   /**< mask pixels stay transparent */
/** The flags of depth-converting blits (CONV_...); see set_color_conversion. */
extern CORVANE_API uint32_t conversion_flags;

/* Bit position of each component per depth. Display drivers may change them when a mode is set;
 * by default red is lowest: 15 bits 0/5/10, 16 bits 0/5/11, 24 and 32 bits 0/8/16 (alpha 24). */
/** Bit position of red in a 15-bit pixel (0 by default). */
extern CORVANE_API int red_shift_15;
/** Bit position of green in a 15-bit pixel (5 by default). */
extern CORVANE_API int green_shift_15;
/** Bit position of blue in a 15-bit pixel (10 by default). */
extern CORVANE_API int blue_shift_15;
/** Bit position of red in a 16-bit pixel (0 by default). */
extern CORVANE_API int red_shift_16;
/** Bit position of green in a 16-bit pixel (5 by default). */
extern CORVANE_API int green_shift_16;
/** Bit position of blue in a 16-bit pixel (11 by default). */
extern CORVANE_API int blue_shift_16;
/** Bit position of red in a 24-bit pixel (0 by default). */
extern CORVANE_API int red_shift_24;
/** Bit position of green in a 24-bit pixel (8 by default). */
extern CORVANE_API int green_shift_24;
/** Bit position of blue in a 24-bit pixel (16 by default). */
extern CORVANE_API int blue_shift_24;
/** Bit position of red in a 32-bit pixel (0 by default). */
extern CORVANE_API int red_shift_32;
/** Bit position of green in a 32-bit pixel (8 by default). */
extern CORVANE_API int green_shift_32;
/** Bit position of blue in a 32-bit pixel (16 by default). */
extern CORVANE_API int blue_shift_32;
/** Bit position of alpha in a 32-bit pixel (24 by default). */
extern CORVANE_API int alpha_shift_32;

/** Scaling of 5-bit components to 8 bits: entry i is floor(i * 255 / 31). */
extern CORVANE_API const int SCALE_5_TO_8[32];
/** Scaling of 6-bit components to 8 bits: entry i is floor(i * 255 / 63). */
extern CORVANE_API const int SCALE_6_TO_8[64];

/* ---- Packing and unpacking --------------------------------------------------------------------
 */

/** Packs 8-bit components for the current colour depth. */
CORVANE_API int make_color(int r, int g, int b) CORVANE_NOEXCEPT;

/** Packs 8-bit components for a depth (8, 15, 16, 24 or 32); 0 for any other depth. Components
 * outside 0-255 are not checked: their excess bits spill into the neighbouring fields. */
CORVANE_API int make_color_depth(int depth, int r, int g, int b) CORVANE_NOEXCEPT;

/** The palette index for 8-bit components: the rgb_index_table entry when there is a table, else
 * the nearest entry of current_palette. */
CORVANE_API int make_color8(int r, int g, int b) CORVANE_NOEXCEPT;

/** The index (1-255, or 0 only for exactly (63, 0, 63)) of the palette entry nearest to a 6-bit
 * colour; ties go to the lower index. */
CORVANE_API int nearest_palette_index(const rgb_entry *pal, int r, int g, int b) CORVANE_NOEXCEPT;

/** The 8-bit red component of a pixel value of a depth; 0 for an unknown depth. At 8 bits the
 * value is an index into current_palette. */
CORVANE_API int get_red_depth(int depth, int c) CORVANE_NOEXCEPT;
/** The 8-bit green component of a pixel value of a depth; 0 for an unknown depth. */
CORVANE_API int get_green_depth(int depth, int c) CORVANE_NOEXCEPT;
/** The 8-bit blue component of a pixel value of a depth; 0 for an unknown depth. */
CORVANE_API int get_blue_depth(int depth, int c) CORVANE_NOEXCEPT;

/** The 8-bit red component of a pixel value of the current colour depth (get_red_depth). */
CORVANE_API int get_red(int c) CORVANE_NOEXCEPT;
/** The 8-bit green component of a pixel value of the current colour depth. */
CORVANE_API int get_green(int c) CORVANE_NOEXCEPT;
/** The 8-bit blue component of a pixel value of the current colour depth. */
CORVANE_API int get_blue(int c) CORVANE_NOEXCEPT;

/** Ordered-dither packing of 8-bit components into 15 bits at dither position (x, y). */
CORVANE_API int dither_pack15(int r, int g, int b, int x, int y) CORVANE_NOEXCEPT;
/** Ordered-dither packing of 8-bit components into 16 bits at dither position (x, y). */
CORVANE_API int dither_pack16(int r, int g, int b, int x, int y) CORVANE_NOEXCEPT;

/** Sets current_color_depth and points palette_color at that depth's table (the pointer is left
 * alone for a depth other than 8, 15, 16, 24 or 32; the depth is stored all the same). */
CORVANE_API void set_color_depth(int depth) CORVANE_NOEXCEPT;
/** The current colour depth (current_color_depth). */
CORVANE_API int get_color_depth(void) CORVANE_NOEXCEPT;

/** Stores flags in conversion_flags. */
CORVANE_API void set_color_conversion(uint32_t flags) CORVANE_NOEXCEPT;
/** Returns conversion_flags. */
CORVANE_API uint32_t get_color_conversion(void) CORVANE_NOEXCEPT;

/** The 256-entry table of palette index to pixel value of depth 15, 16, 24 or 32 for
 * current_palette, rebuilt first when it is stale; null for any other depth. */
CORVANE_API const uint32_t *palette_table_for_depth(int depth) CORVANE_NOEXCEPT;

/** Where depth-converting blits from 8 bits take their table of pixel values; by default
 * palette_table_for_depth. A display driver may install its own. */
extern CORVANE_API const uint32_t *(*palette_expansion_hook)(int depth);

/* ---- Palette operations -----------------------------------------------------------------------
 */

/** Copies entries from..to (inclusive, within 0-255) of pal into current_palette, updates the
 * current depth's table, marks the other depths' tables stale and hands the range to the display
 * (the graphics driver at 8 bits, or the system driver when no mode is open). vsync nonzero asks
 * the display to wait for the retrace. Null is ignored. */
CORVANE_API void apply_palette_range(const rgb_entry *pal, int from, int to,
                                     int vsync) CORVANE_NOEXCEPT;

/** apply_palette_range over the whole palette, waiting for the retrace. */
CORVANE_API void apply_palette(const rgb_entry *pal) CORVANE_NOEXCEPT;

/** Copies entries from..to of current_palette into pal (after letting the system driver read the
 * hardware colours back). Null is ignored. */
CORVANE_API void read_palette_range(rgb_entry *pal, int from, int to) CORVANE_NOEXCEPT;
/** read_palette_range over all 256 entries. Null is ignored. */
CORVANE_API void read_palette(rgb_entry *pal) CORVANE_NOEXCEPT;

/** Makes pal current for colour packing without telling the display; the replaced palette goes
 * to saved_palette. unselect_palette brings it back. Null is ignored. */
CORVANE_API void select_palette(const rgb_entry *pal) CORVANE_NOEXCEPT;
/** Brings back the palette that select_palette replaced (saved_palette), with the pixel values of
 * the current depth's table. */
CORVANE_API void unselect_palette(void) CORVANE_NOEXCEPT;

/** Fills a caller-supplied 32768-byte table of 5-bit colours to indices of pal, by growing regions
 * outward from the palette's own colours. callback, when given, is called exactly 256 times with
 * 0..255 as the work proceeds. Store the table's address in rgb_index_table to make it current.
 * Does nothing when table or pal is null; leaves ENOMEM and the table untouched when the working
 * memory (about 160 KB) cannot be had. */
CORVANE_API void build_rgb_index_table(unsigned char *table, const rgb_entry *pal,
                                       void (*callback)(int step)) CORVANE_NOEXCEPT;

/* ---- HSV ----------------------------------------------------------------------------------------
 */

/** h in degrees, s and v 0-1, to components 0-255. */
CORVANE_API void hsv_to_rgb(float h, float s, float v, int *r, int *g, int *b) CORVANE_NOEXCEPT;

/** Components 0-255 to h in degrees (0-360), s and v 0-1. */
CORVANE_API void rgb_to_hsv(int r, int g, int b, float *h, float *s, float *v) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_COLOR_H */
