/** @file
 * Corvane: 3D polygons -- vertex records, the fifteen polygon types, the depth buffer, and the
 * drawing calls (slots 55 to 60 of the drawing table).
 *
 * Vertices are given in screen space: x and y are pixel positions (16.16 fixed point in v3d,
 * single precision in v3d_f), z the distance from the viewer (positive, larger is farther), u and
 * v texture coordinates in texels, c a colour or light level as the polygon type says. The
 * matrices, projection and clipping of corvane/matrix.h turn a model into such vertices.
 *
 * Fill convention: a pixel is drawn when its centre (x + 0.5, y + 0.5) lies inside the polygon; a
 * centre exactly on an edge belongs to the polygon on the edge's right (for a vertical edge) or
 * below it (for a horizontal edge), that is top and left edges are inside, bottom and right edges
 * outside. Polygons that share an edge therefore neither leave a gap nor draw a pixel twice, and a
 * polygon of no area draws nothing. Every value (colour, texture coordinates, depth) is
 * interpolated along the edges and across each row and taken at the pixel centre. Polygons are
 * convex; the rows of a concave one are filled by the even-odd rule.
 *
 * Drawing is cut to the clip rectangle (to the bitmap when clipping is off) and reports nothing.
 * Nothing is drawn for: a null bitmap; fewer than 3 vertices or a null vertex pointer; a
 * coordinate that is not a finite number, or beyond +-16777216; a textured type without a texture,
 * with a texture of another colour depth than the bitmap, whose width or height is not a power of
 * two (up to 65536), or whose rows do not follow each other in memory (a sub-bitmap narrower than
 * its parent, say); a perspective-correct or depth-buffered type with a vertex whose z is not
 * above 0; a depth-buffered type without a current depth buffer; a lit or translucent type while
 * the blender hook of the depth (8 bits: shade_table) is empty. Only the flat type without the
 * depth buffer obeys the drawing mode (it fills rows with draw_hline); every other type writes
 * its pixels directly. */
#ifndef CORVANE_RENDER3D_H
#define CORVANE_RENDER3D_H

#include "corvane/base.h"
#include "corvane/bitmap.h"

CORVANE_EXTERN_C_BEGIN

/** A vertex in fixed point. */
typedef struct v3d {
  fixed x; /**< screen column in pixels (16.16) */
  fixed y; /**< screen row in pixels (16.16) */
  fixed z; /**< distance from the viewer (16.16) */
  fixed u; /**< texture column in texels (16.16) */
  fixed v; /**< texture row in texels (16.16) */
  int c;   /**< colour or light level, by polygon type */
} v3d;

/** A vertex in single precision. */
typedef struct v3d_f {
  float x; /**< screen column in pixels */
  float y; /**< screen row in pixels */
  float z; /**< distance from the viewer */
  float u; /**< texture column in texels */
  float v; /**< texture row in texels */
  int c;   /**< colour or light level, by polygon type */
} v3d_f;

/* ---- Polygon types ----------------------------------------------------------------------------
 * Texture types take u and v of every vertex; the texture repeats in both directions. "Masked"
 * types skip texels equal to the mask colour (0 at 8 bits). "Lit" types take a light level
 * 0-255 in c and combine each texel t with it as draw_sprite_lit does: blend hook (blend colour
 * of the depth, t, level), and at 8 bits shade_table[level][t]. "Translucent" types blend each
 * texel t over the pixel p already there as draw_sprite_trans does: blend hook (t, p,
 * blend_weight), and at 8 bits shade_table[t][p]. Perspective-correct types interpolate u / z,
 * v / z and 1 / z and divide back per pixel (where a run of pixels stays within half a texel of
 * the exact result it is interpolated linearly instead); the others ("affine") interpolate u and
 * v linearly on the screen. Types below 0 count as 0, types above 14 as 14. */
#define POLY_FLAT 0 /**< one colour: c of the first vertex, packed for the bitmap's depth */
#define POLY_GOURAUD 1 /**< c packed for the bitmap's depth, interpolated: at 8 bits the palette
                        * index itself, at other depths each of red, green and blue */
#define POLY_GOURAUD_RGB 2 /**< c as 0xRRGGBB, each component interpolated and packed per pixel
                            * (at 8 bits the nearest palette entry, make_color8) */
