// Drawing monochrome text: the glyph routines of every depth (ink, background, clipping, the line
// accessors of display bitmaps), the replacement rule, vertical centring, one acquire per text,
// and the left, right, centred, justified, formatted and legacy entry points.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/font.h"
#include "corvane/gfx.h"
#include "font_test_support.h"
#include "support/bitmap_compare.h"
#include "support/golden_image.h"

namespace {

using namespace corvane::testing;
using font_test::expect_default_text;
using font_test::make_glyph;
using font_test::make_mono_font;

// A 10-pixel wide glyph, so that rows take two bytes and ink crosses the byte boundary.
const font_test::picture wide_glyph = {
    "#........#",
    ".#......#.",
    "..######..",
};

// Pixel values of a depth used as ink, background and the untouched fill.
struct depth_colors {
  uint32_t ink;
  uint32_t background;
  uint32_t fill;
};

depth_colors colors_for(int depth) {
  switch (depth) {
    case 8:
      return {5, 9, 200};
    case 15:
      return {0x7C00, 0x03E0, 0x1234};
    case 16:
      return {0xF800, 0x07E0, 0x1234};
    case 24:
      return {0xFF0000, 0x00FF00, 0x123456};
    default:
      return {0xFF0000, 0x00FF00, 0x12345678};
  }
}

// The expected result of drawing a picture at (x, y) onto an image, limited to a rectangle.
void expect_picture(reference_image &image, const font_test::picture &rows, int x, int y,
                    uint32_t ink, int background, int left, int top, int right, int bottom) {
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < rows[r].size(); ++c) {
      const int px = x + static_cast<int>(c);
      const int py = y + static_cast<int>(r);
      if (px < left || px >= right || py < top || py >= bottom) continue;
      if (rows[r][c] == '#') {
        image.at(px, py) = ink;
      } else if (background >= 0) {
        image.at(px, py) = static_cast<uint32_t>(background);
      }
    }
  }
}

class GlyphRoutineTest : public ::testing::TestWithParam<int> {
 protected:
  int depth() const { return GetParam(); }
};

TEST_P(GlyphRoutineTest, InkAloneOrWithBackgroundAtEveryPlacement) {
  const depth_colors colors = colors_for(depth());
  mono_glyph *glyph = make_glyph(wide_glyph);
  // Placements inside, across each edge, and wholly outside the bitmap.
  const int placements[][2] = {{3, 2}, {-4, 1}, {9, 1}, {2, -2}, {2, 6}, {-20, 0}, {0, 30}};
  for (int background : {-1, static_cast<int>(colors.background)}) {
    for (const auto &at : placements) {
      bitmap_ptr target = make_bitmap(depth(), 14, 7);
      target->vtable->clear_to_color(target.get(), static_cast<int>(colors.fill));
      target->vtable->draw_glyph(target.get(), glyph, at[0], at[1], static_cast<int>(colors.ink),
                                 background);
      reference_image expected(14, 7, depth(), colors.fill);
      expect_picture(expected, wide_glyph, at[0], at[1], colors.ink, background, 0, 0, 14, 7);
      EXPECT_TRUE(bitmap_matches(target.get(), expected))
          << "at " << at[0] << "," << at[1] << " background " << background;
    }
  }
  std::free(glyph);
}

TEST_P(GlyphRoutineTest, TheClipRectangleLimitsTheGlyph) {
  const depth_colors colors = colors_for(depth());
  mono_glyph *glyph = make_glyph(wide_glyph);
  bitmap_ptr target = make_bitmap(depth(), 14, 7);
  target->vtable->clear_to_color(target.get(), static_cast<int>(colors.fill));
  set_clip_area(target.get(), 4, 2, 8, 3);
  target->vtable->draw_glyph(target.get(), glyph, 2, 1, static_cast<int>(colors.ink),
                             static_cast<int>(colors.background));
  reference_image expected(14, 7, depth(), colors.fill);
  expect_picture(expected, wide_glyph, 2, 1, colors.ink, static_cast<int>(colors.background), 4, 2,
                 9, 4);
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
  std::free(glyph);
}

