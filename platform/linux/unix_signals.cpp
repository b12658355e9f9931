// Fatal-signal handling of the Linux host: the terminal and the display are restored and the
// program's exit functions run before the signal takes its normal effect.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "core/exit_functions.h"
#include "platform/linux/display_layer.h"
#include "platform/linux/unix_host.h"

namespace corvane::unix_host {
namespace {

constexpr int fatal_signals[] = {SIGABRT, SIGFPE, SIGILL, SIGSEGV, SIGTERM, SIGINT, SIGQUIT};
constexpr int fatal_signal_count = sizeof fatal_signals / sizeof fatal_signals[0];

struct sigaction previous_actions[fatal_signal_count];
bool installed = false;
std::atomic<bool> shutting_down{false};
std::atomic<void (*)() noexcept> terminal_restorer{nullptr};

void restore_previous(int signal_number) noexcept {
  for (int i = 0; i < fatal_signal_count; ++i) {
    if (fatal_signals[i] == signal_number) sigaction(signal_number, &previous_actions[i], nullptr);
  }
}

// "Shutting down Corvane due to signal #N\n" without the formatter, which is not safe in a signal
// handler. Returns the length.
int signal_line(char (&line)[64], int signal_number) noexcept {
  static constexpr char text[] = "Shutting down Corvane due to signal #";
  int length = static_cast<int>(sizeof text) - 1;
  std::memcpy(line, text, static_cast<size_t>(length));
  char digits[12];
  int count = 0;
  auto value = static_cast<unsigned>(signal_number);  // signal numbers are positive
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) line[length++] = digits[--count];
  line[length++] = '\n';
  return length;
}

// The interrupted code may hold any of the library's locks (or the allocator's), so nothing here
// waits for one: the terminal is put back with one system call, the program's own exit functions
// run, the display host is stopped with bounded waits, and the signal is raised again. The
// library's subsystems are not taken down; the signal ends the process with their threads.
void fatal_signal_handler(int signal_number) {
  restore_previous(signal_number);
  if (auto restore = terminal_restorer.load()) restore();
  // A second fatal signal during the shutdown goes straight to its previous handler.
  if (!shutting_down.exchange(true)) {
    const display_services *services = display_layer::services;
    if (services != nullptr && services->begin_signal_shutdown != nullptr) {
      services->begin_signal_shutdown();
    }
    shutdown_after_fatal_signal();
    remove_fatal_signal_handlers();
    // Whatever still holds the display (a window the program never closed) lets go of it now,
    // so that the desktop or the console gets its screen back.
    if (services != nullptr && services->finish_signal_shutdown != nullptr) {
      services->finish_signal_shutdown();
    }
    char line[64];
    const int length = signal_line(line, signal_number);
    (void)!write(STDERR_FILENO, line, static_cast<size_t>(length));
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
    sigaction(fatal_signals[i], nullptr, &previous_actions[i]);
    // A signal the program was started with ignored (SIGINT and SIGQUIT of a background job, or
    // under nohup) stays ignored: handling it would shut the library down under a program that
    // goes on running.
    if (previous_actions[i].sa_handler == SIG_IGN) continue;
    sigaction(fatal_signals[i], &action, nullptr);
  }
  installed = true;
  shutting_down = false;
}

void set_terminal_restorer(void (*restore)() noexcept) noexcept {
  terminal_restorer.store(restore);
}

void remove_fatal_signal_handlers() noexcept {
  if (!installed) return;
  for (int i = 0; i < fatal_signal_count; ++i) {
    sigaction(fatal_signals[i], &previous_actions[i], nullptr);
  }
  installed = false;
}

}  // namespace corvane::unix_host
