// The MIDI driver 'FLSY': a FluidSynth synthesizer with the SoundFont of the sound settings,
// taking the MIDI byte stream gathered into messages, and rendering into every block the software
// mixer makes (on the mixer's clock, so music and samples reach the output in step). It has no
// audio device of its own.
#include "platform/fluidsynth/fluidsynth_midi_driver.h"

#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <vector>

#include "corvane/config.h"
#include "corvane/file.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "sound/midi_message_gatherer.h"
#include "sound/mixer_music.h"
#include "sound/sound_internal.h"
#include "sound/soundfont_file.h"
#include "sound/soundfont_location.h"

namespace corvane {
namespace {

constexpr int CHANNELS = 16;
constexpr int DEFAULT_RATE = 44100;
constexpr int DEFAULT_BLOCK = 1024;
constexpr float BASE_GAIN = 0.2F;  // the synthesizer's own default
constexpr float FULL_SCALE = 8388608.0F;  // the mixer's accumulator scale

// "ca_midi_reverb" 0..5: the room's name and FluidSynth's room size, damping, width and level.
struct reverb_room {
  const char *name;
  double size, damping, width, level;
};
constexpr reverb_room ROOMS[6] = {
    {"small room", 0.2, 0.4, 0.5, 0.35},   {"medium room", 0.4, 0.35, 0.6, 0.4},
    {"large room", 0.6, 0.3, 0.7, 0.45},   {"medium hall", 0.75, 0.25, 0.85, 0.5},
    {"large hall", 0.9, 0.2, 1.0, 0.55},   {"plate", 0.55, 0.05, 1.0, 0.5},
};

struct synth_state {
  fluid_settings_t *settings = nullptr;
  fluid_synth_t *synth = nullptr;
  std::vector<float> left, right;  // one mixer block
  midi_message_gatherer gatherer;
  int hw_volume = 255;
  char description[512] = {};

