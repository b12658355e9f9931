// Shared helpers of the graphics tests: a plain reference image of pixel values, raw pixel access
// that reads the memory layout of each depth directly (independently of the library's routines),
// and comparisons that name the first differing pixel.
#ifndef CORVANE_TESTS_SUPPORT_BITMAP_COMPARE_H
#define CORVANE_TESTS_SUPPORT_BITMAP_COMPARE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "corvane/bitmap.h"

namespace corvane::testing {

// Pixel values of one depth in a flat array, row by row.
struct reference_image {
  int width = 0;
  int height = 0;
  int depth = 8;
  std::vector<uint32_t> pixels;

  reference_image() = default;
  reference_image(int w, int h, int d, uint32_t fill = 0)
      : width(w), height(h), depth(d), pixels(static_cast<size_t>(w) * h, fill) {}
  uint32_t &at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The mask colour (transparent pixel value) of a depth: 0 at 8 bits, bright pink above.
uint32_t mask_color_of(int depth);

// The largest pixel value of a depth (all bits of its storage).
uint32_t depth_value_mask(int depth);

// Reads or writes one pixel straight from the bitmap's line table, by the depth's layout.
uint32_t raw_pixel(const bitmap *bmp, int x, int y);
void set_raw_pixel(bitmap *bmp, int x, int y, uint32_t value);

// The bitmap's pixels as a reference image, and the reverse.
reference_image capture(const bitmap *bmp);
void paint(bitmap *bmp, const reference_image &image);

// A reference image of random pixel values; mask_share of the pixels (0-1) are the depth's mask
// colour.
reference_image random_image(int width, int height, int depth, std::mt19937 &rng,
                             double mask_share = 0.0);

// The bitmap holds exactly the image; otherwise the first differing pixel is named.
::testing::AssertionResult bitmap_matches(const bitmap *bmp, const reference_image &expected);
::testing::AssertionResult bitmaps_equal(const bitmap *a, const bitmap *b);

// A bitmap destroyed at the end of the scope.
struct bitmap_deleter {
  void operator()(bitmap *bmp) const { destroy_bitmap(bmp); }
};
using bitmap_ptr = std::unique_ptr<bitmap, bitmap_deleter>;
bitmap_ptr make_bitmap(int depth, int width, int height);

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_BITMAP_COMPARE_H
