// PNG files of every colour type and bit depth, interlaced or not, with and without tRNS, written
// here through libpng's full interface with known sample values and loaded at every depth: the
// pixels are the stored values (16-bit channels rounded to 8 bits, no gamma), worked out here
// independently. Also the size limits, and files that are no regular files.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "corvane/color.h"
#include "corvane/config.h"
#include "corvane/png.h"
#include "corvane/system.h"
#include "support/bitmap_compare.h"
#include "support/test_system.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::reference_image;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

class PngFormatsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(corvane::testing::start_with_test_system(), 0); }
  void TearDown() override {
    set_png_limits(0, 0, 0);
    set_color_depth(8);
    shutdown_corvane();
  }
  scoped_work_dir dir_;
};

struct rgba8 {
  int r, g, b, a;
};

// A test picture: samples per pixel as stored (channel values at the file's bit depth, or
// palette indices), its palette and transparency, and the colour every pixel must load as.
struct picture {
  int width = 13;  // odd sizes, so that every interlace pass has a ragged edge
  int height = 7;
  int color_type = 0;
  int bit_depth = 8;
  bool transparency = false;
  std::vector<uint16_t> samples;  // width * height * channels
  std::vector<png_color> palette;
  std::vector<png_byte> alpha;  // tRNS of a paletted picture
  png_color_16 transparent{};   // tRNS of grey and RGB pictures

  int channels() const {
    switch (color_type) {
      case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
      case PNG_COLOR_TYPE_RGB: return 3;
      case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
      default: return 1;
    }
  }
  bool has_alpha() const { return (color_type & PNG_COLOR_MASK_ALPHA) != 0 || transparency; }
};

// An n-bit value as 8 bits, scaled with rounding: exact for 1, 2, 4 and 8 bits, and for 16 bits
// round(v * 255 / 65535) (not v >> 8, and no gamma).
int to_8_bits(int value, int bits) {
  const int top = (1 << bits) - 1;
  return (value * 255 + top / 2) / top;
}

rgba8 expected_colour(const picture &p, int x, int y) {
  const uint16_t *s = &p.samples[static_cast<size_t>((y * p.width + x) * p.channels())];
  const int d = p.bit_depth;
  switch (p.color_type) {
    case PNG_COLOR_TYPE_PALETTE: {
      const png_color c = p.palette[s[0]];
      const int a = s[0] < p.alpha.size() ? p.alpha[s[0]] : 255;
      return {c.red, c.green, c.blue, a};
    }
    case PNG_COLOR_TYPE_GRAY: {
      const int v = to_8_bits(s[0], d);
      return {v, v, v, p.transparency && s[0] == p.transparent.gray ? 0 : 255};
    }
    case PNG_COLOR_TYPE_GRAY_ALPHA: {
      const int v = to_8_bits(s[0], d);
      return {v, v, v, to_8_bits(s[1], d)};
    }
    case PNG_COLOR_TYPE_RGB: {
      const bool clear = p.transparency && s[0] == p.transparent.red &&
                         s[1] == p.transparent.green && s[2] == p.transparent.blue;
      return {to_8_bits(s[0], d), to_8_bits(s[1], d), to_8_bits(s[2], d), clear ? 0 : 255};
    }
    default:
      return {to_8_bits(s[0], d), to_8_bits(s[1], d), to_8_bits(s[2], d), to_8_bits(s[3], d)};
  }
}

// Random samples, with 16-bit values where truncating (v >> 8), rounding and a gamma curve give
// three different answers mixed in; the first pixel matches the tRNS colour when there is one.
picture make_picture(int color_type, int bit_depth, bool transparency, std::mt19937 &rng) {
  picture p;
  p.color_type = color_type;
  p.bit_depth = bit_depth;
  p.transparency = transparency;
  const int top = (1 << bit_depth) - 1;
  const int palette_size = color_type == PNG_COLOR_TYPE_PALETTE ? top + 1 : 0;
  for (int i = 0; i < palette_size; ++i) {
    p.palette.push_back({static_cast<png_byte>(rng()), static_cast<png_byte>(rng()),
                         static_cast<png_byte>(rng())});
  }
  const uint16_t tricky[] = {200, 47031, 32896, 65535, 0, 383, 65280};
  p.samples.resize(static_cast<size_t>(p.width * p.height * p.channels()));
  for (size_t i = 0; i < p.samples.size(); ++i) {
    p.samples[i] = static_cast<uint16_t>(bit_depth == 16 && i % 3 == 0 ? tricky[i / 3 % 7]
                                                                       : rng() % (top + 1));
  }
  if (transparency) {
    if (color_type == PNG_COLOR_TYPE_PALETTE) {
      for (int i = 0; i < palette_size / 2 + 1; ++i) p.alpha.push_back(static_cast<png_byte>(rng()));
    } else {
      p.transparent.gray = p.samples[0];
      p.transparent.red = p.samples[0];
      if (color_type == PNG_COLOR_TYPE_RGB) {
        p.transparent.green = p.samples[1];
        p.transparent.blue = p.samples[2];
      }
    }
  }
  return p;
}

