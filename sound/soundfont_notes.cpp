// Finding what a SoundFont preset plays: its zones that cover a key and a velocity, each with the
// generators of its instrument zone (falling back on the instrument's global zone, then on the
// format's defaults) plus those of its preset zone (falling back on the preset's global zone),
// turned into a sample range, a loop, a tuning, an attenuation, a pan and a release time.
#include <algorithm>

#include "sound/soundfont_file.h"

namespace corvane {
namespace {

bool covers(const soundfont_zone &zone, int key, int velocity) {
  return key >= zone.key_low && key <= zone.key_high && velocity >= zone.velocity_low &&
         velocity <= zone.velocity_high;
}

struct zone_stack {
  const soundfont_zone &instrument_zone;
  const soundfont_zone &instrument_global;
  const soundfont_zone &preset_zone;
  const soundfont_zone &preset_global;

  // The instrument's absolute value of a generator.
  int absolute(int generator, int fallback) const {
    if (instrument_zone.has(generator)) return instrument_zone.amount[generator];
    if (instrument_global.has(generator)) return instrument_global.amount[generator];
    return fallback;
  }
  // The preset's offset to it (only generators that a preset may change).
  int offset(int generator) const {
    if (preset_zone.has(generator)) return preset_zone.amount[generator];
    if (preset_global.has(generator)) return preset_global.amount[generator];
    return 0;
  }
  int value(int generator, int fallback, int low, int high) const {
    return std::clamp(absolute(generator, fallback) + offset(generator), low, high);
  }
  // A sample address moved by the fine and coarse offset generators (instrument level only).
  int64_t address(uint32_t base, int fine, int coarse) const {
    return int64_t{base} + absolute(fine, 0) + int64_t{absolute(coarse, 0)} * 32768;
  }
};

bool make_note(const soundfont &font, const zone_stack &zones, soundfont_note &note) {
  const soundfont_sample &sample = font.samples[static_cast<size_t>(zones.instrument_zone.target)];
  const int64_t start = zones.address(sample.start, SF_START_OFFSET, SF_START_COARSE_OFFSET);
  const int64_t end = zones.address(sample.end, SF_END_OFFSET, SF_END_COARSE_OFFSET);
  if (start < 0 || start >= end || end > font.sample_points) return false;
  const int64_t loop_start =
      zones.address(sample.loop_start, SF_LOOP_START_OFFSET, SF_LOOP_START_COARSE_OFFSET);
  const int64_t loop_end =
      zones.address(sample.loop_end, SF_LOOP_END_OFFSET, SF_LOOP_END_COARSE_OFFSET);
  note.start = static_cast<uint32_t>(start);
  note.end = static_cast<uint32_t>(end);
  const int mode = zones.absolute(SF_SAMPLE_MODES, 0) & 3;
  const bool loop_fits = start <= loop_start && loop_start < loop_end && loop_end <= end;
  note.loop = (mode == 1 || mode == 3) && loop_fits;
  note.loop_until_release = note.loop && mode == 3;
  note.loop_start = note.loop ? static_cast<uint32_t>(loop_start) : note.start;
  note.loop_end = note.loop ? static_cast<uint32_t>(loop_end) : note.end;
  note.rate = sample.rate;
  const int root = zones.absolute(SF_OVERRIDING_ROOT_KEY, -1);
  note.root_key = root >= 0 && root <= 127 ? root : sample.original_key;
  note.scale_tuning = zones.value(SF_SCALE_TUNING, 100, 0, 1200);
  note.tuning = zones.value(SF_COARSE_TUNE, 0, -120, 120) * 100 +
                zones.value(SF_FINE_TUNE, 0, -99, 99) + sample.pitch_correction;
  note.attenuation = zones.value(SF_INITIAL_ATTENUATION, 0, 0, 1440);
  note.pan = zones.value(SF_PAN, 0, -500, 500);
  note.release = zones.value(SF_RELEASE_VOLUME_ENVELOPE, -12000, -12000, 8000);
  return true;
}

}  // namespace

int find_soundfont_notes(const soundfont &font, const soundfont_preset &preset, int key,
                         int velocity, soundfont_note *notes, int max_notes) noexcept {
  int count = 0;
  for (const soundfont_zone &preset_zone : preset.zones) {
    if (!covers(preset_zone, key, velocity)) continue;
    const soundfont_instrument &instrument =
        font.instruments[static_cast<size_t>(preset_zone.target)];
    for (const soundfont_zone &instrument_zone : instrument.zones) {
      if (count >= max_notes) return count;
      if (!covers(instrument_zone, key, velocity)) continue;
      const zone_stack zones{instrument_zone, instrument.global, preset_zone, preset.global};
      if (make_note(font, zones, notes[count])) ++count;
    }
  }
  return count;
}

const soundfont_preset *find_soundfont_preset(const soundfont &font, int bank,
                                              int program) noexcept {
  const bool percussion = bank == 128;
  const soundfont_preset *same_program = nullptr;
  const soundfont_preset *first_of_kind = nullptr;
  for (const soundfont_preset &preset : font.presets) {
    if ((preset.bank == 128) != percussion) continue;
    if (preset.bank == bank && preset.program == program) return &preset;
    if (same_program == nullptr && preset.program == program) same_program = &preset;
    if (first_of_kind == nullptr) first_of_kind = &preset;
  }
  return same_program != nullptr ? same_program : first_of_kind;
}

}  // namespace corvane
