// The pointer on a bitmap: the built-in pictures, the software pointer at every depth (drawn at
// the focus, moved by the polling handler over near and far distances, taken away with the
// background exactly restored), clipping, small bitmaps, sprites of other depths, scares, the
// graphics driver's cursor and system pointers, and mode changes.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/gfx.h"
#include "corvane/mouse.h"
#include "corvane/system.h"
#include "support/bitmap_compare.h"
#include "support/manual_timer.h"
#include "support/test_gfx_driver.h"
#include "support/test_mouse.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

// The pointers as they are meant to look: '.' transparent, 'o' white, 'x' black; focus (1, 1).
const char *const arrow[16] = {
    "xx..............", "xox.............", "xoox............", "xooox...........",
    "xoooox..........", "xooooox.........", "xoooooox........", "xooooooox.......",
    "xoooooooox......", "xoooooxxx.......", "xooxoox.........", "xox.xoox........",
    ".x..xoox........", ".....xoox.......", ".....xoox.......", "......xx........",
};
const char *const busy[16] = {
    ".......xx.......", ".....xxooxx.....", "....xoooooox....", "...xooo..ooox...",
    "..xoo......oox..", ".xoo.....oo.oox.", ".xoo....oo..oox.", "xoo....oo....oox",
    "xoo....oo....oox", ".xoo....oo..oox.", ".xoo.....oo.oox.", "..xoo......oox..",
    "...xooo..ooox...", "....xoooooox....", ".....xxooxx.....", ".......xx.......",
};

// The background with a picture put over it with its focus at (x, y).
reference_image with_picture(reference_image image, const char *const *rows, int x, int y) {
  const auto white = static_cast<uint32_t>(make_color_depth(image.depth, 255, 255, 255));
  const auto black = static_cast<uint32_t>(make_color_depth(image.depth, 0, 0, 0));
  for (int row = 0; row < 16; ++row) {
    for (int column = 0; column < 16; ++column) {
      const int px = x - 1 + column;
      const int py = y - 1 + row;
      const char c = rows[row][column];
      if (c == '.' || px < 0 || py < 0 || px >= image.width || py >= image.height) continue;
      image.at(px, py) = c == 'o' ? white : black;
    }
  }
  return image;
}

class PointerTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    reset_test_mouse();
    reset_test_gfx_drivers();
    ASSERT_EQ(start_with_test_mouse(), 0);
    set_color_depth(depth());
    ASSERT_EQ(install_mouse(), 3);
    bmp_ = make_bitmap(depth(), 64, 48);
    std::mt19937 rng(7);
    background_ = random_image(64, 48, depth(), rng);
    paint(bmp_.get(), background_);
  }
  void TearDown() override { shutdown_corvane(); }

  static int depth() { return GetParam(); }
  // Lets the polling handler run once.
  static void tick() { advance_ms(10); }

  bitmap_ptr bmp_;
  reference_image background_;
};

TEST_P(PointerTest, DrawnAtTheFocusMovedNearAndFarAndTakenAwayExactly) {
  position_mouse(10, 12);
  show_mouse(bmp_.get());
  EXPECT_TRUE(bitmap_matches(bmp_.get(), with_picture(background_, arrow, 10, 12)));

  move_test_mouse(13, 14);  // the old and new places overlap
  tick();
  EXPECT_TRUE(bitmap_matches(bmp_.get(), with_picture(background_, arrow, 13, 14)));
  move_test_mouse(50, 40);  // far away, partly off the bitmap
  tick();
  EXPECT_TRUE(bitmap_matches(bmp_.get(), with_picture(background_, arrow, 50, 40)));
  move_test_mouse(49, 37);
  tick();
  EXPECT_TRUE(bitmap_matches(bmp_.get(), with_picture(background_, arrow, 49, 37)));

  show_mouse(nullptr);
  EXPECT_TRUE(bitmap_matches(bmp_.get(), background_));
}

