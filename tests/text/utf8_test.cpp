// The UTF-8 encoding's operations: decoding (including broken and overlong input), widths and
// encoding of every sequence length.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "corvane/text.h"

namespace {

const encoding_info &utf8() { return *find_encoding_info(ENCODING_UTF8); }

// Decodes the whole byte string with next_char: the code points read and the steps taken.
struct decoded {
  std::vector<int> code_points;
  std::vector<int> steps;
};

decoded decode_all(const std::string &bytes) {
  // An exact-size copy, so that reading past the terminator is caught by the sanitizers.
  std::vector<char> buffer(bytes.begin(), bytes.end());
  buffer.push_back(0);
  decoded result;
  const char *p = buffer.data();
  for (;;) {
    const char *before = p;
    const int c = utf8().next_char(&p);
    if (c == 0) break;
    result.code_points.push_back(c);
    result.steps.push_back(static_cast<int>(p - before));
  }
  return result;
}

TEST(Utf8DecodingTest, ReadsSequencesOfEveryLength) {
  const struct {
    std::string bytes;
    int code_point;
  } cases[] = {
      {"A", 'A'},
      {"\xC3\xA9", 0xE9},
      {"\xDF\xBF", 0x7FF},
      {"\xE2\x82\xAC", 0x20AC},
      {"\xEF\xBF\xBF", 0xFFFF},
      {"\xF0\x9F\x98\x80", 0x1F600},
      {"\xF4\x8F\xBF\xBF", 0x10FFFF},
      {"\xF8\x88\x80\x80\x80", 0x200000},
      {"\xFC\x84\x80\x80\x80\x80", 0x4000000},
      {"\xFD\xBF\xBF\xBF\xBF\xBF", 0x7FFFFFFF},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.code_point);
    EXPECT_EQ(utf8().get_char(c.bytes.c_str()), c.code_point);
    const decoded d = decode_all(c.bytes);
    ASSERT_EQ(d.code_points.size(), 1u);
    EXPECT_EQ(d.code_points[0], c.code_point);
    EXPECT_EQ(d.steps[0], static_cast<int>(c.bytes.size()));
    EXPECT_EQ(utf8().char_width(c.bytes.c_str()), static_cast<int>(c.bytes.size()));
  }
}

TEST(Utf8DecodingTest, BadContinuationReadsAsCaretAndStopsOnTheOffendingByte) {
  const decoded d = decode_all(
      "\xC3"
      "A");
  EXPECT_EQ(d.code_points, (std::vector<int>{'^', 'A'}));
  EXPECT_EQ(d.steps, (std::vector<int>{1, 1}));

  // The good continuation bytes are consumed, the bad one is read again.
  const decoded longer = decode_all(
      "\xE2\x82"
      "B");
  EXPECT_EQ(longer.code_points, (std::vector<int>{'^', 'B'}));
  EXPECT_EQ(longer.steps, (std::vector<int>{2, 1}));

  // A new lead byte where a continuation belongs starts the next character.
  const decoded lead = decode_all("\xC3\xC3\xA9");
  EXPECT_EQ(lead.code_points, (std::vector<int>{'^', 0xE9}));
}

TEST(Utf8DecodingTest, LoneContinuationByteIsOneCharacterOfItsLowBits) {
  EXPECT_EQ(utf8().get_char("\xA9"), 0x29);
  EXPECT_EQ(utf8().char_width("\xA9"), 1);
  EXPECT_EQ(decode_all("\xBF\xA9").code_points, (std::vector<int>{0x3F, 0x29}));
  // 0x80 keeps no bits at all: it reads as the terminator.
  EXPECT_EQ(decode_all("a\x80"
                       "b")
                .code_points,
            (std::vector<int>{'a'}));
}

TEST(Utf8DecodingTest, StringEndingInsideASequenceEndsAtItsTerminator) {
  for (const std::string bytes : {"x\xC3", "x\xE2\x82", "x\xF0\x9F\x98", "x\xFD\xBF\xBF\xBF\xBF"}) {
    SCOPED_TRACE(bytes.size());
    const decoded d = decode_all(bytes);
    EXPECT_EQ(d.code_points, (std::vector<int>{'x', '^'}));
    EXPECT_EQ(d.steps[1], static_cast<int>(bytes.size()) - 1);
  }
}

