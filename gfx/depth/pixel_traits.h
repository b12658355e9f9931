// The five pixel layouts as traits types, holding every fact of a depth that the per-depth routines
// and the colour code need: the size of a pixel and how it is loaded and stored, the mask colour,
// the channel widths with packing and unpacking at the component shifts, the depth's blender hooks
// and blend colour, and the span kernels that fill, copy and expand whole runs of its pixels.
//
// 8 bits: a palette index in one byte. 15 and 16 bits: a 16-bit word in native byte order.
// 24 bits: three bytes, bits 23-16 of the value first, then 15-8, then 7-0, on every processor.
// 32 bits: a 32-bit word in native byte order.
//
// The 15- and 16-bit traits derive from one storage type, pixel_word16: the routines that do not
// depend on the bit layout of a pixel (copies, masked copies, clears, plain sprites) are written
// over a traits type's `storage` and so are one routine for both depths.
#ifndef CORVANE_GFX_DEPTH_PIXEL_TRAITS_H
#define CORVANE_GFX_DEPTH_PIXEL_TRAITS_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "gfx/depth/span_kernels.h"

namespace corvane::depth {

// ---- Components -------------------------------------------------------------------------------

// (value >> shift) & mask, and value << shift. The shift variables are public and may hold any
// int; a shift outside 0-31 reads and places nothing.
constexpr uint32_t field(uint32_t value, int shift, uint32_t mask) noexcept {
  return (shift < 0 || shift > 31) ? 0 : (value >> shift) & mask;
}
constexpr uint32_t place(uint32_t value, int shift) noexcept {
  return (shift < 0 || shift > 31) ? 0 : value << shift;
}

// The 8-bit components of one colour.
struct rgb8 {
  int r;
  int g;
  int b;
};

// A component of Bits bits widened to 8 bits, as get_red_depth and friends give it.
template <int Bits>
inline int widen(uint32_t value) noexcept {
  if constexpr (Bits == 5) {
    return SCALE_5_TO_8[value];
  } else if constexpr (Bits == 6) {
    return SCALE_6_TO_8[value];
  } else {
    static_assert(Bits == 8);
    return static_cast<int>(value);
  }
}

// The component layout of a depth with packed components: RedBits, GreenBits and BlueBits wide,
// at the shifts that were in force when the layout was taken. Loops over many pixels take the
// layout once, so that the shifts stay in registers while pixels are stored.
template <int RedBits, int GreenBits, int BlueBits>
struct packed_layout {
  static constexpr int red_bits = RedBits;
  static constexpr int green_bits = GreenBits;
  static constexpr int blue_bits = BlueBits;

  int red_shift;
  int green_shift;
  int blue_shift;

  // make_color_depth: each 8-bit component loses its low bits and lands at its shift. Components
  // outside 0-255 spill into their neighbours; they are shifted as their type shifts (int
  // arithmetically, as the public calls pass them; unsigned logically, as the blenders compute).
  template <class Component>
  uint32_t pack(Component r, Component g, Component b) const noexcept {
    return place(static_cast<uint32_t>(r >> (8 - RedBits)), red_shift) |
           place(static_cast<uint32_t>(g >> (8 - GreenBits)), green_shift) |
           place(static_cast<uint32_t>(b >> (8 - BlueBits)), blue_shift);
  }
  int red(uint32_t c) const noexcept {
    return widen<RedBits>(field(c, red_shift, (1u << RedBits) - 1));
  }
  int green(uint32_t c) const noexcept {
    return widen<GreenBits>(field(c, green_shift, (1u << GreenBits) - 1));
  }
  int blue(uint32_t c) const noexcept {
    return widen<BlueBits>(field(c, blue_shift, (1u << BlueBits) - 1));
  }
  rgb8 unpack(uint32_t c) const noexcept { return {red(c), green(c), blue(c)}; }
};

// The layout of 8 bits: a colour is a palette index. Packing searches the palette (make_color8);
// neighbouring pixels often share a colour, so the search is skipped for a repeat of the last one.
struct palette_layout {
  mutable int last_r = -1, last_g = -1, last_b = -1;
  mutable uint32_t last = 0;

