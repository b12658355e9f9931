// The FluidSynth folder's MIDI drivers for the Linux host's list: the synthesizer, autodetected.
#include "platform/fluidsynth/fluidsynth_midi_driver.h"
#include "platform/linux/synth_layer.h"

namespace corvane::synth_layer {

const driver_list_entry midi_drivers[] = {
    {fluidsynth_midi_driver_id, &fluidsynth_midi_driver, -1},
    {0, nullptr, 0},
};

}  // namespace corvane::synth_layer
