// Writing the configuration before shutdown: what is written, what is left alone, and a write
// that fails.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "support/test_system.h"
#include "tests/config/config_test_support.h"

namespace {

using config_test::ConfigTest;
using corvane::cfg::config_store;
using corvane::testing::file_exists_on_disk;
using corvane::testing::read_file;
using corvane::testing::scoped_work_dir;

class ConfigFlush : public ConfigTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(corvane::testing::start_with_test_system(), 0);
    config_store.main_config->dirty = 0;  // start-up found no "corvane.cfg"
  }
  scoped_work_dir dir_;
};

TEST_F(ConfigFlush, ChangesReachTheFileAndAnUnchangedOneIsNotWrittenAgain) {
  const std::string path = dir_.file("game.cfg");
  use_config_file(path.c_str());
  EXPECT_EQ(flush_config_file(), 0);
  EXPECT_FALSE(file_exists_on_disk(path)) << "nothing had changed";

  config_set_int("game", "level", 3);
  EXPECT_EQ(flush_config_file(), 0);
  EXPECT_EQ(read_file(path), "[game]\nlevel = 3\n");

  ASSERT_EQ(std::remove(path.c_str()), 0);
  EXPECT_EQ(flush_config_file(), 0);
  EXPECT_FALSE(file_exists_on_disk(path)) << "written although unchanged since the last flush";
}

TEST_F(ConfigFlush, TheOverrideConfigurationIsWrittenToo) {
  const std::string main_path = dir_.file("main.cfg");
  const std::string override_path = dir_.file("override.cfg");
  use_config_file(main_path.c_str());
  use_override_config_file(override_path.c_str());
  config_set_string("game", "name", "mine");  // setters change the override configuration
  EXPECT_EQ(flush_config_file(), 0);
  EXPECT_EQ(read_file(override_path), "[game]\nname = mine\n");
  EXPECT_FALSE(file_exists_on_disk(main_path));
}

TEST_F(ConfigFlush, AFailedWriteIsReportedAndTriedAgainAtShutdown) {
  const std::string path = dir_.file("later/game.cfg");
  use_config_file(path.c_str());
  config_set_int("game", "level", 4);
  set_error_number(0);
  EXPECT_EQ(flush_config_file(), -1);
  EXPECT_EQ(get_error_number(), ENOENT);

  ASSERT_EQ(mkdir(dir_.file("later").c_str(), 0755), 0);
  config_cleanup();
  EXPECT_EQ(read_file(path), "[game]\nlevel = 4\n");
}

TEST_F(ConfigFlush, AConfigurationInsideADataFileCannotBeWritten) {
  const std::string path = dir_.file("game.dat#config");
  use_config_file(path.c_str());
  config_set_int("game", "level", 5);
  EXPECT_EQ(flush_config_file(), -1);
  EXPECT_EQ(get_error_number(), EROFS);
  config_store.main_config->dirty = 0;
}

}  // namespace