// Packs one row's samples as the file stores them: MSB first below 8 bits, big-endian at 16.
std::vector<png_byte> packed_row(const picture &p, int y) {
  const int n = p.width * p.channels();
  std::vector<png_byte> row(static_cast<size_t>((n * p.bit_depth + 7) / 8), 0);
  for (int i = 0; i < n; ++i) {
    const uint16_t v = p.samples[static_cast<size_t>(y * n + i)];
    if (p.bit_depth == 16) {
      row[static_cast<size_t>(2 * i)] = static_cast<png_byte>(v >> 8);
      row[static_cast<size_t>(2 * i + 1)] = static_cast<png_byte>(v);
    } else {
      const int bit = i * p.bit_depth;
      row[static_cast<size_t>(bit / 8)] |=
          static_cast<png_byte>(v << (8 - p.bit_depth - bit % 8));
    }
  }
  return row;
}

// Writes the picture with libpng's full interface, with a gamma chunk a decoder must not apply.
bool write_picture(const std::string &path, const picture &p, bool interlaced) {
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<std::vector<png_byte>> rows;
  for (int y = 0; y < p.height; ++y) rows.push_back(packed_row(p, y));
  std::vector<png_bytep> row_pointers;
  for (auto &row : rows) row_pointers.push_back(row.data());
  // Kept in memory across libpng's jump back to setjmp.
  volatile bool ok = false;
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(p.width), static_cast<png_uint_32>(p.height),
                 p.bit_depth, p.color_type,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty()) {
      png_set_PLTE(png, info, p.palette.data(), static_cast<int>(p.palette.size()));
    }
    if (p.transparency) {
      png_color_16 transparent = p.transparent;
      png_set_tRNS(png, info, p.alpha.empty() ? nullptr : p.alpha.data(),
                   static_cast<int>(p.alpha.size()), p.alpha.empty() ? &transparent : nullptr);
    }
    png_set_gAMA(png, info, 1.0);  // "linear": a gamma-applying decoder would brighten everything
    png_set_rows(png, info, row_pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  return ok;
}

// The bitmap a loaded picture must equal at a depth.
reference_image expected_bitmap(const picture &p, int depth) {
  reference_image image(p.width, p.height, depth);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const rgba8 c = expected_colour(p, x, y);
      uint32_t value = 0;
      if (depth == 8) {
        value = p.color_type == PNG_COLOR_TYPE_PALETTE
                    ? p.samples[static_cast<size_t>(y * p.width + x)]
                    : static_cast<uint32_t>(make_color8(c.r, c.g, c.b));
      } else {
        value = static_cast<uint32_t>(make_color_depth(depth, c.r, c.g, c.b));
        if (depth == 32 && p.has_alpha()) value |= static_cast<uint32_t>(c.a) << alpha_shift_32;
      }
      image.at(x, y) = value;
    }
  }
  return image;
}

TEST_F(PngFormatsTest, EveryColourTypeAndBitDepthLoadsAsStoredAtEveryDepth) {
  struct format {
    int color_type;
    int bit_depth;
  };
  const format formats[] = {
      {PNG_COLOR_TYPE_GRAY, 1},       {PNG_COLOR_TYPE_GRAY, 2},       {PNG_COLOR_TYPE_GRAY, 4},
      {PNG_COLOR_TYPE_GRAY, 8},       {PNG_COLOR_TYPE_GRAY, 16},      {PNG_COLOR_TYPE_GRAY_ALPHA, 8},
      {PNG_COLOR_TYPE_GRAY_ALPHA, 16}, {PNG_COLOR_TYPE_RGB, 8},       {PNG_COLOR_TYPE_RGB, 16},
      {PNG_COLOR_TYPE_RGB_ALPHA, 8},  {PNG_COLOR_TYPE_RGB_ALPHA, 16}, {PNG_COLOR_TYPE_PALETTE, 1},
      {PNG_COLOR_TYPE_PALETTE, 2},    {PNG_COLOR_TYPE_PALETTE, 4},    {PNG_COLOR_TYPE_PALETTE, 8},
  };
  std::mt19937 rng(24);
  const std::string path = dir_.file("format.png");
  for (const format &f : formats) {
    const bool may_have_trns = (f.color_type & PNG_COLOR_MASK_ALPHA) == 0;
    for (const bool trns : {false, true}) {
      if (trns && !may_have_trns) continue;
      const picture p = make_picture(f.color_type, f.bit_depth, trns, rng);
      for (const bool interlaced : {false, true}) {
        ASSERT_TRUE(write_picture(path, p, interlaced));
        for (const int depth : {8, 15, 16, 24, 32}) {
          set_color_depth(depth);
          palette pal{};
          bitmap_ptr loaded(load_bitmap_png(path.c_str(), pal));
          const std::string what = "colour type " + std::to_string(f.color_type) + ", " +
                                   std::to_string(f.bit_depth) + " bits" + (trns ? ", tRNS" : "") +
                                   (interlaced ? ", interlaced" : "") + ", depth " +
                                   std::to_string(depth);
          ASSERT_NE(loaded, nullptr) << what << ": " << error_text;
          EXPECT_TRUE(bitmap_matches(loaded.get(), expected_bitmap(p, depth))) << what;
          if (depth == 8 && f.color_type == PNG_COLOR_TYPE_PALETTE) {
            EXPECT_EQ(pal[1].r, p.palette[1].red >> 2) << what;
            EXPECT_EQ(pal[1].b, p.palette[1].blue >> 2) << what;
          }
        }
      }
    }
  }
}

