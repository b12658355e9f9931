// Conversion of screen rows into the XRGB8888 pixels of the presentation texture. The display
// drivers lay the screen's components out so that this is cheap: 15 bits red 10, green 5, blue 0;
// 16 bits red 11, green 5, blue 0; 24 bits red, green, blue bytes in memory; 32 bits alpha 24,
// red 16, green 8, blue 0 (the texture's own layout, so 32-bit rows are not converted at all).
#ifndef CORVANE_PLATFORM_SDL2_SDL_PIXEL_ROWS_H
#define CORVANE_PLATFORM_SDL2_SDL_PIXEL_ROWS_H

#include <cstdint>

#include "corvane/color.h"

namespace corvane::sdl {

// Sets the component shifts of every depth to the layout above.
void use_presentation_layout() noexcept;

// The XRGB value of a palette entry (components 0-63).
uint32_t xrgb_of_palette_entry(const rgb_entry &entry) noexcept;

// Converts width pixels of a row of the given depth; palette (256 XRGB values) is used at 8
// bits.
void convert_row_to_xrgb(int depth, const unsigned char *source, uint32_t *dest, int width,
                         const uint32_t *palette) noexcept;

}  // namespace corvane::sdl

#endif  // CORVANE_PLATFORM_SDL2_SDL_PIXEL_ROWS_H
