// Notes and channel controls of the MIDI player on the current MIDI driver: a driver that takes
// bytes gets MIDI messages (notes moved by the patch map's transpose, bank and program messages);
// any other gets note starts and ends, volume and pitch changes on voices that assign_midi_voice
// hands out. Also load_all_patches.
#include <cstdint>

#include "sound/midi_internal.h"

namespace corvane {
namespace {

midi_driver_record *driver() noexcept { return midi_driver(); }

// The note as sent on a byte stream: moved by the transpose of the channel's program on melodic
// channels; -1 when that moves it outside 0..127, where no MIDI note exists.
int sent_note(int channel, int note) noexcept {
  if (channel != DRUM_CHANNEL) note += player.patch_map[player.channels[channel].patch & 127].transpose;
  return note >= 0 && note <= 127 ? note : -1;
}

// Scales a 0..127 MIDI volume or a voice loudness by the global MIDI volume when it is set.
int scaled_by_midi_volume(int value) noexcept {
  const int master = current_midi_volume();
  return master >= 0 ? value * master / 256 : value;
}

// The pitch a melodic note plays at under the channel's bend (a range of two semitones each way),
// and the remaining fraction 0..4095.
int bent_pitch(int note, int bend, int &fraction) noexcept {
  int b = bend - 8192;
  while (b < 0) {
    note -= 1;
    b += 4096;
  }
  while (b >= 4096) {
    note += 1;
    b -= 4096;
  }
  fraction = b;
  return note;
}

bool in_reserved_range(const midi_driver_record *d, int voice) noexcept {
  return voice >= d->reserved_low && voice <= d->reserved_high;
}

int driver_voice_count(const midi_driver_record *d) noexcept {
  return d->voice_count < MIDI_VOICES ? d->voice_count : MIDI_VOICES;
}

bool a_voice_is_free() noexcept {
  const midi_driver_record *d = driver();
  for (int v = 0; v < driver_voice_count(d); ++v) {
    if (player.voices[v].note < 0 && !in_reserved_range(d, v)) return true;
  }
  return false;
}

void wait_for_voice(int channel, int note, int velocity) noexcept {
  for (waiting_note &w : player.waiting) {
    if (w.note < 0) {
      w = waiting_note{.channel = channel, .note = note, .velocity = velocity};
      return;
    }
  }
}

int loudness(int velocity, int volume) noexcept {
  return scaled_by_midi_volume(velocity * volume / 128);
}

}  // namespace

bool driver_takes_bytes() noexcept { return driver()->send_midi_byte != nullptr; }

void send_midi_message(int status, int data1, int data2, int data_bytes) noexcept {
  midi_driver_record *d = driver();
  if (d->send_midi_byte == nullptr) return;
  d->send_midi_byte(status);
  if (data_bytes >= 1) d->send_midi_byte(data1 & 0x7F);
  if (data_bytes >= 2) d->send_midi_byte(data2 & 0x7F);
}

void reset_midi_voices() noexcept {
  for (midi_channel &ch : player.channels) {
    for (auto &layers : ch.note_voices) {
      for (int &v : layers) v = -1;
    }
  }
  for (midi_voice &v : player.voices) v = midi_voice{};
  for (waiting_note &w : player.waiting) w = waiting_note{};
}

void start_midi_note(int channel, int note, int velocity, bool waiting_allowed) noexcept {
  midi_driver_record *d = driver();
  if (d->send_midi_byte != nullptr) {
    const int sent = sent_note(channel, note);
    if (sent >= 0) send_midi_message(0x90 + channel, sent, velocity, 2);
    return;
  }
  midi_channel &ch = player.channels[channel];
  for (const int v : ch.note_voices[note]) {
    if (v >= 0) {
      end_midi_note(channel, note);  // a second note-on of a sounding note only ends it
      return;
    }
  }
  if (velocity == 0) return;

  int instrument = 0;
  int pitch = 60;
  int fraction = 0;
  if (channel == DRUM_CHANNEL) {
    instrument = 128 + note;
  } else {
    instrument = ch.patch;
    pitch = bent_pitch(note, ch.pitch_bend, fraction);
    if (waiting_allowed && !a_voice_is_free()) {
      wait_for_voice(channel, note, velocity);
      return;
    }
  }
  player.starting_channel = channel;
  player.starting_note = note;
  player.starting_velocity = velocity;
  if (d->note_start != nullptr) {
    d->note_start(instrument, pitch, fraction, loudness(velocity, ch.volume), ch.pan);
  }
  player.starting_note = -1;
}

void end_midi_note(int channel, int note) noexcept {
  midi_driver_record *d = driver();
  if (d->send_midi_byte != nullptr) {
    const int sent = sent_note(channel, note);
    if (sent >= 0) send_midi_message(0x80 + channel, sent, 0, 2);
    return;
  }
  bool ended = false;
  for (int &v : player.channels[channel].note_voices[note]) {
    if (v < 0) continue;
    if (d->note_end != nullptr) d->note_end(v + d->first_voice);
    player.voices[v].time = player.event_clock;
    player.voices[v].note = -1;
    v = -1;
    ended = true;
  }
  if (ended) return;
  for (waiting_note &w : player.waiting) {
    if (w.note == note && w.channel == channel) {
      w.note = -1;
      return;
    }
  }
}

void update_channel_controls() noexcept {
  midi_driver_record *d = driver();
  const int master = current_midi_volume();
  for (int c = 0; c < MIDI_CHANNELS; ++c) {
    midi_channel &ch = player.channels[c];
    if (ch.volume != ch.pending_volume || master != player.applied_midi_volume) {
      ch.volume = ch.pending_volume;
      if (d->send_midi_byte != nullptr) {
        send_midi_message(0xB0 + c, 7, scaled_by_midi_volume(ch.volume - 1), 2);
      } else if (d->write_volume != nullptr) {
        for (int v = 0; v < MIDI_VOICES; ++v) {
          const midi_voice &voice = player.voices[v];
          if (voice.note >= 0 && voice.channel == c) {
            d->write_volume(v + d->first_voice, loudness(voice.velocity, ch.volume));
          }
        }
      }
    }
    if (ch.pitch_bend != ch.pending_pitch_bend) {
      ch.pitch_bend = ch.pending_pitch_bend;
      if (d->send_midi_byte != nullptr) {
        send_midi_message(0xE0 + c, ch.pitch_bend & 127, ch.pitch_bend >> 7, 2);
      } else if (d->write_pitch != nullptr && c != DRUM_CHANNEL) {
        // Drums play at their own fixed pitch, which a bend does not move.
        for (int v = 0; v < MIDI_VOICES; ++v) {
          const midi_voice &voice = player.voices[v];
          if (voice.note >= 0 && voice.channel == c) {
            int fraction = 0;
            const int pitch = bent_pitch(voice.note, ch.pitch_bend, fraction);
            d->write_pitch(v + d->first_voice, pitch, fraction);
          }
        }
      }
    }
  }
  player.applied_midi_volume = master;
}

void reset_channel_controls(int channel) noexcept {
  midi_channel &ch = player.channels[channel];
  ch.pending_volume = 128;
  ch.pending_pitch_bend = 8192;
  switch (channel % 3) {
    case 1:
      ch.pan = 104;
      break;
    case 2:
      ch.pan = 24;
      break;
    default:
      ch.pan = (channel / 3) % 2 == 0 ? 68 : 60;
      break;
  }
  if (driver_takes_bytes()) send_midi_message(0xB0 + channel, 10, ch.pan, 2);
}

void all_notes_off(int channel) noexcept {
  if (driver_takes_bytes()) {
    send_midi_message(0xB0 + channel, 123, 0, 2);
    return;
  }
  for (int note = 0; note < 128; ++note) {
    for (const int v : player.channels[channel].note_voices[note]) {
      if (v >= 0) {
        end_midi_note(channel, note);
        break;
      }
    }
  }
}

void all_sound_off(int channel) noexcept {
  if (driver_takes_bytes()) send_midi_message(0xB0 + channel, 120, 0, 2);
}

void silence_all_channels() noexcept {
  for (int c = 0; c < MIDI_CHANNELS; ++c) {
    all_notes_off(c);
    all_sound_off(c);
  }
}

void send_program_change(int channel, int program) noexcept {
  if (channel == DRUM_CHANNEL) return;
  const patch_entry &e = player.patch_map[program & 127];
  if (e.bank_msb >= 0) send_midi_message(0xB0 + channel, 0, e.bank_msb, 2);
  if (e.bank_lsb >= 0) send_midi_message(0xB0 + channel, 32, e.bank_lsb, 2);
  send_midi_message(0xC0 + channel, e.program, 0, 1);
  send_midi_message(0xB0 + channel, 7, scaled_by_midi_volume(player.channels[channel].volume - 1),
                    2);
}

}  // namespace corvane

