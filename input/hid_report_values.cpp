// Input reports to element values: finding the report's items by its id, taking each slot's bits
// out of the report and setting the elements of array items from the usages they name.
#include "input/hid_report_values.h"

namespace corvane::hid {
namespace {

bool slots_fit(uint64_t first_bit, uint64_t bit_size, uint64_t slots, size_t bytes) noexcept {
  return first_bit + bit_size * slots <= static_cast<uint64_t>(bytes) * 8;
}

void set_value(element_values &values, int cookie, int64_t value) noexcept {
  if (cookie < 0 || static_cast<size_t>(cookie) >= values.value.size()) return;
  values.value[static_cast<size_t>(cookie)] = value;
  values.known[static_cast<size_t>(cookie)] = 1;
}

void read_variable(const input_field &field, std::span<const uint8_t> data,
                   element_values &values) noexcept {
  for (uint32_t slot = 0; slot < field.slot_count; ++slot) {
    const uint64_t offset = field.bit_offset + static_cast<uint64_t>(slot) * field.bit_size;
    if (!slots_fit(offset, field.bit_size, 1, data.size())) return;
    set_value(values, field.first_cookie + static_cast<int>(slot),
              read_slot(data, static_cast<uint32_t>(offset), field.bit_size, field.is_signed));
  }
}

void read_array(const input_field &field, std::span<const uint8_t> data,
                element_values &values) noexcept {
  if (!slots_fit(field.bit_offset, field.bit_size, field.slot_count, data.size())) return;
  for (uint32_t usage = 0; usage < field.usage_count; ++usage) {
    set_value(values, field.first_cookie + static_cast<int>(usage), 0);
  }
  for (uint32_t slot = 0; slot < field.slot_count; ++slot) {
    const int64_t index =
        read_slot(data, field.bit_offset + slot * field.bit_size, field.bit_size, field.is_signed) -
        field.logical_min;
    // An index outside the usages (often 0 below a minimum of 1) means an empty slot.
    if (index >= 0 && index < static_cast<int64_t>(field.usage_count)) {
      set_value(values, field.first_cookie + static_cast<int>(index), 1);
    }
  }
}

}  // namespace

int64_t read_slot(std::span<const uint8_t> data, uint32_t bit_offset, uint32_t bit_size,
                  bool is_signed) noexcept {
  uint64_t bits = 0;
  const uint32_t first_byte = bit_offset / 8;
  const uint32_t shift = bit_offset % 8;
  const uint32_t bytes = (shift + bit_size + 7) / 8;  // at most 5
  for (uint32_t i = 0; i < bytes; ++i) {
    bits |= static_cast<uint64_t>(data[first_byte + i]) << (8 * i);
  }
  bits = (bits >> shift) & ((uint64_t{1} << bit_size) - 1);
  if (is_signed && bit_size < 64 && (bits >> (bit_size - 1)) != 0) {
    return static_cast<int64_t>(bits) - (int64_t{1} << bit_size);
  }
  return static_cast<int64_t>(bits);
}

bool read_input_report(std::span<const uint8_t> report, const report_descriptor &layout,
                       element_values &values) noexcept {
  if (report.empty()) return false;
  uint8_t id = 0;
  std::span<const uint8_t> data = report;
  if (layout.uses_report_ids) {
    id = report[0];
    data = report.subspan(1);
  }
  if (layout.input_report_bits[id] == 0) return false;
  for (const input_field &field : layout.fields) {
    if (field.report_id != id) continue;
    if (field.is_array) {
      read_array(field, data, values);
    } else {
      read_variable(field, data, values);
    }
  }
  return true;
}

}  // namespace corvane::hid
