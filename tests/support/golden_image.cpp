// Reading, writing and comparing golden images.
#include "support/golden_image.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "corvane/color.h"

namespace corvane::testing {

namespace {

// Skips white space and comments between the header fields of a PPM file.
void skip_separators(std::istream &in) {
  for (;;) {
    const int c = in.peek();
    if (c == '#') {
      std::string comment;
      std::getline(in, comment);
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      in.get();
    } else {
      return;
    }
  }
}

bool fail(std::string *error, const std::string &reason) {
  if (error != nullptr) *error = reason;
  return false;
}

}  // namespace

bool read_ppm(const std::string &path, rgb_image &image, std::string *error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(error, "cannot open " + path);
  std::string magic(2, 0);
  in.read(magic.data(), 2);
  if (magic != "P6") return fail(error, path + " is not a binary PPM file");
  int width = 0;
  int height = 0;
  int max_value = 0;
  skip_separators(in);
  in >> width;
  skip_separators(in);
  in >> height;
  skip_separators(in);
  in >> max_value;
  if (!in || width <= 0 || height <= 0 || width > 65536 || height > 65536 || max_value != 255)
    return fail(error, path + " has an unusable header");
  in.get();  // the one white-space byte before the pixels
  image.width = width;
  image.height = height;
  image.rgb.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
  in.read(reinterpret_cast<char *>(image.rgb.data()),
          static_cast<std::streamsize>(image.rgb.size()));
  if (in.gcount() != static_cast<std::streamsize>(image.rgb.size()))
    return fail(error, path + " is cut short");
  return true;
}

bool write_ppm(const std::string &path, const rgb_image &image) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return false;
  out << "P6\n" << image.width << " " << image.height << "\n255\n";
  out.write(reinterpret_cast<const char *>(image.rgb.data()),
            static_cast<std::streamsize>(image.rgb.size()));
  return static_cast<bool>(out);
}

rgb_image rgb_of(const bitmap *bmp) {
  rgb_image image;
  image.width = bmp->width;
  image.height = bmp->height;
  image.rgb.reserve(static_cast<size_t>(bmp->width) * static_cast<size_t>(bmp->height) * 3);
  const int depth = bitmap_color_depth(bmp);
  const int bytes = bytes_per_pixel_of_depth(depth);
  for (int y = 0; y < bmp->height; ++y) {
    for (int x = 0; x < bmp->width; ++x) {
      const unsigned char *p = bmp->lines[y] + static_cast<size_t>(x) * static_cast<size_t>(bytes);
      uint32_t value = 0;
      if (bytes == 3) {
        value = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
      } else if (bytes == 2) {
        uint16_t word;
        std::memcpy(&word, p, 2);
        value = word;
      } else if (bytes == 4) {
        std::memcpy(&value, p, 4);
      } else {
        value = p[0];
      }
      const int c = static_cast<int>(value);
      image.rgb.push_back(static_cast<uint8_t>(get_red_depth(depth, c)));
      image.rgb.push_back(static_cast<uint8_t>(get_green_depth(depth, c)));
      image.rgb.push_back(static_cast<uint8_t>(get_blue_depth(depth, c)));
    }
  }
  return image;
}

std::string golden_path(const std::string &name) {
  return std::string(CORVANE_SOURCE_DIR) + "/tests/golden/" + name + ".ppm";
}

::testing::AssertionResult matches_golden(const bitmap *bmp, const std::string &name) {
  const rgb_image actual = rgb_of(bmp);
  const std::string path = golden_path(name);
  const char *update = std::getenv("CORVANE_UPDATE_GOLDEN");
  if (update != nullptr && update[0] == '1') {
    if (!write_ppm(path, actual)) return ::testing::AssertionFailure() << "cannot write " << path;
    return ::testing::AssertionFailure() << "wrote " << path << "; look at it, then run again";
  }
  rgb_image expected;
  std::string error;
  if (!read_ppm(path, expected, &error)) return ::testing::AssertionFailure() << error;
  if (expected.width != actual.width || expected.height != actual.height) {
    return ::testing::AssertionFailure()
           << name << " is " << expected.width << "x" << expected.height << ", the bitmap "
           << actual.width << "x" << actual.height;
  }
  for (size_t i = 0; i < actual.rgb.size(); i += 3) {
    if (actual.rgb[i] != expected.rgb[i] || actual.rgb[i + 1] != expected.rgb[i + 1] ||
        actual.rgb[i + 2] != expected.rgb[i + 2]) {
      const size_t pixel = i / 3;
      std::ostringstream out;
      out << name << " differs first at (" << pixel % static_cast<size_t>(actual.width) << ", "
          << pixel / static_cast<size_t>(actual.width) << "): expected " << int{expected.rgb[i]}
          << "," << int{expected.rgb[i + 1]} << "," << int{expected.rgb[i + 2]} << ", got "
          << int{actual.rgb[i]} << "," << int{actual.rgb[i + 1]} << "," << int{actual.rgb[i + 2]};
      return ::testing::AssertionFailure() << out.str();
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace corvane::testing
