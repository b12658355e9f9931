// Sub-bitmaps: bitmaps that share a rectangle of a parent's pixels through their own line table,
// and the family numbers that tell which bitmaps share one surface.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_set>

#include "corvane/bitmap.h"
#include "corvane/system.h"
#include "gfx/bitmap_internal.h"

namespace corvane {

uint32_t next_family_number = 1;

namespace {

// The family numbers held by living parents. The counter wraps within 25 bits, and a number
// handed out twice would make two unrelated bitmaps one surface (a blit between them would copy
// nothing), so numbers still held are skipped.
std::mutex family_mutex;
std::unordered_set<uint32_t> *families_in_use = nullptr;

// The next free family number, or 0 when memory is short.
uint32_t take_family_number() noexcept {
  try {
    const std::lock_guard<std::mutex> lock(family_mutex);
    if (families_in_use == nullptr) families_in_use = new std::unordered_set<uint32_t>();
    if (families_in_use->size() >= BITMAP_FAMILY_MASK) return 0;
    uint32_t number = next_family_number;
    // Wraps within 25 bits; 0 is skipped, it means "no family".
    const auto advance = [](uint32_t n) {
      n = (n + 1) & BITMAP_FAMILY_MASK;
      return n == 0 ? 1u : n;
    };
    while (families_in_use->count(number) != 0) number = advance(number);
    families_in_use->insert(number);
    next_family_number = advance(number);
    return number;
  } catch (...) {
    return 0;
  }
}

}  // namespace

void release_family_number(const bitmap *bmp) noexcept {
  const uint32_t number = bmp->flags & BITMAP_FAMILY_MASK;
  if (number == 0 || (bmp->flags & BITMAP_FLAG_SUB) != 0) return;
  const std::lock_guard<std::mutex> lock(family_mutex);
  if (families_in_use != nullptr) families_in_use->erase(number);
}

}  // namespace corvane

extern "C" {

bitmap *create_subbitmap(bitmap *parent, int x, int y, int width, int height) noexcept {
  if (parent == nullptr || parent->vtable == nullptr || width < 0 || height < 0) return nullptr;

  // Cut the rectangle to the parent on every side. A negative corner would point the line table
  // before the parent's rows, and a corner past the far edge beyond them.
  int64_t left = x;
  int64_t top = y;
  int64_t w = width;
  int64_t h = height;
  if (left < 0) {
    w += left;
    left = 0;
  }
  if (top < 0) {
    h += top;
    top = 0;
  }
  left = std::min<int64_t>(left, parent->width);
  top = std::min<int64_t>(top, parent->height);
  w = std::clamp<int64_t>(w, 0, parent->width - left);
  h = std::clamp<int64_t>(h, 0, parent->height - top);
  x = static_cast<int>(left);
  y = static_cast<int>(top);
  width = static_cast<int>(w);
  height = static_cast<int>(h);

  draw_vtable *vtable = parent->vtable;
  if (vtable->create_subbitmap_hook != nullptr) {
    return vtable->create_subbitmap_hook(parent, x, y, width, height);
  }
  if (current_system_driver != nullptr &&
      current_system_driver->create_subbitmap_override != nullptr) {
    return current_system_driver->create_subbitmap_override(parent, x, y, width, height);
  }

  if ((parent->flags & BITMAP_FAMILY_MASK) == 0) {
    const uint32_t number = corvane::take_family_number();
    if (number == 0) {
      set_error_number(ENOMEM);
      return nullptr;
    }
    parent->flags |= number;
  }

  bitmap *sub = corvane::allocate_bitmap_record(height);
  if (sub == nullptr) return nullptr;

  if (vtable->acquire != nullptr) vtable->acquire(parent);

  sub->width = width;
  sub->height = height;
  sub->clipping = -1;
  sub->clip_left = 0;
  sub->clip_right = width;
  sub->clip_top = 0;
  sub->clip_bottom = height;
  sub->vtable = vtable;
  sub->write_line = parent->write_line;
  sub->read_line = parent->read_line;
  sub->pixels = nullptr;
  sub->driver_data = nullptr;
  sub->x_offset = x + parent->x_offset;
  sub->y_offset = y + parent->y_offset;
  sub->segment = parent->segment;

  sub->flags = (parent->flags | BITMAP_FLAG_SUB) & ~BITMAP_FLAG_NEW_SUB_CLEAR;

  int column = x;
  if ((parent->flags & BITMAP_FLAG_PLANAR) != 0) column /= 4;
  const size_t offset = static_cast<size_t>(column) *
                        static_cast<size_t>(bytes_per_pixel_of_depth(vtable->color_depth));
  for (int i = 0; i < height; ++i) sub->lines[i] = parent->lines[y + i] + offset;
  if (height == 0 && parent->height > 0 && y < parent->height) {
    sub->lines[0] = parent->lines[y] + offset;
  }

  if (vtable->clip_changed != nullptr) vtable->clip_changed(sub);
  if (vtable->subbitmap_created_hook != nullptr) vtable->subbitmap_created_hook(sub, parent);
  if (current_system_driver != nullptr && current_system_driver->subbitmap_created != nullptr) {
    current_system_driver->subbitmap_created(sub, parent);
  }
  if ((parent->flags & BITMAP_FLAG_VIDEO) != 0) register_switch_bitmap(sub, parent);

  if (vtable->release != nullptr) vtable->release(parent);
  return sub;
}

}  // extern "C"
