// The MIDI driver on digital voices, end to end through the offline output: notes of a SoundFont
// written by the test at the pitch its root key and rate give (measured by zero crossings),
// bends, release to silence, zones layered on several voices, the generated instruments when no
// SoundFont is installed (the same bits on every render), and damaged or missing SoundFonts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corvane/config.h"
#include "corvane/midi_drivers.h"
#include "corvane/offline_sound.h"
#include "corvane/sound.h"
#include "sound/midi_voice_assigner.h"
#include "sound/soundfont_location.h"
#include "sound/soundfont_voice_driver.h"
#include "support/soundfont_writer.h"
#include "support/test_sound_drivers.h"
#include "support/test_system.h"

namespace {

using namespace corvane;
using namespace corvane::testing;

constexpr int RATE = 44100;

// The player's part, as plainly as possible: the driver's voices in turn.
int assigned = 0;
int assign_in_turn(int, int) {
  const midi_driver_record *midi = current_midi_driver;
  return midi->first_voice + assigned++ % midi->voice_count;
}

class SoundfontVoiceDriverTest : public sound_test {
 protected:
  void SetUp() override {
    sound_test::SetUp();
    the_test_system().midi_drivers = list;
    use_config_data("[sound]\n", 8);  // settings of the test's own, in memory
    midi_voice_assignment = assign_in_turn;
    assigned = 0;
  }
  void TearDown() override {
    midi_voice_assignment = nullptr;
    set_soundfont_places(nullptr, 0);
    sound_test::TearDown();
  }
  void use_soundfont(const sf2_file &file) {
    write_file(dir.file("font.sf2"), write_sf2(file));
    config_set_string("sound", "soundfont", dir.file("font.sf2").c_str());
  }
  std::vector<int16_t> render(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    EXPECT_EQ(render_offline_sound(out.data(), frames), frames);
    return out;
  }
  midi_driver_record *midi() { return current_midi_driver; }

  driver_list_entry list[2] = {{MIDI_SOUNDFONT_VOICES, &soundfont_voice_driver, -1}, {0, nullptr, 0}};
  scoped_work_dir dir;
};

TEST_F(SoundfontVoiceDriverTest, NoteAtItsPitchBendsAndFallsSilentAfterRelease) {
  use_soundfont(sine_soundfont(100, RATE, -2400));  // 441 Hz at key 60, 250 ms release
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_SOUNDFONT_VOICES), 0) << error_text;
  EXPECT_STREQ(midi()->description, "SoundFont voices, font.sf2");
  EXPECT_LT(midi()->voice_limit, 0);
  EXPECT_EQ(peak_level(render(2048), 0, 2048), 0);

  const int voice = midi()->note_start(0, 72, 0, 127, 64);
  ASSERT_GE(voice, midi()->first_voice);
  std::vector<int16_t> out = render(RATE);
  EXPECT_GT(peak_level(out, 0, 64), 4000);  // sounding from the first frame of the next block
  EXPECT_NEAR(rising_crossing_rate(out, 0, RATE, RATE), 882.0, 2.0);

  midi()->write_pitch(voice, 60, 2048);  // half a semitone above key 60
  out = render(RATE);
  EXPECT_NEAR(rising_crossing_rate(out, 1024, RATE, RATE), 441.0 * 1.029302, 2.0);

  midi()->note_end(voice);
  out = render(RATE / 4 + 2048);
  EXPECT_GT(peak_level(out, 1024, 2048), 2000);  // dying away, not cut
  EXPECT_EQ(peak_level(out, RATE / 4 + 1024, RATE / 4 + 2048), 0);
  EXPECT_EQ(peak_level(render(4096), 0, 4096), 0);
}

TEST_F(SoundfontVoiceDriverTest, LayeredZonesTakeAVoiceEach) {
  sf2_file file = sine_soundfont(100, RATE, -2400);
  file.instruments[0] = {{{17, -500}, {54, 1}, {53, 0}}, {{17, 500}, {54, 1}, {53, 0}}};
  use_soundfont(file);
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_SOUNDFONT_VOICES), 0) << error_text;
  ASSERT_GE(midi()->note_start(0, 60, 0, 127, 64), 0);
  EXPECT_EQ(assigned, 2);
  const std::vector<int16_t> out = render(2048);
  int left = 0;
  int right = 0;
  for (int i = 1024; i < 2048; ++i) {
    left = std::max(left, std::abs(int{out[static_cast<size_t>(2 * i)]}));
    right = std::max(right, std::abs(int{out[static_cast<size_t>(2 * i + 1)]}));
  }
  EXPECT_GT(left, 4000);
  EXPECT_GT(right, 4000);
}

TEST_F(SoundfontVoiceDriverTest, GeneratedInstrumentsWithoutSoundFontRenderTheSameBits) {
  set_soundfont_places(nullptr, 0);
  static const char *const nowhere[] = {"/nonexistent/default.sf2"};
  set_soundfont_places(nowhere, 1);
  const auto play = [&] {
    EXPECT_EQ(install_sound(DIGI_OFFLINE, MIDI_SOUNDFONT_VOICES), 0) << error_text;
    EXPECT_STREQ(midi()->description, "SoundFont voices, generated waveforms");
    std::vector<int16_t> out = render(1024);
    const int melody = midi()->note_start(24, 69, 0, 100, 64);  // a guitar
    const int drum = midi()->note_start(128 + 38, 60, 0, 127, 64);
    EXPECT_GE(melody, 0);
    EXPECT_GE(drum, 0);
    const std::vector<int16_t> rest = render(RATE);
    out.insert(out.end(), rest.begin(), rest.end());
    midi()->note_end(melody);
    midi()->note_end(drum);
    const std::vector<int16_t> tail = render(RATE);
    out.insert(out.end(), tail.begin(), tail.end());
    remove_sound();
    return out;
  };
  const std::vector<int16_t> first = play();
  EXPECT_EQ(play(), first);
  EXPECT_EQ(peak_level(first, 0, 1024), 0);
  EXPECT_GT(peak_level(first, 1024, 2048), 4000);
  EXPECT_EQ(peak_level(first, 1024 + RATE + RATE / 2, 1024 + 2 * RATE), 0);

  // The melody alone: 440 Hz for key 69.
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_SOUNDFONT_VOICES), 0);
  render(1024);
  ASSERT_GE(midi()->note_start(0, 69, 0, 100, 64), 0);
  EXPECT_NEAR(rising_crossing_rate(render(RATE), 0, RATE, RATE), 440.0, 2.0);
}

TEST_F(SoundfontVoiceDriverTest, DamagedOrMissingSoundFontFailsAndAutodetectionMovesOn) {
  const std::string whole = write_sf2(sine_soundfont(100, RATE, -2400));
  write_file(dir.file("cut.sf2"), whole.substr(0, whole.size() - 10));
  config_set_string("sound", "soundfont", dir.file("cut.sf2").c_str());
  EXPECT_EQ(install_sound(DIGI_OFFLINE, MIDI_SOUNDFONT_VOICES), -1);
  EXPECT_STREQ(error_text, "Truncated SoundFont file");
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_AUTODETECT), 0);
  EXPECT_EQ(current_midi_driver, &midi_none_driver);
  remove_sound();

  config_set_string("sound", "soundfont", dir.file("missing.sf2").c_str());
  EXPECT_EQ(install_sound(DIGI_OFFLINE, MIDI_SOUNDFONT_VOICES), -1);
  EXPECT_STREQ(error_text, "Cannot open the SoundFont file");
}

}  // namespace
