// PNG files: round trips at every depth, 8-bit images with their palette, conversions between
// paletted and true-colour images, alpha at 32 bits, and hostile or broken files.
#include <gtest/gtest.h>
#include <png.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "corvane/color.h"
#include "corvane/png.h"
#include "corvane/system.h"
#include "support/bitmap_compare.h"
#include "support/test_system.h"

namespace {

using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::capture;
using corvane::testing::file_exists_on_disk;
using corvane::testing::make_bitmap;
using corvane::testing::paint;
using corvane::testing::random_image;
using corvane::testing::raw_pixel;
using corvane::testing::read_file;
using corvane::testing::reference_image;
using corvane::testing::scoped_work_dir;
using corvane::testing::write_file;

class PngFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(corvane::testing::start_with_test_system(), 0); }
  void TearDown() override {
    set_color_depth(8);
    shutdown_corvane();
  }
  scoped_work_dir dir_;
};

// ---- Files built by hand --------------------------------------------------------------------

uint32_t crc32_of(const std::string &bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (const unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string big_endian(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string chunk(const std::string &type, const std::string &data) {
  return big_endian(static_cast<uint32_t>(data.size())) + type + data +
         big_endian(crc32_of(type + data));
}

const std::string png_signature("\x89PNG\r\n\x1a\n", 8);

// A file whose header claims width x height RGB pixels, followed by a token of image data.
std::string png_claiming(uint32_t width, uint32_t height) {
  const std::string header =
      big_endian(width) + big_endian(height) + std::string("\x08\x02\0\0\0", 5);
  return png_signature + chunk("IHDR", header) + chunk("IDAT", std::string("\x78\x9c\x03\0", 4)) +
         chunk("IEND", "");
}

// Writes an RGBA image with libpng directly.
void write_rgba_png(const std::string &path, int width, int height,
                    const std::vector<unsigned char> &rgba) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr), 0)
      << image.message;
}

reference_image without_unstored_bits(reference_image image) {
  // A PNG keeps red, green and blue: the spare bit of 15-bit pixels and the alpha byte of 32-bit
  // pixels written by make_color are not part of the colour.
  for (uint32_t &pixel : image.pixels) {
    if (image.depth == 15) pixel &= 0x7FFF;
    if (image.depth == 32) pixel &= 0x00FFFFFF;
  }
  return image;
}

// ---- Round trips ----------------------------------------------------------------------------

class PngRoundTripTest : public PngFileTest, public ::testing::WithParamInterface<int> {};

TEST_P(PngRoundTripTest, EveryPixelValueComesBackAtItsDepth) {
  const int depth = GetParam();
  std::mt19937 rng(static_cast<unsigned>(depth));
  const reference_image image = without_unstored_bits(random_image(37, 23, depth, rng));
  bitmap_ptr bmp = make_bitmap(depth, 37, 23);
  paint(bmp.get(), image);
  ASSERT_EQ(save_bitmap_png(dir_.file("round.png").c_str(), bmp.get(), nullptr), 0) << error_text;

  set_color_depth(depth);
  bitmap_ptr loaded(load_bitmap_png(dir_.file("round.png").c_str(), nullptr));
  ASSERT_NE(loaded, nullptr) << error_text;
  EXPECT_EQ(bitmap_color_depth(loaded.get()), depth);
  EXPECT_TRUE(bitmap_matches(loaded.get(), image));
}

INSTANTIATE_TEST_SUITE_P(TrueColourDepths, PngRoundTripTest, ::testing::Values(15, 16, 24, 32));

TEST_F(PngFileTest, EightBitImageKeepsIndicesAndPalette) {
  palette pal;
  std::mt19937 rng(8);
  for (rgb_entry &entry : pal) {
    entry =
        rgb_entry{static_cast<unsigned char>(rng() % 64), static_cast<unsigned char>(rng() % 64),
                  static_cast<unsigned char>(rng() % 64), 0};
  }
  reference_image image(16, 16, 8);
  for (int i = 0; i < 256; ++i) image.at(i % 16, i / 16) = static_cast<uint32_t>(i);
  bitmap_ptr bmp = make_bitmap(8, 16, 16);
  paint(bmp.get(), image);
  ASSERT_EQ(save_bitmap_png(dir_.file("indexed.png").c_str(), bmp.get(), pal), 0) << error_text;

  palette back{};
  bitmap_ptr loaded(load_bitmap_png(dir_.file("indexed.png").c_str(), back));
  ASSERT_NE(loaded, nullptr) << error_text;
  EXPECT_TRUE(bitmap_matches(loaded.get(), image));
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(back[i].r, pal[i].r) << "entry " << i;
    EXPECT_EQ(back[i].g, pal[i].g) << "entry " << i;
    EXPECT_EQ(back[i].b, pal[i].b) << "entry " << i;
  }
}

