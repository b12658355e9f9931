// Every sprite slot (17-28 and 43) at every depth against a reference drawn here pixel by pixel:
// placements cut on each side of the clip rectangle, wholly outside it, and with clipping off;
// flips cut on the target rectangle; the library's vectorised paths against their blenders; and
// the use of the line accessors on display and system bitmaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::capture;
using corvane::testing::depth_value_mask;
using corvane::testing::make_bitmap;
using corvane::testing::mask_color_of;
using corvane::testing::paint;
using corvane::testing::random_image;
using corvane::testing::raw_pixel;
using corvane::testing::reference_image;
using corvane::testing::set_raw_pixel;

// Blenders whose results depend on every argument, so that a swapped argument shows.
uint32_t scramble(uint32_t x, uint32_t y, uint32_t n) {
  return (x * 3u + y * 5u + n * 7u) ^ 0x5A5A5A5Au;
}
uint32_t scramble_alpha(uint32_t x, uint32_t y, uint32_t n) {
  return (x * 11u + y * 13u + n * 17u) ^ 0x3C3C3C3Cu;
}

constexpr int TARGET_W = 40;
constexpr int TARGET_H = 30;
constexpr int SPRITE_W = 13;
constexpr int SPRITE_H = 9;

// Placements: inside, cut on each side and at the corners, wholly outside each side.
struct placement {
  int x;
  int y;
};
const placement placements[] = {{12, 10}, {1, 8},   {30, 9},  {14, -2}, {15, 21}, {-4, -3},
                                {31, 22}, {-12, 5}, {5, -11}, {34, 10}, {10, 25}, {20, 30}};

// What a slot does with one sprite pixel: writes out and returns true, or returns false.
using pixel_rule = std::function<bool(uint32_t s, uint32_t old, int sx, int sy, uint32_t &out)>;

struct slot_case {
  std::string name;
  int sprite_depth;
  bool hflip;
  bool vflip;
  std::function<void(bitmap *target, bitmap *sprite, int x, int y)> draw;
  pixel_rule rule;
};

class SpriteSlotTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    depth_ = GetParam();
    rng_.seed(static_cast<unsigned>(depth_));
    shade_.resize(65536);
    for (auto &v : shade_) v = static_cast<unsigned char>(rng_());
    shade_table = shade_.data();
    set_blend_hooks_ex(scramble, scramble, scramble, scramble, scramble_alpha, scramble_alpha,
                       scramble_alpha, 0x12, 0x34, 0x56, 99);
    blend_color15 = 0x1234;
    blend_color16 = 0x4321;
    blend_color24 = 0x123456;
    blend_color32 = 0x654321;
    set_color_depth(depth_ == 8 ? 32 : depth_);
    for (int i = 0; i < 256; ++i) palette_color[i] = rng_() & depth_value_mask(depth_);
  }
  void TearDown() override {
    shade_table = nullptr;
    set_blend_hooks_ex(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0);
    set_color_depth(8);
  }

  uint32_t limit() const { return depth_value_mask(depth_); }
  uint32_t blend_color() const {
    switch (depth_) {
      case 15:
        return blend_color15;
      case 16:
        return blend_color16;
      case 24:
        return blend_color24;
      default:
        return blend_color32;
    }
  }
  blender_func alpha_hook() const {
    switch (depth_) {
      case 15:
        return alpha_hook15;
      case 16:
        return alpha_hook16;
      case 24:
        return alpha_hook24;
      default:
        return blend_hook32;
    }
  }

  // The slots of the current depth as cases.
  std::vector<slot_case> cases() {
    std::vector<slot_case> all;
    const uint32_t mask = mask_color_of(depth_);
    const uint32_t lim = limit();
    const int level = 77;
    const auto plain = [mask](uint32_t s, uint32_t, int, int, uint32_t &out) {
      if (s == mask) return false;
      out = s;
      return true;
    };
    all.push_back({"draw_sprite", depth_, false, false, draw_sprite, plain});
    all.push_back({"vflip", depth_, false, true, draw_sprite_vflip, plain});
    all.push_back({"hflip", depth_, true, false, draw_sprite_hflip, plain});
    all.push_back({"vhflip", depth_, true, true, draw_sprite_vhflip, plain});
    if (depth_ == 8) {
      all.push_back({"draw_sprite_8bit", 8, false, false, draw_sprite_8bit, plain});
      const unsigned char *shade = shade_.data();
      all.push_back({"trans", 8, false, false, draw_sprite_trans,
                     [shade](uint32_t s, uint32_t old, int, int, uint32_t &out) {
                       out = shade[s * 256 + old];  // 0 included
                       return true;
                     }});
      all.push_back(
          {"lit", 8, false, false,
           [level](bitmap *t, bitmap *s, int x, int y) { draw_sprite_lit(t, s, x, y, level); },
           [shade, level](uint32_t s, uint32_t, int, int, uint32_t &out) {
             if (s == 0) return false;
             out = shade[level * 256 + s];
             return true;
           }});
    } else {
      const uint32_t *colors = palette_color;
      all.push_back({"draw_sprite_8bit", 8, false, false, draw_sprite_8bit,
                     [colors, lim](uint32_t s, uint32_t, int, int, uint32_t &out) {
                       if (s == 0) return false;
                       out = colors[s] & lim;
                       return true;
                     }});
      const auto trans = [lim](uint32_t skip) {
        return [lim, skip](uint32_t s, uint32_t old, int, int, uint32_t &out) {
          if (s == skip) return false;
          out = scramble(s, old, 99) & lim;
          return true;
        };
      };
      all.push_back({"trans", depth_, false, false, draw_sprite_trans, trans(mask)});
      all.push_back({"trans_8bit_sprite", 8, false, false, draw_sprite_trans, trans(0)});
      const blender_func alpha = alpha_hook();
      all.push_back({"alpha", 32, false, false, draw_sprite_alpha,
                     [alpha, lim](uint32_t s, uint32_t old, int, int, uint32_t &out) {
                       if (s == 0xFF00FF) return false;
                       out = alpha(s, old, 99) & lim;
                       return true;
                     }});
      const uint32_t color = blend_color();
      all.push_back(
          {"lit", depth_, false, false,
           [level](bitmap *t, bitmap *s, int x, int y) { draw_sprite_lit(t, s, x, y, level); },
           [mask, lim, color, level](uint32_t s, uint32_t, int, int, uint32_t &out) {
             if (s == mask) return false;
             out = scramble(color, s, level) & lim;
             return true;
           }});
    }
    // Gouraud: levels 10, 250, 128, 0 at the corners, interpolated as 16.16 values.
    const int c1 = 10, c2 = 250, c3 = 128, c4 = 0;
    const unsigned char *shade = shade_.data();
    const uint32_t color = depth_ == 8 ? 0 : blend_color();
    const int depth = depth_;
    all.push_back({"gouraud", depth_, false, false,
                   [=](bitmap *t, bitmap *s, int x, int y) {
                     draw_sprite_gouraud(t, s, x, y, c1, c2, c3, c4);
                   },
                   [=](uint32_t s, uint32_t, int sx, int sy, uint32_t &out) {
                     if (s == mask) return false;
                     const int64_t left =
                         (int64_t{c1} << 16) + sy * ((int64_t{c4 - c1} << 16) / SPRITE_H);
                     const int64_t right =
                         (int64_t{c2} << 16) + sy * ((int64_t{c3 - c2} << 16) / SPRITE_H);
                     const int64_t value = left + sx * ((right - left) / SPRITE_W);
                     const auto lvl = static_cast<uint32_t>((value >> 16) + ((value >> 15) & 1));
                     out = depth == 8 ? shade[lvl * 256 + s] : scramble(s, color, lvl) & lim;
                     return true;
                   }});
    return all;
  }

  // The target after drawing a sprite at (x, y) by the rule, pixel by pixel.
  reference_image expected(const bitmap *target, const bitmap *sprite, const slot_case &c, int x,
                           int y) const {
    reference_image image = capture(target);
    for (int sy = 0; sy < sprite->height; ++sy) {
      for (int sx = 0; sx < sprite->width; ++sx) {
        const int tx = x + (c.hflip ? sprite->width - 1 - sx : sx);
        const int ty = y + (c.vflip ? sprite->height - 1 - sy : sy);
        if (target->clipping) {
          if (tx < target->clip_left || tx >= target->clip_right || ty < target->clip_top ||
              ty >= target->clip_bottom) {
            continue;
          }
        } else if (tx < 0 || tx >= target->width || ty < 0 || ty >= target->height) {
          continue;
        }
        uint32_t out = 0;
        if (c.rule(raw_pixel(sprite, sx, sy), image.at(tx, ty), sx, sy, out))
          image.at(tx, ty) = out;
      }
    }
    return image;
  }

  void check_all_placements(bool clipping) {
    for (const slot_case &c : cases()) {
      bitmap_ptr sprite = make_bitmap(c.sprite_depth, SPRITE_W, SPRITE_H);
      paint(sprite.get(), random_image(SPRITE_W, SPRITE_H, c.sprite_depth, rng_, 0.3));
      for (const placement &p : placements) {
        bitmap_ptr target = make_bitmap(depth_, TARGET_W, TARGET_H);
        paint(target.get(), random_image(TARGET_W, TARGET_H, depth_, rng_));
        set_clip_area(target.get(), 5, 4, 32, 23);
        if (!clipping) target->clipping = 0;
        const reference_image want = expected(target.get(), sprite.get(), c, p.x, p.y);
        c.draw(target.get(), sprite.get(), p.x, p.y);
        ASSERT_TRUE(bitmap_matches(target.get(), want))
            << c.name << " at (" << p.x << ", " << p.y << ")" << (clipping ? "" : " unclipped");
      }
    }
  }

  int depth_ = 8;
  std::mt19937 rng_;
  std::vector<unsigned char> shade_;
};

