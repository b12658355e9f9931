// The demonstration program's drawing steps on the fake driver, at every depth: palette, white
// screen, the greeting centred on the driver's centre in black. Checked pixel by pixel.
#include <gtest/gtest.h>

#include <string>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/font.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "font_test_support.h"
#include "support/bitmap_compare.h"
#include "support/test_gfx_driver.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

constexpr const char *GREETING = "Hello, world!";

class DemoGreetingTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    reset_test_system();
    reset_test_gfx_drivers();
    ASSERT_EQ(start_with_test_system(), 0);
    use_test_gfx_drivers({&test_gfx(0)});
  }
  void TearDown() override { shutdown_corvane(); }

  // Steps 5 to 10 of the program.
  static void draw_greeting() {
    apply_palette(desktop_palette);
    screen_bitmap->vtable->clear_to_color(screen_bitmap, make_color(255, 255, 255));
    if (screen_bitmap->vtable->acquire != nullptr) screen_bitmap->vtable->acquire(screen_bitmap);
    int x = 0;
    int y = 0;
    if (current_gfx_driver != nullptr) {
      x = current_gfx_driver->width / 2;
      y = current_gfx_driver->height / 2;
    }
    draw_text_centred(screen_bitmap, default_font, GREETING, x, y, make_color(0, 0, 0), -1);
    if (screen_bitmap->vtable->release != nullptr) screen_bitmap->vtable->release(screen_bitmap);
  }

  // Black exactly where the greeting's glyphs have ink in columns 108-211, rows 100-107; white
  // everywhere else on the screen bitmap.
  static void expect_greeting() {
    const auto white = static_cast<uint32_t>(make_color(255, 255, 255));
    const auto black = static_cast<uint32_t>(make_color(0, 0, 0));
    ASSERT_NE(white, black);
    reference_image expected(screen_bitmap->width, screen_bitmap->height,
                             bitmap_color_depth(screen_bitmap), white);
    font_test::expect_default_text(expected, font_test::ascii_code_points(GREETING), 108, 100,
                                   black, -1);
    int ink = 0;
    for (uint32_t value : expected.pixels) ink += value == black ? 1 : 0;
    EXPECT_GT(ink, 13 * 8) << "every glyph but the space has ink";
    EXPECT_TRUE(bitmap_matches(screen_bitmap, expected));
  }
};

TEST_P(DemoGreetingTest, TheGreetingIsBlackOnWhiteAtTheCentre) {
  set_color_depth(GetParam());
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  EXPECT_EQ(text_width(default_font, GREETING), 104);
  draw_greeting();
  expect_greeting();
}

TEST_P(DemoGreetingTest, ADisplayWithLockingAndPaddedRowsShowsTheSame) {
  test_gfx(0).counted_screen_locks = true;
  test_gfx(0).row_padding = 12;
  set_color_depth(GetParam());
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0), 0);
  draw_greeting();
  expect_greeting();
  EXPECT_EQ(test_gfx(0).calls.acquire, test_gfx(0).calls.release);
  EXPECT_GE(test_gfx(0).calls.acquire, 2) << "the program's own lock and the text's";
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, DemoGreetingTest, ::testing::Values(8, 15, 16, 24, 32));

TEST(DemoGreetingPositionTest, TheVisibleModeDecidesTheCentreNotTheScreenBitmap) {
  reset_test_system();
  reset_test_gfx_drivers();
  ASSERT_EQ(start_with_test_system(), 0);
  use_test_gfx_drivers({&test_gfx(0)});
  set_color_depth(32);
  ASSERT_EQ(select_gfx_mode(GFX_AUTODETECT, 320, 200, 640, 480), 0);
  apply_palette(desktop_palette);
  screen_bitmap->vtable->clear_to_color(screen_bitmap, make_color(255, 255, 255));
  draw_text_centred(screen_bitmap, default_font, GREETING, current_gfx_driver->width / 2,
                    current_gfx_driver->height / 2, make_color(0, 0, 0), -1);
  reference_image expected(640, 480, 32, static_cast<uint32_t>(make_color(255, 255, 255)));
  font_test::expect_default_text(expected, font_test::ascii_code_points(GREETING), 108, 100,
                                 static_cast<uint32_t>(make_color(0, 0, 0)), -1);
  EXPECT_TRUE(bitmap_matches(screen_bitmap, expected));
  shutdown_corvane();
}

}  // namespace
