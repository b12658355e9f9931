// The HID report-descriptor parser: short and long items, the global state with its push and pop
// stack, local usages and usage ranges, collections, and input items turned into elements with
// their place in the reports.
#include "input/hid_report_descriptor.h"

namespace corvane::hid {
namespace {

// Item types of a short item's prefix.
constexpr int type_main = 0;
constexpr int type_global = 1;
constexpr int type_local = 2;

// Main items.
constexpr int tag_input = 0x8;
constexpr int tag_collection = 0xA;
constexpr int tag_end_collection = 0xC;

// Global items.
constexpr int tag_usage_page = 0x0;
constexpr int tag_logical_min = 0x1;
constexpr int tag_logical_max = 0x2;
constexpr int tag_report_size = 0x7;
constexpr int tag_report_id = 0x8;
constexpr int tag_report_count = 0x9;
constexpr int tag_push = 0xA;
constexpr int tag_pop = 0xB;

// Local items.
constexpr int tag_usage = 0x0;
constexpr int tag_usage_min = 0x1;
constexpr int tag_usage_max = 0x2;
constexpr int tag_delimiter = 0xA;

// Input item flags.
constexpr uint32_t input_constant = 0x01;
constexpr uint32_t input_variable = 0x02;
constexpr uint32_t input_null_state = 0x40;

constexpr uint8_t long_item_prefix = 0xFE;

struct global_state {
  uint32_t usage_page = 0;
  int64_t logical_min = 0;
  int64_t logical_max_signed = 0;
  int64_t logical_max_unsigned = 0;
  uint32_t report_size = 0;
  uint32_t report_count = 0;
  uint32_t report_id = 0;

  // A logical maximum is read as signed only when the minimum is negative, so that 255 written in
  // one byte (0xFF) means 255 for a range from 0.
  int64_t logical_max() const noexcept {
    return logical_min < 0 ? logical_max_signed : logical_max_unsigned;
  }
};

// A usage, or a range of them. A usage written in four bytes carries its page; the others take
// the page in force at the main item.
struct usage_entry {
  bool has_page = false;
  uint32_t page = 0;
  uint32_t first = 0;
  uint32_t last = 0;
};

struct local_state {
  std::vector<usage_entry> usages;
  bool have_usage_min = false;
  usage_entry pending_min;
  int delimiter_depth = 0;
  bool delimiter_taken = false;  // the set being read already gave its usage

  void clear() noexcept {
    usages.clear();
    have_usage_min = false;
    delimiter_depth = 0;
    delimiter_taken = false;
  }
};

// A resolved usage: page and id.
struct full_usage {
  uint32_t page = 0;
  uint32_t id = 0;
};

// Walks the usages of a main item in order; after the last one it keeps giving the last (a
// variable item with more slots than usages gives the rest the last usage).
class usage_walker {
 public:
  usage_walker(const std::vector<usage_entry> &usages, uint32_t page) noexcept
      : usages_(usages), page_(page) {}

  bool empty() const noexcept { return usages_.empty(); }

  full_usage next() noexcept {
    if (usages_.empty()) return {page_, 0};
    const usage_entry &entry = usages_[entry_];
    const full_usage usage{entry.has_page ? entry.page : page_, entry.first + step_};
    if (entry.first + step_ < entry.last) {
      ++step_;
    } else if (entry_ + 1 < usages_.size()) {
      ++entry_;
      step_ = 0;
    } else {
      exhausted_ = true;
    }
    return usage;
  }

  // True once every usage has been given.
  bool exhausted() const noexcept { return exhausted_ || usages_.empty(); }

 private:
  const std::vector<usage_entry> &usages_;
  uint32_t page_;
  size_t entry_ = 0;
  uint32_t step_ = 0;
  bool exhausted_ = false;
};

int element_type_for(full_usage usage) noexcept {
  if (usage.page == PAGE_BUTTON) return ELEMENT_INPUT_BUTTON;
  if (usage.page == PAGE_GENERIC_DESKTOP && usage.id >= USAGE_X && usage.id <= USAGE_WHEEL) {
    return ELEMENT_INPUT_AXIS;
  }
  return ELEMENT_INPUT_MISC;
}

class parser {
 public:
  explicit parser(report_descriptor &out) noexcept : out_(out) {}

