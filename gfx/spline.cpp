// Cubic Bezier splines through four control points, drawn as line segments between points found
// by forward differencing. In MODE_XOR and MODE_TRANSLUCENT the pixel where two segments meet
// would be drawn twice (and so cancelled or darkened): it is put back after the first segment.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "corvane/bitmap.h"
#include "corvane/draw.h"
#include "gfx/primitives.h"

namespace corvane {
namespace {

constexpr int max_spline_points = 64;

// The number of points: about 1.2 times the square root of the control polygon's length, at
// least 2 (a single point would leave nothing to join, and the step 1 / (n - 1) would divide by
// zero) and at most 64.
int spline_point_count(const int points[8]) noexcept {
  double length = 0.0;
  for (int i = 0; i < 3; ++i) {
    const auto dx = static_cast<double>(int64_t{points[2 * i + 2]} - points[2 * i]);
    const auto dy = static_cast<double>(int64_t{points[2 * i + 3]} - points[2 * i + 1]);
    length += std::sqrt(dx * dx + dy * dy);
  }
  const double n = std::sqrt(length) * 1.2;
  if (!(n < max_spline_points)) return max_spline_points;
  return std::max(static_cast<int>(n), 2);
}

// One axis of the curve: n values by forward differencing, the first exactly p0.
void spline_axis(double p0, double p1, double p2, double p3, int n, int *out) noexcept {
  const double a = 3.0 * (p1 - p0);
  const double b = 3.0 * (p2 - 2.0 * p1 + p0);
  const double c = 3.0 * (p1 - p2) + p3 - p0;
  const double s = 1.0 / (n - 1);
  const double s2 = s * s;
  const double s3 = s2 * s;
  double d1 = a * s + b * s2 + c * s3;
  double d2 = 2.0 * b * s2 + 6.0 * c * s3;
  const double d3 = 6.0 * c * s3;
  double value = p0 + 0.5;
  out[0] = static_cast<int>(p0);
  for (int i = 1; i < n; ++i) {
    value += d1;
    d1 += d2;
    d2 += d3;
    // Truncation toward zero, kept within the int range.
    const double t = std::trunc(value);
    out[i] = t >= 2147483647.0    ? 2147483647
             : t <= -2147483648.0 ? -2147483647 - 1
                                  : static_cast<int>(t);
  }
}

}  // namespace

void generic_draw_spline(bitmap *bmp, const int points[8], int color) noexcept {
  if (!drawable(bmp) || points == nullptr) return;
  const int n = spline_point_count(points);
  int xs[max_spline_points];
  int ys[max_spline_points];
  spline_axis(points[0], points[2], points[4], points[6], n, xs);
  spline_axis(points[1], points[3], points[5], points[7], n, ys);

  draw_vtable *table = bmp->vtable;
  void (*line)(bitmap *, int, int, int, int, int) =
      table->draw_line != nullptr ? table->draw_line : generic_draw_line;
  const bool protect = (draw_mode == MODE_XOR || draw_mode == MODE_TRANSLUCENT) &&
                       table->get_pixel != nullptr && table->put_pixel != nullptr;
  const scoped_acquire acquired(bmp);
  for (int i = 1; i < n; ++i) {
    const bool inner_joint = protect && i < n - 1;
    const int saved = inner_joint ? table->get_pixel(bmp, xs[i], ys[i]) : 0;
    line(bmp, xs[i - 1], ys[i - 1], xs[i], ys[i], color);
    if (inner_joint) {
      // Outside the bitmap there is nothing to put back.
      if (xs[i] >= 0 && xs[i] < bmp->width && ys[i] >= 0 && ys[i] < bmp->height) {
        const int mode = draw_mode;
        bitmap *pattern = draw_pattern;
        const int x_anchor = pattern_x_anchor;
        const int y_anchor = pattern_y_anchor;
        set_draw_mode(MODE_SOLID, nullptr, 0, 0);
        table->put_pixel(bmp, xs[i], ys[i], saved);
        set_draw_mode(mode, pattern, x_anchor, y_anchor);
      }
    }
  }
}

}  // namespace corvane
