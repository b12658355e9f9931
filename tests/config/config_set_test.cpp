// The setters: replacing, removing and adding lines, where new keys and sections are placed, and
// how numbers and ids are written.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/config/config_test_support.h"

namespace {

using config_test::ConfigTest;
using config_test::header;
using config_test::key;
using config_test::line;
using config_test::main_lines;
using config_test::text_line;
using config_test::use_data;
using lines = std::vector<line>;

class ConfigSet : public ConfigTest {};

TEST_F(ConfigSet, ReplacingAValueKeepsItsPlaceAndMarksTheConfigurationChanged) {
  use_data("[a]\nx = 1\ny = 2\n");
  EXPECT_EQ(corvane::cfg::config_store.main_config->dirty, 0);
  config_set_string("a", "X", "9");
  EXPECT_EQ(main_lines(), (lines{header("[a]"), key("x", "9"), key("y", "2")}));
  EXPECT_EQ(corvane::cfg::config_store.main_config->dirty, -1);
}

TEST_F(ConfigSet, EmptyOrNullValueRemovesTheKey) {
  use_data("first = 0\n[a]\nx = 1\ny = 2\n");
  config_set_string("a", "x", "");
  config_set_string(nullptr, "first", nullptr);
  EXPECT_EQ(main_lines(), (lines{header("[a]"), key("y", "2")}));
  EXPECT_STREQ(config_get_string("a", "x", "dflt"), "dflt");
  // Removing what is not there changes nothing.
  corvane::cfg::config_store.main_config->dirty = 0;
  config_set_string("a", "absent", "");
  EXPECT_EQ(corvane::cfg::config_store.main_config->dirty, 0);
}

TEST_F(ConfigSet, NewKeyGoesBeforeTheBlankLineThatEndsItsSection) {
  use_data("[a]\nx = 1\n\n# about b\n[b]\ny = 2\n");
  config_set_string("a", "z", "3");
  EXPECT_EQ(main_lines(), (lines{header("[a]"), key("x", "1"), key("z", "3"), text_line(""),
                                 text_line("# about b"), header("[b]"), key("y", "2")}));
  EXPECT_STREQ(config_get_string("a", "z", nullptr), "3");
}

TEST_F(ConfigSet, NewKeyStaysInItsSectionWhenTheNextHeaderFollowsDirectly) {
  use_data("[a]\nx = 1\n[b]\ny = 2\n");
  config_set_string("a", "z", "3");
  EXPECT_EQ(main_lines(),
            (lines{header("[a]"), key("x", "1"), key("z", "3"), header("[b]"), key("y", "2")}));
  EXPECT_STREQ(config_get_string("a", "z", nullptr), "3");
  EXPECT_EQ(config_get_string("b", "z", nullptr), nullptr);

  // Also right behind an empty section's header.
  use_data("[a]\n[b]\ny = 2\n");
  config_set_string("a", "z", "3");
  EXPECT_EQ(main_lines(), (lines{header("[a]"), key("z", "3"), header("[b]"), key("y", "2")}));
}

TEST_F(ConfigSet, NewKeyOfTheLastSectionGoesToTheEnd) {
  use_data("[a]\nx = 1");
  config_set_string("a", "z", "3");
  EXPECT_EQ(main_lines(), (lines{header("[a]"), key("x", "1"), key("z", "3")}));
}

TEST_F(ConfigSet, NewSectionIsAppendedAfterABlankLine) {
  use_data("[a]\nx = 1\n");
  config_set_string("b", "y", "2");
  EXPECT_EQ(main_lines(), (lines{header("[a]"), key("x", "1"), text_line(std::nullopt),
                                 header("[b]", std::nullopt), key("y", "2")}));

  // No second blank line when the last line is already blank.
  use_data("[a]\nx = 1\n\n");
  config_set_string("b", "y", "2");
  EXPECT_EQ(main_lines(), (lines{header("[a]"), key("x", "1"), text_line(""),
                                 header("[b]", std::nullopt), key("y", "2")}));

  // An empty configuration gets just the header and the key.
  use_data("");
  config_set_string("b", "y", "2");
  EXPECT_EQ(main_lines(), (lines{header("[b]", std::nullopt), key("y", "2")}));
}

TEST_F(ConfigSet, KeyOfTheEmptySectionGoesToTheTop) {
  use_data("[a]\nx = 1\n");
  config_set_string(nullptr, "top", "yes");
  config_set_string("", "second", "too");
  EXPECT_EQ(main_lines(),
            (lines{key("second", "too"), key("top", "yes"), header("[a]"), key("x", "1")}));
  EXPECT_STREQ(config_get_string(nullptr, "top", nullptr), "yes");
}

TEST_F(ConfigSet, AddedSectionsCollectTheirOwnKeys) {
  use_data("");
  config_set_string("one", "a", "1");
  config_set_string("two", "b", "2");
  config_set_string("one", "c", "3");
  EXPECT_EQ(main_lines(),
            (lines{header("[one]", std::nullopt), key("a", "1"), key("c", "3"),
                   text_line(std::nullopt), header("[two]", std::nullopt), key("b", "2")}));
}

TEST_F(ConfigSet, NumbersAreFormatted) {
  use_data("");
  config_set_int("n", "int", -42);
  config_set_int("n", "min", INT_MIN);
  config_set_hex("n", "hex", 0xBEEF);
  config_set_hex("n", "neg", -5);
  config_set_float("n", "float", 1.5f);
  config_set_float("n", "large", 3.0e38f);
  EXPECT_STREQ(config_get_string("n", "int", nullptr), "-42");
  EXPECT_STREQ(config_get_string("n", "min", nullptr), "-2147483648");
  EXPECT_STREQ(config_get_string("n", "hex", nullptr), "BEEF");
  EXPECT_STREQ(config_get_string("n", "neg", nullptr), "-1");
  EXPECT_STREQ(config_get_string("n", "float", nullptr), "1.500000");
  // Stored whole, so that it reads back as the same float.
  EXPECT_EQ(config_get_float("n", "large", 0.0f), 3.0e38f);
  EXPECT_EQ(config_get_hex("n", "hex", 0), 0xBEEF);
}

TEST_F(ConfigSet, IdsAreWrittenAsCharactersOrNumbers) {
  use_data("");
  config_set_id("d", "card", CORVANE_ID('S', 'B', '1', '6'));
  config_set_id("d", "short", CORVANE_ID('A', 'B', ' ', ' '));
  config_set_id("d", "gap", CORVANE_ID('A', 0, 'C', 'D'));
  config_set_id("d", "small", 200);
  config_set_id("d", "neg", -3);
  EXPECT_STREQ(config_get_string("d", "card", nullptr), "SB16");
  EXPECT_STREQ(config_get_string("d", "short", nullptr), "AB");
  EXPECT_STREQ(config_get_string("d", "gap", nullptr), "A");
  EXPECT_STREQ(config_get_string("d", "small", nullptr), "200");
  EXPECT_STREQ(config_get_string("d", "neg", nullptr), "-3");
  EXPECT_EQ(config_get_id("d", "card", 0), CORVANE_ID('S', 'B', '1', '6'));

  // An id that starts with a space has no characters: the key is removed.
  config_set_id("d", "card", CORVANE_ID(' ', 'X', 'Y', 'Z'));
  EXPECT_EQ(config_get_string("d", "card", nullptr), nullptr);
}

TEST_F(ConfigSet, SixteenBitNumbersAreFormattedInTheCurrentEncoding) {
  set_text_encoding(ENCODING_UNICODE16);
  use_config_data(nullptr, 0);
  const std::u16string section = u"s";
  const std::u16string name = u"f";
  auto as_text = [](const std::u16string &s) { return reinterpret_cast<const char *>(s.c_str()); };
  config_set_float(as_text(section), as_text(name), 123456789.0f);
  const char *value = config_get_string(as_text(section), as_text(name), nullptr);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(value)), u"123456792.000000");
  config_set_int(as_text(section), as_text(name), -7);
  EXPECT_EQ(config_get_int(as_text(section), as_text(name), 0), -7);
}

TEST_F(ConfigSet, NullKeyChangesNothing) {
  use_data("[a]\nx = 1\n");
  config_set_string("a", nullptr, "v");
  EXPECT_EQ(main_lines(), (lines{header("[a]"), key("x", "1")}));
  EXPECT_EQ(corvane::cfg::config_store.main_config->dirty, 0);
}

}  // namespace
