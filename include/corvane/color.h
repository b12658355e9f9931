/* Corvane: colours and palettes -- packing colours for a depth, palettes and their state. */
#ifndef CORVANE_COLOR_H
#define CORVANE_COLOR_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/* A palette entry: red, green and blue of 0 to 63 each, and a filler byte. */
typedef struct rgb_entry {
  unsigned char r;
  unsigned char g;
  unsigned char b;
  unsigned char filler;
} rgb_entry;

#define PALETTE_SIZE 256
typedef rgb_entry palette[PALETTE_SIZE];

/* The desktop palette and the all-black palette. */
extern CORVANE_API palette desktop_palette;
extern CORVANE_API palette black_palette;

/* Makes a palette current (and the display's, when a mode is open). */
CORVANE_API void apply_palette(const rgb_entry *pal) CORVANE_NOEXCEPT;

/* Packs 8-bit components for the current colour depth. */
CORVANE_API int make_color(int r, int g, int b) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_COLOR_H */
