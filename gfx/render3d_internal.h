// Internal interface of the 3D polygon renderer: the slot routines of every drawing table and the
// current depth buffer.
#ifndef CORVANE_GFX_RENDER3D_INTERNAL_H
#define CORVANE_GFX_RENDER3D_INTERNAL_H

#include "corvane/bitmap.h"
#include "corvane/render3d.h"

namespace corvane {

// The depth buffer that depth-buffered types test and write, or null.
bitmap *current_depth_buffer() noexcept;

// Slots 55 to 60 of every table.
void generic_draw_polygon_3d(bitmap *bmp, int type, bitmap *texture, int vertex_count,
                             v3d *vertices[]) noexcept;
void generic_draw_polygon_3d_f(bitmap *bmp, int type, bitmap *texture, int vertex_count,
                               v3d_f *vertices[]) noexcept;
void generic_draw_triangle_3d(bitmap *bmp, int type, bitmap *texture, v3d *v1, v3d *v2,
                              v3d *v3) noexcept;
void generic_draw_triangle_3d_f(bitmap *bmp, int type, bitmap *texture, v3d_f *v1, v3d_f *v2,
                                v3d_f *v3) noexcept;
void generic_draw_quad_3d(bitmap *bmp, int type, bitmap *texture, v3d *v1, v3d *v2, v3d *v3,
                          v3d *v4) noexcept;
void generic_draw_quad_3d_f(bitmap *bmp, int type, bitmap *texture, v3d_f *v1, v3d_f *v2,
                            v3d_f *v3, v3d_f *v4) noexcept;

}  // namespace corvane

#endif  // CORVANE_GFX_RENDER3D_INTERNAL_H
