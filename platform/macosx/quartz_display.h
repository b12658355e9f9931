// The Mac OS X display drivers: 'QZFL' takes over the main display through Core Graphics direct
// display access, 'QZWN' draws into a Cocoa window through a QuickDraw view. What they share: the
// size rules of a request, the hardware cursor operations (an NSCursor made from a sprite) and the
// full-screen driver's requested refresh rate.
#ifndef CORVANE_PLATFORM_MACOSX_QUARTZ_DISPLAY_H
#define CORVANE_PLATFORM_MACOSX_QUARTZ_DISPLAY_H

#include "corvane/bitmap.h"
#include "corvane/gfx.h"
#include "platform/macosx/macosx_host.h"

namespace corvane::macosx {

// The full-screen driver's id, 'QZFL' (the window driver's, 'QZWN', is in macosx_host.h).
inline constexpr int GFX_QUARTZ_FULLSCREEN = CORVANE_ID('Q', 'Z', 'F', 'L');

extern gfx_driver quartz_fullscreen_driver;
extern gfx_driver quartz_window_driver;

// The refresh rate the full-screen driver asks the display for (0, the default: any).
void set_requested_refresh_rate(int rate) noexcept;
int requested_refresh_rate() noexcept;

// The size rules of both drivers: 0 x 0 means 320 x 200; a negative size or a virtual size larger
// than the mode in either direction is refused with "Resolution not supported".
bool settle_mode_size(int *width, int *height, int virtual_width, int virtual_height) noexcept;

// Hardware cursor operations of both drivers. set_cursor_image makes an NSCursor from the sprite
// (mask-coloured pixels transparent, the focus as hot spot); show_cursor makes it current when
// bmp is the screen bitmap (0) and fails (-1) otherwise; hide_cursor makes the blank cursor
// current; move_cursor does nothing, the system moves the pointer.
int quartz_set_cursor_image(bitmap *sprite, int focus_x, int focus_y) noexcept;
int quartz_show_cursor(bitmap *bmp, int x, int y) noexcept;
void quartz_hide_cursor() noexcept;
void quartz_move_cursor(int x, int y) noexcept;

// Gives back the cursor made by set_cursor_image (when a display closes); the current cursor is
// forgotten when it was that one.
void release_cursor_image() noexcept;

}  // namespace corvane::macosx

#endif  // CORVANE_PLATFORM_MACOSX_QUARTZ_DISPLAY_H