TEST_P(SpriteSlotTest, EverySlotMatchesTheReferenceInsideTheClipRectangle) {
  check_all_placements(true);
}

TEST_P(SpriteSlotTest, WithClippingOffSpritesReachPastTheClipRectangleButNotTheBitmap) {
  check_all_placements(false);
}

TEST_P(SpriteSlotTest, WideFlippedSpritesMatchTheReference) {
  // Rows long enough for the vectorised copies, odd in length, inside and cut at either side.
  constexpr int wide_w = 77, wide_h = 3, target_w = 120, target_h = 6;
  const int spots[][2] = {{20, 1}, {-19, 2}, {61, 0}};
  for (const slot_case &c : cases()) {
    if (!c.hflip && !c.vflip) continue;
    bitmap_ptr sprite = make_bitmap(depth_, wide_w, wide_h);
    paint(sprite.get(), random_image(wide_w, wide_h, depth_, rng_, 0.3));
    for (const auto &spot : spots) {
      bitmap_ptr target = make_bitmap(depth_, target_w, target_h);
      paint(target.get(), random_image(target_w, target_h, depth_, rng_));
      set_clip_area(target.get(), 2, 0, target_w - 3, target_h - 1);
      const reference_image want = expected(target.get(), sprite.get(), c, spot[0], spot[1]);
      c.draw(target.get(), sprite.get(), spot[0], spot[1]);
      ASSERT_TRUE(bitmap_matches(target.get(), want)) << c.name << " at x " << spot[0];
    }
  }
}

TEST_P(SpriteSlotTest, RunLengthSlotsDrawWhatTheSpriteSlotsDraw) {
  // The run-length form of a sprite draws like the sprite, except that its mask pixels are
  // transparent runs (the 8-bit translucent sprite draws its 0 pixels, the run sprite does not).
  for (const slot_case &c : cases()) {
    if (c.hflip || c.vflip || c.name == "gouraud" || c.name == "draw_sprite_8bit") continue;
    bitmap_ptr sprite = make_bitmap(c.sprite_depth, SPRITE_W, SPRITE_H);
    paint(sprite.get(), random_image(SPRITE_W, SPRITE_H, c.sprite_depth, rng_, 0.3));
    run_sprite *rle = create_run_sprite(sprite.get());
    ASSERT_NE(rle, nullptr);
    const uint32_t sprite_mask = mask_color_of(c.sprite_depth);
    slot_case masked = c;
    masked.rule = [&c, sprite_mask](uint32_t s, uint32_t old, int sx, int sy, uint32_t &out) {
      return s != sprite_mask && c.rule(s, old, sx, sy, out);
    };
    for (const placement &p : placements) {
      bitmap_ptr target = make_bitmap(depth_, TARGET_W, TARGET_H);
      paint(target.get(), random_image(TARGET_W, TARGET_H, depth_, rng_));
      set_clip_area(target.get(), 5, 4, 32, 23);
      const reference_image want = expected(target.get(), sprite.get(), masked, p.x, p.y);
      if (c.name == "draw_sprite") draw_rle(target.get(), rle, p.x, p.y);
      if (c.name == "trans" || c.name == "trans_8bit_sprite")
        draw_rle_trans(target.get(), rle, p.x, p.y);
      if (c.name == "alpha") draw_rle_alpha(target.get(), rle, p.x, p.y);
      if (c.name == "lit") draw_rle_lit(target.get(), rle, p.x, p.y, 77);
      ASSERT_TRUE(bitmap_matches(target.get(), want))
          << c.name << " run sprite at (" << p.x << ", " << p.y << ")";
    }
    destroy_run_sprite(rle);
  }
}

