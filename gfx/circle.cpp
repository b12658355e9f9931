// Circles by the midpoint algorithm: the public walker (every point of the outline once), the
// outline through put_pixel and the filled circle through fill_hline. The walk runs in 64 bits so
// that centres and radii near the ends of the int range stay defined.
#include <cstdint>

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

// The bounding box of the clip shortcut: the centre plus and minus the radius plus one.
clip_shortcut circle_shortcut(bitmap *bmp, int x, int y, int rx, int ry) noexcept {
  return clip_shortcut(bmp, int64_t{x} - rx - 1, int64_t{y} - ry - 1, int64_t{x} + rx + 1,
                       int64_t{y} + ry + 1);
}

}  // namespace

void generic_draw_circle(bitmap *bmp, int x, int y, int radius, int color) noexcept {
  if (!drawable(bmp) || bmp->vtable->put_pixel == nullptr) return;
  const clip_shortcut shortcut = circle_shortcut(bmp, x, y, radius, radius);
  if (shortcut.outside()) return;
  const scoped_acquire acquired(bmp);
  walk_circle(bmp, x, y, radius, color, bmp->vtable->put_pixel);
}

void generic_fill_circle(bitmap *bmp, int x, int y, int radius, int color) noexcept {
  if (!drawable(bmp) || bmp->vtable->fill_hline == nullptr) return;
  const clip_shortcut shortcut = circle_shortcut(bmp, x, y, radius, radius);
  if (shortcut.outside()) return;
  const scoped_acquire acquired(bmp);
  void (*fill)(bitmap *, int, int, int, int) = bmp->vtable->fill_hline;
  const auto span = [&](int64_t left, int64_t row, int64_t right) {
    if (fits_int(row))
      fill(bmp, clamp_to_int(left), static_cast<int>(row), clamp_to_int(right), color);
  };
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
    using corvane::plot_point;
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
  });
}

}  // extern "C"
