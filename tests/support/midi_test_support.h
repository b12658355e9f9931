// Helpers of the MIDI tests: MIDI files written by hand, and two recording MIDI drivers -- 'TBYT'
// takes the byte stream, 'TNOT' takes note operations on voices it gets from assign_midi_voice --
// with a fixture that installs one of them beside the no-sound digital driver and the manual timer.
#ifndef CORVANE_TESTS_SUPPORT_MIDI_TEST_SUPPORT_H
#define CORVANE_TESTS_SUPPORT_MIDI_TEST_SUPPORT_H

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "corvane/midi.h"
#include "corvane/sound.h"
#include "support/test_sound_drivers.h"
#include "support/test_system.h"

namespace midi_test {

using bytes = std::vector<unsigned char>;

// A track's events: each event is its delta (in units) and its bytes.
struct track_writer {
  bytes data;
  track_writer &event(uint32_t delta, const bytes &message) {
    unsigned char vlq[5];
    int n = 0;
    do {
      vlq[n++] = static_cast<unsigned char>(delta & 0x7F);
      delta >>= 7;
    } while (delta != 0);
    while (n > 0) {
      --n;
      data.push_back(static_cast<unsigned char>(vlq[n] | (n > 0 ? 0x80 : 0)));
    }
    for (const unsigned char b : message) data.push_back(b);
    return *this;
  }
  track_writer &end(uint32_t delta = 0) { return event(delta, {0xFF, 0x2F, 0x00}); }
};

inline void put_be32(bytes &b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<unsigned char>(v >> shift));
}
inline void put_be16(bytes &b, uint32_t v) {
  b.push_back(static_cast<unsigned char>(v >> 8));
  b.push_back(static_cast<unsigned char>(v));
}
inline void put_le32(bytes &b, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) b.push_back(static_cast<unsigned char>(v >> shift));
}
inline void put_tag(bytes &b, const char *four) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(four[i]));
}

// A Standard MIDI File of format 1 (0 for one track) with the given tracks.
inline bytes midi_file(int divisions, const std::vector<bytes> &tracks, uint32_t header = 6) {
  bytes f;
  put_tag(f, "MThd");
  put_be32(f, header);
  put_be16(f, tracks.size() == 1 ? 0 : 1);
  put_be16(f, static_cast<uint32_t>(tracks.size()));
  put_be16(f, static_cast<uint32_t>(divisions));
  for (uint32_t i = 6; i < header; ++i) f.push_back(0);
  for (const bytes &t : tracks) {
    put_tag(f, "MTrk");
    put_be32(f, static_cast<uint32_t>(t.size()));
    for (const unsigned char b : t) f.push_back(b);
  }
  return f;
}

inline void write_file(const std::string &path, const bytes &data) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char *>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline constexpr int BYTE_DRIVER_ID = CORVANE_ID('T', 'B', 'Y', 'T');
inline constexpr int NOTE_DRIVER_ID = CORVANE_ID('T', 'N', 'O', 'T');

struct recording {
  bytes sent;                      // what the byte driver received
  std::vector<std::string> notes;  // "start i p b v pan -> voice", "end v", "volume v x", ...
  int prepare_calls = 0;
  int prepare_result = 0;
  char patches[128] = {};
  char drums[128] = {};
};

recording &the_recording();

// Installs sound with the no-sound digital driver and the given recording MIDI driver (the note
// driver with voices voices), with the player's hook in place. Returns install_sound's result.
int install_recording_driver(int id, int voices = 8);

// A fixture: the library with the test sound drivers and the manual timer, a work directory, and
// the player's hook in place.
class midi_test : public corvane::testing::sound_test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes a MIDI file into the work directory and loads it.
  midi_piece *load(const bytes &file, const std::string &name = "piece.mid");
  corvane::testing::scoped_work_dir dir;
  std::vector<midi_piece *> pieces;
};

}  // namespace midi_test

#endif  // CORVANE_TESTS_SUPPORT_MIDI_TEST_SUPPORT_H
