// The Mac OS X application host: the window-server test and its cached answer, the process entry
// with and without Cocoa, the hand-built and the nib menu, the bundle's directory and arguments,
// the refresh rate, the event loop and the quit request.
#include <gtest/gtest.h>
#include <standin/cocoa.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "corvane/system.h"
#include "host_test_support.h"
#include "platform/macosx/macosx_cocoa.h"
#include "support/env_guard.h"
#include "support/test_system.h"

namespace {

using namespace corvane::macosx;
using macosx_testing::run_in_child;

std::string call_log() {
  char log[8192];
  standin_call_log(log, sizeof log);
  return log;
}

std::string main_menu() {
  char menu[1024];
  standin_describe_main_menu(menu, sizeof menu);
  return menu;
}

std::string current_directory() {
  char path[1024];
  return getcwd(path, sizeof path) != nullptr ? path : "";
}

// True when another thread takes the mutex within the time given (at once when it is free).
bool free_for_other_threads(void *mutex, std::chrono::milliseconds limit) {
  std::atomic<bool> taken{false};
  std::thread other([&] {
    mutex_lock(mutex);
    taken = true;
    mutex_unlock(mutex);
  });
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!taken && std::chrono::steady_clock::now() < until) std::this_thread::yield();
  const bool result = taken.load();
  if (!result) unlock_event_mutex();  // the caller holds it: let the thread finish
  other.join();
  if (!result) lock_event_mutex();
  return result;
}

class ApplicationHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin_cocoa_reset();
    bootstrap_ok = -1;
    macosx_testing::application_main = nullptr;
  }
  void TearDown() override { shutdown_corvane(); }
};

TEST_F(ApplicationHostTest, WindowServerTestRegistersOnceAndKeepsItsAnswer) {
  standin_set_window_server(0);
  EXPECT_FALSE(window_server_usable());
  standin_set_window_server(1);
  EXPECT_FALSE(window_server_usable());
  EXPECT_EQ(bootstrap_ok.load(), 0);
  EXPECT_EQ(call_log(), "bootstrap_register bootstrap-ok-test\n");

  bootstrap_ok = -1;
  EXPECT_TRUE(window_server_usable());
  EXPECT_EQ(bootstrap_ok.load(), 1);
}

TEST_F(ApplicationHostTest, WithoutWindowServerTheProgramRunsWithoutCocoaAndCannotStart) {
  standin_set_window_server(0);
  int started = 0;
  macosx_testing::application_main = [&](int argc, char **argv) {
    EXPECT_EQ(argc, 2);
    EXPECT_STREQ(argv[1], "--level");
    started = startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr);
    return 7;
  };
  char program[] = "game";
  char option[] = "--level";
  char *argv[] = {program, option, nullptr};
  EXPECT_EQ(run_application_host(2, argv), 7);
  EXPECT_EQ(started, -1);
  EXPECT_EQ(current_system_driver, nullptr);
  // Nothing of Cocoa was asked for.
  EXPECT_EQ(call_log(), "bootstrap_register bootstrap-ok-test\n");
  EXPECT_EQ(startup_corvane(SYSTEM_MACOSX, nullptr, nullptr), -1);
}

