// Run-length sprites: the encoder that turns a bitmap into a run_sprite, and its destruction.
//
// Each row becomes runs of literal pixels (a positive count followed by the pixels) and of
// transparent ones (a negative count), ended by the depth's mask colour as a marker. A count is
// kept within the signed range of the depth's unit, and never equal to the marker: a run that
// would need such a count is split.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "corvane/bitmap.h"
#include "corvane/blend.h"
#include "corvane/system.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane {
namespace {

constexpr size_t header_bytes = 16;
static_assert(sizeof(run_sprite) == header_bytes);

// Writes units into a buffer, or only counts them when there is none.
class run_writer {
 public:
  run_writer(unsigned char *out, size_t unit) noexcept : out_(out), unit_(unit) {}

  void put(uint32_t value) noexcept {
    if (out_ != nullptr) {
      unsigned char *p = out_ + units_ * unit_;
      if (unit_ == 1) {
        *p = static_cast<unsigned char>(value);
      } else if (unit_ == 2) {
        const auto v = static_cast<uint16_t>(value);
        std::memcpy(p, &v, 2);
      } else {
        std::memcpy(p, &value, 4);
      }
    }
    ++units_;
  }
  size_t units() const noexcept { return units_; }

 private:
  unsigned char *out_;
  size_t unit_;
  size_t units_ = 0;
};

struct run_format {
  size_t unit;          // bytes per unit
  uint32_t unit_mask;   // all bits of a unit
  int64_t max_literal;  // largest positive count
  int64_t max_skip;     // largest transparent run (as a negative count)
  uint32_t marker;      // end of row
};

run_format format_of(int depth) noexcept {
  const int bytes = bytes_per_pixel_of_depth(depth);
  const uint32_t marker = depth::mask_color_of_depth(depth);
  if (bytes == 1) return {1, 0xFFu, 127, 128, marker};
  if (bytes == 2) return {2, 0xFFFFu, 32767, 32768, marker};
  return {4, 0xFFFFFFFFu, INT32_MAX, INT32_MAX, marker};
}

// The largest part of a run of length n that a count can hold: within the unit's range and with a
// count unit different from the marker.
int64_t run_part(const run_format &f, int64_t n, bool literal) noexcept {
  int64_t part = std::min(n, literal ? f.max_literal : f.max_skip);
  for (;;) {
    const uint32_t unit = static_cast<uint32_t>(literal ? part : -part) & f.unit_mask;
    if (unit != f.marker) return part;
    --part;
  }
}

// Encodes every row (or only counts the units when out is null).
size_t encode_rows(bitmap *bmp, const run_format &f, unsigned char *out) noexcept {
  run_writer writer(out, f.unit);
  const int bytes = bytes_per_pixel_of_depth(bmp->vtable->color_depth);
  const auto mask = static_cast<uint32_t>(bmp->vtable->mask_color);
  const auto load = [bytes](const unsigned char *p) -> uint32_t {
    switch (bytes) {
      case 1:
        return depth::pixel8::load(p);
      case 2:
        return depth::pixel_word16::load(p);
      case 3:
        return depth::pixel24::load(p);
      default:
        return depth::pixel32::load(p);
    }
  };
  for (int y = 0; y < bmp->height; ++y) {
    const unsigned char *row = bmp->read_line != nullptr ? bmp->read_line(bmp, y) : bmp->lines[y];
    int x = 0;
    while (x < bmp->width) {
      const bool transparent = load(row + static_cast<size_t>(x) * bytes) == mask;
      int end = x + 1;
      while (end < bmp->width &&
             (load(row + static_cast<size_t>(end) * bytes) == mask) == transparent) {
        ++end;
      }
      int64_t left = end - x;
      while (left > 0) {
        const int64_t part = run_part(f, left, !transparent);
        if (transparent) {
          writer.put(static_cast<uint32_t>(-part));
        } else {
          writer.put(static_cast<uint32_t>(part));
          for (int64_t k = 0; k < part; ++k) {
            writer.put(load(row + static_cast<size_t>(x + k) * bytes));
          }
        }
        x += static_cast<int>(part);
        left -= part;
      }
    }
    writer.put(f.marker);
  }
  if (bmp->vtable->release_line != nullptr) bmp->vtable->release_line(bmp);
  return writer.units();
}

}  // namespace
}  // namespace corvane

extern "C" {

const unsigned char *run_sprite_data(const run_sprite *sprite) noexcept {
  if (sprite == nullptr) return nullptr;
  return reinterpret_cast<const unsigned char *>(sprite) + corvane::header_bytes;
}

run_sprite *create_run_sprite(bitmap *bmp) noexcept {
  using namespace corvane;
  if (bmp == nullptr || bmp->vtable == nullptr || bmp->width < 0 || bmp->height < 0) {
    set_error_number(EINVAL);
    set_error_text("No bitmap to encode");
    return nullptr;
  }
  const int depth = bmp->vtable->color_depth;
  if (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32) {
    set_error_number(EINVAL);
    set_error_text("Unsupported colour depth");
    return nullptr;
  }
  const run_format format = format_of(depth);
  const size_t units = encode_rows(bmp, format, nullptr);
  if (units > static_cast<size_t>(INT32_MAX - header_bytes) / format.unit) {
    set_error_number(ENOMEM);
    set_error_text("Sprite too large");
    return nullptr;
  }
  const size_t size = units * format.unit;
  auto *block = static_cast<unsigned char *>(std::malloc(header_bytes + size));
  if (block == nullptr) {
    set_error_number(ENOMEM);
    set_error_text("Not enough memory");
    return nullptr;
  }
  auto *sprite = reinterpret_cast<run_sprite *>(block);
  sprite->width = bmp->width;
  sprite->height = bmp->height;
  sprite->color_depth = depth;
  sprite->size = static_cast<int>(size);
  encode_rows(bmp, format, block + header_bytes);
  return sprite;
}

void destroy_run_sprite(run_sprite *sprite) noexcept { std::free(sprite); }

}  // extern "C"
