// The inner loops of the per-depth routines over one run of pixels: fills, masked copies and
// palette expansion. They are plain loops that the compiler vectorises; each computes exactly
// what the per-pixel rule says.
#ifndef CORVANE_GFX_DEPTH_SPAN_KERNELS_H
#define CORVANE_GFX_DEPTH_SPAN_KERNELS_H

#include <cstddef>
#include <cstdint>

namespace corvane::depth {

// Stores count pixels of one value (8 bits use memset).
void fill_span16(unsigned char *dest, uint32_t color, size_t count) noexcept;
void fill_span24(unsigned char *dest, uint32_t color, size_t count) noexcept;
void fill_span32(unsigned char *dest, uint32_t color, size_t count) noexcept;

// Copies the source pixels that differ from mask; the others keep the destination's value.
void masked_span8(unsigned char *dest, const unsigned char *source, size_t count) noexcept;
void masked_span16(unsigned char *dest, const unsigned char *source, size_t count,
                   uint32_t mask) noexcept;
void masked_span24(unsigned char *dest, const unsigned char *source, size_t count) noexcept;
void masked_span32(unsigned char *dest, const unsigned char *source, size_t count,
                   uint32_t mask) noexcept;

// Replaces each 8-bit source pixel by its table entry, stored at 16, 24 or 32 bits.
void expand_span16(unsigned char *dest, const unsigned char *source, size_t count,
                   const uint32_t *table) noexcept;
void expand_span24(unsigned char *dest, const unsigned char *source, size_t count,
                   const uint32_t *table) noexcept;
void expand_span32(unsigned char *dest, const unsigned char *source, size_t count,
                   const uint32_t *table) noexcept;

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_SPAN_KERNELS_H
