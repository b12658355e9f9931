// Reading a HID device's input reports into the values of its elements, as its report descriptor
// lays them out.
#ifndef CORVANE_INPUT_HID_REPORT_VALUES_H
#define CORVANE_INPUT_HID_REPORT_VALUES_H

#include <cstdint>
#include <span>
#include <vector>

#include "input/hid_report_descriptor.h"

namespace corvane::hid {

// The last value of each input element, by cookie; known[c] is false until a report carried it.
struct element_values {
  std::vector<int64_t> value;
  std::vector<unsigned char> known;

  explicit element_values(int count = 0)
      : value(static_cast<size_t>(count > 0 ? count : 0), 0),
        known(static_cast<size_t>(count > 0 ? count : 0), 0) {}
};

// Reads one input report as the device sends it: with its id byte first when the device numbers
// its reports. Slots that a short report does not hold keep their values (an array item only
// counts when all its slots are there). Returns false, changing nothing, for an empty report or
// one whose id no input item uses.
bool read_input_report(std::span<const uint8_t> report, const report_descriptor &layout,
                       element_values &values) noexcept;

// The bits of one slot: bit_size bits (1 to 32) from bit_offset, least significant first, sign
// extended when is_signed. The caller makes sure they lie inside data.
int64_t read_slot(std::span<const uint8_t> data, uint32_t bit_offset, uint32_t bit_size,
                  bool is_signed) noexcept;

}  // namespace corvane::hid

#endif  // CORVANE_INPUT_HID_REPORT_VALUES_H
