// Listing the keys of a section and the sections of the override and main configurations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/config/config_test_support.h"

namespace {

using config_test::ConfigTest;
using config_test::use_data;
using names = std::vector<std::string>;

names as_names(const char **list, int count) {
  names out;
  for (int i = 0; i < count; ++i) out.emplace_back(list[i]);
  return out;
}

class ConfigList : public ConfigTest {};

TEST_F(ConfigList, KeysOfASectionEachOnce) {
  use_data("top = 1\n[a]\nx = 1\n# comment\ny = 2\n[b]\nz = 3\n[a]\nx = again\nw = 4\n");
  const char **list = nullptr;
  int count = config_list_entries("a", &list);
  EXPECT_EQ(as_names(list, count), (names{"x", "y", "w"}));
  count = config_list_entries(nullptr, &list);  // reuses the earlier list
  EXPECT_EQ(as_names(list, count), (names{"top"}));
  config_free_list(&list);
  EXPECT_EQ(list, nullptr);
}

TEST_F(ConfigList, OverrideKeysComeFirst) {
  use_data("[a]\nx = 1\ny = 2\n");
  use_override_config_file("/nonexistent-dir/over.cfg");
  config_set_string("a", "o", "1");
  config_set_string("a", "y", "3");
  corvane::cfg::config_store.override_config->dirty = 0;
  const char **list = nullptr;
  const int count = config_list_entries("[a]", &list);
  EXPECT_EQ(as_names(list, count), (names{"o", "y", "x"}));
  config_free_list(&list);
}

TEST_F(ConfigList, SectionsEachOnce) {
  use_data("[a]\n[B]\n[a]\n[not a header\n[c]\n");
  const char **list = nullptr;
  const int count = config_list_sections(&list);
  EXPECT_EQ(as_names(list, count), (names{"[a]", "[B]", "[c]"}));
  config_free_list(&list);
}

TEST_F(ConfigList, NothingFoundGivesNullAndZero) {
  use_data("[a]\n");
  const char **list = nullptr;
  EXPECT_EQ(config_list_entries("a", &list), 0);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(config_list_entries("missing", &list), 0);
  EXPECT_EQ(config_list_entries("a", nullptr), 0);
  config_free_list(nullptr);
  config_free_list(&list);
}

TEST_F(ConfigList, ListingDoesNotLoadTheMainFile) {
  const char **list = nullptr;
  EXPECT_EQ(config_list_sections(&list), 0);
  EXPECT_EQ(corvane::cfg::config_store.main_config, nullptr);
}

}  // namespace
