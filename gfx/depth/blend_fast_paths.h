// The vectorised fast paths of blending routines, as rows of one table keyed by operation, source
// depth, target depth and blender. A row says: when this operation blends a source of this depth
// onto a target of this depth with this blender in the hook, its span computes exactly what the
// blender would for every pixel, whole rows at a time. Routines look their row up once per call
// and fall back to the per-pixel blender when there is none.
//
// A new fast path is a new span kernel and a new row here; the routines that use the table need no
// change for another depth or blender of an operation they already look up.
#ifndef CORVANE_GFX_DEPTH_BLEND_FAST_PATHS_H
#define CORVANE_GFX_DEPTH_BLEND_FAST_PATHS_H

#include <cstddef>
#include <cstdint>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "gfx/blenders.h"
#include "gfx/depth/sprite_kernels.h"

namespace corvane::depth {

// The blending operations that have fast paths.
enum class blend_op {
  sprite_trans,  // draw_sprite_trans: blender(s, target, blend_weight) where s is not the mask
  sprite_alpha,  // draw_sprite_alpha: the alpha hook of (s, target, blend_weight), s not the mask
  rle_trans,     // draw_rle_trans: blender(s, target, blend_weight) for every literal pixel s
  rle_alpha,     // draw_rle_alpha: the alpha hook of (s, target, blend_weight) likewise
};

// A row loop over count pixels: dest = blend(source, dest) wherever the source pixel is not mask.
// parameter is what the row's prepare gave for the call. The run-length operations use these, one
// call per literal run, for sprites the clip rectangle cuts.
using blend_span = void (*)(unsigned char *dest, const unsigned char *source, size_t count,
                            uint32_t parameter, uint32_t mask) noexcept;

// The same over a block of rows, one call per sprite: the bitmap operations use these.
using blend_rows = void (*)(const blend_block &block, uint32_t parameter, uint32_t mask) noexcept;

// The span over every literal run of a run-length sprite landing whole on the target, one call per
// sprite.
using blend_runs = void (*)(const rle_rows &rows, uint32_t parameter) noexcept;

// Turns the blend weight into the span's parameter; false when the span cannot stand in for the
// blender under the current state (the routine then blends pixel by pixel).
using blend_prepare = bool (*)(uint32_t weight, uint32_t &parameter) noexcept;

struct blend_fast_path {
  blend_op op;
  int source_depth;
  int target_depth;
  blender_func blender;
  blend_span span;  // the run-length operations' loop, else null
  blend_rows rows;  // the bitmap operations' loop, else null
  blend_runs runs;  // the run-length operations' loop over whole sprites, else null
  blend_prepare prepare;
};

// The mix's weight 0-256 at 24 and 32 bits (n + 1 above 0).
inline bool prepare_weight256(uint32_t n, uint32_t &parameter) noexcept {
  parameter = n != 0 ? n + 1 : 0;
  return true;
}

// The mix's weight 0-32 at 15 and 16 bits.
inline bool prepare_weight32(uint32_t n, uint32_t &parameter) noexcept {
  parameter = weight32(n);
  return true;
}

// The alpha span reads each pixel's weight at the 32-bit alpha shift, which must lie in 0-31.
inline bool prepare_alpha_shift(uint32_t /*n*/, uint32_t &parameter) noexcept {
  const int shift = alpha_shift_32;
  if (shift < 0 || shift > 31) return false;
  parameter = static_cast<uint32_t>(shift);
  return true;
}

inline constexpr blend_fast_path blend_fast_paths[] = {
    {blend_op::sprite_trans, 32, 32, blend_mix24, nullptr, mix_sprite_rows32, nullptr,
     prepare_weight256},
    {blend_op::sprite_trans, 16, 16, blend_mix16, nullptr, mix_sprite_rows16, nullptr,
     prepare_weight32},
    {blend_op::sprite_trans, 15, 15, blend_mix15, nullptr, mix_sprite_rows15, nullptr,
     prepare_weight32},
    {blend_op::sprite_alpha, 32, 32, blend_alpha32, nullptr, alpha_sprite_rows32, nullptr,
     prepare_alpha_shift},
    {blend_op::sprite_alpha, 32, 24, blend_alpha32, nullptr, alpha_sprite_rows24_same, nullptr,
     prepare_alpha_shift},
    {blend_op::sprite_alpha, 32, 24, blend_alpha24_swapped, nullptr, alpha_sprite_rows24_swapped,
     nullptr, prepare_alpha_shift},
    {blend_op::sprite_alpha, 32, 16, blend_alpha16_same, nullptr, alpha_sprite_rows16_same, nullptr,
     prepare_alpha_shift},
    {blend_op::sprite_alpha, 32, 16, blend_alpha16_swapped, nullptr, alpha_sprite_rows16_swapped,
     nullptr, prepare_alpha_shift},
    {blend_op::sprite_alpha, 32, 15, blend_alpha15_same, nullptr, alpha_sprite_rows15_same, nullptr,
     prepare_alpha_shift},
    {blend_op::sprite_alpha, 32, 15, blend_alpha15_swapped, nullptr, alpha_sprite_rows15_swapped,
     nullptr, prepare_alpha_shift},
    {blend_op::rle_trans, 32, 32, blend_mix24, mix_run_span32, nullptr, mix_rle_rows32,
     prepare_weight256},
    {blend_op::rle_trans, 16, 16, blend_mix16, mix_run_span16, nullptr, mix_rle_rows16,
     prepare_weight32},
    {blend_op::rle_trans, 15, 15, blend_mix15, mix_run_span15, nullptr, mix_rle_rows15,
     prepare_weight32},
    {blend_op::rle_alpha, 32, 32, blend_alpha32, alpha_run_span32, nullptr, alpha_rle_rows32,
     prepare_alpha_shift},
    {blend_op::rle_alpha, 32, 24, blend_alpha32, alpha_run_span24_same, nullptr,
     alpha_rle_rows24_same, prepare_alpha_shift},
    {blend_op::rle_alpha, 32, 24, blend_alpha24_swapped, alpha_run_span24_swapped, nullptr,
     alpha_rle_rows24_swapped, prepare_alpha_shift},
    {blend_op::rle_alpha, 32, 16, blend_alpha16_same, alpha_run_span16_same, nullptr,
     alpha_rle_rows16_same, prepare_alpha_shift},
    {blend_op::rle_alpha, 32, 16, blend_alpha16_swapped, alpha_run_span16_swapped, nullptr,
     alpha_rle_rows16_swapped, prepare_alpha_shift},
    {blend_op::rle_alpha, 32, 15, blend_alpha15_same, alpha_run_span15_same, nullptr,
     alpha_rle_rows15_same, prepare_alpha_shift},
    {blend_op::rle_alpha, 32, 15, blend_alpha15_swapped, alpha_run_span15_swapped, nullptr,
     alpha_rle_rows15_swapped, prepare_alpha_shift},
};

// The row for an operation, the two depths and the blender in force, or null.
inline const blend_fast_path *find_blend_fast_path(blend_op op, int source_depth, int target_depth,
                                                   blender_func blender) noexcept {
  for (const blend_fast_path &row : blend_fast_paths) {
    if (row.op == op && row.source_depth == source_depth && row.target_depth == target_depth &&
        row.blender == blender) {
      return &row;
    }
  }
  return nullptr;
}

}  // namespace corvane::depth

#endif  // CORVANE_GFX_DEPTH_BLEND_FAST_PATHS_H
