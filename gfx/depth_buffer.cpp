// The depth buffer of the 3D renderer: a 32-bit bitmap of floats (1 / z per pixel), the current
// one, and its creation, clearing and destruction.
#include <cerrno>
#include <cmath>
#include <cstring>

#include "corvane/bitmap.h"
#include "corvane/render3d.h"
#include "corvane/system.h"
#include "gfx/render3d_internal.h"

namespace corvane {
namespace {

bitmap *current = nullptr;

}  // namespace

bitmap *current_depth_buffer() noexcept { return current; }

}  // namespace corvane

extern "C" {

depth_buffer *create_depth_buffer(bitmap *bmp) noexcept {
  if (bmp == nullptr) {
    set_error_text("No bitmap for the depth buffer");
    set_error_number(EINVAL);
    return nullptr;
  }
  bitmap *buffer = create_bitmap_at_depth(32, bmp->width, bmp->height);
  if (buffer == nullptr) {
    set_error_text("Not enough memory for the depth buffer");
    set_error_number(ENOMEM);
    return nullptr;
  }
  clear_depth_buffer(buffer, 0.0f);
  return buffer;
}

depth_buffer *create_sub_depth_buffer(depth_buffer *parent, int x, int y, int width,
                                      int height) noexcept {
  if (parent == nullptr) return nullptr;
  return create_subbitmap(parent, x, y, width, height);
}

void set_depth_buffer(depth_buffer *buffer) noexcept { corvane::current = buffer; }

depth_buffer *get_depth_buffer(void) noexcept { return corvane::current; }

void clear_depth_buffer(depth_buffer *buffer, float z) noexcept {
  if (buffer == nullptr) return;
  const float value = (std::isfinite(z) && z > 0.0f) ? 1.0f / z : 0.0f;
  for (int row = 0; row < buffer->height; ++row) {
    unsigned char *line = buffer->lines[row];
    for (int x = 0; x < buffer->width; ++x) std::memcpy(line + static_cast<size_t>(x) * 4, &value, 4);
  }
}

void destroy_depth_buffer(depth_buffer *buffer) noexcept {
  if (buffer == nullptr) return;
  if (corvane::current == buffer) corvane::current = nullptr;
  destroy_bitmap(buffer);
}

}  // extern "C"
