// Lines: Bresenham's walk (public as walk_line), draw_line, and draw_fast_line, which cuts the
// segment to the clip rectangle by region codes before walking it.
//
// Coordinates are ints, but differences and products of them are not: the arithmetic is done in
// 64 bits (128 for products), so that lines between far-apart points stay exact and defined.
// Lines that reach far outside the bitmap are walked only over the steps that can land inside it;
// the closed form of the decision value gives the state at the first such step.
#include <cstdint>
#include <cstdlib>

#include "corvane/bitmap.h"
#include "corvane/draw.h"
#include "gfx/primitives.h"

namespace corvane {

void walk_line_band(bitmap *bmp, int x1, int y1, int x2, int y2, int64_t low, int64_t high, int d,
                    point_proc proc) noexcept {
  const int64_t dx = int64_t{x2} - x1;
  const int64_t dy = int64_t{y2} - y1;
  const bool x_major = std::llabs(dx) >= std::llabs(dy);
  const int64_t major_delta = x_major ? dx : dy;
  const int64_t minor_delta = x_major ? dy : dx;
  const int64_t a = std::llabs(major_delta);
  const int64_t b = std::llabs(minor_delta);
  const int64_t major_step = major_delta < 0 ? -1 : 1;
  const int64_t minor_step = minor_delta < 0 ? -1 : 1;
  const int64_t major0 = x_major ? x1 : y1;
  const int64_t minor0 = x_major ? y1 : x1;

  // The steps k (0..a) whose major coordinate major0 + k * major_step lies in [low, high].
  int64_t first = 0;
  int64_t last = a;
  if (major_step > 0) {
    first = std::max<int64_t>(first, low - major0);
    last = std::min<int64_t>(last, high - major0);
  } else {
    first = std::max<int64_t>(first, major0 - high);
    last = std::min<int64_t>(last, major0 - low);
  }
  if (first > last) return;

  // The decision value stays within [2b - 2a, 2b) at every step, which fixes the number of minor
  // moves made before step k: floor((2kb + a) / 2a). The value itself follows from that count.
  int64_t minor_moves = 0;
  int64_t decision = 2 * b - a;
  if (a != 0 && first != 0) {
    const wide_int k = first;
    minor_moves = static_cast<int64_t>((2 * k * b + a) / (2 * wide_int{a}));
    decision =
        static_cast<int64_t>(wide_int{2 * b - a} + 2 * k * b - 2 * wide_int{a} * minor_moves);
  }
  const int64_t grow_both = 2 * (b - a);
  const int64_t grow_major = 2 * b;
  int64_t major = major0 + first * major_step;
  int64_t minor = minor0 + minor_moves * minor_step;
  for (int64_t k = first;; ++k) {
    if (x_major) {
      plot_point(proc, bmp, major, minor, d);
    } else {
      plot_point(proc, bmp, minor, major, d);
    }
    if (k == last) break;
    major += major_step;
    if (decision >= 0) {
      minor += minor_step;
      decision += grow_both;
    } else {
      decision += grow_major;
    }
  }
}

namespace {

// The drawable band of a line's major axis.
void walk_line_in_area(bitmap *bmp, int x1, int y1, int x2, int y2, int color, point_proc proc) {
  const draw_area area = drawing_area(bmp);
  const bool x_major = std::llabs(int64_t{x2} - x1) >= std::llabs(int64_t{y2} - y1);
  if (x_major) {
    walk_line_band(bmp, x1, y1, x2, y2, area.left, int64_t{area.right} - 1, color, proc);
  } else {
    walk_line_band(bmp, x1, y1, x2, y2, area.top, int64_t{area.bottom} - 1, color, proc);
  }
}

// Region codes of a point against the rectangle [left, right] x [top, bottom].
struct region {
  int64_t left;
  int64_t top;
  int64_t right;
  int64_t bottom;

