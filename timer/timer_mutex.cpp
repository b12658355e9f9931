// The timer mutex: guards the handler slots and is held while handlers run. It is a recursive
// mutex of the system driver, so that a handler may change its own rate; a system driver without
// mutexes gets one of the library's own, because the timer thread always runs beside the program.
#include <atomic>
#include <mutex>
#include <new>

#include "corvane/system.h"
#include "timer/timer_internal.h"

namespace corvane {
namespace {

// One mutex with the operations that go with it. A timer thread that was told to stop from one of
// its own handlers still unlocks the mutex it took out of use after a new start-up may have made
// another, so each mutex carries its own operations and its own storage: nothing the old thread
// touches is shared with the new one.
struct timer_mutex {
  void *handle;
  void (*lock)(void *);
  void (*unlock)(void *);
  void (*destroy)(void *);
  std::recursive_mutex own;
  timer_mutex *next_released;
};

void lock_own(void *mutex) { static_cast<std::recursive_mutex *>(mutex)->lock(); }
void unlock_own(void *mutex) { static_cast<std::recursive_mutex *>(mutex)->unlock(); }

std::atomic<timer_mutex *> current{nullptr};

// Mutexes that such an old thread has let go of. They are destroyed on the program's side, by the
// next start-up or removal of the timer system, so that the system driver's destroy never runs
// beside its create.
std::atomic<timer_mutex *> released{nullptr};

void destroy(timer_mutex *mutex) noexcept {
  if (mutex == nullptr) return;
  if (mutex->destroy != nullptr) mutex->destroy(mutex->handle);
  delete mutex;
}

void destroy_released() noexcept {
  timer_mutex *mutex = released.exchange(nullptr, std::memory_order_acq_rel);
  while (mutex != nullptr) {
    timer_mutex *next = mutex->next_released;
    destroy(mutex);
    mutex = next;
  }
}

}  // namespace

bool create_timer_mutex() noexcept {
  destroy_released();
  auto *made = new (std::nothrow) timer_mutex{};
  if (made == nullptr) return false;
  system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->mutex_create != nullptr) {
    made->handle = sys->mutex_create();
    if (made->handle == nullptr) {
      delete made;
      return false;
    }
    made->lock = sys->mutex_lock;
    made->unlock = sys->mutex_unlock;
    made->destroy = sys->mutex_destroy;
  } else {
    made->handle = &made->own;
    made->lock = lock_own;
    made->unlock = unlock_own;
  }
  destroy(current.exchange(made, std::memory_order_acq_rel));
  return true;
}

void destroy_timer_mutex() noexcept {
  destroy(current.exchange(nullptr, std::memory_order_acq_rel));
  destroy_released();
}

void *detach_timer_mutex() noexcept { return current.exchange(nullptr, std::memory_order_acq_rel); }

void release_detached_timer_mutex(void *detached) noexcept {
  auto *mutex = static_cast<timer_mutex *>(detached);
  if (mutex == nullptr) return;
  mutex->next_released = released.load(std::memory_order_relaxed);
  while (!released.compare_exchange_weak(mutex->next_released, mutex, std::memory_order_release,
                                         std::memory_order_relaxed)) {
  }
}

void *lock_timer_mutex() noexcept {
  timer_mutex *mutex = current.load(std::memory_order_acquire);
  if (mutex == nullptr) return nullptr;
  if (mutex->lock != nullptr) mutex->lock(mutex->handle);
  return mutex;
}

void unlock_timer_mutex(void *locked) noexcept {
  auto *mutex = static_cast<timer_mutex *>(locked);
  if (mutex != nullptr && mutex->unlock != nullptr) mutex->unlock(mutex->handle);
}

}  // namespace corvane
