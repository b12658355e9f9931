// The Mac OS X sound drivers: 'DCA ' (CoreAudio) and 'SNDM' (the Sound Manager) for digital output,
// 'MCA ' (CoreAudio's DLS music device) and 'QTM ' (QuickTime's note allocator) for MIDI. None of
// them takes input. A Mac build's sound lists (macosx_driver_lists.cpp) name them in that order.
#ifndef CORVANE_PLATFORM_MACOSX_SOUND_MACOSX_AUDIO_DRIVERS_H
#define CORVANE_PLATFORM_MACOSX_SOUND_MACOSX_AUDIO_DRIVERS_H

#include "corvane/sound.h"

namespace corvane::macosx {

inline constexpr int DIGI_CORE_AUDIO = CORVANE_ID('D', 'C', 'A', ' ');
inline constexpr int DIGI_SOUND_MANAGER = CORVANE_ID('S', 'N', 'D', 'M');
inline constexpr int MIDI_CORE_AUDIO = CORVANE_ID('M', 'C', 'A', ' ');
inline constexpr int MIDI_QUICKTIME = CORVANE_ID('Q', 'T', 'M', ' ');

extern digi_driver_record core_audio_digi_driver;
extern digi_driver_record sound_manager_digi_driver;
extern midi_driver_record core_audio_midi_driver;
extern midi_driver_record quicktime_midi_driver;

}  // namespace corvane::macosx

#endif  // CORVANE_PLATFORM_MACOSX_SOUND_MACOSX_AUDIO_DRIVERS_H
