// Colour fonts: glyphs are bitmaps. An 8-bit glyph is drawn in the text colour (or, with a
// negative colour, in its own colours through the palette); a glyph of another depth is drawn as
// it is with its mask colour transparent, converted first when the depths differ. Translucent
// colour fonts draw their glyphs through the current blender instead.
#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/font.h"
#include "gfx/font_internal.h"

namespace corvane {
namespace {

// The conversion used for glyphs of another depth than the target: every depth pair, mask
// pixels kept transparent.
constexpr uint32_t GLYPH_CONVERSION = 0x40EEEE0u;

struct color_kind {
  using range = color_range;
  using glyph = bitmap;

  static bitmap *copy_glyph(const bitmap *g) noexcept {
    bitmap *copy = create_bitmap_at_depth(bitmap_color_depth(g), g->width, g->height);
    if (copy != nullptr) blit(const_cast<bitmap *>(g), copy, 0, 0, 0, 0, g->width, g->height);
    return copy;
  }
  static void free_glyph(bitmap *g) noexcept { destroy_bitmap(g); }
};

int color_font_height(const font *f) noexcept { return f != nullptr ? f->height : 0; }

int color_char_length(const font *f, int code_point) noexcept {
  const bitmap *g = find_glyph<color_kind>(f, code_point);
  return g != nullptr ? g->width : 0;
}

int color_text_length(const font *f, const char *text) noexcept { return measure_text(f, text); }

void color_render(const font *f, const char *text, int color, int background, bitmap *bmp, int x,
                  int y) noexcept {
  if (f == nullptr || text == nullptr || bmp == nullptr) return;
  acquired_bitmap hold(bmp);
  // Glyphs in their own colours cannot paint a background: it is filled first, in one piece.
  if (color < 0 && background >= 0) {
    fill_text_background(bmp, x, y, measure_text(f, text), f->height, background);
    background = -1;
  }
  render_text(f, text, color, background, bmp, x, y);
}

void draw_color_glyph(bitmap *bmp, bitmap *g, int x, int y, int color, int background) noexcept {
  const draw_vtable *vtable = bmp->vtable;
  const int glyph_depth = bitmap_color_depth(g);
  if (glyph_depth == 8) {
    if (color < 0) {
      if (vtable->draw_sprite_8bit != nullptr) vtable->draw_sprite_8bit(bmp, g, x, y);
    } else if (vtable->draw_glyph_mono != nullptr) {
      vtable->draw_glyph_mono(bmp, g, x, y, color, background);
    }
    return;
  }
  if (glyph_depth != bitmap_color_depth(bmp)) {
    bitmap *converted = create_bitmap_at_depth(bitmap_color_depth(bmp), g->width, g->height);
    if (converted == nullptr) return;
    const uint32_t saved = get_color_conversion();
    set_color_conversion(GLYPH_CONVERSION);
    blit(g, converted, 0, 0, 0, 0, g->width, g->height);
    set_color_conversion(saved);
    masked_blit(converted, bmp, 0, 0, x, y, g->width, g->height);
    destroy_bitmap(converted);
    return;
  }
  masked_blit(g, bmp, 0, 0, x, y, g->width, g->height);
}

int color_render_char(const font *f, int code_point, int color, int background, bitmap *bmp, int x,
                      int y) noexcept {
  if (f == nullptr) return 0;
  acquired_bitmap hold(bmp);
  if (color < 0 && background >= 0)
    fill_text_background(bmp, x, y, color_char_length(f, code_point), f->height, background);
  bitmap *g = find_glyph<color_kind>(f, code_point);
  if (g == nullptr) return 0;
  int top = 0;
  if (bmp != nullptr && bmp->vtable != nullptr && centred_glyph_top(y, f->height, g->height, top))
    draw_color_glyph(bmp, g, x, top, color, background);
  return g->width;
}

int trans_render_char(const font *f, int code_point, int /*color*/, int background, bitmap *bmp,
                      int x, int y) noexcept {
  if (f == nullptr) return 0;
  acquired_bitmap hold(bmp);
  if (background >= 0)
    fill_text_background(bmp, x, y, color_char_length(f, code_point), f->height, background);
  bitmap *g = find_glyph<color_kind>(f, code_point);
  if (g == nullptr) return 0;
  int top = 0;
  if (bmp != nullptr && bmp->vtable != nullptr && centred_glyph_top(y, f->height, g->height, top)) {
    // A 32-bit glyph carries its own alpha; any other is mixed by the blend weight.
    if (bitmap_color_depth(g) == 32 && bmp->vtable->draw_sprite_alpha != nullptr) {
      bmp->vtable->draw_sprite_alpha(bmp, g, x, top);
    } else if (bitmap_color_depth(g) != 32 && bmp->vtable->draw_sprite_trans != nullptr) {
      bmp->vtable->draw_sprite_trans(bmp, g, x, top);
    }
  }
  return g->width;
}

font *color_merge(const font *f, const font *other) noexcept {
  if (is_color_font(f) == 0 || is_color_font(other) == 0) return nullptr;
  return merge<color_kind>(f, other);
}

}  // namespace
}  // namespace corvane

extern "C" {

const font_vtable color_font_ops = {
    .font_height = corvane::color_font_height,
    .char_length = corvane::color_char_length,
    .text_length = corvane::color_text_length,
    .render_char = corvane::color_render_char,
    .render = corvane::color_render,
    .destroy = corvane::destroy<corvane::color_kind>,
    .count_ranges = corvane::count_ranges<corvane::color_kind>,
    .range_begin = corvane::range_begin<corvane::color_kind>,
    .range_end = corvane::range_end<corvane::color_kind>,
    .extract_range = corvane::extract_range<corvane::color_kind>,
    .merge = corvane::color_merge,
    .transpose = corvane::transpose<corvane::color_kind>,
};

const font_vtable trans_font_ops = {
    .font_height = corvane::color_font_height,
    .char_length = corvane::color_char_length,
    .text_length = corvane::color_text_length,
    .render_char = corvane::trans_render_char,
    .render = corvane::color_render,
    .destroy = corvane::destroy<corvane::color_kind>,
    .count_ranges = corvane::count_ranges<corvane::color_kind>,
    .range_begin = corvane::range_begin<corvane::color_kind>,
    .range_end = corvane::range_end<corvane::color_kind>,
    .extract_range = corvane::extract_range<corvane::color_kind>,
    .merge = corvane::color_merge,
    .transpose = corvane::transpose<corvane::color_kind>,
};

}  // extern "C"
