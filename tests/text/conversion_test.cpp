// Conversion between encodings: when it is needed, sizes, bounded conversion cut on whole
// characters, and convert_text's choice of result.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "corvane/text.h"
#include "tests/text/text_test_support.h"

namespace {

using corvane::testing::scoped_encoding;
using corvane::testing::utf16_text;

constexpr int unknown_id = CORVANE_ID('N', 'O', 'P', 'E');

std::string convert(const std::string &s, int from, int to, int size) {
  std::vector<char> buffer(static_cast<std::size_t>(size), '\x55');
  convert_text_into(s.c_str(), from, buffer.data(), to, size);
  return std::string(buffer.data());
}

TEST(ConversionNeededTest, FollowsTheRulesInOrder) {
  EXPECT_EQ(conversion_needed("caf\xC3\xA9", ENCODING_UTF8, ENCODING_UTF8), 0);
  EXPECT_EQ(conversion_needed("plain", ENCODING_ASCII8, ENCODING_UTF8), 0);
  EXPECT_EQ(conversion_needed("plain", ENCODING_UTF8, ENCODING_ASCII8), 0);
  EXPECT_EQ(conversion_needed("caf\xE9", ENCODING_ASCII8, ENCODING_UTF8), -1);
  EXPECT_EQ(conversion_needed("plain", ENCODING_CODEPAGE, ENCODING_UTF8), -1);
  EXPECT_EQ(conversion_needed("plain", ENCODING_ASCII8, ENCODING_CODEPAGE), -1);
  EXPECT_EQ(conversion_needed("plain", ENCODING_ASCII8, ENCODING_UNICODE16), -1);
  EXPECT_EQ(conversion_needed("plain", ENCODING_ASCII8, ENCODING_CURRENT), 0);
  EXPECT_EQ(conversion_needed("plain", ENCODING_CURRENT, ENCODING_UTF8), 0);
  // A high byte far into a long string is found.
  std::string long_text(300, 'a');
  EXPECT_EQ(conversion_needed(long_text.c_str(), ENCODING_ASCII8, ENCODING_UTF8), 0);
  long_text[257] = '\xE9';
  EXPECT_EQ(conversion_needed(long_text.c_str(), ENCODING_ASCII8, ENCODING_UTF8), -1);
}

TEST(ConvertedSizeTest, SumsTargetWidthsAndTheTerminator) {
  EXPECT_EQ(converted_size("a\xC3\xA9\xE2\x82\xAC", ENCODING_UTF8, ENCODING_UNICODE16), 8);
  EXPECT_EQ(converted_size("a\xE9", ENCODING_ASCII8, ENCODING_UTF8), 4);
  EXPECT_EQ(converted_size("", ENCODING_ASCII8, ENCODING_UNICODE16), 2);
  // Characters the target cannot hold are counted as '^'.
  EXPECT_EQ(converted_size("\xE2\x82\xAC", ENCODING_UTF8, ENCODING_ASCII8), 2);
  EXPECT_EQ(converted_size("abc", unknown_id, ENCODING_UTF8), 0);
  EXPECT_EQ(converted_size("abc", ENCODING_UTF8, unknown_id), 0);
}

TEST(ConvertTextIntoTest, Utf8ToCodepageFoldsLetters) {
  EXPECT_EQ(convert("caf\xC3\xA9", ENCODING_UTF8, ENCODING_CODEPAGE, 16), "cafe");
  EXPECT_EQ(convert("\xE2\x82\xAC"
                    "5",
                    ENCODING_UTF8, ENCODING_CODEPAGE, 16),
            "^5");
  EXPECT_EQ(convert("\xC3\x98re", ENCODING_UTF8, ENCODING_CODEPAGE, 16), "0re");
}

TEST(ConvertTextIntoTest, Ascii8ToUtf8AndBack) {
  EXPECT_EQ(convert("caf\xE9", ENCODING_ASCII8, ENCODING_UTF8, 16), "caf\xC3\xA9");
  EXPECT_EQ(convert("caf\xC3\xA9", ENCODING_UTF8, ENCODING_ASCII8, 16), "caf\xE9");
  EXPECT_EQ(convert("\xE2\x82\xAC", ENCODING_UTF8, ENCODING_ASCII8, 16), "^");
  // Broken input arrives as '^' characters.
  EXPECT_EQ(convert("a\xC3"
                    "b",
                    ENCODING_UTF8, ENCODING_ASCII8, 16),
            "a^b");
}

TEST(ConvertTextIntoTest, SixteenBitTargetsAndSources) {
  utf16_text out(u"", 8);
  convert_text_into("a\xC3\xA9\xE2\x82\xAC", ENCODING_UTF8, out.data(), ENCODING_UNICODE16,
                    out.byte_size());
  EXPECT_EQ(out.text(), u"a\u00E9\u20AC");

  const utf16_text source(u"x\u20AC\u00E9");
  char bytes[8];
  convert_text_into(source.data(), ENCODING_UNICODE16, bytes, ENCODING_ASCII8, sizeof bytes);
  EXPECT_STREQ(bytes, "x^\xE9");
  convert_text_into(source.data(), ENCODING_UNICODE16, bytes, ENCODING_UTF8, sizeof bytes);
  EXPECT_STREQ(bytes, "x\xE2\x82\xAC\xC3\xA9");
}

TEST(ConvertTextIntoTest, CutsOnAWholeCharacterAndTerminates) {
  // Room for 'a' and 2 more bytes: the 3-byte euro sign does not fit.
  EXPECT_EQ(convert("a\xE2\x82\xAC"
                    "b",
                    ENCODING_UTF8, ENCODING_UTF8, 4),
            "a");
  EXPECT_EQ(convert("a\xE2\x82\xAC"
                    "b",
                    ENCODING_UTF8, ENCODING_UTF8, 5),
            "a\xE2\x82\xAC");
  EXPECT_EQ(convert("\xE9\xE9\xE9", ENCODING_ASCII8, ENCODING_UTF8, 6), "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(convert("abcdef", ENCODING_ASCII8, ENCODING_UTF8, 4), "abc");
  EXPECT_EQ(convert("abcdef", ENCODING_ASCII8, ENCODING_UTF8, 1), "");

  utf16_text out(u"", 3);
  out.units()[2] = 0x5555;
  convert_text_into("abc", ENCODING_ASCII8, out.data(), ENCODING_UNICODE16, 5);
  EXPECT_EQ(out.text(), u"a");
  EXPECT_EQ(out.units()[2], 0x5555);  // the fifth byte was not needed and is untouched
}

TEST(ConvertTextIntoTest, BuffersTooSmallForATerminator) {
  char canary[2] = {'\x55', '\x55'};
  convert_text_into("abc", ENCODING_ASCII8, canary, ENCODING_UTF8, 0);
  EXPECT_EQ(canary[0], '\x55');
  convert_text_into("abc", ENCODING_ASCII8, canary, ENCODING_UNICODE16, 1);
  EXPECT_EQ(canary[0], 0);
  EXPECT_EQ(canary[1], '\x55');
  convert_text_into("abc", ENCODING_ASCII8, nullptr, ENCODING_UTF8, 10);
  convert_text_into(nullptr, ENCODING_ASCII8, canary, ENCODING_UTF8, 2);
  EXPECT_EQ(canary[0], 0);
}

TEST(ConvertTextIntoTest, UnknownIdsWriteNothing) {
  char buffer[4] = "zz";
  convert_text_into("abc", unknown_id, buffer, ENCODING_UTF8, sizeof buffer);
  convert_text_into("abc", ENCODING_UTF8, buffer, unknown_id, sizeof buffer);
  EXPECT_STREQ(buffer, "zz");
}

TEST(ConvertTextTest, ReturnsTheSourceWhenNothingNeedsConverting) {
  const char *plain = "plain text";
  char buffer[32];
  EXPECT_EQ(convert_text(plain, ENCODING_ASCII8, buffer, ENCODING_UTF8, sizeof buffer), plain);
  const char *latin = "caf\xE9";
  const char *converted =
      convert_text(latin, ENCODING_ASCII8, buffer, ENCODING_UTF8, sizeof buffer);
  EXPECT_EQ(converted, buffer);
  EXPECT_STREQ(converted, "caf\xC3\xA9");
}

TEST(ConvertTextTest, WithoutABufferUsesOneStatic1024ByteBuffer) {
  const std::string latin(2000, '\xE9');
  // The size passed is ignored: the static buffer holds 511 two-byte characters.
  const char *first = convert_text(latin.c_str(), ENCODING_ASCII8, nullptr, ENCODING_UTF8, 5);
  EXPECT_EQ(std::strlen(first), 1022u);
  const char *second = convert_text("\xE8", ENCODING_ASCII8, nullptr, ENCODING_UTF8, 0);
  EXPECT_EQ(second, first);
  EXPECT_STREQ(first, "\xC3\xA8");
}

TEST(ConvertTextTest, ImpossibleConversionsGiveAnEmptyString) {
  char buffer[4] = "zz";
  const char *result = convert_text("caf\xE9", ENCODING_ASCII8, buffer, unknown_id, 4);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result[0], 0);
  EXPECT_EQ(result[1], 0);
  result = convert_text("caf\xE9", ENCODING_ASCII8, buffer, ENCODING_UNICODE16, 1);
  EXPECT_EQ(utf16_text::read(result), u"");
  EXPECT_STREQ(buffer, "zz");
}

TEST(ConvertTextTest, CurrentEncodingOnEitherSide) {
  scoped_encoding guard(ENCODING_UNICODE16);
  utf16_text out(u"", 8);
  const char *result =
      convert_text("hi", ENCODING_ASCII8, out.data(), ENCODING_CURRENT, out.byte_size());
  EXPECT_EQ(result, out.data());
  EXPECT_EQ(out.text(), u"hi");
  char back[8];
  EXPECT_STREQ(convert_text(out.data(), ENCODING_CURRENT, back, ENCODING_ASCII8, sizeof back),
               "hi");
}

// The ASCII fast path must give exactly what character-by-character conversion gives. A
// registered copy of UTF-8 (same operations behind other function pointers) takes the slow path.
int copy_get(const char *s) { return find_encoding_info(ENCODING_UTF8)->get_char(s); }
int copy_next(const char **s) { return find_encoding_info(ENCODING_UTF8)->next_char(s); }
int copy_put(char *s, int c) { return find_encoding_info(ENCODING_UTF8)->put_char(s, c); }
int copy_width(const char *s) { return find_encoding_info(ENCODING_UTF8)->char_width(s); }
int copy_code_width(int c) { return find_encoding_info(ENCODING_UTF8)->code_width(c); }
int copy_ok(int c) { return find_encoding_info(ENCODING_UTF8)->char_ok(c); }
constexpr int slow_utf8 = CORVANE_ID('U', 'T', 'F', 'x');

TEST(ConvertTextIntoTest, FastPathMatchesCharacterByCharacterConversion) {
  register_text_encoding(slow_utf8, copy_get, copy_next, copy_put, copy_width, copy_code_width,
                         copy_ok, 4);
  std::string text(70, 'a');
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('!' + i % 90);
  const std::string inputs[] = {text, text + "\xC3\xA9" + text, text.substr(0, 33) + "\xC3" + "z",
                                "\xE2\x82\xAC" + text, text + "\xC0\x80" + text};
  for (const std::string &input : inputs) {
    for (const int target : {ENCODING_ASCII8, ENCODING_UTF8, ENCODING_CODEPAGE}) {
      for (int size = 1; size < static_cast<int>(input.size()) + 4; ++size) {
        EXPECT_EQ(convert(input, ENCODING_UTF8, target, size),
                  convert(input, slow_utf8, target, size))
            << "size " << size;
      }
      EXPECT_EQ(converted_size(input.c_str(), ENCODING_UTF8, target),
                converted_size(input.c_str(), slow_utf8, target));
    }
  }
}

}  // namespace
