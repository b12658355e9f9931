// The depth-converting blit: all 25 depth pairs on random images against a per-pixel reference
// built from the public packing functions, with the keep-transparent flag, ordered dither into 15
// and 16 bits, error diffusion into 8 bits, and the replacement colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "corvane/color.h"
#include "corvane/draw.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::make_bitmap;
using corvane::testing::mask_color_of;
using corvane::testing::paint;
using corvane::testing::random_image;
using corvane::testing::reference_image;

void random_palette(std::mt19937 &rng) {
  palette pal;
  for (auto &entry : pal) {
    entry =
        rgb_entry{static_cast<unsigned char>(rng() % 64), static_cast<unsigned char>(rng() % 64),
                  static_cast<unsigned char>(rng() % 64), 0};
  }
  apply_palette(pal);
}

uint32_t replacement_for(int depth) {
  if (depth == 8) {
    if (rgb_index_table != nullptr) return rgb_index_table[31807];
    return static_cast<uint32_t>(nearest_palette_index(current_palette, 63, 1, 63));
  }
  for (int g = 1;; ++g) {
    const auto value = static_cast<uint32_t>(make_color_depth(depth, 255, g, 255));
    if (value != mask_color_of(depth)) return value;
  }
}

// One pixel converted by the rules, through get_*_depth and make_color_depth / make_color8.
uint32_t convert_pixel(uint32_t c, int from, int to, uint32_t flags, int x, int y) {
  const bool keep = (flags & CONV_KEEP_TRANS) != 0;
  if (keep && c == mask_color_of(from)) return mask_color_of(to);
  const int ci = static_cast<int>(c);
  const int r = get_red_depth(from, ci), g = get_green_depth(from, ci),
            b = get_blue_depth(from, ci);
  uint32_t value;
  if ((flags & CONV_DITHER_15_16) != 0 && (to == 15 || to == 16)) {
    value = static_cast<uint32_t>(to == 15 ? dither_pack15(r, g, b, x, y)
                                           : dither_pack16(r, g, b, x, y));
  } else {
    value = static_cast<uint32_t>(to == 8 ? make_color8(r, g, b) : make_color_depth(to, r, g, b));
  }
  if (keep && value == mask_color_of(to)) value = replacement_for(to);
  return value;
}

class ConvertPairTest : public ::testing::TestWithParam<std::tuple<int, int>> {
 protected:
  void SetUp() override {
    std::tie(from_, to_) = GetParam();
    rng_.seed(static_cast<unsigned>(from_ * 64 + to_));
    random_palette(rng_);
  }
  void TearDown() override { set_color_conversion(0x00FFFFFF); }

  // Converts a random image (with some mask pixels) into part of a random destination.
  void check(uint32_t flags) {
    set_color_conversion(flags);
    const reference_image source_image = random_image(37, 13, from_, rng_, 0.2);
    reference_image dest_image = random_image(41, 15, to_, rng_);
    bitmap_ptr source = make_bitmap(from_, 37, 13);
    bitmap_ptr dest = make_bitmap(to_, 41, 15);
    paint(source.get(), source_image);
    paint(dest.get(), dest_image);
    dest->vtable->blit_convert(source.get(), dest.get(), 2, 1, 3, 2, 35, 12);
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 35; ++x) {
        dest_image.at(3 + x, 2 + y) =
            convert_pixel(source_image.at(2 + x, 1 + y), from_, to_, flags, x, y);
      }
    }
    EXPECT_TRUE(bitmap_matches(dest.get(), dest_image)) << "flags " << std::hex << flags;
  }

  int from_ = 8;
  int to_ = 8;
  std::mt19937 rng_;
};

TEST_P(ConvertPairTest, PlainConversion) { check(0x00FFFFFF); }

TEST_P(ConvertPairTest, KeepTransparent) { check(0x00FFFFFF | CONV_KEEP_TRANS); }

TEST_P(ConvertPairTest, OrderedDither) { check(CONV_DITHER_15_16); }

TEST_P(ConvertPairTest, OrderedDitherKeepingTransparent) {
  check(CONV_DITHER_15_16 | CONV_KEEP_TRANS);
}

