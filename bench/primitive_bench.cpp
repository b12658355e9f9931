// Primitives on a 640x480 bitmap: fill_rect of the whole bitmap against clear_to_color of the same
// pixels and SDL2's and pixman's fills, smaller rectangles, lines, circles, ellipses, polygons and
// flood fill, all in the same run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/draw.h"

#ifdef CORVANE_BENCH_HAVE_SDL2
#include <SDL.h>
#endif
#ifdef CORVANE_BENCH_HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

constexpr int W = 640;
constexpr int H = 480;

struct canvas {
  bitmap *bmp;
  explicit canvas(int depth) : bmp(create_bitmap_at_depth(depth, W, H)) { clear_to_color(bmp, 0); }
  ~canvas() { destroy_bitmap(bmp); }
  canvas(const canvas &) = delete;
  canvas &operator=(const canvas &) = delete;
};

// ---- Fills -----------------------------------------------------------------------------------

void BM_fill_rect_whole(benchmark::State &state) {
  const canvas c(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    fill_rect(c.bmp, 0, 0, W - 1, H - 1, 0x123456);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * W * H *
                          bytes_per_pixel_of_depth(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_fill_rect_whole)->Arg(8)->Arg(16)->Arg(32);

void BM_clear_to_color_whole(benchmark::State &state) {
  const canvas c(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    clear_to_color(c.bmp, 0x123456);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * W * H *
                          bytes_per_pixel_of_depth(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_clear_to_color_whole)->Arg(8)->Arg(16)->Arg(32);

// 64 rectangles of 64x48 per round, as a game fills tiles.
void BM_fill_rect_64x48_32bpp(benchmark::State &state) {
  const canvas c(32);
  for (auto _ : state) {
    for (int i = 0; i < 64; ++i) {
      const int x = (i * 37) % (W - 64);
      const int y = (i * 53) % (H - 48);
      fill_rect(c.bmp, x, y, x + 63, y + 47, i);
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 64 * 64 * 48 * 4);
}
BENCHMARK(BM_fill_rect_64x48_32bpp);

#ifdef CORVANE_BENCH_HAVE_SDL2
void BM_sdl_fill_rect_whole_32bpp(benchmark::State &state) {
  SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, W, H, 32, SDL_PIXELFORMAT_XRGB8888);
  for (auto _ : state) {
    SDL_FillRect(s, nullptr, 0x123456);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * W * H * 4);
  SDL_FreeSurface(s);
}
BENCHMARK(BM_sdl_fill_rect_whole_32bpp);

void BM_sdl_fill_rect_64x48_32bpp(benchmark::State &state) {
  SDL_Surface *s = SDL_CreateRGBSurfaceWithFormat(0, W, H, 32, SDL_PIXELFORMAT_XRGB8888);
  for (auto _ : state) {
    for (int i = 0; i < 64; ++i) {
      SDL_Rect r{(i * 37) % (W - 64), (i * 53) % (H - 48), 64, 48};
      SDL_FillRect(s, &r, static_cast<Uint32>(i));
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 64 * 64 * 48 * 4);
  SDL_FreeSurface(s);
}
BENCHMARK(BM_sdl_fill_rect_64x48_32bpp);
#endif

#ifdef CORVANE_BENCH_HAVE_PIXMAN
void BM_pixman_fill_whole_32bpp(benchmark::State &state) {
  std::vector<uint32_t> pixels(static_cast<size_t>(W) * H);
  for (auto _ : state) {
    pixman_fill(pixels.data(), W, 32, 0, 0, W, H, 0x123456);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * W * H * 4);
}
BENCHMARK(BM_pixman_fill_whole_32bpp);
#endif

// ---- Outlines and shapes
// --------------------------------------------------------------------------

void BM_draw_line_32bpp(benchmark::State &state) {
  const canvas c(32);
  for (auto _ : state) {
    for (int i = 0; i < 64; ++i) draw_line(c.bmp, i * 9, 0, W - 1 - i * 9, H - 1, i);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 64);
}
BENCHMARK(BM_draw_line_32bpp);

void BM_draw_line_mostly_outside_32bpp(benchmark::State &state) {
  const canvas c(32);
  set_clip_area(c.bmp, 100, 100, 539, 379);
  for (auto _ : state) {
    for (int i = 0; i < 64; ++i) draw_line(c.bmp, -100000, i * 7, 100000, H - i * 7, i);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 64);
}
BENCHMARK(BM_draw_line_mostly_outside_32bpp);

void BM_draw_circle_32bpp(benchmark::State &state) {
  const canvas c(32);
  for (auto _ : state) {
    for (int r = 4; r < 236; r += 8) draw_circle(c.bmp, W / 2, H / 2, r, r);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_draw_circle_32bpp);

void BM_fill_circle_32bpp(benchmark::State &state) {
  const canvas c(32);
  for (auto _ : state) {
    fill_circle(c.bmp, W / 2, H / 2, 200, 7);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_fill_circle_32bpp);

void BM_fill_ellipse_32bpp(benchmark::State &state) {
  const canvas c(32);
  for (auto _ : state) {
    fill_ellipse(c.bmp, W / 2, H / 2, 300, 200, 7);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_fill_ellipse_32bpp);

void BM_draw_polygon_32bpp(benchmark::State &state) {
  const canvas c(32);
  std::vector<int> points;
  for (int k = 0; k < 16; ++k) {
    const double t = k * 6.283185307179586 / 16;
    const double r = (k % 2) ? 230 : 120;
    points.push_back(W / 2 + static_cast<int>(r * std::cos(t)));
    points.push_back(H / 2 + static_cast<int>(r * std::sin(t)));
  }
  for (auto _ : state) {
    draw_polygon(c.bmp, 16, points.data(), 9);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_draw_polygon_32bpp);

void BM_flood_fill_32bpp(benchmark::State &state) {
  const canvas c(32);
  int color = 1;
  for (auto _ : state) {
    draw_circle(c.bmp, W / 2, H / 2, 200, 0xFFFFFF);
    flood_fill(c.bmp, W / 2, H / 2, ++color);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_flood_fill_32bpp);

}  // namespace

BENCHMARK_MAIN();
