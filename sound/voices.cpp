// The voice tables and the life of a voice: claiming one (with a physical voice that is free, whose
// sound ended, or stolen from a less important sound), freeing, rebinding, starting and stopping.
#include <cstdint>

#include "corvane/sound.h"
#include "corvane/timer.h"
#include "sound/sound_internal.h"

namespace corvane {

virtual_voice virtual_voices[VIRTUAL_VOICE_COUNT];
physical_voice physical_voices[PHYSICAL_VOICE_COUNT];

void reset_voice_tables() noexcept {
  for (virtual_voice &voice : virtual_voices) {
    voice.sample_played.store(nullptr, std::memory_order_relaxed);
    put(voice.physical, -1);
    put(voice.autokill, 0);
  }
  for (physical_voice &voice : physical_voices) put(voice.owner, -1);
}

namespace {

// The driver calls the voice layer makes; an empty slot does nothing.
void driver_halt(digi_driver_record *driver, int physical) noexcept {
  if (driver->halt_voice != nullptr) driver->halt_voice(physical);
}
void driver_unbind(digi_driver_record *driver, int physical) noexcept {
  if (driver->unbind_voice != nullptr) driver->unbind_voice(physical);
}
int driver_position(digi_driver_record *driver, int physical) noexcept {
  return driver->read_position != nullptr ? driver->read_position(physical) : -1;
}

void unbind_both(int voice, int physical) noexcept {
  put(virtual_voices[voice].physical, -1);
  put(physical_voices[physical].owner, -1);
}

// Sets a physical voice up for a sample at full (digital) volume, centred, at the sample's rate,
// and hands it to the driver.
void prepare_physical(int physical, int voice, const sample *spl) noexcept {
  physical_voice &p = physical_voices[physical];
  put(p.owner, voice);
  put(p.playmode, PLAYMODE_PLAY);
  put(p.volume, fixed_from(digi_volume >= 0 ? digi_volume : 255));
  put(p.volume_step, 0);
  put(p.pan, fixed_from(128));
  put(p.pan_step, 0);
  put(p.frequency, fixed_from(spl->frequency));
  put(p.frequency_step, 0);
  digi_driver_record *driver = digi_driver();
  if (driver->bind_voice != nullptr) driver->bind_voice(physical, spl);
}

int physical_voices_of_driver(const digi_driver_record *driver) noexcept {
  const int count = driver->voice_count;
  if (count < 0) return 0;
  return count < PHYSICAL_VOICE_COUNT ? count : PHYSICAL_VOICE_COUNT;
}

// Age of a voice in retraces, as the stealing score counts it: 0 to 32768.
int64_t voice_age(const virtual_voice &voice) noexcept {
  const int64_t age = int64_t{get_retrace_count()} - get(voice.start_time);
  if (age < 0) return 0;
  return age < 32768 ? age : 32768;
}

// A physical voice for a sound of the given priority, or -1.
int claim_physical_voice(int priority) noexcept {
  digi_driver_record *driver = digi_driver();
  const int count = physical_voices_of_driver(driver);
  if (count < 1) return -1;

  for (int physical = 0; physical < count; ++physical) {
    if (get(physical_voices[physical].owner) == -1) return physical;
  }
  for (int physical = 0; physical < count; ++physical) {
    const int voice = get(physical_voices[physical].owner);
    if (!valid_virtual_voice(voice) || get(virtual_voices[voice].autokill) == 0) continue;
    if (driver_position(driver, physical) >= 0) continue;
    driver_unbind(driver, physical);
    unbind_both(voice, physical);
    virtual_voices[voice].sample_played.store(nullptr, std::memory_order_relaxed);
    return physical;
  }

  // Steal the least important sound: lower priority, older, and one-shot before looping.
  int best = -1;
  int64_t best_score = 0;
  for (int physical = 0; physical < count; ++physical) {
    const int voice = get(physical_voices[physical].owner);
    if (!valid_virtual_voice(voice)) continue;
    const int voice_priority = get(virtual_voices[voice].priority);
    if (voice_priority > priority) continue;
    int64_t score = voice_age(virtual_voices[voice]) + 65536 - 256 * int64_t{voice_priority};
    if ((get(physical_voices[physical].playmode) & PLAYMODE_LOOP) == 0) score += 32768;
    if (best < 0 || score > best_score) {
      best = physical;
      best_score = score;
    }
  }
  if (best < 0) return -1;
  driver_halt(driver, best);
  driver_unbind(driver, best);
  unbind_both(get(physical_voices[best].owner), best);
  return best;
}

// A virtual voice that can be handed out, or -1.
int claim_virtual_voice() noexcept {
  const int n = claimable_virtual_voices();
  if (n < 1) return -1;
  for (int voice = 0; voice < n; ++voice) {
    if (virtual_voices[voice].sample_played.load(std::memory_order_relaxed) == nullptr) {
      return voice;
    }
  }
  digi_driver_record *driver = digi_driver();
  for (int voice = 0; voice < n; ++voice) {
    virtual_voice &v = virtual_voices[voice];
    if (get(v.autokill) == 0) continue;
    const int physical = get(v.physical);
    if (physical < 0) return voice;
    if (driver_position(driver, physical) < 0) {
      driver_unbind(driver, physical);
      unbind_both(voice, physical);
      return voice;
    }
  }
  return -1;
}

// The physical voice bound to a virtual voice, or -1 (also for a voice number out of range).
int bound_physical(int voice) noexcept {
  if (!valid_virtual_voice(voice)) return -1;
  return get(virtual_voices[voice].physical);
}

}  // namespace
}  // namespace corvane