TEST_P(ConvertPairTest, WithAnRgbIndexTable) {
  std::vector<unsigned char> table(32768);
  build_rgb_index_table(table.data(), current_palette, nullptr);
  rgb_index_table = table.data();
  check(CONV_KEEP_TRANS);
  rgb_index_table = nullptr;
}

TEST_P(ConvertPairTest, FollowsChangedComponentShifts) {
  // A display with blue lowest: every shift variable moves.
  red_shift_15 = 10, blue_shift_15 = 0;
  red_shift_16 = 11, blue_shift_16 = 0;
  red_shift_24 = 16, blue_shift_24 = 0;
  red_shift_32 = 16, blue_shift_32 = 0;
  check(0x00FFFFFF);
  red_shift_15 = 0, blue_shift_15 = 10;
  red_shift_16 = 0, blue_shift_16 = 11;
  red_shift_24 = 0, blue_shift_24 = 16;
  red_shift_32 = 0, blue_shift_32 = 16;
}

std::string pair_name(const ::testing::TestParamInfo<std::tuple<int, int>> &info) {
  return "From" + std::to_string(std::get<0>(info.param)) + "To" +
         std::to_string(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(AllPairs, ConvertPairTest,
                         ::testing::Combine(::testing::Values(8, 15, 16, 24, 32),
                                            ::testing::Values(8, 15, 16, 24, 32)),
                         pair_name);

// Error diffusion written out by hand.
reference_image diffuse(const reference_image &source, int from, bool keep) {
  const int w = source.width;
  reference_image out(w, source.height, 8);
  std::vector<int> current[3], next[3];
  for (int k = 0; k < 3; ++k) current[k].assign(static_cast<size_t>(w), 0), next[k] = current[k];
  int carry[3] = {0, 0, 0};
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < w; ++x) {
      const auto c = static_cast<int>(source.at(x, y));
      const int comp[3] = {get_red_depth(from, c), get_green_depth(from, c),
                           get_blue_depth(from, c)};
      int wanted[3];
      for (int k = 0; k < 3; ++k) {
        wanted[k] = std::clamp(comp[k] + current[k][static_cast<size_t>(x)] + carry[k], 0, 255);
      }
      const int index = make_color8(wanted[0], wanted[1], wanted[2]);
      int written = index;
      if (keep && static_cast<uint32_t>(c) == mask_color_of(from)) {
        written = 0;
      } else if (keep && index == 0) {
        written = static_cast<int>(replacement_for(8));
      }
      out.at(x, y) = static_cast<uint32_t>(written);
      const rgb_entry &e = current_palette[index];
      const int chosen[3] = {SCALE_6_TO_8[e.r], SCALE_6_TO_8[e.g], SCALE_6_TO_8[e.b]};
      for (int k = 0; k < 3; ++k) {
        const int err = wanted[k] - chosen[k];
        next[k][static_cast<size_t>(x)] += err * 3 / 8;
        carry[k] = err * 3 / 8;
        if (x + 1 < w) next[k][static_cast<size_t>(x) + 1] = err / 4;
      }
    }
    for (int k = 0; k < 3; ++k) {
      current[k] = next[k];
      std::fill(next[k].begin(), next[k].end(), 0);
    }
  }
  return out;
}

class ErrorDiffusionTest : public ::testing::TestWithParam<int> {
 protected:
  void TearDown() override { set_color_conversion(0x00FFFFFF); }
};

TEST_P(ErrorDiffusionTest, MatchesTheHandWrittenDiffusion) {
  const int from = GetParam();
  std::mt19937 rng(static_cast<unsigned>(from));
  random_palette(rng);
  for (bool keep : {false, true}) {
    set_color_conversion(CONV_DITHER_8 | (keep ? CONV_KEEP_TRANS : 0));
    const reference_image image = random_image(19, 7, from, rng, 0.15);
    bitmap_ptr source = make_bitmap(from, 19, 7);
    bitmap_ptr dest = make_bitmap(8, 19, 7);
    paint(source.get(), image);
    set_draw_mode(MODE_XOR, nullptr, 0, 0);  // diffusion draws solid and restores the mode
    dest->vtable->blit_convert(source.get(), dest.get(), 0, 0, 0, 0, 19, 7);
    EXPECT_EQ(draw_mode, MODE_XOR);
    set_draw_mode(MODE_SOLID, nullptr, 0, 0);
    EXPECT_TRUE(bitmap_matches(dest.get(), diffuse(image, from, keep))) << "keep " << keep;
  }
}

