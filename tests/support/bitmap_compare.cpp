// Raw pixel access, reference images and bitmap comparisons for the graphics tests.
#include "support/bitmap_compare.h"

#include <cstring>
#include <sstream>

#include "corvane/color.h"

namespace corvane::testing {

namespace {

int pixel_bytes(int depth) {
  if (depth == 8) return 1;
  if (depth == 15 || depth == 16) return 2;
  if (depth == 24) return 3;
  return 4;
}

}  // namespace

uint32_t mask_color_of(int depth) {
  switch (depth) {
    case 15:
      return 0x7C1F;
    case 16:
      return 0xF81F;
    case 24:
    case 32:
      return 0xFF00FF;
    default:
      return 0;
  }
}

uint32_t depth_value_mask(int depth) {
  switch (pixel_bytes(depth)) {
    case 1:
      return 0xFF;
    case 2:
      return 0xFFFF;
    case 3:
      return 0xFFFFFF;
    default:
      return 0xFFFFFFFF;
  }
}

uint32_t raw_pixel(const bitmap *bmp, int x, int y) {
  const int depth = bmp->vtable->color_depth;
  const unsigned char *p = bmp->lines[y] + static_cast<size_t>(x) * pixel_bytes(depth);
  switch (pixel_bytes(depth)) {
    case 1:
      return p[0];
    case 2: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 3:
      return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    default: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

void set_raw_pixel(bitmap *bmp, int x, int y, uint32_t value) {
  const int depth = bmp->vtable->color_depth;
  unsigned char *p = bmp->lines[y] + static_cast<size_t>(x) * pixel_bytes(depth);
  switch (pixel_bytes(depth)) {
    case 1:
      p[0] = static_cast<unsigned char>(value);
      break;
    case 2: {
      const auto v = static_cast<uint16_t>(value);
      std::memcpy(p, &v, 2);
      break;
    }
    case 3:
      p[0] = static_cast<unsigned char>(value >> 16);
      p[1] = static_cast<unsigned char>(value >> 8);
      p[2] = static_cast<unsigned char>(value);
      break;
    default:
      std::memcpy(p, &value, 4);
      break;
  }
}

reference_image capture(const bitmap *bmp) {
  reference_image image(bmp->width, bmp->height, bmp->vtable->color_depth);
  for (int y = 0; y < bmp->height; ++y) {
    for (int x = 0; x < bmp->width; ++x) image.at(x, y) = raw_pixel(bmp, x, y);
  }
  return image;
}

void paint(bitmap *bmp, const reference_image &image) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) set_raw_pixel(bmp, x, y, image.at(x, y));
  }
}

reference_image random_image(int width, int height, int depth, std::mt19937 &rng,
                             double mask_share) {
  reference_image image(width, height, depth);
  std::uniform_real_distribution<double> share(0.0, 1.0);
  const uint32_t limit = depth_value_mask(depth);
  for (auto &pixel : image.pixels) {
    pixel = (share(rng) < mask_share) ? mask_color_of(depth) : static_cast<uint32_t>(rng()) & limit;
  }
  return image;
}

::testing::AssertionResult bitmap_matches(const bitmap *bmp, const reference_image &expected) {
  if (bmp == nullptr) return ::testing::AssertionFailure() << "the bitmap is null";
  if (bmp->width != expected.width || bmp->height != expected.height) {
    return ::testing::AssertionFailure()
           << "size " << bmp->width << "x" << bmp->height << ", expected " << expected.width << "x"
           << expected.height;
  }
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const uint32_t got = raw_pixel(bmp, x, y);
      if (got != expected.at(x, y)) {
        return ::testing::AssertionFailure()
               << "first difference at (" << x << ", " << y << "): 0x" << std::hex << got
               << ", expected 0x" << expected.at(x, y) << " (depth " << std::dec
               << bmp->vtable->color_depth << ")";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult bitmaps_equal(const bitmap *a, const bitmap *b) {
  if (a == nullptr || b == nullptr) return ::testing::AssertionFailure() << "a bitmap is null";
  if (a->vtable->color_depth != b->vtable->color_depth) {
    return ::testing::AssertionFailure()
           << "depths differ: " << a->vtable->color_depth << " and " << b->vtable->color_depth;
  }
  return bitmap_matches(a, capture(b));
}

bitmap_ptr make_bitmap(int depth, int width, int height) {
  return bitmap_ptr(create_bitmap_at_depth(depth, width, height));
}

}  // namespace corvane::testing
