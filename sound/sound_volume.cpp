// The global digital and MIDI volumes, and the devices' own output volumes.
#include "corvane/sound.h"
#include "sound/sound_internal.h"

extern "C" {

void set_sound_volume(int digital, int midi) noexcept {
  if (digital >= 0) {
    // Every voice keeps its level on the program's scale: read it under the old volume, give it
    // back under the new one.
    int levels[VIRTUAL_VOICE_COUNT];
    for (int voice = 0; voice < VIRTUAL_VOICE_COUNT; ++voice) {
      levels[voice] = get_voice_volume(voice);
    }
    digi_volume = digital < 255 ? digital : 255;
    for (int voice = 0; voice < VIRTUAL_VOICE_COUNT; ++voice) {
      if (levels[voice] >= 0) set_voice_volume(voice, levels[voice]);
    }
  }
  if (midi >= 0) midi_volume = midi < 255 ? midi : 255;
}

void set_device_volume(int digital, int midi) noexcept {
  using namespace corvane;
  if (digital >= 0) {
    digi_driver_record *driver = digi_driver();
    if (driver->set_hw_volume != nullptr) driver->set_hw_volume(digital < 255 ? digital : 255);
  }
  if (midi >= 0) {
    midi_driver_record *driver = midi_driver();
    if (driver->set_hw_volume != nullptr) driver->set_hw_volume(midi < 255 ? midi : 255);
  }
}

void get_device_volume(int *digital, int *midi) noexcept {
  using namespace corvane;
  if (digital != nullptr) {
    digi_driver_record *driver = digi_driver();
    *digital = driver->get_hw_volume != nullptr ? driver->get_hw_volume() : -1;
  }
  if (midi != nullptr) {
    midi_driver_record *driver = midi_driver();
    *midi = driver->get_hw_volume != nullptr ? driver->get_hw_volume() : -1;
  }
}

}  // extern "C"
