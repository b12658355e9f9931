// Conversion of screen rows of every depth into the XRGB8888 pixels of the presentation texture.
#include "platform/linux/sdl_pixel_rows.h"

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
    case 8:
      for (int x = 0; x < width; ++x) dest[x] = palette[source[x]];
      break;
    case 15:
      for (int x = 0; x < width; ++x) {
        const uint32_t p = load16(source + 2 * x);
        dest[x] =
            xrgb(SCALE_5_TO_8[(p >> 10) & 31], SCALE_5_TO_8[(p >> 5) & 31], SCALE_5_TO_8[p & 31]);
      }
      break;
    case 16:
      for (int x = 0; x < width; ++x) {
        const uint32_t p = load16(source + 2 * x);
        dest[x] = xrgb(SCALE_5_TO_8[p >> 11], SCALE_6_TO_8[(p >> 5) & 63], SCALE_5_TO_8[p & 31]);
      }
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
