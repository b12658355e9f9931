// draw_rotated_quad: a sprite mapped onto a parallelogram of the target. The four corners are
// scan-converted row by row from the top corner down the left and right outlines; each row's span
// of pixel centres inside the outline is handed, with the source position under its first centre
// and the per-pixel source steps, to a span drawer: the target depth's direct drawer, or the
// generic or the converting drawer that go through get_pixel and put_pixel.
//
// Coverage: a row is drawn when its centre lies below the top of the outline and not below its
// bottom ((top + 0x8000) >> 16 up to the row before (bottom + 0x8000) >> 16), and a column when
// its centre lies right of the left outline and not right of the right one; so a rectangle with
// corners on whole pixels covers exactly its pixels, and a shape turned by a multiple of 90
// degrees covers as many pixels as the unturned one.
//
// Positions are 16.16 values kept in 64 bits, so corners anywhere in the 16.16 range neither
// overflow nor wrap; the source position of each span is computed from the inverse of the
// corners' mapping in double precision, so no error accumulates down the sprite.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/rotate.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/rotated_spans.h"
#include "gfx/primitives.h"
#include "gfx/rotate_internal.h"

namespace corvane {
namespace {

using depth::rotated_span_drawer;

struct corner {
  int64_t x;
  int64_t y;
};

// x per row of an edge with the arithmetic of fixed_div (quotient in double precision, rounded
// half away from zero, cut to +-32767 pixels a row), without touching the error number: drawing
// reports nothing. dy is positive.
int64_t edge_slope(int64_t dx, int64_t dy) noexcept {
  const double q = (static_cast<double>(dx) / 65536.0) / (static_cast<double>(dy) / 65536.0);
  if (q > 32767.0) return 0x7FFFFFFF;
  if (q < -32767.0) return -0x7FFFFFFF;
  return std::llround(q * 65536.0);
}

int64_t floor_div(wide_int a, int64_t b) noexcept {
  wide_int q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return static_cast<int64_t>(q);
}

// One outline, followed from the top corner in one direction round the corners. x is the
// outline's position on the current row's centre.
class outline {
 public:
  outline(const corner *corners, int top, int direction) noexcept
      : corners_(corners), at_(top), direction_(direction) {}

  // Moves to the edge that holds the row centre yc (below its start, not below its end) and sets
  // x there. False when the outline ends above yc.
  bool seek(int64_t yc) noexcept {
    int next = (at_ + direction_ + 4) & 3;
    while (corners_[next].y < yc) {
      if (++steps_ > 3) return false;
      at_ = next;
      next = (at_ + direction_ + 4) & 3;
    }
    const corner a = corners_[at_];
    const corner b = corners_[next];
    end_y_ = b.y;
    const int64_t dy = b.y - a.y;
    x_ = a.x + floor_div(wide_int{yc - a.y} * (b.x - a.x), dy);
    slope_ = edge_slope(b.x - a.x, dy);
    return true;
  }

  // Steps to the next row centre yc.
  bool advance(int64_t yc) noexcept {
    if (yc > end_y_) return seek(yc);
    x_ += slope_;
    return true;
  }

  int64_t x() const noexcept { return x_; }

