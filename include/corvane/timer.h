/** @file
 * Corvane: timers, rests, the simulated retrace and display-switch support.
 *
 * Timer handlers are called at fixed rates on a background thread (the timer thread). Rates are
 * given in ticks, 1193181 to the second. A handler must be short: it runs with the timer mutex
 * held, and must not install or remove the timer system itself. */
#ifndef CORVANE_TIMER_H
#define CORVANE_TIMER_H

#include "corvane/base.h"
#include "corvane/system.h"

CORVANE_EXTERN_C_BEGIN

/* ---- Constants ------------------------------------------------------------------------------ */

/** Timer ticks in one second. */
#define TIMER_TICKS_PER_SECOND 1193181
/** Ticks per millisecond used by add_timer_handler_ms. */
#define TICKS_PER_MS 1193
/** Number of handler slots. */
#define TIMER_SLOT_COUNT 16
/** Ticks between simulated retraces (70 a second). */
#define DEFAULT_VSYNC_SPEED 17045
/** The longest delay timer_dispatch asks for (about 27 ms). */
#define MAX_DISPATCH_DELAY 0x8000

/** Converts seconds into ticks. */
#define SECONDS_TO_TICKS(s) ((s)*TIMER_TICKS_PER_SECOND)
/** Converts milliseconds into ticks. */
#define MS_TO_TICKS(ms) ((ms)*TICKS_PER_MS)
/** Converts calls per second into the ticks between two calls. */
#define PER_SECOND_TO_TICKS(n) (TIMER_TICKS_PER_SECOND / (n))

/* ---- Timer drivers -------------------------------------------------------------------------- */

/** The id of timer_pthreads. */
#define TIMER_PTHREADS CORVANE_ID('P', 'T', 'H', 'R')

/** A timer driver: the driver identity, then nine optional operations. A driver that implements an
 * install or remove operation keeps the handlers of that kind itself; otherwise the library's 16
 * slots are used and the driver only supplies the heartbeat (it calls timer_dispatch). */
typedef struct timer_driver {
  CORVANE_DRIVER_IDENTITY; /**< id, name, description and ascii_label (CORVANE_DRIVER_IDENTITY) */
  int (*init)(void);       /**< starts the heartbeat; 0 on success */
  void (*exit)(void);      /**< stops the heartbeat */
  /** Installs a handler itself; 0, or -1 (as add_timer_handler). */
  int (*install_int)(void (*proc)(void), int speed);
  /** Removes a handler installed by install_int. */
  void (*remove_int)(void (*proc)(void));
  /** Installs a handler with a parameter itself; 0, or -1 (as add_param_timer_handler). */
  int (*install_param_int)(void (*proc)(void *), void *param, int speed);
  /** Removes a handler installed by install_param_int. */
  void (*remove_param_int)(void (*proc)(void *), void *param);
  /** Nonzero when the driver can simulate the retrace in the given way. */
  int (*can_simulate_retrace)(int argument);
  /** Turns the driver's retrace simulation on (flag nonzero) or off. */
  void (*simulate_retrace)(int flag);
  /** Sleeps ms milliseconds, calling callback while waiting when it is not null. */
  void (*rest)(int ms, void (*callback)(void));
} timer_driver;

/** The installed timer driver, or null. */
extern CORVANE_API timer_driver *current_timer_driver;

/** 'PTHR': one POSIX thread that sleeps exactly until the next handler is due and dispatches the
 * time that really passed, measured on a monotonic clock. */
extern CORVANE_API timer_driver timer_pthreads;

/** The timer drivers used when the system driver offers no list of its own. */
extern CORVANE_API driver_list_entry default_timer_driver_list[];

/* ---- Installation and handlers -------------------------------------------------------------- */

/** Installs the timer system (the first driver of the list that starts). Returns 0 on success or
 * when already installed, -1 when no driver starts (error_text "No timer driver could be started"
 * unless the driver left its own reason) or the timer mutex cannot be made ("Unable to create the
 * timer mutex"). */
CORVANE_API int install_timer_system(void) CORVANE_NOEXCEPT;

/** Shuts the timer system down: stops the timer thread and frees every slot. Must not be called
 * from a timer handler (the call is then refused). */
CORVANE_API void remove_timer(void) CORVANE_NOEXCEPT;

/** Calls proc every speed ticks (installing the timer system if needed). Installing a proc that is
 * already installed changes its rate, keeping the time it has already waited. Returns 0, or -1
 * when proc is null (EINVAL), all 16 slots are in use or no timer driver starts. A speed of 0 or
 * less keeps the slot but never calls it. */
CORVANE_API int add_timer_handler(void (*proc)(void), int speed) CORVANE_NOEXCEPT;

/** The same with the period in milliseconds (1193 ticks each); -1 with EINVAL also when the period
 * does not fit in ticks (more than about 30 minutes). */
CORVANE_API int add_timer_handler_ms(void (*proc)(void), int ms) CORVANE_NOEXCEPT;

/** Calls proc(param) every speed ticks; the pair (proc, param) identifies the handler. Returns 0,
 * or -1 as add_timer_handler. */
CORVANE_API int add_param_timer_handler(void (*proc)(void *), void *param,
                                        int speed) CORVANE_NOEXCEPT;

