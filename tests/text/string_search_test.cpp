// Comparing, case changes, searching and tokenizing strings of the current encoding.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "corvane/text.h"
#include "tests/text/text_test_support.h"

namespace {

using corvane::testing::scoped_encoding;
using corvane::testing::utf16_text;

TEST(TextCompareTest, ReturnsTheDifferenceOfTheFirstUnequalCodePoints) {
  EXPECT_EQ(text_compare("abc", "abc"), 0);
  EXPECT_EQ(text_compare("abc", "abd"), 'c' - 'd');
  EXPECT_EQ(text_compare("ab", "abc"), -'c');
  EXPECT_EQ(text_compare("\xC3\xA9", "e"), 0xE9 - 'e');
  EXPECT_EQ(text_compare("a\xE2\x82\xAC", "a\xC3\xA9"), 0x20AC - 0xE9);
  // Whole code points are compared, not bytes.
  EXPECT_GT(text_compare("\xE2\x82\xAC", "\xC3\xBF"), 0);
  // Extreme code points do not overflow the difference.
  EXPECT_GT(text_compare("\xFD\xBF\xBF\xBF\xBF\xBF", ""), 0);
  EXPECT_LT(text_compare("", "\xFD\xBF\xBF\xBF\xBF\xBF"), 0);
}

TEST(TextCompareTest, CountedAndCaseInsensitiveForms) {
  EXPECT_EQ(text_ncompare("abcX", "abcY", 3), 0);
  EXPECT_EQ(text_ncompare("abcX", "abcY", 4), 'X' - 'Y');
  EXPECT_EQ(text_ncompare("a", "b", 0), 0);
  EXPECT_EQ(text_ncompare("a", "b", -1), 0);
  EXPECT_EQ(text_ncompare("ab", "ab", 10), 0);
  EXPECT_EQ(text_icompare("\xC3\x89"
                          "COLE",
                          "\xC3\xA9"
                          "cole"),
            0);
  EXPECT_EQ(text_icompare("ABC", "abd"), 'c' - 'd');
  EXPECT_EQ(text_icompare("\xD0\x96", "\xD0\xB6"), 0);  // Cyrillic Zhe
  EXPECT_EQ(text_nicompare("HELLO world", "hello WORLD!", 11), 0);
  EXPECT_EQ(text_nicompare("HELLO world", "hello WORLD!", 12), -'!');
  EXPECT_EQ(text_nicompare("x", "y", 0), 0);
}

TEST(TextCompareTest, SixteenBitText) {
  scoped_encoding guard(ENCODING_UNICODE16);
  const utf16_text a(u"\u0416x");
  const utf16_text b(u"\u0436X");
  EXPECT_EQ(text_icompare(a.data(), b.data()), 0);
  EXPECT_EQ(text_compare(a.data(), b.data()), 0x416 - 0x436);
}

TEST(TextCaseTest, LowerAndUpperInPlace) {
  char text[32] = "Caf\xC3\xA9 \xC3\x80 \xCE\xA3\xCE\xB1";  // "Café À Σα"
  EXPECT_EQ(text_upper(text), text);
  EXPECT_STREQ(text, "CAF\xC3\x89 \xC3\x80 \xCE\xA3\xCE\x91");
  EXPECT_EQ(text_lower(text), text);
  EXPECT_STREQ(text, "caf\xC3\xA9 \xC3\xA0 \xCF\x83\xCE\xB1");
}

TEST(TextCaseTest, MappingsOfAnotherWidthMoveTheRest) {
  char text[16] = "x\xC4\xB0y\xC4\xB0";  // "xİyİ": İ lower-cases to a one-byte i
  text_lower(text);
  EXPECT_STREQ(text, "xiyi");
  char longs[16] = "\xC5\xBF\xC3\xBF!";  // "ſÿ!": ſ upper-cases to S, ÿ to Ÿ
  text_upper(longs);
  EXPECT_STREQ(longs, "S\xC5\xB8!");
}

TEST(TextCaseTest, SixteenBitText) {
  scoped_encoding guard(ENCODING_UNICODE16);
  utf16_text text(u"Gr\u00FC\u00DFe \u0531");
  text_upper(text.data());
  EXPECT_EQ(text.text(), u"GR\u00DC\u00DFE \u0531");
  text_lower(text.data());
  EXPECT_EQ(text.text(), u"gr\u00FC\u00DFe \u0561");
}

TEST(TextFindTest, FindCharAndFindLastChar) {
  const char *s =
      "a\xC3\xA9"
      "ba\xC3\xA9";
  EXPECT_EQ(text_find_char(s, 0xE9), s + 1);
  EXPECT_EQ(text_find_char(s, 'b'), s + 3);
  EXPECT_EQ(text_find_char(s, 0), s + 7);
  EXPECT_EQ(text_find_char(s, 'z'), nullptr);
  EXPECT_EQ(text_find_last_char(s, 0xE9), s + 5);
  EXPECT_EQ(text_find_last_char(s, 'a'), s + 4);
  EXPECT_EQ(text_find_last_char(s, 0), nullptr);
  EXPECT_EQ(text_find_last_char("", 'a'), nullptr);
  EXPECT_EQ(text_find_last_char(s, 'q'), nullptr);
  // 0xA9 alone reads as ')', so a search for ')' finds the stray continuation byte.
  const char *stray = "ab\xA9";
  EXPECT_EQ(text_find_char(stray, ')'), stray + 2);
}

TEST(TextFindTest, FindSubstring) {
  const char *s = "na\xC3\xAFve na\xC3\xAFvet\xC3\xA9";
  EXPECT_EQ(text_find(s, "ve"), s + 4);
  EXPECT_EQ(text_find(s, "\xC3\xAFvet"), s + 9);
  EXPECT_EQ(text_find(s, "vex"), nullptr);
  EXPECT_EQ(text_find(s, ""), s);
  EXPECT_EQ(text_find("", ""), nullptr);
  EXPECT_EQ(text_find("", "a"), nullptr);
  EXPECT_EQ(text_find("ab", "abc"), nullptr);
}

TEST(TextFindTest, FindAnyOfASet) {
  const char *s =
      "key = \xE2\x82\xAC"
      "5";
  EXPECT_EQ(text_find_any(s, "=:"), s + 4);
  EXPECT_EQ(text_find_any(s,
                          "\xE2\x82\xAC"
                          "5"),
            s + 6);
  EXPECT_EQ(text_find_any(s, "!?"), nullptr);
  EXPECT_EQ(text_find_any(s, ""), nullptr);
  EXPECT_EQ(text_find_any("", "abc"), nullptr);
}

TEST(TextFindTest, SixteenBitText) {
  scoped_encoding guard(ENCODING_UNICODE16);
  const utf16_text s(u"ab\u20ACab");
  const utf16_text needle(u"\u20ACa");
  EXPECT_EQ(text_find(s.data(), needle.data()), s.data() + 4);
  EXPECT_EQ(text_find_last_char(s.data(), 'a'), s.data() + 6);
  EXPECT_EQ(text_find_char(s.data(), 0), s.data() + 10);
}

TEST(TextTokenizeTest, SkipsRunsOfDelimiters) {
  char text[] = ",a,,b";
  char *position = nullptr;
  char *token = text_tokenize(text, ",", &position);
  ASSERT_NE(token, nullptr);
  EXPECT_STREQ(token, "a");
  token = text_tokenize(nullptr, ",", &position);
  ASSERT_NE(token, nullptr);
  EXPECT_STREQ(token, "b");
  EXPECT_EQ(position, nullptr);
  EXPECT_EQ(text_tokenize(nullptr, ",", &position), nullptr);
  EXPECT_EQ(text_tokenize(nullptr, ",", &position), nullptr);
}

TEST(TextTokenizeTest, MultiByteDelimitersShrinkTheString) {
  char text[] =
      "a\xE2\x82\xAC"
      "bc\xE2\x82\xAC\xE2\x82\xAC"
      "d";
  char *position = nullptr;
  const char *euro = "\xE2\x82\xAC";
  char *first = text_tokenize(text, euro, &position);
  EXPECT_EQ(first, text);
  EXPECT_STREQ(first, "a");
  EXPECT_EQ(position, text + 2);
  char *second = text_tokenize(nullptr, euro, &position);
  EXPECT_STREQ(second, "bc");
  char *third = text_tokenize(nullptr, euro, &position);
  EXPECT_STREQ(third, "d");
  EXPECT_EQ(text_tokenize(nullptr, euro, &position), nullptr);
}

TEST(TextTokenizeTest, EmptyAndDelimiterOnlyStrings) {
  char *position = reinterpret_cast<char *>(1);
  char only[] = " ,, ";
  EXPECT_EQ(text_tokenize(only, ", ", &position), nullptr);
  EXPECT_EQ(position, nullptr);
  char empty[] = "";
  EXPECT_EQ(text_tokenize(empty, ",", &position), nullptr);
  char whole[] = "word";
  EXPECT_STREQ(text_tokenize(whole, "", &position), "word");
  EXPECT_EQ(position, nullptr);
  EXPECT_EQ(text_tokenize(nullptr, ",", &position), nullptr);
  EXPECT_EQ(text_tokenize(whole, ",", nullptr), nullptr);
}

TEST(TextTokenizeTest, SixteenBitText) {
  scoped_encoding guard(ENCODING_UNICODE16);
  utf16_text text(u"x;y");
  const utf16_text set(u";");
  char *position = nullptr;
  char *first = text_tokenize(text.data(), set.data(), &position);
  EXPECT_EQ(utf16_text::read(first), u"x");
  EXPECT_EQ(position, text.data() + 4);
  EXPECT_EQ(utf16_text::read(text_tokenize(nullptr, set.data(), &position)), u"y");
}

TEST(TextNumberTest, LongsWithTheirEnd) {
  char *end = nullptr;
  const char *s = "  -42\xE2\x82\xAC";
  EXPECT_EQ(text_to_long(s, &end, 10), -42);
  EXPECT_EQ(end, s + 5);
  const char *hex = "\xC3\xA9";
  EXPECT_EQ(text_to_long(hex, &end, 16), 0);
  EXPECT_EQ(end, hex);
  const char *big = "7fffffffffffffff!";
  EXPECT_EQ(text_to_long(big, &end, 16), 0x7fffffffffffffffL);
  EXPECT_EQ(end, big + 16);
  EXPECT_EQ(text_to_long("0x1F", nullptr, 0), 31);
}

TEST(TextNumberTest, EndsAfterMultiByteCharacters) {
  // Characters before the number count as whole characters when the end is mapped back.
  const char *s =
      "\xC2\xA0"
      "12";  // a no-break space is not white space to strtol
  char *end = nullptr;
  EXPECT_EQ(text_to_long(s, &end, 10), 0);
  EXPECT_EQ(end, s);
  scoped_encoding guard(ENCODING_UNICODE16);
  const utf16_text wide(u"123x");
  EXPECT_EQ(text_to_long(wide.data(), &end, 10), 123);
  EXPECT_EQ(end, wide.data() + 6);
  EXPECT_DOUBLE_EQ(text_to_double(wide.data(), &end), 123.0);
}

TEST(TextNumberTest, DoublesAndFloats) {
  char *end = nullptr;
  const char *s = "3.5e2xyz";
  EXPECT_DOUBLE_EQ(text_to_double(s, &end), 350.0);
  EXPECT_EQ(end, s + 5);
  EXPECT_DOUBLE_EQ(text_to_double("nothing", &end), 0.0);
  EXPECT_DOUBLE_EQ(text_to_float("-0.25 rest"), -0.25);
  EXPECT_DOUBLE_EQ(text_to_float(""), 0.0);
}

TEST(TextErrorStringTest, SystemTextInTheCurrentEncoding) {
  const std::string expected = std::strerror(ENOENT);
  EXPECT_EQ(std::string(text_error_string(ENOENT)), expected);
  scoped_encoding guard(ENCODING_UNICODE16);
  const std::u16string wide(expected.begin(), expected.end());
  EXPECT_EQ(utf16_text::read(text_error_string(ENOENT)), wide);
}

}  // namespace
