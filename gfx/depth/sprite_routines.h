// The sprite routines of the drawing tables (plain, flipped, 8-bit through the palette,
// translucent, alpha, lit, gouraud-lit, and the run-length forms), written once over the target's
// pixel traits and instantiated by each depth's table.
//
// Every routine draws the part of the sprite that lies in the clip rectangle (in the bitmap when
// clipping is off: nothing is ever written outside it); flipped sprites are cut on the target
// rectangle, so the visible part is the part that is visible after flipping. Rows of display and
// system bitmaps are reached through the line accessors, with one release_line at the end; memory
// bitmaps use their line table. A sprite whose pixel size the routine does not take draws nothing.
#ifndef CORVANE_GFX_DEPTH_SPRITE_ROUTINES_H
#define CORVANE_GFX_DEPTH_SPRITE_ROUTINES_H

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "corvane/bitmap.h"
#include "corvane/blend.h"
#include "corvane/color.h"
#include "gfx/blenders.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/pixel_traits.h"
#include "gfx/depth/span_kernels.h"
#include "gfx/depth/sprite_kernels.h"

namespace corvane::depth {

// ---- Placement and row access ------------------------------------------------------------------

// The target rectangle a sprite covers after clipping, and the source column and row of its
// top-left corner as if the sprite were not flipped.
struct sprite_area {
  int x;
  int y;
  int width;
  int height;
  int source_x;
  int source_y;
};

inline bool place_sprite(const bitmap *bmp, int sprite_width, int sprite_height, int x, int y,
                         sprite_area &area) noexcept {
  if (sprite_width <= 0 || sprite_height <= 0) return false;
  const drawable_area d = drawable_bounds(bmp);
  const int64_t left = std::max<int64_t>(x, d.left);
  const int64_t top = std::max<int64_t>(y, d.top);
  const int64_t right = std::min<int64_t>(int64_t{x} + sprite_width, d.right);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + sprite_height, d.bottom);
  if (right <= left || bottom <= top) return false;
  area = {static_cast<int>(left),         static_cast<int>(top),
          static_cast<int>(right - left), static_cast<int>(bottom - top),
          static_cast<int>(left - x),     static_cast<int>(top - y)};
  return true;
}

// The target's rows: through the line accessors for display and system bitmaps, straight from the
// line table for memory bitmaps.
class target_rows {
 public:
  explicit target_rows(bitmap *bmp) noexcept
      : bmp_(bmp), accessors_((bmp->flags & (BITMAP_FLAG_VIDEO | BITMAP_FLAG_SYSTEM)) != 0) {}
  target_rows(const target_rows &) = delete;
  target_rows &operator=(const target_rows &) = delete;
  ~target_rows() {
    if (accessors_ && bmp_->vtable->release_line != nullptr) bmp_->vtable->release_line(bmp_);
  }

  bool through_accessors() const noexcept { return accessors_; }
  unsigned char *write(int y) const noexcept {
    return accessors_ && bmp_->write_line != nullptr ? bmp_->write_line(bmp_, y) : bmp_->lines[y];
  }
  const unsigned char *read(int y) const noexcept {
    return accessors_ && bmp_->read_line != nullptr ? bmp_->read_line(bmp_, y) : bmp_->lines[y];
  }

 private:
  bitmap *bmp_;
  bool accessors_;
};

inline bool sprite_has_bytes(const bitmap *sprite, int bytes) noexcept {
  return sprite != nullptr && sprite->vtable != nullptr &&
         bytes_per_pixel_of_depth(sprite->vtable->color_depth) == bytes;
}

inline uint32_t sprite_mask(const bitmap *sprite) noexcept {
  return static_cast<uint32_t>(sprite->vtable->mask_color);
}

