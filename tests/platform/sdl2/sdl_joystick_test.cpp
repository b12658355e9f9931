// The SDL2 game-controller driver on SDL's virtual joysticks: mapped controllers in the standard
// layout, other joysticks by the HID element rules, a user mapping file, plugging devices in and
// out while their numbers stay, rumble taken or refused, and the host's list order.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corvane/config.h"
#include "corvane/joystick.h"
#include "corvane/system.h"
#include "platform/linux/unix_host.h"
#include "platform/sdl2/sdl_joystick.h"
#include "support/env_guard.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;
using corvane::sdl::JOYSTICK_SDL;

std::vector<Uint16> rumbled;

int record_rumble(void *, Uint16 low, Uint16 high) {
  rumbled.insert(rumbled.end(), {low, high});
  return 0;
}

// A virtual device the test holds on to, to set its values and unplug it.
struct virtual_device {
  SDL_JoystickID instance = -1;
  SDL_Joystick *handle = nullptr;

  void axis(int a, Sint16 v) const { SDL_JoystickSetVirtualAxis(handle, a, v); }
  void button(int b, bool down) const { SDL_JoystickSetVirtualButton(handle, b, down ? 1 : 0); }
  void hat(int h, Uint8 v) const { SDL_JoystickSetVirtualHat(handle, h, v); }
};

SDL_VirtualJoystickDesc pad_desc(const char *name = "Virtual pad", bool rumbles = true) {
  SDL_VirtualJoystickDesc d{};
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  d.naxes = SDL_CONTROLLER_AXIS_MAX;
  d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  d.name = name;
  if (rumbles) d.Rumble = record_rumble;
  return d;
}

SDL_VirtualJoystickDesc stick_desc(const char *name = "Virtual stick") {
  SDL_VirtualJoystickDesc d{};
  // SDL matches mappings by vendor and product; without them its ids hold the name instead.
  d.vendor_id = 0x1234;
  d.product_id = 0x5678;
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_FLIGHT_STICK;
  d.naxes = 3;
  d.nhats = 1;
  d.nbuttons = 5;
  d.name = name;
  return d;
}

class SdlJoystickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rumbled.clear();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    reset_test_system();
    ASSERT_EQ(start_with_test_system(), 0);
    use_config_data("", 0);
    the_test_system().joystick_drivers = list_;
  }
  void TearDown() override {
    shutdown_corvane();
    for (virtual_device &d : attached_) unplug(d);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
  }

  virtual_device plug(const SDL_VirtualJoystickDesc &desc) {
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    EXPECT_GE(index, 0) << SDL_GetError();
    virtual_device d{SDL_JoystickGetDeviceInstanceID(index), SDL_JoystickOpen(index)};
    attached_.push_back(d);
    return d;
  }

  void unplug(virtual_device &d) {
    if (d.handle == nullptr) return;
    SDL_JoystickClose(d.handle);
    d.handle = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == d.instance) SDL_JoystickDetachVirtual(i);
    }
    for (virtual_device &held : attached_) {
      if (held.instance == d.instance) held.handle = nullptr;
    }
  }

  driver_list_entry list_[3] = {
      {JOYSTICK_SDL, &corvane::sdl::joystick_driver, -1},
      {JOYSTICK_NONE, &joystick_none, -1},
      {0, nullptr, 0},
  };
  std::vector<virtual_device> attached_;
};

std::vector<int> axis_of(int n, int s, int a) {
  const joystick_axis_info &x = joysticks[n].sticks[s].axes[a];
  return {x.pos, x.d1, x.d2};
}

std::string layout_of(int n) {
  const joystick_info &j = joysticks[n];
  std::string out;
  for (int s = 0; s < j.stick_count; ++s) {
    out += std::string(j.sticks[s].name) + "(";
    for (int a = 0; a < j.sticks[s].axis_count; ++a)
      out += std::string(a ? " " : "") + j.sticks[s].axes[a].name;
    out += ") ";
  }
  for (int b = 0; b < j.button_count; ++b)
    out += std::string(j.buttons[b].name) + (b + 1 < j.button_count ? "," : "");
  return out;
}

const char *const standard_layout =
    "Left stick(x y) Right stick(x y) Left trigger(x) Right trigger(x) D-pad(x y) "
    "A,B,X,Y,Back,Guide,Start,Left stick,Right stick,Left shoulder,Right shoulder,Misc,"
    "Paddle 1,Paddle 2,Paddle 3,Paddle 4,Touchpad";

