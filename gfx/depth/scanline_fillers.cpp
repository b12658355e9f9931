// The scan-line fillers of every polygon type and depth, written once over the pixel traits, and
// the table that choose_scanline_filler picks them from.
//
// Texels are read from a texture of the target's depth with power-of-two sides and contiguous
// rows: texel (u, v) is at index ((v >> (16 - vshift)) & (vmask << vshift)) + ((u >> 16) & umask)
// from row 0, so coordinates wrap round the texture. Lit and translucent types combine through
// the depth's blender hook (8 bits: shade_table), computed inline when the hook is the library's
// own mix, so that the common case makes no call per pixel.
#include "gfx/depth/scanline_fillers.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

#include "corvane/blend.h"
#include "gfx/blenders.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {
namespace {

constexpr bool is_perspective(int type) { return type >= 4 && type % 2 == 0; }
constexpr bool is_masked(int type) {
  return type == 5 || type == 6 || type == 9 || type == 10 || type == 13 || type == 14;
}
constexpr bool is_lit(int type) { return type >= 7 && type <= 10; }
constexpr bool is_translucent(int type) { return type >= 11; }

// A texture coordinate in texels as 16.16, wrapping modulo 65536 texels (the largest texture
// side), which keeps (u >> 16) & umask. Values that float rounding has carried out of all reason
// (or made NaN) are cut before the conversion, which they would otherwise make undefined.
inline uint32_t wrap_fixed(float texels) noexcept {
  const float scaled = std::fmin(std::fmax(texels * 65536.0f, -0x1p62f), 0x1p62f);
  return static_cast<uint32_t>(static_cast<int64_t>(scaled));
}

// One span. Blend is the blender (x, y, n) of lit and translucent types.
template <class Pixel, int Type, bool ZBuf, class Blend>
inline void fill_span_with(unsigned char *dest, int count, const poly_span *s,
                           Blend blend) noexcept {
  uint32_t u = s->u, v = s->v, c = s->c, r = s->r, g = s->g, b = s->b;
  const uint32_t du = s->du, dv = s->dv, dc = s->dc, dr = s->dr, dg = s->dg, db = s->db;
  float z = s->z, fu = s->fu, fv = s->fv;
  const float dz = s->dz, dfu = s->dfu, dfv = s->dfv;
  float *zbuf = s->zbuf;
  const unsigned char *texture = s->texture;
  const uint32_t umask = s->umask;
  const uint32_t vmask = s->vmask << s->vshift;
  const uint32_t vshift = 16 - s->vshift;
  [[maybe_unused]] const auto layout = Pixel::current_layout();
  [[maybe_unused]] const unsigned char *shade = shade_table;
  [[maybe_unused]] const uint32_t blend_color = Pixel::blend_color();
  [[maybe_unused]] const auto weight = static_cast<uint32_t>(blend_weight);

  for (int i = 0; i < count; ++i, dest += Pixel::bytes) {
    bool draw = true;
    if constexpr (ZBuf) draw = z > zbuf[i];
    if (draw) {
      uint32_t pixel = 0;
      if constexpr (Type == 0) {
        pixel = s->color;
      } else if constexpr (Type == 1 && Pixel::depth == 8) {
        pixel = c >> 16;
      } else if constexpr (Type == 1 || Type == 2) {
        pixel = layout.pack(static_cast<int>(r >> 16), static_cast<int>(g >> 16),
                            static_cast<int>(b >> 16));
      } else {
        uint32_t tu = u;
        uint32_t tv = v;
        if constexpr (is_perspective(Type)) {
          const float inverse = 1.0f / z;
          tu = wrap_fixed(fu * inverse);
          tv = wrap_fixed(fv * inverse);
        }
        const uint32_t index = ((tv >> vshift) & vmask) + ((tu >> 16) & umask);
        const uint32_t texel = Pixel::load(texture + static_cast<size_t>(index) * Pixel::bytes);
        if constexpr (is_masked(Type)) draw = texel != Pixel::mask;
        if constexpr (is_lit(Type)) {
          if constexpr (Pixel::depth == 8) {
            pixel = shade[((c >> 16) << 8) | texel];
          } else {
            pixel = blend(blend_color, texel, c >> 16);
          }
        } else if constexpr (is_translucent(Type)) {
          const uint32_t old = Pixel::load(dest);
          if constexpr (Pixel::depth == 8) {
            pixel = shade[(texel << 8) | old];
          } else {
            pixel = blend(texel, old, weight);
          }
        } else {
          pixel = texel;
        }
      }
      if (draw) {
        Pixel::store(dest, pixel);
        if constexpr (ZBuf) zbuf[i] = z;
      }
    }
    u += du;
    v += dv;
    c += dc;
    r += dr;
    g += dg;
    b += db;
    z += dz;
    fu += dfu;
    fv += dfv;
  }
}

// The library's own mix, which the blender hooks of the mix mode hold.
template <class Pixel>
constexpr uint32_t mix_of_depth(uint32_t x, uint32_t y, uint32_t n) noexcept {
  if constexpr (Pixel::depth == 15) {
    return mix15(x, y, n);
  } else if constexpr (Pixel::depth == 16) {
    return mix16(x, y, n);
  } else {
    return mix24(x, y, n);
  }
}

template <class Pixel>
bool hook_is_mix(blender_func hook) noexcept {
  if constexpr (Pixel::depth == 15) {
    return hook == blend_mix15;
  } else if constexpr (Pixel::depth == 16) {
    return hook == blend_mix16;
  } else {
    return hook == blend_mix24;
  }
}

template <class Pixel, int Type, bool ZBuf>
void fill_span(unsigned char *dest, int count, const poly_span *s) noexcept {
  if constexpr ((is_lit(Type) || is_translucent(Type)) && Pixel::depth != 8) {
    const blender_func hook = Pixel::blender();
    if (hook == nullptr) return;
    if (hook_is_mix<Pixel>(hook)) {
      fill_span_with<Pixel, Type, ZBuf>(dest, count, s, mix_of_depth<Pixel>);
    } else {
      fill_span_with<Pixel, Type, ZBuf>(dest, count, s, hook);
    }
  } else {
    if ((is_lit(Type) || is_translucent(Type)) && shade_table == nullptr) return;
    fill_span_with<Pixel, Type, ZBuf>(dest, count, s, nullptr);
  }
}

// The flat type without the depth buffer is filled by the renderer through draw_hline.
void fill_nothing(unsigned char *, int, const poly_span *) noexcept {}

template <class Pixel, int Type, bool ZBuf>
constexpr scanline_filler_entry table_entry() noexcept {
  scanline_filler_entry entry{};
  if constexpr (Type == 0 && !ZBuf) {
    entry.filler = fill_nothing;
  } else {
    entry.filler = fill_span<Pixel, Type, ZBuf>;
  }
  if constexpr (is_perspective(Type)) entry.alternative = fill_span<Pixel, Type - 1, ZBuf>;
  return entry;
}

template <class Pixel, bool ZBuf, size_t... Types>
constexpr std::array<scanline_filler_entry, 15> table_row(std::index_sequence<Types...>) noexcept {
  return {{table_entry<Pixel, static_cast<int>(Types), ZBuf>()...}};
}

template <class Pixel, bool ZBuf>
constexpr std::array<scanline_filler_entry, 15> table_row() noexcept {
  return table_row<Pixel, ZBuf>(std::make_index_sequence<15>());
}

}  // namespace

const std::array<std::array<scanline_filler_entry, 15>, 10> scanline_filler_table = {{
    table_row<pixel32, true>(),
    table_row<pixel24, true>(),
    table_row<pixel16, true>(),
    table_row<pixel15, true>(),
    table_row<pixel8, true>(),
    table_row<pixel32, false>(),
    table_row<pixel24, false>(),
    table_row<pixel16, false>(),
    table_row<pixel15, false>(),
    table_row<pixel8, false>(),
}};

}  // namespace corvane::depth
