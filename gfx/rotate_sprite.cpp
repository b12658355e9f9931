// Rotated sprites: the slot routine of every drawing table (slot 41) and the public calls that
// turn a sprite about its centre or a pivot, scaled and flipped, in fixed and floating point.
#include <cmath>
#include <cstdint>

#include "corvane/fixed.h"
#include "corvane/rotate.h"
#include "gfx/primitives.h"
#include "gfx/rotate_internal.h"

namespace corvane {

void generic_draw_sprite_rotated(bitmap *bmp, bitmap *sprite, fixed x, fixed y, fixed cx, fixed cy,
                                 fixed angle, fixed scale, int v_flip) noexcept {
  if (!rotatable_sprite(sprite)) return;
  fixed xs[4];
  fixed ys[4];
  rotation_corners(sprite->width << 16, sprite->height << 16, x, y, cx, cy, angle, scale, scale, 0,
                   v_flip, xs, ys);
  draw_rotated_quad(bmp, sprite, xs, ys);
}

namespace {

// A whole-pixel position as 16.16; false when it does not fit.
bool pixels_to_fixed(int64_t value, fixed &out) noexcept {
  if (value < -32767 || value > 32767) return false;
  out = static_cast<fixed>(value * 65536);
  return true;
}

// A floating-point position as 16.16; false when it is not finite or does not fit.
bool float_to_position(double value, fixed &out) noexcept {
  if (!std::isfinite(value)) return false;
  const double scaled = std::round(value * 65536.0);
  if (scaled < -2147483647.0 || scaled > 2147483647.0) return false;
  out = static_cast<fixed>(scaled);
  return true;
}

// Degrees (clockwise) as a binary angle; false when not finite. Whole turns are dropped first, so
// that any finite angle converts.
bool degrees_to_angle(double degrees, fixed &out) noexcept {
  if (!std::isfinite(degrees)) return false;
  out = static_cast<fixed>(std::llround(std::fmod(degrees, 360.0) * (16777216.0 / 360.0)));
  return true;
}

// A floating-point scale as 16.16, cut to the largest 16.16 values; false when not finite.
bool float_to_scale(double scale, fixed &out) noexcept {
  if (!std::isfinite(scale)) return false;
  const double scaled = std::round(scale * 65536.0);
  out = scaled > 2147483647.0    ? 0x7FFFFFFF
        : scaled < -2147483647.0 ? -0x7FFFFFFF
                                 : static_cast<fixed>(scaled);
  return true;
}

// Every public call ends here: the point (cx, cy) of the sprite lands on (x, y), all 16.16. A
// horizontal flip is not a slot argument: it goes to rotation_corners and draw_rotated_quad.
void draw_turned(bitmap *bmp, bitmap *sprite, fixed x, fixed y, fixed cx, fixed cy, fixed angle,
                 fixed scale, int flip) noexcept {
  if (!drawable(bmp) || !rotatable_sprite(sprite)) return;
  const int v_flip = (flip & SPRITE_FLIP_V) != 0 ? 1 : 0;
  if ((flip & SPRITE_FLIP_H) == 0) {
    if (bmp->vtable->draw_sprite_rotated != nullptr) {
      bmp->vtable->draw_sprite_rotated(bmp, sprite, x, y, cx, cy, angle, scale, v_flip);
    }
    return;
  }
  fixed xs[4];
  fixed ys[4];
  rotation_corners(sprite->width << 16, sprite->height << 16, x, y, cx, cy, angle, scale, scale, 1,
                   v_flip, xs, ys);
  draw_rotated_quad(bmp, sprite, xs, ys);
}

// About the centre: the unturned sprite's top-left corner at (x, y), in 16.16.
void turn_about_centre(bitmap *bmp, bitmap *sprite, fixed x, fixed y, fixed angle, fixed scale,
                       int flip) noexcept {
  if (!rotatable_sprite(sprite)) return;
  const fixed cx = sprite->width << 15;
  const fixed cy = sprite->height << 15;
  const int64_t px = int64_t{x} + cx;
  const int64_t py = int64_t{y} + cy;
  if (px > 0x7FFFFFFF || py > 0x7FFFFFFF) return;
  draw_turned(bmp, sprite, static_cast<fixed>(px), static_cast<fixed>(py), cx, cy, angle, scale,
              flip);
}

void rotate_whole(bitmap *bmp, bitmap *sprite, int x, int y, fixed angle, fixed scale,
                  int flip) noexcept {
  fixed fx = 0;
  fixed fy = 0;
  if (!pixels_to_fixed(x, fx) || !pixels_to_fixed(y, fy)) return;
  turn_about_centre(bmp, sprite, fx, fy, angle, scale, flip);
}

void rotate_whole_f(bitmap *bmp, bitmap *sprite, float x, float y, float degrees, float scale,
                    int flip) noexcept {
  fixed fx = 0, fy = 0, angle = 0, s = 0;
  if (!float_to_position(x, fx) || !float_to_position(y, fy) || !degrees_to_angle(degrees, angle) ||
      !float_to_scale(scale, s)) {
    return;
  }
  turn_about_centre(bmp, sprite, fx, fy, angle, s, flip);
}

void pivot_whole(bitmap *bmp, bitmap *sprite, int x, int y, int cx, int cy, fixed angle,
                 fixed scale, int flip) noexcept {
  fixed fx = 0, fy = 0, fcx = 0, fcy = 0;
  if (!pixels_to_fixed(x, fx) || !pixels_to_fixed(y, fy) || !pixels_to_fixed(cx, fcx) ||
      !pixels_to_fixed(cy, fcy)) {
    return;
  }
  draw_turned(bmp, sprite, fx, fy, fcx, fcy, angle, scale, flip);
}

void pivot_whole_f(bitmap *bmp, bitmap *sprite, float x, float y, float cx, float cy,
                   float degrees, float scale, int flip) noexcept {
  fixed fx = 0, fy = 0, fcx = 0, fcy = 0, angle = 0, s = 0;
  if (!float_to_position(x, fx) || !float_to_position(y, fy) || !float_to_position(cx, fcx) ||
      !float_to_position(cy, fcy) || !degrees_to_angle(degrees, angle) ||
      !float_to_scale(scale, s)) {
    return;
  }
  draw_turned(bmp, sprite, fx, fy, fcx, fcy, angle, s, flip);
}

}  // namespace
}  // namespace corvane

