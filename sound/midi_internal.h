// Internal interface of the MIDI player: its state (channels, voices, waiting notes, patch map,
// tracks and the player's own words), shared by the files that read events, play notes and run
// the player, and the hook that hands midi_player_start to sound installation.
//
// Threads: the player tick runs on the timer thread with the timer mutex held. The program's calls
// that change the state (play, pause, seek, stop) first take the tick's handler out, which waits
// for a running tick under that mutex; send_midi_bytes holds player_busy, which a tick that finds
// it set answers by postponing itself. The words the program reads while a piece plays
// (current_midi, midi_beat, midi_seconds) are atomic.
#ifndef CORVANE_SOUND_MIDI_INTERNAL_H
#define CORVANE_SOUND_MIDI_INTERNAL_H

#include <atomic>
#include <cstdint>

#include "corvane/midi.h"
#include "corvane/packfile.h"
#include "corvane/sound.h"
#include "corvane/timer.h"
#include "sound/sound_internal.h"

namespace corvane {

inline constexpr int MIDI_CHANNELS = 16;
inline constexpr int MIDI_VOICES = 64;
inline constexpr int MIDI_LAYERS = 4;
inline constexpr int MIDI_WAITING_NOTES = 64;
inline constexpr int DRUM_CHANNEL = 9;
inline constexpr int NEVER = 2147483647;  // the timer of a track that has ended
inline constexpr int BUSY_DELAY = 29829;  // about 25 ms: the shortest gap between two ticks
inline constexpr int PLAYER_START_MS = 20;
inline constexpr int MIDI_OBJECT_TYPE = CORVANE_ID('M', 'I', 'D', 'I');

struct midi_channel {
  int patch = 0;
  int volume = 128;
  int pan = 0;
  int pitch_bend = 8192;
  int pending_volume = 128;
  int pending_pitch_bend = 8192;
  int note_voices[128][MIDI_LAYERS];  // driver voices playing each note, -1 for none

  midi_channel() noexcept {
    for (auto &layers : note_voices) {
      for (int &v : layers) v = -1;
    }
  }
};

struct midi_voice {
  int channel = 0;
  int note = -1;
  int velocity = 0;
  int time = 0;
};

struct waiting_note {
  int channel = 0;
  int note = -1;
  int velocity = 0;
};

struct patch_entry {
  int bank_msb = -1;
  int bank_lsb = -1;
  int program = 0;
  int transpose = 0;
};

// A track being played: position is null once the track has ended.
struct midi_track {
  const unsigned char *position = nullptr;
  const unsigned char *end = nullptr;  // the end of the track's data, which also ends the track
  int64_t timer = NEVER;
  int running_status = 0;
};

struct midi_player_state {
  midi_channel channels[MIDI_CHANNELS];
  midi_voice voices[MIDI_VOICES];
  waiting_note waiting[MIDI_WAITING_NOTES];
  patch_entry patch_map[128];
  midi_track tracks[MIDI_TRACKS];

  std::atomic<midi_piece *> current{nullptr};
  int divisions = 1;
  bool looping = false;
  int event_clock = 0;
  int64_t tick_total = 0;
  int64_t beat_countdown = 0;
  int64_t tick_delay = 0;
  int64_t beat_length = 1;
  int64_t ticks_per_unit = 1;
  int64_t pending_speed = -1;
  std::atomic<bool> busy{false};
  bool patches_loaded = false;
  bool seeking = false;
  bool loop_seeking = false;
  int applied_midi_volume = -1;

  // The note that note_start is starting, for assign_midi_voice.
  int starting_channel = 0;
  int starting_note = -1;
  int starting_velocity = 0;
};

extern midi_player_state player;

// The player's words that the program reads (the public globals), written atomically.
int load_word(const int &word) noexcept;
void store_word(int &word, int value) noexcept;
int current_midi_volume() noexcept;

// The hook that sound installation runs: start = midi_player_start, stop = nothing.
extern const midi_hook_record midi_player_hook;

// Loads the patch map, resets channels and voices and registers the object type 'MIDI'.
int midi_player_start() noexcept;

// Reads a piece from an open stream, as load_midi_piece does from a file.
midi_piece *read_midi_piece(packfile *f) noexcept;

// ---- Events (midi_events.cpp) ----

// Reads a variable-length number; the track ends (position null) when it runs past the data.
int64_t read_variable_length(midi_track &track) noexcept;

// One event as read from a track: a channel or system message (status, data bytes), or a
// system-exclusive block or meta event (status 0xF0, 0xF7 or 0xFF, the bytes in the track).
// Status 0 is a stray data byte that was dropped.
struct midi_event {
  int status = 0;
  int data1 = 0;
  int data2 = 0;
  int meta_type = 0;
  const unsigned char *data = nullptr;
  int length = 0;
};

// Reads the event at the track's position; false when the track ended on the way (end of data).
bool read_midi_event(midi_track &track, midi_event &event) noexcept;

// Reads and acts on the event at the track's position: notes and channel state, tempo, end of
// track, and the program's hooks.
void process_midi_event(midi_track &track) noexcept;

// Reads the delta time before the next event; false when the track is over (no data left after
// the last event, or a delta cut short).
bool step_to_next_event(midi_track &track, int64_t &delta) noexcept;

// Marks the programs and drum notes that a piece uses, walking every event of every track.
void mark_patches(const midi_piece &piece, char *patches, char *drums) noexcept;

// ---- Notes and channels (midi_notes.cpp) ----

void start_midi_note(int channel, int note, int velocity, bool waiting_allowed) noexcept;
void end_midi_note(int channel, int note) noexcept;
void update_channel_controls() noexcept;
void reset_channel_controls(int channel) noexcept;
void all_notes_off(int channel) noexcept;
void all_sound_off(int channel) noexcept;
void send_program_change(int channel, int program) noexcept;
void send_midi_message(int status, int data1, int data2, int data_bytes) noexcept;
bool driver_takes_bytes() noexcept;
void silence_all_channels() noexcept;
void reset_midi_voices() noexcept;

// ---- The player (midi_player.cpp) ----

void prepare_piece(midi_piece *piece) noexcept;
void midi_player_tick() noexcept;

}  // namespace corvane

#endif  // CORVANE_SOUND_MIDI_INTERNAL_H
