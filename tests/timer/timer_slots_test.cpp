// Handler slots and the dispatcher, driven by hand through a threadless timer driver so that
// every count is exact.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <iterator>
#include <vector>

#include "corvane/system.h"
#include "corvane/timer.h"
#include "support/manual_timer.h"
#include "support/test_system.h"
#include "timer/timer_internal.h"

namespace {

using namespace corvane::testing;

int calls = 0;
void count_call() { ++calls; }
int other_calls = 0;
void count_other() { ++other_calls; }

void count_param(void *param) { ++*static_cast<int *>(param); }

const corvane::timer_slot *slot_of(void (*proc)()) {
  for (const auto &slot : corvane::timer_slots) {
    if (slot.proc == proc) return &slot;
  }
  return nullptr;
}

int used_slots() {
  int used = 0;
  for (const auto &slot : corvane::timer_slots) {
    if (slot.proc != nullptr || slot.param_proc != nullptr) ++used;
  }
  return used;
}

class TimerSlotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls = 0;
    other_calls = 0;
    ASSERT_EQ(start_with_manual_timer(), 0);
    ASSERT_EQ(install_timer_system(), 0);
  }
  void TearDown() override { shutdown_corvane(); }
};

TEST_F(TimerSlotsTest, HandlerRunsOncePerPeriodAndCatchesUpInABurst) {
  ASSERT_EQ(add_timer_handler(count_call, 1000), 0);
  advance_ticks(999);
  EXPECT_EQ(calls, 0);
  advance_ticks(1);
  EXPECT_EQ(calls, 1);
  advance_ticks(3000);
  EXPECT_EQ(calls, 4);
  advance_ticks(2500);
  EXPECT_EQ(calls, 6);
  // The half period left over is kept: 500 more ticks make the seventh call.
  advance_ticks(499);
  EXPECT_EQ(calls, 6);
  advance_ticks(1);
  EXPECT_EQ(calls, 7);
}

TEST_F(TimerSlotsTest, MillisecondHandlerWokenTenMillisecondsLateRunsTenTimes) {
  ASSERT_EQ(add_timer_handler_ms(count_call, 1), 0);
  EXPECT_EQ(slot_of(count_call)->speed, TICKS_PER_MS);
  advance_ms(10);
  EXPECT_EQ(calls, 10);
}

TEST_F(TimerSlotsTest, AddingTheSameProcAgainChangesItsRateKeepingTheTimeWaited) {
  ASSERT_EQ(add_timer_handler(count_call, 1000), 0);
  advance_ticks(300);
  ASSERT_EQ(slot_of(count_call)->counter, 700);
  ASSERT_EQ(add_timer_handler(count_call, 500), 0);
  EXPECT_EQ(used_slots(), 1);
  EXPECT_EQ(slot_of(count_call)->speed, 500);
  EXPECT_EQ(slot_of(count_call)->counter, 200);
  advance_ticks(199);
  EXPECT_EQ(calls, 0);
  advance_ticks(1);
  EXPECT_EQ(calls, 1);
}

TEST_F(TimerSlotsTest, RateChangePastDueFiresAtTheNextDispatch) {
  ASSERT_EQ(add_timer_handler(count_call, 1000), 0);
  advance_ticks(600);
  ASSERT_EQ(slot_of(count_call)->counter, 400);
  ASSERT_EQ(add_timer_handler(count_call, 500), 0);
  EXPECT_EQ(slot_of(count_call)->counter, -100);
  advance_ticks(0);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(slot_of(count_call)->counter, 400);
}

template <int N>
void numbered_handler() {}

