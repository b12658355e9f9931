// Ellipses: a circle of the larger radius is rotated point by point in fixed point with 6
// fractional bits (h, i), and its offsets are scaled by the ratio of the radii. The public walker
// plots the outline with its mirror images; the filled ellipse gathers, for every row, the widest
// outline point from the same walk and then fills each row once.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

#include "corvane/bitmap.h"
#include "corvane/draw.h"
#include "gfx/primitives.h"

namespace corvane {
namespace {

// Walks one octant pair of the ellipse and calls emit (x offset, y offset) for each point of the
// outline's quarter at non-negative offsets; the caller mirrors them.
template <class Emit>
void walk_quarter(int rx, int ry, Emit emit) noexcept {
  rx = std::max(rx, 1);
  ry = std::max(ry, 1);
  // Walk along the larger radius; with rx above ry the x and y offsets trade places.
  const bool wide = rx > ry;
  const int64_t small = wide ? ry : rx;
  const int64_t large = wide ? rx : ry;
  const auto put = [&](int64_t a, int64_t b) {
    if (wide) {
      emit(b, a);
    } else {
      emit(a, b);
    }
  };

  int64_t h = 0;
  int64_t i = large * 64;
  int64_t prev_sx = 65535;
  int64_t prev_iy = 65535;
  int64_t prev_sy = 65535;
  int64_t prev_ix = 65535;
  // Each turn rotates by about 1/large radians and the walk covers an eighth of a turn; the bound
  // only guards against a recurrence that stops moving.
  const int64_t turns = 2 * large + 64;
  for (int64_t turn = 0; turn < turns; ++turn) {
    const int64_t ix = (h + 32) >> 6;
    const int64_t iy = (i + 32) >> 6;
    const int64_t sx = small * ix / large;
    const int64_t sy = small * iy / large;
    if (!(sx == prev_sx && iy == prev_iy) && ix < iy) put(sx, iy);
    if (!(sy == prev_sy && ix == prev_ix) && ix < prev_iy) put(sy, ix);
    prev_sx = sx;
    prev_iy = iy;
    prev_sy = sy;
    prev_ix = ix;
    h += i / large;
    i -= h / large;
    if (ix >= iy) break;
  }
}

clip_shortcut ellipse_shortcut(bitmap *bmp, int x, int y, int rx, int ry) noexcept {
  rx = std::max(rx, 1);
  ry = std::max(ry, 1);
  return clip_shortcut(bmp, int64_t{x} - rx - 1, int64_t{y} - ry - 1, int64_t{x} + rx + 1,
                       int64_t{y} + ry + 1);
}

}  // namespace

void generic_draw_ellipse(bitmap *bmp, int x, int y, int rx, int ry, int color) noexcept {
  if (!drawable(bmp) || bmp->vtable->put_pixel == nullptr) return;
  const clip_shortcut shortcut = ellipse_shortcut(bmp, x, y, rx, ry);
  if (shortcut.outside()) return;
  const scoped_acquire acquired(bmp);
  walk_ellipse(bmp, x, y, rx, ry, color, bmp->vtable->put_pixel);
}

void generic_fill_ellipse(bitmap *bmp, int x, int y, int rx, int ry, int color) noexcept {
  if (!drawable(bmp) || bmp->vtable->fill_hline == nullptr) return;
  const draw_area area = drawing_area(bmp);
  const clip_shortcut shortcut = ellipse_shortcut(bmp, x, y, rx, ry);
  if (shortcut.outside()) return;

  // The widest outline offset of every row the ellipse can reach inside the area (-1: none yet).
  const int64_t reach = std::max(ry, 1);
  const int64_t top = std::max<int64_t>(area.top, int64_t{y} - reach);
  const int64_t bottom = std::min<int64_t>(area.bottom, int64_t{y} + reach + 1);
  if (bottom <= top) return;
  const auto rows = static_cast<size_t>(bottom - top);
  const std::unique_ptr<int64_t[]> widest(new (std::nothrow) int64_t[rows]);
  if (widest == nullptr) return;
  std::fill_n(widest.get(), rows, int64_t{-1});
  const auto note = [&](int64_t row, int64_t offset) {
    if (row >= top && row < bottom) {
      int64_t &w = widest[static_cast<size_t>(row - top)];
      w = std::max(w, offset);
    }
  };
  walk_quarter(rx, ry, [&](int64_t ox, int64_t oy) {
    note(y + oy, ox);
    note(y - oy, ox);
  });

  const scoped_acquire acquired(bmp);
  void (*fill)(bitmap *, int, int, int, int) = bmp->vtable->fill_hline;
  for (size_t r = 0; r < rows; ++r) {
    const int64_t w = widest[r];
    if (w < 0) continue;
    fill(bmp, clamp_to_int(x - w), static_cast<int>(top + static_cast<int64_t>(r)),
         clamp_to_int(x + w), color);
  }
}

}  // namespace corvane

extern "C" {

void walk_ellipse(bitmap *bmp, int x, int y, int rx, int ry, int d, point_proc proc) noexcept {
  if (proc == nullptr) return;
  corvane::walk_quarter(rx, ry, [&](int64_t ox, int64_t oy) {
    using corvane::plot_point;
    plot_point(proc, bmp, x + ox, y + oy, d);
    if (ox != 0) plot_point(proc, bmp, x - ox, y + oy, d);
    if (oy != 0) plot_point(proc, bmp, x + ox, y - oy, d);
    if (ox != 0 && oy != 0) plot_point(proc, bmp, x - ox, y - oy, d);
  });
}

}  // extern "C"
