// Fuzz target "soundfont": the input is a SoundFont 2 file, read with and without its sample
// data. Both readings must agree, a failure must leave nothing behind, and every note that any
// preset plays for a spread of keys and velocities must lie inside the sample data with its loop
// inside the note.
#include <cstdint>
#include <cstring>

#include "corvane/system.h"
#include "fuzz_support.h"
#include "sound/soundfont_file.h"

namespace {

void check_notes(const corvane::soundfont &font) {
  corvane::soundfont_note notes[4];
  for (const corvane::soundfont_preset &preset : font.presets) {
    for (int key = 0; key < 128; key += 9) {
      for (int velocity = 1; velocity < 128; velocity += 42) {
        const int count = corvane::find_soundfont_notes(font, preset, key, velocity, notes, 4);
        FUZZ_CHECK(count >= 0 && count <= 4);
        for (int i = 0; i < count; ++i) {
          const corvane::soundfont_note &n = notes[i];
          FUZZ_CHECK(n.start < n.end && n.end <= font.sample_points);
          FUZZ_CHECK(!n.loop || (n.start <= n.loop_start && n.loop_start < n.loop_end &&
                                 n.loop_end <= n.end));
          FUZZ_CHECK(n.attenuation >= 0 && n.attenuation <= 1440);
          FUZZ_CHECK(n.pan >= -500 && n.pan <= 500);
          FUZZ_CHECK(n.rate > 0);
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const fuzz::memory_file file(fuzz::as_text(data, size));
  corvane::soundfont with_data;
  corvane::soundfont without_data;
  const int full = corvane::read_soundfont(file.path().c_str(), true, with_data);
  const int checked = corvane::read_soundfont(file.path().c_str(), false, without_data);
  FUZZ_CHECK(full == checked);
  if (full != 0) {
    FUZZ_CHECK(with_data.presets.empty() && with_data.data.empty());
    FUZZ_CHECK(error_text[0] != '\0');
    return 0;
  }
  FUZZ_CHECK(with_data.data.size() == with_data.sample_points);
  FUZZ_CHECK(without_data.data.empty());
  FUZZ_CHECK(with_data.presets.size() == without_data.presets.size());
  check_notes(with_data);
  return 0;
}
