// Placeholder text layer: text passes through unchanged and the formatter is the C library's,
// until the encodings and the library's own formatter are in place.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "corvane/text.h"

namespace {

char static_conversion_buffer[1024];

}  // namespace

extern "C" {

void convert_text_into(const char *s, int /*from*/, char *buffer, int /*to*/, int size) noexcept {
  if (buffer == nullptr || size <= 0) return;
  std::snprintf(buffer, static_cast<size_t>(size), "%s", s != nullptr ? s : "");
}

const char *convert_text(const char *s, int from, char *buffer, int to, int size) noexcept {
  if (from == to || buffer == nullptr) {
    if (buffer == nullptr && from != to) {
      convert_text_into(s, from, static_conversion_buffer, to, sizeof static_conversion_buffer);
      return static_conversion_buffer;
    }
    return s;
  }
  convert_text_into(s, from, buffer, to, size);
  return buffer;
}

char *text_copy(char *dest, int size, const char *src) noexcept {
  if (dest == nullptr || size <= 0) return dest;
  std::snprintf(dest, static_cast<size_t>(size), "%s", src != nullptr ? src : "");
  return dest;
}

int char_to_lower(int c) noexcept { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

int vformat_text(char *buffer, int size, const char *format, va_list args) noexcept {
  if (format == nullptr) return 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  return std::vsnprintf(buffer, size > 0 ? static_cast<size_t>(size) : 0, format, args);
#pragma GCC diagnostic pop
}

int format_text_bounded(char *buffer, int size, const char *format, ...) noexcept {
  va_list args;
  va_start(args, format);
  const int result = vformat_text(buffer, size, format, args);
  va_end(args);
  return result;
}

}  // extern "C"
