// Sound end to end through the offline driver: what start_sample of a known waveform puts on each
// side, a loop that plays on block after block, stop_voice taking effect from the next block, the
// output formats the driver opens, and the same output whatever counts are asked for.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "corvane/config.h"
#include "corvane/offline_sound.h"
#include "corvane/sound.h"
#include "support/test_sound_drivers.h"

namespace {

using namespace corvane::testing;

class OfflineDriverTest : public sound_test {
 protected:
  void TearDown() override {
    free_sample(spl);
    sound_test::TearDown();
  }
  // A 16-bit mono ramp from 12768 to 52768 over the given frames, at the output rate.
  void make_ramp(int frames) {
    spl = new_sample(16, 0, 44100, frames);
    auto *data = static_cast<uint16_t *>(spl->data);
    for (int i = 0; i < frames; ++i) data[i] = static_cast<uint16_t>(12768 + 40000 * i / frames);
  }
  // What a full-volume voice panned hard left plays on the left for word w at quality 1.
  static int16_t left_word(uint16_t w) {
    const int32_t mixed = (65533 * (static_cast<int32_t>(w) - 32768)) >> 8;
    return static_cast<int16_t>(((mixed + 0x800000) >> 8) - 0x8000);
  }
  std::vector<int16_t> render(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    EXPECT_EQ(render_offline_sound(out.data(), frames), frames);
    return out;
  }
  sample *spl = nullptr;
};

TEST_F(OfflineDriverTest, KnownWaveformOnTheLeftSilenceOnTheRight) {
  sound_quality = 1;
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_NONE), 0);
  EXPECT_STREQ(current_digi_driver->description, "Offline output, 16 bits, 44100 bps, stereo");
  make_ramp(3000);
  ASSERT_GE(start_sample(spl, 255, 0, 1000, 0), 0);
  const std::vector<int16_t> out = render(4000);
  const auto *data = static_cast<const uint16_t *>(spl->data);
  for (int i = 0; i < 4000; ++i) {
    const int16_t want = i < 3000 ? left_word(data[i]) : 0;
    ASSERT_EQ(out[static_cast<size_t>(2 * i)], want) << "frame " << i;
    ASSERT_EQ(out[static_cast<size_t>(2 * i + 1)], 0) << "frame " << i;
  }
}

TEST_F(OfflineDriverTest, LoopPlaysOnAcrossManyBlocksUntilStopped) {
  sound_quality = 1;
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_NONE), 0);
  make_ramp(100);
  const int voice = start_sample(spl, 255, 0, 1000, 1);
  const auto *data = static_cast<const uint16_t *>(spl->data);
  const std::vector<int16_t> out = render(50 * OFFLINE_BLOCK_FRAMES + 100);
  for (int i = 0; i < 50 * OFFLINE_BLOCK_FRAMES + 100; ++i) {
    ASSERT_EQ(out[static_cast<size_t>(2 * i)], left_word(data[i % 100])) << "frame " << i;
  }
  // Stopped 100 frames into a block: that block plays out, the next one is silent.
  stop_voice(voice);
  const std::vector<int16_t> rest = render(2 * OFFLINE_BLOCK_FRAMES - 100);
  for (int i = 0; i < 2 * OFFLINE_BLOCK_FRAMES - 100; ++i) {
    const int frame = 100 + i;
    const int16_t want = i < OFFLINE_BLOCK_FRAMES - 100 ? left_word(data[frame % 100]) : 0;
    ASSERT_EQ(rest[static_cast<size_t>(2 * i)], want) << "frame " << frame;
  }
}

TEST_F(OfflineDriverTest, OutputDoesNotDependOnTheCountsAskedFor) {
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_NONE), 0);
  make_ramp(700);
  start_sample(spl, 180, 60, 1370, 1);
  const std::vector<int16_t> whole = render(5000);
  remove_sound();
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_NONE), 0);
  start_sample(spl, 180, 60, 1370, 1);
  std::vector<int16_t> pieces;
  for (int count : {1, 7, 1016, 333, 2048, 1595}) {
    const std::vector<int16_t> part = render(count);
    pieces.insert(pieces.end(), part.begin(), part.end());
  }
  EXPECT_EQ(pieces, whole);
}

TEST_F(OfflineDriverTest, EightBitMonoOutputAndWhatIsWrittenBack) {
  const char config[] = "[sound]\nsound_bits = 8\nsound_stereo = 0\nsound_freq = 22050\n";
  use_config_data(config, sizeof config - 1);
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_NONE), 0);
  EXPECT_EQ(sound_bits, 8);
  EXPECT_EQ(sound_stereo, 0);
  EXPECT_EQ(sound_freq, 22050);
  EXPECT_EQ(sound_quality, 0);
  EXPECT_STREQ(current_digi_driver->description, "Offline output, 8 bits, 22050 bps, mono");
  std::vector<uint8_t> out(300);
  EXPECT_EQ(render_offline_sound(out.data(), 300), 300);
  EXPECT_EQ(out, std::vector<uint8_t>(300, 0x80));
}

TEST_F(OfflineDriverTest, NothingToRenderWithoutTheDriver) {
  int16_t buffer[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  EXPECT_EQ(render_offline_sound(buffer, 4), -1);
  EXPECT_EQ(buffer[0], 1);
  ASSERT_EQ(install_sound(DIGI_OFFLINE, MIDI_NONE), 0);
  EXPECT_EQ(render_offline_sound(nullptr, 4), -1);
  EXPECT_EQ(render_offline_sound(buffer, 0), 0);
  EXPECT_EQ(render_offline_sound(buffer, 4), 4);
  remove_sound();
  EXPECT_EQ(render_offline_sound(buffer, 4), -1);
}

}  // namespace
