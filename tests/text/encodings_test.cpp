// The 8-bit, 16-bit and codepage encodings, the encoding table with its free records, the current
// encoding, the file-name encoding and its detection from the locale.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "corvane/system.h"
#include "corvane/text.h"
#include "support/env_guard.h"
#include "tests/text/text_test_support.h"

namespace {

using corvane::testing::env_guard;
using corvane::testing::scoped_encoding;
using corvane::testing::utf16_text;

TEST(Ascii8EncodingTest, EveryByteIsItsOwnCharacter) {
  const encoding_info &e = *find_encoding_info(ENCODING_ASCII8);
  EXPECT_EQ(e.get_char("\xE9"), 0xE9);
  const char text[] =
      "\xFF"
      "a";
  const char *p = text;
  EXPECT_EQ(e.next_char(&p), 0xFF);
  EXPECT_EQ(p, text + 1);
  char out[2] = {0, 0x55};
  EXPECT_EQ(e.put_char(out, 0x1E9), 1);  // the low 8 bits
  EXPECT_EQ(static_cast<unsigned char>(out[0]), 0xE9);
  EXPECT_EQ(out[1], 0x55);
  EXPECT_NE(e.char_ok(0), 0);
  EXPECT_NE(e.char_ok(255), 0);
  EXPECT_EQ(e.char_ok(256), 0);
  EXPECT_EQ(e.char_ok(-1), 0);
  EXPECT_EQ(e.max_width, 1);
}

TEST(Unicode16EncodingTest, ReadsAndWritesWholeUnits) {
  const encoding_info &e = *find_encoding_info(ENCODING_UNICODE16);
  utf16_text text(u"\u20ACx");
  const char *p = text.data();
  EXPECT_EQ(e.next_char(&p), 0x20AC);
  EXPECT_EQ(p, text.data() + 2);
  EXPECT_EQ(e.get_char(p), 'x');
  EXPECT_EQ(e.char_width(p), 2);
  EXPECT_EQ(e.code_width(0x41), 2);

  utf16_text out(u"", 3);
  EXPECT_EQ(e.put_char(out.data(), 0x12345), 2);  // the low 16 bits
  EXPECT_EQ(out.units()[0], 0x2345);
  EXPECT_EQ(out.units()[1], 0);
  EXPECT_NE(e.char_ok(0xFFFF), 0);
  EXPECT_EQ(e.char_ok(0x10000), 0);
  EXPECT_EQ(e.char_ok(-1), 0);
  EXPECT_EQ(e.max_width, 2);
}

TEST(Unicode16EncodingTest, UnitsNeedNotBeAligned) {
  const encoding_info &e = *find_encoding_info(ENCODING_UNICODE16);
  alignas(2) char bytes[6] = {};
  EXPECT_EQ(e.put_char(bytes + 1, 0xBEEF), 2);
  EXPECT_EQ(e.get_char(bytes + 1), 0xBEEF);
}

TEST(CodepageEncodingTest, TablesHoldAsciiAndTheApproximations) {
  for (int i = 0; i < 128; ++i) EXPECT_EQ(codepage_table[i], i);
  for (int i = 128; i < 256; ++i) EXPECT_EQ(codepage_table[i], '^');
  int count = 0;
  while (codepage_extras[count].code_point != 0) ++count;
  EXPECT_EQ(count, 191);
}

TEST(CodepageEncodingTest, ReadsBytesThroughTheTable) {
  const encoding_info &e = *find_encoding_info(ENCODING_CODEPAGE);
  EXPECT_EQ(e.get_char("A"), 'A');
  EXPECT_EQ(e.get_char("\xE9"), '^');
  EXPECT_EQ(e.max_width, 1);
}

TEST(CodepageEncodingTest, WritesTableEntriesThenApproximationsThenCaret) {
  const encoding_info &e = *find_encoding_info(ENCODING_CODEPAGE);
  const struct {
    int code_point;
    char byte;
  } cases[] = {
      {'A', 'A'},   {'^', '^'},   {0x7F, 0x7F}, {0xA1, '!'},  {0xA3, '#'},   {0xB5, 'u'},
      {0xC5, 'A'},  {0xC7, 'C'},  {0xD7, 'X'},  {0xD8, '0'},  {0xDE, 'P'},   {0xDF, 'S'},
      {0xE9, 'e'},  {0xF0, 'o'},  {0xF8, 'o'},  {0xFF, 'y'},  {0x100, 'A'},  {0x10D, 'c'},
      {0x130, 'I'}, {0x131, 'i'}, {0x138, 'K'}, {0x139, 'L'}, {0x142, 'l'},  {0x149, 'n'},
      {0x14A, 'N'}, {0x151, 'o'}, {0x159, 'r'}, {0x160, 'S'}, {0x167, 't'},  {0x173, 'u'},
      {0x174, 'W'}, {0x178, 'y'}, {0x179, 'Z'}, {0x17E, 'z'}, {0xF7, '^'},   {0x132, '^'},
      {0x133, '^'}, {0x152, '^'}, {0x153, '^'}, {0x17F, '^'}, {0x20AC, '^'}, {0x80, '^'},
      {-5, '^'},
  };
  for (const auto &c : cases) {
    char out[2] = {0, 0x55};
    EXPECT_EQ(e.put_char(out, c.code_point), 1);
    EXPECT_EQ(out[0], c.byte) << std::hex << c.code_point;
    EXPECT_EQ(out[1], 0x55);
  }
}

TEST(CodepageEncodingTest, CharOkForTheTableAndTheApproximationsOnly) {
  const encoding_info &e = *find_encoding_info(ENCODING_CODEPAGE);
  EXPECT_NE(e.char_ok(0), 0);
  EXPECT_NE(e.char_ok(0x7F), 0);
  EXPECT_EQ(e.char_ok(0x80), 0);
  EXPECT_EQ(e.char_ok(0xA0), 0);
  EXPECT_NE(e.char_ok(0xA1), 0);
  EXPECT_EQ(e.char_ok(0xF7), 0);
  EXPECT_NE(e.char_ok(0x17E), 0);
  EXPECT_EQ(e.char_ok(0x17F), 0);
  EXPECT_EQ(e.char_ok(-1), 0);
  for (const codepage_extra *x = codepage_extras; x->code_point != 0; ++x) {
    EXPECT_NE(e.char_ok(x->code_point), 0) << std::hex << x->code_point;
  }
}

TEST(EncodingTableTest, BuiltInRecordsInOrderThenFreeOnes) {
  const int ids[] = {ENCODING_ASCII8, ENCODING_UTF8, ENCODING_UNICODE16, ENCODING_CODEPAGE};
  const int widths[] = {1, 4, 2, 1};
  const encoding_info *first = find_encoding_info(ENCODING_ASCII8);
  for (int i = 0; i < 4; ++i) {
    const encoding_info *e = find_encoding_info(ids[i]);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e, first + i);
    EXPECT_EQ(e->id, ids[i]);
    EXPECT_EQ(e->max_width, widths[i]);
    EXPECT_EQ(encoding_max_width(ids[i]), widths[i]);
  }
  // Id 0 finds the first free record.
  EXPECT_EQ(find_encoding_info(0), first + 4);
  EXPECT_EQ(find_encoding_info(0)->id, 0);
  EXPECT_EQ(find_encoding_info(CORVANE_ID('N', 'O', 'P', 'E')), nullptr);
  EXPECT_EQ(encoding_max_width(CORVANE_ID('N', 'O', 'P', 'E')), 0);
  EXPECT_EQ(encoding_max_width(0), 0);
}

