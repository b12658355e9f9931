// What the display driver tests of the simulated Mac share: a started library on a fresh
// stand-in, and a look at everything a display driver may leave behind.
#ifndef CORVANE_TESTS_PLATFORM_MACOSX_QUARTZ_TEST_SUPPORT_H
#define CORVANE_TESTS_PLATFORM_MACOSX_QUARTZ_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <string>

namespace macosx_testing {

// The main display's current mode as "WIDTHxHEIGHTxBITS".
std::string current_display_mode();

// The stand-in's call log as one text.
std::string call_log();

// Nothing of a display is left: not captured, menu bar and cursor shown, ColorSync tables loaded,
// no fade reserved, no port, world, region, palette or window, nothing locked, no display up.
::testing::AssertionResult display_left_alone();

// A fresh stand-in and the library started with the Mac system driver; shut down afterwards.
class QuartzTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace macosx_testing

#endif
