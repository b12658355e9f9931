// Fuzz target "midi_player": the first byte chooses the driver (bit 0: a driver of note operations
// on voices that assign_midi_voice hands out, else a driver that takes the byte stream) and
// whether the piece loops (bit 1); the second byte is a beat to seek to; the rest is a MIDI file.
// The player walks the piece with seek_midi to that beat and then to its end, and sends the
// piece's first track as raw bytes. The byte stream must hold only whole messages with 7-bit data,
// and voices must stay within the driver's.
#include <cstdint>
#include <vector>

#include "corvane/midi.h"
#include "corvane/sound.h"
#include "sound/midi_internal.h"
#include "sound_fuzz_support.h"

namespace {

constexpr int VOICES = 8;

int expected_data = 0;  // data bytes the byte driver still waits for
int voices_taken = 0;

void take_byte(int byte) {
  FUZZ_CHECK(byte >= 0 && byte <= 255);
  if (byte >= 0x80) {
    FUZZ_CHECK(expected_data == 0);  // a status never cuts a message short
    const int kind = byte >> 4;
    expected_data = kind == 0xC || kind == 0xD ? 1 : 2;
  } else {
    FUZZ_CHECK(expected_data > 0);
    --expected_data;
  }
}

int prepare(const char *, const char *) { return 0; }

int note_start(int instrument, int, int, int volume, int pan) {
  FUZZ_CHECK(instrument >= 0 && instrument < 256);
  FUZZ_CHECK(volume >= 0 && volume <= 128 && pan >= 0 && pan <= 127);
  const int voice = assign_midi_voice(-1, -1);
  FUZZ_CHECK(voice >= -1 && voice < VOICES);
  if (voice >= 0) ++voices_taken;
  return voice;
}
void voice_call(int voice) { FUZZ_CHECK(voice >= 0 && voice < VOICES); }
void voice_value(int voice, int) { FUZZ_CHECK(voice >= 0 && voice < VOICES); }
void voice_pitch(int voice, int, int bend) {
  FUZZ_CHECK(voice >= 0 && voice < VOICES && bend >= 0 && bend < 4096);
}

midi_driver_record byte_driver = {.id = 1,
                                  .name = "",
                                  .description = "",
                                  .ascii_label = "bytes",
                                  .voice_count = 0,
                                  .first_voice = 0,
                                  .voice_limit = 0,
                                  .default_voices = 0,
                                  .reserved_low = -1,
                                  .reserved_high = -1,
                                  .send_midi_byte = take_byte,
                                  .prepare_patches = prepare};
midi_driver_record note_driver = {.id = 2,
                                  .name = "",
                                  .description = "",
                                  .ascii_label = "notes",
                                  .voice_count = VOICES,
                                  .first_voice = 0,
                                  .voice_limit = VOICES,
                                  .default_voices = VOICES,
                                  .reserved_low = 6,
                                  .reserved_high = 6,
                                  .prepare_patches = prepare,
                                  .note_start = note_start,
                                  .note_end = voice_call,
                                  .write_volume = voice_value,
                                  .write_pitch = voice_pitch,
                                  .write_pan = voice_value};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  const int choice = data[0];
  const int beat = data[1];
  fuzz::memory_stream m{fuzz::as_text(data + 2, size - 2)};
  packfile *f = open_packfile_ops(&fuzz::memory_stream_ops, &m);
  FUZZ_CHECK(f != nullptr);
  midi_piece *piece = corvane::read_midi_piece(f);
  close_packfile(f);
  if (piece == nullptr) return 0;

  current_midi_driver = (choice & 1) != 0 ? &note_driver : &byte_driver;
  (void)corvane::midi_player_start();
  expected_data = 0;
  FUZZ_CHECK(play_midi_piece(piece, (choice & 2) != 0 ? 1 : 0) == 0);
  const int reached = seek_midi(beat);
  FUZZ_CHECK(reached >= 0 && reached <= 2);
  if ((choice & 2) == 0) {
    // To the end: it was over already (-1), it ends now (1), or its beats run out of numbers (0).
    // A seek stops before the tick that would reach its target, so in the last case the piece's
    // next tick is the one that takes the beat to 2147483647 (and may end it there).
    const int end = seek_midi(2147483647);
    FUZZ_CHECK(end == -1 || end == 1 || end == 0);
    if (end == 0) {
      corvane::midi_player_tick();
      FUZZ_CHECK(midi_beat == 2147483647 || midi_beat == -2147483647);
    }
  }
  if (piece->track[0].length > 0) send_midi_bytes(piece->track[0].data, piece->track[0].length);
  free_midi_piece(piece);
  FUZZ_CHECK(midi_beat < 0);
  current_midi_driver = &midi_none_driver;
  return 0;
}
