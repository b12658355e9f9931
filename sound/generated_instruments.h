// The instruments the SoundFont voice driver plays when no SoundFont is installed: a small
// SoundFont made in memory from one-cycle waveforms (one per General MIDI instrument family) and
// a noise burst for the percussion keys.
#ifndef CORVANE_SOUND_GENERATED_INSTRUMENTS_H
#define CORVANE_SOUND_GENERATED_INSTRUMENTS_H

#include "sound/soundfont_file.h"

namespace corvane {

// Points in one cycle of a generated waveform, and the rate that plays it at 440 Hz, key 69.
inline constexpr int GENERATED_CYCLE = 64;
inline constexpr int GENERATED_RATE = 440 * GENERATED_CYCLE;

// Fills font with the generated instruments: bank 0 programs 0..127 and bank 128 program 0.
// Always the same bits.
void make_generated_soundfont(soundfont &font);

}  // namespace corvane

#endif  // CORVANE_SOUND_GENERATED_INSTRUMENTS_H
