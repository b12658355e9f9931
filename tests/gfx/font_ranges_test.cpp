// Range operations of fonts: counting and bounds, extracting, merging, transposing and
// destroying, for monochrome and colour fonts.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/font.h"
#include "font_test_support.h"
#include "support/bitmap_compare.h"

namespace {

using namespace corvane::testing;
using font_test::font_ptr;
using font_test::make_color_font;
using font_test::make_mono_font;

// The ranges of a font as (first, last inclusive) pairs.
std::vector<std::pair<int, int>> ranges_of(const font *f) {
  std::vector<std::pair<int, int>> out;
  const int count = count_font_ranges(f);
  for (int i = 0; i < count; ++i) out.emplace_back(font_range_begin(f, i), font_range_end(f, i));
  return out;
}

const mono_glyph *mono_glyph_of(const font *f, int code_point) {
  for (auto *r = static_cast<const mono_range *>(f->ranges); r != nullptr; r = r->next)
    if (code_point >= r->first && code_point < r->last_plus_one)
      return r->glyphs[code_point - r->first];
  return nullptr;
}

bitmap *color_glyph_of(const font *f, int code_point) {
  for (auto *r = static_cast<const color_range *>(f->ranges); r != nullptr; r = r->next)
    if (code_point >= r->first && code_point < r->last_plus_one)
      return r->glyphs[code_point - r->first];
  return nullptr;
}

bool same_glyph(const mono_glyph *a, const mono_glyph *b) {
  if (a == nullptr || b == nullptr) return false;
  if (a->glyph_width != b->glyph_width || a->glyph_height != b->glyph_height) return false;
  const size_t bytes = static_cast<size_t>((a->glyph_width + 7) / 8) * a->glyph_height;
  return std::memcmp(a->data, b->data, bytes) == 0;
}

TEST(FontRangesTest, CountsAndBoundsOfNullAndEmptyFonts) {
  EXPECT_EQ(count_font_ranges(nullptr), -1);
  EXPECT_EQ(font_range_begin(nullptr, 0), -1);
  EXPECT_EQ(font_range_end(nullptr, -1), -1);
  font_ptr empty(make_mono_font(8, {}));
  EXPECT_EQ(count_font_ranges(empty.get()), -1);
  EXPECT_EQ(font_range_begin(empty.get(), -1), -1);
  EXPECT_EQ(font_range_end(empty.get(), -1), -1);
  EXPECT_EQ(text_width(empty.get(), "abc"), 0);
}

TEST(FontRangesTest, ExtractingWithinOneRangeCopiesItsGlyphs) {
  font_ptr letters(extract_font_range(default_font, 'A', 'Z'));
  ASSERT_NE(letters, nullptr);
  EXPECT_NE(is_mono_font(letters.get()), 0);
  EXPECT_EQ(font_text_height(letters.get()), 8);
  EXPECT_EQ(ranges_of(letters.get()), (std::vector<std::pair<int, int>>{{'A', 'Z'}}));
  for (int c = 'A'; c <= 'Z'; ++c) {
    const mono_glyph *copy = mono_glyph_of(letters.get(), c);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, mono_glyph_of(default_font, c)) << "a copy, not the same record";
    EXPECT_TRUE(same_glyph(copy, mono_glyph_of(default_font, c))) << static_cast<char>(c);
  }
  EXPECT_EQ(text_width(letters.get(), "a"), 0) << "no '^' either: nothing is drawn";
}

TEST(FontRangesTest, ExtractingAcrossAGapGivesOneRangePerOverlap) {
  font_ptr part(extract_font_range(default_font, 0x7E, 0x102));
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(ranges_of(part.get()),
            (std::vector<std::pair<int, int>>{{0x7E, 0x7F}, {0xA1, 0xFF}, {0x100, 0x102}}));
}

TEST(FontRangesTest, MinusOneSelectsTheFontsOwnBounds) {
  font_ptr all(extract_font_range(default_font, -1, -1));
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(ranges_of(all.get()), ranges_of(default_font));
  font_ptr tail(extract_font_range(default_font, 0x17E, -1));
  EXPECT_EQ(ranges_of(tail.get()),
            (std::vector<std::pair<int, int>>{{0x17E, 0x17F}, {0x20AC, 0x20AC}}));
  font_ptr head(extract_font_range(default_font, -1, 0x21));
  EXPECT_EQ(ranges_of(head.get()), (std::vector<std::pair<int, int>>{{0x20, 0x21}}));
  font_ptr wide(extract_font_range(default_font, -500, 0x7FFFFFFF));
  EXPECT_EQ(ranges_of(wide.get()), ranges_of(default_font)) << "bounds are clipped to the font";
}

TEST(FontRangesTest, ExtractingNothingGivesAnEmptyFontOfTheSameKind) {
  font_ptr none(extract_font_range(default_font, 0x80, 0xA0));
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(count_font_ranges(none.get()), -1);
  EXPECT_NE(is_mono_font(none.get()), 0);
  font_ptr reversed(extract_font_range(default_font, 'z', 'a'));
  ASSERT_NE(reversed, nullptr);
  EXPECT_EQ(count_font_ranges(reversed.get()), -1);
  EXPECT_EQ(extract_font_range(nullptr, 0, 10), nullptr);
}

