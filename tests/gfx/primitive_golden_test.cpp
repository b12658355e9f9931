// One scene per primitive family, drawn at 32 bits and compared exactly with a golden image in
// tests/golden/: a change to any pixel of any family shows here, with the first differing pixel.
#include <gtest/gtest.h>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "support/bitmap_compare.h"
#include "support/golden_values.h"

namespace {

using corvane::testing::bitmap_ptr;
using corvane::testing::make_bitmap;
using corvane::testing::golden_values::matches_golden;

constexpr int BLACK = 0x000000;
constexpr int WHITE = 0xFFFFFF;
constexpr int RED = 0xFF2020;
constexpr int GREEN = 0x20C040;
constexpr int BLUE = 0x3050FF;
constexpr int YELLOW = 0xF0E020;
constexpr int GREY = 0x808080;

class GoldenScene : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas_ = make_bitmap(32, 80, 64);
    ASSERT_NE(canvas_, nullptr);
    clear_to_color(canvas_.get(), BLACK);
  }
  void TearDown() override { set_draw_mode(MODE_SOLID, nullptr, 0, 0); }
  bitmap *canvas() { return canvas_.get(); }
  // Restricts drawing to the frame left free around the scene's border.
  void clip_inner() { set_clip_area(canvas(), 4, 4, 75, 59); }

  bitmap_ptr canvas_;
};

TEST_F(GoldenScene, Lines) {
  // A fan of lines from the centre, some leaving the clip rectangle.
  clip_inner();
  for (int i = 0; i < 16; ++i) {
    const int ex = (i < 8) ? i * 12 - 6 : 90 - (i - 8) * 12;
    const int ey = (i < 8) ? -4 : 70;
    draw_line(canvas(), 40, 32, ex, ey, i % 2 ? RED : GREEN);
  }
  draw_fast_line(canvas(), -20, 10, 100, 50, YELLOW);
  draw_fast_line(canvas(), 70, -10, 10, 80, BLUE);
  draw_line(canvas(), 10, 20, 10, 44, WHITE);
  draw_line(canvas(), 6, 56, 74, 56, WHITE);
  EXPECT_TRUE(matches_golden(canvas(), "lines"));
}

TEST_F(GoldenScene, Rectangles) {
  fill_rect(canvas(), 70, 50, 10, 10, GREY);
  draw_rect(canvas(), 5, 5, 74, 58, WHITE);
  draw_rect(canvas(), 20, 20, 20, 40, RED);    // a single column
  draw_rect(canvas(), 30, 30, 50, 30, GREEN);  // a single row
  clip_inner();
  fill_rect(canvas(), -10, 40, 30, 100, BLUE);
  set_draw_mode(MODE_XOR, nullptr, 0, 0);
  fill_rect(canvas(), 40, 15, 60, 45, YELLOW);
  EXPECT_TRUE(matches_golden(canvas(), "rectangles"));
}

TEST_F(GoldenScene, Circles) {
  clip_inner();
  for (int r = 0; r <= 12; r += 3) draw_circle(canvas(), 20, 20, r, r % 2 ? RED : GREEN);
  fill_circle(canvas(), 55, 20, 11, BLUE);
  draw_circle(canvas(), 55, 20, 11, WHITE);
  fill_circle(canvas(), 70, 58, 15, YELLOW);  // cut by the clip rectangle
  draw_circle(canvas(), 10, 55, 14, GREY);
  fill_circle(canvas(), 40, 45, 0, WHITE);
  EXPECT_TRUE(matches_golden(canvas(), "circles"));
}

TEST_F(GoldenScene, Ellipses) {
  clip_inner();
  draw_ellipse(canvas(), 20, 16, 14, 6, RED);
  draw_ellipse(canvas(), 20, 42, 5, 15, GREEN);
  fill_ellipse(canvas(), 55, 18, 18, 9, BLUE);
  draw_ellipse(canvas(), 55, 18, 18, 9, WHITE);
  fill_ellipse(canvas(), 52, 48, 7, 13, YELLOW);
  fill_ellipse(canvas(), 76, 40, 10, 30, GREY);  // cut by the clip rectangle
  draw_ellipse(canvas(), 36, 42, 0, 0, WHITE);
  EXPECT_TRUE(matches_golden(canvas(), "ellipses"));
}

TEST_F(GoldenScene, Arcs) {
  // Binary angles: 0x400000 is a quarter turn.
  draw_arc(canvas(), 20, 20, 0, 0x400000, 14, RED);
  draw_arc(canvas(), 20, 20, 0x800000, 0xC00000, 10, GREEN);
  draw_arc(canvas(), 58, 20, 0x200000, 0x600000, 15, BLUE);
  draw_arc(canvas(), 58, 20, 0xE00000, 0x200000, 9, YELLOW);  // across angle 0
  draw_arc(canvas(), 20, 46, 0x600000, 0x500000, 12, WHITE);  // almost the whole circle
  draw_arc(canvas(), 58, 46, -0x400000, 0x400000, 13, GREY);
  EXPECT_TRUE(matches_golden(canvas(), "arcs"));
}