INSTANTIATE_TEST_SUITE_P(TrueColourSources, ErrorDiffusionTest, ::testing::Values(15, 16, 24, 32));

TEST(BlitConvertTest, KeepTransparentAtTheEdgesOfTheMask) {
  set_color_conversion(CONV_KEEP_TRANS);
  // A 16-bit sprite keeps its mask pixels at 32 bits.
  bitmap_ptr sprite16 = make_bitmap(16, 2, 1);
  bitmap_ptr out32 = make_bitmap(32, 2, 1);
  reference_image image16(2, 1, 16);
  image16.at(0, 0) = 0xF81F;
  image16.at(1, 0) = 0x07E0;
  paint(sprite16.get(), image16);
  blit(sprite16.get(), out32.get(), 0, 0, 0, 0, 2, 1);
  reference_image expected32(2, 1, 32);
  expected32.at(0, 0) = 0xFF00FF;
  expected32.at(1, 0) = 0x00FF00;
  EXPECT_TRUE(bitmap_matches(out32.get(), expected32));

  // A 15-bit pixel with its unused top bit set is not the mask, but would become it.
  bitmap_ptr sprite15 = make_bitmap(15, 2, 1);
  reference_image image15(2, 1, 15);
  image15.at(0, 0) = 0x7C1F;
  image15.at(1, 0) = 0xFC1F;
  paint(sprite15.get(), image15);
  blit(sprite15.get(), out32.get(), 0, 0, 0, 0, 2, 1);
  expected32.at(1, 0) = 0xFF01FF;  // the first (255, g, 255) that is not the mask
  EXPECT_TRUE(bitmap_matches(out32.get(), expected32));

  // At 16 bits green steps of one vanish: the replacement is (255, 4, 255).
  bitmap_ptr out16 = make_bitmap(16, 2, 1);
  blit(sprite15.get(), out16.get(), 0, 0, 0, 0, 2, 1);
  reference_image expected16(2, 1, 16);
  expected16.at(0, 0) = 0xF81F;
  expected16.at(1, 0) = 0xF83F;
  EXPECT_TRUE(bitmap_matches(out16.get(), expected16));
  set_color_conversion(0x00FFFFFF);
}

TEST(BlitConvertTest, EightBitSourcesUseThePaletteExpansionHook) {
  static uint32_t table[256];
  for (uint32_t i = 0; i < 256; ++i) table[i] = 0x010101u * i;
  static int asked_depth = 0;
  palette_expansion_hook = [](int depth) -> const uint32_t * {
    asked_depth = depth;
    return table;
  };
  bitmap_ptr source = make_bitmap(8, 3, 1);
  bitmap_ptr dest = make_bitmap(32, 3, 1);
  reference_image image(3, 1, 8);
  image.at(0, 0) = 0;
  image.at(1, 0) = 7;
  image.at(2, 0) = 255;
  paint(source.get(), image);
  blit(source.get(), dest.get(), 0, 0, 0, 0, 3, 1);
  palette_expansion_hook = palette_table_for_depth;
  EXPECT_EQ(asked_depth, 32);
  reference_image expected(3, 1, 32);
  expected.at(1, 0) = 0x070707;
  expected.at(2, 0) = 0xFFFFFF;
  EXPECT_TRUE(bitmap_matches(dest.get(), expected));
}

TEST(BlitConvertTest, PlanarBitmapsAreNotConverted) {
  bitmap_ptr source = make_bitmap(16, 2, 2);
  bitmap_ptr dest = make_bitmap(32, 2, 2);
  std::mt19937 rng(3);
  paint(source.get(), random_image(2, 2, 16, rng));
  const reference_image before = random_image(2, 2, 32, rng);
  paint(dest.get(), before);
  source->flags |= BITMAP_FLAG_PLANAR;
  dest->vtable->blit_convert(source.get(), dest.get(), 0, 0, 0, 0, 2, 2);
  EXPECT_TRUE(bitmap_matches(dest.get(), before));
}

}  // namespace