// Calls op (read, write, s) for every visible pixel of the sprite, where read and write address
// the target pixel (read only when ReadsTarget) and s is the source pixel.
template <class Target, class Source, bool HFlip, bool VFlip, bool ReadsTarget, class Op>
void for_sprite_pixels(bitmap *bmp, const bitmap *sprite, int x, int y, Op op) noexcept {
  sprite_area a;
  if (!place_sprite(bmp, sprite->width, sprite->height, x, y, a)) return;
  const target_rows rows(bmp);
  const size_t at = static_cast<size_t>(a.x) * Target::bytes;
  for (int r = 0; r < a.height; ++r) {
    const int sy = VFlip ? sprite->height - 1 - a.source_y - r : a.source_y + r;
    const unsigned char *src = sprite->lines[sy];
    const unsigned char *rd = ReadsTarget ? rows.read(a.y + r) + at : nullptr;
    unsigned char *wr = rows.write(a.y + r) + at;
    if (!ReadsTarget) rd = wr;
    for (int c = 0; c < a.width; ++c) {
      const int sx = HFlip ? sprite->width - 1 - a.source_x - c : a.source_x + c;
      const uint32_t s = Source::load(src + static_cast<size_t>(sx) * Source::bytes);
      const size_t off = static_cast<size_t>(c) * Target::bytes;
      op(rd + off, wr + off, s);
    }
  }
}

// ---- Plain and flipped sprites ------------------------------------------------------------------

// Slot 17 for one pixel size (15 and 16 bits share it: the mask colour is the target table's).
template <class Target>
void draw_sprite(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if (!sprite_has_bytes(sprite, Target::bytes)) return;
  const auto mask = static_cast<uint32_t>(bmp->vtable->mask_color);
  sprite_area a;
  if (!place_sprite(bmp, sprite->width, sprite->height, x, y, a)) return;
  const target_rows rows(bmp);
  const size_t at = static_cast<size_t>(a.x) * Target::bytes;
  const size_t from = static_cast<size_t>(a.source_x) * Target::bytes;
  const auto count = static_cast<size_t>(a.width);
  for (int r = 0; r < a.height; ++r) {
    const unsigned char *src = sprite->lines[a.source_y + r] + from;
    unsigned char *dest = rows.write(a.y + r) + at;
    if (rows.through_accessors()) {
      // A write window need not be readable: store the visible pixels only.
      for (size_t i = 0; i < count; ++i) {
        const uint32_t s = Target::load(src + i * Target::bytes);
        if (s != mask) Target::store(dest + i * Target::bytes, s);
      }
    } else if constexpr (Target::bytes == 1) {
      masked_span8(dest, src, count);
    } else if constexpr (Target::bytes == 2) {
      masked_span16(dest, src, count, mask);
    } else if constexpr (Target::bytes == 3) {
      masked_span24(dest, src, count);
    } else {
      masked_span32(dest, src, count, mask);
    }
  }
}

template <class Target, bool HFlip, bool VFlip>
void draw_sprite_flipped(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if (!sprite_has_bytes(sprite, Target::bytes)) return;
  const auto mask = static_cast<uint32_t>(bmp->vtable->mask_color);
  for_sprite_pixels<Target, Target, HFlip, VFlip, false>(
      bmp, sprite, x, y, [mask](const unsigned char *, unsigned char *w, uint32_t s) {
        if (s != mask) Target::store(w, s);
      });
}

template <class Target>
void draw_sprite_vflip(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  draw_sprite_flipped<Target, false, true>(bmp, sprite, x, y);
}
template <class Target>
void draw_sprite_hflip(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  draw_sprite_flipped<Target, true, false>(bmp, sprite, x, y);
}
template <class Target>
void draw_sprite_vhflip(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  draw_sprite_flipped<Target, true, true>(bmp, sprite, x, y);
}

// Slot 18 of the deeper tables: an 8-bit sprite through palette_color, 0 transparent.
template <class Target>
void draw_sprite_8bit(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if (!sprite_has_bytes(sprite, 1)) return;
  const uint32_t *table = palette_color;
  if (table == nullptr) return;
  for_sprite_pixels<Target, pixel8, false, false, false>(
      bmp, sprite, x, y, [table](const unsigned char *, unsigned char *w, uint32_t s) {
        if (s != 0) Target::store(w, table[s]);
      });
}

// ---- Translucent, alpha and lit sprites ---------------------------------------------------------