TEST(CurrentEncodingTest, StartsAsUtf8) {
  EXPECT_EQ(get_text_encoding(), ENCODING_UTF8);
  EXPECT_EQ(find_encoding_info(ENCODING_CURRENT), find_encoding_info(ENCODING_UTF8));
  EXPECT_EQ(current_get_char("\xC3\xA9"), 0xE9);
  EXPECT_EQ(encoding_max_width(ENCODING_CURRENT), 4);
}

TEST(CurrentEncodingTest, SettingCopiesTheOperations) {
  scoped_encoding guard(ENCODING_UNICODE16);
  const encoding_info &e = *find_encoding_info(ENCODING_UNICODE16);
  EXPECT_EQ(get_text_encoding(), ENCODING_UNICODE16);
  EXPECT_EQ(find_encoding_info(ENCODING_CURRENT), &e);
  EXPECT_EQ(current_get_char, e.get_char);
  EXPECT_EQ(current_next_char, e.next_char);
  EXPECT_EQ(current_put_char, e.put_char);
  EXPECT_EQ(current_char_width, e.char_width);
  EXPECT_EQ(current_code_width, e.code_width);
  EXPECT_EQ(current_char_ok, e.char_ok);

  utf16_text text(u"ab");
  char *p = text.data();
  EXPECT_EQ(current_next_char_writable(&p), 'a');
  EXPECT_EQ(p, text.data() + 2);
}