  uint32_t pack(int r, int g, int b) const noexcept {
    if (r != last_r || g != last_g || b != last_b) {
      last = static_cast<uint32_t>(make_color8(r, g, b));
      last_r = r;
      last_g = g;
      last_b = b;
    }
    return last;
  }
  static int red(uint32_t c) noexcept { return SCALE_6_TO_8[current_palette[c & 255].r & 63]; }
  static int green(uint32_t c) noexcept { return SCALE_6_TO_8[current_palette[c & 255].g & 63]; }
  static int blue(uint32_t c) noexcept { return SCALE_6_TO_8[current_palette[c & 255].b & 63]; }
  static rgb8 unpack(uint32_t c) noexcept { return {red(c), green(c), blue(c)}; }
};

// ---- Storage ----------------------------------------------------------------------------------

// One byte a pixel.
struct pixel_byte {
  static constexpr int bytes = 1;
  static uint32_t load(const unsigned char *p) noexcept { return *p; }
  static void store(unsigned char *p, uint32_t value) noexcept {
    *p = static_cast<unsigned char>(value);
  }
  static void fill(unsigned char *dest, uint32_t color, size_t count) noexcept {
    std::memset(dest, static_cast<unsigned char>(color), count);
  }
  // fill for a caller compiled for each instruction set: short rows inline, in that set's stores.
  static void fill_row(unsigned char *dest, uint32_t color, size_t count) noexcept {
    fill_row_words(dest, count, (color & 0xFFu) * 0x01010101u);
  }
  // The 8-bit mask colour is 0 at every depth that stores bytes.
  static void copy_masked(unsigned char *dest, const unsigned char *source, size_t count,
                          uint32_t /*mask*/) noexcept {
    masked_span8(dest, source, count);
  }
  static void copy_masked_reversed(unsigned char *dest, const unsigned char *source_last,
                                   size_t count, uint32_t /*mask*/) noexcept {
    masked_span_reversed8(dest, source_last, count);
  }
  static void expand(unsigned char *dest, const unsigned char *source, size_t count,
                     const uint32_t *table) noexcept {
    for (size_t i = 0; i < count; ++i) dest[i] = static_cast<unsigned char>(table[source[i]]);
  }
};

// A 16-bit word in native byte order: 15 and 16 bits.
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
  static void fill(unsigned char *dest, uint32_t color, size_t count) noexcept {
    fill_span16(dest, color, count);
  }
  static void fill_row(unsigned char *dest, uint32_t color, size_t count) noexcept {
    fill_row_words(dest, count * 2, (color & 0xFFFFu) * 0x00010001u);
  }
  static void copy_masked(unsigned char *dest, const unsigned char *source, size_t count,
                          uint32_t mask) noexcept {
    masked_span16(dest, source, count, mask);
  }
  static void copy_masked_reversed(unsigned char *dest, const unsigned char *source_last,
                                   size_t count, uint32_t mask) noexcept {
    masked_span_reversed16(dest, source_last, count, mask);
  }
  static void expand(unsigned char *dest, const unsigned char *source, size_t count,
                     const uint32_t *table) noexcept {
    expand_span16(dest, source, count, table);
  }
};

// Three bytes, most significant first.
struct pixel_bytes24 {
  static constexpr int bytes = 3;
  static uint32_t load(const unsigned char *p) noexcept {
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]};
  }
  static void store(unsigned char *p, uint32_t value) noexcept {
    p[0] = static_cast<unsigned char>(value >> 16);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value);
  }
  static void fill(unsigned char *dest, uint32_t color, size_t count) noexcept {
    fill_span24(dest, color, count);
  }
  // A 3-byte pattern does not repeat in 4-byte words: the out-of-line fill.
  static void fill_row(unsigned char *dest, uint32_t color, size_t count) noexcept {
    fill_span24(dest, color, count);
  }
  // 24 bits have one mask colour whatever the component order.
  static void copy_masked(unsigned char *dest, const unsigned char *source, size_t count,
                          uint32_t /*mask*/) noexcept {
    masked_span24(dest, source, count);
  }
  static void copy_masked_reversed(unsigned char *dest, const unsigned char *source_last,
                                   size_t count, uint32_t /*mask*/) noexcept {
    masked_span_reversed24(dest, source_last, count);
  }
  static void expand(unsigned char *dest, const unsigned char *source, size_t count,
                     const uint32_t *table) noexcept {
    expand_span24(dest, source, count, table);
  }
};

