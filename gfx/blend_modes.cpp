// The thirteen blend modes at 15, 16 and 24 bits, the alpha blenders and the fixed blenders.
//
// Every mode works per component on 8-bit values: 15- and 16-bit pixels are expanded with the
// SCALE_5_TO_8 / SCALE_6_TO_8 tables first and packed again by dropping the low bits. Most modes
// then mix their per-component result c over the destination y by the weight n; the additive mode
// packs its clamped sums directly, the HSV modes the converted triple, and dissolve picks x or y.
#include <atomic>
#include <cstdint>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "gfx/blenders.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane {
namespace {

using depth::field;

// Components as the blend arithmetic takes them: unsigned, so that an out-of-range weight gives a
// wrong colour but nothing undefined.
struct rgb8 {
  uint32_t r;
  uint32_t g;
  uint32_t b;
};

// A depth's components at the current shifts (its pixel traits) and its mix.
template <class Pixel, uint32_t (*Mix)(uint32_t, uint32_t, uint32_t) noexcept>
struct blend_layout {
  static rgb8 unpack(uint32_t v) noexcept {
    const depth::rgb8 c = Pixel::current_layout().unpack(v);
    return {static_cast<uint32_t>(c.r), static_cast<uint32_t>(c.g), static_cast<uint32_t>(c.b)};
  }
  static uint32_t pack(rgb8 c) noexcept { return Pixel::current_layout().pack(c.r, c.g, c.b); }
  static uint32_t mix(uint32_t c, uint32_t y, uint32_t n) noexcept { return Mix(c, y, n); }
};

using layout15 = blend_layout<depth::pixel15, mix15>;
using layout16 = blend_layout<depth::pixel16, mix16>;
using layout24 = blend_layout<depth::pixel24, mix24>;

// A per-component rule c(x, y, n), mixed over y by n. Arithmetic is unsigned 32-bit, so that an
// out-of-range weight gives a wrong colour but nothing undefined.
template <class Layout, class Rule>
uint32_t blend_mixed(uint32_t x, uint32_t y, uint32_t n) noexcept {
  const rgb8 a = Layout::unpack(x);
  const rgb8 b = Layout::unpack(y);
  const rgb8 c = {Rule::apply(a.r, b.r, n), Rule::apply(a.g, b.g, n), Rule::apply(a.b, b.b, n)};
  return Layout::mix(Layout::pack(c), y, n);
}

struct subtract_rule {
  static uint32_t apply(uint32_t x, uint32_t y, uint32_t) noexcept { return x > y ? x - y : 0; }
};
struct difference_rule {
  static uint32_t apply(uint32_t x, uint32_t y, uint32_t) noexcept { return x > y ? x - y : y - x; }
};
// Not clamped: a sum above 255 spills into the neighbouring field when packed.
struct dodge_rule {
  static uint32_t apply(uint32_t x, uint32_t y, uint32_t n) noexcept { return x + ((y * n) >> 8); }
};
struct invert_rule {
  static uint32_t apply(uint32_t x, uint32_t, uint32_t) noexcept { return 255 - x; }
};
struct multiply_rule {
  static uint32_t apply(uint32_t x, uint32_t y, uint32_t) noexcept { return (x * y) >> 8; }
};
struct screen_rule {
  static uint32_t apply(uint32_t x, uint32_t y, uint32_t) noexcept {
    return 255 - (((255 - x) * (255 - y)) >> 8);
  }
};

template <class Layout>
uint32_t blend_added(uint32_t x, uint32_t y, uint32_t n) noexcept {
  const rgb8 a = Layout::unpack(x);
  const rgb8 b = Layout::unpack(y);
  const auto add = [n](uint32_t xc, uint32_t yc) {
    const uint32_t sum = yc + ((xc * n) >> 8);
    return sum < 255 ? sum : 255;
  };
  return Layout::pack({add(a.r, b.r), add(a.g, b.g), add(a.b, b.b)});
}

// Which HSV fields move from x toward y.
enum hsv_fields : unsigned { hsv_hue = 1, hsv_saturation = 2, hsv_value = 4 };

template <class Layout, unsigned Fields>
uint32_t blend_hsv(uint32_t x, uint32_t y, uint32_t n) noexcept {
  const rgb8 a = Layout::unpack(x);
  const rgb8 b = Layout::unpack(y);
  float h1 = 0.0f;
  float s1 = 0.0f;
  float v1 = 0.0f;
  float h2 = 0.0f;
  float s2 = 0.0f;
  float v2 = 0.0f;
  rgb_to_hsv(static_cast<int>(a.r), static_cast<int>(a.g), static_cast<int>(a.b), &h1, &s1, &v1);
  rgb_to_hsv(static_cast<int>(b.r), static_cast<int>(b.g), static_cast<int>(b.b), &h2, &s2, &v2);
  const float weight = static_cast<float>(n);
  const auto move = [weight](float from, float to) {
    return from + (to - from) * weight * 0.003921569f;
  };
  if constexpr ((Fields & hsv_hue) != 0) h1 = move(h1, h2);
  if constexpr ((Fields & hsv_saturation) != 0) s1 = move(s1, s2);
  if constexpr ((Fields & hsv_value) != 0) v1 = move(v1, v2);
  int r = 0;
  int g = 0;
  int bl = 0;
  hsv_to_rgb(h1, s1, v1, &r, &g, &bl);
  return Layout::pack(
      {static_cast<uint32_t>(r), static_cast<uint32_t>(g), static_cast<uint32_t>(bl)});
}

uint32_t blend_dissolve(uint32_t x, uint32_t y, uint32_t n) noexcept {
  if (n == 255) return x;
  return n > (blender_random() & 255u) ? x : y;
}

// The alpha weight of a 32-bit source: alpha + 1, or 0 for alpha 0.
uint32_t alpha_weight(uint32_t x) noexcept {
  const uint32_t a = field(x, alpha_shift_32, 255);
  return a != 0 ? a + 1 : 0;
}

// The alpha byte itself: the 15- and 16-bit mixes reduce it to 0-32 as they do a weight.
uint32_t alpha_of(uint32_t x) noexcept { return field(x, alpha_shift_32, 255); }

// A 32-bit source colour repacked for a 15-, 16- or 24-bit destination by the shift variables.
template <class Pixel>
uint32_t repack(uint32_t x) noexcept {
  const depth::rgb8 c = depth::pixel32::current_layout().unpack(x);
  return Pixel::current_layout().pack(c.r, c.g, c.b);
}

std::atomic<uint32_t> random_seed{0};

}  // namespace

