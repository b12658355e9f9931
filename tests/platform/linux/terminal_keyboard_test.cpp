// The terminal keyboard: the byte-stream parser (characters, control keys, UTF-8, escape sequences
// whole, split and cut short), the driver reading a pipe (keys, releases, the end of input) and a
// pseudo-terminal (raw mode set and restored, on removal and on a fatal signal), and a program
// with nothing to read keys from.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "platform/linux/terminal_keyboard.h"
#include "platform/linux/unix_host.h"
#include "support/test_system.h"

namespace {

using corvane::terminal_keyboard_driver;
using corvane::terminal_input::key_parser;
using key = std::pair<int, int>;  // character, key index

// ---- The parser -----------------------------------------------------------------------------

void collect(int character, int index, void *context) {
  static_cast<std::vector<key> *>(context)->emplace_back(character, index);
}

std::vector<key> parse(const std::string &bytes, bool flush = false) {
  key_parser parser;
  std::vector<key> keys;
  parser.feed(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), collect, &keys);
  if (flush) parser.flush(collect, &keys);
  return keys;
}

TEST(TerminalKeyParser, PrintableCharactersCarryTheirKeys) {
  EXPECT_EQ(
      parse("aZ0 9"),
      (std::vector<key>{{'a', KEY_A}, {'Z', KEY_Z}, {'0', KEY_0}, {' ', KEY_SPACE}, {'9', KEY_9}}));
  // Shifted symbols belong to the key they are typed on.
  EXPECT_EQ(
      parse("!)\\|"),
      (std::vector<key>{{'!', KEY_1}, {')', KEY_0}, {'\\', KEY_BACKSLASH}, {'|', KEY_BACKSLASH}}));
  for (int c = 0x20; c < 0x7F; ++c) {
    const std::vector<key> keys = parse(std::string(1, static_cast<char>(c)));
    ASSERT_EQ(keys.size(), 1u) << c;
    EXPECT_EQ(keys[0].first, c);
    EXPECT_GT(keys[0].second, 0) << "no key for '" << static_cast<char>(c) << "'";
  }
}

TEST(TerminalKeyParser, ControlBytesAreTheirKeys) {
  EXPECT_EQ(parse("\r"), (std::vector<key>{{13, KEY_ENTER}}));
  EXPECT_EQ(parse("\n"), (std::vector<key>{{13, KEY_ENTER}}));
  EXPECT_EQ(parse("\r\n"), (std::vector<key>{{13, KEY_ENTER}}));  // one Enter
  EXPECT_EQ(parse("\n\n"), (std::vector<key>{{13, KEY_ENTER}, {13, KEY_ENTER}}));
  EXPECT_EQ(parse("\r\r\n"), (std::vector<key>{{13, KEY_ENTER}, {13, KEY_ENTER}}));
  EXPECT_EQ(parse("\t\x7f\x08"),
            (std::vector<key>{{9, KEY_TAB}, {8, KEY_BACKSPACE}, {8, KEY_BACKSPACE}}));
  EXPECT_EQ(parse("\x01\x1a\x03"), (std::vector<key>{{1, KEY_A}, {26, KEY_Z}, {3, KEY_C}}));
  EXPECT_TRUE(parse(std::string(1, '\0')).empty());
}

