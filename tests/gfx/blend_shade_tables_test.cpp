// The 8-bit shade table builders: translucency, lighting, a caller's blend and the current
// blender, with and without an rgb_index_table, against the per-entry arithmetic written out here.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "corvane/blend.h"
#include "corvane/color.h"

namespace {

class ShadeTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 rng(3);
    for (auto &entry : pal_) {
      entry = {static_cast<unsigned char>(rng() & 63), static_cast<unsigned char>(rng() & 63),
               static_cast<unsigned char>(rng() & 63), 0};
    }
    table_.assign(65536, 0xAA);
  }
  void TearDown() override { rgb_index_table = nullptr; }

  void use_index_table() {
    index_.assign(32768, 0);
    build_rgb_index_table(index_.data(), pal_, nullptr);
    rgb_index_table = index_.data();
  }

  // The match of a colour: 5-bit components through the index table, else 6-bit ones.
  unsigned char match(uint32_t r, uint32_t g, uint32_t b) const {
    if (rgb_index_table != nullptr) return rgb_index_table[(r << 10) | (g << 5) | b];
    return static_cast<unsigned char>(nearest_palette_index(pal_, int(r), int(g), int(b)));
  }
  unsigned char entry(int x, int y) const { return table_[static_cast<size_t>(x * 256 + y)]; }

  palette pal_;
  std::vector<unsigned char> table_;
  std::vector<unsigned char> index_;
};

std::vector<int> steps;
void record_step(int step) { steps.push_back(step); }

TEST_F(ShadeTableTest, TransTableWeighsTheNewColourOverTheOld) {
  for (const bool indexed : {false, true}) {
    if (indexed) use_index_table();
    steps.clear();
    const int wr = 200;  // above 128: 201
    const int wg = 64;
    const int wb = 129;  // 130
    build_trans_table(table_.data(), pal_, wr, wg, wb, record_step);
    ASSERT_EQ(steps.size(), 255u);
    for (int i = 0; i < 255; ++i) ASSERT_EQ(steps[static_cast<size_t>(i)], i);
    for (int y = 0; y < 256; ++y) ASSERT_EQ(entry(0, y), y) << "row 0 is the identity";
    const int shift = indexed ? 9 : 8;
    const uint32_t round = indexed ? 255 : 127;
    const auto mixed = [&](uint32_t w, unsigned c1, unsigned c2) {
      return (w * c1 + (256 - w) * c2 + round) >> shift;
    };
    for (int x = 1; x < 256; ++x) {
      for (int y = 0; y < 256; y += 5) {
        const unsigned char expected =
            match(mixed(201, pal_[x].r, pal_[y].r), mixed(64, pal_[x].g, pal_[y].g),
                  mixed(130, pal_[x].b, pal_[y].b));
        ASSERT_EQ(entry(x, y), expected) << x << " " << y << " indexed " << indexed;
      }
    }
  }
}

TEST_F(ShadeTableTest, FullWeightTransTableGivesTheNewColour) {
  build_trans_table(table_.data(), pal_, 255, 300, 1000, nullptr);  // weights cut to 255
  for (int x = 1; x < 256; ++x) {
    const unsigned char own = match(pal_[x].r, pal_[x].g, pal_[x].b);
    for (int y = 0; y < 256; y += 17) ASSERT_EQ(entry(x, y), own) << x << " " << y;
  }
}

TEST_F(ShadeTableTest, LightTableRunsFromTheLightColourToTheColourItself) {
  for (const bool indexed : {false, true}) {
    if (indexed) use_index_table();
    steps.clear();
    build_light_table(table_.data(), pal_, 63, 10, 0, record_step);
    EXPECT_EQ(steps.size(), 255u);
    for (int y = 0; y < 256; ++y) ASSERT_EQ(entry(255, y), y) << "level 255 leaves colours alone";
    const int shift = indexed ? 25 : 24;
    const uint64_t round = indexed ? 0x1000000 : 0x800000;
    for (int x = 0; x < 255; ++x) {
      const uint64_t t = uint64_t(255 - x) * 0x10101;
      const uint64_t u = 0xFFFFFF - t;
      for (int y = 0; y < 256; y += 7) {
        const auto c = [&](uint64_t light, unsigned own) {
          return static_cast<uint32_t>((light * t + own * u + round) >> shift);
        };
        ASSERT_EQ(entry(x, y), match(c(63, pal_[y].r), c(10, pal_[y].g), c(0, pal_[y].b)))
            << x << " " << y;
      }
    }
    // Level 0 is the light colour whatever the palette colour.
    const unsigned char light = indexed ? match(31, 5, 0) : match(63, 10, 0);
    for (int y = 0; y < 256; ++y) ASSERT_EQ(entry(0, y), light);
  }
}

void average_blend(const rgb_entry *pal, int x, int y, rgb_entry *out) {
  out->r = static_cast<unsigned char>((pal[x].r + pal[y].r) / 2);
  out->g = static_cast<unsigned char>((pal[x].g + pal[y].g) / 2);
  out->b = static_cast<unsigned char>((pal[x].b + pal[y].b) / 2);
}

TEST_F(ShadeTableTest, ColorTableMatchesTheCallersBlend) {
  for (const bool indexed : {false, true}) {
    if (indexed) use_index_table();
    steps.clear();
    build_color_table(table_.data(), pal_, average_blend, record_step);
    ASSERT_EQ(steps.size(), 256u);
    EXPECT_EQ(steps.back(), 255);
    const uint32_t drop = indexed ? 1 : 0;
    for (int x = 0; x < 256; x += 3) {
      for (int y = 0; y < 256; y += 5) {
        rgb_entry c;
        average_blend(pal_, x, y, &c);
        ASSERT_EQ(entry(x, y), match(c.r >> drop, c.g >> drop, c.b >> drop)) << x << " " << y;
      }
    }
  }
}

TEST_F(ShadeTableTest, BlenderTableUsesTheCurrent24BitBlender) {
  select_mix_blend(0, 0, 0, 100);
  for (const bool indexed : {false, true}) {
    if (indexed) use_index_table();
    build_blender_table(table_.data(), pal_, nullptr);
    const int drop = indexed ? 3 : 2;
    const auto expand = [&](int i) {
      return uint32_t(pal_[i].r * 255 / 63) << red_shift_24 |
             uint32_t(pal_[i].g * 255 / 63) << green_shift_24 |
             uint32_t(pal_[i].b * 255 / 63) << blue_shift_24;
    };
    for (int x = 0; x < 256; x += 3) {
      for (int y = 0; y < 256; y += 5) {
        const uint32_t c = blend_hook24(expand(x), expand(y), 100);
        ASSERT_EQ(entry(x, y),
                  match(((c >> red_shift_24) & 255) >> drop, ((c >> green_shift_24) & 255) >> drop,
                        ((c >> blue_shift_24) & 255) >> drop))
            << x << " " << y;
      }
    }
  }
}

TEST_F(ShadeTableTest, MissingArgumentsLeaveTheTableAlone) {
  build_trans_table(table_.data(), nullptr, 1, 1, 1, nullptr);
  build_trans_table(nullptr, pal_, 1, 1, 1, nullptr);
  build_light_table(table_.data(), nullptr, 1, 1, 1, nullptr);
  build_color_table(table_.data(), pal_, nullptr, nullptr);
  blend_hook24 = nullptr;
  build_blender_table(table_.data(), pal_, nullptr);
  for (const unsigned char v : table_) ASSERT_EQ(v, 0xAA);
}

}  // namespace
