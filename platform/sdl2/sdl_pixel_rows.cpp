// Conversion of screen rows of every depth into the XRGB8888 pixels of the presentation texture.
#include "platform/sdl2/sdl_pixel_rows.h"

#include <array>
#include <cstring>

#include "corvane/color.h"

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

// The library's scaling of 5- and 6-bit components to 8 bits: floor(i * 255 / 31) and / 63.
constexpr uint32_t scale5(uint32_t i) { return i * 255 / 31; }
constexpr uint32_t scale6(uint32_t i) { return i * 255 / 63; }

// Lookup tables of the 16-bit conversion: red (and opacity) from the high byte, blue from the low
// byte, green from its six bits.
struct tables_16 {
  std::array<uint32_t, 256> high{};
  std::array<uint32_t, 256> low{};
  std::array<uint32_t, 64> green{};
  constexpr tables_16() {
    for (uint32_t i = 0; i < 256; ++i) {
      high[i] = opaque | (scale5(i >> 3) << 16);
      low[i] = scale5(i & 31);
    }
    for (uint32_t i = 0; i < 64; ++i) green[i] = scale6(i) << 8;
  }
};
constexpr tables_16 table16;

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
      for (int x = 0; x < width; ++x) {
        const uint32_t p = load16(source + 2 * x);
        dest[x] =
            xrgb(SCALE_5_TO_8[(p >> 10) & 31], SCALE_5_TO_8[(p >> 5) & 31], SCALE_5_TO_8[p & 31]);
      }
      break;
    case 16: {
      // Red and blue come whole from the high and the low byte, so one table per byte gives
      // both; green spans the two bytes and has a table of its own.
      for (int x = 0; x < width; ++x) {
        const uint32_t p = load16(source + 2 * x);
        dest[x] = table16.high[p >> 8] | table16.low[p & 0xFF] | table16.green[(p >> 5) & 63];
      }
      break;
    }
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
