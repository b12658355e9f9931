// Recursive mutexes of the Mac OS X system driver: an owner thread, a lock count and a plain
// pthread mutex, so that the owner may lock again and the mutex is released when unlocks match
// locks.
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <new>

#include "platform/macosx/macosx_host.h"

namespace corvane::macosx {
namespace {

struct recursive_mutex {
  // Written only by the thread that owns the mutex (its own id, or none when it lets go), so a
  // thread finds its own id here only while it is the owner.
  std::atomic<pthread_t> owner{};
  std::atomic<bool> owned{false};
  int count = 0;
  pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
};

bool held_by_caller(const recursive_mutex *m) noexcept {
  return m->owned.load() && pthread_equal(m->owner.load(), pthread_self()) != 0;
}

}  // namespace

void *mutex_create() noexcept {
  auto *m = new (std::nothrow) recursive_mutex;
  if (m == nullptr || pthread_mutex_init(&m->lock, nullptr) != 0) {
    delete m;
    set_error_number(ENOMEM);
    return nullptr;
  }
  return m;
}

void mutex_destroy(void *mutex) noexcept {
  if (mutex == nullptr) return;
  auto *m = static_cast<recursive_mutex *>(mutex);
  pthread_mutex_destroy(&m->lock);
  delete m;
}

void mutex_lock(void *mutex) noexcept {
  if (mutex == nullptr) return;
  auto *m = static_cast<recursive_mutex *>(mutex);
  if (!held_by_caller(m)) {
    pthread_mutex_lock(&m->lock);
    m->owner.store(pthread_self());
    m->owned.store(true);
  }
  ++m->count;
}

// Unlocking a mutex the caller does not hold would let go of another thread's lock; it is
// ignored.
void mutex_unlock(void *mutex) noexcept {
  if (mutex == nullptr) return;
  auto *m = static_cast<recursive_mutex *>(mutex);
  if (!held_by_caller(m)) return;
  if (--m->count > 0) return;
  m->owned.store(false);
  m->owner.store(pthread_t{});
  pthread_mutex_unlock(&m->lock);
}

void mutex_release_if_held(void *mutex) noexcept {
  if (mutex == nullptr) return;
  auto *m = static_cast<recursive_mutex *>(mutex);
  if (!held_by_caller(m)) return;
  m->count = 0;
  m->owned.store(false);
  m->owner.store(pthread_t{});
  pthread_mutex_unlock(&m->lock);
}

}  // namespace corvane::macosx
