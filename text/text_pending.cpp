// Placeholder text layer: every string is treated as 8-bit bytes, text passes through unchanged and
// the formatter is the C library's, until the encodings and the library's own formatter land.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "corvane/text.h"

namespace {

char error_string_buffer[1024];
int file_name_encoding = ENCODING_ASCII8;

int byte_get(const char *s) { return static_cast<unsigned char>(*s); }
int byte_next(const char **s) { return static_cast<unsigned char>(*(*s)++); }
int byte_next_w(char **s) { return static_cast<unsigned char>(*(*s)++); }
int byte_put(char *s, int c) {
  *s = static_cast<char>(c);
  return 1;
}
int byte_width(const char *) { return 1; }
int byte_code_width(int) { return 1; }
int byte_ok(int c) { return static_cast<unsigned>(c) < 256u; }

encoding_info byte_encoding{ENCODING_UTF8, byte_get,        byte_next, byte_put,
                            byte_width,    byte_code_width, byte_ok,   1};

size_t bounded_length(const char *s, int size) {
  if (size <= 0) return 0;
  size_t n = std::strlen(s);
  return n < static_cast<size_t>(size) ? n : static_cast<size_t>(size) - 1;
}

}  // namespace

extern "C" {

int (*current_get_char)(const char *s) = byte_get;
int (*current_next_char)(const char **s) = byte_next;
int (*current_next_char_writable)(char **s) = byte_next_w;
int (*current_put_char)(char *s, int c) = byte_put;
int (*current_char_width)(const char *s) = byte_width;
int (*current_code_width)(int c) = byte_code_width;
int (*current_char_ok)(int c) = byte_ok;

encoding_info *find_encoding_info(int id) noexcept {
  return (id == ENCODING_UTF8 || id == ENCODING_CURRENT) ? &byte_encoding : nullptr;
}
void set_text_encoding(int) noexcept {}
int get_text_encoding(void) noexcept { return ENCODING_UTF8; }
void register_text_encoding(int, int (*)(const char *), int (*)(const char **),
                            int (*)(char *, int), int (*)(const char *), int (*)(int), int (*)(int),
                            int) noexcept {}
int encoding_max_width(int id) noexcept { return find_encoding_info(id) != nullptr ? 1 : 0; }
void set_file_name_encoding(int id) noexcept { file_name_encoding = id; }
int get_file_name_encoding(void) noexcept { return file_name_encoding; }
void detect_utf8_locale(void) noexcept {}

int conversion_needed(const char *, int, int) noexcept { return 0; }
int converted_size(const char *s, int, int) noexcept {
  return static_cast<int>(std::strlen(s)) + 1;
}

void convert_text_into(const char *s, int /*from*/, char *buffer, int /*to*/, int size) noexcept {
  if (buffer == nullptr || size <= 0) return;
  std::snprintf(buffer, static_cast<size_t>(size), "%s", s != nullptr ? s : "");
}

const char *convert_text(const char *s, int, char *, int, int) noexcept { return s; }

int text_length(const char *s) noexcept { return static_cast<int>(std::strlen(s)); }
int text_size(const char *s) noexcept { return static_cast<int>(std::strlen(s)); }
int text_size_z(const char *s) noexcept { return static_cast<int>(std::strlen(s)) + 1; }
int text_offset(const char *s, int index) noexcept {
  const int length = text_length(s);
  if (index < 0) index += length;
  if (index < 0) return 0;
  return index < length ? index : length;
}
int text_get_at(const char *s, int index) noexcept {
  return static_cast<unsigned char>(s[text_offset(s, index)]);
}
int text_set_at(char *s, int index, int c) noexcept {
  s[text_offset(s, index)] = static_cast<char>(c);
  return 0;
}
int text_insert(char *s, int index, int c) noexcept {
  char *at = s + text_offset(s, index);
  std::memmove(at + 1, at, std::strlen(at) + 1);
  *at = static_cast<char>(c);
  return 1;
}
int text_remove(char *s, int index) noexcept {
  char *at = s + text_offset(s, index);
  if (*at == 0) return 0;
  std::memmove(at, at + 1, std::strlen(at + 1) + 1);
  return -1;
}
char *text_copy(char *dest, int size, const char *src) noexcept {
  if (dest == nullptr || size <= 0) return dest;
  const size_t n = bounded_length(src, size);
  std::memmove(dest, src, n);
  dest[n] = 0;
  return dest;
}
char *text_concat(char *dest, int size, const char *src) noexcept {
  const int used = static_cast<int>(std::strlen(dest));
  if (used < size) text_copy(dest + used, size - used, src);
  return dest;
}
char *text_ncopy(char *dest, int size, const char *src, int n) noexcept {
  if (size <= 0) return dest;
  int i = 0;
  for (; i < n && i + 1 < size && src[i] != 0; ++i) dest[i] = src[i];
  for (; i < n && i + 1 < size; ++i) dest[i] = 0;
  dest[i] = 0;
  return dest;
}
char *text_nconcat(char *dest, int size, const char *src, int n) noexcept {
  const int used = static_cast<int>(std::strlen(dest));
  if (used >= size) return dest;
  int i = 0;
  for (; i < n && used + i + 1 < size && src[i] != 0; ++i) dest[used + i] = src[i];
  dest[used + i] = 0;
  return dest;
}
char *text_duplicate(const char *s, void *(*allocator)(size_t)) noexcept {
  const size_t n = std::strlen(s) + 1;
  auto *copy = static_cast<char *>(allocator != nullptr ? allocator(n) : std::malloc(n));
  if (copy == nullptr) {
    errno = ENOMEM;
    return nullptr;
  }
  std::memcpy(copy, s, n);
  return copy;
}
int text_compare(const char *s1, const char *s2) noexcept { return std::strcmp(s1, s2); }
int text_ncompare(const char *s1, const char *s2, int n) noexcept {
  return n < 1 ? 0 : std::strncmp(s1, s2, static_cast<size_t>(n));
}
int char_to_lower(int c) noexcept { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }
int char_to_upper(int c) noexcept { return (c >= 'a' && c <= 'z') ? c - 32 : c; }
int char_is_space(int c) noexcept { return c == ' ' || (c >= 9 && c <= 13); }
int text_nicompare(const char *s1, const char *s2, int n) noexcept {
  for (int i = 0; i < n; ++i) {
    const int a = char_to_lower(static_cast<unsigned char>(s1[i]));
    const int b = char_to_lower(static_cast<unsigned char>(s2[i]));
    if (a != b) return a - b;
    if (a == 0) return 0;
  }
  return 0;
}
int text_icompare(const char *s1, const char *s2) noexcept {
  return text_nicompare(s1, s2, TEXT_SIZE_UNLIMITED);
}
char *text_lower(char *s) noexcept {
  for (char *p = s; *p != 0; ++p)
    *p = static_cast<char>(char_to_lower(static_cast<unsigned char>(*p)));
  return s;
}
char *text_upper(char *s) noexcept {
  for (char *p = s; *p != 0; ++p)
    *p = static_cast<char>(char_to_upper(static_cast<unsigned char>(*p)));
  return s;
}
char *text_find_char(const char *s, int c) noexcept {
  return const_cast<char *>(std::strchr(s, c));
}
char *text_find_last_char(const char *s, int c) noexcept {
  return c == 0 ? nullptr : const_cast<char *>(std::strrchr(s, c));
}
char *text_find(const char *s, const char *needle) noexcept {
  return *s == 0 ? nullptr : const_cast<char *>(std::strstr(s, needle));
}
char *text_find_any(const char *s, const char *set) noexcept {
  const char *p = std::strpbrk(s, set);
  return const_cast<char *>(p);
}
char *text_tokenize(char *s, const char *set, char **position) noexcept {
  if (s == nullptr) s = *position;
  if (s == nullptr) return nullptr;
  s += std::strspn(s, set);
  if (*s == 0) {
    *position = nullptr;
    return nullptr;
  }
  char *end = s + std::strcspn(s, set);
  if (*end == 0) {
    *position = nullptr;
  } else {
    *end = 0;
    *position = end + 1;
  }
  return s;
}
long text_to_long(const char *s, char **end, int base) noexcept {
  return std::strtol(s, end, base);
}
double text_to_double(const char *s, char **end) noexcept { return std::strtod(s, end); }
double text_to_float(const char *s) noexcept { return std::atof(s); }
const char *text_error_string(int error_number) noexcept {
  std::snprintf(error_string_buffer, sizeof error_string_buffer, "%s", std::strerror(error_number));
  return error_string_buffer;
}

int vformat_text(char *buffer, int size, const char *format, va_list args) noexcept {
  if (format == nullptr) return 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  return std::vsnprintf(buffer, size > 0 ? static_cast<size_t>(size) : 0, format, args);
#pragma GCC diagnostic pop
}

int format_text(char *buffer, const char *format, ...) noexcept {
  va_list args;
  va_start(args, format);
  const int result = vformat_text(buffer, TEXT_SIZE_UNLIMITED, format, args);
  va_end(args);
  return result;
}

int format_text_bounded(char *buffer, int size, const char *format, ...) noexcept {
  va_list args;
  va_start(args, format);
  const int result = vformat_text(buffer, size, format, args);
  va_end(args);
  return result;
}

}  // extern "C"
