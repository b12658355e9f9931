// The lifecycle of the configurations: first use, data handed in by the program, the three saved
// slots, and cleanup.
#include <gtest/gtest.h>

#include <string>

#include "core/exit_functions.h"
#include "tests/config/config_test_support.h"

namespace {

using config_test::ConfigTest;
using config_test::use_data;
using corvane::cfg::config_store;

class ConfigState : public ConfigTest {};

bool cleanup_registered() {
  for (auto *node = corvane::exit_func_head(); node != nullptr; node = node->next) {
    if (node->function == config_cleanup) return true;
  }
  return false;
}

TEST_F(ConfigState, FirstUseRegistersCleanupAndMakesTheTransientConfiguration) {
  EXPECT_FALSE(cleanup_registered());
  prepare_config(0);
  EXPECT_TRUE(cleanup_registered());
  EXPECT_NE(config_store.transient_config, nullptr);
  EXPECT_EQ(config_store.main_config, nullptr);

  config_cleanup();
  EXPECT_FALSE(cleanup_registered());
  EXPECT_EQ(config_store.transient_config, nullptr);
  // The next call starts afresh.
  prepare_config(0);
  EXPECT_TRUE(cleanup_registered());
}

TEST_F(ConfigState, DataReplacesTheMainConfiguration) {
  use_data("a = 1\n");
  use_data("b = 2\n");
  EXPECT_EQ(config_get_string(nullptr, "a", nullptr), nullptr);
  EXPECT_STREQ(config_get_string(nullptr, "b", nullptr), "2");
  EXPECT_EQ(config_store.main_config->filename, nullptr);

  use_config_data("c = 3\nd = 4\n", 5);  // only the first five bytes
  EXPECT_STREQ(config_get_string(nullptr, "c", nullptr), "3");
  EXPECT_EQ(config_get_string(nullptr, "d", nullptr), nullptr);

  use_config_data("e = 5", -1);
  ASSERT_NE(config_store.main_config, nullptr);
  EXPECT_EQ(config_store.main_config->head, nullptr);
}

TEST_F(ConfigState, ReloadKeepsDataThatHasNoFile) {
  use_data("a = 1\n");
  reload_main_config();
  EXPECT_STREQ(config_get_string(nullptr, "a", nullptr), "1");
}

TEST_F(ConfigState, SavedSlotsAreAStackOfThree) {
  use_data("v = 1\n");
  save_config_state();
  EXPECT_EQ(config_store.main_config, nullptr);
  use_data("v = 2\n");
  save_config_state();
  use_data("v = 3\n");
  save_config_state();
  use_data("v = 4\n");
  save_config_state();  // the oldest, v = 1, is dropped
  use_data("v = 5\n");

  const char *expected[] = {"4", "3", "2", nullptr};
  for (const char *value : expected) {
    restore_config_state();
    if (value == nullptr) {
      EXPECT_EQ(config_store.main_config, nullptr);
    } else {
      EXPECT_STREQ(config_get_string(nullptr, "v", nullptr), value);
    }
  }
  EXPECT_EQ(config_store.saved_configs[0], nullptr);
}

TEST_F(ConfigState, CleanupDropsEverything) {
  use_data("a = 1\n");
  save_config_state();
  use_data("b = 2\n");
  config_set_string("x", "#t", "1");
  config_cleanup();
  EXPECT_EQ(config_store.main_config, nullptr);
  EXPECT_EQ(config_store.saved_configs[0], nullptr);
  EXPECT_EQ(config_store.transient_config, nullptr);
  EXPECT_EQ(config_store.language_config, nullptr);
  EXPECT_EQ(config_store.argv_buffer, nullptr);
}

TEST_F(ConfigState, ShutdownRunsCleanup) {
  use_data("a = 1\n");
  shutdown_corvane();
  EXPECT_EQ(config_store.main_config, nullptr);
  EXPECT_FALSE(cleanup_registered());
}

}  // namespace
