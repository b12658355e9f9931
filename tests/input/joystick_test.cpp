// The joystick layer: installing by id and by autodetection with its messages, the state reset,
// removal and reinstallation, polling, calibration, rumble, and saving the chosen driver to a
// configuration file and installing it again from there.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/exit_functions.h"
#include "corvane/config.h"
#include "corvane/joystick.h"
#include "corvane/system.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

constexpr int TEST_ID = CORVANE_ID('T', 'J', 'O', 'Y');
constexpr int OTHER_ID = CORVANE_ID('O', 'J', 'O', 'Y');

// A driver whose every answer the test sets, counting its calls.
struct test_joystick {
  joystick_driver_rec driver{};
  int open_result = 0;
  int sticks_flags = 0x23;  // given to the one stick of joystick 0
  int calibrate_result = 0;
  int load_result = 0;
  int opens = 0, closes = 0, polls = 0, saves = 0, loads = 0, calibrations = 0;
  std::vector<int> rumbles;
};

test_joystick tested, other;

template <test_joystick &t>
joystick_driver_rec make_driver(int id, const char *label) {
  joystick_driver_rec d{};
  d.id = id;
  d.name = d.description = empty_string;
  d.ascii_label = label;
  d.open = [] {
    ++t.opens;
    if (t.open_result != 0) return t.open_result;
    joystick_count = 2;
    joysticks[0].stick_count = 1;
    joysticks[0].sticks[0].flags = t.sticks_flags;
    joysticks[0].sticks[0].axis_count = 1;
    return 0;
  };
  d.close = [] { ++t.closes; };
  d.poll = [] {
    ++t.polls;
    joysticks[0].sticks[0].axes[0].pos = t.polls;
    return 0;
  };
  d.save_data = [] {
    ++t.saves;
    config_set_string("joystick", "test_data", "saved");
    return 0;
  };
  d.load_data = [] {
    ++t.loads;
    return t.load_result;
  };
  d.calibrate_name = [](int n) { return n == 0 ? "Centre the stick" : "other"; };
  d.calibrate = [](int n) {
    ++t.calibrations;
    if (t.calibrate_result == 0) joysticks[n].sticks[0].flags = 0x23;
    return t.calibrate_result;
  };
  d.rumble = [](int n, int strong, int weak, int duration) {
    t.rumbles.insert(t.rumbles.end(), {n, strong, weak, duration});
    return 0;
  };
  return d;
}

bool exit_registered(const char *description) {
  for (auto *node = corvane::exit_func_head(); node != nullptr; node = node->next) {
    if (node->function == remove_joystick) return std::strcmp(node->description, description) == 0;
  }
  return false;
}

class JoystickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tested = test_joystick{};
    other = test_joystick{};
    tested.driver = make_driver<tested>(TEST_ID, "Test joystick");
    other.driver = make_driver<other>(OTHER_ID, "Other joystick");
    reset_test_system();
    ASSERT_EQ(start_with_test_system(), 0);
    use_config_data("", 0);
    set_list({{OTHER_ID, &other.driver, 0}, {TEST_ID, &tested.driver, -1}});
  }
  void TearDown() override { shutdown_corvane(); }

  void set_list(std::vector<driver_list_entry> entries) {
    list_ = std::move(entries);
    list_.push_back({0, nullptr, 0});
    the_test_system().joystick_drivers = list_.data();
  }

  std::vector<driver_list_entry> list_;
};

void expect_all_unused() {
  EXPECT_EQ(joystick_count, 0);
  for (const joystick_info &j : joysticks) {
    EXPECT_EQ(j.stick_count + j.button_count + j.flags, 0);
    EXPECT_STREQ(j.sticks[4].axes[2].name, "unused");
    EXPECT_STREQ(j.buttons[31].name, "unused");
    EXPECT_EQ(j.sticks[0].axes[0].pos, 0);
  }
}

TEST_F(JoystickTest, InstallByIdOpensPollsOnceAndRegistersItsRemoval) {
  ASSERT_EQ(install_joystick(OTHER_ID), 0);  // asked for by id, autodetect flag or not
  EXPECT_EQ(current_joystick_driver, &other.driver);
  EXPECT_STREQ(current_joystick_driver->name, "Other joystick");
  EXPECT_EQ(joystick_driver_id, OTHER_ID);
  EXPECT_EQ(joystick_installed, -1);
  EXPECT_EQ(joystick_count, 2);
  EXPECT_EQ(other.polls, 1);
  EXPECT_EQ(joysticks[0].sticks[0].axes[0].pos, 1);
  EXPECT_TRUE(exit_registered("remove_joystick"));
  EXPECT_EQ(install_joystick(TEST_ID), 0);  // already installed: nothing happens
  EXPECT_EQ(other.opens, 1);
  EXPECT_EQ(tested.opens, 0);

  remove_joystick();
  EXPECT_EQ(other.closes, 1);
  EXPECT_EQ(current_joystick_driver, nullptr);
  EXPECT_EQ(joystick_driver_id, 0);
  EXPECT_EQ(joystick_installed, 0);
  EXPECT_FALSE(exit_registered("remove_joystick"));
  expect_all_unused();
  remove_joystick();
  EXPECT_EQ(other.closes, 1);
}

