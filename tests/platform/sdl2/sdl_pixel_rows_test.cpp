// Conversion of screen rows into the presentation texture's XRGB pixels: every depth, packed with
// the library's own colour functions in the layout the display drivers set, comes out as the
// components the library reads back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "platform/sdl2/sdl_pixel_rows.h"

namespace {

using corvane::sdl::convert_row_to_xrgb;

uint32_t xrgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

// Packs colours for a depth into a row as the drawing routines store them.
std::vector<unsigned char> row_of(int depth, const std::vector<int> &colors) {
  const int bytes = bytes_per_pixel_of_depth(depth);
  std::vector<unsigned char> row(colors.size() * static_cast<size_t>(bytes));
  for (size_t i = 0; i < colors.size(); ++i) {
    const auto value = static_cast<uint32_t>(colors[i]);
    unsigned char *p = row.data() + i * static_cast<size_t>(bytes);
    if (depth == 24) {
      p[0] = static_cast<unsigned char>(value >> 16);
      p[1] = static_cast<unsigned char>(value >> 8);
      p[2] = static_cast<unsigned char>(value);
    } else if (depth == 8) {
      p[0] = static_cast<unsigned char>(value);
    } else if (depth <= 16) {
      const auto half = static_cast<uint16_t>(value);
      std::memcpy(p, &half, 2);
    } else {
      std::memcpy(p, &value, 4);
    }
  }
  return row;
}

class PixelRowsTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override { corvane::sdl::use_presentation_layout(); }
};

TEST_P(PixelRowsTest, ComponentsSurviveTheConversion) {
  const int depth = GetParam();
  // Extremes of every component and a few mixed colours.
  const int samples[][3] = {{0, 0, 0},     {255, 255, 255}, {255, 0, 0},    {0, 255, 0},
                            {0, 0, 255},   {8, 4, 8},       {128, 64, 200}, {255, 0, 255},
                            {17, 200, 99}, {247, 251, 3}};
  std::vector<int> colors;
  for (const auto &s : samples) colors.push_back(make_color_depth(depth, s[0], s[1], s[2]));
  const std::vector<unsigned char> row = row_of(depth, colors);
  std::vector<uint32_t> out(colors.size() + 1, 0xDEADBEEFu);
  convert_row_to_xrgb(depth, row.data(), out.data(), static_cast<int>(colors.size()), nullptr);
  for (size_t i = 0; i < colors.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(out[i], xrgb(get_red_depth(depth, colors[i]), get_green_depth(depth, colors[i]),
                           get_blue_depth(depth, colors[i])));
  }
  EXPECT_EQ(out.back(), 0xDEADBEEFu);  // nothing written past the width
}

TEST(PixelRows, EveryWordOfFifteenAndSixteenBits) {
  corvane::sdl::use_presentation_layout();
  for (const int depth : {15, 16}) {
    std::vector<int> colors(65536);
    for (int v = 0; v < 65536; ++v) colors[static_cast<size_t>(v)] = v;
    const std::vector<unsigned char> row = row_of(depth, colors);
    std::vector<uint32_t> out(colors.size());
    convert_row_to_xrgb(depth, row.data(), out.data(), 65536, nullptr);
    for (int v = 0; v < 65536; ++v) {
      ASSERT_EQ(out[static_cast<size_t>(v)],
                xrgb(get_red_depth(depth, v), get_green_depth(depth, v), get_blue_depth(depth, v)))
          << "depth " << depth << " value " << v;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryTrueColourDepth, PixelRowsTest, ::testing::Values(15, 16, 24, 32));

TEST(PixelRows, LayoutPutsRedHighestAsTheTextureExpects) {
  corvane::sdl::use_presentation_layout();
  EXPECT_EQ(make_color_depth(32, 0x12, 0x34, 0x56), 0x123456);
  EXPECT_EQ(make_color_depth(24, 0x12, 0x34, 0x56), 0x123456);
  EXPECT_EQ(make_color_depth(16, 255, 0, 0), 0xF800);
  EXPECT_EQ(make_color_depth(15, 255, 0, 0), 0x7C00);
  EXPECT_EQ(palette_tables_stale, 0xFFFFFFFFu);
}

TEST(PixelRows, EightBitRowsLookUpThePalette) {
  uint32_t palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x010101);
  const unsigned char row[] = {0, 1, 128, 255, 7};
  uint32_t out[5];
  convert_row_to_xrgb(8, row, out, 5, palette);
  EXPECT_EQ(out[0], 0xFF000000u);
  EXPECT_EQ(out[1], 0xFF010101u);
  EXPECT_EQ(out[2], 0xFF808080u);
  EXPECT_EQ(out[3], 0xFFFFFFFFu);
  EXPECT_EQ(out[4], 0xFF070707u);
}

TEST(PixelRows, PaletteEntriesScaleSixBitComponents) {
  EXPECT_EQ(corvane::sdl::xrgb_of_palette_entry(rgb_entry{63, 63, 63, 0}), 0xFFFFFFFFu);
  EXPECT_EQ(corvane::sdl::xrgb_of_palette_entry(rgb_entry{0, 0, 0, 0}), 0xFF000000u);
  EXPECT_EQ(corvane::sdl::xrgb_of_palette_entry(rgb_entry{63, 0, 32, 0}),
            xrgb(255, 0, SCALE_6_TO_8[32]));
  // Out-of-range components are cut to six bits rather than read past the table.
  EXPECT_EQ(corvane::sdl::xrgb_of_palette_entry(rgb_entry{64 + 1, 0, 0, 0}),
            xrgb(SCALE_6_TO_8[1], 0, 0));
}

TEST(PixelRows, UnknownDepthGivesBlackAndEmptyRowsNothing) {
  const unsigned char row[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  uint32_t out[3] = {1, 2, 3};
  convert_row_to_xrgb(12, row, out, 2, nullptr);
  EXPECT_EQ(out[0], 0u);
  EXPECT_EQ(out[1], 0u);
  EXPECT_EQ(out[2], 3u);
  convert_row_to_xrgb(32, row, out, 0, nullptr);
  EXPECT_EQ(out[0], 0u);
}

}  // namespace
