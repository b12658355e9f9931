// The vectorised row loops of translucent and alpha sprites, bitmap and run-length: plain loops over 32-bit lanes that the
// compiler vectorises, with an AVX2 clone chosen at run time.
#include "gfx/depth/sprite_kernels.h"

#include <cstring>

#include "gfx/blenders.h"
#include "gfx/depth/avx2_clones.h"

namespace corvane::depth {

namespace {

// Masked: source pixels equal to mask leave the destination alone. Run-length sprites hold no
// transparent pixels in their literal runs, so their loops blend every pixel.
template <bool Masked>
inline void mix_span32(unsigned char *dest, const unsigned char *source, size_t count,
                       uint32_t weight, uint32_t mask) noexcept {
  for (size_t i = 0; i < count; ++i) {
    uint32_t s;
    uint32_t d;
    std::memcpy(&s, source + 4 * i, 4);
    std::memcpy(&d, dest + 4 * i, 4);
    const uint32_t m = mix24_weighted(s, d, weight);
    d = (!Masked || s != mask) ? m : d;
    std::memcpy(dest + 4 * i, &d, 4);
  }
}

template <bool Masked, uint32_t Spread, uint32_t Low, uint32_t High>
inline void mix_span_packed16(unsigned char *dest, const unsigned char *source, size_t count,
                              uint32_t k, uint32_t mask) noexcept {
  const auto m16 = static_cast<uint16_t>(mask);
  for (size_t i = 0; i < count; ++i) {
    uint16_t s;
    uint16_t d;
    std::memcpy(&s, source + 2 * i, 2);
    std::memcpy(&d, dest + 2 * i, 2);
    const auto m = static_cast<uint16_t>(mix_packed16_weighted<Spread, Low, High>(s, d, k));
    d = (!Masked || s != m16) ? m : d;
    std::memcpy(dest + 2 * i, &d, 2);
  }
}

template <bool Masked>
inline void alpha_span32(unsigned char *dest, const unsigned char *source, size_t count,
                         uint32_t alpha_shift, uint32_t mask) noexcept {
  const uint32_t shift = alpha_shift & 31u;
  for (size_t i = 0; i < count; ++i) {
    uint32_t s;
    uint32_t d;
    std::memcpy(&s, source + 4 * i, 4);
    std::memcpy(&d, dest + 4 * i, 4);
    const uint32_t a = (s >> shift) & 255u;
    const uint32_t weight = a != 0 ? a + 1 : 0;
    const uint32_t m = mix24_weighted(s, d, weight);
    d = (!Masked || s != mask) ? m : d;
    std::memcpy(dest + 4 * i, &d, 4);
  }
}

constexpr uint32_t spread15 = 0x3E07C1Fu, low15 = 0x7C1Fu, high15 = 0x3E0u;
constexpr uint32_t spread16 = 0x7E0F81Fu, low16 = 0xF81Fu, high16 = 0x7E0u;

}  // namespace

CORVANE_AVX2_CLONES void mix_sprite_span32(unsigned char *dest, const unsigned char *source,
                                           size_t count, uint32_t weight, uint32_t mask) noexcept {
  mix_span32<true>(dest, source, count, weight, mask);
}

CORVANE_AVX2_CLONES void mix_sprite_span15(unsigned char *dest, const unsigned char *source,
                                           size_t count, uint32_t k, uint32_t mask) noexcept {
  mix_span_packed16<true, spread15, low15, high15>(dest, source, count, k, mask);
}

CORVANE_AVX2_CLONES void mix_sprite_span16(unsigned char *dest, const unsigned char *source,
                                           size_t count, uint32_t k, uint32_t mask) noexcept {
  mix_span_packed16<true, spread16, low16, high16>(dest, source, count, k, mask);
}

CORVANE_AVX2_CLONES void alpha_sprite_span32(unsigned char *dest, const unsigned char *source,
                                             size_t count, uint32_t alpha_shift,
                                             uint32_t mask) noexcept {
  alpha_span32<true>(dest, source, count, alpha_shift, mask);
}

CORVANE_AVX2_CLONES void mix_run_span32(unsigned char *dest, const unsigned char *source,
                                        size_t count, uint32_t weight, uint32_t mask) noexcept {
  mix_span32<false>(dest, source, count, weight, mask);
}

CORVANE_AVX2_CLONES void mix_run_span15(unsigned char *dest, const unsigned char *source,
                                        size_t count, uint32_t k, uint32_t mask) noexcept {
  mix_span_packed16<false, spread15, low15, high15>(dest, source, count, k, mask);
}

CORVANE_AVX2_CLONES void mix_run_span16(unsigned char *dest, const unsigned char *source,
                                        size_t count, uint32_t k, uint32_t mask) noexcept {
  mix_span_packed16<false, spread16, low16, high16>(dest, source, count, k, mask);
}

CORVANE_AVX2_CLONES void alpha_run_span32(unsigned char *dest, const unsigned char *source,
                                          size_t count, uint32_t alpha_shift,
                                          uint32_t mask) noexcept {
  alpha_span32<false>(dest, source, count, alpha_shift, mask);
}

}  // namespace corvane::depth
