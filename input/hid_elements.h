// A HID device's elements and the rules that make joysticks of them. Any joystick driver that can
// list a device's elements (usage page, usage, logical range, collections) uses these rules: the
// hidraw driver gets the list from the report descriptor, a driver on the Mac OS X HID registry
// from the registry's "Elements" arrays. Reading the values stays with the driver; applying them
// is apply_part_value.
#ifndef CORVANE_INPUT_HID_ELEMENTS_H
#define CORVANE_INPUT_HID_ELEMENTS_H

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "corvane/joystick.h"

namespace corvane::hid {

// Element types, numbered as the Mac OS X HID registry numbers its "Type" values, so that a
// driver reading that registry passes them on unchanged.
enum element_type : int {
  ELEMENT_INPUT_MISC = 1,
  ELEMENT_INPUT_BUTTON = 2,
  ELEMENT_INPUT_AXIS = 3,
  ELEMENT_INPUT_SCAN_CODES = 4,
  ELEMENT_OUTPUT = 129,
  ELEMENT_FEATURE = 257,
  ELEMENT_COLLECTION = 513,
};

inline constexpr uint32_t PAGE_GENERIC_DESKTOP = 0x01;
inline constexpr uint32_t PAGE_BUTTON = 0x09;

inline constexpr uint32_t USAGE_POINTER = 0x01;
inline constexpr uint32_t USAGE_JOYSTICK = 0x04;
inline constexpr uint32_t USAGE_GAME_PAD = 0x05;
inline constexpr uint32_t USAGE_X = 0x30;
inline constexpr uint32_t USAGE_RZ = 0x35;
inline constexpr uint32_t USAGE_SLIDER = 0x36;
inline constexpr uint32_t USAGE_WHEEL = 0x38;
inline constexpr uint32_t USAGE_HAT_SWITCH = 0x39;

// One element of a device: a collection with its children, or a value the device reports.
struct element {
  int type = ELEMENT_INPUT_MISC;
  uint32_t usage_page = 0;
  uint32_t usage = 0;
  int cookie = -1;  // the driver's handle for reading the element's value
  int64_t min = 0;  // logical range
  int64_t max = 0;
  // The device sends a value outside [min, max] when it has none to give: a hat switch at rest.
  bool null_state = false;
  std::string name;               // current encoding; empty when the device names none
  std::vector<element> children;  // of a collection
};

// True for a top-level element that is a joystick (0x10004) or a game pad (0x10005).
bool is_joystick_collection(const element &top_level) noexcept;

enum class part_kind : unsigned char { button, axis, slider, hat };

// An element in its place on a joystick: which record, stick and axis (or button) it drives.
struct joystick_part {
  part_kind kind = part_kind::button;
  int cookie = -1;
  int64_t min = 0;
  int64_t max = 0;
  int joystick = 0;
  int stick = 0;
  int index = 0;  // the axis of the stick, or the button
  bool null_state = false;
  std::string name;
  bool enabled = true;  // false: outside the state table, never applied
};

// Reads a device's top-level elements: every joystick or game-pad collection becomes joystick
// next_joystick (which then advances), and the elements inside it become its parts, appended to
// parts in element order. Within one collection, every two axes make a stick; a slider, dial or
// wheel, a hat switch and a pointer collection each make a stick of their own; buttons take the
// index of their usage less one; nested collections of the generic desktop page are read as if
// their children stood in their place. Output and feature elements are not inputs and are
// skipped, as are collections nested deeper than max_collection_depth. May throw std::bad_alloc.
void read_device_elements(std::span<const element> top_level, int &next_joystick,
                          std::vector<joystick_part> &parts);

inline constexpr int max_collection_depth = 32;

// Registers parts in the state table: counts, names and stick flags. Each part's joystick record
// must have been reset before. A part outside the table (joystick, stick, axis or button number)
// is disabled. Names point into the parts, which must stay where they are while registered.
void register_parts(std::span<joystick_part> parts, std::span<joystick_info> table) noexcept;

// Applies a value read from the device to the part's place in the table (nothing for a disabled
// part): a button's b, an axis's or slider's position, a hat's two axes (the hat's position is
// counted from its logical minimum; a hat with a null state that sends a value outside its range
// is at rest, centred).
void apply_part_value(const joystick_part &part, int64_t value,
                      std::span<joystick_info> table) noexcept;

}  // namespace corvane::hid

#endif  // CORVANE_INPUT_HID_ELEMENTS_H
