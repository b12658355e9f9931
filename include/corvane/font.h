/* Corvane: fonts and text drawing. */
#ifndef CORVANE_FONT_H
#define CORVANE_FONT_H

#include "corvane/base.h"
#include "corvane/bitmap.h"

CORVANE_EXTERN_C_BEGIN

typedef struct font font;

/* The built-in 8x8 monochrome font. */
extern CORVANE_API font *default_font;

/* Draws text centred on x, with y the top row; background -1 draws the glyph pixels only. */
CORVANE_API void draw_text_centred(struct bitmap *bmp, const font *f, const char *text, int x,
                                   int y, int color, int background) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_FONT_H */
