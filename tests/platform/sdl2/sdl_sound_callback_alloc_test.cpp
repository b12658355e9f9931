// The SDL2 sound driver's callback allocates no memory: with malloc counted, the callback is fed
// with 64 voices playing in every sample format at the interpolating quality, in pieces of awkward
// sizes, and then SDL's own device thread is watched while it plays. Sanitized builds, which have
// no counting malloc, skip it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "corvane/sound.h"
#include "corvane/system.h"
#include "platform/sdl2/sdl_digi_driver.h"
#include "support/counting_allocator.h"
#include "support/env_guard.h"
#include "support/sound_output_support.h"

namespace {

using namespace corvane::testing;

class SdlSoundCallbackAllocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!COUNTING_ALLOCATOR) GTEST_SKIP() << "the sanitizer's runtime owns malloc";
    ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  }
  void TearDown() override {
    for (sample *spl : samples) free_sample(spl);
    shutdown_corvane();
  }
  env_guard audio_driver{"SDL_AUDIODRIVER", "dummy"};
  std::vector<sample *> samples;
};

TEST_F(SdlSoundCallbackAllocTest, CallbackNeverAllocates) {
  // The replacement is in use: an allocation on a watched thread counts.
  counting_allocator::watch_this_thread = true;
  void *volatile probe = std::malloc(16);  // volatile: the pair is not optimised away
  counting_allocator::watch_this_thread = false;
  std::free(probe);
  ASSERT_EQ(counting_allocator::counted.exchange(0), 1);

  digi_voices_wanted = 64;
  ASSERT_EQ(install_sound(corvane::sdl::DIGI_SDL, MIDI_NONE), 0);
  for (int i = 0; i < 64; ++i) {
    sample *spl = new_sample(i % 2 != 0 ? 16 : 8, (i / 2) % 2, 22050 + 300 * i, 3000 + 7 * i);
    std::memset(spl->data, 0x5A + i,
                static_cast<size_t>(spl->length) * (spl->bits / 8) * (spl->stereo != 0 ? 2 : 1));
    samples.push_back(spl);
    const int voice = start_sample(spl, 255, 4 * i, 1000, i % 3 != 0 ? 1 : 0);
    ASSERT_GE(voice, 0);
    set_voice_playmode(voice, i % 8);
    ramp_voice_volume(voice, 500, 10);
  }

  std::vector<Uint8> buffer(9000 * 4);
  SDL_LockAudioDevice(corvane::sdl::sound_device());
  counting_allocator::watch_this_thread = true;
  for (int frames : {1, 1023, 1024, 1025, 3000, 9000, 17}) {
    corvane::sdl::fill_sound_output(nullptr, buffer.data(), frames * 4);
  }
  counting_allocator::watch_this_thread = false;
  SDL_UnlockAudioDevice(corvane::sdl::sound_device());
  EXPECT_EQ(counting_allocator::counted.exchange(0), 0) << "allocations in calls of the callback";

  // SDL's device thread, calling the callback every 23 ms or so, for a third of a second.
  counting_allocator::watch_audio_threads = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(350));
  counting_allocator::watch_audio_threads = false;
  EXPECT_EQ(counting_allocator::counted.exchange(0), 0) << "allocations on SDL's device thread";
}

}  // namespace
