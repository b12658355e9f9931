// 'DCA ' on the stand-in CoreAudio: the graph and stream formats it sets up, the simulated output
// pulling blocks (at the block size and at other frame counts) hearing exactly the offline
// driver's words, the device's description, volume, the version gate, and every failing call
// giving its message with the graph and the mixer taken down again.
#include <cstdint>
#include <cstdio>
#include <limits>
#include <thread>

#include "corvane/sound.h"
#include "corvane/system.h"
#include "mac_sound_fixture.h"
#include "support/sound_output_support.h"

namespace {

using namespace mac_sound;
using standin::audio_call;

class CoreAudioDigiTest : public fixture {};

TEST_F(CoreAudioDigiTest, PulledBlocksAreTheOfflineDriversWordsAtAnyFrameCount) {
  sample *spl = corvane::testing::make_noise_sample(5000);
  sound_freq = 44100;
  const std::vector<int16_t> reference =
      corvane::testing::offline_output(spl, 200, 90, 1000, 1, 2100);

  for (const UInt32 frames : {512u, 300u}) {
    standin::audio_reset();
    ASSERT_EQ(install_sound(DIGI_AUTODETECT, MIDI_NONE), 0) << error_text;
    ASSERT_EQ(current_digi_driver, &core_audio_digi_driver);
    EXPECT_EQ(current_digi_driver->block_size(), 2048);  // 4096 device bytes
    ASSERT_GE(start_sample(spl, 200, 90, 1000, 1), 0);
    ASSERT_EQ(standin::audio_pull(frames, 7), 7);
    std::vector<int16_t> played = standin::audio_played();
    ASSERT_GE(played.size(), reference.size());
    played.resize(reference.size());
    EXPECT_EQ(played, reference) << frames << " frames a pull";
    remove_sound();
    EXPECT_EQ(standin::audio_graphs_alive(), 0);
  }
  free_sample(spl);
}

TEST_F(CoreAudioDigiTest, TheProgramChangesVoicesWhileTheOutputPulls) {
  sample *spl = corvane::testing::make_noise_sample(3000);
  ASSERT_EQ(install_sound(DIGI_CORE_AUDIO, MIDI_NONE), 0) << error_text;
  int served = 0;
  std::thread output([&] { served = standin::audio_pull(256, 400); });
  for (int i = 0; i < 200; ++i) {
    const int voice = start_sample(spl, 100 + i % 100, i % 256, 1000, 1);
    if (voice >= 0 && i % 3 == 0) set_voice_volume(voice, 50);
    if (i % 7 == 0) halt_sample(spl);
  }
  output.join();
  EXPECT_EQ(served, 400);
  remove_sound();
  free_sample(spl);
}

TEST_F(CoreAudioDigiTest, OpenSetsTheFormatsAndDescribesTheDevice) {
  standin::audio_set_output_format(48000.0, 24);
  ASSERT_EQ(install_sound(DIGI_CORE_AUDIO, MIDI_NONE), 0) << error_text;
  EXPECT_EQ(sound_freq, 48000);
  EXPECT_EQ(sound_bits, 16);
  EXPECT_EQ(sound_stereo, -1);
  EXPECT_STREQ(current_digi_driver->description,
               "Built-in Output (Apple Inc.), 16 bits (24 real), 48000 bps, stereo");
  const std::vector<std::string> calls = standin::audio_calls();
  char mixer_format[160];
  std::snprintf(mixer_format, sizeof mixer_format,
                "SetProperty converter 8 in 0 rate 48000 id 6c70636d flags %u packet 4 frames 1 "
                "frame 4 ch 2 bits 16",
                unsigned{kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked |
                         kAudioFormatFlagsNativeEndian});
  EXPECT_TRUE(has_line(calls, mixer_format));
  EXPECT_TRUE(has_line(calls, "SetProperty converter 23 in 0"));
  EXPECT_EQ(calls.back(), "AUGraphStart");
  EXPECT_EQ(standin::audio_graphs_running(), 1);

  standin::audio_clear_calls();
  EXPECT_EQ(current_digi_driver->set_hw_volume(51), 0);
  EXPECT_EQ(standin::audio_calls(),
            std::vector<std::string>{"SetParameter output 14 out 0 0.200000"});
  standin::audio_fail(audio_call::set_parameter, -1);
  EXPECT_EQ(current_digi_driver->set_hw_volume(51), -1);

  standin::audio_clear_calls();
  remove_sound();
  EXPECT_EQ(standin::audio_calls(),
            (std::vector<std::string>{"AUGraphStop", "AUGraphUninitialize", "AUGraphClose",
                                      "DisposeAUGraph"}));
}

TEST_F(CoreAudioDigiTest, ADeviceWithoutANameOrMakerIsDescribedByItsFormat) {
  standin::audio_set_device(4096, "Speakers", nullptr);
  ASSERT_EQ(install_sound(DIGI_CORE_AUDIO, MIDI_NONE), 0);
  EXPECT_STREQ(current_digi_driver->description, "16 bits (32 real), 44100 bps, stereo");
}

TEST_F(CoreAudioDigiTest, BeforeMacOSX102TheDriverIsNotThere) {
  standin_set_appkit_version(620.9);
  EXPECT_EQ(probe_digi_driver(DIGI_CORE_AUDIO), 0);
  EXPECT_EQ(core_audio_digi_driver.open(0, 8), -1);
  EXPECT_STREQ(error_text, "MacOS X.2 or newer required by this driver");
  standin_set_appkit_version(621.0);
  EXPECT_EQ(probe_digi_driver(DIGI_CORE_AUDIO), 64);
  EXPECT_EQ(standin::audio_graphs_alive(), 0);
}

TEST_F(CoreAudioDigiTest, EveryFailureGivesItsMessageAndTakesEverythingDown) {
  const struct {
    audio_call call;
    const char *message;
  } cases[] = {
      {audio_call::new_graph, "Failed to init digital sound driver"},
      {audio_call::graph_open, "Failed to init digital sound driver"},
      {audio_call::node_info, "Failed to init digital sound driver"},
      {audio_call::get_stream_format, "Cannot detect output audio format"},
      {audio_call::set_output_format, "Cannot configure format converter audio unit"},
      {audio_call::set_input_format, "Cannot configure format converter audio unit"},
      {audio_call::connect, "Cannot set audio rendering callback"},
      {audio_call::set_render_callback, "Cannot set audio rendering callback"},
      {audio_call::get_current_device, "Cannot get CoreAudio device"},
      {audio_call::device_buffer_size, "Cannot get CoreAudio device buffer size"},
      {audio_call::graph_start, "Failed to init digital sound driver"},
  };
  const int mutexes = corvane::testing::the_test_system().mutexes_alive;
  for (const auto &c : cases) {
    standin::audio_reset();
    standin::audio_fail(c.call, -50);
    EXPECT_EQ(install_sound(DIGI_CORE_AUDIO, MIDI_NONE), -1);
    EXPECT_STREQ(error_text, c.message);
    EXPECT_EQ(standin::audio_graphs_alive(), 0) << c.message;
    EXPECT_EQ(corvane::testing::the_test_system().mutexes_alive, mutexes) << "mixer left open";
  }
  standin::audio_reset();
  standin::audio_set_output_format(std::numeric_limits<double>::quiet_NaN(), 32);
  EXPECT_EQ(install_sound(DIGI_CORE_AUDIO, MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "Cannot detect output audio format");
  standin::audio_reset();
  standin::audio_set_device(3, "Tiny", "Maker");  // a block of no whole frame
  EXPECT_EQ(install_sound(DIGI_CORE_AUDIO, MIDI_NONE), -1);
  EXPECT_STREQ(error_text, "Error initializing mixer");
  EXPECT_EQ(standin::audio_graphs_alive(), 0);
  EXPECT_EQ(corvane::testing::the_test_system().mutexes_alive, mutexes);
}

}  // namespace
