// Rectangles, circles, ellipses, arcs and splines: the edge cases of each, the walkers' points
// (each once, symmetric, on the shape), fills that cover exactly their outline row by row, the
// clip shortcut, and far-away or degenerate shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "corvane/blend.h"
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

std::vector<point> recorded;
void record(bitmap *, int x, int y, int) { recorded.emplace_back(x, y); }

// A table whose line and pixel slots record what they are asked to do.
struct recording_table {
  struct span {
    int x1, y, x2;
  };
  static inline draw_vtable base{};
  static inline std::vector<span> hlines;
  static inline int vlines = 0, pixels = 0, pixels_unclipped = 0, acquires = 0, releases = 0;
  static void hline(bitmap *b, int x1, int y, int x2, int c) {
    hlines.push_back({x1, y, x2});
    base.draw_hline(b, x1, y, x2, c);
  }
  static void vline(bitmap *b, int x, int y1, int y2, int c) {
    ++vlines;
    base.draw_vline(b, x, y1, y2, c);
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
  explicit recording_table(bitmap *bmp) : bmp_(bmp) {
    base = *bmp->vtable;
    table = base;
    table.draw_hline = table.fill_hline = hline;
    table.draw_vline = vline;
    table.put_pixel = pixel;
    table.acquire = acquire;
    table.release = release;
    bmp->vtable = &table;
    reset();
  }
  ~recording_table() { bmp_->vtable = find_vtable(base.color_depth); }
  recording_table(const recording_table &) = delete;
  recording_table &operator=(const recording_table &) = delete;
  static void reset() {
    hlines.clear();
    vlines = pixels = pixels_unclipped = acquires = releases = 0;
  }
};

// ---- Rectangles
// ----------------------------------------------------------------------------------

TEST(FillRect, CornersInAnyOrderBothInclusive) {
  bitmap_ptr bmp = make_bitmap(8, 16, 16);
  clear_to_color(bmp.get(), 0);
  fill_rect(bmp.get(), 10, 10, 5, 5, 3);
  reference_image want(16, 16, 8, 0);
  for (int y = 5; y <= 10; ++y) {
    for (int x = 5; x <= 10; ++x) want.at(x, y) = 3;
  }
  EXPECT_TRUE(bitmap_matches(bmp.get(), want));
}

TEST(FillRect, CutToTheClipRectangleAndTheBitmap) {
  bitmap_ptr bmp = make_bitmap(16, 20, 12);
  const recording_table rec(bmp.get());
  clear_to_color(bmp.get(), 0);
  set_clip_area(bmp.get(), 3, 2, 15, 9);
  fill_rect(bmp.get(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0x1234);
  EXPECT_EQ(recording_table::hlines.size(), 8u);  // rows 2..9 only
  EXPECT_EQ(bmp->clipping, -1);
  EXPECT_EQ(recording_table::acquires, 1);
  EXPECT_EQ(recording_table::releases, 1);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool inside = x >= 3 && x <= 15 && y >= 2 && y <= 9;
      ASSERT_EQ(raw_pixel(bmp.get(), x, y), inside ? 0x1234u : 0u) << x << "," << y;
    }
  }
  recording_table::reset();
  fill_rect(bmp.get(), 16, 0, 30, 30, 1);  // right of the clip rectangle
  set_clip_area(bmp.get(), 0, 0, 0, 0);
  fill_rect(bmp.get(), -100, 11, 100, 1000, 5);  // clipping off: only the bitmap's last row
  EXPECT_EQ(recording_table::hlines.size(), 1u);
  EXPECT_EQ(raw_pixel(bmp.get(), 0, 11), 5u);
}

TEST(FillRect, SolidFillsMatchTheRowRuleAndKeepTheClipRectangle) {
  std::mt19937 rng(14);
  for (const int depth : {8, 15, 16, 24, 32}) {
    for (const bool clipping : {true, false}) {
      bitmap_ptr bmp = make_bitmap(depth, 20, 12);
      corvane::testing::paint(bmp.get(), corvane::testing::random_image(20, 12, depth, rng));
      set_clip_area(bmp.get(), 3, 2, 15, 9);
      if (!clipping) bmp->clipping = 0;
      reference_image want = capture(bmp.get());
      const int left = clipping ? 3 : 0, top = clipping ? 4 : 4;
      const int right = clipping ? 12 : 12, bottom = clipping ? 9 : 11;
      for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x)
          want.at(x, y) = 0x1A5 & corvane::testing::depth_value_mask(depth);
      }
      fill_rect(bmp.get(), 12, 40, -5, 4, 0x1A5);
      EXPECT_TRUE(bitmap_matches(bmp.get(), want)) << depth << (clipping ? "" : " unclipped");
      EXPECT_EQ(bmp->clip_left, 3);
      EXPECT_EQ(bmp->clip_top, 2);
      EXPECT_EQ(bmp->clip_right, 16);
      EXPECT_EQ(bmp->clip_bottom, 10);
      EXPECT_EQ(bmp->clipping, clipping ? -1 : 0);
    }
  }
}

