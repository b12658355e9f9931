// 4x3 transformation matrices in fixed and floating point: building (translation, scaling,
// rotations, the camera), combining and applying them. Matrices are built in double precision and
// then stored in the element type; fixed-point products and sums saturate with ERANGE.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <limits>

#include "corvane/fixed.h"
#include "corvane/matrix.h"
#include "corvane/system.h"

namespace {

constexpr double pi = 3.14159265358979323846;

// A matrix in double precision while it is built.
struct wide_matrix {
  double v[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  double t[3] = {0, 0, 0};
};

fixed to_fixed(double value) noexcept { return float_to_fixed(value); }

void store(const wide_matrix &w, matrix *m) noexcept {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) m->v[i][j] = to_fixed(w.v[i][j]);
    m->t[i] = to_fixed(w.t[i]);
  }
}

void store(const wide_matrix &w, matrix_f *m) noexcept {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) m->v[i][j] = static_cast<float>(w.v[i][j]);
    m->t[i] = static_cast<float>(w.t[i]);
  }
}

double fixed_value(fixed f) noexcept { return f / 65536.0; }

// A binary angle (0x1000000 to the turn, low 24 bits signed) or degrees in radians.
double binary_radians(fixed angle) noexcept {
  const int32_t turn = static_cast<int32_t>(static_cast<uint32_t>(angle) << 8) >> 8;
  return turn * (2.0 * pi / 16777216.0);
}
double degree_radians(float degrees) noexcept {
  return std::fmod(static_cast<double>(degrees), 360.0) * (pi / 180.0);
}

// Sines and cosines of whole quarter turns are exact, so that matrices of right angles carry no
// rounding noise.
void sin_cos(double radians, double &s, double &c) noexcept {
  s = std::sin(radians);
  c = std::cos(radians);
  if (std::fabs(s) < 1e-15) s = 0.0;
  if (std::fabs(c) < 1e-15) c = 0.0;
}

wide_matrix axis_rotation(int axis, double radians) noexcept {
  double s = 0, c = 0;
  sin_cos(radians, s, c);
  wide_matrix w;
  const int a = (axis + 1) % 3;
  const int b = (axis + 2) % 3;
  w.v[a][a] = c;
  w.v[a][b] = -s;
  w.v[b][a] = s;
  w.v[b][b] = c;
  return w;
}

// Rodrigues' rotation about a unit axis; false for an axis of no length.
bool vector_rotation(double x, double y, double z, double radians, wide_matrix &w) noexcept {
  const double length = std::sqrt(x * x + y * y + z * z);
  if (!(length > 0.0) || !std::isfinite(length)) return false;
  x /= length;
  y /= length;
  z /= length;
  double s = 0, c = 0;
  sin_cos(radians, s, c);
  const double k = 1.0 - c;
  w.v[0][0] = c + x * x * k;
  w.v[0][1] = x * y * k - z * s;
  w.v[0][2] = x * z * k + y * s;
  w.v[1][0] = y * x * k + z * s;
  w.v[1][1] = c + y * y * k;
  w.v[1][2] = y * z * k - x * s;
  w.v[2][0] = z * x * k - y * s;
  w.v[2][1] = z * y * k + x * s;
  w.v[2][2] = c + z * z * k;
  return true;
}

// The camera: rows are the camera's right, down and front directions, and the translation takes
// its position to the origin.
bool camera(const double p[3], const double f[3], const double u[3], wide_matrix &w) noexcept {
  const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
  if (!(fl > 0.0) || !std::isfinite(fl)) return false;
  const double front[3] = {f[0] / fl, f[1] / fl, f[2] / fl};
  // right = front x up
  double right[3] = {front[1] * u[2] - front[2] * u[1], front[2] * u[0] - front[0] * u[2],
                     front[0] * u[1] - front[1] * u[0]};
  const double rl = std::sqrt(right[0] * right[0] + right[1] * right[1] + right[2] * right[2]);
  if (!(rl > 0.0) || !std::isfinite(rl)) return false;
  for (double &r : right) r /= rl;
  // down = front x right
  const double down[3] = {front[1] * right[2] - front[2] * right[1],
                          front[2] * right[0] - front[0] * right[2],
                          front[0] * right[1] - front[1] * right[0]};
  const double *rows[3] = {right, down, front};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) w.v[i][j] = rows[i][j];
    w.t[i] = -(rows[i][0] * p[0] + rows[i][1] * p[1] + rows[i][2] * p[2]);
  }
  return std::isfinite(w.t[0]) && std::isfinite(w.t[1]) && std::isfinite(w.t[2]);
}

