/** @file
 * Corvane: the MIDI drivers that play music from a SoundFont 2 file.
 *
 * MIDI_FLUIDSYNTH ("FluidSynth", where the library was built with FluidSynth): a soundfont
 * synthesizer that takes the MIDI byte stream. Its audio is mixed into the digital output, so it
 * needs a digital driver that mixes (with the no-sound digital driver it plays to nobody).
 * MIDI_SOUNDFONT_VOICES ("SoundFont voices"): plays each note on a voice of the digital driver,
 * with the instruments of the SoundFont, or small generated waveforms when no SoundFont is
 * installed; it needs nothing but the mixer and renders the same bits every time.
 *
 * Autodetection tries them in this order. Both find their SoundFont as the key "soundfont" of
 * section [sound] names it (any name the packfile layer opens, for MIDI_SOUNDFONT_VOICES; a plain
 * file for MIDI_FLUIDSYNTH), or else in the usual system places (/usr/share/sounds/sf2/). A
 * configured or found SoundFont that cannot be read makes both drivers fail to start, with the
 * reason in error_text ("Not a SoundFont file", "Truncated SoundFont file", ...).
 *
 * MIDI_FLUIDSYNTH also reads, from section [sound]: "ca_midi_quality" (0..127, default 127:
 * "low" up to 31, "medium" up to 95, "high" above; the synthesizer's interpolation) and
 * "ca_midi_reverb" (0..5, default 0: "small room", "medium room", "large room", "medium hall",
 * "large hall", "plate"), both named in the driver's description. */
#ifndef CORVANE_MIDI_DRIVERS_H
#define CORVANE_MIDI_DRIVERS_H

#include "corvane/base.h"

/** The id of the FluidSynth MIDI driver. */
#define MIDI_FLUIDSYNTH CORVANE_ID('F', 'L', 'S', 'Y')
/** The id of the MIDI driver that plays SoundFont instruments on the mixer's voices. */
#define MIDI_SOUNDFONT_VOICES CORVANE_ID('S', 'F', 'V', 'O')

#endif /* CORVANE_MIDI_DRIVERS_H */