  descriptor_error run(std::span<const uint8_t> bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
      const uint8_t prefix = bytes[at];
      if (prefix == long_item_prefix) {
        // A long item: its size, its tag, then the data. No long item is defined; skip it.
        if (bytes.size() - at < 3) return descriptor_error::truncated;
        const size_t size = bytes[at + 1];
        if (bytes.size() - at - 3 < size) return descriptor_error::truncated;
        at += 3 + size;
        continue;
      }
      static constexpr size_t data_sizes[4] = {0, 1, 2, 4};
      const size_t size = data_sizes[prefix & 3];
      if (bytes.size() - at - 1 < size) return descriptor_error::truncated;
      uint32_t data = 0;
      for (size_t i = 0; i < size; ++i) data |= static_cast<uint32_t>(bytes[at + 1 + i]) << (8 * i);
      at += 1 + size;
      const descriptor_error error = item((prefix >> 2) & 3, prefix >> 4, data, size);
      if (error != descriptor_error::none) return error;
    }
    if (!open_.empty()) return descriptor_error::unbalanced_collections;
    return descriptor_error::none;
  }

 private:
  static int64_t signed_data(uint32_t data, size_t size) noexcept {
    switch (size) {
      case 1:
        return static_cast<int8_t>(data);
      case 2:
        return static_cast<int16_t>(data);
      case 4:
        return static_cast<int32_t>(data);
      default:
        return 0;
    }
  }

  descriptor_error item(int type, int tag, uint32_t data, size_t size) {
    switch (type) {
      case type_main:
        return main_item(tag, data);
      case type_global:
        return global_item(tag, data, size);
      case type_local:
        local_item(tag, data, size);
        return descriptor_error::none;
      default:
        return descriptor_error::none;  // reserved item type: nothing to read
    }
  }

  descriptor_error main_item(int tag, uint32_t data) {
    descriptor_error error = descriptor_error::none;
    if (tag == tag_input) {
      error = input_item(data);
    } else if (tag == tag_collection) {
      error = open_collection();
    } else if (tag == tag_end_collection) {
      if (open_.empty()) return descriptor_error::unbalanced_collections;
      open_.pop_back();
    }
    // Output and feature items describe other reports; reserved tags mean nothing. Every main
    // item ends the local state.
    local_.clear();
    return error;
  }

  descriptor_error global_item(int tag, uint32_t data, size_t size) {
    switch (tag) {
      case tag_usage_page:
        global_.usage_page = data;
        break;
      case tag_logical_min:
        global_.logical_min = signed_data(data, size);
        break;
      case tag_logical_max:
        global_.logical_max_signed = signed_data(data, size);
        global_.logical_max_unsigned = data;
        break;
      case tag_report_size:
        global_.report_size = data;
        break;
      case tag_report_id:
        if (data == 0 || data > 255) return descriptor_error::bad_report_id;
        global_.report_id = data;
        out_.uses_report_ids = true;
        break;
      case tag_report_count:
        global_.report_count = data;
        break;
      case tag_push:
        if (stack_.size() >= static_cast<size_t>(max_global_stack)) {
          return descriptor_error::bad_global_stack;
        }
        stack_.push_back(global_);
        break;
      case tag_pop:
        if (stack_.empty()) return descriptor_error::bad_global_stack;
        global_ = stack_.back();
        stack_.pop_back();
        break;
      default:
        break;  // physical range, units: not needed for the values
    }
    return descriptor_error::none;
  }

  void local_item(int tag, uint32_t data, size_t size) {
    usage_entry entry;
    entry.has_page = size == 4;
    entry.page = data >> 16;
    const uint32_t id = size == 4 ? data & 0xFFFF : data;
    switch (tag) {
      case tag_usage:
        entry.first = entry.last = id;
        add_usage(entry);
        break;
      case tag_usage_min:
        entry.first = id;
        local_.pending_min = entry;
        local_.have_usage_min = true;
        break;
      case tag_usage_max:
        // A maximum without a minimum, or below it, names no usage.
        if (local_.have_usage_min && id >= local_.pending_min.first) {
          entry = local_.pending_min;
          entry.last = id;
          add_usage(entry);
        }
        local_.have_usage_min = false;
        break;
      case tag_delimiter:
        if (data == 1) {
          ++local_.delimiter_depth;
          local_.delimiter_taken = false;
        } else if (local_.delimiter_depth > 0) {
          --local_.delimiter_depth;
        }
        break;
      default:
        break;  // designators and strings
    }
  }

