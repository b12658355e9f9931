/** @file
 * Corvane: fonts and text drawing.
 *
 * A font is a set of glyphs indexed by Unicode code point, grouped in contiguous ranges. Three
 * kinds share one record and differ by their table of operations: monochrome fonts (each glyph a
 * bit pattern drawn in one colour), colour fonts (each glyph a bitmap) and translucent colour
 * fonts (glyph bitmaps drawn through the blender). Text is in the current encoding. In every
 * drawing call y is the top row of the line of text, colours are pixel values of the bitmap's
 * depth, and a negative background draws the ink pixels only. */
#ifndef CORVANE_FONT_H
#define CORVANE_FONT_H

#include "corvane/base.h"
#include "corvane/bitmap.h"

CORVANE_EXTERN_C_BEGIN

/** A monochrome glyph: its size, then glyph_height rows of (glyph_width + 7) / 8 bytes each; in
 * every byte the most significant bit is the leftmost pixel, and a set bit is ink. The record is
 * allocated with room for all its rows: its size is offsetof(mono_glyph, data) plus the rows. */
typedef struct mono_glyph {
  int16_t glyph_width;   /**< width in pixels */
  int16_t glyph_height;  /**< height in pixels (rows) */
  unsigned char data[1]; /**< the rows, top first; the record is allocated longer to hold them */
} mono_glyph;

/** Bytes of one row of a glyph of that width; a glyph's rows take glyph_height times as many. */
#define MONO_GLYPH_ROW_BYTES(width) (((width) + 7) / 8)

/** A range of a monochrome font: the glyphs of code points first to last_plus_one - 1. */
typedef struct mono_range {
  int first;               /**< the first code point of the range */
  int last_plus_one;       /**< one past the last code point of the range */
  mono_glyph **glyphs;     /**< last_plus_one - first entries */
  struct mono_range *next; /**< the next range, or null */
} mono_range;

/** A range of a colour font: the glyphs are bitmaps. An 8-bit glyph is drawn in the text colour
 * where its pixels are nonzero (or in its own colours when the text colour is negative). */
typedef struct color_range {
  int first;                /**< the first code point of the range */
  int last_plus_one;        /**< one past the last code point of the range */
  struct bitmap **glyphs;   /**< last_plus_one - first entries */
  struct color_range *next; /**< the next range, or null */
} color_range;

/** A font (struct font). */
typedef struct font font;

/** The operations of a kind of font. */
typedef struct font_vtable {
  /** The font's line height. */
  int (*font_height)(const font *f);
  /** Advance of one code point in pixels (missing glyphs measure as '^'). */
  int (*char_length)(const font *f, int code_point);
  /** Sum of the advances of the text's characters. */
  int (*text_length)(const font *f, const char *text);
  /** Draws one character at (x, y); returns its advance. */
  int (*render_char)(const font *f, int code_point, int color, int background, struct bitmap *bmp,
                     int x, int y);
  /** Draws a text at (x, y). */
  void (*render)(const font *f, const char *text, int color, int background, struct bitmap *bmp,
                 int x, int y);
  /** Frees the font with its ranges and glyphs. */
  void (*destroy)(font *f);
  /** Number of ranges; -1 for a font without ranges. */
  int (*count_ranges)(const font *f);
  /** First code point of a range (index -1: the first range); -1 for an index out of range. */
  int (*range_begin)(const font *f, int index);
  /** Last code point, inclusive, of a range (index -1: the last range); -1 when out of range. */
  int (*range_end)(const font *f, int index);
  /** A new font of the same kind with copies of the glyphs from first to last inclusive (-1: the
   * font's own first or last code point); null when memory is short. */
  font *(*extract_range)(const font *f, int first, int last);
  /** A new font with copies of both fonts' ranges, or null when other is of another kind. */
  font *(*merge)(const font *f, const font *other);
  /** Adds offset to the code points of every range, in place; 0, or -1 for a null font. */
  int (*transpose)(font *f, int offset);
} font_vtable;

/** A font: its ranges (mono_range or color_range by kind; null for an empty font), the line
 * height, and the operations that decide its kind. */
struct font {
  void *ranges;                /**< the first mono_range or color_range, or null */
  int height;                  /**< line height in pixels */
  const font_vtable *font_ops; /**< the operations of the font's kind */
};

/** The operations of monochrome fonts. */
extern CORVANE_API const font_vtable mono_font_ops;
/** The operations of colour fonts. */
extern CORVANE_API const font_vtable color_font_ops;
/** The operations of translucent colour fonts (glyphs drawn through the blender). */
extern CORVANE_API const font_vtable trans_font_ops;

/** The character whose glyph stands in for code points a font does not hold: '^'. */
#define MISSING_GLYPH_CHAR 0x5E
/** MISSING_GLYPH_CHAR as a variable, for languages that cannot read macros. */
extern CORVANE_API const int missing_glyph_char;

/** The built-in 8x8 monochrome font: U+0020-U+007F, U+00A1-U+017F and the euro sign. */
extern CORVANE_API font *default_font;

/** Background of the legacy formatted-drawing calls (draw_textf_legacy and friends): 0. */
extern CORVANE_API const int legacy_text_background;

/* ---- Kinds ----------------------------------------------------------------------------------- */

