// The 3D polygon renderer: choose_scanline_filler and the affine filler as designed; every polygon
// type at every depth, with and without the depth buffer, against a per-pixel reference renderer
// written here (coverage by edge functions with the top-left rule, values by barycentric
// interpolation at pixel centres); shared edges; intersecting polygons in the depth buffer; and
// input that must draw nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/draw.h"
#include "corvane/render3d.h"
#include "gfx/depth/scanline_fillers.h"
#include "support/bitmap_compare.h"

namespace {

using corvane::depth::choose_scanline_filler;
using corvane::depth::poly_span;
using corvane::depth::scanline_filler;
using corvane::testing::bitmap_matches;
using corvane::testing::bitmap_ptr;
using corvane::testing::bitmaps_equal;
using corvane::testing::capture;
using corvane::testing::make_bitmap;
using corvane::testing::mask_color_of;
using corvane::testing::paint;
using corvane::testing::random_image;
using corvane::testing::raw_pixel;
using corvane::testing::reference_image;

// ---- choose_scanline_filler ----------------------------------------------------------------------

TEST(ScanlineFillerChoice, FlagsTextureInformationAndTableAsDesigned) {
  const int flags8[15] = {0x01, 0x02, 0x04, 0x08, 0x70, 0x08, 0x70, 0x0A,
                          0x72, 0x0A, 0x72, 0x08, 0x70, 0x08, 0x70};
  const int depths[5] = {32, 24, 16, 15, 8};
  bitmap_ptr texture = make_bitmap(16, 48, 8);
  for (int row = 0; row < 5; ++row) {
    const int depth = depths[row];
    bitmap_ptr target = make_bitmap(depth, 4, 4);
    target->segment = 7;
    for (int type = -3; type < 40; ++type) {
      int t = type & ~16;
      t = std::clamp(t, 0, 14);
      const bool zbuf = (type & 16) != 0;
      int flags = 0;
      poly_span info{};
      const scanline_filler filler = choose_scanline_filler(type, &flags, &info, texture.get(), target.get());
      int want = flags8[t];
      if (depth != 8 && t == 1) want = 0x84;
      if (zbuf) want |= 0x110;
      EXPECT_EQ(flags, want) << depth << " " << type;
      const auto &entry = corvane::depth::scanline_filler_table[zbuf ? row : row + 5][t];
      EXPECT_EQ(filler, entry.filler);
      EXPECT_EQ(corvane::depth::alternative_scanline_filler, entry.alternative);
      // Perspective types carry the affine filler of the type before them.
      const bool perspective = t >= 4 && t % 2 == 0;
      EXPECT_EQ(entry.alternative,
                perspective ? corvane::depth::scanline_filler_table[zbuf ? row : row + 5][t - 1].filler
                            : nullptr);
      EXPECT_EQ(info.texture, texture->lines[0]);
      EXPECT_EQ(info.umask, 47u);
      EXPECT_EQ(info.vmask, 7u);
      EXPECT_EQ(info.vshift, 6u);  // 2^6 = 64 is the first power of two not below 48
      EXPECT_EQ(info.segment, 7);
    }
    // Every entry is filled; the flat type without the depth buffer has an empty routine of its own.
    for (int half = 0; half < 2; ++half) {
      for (int t = 0; t < 15; ++t) {
        EXPECT_NE(corvane::depth::scanline_filler_table[row + 5 * half][t].filler, nullptr);
      }
    }
    EXPECT_NE(corvane::depth::scanline_filler_table[row + 5][0].filler,
              corvane::depth::scanline_filler_table[row][0].filler);
  }
  // Without a texture the information is zero; an unknown depth has no filler.
  bitmap_ptr target = make_bitmap(32, 4, 4);
  int flags = 0;
  poly_span info{};
  info.umask = 99;
  choose_scanline_filler(3, &flags, &info, nullptr, target.get());
  EXPECT_EQ(info.texture, nullptr);
  EXPECT_EQ(info.umask | info.vmask | info.vshift, 0u);
  draw_vtable odd = *target->vtable;
  odd.color_depth = 12;
  target->vtable = &odd;
  EXPECT_EQ(choose_scanline_filler(3, &flags, &info, nullptr, target.get()), nullptr);
}

TEST(ScanlineFillerChoice, AffineFillerReadsTheTextureAsDesigned) {
  bitmap_ptr texture = make_bitmap(16, 8, 4);
  std::mt19937 rng(5);
  const reference_image texels = random_image(8, 4, 16, rng);
  paint(texture.get(), texels);
  bitmap_ptr target = make_bitmap(16, 40, 1);
  int flags = 0;
  poly_span span{};
  const scanline_filler filler = choose_scanline_filler(3, &flags, &span, texture.get(), target.get());
  span.u = static_cast<uint32_t>(-0x35000);  // negative coordinates wrap round the texture
  span.v = 0x18000;
  span.du = 0x14000;
  span.dv = static_cast<uint32_t>(-0x9000);
  filler(target->lines[0], 40, &span);
  uint32_t u = span.u, v = span.v;
  for (int i = 0; i < 40; ++i, u += span.du, v += span.dv) {
    const int32_t su = static_cast<int32_t>(u), sv = static_cast<int32_t>(v);
    const int tx = (su >> 16) & 7, ty = (sv >> 16) & 3;
    EXPECT_EQ(raw_pixel(target.get(), i, 0), texels.at(tx, ty)) << i;
  }
}

// ---- The reference renderer ----------------------------------------------------------------------

struct ref_vertex {
  double x, y, z, u, v;
  int c;
};

// Pixel centres inside a convex polygon: every edge function positive, or zero on an edge whose
// inside lies to its right (a left edge) or below it (a top edge).
bool covers(const std::vector<ref_vertex> &p, double px, double py) {
  double area = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const ref_vertex &a = p[i], &b = p[(i + 1) % p.size()];
    area += a.x * b.y - b.x * a.y;
  }
  if (area == 0) return false;
  const double sign = area > 0 ? 1.0 : -1.0;
  for (size_t i = 0; i < p.size(); ++i) {
    const ref_vertex &a = p[i], &b = p[(i + 1) % p.size()];
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double e = sign * (dx * (py - a.y) - dy * (px - a.x));
    if (e > 0) continue;
    if (e < 0) return false;
    const double nx = -sign * dy, ny = sign * dx;  // towards the inside
    if (!(nx > 0 || (nx == 0 && ny > 0))) return false;
  }
  return true;
}

