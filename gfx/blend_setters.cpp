// Setting the blend mode: the two hook setters, the thirteen mode setters, the alpha mode that
// matches the component layouts of the current depths, and the alpha-writing mode.
#include <cstdint>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/gfx.h"
#include "gfx/blenders.h"
#include "gfx/depth/pixel_traits.h"

namespace corvane {
namespace {

// The blend colour packed for each depth, as make_color_depth packs it.
void store_blend_colors(int r, int g, int b) noexcept {
  blend_color15 = depth::pixel15::current_layout().pack(r, g, b);
  blend_color16 = depth::pixel16::current_layout().pack(r, g, b);
  blend_color24 = depth::pixel24::current_layout().pack(r, g, b);
  blend_color32 = depth::pixel32::current_layout().pack(r, g, b);
}

void tell_driver(int mode, int r, int g, int b, int a) noexcept {
  const gfx_driver *driver = current_gfx_driver;
  if (driver != nullptr && driver->blender_changed != nullptr) {
    driver->blender_changed(mode, r, g, b, a);
  }
}

void select_mode(int mode, int r, int g, int b, int a) noexcept {
  tell_driver(mode, r, g, b, a);
  const blend_mode_entry *entry = find_blend_mode(mode);
  if (entry != nullptr) set_blend_hooks(entry->b15, entry->b16, entry->b24, r, g, b, a);
}

// The order of a 32-bit layout with green at 8 and alpha at 24: +1 when the top component
// (bits 16-23) is red, -1 when it is blue, 0 for any other layout.
int order32() noexcept {
  if (green_shift_32 != 8 || alpha_shift_32 != 24) return 0;
  if (red_shift_32 == 16 && blue_shift_32 == 0) return 1;
  if (red_shift_32 == 0 && blue_shift_32 == 16) return -1;
  return 0;
}

// The order of a destination layout whose top field starts at bit top and whose green lies at
// green: +1 red on top, -1 blue on top, 0 for anything else.
int order_of(int red, int green, int blue, int top, int green_at) noexcept {
  if (green != green_at) return 0;
  if (red == top && blue == 0) return 1;
  if (red == 0 && blue == top) return -1;
  return 0;
}

blender_func choose(int source, int dest, blender_func same, blender_func swapped,
                    blender_func general) noexcept {
  if (source == 0 || dest == 0) return general;
  return source == dest ? same : swapped;
}

}  // namespace
}  // namespace corvane

extern "C" {

void set_blend_hooks(blender_func b15, blender_func b16, blender_func b24, int r, int g, int b,
                     int a) noexcept {
  set_blend_hooks_ex(b15, b16, b24, b24, blender_zero, blender_zero, blender_zero, r, g, b, a);
}

void set_blend_hooks_ex(blender_func b15, blender_func b16, blender_func b24, blender_func b32,
                        blender_func b15x, blender_func b16x, blender_func b24x, int r, int g,
                        int b, int a) noexcept {
  blend_hook15 = b15;
  blend_hook16 = b16;
  blend_hook24 = b24;
  blend_hook32 = b32;
  alpha_hook15 = b15x;
  alpha_hook16 = b16x;
  alpha_hook24 = b24x;
  corvane::store_blend_colors(r, g, b);
  blend_weight = a;
}

void select_mix_blend(int r, int g, int b, int a) noexcept { corvane::select_mode(1, r, g, b, a); }
void select_add_blend(int r, int g, int b, int a) noexcept { corvane::select_mode(2, r, g, b, a); }
void select_subtract_blend(int r, int g, int b, int a) noexcept {
  corvane::select_mode(3, r, g, b, a);
}
void select_hue_sat_blend(int r, int g, int b, int a) noexcept {
  corvane::select_mode(4, r, g, b, a);
}
void select_difference_blend(int r, int g, int b, int a) noexcept {
  corvane::select_mode(5, r, g, b, a);
}
void select_dissolve_blend(int r, int g, int b, int a) noexcept {
  corvane::select_mode(6, r, g, b, a);
}
void select_dodge_blend(int r, int g, int b, int a) noexcept {
  corvane::select_mode(7, r, g, b, a);
}
void select_hue_blend(int r, int g, int b, int a) noexcept { corvane::select_mode(8, r, g, b, a); }
void select_invert_blend(int r, int g, int b, int a) noexcept {
  corvane::select_mode(9, r, g, b, a);
}
void select_value_blend(int r, int g, int b, int a) noexcept {
  corvane::select_mode(10, r, g, b, a);
}
void select_multiply_blend(int r, int g, int b, int a) noexcept {
  corvane::select_mode(11, r, g, b, a);
}
void select_saturation_blend(int r, int g, int b, int a) noexcept {
  corvane::select_mode(12, r, g, b, a);
}
void select_screen_blend(int r, int g, int b, int a) noexcept {
  corvane::select_mode(13, r, g, b, a);
}

void select_alpha_blend() noexcept {
  using namespace corvane;
  tell_driver(14, 0, 0, 0, 0);
  const int source = order32();
  const blender_func hook15 =
      choose(source, order_of(red_shift_15, green_shift_15, blue_shift_15, 10, 5),
             blend_alpha15_same, blend_alpha15_swapped, blend_alpha15_general);
  const blender_func hook16 =
      choose(source, order_of(red_shift_16, green_shift_16, blue_shift_16, 11, 5),
             blend_alpha16_same, blend_alpha16_swapped, blend_alpha16_general);
  const blender_func hook24 =
      choose(source, order_of(red_shift_24, green_shift_24, blue_shift_24, 16, 8), blend_alpha32,
             blend_alpha24_swapped, blend_alpha24_general);
  set_blend_hooks_ex(blender_zero, blender_zero, blender_zero, blend_alpha32, hook15, hook16,
                     hook24, 0, 0, 0, 0);
}

void select_write_alpha_blend() noexcept {
  set_blend_hooks_ex(blender_zero, blender_zero, blender_zero, blend_write_alpha, blender_zero,
                     blender_zero, blender_zero, 0, 0, 0, 0);
}

}  // extern "C"
