/** @file
 * Corvane: the maths of 3D drawing -- 4x3 transformation matrices in fixed and floating point,
 * a camera, the perspective projection onto a viewport, clipping a polygon against the view
 * volume, and the back-face test.
 *
 * The usual path of a vertex: model matrix (scaling, rotations, translation), then the camera
 * matrix, which leaves the camera at the origin looking along +z with x to the right and y
 * downwards on screen; then clip_polygon_3d against the view volume; then project_point onto the
 * viewport; then draw_polygon_3d (corvane/render3d.h) with the projected x and y and the camera
 * space z.
 *
 * Fixed-point calls use 16.16 values and binary angles (256 units to the full turn, 0x400000 is a
 * quarter; see corvane/rotate.h); floating-point calls (suffix _f) use single precision and angles
 * in degrees. Rotations follow the right-hand rule about their axis. Fixed-point results that do
 * not fit saturate and set the error number to ERANGE. */
#ifndef CORVANE_MATRIX_H
#define CORVANE_MATRIX_H

#include "corvane/base.h"
#include "corvane/bitmap.h"
#include "corvane/render3d.h"

CORVANE_EXTERN_C_BEGIN

/** A point p becomes v * p + t: v is the 3x3 part (row by row), t the translation. */
typedef struct matrix {
  fixed v[3][3]; /**< the 3x3 part, row by row, 16.16 fixed point */
  fixed t[3];    /**< the translation, 16.16 fixed point */
} matrix;

/** The floating-point form of matrix: a point p becomes v * p + t. */
typedef struct matrix_f {
  float v[3][3]; /**< the 3x3 part, row by row */
  float t[3];    /**< the translation */
} matrix_f;

/** The fixed-point matrix that changes nothing. */
extern CORVANE_API const matrix identity_matrix;
/** The floating-point matrix that changes nothing. */
extern CORVANE_API const matrix_f identity_matrix_f;

/* ---- Building matrices -------------------------------------------------------------------------
 * Each fills *m; a null m is ignored. */

/** Moves points by (x, y, z). */
CORVANE_API void get_translation_matrix(matrix *m, fixed x, fixed y, fixed z) CORVANE_NOEXCEPT;
/** Moves points by (x, y, z); floating point. */
CORVANE_API void get_translation_matrix_f(matrix_f *m, float x, float y,
                                          float z) CORVANE_NOEXCEPT;

/** Scales by x, y and z along the axes. */
CORVANE_API void get_scaling_matrix(matrix *m, fixed x, fixed y, fixed z) CORVANE_NOEXCEPT;
/** Scales by x, y and z along the axes; floating point. */
CORVANE_API void get_scaling_matrix_f(matrix_f *m, float x, float y, float z) CORVANE_NOEXCEPT;

/** Turns about the x axis by a binary angle. */
CORVANE_API void get_x_rotation_matrix(matrix *m, fixed angle) CORVANE_NOEXCEPT;
/** Turns about the y axis by a binary angle. */
CORVANE_API void get_y_rotation_matrix(matrix *m, fixed angle) CORVANE_NOEXCEPT;
/** Turns about the z axis by a binary angle. */
CORVANE_API void get_z_rotation_matrix(matrix *m, fixed angle) CORVANE_NOEXCEPT;
/** Turns about the x axis by an angle in degrees; floating point. */
CORVANE_API void get_x_rotation_matrix_f(matrix_f *m, float degrees) CORVANE_NOEXCEPT;
/** Turns about the y axis by an angle in degrees; floating point. */
CORVANE_API void get_y_rotation_matrix_f(matrix_f *m, float degrees) CORVANE_NOEXCEPT;
/** Turns about the z axis by an angle in degrees; floating point. */
CORVANE_API void get_z_rotation_matrix_f(matrix_f *m, float degrees) CORVANE_NOEXCEPT;

/** Turns about the axis (x, y, z) through the origin (its length does not matter). Returns 0, or
 * -1 with the error number EDOM and *m the identity for an axis of length 0 or not finite. */
CORVANE_API int get_axis_rotation_matrix(matrix *m, fixed x, fixed y, fixed z,
                                         fixed angle) CORVANE_NOEXCEPT;
/** get_axis_rotation_matrix in floating point, the angle in degrees; the same failure. */
CORVANE_API int get_axis_rotation_matrix_f(matrix_f *m, float x, float y, float z,
                                           float degrees) CORVANE_NOEXCEPT;

/** The camera at (x, y, z) looking along front, with up pointing up on screen (it need not be
 * at right angles to front; only its part across front counts). Points are moved into camera
 * space: the camera at the origin, +z along front, +x to the right and +y downwards on screen.
 * Returns 0, or -1 with the error number EDOM and *m the identity when front has length 0, up
 * has no part across front, or a value is not finite. */
CORVANE_API int get_camera_matrix(matrix *m, fixed x, fixed y, fixed z, fixed front_x,
                                  fixed front_y, fixed front_z, fixed up_x, fixed up_y,
                                  fixed up_z) CORVANE_NOEXCEPT;
