// The MIDI driver 'SFVO' that plays notes on digital voices from a SoundFont (or generated
// waveforms): see include/corvane/midi_drivers.h.
#ifndef CORVANE_SOUND_SOUNDFONT_VOICE_DRIVER_H
#define CORVANE_SOUND_SOUNDFONT_VOICE_DRIVER_H

#include "corvane/midi_drivers.h"
#include "corvane/sound.h"

namespace corvane {

inline constexpr int soundfont_voice_driver_id = MIDI_SOUNDFONT_VOICES;

// voice_limit is negative: install_sound shares the digital driver's voices with it.
extern midi_driver_record soundfont_voice_driver;

}  // namespace corvane

#endif  // CORVANE_SOUND_SOUNDFONT_VOICE_DRIVER_H
