// The maths of 3D drawing: matrices in fixed and floating point, the camera, the projection, the
// back-face test, and clipping against the view volume with every field interpolated.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "corvane/color.h"
#include "corvane/fixed.h"
#include "corvane/matrix.h"
#include "corvane/system.h"

namespace {

constexpr fixed ONE = 0x10000;
constexpr fixed QUARTER = 0x400000;

struct point {
  float x, y, z;
};

point apply_f(const matrix_f &m, point p) {
  point r{};
  apply_matrix_f(&m, p.x, p.y, p.z, &r.x, &r.y, &r.z);
  return r;
}

void expect_near(point a, point b) {
  EXPECT_NEAR(a.x, b.x, 1e-5);
  EXPECT_NEAR(a.y, b.y, 1e-5);
  EXPECT_NEAR(a.z, b.z, 1e-5);
}

TEST(Matrix, QuarterTurnsFollowTheRightHandRuleExactly) {
  // About z: x goes to y; about x: y goes to z; about y: z goes to x.
  matrix m;
  fixed x, y, z;
  get_z_rotation_matrix(&m, QUARTER);
  apply_matrix(&m, ONE, 0, 0, &x, &y, &z);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, ONE);
  EXPECT_EQ(z, 0);
  get_x_rotation_matrix(&m, QUARTER);
  apply_matrix(&m, 0, ONE, 0, &x, &y, &z);
  EXPECT_EQ(z, ONE);
  EXPECT_EQ(y, 0);
  get_y_rotation_matrix(&m, QUARTER + 0x1000000);  // whole turns do not count
  apply_matrix(&m, 0, 0, ONE, &x, &y, &z);
  EXPECT_EQ(x, ONE);
  EXPECT_EQ(z, 0);

  matrix_f f;
  get_z_rotation_matrix_f(&f, 90.0f);
  expect_near(apply_f(f, {1, 0, 0}), {0, 1, 0});
  get_x_rotation_matrix_f(&f, -270.0f);
  expect_near(apply_f(f, {0, 1, 0}), {0, 0, 1});
}

TEST(Matrix, AxisRotationAgreesWithTheAxesAndCyclesTheDiagonal) {
  matrix_f about, z;
  ASSERT_EQ(get_axis_rotation_matrix_f(&about, 0, 0, 5, 33.0f), 0);
  get_z_rotation_matrix_f(&z, 33.0f);
  expect_near(apply_f(about, {0.3f, -2, 1.5f}), apply_f(z, {0.3f, -2, 1.5f}));
  // A third of a turn about (1, 1, 1) takes x to y to z.
  ASSERT_EQ(get_axis_rotation_matrix_f(&about, 1, 1, 1, 120.0f), 0);
  expect_near(apply_f(about, {1, 0, 0}), {0, 1, 0});
  expect_near(apply_f(about, {0, 1, 0}), {0, 0, 1});
  // The fixed form: the same within the precision of 16.16.
  matrix m;
  ASSERT_EQ(get_axis_rotation_matrix(&m, ONE, ONE, ONE, 0x555555), 0);
  fixed x, y, zz;
  apply_matrix(&m, ONE, 0, 0, &x, &y, &zz);
  EXPECT_NEAR(x, 0, 2);
  EXPECT_NEAR(y, ONE, 2);
  EXPECT_NEAR(zz, 0, 2);
  // An axis of no length fails and leaves the identity.
  set_error_number(0);
  EXPECT_EQ(get_axis_rotation_matrix(&m, 0, 0, 0, QUARTER), -1);
  EXPECT_EQ(get_error_number(), EDOM);
  EXPECT_EQ(std::memcmp(&m, &identity_matrix, sizeof m), 0);
  EXPECT_EQ(get_axis_rotation_matrix_f(&about, NAN, 0, 1, 10), -1);
}

TEST(Matrix, ProductAppliesTheFirstThenTheSecond) {
  matrix_f move, scale, both;
  get_translation_matrix_f(&move, 1, 2, 3);
  get_scaling_matrix_f(&scale, 2, -1, 0.5f);
  multiply_matrices_f(&move, &scale, &both);
  expect_near(apply_f(both, {1, 1, 1}), {4, -3, 2});
  multiply_matrices_f(&scale, &move, &scale);  // in place: scaling, then the move
  expect_near(apply_f(scale, {1, 1, 1}), {3, 1, 3.5f});

  matrix a, b, c;
  get_translation_matrix(&a, ONE, 2 * ONE, 3 * ONE);
  get_scaling_matrix(&b, 2 * ONE, -ONE, ONE / 2);
  multiply_matrices(&a, &b, &c);
  fixed x, y, z;
  apply_matrix(&c, ONE, ONE, ONE, &x, &y, &z);
  EXPECT_EQ(x, 4 * ONE);
  EXPECT_EQ(y, -3 * ONE);
  EXPECT_EQ(z, 2 * ONE);
  // Sums beyond the 16.16 range saturate.
  set_error_number(0);
  apply_matrix(&c, 0x7FFF0000, 0, 0, &x, &y, &z);
  EXPECT_EQ(x, 0x7FFFFFFF);
  EXPECT_EQ(get_error_number(), ERANGE);
}