/** get_camera_matrix in floating point; the same failures. */
CORVANE_API int get_camera_matrix_f(matrix_f *m, float x, float y, float z, float front_x,
                                    float front_y, float front_z, float up_x, float up_y,
                                    float up_z) CORVANE_NOEXCEPT;

/* ---- Using matrices ---------------------------------------------------------------------------- */

/** out = the transformation of first followed by that of second. out may be either argument.
 * Null pointers are ignored. */
CORVANE_API void multiply_matrices(const matrix *first, const matrix *second,
                                   matrix *out) CORVANE_NOEXCEPT;
/** multiply_matrices in floating point. */
CORVANE_API void multiply_matrices_f(const matrix_f *first, const matrix_f *second,
                                     matrix_f *out) CORVANE_NOEXCEPT;

/** The point (x, y, z) transformed by m, into *out_x, *out_y, *out_z. Null pointers are ignored. */
CORVANE_API void apply_matrix(const matrix *m, fixed x, fixed y, fixed z, fixed *out_x,
                              fixed *out_y, fixed *out_z) CORVANE_NOEXCEPT;
/** apply_matrix in floating point. */
CORVANE_API void apply_matrix_f(const matrix_f *m, float x, float y, float z, float *out_x,
                                float *out_y, float *out_z) CORVANE_NOEXCEPT;

/* ---- Projection -------------------------------------------------------------------------------
 * Camera-space points are projected onto the viewport, a rectangle of the screen: the point
 * (x, y, z) lands at (left + width / 2 + (x / z) * width / 2, top + height / 2 + (y / z) * width
 * / 2), so the viewport's width spans a quarter turn of view and pixels are square. */

/** Sets the viewport (in pixels). The viewport at start is 0, 0, 320, 200. Widths or heights
 * below 1 are taken as 1. */
CORVANE_API void set_projection_viewport(int left, int top, int width,
                                         int height) CORVANE_NOEXCEPT;

/** Projects (x, y, z) into *out_x, *out_y. Returns 0, or -1 (outputs untouched, error number EDOM)
 * when z is not above 0 or a value is not finite; fixed-point results beyond the 16.16 range
 * saturate (ERANGE). */
CORVANE_API int project_point(fixed x, fixed y, fixed z, fixed *out_x,
                              fixed *out_y) CORVANE_NOEXCEPT;
/** project_point in floating point; -1 (EDOM) as project_point. */
CORVANE_API int project_point_f(float x, float y, float z, float *out_x,
                                float *out_y) CORVANE_NOEXCEPT;

/* ---- Clipping and culling ---------------------------------------------------------------------- */

/** Clips a polygon given in camera space against the view volume: min_z <= z <= max_z,
 * -z <= x <= z and -z <= y <= z (what project_point puts within the viewport's width around its
 * centre; the clip rectangle cuts the rest). New vertices interpolate every field: x, y, z, u, v,
 * and c as the polygon type reads it (the components of a colour of the given colour depth for
 * POLY_GOURAUD above 8 bits, of 0xRRGGBB for POLY_GOURAUD_RGB, the value itself otherwise).
 * min_z must be above 0 for the result to be projected.
 *
 * The clipped polygon goes to out (capacity records; count + 6 are always enough for a convex
 * polygon, 12 times count for any other), and out_pointers[i] is set to &out[i] for the drawing
 * calls (out_pointers may be null). Returns the number of vertices (0 when nothing is left, or
 * when count is below 3), or -1 with the error number EINVAL when a pointer is null, min_z is
 * above max_z, count is above 16777216, or capacity is too small for the result (ENOMEM when
 * memory is short). */
CORVANE_API int clip_polygon_3d(int type, int color_depth, fixed min_z, fixed max_z, int count,
                                v3d *const in[], v3d out[], v3d *out_pointers[],
                                int capacity) CORVANE_NOEXCEPT;
/** clip_polygon_3d in floating point; the same results and failures. */
CORVANE_API int clip_polygon_3d_f(int type, int color_depth, float min_z, float max_z, int count,
                                  v3d_f *const in[], v3d_f out[], v3d_f *out_pointers[],
                                  int capacity) CORVANE_NOEXCEPT;

/** The back-face test: the z part of the cross product (v2 - v1) x (v3 - v2) of three projected
 * vertices, from their screen x and y. It is positive when the vertices run clockwise on screen
 * (y downwards): the side the viewer sees when polygons are given clockwise. Fixed-point results
 * beyond the 16.16 range saturate (ERANGE). Null vertices give 0. */
CORVANE_API fixed get_face_normal_z(const v3d *v1, const v3d *v2, const v3d *v3) CORVANE_NOEXCEPT;
/** The back-face test in floating point; null vertices give 0. */
CORVANE_API float get_face_normal_z_f(const v3d_f *v1, const v3d_f *v2,
                                      const v3d_f *v3) CORVANE_NOEXCEPT;

CORVANE_EXTERN_C_END

#endif /* CORVANE_MATRIX_H */
