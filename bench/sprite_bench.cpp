// Sprites at 32 bits, 64x64, 64 per round at spread positions on a 640x480 bitmap: the plain
// sprite against the masked blit of the same pixels, run-length forms against SDL2's RLE blit of
// the same pixels, the translucent sprite (mix at weight 128, bitmap and run-length, square and
// shaped) against SDL2's per-surface alpha blit and pixman's OVER with a half mask, and the alpha
// sprite (bitmap and run-length) against SDL2's and pixman's per-pixel alpha, and onto 16- and
// 24-bit screens against SDL2's blit onto the same formats, all in the same run; memcpy of the
// sprites' rows (and of just the shaped sprite's opaque spans) is the limit. The blends of one
// screen-sized sprite (640x480 and 1920x1080) sit beside memcpy of the same rows.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/draw.h"

#ifdef CORVANE_BENCH_HAVE_SDL2
#include <SDL.h>
#endif
#ifdef CORVANE_BENCH_HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

constexpr int SPRITE = 64;
constexpr int SPRITES_PER_ROUND = 64;
constexpr int SCREEN_W = 640;
constexpr int SCREEN_H = 480;

int spot_x(int i) { return (i * 37) % (SCREEN_W - SPRITE); }
int spot_y(int i) { return (i * 53) % (SCREEN_H - SPRITE); }

// Random 32-bit pixels, mask_percent of them the mask colour; alpha bytes random when alpha is set.
void fill_pixels(uint32_t *pixels, size_t count, unsigned seed, int mask_percent, bool alpha) {
  std::mt19937 rng(seed);
  for (size_t i = 0; i < count; ++i) {
    const bool masked = static_cast<int>(rng() % 100) < mask_percent;
    pixels[i] = masked ? MASK_COLOR_32 : (alpha ? rng() : rng() & 0xFFFFFF);
  }
}

bitmap *make_sprite(unsigned seed, int mask_percent, bool alpha) {
  bitmap *sprite = create_bitmap_at_depth(32, SPRITE, SPRITE);
  for (int y = 0; y < SPRITE; ++y) {
    fill_pixels(reinterpret_cast<uint32_t *>(sprite->lines[y]), SPRITE,
                seed + static_cast<unsigned>(y), mask_percent, alpha);
  }
  return sprite;
}

bitmap *make_screen() {
  bitmap *screen = create_bitmap_at_depth(32, SCREEN_W, SCREEN_H);
  clear_to_color(screen, 0x336699);
  return screen;
}

template <class Draw>
void run_rounds(benchmark::State &state, Draw draw) {
  for (auto _ : state) {
    for (int i = 0; i < SPRITES_PER_ROUND; ++i) draw(spot_x(i), spot_y(i));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * SPRITES_PER_ROUND);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * SPRITES_PER_ROUND * SPRITE *
                          SPRITE * 4);
}

// ---- Colour-keyed sprites
// ------------------------------------------------------------------------

void BM_draw_sprite_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_sprite(2, 30, false);
  bitmap *screen = make_screen();
  run_rounds(state, [&](int x, int y) { draw_sprite(screen, sprite, x, y); });
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_draw_sprite_64x64_32bpp);

void BM_masked_blit_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_sprite(2, 30, false);
  bitmap *screen = make_screen();
  run_rounds(state, [&](int x, int y) { masked_blit(sprite, screen, 0, 0, x, y, SPRITE, SPRITE); });
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_masked_blit_64x64_32bpp);

void BM_draw_sprite_hflip_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_sprite(2, 30, false);
  bitmap *screen = make_screen();
  run_rounds(state, [&](int x, int y) { draw_sprite_hflip(screen, sprite, x, y); });
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_draw_sprite_hflip_64x64_32bpp);

