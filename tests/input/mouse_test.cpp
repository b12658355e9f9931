// Installing the mouse through a test driver: the configured driver and the list, the number of
// buttons and middle-button emulation from the configuration, the update rule with its callback
// flags, the packed position, the range and the calls that do nothing without a driver.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "corvane/config.h"
#include "corvane/mouse.h"
#include "corvane/system.h"
#include "support/test_mouse.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

std::vector<int> told;
void record_flags(int flags) { told.push_back(flags); }

class MouseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    told.clear();
    reset_test_mouse();
    ASSERT_EQ(start_with_test_mouse(), 0);
  }
  void TearDown() override {
    mouse_callback = nullptr;
    shutdown_corvane();
  }
  static void configure(const std::string &keys) {
    const std::string text = "[mouse]\n" + keys;
    use_config_data(text.data(), static_cast<int>(text.size()));
  }
};

TEST_F(MouseTest, InstallNamesTheDriverAndCentresThePointerOnce) {
  EXPECT_EQ(install_mouse(), 3);
  EXPECT_EQ(current_mouse_driver, &the_test_mouse().driver);
  EXPECT_EQ(mouse_type, CORVANE_ID('T', 'M', 'O', 'U'));
  EXPECT_STREQ(current_mouse_driver->name, "Test mouse");
  // The hardware cursor is switched off before anything else is asked of the driver.
  ASSERT_FALSE(the_test_mouse().hardware_cursor_modes.empty());
  EXPECT_EQ(the_test_mouse().hardware_cursor_modes.front(), 0);
  // Without a graphics mode the pointer keeps to 320 x 200 and starts in its middle.
  EXPECT_EQ(mouse_x, 160);
  EXPECT_EQ(mouse_y, 100);
  EXPECT_EQ(the_test_mouse().speeds, (std::vector<std::pair<int, int>>{{2, 2}}));
  EXPECT_EQ(mouse_polled, 0);
  EXPECT_EQ(install_mouse(), 0);
  EXPECT_EQ(the_test_mouse().init_calls, 1);

  remove_mouse();
  EXPECT_EQ(current_mouse_driver, nullptr);
  EXPECT_EQ(the_test_mouse().exit_calls, 1);
  EXPECT_EQ(mouse_x, 0);
  EXPECT_EQ(mouse_type, -1);
}

TEST_F(MouseTest, NumButtonsFromTheConfigurationWins) {
  configure("num_buttons = 1\n");
  EXPECT_EQ(install_mouse(), 1);
}

TEST_F(MouseTest, ConfiguredDriverIsTriedAloneAndUnknownIdsFallBackToTheList) {
  reset_test_mouse();
  mouse_driver other = the_test_mouse().driver;
  other.id = CORVANE_ID('O', 'T', 'H', 'R');
  other.init = [] { return 5; };
  driver_list_entry list[] = {{the_test_mouse().driver.id, &the_test_mouse().driver, -1},
                              {other.id, &other, -1},
                              {0, nullptr, 0}};
  the_test_system().mouse_drivers = list;

  configure("mouse = OTHR\n");
  EXPECT_EQ(install_mouse(), 5);
  EXPECT_EQ(the_test_mouse().init_calls, 0);
  remove_mouse();

  // The configured driver failing is the end of it.
  other.init = [] { return -1; };
  EXPECT_EQ(install_mouse(), -1);
  EXPECT_EQ(the_test_mouse().init_calls, 0);
  EXPECT_EQ(current_mouse_driver, nullptr);

  configure("mouse = NOPE\n");
  mouse_type = -1;
  EXPECT_EQ(install_mouse(), 3);
  EXPECT_EQ(current_mouse_driver, &the_test_mouse().driver);
}

TEST_F(MouseTest, NoDriverLeavesAClearReasonAndEveryCallHarmless) {
  the_test_mouse().init_result = -1;
  std::strcpy(error_text, "an older failure");
  EXPECT_EQ(install_mouse(), -1);
  EXPECT_STREQ(error_text, "No mouse driver could be started");
  EXPECT_EQ(current_mouse_driver, nullptr);

  EXPECT_EQ(poll_mouse(), -1);
  position_mouse(5, 5);
  set_mouse_range(0, 0, 1, 1);
  set_mouse_speed(1, 1);
  show_mouse(nullptr);
  scare_mouse();
  unscare_mouse();
  set_mouse_sprite(nullptr);
  EXPECT_EQ(select_mouse_cursor(MOUSE_CURSOR_ARROW), -1);
  int dx = 7;
  int dy = 7;
  get_mouse_mickeys(&dx, &dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  EXPECT_EQ(mouse_x, 0);
  EXPECT_TRUE(the_test_mouse().positions.empty());
}

TEST_F(MouseTest, DriversOwnReasonWins) {
  the_test_mouse().driver.init = [] {
    set_error_text("No window to take the mouse from");
    return -1;
  };
  EXPECT_EQ(install_mouse(), -1);
  EXPECT_STREQ(error_text, "No window to take the mouse from");
}

TEST_F(MouseTest, EmulateThreeTurnsLeftAndRightIntoMiddle) {
  configure("emulate_three = yes\n");
  ASSERT_EQ(install_mouse(), 3);
  EXPECT_EQ(emulate_three, -1);
  press_test_mouse(MOUSE_BUTTON_LEFT);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_LEFT);
  press_test_mouse(MOUSE_BUTTON_LEFT | MOUSE_BUTTON_RIGHT | 8);  // a side button stays
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_MIDDLE | 8);
  remove_mouse();

  configure("emulate_three = no\n");
  ASSERT_EQ(install_mouse(), 3);
  press_test_mouse(MOUSE_BUTTON_LEFT | MOUSE_BUTTON_RIGHT);
  EXPECT_EQ(mouse_b, MOUSE_BUTTON_LEFT | MOUSE_BUTTON_RIGHT);
}