TEST_P(PointerTest, BusyImageStandsInForARefusedSystemPointer) {
  position_mouse(20, 20);
  show_mouse(bmp_.get());
  ASSERT_EQ(select_mouse_cursor(MOUSE_CURSOR_BUSY), 0);
  EXPECT_EQ(the_test_mouse().system_cursors_asked.back(), MOUSE_CURSOR_BUSY);
  EXPECT_TRUE(bitmap_matches(bmp_.get(), with_picture(background_, busy, 20, 20)));
  EXPECT_EQ(gfx_capabilities & (GFX_HW_CURSOR | GFX_SYSTEM_CURSOR), 0);

  ASSERT_EQ(select_mouse_cursor(MOUSE_CURSOR_NONE), 0);
  EXPECT_TRUE(bitmap_matches(bmp_.get(), background_));
  ASSERT_EQ(select_mouse_cursor(MOUSE_CURSOR_SPRITE), 0);
  EXPECT_TRUE(bitmap_matches(bmp_.get(), with_picture(background_, arrow, 20, 20)));
  EXPECT_EQ(select_mouse_cursor(MOUSE_CURSOR_COUNT), -1);
  EXPECT_STREQ(error_text, "Unknown mouse cursor");
}

TEST_P(PointerTest, RemovingTheMouseTakesThePointerAway) {
  show_mouse(bmp_.get());
  remove_mouse();
  EXPECT_TRUE(bitmap_matches(bmp_.get(), background_));
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, PointerTest, ::testing::Values(8, 15, 16, 24, 32));

class SoftwarePointerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_test_mouse();
    reset_test_gfx_drivers();
    ASSERT_EQ(start_with_test_mouse(), 0);
    set_color_depth(16);
    ASSERT_EQ(install_mouse(), 3);
  }
  void TearDown() override { shutdown_corvane(); }
};

TEST_F(SoftwarePointerTest, ClippingIsOffWhileDrawingAndRestoredAfter) {
  bitmap_ptr bmp = make_bitmap(16, 40, 40);
  clear_to_color(bmp.get(), make_color(128, 128, 128));
  set_clip_area(bmp.get(), 0, 0, 3, 3);
  position_mouse(20, 20);
  show_mouse(bmp.get());
  EXPECT_EQ(get_pixel(bmp.get(), 19, 19), make_color(0, 0, 0));
  EXPECT_EQ(get_pixel(bmp.get(), 20, 20), make_color(255, 255, 255));
  EXPECT_NE(bmp->clipping, 0);
  EXPECT_EQ(bmp->clip_right, 4);
  EXPECT_EQ(bmp->clip_bottom, 4);
  show_mouse(nullptr);
}

TEST_F(SoftwarePointerTest, BitmapSmallerThanThePointer) {
  bitmap_ptr bmp = make_bitmap(16, 5, 3);
  std::mt19937 rng(3);
  const reference_image background = random_image(5, 3, 16, rng);
  paint(bmp.get(), background);
  position_mouse(2, 1);
  show_mouse(bmp.get());
  EXPECT_TRUE(bitmap_matches(bmp.get(), with_picture(background, arrow, 2, 1)));
  move_test_mouse(3, 2);
  advance_ms(10);
  EXPECT_TRUE(bitmap_matches(bmp.get(), with_picture(background, arrow, 3, 2)));
  show_mouse(nullptr);
  EXPECT_TRUE(bitmap_matches(bmp.get(), background));
}

TEST_F(SoftwarePointerTest, SpritesOfAnotherDepthAreDrawnConverted) {
  bitmap_ptr bmp = make_bitmap(16, 8, 8);
  clear_to_color(bmp.get(), 0);
  // A 32-bit sprite on a 16-bit bitmap: its colours packed for 16 bits, its mask transparent.
  bitmap_ptr sprite32 = make_bitmap(32, 2, 1);
  set_raw_pixel(sprite32.get(), 0, 0, MASK_COLOR_32);
  set_raw_pixel(sprite32.get(), 1, 0, static_cast<uint32_t>(make_color_depth(32, 255, 0, 0)));
  set_mouse_sprite(sprite32.get());
  position_mouse(1, 1);
  show_mouse(bmp.get());
  EXPECT_EQ(raw_pixel(bmp.get(), 0, 0), 0u);
  EXPECT_EQ(raw_pixel(bmp.get(), 1, 0), static_cast<uint32_t>(make_color_depth(16, 255, 0, 0)));

  // An 8-bit sprite goes through the palette as draw_sprite_8bit would take it; 0 is clear.
  bitmap_ptr sprite8 = make_bitmap(8, 2, 1);
  set_raw_pixel(sprite8.get(), 0, 0, 0);
  set_raw_pixel(sprite8.get(), 1, 0, 4);
  bitmap_ptr reference = make_bitmap(16, 8, 8);
  clear_to_color(reference.get(), 0);
  draw_sprite_8bit(reference.get(), sprite8.get(), 0, 0);
  set_mouse_sprite(sprite8.get());
  EXPECT_TRUE(bitmaps_equal(bmp.get(), reference.get()));
  show_mouse(nullptr);
}

