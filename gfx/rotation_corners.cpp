// rotation_corners: where the four corners of a scaled, flipped and turned sprite land.
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "corvane/fixed.h"
#include "corvane/rotate.h"

namespace {

fixed saturate(int64_t value) noexcept {
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<fixed>(value);
}

// cos or sin times 65536, rounded half away from zero.
fixed unit(double value) noexcept { return static_cast<fixed>(std::round(value * 65536.0)); }

}  // namespace

extern "C" {

void rotation_corners(fixed w, fixed h, fixed x, fixed y, fixed cx, fixed cy, fixed angle,
                      fixed scale_x, fixed scale_y, int h_flip, int v_flip, fixed xs[4],
                      fixed ys[4]) noexcept {
  if (xs == nullptr || ys == nullptr) return;
  // The low 24 bits of the angle as a signed 24-bit value; 0x1000000 units to the turn.
  const int32_t turn = static_cast<int32_t>(static_cast<uint32_t>(angle) << 8) >> 8;
  const double radians = turn * (2.0 * 3.14159265358979323846 / 16777216.0);
  const fixed c = unit(std::cos(radians));
  const fixed s = unit(std::sin(radians));

  int top_left = 0, top_right = 1, bottom_right = 2, bottom_left = 3;
  if (v_flip != 0) {
    top_left = 3;
    top_right = 2;
    bottom_right = 1;
    bottom_left = 0;
  }
  if (h_flip != 0) {
    std::swap(top_left, top_right);
    std::swap(bottom_right, bottom_left);
  }

  const fixed sw = fixed_mul(w, scale_x);
  const fixed sh = fixed_mul(h, scale_y);
  const fixed px = fixed_mul(scale_x, cx);
  const fixed py = fixed_mul(scale_y, cy);

  // Sums are taken in 64 bits; a corner beyond the 16.16 range is cut to it.
  const int64_t tl_x = int64_t{x} - fixed_mul(c, px) + fixed_mul(s, py);
  const int64_t tl_y = int64_t{y} - fixed_mul(s, px) - fixed_mul(c, py);
  const int64_t tr_x = tl_x + fixed_mul(c, sw);
  const int64_t tr_y = tl_y + fixed_mul(s, sw);
  const int64_t bl_x = tl_x - fixed_mul(s, sh);
  const int64_t bl_y = tl_y + fixed_mul(c, sh);

  xs[top_left] = saturate(tl_x);
  ys[top_left] = saturate(tl_y);
  xs[top_right] = saturate(tr_x);
  ys[top_right] = saturate(tr_y);
  xs[bottom_left] = saturate(bl_x);
  ys[bottom_left] = saturate(bl_y);
  xs[bottom_right] = saturate(tr_x + bl_x - tl_x);
  ys[bottom_right] = saturate(tr_y + bl_y - tl_y);
}

}  // extern "C"