TEST(CurrentEncodingTest, UnknownIdsChangeNothing) {
  set_text_encoding(ENCODING_ASCII8);
  set_text_encoding(CORVANE_ID('N', 'O', 'P', 'E'));
  set_text_encoding(0);  // a free record is no encoding
  EXPECT_EQ(get_text_encoding(), ENCODING_ASCII8);
  EXPECT_EQ(current_get_char("\xE9"), 0xE9);
  set_text_encoding(ENCODING_UTF8);
}

// A toy encoding: one byte a character, stored with its bits inverted.
int inverted_get(const char *s) { return static_cast<unsigned char>(~*s); }
int inverted_next(const char **s) { return static_cast<unsigned char>(~*(*s)++); }
int inverted_put(char *s, int c) {
  *s = static_cast<char>(~c);
  return 1;
}
int inverted_width(const char *) { return 1; }
int inverted_code_width(int) { return 1; }
int inverted_ok(int c) { return c >= 0 && c < 256; }

constexpr int inverted_id = CORVANE_ID('I', 'N', 'V', '8');

void register_inverted(int id) {
  register_text_encoding(id, inverted_get, inverted_next, inverted_put, inverted_width,
                         inverted_code_width, inverted_ok, 1);
}

TEST(RegisteredEncodingTest, FillsTheFirstFreeRecordWithoutBecomingCurrent) {
  encoding_info *free_record = find_encoding_info(0);
  register_inverted(inverted_id);
  EXPECT_EQ(find_encoding_info(inverted_id), free_record);
  EXPECT_EQ(free_record->get_char, inverted_get);
  EXPECT_EQ(free_record->max_width, 1);
  EXPECT_EQ(get_text_encoding(), ENCODING_UTF8);
  EXPECT_EQ(find_encoding_info(0), free_record + 1);
}

TEST(RegisteredEncodingTest, WorksAsTheCurrentEncoding) {
  register_inverted(inverted_id);
  scoped_encoding guard(inverted_id);
  char text[4] = {static_cast<char>(~'h'), static_cast<char>(~'i'), static_cast<char>(~0), 0};
  EXPECT_EQ(text_length(text), 2);
  char *p = text;
  EXPECT_EQ(current_next_char_writable(&p), 'h');
  EXPECT_EQ(p, text + 1);
  char copy[4];
  text_copy(copy, sizeof copy, text);
  EXPECT_EQ(std::memcmp(copy, text, 3), 0);
  // Conversion goes through the registered operations.
  char plain[4];
  convert_text_into(text, inverted_id, plain, ENCODING_ASCII8, sizeof plain);
  EXPECT_STREQ(plain, "hi");
}

TEST(RegisteredEncodingTest, SameIdOverwritesAndAFullTableIgnores) {
  register_inverted(inverted_id);
  encoding_info *record = find_encoding_info(inverted_id);
  register_text_encoding(inverted_id, inverted_get, inverted_next, inverted_put, inverted_width,
                         inverted_code_width, inverted_ok, 3);
  EXPECT_EQ(find_encoding_info(inverted_id), record);
  EXPECT_EQ(record->max_width, 3);

  for (char c = 'A'; c <= 'C'; ++c) register_inverted(CORVANE_ID('I', 'N', 'V', c));
  EXPECT_EQ(find_encoding_info(0), nullptr);
  register_inverted(CORVANE_ID('I', 'N', 'V', 'D'));
  EXPECT_EQ(find_encoding_info(CORVANE_ID('I', 'N', 'V', 'D')), nullptr);

  // A built-in can be replaced in place.
  register_text_encoding(ENCODING_CODEPAGE, inverted_get, inverted_next, inverted_put,
                         inverted_width, inverted_code_width, inverted_ok, 1);
  EXPECT_EQ(find_encoding_info(ENCODING_CODEPAGE)->get_char, inverted_get);
}

