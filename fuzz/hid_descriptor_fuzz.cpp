// Fuzz target "hid_descriptor": the input is a HID report descriptor followed by input reports
// (two bytes of descriptor length, little-endian, the descriptor, then reports each led by one
// length byte). The descriptor is parsed and, when it parses, laid out by the joystick element
// rules; the reports are read and applied. Whatever the bytes, the parser stays within its limits,
// every cookie and slot it hands out is in range, every part the rules enable fits the state
// table, and every position and flag read from the reports lies in its documented range.
#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz_support.h"
#include "input/hid_elements.h"
#include "input/hid_report_descriptor.h"
#include "input/hid_report_values.h"
#include "input/joystick_internal.h"

namespace {

using namespace corvane::hid;

int count_depth(const element &e, int depth) {
  int deepest = depth;
  for (const element &child : e.children) {
    const int d = count_depth(child, depth + 1);
    if (d > deepest) deepest = d;
  }
  FUZZ_CHECK(e.type == ELEMENT_COLLECTION || e.children.empty());
  FUZZ_CHECK(e.type == ELEMENT_COLLECTION ? e.cookie == -1 : e.cookie >= 0);
  return deepest;
}

void check_layout(const report_descriptor &layout) {
  FUZZ_CHECK(layout.value_count >= 0 && layout.value_count <= max_descriptor_elements);
  for (const element &e : layout.top_level) {
    FUZZ_CHECK(count_depth(e, e.type == ELEMENT_COLLECTION ? 1 : 0) <= max_descriptor_depth);
  }
  for (uint32_t bits : layout.input_report_bits) FUZZ_CHECK(bits <= max_report_bytes * 8);
  for (const input_field &f : layout.fields) {
    FUZZ_CHECK(f.bit_size >= 1 && f.bit_size <= 32);
    FUZZ_CHECK(uint64_t{f.bit_offset} + uint64_t{f.bit_size} * f.slot_count <=
               layout.input_report_bits[f.report_id]);
    const uint64_t cookies = f.is_array ? f.usage_count : f.slot_count;
    FUZZ_CHECK(f.first_cookie >= 0 && f.first_cookie + cookies <= uint64_t(layout.value_count));
  }
}

void check_table(const std::array<joystick_info, JOYSTICK_COUNT_MAX> &table) {
  for (const joystick_info &j : table) {
    FUZZ_CHECK(j.stick_count >= 0 && j.stick_count <= JOYSTICK_STICK_MAX);
    FUZZ_CHECK(j.button_count >= 0 && j.button_count <= JOYSTICK_BUTTON_MAX);
    for (const joystick_stick_info &s : j.sticks) {
      FUZZ_CHECK(s.axis_count >= 0 && s.axis_count <= JOYSTICK_AXIS_MAX && s.name != nullptr);
      for (const joystick_axis_info &a : s.axes) {
        FUZZ_CHECK(a.name != nullptr && a.pos >= -128 && a.pos <= 254);
        FUZZ_CHECK(a.d1 >= -1 && a.d1 <= 1 && a.d2 >= -1 && a.d2 <= 1);
      }
    }
    for (const joystick_button_info &b : j.buttons) FUZZ_CHECK(b.name != nullptr);
  }
}

void check_parts(const std::vector<joystick_part> &parts,
                 const std::array<joystick_info, JOYSTICK_COUNT_MAX> &table) {
  for (const joystick_part &p : parts) {
    if (!p.enabled) continue;
    FUZZ_CHECK(p.joystick >= 0 && p.joystick < JOYSTICK_COUNT_MAX);
    const joystick_info &j = table[static_cast<size_t>(p.joystick)];
    if (p.kind == part_kind::button) {
      FUZZ_CHECK(p.index >= 0 && p.index < j.button_count);
    } else {
      FUZZ_CHECK(p.stick >= 0 && p.stick < j.stick_count);
      FUZZ_CHECK(p.index >= 0 && p.index < j.sticks[p.stick].axis_count);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  const size_t descriptor_size = std::min<size_t>(data[0] | data[1] << 8, size - 2);
  std::span<const uint8_t> rest(data + 2 + descriptor_size, size - 2 - descriptor_size);

  report_descriptor layout;
  if (parse_report_descriptor(std::span(data + 2, descriptor_size), layout) !=
      descriptor_error::none) {
    return 0;
  }
  check_layout(layout);

  std::vector<joystick_part> parts;
  int joysticks_found = 0;
  read_device_elements(layout.top_level, joysticks_found, parts);
  std::array<joystick_info, JOYSTICK_COUNT_MAX> table{};
  for (joystick_info &j : table) corvane::reset_joystick(j);
  register_parts(parts, table);
  check_parts(parts, table);

  element_values values(layout.value_count);
  while (!rest.empty()) {
    const size_t length = std::min<size_t>(rest[0], rest.size() - 1);
    (void)read_input_report(rest.subspan(1, length), layout, values);
    rest = rest.subspan(1 + length);
    for (const joystick_part &p : parts) {
      const auto cookie = static_cast<size_t>(p.cookie);
      FUZZ_CHECK(p.cookie >= 0 && cookie < values.value.size());
      if (values.known[cookie] != 0) apply_part_value(p, values.value[cookie], table);
    }
    check_table(table);
  }
  return 0;
}