TEST_F(SdlJoystickTest, AMappedControllerGetsTheStandardLayout) {
  const virtual_device pad = plug(pad_desc());
  ASSERT_EQ(install_joystick(JOYSTICK_AUTODETECT), 0) << error_text;
  EXPECT_EQ(current_joystick_driver, &corvane::sdl::joystick_driver);
  ASSERT_EQ(joystick_count, 1);
  EXPECT_EQ(joysticks[0].flags, JOYSTICK_FLAG_STANDARD_LAYOUT);
  EXPECT_EQ(layout_of(0), standard_layout);

  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
  pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
  pad.axis(SDL_CONTROLLER_AXIS_RIGHTX, 128);
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
  pad.axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  pad.button(SDL_CONTROLLER_BUTTON_A, true);
  pad.button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
  pad.button(SDL_CONTROLLER_BUTTON_PADDLE1, true);
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(axis_of(0, JOYSTICK_PAD_LEFT_STICK, 0), (std::vector<int>{-128, -1, 0}));
  EXPECT_EQ(axis_of(0, JOYSTICK_PAD_LEFT_STICK, 1), (std::vector<int>{127, 0, -1}));
  EXPECT_EQ(axis_of(0, JOYSTICK_PAD_RIGHT_STICK, 0), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(axis_of(0, JOYSTICK_PAD_LEFT_TRIGGER, 0)[0], 254);
  EXPECT_EQ(axis_of(0, JOYSTICK_PAD_RIGHT_TRIGGER, 0)[0], 0);
  EXPECT_EQ(axis_of(0, JOYSTICK_PAD_DPAD, 0), (std::vector<int>{128, 0, 1}));
  EXPECT_EQ(axis_of(0, JOYSTICK_PAD_DPAD, 1), (std::vector<int>{-128, 1, 0}));
  std::vector<int> held;
  for (int b = 0; b < JOYSTICK_PAD_BUTTON_COUNT; ++b) {
    if (joysticks[0].buttons[b].b != 0) held.push_back(b);
  }
  EXPECT_EQ(held,
            (std::vector<int>{JOYSTICK_PAD_A, JOYSTICK_PAD_LEFT_SHOULDER, JOYSTICK_PAD_PADDLE1}));

  // Opposite directions held together cancel out.
  pad.button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(axis_of(0, JOYSTICK_PAD_DPAD, 0), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(axis_of(0, JOYSTICK_PAD_DPAD, 1), (std::vector<int>{-128, 1, 0}));
}

TEST_F(SdlJoystickTest, OtherJoysticksFollowTheElementRules) {
  const virtual_device stick = plug(stick_desc());
  ASSERT_EQ(install_joystick(JOYSTICK_SDL), 0);
  ASSERT_EQ(joystick_count, 1);
  EXPECT_EQ(joysticks[0].flags, 0);
  EXPECT_EQ(layout_of(0), "stick(x y) stick(x) hat(x y) B1,B2,B3,B4,B5");
  EXPECT_EQ(joysticks[0].sticks[0].flags, 0x23);

  stick.axis(0, -32768);
  stick.axis(1, 32767);
  stick.axis(2, -1);
  stick.hat(0, SDL_HAT_LEFTDOWN);
  stick.button(4, true);
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(axis_of(0, 0, 0), (std::vector<int>{-128, -1, 0}));
  EXPECT_EQ(axis_of(0, 0, 1), (std::vector<int>{127, 0, -1}));
  EXPECT_EQ(axis_of(0, 1, 0), (std::vector<int>{-1, -1, 0}));
  EXPECT_EQ(axis_of(0, 2, 0), (std::vector<int>{-128, 1, 0}));
  EXPECT_EQ(axis_of(0, 2, 1), (std::vector<int>{128, 0, 1}));
  EXPECT_EQ(joysticks[0].buttons[4].b, 1);
  EXPECT_EQ(joysticks[0].buttons[3].b, 0);
}

TEST_F(SdlJoystickTest, AMappingFileNamedInTheConfigurationMapsAJoystick) {
  scoped_work_dir dir;
  const virtual_device stick = plug(stick_desc("Mapped by file"));
  char guid[64];
  SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(stick.handle), guid, sizeof guid);
  const std::string file = dir.file("mappings.txt");
  write_file(file, std::string("# mine\n") + guid +
                       ",Mapped by file,a:b3,b:b0,leftx:a2,lefty:a0,dpup:h0.1,platform:Linux,\n");
  config_set_string("joystick", "controller_mappings", file.c_str());

  ASSERT_EQ(install_joystick(JOYSTICK_AUTODETECT), 0);
  ASSERT_EQ(joystick_count, 1);
  EXPECT_EQ(joysticks[0].flags, JOYSTICK_FLAG_STANDARD_LAYOUT);
  stick.button(3, true);
  stick.axis(2, 32767);
  stick.hat(0, SDL_HAT_UP);
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(joysticks[0].buttons[JOYSTICK_PAD_A].b, 1);
  EXPECT_EQ(joysticks[0].buttons[JOYSTICK_PAD_B].b, 0);
  EXPECT_EQ(axis_of(0, JOYSTICK_PAD_LEFT_STICK, 0)[0], 127);
  EXPECT_EQ(axis_of(0, JOYSTICK_PAD_DPAD, 1), (std::vector<int>{-128, 1, 0}));
}

TEST_F(SdlJoystickTest, MappingsFromTheEnvironmentCountToo) {
  virtual_device first = plug(stick_desc("Mapped by environment"));
  char guid[64];
  SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(first.handle), guid, sizeof guid);
  unplug(first);
  // SDL reads the environment when its joysticks start.
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  const env_guard mapping("SDL_GAMECONTROLLERCONFIG",
                          std::string(guid) + ",Mapped by environment,x:b1,platform:Linux,");
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
  const virtual_device stick = plug(stick_desc("Mapped by environment"));
  ASSERT_EQ(install_joystick(JOYSTICK_SDL), 0);
  EXPECT_EQ(joysticks[0].flags, JOYSTICK_FLAG_STANDARD_LAYOUT);
  stick.button(1, true);
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(joysticks[0].buttons[JOYSTICK_PAD_X].b, 1);
}

