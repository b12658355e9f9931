/** @file
 * Corvane: the offline sound output driver. It has no device and no thread: the program asks for
 * the next frames of output and gets exactly what a sound card would have played, as fast as the
 * mixer can make them. Tests check sound with it, and a program can use it to render audio faster
 * than real time (to a file, say).
 *
 * Choose it by id, install_sound(DIGI_OFFLINE, ...), where the platform lists it; it is never
 * autodetected. It opens at sound_freq (44100 Hz when not set), 16 bits unless sound_bits is 8,
 * and stereo unless sound_stereo is 0, and writes those values back. It mixes in blocks of
 * OFFLINE_BLOCK_FRAMES frames; output changes made between two calls take effect from the next
 * block. It has no input. */
#ifndef CORVANE_OFFLINE_SOUND_H
#define CORVANE_OFFLINE_SOUND_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/** The id of the offline sound output driver. */
#define DIGI_OFFLINE CORVANE_ID('O', 'F', 'F', 'L')

/** Frames in one mixed block of the offline driver. */
#define OFFLINE_BLOCK_FRAMES 1024

/** Writes the next frames of output into buffer: frames x channels samples, 16-bit signed in the
 * machine's byte order or 8-bit unsigned, stereo interleaved left then right. Returns frames, 0
 * for a count of 0 or less, and -1 (writing nothing) when the offline driver is not the open
 * digital driver or buffer is null. */
CORVANE_API int render_offline_sound(void *buffer, int frames) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_OFFLINE_SOUND_H */
