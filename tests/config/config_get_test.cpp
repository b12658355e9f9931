// The getters: where a value is looked up (sections, override, transient) and how each type is
// read from its text.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <string>

#include "tests/config/config_test_support.h"

namespace {

using config_test::ConfigTest;
using config_test::use_data;

constexpr const char *sample =
    "top = first\n"
    "[mouse]\n"
    "num_buttons = 3\n"
    "empty =\n"
    "[Sound]\n"
    "digi_card = DCA\n"
    "quality = 0x10\n";

class ConfigGet : public ConfigTest {};

TEST_F(ConfigGet, SectionsAreFoundInEveryForm) {
  use_data(sample);
  EXPECT_STREQ(config_get_string("sound", "digi_card", "none"), "DCA");
  EXPECT_STREQ(config_get_string("[sound]", "digi_card", "none"), "DCA");
  EXPECT_STREQ(config_get_string("SOUND", "DIGI_CARD", "none"), "DCA");
  EXPECT_STREQ(config_get_string("sound]", "digi_card", "none"), "DCA");
  EXPECT_STREQ(config_get_string("mouse", "digi_card", "none"), "none");
}

TEST_F(ConfigGet, EmptySectionIsThePartBeforeTheFirstHeader) {
  use_data(sample);
  EXPECT_STREQ(config_get_string(nullptr, "top", "none"), "first");
  EXPECT_STREQ(config_get_string("", "top", "none"), "first");
  EXPECT_STREQ(config_get_string(nullptr, "digi_card", "none"), "none");
  EXPECT_STREQ(config_get_string("sound", "top", "none"), "none");
}

TEST_F(ConfigGet, MissingEmptyOrNullGiveTheDefault) {
  use_data(sample);
  EXPECT_STREQ(config_get_string("mouse", "empty", "dflt"), "dflt");
  EXPECT_STREQ(config_get_string("mouse", "absent", "dflt"), "dflt");
  EXPECT_STREQ(config_get_string("mouse", nullptr, "dflt"), "dflt");
  EXPECT_EQ(config_get_string("mouse", "absent", nullptr), nullptr);
  EXPECT_EQ(config_get_int("mouse", "empty", 7), 7);
}

TEST_F(ConfigGet, IntegersFollowTheCLibraryBaseRules) {
  use_data(
      "dec = 42\nhex = 0x1F\noctal = 017\nneg = -12\nlead = 12abc\nword = abc\n"
      "big = 99999999999\nsmall = -99999999999\nhuge = 0x123456789ABCDEF0123\n");
  EXPECT_EQ(config_get_int(nullptr, "dec", 0), 42);
  EXPECT_EQ(config_get_int(nullptr, "hex", 0), 31);
  EXPECT_EQ(config_get_int(nullptr, "octal", 0), 15);
  EXPECT_EQ(config_get_int(nullptr, "neg", 0), -12);
  EXPECT_EQ(config_get_int(nullptr, "lead", 0), 12);
  EXPECT_EQ(config_get_int(nullptr, "word", 5), 5);
  EXPECT_EQ(config_get_int(nullptr, "big", 0), INT_MAX);
  EXPECT_EQ(config_get_int(nullptr, "small", 0), INT_MIN);
  EXPECT_EQ(config_get_int(nullptr, "huge", 0), INT_MAX);
}

TEST_F(ConfigGet, OverflowLeavesTheCallersErrnoAlone) {
  use_data("big = 99999999999999999999999\n");
  errno = 0;
  EXPECT_EQ(config_get_int(nullptr, "big", 0), INT_MAX);
  EXPECT_EQ(errno, 0);
}

TEST_F(ConfigGet, HexadecimalWithTheLargestValueRule) {
  use_data(
      "all = FFFFFFFF\nmax = 7fffffff\nMAX = 7FFFFFFF\nten = 10\nprefixed = 0xff\n"
      "over = 80000000\nneg = -1\nbad = xyz\nempty =\n");
  EXPECT_EQ(config_get_hex(nullptr, "all", 0), -1);
  EXPECT_EQ(config_get_hex(nullptr, "max", 0), 0x7FFFFFFF);
  EXPECT_EQ(config_get_hex("", "MAX", 0), 0x7FFFFFFF);
  EXPECT_EQ(config_get_hex(nullptr, "ten", 0), 16);
  EXPECT_EQ(config_get_hex(nullptr, "prefixed", 0), 255);
  EXPECT_EQ(config_get_hex(nullptr, "over", 0), -1);
  EXPECT_EQ(config_get_hex(nullptr, "neg", 0), -1);
  EXPECT_EQ(config_get_hex(nullptr, "bad", 3), 3);
  EXPECT_EQ(config_get_hex(nullptr, "empty", 4), 4);
  EXPECT_EQ(config_get_hex(nullptr, "absent", 5), 5);
}

TEST_F(ConfigGet, FloatsAreNarrowedAndOutOfRangeBecomesInfinite) {
  use_data("pi = 3.25\nexp = -1e3\nhuge = 1e300\ntiny = -1e300\nword = pi\n");
  EXPECT_FLOAT_EQ(config_get_float(nullptr, "pi", 0.0f), 3.25f);
  EXPECT_FLOAT_EQ(config_get_float(nullptr, "exp", 0.0f), -1000.0f);
  EXPECT_EQ(config_get_float(nullptr, "huge", 0.0f), HUGE_VALF);
  EXPECT_EQ(config_get_float(nullptr, "tiny", 0.0f), -HUGE_VALF);
  EXPECT_FLOAT_EQ(config_get_float(nullptr, "word", 2.5f), 2.5f);
  EXPECT_FLOAT_EQ(config_get_float(nullptr, "absent", 1.5f), 1.5f);
}

TEST_F(ConfigGet, IdsAreNumbersOrFourUpperCaseCharacters) {
  use_data(
      "num = 42\nhexnum = 0x10\ncard = sb16\nshort = ab\nlong = abcdefg\nmixed = 12ab\n"
      "none = NONE\n");
  EXPECT_EQ(config_get_id(nullptr, "num", 0), 42);
  EXPECT_EQ(config_get_id(nullptr, "hexnum", 0), 16);
  EXPECT_EQ(config_get_id(nullptr, "card", 0), CORVANE_ID('S', 'B', '1', '6'));
  EXPECT_EQ(config_get_id(nullptr, "short", 0), CORVANE_ID('A', 'B', ' ', ' '));
  EXPECT_EQ(config_get_id(nullptr, "long", 0), CORVANE_ID('A', 'B', 'C', 'D'));
  EXPECT_EQ(config_get_id(nullptr, "mixed", 0), CORVANE_ID('1', '2', 'A', 'B'));
  EXPECT_EQ(config_get_id(nullptr, "none", 0), SYSTEM_NONE);
  EXPECT_EQ(config_get_id(nullptr, "absent", 9), 9);
}

TEST_F(ConfigGet, IdOfNonAsciiCharactersKeepsTheirLowByte) {
  use_data("k = \xC3\xA9t\n");  // e acute, upper-cased to U+00C9
  EXPECT_EQ(config_get_id(nullptr, "k", 0), CORVANE_ID('\xC9', 'T', ' ', ' '));
}

TEST_F(ConfigGet, OverrideTakesPrecedenceAndReceivesTheSetters) {
  use_data("[sound]\ndigi_card = DCA\nmidi_card = MIDI\n");
  // The override file does not exist, so it starts empty.
  use_override_config_file("/nonexistent-dir/override.cfg");
  EXPECT_STREQ(config_get_string("sound", "digi_card", "dflt"), "DCA");
  config_set_string("sound", "midi_card", "OVER");
  EXPECT_STREQ(config_get_string("sound", "midi_card", "dflt"), "OVER");
  EXPECT_EQ(corvane::cfg::config_store.main_config->dirty, 0);
  config_set_string("sound", "midi_card", nullptr);
  EXPECT_STREQ(config_get_string("sound", "midi_card", "dflt"), "MIDI");
  corvane::cfg::config_store.override_config->dirty = 0;  // its file cannot be written

  use_override_config_file(nullptr);
  EXPECT_EQ(corvane::cfg::config_store.override_config, nullptr);
  config_set_string("sound", "midi_card", "MAIN");
  EXPECT_STREQ(config_get_string("sound", "midi_card", "dflt"), "MAIN");
}

TEST_F(ConfigGet, OverrideWithEmptyValueInTheSectionHidesMain) {
  use_data("[sound]\ndigi_card = DCA\n");
  use_override_config_file("/nonexistent-dir/override.cfg");
  corvane::cfg::config *over = corvane::cfg::config_store.override_config;
  ASSERT_NE(over, nullptr);
  auto *head = corvane::cfg::create_entry(corvane::cfg::duplicate_text("[sound]"),
                                          corvane::cfg::duplicate_text(""));
  head->next = corvane::cfg::create_entry(corvane::cfg::duplicate_text("digi_card"),
                                          corvane::cfg::duplicate_text(""));
  over->head = head;
  EXPECT_STREQ(config_get_string("sound", "digi_card", "dflt"), "dflt");
  EXPECT_EQ(config_get_int("sound", "digi_card", 8), 8);
}

TEST_F(ConfigGet, TransientKeysAndSectionsStayOutOfTheMainConfiguration) {
  use_data("[game]\nlevel = 1\n");
  config_set_string("game", "#seen", "yes");
  config_set_string("#session", "player", "ann");
  EXPECT_STREQ(config_get_string("game", "#seen", nullptr), "yes");
  EXPECT_STREQ(config_get_string("[#session]", "player", nullptr), "ann");
  EXPECT_EQ(corvane::cfg::config_store.main_config->dirty, 0);
  EXPECT_EQ(config_test::main_lines(),
            (std::vector<config_test::line>{config_test::header("[game]"),
                                            config_test::key("level", "1")}));
  config_set_string("#session", "player", "");
  EXPECT_EQ(config_get_string("#session", "player", nullptr), nullptr);
}

TEST_F(ConfigGet, BracketedKeyFindsAHeaderAnywhere) {
  use_data("[a]\nx = 1\n[b]\ny = 2\n");
  // A header read from a file has empty data: found, but empty.
  EXPECT_STREQ(config_get_string("a", "[b]", "dflt"), "dflt");
  const corvane::cfg::config_entry *entry = corvane::cfg::find_config_entry(
      corvane::cfg::config_store.main_config, "[a]", "[b]", nullptr);
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->name, "[b]");
}