template <class Target>
void draw_sprite_trans(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if constexpr (Target::depth == 8) {
    const unsigned char *shade = shade_table;
    if (shade == nullptr || !sprite_has_bytes(sprite, 1)) return;
    // Every pixel, 0 included.
    for_sprite_pixels<Target, pixel8, false, false, true>(
        bmp, sprite, x, y, [shade](const unsigned char *r, unsigned char *w, uint32_t s) {
          *w = shade[(s << 8) | *r];
        });
  } else {
    const blender_func hook = translucent_hook<Target>();
    if (hook == nullptr || sprite == nullptr || sprite->vtable == nullptr) return;
    const auto n = static_cast<uint32_t>(blend_weight);
    if (sprite_has_bytes(sprite, 1)) {
      // The bytes of an 8-bit sprite go to the blender as they are (0 is transparent).
      for_sprite_pixels<Target, pixel8, false, false, true>(
          bmp, sprite, x, y, [hook, n](const unsigned char *r, unsigned char *w, uint32_t s) {
            if (s != 0) Target::store(w, hook(s, Target::load(r), n));
          });
      return;
    }
    if (!sprite_has_bytes(sprite, Target::bytes)) return;
    const uint32_t mask = sprite_mask(sprite);
    if ((bmp->flags & (BITMAP_FLAG_VIDEO | BITMAP_FLAG_SYSTEM)) == 0) {
      // The library's own mix blenders have vectorised row loops.
      void (*span)(unsigned char *, const unsigned char *, size_t, uint32_t, uint32_t) = nullptr;
      uint32_t weight = 0;
      if constexpr (Target::depth == 32) {
        if (hook == blend_mix24) span = mix_sprite_span32, weight = n != 0 ? n + 1 : 0;
      } else if constexpr (Target::depth == 16) {
        if (hook == blend_mix16) span = mix_sprite_span16, weight = weight32(n);
      } else if constexpr (Target::depth == 15) {
        if (hook == blend_mix15) span = mix_sprite_span15, weight = weight32(n);
      }
      if (span != nullptr) {
        sprite_area a;
        if (!place_sprite(bmp, sprite->width, sprite->height, x, y, a)) return;
        const size_t at = static_cast<size_t>(a.x) * Target::bytes;
        const size_t from = static_cast<size_t>(a.source_x) * Target::bytes;
        for (int r = 0; r < a.height; ++r) {
          span(bmp->lines[a.y + r] + at, sprite->lines[a.source_y + r] + from,
               static_cast<size_t>(a.width), weight, mask);
        }
        return;
      }
    }
    for_sprite_pixels<Target, Target, false, false, true>(
        bmp, sprite, x, y, [hook, n, mask](const unsigned char *r, unsigned char *w, uint32_t s) {
          if (s != mask) Target::store(w, hook(s, Target::load(r), n));
        });
  }
}

// The alpha hook of a depth: blend_hook32 at 32 bits, the alpha hooks below.
template <class Target>
blender_func alpha_sprite_hook() noexcept {
  if constexpr (Target::depth == 15) return alpha_hook15;
  if constexpr (Target::depth == 16) return alpha_hook16;
  if constexpr (Target::depth == 24) return alpha_hook24;
  return blend_hook32;
}

template <class Target>
void draw_sprite_alpha(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  const blender_func hook = alpha_sprite_hook<Target>();
  if (hook == nullptr || !sprite_has_bytes(sprite, 4)) return;
  const auto n = static_cast<uint32_t>(blend_weight);
  if constexpr (Target::depth == 32) {
    const int shift = alpha_shift_32;
    if (hook == blend_alpha32 && shift >= 0 && shift <= 31 &&
        (bmp->flags & (BITMAP_FLAG_VIDEO | BITMAP_FLAG_SYSTEM)) == 0) {
      sprite_area a;
      if (!place_sprite(bmp, sprite->width, sprite->height, x, y, a)) return;
      for (int r = 0; r < a.height; ++r) {
        alpha_sprite_span32(bmp->lines[a.y + r] + static_cast<size_t>(a.x) * 4,
                            sprite->lines[a.source_y + r] + static_cast<size_t>(a.source_x) * 4,
                            static_cast<size_t>(a.width), shift, MASK_COLOR_32);
      }
      return;
    }
  }
  for_sprite_pixels<Target, pixel32, false, false, true>(
      bmp, sprite, x, y, [hook, n](const unsigned char *r, unsigned char *w, uint32_t s) {
        if (s != MASK_COLOR_32) Target::store(w, hook(s, Target::load(r), n));
      });
}

