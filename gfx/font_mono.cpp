// Monochrome fonts: glyphs are bit patterns drawn in one colour by the drawing table's glyph
// routine, centred vertically in the line.
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "corvane/bitmap.h"
#include "corvane/font.h"
#include "gfx/font_internal.h"

namespace corvane {
namespace {

struct mono_kind {
  using range = mono_range;
  using glyph = mono_glyph;

  static size_t glyph_size(const mono_glyph *g) noexcept {
    const int width = g->glyph_width > 0 ? g->glyph_width : 0;
    const int height = g->glyph_height > 0 ? g->glyph_height : 0;
    const size_t rows = static_cast<size_t>(height) * MONO_GLYPH_ROW_BYTES(width);
    // The record keeps at least its declared size, so that its fields can always be read.
    const size_t size = offsetof(mono_glyph, data) + rows;
    return size > sizeof(mono_glyph) ? size : sizeof(mono_glyph);
  }
  static mono_glyph *copy_glyph(const mono_glyph *g) noexcept {
    const size_t size = glyph_size(g);
    auto *copy = static_cast<mono_glyph *>(std::malloc(size));
    if (copy != nullptr) std::memcpy(copy, g, size);
    return copy;
  }
  static void free_glyph(mono_glyph *g) noexcept { std::free(g); }
};

int mono_font_height(const font *f) noexcept { return f != nullptr ? f->height : 0; }

int mono_char_length(const font *f, int code_point) noexcept {
  const mono_glyph *g = find_glyph<mono_kind>(f, code_point);
  return g != nullptr ? g->glyph_width : 0;
}

int mono_text_length(const font *f, const char *text) noexcept { return measure_text(f, text); }

int mono_render_char(const font *f, int code_point, int color, int background, bitmap *bmp, int x,
                     int y) noexcept {
  const mono_glyph *g = find_glyph<mono_kind>(f, code_point);
  if (g == nullptr) return 0;
  if (bmp != nullptr && bmp->vtable != nullptr && bmp->vtable->draw_glyph != nullptr) {
    acquired_bitmap hold(bmp);
    int top = 0;
    if (centred_glyph_top(y, f->height, g->glyph_height, top))
      bmp->vtable->draw_glyph(bmp, g, x, top, color, background);
  }
  return g->glyph_width;
}

font *mono_merge(const font *f, const font *other) noexcept {
  if (is_mono_font(f) == 0 || is_mono_font(other) == 0) return nullptr;
  return merge<mono_kind>(f, other);
}

}  // namespace
}  // namespace corvane

extern "C" {

const font_vtable mono_font_ops = {
    .font_height = corvane::mono_font_height,
    .char_length = corvane::mono_char_length,
    .text_length = corvane::mono_text_length,
    .render_char = corvane::mono_render_char,
    .render = corvane::render_text,
    .destroy = corvane::destroy<corvane::mono_kind>,
    .count_ranges = corvane::count_ranges<corvane::mono_kind>,
    .range_begin = corvane::range_begin<corvane::mono_kind>,
    .range_end = corvane::range_end<corvane::mono_kind>,
    .extract_range = corvane::extract_range<corvane::mono_kind>,
    .merge = corvane::mono_merge,
    .transpose = corvane::transpose<corvane::mono_kind>,
};

}  // extern "C"
