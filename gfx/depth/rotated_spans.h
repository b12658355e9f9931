// The direct span drawers of rotated sprites, one per depth: a row of the target, from column
// first to column last inclusive, takes the sprite pixel at (u >> 16, v >> 16) for each column,
// with (u, v) stepped by (du, dv) per column; pixels of the depth's mask colour are skipped.
//
// The scan conversion (gfx/rotate_quad.cpp) has already cut the row to the drawable area and the
// steps so that every sample lies inside the sprite, so the loop reads and writes without tests.
// The target row comes from the write-line accessor; the sprite is read through its line table.
#ifndef CORVANE_GFX_DEPTH_ROTATED_SPANS_H
#define CORVANE_GFX_DEPTH_ROTATED_SPANS_H

#include <cstdint>

#include "corvane/bitmap.h"

namespace corvane::depth {

// (target, sprite, first column, row, last column, u, v, du, dv). u and v are 16.16 source
// positions for the first column; u + k * du and v + k * dv stay within the sprite for every
// column k of the span.
using rotated_span_drawer = void (*)(bitmap *target, const bitmap *sprite, int first, int y,
                                     int last, uint32_t u, uint32_t v, uint32_t du,
                                     uint32_t dv) noexcept;

// The direct drawer of a depth (8, 15, 16, 24, 32), or null for another depth.
rotated_span_drawer find_rotated_span_drawer(int depth) noexcept;

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_ROTATED_SPANS_H
