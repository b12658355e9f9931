// Music rendered into the digital output: one source (a synthesizer driver, say) that the mixer
// asks for every block it mixes, on its own clock, so that music and samples reach the same
// output in step, and whatever captures the output (the offline and file drivers) hears both.
#ifndef CORVANE_SOUND_MIXER_MUSIC_H
#define CORVANE_SOUND_MIXER_MUSIC_H

#include <cstdint>

namespace corvane {

// Adds one block of music into the mixer's accumulator: frames x channels words (stereo
// interleaved left then right), where a full-scale sample counts about +-2^23 (8388608). Called
// with the mixer lock held, after the voices of the block are mixed and before the block is
// converted to the output format.
using mixer_music_render = void (*)(int32_t *accumulator, int frames, int channels);

// Makes render the mixer's music source (null removes it). When it returns, no block is being
// mixed with the previous source, so its owner may free what the source uses. Answers false,
// installing nothing, while the mixer is closed. Closing the mixer removes the source.
bool set_mixer_music_source(mixer_music_render render) noexcept;

// The open mixer's output rate in Hz, frames per block and channels (1 or 2); false while the
// mixer is closed.
bool get_mixer_format(int *rate, int *frames, int *channels) noexcept;

}  // namespace corvane

#endif  // CORVANE_SOUND_MIXER_MUSIC_H