TEST_P(SpriteSlotTest, SpritesOfAnotherPixelSizeDrawNothing) {
  const int other = depth_ == 32 ? 16 : 32;
  bitmap_ptr sprite = make_bitmap(other, SPRITE_W, SPRITE_H);
  paint(sprite.get(), random_image(SPRITE_W, SPRITE_H, other, rng_));
  bitmap_ptr target = make_bitmap(depth_, TARGET_W, TARGET_H);
  paint(target.get(), random_image(TARGET_W, TARGET_H, depth_, rng_));
  const reference_image before = capture(target.get());
  draw_vtable *t = target->vtable;
  t->draw_sprite(target.get(), sprite.get(), 3, 3);
  t->draw_sprite_vflip(target.get(), sprite.get(), 3, 3);
  t->draw_sprite_hflip(target.get(), sprite.get(), 3, 3);
  t->draw_sprite_vhflip(target.get(), sprite.get(), 3, 3);
  t->draw_sprite_lit(target.get(), sprite.get(), 3, 3, 9);
  t->draw_sprite_gouraud(target.get(), sprite.get(), 3, 3, 1, 2, 3, 4);
  if (depth_ != 8) t->draw_sprite_8bit(target.get(), sprite.get(), 3, 3);
  if (depth_ != 32) t->draw_sprite_trans(target.get(), sprite.get(), 3, 3);
  if (depth_ == 32) {
    bitmap_ptr narrow = make_bitmap(24, 4, 4);
    t->draw_sprite_alpha(target.get(), narrow.get(), 3, 3);
  }
  EXPECT_TRUE(bitmap_matches(target.get(), before));
}

TEST_P(SpriteSlotTest, EmptyHooksAndTablesDrawNothing) {
  shade_table = nullptr;
  set_blend_hooks_ex(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0);
  bitmap_ptr sprite = make_bitmap(depth_, SPRITE_W, SPRITE_H);
  paint(sprite.get(), random_image(SPRITE_W, SPRITE_H, depth_, rng_));
  bitmap_ptr alpha = make_bitmap(32, SPRITE_W, SPRITE_H);
  paint(alpha.get(), random_image(SPRITE_W, SPRITE_H, 32, rng_));
  bitmap_ptr target = make_bitmap(depth_, TARGET_W, TARGET_H);
  paint(target.get(), random_image(TARGET_W, TARGET_H, depth_, rng_));
  const reference_image before = capture(target.get());
  draw_sprite_trans(target.get(), sprite.get(), 2, 2);
  draw_sprite_lit(target.get(), sprite.get(), 2, 2, 100);
  draw_sprite_gouraud(target.get(), sprite.get(), 2, 2, 1, 2, 3, 4);
  draw_sprite_alpha(target.get(), alpha.get(), 2, 2);
  EXPECT_TRUE(bitmap_matches(target.get(), before));
}

INSTANTIATE_TEST_SUITE_P(AllDepths, SpriteSlotTest, ::testing::Values(8, 15, 16, 24, 32),
                         [](const auto &p) { return "depth" + std::to_string(p.param); });

// ---- The library's own blenders take vectorised paths; they must agree with the blenders ------

class VectorPathTest : public ::testing::TestWithParam<int> {};

