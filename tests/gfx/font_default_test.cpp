// The built-in font: its four ranges, every glyph packed from its picture, measuring, the
// replacement character for code points between the ranges, and the whole set as a golden image.
#include <gtest/gtest.h>

#include <string>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/font.h"
#include "corvane/text.h"
#include "font_test_support.h"
#include "support/bitmap_compare.h"
#include "support/golden_image.h"

namespace {

using namespace corvane::testing;
using font_test::default_ink;
using font_test::default_pictures;

// The glyph record the built-in font holds for a code point, found by walking its ranges.
const mono_glyph *glyph_of(int code_point) {
  for (auto *r = static_cast<const mono_range *>(default_font->ranges); r != nullptr; r = r->next) {
    if (code_point >= r->first && code_point < r->last_plus_one)
      return r->glyphs[code_point - r->first];
  }
  return nullptr;
}

TEST(DefaultFontTest, HasFourRangesOfEightByEightGlyphs) {
  ASSERT_NE(default_font, nullptr);
  EXPECT_NE(is_mono_font(default_font), 0);
  EXPECT_EQ(is_color_font(default_font), 0);
  EXPECT_EQ(font_text_height(default_font), 8);
  EXPECT_EQ(count_font_ranges(default_font), 4);
  const int firsts[] = {0x20, 0xA1, 0x100, 0x20AC};
  const int lasts[] = {0x7F, 0xFF, 0x17F, 0x20AC};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(font_range_begin(default_font, i), firsts[i]) << "range " << i;
    EXPECT_EQ(font_range_end(default_font, i), lasts[i]) << "range " << i;
  }
  EXPECT_EQ(font_range_begin(default_font, -1), 0x20);
  EXPECT_EQ(font_range_end(default_font, -1), 0x20AC);
  EXPECT_EQ(font_range_begin(default_font, 2), 0x100);
  EXPECT_EQ(font_range_begin(default_font, 4), -1);
  EXPECT_EQ(font_range_end(default_font, 4), -1);
  EXPECT_EQ(font_range_begin(default_font, -2), -1);
}

TEST(DefaultFontTest, EveryGlyphIsPackedFromItsPicture) {
  const auto &pictures = default_pictures();
  ASSERT_EQ(pictures.size(), 96u + 95u + 128u + 1u);
  for (const auto &[code_point, rows] : pictures) {
    const mono_glyph *g = glyph_of(code_point);
    ASSERT_NE(g, nullptr) << std::hex << code_point;
    ASSERT_EQ(g->glyph_width, 8);
    ASSERT_EQ(g->glyph_height, 8);
    const unsigned char *data = g->data;
    for (int row = 0; row < 8; ++row) {
      unsigned expected = 0;
      for (int column = 0; column < 8; ++column)
        if (rows[static_cast<size_t>(row)][static_cast<size_t>(column)] == '#')
          expected |= 0x80u >> column;
      ASSERT_EQ(data[row], expected) << "U+" << std::hex << code_point << " row " << row;
    }
  }
}

TEST(DefaultFontTest, CapitalAHasItsPublishedPattern) {
  const mono_glyph *a = glyph_of('A');
  ASSERT_NE(a, nullptr);
  const unsigned char expected[8] = {0x30, 0x78, 0xCC, 0xCC, 0xFC, 0xCC, 0xCC, 0x00};
  const unsigned char *data = a->data;
  for (int row = 0; row < 8; ++row) EXPECT_EQ(data[row], expected[row]) << "row " << row;
}

TEST(DefaultFontTest, EveryGlyphButTheSpaceHasInk) {
  for (const auto &[code_point, rows] : default_pictures()) {
    int ink = 0;
    for (const std::string &row : rows)
      for (char c : row) ink += c == '#' ? 1 : 0;
    if (code_point == 0x20) {
      EXPECT_EQ(ink, 0) << "the space is empty";
    } else {
      EXPECT_GT(ink, 0) << "U+" << std::hex << code_point << " has no ink";
    }
  }
}

TEST(DefaultFontTest, TheGreetingMeasuresOneHundredAndFourPixels) {
  EXPECT_EQ(text_width(default_font, "Hello, world!"), 104);
  EXPECT_EQ(text_width(default_font, ""), 0);
  EXPECT_EQ(text_width(default_font, nullptr), 0);
  EXPECT_EQ(text_width(nullptr, "x"), 0);
}

TEST(DefaultFontTest, CodePointsBetweenTheRangesAreMeasuredAndDrawnAsACaret) {
  // U+00A0, U+0080 and U+009F (and code points past the last range) in UTF-8.
  const std::string gaps = "\xC2\xA0\xC2\x80\xC2\x9F\xC6\x80\xE2\x82\xAD";
  EXPECT_EQ(text_width(default_font, gaps.c_str()), 5 * 8);
  bitmap_ptr target = make_bitmap(8, 40, 8);
  clear_bitmap(target.get());
  draw_text(target.get(), default_font, gaps.c_str(), 0, 0, 3, 1);
  reference_image expected(40, 8, 8, 0);
  font_test::expect_default_text(expected, {'^', '^', '^', '^', '^'}, 0, 0, 3, 1);
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
}

TEST(DefaultFontTest, LatinOneExtendedAndTheEuroSignAreDrawnFromTheirOwnGlyphs) {
  // é, Ł, € in UTF-8.
  const std::string text = "\xC3\xA9\xC5\x81\xE2\x82\xAC";
  bitmap_ptr target = make_bitmap(32, 24, 8);
  target->vtable->clear_to_color(target.get(), 0);
  draw_text(target.get(), default_font, text.c_str(), 0, 0, 0xFFFFFF, -1);
  reference_image expected(24, 8, 32, 0);
  font_test::expect_default_text(expected, {0xE9, 0x141, 0x20AC}, 0, 0, 0xFFFFFF, -1);
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
  EXPECT_NE(default_pictures().at(0xE9), default_pictures().at('^'));
}

TEST(DefaultFontTest, TheBuiltInFontCannotBeDestroyed) {
  destroy_font(default_font);
  default_font->font_ops->destroy(default_font);
  EXPECT_EQ(count_font_ranges(default_font), 4);
  EXPECT_EQ(text_width(default_font, "abc"), 24);
}

TEST(DefaultFontTest, TheWholeSetMatchesItsGoldenImage) {
  // 40 glyphs a row, each in a 9x9 cell, black on white.
  bitmap_ptr sheet = make_bitmap(32, 40 * 9 + 1, 8 * 9 + 1);
  sheet->vtable->clear_to_color(sheet.get(), 0xFFFFFF);
  int i = 0;
  for (const auto &entry : default_pictures()) {
    const int code_point = entry.first;
    char utf8[8] = {};
    text_insert(utf8, 0, code_point);
    draw_text(sheet.get(), default_font, utf8, 1 + (i % 40) * 9, 1 + (i / 40) * 9, 0, -1);
    ++i;
  }
  EXPECT_TRUE(matches_golden(sheet.get(), "default_font_sheet"));
}

}  // namespace
