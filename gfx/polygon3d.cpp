// The 3D polygon renderer behind slots 55 to 60: edges and spans of a polygon, handed row by row
// to the scan-line filler that choose_scanline_filler picks for the polygon type and target.
//
// Geometry is computed in double precision from the vertices as given. Each edge is taken from
// its upper end to its lower end whichever polygon it belongs to, and its x on a row centre is
// always computed by the same expression from that end, so two polygons sharing an edge find the
// same x on every row: with pixel centres on the left edge inside and on the right edge outside
// (rows likewise: on the top inside, on the bottom outside) they neither overlap nor leave a gap.
// The values a type interpolates are interpolated down each edge, then across the span between
// the left and right edge, and set up for the filler at the first pixel centre of the span.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/render3d.h"
#include "gfx/depth/pixel_routines.h"
#include "gfx/depth/scanline_fillers.h"
#include "gfx/primitives.h"
#include "gfx/render3d_internal.h"

namespace corvane {
namespace {

using depth::poly_span;
using depth::scanline_filler;

// Coordinates beyond this draw nothing: it keeps every product of the set-up well inside the
// precision of a double and every texture coordinate inside what the fillers wrap.
constexpr double coordinate_limit = 16777216.0;

// The values a polygon type interpolates, by slot: c, r, g, b, 1/z, then u and v (or u/z, v/z).
enum value_slot { slot_c, slot_r, slot_g, slot_b, slot_z, slot_u, slot_v, slot_count };

struct vertex {
  double x;
  double y;
  double z;
  double u;
  double v;
  int c;
};

struct edge {
  double top_y;
  double bottom_y;
  double top_x;
  double dx;  // x per unit of y
  int first_row;
  int end_row;
  double value[slot_count];
  double step[slot_count];  // per unit of y
};

// Where an edge crosses a row centre, with its values there.
struct crossing {
  double x;
  const double *value;  // into the scratch below
};

bool finite_within_limit(double value) noexcept {
  return std::isfinite(value) && std::fabs(value) <= coordinate_limit;
}

bool power_of_two(int n) noexcept { return n > 0 && (n & (n - 1)) == 0; }

// A texture the fillers can read: the target's depth, power-of-two sides of at most 65536, rows
// following each other in memory.
bool usable_texture(const bitmap *texture, int depth) noexcept {
  if (texture == nullptr || texture->vtable == nullptr || texture->vtable->color_depth != depth) {
    return false;
  }
  if (!power_of_two(texture->width) || !power_of_two(texture->height) || texture->width > 65536 ||
      texture->height > 65536) {
    return false;
  }
  const size_t stride = static_cast<size_t>(texture->width) *
                        static_cast<size_t>(bytes_per_pixel_of_depth(depth));
  for (int row = 1; row < texture->height; ++row) {
    if (texture->lines[row] != texture->lines[0] + stride * static_cast<size_t>(row)) return false;
  }
  return true;
}

// Lit and translucent types need the depth's blender hook, or shade_table at 8 bits.
bool blending_ready(int type_index, int depth) noexcept {
  if (type_index < 7) return true;
  switch (depth) {
    case 8: return shade_table != nullptr;
    case 15: return blend_hook15 != nullptr;
    case 16: return blend_hook16 != nullptr;
    case 24: return blend_hook24 != nullptr;
    default: return blend_hook32 != nullptr;
  }
}

int clamp_byte(int value) noexcept { return std::clamp(value, 0, 255); }

// A 16.16 value 0-255 from a double, rounded to the nearest (halves up) when taken with >> 16.
int64_t byte_fixed(double value) noexcept {
  return static_cast<int64_t>(std::floor(std::clamp(value + 0.5, 0.0, 255.0 + 65535.0 / 65536.0) * 65536.0));
}

// A texture coordinate (texels) as 16.16 whose low 32 bits wrap as the texture does.
uint32_t texel_fixed(double value) noexcept {
  return static_cast<uint32_t>(static_cast<int64_t>(std::floor(value * 65536.0)));
}
uint32_t texel_step(double value) noexcept {
  return static_cast<uint32_t>(std::llround(std::clamp(value * 65536.0, -0x1p62, 0x1p62)));
}

// The start and step of a 0-255 value over count pixels, such that every stepped value stays
// between the first and the last.
void byte_span(double first, double last, int count, uint32_t &start, uint32_t &step) noexcept {
  const int64_t a = byte_fixed(first);
  const int64_t b = byte_fixed(last);
  start = static_cast<uint32_t>(a);
  step = static_cast<uint32_t>(count > 1 ? (b - a) / (count - 1) : 0);
}

class polygon_renderer {
 public:
  polygon_renderer(bitmap *bmp, int type, bitmap *texture) noexcept
      : bmp_(bmp), type_(type), texture_(texture) {}