TEST_F(TimerSlotsTest, SeventeenthDistinctHandlerIsRefusedAndChangesNothing) {
  void (*const procs[])() = {
      numbered_handler<0>,  numbered_handler<1>,  numbered_handler<2>,  numbered_handler<3>,
      numbered_handler<4>,  numbered_handler<5>,  numbered_handler<6>,  numbered_handler<7>,
      numbered_handler<8>,  numbered_handler<9>,  numbered_handler<10>, numbered_handler<11>,
      numbered_handler<12>, numbered_handler<13>, numbered_handler<14>, numbered_handler<15>,
  };
  for (auto proc : procs) ASSERT_EQ(add_timer_handler(proc, 100), 0);
  corvane::timer_slot before[TIMER_SLOT_COUNT];
  std::copy(std::begin(corvane::timer_slots), std::end(corvane::timer_slots), before);

  EXPECT_EQ(add_timer_handler(count_call, 100), -1);
  int param = 0;
  EXPECT_EQ(add_param_timer_handler(count_param, &param, 100), -1);
  for (int i = 0; i < TIMER_SLOT_COUNT; ++i) {
    EXPECT_EQ(corvane::timer_slots[i].proc, before[i].proc);
    EXPECT_EQ(corvane::timer_slots[i].speed, before[i].speed);
  }
  // A proc already in the table may still change its rate.
  EXPECT_EQ(add_timer_handler(numbered_handler<7>, 50), 0);
  // Once a slot is free the refused handler fits.
  remove_timer_handler(numbered_handler<3>);
  EXPECT_EQ(add_timer_handler(count_call, 100), 0);
}

TEST_F(TimerSlotsTest, ParameterHandlersAreToldApartByTheirParameter) {
  int first = 0;
  int second = 0;
  ASSERT_EQ(add_param_timer_handler(count_param, &first, 100), 0);
  ASSERT_EQ(add_param_timer_handler(count_param, &second, 200), 0);
  EXPECT_EQ(used_slots(), 2);
  advance_ticks(400);
  EXPECT_EQ(first, 4);
  EXPECT_EQ(second, 2);
  remove_param_timer_handler(count_param, &first);
  advance_ticks(400);
  EXPECT_EQ(first, 4);
  EXPECT_EQ(second, 4);
}

TEST_F(TimerSlotsTest, RemovingAHandlerThatIsNotInstalledChangesNothing) {
  ASSERT_EQ(add_timer_handler(count_call, 100), 0);
  int param = 0;
  remove_timer_handler(count_other);
  remove_param_timer_handler(count_param, &param);
  // A parameter handler with the same function but another parameter is a different handler.
  ASSERT_EQ(add_param_timer_handler(count_param, &param, 100), 0);
  int other = 0;
  remove_param_timer_handler(count_param, &other);
  EXPECT_EQ(used_slots(), 2);
  advance_ticks(100);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(param, 1);
}

TEST_F(TimerSlotsTest, NullHandlersAreRefused) {
  errno = 0;
  EXPECT_EQ(add_timer_handler(nullptr, 100), -1);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(add_param_timer_handler(nullptr, nullptr, 100), -1);
  int param = 0;
  ASSERT_EQ(add_param_timer_handler(count_param, &param, 100), 0);
  // A null proc must not find the parameter slot (whose parameterless proc is null).
  EXPECT_EQ(add_timer_handler(nullptr, 5), -1);
  EXPECT_EQ(corvane::timer_slots[0].speed, 100);
  remove_timer_handler(nullptr);
  EXPECT_EQ(used_slots(), 1);
}

TEST_F(TimerSlotsTest, MillisecondPeriodsThatDoNotFitInTicksAreRefused) {
  EXPECT_EQ(add_timer_handler_ms(count_call, INT_MAX / TICKS_PER_MS + 1), -1);
  EXPECT_EQ(used_slots(), 0);
  EXPECT_EQ(add_timer_handler_ms(count_call, INT_MAX / TICKS_PER_MS), 0);
}

TEST_F(TimerSlotsTest, ZeroSpeedKeepsTheSlotButNeverCalls) {
  ASSERT_EQ(add_timer_handler(count_call, 0), 0);
  EXPECT_EQ(timer_dispatch(100000), MAX_DISPATCH_DELAY);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(used_slots(), 1);
}

