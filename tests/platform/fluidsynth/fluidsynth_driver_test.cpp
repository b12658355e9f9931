// The FluidSynth MIDI driver: bytes gathered into messages, a note rendered into the offline
// output and gone after its note-off, the quality and reverb settings as the description reports
// them, and autodetection that moves on when the SoundFont is missing or damaged. The tests that
// need an installed SoundFont skip without one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "corvane/config.h"
#include "corvane/file.h"
#include "corvane/midi_drivers.h"
#include "corvane/offline_sound.h"
#include "corvane/sound.h"
#include "platform/fluidsynth/fluidsynth_midi_driver.h"
#include "sound/midi_message_gatherer.h"
#include "sound/soundfont_location.h"
#include "sound/soundfont_voice_driver.h"
#include "support/soundfont_writer.h"
#include "support/test_sound_drivers.h"
#include "support/test_system.h"

namespace {

using namespace corvane;
using namespace corvane::testing;

constexpr int RATE = 44100;

TEST(MidiMessageGathererTest, OneDataByteForProgramAndPressureTwoOtherwiseResyncOnStatus) {
  midi_message_gatherer gatherer;
  std::vector<std::vector<int>> sent;
  const auto feed = [&](std::initializer_list<int> bytes) {
    for (int b : bytes) {
      midi_message m{};
      if (gatherer.take(b, &m)) sent.push_back({m.status, m.data1, m.data2});
    }
  };
  feed({0xC3, 5, 0xD0, 9, 0x91, 60, 100, 0xB2, 7, 90, 0xE0, 0, 64, 0xDF, 1});
  EXPECT_EQ(sent, (std::vector<std::vector<int>>{{0xC3, 5, 0}, {0xD0, 9, 0}, {0x91, 60, 100},
                                                 {0xB2, 7, 90}, {0xE0, 0, 64}, {0xDF, 1, 0}}));
  sent.clear();
  // No running status: data without a status is dropped; a status in the middle of a message
  // starts over.
  feed({60, 100, 0x90, 61, 0x80, 61, 0, 0x1C0, 3});
  EXPECT_EQ(sent, (std::vector<std::vector<int>>{{0x80, 61, 0}, {0xC0, 3, 0}}));
}

class FluidsynthDriverTest : public sound_test {
 protected:
  void SetUp() override {
    sound_test::SetUp();
    the_test_system().midi_drivers = list;
    use_config_data("[sound]\n", 8);  // settings of the test's own, in memory
  }
  void TearDown() override {
    set_soundfont_places(nullptr, 0);
    sound_test::TearDown();
  }
  static bool soundfont_installed() {
    char name[1024];
    return locate_soundfont(name, sizeof name);
  }
  std::vector<int16_t> render(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    EXPECT_EQ(render_offline_sound(out.data(), frames), frames);
    return out;
  }
  void send(std::initializer_list<int> bytes) {
    for (int b : bytes) current_midi_driver->send_midi_byte(b);
  }

  driver_list_entry list[3] = {{MIDI_FLUIDSYNTH, &fluidsynth_midi_driver, -1},
                               {MIDI_SOUNDFONT_VOICES, &soundfont_voice_driver, -1},
                               {0, nullptr, 0}};
  scoped_work_dir dir;
};

TEST_F(FluidsynthDriverTest, NoteIsHeardInItsWindowAndGoneAfterNoteOff) {
  if (!soundfont_installed()) GTEST_SKIP() << "no SoundFont installed";
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_AUTODETECT), 0) << error_text;
  ASSERT_EQ(current_midi_driver, &fluidsynth_midi_driver);
  EXPECT_EQ(render_offline_sound(nullptr, 1), -1);
  constexpr int HALF_SECOND = 22 * OFFLINE_BLOCK_FRAMES;  // whole blocks
  std::vector<int16_t> out = render(HALF_SECOND);
  EXPECT_EQ(peak_level(out, 0, HALF_SECOND), 0);

  render(100);
  send({0xC0, 0, 0x90, 60, 127});
  out = render(OFFLINE_BLOCK_FRAMES - 100);
  EXPECT_EQ(peak_level(out, 0, OFFLINE_BLOCK_FRAMES - 100), 0) << "mixed before the note";
  out = render(HALF_SECOND);
  EXPECT_GT(peak_level(out, 0, 256), 100) << "heard from the next block on";
  EXPECT_GT(peak_level(out, 0, HALF_SECOND), 500);

  send({0x80, 60, 0});
  render(3 * RATE);  // release and reverb die away
  EXPECT_LT(peak_level(render(RATE / 2), 0, RATE / 2), 8);
}

TEST_F(FluidsynthDriverTest, QualityAndReverbSettingsAreReported) {
  if (!soundfont_installed()) GTEST_SKIP() << "no SoundFont installed";
  char name[1024];
  ASSERT_TRUE(locate_soundfont(name, sizeof name));
  const std::string file = get_filename(name);
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_FLUIDSYNTH), 0) << error_text;
  EXPECT_EQ(std::string(current_midi_driver->description),
            "FluidSynth (" + file + "), high quality, small room reverb");
  remove_sound();
  config_set_int("sound", "ca_midi_quality", 40);
  config_set_int("sound", "ca_midi_reverb", 9);
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_FLUIDSYNTH), 0) << error_text;
  EXPECT_EQ(std::string(current_midi_driver->description),
            "FluidSynth (" + file + "), medium quality, plate reverb");
  remove_sound();
  config_set_int("sound", "ca_midi_quality", 200);
  config_set_int("sound", "ca_midi_reverb", 3);
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_FLUIDSYNTH), 0) << error_text;
  EXPECT_EQ(std::string(current_midi_driver->description),
            "FluidSynth (" + file + "), high quality, medium hall reverb");
}

TEST_F(FluidsynthDriverTest, MissingOrDamagedSoundFontFailsAndAutodetectionMovesOn) {
  static const char *const nowhere[] = {"/nonexistent/default.sf2"};
  set_soundfont_places(nowhere, 1);
  EXPECT_EQ(install_sound(DIGI_OFFLINE, MIDI_FLUIDSYNTH), -1);
  EXPECT_STREQ(error_text, "No SoundFont found");
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_AUTODETECT), 0);
  EXPECT_EQ(current_midi_driver, &soundfont_voice_driver);
  remove_sound();

  const std::string whole = write_sf2(sine_soundfont(100, RATE, -2400));
  write_file(dir.file("cut.sf2"), whole.substr(0, whole.size() / 2));
  config_set_string("sound", "soundfont", dir.file("cut.sf2").c_str());
  EXPECT_EQ(install_sound(DIGI_OFFLINE, MIDI_FLUIDSYNTH), -1);
  EXPECT_STREQ(error_text, "Truncated SoundFont file");
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_AUTODETECT), 0);
  EXPECT_EQ(current_midi_driver, &midi_none_driver);
}

TEST_F(FluidsynthDriverTest, SoundFontOfTheTestsOwnPlaysThroughTheSynthesizer) {
  write_file(dir.file("sine.sf2"), write_sf2(sine_soundfont(100, RATE, -2400)));
  config_set_string("sound", "soundfont", dir.file("sine.sf2").c_str());
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_FLUIDSYNTH), 0) << error_text;
  render(1024);
  send({0x90, 72, 127});
  const std::vector<int16_t> out = render(RATE);
  EXPECT_NEAR(rising_crossing_rate(out, RATE / 4, RATE, RATE), 882.0, 3.0);
}

}  // namespace
