// The walks of run-length sprites drawn whole onto memory bitmaps: a tight loop over all the runs
// of a sprite in one call, with wide moves for the literal runs of draw_rle, compiled for each
// instruction set. The blending loops of sprite_kernels walk the runs the same way.
#ifndef CORVANE_GFX_DEPTH_RLE_KERNELS_H
#define CORVANE_GFX_DEPTH_RLE_KERNELS_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

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

// A count: the unit read as a signed value of its size.
template <class Unit>
inline int64_t rle_count(Unit u) noexcept {
  constexpr int64_t range = int64_t{1} << (8 * sizeof(Unit));
  const auto value = static_cast<int64_t>(u);
  return value >= range / 2 ? value - range : value;
}

// Calls run (dest, units, count) for the literal runs of every row, Unit being the unsigned type
// of the storage unit and PixelBytes the size of a target pixel (a 32-bit alpha sprite's units
// land on 2- or 3-byte pixels): dest is the run's first pixel on the target, units its first in
// the data.
// Runs reaching past the sprite's width are cut at it; reading stops at the end of the data,
// whatever it holds.
//
// Always inlined: the loops that use it are compiled once per instruction set, and a walk left out
// of line would be compiled for the base set only, with the run loop inside it.
template <class Unit, int PixelBytes = static_cast<int>(sizeof(Unit)), class RunOp>
[[gnu::always_inline]] inline void for_rle_runs(const rle_rows &rows, RunOp run) noexcept {
  constexpr auto size = static_cast<ptrdiff_t>(sizeof(Unit));
  // A copy, so that the stores to the rows cannot be taken to change it.
  const rle_rows rr = rows;
  const unsigned char *pos = rr.data;
  const unsigned char *const end = rr.end;
  for (int r = 0; r < rr.rows; ++r) {
    unsigned char *const row = rr.lines[r] + rr.offset;
    int64_t column = 0;
    for (;;) {
      if (end - pos < size) return;
      Unit u;
      std::memcpy(&u, pos, sizeof u);
      pos += size;
      if (u == rr.marker) break;
      const int64_t n = rle_count(u);
      if (n > 0) {
        // pos never passes end, so the units left are counted unsigned: a shift, not a division.
        if (static_cast<size_t>(end - pos) / sizeof(Unit) < static_cast<uint64_t>(n)) return;
        const int64_t fits = std::min<int64_t>(n, rr.width - column);
        if (fits > 0) run(row + column * PixelBytes, pos, static_cast<size_t>(fits));
        pos += n * size;
        column += n;
      } else {
        column -= n;
      }
    }
  }
}

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_RLE_KERNELS_H
