// Rests: the yield of a zero rest, the thread driver's rest (also when signals interrupt it), the
// rest counted by a timer handler, and the rest taken before any timer is installed.
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "corvane/system.h"
#include "corvane/timer.h"
#include "support/manual_timer.h"
#include "support/test_system.h"
#include "timer/timer_internal.h"

namespace {

using namespace corvane::testing;
using clock_type = std::chrono::steady_clock;

long long elapsed_ms(clock_type::time_point since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(clock_type::now() - since).count();
}

int callback_calls = 0;
void count_callback() { ++callback_calls; }

// Each call advances the threadless timer by one millisecond, so a counted rest ends after
// exactly as many calls as it has milliseconds.
void advance_one_ms() {
  ++callback_calls;
  advance_ms(1);
}

TEST(Rest, ZeroOnlyYields) {
  ASSERT_EQ(start_with_manual_timer(), 0);
  rest_ms(0);
  EXPECT_EQ(the_test_system().yield_calls, 1);
  rest_ms_callback(0, count_callback);
  EXPECT_EQ(the_test_system().yield_calls, 2);
  EXPECT_EQ(callback_calls, 0);
  rest_ms(-5);
  EXPECT_EQ(the_test_system().yield_calls, 3);
  shutdown_corvane();
}

TEST(Rest, WithoutATimerRestsTheFullTime) {
  // Nothing installed, not even the library: the rest is taken on the monotonic clock.
  const auto start = clock_type::now();
  rest_ms(60);
  EXPECT_GE(elapsed_ms(start), 60);

  callback_calls = 0;
  const auto again = clock_type::now();
  rest_ms_callback(30, count_callback);
  EXPECT_GE(elapsed_ms(again), 30);
  EXPECT_GE(callback_calls, 1);
}

TEST(Rest, DriverWithoutRestCountsTheRestWithAHandler) {
  ASSERT_EQ(start_with_manual_timer(), 0);
  ASSERT_EQ(install_timer_system(), 0);
  callback_calls = 0;
  rest_ms_callback(7, advance_one_ms);
  EXPECT_EQ(callback_calls, 7);
  // The counting handler is gone afterwards.
  advance_ms(5);
  EXPECT_EQ(callback_calls, 7);
  for (const auto &slot : corvane::timer_slots) EXPECT_EQ(slot.proc, nullptr);
  shutdown_corvane();
}

int driver_rest_ms = -1;
void (*driver_rest_callback)() = nullptr;
void record_rest(int ms, void (*callback)()) {
  driver_rest_ms = ms;
  driver_rest_callback = callback;
}

TEST(Rest, DriverWithARestOfItsOwnIsHandedTheRest) {
  reset_manual_timer();
  the_manual_timer().driver.rest = record_rest;
  ASSERT_EQ(start_with_manual_timer(), 0);
  ASSERT_EQ(install_timer_system(), 0);
  rest_ms_callback(42, count_callback);
  EXPECT_EQ(driver_rest_ms, 42);
  EXPECT_EQ(driver_rest_callback, count_callback);
  rest_ms(3);
  EXPECT_EQ(driver_rest_ms, 3);
  EXPECT_EQ(driver_rest_callback, nullptr);
  shutdown_corvane();
}

class ThreadDriverRest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_system();
    ASSERT_EQ(start_with_test_system(), 0);
    give_test_system_mutexes();
    the_test_system().timer_drivers = default_timer_driver_list;
    ASSERT_EQ(install_timer_system(), 0);
    ASSERT_EQ(current_timer_driver, &timer_pthreads);
  }
  void TearDown() override { shutdown_corvane(); }
};

TEST_F(ThreadDriverRest, RestLastsAtLeastTheTimeAsked) {
  const auto start = clock_type::now();
  rest_ms(100);
  EXPECT_GE(elapsed_ms(start), 100);
}

std::atomic<int> signals_caught{0};
void catch_signal(int) { signals_caught.fetch_add(1, std::memory_order_relaxed); }

TEST_F(ThreadDriverRest, SignalsDoNotCutTheRestShort) {
  struct sigaction action {};
  action.sa_handler = catch_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: every signal interrupts the sleep
  struct sigaction previous {};
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);

  // A helper thread interrupts the resting thread every 10 ms.
  const pthread_t resting = pthread_self();
  std::atomic<bool> done{false};
  std::atomic<int> sent{0};
  std::thread interrupter([&] {
    while (!done.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (!done.load() && pthread_kill(resting, SIGUSR1) == 0) sent.fetch_add(1);
    }
  });

  const auto start = clock_type::now();
  rest_ms(100);
  const long long took = elapsed_ms(start);
  done.store(true);
  interrupter.join();
  sigaction(SIGUSR1, &previous, nullptr);

  EXPECT_GE(took, 100);
  // The signals really were sent while resting (a sanitizer may defer running their handler).
  EXPECT_GE(sent.load(), 3);
}

TEST_F(ThreadDriverRest, CallbackRestCallsTheCallbackUntilTheTimeIsUp) {
  callback_calls = 0;
  const auto start = clock_type::now();
  rest_ms_callback(20, count_callback);
  EXPECT_GE(elapsed_ms(start), 20);
  EXPECT_GE(callback_calls, 1);
}

}  // namespace
