// Wildcard matching of names.
#include <gtest/gtest.h>

#include <string>

#include "corvane/file.h"

namespace {

TEST(WildcardTest, StarAndQuestionMark) {
  EXPECT_EQ(wildcard_match("abc", "a*c"), 1);
  EXPECT_EQ(wildcard_match("abc", "a?c"), 1);
  EXPECT_EQ(wildcard_match("abc", "*"), 1);
  EXPECT_EQ(wildcard_match("abc", "abc*"), 1);
  EXPECT_EQ(wildcard_match("abc", "a?"), 0);
  EXPECT_EQ(wildcard_match("abc", "b*"), 0);
}

TEST(WildcardTest, WholeTextMustBeConsumed) {
  EXPECT_EQ(wildcard_match("", ""), 1);
  EXPECT_EQ(wildcard_match("", "*"), 1);
  EXPECT_EQ(wildcard_match("", "?"), 0);
  EXPECT_EQ(wildcard_match("a", ""), 0);
  EXPECT_EQ(wildcard_match("abc", "ab"), 0);
  EXPECT_EQ(wildcard_match("ab", "abc"), 0);
  EXPECT_EQ(wildcard_match("abcabd", "*abd"), 1);
  EXPECT_EQ(wildcard_match("abcab", "*abd"), 0);
}

TEST(WildcardTest, CaseSensitiveBytes) {
  EXPECT_EQ(wildcard_match("File.TXT", "*.txt"), 0);
  EXPECT_EQ(wildcard_match("File.txt", "*.txt"), 1);
  EXPECT_EQ(wildcard_match("caf\xC3\xA9", "caf??"), 1);  // "?" is one byte, not one character
}

TEST(WildcardTest, BacktrackingAcrossSeveralStars) {
  EXPECT_EQ(wildcard_match("mississippi", "m*iss*ppi"), 1);
  EXPECT_EQ(wildcard_match("mississippi", "m*iss*iss*ppi"), 1);
  EXPECT_EQ(wildcard_match("mississippi", "m*iss*iss*iss*"), 0);
  EXPECT_EQ(wildcard_match("a.b.c.d", "*.*.d"), 1);
  EXPECT_EQ(wildcard_match("aaaa", "**a**a"), 1);
  EXPECT_EQ(wildcard_match("xaybzc", "*a*b*c"), 1);
  EXPECT_EQ(wildcard_match("xaybz", "*a*b*c"), 0);
}

TEST(WildcardTest, HostilePatternsFinishAndLongPatternsGrowTheStack) {
  // Many stars against a long text that almost matches: quick without exhaustive backtracking.
  const std::string text(5000, 'a');
  std::string pattern;
  for (int i = 0; i < 40; ++i) pattern += "*a";
  EXPECT_EQ(wildcard_match(text.c_str(), (pattern + "b").c_str()), 0);
  EXPECT_EQ(wildcard_match(text.c_str(), pattern.c_str()), 1);
  const std::string long_pattern(10000, '?');
  EXPECT_EQ(wildcard_match(std::string(10000, 'q').c_str(), long_pattern.c_str()), 1);
  EXPECT_EQ(wildcard_match(nullptr, nullptr), 0);  // frees the stack; later calls grow it again
  EXPECT_EQ(wildcard_match("abc", "a*"), 1);
  EXPECT_EQ(wildcard_match(nullptr, "a"), 0);
  EXPECT_EQ(wildcard_match("a", nullptr), 0);
}

}  // namespace
