// Small text helpers of the configuration module: looking at single characters of text in the
// current encoding, copying texts, converted literals and the bracketed form of section names.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "config/config_internal.h"
#include "core/internal.h"
#include "corvane/system.h"
#include "corvane/text.h"

namespace corvane::cfg {

config_literal::config_literal(const char *ascii) noexcept
    : text_(literal(ascii, buffer_, literal_size)) {}

bool text_is_empty(const char *s) noexcept { return s == nullptr || current_get_char(s) == 0; }

int first_char(const char *s) noexcept { return s == nullptr ? 0 : current_get_char(s); }

int second_char(const char *s) noexcept {
  if (s == nullptr || current_next_char(&s) == 0) return 0;
  return current_get_char(s);
}

int last_char(const char *s) noexcept {
  if (s == nullptr) return 0;
  int last = 0;
  for (int c = current_next_char(&s); c != 0; c = current_next_char(&s)) last = c;
  return last;
}

bool is_section_header(const char *name) noexcept {
  return first_char(name) == '[' && last_char(name) == ']';
}

int terminator_width() noexcept { return current_code_width(0); }

char *duplicate_bytes(const char *s, std::size_t bytes) noexcept {
  const auto terminator = static_cast<std::size_t>(terminator_width());
  if (bytes > SIZE_MAX - terminator) {
    set_error_number(ENOMEM);
    return nullptr;
  }
  auto *copy = static_cast<char *>(std::malloc(bytes + terminator));
  if (copy == nullptr) {
    set_error_number(ENOMEM);
    return nullptr;
  }
  if (bytes > 0) std::memcpy(copy, s, bytes);
  std::memset(copy + bytes, 0, terminator);
  return copy;
}

char *duplicate_text(const char *s) noexcept {
  if (s == nullptr) return nullptr;
  return duplicate_bytes(s, static_cast<std::size_t>(text_size(s)));
}

void bracket_section_name(const char *section, char *buffer) noexcept {
  const int terminator = terminator_width();
  if (text_is_empty(section)) {
    std::memset(buffer, 0, static_cast<std::size_t>(terminator));
    return;
  }
  const int close_width = current_code_width(']');
  int used = 0;
  int last = 0;
  if (first_char(section) != '[') {
    used += current_put_char(buffer, '[');
    last = '[';
  }
  // Whole characters of the name, as long as the closing bracket and the terminator still fit.
  const char *p = section;
  for (;;) {
    const char *start = p;
    const int c = current_next_char(&p);
    if (c == 0) break;
    const int width = static_cast<int>(p - start);
    if (used + width + close_width + terminator > section_name_size) break;
    std::memcpy(buffer + used, start, static_cast<std::size_t>(width));
    used += width;
    last = c;
  }
  if (last != ']') used += current_put_char(buffer + used, ']');
  std::memset(buffer + used, 0, static_cast<std::size_t>(terminator));
}

bool is_transient(const char *bracketed_section, const char *key) noexcept {
  return first_char(key) == '#' || second_char(bracketed_section) == '#';
}

char *make_translation_key(const char *message) noexcept {
  // Size of the result: every character keeps its own width or becomes "_".
  std::size_t size = static_cast<std::size_t>(terminator_width());
  const int underscore_width = current_code_width('_');
  const char *p = message;
  for (int c = current_next_char(&p); c != 0; c = current_next_char(&p)) {
    const bool replaced = char_is_space(c) || c == '=' || c == '#';
    size += static_cast<std::size_t>(replaced ? underscore_width : current_code_width(c));
  }
  auto *key = static_cast<char *>(std::malloc(size));
  if (key == nullptr) {
    set_error_number(ENOMEM);
    return nullptr;
  }
  char *out = key;
  p = message;
  for (int c = current_next_char(&p); c != 0; c = current_next_char(&p)) {
    const bool replaced = char_is_space(c) || c == '=' || c == '#';
    out += current_put_char(out, replaced ? '_' : c);
  }
  current_put_char(out, 0);
  return key;
}

}  // namespace corvane::cfg
