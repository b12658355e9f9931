// The depth-converting blit shared by all five tables: each source pixel is unpacked into 8-bit
// components and packed for the destination, through a palette table from 8 bits, with ordered
// dither into 15 and 16 bits or error diffusion into 8 bits when the conversion flags ask for it,
// and with mask pixels kept transparent under CONV_KEEP_TRANS.
#include <cstdint>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "gfx/color_internal.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/vtables.h"

namespace corvane::depth {
namespace {

// A source pixel's 8-bit components, as get_red_depth and friends give them.
template <class Pixel>
struct unpacker;

template <>
struct unpacker<pixel8> {
  void operator()(uint32_t c, int &r, int &g, int &b) const noexcept {
    const rgb_entry &entry = current_palette[c & 255];
    r = SCALE_6_TO_8[entry.r & 63];
    g = SCALE_6_TO_8[entry.g & 63];
    b = SCALE_6_TO_8[entry.b & 63];
  }
};

// A shift outside 0-31 reads nothing, as in get_red_depth.
inline uint32_t field(uint32_t c, int shift, uint32_t mask) noexcept {
  return (shift < 0 || shift > 31) ? 0 : (c >> shift) & mask;
}

template <>
struct unpacker<pixel15> {
  int rs = red_shift_15, gs = green_shift_15, bs = blue_shift_15;
  void operator()(uint32_t c, int &r, int &g, int &b) const noexcept {
    r = SCALE_5_TO_8[field(c, rs, 31)];
    g = SCALE_5_TO_8[field(c, gs, 31)];
    b = SCALE_5_TO_8[field(c, bs, 31)];
  }
};

template <>
struct unpacker<pixel16> {
  int rs = red_shift_16, gs = green_shift_16, bs = blue_shift_16;
  void operator()(uint32_t c, int &r, int &g, int &b) const noexcept {
    r = SCALE_5_TO_8[field(c, rs, 31)];
    g = SCALE_6_TO_8[field(c, gs, 63)];
    b = SCALE_5_TO_8[field(c, bs, 31)];
  }
};

template <>
struct unpacker<pixel24> {
  int rs = red_shift_24, gs = green_shift_24, bs = blue_shift_24;
  void operator()(uint32_t c, int &r, int &g, int &b) const noexcept {
    r = static_cast<int>(field(c, rs, 255));
    g = static_cast<int>(field(c, gs, 255));
    b = static_cast<int>(field(c, bs, 255));
  }
};

template <>
struct unpacker<pixel32> {
  int rs = red_shift_32, gs = green_shift_32, bs = blue_shift_32;
  void operator()(uint32_t c, int &r, int &g, int &b) const noexcept {
    r = static_cast<int>(field(c, rs, 255));
    g = static_cast<int>(field(c, gs, 255));
    b = static_cast<int>(field(c, bs, 255));
  }
};

inline uint32_t place(uint32_t value, int shift) noexcept {
  return (shift < 0 || shift > 31) ? 0 : value << shift;
}

// Packing for the destination, as make_color_depth does (make_color8 at 8 bits).
template <class Pixel>
struct packer;

template <>
struct packer<pixel8> {
  // Neighbouring pixels often share a colour; the search is skipped for a repeat.
  mutable int last_r = -1, last_g = -1, last_b = -1;
  mutable uint32_t last = 0;
  uint32_t operator()(int r, int g, int b) const noexcept {
    if (r != last_r || g != last_g || b != last_b) {
      last = static_cast<uint32_t>(make_color8(r, g, b));
      last_r = r;
      last_g = g;
      last_b = b;
    }
    return last;
  }
};

template <>
struct packer<pixel15> {
  int rs = red_shift_15, gs = green_shift_15, bs = blue_shift_15;
  uint32_t operator()(int r, int g, int b) const noexcept {
    return place(static_cast<uint32_t>(r >> 3), rs) | place(static_cast<uint32_t>(g >> 3), gs) |
           place(static_cast<uint32_t>(b >> 3), bs);
  }
};

template <>
struct packer<pixel16> {
  int rs = red_shift_16, gs = green_shift_16, bs = blue_shift_16;
  uint32_t operator()(int r, int g, int b) const noexcept {
    return place(static_cast<uint32_t>(r >> 3), rs) | place(static_cast<uint32_t>(g >> 2), gs) |
           place(static_cast<uint32_t>(b >> 3), bs);
  }
};

template <>
struct packer<pixel24> {
  int rs = red_shift_24, gs = green_shift_24, bs = blue_shift_24;
  uint32_t operator()(int r, int g, int b) const noexcept {
    return place(static_cast<uint32_t>(r), rs) | place(static_cast<uint32_t>(g), gs) |
           place(static_cast<uint32_t>(b), bs);
  }
};

template <>
struct packer<pixel32> {
  int rs = red_shift_32, gs = green_shift_32, bs = blue_shift_32;
  uint32_t operator()(int r, int g, int b) const noexcept {
    return place(static_cast<uint32_t>(r), rs) | place(static_cast<uint32_t>(g), gs) |
           place(static_cast<uint32_t>(b), bs);
  }
};

// The rectangle of one conversion.
struct area {
  bitmap *source;
  bitmap *dest;
  int source_x, source_y, dest_x, dest_y, width, height;
};

// Unpack and pack every pixel; with keep_trans, mask stays mask and a colour that would become
// the mask is written as the replacement.
template <class Src, class Dst>
void convert_pixels(const area &a, bool keep_trans, uint32_t replacement) noexcept {
  const unpacker<Src> unpack;
  const packer<Dst> pack;
  const size_t count = static_cast<size_t>(a.width);
  for (int row = 0; row < a.height; ++row) {
    const unsigned char *s =
        read_row(a.source, a.source_y + row) + static_cast<size_t>(a.source_x) * Src::bytes;
    unsigned char *d =
        write_row(a.dest, a.dest_y + row) + static_cast<size_t>(a.dest_x) * Dst::bytes;
    for (size_t i = 0; i < count; ++i) {
      const uint32_t c = Src::load(s + i * Src::bytes);
      uint32_t value;
      if (keep_trans && c == Src::mask) {
        value = Dst::mask;
      } else {
        int r, g, b;
        unpack(c, r, g, b);
        value = pack(r, g, b);
        if (keep_trans && value == Dst::mask) value = replacement;
      }
      Dst::store(d + i * Dst::bytes, value);
    }
  }
  release_blit_rows(a.source, a.dest);
}

// Ordered dither into 15 or 16 bits, positions counted from the rectangle's top-left pixel.
template <class Src, class Dst>
void dither_pixels(const area &a, bool keep_trans, uint32_t replacement) noexcept {
  const unpacker<Src> unpack;
  for (int row = 0; row < a.height; ++row) {
    const unsigned char *s =
        read_row(a.source, a.source_y + row) + static_cast<size_t>(a.source_x) * Src::bytes;
    unsigned char *d =
        write_row(a.dest, a.dest_y + row) + static_cast<size_t>(a.dest_x) * Dst::bytes;
    for (int i = 0; i < a.width; ++i) {
      const uint32_t c = Src::load(s + static_cast<size_t>(i) * Src::bytes);
      uint32_t value;
      if (keep_trans && c == Src::mask) {
        value = Dst::mask;
      } else {
        int r, g, b;
        unpack(c, r, g, b);
        value = static_cast<uint32_t>(Dst::depth == 15 ? dither_pack15(r, g, b, i, row)
                                                       : dither_pack16(r, g, b, i, row));
        if (keep_trans && value == Dst::mask) value = replacement;
      }
      Dst::store(d + static_cast<size_t>(i) * Dst::bytes, value);
    }
  }
  release_blit_rows(a.source, a.dest);
}

// From 8 bits through a table of destination values for the current palette.
template <class Dst>
void expand_pixels(const area &a, bool keep_trans, uint32_t replacement) noexcept {
  uint32_t local[PALETTE_SIZE];
  const uint32_t *table =
      (palette_expansion_hook != nullptr) ? palette_expansion_hook(Dst::depth) : nullptr;
  if (table == nullptr) {
    // No table for this depth (8 bits, or a hook that has none): pack the palette here.
    const packer<Dst> pack;
    const unpacker<pixel8> unpack;
    for (uint32_t i = 0; i < PALETTE_SIZE; ++i) {
      int r, g, b;
      unpack(i, r, g, b);
      local[i] = pack(r, g, b);
    }
    table = local;
  }
  if (keep_trans) {
    if (table != local) {
      for (int i = 0; i < PALETTE_SIZE; ++i) local[i] = table[i];
      table = local;
    }
    for (int i = 1; i < PALETTE_SIZE; ++i) {
      if (local[i] == Dst::mask) local[i] = replacement;
    }
    local[0] = Dst::mask;
  }
  const size_t count = static_cast<size_t>(a.width);
  for (int row = 0; row < a.height; ++row) {
    const unsigned char *s = read_row(a.source, a.source_y + row) + static_cast<size_t>(a.source_x);
    unsigned char *d =
        write_row(a.dest, a.dest_y + row) + static_cast<size_t>(a.dest_x) * Dst::bytes;
    if constexpr (Dst::bytes == 1) {
      for (size_t i = 0; i < count; ++i) d[i] = static_cast<unsigned char>(table[s[i]]);
    } else if constexpr (Dst::bytes == 2) {
      expand_span16(d, s, count, table);
    } else if constexpr (Dst::bytes == 3) {
      expand_span24(d, s, count, table);
    } else {
      expand_span32(d, s, count, table);
    }
  }
  release_blit_rows(a.source, a.dest);
}

template <class Src, class Dst>
void convert_pair(const area &a, uint32_t flags) noexcept {
  const bool keep_trans = (flags & CONV_KEEP_TRANS) != 0;
  const uint32_t replacement = keep_trans ? blit_replacement_color(Dst::depth) : 0;
  if constexpr (Dst::depth == 15 || Dst::depth == 16) {
    if ((flags & CONV_DITHER_15_16) != 0) {
      dither_pixels<Src, Dst>(a, keep_trans, replacement);
      return;
    }
  }
  if constexpr (Src::depth == 8) {
    expand_pixels<Dst>(a, keep_trans, replacement);
  } else {
    convert_pixels<Src, Dst>(a, keep_trans, replacement);
  }
}

template <class Src>
void convert_from(const area &a, int dest_depth, uint32_t flags) noexcept {
  switch (dest_depth) {
    case 8:
      convert_pair<Src, pixel8>(a, flags);
      break;
    case 15:
      convert_pair<Src, pixel15>(a, flags);
      break;
    case 16:
      convert_pair<Src, pixel16>(a, flags);
      break;
    case 24:
      convert_pair<Src, pixel24>(a, flags);
      break;
    case 32:
      convert_pair<Src, pixel32>(a, flags);
      break;
    default:
      break;
  }
}

}  // namespace

void blit_convert(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x, int dest_y,
                  int width, int height) noexcept {
  if (source == nullptr || dest == nullptr || source->vtable == nullptr || dest->vtable == nullptr)
    return;
  if (((source->flags | dest->flags) & BITMAP_FLAG_PLANAR) != 0) return;
  if (width <= 0 || height <= 0) return;
  const int source_depth = source->vtable->color_depth;
  const int dest_depth = dest->vtable->color_depth;
  if (palette_table_slot(source_depth) < 0 || palette_table_slot(dest_depth) < 0) return;

  const uint32_t flags = conversion_flags;
  if (dest_depth == 8 && source_depth != 8 && (flags & CONV_DITHER_8) != 0) {
    error_diffusion_blit(source, dest, source_x, source_y, dest_x, dest_y, width, height);
    return;
  }
  const area a{source, dest, source_x, source_y, dest_x, dest_y, width, height};
  switch (source_depth) {
    case 8:
      convert_from<pixel8>(a, dest_depth, flags);
      break;
    case 15:
      convert_from<pixel15>(a, dest_depth, flags);
      break;
    case 16:
      convert_from<pixel16>(a, dest_depth, flags);
      break;
    case 24:
      convert_from<pixel24>(a, dest_depth, flags);
      break;
    default:
      convert_from<pixel32>(a, dest_depth, flags);
      break;
  }
}

}  // namespace corvane::depth
