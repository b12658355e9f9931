// The offline digital sound driver 'OFFL': the mixer's output handed to whoever asks for it (see
// render_offline_sound), with no device and no thread.
#ifndef CORVANE_PLATFORM_NULL_OFFLINE_DIGI_DRIVER_H
#define CORVANE_PLATFORM_NULL_OFFLINE_DIGI_DRIVER_H

#include "corvane/offline_sound.h"
#include "corvane/sound.h"

namespace corvane {

inline constexpr int offline_digi_driver_id = DIGI_OFFLINE;

// Never autodetected: it plays to nobody unless the program asks for its output.
extern digi_driver_record offline_digi_driver;

}  // namespace corvane

#endif  // CORVANE_PLATFORM_NULL_OFFLINE_DIGI_DRIVER_H
