// Lines: the Bresenham walk against the step rule written out here, draw_line's clipped and far-
// reaching lines, its use of the line routines and of the clip shortcut, and draw_fast_line's
// region-code clipping.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "corvane/draw.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::capture;
using corvane::testing::make_bitmap;
using corvane::testing::raw_pixel;
using corvane::testing::reference_image;

using point = std::pair<int, int>;

// The step rule: plot, move along the major axis, and along the minor one when the decision value
// is at least 0.
std::vector<point> model_line(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
  const int64_t dx = x2 - x1;
  const int64_t dy = y2 - y1;
  const bool x_major = std::llabs(dx) >= std::llabs(dy);
  const int64_t a = x_major ? std::llabs(dx) : std::llabs(dy);
  const int64_t b = x_major ? std::llabs(dy) : std::llabs(dx);
  const int64_t sx = dx < 0 ? -1 : 1;
  const int64_t sy = dy < 0 ? -1 : 1;
  int64_t d = 2 * b - a;
  int64_t x = x1;
  int64_t y = y1;
  std::vector<point> points;
  for (int64_t k = 0; k <= a; ++k) {
    points.emplace_back(static_cast<int>(x), static_cast<int>(y));
    if (x_major) {
      x += sx;
    } else {
      y += sy;
    }
    if (d >= 0) {
      if (x_major) {
        y += sy;
      } else {
        x += sx;
      }
      d += 2 * (b - a);
    } else {
      d += 2 * b;
    }
  }
  return points;
}

std::vector<point> recorded;
void record(bitmap *, int x, int y, int) { recorded.emplace_back(x, y); }

std::vector<point> walked(int x1, int y1, int x2, int y2) {
  recorded.clear();
  walk_line(nullptr, x1, y1, x2, y2, 0, record);
  return recorded;
}

TEST(WalkLine, DecisionValueZeroCountsAsAStep) {
  const std::vector<point> want = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}};
  EXPECT_EQ(walked(0, 0, 4, 2), want);
}

TEST(WalkLine, OnePointLineCallsOnce) {
  const std::vector<point> want = {{7, -3}};
  EXPECT_EQ(walked(7, -3, 7, -3), want);
}

TEST(WalkLine, DirectionMatters) {
  const std::vector<point> forward = walked(0, 0, 4, 2);
  std::vector<point> backward = walked(4, 2, 0, 0);
  EXPECT_EQ(backward.front(), point(4, 2));
  EXPECT_EQ(backward.back(), point(0, 0));
  EXPECT_NE(std::set<point>(forward.begin(), forward.end()),
            std::set<point>(backward.begin(), backward.end()));
}

TEST(WalkLine, FollowsTheStepRuleInEveryDirection) {
  std::mt19937 rng(1);
  std::uniform_int_distribution<int> coord(-60, 60);
  for (int i = 0; i < 3000; ++i) {
    const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
    ASSERT_EQ(walked(x1, y1, x2, y2), model_line(x1, y1, x2, y2))
        << x1 << "," << y1 << " -> " << x2 << "," << y2;
  }
  // Equal |dx| and |dy| walk along x: a plain diagonal.
  EXPECT_EQ(walked(0, 0, -3, 3), (std::vector<point>{{0, 0}, {-1, 1}, {-2, 2}, {-3, 3}}));
  EXPECT_EQ(
      walked(INT_MAX, INT_MIN, INT_MAX, INT_MIN + 2),
      (std::vector<point>{{INT_MAX, INT_MIN}, {INT_MAX, INT_MIN + 1}, {INT_MAX, INT_MIN + 2}}));
}

// The pixels of the step rule that land inside the clip rectangle (or the bitmap).
reference_image model_drawn(const bitmap *bmp, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                            uint32_t color) {
  reference_image image = capture(bmp);
  for (const auto &[x, y] : model_line(x1, y1, x2, y2)) {
    const bool inside = bmp->clipping ? x >= bmp->clip_left && x < bmp->clip_right &&
                                            y >= bmp->clip_top && y < bmp->clip_bottom
                                      : x >= 0 && x < bmp->width && y >= 0 && y < bmp->height;
    if (inside) image.at(x, y) = color;
  }
  return image;
}

