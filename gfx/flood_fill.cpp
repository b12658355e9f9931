// Flood fill over span records. Every filled span is recorded (row r's first span in record r,
// further spans of the row chained behind the records of all rows) with flags saying that the
// rows above and below it still have to be checked. Passes over the records check those rows
// until a pass changes nothing; a check walks the row under or over a span, skips the parts that
// spans of that row already cover, and fills a new span wherever the seed colour is found. The
// result is the 4-connected region of the seed colour within the clip rectangle.
//
// The records keep 32-bit coordinates, so bitmaps of any size are filled correctly; the records
// live in the shared scratch buffer and are addressed by index, since it moves when it grows.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "corvane/bitmap.h"
#include "corvane/system.h"
#include "gfx/primitives.h"

namespace corvane {
namespace {

constexpr int32_t check_above = 0x2;
constexpr int32_t check_below = 0x4;

struct span_record {
  int32_t flags;
  int32_t left;   // INT32_MAX with right INT32_MIN while the row has no span
  int32_t right;  // inclusive
  int32_t y;
  int32_t next;  // index of the row's next span, 0 for none
};

class flood {
 public:
  flood(bitmap *bmp, const draw_area &area, int seed, int color) noexcept
      : bmp_(bmp),
        area_(area),
        get_(bmp->vtable->get_pixel),
        fill_(bmp->vtable->fill_hline),
        seed_(seed),
        color_(color) {}

  // Sets up one record per row; false when the buffer cannot hold them.
  bool start() noexcept {
    count_ = area_.bottom;
    if (!reserve(count_)) return false;
    for (int32_t r = 0; r < count_; ++r) records()[r] = {0, INT32_MAX, INT32_MIN, r, 0};
    return true;
  }

  void run(int x, int y) noexcept {
    if (fill_span(x, y) < 0) return;
    bool changed = true;
    while (changed) {
      changed = false;
      for (int32_t i = 0; i < count_; ++i) {
        span_record &rec = records()[i];
        const int32_t y0 = rec.y;
        const int32_t left = rec.left;
        const int32_t right = rec.right;
        if ((rec.flags & check_below) != 0) {
          rec.flags &= ~check_below;
          if (y0 + 1 < area_.bottom && check_row(y0 + 1, left, right)) changed = true;
        }
        // rec may have moved while the row was checked.
        if ((records()[i].flags & check_above) != 0) {
          records()[i].flags &= ~check_above;
          if (y0 - 1 >= area_.top && check_row(y0 - 1, left, right)) {
            changed = true;
            // New spans on the row above sit in earlier records: go back to them in this pass.
            if (i > 0 && i < area_.bottom) i -= 2;
          }
        }
      }
    }
  }

 private:
  span_record *records() noexcept { return static_cast<span_record *>(scratch_buffer); }

  // Room for n records; the buffer grows to at least double its size, in steps of 1024 bytes.
  bool reserve(int64_t n) noexcept {
    const auto record = static_cast<int64_t>(sizeof(span_record));
    if (n * record <= scratch_buffer_size && scratch_buffer != nullptr) return true;
    int64_t bytes = std::max<int64_t>(n * record, 2 * int64_t{scratch_buffer_size});
    bytes = (bytes + 1023) / 1024 * 1024;
    if (bytes > INT_MAX) bytes = INT_MAX / 1024 * 1024;
    if (bytes < n * record) return false;
    return grow_scratch_buffer(static_cast<int>(bytes)) != nullptr;
  }

  // Fills the span of seed-coloured pixels through (x, y) that no recorded span of the row covers,
  // records it and flags both neighbouring rows. Returns its right end, or -1 when the records
  // cannot grow (the fill then stops).
  int fill_span(int x, int y) noexcept {
    // The nearest recorded spans to the left and right bound the extension.
    int lo = area_.left;
    int hi = area_.right - 1;
    for (int32_t i = y;;) {
      const span_record &s = records()[i];
      if (s.left <= s.right) {
        if (s.right < x) lo = std::max(lo, s.right + 1);
        if (s.left > x) hi = std::min(hi, s.left - 1);
      }
      if (s.next == 0) break;
      i = s.next;
    }
    int left = x;
    while (left > lo && get_(bmp_, left - 1, y) == seed_) --left;
    int right = x;
    while (right < hi && get_(bmp_, right + 1, y) == seed_) ++right;
    fill_(bmp_, left, y, right, color_);

    span_record *head = &records()[y];
    if (head->left > head->right) {
      *head = {check_above | check_below, left, right, y, head->next};
      return right;
    }
    if (count_ == INT32_MAX || !reserve(int64_t{count_} + 1)) return -1;
    head = &records()[y];
    records()[count_] = {check_above | check_below, left, right, y, head->next};
    head->next = count_;
    ++count_;
    return right;
  }

  // Checks row y between left and right for seed-coloured pixels not yet covered by a span.
  bool check_row(int y, int32_t left, int32_t right) noexcept {
    bool changed = false;
    int64_t x = std::max<int64_t>(left, area_.left);
    const int64_t end = std::min<int64_t>(right, int64_t{area_.right} - 1);
    while (x <= end) {
      // The span covering x, or the start of the next span after it.
      int64_t covered_to = -1;
      int64_t next_start = INT64_MAX;
      for (int32_t i = y;;) {
        const span_record &s = records()[i];
        if (s.left <= s.right) {
          if (s.left <= x && x <= s.right) covered_to = s.right;
          if (s.left > x) next_start = std::min<int64_t>(next_start, s.left);
        }
        if (s.next == 0) break;
        i = s.next;
      }
      if (covered_to >= 0) {
        x = covered_to + 1;
        continue;
      }
      const int64_t limit = std::min(end, next_start - 1);
      bool filled = false;
      for (; x <= limit; ++x) {
        if (get_(bmp_, static_cast<int>(x), y) == seed_) {
          const int r = fill_span(static_cast<int>(x), y);
          if (r < 0) return changed;
          x = int64_t{r} + 1;
          changed = filled = true;
          break;
        }
      }
      if (!filled) x = limit + 1;
    }
    return changed;
  }

  bitmap *bmp_;
  draw_area area_;
  int (*get_)(bitmap *, int, int);
  void (*fill_)(bitmap *, int, int, int, int);
  int seed_;
  int color_;
  int32_t count_ = 0;
};

}  // namespace

void generic_flood_fill(bitmap *bmp, int x, int y, int color) noexcept {
  if (!drawable(bmp)) return;
  if (bmp->vtable->get_pixel == nullptr || bmp->vtable->fill_hline == nullptr) return;
  const draw_area area = drawing_area(bmp);
  if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) return;
  const int seed = bmp->vtable->get_pixel(bmp, x, y);
  if (seed == color) return;
  flood fill(bmp, area, seed, color);
  if (!fill.start()) return;
  const scoped_acquire acquired(bmp);
  fill.run(x, y);
}

}  // namespace corvane
