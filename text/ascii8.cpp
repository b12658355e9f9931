// The ASCII8 encoding: one byte a character, the byte value being the code point (0 to 255).
#include "text/encoding_internal.h"

namespace corvane {

int ascii8_get_char(const char *s) noexcept { return static_cast<unsigned char>(*s); }

int ascii8_next_char(const char **s) noexcept { return static_cast<unsigned char>(*(*s)++); }

int ascii8_next_char_writable(char **s) noexcept { return static_cast<unsigned char>(*(*s)++); }

int ascii8_put_char(char *s, int c) noexcept {
  *s = static_cast<char>(c);
  return 1;
}

int ascii8_char_width(const char * /*s*/) noexcept { return 1; }

int ascii8_code_width(int /*c*/) noexcept { return 1; }

int ascii8_char_ok(int c) noexcept { return static_cast<unsigned>(c) <= 0xFFu ? 1 : 0; }

}  // namespace corvane
