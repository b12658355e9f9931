// Vectorised row loops of the translucent and alpha sprites (bitmap and run-length) for the
// library's own blenders. Each
// computes exactly what the blender would for every pixel; source pixels equal to mask leave the
// destination alone.
#ifndef CORVANE_GFX_DEPTH_SPRITE_KERNELS_H
#define CORVANE_GFX_DEPTH_SPRITE_KERNELS_H

#include <cstddef>
#include <cstdint>

#include "gfx/depth/rle_kernels.h"

namespace corvane::depth {

// A block of rows to blend: count pixels on each of rows rows, the target's row r starting at
// dest_lines[r] + dest_offset and the source's at source_lines[r] + source_offset.
struct blend_block {
  unsigned char *const *dest_lines;
  size_t dest_offset;
  const unsigned char *const *source_lines;
  size_t source_offset;
  size_t rows;
  size_t count;
};

// Over a block of 32-bit pixels: dest = mix(source, dest) at 24-bit component layout with the
// weight already 0-256.
void mix_sprite_rows32(const blend_block &block, uint32_t weight, uint32_t mask) noexcept;

// dest = the 15- or 16-bit mix of source over dest with the weight already 0-32.
void mix_sprite_rows15(const blend_block &block, uint32_t k, uint32_t mask) noexcept;
void mix_sprite_rows16(const blend_block &block, uint32_t k, uint32_t mask) noexcept;

// dest = source over dest weighted by source's alpha byte (at alpha_shift, 0-31).
void alpha_sprite_rows32(const blend_block &block, uint32_t alpha_shift, uint32_t mask) noexcept;

// dest = a 32-bit source over a 15-, 16- or 24-bit target weighted by the source's alpha byte (at
// alpha_shift, 0-31), as the alpha hooks of those depths compute it: "same" where the target's
// components lie in the source's order, "swapped" where they lie in the reverse order.
void alpha_sprite_rows15_same(const blend_block &block, uint32_t alpha_shift,
                              uint32_t mask) noexcept;
void alpha_sprite_rows15_swapped(const blend_block &block, uint32_t alpha_shift,
                                 uint32_t mask) noexcept;
void alpha_sprite_rows16_same(const blend_block &block, uint32_t alpha_shift,
                              uint32_t mask) noexcept;
void alpha_sprite_rows16_swapped(const blend_block &block, uint32_t alpha_shift,
                                 uint32_t mask) noexcept;
void alpha_sprite_rows24_same(const blend_block &block, uint32_t alpha_shift,
                              uint32_t mask) noexcept;
void alpha_sprite_rows24_swapped(const blend_block &block, uint32_t alpha_shift,
                                 uint32_t mask) noexcept;

// The same loops over one literal run of a run-length sprite: every pixel is blended (mask is not
// looked at). The alpha runs onto 15-, 16- and 24-bit targets read 32-bit source pixels and write
// the target's 2 or 3 bytes.
void mix_run_span32(unsigned char *dest, const unsigned char *source, size_t count, uint32_t weight,
                    uint32_t mask) noexcept;
void mix_run_span15(unsigned char *dest, const unsigned char *source, size_t count, uint32_t k,
                    uint32_t mask) noexcept;
void mix_run_span16(unsigned char *dest, const unsigned char *source, size_t count, uint32_t k,
                    uint32_t mask) noexcept;
void alpha_run_span32(unsigned char *dest, const unsigned char *source, size_t count,
                      uint32_t alpha_shift, uint32_t mask) noexcept;
void alpha_run_span15_same(unsigned char *dest, const unsigned char *source, size_t count,
                           uint32_t alpha_shift, uint32_t mask) noexcept;
void alpha_run_span15_swapped(unsigned char *dest, const unsigned char *source, size_t count,
                              uint32_t alpha_shift, uint32_t mask) noexcept;
void alpha_run_span16_same(unsigned char *dest, const unsigned char *source, size_t count,
                           uint32_t alpha_shift, uint32_t mask) noexcept;
void alpha_run_span16_swapped(unsigned char *dest, const unsigned char *source, size_t count,
                              uint32_t alpha_shift, uint32_t mask) noexcept;
void alpha_run_span24_same(unsigned char *dest, const unsigned char *source, size_t count,
                           uint32_t alpha_shift, uint32_t mask) noexcept;
void alpha_run_span24_swapped(unsigned char *dest, const unsigned char *source, size_t count,
                              uint32_t alpha_shift, uint32_t mask) noexcept;

// The same loops over all the literal runs of a run-length sprite landing whole on a bitmap, one
// call per sprite: its runs are often a few dozen pixels, and a call per run would cost as much as
// the blending.
void mix_rle_rows32(const rle_rows &rows, uint32_t weight) noexcept;
void mix_rle_rows15(const rle_rows &rows, uint32_t k) noexcept;
void mix_rle_rows16(const rle_rows &rows, uint32_t k) noexcept;
void alpha_rle_rows32(const rle_rows &rows, uint32_t alpha_shift) noexcept;
void alpha_rle_rows15_same(const rle_rows &rows, uint32_t alpha_shift) noexcept;
void alpha_rle_rows15_swapped(const rle_rows &rows, uint32_t alpha_shift) noexcept;
void alpha_rle_rows16_same(const rle_rows &rows, uint32_t alpha_shift) noexcept;
void alpha_rle_rows16_swapped(const rle_rows &rows, uint32_t alpha_shift) noexcept;
void alpha_rle_rows24_same(const rle_rows &rows, uint32_t alpha_shift) noexcept;
void alpha_rle_rows24_swapped(const rle_rows &rows, uint32_t alpha_shift) noexcept;

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_SPRITE_KERNELS_H
