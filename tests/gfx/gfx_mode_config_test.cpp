// Drivers chosen by the configuration ("gfx_card" and "gfx_cardw" with their per-mode, per-depth
// and numbered keys in section "graphics") and the "disable_vsync" key.
#include <gtest/gtest.h>

#include <string>

#include "corvane/color.h"
#include "corvane/config.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "support/test_gfx_driver.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

class ConfiguredDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_system();
    reset_test_gfx_drivers();
    ASSERT_EQ(start_with_test_system(), 0);
    use_test_gfx_drivers({&fake(0), &fake(1), &fake(2), &fake(3)});
  }
  void TearDown() override { shutdown_corvane(); }

  static test_gfx_driver &fake(int i) { return test_gfx(i); }

  // Makes the text the configuration (section "graphics" is added in front).
  static void configure(const std::string &keys) {
    const std::string text = "[graphics]\n" + keys;
    use_config_data(text.data(), static_cast<int>(text.size()));
  }

  static int started() {
    for (int i = 0; i < TEST_GFX_DRIVER_COUNT; ++i)
      if (current_gfx_driver == &fake(i).driver) return i;
    return -1;
  }
};

TEST_F(ConfiguredDriverTest, TheConfiguredDriverIsStartedBeforeTheListOrder) {
  configure("gfx_card = TGF2\n");
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  EXPECT_EQ(started(), 2);
  EXPECT_EQ(fake(0).calls.init, 0);
}

TEST_F(ConfiguredDriverTest, AConfiguredDriverThatFailsIsNotReplaced) {
  configure("gfx_card = TGF2\n");
  fake(2).fail_init = true;
  EXPECT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), -1);
  EXPECT_EQ(fake(2).calls.init, 1);
  EXPECT_EQ(fake(0).calls.init, 0) << "autodetection is skipped";
  EXPECT_STREQ(error_text, "Unable to find a suitable graphics driver");
}

TEST_F(ConfiguredDriverTest, ModeAndDepthKeysComeFirst) {
  set_color_depth(16);
  configure(
      "gfx_card = TGF1\n"
      "gfx_card_16bpp = TGF2\n"
      "gfx_card_320x200x16 = TGF3\n");
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  EXPECT_EQ(started(), 3);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 640, 480, 0, 0), 0);
  EXPECT_EQ(started(), 2) << "no key for 640x480x16: the depth's key";
  set_color_depth(8);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 640, 480, 0, 0), 0);
  EXPECT_EQ(started(), 1) << "no key for the depth: the plain key";
}

TEST_F(ConfiguredDriverTest, EachFailureMovesOnToTheNextKey) {
  fake(3).fail_init = true;
  fake(2).fail_init = true;
  configure(
      "gfx_card_320x200x8 = TGF3\n"
      "gfx_card = TGF2\n"
      "gfx_card1 = TGF1\n");
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  EXPECT_EQ(started(), 1);
  EXPECT_EQ(fake(3).calls.init, 1);
  EXPECT_EQ(fake(2).calls.init, 1);
}

TEST_F(ConfiguredDriverTest, NumberedKeysMayStartAtTwoButEndAtTheFirstLaterGap) {
  configure("gfx_card2 = TGF3\n");
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  EXPECT_EQ(started(), 3);

  fake(3).fail_init = true;
  configure(
      "gfx_card2 = TGF3\n"
      "gfx_card4 = TGF2\n");
  EXPECT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), -1)
      << "gfx_card3 is missing, so gfx_card4 is never read, and the failure stops the search";
  EXPECT_EQ(fake(2).calls.init, 0);
}

TEST_F(ConfiguredDriverTest, TheLastNumberedKeyIsTwoHundredAndFiftyFour) {
  std::string keys;
  for (int n = 1; n <= 253; ++n) keys += "gfx_card" + std::to_string(n) + " = TGF3\n";
  keys += "gfx_card254 = TGF1\n";
  keys += "gfx_card255 = TGF2\n";
  fake(3).fail_init = true;
  fake(1).fail_init = true;
  configure(keys);
  EXPECT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), -1);
  EXPECT_EQ(fake(1).calls.init, 1);
  EXPECT_EQ(fake(2).calls.init, 0);
}

TEST_F(ConfiguredDriverTest, KeysNamingUnknownOrUnfittingDriversDoNotCount) {
  fake(2).driver.windowed = 1;
  configure(
      "gfx_card = NOPE\n"
      "gfx_card1 = TGF2\n");
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT_FULLSCREEN, 320, 200, 0, 0), 0);
  EXPECT_EQ(started(), 0) << "neither key named a usable driver: autodetection";
  EXPECT_EQ(fake(2).calls.init, 0);
}

TEST_F(ConfiguredDriverTest, WindowedKeysServeAnyAndWindowedRequests) {
  fake(1).driver.windowed = 1;
  fake(3).driver.windowed = 1;
  configure("gfx_cardw = TGF3\n");
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  EXPECT_EQ(started(), 3) << "gfx_card found nothing, so gfx_cardw is read";
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT_WINDOWED, 320, 200, 0, 0), 0);
  EXPECT_EQ(started(), 3);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT_FULLSCREEN, 320, 200, 0, 0), 0);
  EXPECT_EQ(started(), 0) << "full-screen requests never read gfx_cardw";
}

TEST_F(ConfiguredDriverTest, AWindowedRequestIgnoresTheFullScreenKey) {
  fake(1).driver.windowed = 1;
  fake(2).driver.windowed = 1;
  configure("gfx_card = TGF2\n");
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT_WINDOWED, 320, 200, 0, 0), 0);
  EXPECT_EQ(started(), 1);
}

TEST_F(ConfiguredDriverTest, AFailedFullScreenKeyKeepsAnyRequestFromTheWindowedKey) {
  fake(2).fail_init = true;
  configure(
      "gfx_card = TGF2\n"
      "gfx_cardw = TGF3\n");
  EXPECT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), -1);
  EXPECT_EQ(fake(3).calls.init, 0);
}

TEST_F(ConfiguredDriverTest, ConfigurationCanBeBypassed) {
  configure("gfx_card = TGF2\n");
  ASSERT_EQ(open_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0, 0), 0);
  EXPECT_EQ(started(), 0);
}

TEST_F(ConfiguredDriverTest, TheSafeModeUsesTheConfigurationToo) {
  configure("gfx_card = TGF1\n");
  ASSERT_EQ(select_gfx_mode(GFX_SAFE, 320, 200, 0, 0), 0);
  EXPECT_EQ(started(), 1);
}

// ---- disable_vsync --------------------------------------------------------------------------

TEST_F(ConfiguredDriverTest, DisableVsyncTakesYesOrOne) {
  const std::pair<const char *, int> cases[] = {
      {"disable_vsync = yes\n", 0}, {"disable_vsync = Y\n", 0},  {"disable_vsync = 1\n", 0},
      {"disable_vsync = no\n", -1}, {"disable_vsync = 0\n", -1}, {"", -1}};
  for (const auto &[keys, expected] : cases) {
    configure(keys);
    ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
    EXPECT_EQ(wait_for_retrace, expected) << keys;
  }
}

}  // namespace
