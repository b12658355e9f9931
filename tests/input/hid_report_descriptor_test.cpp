// The HID report-descriptor parser and the reading of input reports: the element trees of the
// descriptors kept as test data, recorded reports with exact values, report ids, short reports,
// arrays, long items, usage ranges and pages, push and pop, and hostile descriptors.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

#include "input/hid_report_descriptor.h"
#include "input/hid_report_values.h"
#include "support/hid_descriptor_files.h"

namespace {

using namespace corvane::hid;
using bytes = std::vector<uint8_t>;
using corvane::testing::load_hid_descriptor;

report_descriptor parse_ok(const bytes &descriptor) {
  report_descriptor layout;
  EXPECT_EQ(parse_report_descriptor(descriptor, layout), descriptor_error::none);
  return layout;
}

descriptor_error parse_error(const bytes &descriptor) {
  report_descriptor layout;
  return parse_report_descriptor(descriptor, layout);
}

// The values of the cookies asked for, -999 for a value no report has carried.
std::vector<int64_t> values_of(const element_values &values, std::vector<int> cookies) {
  std::vector<int64_t> out;
  for (int c : cookies) out.push_back(values.known.at(c) ? values.value.at(c) : -999);
  return out;
}

TEST(HidReportDescriptor, GamePadElementsAndRecordedReport) {
  const report_descriptor layout = parse_ok(load_hid_descriptor("gamepad"));
  ASSERT_EQ(layout.top_level.size(), 1u);
  const element &pad = layout.top_level[0];
  EXPECT_EQ(pad.type, ELEMENT_COLLECTION);
  EXPECT_EQ(pad.usage_page << 16 | pad.usage, 0x10005u);
  ASSERT_EQ(pad.children.size(), 17u);  // 4 axes, the hat, 12 buttons; no padding
  const uint32_t axis_usages[] = {0x30, 0x31, 0x32, 0x35};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(pad.children[i].usage, axis_usages[i]);
    EXPECT_EQ(pad.children[i].max, 255);
    EXPECT_EQ(pad.children[i].cookie, i);
  }
  EXPECT_EQ(pad.children[4].usage, USAGE_HAT_SWITCH);
  EXPECT_EQ(pad.children[4].max, 7);
  EXPECT_EQ(pad.children[16].usage_page, PAGE_BUTTON);
  EXPECT_EQ(pad.children[16].usage, 12u);
  EXPECT_FALSE(layout.uses_report_ids);
  EXPECT_EQ(layout.input_report_bits[0], 56u);

  element_values values(layout.value_count);
  // X 0, Y 255, Z 128, Rz 127, hat 3 (padding bits set), buttons 1 and 3, buttons 10 and 12.
  const bytes report = {0x00, 0xFF, 0x80, 0x7F, 0xF3, 0x05, 0xFA};
  ASSERT_TRUE(read_input_report(report, layout, values));
  EXPECT_EQ(values_of(values, {0, 1, 2, 3, 4}), (std::vector<int64_t>{0, 255, 128, 127, 3}));
  std::vector<int64_t> buttons;
  for (int b = 5; b < 17; ++b) buttons.push_back(values.value[b]);
  EXPECT_EQ(buttons, (std::vector<int64_t>{1, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 1}));
}

TEST(HidReportDescriptor, ReportIdsNestedCollectionsSignedValuesAndShortReports) {
  const report_descriptor layout = parse_ok(load_hid_descriptor("flight_stick"));
  EXPECT_TRUE(layout.uses_report_ids);
  EXPECT_EQ(layout.input_report_bits[1], 56u);
  EXPECT_EQ(layout.input_report_bits[2], 8u);
  const element &stick = layout.top_level.at(0);
  // The physical collection without a usage takes the page in force: generic desktop, usage 0.
  ASSERT_EQ(stick.children.at(0).type, ELEMENT_COLLECTION);
  EXPECT_EQ(stick.children[0].usage_page, PAGE_GENERIC_DESKTOP);
  EXPECT_EQ(stick.children[0].usage, 0u);
  EXPECT_EQ(stick.children[0].children.size(), 2u);
  EXPECT_EQ(stick.children.at(1).min, -128);  // the twist

  element_values values(layout.value_count);
  // Cookies: X 0, Y 1, Rz 2, slider 3, hat 4, buttons 1-8 5-12, buttons 9-12 13-16.
  // X = 1023, Y = 514 (10 bits each across bytes), twist -2, throttle 200, hat 6, button 8.
  const bytes report1 = {0x01, 0xFF, 0x0B, 0x08, 0xFE, 200, 0x06, 0x80};
  ASSERT_TRUE(read_input_report(report1, layout, values));
  EXPECT_EQ(values_of(values, {0, 1, 2, 3, 4, 12, 13}),
            (std::vector<int64_t>{1023, 514, -2, 200, 6, 1, -999}));

  ASSERT_TRUE(read_input_report(bytes{0x02, 0x09}, layout, values));  // buttons 9 and 12
  EXPECT_EQ(values_of(values, {13, 14, 15, 16, 0}), (std::vector<int64_t>{1, 0, 0, 1, 1023}));

  // A report cut after its second data byte: X fits, Y (bits 10 to 19) and the rest keep theirs.
  ASSERT_TRUE(read_input_report(bytes{0x01, 0x05, 0x00}, layout, values));
  EXPECT_EQ(values_of(values, {0, 1, 2}), (std::vector<int64_t>{5, 514, -2}));

  // Ids no input item uses, and empty reports, change nothing.
  EXPECT_FALSE(read_input_report(bytes{0x03, 0xFF, 0xFF}, layout, values));
  EXPECT_FALSE(read_input_report(bytes{}, layout, values));
  EXPECT_EQ(values.value[0], 5);
}

