// Fatal-signal handling of the Mac OS X host: the library is shut down (restoring the display)
// before the signal takes its normal effect.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "platform/macosx/macosx_host.h"

namespace corvane::macosx {
namespace {

constexpr int fatal_signals[] = {SIGABRT, SIGFPE, SIGILL, SIGSEGV, SIGTERM, SIGINT, SIGQUIT};
constexpr int fatal_signal_count = sizeof fatal_signals / sizeof fatal_signals[0];

struct sigaction previous_actions[fatal_signal_count];
bool installed = false;
std::atomic<bool> shutting_down{false};

void restore_previous(int signal_number) noexcept {
  for (int i = 0; i < fatal_signal_count; ++i) {
    if (fatal_signals[i] == signal_number) sigaction(signal_number, &previous_actions[i], nullptr);
  }
}

void fatal_signal_handler(int signal_number) {
  // The previous handler takes the signal raised again below, and a second fatal signal during
  // the shutdown.
  restore_previous(signal_number);
  if (!shutting_down.exchange(true)) {
    // Only locks this thread holds can be let go of; the shutdown takes them again as it needs.
    mutex_release_if_held(event_mutex.load());
    mutex_release_if_held(display_mutex.load());
    shutdown_corvane();
    // The loop stops locking before the mutexes go away.
    mutex_destroy(event_mutex.exchange(nullptr));
    mutex_destroy(display_mutex.exchange(nullptr));
    char line[64];
    const int length = std::snprintf(line, sizeof line, "Shutting down Corvane due to signal #%d\n",
                                     signal_number);
    if (length > 0) (void)!write(STDERR_FILENO, line, static_cast<size_t>(length));
  }
  raise(signal_number);
}

}  // namespace

void install_fatal_signal_handlers() noexcept {
  if (installed) return;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = fatal_signal_handler;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < fatal_signal_count; ++i) {
    sigaction(fatal_signals[i], &action, &previous_actions[i]);
  }
  installed = true;
  shutting_down = false;
}

void remove_fatal_signal_handlers() noexcept {
  if (!installed) return;
  for (int i = 0; i < fatal_signal_count; ++i) {
    sigaction(fatal_signals[i], &previous_actions[i], nullptr);
  }
  installed = false;
}

}  // namespace corvane::macosx
