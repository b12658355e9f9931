// The rules that make joysticks of a HID device's elements: sticks, axes, sliders, hats and
// buttons from an element list, their names and flags in the state table, and applying the values
// read for them.
#include <array>

#include "corvane/config.h"
#include "input/hid_elements.h"
#include "input/joystick_values.h"

namespace corvane::hid {
namespace {

// The stick flags every stick and hat made by these rules carries.
constexpr int rule_stick_flags =
    JOYSTICK_FLAG_DIGITAL | JOYSTICK_FLAG_ANALOGUE | JOYSTICK_FLAG_SIGNED;

bool is_input(const element &e) noexcept {
  return e.type != ELEMENT_OUTPUT && e.type != ELEMENT_FEATURE;
}

bool is_axis_usage(uint32_t usage) noexcept { return usage >= USAGE_X && usage <= USAGE_RZ; }

bool is_slider_usage(uint32_t usage) noexcept {
  return usage >= USAGE_SLIDER && usage <= USAGE_WHEEL;
}

// Reads the elements of one joystick collection. s is the stick being filled, a the number of
// axes it has so far.
class joystick_reader {
 public:
  joystick_reader(int joystick, std::vector<joystick_part> &parts) noexcept
      : joystick_(joystick), parts_(parts) {}

  void read_children(const element &collection, int depth) {
    if (depth > max_collection_depth) return;
    for (const element &child : collection.children) {
      read_element(child, depth);
      // Two axes make a stick.
      if (a_ > 1) next_stick();
    }
  }

 private:
  void read_element(const element &e, int depth) {
    if (!is_input(e)) return;
    if (e.type == ELEMENT_COLLECTION) {
      if (e.usage_page != PAGE_GENERIC_DESKTOP) return;
      if (e.usage == USAGE_POINTER) {
        read_pointer(e);
      } else {
        read_children(e, depth + 1);
      }
      return;
    }
    if (e.usage_page == PAGE_BUTTON) {
      add(part_kind::button, e, 0, static_cast<int>(e.usage) - 1);
      return;
    }
    if (e.usage_page != PAGE_GENERIC_DESKTOP) return;
    if (is_axis_usage(e.usage)) {
      add(part_kind::axis, e, s_, a_);
      ++a_;
    } else if (is_slider_usage(e.usage) || e.usage == USAGE_HAT_SWITCH) {
      finish_started_stick();
      add(e.usage == USAGE_HAT_SWITCH ? part_kind::hat : part_kind::slider, e, s_, 0);
      ++s_;
    }
  }

  // A pointer's axes make one stick, whatever their number; its buttons are buttons.
  void read_pointer(const element &pointer) {
    finish_started_stick();
    int axis = 0;
    for (const element &child : pointer.children) {
      if (!is_input(child) || child.type == ELEMENT_COLLECTION) continue;
      if (child.usage_page == PAGE_BUTTON) {
        add(part_kind::button, child, 0, static_cast<int>(child.usage) - 1);
      } else if (child.usage_page == PAGE_GENERIC_DESKTOP && is_axis_usage(child.usage)) {
        add(part_kind::axis, child, s_, axis++);
      }
    }
    ++s_;
  }

  void finish_started_stick() noexcept {
    if (a_ > 0) next_stick();
  }

  void next_stick() noexcept {
    ++s_;
    a_ = 0;
  }

  void add(part_kind kind, const element &e, int stick, int index) {
    joystick_part part;
    part.kind = kind;
    part.cookie = e.cookie;
    part.min = e.min;
    part.max = e.max;
    part.null_state = e.null_state;
    part.joystick = joystick_;
    part.stick = stick;
    part.index = index;
    part.name = e.name;
    parts_.push_back(std::move(part));
  }

