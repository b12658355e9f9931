// Integer pitch, time and loudness arithmetic of SoundFont instruments: powers of two in cents
// (frequencies and times in timecents) and amplitudes of attenuations in centibels. The tables are
// computed at compile time in IEEE double arithmetic and stored as integers, so every machine gets
// the same numbers and a render is the same bits everywhere.
#ifndef CORVANE_SOUND_SOUNDFONT_MATH_H
#define CORVANE_SOUND_SOUNDFONT_MATH_H

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvane::soundfont_math {

// e^x by its series; good to the last bit of a double for the small x used here.
constexpr double small_exp(double x) {
  double term = 1.0;
  double sum = 1.0;
  for (int n = 1; n < 30; ++n) {
    term *= x / n;
    sum += term;
  }
  return sum;
}

// A non-negative value rounded to the nearest integer (halves up).
constexpr uint32_t round_to_integer(double value) {
  const auto whole = static_cast<uint32_t>(value);
  return value - whole >= 0.5 ? whole + 1 : whole;
}

inline constexpr double LN2 = 0.69314718055994530942;
inline constexpr double LN10 = 2.30258509299404568402;

// 2^(c/1200) for c in 0..1199 as 2.30 fixed point (2^30 is 1.0).
inline constexpr std::array<uint32_t, 1200> CENT_POWERS = [] {
  std::array<uint32_t, 1200> table{};
  const double one_cent = small_exp(LN2 / 1200.0);
  double value = 1.0;
  for (int c = 0; c < 1200; ++c) {
    table[static_cast<std::size_t>(c)] = round_to_integer(value * 1073741824.0);
    value *= one_cent;
  }
  return table;
}();

// 10^(-cb/200) for cb in 0..1440 (the amplitude of an attenuation in centibels) as 0.16 fixed
// point (65536 is 1.0).
inline constexpr int MAX_ATTENUATION = 1440;
inline constexpr std::array<uint32_t, MAX_ATTENUATION + 1> ATTENUATION_AMPLITUDES = [] {
  std::array<uint32_t, MAX_ATTENUATION + 1> table{};
  const double one_centibel = 1.0 / small_exp(LN10 / 200.0);
  double value = 1.0;
  for (int cb = 0; cb <= MAX_ATTENUATION; ++cb) {
    table[static_cast<std::size_t>(cb)] = round_to_integer(value * 65536.0);
    value *= one_centibel;
  }
  return table;
}();

// value x 2^(cents/1200) for a non-negative value below 2^32, rounded down; the result saturates
// at INT64_MAX / 2. cents may be negative.
constexpr int64_t scale_by_cents(int64_t value, int cents) {
  int octave = cents >= 0 ? cents / 1200 : -((-cents + 1199) / 1200);
  const int rest = cents - octave * 1200;
  const int64_t product = value * CENT_POWERS[static_cast<std::size_t>(rest)];  // value x 2^30 scale
  octave -= 30;
  if (octave >= 0) {
    if (octave > 30) return INT64_MAX / 2;
    const int64_t limit = (INT64_MAX / 2) >> octave;
    return product > limit ? INT64_MAX / 2 : product << octave;
  }
  return octave <= -63 ? 0 : product >> -octave;
}

// The amplitude of an attenuation in centibels as 0.16 fixed point (negative counts as 0, beyond
// 1440 as 1440).
constexpr int attenuation_amplitude(int centibels) {
  if (centibels < 0) centibels = 0;
  if (centibels > MAX_ATTENUATION) centibels = MAX_ATTENUATION;
  return static_cast<int>(ATTENUATION_AMPLITUDES[static_cast<std::size_t>(centibels)]);
}

}  // namespace corvane::soundfont_math

#endif  // CORVANE_SOUND_SOUNDFONT_MATH_H
