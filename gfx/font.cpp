// What every kind of font shares: drawing a text character by character, measuring it, filling
// a text background, the kind tests and the public entry points that go through a font's
// operations.
#include <climits>
#include <cstdint>

#include "corvane/bitmap.h"
#include "corvane/font.h"
#include "corvane/text.h"
#include "gfx/font_internal.h"

namespace corvane {

void render_text(const font *f, const char *text, int color, int background, bitmap *bmp, int x,
                 int y) noexcept {
  if (f == nullptr || text == nullptr || bmp == nullptr || f->font_ops == nullptr ||
      f->font_ops->render_char == nullptr) {
    return;
  }
  acquired_bitmap hold(bmp);
  const auto render_char = f->font_ops->render_char;
  const char *p = text;
  for (int c = current_next_char(&p); c != 0; c = current_next_char(&p)) {
    if (!advance_position(x, render_char(f, c, color, background, bmp, x, y))) break;
  }
}

int measure_text(const font *f, const char *text) noexcept {
  if (f == nullptr || text == nullptr || f->font_ops == nullptr ||
      f->font_ops->char_length == nullptr) {
    return 0;
  }
  const auto char_length = f->font_ops->char_length;
  int64_t total = 0;
  const char *p = text;
  for (int c = current_next_char(&p); c != 0; c = current_next_char(&p)) {
    total += char_length(f, c);
    if (total > INT_MAX) return INT_MAX;
    if (total < INT_MIN) return INT_MIN;
  }
  return static_cast<int>(total);
}

void fill_text_background(bitmap *bmp, int x, int y, int width, int height, int color) noexcept {
  if (bmp == nullptr || bmp->vtable == nullptr || width <= 0 || height <= 0) return;
  const auto last = [](int start, int size) {
    const int64_t value = int64_t{start} + size - 1;
    return static_cast<int>(value > INT_MAX ? INT_MAX : value);
  };
  const int x2 = last(x, width);
  const int y2 = last(y, height);
  if (bmp->vtable->fill_rect != nullptr) {
    bmp->vtable->fill_rect(bmp, x, y, x2, y2, color);
    return;
  }
  if (bmp->vtable->fill_hline == nullptr) return;
  // Only the rows that can be on the bitmap, so a tall rectangle far away costs nothing.
  const int top = y < 0 ? 0 : y;
  const int bottom = y2 >= bmp->height ? bmp->height - 1 : y2;
  for (int row = top; row <= bottom; ++row) bmp->vtable->fill_hline(bmp, x, row, x2, color);
}

}  // namespace corvane

extern "C" {

const int missing_glyph_char = corvane::MISSING_GLYPH;
const int legacy_text_background = 0;

int is_mono_font(const font *f) noexcept {
  return f != nullptr && f->font_ops == &mono_font_ops ? -1 : 0;
}

int is_color_font(const font *f) noexcept {
  return f != nullptr && (f->font_ops == &color_font_ops || f->font_ops == &trans_font_ops) ? -1
                                                                                            : 0;
}

int text_width(const font *f, const char *text) noexcept {
  if (f == nullptr || text == nullptr || f->font_ops == nullptr ||
      f->font_ops->text_length == nullptr) {
    return 0;
  }
  return f->font_ops->text_length(f, text);
}

int font_text_height(const font *f) noexcept {
  if (f == nullptr || f->font_ops == nullptr || f->font_ops->font_height == nullptr) return 0;
  return f->font_ops->font_height(f);
}

int count_font_ranges(const font *f) noexcept {
  if (f == nullptr || f->font_ops == nullptr || f->font_ops->count_ranges == nullptr) return -1;
  return f->font_ops->count_ranges(f);
}

int font_range_begin(const font *f, int index) noexcept {
  if (f == nullptr || f->font_ops == nullptr || f->font_ops->range_begin == nullptr) return -1;
  return f->font_ops->range_begin(f, index);
}

int font_range_end(const font *f, int index) noexcept {
  if (f == nullptr || f->font_ops == nullptr || f->font_ops->range_end == nullptr) return -1;
  return f->font_ops->range_end(f, index);
}

font *extract_font_range(const font *f, int first, int last) noexcept {
  if (f == nullptr || f->font_ops == nullptr || f->font_ops->extract_range == nullptr)
    return nullptr;
  return f->font_ops->extract_range(f, first, last);
}

font *merge_fonts(const font *a, const font *b) noexcept {
  if (a == nullptr || b == nullptr) return nullptr;
  font *result = nullptr;
  if (a->font_ops != nullptr && a->font_ops->merge != nullptr) result = a->font_ops->merge(a, b);
  if (result == nullptr && b->font_ops != nullptr && b->font_ops->merge != nullptr)
    result = b->font_ops->merge(b, a);
  return result;
}

int transpose_font(font *f, int offset) noexcept {
  if (f == nullptr || f->font_ops == nullptr || f->font_ops->transpose == nullptr) return -1;
  return f->font_ops->transpose(f, offset);
}

void destroy_font(font *f) noexcept {
  if (f == nullptr || f->font_ops == nullptr || f->font_ops->destroy == nullptr) return;
  f->font_ops->destroy(f);
}

}  // extern "C"
