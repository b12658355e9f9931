// The scan-line fillers of the 3D polygon renderer and how one is chosen for a polygon.
//
// A filler writes one span of a polygon row: (destination address, pixel count, span record). The
// span record holds the values at the span's first pixel centre and their steps per pixel, in the
// fields the polygon type interpolates, and the texture the type reads. There is one filler per
// polygon type (0 to 14), with and without the depth buffer, for each depth (8, 15, 16, 24, 32):
// the table of choose_scanline_filler, compiled in scanline_fillers.cpp.
#ifndef CORVANE_GFX_DEPTH_SCANLINE_FILLERS_H
#define CORVANE_GFX_DEPTH_SCANLINE_FILLERS_H

#include <array>
#include <cstdint>

#include "corvane/bitmap.h"

namespace corvane::depth {

// The interpolation record of an edge or a span. Fixed-point values are 16.16, kept unsigned so
// that stepping wraps (texture coordinates repeat; colours stay in range by construction).
struct poly_span {
  uint32_t u, v, du, dv;          // texture coordinates (flag 0x08)
  uint32_t c, dc;                 // one value: palette index or light level (flag 0x02)
  uint32_t r, g, b, dr, dg, db;   // colour components 0-255 (flag 0x04)
  float z, dz;                    // 1 / z (flag 0x10)
  float fu, fv, dfu, dfv;         // u / z and v / z (flag 0x20)
  const unsigned char *texture;   // the texture's row 0
  uint32_t umask, vmask, vshift;  // width - 1, height - 1, log2 of the width rounded up
  int segment;                    // the target's memory segment
  float *zbuf;                    // the depth-buffer entry of the span's first pixel (flag 0x100)
  uint32_t color;                 // the flat colour (type 0)
};

using scanline_filler = void (*)(unsigned char *dest, int count, const poly_span *span) noexcept;

// Bits of the flag word of choose_scanline_filler: what an edge or span interpolates, and what the
// renderer has to prepare for the filler.
constexpr int POLY_FLAG_FLAT = 0x01;         // one colour
constexpr int POLY_FLAG_ONE_VALUE = 0x02;    // c
constexpr int POLY_FLAG_THREE_VALUES = 0x04; // r, g, b
constexpr int POLY_FLAG_TEXTURE = 0x08;      // u, v
constexpr int POLY_FLAG_DEPTH = 0x10;        // 1 / z in single precision
constexpr int POLY_FLAG_PERSPECTIVE_UV = 0x20;  // u / z, v / z in single precision
constexpr int POLY_FLAG_PERSPECTIVE = 0x40;  // the filler divides per pixel
constexpr int POLY_FLAG_DEPTH_COLOR = 0x80;  // c is a colour of the target depth, taken apart
constexpr int POLY_FLAG_DEPTH_BUFFER = 0x100;  // test and write the depth buffer

// The filler of a polygon type for a target, with the flag word and the texture information; the
// alternative filler (the affine one of a perspective type, else null) goes to
// alternative_scanline_filler. Null for a target of another depth than 8, 15, 16, 24, 32 (the
// flags and info are filled all the same).
scanline_filler choose_scanline_filler(int type, int *flags, poly_span *info,
                                       const bitmap *texture, const bitmap *target) noexcept;

// The alternative filler of the last choose_scanline_filler, for the renderer.
extern scanline_filler alternative_scanline_filler;

// The flag words of the types (index 0 to 14) for 8-bit targets and for all others.
extern const int scanline_flags_8[15];
extern const int scanline_flags_other[15];

// One entry of the filler table.
struct scanline_filler_entry {
  scanline_filler filler;
  scanline_filler alternative;
};

// Rows with the depth buffer for 32, 24, 16, 15, 8 bits, then without it in the same order.
extern const std::array<std::array<scanline_filler_entry, 15>, 10> scanline_filler_table;

// The row of a depth within each half of the table, or -1.
constexpr int scanline_row_of_depth(int depth) noexcept {
  switch (depth) {
    case 32: return 0;
    case 24: return 1;
    case 16: return 2;
    case 15: return 3;
    case 8: return 4;
    default: return -1;
  }
}

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_SCANLINE_FILLERS_H
