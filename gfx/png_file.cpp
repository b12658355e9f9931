// PNG files through libpng's simplified interface: saving a bitmap (or a rectangle of one) of any
// depth, and loading a PNG file into a new bitmap of the current colour depth. The simplified
// interface keeps libpng's error recovery inside libpng, so a corrupt file comes back as a failed
// call rather than a jump across this library's frames.
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/png.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "file/file_io.h"
#include "gfx/depth/pixel_traits.h"
#include "gfx/png_internal.h"

namespace corvane {
namespace {

// Deflate cannot expand data by more than this factor (a run of 258 bytes in one code of at least
// two bits, plus block overhead): an image whose rows need more bytes than this many times the
// file's size cannot be in the file, whatever its header claims.
constexpr int64_t max_deflate_ratio = 1032;

// Decoding goes through a buffer of four bytes a pixel; bitmaps stop at 2 GiB of pixels.
constexpr int64_t max_decoded_bytes = int64_t{INT32_MAX};

struct file_closer {
  void operator()(std::FILE *file) const noexcept { std::fclose(file); }
};
using file_handle = std::unique_ptr<std::FILE, file_closer>;

struct free_deleter {
  void operator()(void *block) const noexcept { std::free(block); }
};
using byte_buffer = std::unique_ptr<unsigned char, free_deleter>;

// The simplified interface owns a control block until the image is finished or freed.
struct image_guard {
  png_image *image;
  ~image_guard() { png_image_free(image); }
};

void fail(const char *message, int error_number) noexcept {
  set_error_text(message);
  set_error_number(error_number);
}

// Converts a file name from the current encoding to the system's and opens it.
file_handle open_file(const char *filename, const char *mode) noexcept {
  char path[1024];
  errno = 0;
  if (filename == nullptr ||
      !convert_file_name(filename, get_file_name_encoding(), path, static_cast<int>(sizeof path))) {
    return nullptr;
  }
  return file_handle(std::fopen(path, mode));
}

void remove_file(const char *filename) noexcept {
  char path[1024];
  if (convert_file_name(filename, get_file_name_encoding(), path, static_cast<int>(sizeof path))) {
    unlink(path);
  }
}

// One row of count pixels starting at column x as 8-bit RGB triples; black for a depth without
// pixel traits.
void unpack_rgb_row(bitmap *bmp, int x, int row, int count, unsigned char *rgb) noexcept {
  const unsigned char *line = bmp->read_line(bmp, row);
  const bool known = depth::with_pixel_traits(bitmap_color_depth(bmp), [&](auto pixel) {
    using Pixel = decltype(pixel);
    const auto layout = Pixel::current_layout();
    const unsigned char *source = line + static_cast<size_t>(x) * Pixel::bytes;
    unsigned char *out = rgb;
    for (int i = 0; i < count; ++i, source += Pixel::bytes, out += 3) {
      const depth::rgb8 c = layout.unpack(Pixel::load(source));
      out[0] = static_cast<unsigned char>(c.r);
      out[1] = static_cast<unsigned char>(c.g);
      out[2] = static_cast<unsigned char>(c.b);
    }
    return true;
  });
  if (!known) std::memset(rgb, 0, static_cast<size_t>(count) * 3);
}

// Turns decoded RGBA rows into the pixels of a bitmap of any depth; with keep_alpha the alpha
// byte lands at the 32-bit alpha shift.
void pack_rgba(const unsigned char *rgba, bitmap *bmp, bool keep_alpha) noexcept {
  depth::with_pixel_traits(bitmap_color_depth(bmp), [&](auto pixel) {
    using Pixel = decltype(pixel);
    const auto layout = Pixel::current_layout();
    const unsigned char *p = rgba;
    for (int row = 0; row < bmp->height; ++row) {
      unsigned char *dest = bmp->lines[row];
      for (int x = 0; x < bmp->width; ++x, p += 4, dest += Pixel::bytes) {
        uint32_t value = layout.pack(int{p[0]}, int{p[1]}, int{p[2]});
        if (keep_alpha) value |= depth::place(uint32_t{p[3]}, alpha_shift_32);
        Pixel::store(dest, value);
      }
    }
  });
}

// The smallest number of bytes the rows of an image of this size take before compression: one
// filter byte a row and at least one bit a pixel.
int64_t least_raw_bytes(int64_t width, int64_t height) noexcept {
  return height * (1 + (width + 7) / 8);
}

}  // namespace

int save_bitmap_region_png(const char *filename, bitmap *bmp, int x, int y, int width, int height,
                           const rgb_entry *pal) noexcept {
  if (filename == nullptr || bmp == nullptr || bmp->vtable == nullptr) {
    fail("Invalid argument", EINVAL);
    return -1;
  }
  if (x < 0 || y < 0 || width <= 0 || height <= 0 || width > bmp->width - x ||
      height > bmp->height - y) {
    fail("Cannot save an empty bitmap as PNG", EINVAL);
    return -1;
  }
  const int depth = bitmap_color_depth(bmp);
  const bool paletted = (depth == 8);
  const int64_t row_bytes = int64_t{width} * (paletted ? 1 : 3);
  if (row_bytes * height > max_decoded_bytes) {
    fail("Bitmap too large for PNG", EFBIG);
    return -1;
  }

  byte_buffer pixels(static_cast<unsigned char *>(
      std::malloc(static_cast<size_t>(row_bytes) * static_cast<size_t>(height))));
  if (pixels == nullptr) {
    fail("Not enough memory", ENOMEM);
    return -1;
  }
  unsigned char colormap[PALETTE_SIZE * 3];
  if (paletted) {
    const rgb_entry *source = pal != nullptr ? pal : current_palette;
    for (int i = 0; i < PALETTE_SIZE; ++i) {
      colormap[i * 3] = static_cast<unsigned char>(SCALE_6_TO_8[source[i].r & 63]);
      colormap[i * 3 + 1] = static_cast<unsigned char>(SCALE_6_TO_8[source[i].g & 63]);
      colormap[i * 3 + 2] = static_cast<unsigned char>(SCALE_6_TO_8[source[i].b & 63]);
    }
  }
  for (int row = 0; row < height; ++row) {
    unsigned char *dest = pixels.get() + static_cast<size_t>(row_bytes) * static_cast<size_t>(row);
    if (paletted) {
      std::memcpy(dest, bmp->read_line(bmp, y + row) + x, static_cast<size_t>(width));
    } else {
      unpack_rgb_row(bmp, x, y + row, width, dest);
    }
  }
  if (bmp->vtable->release_line != nullptr) bmp->vtable->release_line(bmp);

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = paletted ? PNG_FORMAT_RGB_COLORMAP : PNG_FORMAT_RGB;
  image.colormap_entries = paletted ? PALETTE_SIZE : 0;

  file_handle file = open_file(filename, "wb");
  if (file == nullptr) {
    const int error_number = errno != 0 ? errno : ENOENT;
    fail("Cannot create the PNG file", error_number);
    return -1;
  }
  // Only a regular file made here is removed after a failed write, never a device or the like.
  struct stat info;
  const bool regular_file = fstat(fileno(file.get()), &info) == 0 && S_ISREG(info.st_mode);
  const int written =
      png_image_write_to_stdio(&image, file.get(), 0, pixels.get(),
                               static_cast<png_int_32>(row_bytes), paletted ? colormap : nullptr);
  png_image_free(&image);
  const bool flushed = std::fflush(file.get()) == 0 && std::ferror(file.get()) == 0;
  const int error_number = errno;
  const bool closed = std::fclose(file.release()) == 0;
  if (written == 0 || !flushed || !closed) {
    if (regular_file) remove_file(filename);
    fail("Cannot write the PNG file", (written != 0 && error_number != 0) ? error_number : EIO);
    return -1;
  }
  return 0;
}

}  // namespace corvane