template <class Matrix>
int fail_to_identity(Matrix *m, const Matrix &identity) noexcept {
  *m = identity;
  set_error_number(EDOM);
  return -1;
}

// A sum of fixed-point terms kept in 64 bits, cut to the 16.16 range with ERANGE.
fixed saturate_sum(int64_t sum) noexcept {
  if (sum > std::numeric_limits<int32_t>::max()) {
    set_error_number(ERANGE);
    return std::numeric_limits<int32_t>::max();
  }
  if (sum < std::numeric_limits<int32_t>::min()) {
    set_error_number(ERANGE);
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<fixed>(sum);
}

}  // namespace

extern "C" {

const matrix identity_matrix = {{{0x10000, 0, 0}, {0, 0x10000, 0}, {0, 0, 0x10000}}, {0, 0, 0}};
const matrix_f identity_matrix_f = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 0, 0}};

void get_translation_matrix(matrix *m, fixed x, fixed y, fixed z) noexcept {
  if (m == nullptr) return;
  *m = identity_matrix;
  m->t[0] = x;
  m->t[1] = y;
  m->t[2] = z;
}

void get_translation_matrix_f(matrix_f *m, float x, float y, float z) noexcept {
  if (m == nullptr) return;
  *m = identity_matrix_f;
  m->t[0] = x;
  m->t[1] = y;
  m->t[2] = z;
}

void get_scaling_matrix(matrix *m, fixed x, fixed y, fixed z) noexcept {
  if (m == nullptr) return;
  *m = identity_matrix;
  m->v[0][0] = x;
  m->v[1][1] = y;
  m->v[2][2] = z;
}

void get_scaling_matrix_f(matrix_f *m, float x, float y, float z) noexcept {
  if (m == nullptr) return;
  *m = identity_matrix_f;
  m->v[0][0] = x;
  m->v[1][1] = y;
  m->v[2][2] = z;
}

void get_x_rotation_matrix(matrix *m, fixed angle) noexcept {
  if (m != nullptr) store(axis_rotation(0, binary_radians(angle)), m);
}
void get_y_rotation_matrix(matrix *m, fixed angle) noexcept {
  if (m != nullptr) store(axis_rotation(1, binary_radians(angle)), m);
}
void get_z_rotation_matrix(matrix *m, fixed angle) noexcept {
  if (m != nullptr) store(axis_rotation(2, binary_radians(angle)), m);
}
void get_x_rotation_matrix_f(matrix_f *m, float degrees) noexcept {
  if (m != nullptr) store(axis_rotation(0, degree_radians(degrees)), m);
}
void get_y_rotation_matrix_f(matrix_f *m, float degrees) noexcept {
  if (m != nullptr) store(axis_rotation(1, degree_radians(degrees)), m);
}
void get_z_rotation_matrix_f(matrix_f *m, float degrees) noexcept {
  if (m != nullptr) store(axis_rotation(2, degree_radians(degrees)), m);
}

int get_axis_rotation_matrix(matrix *m, fixed x, fixed y, fixed z, fixed angle) noexcept {
  if (m == nullptr) return -1;
  wide_matrix w;
  if (!vector_rotation(fixed_value(x), fixed_value(y), fixed_value(z), binary_radians(angle), w)) {
    return fail_to_identity(m, identity_matrix);
  }
  store(w, m);
  return 0;
}

