// The mixer's edges: silence and clipping in every output format, the gains of a full voice, the
// automatic volume shift, seeking and restarting, a fade of no time, the quality of a mono output,
// and the calls a driver might make with voices or samples that do not fit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "corvane/sound.h"
#include "sound/mixer_internal.h"

namespace {

using corvane::mixer;
using corvane::physical_voices;

class MixerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    close_mixer();
    set_mix_volume_shift(1);
    sound_quality = 2;
  }
  void open(int frames, int channels, int bits, int voices = 8) {
    ASSERT_EQ(open_mixer(frames * channels, 44100, channels == 2, bits == 16, &voices), 0);
  }
  // Binds a voice to a sample at the output rate with the given volume and pan, and plays it.
  void play(int voice, const sample &spl, int volume, int pan, int playmode = 0) {
    corvane::physical_voice &p = physical_voices[voice];
    p.volume = volume << 12;
    p.pan = pan << 12;
    p.frequency = 44100 << 12;
    p.playmode = playmode;
    p.volume_step = p.pan_step = p.frequency_step = 0;
    mixer_bind_voice(voice, &spl);
    mixer_play_voice(voice);
  }
  template <typename T>
  std::vector<T> render(int count, bool signed_output) {
    std::vector<T> out(static_cast<size_t>(count));
    render_mix(out.data(), 0, signed_output);
    return out;
  }
};

sample constant_sample(std::vector<uint16_t> &data, uint16_t value, int frames) {
  data.assign(static_cast<size_t>(frames), value);
  return sample{.bits = 16,
                .stereo = 0,
                .frequency = 44100,
                .priority = 128,
                .length = frames,
                .loop_start = 0,
                .loop_end = frames,
                .user_param = 0,
                .data = data.data()};
}

TEST_F(MixerTest, EmptyBlocksAreSilenceInEveryFormat) {
  open(32, 2, 16);
  EXPECT_EQ(render<uint16_t>(64, false), std::vector<uint16_t>(64, 0x8000));
  EXPECT_EQ(render<int16_t>(64, true), std::vector<int16_t>(64, 0));
  open(32, 1, 8);
  EXPECT_EQ(render<uint8_t>(32, false), std::vector<uint8_t>(32, 0x80));
  EXPECT_EQ(render<uint8_t>(32, true), std::vector<uint8_t>(32, 0));
}

TEST_F(MixerTest, FullVoicePannedLeftAndCentredGains) {
  open(16, 2, 16);
  std::vector<uint16_t> data;
  const sample spl = constant_sample(data, 0xFFFF, 100);
  play(0, spl, 255, 0);
  EXPECT_EQ(mixer.voices[0].left_volume, 65533);
  EXPECT_EQ(mixer.voices[0].right_volume, 0);
  // At quality 1 the output is 65533/65536 of full scale on the left, nothing on the right.
  sound_quality = 1;
  const std::vector<int16_t> out = render<int16_t>(32, true);
  EXPECT_EQ(out[0], 32765);
  EXPECT_EQ(out[1], 0);
  play(1, spl, 255, 128);
  EXPECT_EQ(mixer.voices[1].left_volume, 32638);
  EXPECT_EQ(mixer.voices[1].right_volume, 32895);
}

TEST_F(MixerTest, SumsBeyondFullScaleClip) {
  open(16, 2, 16);
  std::vector<uint16_t> high;
  std::vector<uint16_t> low;
  const sample loud = constant_sample(high, 0xFFFF, 100);
  const sample deep = constant_sample(low, 0, 100);
  for (int voice = 0; voice < 4; ++voice) play(voice, loud, 255, 128);
  std::vector<int16_t> out = render<int16_t>(32, true);
  EXPECT_EQ(out[0], 0x7FFF);
  EXPECT_EQ(out[31], 0x7FFF);
  for (int voice = 0; voice < 4; ++voice) play(voice, deep, 255, 128);
  out = render<int16_t>(32, true);
  EXPECT_EQ(out[0], -0x8000);
}

TEST_F(MixerTest, AutomaticVolumeShiftFollowsTheVoiceCount) {
  for (const auto &[voices, shift] :
       {std::pair{1, 2}, std::pair{2, 2}, std::pair{3, 3}, std::pair{8, 4}, std::pair{64, 7}}) {
    open(16, 2, 16, voices);
    set_mix_volume_shift(-1);
    EXPECT_EQ(corvane::mix_volume_shift.load(), shift) << voices << " voices";
  }
}

TEST_F(MixerTest, SeekingPastTheEndStopsAndPlayingAgainRestarts) {
  open(16, 2, 16);
  std::vector<uint16_t> data;
  const sample spl = constant_sample(data, 0x9000, 100);
  play(0, spl, 255, 128);
  mixer_seek_voice(0, 40);
  EXPECT_EQ(mixer_read_position(0), 40);
  mixer_seek_voice(0, 100);
  EXPECT_EQ(mixer_read_position(0), -1);
  mixer_play_voice(0);
  EXPECT_EQ(mixer_read_position(0), 0);
  mixer_seek_voice(0, -5);
  EXPECT_EQ(mixer_read_position(0), 0);
  // A one-shot plays to its end and stops there: 100 frames are 6.25 blocks of 16.
  for (int block = 0; block < 7; ++block) render<int16_t>(32, true);
  EXPECT_EQ(mixer_read_position(0), -1);
  EXPECT_EQ(mixer.voices[0].playing, 0);
}

