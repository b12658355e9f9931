// Conversion of screen rows of every depth into the XRGB8888 pixels of the presentation texture.
#include "platform/sdl2/sdl_pixel_rows.h"

#include <cstring>

#include "corvane/color.h"
#include "gfx/depth/avx2_clones.h"

namespace corvane::sdl {
namespace {

constexpr uint32_t opaque = 0xFF000000u;

inline uint32_t load16(const unsigned char *p) noexcept {
  uint16_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

inline uint32_t load32(const unsigned char *p) noexcept {
  uint32_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

inline uint32_t xrgb(int r, int g, int b) noexcept {
  return opaque | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

// The library's scaling of 5- and 6-bit components to 8 bits, floor(v * 255 / 31) and
// floor(v * 255 / 63), in products that fit 16 bits so that the row loops vectorise on the base
// instruction set: (v * 1053) >> 7 for v of 0-31, and 4v + ((v * 49) >> 10) for v of 0-63 (the
// second term is floor(v / 21)). Both hold for every v of their range.
inline uint32_t scale5(uint32_t v) noexcept { return (v * 1053u) >> 7; }
inline uint32_t scale6(uint32_t v) noexcept { return (v << 2) + ((v * 49u) >> 10); }

// Whole rows of 15- and 16-bit pixels; the loops are compiled with an AVX2 clone as well.
template <int GreenBits>
inline void convert_words(const unsigned char *source, uint32_t *dest, int width) noexcept {
  for (int x = 0; x < width; ++x) {
    const uint32_t p = load16(source + 2 * x);
    const uint32_t r = scale5((p >> (5 + GreenBits)) & 31u);
    uint32_t g;
    if constexpr (GreenBits == 6) {
      g = scale6((p >> 5) & 63u);
    } else {
      g = scale5((p >> 5) & 31u);
    }
    const uint32_t b = scale5(p & 31u);
    dest[x] = opaque | (r << 16) | (g << 8) | b;
  }
}

CORVANE_AVX2_CLONES void convert_row15(const unsigned char *source, uint32_t *dest,
                                       int width) noexcept {
  convert_words<5>(source, dest, width);
}

CORVANE_AVX2_CLONES void convert_row16(const unsigned char *source, uint32_t *dest,
                                       int width) noexcept {
  convert_words<6>(source, dest, width);
}

}  // namespace

void use_presentation_layout() noexcept {
  red_shift_15 = 10;
  green_shift_15 = 5;
  blue_shift_15 = 0;
  red_shift_16 = 11;
  green_shift_16 = 5;
  blue_shift_16 = 0;
  red_shift_24 = 16;
  green_shift_24 = 8;
  blue_shift_24 = 0;
  red_shift_32 = 16;
  green_shift_32 = 8;
  blue_shift_32 = 0;
  alpha_shift_32 = 24;
  // Every table of palette colours was packed in the old layout.
  palette_tables_stale = 0xFFFFFFFFu;
}

uint32_t xrgb_of_palette_entry(const rgb_entry &entry) noexcept {
  return xrgb(SCALE_6_TO_8[entry.r & 63], SCALE_6_TO_8[entry.g & 63], SCALE_6_TO_8[entry.b & 63]);
}

void convert_row_to_xrgb(int depth, const unsigned char *source, uint32_t *dest, int width,
                         const uint32_t *palette) noexcept {
  switch (depth) {
    case 8: {
      // Four at a time: the loads of the indices and of the palette overlap.
      int x = 0;
      for (; x + 4 <= width; x += 4) {
        const uint32_t a = palette[source[x]];
        const uint32_t b = palette[source[x + 1]];
        const uint32_t c = palette[source[x + 2]];
        const uint32_t d = palette[source[x + 3]];
        dest[x] = a;
        dest[x + 1] = b;
        dest[x + 2] = c;
        dest[x + 3] = d;
      }
      for (; x < width; ++x) dest[x] = palette[source[x]];
      break;
    }
    case 15:
      convert_row15(source, dest, width);
      break;
    case 16:
      convert_row16(source, dest, width);
      break;
    case 24:
      for (int x = 0; x < width; ++x) {
        const unsigned char *p = source + 3 * x;
        dest[x] = xrgb(p[0], p[1], p[2]);
      }
      break;
    case 32:
      for (int x = 0; x < width; ++x) dest[x] = load32(source + 4 * x) | opaque;
      break;
    default:
      std::memset(dest, 0, sizeof(uint32_t) * static_cast<size_t>(width < 0 ? 0 : width));
      break;
  }
}

}  // namespace corvane::sdl
