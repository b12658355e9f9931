// Circles by the midpoint algorithm: the public walker (every point of the outline once), the
// outline through put_pixel and the filled circle through fill_hline. The walk runs in 64 bits so
// that centres and radii near the ends of the int range stay defined.
//
// The walk's state at any column of the octant follows from the column alone (the row is the
// largest y with y(y - 1) < r^2 - x^2, and the decision terms follow from both), so a circle
// that is mostly outside the clip rectangle is drawn by walking only the columns whose points or
// rows can reach it: the same calls for those, none for the rest, and work in proportion to the
// clip rectangle rather than to the radius.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/draw.h"
#include "gfx/primitives.h"

namespace corvane {
namespace {

// The midpoint walk over one octant, from (0, radius) until cx passes cy. visit (cx, cy, about to
// step inward) is called once per step.
template <class Visit>
void walk_octant(int radius, Visit visit) noexcept {
  int64_t cx = 0;
  int64_t cy = radius;
  int64_t decision = 1 - int64_t{radius};
  int64_t east = 3;
  int64_t south_east = 5 - 2 * int64_t{radius};
  while (cx <= cy) {
    visit(cx, cy, decision >= 0);
    if (decision < 0) {
      decision += east;
      east += 2;
      south_east += 2;
    } else {
      decision += south_east;
      east += 2;
      south_east += 4;
      --cy;
    }
    ++cx;
  }
}

// The eight mirror images of an octant point, each distinct one once.
void plot_octant_points(point_proc proc, bitmap *bmp, int64_t x, int64_t y, int64_t cx,
                        int64_t cy, int d) noexcept {
  plot_point(proc, bmp, x + cx, y + cy, d);
  if (cx != 0) plot_point(proc, bmp, x - cx, y + cy, d);
  if (cy != 0) plot_point(proc, bmp, x + cx, y - cy, d);
  if (cx != 0 && cy != 0) plot_point(proc, bmp, x - cx, y - cy, d);
  if (cx != cy) {
    plot_point(proc, bmp, x + cy, y + cx, d);
    if (cy != 0) plot_point(proc, bmp, x - cy, y + cx, d);
    if (cx != 0) plot_point(proc, bmp, x + cy, y - cx, d);
    if (cx != 0 && cy != 0) plot_point(proc, bmp, x - cy, y - cx, d);
  }
}

// The row the walk holds at column cx of the octant: the largest y with y (y - 1) < r^2 - cx^2.
int64_t octant_row(int64_t radius, int64_t cx) noexcept {
  const int64_t room = radius * radius - cx * cx;
  if (room <= 0) return 0;
  auto y = static_cast<int64_t>(std::sqrt(static_cast<long double>(room))) + 1;
  while (y > 0 && y * (y - 1) >= room) --y;
  while ((y + 1) * y < room) ++y;
  return y;
}

// The last column of the octant walk (where cx passes cy), or -1 for a negative radius.
int64_t octant_end(int64_t radius) noexcept {
  if (radius < 0) return -1;
  int64_t lo = 0;  // cx <= row holds here
  int64_t hi = radius + 1;
  while (hi - lo > 1) {
    const int64_t mid = lo + (hi - lo) / 2;
    if (mid <= octant_row(radius, mid)) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return lo;
}

// The columns of [0, end] whose row lies in [lo, hi] (rows fall as columns grow), as [first, last].
struct column_range {
  int64_t first;
  int64_t last;
};

column_range columns_with_rows(int64_t radius, int64_t end, int64_t lo, int64_t hi) noexcept {
  // First column whose row is at most hi.
  int64_t a = 0;
  int64_t b = end + 1;
  while (a < b) {
    const int64_t mid = a + (b - a) / 2;
    if (octant_row(radius, mid) <= hi) {
      b = mid;
    } else {
      a = mid + 1;
    }
  }
  const int64_t first = a;
  // Last column whose row is at least lo.
  a = -1;
  b = end;
  while (a < b) {
    const int64_t mid = b - (b - a) / 2;
    if (octant_row(radius, mid) >= lo) {
      a = mid;
    } else {
      b = mid - 1;
    }
  }
  return {first, a};
}

// Resumes the octant walk at column first and runs it to column last, calling visit as
// walk_octant does.
template <class Visit>
void walk_octant_columns(int64_t radius, int64_t first, int64_t last, Visit visit) noexcept {
  int64_t cx = first;
  int64_t cy = octant_row(radius, cx);
  int64_t decision = (cx + 1) * (cx + 1) + cy * cy - cy - radius * radius;
  for (; cx <= last; ++cx) {
    visit(cx, cy, decision >= 0);
    if (decision < 0) {
      decision += 2 * cx + 3;
    } else {
      decision += 2 * cx - 2 * cy + 5;
      --cy;
    }
  }
}

// Offsets from a centre c that land in [lo, hi), folded to non-negative values: the offsets o
// with c + o inside and those with c - o inside, as two ranges (empty when first > last).
void inside_offsets(int64_t c, int64_t lo, int64_t hi, column_range out[2]) noexcept {
  out[0] = {std::max<int64_t>(lo - c, 0), hi - 1 - c};
  out[1] = {std::max<int64_t>(c - hi + 1, 0), c - lo};
}

// Walks the columns in the given ranges once each, in order, merging overlaps.
template <class Visit>
void walk_column_ranges(int64_t radius, std::vector<column_range> &ranges, Visit visit) noexcept {
  std::sort(ranges.begin(), ranges.end(),
            [](const column_range &a, const column_range &b) { return a.first < b.first; });
  int64_t done = -1;  // every column up to here has been walked
  for (const column_range &r : ranges) {
    const int64_t first = std::max(r.first, done + 1);
    if (first > r.last) continue;
    walk_octant_columns(radius, first, r.last, visit);
    done = r.last;
  }
}

// The bounding box of the clip shortcut: the centre plus and minus the radius plus one.
clip_shortcut circle_shortcut(bitmap *bmp, int x, int y, int rx, int ry) noexcept {
  return clip_shortcut(bmp, int64_t{x} - rx - 1, int64_t{y} - ry - 1, int64_t{x} + rx + 1,
                       int64_t{y} + ry + 1);
}

}  // namespace

void generic_draw_circle(bitmap *bmp, int x, int y, int radius, int color) noexcept {
  if (!drawable(bmp) || bmp->vtable->put_pixel == nullptr) return;
  const bool clipped = bmp->clipping != 0;
  const draw_area area = drawing_area(bmp);
  const clip_shortcut shortcut = circle_shortcut(bmp, x, y, radius, radius);
  if (shortcut.outside()) return;
  const scoped_acquire acquired(bmp);
  point_proc put = bmp->vtable->put_pixel;
  if (!clipped || shortcut.inside()) {
    walk_circle(bmp, x, y, radius, color, put);
    return;
  }
  // A point (x +- cx, y +- cy) or (x +- cy, y +- cx) reaches the area only when one coordinate's
  // offset and the other's both do; each pairing is a range of columns.
  const int64_t end = octant_end(radius);
  column_range across[2];
  column_range down[2];
  inside_offsets(x, area.left, area.right, across);
  inside_offsets(y, area.top, area.bottom, down);
  std::vector<column_range> ranges;
  try {
    for (const column_range &a : across) {
      for (const column_range &d : down) {
        for (const bool swapped : {false, true}) {
          const column_range &columns = swapped ? d : a;
          const column_range &rows = swapped ? a : d;
          if (columns.first > columns.last || rows.first > rows.last) continue;
          const column_range by_row = columns_with_rows(radius, end, rows.first, rows.last);
          ranges.push_back({std::max(columns.first, by_row.first),
                            std::min({columns.last, by_row.last, end})});
        }
      }
    }
  } catch (...) {
    return;
  }
  walk_column_ranges(radius, ranges, [&](int64_t cx, int64_t cy, bool) {
    plot_octant_points(put, bmp, x, y, cx, cy, color);
  });
}

void generic_fill_circle(bitmap *bmp, int x, int y, int radius, int color) noexcept {
  if (!drawable(bmp) || bmp->vtable->fill_hline == nullptr) return;
  const bool clipped = bmp->clipping != 0;
  const draw_area area = drawing_area(bmp);
  const clip_shortcut shortcut = circle_shortcut(bmp, x, y, radius, radius);
  if (shortcut.outside()) return;
  const scoped_acquire acquired(bmp);
  void (*fill)(bitmap *, int, int, int, int) = bmp->vtable->fill_hline;
  const auto span = [&](int64_t left, int64_t row, int64_t right) {
    if (fits_int(row))
      fill(bmp, clamp_to_int(left), static_cast<int>(row), clamp_to_int(right), color);
  };
  if (clipped && !shortcut.inside()) {
    // The rows y +- cx come from the columns cx whose rows reach the area; the rows y +- cy only
    // from the column where the walk steps inward from cy, found for each such row directly.
    const int64_t end = octant_end(radius);
    column_range down[2];
    inside_offsets(y, area.top, area.bottom, down);
    std::vector<column_range> ranges;
    try {
      for (const column_range &d : down) {
        if (d.first <= d.last) ranges.push_back({d.first, std::min(d.last, end)});
      }
    } catch (...) {
      return;
    }
    walk_column_ranges(radius, ranges, [&](int64_t cx, int64_t cy, bool) {
      span(x - cy, y - cx, x + cy);
      if (cx != 0) span(x - cy, y + cx, x + cy);
    });
    if (end < 0) return;
    const int64_t lowest = octant_row(radius, end);
    int64_t done = -1;  // rows cy up to here have been drawn
    if (down[1].first < down[0].first) std::swap(down[0], down[1]);
    for (const column_range &d : down) {
      for (int64_t cy = std::max({d.first, lowest, done + 1}); cy <= std::min<int64_t>(d.last, radius);
           ++cy) {
        // The last column holding row cy; the walk steps inward there when its decision says so.
        const int64_t cx = columns_with_rows(radius, end, cy, cy).last;
        if (cx < 0 || octant_row(radius, cx) != cy) continue;
        const int64_t decision = (cx + 1) * (cx + 1) + cy * cy - cy - int64_t{radius} * radius;
        if (decision >= 0 && cx != cy) {
          span(x - cx, y - cy, x + cx);
          if (cy != 0) span(x - cx, y + cy, x + cx);
        }
        done = cy;
      }
    }
    return;
  }
  walk_octant(radius, [&](int64_t cx, int64_t cy, bool stepping_in) {
    span(x - cy, y - cx, x + cy);
    if (cx != 0) span(x - cy, y + cx, x + cy);
    // The rows at +-cy are complete only once the walk is about to leave them.
    if (stepping_in && cx != cy) {
      span(x - cx, y - cy, x + cx);
      if (cy != 0) span(x - cx, y + cy, x + cx);
    }
  });
}

}  // namespace corvane

extern "C" {

void walk_circle(bitmap *bmp, int x, int y, int radius, int d, point_proc proc) noexcept {
  if (proc == nullptr) return;
  corvane::walk_octant(radius, [&](int64_t cx, int64_t cy, bool) {
    corvane::plot_octant_points(proc, bmp, x, y, cx, cy, d);
  });
}

}  // extern "C"
