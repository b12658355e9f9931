// The 8-bit drawing table. Slots not filled here belong to the rotation and 3D routines and
// stay null until those are added; callers skip null slots.
#include "gfx/depth/glyph_routines.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/sprite_routines.h"
#include "gfx/depth/vtables.h"
#include "gfx/primitives.h"

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
    .draw_line = generic_draw_line,
    .draw_fast_line = generic_draw_fast_line,
    .fill_rect = generic_fill_rect,
    .draw_triangle = generic_draw_triangle,
    .draw_sprite = draw_sprite<pixel8>,
    .draw_sprite_8bit = draw_sprite<pixel8>,
    .draw_sprite_vflip = draw_sprite_vflip<pixel8>,
    .draw_sprite_hflip = draw_sprite_hflip<pixel8>,
    .draw_sprite_vhflip = draw_sprite_vhflip<pixel8>,
    .draw_sprite_trans = draw_sprite_trans<pixel8>,
    .draw_sprite_lit = draw_sprite_lit<pixel8>,
    .draw_rle = draw_rle<pixel8>,
    .draw_rle_trans = draw_rle_trans<pixel8>,
    .draw_rle_lit = draw_rle_lit<pixel8>,
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
    .draw_sprite_gouraud = draw_sprite_gouraud<pixel8>,
    .end_marker = end_marker_noop,
    .end_marker_2 = end_marker_noop,
    .draw_polygon = generic_draw_polygon,
    .draw_rect = generic_draw_rect,
    .draw_circle = generic_draw_circle,
    .fill_circle = generic_fill_circle,
    .draw_ellipse = generic_draw_ellipse,
    .fill_ellipse = generic_fill_ellipse,
    .draw_arc = generic_draw_arc,
    .draw_spline = generic_draw_spline,
    .flood_fill = generic_flood_fill,
};

}  // namespace corvane::depth