// Barycentric weights of (px, py) in a triangle.
void weights(const std::vector<ref_vertex> &t, double px, double py, double w[3]) {
  const double d = (t[1].y - t[2].y) * (t[0].x - t[2].x) + (t[2].x - t[1].x) * (t[0].y - t[2].y);
  w[0] = ((t[1].y - t[2].y) * (px - t[2].x) + (t[2].x - t[1].x) * (py - t[2].y)) / d;
  w[1] = ((t[2].y - t[0].y) * (px - t[2].x) + (t[0].x - t[2].x) * (py - t[2].y)) / d;
  w[2] = 1.0 - w[0] - w[1];
}

uint32_t scramble(uint32_t x, uint32_t y, uint32_t n) { return (x * 3u + y * 5u + n * 7u) ^ 0x5A5A5Au; }

int type_index(int type) { return std::clamp(type & ~16, 0, 14); }
bool perspective(int t) { return t >= 4 && t % 2 == 0; }
bool masked(int t) { return t == 5 || t == 6 || t == 9 || t == 10 || t == 13 || t == 14; }
bool lit(int t) { return t >= 7 && t <= 10; }
bool translucent(int t) { return t >= 11; }

class PolygonTypeTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    depth_ = GetParam();
    rng_.seed(static_cast<unsigned>(depth_) + 11);
    set_color_depth(depth_ == 8 ? 32 : depth_);
    shade_.resize(65536);
    for (auto &s : shade_) s = static_cast<unsigned char>(rng_());
    shade_table = shade_.data();
    set_blend_hooks_ex(scramble, scramble, scramble, scramble, scramble, scramble, scramble, 0x12,
                       0x34, 0x56, 77);
    texture_ = make_bitmap(depth_, 8, 8);
    texels_ = random_image(8, 8, depth_, rng_, 0.25);
    paint(texture_.get(), texels_);
    background_ = random_image(W, H, depth_, rng_);
  }
  void TearDown() override {
    shade_table = nullptr;
    set_depth_buffer(nullptr);
  }

  uint32_t blend_color() const {
    switch (depth_) {
      case 15: return blend_color15;
      case 16: return blend_color16;
      case 24: return blend_color24;
      default: return blend_color32;
    }
  }
  int pack(double r, double g, double b) const {
    return make_color_depth(depth_, static_cast<int>(std::floor(r + 0.5)),
                            static_cast<int>(std::floor(g + 0.5)), static_cast<int>(std::floor(b + 0.5)));
  }

  // What a polygon of the type draws on the background, pixel by pixel.
  reference_image reference(int type, const std::vector<ref_vertex> &t, int clip_left = 0) const {
    const int ti = type_index(type);
    reference_image want = background_;
    for (int y = 0; y < H; ++y) {
      for (int x = clip_left; x < W; ++x) {
        const double px = x + 0.5, py = y + 0.5;
        if (!covers(t, px, py)) continue;
        double w[3];
        weights(t, px, py, w);
        const auto at = [&](auto field) {
          return w[0] * field(t[0]) + w[1] * field(t[1]) + w[2] * field(t[2]);
        };
        uint32_t pixel = 0;
        if (ti == 0) {
          pixel = static_cast<uint32_t>(t[0].c);
        } else if (ti == 1 && depth_ == 8) {
          pixel = static_cast<uint32_t>(std::floor(at([](const ref_vertex &p) { return p.c; }) + 0.5));
        } else if (ti == 1) {
          pixel = static_cast<uint32_t>(
              pack(at([&](const ref_vertex &p) { return get_red_depth(depth_, p.c); }),
                   at([&](const ref_vertex &p) { return get_green_depth(depth_, p.c); }),
                   at([&](const ref_vertex &p) { return get_blue_depth(depth_, p.c); })));
        } else if (ti == 2) {
          pixel = static_cast<uint32_t>(pack(at([](const ref_vertex &p) { return (p.c >> 16) & 255; }),
                                             at([](const ref_vertex &p) { return (p.c >> 8) & 255; }),
                                             at([](const ref_vertex &p) { return p.c & 255; })));
        } else {
          double u = at([](const ref_vertex &p) { return p.u; });
          double v = at([](const ref_vertex &p) { return p.v; });
          if (perspective(ti)) {
            const double iz = at([](const ref_vertex &p) { return 1.0 / p.z; });
            u = at([](const ref_vertex &p) { return p.u / p.z; }) / iz;
            v = at([](const ref_vertex &p) { return p.v / p.z; }) / iz;
          }
          const uint32_t texel = texels_.at(static_cast<int>(std::floor(u)) & 7,
                                            static_cast<int>(std::floor(v)) & 7);
          if (masked(ti) && texel == mask_color_of(depth_)) continue;
          const uint32_t old = want.at(x, y);
          const auto level = static_cast<uint32_t>(t[0].c);
          if (lit(ti)) {
            pixel = depth_ == 8 ? shade_[level * 256 + texel] : scramble(blend_color(), texel, level);
          } else if (translucent(ti)) {
            pixel = depth_ == 8 ? shade_[texel * 256 + old] : scramble(texel, old, 77);
          } else {
            pixel = texel;
          }
          pixel &= corvane::testing::depth_value_mask(depth_);
          if (depth_ == 24) pixel &= 0xFFFFFF;
        }
        want.at(x, y) = pixel;
      }
    }
    return want;
  }

  // The polygon's values on planes: texture coordinates that put every pixel centre on a texel
  // centre, colours that are whole numbers at vertices on quarter pixels and at pixel centres.
  ref_vertex at(double x, double y, double z, int type) {
    const int ti = type_index(type);
    ref_vertex p{x, y, z, 2 * x + y, x - y + 0.5, 0};
    const int r = static_cast<int>(20 + 4 * x + 4 * y);
    const int g = static_cast<int>(220 - 4 * x - 4 * y);
    const int b = static_cast<int>(130 + 4 * x - 4 * y);
    if (ti == 0) p.c = static_cast<int>(rng_() & corvane::testing::depth_value_mask(depth_));
    if (ti == 1) p.c = depth_ == 8 ? static_cast<int>(40 + 4 * x + 4 * y) : make_color_depth(depth_, r, g, b);
    if (ti == 2) p.c = (r << 16) | (g << 8) | b;
    if (lit(ti)) p.c = 93;
    return p;
  }

  // Whether a masked type skips the pixel centre: the texel under it is the mask colour.
  bool skips(int type, const std::vector<ref_vertex> &t, int x, int y) const {
    if (!masked(type_index(type))) return false;
    double w[3];
    weights(t, x + 0.5, y + 0.5, w);
    const double u = w[0] * t[0].u + w[1] * t[1].u + w[2] * t[2].u;
    const double v = w[0] * t[0].v + w[1] * t[1].v + w[2] * t[2].v;
    return texels_.at(static_cast<int>(std::floor(u)) & 7, static_cast<int>(std::floor(v)) & 7) ==
           mask_color_of(depth_);
  }

  void draw(bitmap *target, int type, const std::vector<ref_vertex> &t, bool as_float) {
    if (as_float) {
      std::vector<v3d_f> vs;
      for (const auto &p : t) {
        vs.push_back({static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z),
                      static_cast<float>(p.u), static_cast<float>(p.v), p.c});
      }
      draw_triangle_3d_f(target, type, texture_.get(), &vs[0], &vs[1], &vs[2]);
    } else {
      std::vector<v3d> vs;
      for (const auto &p : t) {
        vs.push_back({static_cast<fixed>(p.x * 65536), static_cast<fixed>(p.y * 65536),
                      static_cast<fixed>(p.z * 65536), static_cast<fixed>(std::lround(p.u * 65536)),
                      static_cast<fixed>(std::lround(p.v * 65536)), p.c});
      }
      draw_triangle_3d(target, type, texture_.get(), &vs[0], &vs[1], &vs[2]);
    }
  }

  // Gouraud types are compared per component within one step of the depth.
  ::testing::AssertionResult close_colors(const bitmap *got, const reference_image &want) const {
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        const int a = static_cast<int>(raw_pixel(got, x, y));
        const int b = static_cast<int>(want.at(x, y));
        const int step = 9;
        if (std::abs(get_red_depth(depth_, a) - get_red_depth(depth_, b)) > step ||
            std::abs(get_green_depth(depth_, a) - get_green_depth(depth_, b)) > step ||
            std::abs(get_blue_depth(depth_, a) - get_blue_depth(depth_, b)) > step) {
          return ::testing::AssertionFailure() << "at " << x << "," << y << ": " << a << " vs " << b;
        }
      }
    }
    return ::testing::AssertionSuccess();
  }

  static constexpr int W = 26;
  static constexpr int H = 20;
  int depth_ = 8;
  std::mt19937 rng_;
  std::vector<unsigned char> shade_;
  bitmap_ptr texture_;
  reference_image texels_;
  reference_image background_;
};

