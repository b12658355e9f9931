// Conversion into 8 bits with error diffusion: the difference between the wanted colour and the
// chosen palette entry is carried to the right and into the next row.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

#include "corvane/color.h"
#include "corvane/draw.h"
#include "gfx/color_internal.h"
#include "gfx/depth/blit_convert.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane::depth {

void error_diffusion_blit(bitmap *source, bitmap *dest, int source_x, int source_y, int dest_x,
                          int dest_y, int width, int height) noexcept {
  if (width <= 0 || height <= 0) return;
  int (*get)(bitmap *, int, int) = source->vtable->get_pixel;
  void (*put)(bitmap *, int, int, int) = dest->vtable->put_pixel;
  if (get == nullptr || put == nullptr) return;

  // Current-row and next-row errors of red, green and blue.
  const size_t w = static_cast<size_t>(width);
  std::unique_ptr<int32_t[]> errors(new (std::nothrow) int32_t[6 * w]());
  if (errors == nullptr) return;
  int32_t *current[3] = {errors.get(), errors.get() + w, errors.get() + 2 * w};
  int32_t *next[3] = {errors.get() + 3 * w, errors.get() + 4 * w, errors.get() + 5 * w};

  const int source_depth = source->vtable->color_depth;
  const int source_mask = static_cast<int>(mask_color_of_depth(source_depth));
  const bool keep_trans = (conversion_flags & CONV_KEEP_TRANS) != 0;
  const int replacement = keep_trans ? static_cast<int>(blit_replacement_color(8)) : 0;

  const int saved_mode = draw_mode;
  draw_mode = MODE_SOLID;
  // The carries are not reset per row: a row's last error flows into the next row's first pixel.
  int32_t carry[3] = {0, 0, 0};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t at = static_cast<size_t>(x);
      const int c = get(source, source_x + x, source_y + y);
      const int component[3] = {get_red_depth(source_depth, c), get_green_depth(source_depth, c),
                                get_blue_depth(source_depth, c)};
      int wanted[3];
      for (int k = 0; k < 3; ++k) {
        wanted[k] = std::clamp(component[k] + current[k][at] + carry[k], 0, 255);
      }
      const int index = make_color8(wanted[0], wanted[1], wanted[2]);
      int written = index;
      if (keep_trans) {
        if (c == source_mask) {
          written = MASK_COLOR_8;
        } else if (index == MASK_COLOR_8) {
          written = replacement;
        }
      }
      put(dest, dest_x + x, dest_y + y, written);

      const rgb8 chosen = pixel8::layout::unpack(static_cast<uint32_t>(index));
      const int chosen_component[3] = {chosen.r, chosen.g, chosen.b};
      for (int k = 0; k < 3; ++k) {
        const int32_t error = wanted[k] - chosen_component[k];
        const int32_t share = error * 3 / 8;
        next[k][at] += share;
        carry[k] = share;
        if (x + 1 < width) next[k][at + 1] = error / 4;
      }
    }
    for (int k = 0; k < 3; ++k) {
      std::swap(current[k], next[k]);
      std::fill(next[k], next[k] + w, 0);
    }
  }
  draw_mode = saved_mode;
}

}  // namespace corvane::depth
