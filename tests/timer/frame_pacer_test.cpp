// Frame pacers: steps counted at their rate, the catch-up limit, sleeping until a step is due, and
// what happens when the timer system goes away under a pacer.
#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "corvane/frame_pacer.h"
#include "corvane/system.h"
#include "corvane/timer.h"
#include "support/manual_timer.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

constexpr int period_at_60 = TIMER_TICKS_PER_SECOND / 60;  // 19886 ticks

class FramePacerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(start_with_manual_timer(), 0); }
  void TearDown() override {
    destroy_frame_pacer(pacer);
    shutdown_corvane();
  }
  frame_pacer *pacer = nullptr;
};

TEST_F(FramePacerTest, StepsFallDueAtTheRateAndAreTakenOnce) {
  pacer = create_frame_pacer(60);
  ASSERT_NE(pacer, nullptr);
  advance_ticks(period_at_60 - 1);
  advance_ticks(1);
  EXPECT_EQ(wait_for_frame_steps(pacer, 0), 1);
  advance_ticks(3 * period_at_60);
  EXPECT_EQ(wait_for_frame_steps(pacer, 0), 3);
}

TEST_F(FramePacerTest, StepsBeyondTheLimitAreDropped) {
  pacer = create_frame_pacer(60);
  ASSERT_NE(pacer, nullptr);
  advance_ticks(10 * period_at_60);
  EXPECT_EQ(wait_for_frame_steps(pacer, 4), 4);
  advance_ticks(period_at_60);
  EXPECT_EQ(wait_for_frame_steps(pacer, 4), 1) << "the six dropped steps came back";
}

TEST_F(FramePacerTest, WaitingSleepsUntilAStepIsDue) {
  pacer = create_frame_pacer(60);
  ASSERT_NE(pacer, nullptr);
  const background_ticker ticker(period_at_60 / 4);
  EXPECT_GE(wait_for_frame_steps(pacer, 0), 1);
  EXPECT_GE(ticker.beats(), 4) << "returned before a whole period had been counted";
}

TEST_F(FramePacerTest, BadRatesAndNullAreRefused) {
  for (const int rate : {0, -60, TIMER_TICKS_PER_SECOND + 1}) {
    set_error_number(0);
    EXPECT_EQ(create_frame_pacer(rate), nullptr) << rate;
    EXPECT_EQ(get_error_number(), EINVAL);
  }
  set_error_number(0);
  EXPECT_EQ(wait_for_frame_steps(nullptr, 1), -1);
  EXPECT_EQ(get_error_number(), EINVAL);
  destroy_frame_pacer(nullptr);
}

TEST_F(FramePacerTest, EachPacerTakesAHandlerSlotAndGivesItBack) {
  std::vector<frame_pacer *> pacers;
  for (int i = 0; i < TIMER_SLOT_COUNT; ++i) {
    pacers.push_back(create_frame_pacer(50));
    ASSERT_NE(pacers.back(), nullptr) << i;
  }
  EXPECT_EQ(create_frame_pacer(50), nullptr);
  destroy_frame_pacer(pacers.back());
  pacers.pop_back();
  pacer = create_frame_pacer(50);
  ASSERT_NE(pacer, nullptr);
  advance_ticks(TIMER_TICKS_PER_SECOND / 50);  // the freed pacer is not reached any more
  EXPECT_EQ(wait_for_frame_steps(pacer, 0), 1);
  for (frame_pacer *p : pacers) destroy_frame_pacer(p);
}

TEST_F(FramePacerTest, RemovingTheTimerSystemEndsTheWait) {
  pacer = create_frame_pacer(60);
  ASSERT_NE(pacer, nullptr);
  remove_timer();
  EXPECT_EQ(wait_for_frame_steps(pacer, 0), -1);
}

TEST_F(FramePacerTest, APacerKeepsCountingWhenTheTimerSystemIsInstalledAgain) {
  pacer = create_frame_pacer(60);
  ASSERT_NE(pacer, nullptr);
  remove_timer();
  ASSERT_EQ(install_timer_system(), 0);  // with every handler slot empty
  const background_ticker ticker(period_at_60);
  EXPECT_GE(wait_for_frame_steps(pacer, 0), 1);
}

}  // namespace