TEST_F(SoftwarePointerTest, FrozenPointerStaysAndHoldsTheValues) {
  const int grey = make_color(128, 128, 128);
  bitmap_ptr bmp = make_bitmap(16, 40, 40);
  clear_to_color(bmp.get(), grey);
  position_mouse(5, 5);
  show_mouse(bmp.get());
  freeze_mouse = -1;
  move_test_mouse(30, 30);
  advance_ms(10);
  EXPECT_EQ(mouse_x, 5);
  EXPECT_EQ(get_pixel(bmp.get(), 4, 4), make_color(0, 0, 0));
  EXPECT_EQ(get_pixel(bmp.get(), 31, 31), grey);
  freeze_mouse = 0;
  move_test_mouse(30, 31);
  advance_ms(10);
  EXPECT_EQ(mouse_x, 30);
  EXPECT_EQ(get_pixel(bmp.get(), 30, 31), make_color(255, 255, 255));
  show_mouse(nullptr);
}

TEST_F(SoftwarePointerTest, ScaresNestPastSixteenLevels) {
  bitmap_ptr bmp = make_bitmap(16, 40, 40);
  clear_to_color(bmp.get(), 0);
  const reference_image background = capture(bmp.get());
  position_mouse(10, 10);
  show_mouse(bmp.get());
  const reference_image shown = capture(bmp.get());
  for (int i = 0; i < 20; ++i) scare_mouse();
  EXPECT_TRUE(bitmap_matches(bmp.get(), background));
  for (int i = 0; i < 19; ++i) unscare_mouse();
  EXPECT_TRUE(bitmap_matches(bmp.get(), background));
  unscare_mouse();
  EXPECT_TRUE(bitmap_matches(bmp.get(), shown));
  unscare_mouse();  // one too many does nothing
  EXPECT_TRUE(bitmap_matches(bmp.get(), shown));
  show_mouse(nullptr);
}

TEST_F(SoftwarePointerTest, AreaScareHidesOnlyAnOverlappingPointer) {
  bitmap_ptr bmp = make_bitmap(16, 40, 40);
  clear_to_color(bmp.get(), 0);
  const reference_image background = capture(bmp.get());
  position_mouse(10, 10);
  show_mouse(bmp.get());
  const reference_image shown = capture(bmp.get());

  scare_mouse_area(30, 30, 5, 5);  // the pointer covers 9..24 by 9..24
  EXPECT_TRUE(bitmap_matches(bmp.get(), shown));
  EXPECT_NE(freeze_mouse, 0);
  unscare_mouse();
  EXPECT_EQ(freeze_mouse, 0);

  scare_mouse_area(24, 24, 5, 5);
  EXPECT_TRUE(bitmap_matches(bmp.get(), background));
  unscare_mouse();
  EXPECT_TRUE(bitmap_matches(bmp.get(), shown));
  show_mouse(nullptr);
}

// A graphics driver cursor that records what it is asked.
struct cursor_calls {
  bitmap *image = nullptr;
  int focus_x = -1, focus_y = -1;
  std::vector<std::pair<int, int>> shown_at;
  int hides = 0;
  std::vector<std::pair<int, int>> moves;
};
cursor_calls cursor;
int record_cursor_image(bitmap *sprite, int x, int y) {
  cursor.image = sprite;
  cursor.focus_x = x;
  cursor.focus_y = y;
  return 0;
}
int record_show_cursor(bitmap *bmp, int x, int y) {
  if (bmp != screen_bitmap) return -1;
  cursor.shown_at.emplace_back(x, y);
  return 0;
}
void record_hide_cursor() { ++cursor.hides; }
void record_move_cursor(int x, int y) { cursor.moves.emplace_back(x, y); }

