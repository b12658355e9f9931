// The CoreAudio MIDI driver 'MCA ': Apple's DLS music device in an AUGraph with the default output.
// The player's byte stream is gathered into whole messages for the music device; the render
// quality and the reverb room come from the configuration.
#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>

#include <algorithm>

#include "corvane/config.h"
#include "corvane/text.h"
#include "platform/macosx/sound/macosx_audio_drivers.h"
#include "platform/macosx/sound/macosx_sound_support.h"
#include "sound/midi_message_gatherer.h"
#include "sound/sound_internal.h"

namespace corvane::macosx {
namespace {

constexpr int description_size = 256;

// "ca_midi_reverb" 0..5: the music device's room and its name.
struct reverb_room {
  UInt32 room;
  const char *ascii_name;
};
constexpr reverb_room rooms[6] = {
    {0, "small room"}, {1, "medium room"}, {2, "large room"},
    {3, "medium hall"}, {4, "large hall"}, {8, "plate"},
};

struct synth_state {
  AUGraph graph = nullptr;
  AudioUnit music = nullptr;
  midi_message_gatherer gatherer;
  char description[description_size] = {};
};

synth_state state;

const char *quality_name(int quality) {
  if (quality <= 31) return "low";
  if (quality <= 95) return "medium";
  return "high";
}

void close_synth(int) {
  if (state.graph != nullptr) {
    AUGraphStop(state.graph);
    AUGraphUninitialize(state.graph);
    AUGraphClose(state.graph);
    DisposeAUGraph(state.graph);
  }
  state = synth_state{};
}

bool make_graph() {
  const ComponentDescription music = {kAudioUnitType_MusicDevice, kAudioUnitSubType_DLSSynth,
                                      kAudioUnitManufacturer_Apple, 0, 0};
  const ComponentDescription output = {kAudioUnitType_Output, kAudioUnitSubType_DefaultOutput,
                                       kAudioUnitManufacturer_Apple, 0, 0};
  AUNode music_node = 0;
  AUNode output_node = 0;
  return NewAUGraph(&state.graph) == noErr &&
         AUGraphNewNode(state.graph, &music, 0, nullptr, &music_node) == noErr &&
         AUGraphNewNode(state.graph, &output, 0, nullptr, &output_node) == noErr &&
         AUGraphConnectNodeInput(state.graph, music_node, 0, output_node, 0) == noErr &&
         AUGraphOpen(state.graph) == noErr && AUGraphInitialize(state.graph) == noErr &&
         AUGraphGetNodeInfo(state.graph, music_node, nullptr, nullptr, nullptr, &state.music) ==
             noErr &&
         state.music != nullptr;
}

int open_synth(int input, int) {
  if (refuse_input(input) || !require_core_audio()) return -1;
  close_synth(0);
  if (!make_graph()) {
    close_synth(0);
    return -1;
  }
  const int quality = std::clamp(sound_config_int("ca_midi_quality", 127), 0, 127);
  const reverb_room &room = rooms[std::clamp(sound_config_int("ca_midi_reverb", 0), 0, 5)];
  const auto quality_value = static_cast<UInt32>(quality);
  // A device that keeps its own quality or room still plays: neither is worth failing for.
  AudioUnitSetProperty(state.music, kAudioUnitProperty_RenderQuality, kAudioUnitScope_Output, 0,
                       &quality_value, sizeof quality_value);
  AudioUnitSetProperty(state.music, kAudioUnitProperty_ReverbRoomType, kAudioUnitScope_Output, 0,
                       &room.room, sizeof room.room);
  if (AUGraphStart(state.graph) != noErr) {
    close_synth(0);
    return -1;
  }
  format_text_bounded(state.description, description_size,
                      translate_text("DLSMusicDevice unit, %s quality, %s reverb"),
                      translate_text(quality_name(quality)), translate_text(room.ascii_name));
  core_audio_midi_driver.description = state.description;
  return 0;
}

int probe_synth(int input) {
  if (refuse_input(input)) return 0;
  return core_audio_available() ? -1 : 0;
}

void send_byte(int byte) {
  midi_message message{};
  if (state.music == nullptr || !state.gatherer.take(byte, &message)) return;
  MusicDeviceMIDIEvent(state.music, static_cast<UInt32>(message.status),
                       static_cast<UInt32>(message.data1), static_cast<UInt32>(message.data2), 0);
}

int set_synth_volume(int volume) {
  if (state.music == nullptr) return -1;
  const auto level = static_cast<AudioUnitParameterValue>(volume) / 255.0f;
  return AudioUnitSetParameter(state.music, kMusicDeviceParam_Volume, kAudioUnitScope_Output, 0,
                               level, 0) == noErr
             ? 0
             : -1;
}

int no_patches_needed(const char *, const char *) { return 0; }
void keep_patches(const char *, const char *) {}
int no_note(int, int, int, int, int) { return -1; }
void no_note_end(int) {}

}  // namespace

midi_driver_record core_audio_midi_driver = {
    .id = MIDI_CORE_AUDIO,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "CoreAudio",
    .voice_count = 16,
    .first_voice = 0,
    .voice_limit = 16,
    .default_voices = 0,
    .reserved_low = 10,
    .reserved_high = 10,
    .probe = probe_synth,
    .open = open_synth,
    .close = close_synth,
    .set_hw_volume = set_synth_volume,
    .get_hw_volume = nullptr,
    .send_midi_byte = send_byte,
    .prepare_patches = no_patches_needed,
    .update_patches = keep_patches,
    .note_start = no_note,
    .note_end = no_note_end,
    .write_volume = nullptr,
    .write_pitch = nullptr,
    .write_pan = nullptr,
    .write_vibrato = nullptr,
};

}  // namespace corvane::macosx
