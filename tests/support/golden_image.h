// Golden images: small binary PPM files (P6, 8 bits per component) under tests/golden/ that a
// drawing test compares its bitmap with, exactly. With CORVANE_UPDATE_GOLDEN=1 in the
// environment the comparison writes the file instead (and fails, so that a new image is looked
// at before it is committed).
#ifndef CORVANE_TESTS_SUPPORT_GOLDEN_IMAGE_H
#define CORVANE_TESTS_SUPPORT_GOLDEN_IMAGE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "corvane/bitmap.h"

namespace corvane::testing {

// Red, green and blue bytes per pixel, row by row.
struct rgb_image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

// Reads a P6 file with a maximum value of 255; false (with a reason in *error) otherwise.
bool read_ppm(const std::string &path, rgb_image &image, std::string *error = nullptr);
bool write_ppm(const std::string &path, const rgb_image &image);

// A bitmap's pixels as 8-bit components (get_red_depth and friends; 8-bit bitmaps through the
// current palette).
rgb_image rgb_of(const bitmap *bmp);

// Path of a golden image by name: tests/golden/<name>.ppm in the source tree.
std::string golden_path(const std::string &name);

// The bitmap looks exactly like the golden image; otherwise the first differing pixel is named.
::testing::AssertionResult matches_golden(const bitmap *bmp, const std::string &name);

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_GOLDEN_IMAGE_H
