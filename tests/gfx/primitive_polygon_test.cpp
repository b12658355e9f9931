// Filled polygons and triangles: the row and column rules on a hand-worked rectangle, fills within
// a pixel of the exact shape for random triangles, independence from the starting vertex and
// from translation, clipping equal to masking, degenerate and far-away shapes, and vertex counts
// whose edge records would not fit the scratch buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <list>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "corvane/draw.h"
#include "corvane/system.h"
#include "gfx/primitives.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::bitmaps_equal;
using corvane::testing::capture;
using corvane::testing::make_bitmap;
using corvane::testing::raw_pixel;
using corvane::testing::reference_image;

TEST(DrawPolygon, RectangleFillsFromTopRowToTheRowAboveTheBottom) {
  // Edges (10,0)-(10,5) and (0,5)-(0,0): rows 0..4, columns 0..10.
  bitmap_ptr bmp = make_bitmap(8, 16, 8);
  clear_to_color(bmp.get(), 0);
  const int points[8] = {0, 0, 10, 0, 10, 5, 0, 5};
  draw_polygon(bmp.get(), 4, points, 1);
  reference_image want(16, 8, 8, 0);
  for (int y = 0; y <= 4; ++y) {
    for (int x = 0; x <= 10; ++x) want.at(x, y) = 1;
  }
  EXPECT_TRUE(bitmap_matches(bmp.get(), want));
}

TEST(DrawPolygon, DegenerateShapesDrawNothing) {
  bitmap_ptr bmp = make_bitmap(8, 16, 16);
  clear_to_color(bmp.get(), 0);
  draw_triangle(bmp.get(), 1, 5, 8, 5, 14, 5, 1);  // all on one row
  const int segment[4] = {2, 2, 9, 9};             // there and back: two equal edges
  draw_polygon(bmp.get(), 2, segment, 1);
  const int line[4] = {3, 3, 3, 3};
  draw_polygon(bmp.get(), 2, line, 1);
  draw_polygon(bmp.get(), 1, line, 1);
  draw_polygon(bmp.get(), 0, line, 1);
  draw_polygon(bmp.get(), -5, line, 1);
  draw_polygon(bmp.get(), 3, nullptr, 1);
  // The two-vertex polygon is a segment walked down and back up: its span runs from the edge to
  // itself, one pixel per row.
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (y >= 2 && y <= 8 && x == y) continue;
      ASSERT_EQ(raw_pixel(bmp.get(), x, y), 0u) << x << "," << y;
    }
  }
}

// The signed area test of point (px, py) against the edge a -> b.
double side(double ax, double ay, double bx, double by, double px, double py) {
  return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

TEST(DrawTriangle, FillsWithinAPixelOfTheExactTriangle) {
  std::mt19937 rng(4);
  std::uniform_int_distribution<int> coord(-10, 70);
  bitmap_ptr bmp = make_bitmap(8, 64, 64);
  for (int i = 0; i < 300; ++i) {
    clear_to_color(bmp.get(), 0);
    const int v[6] = {coord(rng), coord(rng), coord(rng), coord(rng), coord(rng), coord(rng)};
    draw_triangle(bmp.get(), v[0], v[1], v[2], v[3], v[4], v[5], 1);
    const double area = side(v[0], v[1], v[2], v[3], v[4], v[5]);
    if (area == 0) continue;
    const double sign = area > 0 ? 1 : -1;
    // Distance of a pixel centre from the triangle: the largest outside distance over the edges.
    const auto distance = [&](double px, double py) {
      double worst = -1e9;
      for (int e = 0; e < 3; ++e) {
        const double ax = v[2 * e], ay = v[2 * e + 1];
        const double bx = v[(2 * e + 2) % 6], by = v[(2 * e + 3) % 6];
        const double len = std::hypot(bx - ax, by - ay);
        worst = std::max(worst, -sign * side(ax, ay, bx, by, px, py) / len);
      }
      return worst;
    };
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        const double d = distance(x + 0.5, y + 0.5);
        const bool filled = raw_pixel(bmp.get(), x, y) != 0;
        if (filled) {
          ASSERT_LE(d, 1.5) << "triangle " << i << " pixel " << x << "," << y;
        }
        if (d < -1.5) {
          ASSERT_TRUE(filled) << "triangle " << i << " pixel " << x << "," << y;
        }
      }
    }
  }
}