TEST_F(ApplicationHostTest, CocoaRunsTheProgramOnItsOwnThreadWithAHandBuiltMenu) {
  const auto child = run_in_child([] {
    standin_set_process_name("Greeter");
    standin_set_display_mode(800, 600, 32, 75);
    const std::thread::id main_thread = std::this_thread::get_id();
    macosx_testing::application_main = [main_thread](int argc, char **argv) {
      std::fprintf(stderr, "argc %d argv0 %s own thread %d rate %d mutex %d\nmenu %s\n", argc,
                   argv[0], std::this_thread::get_id() != main_thread, refresh_rate.load(),
                   event_mutex.load() != nullptr, main_menu().c_str());
      std::fputs(call_log().c_str(), stderr);
      return 5;
    };
    char program[] = "/games/greeter";
    char *argv[] = {program, nullptr};
    return run_application_host(1, argv) + 100;  // never returns: the program ends the process
  });
  ASSERT_TRUE(child.exited) << child.error_output;
  EXPECT_EQ(child.status, 5) << child.error_output;
  const std::string &out = child.error_output;
  EXPECT_NE(out.find("argc 1 argv0 /games/greeter own thread 1 rate 75 mutex 1\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("menu temp{Greeter[/0//nil]Greeter{Quit Greeter[q/100000/terminate:/"
                     "NSApplication]}}\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("loadNibNamed"), std::string::npos) << out;
  EXPECT_NE(out.find("setMainMenu: temp\nsetAppleMenu: Greeter\nrun\n"), std::string::npos) << out;
  EXPECT_NE(out.find("detachNewThreadSelector: app_main: CorvaneAppDelegate"), std::string::npos)
      << out;
}

// A bundle in a scratch directory: Contents/MacOS and Contents/Resources, optionally with the
// menu nib and a directory named like the executable among the resources.
struct scratch_bundle {
  std::string path;
  std::string resources;

  scratch_bundle(const std::string &root, bool with_nib, bool with_own_directory)
      : path(root + "/Greeter.app"), resources(path + "/Contents/Resources") {
    mkdir(path.c_str(), 0755);
    mkdir((path + "/Contents").c_str(), 0755);
    mkdir((path + "/Contents/MacOS").c_str(), 0755);
    mkdir(resources.c_str(), 0755);
    if (with_nib) std::ofstream(resources + "/MainMenu.nib") << "nib";
    if (with_own_directory) mkdir((resources + "/greeter").c_str(), 0755);
    standin_set_bundle(path.c_str(), "Greeter");
    standin_set_process_name("greeter");
  }
};

TEST_F(ApplicationHostTest, ABundleWithANibGetsItsMenuFromTheNib) {
  corvane::testing::scoped_work_dir dir;
  const auto child = run_in_child([&] {
    const scratch_bundle bundle(dir.path(), true, false);
    macosx_testing::application_main = [](int, char **) {
      std::fprintf(stderr, "menu %s\n", main_menu().c_str());
      return 3;
    };
    char program[] = "greeter";
    char *argv[] = {program, nullptr};
    return run_application_host(1, argv) + 100;
  });
  ASSERT_TRUE(child.exited) << child.error_output;
  EXPECT_EQ(child.status, 3);
  EXPECT_NE(child.error_output.find("menu MainMenu{}\n"), std::string::npos) << child.error_output;
}

TEST_F(ApplicationHostTest, TheBundleGivesTheDirectoryAndTheArguments) {
  corvane::testing::scoped_work_dir dir;
  {
    const scratch_bundle bundle(dir.path(), false, true);
    CorvaneAppDelegate *delegate = [[CorvaneAppDelegate alloc] init];
    EXPECT_TRUE([delegate application:nil openFile:@"/Users/me/level 2.map"]);
    [delegate release];
    saved_argc = 0;
    saved_argv = nullptr;
    settle_in_bundle();
    EXPECT_TRUE(running_from_bundle());
    EXPECT_EQ(current_directory(), bundle.resources + "/greeter");
    ASSERT_EQ(saved_argc, 2);
    EXPECT_EQ(std::string(saved_argv[0]), bundle.path);
    EXPECT_STREQ(saved_argv[1], "/Users/me/level 2.map");

    ASSERT_EQ(startup_corvane(SYSTEM_MACOSX, nullptr, nullptr), 0);
    char path[1024];
    query_executable_path(path, sizeof path);
    EXPECT_EQ(std::string(path), bundle.path);

    // Resources are looked for in the bundle before the home directory.
    const corvane::testing::env_guard home("HOME", dir.path());
    std::ofstream(dir.file("levels.dat")) << "home";
    char found[256];
    ASSERT_EQ(system_macosx.locate_resource_hook(found, "levels.dat", sizeof found), 0);
    EXPECT_EQ(std::string(found), dir.file("levels.dat"));
    std::ofstream(bundle.resources + "/levels.dat") << "bundle";
    ASSERT_EQ(system_macosx.locate_resource_hook(found, "levels.dat", sizeof found), 0);
    EXPECT_EQ(std::string(found), bundle.resources + "/levels.dat");
    EXPECT_EQ(system_macosx.locate_resource_hook(found, "missing.dat", sizeof found), -1);
  }
  std::free(saved_argv[0]);
  std::free(saved_argv);
  std::free(opened_file);
  opened_file = nullptr;
  [main_bundle release];
  main_bundle = nil;
}

TEST_F(ApplicationHostTest, WithoutADirectoryOfItsOwnTheProgramStartsAmongTheResources) {
  corvane::testing::scoped_work_dir dir;
  const scratch_bundle bundle(dir.path(), false, false);
  settle_in_bundle();
  EXPECT_EQ(current_directory(), bundle.resources);
  EXPECT_EQ(saved_argc, 1);
  std::free(saved_argv[0]);
  std::free(saved_argv);
  [main_bundle release];
  main_bundle = nil;
}

TEST_F(ApplicationHostTest, TheLoopRunsAtTheDisplaysRateOr70Hz) {
  standin_set_display_mode(1024, 768, 32, 85);
  read_refresh_rate();
  EXPECT_EQ(refresh_rate.load(), 85);
  EXPECT_EQ(event_loop_pass(), 1000000U / 85);
  standin_set_display_mode(1024, 768, 32, 0);
  read_refresh_rate();
  EXPECT_EQ(refresh_rate.load(), 70);
  EXPECT_EQ(event_loop_pass(), 14285U);
  standin_set_display_mode(1024, 768, 32, -1);  // no "RefreshRate" at all
  refresh_rate = 60;
  read_refresh_rate();
  EXPECT_EQ(refresh_rate.load(), 70);
  standin_remove_display_mode();
  refresh_rate = 60;
  CorvaneAppDelegate *delegate = [[CorvaneAppDelegate alloc] init];
  [delegate applicationDidChangeScreenParameters:nil];
  [delegate release];
  EXPECT_EQ(refresh_rate.load(), 70);
}

int refreshes = 0;
bool refresh_found_events_free = false;
void count_refresh() {
  ++refreshes;
  refresh_found_events_free =
      free_for_other_threads(event_mutex.load(), std::chrono::milliseconds(2000));
}
bool handler_found_events_held = false;
int handled = 0;
bool take_mouse_events(NSEvent *event) {
  ++handled;
  handler_found_events_held =
      !free_for_other_threads(event_mutex.load(), std::chrono::milliseconds(50));
  return [event type] == NSLeftMouseDown;
}

TEST_F(ApplicationHostTest, TheLoopRefreshesTheWindowLoadsThePaletteAndDispatchesUnderTheMutex) {
  [NSApplication sharedApplication];
  standin_clear_call_log();
  event_mutex = mutex_create();
  const window_hooks hooks{.refresh_window = count_refresh};
  set_window_hooks(&hooks);
  ASSERT_TRUE(add_event_handler(NSEventMaskFromType(NSLeftMouseDown) |
                                    NSEventMaskFromType(NSMouseMoved),
                                take_mouse_events));

  display_state = DISPLAY_NONE;
  palette_dirty = true;
  hardware_palette = reinterpret_cast<CGDirectPaletteRef>(0x5000);
  event_loop_pass();
  EXPECT_EQ(refreshes, 0);
  EXPECT_TRUE(palette_dirty.load());

  display_state = DISPLAY_WINDOW;
  event_loop_pass();
  EXPECT_EQ(refreshes, 1);
  EXPECT_TRUE(refresh_found_events_free);
  EXPECT_TRUE(palette_dirty.load());

  display_state = DISPLAY_FULLSCREEN;
  standin_post_event(NSLeftMouseDown);
  standin_post_event(NSMouseMoved);
  standin_post_event(NSScrollWheel);
  event_loop_pass();
  EXPECT_EQ(refreshes, 1);
  EXPECT_FALSE(palette_dirty.load());
  EXPECT_EQ(handled, 2);
  EXPECT_TRUE(handler_found_events_held);
  // What no handler consumed goes on to the application.
  EXPECT_EQ(call_log(), "CGDisplaySetPalette 0x5000\nsendEvent: 5\nsendEvent: 22\n");
  event_loop_pass();
  EXPECT_EQ(call_log(), "CGDisplaySetPalette 0x5000\nsendEvent: 5\nsendEvent: 22\n");

  remove_event_handler(take_mouse_events);
  set_window_hooks(nullptr);
  display_state = DISPLAY_NONE;
  mutex_destroy(event_mutex.exchange(nullptr));
}

int close_requests = 0;
void count_close_request() { ++close_requests; }

TEST_F(ApplicationHostTest, QuitGoesToTheCloseCallbackAndIsRefused) {
  [NSApplication sharedApplication];
  CorvaneAppDelegate *delegate = [[CorvaneAppDelegate alloc] init];
  [NSApp setDelegate:delegate];
  [NSApp terminate:nil];  // no callback: refused all the same
  ASSERT_EQ(startup_corvane(SYSTEM_MACOSX, nullptr, nullptr), 0);
  ASSERT_EQ(set_close_button_callback(count_close_request), 0);
  [NSApp terminate:nil];
  EXPECT_EQ(close_requests, 1);
  EXPECT_NE(call_log().find("terminate: 0\n"), std::string::npos);
  EXPECT_EQ(call_log().find("terminate: 1"), std::string::npos);
  [NSApp setDelegate:nil];
  [delegate release];
}

}  // namespace
