// A textured, lit, depth-buffered cube through the whole 3D path -- model and camera matrices,
// near-plane and view-volume clipping, projection onto the viewport, perspective-correct lit
// polygons with the depth buffer -- at 8 and 32 bits, compared exactly with golden PNG images.
// The camera stands close enough for the nearest corner to be cut by the near plane.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/matrix.h"
#include "corvane/render3d.h"
#include "support/bitmap_compare.h"
#include "support/golden_png.h"

namespace {

using corvane::testing::bitmap_ptr;
using corvane::testing::make_bitmap;
using corvane::testing::matches_golden_png;

constexpr int SIZE = 64;

// 3-3-2 palette: red and green in eight steps, blue in four (6-bit components).
void make_palette(rgb_entry *pal) {
  for (int i = 0; i < 256; ++i) {
    pal[i].r = static_cast<unsigned char>((i >> 5) * 9);
    pal[i].g = static_cast<unsigned char>(((i >> 2) & 7) * 9);
    pal[i].b = static_cast<unsigned char>((i & 3) * 21);
  }
}

// A 16x16 texture: a checker of two colours with a diagonal stripe.
void paint_texture(bitmap *texture) {
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      int r = ((x / 4 + y / 4) % 2) ? 250 : 60;
      int g = ((x / 4 + y / 4) % 2) ? 200 : 120;
      int b = 40;
      if (x == y) r = g = b = 255;
      put_pixel(texture, x, y, make_color_depth(bitmap_color_depth(texture), r, g, b));
    }
  }
}

class CubeScene : public ::testing::TestWithParam<int> {};

TEST_P(CubeScene, TexturedLitDepthBufferedCube) {
  const int depth = GetParam();
  set_color_depth(depth);
  palette pal;
  std::vector<unsigned char> light(65536);
  if (depth == 8) {
    make_palette(pal);
    std::memcpy(current_palette, pal, sizeof pal);
    build_light_table(light.data(), pal, 0, 0, 0, nullptr);
    shade_table = light.data();
  } else {
    select_mix_blend(0, 0, 0, 0);  // lit toward black: level 255 is black
  }
  bitmap_ptr canvas = make_bitmap(depth, SIZE, SIZE);
  clear_to_color(canvas.get(), make_color_depth(depth, 20, 30, 60));
  bitmap_ptr texture = make_bitmap(depth, 16, 16);
  paint_texture(texture.get());
  depth_buffer *buffer = create_depth_buffer(canvas.get());
  ASSERT_NE(buffer, nullptr);
  set_depth_buffer(buffer);

  set_projection_viewport(0, 0, SIZE, SIZE);
  matrix_f turn_y, turn_x, model, camera, all;
  get_y_rotation_matrix_f(&turn_y, 35.0f);
  get_x_rotation_matrix_f(&turn_x, -25.0f);
  multiply_matrices_f(&turn_y, &turn_x, &model);
  ASSERT_EQ(get_camera_matrix_f(&camera, 0.2f, -0.1f, -3.0f, 0, 0, 1, 0, 1, 0), 0);
  multiply_matrices_f(&model, &camera, &all);

  static const float corners[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                      {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
  static const int faces[6][4] = {{0, 1, 2, 3}, {5, 4, 7, 6}, {4, 0, 3, 7},
                                  {1, 5, 6, 2}, {4, 5, 1, 0}, {3, 2, 6, 7}};
  static const float uv[4][2] = {{0, 0}, {16, 0}, {16, 16}, {0, 16}};
  int drawn = 0;
  for (int f = 0; f < 6; ++f) {
    v3d_f in[4];
    v3d_f *in_pointers[4];
    for (int k = 0; k < 4; ++k) {
      const float *p = corners[faces[f][k]];
      v3d_f &v = in[k];
      apply_matrix_f(&all, p[0], p[1], p[2], &v.x, &v.y, &v.z);
      v.u = uv[k][0];
      v.v = uv[k][1];
      const int brightness = 110 + 25 * (f % 3) + 30 * k;  // light varies over each face
      v.c = depth == 8 ? brightness : 255 - brightness;
      in_pointers[k] = &v;
    }
    v3d_f out[10];
    v3d_f *out_pointers[10];
    const int n = clip_polygon_3d_f(POLY_TEXTURE_PERSP_LIT, depth, 1.6f, 100.0f, 4, in_pointers, out,
                                    out_pointers, 10);
    ASSERT_GE(n, 0);
    for (int k = 0; k < n; ++k) {
      ASSERT_EQ(project_point_f(out[k].x, out[k].y, out[k].z, &out[k].x, &out[k].y), 0);
    }
    if (n >= 3) {
      draw_polygon_3d_f(canvas.get(), POLY_TEXTURE_PERSP_LIT | POLY_DEPTH_BUFFER, texture.get(), n,
                        out_pointers);
      ++drawn;
    }
  }
  EXPECT_GE(drawn, 3);
  EXPECT_TRUE(matches_golden_png(canvas.get(), "cube_" + std::to_string(depth) + "bpp"));
  set_depth_buffer(nullptr);
  destroy_depth_buffer(buffer);
  shade_table = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Depths, CubeScene, ::testing::Values(8, 32),
                         [](const auto &p) { return "depth" + std::to_string(p.param); });

}  // namespace
