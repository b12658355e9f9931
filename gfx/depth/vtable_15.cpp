// The 15-bit drawing table. Slots not filled here belong to the primitive, sprite, font, rotation
// and 3D routines and stay null until those are added; callers skip null slots.
// The copy blits, the masked blit and the clear are shared with the 16-bit table: they do not
// depend on the bit layout of a pixel.
#include "gfx/depth/glyph_routines.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/vtables.h"

namespace corvane::depth {

draw_vtable vtable_15 = {
    .color_depth = 15,
    .mask_color = MASK_COLOR_15,
    .release_line = release_line_noop,
    .get_pixel = get_pixel<pixel15>,
    .put_pixel = put_pixel<pixel15>,
    .draw_vline = draw_vline<pixel15>,
    .draw_hline = draw_hline<pixel15>,
    .fill_hline = draw_hline<pixel15>,
    .draw_glyph_mono = draw_glyph_mono<pixel15>,
    .draw_glyph = draw_glyph<pixel15>,
    .blit_from_memory = blit_copy<2>,
    .blit_to_memory = blit_copy<2>,
    .blit_from_system = blit_copy<2>,
    .blit_to_system = blit_copy<2>,
    .blit_to_self = blit_copy<2>,
    .blit_to_self_forward = blit_copy<2>,
    .blit_copy_backward = blit_copy_backward<2>,
    .blit_convert = blit_convert,
    .blit_masked = blit_masked<2>,
    .clear_to_color = clear_to_color<pixel_word16>,
    .end_marker = end_marker_noop,
    .end_marker_2 = end_marker_noop,
};

}  // namespace corvane::depth