// Triangles on quarter pixels: sloped edges, a horizontal top and bottom, a vertex on a pixel
// centre, one cut by the left of the clip rectangle and the bitmap's bottom.
std::vector<std::vector<double>> triangle_places() {
  return {{2.25, 1.5, 20.75, 4.0, 9.5, 17.25},
          {3.0, 2.0, 22.0, 2.0, 12.5, 15.5},
          {4.5, 18.0, 14.5, 5.5, 24.0, 18.0},
          {-6.0, 3.25, 10.75, 9.5, 1.25, 24.5}};
}

TEST_P(PolygonTypeTest, EveryTypeMatchesTheReference) {
  const double z = 2.0;  // a power of two: perspective types divide exactly
  for (int type = 0; type < 15; ++type) {
    for (const auto &place : triangle_places()) {
      std::vector<ref_vertex> tri;
      for (int i = 0; i < 3; ++i) tri.push_back(at(place[2 * i], place[2 * i + 1], z, type));
      const reference_image want = reference(type, tri, 1);
      for (const bool as_float : {false, true}) {
        for (const bool zbuf : {false, true}) {
          bitmap_ptr target = make_bitmap(depth_, W, H);
          paint(target.get(), background_);
          set_clip_area(target.get(), 1, 0, W - 1, H - 1);
          depth_buffer *buffer = create_depth_buffer(target.get());
          ASSERT_NE(buffer, nullptr);
          set_depth_buffer(buffer);
          draw(target.get(), type | (zbuf ? POLY_DEPTH_BUFFER : 0), tri, as_float);
          const std::string what = "type " + std::to_string(type) + (zbuf ? " zbuf" : "") +
                                   (as_float ? " float" : " fixed") + " at " + std::to_string(place[0]);
          if (type == 1 && (depth_ == 15 || depth_ == 16)) {
            // Vertex colours lose their low bits when packed: the values between are compared
            // within one step of the depth.
            EXPECT_TRUE(close_colors(target.get(), want)) << what;
          } else {
            EXPECT_TRUE(bitmap_matches(target.get(), want)) << what;
          }
          // The depth buffer holds 1 / z where a depth-buffered polygon drew, and nothing else.
          for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
              float stored;
              std::memcpy(&stored, buffer->lines[y] + 4 * x, 4);
              const bool drew = zbuf && x >= 1 && covers(tri, x + 0.5, y + 0.5) && !skips(type, tri, x, y);
              ASSERT_EQ(stored, drew ? 0.5f : 0.0f) << what << " at " << x << "," << y;
            }
          }
          set_depth_buffer(nullptr);
          destroy_depth_buffer(buffer);
        }
      }
    }
  }
}

