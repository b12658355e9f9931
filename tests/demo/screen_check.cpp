// Checks a screenshot of the demonstration program's window (a binary PPM of the whole X screen):
// inside the window's client area the 320 x 200 screen appears scaled by a whole multiple and
// centred, every screen pixel a solid square, and the picture is exactly the greeting drawn in
// black on white by the library into a memory bitmap. The black pixels lie within columns 108 to
// 211 and rows 100 to 107, so every pixel outside that rectangle is white.
//
// Usage: screen_check SHOT.ppm X Y WIDTH HEIGHT
// Exit status: 0 when the picture is right, 1 when it is not (with the first difference), 2 on bad
// input.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "corvane.h"

namespace {

constexpr int screen_width = 320;
constexpr int screen_height = 200;
constexpr int text_left = 108;
constexpr int text_right = 211;
constexpr int text_top = 100;
constexpr int text_bottom = 107;

struct image {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
  unsigned pixel(int x, int y) const {
    const size_t at =
        (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return (unsigned{rgb[at]} << 16) | (unsigned{rgb[at + 1]} << 8) | unsigned{rgb[at + 2]};
  }
};

// Reads the next header number of a PPM file, skipping white space and comments.
bool read_number(std::FILE *file, int *value) {
  int c = std::fgetc(file);
  while (c == '#' || c == ' ' || c == '\t' || c == '\n' || c == '\r') {
    if (c == '#') {
      while (c != '\n' && c != EOF) c = std::fgetc(file);
    }
    c = std::fgetc(file);
  }
  if (c < '0' || c > '9') return false;
  long n = 0;
  while (c >= '0' && c <= '9') {
    n = n * 10 + (c - '0');
    if (n > 1000000) return false;
    c = std::fgetc(file);
  }
  *value = static_cast<int>(n);
  return true;
}

// The screen as the demonstration program draws it: white, and the greeting in black with the
// built-in font, centred on (160, 100).
bitmap *expected_screen() {
  if (startup_corvane(SYSTEM_NONE, nullptr, nullptr) != 0) return nullptr;
  set_color_depth(32);
  bitmap *bmp = create_bitmap_at_depth(32, screen_width, screen_height);
  if (bmp == nullptr) return nullptr;
  bmp->vtable->clear_to_color(bmp, make_color(255, 255, 255));
  draw_text_centred(bmp, default_font, "Hello, world!", screen_width / 2, screen_height / 2,
                    make_color(0, 0, 0), -1);
  return bmp;
}

bool read_ppm(const char *path, image *out) {
  std::FILE *file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  int max_value = 0;
  const bool header = std::fgetc(file) == 'P' && std::fgetc(file) == '6' &&
                      read_number(file, &out->width) && read_number(file, &out->height) &&
                      read_number(file, &max_value) && max_value == 255 && out->width > 0 &&
                      out->height > 0;
  bool ok = false;
  if (header) {
    out->rgb.resize(static_cast<size_t>(out->width) * static_cast<size_t>(out->height) * 3);
    ok = std::fread(out->rgb.data(), 1, out->rgb.size(), file) == out->rgb.size();
  }
  std::fclose(file);
  return ok;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s SHOT.ppm X Y WIDTH HEIGHT\n", argv[0]);
    return 2;
  }
  image shot;
  if (!read_ppm(argv[1], &shot)) {
    std::fprintf(stderr, "cannot read %s as a binary PPM with 8-bit samples\n", argv[1]);
    return 2;
  }
  const int left = std::atoi(argv[2]);
  const int top = std::atoi(argv[3]);
  const int width = std::atoi(argv[4]);
  const int height = std::atoi(argv[5]);
  if (left < 0 || top < 0 || width <= 0 || height <= 0 || left + width > shot.width ||
      top + height > shot.height) {
    std::fprintf(stderr, "window %dx%d+%d+%d is not inside the %dx%d screenshot\n", width, height,
                 left, top, shot.width, shot.height);
    return 2;
  }
  const int scale = std::min(width / screen_width, height / screen_height);
  if (scale < 1) {
    std::printf("window %dx%d is smaller than the screen\n", width, height);
    return 1;
  }
  const int origin_x = left + (width - screen_width * scale) / 2;
  const int origin_y = top + (height - screen_height * scale) / 2;

  bitmap *expected = expected_screen();
  if (expected == nullptr) {
    std::fprintf(stderr, "cannot draw the expected picture\n");
    return 2;
  }
  int black_left = screen_width;
  int black_right = -1;
  int black_top = screen_height;
  int black_bottom = -1;
  for (int sy = 0; sy < screen_height; ++sy) {
    for (int sx = 0; sx < screen_width; ++sx) {
      const unsigned want =
          static_cast<unsigned>(expected->vtable->get_pixel(expected, sx, sy)) & 0xFFFFFFu;
      if (want == 0) {
        black_left = std::min(black_left, sx);
        black_right = std::max(black_right, sx);
        black_top = std::min(black_top, sy);
        black_bottom = std::max(black_bottom, sy);
      }
      // Each screen pixel is a solid square of the scale's size.
      for (int y = 0; y < scale; ++y) {
        for (int x = 0; x < scale; ++x) {
          const int px = origin_x + sx * scale + x;
          const int py = origin_y + sy * scale + y;
          const unsigned value = shot.pixel(px, py);
          if (value != want) {
            std::printf("scale %d: screen pixel (%d, %d) shows %06X at (%d, %d), expected %06X\n",
                        scale, sx, sy, value, px, py, want);
            return 1;
          }
        }
      }
    }
  }
  if (black_left < text_left || black_right > text_right || black_top < text_top ||
      black_bottom > text_bottom || black_right < 0) {
    std::printf(
        "the greeting's black pixels span columns %d-%d, rows %d-%d, outside columns "
        "%d-%d, rows %d-%d\n",
        black_left, black_right, black_top, black_bottom, text_left, text_right, text_top,
        text_bottom);
    return 1;
  }
  std::printf("scale %d: the picture is exact; its black pixels span columns %d-%d, rows %d-%d\n",
              scale, black_left, black_right, black_top, black_bottom);
  return 0;
}
