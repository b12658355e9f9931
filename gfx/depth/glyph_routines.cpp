// The glyph routines of every depth (drawing-table slots 29 and 30): text drawing ends here, one
// glyph at a time, so the inner loops only test bits and store pixels.
#include "gfx/depth/glyph_routines.h"

#include <algorithm>
#include <cstdint>

#include "gfx/depth/pixel_routines.h"

namespace corvane::depth {
namespace {

// The part of a width x height image placed at (x, y) that may be drawn on bmp.
struct glyph_area {
  int left;          // first target column
  int top;           // first target row
  int columns;       // columns to draw
  int rows;          // rows to draw
  int first_column;  // first source column
  int first_row;     // first source row
};

bool clip_glyph(const bitmap *bmp, int x, int y, int width, int height, glyph_area &out) noexcept {
  if (width <= 0 || height <= 0) return false;
  const drawable_area area = drawable_bounds(bmp);
  const int64_t left = std::max<int64_t>(x, area.left);
  const int64_t top = std::max<int64_t>(y, area.top);
  const int64_t right = std::min<int64_t>(int64_t{x} + width, area.right);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + height, area.bottom);
  if (left >= right || top >= bottom) return false;
  out.left = static_cast<int>(left);
  out.top = static_cast<int>(top);
  out.columns = static_cast<int>(right - left);
  out.rows = static_cast<int>(bottom - top);
  out.first_column = static_cast<int>(left - x);
  out.first_row = static_cast<int>(top - y);
  return true;
}

template <class Pixel, bool Opaque>
void draw_bit_rows(bitmap *bmp, const glyph_area &area, const unsigned char *bits, size_t stride,
                   uint32_t color, uint32_t background) noexcept {
  const size_t at = static_cast<size_t>(area.left) * Pixel::bytes;
  for (int r = 0; r < area.rows; ++r, bits += stride) {
    unsigned char *dest = write_row(bmp, area.top + r) + at;
    // Whole source bytes at a time: the byte's bits are shifted out from the top.
    int column = area.first_column;
    int left = area.columns;
    const unsigned char *source = bits + (column >> 3);
    unsigned int byte = static_cast<unsigned int>(*source++) << (column & 7);
    int bits_left = 8 - (column & 7);
    while (left > 0) {
      const int count = std::min(bits_left, left);
      for (int i = 0; i < count; ++i, byte <<= 1, dest += Pixel::bytes) {
        if ((byte & 0x80u) != 0) {
          Pixel::store(dest, color);
        } else if constexpr (Opaque) {
          Pixel::store(dest, background);
        }
      }
      left -= count;
      if (left > 0) {
        byte = *source++;
        bits_left = 8;
      }
    }
  }
}

template <class Pixel, bool Opaque>
void draw_byte_rows(bitmap *bmp, const glyph_area &area, bitmap *source, uint32_t color,
                    uint32_t background) noexcept {
  const size_t at = static_cast<size_t>(area.left) * Pixel::bytes;
  for (int r = 0; r < area.rows; ++r) {
    const unsigned char *s = read_row(source, area.first_row + r) + area.first_column;
    unsigned char *dest = write_row(bmp, area.top + r) + at;
    for (int i = 0; i < area.columns; ++i, dest += Pixel::bytes) {
      if (s[i] != 0) {
        Pixel::store(dest, color);
      } else if constexpr (Opaque) {
        Pixel::store(dest, background);
      }
    }
  }
}

}  // namespace

template <class Pixel>
void draw_glyph(bitmap *bmp, const mono_glyph *glyph, int x, int y, int color,
                int background) noexcept {
  if (bmp == nullptr || glyph == nullptr) return;
  glyph_area area{};
  if (!clip_glyph(bmp, x, y, glyph->glyph_width, glyph->glyph_height, area)) return;
  const size_t stride = static_cast<size_t>(MONO_GLYPH_ROW_BYTES(glyph->glyph_width));
  const unsigned char *bits = glyph->data;
  bits += static_cast<size_t>(area.first_row) * stride;
  const auto c = static_cast<uint32_t>(color);
  if (background >= 0) {
    draw_bit_rows<Pixel, true>(bmp, area, bits, stride, c, static_cast<uint32_t>(background));
  } else {
    draw_bit_rows<Pixel, false>(bmp, area, bits, stride, c, 0);
  }
  release_rows(bmp);
}

template <class Pixel>
void draw_glyph_mono(bitmap *bmp, bitmap *source, int x, int y, int color,
                     int background) noexcept {
  if (bmp == nullptr || source == nullptr || bitmap_color_depth(source) != 8) return;
  glyph_area area{};
  if (!clip_glyph(bmp, x, y, source->width, source->height, area)) return;
  const auto c = static_cast<uint32_t>(color);
  if (background >= 0) {
    draw_byte_rows<Pixel, true>(bmp, area, source, c, static_cast<uint32_t>(background));
  } else {
    draw_byte_rows<Pixel, false>(bmp, area, source, c, 0);
  }
  release_blit_rows(source, bmp);
}

template void draw_glyph<pixel8>(bitmap *, const mono_glyph *, int, int, int, int) noexcept;
template void draw_glyph<pixel15>(bitmap *, const mono_glyph *, int, int, int, int) noexcept;
template void draw_glyph<pixel16>(bitmap *, const mono_glyph *, int, int, int, int) noexcept;
template void draw_glyph<pixel24>(bitmap *, const mono_glyph *, int, int, int, int) noexcept;
template void draw_glyph<pixel32>(bitmap *, const mono_glyph *, int, int, int, int) noexcept;
template void draw_glyph_mono<pixel8>(bitmap *, bitmap *, int, int, int, int) noexcept;
template void draw_glyph_mono<pixel15>(bitmap *, bitmap *, int, int, int, int) noexcept;
template void draw_glyph_mono<pixel16>(bitmap *, bitmap *, int, int, int, int) noexcept;
template void draw_glyph_mono<pixel24>(bitmap *, bitmap *, int, int, int, int) noexcept;
template void draw_glyph_mono<pixel32>(bitmap *, bitmap *, int, int, int, int) noexcept;

}  // namespace corvane::depth
