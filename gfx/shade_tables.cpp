// The 8-bit shade tables: translucency, lighting, any caller-given blend, and the current 24-bit
// blender, each as 256 x 256 palette indices. A colour is matched through rgb_index_table (5-bit
// components) when there is one, else by the nearest-colour search on the palette (6 bits).
#include <algorithm>
#include <cstdint>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane {
namespace {

// The index for 6-bit components (or 5-bit ones when rgb_index_table is present; callers pass
// whichever the table needs).
unsigned char match(const rgb_entry *pal, const unsigned char *index_table, uint32_t r, uint32_t g,
                    uint32_t b) noexcept {
  if (index_table != nullptr) {
    return index_table[((r & 31u) << 10) | ((g & 31u) << 5) | (b & 31u)];
  }
  return static_cast<unsigned char>(nearest_palette_index(
      pal, static_cast<int>(r & 63u), static_cast<int>(g & 63u), static_cast<int>(b & 63u)));
}

void identity_row(unsigned char *row) noexcept {
  for (int y = 0; y < 256; ++y) row[y] = static_cast<unsigned char>(y);
}

}  // namespace
}  // namespace corvane

extern "C" {

void build_trans_table(unsigned char *table, const rgb_entry *pal, int r, int g, int b,
                       void (*callback)(int step)) noexcept {
  if (table == nullptr || pal == nullptr) return;
  // Weights above 128 grow by one, so that 255 takes the new colour whole.
  const auto weight = [](int w) {
    w = std::clamp(w, 0, 255);
    return static_cast<uint32_t>(w > 128 ? w + 1 : w);
  };
  const uint32_t wr = weight(r);
  const uint32_t wg = weight(g);
  const uint32_t wb = weight(b);
  const unsigned char *index_table = rgb_index_table;
  // Without an index table the sums keep 6 bits (round at 127), with one 5 bits (round at 255).
  const uint32_t round = index_table != nullptr ? 255u : 127u;
  const int shift = index_table != nullptr ? 9 : 8;
  corvane::identity_row(table);
  for (int x = 1; x < 256; ++x) {
    const rgb_entry &top = pal[x];
    unsigned char *row = table + x * 256;
    for (int y = 0; y < 256; ++y) {
      const rgb_entry &under = pal[y];
      const uint32_t cr = (wr * top.r + (256 - wr) * under.r + round) >> shift;
      const uint32_t cg = (wg * top.g + (256 - wg) * under.g + round) >> shift;
      const uint32_t cb = (wb * top.b + (256 - wb) * under.b + round) >> shift;
      row[y] = corvane::match(pal, index_table, cr, cg, cb);
    }
    if (callback != nullptr) callback(x - 1);
  }
}

void build_light_table(unsigned char *table, const rgb_entry *pal, int r, int g, int b,
                       void (*callback)(int step)) noexcept {
  if (table == nullptr || pal == nullptr) return;
  const auto lr = static_cast<uint64_t>(std::clamp(r, 0, 63));
  const auto lg = static_cast<uint64_t>(std::clamp(g, 0, 63));
  const auto lb = static_cast<uint64_t>(std::clamp(b, 0, 63));
  const unsigned char *index_table = rgb_index_table;
  const uint64_t round = index_table != nullptr ? 0x1000000u : 0x800000u;
  const int shift = index_table != nullptr ? 25 : 24;
  for (int x = 0; x < 255; ++x) {
    // t weighs the light colour, u the palette colour; t + u = 0xFFFFFF.
    const uint64_t t = static_cast<uint64_t>(255 - x) * 0x10101u;
    const uint64_t u = 0xFFFFFFu - t;
    unsigned char *row = table + x * 256;
    for (int y = 0; y < 256; ++y) {
      const rgb_entry &c = pal[y];
      const auto cr = static_cast<uint32_t>((lr * t + c.r * u + round) >> shift);
      const auto cg = static_cast<uint32_t>((lg * t + c.g * u + round) >> shift);
      const auto cb = static_cast<uint32_t>((lb * t + c.b * u + round) >> shift);
      row[y] = corvane::match(pal, index_table, cr, cg, cb);
    }
    if (callback != nullptr) callback(x);
  }
  corvane::identity_row(table + 255 * 256);
}

void build_color_table(unsigned char *table, const rgb_entry *pal,
                       void (*blend)(const rgb_entry *pal, int x, int y, rgb_entry *out),
                       void (*callback)(int step)) noexcept {
  if (table == nullptr || pal == nullptr || blend == nullptr) return;
  const unsigned char *index_table = rgb_index_table;
  const uint32_t drop = index_table != nullptr ? 1 : 0;
  for (int x = 0; x < 256; ++x) {
    unsigned char *row = table + x * 256;
    for (int y = 0; y < 256; ++y) {
      rgb_entry out = {0, 0, 0, 0};
      blend(pal, x, y, &out);
      row[y] = corvane::match(pal, index_table, (out.r & 63u) >> drop, (out.g & 63u) >> drop,
                              (out.b & 63u) >> drop);
    }
    if (callback != nullptr) callback(x);
  }
}

void build_blender_table(unsigned char *table, const rgb_entry *pal,
                         void (*callback)(int step)) noexcept {
  if (table == nullptr || pal == nullptr) return;
  const blender_func hook = blend_hook24;
  if (hook == nullptr) return;
  const auto n = static_cast<uint32_t>(blend_weight);
  const auto layout = corvane::depth::pixel24::current_layout();
  const auto expand = [layout](const rgb_entry &e) {
    return layout.pack((e.r & 63u) * 255u / 63u, (e.g & 63u) * 255u / 63u,
                       (e.b & 63u) * 255u / 63u);
  };
  const unsigned char *index_table = rgb_index_table;
  const int drop = index_table != nullptr ? 3 : 2;
  for (int x = 0; x < 256; ++x) {
    const uint32_t cx = expand(pal[x]);
    unsigned char *row = table + x * 256;
    for (int y = 0; y < 256; ++y) {
      const uint32_t c = hook(cx, expand(pal[y]), n);
      const auto u = [](int component) { return static_cast<uint32_t>(component); };
      row[y] = corvane::match(pal, index_table, u(layout.red(c)) >> drop,
                              u(layout.green(c)) >> drop, u(layout.blue(c)) >> drop);
    }
    if (callback != nullptr) callback(x);
  }
}

}  // extern "C"
