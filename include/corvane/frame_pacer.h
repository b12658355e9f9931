/** @file
 * Corvane: pacing a fixed-step game loop.
 *
 * A frame pacer counts game steps at a fixed rate on the timer thread. The loop asks how many
 * steps are due, runs the game logic that many times, draws once, and asks again; the call sleeps
 * while no step is due, so the loop runs the logic at the same rate on every machine and draws
 * as often as it can keep up:
 * @code
 *   frame_pacer *pacer = create_frame_pacer(60);
 *   for (;;) {
 *     int steps = wait_for_frame_steps(pacer, 5);
 *     if (steps < 0) break;
 *     while (steps-- > 0) update_game();
 *     draw_game();
 *   }
 *   destroy_frame_pacer(pacer);
 * @endcode
 */
#ifndef CORVANE_FRAME_PACER_H
#define CORVANE_FRAME_PACER_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/** A frame pacer (its record is the library's own). */
typedef struct frame_pacer frame_pacer;

/** Starts counting steps_per_second steps a second (the period is rounded to whole timer ticks,
 * 1193181 to the second), installing the timer system when needed; the pacer takes one timer
 * handler slot. Returns the pacer, or null: EINVAL when steps_per_second is below 1 or above
 * TIMER_TICKS_PER_SECOND, ENOMEM when memory is short, and null too when the timer system cannot
 * start or all its handler slots are in use. */
CORVANE_API frame_pacer *create_frame_pacer(int steps_per_second) CORVANE_NOEXCEPT;

/** Stops the pacer and frees it; null is ignored. */
CORVANE_API void destroy_frame_pacer(frame_pacer *pacer) CORVANE_NOEXCEPT;

/** The number of steps that fell due since the last call, at least 1: sleeps until one is due
 * when none is. When more than max_steps are due (a machine too slow for the game, or a long
 * pause), max_steps are returned and the rest are dropped, so that the game slows down instead of
 * falling ever further behind; max_steps below 1 sets no limit. Returns -1 for a null pacer
 * (EINVAL) and when the timer system has been removed, since no step can come then. */
CORVANE_API int wait_for_frame_steps(frame_pacer *pacer, int max_steps) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_FRAME_PACER_H */
