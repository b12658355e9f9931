// Sound from several threads at once: one thread asks the offline driver for output without pause
// while the program starts, retunes, ramps, stops and frees samples and the timer thread steps the
// emulated volume ramps. Run under the thread sanitizer, this shows that the voice layer, the mixer
// and the ramp emulation share their state without data races.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "corvane/offline_sound.h"
#include "corvane/sound.h"
#include "corvane/timer.h"
#include "platform/null/offline_digi_driver.h"
#include "support/test_sound_drivers.h"
#include "support/test_system.h"

namespace {

using namespace corvane::testing;

class SoundThreadsTest : public sound_test {
 protected:
  void SetUp() override {
    sound_test::SetUp();
    // The real timer thread, and an offline driver that leaves volume ramps to it.
    the_test_system().timer_drivers = default_timer_driver_list;
    saved_fade = corvane::offline_digi_driver.fade_volume;
    corvane::offline_digi_driver.fade_volume = nullptr;
  }
  void TearDown() override {
    sound_test::TearDown();
    corvane::offline_digi_driver.fade_volume = saved_fade;
  }
  void (*saved_fade)(int, int, int) = nullptr;
};

TEST_F(SoundThreadsTest, ProgramTimerAndOutputThreadsShareTheVoices) {
  digi_voices_wanted = 16;
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_NONE), 0);

  std::atomic<bool> running{true};
  std::atomic<long> frames_made{0};
  std::thread output([&] {
    std::vector<int16_t> buffer(2 * 700);
    while (running.load()) {
      if (render_offline_sound(buffer.data(), 700) == 700) frames_made += 700;
    }
  });

  std::mt19937 rng(7);
  std::vector<sample *> samples;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
  while (std::chrono::steady_clock::now() < until) {
    sample *spl = new_sample(rng() % 2 != 0 ? 16 : 8, static_cast<int>(rng() % 2), 22050,
                             static_cast<int>(200 + rng() % 4000));
    ASSERT_NE(spl, nullptr);
    const size_t bytes = static_cast<size_t>(spl->length) * (spl->bits / 8) * (spl->stereo ? 2 : 1);
    auto *data = static_cast<uint8_t *>(spl->data);
    for (size_t i = 0; i < bytes; ++i) data[i] = static_cast<uint8_t>(rng());
    samples.push_back(spl);

    const int voice =
        start_sample(spl, static_cast<int>(rng() % 256), static_cast<int>(rng() % 256),
                     static_cast<int>(500 + rng() % 2000), static_cast<int>(rng() % 2));
    if (voice >= 0) {
      ramp_voice_volume(voice, static_cast<int>(rng() % 200), static_cast<int>(rng() % 256));
      sweep_voice_pan(voice, static_cast<int>(rng() % 200), static_cast<int>(rng() % 256));
      set_voice_playmode(voice, static_cast<int>(rng() % 8));
    }
    const sample *victim = samples[rng() % samples.size()];
    switch (rng() % 5) {
      case 0:
        retune_sample(victim, 200, 20, 1500, 1);
        break;
      case 1:
        halt_sample(victim);
        break;
      case 2:
        stop_voice(static_cast<int>(rng() % 16));
        break;
      case 3:
        set_voice_position(static_cast<int>(rng() % 16), static_cast<int>(rng() % 1000));
        break;
      default:
        set_mix_volume_shift(static_cast<int>(rng() % 4));
        break;
    }
    if (samples.size() > 24) {
      free_sample(samples.front());
      samples.erase(samples.begin());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  for (sample *spl : samples) free_sample(spl);
  running = false;
  output.join();
  EXPECT_GT(frames_made.load(), 0);

  // With every sample gone, the next full block is silence.
  std::vector<int16_t> out(2 * 2 * OFFLINE_BLOCK_FRAMES);
  ASSERT_EQ(render_offline_sound(out.data(), 2 * OFFLINE_BLOCK_FRAMES), 2 * OFFLINE_BLOCK_FRAMES);
  for (size_t i = 2 * OFFLINE_BLOCK_FRAMES; i < out.size(); ++i) ASSERT_EQ(out[i], 0);
}

}  // namespace
