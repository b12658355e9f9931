// Rotated sprites: the 16.16 helpers, rotation_corners, and the drawn result at every depth against
// references built here -- exact quarter turns, angle 0 against draw_sprite, flips, clipping
// against a larger bitmap cut down, the three drawers, and hostile angles, scales and positions.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/fixed.h"
#include "corvane/rotate.h"
#include "corvane/system.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::bitmaps_equal;
using corvane::testing::capture;
using corvane::testing::make_bitmap;
using corvane::testing::mask_color_of;
using corvane::testing::paint;
using corvane::testing::random_image;
using corvane::testing::reference_image;

constexpr fixed QUARTER = 0x400000;

// ---- 16.16 helpers -------------------------------------------------------------------------------

TEST(FixedMath, MultiplicationFloorsAndSaturates) {
  set_error_number(0);
  EXPECT_EQ(fixed_mul(0x10000, 0x10000), 0x10000);
  EXPECT_EQ(fixed_mul(-1, 1), -1);  // -1/65536^2 rounds toward minus infinity
  EXPECT_EQ(get_error_number(), 0);
  EXPECT_EQ(fixed_mul(0x7FFF0000, 0x20000), 0x7FFFFFFF);
  EXPECT_EQ(get_error_number(), ERANGE);
  set_error_number(0);
  EXPECT_EQ(fixed_mul(0x7FFF0000, -0x20000), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(get_error_number(), ERANGE);
}

TEST(FixedMath, DivisionRoundsHalfAwayAndSaturates) {
  set_error_number(0);
  EXPECT_EQ(fixed_div(0x30000, 0x20000), 0x18000);
  EXPECT_EQ(fixed_div(1, 0x20000), 1);    // 0.5 units rounds away from zero
  EXPECT_EQ(fixed_div(-1, 0x20000), -1);
  EXPECT_EQ(get_error_number(), 0);
  EXPECT_EQ(fixed_div(-1, 0), -0x7FFFFFFF);
  EXPECT_EQ(get_error_number(), ERANGE);
  set_error_number(0);
  EXPECT_EQ(fixed_div(0x7FFF0000, 0x8000), 0x7FFFFFFF);
  EXPECT_EQ(get_error_number(), ERANGE);
  set_error_number(0);
  EXPECT_EQ(fixed_div(-0x7FFF0000, 0x8000), -0x7FFFFFFF);
  EXPECT_EQ(get_error_number(), ERANGE);
}

TEST(FixedMath, FloatConversionSaturatesAndRejectsNan) {
  EXPECT_EQ(float_to_fixed(1.5), 0x18000);
  EXPECT_EQ(float_to_fixed(-0.5 / 65536.0), -1);
  EXPECT_EQ(float_to_fixed(1e12), 0x7FFFFFFF);
  EXPECT_EQ(float_to_fixed(-INFINITY), -0x7FFFFFFF);
  set_error_number(0);
  EXPECT_EQ(float_to_fixed(NAN), 0);
  EXPECT_EQ(get_error_number(), ERANGE);
  EXPECT_EQ(fixed_to_float(-0x18000), -1.5);
}

// ---- rotation_corners ----------------------------------------------------------------------------

struct corners {
  fixed x[4];
  fixed y[4];
};

corners corners_of(fixed w, fixed h, fixed x, fixed y, fixed cx, fixed cy, fixed angle,
                   fixed scale, int h_flip = 0, int v_flip = 0) {
  corners c{};
  rotation_corners(w, h, x, y, cx, cy, angle, scale, scale, h_flip, v_flip, c.x, c.y);
  return c;
}

TEST(RotationCorners, AngleZeroGivesTheRectangle) {
  const fixed x = 0x51234, y = -0x30000, w = 0x140000, h = 0xA0000;
  const corners c = corners_of(w, h, x, y, 0, 0, 0, 0x10000);
  const fixed want_x[4] = {x, x + w, x + w, x};
  const fixed want_y[4] = {y, y, y + h, y + h};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(c.x[i], want_x[i]) << i;
    EXPECT_EQ(c.y[i], want_y[i]) << i;
  }
}

