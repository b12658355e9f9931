// Packing colours for each depth and back, the component shifts, ordered-dither packing, and the
// RGB/HSV conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "corvane/color.h"

namespace {

TEST(MakeColorTest, PacksAtEveryDepth) {
  EXPECT_EQ(make_color_depth(16, 255, 255, 255), 0xFFFF);
  EXPECT_EQ(make_color_depth(15, 255, 0, 255), 0x7C1F);
  EXPECT_EQ(make_color_depth(16, 255, 0, 255), 0xF81F);
  EXPECT_EQ(make_color_depth(24, 1, 2, 3), 0x030201);
  EXPECT_EQ(make_color_depth(32, 255, 255, 255), 0xFFFFFF);  // no alpha bits
  EXPECT_EQ(make_color_depth(12, 255, 255, 255), 0);
  EXPECT_EQ(make_color_depth(16, 8, 4, 8), 0x0821);
  set_color_depth(15);
  EXPECT_EQ(make_color(255, 0, 255), 0x7C1F);
  EXPECT_EQ(get_red(0x7C1F), 255);
  EXPECT_EQ(get_green(0x7C1F), 0);
  set_color_depth(8);
}

TEST(MakeColorTest, ComponentsSurviveARoundTrip) {
  EXPECT_EQ(get_red_depth(15, make_color_depth(15, 200, 0, 0)), 205);
  for (int c = 0; c < 0x8000; ++c) {
    const int back =
        make_color_depth(15, get_red_depth(15, c), get_green_depth(15, c), get_blue_depth(15, c));
    ASSERT_EQ(back, c);
  }
  for (int c = 0; c < 0x10000; ++c) {
    const int back =
        make_color_depth(16, get_red_depth(16, c), get_green_depth(16, c), get_blue_depth(16, c));
    ASSERT_EQ(back, c);
  }
  std::mt19937 rng(1);
  for (int i = 0; i < 1000; ++i) {
    const int c = static_cast<int>(rng() & 0xFFFFFF);
    for (int depth : {24, 32}) {
      EXPECT_EQ(make_color_depth(depth, get_red_depth(depth, c), get_green_depth(depth, c),
                                 get_blue_depth(depth, c)),
                c);
    }
  }
  EXPECT_EQ(get_red_depth(12, 0xFFFF), 0);
  EXPECT_EQ(get_green_depth(32, static_cast<int>(0xFF00FF00u)), 0xFF);
}

TEST(MakeColorTest, ScalingTablesSpanTheRange) {
  for (int i = 0; i < 32; ++i) EXPECT_EQ(SCALE_5_TO_8[i], i * 255 / 31);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(SCALE_6_TO_8[i], i * 255 / 63);
}

TEST(MakeColorTest, FollowsTheShiftVariables) {
  red_shift_16 = 11;
  blue_shift_16 = 0;
  EXPECT_EQ(make_color_depth(16, 255, 0, 0), 0xF800);
  EXPECT_EQ(get_red_depth(16, 0xF800), 255);
  EXPECT_EQ(get_blue_depth(16, 0x001F), 255);
  red_shift_16 = 0;
  blue_shift_16 = 11;
  red_shift_32 = 16;
  blue_shift_32 = 0;
  EXPECT_EQ(make_color_depth(32, 0x12, 0x34, 0x56), 0x123456);
  red_shift_32 = 0;
  blue_shift_32 = 16;
}

TEST(MakeColorTest, EightBitsUseTheIndexTableOrTheSearch) {
  palette pal{};
  pal[9] = rgb_entry{63, 63, 63, 0};
  pal[4] = rgb_entry{0, 0, 40, 0};
  select_palette(pal);
  EXPECT_EQ(make_color8(255, 255, 255), 9);
  EXPECT_EQ(make_color8(0, 0, 160), 4);
  EXPECT_EQ(get_red_depth(8, 9), 255);
  EXPECT_EQ(get_blue_depth(8, 4), SCALE_6_TO_8[40]);
  EXPECT_EQ(get_blue_depth(8, 4 + 256), SCALE_6_TO_8[40]);  // indices wrap within the palette

  std::vector<unsigned char> table(32768, 0);
  table[(31 << 10) | (31 << 5) | 31] = 77;
  rgb_index_table = table.data();
  EXPECT_EQ(make_color8(255, 255, 255), 77);
  EXPECT_EQ(make_color_depth(8, 255, 255, 255), 77);
  (void)make_color8(1000, -1000, 1 << 20);  // out of range: stays inside the table
  rgb_index_table = nullptr;
}

TEST(ColorDepthTest, PointsTheColourTableAtTheDepth) {
  EXPECT_EQ(get_color_depth(), 8);
  EXPECT_EQ(palette_color, palette_color_tables[0]);
  set_color_depth(24);
  EXPECT_EQ(palette_color, palette_color_tables[3]);
  set_color_depth(12);
  EXPECT_EQ(current_color_depth, 12);
  EXPECT_EQ(palette_color, palette_color_tables[3]);
  set_color_depth(8);
  EXPECT_EQ(get_color_conversion(), 0x00FFFFFFu);
  set_color_conversion(CONV_KEEP_TRANS);
  EXPECT_EQ(conversion_flags, CONV_KEEP_TRANS);
}

TEST(DitherTest, WhiteNeverOverflowsAField) {
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(dither_pack15(255, 255, 255, x, y), 0x7FFF);
      EXPECT_EQ(dither_pack16(255, 255, 255, x, y), 0xFFFF);
    }
  }
}

