// The pointer's pictures: the built-in arrow and busy images made at the current colour depth, and
// copies of a pointer image at the depth of the bitmap it is drawn on.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "corvane/bitmap.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "input/mouse_internal.h"

namespace corvane {
namespace {

// '.' transparent, 'o' white, 'x' black.
constexpr const char *arrow_rows[BUILTIN_POINTER_SIZE] = {
    "xx..............", "xox.............", "xoox............", "xooox...........",
    "xoooox..........", "xooooox.........", "xoooooox........", "xooooooox.......",
    "xoooooooox......", "xoooooxxx.......", "xooxoox.........", "xox.xoox........",
    ".x..xoox........", ".....xoox.......", ".....xoox.......", "......xx........",
};

constexpr const char *busy_rows[BUILTIN_POINTER_SIZE] = {
    ".......xx.......", ".....xxooxx.....", "....xoooooox....", "...xooo..ooox...",
    "..xoo......oox..", ".xoo.....oo.oox.", ".xoo....oo..oox.", "xoo....oo....oox",
    "xoo....oo....oox", ".xoo....oo..oox.", ".xoo.....oo.oox.", "..xoo......oox..",
    "...xooo..ooox...", "....xoooooox....", ".....xxooxx.....", ".......xx.......",
};

constexpr bool rows_are_square(const char *const (&rows)[BUILTIN_POINTER_SIZE]) {
  for (const char *row : rows) {
    if (std::string_view(row).size() != BUILTIN_POINTER_SIZE) return false;
  }
  return true;
}
static_assert(rows_are_square(arrow_rows) && rows_are_square(busy_rows));

// The images by cursor number (2 to 5), made at builtin_depth.
bitmap *builtin_images[MOUSE_CURSOR_COUNT] = {};
int builtin_depth = 0;

// Stores a pixel value in the memory layout of the bitmap's depth, whatever the drawing mode.
void store_pixel(bitmap *bmp, int x, int y, uint32_t value) noexcept {
  const int bytes = bytes_per_pixel_of_depth(bitmap_color_depth(bmp));
  unsigned char *p = bmp->lines[y] + static_cast<size_t>(x) * static_cast<size_t>(bytes);
  switch (bytes) {
    case 1:
      p[0] = static_cast<unsigned char>(value);
      break;
    case 2: {
      const auto v = static_cast<uint16_t>(value);
      std::memcpy(p, &v, sizeof v);
      break;
    }
    case 3:
      // 24-bit pixels keep their most significant byte first.
      p[0] = static_cast<unsigned char>(value >> 16);
      p[1] = static_cast<unsigned char>(value >> 8);
      p[2] = static_cast<unsigned char>(value);
      break;
    default:
      std::memcpy(p, &value, sizeof value);
      break;
  }
}

bitmap *make_image(const char *const *rows, int depth) noexcept {
  bitmap *image = create_bitmap_at_depth(depth, BUILTIN_POINTER_SIZE, BUILTIN_POINTER_SIZE);
  if (image == nullptr) return nullptr;
  const auto mask = static_cast<uint32_t>(image->vtable->mask_color);
  const auto white = static_cast<uint32_t>(make_color_depth(depth, 255, 255, 255));
  const auto black = static_cast<uint32_t>(make_color_depth(depth, 0, 0, 0));
  for (int y = 0; y < BUILTIN_POINTER_SIZE; ++y) {
    for (int x = 0; x < BUILTIN_POINTER_SIZE; ++x) {
      const char c = rows[y][x];
      store_pixel(image, x, y, c == 'o' ? white : c == 'x' ? black : mask);
    }
  }
  return image;
}

}  // namespace

const char *const *builtin_pointer_rows(int cursor) noexcept {
  return cursor == MOUSE_CURSOR_BUSY ? busy_rows : arrow_rows;
}

bool make_builtin_pointers() noexcept {
  const int depth = get_color_depth();
  if (builtin_images[MOUSE_CURSOR_ARROW] != nullptr && builtin_depth == depth) return true;
  free_builtin_pointers();
  bitmap *arrow = make_image(arrow_rows, depth);
  bitmap *busy = make_image(busy_rows, depth);
  if (arrow == nullptr || busy == nullptr) {
    destroy_bitmap(arrow);
    destroy_bitmap(busy);
    return false;
  }
  builtin_images[MOUSE_CURSOR_ARROW] = arrow;
  builtin_images[MOUSE_CURSOR_BUSY] = busy;
  builtin_images[MOUSE_CURSOR_QUESTION] = arrow;
  builtin_images[MOUSE_CURSOR_EDIT] = arrow;
  builtin_depth = depth;
  return true;
}

void free_builtin_pointers() noexcept {
  destroy_bitmap(builtin_images[MOUSE_CURSOR_ARROW]);
  destroy_bitmap(builtin_images[MOUSE_CURSOR_BUSY]);
  for (bitmap *&image : builtin_images) image = nullptr;
  builtin_depth = 0;
}

bitmap *builtin_pointer(int cursor) noexcept {
  if (cursor < MOUSE_CURSOR_ARROW || cursor >= MOUSE_CURSOR_COUNT) return nullptr;
  return builtin_images[cursor];
}

bitmap *convert_pointer_image(bitmap *sprite, int depth) noexcept {
  const int source_depth = bitmap_color_depth(sprite);
  bitmap *copy = create_bitmap_at_depth(depth, sprite->width, sprite->height);
  if (copy == nullptr) return nullptr;
  if (source_depth == depth) {
    set_clip_area(copy, 0, 0, 0, 0);
    blit(sprite, copy, 0, 0, 0, 0, sprite->width, sprite->height);
    return copy;
  }
  const auto target_mask = static_cast<uint32_t>(copy->vtable->mask_color);
  const int source_mask = sprite->vtable->mask_color;
  const uint32_t *expand = source_depth == 8 ? palette_table_for_depth(depth) : nullptr;
  for (int y = 0; y < sprite->height; ++y) {
    for (int x = 0; x < sprite->width; ++x) {
      const int c = sprite->vtable->get_pixel(sprite, x, y);
      uint32_t value;
      if (c == source_mask) {
        value = target_mask;
      } else if (expand != nullptr) {
        value = expand[c & 0xFF];
      } else {
        value = static_cast<uint32_t>(
            make_color_depth(depth, get_red_depth(source_depth, c),
                             get_green_depth(source_depth, c), get_blue_depth(source_depth, c)));
      }
      store_pixel(copy, x, y, value);
    }
  }
  return copy;
}

}  // namespace corvane
