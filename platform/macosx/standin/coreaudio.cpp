// The stand-in's CoreAudio device: the output device's buffer size, name and maker as scripted.
#include <CoreAudio/CoreAudio.h>

#include <algorithm>
#include <cstring>

#include "audio_state.h"

using standin::audio_call;
namespace state = standin::audio_state;

extern "C" OSStatus AudioDeviceGetProperty(AudioDeviceID inDevice, UInt32, Boolean,
                                           AudioDevicePropertyID inPropertyID,
                                           UInt32 *ioPropertyDataSize, void *outPropertyData) {
  state::state &s = state::the_state();
  const std::lock_guard<std::mutex> hold(s.lock);
  s.calls.push_back("AudioDeviceGetProperty " + std::to_string(inPropertyID));
  if (inDevice != 1) return kAudioHardwareBadDeviceError;
  if (ioPropertyDataSize == nullptr || outPropertyData == nullptr) {
    return kAudioHardwareUnknownPropertyError;
  }
  if (inPropertyID == kAudioDevicePropertyBufferSize) {
    if (const OSStatus e = state::failure(s, audio_call::device_buffer_size)) return e;
    if (*ioPropertyDataSize < sizeof(UInt32)) return kAudioHardwareUnknownPropertyError;
    std::memcpy(outPropertyData, &s.buffer_bytes, sizeof(UInt32));
    *ioPropertyDataSize = sizeof(UInt32);
    return noErr;
  }
  const bool is_name = inPropertyID == kAudioDevicePropertyDeviceName;
  if (!is_name && inPropertyID != kAudioDevicePropertyDeviceManufacturer) {
    return kAudioHardwareUnknownPropertyError;
  }
  if (const OSStatus e =
          state::failure(s, is_name ? audio_call::device_name : audio_call::device_maker)) {
    return e;
  }
  if (!(is_name ? s.has_name : s.has_maker) || *ioPropertyDataSize == 0) {
    return kAudioHardwareUnknownPropertyError;
  }
  const std::string &text = is_name ? s.name : s.maker;
  const size_t n = std::min<size_t>(text.size(), *ioPropertyDataSize - 1);
  std::memcpy(outPropertyData, text.data(), n);
  static_cast<char *>(outPropertyData)[n] = 0;
  *ioPropertyDataSize = static_cast<UInt32>(n + 1);
  return noErr;
}
