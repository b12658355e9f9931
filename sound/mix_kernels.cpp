// The mixer's inner loops: one routine per quality, output channels, sample width and sample
// channels, each adding a run of frames with constant step and gains into the 32-bit accumulator.
// A step of exactly one frame (the sample plays at the output rate) walks the data in order and is
// written so that the compiler vectorises it; any other step reads frame by frame. Every routine is
// built twice, for the base instruction set and for AVX2, and the table is chosen once.
#include <cstdint>
#include <type_traits>

#include "sound/mixer_internal.h"

namespace corvane {
namespace {

// Quality 0: the contribution of byte b at table level v, v x (b - 128) x 256 >> 5 << 8, which is
// exactly v x (b - 128) x 2048.
constexpr int32_t level_scale = 2048;

template <bool sixteen>
using sample_word = std::conditional_t<sixteen, uint16_t, uint8_t>;

template <bool sixteen>
[[gnu::always_inline]] inline int32_t high_byte(int32_t word) {
  if constexpr (sixteen) {
    return word >> 8;
  } else {
    return word;
  }
}

// Quality 1: the word scaled by a gain onto the accumulator's scale.
template <bool sixteen>
[[gnu::always_inline]] inline int32_t scaled(int32_t word, int32_t gain) {
  if constexpr (sixteen) {
    return (gain * (word - 32768)) >> 8;
  } else {
    return gain * (word - 128);
  }
}

// Quality 2: the word on the interpolation scale (+-2^23).
template <bool sixteen>
[[gnu::always_inline]] inline int32_t level(int32_t word) {
  if constexpr (sixteen) {
    return word * 256 - 0x800000;
  } else {
    return (word - 128) * 65536;
  }
}

// The upper 32 bits of x times a gain shifted up by 12.
[[gnu::always_inline]] inline int32_t apply_gain(int32_t x, int32_t gain12) {
  return static_cast<int32_t>((static_cast<int64_t>(x) * gain12) >> 32);
}

[[gnu::always_inline]] inline int32_t interpolate(int32_t here, int32_t next, int32_t frac) {
  return (here * (256 - frac) + next * frac) >> 4;
}

// One frame of output from the sample frame at p (and, for quality 2, the frame at next).
template <int quality, int out_channels, bool sixteen, bool stereo>
[[gnu::always_inline]] inline void mix_frame(int32_t *__restrict out, const sample_word<sixteen> *p,
                                             const sample_word<sixteen> *next, int32_t frac,
                                             int32_t a, int32_t b) {
  const int32_t left = p[0];
  const int32_t right = stereo ? p[1] : p[0];
  if constexpr (quality == 0) {
    if constexpr (out_channels == 1) {
      out[0] += a * (high_byte<sixteen>(left) - 128) + b * (high_byte<sixteen>(right) - 128);
    } else {
      out[0] += a * (high_byte<sixteen>(left) - 128);
      out[1] += b * (high_byte<sixteen>(right) - 128);
    }
  } else if constexpr (quality == 1) {
    out[0] += scaled<sixteen>(left, a);
    out[1] += scaled<sixteen>(right, b);
  } else {
    const int32_t x_left = interpolate(level<sixteen>(left), level<sixteen>(next[0]), frac);
    const int32_t x_right =
        stereo ? interpolate(level<sixteen>(right), level<sixteen>(next[1]), frac) : x_left;
    out[0] += apply_gain(x_left, a);
    out[1] += apply_gain(x_right, b);
  }
}

// The gains as the frame routine takes them: table levels pre-multiplied for quality 0 (halved for
// a mono output, which adds both sides), plain for quality 1, shifted up by 12 for quality 2.
template <int quality, int out_channels>
[[gnu::always_inline]] inline void prepare_gains(int left_gain, int right_gain, int32_t &a,
                                                 int32_t &b) {
  if constexpr (quality == 0) {
    int32_t left_level = left_gain / 2048;
    int32_t right_level = right_gain / 2048;
    if constexpr (out_channels == 1) {
      left_level >>= 1;
      right_level >>= 1;
    }
    a = left_level * level_scale;
    b = right_level * level_scale;
  } else if constexpr (quality == 1) {
    a = left_gain;
    b = right_gain;
  } else {
    a = left_gain * 4096;
    b = right_gain * 4096;
  }
}

template <int quality, int out_channels, bool sixteen, bool stereo>
[[gnu::always_inline]] inline void span_body(int32_t *__restrict out, const void *data, int64_t pos,
                                             int step, int n, int left_gain, int right_gain) {
  using word = sample_word<sixteen>;
  constexpr int in_channels = stereo ? 2 : 1;
  const word *src = static_cast<const word *>(data);
  int32_t a = 0;
  int32_t b = 0;
  prepare_gains<quality, out_channels>(left_gain, right_gain, a, b);
  if (step == 256) {
    // The sample plays at the output rate: consecutive frames, one constant fraction.
    const word *__restrict p = src + (pos >> 8) * in_channels;
    const int32_t frac = static_cast<int32_t>(pos & 255);
    for (int j = 0; j < n; ++j) {
      mix_frame<quality, out_channels, sixteen, stereo>(out + j * out_channels, p + j * in_channels,
                                                        p + (j + 1) * in_channels, frac, a, b);
    }
    return;
  }
  for (int j = 0; j < n; ++j) {
    const word *p = src + (pos >> 8) * in_channels;
    mix_frame<quality, out_channels, sixteen, stereo>(out + j * out_channels, p, p + in_channels,
                                                      static_cast<int32_t>(pos & 255), a, b);
    pos += step;
  }
}

template <bool sixteen, bool stereo>
[[gnu::always_inline]] inline void tail_body(int32_t *__restrict out, const void *data, int64_t pos,
                                             int step, int n, int left_gain, int right_gain,
                                             int64_t limit, int32_t next_left, int32_t next_right) {
  using word = sample_word<sixteen>;
  constexpr int in_channels = stereo ? 2 : 1;
  const word *src = static_cast<const word *>(data);
  const int32_t a = left_gain * 4096;
  const int32_t b = right_gain * 4096;
  for (int j = 0; j < n; ++j) {
    const word *p = src + (pos >> 8) * in_channels;
    const int32_t frac = static_cast<int32_t>(pos & 255);
    const bool inside = pos < limit;
    const int32_t left = level<sixteen>(p[0]);
    const int32_t right = stereo ? level<sixteen>(p[1]) : left;
    const int32_t after_left = inside ? level<sixteen>(p[in_channels]) : next_left;
    const int32_t after_right =
        stereo ? (inside ? level<sixteen>(p[in_channels + 1]) : next_right) : after_left;
    const int32_t x_left = interpolate(left, after_left, frac);
    const int32_t x_right = stereo ? interpolate(right, after_right, frac) : x_left;
    out[j * 2] += apply_gain(x_left, a);
    out[j * 2 + 1] += apply_gain(x_right, b);
    pos += step;
  }
}

// The same loops compiled for the base instruction set and for AVX2.
template <int quality, int out_channels, bool sixteen, bool stereo>
void span_base(int32_t *out, const void *data, int64_t pos, int step, int n, int left_gain,
               int right_gain) {
  span_body<quality, out_channels, sixteen, stereo>(out, data, pos, step, n, left_gain, right_gain);
}

template <bool sixteen, bool stereo>
void tail_base(int32_t *out, const void *data, int64_t pos, int step, int n, int left_gain,
               int right_gain, int64_t limit, int32_t next_left, int32_t next_right) {
  tail_body<sixteen, stereo>(out, data, pos, step, n, left_gain, right_gain, limit, next_left,
                             next_right);
}

#if defined(__x86_64__) || defined(__i386__)
#define CORVANE_MIX_HAVE_AVX2 1
template <int quality, int out_channels, bool sixteen, bool stereo>
[[gnu::target("avx2")]] void span_avx2(int32_t *out, const void *data, int64_t pos, int step, int n,
                                       int left_gain, int right_gain) {
  span_body<quality, out_channels, sixteen, stereo>(out, data, pos, step, n, left_gain, right_gain);
}

template <bool sixteen, bool stereo>
[[gnu::target("avx2")]] void tail_avx2(int32_t *out, const void *data, int64_t pos, int step, int n,
                                       int left_gain, int right_gain, int64_t limit,
                                       int32_t next_left, int32_t next_right) {
  tail_body<sixteen, stereo>(out, data, pos, step, n, left_gain, right_gain, limit, next_left,
                             next_right);
}
#endif

// Table index: quality x 8 + (output stereo) x 4 + (16-bit) x 2 + (stereo sample).
constexpr int table_index(int quality, bool out_stereo, bool sixteen, bool stereo) {
  return quality * 8 + (out_stereo ? 4 : 0) + (sixteen ? 2 : 0) + (stereo ? 1 : 0);
}

template <bool avx2, int quality, int out_channels, bool sixteen, bool stereo>
constexpr mix_routines routines_for() {
  mix_span_routine span = nullptr;
  mix_tail_routine tail = nullptr;
#if defined(CORVANE_MIX_HAVE_AVX2)
  if constexpr (avx2) {
    span = span_avx2<quality, out_channels, sixteen, stereo>;
    if constexpr (quality == 2) tail = tail_avx2<sixteen, stereo>;
  } else
#endif
  {
    span = span_base<quality, out_channels, sixteen, stereo>;
    if constexpr (quality == 2) tail = tail_base<sixteen, stereo>;
  }
  return mix_routines{span, tail};
}

template <bool avx2, int quality, int out_channels>
constexpr void fill_formats(mix_routines *table) {
  constexpr bool out_stereo = out_channels == 2;
  table[table_index(quality, out_stereo, false, false)] =
      routines_for<avx2, quality, out_channels, false, false>();
  table[table_index(quality, out_stereo, false, true)] =
      routines_for<avx2, quality, out_channels, false, true>();
  table[table_index(quality, out_stereo, true, false)] =
      routines_for<avx2, quality, out_channels, true, false>();
  table[table_index(quality, out_stereo, true, true)] =
      routines_for<avx2, quality, out_channels, true, true>();
}

// Qualities 1 and 2 only mix stereo frames; a mono output always mixes at quality 0, so their
// mono rows repeat quality 0's.
template <bool avx2>
struct routine_table {
  mix_routines entries[24] = {};
  constexpr routine_table() {
    fill_formats<avx2, 0, 1>(entries);
    fill_formats<avx2, 0, 2>(entries);
    fill_formats<avx2, 0, 1>(entries + 8);
    fill_formats<avx2, 1, 2>(entries);
    fill_formats<avx2, 0, 1>(entries + 16);
    fill_formats<avx2, 2, 2>(entries);
  }
};

constexpr routine_table<false> base_table;
#if defined(CORVANE_MIX_HAVE_AVX2)
constexpr routine_table<true> avx2_table;
#endif

const mix_routines *chosen_table() noexcept {
#if defined(CORVANE_MIX_HAVE_AVX2)
  static const mix_routines *const table =
      __builtin_cpu_supports("avx2") ? avx2_table.entries : base_table.entries;
  return table;
#else
  return base_table.entries;
#endif
}

}  // namespace

mix_routines find_mix_routines(int quality, int out_channels, int bits, int channels) noexcept {
  if (quality < 0 || quality > 2) quality = 2;
  return chosen_table()[table_index(quality, out_channels == 2, bits == 16, channels == 2)];
}

}  // namespace corvane
