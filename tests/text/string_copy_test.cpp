// Bounded copies and concatenation: whole characters only, always terminated, never past the
// given size; the counted forms with their padding rules; duplication.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "corvane/text.h"
#include "tests/text/text_test_support.h"

namespace {

using corvane::testing::scoped_encoding;
using corvane::testing::utf16_text;

// Copies into an exact-size heap buffer (so that overruns are caught) filled with 'z'.
std::string copy_into(int size, const char *src) {
  std::vector<char> buffer(static_cast<std::size_t>(size), 'z');
  text_copy(buffer.data(), size, src);
  return std::string(buffer.begin(), buffer.end());
}

TEST(TextCopyTest, CopiesWholeCharactersThatFit) {
  // The third character is two bytes long and does not fit into four bytes.
  EXPECT_EQ(copy_into(4, "ab\xC3\xA9"), std::string("ab\0z", 4));
  EXPECT_EQ(copy_into(5, "ab\xC3\xA9"), std::string("ab\xC3\xA9\0", 5));
  EXPECT_EQ(copy_into(3, "\xE2\x82\xAC"), std::string("\0zz", 3));
  EXPECT_EQ(copy_into(1, "abc"), std::string("\0", 1));
  char untouched = 'z';
  EXPECT_EQ(text_copy(&untouched, 0, "abc"), &untouched);
  EXPECT_EQ(untouched, 'z');
}

TEST(TextCopyTest, BrokenInputIsCopiedAsItReads) {
  char out[8];
  text_copy(out, sizeof out,
            "\xC3"
            "A\xA9");
  EXPECT_STREQ(out, "^A)");
  text_copy(out, sizeof out, "x\xE2\x82");
  EXPECT_STREQ(out, "x^");
}

TEST(TextCopyTest, LongAsciiTextIsCutExactly) {
  const std::string text(5000, 'q');
  for (const int size : {1, 2, 15, 16, 17, 64, 65, 4999, 5000, 5001, 5002}) {
    const std::string out = copy_into(size, text.c_str());
    const std::size_t kept = std::min<std::size_t>(static_cast<std::size_t>(size) - 1, 5000);
    EXPECT_EQ(out.substr(0, kept), text.substr(0, kept)) << size;
    EXPECT_EQ(out[kept], 0) << size;
  }
  // An ASCII run that ends in a multi-byte character at the edge of the buffer.
  const std::string mixed = std::string(31, 'a') + "\xC3\xA9" + "b";
  EXPECT_EQ(copy_into(33, mixed.c_str()), std::string(31, 'a') + std::string("\0z", 2));
  EXPECT_EQ(copy_into(34, mixed.c_str()), std::string(31, 'a') + "\xC3\xA9" + std::string("\0", 1));
}

TEST(TextCopyTest, Ascii8CopiesEveryByte) {
  scoped_encoding guard(ENCODING_ASCII8);
  EXPECT_EQ(copy_into(4, "\xE9\xC3\xA9\xFF"), std::string("\xE9\xC3\xA9\0", 4));
}

TEST(TextCopyTest, SixteenBitText) {
  scoped_encoding guard(ENCODING_UNICODE16);
  const utf16_text src(u"abc");
  utf16_text out(u"", 4);
  text_copy(out.data(), 6, src.data());
  EXPECT_EQ(out.text(), u"ab");
  out.units()[0] = 0x5555;
  text_copy(out.data(), 3, src.data());  // room for the terminator only
  EXPECT_EQ(out.text(), u"");
  out.units()[0] = 0x5555;
  text_copy(out.data(), 1, src.data());  // not even that: the one byte is zeroed
  EXPECT_EQ(out.data()[0], 0);
  EXPECT_EQ(out.data()[1], 0x55);
}

TEST(TextConcatTest, AppendsWithinTheSize) {
  char text[8] = "ab";
  text_concat(text, 5, "cd");
  EXPECT_STREQ(text, "abcd");
  text_concat(text, 5, "ef");
  EXPECT_STREQ(text, "abcd");
  char utf8[8] = "ab";
  text_concat(utf8, 6, "c\xE2\x82\xAC");
  EXPECT_STREQ(utf8, "abc");
  char full[4] = "abc";
  EXPECT_EQ(text_concat(full, 2, "x"), full);  // already more than fits: left alone
  EXPECT_STREQ(full, "abc");
}

TEST(TextNcopyTest, CopiesAtMostNCharactersThenPadsWithZeros) {
  char out[8];
  std::memset(out, 'z', sizeof out);
  text_ncopy(out, sizeof out, "abcdef", 3);
  EXPECT_EQ(std::string(out, 5), std::string("abc\0z", 5));

  std::memset(out, 'z', sizeof out);
  text_ncopy(out, sizeof out, "ab", 5);
  EXPECT_EQ(std::string(out, 7), std::string("ab\0\0\0\0z", 7));

  std::memset(out, 'z', sizeof out);
  text_ncopy(out, 4, "ab", 10);  // padding stops at the size, then the terminator
  EXPECT_EQ(std::string(out, 5), std::string("ab\0\0z", 5));

  std::memset(out, 'z', sizeof out);
  text_ncopy(out, 4, "abcdef", 10);
  EXPECT_EQ(std::string(out, 5), std::string("abc\0z", 5));

  std::memset(out, 'z', sizeof out);
  text_ncopy(out, sizeof out, "abc", 0);
  EXPECT_EQ(std::string(out, 2), std::string("\0z", 2));
  text_ncopy(out, sizeof out, "abc", -4);
  EXPECT_EQ(out[0], 0);
}

TEST(TextNcopyTest, UnlimitedSizeWritesNoTerminatorAfterNCharacters) {
  char out[8];
  std::memset(out, 'z', sizeof out);
  text_ncopy(out, TEXT_SIZE_UNLIMITED, "abcdef", 3);
  EXPECT_EQ(std::string(out, 4), "abcz");

  std::memset(out, 'z', sizeof out);
  text_ncopy(out, TEXT_SIZE_UNLIMITED, "ab", 4);
  EXPECT_EQ(std::string(out, 5), std::string("ab\0\0z", 5));

  std::memset(out, 'z', sizeof out);
  text_ncopy(out, TEXT_SIZE_UNLIMITED, "\xC3\xA9\xC3\xA9", 1);
  EXPECT_EQ(std::string(out, 3), "\xC3\xA9z");
}

TEST(TextNcopyTest, MultiByteCharactersAndSixteenBitText) {
  char out[8];
  text_ncopy(out, 5, "\xC3\xA9\xC3\xA9\xC3\xA9", 3);
  EXPECT_STREQ(out, "\xC3\xA9\xC3\xA9");
  scoped_encoding guard(ENCODING_UNICODE16);
  utf16_text dest(u"", 6);
  const utf16_text src(u"xyz");
  std::fill(dest.units().begin(), dest.units().end(), 0x5555);
  text_ncopy(dest.data(), 12, src.data(), 2);
  EXPECT_EQ(dest.text(), u"xy");
  EXPECT_EQ(dest.units()[3], 0x5555);
}

TEST(TextNconcatTest, AppendsAtMostNCharacters) {
  char text[8] = "ab";
  text_nconcat(text, sizeof text, "cdef", 2);
  EXPECT_STREQ(text, "abcd");
  text_nconcat(text, sizeof text, "efgh", 0);
  EXPECT_STREQ(text, "abcd");
  text_nconcat(text, 6, "efgh", 3);
  EXPECT_STREQ(text, "abcde");
  char utf8[8] = "a";
  text_nconcat(utf8, 5, "\xC3\xA9\xC3\xA9", 5);
  EXPECT_STREQ(utf8, "a\xC3\xA9");
}

TEST(TextDuplicateTest, CopiesThroughTheCallersAllocator) {
  char *copy = text_duplicate("caf\xC3\xA9", std::malloc);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "caf\xC3\xA9");
  std::free(copy);

  scoped_encoding guard(ENCODING_UNICODE16);
  const utf16_text src(u"\u20ACx");
  char *wide = text_duplicate(src.data(), std::malloc);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(utf16_text::read(wide), u"\u20ACx");
  std::free(wide);
}

TEST(TextDuplicateTest, AllocationFailureGivesNullAndEnomem) {
  errno = 0;
  EXPECT_EQ(text_duplicate("abc", [](size_t) -> void * { return nullptr; }), nullptr);
  EXPECT_EQ(errno, ENOMEM);
}

}  // namespace
