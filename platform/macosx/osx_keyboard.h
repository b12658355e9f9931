// The Mac OS X keyboard driver 'OSXK': key events of the host's event loop become key indices,
// characters and modifier flags.
#ifndef CORVANE_PLATFORM_MACOSX_OSX_KEYBOARD_H
#define CORVANE_PLATFORM_MACOSX_OSX_KEYBOARD_H

#include <array>
#include <cstdint>

#include "corvane/keyboard.h"

namespace corvane::macosx {

// The driver's id, 'OSXK'.
inline constexpr int KEYBOARD_MACOSX = CORVANE_ID('O', 'S', 'X', 'K');

// The driver record.
extern keyboard_driver_rec osx_keyboard_driver;

// Mac hardware key code -> key index; codes without a key map to 0.
extern const std::array<std::uint8_t, 128> mac_key_table;

// A key went down (pressed true) or up: the first byte of its characters ignoring modifiers (a
// signed 8-bit value), its hardware key code and the Cocoa modifier flags at the time.
void osx_key_event(bool pressed, int character, unsigned key_code, unsigned long modifiers) noexcept;

// The Cocoa modifier flags are now these: every modifier that changed is reported as its key.
void osx_modifiers_changed(unsigned long modifiers) noexcept;

// With flags 0, releases every key that is down; otherwise the lock flags of key_shifts become
// the lock bits of leds.
void osx_release_all_keys(int flags, int leds) noexcept;

}  // namespace corvane::macosx

#endif  // CORVANE_PLATFORM_MACOSX_OSX_KEYBOARD_H
