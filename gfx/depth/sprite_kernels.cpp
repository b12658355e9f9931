// The vectorised row loops of translucent and alpha sprites: plain loops over 32-bit lanes that the
// compiler vectorises, with an AVX2 clone chosen at run time.
#include "gfx/depth/sprite_kernels.h"

#include <cstring>

#include "gfx/blenders.h"
#include "gfx/depth/avx2_clones.h"

namespace corvane::depth {

CORVANE_AVX2_CLONES void mix_sprite_span32(unsigned char *dest, const unsigned char *source,
                                           size_t count, uint32_t weight, uint32_t mask) noexcept {
  for (size_t i = 0; i < count; ++i) {
    uint32_t s;
    uint32_t d;
    std::memcpy(&s, source + 4 * i, 4);
    std::memcpy(&d, dest + 4 * i, 4);
    const uint32_t m = mix24_weighted(s, d, weight);
    d = (s != mask) ? m : d;
    std::memcpy(dest + 4 * i, &d, 4);
  }
}

namespace {

template <uint32_t Spread, uint32_t Low, uint32_t High>
inline void mix_span_packed16(unsigned char *dest, const unsigned char *source, size_t count,
                              uint32_t k, uint32_t mask) noexcept {
  const auto m16 = static_cast<uint16_t>(mask);
  for (size_t i = 0; i < count; ++i) {
    uint16_t s;
    uint16_t d;
    std::memcpy(&s, source + 2 * i, 2);
    std::memcpy(&d, dest + 2 * i, 2);
    const auto m = static_cast<uint16_t>(mix_packed16_weighted<Spread, Low, High>(s, d, k));
    d = (s != m16) ? m : d;
    std::memcpy(dest + 2 * i, &d, 2);
  }
}

}  // namespace

CORVANE_AVX2_CLONES void mix_sprite_span15(unsigned char *dest, const unsigned char *source,
                                           size_t count, uint32_t k, uint32_t mask) noexcept {
  mix_span_packed16<0x3E07C1Fu, 0x7C1Fu, 0x3E0u>(dest, source, count, k, mask);
}

CORVANE_AVX2_CLONES void mix_sprite_span16(unsigned char *dest, const unsigned char *source,
                                           size_t count, uint32_t k, uint32_t mask) noexcept {
  mix_span_packed16<0x7E0F81Fu, 0xF81Fu, 0x7E0u>(dest, source, count, k, mask);
}

CORVANE_AVX2_CLONES void alpha_sprite_span32(unsigned char *dest, const unsigned char *source,
                                             size_t count, uint32_t alpha_shift,
                                             uint32_t mask) noexcept {
  const uint32_t shift = alpha_shift & 31u;
  for (size_t i = 0; i < count; ++i) {
    uint32_t s;
    uint32_t d;
    std::memcpy(&s, source + 4 * i, 4);
    std::memcpy(&d, dest + 4 * i, 4);
    const uint32_t a = (s >> shift) & 255u;
    const uint32_t weight = a != 0 ? a + 1 : 0;
    const uint32_t m = mix24_weighted(s, d, weight);
    d = (s != mask) ? m : d;
    std::memcpy(dest + 4 * i, &d, 4);
  }
}

}  // namespace corvane::depth
