// The two layouts of the SDL2 game-controller driver: the standard layout of mapped controllers
// (sticks, triggers as sliders, the d-pad as a hat, 17 named buttons) and the HID element rules'
// layout of other joysticks, with the reading of both.
#include "platform/sdl2/sdl_controller_layout.h"

#include "corvane/config.h"
#include "corvane/text.h"
#include "input/joystick_values.h"

namespace corvane::sdl {
namespace {

constexpr int standard_stick_flags =
    JOYSTICK_FLAG_DIGITAL | JOYSTICK_FLAG_ANALOGUE | JOYSTICK_FLAG_SIGNED;

// SDL's axis range; triggers use its upper half.
constexpr int64_t axis_min = -32768;
constexpr int64_t axis_max = 32767;

struct standard_stick {
  const char *name;
  int axis_count;
};

constexpr standard_stick standard_sticks[JOYSTICK_STICK_MAX] = {
    {"Left stick", 2}, {"Right stick", 2}, {"Left trigger", 1}, {"Right trigger", 1}, {"D-pad", 2},
};

struct standard_button {
  const char *name;
  SDL_GameControllerButton button;
};

// The face buttons, named by the letters printed on them. No language translates those, and the
// translation look-up, which ignores case, would give "X" and "Y" the axis names "x" and "y".
constexpr int face_button_count = 4;

constexpr standard_button standard_buttons[JOYSTICK_PAD_BUTTON_COUNT] = {
    {"A", SDL_CONTROLLER_BUTTON_A},
    {"B", SDL_CONTROLLER_BUTTON_B},
    {"X", SDL_CONTROLLER_BUTTON_X},
    {"Y", SDL_CONTROLLER_BUTTON_Y},
    {"Back", SDL_CONTROLLER_BUTTON_BACK},
    {"Guide", SDL_CONTROLLER_BUTTON_GUIDE},
    {"Start", SDL_CONTROLLER_BUTTON_START},
    {"Left stick", SDL_CONTROLLER_BUTTON_LEFTSTICK},
    {"Right stick", SDL_CONTROLLER_BUTTON_RIGHTSTICK},
    {"Left shoulder", SDL_CONTROLLER_BUTTON_LEFTSHOULDER},
    {"Right shoulder", SDL_CONTROLLER_BUTTON_RIGHTSHOULDER},
    {"Misc", SDL_CONTROLLER_BUTTON_MISC1},
    {"Paddle 1", SDL_CONTROLLER_BUTTON_PADDLE1},
    {"Paddle 2", SDL_CONTROLLER_BUTTON_PADDLE2},
    {"Paddle 3", SDL_CONTROLLER_BUTTON_PADDLE3},
    {"Paddle 4", SDL_CONTROLLER_BUTTON_PADDLE4},
    {"Touchpad", SDL_CONTROLLER_BUTTON_TOUCHPAD},
};

// Joysticks report at most this many of each; more would only be disabled parts.
constexpr int max_axes = 64;
constexpr int max_hats = 16;
constexpr int max_buttons = 256;

// Cookies of the elements made for a joystick: the kind in the upper bits, the number below.
constexpr int cookie_axis = 0x00000;
constexpr int cookie_hat = 0x10000;
constexpr int cookie_button = 0x20000;
constexpr int cookie_number_mask = 0xFFFF;

// The face buttons' letters in the current encoding.
char face_button_names[face_button_count][8];

int pressed(SDL_GameController *controller, SDL_GameControllerButton button) noexcept {
  return SDL_GameControllerGetButton(controller, button) != 0 ? 1 : 0;
}

int bounded(int count, int limit) noexcept { return count < 0 ? 0 : count > limit ? limit : count; }

hid::element value_element(uint32_t page, uint32_t usage, int cookie, int64_t min, int64_t max) {
  hid::element e;
  e.usage_page = page;
  e.usage = usage;
  e.cookie = cookie;
  e.min = min;
  e.max = max;
  return e;
}

}  // namespace

int hat_position(int x, int y) noexcept {
  // Indexed by y + 1, then x + 1.
  static constexpr int positions[3][3] = {{7, 0, 1}, {6, HAT_CENTRED, 2}, {5, 4, 3}};
  return positions[y + 1][x + 1];
}

int hat_position_of(Uint8 sdl_hat) noexcept {
  // Opposite directions held together cancel out.
  const int x = ((sdl_hat & SDL_HAT_RIGHT) != 0 ? 1 : 0) - ((sdl_hat & SDL_HAT_LEFT) != 0 ? 1 : 0);
  const int y = ((sdl_hat & SDL_HAT_DOWN) != 0 ? 1 : 0) - ((sdl_hat & SDL_HAT_UP) != 0 ? 1 : 0);
  return hat_position(x, y);
}

void register_standard_layout(joystick_info &joystick) noexcept {
  joystick.flags |= JOYSTICK_FLAG_STANDARD_LAYOUT;
  joystick.stick_count = JOYSTICK_STICK_MAX;
  for (int s = 0; s < JOYSTICK_STICK_MAX; ++s) {
    joystick_stick_info &stick = joystick.sticks[s];
    stick.flags = standard_stick_flags;
    stick.name = translate_text(standard_sticks[s].name);
    stick.axis_count = standard_sticks[s].axis_count;
    stick.axes[0].name = translate_text("x");
    if (stick.axis_count > 1) stick.axes[1].name = translate_text("y");
  }
  joystick.button_count = JOYSTICK_PAD_BUTTON_COUNT;
  for (int b = 0; b < JOYSTICK_PAD_BUTTON_COUNT; ++b) {
    if (b < face_button_count) {
      convert_text_into(standard_buttons[b].name, ENCODING_ASCII8, face_button_names[b],
                        ENCODING_CURRENT, sizeof face_button_names[b]);
      joystick.buttons[b].name = face_button_names[b];
    } else {
      joystick.buttons[b].name = translate_text(standard_buttons[b].name);
    }
  }
}

void read_standard_layout(SDL_GameController *controller, joystick_info &joystick) noexcept {
  const auto axis = [&](SDL_GameControllerAxis which) {
    return static_cast<int64_t>(SDL_GameControllerGetAxis(controller, which));
  };
  joystick_stick_info *sticks = joystick.sticks;
  apply_axis_value(sticks[JOYSTICK_PAD_LEFT_STICK].axes[0], axis(SDL_CONTROLLER_AXIS_LEFTX),
                   axis_min, axis_max);
  apply_axis_value(sticks[JOYSTICK_PAD_LEFT_STICK].axes[1], axis(SDL_CONTROLLER_AXIS_LEFTY),
                   axis_min, axis_max);
  apply_axis_value(sticks[JOYSTICK_PAD_RIGHT_STICK].axes[0], axis(SDL_CONTROLLER_AXIS_RIGHTX),
                   axis_min, axis_max);
  apply_axis_value(sticks[JOYSTICK_PAD_RIGHT_STICK].axes[1], axis(SDL_CONTROLLER_AXIS_RIGHTY),
                   axis_min, axis_max);
  apply_slider_value(sticks[JOYSTICK_PAD_LEFT_TRIGGER].axes[0],
                     axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT), 0, axis_max);
  apply_slider_value(sticks[JOYSTICK_PAD_RIGHT_TRIGGER].axes[0],
                     axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT), 0, axis_max);
  const int x = pressed(controller, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) -
                pressed(controller, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  const int y = pressed(controller, SDL_CONTROLLER_BUTTON_DPAD_DOWN) -
                pressed(controller, SDL_CONTROLLER_BUTTON_DPAD_UP);
  apply_hat_position(sticks[JOYSTICK_PAD_DPAD], hat_position(x, y));
  for (int b = 0; b < JOYSTICK_PAD_BUTTON_COUNT; ++b) {
    apply_button_value(joystick.buttons[b], pressed(controller, standard_buttons[b].button));
  }
}