TEST(FillRect, HonoursTheDrawingMode) {
  bitmap_ptr bmp = make_bitmap(32, 8, 8);
  clear_to_color(bmp.get(), 0x0F0F0F);
  set_draw_mode(MODE_XOR, nullptr, 0, 0);
  fill_rect(bmp.get(), 0, 0, 3, 3, 0xFFFFFF);
  set_draw_mode(MODE_SOLID, nullptr, 0, 0);
  EXPECT_EQ(raw_pixel(bmp.get(), 2, 2), 0xF0F0F0u);
  EXPECT_EQ(raw_pixel(bmp.get(), 4, 4), 0x0F0F0Fu);
}

TEST(DrawRect, SingleRowIsOneLine) {
  bitmap_ptr bmp = make_bitmap(8, 20, 20);
  const recording_table rec(bmp.get());
  draw_rect(bmp.get(), 15, 4, 2, 4, 1);
  EXPECT_EQ(recording_table::hlines.size(), 1u);
  EXPECT_EQ(recording_table::vlines, 0);
}

TEST(DrawRect, OutlineDrawsEveryPixelOnce) {
  // In XOR mode a pixel drawn twice would vanish again.
  for (const auto &r : {std::array<int, 4>{2, 3, 12, 9}, std::array<int, 4>{12, 9, 2, 3},
                        std::array<int, 4>{5, 2, 5, 10}, std::array<int, 4>{3, 3, 4, 4},
                        std::array<int, 4>{6, 6, 6, 6}}) {
    bitmap_ptr bmp = make_bitmap(8, 16, 16);
    clear_to_color(bmp.get(), 0);
    set_draw_mode(MODE_XOR, nullptr, 0, 0);
    draw_rect(bmp.get(), r[0], r[1], r[2], r[3], 1);
    set_draw_mode(MODE_SOLID, nullptr, 0, 0);
    const int x1 = std::min(r[0], r[2]), x2 = std::max(r[0], r[2]);
    const int y1 = std::min(r[1], r[3]), y2 = std::max(r[1], r[3]);
    reference_image want(16, 16, 8, 0);
    for (int y = y1; y <= y2; ++y) {
      for (int x = x1; x <= x2; ++x) {
        if (x == x1 || x == x2 || y == y1 || y == y2) want.at(x, y) = 1;
      }
    }
    EXPECT_TRUE(bitmap_matches(bmp.get(), want))
        << r[0] << "," << r[1] << "," << r[2] << "," << r[3];
  }
}

// ---- Circles -----------------------------------------------------------------------------------

std::vector<point> circle_points(int x, int y, int r) {
  recorded.clear();
  walk_circle(nullptr, x, y, r, 0, record);
  return recorded;
}

TEST(WalkCircle, RadiusZeroIsTheCentreOnce) {
  EXPECT_EQ(circle_points(4, -2, 0), (std::vector<point>{{4, -2}}));
  EXPECT_TRUE(circle_points(4, -2, -3).empty());
}

TEST(WalkCircle, EveryPointOnceSymmetricAndOnTheCircle) {
  for (int r = 1; r <= 60; ++r) {
    const std::vector<point> points = circle_points(100, 50, r);
    const std::set<point> unique(points.begin(), points.end());
    ASSERT_EQ(unique.size(), points.size()) << "radius " << r;
    for (const auto &[px, py] : points) {
      const int dx = px - 100, dy = py - 50;
      ASSERT_TRUE(unique.count({100 - dx, py}) && unique.count({px, 50 - dy}) &&
                  unique.count({100 + dy, 50 + dx}))
          << "radius " << r;
      ASSERT_LE(std::abs(std::sqrt(double(dx * dx + dy * dy)) - r), 0.5) << "radius " << r;
    }
    EXPECT_TRUE(unique.count({100 + r, 50}) && unique.count({100, 50 - r}));
  }
}