TEST(HidReportDescriptor, ArrayItemsSetOneElementPerUsage) {
  const report_descriptor layout = parse_ok(load_hid_descriptor("keyboard"));
  ASSERT_EQ(layout.value_count, 8 + 256);
  const element &keyboard = layout.top_level.at(0);
  EXPECT_EQ(keyboard.children.at(8).usage, 0u);
  EXPECT_EQ(keyboard.children.at(8 + 255).usage, 255u);
  EXPECT_EQ(keyboard.children.at(8 + 255).max, 1);

  element_values values(layout.value_count);
  // Left shift; keys 0x04 and 0x1D down, the other slots empty (0, the "no key" usage).
  ASSERT_TRUE(read_input_report(bytes{0x02, 0x00, 0x04, 0x1D, 0, 0, 0, 0}, layout, values));
  EXPECT_EQ(values_of(values, {0, 1, 8 + 0x04, 8 + 0x1D, 8 + 0x05}),
            (std::vector<int64_t>{0, 1, 1, 1, 0}));
  // The next report: 0x04 is up again.
  ASSERT_TRUE(read_input_report(bytes{0x00, 0x00, 0x1D, 0, 0, 0, 0, 0}, layout, values));
  EXPECT_EQ(values_of(values, {8 + 0x04, 8 + 0x1D}), (std::vector<int64_t>{0, 1}));
  // An array cut short is left as it was.
  ASSERT_TRUE(read_input_report(bytes{0x00, 0x00, 0x04}, layout, values));
  EXPECT_EQ(values_of(values, {8 + 0x04, 8 + 0x1D}), (std::vector<int64_t>{0, 1}));
}

TEST(HidReportDescriptor, UsagesRangesPagesAndLongItems) {
  const report_descriptor layout = parse_ok({
      0x05, 0x01, 0x09, 0x05, 0xA1, 0x01,  // game pad
      0xFE, 0x02, 0x10, 0xAA, 0xBB,        // a long item, skipped
      0x0B, 0x39, 0x00, 0x01, 0x00,        // Usage (Generic Desktop: Hat) in four bytes
      0x05, 0x09,                          // Usage Page (Button)
      0x09, 0x07,                          // Usage (7), on the page in force at the input
      0x19, 0x02, 0x29, 0x03,              // Usage Minimum (2), Maximum (3)
      0x75, 0x01, 0x95, 0x06, 0x25, 0x01,  // six 1-bit slots: more slots than usages
      0x81, 0x02,                          //
      0xA9, 0x01, 0x09, 0x0A, 0x09, 0x0B, 0xA9, 0x00,  // a delimited set: only 10 counts
      0x95, 0x02, 0x81, 0x02,                          // two slots
      0xA4, 0x75, 0x08, 0xB4,                          // push, size 8, pop: size 1 again
      0x95, 0x01, 0x09, 0x0C, 0x81, 0x02, 0xC0,
  });
  const std::vector<element> &items = layout.top_level.at(0).children;
  std::vector<uint32_t> usages;
  for (const element &e : items) usages.push_back(e.usage_page << 16 | e.usage);
  EXPECT_EQ(usages, (std::vector<uint32_t>{0x10039, 0x90007, 0x90002, 0x90003, 0x90003, 0x90003,
                                           0x9000A, 0x9000A, 0x9000C}));
  EXPECT_EQ(layout.input_report_bits[0], 9u);
}

TEST(HidReportDescriptor, LogicalMaximumIsUnsignedUnlessTheMinimumIsNegative) {
  const report_descriptor layout = parse_ok({
      0x05, 0x01, 0x09, 0x04, 0xA1, 0x01,                                            // joystick
      0x15, 0x00, 0x25, 0xFF, 0x75, 0x08, 0x95, 0x01, 0x09, 0x30, 0x81, 0x02,        // 0..255
      0x15, 0xFF, 0x25, 0x01, 0x09, 0x31, 0x81, 0x02,                                // -1..1
      0x15, 0x00, 0x27, 0xFF, 0xFF, 0xFF, 0xFF, 0x75, 0x20, 0x09, 0x32, 0x81, 0x02,  // 32 bits
      0xC0,
  });
  const std::vector<element> &items = layout.top_level.at(0).children;
  EXPECT_EQ(items.at(0).max, 255);
  EXPECT_EQ(items.at(1).min, -1);
  EXPECT_EQ(items.at(1).max, 1);
  EXPECT_EQ(items.at(2).max, 0xFFFFFFFFll);
  element_values values(layout.value_count);
  ASSERT_TRUE(read_input_report(bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, layout, values));
  EXPECT_EQ(values_of(values, {0, 1, 2}), (std::vector<int64_t>{255, -1, 0xFFFFFFFFll}));
}