TEST_F(MouseTest, CallbackIsToldWhatChanged) {
  ASSERT_EQ(install_mouse(), 3);
  mouse_callback = record_flags;
  press_test_mouse(MOUSE_BUTTON_LEFT);
  press_test_mouse(0);
  EXPECT_EQ(told, (std::vector<int>{MOUSE_FLAG_LEFT_DOWN, MOUSE_FLAG_LEFT_UP}));

  told.clear();
  move_test_mouse(3, 5);
  EXPECT_EQ(told, (std::vector<int>{MOUSE_FLAG_MOVE}));
  EXPECT_EQ(mouse_pos, 196613);

  told.clear();
  handle_mouse_input(3, 5, 2, MOUSE_BUTTON_RIGHT | MOUSE_BUTTON_MIDDLE);
  handle_mouse_input(3, 5, 2, MOUSE_BUTTON_RIGHT | MOUSE_BUTTON_MIDDLE);  // nothing new
  handle_mouse_input(4, 5, 2, MOUSE_BUTTON_MIDDLE);
  EXPECT_EQ(told, (std::vector<int>{MOUSE_FLAG_MOVE_Z | MOUSE_FLAG_RIGHT_DOWN |
                                        MOUSE_FLAG_MIDDLE_DOWN,
                                    MOUSE_FLAG_MOVE | MOUSE_FLAG_RIGHT_UP}));
  EXPECT_EQ(mouse_z, 2);
}

TEST_F(MouseTest, PackedPositionKeepsNegativeAndLargeValuesApart) {
  ASSERT_EQ(install_mouse(), 3);
  set_mouse_range(-100, -100, 40000, 40000);
  move_test_mouse(-2, -3);
  EXPECT_EQ(static_cast<uint32_t>(mouse_pos), 0xFFFEFFFDu);
  move_test_mouse(32768, 1);
  EXPECT_EQ(static_cast<uint32_t>(mouse_pos), 0x80000001u);
}

TEST_F(MouseTest, RangeMovesThePointerInAndTakesCornersInEitherOrder) {
  ASSERT_EQ(install_mouse(), 3);
  move_test_mouse(100, 5);
  set_mouse_range(20, 20, 10, 10);
  EXPECT_EQ(mouse_x, 20);
  EXPECT_EQ(mouse_y, 10);
  // Positions far outside are kept in the range before the driver sees them.
  position_mouse(-2000000000, 2000000000);
  EXPECT_EQ(the_test_mouse().positions.back(), (std::pair<int, int>{10, 20}));
  EXPECT_EQ(mouse_x, 10);
  EXPECT_EQ(mouse_y, 20);
}

TEST_F(MouseTest, PolledDriverShowsInputOnlyWhenPolled) {
  give_test_mouse_poll();
  ASSERT_EQ(install_mouse(), 3);
  EXPECT_EQ(mouse_polled, -1);
  move_test_mouse(7, 8);
  EXPECT_EQ(mouse_x, 160);
  EXPECT_EQ(raw_mouse_x, 7);
  EXPECT_EQ(poll_mouse(), 0);
  EXPECT_EQ(the_test_mouse().poll_calls, 1);
  EXPECT_EQ(mouse_x, 7);
  EXPECT_EQ(mouse_y, 8);
}

TEST_F(MouseTest, MickeysComeFromTheDriver) {
  ASSERT_EQ(install_mouse(), 3);
  the_test_mouse().mickey_x = -4;
  the_test_mouse().mickey_y = 9;
  int dx = 0;
  int dy = 0;
  get_mouse_mickeys(&dx, &dy);
  EXPECT_EQ(dx, -4);
  EXPECT_EQ(dy, 9);
  get_mouse_mickeys(nullptr, &dy);
  EXPECT_EQ(dy, 0);
}

TEST_F(MouseTest, ShutdownRemovesTheMouse) {
  ASSERT_EQ(install_mouse(), 3);
  shutdown_corvane();
  EXPECT_EQ(the_test_mouse().exit_calls, 1);
  EXPECT_EQ(current_mouse_driver, nullptr);
}

}  // namespace
