// The public blits: clipping both rectangles, then choosing the table slot by the depths and kinds
// of the two bitmaps, with the copy direction decided by overlap when both share one surface.
#include <algorithm>
#include <cstdint>

#include "corvane/bitmap.h"

namespace {

using blit_slot = void (*)(bitmap *, bitmap *, int, int, int, int, int, int);

// A blit rectangle after clipping; empty when nothing is to be drawn.
struct blit_rect {
  int source_x, source_y, dest_x, dest_y, width, height;
  bool empty;
};

// Clips to the source bitmap and to the destination's clip rectangle (kept within the bitmap).
blit_rect clip_blit(const bitmap *source, const bitmap *dest, int source_x, int source_y,
                    int dest_x, int dest_y, int width, int height) noexcept {
  const int64_t clip_left = std::max(dest->clip_left, 0);
  const int64_t clip_top = std::max(dest->clip_top, 0);
  const int64_t clip_right = std::min(dest->clip_right, dest->width);
  const int64_t clip_bottom = std::min(dest->clip_bottom, dest->height);
  int64_t sx = source_x, sy = source_y, dx = dest_x, dy = dest_y, w = width, h = height;
  blit_rect result{};
  result.empty = true;
  if (sx >= source->width || sy >= source->height || dx >= clip_right || dy >= clip_bottom) {
    return result;
  }
  if (sx < 0) {
    dx -= sx;
    w += sx;
    sx = 0;
  }
  if (sy < 0) {
    dy -= sy;
    h += sy;
    sy = 0;
  }
  w = std::min(w, source->width - sx);
  h = std::min(h, source->height - sy);
  if (dx < clip_left) {
    const int64_t cut = clip_left - dx;
    sx += cut;
    w -= cut;
    dx = clip_left;
  }
  if (dy < clip_top) {
    const int64_t cut = clip_top - dy;
    sy += cut;
    h -= cut;
    dy = clip_top;
  }
  w = std::min(w, clip_right - dx);
  h = std::min(h, clip_bottom - dy);
  if (w <= 0 || h <= 0) return result;
  result = {static_cast<int>(sx),
            static_cast<int>(sy),
            static_cast<int>(dx),
            static_cast<int>(dy),
            static_cast<int>(w),
            static_cast<int>(h),
            false};
  return result;
}

bool is_video(const bitmap *bmp) noexcept { return (bmp->flags & BITMAP_FLAG_VIDEO) != 0; }
bool is_system(const bitmap *bmp) noexcept { return (bmp->flags & BITMAP_FLAG_SYSTEM) != 0; }

// The copy slot for two bitmaps on different surfaces, by their kinds.
blit_slot pick_copy_slot(const bitmap *source, const bitmap *dest) noexcept {
  const draw_vtable &s = *source->vtable;
  const draw_vtable &d = *dest->vtable;
  if (is_video(dest)) {
    if (is_video(source)) return d.blit_to_self;
    if (is_system(source)) return d.blit_from_system;
    return d.blit_from_memory;
  }
  if (!is_system(dest)) {
    if (is_video(source) || is_system(source)) return s.blit_to_memory;
    return d.blit_to_self;
  }
  if (is_video(source)) return s.blit_to_system;
  if (is_system(source)) return d.blit_to_self;
  return d.blit_from_memory;
}

void call(blit_slot slot, bitmap *source, bitmap *dest, const blit_rect &r) noexcept {
  if (slot != nullptr) {
    slot(source, dest, r.source_x, r.source_y, r.dest_x, r.dest_y, r.width, r.height);
  }
}

// Both rectangles lie on one surface: a copy in the direction that reads every pixel before it
// is overwritten.
void blit_within_surface(bitmap *source, bitmap *dest, const blit_rect &r) noexcept {
  if ((dest->flags & BITMAP_FLAG_SAME_SURFACE_TEMP) != 0) {
    bitmap *temporary = create_bitmap_at_depth(dest->vtable->color_depth, r.width, r.height);
    if (temporary == nullptr) return;
    if (source->vtable->blit_to_memory != nullptr) {
      source->vtable->blit_to_memory(source, temporary, r.source_x, r.source_y, 0, 0, r.width,
                                     r.height);
    }
    if (dest->vtable->blit_from_memory != nullptr) {
      dest->vtable->blit_from_memory(temporary, dest, 0, 0, r.dest_x, r.dest_y, r.width, r.height);
    }
    destroy_bitmap(temporary);
    return;
  }
  // Positions on the parent surface, compared as unsigned numbers.
  const auto sx = static_cast<uint32_t>(r.source_x + source->x_offset);
  const auto sy = static_cast<uint32_t>(r.source_y + source->y_offset);
  const auto dx = static_cast<uint32_t>(r.dest_x + dest->x_offset);
  const auto dy = static_cast<uint32_t>(r.dest_y + dest->y_offset);
  const auto w = static_cast<uint32_t>(r.width);
  const auto h = static_cast<uint32_t>(r.height);
  const draw_vtable &d = *dest->vtable;
  const bool overlap = sx + w > dx && dx + w > sx && sy + h > dy && dy + h > sy;
  if (!overlap) {
    call(d.blit_to_self, source, dest, r);
  } else if (sy > dy || (sy == dy && sx > dx)) {
    call(d.blit_to_self_forward, source, dest, r);
  } else if (sy == dy && sx == dx) {
    return;
  } else {
    call(d.blit_copy_backward, source, dest, r);
  }
}

}  // namespace

extern "C" {

void blit(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x, int dest_y,
          int width, int height) noexcept {
  if (source == nullptr || dest == nullptr || source->vtable == nullptr || dest->vtable == nullptr)
    return;
  const blit_rect r = clip_blit(source, dest, source_x, source_y, dest_x, dest_y, width, height);
  if (r.empty) return;

  if (source->vtable->color_depth != dest->vtable->color_depth) {
    call(dest->vtable->blit_convert, source, dest, r);
    return;
  }
  const uint32_t family = source->flags & BITMAP_FAMILY_MASK;
  const bool same_surface =
      source == dest || (family != 0 && family == (dest->flags & BITMAP_FAMILY_MASK));
  if (same_surface) {
    blit_within_surface(source, dest, r);
  } else {
    call(pick_copy_slot(source, dest), source, dest, r);
  }
}

void masked_blit(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x, int dest_y,
                 int width, int height) noexcept {
  if (source == nullptr || dest == nullptr || source->vtable == nullptr || dest->vtable == nullptr)
    return;
  // The masked routines read the source with the destination's pixel size.
  if (source->vtable->color_depth != dest->vtable->color_depth) return;
  const blit_rect r = clip_blit(source, dest, source_x, source_y, dest_x, dest_y, width, height);
  if (r.empty) return;
  call(dest->vtable->blit_masked, source, dest, r);
}

}  // extern "C"
