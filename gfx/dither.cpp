// Ordered-dither packing into 15 and 16 bits: the bits that the reduction to 5 or 6 bits drops
// decide, through an 8x8 pattern, whether the kept part is rounded up at a position.
#include "corvane/color.h"
#include "gfx/depth/pixel_traits.h"

namespace {

// Entry k has k of its 8 bits set.
constexpr int DITHER_BITS[8] = {0x00, 0x10, 0x44, 0x92, 0xAA, 0x6D, 0xBB, 0xEF};
constexpr int DITHER_ROW_OFFSET[8] = {1, 5, 2, 7, 4, 0, 6, 3};

// A component placed at its shift (nothing for a shift outside 0-31).
constexpr int shifted(int value, int shift) noexcept {
  return static_cast<int>(corvane::depth::place(static_cast<uint32_t>(value), shift));
}

// A 5-bit component rounded up where the pattern says so; 32 is kept at 31.
constexpr int dither5(int c, int position) noexcept {
  int v = (c >> 3) + ((DITHER_BITS[c & 7] >> position) & 1);
  return v - (v >> 5);
}

}  // namespace

extern "C" {

int dither_pack15(int r, int g, int b, int x, int y) noexcept {
  const int pr = (DITHER_ROW_OFFSET[y & 7] + x) & 7;
  const int pb = (pr + 3) & 7;
  const int pg = (pb + 7) & 7;
  return shifted(dither5(r, pr), red_shift_15) | shifted(dither5(g, pg), green_shift_15) |
         shifted(dither5(b, pb), blue_shift_15);
}

int dither_pack16(int r, int g, int b, int x, int y) noexcept {
  const int pr = (DITHER_ROW_OFFSET[y & 7] + x) & 7;
  const int pb = (pr + 3) & 7;
  const int pg = (pb + 7) & 7;
  int green = (g >> 2) + ((DITHER_BITS[(static_cast<unsigned>(g) * 2u) & 6u] >> pg) & 1);
  green -= green >> 6;
  return shifted(dither5(r, pr), red_shift_16) | shifted(green, green_shift_16) |
         shifted(dither5(b, pb), blue_shift_16);
}

}  // extern "C"
