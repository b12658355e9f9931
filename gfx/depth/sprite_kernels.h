// Vectorised row loops of the translucent and alpha sprites (bitmap and run-length) for the
// library's own blenders. Each
// computes exactly what the blender would for every pixel; source pixels equal to mask leave the
// destination alone.
#ifndef CORVANE_GFX_DEPTH_SPRITE_KERNELS_H
#define CORVANE_GFX_DEPTH_SPRITE_KERNELS_H

#include <cstddef>
#include <cstdint>

namespace corvane::depth {

// dest = mix(source, dest) at 24-bit component layout with the weight already 0-256, over 32-bit
// pixels.
void mix_sprite_span32(unsigned char *dest, const unsigned char *source, size_t count,
                       uint32_t weight, uint32_t mask) noexcept;

// dest = the 15- or 16-bit mix of source over dest with the weight already 0-32.
void mix_sprite_span15(unsigned char *dest, const unsigned char *source, size_t count, uint32_t k,
                       uint32_t mask) noexcept;
void mix_sprite_span16(unsigned char *dest, const unsigned char *source, size_t count, uint32_t k,
                       uint32_t mask) noexcept;

// dest = source over dest weighted by source's alpha byte (at alpha_shift, 0-31).
void alpha_sprite_span32(unsigned char *dest, const unsigned char *source, size_t count,
                         uint32_t alpha_shift, uint32_t mask) noexcept;

// The same loops for the literal runs of run-length sprites: every pixel is blended (mask is not
// looked at).
void mix_run_span32(unsigned char *dest, const unsigned char *source, size_t count, uint32_t weight,
                    uint32_t mask) noexcept;
void mix_run_span15(unsigned char *dest, const unsigned char *source, size_t count, uint32_t k,
                    uint32_t mask) noexcept;
void mix_run_span16(unsigned char *dest, const unsigned char *source, size_t count, uint32_t k,
                    uint32_t mask) noexcept;
void alpha_run_span32(unsigned char *dest, const unsigned char *source, size_t count,
                      uint32_t alpha_shift, uint32_t mask) noexcept;

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_SPRITE_KERNELS_H