// A slot read bit by bit, the plain way.
int64_t reference_slot(const bytes &data, uint32_t offset, uint32_t size, bool is_signed) {
  uint64_t value = 0;
  for (uint32_t i = 0; i < size; ++i) {
    const uint32_t bit = offset + i;
    if ((data[bit / 8] >> (bit % 8)) & 1) value |= uint64_t{1} << i;
  }
  if (is_signed && (value >> (size - 1)) != 0)
    return static_cast<int64_t>(value) - (int64_t{1} << size);
  return static_cast<int64_t>(value);
}

TEST(HidReportDescriptor, SlotsMatchBitByBitReading) {
  std::mt19937 random(18);
  bytes data(16);
  for (auto &b : data) b = static_cast<uint8_t>(random());
  for (uint32_t size = 1; size <= 32; ++size) {
    for (uint32_t offset = 0; offset + size <= data.size() * 8; offset += 3) {
      for (bool is_signed : {false, true}) {
        ASSERT_EQ(read_slot(data, offset, size, is_signed),
                  reference_slot(data, offset, size, is_signed))
            << "offset " << offset << " size " << size << " signed " << is_signed;
      }
    }
  }
}

TEST(HidReportDescriptor, HostileDescriptorsAreRefusedQuickly) {
  EXPECT_EQ(parse_error({0x05, 0x01, 0x26, 0xFF}), descriptor_error::truncated);
  EXPECT_EQ(parse_error({0x05, 0x01, 0xFE, 0x10, 0x00, 0x01}), descriptor_error::truncated);
  EXPECT_EQ(parse_error({0xFE}), descriptor_error::truncated);
  EXPECT_EQ(parse_error({0xC0}), descriptor_error::unbalanced_collections);
  EXPECT_EQ(parse_error({0xA1, 0x01}), descriptor_error::unbalanced_collections);
  EXPECT_EQ(parse_error({0x85, 0x00}), descriptor_error::bad_report_id);
  EXPECT_EQ(parse_error({0x86, 0x00, 0x01}), descriptor_error::bad_report_id);
  EXPECT_EQ(parse_error({0xB4}), descriptor_error::bad_global_stack);
  EXPECT_EQ(parse_error(bytes(max_global_stack + 1, 0xA4)), descriptor_error::bad_global_stack);

  // Report counts and sizes far beyond any report; a size beyond 32 bits gives no element.
  EXPECT_EQ(parse_error({0x75, 0x01, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02}),
            descriptor_error::report_too_long);
  EXPECT_EQ(parse_error({0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x95, 0x01, 0x81, 0x02}),
            descriptor_error::report_too_long);
  const report_descriptor wide = parse_ok({0x75, 0x40, 0x95, 0x01, 0x09, 0x30, 0x81, 0x02});
  EXPECT_EQ(wide.value_count, 0);
  EXPECT_EQ(wide.input_report_bits[0], 64u);

  // Slots beyond the element limit.
  EXPECT_EQ(parse_error({0x75, 0x01, 0x96, 0x00, 0x20, 0x81, 0x02}),
            descriptor_error::too_many_elements);

  // Collections nested thousands deep stop at the depth limit, at once.
  bytes deep;
  for (int i = 0; i < 100000; ++i) deep.insert(deep.end(), {0xA1, 0x00});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(parse_error(deep), descriptor_error::too_deep);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

  // Usage ranges: backwards names nothing, the widest range makes only as many elements as slots,
  // and an array item makes at most max_array_usages of them.
  const report_descriptor ranges = parse_ok({
      0x19, 0x10, 0x29, 0x01,                                      // backwards
      0x1A, 0x00, 0x00, 0x2A, 0xFF, 0xFF,                          // 0 to 0xFFFF
      0x75, 0x01, 0x95, 0x04, 0x81, 0x02,                          // four variable slots
      0x1B, 0x00, 0x00, 0xFF, 0xFF, 0x2B, 0xFF, 0xFF, 0xFF, 0xFF,  // extended, whole page
      0x75, 0x10, 0x95, 0x01, 0x81, 0x00,                          // one array slot
  });
  EXPECT_EQ(ranges.value_count, 4 + max_array_usages);
  EXPECT_EQ(ranges.top_level.at(3).usage, 3u);
  EXPECT_EQ(ranges.top_level.at(4).usage_page, 0xFFFFu);
}

}  // namespace
