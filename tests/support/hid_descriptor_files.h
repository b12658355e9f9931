// The HID report descriptors kept as test data (tests/data/hid/*.txt): hexadecimal bytes, with
// "#" starting a comment that runs to the end of the line.
#ifndef CORVANE_TESTS_SUPPORT_HID_DESCRIPTOR_FILES_H
#define CORVANE_TESTS_SUPPORT_HID_DESCRIPTOR_FILES_H

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::testing {

// The bytes of tests/data/hid/<name>.txt; fails the test (and returns nothing) when the file is
// missing or holds anything but hexadecimal bytes.
std::vector<uint8_t> load_hid_descriptor(const std::string &name);

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_HID_DESCRIPTOR_FILES_H
