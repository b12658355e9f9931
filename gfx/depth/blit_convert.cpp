// The depth-converting blit shared by all five tables: each source pixel is unpacked into 8-bit
// components and packed for the destination, through a palette table from 8 bits, with ordered
// dither into 15 and 16 bits or error diffusion into 8 bits when the conversion flags ask for it,
// and with mask pixels kept transparent under CONV_KEEP_TRANS. Calls between 15, 16, 24 and 32 bits
// without dithering take a whole-row loop from the table in convert_fast_paths.h.
#include <cstdint>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "gfx/color_internal.h"
#include "gfx/depth/blit_convert.h"
#include "gfx/depth/convert_fast_paths.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {
namespace {

// The rectangle of one conversion.
struct area {
  bitmap *source;
  bitmap *dest;
  int source_x, source_y, dest_x, dest_y, width, height;
};

// Whole rows through the call's fast path.
template <class Src, class Dst>
void convert_rows(const area &a, const convert_fast_path &path,
                  const conversion_moves &moves) noexcept {
  const size_t count = static_cast<size_t>(a.width);
  for (int row = 0; row < a.height; ++row) {
    const unsigned char *s =
        read_row(a.source, a.source_y + row) + static_cast<size_t>(a.source_x) * Src::bytes;
    unsigned char *d =
        write_row(a.dest, a.dest_y + row) + static_cast<size_t>(a.dest_x) * Dst::bytes;
    path.span(d, s, count, moves);
  }
  release_blit_rows(a.source, a.dest);
}

// Unpack and pack every pixel (as get_red_depth and friends, then make_color_depth, with the
// shifts read once); with keep_trans, mask stays mask and a colour that would become the mask is
// written as the replacement.
template <class Src, class Dst>
void convert_pixels(const area &a, bool keep_trans, uint32_t replacement) noexcept {
  const auto unpack = Src::current_layout();
  const auto pack = Dst::current_layout();
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
        const rgb8 v = unpack.unpack(c);
        value = pack.pack(v.r, v.g, v.b);
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
  const auto unpack = Src::current_layout();
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
        const rgb8 v = unpack.unpack(c);
        value = static_cast<uint32_t>(Dst::depth == 15 ? dither_pack15(v.r, v.g, v.b, i, row)
                                                       : dither_pack16(v.r, v.g, v.b, i, row));
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
    const auto pack = Dst::current_layout();
    for (uint32_t i = 0; i < PALETTE_SIZE; ++i) {
      const rgb8 v = pixel8::layout::unpack(i);
      local[i] = pack.pack(v.r, v.g, v.b);
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
    Dst::expand(d, s, count, table);
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
    if constexpr (Dst::depth != 8 && Src::depth != Dst::depth) {
      conversion_moves moves{};
      if (const convert_fast_path *path = prepare_conversion<Src, Dst>(keep_trans, replacement, moves)) {
        convert_rows<Src, Dst>(a, *path, moves);
        return;
      }
    }
    convert_pixels<Src, Dst>(a, keep_trans, replacement);
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
  const auto has_traits = [](int depth) {
    return with_pixel_traits(depth, [](auto) { return true; });
  };
  if (!has_traits(source_depth) || !has_traits(dest_depth)) return;

  const uint32_t flags = conversion_flags;
  if (dest_depth == 8 && source_depth != 8 && (flags & CONV_DITHER_8) != 0) {
    error_diffusion_blit(source, dest, source_x, source_y, dest_x, dest_y, width, height);
    return;
  }
  const area a{source, dest, source_x, source_y, dest_x, dest_y, width, height};
  with_pixel_traits(source_depth, [&](auto source_pixel) {
    with_pixel_traits(dest_depth, [&](auto dest_pixel) {
      convert_pair<decltype(source_pixel), decltype(dest_pixel)>(a, flags);
    });
  });
}

}  // namespace corvane::depth