extern "C" {

using namespace corvane;

void draw_sprite_rotated(bitmap *bmp, bitmap *sprite, fixed x, fixed y, fixed cx, fixed cy,
                         fixed angle, fixed scale, int v_flip) noexcept {
  if (!drawable(bmp) || bmp->vtable->draw_sprite_rotated == nullptr) return;
  bmp->vtable->draw_sprite_rotated(bmp, sprite, x, y, cx, cy, angle, scale, v_flip);
}

void rotate_sprite(bitmap *bmp, bitmap *sprite, int x, int y, fixed angle) noexcept {
  rotate_whole(bmp, sprite, x, y, angle, FIXED_ONE, 0);
}
void rotate_sprite_scaled(bitmap *bmp, bitmap *sprite, int x, int y, fixed angle,
                          fixed scale) noexcept {
  rotate_whole(bmp, sprite, x, y, angle, scale, 0);
}
void rotate_sprite_flipped(bitmap *bmp, bitmap *sprite, int x, int y, fixed angle, fixed scale,
                           int flip) noexcept {
  rotate_whole(bmp, sprite, x, y, angle, scale, flip);
}

void rotate_sprite_f(bitmap *bmp, bitmap *sprite, float x, float y, float degrees) noexcept {
  rotate_whole_f(bmp, sprite, x, y, degrees, 1.0f, 0);
}
void rotate_sprite_scaled_f(bitmap *bmp, bitmap *sprite, float x, float y, float degrees,
                            float scale) noexcept {
  rotate_whole_f(bmp, sprite, x, y, degrees, scale, 0);
}
void rotate_sprite_flipped_f(bitmap *bmp, bitmap *sprite, float x, float y, float degrees,
                             float scale, int flip) noexcept {
  rotate_whole_f(bmp, sprite, x, y, degrees, scale, flip);
}

void pivot_sprite(bitmap *bmp, bitmap *sprite, int x, int y, int cx, int cy, fixed angle) noexcept {
  pivot_whole(bmp, sprite, x, y, cx, cy, angle, FIXED_ONE, 0);
}
void pivot_sprite_scaled(bitmap *bmp, bitmap *sprite, int x, int y, int cx, int cy, fixed angle,
                         fixed scale) noexcept {
  pivot_whole(bmp, sprite, x, y, cx, cy, angle, scale, 0);
}
void pivot_sprite_flipped(bitmap *bmp, bitmap *sprite, int x, int y, int cx, int cy, fixed angle,
                          fixed scale, int flip) noexcept {
  pivot_whole(bmp, sprite, x, y, cx, cy, angle, scale, flip);
}

void pivot_sprite_f(bitmap *bmp, bitmap *sprite, float x, float y, float cx, float cy,
                    float degrees) noexcept {
  pivot_whole_f(bmp, sprite, x, y, cx, cy, degrees, 1.0f, 0);
}
void pivot_sprite_scaled_f(bitmap *bmp, bitmap *sprite, float x, float y, float cx, float cy,
                           float degrees, float scale) noexcept {
  pivot_whole_f(bmp, sprite, x, y, cx, cy, degrees, scale, 0);
}
void pivot_sprite_flipped_f(bitmap *bmp, bitmap *sprite, float x, float y, float cx, float cy,
                            float degrees, float scale, int flip) noexcept {
  pivot_whole_f(bmp, sprite, x, y, cx, cy, degrees, scale, flip);
}

}  // extern "C"