TEST_P(VectorPathTest, TranslucentAndAlphaSpritesEqualTheirBlenderPixelByPixel) {
  const int depth = GetParam();
  std::mt19937 rng(static_cast<unsigned>(depth) * 7);
  for (const uint32_t weight : {0u, 1u, 7u, 8u, 127u, 128u, 254u, 255u}) {
    select_mix_blend(0, 0, 0, static_cast<int>(weight));
    // Widths that leave every remainder of a vector's lane count.
    for (const int width : {1, 3, 8, 17, 64}) {
      bitmap_ptr sprite = make_bitmap(depth, width, 5);
      paint(sprite.get(), random_image(width, 5, depth, rng, 0.25));
      bitmap_ptr target = make_bitmap(depth, 80, 8);
      paint(target.get(), random_image(80, 8, depth, rng));
      reference_image want = capture(target.get());
      const blender_func hook = depth == 15   ? blend_hook15
                                : depth == 16 ? blend_hook16
                                              : blend_hook32;
      for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < width; ++x) {
          const uint32_t s = raw_pixel(sprite.get(), x, y);
          if (s == mask_color_of(depth)) continue;
          want.at(x + 2, y + 1) = hook(s, want.at(x + 2, y + 1), weight) & depth_value_mask(depth);
        }
      }
      draw_sprite_trans(target.get(), sprite.get(), 2, 1);
      ASSERT_TRUE(bitmap_matches(target.get(), want)) << "weight " << weight << " width " << width;
    }
  }
  if (depth != 32) return;
  select_alpha_blend();
  for (const int width : {1, 5, 9, 33}) {
    bitmap_ptr sprite = make_bitmap(32, width, 4);
    paint(sprite.get(), random_image(width, 4, 32, rng, 0.2));
    bitmap_ptr target = make_bitmap(32, 40, 6);
    paint(target.get(), random_image(40, 6, 32, rng));
    reference_image want = capture(target.get());
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint32_t s = raw_pixel(sprite.get(), x, y);
        if (s != 0xFF00FF) want.at(x + 3, y + 1) = blend_hook32(s, want.at(x + 3, y + 1), 0);
      }
    }
    draw_sprite_alpha(target.get(), sprite.get(), 3, 1);
    ASSERT_TRUE(bitmap_matches(target.get(), want)) << "alpha, width " << width;
  }
}

TEST_P(VectorPathTest, RunLengthTranslucentAndAlphaSpritesEqualTheirBlenderPixelByPixel) {
  const int depth = GetParam();
  std::mt19937 rng(static_cast<unsigned>(depth) * 11);
  // Cut by the clip rectangle (4..35 across) on the left, on the right and not at all; sprites
  // without transparent pixels give runs as wide as the sprite, with every remainder of a vector.
  const auto check = [&](const blender_func &hook, uint32_t weight, bool alpha) {
    for (const int width : {1, 6, 19, 40}) {
      for (const int x : {-3, 1, 4, 30}) {
        for (const double masked : {0.3, 0.0}) {
          bitmap_ptr sprite = make_bitmap(depth, width, 4);
          paint(sprite.get(), random_image(width, 4, depth, rng, masked));
          run_sprite *rle = create_run_sprite(sprite.get());
          ASSERT_NE(rle, nullptr);
          bitmap_ptr target = make_bitmap(depth, 48, 6);
          paint(target.get(), random_image(48, 6, depth, rng));
          set_clip_area(target.get(), 4, 0, 35, 5);  // corners inclusive
          reference_image want = capture(target.get());
          for (int y = 0; y < 4; ++y) {
            for (int sx = 0; sx < width; ++sx) {
              const uint32_t s = raw_pixel(sprite.get(), sx, y);
              const int tx = x + sx;
              if (s == mask_color_of(depth) || tx < 4 || tx >= 36) continue;
              want.at(tx, y + 1) = hook(s, want.at(tx, y + 1), weight) & depth_value_mask(depth);
            }
          }
          if (alpha) {
            draw_rle_alpha(target.get(), rle, x, 1);
          } else {
            draw_rle_trans(target.get(), rle, x, 1);
          }
          destroy_run_sprite(rle);
          ASSERT_TRUE(bitmap_matches(target.get(), want))
              << (alpha ? "alpha" : "trans") << " weight " << weight << " width " << width << " at "
              << x;
        }
      }
    }
  };
  const blender_func &hook = depth == 15 ? blend_hook15 : depth == 16 ? blend_hook16 : blend_hook32;
  for (const uint32_t weight : {0u, 1u, 8u, 128u, 255u}) {
    select_mix_blend(0, 0, 0, static_cast<int>(weight));
    check(hook, weight, false);
  }
  if (depth != 32) return;
  select_alpha_blend();
  check(blend_hook32, 0, true);
}