TEST(FontRangesTest, MergingOrdersTheRangesByFirstCodePoint) {
  font_ptr high(extract_font_range(default_font, 0x100, 0x17F));
  font_ptr low(extract_font_range(default_font, 'a', 'z'));
  font_ptr tall(make_mono_font(12, {{'0', {{"#"}, {"##"}}}}));
  font_ptr merged(merge_fonts(high.get(), low.get()));
  ASSERT_NE(merged, nullptr);
  EXPECT_EQ(ranges_of(merged.get()),
            (std::vector<std::pair<int, int>>{{'a', 'z'}, {0x100, 0x17F}}));
  font_ptr three(merge_fonts(merged.get(), tall.get()));
  ASSERT_NE(three, nullptr);
  EXPECT_EQ(ranges_of(three.get()),
            (std::vector<std::pair<int, int>>{{'0', '1'}, {'a', 'z'}, {0x100, 0x17F}}));
  EXPECT_EQ(font_text_height(three.get()), 12) << "the taller font's line height";
  EXPECT_TRUE(same_glyph(mono_glyph_of(three.get(), 'q'), mono_glyph_of(default_font, 'q')));
  // The sources are untouched.
  EXPECT_EQ(ranges_of(high.get()), (std::vector<std::pair<int, int>>{{0x100, 0x17F}}));
}

TEST(FontRangesTest, FontsOfDifferentKindsDoNotMerge) {
  bitmap *glyph = create_bitmap_at_depth(8, 2, 2);
  font_ptr color(make_color_font(2, 'x', {glyph}));
  EXPECT_EQ(merge_fonts(default_font, color.get()), nullptr);
  EXPECT_EQ(merge_fonts(color.get(), default_font), nullptr);
  EXPECT_EQ(merge_fonts(nullptr, default_font), nullptr);
  EXPECT_EQ(default_font->font_ops->merge(default_font, color.get()), nullptr);
}

TEST(FontRangesTest, TransposeMovesEveryRangeInPlace) {
  font_ptr f(extract_font_range(default_font, 0x7E, 0xA2));
  ASSERT_EQ(transpose_font(f.get(), 0x1000), 0);
  EXPECT_EQ(ranges_of(f.get()),
            (std::vector<std::pair<int, int>>{{0x107E, 0x107F}, {0x10A1, 0x10A2}}));
  ASSERT_EQ(transpose_font(f.get(), -0x1000), 0);
  EXPECT_EQ(text_width(f.get(), "~"), 8);
  EXPECT_EQ(transpose_font(nullptr, 5), -1);
}

TEST(FontRangesTest, ATransposeThatWouldOverflowChangesNothing) {
  // The first range would still fit, the second would not: neither moves.
  font_ptr f(extract_font_range(default_font, 0x7E, 0xA2));
  EXPECT_EQ(transpose_font(f.get(), INT_MAX - 0x90), -1);
  EXPECT_EQ(ranges_of(f.get()), (std::vector<std::pair<int, int>>{{0x7E, 0x7F}, {0xA1, 0xA2}}));
  ASSERT_EQ(transpose_font(f.get(), -0x200), 0);
  EXPECT_EQ(transpose_font(f.get(), INT_MIN), -1);
  EXPECT_EQ(font_range_begin(f.get(), 0), 0x7E - 0x200);
}

TEST(FontRangesTest, ColourFontsCopyTheirGlyphBitmaps) {
  std::vector<bitmap *> glyphs;
  for (int i = 0; i < 4; ++i) {
    bitmap *g = create_bitmap_at_depth(i % 2 == 0 ? 8 : 32, 3 + i, 2);
    for (int y = 0; y < g->height; ++y)
      for (int x = 0; x < g->width; ++x)
        set_raw_pixel(g, x, y, static_cast<uint32_t>(i * 16 + y * 4 + x + 1));
    glyphs.push_back(g);
  }
  font_ptr f(make_color_font(4, 'a', glyphs, &trans_font_ops));
  EXPECT_NE(is_color_font(f.get()), 0);
  EXPECT_EQ(is_mono_font(f.get()), 0);
  EXPECT_EQ(text_width(f.get(), "abcd"), 3 + 4 + 5 + 6);

  font_ptr part(extract_font_range(f.get(), 'b', 'c'));
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->font_ops, &trans_font_ops);
  EXPECT_EQ(ranges_of(part.get()), (std::vector<std::pair<int, int>>{{'b', 'c'}}));
  for (int c = 'b'; c <= 'c'; ++c) {
    bitmap *copy = color_glyph_of(part.get(), c);
    bitmap *original = color_glyph_of(f.get(), c);
    ASSERT_NE(copy, original);
    EXPECT_EQ(bitmap_color_depth(copy), bitmap_color_depth(original));
    EXPECT_TRUE(bitmaps_equal(copy, original));
  }

  // A plain and a translucent colour font merge; the result has the first one's operations.
  bitmap *z = create_bitmap_at_depth(8, 2, 2);
  font_ptr plain(make_color_font(6, 'z', {z}));
  font_ptr merged(merge_fonts(plain.get(), part.get()));
  ASSERT_NE(merged, nullptr);
  EXPECT_EQ(merged->font_ops, &color_font_ops);
  EXPECT_EQ(ranges_of(merged.get()), (std::vector<std::pair<int, int>>{{'b', 'c'}, {'z', 'z'}}));
  EXPECT_EQ(font_text_height(merged.get()), 6);
}

TEST(FontRangesTest, DestroyingNullOrAFontWithoutOperationsIsHarmless) {
  destroy_font(nullptr);
  font bare{nullptr, 8, nullptr};
  destroy_font(&bare);
  EXPECT_EQ(text_width(&bare, "a"), 0);
  EXPECT_EQ(count_font_ranges(&bare), -1);
  EXPECT_EQ(extract_font_range(&bare, -1, -1), nullptr);
  EXPECT_EQ(transpose_font(&bare, 1), -1);
}

}  // namespace
