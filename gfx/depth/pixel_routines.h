// The per-depth pixel, line, clear and blit routines, written once over a pixel-traits type and
// compiled for every depth in pixel_routines.cpp. They honour the drawing mode, read and write rows
// through the bitmap's line accessors and call release_line once per call. Also the helpers that
// every per-depth routine shares: row access and the rectangle a routine may draw in.
#ifndef CORVANE_GFX_DEPTH_PIXEL_ROUTINES_H
#define CORVANE_GFX_DEPTH_PIXEL_ROUTINES_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "corvane/bitmap.h"
#include "corvane/blend.h"
#include "corvane/draw.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {

// The release_line of every built-in table: memory needs no release.
void release_line_noop(bitmap *bmp) noexcept;

// The two end-marker slots.
void end_marker_noop() noexcept;

// Row access. The default accessor of memory bitmaps is inlined here; any other accessor is
// called as the bitmap says.
inline unsigned char *write_row(bitmap *bmp, int row) noexcept {
  return bmp->write_line == default_line_accessor ? bmp->lines[row] : bmp->write_line(bmp, row);
}
inline unsigned char *read_row(bitmap *bmp, int row) noexcept {
  return bmp->read_line == default_line_accessor ? bmp->lines[row] : bmp->read_line(bmp, row);
}
inline void release_rows(bitmap *bmp) noexcept {
  void (*release)(bitmap *) = bmp->vtable->release_line;
  if (release != nullptr && release != release_line_noop) release(bmp);
}

// The rectangle a drawing routine may write: the clip rectangle when clipping is on, else the
// whole bitmap (never more, so that a bitmap with clipping off cannot be drawn outside of).
struct drawable_area {
  int left;
  int top;
  int right;   // one past the last column
  int bottom;  // one past the last row
};

inline drawable_area drawable_bounds(const bitmap *bmp) noexcept {
  if (bmp->clipping != 0) {
    return {std::max(bmp->clip_left, 0), std::max(bmp->clip_top, 0),
            std::min(bmp->clip_right, bmp->width), std::min(bmp->clip_bottom, bmp->height)};
  }
  return {0, 0, bmp->width, bmp->height};
}

// Where a width x height image placed with its top-left corner at (x, y) lands on bmp: the target
// rectangle that may be drawn and the image column and row of its top-left corner. False when no
// part of the image is drawable. Sprites and glyphs are placed this way.
struct placed_area {
  int x;         // first target column
  int y;         // first target row
  int width;     // columns to draw
  int height;    // rows to draw
  int source_x;  // first image column
  int source_y;  // first image row
};

inline bool place_image(const bitmap *bmp, int image_width, int image_height, int x, int y,
                        placed_area &area) noexcept {
  if (image_width <= 0 || image_height <= 0) return false;
  const drawable_area d = drawable_bounds(bmp);
  const int64_t left = std::max<int64_t>(x, d.left);
  const int64_t top = std::max<int64_t>(y, d.top);
  const int64_t right = std::min<int64_t>(int64_t{x} + image_width, d.right);
  const int64_t bottom = std::min<int64_t>(int64_t{y} + image_height, d.bottom);
  if (right <= left || bottom <= top) return false;
  area = {static_cast<int>(left),         static_cast<int>(top),
          static_cast<int>(right - left), static_cast<int>(bottom - top),
          static_cast<int>(left - x),     static_cast<int>(top - y)};
  return true;
}

// The pattern row for target row y, or null when the pattern modes cannot draw: no pattern, a
// pattern whose pixels have another size than the target's, or masks that do not fit it.
template <class Pixel>
const unsigned char *pattern_row(int y) noexcept {
  const bitmap *pattern = draw_pattern;
  if (pattern == nullptr || pattern->vtable == nullptr ||
      bytes_per_pixel_of_depth(pattern->vtable->color_depth) != Pixel::bytes ||
      pattern_x_mask >= static_cast<uint32_t>(pattern->width) ||
      pattern_y_mask >= static_cast<uint32_t>(pattern->height)) {
    return nullptr;
  }
  const uint32_t row =
      (static_cast<uint32_t>(y) - static_cast<uint32_t>(pattern_y_anchor)) & pattern_y_mask;
  return pattern->lines[row];
}

inline uint32_t pattern_column(int x) noexcept {
  return (static_cast<uint32_t>(x) - static_cast<uint32_t>(pattern_x_anchor)) & pattern_x_mask;
}

