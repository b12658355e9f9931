// Blits: copies between memory bitmaps against memcpy of the same rows, colour-keyed 64x64 sprites
// at 32 bits and 8-to-32-bit palette conversion against SDL2's software blits (where SDL2 is
// installed), all in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"

#ifdef CORVANE_BENCH_HAVE_SDL2
#include <SDL.h>
#endif

namespace {

// The screen sizes measured: 320x200, 640x480 and 1920x1080, named by their width.
constexpr int height_of(int width) { return width == 320 ? 200 : width == 640 ? 480 : 1080; }

void fill_random(bitmap *bmp, unsigned seed, uint32_t mask, int mask_percent) {
  std::mt19937 rng(seed);
  const int bytes = bytes_per_pixel_of_depth(bmp->vtable->color_depth);
  for (int y = 0; y < bmp->height; ++y) {
    for (int x = 0; x < bmp->width; ++x) {
      uint32_t value = static_cast<int>(rng() % 100) < mask_percent ? mask : rng();
      std::memcpy(bmp->lines[y] + x * bytes, &value, static_cast<size_t>(bytes));
    }
  }
}

// ---- Copies -----------------------------------------------------------------------------------

void BM_blit_copy(benchmark::State &state) {
  const int width = static_cast<int>(state.range(0));
  const int depth = static_cast<int>(state.range(1));
  const int height = height_of(width);
  bitmap *source = create_bitmap_at_depth(depth, width, height);
  bitmap *dest = create_bitmap_at_depth(depth, width, height);
  fill_random(source, 1, 0, 0);
  for (auto _ : state) {
    blit(source, dest, 0, 0, 0, 0, width, height);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * width * height *
                          bytes_per_pixel_of_depth(depth));
  destroy_bitmap(source);
  destroy_bitmap(dest);
}
BENCHMARK(BM_blit_copy)->ArgsProduct({{320, 640, 1920}, {8, 16, 32}});

void BM_memcpy_rows(benchmark::State &state) {
  const int width = static_cast<int>(state.range(0));
  const int depth = static_cast<int>(state.range(1));
  const int height = height_of(width);
  const size_t row = static_cast<size_t>(width) * bytes_per_pixel_of_depth(depth);
  std::vector<unsigned char> source(row * height, 7), dest(row * height);
  for (auto _ : state) {
    for (int y = 0; y < height; ++y)
      std::memcpy(dest.data() + row * y, source.data() + row * y, row);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(row) *
                          height);
}
BENCHMARK(BM_memcpy_rows)->ArgsProduct({{320, 640, 1920}, {8, 16, 32}});

// ---- Colour-keyed 64x64 sprites at 32 bits ----------------------------------------------------

constexpr int SPRITE = 64;
constexpr int SPRITES_PER_ROUND = 64;

void BM_masked_blit_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = create_bitmap_at_depth(32, SPRITE, SPRITE);
  bitmap *screen = create_bitmap_at_depth(32, 640, 480);
  fill_random(sprite, 2, MASK_COLOR_32, 30);
  for (auto _ : state) {
    for (int i = 0; i < SPRITES_PER_ROUND; ++i) {
      masked_blit(sprite, screen, 0, 0, (i * 37) % 560, (i * 53) % 400, SPRITE, SPRITE);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * SPRITES_PER_ROUND);
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_masked_blit_64x64_32bpp);

// ---- 8-bit to 32-bit conversion ---------------------------------------------------------------

void BM_convert_8_to_32(benchmark::State &state) {
  const int width = static_cast<int>(state.range(0));
  const int height = height_of(width);
  palette pal;
  for (int i = 0; i < 256; ++i) {
    pal[i] = rgb_entry{static_cast<unsigned char>(i & 63), static_cast<unsigned char>(i >> 2),
                       static_cast<unsigned char>((i * 7) & 63), 0};
  }
  apply_palette(pal);
  bitmap *source = create_bitmap_at_depth(8, width, height);
  bitmap *dest = create_bitmap_at_depth(32, width, height);
  fill_random(source, 3, 0, 0);
  for (auto _ : state) {
    blit(source, dest, 0, 0, 0, 0, width, height);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * width * height);
  destroy_bitmap(source);
  destroy_bitmap(dest);
}
BENCHMARK(BM_convert_8_to_32)->Arg(320)->Arg(640);

#ifdef CORVANE_BENCH_HAVE_SDL2
void BM_sdl_colorkey_blit_64x64_32bpp(benchmark::State &state) {
  SDL_Surface *sprite =
      SDL_CreateRGBSurfaceWithFormat(0, SPRITE, SPRITE, 32, SDL_PIXELFORMAT_XRGB8888);
  SDL_Surface *screen = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_XRGB8888);
  std::mt19937 rng(2);
  auto *pixels = static_cast<uint32_t *>(sprite->pixels);
  for (int i = 0; i < SPRITE * SPRITE; ++i) {
    pixels[i] = static_cast<int>(rng() % 100) < 30 ? MASK_COLOR_32 : (rng() & 0xFFFFFF);
  }
  SDL_SetColorKey(sprite, SDL_TRUE, MASK_COLOR_32);
  for (auto _ : state) {
    for (int i = 0; i < SPRITES_PER_ROUND; ++i) {
      SDL_Rect at{(i * 37) % 560, (i * 53) % 400, SPRITE, SPRITE};
      SDL_BlitSurface(sprite, nullptr, screen, &at);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * SPRITES_PER_ROUND);
  SDL_FreeSurface(sprite);
  SDL_FreeSurface(screen);
}
BENCHMARK(BM_sdl_colorkey_blit_64x64_32bpp);

void BM_sdl_convert_8_to_32(benchmark::State &state) {
  const int width = static_cast<int>(state.range(0));
  const int height = height_of(width);
  SDL_Surface *source = SDL_CreateRGBSurfaceWithFormat(0, width, height, 8, SDL_PIXELFORMAT_INDEX8);
  SDL_Surface *dest =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888);
  SDL_Color colors[256];
  for (int i = 0; i < 256; ++i) {
    colors[i] = SDL_Color{static_cast<Uint8>(i), static_cast<Uint8>(255 - i),
                          static_cast<Uint8>(i * 7), 255};
  }
  SDL_SetPaletteColors(source->format->palette, colors, 0, 256);
  std::mt19937 rng(3);
  auto *pixels = static_cast<unsigned char *>(source->pixels);
  for (int i = 0; i < source->pitch * height; ++i) pixels[i] = static_cast<unsigned char>(rng());
  for (auto _ : state) {
    SDL_BlitSurface(source, nullptr, dest, nullptr);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * width * height);
  SDL_FreeSurface(source);
  SDL_FreeSurface(dest);
}
BENCHMARK(BM_sdl_convert_8_to_32)->Arg(320)->Arg(640);
#endif

}  // namespace

BENCHMARK_MAIN();
