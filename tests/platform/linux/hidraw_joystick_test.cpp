// The hidraw joystick driver on recorded devices: which devices become joysticks and in what
// order, their names, recorded input reports read into exact positions and buttons, short
// reports, devices that cannot be opened or go away in the middle of a read, and no device at all.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "corvane/joystick.h"
#include "corvane/system.h"
#include "platform/linux/hidraw_access.h"
#include "platform/linux/hidraw_joystick.h"
#include "platform/linux/unix_host.h"
#include "support/hid_descriptor_files.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;
using corvane::hidraw::hidraw_joystick_driver;
using corvane::hidraw::JOYSTICK_HIDRAW;
using bytes = std::vector<uint8_t>;

struct fake_device {
  std::string path;
  bytes descriptor;
  std::string manufacturer, product;
  bool refuses_open = false;
  std::deque<bytes> reports;
  bool unplugged = false;  // reads fail once the queued reports are taken
};

std::vector<fake_device> devices;
std::map<int, size_t> open_handles;  // handle -> device
int next_handle = 100;

fake_device &device_of(int handle) { return devices.at(open_handles.at(handle)); }

const corvane::hidraw::hidraw_access fake_access = {
    .list_devices =
        [] {
          std::vector<std::string> paths;
          for (const fake_device &d : devices) paths.push_back(d.path);
          return paths;
        },
    .open_device =
        [](const char *path) noexcept {
          for (size_t i = 0; i < devices.size(); ++i) {
            if (devices[i].path != path) continue;
            if (devices[i].refuses_open) return -1;
            open_handles[next_handle] = i;
            return next_handle++;
          }
          return -1;
        },
    .read_descriptor =
        [](int handle, bytes &descriptor) {
          descriptor = device_of(handle).descriptor;
          return true;
        },
    .read_names =
        [](int handle, const char *, std::string &manufacturer, std::string &product) {
          manufacturer = device_of(handle).manufacturer;
          product = device_of(handle).product;
        },
    .read_report = [](int handle, uint8_t *buffer, size_t size) noexcept -> long {
      fake_device &d = device_of(handle);
      if (d.reports.empty()) return d.unplugged ? -1 : 0;
      const bytes report = d.reports.front();
      d.reports.pop_front();
      const size_t n = std::min(size, report.size());
      std::copy(report.begin(), report.begin() + static_cast<long>(n), buffer);
      return static_cast<long>(n);
    },
    .close_device = [](int handle) noexcept { open_handles.erase(handle); },
};

fake_device recorded(const char *path, const char *descriptor, const char *product = "") {
  fake_device d;
  d.path = path;
  d.descriptor = load_hid_descriptor(descriptor);
  d.manufacturer = "Maker";
  d.product = product;
  return d;
}

class HidrawJoystickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    devices.clear();
    open_handles.clear();
    corvane::hidraw::use_hidraw_access(&fake_access);
    ASSERT_EQ(start_with_test_system(), 0);
    the_test_system().joystick_drivers = list_;
  }
  void TearDown() override {
    shutdown_corvane();
    EXPECT_TRUE(open_handles.empty()) << "handles left open";
    corvane::hidraw::use_hidraw_access(nullptr);
  }

  driver_list_entry list_[3] = {
      {JOYSTICK_HIDRAW, &hidraw_joystick_driver, -1},
      {JOYSTICK_NONE, &joystick_none, -1},
      {0, nullptr, 0},
  };
};

TEST_F(HidrawJoystickTest, JoysticksFirstThenGamePadsInNodeOrder) {
  devices = {recorded("/dev/hidraw0", "keyboard"), recorded("/dev/hidraw1", "gamepad"),
             recorded("/dev/hidraw2", "many_buttons", "Many"),
             recorded("/dev/hidraw3", "flight_stick", "Flight \xC3\xA9"),
             recorded("/dev/hidraw4", "pointer_pad", "Pointer")};
  devices[1].refuses_open = true;  // no permission: skipped without a word
  devices.push_back(recorded("/dev/hidraw5", "gamepad"));
  devices.back().descriptor.pop_back();  // an End Collection short: not parsed, skipped

  ASSERT_EQ(install_joystick(JOYSTICK_AUTODETECT), 0);
  EXPECT_EQ(current_joystick_driver, &hidraw_joystick_driver);
  EXPECT_STREQ(hidraw_joystick_driver.name, "HID joystick (hidraw)");
  EXPECT_STREQ(error_text, "");
  ASSERT_EQ(joystick_count, 3);
  EXPECT_EQ(corvane::hidraw::joystick_product(0), "Flight \xC3\xA9");
  EXPECT_EQ(corvane::hidraw::joystick_manufacturer(0), "Maker");
  EXPECT_EQ(corvane::hidraw::joystick_product(1), "Many");
  EXPECT_EQ(corvane::hidraw::joystick_product(2), "Pointer");
  EXPECT_EQ(corvane::hidraw::joystick_product(3), "");
  EXPECT_EQ(joysticks[0].stick_count, 4);
  EXPECT_EQ(joysticks[1].button_count, 32);
  EXPECT_EQ(joysticks[2].stick_count, 3);
  EXPECT_EQ(open_handles.size(), 3u);  // the keyboard and the broken pad were closed again
}

