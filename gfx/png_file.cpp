// PNG files: saving a bitmap (or a rectangle of one) of any depth through libpng's simplified
// interface, and loading a PNG file into a new bitmap of the current colour depth through its
// full interface. Loading takes the stored values as they are (16-bit channels scaled to 8 bits,
// no gamma or colour-space transform), checks what the header claims against the size limits and
// the file's size before anything is allocated, and decodes row by row straight into the bitmap,
// so that a file that fails half-way has cost little. libpng reports errors by longjmp: the frame
// that calls it holds nothing that needs destroying, and every resource lives in a record owned
// by the caller.
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/internal.h"
#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/config.h"
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

// Bitmaps and decoding buffers stop at 2 GiB.
constexpr int64_t max_decoded_bytes = int64_t{INT32_MAX};

// Ancillary chunks (text, colour profiles) libpng may hold in memory at once.
constexpr png_alloc_size_t max_chunk_bytes = png_alloc_size_t{8} << 20;

// The limits set by set_png_limits (0: the configuration's, or the default).
int64_t called_max_width = 0;
int64_t called_max_height = 0;
int64_t called_max_pixels = 0;

struct size_limits {
  int64_t width;
  int64_t height;
  int64_t pixels;
};

// A limit from the call, else from the configuration key, else the default.
int64_t limit_of(int64_t called, const char *key, int64_t fallback) noexcept {
  if (called > 0) return called;
  char section[16];
  char name[32];
  const int configured =
      config_get_int(literal("png", section, sizeof section), literal(key, name, sizeof name), 0);
  return configured > 0 ? configured : fallback;
}

size_limits current_limits() noexcept {
  return {limit_of(called_max_width, "max_width", PNG_DEFAULT_MAX_WIDTH),
          limit_of(called_max_height, "max_height", PNG_DEFAULT_MAX_HEIGHT),
          limit_of(called_max_pixels, "max_pixels", PNG_DEFAULT_MAX_PIXELS)};
}

struct file_closer {
  void operator()(std::FILE *file) const noexcept { std::fclose(file); }
};
using file_handle = std::unique_ptr<std::FILE, file_closer>;

struct free_deleter {
  void operator()(void *block) const noexcept { std::free(block); }
};
using byte_buffer = std::unique_ptr<unsigned char, free_deleter>;

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
  if (mode[0] != 'r') return file_handle(std::fopen(path, mode));
  // Read only regular files, and never wait in open() (a FIFO would block for ever).
  const int fd = open_file_without_blocking(path, O_RDONLY);
  if (fd < 0) return nullptr;
  std::FILE *file = fdopen(fd, mode);
  if (file == nullptr) close(fd);
  return file_handle(file);
}

void remove_file(const char *filename) noexcept {
  char path[1024];
  if (convert_file_name(filename, get_file_name_encoding(), path, static_cast<int>(sizeof path))) {
    unlink(path);
  }
}

// One row of count pixels starting at column x as 8-bit RGB triples (RGBA quads with alpha, the
// byte at the 32-bit alpha shift); black for a depth without pixel traits.
void unpack_rgb_row(bitmap *bmp, int x, int row, int count, unsigned char *rgb,
                    bool alpha) noexcept {
  const unsigned char *line = bmp->read_line(bmp, row);
  const int step = alpha ? 4 : 3;
  const bool known = depth::with_pixel_traits(bitmap_color_depth(bmp), [&](auto pixel) {
    using Pixel = decltype(pixel);
    const auto layout = Pixel::current_layout();
    const unsigned char *source = line + static_cast<size_t>(x) * Pixel::bytes;
    unsigned char *out = rgb;
    for (int i = 0; i < count; ++i, source += Pixel::bytes, out += step) {
      const uint32_t value = Pixel::load(source);
      const depth::rgb8 c = layout.unpack(value);
      out[0] = static_cast<unsigned char>(c.r);
      out[1] = static_cast<unsigned char>(c.g);
      out[2] = static_cast<unsigned char>(c.b);
      if (alpha) out[3] = static_cast<unsigned char>(value >> alpha_shift_32);
    }
    return true;
  });
  if (!known) std::memset(rgb, 0, static_cast<size_t>(count) * static_cast<size_t>(step));
}