 private:
  const corner *corners_;
  int at_;
  int direction_;
  int steps_ = 0;
  int64_t end_y_ = 0;
  int64_t x_ = 0;
  int64_t slope_ = 0;
};

// The first and last k in [0, count) for which 0 <= start + k * step <= limit; false when there
// is none. The outline and the mapping agree up to rounding, so only pixels whose centres lie
// within a hair of the outline are ever cut here; the cut keeps every read inside the sprite.
bool fit_steps(int64_t start, int64_t step, int64_t limit, int count, int64_t &first,
               int64_t &last) noexcept {
  const int64_t end = start + step * (count - 1);
  if (start >= 0 && start <= limit && end >= 0 && end <= limit) return true;
  int64_t lo = 0;
  int64_t hi = count - 1;
  if (step == 0) return start >= 0 && start <= limit;
  if (step > 0) {
    if (start < 0) lo = std::max(lo, (-start + step - 1) / step);
    if (start > limit) return false;
    hi = std::min(hi, (limit - start) / step);
  } else {
    const int64_t back = -step;
    if (start > limit) lo = std::max(lo, (start - limit + back - 1) / back);
    if (start < 0) return false;
    hi = std::min(hi, start / back);
  }
  first = std::max(first, lo);
  last = std::min(last, hi);
  return first <= last;
}

// A source position in 16.16 as a 64-bit integer, cut far outside any sprite when it is huge
// (2^40 leaves room for a step of 2^31 times a count of 2^31 within 64 bits).
int64_t source_position(double value) noexcept {
  return static_cast<int64_t>(std::floor(std::clamp(value, -0x1p40, 0x1p40)));
}

int64_t source_step(double value) noexcept {
  return std::llround(std::clamp(value, -2147483647.0, 2147483647.0));
}

// The generic drawer: the sprite's get_pixel and the target's put_pixel, the target table's mask
// colour transparent.
void draw_span_generic(bitmap *target, const bitmap *sprite, int first, int y, int last,
                       uint32_t u, uint32_t v, uint32_t du, uint32_t dv) noexcept {
  auto *source = const_cast<bitmap *>(sprite);
  int (*get)(bitmap *, int, int) = source->vtable->get_pixel;
  void (*put)(bitmap *, int, int, int) = target->vtable->put_pixel;
  if (get == nullptr || put == nullptr) return;
  const int mask = target->vtable->mask_color;
  for (int x = first; x <= last; ++x, u += du, v += dv) {
    const int s = get(source, static_cast<int>(u >> 16), static_cast<int>(v >> 16));
    if (s != mask) put(target, x, y, s);
  }
}

// The converting drawer: each sprite pixel through its components into the target depth; the
// sprite's mask colour is transparent.
void draw_span_converting(bitmap *target, const bitmap *sprite, int first, int y, int last,
                          uint32_t u, uint32_t v, uint32_t du, uint32_t dv) noexcept {
  auto *source = const_cast<bitmap *>(sprite);
  int (*get)(bitmap *, int, int) = source->vtable->get_pixel;
  void (*put)(bitmap *, int, int, int) = target->vtable->put_pixel;
  if (get == nullptr || put == nullptr) return;
  const int from = source->vtable->color_depth;
  const int to = target->vtable->color_depth;
  const int mask = source->vtable->mask_color;
  for (int x = first; x <= last; ++x, u += du, v += dv) {
    const int s = get(source, static_cast<int>(u >> 16), static_cast<int>(v >> 16));
    if (s == mask) continue;
    put(target, x, y,
        make_color_depth(to, get_red_depth(from, s), get_green_depth(from, s),
                         get_blue_depth(from, s)));
  }
}

// Sets draw_mode to MODE_SOLID, keeping pattern and anchors, and restores it on destruction.
class solid_mode {
 public:
  solid_mode() noexcept : saved_(draw_mode) {
    if (saved_ != MODE_SOLID) set_draw_mode(MODE_SOLID, draw_pattern, pattern_x_anchor, pattern_y_anchor);
  }
  ~solid_mode() {
    if (saved_ != MODE_SOLID) set_draw_mode(saved_, draw_pattern, pattern_x_anchor, pattern_y_anchor);
  }
  solid_mode(const solid_mode &) = delete;
  solid_mode &operator=(const solid_mode &) = delete;

