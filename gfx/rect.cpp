// Rectangles: filled (row by row through fill_hline, or as a clear of the rectangle in solid mode)
// and outlined (two horizontal and two vertical lines, none drawn twice).
#include <algorithm>
#include <utility>

#include "corvane/bitmap.h"
#include "corvane/draw.h"
#include "gfx/primitives.h"

namespace corvane {
namespace {

// In MODE_SOLID, a rectangle filled row by row with the depth's own line routine is exactly what
// the depth's own clear_to_color does to a clip rectangle of the same bounds. A display driver
// that replaced either routine is honoured by going row by row.
bool solid_fill_is_clear(const bitmap *bmp) noexcept {
  if (draw_mode != MODE_SOLID) return false;
  const draw_vtable *table = bmp->vtable;
  const draw_vtable *own = find_vtable(table->color_depth);
  return own != nullptr && table->clear_to_color != nullptr &&
         table->fill_hline == own->fill_hline && table->clear_to_color == own->clear_to_color;
}

}  // namespace

void generic_fill_rect(bitmap *bmp, int x1, int y1, int x2, int y2, int color) noexcept {
  if (!drawable(bmp) || bmp->vtable->fill_hline == nullptr) return;
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  // Cut to the clip rectangle, or to the bitmap with clipping off: rows and columns outside it
  // would draw nothing anyway, and a huge rectangle must not cost a call per row it spans.
  const draw_area area = drawing_area(bmp);
  x1 = std::max(x1, area.left);
  y1 = std::max(y1, area.top);
  x2 = std::min(x2, area.right - 1);
  y2 = std::min(y2, area.bottom - 1);
  if (x2 < x1 || y2 < y1) return;

  void (*fill)(bitmap *, int, int, int, int) = bmp->vtable->fill_hline;
  const scoped_acquire acquired(bmp);
  if (solid_fill_is_clear(bmp)) {
    // clear_to_color fills the clip rectangle with whole runs (one run for all rows when they
    // lie back to back): give it the rectangle as the clip rectangle for the duration.
    const int saved[4] = {bmp->clip_left, bmp->clip_top, bmp->clip_right, bmp->clip_bottom};
    bmp->clip_left = x1;
    bmp->clip_top = y1;
    bmp->clip_right = x2 + 1;
    bmp->clip_bottom = y2 + 1;
    bmp->vtable->clear_to_color(bmp, color);
    bmp->clip_left = saved[0];
    bmp->clip_top = saved[1];
    bmp->clip_right = saved[2];
    bmp->clip_bottom = saved[3];
    return;
  }
  const int clipping = bmp->clipping;
  bmp->clipping = 0;
  for (int y = y1; y <= y2; ++y) fill(bmp, x1, y, x2, color);
  bmp->clipping = clipping;
}

void generic_draw_rect(bitmap *bmp, int x1, int y1, int x2, int y2, int color) noexcept {
  if (!drawable(bmp)) return;
  draw_vtable *table = bmp->vtable;
  if (table->draw_hline == nullptr || table->draw_vline == nullptr) return;
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  const scoped_acquire acquired(bmp);
  table->draw_hline(bmp, x1, y1, x2, color);
  if (y2 != y1) table->draw_hline(bmp, x1, y2, x2, color);
  // Rows strictly between the top and the bottom (y2 - y1 > 1, computed without overflow).
  if (int64_t{y2} - y1 > 1) {
    table->draw_vline(bmp, x1, y1 + 1, y2 - 1, color);
    if (x2 != x1) table->draw_vline(bmp, x2, y1 + 1, y2 - 1, color);
  }
}

}  // namespace corvane
