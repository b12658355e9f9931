/** @file
 * Corvane: sound files loaded into samples -- RIFF WAVE (uncompressed PCM), Creative Voice and,
 * when the library was built with libvorbisfile, Ogg Vorbis.
 *
 * Every loader reads through packfile streams, so a name such as "game.dat#sounds/jump.wav" (an
 * object of a data file) works like a plain file name. The samples come out in the in-memory
 * format of samples: unsigned 8-bit, or unsigned 16-bit in the machine's byte order. Free them
 * with free_sample.
 *
 * The readers answer null for a file they cannot read (wrong format, unsupported encoding, data
 * cut short, memory short); they set no error text, and a stream that ends inside the sound data
 * never yields a half-filled sample. The file-name forms close the file on every path. */
#ifndef CORVANE_SAMPLE_FILES_H
#define CORVANE_SAMPLE_FILES_H

#include "corvane/base.h"
#include "corvane/packfile.h"
#include "corvane/sound.h"

CORVANE_EXTERN_C_BEGIN

/** Reads a RIFF WAVE file from an open stream: 8- or 16-bit PCM, mono or stereo. The first loop of
 * a "smpl" chunk becomes the sample's loop_start / loop_end. Null when the stream holds no
 * readable sound. */
CORVANE_API sample *read_wav_sample(packfile *f) CORVANE_NOEXCEPT;

/** Opens the file with mode "r", reads it with read_wav_sample and closes it. Null also when the
 * file cannot be opened (open_packfile's error number is left then). */
CORVANE_API sample *load_wav_sample(const char *filename) CORVANE_NOEXCEPT;

/** Reads the first block of a Creative Voice file (8-bit block type 1, or 8/16-bit mono block type
 * 9) from an open stream. Null for any other file. */
CORVANE_API sample *read_voc_sample(packfile *f) CORVANE_NOEXCEPT;

/** Opens the file, reads it with read_voc_sample and closes it; null as load_wav_sample. */
CORVANE_API sample *load_voc_sample(const char *filename) CORVANE_NOEXCEPT;

/** Decodes an Ogg Vorbis stream (mono or stereo) into a 16-bit sample. Null for anything else, and
 * always null when the library was built without libvorbisfile (see ogg_samples_supported). */
CORVANE_API sample *read_ogg_sample(packfile *f) CORVANE_NOEXCEPT;

/** Opens the file, reads it with read_ogg_sample and closes it; null as load_wav_sample. */
CORVANE_API sample *load_ogg_sample(const char *filename) CORVANE_NOEXCEPT;

/** Nonzero when the library can decode Ogg Vorbis files. */
CORVANE_API int ogg_samples_supported(void) CORVANE_NOEXCEPT;

/** Loads a sample with the reader that the file name's extension names, without regard to case:
 * ".wav", ".voc" or ".ogg". Null for any other extension or a null name (the error number is then
 * EINVAL) and whenever that reader answers null. */
CORVANE_API sample *load_sample(const char *filename) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_SAMPLE_FILES_H */
