// The UTF-8 encoding: sequences of up to six bytes (31-bit code points), decoded leniently. A
// broken sequence reads as '^' and leaves the reader on the byte that broke it, so a string that
// ends inside a sequence still ends at its terminator. Every decoded value lies between 0 and
// 0x7FFFFFFF, so it encodes again as a well-formed sequence.
#include <bit>
#include <cstdint>

#include "text/encoding_internal.h"

namespace corvane {
namespace {

constexpr int replacement_char = '^';

// Decodes the character at p and returns where the next one starts.
int decode(const unsigned char *p, const unsigned char **next) noexcept {
  const unsigned lead = *p++;
  if (lead < 0x80) {
    *next = p;
    return static_cast<int>(lead);
  }
  if (lead < 0xC0) {  // a continuation byte where a lead byte belongs
    *next = p;
    return static_cast<int>(lead & 0x7F);
  }
  const int ones = std::countl_one(static_cast<unsigned char>(lead));  // 2 to 8
  std::uint64_t value = lead & ((1u << (8 - ones)) - 1u);
  for (int i = 1; i < ones; ++i) {
    const unsigned byte = *p;
    if ((byte & 0xC0) != 0x80) {  // includes the terminator inside a sequence
      *next = p;
      return replacement_char;
    }
    value = (value << 6) | (byte & 0x3F);
    ++p;
  }
  *next = p;
  // Seven- and eight-byte forms carry up to 42 bits: a value beyond 31 bits is no code point,
  // and cut down to an int it would read as a negative or unrelated one.
  if (value > 0x7FFFFFFF) return replacement_char;
  return static_cast<int>(value);
}

}  // namespace

int utf8_get_char(const char *s) noexcept {
  const unsigned char *next = nullptr;
  return decode(reinterpret_cast<const unsigned char *>(s), &next);
}

int utf8_next_char(const char **s) noexcept {
  const unsigned char *next = nullptr;
  const int c = decode(reinterpret_cast<const unsigned char *>(*s), &next);
  *s = reinterpret_cast<const char *>(next);
  return c;
}

int utf8_next_char_writable(char **s) noexcept {
  const unsigned char *next = nullptr;
  const int c = decode(reinterpret_cast<const unsigned char *>(*s), &next);
  *s += next - reinterpret_cast<const unsigned char *>(*s);
  return c;
}

int utf8_char_width(const char *s) noexcept {
  const auto lead = static_cast<unsigned char>(*s);
  if (lead < 0xC0) return 1;
  return std::countl_one(lead);
}

int utf8_code_width(int c) noexcept {
  if (c < 0x80) return 1;  // negative values are written as their low byte
  const int bits = std::bit_width(static_cast<unsigned>(c));
  if (bits <= 11) return 2;
  if (bits <= 16) return 3;
  if (bits <= 21) return 4;
  if (bits <= 26) return 5;
  return 6;
}

int utf8_put_char(char *s, int c) noexcept {
  const int length = utf8_code_width(c);
  if (length == 1) {
    *s = static_cast<char>(c);
    return 1;
  }
  auto value = static_cast<std::uint32_t>(c);
  for (int i = length - 1; i > 0; --i) {
    s[i] = static_cast<char>(0x80u | (value & 0x3Fu));
    value >>= 6;
  }
  const unsigned lead_bits = (0xFFu << (8 - length)) & 0xFFu;
  s[0] = static_cast<char>(lead_bits | value);
  return length;
}

int utf8_char_ok(int /*c*/) noexcept { return 1; }

}  // namespace corvane
