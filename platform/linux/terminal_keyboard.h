// The terminal keyboard driver 'TERM', used when no display is reachable: it reads the controlling
// terminal in raw mode (no line editing, no echo), or the bytes of standard input when that is a
// pipe or a file, and turns them into key presses. The terminal is restored on removal and, through
// the host's fatal-signal handler, when a fatal signal ends the program.
#ifndef CORVANE_PLATFORM_LINUX_TERMINAL_KEYBOARD_H
#define CORVANE_PLATFORM_LINUX_TERMINAL_KEYBOARD_H

#include "corvane/keyboard.h"
#include "platform/linux/terminal_key_parser.h"

namespace corvane {

// The driver's id, 'TERM'.
inline constexpr int KEYBOARD_TERMINAL = CORVANE_ID('T', 'E', 'R', 'M');

extern keyboard_driver_rec terminal_keyboard_driver;

namespace terminal_input {

// Makes the driver read fd instead of standard input from its next init on (-1: standard input
// again). The descriptor stays the caller's.
void use_input_descriptor(int fd) noexcept;

}  // namespace terminal_input
}  // namespace corvane

#endif  // CORVANE_PLATFORM_LINUX_TERMINAL_KEYBOARD_H
