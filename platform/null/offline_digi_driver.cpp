// The offline digital sound driver 'OFFL': it opens the software mixer and keeps one mixed block
// at hand; render_offline_sound hands out the frames of that block and mixes the next one when it
// runs out, so the output is the same whatever counts the caller asks for.
#include "platform/null/offline_digi_driver.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "corvane/config.h"
#include "corvane/sound.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane {
namespace {

constexpr int default_rate = 44100;

struct offline_state {
  std::mutex lock;  // render_offline_sound against open and close
  bool open = false;
  int channels = 0;
  int sample_bytes = 0;
  std::unique_ptr<unsigned char[]> block;
  int frames_used = 0;  // frames of the block already handed out
  char description[128] = {};
};

offline_state state;

int probe(int input) {
  if (input != 0) {
    set_error_text("Input is not supported");
    return 0;
  }
  return -1;
}

int open(int input, int voices) {
  if (input != 0) {
    set_error_text("Input is not supported");
    return -1;
  }
  const int rate = sound_freq > 0 ? sound_freq : default_rate;
  const int bits = sound_bits == 8 ? 8 : 16;
  const bool stereo = sound_stereo != 0;
  const int channels = stereo ? 2 : 1;

  std::lock_guard<std::mutex> guard(state.lock);
  const size_t block_bytes = size_t{OFFLINE_BLOCK_FRAMES} * channels * (bits / 8);
  state.block.reset(new (std::nothrow) unsigned char[block_bytes]);
  if (state.block == nullptr) {
    set_error_text("Not enough memory");
    return -1;
  }
  if (open_mixer(OFFLINE_BLOCK_FRAMES * channels, rate, stereo ? 1 : 0, bits == 16 ? 1 : 0,
                 &voices) != 0) {
    state.block.reset();
    set_error_text("Error initializing mixer");
    return -1;
  }
  offline_digi_driver.voice_count = voices;
  sound_freq = rate;
  sound_bits = bits;
  sound_stereo = stereo ? -1 : 0;
  state.channels = channels;
  state.sample_bytes = bits / 8;
  state.frames_used = OFFLINE_BLOCK_FRAMES;
  state.open = true;

  format_text_bounded(state.description, sizeof state.description,
                      translate_text("Offline output, %d bits, %d bps, %s"), bits, rate,
                      translate_text(stereo ? "stereo" : "mono"));
  offline_digi_driver.description = state.description;
  return 0;
}

void close(int input) {
  if (input != 0) return;
  std::lock_guard<std::mutex> guard(state.lock);
  if (!state.open) return;
  state.open = false;
  close_mixer();
  state.block.reset();
}

int block_size() { return OFFLINE_BLOCK_FRAMES; }

}  // namespace

digi_driver_record offline_digi_driver = {
    .id = offline_digi_driver_id,
    .name = empty_string,
    .description = empty_string,
    .ascii_label = "Offline output",
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

}  // namespace corvane

extern "C" {

int render_offline_sound(void *buffer, int frames) noexcept {
  using namespace corvane;
  if (buffer == nullptr) return -1;
  std::lock_guard<std::mutex> guard(state.lock);
  if (!state.open) return -1;
  if (frames <= 0) return 0;
  const size_t frame_bytes = size_t{static_cast<unsigned>(state.channels * state.sample_bytes)};
  auto *out = static_cast<unsigned char *>(buffer);
  int left = frames;
  while (left > 0) {
    if (state.frames_used == OFFLINE_BLOCK_FRAMES) {
      render_mix(state.block.get(), 0, state.sample_bytes == 2 ? 1 : 0);
      state.frames_used = 0;
    }
    int count = OFFLINE_BLOCK_FRAMES - state.frames_used;
    if (count > left) count = left;
    std::memcpy(out, state.block.get() + frame_bytes * state.frames_used, frame_bytes * count);
    out += frame_bytes * count;
    state.frames_used += count;
    left -= count;
  }
  return frames;
}

}  // extern "C"
