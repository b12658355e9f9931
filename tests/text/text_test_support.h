// Helpers for the text tests: 16-bit strings in properly aligned storage, byte views of results,
// and a guard that puts the current encoding back.
#ifndef CORVANE_TESTS_TEXT_TEXT_TEST_SUPPORT_H
#define CORVANE_TESTS_TEXT_TEXT_TEST_SUPPORT_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "corvane/text.h"

namespace corvane::testing {

// Makes an encoding current for the life of the object, then UTF-8 again.
class scoped_encoding {
 public:
  explicit scoped_encoding(int id) { set_text_encoding(id); }
  ~scoped_encoding() { set_text_encoding(ENCODING_UTF8); }
  scoped_encoding(const scoped_encoding &) = delete;
  scoped_encoding &operator=(const scoped_encoding &) = delete;
};

// A UNICODE16 string (or buffer) held as 16-bit units, so that it is aligned as uint16_t.
class utf16_text {
 public:
  // The units of text and a terminating 0 unit, plus spare zero units up to capacity.
  explicit utf16_text(const std::u16string &text, std::size_t capacity = 0)
      : units_(std::max(text.size() + 1, capacity), 0) {
    std::copy(text.begin(), text.end(), units_.begin());
  }

  char *data() { return reinterpret_cast<char *>(units_.data()); }
  const char *data() const { return reinterpret_cast<const char *>(units_.data()); }
  int byte_size() const { return static_cast<int>(units_.size() * 2); }
  std::vector<std::uint16_t> &units() { return units_; }

  // The units up to the first 0 unit.
  std::u16string text() const { return read(data()); }

  static std::u16string read(const char *s) {
    std::u16string result;
    for (const char *p = s;; p += 2) {
      std::uint16_t unit = 0;
      std::memcpy(&unit, p, 2);
      if (unit == 0) return result;
      result.push_back(static_cast<char16_t>(unit));
    }
  }

 private:
  std::vector<std::uint16_t> units_;
};

// The bytes of a fixed buffer as a string, all of them (terminators included).
inline std::string bytes_of(const char *s, std::size_t n) { return std::string(s, n); }

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_TEXT_TEXT_TEST_SUPPORT_H
