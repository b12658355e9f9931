// The sound of a voice: position, play mode, volume, frequency and pan, their timed ramps, and the
// effects passed on to drivers. Each call reaches the driver through the voice's physical voice;
// a voice without one ignores the call (queries answer -1).
#include <cstdint>

#include "corvane/sound.h"
#include "sound/sound_internal.h"

namespace corvane {
namespace {

int bound_physical(int voice) noexcept {
  if (!valid_virtual_voice(voice)) return -1;
  return get(virtual_voices[voice].physical);
}

// A level on the program's scale put on the digital volume's scale.
int scale_by_digi_volume(int level) noexcept {
  const int master = digi_volume;
  if (master < 0) return level;
  return static_cast<int>(int64_t{level} * master / 255);
}

int flipped_pan(int pan) noexcept { return flip_pan != 0 ? 255 - pan : pan; }

// A ramp stepped by the timer emulation 50 times a second: time in milliseconds, end value in the
// parameter's own units.
void start_emulated_ramp(std::atomic<int> &value, std::atomic<int> &step, std::atomic<int> &target,
                         int time, int end) noexcept {
  const int steps = time >= 40 ? time / 20 : 1;
  const int goal = fixed_from(end);
  put(target, goal);
  put(step, static_cast<int>((int64_t{goal} - get(value)) / steps));
}

}  // namespace
}  // namespace corvane

extern "C" {

int get_voice_position(int voice) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  if (physical < 0) return -1;
  digi_driver_record *driver = digi_driver();
  return driver->read_position != nullptr ? driver->read_position(physical) : -1;
}

void set_voice_position(int voice, int position) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  if (physical < 0) return;
  digi_driver_record *driver = digi_driver();
  if (driver->seek_voice != nullptr) driver->seek_voice(physical, position);
}

void set_voice_playmode(int voice, int playmode) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  if (physical < 0) return;
  put(physical_voices[physical].playmode, playmode);
  digi_driver_record *driver = digi_driver();
  if (driver->set_loop_mode != nullptr) driver->set_loop_mode(physical, playmode);
  if ((playmode & PLAYMODE_BACKWARD) != 0 && driver->seek_voice != nullptr) {
    const sample *spl = virtual_voices[voice].sample_played.load(std::memory_order_relaxed);
    if (spl != nullptr) driver->seek_voice(physical, spl->length - 1);
  }
}

int get_voice_volume(int voice) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  if (physical < 0) return -1;
  digi_driver_record *driver = digi_driver();
  const int level = driver->read_volume != nullptr ? driver->read_volume(physical) : -1;
  const int master = digi_volume;
  if (level < 0 || master < 0) return level;
  if (master == 0) return 0;
  const int64_t own = int64_t{level} * 255 / master;
  return own < 0 ? 0 : own > 255 ? 255 : static_cast<int>(own);
}

void set_voice_volume(int voice, int volume) noexcept {
  using namespace corvane;
  volume = scale_by_digi_volume(volume);
  const int physical = bound_physical(voice);
  if (physical < 0) return;
  physical_voice &p = physical_voices[physical];
  put(p.volume, fixed_from(volume));
  put(p.volume_step, 0);
  digi_driver_record *driver = digi_driver();
  if (driver->write_volume != nullptr) driver->write_volume(physical, volume);
}

void ramp_voice_volume(int voice, int time, int end_volume) noexcept {
  using namespace corvane;
  end_volume = scale_by_digi_volume(end_volume);
  const int physical = bound_physical(voice);
  if (physical < 0) return;
  digi_driver_record *driver = digi_driver();
  if (driver->fade_volume != nullptr) {
    driver->fade_volume(physical, time, end_volume);
  } else {
    physical_voice &p = physical_voices[physical];
    start_emulated_ramp(p.volume, p.volume_step, p.volume_target, time, end_volume);
  }
}

void stop_voice_ramp(int voice) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  if (physical < 0) return;
  put(physical_voices[physical].volume_step, 0);
  digi_driver_record *driver = digi_driver();
  if (driver->end_fade != nullptr) driver->end_fade(physical);
}

int get_voice_frequency(int voice) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  if (physical < 0) return -1;
  digi_driver_record *driver = digi_driver();
  return driver->read_frequency != nullptr ? driver->read_frequency(physical) : -1;
}

void set_voice_frequency(int voice, int frequency) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  if (physical < 0) return;
  physical_voice &p = physical_voices[physical];
  put(p.frequency, fixed_from(frequency));
  put(p.frequency_step, 0);
  digi_driver_record *driver = digi_driver();
  if (driver->write_frequency != nullptr) driver->write_frequency(physical, frequency);
}

void sweep_voice_frequency(int voice, int time, int end_frequency) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  if (physical < 0) return;
  digi_driver_record *driver = digi_driver();
  if (driver->glide_frequency != nullptr) {
    driver->glide_frequency(physical, time, end_frequency);
  } else {
    physical_voice &p = physical_voices[physical];
    start_emulated_ramp(p.frequency, p.frequency_step, p.frequency_target, time, end_frequency);
  }
}

void stop_voice_frequency_sweep(int voice) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  if (physical < 0) return;
  put(physical_voices[physical].frequency_step, 0);
  digi_driver_record *driver = digi_driver();
  if (driver->end_frequency_glide != nullptr) driver->end_frequency_glide(physical);
}

int get_voice_pan(int voice) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  if (physical < 0) return -1;
  digi_driver_record *driver = digi_driver();
  const int pan = driver->read_pan != nullptr ? driver->read_pan(physical) : -1;
  return pan >= 0 ? flipped_pan(pan) : pan;
}

void set_voice_pan(int voice, int pan) noexcept {
  using namespace corvane;
  pan = flipped_pan(pan);
  const int physical = bound_physical(voice);
  if (physical < 0) return;
  physical_voice &p = physical_voices[physical];
  put(p.pan, fixed_from(pan));
  put(p.pan_step, 0);
  digi_driver_record *driver = digi_driver();
  if (driver->write_pan != nullptr) driver->write_pan(physical, pan);
}

void sweep_voice_pan(int voice, int time, int end_pan) noexcept {
  using namespace corvane;
  end_pan = flipped_pan(end_pan);
  const int physical = bound_physical(voice);
  if (physical < 0) return;
  digi_driver_record *driver = digi_driver();
  if (driver->glide_pan != nullptr) {
    driver->glide_pan(physical, time, end_pan);
  } else {
    physical_voice &p = physical_voices[physical];
    start_emulated_ramp(p.pan, p.pan_step, p.pan_target, time, end_pan);
  }
}

void stop_voice_pan_sweep(int voice) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  if (physical < 0) return;
  put(physical_voices[physical].pan_step, 0);
  digi_driver_record *driver = digi_driver();
  if (driver->end_pan_glide != nullptr) driver->end_pan_glide(physical);
}

void set_voice_echo(int voice, int strength, int delay) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  digi_driver_record *driver = digi_driver();
  if (physical >= 0 && driver->write_echo != nullptr) driver->write_echo(physical, strength, delay);
}

void set_voice_tremolo(int voice, int rate, int depth) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  digi_driver_record *driver = digi_driver();
  if (physical >= 0 && driver->write_tremolo != nullptr)
    driver->write_tremolo(physical, rate, depth);
}

void set_voice_vibrato(int voice, int rate, int depth) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  digi_driver_record *driver = digi_driver();
  if (physical >= 0 && driver->write_vibrato != nullptr)
    driver->write_vibrato(physical, rate, depth);
}

}  // extern "C"