TEST_P(PolygonTypeTest, PerspectiveTypesFollowTheExactDivision) {
  // A triangle leaning away: z from 1 to 8. Each pixel shows the texel under the exact
  // perspective-correct coordinates, or (where a run is drawn linearly within half a texel of
  // them) a neighbour; most show the exact one, and far more than the affine type would.
  std::vector<ref_vertex> tri = {{1.0, 1.0, 1.0, 0, 0, 93}, {25.0, 2.0, 8.0, 30.0, 3.0, 93},
                                 {4.0, 19.0, 2.0, 2.0, 21.0, 93}};
  for (const int type : {POLY_TEXTURE_PERSP, POLY_TEXTURE_PERSP_MASK, POLY_TEXTURE_PERSP_LIT}) {
    const reference_image exact = reference(type, tri);
    const reference_image affine = reference(type - 1, tri);
    bitmap_ptr target = make_bitmap(depth_, W, H);
    paint(target.get(), background_);
    draw(target.get(), type, tri, true);
    const reference_image got = capture(target.get());
    int same = 0, affine_same = 0, covered = 0;
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        if (!covers(tri, x + 0.5, y + 0.5)) {
          EXPECT_EQ(got.at(x, y), background_.at(x, y));
          continue;
        }
        ++covered;
        same += got.at(x, y) == exact.at(x, y);
        affine_same += affine.at(x, y) == exact.at(x, y);
      }
    }
    EXPECT_GE(same * 10, covered * 9) << type;
    EXPECT_GT(same, affine_same) << type;
  }
}

