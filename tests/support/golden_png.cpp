// Comparing a bitmap with a golden PNG image, through the library's own PNG reader and writer at
// 32 bits.
#include "support/golden_png.h"

#include <cstdlib>
#include <sstream>

#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/png.h"
#include "support/golden_image.h"

namespace corvane::testing {

namespace {

// Restores the colour depth on destruction.
class depth_guard {
 public:
  explicit depth_guard(int depth) : saved_(get_color_depth()) { set_color_depth(depth); }
  ~depth_guard() { set_color_depth(saved_); }
  depth_guard(const depth_guard &) = delete;
  depth_guard &operator=(const depth_guard &) = delete;

 private:
  int saved_;
};

}  // namespace

::testing::AssertionResult matches_golden_png(const bitmap *bmp, const std::string &name) {
  const rgb_image actual = rgb_of(bmp);
  const std::string path = std::string(CORVANE_SOURCE_DIR) + "/tests/golden/" + name + ".png";
  const depth_guard depth(32);
  const char *update = std::getenv("CORVANE_UPDATE_GOLDEN");
  if (update != nullptr && update[0] == '1') {
    bitmap *out = create_bitmap_at_depth(32, actual.width, actual.height);
    if (out == nullptr) return ::testing::AssertionFailure() << "no memory for " << path;
    for (int y = 0; y < actual.height; ++y) {
      for (int x = 0; x < actual.width; ++x) {
        const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(actual.width) + x) * 3;
        put_pixel(out, x, y, make_color_depth(32, actual.rgb[i], actual.rgb[i + 1], actual.rgb[i + 2]));
      }
    }
    const int result = save_bitmap_png(path.c_str(), out, nullptr);
    destroy_bitmap(out);
    if (result != 0) return ::testing::AssertionFailure() << "cannot write " << path;
    return ::testing::AssertionFailure() << "wrote " << path << "; look at it, then run again";
  }
  bitmap *expected = load_bitmap_png(path.c_str(), nullptr);
  if (expected == nullptr) return ::testing::AssertionFailure() << "cannot read " << path;
  ::testing::AssertionResult result = ::testing::AssertionSuccess();
  if (expected->width != actual.width || expected->height != actual.height) {
    result = ::testing::AssertionFailure() << name << " is " << expected->width << "x"
                                           << expected->height << ", the bitmap " << actual.width
                                           << "x" << actual.height;
  } else {
    for (int y = 0; y < actual.height && result; ++y) {
      for (int x = 0; x < actual.width; ++x) {
        const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(actual.width) + x) * 3;
        const int c = get_pixel(expected, x, y);
        const int r = get_red_depth(32, c), g = get_green_depth(32, c), b = get_blue_depth(32, c);
        if (r != actual.rgb[i] || g != actual.rgb[i + 1] || b != actual.rgb[i + 2]) {
          std::ostringstream out;
          out << name << " differs first at (" << x << ", " << y << "): expected " << r << ","
              << g << "," << b << ", got " << int{actual.rgb[i]} << "," << int{actual.rgb[i + 1]}
              << "," << int{actual.rgb[i + 2]};
          result = ::testing::AssertionFailure() << out.str();
          break;
        }
      }
    }
  }
  destroy_bitmap(expected);
  return result;
}

}  // namespace corvane::testing
