// The 16-bit drawing table. Slots not filled here belong to the glyph, rotation and 3D routines
// and stay null until those are added; callers skip null slots.
// The copy blits, the masked blit and the clear are shared with the 15-bit table: they do not
// depend on the bit layout of a pixel.
#include "gfx/depth/glyph_routines.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/sprite_routines.h"
#include "gfx/depth/vtables.h"
#include "gfx/primitives.h"

namespace corvane::depth {

draw_vtable vtable_16 = {
    .color_depth = 16,
    .mask_color = MASK_COLOR_16,
    .release_line = release_line_noop,
    .get_pixel = get_pixel<pixel16>,
    .put_pixel = put_pixel<pixel16>,
    .draw_vline = draw_vline<pixel16>,
    .draw_hline = draw_hline<pixel16>,
    .fill_hline = draw_hline<pixel16>,
    .draw_line = generic_draw_line,
    .draw_fast_line = generic_draw_fast_line,
    .fill_rect = generic_fill_rect,
    .draw_triangle = generic_draw_triangle,
    .draw_sprite = draw_sprite<pixel_word16>,
    .draw_sprite_8bit = draw_sprite_8bit<pixel_word16>,
    .draw_sprite_vflip = draw_sprite_vflip<pixel_word16>,
    .draw_sprite_hflip = draw_sprite_hflip<pixel_word16>,
    .draw_sprite_vhflip = draw_sprite_vhflip<pixel_word16>,
    .draw_sprite_trans = draw_sprite_trans<pixel16>,
    .draw_sprite_alpha = draw_sprite_alpha<pixel16>,
    .draw_sprite_lit = draw_sprite_lit<pixel16>,
    .draw_rle = draw_rle<pixel_word16>,
    .draw_rle_trans = draw_rle_trans<pixel16>,
    .draw_rle_alpha = draw_rle_alpha<pixel16>,
    .draw_rle_lit = draw_rle_lit<pixel16>,
    .draw_glyph_mono = draw_glyph_mono<pixel16>,
    .draw_glyph = draw_glyph<pixel16>,
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
    .draw_sprite_gouraud = draw_sprite_gouraud<pixel16>,
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
