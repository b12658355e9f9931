// Hostile configuration text written back: lines whose key begins with "[" but that are not
// plain section headers ("[=$", "[my section]", "[x]=y") must be written so that they read back as
// the same lines, and must not turn into headers that move the keys below them into another
// section.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "support/test_system.h"
#include "tests/config/config_test_support.h"

namespace {

using config_test::ConfigTest;
using config_test::header;
using config_test::key;
using config_test::line;
using corvane::testing::read_file;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

std::string hostile(const char *name) {
  return read_file(std::string(CORVANE_TEST_DATA_DIR) + "/hostile/" + name);
}

class HostileConfigTest : public ConfigTest {
 protected:
  void SetUp() override {
    // Files are read only once a system driver is running.
    ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
    corvane::cfg::config_store.main_config->dirty = 0;
  }
  scoped_work_dir dir_;
};

TEST_F(HostileConfigTest, BracketedKeysWithValuesReadBackTheSame) {
  const std::string text = hostile("config_bracket_key.cfg");
  const std::vector<line> read = config_test::parse_lines(text);
  ASSERT_EQ(read, (std::vector<line>{key("[", "$"), key("[my", "section]"), key("key", "value"),
                                     key("[x]", "y")}));

  const std::string path = dir_.file("game.cfg");
  write_file(path, text);
  use_config_file(path.c_str());
  config_set_string("", "added", "1");  // makes the configuration dirty
  config_cleanup();
  const std::string written = read_file(path);
  EXPECT_EQ(written, "added = 1\n[ $\n[my section]\nkey = value\n[x] y\n");
  std::vector<line> expected = read;
  expected.insert(expected.begin(), key("added", "1"));
  EXPECT_EQ(config_test::parse_lines(written), expected);
}

TEST_F(HostileConfigTest, KeysBelowASplitHeaderStayWhereTheyWere) {
  // "[my section]" is no header (it holds a space), so "key" lives in the section before it.
  const std::string path = dir_.file("game.cfg");
  write_file(path, hostile("config_bracket_key.cfg"));
  use_config_file(path.c_str());
  EXPECT_STREQ(config_get_string(nullptr, "key", "none"), "value");
  config_set_string(nullptr, "key", "changed");
  config_cleanup();
  use_config_file(path.c_str());
  EXPECT_STREQ(config_get_string(nullptr, "key", "none"), "changed");
  EXPECT_STREQ(config_get_string("mysection", "key", "none"), "none");
  EXPECT_STREQ(config_get_string("x", "y", "none"), "none");
}

// A value holding a line break and "[section]" would become new sections and keys on the next
// read: keys, values and section names are kept up to their first CR or LF, and EINVAL says so.
TEST_F(HostileConfigTest, LineBreaksCannotAddLinesToTheFile) {
  const std::string path = dir_.file("game.cfg");
  write_file(path, "[player]\nname = old\n[system]\nlanguage = en\n");
  use_config_file(path.c_str());
  set_error_number(0);
  config_set_string("player", "name", "Eve\n[system]\nlanguage = xx");
  EXPECT_EQ(get_error_number(), EINVAL);
  config_set_string("player", "score\rlanguage", "10");
  config_set_string("new\n[system]", "k", "v");
  set_error_number(0);
  config_set_string("player", "plain", "value");
  EXPECT_EQ(get_error_number(), 0);
  config_cleanup();
  use_config_file(path.c_str());
  EXPECT_STREQ(config_get_string("player", "name", nullptr), "Eve");
  EXPECT_STREQ(config_get_string("player", "score", nullptr), "10");
  EXPECT_STREQ(config_get_string("new", "k", nullptr), "v");
  EXPECT_STREQ(config_get_string("system", "language", nullptr), "en");
  const char **names = nullptr;
  EXPECT_EQ(config_list_sections(&names), 3);
  config_free_list(&names);
}

}  // namespace