TEST_P(GlyphRoutineTest, WithClippingOffTheBitmapStillBoundsTheGlyph) {
  const depth_colors colors = colors_for(depth());
  mono_glyph *glyph = make_glyph(wide_glyph);
  // A parent around the target: drawing must not reach the parent's pixels outside the target.
  bitmap_ptr parent = make_bitmap(depth(), 30, 20);
  parent->vtable->clear_to_color(parent.get(), static_cast<int>(colors.fill));
  bitmap *sub = create_subbitmap(parent.get(), 10, 8, 6, 2);
  ASSERT_NE(sub, nullptr);
  set_clip_area(sub, 0, 0, 0, 0);
  ASSERT_EQ(sub->clipping, 0);
  sub->vtable->draw_glyph(sub, glyph, -3, -1, static_cast<int>(colors.ink),
                          static_cast<int>(colors.background));
  reference_image expected(30, 20, depth(), colors.fill);
  expect_picture(expected, wide_glyph, 7, 7, colors.ink, static_cast<int>(colors.background), 10, 8,
                 16, 10);
  EXPECT_TRUE(bitmap_matches(parent.get(), expected));
  destroy_bitmap(sub);
  std::free(glyph);
}

TEST_P(GlyphRoutineTest, EmptyGlyphsDrawNothing) {
  const depth_colors colors = colors_for(depth());
  bitmap_ptr target = make_bitmap(depth(), 4, 4);
  target->vtable->clear_to_color(target.get(), static_cast<int>(colors.fill));
  mono_glyph *empty = make_glyph({});
  target->vtable->draw_glyph(target.get(), empty, 0, 0, static_cast<int>(colors.ink), 0);
  target->vtable->draw_glyph(target.get(), nullptr, 0, 0, static_cast<int>(colors.ink), 0);
  EXPECT_TRUE(bitmap_matches(target.get(), reference_image(4, 4, depth(), colors.fill)));
  std::free(empty);
}

TEST_P(GlyphRoutineTest, ByteGlyphsPaintNonzeroPixelsInTheColour) {
  const depth_colors colors = colors_for(depth());
  bitmap_ptr source = make_bitmap(8, 5, 3);
  const unsigned char bytes[3][5] = {{0, 1, 0, 255, 0}, {7, 0, 0, 0, 9}, {0, 0, 3, 0, 0}};
  for (int y = 0; y < 3; ++y) std::memcpy(source->lines[y], bytes[y], 5);
  font_test::picture as_picture;
  for (const auto &row : bytes) {
    std::string line;
    for (unsigned char b : row) line += b != 0 ? '#' : '.';
    as_picture.push_back(line);
  }
  for (int background : {-1, static_cast<int>(colors.background)}) {
    bitmap_ptr target = make_bitmap(depth(), 8, 5);
    target->vtable->clear_to_color(target.get(), static_cast<int>(colors.fill));
    set_clip_area(target.get(), 0, 0, 5, 3);
    target->vtable->draw_glyph_mono(target.get(), source.get(), 2, 1, static_cast<int>(colors.ink),
                                    background);
    reference_image expected(8, 5, depth(), colors.fill);
    expect_picture(expected, as_picture, 2, 1, colors.ink, background, 0, 0, 6, 4);
    EXPECT_TRUE(bitmap_matches(target.get(), expected)) << "background " << background;
  }
}

TEST_P(GlyphRoutineTest, ByteGlyphsOfAnotherDepthAreRefused) {
  const depth_colors colors = colors_for(depth());
  bitmap_ptr source = make_bitmap(16, 3, 3);
  source->vtable->clear_to_color(source.get(), 0xFFFF);
  bitmap_ptr target = make_bitmap(depth(), 4, 4);
  target->vtable->clear_to_color(target.get(), static_cast<int>(colors.fill));
  target->vtable->draw_glyph_mono(target.get(), source.get(), 0, 0, static_cast<int>(colors.ink),
                                  0);
  EXPECT_TRUE(bitmap_matches(target.get(), reference_image(4, 4, depth(), colors.fill)));
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, GlyphRoutineTest, ::testing::Values(8, 15, 16, 24, 32));

// ---- Display bitmaps go through their line accessors ----------------------------------------

int write_line_calls = 0;
int release_line_calls = 0;
unsigned char *counting_write_line(bitmap *bmp, int row) {
  ++write_line_calls;
  return bmp->lines[row];
}
void counting_release_line(bitmap *) { ++release_line_calls; }

