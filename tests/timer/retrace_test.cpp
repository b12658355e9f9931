// The simulated retrace counter and the driver's retrace simulation.
#include <gtest/gtest.h>

#include <atomic>

#include "corvane/system.h"
#include "corvane/timer.h"
#include "support/manual_timer.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

int retrace_calls = 0;
void count_retrace() { ++retrace_calls; }

// Dispatches one second in steps of a millisecond, as a heartbeat would.
void advance_one_second() {
  int left = TIMER_TICKS_PER_SECOND;
  while (left > 0) {
    const int step = left < TICKS_PER_MS ? left : TICKS_PER_MS;
    advance_ticks(step);
    left -= step;
  }
}

void set_vsync_speed(int speed) {
  std::atomic_ref<int>(vsync_speed).store(speed, std::memory_order_relaxed);
}

class RetraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    retrace_calls = 0;
    ASSERT_EQ(start_with_manual_timer(), 0);
    ASSERT_EQ(install_timer_system(), 0);
    set_retrace_count(0);
  }
  void TearDown() override {
    set_vsync_speed(DEFAULT_VSYNC_SPEED);
    shutdown_corvane();
  }
};

TEST_F(RetraceTest, CounterGrowsSeventyTimesASecondAndCallsTheRetraceProc) {
  std::atomic_ref<void (*)()>(retrace_proc).store(count_retrace);
  advance_ticks(DEFAULT_VSYNC_SPEED - 1);
  EXPECT_EQ(get_retrace_count(), 0);
  advance_ticks(1);
  EXPECT_EQ(get_retrace_count(), 1);
  set_retrace_count(0);
  retrace_calls = 0;
  advance_one_second();
  EXPECT_EQ(get_retrace_count(), 70);
  EXPECT_EQ(retrace_calls, 70);
}

TEST_F(RetraceTest, MissedRetracesAreCountedInOneDispatch) {
  advance_ticks(DEFAULT_VSYNC_SPEED * 5);
  EXPECT_EQ(get_retrace_count(), 5);
}

TEST_F(RetraceTest, ProgramMayResetTheCounter) {
  advance_ticks(DEFAULT_VSYNC_SPEED * 3);
  set_retrace_count(100);
  advance_ticks(DEFAULT_VSYNC_SPEED);
  EXPECT_EQ(get_retrace_count(), 101);
  EXPECT_EQ(retrace_count, 101);
}

TEST_F(RetraceTest, VsyncSpeedSetsTheRate) {
  set_vsync_speed(TIMER_TICKS_PER_SECOND / 60);
  advance_ticks(DEFAULT_VSYNC_SPEED);  // the retrace already counting down at the old speed
  set_retrace_count(0);
  advance_one_second();
  EXPECT_EQ(get_retrace_count(), 60);
}

TEST_F(RetraceTest, VsyncSpeedOfZeroCountsAsTheDefaultInsteadOfSpinning) {
  set_vsync_speed(0);
  advance_ticks(DEFAULT_VSYNC_SPEED * 2);
  EXPECT_EQ(get_retrace_count(), 2);
  set_vsync_speed(-5);
  advance_ticks(DEFAULT_VSYNC_SPEED);
  EXPECT_EQ(get_retrace_count(), 3);
}

TEST_F(RetraceTest, InstallingAgainForgetsTheRetraceProc) {
  std::atomic_ref<void (*)()>(retrace_proc).store(count_retrace);
  remove_timer();
  ASSERT_EQ(install_timer_system(), 0);
  EXPECT_EQ(retrace_proc, nullptr);
  advance_ticks(DEFAULT_VSYNC_SPEED);
  EXPECT_EQ(retrace_calls, 0);
}

int can_simulate_argument = -100;
int simulate_flag = -100;
int can_simulate(int argument) {
  can_simulate_argument = argument;
  return argument == 1 ? -1 : 0;
}
void simulate(int flag) { simulate_flag = flag; }

TEST(RetraceSimulation, WithoutDriverOrAbilityNothingIsPossible) {
  EXPECT_EQ(retrace_simulation_possible(1), 0);
  EXPECT_EQ(simulate_retrace_mode(1), 0);
  ASSERT_EQ(start_with_manual_timer(), 0);
  ASSERT_EQ(install_timer_system(), 0);
  EXPECT_EQ(retrace_simulation_possible(1), 0);
  EXPECT_EQ(simulate_retrace_mode(1), 0);
  shutdown_corvane();
}

TEST(RetraceSimulation, DriverIsAskedAndToldOnlyWhenPossible) {
  reset_manual_timer();
  the_manual_timer().driver.can_simulate_retrace = can_simulate;
  the_manual_timer().driver.simulate_retrace = simulate;
  ASSERT_EQ(start_with_manual_timer(), 0);
  ASSERT_EQ(install_timer_system(), 0);

  EXPECT_EQ(retrace_simulation_possible(0), 0);
  EXPECT_EQ(can_simulate_argument, 0);
  EXPECT_EQ(simulate_retrace_mode(0), 0);
  EXPECT_EQ(simulate_flag, -100);

  EXPECT_EQ(simulate_retrace_mode(1), -1);
  EXPECT_EQ(simulate_flag, 1);
  shutdown_corvane();
}

}  // namespace
