// Packing 8-bit red, green and blue into the pixel value of each depth and back, the component
// shift variables, the colour depth and the conversion flags.
#include "corvane/color.h"
#include "gfx/color_internal.h"
#include "gfx/depth/pixel_traits.h"

namespace {

using corvane::depth::with_pixel_traits;

constexpr uint32_t u(int value) noexcept { return static_cast<uint32_t>(value); }

}  // namespace

extern "C" {

int current_color_depth = 8;
uint32_t conversion_flags = 0x00FFFFFFu;

int red_shift_15 = 0, green_shift_15 = 5, blue_shift_15 = 10;
int red_shift_16 = 0, green_shift_16 = 5, blue_shift_16 = 11;
int red_shift_24 = 0, green_shift_24 = 8, blue_shift_24 = 16;
int red_shift_32 = 0, green_shift_32 = 8, blue_shift_32 = 16, alpha_shift_32 = 24;

const int SCALE_5_TO_8[32] = {0,   8,   16,  24,  32,  41,  49,  57,  65,  74,  82,
                              90,  98,  106, 115, 123, 131, 139, 148, 156, 164, 172,
                              180, 189, 197, 205, 213, 222, 230, 238, 246, 255};

const int SCALE_6_TO_8[64] = {0,   4,   8,   12,  16,  20,  24,  28,  32,  36,  40,  44,  48,
                              52,  56,  60,  64,  68,  72,  76,  80,  85,  89,  93,  97,  101,
                              105, 109, 113, 117, 121, 125, 129, 133, 137, 141, 145, 149, 153,
                              157, 161, 165, 170, 174, 178, 182, 186, 190, 194, 198, 202, 206,
                              210, 214, 218, 222, 226, 230, 234, 238, 242, 246, 250, 255};

int make_color8(int r, int g, int b) noexcept {
  if (rgb_index_table != nullptr) {
    // Out-of-range components wrap within the table rather than read outside it.
    const uint32_t index = (u(r >> 3) << 10) + (u(g >> 3) << 5) + u(b >> 3);
    return rgb_index_table[index & 0x7FFFu];
  }
  return nearest_palette_index(current_palette, r >> 2, g >> 2, b >> 2);
}

// Packing and unpacking are the depth's traits at the shifts in force; an unknown depth gives 0.
int make_color_depth(int depth, int r, int g, int b) noexcept {
  return with_pixel_traits(depth, [r, g, b](auto pixel) {
    return static_cast<int>(decltype(pixel)::current_layout().pack(r, g, b));
  });
}

int make_color(int r, int g, int b) noexcept {
  return make_color_depth(current_color_depth, r, g, b);
}

int get_red_depth(int depth, int c) noexcept {
  return with_pixel_traits(depth,
                           [c](auto pixel) { return decltype(pixel)::current_layout().red(u(c)); });
}

int get_green_depth(int depth, int c) noexcept {
  return with_pixel_traits(
      depth, [c](auto pixel) { return decltype(pixel)::current_layout().green(u(c)); });
}

int get_blue_depth(int depth, int c) noexcept {
  return with_pixel_traits(
      depth, [c](auto pixel) { return decltype(pixel)::current_layout().blue(u(c)); });
}

int get_red(int c) noexcept { return get_red_depth(current_color_depth, c); }
int get_green(int c) noexcept { return get_green_depth(current_color_depth, c); }
int get_blue(int c) noexcept { return get_blue_depth(current_color_depth, c); }

void set_color_depth(int depth) noexcept {
  current_color_depth = depth;
  const int slot = corvane::palette_table_slot(depth);
  if (slot >= 0) palette_color = palette_color_tables[slot];
}

int get_color_depth(void) noexcept { return current_color_depth; }

void set_color_conversion(uint32_t flags) noexcept { conversion_flags = flags; }

uint32_t get_color_conversion(void) noexcept { return conversion_flags; }

}  // extern "C"

namespace corvane {

uint32_t blit_replacement_color(int depth) noexcept {
  if (depth == 8) {
    if (rgb_index_table != nullptr) return rgb_index_table[31807];
    return static_cast<uint32_t>(nearest_palette_index(current_palette, 63, 1, 63));
  }
  const uint32_t mask = depth::mask_color_of_depth(depth);
  // Green steps of one may vanish in the packing (5 or 6 bits); the loop ends at the first value
  // that does not, and gives up at g = 255 for an unknown depth.
  for (int g = 1; g < 256; ++g) {
    const uint32_t value = static_cast<uint32_t>(make_color_depth(depth, 255, g, 255));
    if (value != mask) return value;
  }
  return mask;
}

}  // namespace corvane
