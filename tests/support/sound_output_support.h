// Helpers for the tests of the sound output drivers: a sample of noise that starts loud, the
// offline driver's output for one start_sample (what any driver must play for it), finding that
// output in what a driver played, and waiting for a voice to end in real time.
#ifndef CORVANE_TESTS_SUPPORT_SOUND_OUTPUT_SUPPORT_H
#define CORVANE_TESTS_SUPPORT_SOUND_OUTPUT_SUPPORT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "corvane/offline_sound.h"
#include "corvane/sound.h"

namespace corvane::testing {

// A 16-bit mono sample at 44100 Hz of pseudo-random words whose first word is far from silence, so
// that its sound is found again by its first frame.
inline sample *make_noise_sample(int frames) {
  sample *spl = new_sample(16, 0, 44100, frames);
  auto *data = static_cast<uint16_t *>(spl->data);
  uint32_t seed = 12345;
  for (int i = 0; i < frames; ++i) {
    seed = seed * 1103515245u + 12345u;
    data[i] = static_cast<uint16_t>(seed >> 16);
  }
  data[0] = 60000;
  return spl;
}

// The first frames of 16-bit stereo output of start_sample(spl, ...) through the offline driver
// at sound_freq (installed and removed here).
inline std::vector<int16_t> offline_output(const sample *spl, int volume, int pan, int frequency,
                                           int loop, int frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
  EXPECT_EQ(install_sound(DIGI_OFFLINE, MIDI_NONE), 0);
  EXPECT_GE(start_sample(spl, volume, pan, frequency, loop), 0);
  EXPECT_EQ(render_offline_sound(out.data(), frames), frames);
  remove_sound();
  return out;
}

// The first frame (of stereo 16-bit words) at which played holds all of wanted; -1 when nowhere.
inline long find_frames(const std::vector<int16_t> &played, const std::vector<int16_t> &wanted) {
  for (size_t at = 0; at + wanted.size() <= played.size(); at += 2) {
    if (std::equal(wanted.begin(), wanted.end(), played.begin() + static_cast<long>(at))) {
      return static_cast<long>(at / 2);
    }
  }
  return -1;
}

// Waits until the voice's sound has ended (check_voice gives null), at most limit_ms.
inline bool wait_until_ended(int voice, int limit_ms = 10000) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
  while (check_voice(voice) != nullptr) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_SOUND_OUTPUT_SUPPORT_H
