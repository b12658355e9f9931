// The formatter: every conversion and flag, '*' widths and precisions, the untruncated result
// count, cutting on character boundaries, and hostile formats and sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "corvane/text.h"
#include "tests/text/text_test_support.h"

namespace {

using corvane::testing::scoped_encoding;
using corvane::testing::utf16_text;

// Formats into a generous buffer and returns the text; the count goes to *count.
template <typename... Args>
std::string format(const char *fmt, Args... args) {
  std::vector<char> buffer(512, 'z');
  format_text_bounded(buffer.data(), static_cast<int>(buffer.size()), fmt, args...);
  return std::string(buffer.data());
}

template <typename... Args>
int count_of(const char *fmt, Args... args) {
  char buffer[512];
  return format_text_bounded(buffer, sizeof buffer, fmt, args...);
}

TEST(FormatIntegerTest, WidthsAndFlags) {
  EXPECT_EQ(format("%5d|%-5d|%05d", 42, 42, 42), "   42|42   |00042");
  EXPECT_EQ(format("%+d", 0), "+0");
  EXPECT_EQ(format("% d|% d", 5, -5), " 5|-5");
  EXPECT_EQ(format("%+ d", 5), "+5");
  EXPECT_EQ(format("%.3d", 7), "007");
  EXPECT_EQ(format("%5.3d|%-6.2d|", -7, 3), " -007|03    |");
  EXPECT_EQ(format("%05d", -42), "-0042");
  EXPECT_EQ(format("%-05d|", 42), "42   |");
  EXPECT_EQ(format("%.0d|%d", 0, 0), "0|0");
  EXPECT_EQ(format("%i", -123), "-123");
  EXPECT_EQ(format("%d", INT_MIN), "-2147483648");
}

TEST(FormatIntegerTest, UnsignedOctalHexAndPointers) {
  EXPECT_EQ(format("%u", 4294967295u), "4294967295");
  EXPECT_EQ(format("% u|%+u", 5u, 5u), " 5|+5");
  EXPECT_EQ(format("%#x|%#X|%x|%X", 255, 255, 255, 255), "0xff|0xFF|ff|FF");
  EXPECT_EQ(format("%#o|%o", 8, 8), "010|10");
  EXPECT_EQ(format("%x", -1), "ffffffff");
  EXPECT_EQ(format("%#08x", 255), "0x0000ff");
  EXPECT_EQ(format("%#8x|", 255), "    0xff|");
  EXPECT_EQ(format("%.4x", 0xab), "00ab");
  EXPECT_EQ(format("%p", reinterpret_cast<void *>(0x1234)), "1234");
  EXPECT_EQ(format("%#p", reinterpret_cast<void *>(0xdeadbeef)), "0xdeadbeef");
}

TEST(FormatIntegerTest, LengthModifiers) {
  // 'l' reads a C long, which is 64 bits here.
  EXPECT_EQ(format("%ld", LONG_MIN), "-9223372036854775808");
  EXPECT_EQ(format("%lu|%d", ULONG_MAX, 7), "18446744073709551615|7");
  EXPECT_EQ(format("%lx", 0x123456789abL), "123456789ab");
  EXPECT_EQ(format("%D|%U", -5000000000L, 5000000000UL), "-5000000000|5000000000");
  EXPECT_EQ(format("%lld|%llu", LLONG_MIN, ULLONG_MAX),
            "-9223372036854775808|18446744073709551615");
  EXPECT_EQ(format("%llo", 0777777777777777ULL), "777777777777777");
  EXPECT_EQ(format("%Ld", 1LL << 40), "1099511627776");
  // 'h' reads the int a short argument was promoted to.
  EXPECT_EQ(format("%hd|%hu", -3, 65535), "-3|65535");
  // An 'h' with 'l' still reads an int.
  EXPECT_EQ(format("%hld|%d", 9, 10), "9|10");
}

TEST(FormatIntegerTest, StarWidthAndPrecision) {
  EXPECT_EQ(format("%*d", -4, 7), "7   ");
  EXPECT_EQ(format("%*d|", 4, 7), "   7|");
  EXPECT_EQ(format("%.*d", 3, 7), "007");
  EXPECT_EQ(format("%.*d", -3, 7), "7");  // a negative precision counts as 0
  EXPECT_EQ(format("%*.*d|", 6, 3, 7), "   007|");
  EXPECT_EQ(format("%.d", 7), "7");
}

TEST(FormatTextTest, StringsAndCharacters) {
  EXPECT_EQ(format("[%s]", "abc"), "[abc]");
  EXPECT_EQ(format("[%5s][%-5s][%.1s]", "ab", "ab", "ab"), "[   ab][ab   ][a]");
  EXPECT_EQ(format("[%.10s]", "abc"), "[abc]");
  EXPECT_EQ(format("[%05s]", "ab"), "[000ab]");
  EXPECT_EQ(format("[%s]", static_cast<const char *>(nullptr)), "[(null)]");
  EXPECT_EQ(format("%c%c", 'o', 'k'), "ok");
  EXPECT_EQ(format("[%3c][%-3c]", 'x', 'y'), "[  x][y  ]");
  EXPECT_EQ(format("%c", 0xE9), "\xC3\xA9");
  EXPECT_EQ(format("[%3c]", 0x20AC), "[  \xE2\x82\xAC]");
}

TEST(FormatTextTest, Utf8StringsCountCharacters) {
  // The precision counts characters: the first two of "éab" are three bytes.
  EXPECT_EQ(format("%.2s",
                   "\xC3\xA9"
                   "ab"),
            "\xC3\xA9"
            "a");
  EXPECT_EQ(format("[%4s]", "\xC3\xA9\xE2\x82\xAC"), "[  \xC3\xA9\xE2\x82\xAC]");
  EXPECT_EQ(count_of("%s|\xC3\xA9", "\xE2\x82\xAC\xE2\x82\xAC"), 4);
  // Broken input arrives as '^'.
  EXPECT_EQ(format("%s",
                   "a\xC3"
                   "b"),
            "a^b");
  // Sequences longer than four bytes pass whole.
  EXPECT_EQ(format("%s", "\xFD\xBF\xBF\xBF\xBF\xBF"), "\xFD\xBF\xBF\xBF\xBF\xBF");
}

TEST(FormatTextTest, PercentCountAndUnknownConversions) {
  EXPECT_EQ(format("100%%"), "100%");
  EXPECT_EQ(count_of("%%"), 1);
  EXPECT_EQ(format("%q"), "q");
  EXPECT_EQ(format("%-5q|%5.2lq"), "q|q");
  EXPECT_EQ(format("%5%|"), "%|");
  EXPECT_EQ(format("%5%s"), "%s");  // the literal '%' does not start a conversion
  int counted = -1;
  int again = -1;
  EXPECT_EQ(format("ab\xC3\xA9%ncd%n", &counted, &again),
            "ab\xC3\xA9"
            "cd");
  EXPECT_EQ(counted, 3);
  EXPECT_EQ(again, 5);
  EXPECT_EQ(format("%n|", static_cast<int *>(nullptr)), "|");
}

TEST(FormatTextTest, FormatEndingInsideAConversion) {
  EXPECT_EQ(format("abc%"), "abc");
  EXPECT_EQ(count_of("abc%"), 3);
  EXPECT_EQ(format("abc%-05.3l"), "abc");
  EXPECT_EQ(format(""), "");
  char buffer[4] = "zz";
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, nullptr), 0);
  EXPECT_STREQ(buffer, "");
}

