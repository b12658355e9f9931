// The MIDI player: starting it when sound is installed (the "midimap" patch map), playing,
// looping, stopping, pausing, resuming and seeking a piece, the length of a piece, raw MIDI
// output, and the player tick, a timer handler that reschedules itself for the next event.
#include <cstdio>
#include <thread>

#include "core/internal.h"
#include "corvane/config.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "corvane/timer.h"
#include "sound/midi_internal.h"
#include "sound/midi_voice_assigner.h"

namespace corvane {

midi_player_state player;

int load_word(const int &word) noexcept {
  return std::atomic_ref<const int>(word).load(std::memory_order_acquire);
}
void store_word(int &word, int value) noexcept {
  std::atomic_ref<int>(word).store(value, std::memory_order_release);
}
int current_midi_volume() noexcept {
  return std::atomic_ref<int>(midi_volume).load(std::memory_order_relaxed);
}

namespace {

constexpr int BEAT_MAX = 2147483647;

// Track timers are kept below this (about 16 hours of timer ticks), so that a tempo change can
// rescale them without overflow however long a file's gaps.
constexpr int64_t MAX_TRACK_TIMER = int64_t{1} << 36;

// The tick that is running on this thread, so that send_midi_bytes called from one of its hooks
// does not wait for itself.
thread_local bool inside_tick = false;

// Marks this thread as running a tick for the scope; ticks nest when a loop seeks.
class tick_scope {
 public:
  tick_scope() noexcept : previous_(inside_tick) { inside_tick = true; }
  ~tick_scope() { inside_tick = previous_; }
  tick_scope(const tick_scope &) = delete;
  tick_scope &operator=(const tick_scope &) = delete;

