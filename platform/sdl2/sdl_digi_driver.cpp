// The SDL2 sound output driver 'SDLA': opens an SDL audio device in the format the sound settings
// ask for and feeds it from the software mixer. SDL asks for its own byte counts; the callback
// hands out the frames of one mixed block and mixes the next when it runs out, so the mixer always
// works in whole blocks.
//
// SDL's audio runs in its own subsystem, started and stopped here on the program's thread, apart
// from the host thread's video: each open (and each probe) holds one reference to it. A device that
// goes away while playing (unplugged, or its output failing) is SDL's to handle: it goes on calling
// the callback at the device's pace and drops what it gets, so the voices play on silently and the
// program notices nothing.
#include "platform/sdl2/sdl_digi_driver.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "corvane/config.h"
#include "corvane/sound.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "sound/sound_internal.h"

namespace corvane::sdl {
namespace {

constexpr int fallback_rate = 44100;
constexpr int default_latency_ms = 25;
constexpr int name_size = 256;

// What the callback works with. Everything but `used` is set before the device is opened and kept
// until it is closed, so the device thread only ever reads it; `used` is the callback's own.
struct output_state {
  SDL_AudioDeviceID device = 0;
  std::unique_ptr<Uint8[]> block;  // one mixed block
  size_t block_bytes = 0;
  int block_frames = 0;
  size_t used = 0;  // bytes of the block already handed to SDL
  int signed_output = 0;
  Uint8 silence = 0;
  char description[512] = {};
};

output_state state;

// The output format chosen from the settings and the device.
struct output_format {
  int rate = fallback_rate;
  int bits = 16;
  int channels = 2;
  int frames = 1024;  // device buffer, and mixer block, in frames
};

// The device asked for by "sound_device", in UTF-8 for SDL and in the current encoding for the
// description; the default device when the key is not set.
struct device_choice {
  char utf8[name_size] = {};
  char shown[name_size] = {};
  bool named = false;

