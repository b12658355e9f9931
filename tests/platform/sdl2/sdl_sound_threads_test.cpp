// The SDL2 sound driver's device thread mixing while the program starts, retunes, ramps, stops and
// frees samples on its own thread, with a device buffer of a few milliseconds so that the callback
// runs hundreds of times meanwhile. Under the thread sanitizer this shows that the callback and the
// voice layer share their state without data races.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "corvane/config.h"
#include "corvane/sound.h"
#include "corvane/system.h"
#include "platform/sdl2/sdl_digi_driver.h"
#include "support/env_guard.h"
#include "support/sound_output_support.h"

namespace {

using namespace corvane::testing;

class SdlSoundThreadsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0); }
  void TearDown() override { shutdown_corvane(); }
  env_guard audio_driver{"SDL_AUDIODRIVER", "dummy"};
};

TEST_F(SdlSoundThreadsTest, CallbackMixesWhileTheProgramChangesTheVoices) {
  const char config[] = "[sound]\nsound_latency = 2\n";
  use_config_data(config, sizeof config - 1);
  digi_voices_wanted = 16;
  ASSERT_EQ(install_sound(corvane::sdl::DIGI_SDL, MIDI_NONE), 0);
  ASSERT_EQ(current_digi_driver->block_size(), 64);

  // A short sound that only ends if the device thread mixes it while the program works.
  sample *marker = make_noise_sample(2000);
  const int marker_voice = start_sample(marker, 255, 128, 1000, 0);
  ASSERT_GE(marker_voice, 0);
  set_voice_priority(marker_voice, 255);

  std::mt19937 rng(11);
  std::vector<sample *> samples;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  while (std::chrono::steady_clock::now() < until) {
    sample *spl = new_sample(rng() % 2 != 0 ? 16 : 8, static_cast<int>(rng() % 2), 22050,
                             static_cast<int>(100 + rng() % 3000));
    ASSERT_NE(spl, nullptr);
    const size_t bytes = static_cast<size_t>(spl->length) * (spl->bits / 8) * (spl->stereo ? 2 : 1);
    auto *data = static_cast<uint8_t *>(spl->data);
    for (size_t i = 0; i < bytes; ++i) data[i] = static_cast<uint8_t>(rng());
    samples.push_back(spl);

    const int voice =
        start_sample(spl, static_cast<int>(rng() % 256), static_cast<int>(rng() % 256),
                     static_cast<int>(300 + rng() % 3000), static_cast<int>(rng() % 2));
    if (voice >= 0) {
      ramp_voice_volume(voice, static_cast<int>(rng() % 100), static_cast<int>(rng() % 256));
      sweep_voice_frequency(voice, static_cast<int>(rng() % 100), 8000);
      set_voice_playmode(voice, static_cast<int>(rng() % 8));
    }
    const sample *victim = samples[rng() % samples.size()];
    switch (rng() % 4) {
      case 0:
        retune_sample(victim, 200, 20, 1500, 1);
        break;
      case 1:
        halt_sample(victim);
        break;
      case 2:
        stop_voice(static_cast<int>(1 + rng() % 15));
        break;
      default:
        set_voice_position(static_cast<int>(1 + rng() % 15), static_cast<int>(rng() % 1000));
        break;
    }
    if (samples.size() > 20) {
      free_sample(samples.front());
      samples.erase(samples.begin());
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  for (sample *spl : samples) free_sample(spl);
  EXPECT_TRUE(wait_until_ended(marker_voice));
  remove_sound();
  free_sample(marker);
}

}  // namespace
