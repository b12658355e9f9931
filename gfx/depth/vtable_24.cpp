// The 24-bit drawing table. Slots not filled here belong to the primitive, sprite, font, rotation
// and 3D routines and stay null until those are added; callers skip null slots.
#include "gfx/depth/glyph_routines.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/vtables.h"

namespace corvane::depth {

draw_vtable vtable_24 = {
    .color_depth = 24,
    .mask_color = MASK_COLOR_24,
    .release_line = release_line_noop,
    .get_pixel = get_pixel<pixel24>,
    .put_pixel = put_pixel<pixel24>,
    .draw_vline = draw_vline<pixel24>,
    .draw_hline = draw_hline<pixel24>,
    .fill_hline = draw_hline<pixel24>,
    .draw_glyph_mono = draw_glyph_mono<pixel24>,
    .draw_glyph = draw_glyph<pixel24>,
    .blit_from_memory = blit_copy<3>,
    .blit_to_memory = blit_copy<3>,
    .blit_from_system = blit_copy<3>,
    .blit_to_system = blit_copy<3>,
    .blit_to_self = blit_copy<3>,
    .blit_to_self_forward = blit_copy<3>,
    .blit_copy_backward = blit_copy_backward<3>,
    .blit_convert = blit_convert,
    .blit_masked = blit_masked<3>,
    .clear_to_color = clear_to_color<pixel24>,
    .end_marker = end_marker_noop,
    .end_marker_2 = end_marker_noop,
};

}  // namespace corvane::depth
