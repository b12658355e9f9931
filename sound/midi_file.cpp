// The MIDI file loader: a Standard MIDI File, bare or inside a RIFF "RMID" wrapper, read into a
// piece whose tracks hold the raw bytes of their "MTrk" chunks; and freeing pieces.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "corvane/midi.h"
#include "corvane/packfile.h"
#include "sound/midi_internal.h"
#include "sound/sound_file_reading.h"

namespace corvane {
namespace {

struct piece_deleter {
  void operator()(midi_piece *piece) const noexcept { free_midi_piece(piece); }
};
using piece_ptr = std::unique_ptr<midi_piece, piece_deleter>;

bool read_tag(packfile *f, char (&tag)[4]) noexcept { return packfile_read(tag, 4, f) == 4; }

bool tag_is(const char (&tag)[4], const char *four) noexcept {
  return std::memcmp(tag, four, 4) == 0;
}

// An unsigned 32-bit length in either byte order, or -1 when the stream ends within it.
int64_t read_length(packfile *f, bool big_endian) noexcept {
  const int first = big_endian ? read_be16(f) : read_le16(f);
  const int second = big_endian ? read_be16(f) : read_le16(f);
  if (first < 0 || second < 0) return -1;
  return big_endian ? (int64_t{first} << 16) | second : (int64_t{second} << 16) | first;
}

// Walks the RIFF chunks up to "RMID" and past the inner chunk header; false at the end of file.
bool enter_rmid(packfile *f) noexcept {
  if (read_le32(f) == -1 && packfile_eof(f) != 0) return false;  // RIFF length, unused
  for (;;) {
    char id[4];
    if (!read_tag(f, id)) return false;
    if (tag_is(id, "RMID")) break;
    const int64_t length = read_length(f, false);
    if (length < 0) return false;
    skip_bytes(f, length);
    if (packfile_eof(f) != 0) return false;
  }
  (void)read_le32(f);
  (void)read_le32(f);
  return packfile_eof(f) == 0;
}

// Reads one "MTrk" chunk into the track; false for a missing tag or data cut short.
bool read_track(packfile *f, midi_piece &piece, int index) noexcept {
  char tag[4];
  if (!read_tag(f, tag) || !tag_is(tag, "MTrk")) return false;
  const int64_t length = read_length(f, true);
  if (length < 0 || length > INT32_MAX) return false;
  // A length beyond what the file holds fails before anything is allocated; a stream that cannot
  // tell its length has its data read as they arrive.
  const int64_t left = stream_bytes_left(f);
  if (left >= 0 && length > left) return false;
  unsigned char *data = nullptr;
  if (left >= 0) {
    data = static_cast<unsigned char *>(std::malloc(length > 0 ? static_cast<size_t>(length) : 1));
    if (data == nullptr) return false;
    piece.track[index].data = data;
    if (!read_exact(f, data, length)) return false;
  } else {
    std::vector<unsigned char> staged;
    if (!read_growing(f, length, staged)) return false;
    data = static_cast<unsigned char *>(std::malloc(length > 0 ? static_cast<size_t>(length) : 1));
    if (data == nullptr) return false;
    piece.track[index].data = data;
    if (length > 0) std::memcpy(data, staged.data(), static_cast<size_t>(length));
  }
  piece.track[index].length = static_cast<int>(length);
  return true;
}

}  // namespace

midi_piece *read_midi_piece(packfile *f) noexcept {
  piece_ptr piece(static_cast<midi_piece *>(std::calloc(1, sizeof(midi_piece))));
  if (piece == nullptr) return nullptr;

  char tag[4];
  if (!read_tag(f, tag)) return nullptr;
  if (tag_is(tag, "RIFF")) {
    if (!enter_rmid(f) || !read_tag(f, tag)) return nullptr;
  }
  if (!tag_is(tag, "MThd")) return nullptr;
  // The header is 6 bytes; a longer one has its extra bytes skipped, a shorter one is damaged.
  const int64_t header_length = read_length(f, true);
  if (header_length < 6) return nullptr;
  const int format = read_be16(f);
  const int track_count = read_be16(f);
  const int divisions = read_be16(f);
  if (format != 0 && format != 1) return nullptr;
  if (track_count < 1 || track_count > MIDI_TRACKS) return nullptr;
  // No delta-time units per beat would make every beat last no time at all.
  if (divisions <= 0) return nullptr;
  skip_bytes(f, header_length - 6);
  piece->divisions = divisions;

  for (int i = 0; i < track_count; ++i) {
    if (!read_track(f, *piece, i)) return nullptr;
  }
  return piece.release();
}

}  // namespace corvane

extern "C" {

midi_piece *load_midi_piece(const char *filename) noexcept {
  using namespace corvane;
  if (filename == nullptr) return nullptr;
  const packfile_ptr f(open_packfile(filename, "r"));
  if (f == nullptr) return nullptr;
  return read_midi_piece(f.get());
}

void free_midi_piece(midi_piece *piece) noexcept {
  using namespace corvane;
  if (piece == nullptr) return;
  if (player.current.load(std::memory_order_acquire) == piece) stop_midi_piece();
  for (auto &track : piece->track) std::free(track.data);
  std::free(piece);
}

}  // extern "C"
