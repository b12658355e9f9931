// The pointer the SDL2 window shows: the graphics drivers' cursor operations (a cursor made from
// the mouse's sprite, scaled with the window and remade when the window's scale changes) and the
// system's own pointers for the mouse driver. The SDL cursors live on the host thread.
#ifndef CORVANE_PLATFORM_SDL2_SDL_CURSOR_H
#define CORVANE_PLATFORM_SDL2_SDL_CURSOR_H

#include <cstdint>
#include <vector>

#include "corvane/bitmap.h"

namespace corvane::sdl {

// ---- The graphics drivers' cursor operations (program thread).

// Makes the cursor from the sprite (its mask colour transparent) with the focus as hot spot.
// Returns 0, or -1 when the display cannot make cursors.
int set_cursor_image(bitmap *sprite, int focus_x, int focus_y);

// Shows the sprite's cursor; only on the screen bitmap. 0 on success, -1 otherwise.
int show_cursor(bitmap *bmp, int x, int y);

// Hides the pointer over the window.
void hide_cursor();

// The system moves its pointer itself: nothing to do.
void move_cursor(int x, int y);

// ---- For the mouse driver (program thread).

// Shows the system's pointer for a cursor number of the mouse: 2 arrow, 3 busy, 5 text (I-beam).
// Returns the cursor, or 0 when there is no such system pointer or it cannot be shown.
int select_system_pointer(int cursor);

// Back to the system's default pointer, shown as the display wants it; every cursor made is
// freed.
void restore_default_pointer();

// ---- The picture of a cursor, for tests.

// The sprite's pixels as 0xAARRGGBB, every pixel scale times in both directions; mask pixels are
// fully transparent, all others opaque. The result has (width * scale) * (height * scale)
// entries, row by row.
std::vector<uint32_t> cursor_pixels(bitmap *sprite, int scale);

// The hot spot of the focus pixel in a cursor scaled that many times: the middle of its block.
int scaled_hot_spot(int focus, int scale) noexcept;

}  // namespace corvane::sdl

#endif  // CORVANE_PLATFORM_SDL2_SDL_CURSOR_H
