// Generated instruments: sine, triangle, square, sawtooth and organ cycles computed at compile time
// (so that every build holds the same words), a decaying noise burst from the library's
// pseudo-random formula, and the presets that map the sixteen General MIDI families onto them.
#include "sound/generated_instruments.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvane {
namespace {

constexpr double PI = 3.14159265358979323846;

// sin(x) for |x| <= pi by its series.
constexpr double series_sin(double x) {
  double term = x;
  double sum = x;
  for (int n = 1; n < 20; ++n) {
    term *= -x * x / ((2.0 * n) * (2.0 * n + 1.0));
    sum += term;
  }
  return sum;
}

constexpr double cycle_sin(int harmonic, int i) {
  // Reduce the phase into -pi..pi before the series.
  const int point = (harmonic * i) % GENERATED_CYCLE;
  const double phase = 2.0 * PI * point / GENERATED_CYCLE;
  return series_sin(phase > PI ? phase - 2.0 * PI : phase);
}

enum waveform { SINE, TRIANGLE, SQUARE, SAWTOOTH, ORGAN, WAVEFORM_COUNT };

constexpr double waveform_value(int kind, int i) {
  const double t = static_cast<double>(i) / GENERATED_CYCLE;
  switch (kind) {
    case SINE: return cycle_sin(1, i);
    case TRIANGLE: return t < 0.25 ? 4 * t : t < 0.75 ? 2 - 4 * t : 4 * t - 4;
    case SQUARE: return 0.6 * (cycle_sin(1, i) + cycle_sin(3, i) / 3 + cycle_sin(5, i) / 5);
    case SAWTOOTH:
      return 0.55 * (cycle_sin(1, i) - cycle_sin(2, i) / 2 + cycle_sin(3, i) / 3 -
                     cycle_sin(4, i) / 4 + cycle_sin(5, i) / 5);
    default: return 0.6 * cycle_sin(1, i) + 0.3 * cycle_sin(2, i) + 0.2 * cycle_sin(3, i);
  }
}

// The cycles as unsigned 16-bit words, 24000 for a full-scale value.
constexpr std::array<uint16_t, WAVEFORM_COUNT * GENERATED_CYCLE> CYCLES = [] {
  std::array<uint16_t, WAVEFORM_COUNT * GENERATED_CYCLE> words{};
  for (int kind = 0; kind < WAVEFORM_COUNT; ++kind) {
    for (int i = 0; i < GENERATED_CYCLE; ++i) {
      const double v = waveform_value(kind, i) * 24000.0;
      const int rounded = static_cast<int>(v < 0 ? v - 0.5 : v + 0.5);
      const std::size_t index =
          static_cast<std::size_t>(kind) * GENERATED_CYCLE + static_cast<std::size_t>(i);
      words[index] = static_cast<uint16_t>(rounded + 32768);
    }
  }
  return words;
}();

constexpr int NOISE_POINTS = 8192;
constexpr int NOISE_RATE = 22050;

// Waveform, release (timecents) and attenuation (centibels) of each General MIDI family.
struct family_sound {
  int waveform;
  int release;
  int attenuation;
};
constexpr family_sound FAMILIES[16] = {
    {TRIANGLE, -2400, 0},  // piano
    {SINE, -1200, 0},      // chromatic percussion
    {ORGAN, -3600, 20},    // organ
    {TRIANGLE, -2400, 0},  // guitar
    {SINE, -3600, 0},      // bass
    {SAWTOOTH, -1800, 40}, // strings
    {SAWTOOTH, -1800, 40}, // ensemble
    {SQUARE, -3600, 40},   // brass
    {SQUARE, -3600, 40},   // reed
    {SINE, -3000, 0},      // pipe
    {SQUARE, -3600, 60},   // synth lead
    {SAWTOOTH, -1200, 60}, // synth pad
    {SAWTOOTH, -1200, 60}, // synth effects
    {TRIANGLE, -2400, 0},  // ethnic
    {SINE, -1200, 0},      // percussive
    {SAWTOOTH, -2400, 60}, // sound effects
};

void set_generator(soundfont_zone &zone, int generator, int amount) {
  zone.set |= uint64_t{1} << generator;
  zone.amount[generator] = static_cast<int16_t>(amount);
}

}  // namespace

void make_generated_soundfont(soundfont &font) {
  font = soundfont{};
  font.data.assign(CYCLES.begin(), CYCLES.end());
  for (int kind = 0; kind < WAVEFORM_COUNT; ++kind) {
    soundfont_sample s;
    s.start = static_cast<uint32_t>(kind * GENERATED_CYCLE);
    s.end = s.start + GENERATED_CYCLE;
    s.loop_start = s.start;
    s.loop_end = s.end;
    s.rate = GENERATED_RATE;
    s.original_key = 69;
    font.samples.push_back(s);
  }

  // Noise that dies away over its length: the pseudo-random formula's upper bits, scaled by a
  // squared linear decay.
  soundfont_sample noise;
  noise.start = static_cast<uint32_t>(font.data.size());
  uint32_t seed = 1;
  for (int i = 0; i < NOISE_POINTS; ++i) {
    seed = seed * 1103515245u + 1103527590u;
    const int64_t random = static_cast<int64_t>((seed >> 16) & 0xFFFF) - 32768;
    const int64_t left = NOISE_POINTS - i;
    const int64_t value = random * left * left / (int64_t{NOISE_POINTS} * NOISE_POINTS) * 3 / 4;
    font.data.push_back(static_cast<uint16_t>(value + 32768));
  }
  noise.end = static_cast<uint32_t>(font.data.size());
  noise.rate = NOISE_RATE;
  noise.original_key = 60;
  font.samples.push_back(noise);
  font.sample_points = static_cast<uint32_t>(font.data.size());

  // One instrument per family, then the percussion instrument.
  for (const family_sound &family : FAMILIES) {
    soundfont_instrument instrument;
    soundfont_zone zone;
    zone.target = family.waveform;
    set_generator(zone, SF_SAMPLE_MODES, 1);
    set_generator(zone, SF_RELEASE_VOLUME_ENVELOPE, family.release);
    set_generator(zone, SF_INITIAL_ATTENUATION, family.attenuation);
    instrument.zones.push_back(zone);
    font.instruments.push_back(instrument);
  }
  soundfont_instrument drums;
  soundfont_zone hit;
  hit.target = WAVEFORM_COUNT;
  set_generator(hit, SF_RELEASE_VOLUME_ENVELOPE, 0);  // the burst rings on for a second
  set_generator(hit, SF_SCALE_TUNING, 50);
  drums.zones.push_back(hit);
  font.instruments.push_back(drums);

  for (int program = 0; program < 128; ++program) {
    soundfont_preset preset;
    preset.program = program;
    soundfont_zone zone;
    zone.target = program / 8;
    preset.zones.push_back(zone);
    font.presets.push_back(preset);
  }
  soundfont_preset kit;
  kit.bank = 128;
  soundfont_zone zone;
  zone.target = 16;
  kit.zones.push_back(zone);
  font.presets.push_back(kit);
}

}  // namespace corvane
