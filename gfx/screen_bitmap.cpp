// The screen bitmap: wrapping a graphics driver's display surface, linear or banked, with a
// private copy of the depth's drawing table that the display driver may adjust.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "corvane/bitmap.h"
#include "corvane/gfx.h"
#include "corvane/system.h"
#include "gfx/bitmap_internal.h"

namespace {

// There is one screen, so one copy of its table.
draw_vtable screen_vtable;
int line_bank_table_size = 0;

bool grow_line_bank_table(int rows) noexcept {
  if (rows <= line_bank_table_size) return true;
  auto *grown =
      static_cast<int *>(std::realloc(line_bank_table, static_cast<size_t>(rows) * sizeof(int)));
  if (grown == nullptr) return false;
  line_bank_table = grown;
  line_bank_table_size = rows;
  return true;
}

}  // namespace

extern "C" {

int *line_bank_table = nullptr;
int last_read_bank = -1;
int last_write_bank = -1;

void free_line_bank_table(void) noexcept {
  std::free(line_bank_table);
  line_bank_table = nullptr;
  line_bank_table_size = 0;
}

bitmap *make_screen_bitmap(int width, int height, void *base, gfx_driver *driver, int depth,
                           int row_stride) noexcept {
  draw_vtable *vtable = find_vtable(depth);
  if (vtable == nullptr || width < 0 || height < 0) return nullptr;
  const bool linear = (driver == nullptr || driver->linear != 0);
  if (!linear && (driver->bank_granularity <= 0 || driver->bank_size <= 0)) return nullptr;

  bitmap *bmp = corvane::allocate_bitmap_record(height);
  if (bmp == nullptr) return nullptr;
  if (!grow_line_bank_table(height)) {
    std::free(bmp);
    return nullptr;
  }

  screen_vtable = *vtable;
  bmp->width = width;
  bmp->height = height;
  bmp->clipping = -1;
  bmp->clip_left = 0;
  bmp->clip_right = width;
  bmp->clip_top = 0;
  bmp->clip_bottom = height;
  bmp->vtable = &screen_vtable;
  bmp->write_line = default_line_accessor;
  bmp->read_line = default_line_accessor;
  bmp->pixels = nullptr;
  bmp->flags = BITMAP_FLAG_VIDEO;

  last_read_bank = -1;
  last_write_bank = -1;
  if (driver != nullptr) driver->video_base = base;

  // Row addresses are worked out as offsets from the base: on a banked surface a row may start
  // before the bank window's first byte.
  const uintptr_t origin = reinterpret_cast<uintptr_t>(base);
  const int64_t row_bytes = int64_t{width} * bytes_per_pixel_of_depth(depth);
  int64_t offset = 0;
  int bank = 0;
  for (int row = 0; row < height; ++row) {
    if (row > 0) {
      offset += row_stride;
      if (!linear && offset + row_bytes - 1 >= driver->bank_size) {
        do {
          offset -= driver->bank_granularity;
          ++bank;
        } while (offset >= driver->bank_granularity);
      }
    }
    // NOLINTNEXTLINE(performance-no-int-to-ptr): row addresses of a bank window are computed.
    bmp->lines[row] = reinterpret_cast<unsigned char *>(origin + static_cast<uintptr_t>(offset));
    line_bank_table[row] = bank;
  }
  if (height == 0) bmp->lines[0] = static_cast<unsigned char *>(base);
  return bmp;
}

}  // extern "C"