/** Nonzero when the font is monochrome; 0 for null. */
CORVANE_API int is_mono_font(const font *f) CORVANE_NOEXCEPT;
/** Nonzero when the font is a colour font, translucent or not; 0 for null. */
CORVANE_API int is_color_font(const font *f) CORVANE_NOEXCEPT;

/* ---- Measuring ------------------------------------------------------------------------------- */

/** Width of a text in pixels; 0 for a null font or text. */
CORVANE_API int text_width(const font *f, const char *text) CORVANE_NOEXCEPT;

/** Line height of a font; 0 for null. */
CORVANE_API int font_text_height(const font *f) CORVANE_NOEXCEPT;

/* ---- Drawing (null bitmaps, fonts and texts draw nothing) ----------------------------------- */

/** Draws text with its left edge at x. */
CORVANE_API void draw_text(struct bitmap *bmp, const font *f, const char *text, int x, int y,
                           int color, int background) CORVANE_NOEXCEPT;

/** Draws text so that it ends just left of x. */
CORVANE_API void draw_text_right(struct bitmap *bmp, const font *f, const char *text, int x, int y,
                                 int color, int background) CORVANE_NOEXCEPT;

/** Draws text centred on x (starting at x - width / 2). */
CORVANE_API void draw_text_centred(struct bitmap *bmp, const font *f, const char *text, int x,
                                   int y, int color, int background) CORVANE_NOEXCEPT;

/** Draws the words of text (split at spaces, tabs and line ends, at most 128) spread from x1 to
 * x2 - 1, when the room left between them is positive and at most largest_gap and there are at
 * least two words; otherwise draws the text unjustified at x1. */
CORVANE_API void draw_text_justified(struct bitmap *bmp, const font *f, const char *text, int x1,
                                     int x2, int y, int largest_gap, int color,
                                     int background) CORVANE_NOEXCEPT;

/** draw_text of a format of the library's formatter and its arguments; the text is cut at 511
 * bytes. */
CORVANE_API void draw_textf(struct bitmap *bmp, const font *f, int x, int y, int color,
                            int background, const char *format, ...) CORVANE_NOEXCEPT;
/** draw_text_right of a formatted text, cut at 511 bytes. */
CORVANE_API void draw_textf_right(struct bitmap *bmp, const font *f, int x, int y, int color,
                                  int background, const char *format, ...) CORVANE_NOEXCEPT;
/** draw_text_centred of a formatted text, cut at 511 bytes. */
CORVANE_API void draw_textf_centred(struct bitmap *bmp, const font *f, int x, int y, int color,
                                    int background, const char *format, ...) CORVANE_NOEXCEPT;
/** draw_text_justified of a formatted text, cut at 511 bytes. */
CORVANE_API void draw_textf_justified(struct bitmap *bmp, const font *f, int x1, int x2, int y,
                                      int largest_gap, int color, int background,
                                      const char *format, ...) CORVANE_NOEXCEPT;

/** draw_textf without a background argument: it draws on legacy_text_background. */
CORVANE_API void draw_textf_legacy(struct bitmap *bmp, const font *f, int x, int y, int color,
                                   const char *format, ...) CORVANE_NOEXCEPT;
/** draw_textf_right on legacy_text_background. */
CORVANE_API void draw_textf_right_legacy(struct bitmap *bmp, const font *f, int x, int y, int color,
                                         const char *format, ...) CORVANE_NOEXCEPT;
/** draw_textf_centred on legacy_text_background. */
CORVANE_API void draw_textf_centred_legacy(struct bitmap *bmp, const font *f, int x, int y,
                                           int color, const char *format, ...) CORVANE_NOEXCEPT;
/** draw_textf_justified on legacy_text_background. */
CORVANE_API void draw_textf_justified_legacy(struct bitmap *bmp, const font *f, int x1, int x2,
                                             int y, int largest_gap, int color, const char *format,
                                             ...) CORVANE_NOEXCEPT;

/* ---- Ranges and lifetime --------------------------------------------------------------------- */

/** Number of ranges of a font; -1 for null or a font without ranges. */
CORVANE_API int count_font_ranges(const font *f) CORVANE_NOEXCEPT;

/** First code point of range index (-1: the first range); -1 for null or an index out of
 * range. */
CORVANE_API int font_range_begin(const font *f, int index) CORVANE_NOEXCEPT;
/** Last code point, inclusive, of range index (-1: the last range); -1 for null or an index out of
 * range. */
CORVANE_API int font_range_end(const font *f, int index) CORVANE_NOEXCEPT;

/** A new font of the same kind holding copies of the glyphs from first to last inclusive (-1: the
 * font's own first or last code point). Null for a null font or when memory is short. */
CORVANE_API font *extract_font_range(const font *f, int first, int last) CORVANE_NOEXCEPT;

/** A new font holding copies of both fonts' ranges, ordered by first code point, with the larger
 * height; null when the kinds differ, either is null, or memory is short. */
CORVANE_API font *merge_fonts(const font *a, const font *b) CORVANE_NOEXCEPT;

/** Moves every range of a font by offset code points, in place. Returns 0, -1 for null. */
CORVANE_API int transpose_font(font *f, int offset) CORVANE_NOEXCEPT;

/** Frees a font made by the range operations (or built by hand with malloc'ed parts); null and
 * the built-in font are ignored. */
CORVANE_API void destroy_font(font *f) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_FONT_H */