INSTANTIATE_TEST_SUITE_P(AllDepths, PolygonTypeTest, ::testing::Values(8, 15, 16, 24, 32),
                         [](const auto &p) { return "depth" + std::to_string(p.param); });

// ---- Shared edges, depth buffer, quads -----------------------------------------------------------

// Counts how often each pixel is drawn: the translucent type with a blender that adds one.
uint32_t add_one(uint32_t, uint32_t y, uint32_t) { return y + 1; }

TEST(Polygon3d, SharedEdgesNeitherOverlapNorLeaveGaps) {
  set_blend_hooks_ex(add_one, add_one, add_one, add_one, add_one, add_one, add_one, 0, 0, 0, 0);
  bitmap_ptr texture = make_bitmap(32, 4, 4);
  clear_to_color(texture.get(), 5);
  bitmap_ptr target = make_bitmap(32, 64, 64);
  clear_to_color(target.get(), 0);
  // A grid of quads with jittered corners (quarter and odd positions), each split in two
  // triangles along alternating diagonals, plus a fan round a point exactly on a pixel centre.
  std::mt19937 rng(9);
  std::uniform_real_distribution<float> jitter(-2.4f, 2.4f);
  v3d_f grid[7][7];
  for (int j = 0; j < 7; ++j) {
    for (int i = 0; i < 7; ++i) {
      grid[j][i] = {4.0f + 9.0f * static_cast<float>(i) + (i % 6 ? jitter(rng) : 0.0f),
                    4.0f + 9.0f * static_cast<float>(j) + (j % 6 ? jitter(rng) : 0.0f), 1.0f, 0, 0, 0};
    }
  }
  grid[3][3].x = 31.5f;
  grid[3][3].y = 31.5f;
  for (int j = 0; j < 6; ++j) {
    for (int i = 0; i < 6; ++i) {
      v3d_f *a = &grid[j][i], *b = &grid[j][i + 1], *c = &grid[j + 1][i + 1], *d = &grid[j + 1][i];
      if ((i + j) % 2 == 0) {
        draw_triangle_3d_f(target.get(), POLY_TEXTURE_TRANS, texture.get(), a, b, c);
        draw_triangle_3d_f(target.get(), POLY_TEXTURE_TRANS, texture.get(), c, d, a);
      } else {
        draw_triangle_3d_f(target.get(), POLY_TEXTURE_TRANS, texture.get(), b, c, d);
        draw_triangle_3d_f(target.get(), POLY_TEXTURE_TRANS, texture.get(), d, a, b);
      }
    }
  }
  // Inside the outer square every pixel is drawn exactly once, outside never.
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool inside = x >= 4 && x < 58 && y >= 4 && y < 58;
      ASSERT_EQ(get_pixel(target.get(), x, y), inside ? 1 : 0) << x << "," << y;
    }
  }
}