extern "C" {

int save_bitmap_png(const char *filename, bitmap *bmp, const rgb_entry *pal) noexcept {
  if (bmp == nullptr) {
    corvane::fail("Invalid argument", EINVAL);
    return -1;
  }
  return corvane::save_bitmap_region_png(filename, bmp, 0, 0, bmp->width, bmp->height, pal);
}

bitmap *load_bitmap_png(const char *filename, rgb_entry *pal) noexcept {
  using namespace corvane;
  file_handle file = open_file(filename, "rb");
  if (file == nullptr) {
    fail("Cannot open the PNG file", errno != 0 ? errno : ENOENT);
    return nullptr;
  }
  unsigned char signature[8];
  if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature ||
      png_sig_cmp(signature, 0, sizeof signature) != 0) {
    fail("Not a PNG file", EINVAL);
    return nullptr;
  }
  struct stat info;
  const int64_t file_size = fstat(fileno(file.get()), &info) == 0 ? info.st_size : 0;
  std::rewind(file.get());

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image_guard guard{&image};
  if (png_image_begin_read_from_stdio(&image, file.get()) == 0) {
    fail("Corrupt PNG file", EINVAL);
    return nullptr;
  }

  // The header is all that has been read: refuse sizes that no bitmap can hold, or that the file
  // is too small to contain, before allocating anything for them.
  const int64_t width = image.width;
  const int64_t height = image.height;
  if (width * height * 4 > max_decoded_bytes ||
      least_raw_bytes(width, height) > file_size * max_deflate_ratio) {
    fail("PNG image too large", EFBIG);
    return nullptr;
  }

  const int depth = get_color_depth();
  const bool keep_indices = (depth == 8) && (image.format & PNG_FORMAT_FLAG_COLORMAP) != 0;
  const bool has_alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  bitmap *bmp = create_bitmap_at_depth(depth, static_cast<int>(width), static_cast<int>(height));
  if (bmp == nullptr) {
    fail(find_vtable(depth) == nullptr ? "Unsupported color depth" : "Not enough memory",
         find_vtable(depth) == nullptr ? EINVAL : ENOMEM);
    return nullptr;
  }

  bool finished = false;
  if (keep_indices) {
    // Rows of a bitmap follow each other without gaps, so the indices land in place. A palette
    // with transparent entries is read with its alpha, so that no entry is blended into another
    // colour and every index keeps its own; the alpha itself has no place in a palette.
    const int entry_size = has_alpha ? 4 : 3;
    unsigned char colormap[PALETTE_SIZE * 4] = {};
    image.format = has_alpha ? PNG_FORMAT_RGBA_COLORMAP : PNG_FORMAT_RGB_COLORMAP;
    finished = png_image_finish_read(&image, nullptr, bmp->lines[0], static_cast<png_int_32>(width),
                                     colormap) != 0;
    if (finished && pal != nullptr) {
      for (int i = 0; i < PALETTE_SIZE; ++i) {
        const unsigned char *entry = colormap + i * entry_size;
        pal[i].r = static_cast<unsigned char>(entry[0] >> 2);
        pal[i].g = static_cast<unsigned char>(entry[1] >> 2);
        pal[i].b = static_cast<unsigned char>(entry[2] >> 2);
        pal[i].filler = 0;
      }
    }
  } else {
    byte_buffer rgba(
        static_cast<unsigned char *>(std::malloc(static_cast<size_t>(width * height * 4) + 1)));
    if (rgba == nullptr) {
      destroy_bitmap(bmp);
      fail("Not enough memory", ENOMEM);
      return nullptr;
    }
    image.format = PNG_FORMAT_RGBA;
    finished = png_image_finish_read(&image, nullptr, rgba.get(),
                                     static_cast<png_int_32>(width * 4), nullptr) != 0;
    if (finished) {
      pack_rgba(rgba.get(), bmp, depth == 32 && has_alpha);
      if (pal != nullptr) std::memcpy(pal, current_palette, sizeof(palette));
    }
  }
  if (!finished) {
    destroy_bitmap(bmp);
    fail("Corrupt PNG file", EINVAL);
    return nullptr;
  }
  return bmp;
}

}  // extern "C"
