// Recursive mutexes of the Linux host system driver, on pthreads: the owning thread may lock again
// and the mutex is released when unlocks match locks.
#include <pthread.h>

#include <cerrno>
#include <new>

#include "platform/linux/unix_host.h"

namespace corvane::unix_host {

void *mutex_create() noexcept {
  auto *mutex = new (std::nothrow) pthread_mutex_t;
  pthread_mutexattr_t attributes;
  if (mutex == nullptr || pthread_mutexattr_init(&attributes) != 0) {
    delete mutex;
    set_error_number(ENOMEM);
    return nullptr;
  }
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  const int result = pthread_mutex_init(mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
  if (result != 0) {
    delete mutex;
    set_error_number(ENOMEM);
    return nullptr;
  }
  return mutex;
}

void mutex_destroy(void *mutex) noexcept {
  if (mutex == nullptr) return;
  auto *m = static_cast<pthread_mutex_t *>(mutex);
  pthread_mutex_destroy(m);
  delete m;
}

void mutex_lock(void *mutex) noexcept {
  if (mutex != nullptr) pthread_mutex_lock(static_cast<pthread_mutex_t *>(mutex));
}

void mutex_unlock(void *mutex) noexcept {
  if (mutex != nullptr) pthread_mutex_unlock(static_cast<pthread_mutex_t *>(mutex));
}

}  // namespace corvane::unix_host
