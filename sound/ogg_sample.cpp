// The Ogg Vorbis reader on libvorbisfile: the whole stream decoded into a 16-bit sample, mono or
// stereo. The stream is read forward only, through the packfile, so data-file objects work too.
#include <vorbis/vorbisfile.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "corvane/sample_files.h"
#include "sound/sound_file_reading.h"

namespace corvane {
namespace {

// Decoded sound beyond this many bytes (about 6 minutes of 44.1 kHz stereo) is refused rather
// than allowed to exhaust memory.
constexpr size_t MAX_DECODED_BYTES = size_t{1} << 26;

size_t read_from_packfile(void *buffer, size_t size, size_t count, void *source) {
  const size_t wanted = size * count;
  if (size == 0 || wanted == 0) return 0;
  const long got =
      packfile_read(buffer, static_cast<long>(wanted), static_cast<packfile *>(source));
  return got > 0 ? static_cast<size_t>(got) / size : 0;
}

// No seeking: libvorbisfile then decodes the stream in one pass.
constexpr ov_callbacks packfile_callbacks = {
    .read_func = read_from_packfile,
    .seek_func = nullptr,
    .close_func = nullptr,
    .tell_func = nullptr,
};

struct vorbis_file {
  OggVorbis_File file{};
  bool open = false;
  vorbis_file() = default;
  vorbis_file(const vorbis_file &) = delete;
  vorbis_file &operator=(const vorbis_file &) = delete;
  ~vorbis_file() {
    if (open) ov_clear(&file);
  }
};

}  // namespace
}  // namespace corvane

extern "C" {

sample *read_ogg_sample(packfile *f) noexcept {
  using namespace corvane;
  if (f == nullptr) return nullptr;
  vorbis_file vf;
  if (ov_open_callbacks(f, &vf.file, nullptr, 0, packfile_callbacks) != 0) return nullptr;
  vf.open = true;
  const vorbis_info *info = ov_info(&vf.file, -1);
  if (info == nullptr || (info->channels != 1 && info->channels != 2) || info->rate <= 0 ||
      info->rate > 1000000) {
    return nullptr;
  }
  const int channels = info->channels;
  const int rate = static_cast<int>(info->rate);

  std::vector<char> pcm;
  try {
    char block[4096];
    int section = 0;
    const int big_endian = std::endian::native == std::endian::big ? 1 : 0;
    for (;;) {
      // Unsigned 16-bit words in the machine's order: the in-memory form of samples.
      const long got = ov_read(&vf.file, block, sizeof block, big_endian, 2, 0, &section);
      if (got == 0) break;
      if (got < 0) return nullptr;  // a damaged stream gives no half-decoded sample
      // A change of channel count within a chained stream cannot be held in one sample.
      const vorbis_info *now = ov_info(&vf.file, section);
      if (now == nullptr || now->channels != channels) return nullptr;
      if (pcm.size() + static_cast<size_t>(got) > MAX_DECODED_BYTES) return nullptr;
      pcm.insert(pcm.end(), block, block + got);
    }
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
  const size_t frame_bytes = static_cast<size_t>(channels) * 2;
  const size_t frames = pcm.size() / frame_bytes;
  sample *spl = new_sample(16, channels == 2 ? 1 : 0, rate, static_cast<int>(frames));
  if (spl == nullptr) return nullptr;
  if (frames > 0) std::memcpy(spl->data, pcm.data(), frames * frame_bytes);
  return spl;
}

sample *load_ogg_sample(const char *filename) noexcept {
  return corvane::load_with(filename, read_ogg_sample);
}

int ogg_samples_supported(void) noexcept { return 1; }

}  // extern "C"
