// Presentation of the SDL2 display drivers: converting a whole 640 x 480 screen of 8 and 16 bits
// into the texture's XRGB pixels, against memcpy of the converted bytes (the limit) and SDL2's own
// conversion (SDL_BlitSurface into an RGB888 surface) in the same run. Built with the SDL2
// drivers only.
#include <benchmark/benchmark.h>

#ifdef CORVANE_BENCH_HAVE_SDL2
#include <SDL.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "corvane/color.h"
#include "platform/sdl2/sdl_pixel_rows.h"

namespace {

constexpr int width = 640;
constexpr int height = 480;

int bytes_of(int depth) { return depth == 8 ? 1 : 2; }

void set_bytes(benchmark::State &state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * width * height * 4);
}

std::vector<unsigned char> pattern_screen(int depth) {
  std::vector<unsigned char> screen(static_cast<size_t>(width) * height * bytes_of(depth));
  for (size_t i = 0; i < screen.size(); ++i) screen[i] = static_cast<unsigned char>(i * 7 + 3);
  return screen;
}

void BM_convert_rows(benchmark::State &state) {
  const int depth = static_cast<int>(state.range(0));
  corvane::sdl::use_presentation_layout();
  const std::vector<unsigned char> screen = pattern_screen(depth);
  std::vector<uint32_t> out(static_cast<size_t>(width) * height);
  uint32_t palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x010203);
  const size_t stride = static_cast<size_t>(width) * bytes_of(depth);
  for (auto _ : state) {
    for (int y = 0; y < height; ++y) {
      corvane::sdl::convert_row_to_xrgb(depth, screen.data() + stride * y,
                                        out.data() + static_cast<size_t>(width) * y, width,
                                        palette);
    }
    benchmark::ClobberMemory();
  }
  set_bytes(state);
}
BENCHMARK(BM_convert_rows)->Arg(8)->Arg(16);

void BM_memcpy_converted(benchmark::State &state) {
  std::vector<uint32_t> in(static_cast<size_t>(width) * height, 0x123456u);
  std::vector<uint32_t> out(in.size());
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), in.size() * sizeof(uint32_t));
    benchmark::ClobberMemory();
  }
  set_bytes(state);
}
BENCHMARK(BM_memcpy_converted);

void BM_sdl_blit_to_rgb888(benchmark::State &state) {
  const int depth = static_cast<int>(state.range(0));
  std::vector<unsigned char> screen = pattern_screen(depth);
  SDL_Surface *source = SDL_CreateRGBSurfaceWithFormatFrom(
      screen.data(), width, height, depth, width * bytes_of(depth),
      depth == 8 ? SDL_PIXELFORMAT_INDEX8 : SDL_PIXELFORMAT_RGB565);
  SDL_Surface *dest = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGB888);
  if (depth == 8 && source != nullptr) {
    SDL_Color colors[256];
    for (int i = 0; i < 256; ++i) {
      colors[i] = SDL_Color{static_cast<Uint8>(i), static_cast<Uint8>(i * 2),
                            static_cast<Uint8>(i * 3), 255};
    }
    SDL_SetPaletteColors(source->format->palette, colors, 0, 256);
  }
  if (source == nullptr || dest == nullptr) {
    state.SkipWithError("SDL cannot make the surfaces");
  } else {
    for (auto _ : state) {
      SDL_BlitSurface(source, nullptr, dest, nullptr);
      benchmark::ClobberMemory();
    }
    set_bytes(state);
  }
  SDL_FreeSurface(source);
  SDL_FreeSurface(dest);
}
BENCHMARK(BM_sdl_blit_to_rgb888)->Arg(8)->Arg(16);

}  // namespace
#endif

BENCHMARK_MAIN();
