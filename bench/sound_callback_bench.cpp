// The SDL2 sound driver's device callback: 64 looping 16-bit stereo voices at the interpolating
// quality, mixed into 44.1 kHz stereo 16-bit output that SDL asks for in pieces of its own size
// (the callback copies out of its mixed block and mixes the next one when it runs out). Reported
// as times real time on one core ("x_realtime") with the allocations made during the calls
// ("allocs_per_call", counted by a replaced malloc; it must stay 0). Beside it, the same voices
// mixed by render_mix straight into whole blocks (the callback's cost over the mixer is its copy),
// and the peer: a plain SDL2 program's callback mixing 64 streams with SDL_MixAudioFormat into
// the same pieces. SDL's device thread is held off with the device lock while the bench calls the
// callback itself; SDL_AUDIODRIVER is "dummy" unless set.
#include <benchmark/benchmark.h>

#ifdef CORVANE_BENCH_HAVE_SDL2
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "corvane/sound.h"
#include "corvane/system.h"
#include "platform/sdl2/sdl_digi_driver.h"
#include "sound/sound_internal.h"
#include "tests/support/counting_allocator.h"

namespace {

constexpr int RATE = 44100;
constexpr int VOICES = 64;
constexpr int SAMPLE_FRAMES = 1 << 16;

// An allocation on a watched thread is counted (else "allocs_per_call" would prove nothing).
bool allocations_are_counted() {
  counting_allocator::counted = 0;
  counting_allocator::watch_this_thread = true;
  void *block = std::malloc(16);
  benchmark::DoNotOptimize(block);
  counting_allocator::watch_this_thread = false;
  std::free(block);
  return counting_allocator::counted.exchange(0) == 1;
}

const char *start_library() {
  static const char *const failure = []() -> const char * {
    if (!allocations_are_counted()) return "malloc is not counted in this build";
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (startup_corvane(SYSTEM_AUTODETECT, nullptr, nullptr) != 0) return "startup_corvane failed";
    return nullptr;
  }();
  return failure;
}

// The SDL2 driver installed with 64 looping voices of random 16-bit stereo frames at the output
// rate, and the device locked; undone when it goes.
class playing_output {
 public:
  explicit playing_output(benchmark::State &state) {
    if (const char *failure = start_library()) {
      state.SkipWithError(failure);
      return;
    }
    sound_freq = RATE;
    sound_bits = 16;
    sound_stereo = -1;
    sound_quality = 2;
    digi_voices_wanted = VOICES;
    if (install_sound(corvane::sdl::DIGI_SDL, MIDI_NONE) != 0) {
      state.SkipWithError(error_text);
      return;
    }
    std::mt19937 rng(1);
    for (int v = 0; v < VOICES; ++v) {
      sample *spl = new_sample(16, 1, RATE, SAMPLE_FRAMES);
      auto *data = static_cast<uint16_t *>(spl->data);
      for (int i = 0; i < SAMPLE_FRAMES * 2; ++i) data[i] = static_cast<uint16_t>(rng());
      samples_.push_back(spl);
      start_sample(spl, 200, static_cast<int>(rng() % 256), 1000, 1);
    }
    SDL_LockAudioDevice(corvane::sdl::sound_device());
    ok_ = true;
  }
  ~playing_output() {
    if (ok_) SDL_UnlockAudioDevice(corvane::sdl::sound_device());
    remove_sound();
    for (sample *spl : samples_) free_sample(spl);
  }
  playing_output(const playing_output &) = delete;
  playing_output &operator=(const playing_output &) = delete;
  bool ok() const { return ok_; }

 private:
  std::vector<sample *> samples_;
  bool ok_ = false;
};

void report(benchmark::State &state, int frames_per_call) {
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * frames_per_call / RATE,
                         benchmark::Counter::kIsRate);
  state.counters["allocs_per_call"] =
      static_cast<double>(counting_allocator::counted.exchange(0)) /
      static_cast<double>(state.iterations());
}

// Argument: frames SDL asks for per call.
void BM_sdl_driver_callback_64_voices(benchmark::State &state) {
  const playing_output output(state);
  if (!output.ok()) return;
  const auto frames = static_cast<int>(state.range(0));
  std::vector<Uint8> out(static_cast<size_t>(frames) * 4);
  counting_allocator::counted = 0;
  for (auto _ : state) {
    counting_allocator::watch_this_thread = true;
    corvane::sdl::fill_sound_output(nullptr, out.data(), frames * 4);
    counting_allocator::watch_this_thread = false;
    benchmark::ClobberMemory();
  }
  report(state, frames);
}
BENCHMARK(BM_sdl_driver_callback_64_voices)->Arg(256)->Arg(940)->Arg(1024);

// The mixer alone on the same voices, one whole block a call.
void BM_render_mix_block_64_voices(benchmark::State &state) {
  const playing_output output(state);
  if (!output.ok()) return;
  const int frames = current_digi_driver->block_size();
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
  counting_allocator::counted = 0;
  for (auto _ : state) {
    counting_allocator::watch_this_thread = true;
    render_mix(out.data(), 0, 1);
    counting_allocator::watch_this_thread = false;
    benchmark::ClobberMemory();
  }
  report(state, frames);
}
BENCHMARK(BM_render_mix_block_64_voices);

// The peer: an SDL2 program's own callback, 64 looping streams of 16-bit stereo frames mixed
// into the piece with SDL_MixAudioFormat (no resampling, no panning).
void BM_SDL_callback_MixAudioFormat_64_streams(benchmark::State &state) {
  if (!allocations_are_counted()) {
    state.SkipWithError("malloc is not counted in this build");
    return;
  }
  const auto frames = static_cast<int>(state.range(0));
  std::mt19937 rng(1);
  std::vector<std::vector<int16_t>> streams(VOICES);
  for (auto &stream : streams) {
    stream.resize(SAMPLE_FRAMES * 2);
    for (int16_t &s : stream) s = static_cast<int16_t>(rng());
  }
  std::vector<Uint8> out(static_cast<size_t>(frames) * 4);
  int position = 0;
  counting_allocator::counted = 0;
  for (auto _ : state) {
    counting_allocator::watch_this_thread = true;
    SDL_memset(out.data(), 0, out.size());
    for (int done = 0; done < frames;) {
      const int count = std::min(frames - done, SAMPLE_FRAMES - position);
      for (const auto &stream : streams) {
        SDL_MixAudioFormat(out.data() + static_cast<size_t>(done) * 4,
                           reinterpret_cast<const Uint8 *>(stream.data() + position * 2),
                           AUDIO_S16SYS, static_cast<Uint32>(count * 4), 200 * 128 / 255);
      }
      done += count;
      position = (position + count) % SAMPLE_FRAMES;
    }
    counting_allocator::watch_this_thread = false;
    benchmark::ClobberMemory();
  }
  report(state, frames);
}
BENCHMARK(BM_SDL_callback_MixAudioFormat_64_streams)->Arg(256)->Arg(940)->Arg(1024);

}  // namespace
#endif

BENCHMARK_MAIN();