#define POLY_TEXTURE 3               /**< affine texture */
#define POLY_TEXTURE_PERSP 4         /**< perspective-correct texture */
#define POLY_TEXTURE_MASK 5          /**< affine, masked */
#define POLY_TEXTURE_PERSP_MASK 6    /**< perspective-correct, masked */
#define POLY_TEXTURE_LIT 7           /**< affine, lit */
#define POLY_TEXTURE_PERSP_LIT 8     /**< perspective-correct, lit */
#define POLY_TEXTURE_MASK_LIT 9      /**< affine, masked and lit */
#define POLY_TEXTURE_PERSP_MASK_LIT 10 /**< perspective-correct, masked and lit */
#define POLY_TEXTURE_TRANS 11        /**< affine, translucent */
#define POLY_TEXTURE_PERSP_TRANS 12  /**< perspective-correct, translucent */
#define POLY_TEXTURE_MASK_TRANS 13   /**< affine, masked and translucent */
#define POLY_TEXTURE_PERSP_MASK_TRANS 14 /**< perspective-correct, masked and translucent */

/** Added to any type: each pixel is drawn only when it is nearer than what the current depth
 * buffer holds for it (1 / z larger than the stored value), and then 1 / z is stored. Pixels that
 * a masked type skips leave the depth buffer alone. */
#define POLY_DEPTH_BUFFER 16

/* ---- Drawing -----------------------------------------------------------------------------------
 * Thin calls through the bitmap's drawing table (slots 55 to 60). texture may be null for the
 * types without a texture. */

/** A convex polygon of vertex_count vertices (the last joins the first). */
CORVANE_API void draw_polygon_3d(struct bitmap *bmp, int type, struct bitmap *texture,
                                 int vertex_count, v3d *vertices[]) CORVANE_NOEXCEPT;
/** A convex polygon of vertex_count single-precision vertices (the last joins the first). */
CORVANE_API void draw_polygon_3d_f(struct bitmap *bmp, int type, struct bitmap *texture,
                                   int vertex_count, v3d_f *vertices[]) CORVANE_NOEXCEPT;
/** A triangle of three vertices. */
CORVANE_API void draw_triangle_3d(struct bitmap *bmp, int type, struct bitmap *texture, v3d *v1,
                                  v3d *v2, v3d *v3) CORVANE_NOEXCEPT;
/** A triangle of three single-precision vertices. */
CORVANE_API void draw_triangle_3d_f(struct bitmap *bmp, int type, struct bitmap *texture,
                                    v3d_f *v1, v3d_f *v2, v3d_f *v3) CORVANE_NOEXCEPT;
/** A convex quadrilateral of four vertices, in order around it. */
CORVANE_API void draw_quad_3d(struct bitmap *bmp, int type, struct bitmap *texture, v3d *v1,
                              v3d *v2, v3d *v3, v3d *v4) CORVANE_NOEXCEPT;
/** A convex quadrilateral of four single-precision vertices, in order around it. */
CORVANE_API void draw_quad_3d_f(struct bitmap *bmp, int type, struct bitmap *texture, v3d_f *v1,
                                v3d_f *v2, v3d_f *v3, v3d_f *v4) CORVANE_NOEXCEPT;

/* ---- The depth buffer --------------------------------------------------------------------------
 * A depth buffer is a 32-bit bitmap holding one float, 1 / z, per pixel (0 stands for infinitely
 * far away). Pixel (x, y) of any bitmap drawn with POLY_DEPTH_BUFFER is tested against entry
 * (x, y) of the current depth buffer; the parts of a bitmap beyond the buffer's size are not
 * drawn. */
/** A depth buffer: a 32-bit bitmap of 1 / z values. */
typedef struct bitmap depth_buffer;

/** A depth buffer of the bitmap's size, cleared to infinitely far. Null with error_text and the
 * error number set: "No bitmap for the depth buffer" (EINVAL) for a null bitmap, "Not enough
 * memory for the depth buffer" (ENOMEM) when memory is short. */
CORVANE_API depth_buffer *create_depth_buffer(struct bitmap *bmp) CORVANE_NOEXCEPT;

/** A depth buffer sharing the entries of part of another: for drawing on a sub-bitmap at (x, y) of
 * a bitmap whose buffer is parent. Null as create_subbitmap gives it. Destroy it before parent. */
CORVANE_API depth_buffer *create_sub_depth_buffer(depth_buffer *parent, int x, int y, int width,
                                                  int height) CORVANE_NOEXCEPT;

/** Makes a buffer the current one (null: none; depth-buffered types then draw nothing). */
CORVANE_API void set_depth_buffer(depth_buffer *buffer) CORVANE_NOEXCEPT;

/** The current depth buffer, or null. */
CORVANE_API depth_buffer *get_depth_buffer(void) CORVANE_NOEXCEPT;

/** Sets every entry to 1 / z: z at or below 0, infinite or not a number clears to infinitely far
 * (0). Null is ignored. */
CORVANE_API void clear_depth_buffer(depth_buffer *buffer, float z) CORVANE_NOEXCEPT;

/** Frees a depth buffer; when it is the current one, there is no current one any more. Null is
 * ignored. */
CORVANE_API void destroy_depth_buffer(depth_buffer *buffer) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_RENDER3D_H */