TEST(TerminalKeyParser, EscapeSequencesOfTheUsualTerminals) {
  const std::pair<const char *, int> sequences[] = {
      {"\x1b[A", KEY_UP},      {"\x1b[B", KEY_DOWN},   {"\x1b[C", KEY_RIGHT}, {"\x1b[D", KEY_LEFT},
      {"\x1bOA", KEY_UP},      {"\x1bOD", KEY_LEFT},   {"\x1b[H", KEY_HOME},  {"\x1b[F", KEY_END},
      {"\x1bOH", KEY_HOME},    {"\x1bOF", KEY_END},    {"\x1b[1~", KEY_HOME}, {"\x1b[4~", KEY_END},
      {"\x1b[7~", KEY_HOME},   {"\x1b[8~", KEY_END},   {"\x1b[5~", KEY_PGUP}, {"\x1b[6~", KEY_PGDN},
      {"\x1b[2~", KEY_INSERT}, {"\x1b[3~", KEY_DEL},   {"\x1bOP", KEY_F1},    {"\x1bOQ", KEY_F2},
      {"\x1bOR", KEY_F3},      {"\x1bOS", KEY_F4},     {"\x1b[11~", KEY_F1},  {"\x1b[12~", KEY_F2},
      {"\x1b[13~", KEY_F3},    {"\x1b[14~", KEY_F4},   {"\x1b[15~", KEY_F5},  {"\x1b[17~", KEY_F6},
      {"\x1b[18~", KEY_F7},    {"\x1b[19~", KEY_F8},   {"\x1b[20~", KEY_F9},  {"\x1b[21~", KEY_F10},
      {"\x1b[23~", KEY_F11},   {"\x1b[24~", KEY_F12},  {"\x1b[[A", KEY_F1},   {"\x1b[[E", KEY_F5},
      {"\x1b[1;5A", KEY_UP},   {"\x1b[3;2~", KEY_DEL}, {"\x1b[1;2P", KEY_F1},
  };
  for (const auto &[bytes, index] : sequences) {
    const std::vector<key> keys = parse(bytes);
    ASSERT_EQ(keys.size(), 1u) << std::string(bytes + 1);
    EXPECT_EQ(keys[0].second, index) << std::string(bytes + 1);
    EXPECT_EQ(keys[0].first, index == KEY_DEL ? 127 : 0) << std::string(bytes + 1);
  }
}

TEST(TerminalKeyParser, UnknownSequencesAreDroppedWhole) {
  EXPECT_EQ(parse("\x1b[99~x"), (std::vector<key>{{'x', KEY_X}}));
  EXPECT_EQ(parse("\x1b[<0;12;7Mx"), (std::vector<key>{{'x', KEY_X}}));  // a mouse report
  EXPECT_EQ(parse("\x1b[?1;2cx"), (std::vector<key>{{'x', KEY_X}}));
  // Parameters longer than any key's are dropped with their sequence.
  EXPECT_EQ(parse("\x1b[" + std::string(40, '1') + "~y"), (std::vector<key>{{'y', KEY_Y}}));
}

TEST(TerminalKeyParser, LoneEscapeWaitsForThePause) {
  key_parser parser;
  std::vector<key> keys;
  const unsigned char esc = 0x1b;
  parser.feed(&esc, 1, collect, &keys);
  EXPECT_TRUE(keys.empty());
  EXPECT_TRUE(parser.pending());
  parser.flush(collect, &keys);
  EXPECT_FALSE(parser.pending());
  EXPECT_EQ(keys, (std::vector<key>{{27, KEY_ESC}}));

  // ESC before anything that opens no sequence is Escape, then that key.
  EXPECT_EQ(parse("\x1bx"), (std::vector<key>{{27, KEY_ESC}, {'x', KEY_X}}));
  EXPECT_EQ(parse("\x1b\x1b[A"), (std::vector<key>{{27, KEY_ESC}, {0, KEY_UP}}));
  // A sequence cut short by the pause: Escape, then what came after it as typed.
  EXPECT_EQ(parse("\x1b[1", true), (std::vector<key>{{27, KEY_ESC}, {'[', 65}, {'1', KEY_1}}));
  EXPECT_EQ(parse("\x1bO", true), (std::vector<key>{{27, KEY_ESC}, {'O', KEY_O}}));
  // A control byte inside a sequence ends it and counts itself.
  EXPECT_EQ(parse("\x1b[1\r"), (std::vector<key>{{13, KEY_ENTER}}));
}

TEST(TerminalKeyParser, SequencesSplitAcrossReadsAreJoined) {
  const std::string bytes = "\x1b[15~\x1bOQ\xc3\xa9";
  for (size_t cut = 1; cut < bytes.size(); ++cut) {
    key_parser parser;
    std::vector<key> keys;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    parser.feed(data, cut, collect, &keys);
    parser.feed(data + cut, bytes.size() - cut, collect, &keys);
    EXPECT_EQ(keys, (std::vector<key>{{0, KEY_F5}, {0, KEY_F2}, {0xE9, 0}})) << cut;
  }
}