// A sprite shaped like most game sprites: a disc of opaque pixels on a transparent square, so
// that each row is one transparent run, one literal run and another transparent run.
bitmap *make_shaped_sprite() {
  bitmap *sprite = make_sprite(5, 0, false);
  for (int y = 0; y < SPRITE; ++y) {
    for (int x = 0; x < SPRITE; ++x) {
      const int dx = 2 * x - SPRITE + 1, dy = 2 * y - SPRITE + 1;
      if (dx * dx + dy * dy > SPRITE * SPRITE) put_pixel(sprite, x, y, MASK_COLOR_32);
    }
  }
  return sprite;
}

void BM_draw_sprite_shaped_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_shaped_sprite();
  bitmap *screen = make_screen();
  run_rounds(state, [&](int x, int y) { draw_sprite(screen, sprite, x, y); });
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_draw_sprite_shaped_64x64_32bpp);

void BM_draw_rle_shaped_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_shaped_sprite();
  run_sprite *rle = create_run_sprite(sprite);
  bitmap *screen = make_screen();
  run_rounds(state, [&](int x, int y) { draw_rle(screen, rle, x, y); });
  destroy_run_sprite(rle);
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_draw_rle_shaped_64x64_32bpp);

// The limit of the shaped sprite's forms: memcpy of just its opaque span in each row.
void BM_memcpy_spans_shaped_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_shaped_sprite();
  bitmap *screen = make_screen();
  std::vector<std::pair<int, int>> spans;  // first opaque pixel and count, per row
  for (int y = 0; y < SPRITE; ++y) {
    int first = 0;
    while (first < SPRITE && get_pixel(sprite, first, y) == MASK_COLOR_32) ++first;
    int last = SPRITE;
    while (last > first && get_pixel(sprite, last - 1, y) == MASK_COLOR_32) --last;
    spans.emplace_back(first, last - first);
  }
  run_rounds(state, [&](int x, int y) {
    for (int r = 0; r < SPRITE; ++r) {
      const auto [first, count] = spans[r];
      std::memcpy(screen->lines[y + r] + (x + first) * 4, sprite->lines[r] + first * 4,
                  static_cast<size_t>(count) * 4);
    }
  });
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_memcpy_spans_shaped_64x64_32bpp);

// Noise with 30% transparent pixels: runs of one or two pixels, the worst case of the format.
void BM_draw_rle_noise_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_sprite(2, 30, false);
  run_sprite *rle = create_run_sprite(sprite);
  bitmap *screen = make_screen();
  run_rounds(state, [&](int x, int y) { draw_rle(screen, rle, x, y); });
  destroy_run_sprite(rle);
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_draw_rle_noise_64x64_32bpp);

#ifdef CORVANE_BENCH_HAVE_SDL2
// SDL2's colour-keyed RLE blit of the same pixels (the key is the mask colour).
void sdl_rle_rounds(benchmark::State &state, bitmap *sprite) {
  SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, SPRITE, SPRITE, 32, SDL_PIXELFORMAT_XRGB8888);
  for (int y = 0; y < SPRITE; ++y) {
    std::memcpy(static_cast<unsigned char *>(s->pixels) + y * s->pitch, sprite->lines[y],
                SPRITE * 4);
  }
  SDL_SetColorKey(s, SDL_TRUE, MASK_COLOR_32);
  SDL_SetSurfaceRLE(s, 1);
  SDL_Surface *screen =
      SDL_CreateRGBSurfaceWithFormat(0, SCREEN_W, SCREEN_H, 32, SDL_PIXELFORMAT_XRGB8888);
  run_rounds(state, [&](int x, int y) {
    SDL_Rect at{x, y, SPRITE, SPRITE};
    SDL_BlitSurface(s, nullptr, screen, &at);
  });
  SDL_FreeSurface(s);
  SDL_FreeSurface(screen);
}

void BM_sdl_rle_blit_shaped_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_shaped_sprite();
  sdl_rle_rounds(state, sprite);
  destroy_bitmap(sprite);
}
BENCHMARK(BM_sdl_rle_blit_shaped_64x64_32bpp);

void BM_sdl_rle_blit_noise_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_sprite(2, 30, false);
  sdl_rle_rounds(state, sprite);
  destroy_bitmap(sprite);
}
BENCHMARK(BM_sdl_rle_blit_noise_64x64_32bpp);
#endif

