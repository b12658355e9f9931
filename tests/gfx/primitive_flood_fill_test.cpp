// Flood fill: the 4-connected region of the seed colour within the clip rectangle, against a
// breadth-first search written here, over random images at every depth; drawing modes that leave
// the seed colour in place; the seed at the edges; and bitmaps wider or taller than 32767 pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "corvane/blend.h"
#include "corvane/draw.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::capture;
using corvane::testing::depth_value_mask;
using corvane::testing::make_bitmap;
using corvane::testing::paint;
using corvane::testing::raw_pixel;
using corvane::testing::reference_image;

// The region by breadth-first search, each pixel changed by apply.
template <class Apply>
reference_image model_fill(const bitmap *bmp, int sx, int sy, Apply apply) {
  reference_image image = capture(bmp);
  const int left = bmp->clipping ? bmp->clip_left : 0;
  const int top = bmp->clipping ? bmp->clip_top : 0;
  const int right = bmp->clipping ? bmp->clip_right : bmp->width;
  const int bottom = bmp->clipping ? bmp->clip_bottom : bmp->height;
  if (sx < left || sx >= right || sy < top || sy >= bottom) return image;
  const uint32_t seed = image.at(sx, sy);
  std::vector<char> seen(static_cast<size_t>(bmp->width) * bmp->height, 0);
  std::deque<std::pair<int, int>> queue{{sx, sy}};
  seen[static_cast<size_t>(sy) * bmp->width + sx] = 1;
  const reference_image before = image;
  while (!queue.empty()) {
    const auto [x, y] = queue.front();
    queue.pop_front();
    image.at(x, y) = apply(before.at(x, y));
    const int nx[4] = {x - 1, x + 1, x, x};
    const int ny[4] = {y, y, y - 1, y + 1};
    for (int k = 0; k < 4; ++k) {
      if (nx[k] < left || nx[k] >= right || ny[k] < top || ny[k] >= bottom) continue;
      char &s = seen[static_cast<size_t>(ny[k]) * bmp->width + nx[k]];
      if (s || before.at(nx[k], ny[k]) != seed) continue;
      s = 1;
      queue.emplace_back(nx[k], ny[k]);
    }
  }
  return image;
}

// A random image of two colours (and a few others), so that regions are large and ragged.
reference_image maze(int w, int h, int depth, std::mt19937 &rng, double wall_share) {
  reference_image image(w, h, depth);
  std::uniform_real_distribution<double> u(0, 1);
  for (auto &p : image.pixels) {
    const double r = u(rng);
    p = r < wall_share ? 1 : r < wall_share + 0.02 ? 2 : 3;
  }
  return image;
}

class FloodFillTest : public ::testing::TestWithParam<int> {};

