// Reading the events of a MIDI track and acting on them: channel messages into notes and channel
// state, system-exclusive blocks and meta events to the program's hooks, tempo changes and the end
// of the track. The end of a track's data ends the track wherever it falls, even inside an event.
#include <cstdint>

#include "sound/midi_internal.h"

namespace corvane {
namespace {

void end_track(midi_track &track) noexcept {
  track.position = nullptr;
  track.timer = NEVER;
}

int64_t bytes_left(const midi_track &track) noexcept {
  return track.position == nullptr ? 0 : track.end - track.position;
}

// The byte at offset from the position, or 0 beyond the data.
int peek(const midi_track &track, int64_t offset) noexcept {
  return offset < bytes_left(track) ? track.position[offset] : 0;
}

template <typename Hook>
Hook load_hook(Hook &hook) noexcept {
  return std::atomic_ref<Hook>(hook).load(std::memory_order_acquire);
}

// Data bytes that a status byte carries.
int data_bytes_of(int status) noexcept {
  switch (status >> 4) {
    case 0x8:
    case 0x9:
    case 0xA:
    case 0xB:
    case 0xE:
      return 2;
    case 0xC:
    case 0xD:
      return 1;
    default:
      break;
  }
  if (status == 0xF2) return 2;
  if (status == 0xF3) return 1;
  return 0;
}

void controller(int channel, int number, int value) noexcept {
  midi_channel &ch = player.channels[channel];
  switch (number) {
    case 7:
      ch.pending_volume = value + 1;
      break;
    case 10:
      ch.pan = value;
      if (driver_takes_bytes()) send_midi_message(0xB0 + channel, 10, value, 2);
      break;
    case 120:
      all_sound_off(channel);
      break;
    case 121:
      reset_channel_controls(channel);
      break;
    case 123:
    case 124:
    case 125:
    case 126:
    case 127:
      all_notes_off(channel);
      break;
    default:
      if (driver_takes_bytes()) send_midi_message(0xB0 + channel, number, value, 2);
      break;
  }
}

void channel_message(int status, int data1, int data2) noexcept {
  const int channel = status & 0x0F;
  switch (status >> 4) {
    case 0x8:
      end_midi_note(channel, data1);
      break;
    case 0x9:
      start_midi_note(channel, data1, data2, true);
      break;
    case 0xB:
      controller(channel, data1, data2);
      break;
    case 0xC:
      player.channels[channel].patch = data1;
      if (driver_takes_bytes()) send_program_change(channel, data1);
      break;
    case 0xE:
      player.channels[channel].pending_pitch_bend = data1 + data2 * 128;
      break;
    default:  // aftertouch and channel pressure are read and dropped
      break;
  }
}

}  // namespace

int64_t read_variable_length(midi_track &track) noexcept {
  int64_t value = 0;
  for (;;) {
    if (bytes_left(track) < 1) {
      end_track(track);
      return 0;
    }
    const int byte = *track.position++;
    // Values past 31 bits stop growing: no real file has them, and they must not overflow.
    if (value < (int64_t{1} << 31)) value = (value << 7) | (byte & 0x7F);
    if ((byte & 0x80) == 0) return value;
  }
}

bool read_midi_event(midi_track &track, midi_event &event) noexcept {
  if (bytes_left(track) < 1) {
    end_track(track);
    return false;
  }
  int status = *track.position;
  const bool running = status < 0x80;
  if (running) {
    status = track.running_status;
  } else {
    ++track.position;
    if (status != 0xF0 && status != 0xF7 && status != 0xFF) track.running_status = status;
  }
  event = midi_event{.status = status};
  if (status == 0xF0 || status == 0xF7 || status == 0xFF) {
    if (status == 0xFF) {
      if (bytes_left(track) < 1) {
        end_track(track);
        return false;
      }
      event.meta_type = *track.position++;
    }
    const int64_t length = read_variable_length(track);
    if (track.position == nullptr) return false;
    if (length > bytes_left(track)) {  // a block longer than the rest of the track
      end_track(track);
      return false;
    }
    event.data = track.position;
    event.length = static_cast<int>(length);
    track.position += length;
    return true;
  }
  const int wanted = data_bytes_of(status);
  if (running && wanted == 0) {
    // A data byte without a status that takes data belongs to no message: it is dropped, which
    // also makes sure that every event moves the position on.
    ++track.position;
    event.status = 0;
    return true;
  }
  // Data bytes are 7-bit values; a byte with its top bit set where data belong is taken modulo
  // 128 rather than allowed to index past the player's tables.
  event.data1 = peek(track, 0) & 0x7F;
  event.data2 = peek(track, 1) & 0x7F;
  if (wanted > bytes_left(track)) {  // a message cut short by the end of the track
    end_track(track);
    return false;
  }
  track.position += wanted;
  return true;
}

void process_midi_event(midi_track &track) noexcept {
  midi_event event;
  if (!read_midi_event(track, event) || event.status == 0) return;
  if (event.status == 0xF0 || event.status == 0xF7) {
    if (auto hook = load_hook(midi_sysex_hook)) hook(event.data, event.length);
    return;
  }
  if (event.status == 0xFF) {
    if (auto hook = load_hook(midi_meta_hook)) hook(event.meta_type, event.data, event.length);
    if (event.meta_type == 0x2F) {
      end_track(track);
    } else if (event.meta_type == 0x51 && event.length >= 3) {
      const int64_t t =
          (int64_t{event.data[0]} << 16) | (event.data[1] << 8) | event.data[2];
      player.pending_speed = ((t / 1000) * 1193) / player.divisions;
    }
    return;
  }
  if (auto hook = load_hook(midi_message_hook)) hook(event.status, event.data1, event.data2);
  if (event.status < 0xF0) channel_message(event.status, event.data1, event.data2);
}

bool step_to_next_event(midi_track &track, int64_t &delta) noexcept {
  if (track.position == nullptr) return false;
  if (track.position == track.end) {  // no delta after the last event: the track is over
    end_track(track);
    return false;
  }
  delta = read_variable_length(track);
  return track.position != nullptr;
}

void mark_patches(const midi_piece &piece, char *patches, char *drums) noexcept {
  for (const auto &t : piece.track) {
    if (t.data == nullptr || t.length <= 0) continue;
    midi_track scan{.position = t.data, .end = t.data + t.length, .timer = 0, .running_status = 0};
    int64_t delta = read_variable_length(scan);
    while (scan.position != nullptr) {
      midi_event event;
      if (!read_midi_event(scan, event)) break;
      if ((event.status & 0xF0) == 0xC0) patches[event.data1] = 1;
      if (event.status == 0x90 + DRUM_CHANNEL) drums[event.data1] = 1;
      if (event.status == 0xFF && event.meta_type == 0x2F) break;
      if (!step_to_next_event(scan, delta)) break;
    }
  }
}

}  // namespace corvane
