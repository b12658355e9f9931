// The solid draw_hline of memory bitmaps, whose rows are stored by overlapping vector stores: every
// short length, every start within a cache line and lengths past the unrolled loop, clipped and
// not, against a pixel-by-pixel model; the pixels around the line must keep their values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>

#include "corvane/draw.h"
#include "gfx/depth/span_kernels.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::depth_value_mask;
using corvane::testing::make_bitmap;
using corvane::testing::paint;
using corvane::testing::random_image;

class SolidHlineTest : public ::testing::TestWithParam<int> {};

TEST_P(SolidHlineTest, EveryLengthAndStartMatchesTheModel) {
  const int depth = GetParam();
  const int bytes = (depth + 7) / 8;
  // Lengths up to 400 bytes reach the four-store loop turns and the single stores after them.
  const int longest = 400 / bytes;
  const int width = 64 / bytes + longest + 2;
  std::mt19937 rng(static_cast<unsigned>(depth));
  auto bmp = make_bitmap(depth, width, 2);
  ASSERT_NE(bmp, nullptr);
  auto image = random_image(width, 2, depth, rng);
  paint(bmp.get(), image);
  set_draw_mode(MODE_SOLID, nullptr, 0, 0);
  for (int x1 = 1; x1 <= 64 / bytes; ++x1) {
    for (int length = 1; length <= longest; ++length) {
      const uint32_t color = static_cast<uint32_t>(rng()) & depth_value_mask(depth);
      const int x2 = x1 + length - 1;
      // Every third line is cut by a clip rectangle a few pixels inside either end.
      const bool clipped = length % 3 == 0;
      const int left = clipped ? x1 + length / 4 : 0;
      const int right = clipped ? x2 - length / 5 + 1 : width;
      set_clip_area(bmp.get(), left, 0, right - 1, 1);
      // Drawn from right to left half of the time: the ends are ordered first.
      if (length % 2 == 0) {
        bmp->vtable->draw_hline(bmp.get(), x2, 1, x1, static_cast<int>(color));
      } else {
        bmp->vtable->draw_hline(bmp.get(), x1, 1, x2, static_cast<int>(color));
      }
      for (int x = std::max(x1, left); x <= std::min(x2, right - 1); ++x) image.at(x, 1) = color;
      ASSERT_TRUE(bitmap_matches(bmp.get(), image))
          << "depth " << depth << " from " << x1 << " length " << length;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllDepths, SolidHlineTest, ::testing::Values(8, 15, 16, 24, 32));

// The portable word fill (which processors with 64-byte stores use for short rows only, so that
// the tests above do not reach its loop there), at every byte address within a cache line, odd
// ones included, and every length that is a whole number of periods.
TEST(FillWordsTest, EveryStartAndLengthStoresThePatternAndNothingElse) {
  const uint32_t words[] = {0x77777777u, 0x55665566u, 0x11223344u};  // periods 1, 2, 4
  const size_t periods[] = {1, 2, 4};
  alignas(64) unsigned char buffer[512];
  alignas(64) unsigned char expected[512];
  for (int k = 0; k < 3; ++k) {
    unsigned char pattern[4];
    std::memcpy(pattern, &words[k], 4);
    for (size_t start = 0; start < 64; ++start) {
      for (size_t bytes = periods[k]; bytes <= 300; bytes += periods[k]) {
        std::memset(buffer, 0xEE, sizeof buffer);
        std::memset(expected, 0xEE, sizeof expected);
        for (size_t i = 0; i < bytes; ++i) expected[start + i] = pattern[i % 4];
        corvane::depth::fill_words(buffer + start, bytes, words[k]);
        ASSERT_EQ(std::memcmp(buffer, expected, sizeof buffer), 0)
            << "period " << periods[k] << " start " << start << " bytes " << bytes;
      }
    }
  }
}

}  // namespace
