// 16- and 32-bit integers read from and written to streams in little- and big-endian byte order.
#include <cstdint>

#include "corvane/packfile.h"

namespace {

// Reads count bytes into b; false when any is missing.
bool read_bytes(packfile *f, int (&b)[4], int count) {
  for (int i = 0; i < count; ++i) {
    b[i] = packfile_getc(f);
    if (b[i] < 0) return false;
  }
  return true;
}

bool write_bytes(packfile *f, const uint8_t *b, int count) {
  for (int i = 0; i < count; ++i) {
    if (packfile_putc(b[i], f) < 0) return false;
  }
  return true;
}

int to_int(uint32_t value) { return static_cast<int>(value); }

}  // namespace

extern "C" {

int read_le16(packfile *f) noexcept {
  int b[4];
  if (!read_bytes(f, b, 2)) return -1;
  return b[0] | (b[1] << 8);
}

int read_be16(packfile *f) noexcept {
  int b[4];
  if (!read_bytes(f, b, 2)) return -1;
  return (b[0] << 8) | b[1];
}

int read_le32(packfile *f) noexcept {
  int b[4];
  if (!read_bytes(f, b, 4)) return -1;
  return to_int(static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24));
}

int read_be32(packfile *f) noexcept {
  int b[4];
  if (!read_bytes(f, b, 4)) return -1;
  return to_int((static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
                (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]));
}

int write_le16(int value, packfile *f) noexcept {
  const auto v = static_cast<uint32_t>(value);
  const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  return write_bytes(f, b, 2) ? value : -1;
}

int write_be16(int value, packfile *f) noexcept {
  const auto v = static_cast<uint32_t>(value);
  const uint8_t b[2] = {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  return write_bytes(f, b, 2) ? value : -1;
}

int write_le32(int value, packfile *f) noexcept {
  const auto v = static_cast<uint32_t>(value);
  const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                        static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
  return write_bytes(f, b, 4) ? value : -1;
}

int write_be32(int value, packfile *f) noexcept {
  const auto v = static_cast<uint32_t>(value);
  const uint8_t b[4] = {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                        static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
  return write_bytes(f, b, 4) ? value : -1;
}

}  // extern "C"