TEST(GlyphAccessTest, DisplayBitmapsAreWrittenThroughTheirAccessors) {
  std::vector<unsigned char> surface(16 * 8, 0);
  bitmap *screen = make_screen_bitmap(16, 8, surface.data(), nullptr, 8, 16);
  ASSERT_NE(screen, nullptr);
  draw_vtable table = *screen->vtable;
  table.release_line = counting_release_line;
  screen->vtable = &table;
  screen->write_line = counting_write_line;
  write_line_calls = release_line_calls = 0;
  draw_text(screen, default_font, "A", 2, 0, 1, -1);
  EXPECT_EQ(write_line_calls, 8);
  EXPECT_EQ(release_line_calls, 1);
  EXPECT_EQ(surface[static_cast<size_t>(0 * 16 + 4)], 1) << "row 0 of 'A' is ..##....";
  destroy_bitmap(screen);
}

// ---- Rendering text -------------------------------------------------------------------------

int acquires = 0;
int held = 0;
int times_fully_released = 0;
void count_acquire(bitmap *) {
  ++acquires;
  ++held;
}
void count_release(bitmap *) {
  if (--held == 0) ++times_fully_released;
}

TEST(TextRenderTest, AWholeTextIsDrawnInsideOneOuterAcquire) {
  bitmap_ptr target = make_bitmap(8, 64, 8);
  draw_vtable table = *target->vtable;
  table.acquire = count_acquire;
  table.release = count_release;
  target->vtable = &table;
  acquires = held = times_fully_released = 0;
  draw_text(target.get(), default_font, "Hello", 0, 0, 1, 0);
  EXPECT_GE(acquires, 1);
  EXPECT_EQ(held, 0);
  EXPECT_EQ(times_fully_released, 1) << "the surface stays locked from the first glyph to the last";
}

TEST(TextRenderTest, MissingGlyphsUseTheCaretOrNothing) {
  // One font with a caret, one without.
  font_test::font_ptr with_caret(make_mono_font(4, {{'^', {{"#.", "##"}}}, {'a', {{"##", "##"}}}}));
  font_test::font_ptr without_caret(make_mono_font(4, {{'a', {{"##", "##"}}}}));
  EXPECT_EQ(text_width(with_caret.get(), "aza"), 6);
  EXPECT_EQ(text_width(without_caret.get(), "aza"), 4);

  bitmap_ptr target = make_bitmap(8, 8, 4);
  std::memset(target->lines[0], 0, 32);
  draw_text(target.get(), without_caret.get(), "aza", 0, 0, 7, -1);
  reference_image expected(8, 4, 8, 0);
  expect_picture(expected, {"##", "##"}, 0, 1, 7, -1, 0, 0, 8, 4);
  expect_picture(expected, {"##", "##"}, 2, 1, 7, -1, 0, 0, 8, 4);
  EXPECT_TRUE(bitmap_matches(target.get(), expected)) << "z draws nothing and does not advance";

  EXPECT_EQ(
      without_caret->font_ops->render_char(without_caret.get(), 'z', 7, 1, target.get(), 0, 0), 0);
}

TEST(TextRenderTest, AnEmptySlotInARangeFallsBackToTheCaret) {
  font_test::font_ptr f(make_mono_font(2, {{'[', {{"#"}, {}, {"##", "##"}, {"###"}}}}));
  EXPECT_EQ(font_range_begin(f.get(), 0), '[');
  EXPECT_EQ(text_width(f.get(), "\\"), 3) << "the empty slot of '\\' measures as '^'";
}

TEST(TextRenderTest, ShortGlyphsAreCentredInTheLine) {
  // Line height 7: a glyph of height 2 starts (7 - 2) / 2 = 2 rows down; one of height 9 starts
  // (7 - 9) / 2 = -1 (truncated toward zero), one row up.
  font_test::font_ptr f(
      make_mono_font(7, {{'a', {{"##", "##"}, {"#", "#", "#", "#", "#", "#", "#", "#", "#"}}}}));
  bitmap_ptr target = make_bitmap(8, 4, 12);
  std::memset(target->lines[0], 0, 48);
  draw_text(target.get(), f.get(), "ab", 0, 2, 1, -1);
  reference_image expected(4, 12, 8, 0);
  expect_picture(expected, {"##", "##"}, 0, 4, 1, -1, 0, 0, 4, 12);
  expect_picture(expected, {"#", "#", "#", "#", "#", "#", "#", "#", "#"}, 2, 1, 1, -1, 0, 0, 4, 12);
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
}