TEST(Polygon3d, QuadsDrawWhatTheirTwoTrianglesDraw) {
  bitmap_ptr texture = make_bitmap(32, 16, 16);
  std::mt19937 rng(4);
  paint(texture.get(), random_image(16, 16, 32, rng));
  v3d_f q[4] = {{3.25f, 2.5f, 1, 0, 0, 0}, {28.5f, 5.0f, 1, 25, 2, 0}, {26.0f, 27.75f, 1, 23, 25, 0},
                {1.5f, 22.0f, 1, 0, 20, 0}};
  bitmap_ptr a = make_bitmap(32, 32, 32);
  bitmap_ptr b = make_bitmap(32, 32, 32);
  clear_to_color(a.get(), 0);
  clear_to_color(b.get(), 0);
  // The texture coordinates follow one affine map (pixel centres on texel centres), so both fill
  // the same values.
  for (auto &v : q) {
    v.u = 2.0f * v.x + v.y;
    v.v = v.x - v.y + 0.5f;
  }
  draw_quad_3d_f(a.get(), POLY_TEXTURE, texture.get(), &q[0], &q[1], &q[2], &q[3]);
  draw_triangle_3d_f(b.get(), POLY_TEXTURE, texture.get(), &q[0], &q[1], &q[2]);
  draw_triangle_3d_f(b.get(), POLY_TEXTURE, texture.get(), &q[2], &q[3], &q[0]);
  EXPECT_TRUE(bitmaps_equal(a.get(), b.get()));
}