  void draw(const vertex *vertices, int count) noexcept;

 private:
  bool prepare(const vertex *vertices, int count) noexcept;
  void fill_row(int row, crossing *crossings, int n) noexcept;
  void fill_span(int row, int first, int last, const crossing &left, const crossing &right) noexcept;
  void fill_perspective(unsigned char *dest, int count, const poly_span &span,
                        const double *first, const double *step) noexcept;

  bitmap *bmp_;
  int type_;
  bitmap *texture_;
  int flags_ = 0;
  int depth_ = 0;
  int bytes_ = 0;
  scanline_filler filler_ = nullptr;
  scanline_filler alternative_ = nullptr;
  poly_span info_{};
  bitmap *zbuffer_ = nullptr;
  depth::drawable_area area_{};
  bool used_[slot_count] = {};
  int flat_color_ = 0;
  bool by_hline_ = false;
  edge edges_[64];
  edge *edge_list_ = edges_;
  int edge_count_ = 0;
};

bool polygon_renderer::prepare(const vertex *vertices, int count) noexcept {
  filler_ = depth::choose_scanline_filler(type_, &flags_, &info_, texture_, bmp_);
  alternative_ = depth::alternative_scanline_filler;
  if (filler_ == nullptr) return false;
  depth_ = bmp_->vtable->color_depth;
  bytes_ = bytes_per_pixel_of_depth(depth_);
  int type_index = type_ & ~16;
  type_index = std::clamp(type_index, 0, 14);

  for (int i = 0; i < count; ++i) {
    const vertex &p = vertices[i];
    if (!finite_within_limit(p.x) || !finite_within_limit(p.y) || !finite_within_limit(p.z) ||
        !finite_within_limit(p.u) || !finite_within_limit(p.v)) {
      return false;
    }
    if ((flags_ & (depth::POLY_FLAG_DEPTH | depth::POLY_FLAG_PERSPECTIVE_UV)) != 0 && !(p.z > 0.0)) {
      return false;
    }
  }
  const bool textured = (flags_ & (depth::POLY_FLAG_TEXTURE | depth::POLY_FLAG_PERSPECTIVE_UV)) != 0;
  if (textured && !usable_texture(texture_, depth_)) return false;
  if (!blending_ready(type_index, depth_)) return false;

  area_ = depth::drawable_bounds(bmp_);
  if ((flags_ & depth::POLY_FLAG_DEPTH_BUFFER) != 0) {
    zbuffer_ = current_depth_buffer();
    if (zbuffer_ == nullptr) return false;
    area_.right = std::min(area_.right, zbuffer_->width);
    area_.bottom = std::min(area_.bottom, zbuffer_->height);
  }
  if (area_.left >= area_.right || area_.top >= area_.bottom) return false;

  used_[slot_c] = (flags_ & depth::POLY_FLAG_ONE_VALUE) != 0;
  used_[slot_r] = used_[slot_g] = used_[slot_b] = (flags_ & depth::POLY_FLAG_THREE_VALUES) != 0;
  used_[slot_z] = (flags_ & depth::POLY_FLAG_DEPTH) != 0;
  used_[slot_u] = used_[slot_v] = textured;
  flat_color_ = vertices[0].c;
  info_.color = static_cast<uint32_t>(flat_color_);
  by_hline_ = (flags_ & depth::POLY_FLAG_FLAT) != 0 && zbuffer_ == nullptr;
  return true;
}

void polygon_renderer::draw(const vertex *vertices, int count) noexcept {
  if (!prepare(vertices, count)) return;
  const bool perspective = (flags_ & depth::POLY_FLAG_PERSPECTIVE_UV) != 0;

  // Texture coordinates are moved by whole textures so that the smallest lies in the first one:
  // the texture repeats, and the fillers then see small values.
  double u_shift = 0.0;
  double v_shift = 0.0;
  if (used_[slot_u]) {
    double u_min = vertices[0].u, v_min = vertices[0].v;
    for (int i = 1; i < count; ++i) {
      u_min = std::min(u_min, vertices[i].u);
      v_min = std::min(v_min, vertices[i].v);
    }
    u_shift = std::floor(u_min / texture_->width) * texture_->width;
    v_shift = std::floor(v_min / texture_->height) * texture_->height;
  }

  // The values of each vertex.
  auto values_of = [&](const vertex &p, double *out) {
    if (used_[slot_c]) out[slot_c] = clamp_byte(p.c);
    if (used_[slot_r]) {
      if ((flags_ & depth::POLY_FLAG_DEPTH_COLOR) != 0) {
        out[slot_r] = get_red_depth(depth_, p.c);
        out[slot_g] = get_green_depth(depth_, p.c);
        out[slot_b] = get_blue_depth(depth_, p.c);
      } else {
        out[slot_r] = (p.c >> 16) & 255;
        out[slot_g] = (p.c >> 8) & 255;
        out[slot_b] = p.c & 255;
      }
    }
    if (used_[slot_z]) out[slot_z] = 1.0 / p.z;
    if (used_[slot_u]) {
      out[slot_u] = p.u - u_shift;
      out[slot_v] = p.v - v_shift;
      if (perspective) {
        out[slot_u] /= p.z;
        out[slot_v] /= p.z;
      }
    }
  };

  // Edges from their upper to their lower end; horizontal ones bound no row.
  if (count > 64) {
    edge_list_ = new (std::nothrow) edge[static_cast<size_t>(count)];
    if (edge_list_ == nullptr) return;
  }
  int first_row = area_.bottom;
  int end_row = area_.top;
  for (int i = 0; i < count; ++i) {
    const vertex *a = &vertices[i];
    const vertex *b = &vertices[(i + 1) % count];
    if (a->y == b->y) continue;
    if (a->y > b->y) std::swap(a, b);
    edge &e = edge_list_[edge_count_];
    e.top_y = a->y;
    e.bottom_y = b->y;
    e.top_x = a->x;
    const double height = b->y - a->y;
    e.dx = (b->x - a->x) / height;
    const double first = std::ceil(a->y - 0.5);
    const double end = std::ceil(b->y - 0.5);
    if (end <= first) continue;  // no row centre between the ends
    e.first_row = static_cast<int>(std::max<double>(first, area_.top));
    e.end_row = static_cast<int>(std::min<double>(end, area_.bottom));
    if (e.first_row >= e.end_row) continue;
    double top_values[slot_count] = {};
    double bottom_values[slot_count] = {};
    values_of(*a, top_values);
    values_of(*b, bottom_values);
    for (int k = 0; k < slot_count; ++k) {
      e.value[k] = top_values[k];
      e.step[k] = (bottom_values[k] - top_values[k]) / height;
    }
    first_row = std::min(first_row, e.first_row);
    end_row = std::max(end_row, e.end_row);
    ++edge_count_;
  }

  if (edge_count_ >= 2) {
    double scratch_values[64][slot_count];
    crossing scratch[64];
    const int capacity = std::min(edge_count_, 64);
    for (int row = first_row; row < end_row; ++row) {
      const double yc = row + 0.5;
      int n = 0;
      for (int i = 0; i < edge_count_ && n < capacity; ++i) {
        const edge &e = edge_list_[i];
        if (row < e.first_row || row >= e.end_row) continue;
        const double dy = yc - e.top_y;
        for (int k = 0; k < slot_count; ++k) {
          if (used_[k]) scratch_values[n][k] = e.value[k] + dy * e.step[k];
        }
        scratch[n] = {e.top_x + dy * e.dx, scratch_values[n]};
        ++n;
      }
      fill_row(row, scratch, n);
    }
    depth::release_rows(bmp_);
  }
  if (edge_list_ != edges_) delete[] edge_list_;
}

void polygon_renderer::fill_row(int row, crossing *crossings, int n) noexcept {
  // Sorted by x; pairs bound the spans (two for a convex polygon).
  std::sort(crossings, crossings + n,
            [](const crossing &a, const crossing &b) { return a.x < b.x; });
  for (int i = 0; i + 1 < n; i += 2) {
    const crossing &left = crossings[i];
    const crossing &right = crossings[i + 1];
    const double first = std::max<double>(std::ceil(left.x - 0.5), area_.left);
    const double last = std::min<double>(std::ceil(right.x - 0.5) - 1.0, area_.right - 1);
    if (first > last) continue;
    fill_span(row, static_cast<int>(first), static_cast<int>(last), left, right);
  }
}

void polygon_renderer::fill_span(int row, int first, int last, const crossing &left,
                                 const crossing &right) noexcept {
  if (by_hline_) {
    bmp_->vtable->draw_hline(bmp_, first, row, last, flat_color_);
    return;
  }
  const int count = last - first + 1;
  const double width = right.x - left.x;
  const double offset = first + 0.5 - left.x;
  const double last_offset = last + 0.5 - left.x;
  double at_first[slot_count] = {};
  double step[slot_count] = {};
  double at_last[slot_count] = {};
  for (int k = 0; k < slot_count; ++k) {
    if (!used_[k]) continue;
    step[k] = (right.value[k] - left.value[k]) / width;
    at_first[k] = left.value[k] + offset * step[k];
    at_last[k] = left.value[k] + last_offset * step[k];
  }

  poly_span span = info_;
  if (used_[slot_c]) byte_span(at_first[slot_c], at_last[slot_c], count, span.c, span.dc);
  if (used_[slot_r]) {
    byte_span(at_first[slot_r], at_last[slot_r], count, span.r, span.dr);
    byte_span(at_first[slot_g], at_last[slot_g], count, span.g, span.dg);
    byte_span(at_first[slot_b], at_last[slot_b], count, span.b, span.db);
  }
  if (used_[slot_z]) {
    span.z = static_cast<float>(at_first[slot_z]);
    span.dz = static_cast<float>(step[slot_z]);
  }
  unsigned char *dest = depth::write_row(bmp_, row) + static_cast<size_t>(first) * bytes_;
  span.zbuf = zbuffer_ != nullptr
                  ? reinterpret_cast<float *>(depth::write_row(zbuffer_, row)) + first
                  : nullptr;
  if ((flags_ & depth::POLY_FLAG_PERSPECTIVE_UV) == 0) {
    if (used_[slot_u]) {
      span.u = texel_fixed(at_first[slot_u]);
      span.v = texel_fixed(at_first[slot_v]);
      span.du = texel_step(step[slot_u]);
      span.dv = texel_step(step[slot_v]);
    }
    filler_(dest, count, &span);
    return;
  }
  fill_perspective(dest, count, span, at_first, step);
}

// Where interpolating u and v linearly over a run of pixels keeps within half a texel of the
// exact values, the run goes to the alternative (affine) filler with the exact values at its two
// ends; elsewhere the perspective filler divides per pixel. Over a run whose 1/z grows by the
// factor k from one end to the other, the linear value strays from the exact one by at most
// (sqrt(k) - 1) / (sqrt(k) + 1), which is below (k - 1) / 4, times the change of the coordinate.
// The whole span is tried first, then runs of 16 pixels.
void polygon_renderer::fill_perspective(unsigned char *dest, int count, const poly_span &span,
                                        const double *first, const double *step) noexcept {
  const auto exact = [&](int i, double &u, double &v, double &iz) {
    iz = first[slot_z] + i * step[slot_z];
    u = (first[slot_u] + i * step[slot_u]) / iz;
    v = (first[slot_v] + i * step[slot_v]) / iz;
  };
  const auto run_of = [&](int i0) {
    poly_span s = span;
    s.c = span.c + static_cast<uint32_t>(i0) * span.dc;
    s.z = static_cast<float>(first[slot_z] + i0 * step[slot_z]);
    s.zbuf = span.zbuf != nullptr ? span.zbuf + i0 : nullptr;
    return s;
  };
  const auto affine = [&](int i0, int n) {
    if (alternative_ == nullptr) return false;
    double ua = 0, va = 0, za = 0, ub = 0, vb = 0, zb = 0;
    exact(i0, ua, va, za);
    exact(i0 + n - 1, ub, vb, zb);
    const double k = std::max(za, zb) / std::min(za, zb);
    const double error = std::max(std::fabs(ub - ua), std::fabs(vb - va)) * (k - 1.0) / 4.0;
    if (!(error <= 0.5)) return false;
    poly_span s = run_of(i0);
    s.u = texel_fixed(ua);
    s.v = texel_fixed(va);
    s.du = n > 1 ? texel_step((ub - ua) / (n - 1)) : 0;
    s.dv = n > 1 ? texel_step((vb - va) / (n - 1)) : 0;
    alternative_(dest + static_cast<size_t>(i0) * bytes_, n, &s);
    return true;
  };
  const auto divided = [&](int i0, int n) {
    poly_span s = run_of(i0);
    s.fu = static_cast<float>(first[slot_u] + i0 * step[slot_u]);
    s.fv = static_cast<float>(first[slot_v] + i0 * step[slot_v]);
    s.dfu = static_cast<float>(step[slot_u]);
    s.dfv = static_cast<float>(step[slot_v]);
    filler_(dest + static_cast<size_t>(i0) * bytes_, n, &s);
  };
  if (affine(0, count)) return;
  constexpr int run = 16;
  for (int i0 = 0; i0 < count; i0 += run) {
    const int n = std::min(run, count - i0);
    if (!affine(i0, n)) divided(i0, n);
  }
}

// Vertices as the renderer takes them; false for a null vertex pointer.
bool take_vertices(v3d *const *in, int count, vertex *out) noexcept {
  for (int i = 0; i < count; ++i) {
    const v3d *p = in[i];
    if (p == nullptr) return false;
    out[i] = {p->x / 65536.0, p->y / 65536.0, p->z / 65536.0, p->u / 65536.0, p->v / 65536.0, p->c};
  }
  return true;
}

bool take_vertices(v3d_f *const *in, int count, vertex *out) noexcept {
  for (int i = 0; i < count; ++i) {
    const v3d_f *p = in[i];
    if (p == nullptr) return false;
    out[i] = {p->x, p->y, p->z, p->u, p->v, p->c};
  }
  return true;
}

template <class Vertex>
void render(bitmap *bmp, int type, bitmap *texture, int count, Vertex *const *vertices) noexcept {
  if (!drawable(bmp) || count < 3 || vertices == nullptr) return;
  vertex local[16];
  vertex *taken = local;
  if (count > 16) {
    taken = new (std::nothrow) vertex[static_cast<size_t>(count)];
    if (taken == nullptr) return;
  }
  if (take_vertices(vertices, count, taken)) {
    polygon_renderer renderer(bmp, type, texture);
    renderer.draw(taken, count);
  }
  if (taken != local) delete[] taken;
}

}  // namespace

void generic_draw_polygon_3d(bitmap *bmp, int type, bitmap *texture, int vertex_count,
                             v3d *vertices[]) noexcept {
  render(bmp, type, texture, vertex_count, vertices);
}

void generic_draw_polygon_3d_f(bitmap *bmp, int type, bitmap *texture, int vertex_count,
                               v3d_f *vertices[]) noexcept {
  render(bmp, type, texture, vertex_count, vertices);
}

// Triangles and quads go through slot 55 or 56 of the target's table with their vertices.
void generic_draw_triangle_3d(bitmap *bmp, int type, bitmap *texture, v3d *v1, v3d *v2,
                              v3d *v3) noexcept {
  v3d *vertices[3] = {v1, v2, v3};
  if (drawable(bmp) && bmp->vtable->draw_polygon_3d != nullptr) {
    bmp->vtable->draw_polygon_3d(bmp, type, texture, 3, vertices);
  }
}

void generic_draw_triangle_3d_f(bitmap *bmp, int type, bitmap *texture, v3d_f *v1, v3d_f *v2,
                                v3d_f *v3) noexcept {
  v3d_f *vertices[3] = {v1, v2, v3};
  if (drawable(bmp) && bmp->vtable->draw_polygon_3d_f != nullptr) {
    bmp->vtable->draw_polygon_3d_f(bmp, type, texture, 3, vertices);
  }
}

void generic_draw_quad_3d(bitmap *bmp, int type, bitmap *texture, v3d *v1, v3d *v2, v3d *v3,
                          v3d *v4) noexcept {
  v3d *vertices[4] = {v1, v2, v3, v4};
  if (drawable(bmp) && bmp->vtable->draw_polygon_3d != nullptr) {
    bmp->vtable->draw_polygon_3d(bmp, type, texture, 4, vertices);
  }
}

void generic_draw_quad_3d_f(bitmap *bmp, int type, bitmap *texture, v3d_f *v1, v3d_f *v2,
                            v3d_f *v3, v3d_f *v4) noexcept {
  v3d_f *vertices[4] = {v1, v2, v3, v4};
  if (drawable(bmp) && bmp->vtable->draw_polygon_3d_f != nullptr) {
    bmp->vtable->draw_polygon_3d_f(bmp, type, texture, 4, vertices);
  }
}

}  // namespace corvane
