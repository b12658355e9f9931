// The SDL2 sound driver's callback allocates no memory: this program replaces malloc and its kin
// with versions that count the calls made on a thread while it is being watched, and feeds the
// callback with 64 voices playing in every sample format at the interpolating quality, in pieces
// of awkward sizes, and then watches SDL's own device thread while it plays. The replacement needs
// the C library's allocator underneath, so sanitized builds (whose runtimes own malloc) skip it.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/prctl.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "corvane/sound.h"
#include "corvane/system.h"
#include "platform/sdl2/sdl_digi_driver.h"
#include "support/env_guard.h"
#include "support/sound_output_support.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CORVANE_COUNTING_ALLOCATOR 0
#else
#define CORVANE_COUNTING_ALLOCATOR 1
#endif

namespace {

// Allocations counted: those of a thread that set watch_this_thread, and, while
// watch_audio_threads is set, those of SDL's audio threads (named "SDLAudio...").
std::atomic<long> counted_allocations{0};
thread_local bool watch_this_thread = false;
std::atomic<bool> watch_audio_threads{false};

}  // namespace

#if CORVANE_COUNTING_ALLOCATOR
namespace {

void count_allocation() noexcept {
  if (watch_this_thread) {
    counted_allocations.fetch_add(1, std::memory_order_relaxed);
  } else if (watch_audio_threads.load(std::memory_order_relaxed)) {
    char name[16] = {};
    prctl(PR_GET_NAME, name, 0, 0, 0);
    if (std::strncmp(name, "SDLAudio", 8) == 0) {
      counted_allocations.fetch_add(1, std::memory_order_relaxed);
    }
  }
}

}  // namespace

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void *__libc_memalign(size_t alignment, size_t size);

void *malloc(size_t size) noexcept {
  count_allocation();
  return __libc_malloc(size);
}
void *calloc(size_t count, size_t size) noexcept {
  count_allocation();
  return __libc_calloc(count, size);
}
void *realloc(void *block, size_t size) noexcept {
  count_allocation();
  return __libc_realloc(block, size);
}
void *aligned_alloc(size_t alignment, size_t size) noexcept {
  count_allocation();
  return __libc_memalign(alignment, size);
}
void *memalign(size_t alignment, size_t size) noexcept {
  count_allocation();
  return __libc_memalign(alignment, size);
}
int posix_memalign(void **block, size_t alignment, size_t size) noexcept {
  count_allocation();
  if (alignment % sizeof(void *) != 0 || (alignment & (alignment - 1)) != 0) return 22;  // EINVAL
  *block = __libc_memalign(alignment, size);
  return *block != nullptr || size == 0 ? 0 : 12;  // ENOMEM
}
}  // extern "C"
#endif

namespace {

using namespace corvane::testing;

class SdlSoundCallbackAllocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CORVANE_COUNTING_ALLOCATOR) GTEST_SKIP() << "the sanitizer's runtime owns malloc";
    ASSERT_EQ(startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr), 0);
  }
  void TearDown() override {
    for (sample *spl : samples) free_sample(spl);
    shutdown_corvane();
  }
  env_guard audio_driver{"SDL_AUDIODRIVER", "dummy"};
  std::vector<sample *> samples;
};

TEST_F(SdlSoundCallbackAllocTest, CallbackNeverAllocates) {
  // The replacement is in use: an allocation on a watched thread counts.
  watch_this_thread = true;
  void *probe = std::malloc(16);
  watch_this_thread = false;
  std::free(probe);
  ASSERT_EQ(counted_allocations.exchange(0), 1);

  digi_voices_wanted = 64;
  ASSERT_EQ(install_sound(corvane::sdl::DIGI_SDL, MIDI_NONE), 0);
  for (int i = 0; i < 64; ++i) {
    sample *spl = new_sample(i % 2 != 0 ? 16 : 8, (i / 2) % 2, 22050 + 300 * i, 3000 + 7 * i);
    std::memset(spl->data, 0x5A + i,
                static_cast<size_t>(spl->length) * (spl->bits / 8) * (spl->stereo != 0 ? 2 : 1));
    samples.push_back(spl);
    const int voice = start_sample(spl, 255, 4 * i, 1000, i % 3 != 0 ? 1 : 0);
    ASSERT_GE(voice, 0);
    set_voice_playmode(voice, i % 8);
    ramp_voice_volume(voice, 500, 10);
  }

  std::vector<Uint8> buffer(9000 * 4);
  SDL_LockAudioDevice(corvane::sdl::sound_device());
  watch_this_thread = true;
  for (int frames : {1, 1023, 1024, 1025, 3000, 9000, 17}) {
    corvane::sdl::fill_sound_output(nullptr, buffer.data(), frames * 4);
  }
  watch_this_thread = false;
  SDL_UnlockAudioDevice(corvane::sdl::sound_device());
  EXPECT_EQ(counted_allocations.exchange(0), 0) << "allocations in calls of the callback";

  // SDL's device thread, calling the callback every 23 ms or so, for a third of a second.
  watch_audio_threads = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(350));
  watch_audio_threads = false;
  EXPECT_EQ(counted_allocations.exchange(0), 0) << "allocations on SDL's device thread";
}

}  // namespace