TEST(WalkCircle, PointsBeyondTheIntRangeAreLeftOut) {
  const std::vector<point> points = circle_points(INT_MAX - 2, INT_MIN + 1, 5);
  EXPECT_FALSE(points.empty());
  for (const auto &[px, py] : points) {
    EXPECT_LE(px, INT_MAX);
    EXPECT_GE(px, INT_MAX - 7);
    EXPECT_LE(py, INT_MIN + 6);
  }
  EXPECT_LT(points.size(), circle_points(0, 0, 5).size());
}

TEST(DrawCircle, ClipShortcut) {
  bitmap_ptr bmp = make_bitmap(32, 40, 40);
  const recording_table rec(bmp.get());
  set_clip_area(bmp.get(), 5, 5, 34, 34);
  draw_circle(bmp.get(), 20, 20, 10, 1);  // box 9..31: inside
  EXPECT_GT(recording_table::pixels, 0);
  EXPECT_EQ(recording_table::pixels_unclipped, recording_table::pixels);
  EXPECT_EQ(bmp->clipping, -1);
  EXPECT_EQ(recording_table::acquires, 1);
  EXPECT_EQ(recording_table::releases, 1);

  recording_table::reset();
  draw_circle(bmp.get(), 20, 20, 14, 1);  // box 5..35 reaches past clip right (35): clipped
  EXPECT_GT(recording_table::pixels, 0);
  EXPECT_EQ(recording_table::pixels_unclipped, 0);

  recording_table::reset();
  draw_circle(bmp.get(), 50, 20, 14, 1);   // box starts at 35: outside
  draw_circle(bmp.get(), -11, 20, 10, 1);  // box ends at 0: outside
  fill_circle(bmp.get(), 20, -20, 14, 1);
  EXPECT_EQ(recording_table::pixels, 0);
  EXPECT_TRUE(recording_table::hlines.empty());
}

// The fill's span on each row reaches exactly the outline's leftmost and rightmost points.
void expect_fill_covers_outline(const std::vector<recording_table::span> &spans,
                                const std::vector<point> &outline, const char *what) {
  std::map<int, std::pair<int, int>> extent;
  for (const auto &[x, y] : outline) {
    auto [it, fresh] = extent.try_emplace(y, x, x);
    it->second.first = std::min(it->second.first, x);
    it->second.second = std::max(it->second.second, x);
  }
  std::map<int, int> rows;
  for (const auto &s : spans) {
    ++rows[s.y];
    ASSERT_TRUE(extent.count(s.y)) << what << ": a span on row " << s.y << " off the outline";
    EXPECT_EQ(std::min(s.x1, s.x2), extent[s.y].first) << what << " row " << s.y;
    EXPECT_EQ(std::max(s.x1, s.x2), extent[s.y].second) << what << " row " << s.y;
  }
  for (const auto &[y, n] : rows)
    EXPECT_EQ(n, 1) << what << ": row " << y << " filled " << n << " times";
  EXPECT_EQ(rows.size(), extent.size()) << what;
}

TEST(FillCircle, EachRowOnceBetweenTheOutlinesEnds) {
  bitmap_ptr bmp = make_bitmap(8, 200, 200);
  const recording_table rec(bmp.get());
  for (int r = 0; r <= 90; r += 3) {
    recording_table::reset();
    fill_circle(bmp.get(), 100, 100, r, 1);
    expect_fill_covers_outline(recording_table::hlines, circle_points(100, 100, r), "circle");
  }
}

