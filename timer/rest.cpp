// Rests: sleeping for a number of milliseconds, optionally calling a function while waiting. The
// timer driver rests when it can; without a timer system the rest is taken on the monotonic clock.
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <ctime>

#include "corvane/system.h"
#include "corvane/timer.h"
#include "timer/timer_internal.h"

namespace corvane {
namespace {

// Milliseconds left in a rest counted by a timer handler (for drivers without a rest of their
// own). Decremented on the timer thread, polled on the resting thread.
std::atomic<int> rest_count{0};

void count_down_rest() { rest_count.fetch_sub(1, std::memory_order_relaxed); }

timespec monotonic_now() noexcept {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now;
}

timespec add_ms(timespec t, int ms) noexcept {
  const int64_t ns = int64_t{t.tv_nsec} + int64_t{ms % 1000} * 1000000;
  t.tv_sec += ms / 1000 + static_cast<time_t>(ns / 1000000000);
  t.tv_nsec = static_cast<long>(ns % 1000000000);
  return t;
}

bool reached(const timespec &now, const timespec &target) noexcept {
  return now.tv_sec > target.tv_sec ||
         (now.tv_sec == target.tv_sec && now.tv_nsec >= target.tv_nsec);
}

void yield_processor() noexcept {
  system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->yield_cpu != nullptr) sys->yield_cpu();
}

}  // namespace

void rest_on_monotonic_clock(int ms, void (*callback)()) noexcept {
  const timespec target = add_ms(monotonic_now(), ms);
  if (callback != nullptr) {
    do {
      callback();
    } while (!reached(monotonic_now(), target));
    return;
  }
  // An absolute deadline makes a sleep that a signal interrupted simply resume.
  while (true) {
    const int result = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &target, nullptr);
    if (result != EINTR) return;
  }
}

}  // namespace corvane

extern "C" {

void rest_ms(int ms) noexcept { rest_ms_callback(ms, nullptr); }

void rest_ms_callback(int ms, void (*callback)(void)) noexcept {
  using namespace corvane;
  if (ms <= 0) {
    yield_processor();
    return;
  }
  timer_driver *driver = installed_timer_driver();
  if (driver == nullptr) {
    rest_on_monotonic_clock(ms, callback);
    return;
  }
  if (driver->rest != nullptr) {
    driver->rest(ms, callback);
    return;
  }
  rest_count.store(ms, std::memory_order_relaxed);
  if (add_timer_handler_ms(count_down_rest, 1) != 0) return;
  while (rest_count.load(std::memory_order_relaxed) > 0) {
    if (callback != nullptr) {
      callback();
    } else {
      rest_ms(0);
    }
  }
  remove_timer_handler(count_down_rest);
}

}  // extern "C"