TEST_F(MixerTest, FadeOfNoTimeArrivesAtTheNextSweepPoint) {
  open(100, 2, 16);  // the first sweep point comes after 4 frames, then every 16
  std::vector<uint16_t> data;
  const sample spl = constant_sample(data, 0x9000, 1000);
  play(0, spl, 200, 128);
  mixer_fade_volume(0, 0, 50);
  EXPECT_EQ(physical_voices[0].volume_step.load(), (50 - 200) << 12);
  render<int16_t>(200, true);
  EXPECT_EQ(mixer_read_volume(0), 50);
  EXPECT_EQ(physical_voices[0].volume_step.load(), 0);
  // A fade of one second at 44100 Hz takes 2756 steps of 16 frames.
  mixer_fade_volume(0, 1000, 0);
  EXPECT_EQ(physical_voices[0].volume_step.load(), -(50 << 12) / 2756);
}

TEST_F(MixerTest, MonoOutputMixesAtQualityZero) {
  sound_quality = 2;
  open(16, 1, 16);
  EXPECT_EQ(sound_quality, 0);
  set_mixer_quality(2);
  EXPECT_EQ(sound_quality, 0);
  open(16, 2, 16);
  set_mixer_quality(-3);
  EXPECT_EQ(sound_quality, 2);
  set_mixer_quality(1);
  EXPECT_EQ(sound_quality, 1);
}

TEST_F(MixerTest, QualityChangedUnderBoundVoicesMixesAsIfOpenedThere) {
  std::vector<uint16_t> data;
  sample spl = constant_sample(data, 0, 64);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint16_t>(i * 1021);
  sound_quality = 0;
  open(32, 2, 16);
  play(0, spl, 255, 40);
  const std::vector<int16_t> opened_at_zero = render<int16_t>(64, true);
  sound_quality = 2;
  open(32, 2, 16);
  play(0, spl, 255, 40);
  set_mixer_quality(0);
  EXPECT_EQ(render<int16_t>(64, true), opened_at_zero);
}

TEST_F(MixerTest, CallsThatDoNotFit) {
  int voices = 8;
  EXPECT_EQ(open_mixer(1, 44100, 1, 1, &voices), -1);  // no whole stereo frame
  EXPECT_EQ(open_mixer(64, 0, 1, 1, &voices), -1);
  EXPECT_EQ(open_mixer(64, 44100, 1, 1, nullptr), -1);
  voices = 100;
  ASSERT_EQ(open_mixer(64, 44100, 1, 1, &voices), 0);
  EXPECT_EQ(voices, 64);

  std::vector<uint16_t> data;
  sample spl = constant_sample(data, 0xFFFF, 10);
  for (int voice : {-1, 64, 1000}) {
    mixer_bind_voice(voice, &spl);
    mixer_play_voice(voice);
    mixer_seek_voice(voice, 3);
    mixer_write_volume(voice, 3);
    mixer_fade_volume(voice, 10, 3);
    EXPECT_EQ(mixer_read_position(voice), -1);
    EXPECT_EQ(mixer_read_volume(voice), -1);
    EXPECT_EQ(mixer_read_frequency(voice), -1);
    EXPECT_EQ(mixer_read_pan(voice), -1);
  }
  mixer_bind_voice(0, nullptr);

  // Loop points outside the sample or the wrong way round are kept inside it; an empty loop
  // plays once. (Out-of-bounds reads would show under the address sanitizer.)
  spl.loop_start = -20;
  spl.loop_end = 50;
  play(0, spl, 255, 128, PLAYMODE_LOOP);
  EXPECT_EQ(mixer.voices[0].loop_start, 0);
  EXPECT_EQ(mixer.voices[0].loop_end, 10 * 256);
  render<int16_t>(64, true);
  EXPECT_GE(mixer_read_position(0), 0);
  spl.loop_start = 8;
  spl.loop_end = 3;
  play(0, spl, 255, 128, PLAYMODE_LOOP);
  render<int16_t>(64, true);
  EXPECT_EQ(mixer_read_position(0), -1);

  // A sample without data, or without frames, never sounds.
  sample nothing = spl;
  nothing.data = nullptr;
  play(1, nothing, 255, 128);
  nothing = spl;
  nothing.length = 0;
  play(2, nothing, 255, 128);
  EXPECT_EQ(render<int16_t>(64, true), std::vector<int16_t>(64, 0));
  EXPECT_EQ(mixer_read_position(1), -1);
  EXPECT_EQ(mixer_read_position(2), -1);

  // A negative frequency holds the voice still instead of walking it out of its loop.
  play(3, spl, 255, 128, PLAYMODE_LOOP);
  physical_voices[3].frequency = -(44100 << 12);
  mixer_write_frequency(3, -44100);
  render<int16_t>(64, true);
  EXPECT_EQ(mixer_read_position(3), 0);

  close_mixer();
  EXPECT_EQ(render<uint16_t>(4, false), std::vector<uint16_t>(4, 0));  // nothing written
}

}  // namespace
