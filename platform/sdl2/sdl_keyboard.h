// The SDL2 keyboard driver's translation of the display's key and text events into key presses
// and releases of the library's key indices, with the modifier and lock flags kept in key_shifts.
// The host thread feeds it; the driver record is in sdl_drivers.h.
#ifndef CORVANE_PLATFORM_SDL2_SDL_KEYBOARD_H
#define CORVANE_PLATFORM_SDL2_SDL_KEYBOARD_H

#include <SDL.h>

namespace corvane::sdl {

// The key index (1-126) of an SDL scancode; 0 for keys the library has no index for.
int key_index_of_scancode(int scancode) noexcept;

// The key_shifts flags of an SDL modifier state.
int key_shifts_of_modifiers(int modifiers) noexcept;

// ---- Host side: the driver registers these with the host while it is installed.

// Handles one event of the display's queue. The character of a key that types one arrives in the
// text event that follows the key event, so a press may wait for the next event.
void handle_keyboard_event(const SDL_Event &event) noexcept;

// The queue is empty: a press still waiting for its text goes in without it.
void finish_keyboard_events() noexcept;

// Turns event handling on or off (the driver's init and exit, and tests).
void set_keyboard_events_enabled(bool enabled) noexcept;

}  // namespace corvane::sdl

#endif  // CORVANE_PLATFORM_SDL2_SDL_KEYBOARD_H
