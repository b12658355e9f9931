// The Sound Manager digital driver 'SNDM': a sampled-synthesizer channel fed from two buffers in
// turn. Each call-back queues the buffer just mixed, mixes the other one while that plays, and
// queues the call-back that comes back when it has played.
#include <CarbonSound/Sound.h>
#include <CoreServices/CoreServices.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "corvane/config.h"
#include "corvane/text.h"
#include "platform/macosx/sound/macosx_audio_drivers.h"
#include "platform/macosx/sound/macosx_sound_support.h"

namespace corvane::macosx {
namespace {

constexpr int buffer_frames = 4096;
constexpr int default_rate = 44100;
constexpr int description_size = 512;

// Set up by open before the first call-back is queued and taken down by close after the channel
// is gone; between the two only the call-back touches the header and the buffers.
struct channel_state {
  SndChannelPtr channel = nullptr;
  SndCallBackUPP callback = nullptr;
  ExtSoundHeader header{};
  uint8_t *buffers[2] = {nullptr, nullptr};
  int bits = 16;
  bool mixer_open = false;
  char description[description_size] = {};
};

channel_state state;

struct sound_manager_version {
  int major;
  int minor;
};

sound_manager_version read_version() {
  const NumVersion v = SndSoundManagerVersion();
  return {10 * (v.majorRev >> 4) + (v.majorRev & 0x0F), v.minorAndBugRev >> 4};
}

void play_next(SndChannelPtr channel, SndCommand *command) {
  if (command == nullptr) return;
  long i = command->param2 != 0 ? 1 : 0;
  state.header.samplePtr = reinterpret_cast<Ptr>(state.buffers[i]);
  const SndCommand play = {bufferCmd, 0, reinterpret_cast<long>(&state.header)};
  if (SndDoCommand(channel, &play, 1) != noErr) return;
  i = 1 - i;
  render_mix(state.buffers[i], 0, state.bits == 16 ? 1 : 0);
  const SndCommand again = {callBackCmd, 0, i};
  SndDoCommand(channel, &again, 1);
}

void close_channel(int) {
  if (state.channel != nullptr) {
    SndDisposeChannel(state.channel, 1);
    std::free(state.channel);
  }
  if (state.callback != nullptr) DisposeSndCallBackUPP(state.callback);
  std::free(state.buffers[0]);
  std::free(state.buffers[1]);
  if (state.mixer_open) close_mixer();
  state = channel_state{};
}

int fail(const char *ascii_message) {
  close_channel(0);
  set_error_text(ascii_message);
  return -1;
}

int open_channel(int input, int voices) {
  if (refuse_input(input)) return -1;
  close_channel(0);
  const sound_manager_version version = read_version();
  if (version.major < 3) {
    set_error_text("Sound Manager version 3.0 or newer required");
    return -1;
  }
  SInt32 attributes = 0;
  if (Gestalt(gestaltSoundAttr, &attributes) != noErr) attributes = 0;
  const bool can_stereo = (attributes & (1 << gestaltStereoCapability)) != 0;
  const bool can_16_bits = (attributes & (1 << gestalt16BitSoundIO)) != 0;

  bool stereo = false;
  if (sound_stereo < 0) {
    stereo = can_stereo;
  } else if (sound_stereo > 0) {
    if (!can_stereo) {
      set_error_text("Stereo output not supported");
      return -1;
    }
    stereo = true;
  }
  // Every Sound Manager plays 8-bit samples; 16 bits need the hardware's word.
  int bits = can_16_bits ? 16 : 8;
  if (sound_bits >= 0) {
    if (sound_bits != 8 && !(sound_bits == 16 && can_16_bits)) {
      set_error_text("16 bit output not supported");
      return -1;
    }
    bits = sound_bits;
  }
  if (sound_freq < 1) sound_freq = default_rate;
  sound_stereo = stereo ? 1 : 0;
  sound_bits = bits;
  state.bits = bits;

  const int channels = stereo ? 2 : 1;
  const size_t buffer_bytes = static_cast<size_t>(channels) * (bits / 8) * buffer_frames;
  state.header.numChannels = static_cast<UInt32>(channels);
  state.header.sampleRate = static_cast<UnsignedFixed>(static_cast<uint32_t>(sound_freq) << 16);
  state.header.encode = extSH;
  state.header.numFrames = buffer_frames;
  state.header.sampleSize = static_cast<UInt16>(bits);
  for (uint8_t *&buffer : state.buffers) {
    buffer = static_cast<uint8_t *>(std::malloc(buffer_bytes));
    if (buffer == nullptr) return fail("Not enough memory");
    // Silence: 0 in signed 16-bit words, the midpoint in unsigned 8-bit ones.
    std::memset(buffer, bits == 16 ? 0 : 0x80, buffer_bytes);
  }

  int mixer_voices = voices;
  if (open_mixer(channels * buffer_frames, sound_freq, stereo ? 1 : 0, bits == 16 ? 1 : 0,
                 &mixer_voices) != 0) {
    return fail("Error initializing mixer");
  }
  state.mixer_open = true;
  sound_manager_digi_driver.voice_count = mixer_voices;

  state.channel = static_cast<SndChannelPtr>(std::calloc(1, sizeof(SndChannel)));
  if (state.channel == nullptr) return fail("Not enough memory");
  state.channel->qLength = stdQLength;
  state.callback = NewSndCallBackUPP(play_next);
  if (SndNewChannel(&state.channel, sampledSynth, stereo ? initStereo : initMono,
                    state.callback) != noErr) {
    std::free(state.channel);
    state.channel = nullptr;
    return fail("Failed creating sound channel");
  }
  const SndCommand start = {callBackCmd, 0, 0};
  if (SndDoCommand(state.channel, &start, 1) != noErr) return fail("Failed creating sound channel");

  format_text_bounded(state.description, description_size,
                      translate_text("Sound Manager version %d.%d, %d bits, %d bps, %s"),
                      version.major, version.minor, bits, sound_freq,
                      translate_text(stereo ? "stereo" : "mono"));
  sound_manager_digi_driver.description = state.description;
  return 0;
}

int probe_channel(int input) {
  if (refuse_input(input)) return 0;
  return read_version().major >= 3 ? -1 : 0;
}

int channel_block_size() { return buffer_frames; }

int set_channel_volume(int volume) {
  if (state.channel == nullptr) return -1;
  const SndCommand command = {volumeCmd, 0, static_cast<long>(volume) | static_cast<long>(volume) << 16};
  return SndDoCommand(state.channel, &command, 1) == noErr ? 0 : -1;
}

}  // namespace

digi_driver_record sound_manager_digi_driver = {
    .id = DIGI_SOUND_MANAGER,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "Sound Manager",
    .voice_count = 0,
    .first_voice = 0,
    .voice_limit = 64,
    .default_voices = 8,
    .probe = probe_channel,
    .open = open_channel,
    .close = close_channel,
    .set_hw_volume = set_channel_volume,
    .get_hw_volume = nullptr,
    .pin_voice = nullptr,
    .unpin_voice = nullptr,
    .block_size = channel_block_size,
    MIXER_VOICE_SLOTS,
    .input_slots = {},
};

}  // namespace corvane::macosx
