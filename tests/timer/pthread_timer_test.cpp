// The 'PTHR' driver with its real thread: handlers are served at their rate, the retrace counts on
// its own, and removal stops the thread for good.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "corvane/system.h"
#include "corvane/timer.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

std::atomic<int> ms_calls{0};
void count_ms() { ms_calls.fetch_add(1, std::memory_order_relaxed); }

void count_param(void *counter) {
  static_cast<std::atomic<int> *>(counter)->fetch_add(1, std::memory_order_relaxed);
}

class PthreadTimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ms_calls.store(0);
    reset_test_system();
    ASSERT_EQ(start_with_test_system(), 0);
    give_test_system_mutexes();
    the_test_system().timer_drivers = default_timer_driver_list;
    ASSERT_EQ(install_timer_system(), 0);
    ASSERT_EQ(current_timer_driver, &timer_pthreads);
  }
  void TearDown() override { shutdown_corvane(); }
};

TEST_F(PthreadTimerTest, MillisecondHandlerRunsAboutAThousandTimesASecond) {
  ASSERT_EQ(add_timer_handler_ms(count_ms, 1), 0);
  const auto start = std::chrono::steady_clock::now();
  rest_ms(1000);
  const int calls = ms_calls.load();
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
  // The dispatcher catches up late wake-ups, so the count follows the time that really passed;
  // the bounds only allow for the last pass not yet dispatched and a slow machine.
  EXPECT_GE(calls, 700) << "after " << took << " ms";
  EXPECT_LE(calls, took + 50) << "after " << took << " ms";
}

TEST_F(PthreadTimerTest, RetraceCountsOnTheTimerThread) {
  set_retrace_count(0);
  rest_ms(300);
  const int count = get_retrace_count();
  EXPECT_GE(count, 14);  // 21 expected in 300 ms
  EXPECT_LE(count, 40);
}

TEST_F(PthreadTimerTest, ParameterHandlerRunsOnTheThread) {
  std::atomic<int> counter{0};
  ASSERT_EQ(add_param_timer_handler(count_param, &counter, TICKS_PER_MS * 5), 0);
  rest_ms(200);
  remove_param_timer_handler(count_param, &counter);
  const int calls = counter.load();
  EXPECT_GE(calls, 20);
  EXPECT_LE(calls, 60);
  // Once removed it is not called again.
  rest_ms(30);
  EXPECT_EQ(counter.load(), calls);
}

TEST_F(PthreadTimerTest, RemovalStopsTheThread) {
  ASSERT_EQ(add_timer_handler_ms(count_ms, 1), 0);
  rest_ms(50);
  remove_timer();
  const int calls = ms_calls.load();
  EXPECT_GT(calls, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ms_calls.load(), calls);
  EXPECT_EQ(current_timer_driver, nullptr);
  EXPECT_EQ(the_test_system().mutexes_alive, 0);
}

TEST_F(PthreadTimerTest, HandlersMayBeAddedAndRemovedWhileTheThreadRuns) {
  for (int round = 0; round < 50; ++round) {
    ASSERT_EQ(add_timer_handler(count_ms, 200 + round), 0);
    std::this_thread::sleep_for(std::chrono::microseconds(500));
    remove_timer_handler(count_ms);
  }
  // A handler added while the thread sleeps is served from its next wake-up on (at most
  // MAX_DISPATCH_DELAY ticks later).
  ASSERT_EQ(add_timer_handler(count_ms, TICKS_PER_MS), 0);
  rest_ms(60);
  EXPECT_GT(ms_calls.load(), 0);
}

// shutdown_corvane from a handler: the thread ends once the handler returns, calls nothing more,
// and a new start-up gets a thread of its own.
std::atomic<int> shutdown_calls{0};
std::atomic<bool> shut_down{false};
void shut_down_from_handler() {
  if (shutdown_calls.fetch_add(1) > 0) return;
  shutdown_corvane();
  shut_down.store(true);
}

TEST_F(PthreadTimerTest, ShutdownFromAHandlerLeavesNoTimerThread) {
  shutdown_calls.store(0);
  shut_down.store(false);
  ASSERT_EQ(add_timer_handler_ms(shut_down_from_handler, 1), 0);
  while (!shut_down.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(current_timer_driver, nullptr);

  ASSERT_EQ(start_with_test_system(), 0);
  give_test_system_mutexes();
  the_test_system().timer_drivers = default_timer_driver_list;
  ASSERT_EQ(add_timer_handler_ms(count_ms, 1), 0);
  // The new thread's first pass comes within one sleep; a loaded machine may take longer.
  for (int i = 0; i < 200 && ms_calls.load() == 0; ++i) rest_ms(10);
  EXPECT_GT(ms_calls.load(), 0);
  EXPECT_EQ(shutdown_calls.load(), 1);
}

}  // namespace