TEST(TextRenderTest, RightAndCentredTextIsPlacedByItsWidth) {
  bitmap_ptr target = make_bitmap(8, 64, 8);
  const std::string text = "abcde";  // 40 pixels
  for (int mode = 0; mode < 3; ++mode) {
    std::memset(target->lines[0], 0, 64 * 8);
    int left = 0;
    if (mode == 0) {
      draw_text(target.get(), default_font, text.c_str(), 3, 0, 1, 2);
      left = 3;
    } else if (mode == 1) {
      draw_text_right(target.get(), default_font, text.c_str(), 50, 0, 1, 2);
      left = 10;  // the last column is 49
    } else {
      draw_text_centred(target.get(), default_font, "abc", 31, 0, 1, 2);
      left = 31 - 24 / 2;
    }
    reference_image expected(64, 8, 8, 0);
    expect_default_text(expected, font_test::ascii_code_points(mode == 2 ? "abc" : text), left, 0,
                        1, 2);
    EXPECT_TRUE(bitmap_matches(target.get(), expected)) << "mode " << mode;
  }
}

TEST(TextRenderTest, CentringAnOddWidthTruncatesTowardZero) {
  font_test::font_ptr f(make_mono_font(1, {{'a', {{"#.#"}}}}));
  bitmap_ptr target = make_bitmap(8, 16, 1);
  std::memset(target->lines[0], 0, 16);
  draw_text_centred(target.get(), f.get(), "aaa", 8, 0, 1, -1);  // 9 wide: starts at 8 - 4
  reference_image expected(16, 1, 8, 0);
  for (int x : {4, 6, 7, 9, 10, 12}) expected.at(x, 0) = 1;
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
}

TEST(TextRenderTest, NullArgumentsDrawNothing) {
  bitmap_ptr target = make_bitmap(8, 8, 8);
  std::memset(target->lines[0], 4, 64);
  draw_text(nullptr, default_font, "a", 0, 0, 1, 0);
  draw_text(target.get(), nullptr, "a", 0, 0, 1, 0);
  draw_text(target.get(), default_font, nullptr, 0, 0, 1, 0);
  draw_text_right(target.get(), nullptr, "a", 8, 0, 1, 0);
  draw_text_centred(target.get(), default_font, nullptr, 4, 0, 1, 0);
  draw_text_justified(target.get(), default_font, nullptr, 0, 8, 0, 10, 1, 0);
  draw_textf(target.get(), default_font, 0, 0, 1, 0, nullptr);
  EXPECT_TRUE(bitmap_matches(target.get(), reference_image(8, 8, 8, 4)));
  EXPECT_EQ(font_text_height(nullptr), 0);
}

TEST(TextRenderTest, TextFarRightStopsWithoutOverflowing) {
  bitmap_ptr target = make_bitmap(8, 8, 8);
  std::memset(target->lines[0], 0, 64);
  draw_text(target.get(), default_font, "abcdef", INT_MAX - 10, 0, 1, 2);
  draw_text_right(target.get(), default_font, "abcdef", INT_MIN + 3, 0, 1, 2);
  EXPECT_TRUE(bitmap_matches(target.get(), reference_image(8, 8, 8, 0)));
}

// ---- Justified text -------------------------------------------------------------------------

TEST(JustifiedTextTest, TwoWordsFillTheSpanWhenTheGapIsAllowed) {
  // "ab" and "cd" are 16 pixels each; from 10 to 60 the gap is 50 - 32 = 18.
  bitmap_ptr target = make_bitmap(8, 64, 8);
  std::memset(target->lines[0], 0, 64 * 8);
  draw_text_justified(target.get(), default_font, "ab cd", 10, 60, 0, 18, 1, -1);
  reference_image expected(64, 8, 8, 0);
  expect_default_text(expected, {'a', 'b'}, 10, 0, 1, -1);
  expect_default_text(expected, {'c', 'd'}, 44, 0, 1, -1);  // last column 59 = x2 - 1
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
}

