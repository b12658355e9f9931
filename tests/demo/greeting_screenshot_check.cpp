// Checks the demonstration program's screenshot: a 320 x 200 picture, white everywhere except the
// black greeting "Hello, world!" (13 characters of the built-in 8 x 8 font, centred), whose cells
// cover columns 108-211 and rows 100-107. The ink must stay inside that box, start at its left
// edge, fill every character cell but the space's, and match the greeting drawn here with the
// library's own font. The file is decoded with the library's own PNG loader.
//
// Usage: greeting_screenshot_check FILE.png. Exit status 0 when the picture is right; otherwise 1
// with the first fault on standard error.
#include <cstdarg>
#include <cstdio>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/font.h"
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

constexpr int box_left = 108;
constexpr int box_right = 211;
constexpr int box_top = 100;
constexpr int box_bottom = 107;
constexpr int space_cell = 6;  // "Hello," then the space

int check_pixels(bitmap *shot) {
  int left = shot->width;
  for (int y = 0; y < shot->height; ++y) {
    for (int x = 0; x < shot->width; ++x) {
      const int pixel = shot->vtable->get_pixel(shot, x, y) & 0xFFFFFF;
      if (pixel == 0xFFFFFF) continue;
      if (pixel != 0)
        return fault("pixel (%d, %d) is 0x%06X, neither white nor black", x, y, pixel);
      if (x < box_left || x > box_right || y < box_top || y > box_bottom) {
        return fault("black pixel at (%d, %d), outside the greeting", x, y);
      }
      if (x < left) left = x;
    }
  }
  if (left != box_left)
    return fault("the greeting starts at column %d, expected %d", left, box_left);
  for (int cell = 0; cell < 13; ++cell) {
    bool inked = false;
    for (int y = box_top; y <= box_bottom; ++y) {
      for (int x = box_left + cell * 8; x < box_left + cell * 8 + 8; ++x) {
        if ((shot->vtable->get_pixel(shot, x, y) & 0xFFFFFF) == 0) inked = true;
      }
    }
    if (inked != (cell != space_cell)) {
      return fault("character cell %d is %s", cell, inked ? "inked" : "empty");
    }
  }
  return 0;
}

// The greeting as the demonstration program draws it, on a white 320 x 200 bitmap.
int check_against_reference(bitmap *shot) {
  bitmap *reference = create_bitmap_at_depth(32, 320, 200);
  if (reference == nullptr || default_font == nullptr) return fault("cannot draw the reference");
  reference->vtable->clear_to_color(reference, make_color_depth(32, 255, 255, 255));
  draw_text_centred(reference, default_font, "Hello, world!", 160, 100, 0, -1);
  int result = 0;
  for (int y = 0; y < 200 && result == 0; ++y) {
    for (int x = 0; x < 320; ++x) {
      const int want = reference->vtable->get_pixel(reference, x, y) & 0xFFFFFF;
      const int got = shot->vtable->get_pixel(shot, x, y) & 0xFFFFFF;
      if (want != got) {
        result = fault("pixel (%d, %d) is 0x%06X, the greeting has 0x%06X", x, y, got, want);
        break;
      }
    }
  }
  destroy_bitmap(reference);
  return result;
}

int check(const char *file) {
  set_color_depth(32);
  bitmap *shot = load_bitmap_png(file, nullptr);
  if (shot == nullptr) return fault("cannot load the file: %s", error_text);
  int result = 0;
  if (shot->width != 320 || shot->height != 200) {
    result = fault("size %d x %d, expected 320 x 200", shot->width, shot->height);
  }
  if (result == 0) result = check_pixels(shot);
  if (result == 0) result = check_against_reference(shot);
  destroy_bitmap(shot);
  return result;
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
