// The SDL2 sound output driver on SDL's headless audio drivers: autodetection with and without a
// device, installing, playing and removing again in one process, what SDL's "disk" driver writes
// (the mixer's output, sample for sample), the callback fed in pieces of any size, the format the
// settings ask for, a device that fails while playing, and the refusals.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "corvane/config.h"
#include "corvane/offline_sound.h"
#include "corvane/sound.h"
#include "corvane/system.h"
#include "platform/sdl2/sdl_digi_driver.h"
#include "support/env_guard.h"
#include "support/sound_output_support.h"
#include "support/test_system.h"

namespace {

using corvane::sdl::digi_driver;
using corvane::sdl::DIGI_SDL;
using corvane::sdl::sound_device;
using namespace corvane::testing;

// The library on the Linux host, with SDL's "dummy" audio driver (a device that plays to nowhere
// in real time) unless a test chooses another.
class SdlSoundDriverTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0); }
  void TearDown() override {
    free_sample(spl);
    shutdown_corvane();
  }
  void make_sample(int frames) { spl = make_noise_sample(frames); }
  std::vector<int16_t> offline_output(int volume, int pan, int frequency, int loop, int frames) {
    return corvane::testing::offline_output(spl, volume, pan, frequency, loop, frames);
  }

  env_guard audio_driver{"SDL_AUDIODRIVER", "dummy"};
  sample *spl = nullptr;
};

TEST_F(SdlSoundDriverTest, AutodetectionTakesTheDeviceWhenThereIsOne) {
  ASSERT_EQ(install_sound(DIGI_AUTODETECT, MIDI_NONE), 0);
  EXPECT_EQ(current_digi_driver, &digi_driver);
  EXPECT_EQ(digi_driver_id, DIGI_SDL);
  EXPECT_EQ(current_midi_driver, &midi_none_driver);
}

TEST_F(SdlSoundDriverTest, NoDeviceMeansNoSoundNotAFailure) {
  audio_driver.set("no-such-audio-driver");
  ASSERT_EQ(install_sound(DIGI_AUTODETECT, MIDI_NONE), 0);
  EXPECT_EQ(current_digi_driver, &digi_none_driver);
  EXPECT_EQ(digi_driver_id, DIGI_NONE);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);  // the probe gave SDL back
  // Asked for by id, the driver reports why it cannot run.
  remove_sound();
  EXPECT_EQ(install_sound(DIGI_SDL, MIDI_NONE), -1);
  EXPECT_EQ(std::string(error_text).rfind("Cannot start SDL audio: ", 0), 0u) << error_text;
  EXPECT_EQ(current_digi_driver, &digi_none_driver);
  // The drivers that need no device are there by id.
  EXPECT_EQ(install_sound(DIGI_OFFLINE, MIDI_NONE), 0);
}

TEST_F(SdlSoundDriverTest, InstallPlayAndRemoveAgainAndAgain) {
  make_sample(4410);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(install_sound(DIGI_SDL, MIDI_NONE), 0);
    EXPECT_STREQ(current_digi_driver->description,
                 "default device (dummy), 16 bits, 44100 bps, stereo");
    EXPECT_EQ(sound_freq, 44100);
    EXPECT_EQ(sound_bits, 16);
    EXPECT_EQ(sound_stereo, -1);
    // 25 ms at 44.1 kHz: the largest power of two frames that fits is 1024.
    EXPECT_EQ(current_digi_driver->block_size(), 1024);
    const int voice = start_sample(spl, 255, 128, 1000, 0);
    ASSERT_GE(voice, 0);
    EXPECT_TRUE(wait_until_ended(voice));  // the device's callbacks mixed it to its end
    remove_sound();
    EXPECT_EQ(sound_device(), 0u);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVERYTHING), 0u);
  }
}

TEST_F(SdlSoundDriverTest, DiskDriverFileHoldsTheMixedSample) {
  scoped_work_dir dir;
  audio_driver.set("disk");
  const env_guard file("SDL_DISKAUDIOFILE", dir.file("played.raw"));
  make_sample(4410);
  const std::vector<int16_t> expected = offline_output(255, 64, 1000, 0, 4410);

  ASSERT_EQ(install_sound(DIGI_SDL, MIDI_NONE), 0);
  EXPECT_STREQ(current_digi_driver->description,
               "default device (disk), 16 bits, 44100 bps, stereo");
  const int voice = start_sample(spl, 255, 64, 1000, 0);
  ASSERT_TRUE(wait_until_ended(voice));
  remove_sound();

  const std::string played = corvane::testing::read_file(dir.file("played.raw"));
  std::vector<int16_t> words(played.size() / 2);
  std::memcpy(words.data(), played.data(), words.size() * 2);
  EXPECT_GE(find_frames(words, expected), 0) << "the mixed sample is not in the file";
}