int get_axis_rotation_matrix_f(matrix_f *m, float x, float y, float z, float degrees) noexcept {
  if (m == nullptr) return -1;
  wide_matrix w;
  if (!std::isfinite(degrees) || !vector_rotation(x, y, z, degree_radians(degrees), w)) {
    return fail_to_identity(m, identity_matrix_f);
  }
  store(w, m);
  return 0;
}

int get_camera_matrix(matrix *m, fixed x, fixed y, fixed z, fixed front_x, fixed front_y,
                      fixed front_z, fixed up_x, fixed up_y, fixed up_z) noexcept {
  if (m == nullptr) return -1;
  const double p[3] = {fixed_value(x), fixed_value(y), fixed_value(z)};
  const double f[3] = {fixed_value(front_x), fixed_value(front_y), fixed_value(front_z)};
  const double u[3] = {fixed_value(up_x), fixed_value(up_y), fixed_value(up_z)};
  wide_matrix w;
  if (!camera(p, f, u, w)) return fail_to_identity(m, identity_matrix);
  store(w, m);
  return 0;
}

int get_camera_matrix_f(matrix_f *m, float x, float y, float z, float front_x, float front_y,
                        float front_z, float up_x, float up_y, float up_z) noexcept {
  if (m == nullptr) return -1;
  const double p[3] = {x, y, z};
  const double f[3] = {front_x, front_y, front_z};
  const double u[3] = {up_x, up_y, up_z};
  wide_matrix w;
  if (!camera(p, f, u, w)) return fail_to_identity(m, identity_matrix_f);
  store(w, m);
  return 0;
}

void multiply_matrices(const matrix *first, const matrix *second, matrix *out) noexcept {
  if (first == nullptr || second == nullptr || out == nullptr) return;
  matrix r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      int64_t sum = 0;
      for (int k = 0; k < 3; ++k) sum += fixed_mul(second->v[i][k], first->v[k][j]);
      r.v[i][j] = saturate_sum(sum);
    }
    int64_t sum = second->t[i];
    for (int k = 0; k < 3; ++k) sum += fixed_mul(second->v[i][k], first->t[k]);
    r.t[i] = saturate_sum(sum);
  }
  *out = r;
}

void multiply_matrices_f(const matrix_f *first, const matrix_f *second, matrix_f *out) noexcept {
  if (first == nullptr || second == nullptr || out == nullptr) return;
  matrix_f r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      r.v[i][j] = second->v[i][0] * first->v[0][j] + second->v[i][1] * first->v[1][j] +
                  second->v[i][2] * first->v[2][j];
    }
    r.t[i] = second->v[i][0] * first->t[0] + second->v[i][1] * first->t[1] +
             second->v[i][2] * first->t[2] + second->t[i];
  }
  *out = r;
}

void apply_matrix(const matrix *m, fixed x, fixed y, fixed z, fixed *out_x, fixed *out_y,
                  fixed *out_z) noexcept {
  if (m == nullptr || out_x == nullptr || out_y == nullptr || out_z == nullptr) return;
  fixed *out[3] = {out_x, out_y, out_z};
  fixed result[3];
  for (int i = 0; i < 3; ++i) {
    const int64_t sum = int64_t{fixed_mul(m->v[i][0], x)} + fixed_mul(m->v[i][1], y) +
                        fixed_mul(m->v[i][2], z) + m->t[i];
    result[i] = saturate_sum(sum);
  }
  for (int i = 0; i < 3; ++i) *out[i] = result[i];
}

void apply_matrix_f(const matrix_f *m, float x, float y, float z, float *out_x, float *out_y,
                    float *out_z) noexcept {
  if (m == nullptr || out_x == nullptr || out_y == nullptr || out_z == nullptr) return;
  const float rx = m->v[0][0] * x + m->v[0][1] * y + m->v[0][2] * z + m->t[0];
  const float ry = m->v[1][0] * x + m->v[1][1] * y + m->v[1][2] * z + m->t[1];
  const float rz = m->v[2][0] * x + m->v[2][1] * y + m->v[2][2] * z + m->t[2];
  *out_x = rx;
  *out_y = ry;
  *out_z = rz;
}

}  // extern "C"
