// Installing and removing sound: driver choice by id, configuration and autodetection, the voice
// arithmetic and the sharing of digital voices with a MIDI driver, the failure messages, probing,
// the global volumes, input, and the MIDI hook.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/exit_functions.h"
#include "corvane/config.h"
#include "corvane/offline_sound.h"
#include "corvane/sound.h"
#include "sound/sound_internal.h"
#include "support/test_sound_drivers.h"

namespace {

using namespace corvane::testing;

void use_sound_config(const std::string &text) {
  use_config_data(text.c_str(), static_cast<int>(text.size()));
}

bool exit_function_registered(void (*function)()) {
  for (auto *node = corvane::exit_func_head(); node != nullptr; node = node->next)
    if (node->function == function) return true;
  return false;
}

using InstallSoundTest = sound_test;

TEST_F(InstallSoundTest, NoSoundDriversByIdZero) {
  ASSERT_EQ(install_sound(DIGI_NONE, MIDI_NONE), 0);
  EXPECT_EQ(current_digi_driver, &digi_none_driver);
  EXPECT_EQ(current_midi_driver, &midi_none_driver);
  EXPECT_STREQ(current_digi_driver->description, "The sound of silence");
  EXPECT_STREQ(current_midi_driver->description, "The sound of silence");
  EXPECT_EQ(sound_installed, -1);
  EXPECT_TRUE(exit_function_registered(remove_sound));

  // Every voice call is harmless: the voice exists but has nothing to play on.
  sample *spl = new_sample(8, 0, 11025, 100);
  const int voice = start_sample(spl, 255, 128, 1000, 0);
  EXPECT_EQ(voice, 0);
  EXPECT_EQ(get_voice_position(voice), -1);
  EXPECT_EQ(get_voice_volume(voice), -1);
  set_voice_pan(voice, 3);
  ramp_voice_volume(voice, 100, 0);
  free_sample(spl);
  EXPECT_EQ(check_voice(voice), nullptr);
}

TEST_F(InstallSoundTest, SecondInstallChangesNothing) {
  ASSERT_EQ(install_sound(TEST_DIGI_ID, MIDI_NONE), 0);
  ASSERT_EQ(install_sound(DIGI_NONE, MIDI_NONE), 0);
  EXPECT_EQ(current_digi_driver, &the_test_digi().driver);
  EXPECT_EQ(the_test_digi().open_calls, 1);
}

TEST_F(InstallSoundTest, AutodetectionTakesTheFirstDriverThatAnswersElseNoSound) {
  ASSERT_EQ(install_sound(DIGI_AUTODETECT, MIDI_AUTODETECT), 0);
  EXPECT_EQ(current_digi_driver, &the_test_digi().driver);
  EXPECT_EQ(digi_driver_id, TEST_DIGI_ID);
  EXPECT_EQ(midi_driver_id, TEST_MIDI_ID);
  EXPECT_STREQ(current_digi_driver->name, "Test digital");
  remove_sound();

  // 'TDIG' refuses; the offline driver is never autodetected: no sound, and no failure.
  the_test_digi().probe_result = 0;
  ASSERT_EQ(install_sound(DIGI_AUTODETECT, MIDI_NONE), 0);
  EXPECT_EQ(current_digi_driver, &digi_none_driver);
  EXPECT_EQ(digi_driver_id, 0);
}

TEST_F(InstallSoundTest, ConfiguredCardAndVoices) {
  use_sound_config("[sound]\ndigi_card = offl\ndigi_voices = 5\nquality = 1\nflip_pan = 1\n");
  ASSERT_EQ(install_sound(DIGI_AUTODETECT, MIDI_NONE), 0);
  EXPECT_EQ(digi_driver_id, DIGI_OFFLINE);
  EXPECT_EQ(current_digi_driver->voice_count, 5);
  EXPECT_EQ(sound_quality, 1);
  EXPECT_EQ(flip_pan, 1);
}

TEST_F(InstallSoundTest, ChosenDriverThatCannotRunFails) {
  the_test_digi().probe_result = 0;
  EXPECT_EQ(install_sound(TEST_DIGI_ID, MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "Digital sound driver not found");
  EXPECT_EQ(current_digi_driver, &digi_none_driver);
  EXPECT_EQ(sound_installed, 0);

  the_test_digi().probe_result = -1;
  the_test_midi().probe_result = 0;
  EXPECT_EQ(install_sound(TEST_DIGI_ID, TEST_MIDI_ID), -1);
  EXPECT_STREQ(error_text, "MIDI music driver not found");
  EXPECT_EQ(current_digi_driver, &digi_none_driver);
  EXPECT_EQ(current_midi_driver, &midi_none_driver);
}

TEST_F(InstallSoundTest, TooManyVoicesFailBeforeAnyDriverOpens) {
  use_sound_config("[sound]\ndigi_voices = 65\n");
  EXPECT_EQ(install_sound(TEST_DIGI_ID, MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "Insufficient digital voices available");
  EXPECT_EQ(the_test_digi().open_calls, 0);

  digi_voices_wanted = 4;
  midi_voices_wanted = 65;
  EXPECT_EQ(install_sound(TEST_DIGI_ID, TEST_MIDI_ID), -1);
  EXPECT_STREQ(error_text, "Insufficient MIDI voices available");
}

TEST_F(InstallSoundTest, DriverOpenFailures) {
  the_test_digi().open_result = 1;
  EXPECT_EQ(install_sound(TEST_DIGI_ID, MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "Failed to init digital sound driver");

  the_test_digi().open_result = 0;
  the_test_midi().open_result = 1;
  EXPECT_EQ(install_sound(TEST_DIGI_ID, TEST_MIDI_ID), -1);
  EXPECT_STREQ(error_text, "Failed to init MIDI music driver");
  EXPECT_EQ(the_test_digi().close_calls, 1);
  EXPECT_EQ(current_digi_driver, &digi_none_driver);

  // A driver's own reason wins over the generic one.
  the_test_midi().open_result = 0;
  the_test_digi().open_result = 1;
  the_test_digi().open_error = "Device busy";
  EXPECT_EQ(install_sound(TEST_DIGI_ID, MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "Device busy");
}

TEST_F(InstallSoundTest, DriverThatOpensWithTooFewVoicesIsClosedAgain) {
  digi_voices_wanted = 9;
  the_test_digi().driver.voice_limit = 8;  // it opens with 8 voices
  EXPECT_EQ(install_sound(TEST_DIGI_ID, TEST_MIDI_ID), -1);
  EXPECT_STREQ(error_text, "Insufficient digital voices available");
  EXPECT_EQ(the_test_digi().close_calls, 1);
  EXPECT_EQ(the_test_midi().close_calls, 1);
  EXPECT_EQ(current_digi_driver, &digi_none_driver);
}

TEST_F(InstallSoundTest, MidiDriverSharesTheDigitalVoices) {
  // 8 digital voices wanted; a MIDI driver on digital voices with 8 by default; a 64-voice
  // digital driver: MIDI gets 8 + (64 - 16) * 3 / 4 = 44 voices, from virtual voice 212 on.
  test_midi &midi = the_test_midi();
  midi.driver.voice_limit = -1;
  midi.driver.default_voices = 8;
  digi_voices_wanted = 8;
  ASSERT_EQ(install_sound(TEST_DIGI_ID, TEST_MIDI_ID), 0);
  EXPECT_EQ(the_test_digi().opened_voices, 16);
  EXPECT_EQ(midi.opened_voices, 8);
  EXPECT_EQ(current_digi_driver->voice_count, 20);
  EXPECT_EQ(current_midi_driver->voice_count, 44);
  EXPECT_EQ(current_midi_driver->first_voice, 212);
  EXPECT_EQ(corvane::virtual_voices[212].physical.load(), 20);
  EXPECT_EQ(corvane::physical_voices[63].owner.load(), 255);

  // Programs get neither those virtual voices nor those physical voices.
  sample *spl = new_sample(8, 0, 8000, 10);
  for (int i = 0; i < 212; ++i) ASSERT_EQ(claim_voice(spl), i);
  EXPECT_EQ(claim_voice(spl), -1);
  for (int i = 0; i < 212; ++i) EXPECT_LT(corvane::virtual_voices[i].physical.load(), 20);
  free_sample(spl);
}

TEST_F(InstallSoundTest, ProbingAnswersTheVoiceLimit) {
  EXPECT_EQ(probe_digi_driver(CORVANE_ID('N', 'O', 'P', 'E')), 65535);
  EXPECT_EQ(probe_digi_driver(TEST_DIGI_ID), 64);
  EXPECT_EQ(current_digi_driver, &digi_none_driver);
  the_test_digi().probe_result = 0;
  EXPECT_EQ(probe_digi_driver(TEST_DIGI_ID), 0);
  EXPECT_EQ(probe_midi_driver(TEST_MIDI_ID), 16);
  ASSERT_EQ(install_sound(DIGI_NONE, MIDI_NONE), 0);
  EXPECT_EQ(probe_midi_driver(TEST_MIDI_ID), 0);
}

TEST_F(InstallSoundTest, RemoveFreesEveryVoiceAndClosesTheDrivers) {
  remove_sound();  // not installed: nothing happens
  EXPECT_EQ(the_test_digi().close_calls, 0);

  ASSERT_EQ(install_sound(TEST_DIGI_ID, TEST_MIDI_ID), 0);
  sample *spl = new_sample(8, 0, 8000, 10);
  const int voice = start_sample(spl, 255, 128, 1000, 1);
  ASSERT_GE(voice, 0);
  the_test_digi().calls.clear();
  remove_sound();
  EXPECT_EQ(the_test_digi().calls, (std::vector<std::string>{"halt 0", "unbind 0"}));
  EXPECT_EQ(corvane::virtual_voices[voice].sample_played.load(), nullptr);
  EXPECT_EQ(the_test_digi().close_calls, 1);
  EXPECT_EQ(the_test_midi().close_calls, 1);
  EXPECT_EQ(current_digi_driver, &digi_none_driver);
  EXPECT_EQ(sound_installed, 0);
  EXPECT_FALSE(exit_function_registered(remove_sound));
  free_sample(spl);
}

TEST_F(InstallSoundTest, SampleObjectTypeIsRegistered) {
  ASSERT_EQ(install_sound(DIGI_NONE, MIDI_NONE), 0);
  const object_type_entry *entry = nullptr;
  for (const object_type_entry &e : object_type_registry)
    if (e.type == CORVANE_ID('S', 'A', 'M', 'P')) entry = &e;
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->loader, nullptr);
  ASSERT_NE(entry->destructor, nullptr);
  entry->destructor(new_sample(16, 1, 44100, 4));  // frees it (the leak checker would tell)
}

int hook_starts = 0;
int hook_stops = 0;
int hook_answer = 0;
int hook_start() {
  ++hook_starts;
  return hook_answer;
}
void hook_stop() { ++hook_stops; }
const corvane::midi_hook_record test_hook{hook_start, hook_stop};

TEST_F(InstallSoundTest, MidiHookStartsFirstAndStopsOnEveryWayDown) {
  corvane::midi_hook = &test_hook;
  hook_answer = 1;
  EXPECT_EQ(install_sound(TEST_DIGI_ID, MIDI_NONE), -1);
  EXPECT_EQ(the_test_digi().open_calls, 0);

  hook_answer = 0;
  the_test_digi().open_result = 1;
  EXPECT_EQ(install_sound(TEST_DIGI_ID, MIDI_NONE), -1);
  EXPECT_EQ(hook_stops, 1);

  the_test_digi().open_result = 0;
  ASSERT_EQ(install_sound(TEST_DIGI_ID, MIDI_NONE), 0);
  remove_sound();
  EXPECT_EQ(hook_starts, 3);
  EXPECT_EQ(hook_stops, 2);
}

TEST_F(InstallSoundTest, SoundVolumeKeepsEachVoiceLevel) {
  ASSERT_EQ(install_sound(TEST_DIGI_ID, MIDI_NONE), 0);
  sample *spl = new_sample(8, 0, 8000, 10);
  const int voice = start_sample(spl, 100, 128, 1000, 1);
  set_sound_volume(300, -1);
  EXPECT_EQ(digi_volume, 255);
  EXPECT_EQ(midi_volume, -1);
  EXPECT_EQ(get_voice_volume(voice), 100);
  set_sound_volume(51, 7);
  EXPECT_EQ(midi_volume, 7);
  EXPECT_EQ(the_test_digi().volume[0], 20);  // 100 x 51 / 255
  EXPECT_EQ(get_voice_volume(voice), 100);
  free_sample(spl);
}

TEST_F(InstallSoundTest, DeviceVolumesReachOnlyDriversThatHaveThem) {
  ASSERT_EQ(install_sound(DIGI_NONE, MIDI_NONE), 0);
  int digital = 0;
  int midi = 0;
  get_device_volume(&digital, &midi);
  EXPECT_EQ(digital, -1);
  EXPECT_EQ(midi, -1);
  set_device_volume(300, 300);
  get_device_volume(nullptr, nullptr);
}

TEST_F(InstallSoundTest, SoundInput) {
  EXPECT_EQ(open_sound_input(DIGI_NONE, MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "Sound system not installed");

  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_NONE), 0);
  EXPECT_EQ(open_sound_input(DIGI_OFFLINE, MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "Input is not supported");
  the_test_digi().probe_result = 0;
  EXPECT_EQ(open_sound_input(TEST_DIGI_ID, MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "Test digital does not support audio input");
  EXPECT_EQ(open_sound_input(CORVANE_ID('N', 'O', 'P', 'E'), MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "Digital input driver not found");
  EXPECT_EQ(open_sound_input(DIGI_NONE, TEST_MIDI_ID + 1), -1);
  EXPECT_STREQ(error_text, "MIDI input driver not found");
  EXPECT_EQ(current_digi_input, &digi_none_driver);

  digi_input_callback = [](void *) {};
  ASSERT_EQ(open_sound_input(DIGI_NONE, MIDI_NONE), 0);
  EXPECT_EQ(digi_input_callback, nullptr);
  EXPECT_EQ(sound_input_installed, -1);
  remove_sound();
  EXPECT_EQ(sound_input_installed, 0);
}

}  // namespace