// A circle mostly outside the clip rectangle is walked only where it can reach it: the calls
// that land inside are those of the whole walk cut to the rectangle, for the outline and the
// fill, and a radius of INT_MAX costs a few hundred calls, not billions.
TEST(DrawCircle, ClippedWalkEqualsTheWholeWalkCutToTheClipRectangle) {
  std::mt19937 rng(10);
  bitmap_ptr bmp = make_bitmap(8, 64, 48);
  for (int trial = 0; trial < 300; ++trial) {
    const int r = static_cast<int>(rng() % 300);
    const int x = static_cast<int>(rng() % (64 + 2 * r + 20)) - r - 10;
    const int y = static_cast<int>(rng() % (48 + 2 * r + 20)) - r - 10;
    const int cl = static_cast<int>(rng() % 40), ct = static_cast<int>(rng() % 30);
    const int cr = cl + 1 + static_cast<int>(rng() % 24), cb = ct + 1 + static_cast<int>(rng() % 18);
    const auto inside = [&](int px, int py) { return px >= cl && px < cr && py >= ct && py < cb; };
    // A span draws inside the clip rectangle when its row and part of its width lie there.
    const auto reaches = [&](int x1, int row, int x2) {
      return row >= ct && row < cb && std::max(x1, x2) >= cl && std::min(x1, x2) < cr;
    };
    set_clip_area(bmp.get(), cl, ct, cr - 1, cb - 1);

    std::vector<point> expected;
    for (const point &p : circle_points(x, y, r)) {
      if (inside(p.first, p.second)) expected.push_back(p);
    }
    recorded.clear();
    {
      // Every put_pixel call of the outline, in or out of the clip rectangle.
      draw_vtable table = *bmp->vtable;
      draw_vtable *own = bmp->vtable;
      table.put_pixel = [](bitmap *, int px, int py, int) { recorded.emplace_back(px, py); };
      bmp->vtable = &table;
      draw_circle(bmp.get(), x, y, r, 1);
      bmp->vtable = own;
    }
    std::vector<point> drawn;
    for (const point &p : recorded) {
      if (inside(p.first, p.second)) drawn.push_back(p);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(drawn.begin(), drawn.end());
    ASSERT_EQ(drawn, expected) << "circle " << x << "," << y << " r " << r;

    // The fill against the same circle drawn whole on a bitmap that holds it.
    bitmap_ptr whole = make_bitmap(8, 2 * r + 3, 2 * r + 3);
    std::vector<std::tuple<int, int, int>> full;
    {
      const recording_table rec(whole.get());
      fill_circle(whole.get(), r + 1, r + 1, r, 1);
      for (const auto &s : recording_table::hlines) {
        const int row = s.y - (r + 1) + y;
        const int x1 = s.x1 - (r + 1) + x, x2 = s.x2 - (r + 1) + x;
        if (reaches(x1, row, x2)) full.emplace_back(x1, row, x2);
      }
    }
    std::vector<std::tuple<int, int, int>> clipped;
    {
      const recording_table rec(bmp.get());
      fill_circle(bmp.get(), x, y, r, 1);
      for (const auto &s : recording_table::hlines) {
        if (reaches(s.x1, s.y, s.x2)) clipped.emplace_back(s.x1, s.y, s.x2);
      }
    }
    std::sort(full.begin(), full.end());
    std::sort(clipped.begin(), clipped.end());
    ASSERT_EQ(clipped, full) << "filled circle " << x << "," << y << " r " << r;
  }

  bitmap_ptr screen = make_bitmap(8, 320, 200);
  const recording_table rec(screen.get());
  set_clip_area(screen.get(), 0, 0, 319, 199);
  draw_circle(screen.get(), 160, 100 - INT_MAX, INT_MAX, 1);
  EXPECT_GT(recording_table::pixels, 0);
  EXPECT_LT(recording_table::pixels, 4000);
  fill_circle(screen.get(), 160, 100 - INT_MAX, INT_MAX, 1);
  EXPECT_EQ(recording_table::hlines.size(), 101u);  // rows 0 to 100, once each
}

// ---- Ellipses ----------------------------------------------------------------------------------

std::vector<point> ellipse_points(int x, int y, int rx, int ry) {
  recorded.clear();
  walk_ellipse(nullptr, x, y, rx, ry, 0, record);
  return recorded;
}

TEST(WalkEllipse, SymmetricOnTheEllipseAndReachingItsEnds) {
  for (const auto &[rx, ry] : {std::pair{1, 1}, std::pair{5, 5}, std::pair{20, 7}, std::pair{7, 20},
                               std::pair{60, 3}, std::pair{2, 45}, std::pair{33, 34}}) {
    const std::vector<point> points = ellipse_points(0, 0, rx, ry);
    const std::set<point> unique(points.begin(), points.end());
    EXPECT_TRUE(unique.count({rx, 0}) && unique.count({-rx, 0}) && unique.count({0, ry}) &&
                unique.count({0, -ry}))
        << rx << "x" << ry;
    for (const auto &[px, py] : points) {
      ASSERT_TRUE(unique.count({-px, py}) && unique.count({px, -py})) << rx << "x" << ry;
      const double e =
          std::sqrt(double(px) * px / (double(rx) * rx) + double(py) * py / (double(ry) * ry));
      ASSERT_NEAR(e, 1.0, 1.5 / std::min(rx, ry) + 0.05)
          << rx << "x" << ry << " at " << px << "," << py;
    }
  }
}

TEST(WalkEllipse, RadiiBelowOneCountAsOne) {
  EXPECT_EQ(ellipse_points(3, 3, 0, -7), ellipse_points(3, 3, 1, 1));
  const std::vector<point> unit = ellipse_points(0, 0, 1, 1);
  EXPECT_EQ(std::set<point>(unit.begin(), unit.end()),
            (std::set<point>{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}));
}

TEST(FillEllipse, EachRowOnceBetweenTheOutlinesEnds) {
  bitmap_ptr bmp = make_bitmap(8, 200, 200);
  const recording_table rec(bmp.get());
  for (const auto &[rx, ry] : {std::pair{1, 1}, std::pair{30, 10}, std::pair{10, 30},
                               std::pair{90, 2}, std::pair{3, 90}, std::pair{45, 44}}) {
    recording_table::reset();
    fill_ellipse(bmp.get(), 100, 100, rx, ry, 1);
    expect_fill_covers_outline(recording_table::hlines, ellipse_points(100, 100, rx, ry),
                               "ellipse");
  }
}

TEST(FillEllipse, ClippedLikeTheOutline) {
  bitmap_ptr bmp = make_bitmap(16, 50, 40);
  clear_to_color(bmp.get(), 0);
  set_clip_area(bmp.get(), 10, 8, 39, 30);
  fill_ellipse(bmp.get(), 12, 30, 25, 15, 0x77);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 50; ++x) {
      if (raw_pixel(bmp.get(), x, y) != 0) {
        ASSERT_TRUE(x >= 10 && x <= 39 && y >= 8 && y <= 30);
      }
    }
  }
  EXPECT_EQ(raw_pixel(bmp.get(), 12, 30), 0x77u);
  EXPECT_EQ(bmp->clipping, -1);
}

