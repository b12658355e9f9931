// The QuickTime MIDI driver 'QTM ': notes played on sixteen note channels of QuickTime's note
// allocator, one per voice (voices 1 to 16, as the MIDI player hands them out). Each voice
// remembers the note, instrument, pitch bend, volume and balance it last sent, so that the player's
// repeated values cost no call.
#include <QuickTime/QuickTime.h>

#include "corvane/config.h"
#include "corvane/midi.h"
#include "platform/macosx/sound/macosx_audio_drivers.h"
#include "platform/macosx/sound/macosx_sound_support.h"

namespace corvane::macosx {
namespace {

constexpr int first_voice = 1;
constexpr int last_voice = 16;
constexpr int first_drum = 128;
constexpr long drum_kit = kFirstDrumkit + 1;
constexpr int unknown = -1;  // nothing sent yet

struct voice_state {
  NoteChannel channel = nullptr;
  long note = unknown;
  long instrument = unknown;
  long pitch = unknown;
  long volume = unknown;
  long pan = unknown;
};

struct allocator_state {
  NoteAllocator allocator = nullptr;
  voice_state voices[last_voice + 1];
};

allocator_state state;

voice_state *voice_of(int voice) {
  if (voice < first_voice || voice > last_voice) return nullptr;
  voice_state &v = state.voices[voice];
  return v.channel != nullptr ? &v : nullptr;
}

void silence(voice_state &v) {
  if (v.note != unknown) NAPlayNote(state.allocator, v.channel, v.note, 0);
}

void close_allocator(int) {
  for (voice_state &v : state.voices) {
    if (v.channel == nullptr) continue;
    silence(v);
    NADisposeNoteChannel(state.allocator, v.channel);
  }
  if (state.allocator != nullptr) CloseComponent(state.allocator);
  state = allocator_state{};
}

bool open_channel(voice_state &v) {
  NoteRequest request{};
  request.info.polyphony = 8;
  request.info.typicalPolyphony = 0x00010000;  // 1.0
  return NAStuffToneDescription(state.allocator, 1, &request.tone) == noErr &&
         NANewNoteChannel(state.allocator, &request, &v.channel) == noErr && v.channel != nullptr &&
         NAResetNoteChannel(state.allocator, v.channel) == noErr;
}

int open_allocator(int input, int) {
  if (refuse_input(input)) return -1;
  close_allocator(0);
  state.allocator = OpenDefaultComponent(kNoteAllocatorComponentType, 0);
  if (state.allocator == nullptr) {
    set_error_text("Cannot open the NoteAllocator QuickTime component");
    return -1;
  }
  for (int voice = first_voice; voice <= last_voice; ++voice) {
    if (!open_channel(state.voices[voice])) {
      close_allocator(0);
      set_error_text("Failed initializing MIDI channels");
      return -1;
    }
  }
  quicktime_midi_driver.description = translate_text("QuickTime Music MIDI synthesizer");
  return 0;
}

int probe_allocator(int input) {
  if (refuse_input(input)) return 0;
  const NoteAllocator allocator = OpenDefaultComponent(kNoteAllocatorComponentType, 0);
  if (allocator == nullptr) return 0;
  CloseComponent(allocator);
  return -1;
}

// Sends a controller or balance value unless it is the one last sent.
template <class Send>
void send_changed(long &remembered, long value, Send send) {
  if (value == remembered) return;
  if (send(value) == noErr) remembered = value;
}

void write_pitch(int voice, int, int bend) {
  voice_state *v = voice_of(voice);
  if (v == nullptr) return;
  send_changed(v->pitch, static_cast<long>(bend >> 5), [v](long value) {
    return NASetController(state.allocator, v->channel, kControllerPitchBend, value);
  });
}

void write_volume(int voice, int volume) {
  voice_state *v = voice_of(voice);
  if (v == nullptr) return;
  send_changed(v->volume, static_cast<long>(volume) << 7, [v](long value) {
    return NASetController(state.allocator, v->channel, kControllerVolume, value);
  });
}

void write_pan(int voice, int pan) {
  voice_state *v = voice_of(voice);
  if (v == nullptr) return;
  send_changed(v->pan, static_cast<long>(pan) - 127, [v](long value) {
    return NASetNoteChannelBalance(state.allocator, v->channel, value);
  });
}

int note_start(int instrument, int pitch, int bend, int volume, int pan) {
  long note = pitch;
  long quicktime_instrument = instrument + 1;
  if (instrument >= first_drum) {
    note = instrument - first_drum;
    quicktime_instrument = drum_kit;
  }
  const int voice = assign_midi_voice(first_voice, last_voice);
  if (voice < 0) return -1;
  voice_state *v = voice_of(voice);
  if (v == nullptr) return -1;
  send_changed(v->instrument, quicktime_instrument, [v](long value) {
    return NASetInstrumentNumber(state.allocator, v->channel, value);
  });
  silence(*v);
  NAPlayNote(state.allocator, v->channel, note, volume);
  v->note = note;
  write_pitch(voice, pitch, bend);
  write_pan(voice, pan);
  return voice;
}

void note_end(int voice) {
  voice_state *v = voice_of(voice);
  if (v == nullptr) return;
  silence(*v);
}

int set_allocator_volume(int volume) {
  if (state.allocator == nullptr) return -1;
  for (int voice = first_voice; voice <= last_voice; ++voice) {
    const voice_state *v = voice_of(voice);
    if (v == nullptr || NASetNoteChannelVolume(state.allocator, v->channel,
                                               static_cast<Fixed>(volume) << 8) != noErr) {
      return -1;
    }
  }
  return 0;
}

int no_patches_needed(const char *, const char *) { return 0; }
void keep_patches(const char *, const char *) {}

}  // namespace

midi_driver_record quicktime_midi_driver = {
    .id = MIDI_QUICKTIME,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "QuickTime MIDI",
    .voice_count = 16,
    .first_voice = 0,
    .voice_limit = 16,
    .default_voices = 0,
    .reserved_low = 10,
    .reserved_high = 10,
    .probe = probe_allocator,
    .open = open_allocator,
    .close = close_allocator,
    .set_hw_volume = set_allocator_volume,
    .get_hw_volume = nullptr,
    .send_midi_byte = nullptr,
    .prepare_patches = no_patches_needed,
    .update_patches = keep_patches,
    .note_start = note_start,
    .note_end = note_end,
    .write_volume = write_volume,
    .write_pitch = write_pitch,
    .write_pan = write_pan,
    .write_vibrato = nullptr,
};

}  // namespace corvane::macosx