  const char *sdl_name() const noexcept { return named ? utf8 : nullptr; }
};

void report_sdl_error(const char *ascii_format) noexcept {
  char reason[ERROR_TEXT_SIZE];
  convert_text_into(SDL_GetError(), ENCODING_UTF8, reason, ENCODING_CURRENT, sizeof reason);
  format_text_bounded(error_text, ERROR_TEXT_SIZE, translate_text(ascii_format), reason);
}

// Starts SDL's audio subsystem (one more reference). SDL must not catch the program's signals:
// the library's own handlers shut it down.
bool start_sdl_audio() noexcept {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
  report_sdl_error("Cannot start SDL audio: %s");
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
  return false;
}

// One reference less; with nothing of SDL left in use, SDL goes down whole, which frees what it
// keeps between uses.
void stop_sdl_audio() noexcept {
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

bool read_device_choice(device_choice &choice) noexcept {
  const char *name = sound_config_string("sound_device", nullptr);
  if (name == nullptr || name[0] == 0) {
    format_text_bounded(choice.shown, name_size, "%s", translate_text("default device"));
    return true;
  }
  if (converted_size(name, ENCODING_CURRENT, ENCODING_UTF8) > name_size) {
    set_error_text("Sound device name too long");
    return false;
  }
  convert_text_into(name, ENCODING_CURRENT, choice.utf8, ENCODING_UTF8, name_size);
  format_text_bounded(choice.shown, name_size, "%s", name);
  choice.named = true;
  return true;
}

// The device's own rate, and the default device's name where SDL can tell them.
#if SDL_VERSION_ATLEAST(2, 24, 0)
int default_device_rate(device_choice &choice) noexcept {
  char *name = nullptr;
  SDL_AudioSpec device_format{};
  if (SDL_GetDefaultAudioInfo(&name, &device_format, 0) != 0) return 0;
  if (name != nullptr) {
    convert_text_into(name, ENCODING_UTF8, choice.shown, ENCODING_CURRENT, name_size);
    SDL_free(name);
  }
  return device_format.freq;
}

int named_device_rate(const device_choice &choice) noexcept {
  const int count = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < count; ++i) {
    const char *name = SDL_GetAudioDeviceName(i, 0);
    SDL_AudioSpec device_format{};
    if (name != nullptr && std::strcmp(name, choice.utf8) == 0 &&
        SDL_GetAudioDeviceSpec(i, 0, &device_format) == 0) {
      return device_format.freq;
    }
  }
  return 0;
}
#else
int default_device_rate(device_choice &) noexcept { return 0; }
int named_device_rate(const device_choice &) noexcept { return 0; }
#endif

// The largest power of two frames that fits in the latency, within what SDL accepts.
int buffer_frames(int rate) noexcept {
  const int ms = std::clamp(sound_config_int("sound_latency", default_latency_ms), 1, 1000);
  const int64_t limit = int64_t{rate} * ms / 1000;
  int frames = 32;
  while (frames < 32768 && int64_t{frames} * 2 <= limit) frames *= 2;
  return frames;
}

output_format choose_format(device_choice &choice) noexcept {
  output_format f;
  f.bits = sound_bits == 8 ? 8 : 16;
  f.channels = sound_stereo == 0 ? 1 : 2;
  int rate = sound_freq;
  if (rate <= 0) rate = choice.named ? named_device_rate(choice) : default_device_rate(choice);
  f.rate = rate > 0 ? rate : fallback_rate;
  f.frames = buffer_frames(f.rate);
  return f;
}

// Opens the device paused. No change of format is allowed: SDL converts to whatever the device
// takes, so the callback always gets exactly the format the mixer makes.
SDL_AudioDeviceID open_device(const device_choice &choice, const output_format &f) noexcept {
  SDL_AudioSpec want{};
  want.freq = f.rate;
  want.format = f.bits == 16 ? AUDIO_S16SYS : AUDIO_U8;
  want.channels = static_cast<Uint8>(f.channels);
  want.samples = static_cast<Uint16>(f.frames);
  want.callback = fill_sound_output;
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(choice.sdl_name(), 0, &want, &have, 0);
  if (device == 0) report_sdl_error("Cannot open the sound device: %s");
  return device;
}

int probe(int input) {
  if (input != 0) {
    set_error_text("Input is not supported");
    return 0;
  }
  if (state.device != 0) return -1;  // open already
  device_choice choice;
  if (!read_device_choice(choice) || !start_sdl_audio()) return 0;
  const SDL_AudioDeviceID device = open_device(choice, choose_format(choice));
  if (device != 0) SDL_CloseAudioDevice(device);
  stop_sdl_audio();
  return device != 0 ? -1 : 0;
}

void release_output() noexcept {
  close_mixer();
  state.block.reset();
  state.block_bytes = 0;
}

void close(int input) {
  if (input != 0 || state.device == 0) return;
  // Closing waits for the device thread, so nothing mixes once the mixer goes.
  SDL_CloseAudioDevice(state.device);
  state.device = 0;
  release_output();
  stop_sdl_audio();
}

int open(int input, int voices) {
  if (input != 0) {
    set_error_text("Input is not supported");
    return -1;
  }
  close(0);
  device_choice choice;
  if (!read_device_choice(choice) || !start_sdl_audio()) return -1;
  const output_format f = choose_format(choice);

  state.block_bytes = size_t{static_cast<unsigned>(f.frames * f.channels * (f.bits / 8))};
  state.block.reset(new (std::nothrow) Uint8[state.block_bytes]);
  if (state.block == nullptr) {
    state.block_bytes = 0;
    stop_sdl_audio();
    set_error_text("Not enough memory");
    return -1;
  }
  if (open_mixer(f.frames * f.channels, f.rate, f.channels == 2 ? 1 : 0, f.bits == 16 ? 1 : 0,
                 &voices) != 0) {
    release_output();
    stop_sdl_audio();
    set_error_text("Error initializing mixer");
    return -1;
  }
  state.block_frames = f.frames;
  state.used = state.block_bytes;  // the first callback mixes a block
  state.signed_output = f.bits == 16 ? 1 : 0;
  state.silence = f.bits == 16 ? 0 : 0x80;

  state.device = open_device(choice, f);
  if (state.device == 0) {
    release_output();
    stop_sdl_audio();
    return -1;
  }
  digi_driver.voice_count = voices;
  sound_freq = f.rate;
  sound_bits = f.bits;
  sound_stereo = f.channels == 2 ? -1 : 0;

  format_text_bounded(state.description, sizeof state.description,
                      translate_text("%s (%s), %d bits, %d bps, %s"), choice.shown,
                      SDL_GetCurrentAudioDriver(), f.bits, f.rate,
                      translate_text(f.channels == 2 ? "stereo" : "mono"));
  digi_driver.description = state.description;
  SDL_PauseAudioDevice(state.device, 0);
  return 0;
}

int block_size() { return state.device != 0 ? state.block_frames : 0; }

}  // namespace

void fill_sound_output(void *, Uint8 *stream, int len) noexcept {
  if (stream == nullptr || len <= 0) return;
  auto wanted = static_cast<size_t>(len);
  Uint8 *block = state.block.get();
  if (block == nullptr) {
    std::memset(stream, state.silence, wanted);
    return;
  }
  while (wanted > 0) {
    if (state.used == state.block_bytes) {
      render_mix(block, 0, state.signed_output);
      state.used = 0;
    }
    const size_t count = std::min(state.block_bytes - state.used, wanted);
    std::memcpy(stream, block + state.used, count);
    stream += count;
    state.used += count;
    wanted -= count;
  }
}

SDL_AudioDeviceID sound_device() noexcept { return state.device; }

digi_driver_record digi_driver = {
    .id = DIGI_SDL,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "SDL2 audio",
    .voice_count = 0,
    .first_voice = 0,
    .voice_limit = PHYSICAL_VOICE_COUNT,
    .default_voices = 8,
    .probe = probe,
    .open = open,
    .close = close,
    .set_hw_volume = nullptr,
    .get_hw_volume = nullptr,
    .pin_voice = nullptr,
    .unpin_voice = nullptr,
    .block_size = block_size,
    MIXER_VOICE_SLOTS,
    .input_slots = {},
};

}  // namespace corvane::sdl
