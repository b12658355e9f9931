// The whole-row paths of alpha sprites, bitmap and run-length, onto 15-, 16- and 24-bit targets,
// in both component orders, against the alpha hook pixel by pixel.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "gfx/depth/avx2_clones.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::capture;
using corvane::testing::depth_value_mask;
using corvane::testing::make_bitmap;
using corvane::testing::paint;
using corvane::testing::random_image;
using corvane::testing::raw_pixel;
using corvane::testing::reference_image;
using corvane::testing::set_raw_pixel;

struct saved_layouts {
  int shifts[13] = {red_shift_15,   green_shift_15, blue_shift_15,  red_shift_16,  green_shift_16,
                    blue_shift_16,  red_shift_24,   green_shift_24, blue_shift_24, red_shift_32,
                    green_shift_32, blue_shift_32,  alpha_shift_32};
  ~saved_layouts() {
    red_shift_15 = shifts[0], green_shift_15 = shifts[1], blue_shift_15 = shifts[2];
    red_shift_16 = shifts[3], green_shift_16 = shifts[4], blue_shift_16 = shifts[5];
    red_shift_24 = shifts[6], green_shift_24 = shifts[7], blue_shift_24 = shifts[8];
    red_shift_32 = shifts[9], green_shift_32 = shifts[10], blue_shift_32 = shifts[11];
    alpha_shift_32 = shifts[12];
    select_alpha_blend();
  }
};

// The target's layout with red in the same place as the 32-bit source's (red at the bottom) or
// with red and blue exchanged.
void use_target_order(int depth, bool swapped) {
  red_shift_32 = 0, green_shift_32 = 8, blue_shift_32 = 16, alpha_shift_32 = 24;
  const int top = depth == 15 ? 10 : depth == 16 ? 11 : 16;
  const int low = swapped ? top : 0;
  const int high = swapped ? 0 : top;
  if (depth == 15) red_shift_15 = low, green_shift_15 = 5, blue_shift_15 = high;
  if (depth == 16) red_shift_16 = low, green_shift_16 = 5, blue_shift_16 = high;
  if (depth == 24) red_shift_24 = low, green_shift_24 = 8, blue_shift_24 = high;
}

blender_func alpha_hook_of(int depth) {
  return depth == 15 ? alpha_hook15 : depth == 16 ? alpha_hook16 : alpha_hook24;
}

class NarrowAlphaTest : public ::testing::TestWithParam<int> {};

