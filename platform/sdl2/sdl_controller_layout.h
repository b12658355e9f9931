// How the SDL2 game-controller driver lays out one device in the state table: a controller SDL2
// has a mapping for in the standard layout (documented in corvane/joystick.h), any other joystick
// by the HID element rules from its axes, hats and buttons.
#ifndef CORVANE_PLATFORM_SDL2_SDL_CONTROLLER_LAYOUT_H
#define CORVANE_PLATFORM_SDL2_SDL_CONTROLLER_LAYOUT_H

#include <SDL.h>

#include <span>
#include <vector>

#include "corvane/joystick.h"
#include "input/hid_elements.h"

namespace corvane::sdl {

// Names, counts and flags of the standard layout in a reset record.
void register_standard_layout(joystick_info &joystick) noexcept;

// Reads a controller's axes and buttons into the standard layout.
void read_standard_layout(SDL_GameController *controller, joystick_info &joystick) noexcept;

// A joystick without a mapping as one joystick collection of HID elements: its axes (each a stick
// axis, so that every two make a stick), its hats and its buttons, in that order. May throw
// std::bad_alloc.
hid::element joystick_collection(SDL_Joystick *joystick);

// Reads a joystick's axes, hats and buttons into the parts made from joystick_collection.
void read_joystick_parts(SDL_Joystick *joystick, std::span<const hid::joystick_part> parts,
                         std::span<joystick_info> table) noexcept;

// The hat position (0 up, clockwise to 7 up-left; HAT_CENTRED) of pressed directions, each -1, 0
// or 1 (x: left, right; y: up, down).
int hat_position(int x, int y) noexcept;

// The hat position of an SDL hat value (SDL_HAT_UP | SDL_HAT_RIGHT ...).
int hat_position_of(Uint8 sdl_hat) noexcept;

}  // namespace corvane::sdl

#endif  // CORVANE_PLATFORM_SDL2_SDL_CONTROLLER_LAYOUT_H
