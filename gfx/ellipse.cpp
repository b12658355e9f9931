// Ellipses: a circle of the larger radius is rotated point by point in fixed point with 6
// fractional bits (h, i), and its offsets are scaled by the ratio of the radii. The public walker
// plots the outline with its mirror images; the filled ellipse gathers, for every row, the widest
// outline point from the same walk and then fills each row once.
//
// A huge ellipse crossing a small clip rectangle is walked only where it can reach it. The
// rotation adds i / large to h and takes h / large from i; while both quotients stay the same
// (a few dozen stretches for a whole quarter, whatever the radius) the state moves in straight
// lines, so any turn's state is known at once, every offset is monotone along the stretch, and
// the turns whose points can land in the rectangle are found by binary search. Those turns are
// walked exactly as the whole walk would walk them.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/draw.h"
#include "corvane/system.h"
#include "gfx/primitives.h"

namespace corvane {
namespace {

// One turn of the walk at a time: the point emission of the walk (with its memory of the turn
// before) and the rotation of (h, i).
template <class Emit>
class quarter_walker {
 public:
  quarter_walker(int rx, int ry, Emit emit) noexcept
      : wide_(std::max(rx, 1) > std::max(ry, 1)),
        small_(wide_ ? std::max(ry, 1) : std::max(rx, 1)),
        large_(wide_ ? std::max(rx, 1) : std::max(ry, 1)),
        emit_(emit) {}

  int64_t large() const noexcept { return large_; }
  int64_t small() const noexcept { return small_; }
  bool wide() const noexcept { return wide_; }
  int64_t turns() const noexcept { return 2 * large_ + 64; }

  // Sets the memory of the turn before from that turn's state (or forgets it before turn 0).
  void remember(int64_t h, int64_t i) noexcept {
    prev_ix_ = (h + 32) >> 6;
    prev_iy_ = (i + 32) >> 6;
    prev_sx_ = small_ * prev_ix_ / large_;
    prev_sy_ = small_ * prev_iy_ / large_;
  }
  void forget() noexcept { prev_sx_ = prev_iy_ = prev_sy_ = prev_ix_ = 65535; }

  // Emits the points of the turn at state (h, i); true when the walk ends with it.
  bool visit(int64_t h, int64_t i) noexcept {
    const int64_t ix = (h + 32) >> 6;
    const int64_t iy = (i + 32) >> 6;
    const int64_t sx = small_ * ix / large_;
    const int64_t sy = small_ * iy / large_;
    if (!(sx == prev_sx_ && iy == prev_iy_) && ix < iy) put(sx, iy);
    if (!(sy == prev_sy_ && ix == prev_ix_) && ix < prev_iy_) put(sy, ix);
    prev_sx_ = sx;
    prev_iy_ = iy;
    prev_sy_ = sy;
    prev_ix_ = ix;
    return ix >= iy;
  }

 private:
  // Walk along the larger radius; with rx above ry the x and y offsets trade places.
  void put(int64_t a, int64_t b) noexcept {
    if (wide_) {
      emit_(b, a);
    } else {
      emit_(a, b);
    }
  }

