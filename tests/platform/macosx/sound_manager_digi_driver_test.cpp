// 'SNDM' on the stand-in Sound Manager: the two buffers played in turn with the mixer's output,
// the header that describes them, the channel and width rules, the version gate, volume, and the
// failures that leave no channel open.
#include <cstdint>
#include <cstring>
#include <thread>

#include <CoreServices/CoreServices.h>

#include "corvane/sound.h"
#include "corvane/system.h"
#include "mac_sound_fixture.h"
#include "support/sound_output_support.h"

namespace {

using namespace mac_sound;
using standin::sound_manager_call;

constexpr SInt32 stereo_bit = 1 << gestaltStereoCapability;
constexpr SInt32 sixteen_bit = 1 << gestalt16BitSoundIO;

class SoundManagerDigiTest : public fixture {};

TEST_F(SoundManagerDigiTest, TheTwoBuffersPlayInTurnWithTheMix) {
  standin_gestalt_set(gestaltSoundAttr, stereo_bit | sixteen_bit);
  sample *spl = corvane::testing::make_noise_sample(20000);
  const std::vector<int16_t> reference =
      corvane::testing::offline_output(spl, 255, 128, 1000, 0, 8192);  // at 44100 Hz
  ASSERT_EQ(install_sound(DIGI_SOUND_MANAGER, MIDI_NONE), 0) << error_text;
  EXPECT_STREQ(current_digi_driver->description,
               "Sound Manager version 3.2, 16 bits, 44100 bps, stereo");
  const standin::channel_request channel = standin::sound_manager_last_channel();
  EXPECT_EQ(channel.synth, sampledSynth);
  EXPECT_EQ(channel.init, initStereo);
  EXPECT_EQ(channel.queue_length, 128);
  EXPECT_EQ(current_digi_driver->block_size(), 4096);
  ASSERT_GE(start_sample(spl, 255, 128, 1000, 0), 0);

  ASSERT_EQ(standin::sound_manager_play(3), 3);
  const std::vector<standin::played_buffer> played = standin::sound_manager_played();
  ASSERT_EQ(played.size(), 3u);
  EXPECT_NE(played[0].samples, played[1].samples);
  EXPECT_EQ(played[0].samples, played[2].samples);
  for (const standin::played_buffer &b : played) {
    EXPECT_EQ(b.channels, 2u);
    EXPECT_EQ(b.rate, 44100u << 16);
    EXPECT_EQ(b.encoding, extSH);
    EXPECT_EQ(b.frames, 4096u);
    EXPECT_EQ(b.sample_size, 16);
  }
  // The first buffer is the silence queued at start; the mix follows it, block after block.
  EXPECT_EQ(std::count(played[0].bytes.begin(), played[0].bytes.end(), 0),
            static_cast<long>(played[0].bytes.size()));
  std::vector<int16_t> heard(8192 * 2);
  std::memcpy(heard.data(), played[1].bytes.data(), played[1].bytes.size());
  std::memcpy(heard.data() + 8192, played[2].bytes.data(), played[2].bytes.size());
  EXPECT_EQ(heard, reference);
  remove_sound();
  EXPECT_EQ(standin::sound_manager_channels_open(), 0);
  free_sample(spl);
}

TEST_F(SoundManagerDigiTest, TheProgramStartsSoundsWhileTheChannelPlays) {
  standin_gestalt_set(gestaltSoundAttr, stereo_bit | sixteen_bit);
  sample *spl = corvane::testing::make_noise_sample(3000);
  ASSERT_EQ(install_sound(DIGI_SOUND_MANAGER, MIDI_NONE), 0);
  int played = 0;
  std::thread channel([&] { played = standin::sound_manager_play(60); });
  for (int i = 0; i < 200; ++i) {
    if (start_sample(spl, 255, i % 256, 500 + i, 0) >= 0 && i % 5 == 0) halt_sample(spl);
  }
  channel.join();
  EXPECT_EQ(played, 60);
  remove_sound();
  free_sample(spl);
}

TEST_F(SoundManagerDigiTest, ChannelAndWidthFollowTheHardware) {
  // Neither stereo nor 16 bits: mono 8-bit, whose silence is the midpoint.
  config_set_int("sound", "sound_freq", 22050);
  ASSERT_EQ(install_sound(DIGI_SOUND_MANAGER, MIDI_NONE), 0) << error_text;
  EXPECT_STREQ(current_digi_driver->description,
               "Sound Manager version 3.2, 8 bits, 22050 bps, mono");
  EXPECT_EQ(standin::sound_manager_last_channel().init, initMono);
  ASSERT_EQ(standin::sound_manager_play(1), 1);
  const standin::played_buffer first = standin::sound_manager_played().at(0);
  EXPECT_EQ(first.bytes.size(), 4096u);
  EXPECT_EQ(std::count(first.bytes.begin(), first.bytes.end(), 0x80), 4096);
  remove_sound();

  config_set_int("sound", "sound_stereo", 1);
  EXPECT_EQ(install_sound(DIGI_SOUND_MANAGER, MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "Stereo output not supported");
  config_set_int("sound", "sound_stereo", 0);
  config_set_int("sound", "sound_bits", 16);
  EXPECT_EQ(install_sound(DIGI_SOUND_MANAGER, MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "16 bit output not supported");

  // Stereo and 16-bit hardware still plays an explicit mono 8-bit request.
  standin_gestalt_set(gestaltSoundAttr, stereo_bit | sixteen_bit);
  config_set_int("sound", "sound_bits", 8);
  ASSERT_EQ(install_sound(DIGI_SOUND_MANAGER, MIDI_NONE), 0) << error_text;
  EXPECT_STREQ(current_digi_driver->description,
               "Sound Manager version 3.2, 8 bits, 22050 bps, mono");
  remove_sound();
  EXPECT_EQ(standin::sound_manager_channels_open(), 0);
}

TEST_F(SoundManagerDigiTest, VersionTwoIsRefusedAndVersionTenCountsAsTen) {
  standin::sound_manager_set_version(0x02, 0x90);
  EXPECT_EQ(probe_digi_driver(DIGI_SOUND_MANAGER), 0);
  EXPECT_EQ(sound_manager_digi_driver.open(0, 8), -1);
  EXPECT_STREQ(error_text, "Sound Manager version 3.0 or newer required");
  standin::sound_manager_set_version(0x10, 0x41);
  ASSERT_EQ(install_sound(DIGI_SOUND_MANAGER, MIDI_NONE), 0);
  EXPECT_STREQ(current_digi_driver->description,
               "Sound Manager version 10.4, 8 bits, 44100 bps, mono");
}

TEST_F(SoundManagerDigiTest, VolumeGoesToBothChannels) {
  ASSERT_EQ(install_sound(DIGI_SOUND_MANAGER, MIDI_NONE), 0);
  EXPECT_EQ(current_digi_driver->set_hw_volume(0x40), 0);
  EXPECT_EQ(standin::sound_manager_volumes(), std::vector<long>{0x400040});
  standin::sound_manager_fail(sound_manager_call::volume_command, badChannel);
  EXPECT_EQ(current_digi_driver->set_hw_volume(0x40), -1);
}

TEST_F(SoundManagerDigiTest, AChannelThatCannotBeMadeLeavesNothingOpen) {
  const int mutexes = corvane::testing::the_test_system().mutexes_alive;
  for (const sound_manager_call call :
       {sound_manager_call::new_channel, sound_manager_call::callback_command}) {
    standin::sound_manager_reset();
    standin::sound_manager_fail(call, notEnoughHardwareErr);
    EXPECT_EQ(install_sound(DIGI_SOUND_MANAGER, MIDI_NONE), -1);
    EXPECT_STREQ(error_text, "Failed creating sound channel");
    EXPECT_EQ(standin::sound_manager_channels_open(), 0);
    EXPECT_EQ(corvane::testing::the_test_system().mutexes_alive, mutexes) << "mixer left open";
  }
}

TEST_F(SoundManagerDigiTest, AFailingBufferCommandStopsTheCallBacks) {
  ASSERT_EQ(install_sound(DIGI_SOUND_MANAGER, MIDI_NONE), 0);
  standin::sound_manager_fail(sound_manager_call::buffer_command, queueFull);
  EXPECT_EQ(standin::sound_manager_play(2), 0);
  EXPECT_TRUE(standin::sound_manager_played().empty());
}

}  // namespace