// MODE_TRANSLUCENT for one pixel: shade_table at 8 bits, the depth's blender elsewhere. The
// callers make sure the table or hook exists (translucent_ready).
template <class Pixel>
uint32_t translucent(uint32_t color, uint32_t old, blender_func hook) noexcept {
  if constexpr (Pixel::depth == 8) {
    return shade_table[((color & 255u) << 8) | (old & 255u)];
  } else {
    return hook(color, old, static_cast<uint32_t>(blend_weight));
  }
}

template <class Pixel>
bool translucent_ready(blender_func hook) noexcept {
  if constexpr (Pixel::depth == 8) {
    return shade_table != nullptr;
  } else {
    return hook != nullptr;
  }
}

// The pattern modes for one pixel: S is the pattern pixel, C the drawing colour; target() gives the
// pixel's address and is called only when the pixel is written.
template <class Pixel, class Target>
void store_pattern_pixel(Target target, int mode, uint32_t s, uint32_t c) noexcept {
  if (mode == MODE_PATTERN_COPY) {
    Pixel::store(target(), s);
  } else if (mode == MODE_PATTERN_SOLID) {
    Pixel::store(target(), s == Pixel::mask ? Pixel::mask : c);
  } else if (s != Pixel::mask) {
    Pixel::store(target(), c);
  }
}

template <class Pixel>
int get_pixel(bitmap *bmp, int x, int y) noexcept {
  if (x < 0 || x >= bmp->width || y < 0 || y >= bmp->height) return -1;
  const uint32_t value = Pixel::load(read_row(bmp, y) + static_cast<size_t>(x) * Pixel::bytes);
  release_rows(bmp);
  return static_cast<int>(value);
}

template <class Pixel>
void put_pixel(bitmap *bmp, int x, int y, int color) noexcept {
  const drawable_area area = drawable_bounds(bmp);
  if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) return;
  const int mode = draw_mode;
  const auto c = static_cast<uint32_t>(color);
  const size_t at = static_cast<size_t>(x) * Pixel::bytes;
  switch (mode) {
    case MODE_SOLID:
      Pixel::store(write_row(bmp, y) + at, c);
      break;
    case MODE_XOR: {
      const uint32_t old = Pixel::load(read_row(bmp, y) + at);
      Pixel::store(write_row(bmp, y) + at, old ^ c);
      break;
    }
    case MODE_TRANSLUCENT: {
      const blender_func hook = Pixel::blender();
      if (!translucent_ready<Pixel>(hook)) break;
      const uint32_t old = Pixel::load(read_row(bmp, y) + at);
      Pixel::store(write_row(bmp, y) + at, translucent<Pixel>(c, old, hook));
      break;
    }
    case MODE_PATTERN_COPY:
    case MODE_PATTERN_SOLID:
    case MODE_PATTERN_MASKED: {
      const unsigned char *pattern = pattern_row<Pixel>(y);
      if (pattern == nullptr) break;
      const uint32_t s = Pixel::load(pattern + pattern_column(x) * Pixel::bytes);
      store_pattern_pixel<Pixel>([bmp, y, at] { return write_row(bmp, y) + at; }, mode, s, c);
      break;
    }
    default:
      break;
  }
  release_rows(bmp);
}

template <class Pixel>
void draw_vline(bitmap *bmp, int x, int y1, int y2, int color) noexcept {
  if (y2 < y1) std::swap(y1, y2);
  const drawable_area area = drawable_bounds(bmp);
  y1 = std::max(y1, area.top);
  y2 = std::min(y2, area.bottom - 1);
  if (x < area.left || x >= area.right || y2 < y1) return;
  if (draw_mode == MODE_SOLID) {
    const auto c = static_cast<uint32_t>(color);
    const size_t at = static_cast<size_t>(x) * Pixel::bytes;
    for (int y = y1;; ++y) {
      Pixel::store(write_row(bmp, y) + at, c);
      if (y == y2) break;
    }
    release_rows(bmp);
    return;
  }
  // The other modes go pixel by pixel; the rectangle was clipped above already.
  const int clipping = bmp->clipping;
  bmp->clipping = 0;
  for (int y = y1;; ++y) {
    put_pixel<Pixel>(bmp, x, y, color);
    if (y == y2) break;
  }
  bmp->clipping = clipping;
}

