// Golden images as small PNG files under tests/golden/: a bitmap of any depth is compared by its
// red, green and blue components (rgb_of of golden_image.h; 8-bit bitmaps through the current
// palette) with the image, exactly. With CORVANE_UPDATE_GOLDEN=1 in the environment the comparison
// writes the file instead (and fails, so that a new image is looked at before it is committed).
#ifndef CORVANE_TESTS_SUPPORT_GOLDEN_PNG_H
#define CORVANE_TESTS_SUPPORT_GOLDEN_PNG_H

#include <gtest/gtest.h>

#include <string>

#include "corvane/bitmap.h"

namespace corvane::testing {

// The bitmap looks exactly like tests/golden/<name>.png; otherwise the first differing pixel is
// named.
::testing::AssertionResult matches_golden_png(const bitmap *bmp, const std::string &name);

}  // namespace corvane::testing

#endif  // CORVANE_TESTS_SUPPORT_GOLDEN_PNG_H
