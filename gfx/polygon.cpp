// Filled polygons by scan lines. Every non-horizontal edge becomes a record with its rows, its x in
// fixed point with 18 fractional bits, the step per row and the extra width a steep-in-x edge
// covers on one row. Edges wait sorted by their first row, join an active list (kept sorted by
// x) on that row, and every pair of active edges bounds one span of the row.
//
// The active list is an array. An edge joins it in front of the first active edge whose
// x + (w + dx) / 2 is not below its own; the running maximum of that value along the list is
// sorted, so a binary search finds the place, and all the edges joining on one row are merged in
// at once. After each row the list is stably sorted by x + w / 2, which is the order moving each
// edge forward past greater predecessors gives. A row costs about its active edges times their
// logarithm, however often the edges cross.
//
// The fixed-point values are kept in 64 bits: with 18 fractional bits a 32-bit x holds only
// +-8191 pixels, and vertices beyond that (off-screen ones, say) must not wrap around.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "core/work_counter.h"
#include "corvane/bitmap.h"
#include "corvane/system.h"
#include "gfx/primitives.h"

namespace corvane {

#if defined(CORVANE_WORK_COUNTERS)
thread_local uint64_t polygon_walk_steps = 0;
#endif

namespace {

constexpr int fraction_bits = 18;
constexpr int64_t one = int64_t{1} << fraction_bits;

struct poly_edge {
  int top;     // first row
  int bottom;  // last row: the lower vertex's row minus one
  int64_t x;   // x on the current row, 18 fractional bits
  int64_t dx;  // x step per row
  int64_t w;   // extra width of the span on one row
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
}

// An edge as the waiting order and the active list hold it: a pointer that, in the builds that
// count work, counts every copy made of it and every look through it as one step. Whatever moves
// the lists' elements or reads their edges -- the loops below or the standard library's sorts and
// merges -- is counted so, and none of it can be left out of the count.
class edge_ref {
 public:
  edge_ref() noexcept = default;
  // NOLINTNEXTLINE(google-explicit-constructor): an edge pointer is an edge_ref.
  edge_ref(poly_edge *edge) noexcept : edge_(edge) {}
#if defined(CORVANE_WORK_COUNTERS)
  // Declared copies leave the type without moves of its own, so every move is a counted copy.
  edge_ref(const edge_ref &other) noexcept : edge_(other.edge_) {
    CORVANE_COUNT_WORK(polygon_walk_steps, 1);
  }
  edge_ref &operator=(const edge_ref &other) noexcept {
    CORVANE_COUNT_WORK(polygon_walk_steps, 1);
    if (this != &other) edge_ = other.edge_;
    return *this;
  }
#endif
  poly_edge *operator->() const noexcept {
    CORVANE_COUNT_WORK(polygon_walk_steps, 1);
    return edge_;
  }

 private:
  poly_edge *edge_ = nullptr;
};
// The waiting order takes one pointer's room per edge in the scratch buffer.
// NOLINTNEXTLINE(bugprone-sizeof-expression): the size of the pointer itself is meant.
static_assert(sizeof(edge_ref) == sizeof(poly_edge *));

// The value that decides where an edge joins the list, and the one the list is sorted by.
int64_t joining_key(const edge_ref &e) noexcept { return e->x + (e->w + e->dx) / 2; }
int64_t order_key(const edge_ref &e) noexcept { return e->x + e->w / 2; }
bool in_order(const edge_ref &a, const edge_ref &b) noexcept { return order_key(a) < order_key(b); }

// The active edges, with room for the joining edges of one row.
struct active_list {
  std::vector<edge_ref> edges;
  std::vector<int64_t> running_max;
  struct joining {
    std::size_t place;  // before this many of the edges already active
    int64_t key;
    int order;  // position in the waiting order
    edge_ref edge;
  };
  std::vector<joining> joiners;
  std::vector<edge_ref> merged;

  // Adds the edges that join on one row, as if each were put in front of the first edge (already
  // active or joined before it) whose joining key is not below its own.
  void join(const edge_ref *first, int count) {
    running_max.resize(edges.size());
    int64_t top = INT64_MIN;
    for (std::size_t i = 0; i < edges.size(); ++i) {
      top = std::max(top, joining_key(edges[i]));
      running_max[i] = top;
    }
    joiners.clear();
    for (int i = 0; i < count; ++i) {
      const int64_t key = joining_key(first[i]);
      const auto place = static_cast<std::size_t>(
          std::lower_bound(running_max.begin(), running_max.end(), key,
                           [](int64_t a, int64_t b) {
                             CORVANE_COUNT_WORK(polygon_walk_steps, 1);
                             return a < b;
                           }) -
          running_max.begin());
      joiners.push_back({place, key, i, first[i]});
    }
    // Within one gap the joiners end up by key, and among equal keys the later one in front.
    std::sort(joiners.begin(), joiners.end(), [](const joining &a, const joining &b) {
      CORVANE_COUNT_WORK(polygon_walk_steps, 1);
      if (a.place != b.place) return a.place < b.place;
      if (a.key != b.key) return a.key < b.key;
      return a.order > b.order;
    });
    merged.clear();
    std::size_t next = 0;
    for (std::size_t i = 0; i <= edges.size(); ++i) {
      while (next < joiners.size() && joiners[next].place == i) merged.push_back(joiners[next++].edge);
      if (i < edges.size()) merged.push_back(edges[i]);
    }
    edges.swap(merged);
  }