#define CORVANE_DEFINE_MIXED_BLENDERS(mode, rule)                          \
  uint32_t blend_##mode##15(uint32_t x, uint32_t y, uint32_t n) noexcept { \
    return blend_mixed<layout15, rule>(x, y, n);                           \
  }                                                                        \
  uint32_t blend_##mode##16(uint32_t x, uint32_t y, uint32_t n) noexcept { \
    return blend_mixed<layout16, rule>(x, y, n);                           \
  }                                                                        \
  uint32_t blend_##mode##24(uint32_t x, uint32_t y, uint32_t n) noexcept { \
    return blend_mixed<layout24, rule>(x, y, n);                           \
  }
CORVANE_DEFINE_MIXED_BLENDERS(subtract, subtract_rule)
CORVANE_DEFINE_MIXED_BLENDERS(difference, difference_rule)
CORVANE_DEFINE_MIXED_BLENDERS(dodge, dodge_rule)
CORVANE_DEFINE_MIXED_BLENDERS(invert, invert_rule)
CORVANE_DEFINE_MIXED_BLENDERS(multiply, multiply_rule)
CORVANE_DEFINE_MIXED_BLENDERS(screen, screen_rule)
#undef CORVANE_DEFINE_MIXED_BLENDERS

#define CORVANE_DEFINE_HSV_BLENDERS(mode, fields)                          \
  uint32_t blend_##mode##15(uint32_t x, uint32_t y, uint32_t n) noexcept { \
    return blend_hsv<layout15, fields>(x, y, n);                           \
  }                                                                        \
  uint32_t blend_##mode##16(uint32_t x, uint32_t y, uint32_t n) noexcept { \
    return blend_hsv<layout16, fields>(x, y, n);                           \
  }                                                                        \
  uint32_t blend_##mode##24(uint32_t x, uint32_t y, uint32_t n) noexcept { \
    return blend_hsv<layout24, fields>(x, y, n);                           \
  }
CORVANE_DEFINE_HSV_BLENDERS(hue_sat, hsv_hue | hsv_saturation)
CORVANE_DEFINE_HSV_BLENDERS(hue, hsv_hue)
CORVANE_DEFINE_HSV_BLENDERS(value, hsv_value)
CORVANE_DEFINE_HSV_BLENDERS(saturation, hsv_saturation)
#undef CORVANE_DEFINE_HSV_BLENDERS

// The plain mix needs no unpacking: expanding a component and dropping the low bits again gives
// the component back.
uint32_t blend_mix15(uint32_t x, uint32_t y, uint32_t n) noexcept { return mix15(x, y, n); }
uint32_t blend_mix16(uint32_t x, uint32_t y, uint32_t n) noexcept { return mix16(x, y, n); }
uint32_t blend_mix24(uint32_t x, uint32_t y, uint32_t n) noexcept { return mix24(x, y, n); }

uint32_t blend_add15(uint32_t x, uint32_t y, uint32_t n) noexcept {
  return blend_added<layout15>(x, y, n);
}
uint32_t blend_add16(uint32_t x, uint32_t y, uint32_t n) noexcept {
  return blend_added<layout16>(x, y, n);
}
uint32_t blend_add24(uint32_t x, uint32_t y, uint32_t n) noexcept {
  return blend_added<layout24>(x, y, n);
}