TEST_F(GoldenScene, Splines) {
  const int s1[8] = {5, 60, 20, 0, 60, 0, 75, 60};
  const int s2[8] = {5, 5, 75, 5, 5, 58, 75, 58};
  const int s3[8] = {40, 32, 40, 32, 41, 33, 41, 33};  // a dot
  draw_spline(canvas(), s1, RED);
  draw_spline(canvas(), s2, GREEN);
  draw_spline(canvas(), s3, WHITE);
  // In XOR mode every joint is drawn once, so the curve shows no gaps where segments meet.
  const int s4[8] = {10, 30, 30, 50, 50, 10, 70, 30};
  set_draw_mode(MODE_XOR, nullptr, 0, 0);
  draw_spline(canvas(), s4, BLUE);
  EXPECT_TRUE(matches_golden(canvas(), "splines"));
}

TEST_F(GoldenScene, Polygons) {
  clip_inner();
  const int star[10] = {20, 2, 28, 28, 4, 12, 36, 12, 12, 28};  // self-crossing
  draw_polygon(canvas(), 5, star, YELLOW);
  const int concave[12] = {44, 6, 76, 6, 76, 30, 60, 16, 44, 30, 50, 18};
  draw_polygon(canvas(), 6, concave, GREEN);
  draw_triangle(canvas(), 6, 60, 30, 34, 38, 62, RED);
  draw_triangle(canvas(), 40, 40, 78, 44, 60, 70, BLUE);
  draw_triangle(canvas(), 10, 50, 20, 50, 30, 50, WHITE);  // one row: nothing
  EXPECT_TRUE(matches_golden(canvas(), "polygons"));
}

TEST_F(GoldenScene, FloodFill) {
  draw_circle(canvas(), 24, 24, 18, WHITE);
  draw_line(canvas(), 6, 24, 42, 24, WHITE);
  draw_rect(canvas(), 48, 8, 74, 56, WHITE);
  draw_line(canvas(), 48, 8, 74, 56, WHITE);  // a diagonal: 8-connected, so it does not leak
  flood_fill(canvas(), 24, 14, RED);
  flood_fill(canvas(), 24, 34, GREEN);
  flood_fill(canvas(), 70, 12, BLUE);
  set_clip_area(canvas(), 0, 40, 79, 63);
  flood_fill(canvas(), 2, 62, GREY);  // the outside, cut by the clip rectangle
  EXPECT_TRUE(matches_golden(canvas(), "flood_fill"));
}

// A 16x12 sprite: a frame, a diagonal and a transparent notch, so that flips show.
bitmap_ptr make_test_sprite() {
  bitmap_ptr sprite = make_bitmap(32, 16, 12);
  clear_to_color(sprite.get(), MASK_COLOR_32);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool edge = x == 0 || y == 0 || x == 15 || y == 11;
      const bool notch = x < 5 && y > 6;
      int color = MASK_COLOR_32;
      if (edge && !notch) color = (x * 16) << 16 | (y * 20) << 8 | 0x80;
      if (x == y + 2) color = YELLOW;
      put_pixel(sprite.get(), x, y, color);
    }
  }
  return sprite;
}

TEST_F(GoldenScene, Sprites) {
  bitmap_ptr sprite = make_test_sprite();
  fill_rect(canvas(), 0, 32, 79, 63, GREY);
  clip_inner();
  draw_sprite(canvas(), sprite.get(), 2, 2);
  draw_sprite_hflip(canvas(), sprite.get(), 22, 2);
  draw_sprite_vflip(canvas(), sprite.get(), 42, 2);
  draw_sprite_vhflip(canvas(), sprite.get(), 68, -2);  // cut on two sides
  select_mix_blend(0, 0, 0, 128);
  draw_sprite_trans(canvas(), sprite.get(), 2, 36);
  select_mix_blend(255, 64, 0, 0);
  draw_sprite_lit(canvas(), sprite.get(), 22, 36, 160);
  draw_sprite_gouraud(canvas(), sprite.get(), 42, 36, 0, 255, 64, 200);
  run_sprite *rle = create_run_sprite(sprite.get());
  ASSERT_NE(rle, nullptr);
  draw_rle(canvas(), rle, 62, 20);
  select_mix_blend(0, 0, 0, 200);
  draw_rle_trans(canvas(), rle, 62, 50);
  destroy_run_sprite(rle);
  EXPECT_TRUE(matches_golden(canvas(), "sprites"));
}

}  // namespace
