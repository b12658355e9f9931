// Helpers of the font tests: the built-in font's pictures read straight from their source (so
// that the packed glyphs are checked against the pictures, not against themselves), fonts built
// by hand from pictures, and a plain drawing of text by those pictures to compare with.
#ifndef CORVANE_TESTS_GFX_FONT_TEST_SUPPORT_H
#define CORVANE_TESTS_GFX_FONT_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/font.h"
#include "support/bitmap_compare.h"

namespace font_test {

// A glyph as rows of '#' (ink) and '.' (background), all of one length.
using picture = std::vector<std::string>;

// The built-in font's pictures by code point.
inline const std::map<int, picture> &default_pictures() {
  static const std::map<int, picture> pictures = [] {
    std::map<int, picture> m;
#define CORVANE_GLYPH(cp, r0, r1, r2, r3, r4, r5, r6, r7) m[cp] = {r0, r1, r2, r3, r4, r5, r6, r7};
#include "gfx/default_font_glyphs.inc"
#undef CORVANE_GLYPH
    return m;
  }();
  return pictures;
}

// True where the built-in font's glyph for a code point has ink ('^' for code points it lacks).
inline bool default_ink(int code_point, int column, int row) {
  const auto &pictures = default_pictures();
  auto it = pictures.find(code_point);
  if (it == pictures.end()) it = pictures.find('^');
  return it->second[static_cast<size_t>(row)][static_cast<size_t>(column)] == '#';
}

// A glyph record (malloc'ed, as fonts own them) from a picture.
inline mono_glyph *make_glyph(const picture &rows) {
  const int height = static_cast<int>(rows.size());
  const int width = height > 0 ? static_cast<int>(rows[0].size()) : 0;
  const size_t stride = static_cast<size_t>((width + 7) / 8);
  const size_t size = offsetof(mono_glyph, data) + stride * static_cast<size_t>(height) + 1;
  auto *g = static_cast<mono_glyph *>(std::calloc(1, size));
  g->glyph_width = static_cast<int16_t>(width);
  g->glyph_height = static_cast<int16_t>(height);
  unsigned char *data = g->data;
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c < width; ++c) {
      if (rows[static_cast<size_t>(r)][static_cast<size_t>(c)] == '#')
        data[static_cast<size_t>(r) * stride + static_cast<size_t>(c / 8)] |=
            static_cast<unsigned char>(0x80 >> (c % 8));
    }
  }
  return g;
}

// A range from first with one glyph per picture (an empty picture leaves the slot empty).
struct picture_range {
  int first;
  std::vector<picture> glyphs;
};

// A monochrome font built the way the range operations build fonts, so destroy_font frees it.
inline font *make_mono_font(int height, const std::vector<picture_range> &ranges) {
  auto *f = static_cast<font *>(std::calloc(1, sizeof(font)));
  f->height = height;
  f->font_ops = &mono_font_ops;
  mono_range **tail = nullptr;
  mono_range *head = nullptr;
  tail = &head;
  for (const picture_range &wanted : ranges) {
    auto *r = static_cast<mono_range *>(std::calloc(1, sizeof(mono_range)));
    r->first = wanted.first;
    r->last_plus_one = wanted.first + static_cast<int>(wanted.glyphs.size());
    r->glyphs =
        static_cast<mono_glyph **>(std::calloc(wanted.glyphs.size() + 1, sizeof(mono_glyph *)));
    for (size_t i = 0; i < wanted.glyphs.size(); ++i) {
      if (!wanted.glyphs[i].empty()) r->glyphs[i] = make_glyph(wanted.glyphs[i]);
    }
    *tail = r;
    tail = &r->next;
  }
  f->ranges = head;
  return f;
}

// A colour font (or a translucent one) whose ranges hold the given bitmaps; the font owns them.
inline font *make_color_font(int height, int first, const std::vector<bitmap *> &glyphs,
                             const font_vtable *ops = &color_font_ops) {
  auto *f = static_cast<font *>(std::calloc(1, sizeof(font)));
  f->height = height;
  f->font_ops = ops;
  auto *r = static_cast<color_range *>(std::calloc(1, sizeof(color_range)));
  r->first = first;
  r->last_plus_one = first + static_cast<int>(glyphs.size());
  r->glyphs = static_cast<bitmap **>(std::calloc(glyphs.size() + 1, sizeof(bitmap *)));
  for (size_t i = 0; i < glyphs.size(); ++i) r->glyphs[i] = glyphs[i];
  f->ranges = r;
  return f;
}

struct font_deleter {
  void operator()(font *f) const { destroy_font(f); }
};
using font_ptr = std::unique_ptr<font, font_deleter>;

// The expected image of text drawn with the built-in font at (x, y) over an image: ink pixels
// become color and, unless background is negative, the rest of each 8x8 cell background.
inline void expect_default_text(corvane::testing::reference_image &image,
                                const std::vector<int> &code_points, int x, int y, uint32_t color,
                                int background) {
  for (size_t i = 0; i < code_points.size(); ++i) {
    for (int row = 0; row < 8; ++row) {
      for (int column = 0; column < 8; ++column) {
        const int px = x + static_cast<int>(i) * 8 + column;
        const int py = y + row;
        if (px < 0 || py < 0 || px >= image.width || py >= image.height) continue;
        if (default_ink(code_points[i], column, row)) {
          image.at(px, py) = color;
        } else if (background >= 0) {
          image.at(px, py) = static_cast<uint32_t>(background);
        }
      }
    }
  }
}

// The code points of a plain ASCII string.
inline std::vector<int> ascii_code_points(const std::string &text) {
  return std::vector<int>(text.begin(), text.end());
}

}  // namespace font_test

#endif  // CORVANE_TESTS_GFX_FONT_TEST_SUPPORT_H
