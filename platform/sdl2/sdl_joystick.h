// The game-controller driver on SDL2: controllers SDL2's mapping database knows in the standard
// layout, other joysticks laid out by the HID element rules, plugged in and out while the game
// runs without their numbers changing, and rumble.
#ifndef CORVANE_PLATFORM_SDL2_SDL_JOYSTICK_H
#define CORVANE_PLATFORM_SDL2_SDL_JOYSTICK_H

#include "corvane/joystick.h"

namespace corvane::sdl {

inline constexpr int JOYSTICK_SDL = CORVANE_ID('S', 'D', 'L', 'J');

// 'SDLJ'. Autodetection takes it when a controller or joystick is plugged in; asked for by its
// id it also opens without one, and the first one plugged in appears at a later poll.
extern joystick_driver_rec joystick_driver;

}  // namespace corvane::sdl

#endif  // CORVANE_PLATFORM_SDL2_SDL_JOYSTICK_H