TEST_P(FloodFillTest, FillsTheFourConnectedRegionWithinTheClipRectangle) {
  const int depth = GetParam();
  std::mt19937 rng(static_cast<unsigned>(depth) + 100);
  bitmap_ptr bmp = make_bitmap(depth, 61, 47);
  for (int i = 0; i < 60; ++i) {
    paint(bmp.get(), maze(61, 47, depth, rng, i % 2 ? 0.35 : 0.45));
    if (i % 3 == 0) {
      set_clip_area(bmp.get(), 0, 0, 0, 0);
    } else {
      set_clip_area(bmp.get(), 4, 3, 55, 40);
    }
    const int x = static_cast<int>(rng() % 61);
    const int y = static_cast<int>(rng() % 47);
    const uint32_t color = 0x50 + static_cast<uint32_t>(i);
    const reference_image want = model_fill(bmp.get(), x, y, [color](uint32_t) { return color; });
    flood_fill(bmp.get(), x, y, static_cast<int>(color));
    ASSERT_TRUE(bitmap_matches(bmp.get(), want)) << "fill " << i << " from " << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(AllDepths, FloodFillTest, ::testing::Values(8, 15, 16, 24, 32),
                         [](const auto &p) { return "depth" + std::to_string(p.param); });

TEST(FloodFill, SeedOfTheFillColourOrOutsideChangesNothing) {
  std::mt19937 rng(7);
  bitmap_ptr bmp = make_bitmap(8, 30, 20);
  paint(bmp.get(), maze(30, 20, 8, rng, 0.3));
  const reference_image before = capture(bmp.get());
  flood_fill(bmp.get(), 5, 5, static_cast<int>(raw_pixel(bmp.get(), 5, 5)));
  set_clip_area(bmp.get(), 10, 10, 20, 15);
  flood_fill(bmp.get(), 5, 5, 9);
  flood_fill(bmp.get(), 21, 12, 9);
  flood_fill(bmp.get(), -1, 12, 9);
  flood_fill(bmp.get(), 15, 1 << 30, 9);
  EXPECT_TRUE(bitmap_matches(bmp.get(), before));
}

TEST(FloodFill, EveryPixelOfTheRegionIsDrawnOnceWhateverTheMode) {
  std::mt19937 rng(8);
  bitmap_ptr bmp = make_bitmap(32, 50, 40);
  // XOR: each pixel of the region once.
  paint(bmp.get(), maze(50, 40, 32, rng, 0.4));
  set_draw_mode(MODE_XOR, nullptr, 0, 0);
  reference_image want = model_fill(bmp.get(), 25, 20, [](uint32_t v) { return v ^ 0x700; });
  flood_fill(bmp.get(), 25, 20, 0x700);
  EXPECT_TRUE(bitmap_matches(bmp.get(), want));
  // A blender that leaves the pixel as it was: the region keeps the seed colour, and the fill
  // must still end, having drawn each pixel once.
  static int calls = 0;
  set_blend_hooks(
      [](uint32_t, uint32_t y, uint32_t) {
        ++calls;
        return y;
      },
      nullptr, nullptr, 0, 0, 0, 0);
  blend_hook32 = blend_hook15;
  paint(bmp.get(), maze(50, 40, 32, rng, 0.4));
  set_draw_mode(MODE_TRANSLUCENT, nullptr, 0, 0);
  int region = 0;
  model_fill(bmp.get(), 10, 10, [&region](uint32_t v) {
    ++region;
    return v;
  });
  flood_fill(bmp.get(), 10, 10, 0x123);
  set_draw_mode(MODE_SOLID, nullptr, 0, 0);
  EXPECT_EQ(calls, region);
}

TEST(FloodFill, BitmapsBeyond32767PixelsAreFilledWhole) {
  // A tall column with a wall across the middle and a wide row with one: the filled part ends at
  // the wall, however far from row or column 0 it lies.
  bitmap_ptr tall = make_bitmap(8, 3, 70000);
  clear_to_color(tall.get(), 1);
  draw_hline(tall.get(), 0, 40000, 2, 2);
  flood_fill(tall.get(), 1, 69999, 5);
  for (int y : {0, 39999}) EXPECT_EQ(raw_pixel(tall.get(), 1, y), 1u) << y;
  for (int y : {40001, 50000, 69999}) EXPECT_EQ(raw_pixel(tall.get(), 0, y), 5u) << y;
  flood_fill(tall.get(), 2, 0, 6);
  EXPECT_EQ(raw_pixel(tall.get(), 0, 39999), 6u);
  EXPECT_EQ(raw_pixel(tall.get(), 2, 32768), 6u);
  EXPECT_EQ(raw_pixel(tall.get(), 2, 40000), 2u);

  bitmap_ptr wide = make_bitmap(8, 70000, 3);
  clear_to_color(wide.get(), 1);
  draw_vline(wide.get(), 33000, 0, 1, 2);  // a wall with a gap on the last row
  flood_fill(wide.get(), 69999, 0, 7);
  EXPECT_EQ(raw_pixel(wide.get(), 0, 0), 7u);
  EXPECT_EQ(raw_pixel(wide.get(), 33000, 2), 7u);
  EXPECT_EQ(raw_pixel(wide.get(), 33000, 0), 2u);
  EXPECT_EQ(raw_pixel(wide.get(), 40000, 1), 7u);
}

// A serpentine (a corridor folding back and forth) and a comb (teeth hanging from one bar): the
// work, counted as pixels read, stays within a few reads per pixel of the bitmap. A search that
// makes passes until nothing changes reads the whole picture once per fold.
int pixels_read = 0;
int (*real_get_pixel)(bitmap *, int, int) = nullptr;
int counting_get_pixel(bitmap *bmp, int x, int y) {
  ++pixels_read;
  return real_get_pixel(bmp, x, y);
}

TEST(FloodFill, WorkGrowsWithThePixelsFilled) {
  constexpr int side = 300;
  for (const bool comb : {false, true}) {
    bitmap_ptr bmp = make_bitmap(8, side, side);
    clear_to_color(bmp.get(), 1);
    for (int i = 1; i < side - 1; i += 2) {
      if (comb) {
        draw_vline(bmp.get(), i, 1, side - 1, 2);  // teeth open only at the top
      } else {
        // Rows of wall with the gap alternating between the two ends.
        draw_hline(bmp.get(), i % 4 == 1 ? 0 : 1, i, i % 4 == 1 ? side - 2 : side - 1, 2);
      }
    }
    const reference_image expected = model_fill(bmp.get(), 0, comb ? side - 1 : 0,
                                                [](uint32_t) { return 5u; });
    draw_vtable counting = *bmp->vtable;
    real_get_pixel = counting.get_pixel;
    counting.get_pixel = counting_get_pixel;
    draw_vtable *own = bmp->vtable;
    bmp->vtable = &counting;
    pixels_read = 0;
    flood_fill(bmp.get(), 0, comb ? side - 1 : 0, 5);
    bmp->vtable = own;
    EXPECT_TRUE(bitmap_matches(bmp.get(), expected)) << (comb ? "comb" : "serpentine");
    EXPECT_LE(pixels_read, 6 * side * side) << (comb ? "comb" : "serpentine");
  }
}

}  // namespace