TEST(TerminalKeyParser, Utf8CharactersAndBrokenBytes) {
  EXPECT_EQ(parse("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"),
            (std::vector<key>{{0xE9, 0}, {0x20AC, 0}, {0x1F600, 0}}));
  // Overlong forms, surrogates, values past U+10FFFF and stray bytes type nothing.
  EXPECT_TRUE(parse("\xc0\xaf\xe0\x80\xaf\xed\xa0\x80\xf4\x90\x80\x80\x80\xff").empty());
  // A cut character is dropped, and the byte that cut it still counts.
  EXPECT_EQ(parse("\xe2\x82z"), (std::vector<key>{{'z', KEY_Z}}));
  EXPECT_TRUE(parse("\xe2\x82", true).empty());
}

// ---- The driver -----------------------------------------------------------------------------

driver_list_entry terminal_list[] = {
    {corvane::KEYBOARD_TERMINAL, &terminal_keyboard_driver, -1},
    {0, nullptr, 0},
};

// What the low-level callback was told, on the reader thread.
std::mutex lowlevel_mutex;
std::vector<int> lowlevel_seen;
void record_lowlevel(int scancode) {
  std::lock_guard<std::mutex> lock(lowlevel_mutex);
  lowlevel_seen.push_back(scancode);
}

// The callback's record once it holds count entries (the release of the last key may follow
// its arrival in the buffer by a moment).
std::vector<int> lowlevel_record(size_t count) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(lowlevel_mutex);
      if (lowlevel_seen.size() >= count || std::chrono::steady_clock::now() > give_up) {
        return lowlevel_seen;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Keys read from the buffer, giving up after a generous time so that a fault fails the test
// instead of hanging it.
std::vector<key> read_keys(size_t count) {
  std::vector<key> keys;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (keys.size() < count && std::chrono::steady_clock::now() < give_up) {
    if (key_waiting() != 0) {
      int index = 0;
      const int character = read_key_unicode(&index);
      keys.emplace_back(character, index);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  return keys;
}

void write_all(int fd, const std::string &bytes) {
  ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

class TerminalKeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
    corvane::testing::give_test_system_mutexes();
    corvane::testing::the_test_system().keyboard_drivers = terminal_list;
  }
  void TearDown() override {
    shutdown_corvane();
    corvane::terminal_input::use_input_descriptor(-1);
    for (const int fd : fds_) close(fd);
  }
  int keep(int fd) {
    fds_.push_back(fd);
    return fd;
  }
  std::vector<int> fds_;
};

TEST_F(TerminalKeyboardTest, PipeBytesBecomeKeysThatAreReleasedAtOnce) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  keep(ends[0]);
  const int writer = keep(ends[1]);
  corvane::terminal_input::use_input_descriptor(ends[0]);
  keyboard_lowlevel_callback = record_lowlevel;
  ASSERT_EQ(install_keyboard(), 0) << error_text;
  EXPECT_STREQ(keyboard_driver->name, "Terminal keyboard");

  write_all(writer, "hi\x1b[A\n");
  EXPECT_EQ(read_keys(4),
            (std::vector<key>{{'h', KEY_H}, {'i', KEY_I}, {0, KEY_UP}, {13, KEY_ENTER}}));
  EXPECT_EQ(lowlevel_record(8), (std::vector<int>{KEY_H, KEY_H + 0x80, KEY_I, KEY_I + 0x80, KEY_UP,
                                                  KEY_UP + 0x80, KEY_ENTER, KEY_ENTER + 0x80}));
  EXPECT_EQ(key_state[KEY_H], 0);
  EXPECT_EQ(key_state[KEY_ENTER], 0);
  keyboard_lowlevel_callback = nullptr;

  // A lone ESC becomes Escape once the pause has passed.
  write_all(writer, "\x1b");
  EXPECT_EQ(read_keys(1), (std::vector<key>{{27, KEY_ESC}}));

  remove_keyboard();
  EXPECT_NE(fcntl(ends[0], F_GETFL), -1);  // the caller's descriptor stays open
}

TEST_F(TerminalKeyboardTest, EndOfInputIsOneEscape) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  keep(ends[0]);
  corvane::terminal_input::use_input_descriptor(ends[0]);
  ASSERT_EQ(install_keyboard(), 0);
  write_all(ends[1], "q");
  close(ends[1]);
  EXPECT_EQ(read_keys(2), (std::vector<key>{{'q', KEY_Q}, {27, KEY_ESC}}));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(key_waiting(), 0);  // and nothing after it
}

