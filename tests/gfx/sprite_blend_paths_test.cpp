// The whole-row paths of alpha sprites onto 15-, 16- and 24-bit targets, in both component orders,
// against the alpha hook pixel by pixel.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

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

TEST_P(NarrowAlphaTest, AlphaSpritesEqualTheAlphaHookPixelByPixel) {
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
          draw_sprite_alpha(target.get(), sprite.get(), x, 1);
          ASSERT_TRUE(bitmap_matches(target.get(), want))
              << (swapped ? "swapped" : "same") << " order, alpha at " << shift << ", width "
              << width << " at " << x;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(NarrowDepths, NarrowAlphaTest, ::testing::Values(15, 16, 24),
                         [](const auto &p) { return "depth" + std::to_string(p.param); });

}  // namespace
