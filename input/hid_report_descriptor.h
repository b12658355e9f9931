// Reading a HID report descriptor: the element tree of the device (collections and the values it
// reports, as the joystick rules of hid_elements.h take them) and where each value sits in the
// device's input reports.
#ifndef CORVANE_INPUT_HID_REPORT_DESCRIPTOR_H
#define CORVANE_INPUT_HID_REPORT_DESCRIPTOR_H

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "input/hid_elements.h"

namespace corvane::hid {

// Limits that keep a hostile descriptor from costing more than a real device's would. A real game
// pad has tens of elements, collections a few levels deep and reports of a few dozen bytes.
inline constexpr int max_descriptor_elements = 4096;
inline constexpr int max_descriptor_depth = 32;
inline constexpr int max_global_stack = 8;
inline constexpr int max_local_usages = 256;         // usages and usage ranges before one main item
inline constexpr int max_array_usages = 1024;        // elements made for one array item
inline constexpr uint32_t max_report_bytes = 16384;  // of one report, without its id byte

// Where the slots of one input item sit in its reports.
struct input_field {
  uint8_t report_id = 0;    // 0 when the device numbers no reports
  uint32_t bit_offset = 0;  // of the first slot, counted from the byte after the report id
  uint32_t bit_size = 0;    // of one slot, 1 to 32
  uint32_t slot_count = 0;
  bool is_signed = false;  // the logical minimum is negative: slots are two's complement
  // An array item's slots hold the index (from the logical minimum) of a usage that is on; each
  // usage has an element of its own, 1 while on. A variable item's slot i is element
  // first_cookie + i.
  bool is_array = false;
  int64_t logical_min = 0;
  int first_cookie = 0;
  uint32_t usage_count = 0;  // array items: the elements made for the usages
};

struct report_descriptor {
  std::vector<element> top_level;
  std::vector<input_field> fields;
  int value_count = 0;  // input elements, whose cookies are 0 to value_count - 1
  bool uses_report_ids = false;
  // Length in bits of each input report (by report id) as the items describe it.
  std::array<uint32_t, 256> input_report_bits{};
};

enum class descriptor_error {
  none,
  truncated,               // an item runs past the end
  unbalanced_collections,  // an end without a collection, or a collection left open
  too_deep,                // collections nested deeper than max_descriptor_depth
  too_many_elements,       // more than max_descriptor_elements
  report_too_long,         // a report longer than max_report_bytes
  bad_report_id,           // report id 0 or above 255
  bad_global_stack,        // a push beyond max_global_stack, or a pop without a push
};

// Parses a descriptor into out (which is cleared first). On an error out holds what was read so
// far and should not be used. May throw std::bad_alloc.
descriptor_error parse_report_descriptor(std::span<const uint8_t> bytes, report_descriptor &out);

// Plain ASCII words for an error, for traces and messages.
const char *describe_descriptor_error(descriptor_error error) noexcept;

}  // namespace corvane::hid

#endif  // CORVANE_INPUT_HID_REPORT_DESCRIPTOR_H