  // Inside a delimiter set only the first usage counts: the others are alternatives of it.
  void add_usage(const usage_entry &entry) {
    if (local_.delimiter_depth > 0) {
      if (local_.delimiter_taken) return;
      local_.delimiter_taken = true;
    }
    if (local_.usages.size() >= static_cast<size_t>(max_local_usages)) return;
    local_.usages.push_back(entry);
  }

  std::vector<element> &current_children() noexcept {
    return open_.empty() ? out_.top_level : open_.back()->children;
  }

  bool count_element() noexcept { return ++elements_ <= max_descriptor_elements; }

  descriptor_error open_collection() {
    if (open_.size() >= static_cast<size_t>(max_descriptor_depth)) {
      return descriptor_error::too_deep;
    }
    if (!count_element()) return descriptor_error::too_many_elements;
    usage_walker usages(local_.usages, global_.usage_page);
    const full_usage usage = usages.next();
    element collection;
    collection.type = ELEMENT_COLLECTION;
    collection.usage_page = usage.page;
    collection.usage = usage.id;
    std::vector<element> &siblings = current_children();
    siblings.push_back(std::move(collection));
    // Only the innermost open collection gets children, so the open ones never move.
    open_.push_back(&siblings.back());
    return descriptor_error::none;
  }

  element value_element(full_usage usage, int64_t min, int64_t max) noexcept {
    element e;
    e.type = element_type_for(usage);
    e.usage_page = usage.page;
    e.usage = usage.id;
    e.cookie = out_.value_count++;
    e.min = min;
    e.max = max;
    return e;
  }

  descriptor_error input_item(uint32_t flags) {
    const uint8_t id = static_cast<uint8_t>(global_.report_id);
    const uint64_t bits = static_cast<uint64_t>(global_.report_size) * global_.report_count;
    uint32_t &report_bits = out_.input_report_bits[id];
    if (report_bits + bits > static_cast<uint64_t>(max_report_bytes) * 8) {
      return descriptor_error::report_too_long;
    }
    const uint32_t offset = report_bits;
    report_bits += static_cast<uint32_t>(bits);
    // Padding, and slots too wide for a value, take room in the report and give no element.
    if (bits == 0 || (flags & input_constant) != 0 || global_.report_size > 32) {
      return descriptor_error::none;
    }

    input_field field;
    field.report_id = id;
    field.bit_offset = offset;
    field.bit_size = global_.report_size;
    field.slot_count = global_.report_count;
    field.logical_min = global_.logical_min;
    field.is_signed = global_.logical_min < 0;
    field.first_cookie = out_.value_count;
    std::vector<element> &siblings = current_children();
    usage_walker usages(local_.usages, global_.usage_page);
    if ((flags & input_variable) != 0) {
      for (uint32_t slot = 0; slot < field.slot_count; ++slot) {
        if (!count_element()) return descriptor_error::too_many_elements;
        siblings.push_back(
            value_element(usages.next(), global_.logical_min, global_.logical_max()));
        siblings.back().null_state = (flags & input_null_state) != 0;
      }
    } else {
      // An array: one on/off element per usage it can name.
      field.is_array = true;
      while (!usages.exhausted() && field.usage_count < static_cast<uint32_t>(max_array_usages)) {
        if (!count_element()) return descriptor_error::too_many_elements;
        siblings.push_back(value_element(usages.next(), 0, 1));
        ++field.usage_count;
      }
    }
    out_.fields.push_back(field);
    return descriptor_error::none;
  }

  report_descriptor &out_;
  global_state global_;
  std::vector<global_state> stack_;
  local_state local_;
  std::vector<element *> open_;
  int elements_ = 0;
};

}  // namespace

descriptor_error parse_report_descriptor(std::span<const uint8_t> bytes, report_descriptor &out) {
  out = report_descriptor{};
  return parser(out).run(bytes);
}

const char *describe_descriptor_error(descriptor_error error) noexcept {
  switch (error) {
    case descriptor_error::none:
      return "no error";
    case descriptor_error::truncated:
      return "an item runs past the end of the descriptor";
    case descriptor_error::unbalanced_collections:
      return "unbalanced collections";
    case descriptor_error::too_deep:
      return "collections nested too deep";
    case descriptor_error::too_many_elements:
      return "too many elements";
    case descriptor_error::report_too_long:
      return "a report is too long";
    case descriptor_error::bad_report_id:
      return "a report id outside 1 to 255";
    case descriptor_error::bad_global_stack:
      return "unbalanced push and pop";
  }
  return "unknown error";
}

}  // namespace corvane::hid
