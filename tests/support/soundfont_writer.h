// SoundFont 2 files written by the tests: presets, instruments and samples given as plain lists,
// laid out as the file format has them (each list with its terminal record, each sample followed
// by 46 silent points).
#ifndef CORVANE_TESTS_SUPPORT_SOUNDFONT_WRITER_H
#define CORVANE_TESTS_SUPPORT_SOUNDFONT_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::testing {

struct sf2_generator {
  int oper;
  int amount;  // ranges: low | high << 8
};

// A zone's generators in file order; a zone that plays something ends with generator 41
// (instrument) or 53 (sample).
using sf2_zone = std::vector<sf2_generator>;

struct sf2_preset {
  int bank = 0;
  int program = 0;
  std::vector<sf2_zone> zones;
};

struct sf2_sample {
  std::vector<int16_t> points;
  int rate = 44100;
  int key = 60;
  int correction = 0;
  uint32_t loop_start = 0;  // relative to the sample's first point
  uint32_t loop_end = 0;
};

struct sf2_file {
  std::vector<sf2_preset> presets;
  std::vector<std::vector<sf2_zone>> instruments;
  std::vector<sf2_sample> samples;
};

std::string write_sf2(const sf2_file &file);

// One cycle of a sine wave of the given points and amplitude.
std::vector<int16_t> sine_cycle(int points, int amplitude);

// A file with one preset (bank 0, program 0) of one instrument zone playing one looping sine
// cycle of the given points at the given rate, root key 60, and the given release in timecents.
sf2_file sine_soundfont(int points, int rate, int release);

// Measures of rendered stereo 16-bit output (left, right interleaved), frames [from, to).
// The frequency of the left channel in Hz from its rising zero crossings at the given rate; the
// largest magnitude on either side.
double rising_crossing_rate(const std::vector<int16_t> &stereo, size_t from, size_t to, int rate);
int peak_level(const std::vector<int16_t> &stereo, size_t from, size_t to);

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_SOUNDFONT_WRITER_H
