// The Linux host without a soundfont synthesizer (built when FluidSynth is not found): no MIDI
// drivers to put before the host's own.
#include "platform/linux/synth_layer.h"

namespace corvane::synth_layer {

const driver_list_entry midi_drivers[] = {{0, nullptr, 0}};

}  // namespace corvane::synth_layer