TEST(FormatFloatTest, ThroughTheCLibrary) {
  EXPECT_EQ(format("%08.3f", 3.14159), "0003.142");
  EXPECT_EQ(format("%f", 1.5), "1.500000");
  EXPECT_EQ(format("%.2e|%E", 12345.678, 0.5), "1.23e+04|5.000000E-01");
  EXPECT_EQ(format("%g|%G", 0.0001, 1e-10), "0.0001|1E-10");
  EXPECT_EQ(format("%+.1f|% .1f", 2.0, 2.0), "+2.0| 2.0");
  EXPECT_EQ(format("%-8.2f|", 1.0), "1.00    |");
  EXPECT_EQ(format("%#.0f", 3.0), "3.");
  EXPECT_EQ(format("%Lf", 2.5L), "2.500000");
  EXPECT_EQ(format("%*.*f|", 7, 1, 2.25), "    2.2|");
  EXPECT_EQ(count_of("%f", 1e300), std::snprintf(nullptr, 0, "%f", 1e300));
}

TEST(FormatFloatTest, WideWidthsAndPrecisionsDoNotOverflow) {
  const std::string wide = format("%300.2f|", 1.0);
  EXPECT_EQ(wide.size(), 301u);
  EXPECT_EQ(wide.substr(296), "1.00|");
  char small[16];
  EXPECT_EQ(format_text_bounded(small, sizeof small, "%.5000f", 1.0), 5002);
  EXPECT_STREQ(small, "1.0000000000000");
}

