// Measuring strings and working on the character at an index: length, sizes, offsets, and reading,
// replacing, inserting and removing one character. Indices count characters of the current
// encoding; a negative index counts from the end.
#include <climits>
#include <cstring>

#include "text/encoding_internal.h"

namespace corvane {
namespace {

int clamp_to_int(std::size_t value) noexcept {
  return value > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

}  // namespace
}  // namespace corvane

extern "C" {

int text_length(const char *s) noexcept {
  if (s == nullptr) return 0;
  if (corvane::reads_bytes_as_characters(current_next_char)) {
    return corvane::clamp_to_int(std::strlen(s));
  }
  const char *p = s;
  long long count = 0;
  if (corvane::reads_ascii_as_bytes(current_next_char)) {
    // Runs of bytes below 0x80 are counted a block at a time; the reader takes the rest.
    const char *end = s + std::strlen(s);
    while (p < end) {
      if (static_cast<unsigned char>(*p) < 0x80) {
        const std::size_t run = corvane::ascii_prefix_length(p, static_cast<std::size_t>(end - p));
        p += run;
        count += static_cast<long long>(run);
      } else if (current_next_char(&p) != 0) {
        ++count;
      } else {
        break;  // an overlong form of 0 ends the text
      }
    }
  } else {
    while (current_next_char(&p) != 0) ++count;
  }
  return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

int text_size(const char *s) noexcept { return corvane::text_size_of(s, current_next_char); }

int text_size_z(const char *s) noexcept {
  return corvane::text_size_of(s, current_next_char) + current_code_width(0);
}

int text_offset(const char *s, int index) noexcept {
  if (s == nullptr) return 0;
  if (index < 0) index += text_length(s);
  if (index < 1) return 0;

  const char *p = s;
  if (corvane::reads_ascii_as_bytes(current_next_char)) {
    const std::size_t readable = strnlen(s, static_cast<std::size_t>(index));
    const std::size_t run = corvane::ascii_prefix_length(s, readable);
    // All ASCII: either index characters, or the whole string when it is shorter.
    if (run == readable) return static_cast<int>(run);
    p += run;
    index -= static_cast<int>(run);
  }
  // Walking stops at the terminator, so an index past the end gives the terminator's offset.
  for (; index > 0; --index) {
    const char *start = p;
    if (current_next_char(&p) == 0) {
      p = start;
      break;
    }
  }
  return static_cast<int>(p - s);
}

int text_get_at(const char *s, int index) noexcept {
  if (s == nullptr) return 0;
  return current_get_char(s + text_offset(s, index));
}

int text_set_at(char *s, int index, int c) noexcept {
  if (s == nullptr) return 0;
  char *at = s + text_offset(s, index);
  const int span = corvane::current_char_span(at);
  // Writing over the terminator would leave the string unterminated: there is nothing to replace.
  if (span == 0) return 0;
  return corvane::replace_character(at, span, c) - span;
}

int text_insert(char *s, int index, int c) noexcept {
  if (s == nullptr) return 0;
  char *at = s + text_offset(s, index);
  const int width = current_code_width(c);
  const int rest_size = corvane::text_size_of(at, current_next_char);
  std::memmove(at + width, at, static_cast<std::size_t>(rest_size));
  current_put_char(at + width + rest_size, 0);
  current_put_char(at, c);
  return width;
}

int text_remove(char *s, int index) noexcept {
  if (s == nullptr) return 0;
  char *at = s + text_offset(s, index);
  const int span = corvane::current_char_span(at);
  if (span == 0) return 0;  // the terminator stays
  const int rest_size = corvane::text_size_of(at + span, current_next_char);
  std::memmove(at, at + span, static_cast<std::size_t>(rest_size));
  current_put_char(at + rest_size, 0);
  return -span;
}

}  // extern "C"
