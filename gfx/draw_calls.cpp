// The drawing entry points of the public interface: each calls the slot of the same name in the
// bitmap's drawing table, and does nothing for a null bitmap, a bitmap without a table or an
// empty slot.
#include "corvane/bitmap.h"
#include "corvane/draw.h"

namespace {

// The bitmap's table, or null when there is nothing to draw on.
draw_vtable *table_of(const bitmap *bmp) noexcept { return bmp != nullptr ? bmp->vtable : nullptr; }

int depth_of(const bitmap *bmp) noexcept {
  return bmp != nullptr && bmp->vtable != nullptr ? bmp->vtable->color_depth : 0;
}

}  // namespace

// Calls slot with the arguments when the bitmap has a table and the slot is filled.
#define CORVANE_CALL_SLOT(bmp, slot, ...)                                        \
  do {                                                                           \
    draw_vtable *table_ = table_of(bmp);                                         \
    if (table_ != nullptr && table_->slot != nullptr) table_->slot(__VA_ARGS__); \
  } while (false)

extern "C" {

int get_pixel(bitmap *bmp, int x, int y) noexcept {
  draw_vtable *table = table_of(bmp);
  if (table == nullptr || table->get_pixel == nullptr) return -1;
  return table->get_pixel(bmp, x, y);
}

void put_pixel(bitmap *bmp, int x, int y, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, put_pixel, bmp, x, y, color);
}

void draw_vline(bitmap *bmp, int x, int y1, int y2, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, draw_vline, bmp, x, y1, y2, color);
}

void draw_hline(bitmap *bmp, int x1, int y, int x2, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, draw_hline, bmp, x1, y, x2, color);
}

void clear_to_color(bitmap *bmp, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, clear_to_color, bmp, color);
}

void draw_line(bitmap *bmp, int x1, int y1, int x2, int y2, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, draw_line, bmp, x1, y1, x2, y2, color);
}

void draw_fast_line(bitmap *bmp, int x1, int y1, int x2, int y2, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, draw_fast_line, bmp, x1, y1, x2, y2, color);
}

void fill_rect(bitmap *bmp, int x1, int y1, int x2, int y2, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, fill_rect, bmp, x1, y1, x2, y2, color);
}

void draw_rect(bitmap *bmp, int x1, int y1, int x2, int y2, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, draw_rect, bmp, x1, y1, x2, y2, color);
}

void draw_triangle(bitmap *bmp, int x1, int y1, int x2, int y2, int x3, int y3,
                   int color) noexcept {
  CORVANE_CALL_SLOT(bmp, draw_triangle, bmp, x1, y1, x2, y2, x3, y3, color);
}

void draw_polygon(bitmap *bmp, int vertex_count, const int *points, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, draw_polygon, bmp, vertex_count, points, color);
}

void draw_circle(bitmap *bmp, int x, int y, int radius, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, draw_circle, bmp, x, y, radius, color);
}

void fill_circle(bitmap *bmp, int x, int y, int radius, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, fill_circle, bmp, x, y, radius, color);
}

void draw_ellipse(bitmap *bmp, int x, int y, int rx, int ry, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, draw_ellipse, bmp, x, y, rx, ry, color);
}

void fill_ellipse(bitmap *bmp, int x, int y, int rx, int ry, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, fill_ellipse, bmp, x, y, rx, ry, color);
}

void draw_arc(bitmap *bmp, int x, int y, fixed start_angle, fixed end_angle, int radius,
              int color) noexcept {
  CORVANE_CALL_SLOT(bmp, draw_arc, bmp, x, y, start_angle, end_angle, radius, color);
}

void draw_spline(bitmap *bmp, const int points[8], int color) noexcept {
  if (points == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_spline, bmp, points, color);
}

void flood_fill(bitmap *bmp, int x, int y, int color) noexcept {
  CORVANE_CALL_SLOT(bmp, flood_fill, bmp, x, y, color);
}

void draw_sprite(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if (sprite == nullptr) return;
  if (depth_of(sprite) == 8 && depth_of(bmp) != 8) {
    CORVANE_CALL_SLOT(bmp, draw_sprite_8bit, bmp, sprite, x, y);
  } else {
    CORVANE_CALL_SLOT(bmp, draw_sprite, bmp, sprite, x, y);
  }
}

void draw_sprite_8bit(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if (sprite == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_sprite_8bit, bmp, sprite, x, y);
}

void draw_sprite_vflip(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if (sprite == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_sprite_vflip, bmp, sprite, x, y);
}

void draw_sprite_hflip(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if (sprite == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_sprite_hflip, bmp, sprite, x, y);
}

void draw_sprite_vhflip(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if (sprite == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_sprite_vhflip, bmp, sprite, x, y);
}

void draw_sprite_trans(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if (sprite == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_sprite_trans, bmp, sprite, x, y);
}

void draw_sprite_alpha(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if (sprite == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_sprite_alpha, bmp, sprite, x, y);
}

void draw_sprite_lit(bitmap *bmp, bitmap *sprite, int x, int y, int level) noexcept {
  if (sprite == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_sprite_lit, bmp, sprite, x, y, level);
}

void draw_sprite_gouraud(bitmap *bmp, bitmap *sprite, int x, int y, int c1, int c2, int c3,
                         int c4) noexcept {
  if (sprite == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_sprite_gouraud, bmp, sprite, x, y, c1, c2, c3, c4);
}

void draw_rle(bitmap *bmp, const run_sprite *sprite, int x, int y) noexcept {
  if (sprite == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_rle, bmp, sprite, x, y);
}

void draw_rle_trans(bitmap *bmp, const run_sprite *sprite, int x, int y) noexcept {
  if (sprite == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_rle_trans, bmp, sprite, x, y);
}

void draw_rle_alpha(bitmap *bmp, const run_sprite *sprite, int x, int y) noexcept {
  if (sprite == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_rle_alpha, bmp, sprite, x, y);
}

void draw_rle_lit(bitmap *bmp, const run_sprite *sprite, int x, int y, int level) noexcept {
  if (sprite == nullptr) return;
  CORVANE_CALL_SLOT(bmp, draw_rle_lit, bmp, sprite, x, y, level);
}

}  // extern "C"
