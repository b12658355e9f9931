// The dispatcher: turns elapsed ticks into handler calls and simulated retraces. It runs on the
// timer thread with the timer mutex held for the whole pass, so handlers see a stable slot table
// and may change their own rate or remove themselves.
#include <atomic>
#include <climits>
#include <cstdint>

#include "corvane/timer.h"
#include "timer/timer_internal.h"

namespace corvane {
namespace {

// Guarded by the timer mutex.
int timer_delay = 0;
int vsync_counter = DEFAULT_VSYNC_SPEED;

// Elapsed time beyond this is dropped rather than allowed to overflow the counters; it is more
// than 15 minutes of ticks, far beyond any real heartbeat.
constexpr int max_pending_delay = 1 << 30;

thread_local int dispatch_depth = 0;
// Set by a handler that removed the timer system; the mutex it took out of use goes with it.
thread_local bool dispatch_abandoned = false;
thread_local void *abandoned_mutex = nullptr;

bool has_handler(const timer_slot &slot) noexcept {
  return slot.proc != nullptr || slot.param_proc != nullptr;
}

int saturating_add(int a, int b) noexcept {
  const int64_t sum = int64_t{a} + b;
  if (sum > INT_MAX) return INT_MAX;
  if (sum < INT_MIN) return INT_MIN;
  return static_cast<int>(sum);
}

void run_retraces(int elapsed) noexcept {
  int speed = std::atomic_ref<int>(vsync_speed).load(std::memory_order_relaxed);
  if (speed <= 0) speed = DEFAULT_VSYNC_SPEED;
  vsync_counter = saturating_add(vsync_counter, -elapsed);
  while (vsync_counter <= 0) {
    vsync_counter += speed;
    std::atomic_ref<int>(retrace_count).fetch_add(1, std::memory_order_relaxed);
    if (auto proc = std::atomic_ref<void (*)()>(retrace_proc).load(std::memory_order_acquire)) {
      proc();
    }
  }
}

void call_handler(const timer_slot &slot) noexcept {
  if (slot.param_proc != nullptr) {
    slot.param_proc(slot.param);
  } else if (slot.proc != nullptr) {
    slot.proc();
  }
}

}  // namespace

void reset_timer_dispatch() noexcept {
  timer_delay = 0;
  vsync_counter = DEFAULT_VSYNC_SPEED;
  std::atomic_ref<void (*)()>(retrace_proc).store(nullptr, std::memory_order_release);
}

bool in_timer_dispatch() noexcept { return dispatch_depth > 0; }

void abandon_timer_dispatch(void *detached_mutex) noexcept {
  dispatch_abandoned = true;
  abandoned_mutex = detached_mutex;
}

}  // namespace corvane

extern "C" {

int retrace_count = 0;
void (*retrace_proc)(void) = nullptr;
int vsync_speed = DEFAULT_VSYNC_SPEED;

int get_retrace_count(void) noexcept {
  return std::atomic_ref<int>(retrace_count).load(std::memory_order_relaxed);
}

void set_retrace_count(int count) noexcept {
  std::atomic_ref<int>(retrace_count).store(count, std::memory_order_relaxed);
}

int timer_dispatch(int elapsed) noexcept {
  using namespace corvane;
  if (elapsed < 0) elapsed = 0;
  int next = MAX_DISPATCH_DELAY;
  {
    timer_mutex_guard lock;
    ++dispatch_depth;

    timer_delay = saturating_add(timer_delay, elapsed);
    if (timer_delay > max_pending_delay) timer_delay = max_pending_delay;
    const int d = timer_delay;

    run_retraces(d);

    for (timer_slot &slot : timer_slots) {
      if (dispatch_abandoned) break;
      if (!has_handler(slot) || slot.speed <= 0 || slot.added_in_pass) continue;
      slot.counter = saturating_add(slot.counter, -d);
      // A handler that fell behind is called once for every period it missed. The slot is read
      // afresh each time round: the handler may have removed itself or changed its rate. A
      // handler that removed the timer system leaves the table to the next start-up, so the
      // thread looks at its own flag before it reads the slot again.
      while (!dispatch_abandoned && slot.counter <= 0 && has_handler(slot) && slot.speed > 0) {
        slot.counter = saturating_add(slot.counter, slot.speed);
        call_handler(slot);
      }
    }
    if (!dispatch_abandoned) {
      for (timer_slot &slot : timer_slots) {
        slot.added_in_pass = false;
        // A slot paused by a rate of 0 does not shorten the sleep; it would make the thread spin.
        if (has_handler(slot) && slot.speed > 0 && slot.counter < next) next = slot.counter;
      }
      timer_delay -= d;
    }
    --dispatch_depth;
  }
  if (dispatch_depth == 0 && dispatch_abandoned) {
    // The timer system was removed from a handler: its mutex is unlocked now and can go.
    dispatch_abandoned = false;
    release_detached_timer_mutex(abandoned_mutex);
    abandoned_mutex = nullptr;
  }
  return next;
}

}  // extern "C"
