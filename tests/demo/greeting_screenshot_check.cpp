// Checks the demonstration program's screenshot: a 320 x 200 picture, white everywhere except
// the black greeting, whose pixels span exactly columns 108-211 and rows 100-107 (13 characters of
// the built-in 8 x 8 font, centred). Decodes the file with the library's own PNG loader.
//
// Usage: greeting_screenshot_check FILE.png. Exit status 0 when the picture is right; otherwise 1
// with the first fault on standard error.
#include <cstdarg>
#include <cstdio>

#include "corvane/color.h"
#include "corvane/png.h"
#include "corvane/system.h"

namespace {

[[gnu::format(printf, 1, 2)]] int fault(const char *format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  std::fprintf(stderr, "greeting screenshot: ");
  std::vfprintf(stderr, format, arguments);
  std::fprintf(stderr, "\n");
  va_end(arguments);
  return 1;
}

int check(const char *file) {
  set_color_depth(32);
  bitmap *shot = load_bitmap_png(file, nullptr);
  if (shot == nullptr) return fault("cannot load the file");
  const int width = shot->width;
  const int height = shot->height;
  int left = width;
  int right = -1;
  int top = height;
  int bottom = -1;
  int result = 0;
  if (width != 320 || height != 200)
    result = fault("size %d x %d, expected 320 x 200", width, height);
  for (int y = 0; y < height && result == 0; ++y) {
    for (int x = 0; x < width; ++x) {
      const int pixel = shot->vtable->get_pixel(shot, x, y) & 0xFFFFFF;
      if (pixel == 0xFFFFFF) continue;
      if (pixel != 0) {
        result = fault("pixel (%d, %d) is 0x%06X, neither white nor black", x, y, pixel);
        break;
      }
      if (x < left) left = x;
      if (x > right) right = x;
      if (y < top) top = y;
      if (y > bottom) bottom = y;
    }
  }
  destroy_bitmap(shot);
  if (result != 0) return result;
  if (right < 0) return fault("no black pixel: the greeting is missing");
  if (left != 108 || right != 211)
    return fault("greeting in columns %d-%d, expected 108-211", left, right);
  if (top != 100 || bottom != 107)
    return fault("greeting in rows %d-%d, expected 100-107", top, bottom);
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: greeting_screenshot_check FILE.png\n");
    return 2;
  }
  if (startup_corvane(SYSTEM_NONE, nullptr, nullptr) != 0) return fault("cannot start the library");
  const int result = check(argv[1]);
  shutdown_corvane();
  return result;
}