TEST(DrawLine, ClippedLinesDrawTheWalkedPixelsInsideTheClipRectangle) {
  std::mt19937 rng(2);
  std::uniform_int_distribution<int> coord(-30, 70);
  for (const int depth : {8, 16, 24, 32}) {
    bitmap_ptr bmp = make_bitmap(depth, 40, 30);
    for (int i = 0; i < 400; ++i) {
      clear_to_color(bmp.get(), 0);
      if (i % 3 == 0) {
        set_clip_area(bmp.get(), 0, 0, 0, 0);  // clipping off
      } else {
        set_clip_area(bmp.get(), 5, 3, 33, 24);
      }
      const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
      const reference_image want = model_drawn(bmp.get(), x1, y1, x2, y2, 9);
      draw_line(bmp.get(), x1, y1, x2, y2, 9);
      ASSERT_TRUE(bitmap_matches(bmp.get(), want))
          << x1 << "," << y1 << " -> " << x2 << "," << y2 << " depth " << depth;
    }
  }
}

TEST(DrawLine, FarReachingLinesMatchTheFullWalk) {
  // Lines whose ends lie millions of pixels away: only the steps near the bitmap are walked, and
  // they must be the steps the full walk would make.
  bitmap_ptr bmp = make_bitmap(8, 50, 40);
  const int cases[][4] = {{-10000000, 3, 10000000, 30},
                          {9000001, -7000000, -8999999, 7000039},
                          {25, -12000000, 20, 12000000},
                          {-5000000, 5000010, 5000000, -4999990},
                          {-3000000, 17, 45, 20}};
  for (const auto &c : cases) {
    for (const bool clip : {false, true}) {
      clear_to_color(bmp.get(), 0);
      if (clip) {
        set_clip_area(bmp.get(), 4, 2, 44, 35);
      } else {
        set_clip_area(bmp.get(), 0, 0, 0, 0);
      }
      const reference_image want = model_drawn(bmp.get(), c[0], c[1], c[2], c[3], 200);
      draw_line(bmp.get(), c[0], c[1], c[2], c[3], 200);
      ASSERT_TRUE(bitmap_matches(bmp.get(), want))
          << c[0] << "," << c[1] << " -> " << c[2] << "," << c[3] << (clip ? " clipped" : "");
    }
  }
}

TEST(DrawLine, LinesBetweenTheEndsOfTheIntRangeAreDrawnQuickly) {
  bitmap_ptr bmp = make_bitmap(8, 64, 64);
  clear_to_color(bmp.get(), 0);
  draw_line(bmp.get(), INT_MIN, 0, INT_MAX, 63, 1);
  // A shallow line: one pixel in every column, about half-way down.
  for (int x = 0; x < 64; ++x) {
    int count = 0;
    for (int y = 0; y < 64; ++y) count += raw_pixel(bmp.get(), x, y) == 1;
    ASSERT_EQ(count, 1) << x;
    EXPECT_TRUE(raw_pixel(bmp.get(), x, 31) == 1 || raw_pixel(bmp.get(), x, 32) == 1) << x;
  }
  draw_line(bmp.get(), INT_MAX, INT_MAX, INT_MIN, INT_MIN, 2);
  draw_fast_line(bmp.get(), INT_MIN + 64, INT_MAX, INT_MAX, INT_MIN + 64, 3);  // x + y = 63
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(raw_pixel(bmp.get(), i, i), 2u) << i;
    EXPECT_NE(raw_pixel(bmp.get(), i, 63 - i), 0u) << i;
  }
}