TEST_F(JoystickTest, InstallResetsWhatWasLeftInTheTable) {
  joysticks[5].button_count = 3;
  joysticks[5].buttons[0].b = 1;
  joysticks[5].buttons[0].name = "left";
  tested.open_result = 0;
  ASSERT_EQ(install_joystick(TEST_ID), 0);
  EXPECT_EQ(joysticks[5].button_count, 0);
  EXPECT_EQ(joysticks[5].buttons[0].b, 0);
  EXPECT_STREQ(joysticks[5].buttons[0].name, "unused");
}

TEST_F(JoystickTest, ADriverAskedForThatDoesNotOpenNamesItself) {
  other.open_result = -1;
  EXPECT_EQ(install_joystick(OTHER_ID), -1);
  EXPECT_STREQ(error_text, "Other joystick not found");
  EXPECT_EQ(current_joystick_driver, nullptr);
  EXPECT_EQ(joystick_driver_id, 0);
  EXPECT_EQ(joystick_installed, 0);
  EXPECT_FALSE(exit_registered("remove_joystick"));

  // A driver's own reason wins.
  other.driver.open = [] {
    std::strcpy(error_text, "cable cut");
    return -1;
  };
  EXPECT_EQ(install_joystick(OTHER_ID), -1);
  EXPECT_STREQ(error_text, "cable cut");
}

TEST_F(JoystickTest, AutodetectionTriesTheAutodetectableDriversInOrder) {
  joystick_driver_rec failing = other.driver;
  failing.id = CORVANE_ID('F', 'A', 'I', 'L');
  failing.open = [] {
    joystick_count = 3;  // left behind by a driver that then fails
    return -1;
  };
  set_list(
      {{OTHER_ID, &other.driver, 0}, {failing.id, &failing, -1}, {TEST_ID, &tested.driver, -1}});
  ASSERT_EQ(install_joystick(JOYSTICK_AUTODETECT), 0);
  EXPECT_EQ(current_joystick_driver, &tested.driver);
  EXPECT_EQ(joystick_driver_id, TEST_ID);
  EXPECT_EQ(other.opens, 0);
  EXPECT_EQ(joystick_count, 2);
  remove_joystick();

  tested.open_result = -1;
  EXPECT_EQ(install_joystick(CORVANE_ID('N', 'O', 'P', 'E')), -1);
  EXPECT_STREQ(error_text, "No joysticks found");
  EXPECT_EQ(current_joystick_driver, nullptr);
  expect_all_unused();
}

TEST_F(JoystickTest, WithoutAnyDeviceAutodetectionEndsWithTheNoJoystickDriver) {
  the_test_system().driver.list_joystick_drivers = nullptr;  // the built-in list
  ASSERT_EQ(install_joystick(JOYSTICK_AUTODETECT), 0);
  EXPECT_EQ(current_joystick_driver, &joystick_none);
  EXPECT_STREQ(joystick_none.name, "No joystick");
  EXPECT_EQ(joystick_driver_id, JOYSTICK_NONE);
  EXPECT_EQ(joystick_count, 0);
  EXPECT_EQ(poll_joystick(), 0);
  EXPECT_EQ(calibrate_joystick(0), -1);
  EXPECT_EQ(start_joystick_rumble(0, 255, 255, 100), -1);
}

TEST_F(JoystickTest, PollAnswersTheDriverOrMinusOne) {
  EXPECT_EQ(poll_joystick(), -1);
  ASSERT_EQ(install_joystick(TEST_ID), 0);
  EXPECT_EQ(poll_joystick(), 0);
  EXPECT_EQ(joysticks[0].sticks[0].axes[0].pos, 2);
  tested.driver.poll = nullptr;
  EXPECT_EQ(poll_joystick(), -1);
}

TEST_F(JoystickTest, ReinstallOpensTheSameDriverAgain) {
  EXPECT_EQ(reinstall_joystick(), 0);  // never installed: id 0 is in no list, so autodetection
  EXPECT_EQ(current_joystick_driver, &tested.driver);
  remove_joystick();
  ASSERT_EQ(install_joystick(OTHER_ID), 0);
  ASSERT_EQ(reinstall_joystick(), 0);
  EXPECT_EQ(current_joystick_driver, &other.driver);
  EXPECT_EQ(other.opens, 2);
  EXPECT_EQ(other.closes, 1);
}

