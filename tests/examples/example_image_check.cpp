// Compares an example's fresh screenshot with the picture committed for it: both PNG files are
// decoded with the library's loader at 32 bits per pixel and must hold the same size and the same
// pixels (colour and alpha). File bytes are not compared, since another libpng may compress the
// same pixels differently.
//
// Usage: example_image_check EXPECTED.png ACTUAL.png. Exit status 0 when the pictures are equal;
// 1 with the size difference, or the first differing pixel and the number that differ, on
// standard error; 2 for a wrong command line.
#include <cstdio>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/png.h"
#include "corvane/system.h"

namespace {

int compare(const char *expected_name, const char *actual_name) {
  bitmap *expected = load_bitmap_png(expected_name, nullptr);
  if (expected == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", expected_name, error_text);
    return 1;
  }
  bitmap *actual = load_bitmap_png(actual_name, nullptr);
  if (actual == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", actual_name, error_text);
    destroy_bitmap(expected);
    return 1;
  }
  int result = 0;
  if (expected->width != actual->width || expected->height != actual->height) {
    std::fprintf(stderr, "the picture is %d x %d, expected %d x %d\n", actual->width,
                 actual->height, expected->width, expected->height);
    result = 1;
  } else {
    long differing = 0;
    for (int y = 0; y < expected->height; ++y) {
      for (int x = 0; x < expected->width; ++x) {
        const int want = expected->vtable->get_pixel(expected, x, y);
        const int got = actual->vtable->get_pixel(actual, x, y);
        if (want == got) continue;
        if (differing++ == 0) {
          std::fprintf(stderr, "pixel (%d, %d) is 0x%08X, expected 0x%08X\n", x, y,
                       static_cast<unsigned>(got), static_cast<unsigned>(want));
        }
      }
    }
    if (differing != 0) {
      std::fprintf(stderr, "%ld of %d pixels differ\n", differing,
                   expected->width * expected->height);
      result = 1;
    }
  }
  destroy_bitmap(actual);
  destroy_bitmap(expected);
  return result;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: example_image_check EXPECTED.png ACTUAL.png\n");
    return 2;
  }
  if (startup_corvane(SYSTEM_NONE, nullptr, nullptr) != 0) {
    std::fprintf(stderr, "cannot start the library\n");
    return 1;
  }
  set_color_depth(32);
  const int result = compare(argv[1], argv[2]);
  shutdown_corvane();
  return result;
}
