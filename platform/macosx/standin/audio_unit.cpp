// The stand-in's audio units: the properties the drivers read and set (stream formats, the render
// callback, the output's device, render quality, reverb room), parameters, and the music device's
// MIDI events. A unit answers only while the graph that made it is open.
#include <AudioUnit/AudioUnit.h>

#include <cstdio>
#include <cstring>

#include "audio_state.h"

using standin::audio_call;
namespace state = standin::audio_state;

namespace {

state::unit *find_unit(state::state &s, AudioUnit handle) {
  for (OpaqueAUGraph *g : s.graphs) {
    for (state::node &n : g->nodes) {
      if (n.instance != nullptr && n.instance.get() == handle) return n.instance.get();
    }
  }
  return nullptr;
}

const char *scope_name(AudioUnitScope scope) {
  switch (scope) {
    case kAudioUnitScope_Input: return "in";
    case kAudioUnitScope_Output: return "out";
    default: return "global";
  }
}

std::string describe(const AudioStreamBasicDescription &f) {
  char text[160];
  std::snprintf(text, sizeof text, "rate %g id %08x flags %u packet %u frames %u frame %u ch %u bits %u",
                f.mSampleRate, f.mFormatID, f.mFormatFlags, f.mBytesPerPacket, f.mFramesPerPacket,
                f.mBytesPerFrame, f.mChannelsPerFrame, f.mBitsPerChannel);
  return text;
}

bool is_output(const state::unit &u) {
  return u.description.componentType == kAudioUnitType_Output;
}

}  // namespace

extern "C" OSStatus AudioUnitGetProperty(AudioUnit inUnit, AudioUnitPropertyID inID,
                                         AudioUnitScope inScope, AudioUnitElement inElement,
                                         void *outData, UInt32 *ioDataSize) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  state::unit *u = find_unit(s, inUnit);
  s.calls.push_back("GetProperty " + state::unit_name(u) + " " + std::to_string(inID) + " " +
                    scope_name(inScope) + " " + std::to_string(inElement));
  if (u == nullptr) return invalidComponentID;
  if (outData == nullptr || ioDataSize == nullptr) return kAudioUnitErr_InvalidPropertyValue;
  if (inID == kAudioUnitProperty_StreamFormat) {
    if (const OSStatus e = state::failure(s, audio_call::get_stream_format)) return e;
    if (*ioDataSize < sizeof(AudioStreamBasicDescription)) return kAudioUnitErr_InvalidPropertyValue;
    AudioStreamBasicDescription f = is_output(*u) ? s.output_format
                                    : inScope == kAudioUnitScope_Input ? u->input_format
                                                                       : u->output_format;
    std::memcpy(outData, &f, sizeof f);
    *ioDataSize = sizeof f;
    return noErr;
  }
  if (inID == kAudioOutputUnitProperty_CurrentDevice && is_output(*u)) {
    if (const OSStatus e = state::failure(s, audio_call::get_current_device)) return e;
    if (*ioDataSize < sizeof(AudioDeviceID)) return kAudioUnitErr_InvalidPropertyValue;
    const AudioDeviceID device = 1;
    std::memcpy(outData, &device, sizeof device);
    *ioDataSize = sizeof device;
    return noErr;
  }
  return kAudioUnitErr_InvalidProperty;
}

extern "C" OSStatus AudioUnitSetProperty(AudioUnit inUnit, AudioUnitPropertyID inID,
                                         AudioUnitScope inScope, AudioUnitElement inElement,
                                         const void *inData, UInt32 inDataSize) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  state::unit *u = find_unit(s, inUnit);
  std::string line = "SetProperty " + state::unit_name(u) + " " + std::to_string(inID) + " " +
                     scope_name(inScope) + " " + std::to_string(inElement);
  if (u == nullptr || inData == nullptr) {
    s.calls.push_back(line);
    return u == nullptr ? OSStatus{invalidComponentID} : OSStatus{kAudioUnitErr_InvalidPropertyValue};
  }
  if (inID == kAudioUnitProperty_StreamFormat) {
    AudioStreamBasicDescription f{};
    if (inDataSize != sizeof f) return kAudioUnitErr_InvalidPropertyValue;
    std::memcpy(&f, inData, sizeof f);
    s.calls.push_back(line + " " + describe(f));
    const bool input = inScope == kAudioUnitScope_Input;
    if (const OSStatus e = state::failure(s, input ? audio_call::set_input_format
                                                   : audio_call::set_output_format)) {
      return e;
    }
    (input ? u->input_format : u->output_format) = f;
    (input ? u->input_format_set : u->output_format_set) = true;
    return noErr;
  }
  if (inID == kAudioUnitProperty_SetRenderCallback) {
    s.calls.push_back(line);
    if (const OSStatus e = state::failure(s, audio_call::set_render_callback)) return e;
    if (inDataSize != sizeof(AURenderCallbackStruct) || inScope != kAudioUnitScope_Input) {
      return kAudioUnitErr_InvalidPropertyValue;
    }
    std::memcpy(&u->callback, inData, sizeof u->callback);
    u->has_callback = true;
    return noErr;
  }
  if (inID == kAudioUnitProperty_RenderQuality || inID == kAudioUnitProperty_ReverbRoomType) {
    UInt32 value = 0;
    if (inDataSize != sizeof value) return kAudioUnitErr_InvalidPropertyValue;
    std::memcpy(&value, inData, sizeof value);
    s.calls.push_back(line + " " + std::to_string(value));
    return state::failure(s, inID == kAudioUnitProperty_RenderQuality ? audio_call::set_render_quality
                                                                      : audio_call::set_reverb_room);
  }
  s.calls.push_back(line);
  return kAudioUnitErr_InvalidProperty;
}

extern "C" OSStatus AudioUnitSetParameter(AudioUnit inUnit, AudioUnitParameterID inID,
                                          AudioUnitScope inScope, AudioUnitElement inElement,
                                          AudioUnitParameterValue inValue, UInt32) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  state::unit *u = find_unit(s, inUnit);
  char value[32];
  std::snprintf(value, sizeof value, "%.6f", static_cast<double>(inValue));
  s.calls.push_back("SetParameter " + state::unit_name(u) + " " + std::to_string(inID) + " " +
                    scope_name(inScope) + " " + std::to_string(inElement) + " " + value);
  if (u == nullptr) return invalidComponentID;
  return state::failure(s, audio_call::set_parameter);
}

extern "C" OSStatus MusicDeviceMIDIEvent(MusicDeviceComponent inUnit, UInt32 inStatus,
                                         UInt32 inData1, UInt32 inData2, UInt32 inOffsetSampleFrame) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  state::unit *u = find_unit(s, inUnit);
  s.calls.push_back("MIDI " + state::unit_name(u) + " " + std::to_string(inStatus) + " " +
                    std::to_string(inData1) + " " + std::to_string(inData2) + " " +
                    std::to_string(inOffsetSampleFrame));
  if (u == nullptr || u->description.componentType != kAudioUnitType_MusicDevice) {
    return invalidComponentID;
  }
  return state::failure(s, audio_call::midi_event);
}
