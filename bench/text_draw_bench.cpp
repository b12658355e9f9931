// Text drawing with the built-in font: glyph pixels per second for a screenful of text at each
// depth, with a transparent and with an opaque background, and measuring alone.
#include <benchmark/benchmark.h>

#include <string>

#include "corvane/bitmap.h"
#include "corvane/font.h"
#include "corvane/text.h"

namespace {

// 40 characters: a 320-pixel line of mixed letters, digits and Latin-1 (UTF-8).
const std::string line = "The quick brown fox 0123456789 \xC3\xA9\xC3\xA0\xC3\xBC jumps!!";

void BM_draw_text(benchmark::State &state) {
  const int depth = static_cast<int>(state.range(0));
  const int background = state.range(1) != 0 ? 0 : -1;
  bitmap *target = create_bitmap_at_depth(depth, 320, 240);
  target->vtable->clear_to_color(target, 0);
  const int characters = text_length(line.c_str());
  for (auto _ : state) {
    for (int y = 0; y < 240; y += 8)
      draw_text(target, default_font, line.c_str(), 0, y, 1, background);
    benchmark::ClobberMemory();
  }
  // Every character of the 30 lines covers 8 x 8 pixels.
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 30 * characters * 64);
  state.SetLabel("items = glyph pixels");
  destroy_bitmap(target);
}
BENCHMARK(BM_draw_text)->ArgsProduct({{8, 16, 24, 32}, {0, 1}});

void BM_text_width(benchmark::State &state) {
  int total = 0;
  for (auto _ : state) {
    total += text_width(default_font, line.c_str());
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * text_length(line.c_str()));
  state.SetLabel("items = characters");
}
BENCHMARK(BM_text_width);

}  // namespace

BENCHMARK_MAIN();