TEST_F(HidrawJoystickTest, RecordedReportsGiveExactPositionsAndButtons) {
  devices = {recorded("/dev/hidraw0", "flight_stick")};
  ASSERT_EQ(install_joystick(JOYSTICK_HIDRAW), 0);
  const joystick_info &j = joysticks[0];
  EXPECT_EQ(j.sticks[0].axes[0].pos, 0);  // nothing read yet

  // X 1023, Y 514, twist -2, throttle 200, hat 6 (left), button 8; then buttons 9 and 12 in
  // report 2, and a newer report 1 behind the first (the newest values win).
  devices[0].reports = {{0x01, 0xFF, 0x0B, 0x08, 0x10, 200, 0x06, 0x80},
                        {0x02, 0x09},
                        {0x01, 0xFF, 0x0B, 0x08, 0xFE, 200, 0x06, 0x80}};
  ASSERT_EQ(poll_joystick(), 0);
  const auto axis = [&](int s, int a) {
    const joystick_axis_info &x = j.sticks[s].axes[a];
    return std::vector<int>{x.pos, x.d1, x.d2};
  };
  EXPECT_EQ(axis(0, 0), (std::vector<int>{127, 0, -1}));
  EXPECT_EQ(axis(0, 1), (std::vector<int>{0, 0, 0}));  // 514 * 256 / 1024 - 128
  EXPECT_EQ(axis(1, 0), (std::vector<int>{-2, -1, 0}));
  EXPECT_EQ(axis(2, 0), (std::vector<int>{199, 0, 0}));  // 200 * 255 / 256
  EXPECT_EQ(axis(3, 0), (std::vector<int>{-128, 1, 0}));
  EXPECT_EQ(axis(3, 1), (std::vector<int>{0, 0, 0}));
  std::vector<int> held;
  for (int b = 0; b < j.button_count; ++b) held.push_back(j.buttons[b].b);
  EXPECT_EQ(held, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1}));

  // X at its minimum, Y at its maximum; the hat's null value (8): released, centred.
  devices[0].reports = {{0x01, 0x00, 0xFC, 0xFF, 0x80, 0, 0x08, 0x00}};
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(axis(0, 0), (std::vector<int>{-128, -1, 0}));
  EXPECT_EQ(axis(0, 1), (std::vector<int>{127, 0, -1}));
  EXPECT_EQ(axis(1, 0), (std::vector<int>{-128, -1, 0}));
  EXPECT_EQ(axis(2, 0), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(axis(3, 0), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(j.buttons[7].b, 0);
  EXPECT_EQ(j.buttons[8].b, 1);  // report 2 did not come again

  // A report cut after its second byte moves X alone.
  devices[0].reports = {{0x01, 0x00, 0x01}};  // X 256
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(axis(0, 0), (std::vector<int>{-64, -1, 0}));
  EXPECT_EQ(axis(0, 1), (std::vector<int>{127, 0, -1}));
}

TEST_F(HidrawJoystickTest, SixteenBitAxesAndButtonsBeyond32) {
  devices = {recorded("/dev/hidraw0", "many_buttons")};
  ASSERT_EQ(install_joystick(JOYSTICK_HIDRAW), 0);
  devices[0].reports = {{0x00, 0x80, 0xFF, 0x7F, 0x01, 0, 0, 0x80, 0xFF}};
  ASSERT_EQ(poll_joystick(), 0);
  const joystick_info &j = joysticks[0];
  EXPECT_EQ(j.sticks[0].axes[0].pos, -128);
  EXPECT_EQ(j.sticks[0].axes[1].pos, 127);
  EXPECT_EQ(j.buttons[0].b, 1);
  EXPECT_EQ(j.buttons[31].b, 1);
  EXPECT_EQ(j.buttons[30].b, 0);
}

TEST_F(HidrawJoystickTest, APointerCollectionMovesOneStick) {
  devices = {recorded("/dev/hidraw0", "pointer_pad")};
  ASSERT_EQ(install_joystick(JOYSTICK_HIDRAW), 0);
  // Rx 0; the pointer's X 255, Y 128, Z 0 and buttons 1 and 3; Ry 255.
  devices[0].reports = {{0x00, 0xFF, 0x80, 0x00, 0x05, 0xFF}};
  ASSERT_EQ(poll_joystick(), 0);
  const joystick_info &j = joysticks[0];
  const auto pos = [&](int s, int a) { return j.sticks[s].axes[a].pos; };
  EXPECT_EQ((std::vector<int>{pos(0, 0), pos(1, 0), pos(1, 1), pos(1, 2), pos(2, 0)}),
            (std::vector<int>{-128, 127, 0, -128, 127}));
  EXPECT_EQ(j.sticks[1].axes[2].d1, -1);
  EXPECT_EQ((std::vector<int>{j.buttons[0].b, j.buttons[1].b, j.buttons[2].b, j.buttons[3].b}),
            (std::vector<int>{1, 0, 1, 0}));
}

TEST_F(HidrawJoystickTest, ADeviceUnpluggedMidReadKeepsItsNumberWithEverythingReleased) {
  devices = {recorded("/dev/hidraw0", "gamepad"), recorded("/dev/hidraw1", "gamepad")};
  ASSERT_EQ(install_joystick(JOYSTICK_HIDRAW), 0);
  ASSERT_EQ(joystick_count, 2);
  for (fake_device &d : devices) d.reports = {{0xFF, 0xFF, 0, 0, 0x02, 0xFF, 0x0F}};
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(joysticks[0].buttons[0].b, 1);

  devices[0].reports = {{0x00, 0x00, 0, 0, 0x02, 0xFF, 0x0F}};
  devices[0].unplugged = true;
  devices[1].reports = {{0x80, 0x80, 0x80, 0x80, 0x0F, 0x00, 0x00}};
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(joystick_count, 2);
  const joystick_info &gone = joysticks[0];
  EXPECT_EQ(gone.flags & JOYSTICK_FLAG_DISCONNECTED, JOYSTICK_FLAG_DISCONNECTED);
  EXPECT_EQ(gone.stick_count, 3);
  EXPECT_STREQ(gone.sticks[2].name, "hat");
  for (const joystick_stick_info &s : gone.sticks) {
    for (const joystick_axis_info &a : s.axes) EXPECT_EQ(a.pos | a.d1 | a.d2, 0);
  }
  for (const joystick_button_info &b : gone.buttons) EXPECT_EQ(b.b, 0);
  EXPECT_EQ(open_handles.size(), 1u);
  EXPECT_EQ(joysticks[1].sticks[0].axes[0].pos, 0);
  EXPECT_EQ(joysticks[1].buttons[0].b, 0);
  EXPECT_EQ(poll_joystick(), 0);
}

TEST_F(HidrawJoystickTest, MoreThanEightJoysticksCountAsEight) {
  for (int i = 0; i < 10; ++i) {
    devices.push_back(recorded(("/dev/hidraw" + std::to_string(i)).c_str(), "gamepad"));
  }
  ASSERT_EQ(install_joystick(JOYSTICK_HIDRAW), 0);
  EXPECT_EQ(joystick_count, JOYSTICK_COUNT_MAX);
  for (fake_device &d : devices) d.reports = {{0, 0, 0, 0, 0x0F, 0x01, 0}};
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(joysticks[7].buttons[0].b, 1);
}

TEST_F(HidrawJoystickTest, WithoutDevicesAutodetectionFallsToNoJoystick) {
  EXPECT_EQ(install_joystick(JOYSTICK_HIDRAW), -1);
  EXPECT_STREQ(error_text, "HID joystick (hidraw) not found");
  ASSERT_EQ(install_joystick(JOYSTICK_AUTODETECT), 0);
  EXPECT_EQ(current_joystick_driver, &joystick_none);
  EXPECT_EQ(joystick_count, 0);
}

TEST(HidrawJoystickList, TheHostListEndsWithHidrawThenNoJoystick) {
  const driver_list_entry *list = corvane::unix_host::list_joystick_drivers();
  std::vector<int> ids;
  for (; list->driver != nullptr; ++list) ids.push_back(list->id);
  ASSERT_GE(ids.size(), 2u);
  EXPECT_EQ(ids[ids.size() - 2], JOYSTICK_HIDRAW);
  EXPECT_EQ(ids.back(), JOYSTICK_NONE);
}

}  // namespace