TEST(AlphaVectorPath, FollowsTheAlphaByteAtItsShiftAcrossWholeBlocksAndTails) {
  // The mix written out as plain arithmetic: weight a + 1 (0 for a = 0) from the byte at the shift.
  const auto reference = [](uint32_t s, uint32_t d, int shift) {
    const uint32_t a = (s >> shift) & 255u;
    const uint32_t w = a != 0 ? a + 1 : 0;
    const uint32_t rb = (d + ((w * ((s & 0xFF00FFu) - (d & 0xFF00FFu))) >> 8)) & 0xFF00FFu;
    const uint32_t g = ((d & 0xFF00u) + ((w * ((s & 0xFF00u) - (d & 0xFF00u))) >> 8)) & 0xFF00u;
    return rb | g;
  };
  const int saved_shift = alpha_shift_32;
  std::mt19937 rng(41);
  const uint32_t alphas[] = {0, 1, 2, 127, 254, 255};
  for (const int shift : {24, 0, 8}) {
    alpha_shift_32 = shift;
    select_alpha_blend();
    // 37 columns, cut to 35 by the clip rectangle: two 16-pixel blocks and a tail of three.
    bitmap_ptr sprite = make_bitmap(32, 37, 3);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 37; ++x) {
        const uint32_t a = x % 4 == 3 ? rng() & 255u : alphas[(x + y) % 6];
        const uint32_t s = (rng() & ~(255u << shift)) | (a << shift);
        set_raw_pixel(sprite.get(), x, y, x == 5 ? 0xFF00FFu : s);
      }
    }
    run_sprite *rle = create_run_sprite(sprite.get());
    ASSERT_NE(rle, nullptr);
    bitmap_ptr target = make_bitmap(32, 40, 5);
    paint(target.get(), random_image(40, 5, 32, rng));
    bitmap_ptr target_rle = make_bitmap(32, 40, 5);
    paint(target_rle.get(), capture(target.get()));
    reference_image want = capture(target.get());
    for (int y = 0; y < 3; ++y) {
      for (int x = 2; x < 37; ++x) {
        const uint32_t s = raw_pixel(sprite.get(), x, y);
        if (s != 0xFF00FFu) want.at(x - 2, y + 1) = reference(s, want.at(x - 2, y + 1), shift);
      }
    }
    draw_sprite_alpha(target.get(), sprite.get(), -2, 1);
    draw_rle_alpha(target_rle.get(), rle, -2, 1);
    destroy_run_sprite(rle);
    EXPECT_TRUE(bitmap_matches(target.get(), want)) << "alpha at shift " << shift;
    EXPECT_TRUE(bitmap_matches(target_rle.get(), want)) << "run sprite, alpha at shift " << shift;
  }
  alpha_shift_32 = saved_shift;
  select_alpha_blend();
}

INSTANTIATE_TEST_SUITE_P(MixDepths, VectorPathTest, ::testing::Values(15, 16, 32),
                         [](const auto &p) { return "depth" + std::to_string(p.param); });

// ---- Line accessors ----------------------------------------------------------------------------

int write_calls = 0;
int read_calls = 0;
int release_calls = 0;
unsigned char *counting_write(bitmap *bmp, int row) {
  ++write_calls;
  return bmp->lines[row];
}
unsigned char *counting_read(bitmap *bmp, int row) {
  ++read_calls;
  return bmp->lines[row];
}
void counting_release(bitmap *) { ++release_calls; }

class SpriteAccessorTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    depth_ = GetParam();
    std::mt19937 rng(static_cast<unsigned>(depth_) + 40);
    target_ = make_bitmap(depth_, 30, 20);
    paint(target_.get(), random_image(30, 20, depth_, rng));
    table_ = *target_->vtable;
    table_.release_line = counting_release;
    target_->vtable = &table_;
    target_->write_line = counting_write;
    target_->read_line = counting_read;
    set_clip_area(target_.get(), 2, 2, 25, 15);
    sprite_ = make_bitmap(depth_, 8, 6);
    paint(sprite_.get(), random_image(8, 6, depth_, rng, 0.2));
    alpha_ = make_bitmap(32, 8, 6);
    paint(alpha_.get(), random_image(8, 6, 32, rng, 0.2));
    shade_.assign(65536, 7);
    shade_table = shade_.data();
    select_mix_blend(1, 2, 3, 100);
    rle_ = create_run_sprite(sprite_.get());
    ASSERT_NE(rle_, nullptr);
  }
  void TearDown() override {
    destroy_run_sprite(rle_);
    shade_table = nullptr;
  }
  void reset_counts() { write_calls = read_calls = release_calls = 0; }

  // Draws with every sprite slot of the table at (x, y); returns how many slots were drawn.
  int draw_all(int x, int y) {
    bitmap *t = target_.get();
    int slots = 0;
    const auto call = [&](auto fn, auto... args) {
      if (fn != nullptr) {
        fn(t, args...);
        ++slots;
      }
    };
    call(table_.draw_sprite, sprite_.get(), x, y);
    call(table_.draw_sprite_vflip, sprite_.get(), x, y);
    call(table_.draw_sprite_hflip, sprite_.get(), x, y);
    call(table_.draw_sprite_vhflip, sprite_.get(), x, y);
    call(table_.draw_sprite_trans, sprite_.get(), x, y);
    call(table_.draw_sprite_lit, sprite_.get(), x, y, 40);
    call(table_.draw_sprite_gouraud, sprite_.get(), x, y, 1, 2, 3, 4);
    call(table_.draw_sprite_alpha, alpha_.get(), x, y);
    call(table_.draw_rle, static_cast<const run_sprite *>(rle_), x, y);
    call(table_.draw_rle_trans, static_cast<const run_sprite *>(rle_), x, y);
    call(table_.draw_rle_lit, static_cast<const run_sprite *>(rle_), x, y, 40);
    return slots;
  }

  int depth_ = 8;
  bitmap_ptr target_;
  draw_vtable table_{};
  bitmap_ptr sprite_;
  bitmap_ptr alpha_;
  run_sprite *rle_ = nullptr;
  std::vector<unsigned char> shade_;
};

TEST_P(SpriteAccessorTest, MemoryBitmapsUseTheirLineTable) {
  reset_counts();
  draw_all(5, 5);
  EXPECT_EQ(write_calls + read_calls + release_calls, 0);
}

TEST_P(SpriteAccessorTest, DisplayAndSystemBitmapsGoThroughTheAccessors) {
  for (const uint32_t flag : {BITMAP_FLAG_VIDEO, BITMAP_FLAG_SYSTEM}) {
    target_->flags = flag;
    // A sprite cut by the clip rectangle's top: 6 rows at y = 0 leave 4 rows inside.
    reset_counts();
    bitmap *t = target_.get();
    table_.draw_sprite(t, sprite_.get(), 4, 0);
    EXPECT_EQ(write_calls, 4);
    EXPECT_EQ(read_calls, 0);
    EXPECT_EQ(release_calls, 1);
    reset_counts();
    table_.draw_sprite_trans(t, sprite_.get(), 4, 3);
    EXPECT_EQ(write_calls, 6);
    EXPECT_EQ(read_calls, 6);  // the old value is read
    EXPECT_EQ(release_calls, 1);
    reset_counts();
    table_.draw_sprite_lit(t, sprite_.get(), 4, 3, 9);
    EXPECT_EQ(write_calls, 6);
    EXPECT_EQ(read_calls, 0);  // lit sprites do not read the target
    reset_counts();
    table_.draw_rle(t, rle_, 4, 3);
    EXPECT_EQ(write_calls, 6);
    EXPECT_EQ(release_calls, 1);
    // Every slot: at least one write per drawn row and one release per call.
    reset_counts();
    const int slots = draw_all(6, 6);
    EXPECT_EQ(release_calls, slots);
    EXPECT_GE(write_calls, slots * 6);
  }
}

TEST_P(SpriteAccessorTest, SpritesOutsideTheClipRectangleCallNoAccessor) {
  target_->flags = BITMAP_FLAG_VIDEO;
  const reference_image before = capture(target_.get());
  reset_counts();
  draw_all(-7, 5);  // wholly left of the clip rectangle (which starts at column 2)
  draw_all(26, 5);  // wholly right
  draw_all(5, -5);  // wholly above
  draw_all(5, 16);  // wholly below
  EXPECT_EQ(write_calls + read_calls + release_calls, 0);
  EXPECT_TRUE(bitmap_matches(target_.get(), before));
}

INSTANTIATE_TEST_SUITE_P(AllDepths, SpriteAccessorTest, ::testing::Values(8, 15, 16, 24, 32),
                         [](const auto &p) { return "depth" + std::to_string(p.param); });

// ---- Particular cases --------------------------------------------------------------------------

