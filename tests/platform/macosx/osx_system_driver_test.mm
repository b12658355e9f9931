// The 'OSX ' system driver: what start-up asks of the platform, the blank cursor and what a
// failed allocation of it leaves, the CPU description, messages in a panel, the window title, the
// desktop's mode, the safe mode, the recursive mutexes and the fatal-signal path.
#include <CoreServices/CoreServices.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <standin/cocoa.h>
#include <standin/gestalt.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "corvane/gfx.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "host_test_support.h"
#include "platform/macosx/macosx_cocoa.h"

namespace {

using namespace corvane::macosx;

std::string call_log() {
  char log[8192];
  standin_call_log(log, sizeof log);
  return log;
}

bool contains(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

// True when another thread can take the mutex within two seconds (at once when it is free).
bool free_for_other_threads(void *mutex) {
  std::atomic<bool> taken{false};
  std::thread other([&] {
    mutex_lock(mutex);
    taken = true;
    mutex_unlock(mutex);
  });
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!taken && std::chrono::steady_clock::now() < until) std::this_thread::yield();
  const bool result = taken.load();
  other.detach();
  return result;
}

class OsxSystemDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin_cocoa_reset();
    standin_gestalt_reset();
    bootstrap_ok = -1;
    standin_set_process_name("Greeter");
  }
  void TearDown() override { shutdown_corvane(); }
};

TEST_F(OsxSystemDriverTest, StartUpMakesAForegroundApplicationAndDescribesThePlatform) {
  standin_gestalt_set(gestaltSystemVersion, 0x1039);
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  ASSERT_EQ(current_system_driver, &system_macosx);
  EXPECT_STREQ(current_system_driver->name, "MacOS X");
  EXPECT_STREQ(corvane_id_string, "Corvane 4.2.1, MacOS X");
  EXPECT_EQ(os_type, CORVANE_ID('M', 'A', 'C', 'X'));
  EXPECT_EQ(os_version, 10);
  EXPECT_EQ(os_revision, 3);
  EXPECT_EQ(os_multitasking, -1);
  EXPECT_EQ(get_switch_policy(), SWITCH_BACKGROUND);
  char title[64];
  copy_window_title(title, sizeof title);
  EXPECT_STREQ(title, "Greeter");
  const std::string log = call_log();
  EXPECT_TRUE(contains(log, "CPSGetCurrentProcess\nCPSEnableForegroundOperation 3 3c 2c 1103\n"
                            "CPSSetFrontProcess\nsharedApplication\n"))
      << log;
  EXPECT_TRUE(contains(log, "NSBitmapImageRep 16x16 8/4 alpha 1 planar 0 NSDeviceRGBColorSpace 64 32"))
      << log;
  EXPECT_NE(blank_cursor, nil);

  // The switch modes: only running on in the background is accepted.
  EXPECT_EQ(system_macosx.set_switch_mode(SWITCH_BACKGROUND), 0);
  EXPECT_EQ(system_macosx.set_switch_mode(SWITCH_PAUSE), -1);
}

TEST_F(OsxSystemDriverTest, TheForegroundRequestStopsAtTheFirstStepThatFails) {
  standin_fail_foreground_step(2);
  ASSERT_EQ(startup_corvane(SYSTEM_MACOSX, nullptr, nullptr), 0);
  const std::string log = call_log();
  EXPECT_TRUE(contains(log, "CPSEnableForegroundOperation")) << log;
  EXPECT_FALSE(contains(log, "CPSSetFrontProcess")) << log;
  EXPECT_FALSE(contains(log, "sharedApplication")) << log;
}

TEST_F(OsxSystemDriverTest, ShutdownReleasesTheBlankCursorAndAFailedPartLeavesNothing) {
  // The first start-up makes the objects that live as long as the process.
  ASSERT_EQ(startup_corvane(SYSTEM_MACOSX, nullptr, nullptr), 0);
  shutdown_corvane();
  for (const char *failing : {"", "NSBitmapImageRep", "NSImage", "NSCursor"}) {
    SCOPED_TRACE(failing);
    const long before = standin_live_objects();
    standin_fail_next_alloc(failing);
    ASSERT_EQ(startup_corvane(SYSTEM_MACOSX, nullptr, nullptr), 0);
    EXPECT_EQ(blank_cursor == nil, *failing != 0);
    shutdown_corvane();
    EXPECT_EQ(blank_cursor, nil);
    EXPECT_EQ(standin_live_objects(), before);
  }
}

TEST_F(OsxSystemDriverTest, TheCpuIsTheLocalArchitecture) {
  standin_set_local_arch("ppc970", 18, 100);
  ASSERT_EQ(startup_corvane(SYSTEM_MACOSX, nullptr, nullptr), 0);
  EXPECT_STREQ(cpu_arch_name, "ppc970");
  EXPECT_EQ(cpu_type, 18);
  EXPECT_EQ(cpu_subtype, 100);
  EXPECT_EQ(cpu_feature_bits, 3);
  standin_set_local_arch(nullptr, 0, 0);
  detect_cpu();
  EXPECT_STREQ(cpu_arch_name, "");
  EXPECT_EQ(cpu_type, 0);
}

bool panel_saw_open_flag = false;
bool panel_saw_events_free = false;
void look_at_panel() {
  panel_saw_open_flag = modal_panel_open.load();
  panel_saw_events_free = free_for_other_threads(event_mutex.load());
}