hid::element joystick_collection(SDL_Joystick *joystick) {
  hid::element collection;
  collection.type = hid::ELEMENT_COLLECTION;
  collection.usage_page = hid::PAGE_GENERIC_DESKTOP;
  collection.usage = hid::USAGE_JOYSTICK;
  const int axes = bounded(SDL_JoystickNumAxes(joystick), max_axes);
  const int hats = bounded(SDL_JoystickNumHats(joystick), max_hats);
  const int buttons = bounded(SDL_JoystickNumButtons(joystick), max_buttons);
  // SDL does not say which axis is which: every one counts as a stick axis (X to Rz).
  for (int i = 0; i < axes; ++i) {
    const uint32_t usage = hid::USAGE_X + static_cast<uint32_t>(i % 6);
    collection.children.push_back(
        value_element(hid::PAGE_GENERIC_DESKTOP, usage, cookie_axis | i, axis_min, axis_max));
  }
  for (int i = 0; i < hats; ++i) {
    collection.children.push_back(
        value_element(hid::PAGE_GENERIC_DESKTOP, hid::USAGE_HAT_SWITCH, cookie_hat | i, 0, 7));
  }
  for (int i = 0; i < buttons; ++i) {
    collection.children.push_back(
        value_element(hid::PAGE_BUTTON, static_cast<uint32_t>(i + 1), cookie_button | i, 0, 1));
  }
  return collection;
}

void read_joystick_parts(SDL_Joystick *joystick, std::span<const hid::joystick_part> parts,
                         std::span<joystick_info> table) noexcept {
  for (const hid::joystick_part &part : parts) {
    const int number = part.cookie & cookie_number_mask;
    int64_t value = 0;
    switch (part.cookie & ~cookie_number_mask) {
      case cookie_axis:
        value = SDL_JoystickGetAxis(joystick, number);
        break;
      case cookie_hat:
        value = hat_position_of(SDL_JoystickGetHat(joystick, number));
        break;
      case cookie_button:
        value = SDL_JoystickGetButton(joystick, number);
        break;
      default:
        continue;
    }
    hid::apply_part_value(part, value, table);
  }
}

}  // namespace corvane::sdl
