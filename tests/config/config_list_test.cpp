// Listing the keys of a section and the sections of the override and main configurations.
#include <gtest/gtest.h>

#include <cstdint>
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

// Many sections with a key each, then the first section again with every key: each listing
// visits each entry once, compares each name with about one other and copies the list as it
// doubles, so its work stays a few steps per entry. Comparing each name with all those before it
// would take n * n / 2.
TEST_F(ConfigList, WorkGrowsWithTheEntries) {
  constexpr int n = 20000;
  std::string text;
  for (int i = 0; i < n; ++i) {
    text += "[s" + std::to_string(i) + "]\nk" + std::to_string(i) + "=1\n";
  }
  text += "[s0]\n";
  for (int i = 1; i < n; ++i) text += "k" + std::to_string(i) + "=2\n";
  use_data(text);
  const char **list = nullptr;
  EXPECT_EQ(config_list_entries("s0", &list), n);
  EXPECT_GE(corvane::cfg::config_list_steps, uint64_t{3} * n);
  EXPECT_LE(corvane::cfg::config_list_steps, uint64_t{8} * n);
  EXPECT_EQ(config_list_sections(&list), n);
  EXPECT_GE(corvane::cfg::config_list_steps, uint64_t{3} * n);
  EXPECT_LE(corvane::cfg::config_list_steps, uint64_t{8} * n);
  config_free_list(&list);
}

}  // namespace
