// The SDL2 drivers, the Linux host's display layer: a window, the whole screen, and the keyboard
// fed by the display's events, with the services the system driver asks of the display layer.
#ifndef CORVANE_PLATFORM_SDL2_SDL_DRIVERS_H
#define CORVANE_PLATFORM_SDL2_SDL_DRIVERS_H

#include "corvane/gfx.h"
#include "corvane/keyboard.h"
#include "corvane/mouse.h"
#include "platform/linux/unix_host.h"

namespace corvane::sdl {

inline constexpr int GFX_SDL_WINDOW = CORVANE_ID('S', 'D', 'L', 'W');
inline constexpr int GFX_SDL_FULLSCREEN = CORVANE_ID('S', 'D', 'L', 'F');
inline constexpr int KEYBOARD_SDL = CORVANE_ID('S', 'D', 'L', 'K');
inline constexpr int MOUSE_SDL = CORVANE_ID('S', 'D', 'L', 'M');

// 'SDLW': the screen in a resizable window, scaled by whole multiples.
extern gfx_driver window_driver;

// 'SDLF': the screen scaled to the whole desktop.
extern gfx_driver fullscreen_driver;

// 'SDLK': keys from the display's key and text events.
extern keyboard_driver_rec keyboard_driver;

// 'SDLM': the pointer from the display's window, in screen-bitmap coordinates.
extern ::mouse_driver mouse_input_driver;

// Desktop queries, message boxes, the window title and the signal path for the system driver.
extern const unix_host::display_services host_services;

}  // namespace corvane::sdl

#endif  // CORVANE_PLATFORM_SDL2_SDL_DRIVERS_H