TEST(Utf8DecodingTest, OverlongFormsAreAcceptedAsTheyCome) {
  EXPECT_EQ(utf8().get_char("\xC1\x81"), 'A');
  EXPECT_EQ(utf8().get_char("\xE0\x81\x81"), 'A');
  // An overlong zero reads as the terminator.
  EXPECT_EQ(decode_all("ab\xC0\x80"
                       "cd")
                .code_points,
            (std::vector<int>{'a', 'b'}));
  // Surrogates and values above U+10FFFF are not checked.
  EXPECT_EQ(utf8().get_char("\xED\xA0\x80"), 0xD800);
  EXPECT_EQ(utf8().get_char("\xF4\x90\x80\x80"), 0x110000);
}

TEST(Utf8DecodingTest, SevenAndEightByteLeadsStayInsideTheString) {
  EXPECT_EQ(utf8().char_width("\xFE"), 7);
  EXPECT_EQ(utf8().char_width("\xFF"), 8);
  EXPECT_EQ(decode_all("\xFE"
                       "A")
                .code_points,
            (std::vector<int>{'^', 'A'}));
  EXPECT_EQ(decode_all("\xFF").code_points, (std::vector<int>{'^'}));
  const decoded d = decode_all(
      "\xFE\x80\x80\x80\x80\x80\x81"
      "Z");
  ASSERT_EQ(d.steps.size(), 2u);
  EXPECT_EQ(d.steps[0], 7);
  EXPECT_EQ(d.code_points[0], 1);
  EXPECT_EQ(d.code_points[1], 'Z');
}

TEST(Utf8EncodingTest, CodeWidthAtEveryBoundary) {
  const struct {
    int code_point;
    int width;
  } cases[] = {{0, 1},         {0x7F, 1},       {0x80, 2},     {0x7FF, 2},    {0x800, 3},
               {0xFFFF, 3},    {0x10000, 4},    {0x1FFFFF, 4}, {0x200000, 5}, {0x3FFFFFF, 5},
               {0x4000000, 6}, {0x7FFFFFFF, 6}, {-1, 1},       {-200, 1}};
  for (const auto &c : cases) {
    EXPECT_EQ(utf8().code_width(c.code_point), c.width) << std::hex << c.code_point;
  }
  EXPECT_EQ(utf8().max_width, 4);
  EXPECT_EQ(encoding_max_width(ENCODING_UTF8), 4);
}

TEST(Utf8EncodingTest, PutCharWritesTheSequenceAndItsLength) {
  char buffer[8] = {};
  EXPECT_EQ(utf8().put_char(buffer, 0x20AC), 3);
  EXPECT_EQ(std::string(buffer, 3), "\xE2\x82\xAC");

  const int samples[] = {0x41,     0x80,     0xE9,     0x7FF,     0x800,     0xFFFF,    0x10000,
                         0x10FFFF, 0x1FFFFF, 0x200000, 0x3FFFFFF, 0x4000000, 0x7FFFFFFF};
  for (const int c : samples) {
    char out[8];
    std::memset(out, 0x55, sizeof out);
    const int written = utf8().put_char(out, c);
    EXPECT_EQ(written, utf8().code_width(c)) << std::hex << c;
    EXPECT_EQ(out[written], 0x55) << "wrote past its length for " << std::hex << c;
    EXPECT_EQ(utf8().get_char(out), c) << std::hex << c;
    EXPECT_EQ(utf8().char_width(out), written) << std::hex << c;
  }
}

TEST(Utf8EncodingTest, NegativeValuesAreWrittenAsTheirLowByte) {
  char out[2] = {0, 0x55};
  EXPECT_EQ(utf8().put_char(out, -1), 1);
  EXPECT_EQ(static_cast<unsigned char>(out[0]), 0xFF);
  EXPECT_EQ(out[1], 0x55);
  EXPECT_NE(utf8().char_ok(-1), 0);
  EXPECT_NE(utf8().char_ok(0x7FFFFFFF), 0);
}

}  // namespace