TEST_F(PngFileTest, EightBitImageWithoutPaletteUsesTheCurrentOne) {
  apply_palette(desktop_palette);
  bitmap_ptr bmp = make_bitmap(8, 3, 1);
  paint(bmp.get(), reference_image(3, 1, 8, 4));  // desktop entry 4 is blue
  ASSERT_EQ(save_bitmap_png(dir_.file("desk.png").c_str(), bmp.get(), nullptr), 0);

  set_color_depth(24);
  bitmap_ptr loaded(load_bitmap_png(dir_.file("desk.png").c_str(), nullptr));
  ASSERT_NE(loaded, nullptr) << error_text;
  EXPECT_TRUE(
      bitmap_matches(loaded.get(), reference_image(3, 1, 24, make_color_depth(24, 0, 0, 255))));
}

TEST_F(PngFileTest, TrueColourImageAtEightBitsTakesNearestPaletteColours) {
  apply_palette(desktop_palette);
  std::vector<unsigned char> rgba = {255, 0, 0, 255, 0,   255, 0,   255,
                                     0,   0, 0, 255, 250, 250, 250, 255};
  write_rgba_png(dir_.file("rgb.png"), 4, 1, rgba);

  palette back{};
  bitmap_ptr loaded(load_bitmap_png(dir_.file("rgb.png").c_str(), back));
  ASSERT_NE(loaded, nullptr) << error_text;
  reference_image expected(4, 1, 8);
  expected.at(0, 0) = static_cast<uint32_t>(make_color8(255, 0, 0));
  expected.at(1, 0) = static_cast<uint32_t>(make_color8(0, 255, 0));
  expected.at(2, 0) = static_cast<uint32_t>(make_color8(0, 0, 0));
  expected.at(3, 0) = static_cast<uint32_t>(make_color8(250, 250, 250));
  EXPECT_TRUE(bitmap_matches(loaded.get(), expected));
  EXPECT_EQ(std::memcmp(back, current_palette, sizeof(palette)), 0);
}

TEST_F(PngFileTest, AlphaIsKeptOnlyAtThirtyTwoBits) {
  std::vector<unsigned char> rgba = {10, 20, 30, 40, 200, 100, 50, 255};
  write_rgba_png(dir_.file("alpha.png"), 2, 1, rgba);

  set_color_depth(32);
  bitmap_ptr loaded(load_bitmap_png(dir_.file("alpha.png").c_str(), nullptr));
  ASSERT_NE(loaded, nullptr) << error_text;
  reference_image expected(2, 1, 32);
  // 8-bit colour comes back as stored, not premultiplied by its alpha.
  expected.at(0, 0) = static_cast<uint32_t>(make_color_depth(32, 10, 20, 30)) | (40u << 24);
  expected.at(1, 0) = static_cast<uint32_t>(make_color_depth(32, 200, 100, 50)) | (255u << 24);
  EXPECT_TRUE(bitmap_matches(loaded.get(), expected));

  set_color_depth(24);
  bitmap_ptr opaque(load_bitmap_png(dir_.file("alpha.png").c_str(), nullptr));
  ASSERT_NE(opaque, nullptr);
  reference_image expected24(2, 1, 24);
  expected24.at(0, 0) = static_cast<uint32_t>(make_color_depth(24, 10, 20, 30));
  expected24.at(1, 0) = static_cast<uint32_t>(make_color_depth(24, 200, 100, 50));
  EXPECT_TRUE(bitmap_matches(opaque.get(), expected24));
}