TEST(DitherTest, DroppedBitsRoundUpAtThatShareOfPositions) {
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dither_pack15(4, 0, 0, x, 5) & 31, x & 1);
  // Over a row of eight positions, a component c is rounded up at (c & 7) of them.
  for (int c = 0; c < 248; ++c) {
    for (int y = 0; y < 8; ++y) {
      int red = 0, green = 0, blue = 0, green16 = 0;
      for (int x = 0; x < 8; ++x) {
        const int v15 = dither_pack15(c, c, c, x, y);
        red += v15 & 31;
        green += (v15 >> 5) & 31;
        blue += (v15 >> 10) & 31;
        if (c < 252) green16 += (dither_pack16(0, c, 0, x, y) >> 5) & 63;
      }
      ASSERT_EQ(red, 8 * (c >> 3) + (c & 7)) << c;
      ASSERT_EQ(green, red);
      ASSERT_EQ(blue, red);
      ASSERT_EQ(green16, 8 * (c >> 2) + 2 * (c & 3)) << c;
    }
  }
}

TEST(HsvTest, KnownConversions) {
  int r, g, b;
  hsv_to_rgb(0, 0, 0.5f, &r, &g, &b);
  EXPECT_EQ(r, 128);
  EXPECT_EQ(g, 128);
  EXPECT_EQ(b, 128);
  hsv_to_rgb(120, 1, 1, &r, &g, &b);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(g, 255);
  EXPECT_EQ(b, 0);
  hsv_to_rgb(240, 0.5f, 1, &r, &g, &b);
  EXPECT_EQ(r, 128);
  EXPECT_EQ(g, 128);
  EXPECT_EQ(b, 255);
  hsv_to_rgb(-120, 1, 1, &r, &g, &b);  // negative hues wrap
  EXPECT_EQ(b, 255);
  EXPECT_EQ(r, 0);
  hsv_to_rgb(std::nanf(""), 1, 1, &r, &g, &b);  // no undefined conversion
  hsv_to_rgb(1e30f, 1, 1e30f, nullptr, nullptr, nullptr);

  float h, s, v;
  rgb_to_hsv(0, 0, 0, &h, &s, &v);
  EXPECT_EQ(h, 0.0f);
  EXPECT_EQ(s, 0.0f);
  EXPECT_EQ(v, 0.0f);
  rgb_to_hsv(255, 0, 0, &h, &s, &v);
  EXPECT_EQ(h, 0.0f);
  EXPECT_EQ(s, 1.0f);
  EXPECT_FLOAT_EQ(v, 1.0f);
  rgb_to_hsv(255, 0, 255, &h, &s, &v);
  EXPECT_FLOAT_EQ(h, 300.0f);
  rgb_to_hsv(0, 0, 255, &h, &s, &v);
  EXPECT_FLOAT_EQ(h, 240.0f);
  rgb_to_hsv(0, 255, 128, &h, &s, &v);
  EXPECT_FLOAT_EQ(h, 120.0f + 60.0f * 128.0f / 255.0f);
  rgb_to_hsv(100, 100, 100, &h, &s, &v);
  EXPECT_EQ(s, 0.0f);
  EXPECT_FLOAT_EQ(v, 100.0f / 255.0f);
}

TEST(HsvTest, RoundTripsStayWithinOneStep) {
  std::mt19937 rng(9);
  for (int i = 0; i < 20000; ++i) {
    const int r = static_cast<int>(rng() & 255), g = static_cast<int>(rng() & 255),
              b = static_cast<int>(rng() & 255);
    float h, s, v;
    rgb_to_hsv(r, g, b, &h, &s, &v);
    ASSERT_GE(h, 0.0f);
    ASSERT_LT(h, 360.0f);
    int r2, g2, b2;
    hsv_to_rgb(h, s, v, &r2, &g2, &b2);
    ASSERT_LE(std::abs(r2 - r), 1) << r << "," << g << "," << b;
    ASSERT_LE(std::abs(g2 - g), 1) << r << "," << g << "," << b;
    ASSERT_LE(std::abs(b2 - b), 1) << r << "," << g << "," << b;
  }
}

}  // namespace