  ~synth_state() {
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
  }
};

// Written by open and close on the program's thread; read by the mixer (under its lock, which
// set_mixer_music_source takes) and by the player's thread between them.
std::atomic<synth_state *> state{nullptr};

// Adds one block of the synthesizer's output to the mixer's accumulator.
void render_music(int32_t *accumulator, int frames, int channels) {
  synth_state *s = state;
  if (s == nullptr || s->synth == nullptr) return;
  frames = std::min(frames, static_cast<int>(s->left.size()));
  if (frames <= 0) return;
  fluid_synth_write_float(s->synth, frames, s->left.data(), 0, 1, s->right.data(), 0, 1);
  const auto word = [](float value) {
    return static_cast<int32_t>(std::clamp(value, -4.0F, 4.0F) * FULL_SCALE);
  };
  if (channels == 2) {
    for (int i = 0; i < frames; ++i) {
      accumulator[2 * i] += word(s->left[static_cast<size_t>(i)]);
      accumulator[2 * i + 1] += word(s->right[static_cast<size_t>(i)]);
    }
  } else {
    for (int i = 0; i < frames; ++i) {
      accumulator[i] +=
          word((s->left[static_cast<size_t>(i)] + s->right[static_cast<size_t>(i)]) * 0.5F);
    }
  }
}

int probe(int input) {
  if (input != 0) {
    set_error_text("Input is not supported");
    return 0;
  }
  char name[1024];
  if (!locate_soundfont(name, sizeof name)) return 0;
  soundfont checked;
  return read_soundfont(name, false, checked) == 0 ? -1 : 0;
}

void close(int input);

int fail_open(const char *message) {
  set_error_text(message);
  close(0);
  return -1;
}

int open(int input, int voices) {
  (void)voices;
  if (input != 0) {
    set_error_text("Input is not supported");
    return -1;
  }
  close(0);
  char name[1024];
  if (!locate_soundfont(name, sizeof name)) return -1;
  soundfont checked;
  if (read_soundfont(name, false, checked) != 0) return -1;

  int rate = DEFAULT_RATE;
  int frames = DEFAULT_BLOCK;
  (void)get_mixer_format(&rate, &frames, nullptr);
  const int quality = std::clamp(sound_config_int("ca_midi_quality", 127), 0, 127);
  const int reverb = std::clamp(sound_config_int("ca_midi_reverb", 0), 0, 5);
  const reverb_room &room = ROOMS[reverb];

  auto *s = new (std::nothrow) synth_state;
  if (s == nullptr) return fail_open("Not enough memory");
  state = s;
  try {
    s->left.resize(static_cast<size_t>(frames));
    s->right.resize(static_cast<size_t>(frames));
  } catch (const std::bad_alloc &) {
    return fail_open("Not enough memory");
  }
  s->settings = new_fluid_settings();
  if (s->settings == nullptr) return fail_open("Cannot start the FluidSynth synthesizer");
  fluid_settings_setnum(s->settings, "synth.sample-rate", rate);
  fluid_settings_setnum(s->settings, "synth.gain", BASE_GAIN);
  fluid_settings_setint(s->settings, "synth.lock-memory", 0);
  fluid_settings_setint(s->settings, "synth.cpu-cores", 1);
  fluid_settings_setint(s->settings, "synth.reverb.active", 1);
  fluid_settings_setnum(s->settings, "synth.reverb.room-size", room.size);
  fluid_settings_setnum(s->settings, "synth.reverb.damp", room.damping);
  fluid_settings_setnum(s->settings, "synth.reverb.width", room.width);
  fluid_settings_setnum(s->settings, "synth.reverb.level", room.level);
  s->synth = new_fluid_synth(s->settings);
  if (s->synth == nullptr) return fail_open("Cannot start the FluidSynth synthesizer");
  if (fluid_synth_sfload(s->synth, name, 1) == FLUID_FAILED) {
    return fail_open("Cannot load the SoundFont file");
  }
  const int method = quality <= 31   ? FLUID_INTERP_LINEAR
                     : quality <= 95 ? FLUID_INTERP_4THORDER
                                     : FLUID_INTERP_7THORDER;
  fluid_synth_set_interp_method(s->synth, -1, method);
  // With no mixer open (the no-sound digital driver) the music plays to nobody.
  (void)set_mixer_music_source(render_music);

  const char *quality_name = quality <= 31 ? "low" : quality <= 95 ? "medium" : "high";
  format_text_bounded(s->description, sizeof s->description,
                      translate_text("FluidSynth (%s), %s quality, %s reverb"), get_filename(name),
                      translate_text(quality_name), translate_text(room.name));
  fluidsynth_midi_driver.description = s->description;
  fluidsynth_midi_driver.voice_count = CHANNELS;
  return 0;
}

void close(int input) {
  if (input != 0 || state == nullptr) return;
  // Once the source is gone no block uses the synthesizer any more.
  (void)set_mixer_music_source(nullptr);
  delete state.exchange(nullptr);
}

int set_hw_volume(int volume) {
  synth_state *s = state;
  if (s == nullptr || s->synth == nullptr) return -1;
  s->hw_volume = std::clamp(volume, 0, 255);
  fluid_synth_set_gain(s->synth, BASE_GAIN * static_cast<float>(s->hw_volume) / 255.0F);
  return 0;
}

int get_hw_volume() {
  const synth_state *s = state;
  return s != nullptr ? s->hw_volume : -1;
}

void send_midi_byte(int byte) {
  synth_state *s = state;
  midi_message m{};
  if (s == nullptr || !s->gatherer.take(byte, &m)) return;
  const int channel = m.status & 0x0F;
  switch (m.status & 0xF0) {
    case 0x80: fluid_synth_noteoff(s->synth, channel, m.data1); break;
    case 0x90: fluid_synth_noteon(s->synth, channel, m.data1, m.data2); break;
    case 0xA0: fluid_synth_key_pressure(s->synth, channel, m.data1, m.data2); break;
    case 0xB0: fluid_synth_cc(s->synth, channel, m.data1, m.data2); break;
    case 0xC0: fluid_synth_program_change(s->synth, channel, m.data1); break;
    case 0xD0: fluid_synth_channel_pressure(s->synth, channel, m.data1); break;
    case 0xE0: fluid_synth_pitch_bend(s->synth, channel, m.data1 | m.data2 << 7); break;
    default: break;  // system messages mean nothing to the synthesizer here
  }
}

int prepare_patches(const char *, const char *) { return 0; }
void update_patches(const char *, const char *) {}
int note_start(int, int, int, int, int) { return -1; }
void note_end(int) {}
void write_volume(int, int) {}
void write_pitch(int, int, int) {}
void write_pan(int, int) {}

}  // namespace

midi_driver_record fluidsynth_midi_driver = {
    .id = fluidsynth_midi_driver_id,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "FluidSynth",
    .voice_count = CHANNELS,
    .first_voice = 0,
    .voice_limit = CHANNELS,
    .default_voices = 0,
    .reserved_low = 10,
    .reserved_high = 10,
    .probe = probe,
    .open = open,
    .close = close,
    .set_hw_volume = set_hw_volume,
    .get_hw_volume = get_hw_volume,
    .send_midi_byte = send_midi_byte,
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