TEST(Polygon3d, IntersectingTrianglesShowTheNearerAtEveryPixel) {
  bitmap_ptr target = make_bitmap(32, 40, 40);
  depth_buffer *buffer = create_depth_buffer(target.get());
  ASSERT_NE(buffer, nullptr);
  // Two triangles crossing each other in depth: A leans from near at the left to far at the
  // right, B the other way.
  v3d_f a[3] = {{2, 2, 1, 0, 0, 0x0000FF}, {38, 6, 9, 0, 0, 0x0000FF}, {4, 37, 1, 0, 0, 0x0000FF}};
  v3d_f b[3] = {{3, 5, 9, 0, 0, 0xFF0000}, {37, 3, 1, 0, 0, 0xFF0000}, {35, 38, 1, 0, 0, 0xFF0000}};
  std::vector<ref_vertex> ra, rb;
  for (const auto &v : a) ra.push_back({v.x, v.y, v.z, 0, 0, 0});
  for (const auto &v : b) rb.push_back({v.x, v.y, v.z, 0, 0, 0});
  const auto inverse_z = [](const std::vector<ref_vertex> &t, double px, double py) {
    // 1/z is linear on the screen: solve its plane through the three vertices.
    const double x1 = t[1].x - t[0].x, y1 = t[1].y - t[0].y, z1 = 1 / t[1].z - 1 / t[0].z;
    const double x2 = t[2].x - t[0].x, y2 = t[2].y - t[0].y, z2 = 1 / t[2].z - 1 / t[0].z;
    const double d = x1 * y2 - x2 * y1;
    const double gx = (z1 * y2 - z2 * y1) / d, gy = (x1 * z2 - x2 * z1) / d;
    return 1 / t[0].z + gx * (px - t[0].x) + gy * (py - t[0].y);
  };
  for (const bool a_first : {true, false}) {
    clear_to_color(target.get(), 0);
    clear_depth_buffer(buffer, 0.0f);
    set_depth_buffer(buffer);
    const int type = POLY_FLAT | POLY_DEPTH_BUFFER;
    if (a_first) {
      draw_triangle_3d_f(target.get(), type, nullptr, &a[0], &a[1], &a[2]);
      draw_triangle_3d_f(target.get(), type, nullptr, &b[0], &b[1], &b[2]);
    } else {
      draw_triangle_3d_f(target.get(), type, nullptr, &b[0], &b[1], &b[2]);
      draw_triangle_3d_f(target.get(), type, nullptr, &a[0], &a[1], &a[2]);
    }
    int both = 0;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        const double px = x + 0.5, py = y + 0.5;
        const bool in_a = covers(ra, px, py), in_b = covers(rb, px, py);
        int want = in_a ? 0x0000FF : 0;
        if (in_b) want = 0xFF0000;
        if (in_a && in_b) {
          const double za = inverse_z(ra, px, py), zb = inverse_z(rb, px, py);
          if (std::fabs(za - zb) < 1e-4) continue;  // too close to call in single precision
          want = za > zb ? 0x0000FF : 0xFF0000;
          ++both;
        }
        ASSERT_EQ(get_pixel(target.get(), x, y), want) << x << "," << y << " a first " << a_first;
      }
    }
    EXPECT_GT(both, 100);
  }
  set_depth_buffer(nullptr);
  destroy_depth_buffer(buffer);
}

// ---- Input that draws nothing --------------------------------------------------------------------

