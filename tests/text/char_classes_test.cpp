// White space and case mappings over every code point from 0 to 0x2FFF, against expectations
// written independently of the generated tables: the regular stretches by rule, a sample of each
// irregular stretch by value, and identity everywhere outside the stretches.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "corvane/text.h"

namespace {

bool in(int c, int first, int last) { return c >= first && c <= last; }

// Code points inside a stretch whose mapping is not a simple rule; only the sample below is
// checked there.
bool in_irregular_stretch(int c) {
  return in(c, 0x0100, 0x02AF) || in(c, 0x0460, 0x04F9) || in(c, 0x1E00, 0x1EF9) ||
         in(c, 0x1F00, 0x1FFC);
}

const std::map<int, int> &lower_samples() {
  static const std::map<int, int> samples = {
      {0x0100, 0x0101}, {0x0101, 0x0101}, {0x0130, 0x0069}, {0x0131, 0x0131}, {0x0139, 0x013A},
      {0x0178, 0x00FF}, {0x017F, 0x017F}, {0x0181, 0x0253}, {0x0186, 0x0254}, {0x0189, 0x0256},
      {0x018A, 0x0257}, {0x018F, 0x0259}, {0x01A9, 0x0283}, {0x01B1, 0x028A}, {0x01B2, 0x028B},
      {0x01B7, 0x0292}, {0x01C4, 0x01C6}, {0x01C5, 0x01C6}, {0x01C6, 0x01C6}, {0x01F1, 0x01F3},
      {0x0200, 0x0201}, {0x0232, 0x0233}, {0x0253, 0x0253}, {0x0460, 0x0461}, {0x0461, 0x0461},
      {0x048A, 0x048B}, {0x04C1, 0x04C2}, {0x04D0, 0x04D1}, {0x04F8, 0x04F9}, {0x1E00, 0x1E01},
      {0x1E94, 0x1E95}, {0x1E9B, 0x1E9B}, {0x1EA0, 0x1EA1}, {0x1EF8, 0x1EF9}, {0x1F08, 0x1F00},
      {0x1F00, 0x1F00}, {0x1F59, 0x1F51}, {0x1F5A, 0x1F5A}, {0x1F88, 0x1F80}, {0x1FB8, 0x1FB0},
      {0x1FBA, 0x1F70}, {0x1FBC, 0x1FB3}, {0x1FC8, 0x1F72}, {0x1FCC, 0x1FC3}, {0x1FDA, 0x1F76},
      {0x1FEC, 0x1FE5}, {0x1FF8, 0x1F78}, {0x1FFA, 0x1F7C}, {0x1FFC, 0x1FF3},
  };
  return samples;
}

const std::map<int, int> &upper_samples() {
  static const std::map<int, int> samples = {
      {0x0101, 0x0100}, {0x0100, 0x0100}, {0x0131, 0x0049}, {0x017F, 0x0053}, {0x013A, 0x0139},
      {0x0253, 0x0181}, {0x0254, 0x0186}, {0x0256, 0x0189}, {0x0257, 0x018A}, {0x028A, 0x01B1},
      {0x028B, 0x01B2}, {0x0292, 0x01B7}, {0x01C6, 0x01C4}, {0x01C5, 0x01C4}, {0x01F3, 0x01F1},
      {0x0201, 0x0200}, {0x0250, 0x0250}, {0x0461, 0x0460}, {0x04C2, 0x04C1}, {0x04F9, 0x04F8},
      {0x1E01, 0x1E00}, {0x1E9B, 0x1E9B}, {0x1EF9, 0x1EF8}, {0x1F00, 0x1F08}, {0x1F51, 0x1F59},
      {0x1F50, 0x1F50}, {0x1F70, 0x1FBA}, {0x1F7D, 0x1FFB}, {0x1F80, 0x1F88}, {0x1FB3, 0x1FBC},
      {0x1FBE, 0x1FBE}, {0x1FE5, 0x1FEC}, {0x1FF3, 0x1FFC}, {0x1F08, 0x1F08},
  };
  return samples;
}

std::optional<int> expected_lower(int c) {
  if (in(c, 'A', 'Z')) return c + 32;
  if (in(c, 0xC0, 0xD6) || in(c, 0xD8, 0xDE)) return c + 32;
  if (in(c, 0x0391, 0x03A1) || in(c, 0x03A3, 0x03AB)) return c + 32;
  if (c == 0x0386) return 0x03AC;
  if (in(c, 0x0388, 0x038A)) return c + 37;
  if (c == 0x038C) return 0x03CC;
  if (in(c, 0x038E, 0x038F)) return c + 63;
  if (in(c, 0x0401, 0x040C) || in(c, 0x040E, 0x040F)) return c + 80;
  if (in(c, 0x0410, 0x042F)) return c + 32;
  if (in(c, 0x0531, 0x0556)) return c + 48;
  if (in(c, 0x10A0, 0x10C5)) return c + 48;
  if (in(c, 0x2160, 0x216F)) return c + 16;
  if (in(c, 0x24B6, 0x24CF)) return c + 26;
  const auto sample = lower_samples().find(c);
  if (sample != lower_samples().end()) return sample->second;
  if (in_irregular_stretch(c)) return std::nullopt;
  return c;  // everything else, small letters of the regular stretches included
}

std::optional<int> expected_upper(int c) {
  if (in(c, 'a', 'z')) return c - 32;
  if (in(c, 0xE0, 0xF6) || in(c, 0xF8, 0xFE)) return c - 32;
  if (c == 0xFF) return 0x0178;
  if (in(c, 0x03B1, 0x03C1) || in(c, 0x03C3, 0x03CB)) return c - 32;
  if (c == 0x03C2) return 0x03A3;  // final sigma
  if (c == 0x03AC) return 0x0386;
  if (in(c, 0x03AD, 0x03AF)) return c - 37;
  if (c == 0x03CC) return 0x038C;
  if (in(c, 0x03CD, 0x03CE)) return c - 63;
  if (in(c, 0x0430, 0x044F)) return c - 32;
  if (in(c, 0x0451, 0x045C) || in(c, 0x045E, 0x045F)) return c - 80;
  if (in(c, 0x0561, 0x0586)) return c - 48;
  if (in(c, 0x2170, 0x217F)) return c - 16;
  if (in(c, 0x24D0, 0x24E9)) return c - 26;
  const auto sample = upper_samples().find(c);
  if (sample != upper_samples().end()) return sample->second;
  if (in_irregular_stretch(c)) return std::nullopt;
  return c;  // Georgian included: there is no upper-case direction
}

std::string first_mismatches(int (*mapping)(int), std::optional<int> (*expected)(int),
                             int *checked) {
  std::ostringstream report;
  int shown = 0;
  *checked = 0;
  for (int c = 0; c <= 0x2FFF; ++c) {
    const std::optional<int> want = expected(c);
    if (!want) continue;
    ++*checked;
    const int got = mapping(c);
    if (got != *want && shown++ < 20) {
      report << std::hex << "U+" << c << " gave U+" << got << ", expected U+" << *want << "\n";
    }
  }
  return report.str();
}

TEST(CaseMappingTest, LowerOfEveryCodePointUpTo2FFF) {
  int checked = 0;
  EXPECT_EQ(first_mismatches(char_to_lower, expected_lower, &checked), "");
  EXPECT_GT(checked, 0x2FFF - 0x500);
}

TEST(CaseMappingTest, UpperOfEveryCodePointUpTo2FFF) {
  int checked = 0;
  EXPECT_EQ(first_mismatches(char_to_upper, expected_upper, &checked), "");
  EXPECT_GT(checked, 0x2FFF - 0x500);
}

TEST(CaseMappingTest, NamedEdges) {
  EXPECT_EQ(char_to_lower(0x10A0), 0x10D0);
  EXPECT_EQ(char_to_upper(0x10D0), 0x10D0);
  // Mappings of later Unicode releases and code points outside the stretches stay themselves.
  EXPECT_EQ(char_to_lower(0x2126), 0x2126);  // Ohm sign
  EXPECT_EQ(char_to_lower(0x212A), 0x212A);  // Kelvin sign
  EXPECT_EQ(char_to_lower(0x0400), 0x0400);
  EXPECT_EQ(char_to_lower(0x04C0), 0x04C0);
  EXPECT_EQ(char_to_lower(0x1E9E), 0x1E9E);
  EXPECT_EQ(char_to_lower(0x023A), 0x023A);
  EXPECT_EQ(char_to_upper(0x00B5), 0x00B5);
  EXPECT_EQ(char_to_upper(0x0345), 0x0345);
  EXPECT_EQ(char_to_upper(0x0250), 0x0250);
  EXPECT_EQ(char_to_lower(0x2C00), 0x2C00);
  EXPECT_EQ(char_to_lower(0xFF21), 0xFF21);  // fullwidth A
  EXPECT_EQ(char_to_lower(-1), -1);
  EXPECT_EQ(char_to_upper(0x7FFFFFFF), 0x7FFFFFFF);
}

TEST(CaseMappingTest, RegularStretchesRoundTrip) {
  const std::pair<int, int> stretches[] = {{'A', 'Z'},       {0xC0, 0xD6},     {0xD8, 0xDE},
                                           {0x0391, 0x03A1}, {0x03A3, 0x03AB}, {0x0401, 0x040C},
                                           {0x040E, 0x042F}, {0x0531, 0x0556}, {0x2160, 0x216F},
                                           {0x24B6, 0x24CF}, {0x0100, 0x012F}, {0x1E00, 0x1E95}};
  for (const auto &[first, last] : stretches) {
    for (int c = first; c <= last; ++c) {
      if (char_to_lower(c) == c) continue;  // the small letters of the paired stretches
      EXPECT_EQ(char_to_upper(char_to_lower(c)), c) << std::hex << c;
    }
  }
}

TEST(CharIsSpaceTest, ExactlyTheListedCodePoints) {
  std::vector<int> spaces;
  for (int c = -2; c <= 0x10000; ++c) {
    if (char_is_space(c)) spaces.push_back(c);
  }
  const std::vector<int> expected = {9,      10,     11,     12,     13,     32,     0x1680,
                                     0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006,
                                     0x2007, 0x2008, 0x2009, 0x200A, 0x2028, 0x202F, 0x3000};
  EXPECT_EQ(spaces, expected);
}

}  // namespace
