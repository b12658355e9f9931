// Row conversion of the window display driver's emulation: one plain loop per pair of depths, so
// that the compiler can vectorise it, chosen once per update from a table.
#include "platform/macosx/quartz_rows.h"

#include <cstring>

namespace corvane::macosx {
namespace {

inline uint16_t load16(const unsigned char *p) noexcept {
  uint16_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

inline uint32_t load32(const unsigned char *p) noexcept {
  uint32_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// Components widened to 8 bits by the colour code's own scales.
inline uint32_t widen5(uint32_t v) noexcept { return static_cast<uint32_t>(SCALE_5_TO_8[v]); }
inline uint32_t widen6(uint32_t v) noexcept { return static_cast<uint32_t>(SCALE_6_TO_8[v]); }

void copy16(const unsigned char *source, unsigned char *dest, int width, const uint32_t *) {
  std::memcpy(dest, source, static_cast<size_t>(width) * 2);
}

void copy32(const unsigned char *source, unsigned char *dest, int width, const uint32_t *) {
  std::memcpy(dest, source, static_cast<size_t>(width) * 4);
}

void from8_to16(const unsigned char *source, unsigned char *dest, int width,
                const uint32_t *colors) {
  auto *out = reinterpret_cast<uint16_t *>(dest);
  for (int x = 0; x < width; ++x) out[x] = static_cast<uint16_t>(colors[source[x]]);
}

void from8_to32(const unsigned char *source, unsigned char *dest, int width,
                const uint32_t *colors) {
  auto *out = reinterpret_cast<uint32_t *>(dest);
  for (int x = 0; x < width; ++x) out[x] = colors[source[x]];
}

void from16_to16(const unsigned char *source, unsigned char *dest, int width, const uint32_t *) {
  const auto *in = reinterpret_cast<const uint16_t *>(source);
  auto *out = reinterpret_cast<uint16_t *>(dest);
  for (int x = 0; x < width; ++x) {
    const uint32_t p = in[x];
    out[x] = static_cast<uint16_t>(((p >> 1) & 0x7FE0U) | (p & 0x1FU));
  }
}

void from15_to32(const unsigned char *source, unsigned char *dest, int width, const uint32_t *) {
  const auto *in = reinterpret_cast<const uint16_t *>(source);
  auto *out = reinterpret_cast<uint32_t *>(dest);
  for (int x = 0; x < width; ++x) {
    const uint32_t p = in[x];
    out[x] = (widen5((p >> 10) & 0x1FU) << 16) | (widen5((p >> 5) & 0x1FU) << 8) | widen5(p & 0x1FU);
  }
}

void from16_to32(const unsigned char *source, unsigned char *dest, int width, const uint32_t *) {
  const auto *in = reinterpret_cast<const uint16_t *>(source);
  auto *out = reinterpret_cast<uint32_t *>(dest);
  for (int x = 0; x < width; ++x) {
    const uint32_t p = in[x];
    out[x] = (widen5((p >> 11) & 0x1FU) << 16) | (widen6((p >> 5) & 0x3FU) << 8) | widen5(p & 0x1FU);
  }
}

// A 24-bit pixel is red, green and blue bytes in memory, as on the Mac's display.
inline uint32_t load24(const unsigned char *p) noexcept {
  return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]};
}

void from24_to32(const unsigned char *source, unsigned char *dest, int width, const uint32_t *) {
  auto *out = reinterpret_cast<uint32_t *>(dest);
  for (int x = 0; x < width; ++x) out[x] = load24(source + 3 * x);
}

inline uint16_t pack555(uint32_t rgb) noexcept {
  return static_cast<uint16_t>(((rgb >> 9) & 0x7C00U) | ((rgb >> 6) & 0x03E0U) | ((rgb >> 3) & 0x1FU));
}

void from24_to16(const unsigned char *source, unsigned char *dest, int width, const uint32_t *) {
  auto *out = reinterpret_cast<uint16_t *>(dest);
  for (int x = 0; x < width; ++x) out[x] = pack555(load24(source + 3 * x));
}

void from32_to16(const unsigned char *source, unsigned char *dest, int width, const uint32_t *) {
  auto *out = reinterpret_cast<uint16_t *>(dest);
  for (int x = 0; x < width; ++x) out[x] = pack555(load32(source + 4 * x));
}

struct converter_entry {
  int screen_depth;
  int port_depth;
  row_converter convert;
};

constexpr converter_entry converters[] = {
    {8, 16, from8_to16},    {8, 32, from8_to32},   {15, 16, copy16},      {15, 32, from15_to32},
    {16, 16, from16_to16},  {16, 32, from16_to32}, {24, 16, from24_to16}, {24, 32, from24_to32},
    {32, 16, from32_to16},  {32, 32, copy32},
};

}  // namespace

row_converter find_row_converter(int screen_depth, int port_depth) noexcept {
  for (const converter_entry &entry : converters) {
    if (entry.screen_depth == screen_depth && entry.port_depth == port_depth) return entry.convert;
  }
  return nullptr;
}

uint32_t port_color_of(const rgb_entry &entry, int port_depth) noexcept {
  const uint32_t r = widen6(entry.r & 0x3FU);
  const uint32_t g = widen6(entry.g & 0x3FU);
  const uint32_t b = widen6(entry.b & 0x3FU);
  const uint32_t rgb = (r << 16) | (g << 8) | b;
  return port_depth == 16 ? pack555(rgb) : rgb;
}

void use_mac_pixel_layout() noexcept {
  red_shift_15 = 10;
  green_shift_15 = 5;
  blue_shift_15 = 0;
  red_shift_16 = 11;
  green_shift_16 = 5;
  blue_shift_16 = 0;
  red_shift_24 = 16;
  green_shift_24 = 8;
  blue_shift_24 = 0;
  alpha_shift_32 = 24;
  red_shift_32 = 16;
  green_shift_32 = 8;
  blue_shift_32 = 0;
}

}  // namespace corvane::macosx