TEST_F(OsxSystemDriverTest, MessagesGoToStandardErrorAndToAPanelTitledLikeTheWindow) {
  ASSERT_EQ(startup_corvane(SYSTEM_MACOSX, nullptr, nullptr), 0);
  event_mutex = mutex_create();
  system_macosx.set_window_title("Spiel \xC3\xBC");
  standin_set_alert_hook(look_at_panel);
  standin_clear_call_log();
  ::testing::internal::CaptureStderr();
  show_message("%s", "100% done");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "100% done");
  EXPECT_EQ(call_log(), "NSRunAlertPanel Spiel \xC3\xBC|100% done|(nil)\n");
  EXPECT_TRUE(panel_saw_open_flag);
  EXPECT_TRUE(panel_saw_events_free);
  EXPECT_FALSE(modal_panel_open.load());
  mutex_destroy(event_mutex.exchange(nullptr));
}

std::string title_seen;
void remember_title(const char *utf8) { title_seen = utf8; }

TEST_F(OsxSystemDriverTest, TheWindowTitleIsKeptAndHandedToTheWindow) {
  const window_hooks hooks{.title_changed = remember_title};
  set_window_hooks(&hooks);
  system_macosx.set_window_title("Caf\xC3\xA9");
  EXPECT_EQ(title_seen, "Caf\xC3\xA9");
  char title[4];
  copy_window_title(title, sizeof title);
  EXPECT_STREQ(title, "Caf");  // bounded, never half a character
  set_window_hooks(nullptr);
}

TEST_F(OsxSystemDriverTest, ExecutablePathIsTheFirstArgumentOutsideABundle) {
  ASSERT_EQ(startup_corvane(SYSTEM_MACOSX, nullptr, nullptr), 0);
  char program[] = "/games/greeter";
  char *argv[] = {program, nullptr};
  saved_argv = argv;
  char path[64];
  query_executable_path(path, sizeof path);
  EXPECT_STREQ(path, "/games/greeter");
  query_executable_path(path, 7);
  EXPECT_STREQ(path, "/games");
  saved_argv = nullptr;
}

TEST_F(OsxSystemDriverTest, DesktopModeReports16BitsAs15AndNothingWithoutAMode) {
  int width = 0;
  int height = 0;
  standin_set_display_mode(1280, 800, 16, 60);
  EXPECT_EQ(system_macosx.get_desktop_depth(), 15);
  EXPECT_EQ(system_macosx.get_desktop_size(&width, &height), 0);
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(height, 800);
  standin_set_display_mode(1280, 800, 32, 60);
  EXPECT_EQ(system_macosx.get_desktop_depth(), 32);
  standin_set_display_mode(640, 480, 8, 60);
  EXPECT_EQ(system_macosx.get_desktop_depth(), 8);
  standin_remove_display_mode();
  EXPECT_EQ(system_macosx.get_desktop_depth(), -1);
  EXPECT_EQ(system_macosx.get_desktop_size(&width, &height), -1);
}

TEST_F(OsxSystemDriverTest, SafeModeIsTheWindowIn320x200x8) {
  int driver = 0;
  gfx_mode_entry mode{};
  system_macosx.get_safe_mode(&driver, &mode);
  EXPECT_EQ(driver, CORVANE_ID('Q', 'Z', 'W', 'N'));
  EXPECT_EQ(mode.width, 320);
  EXPECT_EQ(mode.height, 200);
  EXPECT_EQ(mode.bpp, 8);
}

TEST_F(OsxSystemDriverTest, MutexesHaveAnOwnerAndACount) {
  void *mutex = system_macosx.mutex_create();
  ASSERT_NE(mutex, nullptr);
  mutex_lock(mutex);
  mutex_lock(mutex);
  // Another thread's unlock is not the owner's: the mutex stays held.
  std::thread([mutex] { mutex_unlock(mutex); }).join();
  mutex_unlock(mutex);
  std::atomic<bool> taken{false};
  std::thread other([&] {
    mutex_lock(mutex);
    taken = true;
    mutex_unlock(mutex);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(taken.load());
  mutex_unlock(mutex);  // the last unlock lets the other thread in
  other.join();
  EXPECT_TRUE(taken.load());

  // Letting go of a held mutex at once, whatever its count.
  mutex_lock(mutex);
  mutex_lock(mutex);
  mutex_release_if_held(mutex);
  std::thread([mutex] {
    mutex_lock(mutex);
    mutex_unlock(mutex);
  }).join();
  system_macosx.mutex_destroy(mutex);
}

void say_shutdown() { std::fputs("remove_keyboard ran\n", stderr); }

TEST_F(OsxSystemDriverTest, AFatalSignalShutsTheLibraryDownAndTakesItsCourse) {
  const auto child = macosx_testing::run_in_child([] {
    if (startup_corvane(SYSTEM_MACOSX, nullptr, nullptr) != 0) return 1;
    register_exit_func(say_shutdown, "remove_keyboard");
    event_mutex = mutex_create();
    lock_event_mutex();  // held by the thread the signal arrives on
    raise(SIGTERM);
    return 2;
  });
  EXPECT_FALSE(child.exited) << child.status;
  EXPECT_EQ(child.signal, SIGTERM);
  EXPECT_EQ(child.error_output,
            "remove_keyboard ran\nShutting down Corvane due to signal #15\n");
}

}  // namespace
