// The direct span drawers of rotated sprites, written once over the storage of a depth (the mask
// colour is the depth's own) and compiled for every depth.
#include "gfx/depth/rotated_spans.h"

#include <cstring>

#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {
namespace {

template <class Pixel>
void draw_rotated_span(bitmap *target, const bitmap *sprite, int first, int y, int last,
                       uint32_t u, uint32_t v, uint32_t du, uint32_t dv) noexcept {
  unsigned char *dest = write_row(target, y) + static_cast<size_t>(first) * Pixel::bytes;
  unsigned char *const *lines = sprite->lines;
  const int count = last - first + 1;
  for (int i = 0; i < count; ++i) {
    const unsigned char *src = lines[v >> 16] + static_cast<size_t>(u >> 16) * Pixel::bytes;
    const uint32_t s = Pixel::load(src);
    if (s != Pixel::mask) Pixel::store(dest + static_cast<size_t>(i) * Pixel::bytes, s);
    u += du;
    v += dv;
  }
}

// 32 bits: the mask test becomes a select, so that sprites with scattered transparent pixels do
// not mispredict; the target pixel is read anyway.
template <>
void draw_rotated_span<pixel32>(bitmap *target, const bitmap *sprite, int first, int y, int last,
                                uint32_t u, uint32_t v, uint32_t du, uint32_t dv) noexcept {
  unsigned char *dest = write_row(target, y) + static_cast<size_t>(first) * 4;
  unsigned char *const *lines = sprite->lines;
  const int count = last - first + 1;
  for (int i = 0; i < count; ++i) {
    uint32_t s;
    uint32_t d;
    std::memcpy(&s, lines[v >> 16] + static_cast<size_t>(u >> 16) * 4, 4);
    std::memcpy(&d, dest + static_cast<size_t>(i) * 4, 4);
    d = s != MASK_COLOR_32 ? s : d;
    std::memcpy(dest + static_cast<size_t>(i) * 4, &d, 4);
    u += du;
    v += dv;
  }
}

}  // namespace

rotated_span_drawer find_rotated_span_drawer(int depth) noexcept {
  return with_pixel_traits(depth, [](auto pixel) -> rotated_span_drawer {
    return draw_rotated_span<decltype(pixel)>;
  });
}

}  // namespace corvane::depth
