// 'MCA ' on the stand-in CoreAudio: the DLS music device's graph, the configured quality and reverb
// room (clamped, named in the description), MIDI bytes gathered into whole messages, volume,
// failures taking the graph down, and input refused by all four sound drivers.
#include "corvane/config.h"
#include "corvane/sound.h"
#include "corvane/system.h"
#include "mac_sound_fixture.h"

namespace {

using namespace mac_sound;
using standin::audio_call;

class CoreAudioMidiTest : public fixture {};

TEST_F(CoreAudioMidiTest, QualityAndReverbAreClampedNamedAndSet) {
  const struct {
    int quality, reverb;
    const char *description;
    UInt32 quality_set, room_set;
  } cases[] = {
      {200, 9, "DLSMusicDevice unit, high quality, plate reverb", 127, 8},
      {40, 2, "DLSMusicDevice unit, medium quality, large room reverb", 40, 2},
      {31, -3, "DLSMusicDevice unit, low quality, small room reverb", 31, 0},
      {96, 4, "DLSMusicDevice unit, high quality, large hall reverb", 96, 4},
  };
  for (const auto &c : cases) {
    standin::audio_reset();
    config_set_int("sound", "ca_midi_quality", c.quality);
    config_set_int("sound", "ca_midi_reverb", c.reverb);
    ASSERT_EQ(install_sound(DIGI_NONE, MIDI_CORE_AUDIO), 0) << error_text;
    EXPECT_STREQ(current_midi_driver->description, c.description);
    const std::vector<std::string> calls = standin::audio_calls();
    EXPECT_TRUE(has_line(calls, "SetProperty music 26 out 0 " + std::to_string(c.quality_set)));
    EXPECT_TRUE(has_line(calls, "SetProperty music 10 out 0 " + std::to_string(c.room_set)));
    EXPECT_EQ(calls.back(), "AUGraphStart");
    remove_sound();
    EXPECT_EQ(standin::audio_graphs_alive(), 0);
  }
}

TEST_F(CoreAudioMidiTest, BytesReachTheMusicDeviceAsWholeMessages) {
  ASSERT_EQ(install_sound(DIGI_NONE, MIDI_CORE_AUDIO), 0);
  standin::audio_clear_calls();
  current_midi_driver->send_midi_byte(0xC5);
  EXPECT_TRUE(standin::audio_calls().empty());
  current_midi_driver->send_midi_byte(0x05);
  EXPECT_EQ(standin::audio_calls(), std::vector<std::string>{"MIDI music 197 5 0 0"});
  for (const int b : {0x93, 60}) current_midi_driver->send_midi_byte(b);
  EXPECT_EQ(standin::audio_calls().size(), 1u);
  current_midi_driver->send_midi_byte(100);
  for (const int b : {0xD0, 33, 0xB0, 7, 99}) current_midi_driver->send_midi_byte(b);
  EXPECT_EQ(standin::audio_calls(),
            (std::vector<std::string>{"MIDI music 197 5 0 0", "MIDI music 147 60 100 0",
                                      "MIDI music 208 33 0 0", "MIDI music 176 7 99 0"}));

  standin::audio_clear_calls();
  EXPECT_EQ(current_midi_driver->set_hw_volume(255), 0);
  EXPECT_EQ(standin::audio_calls(),
            std::vector<std::string>{"SetParameter music 14 out 0 1.000000"});
}

TEST_F(CoreAudioMidiTest, AFailingGraphIsTakenDownAndTheVersionIsChecked) {
  for (const audio_call call : {audio_call::new_node, audio_call::graph_initialize,
                                audio_call::node_info, audio_call::graph_start}) {
    standin::audio_reset();
    standin::audio_fail(call, -1);
    EXPECT_EQ(install_sound(DIGI_NONE, MIDI_CORE_AUDIO), -1);
    EXPECT_STREQ(error_text, "Failed to init MIDI music driver");
    EXPECT_EQ(standin::audio_graphs_alive(), 0);
  }
  standin::audio_reset();
  standin_set_appkit_version(600.0);
  EXPECT_EQ(probe_midi_driver(MIDI_CORE_AUDIO), 0);
  EXPECT_EQ(core_audio_midi_driver.open(0, 16), -1);
  EXPECT_STREQ(error_text, "MacOS X.2 or newer required by this driver");
  EXPECT_EQ(standin::audio_graphs_alive(), 0);
}

TEST_F(CoreAudioMidiTest, NoDriverTakesInput) {
  for (digi_driver_record *d : {&core_audio_digi_driver, &sound_manager_digi_driver}) {
    set_error_text("");
    EXPECT_EQ(d->probe(1), 0);
    EXPECT_EQ(d->open(1, 0), -1);
    EXPECT_STREQ(error_text, "Input is not supported") << d->ascii_label;
  }
  for (midi_driver_record *d : {&core_audio_midi_driver, &quicktime_midi_driver}) {
    set_error_text("");
    EXPECT_EQ(d->probe(1), 0);
    EXPECT_EQ(d->open(1, 0), -1);
    EXPECT_STREQ(error_text, "Input is not supported") << d->ascii_label;
  }
  EXPECT_EQ(standin::audio_graphs_alive(), 0);
  EXPECT_EQ(standin::quicktime_components_open(), 0);
  EXPECT_EQ(standin::sound_manager_channels_open(), 0);
}

TEST_F(CoreAudioMidiTest, TheListsAreCoreAudioFirst) {
  std::vector<std::pair<int, void *>> digi, midi;
  // The digital list goes on with drivers that need no device, chosen by id only.
  for (const driver_list_entry *e = default_digi_driver_list; e->driver != nullptr; ++e) {
    if (e->autodetect != 0) digi.emplace_back(e->id, e->driver);
  }
  for (const driver_list_entry *e = default_midi_driver_list; e->driver != nullptr; ++e) {
    EXPECT_NE(e->autodetect, 0);
    midi.emplace_back(e->id, e->driver);
  }
  EXPECT_EQ(digi, (std::vector<std::pair<int, void *>>{{DIGI_CORE_AUDIO, &core_audio_digi_driver},
                                                       {DIGI_SOUND_MANAGER, &sound_manager_digi_driver}}));
  EXPECT_EQ(midi, (std::vector<std::pair<int, void *>>{{MIDI_CORE_AUDIO, &core_audio_midi_driver},
                                                       {MIDI_QUICKTIME, &quicktime_midi_driver}}));
}

}  // namespace
