// Rotated and scaled sprites at 32 bits: a 64x64 and a 256x256 sprite (a disc of opaque pixels on
// transparent ones) turned about its centre at several angles and scales onto a 640x480 bitmap,
// against pixman's affine transform with the nearest filter compositing the same sprite (alpha 0
// where ours is transparent) with OVER onto the same area, in the same run. Pixels per second
// count the target pixels of the turned sprite's bounding box.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/rotate.h"

#ifdef CORVANE_BENCH_HAVE_PIXMAN
#include <pixman.h>
#endif

namespace {

constexpr int SCREEN_W = 640;
constexpr int SCREEN_H = 480;
constexpr double PI = 3.14159265358979323846;

// Angles in degrees and scales of the cases: (size, degrees, scale) by benchmark argument.
struct turn {
  int size;
  double degrees;
  double scale;
};
constexpr turn turns[] = {{64, 15, 1.0},   {64, 45, 1.5},   {64, 100, 0.7},
                          {256, 15, 1.0},  {256, 45, 1.5},  {256, 100, 0.7}};

// Random colours inside a disc, the mask colour outside it.
uint32_t sprite_pixel(int size, int x, int y, std::mt19937 &rng) {
  const int dx = 2 * x - size + 1, dy = 2 * y - size + 1;
  const uint32_t colour = rng() & 0xFFFFFF;
  return dx * dx + dy * dy > size * size ? MASK_COLOR_32 : (colour == MASK_COLOR_32 ? 0 : colour);
}

// The bounding box of the turned sprite about the screen centre.
void bounding_box(const turn &t, int &x, int &y, int &w, int &h) {
  const double a = t.degrees * PI / 180.0;
  const double half = t.size * t.scale / 2.0;
  const double extent = half * (std::fabs(std::cos(a)) + std::fabs(std::sin(a)));
  x = static_cast<int>(std::floor(SCREEN_W / 2.0 - extent));
  y = static_cast<int>(std::floor(SCREEN_H / 2.0 - extent));
  w = h = static_cast<int>(std::ceil(2 * extent)) + 1;
}

void report(benchmark::State &state, const turn &t) {
  int x, y, w, h;
  bounding_box(t, x, y, w, h);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * w * h);
  state.SetLabel(std::to_string(t.size) + "px " + std::to_string(static_cast<int>(t.degrees)) +
                 "deg x" + std::to_string(t.scale).substr(0, 3));
}

void BM_draw_sprite_rotated_32bpp(benchmark::State &state) {
  const turn &t = turns[state.range(0)];
  bitmap *sprite = create_bitmap_at_depth(32, t.size, t.size);
  std::mt19937 rng(7);
  for (int y = 0; y < t.size; ++y) {
    for (int x = 0; x < t.size; ++x) put_pixel(sprite, x, y, static_cast<int>(sprite_pixel(t.size, x, y, rng)));
  }
  bitmap *screen = create_bitmap_at_depth(32, SCREEN_W, SCREEN_H);
  clear_to_color(screen, 0x336699);
  const fixed angle = static_cast<fixed>(std::lround(t.degrees / 360.0 * 16777216.0));
  const fixed scale = static_cast<fixed>(std::lround(t.scale * 65536.0));
  for (auto _ : state) {
    draw_sprite_rotated(screen, sprite, (SCREEN_W / 2) << 16, (SCREEN_H / 2) << 16, t.size << 15,
                        t.size << 15, angle, scale, 0);
    benchmark::ClobberMemory();
  }
  report(state, t);
  destroy_bitmap(sprite);
  destroy_bitmap(screen);
}
BENCHMARK(BM_draw_sprite_rotated_32bpp)->DenseRange(0, 5);

#ifdef CORVANE_BENCH_HAVE_PIXMAN
void BM_pixman_affine_nearest_over_32bpp(benchmark::State &state) {
  const turn &t = turns[state.range(0)];
  std::vector<uint32_t> sprite_bits(static_cast<size_t>(t.size) * t.size);
  std::mt19937 rng(7);
  for (int y = 0; y < t.size; ++y) {
    for (int x = 0; x < t.size; ++x) {
      const uint32_t p = sprite_pixel(t.size, x, y, rng);
      sprite_bits[static_cast<size_t>(y) * t.size + x] = p == MASK_COLOR_32 ? 0 : (0xFF000000u | p);
    }
  }
  std::vector<uint32_t> screen_bits(static_cast<size_t>(SCREEN_W) * SCREEN_H, 0x336699);
  pixman_image_t *sprite = pixman_image_create_bits(PIXMAN_a8r8g8b8, t.size, t.size,
                                                    sprite_bits.data(), t.size * 4);
  pixman_image_t *screen = pixman_image_create_bits(PIXMAN_x8r8g8b8, SCREEN_W, SCREEN_H,
                                                    screen_bits.data(), SCREEN_W * 4);
  // Destination to source: move the screen centre to the origin, turn back, scale back, move to
  // the sprite's centre.
  pixman_f_transform f;
  pixman_f_transform_init_identity(&f);
  pixman_f_transform_translate(&f, nullptr, -SCREEN_W / 2.0, -SCREEN_H / 2.0);
  const double a = -t.degrees * PI / 180.0;
  pixman_f_transform_rotate(&f, nullptr, std::cos(a), std::sin(a));
  pixman_f_transform_scale(&f, nullptr, 1.0 / t.scale, 1.0 / t.scale);
  pixman_f_transform_translate(&f, nullptr, t.size / 2.0, t.size / 2.0);
  pixman_transform transform;
  pixman_transform_from_pixman_f_transform(&transform, &f);
  pixman_image_set_transform(sprite, &transform);
  pixman_image_set_filter(sprite, PIXMAN_FILTER_NEAREST, nullptr, 0);
  int x, y, w, h;
  bounding_box(t, x, y, w, h);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, sprite, nullptr, screen, x, y, 0, 0, x, y, w, h);
    benchmark::ClobberMemory();
  }
  report(state, t);
  pixman_image_unref(sprite);
  pixman_image_unref(screen);
}
BENCHMARK(BM_pixman_affine_nearest_over_32bpp)->DenseRange(0, 5);
#endif

}  // namespace

BENCHMARK_MAIN();
