// The Linux host system driver: start-up by autodetection, recursive mutexes, the program's path,
// the resource search, messages and fatal signals.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "corvane/system.h"
#include "corvane/timer.h"
#include "platform/linux/unix_host.h"
#include "support/env_guard.h"
#include "support/test_system.h"
#include "timer/timer_internal.h"

namespace {

using corvane::testing::env_guard;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

class UnixHostTest : public ::testing::Test {
 protected:
  void TearDown() override { shutdown_corvane(); }
};

TEST_F(UnixHostTest, IsChosenByAutodetection) {
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  ASSERT_EQ(current_system_driver, &corvane::unix_host::driver);
  EXPECT_STREQ(current_system_driver->name, "Unix");
  EXPECT_EQ(current_system_driver->id, corvane::unix_host::SYSTEM_UNIX);
}

TEST_F(UnixHostTest, ExecutablePathIsThisProgram) {
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  char path[1024];
  query_executable_path(path, sizeof path);
  const std::string text(path);
  ASSERT_GT(text.size(), 1u);
  EXPECT_EQ(text[0], '/');
  EXPECT_NE(text.find("platform_tests"), std::string::npos) << text;

  char tiny[4];
  query_executable_path(tiny, sizeof tiny);
  EXPECT_EQ(std::string(tiny).size(), 3u);  // bounded and terminated
}

TEST_F(UnixHostTest, MutexIsRecursiveAndExcludesOtherThreads) {
  void *mutex = corvane::unix_host::mutex_create();
  ASSERT_NE(mutex, nullptr);
  corvane::unix_host::mutex_lock(mutex);
  corvane::unix_host::mutex_lock(mutex);  // the owner may lock again

  std::atomic<bool> acquired{false};
  std::thread other([&] {
    corvane::unix_host::mutex_lock(mutex);
    acquired = true;
    corvane::unix_host::mutex_unlock(mutex);
  });
  corvane::unix_host::mutex_unlock(mutex);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(acquired.load());  // one lock is still held
  corvane::unix_host::mutex_unlock(mutex);
  other.join();
  EXPECT_TRUE(acquired.load());
  corvane::unix_host::mutex_destroy(mutex);
}

TEST_F(UnixHostTest, ResourceSearchFindsHomeFilesAndHiddenRcFiles) {
  scoped_work_dir dir;
  const env_guard home("HOME", dir.path());
  char found[256];

  EXPECT_EQ(corvane::unix_host::driver.locate_resource_hook(found, "corvane.cfg", sizeof found),
            -1);
  write_file(dir.file(".corvanerc"), "[system]\n");
  ASSERT_EQ(corvane::unix_host::driver.locate_resource_hook(found, "corvane.cfg", sizeof found), 0);
  EXPECT_EQ(std::string(found), dir.file(".corvanerc"));

  // The plain name in HOME comes before the hidden rc form.
  write_file(dir.file("corvane.cfg"), "[system]\n");
  ASSERT_EQ(corvane::unix_host::driver.locate_resource_hook(found, "corvane.cfg", sizeof found), 0);
  EXPECT_EQ(std::string(found), dir.file("corvane.cfg"));

  // Only configuration files have an rc form; a directory is not a resource.
  write_file(dir.file(".keysrc"), "");
  EXPECT_EQ(corvane::unix_host::driver.locate_resource_hook(found, "keys.dat", sizeof found), -1);
  ASSERT_EQ(mkdir(dir.file("level.dat").c_str(), 0755), 0);
  EXPECT_EQ(corvane::unix_host::driver.locate_resource_hook(found, "level.dat", sizeof found), -1);
  EXPECT_EQ(corvane::unix_host::driver.locate_resource_hook(found, "", sizeof found), -1);
}

TEST_F(UnixHostTest, MessagesGoToStandardError) {
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  ::testing::internal::CaptureStderr();
  show_message("Unable to set any graphic mode\n%s\n", "reason");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Unable to set any graphic mode\nreason\n");
}

std::string window_title() {
  char title[corvane::unix_host::WINDOW_TITLE_SIZE];
  corvane::unix_host::copy_window_title(title, sizeof title);
  return title;
}

TEST_F(UnixHostTest, CloseCallbackAndTitleAreKept) {
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  EXPECT_EQ(window_title(), "platform_tests");
  current_system_driver->set_window_title("My game");
  EXPECT_EQ(window_title(), "My game");
  static int closes = 0;
  EXPECT_EQ(set_close_button_callback([] { ++closes; }), 0);
  ASSERT_NE(corvane::unix_host::close_callback(), nullptr);
  corvane::unix_host::close_callback()();
  EXPECT_EQ(closes, 1);
}

TEST_F(UnixHostTest, OverlongTitleIsCutBeforeACharacterThatDoesNotFit) {
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  // Two-byte characters after one ASCII byte: the last one that fits whole ends the title.
  std::string title = "x";
  while (title.size() < 2 * corvane::unix_host::WINDOW_TITLE_SIZE) title += "\xC3\xA9";
  current_system_driver->set_window_title(title.c_str());
  const std::string kept = window_title();
  EXPECT_EQ(kept.size(), corvane::unix_host::WINDOW_TITLE_SIZE - 1);
  EXPECT_EQ(kept, title.substr(0, kept.size()));

  char tiny[5];
  corvane::unix_host::copy_window_title(tiny, sizeof tiny);
  EXPECT_STREQ(tiny, "x\xC3\xA9");  // "x" and one whole character of the four bytes
}

TEST_F(UnixHostTest, EveryDeviceFamilyGetsTheHostsList) {
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  // A family whose list slot were empty would fall back on its built-in list instead.
  for (auto list :
       {current_system_driver->list_gfx_drivers, current_system_driver->list_digi_drivers,
        current_system_driver->list_midi_drivers, current_system_driver->list_keyboard_drivers,
        current_system_driver->list_mouse_drivers, current_system_driver->list_joystick_drivers}) {
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list(), list());  // one list, made once
  }
}

