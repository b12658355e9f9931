// Samples: making and freeing them, and playing one on a voice of its own.
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "corvane/sound.h"
#include "sound/sound_internal.h"

namespace corvane {

void destroy_sample_object(void *object) noexcept { free_sample(static_cast<sample *>(object)); }

namespace {

// The frequency a voice plays at for a per-mille factor of the sample's own rate, kept within
// int however large the factor.
int scaled_frequency(const sample *spl, int per_mille) noexcept {
  if (per_mille == 1000) return spl->frequency;
  const int64_t hz = int64_t{per_mille} * spl->frequency / 1000;
  if (hz > INT32_MAX) return INT32_MAX;
  if (hz < INT32_MIN) return INT32_MIN;
  return static_cast<int>(hz);
}

void apply_settings(int voice, const sample *spl, int volume, int pan, int frequency,
                    int loop) noexcept {
  set_voice_volume(voice, volume);
  set_voice_pan(voice, pan);
  set_voice_frequency(voice, scaled_frequency(spl, frequency));
  set_voice_playmode(voice, loop != 0 ? PLAYMODE_LOOP : PLAYMODE_PLAY);
}

}  // namespace
}  // namespace corvane

extern "C" {

sample *new_sample(int bits, int stereo, int frequency, int length) noexcept {
  if (length < 0) {
    set_error_number(EINVAL);
    return nullptr;
  }
  const uint64_t frame_bytes = uint64_t{bits == 16 ? 2u : 1u} * (stereo != 0 ? 2u : 1u);
  const uint64_t bytes = frame_bytes * static_cast<uint64_t>(length);
  if (bytes > SIZE_MAX / 2) {
    set_error_number(EINVAL);
    return nullptr;
  }
  auto *spl = static_cast<sample *>(std::malloc(sizeof(sample)));
  void *data = std::malloc(bytes > 0 ? static_cast<size_t>(bytes) : 1);
  if (spl == nullptr || data == nullptr) {
    std::free(spl);
    std::free(data);
    set_error_number(ENOMEM);
    return nullptr;
  }
  *spl = sample{.bits = bits,
                .stereo = stereo,
                .frequency = frequency,
                .priority = 128,
                .length = length,
                .loop_start = 0,
                .loop_end = length,
                .user_param = 0,
                .data = data};
  return spl;
}

void free_sample(sample *spl) noexcept {
  if (spl == nullptr) return;
  halt_sample(spl);
  std::free(spl->data);
  std::free(spl);
}

int start_sample(const sample *spl, int volume, int pan, int frequency, int loop) noexcept {
  using namespace corvane;
  if (spl == nullptr) return -1;
  const int voice = claim_voice(spl);
  if (voice < 0) return -1;
  apply_settings(voice, spl, volume, pan, frequency, loop);
  start_voice(voice);
  autokill_voice(voice);
  return voice;
}

void retune_sample(const sample *spl, int volume, int pan, int frequency, int loop) noexcept {
  using namespace corvane;
  if (spl == nullptr) return;
  for (int voice = 0; voice < VIRTUAL_VOICE_COUNT; ++voice) {
    if (virtual_voices[voice].sample_played.load(std::memory_order_relaxed) == spl) {
      apply_settings(voice, spl, volume, pan, frequency, loop);
      return;
    }
  }
}

void halt_sample(const sample *spl) noexcept {
  using namespace corvane;
  if (spl == nullptr) return;
  for (int voice = 0; voice < VIRTUAL_VOICE_COUNT; ++voice) {
    if (virtual_voices[voice].sample_played.load(std::memory_order_relaxed) == spl) {
      free_voice(voice);
    }
  }
}

}  // extern "C"
