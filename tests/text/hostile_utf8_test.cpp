// Hostile UTF-8: overlong forms, surrogates, six-byte forms, a lead byte cut off by the end of the
// string and seven- and eight-byte forms whose values do not fit 31 bits. Each reads as the
// decoding rules say, no reader steps past the terminator, and whatever is decoded encodes again
// as well-formed UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corvane/text.h"
#include "support/test_system.h"

namespace {

std::string hostile(const char *name) {
  return corvane::testing::read_file(std::string(CORVANE_TEST_DATA_DIR) + "/hostile/" + name);
}

const encoding_info &utf8() { return *find_encoding_info(ENCODING_UTF8); }

struct decoded {
  std::vector<int> code_points;
  std::vector<long> steps;
};

decoded decode_all(const std::string &s) {
  decoded d;
  const char *p = s.c_str();
  for (;;) {
    const char *before = p;
    const int c = utf8().next_char(&p);
    if (c == 0) break;
    EXPECT_LE(p, s.c_str() + s.size()) << "a character reaches past the terminator";
    d.code_points.push_back(c);
    d.steps.push_back(p - before);
  }
  return d;
}

std::string encode_all(const std::vector<int> &code_points) {
  std::string out;
  for (const int c : code_points) {
    char buffer[8];
    out.append(buffer, static_cast<size_t>(utf8().put_char(buffer, c)));
  }
  return out;
}

TEST(HostileUtf8Test, OverlongSlashReadsAsASlash) {
  // An overlong form is read for its value, so a check made on the decoded text sees the slash.
  const decoded d = decode_all(hostile("utf8_overlong_slash.bin"));
  EXPECT_EQ(d.code_points, (std::vector<int>{'.', '.', '/', '.', '.', '/', 'e', 't', 'c'}));
  EXPECT_EQ(d.steps[2], 2);
  EXPECT_EQ(encode_all(d.code_points), "../../etc");
  char converted[16];
  convert_text_into(hostile("utf8_overlong_slash.bin").c_str(), ENCODING_UTF8, converted,
                    ENCODING_ASCII8, sizeof converted);
  EXPECT_STREQ(converted, "../../etc");
}

TEST(HostileUtf8Test, SurrogatesAndSixByteFormsKeepTheirValues) {
  const decoded surrogate = decode_all(hostile("utf8_surrogate.bin"));
  EXPECT_EQ(surrogate.code_points, std::vector<int>{0xD800});
  EXPECT_EQ(encode_all(surrogate.code_points), hostile("utf8_surrogate.bin"));

  const std::string six = hostile("utf8_six_byte.bin");
  const decoded d = decode_all(six);
  EXPECT_EQ(d.code_points, std::vector<int>{0x4000000});
  EXPECT_EQ(utf8().code_width(0x4000000), 6);
  EXPECT_EQ(encode_all(d.code_points), six);
  // Six bytes for one character, more than max_width: bounded output still holds whole
  // characters only.
  char buffer[6];
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, "%s", six.c_str()), 1);
  EXPECT_STREQ(buffer, "");
  char roomy[8];
  EXPECT_EQ(format_text_bounded(roomy, sizeof roomy, "%s", six.c_str()), 1);
  EXPECT_EQ(std::string(roomy), six);
  text_copy(buffer, sizeof buffer, six.c_str());
  EXPECT_STREQ(buffer, "");
}

TEST(HostileUtf8Test, LeadByteAtTheEndStopsAtTheTerminator) {
  const std::string s = hostile("utf8_lead_at_end.bin");
  const decoded d = decode_all(s);
  EXPECT_EQ(d.code_points, (std::vector<int>{'a', 'b', '^'}));
  EXPECT_EQ(text_length(s.c_str()), 3);
  EXPECT_EQ(text_size(s.c_str()), 4);
  char ascii[8];
  convert_text_into(s.c_str(), ENCODING_UTF8, ascii, ENCODING_ASCII8, sizeof ascii);
  EXPECT_STREQ(ascii, "ab^");
}

TEST(HostileUtf8Test, FormsTooLongForThirtyOneBitsAreBroken) {
  // An eight-byte form with seven continuation bytes and a seven-byte form with six: their values
  // need 42 and 37 bits. They are taken whole, as their lead byte says, and read as '^' instead of
  // a value cut down to a negative or unrelated code point.
  const std::string s = hostile("utf8_eight_byte_lead.bin");
  const decoded d = decode_all(s);
  EXPECT_EQ(d.code_points, (std::vector<int>{'^', '|', '^', '|'}));
  EXPECT_EQ(d.steps, (std::vector<long>{8, 1, 7, 1}));
  EXPECT_EQ(encode_all(d.code_points), "^|^|");
  // Values that still fit keep them.
  EXPECT_EQ(utf8().get_char("\xFE\x80\x80\x80\x80\x81\xBF"), 0x7F);
  EXPECT_EQ(utf8().get_char("\xFE\x81\xBF\xBF\xBF\xBF\xBF"), 0x7FFFFFFF);
  EXPECT_EQ(utf8().get_char("\xFE\x82\x80\x80\x80\x80\x80"), '^');
}

TEST(HostileUtf8Test, DecodedTextAlwaysEncodesAsWellFormedUtf8) {
  // Every decoded code point lies between 0 and 0x7FFFFFFF, so encoding it gives its shortest
  // form, which decodes to the same value again.
  for (const char *name : {"utf8_overlong_slash.bin", "utf8_surrogate.bin", "utf8_six_byte.bin",
                           "utf8_lead_at_end.bin", "utf8_eight_byte_lead.bin"}) {
    const decoded once = decode_all(hostile(name));
    const std::string encoded = encode_all(once.code_points);
    for (const int c : once.code_points) EXPECT_GE(c, 0) << name;
    EXPECT_EQ(decode_all(encoded).code_points, once.code_points) << name;
  }
}

}  // namespace
