// The 8-bit drawing table. Slots not filled here belong to the primitive, sprite, font, rotation
// and 3D routines and stay null until those are added; callers skip null slots.
#include "gfx/depth/glyph_routines.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/vtables.h"

namespace corvane::depth {

draw_vtable vtable_8 = {
    .color_depth = 8,
    .mask_color = MASK_COLOR_8,
    .release_line = release_line_noop,
    .get_pixel = get_pixel<pixel8>,
    .put_pixel = put_pixel<pixel8>,
    .draw_vline = draw_vline<pixel8>,
    .draw_hline = draw_hline<pixel8>,
    .fill_hline = draw_hline<pixel8>,
    .draw_glyph_mono = draw_glyph_mono<pixel8>,
    .draw_glyph = draw_glyph<pixel8>,
    .blit_from_memory = blit_copy<1>,
    .blit_to_memory = blit_copy<1>,
    .blit_from_system = blit_copy<1>,
    .blit_to_system = blit_copy<1>,
    .blit_to_self = blit_copy<1>,
    .blit_to_self_forward = blit_copy<1>,
    .blit_copy_backward = blit_copy_backward<1>,
    .blit_convert = blit_convert,
    .blit_masked = blit_masked<1>,
    .clear_to_color = clear_to_color<pixel8>,
    .end_marker = end_marker_noop,
    .end_marker_2 = end_marker_noop,
};

}  // namespace corvane::depth
