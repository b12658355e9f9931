// The run-length sprite routines of the drawing tables (plain, translucent, alpha and lit),
// written once over the target's pixel traits and compiled for every depth in
// rle_sprite_routines.cpp.
//
// A run_sprite's data holds, for each row, runs of literal pixels (a positive count and the
// pixels) and of transparent ones (a negative count), ended by the depth's mask colour; counts and
// pixels are units of 1 byte at 8 bits, 2 at 15 and 16, and 4 at 24 and 32. Clipping and line
// access are those of the bitmap sprites (sprite_routines.h). Reading stops at the end of the data,
// whatever it holds.
#ifndef CORVANE_GFX_DEPTH_RLE_SPRITE_ROUTINES_H
#define CORVANE_GFX_DEPTH_RLE_SPRITE_ROUTINES_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "corvane/bitmap.h"
#include "corvane/blend.h"
#include "corvane/color.h"
#include "gfx/depth/blend_fast_paths.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/pixel_traits.h"
#include "gfx/depth/rle_kernels.h"
#include "gfx/depth/sprite_routines.h"

namespace corvane::depth {

// The storage unit of a depth's run data: loaded as the pixels of that size are, with counts read
// as signed values of the unit.
template <class Storage, class Count>
struct run_unit_of : Storage {
  static constexpr size_t size = Storage::bytes;
  static int64_t as_count(uint32_t u) noexcept { return static_cast<Count>(u); }
};
template <int Bytes>
struct run_unit;
template <>
struct run_unit<1> : run_unit_of<pixel_byte, int8_t> {};
template <>
struct run_unit<2> : run_unit_of<pixel_word16, int16_t> {};
template <>
struct run_unit<4> : run_unit_of<pixel_word32, int32_t> {};

// The unit size of a depth's run data: 1 at 8 bits, 2 at 15 and 16, 4 at 24 and 32.
constexpr int run_unit_bytes(int pixel_bytes) noexcept {
  return pixel_bytes == 3 ? 4 : pixel_bytes;
}

// Calls span_op (read, write, units, count) for every visible part of a literal run of a run
// sprite whose data has UnitBytes units: read and write address the target's first pixel of the
// part (read only when ReadsTarget), units its first pixel in the data. Rows above the clip are
// walked to their markers, runs left of it counted off, runs cut at its right edge, and the rest
// of the row skipped. Reading stops at the end of the data, whatever it holds.
template <class Target, int UnitBytes, bool ReadsTarget, class SpanOp>
void for_run_spans(bitmap *bmp, const run_sprite *sprite, int x, int y, SpanOp span_op) noexcept {
  using unit = run_unit<UnitBytes>;
  if (sprite->size < 0) return;
  placed_area a;
  if (!place_image(bmp, sprite->width, sprite->height, x, y, a)) return;
  // The end-of-row marker is the depth's mask colour.
  const uint32_t marker = mask_color_of_depth(sprite->color_depth);
  const unsigned char *pos = run_sprite_data(sprite);
  const unsigned char *const end = pos + sprite->size;
  const auto units_left = [&]() { return static_cast<size_t>(end - pos) / unit::size; };

  // Walks one row to its marker, calling visit (first column, count, pixel data) for each literal
  // run; false when the data ran out.
  const auto walk_row = [&](auto visit) {
    int64_t column = 0;
    for (;;) {
      if (units_left() < 1) return false;
      const uint32_t u = unit::load(pos);
      pos += unit::size;
      if (u == marker) return true;
      const int64_t n = unit::as_count(u);
      if (n > 0) {
        if (units_left() < static_cast<size_t>(n)) return false;
        visit(column, n, pos);
        pos += static_cast<size_t>(n) * unit::size;
        column += n;
      } else {
        column -= n;
      }
    }
  };

  for (int r = 0; r < a.source_y; ++r) {
    if (!walk_row([](int64_t, int64_t, const unsigned char *) {})) return;
  }
  const target_rows rows(bmp);
  const int64_t first = a.source_x;
  const int64_t last = int64_t{a.source_x} + a.width;  // one past the last visible column
  for (int r = 0; r < a.height; ++r) {
    const int ty = a.y + r;
    const unsigned char *rd = ReadsTarget ? rows.read(ty) : nullptr;
    unsigned char *wr = rows.write(ty);
    if (!ReadsTarget) rd = wr;
    const bool complete = walk_row([&](int64_t column, int64_t n, const unsigned char *pixels) {
      const int64_t from = std::max(column, first);
      const int64_t to = std::min(column + n, last);
      if (from >= to) return;
      const size_t off = static_cast<size_t>(a.x + (from - first)) * Target::bytes;
      span_op(rd + off, wr + off, pixels + static_cast<size_t>(from - column) * unit::size,
              static_cast<size_t>(to - from));
    });
    if (!complete) return;
  }
}

// for_run_spans with an op (read, write, s) per pixel.
template <class Target, int UnitBytes, bool ReadsTarget, class Op>
void for_run_pixels(bitmap *bmp, const run_sprite *sprite, int x, int y, Op op) noexcept {
  using unit = run_unit<UnitBytes>;
  for_run_spans<Target, UnitBytes, ReadsTarget>(
      bmp, sprite, x, y,
      [op](const unsigned char *rd, unsigned char *wr, const unsigned char *units, size_t count) {
        for (size_t i = 0; i < count; ++i) {
          op(rd + i * Target::bytes, wr + i * Target::bytes, unit::load(units + i * unit::size));
        }
      });
}

inline bool run_sprite_has_bytes(const run_sprite *sprite, int bytes) noexcept {
  return sprite != nullptr && with_pixel_traits(sprite->color_depth, [bytes](auto pixel) {
           return decltype(pixel)::bytes == bytes;
         });
}

// Where a run sprite lands on a memory bitmap: nowhere, whole (rows then holds the walk for the
// rle_kernels loops) or cut by the clip rectangle.
enum class rle_landing { hidden, whole, clipped };

template <class Target>
rle_landing land_rle(bitmap *bmp, const run_sprite *sprite, int x, int y, rle_rows &rows) noexcept {
  placed_area a;
  if (!place_image(bmp, sprite->width, sprite->height, x, y, a)) return rle_landing::hidden;
  if (a.width != sprite->width || a.height != sprite->height) return rle_landing::clipped;
  const unsigned char *data = run_sprite_data(sprite);
  rows = rle_rows{.lines = bmp->lines + a.y,
                  .offset = static_cast<size_t>(a.x) * Target::bytes,
                  .rows = a.height,
                  .width = a.width,
                  .data = data,
                  .end = data + sprite->size,
                  .marker = mask_color_of_depth(sprite->color_depth)};
  return rle_landing::whole;
}

// Blends the literal runs of a sprite onto a memory bitmap through the fast path of the operation,
// the depths and the blender, if the table has one; UnitBytes is the size of the sprite's units
// (the target's pixel size, or 4 for a 32-bit alpha sprite onto a narrower target). False when the
// routine must blend pixel by pixel; true when the fast path drew.
template <class Target, int UnitBytes>
bool blend_run_spans(blend_op op, bitmap *bmp, const run_sprite *sprite, blender_func blender,
                     int x, int y) noexcept {
  if ((bmp->flags & (BITMAP_FLAG_VIDEO | BITMAP_FLAG_SYSTEM)) != 0) return false;
  const blend_fast_path *path =
      find_blend_fast_path(op, sprite->color_depth, Target::depth, blender);
  uint32_t parameter = 0;
  if (path == nullptr || path->span == nullptr ||
      !path->prepare(static_cast<uint32_t>(blend_weight), parameter)) {
    return false;
  }
  if (path->runs != nullptr && sprite->size >= 0) {
    // A sprite landing whole is blended by one call for all its runs.
    rle_rows rows{};
    const rle_landing landing = land_rle<Target>(bmp, sprite, x, y, rows);
    if (landing == rle_landing::hidden) return true;
    if (landing == rle_landing::whole) {
      path->runs(rows, parameter);
      return true;
    }
  }
  const blend_span span = path->span;
  for_run_spans<Target, UnitBytes, false>(
      bmp, sprite, x, y,
      [span, parameter](const unsigned char *, unsigned char *w, const unsigned char *units,
                        size_t count) { span(w, units, count, parameter, 0); });
  return true;
}

// Copies a literal run. Runs are often a few pixels long: up to 32 bytes are moved by two
// overlapping fixed-size copies each, without a call.
inline void copy_run(unsigned char *dest, const unsigned char *source, size_t bytes) noexcept {
  const auto two = [&](auto size) {
    constexpr size_t n = decltype(size)::value;
    unsigned char head[n];
    unsigned char tail[n];
    std::memcpy(head, source, n);
    std::memcpy(tail, source + bytes - n, n);
    std::memcpy(dest, head, n);
    std::memcpy(dest + bytes - n, tail, n);
  };
  if (bytes > 32) {
    std::memcpy(dest, source, bytes);
  } else if (bytes >= 16) {
    two(std::integral_constant<size_t, 16>{});
  } else if (bytes >= 8) {
    two(std::integral_constant<size_t, 8>{});
  } else if (bytes >= 4) {
    two(std::integral_constant<size_t, 4>{});
  } else if (bytes >= 2) {
    two(std::integral_constant<size_t, 2>{});
  } else if (bytes == 1) {
    *dest = *source;
  }
}

// draw_rle where the whole sprite lands on a memory bitmap, the usual case: the walk of
// rle_kernels, with no clipping per run. False, having drawn nothing, when the sprite is clipped
// or the target's rows must be reached through its accessors.
template <class Target>
bool copy_whole_rle(bitmap *bmp, const run_sprite *sprite, int x, int y) noexcept {
  if ((bmp->flags & (BITMAP_FLAG_VIDEO | BITMAP_FLAG_SYSTEM)) != 0 || sprite->size < 0) {
    return false;
  }
  rle_rows rows{};
  const rle_landing landing = land_rle<Target>(bmp, sprite, x, y, rows);
  if (landing != rle_landing::whole) return landing == rle_landing::hidden;
  if constexpr (Target::bytes == 1) {
    copy_rle_rows8(rows);
  } else if constexpr (Target::bytes == 2) {
    copy_rle_rows16(rows);
  } else {
    copy_rle_rows32(rows);
  }
  return true;
}

template <class Target>
void draw_rle(bitmap *bmp, const run_sprite *sprite, int x, int y) noexcept {
  if (!run_sprite_has_bytes(sprite, Target::bytes)) return;
  if constexpr (Target::bytes == 3) {
    // 24-bit pixels are kept in 32-bit units: each is stored in the pixel's byte order.
    for_run_pixels<Target, 4, false>(
        bmp, sprite, x, y,
        [](const unsigned char *, unsigned char *w, uint32_t s) { Target::store(w, s); });
  } else {
    // Units and pixels have the same size and byte order: a literal run is a plain copy.
    if (copy_whole_rle<Target>(bmp, sprite, x, y)) return;
    for_run_spans<Target, Target::bytes, false>(
        bmp, sprite, x, y,
        [](const unsigned char *, unsigned char *w, const unsigned char *units, size_t count) {
          copy_run(w, units, count * Target::bytes);
        });
  }
}

template <class Target>
void draw_rle_trans(bitmap *bmp, const run_sprite *sprite, int x, int y) noexcept {
  if (sprite == nullptr) return;
  if constexpr (Target::depth == 8) {
    const unsigned char *shade = shade_table;
    if (shade == nullptr || !run_sprite_has_bytes(sprite, 1)) return;
    for_run_pixels<Target, 1, true>(bmp, sprite, x, y,
                                    [shade](const unsigned char *r, unsigned char *w, uint32_t s) {
                                      *w = shade[(s << 8) | *r];
                                    });
  } else {
    const blender_func hook = Target::blender();
    if (hook == nullptr) return;
    const auto n = static_cast<uint32_t>(blend_weight);
    const auto op = [hook, n](const unsigned char *r, unsigned char *w, uint32_t s) {
      Target::store(w, hook(s, Target::load(r), n));
    };
    if (run_sprite_has_bytes(sprite, 1)) {
      for_run_pixels<Target, 1, true>(bmp, sprite, x, y, op);
    } else if (run_sprite_has_bytes(sprite, Target::bytes)) {
      if (blend_run_spans<Target, run_unit_bytes(Target::bytes)>(blend_op::rle_trans, bmp, sprite,
                                                                 hook, x, y)) {
        return;
      }
      for_run_pixels<Target, run_unit_bytes(Target::bytes), true>(bmp, sprite, x, y, op);
    }
  }
}

template <class Target>
void draw_rle_alpha(bitmap *bmp, const run_sprite *sprite, int x, int y) noexcept {
  const blender_func hook = Target::alpha_blender();
  if (hook == nullptr || sprite == nullptr || sprite->color_depth != 32) return;
  if (blend_run_spans<Target, 4>(blend_op::rle_alpha, bmp, sprite, hook, x, y)) return;
  const auto n = static_cast<uint32_t>(blend_weight);
  for_run_pixels<Target, 4, true>(bmp, sprite, x, y,
                                  [hook, n](const unsigned char *r, unsigned char *w, uint32_t s) {
                                    Target::store(w, hook(s, Target::load(r), n));
                                  });
}

template <class Target>
void draw_rle_lit(bitmap *bmp, const run_sprite *sprite, int x, int y, int level) noexcept {
  if (!run_sprite_has_bytes(sprite, Target::bytes)) return;
  const uint32_t n = light_level(level);
  if constexpr (Target::depth == 8) {
    const unsigned char *shade = shade_table;
    if (shade == nullptr) return;
    const unsigned char *row = shade + (n << 8);
    for_run_pixels<Target, 1, false>(
        bmp, sprite, x, y,
        [row](const unsigned char *, unsigned char *w, uint32_t s) { *w = row[s]; });
  } else {
    const blender_func hook = Target::blender();
    if (hook == nullptr) return;
    const uint32_t color = Target::blend_color();
    for_run_pixels<Target, run_unit_bytes(Target::bytes), false>(
        bmp, sprite, x, y, [hook, color, n](const unsigned char *, unsigned char *w, uint32_t s) {
          Target::store(w, hook(color, s, n));
        });
  }
}

// Each depth's run-length routines are compiled once, in rle_sprite_routines.cpp, with the
// hot-path optimisation; the drawing tables only take their addresses.
// The arguments are a declaration prefix and a type, which cannot take parentheses.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define CORVANE_RLE_SPRITE_ROUTINES(PREFIX, Pixel)                                    \
  PREFIX void draw_rle_trans<Pixel>(bitmap *, const run_sprite *, int, int) noexcept; \
  PREFIX void draw_rle_lit<Pixel>(bitmap *, const run_sprite *, int, int, int) noexcept;
#define CORVANE_ALPHA_RLE_SPRITE_ROUTINES(PREFIX, Pixel) \
  PREFIX void draw_rle_alpha<Pixel>(bitmap *, const run_sprite *, int, int) noexcept;
#define CORVANE_STORAGE_RLE_SPRITE_ROUTINES(PREFIX, Storage) \
  PREFIX void draw_rle<Storage>(bitmap *, const run_sprite *, int, int) noexcept;
// NOLINTEND(bugprone-macro-parentheses)

CORVANE_RLE_SPRITE_ROUTINES(extern template, pixel8)
CORVANE_RLE_SPRITE_ROUTINES(extern template, pixel15)
CORVANE_RLE_SPRITE_ROUTINES(extern template, pixel16)
CORVANE_RLE_SPRITE_ROUTINES(extern template, pixel24)
CORVANE_RLE_SPRITE_ROUTINES(extern template, pixel32)
CORVANE_ALPHA_RLE_SPRITE_ROUTINES(extern template, pixel15)
CORVANE_ALPHA_RLE_SPRITE_ROUTINES(extern template, pixel16)
CORVANE_ALPHA_RLE_SPRITE_ROUTINES(extern template, pixel24)
CORVANE_ALPHA_RLE_SPRITE_ROUTINES(extern template, pixel32)
CORVANE_STORAGE_RLE_SPRITE_ROUTINES(extern template, pixel_byte)
CORVANE_STORAGE_RLE_SPRITE_ROUTINES(extern template, pixel_word16)
CORVANE_STORAGE_RLE_SPRITE_ROUTINES(extern template, pixel_bytes24)
CORVANE_STORAGE_RLE_SPRITE_ROUTINES(extern template, pixel_word32)

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_RLE_SPRITE_ROUTINES_H
