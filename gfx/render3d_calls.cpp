// The 3D polygon calls of the public interface: each calls the slot of the same name in the
// bitmap's drawing table, and does nothing for a null bitmap, a bitmap without a table or an
// empty slot.
#include "corvane/render3d.h"
#include "gfx/primitives.h"

using corvane::drawable;

extern "C" {

void draw_polygon_3d(bitmap *bmp, int type, bitmap *texture, int vertex_count,
                     v3d *vertices[]) noexcept {
  if (drawable(bmp) && bmp->vtable->draw_polygon_3d != nullptr) {
    bmp->vtable->draw_polygon_3d(bmp, type, texture, vertex_count, vertices);
  }
}

void draw_polygon_3d_f(bitmap *bmp, int type, bitmap *texture, int vertex_count,
                       v3d_f *vertices[]) noexcept {
  if (drawable(bmp) && bmp->vtable->draw_polygon_3d_f != nullptr) {
    bmp->vtable->draw_polygon_3d_f(bmp, type, texture, vertex_count, vertices);
  }
}

void draw_triangle_3d(bitmap *bmp, int type, bitmap *texture, v3d *v1, v3d *v2, v3d *v3) noexcept {
  if (drawable(bmp) && bmp->vtable->draw_triangle_3d != nullptr) {
    bmp->vtable->draw_triangle_3d(bmp, type, texture, v1, v2, v3);
  }
}

void draw_triangle_3d_f(bitmap *bmp, int type, bitmap *texture, v3d_f *v1, v3d_f *v2,
                        v3d_f *v3) noexcept {
  if (drawable(bmp) && bmp->vtable->draw_triangle_3d_f != nullptr) {
    bmp->vtable->draw_triangle_3d_f(bmp, type, texture, v1, v2, v3);
  }
}

void draw_quad_3d(bitmap *bmp, int type, bitmap *texture, v3d *v1, v3d *v2, v3d *v3,
                  v3d *v4) noexcept {
  if (drawable(bmp) && bmp->vtable->draw_quad_3d != nullptr) {
    bmp->vtable->draw_quad_3d(bmp, type, texture, v1, v2, v3, v4);
  }
}

void draw_quad_3d_f(bitmap *bmp, int type, bitmap *texture, v3d_f *v1, v3d_f *v2, v3d_f *v3,
                    v3d_f *v4) noexcept {
  if (drawable(bmp) && bmp->vtable->draw_quad_3d_f != nullptr) {
    bmp->vtable->draw_quad_3d_f(bmp, type, texture, v1, v2, v3, v4);
  }
}

}  // extern "C"
