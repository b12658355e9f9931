// Placeholder keyboard: no keyboard driver exists yet.
#include "corvane/keyboard.h"

extern "C" {

int install_keyboard(void) noexcept { return -1; }

int read_key(void) noexcept { return 0; }

}  // extern "C"
