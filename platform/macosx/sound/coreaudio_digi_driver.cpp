// The CoreAudio digital driver 'DCA ': an AUGraph of a format converter feeding the default
// output, the converter's input pulled through a render callback that hands out the software
// mixer's blocks. The mixer works in 16-bit signed stereo at the output's rate; the converter
// turns that into whatever the device plays.
//
// The block size is chosen so that the converter asks for one mixer block per render call; should
// the output ask for another frame count, the callback hands out frames from the last mixed block
// and mixes the next when it runs out, so the mixer always works in whole blocks.
#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>
#include <CoreAudio/CoreAudio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "corvane/config.h"
#include "corvane/text.h"
#include "platform/macosx/sound/macosx_audio_drivers.h"
#include "platform/macosx/sound/macosx_sound_support.h"

namespace corvane::macosx {
namespace {

constexpr int description_size = 512;
constexpr UInt32 mixer_frame_bytes = 4;  // 16-bit signed stereo
constexpr UInt32 device_text_size = 256;

// Set up by open before the graph starts and taken down by close after it has stopped, so the
// render thread only reads it, except for `used`, which is the callback's own.
struct output_state {
  AUGraph graph = nullptr;
  AUNode converter_node = 0;
  AUNode output_node = 0;
  AudioUnit converter = nullptr;
  AudioUnit output = nullptr;
  bool mixer_open = false;
  std::unique_ptr<uint8_t[]> block;  // one mixed block
  size_t block_bytes = 0;
  size_t used = 0;  // bytes of the block already handed out
  int block_size = 0;
  char description[description_size] = {};
};

output_state state;

OSStatus render_block(void *, AudioUnitRenderActionFlags *, const AudioTimeStamp *, UInt32,
                      UInt32 frames, AudioBufferList *data) {
  if (data == nullptr || data->mNumberBuffers == 0 || data->mBuffers[0].mData == nullptr) {
    return noErr;
  }
  auto *out = static_cast<uint8_t *>(data->mBuffers[0].mData);
  const size_t wanted =
      std::min<size_t>(size_t{frames} * mixer_frame_bytes, data->mBuffers[0].mDataByteSize);
  size_t written = 0;
  while (written < wanted) {
    if (state.used == state.block_bytes) {
      render_mix(state.block.get(), 0, 1);
      state.used = 0;
    }
    const size_t n = std::min(wanted - written, state.block_bytes - state.used);
    std::memcpy(out + written, state.block.get() + state.used, n);
    written += n;
    state.used += n;
  }
  return noErr;
}

void close_output(int) {
  if (state.graph != nullptr) {
    AUGraphStop(state.graph);
    AUGraphUninitialize(state.graph);
    AUGraphClose(state.graph);
    DisposeAUGraph(state.graph);
  }
  if (state.mixer_open) close_mixer();
  state = output_state{};
}

bool make_graph() {
  const ComponentDescription converter = {kAudioUnitType_FormatConverter,
                                          kAudioUnitSubType_AUConverter,
                                          kAudioUnitManufacturer_Apple, 0, 0};
  const ComponentDescription output = {kAudioUnitType_Output, kAudioUnitSubType_DefaultOutput,
                                       kAudioUnitManufacturer_Apple, 0, 0};
  return NewAUGraph(&state.graph) == noErr &&
         AUGraphNewNode(state.graph, &converter, 0, nullptr, &state.converter_node) == noErr &&
         AUGraphNewNode(state.graph, &output, 0, nullptr, &state.output_node) == noErr &&
         AUGraphOpen(state.graph) == noErr && AUGraphInitialize(state.graph) == noErr &&
         AUGraphGetNodeInfo(state.graph, state.converter_node, nullptr, nullptr, nullptr,
                            &state.converter) == noErr &&
         AUGraphGetNodeInfo(state.graph, state.output_node, nullptr, nullptr, nullptr,
                            &state.output) == noErr &&
         state.converter != nullptr && state.output != nullptr;
}

bool configure_converter(const AudioStreamBasicDescription &device) {
  AudioStreamBasicDescription mixer{};
  mixer.mSampleRate = device.mSampleRate;
  mixer.mFormatID = kAudioFormatLinearPCM;
  // The mixer writes its words in the machine's byte order.
  mixer.mFormatFlags = kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked |
                       kAudioFormatFlagsNativeEndian;
  mixer.mBytesPerPacket = mixer_frame_bytes;
  mixer.mFramesPerPacket = 1;
  mixer.mBytesPerFrame = mixer_frame_bytes;
  mixer.mChannelsPerFrame = 2;
  mixer.mBitsPerChannel = 16;
  return AudioUnitSetProperty(state.converter, kAudioUnitProperty_StreamFormat,
                              kAudioUnitScope_Output, 0, &device, sizeof device) == noErr &&
         AudioUnitSetProperty(state.converter, kAudioUnitProperty_StreamFormat,
                              kAudioUnitScope_Input, 0, &mixer, sizeof mixer) == noErr;
}

// The device's name or maker in the current encoding; false when it cannot be read.
bool read_device_text(AudioDeviceID device, AudioDevicePropertyID property, char *out) {
  char text[device_text_size] = {};
  UInt32 size = sizeof text;
  if (AudioDeviceGetProperty(device, 0, 0, property, &size, text) != noErr) return false;
  text[sizeof text - 1] = 0;
  convert_text_into(text, ENCODING_UTF8, out, ENCODING_CURRENT, static_cast<int>(device_text_size));
  return true;
}

void describe(AudioDeviceID device, const AudioStreamBasicDescription &format) {
  char name[device_text_size];
  char maker[device_text_size];
  const int bits = static_cast<int>(format.mBitsPerChannel);
  if (read_device_text(device, kAudioDevicePropertyDeviceName, name) &&
      read_device_text(device, kAudioDevicePropertyDeviceManufacturer, maker)) {
    format_text_bounded(state.description, description_size,
                        translate_text("%s (%s), 16 bits (%d real), %d bps, %s"), name, maker,
                        bits, sound_freq, translate_text("stereo"));
  } else {
    format_text_bounded(state.description, description_size,
                        translate_text("16 bits (%d real), %d bps, %s"), bits, sound_freq,
                        translate_text("stereo"));
  }
  core_audio_digi_driver.description = state.description;
}

// Fails with the message, after taking down whatever was set up.
int fail(const char *ascii_message) {
  close_output(0);
  if (ascii_message != nullptr) set_error_text(ascii_message);
  return -1;
}

int open_output(int input, int voices) {
  if (refuse_input(input) || !require_core_audio()) return -1;
  close_output(0);
  // No message of its own: the sound layer reports that the driver could not start.
  if (!make_graph()) return fail(nullptr);

  AudioStreamBasicDescription device{};
  UInt32 size = sizeof device;
  if (AudioUnitGetProperty(state.output, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                           0, &device, &size) != noErr ||
      !(device.mSampleRate >= 1.0 && device.mSampleRate <= 1e7)) {  // no rate, or not a number
    return fail("Cannot detect output audio format");
  }
  if (!configure_converter(device)) return fail("Cannot configure format converter audio unit");
  sound_stereo = -1;
  sound_bits = 16;
  sound_freq = static_cast<int>(device.mSampleRate);

  const AURenderCallbackStruct callback = {render_block, nullptr};
  if (AUGraphConnectNodeInput(state.graph, state.converter_node, 0, state.output_node, 0) != noErr ||
      AudioUnitSetProperty(state.converter, kAudioUnitProperty_SetRenderCallback,
                           kAudioUnitScope_Input, 0, &callback, sizeof callback) != noErr) {
    return fail("Cannot set audio rendering callback");
  }

  AudioDeviceID device_id = 0;
  size = sizeof device_id;
  if (AudioUnitGetProperty(state.output, kAudioOutputUnitProperty_CurrentDevice,
                           kAudioUnitScope_Global, 0, &device_id, &size) != noErr) {
    return fail("Cannot get CoreAudio device");
  }
  UInt32 buffer_bytes = 0;
  size = sizeof buffer_bytes;
  if (AudioDeviceGetProperty(device_id, 0, 0, kAudioDevicePropertyBufferSize, &size,
                             &buffer_bytes) != noErr) {
    return fail("Cannot get CoreAudio device buffer size");
  }

  // The converter asks for as many frames as the device plays per buffer: one block of mixer
  // samples (frames times two channels) is half the device's bytes.
  state.block_size = static_cast<int>((buffer_bytes / 2) & ~1u);
  const int mixer_samples = state.block_size / 2;
  int mixer_voices = voices;
  if (mixer_samples < 2 || open_mixer(mixer_samples, sound_freq, 1, 1, &mixer_voices) != 0) {
    return fail("Error initializing mixer");
  }
  state.mixer_open = true;
  core_audio_digi_driver.voice_count = mixer_voices;
  state.block_bytes = static_cast<size_t>(mixer_samples) * 2;
  state.block.reset(new (std::nothrow) uint8_t[state.block_bytes]);
  if (state.block == nullptr) return fail("Error initializing mixer");
  state.used = state.block_bytes;  // the first render mixes a block

  describe(device_id, device);
  if (AUGraphStart(state.graph) != noErr) return fail(nullptr);
  return 0;
}

int probe_output(int input) {
  if (refuse_input(input)) return 0;
  return core_audio_available() ? -1 : 0;
}

int output_block_size() { return state.block_size; }

int set_output_volume(int volume) {
  if (state.output == nullptr) return -1;
  const auto level = static_cast<AudioUnitParameterValue>(volume) * 0.003921569f;
  return AudioUnitSetParameter(state.output, kHALOutputParam_Volume, kAudioUnitScope_Output, 0,
                               level, 0) == noErr
             ? 0
             : -1;
}

}  // namespace

digi_driver_record core_audio_digi_driver = {
    .id = DIGI_CORE_AUDIO,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "CoreAudio",
    .voice_count = 0,
    .first_voice = 0,
    .voice_limit = 64,
    .default_voices = 8,
    .probe = probe_output,
    .open = open_output,
    .close = close_output,
    .set_hw_volume = set_output_volume,
    .get_hw_volume = nullptr,
    .pin_voice = nullptr,
    .unpin_voice = nullptr,
    .block_size = output_block_size,
    MIXER_VOICE_SLOTS,
    .input_slots = {},
};

}  // namespace corvane::macosx
