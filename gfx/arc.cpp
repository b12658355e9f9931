// Arcs: a walk around the circle, counter-clockwise on screen, quadrant by quadrant, from the
// point of the start angle to that of the end angle. Angles are binary: 16.16 fixed point with
// 256 units to the full turn. Each step picks, among a move in x, in y or in both (in the
// quadrant's direction), the candidate closest to the circle.
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

}  // namespace

void generic_draw_arc(bitmap *bmp, int x, int y, fixed start_angle, fixed end_angle, int radius,
                      int color) noexcept {
  if (!drawable(bmp) || bmp->vtable->put_pixel == nullptr) return;
  const scoped_acquire acquired(bmp);
  walk_arc(bmp, x, y, start_angle, end_angle, radius, color, bmp->vtable->put_pixel);
}

}  // namespace corvane

extern "C" {

void walk_arc(bitmap *bmp, int x, int y, fixed start_angle, fixed end_angle, int radius, int d,
              point_proc proc) noexcept {
  using namespace corvane;
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
    if (quadrant == end_quadrant) {
      const bool x_reached = sx > 0 ? p.x >= end.x : p.x <= end.x;
      const bool y_reached = sy > 0 ? p.y >= end.y : p.y <= end.y;
      if (x_reached && y_reached) break;
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

}  // extern "C"
