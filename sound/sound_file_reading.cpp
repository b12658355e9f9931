// Helpers shared by the sound file readers: bounded bulk reads from packfile streams and the
// 16-bit word conversion.
#include "sound/sound_file_reading.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace corvane {

int64_t stream_bytes_left(const packfile *f) noexcept {
  if (f == nullptr || f->is_normal == 0) return -1;
  // A compressed stream of unknown length says so with a byte count of 0x7FFFFFFF: it is only an
  // upper bound then, which is still safe to check against.
  return int64_t{f->buf_size} + f->byte_count;
}

bool read_exact(packfile *f, void *dest, int64_t count) noexcept {
  auto *out = static_cast<unsigned char *>(dest);
  while (count > 0) {
    const long piece = static_cast<long>(std::min<int64_t>(count, 1 << 20));
    const long got = packfile_read(out, piece, f);
    if (got != piece) return false;
    out += got;
    count -= got;
  }
  return true;
}

bool read_growing(packfile *f, int64_t count, std::vector<unsigned char> &out) noexcept {
  out.clear();
  if (count < 0) return false;
  try {
    while (count > 0) {
      const int64_t piece = std::min<int64_t>(count, 1 << 16);
      const size_t old_size = out.size();
      out.resize(old_size + static_cast<size_t>(piece));
      if (!read_exact(f, out.data() + old_size, piece)) return false;
      count -= piece;
    }
  } catch (const std::bad_alloc &) {
    return false;
  }
  return true;
}

void skip_bytes(packfile *f, int64_t count) noexcept {
  while (count > 0 && packfile_getc(f) >= 0) --count;
}

namespace {

// Skips count bytes that must be there; false when the data end first.
bool read_exact_skip(packfile *f, int64_t count) noexcept {
  for (; count > 0; --count) {
    if (packfile_getc(f) < 0) return false;
  }
  return true;
}

}  // namespace

void words_from_signed_le(uint16_t *words, int64_t count) noexcept {
  auto *bytes = reinterpret_cast<unsigned char *>(words);
  for (int64_t i = 0; i < count; ++i) {
    const auto lo = static_cast<unsigned>(bytes[2 * i]);
    const auto hi = static_cast<unsigned>(bytes[2 * i + 1]);
    words[i] = static_cast<uint16_t>(((hi << 8) | lo) ^ 0x8000u);
  }
}

data_read read_sample_data(packfile *f, int bits, int stereo, int rate, int frames,
                           int64_t byte_count, sample_ptr &out) noexcept {
  out.reset();
  if (byte_count < 0) return data_read::truncated;
  const int64_t left = stream_bytes_left(f);
  if (left >= 0 && byte_count > left) return data_read::truncated;
  // A stream that cannot tell its length hands over its data before the sample is made, so that
  // a length field larger than the data allocates nothing that size.
  std::vector<unsigned char> staged;
  if (left < 0 && !read_growing(f, byte_count, staged)) return data_read::truncated;
  sample_ptr spl(frames >= 0 ? new_sample(bits, stereo, rate, frames) : nullptr);
  if (spl == nullptr) {
    if (left >= 0) skip_bytes(f, byte_count);
    return data_read::no_sample;
  }
  const int64_t size = int64_t{frames} * (bits == 16 ? 2 : 1) * (stereo != 0 ? 2 : 1);
  const int64_t filled = std::min(size, byte_count);
  auto *data = static_cast<unsigned char *>(spl->data);
  if (left < 0) {
    if (filled > 0) std::memcpy(data, staged.data(), static_cast<size_t>(filled));
  } else if (!read_exact(f, data, filled) || !read_exact_skip(f, byte_count - filled)) {
    return data_read::truncated;
  }
  if (bits == 16) {
    auto *words = static_cast<uint16_t *>(spl->data);
    words_from_signed_le(words, filled / 2);
    for (int64_t i = filled / 2; i < size / 2; ++i) words[i] = 0x8000;
  } else {
    std::memset(data + filled, 0x80, static_cast<size_t>(size - filled));
  }
  out = std::move(spl);
  return data_read::done;
}

sample *load_with(const char *filename, sample *(*reader)(packfile *)) noexcept {
  if (filename == nullptr) return nullptr;
  const packfile_ptr f(open_packfile(filename, "r"));
  if (f == nullptr) return nullptr;
  return reader(f.get());
}

}  // namespace corvane
