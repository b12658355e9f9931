// The five pixel layouts, as small traits types the per-depth routines are written over: the size
// of a pixel, how it is loaded and stored, and the depth's mask colour.
//
// 8 bits: a palette index in one byte. 15 and 16 bits: a 16-bit word in native byte order.
// 24 bits: three bytes, bits 23-16 of the value first, then 15-8, then 7-0, on every processor.
// 32 bits: a 32-bit word in native byte order.
#ifndef CORVANE_GFX_DEPTH_PIXEL_TRAITS_H
#define CORVANE_GFX_DEPTH_PIXEL_TRAITS_H

#include <cstdint>
#include <cstring>

#include "corvane/blend.h"
#include "corvane/color.h"

namespace corvane::depth {

struct pixel8 {
  static constexpr int depth = 8;
  static constexpr int bytes = 1;
  static constexpr uint32_t mask = MASK_COLOR_8;
  static uint32_t load(const unsigned char *p) noexcept { return *p; }
  static void store(unsigned char *p, uint32_t value) noexcept {
    *p = static_cast<unsigned char>(value);
  }
};

struct pixel_word16 {
  static constexpr int bytes = 2;
  static uint32_t load(const unsigned char *p) noexcept {
    uint16_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
  }
  static void store(unsigned char *p, uint32_t value) noexcept {
    const auto word = static_cast<uint16_t>(value);
    std::memcpy(p, &word, sizeof word);
  }
};

struct pixel15 : pixel_word16 {
  static constexpr int depth = 15;
  static constexpr uint32_t mask = MASK_COLOR_15;
};

struct pixel16 : pixel_word16 {
  static constexpr int depth = 16;
  static constexpr uint32_t mask = MASK_COLOR_16;
};

struct pixel24 {
  static constexpr int depth = 24;
  static constexpr int bytes = 3;
  static constexpr uint32_t mask = MASK_COLOR_24;
  static uint32_t load(const unsigned char *p) noexcept {
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]};
  }
  static void store(unsigned char *p, uint32_t value) noexcept {
    p[0] = static_cast<unsigned char>(value >> 16);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value);
  }
};

struct pixel32 {
  static constexpr int depth = 32;
  static constexpr int bytes = 4;
  static constexpr uint32_t mask = MASK_COLOR_32;
  static uint32_t load(const unsigned char *p) noexcept {
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
  }
  static void store(unsigned char *p, uint32_t value) noexcept {
    std::memcpy(p, &value, sizeof value);
  }
};

// The blender hook that MODE_TRANSLUCENT uses at a depth (8 bits uses shade_table instead).
template <class Pixel>
blender_func translucent_hook() noexcept {
  if constexpr (Pixel::depth == 15) return blend_hook15;
  if constexpr (Pixel::depth == 16) return blend_hook16;
  if constexpr (Pixel::depth == 24) return blend_hook24;
  if constexpr (Pixel::depth == 32) return blend_hook32;
  return nullptr;
}

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_PIXEL_TRAITS_H
