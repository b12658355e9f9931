// Messages, the trace log and assertion reports.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "corvane/system.h"
#include "support/env_guard.h"
#include "support/test_system.h"

namespace {

using corvane::testing::file_exists_on_disk;
using corvane::testing::read_file;
using corvane::testing::scoped_work_dir;

class DiagnosticsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    shutdown_corvane();
    trace_hook = nullptr;
    assert_hook = nullptr;
  }
  corvane::testing::env_guard trace_file_{"CORVANE_TRACE", nullptr};
  corvane::testing::env_guard assert_file_{"CORVANE_ASSERT", nullptr};
  scoped_work_dir dir_;
};

TEST_F(DiagnosticsTest, NoTraceFileUntilTheFirstLine) {
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  EXPECT_FALSE(file_exists_on_disk(dir_.file("corvane.log")));
  write_trace("first %d\n", 1);
  EXPECT_EQ(read_file(dir_.file("corvane.log")), "first 1\n");
  write_trace("no newline is added");
  EXPECT_EQ(read_file(dir_.file("corvane.log")), "first 1\nno newline is added");
}

TEST_F(DiagnosticsTest, TraceHonoursTheEnvironmentAndKeepsTheErrorNumber) {
  trace_file_.set(dir_.file("elsewhere.txt").c_str());
  errno = EDOM;
  write_trace("line\n");
  EXPECT_EQ(errno, EDOM);
  EXPECT_EQ(read_file(dir_.file("elsewhere.txt")), "line\n");
  EXPECT_FALSE(file_exists_on_disk(dir_.file("corvane.log")));
}

TEST_F(DiagnosticsTest, DebugExitClosesAndTheNextLineTruncates) {
  write_trace("one\n");
  debug_exit();
  write_trace("two\n");
  EXPECT_EQ(read_file(dir_.file("corvane.log")), "two\n");
}

TEST_F(DiagnosticsTest, ShutdownRunsDebugExitRegisteredByTheFirstTrace) {
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  write_trace("before\n");
  shutdown_corvane();
  write_trace("after\n");  // the file was closed and is opened (truncated) again
  EXPECT_EQ(read_file(dir_.file("corvane.log")), "after\n");
}

TEST_F(DiagnosticsTest, TraceHookTakesTheLine) {
  static std::string seen;
  trace_hook = [](const char *text) {
    seen = text;
    return 1;
  };
  write_trace("hooked %s", "line");
  EXPECT_EQ(seen, "hooked line");
  EXPECT_FALSE(file_exists_on_disk(dir_.file("corvane.log")));
}

TEST_F(DiagnosticsTest, OverlongTraceLineIsCut) {
  const std::string huge(10000, 'x');
  write_trace("%s", huge.c_str());
  const std::string written = read_file(dir_.file("corvane.log"));
  EXPECT_GT(written.size(), 100u);
  EXPECT_LT(written.size(), huge.size());
  EXPECT_EQ(written.find_first_not_of('x'), std::string::npos);
}

TEST_F(DiagnosticsTest, AssertionGoesToTheAssertFile) {
  assert_file_.set(dir_.file("asserts.txt").c_str());
  report_assert("game.c", 42);
  report_assert("other.c", 7);
  EXPECT_EQ(read_file(dir_.file("asserts.txt")),
            "Assert failed at line 42 of game.c\nAssert failed at line 7 of other.c\n");
}

TEST_F(DiagnosticsTest, AssertHookTakesTheReport) {
  static std::string seen;
  assert_hook = [](const char *text) {
    seen = text;
    return 1;
  };
  report_assert("hook.c", 3);
  EXPECT_EQ(seen, "Assert failed at line 3 of hook.c");
}

std::string reported_by_driver;
void driver_report(const char *text) { reported_by_driver = text; }

TEST_F(DiagnosticsTest, AssertionWithoutFileGoesToTheDriverOnlyOnce) {
  ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
  corvane::testing::the_test_system().driver.report_assert_op = driver_report;
  report_assert("a.c", 1);
  EXPECT_EQ(reported_by_driver, "Assert failed at line 1 of a.c");
  report_assert("b.c", 2);  // already reported without a file: ignored
  EXPECT_EQ(reported_by_driver, "Assert failed at line 1 of a.c");
}

void abort_without_hook() {
  (void)startup_corvane(SYSTEM_NONE, nullptr, nullptr);
  report_assert("fatal.c", 99);
}

TEST_F(DiagnosticsTest, AssertionWithoutFileOrHookAbortsAfterShutdown) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(abort_without_hook(), "Assert failed at line 99 of fatal.c");
}

TEST_F(DiagnosticsTest, ShowMessageWritesToStandardOutput) {
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  ::testing::internal::CaptureStdout();
  show_message("Unable to set any graphic mode\n%s\n", "no driver");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Unable to set any graphic mode\nno driver\n");
}

std::string shown_by_driver;
void driver_show(const char *text) { shown_by_driver = text; }

TEST_F(DiagnosticsTest, ShowMessageGoesToTheDriverWhenItCanShowIt) {
  ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
  corvane::testing::the_test_system().driver.show_message_op = driver_show;
  ::testing::internal::CaptureStdout();
  show_message("%d apples", 3);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(shown_by_driver, "3 apples");
}

TEST_F(DiagnosticsTest, LongMessagesAreBoundedTo4096Bytes) {
  const std::string huge(20000, 'm');
  ::testing::internal::CaptureStdout();
  show_message("%s", huge.c_str());
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.size(), 4095u);
  show_message(nullptr);  // nothing happens
}

TEST_F(DiagnosticsTest, ErrorTextHelpersAreBoundedAndKeepTheFirstReason) {
  const std::string huge(1000, 'e');
  set_error_text(huge.c_str());
  EXPECT_EQ(std::string(error_text).size(), static_cast<size_t>(ERROR_TEXT_SIZE - 1));
  set_error_text("driver's own reason");
  set_error_text_if_empty("generic reason");
  EXPECT_STREQ(error_text, "driver's own reason");
  error_text[0] = 0;
  set_error_text_if_empty("generic reason");
  EXPECT_STREQ(error_text, "generic reason");
}

}  // namespace
