// Measuring strings and working on one character at an index, in UTF-8 and 16-bit text,
// including broken UTF-8 and indices outside the string.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "corvane/text.h"
#include "tests/text/text_test_support.h"

namespace {

using corvane::testing::scoped_encoding;
using corvane::testing::utf16_text;

// "aéb€" in UTF-8: offsets 0, 1, 3, 4, terminator at 7.
const char mixed[] =
    "a\xC3\xA9"
    "b\xE2\x82\xAC";

TEST(TextLengthTest, CountsCharactersNotBytes) {
  EXPECT_EQ(text_length(""), 0);
  EXPECT_EQ(text_length(mixed), 4);
  EXPECT_EQ(text_size(mixed), 7);
  EXPECT_EQ(text_size_z(mixed), 8);
  EXPECT_EQ(text_length(nullptr), 0);
}

TEST(TextLengthTest, BrokenUtf8CountsAsItDecodes) {
  EXPECT_EQ(text_length("\xC3"
                        "A"),
            2);                               // '^' then 'A'
  EXPECT_EQ(text_length("\xA9\xA9"), 2);      // two lone continuation bytes
  EXPECT_EQ(text_length("\xC3\xA9\xA9"), 2);  // 'é' then a stray continuation
  EXPECT_EQ(text_length("ab\xE2\x82"), 3);    // a sequence cut by the terminator
  EXPECT_EQ(text_size("ab\xE2\x82"), 4);
  EXPECT_EQ(text_length("ab\xC0\x80"
                        "cd"),
            2);  // an overlong zero ends the text
  EXPECT_EQ(text_size("ab\xC0\x80"
                      "cd"),
            2);
}

TEST(TextLengthTest, LongAsciiRunsThenOtherCharacters) {
  std::string text(1000, 'x');
  EXPECT_EQ(text_length(text.c_str()), 1000);
  text += "\xC3\xA9";
  text += std::string(77, 'y');
  EXPECT_EQ(text_length(text.c_str()), 1078);
  EXPECT_EQ(text_size(text.c_str()), 1079);
  EXPECT_EQ(text_offset(text.c_str(), 1001), 1002);
  EXPECT_EQ(text_offset(text.c_str(), 999), 999);
}

TEST(TextLengthTest, EightBitAndSixteenBitText) {
  {
    scoped_encoding guard(ENCODING_ASCII8);
    EXPECT_EQ(text_length("caf\xE9\x80"), 5);
    EXPECT_EQ(text_size_z("caf\xE9"), 5);
  }
  scoped_encoding guard(ENCODING_UNICODE16);
  const utf16_text text(u"h\u00E9llo");
  EXPECT_EQ(text_length(text.data()), 5);
  EXPECT_EQ(text_size(text.data()), 10);
  EXPECT_EQ(text_size_z(text.data()), 12);
}

TEST(TextOffsetTest, IndicesFromTheStartTheEndAndPastIt) {
  EXPECT_EQ(text_offset(mixed, 0), 0);
  EXPECT_EQ(text_offset(mixed, 1), 1);
  EXPECT_EQ(text_offset(mixed, 2), 3);
  EXPECT_EQ(text_offset(mixed, 3), 4);
  EXPECT_EQ(text_offset(mixed, 4), 7);
  EXPECT_EQ(text_offset(mixed, 5), 7);
  EXPECT_EQ(text_offset(mixed, 1000), 7);
  EXPECT_EQ(text_offset(mixed, -1), 4);
  EXPECT_EQ(text_offset(mixed, -3), 1);
  EXPECT_EQ(text_offset(mixed, -4), 0);
  EXPECT_EQ(text_offset(mixed, -100), 0);
  EXPECT_EQ(text_offset("", -1), 0);
  EXPECT_EQ(text_offset("", 3), 0);
}

TEST(TextOffsetTest, GetAtFollowsTheOffset) {
  EXPECT_EQ(text_get_at(mixed, 1), 0xE9);
  EXPECT_EQ(text_get_at(mixed, -1), 0x20AC);
  EXPECT_EQ(text_get_at(mixed, 4), 0);
  EXPECT_EQ(text_get_at(mixed, 99), 0);
  scoped_encoding guard(ENCODING_UNICODE16);
  const utf16_text text(u"ab\u20AC");
  EXPECT_EQ(text_offset(text.data(), -1), 4);
  EXPECT_EQ(text_get_at(text.data(), -1), 0x20AC);
  EXPECT_EQ(text_offset(text.data(), 7), 6);
}

TEST(TextSetAtTest, ReplacesAndMovesTheRestWhenWidthsDiffer) {
  char text[16];
  std::strcpy(text, mixed);
  EXPECT_EQ(text_set_at(text, 1, 'x'), -1);
  EXPECT_STREQ(text, "axb\xE2\x82\xAC");
  EXPECT_EQ(text_set_at(text, 0, 0x20AC), 2);
  EXPECT_STREQ(text,
               "\xE2\x82\xAC"
               "xb\xE2\x82\xAC");
  EXPECT_EQ(text_set_at(text, -1, 0xE9), -1);
  EXPECT_STREQ(text,
               "\xE2\x82\xAC"
               "xb\xC3\xA9");
  EXPECT_EQ(text_set_at(text, 1, 'y'), 0);
  EXPECT_STREQ(text,
               "\xE2\x82\xAC"
               "yb\xC3\xA9");
}

TEST(TextSetAtTest, TheTerminatorIsNeverReplaced) {
  char text[8] = "ab";
  std::memset(text + 3, 'z', 4);
  EXPECT_EQ(text_set_at(text, 2, 'c'), 0);
  EXPECT_EQ(text_set_at(text, 50, 'c'), 0);
  EXPECT_STREQ(text, "ab");
}

TEST(TextSetAtTest, BrokenSequenceIsReplacedByWhatItReadsAs) {
  // "\xC3" reads as one '^' of one byte; replacing it leaves the following 'A' alone.
  char text[8] =
      "\xC3"
      "A";
  EXPECT_EQ(text_set_at(text, 0, 0xE9), 1);
  EXPECT_STREQ(text,
               "\xC3\xA9"
               "A");
}

TEST(TextInsertTest, InsertsAnywhereAndAppendsPastTheEnd) {
  char text[16] = "ac";
  EXPECT_EQ(text_insert(text, 1, 'b'), 1);
  EXPECT_STREQ(text, "abc");
  EXPECT_EQ(text_insert(text, 0, 0x20AC), 3);
  EXPECT_STREQ(text,
               "\xE2\x82\xAC"
               "abc");
  EXPECT_EQ(text_insert(text, 10, 0xE9), 2);
  EXPECT_STREQ(text,
               "\xE2\x82\xAC"
               "abc\xC3\xA9");
  EXPECT_EQ(text_insert(text, -1, '-'), 1);
  EXPECT_STREQ(text,
               "\xE2\x82\xAC"
               "abc-\xC3\xA9");
}

TEST(TextRemoveTest, RemovesOneCharacterAndReturnsMinusItsWidth) {
  char text[16];
  std::strcpy(text, mixed);
  EXPECT_EQ(text_remove(text, 1), -2);
  EXPECT_STREQ(text, "ab\xE2\x82\xAC");
  EXPECT_EQ(text_remove(text, -1), -3);
  EXPECT_STREQ(text, "ab");
  EXPECT_EQ(text_remove(text, 2), 0);  // the terminator stays
  EXPECT_EQ(text_remove(text, 9), 0);
  EXPECT_STREQ(text, "ab");
  EXPECT_EQ(text_remove(text, 0), -1);
  EXPECT_EQ(text_remove(text, 0), -1);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(text_remove(text, 0), 0);
}

TEST(TextEditTest, SixteenBitText) {
  scoped_encoding guard(ENCODING_UNICODE16);
  utf16_text text(u"ac", 8);
  EXPECT_EQ(text_insert(text.data(), 1, 0x20AC), 2);
  EXPECT_EQ(text.text(), u"a\u20ACc");
  EXPECT_EQ(text_set_at(text.data(), -1, 'd'), 0);
  EXPECT_EQ(text.text(), u"a\u20ACd");
  EXPECT_EQ(text_remove(text.data(), 0), -2);
  EXPECT_EQ(text.text(), u"\u20ACd");
  EXPECT_EQ(text.units()[2], 0);
}

}  // namespace
