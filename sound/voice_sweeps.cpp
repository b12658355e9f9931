// Ramps of volume, frequency and pan for drivers that cannot ramp by themselves: a timer handler
// steps them 50 times a second and hands each new value to the driver.
#include "corvane/sound.h"
#include "sound/sound_internal.h"

namespace corvane {

void advance_ramp(std::atomic<int> &value, std::atomic<int> &step, const std::atomic<int> &target,
                  int64_t times) noexcept {
  const int by = get(step);
  if (by == 0) return;
  const int goal = get(target);
  const int64_t next = get(value) + int64_t{by} * times;
  if ((by > 0 && next >= goal) || (by < 0 && next <= goal)) {
    put(value, goal);
    put(step, 0);
  } else {
    put(value, static_cast<int>(next));
  }
}

void emulate_voice_sweeps() noexcept {
  digi_driver_record *driver = digi_driver();
  int count = driver->voice_count;
  if (midi_plays_on_digital_voices()) count += midi_driver()->voice_count;
  if (count > PHYSICAL_VOICE_COUNT) count = PHYSICAL_VOICE_COUNT;
  for (int physical = 0; physical < count; ++physical) {
    physical_voice &p = physical_voices[physical];
    if (get(p.owner) < 0) continue;
    if (driver->fade_volume == nullptr && get(p.volume_step) != 0) {
      advance_ramp(p.volume, p.volume_step, p.volume_target, 1);
      if (driver->write_volume != nullptr) driver->write_volume(physical, get(p.volume) >> 12);
    }
    if (driver->glide_frequency == nullptr && get(p.frequency_step) != 0) {
      advance_ramp(p.frequency, p.frequency_step, p.frequency_target, 1);
      if (driver->write_frequency != nullptr) {
        driver->write_frequency(physical, get(p.frequency) >> 12);
      }
    }
    if (driver->glide_pan == nullptr && get(p.pan_step) != 0) {
      advance_ramp(p.pan, p.pan_step, p.pan_target, 1);
      if (driver->write_pan != nullptr) driver->write_pan(physical, get(p.pan) >> 12);
    }
  }
}

}  // namespace corvane
