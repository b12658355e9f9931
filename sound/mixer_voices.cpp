// The mixer's voice operations, which digital drivers put in their records: binding a sample to a
// physical voice, playing, halting, seeking, and following the voice layer's changes of volume,
// pan, frequency and play mode. Physical voices outside 0..63 are ignored (queries answer -1).
#include <cstdint>

#include "corvane/sound.h"
#include "sound/mixer_internal.h"

namespace corvane {
namespace {

int64_t clamp_frames(int64_t frames, int64_t length) noexcept {
  return frames < 0 ? 0 : frames > length ? length : frames;
}

// A ramp of time milliseconds toward end, stepped every 16 output frames.
void start_ramp(std::atomic<int> &value, std::atomic<int> &step, std::atomic<int> &target, int time,
                int end) noexcept {
  int64_t sweep_points = 0;
  {
    mixer_lock lock;
    sweep_points = int64_t{mixer.rate / 16} * time;
  }
  const int64_t steps = sweep_points >= 2000 ? sweep_points / 1000 : 1;
  const int goal = fixed_from(end);
  put(target, goal);
  put(step, static_cast<int>((int64_t{goal} - get(value)) / steps));
}

}  // namespace
}  // namespace corvane

extern "C" {

void mixer_bind_voice(int voice, const sample *spl) noexcept {
  using namespace corvane;
  if (!valid_physical_voice(voice) || spl == nullptr) return;
  mixer_lock lock;
  mixer_voice &m = mixer.voices[voice];
  m.playing = 0;
  m.channels = spl->stereo != 0 ? 2 : 1;
  m.bits = spl->bits == 16 ? 16 : 8;
  m.data = spl->data;
  m.position = 0;
  // Loop points are kept inside the sample, so that the mixer never reads outside its data; a
  // loop that ends up empty (or backwards) plays the sample once.
  const int64_t frames = spl->data != nullptr && spl->length > 0 ? spl->length : 0;
  m.length = frames * 256;
  m.loop_start = clamp_frames(spl->loop_start, frames) * 256;
  m.loop_end = clamp_frames(spl->loop_end, frames) * 256;
  refresh_voice_gains(voice);
  m.step = step_from_frequency(voice);
}

void mixer_unbind_voice(int voice) noexcept {
  using namespace corvane;
  if (!valid_physical_voice(voice)) return;
  mixer_lock lock;
  mixer.voices[voice].playing = 0;
  mixer.voices[voice].data = nullptr;
  mixer.voices[voice].length = 0;
}

void mixer_play_voice(int voice) noexcept {
  using namespace corvane;
  if (!valid_physical_voice(voice)) return;
  mixer_lock lock;
  mixer_voice &m = mixer.voices[voice];
  if (m.position >= m.length) m.position = 0;
  m.playing = -1;
}

void mixer_halt_voice(int voice) noexcept {
  using namespace corvane;
  if (!valid_physical_voice(voice)) return;
  mixer_lock lock;
  mixer.voices[voice].playing = 0;
}

void mixer_set_loop_mode(int voice, int playmode) noexcept {
  using namespace corvane;
  (void)playmode;  // the voice layer has stored it in the physical voice already
  if (!valid_physical_voice(voice)) return;
  mixer_lock lock;
  mixer.voices[voice].step = step_from_frequency(voice);
}

int mixer_read_position(int voice) noexcept {
  using namespace corvane;
  if (!valid_physical_voice(voice)) return -1;
  mixer_lock lock;
  const mixer_voice &m = mixer.voices[voice];
  if (m.playing == 0 || m.position < 0 || m.position >= m.length) return -1;
  return static_cast<int>(m.position / 256);
}

void mixer_seek_voice(int voice, int position) noexcept {
  using namespace corvane;
  if (!valid_physical_voice(voice)) return;
  mixer_lock lock;
  mixer_voice &m = mixer.voices[voice];
  m.position = int64_t{position < 0 ? 0 : position} * 256;
  if (m.position >= m.length) m.playing = 0;
}

int mixer_read_volume(int voice) noexcept {
  using namespace corvane;
  return valid_physical_voice(voice) ? get(physical_voices[voice].volume) >> 12 : -1;
}

void mixer_write_volume(int voice, int volume) noexcept {
  using namespace corvane;
  (void)volume;  // stored in the physical voice already
  if (!valid_physical_voice(voice)) return;
  mixer_lock lock;
  refresh_voice_gains(voice);
}

void mixer_fade_volume(int voice, int time, int end_volume) noexcept {
  using namespace corvane;
  if (!valid_physical_voice(voice)) return;
  physical_voice &p = physical_voices[voice];
  start_ramp(p.volume, p.volume_step, p.volume_target, time, end_volume);
}

void mixer_end_fade(int voice) noexcept {
  using namespace corvane;
  if (valid_physical_voice(voice)) put(physical_voices[voice].volume_step, 0);
}

int mixer_read_frequency(int voice) noexcept {
  using namespace corvane;
  return valid_physical_voice(voice) ? get(physical_voices[voice].frequency) >> 12 : -1;
}

void mixer_write_frequency(int voice, int frequency) noexcept {
  using namespace corvane;
  (void)frequency;
  if (!valid_physical_voice(voice)) return;
  mixer_lock lock;
  mixer.voices[voice].step = step_from_frequency(voice);
}

void mixer_glide_frequency(int voice, int time, int end_frequency) noexcept {
  using namespace corvane;
  if (!valid_physical_voice(voice)) return;
  physical_voice &p = physical_voices[voice];
  start_ramp(p.frequency, p.frequency_step, p.frequency_target, time, end_frequency);
}

void mixer_end_frequency_glide(int voice) noexcept {
  using namespace corvane;
  if (valid_physical_voice(voice)) put(physical_voices[voice].frequency_step, 0);
}

int mixer_read_pan(int voice) noexcept {
  using namespace corvane;
  return valid_physical_voice(voice) ? get(physical_voices[voice].pan) >> 12 : -1;
}

void mixer_write_pan(int voice, int pan) noexcept {
  using namespace corvane;
  (void)pan;
  if (!valid_physical_voice(voice)) return;
  mixer_lock lock;
  refresh_voice_gains(voice);
}

void mixer_glide_pan(int voice, int time, int end_pan) noexcept {
  using namespace corvane;
  if (!valid_physical_voice(voice)) return;
  physical_voice &p = physical_voices[voice];
  start_ramp(p.pan, p.pan_step, p.pan_target, time, end_pan);
}

void mixer_end_pan_glide(int voice) noexcept {
  using namespace corvane;
  if (valid_physical_voice(voice)) put(physical_voices[voice].pan_step, 0);
}

void mixer_write_echo(int, int, int) noexcept {}
void mixer_write_tremolo(int, int, int) noexcept {}
void mixer_write_vibrato(int, int, int) noexcept {}

}  // extern "C"
