// The copying walk of draw_rle over whole sprites: literal runs are moved in fixed-size blocks the
// compiler turns into single vector moves of each instruction set, so that the usual run of a few
// dozen pixels costs a handful of stores and no call.
#include "gfx/depth/rle_kernels.h"

#include <cstring>

#include "gfx/depth/avx2_clones.h"

namespace corvane::depth {

namespace {

// Copies bytes bytes between buffers that do not overlap. Blocks of 64 bytes (one AVX-512 move,
// two AVX2 ones) and a last block that overlaps the one before it; shorter runs by two overlapping
// moves of the largest size that fits.
inline void copy_run_bytes(unsigned char *dest, const unsigned char *source,
                           size_t bytes) noexcept {
  if (bytes >= 64) {
    for (size_t i = 0; i + 64 < bytes; i += 64) std::memcpy(dest + i, source + i, 64);
    std::memcpy(dest + bytes - 64, source + bytes - 64, 64);
  } else if (bytes >= 32) {
    std::memcpy(dest, source, 32);
    std::memcpy(dest + bytes - 32, source + bytes - 32, 32);
  } else if (bytes >= 16) {
    std::memcpy(dest, source, 16);
    std::memcpy(dest + bytes - 16, source + bytes - 16, 16);
  } else if (bytes >= 8) {
    std::memcpy(dest, source, 8);
    std::memcpy(dest + bytes - 8, source + bytes - 8, 8);
  } else if (bytes >= 4) {
    std::memcpy(dest, source, 4);
    std::memcpy(dest + bytes - 4, source + bytes - 4, 4);
  } else if (bytes >= 2) {
    std::memcpy(dest, source, 2);
    std::memcpy(dest + bytes - 2, source + bytes - 2, 2);
  } else if (bytes == 1) {
    *dest = *source;
  }
}

// Unit is the unsigned type of the storage unit.
template <class Unit>
inline void copy_rows(const rle_rows &rows) noexcept {
  for_rle_runs<Unit>(rows, [](unsigned char *dest, const unsigned char *units, size_t count) {
    copy_run_bytes(dest, units, count * sizeof(Unit));
  });
}

}  // namespace

CORVANE_WIDE_CLONES void copy_rle_rows8(const rle_rows &rows) noexcept { copy_rows<uint8_t>(rows); }

CORVANE_WIDE_CLONES void copy_rle_rows16(const rle_rows &rows) noexcept {
  copy_rows<uint16_t>(rows);
}

CORVANE_WIDE_CLONES void copy_rle_rows32(const rle_rows &rows) noexcept {
  copy_rows<uint32_t>(rows);
}

}  // namespace corvane::depth