TEST(RotationCorners, OnlyTheLowTwentyFourBitsOfTheAngleCount) {
  const auto same = [](fixed a, fixed b) {
    const corners p = corners_of(0x100000, 0x80000, 0x200000, 0x200000, 0x30000, 0x20000, a, 0x18000);
    const corners q = corners_of(0x100000, 0x80000, 0x200000, 0x200000, 0x30000, 0x20000, b, 0x18000);
    for (int i = 0; i < 4; ++i) {
      if (p.x[i] != q.x[i] || p.y[i] != q.y[i]) return false;
    }
    return true;
  };
  EXPECT_TRUE(same(0x1000000, 0));
  EXPECT_TRUE(same(0xC00000, -QUARTER));
  EXPECT_TRUE(same(0x7FFFFFFF, -1));
  EXPECT_FALSE(same(QUARTER, 0));
}

TEST(RotationCorners, QuarterTurnAboutTheTopLeftPutsTheTopRightBelowThePivot) {
  const corners c = corners_of(0x100000, 0x80000, 0x500000, 0x600000, 0, 0, QUARTER, 0x10000);
  EXPECT_EQ(c.x[0], 0x500000);
  EXPECT_EQ(c.y[0], 0x600000);
  EXPECT_EQ(c.x[1], 0x500000);
  EXPECT_EQ(c.y[1], 0x600000 + 0x100000);
  // The left edge turns to point left.
  EXPECT_EQ(c.x[3], 0x500000 - 0x80000);
  EXPECT_EQ(c.y[3], 0x600000);
}

TEST(RotationCorners, FlipsExchangeCorners) {
  const corners plain = corners_of(0x100000, 0x80000, 0x10000, 0x20000, 0x30000, 0x40000, 0x123456, 0x18000);
  const corners v = corners_of(0x100000, 0x80000, 0x10000, 0x20000, 0x30000, 0x40000, 0x123456, 0x18000, 0, 1);
  const corners h = corners_of(0x100000, 0x80000, 0x10000, 0x20000, 0x30000, 0x40000, 0x123456, 0x18000, 1, 0);
  const corners hv = corners_of(0x100000, 0x80000, 0x10000, 0x20000, 0x30000, 0x40000, 0x123456, 0x18000, 1, 1);
  const int v_of[4] = {3, 2, 1, 0};
  const int h_of[4] = {1, 0, 3, 2};
  const int hv_of[4] = {2, 3, 0, 1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(v.x[v_of[i]], plain.x[i]);
    EXPECT_EQ(v.y[v_of[i]], plain.y[i]);
    EXPECT_EQ(h.x[h_of[i]], plain.x[i]);
    EXPECT_EQ(hv.y[hv_of[i]], plain.y[i]);
  }
}

TEST(RotationCorners, ExtremeScalesSaturateInsteadOfWrapping) {
  set_error_number(0);
  const corners c = corners_of(0x400000, 0x400000, 0x7FFF0000, 0x7FFF0000, 0, 0, 0x100000, 0x7FFFFFFF);
  EXPECT_EQ(get_error_number(), ERANGE);
  for (int i = 0; i < 4; ++i) {
    // Every corner lies on the pivot's side of the range it was cut to, not wrapped round.
    EXPECT_GT(c.x[i], 0) << i;
    EXPECT_GT(c.y[i], 0) << i;
  }
}

// ---- Drawing at every depth ----------------------------------------------------------------------

class RotatedDrawTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    depth_ = GetParam();
    rng_.seed(static_cast<unsigned>(depth_) * 7 + 1);
    set_color_depth(depth_);
    sprite_ = make_bitmap(depth_, SW, SH);
    image_ = random_image(SW, SH, depth_, rng_, 0.2);
    paint(sprite_.get(), image_);
    background_ = random_image(TW, TH, depth_, rng_);
  }
  bitmap_ptr target() {
    bitmap_ptr t = make_bitmap(depth_, TW, TH);
    paint(t.get(), background_);
    return t;
  }
  // Where the reference puts sprite pixel (sx, sy) for quarter turn q about pivot (px, py), the
  // sprite's top-left corner being the pivot.
  static void quarter_place(int q, int px, int py, int sx, int sy, int &x, int &y) {
    switch (q & 3) {
      case 0: x = px + sx, y = py + sy; break;
      case 1: x = px - 1 - sy, y = py + sx; break;
      case 2: x = px - 1 - sx, y = py - 1 - sy; break;
      default: x = px + sy, y = py - 1 - sx; break;
    }
  }
  reference_image with_sprite(int q, int px, int py) const {
    reference_image want = background_;
    for (int sy = 0; sy < SH; ++sy) {
      for (int sx = 0; sx < SW; ++sx) {
        const uint32_t s = image_.at(sx, sy);
        if (s == mask_color_of(depth_)) continue;
        int x = 0, y = 0;
        quarter_place(q, px, py, sx, sy, x, y);
        want.at(x, y) = s;
      }
    }
    return want;
  }

  static constexpr int SW = 13;
  static constexpr int SH = 9;
  static constexpr int TW = 48;
  static constexpr int TH = 40;
  int depth_ = 8;
  std::mt19937 rng_;
  bitmap_ptr sprite_;
  reference_image image_;
  reference_image background_;
};

TEST_P(RotatedDrawTest, QuarterTurnsAboutACornerAreExactTransposesAndFlips) {
  for (int q = 0; q < 4; ++q) {
    bitmap_ptr t = target();
    pivot_sprite(t.get(), sprite_.get(), 20, 18, 0, 0, q * QUARTER);
    EXPECT_TRUE(bitmap_matches(t.get(), with_sprite(q, 20, 18))) << "quarter turns: " << q;
    // The same turns given as negative angles and in degrees.
    bitmap_ptr n = target();
    pivot_sprite(n.get(), sprite_.get(), 20, 18, 0, 0, (q - 4) * QUARTER);
    EXPECT_TRUE(bitmaps_equal(n.get(), t.get())) << q;
    bitmap_ptr f = target();
    pivot_sprite_f(f.get(), sprite_.get(), 20.0f, 18.0f, 0.0f, 0.0f, 90.0f * static_cast<float>(q));
    EXPECT_TRUE(bitmaps_equal(f.get(), t.get())) << q;
  }
}

TEST_P(RotatedDrawTest, QuarterTurnsAboutTheCentreStayOnWholePixels) {
  // 13 + 9 is even, so the turned corners land on whole pixels.
  bitmap_ptr t = target();
  rotate_sprite(t.get(), sprite_.get(), 10, 12, QUARTER);
  // Turning about the centre equals turning about the top-left corner and moving by the corner's
  // new place: (10 + (13 + 9) / 2, 12 + (9 - 13) / 2) is where the top-left corner lands.
  EXPECT_TRUE(bitmap_matches(t.get(), with_sprite(1, 10 + 11, 12 - 2)));
}

TEST_P(RotatedDrawTest, AngleZeroCoversWhatDrawSpriteCovers) {
  const int places[][2] = {{5, 6}, {-4, 3}, {40, 35}, {20, -5}, {-20, 10}, {11, 38}};
  for (const auto &p : places) {
    for (const bool clipped : {true, false}) {
      bitmap_ptr a = target();
      bitmap_ptr b = target();
      if (clipped) {
        set_clip_area(a.get(), 3, 4, 38, 33);
        set_clip_area(b.get(), 3, 4, 38, 33);
      } else {
        set_clip_area(a.get(), 0, 0, 0, 0);
        set_clip_area(b.get(), 0, 0, 0, 0);
      }
      draw_sprite(a.get(), sprite_.get(), p[0], p[1]);
      rotate_sprite(b.get(), sprite_.get(), p[0], p[1], 0);
      EXPECT_TRUE(bitmaps_equal(b.get(), a.get())) << p[0] << "," << p[1] << " clip " << clipped;
    }
  }
}

