// The inputs that used to cost far more than their size, at growing sizes, so that the fitted
// complexity shows the growth: flood fill of a serpentine (against clear_to_color of the same
// pixels), polygons whose edges all cross (against the fill_rect of their bounding box), listing
// the keys of a large configuration section, a circle of radius INT_MAX across a 320x200 bitmap,
// and loading a grey PNG at 8 bits (against libpng's own decode of the same file).
#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/config.h"
#include "corvane/draw.h"
#include "corvane/png.h"
#include "corvane/system.h"

namespace {

struct started {
  started() { startup_corvane(SYSTEM_NONE, nullptr, nullptr); }
};
const started library;

// A corridor folding back and forth across a square of side n.
bitmap *serpentine(int n) {
  bitmap *bmp = create_bitmap_at_depth(8, n, n);
  clear_to_color(bmp, 1);
  for (int i = 1; i < n - 1; i += 2) {
    draw_hline(bmp, i % 4 == 1 ? 0 : 1, i, i % 4 == 1 ? n - 2 : n - 1, 2);
  }
  return bmp;
}

void BM_flood_fill_serpentine(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  bitmap *bmp = serpentine(n);
  int color = 3;
  for (auto _ : state) {
    flood_fill(bmp, 0, 0, color);
    color = color == 3 ? 1 : 3;  // fills the corridor back and forth
  }
  state.SetComplexityN(int64_t{n} * n);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * n * n);
  destroy_bitmap(bmp);
}
BENCHMARK(BM_flood_fill_serpentine)->RangeMultiplier(2)->Range(256, 2048)->Complexity();

// The same number of pixels written by clear_to_color: the floor any fill stands on.
void BM_flood_fill_peer_clear(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  bitmap *bmp = create_bitmap_at_depth(8, n, n);
  for (auto _ : state) clear_to_color(bmp, 3);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * n * n);
  destroy_bitmap(bmp);
}
BENCHMARK(BM_flood_fill_peer_clear)->RangeMultiplier(2)->Range(256, 2048);

// n vertices spread at random over a 320x200 area: nearly every edge crosses many others.
std::vector<int> crossing_polygon(int n) {
  std::mt19937 rng(1);
  std::vector<int> points;
  for (int i = 0; i < n; ++i) {
    points.push_back(static_cast<int>(rng() % 320));
    points.push_back(static_cast<int>(rng() % 200));
  }
  return points;
}

void BM_polygon_crossing(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<int> points = crossing_polygon(n);
  bitmap *bmp = create_bitmap_at_depth(8, 320, 200);
  for (auto _ : state) draw_polygon(bmp, n, points.data(), 5);
  state.SetComplexityN(n);
  destroy_bitmap(bmp);
}
BENCHMARK(BM_polygon_crossing)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity();

void BM_polygon_peer_fill_rect(benchmark::State &state) {
  bitmap *bmp = create_bitmap_at_depth(8, 320, 200);
  for (auto _ : state) fill_rect(bmp, 0, 0, 319, 199, 5);
  destroy_bitmap(bmp);
}
BENCHMARK(BM_polygon_peer_fill_rect);

void BM_config_list_entries(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  std::string text = "[big]\n";
  for (int i = 0; i < n; ++i) text += "key" + std::to_string(i) + " = " + std::to_string(i) + "\n";
  use_config_data(text.c_str(), static_cast<int>(text.size()));
  const char **names = nullptr;
  for (auto _ : state) benchmark::DoNotOptimize(config_list_entries("big", &names));
  config_free_list(&names);
  state.SetComplexityN(n);
}
BENCHMARK(BM_config_list_entries)->RangeMultiplier(4)->Range(1 << 10, 1 << 16)->Complexity();

void BM_circle_radius_int_max(benchmark::State &state) {
  bitmap *bmp = create_bitmap_at_depth(8, 320, 200);
  for (auto _ : state) {
    draw_circle(bmp, 160, 100 - INT_MAX, INT_MAX, 7);
    fill_circle(bmp, 160, 100 - INT_MAX, INT_MAX, 7);
  }
  destroy_bitmap(bmp);
}
BENCHMARK(BM_circle_radius_int_max);

// A 2048x2048 grey gradient, written once.
const std::string &grey_png() {
  static const std::string path = [] {
    std::string name = "/tmp/corvane-bench-grey-" + std::to_string(getpid()) + ".png";
    std::vector<unsigned char> pixels(2048 * 2048);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 7 / 2048);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = image.height = 2048;
    image.format = PNG_FORMAT_GRAY;
    png_image_write_to_file(&image, name.c_str(), 0, pixels.data(), 0, nullptr);
    std::atexit([] { std::remove(grey_png().c_str()); });
    return name;
  }();
  return path;
}

void BM_png_load_grey_8bit(benchmark::State &state) {
  set_color_depth(8);
  for (auto _ : state) destroy_bitmap(load_bitmap_png(grey_png().c_str(), nullptr));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 2048 * 2048);
}
BENCHMARK(BM_png_load_grey_8bit)->Unit(benchmark::kMillisecond);

void BM_png_load_peer_libpng(benchmark::State &state) {
  std::vector<unsigned char> rgb(size_t{2048} * 2048 * 3);
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_file(&image, grey_png().c_str());
    image.format = PNG_FORMAT_RGB;
    png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 2048 * 2048);
}
BENCHMARK(BM_png_load_peer_libpng)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
