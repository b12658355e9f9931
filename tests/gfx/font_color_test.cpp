// Colour and translucent fonts: 8-bit glyphs in the text colour or in their own colours, glyphs of
// the target's depth and of other depths drawn with their mask colour transparent, background
// cells, and glyphs drawn through the blender.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/font.h"
#include "font_test_support.h"
#include "support/bitmap_compare.h"

namespace {

using namespace corvane::testing;
using font_test::font_ptr;
using font_test::make_color_font;

// A bitmap of a depth filled from rows of pixel values.
bitmap *glyph_bitmap(int depth, const std::vector<std::vector<uint32_t>> &rows) {
  const int height = static_cast<int>(rows.size());
  const int width = static_cast<int>(rows[0].size());
  bitmap *g = create_bitmap_at_depth(depth, width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      set_raw_pixel(g, x, y, rows[static_cast<size_t>(y)][static_cast<size_t>(x)]);
  return g;
}

constexpr uint32_t FILL32 = 0x111111;

bitmap_ptr filled_target(int width, int height) {
  bitmap_ptr target = make_bitmap(32, width, height);
  target->vtable->clear_to_color(target.get(), static_cast<int>(FILL32));
  return target;
}

TEST(ColorFontTest, EightBitGlyphsAreDrawnInTheTextColour) {
  // Height 4 font, 2-row glyph: centred one row down.
  font_ptr f(make_color_font(4, 'a', {glyph_bitmap(8, {{0, 3, 0}, {9, 0, 1}})}));
  for (int background : {-1, 0x0000FF}) {
    bitmap_ptr target = filled_target(6, 6);
    draw_text(target.get(), f.get(), "a", 1, 1, 0xFF0000, background);
    reference_image expected(6, 6, 32, FILL32);
    const uint32_t bg = background < 0 ? FILL32 : static_cast<uint32_t>(background);
    const uint32_t rows[2][3] = {{bg, 0xFF0000, bg}, {0xFF0000, bg, 0xFF0000}};
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) expected.at(1 + x, 2 + y) = rows[y][x];
    EXPECT_TRUE(bitmap_matches(target.get(), expected)) << "background " << background;
  }
}

TEST(ColorFontTest, GlyphsOfTheTargetDepthKeepTheirColoursAndMask) {
  const uint32_t m = MASK_COLOR_32;
  font_ptr f(make_color_font(
      2, 'a', {glyph_bitmap(32, {{0xABCDEF, m}, {m, 0x123456}}), glyph_bitmap(32, {{7}, {8}})}));
  bitmap_ptr target = filled_target(5, 3);
  draw_text(target.get(), f.get(), "ab", 1, 0, 0xFFFFFF, -1);
  reference_image expected(5, 3, 32, FILL32);
  expected.at(1, 0) = 0xABCDEF;
  expected.at(2, 1) = 0x123456;
  expected.at(3, 0) = 7;
  expected.at(3, 1) = 8;
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
  EXPECT_EQ(text_width(f.get(), "ab"), 3);
}

TEST(ColorFontTest, GlyphsOfAnotherDepthAreConvertedWithTheMaskKept) {
  // 16-bit white, red (red lowest by default), black and the mask colour.
  font_ptr f(
      make_color_font(2, 'a', {glyph_bitmap(16, {{0xFFFF, 0x001F}, {0x0000, MASK_COLOR_16}})}));
  set_color_conversion(CONV_DITHER_8);
  bitmap_ptr target = filled_target(3, 2);
  draw_text(target.get(), f.get(), "a", 0, 0, 0, -1);
  reference_image expected(3, 2, 32, FILL32);
  expected.at(0, 0) = 0xFFFFFF;
  expected.at(1, 0) = 0x0000FF;
  expected.at(0, 1) = 0;
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
  EXPECT_EQ(get_color_conversion(), CONV_DITHER_8) << "the caller's setting is restored";
}

TEST(ColorFontTest, OwnColoursOnABackgroundFillTheWholeTextFirst) {
  // Glyphs of widths 2 and 1, line height 3: the background covers 3 x 3 from (1, 1).
  const uint32_t m = MASK_COLOR_32;
  font_ptr f(make_color_font(3, 'a', {glyph_bitmap(32, {{0xAA, m}}), glyph_bitmap(32, {{m}})}));
  bitmap_ptr target = filled_target(6, 5);
  draw_text(target.get(), f.get(), "ab", 1, 1, -1, 0x00FF00);
  reference_image expected(6, 5, 32, FILL32);
  for (int y = 1; y <= 3; ++y)
    for (int x = 1; x <= 3; ++x) expected.at(x, y) = 0x00FF00;
  expected.at(1, 2) = 0xAA;  // a 1-row glyph centred in 3 rows
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
}

TEST(ColorFontTest, ACharacterAloneFillsItsCell) {
  font_ptr f(make_color_font(2, 'a', {glyph_bitmap(32, {{MASK_COLOR_32, 5}})}));
  bitmap_ptr target = filled_target(4, 3);
  EXPECT_EQ(f->font_ops->render_char(f.get(), 'a', -1, 0x22, target.get(), 1, 1), 2);
  // The 2 x 2 cell in the background; the 1-row glyph at the top ((2 - 1) / 2 = 0 rows down).
  reference_image expected(4, 3, 32, FILL32);
  expected.at(1, 1) = 0x22;
  expected.at(2, 1) = 5;
  expected.at(1, 2) = 0x22;
  expected.at(2, 2) = 0x22;
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
}

TEST(ColorFontTest, MissingGlyphsWithoutACaretDrawNothing) {
  font_ptr f(make_color_font(2, 'a', {glyph_bitmap(32, {{5}})}));
  bitmap_ptr target = filled_target(4, 2);
  EXPECT_EQ(f->font_ops->render_char(f.get(), 'q', 9, -1, target.get(), 0, 0), 0);
  EXPECT_EQ(text_width(f.get(), "aqa"), 2);
  EXPECT_TRUE(bitmap_matches(target.get(), reference_image(4, 2, 32, FILL32)));
}

TEST(ColorFontTest, EightBitGlyphsInTheirOwnColoursGoThroughThePalette) {
  bitmap_ptr probe = make_bitmap(32, 1, 1);
  if (probe->vtable->draw_sprite_8bit == nullptr) GTEST_SKIP() << "needs the sprite routines";
  set_color_depth(32);
  palette pal = {};
  pal[3] = rgb_entry{63, 0, 0, 0};
  apply_palette(pal);
  font_ptr f(make_color_font(1, 'a', {glyph_bitmap(8, {{0, 3}})}));
  bitmap_ptr target = filled_target(2, 1);
  draw_text(target.get(), f.get(), "a", 0, 0, -1, -1);
  reference_image expected(2, 1, 32, FILL32);
  expected.at(1, 0) = static_cast<uint32_t>(make_color_depth(32, 255, 0, 0));
  EXPECT_TRUE(bitmap_matches(target.get(), expected)) << "index 0 is transparent";
}

// ---- Translucent fonts ----------------------------------------------------------------------

uint32_t average(uint32_t x, uint32_t y, uint32_t) {
  return ((x & 0xFEFEFE) >> 1) + ((y & 0xFEFEFE) >> 1);
}

TEST(TransFontTest, TheBackgroundIsFilledWheneverItIsGiven) {
  font_ptr f(make_color_font(2, 'a', {glyph_bitmap(24, {{MASK_COLOR_24}})}, &trans_font_ops));
  bitmap_ptr target = filled_target(3, 3);
  draw_text(target.get(), f.get(), "a", 1, 0, 0xFFFFFF, 0x3344);
  reference_image expected(3, 3, 32, FILL32);
  expected.at(1, 0) = 0x3344;
  expected.at(1, 1) = 0x3344;
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
}

TEST(TransFontTest, GlyphsAreMixedByTheBlender) {
  bitmap_ptr probe = make_bitmap(32, 1, 1);
  if (probe->vtable->draw_sprite_trans == nullptr) GTEST_SKIP() << "needs the sprite routines";
  blend_hook32 = average;
  font_ptr f(make_color_font(1, 'a', {glyph_bitmap(32, {{0xFF00FE}})}, &trans_font_ops));
  // 0xFF00FE is not the mask colour (0xFF00FF), so it is mixed too.
  bitmap_ptr target = filled_target(2, 1);
  draw_text(target.get(), f.get(), "a", 0, 0, 0, -1);
  reference_image expected(2, 1, 32, FILL32);
  expected.at(0, 0) = average(0xFF00FE, FILL32, 0);
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
}

}  // namespace
