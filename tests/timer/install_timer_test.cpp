// Installing and removing the timer system: driver choice, the timer mutex, the exit function and
// a fresh start after removal.
#include <gtest/gtest.h>

#include <cstring>

#include "core/exit_functions.h"
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

const char *exit_description(void (*function)()) {
  for (auto *node = corvane::exit_func_head(); node != nullptr; node = node->next) {
    if (node->function == function) return node->description;
  }
  return nullptr;
}

int failing_init_calls = 0;
int failing_init() {
  ++failing_init_calls;
  return -1;
}
timer_driver failing_driver = {
    .id = CORVANE_ID('F', 'A', 'I', 'L'),
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "Failing timer",
    .init = failing_init,
};

class InstallTimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls = 0;
    other_calls = 0;
    failing_init_calls = 0;
    ASSERT_EQ(start_with_manual_timer(), 0);
  }
  void TearDown() override { shutdown_corvane(); }
};

TEST_F(InstallTimerTest, InstallChoosesTheDriverNamesItAndRegistersRemoval) {
  ASSERT_EQ(install_timer_system(), 0);
  EXPECT_EQ(current_timer_driver, &the_manual_timer().driver);
  EXPECT_STREQ(current_timer_driver->name, "Manual timer");
  EXPECT_STREQ(current_timer_driver->description, "Manual timer");
  EXPECT_EQ(the_manual_timer().init_calls, 1);
  EXPECT_EQ(the_test_system().mutexes_alive, 1);
  EXPECT_STREQ(exit_description(remove_timer), "remove_timer");
  EXPECT_EQ(corvane::timer_installed.load(), -1);

  // Installed already: nothing happens.
  EXPECT_EQ(install_timer_system(), 0);
  EXPECT_EQ(the_manual_timer().init_calls, 1);
  EXPECT_EQ(the_test_system().mutexes_alive, 1);
}

TEST_F(InstallTimerTest, FailingDriversAreSkippedInListOrder) {
  driver_list_entry list[] = {
      {failing_driver.id, &failing_driver, -1},
      {the_manual_timer().driver.id, &the_manual_timer().driver, -1},
      {0, nullptr, 0},
  };
  the_test_system().timer_drivers = list;
  ASSERT_EQ(install_timer_system(), 0);
  EXPECT_EQ(failing_init_calls, 1);
  EXPECT_EQ(current_timer_driver, &the_manual_timer().driver);
}

TEST_F(InstallTimerTest, NoDriverStartingLeavesNoMutexAndNoDriver) {
  driver_list_entry list[] = {{failing_driver.id, &failing_driver, -1}, {0, nullptr, 0}};
  the_test_system().timer_drivers = list;
  error_text[0] = 0;
  EXPECT_EQ(install_timer_system(), -1);
  EXPECT_EQ(current_timer_driver, nullptr);
  EXPECT_EQ(the_test_system().mutexes_alive, 0);
  EXPECT_EQ(exit_description(remove_timer), nullptr);
  EXPECT_NE(std::strlen(error_text), 0u);
  // Adding a handler tries again and fails the same way.
  EXPECT_EQ(add_timer_handler(count_call, 10), -1);
  EXPECT_EQ(failing_init_calls, 2);
}

TEST_F(InstallTimerTest, EmptyListFails) {
  the_test_system().timer_drivers = empty_driver_list;
  EXPECT_EQ(install_timer_system(), -1);
  EXPECT_EQ(the_test_system().mutexes_alive, 0);
}

TEST_F(InstallTimerTest, MutexThatCannotBeCreatedFailsBeforeAnyDriverStarts) {
  the_test_system().refuse_mutexes = true;
  EXPECT_EQ(install_timer_system(), -1);
  EXPECT_EQ(the_manual_timer().init_calls, 0);
  EXPECT_EQ(current_timer_driver, nullptr);
}

TEST_F(InstallTimerTest, SystemDriverWithoutMutexesStillGetsALockedTimer) {
  system_driver &sys = the_test_system().driver;
  sys.mutex_create = nullptr;
  sys.mutex_destroy = nullptr;
  sys.mutex_lock = nullptr;
  sys.mutex_unlock = nullptr;
  ASSERT_EQ(install_timer_system(), 0);
  ASSERT_EQ(add_timer_handler(count_call, 10), 0);
  advance_ticks(10);
  EXPECT_EQ(calls, 1);
}

