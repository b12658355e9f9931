// Small helpers shared by the string operations: character spans, sizes under an encoding's
// reader and overflow-free differences of code points.
#include <climits>
#include <cstring>

#include "text/encoding_internal.h"

namespace corvane {

const char empty_text[8] = {};

int current_char_span(const char *s) noexcept {
  const char *p = s;
  if (current_next_char(&p) == 0) return 0;
  return static_cast<int>(p - s);
}

int text_size_of(const char *s, int (*next_char)(const char **)) noexcept {
  if (s == nullptr) return 0;
  if (reads_bytes_as_characters(next_char)) return static_cast<int>(std::strlen(s));
  const char *p = s;
  if (reads_ascii_as_bytes(next_char)) {
    // Bytes below 0x80 are whole characters; the reader takes each other one.
    const char *end = s + std::strlen(s);
    while (p < end) {
      if (static_cast<unsigned char>(*p) < 0x80) {
        p += ascii_prefix_length(p, static_cast<std::size_t>(end - p));
        continue;
      }
      const char *start = p;
      if (next_char(&p) == 0) return static_cast<int>(start - s);
    }
    return static_cast<int>(p - s);
  }
  for (;;) {
    const char *start = p;
    if (next_char(&p) == 0) return static_cast<int>(start - s);
  }
}

int replace_character(char *at, int span, int c) noexcept {
  const int width = current_code_width(c);
  if (width != span) {
    const char *rest = at + span;
    const int rest_size = text_size_of(rest, current_next_char);
    std::memmove(at + width, rest, static_cast<std::size_t>(rest_size));
    current_put_char(at + width + rest_size, 0);
  }
  current_put_char(at, c);
  return width;
}

bool set_contains(const char *set, int c) noexcept {
  if (set == nullptr) return false;
  const char *p = set;
  while (const int candidate = current_next_char(&p)) {
    if (candidate == c) return true;
  }
  return false;
}

int code_point_difference(int a, int b) noexcept {
  const long long difference = static_cast<long long>(a) - b;
  if (difference > INT_MAX) return INT_MAX;
  if (difference < INT_MIN) return INT_MIN;
  return static_cast<int>(difference);
}

}  // namespace corvane
