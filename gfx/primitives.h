// Internal interface of the generic drawing primitives: the slot routines that every depth's table
// shares, and the helpers they have in common (acquire and release, the clip shortcut, the
// drawable area, points that must fit an int).
#ifndef CORVANE_GFX_PRIMITIVES_H
#define CORVANE_GFX_PRIMITIVES_H

#include <algorithm>
#include <cstdint>
#include <limits>

#include "corvane/bitmap.h"
#include "corvane/draw.h"

namespace corvane {

// 128-bit intermediate products of coordinate arithmetic (differences of two ints multiplied
// together overflow 64 bits).
__extension__ typedef __int128 wide_int;

// The slot routines (the same routine in the slot of every depth's table).
void generic_draw_line(bitmap *bmp, int x1, int y1, int x2, int y2, int color) noexcept;
void generic_draw_fast_line(bitmap *bmp, int x1, int y1, int x2, int y2, int color) noexcept;
void generic_fill_rect(bitmap *bmp, int x1, int y1, int x2, int y2, int color) noexcept;
void generic_draw_rect(bitmap *bmp, int x1, int y1, int x2, int y2, int color) noexcept;
void generic_draw_triangle(bitmap *bmp, int x1, int y1, int x2, int y2, int x3, int y3,
                           int color) noexcept;
void generic_draw_polygon(bitmap *bmp, int vertex_count, const int *points, int color) noexcept;
void generic_draw_circle(bitmap *bmp, int x, int y, int radius, int color) noexcept;
void generic_fill_circle(bitmap *bmp, int x, int y, int radius, int color) noexcept;
void generic_draw_ellipse(bitmap *bmp, int x, int y, int rx, int ry, int color) noexcept;
void generic_fill_ellipse(bitmap *bmp, int x, int y, int rx, int ry, int color) noexcept;
void generic_draw_arc(bitmap *bmp, int x, int y, fixed start_angle, fixed end_angle, int radius,
                      int color) noexcept;
void generic_draw_spline(bitmap *bmp, const int points[8], int color) noexcept;
void generic_flood_fill(bitmap *bmp, int x, int y, int color) noexcept;

// The work of the last generic_draw_polygon on this thread, in the builds that count work
// (core/work_counter.h): every look at an edge through the waiting order or the active list,
// every copy of a list element (also those the standard library's sorts and merges make), and
// every comparison of positions. Close to rows times active edges times their logarithm, whatever
// the shape; tests bound it on hostile shapes.
extern thread_local uint64_t polygon_walk_steps;

// Walks the Bresenham line from (x1, y1) to (x2, y2) but calls proc only for the steps whose
// major coordinate lies within [low, high] (inclusive): the same points as walk_line restricted
// to that band, found without walking the steps before it.
void walk_line_band(bitmap *bmp, int x1, int y1, int x2, int y2, int64_t low, int64_t high, int d,
                    point_proc proc) noexcept;

// Calls the bitmap's acquire on construction and release on destruction, each when present.
class scoped_acquire {
 public:
  explicit scoped_acquire(bitmap *bmp) noexcept : bmp_(bmp) {
    if (bmp_->vtable->acquire != nullptr) bmp_->vtable->acquire(bmp_);
  }
  ~scoped_acquire() {
    if (bmp_->vtable->release != nullptr) bmp_->vtable->release(bmp_);
  }
  scoped_acquire(const scoped_acquire &) = delete;
  scoped_acquire &operator=(const scoped_acquire &) = delete;

 private:
  bitmap *bmp_;
};

// The clip shortcut of lines, circles and ellipses: a shape whose bounding box (inclusive) lies
// wholly outside the clip rectangle is skipped; one wholly inside is drawn with clipping switched
// off, so that put_pixel skips its test. The flag is restored on destruction.
class clip_shortcut {
 public:
  clip_shortcut(bitmap *bmp, int64_t left, int64_t top, int64_t right, int64_t bottom) noexcept
      : bmp_(bmp), saved_(bmp->clipping) {
    if (saved_ == 0) return;
    if (left >= bmp->clip_right || top >= bmp->clip_bottom || right < bmp->clip_left ||
        bottom < bmp->clip_top) {
      outside_ = true;
    } else if (left >= bmp->clip_left && top >= bmp->clip_top && right < bmp->clip_right &&
               bottom < bmp->clip_bottom) {
      bmp->clipping = 0;
      inside_ = true;
    }
  }
  ~clip_shortcut() { bmp_->clipping = saved_; }
  clip_shortcut(const clip_shortcut &) = delete;
  clip_shortcut &operator=(const clip_shortcut &) = delete;

  bool outside() const noexcept { return outside_; }
  bool inside() const noexcept { return inside_; }

 private:
  bitmap *bmp_;
  int saved_;
  bool outside_ = false;
  bool inside_ = false;
};

// The rectangle drawing may reach: the clip rectangle (kept within the bitmap) when clipping is
// on, else the whole bitmap. right and bottom are one past the last column and row.
struct draw_area {
  int left;
  int top;
  int right;
  int bottom;
};

inline draw_area drawing_area(const bitmap *bmp) noexcept {
  if (bmp->clipping != 0) {
    return {std::max(bmp->clip_left, 0), std::max(bmp->clip_top, 0),
            std::min(bmp->clip_right, bmp->width), std::min(bmp->clip_bottom, bmp->height)};
  }
  return {0, 0, bmp->width, bmp->height};
}

inline bool fits_int(int64_t v) noexcept {
  return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}

// A value cut to the range of int.
inline int clamp_to_int(int64_t v) noexcept {
  return static_cast<int>(
      std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Calls proc for a point given in 64 bits, when it fits an int.
inline void plot_point(point_proc proc, bitmap *bmp, int64_t x, int64_t y, int d) noexcept {
  if (fits_int(x) && fits_int(y)) proc(bmp, static_cast<int>(x), static_cast<int>(y), d);
}

// Whether a bitmap can be drawn on at all: it has a table.
inline bool drawable(const bitmap *bmp) noexcept {
  return bmp != nullptr && bmp->vtable != nullptr;
}

}  // namespace corvane

#endif  // CORVANE_GFX_PRIMITIVES_H