// A 32-bit word in native byte order.
struct pixel_word32 {
  static constexpr int bytes = 4;
  static uint32_t load(const unsigned char *p) noexcept {
    uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
  }
  static void store(unsigned char *p, uint32_t value) noexcept {
    std::memcpy(p, &value, sizeof value);
  }
  static void fill(unsigned char *dest, uint32_t color, size_t count) noexcept {
    fill_span32(dest, color, count);
  }
  static void fill_row(unsigned char *dest, uint32_t color, size_t count) noexcept {
    fill_row_words(dest, count * 4, color);
  }
  static void copy_masked(unsigned char *dest, const unsigned char *source, size_t count,
                          uint32_t mask) noexcept {
    masked_span32(dest, source, count, mask);
  }
  static void copy_masked_reversed(unsigned char *dest, const unsigned char *source_last,
                                   size_t count, uint32_t mask) noexcept {
    masked_span_reversed32(dest, source_last, count, mask);
  }
  static void expand(unsigned char *dest, const unsigned char *source, size_t count,
                     const uint32_t *table) noexcept {
    expand_span32(dest, source, count, table);
  }
};

// ---- The depths -------------------------------------------------------------------------------

// Each depth adds to its storage: `depth`, `mask`, `storage` (the type its layout-free routines
// are written over), `layout` and current_layout(), and the blender state it draws with:
// blender() for translucency and lighting, alpha_blender() for 32-bit sources with alpha, and
// blend_color(). 8 bits blend through shade_table instead and have no hooks.

struct pixel8 : pixel_byte {
  static constexpr int depth = 8;
  static constexpr uint32_t mask = MASK_COLOR_8;
  using storage = pixel_byte;
  using layout = palette_layout;
  static layout current_layout() noexcept { return {}; }
  static blender_func blender() noexcept { return nullptr; }
  static blender_func alpha_blender() noexcept { return nullptr; }
  static uint32_t blend_color() noexcept { return 0; }
};

// A depth of packed components, its facts given as the process-wide variables that hold them.
template <int Depth, uint32_t Mask, class Storage, class Layout, const int &RedShift,
          const int &GreenShift, const int &BlueShift, const blender_func &Blender,
          const blender_func &AlphaBlender, const uint32_t &BlendColor>
struct packed_pixel : Storage {
  static constexpr int depth = Depth;
  static constexpr uint32_t mask = Mask;
  using storage = Storage;
  using layout = Layout;
  static layout current_layout() noexcept { return {RedShift, GreenShift, BlueShift}; }
  static blender_func blender() noexcept { return Blender; }
  static blender_func alpha_blender() noexcept { return AlphaBlender; }
  static uint32_t blend_color() noexcept { return BlendColor; }
};

struct pixel15
    : packed_pixel<15, MASK_COLOR_15, pixel_word16, packed_layout<5, 5, 5>, red_shift_15,
                   green_shift_15, blue_shift_15, blend_hook15, alpha_hook15, blend_color15> {};

struct pixel16
    : packed_pixel<16, MASK_COLOR_16, pixel_word16, packed_layout<5, 6, 5>, red_shift_16,
                   green_shift_16, blue_shift_16, blend_hook16, alpha_hook16, blend_color16> {};

struct pixel24
    : packed_pixel<24, MASK_COLOR_24, pixel_bytes24, packed_layout<8, 8, 8>, red_shift_24,
                   green_shift_24, blue_shift_24, blend_hook24, alpha_hook24, blend_color24> {};

// A 32-bit source over a 32-bit target needs no moving of components: blend_hook32 is the alpha
// blender too.
struct pixel32
    : packed_pixel<32, MASK_COLOR_32, pixel_word32, packed_layout<8, 8, 8>, red_shift_32,
                   green_shift_32, blue_shift_32, blend_hook32, blend_hook32, blend_color32> {};

// Calls f with a value of the traits type of a depth and returns its result; a depth without
// traits gives a value-initialised result (0, null or nothing) and f is not called.
template <class F>
constexpr auto with_pixel_traits(int depth, F &&f) noexcept -> decltype(f(pixel8{})) {
  switch (depth) {
    case 8:
      return f(pixel8{});
    case 15:
      return f(pixel15{});
    case 16:
      return f(pixel16{});
    case 24:
      return f(pixel24{});
    case 32:
      return f(pixel32{});
    default:
      return decltype(f(pixel8{}))();
  }
}

// The mask colour of a depth (0 for 8 bits and unknown depths).
constexpr uint32_t mask_color_of_depth(int depth) noexcept {
  return with_pixel_traits(depth, [](auto pixel) { return decltype(pixel)::mask; });
}

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_PIXEL_TRAITS_H