TEST_F(SdlJoystickTest, WithNothingPluggedInAutodetectionPassesItBy) {
  ASSERT_EQ(install_joystick(JOYSTICK_AUTODETECT), 0);
  EXPECT_EQ(current_joystick_driver, &joystick_none);
  EXPECT_EQ(joystick_count, 0);
}

TEST_F(SdlJoystickTest, DevicesComeAndGoWithoutTheirNumbersChanging) {
  // Asked for by id, the driver opens without devices and waits for them.
  ASSERT_EQ(install_joystick(JOYSTICK_SDL), 0) << error_text;
  EXPECT_EQ(joystick_count, 0);
  EXPECT_EQ(poll_joystick(), -1);

  virtual_device pad = plug(pad_desc());
  ASSERT_EQ(poll_joystick(), 0);
  ASSERT_EQ(joystick_count, 1);
  const virtual_device stick = plug(stick_desc());
  ASSERT_EQ(poll_joystick(), 0);
  ASSERT_EQ(joystick_count, 2);
  EXPECT_EQ(joysticks[0].flags, JOYSTICK_FLAG_STANDARD_LAYOUT);
  EXPECT_EQ(joysticks[1].stick_count, 3);

  pad.button(SDL_CONTROLLER_BUTTON_A, true);
  pad.axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
  stick.button(0, true);
  ASSERT_EQ(poll_joystick(), 0);
  ASSERT_EQ(joysticks[0].buttons[0].b, 1);

  unplug(pad);
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(joystick_count, 2);
  EXPECT_EQ(joysticks[0].flags, JOYSTICK_FLAG_STANDARD_LAYOUT | JOYSTICK_FLAG_DISCONNECTED);
  EXPECT_EQ(joysticks[0].buttons[0].b, 0);
  EXPECT_EQ(axis_of(0, 0, 0), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(layout_of(0), standard_layout);
  EXPECT_EQ(joysticks[1].buttons[0].b, 1);

  // Another device takes a new number; the pad gets its own back.
  const virtual_device other = plug(stick_desc("Another stick"));
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(joystick_count, 3);
  EXPECT_EQ(joysticks[2].stick_count, 3);
  const virtual_device again = plug(pad_desc());
  again.button(SDL_CONTROLLER_BUTTON_B, true);
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(joystick_count, 3);
  EXPECT_EQ(joysticks[0].flags, JOYSTICK_FLAG_STANDARD_LAYOUT);
  EXPECT_EQ(joysticks[0].buttons[1].b, 1);
  EXPECT_EQ(joysticks[0].buttons[0].b, 0);
  (void)other;
}

TEST_F(SdlJoystickTest, RumbleIsTakenWhereTheDeviceHasIt) {
  virtual_device pad = plug(pad_desc());
  plug(pad_desc("Pad without motors", false));
  ASSERT_EQ(install_joystick(JOYSTICK_SDL), 0);
  ASSERT_EQ(joystick_count, 2);
  EXPECT_EQ(start_joystick_rumble(0, 255, 128, 500), 0);
  EXPECT_EQ(stop_joystick_rumble(0), 0);
  EXPECT_EQ(rumbled, (std::vector<Uint16>{65535, 128 * 257, 0, 0}));
  EXPECT_EQ(start_joystick_rumble(1, 255, 255, 500), -1);
  EXPECT_STREQ(error_text, "This joystick cannot rumble");
  unplug(pad);
  ASSERT_EQ(poll_joystick(), 0);
  EXPECT_EQ(start_joystick_rumble(0, 255, 255, 0), -1);
}

TEST(SdlJoystickList, TheHostTriesGameControllersFirst) {
  const driver_list_entry *list = corvane::unix_host::list_joystick_drivers();
  std::vector<int> ids;
  for (; list->driver != nullptr; ++list) ids.push_back(list->id);
  ASSERT_FALSE(ids.empty());
  EXPECT_EQ(ids.front(), JOYSTICK_SDL);
}

}  // namespace