TEST(DrawEllipse, ClipShortcutAndHugeRadii) {
  bitmap_ptr bmp = make_bitmap(32, 40, 40);
  const recording_table rec(bmp.get());
  set_clip_area(bmp.get(), 5, 5, 34, 34);
  draw_ellipse(bmp.get(), 20, 20, 12, 5, 1);
  EXPECT_EQ(recording_table::pixels_unclipped, recording_table::pixels);
  EXPECT_EQ(bmp->clipping, -1);
  recording_table::reset();
  draw_ellipse(bmp.get(), INT_MAX, INT_MAX, 100, 1000, 1);
  draw_ellipse(bmp.get(), INT_MIN, 20, 7, 7, 1);
  fill_ellipse(bmp.get(), 20, INT_MIN, 7, INT_MAX, 1);
  EXPECT_EQ(recording_table::pixels, 0);
}

// As for circles: a clipped ellipse walks only the turns that can reach the clip rectangle,
// with the calls of the whole walk inside it, for the outline and the fill.
TEST(DrawEllipse, ClippedWalkEqualsTheWholeWalkCutToTheClipRectangle) {
  std::mt19937 rng(12);
  bitmap_ptr bmp = make_bitmap(8, 64, 48);
  for (int trial = 0; trial < 300; ++trial) {
    const int rx = static_cast<int>(rng() % 300), ry = static_cast<int>(rng() % (trial % 3 ? 300 : 8));
    const int x = static_cast<int>(rng() % (64 + 2 * rx + 20)) - rx - 10;
    const int y = static_cast<int>(rng() % (48 + 2 * ry + 20)) - ry - 10;
    const int cl = static_cast<int>(rng() % 40), ct = static_cast<int>(rng() % 30);
    const int cr = cl + 1 + static_cast<int>(rng() % 24), cb = ct + 1 + static_cast<int>(rng() % 18);
    const auto inside = [&](int px, int py) { return px >= cl && px < cr && py >= ct && py < cb; };
    // A span draws inside the clip rectangle when its row and part of its width lie there.
    const auto reaches = [&](int x1, int row, int x2) {
      return row >= ct && row < cb && std::max(x1, x2) >= cl && std::min(x1, x2) < cr;
    };
    set_clip_area(bmp.get(), cl, ct, cr - 1, cb - 1);

    std::vector<point> expected;
    for (const point &p : ellipse_points(x, y, rx, ry)) {
      if (inside(p.first, p.second)) expected.push_back(p);
    }
    recorded.clear();
    {
      draw_vtable table = *bmp->vtable;
      draw_vtable *own = bmp->vtable;
      table.put_pixel = [](bitmap *, int px, int py, int) { recorded.emplace_back(px, py); };
      bmp->vtable = &table;
      draw_ellipse(bmp.get(), x, y, rx, ry, 1);
      bmp->vtable = own;
    }
    std::vector<point> drawn;
    for (const point &p : recorded) {
      if (inside(p.first, p.second)) drawn.push_back(p);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(drawn.begin(), drawn.end());
    ASSERT_EQ(drawn, expected) << "ellipse " << x << "," << y << " " << rx << "x" << ry;

    const int ex = std::max(rx, 1), ey = std::max(ry, 1);
    bitmap_ptr whole = make_bitmap(8, 2 * ex + 3, 2 * ey + 3);
    std::vector<std::tuple<int, int, int>> full;
    {
      const recording_table rec(whole.get());
      fill_ellipse(whole.get(), ex + 1, ey + 1, rx, ry, 1);
      for (const auto &s : recording_table::hlines) {
        const int row = s.y - (ey + 1) + y;
        const int x1 = s.x1 - (ex + 1) + x, x2 = s.x2 - (ex + 1) + x;
        if (reaches(x1, row, x2)) full.emplace_back(x1, row, x2);
      }
    }
    std::vector<std::tuple<int, int, int>> clipped;
    {
      const recording_table rec(bmp.get());
      fill_ellipse(bmp.get(), x, y, rx, ry, 1);
      for (const auto &s : recording_table::hlines) {
        if (reaches(s.x1, s.y, s.x2)) clipped.emplace_back(s.x1, s.y, s.x2);
      }
    }
    ASSERT_EQ(clipped, full) << "filled ellipse " << x << "," << y << " " << rx << "x" << ry;
  }

  bitmap_ptr screen = make_bitmap(8, 320, 200);
  const recording_table rec(screen.get());
  set_clip_area(screen.get(), 0, 0, 319, 199);
  for (const auto &[rx, ry] : {std::pair{INT_MAX, INT_MAX}, std::pair{INT_MAX, 1000},
                               std::pair{1000, INT_MAX}}) {
    recording_table::reset();
    draw_ellipse(screen.get(), 160, 100 - ry, rx, ry, 1);
    EXPECT_GT(recording_table::pixels, 0);
    EXPECT_LT(recording_table::pixels, 100000) << rx << "x" << ry;
    fill_ellipse(screen.get(), 160, 100 - ry, rx, ry, 1);
    EXPECT_EQ(recording_table::hlines.size(), 101u) << rx << "x" << ry;
  }
}

// ---- Arcs
// ----------------------------------------------------------------------------------------

constexpr fixed QUARTER = 0x400000;

std::vector<point> arc_points(fixed a1, fixed a2, int r) {
  recorded.clear();
  walk_arc(nullptr, 0, 0, a1, a2, r, 0, record);
  return recorded;
}

TEST(WalkArc, QuarterFromRightToTop) {
  const std::vector<point> points = arc_points(0, QUARTER, 20);
  ASSERT_FALSE(points.empty());
  EXPECT_EQ(points.front(), point(20, 0));
  for (const auto &[px, py] : points) {
    EXPECT_GE(px, 0);
    EXPECT_LE(py, 0);
    EXPECT_LE(std::abs(std::sqrt(double(px * px + py * py)) - 20), 0.75);
  }
  // It runs counter-clockwise on screen: up and to the left, ending next to the top.
  EXPECT_LE(points.back().first, 1);
  EXPECT_EQ(std::set<point>(points.begin(), points.end()).size(), points.size());
}

TEST(WalkArc, RunsCounterClockwiseAcrossQuadrants) {
  // From 45 degrees to 315 degrees passes the left side, never the right.
  const std::vector<point> points = arc_points(QUARTER / 2, 7 * QUARTER / 2, 30);
  EXPECT_GT(points.size(), 100u);
  bool left = false;
  for (const auto &[px, py] : points) {
    EXPECT_FALSE(px > 22 && std::abs(py) < 20) << px << "," << py;
    left = left || px == -30;
  }
  EXPECT_TRUE(left);
  // The other way round covers the right side only.
  for (const auto &[px, py] : arc_points(7 * QUARTER / 2, QUARTER / 2, 30)) EXPECT_GE(px, 20);
}

TEST(WalkArc, AlmostFullCircleAndTheEnds) {
  const std::vector<point> almost = arc_points(QUARTER, QUARTER - 0x10000, 25);
  const std::vector<point> circle = circle_points(0, 0, 25);
  EXPECT_GE(almost.size() + 4, circle.size());
  EXPECT_EQ(arc_points(0, 0x1000000, 10).size(), arc_points(0, 0, 10).size());
  EXPECT_EQ(arc_points(0, 0, 0), (std::vector<point>{{0, 0}}));
  EXPECT_TRUE(arc_points(0, QUARTER, -4).empty());
}

// A clipped arc skips the stretches of its walk that cannot reach the clip rectangle: the points
// inside it are those of the whole walk, from any start and end angle.
TEST(DrawArc, ClippedWalkEqualsTheWholeWalkCutToTheClipRectangle) {
  std::mt19937 rng(13);
  bitmap_ptr bmp = make_bitmap(8, 64, 48);
  for (int trial = 0; trial < 400; ++trial) {
    const int r = static_cast<int>(rng() % 400);
    const int x = static_cast<int>(rng() % (64 + 2 * r + 20)) - r - 10;
    const int y = static_cast<int>(rng() % (48 + 2 * r + 20)) - r - 10;
    const auto a1 = static_cast<fixed>(rng() % (8 * QUARTER)) - 4 * QUARTER;
    const auto a2 = static_cast<fixed>(rng() % (8 * QUARTER)) - 4 * QUARTER;
    const int cl = static_cast<int>(rng() % 40), ct = static_cast<int>(rng() % 30);
    const int cr = cl + 1 + static_cast<int>(rng() % 24), cb = ct + 1 + static_cast<int>(rng() % 18);
    const auto inside = [&](int px, int py) { return px >= cl && px < cr && py >= ct && py < cb; };
    set_clip_area(bmp.get(), cl, ct, cr - 1, cb - 1);
    std::vector<point> expected;
    for (const point &p : arc_points(a1, a2, r)) {
      if (inside(p.first + x, p.second + y)) expected.emplace_back(p.first + x, p.second + y);
    }
    recorded.clear();
    draw_vtable table = *bmp->vtable;
    draw_vtable *own = bmp->vtable;
    table.put_pixel = [](bitmap *, int px, int py, int) { recorded.emplace_back(px, py); };
    bmp->vtable = &table;
    draw_arc(bmp.get(), x, y, a1, a2, r, 1);
    bmp->vtable = own;
    std::vector<point> drawn;
    for (const point &p : recorded) {
      if (inside(p.first, p.second)) drawn.push_back(p);
    }
    ASSERT_EQ(drawn, expected) << "arc " << x << "," << y << " r " << r << " " << a1 << ".." << a2;
  }
  bitmap_ptr screen = make_bitmap(8, 320, 200);
  const recording_table rec(screen.get());
  set_clip_area(screen.get(), 0, 0, 319, 199);
  draw_arc(screen.get(), 160, 100 - INT_MAX, 0, 4 * QUARTER - 1, INT_MAX, 1);
  EXPECT_GT(recording_table::pixels, 0);
  EXPECT_LT(recording_table::pixels, 4000);
}

TEST(DrawArc, AcquiresAndHasNoClipShortcut) {
  bitmap_ptr bmp = make_bitmap(8, 60, 60);
  const recording_table rec(bmp.get());
  draw_arc(bmp.get(), 30, 30, 0, 2 * QUARTER, 10, 1);
  EXPECT_GT(recording_table::pixels, 0);
  EXPECT_EQ(recording_table::pixels_unclipped, 0);
  EXPECT_EQ(recording_table::acquires, 1);
  EXPECT_EQ(recording_table::releases, 1);
  // Far away, near the ends of the int range: the points that fit are clipped, the others left out.
  const reference_image before = capture(bmp.get());
  draw_arc(bmp.get(), INT_MAX, INT_MIN, 0, 3 * QUARTER, 50, 1);
  EXPECT_TRUE(bitmap_matches(bmp.get(), before));
}

// ---- Splines -----------------------------------------------------------------------------------

TEST(DrawSpline, EndsAtItsControlPointsAndIsConnected) {
  bitmap_ptr bmp = make_bitmap(8, 100, 100);
  clear_to_color(bmp.get(), 0);
  const int points[8] = {5, 90, 20, 5, 80, 5, 95, 90};
  draw_spline(bmp.get(), points, 1);
  EXPECT_EQ(raw_pixel(bmp.get(), 5, 90), 1u);
  EXPECT_EQ(raw_pixel(bmp.get(), 95, 90), 1u);
  // 8-connected from end to end: every drawn pixel but the ends has a drawn neighbour on two sides.
  int drawn = 0;
  for (int y = 1; y < 99; ++y) {
    for (int x = 1; x < 99; ++x) {
      if (raw_pixel(bmp.get(), x, y) == 0) continue;
      ++drawn;
      int neighbours = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx)
          neighbours += (dx || dy) && raw_pixel(bmp.get(), x + dx, y + dy);
      }
      ASSERT_GE(neighbours, (x == 5 && y == 90) || (x == 95 && y == 90) ? 1 : 2) << x << "," << y;
    }
  }
  EXPECT_GT(drawn, 150);
}