namespace {

TEST(HidrawAccess, NodesInNumberOrderAndWhatTheSystemCallsAnswer) {
  scoped_work_dir dir;
  for (const char *name : {"hidraw10", "hidraw2", "hidraw", "hidrawx", "hidraw1a", "event0"}) {
    write_file(dir.file(name), "");
  }
  EXPECT_EQ(corvane::hidraw::list_hidraw_nodes(dir.path().c_str()),
            (std::vector<std::string>{dir.file("hidraw2"), dir.file("hidraw10")}));
  EXPECT_TRUE(corvane::hidraw::list_hidraw_nodes(dir.file("missing").c_str()).empty());

  // A file that is no hidraw node: no descriptor; nothing pending; a directory cannot be read.
  const auto &system = corvane::hidraw::system_hidraw_access;
  const int file = system.open_device(dir.file("hidraw2").c_str());
  ASSERT_GE(file, 0);
  bytes descriptor;
  EXPECT_FALSE(system.read_descriptor(file, descriptor));
  uint8_t buffer[16];
  EXPECT_EQ(system.read_report(file, buffer, sizeof buffer), 0);
  system.close_device(file);
  const int directory = system.open_device(dir.path().c_str());
  ASSERT_GE(directory, 0);
  EXPECT_EQ(system.read_report(directory, buffer, sizeof buffer), -1);
  system.close_device(directory);
  EXPECT_EQ(system.open_device(dir.file("missing").c_str()), -1);
}

}  // namespace
