// The 'PTHR' timer driver: one POSIX thread that sleeps with select() exactly until the next
// handler is due, measures how much time really passed on the monotonic clock and hands that to
// the dispatcher. Measuring rather than assuming corrects late wake-ups (the dispatcher calls a
// late handler once per missed period), and the monotonic clock keeps changes of the wall clock
// from firing or stalling handlers.
#include <pthread.h>
#include <sys/select.h>
#include <time.h>

#include <atomic>
#include <cstdint>

#include "corvane/system.h"
#include "corvane/timer.h"
#include "timer/timer_internal.h"

namespace {

constexpr int64_t ns_per_second = 1000000000;
constexpr int64_t us_per_second = 1000000;

// Longer gaps (a suspended process) are cut to this many nanoseconds so that the tick arithmetic
// cannot overflow; the dispatcher caps its pending time well below it anyway.
constexpr int64_t max_elapsed_ns = int64_t{900} * ns_per_second;

// Written by the program's thread, read once per pass by the timer thread. Each thread runs while
// the generation it was started with is current, so that a thread told to stop from one of its
// own handlers ends even when a new start-up has begun another.
std::atomic<bool> running{false};
std::atomic<uintptr_t> generation{0};
pthread_t timer_thread;

int64_t monotonic_ns() noexcept {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * ns_per_second + now.tv_nsec;
}

// Sleeps for the given number of ticks, rounded up to whole microseconds so that the handler that
// asked for the delay is due when the thread wakes.
void sleep_ticks(int delay) noexcept {
  if (delay < 0) delay = 0;
  const int64_t us =
      (int64_t{delay} * us_per_second + TIMER_TICKS_PER_SECOND - 1) / TIMER_TICKS_PER_SECOND;
  timeval timeout{};
  timeout.tv_sec = static_cast<time_t>(us / us_per_second);
  timeout.tv_usec = static_cast<suseconds_t>(us % us_per_second);
  select(0, nullptr, nullptr, nullptr, &timeout);
}

void *run_timer_thread(void *started_as) {
  const auto mine = reinterpret_cast<uintptr_t>(started_as);
  int64_t last = monotonic_ns();
  // Fractions of a tick (in units of 1/1e9 tick) carried from one pass to the next, so that
  // truncating each pass's elapsed time loses nothing over many passes.
  int64_t carry = 0;
  int delay = MAX_DISPATCH_DELAY;
  while (generation.load(std::memory_order_acquire) == mine) {
    sleep_ticks(delay);
    const int64_t now = monotonic_ns();
    int64_t elapsed_ns = now - last;
    last = now;
    if (elapsed_ns < 0) elapsed_ns = 0;
    if (elapsed_ns > max_elapsed_ns) elapsed_ns = max_elapsed_ns;
    const int64_t scaled = elapsed_ns * TIMER_TICKS_PER_SECOND + carry;
    carry = scaled % ns_per_second;
    delay = timer_dispatch(static_cast<int>(scaled / ns_per_second));
  }
  return nullptr;
}

int pthreads_init() {
  const uintptr_t mine = generation.fetch_add(1, std::memory_order_acq_rel) + 1;
  running.store(true, std::memory_order_release);
  // The thread's generation travels as its start argument, so that it needs no shared slot.
  void *argument = reinterpret_cast<void *>(mine);  // NOLINT(performance-no-int-to-ptr)
  if (pthread_create(&timer_thread, nullptr, run_timer_thread, argument) != 0) {
    running.store(false, std::memory_order_release);
    generation.fetch_add(1, std::memory_order_acq_rel);
    return -1;
  }
  return 0;
}

// The thread notices the new generation within one sleep (at most MAX_DISPATCH_DELAY ticks). Told
// to stop from one of its own handlers, it cannot be joined: it is detached and ends by itself.
void pthreads_exit() {
  if (!running.exchange(false, std::memory_order_acq_rel)) return;
  generation.fetch_add(1, std::memory_order_acq_rel);
  if (pthread_equal(pthread_self(), timer_thread)) {
    pthread_detach(timer_thread);
  } else {
    pthread_join(timer_thread, nullptr);
  }
}

void pthreads_rest(int ms, void (*callback)()) { corvane::rest_on_monotonic_clock(ms, callback); }

}  // namespace

extern "C" {

timer_driver timer_pthreads = {
    .id = TIMER_PTHREADS,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "Unix pthreads timers",
    .init = pthreads_init,
    .exit = pthreads_exit,
    .rest = pthreads_rest,
};

}  // extern "C"