extern "C" {

int assign_midi_voice(int lowest, int highest) noexcept {
  using namespace corvane;
  const midi_driver_record *d = driver();
  if (lowest < 0) lowest = 0;
  if (highest < 0) highest = d->voice_count - 1;
  if (highest >= MIDI_VOICES) highest = MIDI_VOICES - 1;
  const int channel = player.starting_channel;
  const int note = player.starting_note;
  if (note < 0 || highest < lowest) return -1;
  int *layer = nullptr;
  for (int &v : player.channels[channel].note_voices[note]) {
    if (v < 0) {
      layer = &v;
      break;
    }
  }
  if (layer == nullptr) return -1;

  int chosen = -1;
  for (int v = lowest; v <= highest; ++v) {  // the free voice that ended longest ago
    if (in_reserved_range(d, v) || player.voices[v].note >= 0) continue;
    if (chosen < 0 || player.voices[v].time < player.voices[chosen].time) chosen = v;
  }
  if (chosen < 0) {
    for (int v = lowest; v <= highest; ++v) {  // else the note that started longest ago
      if (in_reserved_range(d, v)) continue;
      if (chosen < 0 || player.voices[v].time < player.voices[chosen].time) chosen = v;
    }
    if (chosen < 0) return -1;
    end_midi_note(player.voices[chosen].channel, player.voices[chosen].note);
  }
  player.voices[chosen] = midi_voice{.channel = channel,
                                     .note = note,
                                     .velocity = player.starting_velocity,
                                     .time = player.event_clock};
  *layer = chosen;
  return chosen + d->first_voice;
}

void load_all_patches(void) noexcept {
  using namespace corvane;
  char patches[128];
  char drums[128];
  for (int i = 0; i < 128; ++i) patches[i] = drums[i] = 1;
  midi_driver_record *d = driver();
  if (d->prepare_patches != nullptr) (void)d->prepare_patches(patches, drums);
  player.patches_loaded = true;
}

}  // extern "C"
