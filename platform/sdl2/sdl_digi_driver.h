// The SDL2 sound output driver 'SDLA': the software mixer's output played on an SDL audio device.
#ifndef CORVANE_PLATFORM_SDL2_SDL_DIGI_DRIVER_H
#define CORVANE_PLATFORM_SDL2_SDL_DIGI_DRIVER_H

#include <SDL.h>

#include "corvane/sound.h"

namespace corvane::sdl {

inline constexpr int DIGI_SDL = CORVANE_ID('S', 'D', 'L', 'A');

// Plays on the default output device, or on the one named by "sound_device" in section "sound",
// at sound_freq (the device's own rate when not set), 16-bit signed stereo unless sound_bits is 8
// (8-bit unsigned) or sound_stereo is 0, with a device buffer of at most "sound_latency"
// milliseconds (25 when not set). No input.
extern digi_driver_record digi_driver;

// The device callback: fills len bytes of stream from the mixer, one mixed block at a time. It
// allocates nothing, takes only the mixer lock (which the program's voice calls hold for a few
// words at a time) and calls nothing of the program. SDL calls it with the device locked; a test
// that calls it itself must lock the device (SDL_LockAudioDevice) first.
void fill_sound_output(void *userdata, Uint8 *stream, int len) noexcept;

// The open device, 0 while the driver is closed.
SDL_AudioDeviceID sound_device() noexcept;

}  // namespace corvane::sdl

#endif  // CORVANE_PLATFORM_SDL2_SDL_DIGI_DRIVER_H
