// The copying walk of draw_rle for sprites drawn whole onto memory bitmaps: a tight loop over the
// runs with wide moves for the literal ones, compiled for each instruction set.
#ifndef CORVANE_GFX_DEPTH_RLE_KERNELS_H
#define CORVANE_GFX_DEPTH_RLE_KERNELS_H

#include <cstddef>
#include <cstdint>

namespace corvane::depth {

// A run sprite landing whole on a bitmap: row r of the sprite goes to lines[r] + offset. The data
// runs from data to end; marker is the end-of-row unit.
struct rle_rows {
  unsigned char *const *lines;
  size_t offset;
  int rows;
  int width;
  const unsigned char *data;
  const unsigned char *end;
  uint32_t marker;
};

// Copies the literal runs of every row, units of 1, 2 or 4 bytes being the pixels themselves.
// Literal runs reaching past the sprite's width are cut at it; reading stops at the end of the
// data, whatever it holds.
void copy_rle_rows8(const rle_rows &rows) noexcept;
void copy_rle_rows16(const rle_rows &rows) noexcept;
void copy_rle_rows32(const rle_rows &rows) noexcept;

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_RLE_KERNELS_H
