// Internal interface of the sound family: the voice tables that the voice layer keeps and the mixer
// reads, the MIDI hook that the MIDI player registers, and small helpers shared by the sound files.
#ifndef CORVANE_SOUND_SOUND_INTERNAL_H
#define CORVANE_SOUND_SOUND_INTERNAL_H

#include <atomic>
#include <cstdint>

#include "corvane/sound.h"

namespace corvane {

// A virtual voice, the handle programs hold. Written on the program's threads; the fields are
// atomic because the ramp emulation on the timer thread and MIDI drivers that play on digital
// voices look at them too.
struct virtual_voice {
  std::atomic<const sample *> sample_played{nullptr};  // empty when the voice is free
  std::atomic<int> physical{-1};                       // bound physical voice, -1 when none
  std::atomic<int> autokill{0};    // nonzero: freed by claim_voice once its sound has ended
  std::atomic<int> start_time{0};  // retrace count when claimed or started
  std::atomic<int> priority{0};
};

// A physical voice: the voice a driver plays. The nine sound parameters are 20.12 fixed point; a
// nonzero step means a ramp toward the target is running. Written by the voice layer, the ramp
// emulation and the mixer's sweeps on different threads, one word at a time.
struct physical_voice {
  std::atomic<int> owner{-1};  // owning virtual voice, -1 when free
  std::atomic<int> playmode{0};
  std::atomic<int> volume{0};
  std::atomic<int> volume_step{0};
  std::atomic<int> volume_target{0};
  std::atomic<int> pan{0};
  std::atomic<int> pan_step{0};
  std::atomic<int> pan_target{0};
  std::atomic<int> frequency{0};
  std::atomic<int> frequency_step{0};
  std::atomic<int> frequency_target{0};
};

// The current drivers, read race-free (the public pointers change on install and remove).
inline digi_driver_record *digi_driver() noexcept {
  return std::atomic_ref<digi_driver_record *>(current_digi_driver).load(std::memory_order_acquire);
}
inline midi_driver_record *midi_driver() noexcept {
  return std::atomic_ref<midi_driver_record *>(current_midi_driver).load(std::memory_order_acquire);
}
inline void set_digi_driver(digi_driver_record *driver) noexcept {
  std::atomic_ref<digi_driver_record *>(current_digi_driver)
      .store(driver, std::memory_order_release);
}
inline void set_midi_driver(midi_driver_record *driver) noexcept {
  std::atomic_ref<midi_driver_record *>(current_midi_driver)
      .store(driver, std::memory_order_release);
}

extern virtual_voice virtual_voices[VIRTUAL_VOICE_COUNT];
extern physical_voice physical_voices[PHYSICAL_VOICE_COUNT];

// Relaxed loads and stores: each field is one word that may be read half-updated with its
// neighbours, as the mixer and the voice layer agree.
inline int get(const std::atomic<int> &word) noexcept {
  return word.load(std::memory_order_relaxed);
}
inline void put(std::atomic<int> &word, int value) noexcept {
  word.store(value, std::memory_order_relaxed);
}

// Fixed-point helpers that wrap around like 32-bit machine words instead of overflowing: values
// a program passes in are not checked, and a wild one must not be undefined behaviour.
constexpr int fixed_from(int value) noexcept {
  return static_cast<int>(static_cast<uint32_t>(value) << 12);
}
constexpr int wrap_add(int a, int b) noexcept {
  return static_cast<int>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int wrap_sub(int a, int b) noexcept {
  return static_cast<int>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

inline bool valid_virtual_voice(int voice) noexcept {
  return voice >= 0 && voice < VIRTUAL_VOICE_COUNT;
}
inline bool valid_physical_voice(int voice) noexcept {
  return voice >= 0 && voice < PHYSICAL_VOICE_COUNT;
}

// Frees every virtual and physical voice (no driver is told).
void reset_voice_tables() noexcept;

// The number of virtual voices that claim_voice may hand out: all 256, or those below the voices
// that a MIDI driver playing on digital voices holds.
int claimable_virtual_voices() noexcept;

// True when the current MIDI driver plays its notes on voices of the digital driver.
bool midi_plays_on_digital_voices() noexcept;

// The timer handler that steps the ramps of drivers that cannot ramp by themselves.
void emulate_voice_sweeps() noexcept;

// One step of a ramp as the timer emulation and the mixer take it: value += step, stopping at the
// target (the step then becomes 0). times is how many steps to take at once.
void advance_ramp(std::atomic<int> &value, std::atomic<int> &step, const std::atomic<int> &target,
                  int64_t times) noexcept;

// The sample destructor registered for the object type 'SAMP'.
void destroy_sample_object(void *object) noexcept;

// The MIDI player's hook: install_sound calls start before it chooses any driver (a nonzero answer
// fails the install) and stop whenever sound goes down again. Null until the player registers one.
struct midi_hook_record {
  int (*start)();
  void (*stop)();
};
extern const midi_hook_record *midi_hook;

// Settings of section "sound" (the key is a library literal).
int sound_config_int(const char *ascii_key, int default_value) noexcept;
int sound_config_hex(const char *ascii_key, int default_value) noexcept;
int sound_config_id(const char *ascii_key, int default_value) noexcept;
// A text setting, in the current encoding; default_value (which may be null) when it is not set.
const char *sound_config_string(const char *ascii_key, const char *default_value) noexcept;

// The driver lists of the system driver, or the built-in ones.
const driver_list_entry *digi_driver_list() noexcept;
const driver_list_entry *midi_driver_list() noexcept;

// The object type of samples.
inline constexpr int SAMPLE_OBJECT_TYPE = CORVANE_ID('S', 'A', 'M', 'P');

}  // namespace corvane

#endif  // CORVANE_SOUND_SOUND_INTERNAL_H
