// Video bitmaps: made by the graphics driver, or carved out of the screen surface where no other
// video bitmap lies, searching bands from the top with 16-pixel alignment and remembering the
// smallest request that found no room.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "corvane/bitmap.h"
#include "corvane/gfx.h"
#include "gfx/bitmap_internal.h"

namespace corvane {

int failed_video_width = VIDEO_SEARCH_LIMIT;
int failed_video_height = VIDEO_SEARCH_LIMIT;

namespace {

video_bitmap_node *new_node(int x, int y, int width, int height, bitmap *bmp) noexcept {
  auto *node = static_cast<video_bitmap_node *>(std::calloc(1, sizeof(video_bitmap_node)));
  if (node == nullptr) return nullptr;
  node->x = x;
  node->y = y;
  node->width = width;
  node->height = height;
  node->bmp = bmp;
  return node;
}

int64_t round_up_16(int64_t value) noexcept { return (value + 15) & ~int64_t{15}; }

// Chains the carved rectangles that reach into rows y .. y + height - 1 through search_link,
// ordered by x.
video_bitmap_node *gather_band(int64_t y, int64_t height) noexcept {
  video_bitmap_node *band = nullptr;
  for (video_bitmap_node *node = video_bitmap_list; node != nullptr; node = node->next) {
    if (node->x < 0) continue;
    if (node->y >= y + height || int64_t{node->y} + node->height <= y) continue;
    video_bitmap_node **link = &band;
    while (*link != nullptr && (*link)->x <= node->x) link = &(*link)->search_link;
    node->search_link = *link;
    *link = node;
  }
  return band;
}

// Finds room for width x height on a surface of the given size; false when there is none.
bool find_room(int screen_width, int screen_height, int width, int height, int *out_x,
               int *out_y) noexcept {
  int64_t y = 0;
  while (y + height <= screen_height) {
    video_bitmap_node *band = gather_band(y, height);
    int64_t x = 0;
    for (video_bitmap_node *node = band; node != nullptr; node = node->search_link) {
      if (x + width <= node->x) break;  // fits left of this one
      if (x < int64_t{node->x} + node->width) x = round_up_16(int64_t{node->x} + node->width);
    }
    if (x + width <= screen_width) {
      *out_x = static_cast<int>(x);
      *out_y = static_cast<int>(y);
      return true;
    }
    // No room in this band: go down to where the first of its rectangles ends.
    int64_t next_y = INT64_MAX;
    for (video_bitmap_node *node = band; node != nullptr; node = node->search_link) {
      next_y = std::min(next_y, int64_t{node->y} + node->height);
    }
    if (next_y == INT64_MAX || next_y <= y) return false;
    y = next_y;
  }
  return false;
}

}  // namespace
}  // namespace corvane

extern "C" {

video_bitmap_node *video_bitmap_list = nullptr;

bitmap *create_video_bitmap(int width, int height) noexcept {
  using namespace corvane;
  if (display_switched_away()) return nullptr;
  if (current_gfx_driver == nullptr) return nullptr;

  if (current_gfx_driver->make_video_bitmap != nullptr) {
    bitmap *bmp = current_gfx_driver->make_video_bitmap(width, height);
    if (bmp == nullptr) return nullptr;
    video_bitmap_node *node = new_node(-1, -1, 0, 0, bmp);
    if (node == nullptr) {
      if (current_gfx_driver->free_video_bitmap != nullptr)
        current_gfx_driver->free_video_bitmap(bmp);
      return nullptr;
    }
    node->next = video_bitmap_list;
    video_bitmap_list = node;
    return bmp;
  }

  bitmap *screen = screen_bitmap;
  if (screen == nullptr || width < 0 || height < 0 || width > screen->width ||
      height > screen->height) {
    return nullptr;
  }
  if (width >= failed_video_width && height >= failed_video_height) return nullptr;

  int x = 0;
  int y = 0;
  if (!find_room(screen->width, screen->height, width, height, &x, &y)) {
    if (int64_t{width} * height < int64_t{failed_video_width} * failed_video_height) {
      failed_video_width = width;
      failed_video_height = height;
    }
    return nullptr;
  }

  video_bitmap_node *node = new_node(x, y, width, height, nullptr);
  if (node == nullptr) return nullptr;
  bitmap *bmp = create_subbitmap(screen, x, y, width, height);
  if (bmp == nullptr) {
    std::free(node);
    return nullptr;
  }
  node->bmp = bmp;
  video_bitmap_node **link = &video_bitmap_list;
  while (*link != nullptr && (*link)->y < y) link = &(*link)->next;
  node->next = *link;
  *link = node;
  return bmp;
}

}  // extern "C"
