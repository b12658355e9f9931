// The per-depth pixel and line routines (get_pixel, put_pixel, draw_vline, draw_hline and
// clear_to_color) at every depth and in every drawing mode, against a pixel-by-pixel model of
// the modes written here over a plain array.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::depth_value_mask;
using corvane::testing::make_bitmap;
using corvane::testing::mask_color_of;
using corvane::testing::paint;
using corvane::testing::random_image;
using corvane::testing::raw_pixel;
using corvane::testing::reference_image;

// A blender whose result depends on all three arguments, so that a wrong argument shows.
uint32_t scrambling_blender(uint32_t x, uint32_t y, uint32_t n) {
  return (x * 3u + y * 5u + n * 7u) ^ 0x5A5A5A5Au;
}

std::vector<unsigned char> make_shade_table(std::mt19937 &rng) {
  std::vector<unsigned char> table(65536);
  for (auto &entry : table) entry = static_cast<unsigned char>(rng());
  return table;
}

// The drawing modes applied by hand.
struct mode_model {
  int depth;
  int mode;
  const bitmap *pattern;
  const unsigned char *shade;
  int weight;

  uint32_t pattern_pixel(int x, int y) const {
    const uint32_t row = static_cast<uint32_t>(y - pattern_y_anchor) & pattern_y_mask;
    const uint32_t column = static_cast<uint32_t>(x - pattern_x_anchor) & pattern_x_mask;
    return raw_pixel(pattern, static_cast<int>(column), static_cast<int>(row));
  }

  uint32_t apply(uint32_t old, uint32_t color, int x, int y) const {
    const uint32_t limit = depth_value_mask(depth);
    const uint32_t mask = mask_color_of(depth);
    switch (mode) {
      case MODE_SOLID:
        return color & limit;
      case MODE_XOR:
        return (old ^ color) & limit;
      case MODE_PATTERN_COPY:
        return pattern_pixel(x, y);
      case MODE_PATTERN_SOLID:
        return pattern_pixel(x, y) == mask ? mask : color & limit;
      case MODE_PATTERN_MASKED:
        return pattern_pixel(x, y) == mask ? old : color & limit;
      case MODE_TRANSLUCENT:
        if (depth == 8) return shade[((color & 255) << 8) | old];
        return scrambling_blender(color, old, static_cast<uint32_t>(weight)) & limit;
      default:
        return old;
    }
  }
};

class DrawModeTest : public ::testing::TestWithParam<std::tuple<int, int>> {
 protected:
  void SetUp() override {
    std::tie(depth_, mode_) = GetParam();
    rng_.seed(static_cast<unsigned>(depth_ * 100 + mode_));
    target_ = make_bitmap(depth_, 23, 11);
    ASSERT_NE(target_, nullptr);
    image_ = random_image(23, 11, depth_, rng_);
    paint(target_.get(), image_);
    set_clip_area(target_.get(), 3, 2, 18, 8);

    // A 6x3 pattern: it repeats its top-left 4x2 part. A third of its pixels are the mask.
    pattern_ = make_bitmap(depth_, 6, 3);
    paint(pattern_.get(), random_image(6, 3, depth_, rng_, 0.35));

    shade_ = make_shade_table(rng_);
    shade_table = shade_.data();
    blend_hook15 = blend_hook16 = blend_hook24 = blend_hook32 = scrambling_blender;
    blend_weight = 77;
    set_draw_mode(mode_, pattern_.get(), 5, -3);
  }

  void TearDown() override {
    set_draw_mode(MODE_SOLID, nullptr, 0, 0);
    shade_table = nullptr;
    blend_hook15 = blend_hook16 = blend_hook24 = blend_hook32 = nullptr;
  }

  mode_model model() const { return {depth_, mode_, pattern_.get(), shade_.data(), blend_weight}; }

  uint32_t random_color() { return static_cast<uint32_t>(rng_()) & depth_value_mask(depth_); }

  static bool inside_clip(int x, int y) { return x >= 3 && x <= 18 && y >= 2 && y <= 8; }

  int depth_ = 8;
  int mode_ = 0;
  std::mt19937 rng_;
  bitmap_ptr target_;
  bitmap_ptr pattern_;
  reference_image image_;
  std::vector<unsigned char> shade_;
};

TEST_P(DrawModeTest, PatternMasksKeepThePowerOfTwoPart) {
  EXPECT_EQ(pattern_x_mask, 3u);
  EXPECT_EQ(pattern_y_mask, 1u);
}