TEST_P(RotatedDrawTest, FlipsAtAngleZeroEqualTheFlippedSprites) {
  const struct {
    int flip;
    void (*draw)(bitmap *, bitmap *, int, int);
  } cases[] = {{SPRITE_FLIP_H, draw_sprite_hflip},
               {SPRITE_FLIP_V, draw_sprite_vflip},
               {SPRITE_FLIP_H | SPRITE_FLIP_V, draw_sprite_vhflip}};
  for (const auto &c : cases) {
    bitmap_ptr a = target();
    bitmap_ptr b = target();
    bitmap_ptr f = target();
    c.draw(a.get(), sprite_.get(), 7, 9);
    rotate_sprite_flipped(b.get(), sprite_.get(), 7, 9, 0, 0x10000, c.flip);
    rotate_sprite_flipped_f(f.get(), sprite_.get(), 7.0f, 9.0f, 0.0f, 1.0f, c.flip);
    EXPECT_TRUE(bitmaps_equal(b.get(), a.get())) << c.flip;
    EXPECT_TRUE(bitmaps_equal(f.get(), a.get())) << c.flip;
  }
  // A vertical flip and half a turn is a horizontal flip.
  bitmap_ptr h = target();
  bitmap_ptr vh = target();
  rotate_sprite_flipped(h.get(), sprite_.get(), 7, 9, 0, 0x10000, SPRITE_FLIP_H);
  rotate_sprite_flipped(vh.get(), sprite_.get(), 7, 9, 2 * QUARTER, 0x10000, SPRITE_FLIP_V);
  EXPECT_TRUE(bitmaps_equal(vh.get(), h.get()));
}

TEST_P(RotatedDrawTest, ClippingCutsWhatALargerBitmapShows) {
  // Drawn whole on a large bitmap cleared to the mask colour (which no drawn pixel can have), then
  // on a small one placed over part of it: inside the small bitmap's clip rectangle it shows what
  // the large one shows, and outside it keeps its own pixels.
  const int ox = 30, oy = 25;
  const uint32_t empty = mask_color_of(depth_);
  for (const fixed angle : {0x123456, -0x2A0000, 0x5F0000}) {
    for (const fixed scale : {0x10000, 0x28000, 0x9000}) {
      bitmap_ptr big = make_bitmap(depth_, 120, 100);
      clear_to_color(big.get(), static_cast<int>(empty));
      draw_sprite_rotated(big.get(), sprite_.get(), 60 << 16, 50 << 16, 0x58000, 0x3C000, angle,
                          scale, 0);
      bitmap_ptr small = target();
      set_clip_area(small.get(), 4, 6, 30, 27);
      draw_sprite_rotated(small.get(), sprite_.get(), (60 - ox) << 16, (50 - oy) << 16, 0x58000,
                          0x3C000, angle, scale, 0);
      reference_image want = background_;
      const reference_image whole = capture(big.get());
      for (int y = 6; y <= 27; ++y) {
        for (int x = 4; x <= 30; ++x) {
          if (whole.at(x + ox, y + oy) != empty) want.at(x, y) = whole.at(x + ox, y + oy);
        }
      }
      EXPECT_TRUE(bitmap_matches(small.get(), want)) << "angle " << angle << " scale " << scale;
    }
  }
}

