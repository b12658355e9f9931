// The glyph routines of every pixel size (drawing-table slots 29 and 30): text drawing ends here,
// one glyph at a time, so the inner loops only test bits and store pixels.
#include "gfx/depth/glyph_routines.h"

#include <algorithm>
#include <cstdint>

#include "gfx/depth/pixel_routines.h"

namespace corvane::depth {
namespace {

template <class Pixel, bool Opaque>
void draw_bit_rows(bitmap *bmp, const placed_area &area, const unsigned char *bits, size_t stride,
                   uint32_t color, uint32_t background) noexcept {
  const size_t at = static_cast<size_t>(area.x) * Pixel::bytes;
  for (int r = 0; r < area.height; ++r, bits += stride) {
    unsigned char *dest = write_row(bmp, area.y + r) + at;
    // Whole source bytes at a time: the byte's bits are shifted out from the top.
    int column = area.source_x;
    int left = area.width;
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
void draw_byte_rows(bitmap *bmp, const placed_area &area, bitmap *source, uint32_t color,
                    uint32_t background) noexcept {
  const size_t at = static_cast<size_t>(area.x) * Pixel::bytes;
  for (int r = 0; r < area.height; ++r) {
    const unsigned char *s = read_row(source, area.source_y + r) + area.source_x;
    unsigned char *dest = write_row(bmp, area.y + r) + at;
    for (int i = 0; i < area.width; ++i, dest += Pixel::bytes) {
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
  placed_area area{};
  if (!place_image(bmp, glyph->glyph_width, glyph->glyph_height, x, y, area)) return;
  const size_t stride = static_cast<size_t>(MONO_GLYPH_ROW_BYTES(glyph->glyph_width));
  const unsigned char *bits = glyph->data;
  bits += static_cast<size_t>(area.source_y) * stride;
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
  placed_area area{};
  if (!place_image(bmp, source->width, source->height, x, y, area)) return;
  const auto c = static_cast<uint32_t>(color);
  if (background >= 0) {
    draw_byte_rows<Pixel, true>(bmp, area, source, c, static_cast<uint32_t>(background));
  } else {
    draw_byte_rows<Pixel, false>(bmp, area, source, c, 0);
  }
  release_blit_rows(source, bmp);
}

CORVANE_GLYPH_ROUTINES(template, pixel_byte)
CORVANE_GLYPH_ROUTINES(template, pixel_word16)
CORVANE_GLYPH_ROUTINES(template, pixel_bytes24)
CORVANE_GLYPH_ROUTINES(template, pixel_word32)

}  // namespace corvane::depth