 private:
  int saved_;
};

// The scan conversion proper, with the drawer chosen.
void scan_quad(bitmap *target, const bitmap *sprite, const corner *p, const depth::drawable_area &area,
               int first_row, int end_row, rotated_span_drawer drawer) noexcept {
  // The top corner (the first one on ties) and which way round the corners run.
  int top = 0;
  for (int i = 1; i < 4; ++i) {
    if (p[i].y < p[top].y) top = i;
  }
  const corner a = p[(top + 1) & 3];
  const corner b = p[(top + 3) & 3];
  const wide_int cross = wide_int{a.x - p[top].x} * (b.y - p[top].y) -
                         wide_int{a.y - p[top].y} * (b.x - p[top].x);
  if (cross == 0) return;
  // With y growing downwards, a positive cross product means the corners run clockwise on screen:
  // the right outline follows increasing indices.
  outline left(p, top, cross > 0 ? -1 : 1);
  outline right(p, top, cross > 0 ? 1 : -1);

  // The mapping from target to source, from corners 0, 1 and 3 (in pixels and 16.16 source
  // units): source = inverse of [e1 e3] times (point - corner 0), scaled by the sprite's extent.
  const double e1x = static_cast<double>(p[1].x - p[0].x) / 65536.0;
  const double e1y = static_cast<double>(p[1].y - p[0].y) / 65536.0;
  const double e3x = static_cast<double>(p[3].x - p[0].x) / 65536.0;
  const double e3y = static_cast<double>(p[3].y - p[0].y) / 65536.0;
  const double det = e1x * e3y - e3x * e1y;
  if (det == 0.0 || !std::isfinite(det)) return;
  const int64_t u_limit = int64_t{sprite->width} * 65536 - 1;
  const int64_t v_limit = int64_t{sprite->height} * 65536 - 1;
  const double du_dx = static_cast<double>(u_limit) * e3y / det;
  const double du_dy = -static_cast<double>(u_limit) * e3x / det;
  const double dv_dx = -static_cast<double>(v_limit) * e1y / det;
  const double dv_dy = static_cast<double>(v_limit) * e1x / det;
  const double origin_x = static_cast<double>(p[0].x) / 65536.0;
  const double origin_y = static_cast<double>(p[0].y) / 65536.0;
  const int64_t du = source_step(du_dx);
  const int64_t dv = source_step(dv_dx);

  int64_t yc = int64_t{first_row} * 65536 + 0x8000;
  if (!left.seek(yc) || !right.seek(yc)) return;
  for (int row = first_row; row < end_row; ++row, yc += 65536) {
    if (row != first_row && (!left.advance(yc) || !right.advance(yc))) return;
    int64_t xl = left.x();
    int64_t xr = right.x();
    if (xl > xr) std::swap(xl, xr);
    int64_t first = std::max<int64_t>((xl + 0x8000) >> 16, area.left);
    int64_t last = std::min<int64_t>(((xr + 0x8000) >> 16) - 1, area.right - 1);
    if (first > last) continue;
    const double dx = static_cast<double>(first) + 0.5 - origin_x;
    const double dy = static_cast<double>(row) + 0.5 - origin_y;
    int64_t u = source_position(du_dx * dx + du_dy * dy);
    int64_t v = source_position(dv_dx * dx + dv_dy * dy);
    const auto count = static_cast<int>(last - first + 1);
    int64_t k_first = 0;
    int64_t k_last = count - 1;
    if (!fit_steps(u, du, u_limit, count, k_first, k_last) ||
        !fit_steps(v, dv, v_limit, count, k_first, k_last)) {
      continue;
    }
    u += k_first * du;
    v += k_first * dv;
    drawer(target, sprite, static_cast<int>(first + k_first), row,
           static_cast<int>(first + k_last), static_cast<uint32_t>(u), static_cast<uint32_t>(v),
           static_cast<uint32_t>(du), static_cast<uint32_t>(dv));
  }
}

}  // namespace

bool rotatable_sprite(const bitmap *sprite) noexcept {
  return sprite != nullptr && sprite->vtable != nullptr && sprite->width > 0 &&
         sprite->height > 0 && sprite->width <= max_rotated_sprite_size &&
         sprite->height <= max_rotated_sprite_size;
}

}  // namespace corvane

extern "C" {

void draw_rotated_quad(bitmap *bmp, bitmap *sprite, const fixed xs[4], const fixed ys[4]) noexcept {
  using namespace corvane;
  if (!drawable(bmp) || !rotatable_sprite(sprite) || xs == nullptr || ys == nullptr) return;
  corner p[4];
  for (int i = 0; i < 4; ++i) p[i] = {xs[i], ys[i]};

  // Rows and columns that the parallelogram can reach, cut to the drawable area; a sprite wholly
  // outside it is skipped before any row is touched.
  const depth::drawable_area area = depth::drawable_bounds(bmp);
  int64_t min_x = p[0].x, max_x = p[0].x, min_y = p[0].y, max_y = p[0].y;
  for (const corner &c : p) {
    min_x = std::min(min_x, c.x);
    max_x = std::max(max_x, c.x);
    min_y = std::min(min_y, c.y);
    max_y = std::max(max_y, c.y);
  }
  const int64_t first_row = std::max<int64_t>((min_y + 0x8000) >> 16, area.top);
  const int64_t end_row = std::min<int64_t>((max_y + 0x8000) >> 16, area.bottom);
  const int64_t first_column = std::max<int64_t>((min_x + 0x8000) >> 16, area.left);
  const int64_t end_column = std::min<int64_t>((max_x + 0x8000) >> 16, area.right);
  if (first_row >= end_row || first_column >= end_column) return;

  const int depth = bmp->vtable->color_depth;
  const bool same_depth = sprite->vtable->color_depth == depth;
  const bool direct = same_depth && bmp->flags < BITMAP_FLAG_SYSTEM &&
                      (bmp->flags & BITMAP_FLAG_PLANAR) == 0;
  const depth::rotated_span_drawer direct_drawer =
      direct ? depth::find_rotated_span_drawer(depth) : nullptr;
  if (direct_drawer != nullptr) {
    scan_quad(bmp, sprite, p, area, static_cast<int>(first_row), static_cast<int>(end_row),
              direct_drawer);
    depth::release_rows(bmp);
    return;
  }
  const solid_mode solid;
  scan_quad(bmp, sprite, p, area, static_cast<int>(first_row), static_cast<int>(end_row),
            same_depth ? draw_span_generic : draw_span_converting);
}

}  // extern "C"