TEST_P(RotatedDrawTest, TheThreeDrawersDrawTheSamePixels) {
  bitmap_ptr direct = target();
  pivot_sprite_scaled(direct.get(), sprite_.get(), 22, 20, 6, 4, 0x1A0000, 0x1C000);
  // A system bitmap takes the generic drawer, with the drawing mode forced to solid.
  bitmap_ptr generic = target();
  generic->flags |= BITMAP_FLAG_SYSTEM;
  set_draw_mode(MODE_XOR, nullptr, 0, 0);
  pivot_sprite_scaled(generic.get(), sprite_.get(), 22, 20, 6, 4, 0x1A0000, 0x1C000);
  EXPECT_EQ(draw_mode, MODE_XOR);
  set_draw_mode(MODE_SOLID, nullptr, 0, 0);
  EXPECT_TRUE(bitmap_matches(generic.get(), capture(direct.get())));
  // The converting drawer: the sprite's colours at 32 bits onto this depth give the same colours.
  if (depth_ != 8) {
    bitmap_ptr wide = make_bitmap(32, SW, SH);
    for (int y = 0; y < SH; ++y) {
      for (int x = 0; x < SW; ++x) {
        const int s = static_cast<int>(image_.at(x, y));
        put_pixel(wide.get(), x, y,
                  image_.at(x, y) == mask_color_of(depth_)
                      ? static_cast<int>(MASK_COLOR_32)
                      : make_color_depth(32, get_red_depth(depth_, s), get_green_depth(depth_, s),
                                         get_blue_depth(depth_, s)));
      }
    }
    bitmap_ptr converted = target();
    pivot_sprite_scaled(converted.get(), wide.get(), 22, 20, 6, 4, 0x1A0000, 0x1C000);
    for (int y = 0; y < TH; ++y) {
      for (int x = 0; x < TW; ++x) {
        const int a = get_pixel(converted.get(), x, y), b = get_pixel(direct.get(), x, y);
        ASSERT_EQ(get_red_depth(depth_, a), get_red_depth(depth_, b)) << x << "," << y;
        ASSERT_EQ(get_green_depth(depth_, a), get_green_depth(depth_, b)) << x << "," << y;
        ASSERT_EQ(get_blue_depth(depth_, a), get_blue_depth(depth_, b)) << x << "," << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllDepths, RotatedDrawTest, ::testing::Values(8, 15, 16, 24, 32),
                         [](const auto &p) { return "depth" + std::to_string(p.param); });

// ---- Line accessors and hostile input ------------------------------------------------------------

int accessor_calls = 0;
unsigned char *counting_write(bitmap *bmp, int row) {
  ++accessor_calls;
  return bmp->lines[row];
}

TEST(RotatedSprite, WhollyOutsideTheClipRectangleCallsNoAccessor) {
  bitmap_ptr t = make_bitmap(32, 60, 40);
  clear_to_color(t.get(), 0x123456);
  t->write_line = counting_write;
  t->read_line = counting_write;
  set_clip_area(t.get(), 20, 5, 50, 35);
  bitmap_ptr s = make_bitmap(32, 10, 10);
  clear_to_color(s.get(), 0xABCDEF);
  const reference_image before = capture(t.get());
  accessor_calls = 0;
  // Wholly left of the clip rectangle, at several angles (the turned square reaches 14 pixels
  // round its centre at most).
  for (fixed angle = 0; angle < 0x1000000; angle += 0x1F0000) {
    pivot_sprite(t.get(), s.get(), 5, 20, 5, 5, angle);
  }
  EXPECT_EQ(accessor_calls, 0);
  EXPECT_TRUE(bitmap_matches(t.get(), before));
  // A sprite reaching into it is drawn through the accessor, one call per drawn row.
  pivot_sprite(t.get(), s.get(), 20, 20, 5, 5, 0);
  EXPECT_EQ(accessor_calls, 10);
}

TEST(RotatedSprite, HostileAnglesScalesAndPositionsStayInsideTheClipRectangle) {
  bitmap_ptr t = make_bitmap(16, 50, 40);
  clear_to_color(t.get(), 0x1234);
  set_clip_area(t.get(), 10, 10, 39, 29);
  bitmap_ptr s = make_bitmap(16, 7, 5);
  clear_to_color(s.get(), 0x7777);
  const auto outside_untouched = [&] {
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 50; ++x) {
        const bool inside = x >= 10 && x <= 39 && y >= 10 && y <= 29;
        if (!inside && get_pixel(t.get(), x, y) != 0x1234) return false;
      }
    }
    return true;
  };
  const fixed extremes[] = {0, -1, 1, 0x7FFFFFFF, -0x7FFFFFFF, std::numeric_limits<int32_t>::min(),
                            0x10000, -0x10000};
  for (const fixed a : extremes) {
    for (const fixed scale : extremes) {
      for (const fixed x : {fixed{25 << 16}, fixed{0x7FFFFFFF}, fixed{-0x7FFFFFFF}}) {
        draw_sprite_rotated(t.get(), s.get(), x, 20 << 16, 0x38000, 0x28000, a, scale, 0);
        draw_sprite_rotated(t.get(), s.get(), 20 << 16, x, 0x7FFFFFFF, -0x7FFFFFFF, a, scale, 1);
      }
    }
  }
  EXPECT_TRUE(outside_untouched());
  // A scale of 4096 about the centre covers the whole clip rectangle with the sprite's colour.
  clear_to_color(t.get(), 0x1234);
  draw_sprite_rotated(t.get(), s.get(), 25 << 16, 20 << 16, 0x38000, 0x28000, 0x123456, 0x10000000, 0);
  EXPECT_EQ(get_pixel(t.get(), 10, 10), 0x7777);
  EXPECT_EQ(get_pixel(t.get(), 39, 29), 0x7777);
  // Scale 0 and not-a-number inputs draw nothing.
  clear_to_color(t.get(), 0x1234);
  rotate_sprite_scaled(t.get(), s.get(), 20, 20, 0x123456, 0);
  rotate_sprite_f(t.get(), s.get(), NAN, 20.0f, 10.0f);
  rotate_sprite_f(t.get(), s.get(), 20.0f, 20.0f, INFINITY);
  rotate_sprite_scaled_f(t.get(), s.get(), 20.0f, 20.0f, 10.0f, NAN);
  pivot_sprite_f(t.get(), s.get(), 1e30f, 20.0f, 0.0f, 0.0f, 10.0f);
  EXPECT_EQ(get_pixel(t.get(), 25, 20), 0x1234);
  // A huge but finite angle in degrees is taken modulo whole turns.
  bitmap_ptr u = make_bitmap(16, 50, 40);
  clear_to_color(u.get(), 0x1234);
  rotate_sprite_f(t.get(), s.get(), 20.0f, 20.0f, 3600090.0f);
  rotate_sprite_f(u.get(), s.get(), 20.0f, 20.0f, 90.0f);
  EXPECT_TRUE(bitmaps_equal(t.get(), u.get()));
  // Null bitmaps and sprites are ignored.
  rotate_sprite(nullptr, s.get(), 0, 0, 0);
  rotate_sprite(t.get(), nullptr, 0, 0, 0);
  draw_rotated_quad(t.get(), s.get(), nullptr, nullptr);
}

TEST(RotatedSprite, NegativeScaleIsHalfATurn) {
  bitmap_ptr s = make_bitmap(32, 6, 4);
  std::mt19937 rng(3);
  paint(s.get(), random_image(6, 4, 32, rng));
  bitmap_ptr a = make_bitmap(32, 30, 30);
  bitmap_ptr b = make_bitmap(32, 30, 30);
  clear_to_color(a.get(), 0);
  clear_to_color(b.get(), 0);
  rotate_sprite_scaled(a.get(), s.get(), 10, 10, 0x100000, -0x10000);
  rotate_sprite_scaled(b.get(), s.get(), 10, 10, 0x100000 + 2 * QUARTER, 0x10000);
  EXPECT_TRUE(bitmaps_equal(a.get(), b.get()));
}

}  // namespace