  int joystick_;
  std::vector<joystick_part> &parts_;
  int s_ = 0;
  int a_ = 0;
};

// "B1" to "B32", the names of buttons the device does not name.
constexpr auto button_labels = [] {
  std::array<std::array<char, 4>, JOYSTICK_BUTTON_MAX> labels{};
  for (int i = 0; i < JOYSTICK_BUTTON_MAX; ++i) {
    const int number = i + 1;
    labels[i][0] = 'B';
    if (number < 10) {
      labels[i][1] = static_cast<char>('0' + number);
    } else {
      labels[i][1] = static_cast<char>('0' + number / 10);
      labels[i][2] = static_cast<char>('0' + number % 10);
    }
  }
  return labels;
}();

const char *name_or(const joystick_part &part, const char *ascii_default) noexcept {
  return part.name.empty() ? translate_text(ascii_default) : part.name.c_str();
}

void cover(int &count, int index) noexcept {
  if (count < index + 1) count = index + 1;
}

bool register_part(joystick_part &part, std::span<joystick_info> table) noexcept {
  if (part.joystick < 0 || static_cast<size_t>(part.joystick) >= table.size()) return false;
  joystick_info &joystick = table[static_cast<size_t>(part.joystick)];
  if (part.kind == part_kind::button) {
    if (part.index < 0 || part.index >= JOYSTICK_BUTTON_MAX) return false;
    cover(joystick.button_count, part.index);
    joystick.buttons[part.index].name =
        name_or(part, button_labels[static_cast<size_t>(part.index)].data());
    return true;
  }
  if (part.stick < 0 || part.stick >= JOYSTICK_STICK_MAX) return false;
  joystick_stick_info &stick = joystick.sticks[part.stick];
  if (part.kind == part_kind::hat) {
    cover(joystick.stick_count, part.stick);
    stick.flags = rule_stick_flags;
    stick.axis_count = 2;
    stick.axes[0].name = translate_text("x");
    stick.axes[1].name = translate_text("y");
    stick.name = name_or(part, "hat");
    return true;
  }
  if (part.index < 0 || part.index >= JOYSTICK_AXIS_MAX) return false;
  cover(joystick.stick_count, part.stick);
  cover(stick.axis_count, part.index);
  stick.flags = rule_stick_flags;
  stick.name = translate_text("stick");
  stick.axes[part.index].name = name_or(part, part.index == 0 ? "x" : "y");
  return true;
}

}  // namespace

bool is_joystick_collection(const element &top_level) noexcept {
  return top_level.usage_page == PAGE_GENERIC_DESKTOP &&
         (top_level.usage == USAGE_JOYSTICK || top_level.usage == USAGE_GAME_PAD);
}

void read_device_elements(std::span<const element> top_level, int &next_joystick,
                          std::vector<joystick_part> &parts) {
  for (const element &e : top_level) {
    if (!is_joystick_collection(e)) continue;
    joystick_reader(next_joystick++, parts).read_children(e, 1);
  }
}

void register_parts(std::span<joystick_part> parts, std::span<joystick_info> table) noexcept {
  for (joystick_part &part : parts) part.enabled = register_part(part, table);
}

void apply_part_value(const joystick_part &part, int64_t value,
                      std::span<joystick_info> table) noexcept {
  if (!part.enabled || part.joystick < 0 || static_cast<size_t>(part.joystick) >= table.size()) {
    return;
  }
  joystick_info &joystick = table[static_cast<size_t>(part.joystick)];
  if (part.kind == part_kind::button ? part.index < 0 || part.index >= JOYSTICK_BUTTON_MAX
                                     : part.stick < 0 || part.stick >= JOYSTICK_STICK_MAX ||
                                           part.index < 0 || part.index >= JOYSTICK_AXIS_MAX) {
    return;
  }
  switch (part.kind) {
    case part_kind::button:
      apply_button_value(joystick.buttons[part.index], value);
      break;
    case part_kind::axis:
      apply_axis_value(joystick.sticks[part.stick].axes[part.index], value, part.min, part.max);
      break;
    case part_kind::slider:
      apply_slider_value(joystick.sticks[part.stick].axes[part.index], value, part.min, part.max);
      break;
    case part_kind::hat:
      // A released hat that reports its null value would otherwise keep its last direction.
      if (part.null_state && (value < part.min || value > part.max)) {
        apply_hat_position(joystick.sticks[part.stick], HAT_CENTRED);
      } else {
        apply_hat_position(joystick.sticks[part.stick], value - part.min);
      }
      break;
  }
}

}  // namespace corvane::hid