// The limit: memcpy of each sprite row onto the screen, at the same 64 places on the same screen
// as every sprite benchmark here. It moves the same streams as a blend: the sprite's rows are read
// (16 KiB that stay in the first-level cache in both), and the screen's lines are read and written
// (a store must own its line first, so memcpy reads them as the blend does). The screen (1.2 MB)
// is about the size of the second-level cache in both. A blend differs only in the arithmetic.
void BM_memcpy_rows_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_sprite(3, 0, false);
  bitmap *screen = make_screen();
  run_rounds(state, [&](int x, int y) {
    for (int r = 0; r < SPRITE; ++r) {
      std::memcpy(screen->lines[y + r] + x * 4, sprite->lines[r], SPRITE * 4);
    }
  });
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_memcpy_rows_64x64_32bpp);

// ---- Translucent sprites: half weight
// --------------------------------------------------------------

void BM_draw_sprite_trans_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_sprite(3, 0, false);
  bitmap *screen = make_screen();
  select_mix_blend(0, 0, 0, 128);
  run_rounds(state, [&](int x, int y) { draw_sprite_trans(screen, sprite, x, y); });
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_draw_sprite_trans_64x64_32bpp);

void BM_draw_rle_trans_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_sprite(3, 0, false);
  run_sprite *rle = create_run_sprite(sprite);
  bitmap *screen = make_screen();
  select_mix_blend(0, 0, 0, 128);
  run_rounds(state, [&](int x, int y) { draw_rle_trans(screen, rle, x, y); });
  destroy_run_sprite(rle);
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_draw_rle_trans_64x64_32bpp);

// The same through a blender the library does not know: one call per pixel.
uint32_t own_mix(uint32_t x, uint32_t y, uint32_t n) {
  const uint32_t rb = (y + ((n * ((x & 0xFF00FF) - (y & 0xFF00FF))) >> 8)) & 0xFF00FF;
  const uint32_t g = ((y & 0xFF00) + ((n * ((x & 0xFF00) - (y & 0xFF00))) >> 8)) & 0xFF00;
  return rb | g;
}

void BM_draw_sprite_trans_own_blender_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_sprite(3, 0, false);
  bitmap *screen = make_screen();
  set_blend_hooks(own_mix, own_mix, own_mix, 0, 0, 0, 128);
  run_rounds(state, [&](int x, int y) { draw_sprite_trans(screen, sprite, x, y); });
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_draw_sprite_trans_own_blender_64x64_32bpp);

void BM_draw_sprite_alpha_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_sprite(4, 0, true);
  bitmap *screen = make_screen();
  select_alpha_blend();
  run_rounds(state, [&](int x, int y) { draw_sprite_alpha(screen, sprite, x, y); });
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_draw_sprite_alpha_64x64_32bpp);

void BM_draw_rle_alpha_64x64_32bpp(benchmark::State &state) {
  bitmap *sprite = make_sprite(4, 0, true);
  run_sprite *rle = create_run_sprite(sprite);
  bitmap *screen = make_screen();
  select_alpha_blend();
  run_rounds(state, [&](int x, int y) { draw_rle_alpha(screen, rle, x, y); });
  destroy_run_sprite(rle);
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_draw_rle_alpha_64x64_32bpp);

