// The Mac OS X sound driver lists: CoreAudio first, then the older framework of each kind.
#include "platform/macosx/sound/macosx_audio_drivers.h"

namespace corvane::macosx {

driver_list_entry macosx_digi_driver_list[] = {
    {DIGI_CORE_AUDIO, &core_audio_digi_driver, -1},
    {DIGI_SOUND_MANAGER, &sound_manager_digi_driver, -1},
    {0, nullptr, 0},
};

driver_list_entry macosx_midi_driver_list[] = {
    {MIDI_CORE_AUDIO, &core_audio_midi_driver, -1},
    {MIDI_QUICKTIME, &quicktime_midi_driver, -1},
    {0, nullptr, 0},
};

}  // namespace corvane::macosx
