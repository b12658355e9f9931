// Opening and closing the software mixer, its lock, the volume shift and quality, and rendering
// one block: every playing voice is added into a 32-bit accumulator, which is then clamped and
// converted to the output format.
#include <algorithm>
#include <mutex>
#include <new>

#include "corvane/sound.h"
#include "sound/mixer_internal.h"
#include "sound/mixer_music.h"

namespace corvane {

mixer_state mixer;
std::atomic<int> mix_volume_shift{1};

namespace {

struct lock_ops {
  void (*lock)(void *);
  void (*unlock)(void *);
  void (*destroy)(void *);
};

std::recursive_mutex own_mutex;
void lock_own(void *) { own_mutex.lock(); }
void unlock_own(void *) { own_mutex.unlock(); }
void destroy_own(void *) {}

// The operations are written before the handle is published and read after it is loaded.
lock_ops ops{};
std::atomic<void *> handle{nullptr};

// The music source: changed and called under the mixer lock only.
mixer_music_render music_source = nullptr;

void clear_format() noexcept {
  mixer.frames = 0;
  mixer.rate = 0;
  mixer.channels = 0;
  mixer.bits = 0;
}

// The quality a block is mixed at: values above 2 (as unsigned numbers) count as 2, and a mono
// output only has quality 0.
int effective_quality(int channels) noexcept {
  if (channels != 2) return 0;
  const unsigned quality = static_cast<unsigned>(std::atomic_ref<int>(sound_quality).load());
  return quality > 2 ? 2 : static_cast<int>(quality);
}

}  // namespace

bool create_mixer_lock() noexcept {
  const system_driver *sys = current_system_driver;
  if (sys != nullptr && sys->mutex_create != nullptr) {
    void *created = sys->mutex_create();
    if (created == nullptr) return false;
    ops = lock_ops{
        .lock = sys->mutex_lock, .unlock = sys->mutex_unlock, .destroy = sys->mutex_destroy};
    handle.store(created, std::memory_order_release);
    return true;
  }
  ops = lock_ops{.lock = lock_own, .unlock = unlock_own, .destroy = destroy_own};
  handle.store(&own_mutex, std::memory_order_release);
  return true;
}

void destroy_mixer_lock() noexcept {
  void *old = handle.exchange(nullptr, std::memory_order_acq_rel);
  if (old != nullptr && ops.destroy != nullptr) ops.destroy(old);
}

mixer_lock::mixer_lock() noexcept : locked_(handle.load(std::memory_order_acquire)) {
  if (locked_ != nullptr && ops.lock != nullptr) ops.lock(locked_);
}

mixer_lock::~mixer_lock() {
  if (locked_ != nullptr && ops.unlock != nullptr) ops.unlock(locked_);
}

bool set_mixer_music_source(mixer_music_render render) noexcept {
  mixer_lock lock;
  if (render != nullptr && mixer.buffer == nullptr) return false;
  music_source = render;
  return true;
}

bool get_mixer_format(int *rate, int *frames, int *channels) noexcept {
  mixer_lock lock;
  if (mixer.buffer == nullptr) return false;
  if (rate != nullptr) *rate = mixer.rate;
  if (frames != nullptr) *frames = mixer.frames;
  if (channels != nullptr) *channels = mixer.channels;
  return true;
}

void convert_block(const int32_t *buffer, int count, void *out, int bits,
                   bool signed_output) noexcept {
  if (bits == 16) {
    auto *dest = static_cast<uint16_t *>(out);
    const uint16_t flip = signed_output ? 0x8000 : 0;
    for (int i = 0; i < count; ++i) {
      const int32_t v = std::clamp(buffer[i] + 0x800000, 0, 0xFFFFFF);
      dest[i] = static_cast<uint16_t>((v >> 8) ^ flip);
    }
  } else {
    auto *dest = static_cast<uint8_t *>(out);
    const uint8_t flip = signed_output ? 0x80 : 0;
    for (int i = 0; i < count; ++i) {
      const int32_t v = std::clamp(buffer[i] + 0x800000, 0, 0xFFFFFF);
      dest[i] = static_cast<uint8_t>((v >> 16) ^ flip);
    }
  }
}

}  // namespace corvane