// draw_hline in every mode and through the line accessors. Kept out of line so that the solid fill
// of a memory bitmap, by far the most frequent use, stays a short routine that saves no registers.
template <class Pixel>
[[gnu::noinline]] void draw_hline_general(bitmap *bmp, int x1, int y, int x2, int color) noexcept {
  if (x2 < x1) std::swap(x1, x2);
  const drawable_area area = drawable_bounds(bmp);
  x1 = std::max(x1, area.left);
  x2 = std::min(x2, area.right - 1);
  if (x2 < x1 || y < area.top || y >= area.bottom) return;
  const auto c = static_cast<uint32_t>(color);
  const size_t count = static_cast<size_t>(int64_t{x2} - x1 + 1);
  const size_t at = static_cast<size_t>(x1) * Pixel::bytes;
  const int mode = draw_mode;
  if (mode == MODE_SOLID) {
    Pixel::fill(write_row(bmp, y) + at, c, count);
    release_rows(bmp);
    return;
  }
  switch (mode) {
    case MODE_XOR: {
      const unsigned char *source = read_row(bmp, y) + at;
      unsigned char *dest = write_row(bmp, y) + at;
      for (size_t i = 0; i < count; ++i) {
        Pixel::store(dest + i * Pixel::bytes, Pixel::load(source + i * Pixel::bytes) ^ c);
      }
      break;
    }
    case MODE_TRANSLUCENT: {
      const blender_func hook = Pixel::blender();
      if (!translucent_ready<Pixel>(hook)) break;
      const unsigned char *source = read_row(bmp, y) + at;
      unsigned char *dest = write_row(bmp, y) + at;
      for (size_t i = 0; i < count; ++i) {
        const uint32_t old = Pixel::load(source + i * Pixel::bytes);
        Pixel::store(dest + i * Pixel::bytes, translucent<Pixel>(c, old, hook));
      }
      break;
    }
    case MODE_PATTERN_COPY:
    case MODE_PATTERN_SOLID:
    case MODE_PATTERN_MASKED: {
      const unsigned char *pattern = pattern_row<Pixel>(y);
      if (pattern == nullptr) break;
      const uint32_t wrap = pattern_x_mask;
      uint32_t column = pattern_column(x1);
      unsigned char *dest = write_row(bmp, y) + at;
      for (size_t i = 0; i < count; ++i, column = (column + 1) & wrap) {
        const uint32_t s = Pixel::load(pattern + column * Pixel::bytes);
        unsigned char *d = dest + i * Pixel::bytes;
        store_pattern_pixel<Pixel>([d] { return d; }, mode, s, c);
      }
      break;
    }
    default:
      break;
  }
  release_rows(bmp);
}

// draw_hline's own work: the solid fill of a memory bitmap, by far the most frequent use, stores a
// short row inline (fill_row); every other mode and any line accessor or release_line goes to
// draw_hline_general.
template <class Pixel>
[[gnu::always_inline]] inline void draw_hline_solid_first(bitmap *bmp, int x1, int y, int x2,
                                                          int color) noexcept {
  if (draw_mode != MODE_SOLID || bmp->write_line != default_line_accessor) {
    draw_hline_general<Pixel>(bmp, x1, y, x2, color);
    return;
  }
  void (*const release)(bitmap *) = bmp->vtable->release_line;
  if (release != nullptr && release != release_line_noop) {
    draw_hline_general<Pixel>(bmp, x1, y, x2, color);
    return;
  }
  if (x2 < x1) std::swap(x1, x2);
  const drawable_area area = drawable_bounds(bmp);
  x1 = std::max(x1, area.left);
  x2 = std::min(x2, area.right - 1);
  if (x2 < x1 || y < area.top || y >= area.bottom) return;
  Pixel::fill_row(bmp->lines[y] + static_cast<size_t>(x1) * Pixel::bytes,
                  static_cast<uint32_t>(color), static_cast<size_t>(int64_t{x2} - x1 + 1));
}

