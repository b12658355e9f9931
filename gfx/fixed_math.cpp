// 16.16 fixed-point multiplication, division and conversion, saturating with ERANGE.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <limits>

#include "corvane/fixed.h"
#include "corvane/system.h"

extern "C" {

fixed fixed_mul(fixed a, fixed b) noexcept {
  // Right shift of a negative value rounds toward minus infinity (arithmetic shift in C++20).
  const int64_t product = (int64_t{a} * int64_t{b}) >> 16;
  if (product > std::numeric_limits<int32_t>::max()) {
    set_error_number(ERANGE);
    return 0x7FFFFFFF;
  }
  if (product < std::numeric_limits<int32_t>::min()) {
    set_error_number(ERANGE);
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<fixed>(product);
}

fixed fixed_div(fixed a, fixed b) noexcept {
  if (b == 0) {
    set_error_number(ERANGE);
    return a < 0 ? -0x7FFFFFFF : 0x7FFFFFFF;
  }
  const double quotient = (a / 65536.0) / (b / 65536.0);
  if (quotient > 32767.0) {
    set_error_number(ERANGE);
    return 0x7FFFFFFF;
  }
  if (quotient < -32767.0) {
    set_error_number(ERANGE);
    return -0x7FFFFFFF;
  }
  return static_cast<fixed>(std::round(quotient * 65536.0));
}

fixed float_to_fixed(double value) noexcept {
  if (std::isnan(value)) {
    set_error_number(ERANGE);
    return 0;
  }
  const double scaled = std::round(value * 65536.0);
  if (scaled > 2147483647.0) {
    set_error_number(ERANGE);
    return 0x7FFFFFFF;
  }
  if (scaled < -2147483647.0) {
    set_error_number(ERANGE);
    return -0x7FFFFFFF;
  }
  return static_cast<fixed>(scaled);
}

double fixed_to_float(fixed value) noexcept { return value / 65536.0; }

}  // extern "C"