// Alpha sprites onto 16- and 24-bit screens (the 32-bit sprite's alpha weighs it over the narrower
// pixels), bitmap and run-length forms, against SDL2's per-pixel alpha blit onto RGB565 and RGB24
// below.
void alpha_onto_depth(benchmark::State &state, int depth, bool rle = false) {
  bitmap *sprite = make_sprite(4, 0, true);
  run_sprite *runs = rle ? create_run_sprite(sprite) : nullptr;
  bitmap *screen = create_bitmap_at_depth(depth, SCREEN_W, SCREEN_H);
  clear_to_color(screen, depth == 16 ? 0x3339 : 0x336699);
  select_alpha_blend();
  if (rle) {
    run_rounds(state, [&](int x, int y) { draw_rle_alpha(screen, runs, x, y); });
    destroy_run_sprite(runs);
  } else {
    run_rounds(state, [&](int x, int y) { draw_sprite_alpha(screen, sprite, x, y); });
  }
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
void BM_draw_sprite_alpha_64x64_32_onto_16bpp(benchmark::State &state) {
  alpha_onto_depth(state, 16);
}
BENCHMARK(BM_draw_sprite_alpha_64x64_32_onto_16bpp);
void BM_draw_sprite_alpha_64x64_32_onto_24bpp(benchmark::State &state) {
  alpha_onto_depth(state, 24);
}
BENCHMARK(BM_draw_sprite_alpha_64x64_32_onto_24bpp);

// Run-length forms of the shaped sprite (one literal run per row, of 20-64 pixels) beside the
// bitmap forms of the same pixels: the runs blend fewer pixels, so they should be no slower.
void shaped_blend(benchmark::State &state, bool alpha, bool rle) {
  bitmap *sprite = make_shaped_sprite();
  if (alpha) {
    // The shaped sprite's pixels with random alpha bytes, transparent corners kept.
    std::mt19937 rng(6);
    for (int y = 0; y < SPRITE; ++y) {
      auto *row = reinterpret_cast<uint32_t *>(sprite->lines[y]);
      for (int x = 0; x < SPRITE; ++x) {
        if (row[x] != MASK_COLOR_32) row[x] |= (rng() & 255u) << 24;
      }
    }
    select_alpha_blend();
  } else {
    select_mix_blend(0, 0, 0, 128);
  }
  run_sprite *runs = create_run_sprite(sprite);
  bitmap *screen = make_screen();
  run_rounds(state, [&](int x, int y) {
    if (rle) {
      alpha ? draw_rle_alpha(screen, runs, x, y) : draw_rle_trans(screen, runs, x, y);
    } else {
      alpha ? draw_sprite_alpha(screen, sprite, x, y) : draw_sprite_trans(screen, sprite, x, y);
    }
  });
  destroy_run_sprite(runs);
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
void BM_draw_sprite_trans_shaped_64x64_32bpp(benchmark::State &state) {
  shaped_blend(state, false, false);
}
BENCHMARK(BM_draw_sprite_trans_shaped_64x64_32bpp);
void BM_draw_rle_trans_shaped_64x64_32bpp(benchmark::State &state) {
  shaped_blend(state, false, true);
}
BENCHMARK(BM_draw_rle_trans_shaped_64x64_32bpp);
void BM_draw_sprite_alpha_shaped_64x64_32bpp(benchmark::State &state) {
  shaped_blend(state, true, false);
}
BENCHMARK(BM_draw_sprite_alpha_shaped_64x64_32bpp);
void BM_draw_rle_alpha_shaped_64x64_32bpp(benchmark::State &state) {
  shaped_blend(state, true, true);
}
BENCHMARK(BM_draw_rle_alpha_shaped_64x64_32bpp);

// Run-length alpha sprites onto 16- and 24-bit screens, beside the bitmap forms above.
void BM_draw_rle_alpha_64x64_32_onto_16bpp(benchmark::State &state) {
  alpha_onto_depth(state, 16, true);
}
BENCHMARK(BM_draw_rle_alpha_64x64_32_onto_16bpp);
void BM_draw_rle_alpha_64x64_32_onto_24bpp(benchmark::State &state) {
  alpha_onto_depth(state, 24, true);
}
BENCHMARK(BM_draw_rle_alpha_64x64_32_onto_24bpp);

// ---- One screen-sized sprite onto a screen of its size: memory-bound, three streams against
// memcpy's two. Arguments: width, height.
// ------------------------------------------------------------------------------------------------

template <class Draw>
void run_screen_sized(benchmark::State &state, bool alpha, Draw draw) {
  const auto w = static_cast<int>(state.range(0));
  const auto h = static_cast<int>(state.range(1));
  bitmap *sprite = create_bitmap_at_depth(32, w, h);
  for (int y = 0; y < h; ++y) {
    fill_pixels(reinterpret_cast<uint32_t *>(sprite->lines[y]), static_cast<size_t>(w),
                7 + static_cast<unsigned>(y), 0, alpha);
  }
  bitmap *screen = create_bitmap_at_depth(32, w, h);
  clear_to_color(screen, 0x336699);
  for (auto _ : state) {
    draw(screen, sprite);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * w * h * 4);
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}

void BM_memcpy_rows_screen_32bpp(benchmark::State &state) {
  run_screen_sized(state, false, [](bitmap *screen, bitmap *sprite) {
    for (int r = 0; r < sprite->height; ++r) {
      std::memcpy(screen->lines[r], sprite->lines[r], static_cast<size_t>(sprite->width) * 4);
    }
  });
}
BENCHMARK(BM_memcpy_rows_screen_32bpp)->Args({640, 480})->Args({1920, 1080});

void BM_draw_sprite_trans_screen_32bpp(benchmark::State &state) {
  select_mix_blend(0, 0, 0, 128);
  run_screen_sized(state, false,
                   [](bitmap *screen, bitmap *sprite) { draw_sprite_trans(screen, sprite, 0, 0); });
}
BENCHMARK(BM_draw_sprite_trans_screen_32bpp)->Args({640, 480})->Args({1920, 1080});

void BM_draw_sprite_alpha_screen_32bpp(benchmark::State &state) {
  select_alpha_blend();
  run_screen_sized(state, true,
                   [](bitmap *screen, bitmap *sprite) { draw_sprite_alpha(screen, sprite, 0, 0); });
}
BENCHMARK(BM_draw_sprite_alpha_screen_32bpp)->Args({640, 480})->Args({1920, 1080});

#ifdef CORVANE_BENCH_HAVE_SDL2
SDL_Surface *sdl_sprite(unsigned seed, bool alpha) {
  SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(
      0, SPRITE, SPRITE, 32, alpha ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_XRGB8888);
  for (int y = 0; y < SPRITE; ++y) {
    fill_pixels(
        reinterpret_cast<uint32_t *>(static_cast<unsigned char *>(s->pixels) + y * s->pitch),
        SPRITE, seed + static_cast<unsigned>(y), 0, alpha);
  }
  return s;
}

void BM_sdl_surface_alpha_blit_64x64_32bpp(benchmark::State &state) {
  SDL_Surface *sprite = sdl_sprite(3, false);
  SDL_Surface *screen =
      SDL_CreateRGBSurfaceWithFormat(0, SCREEN_W, SCREEN_H, 32, SDL_PIXELFORMAT_XRGB8888);
  SDL_SetSurfaceBlendMode(sprite, SDL_BLENDMODE_BLEND);
  SDL_SetSurfaceAlphaMod(sprite, 128);
  run_rounds(state, [&](int x, int y) {
    SDL_Rect at{x, y, SPRITE, SPRITE};
    SDL_BlitSurface(sprite, nullptr, screen, &at);
  });
  SDL_FreeSurface(sprite);
  SDL_FreeSurface(screen);
}
BENCHMARK(BM_sdl_surface_alpha_blit_64x64_32bpp);

void BM_sdl_pixel_alpha_blit_64x64_32bpp(benchmark::State &state) {
  SDL_Surface *sprite = sdl_sprite(4, true);
  SDL_Surface *screen =
      SDL_CreateRGBSurfaceWithFormat(0, SCREEN_W, SCREEN_H, 32, SDL_PIXELFORMAT_XRGB8888);
  SDL_SetSurfaceBlendMode(sprite, SDL_BLENDMODE_BLEND);
  run_rounds(state, [&](int x, int y) {
    SDL_Rect at{x, y, SPRITE, SPRITE};
    SDL_BlitSurface(sprite, nullptr, screen, &at);
  });
  SDL_FreeSurface(sprite);
  SDL_FreeSurface(screen);
}
BENCHMARK(BM_sdl_pixel_alpha_blit_64x64_32bpp);

void sdl_alpha_onto(benchmark::State &state, Uint32 format, int depth) {
  SDL_Surface *sprite = sdl_sprite(4, true);
  SDL_Surface *screen = SDL_CreateRGBSurfaceWithFormat(0, SCREEN_W, SCREEN_H, depth, format);
  SDL_SetSurfaceBlendMode(sprite, SDL_BLENDMODE_BLEND);
  run_rounds(state, [&](int x, int y) {
    SDL_Rect at{x, y, SPRITE, SPRITE};
    SDL_BlitSurface(sprite, nullptr, screen, &at);
  });
  SDL_FreeSurface(sprite);
  SDL_FreeSurface(screen);
}
void BM_sdl_pixel_alpha_blit_64x64_32_onto_16bpp(benchmark::State &state) {
  sdl_alpha_onto(state, SDL_PIXELFORMAT_RGB565, 16);
}
BENCHMARK(BM_sdl_pixel_alpha_blit_64x64_32_onto_16bpp);
void BM_sdl_pixel_alpha_blit_64x64_32_onto_24bpp(benchmark::State &state) {
  sdl_alpha_onto(state, SDL_PIXELFORMAT_RGB24, 24);
}
BENCHMARK(BM_sdl_pixel_alpha_blit_64x64_32_onto_24bpp);
#endif

#ifdef CORVANE_BENCH_HAVE_PIXMAN
void BM_pixman_over_half_64x64_32bpp(benchmark::State &state) {
  std::vector<uint32_t> sprite_pixels(SPRITE * SPRITE);
  fill_pixels(sprite_pixels.data(), sprite_pixels.size(), 3, 0, false);
  for (auto &p : sprite_pixels) p |= 0xFF000000;
  std::vector<uint32_t> screen_pixels(SCREEN_W * SCREEN_H, 0x336699);
  pixman_image_t *sprite =
      pixman_image_create_bits(PIXMAN_a8r8g8b8, SPRITE, SPRITE, sprite_pixels.data(), SPRITE * 4);
  pixman_image_t *screen = pixman_image_create_bits(PIXMAN_x8r8g8b8, SCREEN_W, SCREEN_H,
                                                    screen_pixels.data(), SCREEN_W * 4);
  const pixman_color_t half = {0x8080, 0x8080, 0x8080, 0x8080};
  pixman_image_t *mask = pixman_image_create_solid_fill(&half);
  run_rounds(state, [&](int x, int y) {
    pixman_image_composite32(PIXMAN_OP_OVER, sprite, mask, screen, 0, 0, 0, 0, x, y, SPRITE,
                             SPRITE);
  });
  pixman_image_unref(mask);
  pixman_image_unref(sprite);
  pixman_image_unref(screen);
}
BENCHMARK(BM_pixman_over_half_64x64_32bpp);

void BM_pixman_over_pixel_alpha_64x64_32bpp(benchmark::State &state) {
  std::vector<uint32_t> sprite_pixels(SPRITE * SPRITE);
  fill_pixels(sprite_pixels.data(), sprite_pixels.size(), 4, 0, true);
  std::vector<uint32_t> screen_pixels(SCREEN_W * SCREEN_H, 0x336699);
  pixman_image_t *sprite =
      pixman_image_create_bits(PIXMAN_a8r8g8b8, SPRITE, SPRITE, sprite_pixels.data(), SPRITE * 4);
  pixman_image_t *screen = pixman_image_create_bits(PIXMAN_x8r8g8b8, SCREEN_W, SCREEN_H,
                                                    screen_pixels.data(), SCREEN_W * 4);
  run_rounds(state, [&](int x, int y) {
    pixman_image_composite32(PIXMAN_OP_OVER, sprite, nullptr, screen, 0, 0, 0, 0, x, y, SPRITE,
                             SPRITE);
  });
  pixman_image_unref(sprite);
  pixman_image_unref(screen);
}
BENCHMARK(BM_pixman_over_pixel_alpha_64x64_32bpp);
#endif

}  // namespace

BENCHMARK_MAIN();