// The blend colour of a depth.
template <class Target>
uint32_t blend_color_of() noexcept {
  if constexpr (Target::depth == 15) return blend_color15;
  if constexpr (Target::depth == 16) return blend_color16;
  if constexpr (Target::depth == 24) return blend_color24;
  return blend_color32;
}

// Light levels index a 256-row table: out-of-range levels are cut to 0-255.
inline uint32_t light_level(int level) noexcept {
  return static_cast<uint32_t>(std::clamp(level, 0, 255));
}

template <class Target>
void draw_sprite_lit(bitmap *bmp, bitmap *sprite, int x, int y, int level) noexcept {
  if (!sprite_has_bytes(sprite, Target::bytes)) return;
  const uint32_t n = light_level(level);
  if constexpr (Target::depth == 8) {
    const unsigned char *shade = shade_table;
    if (shade == nullptr) return;
    const unsigned char *row = shade + (n << 8);
    for_sprite_pixels<Target, Target, false, false, false>(
        bmp, sprite, x, y, [row](const unsigned char *, unsigned char *w, uint32_t s) {
          if (s != 0) *w = row[s];
        });
  } else {
    const blender_func hook = translucent_hook<Target>();
    if (hook == nullptr) return;
    const uint32_t color = blend_color_of<Target>();
    const uint32_t mask = sprite_mask(sprite);
    for_sprite_pixels<Target, Target, false, false, false>(
        bmp, sprite, x, y,
        [hook, color, n, mask](const unsigned char *, unsigned char *w, uint32_t s) {
          if (s != mask) Target::store(w, hook(color, s, n));
        });
  }
}

// Slot 43: light levels at the four corners (top left, top right, bottom right, bottom left),
// interpolated down the two edges and then across each row in 16.16 fixed point.
template <class Target>
void draw_sprite_gouraud(bitmap *bmp, bitmap *sprite, int x, int y, int c1, int c2, int c3,
                         int c4) noexcept {
  if (!sprite_has_bytes(sprite, Target::bytes)) return;
  const int width = sprite->width;
  const int height = sprite->height;
  // A sprite without pixels has no steps to divide out.
  if (width <= 0 || height <= 0) return;
  const unsigned char *shade = nullptr;
  blender_func hook = nullptr;
  if constexpr (Target::depth == 8) {
    shade = shade_table;
    if (shade == nullptr) return;
  } else {
    hook = translucent_hook<Target>();
    if (hook == nullptr) return;
  }
  sprite_area a;
  if (!place_sprite(bmp, width, height, x, y, a)) return;
  const auto mask = static_cast<uint32_t>(bmp->vtable->mask_color);
  const uint32_t color = blend_color_of<Target>();

  const int64_t l1 = light_level(c1);
  const int64_t l2 = light_level(c2);
  const int64_t l3 = light_level(c3);
  const int64_t l4 = light_level(c4);
  const int64_t left_step = (l4 - l1) * 65536 / height;
  const int64_t right_step = (l3 - l2) * 65536 / height;
  int64_t left = l1 * 65536 + left_step * a.source_y;
  int64_t right = l2 * 65536 + right_step * a.source_y;

  const target_rows rows(bmp);
  const size_t at = static_cast<size_t>(a.x) * Target::bytes;
  for (int r = 0; r < a.height; ++r) {
    const int64_t step = (right - left) / width;
    int64_t value = left + step * a.source_x;
    const unsigned char *src =
        sprite->lines[a.source_y + r] + static_cast<size_t>(a.source_x) * Target::bytes;
    unsigned char *dest = rows.write(a.y + r) + at;
    for (int c = 0; c < a.width; ++c, value += step) {
      const uint32_t s = Target::load(src + static_cast<size_t>(c) * Target::bytes);
      if (s == mask) continue;
      const auto level =
          static_cast<uint32_t>(std::clamp<int64_t>((value >> 16) + ((value >> 15) & 1), 0, 255));
      unsigned char *d = dest + static_cast<size_t>(c) * Target::bytes;
      if constexpr (Target::depth == 8) {
        *d = shade[(level << 8) | s];
      } else {
        Target::store(d, hook(s, color, level));
      }
    }
    left += left_step;
    right += right_step;
  }
}