TEST(JustifiedTextTest, AGapLargerThanAllowedDrawsTheTextAsItIs) {
  bitmap_ptr target = make_bitmap(8, 64, 8);
  std::memset(target->lines[0], 0, 64 * 8);
  draw_text_justified(target.get(), default_font, "ab cd", 10, 60, 0, 17, 1, -1);
  reference_image expected(64, 8, 8, 0);
  expect_default_text(expected, font_test::ascii_code_points("ab cd"), 10, 0, 1, -1);
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
}

TEST(JustifiedTextTest, OneWordOrNoRoomDrawsTheTextAsItIs) {
  for (const auto &[text, x2] :
       std::vector<std::pair<std::string, int>>{{"abcd", 60}, {"ab cd", 42}}) {
    bitmap_ptr target = make_bitmap(8, 64, 8);
    std::memset(target->lines[0], 0, 64 * 8);
    draw_text_justified(target.get(), default_font, text.c_str(), 10, x2, 0, 100, 1, -1);
    reference_image expected(64, 8, 8, 0);
    expect_default_text(expected, font_test::ascii_code_points(text), 10, 0, 1, -1);
    EXPECT_TRUE(bitmap_matches(target.get(), expected)) << text;
  }
}

TEST(JustifiedTextTest, RunsOfSeparatorsCountAsOneAndSpacesAreShared) {
  // Three words of 8 pixels from 0 to 64: gap 40, 20 between neighbours.
  bitmap_ptr target = make_bitmap(8, 64, 8);
  std::memset(target->lines[0], 0, 64 * 8);
  draw_text_justified(target.get(), default_font, " a \t\r\nb  c\n", 0, 64, 0, 40, 1, 2);
  reference_image expected(64, 8, 8, 0);
  expect_default_text(expected, {'a'}, 0, 0, 1, 2);
  expect_default_text(expected, {'b'}, 28, 0, 1, 2);
  expect_default_text(expected, {'c'}, 56, 0, 1, 2);
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
}

TEST(JustifiedTextTest, FractionalSpacesAreTruncatedPerWord) {
  // Three 1-pixel words from 0 to 6: gap 3 over 2 spaces, 1.5 each: x = 0, 2.5, 5.
  font_test::font_ptr f(make_mono_font(1, {{'a', {{"#"}}}}));
  bitmap_ptr target = make_bitmap(8, 10, 1);
  std::memset(target->lines[0], 0, 10);
  draw_text_justified(target.get(), f.get(), "a a a", 0, 6, 0, 3, 1, -1);
  reference_image expected(10, 1, 8, 0);
  for (int x : {0, 2, 5}) expected.at(x, 0) = 1;
  EXPECT_TRUE(bitmap_matches(target.get(), expected));
}

TEST(JustifiedTextTest, OnlyTheFirstHundredAndTwentyEightWordsAreSpread) {
  // 130 one-pixel words: only 128 are measured and drawn when justifying.
  font_test::font_ptr f(make_mono_font(1, {{'a', {{"#"}}}}));
  std::string text;
  for (int i = 0; i < 130; ++i) text += "a ";
  bitmap_ptr target = make_bitmap(8, 300, 1);
  std::memset(target->lines[0], 0, 300);
  draw_text_justified(target.get(), f.get(), text.c_str(), 0, 255, 0, 1000, 1, -1);
  int ink = 0;
  for (int x = 0; x < 300; ++x) ink += target->lines[0][x] != 0 ? 1 : 0;
  EXPECT_EQ(ink, 128);
  EXPECT_EQ(target->lines[0][0], 1);
  EXPECT_EQ(target->lines[0][254], 1) << "the last word ends at x2 - 1";
}

// ---- Formatted and legacy variants ----------------------------------------------------------

