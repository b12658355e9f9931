// The pixel, line, clear and blit routines compiled for every depth.
#include "gfx/depth/pixel_routines.h"

#include "gfx/depth/avx2_clones.h"

namespace corvane::depth {

CORVANE_PIXEL_ROUTINES(template, pixel8)
CORVANE_PIXEL_ROUTINES(template, pixel15)
CORVANE_PIXEL_ROUTINES(template, pixel16)
CORVANE_PIXEL_ROUTINES(template, pixel24)
CORVANE_PIXEL_ROUTINES(template, pixel32)
CORVANE_STORAGE_ROUTINES(template, pixel_byte)
CORVANE_STORAGE_ROUTINES(template, pixel_word16)
CORVANE_STORAGE_ROUTINES(template, pixel_bytes24)
CORVANE_STORAGE_ROUTINES(template, pixel_word32)

template <>
CORVANE_AVX2_CLONES void draw_hline<pixel8>(bitmap *bmp, int x1, int y, int x2,
                                            int color) noexcept {
  draw_hline_solid_first<pixel8>(bmp, x1, y, x2, color);
}
template <>
CORVANE_AVX2_CLONES void draw_hline<pixel15>(bitmap *bmp, int x1, int y, int x2,
                                             int color) noexcept {
  draw_hline_solid_first<pixel15>(bmp, x1, y, x2, color);
}
template <>
CORVANE_AVX2_CLONES void draw_hline<pixel16>(bitmap *bmp, int x1, int y, int x2,
                                             int color) noexcept {
  draw_hline_solid_first<pixel16>(bmp, x1, y, x2, color);
}
// 24-bit rows are filled out of line (fill_span24 has its own copies): one copy here.
template <>
void draw_hline<pixel24>(bitmap *bmp, int x1, int y, int x2, int color) noexcept {
  draw_hline_solid_first<pixel24>(bmp, x1, y, x2, color);
}
template <>
CORVANE_AVX2_CLONES void draw_hline<pixel32>(bitmap *bmp, int x1, int y, int x2,
                                             int color) noexcept {
  draw_hline_solid_first<pixel32>(bmp, x1, y, x2, color);
}

}  // namespace corvane::depth
