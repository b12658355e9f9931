/* Corvane: the keyboard. */
#ifndef CORVANE_KEYBOARD_H
#define CORVANE_KEYBOARD_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/* Installs the keyboard driver; 0 on success, -1 when none starts. */
CORVANE_API int install_keyboard(void) CORVANE_NOEXCEPT;

/* Waits for a key and returns it: the character in the low byte, the key index in the next. */
CORVANE_API int read_key(void) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_KEYBOARD_H */