TEST_F(SdlSoundDriverTest, CallbackInPiecesOfAnySizeGivesTheMixerOutput) {
  make_sample(700);
  const std::vector<int16_t> expected = offline_output(200, 90, 1370, 1, 5000);

  ASSERT_EQ(install_sound(DIGI_SDL, MIDI_NONE), 0);
  SDL_LockAudioDevice(sound_device());  // SDL's own calls wait meanwhile
  ASSERT_GE(start_sample(spl, 200, 90, 1370, 1), 0);
  std::vector<int16_t> fed;
  for (int frames : {1, 7, 1016, 333, 2048, 1595, 1024}) {
    std::vector<int16_t> piece(static_cast<size_t>(frames) * 2);
    corvane::sdl::fill_sound_output(nullptr, reinterpret_cast<Uint8 *>(piece.data()), frames * 4);
    fed.insert(fed.end(), piece.begin(), piece.end());
  }
  SDL_UnlockAudioDevice(sound_device());
  // What SDL took before the lock was whole blocks, so the sample starts on a block boundary.
  const long at = find_frames(fed, expected);
  ASSERT_GE(at, 0) << "the mixer's output is not in what was fed";
  EXPECT_EQ(at % 1024, 0);
}

TEST_F(SdlSoundDriverTest, SettingsChooseFormatAndLatency) {
  const char config[] =
      "[sound]\nsound_bits = 8\nsound_stereo = 0\nsound_freq = 22050\nsound_latency = 10\n";
  use_config_data(config, sizeof config - 1);
  ASSERT_EQ(install_sound(DIGI_SDL, MIDI_NONE), 0);
  EXPECT_STREQ(current_digi_driver->description, "default device (dummy), 8 bits, 22050 bps, mono");
  EXPECT_EQ(sound_bits, 8);
  EXPECT_EQ(sound_stereo, 0);
  EXPECT_EQ(sound_freq, 22050);
  EXPECT_EQ(current_digi_driver->block_size(), 128);  // 220 frames fit in 10 ms
  // 8-bit output is unsigned: silence is 0x80.
  SDL_LockAudioDevice(sound_device());
  uint8_t out[300];
  corvane::sdl::fill_sound_output(nullptr, out, sizeof out);
  SDL_UnlockAudioDevice(sound_device());
  for (uint8_t byte : out) ASSERT_EQ(byte, 0x80);
}

TEST_F(SdlSoundDriverTest, DeviceThatFailsWhilePlayingLetsTheProgramGoOn) {
  // SDL's disk driver gives its device up when a write fails; /dev/full fails every write.
  audio_driver.set("disk");
  const env_guard file("SDL_DISKAUDIOFILE", "/dev/full");
  make_sample(2205);
  ASSERT_EQ(install_sound(DIGI_SDL, MIDI_NONE), 0);
  const int voice = start_sample(spl, 255, 128, 1000, 0);
  EXPECT_TRUE(wait_until_ended(voice));
  EXPECT_EQ(SDL_GetAudioDeviceStatus(sound_device()), SDL_AUDIO_STOPPED);  // the device is gone
  remove_sound();
  audio_driver.set("dummy");
  ASSERT_EQ(install_sound(DIGI_SDL, MIDI_NONE), 0);
  EXPECT_TRUE(wait_until_ended(start_sample(spl, 255, 128, 1000, 0)));
}

TEST_F(SdlSoundDriverTest, InputAndUnknownDevicesAreRefused) {
  ASSERT_EQ(install_sound(DIGI_SDL, MIDI_NONE), 0);
  EXPECT_EQ(open_sound_input(DIGI_SDL, MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "Input is not supported");
  remove_sound();

  const char config[] = "[sound]\nsound_device = No such device\n";
  use_config_data(config, sizeof config - 1);
  EXPECT_EQ(install_sound(DIGI_SDL, MIDI_NONE), -1);
  EXPECT_EQ(std::string(error_text).rfind("Cannot open the sound device: ", 0), 0u) << error_text;
  // Autodetection passes the missing device by and installs no sound.
  ASSERT_EQ(install_sound(DIGI_AUTODETECT, MIDI_NONE), 0);
  EXPECT_EQ(current_digi_driver, &digi_none_driver);
}

}  // namespace
