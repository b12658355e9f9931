// Internal helpers of the sound file readers: how much a stream still holds, bulk reads straight
// into a sample or into memory that grows only as data arrive, and the conversion of signed
// little-endian 16-bit file data into the unsigned in-memory form of samples.
#ifndef CORVANE_SOUND_SOUND_FILE_READING_H
#define CORVANE_SOUND_SOUND_FILE_READING_H

#include <cstdint>
#include <memory>
#include <vector>

#include "corvane/packfile.h"
#include "corvane/sound.h"

namespace corvane {

// Bytes a library stream still holds, or -1 when the stream cannot tell (a caller's operations).
int64_t stream_bytes_left(const packfile *f) noexcept;

// Reads exactly count bytes into dest; false when the stream ends first.
bool read_exact(packfile *f, void *dest, int64_t count) noexcept;

// Reads exactly count bytes into memory that grows as they arrive, so that a length field larger
// than the data never allocates what is not there. False when the stream ends first or memory is
// short.
bool read_growing(packfile *f, int64_t count, std::vector<unsigned char> &out) noexcept;

// Skips count bytes; end of data ends the skip. Negative counts skip nothing.
void skip_bytes(packfile *f, int64_t count) noexcept;

// Turns count little-endian signed 16-bit words at words (in place) into unsigned words in the
// machine's order: each word XOR 0x8000.
void words_from_signed_le(uint16_t *words, int64_t count) noexcept;

// A sample that frees itself unless released.
struct sample_deleter {
  void operator()(sample *spl) const noexcept { free_sample(spl); }
};
using sample_ptr = std::unique_ptr<sample, sample_deleter>;

// A packfile closed when the holder goes.
struct packfile_closer {
  void operator()(packfile *f) const noexcept { (void)close_packfile(f); }
};
using packfile_ptr = std::unique_ptr<packfile, packfile_closer>;

enum class data_read { done, truncated, no_sample };

// Reads byte_count bytes of sound data into a new sample of the given shape (into out): straight
// into the sample when the stream tells how much it holds (answering truncated at once, before
// allocating, when it holds less), through growing memory otherwise. Data beyond the sample's size
// are read and dropped; bytes of the sample beyond the data are silence. 16-bit data are converted
// from signed little-endian. no_sample when the sample cannot be made (the data are passed over
// then); out stays empty unless done.
data_read read_sample_data(packfile *f, int bits, int stereo, int rate, int frames,
                           int64_t byte_count, sample_ptr &out) noexcept;

// Opens name with mode "r", hands the stream to reader and closes it.
sample *load_with(const char *filename, sample *(*reader)(packfile *)) noexcept;

}  // namespace corvane

#endif  // CORVANE_SOUND_SOUND_FILE_READING_H