// Whether any pixel of the rectangle has a nonzero alpha byte (32-bit bitmaps only).
bool has_alpha_bytes(bitmap *bmp, int x, int y, int width, int height) noexcept {
  if (bitmap_color_depth(bmp) != 32) return false;
  for (int row = 0; row < height; ++row) {
    const unsigned char *line = bmp->read_line(bmp, y + row) + static_cast<size_t>(x) * 4;
    for (int i = 0; i < width; ++i) {
      uint32_t value;
      std::memcpy(&value, line + static_cast<size_t>(i) * 4, 4);
      if (((value >> alpha_shift_32) & 0xFFu) != 0) return true;
    }
  }
  return false;
}

// Turns one decoded RGBA row into a bitmap row of a true-colour depth; with keep_alpha the alpha
// byte lands at the 32-bit alpha shift.
void pack_rgba_row(const unsigned char *rgba, bitmap *bmp, int row, bool keep_alpha) noexcept {
  depth::with_pixel_traits(bitmap_color_depth(bmp), [&](auto pixel) {
    using Pixel = decltype(pixel);
    const auto layout = Pixel::current_layout();
    const unsigned char *p = rgba;
    unsigned char *dest = bmp->lines[row];
    for (int x = 0; x < bmp->width; ++x, p += 4, dest += Pixel::bytes) {
      uint32_t value = layout.pack(int{p[0]}, int{p[1]}, int{p[2]});
      if (keep_alpha) value |= depth::place(uint32_t{p[3]}, alpha_shift_32);
      Pixel::store(dest, value);
    }
  });
}

// Palette indices for 8-bit colours, as make_color8 gives them. Without an rgb_index_table that
// is a search of the palette, so each distinct 6-bit colour is searched for once per image.
class palette_matcher {
 public:
  bool start() noexcept {
    if (rgb_index_table != nullptr) return true;
    try {
      found_.assign(std::size_t{1} << 18, -1);
    } catch (...) {
      return false;
    }
    return true;
  }

  unsigned char index(int r, int g, int b) noexcept {
    if (rgb_index_table != nullptr) return static_cast<unsigned char>(make_color8(r, g, b));
    int16_t &known =
        found_[static_cast<std::size_t>(((r >> 2) << 12) | ((g >> 2) << 6) | (b >> 2))];
    if (known < 0) {
      known = static_cast<int16_t>(nearest_palette_index(current_palette, r >> 2, g >> 2, b >> 2));
    }
    return static_cast<unsigned char>(known);
  }

 private:
  std::vector<int16_t> found_;
};

// The smallest number of bytes the rows of an image of this size take before compression: one
// filter byte a row and at least one bit a pixel.
int64_t least_raw_bytes(int64_t width, int64_t height) noexcept {
  return height * (1 + (width + 7) / 8);
}

// Everything a load holds, kept outside the frame that libpng may jump out of.
struct png_load {
  std::FILE *file = nullptr;
  int64_t file_size = 0;
  png_structp png = nullptr;
  png_infop info = nullptr;
  bitmap *bmp = nullptr;
  unsigned char *rows = nullptr;  // one row, or the whole image when it is interlaced
  rgb_entry *pal = nullptr;
  palette_matcher matcher;
  const char *failure = "Corrupt PNG file";
  int error_number = EINVAL;

  png_load() = default;
  png_load(const png_load &) = delete;
  png_load &operator=(const png_load &) = delete;
  ~png_load() {
    if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    std::free(rows);
    if (bmp != nullptr) destroy_bitmap(bmp);
    if (file != nullptr) std::fclose(file);
  }

  void refuse(const char *message, int number) noexcept {
    failure = message;
    error_number = number;
  }
};

