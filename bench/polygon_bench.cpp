// Textured 3D polygons at 32 bits covering a 640x480 bitmap (two triangles), in megapixels per
// second: the affine texture (type 3), the perspective-correct texture (type 4) on a plane leaning
// away from the viewer (z from 1 to 4: a floor and a wall), the same with the depth buffer,
// and the lit forms, beside the memcpy bandwidth of the same 640x480 pixels in the same run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/blend.h"
#include "corvane/draw.h"
#include "corvane/render3d.h"

namespace {

constexpr int SCREEN_W = 640;
constexpr int SCREEN_H = 480;
constexpr int64_t PIXELS = int64_t{SCREEN_W} * SCREEN_H;

// A floor seen from above (z constant along each row, so the perspective fillers can draw whole
// rows linearly) or a wall turned away to the right (z changes along every row).
enum class plane { floor, wall };

void draw_screen(benchmark::State &state, int type, plane shape = plane::floor) {
  bitmap *screen = create_bitmap_at_depth(32, SCREEN_W, SCREEN_H);
  clear_to_color(screen, 0);
  bitmap *texture = create_bitmap_at_depth(32, 256, 256);
  std::mt19937 rng(3);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) put_pixel(texture, x, y, static_cast<int>(rng() & 0xFFFFFF));
  }
  depth_buffer *buffer = create_depth_buffer(screen);
  set_depth_buffer(buffer);
  select_mix_blend(0, 0, 0, 128);
  // A floor seen from above: far (z = 4) at the top, near (z = 1) at the bottom, the texture
  // repeated four times across.
  v3d_f tl = {0, 0, 4, 0, 0, 60}, tr = {SCREEN_W, 0, 4, 1024, 0, 60},
        br = {SCREEN_W, SCREEN_H, 1, 1024, 1024, 200}, bl = {0, SCREEN_H, 1, 0, 1024, 200};
  if (shape == plane::wall) {
    tl.z = bl.z = 1;
    tr.z = br.z = 4;
  }
  for (auto _ : state) {
    if ((type & POLY_DEPTH_BUFFER) != 0) clear_depth_buffer(buffer, 0.0f);
    draw_triangle_3d_f(screen, type, texture, &tl, &tr, &br);
    draw_triangle_3d_f(screen, type, texture, &br, &bl, &tl);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * PIXELS);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * PIXELS * 4);
  set_depth_buffer(nullptr);
  destroy_depth_buffer(buffer);
  destroy_bitmap(texture);
  destroy_bitmap(screen);
}

void BM_polygon_affine_texture_640x480(benchmark::State &state) { draw_screen(state, POLY_TEXTURE); }
BENCHMARK(BM_polygon_affine_texture_640x480);

void BM_polygon_perspective_texture_640x480(benchmark::State &state) {
  draw_screen(state, POLY_TEXTURE_PERSP);
}
BENCHMARK(BM_polygon_perspective_texture_640x480);

void BM_polygon_perspective_texture_wall_640x480(benchmark::State &state) {
  draw_screen(state, POLY_TEXTURE_PERSP, plane::wall);
}
BENCHMARK(BM_polygon_perspective_texture_wall_640x480);

void BM_polygon_perspective_texture_depth_buffer_wall_640x480(benchmark::State &state) {
  draw_screen(state, POLY_TEXTURE_PERSP | POLY_DEPTH_BUFFER, plane::wall);
}
BENCHMARK(BM_polygon_perspective_texture_depth_buffer_wall_640x480);

// The depth buffer is cleared every round as a game would; the clear is part of the time.
void BM_polygon_perspective_texture_depth_buffer_640x480(benchmark::State &state) {
  draw_screen(state, POLY_TEXTURE_PERSP | POLY_DEPTH_BUFFER);
}
BENCHMARK(BM_polygon_perspective_texture_depth_buffer_640x480);

void BM_polygon_perspective_texture_lit_640x480(benchmark::State &state) {
  draw_screen(state, POLY_TEXTURE_PERSP_LIT);
}
BENCHMARK(BM_polygon_perspective_texture_lit_640x480);

void BM_memcpy_640x480_32bpp(benchmark::State &state) {
  std::vector<uint32_t> source(static_cast<size_t>(PIXELS), 0x12345678);
  std::vector<uint32_t> dest(static_cast<size_t>(PIXELS));
  for (auto _ : state) {
    std::memcpy(dest.data(), source.data(), dest.size() * 4);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * PIXELS);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * PIXELS * 4);
}
BENCHMARK(BM_memcpy_640x480_32bpp);

}  // namespace

BENCHMARK_MAIN();
