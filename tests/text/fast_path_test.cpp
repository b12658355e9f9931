// The byte-run fast paths of UTF-8 must give exactly what the character-by-character path gives.
// A registered copy of UTF-8 (the same operations behind other function pointers) takes the
// character-by-character path; every operation is run under both and compared, on text whose
// ASCII runs end at and around the block sizes of the fast path, with broken sequences too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corvane/text.h"

namespace {

const encoding_info &utf8() { return *find_encoding_info(ENCODING_UTF8); }
int slow_get(const char *s) { return utf8().get_char(s); }
int slow_next(const char **s) { return utf8().next_char(s); }
int slow_put(char *s, int c) { return utf8().put_char(s, c); }
int slow_width(const char *s) { return utf8().char_width(s); }
int slow_code_width(int c) { return utf8().code_width(c); }
int slow_ok(int c) { return utf8().char_ok(c); }
constexpr int slow_utf8 = CORVANE_ID('U', 'T', 'F', 's');

std::vector<std::string> tricky_inputs() {
  std::vector<std::string> inputs;
  const std::string tails[] = {"\xC3\xA9", "\xE2\x82\xAC",    "\xC3", "\xA9", "\x80",
                               "\xC0\x80", "\xF0\x9F\x98\x80"};
  for (const std::size_t run : {0, 1, 7, 8, 15, 16, 17, 31, 32, 33, 63, 64, 65, 127, 128, 129}) {
    std::string ascii(run, 'x');
    for (std::size_t i = 0; i < run; ++i) ascii[i] = static_cast<char>('0' + i % 60);
    for (const std::string &tail : tails) inputs.push_back(ascii + tail + ascii + "z");
    inputs.push_back(ascii);
  }
  return inputs;
}

class FastPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    register_text_encoding(slow_utf8, slow_get, slow_next, slow_put, slow_width, slow_code_width,
                           slow_ok, 4);
  }
  void TearDown() override { set_text_encoding(ENCODING_UTF8); }

  // Runs an operation under the fast and the slow encoding and returns both results.
  template <typename Operation>
  static auto both(Operation operation) {
    set_text_encoding(ENCODING_UTF8);
    auto fast = operation();
    set_text_encoding(slow_utf8);
    auto slow = operation();
    set_text_encoding(ENCODING_UTF8);
    return std::make_pair(fast, slow);
  }
};

TEST_F(FastPathTest, MeasuringAndIndexing) {
  for (const std::string &input : tricky_inputs()) {
    SCOPED_TRACE(input);
    const char *s = input.c_str();
    auto length = both([&] { return text_length(s); });
    EXPECT_EQ(length.first, length.second);
    auto size = both([&] { return text_size(s); });
    EXPECT_EQ(size.first, size.second);
    for (int index = -3; index < static_cast<int>(input.size()) + 3; ++index) {
      auto offset = both([&] { return text_offset(s, index); });
      EXPECT_EQ(offset.first, offset.second) << "index " << index;
    }
  }
}

TEST_F(FastPathTest, CopiesAtEverySize) {
  for (const std::string &input : tricky_inputs()) {
    SCOPED_TRACE(input);
    for (int size = 1; size <= static_cast<int>(input.size()) + 2; ++size) {
      auto copy = both([&] {
        std::vector<char> out(static_cast<std::size_t>(size), 'q');
        text_copy(out.data(), size, input.c_str());
        return std::string(out.begin(), out.end());
      });
      EXPECT_EQ(copy.first, copy.second) << "size " << size;
      auto counted = both([&] {
        std::vector<char> out(static_cast<std::size_t>(size), 'q');
        text_ncopy(out.data(), size, input.c_str(), size / 2);
        return std::string(out.begin(), out.end());
      });
      EXPECT_EQ(counted.first, counted.second) << "size " << size;
    }
  }
}

TEST_F(FastPathTest, ComparingAndConverting) {
  const std::vector<std::string> inputs = tricky_inputs();
  for (std::size_t i = 0; i + 1 < inputs.size(); ++i) {
    const char *a = inputs[i].c_str();
    const char *b = inputs[i + 1].c_str();
    auto compared = both([&] { return text_compare(a, b); });
    EXPECT_EQ(compared.first, compared.second) << inputs[i];
    auto same = both([&] { return text_compare(a, a); });
    EXPECT_EQ(same.first, 0);
    EXPECT_EQ(same.second, 0);
  }
  for (const std::string &input : inputs) {
    for (const int target : {ENCODING_ASCII8, ENCODING_CODEPAGE, ENCODING_UNICODE16}) {
      auto converted = both([&] {
        std::vector<char> out(input.size() * 2 + 2, 'q');
        convert_text_into(input.c_str(), ENCODING_CURRENT, out.data(), target,
                          static_cast<int>(out.size()));
        return std::string(out.begin(), out.end());
      });
      EXPECT_EQ(converted.first, converted.second) << input;
    }
  }
}

}  // namespace