TEST(FormattedTextTest, FormattedTextMatchesTheFormattedString) {
  bitmap_ptr drawn = make_bitmap(8, 200, 8);
  bitmap_ptr plain = make_bitmap(8, 200, 8);
  for (int variant = 0; variant < 4; ++variant) {
    std::memset(drawn->lines[0], 0, 1600);
    std::memset(plain->lines[0], 0, 1600);
    if (variant == 0) {
      draw_textf(drawn.get(), default_font, 3, 0, 1, 2, "%d-%s", 42, "xy");
      draw_text(plain.get(), default_font, "42-xy", 3, 0, 1, 2);
    } else if (variant == 1) {
      draw_textf_right(drawn.get(), default_font, 150, 0, 1, -1, "%03d", 7);
      draw_text_right(plain.get(), default_font, "007", 150, 0, 1, -1);
    } else if (variant == 2) {
      draw_textf_centred(drawn.get(), default_font, 100, 0, 1, 2, "%c%c", 'o', 'k');
      draw_text_centred(plain.get(), default_font, "ok", 100, 0, 1, 2);
    } else {
      draw_textf_justified(drawn.get(), default_font, 0, 200, 0, 200, 1, -1, "%s %s", "a", "b");
      draw_text_justified(plain.get(), default_font, "a b", 0, 200, 0, 200, 1, -1);
    }
    EXPECT_TRUE(bitmaps_equal(drawn.get(), plain.get())) << "variant " << variant;
  }
}

TEST(FormattedTextTest, LegacyVariantsDrawOnBackgroundZero) {
  EXPECT_EQ(legacy_text_background, 0);
  bitmap_ptr drawn = make_bitmap(8, 200, 8);
  bitmap_ptr plain = make_bitmap(8, 200, 8);
  for (int variant = 0; variant < 4; ++variant) {
    std::memset(drawn->lines[0], 9, 1600);
    std::memset(plain->lines[0], 9, 1600);
    if (variant == 0) {
      draw_textf_legacy(drawn.get(), default_font, 3, 0, 1, "%d", 5);
      draw_text(plain.get(), default_font, "5", 3, 0, 1, 0);
    } else if (variant == 1) {
      draw_textf_right_legacy(drawn.get(), default_font, 150, 0, 1, "%d", 5);
      draw_text_right(plain.get(), default_font, "5", 150, 0, 1, 0);
    } else if (variant == 2) {
      draw_textf_centred_legacy(drawn.get(), default_font, 100, 0, 1, "%d", 5);
      draw_text_centred(plain.get(), default_font, "5", 100, 0, 1, 0);
    } else {
      draw_textf_justified_legacy(drawn.get(), default_font, 0, 200, 0, 200, 1, "%d %d", 5, 6);
      draw_text_justified(plain.get(), default_font, "5 6", 0, 200, 0, 200, 1, 0);
    }
    EXPECT_TRUE(bitmaps_equal(drawn.get(), plain.get())) << "variant " << variant;
    int painted = 0;
    for (int x = 0; x < 200; ++x) painted += drawn->lines[0][x] == 0 ? 1 : 0;
    EXPECT_GT(painted, 0) << "the cell background is painted in colour 0";
  }
}

TEST(FormattedTextTest, LongFormattedTextIsCutAtFiveHundredAndElevenBytes) {
  const std::string long_text(600, 'a');
  font_test::font_ptr f(make_mono_font(1, {{'a', {{"#"}}}}));
  bitmap_ptr target = make_bitmap(8, 700, 1);
  std::memset(target->lines[0], 0, 700);
  draw_textf(target.get(), f.get(), 0, 0, 1, -1, "%s", long_text.c_str());
  int ink = 0;
  for (int x = 0; x < 700; ++x) ink += target->lines[0][x];
  EXPECT_EQ(ink, 511);
}

// ---- A scene of text as a golden image ------------------------------------------------------

TEST(TextSceneTest, MatchesItsGoldenImage) {
  bitmap_ptr scene = make_bitmap(32, 160, 64);
  scene->vtable->clear_to_color(scene.get(), 0x202020);
  draw_text(scene.get(), default_font, "Corvane 4.2.1", 2, 2, 0xFFFFFF, -1);
  draw_text(scene.get(), default_font,
            "\xC3\x87"
            "a va? 10\xE2\x82\xAC",
            2, 12, 0x00FFFF, 0x800000);
  draw_text_right(scene.get(), default_font, "right", 158, 22, 0xFFFF00, -1);
  draw_text_centred(scene.get(), default_font, "centre", 80, 32, 0x00FF00, 0x000040);
  draw_text_justified(scene.get(), default_font, "spread out words", 2, 158, 42, 100, 0xFF8000, -1);
  set_clip_area(scene.get(), 0, 52, 100, 60);
  draw_text(scene.get(), default_font, "clipped text here", -4, 54, 0xFF00FF, 0x004000);
  EXPECT_TRUE(matches_golden(scene.get(), "text_scene"));
}

}  // namespace
