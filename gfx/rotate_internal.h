// Internal interface of the rotated sprites: the slot routine of every drawing table and what the
// public calls share.
#ifndef CORVANE_GFX_ROTATE_INTERNAL_H
#define CORVANE_GFX_ROTATE_INTERNAL_H

#include "corvane/bitmap.h"

namespace corvane {

// Sprites up to this size in each direction can be rotated: their extent times 65536 must fit a
// 16.16 value.
constexpr int max_rotated_sprite_size = 32767;

// A sprite that can be drawn rotated: it has a table, pixels and a size within the limit.
bool rotatable_sprite(const bitmap *sprite) noexcept;

// Slot 41 of every table.
void generic_draw_sprite_rotated(bitmap *bmp, bitmap *sprite, fixed x, fixed y, fixed cx, fixed cy,
                                 fixed angle, fixed scale, int v_flip) noexcept;

}  // namespace corvane

#endif  // CORVANE_GFX_ROTATE_INTERNAL_H