TEST(DrawSpline, CoincidentControlPointsDrawOnePixel) {
  // Control points within a pixel or two of each other make fewer than two curve points by the
  // length rule; the spline still joins its first point to its last.
  bitmap_ptr bmp = make_bitmap(8, 10, 10);
  clear_to_color(bmp.get(), 0);
  const int same[8] = {4, 4, 4, 4, 4, 4, 4, 4};
  draw_spline(bmp.get(), same, 6);
  reference_image want(10, 10, 8, 0);
  want.at(4, 4) = 6;
  EXPECT_TRUE(bitmap_matches(bmp.get(), want));
  const int close[8] = {2, 2, 2, 3, 3, 3, 3, 2};
  draw_spline(bmp.get(), close, 6);
  EXPECT_EQ(raw_pixel(bmp.get(), 2, 2), 6u);
  EXPECT_EQ(raw_pixel(bmp.get(), 3, 2), 6u);
}

uint32_t add_one(uint32_t, uint32_t y, uint32_t) { return y + 1; }

TEST(DrawSpline, JointsAreDrawnOnceInXorAndTranslucentModes) {
  const int points[8] = {3, 50, 30, -20, 70, 110, 96, 40};
  bitmap_ptr solid = make_bitmap(32, 100, 100);
  clear_to_color(solid.get(), 0);
  draw_spline(solid.get(), points, 5);

  bitmap_ptr pattern = make_bitmap(32, 4, 4);
  for (const int mode : {MODE_XOR, MODE_TRANSLUCENT}) {
    bitmap_ptr bmp = make_bitmap(32, 100, 100);
    clear_to_color(bmp.get(), 0);
    set_blend_hooks(add_one, add_one, add_one, 0, 0, 0, 0);
    set_draw_mode(mode, pattern.get(), 3, 7);
    draw_spline(bmp.get(), points, 5);
    EXPECT_EQ(draw_mode, mode);
    EXPECT_EQ(draw_pattern, pattern.get());
    EXPECT_EQ(pattern_x_anchor, 3);
    EXPECT_EQ(pattern_y_anchor, 7);
    set_draw_mode(MODE_SOLID, nullptr, 0, 0);
    // Every curve pixel changed exactly once: 0 ^ 5 = 5, or 0 + 1 = 1.
    const uint32_t once = mode == MODE_XOR ? 5 : 1;
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 100; ++x) {
        ASSERT_EQ(raw_pixel(bmp.get(), x, y), raw_pixel(solid.get(), x, y) ? once : 0u)
            << x << "," << y << " mode " << mode;
      }
    }
  }
}

TEST(DrawSpline, HugeControlPointsAreSafe) {
  bitmap_ptr bmp = make_bitmap(8, 32, 32);
  clear_to_color(bmp.get(), 0);
  const int points[8] = {INT_MIN, INT_MIN, INT_MAX, 0, 0, INT_MAX, INT_MAX, INT_MAX};
  draw_spline(bmp.get(), points, 1);
  draw_spline(bmp.get(), nullptr, 1);
  SUCCEED() << "no crash, nothing written outside";
  const int through[8] = {-1000000, 16, 0, 16, 31, 16, 1000000, 16};
  draw_spline(bmp.get(), through, 2);
  EXPECT_EQ(raw_pixel(bmp.get(), 16, 16), 2u);
}

}  // namespace