/** Removes a handler; one that is not installed is ignored. */
CORVANE_API void remove_timer_handler(void (*proc)(void)) CORVANE_NOEXCEPT;
/** Removes the handler of the pair (proc, param); one that is not installed is ignored. */
CORVANE_API void remove_param_timer_handler(void (*proc)(void *), void *param) CORVANE_NOEXCEPT;

/** Hands elapsed ticks to the handlers: calls every handler that is due (once for every period it
 * missed) and advances the simulated retrace. Called by the timer driver's heartbeat; programs and
 * tests may call it by hand with a driver that has no thread. Returns the ticks until the next
 * handler is due, at most MAX_DISPATCH_DELAY. */
CORVANE_API int timer_dispatch(int elapsed) CORVANE_NOEXCEPT;

/* ---- Rests ---------------------------------------------------------------------------------- */

/** Sleeps ms milliseconds; 0 (or less) only gives up the processor for a moment. */
CORVANE_API void rest_ms(int ms) CORVANE_NOEXCEPT;

/** Sleeps ms milliseconds, calling callback over and over while waiting when it is not null. */
CORVANE_API void rest_ms_callback(int ms, void (*callback)(void)) CORVANE_NOEXCEPT;

/* ---- Simulated retrace ---------------------------------------------------------------------- */

/** Counts simulated vertical retraces, vsync_speed ticks apart (70 a second by default).
 * Written by the timer thread: read it with get_retrace_count() (or an atomic load) and reset it
 * with set_retrace_count(), so that the access is free of data races. */
extern CORVANE_API int retrace_count;

/** Called on the timer thread at every simulated retrace, or null. Set it with an atomic store
 * (C11 atomic_store / __atomic_store_n) or while the timer system is not installed. */
extern CORVANE_API void (*retrace_proc)(void);

/** Ticks between simulated retraces; the graphics code sets it from the display's refresh rate.
 * Read by the timer thread: change it with an atomic store. A value of 0 or less counts as
 * DEFAULT_VSYNC_SPEED. */
extern CORVANE_API int vsync_speed;

/** Reads retrace_count free of data races. */
CORVANE_API int get_retrace_count(void) CORVANE_NOEXCEPT;
/** Sets retrace_count free of data races. */
CORVANE_API void set_retrace_count(int count) CORVANE_NOEXCEPT;

/** The driver's answer whether it can simulate the retrace in the given way; 0 without a driver or
 * without that ability. */
CORVANE_API int retrace_simulation_possible(int argument) CORVANE_NOEXCEPT;

/** Turns the driver's retrace simulation on or off when retrace_simulation_possible(argument);
 * returns that check's result. */
CORVANE_API int simulate_retrace_mode(int argument) CORVANE_NOEXCEPT;

/* ---- Display-switch support ----------------------------------------------------------------- */

/* What happens when the program loses the display. The system driver decides which modes it
 * supports; in modes 2 and 4 the contents of the registered bitmaps are not kept while away. */
#define SWITCH_NONE 0        /**< the display cannot be switched away */
#define SWITCH_PAUSE 1       /**< the program stops while switched away (the start mode) */
#define SWITCH_AMNESIA 2     /**< the program stops, and redraws after returning */
#define SWITCH_BACKGROUND 3  /**< the program goes on running in the background */
#define SWITCH_BACKAMNESIA 4 /**< it goes on running, and redraws after returning */

/* The two groups of switch callbacks. */
#define SWITCH_IN 0  /**< called when the display is regained */
#define SWITCH_OUT 1 /**< called when the display is lost */

/** Number of callback slots in each group. */
#define SWITCH_CALLBACK_SLOTS 8

/** Asks the system driver for a switch mode. Returns 0 when it accepted (every switch callback is
 * then forgotten), its nonzero answer otherwise; -1 without a system driver, and -1 for any mode
 * but SWITCH_NONE when the system driver cannot change modes. */
CORVANE_API int set_switch_policy(int mode) CORVANE_NOEXCEPT;

/** The current switch mode (SWITCH_PAUSE at start). */
CORVANE_API int get_switch_policy(void) CORVANE_NOEXCEPT;

/** Adds a callback to a group (SWITCH_IN or SWITCH_OUT). Returns 0 (also when it is already in the
 * group), -1 for a null callback, an unknown group or a full group. */
CORVANE_API int add_switch_callback(int group, void (*callback)(void)) CORVANE_NOEXCEPT;

/** Removes a callback from a group; one that is not there is ignored. */
CORVANE_API void remove_switch_callback(int group, void (*callback)(void)) CORVANE_NOEXCEPT;

/** Calls every callback of the SWITCH_IN group, in slot order. Platform drivers call it when the
 * display is regained. */
CORVANE_API void run_switch_in_callbacks(void) CORVANE_NOEXCEPT;
/** Calls every callback of the SWITCH_OUT group, in slot order. Platform drivers call it when the
 * display is lost. */
CORVANE_API void run_switch_out_callbacks(void) CORVANE_NOEXCEPT;

/* The bitmaps saved and restored across a switch are registered with the bitmaps, in
 * corvane/bitmap.h. */

CORVANE_EXTERN_C_END

#endif /* CORVANE_TIMER_H */
