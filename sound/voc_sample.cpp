// The Creative Voice reader: the first block of the file, 8-bit (block type 1) or 8/16-bit mono
// (block type 9).
#include <cstdint>
#include <cstring>

#include "corvane/sample_files.h"
#include "sound/sound_file_reading.h"

namespace corvane {
namespace {

constexpr char VOC_SIGNATURE[] = "Creative Voice File";

sample *read_type1(packfile *f, int64_t length) noexcept {
  const int time_constant = packfile_getc(f);
  (void)packfile_getc(f);  // pack byte
  if (time_constant < 0) return nullptr;
  length -= 2;
  sample_ptr spl;
  if (length < 0 ||
      read_sample_data(f, 8, 0, 1000000 / (256 - time_constant), static_cast<int>(length), length,
                       spl) != data_read::done) {
    return nullptr;
  }
  return spl.release();
}

sample *read_type9(packfile *f, int64_t length) noexcept {
  length -= 12;
  const int rate = read_le16(f);
  (void)read_le16(f);  // the high half of the rate field
  const int bits = packfile_getc(f);
  const int channels = packfile_getc(f);
  if (bits != 8 && bits != 16) return nullptr;
  if (channels != 1) return nullptr;
  if (rate <= 0) return nullptr;
  skip_bytes(f, 6);
  if (length < 0) return nullptr;
  const int64_t frames = length * 8 / bits;
  const int64_t bytes = bits == 16 ? length / 2 * 2 : length;
  sample_ptr spl;
  if (read_sample_data(f, bits, 0, rate, static_cast<int>(frames), bytes, spl) !=
      data_read::done) {
    return nullptr;
  }
  return spl.release();
}

}  // namespace
}  // namespace corvane

extern "C" {

sample *read_voc_sample(packfile *f) noexcept {
  using namespace corvane;
  if (f == nullptr) return nullptr;
  char header[22];
  if (packfile_read(header, 22, f) != 22) return nullptr;
  if (std::memcmp(header, VOC_SIGNATURE, 19) != 0) return nullptr;
  const int version = read_le16(f);
  const int check = read_le16(f);
  if (version != 0x010A && version != 0x0114) return nullptr;
  if (check != 0x1129 && check != 0x111F) return nullptr;

  const int type = packfile_getc(f);
  if (type != 1 && type != 9) return nullptr;
  const int low = read_le16(f);
  const int high = packfile_getc(f);
  if (low < 0 || high < 0) return nullptr;
  const int64_t length = low + int64_t{65536} * high;
  return type == 1 ? read_type1(f, length) : read_type9(f, length);
}

sample *load_voc_sample(const char *filename) noexcept {
  return corvane::load_with(filename, read_voc_sample);
}

}  // extern "C"