// draw_hline of each depth is defined in pixel_routines.cpp, compiled for each instruction set
// (but at 24 bits, whose fill has its own copies): the table's call reaches the copy for the
// processor, which stores a short row itself.
template <class Pixel>
void draw_hline(bitmap *bmp, int x1, int y, int x2, int color) noexcept;
template <>
void draw_hline<pixel8>(bitmap *bmp, int x1, int y, int x2, int color) noexcept;
template <>
void draw_hline<pixel15>(bitmap *bmp, int x1, int y, int x2, int color) noexcept;
template <>
void draw_hline<pixel16>(bitmap *bmp, int x1, int y, int x2, int color) noexcept;
template <>
void draw_hline<pixel24>(bitmap *bmp, int x1, int y, int x2, int color) noexcept;
template <>
void draw_hline<pixel32>(bitmap *bmp, int x1, int y, int x2, int color) noexcept;

// Depends on the pixel size only: Pixel is a storage type, so 15 and 16 bits share it.
template <class Pixel>
void clear_to_color(bitmap *bmp, int color) noexcept {
  // The clip rectangle whether or not clipping is on (kept within the bitmap).
  const int left = std::max(bmp->clip_left, 0);
  const int right = std::min(bmp->clip_right, bmp->width);
  const int top = std::max(bmp->clip_top, 0);
  const int bottom = std::min(bmp->clip_bottom, bmp->height);
  if (right <= left || bottom <= top) return;
  const auto c = static_cast<uint32_t>(color);
  // A memory bitmap that owns its pixels keeps its rows back to back: a clip rectangle as wide as
  // the bitmap is one run.
  if (bmp->pixels != nullptr && bmp->write_line == default_line_accessor && left == 0 &&
      right == bmp->width) {
    const size_t row_bytes = static_cast<size_t>(bmp->width) * Pixel::bytes;
    if (bmp->lines[bottom - 1] ==
        bmp->lines[top] + row_bytes * static_cast<size_t>(bottom - 1 - top)) {
      Pixel::fill(bmp->lines[top], c, static_cast<size_t>(bmp->width) * (bottom - top));
      release_rows(bmp);
      return;
    }
  }
  const size_t count = static_cast<size_t>(right - left);
  const size_t at = static_cast<size_t>(left) * Pixel::bytes;
  for (int y = top; y < bottom; ++y) {
    Pixel::fill(write_row(bmp, y) + at, c, count);
  }
  release_rows(bmp);
}

// Ends the accesses of a blit: the source's, then the destination's when it is another bitmap.
inline void release_blit_rows(bitmap *source, bitmap *dest) noexcept {
  release_rows(source);
  if (dest != source) release_rows(dest);
}

// The copy blits and the masked blit depend on the pixel size only: Storage is a storage type, so
// 15 and 16 bits share them.
// The start of a block of rows that lie back to back in memory, bytes apart, as a whole-width
// area of a memory bitmap does; null when the rows must be taken one by one.
inline unsigned char *back_to_back_rows(bitmap *bmp, size_t at, int y, int height,
                                        size_t bytes) noexcept {
  if (bmp->read_line != default_line_accessor || bmp->write_line != default_line_accessor) {
    return nullptr;
  }
  unsigned char *const first = bmp->lines[y];
  if (bmp->lines[y + 1] != first + bytes ||
      bmp->lines[y + height - 1] != first + bytes * static_cast<size_t>(height - 1)) {
    return nullptr;
  }
  return first + at;
}

template <class Storage>
void blit_copy(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x, int dest_y,
               int width, int height) noexcept {
  if (width <= 0 || height <= 0) return;
  const size_t bytes = static_cast<size_t>(width) * Storage::bytes;
  const size_t from = static_cast<size_t>(source_x) * Storage::bytes;
  const size_t to = static_cast<size_t>(dest_x) * Storage::bytes;
  // A blit of whole rows between bitmaps whose rows are back to back, the usual copy of a back
  // buffer, is one move. Onto the same memory it is so only where the rows go upwards: there the
  // row-by-row order too reads each row before overwriting it, whereas downwards it repeats rows.
  if (height > 1 && source_x == 0 && dest_x == 0 && width == source->width &&
      width == dest->width) {
    const unsigned char *s = back_to_back_rows(source, from, source_y, height, bytes);
    unsigned char *d = back_to_back_rows(dest, to, dest_y, height, bytes);
    const size_t total = bytes * static_cast<size_t>(height);
    const auto s_at = reinterpret_cast<uintptr_t>(s);
    const auto d_at = reinterpret_cast<uintptr_t>(d);
    if (s != nullptr && d != nullptr && (d_at <= s_at || d_at - s_at >= total)) {
      std::memmove(d, s, total);
      release_blit_rows(source, dest);
      return;
    }
  }
  for (int r = 0; r < height; ++r) {
    const unsigned char *s = read_row(source, source_y + r) + from;
    std::memmove(write_row(dest, dest_y + r) + to, s, bytes);
  }
  release_blit_rows(source, dest);
}

