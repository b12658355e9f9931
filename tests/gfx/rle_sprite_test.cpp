// Run-length sprites: the encoded layout byte by byte, runs split at the limits of a count and
// around the end-of-row marker, the record's fields, failures, and drawing of records whose data
// does not match them (nothing read beyond the data, nothing written outside the clip rectangle).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/system.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::capture;
using corvane::testing::make_bitmap;
using corvane::testing::paint;
using corvane::testing::random_image;
using corvane::testing::raw_pixel;
using corvane::testing::reference_image;
using corvane::testing::set_raw_pixel;

struct run_sprite_deleter {
  void operator()(run_sprite *s) const { destroy_run_sprite(s); }
};
using run_sprite_ptr = std::unique_ptr<run_sprite, run_sprite_deleter>;

// The data as a list of signed units.
std::vector<int64_t> units(const run_sprite *s) {
  const unsigned char *d = run_sprite_data(s);
  std::vector<int64_t> out;
  const int unit = s->color_depth == 8 ? 1 : s->color_depth <= 16 ? 2 : 4;
  for (int i = 0; i + unit <= s->size; i += unit) {
    if (unit == 1) {
      out.push_back(static_cast<int8_t>(d[i]));
    } else if (unit == 2) {
      int16_t v;
      std::memcpy(&v, d + i, 2);
      out.push_back(v);
    } else {
      int32_t v;
      std::memcpy(&v, d + i, 4);
      out.push_back(v);
    }
  }
  return out;
}

TEST(RunSprite, EncodesRunsAndRowMarkers) {
  bitmap_ptr bmp = make_bitmap(8, 5, 2);
  const uint32_t rows[2][5] = {{0, 0, 5, 6, 0}, {7, 0, 0, 0, 8}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 5; ++x) set_raw_pixel(bmp.get(), x, y, rows[y][x]);
  }
  run_sprite_ptr s(create_run_sprite(bmp.get()));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->width, 5);
  EXPECT_EQ(s->height, 2);
  EXPECT_EQ(s->color_depth, 8);
  EXPECT_EQ(units(s.get()), (std::vector<int64_t>{-2, 2, 5, 6, -1, 0, 1, 7, -3, 1, 8, 0}));
  EXPECT_EQ(run_sprite_data(s.get()), reinterpret_cast<const unsigned char *>(s.get()) + 16);
}

TEST(RunSprite, TwentyFourBitPixelsTakeAWordEach) {
  bitmap_ptr bmp = make_bitmap(24, 3, 1);
  set_raw_pixel(bmp.get(), 0, 0, 0x123456);
  set_raw_pixel(bmp.get(), 1, 0, 0xFF00FF);
  set_raw_pixel(bmp.get(), 2, 0, 0xABCDEF);
  run_sprite_ptr s(create_run_sprite(bmp.get()));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(units(s.get()), (std::vector<int64_t>{1, 0x123456, -1, 1, 0xABCDEF, 0xFF00FF}));
  EXPECT_EQ(s->size, 24);
}

TEST(RunSprite, LongRunsAreSplitWithinTheCountRange) {
  bitmap_ptr bmp = make_bitmap(8, 300, 2);
  clear_to_color(bmp.get(), 9);
  draw_hline(bmp.get(), 0, 1, 299, 0);
  run_sprite_ptr s(create_run_sprite(bmp.get()));
  ASSERT_NE(s, nullptr);
  std::vector<int64_t> want;
  for (const int n : {127, 127, 46}) {
    want.push_back(n);
    want.insert(want.end(), static_cast<size_t>(n), 9);
  }
  want.push_back(0);
  for (const int n : {-128, -128, -44}) want.push_back(n);
  want.push_back(0);
  EXPECT_EQ(units(s.get()), want);
}

TEST(RunSprite, NoCountEqualsTheEndOfRowMarker) {
  // At 16 bits the marker 0xF81F reads as -2017: a transparent run of 2017 must be split.
  bitmap_ptr b16 = make_bitmap(16, 2017, 1);
  clear_to_color(b16.get(), MASK_COLOR_16);
  run_sprite_ptr s16(create_run_sprite(b16.get()));
  ASSERT_NE(s16, nullptr);
  EXPECT_EQ(units(s16.get()), (std::vector<int64_t>{-2016, -1, static_cast<int16_t>(0xF81F)}));
  // At 15 bits the marker 0x7C1F is 31775: a literal run that long is split.
  bitmap_ptr b15 = make_bitmap(15, 31775, 1);
  clear_to_color(b15.get(), 0x1234);
  run_sprite_ptr s15(create_run_sprite(b15.get()));
  ASSERT_NE(s15, nullptr);
  const std::vector<int64_t> u = units(s15.get());
  ASSERT_EQ(u.size(), 31775u + 3);
  EXPECT_EQ(u[0], 31774);
  EXPECT_EQ(u[31775], 1);
  EXPECT_EQ(u.back(), 0x7C1F);
  // Whatever was split draws back as the bitmap.
  bitmap_ptr back = make_bitmap(15, 31775, 1);
  clear_to_color(back.get(), 0);
  draw_rle(back.get(), s15.get(), 0, 0);
  EXPECT_TRUE(corvane::testing::bitmaps_equal(back.get(), b15.get()));
}

