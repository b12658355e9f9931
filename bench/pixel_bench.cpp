// Fills: clear_to_color and draw_hline at 8, 16 and 32 bits against memset of the same bytes (the
// physical limit), and SDL2's SDL_FillRect where SDL2 is installed, in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "corvane/bitmap.h"

#ifdef CORVANE_BENCH_HAVE_SDL2
#include <SDL.h>
#endif

namespace {

// The screen sizes measured: 320x200, 640x480 and 1920x1080, named by their width.
constexpr int height_of(int width) { return width == 320 ? 200 : width == 640 ? 480 : 1080; }

int bytes_of(int depth) { return depth == 8 ? 1 : depth == 16 ? 2 : 4; }

void set_bytes(benchmark::State &state, int width, int depth) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * width * height_of(width) *
                          bytes_of(depth));
}

void BM_clear_to_color(benchmark::State &state) {
  const int width = static_cast<int>(state.range(0));
  const int depth = static_cast<int>(state.range(1));
  const int height = height_of(width);
  bitmap *bmp = create_bitmap_at_depth(depth, width, height);
  const int color = depth == 8 ? 0x5A : depth == 16 ? 0x1234 : 0x123456;
  for (auto _ : state) {
    bmp->vtable->clear_to_color(bmp, color);
    benchmark::ClobberMemory();
  }
  set_bytes(state, width, depth);
  destroy_bitmap(bmp);
}

void BM_draw_hline(benchmark::State &state) {
  const int width = static_cast<int>(state.range(0));
  const int depth = static_cast<int>(state.range(1));
  const int height = height_of(width);
  bitmap *bmp = create_bitmap_at_depth(depth, width, height);
  const int color = depth == 8 ? 0x5A : depth == 16 ? 0x1234 : 0x123456;
  for (auto _ : state) {
    for (int y = 0; y < height; ++y) bmp->vtable->draw_hline(bmp, 0, y, width - 1, color);
    benchmark::ClobberMemory();
  }
  set_bytes(state, width, depth);
  destroy_bitmap(bmp);
}

// The limit: memset over the same rows, one call per row.
void BM_memset_rows(benchmark::State &state) {
  const int width = static_cast<int>(state.range(0));
  const int depth = static_cast<int>(state.range(1));
  const int height = height_of(width);
  const size_t row = static_cast<size_t>(width) * bytes_of(depth);
  std::vector<unsigned char> memory(row * height);
  for (auto _ : state) {
    for (int y = 0; y < height; ++y) std::memset(memory.data() + row * y, 0x5A, row);
    benchmark::ClobberMemory();
  }
  set_bytes(state, width, depth);
}

#ifdef CORVANE_BENCH_HAVE_SDL2
void BM_sdl_fill_rect(benchmark::State &state) {
  const int width = static_cast<int>(state.range(0));
  const int depth = static_cast<int>(state.range(1));
  const int height = height_of(width);
  const Uint32 format = depth == 8    ? SDL_PIXELFORMAT_INDEX8
                        : depth == 16 ? SDL_PIXELFORMAT_RGB565
                                      : SDL_PIXELFORMAT_XRGB8888;
  SDL_Surface *surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, depth, format);
  for (auto _ : state) {
    SDL_FillRect(surface, nullptr, 0x123456u & (depth == 8 ? 0xFFu : depth == 16 ? 0xFFFFu : ~0u));
    benchmark::ClobberMemory();
  }
  set_bytes(state, width, depth);
  SDL_FreeSurface(surface);
}
BENCHMARK(BM_sdl_fill_rect)->ArgsProduct({{320, 640, 1920}, {8, 16, 32}});
#endif

BENCHMARK(BM_memset_rows)->ArgsProduct({{320, 640, 1920}, {8, 16, 32}});
BENCHMARK(BM_clear_to_color)->ArgsProduct({{320, 640, 1920}, {8, 16, 32}});
BENCHMARK(BM_draw_hline)->ArgsProduct({{320, 640, 1920}, {8, 16, 32}});

}  // namespace

BENCHMARK_MAIN();