// A table whose line and pixel slots count their calls and note the clip flag they saw.
struct counting_table {
  static inline draw_vtable base{};
  static inline int vlines = 0, hlines = 0, pixels = 0, pixels_unclipped = 0, acquires = 0,
                    releases = 0;
  static void vline(bitmap *b, int x, int y1, int y2, int c) {
    ++vlines, base.draw_vline(b, x, y1, y2, c);
  }
  static void hline(bitmap *b, int x1, int y, int x2, int c) {
    ++hlines, base.draw_hline(b, x1, y, x2, c);
  }
  static void pixel(bitmap *b, int x, int y, int c) {
    ++pixels;
    pixels_unclipped += b->clipping == 0;
    base.put_pixel(b, x, y, c);
  }
  static void acquire(bitmap *) { ++acquires; }
  static void release(bitmap *) { ++releases; }

  // One table for the process: the bitmap points at it while the object lives.
  static inline draw_vtable table{};
  bitmap *bmp_;
  explicit counting_table(bitmap *bmp) : bmp_(bmp) {
    base = *bmp->vtable;
    table = base;
    table.draw_vline = vline;
    table.draw_hline = hline;
    table.fill_hline = hline;
    table.put_pixel = pixel;
    table.acquire = acquire;
    table.release = release;
    bmp->vtable = &table;
    vlines = hlines = pixels = pixels_unclipped = acquires = releases = 0;
  }
  ~counting_table() { bmp_->vtable = find_vtable(base.color_depth); }
  counting_table(const counting_table &) = delete;
  counting_table &operator=(const counting_table &) = delete;
};

TEST(DrawLine, StraightLinesGoToTheLineRoutines) {
  bitmap_ptr bmp = make_bitmap(32, 20, 20);
  const counting_table counts(bmp.get());
  draw_line(bmp.get(), 3, 2, 3, 15, 1);
  draw_line(bmp.get(), 2, 5, 17, 5, 1);
  EXPECT_EQ(counting_table::vlines, 1);
  EXPECT_EQ(counting_table::hlines, 1);
  EXPECT_EQ(counting_table::pixels, 0);
}

TEST(DrawLine, ClipShortcutSwitchesClippingOffInsideAndSkipsOutside) {
  bitmap_ptr bmp = make_bitmap(32, 30, 30);
  const counting_table counts(bmp.get());
  set_clip_area(bmp.get(), 5, 5, 24, 24);
  draw_line(bmp.get(), 6, 7, 20, 22, 1);  // wholly inside
  EXPECT_EQ(counting_table::pixels, 16);
  EXPECT_EQ(counting_table::pixels_unclipped, 16);
  EXPECT_EQ(bmp->clipping, -1);
  EXPECT_EQ(counting_table::acquires, 1);
  EXPECT_EQ(counting_table::releases, 1);

  counting_table::pixels = counting_table::pixels_unclipped = 0;
  draw_line(bmp.get(), 25, 0, 29, 29, 1);  // right of the clip rectangle
  draw_line(bmp.get(), 0, 0, 4, 29, 1);    // left
  draw_line(bmp.get(), 0, 25, 29, 28, 1);  // below
  draw_line(bmp.get(), -9, -1, 29, 4, 1);  // above
  EXPECT_EQ(counting_table::pixels, 0);

  draw_line(bmp.get(), 0, 0, 29, 29, 1);  // crossing: every pixel clipped by put_pixel
  EXPECT_GT(counting_table::pixels, 0);
  EXPECT_EQ(counting_table::pixels_unclipped, 0);
  EXPECT_EQ(bmp->clipping, -1);
}

