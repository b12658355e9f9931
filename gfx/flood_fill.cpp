// Flood fill: the 4-connected region of the seed colour within the clip rectangle, filled span by
// span with the bitmap's fill_hline, so every primitive draw mode applies.
//
// A bit per pixel of the clip rectangle remembers what has been filled. Each span is filled once
// and its rows above and below are scanned once over the span's width, so the work grows with the
// pixels filled (and the edges around them), whatever the shape: combs and serpentines that make
// a pass-until-nothing-changes search go round again and again cost no more than a plain block.
// The bits, not the colours, tell a filled pixel from an unfilled one, because a patterned or
// translucent fill can leave a pixel with the seed colour.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/system.h"
#include "gfx/primitives.h"

namespace corvane {
namespace {

class flood {
 public:
  flood(bitmap *bmp, const draw_area &area, int seed, int color) noexcept
      : bmp_(bmp),
        area_(area),
        get_(bmp->vtable->get_pixel),
        fill_(bmp->vtable->fill_hline),
        seed_(seed),
        color_(color),
        width_(static_cast<std::size_t>(area.right - area.left)) {}

  // Makes the filled-pixel bits; false when memory is short.
  bool start() noexcept {
    const std::size_t height = static_cast<std::size_t>(area_.bottom - area_.top);
    row_words_ = (width_ + 63) / 64;
    try {
      filled_.assign(row_words_ * height, 0);
    } catch (...) {
      return false;
    }
    return true;
  }

  void run(int x, int y) noexcept {
    try {
      seeds_.push_back({x, y});
      while (!seeds_.empty()) {
        const point p = seeds_.back();
        seeds_.pop_back();
        if (open(p.x, p.y)) fill_span(p.x, p.y);
      }
    } catch (...) {
      // Memory for the seeds ran out: what was filled stays filled.
    }
  }

 private:
  struct point {
    int x;
    int y;
  };

  bool is_filled(int x, int y) const noexcept {
    const std::size_t column = static_cast<std::size_t>(x - area_.left);
    const std::size_t word = static_cast<std::size_t>(y - area_.top) * row_words_ + column / 64;
    return ((filled_[word] >> (column % 64)) & 1u) != 0;
  }

  // A pixel that belongs to the region and has not been filled yet.
  bool open(int x, int y) noexcept { return !is_filled(x, y) && get_(bmp_, x, y) == seed_; }

  void mark(int left, int right, int y) noexcept {
    uint64_t *row = &filled_[static_cast<std::size_t>(y - area_.top) * row_words_];
    for (auto c = static_cast<std::size_t>(left - area_.left);
         c <= static_cast<std::size_t>(right - area_.left); ++c) {
      row[c / 64] |= uint64_t{1} << (c % 64);
    }
  }

  // Fills the span of open pixels through (x, y), then seeds every run of open pixels on the rows
  // above and below it (one seed per run).
  void fill_span(int x, int y) {
    int left = x;
    while (left > area_.left && open(left - 1, y)) --left;
    int right = x;
    while (right < area_.right - 1 && open(right + 1, y)) ++right;
    fill_(bmp_, left, y, right, color_);
    mark(left, right, y);
    if (y + 1 < area_.bottom) seed_row(left, right, y + 1);
    if (y - 1 >= area_.top) seed_row(left, right, y - 1);
  }

  void seed_row(int left, int right, int y) {
    bool in_run = false;
    for (int x = left; x <= right; ++x) {
      const bool o = open(x, y);
      if (o && !in_run) seeds_.push_back({x, y});
      in_run = o;
    }
  }

  bitmap *bmp_;
  draw_area area_;
  int (*get_)(bitmap *, int, int);
  void (*fill_)(bitmap *, int, int, int, int);
  int seed_;
  int color_;
  std::size_t width_;
  std::size_t row_words_ = 0;
  std::vector<uint64_t> filled_;
  std::vector<point> seeds_;
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
  if (!fill.start()) {
    set_error_number(ENOMEM);
    return;
  }
  const scoped_acquire acquired(bmp);
  fill.run(x, y);
}

}  // namespace corvane
