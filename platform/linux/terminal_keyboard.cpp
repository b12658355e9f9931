// The terminal keyboard driver 'TERM'. A reader thread waits with poll() on the input and on a
// wake-up pipe, turns the bytes into keys (terminal_key_parser.cpp) and reports each key as a press
// followed at once by its release, since a terminal never says when a key goes up.
//
// When standard input is a terminal it is put into raw mode (no line editing, no echo, no flow
// control, reads that never block) for as long as the driver is installed; Ctrl+C still raises
// SIGINT, whose handler shuts the library down and so restores the terminal. When standard input is
// a pipe or a file its bytes are read as they come and no terminal setting is touched; the end of
// the input is reported as one Escape key, so that a program waiting for a key on a closed pipe
// ends instead of waiting forever.
#include "platform/linux/terminal_keyboard.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "corvane/system.h"
#include "platform/linux/unix_host.h"

namespace corvane {
namespace terminal_input {
namespace {

// The longest a waiting reader sleeps before looking at the buffer again on its own.
constexpr auto max_wait = std::chrono::milliseconds(250);

std::atomic<int> chosen_input{-1};

struct reader_state {
  int input = -1;
  bool input_owned = false;  // opened here (the controlling terminal), closed on exit
  bool is_terminal = false;
  int wake_read = -1;
  int wake_write = -1;
  pthread_t thread{};
  bool thread_started = false;
  std::atomic<bool> stopping{false};
};

reader_state reader;

// The terminal settings to put back. Read by the fatal-signal path, so kept in plain storage
// guarded by an atomic flag rather than a lock.
termios saved_settings{};
std::atomic<int> raw_terminal{-1};

// Wakes for wait_for_input: sticky, so that a wake-up sent before the reader starts waiting is
// not lost.
std::mutex wake_mutex;
std::condition_variable wake_condition;
bool wake_pending = false;

void wake_waiting_reader() noexcept {
  {
    std::lock_guard<std::mutex> lock(wake_mutex);
    wake_pending = true;
  }
  wake_condition.notify_all();
}

// Async-signal-safe: one tcsetattr, no locks.
void restore_terminal() noexcept {
  const int fd = raw_terminal.exchange(-1);
  if (fd >= 0) tcsetattr(fd, TCSANOW, &saved_settings);
}

void report_key(int character, int index, void * /*context*/) noexcept {
  handle_key_press(character, index);
  if (index > 0) handle_key_release(index);
}

// A process in the background of its own controlling terminal must not change its settings (the
// attempt would stop it with SIGTTOU). A terminal that is not the controlling one has no
// foreground group to ask about, and is ours to set.
bool may_change_terminal(int fd) noexcept {
  const pid_t foreground = tcgetpgrp(fd);
  return foreground < 0 || foreground == getpgrp();
}

bool enter_raw_mode(int fd) noexcept {
  if (tcgetattr(fd, &saved_settings) != 0) return false;
  if (!may_change_terminal(fd)) return true;
  termios raw = saved_settings;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON);
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  // TCSANOW keeps keys typed ahead: a key pressed while the program started still counts.
  if (tcsetattr(fd, TCSANOW, &raw) != 0) return false;
  raw_terminal.store(fd);
  unix_host::set_terminal_restorer(restore_terminal);
  return true;
}

enum class read_result { keys, nothing, ended };

read_result read_input(key_parser &parser, bool hung_up) noexcept {
  unsigned char bytes[256];
  const ssize_t got = read(reader.input, bytes, sizeof bytes);
  if (got > 0) {
    parser.feed(bytes, static_cast<size_t>(got), report_key, nullptr);
    return read_result::keys;
  }
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) return read_result::nothing;
  if (reader.is_terminal) {
    // A terminal in raw mode reads 0 bytes when nothing is there; it has ended when it hung up.
    if (got == 0 && !hung_up) return read_result::nothing;
    // In the background of its terminal the process may not read it (EIO, since this thread
    // blocks SIGTTIN): keys come once it is in the foreground again.
    if (got < 0 && errno == EIO && !may_change_terminal(reader.input)) {
      usleep(100000);
      return read_result::nothing;
    }
  }
  // For a pipe or a file, 0 bytes is the end.
  return read_result::ended;
}

void *run_reader(void *) {
  key_parser parser;
  while (!reader.stopping.load(std::memory_order_acquire)) {
    pollfd fds[2] = {{reader.wake_read, POLLIN, 0}, {reader.input, POLLIN, 0}};
    const int timeout = parser.pending() ? ESCAPE_DELAY_MS : -1;
    const int ready = poll(fds, 2, timeout);
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (ready == 0) {
      parser.flush(report_key, nullptr);
      continue;
    }
    if ((fds[0].revents & POLLIN) != 0) {
      char drain[16];
      while (read(reader.wake_read, drain, sizeof drain) > 0) {
      }
      continue;  // the loop condition decides
    }
    const short events = fds[1].revents;
    const bool hung_up = (events & (POLLHUP | POLLERR)) != 0;
    bool ended = (events & POLLNVAL) != 0;
    if (!ended && (events & (POLLIN | POLLHUP | POLLERR)) != 0) {
      ended = read_input(parser, hung_up) == read_result::ended;
    }
    if (ended) {
      parser.flush(report_key, nullptr);
      report_key(0x1B, KEY_ESC, nullptr);
      break;
    }
  }
  return nullptr;
}

// Opens what to read: the descriptor a test chose, standard input, or when that is closed the
// controlling terminal.
bool open_input() noexcept {
  int fd = chosen_input.load();
  if (fd < 0) fd = STDIN_FILENO;
  reader.input_owned = false;
  if (fcntl(fd, F_GETFL) == -1) {
    fd = open("/dev/tty", O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    reader.input_owned = true;
  }
  reader.input = fd;
  reader.is_terminal = isatty(fd) != 0;
  return true;
}

void close_input() noexcept {
  if (reader.input_owned && reader.input >= 0) close(reader.input);
  reader.input = -1;
  reader.input_owned = false;
}

void close_wake_pipe() noexcept {
  if (reader.wake_read >= 0) close(reader.wake_read);
  if (reader.wake_write >= 0) close(reader.wake_write);
  reader.wake_read = reader.wake_write = -1;
}

// The reader thread takes no asynchronous signals: SIGINT, SIGTERM and the like go to the program's
// threads, whose handler shuts the library down and joins this thread.
bool start_reader_thread() noexcept {
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  for (const int synchronous : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) sigdelset(&all, synchronous);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  const bool started = pthread_create(&reader.thread, nullptr, run_reader, nullptr) == 0;
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return started;
}

void terminal_exit() noexcept;

int terminal_init() noexcept {
  reader.stopping.store(false);
  {
    std::lock_guard<std::mutex> lock(wake_mutex);
    wake_pending = false;
  }
  if (!open_input()) {
    set_error_text("No terminal or standard input to read keys from");
    return -1;
  }
  if (reader.is_terminal && !enter_raw_mode(reader.input)) {
    close_input();
    set_error_text("Cannot set the terminal to raw mode");
    return -1;
  }
  int wake[2];
  if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
    set_error_text("Cannot create the keyboard's wake-up pipe");
    terminal_exit();
    return -1;
  }
  reader.wake_read = wake[0];
  reader.wake_write = wake[1];
  reader.thread_started = start_reader_thread();
  if (!reader.thread_started) {
    set_error_text("Cannot start the keyboard's reader thread");
    terminal_exit();
    return -1;
  }
  return 0;
}

void terminal_exit() noexcept {
  // The terminal comes back first, so that it is usable whatever happens next.
  restore_terminal();
  unix_host::set_terminal_restorer(nullptr);
  reader.stopping.store(true, std::memory_order_release);
  if (reader.wake_write >= 0) {
    const char byte = 1;
    (void)!write(reader.wake_write, &byte, 1);
  }
  if (reader.thread_started) {
    // Removal from inside a key callback runs on the reader thread itself, which cannot join
    // itself: it is left to end on its own.
    if (pthread_equal(pthread_self(), reader.thread)) {
      pthread_detach(reader.thread);
    } else {
      pthread_join(reader.thread, nullptr);
    }
    reader.thread_started = false;
  }
  close_wake_pipe();
  close_input();
  wake_waiting_reader();
}

void terminal_wait_for_input() noexcept {
  std::unique_lock<std::mutex> lock(wake_mutex);
  wake_condition.wait_for(lock, max_wait, [] { return wake_pending; });
  wake_pending = false;
}

void terminal_stop_waiting_for_input() noexcept { wake_waiting_reader(); }

}  // namespace

void use_input_descriptor(int fd) noexcept { chosen_input.store(fd < 0 ? -1 : fd); }

}  // namespace terminal_input

keyboard_driver_rec terminal_keyboard_driver = {
    .id = KEYBOARD_TERMINAL,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "Terminal keyboard",
    // The terminal repeats held keys itself, and every key is released as soon as it is pressed.
    .emulate_repeat = 0,
    .init = terminal_input::terminal_init,
    .exit = terminal_input::terminal_exit,
    .poll = nullptr,
    .set_leds = nullptr,
    .set_rate = nullptr,
    .wait_for_input = terminal_input::terminal_wait_for_input,
    .stop_waiting_for_input = terminal_input::terminal_stop_waiting_for_input,
    .scancode_to_ascii = nullptr,
    .scancode_to_name = nullptr,
};

}  // namespace corvane