uint32_t blend_dissolve15(uint32_t x, uint32_t y, uint32_t n) noexcept {
  return blend_dissolve(x, y, n);
}
uint32_t blend_dissolve16(uint32_t x, uint32_t y, uint32_t n) noexcept {
  return blend_dissolve(x, y, n);
}
uint32_t blend_dissolve24(uint32_t x, uint32_t y, uint32_t n) noexcept {
  return blend_dissolve(x, y, n);
}

uint32_t blend_alpha32(uint32_t x, uint32_t y, uint32_t /*n*/) noexcept {
  return mix24_weighted(x, y, alpha_weight(x));
}

uint32_t blend_alpha24_swapped(uint32_t x, uint32_t y, uint32_t /*n*/) noexcept {
  const uint32_t swapped = (x & 0xFF00FF00u) | ((x >> 16) & 0xFFu) | ((x & 0xFFu) << 16);
  return mix24_weighted(swapped, y, alpha_weight(x));
}

uint32_t blend_alpha24_general(uint32_t x, uint32_t y, uint32_t /*n*/) noexcept {
  return mix24_weighted(repack<depth::pixel24>(x), y, alpha_weight(x));
}

// The fixed-order variants: the source's top component (bits 16-23) lands in the destination's top
// field (same) or bottom field (swapped); green stays in the middle.
uint32_t blend_alpha15_same(uint32_t x, uint32_t y, uint32_t /*n*/) noexcept {
  const uint32_t c = ((x >> 9) & 0x7C00u) | ((x >> 6) & 0x3E0u) | ((x >> 3) & 0x1Fu);
  return mix15(c, y, alpha_of(x));
}
uint32_t blend_alpha15_swapped(uint32_t x, uint32_t y, uint32_t /*n*/) noexcept {
  const uint32_t c = ((x >> 19) & 0x1Fu) | ((x >> 6) & 0x3E0u) | ((x << 7) & 0x7C00u);
  return mix15(c, y, alpha_of(x));
}
uint32_t blend_alpha15_general(uint32_t x, uint32_t y, uint32_t /*n*/) noexcept {
  return mix15(repack<depth::pixel15>(x), y, alpha_of(x));
}
uint32_t blend_alpha16_same(uint32_t x, uint32_t y, uint32_t /*n*/) noexcept {
  const uint32_t c = ((x >> 8) & 0xF800u) | ((x >> 5) & 0x7E0u) | ((x >> 3) & 0x1Fu);
  return mix16(c, y, alpha_of(x));
}
uint32_t blend_alpha16_swapped(uint32_t x, uint32_t y, uint32_t /*n*/) noexcept {
  const uint32_t c = ((x >> 19) & 0x1Fu) | ((x >> 5) & 0x7E0u) | ((x << 8) & 0xF800u);
  return mix16(c, y, alpha_of(x));
}
uint32_t blend_alpha16_general(uint32_t x, uint32_t y, uint32_t /*n*/) noexcept {
  return mix16(repack<depth::pixel16>(x), y, alpha_of(x));
}

const blend_mode_entry *find_blend_mode(int mode) noexcept {
  static constexpr blend_mode_entry modes[] = {
      {blend_mix15, blend_mix16, blend_mix24},
      {blend_add15, blend_add16, blend_add24},
      {blend_subtract15, blend_subtract16, blend_subtract24},
      {blend_hue_sat15, blend_hue_sat16, blend_hue_sat24},
      {blend_difference15, blend_difference16, blend_difference24},
      {blend_dissolve15, blend_dissolve16, blend_dissolve24},
      {blend_dodge15, blend_dodge16, blend_dodge24},
      {blend_hue15, blend_hue16, blend_hue24},
      {blend_invert15, blend_invert16, blend_invert24},
      {blend_value15, blend_value16, blend_value24},
      {blend_multiply15, blend_multiply16, blend_multiply24},
      {blend_saturation15, blend_saturation16, blend_saturation24},
      {blend_screen15, blend_screen16, blend_screen24},
  };
  if (mode < 1 || mode > 13) return nullptr;
  return &modes[mode - 1];
}

}  // namespace corvane

extern "C" {

uint32_t blender_zero(uint32_t /*x*/, uint32_t /*y*/, uint32_t /*n*/) noexcept { return 0; }

uint32_t blend_write_alpha(uint32_t x, uint32_t y, uint32_t /*n*/) noexcept {
  return (y & 0xFFFFFFu) | (x << 24);
}

uint32_t blender_random() noexcept {
  // Drawing threads racing here may repeat a value; the sequence stays within its rule.
  const uint32_t seed =
      corvane::random_seed.load(std::memory_order_relaxed) * 0x41C64E6Du + 0x41C67EA6u;
  corvane::random_seed.store(seed, std::memory_order_relaxed);
  return seed >> 16;
}

}  // extern "C"
