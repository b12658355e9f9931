// The HID element rules: sticks, axes, sliders, hats, pointers and buttons from element lists
// (the descriptors kept as test data and hand-made lists), names and flags in the state table,
// what falls outside it, and the formulas that apply the values.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "input/hid_elements.h"
#include "input/hid_report_descriptor.h"
#include "input/joystick_internal.h"
#include "input/joystick_values.h"
#include "support/hid_descriptor_files.h"

namespace {

using namespace corvane::hid;

struct laid_out {
  std::vector<joystick_part> parts;
  std::array<joystick_info, JOYSTICK_COUNT_MAX> table{};
  int joysticks = 0;
};

void lay_out(laid_out &out, const std::vector<element> &top_level) {
  for (joystick_info &j : out.table) corvane::reset_joystick(j);
  read_device_elements(top_level, out.joysticks, out.parts);
  register_parts(out.parts, out.table);
}

void lay_out_file(laid_out &out, const char *name) {
  report_descriptor layout;
  ASSERT_EQ(parse_report_descriptor(corvane::testing::load_hid_descriptor(name), layout),
            descriptor_error::none);
  lay_out(out, layout.top_level);
}

element item(uint32_t page, uint32_t usage, int64_t min = 0, int64_t max = 255,
             std::string name = "") {
  element e;
  e.usage_page = page;
  e.usage = usage;
  e.min = min;
  e.max = max;
  e.name = std::move(name);
  return e;
}

element collection(uint32_t page, uint32_t usage, std::vector<element> children) {
  element e = item(page, usage);
  e.type = ELEMENT_COLLECTION;
  e.children = std::move(children);
  return e;
}

element game_pad(std::vector<element> children) {
  return collection(PAGE_GENERIC_DESKTOP, USAGE_GAME_PAD, std::move(children));
}

std::vector<std::string> stick_names(const joystick_info &j) {
  std::vector<std::string> names;
  for (int s = 0; s < j.stick_count; ++s) {
    std::string name = j.sticks[s].name;
    for (int a = 0; a < j.sticks[s].axis_count; ++a)
      name += std::string(" ") + j.sticks[s].axes[a].name;
    names.push_back(name);
  }
  return names;
}

using names = std::vector<std::string>;

TEST(HidElementRules, GamePadWithFourAxesAndAHat) {
  laid_out pad;
  lay_out_file(pad, "gamepad");
  EXPECT_EQ(pad.joysticks, 1);
  const joystick_info &j = pad.table[0];
  EXPECT_EQ(stick_names(j), (names{"stick x y", "stick x y", "hat x y"}));
  for (int s = 0; s < 3; ++s) EXPECT_EQ(j.sticks[s].flags, 0x23);
  ASSERT_EQ(j.button_count, 12);
  EXPECT_STREQ(j.buttons[0].name, "B1");
  EXPECT_STREQ(j.buttons[11].name, "B12");
  EXPECT_STREQ(j.buttons[12].name, "unused");
  EXPECT_STREQ(j.sticks[3].name, "unused");
  EXPECT_EQ(pad.table[1].stick_count, 0);
}

TEST(HidElementRules, NestedCollectionsSlidersAndHatsStartSticksOfTheirOwn) {
  laid_out stick;
  lay_out_file(stick, "flight_stick");
  const joystick_info &j = stick.table[0];
  // X and Y inside the physical collection, the twist alone, the throttle, the hat.
  EXPECT_EQ(stick_names(j), (names{"stick x y", "stick x", "stick x", "hat x y"}));
  EXPECT_EQ(j.button_count, 12);
  const joystick_part &throttle = stick.parts.at(3);
  EXPECT_EQ(throttle.kind, part_kind::slider);
  EXPECT_EQ(throttle.stick, 2);
}

TEST(HidElementRules, APointerMakesOneStickOfAllItsAxes) {
  laid_out pad;
  lay_out_file(pad, "pointer_pad");
  const joystick_info &j = pad.table[0];
  // Rx alone (the pointer ends its stick), the pointer's X, Y and Z, then Ry.
  EXPECT_EQ(stick_names(j), (names{"stick x", "stick x y y", "stick x"}));
  EXPECT_EQ(j.button_count, 4);

  // A fourth axis in a pointer has no place; the stick after it still comes next.
  laid_out wide;
  lay_out(wide, {game_pad({collection(PAGE_GENERIC_DESKTOP, USAGE_POINTER,
                                      {item(1, 0x30), item(1, 0x31), item(1, 0x32), item(1, 0x33)}),
                           item(1, 0x34)})});
  EXPECT_EQ(stick_names(wide.table[0]), (names{"stick x y y", "stick x"}));
  EXPECT_FALSE(wide.parts.at(3).enabled);
}

TEST(HidElementRules, ButtonsBeyond32AndSticksBeyond5AreLeftOut) {
  laid_out pad;
  lay_out_file(pad, "many_buttons");
  EXPECT_EQ(pad.table[0].button_count, 32);
  EXPECT_STREQ(pad.table[0].buttons[31].name, "B32");
  int disabled = 0;
  for (const joystick_part &p : pad.parts) disabled += p.enabled ? 0 : 1;
  EXPECT_EQ(disabled, 8);

  std::vector<element> axes;
  for (int i = 0; i < 12; ++i) axes.push_back(item(1, 0x30 + i % 6));
  axes.push_back(item(PAGE_BUTTON, 0));  // usage 0 is no button
  laid_out many;
  lay_out(many, {game_pad(axes)});
  EXPECT_EQ(many.table[0].stick_count, 5);
  EXPECT_EQ(many.table[0].button_count, 0);
  EXPECT_FALSE(many.parts.at(10).enabled);  // stick 5
  EXPECT_FALSE(many.parts.at(12).enabled);
}

TEST(HidElementRules, JoysticksAreNumberedAcrossDevicesAndCollections) {
  laid_out devices;
  const element pad = game_pad({item(1, 0x30), item(1, 0x31)});
  const element mouse = collection(1, 0x02, {item(1, 0x30)});
  for (int device = 0; device < 5; ++device) {
    read_device_elements(std::vector<element>{pad, mouse, pad}, devices.joysticks, devices.parts);
  }
  EXPECT_EQ(devices.joysticks, 10);
  for (joystick_info &j : devices.table) corvane::reset_joystick(j);
  register_parts(devices.parts, devices.table);
  EXPECT_EQ(devices.parts.back().joystick, 9);
  EXPECT_FALSE(devices.parts.back().enabled);
  EXPECT_EQ(devices.table[7].stick_count, 1);
}

TEST(HidElementRules, NamesFromTheDeviceAndElementsThatAreNotInputs) {
  element output = item(1, 0x30);
  output.type = ELEMENT_OUTPUT;
  element feature = item(PAGE_BUTTON, 1);
  feature.type = ELEMENT_FEATURE;
  element deep = item(1, 0x32);
  for (int i = 0; i < max_collection_depth + 1; ++i) deep = collection(1, 0, {deep});
  laid_out pad;
  lay_out(pad, {game_pad({output, feature, collection(0xFF00, 1, {item(1, 0x30)}), deep,
                          item(1, 0x30, 0, 255, "Roll"), item(1, 0x31), item(1, 0x39, 0, 7, "View"),
                          item(PAGE_BUTTON, 2, 0, 1, "Fire")})});
  const joystick_info &j = pad.table[0];
  EXPECT_EQ(stick_names(j), (names{"stick Roll y", "View x y"}));
  EXPECT_EQ(j.button_count, 2);
  EXPECT_STREQ(j.buttons[0].name, "unused");
  EXPECT_STREQ(j.buttons[1].name, "Fire");
}

// The axis formula, written out plainly.
int reference_axis(int64_t v, int64_t min, int64_t max) {
  return static_cast<int>(((v - min) * 256) / (max - min + 1) - 128);
}

TEST(JoystickValues, AxesSpanMinus128To127WithDirections) {
  joystick_axis_info axis{};
  for (auto [min, max] : {std::pair<int64_t, int64_t>{0, 255},
                          {0, 1023},
                          {-32768, 32767},
                          {-2147483648ll, 2147483647ll},
                          {-1, 1}}) {
    const int64_t step = (max - min) / 997 + 1;
    for (int64_t v = min; v <= max; v += step) {
      corvane::apply_axis_value(axis, v, min, max);
      const int pos = reference_axis(v, min, max);
      ASSERT_EQ(axis.pos, pos) << v << " in " << min << ".." << max;
      ASSERT_EQ(axis.d1, pos < 0 ? -1 : 0);
      ASSERT_EQ(axis.d2, pos > 0 ? -1 : 0);
    }
    corvane::apply_axis_value(axis, max, min, max);
    if (max - min >= 255) {
      EXPECT_EQ(axis.pos, 127);
      EXPECT_EQ(axis.d2, -1);
      corvane::apply_axis_value(axis, min, min, max);
      EXPECT_EQ(axis.pos, -128);
      EXPECT_EQ(axis.d1, -1);
    }
  }
  // Values outside the range count as its ends; a backwards range does not divide by zero.
  corvane::apply_axis_value(axis, 300, 0, 255);
  EXPECT_EQ(axis.pos, 127);
  corvane::apply_axis_value(axis, -5, 0, 255);
  EXPECT_EQ(axis.pos, -128);
  corvane::apply_axis_value(axis, 7, 10, 0);
  EXPECT_EQ(axis.pos, -128);
}

TEST(JoystickValues, SlidersSpan0To254AndKeepTheirDirections) {
  joystick_axis_info axis{};
  axis.d1 = 5;
  for (int64_t v = 0; v <= 1023; ++v) {
    corvane::apply_slider_value(axis, v, 0, 1023);
    ASSERT_EQ(axis.pos, static_cast<int>(v * 255 / 1024));
  }
  EXPECT_EQ(axis.pos, 254);
  EXPECT_EQ(axis.d1, 5);
}

TEST(JoystickValues, HatPositions) {
  // Position: x pos, d1, d2, then y pos, d1, d2.
  const int expected[9][6] = {
      {0, 0, 0, -128, 1, 0},  {128, 0, 1, -128, 1, 0},  {128, 0, 1, 0, 0, 0},
      {128, 0, 1, 128, 0, 1}, {0, 0, 0, 128, 0, 1},     {-128, 1, 0, 128, 0, 1},
      {-128, 1, 0, 0, 0, 0},  {-128, 1, 0, -128, 1, 0}, {0, 0, 0, 0, 0, 0},
  };
  joystick_stick_info hat{};
  for (int p = 0; p < 9; ++p) {
    corvane::apply_hat_position(hat, p == 8 ? corvane::HAT_CENTRED : p);
    const joystick_axis_info &x = hat.axes[0], &y = hat.axes[1];
    EXPECT_EQ((std::vector<int>{x.pos, x.d1, x.d2, y.pos, y.d1, y.d2}),
              std::vector<int>(expected[p], expected[p] + 6))
        << "position " << p;
  }
  corvane::apply_hat_position(hat, 5);
  for (int other : {8, 9, 14, 16, -1}) {
    corvane::apply_hat_position(hat, other);
    EXPECT_EQ(hat.axes[0].pos, -128);
    EXPECT_EQ(hat.axes[1].pos, 128);
  }

  // A hat part counts positions from its logical minimum.
  laid_out pad;
  lay_out(pad, {game_pad({item(1, USAGE_HAT_SWITCH, 1, 8)})});
  apply_part_value(pad.parts.at(0), 3, pad.table);  // right
  EXPECT_EQ(pad.table[0].sticks[0].axes[0].pos, 128);
  EXPECT_EQ(pad.table[0].sticks[0].axes[1].pos, 0);
  apply_part_value(pad.parts.at(0), 0, pad.table);  // below the range: no position, kept
  EXPECT_EQ(pad.table[0].sticks[0].axes[0].pos, 128);
}

TEST(JoystickValues, AHatWithANullStateIsCentredByValuesOutsideItsRange) {
  laid_out pad;
  lay_out_file(pad, "gamepad");  // its hat: 0 to 7, with a null state
  const joystick_part &hat = pad.parts.at(4);
  ASSERT_EQ(hat.kind, part_kind::hat);
  EXPECT_TRUE(hat.null_state);
  EXPECT_FALSE(pad.parts.at(0).null_state);
  const joystick_stick_info &stick = pad.table[0].sticks[2];
  for (int64_t rest : {8, 15, -1}) {
    apply_part_value(hat, 7, pad.table);  // up-left
    apply_part_value(hat, rest, pad.table);
    EXPECT_EQ((std::vector<int>{stick.axes[0].pos, stick.axes[0].d1, stick.axes[1].pos,
                                stick.axes[1].d1}),
              (std::vector<int>{0, 0, 0, 0}))
        << rest;
  }
}

TEST(JoystickValues, ReleaseKeepsTheLayout) {
  laid_out pad;
  lay_out_file(pad, "gamepad");
  joystick_info &j = pad.table[0];
  for (const joystick_part &p : pad.parts)
    apply_part_value(p, p.kind == part_kind::hat ? 2 : 1, pad.table);
  EXPECT_EQ(j.buttons[11].b, 1);
  corvane::release_joystick_inputs(j);
  EXPECT_EQ(j.buttons[11].b, 0);
  EXPECT_EQ(j.sticks[2].axes[0].pos, 0);
  EXPECT_EQ(j.sticks[2].axes[0].d2, 0);
  EXPECT_EQ(j.sticks[0].axes[0].d1, 0);
  EXPECT_EQ(stick_names(j), (names{"stick x y", "stick x y", "hat x y"}));
}

}  // namespace
