// Clipping a camera-space polygon against the view volume (near and far planes, and the four
// sides of a quarter-turn view), interpolating every vertex field.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <new>
#include <tuple>

#include "corvane/color.h"
#include "corvane/fixed.h"
#include "corvane/matrix.h"
#include "corvane/system.h"

namespace {

struct point {
  double x, y, z, u, v;
  int c;
};

// How c is interpolated for a polygon type at a colour depth.
enum class color_kind { value, depth_components, rgb_components };

color_kind color_kind_of(int type, int depth) noexcept {
  const int t = std::clamp(type & ~16, 0, 14);
  if (t == 1 && depth != 8) return color_kind::depth_components;
  if (t == 2) return color_kind::rgb_components;
  return color_kind::value;
}

int mix_int(int a, int b, double t) noexcept {
  return static_cast<int>(std::lround(a + (static_cast<double>(b) - a) * t));
}

int mix_color(int a, int b, double t, color_kind kind, int depth) noexcept {
  switch (kind) {
    case color_kind::value:
      return mix_int(a, b, t);
    case color_kind::rgb_components:
      return (mix_int((a >> 16) & 255, (b >> 16) & 255, t) << 16) |
             (mix_int((a >> 8) & 255, (b >> 8) & 255, t) << 8) | mix_int(a & 255, b & 255, t);
    default:
      return make_color_depth(depth, mix_int(get_red_depth(depth, a), get_red_depth(depth, b), t),
                              mix_int(get_green_depth(depth, a), get_green_depth(depth, b), t),
                              mix_int(get_blue_depth(depth, a), get_blue_depth(depth, b), t));
  }
}

// Signed distance inside plane k (inside when not negative).
double inside_by(const point &p, int plane, double min_z, double max_z) noexcept {
  switch (plane) {
    case 0: return p.z - min_z;
    case 1: return max_z - p.z;
    case 2: return p.x + p.z;
    case 3: return p.z - p.x;
    case 4: return p.y + p.z;
    default: return p.z - p.y;
  }
}

// One plane of Sutherland-Hodgman. The crossing of an edge is computed from its endpoints in a
// fixed order, so that two polygons sharing the edge get the same new vertex.
int clip_plane(const point *in, int n, point *out, int plane, double min_z, double max_z,
               color_kind kind, int depth) noexcept {
  int m = 0;
  for (int i = 0; i < n; ++i) {
    const point &a = in[i];
    const point &b = in[(i + 1) % n];
    const double da = inside_by(a, plane, min_z, max_z);
    const double db = inside_by(b, plane, min_z, max_z);
    if (da >= 0) out[m++] = a;
    if ((da >= 0) != (db >= 0)) {
      const bool swap = std::tie(b.x, b.y, b.z) < std::tie(a.x, a.y, a.z);
      const point &p = swap ? b : a;
      const point &q = swap ? a : b;
      const double dp = swap ? db : da;
      const double dq = swap ? da : db;
      const double t = dp / (dp - dq);
      out[m++] = {p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t, p.z + (q.z - p.z) * t,
                  p.u + (q.u - p.u) * t, p.v + (q.v - p.v) * t, mix_color(p.c, q.c, t, kind, depth)};
    }
  }
  return m;
}

point point_of(const v3d &p) noexcept {
  return {p.x / 65536.0, p.y / 65536.0, p.z / 65536.0, p.u / 65536.0, p.v / 65536.0, p.c};
}
point point_of(const v3d_f &p) noexcept { return {p.x, p.y, p.z, p.u, p.v, p.c}; }

void store(const point &p, v3d &out) noexcept {
  out = {float_to_fixed(p.x), float_to_fixed(p.y), float_to_fixed(p.z), float_to_fixed(p.u),
         float_to_fixed(p.v), p.c};
}
void store(const point &p, v3d_f &out) noexcept {
  out = {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z),
         static_cast<float>(p.u), static_cast<float>(p.v), p.c};
}

// Input polygons up to this many vertices are clipped (room for the worst case stays far below
// the size limits).
constexpr int max_clip_vertices = 1 << 24;

int invalid() noexcept {
  set_error_number(EINVAL);
  return -1;
}

template <class Vertex>
int clip(int type, int depth, double min_z, double max_z, int count, Vertex *const in[],
         Vertex out[], Vertex *out_pointers[], int capacity) noexcept {
  if (in == nullptr || out == nullptr || std::isnan(min_z) || std::isnan(max_z) || min_z > max_z) {
    return invalid();
  }
  if (count < 3) return 0;
  for (int i = 0; i < count; ++i) {
    if (in[i] == nullptr) return invalid();
  }
  // Each plane turns n vertices into at most n + n / 2 (one new vertex per crossing, and every
  // run of vertices outside drops at least one), so 12 times the count holds any polygon after
  // the six planes, convex or not; a convex one never needs more than count + 6.
  if (count > max_clip_vertices) return invalid();
  const size_t room = static_cast<size_t>(count) * 12;
  point *buffers = new (std::nothrow) point[room * 2];
  if (buffers == nullptr) {
    set_error_number(ENOMEM);
    return -1;
  }
  point *a = buffers;
  point *b = buffers + room;
  for (int i = 0; i < count; ++i) a[i] = point_of(*in[i]);
  int n = count;
  const color_kind kind = color_kind_of(type, depth);
  for (int plane = 0; plane < 6 && n > 0; ++plane) {
    n = clip_plane(a, n, b, plane, min_z, max_z, kind, depth);
    std::swap(a, b);
  }
  if (n < 3) n = 0;
  int result = n;
  if (n > capacity) {
    result = invalid();
  } else {
    for (int i = 0; i < n; ++i) {
      store(a[i], out[i]);
      if (out_pointers != nullptr) out_pointers[i] = &out[i];
    }
  }
  delete[] buffers;
  return result;
}

}  // namespace

extern "C" {

int clip_polygon_3d(int type, int color_depth, fixed min_z, fixed max_z, int count,
                    v3d *const in[], v3d out[], v3d *out_pointers[], int capacity) noexcept {
  return clip(type, color_depth, min_z / 65536.0, max_z / 65536.0, count, in, out, out_pointers,
              capacity);
}

int clip_polygon_3d_f(int type, int color_depth, float min_z, float max_z, int count,
                      v3d_f *const in[], v3d_f out[], v3d_f *out_pointers[],
                      int capacity) noexcept {
  return clip(type, color_depth, min_z, max_z, count, in, out, out_pointers, capacity);
}

}  // extern "C"
