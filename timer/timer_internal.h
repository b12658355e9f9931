// Internal interface of the timer system: the handler slots, the timer mutex and the shared state
// of installation, dispatch and rest.
#ifndef CORVANE_TIMER_TIMER_INTERNAL_H
#define CORVANE_TIMER_TIMER_INTERNAL_H

#include <atomic>

#include "corvane/timer.h"

namespace corvane {

// One handler slot; free when both proc and param_proc are null. Guarded by the timer mutex.
struct timer_slot {
  void (*proc)();
  void (*param_proc)(void *);
  void *param;
  int speed;    // ticks between calls
  int counter;  // ticks left until the next call
  // Added by a handler during the current dispatch pass: the time that pass hands out passed
  // before the handler existed, so the pass leaves its counter alone.
  bool added_in_pass;
};

extern timer_slot timer_slots[TIMER_SLOT_COUNT];

// Frees every slot. Callers hold the timer mutex or know that no dispatch can run.
void clear_timer_slots() noexcept;

// Sets the dispatcher back to its start: no pending delay, a full retrace period to go and no
// retrace_proc.
void reset_timer_dispatch() noexcept;

// The timer mutex: a recursive mutex of the system driver, or one of the library's own when the
// system driver offers none. Locking without an installed timer system does nothing.
bool create_timer_mutex() noexcept;
void destroy_timer_mutex() noexcept;
// lock_timer_mutex returns the handle it locked (null when none), which unlock_timer_mutex takes.
void *lock_timer_mutex() noexcept;
void unlock_timer_mutex(void *locked) noexcept;
// Takes the mutex out of use without destroying it (a handler removing the timer system runs with
// it locked). Once it has been unlocked, release_detached_timer_mutex hands it over to the next
// start-up or removal, which destroys it.
void *detach_timer_mutex() noexcept;
void release_detached_timer_mutex(void *detached) noexcept;

class timer_mutex_guard {
 public:
  timer_mutex_guard() noexcept : locked_(lock_timer_mutex()) {}
  ~timer_mutex_guard() { unlock_timer_mutex(locked_); }
  timer_mutex_guard(const timer_mutex_guard &) = delete;
  timer_mutex_guard &operator=(const timer_mutex_guard &) = delete;

 private:
  void *locked_;
};

// True on the thread that is inside timer_dispatch (that is, inside a handler).
bool in_timer_dispatch() noexcept;

// Called on the timer thread by a handler that removed the timer system: the running dispatch
// calls no further handler, touches no shared state after the handler returns, and hands the
// detached mutex over for destruction once it has unlocked it.
void abandon_timer_dispatch(void *detached_mutex) noexcept;

// The installed driver, read race-free (current_timer_driver is public and written on install).
timer_driver *installed_timer_driver() noexcept;

// -1 while the timer system is installed; cleared while the display is being switched back in.
extern std::atomic<int> timer_installed;

// Sleeps until ms milliseconds have passed on the monotonic clock, or calls callback over and over
// until then when it is not null (at least once). Signals do not cut the wait short.
void rest_on_monotonic_clock(int ms, void (*callback)()) noexcept;

}  // namespace corvane

#endif  // CORVANE_TIMER_TIMER_INTERNAL_H