 private:
  bool previous_;
};

void stop_nothing() noexcept {}

void destroy_piece_object(void *object) noexcept {
  free_midi_piece(static_cast<midi_piece *>(object));
}

// Reads key "p<program>" of section "midimap" into the patch map entry; the default entry for
// anything but exactly four arguments.
void read_patch_entry(int program) noexcept {
  char section[32];
  char key_ascii[16];
  char key[64];
  (void)std::snprintf(key_ascii, sizeof key_ascii, "p%d", program);
  int count = 0;
  char **args = config_get_argv(literal("midimap", section, sizeof section),
                                literal(key_ascii, key, sizeof key), &count);
  patch_entry entry{.bank_msb = -1, .bank_lsb = -1, .program = program - 1, .transpose = 0};
  if (args != nullptr && count == 4) {
    const auto number = [&](int i) { return static_cast<int>(text_to_long(args[i], nullptr, 0)); };
    entry = patch_entry{
        .bank_msb = number(0), .bank_lsb = number(1), .program = number(2), .transpose = number(3)};
  }
  player.patch_map[program - 1] = entry;
}

void add_player_handler(int ticks) noexcept { (void)add_timer_handler(midi_player_tick, ticks); }

// The beat that the next tick will reach.
int64_t beat_after_next_tick() noexcept {
  const int64_t countdown = player.beat_countdown - player.tick_delay;
  int64_t beat = load_word(midi_beat);
  if (countdown <= 0) beat += (-countdown) / player.beat_length + 1;
  return beat;
}

// The beat counter moved on by elapsed ticks, with as many beats as they hold at once.
void count_beats(int64_t elapsed) noexcept {
  player.beat_countdown -= elapsed;
  if (player.beat_countdown <= 0) {
    const int64_t n = (-player.beat_countdown) / player.beat_length + 1;
    player.beat_countdown += n * player.beat_length;
    const int64_t beat = load_word(midi_beat) + n;
    store_word(midi_beat, beat > BEAT_MAX ? BEAT_MAX : static_cast<int>(beat));
  }
}

// Everything that stops a piece: silence, no current piece, the beat reached kept negative.
void stop_playing() noexcept {
  silence_all_channels();
  player.current.store(nullptr, std::memory_order_release);
  const int beat = load_word(midi_beat);
  if (beat > 0) store_word(midi_beat, -beat);
  if (beat == 0) store_word(midi_beat, -1);
}

// Steps 3 to 6 of a tick: the events now due on every track, the beats, a tempo change, and the
// delay until the next event. Answers whether a track is still active.
bool play_due_events() noexcept {
  for (waiting_note &w : player.waiting) w.note = -1;
  for (midi_track &track : player.tracks) {
    if (track.position == nullptr) continue;
    track.timer -= player.tick_delay;
    while (track.timer <= 0) {
      process_midi_event(track);
      int64_t delta = 0;
      if (!step_to_next_event(track, delta)) break;
      track.timer += delta * player.ticks_per_unit;
      if (track.timer > MAX_TRACK_TIMER) track.timer = MAX_TRACK_TIMER;
    }
  }
  count_beats(player.tick_delay);

  if (player.pending_speed > 0) {
    for (midi_track &track : player.tracks) {
      if (track.position != nullptr) {
        track.timer = player.pending_speed * (track.timer / player.ticks_per_unit);
      }
    }
    player.beat_countdown = player.pending_speed * (player.beat_countdown / player.ticks_per_unit);
    player.ticks_per_unit = player.pending_speed;
    player.pending_speed = -1;
    player.beat_length = player.ticks_per_unit * player.divisions;
  }

  bool active = false;
  player.tick_delay = NEVER;
  for (const midi_track &track : player.tracks) {
    if (track.position == nullptr) continue;
    active = true;
    if (track.timer < player.tick_delay) player.tick_delay = track.timer;
  }
  return active;
}

// Takes player_busy for the program's thread, waiting for a tick that holds it to finish.
void hold_player() noexcept {
  bool expected = false;
  while (!player.busy.compare_exchange_weak(expected, true, std::memory_order_acquire)) {
    expected = false;
    std::this_thread::yield();
  }
}

}  // namespace

const midi_hook_record midi_player_hook = {.start = midi_player_start, .stop = stop_nothing};

// The player offers itself to sound installation as soon as the program holds it.
[[maybe_unused]] const bool midi_hook_registered = (midi_hook = &midi_player_hook, true);

int midi_player_start() noexcept {
  player.patches_loaded = false;
  for (midi_channel &ch : player.channels) {
    ch.volume = ch.pending_volume = 128;
    ch.pitch_bend = ch.pending_pitch_bend = 8192;
  }
  reset_midi_voices();
  for (int p = 1; p <= 128; ++p) read_patch_entry(p);
  register_object_type(MIDI_OBJECT_TYPE, nullptr, destroy_piece_object);
  // Drivers that play notes on digital voices take their voices from the player's allocation.
  midi_voice_assignment.store(assign_midi_voice, std::memory_order_release);
  return 0;
}

void prepare_piece(midi_piece *piece) noexcept {
  for (int c = 0; c < MIDI_CHANNELS; ++c) reset_channel_controls(c);
  update_channel_controls();
  store_word(midi_beat, 0);
  player.tick_total = 0;
  player.beat_countdown = 0;
  store_word(midi_seconds, 0);
  player.pending_speed = -1;
  player.tick_delay = 0;
  player.seeking = false;
  player.loop_seeking = false;
  for (int c = 0; c < MIDI_CHANNELS; ++c) {
    player.channels[c].patch = 0;
    if (driver_takes_bytes()) send_program_change(c, 0);
  }
  player.divisions = piece->divisions > 0 ? piece->divisions : 1;
  player.ticks_per_unit = 596590 / player.divisions;
  if (player.ticks_per_unit < 1) player.ticks_per_unit = 1;
  player.beat_length = player.divisions * player.ticks_per_unit;
  player.current.store(piece, std::memory_order_release);
  for (int i = 0; i < MIDI_TRACKS; ++i) {
    midi_track &track = player.tracks[i];
    track = midi_track{};
    if (piece->track[i].data != nullptr && piece->track[i].length > 0) {
      track.position = piece->track[i].data;
      track.end = track.position + piece->track[i].length;
      track.timer = read_variable_length(track) * player.ticks_per_unit;
    }
  }
}

void midi_player_tick() noexcept {
  if (player.current.load(std::memory_order_acquire) == nullptr) return;
  if (player.busy.exchange(true, std::memory_order_acquire)) {
    // Raw bytes are being sent: come back in a moment. A seek, which runs its ticks itself, just
    // asks again.
    if (player.seeking) return;
    player.tick_delay += BUSY_DELAY;
    add_player_handler(BUSY_DELAY);
    return;
  }
  const tick_scope scope;
  ++player.event_clock;
  player.tick_total += player.tick_delay;
  store_word(midi_seconds, static_cast<int>(player.tick_total / TIMER_TICKS_PER_SECOND));

  // A piece that ends again at once after looping back (one with no length, or a loop end
  // before its loop start) waits for the next tick instead of looping on the timer thread.
  for (int loops = 0;; ++loops) {
    const bool active = play_due_events();
    const int loop_end = load_word(midi_loop_end);
    if (active && (loop_end < 1 || load_word(midi_beat) < loop_end)) break;
    if (loops > 0 && player.looping && !player.loop_seeking) break;
    // The piece ended or reached its loop end.
    if (!player.looping || player.loop_seeking) {
      remove_timer_handler(midi_player_tick);
      stop_playing();
      player.busy.store(false, std::memory_order_release);
      return;
    }
    const int loop_start = load_word(midi_loop_start);
    if (loop_start < 1) {
      silence_all_channels();
      prepare_piece(player.current.load(std::memory_order_relaxed));
      continue;
    }
    remove_timer_handler(midi_player_tick);
    player.busy.store(false, std::memory_order_release);
    player.loop_seeking = true;
    if (seek_midi(loop_start) != 0) {
      stop_playing();
      return;
    }
    player.busy.store(true, std::memory_order_release);
    player.loop_seeking = false;
  }

  if (player.tick_delay < BUSY_DELAY) player.tick_delay = BUSY_DELAY;
  if (player.tick_delay > NEVER) player.tick_delay = NEVER;
  if (!player.seeking) add_player_handler(static_cast<int>(player.tick_delay));
  update_channel_controls();
  for (const waiting_note &w : player.waiting) {
    if (w.note >= 0) start_midi_note(w.channel, w.note, w.velocity, false);
  }
  player.busy.store(false, std::memory_order_release);
}

}  // namespace corvane

