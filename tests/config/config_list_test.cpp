// Listing the keys of a section and the sections of the override and main configurations.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
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
  EXPECT_LE(corvane::cfg::config_list_steps, uint64_t{12} * n);
  EXPECT_EQ(config_list_sections(&list), n);
  EXPECT_GE(corvane::cfg::config_list_steps, uint64_t{3} * n);
  EXPECT_LE(corvane::cfg::config_list_steps, uint64_t{12} * n);
  config_free_list(&list);
}

// The count is kept by the set itself, not by the listing's loop: a key repeated n times is
// visited, hashed and compared with its stored twin each time, so the work counted is at least
// three steps per repetition.
TEST_F(ConfigList, WorkCountedIncludesTheSetsHashingAndComparing) {
  constexpr int n = 1000;
  std::string text = "[s]\n";
  for (int i = 0; i < n; ++i) text += "same = 1\n";
  use_data(text);
  const char **list = nullptr;
  ASSERT_EQ(config_list_entries("s", &list), 1);
  EXPECT_GE(corvane::cfg::config_list_steps, uint64_t{3} * (n - 1));
  EXPECT_LE(corvane::cfg::config_list_steps, uint64_t{8} * n);
  config_free_list(&list);
}

#if defined(__GLIBCXX__)
// Names of 16 bytes that all get one value from the standard library's fixed-seed string hash
// (libstdc++'s 64-bit Murmur variant): the first 8 bytes are chosen freely, and the second 8 are
// solved for, since each step of that hash can be undone. Only names of printable characters
// that end no key are kept.
std::vector<std::string> names_colliding_under_the_standard_hash(int count) {
  constexpr uint64_t mul = (uint64_t{0xc6a4a793} << 32) + 0x5bd1e995;
  uint64_t inverse = mul;  // Newton's iteration for the inverse modulo 2^64
  for (int i = 0; i < 5; ++i) inverse *= 2 - mul * inverse;
  const auto shift_mix = [](uint64_t v) { return v ^ (v >> 47); };
  const auto word_of = [](const char *p) {
    uint64_t w = 0;
    std::memcpy(&w, p, 8);
    return w;
  };
  const uint64_t start = uint64_t{0xc70f6907} ^ (16 * mul);
  const uint64_t target = 0x0123456789abcdefULL;  // the state after both words, before finishing
  std::vector<std::string> out;
  for (uint64_t n = 0; static_cast<int>(out.size()) < count; ++n) {
    std::string first = "k";
    for (uint64_t v = n, i = 0; i < 7; ++i, v /= 64) first += static_cast<char>('0' + v % 64);
    const uint64_t h1 = (start ^ (shift_mix(word_of(first.data()) * mul) * mul)) * mul;
    const uint64_t mixed = (target * inverse) ^ h1;
    const uint64_t second = shift_mix(mixed * inverse) * inverse;
    std::string name = first + std::string(reinterpret_cast<const char *>(&second), 8);
    bool usable = true;
    for (const char c : name) usable = usable && c > ' ' && c < 0x7F && c != '=' && c != '#';
    if (usable) out.push_back(name);
  }
  return out;
}

// A section of names that all fall into one bucket of a set hashed with a fixed seed: compared
// with each other, listing them would take n * n / 2 steps. The set's own hash and comparison
// calls are counted, so the bound holds only when the names really spread.
TEST_F(ConfigList, NamesBuiltToCollideStillListInLinearWork) {
  constexpr int n = 2000;
  const std::vector<std::string> keys = names_colliding_under_the_standard_hash(n);
  const size_t hash = std::hash<std::string_view>{}(keys[0]);
  for (const std::string &k : keys) ASSERT_EQ(std::hash<std::string_view>{}(k), hash) << k;
  std::string text = "[s]\n";
  for (const std::string &k : keys) text += k + " = 1\n";
  use_data(text);
  const char **list = nullptr;
  const int count = config_list_entries("s", &list);
  EXPECT_EQ(as_names(list, count), keys);
  EXPECT_LE(corvane::cfg::config_list_steps, uint64_t{12} * n);
  config_free_list(&list);
}
#endif

}  // namespace
