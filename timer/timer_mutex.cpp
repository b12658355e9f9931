// The timer mutex: guards the handler slots and is held while handlers run. It is a recursive
// mutex of the system driver, so that a handler may change its own rate; a system driver without
// mutexes gets one of the library's own, because the timer thread always runs beside the program.
#include <atomic>
#include <mutex>

#include "corvane/system.h"
#include "timer/timer_internal.h"

namespace corvane {
namespace {

struct mutex_ops {
  void (*lock)(void *);
  void (*unlock)(void *);
  void (*destroy)(void *);
};

std::recursive_mutex own_mutex;

void lock_own(void *) { own_mutex.lock(); }
void unlock_own(void *) { own_mutex.unlock(); }
void destroy_own(void *) {}

// The operations are written before the handle is published (release) and read after it is
// loaded (acquire), so a thread that sees the handle sees matching operations.
mutex_ops ops{};
std::atomic<void *> handle{nullptr};

}  // namespace

bool create_timer_mutex() noexcept {
  system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->mutex_create != nullptr) {
    void *created = sys->mutex_create();
    if (created == nullptr) return false;
    ops = mutex_ops{
        .lock = sys->mutex_lock, .unlock = sys->mutex_unlock, .destroy = sys->mutex_destroy};
    handle.store(created, std::memory_order_release);
    return true;
  }
  ops = mutex_ops{.lock = lock_own, .unlock = unlock_own, .destroy = destroy_own};
  handle.store(&own_mutex, std::memory_order_release);
  return true;
}

void destroy_timer_mutex() noexcept {
  void *old = handle.exchange(nullptr, std::memory_order_acq_rel);
  if (old != nullptr && ops.destroy != nullptr) ops.destroy(old);
}

void *detach_timer_mutex() noexcept { return handle.exchange(nullptr, std::memory_order_acq_rel); }

void destroy_detached_timer_mutex(void *detached) noexcept {
  if (detached != nullptr && ops.destroy != nullptr) ops.destroy(detached);
}

void *lock_timer_mutex() noexcept {
  void *h = handle.load(std::memory_order_acquire);
  if (h != nullptr && ops.lock != nullptr) ops.lock(h);
  return h;
}

void unlock_timer_mutex(void *locked) noexcept {
  if (locked != nullptr && ops.unlock != nullptr) ops.unlock(locked);
}

}  // namespace corvane