TEST(RunSprite, RoundTripsAtEveryDepth) {
  std::mt19937 rng(12);
  for (const int depth : {8, 15, 16, 24, 32}) {
    bitmap_ptr bmp = make_bitmap(depth, 37, 23);
    paint(bmp.get(), random_image(37, 23, depth, rng, 0.4));
    run_sprite_ptr s(create_run_sprite(bmp.get()));
    ASSERT_NE(s, nullptr);
    bitmap_ptr a = make_bitmap(depth, 50, 40);
    bitmap_ptr b = make_bitmap(depth, 50, 40);
    paint(a.get(), random_image(50, 40, depth, rng));
    paint(b.get(), capture(a.get()));
    draw_rle(a.get(), s.get(), 6, 9);
    draw_sprite(b.get(), bmp.get(), 6, 9);
    EXPECT_TRUE(corvane::testing::bitmaps_equal(a.get(), b.get())) << depth;
  }
}

TEST(RunSprite, FailuresAreReported) {
  error_text[0] = 0;
  EXPECT_EQ(create_run_sprite(nullptr), nullptr);
  EXPECT_STRNE(error_text, "");
  bitmap_ptr bmp = make_bitmap(32, 4, 4);
  draw_vtable odd = *bmp->vtable;
  odd.color_depth = 12;
  bmp->vtable = &odd;
  error_text[0] = 0;
  EXPECT_EQ(create_run_sprite(bmp.get()), nullptr);
  EXPECT_STRNE(error_text, "");
  bmp->vtable = find_vtable(32);
  destroy_run_sprite(nullptr);
}

TEST(RunSprite, EmptyBitmapsEncodeToMarkersOnly) {
  bitmap_ptr none = make_bitmap(8, 0, 3);
  run_sprite_ptr s(create_run_sprite(none.get()));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(units(s.get()), (std::vector<int64_t>{0, 0, 0}));
  bitmap_ptr target = make_bitmap(8, 4, 4);
  clear_to_color(target.get(), 1);
  draw_rle(target.get(), s.get(), 0, 0);
  EXPECT_EQ(raw_pixel(target.get(), 0, 0), 1u);
}

// A record of our own with hand-made data (up to 240 bytes): 16 bytes of header, then the units.
struct made_sprite {
  alignas(8) std::array<unsigned char, 256> block{};
  made_sprite(int w, int h, int depth, const std::vector<uint8_t> &data) {
    const run_sprite header{w, h, depth, static_cast<int>(data.size())};
    std::memcpy(&block[0], &header, sizeof header);
    std::copy(data.begin(), data.end(), block.begin() + 16);
  }
  const run_sprite *get() const { return reinterpret_cast<const run_sprite *>(block.data()); }
};

TEST(RunSprite, WholeSpritesDrawLikeTheBitmapAtEveryRunLength) {
  // Sprites that land whole on a memory bitmap take a copying walk of their own: literal runs of
  // every length class (a few bytes to several 64-byte blocks) against draw_sprite of the bitmap.
  std::mt19937 rng(29);
  for (const int depth : {8, 15, 16, 32}) {
    for (const int width : {1, 2, 3, 5, 9, 17, 31, 33, 70, 150}) {
      for (const double holes : {0.0, 0.1}) {
        bitmap_ptr sprite = make_bitmap(depth, width, 3);
        paint(sprite.get(), random_image(width, 3, depth, rng, holes));
        run_sprite_ptr rle(create_run_sprite(sprite.get()));
        ASSERT_NE(rle, nullptr);
        bitmap_ptr want = make_bitmap(depth, 160, 5);
        paint(want.get(), random_image(160, 5, depth, rng));
        bitmap_ptr got = make_bitmap(depth, 160, 5);
        paint(got.get(), capture(want.get()));
        draw_sprite(want.get(), sprite.get(), 160 - width, 1);
        draw_rle(got.get(), rle.get(), 160 - width, 1);
        ASSERT_TRUE(bitmap_matches(got.get(), capture(want.get())))
            << "depth " << depth << " width " << width << " holes " << holes;
      }
    }
  }
  // A literal run longer than the sprite's width is cut at the width there too.
  bitmap_ptr target = make_bitmap(8, 8, 1);
  clear_to_color(target.get(), 1);
  std::vector<uint8_t> hundred(102, 7);
  hundred.front() = 100;
  hundred.back() = 0;
  made_sprite long_run(3, 1, 8, hundred);
  draw_rle(target.get(), long_run.get(), 2, 0);
  EXPECT_EQ(raw_pixel(target.get(), 1, 0), 1u);
  EXPECT_EQ(raw_pixel(target.get(), 4, 0), 7u);
  EXPECT_EQ(raw_pixel(target.get(), 5, 0), 1u);
}