extern "C" {

int open_mixer(int size, int rate, int stereo, int sixteen_bit, int *voices) noexcept {
  using namespace corvane;
  if (voices == nullptr || rate <= 0) return -1;
  if (handle.load(std::memory_order_acquire) != nullptr) close_mixer();
  const int channels = stereo != 0 ? 2 : 1;
  if (size / channels < 1) return -1;
  {
    std::atomic_ref<int> quality(sound_quality);
    if (static_cast<unsigned>(quality.load()) > 2) quality.store(2);
  }
  if (*voices > PHYSICAL_VOICE_COUNT) *voices = PHYSICAL_VOICE_COUNT;
  mixer.voice_count = *voices > 0 ? *voices : 0;

  mixer.rate = rate;
  mixer.channels = channels;
  mixer.frames = size / channels;
  mixer.bits = sixteen_bit != 0 ? 16 : 8;
  if (channels == 1) std::atomic_ref<int>(sound_quality).store(0);

  for (mixer_voice &voice : mixer.voices) voice = mixer_voice{};

  mixer.buffer.reset(new (std::nothrow) int32_t[static_cast<size_t>(mixer.frames) * channels]);
  if (mixer.buffer == nullptr) {
    clear_format();
    return -1;
  }
  if (!create_mixer_lock()) {
    mixer.buffer.reset();
    clear_format();
    return -1;
  }
  return 0;
}

void close_mixer(void) noexcept {
  using namespace corvane;
  {
    mixer_lock lock;
    music_source = nullptr;
  }
  destroy_mixer_lock();
  mixer.buffer.reset();
  mixer.voice_count = 0;
  clear_format();
}

void render_mix(void *out, int segment, int signed_output) noexcept {
  using namespace corvane;
  (void)segment;
  if (out == nullptr) return;
  // The whole block is made under the lock, so that a voice is never half bound or unbound while
  // it is read, and closing cannot free the accumulator under a conversion.
  mixer_lock lock;
  int32_t *buffer = mixer.buffer.get();
  if (buffer == nullptr) return;
  const int frames = mixer.frames;
  const int channels = mixer.channels;
  const int count = frames * channels;
  std::fill_n(buffer, count, 0);
  const int quality = effective_quality(channels);
  for (int voice = 0; voice < mixer.voice_count; ++voice) {
    if (mixer.voices[voice].playing != 0) {
      mix_voice_block(voice, buffer, frames, channels, quality);
    }
  }
  if (music_source != nullptr) music_source(buffer, frames, channels);
  convert_block(buffer, count, out, mixer.bits, signed_output != 0);
}

void set_mix_volume_shift(int shift) noexcept {
  using namespace corvane;
  mixer_lock lock;
  if (shift < 0) {
    const int voices = mixer.voice_count;
    shift = 2;
    if (voices > 1) {
      int ceil_log2 = 0;
      while ((1 << ceil_log2) < voices) ++ceil_log2;
      shift = 1 + ceil_log2;
    }
  }
  // Beyond 31 every gain is 0 already; larger shifts would not be defined arithmetic.
  mix_volume_shift.store(std::min(shift, 31), std::memory_order_relaxed);
  for (int voice = 0; voice < PHYSICAL_VOICE_COUNT; ++voice) refresh_voice_gains(voice);
}

void set_mixer_quality(int quality) noexcept {
  using namespace corvane;
  if (static_cast<unsigned>(quality) > 2) quality = 2;
  mixer_lock lock;
  if (mixer.channels == 1) quality = 0;
  std::atomic_ref<int>(sound_quality).store(quality);
}

}  // extern "C"
