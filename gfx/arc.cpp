// Arcs: a walk around the circle, counter-clockwise on screen, quadrant by quadrant, from the
// point of the start angle to that of the end angle. Angles are binary: 16.16 fixed point with
// 256 units to the full turn. Each step picks, among a move in x, in y or in both (in the
// quadrant's direction), the candidate closest to the circle.
//
// Within a quadrant the walk moves monotonically in x and in y, and once it is on its usual path
// it passes, for every row and every column, the point of that row or column closest to the
// circle; each step depends on the current point alone. So a clipped arc skips ahead: from a
// point on that path and outside the clip rectangle, straight to the last such point before the
// walk can reach the rectangle (or, once past it, to the end of the quadrant), and the points it
// draws inside the rectangle are exactly those of the whole walk.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "corvane/bitmap.h"
#include "corvane/draw.h"
#include "gfx/primitives.h"

namespace corvane {
namespace {

// One full turn of binary angle.
constexpr double full_turn = 16777216.0;
constexpr double two_pi = 6.283185307179586476925286766559;

struct arc_point {
  int64_t x;
  int64_t y;
};

// The point at an angle, rounded half away from zero.
arc_point point_at(int64_t radius, fixed angle) noexcept {
  const double a = static_cast<double>(angle) * (two_pi / full_turn);
  const auto r = static_cast<double>(radius);
  return {std::llround(r * std::cos(a)), std::llround(-r * std::sin(a))};
}

// 0: right and above; 1: left and above; 2: left and below; 3: right and below (y grows down).
int quadrant_of(const arc_point &p) noexcept {
  if (p.x >= 0 && p.y <= 0) return 0;
  if (p.x < 0 && p.y < 0) return 1;
  if (p.x < 0) return 2;
  return 3;
}

// Distance of a point from the circle: |x^2 + y^2 - r^2|, in unsigned 64 bits (the coordinates
// stay within radius + 1 of the centre).
uint64_t circle_error(int64_t x, int64_t y, uint64_t r2) noexcept {
  const uint64_t ux = static_cast<uint64_t>(x < 0 ? -x : x);
  const uint64_t uy = static_cast<uint64_t>(y < 0 ? -y : y);
  const uint64_t s = ux * ux + uy * uy;
  return s >= r2 ? s - r2 : r2 - s;
}

// The offset v >= 0 that brings (v, c) closest to the circle: |v^2 + c^2 - r^2| smallest.
int64_t closest_offset(int64_t radius, int64_t c) noexcept {
  const uint64_t r2 = static_cast<uint64_t>(radius) * static_cast<uint64_t>(radius);
  const uint64_t c2 = static_cast<uint64_t>(c) * static_cast<uint64_t>(c);
  if (c2 >= r2) return 0;
  const uint64_t room = r2 - c2;
  auto k = static_cast<int64_t>(std::sqrt(static_cast<long double>(room)));
  while (k > 0 && static_cast<uint64_t>(k) * static_cast<uint64_t>(k) > room) --k;
  while (static_cast<uint64_t>(k + 1) * static_cast<uint64_t>(k + 1) <= room) ++k;
  // k^2 <= room < (k + 1)^2: k or k + 1.
  return circle_error(k + 1, c, r2) < circle_error(k, c, r2) ? k + 1 : k;
}

// The rectangle a clipped arc draws in, as offsets from the centre (inclusive).
struct arc_window {
  int64_t left, right, top, bottom;
};

// Where a clipped walk may skip to from p in its quadrant: a later point of the walk's path such
// that every point from p up to it lies outside the window, or p itself.
arc_point skip_target(const arc_point &p, int quadrant, int64_t sx, int64_t sy, int64_t radius,
                      const arc_window &w) noexcept {
  if (p.x >= w.left && p.x <= w.right && p.y >= w.top && p.y <= w.bottom) return p;
  const int q = quadrant & 3;
  const int64_t xs = (q == 0 || q == 3) ? 1 : -1;  // the sign of x in this quadrant
  const int64_t ys = (q == 0 || q == 1) ? -1 : 1;
  const int64_t ax = p.x < 0 ? -p.x : p.x;
  const int64_t ay = p.y < 0 ? -p.y : p.y;
  // Only from a point of the usual path: right after the start angle's point the walk may still
  // be on its way to it.
  if (closest_offset(radius, ay) != ax && closest_offset(radius, ax) != ay) return p;
  const auto later = [&](const arc_point &a, const arc_point &b) {  // a comes after b
    return (a.x - b.x) * sx > 0 || (a.x == b.x && (a.y - b.y) * sy > 0);
  };
  arc_point best = p;
  const auto consider = [&](const arc_point &c) {
    if (later(c, best)) best = c;
  };
  const auto at_column = [&](int64_t c) { return arc_point{c, ys * closest_offset(radius, xs * c)}; };
  const auto at_row = [&](int64_t r) { return arc_point{xs * closest_offset(radius, ys * r), r}; };
  // Columns and rows of this quadrant: x between 0 and xs * radius, y between 0 and ys * radius.
  const auto column_in_quadrant = [&](int64_t c) { return c * xs >= 0 && c * xs <= radius; };
  const auto row_in_quadrant = [&](int64_t r) { return r * ys >= 0 && r * ys <= radius; };

  const bool past_x = sx < 0 ? p.x < w.left : p.x > w.right;
  const bool past_y = sy < 0 ? p.y < w.top : p.y > w.bottom;
  if (past_x || past_y) {
    // Nothing more of this quadrant reaches the window: on to its last column or row.
    if ((q & 1) == 0) {
      const int64_t c = sx < 0 ? 1 : -1;
      if (column_in_quadrant(c)) consider(at_column(c));
    } else {
      const int64_t r = sy < 0 ? 1 : -1;
      if (row_in_quadrant(r)) consider(at_row(r));
    }
    return best;
  }
  // Before the window in x or in y: to the last column (row) before it.
  const int64_t column = sx < 0 ? w.right + 1 : w.left - 1;
  if ((sx < 0 ? p.x > w.right : p.x < w.left) && column_in_quadrant(column)) {
    consider(at_column(column));
  }
  const int64_t row = sy < 0 ? w.bottom + 1 : w.top - 1;
  if ((sy < 0 ? p.y > w.bottom : p.y < w.top) && row_in_quadrant(row)) consider(at_row(row));
  return best;
}

// The walk of walk_arc; with a window, the stretches that cannot reach it are skipped.
void arc_walk(bitmap *bmp, int x, int y, fixed start_angle, fixed end_angle, int radius, int d,
              point_proc proc, const arc_window *window) noexcept {
  if (proc == nullptr || radius < 0) return;
  if (radius == 0) {
    proc(bmp, x, y, d);
    return;
  }
  static constexpr int step_x[4] = {-1, -1, 1, 1};
  static constexpr int step_y[4] = {-1, 1, 1, -1};

  arc_point p = point_at(radius, start_angle);
  const arc_point end = point_at(radius, end_angle);
  int quadrant = quadrant_of(p);
  int64_t sx = step_x[quadrant];
  int64_t sy = step_y[quadrant];

  int end_quadrant = quadrant_of(end);
  if (end_quadrant < quadrant) {
    end_quadrant += 4;
  } else if (end_quadrant == quadrant) {
    // Within one quadrant the arc ends there only when the end lies ahead of the start; otherwise
    // it passes its start again first.
    const uint32_t a1 = static_cast<uint32_t>(start_angle) & 0xFFFFFFu;
    const uint32_t a2 = static_cast<uint32_t>(end_angle) & 0xFFFFFFu;
    if (!(a2 >= a1 && (a1 >= 0x400000u || a2 < 0xC00000u))) end_quadrant += 4;
  }

  const uint64_t r2 = static_cast<uint64_t>(radius) * static_cast<uint64_t>(radius);
  // Two full turns at most; the bound only guards against a walk that stops moving.
  const int64_t limit = 16 * (int64_t{radius} + 2);
  for (int64_t n = 0; n < limit; ++n) {
    if ((quadrant & 1) != 0) {
      if (p.y == 0) {
        ++quadrant;
        sx = -sx;
      }
    } else if (p.x == 0) {
      ++quadrant;
      sy = -sy;
    }
    if (quadrant > end_quadrant) break;
    const auto reached = [&](const arc_point &at) {
      const bool x_reached = sx > 0 ? at.x >= end.x : at.x <= end.x;
      const bool y_reached = sy > 0 ? at.y >= end.y : at.y <= end.y;
      return x_reached && y_reached;
    };
    if (quadrant == end_quadrant && reached(p)) break;
    if (window != nullptr) {
      const arc_point target = skip_target(p, quadrant, sx, sy, radius, *window);
      if (target.x != p.x || target.y != p.y) {
        // The points skipped lie outside the window; a walk that would end among them ends.
        if (quadrant == end_quadrant && reached(target)) break;
        p = target;
        continue;
      }
    }
    plot_point(proc, bmp, x + p.x, y + p.y, d);

    const uint64_t err_x = circle_error(p.x + sx, p.y, r2);
    const uint64_t err_y = circle_error(p.x, p.y + sy, r2);
    const uint64_t err_xy = circle_error(p.x + sx, p.y + sy, r2);
    const bool move_x = !(err_y < err_x && err_y < err_xy);
    const bool move_y = !(err_x <= err_y && err_x <= err_xy);
    if (move_x) p.x += sx;
    if (move_y) p.y += sy;
  }
}

}  // namespace

void generic_draw_arc(bitmap *bmp, int x, int y, fixed start_angle, fixed end_angle, int radius,
                      int color) noexcept {
  if (!drawable(bmp) || bmp->vtable->put_pixel == nullptr) return;
  const scoped_acquire acquired(bmp);
  if (bmp->clipping == 0) {
    arc_walk(bmp, x, y, start_angle, end_angle, radius, color, bmp->vtable->put_pixel, nullptr);
    return;
  }
  const draw_area area = drawing_area(bmp);
  const arc_window window{int64_t{area.left} - x, int64_t{area.right} - 1 - x,
                          int64_t{area.top} - y, int64_t{area.bottom} - 1 - y};
  arc_walk(bmp, x, y, start_angle, end_angle, radius, color, bmp->vtable->put_pixel, &window);
}

}  // namespace corvane

extern "C" {

void walk_arc(bitmap *bmp, int x, int y, fixed start_angle, fixed end_angle, int radius, int d,
              point_proc proc) noexcept {
  corvane::arc_walk(bmp, x, y, start_angle, end_angle, radius, d, proc, nullptr);
}

}  // extern "C"