TEST(Polygon3d, BadInputDrawsNothing) {
  bitmap_ptr target = make_bitmap(16, 30, 30);
  clear_to_color(target.get(), 0x1234);
  const reference_image before = capture(target.get());
  bitmap_ptr texture = make_bitmap(16, 8, 8);
  clear_to_color(texture.get(), 0x4321);
  bitmap_ptr odd = make_bitmap(16, 6, 5);  // sides that are not powers of two
  clear_to_color(odd.get(), 0x4321);
  bitmap_ptr deep = make_bitmap(32, 8, 8);  // another depth
  bitmap_ptr parent = make_bitmap(16, 16, 8);
  bitmap_ptr narrow(create_subbitmap(parent.get(), 4, 0, 8, 8));  // rows apart in memory
  v3d_f a = {2, 2, 1, 0, 0, 1}, b = {25, 4, 1, 8, 0, 1}, c = {5, 27, 1, 0, 8, 1};
  v3d_f *tri[3] = {&a, &b, &c};
  bitmap *textures[] = {nullptr, odd.get(), deep.get(), narrow.get()};
  for (bitmap *t : textures) {
    for (int type = POLY_TEXTURE; type <= POLY_TEXTURE_PERSP_MASK_TRANS; ++type) {
      draw_polygon_3d_f(target.get(), type, t, 3, tri);
    }
  }
  // Fewer than three vertices, a null vertex, no area, repeated vertices.
  draw_polygon_3d_f(target.get(), POLY_FLAT, nullptr, 2, tri);
  draw_polygon_3d_f(target.get(), POLY_FLAT, nullptr, -1, tri);
  draw_polygon_3d_f(target.get(), POLY_FLAT, nullptr, 3, nullptr);
  draw_triangle_3d_f(target.get(), POLY_FLAT, nullptr, &a, nullptr, &c);
  v3d_f line_end = {48, 6, 1, 0, 0, 1};
  draw_triangle_3d_f(target.get(), POLY_FLAT, nullptr, &a, &b, &line_end);
  draw_triangle_3d_f(target.get(), POLY_FLAT, nullptr, &a, &a, &a);
  draw_triangle_3d_f(target.get(), POLY_FLAT, nullptr, &a, &b, &a);
  draw_quad_3d_f(target.get(), POLY_FLAT, nullptr, &a, &a, &b, &b);
  // Not-a-number, infinite and huge coordinates; z not above 0 where z counts.
  depth_buffer *buffer = create_depth_buffer(target.get());
  ASSERT_NE(buffer, nullptr);
  set_depth_buffer(buffer);
  for (const float bad : {NAN, INFINITY, -INFINITY, 1e30f}) {
    for (int field = 0; field < 5; ++field) {
      v3d_f p = b;
      float *fields[5] = {&p.x, &p.y, &p.z, &p.u, &p.v};
      *fields[field] = bad;
      for (const int type : {POLY_FLAT, POLY_TEXTURE, POLY_TEXTURE_PERSP | POLY_DEPTH_BUFFER}) {
        draw_triangle_3d_f(target.get(), type, texture.get(), &a, &p, &c);
      }
    }
  }
  v3d_f behind = b;
  behind.z = 0;
  draw_triangle_3d_f(target.get(), POLY_TEXTURE_PERSP, texture.get(), &a, &behind, &c);
  behind.z = -3;
  draw_triangle_3d_f(target.get(), POLY_FLAT | POLY_DEPTH_BUFFER, texture.get(), &a, &behind, &c);
  // A depth-buffered type without a current depth buffer; lit and translucent types without a
  // blender.
  set_depth_buffer(nullptr);
  destroy_depth_buffer(buffer);
  EXPECT_EQ(create_depth_buffer(nullptr), nullptr);
  draw_triangle_3d_f(target.get(), POLY_GOURAUD | POLY_DEPTH_BUFFER, nullptr, &a, &b, &c);
  set_blend_hooks_ex(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0);
  draw_triangle_3d_f(target.get(), POLY_TEXTURE_LIT, texture.get(), &a, &b, &c);
  draw_triangle_3d_f(target.get(), POLY_TEXTURE_PERSP_TRANS, texture.get(), &a, &b, &c);
  draw_triangle_3d_f(nullptr, POLY_FLAT, nullptr, &a, &b, &c);
  EXPECT_TRUE(bitmap_matches(target.get(), before));

  // Huge coordinates within the limit are drawn, cut to the clip rectangle.
  set_clip_area(target.get(), 5, 5, 24, 24);
  v3d_f h1 = {-1e6f, -1e6f, 1, 0, 0, 0x777}, h2 = {1e6f, -1e5f, 1, 0, 0, 0x777},
        h3 = {0, 1e6f, 1, 0, 0, 0x777};
  draw_triangle_3d_f(target.get(), POLY_FLAT, nullptr, &h1, &h2, &h3);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      const bool inside = x >= 5 && x <= 24 && y >= 5 && y <= 24;
      ASSERT_EQ(get_pixel(target.get(), x, y), inside ? 0x777 : 0x1234) << x << "," << y;
    }
  }
}

TEST(Polygon3d, FlatTypeWithoutDepthBufferObeysTheDrawingMode) {
  bitmap_ptr target = make_bitmap(8, 20, 20);
  clear_to_color(target.get(), 0x0F);
  v3d a = {0, 0, 0x10000, 0, 0, 0x33}, b = {20 << 16, 0, 0x10000, 0, 0, 0},
      c = {0, 20 << 16, 0x10000, 0, 0, 0};
  set_draw_mode(MODE_XOR, nullptr, 0, 0);
  draw_triangle_3d(target.get(), POLY_FLAT, nullptr, &a, &b, &c);
  set_draw_mode(MODE_SOLID, nullptr, 0, 0);
  EXPECT_EQ(get_pixel(target.get(), 1, 1), 0x0F ^ 0x33);
  EXPECT_EQ(get_pixel(target.get(), 19, 19), 0x0F);
}

}  // namespace
