// The MIDI driver that plays notes on digital voices: each note the player starts gets, for every
// zone of its instrument that covers the key and the loudness (up to four), a voice of its own
// from the player's allocation, and plays the zone's sample there through the digital driver's
// voice operations, tuned, attenuated, panned and looped as the zone says. A note-off lets the
// sound die away over the zone's release time (and lets a sample that loops until release play
// on to its end). Everything is integer arithmetic, so a render is the same bits every time.
#include "sound/soundfont_voice_driver.h"

#include <algorithm>
#include <new>

#include "corvane/config.h"
#include "corvane/file.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "sound/generated_instruments.h"
#include "sound/midi_voice_assigner.h"
#include "sound/soundfont_file.h"
#include "sound/soundfont_location.h"
#include "sound/soundfont_math.h"
#include "sound/sound_internal.h"

namespace corvane {

std::atomic<midi_voice_assigner> midi_voice_assignment{nullptr};

namespace {

constexpr int DEFAULT_VOICES = 24;
constexpr int MAX_LAYERS = 4;  // voices one note can take: the player keeps four per note
constexpr int PERCUSSION = 128;
constexpr int LONGEST_RELEASE_MS = 60000;

struct note_voice {
  sample played{};  // the zone's part of the sample data, as the mixer plays it
  soundfont_note note;
  int physical = -1;  // bound physical voice, -1 when none
  bool percussion = false;
  bool released = false;
};

struct driver_state {
  soundfont font;
  note_voice voices[PHYSICAL_VOICE_COUNT];
  char description[256] = {};
};

driver_state *state = nullptr;

int physical_of(int voice) {
  const midi_driver_record &self = soundfont_voice_driver;
  const int index = voice - self.first_voice;
  if (state == nullptr || index < 0 || index >= self.voice_count || !valid_virtual_voice(voice)) {
    return -1;
  }
  const int physical = get(virtual_voices[voice].physical);
  return valid_physical_voice(physical) ? physical : -1;
}

note_voice *state_of(int voice) {
  const int index = voice - soundfont_voice_driver.first_voice;
  if (state == nullptr || index < 0 || index >= PHYSICAL_VOICE_COUNT) return nullptr;
  return &state->voices[index];
}

// Volume 0..255 of a loudness 0..127 through the zone's attenuation.
int zone_volume(const soundfont_note &note, int loudness) {
  const int level = std::clamp(loudness, 0, 127);
  const int full = std::min(255, level * 2 + (level >> 6));
  return (full * soundfont_math::attenuation_amplitude(note.attenuation)) >> 16;
}

// Pan 0..255 of a channel pan 0..127 moved by the zone's pan.
int zone_pan(const soundfont_note &note, int pan) {
  int value = std::clamp(pan, 0, 127) * 255 / 127 + note.pan * 255 / 1000;
  value = std::clamp(value, 0, 255);
  return flip_pan != 0 ? 255 - value : value;
}

// Frequency in 20.12 fixed point of a key bent by bend / 4096 of a semitone.
int zone_frequency(const soundfont_note &note, int key, int bend) {
  const int cents = (key - note.root_key) * note.scale_tuning + note.tuning +
                    std::clamp(bend, 0, 4095) * 100 / 4096;
  const int64_t fixed = soundfont_math::scale_by_cents(int64_t{note.rate} << 12, cents);
  return static_cast<int>(std::min<int64_t>(fixed, INT32_MAX));
}

void write_physical_volume(digi_driver_record *digi, int physical, int volume) {
  physical_voice &p = physical_voices[physical];
  put(p.volume_step, 0);
  put(p.volume, fixed_from(volume));
  if (digi->write_volume != nullptr) digi->write_volume(physical, volume);
}

void write_physical_pan(digi_driver_record *digi, int physical, int pan) {
  physical_voice &p = physical_voices[physical];
  put(p.pan_step, 0);
  put(p.pan, fixed_from(pan));
  if (digi->write_pan != nullptr) digi->write_pan(physical, pan);
}

void write_physical_frequency(digi_driver_record *digi, int physical, int frequency) {
  physical_voice &p = physical_voices[physical];
  put(p.frequency_step, 0);
  put(p.frequency, frequency);
  if (digi->write_frequency != nullptr) digi->write_frequency(physical, frequency >> 12);
}

void silence(digi_driver_record *digi, note_voice &v) {
  if (v.physical < 0) return;
  if (digi->halt_voice != nullptr) digi->halt_voice(v.physical);
  if (digi->unbind_voice != nullptr) digi->unbind_voice(v.physical);
  v.physical = -1;
}

// Plays one zone on a voice, replacing whatever the voice played.
void play_zone(int voice, const soundfont_note &note, int key, int bend, int loudness, int pan,
               bool percussion) {
  const int physical = physical_of(voice);
  note_voice *v = state_of(voice);
  if (physical < 0 || v == nullptr) return;
  digi_driver_record *digi = digi_driver();
  silence(digi, *v);
  v->note = note;
  v->percussion = percussion;
  v->released = false;
  v->played = sample{
      .bits = 16,
      .stereo = 0,
      .frequency = note.rate,
      .priority = 255,
      .length = static_cast<int>(note.end - note.start),
      .loop_start = static_cast<int>(note.loop_start - note.start),
      .loop_end = static_cast<int>(note.loop_end - note.start),
      .user_param = 0,
      .data = state->font.data.data() + note.start,
  };
  // The physical voice is set up before binding: the mixer takes gains and step from it.
  physical_voice &p = physical_voices[physical];
  const int mode = note.loop ? PLAYMODE_LOOP : PLAYMODE_PLAY;
  put(p.playmode, mode);
  put(p.volume, fixed_from(zone_volume(note, loudness)));
  put(p.pan, fixed_from(zone_pan(note, pan)));
  put(p.frequency, zone_frequency(note, key, bend));
  put(p.volume_step, 0);
  put(p.pan_step, 0);
  put(p.frequency_step, 0);
  if (digi->bind_voice != nullptr) digi->bind_voice(physical, &v->played);
  v->physical = physical;
  if (digi->set_loop_mode != nullptr) digi->set_loop_mode(physical, mode);
  write_physical_volume(digi, physical, zone_volume(note, loudness));
  write_physical_pan(digi, physical, zone_pan(note, pan));
  write_physical_frequency(digi, physical, zone_frequency(note, key, bend));
  if (digi->play_voice != nullptr) digi->play_voice(physical);
}

// ---- The driver's operations -------------------------------------------------------------------

int probe(int input) {
  if (input != 0) {
    set_error_text("Input is not supported");
    return 0;
  }
  char name[1024];
  if (!locate_soundfont(name, sizeof name)) return -1;  // generated waveforms will do
  soundfont checked;
  return read_soundfont(name, false, checked) == 0 ? -1 : 0;
}

void describe(const char *what) {
  format_text_bounded(state->description, sizeof state->description,
                      translate_text("SoundFont voices, %s"), what);
  soundfont_voice_driver.description = state->description;
}

int open(int input, int voices) {
  if (input != 0) {
    set_error_text("Input is not supported");
    return -1;
  }
  delete state;
  state = new (std::nothrow) driver_state;
  if (state == nullptr) {
    set_error_text("Not enough memory");
    return -1;
  }
  char name[1024];
  if (locate_soundfont(name, sizeof name)) {
    if (read_soundfont(name, true, state->font) != 0) {
      delete state;
      state = nullptr;
      return -1;
    }
    describe(get_filename(name));
  } else {
    error_text[0] = '\0';  // no SoundFont is no failure here
    try {
      make_generated_soundfont(state->font);
    } catch (const std::bad_alloc &) {
      delete state;
      state = nullptr;
      set_error_text("Not enough memory");
      return -1;
    }
    describe(translate_text("generated waveforms"));
  }
  soundfont_voice_driver.voice_count = std::clamp(voices, 0, PHYSICAL_VOICE_COUNT);
  return 0;
}

void close(int input) {
  if (input != 0 || state == nullptr) return;
  digi_driver_record *digi = digi_driver();
  for (note_voice &v : state->voices) silence(digi, v);
  delete state;
  state = nullptr;
}

int prepare_patches(const char *, const char *) { return 0; }
void update_patches(const char *, const char *) {}

int note_start(int instrument, int pitch, int bend, int volume, int pan) {
  if (state == nullptr) return -1;
  const bool percussion = instrument >= PERCUSSION;
  const int key = std::clamp(percussion ? instrument - PERCUSSION : pitch, 0, 127);
  const soundfont_preset *preset =
      percussion ? find_soundfont_preset(state->font, PERCUSSION, 0)
                 : find_soundfont_preset(state->font, 0, std::clamp(instrument, 0, 127));
  if (preset == nullptr) return -1;
  soundfont_note notes[MAX_LAYERS];
  const int count = find_soundfont_notes(state->font, *preset, key, std::clamp(volume, 0, 127),
                                         notes, MAX_LAYERS);
  int first = -1;
  for (int i = 0; i < count; ++i) {
    const int voice = assign_voice_for_note(-1, -1);
    if (voice < 0) break;
    play_zone(voice, notes[i], key, percussion ? 0 : bend, volume, pan, percussion);
    if (first < 0) first = voice;
  }
  return first;
}

void note_end(int voice) {
  note_voice *v = state_of(voice);
  if (v == nullptr || v->physical < 0 || physical_of(voice) != v->physical || v->released) return;
  v->released = true;
  digi_driver_record *digi = digi_driver();
  if (v->note.loop_until_release) {
    put(physical_voices[v->physical].playmode, PLAYMODE_PLAY);
    if (digi->set_loop_mode != nullptr) digi->set_loop_mode(v->physical, PLAYMODE_PLAY);
  }
  const int ms = static_cast<int>(std::clamp<int64_t>(
      soundfont_math::scale_by_cents(1000, v->note.release), 1, LONGEST_RELEASE_MS));
  if (digi->fade_volume != nullptr) {
    digi->fade_volume(v->physical, ms, 0);
  } else {
    write_physical_volume(digi, v->physical, 0);
  }
}

void write_volume(int voice, int volume) {
  note_voice *v = state_of(voice);
  if (v == nullptr || v->physical < 0 || v->released) return;
  write_physical_volume(digi_driver(), v->physical, zone_volume(v->note, volume));
}

void write_pitch(int voice, int note, int bend) {
  note_voice *v = state_of(voice);
  // Percussion keeps the pitch of its key: the player passes melodic notes only.
  if (v == nullptr || v->physical < 0 || v->released || v->percussion) return;
  write_physical_frequency(digi_driver(), v->physical,
                           zone_frequency(v->note, std::clamp(note, 0, 127), bend));
}

void write_pan(int voice, int pan) {
  note_voice *v = state_of(voice);
  if (v == nullptr || v->physical < 0 || v->released) return;
  write_physical_pan(digi_driver(), v->physical, zone_pan(v->note, pan));
}

}  // namespace

midi_driver_record soundfont_voice_driver = {
    .id = soundfont_voice_driver_id,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "SoundFont voices",
    .voice_count = 0,
    .first_voice = 0,
    .voice_limit = -1,
    .default_voices = DEFAULT_VOICES,
    .reserved_low = -1,
    .reserved_high = -1,
    .probe = probe,
    .open = open,
    .close = close,
    .set_hw_volume = nullptr,
    .get_hw_volume = nullptr,
    .send_midi_byte = nullptr,
    .prepare_patches = prepare_patches,
    .update_patches = update_patches,
    .note_start = note_start,
    .note_end = note_end,
    .write_volume = write_volume,
    .write_pitch = write_pitch,
    .write_pan = write_pan,
    .write_vibrato = nullptr,
};

}  // namespace corvane
