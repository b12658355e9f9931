/** @file
 * Corvane: the file sound output driver. It plays in real time like a sound card, but writes what
 * it plays to a WAV file instead, so that a user can record what a program sounds like.
 *
 * Choose it by id, install_sound(DIGI_FILE, ...) or "digi_card = FILE" in section "sound", where
 * the platform lists it; it is never autodetected. The file is the one named by "sound_file" in
 * section "sound", else by the environment variable "CORVANE_SOUND_FILE", else "corvane.wav" in the
 * current directory; it is created afresh. The output format follows the sound settings as the
 * offline driver's does (sound_freq, 44100 Hz when not set; 16-bit signed unless sound_bits is 8,
 * which writes 8-bit unsigned; stereo unless sound_stereo is 0) and is written back to them. The
 * mixer runs in blocks of FILE_BLOCK_FRAMES frames, one block each time that many frames of real
 * time have passed. install_sound fails with error_text "Cannot create the sound file %s" when the
 * file cannot be written. When writing fails later (a full disk), the recording ends there and the
 * sound plays on silently. The file's sizes are filled in when sound is removed. No input. */
#ifndef CORVANE_FILE_SOUND_H
#define CORVANE_FILE_SOUND_H

#include "corvane/base.h"

/** The id of the file sound output driver. */
#define DIGI_FILE CORVANE_ID('F', 'I', 'L', 'E')

/** Frames in one mixed block of the file driver. */
#define FILE_BLOCK_FRAMES 1024

#endif /* CORVANE_FILE_SOUND_H */
