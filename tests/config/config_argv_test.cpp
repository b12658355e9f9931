// config_get_argv: splitting a value into arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/config/config_test_support.h"

namespace {

using config_test::ConfigTest;

class ConfigArgv : public ConfigTest {
 protected:
  // The arguments of a value, through a key of the test's own.
  std::vector<std::string> split(const std::string &value) {
    config_set_string("args", "line", value.c_str());
    int count = -1;
    char **argv = config_get_argv("args", "line", &count);
    std::vector<std::string> out;
    if (argv == nullptr) {
      EXPECT_EQ(count, 0);
      return out;
    }
    for (int i = 0; i < count; ++i) out.emplace_back(argv[i]);
    return out;
  }
  void SetUp() override { use_config_data(nullptr, 0); }
};

using args = std::vector<std::string>;

TEST_F(ConfigArgv, WhiteSpaceSeparatesArguments) {
  EXPECT_EQ(split("a b  c\td"), (args{"a", "b", "c", "d"}));
  EXPECT_EQ(split("  lead"), (args{"lead"}));
  EXPECT_EQ(split("one"), (args{"one"}));
}

TEST_F(ConfigArgv, QuotesHoldWhiteSpace) {
  EXPECT_EQ(split("a 'b c' d"), (args{"a", "b c", "d"}));
  EXPECT_EQ(split("\"x  y\" 'it''s'"), (args{"x  y", "it", "s"}));
  EXPECT_EQ(split("'say \"hi\"'"), (args{"say \"hi\""}));
  EXPECT_EQ(split("a '' b"), (args{"a", "", "b"}));
  // An unmatched quote runs to the end.
  EXPECT_EQ(split("a 'b c"), (args{"a", "b c"}));
  // A quote inside an argument is an ordinary character.
  EXPECT_EQ(split("it's fine"), (args{"it's", "fine"}));
}

TEST_F(ConfigArgv, HashWhereAnArgumentBeginsEndsTheList) {
  EXPECT_EQ(split("x # y"), (args{"x"}));
  EXPECT_EQ(split("x#y z"), (args{"x#y", "z"}));
  EXPECT_EQ(split("'#quoted' #rest"), (args{"#quoted"}));
  EXPECT_EQ(split("#all comment"), args{});
}

TEST_F(ConfigArgv, NothingToSplitGivesNull) {
  int count = -1;
  EXPECT_EQ(config_get_argv("args", "absent", &count), nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(config_get_argv("args", "absent", nullptr), nullptr);
}

TEST_F(ConfigArgv, ArgumentsOutliveTheValueUntilTheNextCall) {
  config_set_string("args", "line", "keep these words");
  int count = 0;
  char **argv = config_get_argv("args", "line", &count);
  ASSERT_EQ(count, 3);
  config_set_string("args", "line", "changed");
  EXPECT_STREQ(argv[2], "words");
  EXPECT_STREQ(config_get_string("args", "line", nullptr), "changed");
}

TEST_F(ConfigArgv, LongValuesGrowTheBuffer) {
  std::string value;
  args expected;
  for (int i = 0; i < 5000; ++i) {
    expected.push_back("arg" + std::to_string(i));
    value += expected.back() + " ";
  }
  EXPECT_EQ(split("short"), (args{"short"}));
  EXPECT_EQ(split(value), expected);
  EXPECT_EQ(split("again short"), (args{"again", "short"}));
}

TEST_F(ConfigArgv, SixteenBitArguments) {
  set_text_encoding(ENCODING_UNICODE16);
  use_config_data(nullptr, 0);
  const std::u16string section = u"s";
  const std::u16string name = u"k";
  const std::u16string value = u"\u00E9t\u00E9 'a b'\u3000z";
  auto as_text = [](const std::u16string &s) { return reinterpret_cast<const char *>(s.c_str()); };
  config_set_string(as_text(section), as_text(name), as_text(value));
  int count = 0;
  char **argv = config_get_argv(as_text(section), as_text(name), &count);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(argv[0])), u"\u00E9t\u00E9");
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(argv[1])), u"a b");
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(argv[2])), u"z");
}

TEST_F(ConfigArgv, WideWhiteSpaceInUtf8) {
  EXPECT_EQ(split("a\xE3\x80\x80"
                  "b"),
            (args{"a", "b"}));  // U+3000 between them
}

}  // namespace