TEST(Matrix, CameraPutsTheViewerAtTheOriginLookingAlongZ) {
  // At (5, 0, 5) looking along -x with +y up: right on screen is world -z.
  matrix_f cam;
  ASSERT_EQ(get_camera_matrix_f(&cam, 5, 0, 5, -1, 0, 0, 0.3f, 1, 0), 0);
  expect_near(apply_f(cam, {5, 0, 5}), {0, 0, 0});
  expect_near(apply_f(cam, {2, 0, 5}), {0, 0, 3});   // ahead
  expect_near(apply_f(cam, {5, 2, 5}), {0, -2, 0});  // up is up on screen: y negative
  expect_near(apply_f(cam, {5, 0, 4}), {1, 0, 0});   // to the right
  matrix fixed_cam;
  ASSERT_EQ(get_camera_matrix(&fixed_cam, 5 * ONE, 0, 5 * ONE, -ONE, 0, 0, 0, ONE, 0), 0);
  fixed x, y, z;
  apply_matrix(&fixed_cam, 2 * ONE, 0, 5 * ONE, &x, &y, &z);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(z, 3 * ONE);
  // No front, or up along front: fails with the identity.
  set_error_number(0);
  EXPECT_EQ(get_camera_matrix_f(&cam, 0, 0, 0, 0, 0, 0, 0, 1, 0), -1);
  EXPECT_EQ(get_error_number(), EDOM);
  EXPECT_EQ(get_camera_matrix(&fixed_cam, 0, 0, 0, 0, ONE, 0, 0, 2 * ONE, 0), -1);
  EXPECT_EQ(std::memcmp(&fixed_cam, &identity_matrix, sizeof fixed_cam), 0);
}

TEST(Projection, PointsLandOnTheViewport) {
  set_projection_viewport(10, 20, 200, 100);
  float x = 0, y = 0;
  ASSERT_EQ(project_point_f(0, 0, 5, &x, &y), 0);
  EXPECT_FLOAT_EQ(x, 110);
  EXPECT_FLOAT_EQ(y, 70);
  ASSERT_EQ(project_point_f(5, -2.5f, 5, &x, &y), 0);
  EXPECT_FLOAT_EQ(x, 210);
  EXPECT_FLOAT_EQ(y, 20);
  fixed fx = 0, fy = 0;
  ASSERT_EQ(project_point(-5 * ONE, 5 * ONE, 10 * ONE, &fx, &fy), 0);
  EXPECT_EQ(fx, 60 * ONE);
  EXPECT_EQ(fy, 120 * ONE);
  // Behind the viewer, or not a number: -1, outputs untouched.
  set_error_number(0);
  EXPECT_EQ(project_point_f(1, 1, 0, &x, &y), -1);
  EXPECT_EQ(project_point_f(1, NAN, 1, &x, &y), -1);
  EXPECT_EQ(project_point(ONE, ONE, -ONE, &fx, &fy), -1);
  EXPECT_EQ(get_error_number(), EDOM);
  EXPECT_FLOAT_EQ(x, 210);
  EXPECT_EQ(fx, 60 * ONE);
  set_projection_viewport(0, 0, 320, 200);
}

TEST(Projection, BackFaceTestIsPositiveForClockwiseVertices) {
  v3d_f a = {0, 0, 1, 0, 0, 0}, b = {10, 0, 1, 0, 0, 0}, c = {10, 5, 1, 0, 0, 0};
  EXPECT_FLOAT_EQ(get_face_normal_z_f(&a, &b, &c), 50.0f);
  EXPECT_FLOAT_EQ(get_face_normal_z_f(&a, &c, &b), -50.0f);
  v3d fa = {0, 0, ONE, 0, 0, 0}, fb = {10 * ONE, 0, ONE, 0, 0, 0}, fc = {10 * ONE, 5 * ONE, ONE, 0, 0, 0};
  EXPECT_EQ(get_face_normal_z(&fa, &fb, &fc), 50 * ONE);
  EXPECT_EQ(get_face_normal_z(&fa, &fc, &fb), -50 * ONE);
  EXPECT_EQ(get_face_normal_z(&fa, nullptr, &fb), 0);
}

