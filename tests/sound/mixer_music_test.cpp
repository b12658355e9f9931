// The mixer's music source: added into every block after the voices, in the accumulator's scale,
// only while the mixer is open, and never called again once removed or once the mixer closes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "corvane/offline_sound.h"
#include "corvane/sound.h"
#include "sound/mixer_music.h"
#include "support/test_sound_drivers.h"

namespace {

using namespace corvane;
using namespace corvane::testing;

int calls = 0;
int seen_frames = 0;
int seen_channels = 0;
// A quarter of full scale on the left, minus an eighth on the right.
void constant_music(int32_t *accumulator, int frames, int channels) {
  ++calls;
  seen_frames = frames;
  seen_channels = channels;
  for (int i = 0; i < frames; ++i) {
    accumulator[channels * i] += 1 << 21;
    if (channels == 2) accumulator[channels * i + 1] -= 1 << 20;
  }
}

using MixerMusicTest = sound_test;

TEST_F(MixerMusicTest, MusicIsAddedToEveryBlockWhileInstalled) {
  calls = 0;
  EXPECT_FALSE(set_mixer_music_source(constant_music)) << "no mixer is open yet";
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_NONE), 0);
  int rate = 0;
  int frames = 0;
  int channels = 0;
  ASSERT_TRUE(get_mixer_format(&rate, &frames, &channels));
  EXPECT_EQ(rate, 44100);
  EXPECT_EQ(frames, OFFLINE_BLOCK_FRAMES);
  EXPECT_EQ(channels, 2);
  ASSERT_TRUE(set_mixer_music_source(constant_music));

  std::vector<int16_t> out(2 * 2 * OFFLINE_BLOCK_FRAMES);
  ASSERT_EQ(render_offline_sound(out.data(), 2 * OFFLINE_BLOCK_FRAMES), 2 * OFFLINE_BLOCK_FRAMES);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(seen_frames, OFFLINE_BLOCK_FRAMES);
  EXPECT_EQ(seen_channels, 2);
  for (size_t i = 0; i < out.size(); i += 2) {
    ASSERT_EQ(out[i], 8192);
    ASSERT_EQ(out[i + 1], -4096);
  }

  ASSERT_TRUE(set_mixer_music_source(nullptr));
  ASSERT_EQ(render_offline_sound(out.data(), OFFLINE_BLOCK_FRAMES), OFFLINE_BLOCK_FRAMES);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(calls, 2);

  // Closing the mixer drops the source: a new mixer starts without it.
  ASSERT_TRUE(set_mixer_music_source(constant_music));
  remove_sound();
  EXPECT_FALSE(get_mixer_format(&rate, &frames, &channels));
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_NONE), 0);
  ASSERT_EQ(render_offline_sound(out.data(), OFFLINE_BLOCK_FRAMES), OFFLINE_BLOCK_FRAMES);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(calls, 2);
}

}  // namespace