TEST(SpriteCases, EightBitTranslucentSpriteChangesTheTargetWhereItHoldsZero) {
  bitmap_ptr target = make_bitmap(8, 4, 1);
  bitmap_ptr sprite = make_bitmap(8, 4, 1);
  clear_to_color(target.get(), 5);
  clear_to_color(sprite.get(), 0);
  std::vector<unsigned char> shade(65536, 0);
  shade[0 * 256 + 5] = 9;  // [new 0][old 5]
  shade_table = shade.data();
  draw_sprite_trans(target.get(), sprite.get(), 0, 0);
  shade_table = nullptr;
  for (int x = 0; x < 4; ++x) EXPECT_EQ(raw_pixel(target.get(), x, 0), 9u);
}

TEST(SpriteCases, DrawSpriteTakesEightBitSpritesThroughThePalette) {
  set_color_depth(16);
  palette_color[3] = 0xBEEF;
  bitmap_ptr target = make_bitmap(16, 3, 1);
  bitmap_ptr sprite = make_bitmap(8, 3, 1);
  clear_to_color(target.get(), 0x1111);
  put_pixel(sprite.get(), 0, 0, 3);
  put_pixel(sprite.get(), 1, 0, 0);
  put_pixel(sprite.get(), 2, 0, 3);
  draw_sprite(target.get(), sprite.get(), 0, 0);
  EXPECT_EQ(raw_pixel(target.get(), 0, 0), 0xBEEFu);
  EXPECT_EQ(raw_pixel(target.get(), 1, 0), 0x1111u);
  EXPECT_EQ(raw_pixel(target.get(), 2, 0), 0xBEEFu);
  set_color_depth(8);
}

TEST(SpriteCases, FlipsAreCutOnTheTargetRectangle) {
  // A 4x1 sprite "ABCD" mirrored at x = -1: the target shows C B A (D fell off the left edge).
  bitmap_ptr target = make_bitmap(32, 4, 1);
  bitmap_ptr sprite = make_bitmap(32, 4, 1);
  clear_to_color(target.get(), 0);
  for (int x = 0; x < 4; ++x) put_pixel(sprite.get(), x, 0, 0xA0 + x);
  draw_sprite_hflip(target.get(), sprite.get(), -1, 0);
  EXPECT_EQ(raw_pixel(target.get(), 0, 0), 0xA2u);
  EXPECT_EQ(raw_pixel(target.get(), 1, 0), 0xA1u);
  EXPECT_EQ(raw_pixel(target.get(), 2, 0), 0xA0u);
  EXPECT_EQ(raw_pixel(target.get(), 3, 0), 0u);
}

TEST(SpriteCases, HugePositionsAndLightLevelsAreSafe) {
  bitmap_ptr target = make_bitmap(8, 16, 16);
  bitmap_ptr sprite = make_bitmap(8, 8, 8);
  clear_to_color(target.get(), 1);
  clear_to_color(sprite.get(), 2);
  std::vector<unsigned char> shade(65536, 3);
  shade_table = shade.data();
  draw_sprite(target.get(), sprite.get(), INT32_MAX, INT32_MAX);
  draw_sprite(target.get(), sprite.get(), INT32_MIN, INT32_MIN);
  draw_sprite_vhflip(target.get(), sprite.get(), INT32_MAX - 2, 0);
  draw_sprite_lit(target.get(), sprite.get(), 0, 0, 100000);  // level cut to 255
  draw_sprite_gouraud(target.get(), sprite.get(), 8, 8, INT32_MAX, INT32_MIN, -5, 999);
  shade_table = nullptr;
  EXPECT_EQ(raw_pixel(target.get(), 0, 0), 3u);
  EXPECT_EQ(raw_pixel(target.get(), 15, 15), 3u);
  EXPECT_EQ(raw_pixel(target.get(), 8, 0), 1u);
}

TEST(SpriteCases, ZeroSizedSpritesDrawNothing) {
  bitmap_ptr target = make_bitmap(32, 8, 8);
  clear_to_color(target.get(), 0x123);
  select_mix_blend(0, 0, 0, 10);
  for (const auto &[w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
    bitmap_ptr sprite = make_bitmap(32, w, h);
    ASSERT_NE(sprite, nullptr);
    draw_sprite(target.get(), sprite.get(), 1, 1);
    draw_sprite_gouraud(target.get(), sprite.get(), 1, 1, 0, 255, 0, 255);
    draw_sprite_trans(target.get(), sprite.get(), 1, 1);
  }
  EXPECT_EQ(raw_pixel(target.get(), 1, 1), 0x123u);
}

}  // namespace
