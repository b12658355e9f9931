// The whole-row conversions between 15, 16, 24 and 32 bits against a per-pixel reference built
// from the public unpacking and packing calls: every 15- and 16-bit value, components that move
// left as well as right, shifts that cut a component at the top of the word or lie outside it,
// every row width up to past a vector's length, and the keep-transparent rule.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "corvane/color.h"
#include "corvane/draw.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::depth_value_mask;
using corvane::testing::make_bitmap;
using corvane::testing::mask_color_of;
using corvane::testing::paint;
using corvane::testing::random_image;
using corvane::testing::reference_image;

uint32_t replacement_for(int depth) {
  for (int g = 1;; ++g) {
    const auto value = static_cast<uint32_t>(make_color_depth(depth, 255, g, 255));
    if (value != mask_color_of(depth)) return value;
  }
}

uint32_t reference_pixel(uint32_t c, int from, int to, bool keep) {
  if (keep && c == mask_color_of(from)) return mask_color_of(to);
  const int ci = static_cast<int>(c);
  auto value = static_cast<uint32_t>(make_color_depth(to, get_red_depth(from, ci),
                                                      get_green_depth(from, ci),
                                                      get_blue_depth(from, ci)));
  if (keep && value == mask_color_of(to)) value = replacement_for(to);
  // Components placed above the pixel's size are lost when it is stored.
  return value & depth_value_mask(to);
}

// Converts source_image's columns from source_x on into dest at dest_x, row by row, and checks
// the whole destination against the reference.
void check_conversion(const reference_image &source_image, reference_image dest_image, int from,
                      int to, bool keep, int source_x, int dest_x, int width) {
  set_color_conversion(keep ? CONV_KEEP_TRANS : 0);
  bitmap_ptr source = make_bitmap(from, source_image.width, source_image.height);
  bitmap_ptr dest = make_bitmap(to, dest_image.width, dest_image.height);
  paint(source.get(), source_image);
  paint(dest.get(), dest_image);
  blit(source.get(), dest.get(), source_x, 0, dest_x, 0, width, source_image.height);
  for (int y = 0; y < source_image.height; ++y) {
    for (int x = 0; x < width; ++x) {
      dest_image.at(dest_x + x, y) = reference_pixel(source_image.at(source_x + x, y), from, to, keep);
    }
  }
  EXPECT_TRUE(bitmap_matches(dest.get(), dest_image))
      << from << " to " << to << " keep " << keep << " width " << width;
  set_color_conversion(0x00FFFFFF);
}

// Component shifts of one depth.
struct shifts {
  int red;
  int green;
  int blue;
};

// Sets every depth's shifts; restores the defaults when destroyed.
class shift_guard {
 public:
  shift_guard(shifts s15, shifts s16, shifts s24, shifts s32) {
    set(red_shift_15, green_shift_15, blue_shift_15, s15);
    set(red_shift_16, green_shift_16, blue_shift_16, s16);
    set(red_shift_24, green_shift_24, blue_shift_24, s24);
    set(red_shift_32, green_shift_32, blue_shift_32, s32);
  }
  ~shift_guard() {
    set(red_shift_15, green_shift_15, blue_shift_15, {10, 5, 0});
    set(red_shift_16, green_shift_16, blue_shift_16, {11, 5, 0});
    set(red_shift_24, green_shift_24, blue_shift_24, {16, 8, 0});
    set(red_shift_32, green_shift_32, blue_shift_32, {16, 8, 0});
  }
  shift_guard(const shift_guard &) = delete;
  shift_guard &operator=(const shift_guard &) = delete;

 private:
  static void set(int &r, int &g, int &b, shifts s) { r = s.red, g = s.green, b = s.blue; }
};

class ConvertRowsTest : public ::testing::TestWithParam<std::tuple<int, int>> {
 protected:
  void SetUp() override {
    std::tie(from_, to_) = GetParam();
    rng_.seed(static_cast<unsigned>(from_ * 100 + to_));
  }

  // Rows of every width from 1 to 19 and 67, from an odd source column, with mask pixels.
  void check_widths() {
    for (const bool keep : {false, true}) {
      for (int width = 1; width <= 20; ++width) {
        const int w = width == 20 ? 67 : width;
        const reference_image source = random_image(w + 3, 3, from_, rng_, 0.2);
        const reference_image dest = random_image(w + 2, 3, to_, rng_);
        check_conversion(source, dest, from_, to_, keep, 3, 1, w);
      }
    }
  }

  int from_ = 32;
  int to_ = 16;
  std::mt19937 rng_;
};

TEST_P(ConvertRowsTest, EveryWidthUnderTheDefaultShifts) { check_widths(); }

TEST_P(ConvertRowsTest, ComponentsMovingLeftAsWellAsRight) {
  // Blue lowest at 15 and 32 bits, red lowest at 16 and 24: each pair moves some 8-bit component
  // towards the top of the word.
  const shift_guard guard({0, 5, 10}, {11, 5, 0}, {0, 8, 16}, {16, 8, 0});
  check_widths();
}

TEST_P(ConvertRowsTest, ComponentsCutAtTheTopOfTheWord) {
  // A component whose field runs past bit 31 (or past a 16-bit word) keeps only the bits inside.
  const shift_guard guard({12, 6, 1}, {13, 2, 7}, {27, 3, 18}, {29, 0, 20});
  check_widths();
}

TEST_P(ConvertRowsTest, ShiftsOutsideTheWordReadAndPlaceNothing) {
  const shift_guard guard({-1, 5, 0}, {11, 40, 0}, {16, 8, 32}, {-7, 8, 0});
  check_widths();
}

std::string pair_name(const ::testing::TestParamInfo<std::tuple<int, int>> &info) {
  return "From" + std::to_string(std::get<0>(info.param)) + "To" +
         std::to_string(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(TrueColourPairs, ConvertRowsTest,
                         ::testing::Values(std::tuple(32, 24), std::tuple(32, 16),
                                           std::tuple(32, 15), std::tuple(24, 32),
                                           std::tuple(24, 16), std::tuple(24, 15),
                                           std::tuple(16, 32), std::tuple(16, 24),
                                           std::tuple(16, 15), std::tuple(15, 32),
                                           std::tuple(15, 24), std::tuple(15, 16)),
                         pair_name);

// The widening of 5- and 6-bit components is exact for every value, unused top bit included.
TEST(ConvertRows, EveryWordValueOfFifteenAndSixteenBits) {
  for (const int from : {15, 16}) {
    reference_image source(256, 256, from);
    for (uint32_t v = 0; v < 65536; ++v) source.at(static_cast<int>(v & 255), static_cast<int>(v >> 8)) = v;
    for (const int to : {15, 16, 24, 32}) {
      if (to == from) continue;
      for (const bool keep : {false, true}) {
        check_conversion(source, reference_image(256, 256, to), from, to, keep, 0, 0, 256);
      }
    }
  }
}

}  // namespace