TEST_F(PngFileTest, PalettedImageWithTransparencyLoads) {
  // Two palette entries, the first fully transparent (PLTE with tRNS).
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = 2;
  image.height = 1;
  image.format = PNG_FORMAT_RGBA_COLORMAP;
  image.colormap_entries = 2;
  const unsigned char colormap[] = {0, 0, 0, 0, 255, 0, 0, 255};
  const unsigned char indices[] = {0, 1};
  ASSERT_NE(png_image_write_to_file(&image, dir_.file("trns.png").c_str(), 0, indices, 0, colormap),
            0);

  palette back{};
  bitmap_ptr eight(load_bitmap_png(dir_.file("trns.png").c_str(), back));
  ASSERT_NE(eight, nullptr) << error_text;
  EXPECT_EQ(back[1].r, 63);
  EXPECT_EQ(back[1].g, 0);
  EXPECT_EQ(raw_pixel(eight.get(), 1, 0), 1u);

  set_color_depth(32);
  bitmap_ptr truecolour(load_bitmap_png(dir_.file("trns.png").c_str(), nullptr));
  ASSERT_NE(truecolour, nullptr) << error_text;
  EXPECT_EQ(raw_pixel(truecolour.get(), 0, 0) >> 24, 0u);  // transparent
  EXPECT_EQ(raw_pixel(truecolour.get(), 1, 0),
            static_cast<uint32_t>(make_color_depth(32, 255, 0, 0)) | 0xFF000000u);
}

TEST_F(PngFileTest, SubBitmapIsSavedThroughItsOwnLines) {
  std::mt19937 rng(3);
  bitmap_ptr parent = make_bitmap(16, 20, 10);
  paint(parent.get(), random_image(20, 10, 16, rng));
  bitmap_ptr sub(create_subbitmap(parent.get(), 5, 3, 7, 4));
  ASSERT_NE(sub, nullptr);
  ASSERT_EQ(save_bitmap_png(dir_.file("sub.png").c_str(), sub.get(), nullptr), 0);
  set_color_depth(16);
  bitmap_ptr loaded(load_bitmap_png(dir_.file("sub.png").c_str(), nullptr));
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(bitmap_matches(loaded.get(), capture(sub.get())));
}

TEST_F(PngFileTest, LargeUniformImageIsNotMistakenForAHostileOne) {
  // 4 million pixels in a file of a few kilobytes: compression that good is real.
  bitmap_ptr bmp = make_bitmap(8, 2000, 2000);
  clear_bitmap(bmp.get());
  ASSERT_EQ(save_bitmap_png(dir_.file("big.png").c_str(), bmp.get(), nullptr), 0);
  EXPECT_LT(read_file(dir_.file("big.png")).size(), 100000u);
  bitmap_ptr loaded(load_bitmap_png(dir_.file("big.png").c_str(), nullptr));
  ASSERT_NE(loaded, nullptr) << error_text;
  EXPECT_EQ(loaded->width, 2000);
  EXPECT_EQ(loaded->height, 2000);
}

// ---- Failures -------------------------------------------------------------------------------

TEST_F(PngFileTest, MissingFileIsReported) {
  EXPECT_EQ(load_bitmap_png(dir_.file("absent.png").c_str(), nullptr), nullptr);
  EXPECT_STREQ(error_text, "Cannot open the PNG file");
  EXPECT_EQ(get_error_number(), ENOENT);
}

TEST_F(PngFileTest, FileWithoutTheSignatureIsNotAPng) {
  write_file(dir_.file("text.png"), "GIF89a, not what the name says");
  EXPECT_EQ(load_bitmap_png(dir_.file("text.png").c_str(), nullptr), nullptr);
  EXPECT_STREQ(error_text, "Not a PNG file");
  write_file(dir_.file("short.png"), "\x89PN");
  EXPECT_EQ(load_bitmap_png(dir_.file("short.png").c_str(), nullptr), nullptr);
  EXPECT_STREQ(error_text, "Not a PNG file");
}

