// Start-up reads "corvane.cfg": the system driver, the screensaver setting and the language come
// from it, and the library's messages are translated.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/env_guard.h"
#include "support/test_system.h"
#include "tests/config/config_test_support.h"

namespace {

using config_test::ConfigTest;
using corvane::testing::env_guard;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

class ConfigStartup : public ConfigTest {
 protected:
  scoped_work_dir dir_;
  const env_guard corvane_env{"CORVANE", dir_.path()};
};

TEST_F(ConfigStartup, ConfiguredSystemDriverIsChosen) {
  write_file(dir_.file("corvane.cfg"), "[system]\nsystem = NONE\n");
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  EXPECT_EQ(current_system_driver, &system_none);
}

TEST_F(ConfigStartup, UnknownConfiguredSystemFailsStartUp) {
  write_file(dir_.file("corvane.cfg"), "[system]\nsystem = XYZW\n");
  EXPECT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), -1);
  EXPECT_EQ(current_system_driver, nullptr);
}

TEST_F(ConfigStartup, ScreensaverSettingComesFromTheConfiguration) {
  write_file(dir_.file("corvane.cfg"), "[system]\ndisable_screensaver = 0\n");
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  EXPECT_EQ(screensaver_setting, 0);
  shutdown_corvane();

  write_file(dir_.file("corvane.cfg"), "[system]\ndisable_screensaver = 2\n");
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  EXPECT_EQ(screensaver_setting, 2);
  shutdown_corvane();

  write_file(dir_.file("corvane.cfg"), "[system]\n");
  ASSERT_EQ(startup_corvane(SYSTEM_NONE, nullptr, nullptr), 0);
  EXPECT_EQ(screensaver_setting, 1);
}

TEST_F(ConfigStartup, DriverNamesAndMessagesAreTranslated) {
  write_file(dir_.file("corvane.cfg"), "[system]\nsystem = NONE\nlanguage = de\n");
  write_file(dir_.file("detext.cfg"),
             "[language]\n"
             "Agnostic = Agnostisch\n"
             "The_detected_dynamic_Corvane_library_(%d.%d.%d)_is_not_compatible_with_this_"
             "program_(%d.%d.%d). = Bibliothek %d.%d.%d passt nicht zu %d.%d.%d\n");
  EXPECT_EQ(
      startup_corvane_versioned(SYSTEM_AUTODETECT, nullptr, nullptr, CORVANE_MAKE_VERSION(3, 9, 0)),
      -1);
  ASSERT_EQ(current_system_driver, &system_none);
  EXPECT_STREQ(system_none.name, "Agnostisch");
  EXPECT_STREQ(system_none.description, "Agnostisch");
  EXPECT_STREQ(error_text, "Bibliothek 4.2.1 passt nicht zu 3.9.0");
}

TEST_F(ConfigStartup, SixteenBitStartUpReadsTheConfiguration) {
  write_file(dir_.file("corvane.cfg"), "[system]\nsystem = NONE\ndisable_screensaver = 0\n");
  set_text_encoding(ENCODING_UNICODE16);
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  EXPECT_EQ(current_system_driver, &system_none);
  EXPECT_EQ(screensaver_setting, 0);
}

TEST_F(ConfigStartup, HiddenFileInTheHomeDirectoryIsFound) {
  if (system_driver_list[0].id != CORVANE_ID('U', 'N', 'I', 'X')) {
    GTEST_SKIP() << "needs the host system driver, which looks in the home directory";
  }
  corvane_env.set(nullptr);
  const env_guard home("HOME", dir_.path());
  write_file(dir_.file(".corvanerc"), "[system]\nsystem = NONE\n");
  ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  EXPECT_EQ(current_system_driver, &system_none);
}

}  // namespace
