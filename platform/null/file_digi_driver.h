// The file sound output driver 'FILE': the mixer's output, made in real time on a thread of the
// driver's own, written to a WAV file (see corvane/file_sound.h).
#ifndef CORVANE_PLATFORM_NULL_FILE_DIGI_DRIVER_H
#define CORVANE_PLATFORM_NULL_FILE_DIGI_DRIVER_H

#include "corvane/file_sound.h"
#include "corvane/sound.h"

namespace corvane {

inline constexpr int file_digi_driver_id = DIGI_FILE;

// Never autodetected: a program chooses it to record what it plays.
extern digi_driver_record file_digi_driver;

}  // namespace corvane

#endif  // CORVANE_PLATFORM_NULL_FILE_DIGI_DRIVER_H