extern "C" {

int claim_voice(const sample *spl) noexcept {
  using namespace corvane;
  if (spl == nullptr) return -1;
  const int physical = claim_physical_voice(spl->priority);
  const int voice = claim_virtual_voice();
  if (voice < 0) return -1;
  virtual_voice &v = virtual_voices[voice];
  v.sample_played.store(spl, std::memory_order_relaxed);
  put(v.physical, physical);
  put(v.autokill, 0);
  put(v.start_time, get_retrace_count());
  put(v.priority, spl->priority);
  if (physical >= 0) prepare_physical(physical, voice, spl);
  return voice;
}

void free_voice(int voice) noexcept {
  using namespace corvane;
  if (!valid_virtual_voice(voice)) return;
  const int physical = bound_physical(voice);
  if (physical >= 0) {
    digi_driver_record *driver = digi_driver();
    driver_halt(driver, physical);
    driver_unbind(driver, physical);
    unbind_both(voice, physical);
  }
  virtual_voices[voice].sample_played.store(nullptr, std::memory_order_relaxed);
}

void rebind_voice(int voice, const sample *spl) noexcept {
  using namespace corvane;
  if (!valid_virtual_voice(voice) || spl == nullptr) return;
  const int physical = bound_physical(voice);
  if (physical >= 0) {
    digi_driver_record *driver = digi_driver();
    driver_halt(driver, physical);
    driver_unbind(driver, physical);
  }
  virtual_voice &v = virtual_voices[voice];
  v.sample_played.store(spl, std::memory_order_relaxed);
  put(v.autokill, 0);
  put(v.start_time, get_retrace_count());
  put(v.priority, spl->priority);
  if (physical >= 0) prepare_physical(physical, voice, spl);
}

void autokill_voice(int voice) noexcept {
  using namespace corvane;
  if (valid_virtual_voice(voice)) put(virtual_voices[voice].autokill, -1);
}

void start_voice(int voice) noexcept {
  using namespace corvane;
  if (!valid_virtual_voice(voice)) return;
  const int physical = bound_physical(voice);
  if (physical >= 0) {
    digi_driver_record *driver = digi_driver();
    if (driver->play_voice != nullptr) driver->play_voice(physical);
  }
  put(virtual_voices[voice].start_time, get_retrace_count());
}

void stop_voice(int voice) noexcept {
  using namespace corvane;
  const int physical = bound_physical(voice);
  if (physical >= 0) driver_halt(digi_driver(), physical);
}

void set_voice_priority(int voice, int priority) noexcept {
  using namespace corvane;
  if (valid_virtual_voice(voice)) put(virtual_voices[voice].priority, priority);
}

const sample *check_voice(int voice) noexcept {
  using namespace corvane;
  if (!valid_virtual_voice(voice)) return nullptr;
  const virtual_voice &v = virtual_voices[voice];
  const sample *spl = v.sample_played.load(std::memory_order_relaxed);
  if (spl == nullptr || get(v.physical) < 0) return nullptr;
  if (get(v.autokill) != 0 && get_voice_position(voice) < 0) return nullptr;
  return spl;
}

}  // extern "C"