  // Steps every edge to the next row, dropping those that end on row y, and sorts the rest
  // stably by x + w / 2.
  void advance(int64_t y) {
    std::size_t kept = 0;
    for (edge_ref &e : edges) {
      if (y < e->bottom) {
        e->x += e->dx;
        edges[kept++] = e;
      }
    }
    edges.resize(kept);
    if (!std::is_sorted(edges.begin(), edges.end(), in_order)) {
      std::stable_sort(edges.begin(), edges.end(), in_order);
    }
  }
};

}  // namespace

void generic_draw_polygon(bitmap *bmp, int vertex_count, const int *points, int color) noexcept {
  CORVANE_RESET_WORK(polygon_walk_steps);
  if (!drawable(bmp) || points == nullptr || vertex_count < 2) return;
  void (*fill)(bitmap *, int, int, int, int) = bmp->vtable->fill_hline;
  if (fill == nullptr) return;

  // One record per edge in the scratch buffer, followed by the waiting order (one pointer per
  // edge), grown in steps of 1024 bytes; a count whose records would not fit an int of bytes
  // draws nothing.
  // The count is refused at the same size as when each record also held its two list links.
  // NOLINTNEXTLINE(bugprone-sizeof-expression): the size of the pointer itself is meant.
  constexpr auto record = static_cast<int64_t>(sizeof(poly_edge) + 3 * sizeof(poly_edge *));
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
  auto *waiting = reinterpret_cast<edge_ref *>(edges + count);
  for (int i = 0; i < count; ++i) new (&waiting[i]) edge_ref(&edges[count - 1 - i]);
  CORVANE_COUNT_WORK(polygon_walk_steps, vertex_count);
  std::stable_sort(waiting, waiting + count,
                   [](const edge_ref &a, const edge_ref &b) { return a->top < b->top; });

  const draw_area area = drawing_area(bmp);
  int64_t last_row = INT64_MIN;
  for (int i = 0; i < count; ++i) last_row = std::max<int64_t>(last_row, edges[i].bottom);
  last_row = std::min<int64_t>(last_row, int64_t{area.bottom} - 1);
  int64_t y = waiting[0]->top;
  if (y > last_row) return;

  try {
    active_list active;
    int next_waiting = 0;
    if (int64_t{area.top} - y > stepped_rows_limit) {
      // Far above the area: put every edge that is still running on the area's first row straight
      // there, sorted by x + w / 2 and otherwise in waiting order.
      y = area.top;
      while (next_waiting < count && waiting[next_waiting]->top < y) {
        edge_ref e = waiting[next_waiting++];
        if (e->bottom < y) continue;
        e->x += static_cast<int64_t>(wide_int{e->dx} * (y - e->top));
        active.edges.push_back(e);
      }
      std::stable_sort(active.edges.begin(), active.edges.end(), in_order);
    }

    const scoped_acquire acquired(bmp);
    for (; y <= last_row; ++y) {
      const int first_joining = next_waiting;
      while (next_waiting < count && waiting[next_waiting]->top == y) ++next_waiting;
      if (next_waiting > first_joining) {
        active.join(waiting + first_joining, next_waiting - first_joining);
      }
      if (y >= area.top) {
        const std::vector<edge_ref> &running = active.edges;
        for (std::size_t i = 0; i + 1 < running.size(); i += 2) {
          fill(bmp, clamp_to_int(running[i]->x >> fraction_bits), static_cast<int>(y),
               clamp_to_int((running[i + 1]->x + running[i + 1]->w) >> fraction_bits), color);
        }
      }
      active.advance(y);
    }
  } catch (...) {
    set_error_number(ENOMEM);
  }
}

void generic_draw_triangle(bitmap *bmp, int x1, int y1, int x2, int y2, int x3, int y3,
                           int color) noexcept {
  const int points[6] = {x1, y1, x2, y2, x3, y3};
  generic_draw_polygon(bmp, 3, points, color);
}

}  // namespace corvane