[[noreturn]] void png_error_jump(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void png_warning_ignored(png_structp, png_const_charp) {}

// Stores one decoded row (RGBA, or palette indices when they are kept) into the bitmap.
void store_row(png_load &load, const unsigned char *row, int y, bool keep_indices,
               bool keep_alpha) noexcept {
  bitmap *bmp = load.bmp;
  if (keep_indices) {
    std::memcpy(bmp->lines[y], row, static_cast<std::size_t>(bmp->width));
  } else if (bitmap_color_depth(bmp) == 8) {
    unsigned char *dest = bmp->lines[y];
    for (int x = 0; x < bmp->width; ++x, row += 4)
      dest[x] = load.matcher.index(row[0], row[1], row[2]);
  } else {
    pack_rgba_row(row, bmp, y, keep_alpha);
  }
}

// Reads the file into load.bmp. libpng may jump back into this frame, which therefore holds
// only plain values; false with load's failure set when the file is refused or broken.
bool decode_png(png_load &load) noexcept {
  if (setjmp(png_jmpbuf(load.png)) != 0) return false;
  png_init_io(load.png, load.file);
  png_set_chunk_malloc_max(load.png, max_chunk_bytes);
  png_read_info(load.png, load.info);

  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bit_depth = 0;
  int color_type = 0;
  int interlace = 0;
  png_get_IHDR(load.png, load.info, &width, &height, &bit_depth, &color_type, &interlace, nullptr,
               nullptr);

  // The claim is checked before anything is allocated for it: against the limits, against what
  // a bitmap can hold, and against what a file of this size can decompress to.
  const size_limits limits = current_limits();
  const int64_t w = width;
  const int64_t h = height;
  const auto stored_row = static_cast<int64_t>(png_get_rowbytes(load.png, load.info));
  if (w > limits.width || h > limits.height || w * h > limits.pixels ||
      w * h * 4 > max_decoded_bytes || least_raw_bytes(w, h) > load.file_size * max_deflate_ratio ||
      h * (1 + stored_row) > load.file_size * max_deflate_ratio) {
    load.refuse("PNG image too large", EFBIG);
    return false;
  }

  const int depth = get_color_depth();
  const bool keep_indices = depth == 8 && color_type == PNG_COLOR_TYPE_PALETTE;
  const bool has_alpha =
      (color_type & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(load.png, load.info, PNG_INFO_tRNS);
  if (keep_indices) {
    if (bit_depth < 8) png_set_packing(load.png);
  } else {
    // The stored values: 16-bit channels scaled to 8 bits with rounding, palettes, low-depth grey
    // and tRNS expanded, grey copied to all three channels, four bytes a pixel. No gamma: gAMA,
    // cHRM, sRGB and iCCP chunks are not applied.
    if (bit_depth == 16) png_set_scale_16(load.png);
    png_set_expand(load.png);
    if ((color_type & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(load.png);
    if (!has_alpha) png_set_filler(load.png, 0xFF, PNG_FILLER_AFTER);
  }
  const int passes = png_set_interlace_handling(load.png);
  png_read_update_info(load.png, load.info);
  const auto row_bytes = static_cast<std::size_t>(png_get_rowbytes(load.png, load.info));
  if (row_bytes != static_cast<std::size_t>(w) * (keep_indices ? 1u : 4u)) return false;

  load.bmp = create_bitmap_at_depth(depth, static_cast<int>(w), static_cast<int>(h));
  if (load.bmp == nullptr) {
    if (find_vtable(depth) == nullptr) {
      load.refuse("Unsupported color depth", EINVAL);
    } else {
      load.refuse("Not enough memory", ENOMEM);
    }
    return false;
  }
  if (!keep_indices && depth == 8 && !load.matcher.start()) {
    load.refuse("Not enough memory", ENOMEM);
    return false;
  }
  // An interlaced image comes in passes over the whole picture, so it needs all its rows at
  // once; any other is decoded one row at a time.
  const std::size_t buffer_rows = passes > 1 ? static_cast<std::size_t>(h) : 1;
  load.rows = static_cast<unsigned char *>(std::malloc(row_bytes * buffer_rows));
  if (load.rows == nullptr) {
    load.refuse("Not enough memory", ENOMEM);
    return false;
  }
  const bool keep_alpha = depth == 32 && has_alpha;
  // The row buffer belongs to load, whose destructor frees it on every way out, including a
  // libpng error that jumps back to the setjmp above; the analyzer cannot follow that.
  // NOLINTBEGIN(clang-analyzer-unix.Malloc)
  if (passes > 1) {
    std::memset(load.rows, 0, row_bytes * buffer_rows);
    for (int pass = 0; pass < passes; ++pass) {
      for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(load.png, load.rows + row_bytes * y, nullptr);
      }
    }
    for (png_uint_32 y = 0; y < height; ++y) {
      store_row(load, load.rows + row_bytes * y, static_cast<int>(y), keep_indices, keep_alpha);
    }
  } else {
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(load.png, load.rows, nullptr);
      store_row(load, load.rows, static_cast<int>(y), keep_indices, keep_alpha);
    }
  }
  // NOLINTEND(clang-analyzer-unix.Malloc)
  // What follows the image data (text chunks, the end chunk) is not needed: a file cut after
  // its last row still gives its picture.

  if (load.pal != nullptr) {
    if (keep_indices) {
      png_colorp entries = nullptr;
      int count = 0;
      png_get_PLTE(load.png, load.info, &entries, &count);
      for (int i = 0; i < PALETTE_SIZE; ++i) {
        const png_color c = i < count ? entries[i] : png_color{0, 0, 0};
        load.pal[i] = {static_cast<unsigned char>(c.red >> 2),
                       static_cast<unsigned char>(c.green >> 2),
                       static_cast<unsigned char>(c.blue >> 2), 0};
      }
    } else {
      std::memcpy(load.pal, current_palette, sizeof(palette));
    }
  }
  return true;
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
  // 32-bit pixels with alpha keep it (RGBA); without any, the file is RGB and loads back with
  // alpha 0, as it was.
  const bool alpha = has_alpha_bytes(bmp, x, y, width, height);
  const int64_t row_bytes = int64_t{width} * (paletted ? 1 : alpha ? 4 : 3);
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
      unpack_rgb_row(bmp, x, y + row, width, dest, alpha);
    }
  }
  if (bmp->vtable->release_line != nullptr) bmp->vtable->release_line(bmp);

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = paletted ? PNG_FORMAT_RGB_COLORMAP : alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
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
  png_load load;
  load.file = open_file(filename, "rb").release();
  if (load.file == nullptr) {
    fail("Cannot open the PNG file", errno != 0 ? errno : ENOENT);
    return nullptr;
  }
  unsigned char signature[8];
  if (std::fread(signature, 1, sizeof signature, load.file) != sizeof signature ||
      png_sig_cmp(signature, 0, sizeof signature) != 0) {
    fail("Not a PNG file", EINVAL);
    return nullptr;
  }
  struct stat info;
  load.file_size = fstat(fileno(load.file), &info) == 0 ? info.st_size : 0;
  std::rewind(load.file);

  load.pal = pal;
  load.png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_error_jump, png_warning_ignored);
  if (load.png != nullptr) load.info = png_create_info_struct(load.png);
  if (load.png == nullptr || load.info == nullptr) {
    fail("Not enough memory", ENOMEM);
    return nullptr;
  }
  if (!decode_png(load)) {
    fail(load.failure, load.error_number);
    return nullptr;
  }
  bitmap *bmp = load.bmp;
  load.bmp = nullptr;
  return bmp;
}

void set_png_limits(int max_width, int max_height, long long max_pixels) noexcept {
  corvane::called_max_width = std::max(max_width, 0);
  corvane::called_max_height = std::max(max_height, 0);
  corvane::called_max_pixels = std::max<long long>(max_pixels, 0);
}

}  // extern "C"