TEST_F(ConfigGet, LongSectionNamesAreCutToTheBuffer) {
  const std::string section(300, 's');
  char bracketed[corvane::cfg::section_name_size];
  corvane::cfg::bracket_section_name(section.c_str(), bracketed);
  EXPECT_EQ(std::string(bracketed), "[" + std::string(253, 's') + "]");

  // A multi-byte character that would not fit whole is left out.
  const std::string wide = std::string(253, 's') + "\xC3\xA9" + "t";
  corvane::cfg::bracket_section_name(wide.c_str(), bracketed);
  EXPECT_EQ(std::string(bracketed), "[" + std::string(253, 's') + "]");

  corvane::cfg::bracket_section_name("[", bracketed);
  EXPECT_STREQ(bracketed, "[]");
  corvane::cfg::bracket_section_name("", bracketed);
  EXPECT_STREQ(bracketed, "");
}

TEST_F(ConfigGet, OddHeadersDoNotOpenSections) {
  // "[" alone, and a bracket that is never closed, are keys of the section they stand in.
  use_data("[\nk = v\n[open\nm = n\n[a]\nx = 1\n[broken\ny = 2\n");
  EXPECT_STREQ(config_get_string(nullptr, "k", nullptr), "v");
  EXPECT_STREQ(config_get_string(nullptr, "m", nullptr), "n");
  EXPECT_STREQ(config_get_string("a", "y", nullptr), "2");
  EXPECT_EQ(config_get_string("[", "k", nullptr), nullptr);
  config_set_string("[", "k", "w");
  EXPECT_STREQ(config_get_string("[]", "k", nullptr), "w");
}

