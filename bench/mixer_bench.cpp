// The software mixer: render_mix with 64 playing voices into 44.1 kHz stereo 16-bit blocks of
// 1024 frames, at qualities 0, 1 and 2, for 8- and 16-bit, mono and stereo samples, reported as
// times real time on one core ("x_realtime"). Beside it, SDL2's plain mix (SDL_MixAudioFormat, no
// resampling) of 64 16-bit stereo streams into one block of the same size, where SDL2 is
// installed; a resampling case (samples at 1.37 times the output rate); and 64 silent voices,
// which cost one position update each per block.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "corvane/sound.h"
#include "sound/sound_internal.h"

#ifdef CORVANE_BENCH_HAVE_SDL2
#include <SDL.h>
#endif

namespace {

constexpr int RATE = 44100;
constexpr int FRAMES = 1024;
constexpr int VOICES = 64;
constexpr int SAMPLE_FRAMES = 1 << 16;  // longer than any run: no voice reaches its end

struct voice_set {
  std::vector<std::vector<uint8_t>> data;
  std::vector<sample> samples;
};

// Opens the mixer and plays 64 looping voices of random data at the given rate per mille.
voice_set start_voices(int quality, int bits, int stereo, int per_mille, int volume) {
  sound_quality = quality;
  int voices = VOICES;
  open_mixer(FRAMES * 2, RATE, 1, 1, &voices);
  set_mix_volume_shift(-1);
  voice_set set;
  set.data.resize(VOICES);
  set.samples.resize(VOICES);
  std::mt19937 rng(1);
  for (int v = 0; v < VOICES; ++v) {
    std::vector<uint8_t> &bytes = set.data[static_cast<size_t>(v)];
    bytes.resize(static_cast<size_t>(SAMPLE_FRAMES) * (bits / 8) * (stereo != 0 ? 2 : 1));
    for (uint8_t &b : bytes) b = static_cast<uint8_t>(rng());
    sample &spl = set.samples[static_cast<size_t>(v)];
    spl = sample{.bits = bits,
                 .stereo = stereo,
                 .frequency = RATE,
                 .priority = 128,
                 .length = SAMPLE_FRAMES,
                 .loop_start = 0,
                 .loop_end = SAMPLE_FRAMES,
                 .user_param = 0,
                 .data = bytes.data()};
    corvane::physical_voice &p = corvane::physical_voices[v];
    p.playmode = PLAYMODE_LOOP;
    p.volume = volume << 12;
    p.pan = static_cast<int>(rng() % 256) << 12;
    p.frequency = static_cast<int>(int64_t{RATE} * per_mille / 1000) << 12;
    p.volume_step = p.pan_step = p.frequency_step = 0;
    mixer_bind_voice(v, &spl);
    mixer_play_voice(v);
  }
  return set;
}

void report(benchmark::State &state) {
  state.counters["x_realtime"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * FRAMES / RATE, benchmark::Counter::kIsRate);
}

// Arguments: quality, sample bits, stereo sample.
void BM_render_mix_64_voices(benchmark::State &state) {
  const voice_set set =
      start_voices(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                   static_cast<int>(state.range(2)), 1000, 200);
  std::vector<int16_t> out(FRAMES * 2);
  for (auto _ : state) {
    render_mix(out.data(), 0, 1);
    benchmark::ClobberMemory();
  }
  report(state);
  close_mixer();
}
BENCHMARK(BM_render_mix_64_voices)->ArgsProduct({{0, 1, 2}, {8, 16}, {0, 1}});

// The same with every sample at 1.37 times the output rate: frame-by-frame reads.
void BM_render_mix_64_resampled_voices(benchmark::State &state) {
  const voice_set set = start_voices(static_cast<int>(state.range(0)), 16, 0, 1370, 200);
  std::vector<int16_t> out(FRAMES * 2);
  for (auto _ : state) {
    render_mix(out.data(), 0, 1);
    benchmark::ClobberMemory();
  }
  report(state);
  close_mixer();
}
BENCHMARK(BM_render_mix_64_resampled_voices)->DenseRange(0, 2);

void BM_render_mix_64_silent_voices(benchmark::State &state) {
  const voice_set set = start_voices(2, 16, 0, 1000, 0);
  std::vector<int16_t> out(FRAMES * 2);
  for (auto _ : state) {
    render_mix(out.data(), 0, 1);
    benchmark::ClobberMemory();
  }
  report(state);
  close_mixer();
}
BENCHMARK(BM_render_mix_64_silent_voices);

#ifdef CORVANE_BENCH_HAVE_SDL2
// SDL2's plain mix: each of 64 streams of 16-bit stereo frames added into one buffer, with
// clipping, at full volume.
void BM_SDL_MixAudioFormat_64_streams(benchmark::State &state) {
  std::mt19937 rng(1);
  std::vector<std::vector<int16_t>> streams(VOICES);
  for (auto &stream : streams) {
    stream.resize(FRAMES * 2);
    for (int16_t &s : stream) s = static_cast<int16_t>(rng());
  }
  std::vector<int16_t> out(FRAMES * 2);
  const auto bytes = static_cast<Uint32>(out.size() * sizeof(int16_t));
  for (auto _ : state) {
    SDL_memset(out.data(), 0, bytes);
    for (const auto &stream : streams) {
      SDL_MixAudioFormat(reinterpret_cast<Uint8 *>(out.data()),
                         reinterpret_cast<const Uint8 *>(stream.data()), AUDIO_S16SYS, bytes,
                         SDL_MIX_MAXVOLUME);
    }
    benchmark::ClobberMemory();
  }
  report(state);
}
BENCHMARK(BM_SDL_MixAudioFormat_64_streams);
#endif

}  // namespace

BENCHMARK_MAIN();