TEST_F(PngFileTest, TruncatedAndDamagedFilesAreCorrupt) {
  std::mt19937 rng(5);
  bitmap_ptr bmp = make_bitmap(24, 64, 64);
  paint(bmp.get(), random_image(64, 64, 24, rng));
  ASSERT_EQ(save_bitmap_png(dir_.file("whole.png").c_str(), bmp.get(), nullptr), 0);
  const std::string whole = read_file(dir_.file("whole.png"));
  set_color_depth(24);

  // Cut inside the header, inside the image data, and inside the last data chunk's checksum.
  for (const size_t length : {size_t{20}, whole.size() / 2, whole.size() - 14}) {
    write_file(dir_.file("cut.png"), whole.substr(0, length));
    error_text[0] = 0;
    EXPECT_EQ(load_bitmap_png(dir_.file("cut.png").c_str(), nullptr), nullptr) << length;
    EXPECT_STREQ(error_text, "Corrupt PNG file") << length;
  }

  // Without only its end chunk (12 bytes) every pixel is still there, and the image loads whole.
  write_file(dir_.file("no_end.png"), whole.substr(0, whole.size() - 12));
  bitmap_ptr no_end(load_bitmap_png(dir_.file("no_end.png").c_str(), nullptr));
  ASSERT_NE(no_end, nullptr);
  EXPECT_TRUE(bitmap_matches(no_end.get(), capture(bmp.get())));

  std::string damaged = whole;
  damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x55);
  write_file(dir_.file("damaged.png"), damaged);
  EXPECT_EQ(load_bitmap_png(dir_.file("damaged.png").c_str(), nullptr), nullptr);
  EXPECT_STREQ(error_text, "Corrupt PNG file");
}

TEST_F(PngFileTest, HugeSizeInTheHeaderIsRefusedBeforeAllocating) {
  // 60000 x 60000 RGB would be over 10 GB; the file holds a few bytes of image data.
  write_file(dir_.file("huge.png"), png_claiming(60000, 60000));
  set_color_depth(32);
  EXPECT_EQ(load_bitmap_png(dir_.file("huge.png").c_str(), nullptr), nullptr);
  EXPECT_STREQ(error_text, "PNG image too large");
  EXPECT_EQ(get_error_number(), EFBIG);

  // Small enough for a bitmap, but far more pixels than a file this small can hold.
  write_file(dir_.file("tall.png"), png_claiming(4000, 4000));
  EXPECT_EQ(load_bitmap_png(dir_.file("tall.png").c_str(), nullptr), nullptr);
  EXPECT_STREQ(error_text, "PNG image too large");

  // Beyond libpng's own limits the header itself is rejected.
  write_file(dir_.file("wild.png"), png_claiming(0x7FFFFFFF, 1));
  EXPECT_EQ(load_bitmap_png(dir_.file("wild.png").c_str(), nullptr), nullptr);
  EXPECT_STREQ(error_text, "Corrupt PNG file");
}

TEST_F(PngFileTest, SavingFailuresLeaveNoFile) {
  bitmap_ptr bmp = make_bitmap(32, 4, 4);
  EXPECT_EQ(save_bitmap_png(dir_.file("no/such/dir.png").c_str(), bmp.get(), nullptr), -1);
  EXPECT_STREQ(error_text, "Cannot create the PNG file");
  EXPECT_EQ(get_error_number(), ENOENT);

  bitmap_ptr empty = make_bitmap(32, 0, 4);
  EXPECT_EQ(save_bitmap_png(dir_.file("empty.png").c_str(), empty.get(), nullptr), -1);
  EXPECT_STREQ(error_text, "Cannot save an empty bitmap as PNG");
  EXPECT_FALSE(file_exists_on_disk(dir_.file("empty.png")));

  EXPECT_EQ(save_bitmap_png(dir_.file("null.png").c_str(), nullptr, nullptr), -1);
  EXPECT_EQ(save_bitmap_png(nullptr, bmp.get(), nullptr), -1);
  EXPECT_EQ(get_error_number(), EINVAL);
}

TEST_F(PngFileTest, FailedWriteIsReported) {
  // /dev/full accepts the open and fails every write.
  if (!file_exists_on_disk("/dev/full")) GTEST_SKIP() << "no /dev/full";
  bitmap_ptr bmp = make_bitmap(24, 64, 64);
  EXPECT_EQ(save_bitmap_png("/dev/full", bmp.get(), nullptr), -1);
  EXPECT_STREQ(error_text, "Cannot write the PNG file");
  EXPECT_NE(get_error_number(), 0);
  EXPECT_TRUE(file_exists_on_disk("/dev/full"));  // a device is never removed
}

TEST_F(PngFileTest, UnsupportedCurrentDepthIsReported) {
  bitmap_ptr bmp = make_bitmap(24, 4, 4);
  ASSERT_EQ(save_bitmap_png(dir_.file("ok.png").c_str(), bmp.get(), nullptr), 0);
  set_color_depth(12);
  EXPECT_EQ(load_bitmap_png(dir_.file("ok.png").c_str(), nullptr), nullptr);
  EXPECT_STREQ(error_text, "Unsupported color depth");
}

}  // namespace
