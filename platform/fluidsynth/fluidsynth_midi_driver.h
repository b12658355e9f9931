// The MIDI driver 'FLSY' on the FluidSynth soundfont synthesizer: see
// include/corvane/midi_drivers.h.
#ifndef CORVANE_PLATFORM_FLUIDSYNTH_FLUIDSYNTH_MIDI_DRIVER_H
#define CORVANE_PLATFORM_FLUIDSYNTH_FLUIDSYNTH_MIDI_DRIVER_H

#include "corvane/midi_drivers.h"
#include "corvane/sound.h"

namespace corvane {

inline constexpr int fluidsynth_midi_driver_id = MIDI_FLUIDSYNTH;

extern midi_driver_record fluidsynth_midi_driver;

}  // namespace corvane

#endif  // CORVANE_PLATFORM_FLUIDSYNTH_FLUIDSYNTH_MIDI_DRIVER_H