  int code(int64_t x, int64_t y) const noexcept {
    int c = 0;
    if (y < top) {
      c |= 8;
    } else if (y > bottom) {
      c |= 4;
    }
    if (x < left) {
      c |= 2;
    } else if (x > right) {
      c |= 1;
    }
    return c;
  }
};

// a + (b_delta * (boundary - a_origin)) / a_delta, truncating toward zero.
int64_t intersect(int64_t origin, int64_t delta, int64_t distance, int64_t divisor) noexcept {
  if (divisor == 0) return origin;
  return origin + static_cast<int64_t>(wide_int{delta} * distance / divisor);
}

// Cuts the segment to the rectangle; false when nothing of it is inside.
bool cut_segment(const region &r, int64_t &x1, int64_t &y1, int64_t &x2, int64_t &y2) noexcept {
  int c1 = r.code(x1, y1);
  int c2 = r.code(x2, y2);
  while ((c1 | c2) != 0) {
    if ((c1 & c2) != 0) return false;
    const int c = c1 != 0 ? c1 : c2;
    int64_t x = 0;
    int64_t y = 0;
    if ((c & 8) != 0 || (c & 4) != 0) {
      y = (c & 8) != 0 ? r.top : r.bottom;
      x = intersect(x1, x2 - x1, y - y1, y2 - y1);
    } else {
      x = (c & 2) != 0 ? r.left : r.right;
      y = intersect(y1, y2 - y1, x - x1, x2 - x1);
    }
    if (c == c1) {
      x1 = x;
      y1 = y;
      c1 = r.code(x1, y1);
    } else {
      x2 = x;
      y2 = y;
      c2 = r.code(x2, y2);
    }
  }
  return true;
}

}  // namespace

void generic_draw_line(bitmap *bmp, int x1, int y1, int x2, int y2, int color) noexcept {
  if (!drawable(bmp)) return;
  draw_vtable *table = bmp->vtable;
  if (x1 == x2) {
    if (table->draw_vline != nullptr) table->draw_vline(bmp, x1, y1, y2, color);
    return;
  }
  if (y1 == y2) {
    if (table->draw_hline != nullptr) table->draw_hline(bmp, x1, y1, x2, color);
    return;
  }
  if (table->put_pixel == nullptr) return;
  const clip_shortcut shortcut(bmp, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2),
                               std::max(y1, y2));
  if (shortcut.outside()) return;
  const scoped_acquire acquired(bmp);
  walk_line_in_area(bmp, x1, y1, x2, y2, color, table->put_pixel);
}

void generic_draw_fast_line(bitmap *bmp, int x1, int y1, int x2, int y2, int color) noexcept {
  if (!drawable(bmp)) return;
  if (bmp->clipping == 0) {
    generic_draw_line(bmp, x1, y1, x2, y2, color);
    return;
  }
  const draw_area area = drawing_area(bmp);
  if (area.right <= area.left || area.bottom <= area.top) return;
  const region r{area.left, area.top, int64_t{area.right} - 1, int64_t{area.bottom} - 1};
  int64_t ax = x1;
  int64_t ay = y1;
  int64_t bx = x2;
  int64_t by = y2;
  if (!cut_segment(r, ax, ay, bx, by)) return;
  // Both ends now lie inside the area, so they fit an int.
  const int cx1 = static_cast<int>(ax);
  const int cy1 = static_cast<int>(ay);
  const int cx2 = static_cast<int>(bx);
  const int cy2 = static_cast<int>(by);

  draw_vtable *table = bmp->vtable;
  const int clipping = bmp->clipping;
  bmp->clipping = 0;
  if (cx1 == cx2) {
    if (table->draw_vline != nullptr) table->draw_vline(bmp, cx1, cy1, cy2, color);
  } else if (cy1 == cy2) {
    if (table->draw_hline != nullptr) table->draw_hline(bmp, cx1, cy1, cx2, color);
  } else if (table->put_pixel != nullptr) {
    const scoped_acquire acquired(bmp);
    walk_line_band(bmp, cx1, cy1, cx2, cy2, INT64_MIN / 4, INT64_MAX / 4, color, table->put_pixel);
  }
  bmp->clipping = clipping;
}

}  // namespace corvane

extern "C" {

void walk_line(bitmap *bmp, int x1, int y1, int x2, int y2, int d, point_proc proc) noexcept {
  if (proc == nullptr) return;
  corvane::walk_line_band(bmp, x1, y1, x2, y2, INT64_MIN / 4, INT64_MAX / 4, d, proc);
}

}  // extern "C"
