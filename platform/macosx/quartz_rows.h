// Row conversion of the window display driver's emulation: whole rows of the screen bitmap, in
// the Mac layout of its depth, become rows of the window's port (16 bits x-red-green-blue 1-5-5-5
// or 32 bits x-red-green-blue 8-8-8-8, in the machine's byte order). An 8-bit screen goes through
// a table of the port's colours for the palette.
#ifndef CORVANE_PLATFORM_MACOSX_QUARTZ_ROWS_H
#define CORVANE_PLATFORM_MACOSX_QUARTZ_ROWS_H

#include <cstdint>

#include "corvane/color.h"

namespace corvane::macosx {

// Converts width pixels of one row; colors is the palette table (256 port colours) at 8 bits.
using row_converter = void (*)(const unsigned char *source, unsigned char *dest, int width,
                               const uint32_t *colors);

// The converter from a screen depth (8, 15, 16, 24 or 32) to a port depth (16 or 32); a plain copy
// when the layouts are the same (15 to 16, 32 to 32); null for a pair it cannot convert.
row_converter find_row_converter(int screen_depth, int port_depth) noexcept;

// The port colour (port depth 16 or 32) of a palette entry (components 0-63).
uint32_t port_color_of(const rgb_entry &entry, int port_depth) noexcept;

// Sets the component shifts of every depth to the Mac display's layout: 15 bits red 10, green 5,
// blue 0; 16 bits red 11, green 5, blue 0; 24 bits red 16, green 8, blue 0; 32 bits alpha 24, red
// 16, green 8, blue 0.
void use_mac_pixel_layout() noexcept;

}  // namespace corvane::macosx

#endif  // CORVANE_PLATFORM_MACOSX_QUARTZ_ROWS_H