TEST(RunSprite, ALiteralRunEndingTheDataIsDrawnOnlyIfWhole) {
  // The data holds one literal run of 3 and no row marker: drawn when all 3 units are there, not
  // at all when one is missing. 16 and 32 bits count the units left in 2- and 4-byte steps; the
  // sprite lands whole (one walk for all runs) and cut on the left (a walk per visible span).
  for (const int depth : {16, 32}) {
    const size_t unit = depth == 32 ? 4 : 2;
    for (const size_t pixels : {size_t{3}, size_t{2}}) {
      std::vector<uint8_t> data((1 + pixels) * unit, 0x21);
      std::fill(data.begin(), data.begin() + static_cast<ptrdiff_t>(unit), 0);
      data[0] = 3;
      made_sprite sprite(3, 1, depth, data);
      for (const int x : {2, -1}) {
        bitmap_ptr copied = make_bitmap(depth, 8, 1);
        bitmap_ptr blended = make_bitmap(depth, 8, 1);
        clear_to_color(copied.get(), 0);
        clear_to_color(blended.get(), 0);
        draw_rle(copied.get(), sprite.get(), x, 0);
        select_mix_blend(0, 0, 0, 255);
        draw_rle_trans(blended.get(), sprite.get(), x, 0);
        const uint32_t copy = pixels == 3 ? (depth == 32 ? 0x21212121u : 0x2121u) : 0u;
        for (const int at : {x + 1, x + 2}) {
          EXPECT_EQ(raw_pixel(copied.get(), at, 0), copy) << depth << " " << pixels << " " << x;
          EXPECT_EQ(raw_pixel(blended.get(), at, 0) != 0, pixels == 3) << depth << " " << x;
        }
      }
    }
  }
}

TEST(RunSprite, MismatchedRecordsDrawNothingWrong) {
  bitmap_ptr target = make_bitmap(8, 8, 4);
  clear_to_color(target.get(), 1);
  set_clip_area(target.get(), 1, 0, 5, 3);
  // A literal run longer than the sprite's width: cut at the sprite's (and clip's) right edge.
  std::vector<uint8_t> hundred(102, 7);
  hundred.front() = 100;
  hundred.back() = 0;
  made_sprite long_run(3, 1, 8, hundred);
  draw_rle(target.get(), long_run.get(), 0, 0);
  EXPECT_EQ(raw_pixel(target.get(), 1, 0), 7u);
  EXPECT_EQ(raw_pixel(target.get(), 2, 0), 7u);
  EXPECT_EQ(raw_pixel(target.get(), 3, 0), 1u);
  // Data that ends in the middle of a run or a row: drawing stops there.
  made_sprite truncated(4, 3, 8, {4, 5, 5, 5, 5, 0, 4, 6});
  draw_rle(target.get(), truncated.get(), 1, 1);
  EXPECT_EQ(raw_pixel(target.get(), 2, 1), 5u);
  EXPECT_EQ(raw_pixel(target.get(), 2, 2), 1u);
  // A record whose depth is not the target's, or not a depth at all.
  made_sprite deep(2, 1, 32, {1, 0, 0, 0, 9, 9, 9, 9, 0xFF, 0, 0xFF, 0});
  made_sprite odd(2, 1, 12, {1, 9, 0});
  made_sprite negative(2, 1, 8, {1, 9, 0});
  reinterpret_cast<run_sprite *>(negative.block.data())->size = -5;
  const reference_image before = capture(target.get());
  draw_rle(target.get(), deep.get(), 0, 0);
  draw_rle(target.get(), odd.get(), 0, 0);
  draw_rle(target.get(), negative.get(), 0, 0);
  EXPECT_TRUE(bitmap_matches(target.get(), before));

  // Random bytes as data at every depth: whatever they say, only the clip rectangle changes.
  std::mt19937 rng(13);
  for (const int depth : {8, 15, 16, 24, 32}) {
    bitmap_ptr t = make_bitmap(depth, 20, 20);
    clear_to_color(t.get(), 0);
    set_clip_area(t.get(), 5, 5, 14, 14);
    select_mix_blend(0, 0, 0, 100);
    std::vector<unsigned char> shade(65536, 3);
    shade_table = shade.data();
    for (int i = 0; i < 200; ++i) {
      std::vector<uint8_t> data(rng() % 64);
      for (auto &b : data) b = static_cast<uint8_t>(rng());
      made_sprite junk(static_cast<int>(rng() % 40), static_cast<int>(rng() % 40), depth, data);
      const int x = static_cast<int>(rng() % 30) - 10, y = static_cast<int>(rng() % 30) - 10;
      draw_rle(t.get(), junk.get(), x, y);
      draw_rle_trans(t.get(), junk.get(), x, y);
      draw_rle_lit(t.get(), junk.get(), x, y, 50);
      if (depth != 8) draw_rle_alpha(t.get(), junk.get(), x, y);
    }
    shade_table = nullptr;
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 20; ++x) {
        if (x < 5 || x > 14 || y < 5 || y > 14) {
          ASSERT_EQ(raw_pixel(t.get(), x, y), 0u) << depth << " " << x << "," << y;
        }
      }
    }
  }
}

}  // namespace
