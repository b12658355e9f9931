// The drawing table of each depth, built from the depth's pixel traits by one template, and the
// table that maps a colour depth to its drawing table.
//
// The per-depth routines come from gfx/depth/ (compiled there once per depth); the primitives that
// every depth shares come from gfx/primitives.h. Routines whose work does not depend on the bit
// layout of a pixel are taken for the traits' storage type, so the 15- and 16-bit tables hold the
// same copy blits, masked blit, clear, plain sprites and glyph routines.
#include "corvane/bitmap.h"
#include "gfx/depth/blit_convert.h"
#include "gfx/depth/glyph_routines.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/pixel_traits.h"
#include "gfx/depth/rle_sprite_routines.h"
#include "gfx/depth/sprite_routines.h"
#include "gfx/primitives.h"
#include "gfx/render3d_internal.h"
#include "gfx/rotate_internal.h"

namespace corvane {
namespace {

// Slots 3 to 7 and 42 stay null in every table. The rotated sprite (slot 41) and the 3D polygons
// (slots 55 to 60) are one routine each for every depth: they choose the depth's span drawer or
// scan-line filler themselves.
template <class Pixel>
constexpr draw_vtable make_depth_vtable() noexcept {
  using storage = typename Pixel::storage;
  draw_vtable table = {
      .color_depth = Pixel::depth,
      .mask_color = static_cast<int>(Pixel::mask),
      .release_line = depth::release_line_noop,
      .get_pixel = depth::get_pixel<Pixel>,
      .put_pixel = depth::put_pixel<Pixel>,
      .draw_vline = depth::draw_vline<Pixel>,
      .draw_hline = depth::draw_hline<Pixel>,
      .fill_hline = depth::draw_hline<Pixel>,
      .draw_line = generic_draw_line,
      .draw_fast_line = generic_draw_fast_line,
      .fill_rect = generic_fill_rect,
      .draw_triangle = generic_draw_triangle,
      .draw_sprite = depth::draw_sprite<storage>,
      .draw_sprite_vflip = depth::draw_sprite_vflip<storage>,
      .draw_sprite_hflip = depth::draw_sprite_hflip<storage>,
      .draw_sprite_vhflip = depth::draw_sprite_vhflip<storage>,
      .draw_sprite_trans = depth::draw_sprite_trans<Pixel>,
      .draw_sprite_lit = depth::draw_sprite_lit<Pixel>,
      .draw_rle = depth::draw_rle<storage>,
      .draw_rle_trans = depth::draw_rle_trans<Pixel>,
      .draw_rle_lit = depth::draw_rle_lit<Pixel>,
      .draw_glyph_mono = depth::draw_glyph_mono<storage>,
      .draw_glyph = depth::draw_glyph<storage>,
      .blit_from_memory = depth::blit_copy<storage>,
      .blit_to_memory = depth::blit_copy<storage>,
      .blit_from_system = depth::blit_copy<storage>,
      .blit_to_system = depth::blit_copy<storage>,
      .blit_to_self = depth::blit_copy<storage>,
      .blit_to_self_forward = depth::blit_copy<storage>,
      .blit_copy_backward = depth::blit_copy_backward<storage>,
      .blit_convert = depth::blit_convert,
      .blit_masked = depth::blit_masked<storage>,
      .clear_to_color = depth::clear_to_color<storage>,
      .draw_sprite_rotated = generic_draw_sprite_rotated,
      .draw_sprite_gouraud = depth::draw_sprite_gouraud<Pixel>,
      .end_marker = depth::end_marker_noop,
      .end_marker_2 = depth::end_marker_noop,
      .draw_polygon = generic_draw_polygon,
      .draw_rect = generic_draw_rect,
      .draw_circle = generic_draw_circle,
      .fill_circle = generic_fill_circle,
      .draw_ellipse = generic_draw_ellipse,
      .fill_ellipse = generic_fill_ellipse,
      .draw_arc = generic_draw_arc,
      .draw_spline = generic_draw_spline,
      .flood_fill = generic_flood_fill,
      .draw_polygon_3d = generic_draw_polygon_3d,
      .draw_polygon_3d_f = generic_draw_polygon_3d_f,
      .draw_triangle_3d = generic_draw_triangle_3d,
      .draw_triangle_3d_f = generic_draw_triangle_3d_f,
      .draw_quad_3d = generic_draw_quad_3d,
      .draw_quad_3d_f = generic_draw_quad_3d_f,
  };
  if constexpr (Pixel::depth == 8) {
    // An 8-bit sprite on an 8-bit bitmap is a plain sprite; 8 bits have no alpha sprites.
    table.draw_sprite_8bit = depth::draw_sprite<storage>;
  } else {
    table.draw_sprite_8bit = depth::draw_sprite_8bit<storage>;
    table.draw_sprite_alpha = depth::draw_sprite_alpha<Pixel>;
    table.draw_rle_alpha = depth::draw_rle_alpha<Pixel>;
  }
  return table;
}

constinit draw_vtable vtable_8 = make_depth_vtable<depth::pixel8>();
constinit draw_vtable vtable_15 = make_depth_vtable<depth::pixel15>();
constinit draw_vtable vtable_16 = make_depth_vtable<depth::pixel16>();
constinit draw_vtable vtable_24 = make_depth_vtable<depth::pixel24>();
constinit draw_vtable vtable_32 = make_depth_vtable<depth::pixel32>();

}  // namespace
}  // namespace corvane

extern "C" {

const vtable_by_depth_entry vtable_by_depth[] = {
    {8, &corvane::vtable_8},   {15, &corvane::vtable_15}, {16, &corvane::vtable_16},
    {24, &corvane::vtable_24}, {32, &corvane::vtable_32}, {0, nullptr},
};

}  // extern "C"