// ---- Run-length sprites
// --------------------------------------------------------------------------

// The storage unit of a depth's run data.
template <int Bytes>
struct run_unit;
template <>
struct run_unit<1> {
  static constexpr size_t size = 1;
  static uint32_t load(const unsigned char *p) noexcept { return *p; }
  static int64_t as_count(uint32_t u) noexcept { return static_cast<int8_t>(u); }
};
template <>
struct run_unit<2> {
  static constexpr size_t size = 2;
  static uint32_t load(const unsigned char *p) noexcept {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  static int64_t as_count(uint32_t u) noexcept { return static_cast<int16_t>(u); }
};
template <>
struct run_unit<4> {
  static constexpr size_t size = 4;
  static uint32_t load(const unsigned char *p) noexcept {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
  static int64_t as_count(uint32_t u) noexcept { return static_cast<int32_t>(u); }
};

// The unit size of a depth's run data: 1 at 8 bits, 2 at 15 and 16, 4 at 24 and 32.
constexpr int run_unit_bytes(int pixel_bytes) noexcept {
  return pixel_bytes == 3 ? 4 : pixel_bytes;
}

// The end-of-row marker of a depth: its mask colour.
inline uint32_t run_marker(int depth) noexcept {
  switch (depth) {
    case 15:
      return MASK_COLOR_15;
    case 16:
      return MASK_COLOR_16;
    case 24:
      return MASK_COLOR_24;
    case 32:
      return MASK_COLOR_32;
    default:
      return MASK_COLOR_8;
  }
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
  sprite_area a;
  if (!place_sprite(bmp, sprite->width, sprite->height, x, y, a)) return;
  const uint32_t marker = run_marker(sprite->color_depth);
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
  return sprite != nullptr && bytes_per_pixel_of_depth(sprite->color_depth) == bytes &&
         (sprite->color_depth == 8 || sprite->color_depth == 15 || sprite->color_depth == 16 ||
          sprite->color_depth == 24 || sprite->color_depth == 32);
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
    for_run_spans<Target, Target::bytes, false>(
        bmp, sprite, x, y,
        [](const unsigned char *, unsigned char *w, const unsigned char *units, size_t count) {
          std::memcpy(w, units, count * Target::bytes);
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
    const blender_func hook = translucent_hook<Target>();
    if (hook == nullptr) return;
    const auto n = static_cast<uint32_t>(blend_weight);
    const auto op = [hook, n](const unsigned char *r, unsigned char *w, uint32_t s) {
      Target::store(w, hook(s, Target::load(r), n));
    };
    if (run_sprite_has_bytes(sprite, 1)) {
      for_run_pixels<Target, 1, true>(bmp, sprite, x, y, op);
    } else if (run_sprite_has_bytes(sprite, Target::bytes)) {
      for_run_pixels<Target, run_unit_bytes(Target::bytes), true>(bmp, sprite, x, y, op);
    }
  }
}

template <class Target>
void draw_rle_alpha(bitmap *bmp, const run_sprite *sprite, int x, int y) noexcept {
  const blender_func hook = alpha_sprite_hook<Target>();
  if (hook == nullptr || sprite == nullptr || sprite->color_depth != 32) return;
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
    const blender_func hook = translucent_hook<Target>();
    if (hook == nullptr) return;
    const uint32_t color = blend_color_of<Target>();
    for_run_pixels<Target, run_unit_bytes(Target::bytes), false>(
        bmp, sprite, x, y, [hook, color, n](const unsigned char *, unsigned char *w, uint32_t s) {
          Target::store(w, hook(color, s, n));
        });
  }
}

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_SPRITE_ROUTINES_H
