// The sprite routines of the drawing tables (plain, flipped, 8-bit through the palette,
// translucent, alpha, lit and gouraud-lit), written once over the target's pixel traits and
// compiled for every depth in sprite_routines.cpp; the run-length forms are in
// rle_sprite_routines.h.
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
#include "gfx/depth/blend_fast_paths.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {

// ---- Row access ---------------------------------------------------------------------------------

// The target's rows: through the line accessors for display and system bitmaps, straight from the
// line table for memory bitmaps.
class target_rows {
 public:
  explicit target_rows(bitmap *bmp) noexcept : bmp_(bmp), accessors_(uses_accessors(bmp)) {}
  // Display and system bitmaps: their rows are reached through the line accessors.
  static bool uses_accessors(const bitmap *bmp) noexcept {
    return (bmp->flags & (BITMAP_FLAG_VIDEO | BITMAP_FLAG_SYSTEM)) != 0;
  }
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
  placed_area a;
  if (!place_image(bmp, sprite->width, sprite->height, x, y, a)) return;
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

// The plain and flipped sprites and the 8-bit sprite through the palette depend on the pixel size
// only: Target is a storage type, so 15 and 16 bits share them (the mask colour is the target
// table's).

// Slot 17.
template <class Target>
void draw_sprite(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if (!sprite_has_bytes(sprite, Target::bytes)) return;
  const auto mask = static_cast<uint32_t>(bmp->vtable->mask_color);
  placed_area a;
  if (!place_image(bmp, sprite->width, sprite->height, x, y, a)) return;
  const target_rows rows(bmp);
  const size_t at = static_cast<size_t>(a.x) * Target::bytes;
  const size_t from = static_cast<size_t>(a.source_x) * Target::bytes;
  const auto count = static_cast<size_t>(a.width);
  for (int r = 0; r < a.height; ++r) {
    const unsigned char *src = sprite->lines[a.source_y + r] + from;
    unsigned char *dest = rows.write(a.y + r) + at;
    if (rows.through_accessors()) {
      store_unmasked<Target>(dest, src, count, mask);
    } else {
      Target::copy_masked(dest, src, count, mask);
    }
  }
}

// Memory rows take the vectorised masked copies (read backwards when flipped across); rows behind
// accessors get only the visible pixels stored, one at a time.
template <class Target, bool HFlip, bool VFlip>
void draw_sprite_flipped(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if (!sprite_has_bytes(sprite, Target::bytes)) return;
  const auto mask = static_cast<uint32_t>(bmp->vtable->mask_color);
  if (target_rows::uses_accessors(bmp)) {
    for_sprite_pixels<Target, Target, HFlip, VFlip, false>(
        bmp, sprite, x, y, [mask](const unsigned char *, unsigned char *w, uint32_t s) {
          if (s != mask) Target::store(w, s);
        });
    return;
  }
  placed_area a;
  if (!place_image(bmp, sprite->width, sprite->height, x, y, a)) return;
  const size_t at = static_cast<size_t>(a.x) * Target::bytes;
  // The source pixel landing on the first visible target column.
  const int first = HFlip ? sprite->width - 1 - a.source_x : a.source_x;
  const size_t from = static_cast<size_t>(first) * Target::bytes;
  const auto count = static_cast<size_t>(a.width);
  for (int r = 0; r < a.height; ++r) {
    const int sy = VFlip ? sprite->height - 1 - a.source_y - r : a.source_y + r;
    const unsigned char *src = sprite->lines[sy] + from;
    unsigned char *dest = bmp->lines[a.y + r] + at;
    if (HFlip) {
      Target::copy_masked_reversed(dest, src, count, mask);
    } else {
      Target::copy_masked(dest, src, count, mask);
    }
  }
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
  for_sprite_pixels<Target, pixel_byte, false, false, false>(
      bmp, sprite, x, y, [table](const unsigned char *, unsigned char *w, uint32_t s) {
        if (s != 0) Target::store(w, table[s]);
      });
}

// ---- Translucent, alpha and lit sprites ---------------------------------------------------------

// Blends the visible rows of a sprite onto a memory bitmap through the fast path of the operation,
// the depths and the blender, if the table has one. False when the routine must blend pixel by
// pixel; true when the fast path drew (or found nothing visible).
template <class Target>
bool blend_sprite_rows(blend_op op, bitmap *bmp, const bitmap *sprite, int source_depth,
                       blender_func blender, int x, int y, uint32_t mask) noexcept {
  if ((bmp->flags & (BITMAP_FLAG_VIDEO | BITMAP_FLAG_SYSTEM)) != 0) return false;
  const blend_fast_path *path = find_blend_fast_path(op, source_depth, Target::depth, blender);
  uint32_t parameter = 0;
  if (path == nullptr || path->rows == nullptr ||
      !path->prepare(static_cast<uint32_t>(blend_weight), parameter)) {
    return false;
  }
  placed_area a;
  if (!place_image(bmp, sprite->width, sprite->height, x, y, a)) return true;
  const size_t at = static_cast<size_t>(a.x) * Target::bytes;
  const size_t from =
      static_cast<size_t>(a.source_x) * static_cast<size_t>(bytes_per_pixel_of_depth(source_depth));
  const blend_block block{.dest_lines = bmp->lines + a.y,
                          .dest_offset = at,
                          .source_lines = sprite->lines + a.source_y,
                          .source_offset = from,
                          .rows = static_cast<size_t>(a.height),
                          .count = static_cast<size_t>(a.width)};
  path->rows(block, parameter, mask);
  return true;
}

template <class Target>
void draw_sprite_trans(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  if constexpr (Target::depth == 8) {
    const unsigned char *shade = shade_table;
    if (shade == nullptr || !sprite_has_bytes(sprite, 1)) return;
    // Every pixel, 0 included.
    for_sprite_pixels<Target, pixel_byte, false, false, true>(
        bmp, sprite, x, y, [shade](const unsigned char *r, unsigned char *w, uint32_t s) {
          *w = shade[(s << 8) | *r];
        });
  } else {
    const blender_func hook = Target::blender();
    if (hook == nullptr || sprite == nullptr || sprite->vtable == nullptr) return;
    const auto n = static_cast<uint32_t>(blend_weight);
    if (sprite_has_bytes(sprite, 1)) {
      // The bytes of an 8-bit sprite go to the blender as they are (0 is transparent).
      for_sprite_pixels<Target, pixel_byte, false, false, true>(
          bmp, sprite, x, y, [hook, n](const unsigned char *r, unsigned char *w, uint32_t s) {
            if (s != 0) Target::store(w, hook(s, Target::load(r), n));
          });
      return;
    }
    if (!sprite_has_bytes(sprite, Target::bytes)) return;
    const uint32_t mask = sprite_mask(sprite);
    if (blend_sprite_rows<Target>(blend_op::sprite_trans, bmp, sprite, Target::depth, hook, x, y,
                                  mask)) {
      return;
    }
    for_sprite_pixels<Target, Target, false, false, true>(
        bmp, sprite, x, y, [hook, n, mask](const unsigned char *r, unsigned char *w, uint32_t s) {
          if (s != mask) Target::store(w, hook(s, Target::load(r), n));
        });
  }
}

template <class Target>
void draw_sprite_alpha(bitmap *bmp, bitmap *sprite, int x, int y) noexcept {
  const blender_func hook = Target::alpha_blender();
  if (hook == nullptr || !sprite_has_bytes(sprite, 4)) return;
  const auto n = static_cast<uint32_t>(blend_weight);
  if (blend_sprite_rows<Target>(blend_op::sprite_alpha, bmp, sprite, 32, hook, x, y,
                                MASK_COLOR_32)) {
    return;
  }
  for_sprite_pixels<Target, pixel_word32, false, false, true>(
      bmp, sprite, x, y, [hook, n](const unsigned char *r, unsigned char *w, uint32_t s) {
        if (s != MASK_COLOR_32) Target::store(w, hook(s, Target::load(r), n));
      });
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
    const blender_func hook = Target::blender();
    if (hook == nullptr) return;
    const uint32_t color = Target::blend_color();
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
    hook = Target::blender();
    if (hook == nullptr) return;
  }
  placed_area a;
  if (!place_image(bmp, width, height, x, y, a)) return;
  const auto mask = static_cast<uint32_t>(bmp->vtable->mask_color);
  const uint32_t color = Target::blend_color();

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

// Each depth's sprite routines are compiled once, in sprite_routines.cpp, with the hot-path
// optimisation; the drawing tables only take their addresses.
// The arguments are a declaration prefix and a type, which cannot take parentheses.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define CORVANE_SPRITE_ROUTINES(PREFIX, Pixel)                                    \
  PREFIX void draw_sprite_trans<Pixel>(bitmap *, bitmap *, int, int) noexcept;    \
  PREFIX void draw_sprite_lit<Pixel>(bitmap *, bitmap *, int, int, int) noexcept; \
  PREFIX void draw_sprite_gouraud<Pixel>(bitmap *, bitmap *, int, int, int, int, int, int) noexcept;
#define CORVANE_ALPHA_SPRITE_ROUTINES(PREFIX, Pixel) \
  PREFIX void draw_sprite_alpha<Pixel>(bitmap *, bitmap *, int, int) noexcept;
#define CORVANE_STORAGE_SPRITE_ROUTINES(PREFIX, Storage)                         \
  PREFIX void draw_sprite<Storage>(bitmap *, bitmap *, int, int) noexcept;       \
  PREFIX void draw_sprite_vflip<Storage>(bitmap *, bitmap *, int, int) noexcept; \
  PREFIX void draw_sprite_hflip<Storage>(bitmap *, bitmap *, int, int) noexcept; \
  PREFIX void draw_sprite_vhflip<Storage>(bitmap *, bitmap *, int, int) noexcept;
// The 8-bit table puts draw_sprite in slot 18.
#define CORVANE_PALETTE_SPRITE_ROUTINES(PREFIX, Storage) \
  PREFIX void draw_sprite_8bit<Storage>(bitmap *, bitmap *, int, int) noexcept;
// NOLINTEND(bugprone-macro-parentheses)

CORVANE_SPRITE_ROUTINES(extern template, pixel8)
CORVANE_SPRITE_ROUTINES(extern template, pixel15)
CORVANE_SPRITE_ROUTINES(extern template, pixel16)
CORVANE_SPRITE_ROUTINES(extern template, pixel24)
CORVANE_SPRITE_ROUTINES(extern template, pixel32)
CORVANE_ALPHA_SPRITE_ROUTINES(extern template, pixel15)
CORVANE_ALPHA_SPRITE_ROUTINES(extern template, pixel16)
CORVANE_ALPHA_SPRITE_ROUTINES(extern template, pixel24)
CORVANE_ALPHA_SPRITE_ROUTINES(extern template, pixel32)
CORVANE_STORAGE_SPRITE_ROUTINES(extern template, pixel_byte)
CORVANE_STORAGE_SPRITE_ROUTINES(extern template, pixel_word16)
CORVANE_STORAGE_SPRITE_ROUTINES(extern template, pixel_bytes24)
CORVANE_STORAGE_SPRITE_ROUTINES(extern template, pixel_word32)
CORVANE_PALETTE_SPRITE_ROUTINES(extern template, pixel_word16)
CORVANE_PALETTE_SPRITE_ROUTINES(extern template, pixel_bytes24)
CORVANE_PALETTE_SPRITE_ROUTINES(extern template, pixel_word32)

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_SPRITE_ROUTINES_H
