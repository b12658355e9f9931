// The display shared by the SDL2 window and full-screen drivers: the screen bitmap in memory with
// the rows changed since they were last shown and the 8-bit palette (sdl_screen.cpp), and the
// window, renderer and texture through which the host thread presents the changed rows, scaled by
// whole multiples with black bars around (sdl_presenter.cpp).
#ifndef CORVANE_PLATFORM_SDL2_SDL_DISPLAY_H
#define CORVANE_PLATFORM_SDL2_SDL_DISPLAY_H

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/gfx.h"

namespace corvane::sdl {

// What a driver asks of the display.
struct display_request {
  int width;
  int height;
  int virtual_width;
  int virtual_height;
  int depth;
  bool fullscreen;
};

// The desktop as SDL reports it.
struct desktop_info {
  int width = 0;
  int height = 0;
  int depth = -1;
  int refresh_rate = 0;
};

// Reads the desktop mode of the first display; false when no display can be reached. Starts the
// host for the time of the question when needed.
bool query_desktop(desktop_info *info) noexcept;

// Opens the display for a driver: checks the request, makes the screen bitmap and the window.
// Returns the screen bitmap, or null with error_text set.
bitmap *open_display(gfx_driver *driver, const display_request &request) noexcept;

// Closes the window and frees the screen's memory (the screen bitmap itself is the caller's).
void close_display() noexcept;

// Waits until the host has presented the next frame (at most a few frames' time).
void wait_for_presentation() noexcept;

// Loads entries from..to of an 8-bit screen's palette; retrace nonzero waits for a frame first.
void load_palette(const rgb_entry *pal, int from, int to, int retrace) noexcept;

// The integer scale a window of this mode starts with: the "window_scale" key of section
// "graphics" when it is 1 or more, else the largest multiple that leaves a tenth of the desktop
// free in both directions (at least 1).
int initial_window_scale(int width, int height, int desktop_width, int desktop_height) noexcept;

// The SDL video driver and renderer in use, for the driver's description ("" when closed).
const char *video_driver_name() noexcept;

// ---- Host side: called on the host thread only. The presenter registers its own event and frame
// handlers with the host when a mode first opens.

// Sets the window's title to the host's current title.
void retitle_window() noexcept;

// The window of the display, or null.
SDL_Window *display_window() noexcept;

// ---- For tests: draws the frame as it would be presented and reads it back (XRGB pixels of the
// renderer's output). False when no display is open.
bool read_presented_frame(std::vector<uint32_t> *pixels, int *width, int *height) noexcept;

}  // namespace corvane::sdl

#endif  // CORVANE_PLATFORM_SDL2_SDL_DISPLAY_H