TEST_P(NarrowAlphaTest, BitmapAndRunLengthAlphaSpritesEqualTheAlphaHookPixelByPixel) {
  const int depth = GetParam();
  const saved_layouts saved;
  std::mt19937 rng(static_cast<unsigned>(depth) * 13);
  const uint32_t alphas[] = {0, 1, 7, 8, 127, 254, 255};
  for (const bool swapped : {false, true}) {
    use_target_order(depth, swapped);
    select_alpha_blend();
    // Alpha at the top byte as selected, then moved to the bottom byte after the hooks were set:
    // both the hook and the row loop follow the shift as it is when drawing.
    for (const int shift : {24, 0}) {
      alpha_shift_32 = shift;
      const blender_func hook = alpha_hook_of(depth);
      // Widths with every remainder; placed whole, cut on the left and cut on the right by the
      // clip rectangle (columns 3-36).
      for (const int width : {1, 7, 33}) {
        for (const int x : {5, -4, 30}) {
          bitmap_ptr sprite = make_bitmap(32, width, 4);
          for (int sy = 0; sy < 4; ++sy) {
            for (int sx = 0; sx < width; ++sx) {
              const uint32_t a = alphas[static_cast<size_t>(sx + sy) % 7];
              const uint32_t s = (rng() & ~(255u << shift)) | (a << shift);
              set_raw_pixel(sprite.get(), sx, sy, (sx * 5 + sy) % 11 == 4 ? 0xFF00FFu : s);
            }
          }
          bitmap_ptr target = make_bitmap(depth, 40, 6);
          paint(target.get(), random_image(40, 6, depth, rng));
          set_clip_area(target.get(), 3, 0, 36, 5);  // corners inclusive
          reference_image want = capture(target.get());
          for (int sy = 0; sy < 4; ++sy) {
            for (int sx = 0; sx < width; ++sx) {
              const uint32_t s = raw_pixel(sprite.get(), sx, sy);
              const int tx = x + sx;
              if (s == 0xFF00FFu || tx < 3 || tx > 36) continue;
              want.at(tx, sy + 1) = hook(s, want.at(tx, sy + 1), 0) & depth_value_mask(depth);
            }
          }
          // The run-length form of the same sprite onto a copy of the target: whole runs of
          // 32-bit units onto 2- or 3-byte pixels.
          run_sprite *rle = create_run_sprite(sprite.get());
          ASSERT_NE(rle, nullptr);
          bitmap_ptr target_rle = make_bitmap(depth, 40, 6);
          paint(target_rle.get(), capture(target.get()));
          set_clip_area(target_rle.get(), 3, 0, 36, 5);
          draw_sprite_alpha(target.get(), sprite.get(), x, 1);
          draw_rle_alpha(target_rle.get(), rle, x, 1);
          destroy_run_sprite(rle);
          const char *order = swapped ? "swapped" : "same";
          ASSERT_TRUE(bitmap_matches(target.get(), want))
              << order << " order, alpha at " << shift << ", width " << width << " at " << x;
          ASSERT_TRUE(bitmap_matches(target_rle.get(), want))
              << "run sprite, " << order << " order, alpha at " << shift << ", width " << width
              << " at " << x;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(NarrowDepths, NarrowAlphaTest, ::testing::Values(15, 16, 24),
                         [](const auto &p) { return "depth" + std::to_string(p.param); });

// The 32-bit loops finish a row or run with blocks that overlap the ones before them: every pixel
// must still be blended exactly once, whatever the length. Lengths 1-40 give every ending of the
// 16-, 8- and 4-pixel blocks; 16k + 1 overlaps a block by all but one pixel. The loops have a copy
// per register width: each one the processor can run is checked.
class WideBlendPath : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (GetParam() > corvane::depth::processor_register_bytes()) {
      GTEST_SKIP() << "the processor has no " << GetParam() << "-byte registers";
    }
    corvane::depth::register_bytes_limit = GetParam();
  }
  void TearDown() override { corvane::depth::register_bytes_limit = 64; }
};

TEST_P(WideBlendPath, RowsAndRunsOfEveryLengthAreBlendedOnce) {
  std::vector<int> lengths;
  for (int n = 1; n <= 40; ++n) lengths.push_back(n);
  for (const int n : {49, 65, 81}) lengths.push_back(n);
  std::mt19937 rng(77);
  // One sprite row holding a literal run of every length, each followed by a transparent pixel.
  int width = 0;
  for (const int n : lengths) width += n + 1;
  for (const bool alpha : {false, true}) {
    if (alpha) {
      select_alpha_blend();
    } else {
      select_mix_blend(0, 0, 0, 128);
    }
    const auto reference = [&](const bitmap *sprite, bitmap *target, int x, int clip_left) {
      reference_image want = capture(target);
      for (int sy = 0; sy < sprite->height; ++sy) {
        for (int sx = 0; sx < sprite->width; ++sx) {
          const uint32_t s = raw_pixel(sprite, sx, sy);
          if (s == 0xFF00FFu || x + sx < clip_left) continue;
          want.at(x + sx, sy + 1) = blend_hook32(s, want.at(x + sx, sy + 1), 128);
        }
      }
      return want;
    };
    const auto draw = [alpha](bitmap *target, bitmap *sprite, int x) {
      if (alpha) {
        draw_sprite_alpha(target, sprite, x, 1);
      } else {
        draw_sprite_trans(target, sprite, x, 1);
      }
    };
    const auto draw_rle = [alpha](bitmap *target, const run_sprite *rle, int x) {
      if (alpha) {
        draw_rle_alpha(target, rle, x, 1);
      } else {
        draw_rle_trans(target, rle, x, 1);
      }
    };
    // Bitmap sprites as wide as each length, with no transparent pixel.
    for (const int n : lengths) {
      bitmap_ptr sprite = make_bitmap(32, n, 2);
      paint(sprite.get(), random_image(n, 2, 32, rng));
      bitmap_ptr target = make_bitmap(32, n + 2, 4);
      paint(target.get(), random_image(n + 2, 4, 32, rng));
      const reference_image want = reference(sprite.get(), target.get(), 1, 0);
      draw(target.get(), sprite.get(), 1);
      ASSERT_TRUE(bitmap_matches(target.get(), want)) << (alpha ? "alpha" : "trans") << " " << n;
    }
    // The run sprite whole (one call for all runs) and cut by one column on the left (a call per
    // run); the bitmap form of the same pixels, whose rows hold transparent pixels.
    bitmap_ptr sprite = make_bitmap(32, width, 2);
    paint(sprite.get(), random_image(width, 2, 32, rng));
    for (int sy = 0; sy < 2; ++sy) {
      int sx = 0;
      for (const int n : lengths) {
        sx += n;
        set_raw_pixel(sprite.get(), sx++, sy, 0xFF00FFu);
      }
    }
    run_sprite *rle = create_run_sprite(sprite.get());
    ASSERT_NE(rle, nullptr);
    for (const int clip_left : {0, 1}) {
      bitmap_ptr target = make_bitmap(32, width, 4);
      paint(target.get(), random_image(width, 4, 32, rng));
      set_clip_area(target.get(), clip_left, 0, width - 1, 3);
      const reference_image want = reference(sprite.get(), target.get(), 0, clip_left);
      bitmap_ptr target_bitmap = make_bitmap(32, width, 4);
      paint(target_bitmap.get(), capture(target.get()));
      set_clip_area(target_bitmap.get(), clip_left, 0, width - 1, 3);
      draw_rle(target.get(), rle, 0);
      draw(target_bitmap.get(), sprite.get(), 0);
      EXPECT_TRUE(bitmap_matches(target.get(), want))
          << (alpha ? "alpha" : "trans") << " runs, clip from " << clip_left;
      EXPECT_TRUE(bitmap_matches(target_bitmap.get(), want))
          << (alpha ? "alpha" : "trans") << " bitmap, clip from " << clip_left;
    }
    destroy_run_sprite(rle);
  }
  select_alpha_blend();
}

INSTANTIATE_TEST_SUITE_P(RegisterWidths, WideBlendPath, ::testing::Values(16, 32, 64),
                         [](const auto &p) { return "bytes" + std::to_string(p.param); });

}  // namespace
