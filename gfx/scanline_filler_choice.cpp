// choose_scanline_filler: the flag word, the texture information and the filler (with its
// alternative) of a polygon type for a target.
#include <cstdint>

#include "gfx/depth/scanline_fillers.h"

namespace corvane::depth {

scanline_filler alternative_scanline_filler = nullptr;

const int scanline_flags_8[15] = {0x01, 0x02, 0x04, 0x08, 0x70, 0x08, 0x70, 0x0A,
                                  0x72, 0x0A, 0x72, 0x08, 0x70, 0x08, 0x70};
const int scanline_flags_other[15] = {0x01, 0x84, 0x04, 0x08, 0x70, 0x08, 0x70, 0x0A,
                                      0x72, 0x0A, 0x72, 0x08, 0x70, 0x08, 0x70};

scanline_filler choose_scanline_filler(int type, int *flags, poly_span *info,
                                       const bitmap *texture, const bitmap *target) noexcept {
  int t = type & ~16;
  if (t < 0) t = 0;
  if (t > 14) t = 14;
  const int depth = target->vtable->color_depth;
  int word = (depth == 8 ? scanline_flags_8 : scanline_flags_other)[t];

  if (texture != nullptr) {
    info->texture = texture->lines[0];
    info->umask = static_cast<uint32_t>(texture->width - 1);
    info->vmask = static_cast<uint32_t>(texture->height - 1);
    uint32_t k = 0;
    while (k < 31 && (int64_t{1} << k) < texture->width) ++k;
    info->vshift = k;
  } else {
    info->texture = nullptr;
    info->umask = 0;
    info->vmask = 0;
    info->vshift = 0;
  }
  info->segment = target->segment;

  const int row = scanline_row_of_depth(depth);
  const bool depth_buffer = (type & 16) != 0;
  if (depth_buffer) word |= 0x110;
  *flags = word;
  if (row < 0) {
    alternative_scanline_filler = nullptr;
    return nullptr;
  }
  const scanline_filler_entry &entry = scanline_filler_table[depth_buffer ? row : row + 5][t];
  alternative_scanline_filler = entry.alternative;
  return entry.filler;
}

}  // namespace corvane::depth