TEST_P(DrawModeTest, PutPixelCombinesInsideTheClipRectangleOnly) {
  const mode_model m = model();
  for (int y = -1; y <= 11; ++y) {
    for (int x = -2; x <= 24; ++x) {
      const uint32_t color = random_color();
      target_->vtable->put_pixel(target_.get(), x, y, static_cast<int>(color));
      if (inside_clip(x, y)) image_.at(x, y) = m.apply(image_.at(x, y), color, x, y);
    }
  }
  EXPECT_TRUE(bitmap_matches(target_.get(), image_));
}

TEST_P(DrawModeTest, PutPixelWithClippingOffReachesTheWholeBitmap) {
  target_->clipping = 0;
  const mode_model m = model();
  const int points[][2] = {{0, 0}, {22, 10}, {1, 9}, {20, 1}, {-1, 4}, {23, 4}, {5, 11}};
  for (const auto &p : points) {
    const uint32_t color = random_color();
    target_->vtable->put_pixel(target_.get(), p[0], p[1], static_cast<int>(color));
    const bool inside = p[0] >= 0 && p[0] < 23 && p[1] >= 0 && p[1] < 11;
    if (inside) image_.at(p[0], p[1]) = m.apply(image_.at(p[0], p[1]), color, p[0], p[1]);
  }
  EXPECT_TRUE(bitmap_matches(target_.get(), image_));
}

TEST_P(DrawModeTest, HorizontalLinesOrderTheirEndsAndClip) {
  const mode_model m = model();
  // (x1, y, x2): reversed, crossing both clip edges, outside left, outside below, one pixel.
  const int lines[][3] = {{10, 3, 5},  {-4, 4, 40}, {0, 5, 2},   {4, 9, 12},
                          {18, 2, 18}, {3, 8, 3},   {17, 6, 25}, {2, 7, -9}};
  for (const auto &l : lines) {
    const uint32_t color = random_color();
    target_->vtable->draw_hline(target_.get(), l[0], l[1], l[2], static_cast<int>(color));
    const int lo = std::min(l[0], l[2]);
    const int hi = std::max(l[0], l[2]);
    for (int x = lo; x <= hi; ++x) {
      if (inside_clip(x, l[1])) image_.at(x, l[1]) = m.apply(image_.at(x, l[1]), color, x, l[1]);
    }
  }
  EXPECT_TRUE(bitmap_matches(target_.get(), image_));
}

TEST_P(DrawModeTest, VerticalLinesOrderTheirEndsAndClip) {
  const mode_model m = model();
  const int lines[][3] = {{4, 9, 1}, {18, -5, 30}, {2, 0, 10}, {19, 3, 6}, {7, 5, 5}, {12, 8, 2}};
  for (const auto &l : lines) {
    const uint32_t color = random_color();
    target_->vtable->draw_vline(target_.get(), l[0], l[1], l[2], static_cast<int>(color));
    const int lo = std::min(l[1], l[2]);
    const int hi = std::max(l[1], l[2]);
    for (int y = lo; y <= hi; ++y) {
      if (inside_clip(l[0], y)) image_.at(l[0], y) = m.apply(image_.at(l[0], y), color, l[0], y);
    }
  }
  EXPECT_TRUE(bitmap_matches(target_.get(), image_));
  EXPECT_NE(target_->clipping, 0);  // restored after the pixel-by-pixel modes
}

TEST_P(DrawModeTest, LinesWithClippingOffStayInsideTheBitmap) {
  target_->clipping = 0;
  const mode_model m = model();
  const uint32_t color = random_color();
  target_->vtable->draw_hline(target_.get(), -100, 10, 100, static_cast<int>(color));
  for (int x = 0; x < 23; ++x) image_.at(x, 10) = m.apply(image_.at(x, 10), color, x, 10);
  target_->vtable->draw_vline(target_.get(), 0, -100, 100, static_cast<int>(color));
  for (int y = 0; y < 11; ++y) image_.at(0, y) = m.apply(image_.at(0, y), color, 0, y);
  EXPECT_TRUE(bitmap_matches(target_.get(), image_));
}

TEST_P(DrawModeTest, ClearToColorIgnoresTheModeAndFillsTheClipRectangle) {
  target_->clipping = 0;  // the clip rectangle is used all the same
  const uint32_t color = random_color();
  target_->vtable->clear_to_color(target_.get(), static_cast<int>(color));
  for (int y = 2; y <= 8; ++y) {
    for (int x = 3; x <= 18; ++x) image_.at(x, y) = color;
  }
  EXPECT_TRUE(bitmap_matches(target_.get(), image_));
}