  bool wide_;
  int64_t small_;
  int64_t large_;
  Emit emit_;
  int64_t prev_sx_ = 65535;
  int64_t prev_iy_ = 65535;
  int64_t prev_sy_ = 65535;
  int64_t prev_ix_ = 65535;
};

// Walks one octant pair of the ellipse and calls emit (x offset, y offset) for each point of the
// outline's quarter at non-negative offsets; the caller mirrors them.
template <class Emit>
void walk_quarter(int rx, int ry, Emit emit) noexcept {
  quarter_walker<Emit> walker(rx, ry, emit);
  const int64_t large = walker.large();
  int64_t h = 0;
  int64_t i = large * 64;
  // Each turn rotates by about 1/large radians and the walk covers an eighth of a turn; the bound
  // only guards against a recurrence that stops moving.
  for (int64_t turn = 0; turn < walker.turns(); ++turn) {
    const bool last = walker.visit(h, i);
    h += i / large;
    i -= h / large;
    if (last) break;
  }
}

// The four mirror images of a quarter point, each distinct one once.
void plot_quarter_points(point_proc proc, bitmap *bmp, int64_t x, int64_t y, int64_t ox,
                         int64_t oy, int d) noexcept {
  plot_point(proc, bmp, x + ox, y + oy, d);
  if (ox != 0) plot_point(proc, bmp, x - ox, y + oy, d);
  if (oy != 0) plot_point(proc, bmp, x + ox, y - oy, d);
  if (ox != 0 && oy != 0) plot_point(proc, bmp, x - ox, y - oy, d);
}

// Offsets (non-negative) as up to two closed ranges; a range with first > last is empty.
struct offset_range {
  int64_t first;
  int64_t last;
};
struct offset_set {
  offset_range ranges[2];
};

// The offsets o with c + o or c - o in [lo, hi).
offset_set offsets_reaching(int64_t c, int64_t lo, int64_t hi) noexcept {
  return {{{std::max<int64_t>(lo - c, 0), hi - 1 - c}, {std::max<int64_t>(c - hi + 1, 0), c - lo}}};
}

// The turns of [t0, t1] at which f (monotone in the turn, rising when rising is set) lies in r, as
// a range of turns (empty when first > last).
template <class F>
offset_range turns_within(F f, bool rising, int64_t t0, int64_t t1, offset_range r) noexcept {
  if (r.first > r.last || t0 > t1) return {1, 0};
  // First turn past the lower side and last turn before the upper side (mirrored when falling).
  const auto first_where = [&](auto holds) {  // first turn from which holds stays true
    int64_t a = t0;
    int64_t b = t1 + 1;
    while (a < b) {
      const int64_t mid = a + (b - a) / 2;
      if (holds(mid)) {
        b = mid;
      } else {
        a = mid + 1;
      }
    }
    return a;
  };
  if (rising) {
    return {first_where([&](int64_t t) { return f(t) >= r.first; }),
            first_where([&](int64_t t) { return f(t) > r.last; }) - 1};
  }
  return {first_where([&](int64_t t) { return f(t) <= r.last; }),
          first_where([&](int64_t t) { return f(t) < r.first; }) - 1};
}

// The walk of walk_quarter, limited to the turns whose points can have an x offset in across and
// a y offset in down: the same emit calls for those turns, none for the others. With widest_only
// the caller keeps only the widest point of every row: of each stretch of turns whose points
// share their y offset only the first turn and those giving the points of the last two are
// walked, since the x offset moves one way along a stretch (the turn before the last counts
// because the last turn of the walk may emit less).
template <class Emit>
void walk_quarter_within(int rx, int ry, const offset_set &across, const offset_set &down,
                         bool widest_only, Emit emit) {
  quarter_walker<Emit> walker(rx, ry, emit);
  const int64_t large = walker.large();
  const int64_t small = walker.small();
  const bool wide = walker.wide();
  const int64_t end = walker.turns();
  int64_t t0 = 0;
  int64_t h0 = 0;
  int64_t i0 = large * 64;
  int64_t before_h = -1;  // the state of the turn before t0 (none at turn 0)
  int64_t before_i = 0;
  struct run {
    int64_t first;
    int64_t last;
    int kind;
  };
  std::vector<run> runs;
  std::vector<int64_t> turns_to_visit;
  while (t0 < end) {
    // The stretch of turns from t0 over which both quotients stay the same.
    const int64_t a = i0 / large;
    const int64_t b = (h0 + a) / large;
    int64_t steps = end - t0;
    if (b > 0) steps = std::min(steps, (i0 - a * large) / b + 1);
    if (a > 0) steps = std::min(steps, ((b + 1) * large - h0 - 1) / a);
    steps = std::max<int64_t>(steps, 1);
    const int64_t t1 = t0 + steps - 1;
    const auto h_at = [&](int64_t t) { return h0 + (t - t0) * a; };
    const auto i_at = [&](int64_t t) { return i0 - (t - t0) * b; };
    const auto ix = [&](int64_t t) { return (h_at(t) + 32) >> 6; };
    const auto iy = [&](int64_t t) { return (i_at(t) + 32) >> 6; };
    const auto sx = [&](int64_t t) { return small * ix(t) / large; };
    const auto sy = [&](int64_t t) { return small * iy(t) / large; };

    // The walk ends at the first turn where ix reaches iy.
    int64_t last = t1;
    bool ends = false;
    {
      int64_t lo = t0;
      int64_t hi = t1 + 1;
      while (lo < hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (ix(mid) >= iy(mid)) {
          hi = mid;
        } else {
          lo = mid + 1;
        }
      }
      ends = lo <= t1;
      last = std::min(last, lo);
    }

    // Points (sx, iy) and (sy, ix), the pair swapped for a wide ellipse.
    runs.clear();
    for (int kind = 0; kind < 2; ++kind) {
      for (const offset_range &x_range : across.ranges) {
        for (const offset_range &y_range : down.ranges) {
          offset_range by_x;
          offset_range by_y;
          // For kind 0 the first coordinate sx rises and the second iy falls; kind 1 the reverse.
          const bool x_is_first = !wide;
          if (kind == 0) {
            by_x = x_is_first ? turns_within(sx, true, t0, last, x_range)
                              : turns_within(iy, false, t0, last, x_range);
            by_y = x_is_first ? turns_within(iy, false, t0, last, y_range)
                              : turns_within(sx, true, t0, last, y_range);
          } else {
            by_x = x_is_first ? turns_within(sy, false, t0, last, x_range)
                              : turns_within(ix, true, t0, last, x_range);
            by_y = x_is_first ? turns_within(ix, true, t0, last, y_range)
                              : turns_within(sy, false, t0, last, y_range);
          }
          const run both{std::max(by_x.first, by_y.first), std::min(by_x.last, by_y.last), kind};
          if (both.first <= both.last) runs.push_back(both);
        }
      }
    }
    std::sort(runs.begin(), runs.end(), [](const run &p, const run &q) { return p.first < q.first; });
    // Walks turn t exactly as the whole walk does: its emission depends on the turn before.
    const auto visit = [&](int64_t t) {
      if (t == 0) {
        walker.forget();
      } else if (t == t0) {
        walker.remember(before_h, before_i);
      } else {
        walker.remember(h_at(t - 1), i_at(t - 1));
      }
      walker.visit(h_at(t), i_at(t));
    };
    if (widest_only) {
      for (const run &r : runs) {
        // The y offset of this kind of point, and the way it moves.
        const auto y_of = [&](int64_t t) {
          if (r.kind == 0) return wide ? sx(t) : iy(t);
          return wide ? sy(t) : ix(t);
        };
        const bool rising = (r.kind == 0) == wide;
        for (int64_t t = r.first; t <= r.last;) {
          const int64_t v = y_of(t);
          int64_t lo = t;  // last turn of the run with the same y offset
          int64_t hi = r.last;
          while (lo < hi) {
            const int64_t mid = hi - (hi - lo) / 2;
            const bool same = rising ? y_of(mid) <= v : y_of(mid) >= v;
            if (same) {
              lo = mid;
            } else {
              hi = mid - 1;
            }
          }
          // A point equal to the one before is not emitted again: the widest of the stretch
          // comes from the first turn giving its point. Points are (sx, iy) or (sy, ix): the
          // first coordinate rises (kind 0) or falls (kind 1) and the second does the opposite.
          const auto first_with_point_of = [&](int64_t q) {
            int64_t from = t;
            int64_t to = q;
            const int64_t p1 = r.kind == 0 ? sx(q) : sy(q);
            const int64_t p2 = r.kind == 0 ? iy(q) : ix(q);
            while (from < to) {
              const int64_t mid = from + (to - from) / 2;
              const bool equal = r.kind == 0 ? (sx(mid) >= p1 && iy(mid) <= p2)
                                             : (sy(mid) <= p1 && ix(mid) >= p2);
              if (equal) {
                to = mid;
              } else {
                from = mid + 1;
              }
            }
            return from;
          };
          visit(t);
          if (lo - 1 > t) visit(first_with_point_of(lo - 1));
          if (lo > t) visit(first_with_point_of(lo));
          t = lo + 1;
        }
      }
    } else {
      // A point equal to the one before is not emitted again, so of each stretch of turns
      // giving one point only its first turn is walked (each turn once, in order).
      std::vector<int64_t> &turns = turns_to_visit;
      turns.clear();
      for (const run &r : runs) {
        for (int64_t t = r.first; t <= r.last;) {
          const int64_t p1 = r.kind == 0 ? sx(t) : sy(t);
          const int64_t p2 = r.kind == 0 ? iy(t) : ix(t);
          int64_t lo = t;
          int64_t hi = r.last;
          while (lo < hi) {
            const int64_t mid = hi - (hi - lo) / 2;
            const bool same = r.kind == 0 ? (sx(mid) <= p1 && iy(mid) >= p2)
                                          : (sy(mid) >= p1 && ix(mid) <= p2);
            if (same) {
              lo = mid;
            } else {
              hi = mid - 1;
            }
          }
          turns.push_back(t);
          t = lo + 1;
        }
      }
      std::sort(turns.begin(), turns.end());
      turns.erase(std::unique(turns.begin(), turns.end()), turns.end());
      for (const int64_t t : turns) visit(t);
    }
    if (ends || t1 + 1 >= end) return;
    before_h = h_at(t1);
    before_i = i_at(t1);
    const int64_t next_h = h_at(t1 + 1);
    const int64_t next_i = i_at(t1 + 1);
    t0 = t1 + 1;
    h0 = next_h;
    i0 = next_i;
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
  const bool clipped = bmp->clipping != 0;
  const draw_area area = drawing_area(bmp);
  const clip_shortcut shortcut = ellipse_shortcut(bmp, x, y, rx, ry);
  if (shortcut.outside()) return;
  const scoped_acquire acquired(bmp);
  point_proc put = bmp->vtable->put_pixel;
  if (!clipped || shortcut.inside()) {
    walk_ellipse(bmp, x, y, rx, ry, color, put);
    return;
  }
  try {
    walk_quarter_within(rx, ry, offsets_reaching(x, area.left, area.right),
                        offsets_reaching(y, area.top, area.bottom), false,
                        [&](int64_t ox, int64_t oy) { plot_quarter_points(put, bmp, x, y, ox, oy, color); });
  } catch (...) {
    set_error_number(ENOMEM);
  }
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
  // Only the turns with a point on one of those rows matter.
  const offset_set any_offset{{{0, INT64_MAX}, {1, 0}}};
  try {
    walk_quarter_within(rx, ry, any_offset, offsets_reaching(y, top, bottom), true,
                        [&](int64_t ox, int64_t oy) {
                          note(y + oy, ox);
                          note(y - oy, ox);
                        });
  } catch (...) {
    set_error_number(ENOMEM);
    return;
  }

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
    corvane::plot_quarter_points(proc, bmp, x, y, ox, oy, d);
  });
}

}  // extern "C"