void exit_function_writes_marker() { (void)!write(STDERR_FILENO, "exit function ran\n", 18); }

void start_and_raise(int signal_number) {
  if (startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr) != 0) std::exit(3);
  register_exit_func(exit_function_writes_marker, "marker");
  raise(signal_number);
}

TEST_F(UnixHostTest, FatalSignalRunsTheProgramsExitFunctionsFirst) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(start_and_raise(SIGTERM), ::testing::KilledBySignal(SIGTERM),
              "exit function ran\nShutting down Corvane due to signal #15");
}

// The interrupted code holds the timer mutex, so the timer thread stops at its next pass: a
// signal path that took the timer down would wait for that thread for ever.
void raise_with_the_timer_mutex_held() {
  if (startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr) != 0) _exit(3);
  if (add_timer_handler_ms([] {}, 1) != 0) _exit(4);
  (void)corvane::lock_timer_mutex();
  raise(SIGTERM);
  _exit(5);
}

TEST_F(UnixHostTest, FatalSignalWhileALibraryLockIsHeldStillEndsTheProcess) {
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) raise_with_the_timer_mutex_held();
  int status = 0;
  pid_t ended = 0;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while ((ended = waitpid(child, &status, WNOHANG)) == 0 &&
         std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (ended == 0) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGTERM);  // SIGKILL: it hung and was killed after 10 s
}

TEST_F(UnixHostTest, ShutdownRestoresThePreviousSignalHandlers) {
  struct sigaction before {};
  sigaction(SIGINT, nullptr, &before);
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  struct sigaction during {};
  sigaction(SIGINT, nullptr, &during);
  EXPECT_NE(during.sa_handler, before.sa_handler);
  shutdown_corvane();
  struct sigaction after {};
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST_F(UnixHostTest, SignalsIgnoredAtStartStayIgnored) {
  // A background job starts with SIGINT and SIGQUIT ignored; the library must not take them up.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction before {};
  ASSERT_EQ(sigaction(SIGINT, &ignore, &before), 0);
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  struct sigaction during {};
  sigaction(SIGINT, nullptr, &during);
  EXPECT_EQ(during.sa_handler, SIG_IGN);
  sigaction(SIGTERM, nullptr, &during);
  EXPECT_NE(during.sa_handler, SIG_IGN);  // the others are handled as usual
  EXPECT_NE(during.sa_handler, SIG_DFL);
  shutdown_corvane();
  struct sigaction after {};
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, SIG_IGN);
  sigaction(SIGINT, &before, nullptr);
}

}  // namespace