TEST(DrawFastLine, CutsTheSegmentByRegionCodes) {
  bitmap_ptr bmp = make_bitmap(8, 30, 30);
  clear_to_color(bmp.get(), 0);
  set_clip_area(bmp.get(), 0, 0, 19, 19);
  // (-10, 5) moves onto the left edge at (0, 10); (30, 25) onto the bottom row at (18, 19).
  draw_fast_line(bmp.get(), -10, 5, 30, 25, 7);
  EXPECT_EQ(bmp->clipping, -1);
  set_clip_area(bmp.get(), 0, 0, 0, 0);
  reference_image want(30, 30, 8, 0);
  for (const auto &[x, y] : model_line(0, 10, 18, 19)) want.at(x, y) = 7;
  EXPECT_TRUE(bitmap_matches(bmp.get(), want));
}

TEST(DrawFastLine, DrawsOnlyInsideAndLeavesTheClipFlagAlone) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> coord(-1000, 1000);
  bitmap_ptr bmp = make_bitmap(16, 40, 30);
  for (int i = 0; i < 500; ++i) {
    clear_to_color(bmp.get(), 0);
    set_clip_area(bmp.get(), 6, 4, 31, 22);
    const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
    draw_fast_line(bmp.get(), x1, y1, x2, y2, 0x7777);
    ASSERT_EQ(bmp->clipping, -1);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) {
        if (raw_pixel(bmp.get(), x, y) == 0) continue;
        ASSERT_TRUE(x >= 6 && x <= 31 && y >= 4 && y <= 22) << x << "," << y;
        // Near the ideal segment: the cut ends are truncated toward zero (up to a pixel off the
        // line), and the walk adds up to half a pixel.
        const double ex = x2 - x1, ey = y2 - y1;
        const double cross = (x - x1) * ey - (y - y1) * ex;
        ASSERT_LE(std::abs(cross) / std::sqrt(ex * ex + ey * ey), 2.0) << x << "," << y;
      }
    }
  }
  // Wholly inside, it draws what draw_line draws.
  bitmap_ptr other = make_bitmap(16, 40, 30);
  clear_to_color(bmp.get(), 0);
  clear_to_color(other.get(), 0);
  draw_fast_line(bmp.get(), 7, 20, 30, 5, 3);
  draw_line(other.get(), 7, 20, 30, 5, 3);
  EXPECT_TRUE(corvane::testing::bitmaps_equal(bmp.get(), other.get()));
  // With clipping off it is draw_line.
  set_clip_area(bmp.get(), 0, 0, 0, 0);
  set_clip_area(other.get(), 0, 0, 0, 0);
  draw_fast_line(bmp.get(), -50, 60, 90, -7, 5);
  draw_line(other.get(), -50, 60, 90, -7, 5);
  EXPECT_TRUE(corvane::testing::bitmaps_equal(bmp.get(), other.get()));
  EXPECT_EQ(bmp->clipping, 0);
}

TEST(DrawFastLine, StraightSegmentsAndEmptyClipRectangles) {
  bitmap_ptr bmp = make_bitmap(8, 20, 20);
  clear_to_color(bmp.get(), 0);
  const counting_table counts(bmp.get());
  set_clip_area(bmp.get(), 2, 2, 17, 17);
  draw_fast_line(bmp.get(), 10, -50, 10, 50, 1);
  draw_fast_line(bmp.get(), -50, 9, 50, 9, 1);
  EXPECT_EQ(counting_table::vlines, 1);
  EXPECT_EQ(counting_table::hlines, 1);
  EXPECT_EQ(raw_pixel(bmp.get(), 10, 2), 1u);
  EXPECT_EQ(raw_pixel(bmp.get(), 10, 1), 0u);
  EXPECT_EQ(raw_pixel(bmp.get(), 10, 17), 1u);
  EXPECT_EQ(raw_pixel(bmp.get(), 10, 18), 0u);
  EXPECT_EQ(raw_pixel(bmp.get(), 1, 9), 0u);
  EXPECT_EQ(raw_pixel(bmp.get(), 2, 9), 1u);
  bmp->clip_right = bmp->clip_left;  // nothing inside
  draw_fast_line(bmp.get(), 0, 0, 19, 19, 1);
  EXPECT_EQ(counting_table::pixels, 0);
}

}  // namespace