class HardwareCursorTest : public SoftwarePointerTest {
 protected:
  void SetUp() override {
    cursor = cursor_calls{};
    SoftwarePointerTest::SetUp();
    gfx_driver &d = test_gfx(0).driver;
    d.set_cursor_image = record_cursor_image;
    d.show_cursor = record_show_cursor;
    d.hide_cursor = record_hide_cursor;
    d.move_cursor = record_move_cursor;
    use_test_gfx_drivers({&test_gfx(0), &test_gfx(1)});
    ASSERT_EQ(select_gfx_mode(test_gfx(0).driver.id, 80, 60, 0, 0), 0);
  }
};

TEST_F(HardwareCursorTest, GraphicsDriverShowsTheSpriteOnTheScreenOnly) {
  // The mode gave the pointer its range and put it in the middle.
  EXPECT_EQ(mouse_x, 40);
  EXPECT_EQ(mouse_y, 30);
  clear_to_color(screen_bitmap, 0);
  show_mouse(screen_bitmap);
  EXPECT_EQ(cursor.focus_x, 1);
  EXPECT_EQ(cursor.focus_y, 1);
  ASSERT_NE(cursor.image, nullptr);
  EXPECT_EQ(cursor.image->width, 16);
  EXPECT_EQ(cursor.shown_at, (std::vector<std::pair<int, int>>{{40, 30}}));
  EXPECT_EQ(gfx_capabilities & GFX_HW_CURSOR, GFX_HW_CURSOR);
  EXPECT_EQ(get_pixel(screen_bitmap, 40, 30), 0) << "nothing drawn in software";

  move_test_mouse(41, 33);
  advance_ms(10);
  EXPECT_EQ(cursor.moves, (std::vector<std::pair<int, int>>{{41, 33}}));
  // Scares leave a pointer the driver shows alone.
  scare_mouse();
  EXPECT_EQ(cursor.hides, 0);
  unscare_mouse();

  show_mouse(nullptr);
  EXPECT_EQ(cursor.hides, 1);
  EXPECT_EQ(gfx_capabilities & GFX_HW_CURSOR, 0);

  // A memory bitmap gets the software pointer.
  bitmap_ptr memory = make_bitmap(bitmap_color_depth(screen_bitmap), 80, 60);
  clear_to_color(memory.get(), 0);
  show_mouse(memory.get());
  EXPECT_EQ(get_pixel(memory.get(), 41, 33), make_color(255, 255, 255));
  EXPECT_EQ(gfx_capabilities & GFX_HW_CURSOR, 0);
  show_mouse(nullptr);
}

TEST_F(HardwareCursorTest, AcceptedSystemPointerSetsBothBits) {
  the_test_mouse().accepted_system_cursor = MOUSE_CURSOR_EDIT;
  show_mouse(screen_bitmap);
  ASSERT_EQ(select_mouse_cursor(MOUSE_CURSOR_EDIT), 0);
  EXPECT_EQ(gfx_capabilities & (GFX_HW_CURSOR | GFX_SYSTEM_CURSOR),
            GFX_HW_CURSOR | GFX_SYSTEM_CURSOR);
  ASSERT_EQ(select_mouse_cursor(MOUSE_CURSOR_QUESTION), 0);  // refused: the sprite cursor
  EXPECT_EQ(gfx_capabilities & (GFX_HW_CURSOR | GFX_SYSTEM_CURSOR), GFX_HW_CURSOR);
  show_mouse(nullptr);
}

TEST_F(HardwareCursorTest, ModeChangeHidesThePointerAndResetsItsRange) {
  show_mouse(screen_bitmap);
  const int hides = cursor.hides;
  position_mouse(70, 50);
  ASSERT_EQ(select_gfx_mode(test_gfx(1).driver.id, 200, 100, 0, 0), 0);
  EXPECT_EQ(cursor.hides, hides + 1);
  EXPECT_EQ(mouse_x, 100);
  EXPECT_EQ(mouse_y, 50);
  position_mouse(500, 500);
  EXPECT_EQ(mouse_x, 199);
  EXPECT_EQ(mouse_y, 99);
  // The pointer was not carried over to the new screen (whose driver would draw it in software).
  bitmap *screen = screen_bitmap;
  clear_to_color(screen, make_color(128, 128, 128));
  move_test_mouse(150, 60);
  advance_ms(10);
  EXPECT_EQ(get_pixel(screen, 150, 60), make_color(128, 128, 128));
}

}  // namespace
