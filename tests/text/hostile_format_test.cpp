// Formats that ask for enormous output: widths and precisions near the int range, into buffers of
// no, one or a few bytes. The count is that of the complete output, nothing is written beyond the
// buffer, and no conversion asks for memory or time in proportion to a width or precision.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

#include "corvane/text.h"
#include "support/test_system.h"

namespace {

// What the C library makes of a format with one double.
int c_library(char *buffer, size_t size, const char *format, double value) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  return std::snprintf(buffer, size, format, value);
#pragma GCC diagnostic pop
}

std::string hostile(const char *name) {
  return corvane::testing::read_file(std::string(CORVANE_TEST_DATA_DIR) + "/hostile/" + name);
}

TEST(HostileFormatTest, HugeWidthIntoBuffersOfNoneAndOneByte) {
  const std::string format = hostile("format_huge_width.txt");
  ASSERT_EQ(format, "%999999999d");
  char canary[2] = {'z', 'z'};
  EXPECT_EQ(format_text_bounded(canary, 0, format.c_str(), 7), 999999999);
  EXPECT_EQ(canary[0], 'z');
  EXPECT_EQ(format_text_bounded(canary, 1, format.c_str(), 7), 999999999);
  EXPECT_EQ(canary[0], 0);
  EXPECT_EQ(canary[1], 'z');
  EXPECT_EQ(format_text_bounded(nullptr, 0, format.c_str(), 7), 999999999);
}

TEST(HostileFormatTest, HugeFloatWidthsArePaddedAsTheCLibraryWould) {
  char buffer[16];
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, "%999999999f", 1.5), 999999999);
  EXPECT_EQ(std::string(buffer), std::string(15, ' '));
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, "%-999999999f", 1.5), 999999999);
  EXPECT_EQ(std::string(buffer), "1.500000       ");
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, "%0999999999f", -1.5), 999999999);
  EXPECT_EQ(std::string(buffer), "-00000000000000");
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, "%*f", INT_MIN, 1.5), INT_MAX);
  EXPECT_EQ(std::string(buffer), "1.500000       ");
  // Infinities and NaNs are padded with spaces even with the "0" flag.
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, "%+020f|", HUGE_VAL), 21);
  EXPECT_EQ(std::string(buffer), std::string(15, ' '));

  // Widths the C library could produce itself give the same text.
  const char *formats[] = {"%12f",   "%-12f|",   "%012f",     "%+012.3e",
                           "% 012g", "%#012.0f", "%-+12.2E|", "%012f"};
  const double values[] = {3.25, -3.25, 0.0, -0.0, 1e-300, 123456789.0, HUGE_VAL, -HUGE_VAL, NAN};
  for (const char *f : formats) {
    for (const double v : values) {
      char ours[64];
      char theirs[64];
      const int count = format_text_bounded(ours, sizeof ours, f, v);
      EXPECT_EQ(count, c_library(theirs, sizeof theirs, f, v)) << f << " " << v;
      EXPECT_STREQ(ours, theirs) << f << " " << v;
    }
  }
}

TEST(HostileFormatTest, HugeFloatPrecisionsCountEveryDigit) {
  const std::string format = hostile("format_huge_float.txt");
  ASSERT_EQ(format, "%999999999f|%.2147483647f");
  char buffer[16];
  // The first conversion alone fills the count; the second would pass the int range.
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, format.c_str(), 1.0, 1.0), INT_MAX);
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, "%.999999999f", 0.5), 1000000001);
  EXPECT_STREQ(buffer, "0.5000000000000");
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, "%.999999999e", -2.0), 1000000006);
  EXPECT_STREQ(buffer, "-2.000000000000");
  // Digits beyond those a double holds are zeros, before the exponent where there is one.
  std::string exact(2000, '\0');
  const int count =
      format_text_bounded(exact.data(), static_cast<int>(exact.size()), "%.1500e", 1.0 / 3);
  char reference[2000];
  EXPECT_EQ(count, c_library(reference, sizeof reference, "%.1500e", 1.0 / 3));
  EXPECT_STREQ(exact.c_str(), reference);
  EXPECT_EQ(format_text_bounded(exact.data(), static_cast<int>(exact.size()), "%#.1500g", 1e-300),
            c_library(reference, sizeof reference, "%#.1500g", 1e-300));
  EXPECT_STREQ(exact.c_str(), reference);
  EXPECT_EQ(format_text_bounded(exact.data(), static_cast<int>(exact.size()), "%.1200g", 0.1),
            c_library(reference, sizeof reference, "%.1200g", 0.1));
  EXPECT_STREQ(exact.c_str(), reference);
  EXPECT_EQ(format_text_bounded(exact.data(), static_cast<int>(exact.size()), "%.1500f", 5e-324),
            c_library(reference, sizeof reference, "%.1500f", 5e-324));
  EXPECT_STREQ(exact.c_str(), reference);
}

TEST(HostileFormatTest, LongDoublesBeyondTheDoubleRangeBecomeInfinities) {
  char buffer[32];
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, "%Lf|%Le", LDBL_MAX, -LDBL_MAX), 8);
  EXPECT_STREQ(buffer, "inf|-inf");
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, "%Lg", LDBL_MIN), 1);
  EXPECT_STREQ(buffer, "0");
}

}  // namespace