template <class Storage>
void blit_copy_backward(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x,
                        int dest_y, int width, int height) noexcept {
  if (width <= 0 || height <= 0) return;
  const size_t bytes = static_cast<size_t>(width) * Storage::bytes;
  const size_t from = static_cast<size_t>(source_x) * Storage::bytes;
  const size_t to = static_cast<size_t>(dest_x) * Storage::bytes;
  for (int r = height - 1; r >= 0; --r) {
    const unsigned char *s = read_row(source, source_y + r) + from;
    std::memmove(write_row(dest, dest_y + r) + to, s, bytes);
  }
  release_blit_rows(source, dest);
}

// Stores the source pixels that differ from mask and leaves the others alone, without reading the
// destination: a write window need not be readable.
template <class Storage>
void store_unmasked(unsigned char *dest, const unsigned char *source, size_t count,
                    uint32_t mask) noexcept {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t s = Storage::load(source + i * Storage::bytes);
    if (s != mask) Storage::store(dest + i * Storage::bytes, s);
  }
}

// The mask colour is the destination table's. Memory rows take the vectorised masked copy, which
// reads the destination; rows reached through another write accessor get only the visible pixels
// stored.
template <class Storage>
void blit_masked(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x, int dest_y,
                 int width, int height) noexcept {
  if (width <= 0 || height <= 0) return;
  const auto mask = static_cast<uint32_t>(dest->vtable->mask_color);
  const size_t count = static_cast<size_t>(width);
  const size_t from = static_cast<size_t>(source_x) * Storage::bytes;
  const size_t to = static_cast<size_t>(dest_x) * Storage::bytes;
  if (dest->write_line == default_line_accessor) {
    for (int r = 0; r < height; ++r) {
      const unsigned char *s = read_row(source, source_y + r) + from;
      Storage::copy_masked(dest->lines[dest_y + r] + to, s, count, mask);
    }
  } else {
    for (int r = 0; r < height; ++r) {
      const unsigned char *s = read_row(source, source_y + r) + from;
      store_unmasked<Storage>(write_row(dest, dest_y + r) + to, s, count, mask);
    }
  }
  release_blit_rows(source, dest);
}

// Each depth's routines are compiled once, in pixel_routines.cpp, with the hot-path optimisation;
// the drawing tables only take their addresses.
// The arguments are a declaration prefix and a type, which cannot take parentheses.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define CORVANE_PIXEL_ROUTINES(PREFIX, Pixel)                           \
  PREFIX int get_pixel<Pixel>(bitmap *, int, int) noexcept;             \
  PREFIX void put_pixel<Pixel>(bitmap *, int, int, int) noexcept;       \
  PREFIX void draw_vline<Pixel>(bitmap *, int, int, int, int) noexcept;
#define CORVANE_STORAGE_ROUTINES(PREFIX, Storage)                                            \
  PREFIX void clear_to_color<Storage>(bitmap *, int) noexcept;                               \
  PREFIX void blit_copy<Storage>(bitmap *, bitmap *, int, int, int, int, int, int) noexcept; \
  PREFIX void blit_copy_backward<Storage>(bitmap *, bitmap *, int, int, int, int, int,       \
                                          int) noexcept;                                     \
  PREFIX void blit_masked<Storage>(bitmap *, bitmap *, int, int, int, int, int, int) noexcept;
// NOLINTEND(bugprone-macro-parentheses)

CORVANE_PIXEL_ROUTINES(extern template, pixel8)
CORVANE_PIXEL_ROUTINES(extern template, pixel15)
CORVANE_PIXEL_ROUTINES(extern template, pixel16)
CORVANE_PIXEL_ROUTINES(extern template, pixel24)
CORVANE_PIXEL_ROUTINES(extern template, pixel32)
CORVANE_STORAGE_ROUTINES(extern template, pixel_byte)
CORVANE_STORAGE_ROUTINES(extern template, pixel_word16)
CORVANE_STORAGE_ROUTINES(extern template, pixel_bytes24)
CORVANE_STORAGE_ROUTINES(extern template, pixel_word32)

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_PIXEL_ROUTINES_H