TEST_F(TerminalKeyboardTest, WaitingReaderWakesForAKey) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  keep(ends[0]);
  const int writer = keep(ends[1]);
  corvane::terminal_input::use_input_descriptor(ends[0]);
  ASSERT_EQ(install_keyboard(), 0);
  std::atomic<int> got{0};
  std::thread reader([&] { got = read_key(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(got.load(), 0);
  write_all(writer, "k");
  reader.join();
  EXPECT_EQ(got.load(), (KEY_K << 8) | 'k');
}

TEST_F(TerminalKeyboardTest, RemovalStopsAnIdleReader) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  keep(ends[0]);
  keep(ends[1]);
  corvane::terminal_input::use_input_descriptor(ends[0]);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(install_keyboard(), 0);
    remove_keyboard();
  }
  EXPECT_EQ(keyboard_driver, nullptr);
}

// ---- Pseudo-terminals -----------------------------------------------------------------------

struct pseudo_terminal {
  int master = -1;
  int slave = -1;
  bool open() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return false;
    const char *name = ptsname(master);
    if (name == nullptr) return false;
    slave = ::open(name, O_RDWR | O_NOCTTY);
    return slave >= 0;
  }
};

termios settings_of(int fd) {
  termios t{};
  tcgetattr(fd, &t);
  return t;
}

bool same_settings(const termios &a, const termios &b) {
  return a.c_lflag == b.c_lflag && a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag &&
         a.c_cc[VMIN] == b.c_cc[VMIN] && a.c_cc[VTIME] == b.c_cc[VTIME];
}

TEST_F(TerminalKeyboardTest, TerminalIsRawWhileInstalledAndRestoredAfter) {
  pseudo_terminal pty;
  ASSERT_TRUE(pty.open());
  keep(pty.master);
  keep(pty.slave);
  const termios before = settings_of(pty.slave);
  ASSERT_NE(before.c_lflag & ICANON, 0u);
  ASSERT_NE(before.c_lflag & ECHO, 0u);

  // A key typed before the keyboard is installed is not lost.
  write_all(pty.master, "p");
  corvane::terminal_input::use_input_descriptor(pty.slave);
  ASSERT_EQ(install_keyboard(), 0) << error_text;
  const termios raw = settings_of(pty.slave);
  EXPECT_EQ(raw.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_NE(raw.c_lflag & ISIG, 0u);  // Ctrl+C still interrupts
  EXPECT_EQ(raw.c_cc[VMIN], 0);

  write_all(pty.master, "\x1b[6~x");
  EXPECT_EQ(read_keys(3), (std::vector<key>{{'p', KEY_P}, {0, KEY_PGDN}, {'x', KEY_X}}));

  remove_keyboard();
  EXPECT_TRUE(same_settings(settings_of(pty.slave), before));
}

driver_list_entry *terminal_only() { return terminal_list; }

TEST_F(TerminalKeyboardTest, FatalSignalRestoresTheTerminal) {
  shutdown_corvane();  // the child starts the library with the host system driver
  pseudo_terminal pty;
  ASSERT_TRUE(pty.open());
  keep(pty.master);
  keep(pty.slave);
  const termios before = settings_of(pty.slave);
  corvane::terminal_input::use_input_descriptor(pty.slave);

  EXPECT_EXIT(
      {
        corvane::unix_host::driver.list_keyboard_drivers = terminal_only;
        if (startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr) != 0) _exit(2);
        if (install_keyboard() != 0) _exit(3);
        if ((settings_of(pty.slave).c_lflag & ICANON) != 0) _exit(4);
        raise(SIGTERM);
        _exit(5);
      },
      ::testing::KilledBySignal(SIGTERM), "signal");
  EXPECT_TRUE(same_settings(settings_of(pty.slave), before));
}

TEST_F(TerminalKeyboardTest, NothingToReadIsAClearError) {
  shutdown_corvane();
  EXPECT_EXIT(
      {
        // A new session has no controlling terminal to fall back on.
        setsid();
        const int closed = dup(0);
        close(closed);
        ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
        corvane::testing::the_test_system().keyboard_drivers = terminal_list;
        corvane::terminal_input::use_input_descriptor(closed);
        const bool refused =
            install_keyboard() == -1 &&
            std::string(error_text) == "No terminal or standard input to read keys from";
        _exit(refused ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