TEST_F(TimerSlotsTest, DispatchReturnsTheTicksUntilTheNextHandlerCappedAtTheMaximum) {
  EXPECT_EQ(timer_dispatch(0), MAX_DISPATCH_DELAY);
  ASSERT_EQ(add_timer_handler(count_call, 100000), 0);
  EXPECT_EQ(timer_dispatch(0), MAX_DISPATCH_DELAY);
  ASSERT_EQ(add_timer_handler(count_other, 300), 0);
  EXPECT_EQ(timer_dispatch(100), 200);
  EXPECT_EQ(timer_dispatch(250), 250);
  EXPECT_EQ(other_calls, 1);
}

TEST_F(TimerSlotsTest, NegativeElapsedTimeCountsAsNone) {
  ASSERT_EQ(add_timer_handler(count_call, 100), 0);
  timer_dispatch(-1000000);
  advance_ticks(100);
  EXPECT_EQ(calls, 1);
}

int self_removing_calls = 0;
void remove_self_after_two() {
  if (++self_removing_calls == 2) remove_timer_handler(remove_self_after_two);
}

TEST_F(TimerSlotsTest, HandlerThatRemovesItselfEndsItsBurst) {
  self_removing_calls = 0;
  ASSERT_EQ(add_timer_handler(remove_self_after_two, 10), 0);
  advance_ticks(100);
  EXPECT_EQ(self_removing_calls, 2);
  EXPECT_EQ(used_slots(), 0);
}

int slowing_calls = 0;
void slow_down_after_first() {
  if (++slowing_calls == 1) add_timer_handler(slow_down_after_first, 100);
}

TEST_F(TimerSlotsTest, HandlerMayChangeItsOwnRateWhileRunning) {
  slowing_calls = 0;
  ASSERT_EQ(add_timer_handler(slow_down_after_first, 10), 0);
  // The first call at tick 10 moves the next one to tick 110.
  advance_ticks(109);
  EXPECT_EQ(slowing_calls, 1);
  advance_ticks(1);
  EXPECT_EQ(slowing_calls, 2);
}

// A driver that keeps the parameterless handlers itself.
std::vector<int> driver_speeds;
int driver_removals = 0;
int driver_install(void (*)(), int speed) {
  driver_speeds.push_back(speed);
  return 0;
}
void driver_remove(void (*)()) { ++driver_removals; }

TEST(TimerDriverBookkeeping, DriverWithItsOwnInstallTakesOverThatKind) {
  reset_manual_timer();
  the_manual_timer().driver.install_int = driver_install;
  the_manual_timer().driver.remove_int = driver_remove;
  ASSERT_EQ(start_with_manual_timer(), 0);
  ASSERT_EQ(add_timer_handler(count_call, 777), 0);
  EXPECT_EQ(driver_speeds, std::vector<int>{777});
  EXPECT_EQ(used_slots(), 0);
  remove_timer_handler(count_call);
  EXPECT_EQ(driver_removals, 1);
  // Parameter handlers still use the slot table.
  int param = 0;
  ASSERT_EQ(add_param_timer_handler(count_param, &param, 10), 0);
  EXPECT_EQ(used_slots(), 1);
  shutdown_corvane();
}

// A handler added from another handler owes nothing for the time before it existed: its first
// call comes one period after it was added, wherever its slot lies.
void add_fast_handlers() {
  add_timer_handler(count_call, 1);
  add_timer_handler(count_other, 1);
}

TEST_F(TimerSlotsTest, HandlerAddedFromAHandlerStartsAFullPeriodLater) {
  ASSERT_EQ(add_timer_handler(count_other, 1000), 0);       // slot 0, freed again below
  ASSERT_EQ(add_timer_handler(add_fast_handlers, 25), 0);  // slot 1
  remove_timer_handler(count_other);  // the new handlers take slots 0 and 2
  advance_ticks(25);
  EXPECT_EQ(calls + other_calls, 0);
  advance_ticks(1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(other_calls, 1);
}

}  // namespace
