// The line grammar: line ends, blank and comment lines, keys and values, section headers, and
// input that is not a configuration at all.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/config/config_test_support.h"

namespace {

using config_test::header;
using config_test::key;
using config_test::line;
using config_test::parse;
using config_test::parse_lines;
using config_test::text_line;
using lines = std::vector<line>;
using namespace std::string_literals;

TEST(ConfigParse, SectionKeyAndCommentGiveThreeEntries) {
  EXPECT_EQ(parse_lines("[sound]\n  digi_card = DCA  \n# note\n"),
            (lines{header("[sound]"), key("digi_card", "DCA"), text_line("# note")}));
}

TEST(ConfigParse, KeysEndAtWhiteSpaceEqualsOrHash) {
  EXPECT_EQ(parse_lines("key==value"), (lines{key("key", "value")}));
  EXPECT_EQ(parse_lines("key = = value"), (lines{key("key", "value")}));
  EXPECT_EQ(parse_lines("key value"), (lines{key("key", "value")}));
  EXPECT_EQ(parse_lines("key#x = 1"), (lines{key("key", "#x = 1")}));
  EXPECT_EQ(parse_lines("\tkey\t=\tvalue\t"), (lines{key("key", "value")}));
  EXPECT_EQ(parse_lines("key"), (lines{key("key", "")}));
  EXPECT_EQ(parse_lines("key =   "), (lines{key("key", "")}));
}

TEST(ConfigParse, NoTrailingCommentsQuotingOrEscapes) {
  EXPECT_EQ(parse_lines("path = a # b"), (lines{key("path", "a # b")}));
  EXPECT_EQ(parse_lines("name = \"two words\""), (lines{key("name", "\"two words\"")}));
  EXPECT_EQ(parse_lines("a = one \\\nb = two"), (lines{key("a", "one \\"), key("b", "two")}));
}

TEST(ConfigParse, CommentsAndBlankLinesAreKeptAsRead) {
  EXPECT_EQ(parse_lines("   # indented\n=orphan\n\n \t \n#"),
            (lines{text_line("   # indented"), text_line("=orphan"), text_line(""),
                   text_line(" \t "), text_line("#")}));
}

TEST(ConfigParse, HeaderWithSpaceIsSplitLikeAnyLine) {
  EXPECT_EQ(parse_lines("[my section]"), (lines{key("[my", "section]")}));
  EXPECT_EQ(parse_lines("[only"), (lines{key("[only", "")}));
  EXPECT_EQ(parse_lines("["), (lines{key("[", "")}));
}

TEST(ConfigParse, EveryLineEndReadsTheSame) {
  const lines expected{key("a", "1"), key("b", "2"), text_line(""), key("c", "3")};
  EXPECT_EQ(parse_lines("a=1\nb=2\n\nc=3\n"), expected);
  EXPECT_EQ(parse_lines("a=1\r\nb=2\r\n\r\nc=3\r\n"), expected);
  EXPECT_EQ(parse_lines("a=1\n\rb=2\n\r\n\rc=3\n\r"), expected);
  EXPECT_EQ(parse_lines("a=1\rb=2\r\rc=3"), expected);
}

TEST(ConfigParse, TwoCarriageReturnsGiveOneBlankLine) {
  EXPECT_EQ(parse_lines("a=1\r\rb=2"), (lines{key("a", "1"), text_line(""), key("b", "2")}));
  // CR LF CR LF is two line ends, not one LF CR pair in the middle.
  EXPECT_EQ(parse_lines("a=1\r\n\r\nb=2"), (lines{key("a", "1"), text_line(""), key("b", "2")}));
}

TEST(ConfigParse, LastLineNeedsNoLineEnd) {
  EXPECT_EQ(parse_lines("a=1\nb=2"), (lines{key("a", "1"), key("b", "2")}));
  EXPECT_EQ(parse_lines("a=1\n"), (lines{key("a", "1")}));
  EXPECT_EQ(parse_lines(""), lines{});
  EXPECT_EQ(parse_lines("\n"), (lines{text_line("")}));
}

TEST(ConfigParse, StartsClean) {
  const auto cfg = parse("a=1\n");
  ASSERT_NE(cfg, nullptr);
  EXPECT_EQ(cfg->dirty, 0);
  EXPECT_EQ(cfg->filename, nullptr);
}

TEST(ConfigParse, NulCharactersAreDroppedAndTheLineKept) {
  EXPECT_EQ(parse_lines("key = va\0lue\nx\0 = 1"s), (lines{key("key", "value"), key("x", "1")}));
  EXPECT_EQ(parse_lines("\0\0\0"s), (lines{text_line("")}));
}

TEST(ConfigParse, LineOfOneMegabyteIsReadWhole) {
  const std::string value(1 << 20, 'v');
  const auto result = parse_lines("big = " + value + "\nnext = 1\n");
  ASSERT_EQ(result.size(), 2u);
  EXPECT_EQ(result[0], key("big", value));
  EXPECT_EQ(result[1], key("next", "1"));

  const std::string comment = "#" + std::string((1 << 20) + 7, 'c');
  EXPECT_EQ(parse_lines(comment), (lines{text_line(comment)}));
}

TEST(ConfigParse, LongSectionHeaderIsKeptWhole) {
  const std::string name = "[" + std::string(300, 's') + "]";
  EXPECT_EQ(parse_lines(name + "\nk = v\n"), (lines{header(name), key("k", "v")}));
}

TEST(ConfigParse, BinaryDataParsesWithinItsLength) {
  // Every byte value, in an order that puts broken UTF-8 sequences at the very end.
  std::string data;
  for (int i = 0; i < 4096; ++i) data += static_cast<char>((i * 37 + 11) & 0xFF);
  data += "\xF0\x9F";  // a sequence cut short by the end of the data
  // The data is given without a terminator behind it: the parser may read only its length.
  std::vector<char> exact(data.begin(), data.end());
  const config_test::config_ptr cfg(
      corvane::cfg::parse_config_data(exact.data(), exact.size(), nullptr));
  ASSERT_NE(cfg, nullptr);
  size_t bytes = 0;
  for (const auto &l : config_test::lines_of(cfg.get())) {
    if (l.name) bytes += l.name->size();
    if (l.data) bytes += l.data->size();
  }
  EXPECT_GT(bytes, 0u);
  EXPECT_LE(bytes, data.size());
}

TEST(ConfigParse, LengthLimitsTheText) {
  const std::string text = "a = 1\nb = 2\n";
  const config_test::config_ptr cfg(corvane::cfg::parse_config_data(text.data(), 4, nullptr));
  EXPECT_EQ(config_test::lines_of(cfg.get()), (lines{key("a", "")}));
}

TEST(ConfigParse, SixteenBitText) {
  set_text_encoding(ENCODING_UNICODE16);
  const std::u16string text = u"[s]\r\n key = v\u00E9 \r\n# c\r\n";
  const config_test::config_ptr cfg(corvane::cfg::parse_config_data(
      reinterpret_cast<const char *>(text.data()), text.size() * 2, nullptr));
  set_text_encoding(ENCODING_UTF8);
  ASSERT_NE(cfg, nullptr);
  std::vector<std::u16string> names;
  std::vector<std::u16string> data;
  for (auto *e = cfg->head; e != nullptr; e = e->next) {
    names.emplace_back(e->name ? reinterpret_cast<const char16_t *>(e->name) : u"(null)");
    data.emplace_back(e->data ? reinterpret_cast<const char16_t *>(e->data) : u"(null)");
  }
  EXPECT_EQ(names, (std::vector<std::u16string>{u"[s]", u"key", u"(null)"}));
  EXPECT_EQ(data, (std::vector<std::u16string>{u"", u"v\u00E9", u"# c"}));

  // An odd byte count leaves half a character, which is read from padding, never beyond.
  set_text_encoding(ENCODING_UNICODE16);
  const config_test::config_ptr odd(
      corvane::cfg::parse_config_data(reinterpret_cast<const char *>(text.data()), 7, nullptr));
  set_text_encoding(ENCODING_UTF8);
  EXPECT_NE(odd, nullptr);
}

TEST(ConfigParse, RandomBytesUnderEveryEncoding) {
  // Short random texts rich in the characters the grammar cares about, cut at every length.
  const char alphabet[] = "ab=#[] \t\r\n\0\xC3\xA9\xE2\x80\xFF";
  uint32_t seed = 12345;
  for (const int encoding : {ENCODING_UTF8, ENCODING_ASCII8, ENCODING_UNICODE16}) {
    set_text_encoding(encoding);
    for (int round = 0; round < 300; ++round) {
      std::vector<char> text(static_cast<size_t>(round % 61));
      for (char &c : text) {
        seed = seed * 1103515245u + 12345u;
        c = alphabet[(seed >> 16) % (sizeof alphabet - 1)];
      }
      const config_test::config_ptr cfg(
          corvane::cfg::parse_config_data(text.data(), text.size(), nullptr));
      ASSERT_NE(cfg, nullptr);
      for (auto *e = cfg->head; e != nullptr; e = e->next) {
        EXPECT_TRUE(e->name != nullptr || e->data != nullptr);
        if (e->name != nullptr) {
          EXPECT_NE(text_size(e->name), 0);
        }
      }
    }
  }
  set_text_encoding(ENCODING_UTF8);
}

TEST(ConfigParse, InvalidUtf8IsKeptByteForByte) {
  const std::string value = "a\xFF\xC3(b\xE2\x82";
  EXPECT_EQ(parse_lines("k = " + value + "\n"), (lines{key("k", value)}));
}

}  // namespace
