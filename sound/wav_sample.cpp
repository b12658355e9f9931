// The RIFF WAVE reader: uncompressed 8- and 16-bit PCM, mono or stereo, with the first loop of a
// "smpl" chunk as the sample's loop.
#include <cstdint>
#include <utility>

#include "corvane/sample_files.h"
#include "sound/sound_file_reading.h"

namespace corvane {
namespace {

// Rates beyond this are taken for damage rather than sound.
constexpr int MAX_SAMPLE_RATE = 1000000;

bool read_id(packfile *f, char (&id)[4]) noexcept {
  return packfile_read(id, 4, f) == 4;
}

bool id_is(const char (&id)[4], const char *four) noexcept {
  return id[0] == four[0] && id[1] == four[1] && id[2] == four[2] && id[3] == four[3];
}

// The unsigned 32-bit chunk length (a length of 2 GB or more is still a length, not an error).
int64_t read_length(packfile *f) noexcept {
  const int lo = read_le16(f);
  const int hi = read_le16(f);
  if (lo < 0 || hi < 0) return -1;
  return int64_t{lo} | (int64_t{hi} << 16);
}

struct wav_format {
  int channels = 1;
  int rate = 22050;
  int bits = 8;
};

// The "fmt " chunk; false when it names something this reader does not play.
bool read_format(packfile *f, int64_t length, wav_format &format) noexcept {
  if (read_le16(f) != 1) return false;  // PCM only
  const int channels = read_le16(f);
  if (channels != 1 && channels != 2) return false;
  const int rate = read_le32(f);
  (void)read_le32(f);  // average bytes per second
  (void)read_le16(f);  // block alignment
  const int bits = read_le16(f);
  if (bits != 8 && bits != 16) return false;
  if (rate <= 0 || rate > MAX_SAMPLE_RATE) return false;
  format = wav_format{.channels = channels, .rate = rate, .bits = bits};
  skip_bytes(f, length - 16);
  return true;
}

struct wav_loop {
  bool present = false;
  int64_t start = 0;
  int64_t end = 0;  // the last frame of the loop, as the chunk stores it
};

// The "smpl" chunk: 36 bytes of sampler data, then the loops; only the first loop is taken.
void read_sampler(packfile *f, int64_t length, wav_loop &loop) noexcept {
  int64_t used = 0;
  for (int i = 0; i < 7; ++i, used += 4) (void)read_le32(f);
  const int64_t loops = read_length(f);
  (void)read_le32(f);  // sampler data size
  used += 8;
  if (loops > 0 && length >= used + 24) {
    (void)read_le32(f);  // cue point
    (void)read_le32(f);  // loop type
    const int64_t start = read_length(f);
    const int64_t end = read_length(f);
    (void)read_le32(f);  // fraction
    (void)read_le32(f);  // play count
    used += 24;
    if (start >= 0 && end >= start) loop = wav_loop{.present = true, .start = start, .end = end};
  }
  skip_bytes(f, length - used);
}

int64_t data_frames(int64_t length, const wav_format &format) noexcept {
  int64_t frames = length;
  if (format.channels == 2) frames = (length + 1) / 2;
  if (format.bits == 16) frames /= 2;
  return frames;
}

// The bytes of a "data" chunk that hold sound: 16-bit data are read as whole words per channel.
int64_t data_bytes(int64_t length, const wav_format &format) noexcept {
  return format.bits == 16 ? int64_t{format.channels} * data_frames(length, format) * 2 : length;
}

data_read read_data(packfile *f, int64_t length, const wav_format &format,
                    sample_ptr &out) noexcept {
  const int64_t frames = data_frames(length, format);
  return read_sample_data(f, format.bits, format.channels == 2 ? 1 : 0, format.rate,
                          frames > INT32_MAX ? -1 : static_cast<int>(frames),
                          data_bytes(length, format), out);
}

}  // namespace
}  // namespace corvane

extern "C" {

sample *read_wav_sample(packfile *f) noexcept {
  using namespace corvane;
  if (f == nullptr) return nullptr;
  char header[12];
  if (packfile_read(header, 12, f) != 12) return nullptr;
  if (header[0] != 'R' || header[1] != 'I' || header[2] != 'F' || header[3] != 'F' ||
      header[8] != 'W' || header[9] != 'A' || header[10] != 'V' || header[11] != 'E') {
    return nullptr;
  }
  wav_format format;
  wav_loop loop;
  sample_ptr result;
  for (;;) {
    char id[4];
    if (!read_id(f, id)) break;
    const int64_t length = read_length(f);
    if (length < 0) break;
    if (id_is(id, "fmt ")) {
      if (!read_format(f, length, format)) break;
    } else if (id_is(id, "data")) {
      // A later "data" chunk replaces an earlier one, whose sample is freed. Data cut short by
      // the end of the file leave none; a sample that cannot be made is skipped like any chunk.
      sample_ptr made;
      const data_read status = read_data(f, length, format, made);
      if (status == data_read::no_sample) {
        skip_bytes(f, length - data_bytes(length, format));
        continue;
      }
      result = std::move(made);
      if (status == data_read::truncated) break;
    } else if (id_is(id, "smpl")) {
      read_sampler(f, length, loop);
    } else {
      skip_bytes(f, length);
    }
  }
  if (result != nullptr && loop.present && loop.start < result->length) {
    result->loop_start = static_cast<int>(loop.start);
    result->loop_end = static_cast<int>(loop.end < result->length ? loop.end + 1 : result->length);
  }
  return result.release();
}

sample *load_wav_sample(const char *filename) noexcept {
  return corvane::load_with(filename, read_wav_sample);
}

}  // extern "C"
