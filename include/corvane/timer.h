/* Corvane: timers, rests, the simulated retrace and display-switch support. */
#ifndef CORVANE_TIMER_H
#define CORVANE_TIMER_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

struct bitmap;

/* ---- Display-switch support ----------------------------------------------------------------- */

/* Registers a bitmap whose contents are saved when the program loses the display and restored
 * when it regains it; a sub-bitmap is registered under its parent. */
CORVANE_API void register_switch_bitmap(struct bitmap *bmp, struct bitmap *parent) CORVANE_NOEXCEPT;
CORVANE_API void unregister_switch_bitmap(struct bitmap *bmp) CORVANE_NOEXCEPT;

/* Nonzero while the display is switched away from the program. */
CORVANE_API int display_switched_away(void) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_TIMER_H */
