// The perspective projection onto the viewport and the back-face test.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>

#include "corvane/fixed.h"
#include "corvane/matrix.h"
#include "corvane/system.h"

namespace {

// The viewport: its centre and half its width, the scale of x / z and y / z.
double centre_x = 160.0;
double centre_y = 100.0;
double half_width = 160.0;

// Screen position of (x, y, z); false when z is not above 0 or a value is not finite.
bool project(double x, double y, double z, double &sx, double &sy) noexcept {
  if (!(z > 0.0) || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return false;
  sx = centre_x + x / z * half_width;
  sy = centre_y + y / z * half_width;
  return std::isfinite(sx) && std::isfinite(sy);
}

}  // namespace

extern "C" {

void set_projection_viewport(int left, int top, int width, int height) noexcept {
  width = std::max(width, 1);
  height = std::max(height, 1);
  centre_x = left + width / 2.0;
  centre_y = top + height / 2.0;
  half_width = width / 2.0;
}

int project_point(fixed x, fixed y, fixed z, fixed *out_x, fixed *out_y) noexcept {
  double sx = 0, sy = 0;
  if (out_x == nullptr || out_y == nullptr || !project(x, y, z, sx, sy)) {
    set_error_number(EDOM);
    return -1;
  }
  // x / z is the same in pixels and in 16.16 units; the centre and the result are in pixels.
  *out_x = float_to_fixed(sx);
  *out_y = float_to_fixed(sy);
  return 0;
}

int project_point_f(float x, float y, float z, float *out_x, float *out_y) noexcept {
  double sx = 0, sy = 0;
  if (out_x == nullptr || out_y == nullptr ||
      !project(static_cast<double>(x), static_cast<double>(y), static_cast<double>(z), sx, sy)) {
    set_error_number(EDOM);
    return -1;
  }
  *out_x = static_cast<float>(sx);
  *out_y = static_cast<float>(sy);
  return 0;
}

fixed get_face_normal_z(const v3d *v1, const v3d *v2, const v3d *v3) noexcept {
  if (v1 == nullptr || v2 == nullptr || v3 == nullptr) return 0;
  // In units of 2^-32 square pixels; the result in 16.16.
  const int64_t ax = int64_t{v2->x} - v1->x, ay = int64_t{v2->y} - v1->y;
  const int64_t bx = int64_t{v3->x} - v2->x, by = int64_t{v3->y} - v2->y;
  const double cross = static_cast<double>(ax) * static_cast<double>(by) -
                       static_cast<double>(ay) * static_cast<double>(bx);
  return float_to_fixed(cross / 4294967296.0);
}

float get_face_normal_z_f(const v3d_f *v1, const v3d_f *v2, const v3d_f *v3) noexcept {
  if (v1 == nullptr || v2 == nullptr || v3 == nullptr) return 0.0f;
  const double ax = static_cast<double>(v2->x) - static_cast<double>(v1->x);
  const double ay = static_cast<double>(v2->y) - static_cast<double>(v1->y);
  const double bx = static_cast<double>(v3->x) - static_cast<double>(v2->x);
  const double by = static_cast<double>(v3->y) - static_cast<double>(v2->y);
  return static_cast<float>(ax * by - ay * bx);
}

}  // extern "C"