TEST_P(DrawModeTest, LongLinesMatchTheModelAcrossVectorWidths) {
  // Long spans exercise the vectorised loops and their tails, from every start within 32 bytes.
  bitmap_ptr wide = make_bitmap(depth_, 301, 3);
  reference_image image = random_image(301, 3, depth_, rng_);
  paint(wide.get(), image);
  const mode_model m = model();
  for (int x1 = 0; x1 < 40; ++x1) {
    const uint32_t color = random_color();
    const int x2 = 300 - x1 / 2;
    wide->vtable->draw_hline(wide.get(), x1, 1, x2, static_cast<int>(color));
    for (int x = x1; x <= x2; ++x) image.at(x, 1) = m.apply(image.at(x, 1), color, x, 1);
  }
  EXPECT_TRUE(bitmap_matches(wide.get(), image));
}

std::string mode_name(const ::testing::TestParamInfo<std::tuple<int, int>> &info) {
  static const char *const names[] = {"Solid",        "Xor",           "PatternCopy",
                                      "PatternSolid", "PatternMasked", "Translucent"};
  const int mode = std::get<1>(info.param);
  return std::to_string(std::get<0>(info.param)) + "bpp" +
         (mode >= 0 && mode <= 5 ? names[mode] : "UnknownMode");
}

INSTANTIATE_TEST_SUITE_P(AllDepthsAndModes, DrawModeTest,
                         ::testing::Combine(::testing::Values(8, 15, 16, 24, 32),
                                            ::testing::Values(0, 1, 2, 3, 4, 5, 9)),
                         mode_name);

class PixelDepthTest : public ::testing::TestWithParam<int> {
 protected:
  void TearDown() override { set_draw_mode(MODE_SOLID, nullptr, 0, 0); }
};

TEST_P(PixelDepthTest, GetPixelTestsTheBitmapNotTheClipRectangle) {
  const int depth = GetParam();
  bitmap_ptr bmp = make_bitmap(depth, 8, 6);
  std::mt19937 rng(7);
  const reference_image image = random_image(8, 6, depth, rng);
  paint(bmp.get(), image);
  set_clip_area(bmp.get(), 2, 2, 4, 4);
  auto get = bmp->vtable->get_pixel;
  EXPECT_EQ(get(bmp.get(), 8, 0), -1);
  EXPECT_EQ(get(bmp.get(), 0, -1), -1);
  EXPECT_EQ(get(bmp.get(), -1, 0), -1);
  EXPECT_EQ(get(bmp.get(), 0, 6), -1);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(static_cast<uint32_t>(get(bmp.get(), x, y)), image.at(x, y)) << x << "," << y;
    }
  }
}

TEST_P(PixelDepthTest, XorTwiceRestoresThePixels) {
  const int depth = GetParam();
  bitmap_ptr bmp = make_bitmap(depth, 40, 4);
  std::mt19937 rng(11);
  const reference_image image = random_image(40, 4, depth, rng);
  paint(bmp.get(), image);
  set_draw_mode(MODE_XOR, nullptr, 0, 0);
  const int color = static_cast<int>(0x00A5C3E1u & depth_value_mask(depth));
  for (int pass = 0; pass < 2; ++pass) {
    bmp->vtable->draw_hline(bmp.get(), 0, 1, 39, color);
    bmp->vtable->draw_vline(bmp.get(), 7, 0, 3, color);
    bmp->vtable->put_pixel(bmp.get(), 30, 3, color);
  }
  EXPECT_TRUE(bitmap_matches(bmp.get(), image));
}

TEST_P(PixelDepthTest, PatternModesDrawNothingWithoutAUsablePattern) {
  const int depth = GetParam();
  bitmap_ptr bmp = make_bitmap(depth, 10, 3);
  std::mt19937 rng(13);
  const reference_image image = random_image(10, 3, depth, rng);
  paint(bmp.get(), image);
  // A pattern of another pixel size would be read past its rows.
  bitmap_ptr other = make_bitmap(depth == 32 ? 8 : 32, 4, 4);
  for (bitmap *pattern : {static_cast<bitmap *>(nullptr), other.get()}) {
    for (int mode : {MODE_PATTERN_COPY, MODE_PATTERN_SOLID, MODE_PATTERN_MASKED}) {
      set_draw_mode(mode, pattern, 0, 0);
      bmp->vtable->put_pixel(bmp.get(), 1, 1, 1);
      bmp->vtable->draw_hline(bmp.get(), 0, 0, 9, 1);
      bmp->vtable->draw_vline(bmp.get(), 5, 0, 2, 1);
    }
  }
  EXPECT_TRUE(bitmap_matches(bmp.get(), image));
}

