// Where the MIDI drivers find their SoundFont: the file that key "soundfont" of section "sound"
// names, or else the first General MIDI SoundFont of the usual system places that exists.
#ifndef CORVANE_SOUND_SOUNDFONT_LOCATION_H
#define CORVANE_SOUND_SOUNDFONT_LOCATION_H

namespace corvane {

// Writes the SoundFont's name (current encoding, bounded to size bytes) into buffer and answers
// true; a name given by the configuration is taken as it stands, even when no such file exists.
// Answers false with error_text "No SoundFont found" when the key is unset or empty and no usual
// place holds one.
bool locate_soundfont(char *buffer, int size) noexcept;

// Replaces the usual places searched (null restores the built-in ones: Debian's). places holds
// count file names in 7-bit ASCII and must outlive its use; for hosts that keep SoundFonts
// elsewhere, and for tests.
void set_soundfont_places(const char *const *places, int count) noexcept;

}  // namespace corvane

#endif  // CORVANE_SOUND_SOUNDFONT_LOCATION_H
