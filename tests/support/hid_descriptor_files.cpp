// Reading the HID report descriptors kept as hexadecimal text under tests/data/hid.
#include "support/hid_descriptor_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace corvane::testing {

std::vector<uint8_t> load_hid_descriptor(const std::string &name) {
  const std::string path = std::string(CORVANE_TEST_DATA_DIR) + "/hid/" + name + ".txt";
  std::ifstream file(path);
  EXPECT_TRUE(file.good()) << "cannot read " << path;
  std::vector<uint8_t> bytes;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string word;
    while (words >> word) {
      size_t used = 0;
      const unsigned long value = std::stoul(word, &used, 16);
      EXPECT_TRUE(used == 2 && value <= 0xFF) << path << ": not a byte: " << word;
      bytes.push_back(static_cast<uint8_t>(value));
    }
  }
  return bytes;
}

}  // namespace corvane::testing