TEST_P(PixelDepthTest, TranslucentModeDrawsNothingWithoutABlender) {
  const int depth = GetParam();
  bitmap_ptr bmp = make_bitmap(depth, 10, 3);
  std::mt19937 rng(17);
  const reference_image image = random_image(10, 3, depth, rng);
  paint(bmp.get(), image);
  shade_table = nullptr;
  blend_hook15 = blend_hook16 = blend_hook24 = blend_hook32 = nullptr;
  set_draw_mode(MODE_TRANSLUCENT, nullptr, 0, 0);
  bmp->vtable->put_pixel(bmp.get(), 1, 1, 1);
  bmp->vtable->draw_hline(bmp.get(), 0, 0, 9, 1);
  bmp->vtable->draw_vline(bmp.get(), 5, 0, 2, 1);
  EXPECT_TRUE(bitmap_matches(bmp.get(), image));
}

TEST_P(PixelDepthTest, TablesHoldTheirDepthAndSharedSlots) {
  const int depth = GetParam();
  const draw_vtable *table = find_vtable(depth);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->color_depth, depth);
  EXPECT_EQ(static_cast<uint32_t>(table->mask_color), mask_color_of(depth));
  EXPECT_EQ(table->fill_hline, table->draw_hline);
  EXPECT_EQ(table->blit_to_memory, table->blit_from_memory);
  EXPECT_EQ(table->blit_to_self_forward, table->blit_from_memory);
  EXPECT_EQ(table->blit_convert, find_vtable(8)->blit_convert);
  EXPECT_EQ(table->release_line, find_vtable(8)->release_line);
  EXPECT_EQ(table->clip_changed, nullptr);
  EXPECT_EQ(table->acquire, nullptr);
  EXPECT_EQ(table->unused_slot, nullptr);
  EXPECT_NE(table->end_marker, nullptr);
}

INSTANTIATE_TEST_SUITE_P(AllDepths, PixelDepthTest, ::testing::Values(8, 15, 16, 24, 32));

TEST(PixelLayoutTest, FifteenAndSixteenBitsShareTheLayoutFreeRoutines) {
  const draw_vtable *t15 = find_vtable(15);
  const draw_vtable *t16 = find_vtable(16);
  EXPECT_EQ(t15->blit_from_memory, t16->blit_from_memory);
  EXPECT_EQ(t15->blit_copy_backward, t16->blit_copy_backward);
  EXPECT_EQ(t15->blit_masked, t16->blit_masked);
  EXPECT_EQ(t15->clear_to_color, t16->clear_to_color);
  EXPECT_NE(t15->put_pixel, t16->put_pixel);
}

TEST(PixelLayoutTest, TwentyFourBitPixelsAreStoredHighByteFirst) {
  bitmap_ptr bmp = make_bitmap(24, 4, 1);
  std::memset(bmp->lines[0], 0, 12);
  bmp->vtable->put_pixel(bmp.get(), 1, 0, 0x123456);
  const unsigned char expected[12] = {0, 0, 0, 0x12, 0x34, 0x56, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(bmp->lines[0], expected, 12), 0);
  EXPECT_EQ(bmp->vtable->get_pixel(bmp.get(), 1, 0), 0x123456);
  bmp->vtable->draw_hline(bmp.get(), 0, 0, 3, 0xABCDEF);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(bmp->lines[0][3 * x], 0xAB);
    EXPECT_EQ(bmp->lines[0][3 * x + 2], 0xEF);
  }
}

TEST(PixelLayoutTest, PatternSolidWritesTheMaskWhereThePatternIsMasked) {
  bitmap_ptr bmp = make_bitmap(24, 2, 1);
  bitmap_ptr pattern = make_bitmap(24, 2, 1);
  pattern->vtable->put_pixel(pattern.get(), 0, 0, 0xFF00FF);
  pattern->vtable->put_pixel(pattern.get(), 1, 0, 0x000001);
  set_draw_mode(MODE_PATTERN_SOLID, pattern.get(), 0, 0);
  bmp->vtable->draw_hline(bmp.get(), 0, 0, 1, 0x123456);
  set_draw_mode(MODE_SOLID, nullptr, 0, 0);
  EXPECT_EQ(raw_pixel(bmp.get(), 0, 0), 0xFF00FFu);
  EXPECT_EQ(raw_pixel(bmp.get(), 1, 0), 0x123456u);
}

