// Conversions between RGB components (0-255) and hue, saturation and value, in single precision.
#include <cmath>
#include <cstdint>

#include "corvane/color.h"

namespace {

// Truncation toward zero; values that no int can hold (and NaN) become 0 instead of an undefined
// conversion.
int truncate(float value) noexcept {
  if (!(value > -2147483648.0f && value < 2147483648.0f)) return 0;
  return static_cast<int>(value);
}

}  // namespace

extern "C" {

void hsv_to_rgb(float h, float s, float v, int *r, int *g, int *b) noexcept {
  int red = 0;
  int green = 0;
  int blue = 0;
  const float value = v * 255.0f;
  const int base = truncate(value + 0.5f);
  if (s == 0.0f) {
    red = green = blue = base;
  } else {
    float sector = static_cast<float>(std::fmod(static_cast<double>(h), 360.0) * (1.0 / 60.0));
    if (sector < 0.0f) sector += 6.0f;
    const int i = truncate(sector);
    const float f = sector - static_cast<float>(i);
    const float amount = value * s;
    const float p_exact = value + 0.5f - amount;
    const int p = truncate(p_exact);
    const int q = truncate(value + 0.5f - f * amount);
    const int t = truncate(p_exact + f * amount);
    switch (i) {
      case 1:
        red = q, green = base, blue = p;
        break;
      case 2:
        red = p, green = base, blue = t;
        break;
      case 3:
        red = p, green = q, blue = base;
        break;
      case 4:
        red = t, green = p, blue = base;
        break;
      case 5:
        red = base, green = p, blue = q;
        break;
      default:
        red = base, green = t, blue = p;
        break;  // 0, and 6 when fmod rounds up to 360
    }
  }
  if (r != nullptr) *r = red;
  if (g != nullptr) *g = green;
  if (b != nullptr) *b = blue;
}

void rgb_to_hsv(int r, int g, int b, float *h, float *s, float *v) noexcept {
  int max = 0;
  int min = 0;
  float hue = 0.0f;
  float saturation = 0.0f;
  float value = 0.0f;
  // The products 60 * difference are integers, converted to float before the division.
  const auto sixty = [](int difference, int range) {
    return static_cast<float>(60 * static_cast<int64_t>(difference)) / static_cast<float>(range);
  };
  bool grey = false;
  if (r > g) {
    if (r >= b) {
      max = r;
      min = (g < b) ? g : b;
      hue = sixty(g - b, max - min);
      if (hue < 0.0f) hue += 360.0f;
    } else {
      max = b;
      min = g;
      hue = 240.0f + sixty(r - g, max - min);
    }
  } else if (g >= b) {
    max = g;
    min = (r < b) ? r : b;
    if (max == min) {
      grey = true;
      value = (g == 0) ? 0.0f : static_cast<float>(g) / 255.0f;
    } else {
      hue = 120.0f + sixty(b - r, max - min);
    }
  } else {
    max = b;
    min = r;
    hue = 240.0f + sixty(r - g, max - min);
  }
  if (!grey) {
    saturation = static_cast<float>(max - min) / static_cast<float>(max);
    value = static_cast<float>(max) * 0.003921569f;
  }
  if (h != nullptr) *h = hue;
  if (s != nullptr) *s = saturation;
  if (v != nullptr) *v = value;
}

}  // extern "C"
