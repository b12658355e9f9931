// Start-up, shutdown, the exit-function list and the version check.
#include <gtest/gtest.h>

#include <sys/utsname.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/exit_functions.h"
#include "corvane/color.h"
#include "corvane/gfx.h"
#include "corvane/keyboard.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "support/test_system.h"

namespace {

std::vector<std::string> calls;

void exit_a() { calls.emplace_back("A"); }
void exit_b() { calls.emplace_back("B"); }
void exit_c() { calls.emplace_back("C"); }
void exit_late() { calls.emplace_back("late"); }
void exit_registers_late() {
  calls.emplace_back("registers");
  register_exit_func(exit_late, "late");
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override { calls.clear(); }
  void TearDown() override { shutdown_corvane(); }
};

TEST_F(StartupTest, NoneDriverStartsButOffersNoDevices) {
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  ASSERT_EQ(current_system_driver, &system_none);
  EXPECT_STREQ(current_system_driver->name, "Agnostic");
  EXPECT_STREQ(current_system_driver->description, "Agnostic");
  EXPECT_EQ(install_count, 1);

  // Every family finds its list empty: nothing can be installed.
  EXPECT_EQ(install_keyboard(), -1);
  EXPECT_EQ(install_timer_system(), -1);
  EXPECT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), -1);

  // Without the platform's answers the generic ones are given.
  char path[16];
  query_executable_path(path, sizeof path);
  EXPECT_STREQ(path, "./");
  ::testing::internal::CaptureStdout();
  show_message("%s\n", "to standard output");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "to standard output\n");
}

TEST_F(StartupTest, UnknownIdFailsWithEmptyErrorText) {
  std::snprintf(error_text, sizeof error_text, "stale");
  EXPECT_EQ(startup_corvane(CORVANE_ID('X', 'X', 'X', 'X'), nullptr, nullptr), -1);
  EXPECT_EQ(current_system_driver, nullptr);
  EXPECT_STREQ(error_text, "");
  EXPECT_EQ(install_count, 0);
}

TEST_F(StartupTest, ErrorNumberLocationDefaultsToErrno) {
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  EXPECT_EQ(errno_location, &errno);
  set_error_number(ENOENT);
  EXPECT_EQ(errno, ENOENT);
}

TEST_F(StartupTest, ErrorNumbersGoToTheCallersLocation) {
  int my_errno = 0;
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, &my_errno, nullptr), 0);
  EXPECT_EQ(errno_location, &my_errno);
  set_error_number(EDOM);
  EXPECT_EQ(my_errno, EDOM);
  EXPECT_EQ(get_error_number(), EDOM);
}

TEST_F(StartupTest, ExitFunctionsRunNewestFirstAndOnlyOnce) {
  ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
  auto &sys = corvane::testing::the_test_system();
  register_exit_func(exit_a, "A");
  register_exit_func(exit_b, "B");
  register_exit_func(exit_c, "C");
  shutdown_corvane();
  EXPECT_EQ(calls, (std::vector<std::string>{"C", "B", "A"}));
  EXPECT_EQ(sys.exit_calls, 1);
  EXPECT_EQ(current_system_driver, nullptr);

  shutdown_corvane();
  EXPECT_EQ(calls.size(), 3u);
  EXPECT_EQ(sys.exit_calls, 1);
}

TEST_F(StartupTest, RegisteringTwiceKeepsOneNodeWithTheFirstDescription) {
  register_exit_func(exit_a, "first");
  register_exit_func(exit_a, "second");
  const corvane::exit_func_node *head = corvane::exit_func_head();
  ASSERT_NE(head, nullptr);
  EXPECT_STREQ(head->description, "first");
  EXPECT_EQ(head->next, nullptr);
  shutdown_corvane();
  EXPECT_EQ(calls, (std::vector<std::string>{"A"}));
}

TEST_F(StartupTest, UnregisterRemovesOnlyTheNamedFunction) {
  register_exit_func(exit_a, "A");
  register_exit_func(exit_b, "B");
  unregister_exit_func(exit_a);
  unregister_exit_func(exit_c);  // not registered: ignored
  shutdown_corvane();
  EXPECT_EQ(calls, (std::vector<std::string>{"B"}));
}

TEST_F(StartupTest, FunctionRegisteredDuringShutdownRunsInTheSameLoop) {
  register_exit_func(exit_a, "A");
  register_exit_func(exit_registers_late, "registers");
  shutdown_corvane();
  EXPECT_EQ(calls, (std::vector<std::string>{"registers", "late", "A"}));
  EXPECT_EQ(corvane::exit_func_head(), nullptr);
}

TEST_F(StartupTest, ShutdownFreesTheScratchBuffer) {
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  ASSERT_NE(grow_scratch_buffer(100), nullptr);
  EXPECT_EQ(scratch_buffer_size, 100);
  EXPECT_EQ(grow_scratch_buffer(50), scratch_buffer);  // never shrinks
  shutdown_corvane();
  EXPECT_EQ(scratch_buffer, nullptr);
  EXPECT_EQ(scratch_buffer_size, 0);
}