TEST(RegisteredEncodingTest, IncompleteRecordsAreRefused) {
  errno = 0;
  register_text_encoding(inverted_id, inverted_get, nullptr, inverted_put, inverted_width,
                         inverted_code_width, inverted_ok, 1);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(find_encoding_info(inverted_id), nullptr);
  register_text_encoding(inverted_id, inverted_get, inverted_next, inverted_put, inverted_width,
                         inverted_code_width, inverted_ok, 0);
  EXPECT_EQ(find_encoding_info(inverted_id), nullptr);
  register_text_encoding(ENCODING_CURRENT, inverted_get, inverted_next, inverted_put,
                         inverted_width, inverted_code_width, inverted_ok, 1);
  register_text_encoding(0, inverted_get, inverted_next, inverted_put, inverted_width,
                         inverted_code_width, inverted_ok, 1);
  EXPECT_EQ(find_encoding_info(0), find_encoding_info(ENCODING_CODEPAGE) + 1);
  EXPECT_EQ(find_encoding_info(ENCODING_CURRENT)->id, ENCODING_UTF8);
}

TEST(FileNameEncodingTest, StartsAsAscii8AndIsKeptSeparately) {
  EXPECT_EQ(get_file_name_encoding(), ENCODING_ASCII8);
  set_file_name_encoding(ENCODING_UTF8);
  EXPECT_EQ(get_file_name_encoding(), ENCODING_UTF8);
  EXPECT_EQ(get_text_encoding(), ENCODING_UTF8);
  set_text_encoding(ENCODING_ASCII8);
  EXPECT_EQ(get_file_name_encoding(), ENCODING_UTF8);
  set_text_encoding(ENCODING_UTF8);
}

// The three locale variables start unset in every test and get their old values back after it.
class LocaleDetectionTest : public ::testing::Test {
 protected:
  void SetUp() override { set_file_name_encoding(ENCODING_ASCII8); }
  const env_guard lc_all{"LC_ALL", nullptr};
  const env_guard lc_ctype{"LC_CTYPE", nullptr};
  const env_guard lang{"LANG", nullptr};
};

TEST_F(LocaleDetectionTest, EmptyLcAllFallsThroughToLcCtype) {
  lc_all.set("");
  lc_ctype.set("de_DE.UTF-8");
  detect_utf8_locale();
  EXPECT_EQ(get_file_name_encoding(), ENCODING_UTF8);
  EXPECT_EQ(get_text_encoding(), ENCODING_UTF8);
}

TEST_F(LocaleDetectionTest, NothingSetLeavesAscii8) {
  detect_utf8_locale();
  EXPECT_EQ(get_file_name_encoding(), ENCODING_ASCII8);
}

TEST_F(LocaleDetectionTest, TheFirstNonEmptyVariableDecides) {
  lc_all.set("C");
  lang.set("en_US.UTF-8");
  detect_utf8_locale();
  EXPECT_EQ(get_file_name_encoding(), ENCODING_ASCII8);

  lc_all.set(nullptr);
  lc_ctype.set("");
  detect_utf8_locale();
  EXPECT_EQ(get_file_name_encoding(), ENCODING_UTF8);
}

TEST_F(LocaleDetectionTest, EachSpellingIsRecognised) {
  for (const char *value : {"x.utf8", "x.UTF-8", "x.utf-8", "x.UTF8"}) {
    set_file_name_encoding(ENCODING_ASCII8);
    lang.set(value);
    detect_utf8_locale();
    EXPECT_EQ(get_file_name_encoding(), ENCODING_UTF8) << value;
  }
  set_file_name_encoding(ENCODING_ASCII8);
  lang.set("en_US.Utf8");
  detect_utf8_locale();
  EXPECT_EQ(get_file_name_encoding(), ENCODING_ASCII8);
}

}  // namespace