TEST_F(JoystickTest, CalibrationOnlyWhereAStickAsksForIt) {
  tested.sticks_flags = 0x23 | JOYSTICK_FLAG_CALIB_ANALOGUE;
  ASSERT_EQ(install_joystick(TEST_ID), 0);
  EXPECT_EQ(joysticks[0].sticks[0].flags & JOYSTICK_FLAG_CALIBRATE, JOYSTICK_FLAG_CALIBRATE);
  EXPECT_EQ(joysticks[0].flags, JOYSTICK_FLAG_CALIBRATE);
  EXPECT_EQ(joysticks[1].flags, 0);
  for (int n : {-1, 1, 2, 8, 1000}) EXPECT_EQ(calibrate_joystick(n), -1) << n;
  EXPECT_EQ(calibrate_joystick_name(-1), nullptr);
  EXPECT_EQ(calibrate_joystick_name(8), nullptr);
  EXPECT_STREQ(calibrate_joystick_name(0), "Centre the stick");
  EXPECT_EQ(tested.calibrations, 0);

  tested.calibrate_result = 3;
  EXPECT_EQ(calibrate_joystick(0), 3);
  EXPECT_EQ(joysticks[0].flags, JOYSTICK_FLAG_CALIBRATE);  // a failure leaves the flags
  tested.calibrate_result = 0;
  EXPECT_EQ(calibrate_joystick(0), 0);
  EXPECT_EQ(joysticks[0].flags, 0);
  EXPECT_EQ(joysticks[0].sticks[0].flags, 0x23);
  EXPECT_EQ(calibrate_joystick(0), -1);  // nothing left to calibrate
  EXPECT_EQ(tested.calibrations, 2);

  tested.driver.calibrate = nullptr;
  joysticks[0].flags = JOYSTICK_FLAG_CALIBRATE;
  EXPECT_EQ(calibrate_joystick(0), -1);
}

TEST_F(JoystickTest, RumbleReachesTheDriverClampedOrIsRefused) {
  EXPECT_EQ(start_joystick_rumble(0, 10, 10, 10), -1);
  EXPECT_STREQ(error_text, "No such joystick");
  ASSERT_EQ(install_joystick(TEST_ID), 0);
  EXPECT_EQ(start_joystick_rumble(1, 300, -4, 250), 0);
  EXPECT_EQ(stop_joystick_rumble(1), 0);
  EXPECT_EQ(tested.rumbles, (std::vector<int>{1, 255, 0, 250, 1, 0, 0, 0}));
  EXPECT_EQ(start_joystick_rumble(2, 10, 10, 10), -1);
  tested.driver.rumble = nullptr;
  EXPECT_EQ(start_joystick_rumble(0, 10, 10, 10), -1);
  EXPECT_STREQ(error_text, "This joystick cannot rumble");
}

TEST_F(JoystickTest, SavedDriverComesBackFromTheFile) {
  scoped_work_dir dir;
  const std::string file = dir.file("joy.cfg");
  ASSERT_EQ(install_joystick(OTHER_ID), 0);
  ASSERT_EQ(save_joystick_data(file.c_str()), 0);
  EXPECT_EQ(other.saves, 1);
  const std::string written = read_file(file);
  EXPECT_NE(written.find("[joystick]"), std::string::npos) << written;
  EXPECT_NE(written.find("joytype = OJOY"), std::string::npos) << written;
  EXPECT_NE(written.find("test_data = saved"), std::string::npos) << written;
  // The file was only borrowed: the program's configuration did not change.
  EXPECT_EQ(config_get_id("joystick", "joytype", -1), -1);

  other.load_result = 7;
  EXPECT_EQ(load_joystick_data(file.c_str()), 7);  // removes the installed layer first
  EXPECT_EQ(other.closes, 1);
  EXPECT_EQ(other.opens, 2);
  EXPECT_EQ(other.loads, 1);
  EXPECT_EQ(current_joystick_driver, &other.driver);
  EXPECT_EQ(joystick_installed, -1);

  // Nothing saved: -1, nothing installed, the id 0.
  const std::string empty = dir.file("empty.cfg");
  write_file(empty, "[joystick]\n");
  EXPECT_EQ(load_joystick_data(empty.c_str()), -1);
  EXPECT_EQ(joystick_installed, 0);
  EXPECT_EQ(joystick_driver_id, 0);
}

TEST_F(JoystickTest, AutodetectionUsesTheDriverSavedInTheConfiguration) {
  ASSERT_EQ(install_joystick(OTHER_ID), 0);
  ASSERT_EQ(save_joystick_data(nullptr), 0);
  EXPECT_EQ(config_get_id("joystick", "joytype", -1), OTHER_ID);
  remove_joystick();
  ASSERT_EQ(install_joystick(JOYSTICK_AUTODETECT), 0);
  EXPECT_EQ(current_joystick_driver, &other.driver);  // not autodetectable, but saved
  EXPECT_EQ(other.loads, 1);
  remove_joystick();

  // A saved driver that does not open: autodetection goes on from the list.
  other.open_result = -1;
  ASSERT_EQ(install_joystick(JOYSTICK_AUTODETECT), 0);
  EXPECT_EQ(current_joystick_driver, &tested.driver);
  remove_joystick();

  // A saved id in no list: autodetection.
  config_set_string("joystick", "joytype", "GONE");
  ASSERT_EQ(install_joystick(JOYSTICK_AUTODETECT), 0);
  EXPECT_EQ(current_joystick_driver, &tested.driver);
}

TEST_F(JoystickTest, ShutdownRemovesTheLayer) {
  ASSERT_EQ(install_joystick(TEST_ID), 0);
  shutdown_corvane();
  EXPECT_EQ(tested.closes, 1);
  EXPECT_EQ(joystick_installed, 0);
  expect_all_unused();
}

}  // namespace