// 32-bit pixels with alpha are saved with it and come back whole; an opaque bitmap stays opaque.
TEST_F(PngFormatsTest, ThirtyTwoBitRoundTripKeepsAlpha) {
  std::mt19937 rng(32);
  bitmap_ptr bmp = corvane::testing::make_bitmap(32, 9, 5);
  reference_image image = corvane::testing::random_image(9, 5, 32, rng);
  for (uint32_t &pixel : image.pixels) pixel |= (rng() & 0xFFu) << alpha_shift_32;
  corvane::testing::paint(bmp.get(), image);
  const std::string path = dir_.file("alpha32.png");
  ASSERT_EQ(save_bitmap_png(path.c_str(), bmp.get(), nullptr), 0) << error_text;
  set_color_depth(32);
  bitmap_ptr loaded(load_bitmap_png(path.c_str(), nullptr));
  ASSERT_NE(loaded, nullptr) << error_text;
  EXPECT_TRUE(bitmap_matches(loaded.get(), image));
}

// A file of the right size for its claim: the claim alone is what the limits refuse.
TEST_F(PngFormatsTest, SizeLimitsComeFromTheCallTheConfigurationOrTheDefault) {
  std::mt19937 rng(7);
  picture p = make_picture(PNG_COLOR_TYPE_RGB, 8, false, rng);
  const std::string path = dir_.file("limits.png");
  ASSERT_TRUE(write_picture(path, p, false));
  const auto refused = [&] {
    set_color_depth(24);
    bitmap *bmp = load_bitmap_png(path.c_str(), nullptr);
    destroy_bitmap(bmp);
    return bmp == nullptr && get_error_number() == EFBIG;
  };
  EXPECT_FALSE(refused());
  set_png_limits(12, 0, 0);
  EXPECT_TRUE(refused());
  set_png_limits(0, 0, 13 * 7 - 1);
  EXPECT_TRUE(refused());
  set_png_limits(0, 0, 13 * 7);
  EXPECT_FALSE(refused());
  set_png_limits(0, 0, 0);
  const char limit[] = "[png]\nmax_height = 6\n";
  use_config_data(limit, static_cast<int>(sizeof limit - 1));
  EXPECT_TRUE(refused());
  EXPECT_STREQ(error_text, "PNG image too large");
  set_png_limits(0, 7, 0);  // the call comes before the configuration
  EXPECT_FALSE(refused());
  use_config_data("", 0);
}

// A header claiming 9000 x 9000 pixels, padded with a private chunk so that the file is large
// enough to hold them compressed: only the pixel limit stands between it and 324 MB of buffers.
TEST_F(PngFormatsTest, DefaultPixelLimitRefusesAPlausibleClaim) {
  const auto be32 = [](uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 8), static_cast<char>(v)};
  };
  const auto chunk = [&](const std::string &type, const std::string &data) {
    const std::string body = type + data;
    return be32(static_cast<uint32_t>(data.size())) + body +
           be32(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(body.data()),
                                            static_cast<uInt>(body.size()))));
  };
  const std::string file = std::string("\x89PNG\r\n\x1a\n", 8) +
                           chunk("IHDR", be32(9000) + be32(9000) + std::string("\x08\x00\0\0\0", 5)) +
                           chunk("prIv", std::string(200000, '\0')) +
                           chunk("IDAT", std::string("\x78\x9c\x03\0", 4)) + chunk("IEND", "");
  write_file(dir_.file("claim.png"), file);
  set_color_depth(32);
  EXPECT_EQ(load_bitmap_png(dir_.file("claim.png").c_str(), nullptr), nullptr);
  EXPECT_EQ(get_error_number(), EFBIG);
  EXPECT_STREQ(error_text, "PNG image too large");
}

TEST_F(PngFormatsTest, FifoIsRefusedWithoutWaiting) {
  ASSERT_EQ(mkfifo(dir_.file("pipe.png").c_str(), 0600), 0);
  EXPECT_EQ(load_bitmap_png(dir_.file("pipe.png").c_str(), nullptr), nullptr);
  EXPECT_EQ(get_error_number(), EINVAL);
  EXPECT_STREQ(error_text, "Cannot open the PNG file");
}

}  // namespace
