// Reading and writing small binary PPM files, and comparing bitmaps with golden images.
#include "support/golden_values.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/bitmap_compare.h"
#include "support/test_system.h"

namespace corvane::testing::golden_values {

namespace {

// Skips whitespace and '#' comments in a PPM header, then reads one decimal number.
bool read_header_number(const std::string &data, size_t &pos, int &value) {
  for (;;) {
    while (pos < data.size() && std::isspace(static_cast<unsigned char>(data[pos])) != 0) ++pos;
    if (pos < data.size() && data[pos] == '#') {
      while (pos < data.size() && data[pos] != '\n') ++pos;
      continue;
    }
    break;
  }
  if (pos >= data.size() || std::isdigit(static_cast<unsigned char>(data[pos])) == 0) return false;
  long number = 0;
  while (pos < data.size() && std::isdigit(static_cast<unsigned char>(data[pos])) != 0) {
    number = number * 10 + (data[pos] - '0');
    if (number > 1000000) return false;
    ++pos;
  }
  value = static_cast<int>(number);
  return true;
}

}  // namespace

std::optional<ppm_image> read_ppm(const std::string &path) {
  if (!file_exists_on_disk(path)) return std::nullopt;
  const std::string data = read_file(path);
  if (data.size() < 2 || data[0] != 'P' || data[1] != '6') return std::nullopt;
  size_t pos = 2;
  ppm_image image;
  int maxval = 0;
  if (!read_header_number(data, pos, image.width) || !read_header_number(data, pos, image.height) ||
      !read_header_number(data, pos, maxval) || maxval != 255) {
    return std::nullopt;
  }
  // Exactly one whitespace byte separates the header from the pixels.
  if (pos >= data.size() || std::isspace(static_cast<unsigned char>(data[pos])) == 0) {
    return std::nullopt;
  }
  ++pos;
  const size_t bytes = static_cast<size_t>(image.width) * image.height * 3;
  if (data.size() - pos != bytes) return std::nullopt;
  image.rgb.assign(data.begin() + static_cast<std::ptrdiff_t>(pos), data.end());
  return image;
}

bool write_ppm(const std::string &path, const ppm_image &image) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << "P6\n" << image.width << " " << image.height << "\n255\n";
  out.write(reinterpret_cast<const char *>(image.rgb.data()),
            static_cast<std::streamsize>(image.rgb.size()));
  return static_cast<bool>(out);
}

ppm_image image_of(const bitmap *bmp) {
  ppm_image image;
  image.width = bmp->width;
  image.height = bmp->height;
  image.rgb.reserve(static_cast<size_t>(bmp->width) * bmp->height * 3);
  for (int y = 0; y < bmp->height; ++y) {
    for (int x = 0; x < bmp->width; ++x) {
      const uint32_t v = raw_pixel(bmp, x, y);
      image.rgb.push_back(static_cast<unsigned char>(v >> 16));
      image.rgb.push_back(static_cast<unsigned char>(v >> 8));
      image.rgb.push_back(static_cast<unsigned char>(v));
    }
  }
  return image;
}

std::string golden_path(const std::string &name) {
  return std::string(CORVANE_SOURCE_DIR) + "/tests/golden/" + name + ".ppm";
}

::testing::AssertionResult matches_golden(const bitmap *bmp, const std::string &name) {
  if (bmp == nullptr) return ::testing::AssertionFailure() << "the bitmap is null";
  const ppm_image actual = image_of(bmp);
  const std::string path = golden_path(name);
  const char *update = std::getenv("CORVANE_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    if (!write_ppm(path, actual)) {
      return ::testing::AssertionFailure() << "cannot write " << path;
    }
    return ::testing::AssertionSuccess() << "wrote " << path;
  }
  const std::optional<ppm_image> expected = read_ppm(path);
  if (!expected) {
    return ::testing::AssertionFailure()
           << "cannot read " << path << " (CORVANE_UPDATE_GOLDEN=1 creates it)";
  }
  if (expected->width != actual.width || expected->height != actual.height) {
    return ::testing::AssertionFailure()
           << "size " << actual.width << "x" << actual.height << ", golden image "
           << expected->width << "x" << expected->height;
  }
  for (size_t i = 0; i < actual.rgb.size(); i += 3) {
    if (actual.rgb[i] != expected->rgb[i] || actual.rgb[i + 1] != expected->rgb[i + 1] ||
        actual.rgb[i + 2] != expected->rgb[i + 2]) {
      const size_t pixel = i / 3;
      const auto value = [](const std::vector<unsigned char> &rgb, size_t at) {
        return (uint32_t{rgb[at]} << 16) | (uint32_t{rgb[at + 1]} << 8) | rgb[at + 2];
      };
      return ::testing::AssertionFailure()
             << name << ": first difference at (" << pixel % static_cast<size_t>(actual.width)
             << ", " << pixel / static_cast<size_t>(actual.width) << "): 0x" << std::hex
             << value(actual.rgb, i) << ", golden 0x" << value(expected->rgb, i);
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace corvane::testing::golden_values