TEST_F(InstallTimerTest, RemoveStopsTheDriverAndFreesEverything) {
  ASSERT_EQ(add_timer_handler(count_call, 10), 0);
  remove_timer();
  EXPECT_EQ(the_manual_timer().exit_calls, 1);
  EXPECT_EQ(current_timer_driver, nullptr);
  EXPECT_EQ(the_test_system().mutexes_alive, 0);
  EXPECT_EQ(exit_description(remove_timer), nullptr);
  EXPECT_EQ(corvane::timer_installed.load(), 0);
  for (const auto &slot : corvane::timer_slots) {
    EXPECT_EQ(slot.proc, nullptr);
    EXPECT_EQ(slot.speed, 0);
  }
  // Removing twice is harmless.
  remove_timer();
  EXPECT_EQ(the_manual_timer().exit_calls, 1);
}

TEST_F(InstallTimerTest, AddingAHandlerAfterRemovalInstallsAfresh) {
  ASSERT_EQ(add_timer_handler(count_call, 10), 0);
  advance_ticks(5);
  remove_timer();
  ASSERT_EQ(add_timer_handler(count_call, 10), 0);
  EXPECT_EQ(the_manual_timer().init_calls, 2);
  EXPECT_EQ(current_timer_driver, &the_manual_timer().driver);
  // The new slot starts a full period; nothing of the old one survives.
  advance_ticks(9);
  EXPECT_EQ(calls, 0);
  advance_ticks(1);
  EXPECT_EQ(calls, 1);
}

TEST_F(InstallTimerTest, ShutdownRemovesTheTimer) {
  ASSERT_EQ(install_timer_system(), 0);
  shutdown_corvane();
  EXPECT_EQ(the_manual_timer().exit_calls, 1);
  EXPECT_EQ(current_timer_driver, nullptr);
}

void remove_timer_from_handler() { remove_timer(); }

// Removal from a handler (shutdown_corvane called there) stops the driver at once, and nothing is
// called after the handler returns. The mutex the dispatch held is destroyed by the next start-up,
// on the program's side.
TEST_F(InstallTimerTest, RemovingTheTimerFromAHandlerStopsItWhenTheHandlerReturns) {
  ASSERT_EQ(add_timer_handler(count_call, 1), 0);
  ASSERT_EQ(add_timer_handler(remove_timer_from_handler, 10), 0);
  advance_ticks(10);
  EXPECT_EQ(calls, 10);  // the earlier slot ran its ten periods; nothing after the removal
  EXPECT_EQ(current_timer_driver, nullptr);
  EXPECT_EQ(the_manual_timer().exit_calls, 1);
  EXPECT_EQ(exit_description(remove_timer), nullptr);
  // A new start-up begins with empty slots and one mutex, its own.
  ASSERT_EQ(add_timer_handler(count_other, 5), 0);
  EXPECT_EQ(the_test_system().mutexes_alive, 1);
  advance_ticks(5);
  EXPECT_EQ(calls, 10);
  EXPECT_EQ(other_calls, 1);
  EXPECT_EQ(the_manual_timer().init_calls, 2);
}

TEST(InstallTimerDefaults, WithoutASystemListTheThreadDriverIsUsed) {
  reset_test_system();
  ASSERT_EQ(start_with_test_system(), 0);
  give_test_system_mutexes();
  the_test_system().driver.list_timer_drivers = nullptr;
  ASSERT_EQ(install_timer_system(), 0);
  EXPECT_EQ(current_timer_driver, &timer_pthreads);
  EXPECT_EQ(current_timer_driver->id, TIMER_PTHREADS);
  EXPECT_STREQ(timer_pthreads.ascii_label, "Unix pthreads timers");
  EXPECT_STREQ(timer_pthreads.name, "Unix pthreads timers");
  shutdown_corvane();
  EXPECT_EQ(current_timer_driver, nullptr);
}

TEST(InstallTimerDefaults, NoneSystemDriverOffersNoTimer) {
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  EXPECT_EQ(install_timer_system(), -1);
  EXPECT_EQ(add_timer_handler(count_call, 10), -1);
  shutdown_corvane();
}

}  // namespace
