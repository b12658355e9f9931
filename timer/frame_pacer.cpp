// Frame pacers: a timer handler counts the steps of a fixed-step game loop as they fall due, and
// the loop's thread takes them, sleeping on a condition variable while none is due.
#include "corvane/frame_pacer.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <new>

#include "corvane/system.h"
#include "corvane/timer.h"

struct frame_pacer {
  std::mutex mutex;
  std::condition_variable step_due;
  int due = 0;     // steps counted and not yet taken; guarded by mutex
  int period = 0;  // ticks between steps
};

namespace {

// How long a waiting loop sleeps before it looks whether the timer system is still there.
constexpr auto recheck_interval = std::chrono::milliseconds(100);

// The timer handler, on the timer thread (with the timer mutex held).
void count_step(void *param) noexcept {
  auto *pacer = static_cast<frame_pacer *>(param);
  {
    const std::lock_guard lock(pacer->mutex);
    if (pacer->due < INT_MAX) ++pacer->due;
  }
  pacer->step_due.notify_one();
}

}  // namespace

extern "C" {

frame_pacer *create_frame_pacer(int steps_per_second) noexcept {
  if (steps_per_second < 1 || steps_per_second > TIMER_TICKS_PER_SECOND) {
    set_error_number(EINVAL);
    return nullptr;
  }
  auto *pacer = new (std::nothrow) frame_pacer;
  if (pacer == nullptr) {
    set_error_number(ENOMEM);
    return nullptr;
  }
  pacer->period = TIMER_TICKS_PER_SECOND / steps_per_second;
  if (add_param_timer_handler(count_step, pacer, pacer->period) != 0) {
    delete pacer;
    return nullptr;
  }
  return pacer;
}

void destroy_frame_pacer(frame_pacer *pacer) noexcept {
  if (pacer == nullptr) return;
  // Once the handler is out of its slot (under the timer mutex) the timer thread cannot reach the
  // pacer any more.
  remove_param_timer_handler(count_step, pacer);
  delete pacer;
}

int wait_for_frame_steps(frame_pacer *pacer, int max_steps) noexcept {
  if (pacer == nullptr) {
    set_error_number(EINVAL);
    return -1;
  }
  std::unique_lock lock(pacer->mutex);
  while (pacer->due == 0) {
    if (pacer->step_due.wait_for(lock, recheck_interval, [pacer] { return pacer->due > 0; })) {
      break;
    }
    // Nothing for a long while: the timer system may have been removed, or removed and installed
    // again without this pacer's handler. The handler is put back (which changes nothing when it
    // is still there); the pacer's lock is let go meanwhile, since the timer thread takes it while
    // holding the timer mutex.
    lock.unlock();
    const bool counting = current_timer_driver != nullptr &&
                          add_param_timer_handler(count_step, pacer, pacer->period) == 0;
    lock.lock();
    if (!counting) return -1;
  }
  int steps = pacer->due;
  pacer->due = 0;
  if (max_steps >= 1 && steps > max_steps) steps = max_steps;
  return steps;
}

}  // extern "C"