TEST(DrawPolygon, StartingVertexAndTranslationDoNotMatter) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> coord(0, 40);
  bitmap_ptr a = make_bitmap(16, 64, 64);
  bitmap_ptr b = make_bitmap(16, 64, 64);
  for (int i = 0; i < 200; ++i) {
    // A convex polygon: points on a circle in angle order.
    const int n = 3 + static_cast<int>(rng() % 6);
    std::vector<double> angles;
    for (int k = 0; k < n; ++k) angles.push_back((rng() % 6283) / 1000.0);
    std::sort(angles.begin(), angles.end());
    std::vector<int> points;
    for (const double t : angles) {
      points.push_back(20 + static_cast<int>(std::lround(18 * std::cos(t))));
      points.push_back(20 + static_cast<int>(std::lround(18 * std::sin(t))));
    }
    const int shift = static_cast<int>(rng() % static_cast<unsigned>(n));
    std::vector<int> rotated(points.begin() + 2 * shift, points.end());
    rotated.insert(rotated.end(), points.begin(), points.begin() + 2 * shift);
    const int dx = coord(rng) - 20, dy = coord(rng) - 20;
    std::vector<int> moved = points;
    for (size_t k = 0; k < moved.size(); k += 2) moved[k] += dx, moved[k + 1] += dy;

    clear_to_color(a.get(), 0);
    clear_to_color(b.get(), 0);
    draw_polygon(a.get(), n, points.data(), 7);
    draw_polygon(b.get(), n, rotated.data(), 7);
    ASSERT_TRUE(bitmaps_equal(a.get(), b.get())) << "polygon " << i << " started at " << shift;

    clear_to_color(b.get(), 0);
    draw_polygon(b.get(), n, moved.data(), 7);
    reference_image want(64, 64, 16, 0);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        if (raw_pixel(a.get(), x, y) != 0 && x + dx >= 0 && x + dx < 64 && y + dy >= 0 &&
            y + dy < 64) {
          want.at(x + dx, y + dy) = 7;
        }
      }
    }
    ASSERT_TRUE(bitmap_matches(b.get(), want))
        << "polygon " << i << " moved by " << dx << "," << dy;
  }
}

TEST(DrawPolygon, ClippingEqualsMaskingTheUnclippedFill) {
  std::mt19937 rng(6);
  std::uniform_int_distribution<int> coord(-20, 80);
  bitmap_ptr whole = make_bitmap(32, 64, 64);
  bitmap_ptr clipped = make_bitmap(32, 64, 64);
  for (int i = 0; i < 200; ++i) {
    std::vector<int> points;
    const int n = 3 + static_cast<int>(rng() % 7);  // any shape, self-crossing too
    for (int k = 0; k < 2 * n; ++k) points.push_back(coord(rng));
    clear_to_color(whole.get(), 0);
    clear_to_color(clipped.get(), 0);
    set_clip_area(clipped.get(), 9, 13, 50, 41);
    draw_polygon(whole.get(), n, points.data(), 0xABCDEF);
    draw_polygon(clipped.get(), n, points.data(), 0xABCDEF);
    reference_image want(64, 64, 32, 0);
    for (int y = 13; y <= 41; ++y) {
      for (int x = 9; x <= 50; ++x) want.at(x, y) = raw_pixel(whole.get(), x, y);
    }
    ASSERT_TRUE(bitmap_matches(clipped.get(), want)) << "polygon " << i;
  }
}

