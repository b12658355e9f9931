// Samples and voices: claiming (free voices, ended sounds, stealing by priority, age and looping),
// the voice operations and their scaling by flip_pan and the digital volume, the ramp emulation
// on the timer, and calls with voice numbers or samples that do not exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "corvane/sound.h"
#include "corvane/timer.h"
#include "sound/sound_internal.h"
#include "support/manual_timer.h"
#include "support/test_sound_drivers.h"

namespace {

using namespace corvane::testing;

class VoicesTest : public sound_test {
 protected:
  void SetUp() override {
    sound_test::SetUp();
    ASSERT_EQ(install_sound(TEST_DIGI_ID, MIDI_NONE), 0);
    spl = new_sample(16, 0, 22050, 1000);
    ASSERT_NE(spl, nullptr);
  }
  void TearDown() override {
    free_sample(spl);
    sound_test::TearDown();
  }
  // Fills every physical voice with a voice of the sample.
  std::vector<int> fill_all(int loop) {
    std::vector<int> voices;
    for (int i = 0; i < PHYSICAL_VOICE_COUNT; ++i)
      voices.push_back(start_sample(spl, 255, 128, 1000, loop));
    return voices;
  }
  bool called(const std::string &call) const {
    const auto &calls = the_test_digi().calls;
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }
  sample *spl = nullptr;
};

TEST_F(VoicesTest, NewSampleDefaultsAndBadSizes) {
  EXPECT_EQ(spl->priority, 128);
  EXPECT_EQ(spl->loop_start, 0);
  EXPECT_EQ(spl->loop_end, 1000);
  EXPECT_EQ(spl->user_param, 0);
  set_error_number(0);
  EXPECT_EQ(new_sample(8, 0, 8000, -1), nullptr);
  EXPECT_EQ(get_error_number(), EINVAL);
  sample *empty = new_sample(8, 1, 8000, 0);
  ASSERT_NE(empty, nullptr);
  free_sample(empty);
  free_sample(nullptr);
}

TEST_F(VoicesTest, StartSampleSetsUpTheVoice) {
  const int voice = start_sample(spl, 200, 30, 2000, 1);
  ASSERT_EQ(voice, 0);
  EXPECT_EQ(the_test_digi().calls,
            (std::vector<std::string>{"bind 0", "volume 0 200", "pan 0 30", "frequency 0 44100",
                                      "loop 0 1", "play 0"}));
  EXPECT_EQ(get_voice_frequency(voice), 44100);
  EXPECT_NE(corvane::virtual_voices[voice].autokill.load(), 0);
  const int same_rate = start_sample(spl, 200, 30, 1000, 0);
  EXPECT_EQ(get_voice_frequency(same_rate), 22050);
}

TEST_F(VoicesTest, FreeVoicesFirstThenEndedSoundsThenStealing) {
  std::vector<int> voices = fill_all(0);
  EXPECT_EQ(voices.back(), 63);
  // Voice 5's sound has ended: it is given up (without a halt), and both of its voices go to the
  // next claim.
  the_test_digi().position[5] = -1;
  the_test_digi().calls.clear();
  EXPECT_EQ(start_sample(spl, 255, 128, 1000, 0), 5);
  EXPECT_TRUE(called("unbind 5"));
  EXPECT_FALSE(called("halt 5"));
  EXPECT_EQ(corvane::virtual_voices[5].physical.load(), 5);
  // Without ended sounds, a free virtual voice still takes a stolen physical voice.
  the_test_digi().position[5] = 0;
  EXPECT_EQ(start_sample(spl, 255, 128, 1000, 0), 64);
  EXPECT_TRUE(called("halt 0"));
}

TEST_F(VoicesTest, StealingPrefersOneShotsAndOlderSoundsAndTiesGoLow) {
  // All one-shots of priority 128 started at the same retrace: physical voice 0 goes.
  fill_all(0);
  the_test_digi().calls.clear();
  int voice = start_sample(spl, 255, 128, 1000, 0);
  EXPECT_EQ(corvane::virtual_voices[voice].physical.load(), 0);
  EXPECT_TRUE(called("halt 0"));
  EXPECT_EQ(corvane::virtual_voices[0].physical.load(), -1);
  EXPECT_EQ(corvane::virtual_voices[0].sample_played.load(),
            spl);  // lost its voice, kept its sample
  for (int v = 0; v < VIRTUAL_VOICE_COUNT; ++v) free_voice(v);

  // A looping sound goes after a one-shot of the same priority and age.
  fill_all(1);
  set_voice_playmode(40, PLAYMODE_PLAY);
  voice = start_sample(spl, 255, 128, 1000, 0);
  EXPECT_EQ(corvane::virtual_voices[voice].physical.load(), 40);
  for (int v = 0; v < VIRTUAL_VOICE_COUNT; ++v) free_voice(v);

  // Among equals, the oldest.
  set_retrace_count(1000);
  fill_all(1);
  set_retrace_count(900);
  start_voice(17);  // restarted earlier than the rest: older
  set_retrace_count(1000);
  voice = start_sample(spl, 255, 128, 1000, 1);
  EXPECT_EQ(corvane::virtual_voices[voice].physical.load(), 17);
}

TEST_F(VoicesTest, NothingOfHigherPriorityIsStolen) {
  spl->priority = 101;
  fill_all(0);
  sample *quiet = new_sample(8, 0, 8000, 10);
  quiet->priority = 100;
  // The new sound gets a virtual voice without a physical one; every other sound plays on.
  const int unheard = start_sample(quiet, 255, 128, 1000, 0);
  ASSERT_EQ(unheard, 64);
  EXPECT_EQ(corvane::virtual_voices[unheard].physical.load(), -1);
  EXPECT_EQ(get_voice_position(unheard), -1);
  EXPECT_FALSE(called("halt 0"));
  // A lower priority of a voice itself makes it fair game.
  set_voice_priority(9, 100);
  const int voice = start_sample(quiet, 255, 128, 1000, 0);
  EXPECT_EQ(corvane::virtual_voices[voice].physical.load(), 9);
  free_sample(quiet);
}

TEST_F(VoicesTest, FlipPanAndDigitalVolumeScaling) {
  const int voice = claim_voice(spl);
  flip_pan = 1;
  set_voice_pan(voice, 0);
  EXPECT_EQ(the_test_digi().pan[0], 255);
  EXPECT_EQ(get_voice_pan(voice), 0);
  flip_pan = 0;

  digi_volume = 128;
  set_voice_volume(voice, 255);
  EXPECT_EQ(the_test_digi().volume[0], 128);
  EXPECT_EQ(corvane::physical_voices[0].volume.load(), 128 << 12);
  EXPECT_EQ(get_voice_volume(voice), 255);
  digi_volume = 0;
  EXPECT_EQ(get_voice_volume(voice), 0);
}

TEST_F(VoicesTest, RetuneChangesTheLowestVoiceOnly) {
  sample *other = new_sample(8, 0, 8000, 10);
  for (int i = 0; i < 8; ++i) claim_voice(i == 3 || i == 7 ? spl : other);
  retune_sample(spl, 10, 20, 500, 1);
  EXPECT_EQ(the_test_digi().volume[3], 10);
  EXPECT_EQ(the_test_digi().pan[3], 20);
  EXPECT_EQ(the_test_digi().frequency[3], 11025);
  EXPECT_EQ(corvane::physical_voices[3].playmode.load(), PLAYMODE_LOOP);
  EXPECT_EQ(the_test_digi().volume[7], 0);
  free_sample(other);
}

TEST_F(VoicesTest, BackwardPlayStartsAtTheLastFrame) {
  const int voice = claim_voice(spl);
  set_voice_playmode(voice, PLAYMODE_BACKWARD | PLAYMODE_LOOP);
  EXPECT_TRUE(called("seek 0 999"));
}

TEST_F(VoicesTest, CheckVoiceForgetsEndedAutokillSounds) {
  const int voice = start_sample(spl, 255, 128, 1000, 0);
  EXPECT_EQ(check_voice(voice), spl);
  the_test_digi().position[0] = -1;
  EXPECT_EQ(check_voice(voice), nullptr);
  const int kept = claim_voice(spl);  // not autokill: stays the program's
  the_test_digi().position[1] = -1;
  EXPECT_EQ(check_voice(kept), spl);
}

TEST_F(VoicesTest, FreeSampleFreesItsVoices) {
  sample *doomed = new_sample(8, 0, 8000, 10);
  const int voice = start_sample(doomed, 255, 128, 1000, 1);
  the_test_digi().calls.clear();
  free_sample(doomed);
  EXPECT_EQ(the_test_digi().calls, (std::vector<std::string>{"halt 0", "unbind 0"}));
  EXPECT_EQ(corvane::virtual_voices[voice].sample_played.load(), nullptr);
  EXPECT_EQ(corvane::physical_voices[0].owner.load(), -1);
}

// Steps of the emulated ramp until it ends, counted in timer periods of 1/50 second.
int emulated_steps(int time, int end) {
  const int before = static_cast<int>(the_test_digi().calls.size());
  ramp_voice_volume(0, time, end);
  int periods = 0;
  while (corvane::physical_voices[0].volume_step.load() != 0 && periods < 1000) {
    advance_ticks(VOICE_SWEEP_PERIOD);
    ++periods;
  }
  EXPECT_EQ(static_cast<int>(the_test_digi().calls.size()) - before, periods);
  return periods;
}

TEST_F(VoicesTest, EmulatedRampsStepFiftyTimesASecond) {
  claim_voice(spl);
  set_voice_volume(0, 0);
  EXPECT_EQ(emulated_steps(1000, 250), 50);
  EXPECT_EQ(the_test_digi().volume[0], 250);
  EXPECT_EQ(emulated_steps(30, 10), 1);
  EXPECT_EQ(the_test_digi().volume[0], 10);

  the_test_digi().calls.clear();
  sweep_voice_frequency(0, 40, 11025);
  sweep_voice_pan(0, 40, 0);
  advance_ticks(VOICE_SWEEP_PERIOD);
  advance_ticks(VOICE_SWEEP_PERIOD);
  EXPECT_EQ(the_test_digi().calls, (std::vector<std::string>{"frequency 0 16537", "pan 0 64",
                                                             "frequency 0 11025", "pan 0 0"}));
  stop_voice_ramp(0);
  EXPECT_TRUE(called("end fade 0"));
}

TEST_F(VoicesTest, VoiceNumbersThatDoNotExist) {
  for (int voice : {-1, 256, 100000}) {
    EXPECT_EQ(get_voice_position(voice), -1);
    EXPECT_EQ(get_voice_volume(voice), -1);
    EXPECT_EQ(get_voice_frequency(voice), -1);
    EXPECT_EQ(get_voice_pan(voice), -1);
    EXPECT_EQ(check_voice(voice), nullptr);
    free_voice(voice);
    rebind_voice(voice, spl);
    start_voice(voice);
    set_voice_volume(voice, 1);
    ramp_voice_volume(voice, 10, 1);
    set_voice_playmode(voice, PLAYMODE_BACKWARD);
    autokill_voice(voice);
    set_voice_priority(voice, 1);
  }
  EXPECT_TRUE(the_test_digi().calls.empty());
  EXPECT_EQ(claim_voice(nullptr), -1);
  EXPECT_EQ(start_sample(nullptr, 255, 128, 1000, 0), -1);
  rebind_voice(0, nullptr);
  halt_sample(nullptr);
  retune_sample(nullptr, 1, 1, 1, 1);
}

TEST_F(VoicesTest, RebindKeepsThePhysicalVoice) {
  const int voice = start_sample(spl, 255, 128, 1000, 0);
  sample *other = new_sample(8, 1, 8000, 10);
  other->priority = 7;
  the_test_digi().calls.clear();
  rebind_voice(voice, other);
  EXPECT_EQ(the_test_digi().calls, (std::vector<std::string>{"halt 0", "unbind 0", "bind 0"}));
  EXPECT_EQ(corvane::virtual_voices[voice].autokill.load(), 0);
  EXPECT_EQ(corvane::virtual_voices[voice].priority.load(), 7);
  EXPECT_EQ(corvane::physical_voices[0].frequency.load(), 8000 << 12);
  free_sample(other);
}

}  // namespace
