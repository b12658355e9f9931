// The library's own blenders: the mix of a colour over another at 15, 16 and 24 bits, one blender
// per blend mode and depth, and the alpha blenders. The sprite routines compare hooks against
// some of these to take vectorised paths that compute the same values.
#ifndef CORVANE_GFX_BLENDERS_H
#define CORVANE_GFX_BLENDERS_H

#include <cstdint>

#include "corvane/blend.h"

namespace corvane {

// mix(c, y, n) at 24 and 32 bits with the weight already turned into 0-256 (n + 1 for n above 0).
// Red and blue move together in one word, green in another; bits above 23 of the result are 0.
inline constexpr uint32_t mix24_weighted(uint32_t c, uint32_t y, uint32_t weight) noexcept {
  const uint32_t rb = (y + ((weight * ((c & 0xFF00FFu) - (y & 0xFF00FFu))) >> 8)) & 0xFF00FFu;
  const uint32_t g = ((y & 0xFF00u) + ((weight * ((c & 0xFF00u) - (y & 0xFF00u))) >> 8)) & 0xFF00u;
  return rb | g;
}

inline constexpr uint32_t mix24(uint32_t c, uint32_t y, uint32_t n) noexcept {
  return mix24_weighted(c, y, n != 0 ? n + 1 : 0);
}

// mix at 15 and 16 bits with the weight already reduced to 0-32: green is spread into the upper
// half-word so that all three fields move in one multiplication.
template <uint32_t Spread, uint32_t Low, uint32_t High>
inline constexpr uint32_t mix_packed16_weighted(uint32_t c, uint32_t y, uint32_t k) noexcept {
  const uint32_t cs = ((c & 0xFFFFu) | (c << 16)) & Spread;
  const uint32_t ys = ((y & 0xFFFFu) | (y << 16)) & Spread;
  const uint32_t r = ys + ((k * (cs - ys)) >> 5);
  return (r & Low) | ((r >> 16) & High);
}

inline constexpr uint32_t weight32(uint32_t n) noexcept { return n != 0 ? (n + 1) >> 3 : 0; }

inline constexpr uint32_t mix15(uint32_t c, uint32_t y, uint32_t n) noexcept {
  return mix_packed16_weighted<0x3E07C1Fu, 0x7C1Fu, 0x3E0u>(c, y, weight32(n));
}

inline constexpr uint32_t mix16(uint32_t c, uint32_t y, uint32_t n) noexcept {
  return mix_packed16_weighted<0x7E0F81Fu, 0xF81Fu, 0x7E0u>(c, y, weight32(n));
}

// One blender per mode and depth (15, 16, 24; the 32-bit hooks use the 24-bit ones).
#define CORVANE_DECLARE_BLENDERS(mode)                                    \
  uint32_t blend_##mode##15(uint32_t x, uint32_t y, uint32_t n) noexcept; \
  uint32_t blend_##mode##16(uint32_t x, uint32_t y, uint32_t n) noexcept; \
  uint32_t blend_##mode##24(uint32_t x, uint32_t y, uint32_t n) noexcept;
CORVANE_DECLARE_BLENDERS(mix)
CORVANE_DECLARE_BLENDERS(add)
CORVANE_DECLARE_BLENDERS(subtract)
CORVANE_DECLARE_BLENDERS(hue_sat)
CORVANE_DECLARE_BLENDERS(difference)
CORVANE_DECLARE_BLENDERS(dissolve)
CORVANE_DECLARE_BLENDERS(dodge)
CORVANE_DECLARE_BLENDERS(hue)
CORVANE_DECLARE_BLENDERS(invert)
CORVANE_DECLARE_BLENDERS(value)
CORVANE_DECLARE_BLENDERS(multiply)
CORVANE_DECLARE_BLENDERS(saturation)
CORVANE_DECLARE_BLENDERS(screen)
#undef CORVANE_DECLARE_BLENDERS

// The 32-bit alpha blender: x's alpha byte (at alpha_shift_32) weighs x over y; n is ignored.
uint32_t blend_alpha32(uint32_t x, uint32_t y, uint32_t n) noexcept;

// The alpha hooks: a 32-bit source with alpha over a 15-, 16- or 24-bit destination. "same" is for
// a destination whose components lie in the source's order, "swapped" for the reverse order, and
// "general" moves each component by the shift variables; all three give the same results where
// the first two apply. The 24-bit same-order hook is blend_alpha32.
uint32_t blend_alpha15_same(uint32_t x, uint32_t y, uint32_t n) noexcept;
uint32_t blend_alpha15_swapped(uint32_t x, uint32_t y, uint32_t n) noexcept;
uint32_t blend_alpha15_general(uint32_t x, uint32_t y, uint32_t n) noexcept;
uint32_t blend_alpha16_same(uint32_t x, uint32_t y, uint32_t n) noexcept;
uint32_t blend_alpha16_swapped(uint32_t x, uint32_t y, uint32_t n) noexcept;
uint32_t blend_alpha16_general(uint32_t x, uint32_t y, uint32_t n) noexcept;
uint32_t blend_alpha24_swapped(uint32_t x, uint32_t y, uint32_t n) noexcept;
uint32_t blend_alpha24_general(uint32_t x, uint32_t y, uint32_t n) noexcept;

// The blenders of one mode, as select_*_blend installs them.
struct blend_mode_entry {
  blender_func b15;
  blender_func b16;
  blender_func b24;
};

// The entry of modes 1-13; null for any other number.
const blend_mode_entry *find_blend_mode(int mode) noexcept;

}  // namespace corvane

#endif  // CORVANE_GFX_BLENDERS_H