TEST(Clip3d, NearPlaneKeepsWhatIsInFrontAndInterpolatesEveryField) {
  // One vertex behind the near plane (z = 1): it is replaced by two on the plane.
  v3d_f a = {0.2f, 0.1f, 0.5f, 0, 10, 0x102030}, b = {1, -1, 4, 16, 0, 0x50A0F0},
        c = {-1, 2, 3, 8, 8, 0x000000};
  v3d_f *in[3] = {&a, &b, &c};
  v3d_f out[9];
  v3d_f *ptrs[9];
  const int n = clip_polygon_3d_f(POLY_GOURAUD_RGB, 32, 1.0f, 100.0f, 3, in, out, ptrs, 9);
  ASSERT_EQ(n, 4);
  int on_plane = 0;
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(ptrs[i], &out[i]);
    EXPECT_GE(out[i].z, 1.0f - 1e-6f);
    if (std::fabs(out[i].z - 1.0f) > 1e-6f) continue;
    ++on_plane;
    // On the edge from a towards b or c, at t = (1 - 0.5) / (z - 0.5).
    const v3d_f &q = std::fabs(out[i].u - (16 * 0.5f / 3.5f)) < 1e-4f ? b : c;
    const float t = 0.5f / (q.z - 0.5f);
    EXPECT_NEAR(out[i].x, a.x + (q.x - a.x) * t, 1e-5);
    EXPECT_NEAR(out[i].y, a.y + (q.y - a.y) * t, 1e-5);
    EXPECT_NEAR(out[i].u, a.u + (q.u - a.u) * t, 1e-5);
    EXPECT_NEAR(out[i].v, a.v + (q.v - a.v) * t, 1e-5);
    for (const int shift : {16, 8, 0}) {
      const float want = ((a.c >> shift) & 255) + (((q.c >> shift) & 255) - ((a.c >> shift) & 255)) * t;
      EXPECT_NEAR((out[i].c >> shift) & 255, want, 0.51) << shift;
    }
  }
  EXPECT_EQ(on_plane, 2);
  // Wholly behind: nothing; wholly inside: unchanged; too little room: -1.
  a.z = b.z = c.z = 0.5f;
  EXPECT_EQ(clip_polygon_3d_f(POLY_FLAT, 8, 1.0f, 100.0f, 3, in, out, ptrs, 9), 0);
  a.z = b.z = c.z = 3.0f;
  ASSERT_EQ(clip_polygon_3d_f(POLY_FLAT, 8, 1.0f, 100.0f, 3, in, out, nullptr, 9), 3);
  EXPECT_EQ(out[1].x, b.x);
  set_error_number(0);
  b.z = 0.5f;
  EXPECT_EQ(clip_polygon_3d_f(POLY_FLAT, 8, 1.0f, 100.0f, 3, in, out, ptrs, 3), -1);
  EXPECT_EQ(get_error_number(), EINVAL);
  EXPECT_EQ(clip_polygon_3d_f(POLY_FLAT, 8, 2.0f, 1.0f, 3, in, out, ptrs, 9), -1);
  EXPECT_EQ(clip_polygon_3d_f(POLY_FLAT, 8, 1.0f, 2.0f, 2, in, out, ptrs, 9), 0);
}

TEST(Clip3d, ACombThatCrossesTheNearPlaneOnEveryEdgeGrowsBeyondCountPlusSix) {
  // Twenty vertices alternately behind and in front of the near plane: each of the ten in front
  // stays and every edge adds a vertex on the plane, 30 in all.
  v3d_f comb[20];
  v3d_f *in[20];
  for (int i = 0; i < 20; ++i) {
    comb[i] = {-0.5f + 0.05f * static_cast<float>(i), 0.2f * static_cast<float>(i % 2),
               i % 2 ? 3.0f : 0.5f, 0, 0, 0};
    in[i] = &comb[i];
  }
  std::vector<v3d_f> out(240);
  ASSERT_EQ(clip_polygon_3d_f(POLY_FLAT, 8, 1.0f, 100.0f, 20, in, out.data(), nullptr, 240), 30);
  for (int i = 0; i < 30; ++i) EXPECT_GE(out[static_cast<size_t>(i)].z, 1.0f - 1e-6f) << i;
}

TEST(Clip3d, SidesCutToTheQuarterTurnViewAndColoursByDepth) {
  // A wide triangle reaching far past x = z and y = -z, in fixed point, Gouraud at 16 bits: the
  // colour of a new vertex is interpolated per component of the 16-bit colour.
  v3d a = {-20 * ONE, 0, 4 * ONE, 0, 0, 0}, b = {20 * ONE, -ONE, 4 * ONE, 0, 0, 0},
      c = {0, -20 * ONE, 4 * ONE, 0, 0, 0};
  a.c = make_color_depth(16, 0, 0, 248);
  b.c = make_color_depth(16, 248, 0, 0);
  c.c = make_color_depth(16, 0, 252, 0);
  v3d *in[3] = {&a, &b, &c};
  v3d out[9];
  const int n = clip_polygon_3d(POLY_GOURAUD, 16, ONE, 100 * ONE, 3, in, out, nullptr, 9);
  ASSERT_GE(n, 3);
  for (int i = 0; i < n; ++i) {
    EXPECT_LE(std::abs(out[i].x), out[i].z + 1) << i;
    EXPECT_LE(std::abs(out[i].y), out[i].z + 1) << i;
    // Between a (blue) and b (red) green stays 0 and red and blue add up to about 248.
    if (out[i].y > -ONE / 2 && out[i].y < 0) {
      EXPECT_EQ(get_green_depth(16, out[i].c), 0);
      EXPECT_NEAR(get_red_depth(16, out[i].c) + get_blue_depth(16, out[i].c), 255, 12);
    }
  }
}

}  // namespace
