// The recording MIDI drivers and the MIDI fixture of the sound tests.
#include "support/midi_test_support.h"

#include "sound/midi_internal.h"
#include "support/test_system.h"

namespace midi_test {
namespace {

recording rec;
midi_driver_record byte_driver{};
midi_driver_record note_driver{};
driver_list_entry midi_list[3] = {};

std::string join(const char *what, std::initializer_list<int> values) {
  std::string s = what;
  for (const int v : values) s += " " + std::to_string(v);
  return s;
}

void record_byte(int byte) { rec.sent.push_back(static_cast<unsigned char>(byte)); }
int prepare(const char *patches, const char *drums) {
  ++rec.prepare_calls;
  for (int i = 0; i < 128; ++i) {
    rec.patches[i] = patches[i];
    rec.drums[i] = drums[i];
  }
  return rec.prepare_result;
}
int open_voices(int, int voices) {
  note_driver.voice_count = voices;
  return 0;
}
int note_start(int instrument, int pitch, int bend, int volume, int pan) {
  const int voice = assign_midi_voice(-1, -1);
  rec.notes.push_back(join("start", {instrument, pitch, bend, volume, pan}) + " -> " +
                      std::to_string(voice));
  return voice;
}
void note_end(int voice) { rec.notes.push_back(join("end", {voice})); }
void write_volume(int voice, int volume) { rec.notes.push_back(join("volume", {voice, volume})); }
void write_pitch(int voice, int note, int bend) {
  rec.notes.push_back(join("pitch", {voice, note, bend}));
}

}  // namespace

recording &the_recording() { return rec; }

int install_recording_driver(int id, int voices) {
  rec = recording{};
  byte_driver = midi_driver_record{.id = BYTE_DRIVER_ID,
                                   .name = empty_string,
                                   .description = empty_string,
                                   .ascii_label = "Byte recorder",
                                   .voice_count = 0,
                                   .first_voice = 0,
                                   .voice_limit = 0,
                                   .default_voices = 0,
                                   .reserved_low = -1,
                                   .reserved_high = -1,
                                   .send_midi_byte = record_byte,
                                   .prepare_patches = prepare};
  note_driver = midi_driver_record{.id = NOTE_DRIVER_ID,
                                   .name = empty_string,
                                   .description = empty_string,
                                   .ascii_label = "Note recorder",
                                   .voice_count = 0,
                                   .first_voice = 0,
                                   .voice_limit = 64,
                                   .default_voices = 8,
                                   .reserved_low = -1,
                                   .reserved_high = -1,
                                   .open = open_voices,
                                   .prepare_patches = prepare,
                                   .note_start = note_start,
                                   .note_end = note_end,
                                   .write_volume = write_volume,
                                   .write_pitch = write_pitch};
  midi_list[0] = driver_list_entry{BYTE_DRIVER_ID, &byte_driver, 0};
  midi_list[1] = driver_list_entry{NOTE_DRIVER_ID, &note_driver, 0};
  midi_list[2] = driver_list_entry{0, nullptr, 0};
  corvane::testing::the_test_system().midi_drivers = midi_list;
  midi_voices_wanted = voices;
  return install_sound(DIGI_NONE, id);
}

void midi_test::SetUp() {
  sound_test::SetUp();
  corvane::midi_hook = &corvane::midi_player_hook;
  midi_message_hook = nullptr;
  midi_sysex_hook = nullptr;
  midi_meta_hook = nullptr;
}

void midi_test::TearDown() {
  stop_midi_piece();
  for (midi_piece *p : pieces) free_midi_piece(p);
  sound_test::TearDown();
}

midi_piece *midi_test::load(const bytes &file, const std::string &name) {
  write_file(dir.file(name), file);
  midi_piece *piece = load_midi_piece(dir.file(name).c_str());
  if (piece != nullptr) pieces.push_back(piece);
  return piece;
}

}  // namespace midi_test
