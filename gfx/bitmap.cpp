// Memory and system bitmaps: the one-piece record with its line table, the depth table lookup,
// creation, destruction, the clip rectangle and clearing.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "gfx/bitmap_internal.h"

namespace corvane {

bitmap *allocate_bitmap_record(int height) noexcept {
  if (height < 0) return nullptr;
  const size_t rows = static_cast<size_t>(std::max(height, 2));
  // Records larger than a signed 32-bit size are refused, as are pixel blocks (see below): row
  // offsets of that size are worked out in int by callers.
  if (rows > (static_cast<size_t>(INT_MAX) - sizeof(bitmap)) / sizeof(unsigned char *)) {
    return nullptr;
  }
  // The record's size is a multiple of a pointer's alignment, so the table right behind it is
  // aligned too.
  static_assert(sizeof(bitmap) % alignof(unsigned char *) == 0);
  void *block = std::calloc(1, sizeof(bitmap) + rows * sizeof(unsigned char *));
  if (block == nullptr) return nullptr;
  auto *bmp = static_cast<bitmap *>(block);
  bmp->lines =
      reinterpret_cast<unsigned char **>(static_cast<unsigned char *>(block) + sizeof(bitmap));
  return bmp;
}

}  // namespace corvane

extern "C" {

unsigned char *default_line_accessor(bitmap *bmp, int row) noexcept { return bmp->lines[row]; }

int bytes_per_pixel_of_depth(int depth) noexcept {
  if (depth <= 8) return 1;
  if (depth <= 16) return 2;
  if (depth <= 24) return 3;
  return 4;
}

int bitmap_color_depth(const bitmap *bmp) noexcept {
  return (bmp != nullptr && bmp->vtable != nullptr) ? bmp->vtable->color_depth : 0;
}

draw_vtable *find_vtable(int depth) noexcept {
  if (current_system_driver != nullptr && current_system_driver->find_vtable_override != nullptr) {
    if (draw_vtable *vtable = current_system_driver->find_vtable_override(depth)) return vtable;
  }
  for (const vtable_by_depth_entry *entry = vtable_by_depth; entry->vtable != nullptr; ++entry) {
    if (entry->depth == depth) return entry->vtable;
  }
  return nullptr;
}

bitmap *create_bitmap_at_depth(int depth, int width, int height) noexcept {
  if (current_system_driver != nullptr &&
      current_system_driver->create_bitmap_override != nullptr) {
    return current_system_driver->create_bitmap_override(depth, width, height);
  }
  draw_vtable *vtable = find_vtable(depth);
  if (vtable == nullptr || width < 0 || height < 0) return nullptr;

  const size_t pixel_size = static_cast<size_t>(bytes_per_pixel_of_depth(depth));
  const size_t w = static_cast<size_t>(width);
  const size_t h = static_cast<size_t>(height);
  const size_t row_bytes = pixel_size * w;
  if (h != 0 && row_bytes > (static_cast<size_t>(INT_MAX) - 1) / h) return nullptr;
  // At 24 bits one byte more, so that a 32-bit read of the last pixel stays inside the block.
  const size_t block_size = row_bytes * h + (depth == 24 ? 1 : 0);

  bitmap *bmp = corvane::allocate_bitmap_record(height);
  if (bmp == nullptr) return nullptr;
  auto *pixels = static_cast<unsigned char *>(std::malloc(block_size == 0 ? 1 : block_size));
  if (pixels == nullptr) {
    std::free(bmp);
    return nullptr;
  }

  bmp->width = width;
  bmp->height = height;
  bmp->clipping = -1;
  bmp->clip_left = 0;
  bmp->clip_right = width;
  bmp->clip_top = 0;
  bmp->clip_bottom = height;
  bmp->vtable = vtable;
  bmp->write_line = default_line_accessor;
  bmp->read_line = default_line_accessor;
  bmp->pixels = pixels;
  for (size_t row = 0; row < h; ++row) bmp->lines[row] = pixels + row * row_bytes;
  if (h == 0) bmp->lines[0] = pixels;

  if (current_system_driver != nullptr && current_system_driver->bitmap_created != nullptr) {
    current_system_driver->bitmap_created(bmp);
  }
  return bmp;
}

bitmap *create_bitmap(int width, int height) noexcept {
  return create_bitmap_at_depth(current_color_depth, width, height);
}

bitmap *create_system_bitmap(int width, int height) noexcept {
  if (current_gfx_driver == nullptr) return nullptr;
  if (current_gfx_driver->make_system_bitmap != nullptr) {
    return current_gfx_driver->make_system_bitmap(width, height);
  }
  bitmap *bmp = create_bitmap(width, height);
  if (bmp != nullptr) bmp->flags |= BITMAP_FLAG_SYSTEM;
  return bmp;
}

void destroy_bitmap(bitmap *bmp) noexcept {
  if (bmp == nullptr) return;
  corvane::release_family_number(bmp);

  if ((bmp->flags & BITMAP_FLAG_VIDEO) != 0) {
    video_bitmap_node *previous = nullptr;
    video_bitmap_node *node = video_bitmap_list;
    while (node != nullptr && node->bmp != bmp) {
      previous = node;
      node = node->next;
    }
    if (node != nullptr) {
      (previous != nullptr ? previous->next : video_bitmap_list) = node->next;
      if (node->x < 0) {
        std::free(node);
        if (current_gfx_driver != nullptr && current_gfx_driver->free_video_bitmap != nullptr) {
          current_gfx_driver->free_video_bitmap(bmp);
        }
        return;
      }
      // Room came free: requests up to about twice the old failure are worth a search again.
      const int64_t width16 = (static_cast<int64_t>(bmp->width) + 15) & ~int64_t{15};
      corvane::failed_video_width = static_cast<int>(std::min<int64_t>(
          2 * int64_t{corvane::failed_video_width} + width16, corvane::VIDEO_SEARCH_LIMIT));
      corvane::failed_video_height = static_cast<int>(std::min<int64_t>(
          2 * int64_t{corvane::failed_video_height} + bmp->height, corvane::VIDEO_SEARCH_LIMIT));
      std::free(node);
    }
    unregister_switch_bitmap(bmp);
  } else if ((bmp->flags & BITMAP_FLAG_SYSTEM) != 0 && current_gfx_driver != nullptr &&
             current_gfx_driver->free_system_bitmap != nullptr) {
    current_gfx_driver->free_system_bitmap(bmp);
    return;
  }

  if (current_system_driver != nullptr &&
      current_system_driver->destroy_bitmap_override != nullptr &&
      current_system_driver->destroy_bitmap_override(bmp) != 0) {
    return;
  }
  std::free(bmp->pixels);
  std::free(bmp);
}

void set_clip_bounds(bitmap *bmp, int x1, int y1, int x2, int y2) noexcept {
  if (bmp == nullptr) return;
  // Upper bound first, then 0, so an empty bitmap gets an empty rectangle at 0.
  const auto clamp = [](int64_t value, int64_t upper) {
    return static_cast<int>(std::max<int64_t>(std::min(value, upper), 0));
  };
  bmp->clip_left = clamp(x1, int64_t{bmp->width} - 1);
  bmp->clip_top = clamp(y1, int64_t{bmp->height} - 1);
  bmp->clip_right = clamp(int64_t{x2} + 1, bmp->width);
  bmp->clip_bottom = clamp(int64_t{y2} + 1, bmp->height);
  if (bmp->vtable != nullptr && bmp->vtable->clip_changed != nullptr)
    bmp->vtable->clip_changed(bmp);
}

void set_clip_area(bitmap *bmp, int x1, int y1, int x2, int y2) noexcept {
  if (bmp == nullptr) return;
  if (x1 == 0 && y1 == 0 && x2 == 0 && y2 == 0) {
    set_clip_bounds(bmp, 0, 0, bmp->width - 1, bmp->height - 1);
    bmp->clipping = 0;
    return;
  }
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  set_clip_bounds(bmp, x1, y1, x2, y2);
  bmp->clipping = -1;
}

void clear_bitmap(bitmap *bmp) noexcept {
  if (bmp != nullptr && bmp->vtable != nullptr && bmp->vtable->clear_to_color != nullptr) {
    bmp->vtable->clear_to_color(bmp, 0);
  }
}

}  // extern "C"