TEST(PixelLayoutTest, SetDrawModeMasksAndTheNullPattern) {
  bitmap_ptr pattern = make_bitmap(8, 17, 1);
  set_draw_mode(MODE_PATTERN_COPY, pattern.get(), 2, 3);
  EXPECT_EQ(pattern_x_mask, 15u);
  EXPECT_EQ(pattern_y_mask, 0u);
  EXPECT_EQ(pattern_x_anchor, 2);
  EXPECT_EQ(pattern_y_anchor, 3);
  set_draw_mode(MODE_XOR, nullptr, 0, 0);
  EXPECT_EQ(pattern_x_mask, 0u);
  EXPECT_EQ(draw_pattern, nullptr);
  EXPECT_EQ(draw_mode, MODE_XOR);
  set_draw_mode(MODE_SOLID, nullptr, 0, 0);
}

// Line accessors that count their calls, and a release_line that counts too.
int write_calls = 0;
int read_calls = 0;
int release_calls = 0;
unsigned char *counting_write(bitmap *bmp, int row) {
  ++write_calls;
  return bmp->lines[row];
}
unsigned char *counting_read(bitmap *bmp, int row) {
  ++read_calls;
  return bmp->lines[row];
}
void counting_release(bitmap *) { ++release_calls; }

class LineAccessTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    bmp_ = make_bitmap(GetParam(), 16, 8);
    table_ = *bmp_->vtable;
    table_.release_line = counting_release;
    bmp_->vtable = &table_;
    bmp_->write_line = counting_write;
    bmp_->read_line = counting_read;
    write_calls = read_calls = release_calls = 0;
  }
  void TearDown() override { set_draw_mode(MODE_SOLID, nullptr, 0, 0); }
  bitmap_ptr bmp_;
  draw_vtable table_{};
};

TEST_P(LineAccessTest, OneReleasePerCallAndOneAccessPerLine) {
  table_.draw_hline(bmp_.get(), 0, 3, 15, 1);
  EXPECT_EQ(write_calls, 1);
  EXPECT_EQ(release_calls, 1);

  write_calls = release_calls = 0;
  table_.draw_vline(bmp_.get(), 2, 0, 7, 1);
  EXPECT_EQ(write_calls, 8);
  EXPECT_EQ(release_calls, 1);

  write_calls = release_calls = 0;
  table_.clear_to_color(bmp_.get(), 1);
  EXPECT_EQ(write_calls, 8);
  EXPECT_EQ(release_calls, 1);

  release_calls = 0;
  EXPECT_NE(table_.get_pixel(bmp_.get(), 1, 1), -1);
  EXPECT_EQ(read_calls, 1);
  EXPECT_EQ(release_calls, 1);
}

TEST_P(LineAccessTest, XorReadsAndWritesTheSameLine) {
  set_draw_mode(MODE_XOR, nullptr, 0, 0);
  table_.draw_hline(bmp_.get(), 0, 3, 15, 1);
  EXPECT_EQ(read_calls, 1);
  EXPECT_EQ(write_calls, 1);
  EXPECT_EQ(release_calls, 1);
}

TEST_P(LineAccessTest, ClippedAwayPixelsTouchNoLine) {
  set_clip_area(bmp_.get(), 4, 4, 6, 6);
  release_calls = 0;
  table_.put_pixel(bmp_.get(), 0, 0, 1);
  table_.draw_hline(bmp_.get(), 0, 0, 3, 1);
  table_.draw_vline(bmp_.get(), 9, 0, 7, 1);
  EXPECT_EQ(write_calls + read_calls + release_calls, 0);
}

TEST_P(LineAccessTest, VlineOutsideSolidGoesThroughPutPixel) {
  set_draw_mode(MODE_XOR, nullptr, 0, 0);
  table_.draw_vline(bmp_.get(), 2, 0, 7, 1);
  EXPECT_EQ(write_calls, 8);
  EXPECT_EQ(read_calls, 8);
  EXPECT_EQ(release_calls, 8);
}

TEST_P(LineAccessTest, BlitsReleaseEachBitmapOnce) {
  bitmap_ptr other = make_bitmap(GetParam(), 16, 8);
  release_calls = 0;
  table_.blit_from_memory(bmp_.get(), other.get(), 0, 0, 0, 0, 16, 8);
  EXPECT_EQ(read_calls, 8);
  EXPECT_EQ(release_calls, 1);  // the other bitmap's release is the library's own
  release_calls = read_calls = write_calls = 0;
  table_.blit_masked(other.get(), bmp_.get(), 0, 0, 0, 0, 16, 8);
  EXPECT_EQ(write_calls, 8);
  EXPECT_EQ(release_calls, 1);
}

INSTANTIATE_TEST_SUITE_P(AllDepths, LineAccessTest, ::testing::Values(8, 15, 16, 24, 32));

}  // namespace
