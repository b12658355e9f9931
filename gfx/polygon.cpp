// Filled polygons by scan lines. Every non-horizontal edge becomes a record with its rows, its x in
// fixed point with 18 fractional bits, the step per row and the extra width a steep-in-x edge
// covers on one row. Edges wait sorted by their first row, join an active list (kept sorted by
// x) on that row, and every pair of active edges bounds one span of the row.
//
// The fixed-point values are kept in 64 bits: with 18 fractional bits a 32-bit x holds only
// +-8191 pixels, and vertices beyond that (off-screen ones, say) must not wrap around.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "corvane/bitmap.h"
#include "corvane/system.h"
#include "gfx/primitives.h"

namespace corvane {
namespace {

constexpr int fraction_bits = 18;
constexpr int64_t one = int64_t{1} << fraction_bits;

struct poly_edge {
  int top;     // first row
  int bottom;  // last row: the lower vertex's row minus one
  int64_t x;   // x on the current row, 18 fractional bits
  int64_t dx;  // x step per row
  int64_t w;   // extra width of the span on one row
  poly_edge *prev;
  poly_edge *next;
};

// Rows above the drawable area that are stepped through one by one; beyond this many the edges
// are moved there directly.
constexpr int64_t stepped_rows_limit = 65536;

void fill_edge(poly_edge &e, int x_top, int y_top, int x_low, int y_low) noexcept {
  e.top = y_top;
  e.bottom = y_low - 1;
  e.dx = static_cast<int64_t>((wide_int{x_low} - x_top) * one / (int64_t{y_low} - y_top));
  e.x = int64_t{x_top} * one + (one / 2 - 1);
  if (e.dx < 0) e.x += std::min<int64_t>(e.dx + one, 0);
  e.w = std::max<int64_t>(std::llabs(e.dx) - one, 0);
  e.prev = nullptr;
  e.next = nullptr;
}

struct edge_list {
  poly_edge *first = nullptr;

  void unlink(poly_edge *e) noexcept {
    if (e->prev != nullptr) {
      e->prev->next = e->next;
    } else {
      first = e->next;
    }
    if (e->next != nullptr) e->next->prev = e->prev;
    e->prev = e->next = nullptr;
  }