TEST_F(ConfigGet, OverlongSectionNamesAreCutTheSameWayEveryTime) {
  const std::string section(300, 'q');
  use_data("[" + section + "]\nk = file\n");
  // The header read from the file is longer than any name a caller can look up.
  EXPECT_EQ(config_get_string(section.c_str(), "k", nullptr), nullptr);
  config_set_string(section.c_str(), "k", "set");
  EXPECT_STREQ(config_get_string(section.c_str(), "k", nullptr), "set");
  EXPECT_STREQ(config_get_string((section + "more").c_str(), "k", nullptr), "set");
}

TEST_F(ConfigGet, SixteenBitKeysAndValues) {
  set_text_encoding(ENCODING_UNICODE16);
  const std::u16string text = u"[video]\nmode = 0x20\nname = caf\u00E9\n";
  use_config_data(reinterpret_cast<const char *>(text.data()), static_cast<int>(text.size() * 2));
  const std::u16string section = u"Video";
  const std::u16string mode = u"MODE";
  const std::u16string name = u"name";
  auto as_text = [](const std::u16string &s) { return reinterpret_cast<const char *>(s.c_str()); };
  EXPECT_EQ(config_get_int(as_text(section), as_text(mode), 0), 32);
  const char *value = config_get_string(as_text(section), as_text(name), nullptr);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(value)), u"caf\u00E9");
  EXPECT_EQ(config_get_id(as_text(section), as_text(name), 0), CORVANE_ID('C', 'A', 'F', '\xC9'));
}

}  // namespace
