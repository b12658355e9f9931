// Depth conversions without dithering: blit between bitmaps of 15, 16, 24 and 32 bits (every pair,
// both ways) at 640x480 and 1920x1080, against pixman's SRC composite between the matching formats
// and SDL2's SDL_BlitSurface between the matching surfaces, all in the same run. Figures are pixels
// a second; memcpy of the destination's bytes is the limit.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"

#ifdef CORVANE_BENCH_HAVE_SDL2
#include <SDL.h>
#endif
#ifdef CORVANE_BENCH_HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

constexpr int height_of(int width) { return width == 640 ? 480 : 1080; }

int bytes_of(int depth) { return depth == 15 ? 2 : depth / 8; }

void set_pixels(benchmark::State &state, int width) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * width * height_of(width));
}

// Random bytes, the same for every peer.
void fill_random(unsigned char *row, size_t bytes, unsigned seed) {
  std::mt19937 rng(seed);
  for (size_t i = 0; i < bytes; ++i) row[i] = static_cast<unsigned char>(rng());
}

// Arguments: source depth, destination depth, width.
void depth_pairs(benchmark::internal::Benchmark *b) {
  const int depths[] = {32, 24, 16, 15};
  for (int width : {640, 1920}) {
    for (int from : depths) {
      for (int to : depths) {
        if (from != to) b->Args({from, to, width});
      }
    }
  }
}

void BM_convert(benchmark::State &state) {
  const int from = static_cast<int>(state.range(0));
  const int to = static_cast<int>(state.range(1));
  const int width = static_cast<int>(state.range(2));
  const int height = height_of(width);
  set_color_conversion(0);
  bitmap *source = create_bitmap_at_depth(from, width, height);
  bitmap *dest = create_bitmap_at_depth(to, width, height);
  for (int y = 0; y < height; ++y) {
    fill_random(source->lines[y], static_cast<size_t>(width) * bytes_of(from),
                static_cast<unsigned>(y));
  }
  for (auto _ : state) {
    blit(source, dest, 0, 0, 0, 0, width, height);
    benchmark::ClobberMemory();
  }
  set_pixels(state, width);
  destroy_bitmap(source);
  destroy_bitmap(dest);
}
BENCHMARK(BM_convert)->Apply(depth_pairs);

// The limit: memcpy of the destination's bytes, row by row.
void BM_memcpy_dest_rows(benchmark::State &state) {
  const int to = static_cast<int>(state.range(0));
  const int width = static_cast<int>(state.range(1));
  const int height = height_of(width);
  const size_t row = static_cast<size_t>(width) * bytes_of(to);
  std::vector<unsigned char> source(row * height, 7), dest(row * height);
  for (auto _ : state) {
    for (int y = 0; y < height; ++y) {
      std::memcpy(dest.data() + row * y, source.data() + row * y, row);
    }
    benchmark::ClobberMemory();
  }
  set_pixels(state, width);
}
BENCHMARK(BM_memcpy_dest_rows)->ArgsProduct({{32, 24, 16}, {640, 1920}});

#ifdef CORVANE_BENCH_HAVE_PIXMAN
pixman_format_code_t pixman_format_of(int depth) {
  switch (depth) {
    case 15:
      return PIXMAN_x1r5g5b5;
    case 16:
      return PIXMAN_r5g6b5;
    case 24:
      return PIXMAN_r8g8b8;
    default:
      return PIXMAN_x8r8g8b8;
  }
}

void BM_pixman_convert(benchmark::State &state) {
  const int from = static_cast<int>(state.range(0));
  const int to = static_cast<int>(state.range(1));
  const int width = static_cast<int>(state.range(2));
  const int height = height_of(width);
  // pixman wants rows of whole 32-bit words.
  const int source_stride = (width * bytes_of(from) + 3) & ~3;
  const int dest_stride = (width * bytes_of(to) + 3) & ~3;
  std::vector<uint32_t> source_bits(static_cast<size_t>(source_stride) * height / 4);
  std::vector<uint32_t> dest_bits(static_cast<size_t>(dest_stride) * height / 4);
  auto *bytes = reinterpret_cast<unsigned char *>(source_bits.data());
  for (int y = 0; y < height; ++y) {
    fill_random(bytes + static_cast<size_t>(source_stride) * y,
                static_cast<size_t>(width) * bytes_of(from), static_cast<unsigned>(y));
  }
  pixman_image_t *source = pixman_image_create_bits(pixman_format_of(from), width, height,
                                                    source_bits.data(), source_stride);
  pixman_image_t *dest =
      pixman_image_create_bits(pixman_format_of(to), width, height, dest_bits.data(), dest_stride);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, dest, 0, 0, 0, 0, 0, 0, width,
                             height);
    benchmark::ClobberMemory();
  }
  set_pixels(state, width);
  pixman_image_unref(source);
  pixman_image_unref(dest);
}
BENCHMARK(BM_pixman_convert)->Apply(depth_pairs);
#endif

#ifdef CORVANE_BENCH_HAVE_SDL2
Uint32 sdl_format_of(int depth) {
  switch (depth) {
    case 15:
      return SDL_PIXELFORMAT_XRGB1555;
    case 16:
      return SDL_PIXELFORMAT_RGB565;
    case 24:
      return SDL_PIXELFORMAT_RGB24;
    default:
      return SDL_PIXELFORMAT_XRGB8888;
  }
}

void BM_sdl_convert(benchmark::State &state) {
  const int from = static_cast<int>(state.range(0));
  const int to = static_cast<int>(state.range(1));
  const int width = static_cast<int>(state.range(2));
  const int height = height_of(width);
  SDL_Surface *source = SDL_CreateRGBSurfaceWithFormat(0, width, height, from, sdl_format_of(from));
  SDL_Surface *dest = SDL_CreateRGBSurfaceWithFormat(0, width, height, to, sdl_format_of(to));
  if (source == nullptr || dest == nullptr) {
    state.SkipWithError("SDL cannot make the surfaces");
  } else {
    for (int y = 0; y < height; ++y) {
      fill_random(static_cast<unsigned char *>(source->pixels) + source->pitch * y,
                  static_cast<size_t>(width) * bytes_of(from), static_cast<unsigned>(y));
    }
    for (auto _ : state) {
      SDL_BlitSurface(source, nullptr, dest, nullptr);
      benchmark::ClobberMemory();
    }
    set_pixels(state, width);
  }
  SDL_FreeSurface(source);
  SDL_FreeSurface(dest);
}
BENCHMARK(BM_sdl_convert)->Apply(depth_pairs);
#endif

}  // namespace

BENCHMARK_MAIN();