TEST(FormatBoundsTest, CountIsThatOfTheCompleteOutput) {
  char buffer[4];
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, "%s", "abcdef"), 6);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(format_text_bounded(buffer, sizeof buffer, "ab%dcd", 12345), 9);
  EXPECT_STREQ(buffer, "ab1");
}

TEST(FormatBoundsTest, SizesZeroAndOne) {
  char canary[2] = {'z', 'z'};
  EXPECT_EQ(format_text_bounded(canary, 0, "hello %d", 1), 7);
  EXPECT_EQ(canary[0], 'z');
  EXPECT_EQ(format_text_bounded(canary, 1, "hello %d", 1), 7);
  EXPECT_EQ(canary[0], 0);
  EXPECT_EQ(canary[1], 'z');
  EXPECT_EQ(format_text_bounded(nullptr, 0, "%s", "four"), 4);
}

TEST(FormatBoundsTest, HugeWidthsAndPrecisions) {
  std::vector<char> exact(16, 'z');
  EXPECT_EQ(format_text_bounded(exact.data(), 16, "%100000d", 7), 100000);
  EXPECT_EQ(std::string(exact.data()), std::string(15, ' '));
  EXPECT_EQ(format_text_bounded(exact.data(), 16, "%-100000d|", 7), 100001);
  EXPECT_EQ(std::string(exact.data()), "7" + std::string(14, ' '));
  EXPECT_EQ(format_text_bounded(exact.data(), 16, "%.100000d", 7), 100000);
  EXPECT_EQ(format_text_bounded(exact.data(), 16, "%99999999999999d", 7), INT_MAX);
  EXPECT_EQ(format_text_bounded(exact.data(), 16, "%.100000s|", "abc"), 4);
  EXPECT_STREQ(exact.data(), "abc|");
}

TEST(FormatBoundsTest, CutsUtf8OnCharacterBoundaries) {
  char buffer[8];
  // Room for 3 bytes: 'a' and 'é' fit, the euro sign does not.
  EXPECT_EQ(format_text_bounded(buffer, 4, "%s", "a\xC3\xA9\xE2\x82\xAC"), 3);
  EXPECT_STREQ(buffer, "a\xC3\xA9");
  EXPECT_EQ(format_text_bounded(buffer, 3, "%s", "a\xC3\xA9\xE2\x82\xAC"), 3);
  EXPECT_STREQ(buffer, "a");
  // A literal that does not fit ends the output even if later text would.
  EXPECT_EQ(format_text_bounded(buffer, 3,
                                "a\xE2\x82\xAC"
                                "b"),
            3);
  EXPECT_STREQ(buffer, "a");
  EXPECT_EQ(format_text_bounded(buffer, 5, "%c%s", 0x20AC, "xy"), 3);
  EXPECT_STREQ(buffer,
               "\xE2\x82\xAC"
               "x");
}

TEST(FormatEncodingTest, SixteenBitFormatsAndOutput) {
  scoped_encoding guard(ENCODING_UNICODE16);
  const utf16_text fmt(u"%d\u20AC %s|%-3c|%.1f");
  const utf16_text arg(u"\u00E9t\u00E9");
  utf16_text out(u"", 32);
  EXPECT_EQ(format_text_bounded(out.data(), out.byte_size(), fmt.data(), 42, arg.data(), 'x', 0.5),
            15);
  EXPECT_EQ(out.text(), u"42\u20AC \u00E9t\u00E9|x  |0.5");

  // Two characters and the terminator fit into six bytes; a seventh byte is no help.
  utf16_text small(u"", 8);
  std::fill(small.units().begin(), small.units().end(), 0x5555);
  const utf16_text abc(u"abc");
  EXPECT_EQ(format_text_bounded(small.data(), 7, abc.data()), 3);
  EXPECT_EQ(small.text(), u"ab");
  EXPECT_EQ(small.units()[3], 0x5555);
}

TEST(FormatEncodingTest, EightBitOutput) {
  scoped_encoding guard(ENCODING_ASCII8);
  EXPECT_EQ(format("%c|%s|%3d", 0xE9, "\xFF", 5), "\xE9|\xFF|  5");
  EXPECT_EQ(count_of("caf\xE9 %s", "\xE9"), 6);
}

TEST(FormatUnlimitedTest, FormatTextWritesWholeOutput) {
  char buffer[64];
  EXPECT_EQ(format_text(buffer, "%s-%d-%x", "x", 10, 10), 6);
  EXPECT_STREQ(buffer, "x-10-a");
}

}  // namespace
