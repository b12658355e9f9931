// What a soundfont synthesizer adds to the Linux host: its MIDI drivers, tried after the display
// layer's and before the host's own. CMake builds exactly one definition: FluidSynth's
// (platform/fluidsynth/fluidsynth_driver_list.cpp) when FluidSynth is found, else the empty one
// of platform/linux/no_synth_layer.cpp.
#ifndef CORVANE_PLATFORM_LINUX_SYNTH_LAYER_H
#define CORVANE_PLATFORM_LINUX_SYNTH_LAYER_H

#include "corvane/system.h"

namespace corvane::synth_layer {

// The layer's MIDI drivers in autodetection order, ending with the terminator.
extern const driver_list_entry midi_drivers[];

}  // namespace corvane::synth_layer

#endif  // CORVANE_PLATFORM_LINUX_SYNTH_LAYER_H