TEST(DrawPolygon, ShapesReachingFarOutsideStayExact) {
  // Vertices far beyond the 18-bit fixed point's reach of a 32-bit word, and far above the
  // bitmap: the visible rows must match the same shape cut to a bitmap-sized window around it.
  bitmap_ptr bmp = make_bitmap(8, 64, 64);
  clear_to_color(bmp.get(), 0);
  draw_triangle(bmp.get(), -100000, 10, 100000, 20, 0, 50, 1);
  // The upper edge crosses x = 0 at row 15, the right edge leaves the bitmap's right column near
  // row 49: rows 16 to 48 show part of the triangle, rows above 15 and below 50 nothing.
  for (int y = 0; y < 64; ++y) {
    int count = 0;
    for (int x = 0; x < 64; ++x) count += raw_pixel(bmp.get(), x, y) != 0;
    if (y >= 16 && y <= 48) {
      EXPECT_GT(count, 0) << y;
    } else if (y < 15 || y >= 50) {
      EXPECT_EQ(count, 0) << y;
    }
  }
  EXPECT_EQ(raw_pixel(bmp.get(), 0, 30), 1u);
  EXPECT_EQ(raw_pixel(bmp.get(), 63, 30), 1u);

  // A sliver from far above: rows far over the bitmap are passed over, not stepped through.
  bitmap_ptr tall = make_bitmap(8, 64, 64);
  clear_to_color(tall.get(), 0);
  draw_triangle(tall.get(), 20, INT_MIN, 40, INT_MIN, 30, 40, 2);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool filled = raw_pixel(tall.get(), x, y) != 0;
      // Between the two edges, which run almost straight down at x = 20 and x = 40 here.
      if (filled) {
        ASSERT_TRUE(x >= 19 && x <= 41) << x << "," << y;
      }
      if (x >= 22 && x <= 38) {
        ASSERT_TRUE(filled) << x << "," << y;
      }
    }
  }
  for (int x = 0; x < 64; ++x) EXPECT_EQ(raw_pixel(tall.get(), x, 40), 0u);

  draw_triangle(tall.get(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MIN, INT_MAX, 3);
  EXPECT_EQ(raw_pixel(tall.get(), 10, 50), 3u);  // below the diagonal, inside
  EXPECT_EQ(raw_pixel(tall.get(), 50, 10), 0u);
}

TEST(DrawPolygon, VertexCountsBeyondTheScratchBufferDrawNothing) {
  // The edge records of that many vertices would need more bytes than the scratch buffer can
  // count: nothing is read from the points and nothing drawn.
  bitmap_ptr bmp = make_bitmap(8, 16, 16);
  clear_to_color(bmp.get(), 0);
  const int points[6] = {0, 0, 15, 0, 8, 15};
  draw_polygon(bmp.get(), INT_MAX, points, 1);
  draw_polygon(bmp.get(), 50000000, points, 1);
  const reference_image blank(16, 16, 8, 0);
  EXPECT_TRUE(bitmap_matches(bmp.get(), blank));
  // An ordinary polygon still works and leaves the buffer a multiple of 1024 bytes.
  draw_polygon(bmp.get(), 3, points, 1);
  EXPECT_EQ(raw_pixel(bmp.get(), 8, 5), 1u);
  EXPECT_EQ(scratch_buffer_size % 1024, 0);
}

TEST(DrawPolygon, ManyVertices) {
  // A star of 20000 points: every edge record fits, and the fill stays inside the star's circle.
  bitmap_ptr bmp = make_bitmap(8, 200, 200);
  clear_to_color(bmp.get(), 0);
  std::vector<int> points;
  for (int k = 0; k < 20000; ++k) {
    const double t = k * 6.283185307179586 / 20000;
    const double r = (k % 2) ? 90 : 40;
    points.push_back(100 + static_cast<int>(std::lround(r * std::cos(t))));
    points.push_back(100 + static_cast<int>(std::lround(r * std::sin(t))));
  }
  draw_polygon(bmp.get(), 20000, points.data(), 1);
  EXPECT_EQ(raw_pixel(bmp.get(), 100, 100), 1u);
  EXPECT_EQ(raw_pixel(bmp.get(), 2, 2), 0u);
}

// The scan-line fill done the plain way: a linked list searched from its front for the place of
// each joining edge, and every edge moved toward the front one step at a time while its
// predecessor lies further right. Its spans, row by row, are what draw_polygon must produce.
std::vector<std::tuple<int, int, int>> plain_polygon_spans(const std::vector<int> &points,
                                                           int rows) {
  struct edge {
    int top, bottom;
    int64_t x, dx, w;
  };
  constexpr int64_t one = int64_t{1} << 18;
  std::vector<edge> edges;
  const size_t n = points.size() / 2;
  for (size_t i = n; i-- > 0;) {  // the later edge first among equal tops, as the sort leaves it
    const size_t j = (i + 1) % n;
    int xa = points[2 * i], ya = points[2 * i + 1], xb = points[2 * j], yb = points[2 * j + 1];
    if (ya == yb) continue;
    if (ya > yb) std::swap(xa, xb), std::swap(ya, yb);
    edge e{ya, yb - 1, 0, (int64_t{xb} - xa) * one / (yb - ya), 0};
    e.x = int64_t{xa} * one + (one / 2 - 1);
    if (e.dx < 0) e.x += std::min<int64_t>(e.dx + one, 0);
    e.w = std::max<int64_t>(std::llabs(e.dx) - one, 0);
    edges.push_back(e);
  }
  std::stable_sort(edges.begin(), edges.end(),
                   [](const edge &a, const edge &b) { return a.top < b.top; });
  std::list<edge *> active;
  std::vector<std::tuple<int, int, int>> spans;
  size_t next = 0;
  for (int y = edges.empty() ? rows : edges[0].top; y < rows; ++y) {
    for (; next < edges.size() && edges[next].top == y; ++next) {
      edge *e = &edges[next];
      auto at = active.begin();
      while (at != active.end() && (*at)->x + ((*at)->w + (*at)->dx) / 2 < e->x + (e->w + e->dx) / 2) {
        ++at;
      }
      active.insert(at, e);
    }
    if (y >= 0) {
      for (auto a = active.begin(); a != active.end() && std::next(a) != active.end();
           std::advance(a, 2)) {
        const edge *b = *std::next(a);
        spans.emplace_back(y, static_cast<int>((*a)->x >> 18), static_cast<int>((b->x + b->w) >> 18));
      }
    }
    for (auto it = active.begin(); it != active.end();) {
      edge *e = *it;
      if (y >= e->bottom) {
        it = active.erase(it);
        continue;
      }
      e->x += e->dx;
      auto place = it;
      while (place != active.begin() && (*std::prev(place))->x + (*std::prev(place))->w / 2 >
                                            e->x + e->w / 2) {
        --place;
      }
      ++it;
      if (place != std::prev(it)) active.splice(place, active, std::prev(it));
    }
  }
  return spans;
}