TEST_F(StartupTest, ShutdownLeavesTheInstallCount) {
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  EXPECT_EQ(install_count, 2);
  shutdown_corvane();
  EXPECT_EQ(install_count, 2);
}

int registrar_calls = 0;
void (*registered_handler)() = nullptr;
int fake_atexit(void (*handler)()) {
  ++registrar_calls;
  registered_handler = handler;
  return 0;
}

TEST_F(StartupTest, ExitHandlerIsRegisteredOncePerProcess) {
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, fake_atexit), 0);
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, fake_atexit), 0);
  EXPECT_EQ(registrar_calls, 1);
  ASSERT_NE(registered_handler, nullptr);

  register_exit_func(exit_a, "A");
  registered_handler();  // the handler shuts the library down
  EXPECT_EQ(calls, (std::vector<std::string>{"A"}));
  EXPECT_EQ(current_system_driver, nullptr);
}

TEST_F(StartupTest, FailedStartupDoesNotRegisterTheExitHandler) {
  registrar_calls = 0;
  EXPECT_EQ(startup_corvane(CORVANE_ID('N', 'O', 'P', 'E'), nullptr, fake_atexit), -1);
  EXPECT_EQ(registrar_calls, 0);
}

struct version_case {
  int version;
  bool accepted;
  const char *message;
};

class VersionTest : public StartupTest, public ::testing::WithParamInterface<version_case> {};

TEST_P(VersionTest, AcceptsOnlyCompatibleVersions) {
  const version_case &c = GetParam();
  const int result = startup_corvane_versioned(SYSTEM_NONE, nullptr, nullptr, c.version);
  EXPECT_EQ(result, c.accepted ? 0 : -1);
  EXPECT_STREQ(error_text, c.message);
  // The library stays started either way.
  EXPECT_EQ(current_system_driver, &system_none);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionTest,
    ::testing::Values(
        version_case{0x40200, true, ""}, version_case{0x40201, true, ""},
        version_case{0x40202, false,
                     "The detected dynamic Corvane library (4.2.1) is not compatible with this "
                     "program (4.2.2)."},
        version_case{0x40101, false,
                     "The detected dynamic Corvane library (4.2.1) is not compatible with this "
                     "program (4.1.1)."}));

TEST_F(StartupTest, VersionedStartupPassesOnAStartupFailure) {
  EXPECT_EQ(startup_corvane_versioned(CORVANE_ID('N', 'O', 'P', 'E'), nullptr, nullptr, 0x40201),
            -1);
  EXPECT_STREQ(error_text, "");
}

TEST(DriverListTest, LookupFindsTheFirstMatchOrNull) {
  int first = 1;
  int second = 2;
  driver_list_entry list[] = {{CORVANE_ID('A', 'A', 'A', 'A'), &first, -1},
                              {CORVANE_ID('B', 'B', 'B', 'B'), &second, 0},
                              {CORVANE_ID('A', 'A', 'A', 'A'), &second, 0},
                              {0, nullptr, 0}};
  EXPECT_EQ(find_driver_in_list(list, CORVANE_ID('A', 'A', 'A', 'A')), &first);
  EXPECT_EQ(find_driver_in_list(list, CORVANE_ID('B', 'B', 'B', 'B')), &second);
  EXPECT_EQ(find_driver_in_list(list, CORVANE_ID('C', 'C', 'C', 'C')), nullptr);
  EXPECT_EQ(find_driver_in_list(empty_driver_list, 0), nullptr);
  EXPECT_EQ(find_driver_in_list(nullptr, 0), nullptr);
}

TEST(DriverListTest, FourCharacterIdsPutTheFirstLetterHighest) {
  EXPECT_EQ(CORVANE_ID('O', 'S', 'X', ' '), ('O' << 24) | ('S' << 16) | ('X' << 8) | ' ');
  EXPECT_EQ(CORVANE_ID('\xFF', 0, 0, 1), static_cast<int>(0xFF000001u));  // bytes, not chars
}

TEST(IdentificationTest, NamesTheVersionAndTheHost) {
  struct utsname host {};
  ASSERT_EQ(uname(&host), 0);
  char expected[128];
  std::snprintf(expected, sizeof expected, "Corvane %d.%d.%d, %s", CORVANE_VERSION_MAJOR,
                CORVANE_VERSION_MINOR, CORVANE_VERSION_PATCH, host.sysname);
  EXPECT_STREQ(corvane_id_string, expected);
}

TEST_F(StartupTest, StartupMakesTheStartPalettesWhole) {
  desktop_palette[20] = rgb_entry{1, 2, 3, 0};
  black_palette[7] = rgb_entry{9, 9, 9, 0};
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  for (int i = 16; i < PALETTE_SIZE; ++i) {
    EXPECT_EQ(std::memcmp(&desktop_palette[i], &desktop_palette[i % 16], sizeof(rgb_entry)), 0)
        << i;
  }
  for (const rgb_entry &entry : black_palette) {
    EXPECT_EQ(entry.r | entry.g | entry.b | entry.filler, 0);
  }
}

}  // namespace