  // Puts e in front of before (at the end when before is null, after last).
  void insert_before(poly_edge *e, poly_edge *before, poly_edge *last) noexcept {
    if (before == nullptr) {
      e->prev = last;
      e->next = nullptr;
      if (last != nullptr) {
        last->next = e;
      } else {
        first = e;
      }
      return;
    }
    e->next = before;
    e->prev = before->prev;
    if (before->prev != nullptr) {
      before->prev->next = e;
    } else {
      first = e;
    }
    before->prev = e;
  }
};

// Activates an edge: before the first active edge whose key x + (w + dx) / 2 is not below its own.
void activate(edge_list &active, poly_edge *e) noexcept {
  const int64_t key = e->x + (e->w + e->dx) / 2;
  poly_edge *last = nullptr;
  poly_edge *at = active.first;
  while (at != nullptr && at->x + (at->w + at->dx) / 2 < key) {
    last = at;
    at = at->next;
  }
  active.insert_before(e, at, last);
}

// Steps every active edge to the next row (dropping those that end on row y) and moves each one
// toward the front while its predecessor's x + w / 2 is greater.
void advance(edge_list &active, int64_t y) noexcept {
  poly_edge *e = active.first;
  while (e != nullptr) {
    poly_edge *following = e->next;
    if (y < e->bottom) {
      e->x += e->dx;
      const int64_t key = e->x + e->w / 2;
      while (e->prev != nullptr && e->prev->x + e->prev->w / 2 > key) {
        poly_edge *before = e->prev;
        active.unlink(e);
        active.insert_before(e, before, nullptr);
      }
    } else {
      active.unlink(e);
    }
    e = following;
  }
}

}  // namespace

void generic_draw_polygon(bitmap *bmp, int vertex_count, const int *points, int color) noexcept {
  if (!drawable(bmp) || points == nullptr || vertex_count < 2) return;
  void (*fill)(bitmap *, int, int, int, int) = bmp->vtable->fill_hline;
  if (fill == nullptr) return;

  // One record per edge in the scratch buffer, followed by the waiting order (one pointer per
  // edge), grown in steps of 1024 bytes; a count whose records would not fit an int of bytes
  // draws nothing.
  // NOLINTNEXTLINE(bugprone-sizeof-expression): the size of the pointer itself is meant.
  constexpr auto record = static_cast<int64_t>(sizeof(poly_edge) + sizeof(poly_edge *));
  const int64_t bytes = (int64_t{vertex_count} * record + 1023) / 1024 * 1024;
  if (bytes > INT_MAX) return;
  auto *edges = static_cast<poly_edge *>(grow_scratch_buffer(static_cast<int>(bytes)));
  if (edges == nullptr) return;

  int count = 0;
  for (int i = 0; i < vertex_count; ++i) {
    const int j = (i + 1 == vertex_count) ? 0 : i + 1;
    const int xa = points[2 * i];
    const int ya = points[2 * i + 1];
    const int xb = points[2 * j];
    const int yb = points[2 * j + 1];
    if (ya == yb) continue;
    if (ya < yb) {
      fill_edge(edges[count], xa, ya, xb, yb);
    } else {
      fill_edge(edges[count], xb, yb, xa, ya);
    }
    ++count;
  }
  if (count < 2) return;

  // The waiting order: by first row, and among equal first rows the later edge first.
  poly_edge **waiting = reinterpret_cast<poly_edge **>(edges + count);
  for (int i = 0; i < count; ++i) waiting[i] = &edges[count - 1 - i];
  std::stable_sort(waiting, waiting + count,
                   [](const poly_edge *a, const poly_edge *b) { return a->top < b->top; });

  const draw_area area = drawing_area(bmp);
  int64_t last_row = INT64_MIN;
  for (int i = 0; i < count; ++i) last_row = std::max<int64_t>(last_row, edges[i].bottom);
  last_row = std::min<int64_t>(last_row, int64_t{area.bottom} - 1);
  int64_t y = waiting[0]->top;
  if (y > last_row) return;

  edge_list active;
  int next_waiting = 0;
  if (int64_t{area.top} - y > stepped_rows_limit) {
    // Far above the area: put every edge that is still running on the area's first row straight
    // there, in waiting order sorted by x.
    y = area.top;
    while (next_waiting < count && waiting[next_waiting]->top < y) {
      poly_edge *e = waiting[next_waiting++];
      if (e->bottom < y) continue;
      e->x += static_cast<int64_t>(wide_int{e->dx} * (y - e->top));
      poly_edge *last = nullptr;
      poly_edge *at = active.first;
      while (at != nullptr && at->x + at->w / 2 <= e->x + e->w / 2) {
        last = at;
        at = at->next;
      }
      active.insert_before(e, at, last);
    }
  }

  const scoped_acquire acquired(bmp);
  for (; y <= last_row; ++y) {
    while (next_waiting < count && waiting[next_waiting]->top == y) {
      activate(active, waiting[next_waiting++]);
    }
    if (y >= area.top) {
      for (poly_edge *e = active.first; e != nullptr && e->next != nullptr; e = e->next->next) {
        const poly_edge *second = e->next;
        fill(bmp, clamp_to_int(e->x >> fraction_bits), static_cast<int>(y),
             clamp_to_int((second->x + second->w) >> fraction_bits), color);
      }
    }
    advance(active, y);
  }
}

void generic_draw_triangle(bitmap *bmp, int x1, int y1, int x2, int y2, int x3, int y3,
                           int color) noexcept {
  const int points[6] = {x1, y1, x2, y2, x3, y3};
  generic_draw_polygon(bmp, 3, points, color);
}

}  // namespace corvane