// Self-crossing polygons of random vertices, many edges joining on the same rows: the spans are
// exactly the plain fill's.
TEST(DrawPolygon, CrossingEdgesGiveThePlainScanLineSpans) {
  std::mt19937 rng(11);
  bitmap_ptr bmp = make_bitmap(8, 120, 90);
  for (int trial = 0; trial < 40; ++trial) {
    const int n = 3 + static_cast<int>(rng() % 300);
    std::vector<int> points;
    for (int i = 0; i < n; ++i) {
      points.push_back(static_cast<int>(rng() % 140) - 10);
      points.push_back(static_cast<int>(rng() % (trial % 2 ? 12 : 110)) - 10);
    }
    std::vector<std::tuple<int, int, int>> spans;
    {
      draw_vtable table = *bmp->vtable;
      draw_vtable *own = bmp->vtable;
      static std::vector<std::tuple<int, int, int>> *out = nullptr;
      out = &spans;
      table.fill_hline = [](bitmap *, int x1, int y, int x2, int) { out->emplace_back(y, x1, x2); };
      bmp->vtable = &table;
      draw_polygon(bmp.get(), n, points.data(), 1);
      bmp->vtable = own;
    }
    ASSERT_EQ(spans, plain_polygon_spans(points, 90)) << "trial " << trial;
  }
}

// Thousands of edges crossing each other, all joining on the first row: the walk costs a few
// steps per edge and row times the logarithm of the edge count. A list searched from its front
// for each joining edge would take n * n / 2 steps on the first row alone.
TEST(DrawPolygon, CrossingEdgesCostRowsTimesEdgesTimesTheirLogarithm) {
  constexpr int n = 16384;  // 2^14
  constexpr int rows = 4;
  bitmap_ptr bmp = make_bitmap(8, 64, rows);
  std::mt19937 rng(5);
  std::vector<int> points;
  for (int i = 0; i < n; ++i) {
    points.push_back(static_cast<int>(rng() % 64));
    points.push_back(i % 2 == 0 ? 0 : rows);
  }
  draw_polygon(bmp.get(), n, points.data(), 1);
  const uint64_t steps = corvane::polygon_walk_steps;
  EXPECT_GE(steps, uint64_t{n} * rows);  // every edge stepped on every row
  EXPECT_LE(steps, uint64_t{8} * n * rows * 14);
}

// The count is kept where the edges are held, not by the loops that use them: a tall polygon of
// two edges reads both edges on every row to fill its span and again to step them, so at least
// four steps per row are counted however few comparisons the rows need.
TEST(DrawPolygon, WorkCountedIncludesFillingAndSteppingEveryEdge) {
  constexpr int rows = 1000;
  bitmap_ptr bmp = make_bitmap(8, 16, rows);
  const int points[6] = {0, 0, 15, 0, 8, rows};
  draw_polygon(bmp.get(), 3, points, 1);
  EXPECT_GE(corvane::polygon_walk_steps, uint64_t{4} * rows);
  EXPECT_LE(corvane::polygon_walk_steps, uint64_t{40} * rows);
}

}  // namespace
