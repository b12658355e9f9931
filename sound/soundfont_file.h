// SoundFont 2 files: reading the RIFF "sfbk" form (the sample data of "sdta" and the preset,
// instrument and sample records of "pdta") into presets of zones, and finding what a preset plays
// for a key and a velocity. Modulators are not read.
#ifndef CORVANE_SOUND_SOUNDFONT_FILE_H
#define CORVANE_SOUND_SOUNDFONT_FILE_H

#include <cstdint>
#include <vector>

namespace corvane {

// The generators this library uses, by their numbers in the file format.
enum soundfont_generator : int {
  SF_START_OFFSET = 0,
  SF_END_OFFSET = 1,
  SF_LOOP_START_OFFSET = 2,
  SF_LOOP_END_OFFSET = 3,
  SF_START_COARSE_OFFSET = 4,
  SF_END_COARSE_OFFSET = 12,
  SF_PAN = 17,
  SF_RELEASE_VOLUME_ENVELOPE = 38,
  SF_INSTRUMENT = 41,
  SF_KEY_RANGE = 43,
  SF_VELOCITY_RANGE = 44,
  SF_LOOP_START_COARSE_OFFSET = 45,
  SF_INITIAL_ATTENUATION = 48,
  SF_LOOP_END_COARSE_OFFSET = 50,
  SF_COARSE_TUNE = 51,
  SF_FINE_TUNE = 52,
  SF_SAMPLE_ID = 53,
  SF_SAMPLE_MODES = 54,
  SF_SCALE_TUNING = 56,
  SF_OVERRIDING_ROOT_KEY = 58,
  SF_GENERATOR_COUNT = 61,
};

// A zone: key and velocity ranges and the generators it sets (amounts as signed 16-bit values).
// target is the instrument (preset zones) or sample (instrument zones) it plays; -1 for a global
// zone.
struct soundfont_zone {
  int key_low = 0;
  int key_high = 127;
  int velocity_low = 0;
  int velocity_high = 127;
  uint64_t set = 0;  // bit g: generator g is given
  int16_t amount[SF_GENERATOR_COUNT] = {};
  int target = -1;

  bool has(int generator) const { return ((set >> generator) & 1) != 0; }
};

struct soundfont_preset {
  int bank = 0;
  int program = 0;
  soundfont_zone global;
  std::vector<soundfont_zone> zones;
};

struct soundfont_instrument {
  soundfont_zone global;
  std::vector<soundfont_zone> zones;
};

// A sample header; positions are sample points from the start of the sample data, checked to lie
// inside it (start < end <= the data's length).
struct soundfont_sample {
  uint32_t start = 0;
  uint32_t end = 0;
  uint32_t loop_start = 0;
  uint32_t loop_end = 0;
  int rate = 0;
  int original_key = 60;
  int pitch_correction = 0;  // cents
};

struct soundfont {
  std::vector<soundfont_preset> presets;
  std::vector<soundfont_instrument> instruments;
  std::vector<soundfont_sample> samples;
  uint32_t sample_points = 0;  // length of the sample data in points
  // The sample data as unsigned 16-bit words (32768 is silence), empty unless asked for.
  std::vector<uint16_t> data;
};

// Reads a SoundFont 2 file (any name the packfile layer opens). With load_samples false the
// sample data is skipped, which checks the whole file cheaply. Answers 0, or -1 with error_text
// set ("Not a SoundFont file", "Truncated SoundFont file", "Corrupt SoundFont file", "Not enough
// memory") and out left empty. Sizes are checked against what the file holds before anything is
// allocated for them; zones whose ranges, instruments or samples are out of bounds are dropped.
int read_soundfont(const char *filename, bool load_samples, soundfont &out) noexcept;

// What one zone plays: a sample range with its loop, tuned and placed.
struct soundfont_note {
  uint32_t start = 0;  // sample points in the data, start < end
  uint32_t end = 0;
  uint32_t loop_start = 0;  // start <= loop_start < loop_end <= end when loop is set
  uint32_t loop_end = 0;
  bool loop = false;
  bool loop_until_release = false;  // sample mode 3: after note-off, play on to the end
  int rate = 0;                     // the sample's rate in Hz
  int root_key = 60;
  int scale_tuning = 100;  // cents per key
  int tuning = 0;          // cents added: coarse and fine tune and the sample's correction
  int attenuation = 0;     // centibels, 0..1440
  int pan = 0;             // -500 (left) .. 500 (right), tenths of a percent
  int release = -12000;    // timecents
};

// The zones a preset plays for a key and a velocity (at most max_notes of them, in the order of
// the file), with the generators of the instrument's global and local zones and the preset's
// added as the format prescribes. Answers how many were written.
int find_soundfont_notes(const soundfont &font, const soundfont_preset &preset, int key,
                         int velocity, soundfont_note *notes, int max_notes) noexcept;

// The preset of a bank and program; for a missing one, the same program of any bank of the same
// kind (percussion is bank 128), then the kind's first preset. Null when the file has none.
const soundfont_preset *find_soundfont_preset(const soundfont &font, int bank,
                                              int program) noexcept;

}  // namespace corvane

#endif  // CORVANE_SOUND_SOUNDFONT_FILE_H
