// The UNICODE16 encoding: one 16-bit unit a character in the machine's byte order, without
// surrogate pairs. Units are loaded and stored bytewise, so a string need not be aligned.
#include <cstdint>
#include <cstring>

#include "text/encoding_internal.h"

namespace corvane {
namespace {

int load_unit(const char *s) noexcept {
  std::uint16_t unit = 0;
  std::memcpy(&unit, s, sizeof unit);
  return unit;
}

}  // namespace

int unicode16_get_char(const char *s) noexcept { return load_unit(s); }

int unicode16_next_char(const char **s) noexcept {
  const int c = load_unit(*s);
  *s += 2;
  return c;
}

int unicode16_next_char_writable(char **s) noexcept {
  const int c = load_unit(*s);
  *s += 2;
  return c;
}

int unicode16_put_char(char *s, int c) noexcept {
  const auto unit = static_cast<std::uint16_t>(c);
  std::memcpy(s, &unit, sizeof unit);
  return 2;
}

int unicode16_char_width(const char * /*s*/) noexcept { return 2; }

int unicode16_code_width(int /*c*/) noexcept { return 2; }

int unicode16_char_ok(int c) noexcept { return static_cast<unsigned>(c) <= 0xFFFFu ? 1 : 0; }

}  // namespace corvane
