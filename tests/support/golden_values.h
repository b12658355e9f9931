// Golden images of raw pixel values (the images of the primitive tests): small binary PPM files
// (P6, 8 bits per channel) under tests/golden/ that a test compares a bitmap with exactly. Each
// pixel value is stored as three bytes: bits 23-16, 15-8 and 7-0 of the value, so that any depth up
// to 24 significant bits round-trips without depending on the component layout (at 8 bits the index
// lands in the blue byte).
//
// Setting the environment variable CORVANE_UPDATE_GOLDEN=1 makes matches_golden write the file
// instead of comparing; use it only when an image is created or deliberately changed, and look at
// the new image before committing it.
#ifndef CORVANE_TESTS_SUPPORT_GOLDEN_VALUES_H
#define CORVANE_TESTS_SUPPORT_GOLDEN_VALUES_H

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "corvane/bitmap.h"

namespace corvane::testing::golden_values {

struct ppm_image {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;  // width * height * 3 bytes, row by row
};

// Reads a binary PPM with maxval 255 (comments allowed in the header); nothing for any other file.
std::optional<ppm_image> read_ppm(const std::string &path);

// Writes a binary PPM; false when the file cannot be written.
bool write_ppm(const std::string &path, const ppm_image &image);

// The bitmap's pixel values as an image (three bytes per value, as above).
ppm_image image_of(const bitmap *bmp);

// The path of a golden image by name: tests/golden/<name>.ppm in the source tree.
std::string golden_path(const std::string &name);

// The bitmap equals the golden image of that name; names the first differing pixel otherwise.
::testing::AssertionResult matches_golden(const bitmap *bmp, const std::string &name);

}  // namespace corvane::testing::golden_values

#endif  // CORVANE_TESTS_SUPPORT_GOLDEN_VALUES_H
