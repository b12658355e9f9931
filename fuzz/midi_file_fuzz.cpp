// Fuzz target "midi_file": the input is read as a MIDI file (bare or RMID) through a library
// stream and through a stream of the caller's own operations. Both must give the same piece, and
// every track of a piece must lie within what it owns.
#include <cstdint>
#include <cstring>

#include "corvane/midi.h"
#include "sound/midi_internal.h"
#include "sound_fuzz_support.h"

namespace {

midi_piece *read_by_descriptor(std::string_view input) {
  const fuzz::memory_file file(input);
  packfile *f = open_packfile_fd(file.open_descriptor(), "r");
  FUZZ_CHECK(f != nullptr);
  midi_piece *piece = corvane::read_midi_piece(f);
  close_packfile(f);
  return piece;
}

midi_piece *read_by_operations(std::string_view input) {
  fuzz::memory_stream m{input};
  packfile *f = open_packfile_ops(&fuzz::memory_stream_ops, &m);
  FUZZ_CHECK(f != nullptr);
  midi_piece *piece = corvane::read_midi_piece(f);
  close_packfile(f);
  return piece;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view input = fuzz::as_text(data, size);
  midi_piece *a = read_by_descriptor(input);
  midi_piece *b = read_by_operations(input);
  FUZZ_CHECK((a == nullptr) == (b == nullptr));
  if (a != nullptr) {
    FUZZ_CHECK(a->divisions > 0 && a->divisions == b->divisions);
    for (int i = 0; i < MIDI_TRACKS; ++i) {
      FUZZ_CHECK(a->track[i].length == b->track[i].length);
      FUZZ_CHECK(a->track[i].length >= 0 && static_cast<size_t>(a->track[i].length) <= size);
      if (a->track[i].length > 0) {
        FUZZ_CHECK(std::memcmp(a->track[i].data, b->track[i].data,
                               static_cast<size_t>(a->track[i].length)) == 0);
      }
    }
  }
  free_midi_piece(a);
  free_midi_piece(b);
  return 0;
}