extern "C" {

int midi_beat = -1;
int midi_seconds = 0;
int midi_loop_start = -1;
int midi_loop_end = -1;
void (*midi_message_hook)(int, int, int) = nullptr;
void (*midi_sysex_hook)(const unsigned char *, int) = nullptr;
void (*midi_meta_hook)(int, const unsigned char *, int) = nullptr;

int play_midi_piece(midi_piece *piece, int loop) noexcept {
  using namespace corvane;
  remove_timer_handler(midi_player_tick);
  silence_all_channels();
  if (piece == nullptr) {
    stop_playing();
    return 0;
  }
  if (!player.patches_loaded) {
    char patches[128] = {};
    char drums[128] = {};
    patches[0] = 1;
    mark_patches(*piece, patches, drums);
    midi_driver_record *d = midi_driver();
    if (d->prepare_patches != nullptr && d->prepare_patches(patches, drums) != 0) return -1;
  }
  store_word(midi_loop_end, -1);
  store_word(midi_loop_start, -1);
  player.looping = loop != 0;
  prepare_piece(piece);
  (void)add_timer_handler_ms(midi_player_tick, PLAYER_START_MS);
  return 0;
}

int play_midi_loop(midi_piece *piece, int loop_start, int loop_end) noexcept {
  using namespace corvane;
  if (play_midi_piece(piece, 1) != 0) return -1;
  store_word(midi_loop_start, loop_start);
  store_word(midi_loop_end, loop_end);
  return 0;
}

void stop_midi_piece(void) noexcept { (void)play_midi_piece(nullptr, 0); }

void pause_midi(void) noexcept {
  using namespace corvane;
  if (player.current.load(std::memory_order_acquire) == nullptr) return;
  remove_timer_handler(midi_player_tick);
  silence_all_channels();
}

void resume_midi(void) noexcept {
  using namespace corvane;
  if (player.current.load(std::memory_order_acquire) == nullptr) return;
  add_player_handler(static_cast<int>(player.tick_delay));
}

int seek_midi(int target) noexcept {
  using namespace corvane;
  midi_piece *piece = player.current.load(std::memory_order_acquire);
  if (piece == nullptr) return -1;
  pause_midi();
  int patch[MIDI_CHANNELS];
  int volume[MIDI_CHANNELS];
  int pan[MIDI_CHANNELS];
  int bend[MIDI_CHANNELS];
  for (int c = 0; c < MIDI_CHANNELS; ++c) {
    patch[c] = player.channels[c].patch;
    volume[c] = player.channels[c].volume;
    pan[c] = player.channels[c].pan;
    bend[c] = player.channels[c].pitch_bend;
  }
  const bool looping = player.looping;
  player.looping = false;
  midi_driver_record *real_driver = midi_driver();
  set_midi_driver(&midi_none_driver);  // nothing is heard while seeking

  if (target <= load_word(midi_beat)) prepare_piece(piece);
  player.seeking = true;
  while (load_word(midi_beat) >= 0 && load_word(midi_beat) < target) {
    if (beat_after_next_tick() >= target) break;
    midi_player_tick();
  }
  player.seeking = false;

  player.looping = looping;
  set_midi_driver(real_driver);

  if (load_word(midi_beat) < 0) {
    if (!player.looping || player.loop_seeking) return 1;
    prepare_piece(piece);
    (void)add_timer_handler_ms(midi_player_tick, PLAYER_START_MS);
    return 2;
  }
  if (driver_takes_bytes()) {
    for (int c = 0; c < MIDI_CHANNELS; ++c) {
      const midi_channel &ch = player.channels[c];
      if (ch.patch != patch[c] || ch.volume != volume[c]) send_program_change(c, ch.patch);
      if (ch.pan != pan[c]) send_midi_message(0xB0 + c, 10, ch.pan, 2);
      if (ch.pitch_bend != bend[c]) {
        send_midi_message(0xE0 + c, ch.pitch_bend & 127, ch.pitch_bend >> 7, 2);
      }
    }
  }
  if (!player.loop_seeking) (void)add_timer_handler_ms(midi_player_tick, PLAYER_START_MS);
  return 0;
}

int midi_duration(midi_piece *piece) noexcept {
  using namespace corvane;
  if (piece == nullptr) return 0;
  if (play_midi_piece(piece, 0) != 0) return 0;
  (void)seek_midi(2147483647);
  const int seconds = load_word(midi_seconds);
  stop_midi_piece();
  return seconds;
}

void send_midi_bytes(const unsigned char *data, int length) noexcept {
  using namespace corvane;
  if (data == nullptr || length <= 0) return;
  const bool nested = inside_tick;  // from a hook of the running tick, which holds the player
  if (!nested) hold_player();
  ++player.event_clock;
  midi_track bytes{.position = data, .end = data + length, .timer = 0, .running_status = 0};
  while (bytes.position != nullptr && bytes.position < bytes.end) process_midi_event(bytes);
  update_channel_controls();
  if (!nested) player.busy.store(false, std::memory_order_release);
}

}  // extern "C"
